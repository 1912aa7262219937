#include "tools/gridshot/GridShotPaint.h"

#include <map>

#include <QJsonArray>
#include <QJsonObject>

#include "grid/GRGLib.h"
#include "tools/gridshot/GridShot.h"

namespace {

template <class E>
E Named(const std::map<std::string, E>& names, const QJsonValue& v, const char* what) {
    std::string name = v.toString().toStdString();
    auto it = names.find(name);
    if (it == names.end()) throw EGridShotError(std::string("Unknown ") + what + " \"" + name + "\"");
    return it->second;
}

const std::map<std::string, TgrDrawOption> kDrawOptions{{"dopOn", dopOn}, {"dopOff", dopOff}, {"dopDefault", dopDefault}};
const std::map<std::string, TgrSortPicture> kSortPictures{
    {"spUp", spUp}, {"spDown", spDown}, {"spBullet", spBullet}, {"spNone", spNone}};
const std::map<std::string, TgrHeadingButton> kGridHeadingButtons{
    {"hbNone", hbNone}, {"hbCell", hbCell}, {"hbButton", hbButton}};
const std::map<std::string, TgrColHeadingButton> kColHeadingButtons{
    {"cbCell", cbCell}, {"cbButton", cbButton}, {"cbGrid", cbGrid}, {"cbNone", cbNone}};
const std::map<std::string, TgrVertAlignment> kVertAlignments{
    {"vtaTop", vtaTop}, {"vtaBottom", vtaBottom}, {"vtaCenter", vtaCenter}, {"vtaDefault", vtaDefault}};
const std::map<std::string, TgrSpinOption> kSpinOptions{
    {"spoAutoRepeat", spoAutoRepeat}, {"spoAutoIncrement", spoAutoIncrement}, {"spoKeyEdit", spoKeyEdit}};
const std::map<std::string, TgrPictureKind> kPictureKinds{{"StretchPicture", pkStretchPicture},
                                                          {"ShrinkPicture", pkShrinkPicture},
                                                          {"CenterPicture", pkCenterPicture},
                                                          {"KeepAspectRatio", pkKeepAspectRatio}};

// "#rrggbb" as a colour value (0x00bbggrr).
TColor Colour(const QJsonValue& v) {
    std::string s = v.toString().toStdString();
    if (s.size() != 7 || s[0] != '#') throw EGridShotError("Colour \"" + s + "\" is not #rrggbb");
    unsigned long rgb = std::stoul(s.substr(1), nullptr, 16);
    return TColor(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF));
}

}  // namespace

bool ApplyShotPaintGridProperty(TgrBaseGrid* g, const std::string& name, const QJsonValue& v) {
    if (name == "StretchPicture") g->SetStretchPicture(v.toBool());
    else if (name == "ShrinkPicture") g->SetShrinkPicture(v.toBool());
    else if (name == "CenterPicture") g->SetCenterPicture(v.toBool());
    else if (name == "KeepAspectRatio") g->SetKeepAspectRatio(v.toBool());
    else if (name == "TransparentColor") g->SetTransparentColor(Colour(v));
    else if (name == "HeadingButton") g->SetHeadingButton(Named(kGridHeadingButtons, v, "HeadingButton"));
    else if (name == "FlatButtons") g->SetFlatButtons(v.toBool());
    else if (name == "ReadOnlyButton") g->SetReadOnlyButton(v.toBool());
    else if (name == "SpinButtonWidth") g->SetSpinButtonWidth(v.toInt());
    else if (name == "SpinButtonHeight") g->SetSpinButtonHeight(v.toInt());
    else if (name == "EditColor") g->SetEditColor(Colour(v));
    else if (name == "EditFontColor") g->SetEditFontColor(Colour(v));
    else if (name == "RowBarAlignment") g->SetRowBarAlignment(Named(kVertAlignments, v, "RowBarAlignment"));
    else return false;
    return true;
}

bool ApplyShotPaintColumnProperty(TgrCol* col, const std::string& name, const QJsonValue& v) {
    if (auto kind = kPictureKinds.find(name); kind != kPictureKinds.end())
        col->SetPicture(kind->second, Named(kDrawOptions, v, name.c_str()));
    else if (name == "Is3D") col->SetIs3D(v.toBool());
    else if (name == "SortPicture") col->SetSortPicture(Named(kSortPictures, v, "SortPicture"));
    else if (name == "HeadingButton") col->SetHeadingButton(Named(kColHeadingButtons, v, "HeadingButton"));
    else if (name == "SpinIncrement") col->SetSpinIncrement(v.toDouble());
    else if (name == "SpinOptions") {
        TgrSpinOptions options = 0;
        for (const QJsonValue& o : v.toArray()) options |= SpinOptionBit(Named(kSpinOptions, o, "spin option"));
        col->SetSpinOptions(options);
    } else return false;
    return true;
}

bool ShotPictureValue(const QJsonValue& value, std::vector<std::unique_ptr<TBitmap>>& pictures, Variant& result) {
    if (!value.isObject()) return false;
    QJsonObject o = value.toObject();
    QJsonArray size = o["bitmap"].toArray();
    if (size.size() != 3) throw EGridShotError("A picture is {\"bitmap\": [width, height, \"#fill\"]}");
    int w = size[0].toInt(), h = size[1].toInt();
    if (w <= 0 || h <= 0 || w > 2000 || h > 2000) throw EGridShotError("A picture's size must be within 1..2000");
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetSize(w, h);
    TCanvas* c = bitmap->Canvas();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Colour(size[2]));
    c->FillRect(TRect(0, 0, w, h));
    if (o.contains("frame")) {
        c->Brush()->SetColor(Colour(o["frame"]));
        c->FrameRect(TRect(0, 0, w, h));
    }
    if (o.contains("transparent")) {
        bitmap->SetTransparentColor(Colour(o["transparent"]));
        bitmap->SetTransparent(true);
    }
    result = ObjectToVariant(bitmap.get());
    pictures.push_back(std::move(bitmap));
    return true;
}

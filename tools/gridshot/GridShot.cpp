#include "tools/gridshot/GridShot.h"

#include <fstream>
#include <map>
#include <sstream>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>

#include "grid/GRGLib.h"
#include "grid/GridCombo.h"
#include "grid/GridComboGrid.h"
#include "platform/core/Clock.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Timers.h"
#include "tools/gridshot/GridShotPaint.h"

namespace {

template <class E>
E EnumOf(const std::map<std::string, E>& names, const QJsonValue& v, const char* what) {
    std::string name = v.toString().toStdString();
    auto it = names.find(name);
    if (it == names.end()) throw EGridShotError(std::string("Unknown ") + what + " \"" + name + "\"");
    return it->second;
}

const std::map<std::string, TgrGridMode> kGridModes{
    {"gmListBox", gmListBox}, {"gmEdit", gmEdit}, {"gmEditInsert", gmEditInsert}, {"gmBrowse", gmBrowse}};
const std::map<std::string, TgrRowSelectMode> kRowSelect{{"rsNone", rsNone}, {"rsSingle", rsSingle}, {"rsMulti", rsMulti}};
const std::map<std::string, TgrColSelectMode> kColSelect{{"csNone", csNone}, {"csSingle", csSingle}, {"csMulti", csMulti}};
const std::map<std::string, TgrSelectionType> kSelectionType{{"sltDefault", sltDefault}, {"sltColor", sltColor}};
const std::map<std::string, TgrFocusBorder> kFocusBorder{
    {"fbNone", fbNone}, {"fbDot", fbDot}, {"fbSingle", fbSingle}, {"fbDouble", fbDouble}};
const std::map<std::string, TgrGridLines> kGridLines{
    {"glNone", glNone}, {"glHorizontal", glHorizontal}, {"glVertical", glVertical}, {"glBoth", glBoth}};
const std::map<std::string, TgrWordWrap> kWordWrap{{"wwOn", wwOn}, {"wwOff", wwOff}, {"wwDefault", wwDefault}};
const std::map<std::string, TgrHorzAlignment> kHorz{
    {"htaLeft", htaLeft}, {"htaRight", htaRight}, {"htaCenter", htaCenter}, {"htaDefault", htaDefault}};
const std::map<std::string, TgrVertAlignment> kVert{
    {"vtaTop", vtaTop}, {"vtaBottom", vtaBottom}, {"vtaCenter", vtaCenter}, {"vtaDefault", vtaDefault}};
const std::map<std::string, TgrControlType> kControlType{
    {"ctNone", ctNone}, {"ctText", ctText}, {"ctCheck", ctCheck}, {"ctPicture", ctPicture}, {"ctDefault", ctDefault}};
const std::map<std::string, TgrButtonType> kButtonType{
    {"btCombo", btCombo},       {"btNormal", btNormal},     {"btNone", btNone},
    {"btDefault", btDefault},   {"btVertSpin", btVertSpin}, {"btHorzSpin", btHorzSpin},
    {"btDateTimeDropDown", btDateTimeDropDown}, {"btDateTimePopup", btDateTimePopup}};
const std::map<std::string, TgrRowChangedIndicator> kChanged{
    {"riOff", riOff}, {"riOn", riOn}, {"riAutoReset", riAutoReset}};
const std::map<std::string, TgrInactiveButtonState> kInactive{
    {"ibsNone", ibsNone}, {"ibsBackGround", ibsBackGround}, {"ibsPicture", ibsPicture}};
const std::map<std::string, TgrCellSelectMode> kCellSelect{{"cmNone", cmNone}, {"cmRange", cmRange}};
const std::map<std::string, TScrollStyle> kScrollBars{
    {"ssNone", ssNone}, {"ssHorizontal", ssHorizontal}, {"ssVertical", ssVertical}, {"ssBoth", ssBoth}};
const std::map<std::string, Word16> kKeys{
    {"VK_LEFT", VK_LEFT},   {"VK_RIGHT", VK_RIGHT}, {"VK_UP", VK_UP},         {"VK_DOWN", VK_DOWN},
    {"VK_HOME", VK_HOME},   {"VK_END", VK_END},     {"VK_PRIOR", VK_PRIOR},   {"VK_NEXT", VK_NEXT},
    {"VK_TAB", VK_TAB},     {"VK_RETURN", VK_RETURN}, {"VK_ESCAPE", VK_ESCAPE}, {"VK_SPACE", VK_SPACE},
    {"VK_F2", VK_F2},       {"VK_DELETE", VK_DELETE}, {"VK_INSERT", VK_INSERT}};

// "#rrggbb" or a number (a colour value as the grid keeps it).
TColor ColorOf(const QJsonValue& v) {
    if (v.isDouble()) return TColor(static_cast<std::uint32_t>(v.toDouble()));
    std::string s = v.toString().toStdString();
    if (s.size() != 7 || s[0] != '#') throw EGridShotError("Colour \"" + s + "\" is not #rrggbb");
    unsigned long rgb = std::stoul(s.substr(1), nullptr, 16);
    // The grid's colours are 0x00bbggrr.
    return TColor(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF));
}

TShiftState ShiftOf(const QJsonValue& v) {
    TShiftState s;
    for (const QJsonValue& e : v.toArray()) {
        std::string n = e.toString().toStdString();
        if (n == "ssShift") s.Include(ssShift);
        else if (n == "ssCtrl") s.Include(ssCtrl);
        else if (n == "ssAlt") s.Include(ssAlt);
        else throw EGridShotError("Unknown shift \"" + n + "\"");
    }
    return s;
}

Variant ValueOf(const QJsonValue& v) {
    if (v.isBool()) return Variant(Integer(v.toBool() ? 1 : 0));
    if (v.isDouble()) return Variant(Integer(v.toInt()));
    if (v.isNull()) return Variant::NullValue();
    return Variant(v.toString().toStdString());
}

// "picture WxH" for a bitmap value.
std::string PictureText(const Variant& v) {
    auto* bitmap = static_cast<TBitmap*>(VariantToObject(v));
    if (!bitmap) return "null";
    return "\"picture " + std::to_string(bitmap->Width()) + "x" + std::to_string(bitmap->Height()) + "\"";
}

std::string JsonText(const std::string& s) {
    return QString(QJsonDocument(QJsonArray{QString::fromStdString(s)}).toJson(QJsonDocument::Compact))
        .mid(1)
        .chopped(1)
        .toStdString();
}

void ApplyFont(TFont* font, const QJsonObject& o) {
    if (o.contains("Name")) font->SetName(o["Name"].toString().toStdString());
    if (o.contains("Size")) font->SetSize(o["Size"].toInt());
    if (o.contains("Color")) font->SetColor(ColorOf(o["Color"]));
    TFontStyles st = 0;
    if (o["Bold"].toBool()) st |= fsBold;
    if (o["Italic"].toBool()) st |= fsItalic;
    if (o.contains("Bold") || o.contains("Italic")) font->SetStyle(st);
}

void ApplyGridProperty(TgrShotGrid* g, const std::string& name, const QJsonValue& v) {
    if (name == "Cols") g->SetCols(v.toInt());
    else if (name == "Rows") g->SetRows(v.toInt());
    else if (name == "DefaultColWidth") g->SetDefaultColWidth(v.toInt());
    else if (name == "DefaultRowHeight") g->SetDefaultRowHeight(v.toInt());
    else if (name == "HeadingOn") g->SetHeadingOn(v.toBool());
    else if (name == "RowBarOn") g->SetRowBarOn(v.toBool());
    else if (name == "HeadingHeight") g->SetHeadingHeight(v.toInt());
    else if (name == "RowBarWidth") g->SetRowBarWidth(v.toInt());
    else if (name == "GridMode") g->SetGridMode(EnumOf(kGridModes, v, "GridMode"));
    else if (name == "RowSelectMode") g->SetRowSelectMode(EnumOf(kRowSelect, v, "RowSelectMode"));
    else if (name == "ColSelectMode") g->SetColSelectMode(EnumOf(kColSelect, v, "ColSelectMode"));
    else if (name == "CellSelectMode") g->SetCellSelectMode(EnumOf(kCellSelect, v, "CellSelectMode"));
    else if (name == "SelectionType") g->SetSelectionType(EnumOf(kSelectionType, v, "SelectionType"));
    else if (name == "SelectionColor") g->SetSelectionColor(ColorOf(v));
    else if (name == "SelectionFontColor") g->SetSelectionFontColor(ColorOf(v));
    else if (name == "FocusBorder") g->SetFocusBorder(EnumOf(kFocusBorder, v, "FocusBorder"));
    else if (name == "FocusColor") g->SetFocusColor(ColorOf(v));
    else if (name == "FocusFontColor") g->SetFocusFontColor(ColorOf(v));
    else if (name == "GridLines") g->SetGridLines(EnumOf(kGridLines, v, "GridLines"));
    else if (name == "LineColor") g->SetLineColor(ColorOf(v));
    else if (name == "Color") g->SetColor(ColorOf(v));
    else if (name == "HeadingColor") g->SetHeadingColor(ColorOf(v));
    else if (name == "WordWrap") g->SetWordWrap(EnumOf(kWordWrap, v, "WordWrap"));
    else if (name == "HorzAlignment") g->SetHorzAlignment(EnumOf(kHorz, v, "HorzAlignment"));
    else if (name == "VertAlignment") g->SetVertAlignment(EnumOf(kVert, v, "VertAlignment"));
    else if (name == "AlwaysShowFocus") g->SetAlwaysShowFocus(v.toBool());
    else if (name == "AlwaysShowEditor") g->SetAlwaysShowEditor(v.toBool());
    else if (name == "Heading3D") g->SetHeading3D(v.toBool());
    else if (name == "Is3D") g->SetIs3D(v.toBool());
    else if (name == "RowChangedIndicator") g->SetRowChangedIndicator(EnumOf(kChanged, v, "RowChangedIndicator"));
    else if (name == "FixedColCount") g->SetFixedColCount(v.toInt());
    else if (name == "RightToLeft") g->SetRightToLeft(v.toBool());
    else if (name == "CheckBoxValues") g->SetCheckBoxValues(v.toString().toStdString());
    else if (name == "InactiveButtonState") g->SetInactiveButtonState(EnumOf(kInactive, v, "InactiveButtonState"));
    else if (name == "ScrollBars") g->SetScrollBars(EnumOf(kScrollBars, v, "ScrollBars"));
    else if (name == "ColMoving") g->SetColMoving(v.toBool());
    else if (name == "RowMoving") g->SetRowMoving(v.toBool());
    else if (name == "Font") ApplyFont(g->Font(), v.toObject());
    else if (name == "HeadingFont") ApplyFont(g->HeadingFont(), v.toObject());
    else if (ApplyShotPaintGridProperty(g, name, v)) return;
    else throw EGridShotError("Unknown grid property \"" + name + "\"");
}

void ApplyColumn(TgrShotGrid* g, Integer dataCol, const QJsonObject& o) {
    TgrCol* col = g->Col(dataCol);
    if (!col) throw EGridShotError("No data column " + std::to_string(dataCol));
    for (auto it = o.begin(); it != o.end(); ++it) {
        std::string name = it.key().toStdString();
        const QJsonValue& v = it.value();
        if (name == "Heading") col->SetHeading(v.toString().toStdString());
        else if (name == "Width") col->SetWidth(v.toInt());
        else if (name == "ControlType") col->SetControlType(EnumOf(kControlType, v, "ControlType"));
        else if (name == "ButtonType") col->SetButtonType(EnumOf(kButtonType, v, "ButtonType"));
        else if (name == "HorzAlignment") col->SetHorzAlignment(EnumOf(kHorz, v, "HorzAlignment"));
        else if (name == "VertAlignment") col->SetVertAlignment(EnumOf(kVert, v, "VertAlignment"));
        else if (name == "HeadingHorzAlignment") col->SetHeadingHorzAlignment(EnumOf(kHorz, v, "HorzAlignment"));
        else if (name == "WordWrap") col->SetWordWrap(EnumOf(kWordWrap, v, "WordWrap"));
        else if (name == "Color") col->SetColor(ColorOf(v));
        else if (name == "HeadingColor") col->SetHeadingColor(ColorOf(v));
        else if (name == "ReadOnly") col->SetReadOnly(v.toBool());
        else if (name == "Visible") col->SetVisible(v.toBool());
        else if (name == "AllowGrayed") col->SetAllowGrayed(v.toBool());
        else if (name == "ComboItems") {
            QJsonArray items = v.toArray();
            col->SetButtonType(btCombo);
            col->CreateCombo();
            TgrBaseGrid* list = col->Combo() ? col->Combo()->ComboGrid() : nullptr;
            if (!list) throw EGridShotError("The column's combo has no list");
            list->SetCols(1);
            list->SetRows(Integer(items.size()));
            for (int i = 0; i < items.size(); ++i) list->PutCellValue(1, i + 1, ValueOf(items[i]));
        }
        else if (name == "Font") {
            TFont f;
            f.Assign(*g->Font());
            ApplyFont(&f, v.toObject());
            col->SetFont(&f);
        } else if (!ApplyShotPaintColumnProperty(col, name, v))
            throw EGridShotError("Unknown column property \"" + name + "\"");
    }
}

}  // namespace

TgrCombo* TgrShotGrid::CreateCombo() {
    return new TgrCombo(this);
}

TgrBaseGrid* TgrShotGrid::CreateComboGrid() { return new TgrComboGridOf<TgrShotGrid>(nullptr); }

void TgrShotGrid::InitComboGrid(TgrCombo* combo) {
    TgrBaseGrid::InitComboGrid(combo);
    if (combo) combo->ComboGrid()->SetStoreData(true);
}

TGridShot::TGridShot() {
    EnsureGuiApplication();
    Application->Initialize();
}

TGridShot::~TGridShot() { Application->ResetForTesting(); }

void TGridShot::Run(const std::string& scenarioJson) {
    QJsonParseError error{};
    QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(scenarioJson), &error);
    if (doc.isNull() || !doc.isObject())
        throw EGridShotError("The scenario is not a JSON object: " + error.errorString().toStdString());
    QJsonObject scenario = doc.object();
    Build(scenario);
    for (const QJsonValue& step : scenario["script"].toArray()) {
        if (!step.isObject()) throw EGridShotError("A script step is not an object");
        Step(step.toObject());
        grid_->Update();
    }
    grid_->Update();
}

void TGridShot::Build(const QJsonObject& scenario) {
    int width = scenario["width"].toInt(400), height = scenario["height"].toInt(240);
    if (width <= 0 || height <= 0 || width > 8000 || height > 8000)
        throw EGridShotError("The picture size must be within 1..8000 pixels");
    form_ = new TForm(Application);
    form_->SetBounds(0, 0, width + 20, height + 20);
    grid_ = new TgrShotGrid(form_);
    grid_->SetName("GridShot");
    grid_->SetParent(form_);
    grid_->SetBounds(0, 0, width, height);
    grid_->Font()->SetName("Arial");
    grid_->Font()->SetSize(8);
    grid_->HeadingFont()->Assign(*grid_->Font());
    grid_->SetStoreData(true);
    QJsonObject props = scenario["grid"].toObject();
    // Counts first, so columns and values find their places.
    for (const char* first : {"Cols", "Rows"})
        if (props.contains(first)) ApplyGridProperty(grid_, first, props[first]);
    for (auto it = props.begin(); it != props.end(); ++it)
        if (it.key() != "Cols" && it.key() != "Rows") ApplyGridProperty(grid_, it.key().toStdString(), it.value());
    QJsonArray cols = scenario["columns"].toArray();
    for (int i = 0; i < cols.size(); ++i) ApplyColumn(grid_, i + 1, cols[i].toObject());
    QJsonArray rows = scenario["rows"].toArray();
    for (int r = 0; r < rows.size() && r < grid_->Rows(); ++r) {
        QJsonArray values = rows[r].toArray();
        for (int c = 0; c < values.size() && c < grid_->Cols(); ++c)
            if (!values[c].isNull()) grid_->PutCellValue(c + 1, r + 1, CellValue(values[c]));
    }
    form_->Show();
    grid_->SetFocus();
    grid_->UpdateScrollBars();
    grid_->Update();
}

void TGridShot::Step(const QJsonObject& step) {
    TShiftState shift = ShiftOf(step["shift"]);
    auto point = [](const QJsonValue& v) {
        QJsonArray a = v.toArray();
        if (a.size() != 2) throw EGridShotError("A point is two numbers");
        return TPoint{a[0].toInt(), a[1].toInt()};
    };
    if (step.contains("key")) {
        Word16 key = EnumOf(kKeys, step["key"], "key");
        grid_->DoKeyDown(key, shift);
    } else if (step.contains("type")) {
        for (char ch : step["type"].toString().toStdString()) grid_->DoKeyPress(ch);
    } else if (step.contains("click") || step.contains("clickAt")) {
        TPoint p;
        if (step.contains("click")) {
            TPoint cell = point(step["click"]);
            TRect r = grid_->CellPixels(cell.X, cell.Y);
            p = {r.Left + r.Width() / 2, r.Top + r.Height() / 2};
        } else {
            p = point(step["clickAt"]);
        }
        grid_->MouseDown(mbLeft, shift, p.X, p.Y);
        grid_->MouseUp(mbLeft, shift, p.X, p.Y);
    } else if (step.contains("drag")) {
        QJsonArray a = step["drag"].toArray();
        if (a.size() != 2) throw EGridShotError("A drag is two points");
        TPoint from = point(a[0]), to = point(a[1]);
        grid_->MouseDown(mbLeft, shift, from.X, from.Y);
        TShiftState held = shift;
        held.Include(ssLeft);
        grid_->MouseMove(held, (from.X + to.X) / 2, (from.Y + to.Y) / 2);
        grid_->MouseMove(held, to.X, to.Y);
        grid_->MouseUp(mbLeft, shift, to.X, to.Y);
    } else if (step.contains("scroll")) {
        TPoint cell = point(step["scroll"]);
        grid_->SetTopLeft(cell.X, cell.Y);
    } else if (step.contains("call")) {
        std::string name = step["call"].toString().toStdString();
        QJsonArray args = step["args"].toArray();
        auto arg = [&](int i) { return args.size() > i ? Integer(args[i].toInt()) : Integer(0); };
        if (name == "SelectRows") grid_->SelectDisplayRows(arg(0), arg(1));
        else if (name == "SelectCols") grid_->SelectDisplayCols(arg(0), arg(1), true);
        else if (name == "ChangeCurrentCell") grid_->ChangeCurrentCell(arg(0), arg(1));
        else if (name == "SetRowChanged") grid_->SetRowChanged(arg(0), true);
        else if (name == "PutCellValue") grid_->PutCellValue(arg(0), arg(1), CellValue(args.size() > 2 ? args[2] : QJsonValue()));
        else throw EGridShotError("Unknown call \"" + name + "\"");
    } else {
        throw EGridShotError("A script step needs key, type, click, clickAt, drag, scroll or call");
    }
}

Variant TGridShot::CellValue(const QJsonValue& v) {
    Variant picture;
    return ShotPictureValue(v, pictures_, picture) ? picture : ValueOf(v);
}

QImage TGridShot::Picture() {
    grid_->Update();
    return grid_->Surface().copy();
}

std::string TGridShot::StateJson() {
    TgrShotGrid* g = grid_;
    std::ostringstream o;
    TCellCoord_ts topLeft = g->TopLeftCell();
    o << "{\"current\":[" << g->CurrentDisplayCol() << "," << g->CurrentDisplayRow() << "],";
    o << "\"currentData\":[" << g->CurrentDataCol() << "," << g->CurrentDataRow() << "],";
    o << "\"anchor\":[" << g->AnchorCell().Col << "," << g->AnchorCell().Row << "],";
    o << "\"topLeft\":[" << topLeft.Col << "," << topLeft.Row << "],";
    o << "\"gridStatus\":" << int(g->GridStatus()) << ",";
    o << "\"selectedRows\":[";
    bool first = true;
    for (Integer r = 1; r < g->RowTotal(); ++r)
        if (g->IsDisplayRowSelected(r)) {
            o << (first ? "" : ",") << r;
            first = false;
        }
    o << "],\"selectedCols\":[";
    first = true;
    for (Integer c = 1; c < g->ColTotal(); ++c)
        if (g->IsDisplayColSelected(c)) {
            o << (first ? "" : ",") << c;
            first = false;
        }
    o << "],\"colWidths\":[";
    for (Integer c = 0; c < g->ColTotal(); ++c) o << (c ? "," : "") << g->GetColWidthAt(c);
    o << "],\"colOrder\":[";
    for (Integer c = 1; c < g->ColTotal(); ++c) o << (c > 1 ? "," : "") << g->DataColOfDisplay(c);
    o << "],\"editing\":" << (g->IsCellEditing() ? "true" : "false") << ",\"values\":[";
    for (Integer r = 1; r <= g->Rows(); ++r) {
        o << (r > 1 ? "," : "") << "[";
        for (Integer c = 1; c <= g->Cols(); ++c) {
            Variant v = g->GetCellValue(c, r);
            o << (c > 1 ? "," : "");
            if (v.IsEmpty() || v.IsNull()) o << "null";
            else if (v.IsString()) o << JsonText(v.AsString());
            // A picture is named by its size, never by its address.
            else if (g->EffectiveControlType(c, r) == ctPicture) o << PictureText(v);
            else o << JsonText(v.AsString());
        }
        o << "]";
    }
    o << "]}";
    return o.str();
}

void RunGridShotFiles(const std::string& scenarioPath, const std::string& pngPath, const std::string& statePath) {
    std::ifstream in(scenarioPath, std::ios::binary);
    if (!in) throw EGridShotError("Cannot read " + scenarioPath);
    std::stringstream text;
    text << in.rdbuf();
    TGridShot shot;
    shot.Run(text.str());
    if (!pngPath.empty() && !shot.Picture().save(QString::fromStdString(pngPath), "PNG"))
        throw EGridShotError("Cannot write " + pngPath);
    if (!statePath.empty()) {
        std::ofstream out(statePath, std::ios::binary);
        out << shot.StateJson() << "\n";
        if (!out) throw EGridShotError("Cannot write " + statePath);
    }
}

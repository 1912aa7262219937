#include "docexport/deVzXportIntf.h"

#include <cmath>
#include <cstdlib>

#include "docexport/deConsts.h"
#include "docexport/deDocEngIntf.h"
#include "docexport/deUtils.h"

TdeVizeXport::TdeVizeXport(TComponent* owner)
    : TVPRenderStream(owner), owner_(dynamic_cast<TdeExportInterface*>(owner)) {
    BindEngine(nullptr);
}

void TdeVizeXport::BindEngine(TdeCustomDocumentEngine* engine) {
    engine_ = engine;
    if (engine) {
        engine->SetMeasurementUnit(muInches);
        SetDisplayName(engine->FileDescription());
        FileExtension = "*." + engine->FileExtension();
    } else {
        SetDisplayName("VPRender");
        FileExtension = "*.vsf";
    }
}

IdeDocumentEngine* TdeVizeXport::Intf() const { return engine_->DocumentInterface(); }

bool TdeVizeXport::Fill() const { return converter_->Brush.Style() != bsClear; }

void TdeVizeXport::UsePen() {
    Intf()->SetPen(&converter_->Pen);
    engine_->Pen()->SetWidth(int(std::nearbyint(ScreenPPI() * PenWidth)));
}

void TdeVizeXport::UsePenAndBrush() {
    UsePen();
    Intf()->SetBrush(&converter_->Brush);
}

template <class F>
void TdeVizeXport::InPoints(F body) {
    TdeUnitType old = engine_->MeasurementUnit();
    engine_->SetMeasurementUnit(muPoints);
    try {
        body();
    } catch (...) {
        engine_->SetMeasurementUnit(old);
        throw;
    }
    engine_->SetMeasurementUnit(old);
}

void TdeVizeXport::BeginDoc() {
    TVPRenderStream::BeginDoc();
    firstPage_ = true;
    if (!Ready()) return;
    if (OutputStream) {
        engine_->Preferences()->SetOutputToUserStream(true);
        engine_->SetUserStream(OutputStream);
    } else {
        engine_->Preferences()->SetOutputToUserStream(false);
        engine_->SetUserStream(nullptr);
    }
    Intf()->SetFileName(OutputFileName);
    Intf()->SetFont(&converter_->Font);
    Intf()->SetPen(&converter_->Pen);
    Intf()->SetBrush(&converter_->Brush);
    engine_->Page()->SetPaperSize(Custom);
}

void TdeVizeXport::BeginPage() {
    TVPRenderStream::BeginPage();
    if (!Ready()) return;
    Intf()->SetFileName(OutputFileName);
    Intf()->SetFont(&converter_->Font);
    Intf()->SetPen(&converter_->Pen);
    Intf()->SetBrush(&converter_->Brush);
    engine_->Page()->SetOrientation(converter_->ReportHeader.Orientation == poLandscape ? poLandscape
                                                                                      : poPortrait);
    engine_->Page()->SetHeight(PageHeight);
    engine_->Page()->SetWidth(PageWidth);
    if (firstPage_) {
        firstPage_ = false;
        if (owner_)
            owner_->StartPage();
        else
            Intf()->BeginDoc();
    } else {
        Intf()->NewPage();
    }
}

void TdeVizeXport::EndDoc() {
    TVPRenderStream::EndDoc();
    if (!engine_) return;
    if (owner_)
        owner_->Finish();
    else
        Intf()->EndDoc();
}

void TdeVizeXport::MoveTo(double x, double y) {
    TVPRenderStream::MoveTo(x, y);
    if (!converter_) return;
    converter_->CurrentX = x;
    converter_->CurrentY = y;
}

void TdeVizeXport::LineTo(double x, double y) {
    if (!Ready()) return;
    UsePen();
    Intf()->Line(converter_->CurrentX, converter_->CurrentY, x, y);
}

void TdeVizeXport::Rectangle(double x1, double y1, double x2, double y2) {
    if (!Ready()) return;
    UsePenAndBrush();
    Intf()->Rectangle(x1, y1, x2, y2, Fill());
}

void TdeVizeXport::Ellipse(double x1, double y1, double x2, double y2) {
    if (!Ready()) return;
    UsePenAndBrush();
    Intf()->Ellipse(x1, y1, x2, y2, Fill());
}

void TdeVizeXport::RoundRect(double x1, double y1, double x2, double y2, double x3, double y3) {
    if (!Ready()) return;
    Intf()->SetPen(&converter_->Pen);
    Intf()->SetBrush(&converter_->Brush);
    Intf()->RoundRect(x1, y1, x2, y2, x3, y3, Fill());
}

void TdeVizeXport::Arc(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4) {
    if (!Ready()) return;
    Intf()->SetPen(&converter_->Pen);
    Intf()->Arc(x1, y1, x2, y2, x3, y3, x4, y4);
}

void TdeVizeXport::Chord(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                         double y4) {
    if (!Ready()) return;
    Intf()->SetPen(&converter_->Pen);
    Intf()->SetBrush(&converter_->Brush);
    Intf()->Chord(x1, y1, x2, y2, x3, y3, x4, y4, Fill());
}

void TdeVizeXport::Pie(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4) {
    if (!Ready()) return;
    Intf()->SetPen(&converter_->Pen);
    Intf()->SetBrush(&converter_->Brush);
    Intf()->Pie(x1, y1, x2, y2, x3, y3, x4, y4, Fill());
}

namespace {
TdePoints ToPoints(const std::vector<std::pair<double, double>>& points) {
    TdePoints result;
    result.reserve(points.size());
    for (const auto& p : points) result.push_back({p.first, p.second});
    return result;
}
}  // namespace

void TdeVizeXport::Polygon(const std::vector<std::pair<double, double>>& points) {
    if (!Ready()) return;
    Intf()->SetPen(&converter_->Pen);
    Intf()->SetBrush(&converter_->Brush);
    Intf()->Polygon(ToPoints(points), Fill());
}

void TdeVizeXport::PolyLine(const std::vector<std::pair<double, double>>& points) {
    if (!Ready()) return;
    Intf()->SetPen(&converter_->Pen);
    Intf()->PolyLine(ToPoints(points));
}

void TdeVizeXport::FillRect(const TRect& r) {
    if (!Ready()) return;
    InPoints([&] {
        Intf()->SetPen(&converter_->Pen);
        Intf()->SetBrush(&converter_->Brush);
        Intf()->Rectangle(r.Left, r.Top, r.Right, r.Bottom, Fill());
    });
}

void TdeVizeXport::Draw(double x, double y, TGraphic* graphic) {
    if (!Ready() || !graphic) return;
    Intf()->SetPen(&converter_->Pen);
    Intf()->SetBrush(&converter_->Brush);
    engine_->ImageSettings()->Stretch = false;
    Intf()->DrawImage(x, y, graphic);
}

void TdeVizeXport::PrintBitmapRect(double x1, double y1, double x2, double y2, TBitmap* bitmap) {
    if (!Ready() || !bitmap) return;
    Intf()->SetPen(&converter_->Pen);
    Intf()->SetBrush(&converter_->Brush);
    engine_->ImageSettings()->Stretch = true;
    Intf()->DrawImageRect(TdeRect{x1, y1, x2, y2}, bitmap);
}

void TdeVizeXport::PrintBitmap(double x, double y, double scaleX, double scaleY, TBitmap* bitmap) {
    if (!bitmap) return;
    PrintBitmapRect(x, y, x + bitmap->Width() * scaleX / ScreenPPI(), y + bitmap->Height() * scaleY / ScreenPPI(),
                    bitmap);
}

// A metafile is recorded anew at the rectangle's size and its items go to
// the page; any other graphic is placed as a picture stretched over the
// rectangle.
void TdeVizeXport::StretchDraw(const TRect& r, TGraphic* graphic) {
    if (!Ready() || !graphic) return;
    if (dynamic_cast<TMetafile*>(graphic)) {
        InPoints([&] {
            TMetafile sized;
            sized.SetWidth(int(std::lround(std::abs(r.Right - r.Left) * ScreenPPI() / 72.0)));
            sized.SetHeight(int(std::lround(std::abs(r.Bottom - r.Top) * ScreenPPI() / 72.0)));
            {
                TMetafileCanvas c(&sized);
                c.StretchDraw(TRect(0, 0, sized.Width(), sized.Height()), graphic);
            }
            Intf()->PlayMetafileAt(sized, r.Left, r.Top);
        });
        return;
    }
    InPoints([&] {
        Intf()->SetPen(&converter_->Pen);
        Intf()->SetBrush(&converter_->Brush);
        engine_->ImageSettings()->Stretch = true;
        Intf()->DrawImageRect(TdeRect{double(r.Left), double(r.Top), double(r.Right), double(r.Bottom)}, graphic);
    });
}

void TdeVizeXport::PrepareText(double& y, TdeHAlignment align, bool setAlign, bool scripts) {
    Intf()->SetFont(&converter_->Font);
    const TSaveFont& record = converter_->FontData;
    if (scripts && (record.Subscript || record.Superscript)) {
        double lh = converter_->LineHeight;
        int s = converter_->Font.Size();
        if (record.Superscript)
            y += s <= 10 ? -lh / 8 : s <= 40 ? -lh / 5 : -lh / 4;
        else
            y += s <= 10 ? lh / 2 : s < 30 ? lh : 2 * lh;
        engine_->Font()->SetSize(int(std::nearbyint(0.62 * record.Size)));
    }
    Intf()->SetBrush(&converter_->Brush);
    engine_->Brush()->SetStyle(bsClear);
    Intf()->SetRotation(record.Rotation);
    if (setAlign) engine_->TextFormatting()->Alignment = align;
    Intf()->SetTextAlignment(engine_->TextFormatting()->Alignment);
}

void TdeVizeXport::PrintLeft(const std::string& text, double x, double y) {
    if (!Ready()) return;
    PrepareText(y, haLeft, true, true);
    Intf()->TextOut(text, x, y - converter_->FontData.Height);
}

void TdeVizeXport::PrintRight(const std::string& text, double x, double y) {
    if (!Ready()) return;
    PrepareText(y, haRight, true, true);
    double w = engine_->TextExtent(text, *engine_->Font()).cx;
    Intf()->TextOut(text, x - w / ScreenPPI(), y - converter_->FontData.Height);
}

void TdeVizeXport::PrintCenter(const std::string& text, double x, double y) {
    if (!Ready()) return;
    PrepareText(y, haCenter, true, true);
    double t = converter_->TextWidth(text);
    Intf()->TextOut(text, std::fabs(x) - t / 2, std::fabs(y) - converter_->FontData.Height);
}

void TdeVizeXport::TextRect(const TRect& r, double x, double y, const std::string& text) {
    if (!Ready()) return;
    InPoints([&] {
        Intf()->SetPen(&converter_->Pen);
        Intf()->SetBrush(&converter_->Brush);
        Intf()->Rectangle(r.Left, r.Top, r.Right, r.Bottom, Fill());
    });
    PrepareText(y, haLeft, false, false);
    Intf()->TextOut(text, x, y - converter_->FontData.Height);
}

void TdeVizeXport::AdvanceAndPrint(double& x, double& y, double distance, const std::string& text) {
    if (!Ready()) return;
    const double w = converter_->TextWidth(text);
    AdvanceByAngle(x, y, distance - w);
    AdvanceByAngle(x, y, w);
    PrintRight(text, x, y);
}

void TdeVizeXport::PrintBlock(const std::string& text, double x, double y, double width) {
    if (!Ready()) return;
    PrepareText(y, haLeft, false, true);
    std::string wide = JustifyText(text, converter_->Font, ScreenPPI() * width);
    Intf()->TextOut(wide, x, y - converter_->FontData.Height);
}

TdeVizeExportInterface::TdeVizeExportInterface(TComponent* owner)
    : TdeExportInterface(owner), renderer_(new TdeVizeXport(this)) {}

TdeVizeExportInterface::~TdeVizeExportInterface() = default;

void TdeVizeExportInterface::BindRenderer(TdeCustomDocumentEngine* engine) { renderer_->BindEngine(engine); }

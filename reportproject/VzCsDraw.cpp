#include "reportproject/VzCsDraw.h"

#include <cmath>

#include "platform/core/MathUtils.h"
#include "report/BaseReport.h"
#include "report/ReportDefs.h"

namespace {
const std::vector<std::string> PenStyles = {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear",
                                            "psInsideFrame"};
const std::vector<std::string> FillStyles = {"fsSolid", "fsClear", "fsHorizontal", "fsVertical", "fsFDiagonal",
                                             "fsBDiagonal", "fsCross", "fsDiagCross", "fsNone"};
const std::vector<std::string> WidthTypes = {"wtPoints", "wtPixels"};

template <class T>
TVizeClass* NewClass(const char* name, TVizeClassRef parent) {
    return new TVizeClass(name, parent, [](TComponent* owner) { return new T(owner); }, true);
}
}  // namespace

// ------------------------------------------------------------- classes

TVizeClassRef TVizeGraphicBase::StaticClass() {
    static const TVizeClass cls("TVizeGraphicBase", TVizeControl::StaticClass(), nullptr, true);
    return &cls;
}

TVizeClassRef TVizeLine::StaticClass() {
    static TVizeClass* cls = [] {
        TVizeClass* c = NewClass<TVizeLine>("TVizeLine", TVizeGraphicBase::StaticClass());
        TVizeProps<TVizeLine>(*c)
            .Integer("Color", &TVizeLine::ForeColorOrd, &TVizeLine::SetForeColorOrd)
            .Enumeration("LineStyle", PenStyles, &TVizeLine::LineStyleOrd, &TVizeLine::SetLineStyleOrd)
            .Float("LineWidth", &TVizeLine::GetLineWidth, &TVizeLine::SetLineWidth)
            .Enumeration("LineWidthType", WidthTypes, &TVizeLine::LineWidthTypeOrd, &TVizeLine::SetLineWidthTypeOrd,
                         wtPixels)
            .Boolean("NESW", &TVizeLine::NESW, &TVizeLine::SetNESW);
        return c;
    }();
    return cls;
}

TVizeClassRef TVizeHLine::StaticClass() {
    static TVizeClass* cls = NewClass<TVizeHLine>("TVizeHLine", TVizeLine::StaticClass());
    return cls;
}

TVizeClassRef TVizeVLine::StaticClass() {
    static TVizeClass* cls = NewClass<TVizeVLine>("TVizeVLine", TVizeLine::StaticClass());
    return cls;
}

TVizeClassRef TVizeSurface::StaticClass() {
    static TVizeClass* cls = [] {
        auto* c = new TVizeClass("TVizeSurface", TVizeGraphicBase::StaticClass(), nullptr, true);
        TVizeProps<TVizeSurface>(*c)
            .Integer("BorderColor", &TVizeSurface::ForeColorOrd, &TVizeSurface::SetForeColorOrd)
            .Enumeration("BorderStyle", PenStyles, &TVizeSurface::LineStyleOrd, &TVizeSurface::SetLineStyleOrd)
            .Float("BorderWidth", &TVizeSurface::GetLineWidth, &TVizeSurface::SetLineWidth)
            .Enumeration("BorderWidthType", WidthTypes, &TVizeSurface::LineWidthTypeOrd,
                         &TVizeSurface::SetLineWidthTypeOrd, wtPixels)
            .Integer("FillColor", &TVizeSurface::BackColorOrd, &TVizeSurface::SetBackColorOrd, 0xFFFFFF)
            .Enumeration("FillStyle", FillStyles, &TVizeSurface::FillStyleOrd, &TVizeSurface::SetFillStyleOrd);
        return c;
    }();
    return cls;
}

TVizeClassRef TVizeRectangle::StaticClass() {
    static TVizeClass* cls = [] {
        TVizeClass* c = NewClass<TVizeRectangle>("TVizeRectangle", TVizeSurface::StaticClass());
        TVizeProps<TVizeRectangle>(*c)
            .Float("HRadius", &TVizeRectangle::HRadius, &TVizeRectangle::SetHRadius)
            .Float("VRadius", &TVizeRectangle::VRadius, &TVizeRectangle::SetVRadius);
        return c;
    }();
    return cls;
}

TVizeClassRef TVizeSquare::StaticClass() {
    static TVizeClass* cls = NewClass<TVizeSquare>("TVizeSquare", TVizeRectangle::StaticClass());
    return cls;
}

TVizeClassRef TVizeEllipse::StaticClass() {
    static TVizeClass* cls = NewClass<TVizeEllipse>("TVizeEllipse", TVizeSurface::StaticClass());
    return cls;
}

TVizeClassRef TVizeCircle::StaticClass() {
    static TVizeClass* cls = NewClass<TVizeCircle>("TVizeCircle", TVizeEllipse::StaticClass());
    return cls;
}

// ---------------------------------------------------------------- pens

TVizeGraphicBase::TVizeGraphicBase(TComponent* owner) : TVizeControl(owner) {}

void TVizeGraphicBase::SetForeColor(Integer colour) {
    penColor_ = colour;
    Refresh();
}

void TVizeGraphicBase::SetLineStyle(Integer style) {
    if (style < psSolid || style > psInsideFrame) return;
    penStyle_ = style;
    Refresh();
}

void TVizeGraphicBase::SetLineWidth(double width) {
    lineWidth_ = width;
    // Wide pens draw solid only.
    if (lineWidth_ > 1 || lineWidthType_ != wtPixels) penStyle_ = psSolid;
    Refresh();
}

void TVizeGraphicBase::SetLineWidthType(TLineWidthType type) {
    lineWidthType_ = type;
    SetLineWidth(lineWidth_);
}

void TVizeGraphicBase::ApplyReportPen(TBaseReport* report) const {
    if (lineWidth_ == 0) {
        report->SetPen(0, psClear, 0, pmCopy);
        return;
    }
    int width = lineWidthType_ == wtPixels ? int(RoundHalfEven(lineWidth_, 0))
                                           : -(10000 + int(RoundHalfEven(lineWidth_ * 10000 / 72, 0)));
    report->SetPen(TColor(penColor_), TPenStyle(penStyle_), width, pmCopy);
}

// ---------------------------------------------------------------- lines

TVizeLine::TVizeLine(TComponent* owner) : TVizeGraphicBase(owner) { SetBoundsRect({0, 0, 1, 1}); }

void TVizeLine::SetNESW(bool v) {
    nesw_ = v;
    Refresh();
}

void TVizeLine::PrintSelf(TBaseReport* report) {
    if (!IsVisible()) return;
    ApplyReportPen(report);
    if (nesw_) {
        report->MoveTo(PageLeft(), PageBottom());
        report->LineTo(PageRight(), PageTop());
    } else {
        report->MoveTo(PageLeft(), PageTop());
        report->LineTo(PageRight(), PageBottom());
    }
}

TVizeHLine::TVizeHLine(TComponent* owner) : TVizeLine(owner) { SetBoundsRect({0, 0, 1, 0}); }

TVizeVLine::TVizeVLine(TComponent* owner) : TVizeLine(owner) { SetBoundsRect({0, 0, 0, 1}); }

// ------------------------------------------------------------- surfaces

TVizeSurface::TVizeSurface(TComponent* owner) : TVizeGraphicBase(owner) {}

void TVizeSurface::SetBackColor(Integer colour) {
    brushColor_ = colour;
    Refresh();
}

void TVizeSurface::SetFillStyle(TVizeFillStyle style) {
    if (style < fsSolid || style > fsNone) return;
    fillStyle_ = style;
    Refresh();
}

void TVizeSurface::ApplyReportBrush(TBaseReport* report) const {
    // The fill styles follow the platform's brush styles; "none" fills
    // nothing.
    TBrushStyle style = fillStyle_ == fsNone ? bsClear : TBrushStyle(fillStyle_);
    report->SetBrush(TColor(brushColor_), style, nullptr);
}

TVizeRectangle::TVizeRectangle(TComponent* owner) : TVizeSurface(owner) { SetBoundsRect({0, 0, 2, 1}); }

void TVizeRectangle::SetHRadius(double v) {
    hRadius_ = v;
    Refresh();
}

void TVizeRectangle::SetVRadius(double v) {
    vRadius_ = v;
    Refresh();
}

void TVizeRectangle::PrintSelf(TBaseReport* report) {
    if (!IsVisible()) return;
    ApplyReportPen(report);
    ApplyReportBrush(report);
    if (hRadius_ != 0 && vRadius_ != 0)
        report->RoundRect(PageLeft(), PageTop(), PageRight(), PageBottom(), 2 * hRadius_, 2 * vRadius_);
    else
        report->Rectangle(PageLeft(), PageTop(), PageRight(), PageBottom());
}

TVizeSquare::TVizeSquare(TComponent* owner) : TVizeRectangle(owner) { SetBoundsRect({0, 0, 1, 1}); }

void TVizeSquare::ConstrainPoints(const TVizeRect& first, double& x2, double& y2) {
    ConstrainToSquare(first, x2, y2);
}

TVizeEllipse::TVizeEllipse(TComponent* owner) : TVizeSurface(owner) { SetBoundsRect({0, 0, 2, 1}); }

void TVizeEllipse::PrintSelf(TBaseReport* report) {
    if (!IsVisible()) return;
    ApplyReportPen(report);
    ApplyReportBrush(report);
    report->Ellipse(PageLeft(), PageTop(), PageRight(), PageBottom());
}

TVizeCircle::TVizeCircle(TComponent* owner) : TVizeEllipse(owner) { SetBoundsRect({0, 0, 1, 1}); }

void TVizeCircle::ConstrainPoints(const TVizeRect& first, double& x2, double& y2) {
    ConstrainToSquare(first, x2, y2);
}

void ConstrainToSquare(const TVizeRect& first, double& x2, double& y2) {
    double dx = x2 - first.Left, dy = y2 - first.Top;
    if (dx == 0 || dy == 0) return;
    if (std::fabs(dx) > std::fabs(dy))
        x2 = first.Left + std::copysign(std::fabs(dy), dx);
    else
        y2 = first.Top + std::copysign(std::fabs(dx), dy);
}

namespace {
void RegisterVzCsDrawClasses() {
    RegisterComponentGroup("Graphics", Trans("Drawing"), "VzCsDraw",
                           {TVizeLine::StaticClass(), TVizeHLine::StaticClass(), TVizeVLine::StaticClass(),
                            TVizeRectangle::StaticClass(), TVizeSquare::StaticClass(), TVizeEllipse::StaticClass(),
                            TVizeCircle::StaticClass()},
                           6);
}
}  // namespace

void InitializeVzCsDraw() { RegisterProc("VZCL", RegisterVzCsDrawClasses); }

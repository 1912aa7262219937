#include "reportproject/VzCsDraw.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/core/MathUtils.h"
#include "platform/gui/Canvas.h"
#include "report/BaseReport.h"
#include "report/ReportDefs.h"

namespace {
const std::vector<std::string> PenStyles = {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear",
                                            "psInsideFrame"};
const std::vector<std::string> FillStyles = {"fsSolid", "fsClear", "fsHorizontal", "fsVertical", "fsFDiagonal",
                                             "fsBDiagonal", "fsCross", "fsDiagCross", "fsNone"};
const std::vector<std::string> WidthTypes = {"wtPoints", "wtPixels"};

constexpr double Tolerance = 0.0001;

// A pen width in whole pixels or ten-thousandths of an inch. A width read
// from a damaged project stays within what an int holds.
int WholeWidth(double v) {
    constexpr double limit = 1e6;
    if (std::isnan(v)) return 0;
    return int(RoundHalfEven(std::clamp(v, -limit, limit), 0));
}

// When lo passed hi, the two swap, and so do the remembered ends of the
// drag; true when they did.
bool TurnOver(double& lo, double& hi, double& startLo, double& startHi) {
    if (lo <= hi) return false;
    std::swap(lo, hi);
    std::swap(startLo, startHi);
    return true;
}

// v lies between a and b (either order), with the length tolerance.
bool Between(double v, double a, double b) {
    return v >= std::min(a, b) - Tolerance && v <= std::max(a, b) + Tolerance;
}

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
    int width = lineWidthType_ == wtPixels ? WholeWidth(lineWidth_) : -(10000 + WholeWidth(lineWidth_ * 10000 / 72));
    report->SetPen(TColor(penColor_), TPenStyle(penStyle_), width, pmCopy);
}

void TVizeGraphicBase::ApplyCanvasPen(TCanvas* canvas, int& inset, int& farInset) const {
    TPen* pen = canvas->Pen();
    pen->SetColor(TColor(penColor_));
    pen->SetStyle(TPenStyle(penStyle_));
    pen->SetMode(pmCopy);
    pen->SetWidth(1);
    if (lineWidth_ == 0)
        pen->SetStyle(psClear);
    else if (lineWidthType_ == wtPixels)
        pen->SetWidth(WholeWidth(lineWidth_));
    else
        pen->SetWidth(std::max(1, DesignScale().Pixels(lineWidth_ / 72)));
    switch (pen->Style()) {
        case psClear: inset = farInset = 0; break;
        case psInsideFrame:
            inset = 0;
            farInset = 1;
            break;
        default:
            inset = pen->Width() / 2;
            farInset = pen->Width() - inset;
            break;
    }
}

// ---------------------------------------------------------------- lines

TVizeLine::TVizeLine(TComponent* owner) : TVizeGraphicBase(owner) { SetBoundsRect({0, 0, 1, 1}); }

void TVizeLine::SetNESW(bool v) {
    nesw_ = v;
    Refresh();
}

void TVizeLine::DrawnEnds(const TVizeRect& box, TVizePoint& start, TVizePoint& end) const {
    start = {box.Left, nesw_ ? box.Bottom : box.Top};
    end = {box.Right, nesw_ ? box.Top : box.Bottom};
}

void TVizeLine::PrintSelf(TBaseReport* report) {
    if (!IsVisible()) return;
    ApplyReportPen(report);
    TVizePoint start, end;
    DrawnEnds({PageLeft(), PageTop(), PageRight(), PageBottom()}, start, end);
    report->MoveTo(start.X, start.Y);
    report->LineTo(end.X, end.Y);
}

void TVizeLine::PaintSelf(TCanvas* canvas) {
    int inset = 0, farInset = 0;
    ApplyCanvasPen(canvas, inset, farInset);
    const TVizePageDesigner& d = DesignScale();
    TVizePoint start, end;
    DrawnEnds({PageLeft(), PageTop(), PageRight(), PageBottom()}, start, end);
    canvas->MoveTo(d.XI2D(start.X), d.YI2D(start.Y));
    canvas->LineTo(d.XI2D(end.X), d.YI2D(end.Y));
}

void TVizeLine::ShowHandles() {
    TVizePoint start, end;
    DrawnEnds({PageLeft(), PageTop(), PageRight(), PageBottom()}, start, end);
    TellHandles({{0, start, crCross}, {1, end, crCross}});
}

void TVizeLine::DragHandle(TVizeDragRecord& drag, double dx, double dy) {
    if (drag.Handle != 0 && drag.Handle != 1) return;
    TVizeRect& start = drag.Start;
    TVizeRect box = start;
    const bool leftEnd = drag.Handle == 0;
    // Handle 0 is the left end, at the top of a plain line and at the
    // bottom of a NESW one.
    const bool upperEnd = leftEnd != nesw_;
    (leftEnd ? box.Left : box.Right) += dx;
    (upperEnd ? box.Top : box.Bottom) += dy;
    // Turned over, the line keeps its two end points by running the other
    // diagonal of its box.
    if (TurnOver(box.Top, box.Bottom, start.Top, start.Bottom)) nesw_ = !nesw_;
    if (TurnOver(box.Left, box.Right, start.Left, start.Right)) {
        nesw_ = !nesw_;
        drag.Handle = 1 - drag.Handle;
        TellDragContinues(drag.Handle);
    }
    SetBoundsRect(box);
}

bool TVizeLine::ContainsPoint(const TVizePoint& point) const {
    if (!IsVisible()) return false;
    const TVizePoint p = ToParent(point);
    const TVizeRect box = GetBoundsRect();
    TVizePoint a, b;
    DrawnEnds(box, a, b);
    // The foot of the perpendicular from the point to the line.
    TVizePoint foot;
    if (std::fabs(b.X - a.X) <= Tolerance) {
        foot = {a.X, p.Y};
    } else if (std::fabs((b.Y - a.Y) / (b.X - a.X)) < Tolerance) {
        foot = {p.X, a.Y};
    } else {
        double ux = b.X - a.X, uy = b.Y - a.Y;
        double t = ((p.X - a.X) * ux + (p.Y - a.Y) * uy) / (ux * ux + uy * uy);
        foot = {a.X + t * ux, a.Y + t * uy};
    }
    return PointInRect(box, foot) && std::hypot(p.X - foot.X, p.Y - foot.Y) < Reach() && ShownByParent();
}

bool TVizeLine::IntersectsRect(const TVizeRect& rect) const {
    if (!TVizeControl::IntersectsRect(rect)) return false;
    TVizePoint a, b;
    DrawnEnds(GetBoundsRect(), a, b);
    if (std::fabs(b.X - a.X) <= Tolerance || std::fabs(b.Y - a.Y) <= Tolerance) return true;
    // A slanted line must cross the rectangle, not only its box.
    const TVizeRect r = ToParent(rect);
    auto xAt = [&](double y) { return a.X + (y - a.Y) * (b.X - a.X) / (b.Y - a.Y); };
    auto yAt = [&](double x) { return a.Y + (x - a.X) * (b.Y - a.Y) / (b.X - a.X); };
    return Between(xAt(r.Top), r.Left, r.Right) || Between(xAt(r.Bottom), r.Left, r.Right) ||
           Between(yAt(r.Left), r.Top, r.Bottom) || Between(yAt(r.Right), r.Top, r.Bottom);
}

void TVizeLine::SetBoundsFromPoints(TVizePoint first, TVizePoint second) {
    ConstrainPoints(first, second);
    if (second.X < first.X) std::swap(first, second);
    nesw_ = second.Y < first.Y;
    SetBoundsRect({first.X, std::min(first.Y, second.Y), second.X, std::max(first.Y, second.Y)});
}

TVizeHLine::TVizeHLine(TComponent* owner) : TVizeLine(owner) { SetBoundsRect({0, 0, 1, 0}); }

bool TVizeHLine::ContainsPoint(const TVizePoint& point) const {
    if (!IsVisible()) return false;
    const TVizePoint p = ToParent(point);
    return Between(p.X, GetLeft(), GetRight()) && std::fabs(p.Y - GetTop()) <= Reach() && ShownByParent();
}

void TVizeHLine::DragHandle(TVizeDragRecord& drag, double dx, double) {
    if (drag.Handle != 0 && drag.Handle != 1) return;
    TVizeRect& start = drag.Start;
    TVizeRect box = start;
    (drag.Handle == 0 ? box.Left : box.Right) += dx;
    if (TurnOver(box.Left, box.Right, start.Left, start.Right)) {
        drag.Handle = 1 - drag.Handle;
        TellDragContinues(drag.Handle);
    }
    SetBoundsRect(box);
}

TVizeVLine::TVizeVLine(TComponent* owner) : TVizeLine(owner) { SetBoundsRect({0, 0, 0, 1}); }

bool TVizeVLine::ContainsPoint(const TVizePoint& point) const {
    if (!IsVisible()) return false;
    const TVizePoint p = ToParent(point);
    return Between(p.Y, GetTop(), GetBottom()) && std::fabs(p.X - GetLeft()) <= Reach() && ShownByParent();
}

void TVizeVLine::DragHandle(TVizeDragRecord& drag, double, double dy) {
    if (drag.Handle != 0 && drag.Handle != 1) return;
    TVizeRect& start = drag.Start;
    TVizeRect box = start;
    // Handle 0 starts the drawn line: the upper end unless NESW is set.
    ((drag.Handle == 0) != NESW() ? box.Top : box.Bottom) += dy;
    if (TurnOver(box.Top, box.Bottom, start.Top, start.Bottom)) {
        drag.Handle = 1 - drag.Handle;
        TellDragContinues(drag.Handle);
    }
    SetBoundsRect(box);
}

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

namespace {
// The fill styles follow the platform's brush styles; "none" fills nothing.
TBrushStyle BrushStyleOf(TVizeFillStyle style) { return style == fsNone ? bsClear : TBrushStyle(style); }
}  // namespace

void TVizeSurface::ApplyReportBrush(TBaseReport* report) const {
    report->SetBrush(TColor(brushColor_), BrushStyleOf(fillStyle_), nullptr);
}

TRect TVizeSurface::PrepareCanvas(TCanvas* canvas) const {
    int inset = 0, farInset = 0;
    ApplyCanvasPen(canvas, inset, farInset);
    canvas->Brush()->SetColor(TColor(brushColor_));
    canvas->Brush()->SetStyle(BrushStyleOf(fillStyle_));
    const TVizePageDesigner& d = DesignScale();
    return {d.XI2D(PageLeft()) + inset, d.YI2D(PageTop()) + inset, d.XI2D(PageRight()) - farInset + 2,
            d.YI2D(PageBottom()) - farInset + 2};
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

void TVizeRectangle::PaintSelf(TCanvas* canvas) {
    TRect box = PrepareCanvas(canvas);
    if (hRadius_ != 0 && vRadius_ != 0) {
        const TVizePageDesigner& d = DesignScale();
        canvas->RoundRect(box.Left, box.Top, box.Right, box.Bottom, 2 * d.Pixels(hRadius_), 2 * d.Pixels(vRadius_));
    } else {
        canvas->Rectangle(box);
    }
}

TVizeSquare::TVizeSquare(TComponent* owner) : TVizeRectangle(owner) { SetBoundsRect({0, 0, 1, 1}); }

void TVizeSquare::ShowHandles() { TellHandles(CornerHandles(*this)); }

void TVizeSquare::ConstrainMove(const TVizePoint& reference, TVizePoint& point) {
    ConstrainToDiagonal(reference, point);
}

void TVizeSquare::ConstrainPoints(const TVizePoint& first, TVizePoint& second) { ConstrainToSquare(first, second); }

TVizeEllipse::TVizeEllipse(TComponent* owner) : TVizeSurface(owner) { SetBoundsRect({0, 0, 2, 1}); }

void TVizeEllipse::PrintSelf(TBaseReport* report) {
    if (!IsVisible()) return;
    ApplyReportPen(report);
    ApplyReportBrush(report);
    report->Ellipse(PageLeft(), PageTop(), PageRight(), PageBottom());
}

void TVizeEllipse::PaintSelf(TCanvas* canvas) { canvas->Ellipse(PrepareCanvas(canvas)); }

TVizeCircle::TVizeCircle(TComponent* owner) : TVizeEllipse(owner) { SetBoundsRect({0, 0, 1, 1}); }

void TVizeCircle::ShowHandles() { TellHandles(CornerHandles(*this)); }

void TVizeCircle::ConstrainMove(const TVizePoint& reference, TVizePoint& point) {
    ConstrainToDiagonal(reference, point);
}

void TVizeCircle::ConstrainPoints(const TVizePoint& first, TVizePoint& second) { ConstrainToSquare(first, second); }

std::vector<TVizeHandle> CornerHandles(const TVizeControl& control) {
    std::vector<TVizeHandle> handles = control.SizingHandles();
    std::erase_if(handles, [](const TVizeHandle& h) { return h.Number != 0 && h.Number != 2 && h.Number != 5 &&
                                                             h.Number != 7; });
    return handles;
}

void ConstrainToDiagonal(const TVizePoint& reference, TVizePoint& point) {
    double dx = point.X - reference.X, dy = point.Y - reference.Y;
    if (dx < dy)
        point.Y = reference.Y + dx;
    else
        point.X = reference.X + dy;
}

void ConstrainToSquare(const TVizePoint& first, TVizePoint& second) {
    double dx = second.X - first.X, dy = second.Y - first.Y;
    if (dx == 0 || dy == 0) return;
    if (std::fabs(dx) > std::fabs(dy))
        second.X = first.X + std::copysign(std::fabs(dy), dx);
    else
        second.Y = first.Y + std::copysign(std::fabs(dx), dy);
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

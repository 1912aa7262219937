#pragma once
// Drawing components: lines (free, horizontal, vertical) and filled shapes
// (rectangles and squares with optional rounded corners, ellipses and
// circles), printed on a TBaseReport and painted on a designer's canvas with
// a pen whose width is in pixels or points; lines and the square shapes
// refine the designer's handles, hit tests and resizing.

#include <vector>

#include "platform/gui/Graphics.h"
#include "reportproject/VzControl.h"

class TVizeGraphicBase : public TVizeControl {
    VIZE_CLASS(TVizeGraphicBase)
public:
    explicit TVizeGraphicBase(TComponent* owner);

    void SetForeColor(Integer colour) override;
    Integer GetForeColor() const override { return penColor_; }
    void SetLineWidth(double width) override;
    double GetLineWidth() const override { return lineWidth_; }
    void SetLineWidthType(TLineWidthType type) override;
    TLineWidthType GetLineWidthType() const override { return lineWidthType_; }
    void SetLineStyle(Integer style) override;
    Integer GetLineStyle() const override { return penStyle_; }

    // Property accessors.
    Int64 LineWidthTypeOrd() const { return lineWidthType_; }
    void SetLineWidthTypeOrd(Int64 v) {
        if (IsMemberOrdinal(v, wtPixels)) SetLineWidthType(TLineWidthType(v));
    }
    Int64 LineStyleOrd() const { return penStyle_; }
    void SetLineStyleOrd(Int64 v) { SetLineStyle(Integer(v)); }
    Int64 ForeColorOrd() const { return penColor_; }
    void SetForeColorOrd(Int64 v) { SetForeColor(Integer(v)); }

protected:
    // Sets the report's pen from this control's pen.
    void ApplyReportPen(TBaseReport* report) const;
    // Sets the canvas pen from this control's pen; inset and farInset are
    // how far a shape's box moves in at its top-left and its bottom-right
    // so that the pen stays inside.
    void ApplyCanvasPen(TCanvas* canvas, int& inset, int& farInset) const;

private:
    Integer penColor_ = 0;
    Integer penStyle_ = psSolid;
    double lineWidth_ = 1.0;
    TLineWidthType lineWidthType_ = wtPixels;
};

class TVizeLine : public TVizeGraphicBase {
    VIZE_CLASS(TVizeLine)
public:
    explicit TVizeLine(TComponent* owner);
    // Bottom-left to top-right when set, else top-left to bottom-right.
    bool NESW() const { return nesw_; }
    void SetNESW(bool v);
    void PrintSelf(TBaseReport* report) override;
    void PaintSelf(TCanvas* canvas) override;

    // Two handles: 0 at the start of the drawn line (its left end), 1 at its
    // end, both with the cross-hair cursor.
    void ShowHandles() override;
    // The dragged end moves; a line that turns over keeps its two end points
    // by changing NESW (and, across, the handle).
    void DragHandle(TVizeDragRecord& drag, double dx, double dy) override;
    // Within 3 designer pixels of the line, inside its box.
    bool ContainsPoint(const TVizePoint& point) const override;
    // The rectangle meets the box and is crossed by the line.
    bool IntersectsRect(const TVizeRect& rect) const override;
    // The left point starts the line; NESW when the other lies above it.
    void SetBoundsFromPoints(TVizePoint first, TVizePoint second) override;

protected:
    // The start and end of the line drawn in box.
    void DrawnEnds(const TVizeRect& box, TVizePoint& start, TVizePoint& end) const;
    // The designer's 3-pixel reach, in inches.
    double Reach() const { return DesignScale().Inches(3); }

private:
    bool nesw_ = false;
};

class TVizeHLine : public TVizeLine {
    VIZE_CLASS(TVizeHLine)
public:
    explicit TVizeHLine(TComponent* owner);
    void ConstrainMove(const TVizePoint& reference, TVizePoint& point) override { point.Y = reference.Y; }
    void ConstrainPoints(const TVizePoint& first, TVizePoint& second) override { second.Y = first.Y; }
    bool ContainsPoint(const TVizePoint& point) const override;
    // Only the left or the right end moves; when they cross they swap.
    void DragHandle(TVizeDragRecord& drag, double dx, double dy) override;
};

class TVizeVLine : public TVizeLine {
    VIZE_CLASS(TVizeVLine)
public:
    explicit TVizeVLine(TComponent* owner);
    void ConstrainMove(const TVizePoint& reference, TVizePoint& point) override { point.X = reference.X; }
    void ConstrainPoints(const TVizePoint& first, TVizePoint& second) override { second.X = first.X; }
    bool ContainsPoint(const TVizePoint& point) const override;
    // Only the upper or the lower end moves; when they cross they swap.
    void DragHandle(TVizeDragRecord& drag, double dx, double dy) override;
};

class TVizeSurface : public TVizeGraphicBase {
    VIZE_CLASS(TVizeSurface)
public:
    explicit TVizeSurface(TComponent* owner);
    void SetBackColor(Integer colour) override;
    Integer GetBackColor() const override { return brushColor_; }
    void SetFillStyle(TVizeFillStyle style) override;
    TVizeFillStyle GetFillStyle() const override { return fillStyle_; }
    Int64 BackColorOrd() const { return brushColor_; }
    void SetBackColorOrd(Int64 v) { SetBackColor(Integer(v)); }
    Int64 FillStyleOrd() const { return fillStyle_; }
    void SetFillStyleOrd(Int64 v) {
        if (IsMemberOrdinal(v, fsNone)) SetFillStyle(TVizeFillStyle(v));
    }

protected:
    void ApplyReportBrush(TBaseReport* report) const;
    // Sets the canvas pen and brush; answers the box the shape is drawn in.
    TRect PrepareCanvas(TCanvas* canvas) const;

private:
    Integer brushColor_ = 0xFFFFFF;
    TVizeFillStyle fillStyle_ = fsSolid;
};

class TVizeRectangle : public TVizeSurface {
    VIZE_CLASS(TVizeRectangle)
public:
    explicit TVizeRectangle(TComponent* owner);
    double HRadius() const { return hRadius_; }
    void SetHRadius(double v);
    double VRadius() const { return vRadius_; }
    void SetVRadius(double v);
    void PrintSelf(TBaseReport* report) override;
    void PaintSelf(TCanvas* canvas) override;

private:
    double hRadius_ = 0, vRadius_ = 0;
};

class TVizeSquare : public TVizeRectangle {
    VIZE_CLASS(TVizeSquare)
public:
    explicit TVizeSquare(TComponent* owner);
    // Only the four corner handles.
    void ShowHandles() override;
    void ConstrainMove(const TVizePoint& reference, TVizePoint& point) override;
    // Keeps the box square: the longer side is cut to the shorter.
    void ConstrainPoints(const TVizePoint& first, TVizePoint& second) override;
};

class TVizeEllipse : public TVizeSurface {
    VIZE_CLASS(TVizeEllipse)
public:
    explicit TVizeEllipse(TComponent* owner);
    void PrintSelf(TBaseReport* report) override;
    void PaintSelf(TCanvas* canvas) override;
};

class TVizeCircle : public TVizeEllipse {
    VIZE_CLASS(TVizeCircle)
public:
    explicit TVizeCircle(TComponent* owner);
    void ShowHandles() override;
    void ConstrainMove(const TVizePoint& reference, TVizePoint& point) override;
    void ConstrainPoints(const TVizePoint& first, TVizePoint& second) override;
};

// Shared by squares and circles: the corner handles 0, 2, 5 and 7; the point
// put on the diagonal through the reference; the second point moved so that
// the box of the two is square (the longer offset cut to the shorter, its
// sign kept).
std::vector<TVizeHandle> CornerHandles(const TVizeControl& control);
void ConstrainToDiagonal(const TVizePoint& reference, TVizePoint& point);
void ConstrainToSquare(const TVizePoint& first, TVizePoint& second);

// Start-up: registers the drawing components.
void InitializeVzCsDraw();

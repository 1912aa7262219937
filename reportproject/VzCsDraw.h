#pragma once
// Drawing components: lines (free, horizontal, vertical) and filled shapes
// (rectangles and squares with optional rounded corners, ellipses and
// circles), printed on a TBaseReport with a pen whose width is in pixels or
// points.

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
    void SetLineWidthTypeOrd(Int64 v) { SetLineWidthType(TLineWidthType(v)); }
    Int64 LineStyleOrd() const { return penStyle_; }
    void SetLineStyleOrd(Int64 v) { SetLineStyle(Integer(v)); }
    Int64 ForeColorOrd() const { return penColor_; }
    void SetForeColorOrd(Int64 v) { SetForeColor(Integer(v)); }

protected:
    // Sets the report's pen from this control's pen.
    void ApplyReportPen(TBaseReport* report) const;

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

private:
    bool nesw_ = false;
};

class TVizeHLine : public TVizeLine {
    VIZE_CLASS(TVizeHLine)
public:
    explicit TVizeHLine(TComponent* owner);
    void ConstrainPoints(const TVizeRect& first, double& x2, double& y2) override { y2 = first.Top; }
};

class TVizeVLine : public TVizeLine {
    VIZE_CLASS(TVizeVLine)
public:
    explicit TVizeVLine(TComponent* owner);
    void ConstrainPoints(const TVizeRect& first, double& x2, double& y2) override { x2 = first.Left; }
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
    void SetFillStyleOrd(Int64 v) { SetFillStyle(TVizeFillStyle(v)); }

protected:
    void ApplyReportBrush(TBaseReport* report) const;

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

private:
    double hRadius_ = 0, vRadius_ = 0;
};

class TVizeSquare : public TVizeRectangle {
    VIZE_CLASS(TVizeSquare)
public:
    explicit TVizeSquare(TComponent* owner);
    // Keeps the box square: the longer side is cut to the shorter.
    void ConstrainPoints(const TVizeRect& first, double& x2, double& y2) override;
};

class TVizeEllipse : public TVizeSurface {
    VIZE_CLASS(TVizeEllipse)
public:
    explicit TVizeEllipse(TComponent* owner);
    void PrintSelf(TBaseReport* report) override;
};

class TVizeCircle : public TVizeEllipse {
    VIZE_CLASS(TVizeCircle)
public:
    explicit TVizeCircle(TComponent* owner);
    void ConstrainPoints(const TVizeRect& first, double& x2, double& y2) override;
};

// Shared by squares and circles.
void ConstrainToSquare(const TVizeRect& first, double& x2, double& y2);

// Start-up: registers the drawing components.
void InitializeVzCsDraw();

#pragma once
// The preview renderer: one page of a snapshot at a time, drawn into the
// bitmap of an image control inside a scroll box, with rulers, a grid, a
// drop shadow and a margin around it, at a zoom factor.

#include <memory>

class QScrollArea;

#include "platform/gui/ExtCtrls.h"
#include "report/ReportForms.h"
#include "report/RenderCanvas.h"

class TVzRenderPreview : public TVzRenderCanvas {
public:
    explicit TVzRenderPreview(TComponent* owner);
    ~TVzRenderPreview() override;

    TScrollBox* ScrollBox = nullptr;
    double ZoomFactor() const { return zoom_; }
    void SetZoomFactor(double value);
    int ZoomInc = 10;
    bool Monochrome() const { return monochrome_; }
    void SetMonochrome(bool value);
    TMarginMethod MarginMethod = mmFixed;
    double MarginPercent = 0;
    TRulerType RulerType = rtNone;
    TPen* GridPen() { return &gridPen_; }
    void SetGridPen(const TPen& pen) { gridPen_.Assign(pen); }
    double GridHoriz = 0, GridVert = 0;
    int ShadowDepth() const { return shadow_; }
    void SetShadowDepth(int value);
    int PageInc = 1;
    TNotifyEvent OnZoomChange, OnPageChange;

    int CurrentPage() const { return currentPage_; }
    int GetPageCount();
    TImage* Image() const { return image_; }
    // The page bitmap (null before the first page is shown).
    TBitmap* PageBitmap() const;
    // Scroll-box pixels around the page image.
    int Margin() const { return margin_; }
    int LeftRulerWidth() const { return leftRuler_; }
    int TopRulerHeight() const { return topRuler_; }

    TCanvas* GetCanvas() override;
    int GetXDPI() override;
    int GetYDPI() override;
    int XToDevice(double x) override;
    int YToDevice(double y) override;
    double TextWidth(const std::string& text) override;
    void PrintBitmapRect(double x1, double y1, double x2, double y2, TBitmap* bitmap) override;
    int GetOutputKind() override { return 1; }
    // Takes the stream and shows its first page.
    void Render(TStream* stream) override;
    void BeginPage() override;
    void EndPage() override;

    void RenderPage(int page);
    void RedrawPage() { RenderPage(currentPage_); }
    void NextPage();
    void PreviousPage();
    void ZoomIn() { SetZoomFactor(zoom_ + ZoomInc); }
    void ZoomOut();
    double ZoomPageFactor();
    double ZoomPageWidthFactor();
    // Takes the stream without showing anything (the window opens files).
    void SetInputStream(TStream* stream);
    void OpenFile(const std::string& name);
    void FreeInputStream();

private:
    void MeasureScrollBox();
    void DrawRulers(TCanvas* c, int pageW, int pageH);
    QScrollArea* Area() const;
    double PageW() const;
    double PageH() const;

    double zoom_ = 100;
    bool monochrome_ = false;
    int shadow_ = 0;
    TPen gridPen_;
    TImage* image_ = nullptr;
    int currentPage_ = 1;
    int pageCount_ = 0;
    int leftRuler_ = 0, topRuler_ = 0;
    int hBar_ = 0, vBar_ = 0, borderW_ = 0, borderH_ = 0;
    int margin_ = 0;
    int savedH_ = 0, savedV_ = 0;
    TCursor savedCursor_ = crDefault;
};

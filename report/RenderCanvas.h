#pragma once
// Renderers that play a snapshot stream onto a platform canvas: the canvas
// renderer leaves the canvas and the inch-to-pixel mapping to descendants;
// the printer renderer draws on the printer device and prints the report.

#include <string>

#include "report/PrinterDevice.h"
#include "report/Render.h"

class TVzRenderCanvas : public TVPRenderStream {
public:
    explicit TVzRenderCanvas(TComponent* owner) : TVPRenderStream(owner) {}

    virtual TCanvas* GetCanvas() = 0;
    // Inches of the text in the current font.
    virtual double TextWidth(const std::string& text);

    void SetBKColor(TColor color) override;
    void SetBrush(TBrush* brush) override;
    void SetPen(TPen* pen) override;
    void FontChanged(TFont* font) override;
    void PrintLeft(const std::string& text, double x, double y) override { PrintAligned(text, x, y, TA_LEFT); }
    void PrintCenter(const std::string& text, double x, double y) override { PrintAligned(text, x, y, TA_CENTER); }
    void PrintRight(const std::string& text, double x, double y) override { PrintAligned(text, x, y, TA_RIGHT); }
    void PrintBlock(const std::string& text, double x, double y, double width) override;
    void TextRect(const TRect& r, double x, double y, const std::string& text) override;
    void MoveTo(double x, double y) override;
    void LineTo(double x, double y) override;
    void Rectangle(double x1, double y1, double x2, double y2) override;
    void Ellipse(double x1, double y1, double x2, double y2) override;
    void RoundRect(double x1, double y1, double x2, double y2, double x3, double y3) override;
    void Arc(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4) override;
    void Chord(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4) override;
    void Pie(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4) override;
    void Polygon(const std::vector<std::pair<double, double>>& points) override;
    void PolyLine(const std::vector<std::pair<double, double>>& points) override;
    void FillRect(const TRect& r) override;
    void FrameRect(const TRect& r) override;
    void DrawFocusRect(const TRect& r) override;
    void FloodFill(double x, double y, TColor color, int style) override;
    void BrushCopy(const TRect& dest, TBitmap* bitmap, const TRect& source, TColor color) override;
    void Draw(double x, double y, TGraphic* graphic) override;
    void StretchDraw(const TRect& r, TGraphic* graphic) override;
    void PrintBitmapRect(double x1, double y1, double x2, double y2, TBitmap* bitmap) override;
    void PrintBitmap(double x, double y, double scaleX, double scaleY, TBitmap* bitmap) override;
    void EndDoc() override;
    // The font built from the converter's font record (device pixels).
    const TFont& RenderFont() const { return font_; }

protected:
    void PrintAligned(const std::string& text, double x, double y, unsigned align);
    void PrintRotated(TCanvas* canvas, const std::string& text, int x, int y, unsigned align, int degrees);
    // Hands a text to a device that keeps text as text; false: it is drawn
    // on the canvas.
    virtual bool DrawTextOnDevice(const std::string& text, int x, int y, unsigned align, int degrees) {
        return false;
    }
    void AdvanceAndPrint(double& x, double& y, double distance, const std::string& text);
    void ShapeBounds(double x1, double y1, double x2, double y2, TRect& r);
    void DrawBitmap(const TRect& dest, TBitmap* bitmap);
    TFont font_;
    bool fontBuilt_ = false;
};

class TVzRenderPrinter : public TVzRenderCanvas {
public:
    explicit TVzRenderPrinter(TComponent* owner);

    bool UseOwnSettings = false;
    int Copies = 1;
    bool Collate = false;
    TDuplex Duplex = dupSimplex;
    int StoredPageCount = 0;

    TCanvas* GetCanvas() override;
    bool DrawTextOnDevice(const std::string& text, int x, int y, unsigned align, int degrees) override;
    int GetXDPI() override;
    int GetYDPI() override;
    int XToDevice(double x) override;
    int YToDevice(double y) override;
    void BeginDoc() override;
    void EndDoc() override;
    void BeginPage() override;
    void SelectBin(const std::string& name) override;
    void SetBin(int bin) override;
    void PrintData(const std::string& data) override;
    void PrintDataStream(TStream* stream, Int64 count) override;
    int GetPageCount();
    int GetMaxCopies();

private:
    TVpPrinterDevice* Device();
    int headerPageCount_ = 0;
};

#pragma once
// The drawing surface with the platform's canvas semantics: pen, brush and
// font tools, raster operations of the pen mode on lines and shapes, text
// alignment flags, and exclusive right and bottom edges. It draws into a
// QImage (32-bit RGB) that belongs to a bitmap, a custom-drawn control or a
// printed page; nothing here needs a screen.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QImage>

#include "platform/gui/Graphics.h"

class TGraphic;
class QPainter;

// Text alignment flags, as SetTextAlign takes them.
inline constexpr unsigned TA_NOUPDATECP = 0;
inline constexpr unsigned TA_UPDATECP = 1;
inline constexpr unsigned TA_LEFT = 0;
inline constexpr unsigned TA_RIGHT = 2;
inline constexpr unsigned TA_CENTER = 6;
inline constexpr unsigned TA_TOP = 0;
inline constexpr unsigned TA_BOTTOM = 8;
inline constexpr unsigned TA_BASELINE = 24;

// Text output flags (TextFlags).
inline constexpr unsigned ETO_OPAQUE = 2;
inline constexpr unsigned ETO_CLIPPED = 4;

// Copy modes: ternary raster operations of source, destination and brush.
using TCopyMode = std::uint32_t;
inline constexpr TCopyMode cmBlackness = 0x00000042;
inline constexpr TCopyMode cmDstInvert = 0x00550009;
inline constexpr TCopyMode cmMergeCopy = 0x00C000CA;
inline constexpr TCopyMode cmMergePaint = 0x00BB0226;
inline constexpr TCopyMode cmNotSrcCopy = 0x00330008;
inline constexpr TCopyMode cmNotSrcErase = 0x001100A6;
inline constexpr TCopyMode cmPatCopy = 0x00F00021;
inline constexpr TCopyMode cmPatInvert = 0x005A0049;
inline constexpr TCopyMode cmPatPaint = 0x00FB0A09;
inline constexpr TCopyMode cmSrcAnd = 0x008800C6;
inline constexpr TCopyMode cmSrcCopy = 0x00CC0020;
inline constexpr TCopyMode cmSrcErase = 0x00440328;
inline constexpr TCopyMode cmSrcInvert = 0x00660046;
inline constexpr TCopyMode cmSrcPaint = 0x00EE0086;
inline constexpr TCopyMode cmWhiteness = 0x00FF0062;

// Applies a ternary raster operation bitwise to pattern, source and
// destination values.
std::uint32_t ApplyRop3(TCopyMode rop, std::uint32_t pattern, std::uint32_t source, std::uint32_t dest);

struct TTextMetric {
    int tmHeight = 0;
    int tmAscent = 0;
    int tmDescent = 0;
    int tmInternalLeading = 0;
    int tmExternalLeading = 0;
    int tmAveCharWidth = 0;
    int tmMaxCharWidth = 0;
};

class TCanvas {
public:
    TCanvas();
    explicit TCanvas(QImage* surface);
    virtual ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    // The image drawn on (not owned). Converted to 32-bit RGB when needed.
    void SetSurface(QImage* surface);
    QImage* Surface() const { return surface_; }
    bool HandleAllocated() const { return surface_ != nullptr; }

    TPen* Pen() { return &pen_; }
    TBrush* Brush() { return &brush_; }
    TFont* Font() { return &font_; }
    const TPen* Pen() const { return &pen_; }
    const TBrush* Brush() const { return &brush_; }
    const TFont* Font() const { return &font_; }

    TPoint PenPos() const { return penPos_; }
    void SetPenPos(TPoint p) { penPos_ = p; }
    TCopyMode CopyMode() const { return copyMode_; }
    void SetCopyMode(TCopyMode m) { copyMode_ = m; }
    unsigned TextAlign() const { return textAlign_; }
    // Returns the previous alignment.
    unsigned SetTextAlign(unsigned flags);
    unsigned TextFlags() const { return textFlags_; }
    void SetTextFlags(unsigned f) { textFlags_ = f; }

    // Clipping: drawing outside the clip rectangle leaves pixels alone.
    TRect ClipRect() const;
    void SetClipRect(const TRect& r);
    void IntersectClipRect(const TRect& r);
    void ResetClip();

    void MoveTo(int x, int y);
    // Draws from the pen position to (x, y), excluding the end pixel.
    void LineTo(int x, int y);
    void Polyline(const std::vector<TPoint>& points);
    void Polygon(const std::vector<TPoint>& points);
    void Rectangle(int x1, int y1, int x2, int y2);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3);
    void Ellipse(int x1, int y1, int x2, int y2);
    void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
    // Counter-clockwise from the radial through (x3, y3) to the radial
    // through (x4, y4), on the ellipse bounded by (x1, y1)-(x2, y2).
    void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    void Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    // Brush only, no raster operation of the pen.
    void FillRect(const TRect& r);
    void FrameRect(const TRect& r);
    // Inverts a dotted frame (drawn twice, it disappears).
    void DrawFocusRect(const TRect& r);
    // Fills the area around (x, y) that has the colour c (fsSurface) or that
    // is bounded by the colour c (fsBorder) with the brush.
    enum TFillStyle { fsBorder, fsSurface };
    void FloodFill(int x, int y, TColor c, TFillStyle style);

    void TextOut(int x, int y, const std::string& text);
    // Text clipped to r; with a non-clear brush r is filled first.
    void TextRect(const TRect& r, int x, int y, const std::string& text);
    int TextWidth(const std::string& text) const;
    int TextHeight(const std::string& text) const;
    TSize TextExtent(const std::string& text) const;
    TTextMetric TextMetrics() const;

    // Bitmaps and pictures. Draw and StretchDraw use the copy mode.
    void Draw(int x, int y, TGraphic* graphic);
    void StretchDraw(const TRect& r, TGraphic* graphic);
    void CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect);
    // Draws an image (scaled to dest when sizes differ) with the copy mode;
    // with transparent set, source pixels of transparentColor are skipped.
    void DrawImage(const QImage& image, const TRect& dest, const TRect& sourceRect,
                   bool transparent = false, TColor transparentColor = clNone);

    TColor GetPixel(int x, int y) const;
    void SetPixel(int x, int y, TColor c);

    // Pixels[x][y], read and written.
    class PixelRef {
    public:
        PixelRef(TCanvas* c, int x, int y) : c_(c), x_(x), y_(y) {}
        operator TColor() const { return c_->GetPixel(x_, y_); }
        PixelRef& operator=(TColor v) { c_->SetPixel(x_, y_, v); return *this; }
    private:
        TCanvas* c_;
        int x_, y_;
    };
    class PixelColumn {
    public:
        PixelColumn(TCanvas* c, int x) : c_(c), x_(x) {}
        PixelRef operator[](int y) const { return PixelRef(c_, x_, y); }
    private:
        TCanvas* c_;
        int x_;
    };
    class PixelsProperty {
    public:
        explicit PixelsProperty(TCanvas* c) : c_(c) {}
        PixelColumn operator[](int x) const { return PixelColumn(c_, x); }
    private:
        TCanvas* c_;
    };
    PixelsProperty Pixels{this};

    // Called after every drawing operation (controls repaint the screen).
    std::function<void(TCanvas* sender)> OnChange;

    // A painter on the surface with the clip applied, for drawing that needs
    // Qt directly (controls painting their frame). Null without a surface.
    std::unique_ptr<QPainter> BeginPainter();

private:
    class Mask;
    void Changed();
    bool Ready() const;
    TRect SurfaceRect() const;
    TRect EffectiveClip() const;
    // Pixel-level plotting with the pen mode.
    void Plot(int x, int y, std::uint32_t rgb, TPenMode mode);
    std::uint32_t BrushPixel(int x, int y, bool& draw) const;
    bool OpaqueBackground() const { return brush_.Style() == bsSolid; }
    // A one-pixel line (cosmetic pen) with its style pattern; the pattern
    // position carries on along connected segments.
    void StyledLine(int x0, int y0, int x1, int y1, int& patternPos, std::vector<std::pair<int, int>>* onPixels,
                    std::vector<std::pair<int, int>>* offPixels);
    void StrokePolyline(const std::vector<TPoint>& pts, bool closed);
    // Shapes through coverage masks: the fill and the outline are computed
    // first, then each pixel gets its raster operation once.
    enum class Shape { Ellipse, RoundRect, Arc, Pie, Chord, Polygon };
    void DrawShape(Shape shape, TRect bounds, const std::vector<TPoint>& pts, int rx, int ry, double startDeg,
                   double spanDeg);
    void ApplyMasks(const Mask& fill, const Mask* pen, const Mask* gaps);
    void TextOutImpl(int x, int y, const std::string& text, const TRect* clip, bool opaqueRect);
    // The Qt font and metrics of the current font, made again only when the
    // font's face, size or style changed (building them costs far more than
    // drawing a short text), and the widths of recently measured texts.
    struct FontCache;
    const FontCache& CachedFont() const;
    int CachedWidth(const std::string& text) const;
    mutable std::shared_ptr<FontCache> fontCache_;

    QImage* surface_ = nullptr;
    TPen pen_;
    TBrush brush_;
    TFont font_;
    TPoint penPos_;
    TCopyMode copyMode_ = cmSrcCopy;
    unsigned textAlign_ = TA_LEFT | TA_TOP;
    unsigned textFlags_ = 0;
    bool clipped_ = false;
    TRect clip_;
};

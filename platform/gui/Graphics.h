#pragma once
// Colours, geometry and the drawing tools (pen, brush, font) of the canvas.
// Colours are the platform's 0x00BBGGRR values; system colours carry the
// high bit and resolve to fixed values so that drawing is the same on every
// machine. Font face names go through a substitution table to installed,
// metric-compatible faces.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/core/Exception.h"
#include "platform/core/Types.h"

class QColor;
class QFont;

// ---------------------------------------------------------------- geometry

struct TPoint {
    int X = 0;
    int Y = 0;
    TPoint() = default;
    TPoint(int x, int y) : X(x), Y(y) {}
    bool operator==(const TPoint&) const = default;
};

struct TSize {
    int cx = 0;
    int cy = 0;
    TSize() = default;
    TSize(int w, int h) : cx(w), cy(h) {}
    bool operator==(const TSize&) const = default;
};

// Right and Bottom are exclusive: the rectangle covers Left..Right-1.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    TRect() = default;
    TRect(int l, int t, int r, int b) : Left(l), Top(t), Right(r), Bottom(b) {}
    TRect(TPoint topLeft, TPoint bottomRight)
        : Left(topLeft.X), Top(topLeft.Y), Right(bottomRight.X), Bottom(bottomRight.Y) {}
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    TPoint TopLeft() const { return {Left, Top}; }
    TPoint BottomRight() const { return {Right, Bottom}; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    bool Contains(TPoint p) const { return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom; }
    bool operator==(const TRect&) const = default;
};

inline TRect Rect(int l, int t, int r, int b) { return {l, t, r, b}; }
inline TRect Bounds(int l, int t, int w, int h) { return {l, t, l + w, t + h}; }
inline TPoint Point(int x, int y) { return {x, y}; }
// Intersection; empty (all zero) when the rectangles do not overlap.
bool IntersectRect(TRect& dest, const TRect& a, const TRect& b);
bool UnionRect(TRect& dest, const TRect& a, const TRect& b);
bool PtInRect(const TRect& r, TPoint p);
void InflateRect(TRect& r, int dx, int dy);
void OffsetRect(TRect& r, int dx, int dy);

// ----------------------------------------------------------------- colours

using TColor = std::int32_t;

inline constexpr TColor RGB(Byte r, Byte g, Byte b) { return TColor(r | (g << 8) | (b << 16)); }
inline constexpr Byte GetRValue(TColor c) { return Byte(c & 0xFF); }
inline constexpr Byte GetGValue(TColor c) { return Byte((c >> 8) & 0xFF); }
inline constexpr Byte GetBValue(TColor c) { return Byte((c >> 16) & 0xFF); }

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clLtGray = 0xC0C0C0;
inline constexpr TColor clDkGray = 0x808080;
inline constexpr TColor clMoneyGreen = 0xC0DCC0;
inline constexpr TColor clSkyBlue = 0xF0CAA6;
inline constexpr TColor clCream = 0xF0FBFF;
inline constexpr TColor clMedGray = 0xA4A0A0;
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;

inline constexpr TColor clSystemColor = TColor(0x80000000u);
inline constexpr TColor clScrollBar = clSystemColor | 0;
inline constexpr TColor clBackground = clSystemColor | 1;
inline constexpr TColor clActiveCaption = clSystemColor | 2;
inline constexpr TColor clInactiveCaption = clSystemColor | 3;
inline constexpr TColor clMenu = clSystemColor | 4;
inline constexpr TColor clWindow = clSystemColor | 5;
inline constexpr TColor clWindowFrame = clSystemColor | 6;
inline constexpr TColor clMenuText = clSystemColor | 7;
inline constexpr TColor clWindowText = clSystemColor | 8;
inline constexpr TColor clCaptionText = clSystemColor | 9;
inline constexpr TColor clActiveBorder = clSystemColor | 10;
inline constexpr TColor clInactiveBorder = clSystemColor | 11;
inline constexpr TColor clAppWorkSpace = clSystemColor | 12;
inline constexpr TColor clHighlight = clSystemColor | 13;
inline constexpr TColor clHighlightText = clSystemColor | 14;
inline constexpr TColor clBtnFace = clSystemColor | 15;
inline constexpr TColor clBtnShadow = clSystemColor | 16;
inline constexpr TColor clGrayText = clSystemColor | 17;
inline constexpr TColor clBtnText = clSystemColor | 18;
inline constexpr TColor clInactiveCaptionText = clSystemColor | 19;
inline constexpr TColor clBtnHighlight = clSystemColor | 20;
inline constexpr TColor cl3DDkShadow = clSystemColor | 21;
inline constexpr TColor cl3DLight = clSystemColor | 22;
inline constexpr TColor clInfoText = clSystemColor | 23;
inline constexpr TColor clInfoBk = clSystemColor | 24;
inline constexpr TColor clHotLight = clSystemColor | 26;
inline constexpr TColor clGradientActiveCaption = clSystemColor | 27;
inline constexpr TColor clGradientInactiveCaption = clSystemColor | 28;
inline constexpr TColor clMenuHighlight = clSystemColor | 29;
inline constexpr TColor clMenuBar = clSystemColor | 30;

// Resolves system colours to their fixed values; clNone and clDefault
// resolve to black and the window colour. Result is 0x00BBGGRR.
TColor ColorToRGB(TColor c);
QColor ToQColor(TColor c);
TColor FromQColor(const QColor& c);

// ------------------------------------------------------------------- tools

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode {
    pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
    pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};
enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

// Applies a raster operation of the pen modes to 0x00BBGGRR values.
std::uint32_t ApplyPenMode(TPenMode mode, std::uint32_t pen, std::uint32_t dest);

// Base of pen, brush and font: notifies its owner (a canvas or a control)
// when a property changes.
class TGraphicsObject {
public:
    virtual ~TGraphicsObject() = default;
    std::function<void(TGraphicsObject* sender)> OnChange;

protected:
    void Changed() {
        if (OnChange) OnChange(this);
    }
};

class TPen : public TGraphicsObject {
public:
    TColor Color() const { return color_; }
    void SetColor(TColor c) { if (c != color_) { color_ = c; Changed(); } }
    int Width() const { return width_; }
    void SetWidth(int w) { if (w < 1) w = 1; if (w != width_) { width_ = w; Changed(); } }
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle s) { if (s != style_) { style_ = s; Changed(); } }
    TPenMode Mode() const { return mode_; }
    void SetMode(TPenMode m) { if (m != mode_) { mode_ = m; Changed(); } }
    void Assign(const TPen& other);

private:
    TColor color_ = clBlack;
    int width_ = 1;
    TPenStyle style_ = psSolid;
    TPenMode mode_ = pmCopy;
};

class TBrush : public TGraphicsObject {
public:
    TColor Color() const { return color_; }
    // Setting a colour on a clear brush makes it solid, as the platform does.
    void SetColor(TColor c);
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle s) { if (s != style_) { style_ = s; Changed(); } }
    void Assign(const TBrush& other);

private:
    TColor color_ = clWhite;
    TBrushStyle style_ = bsSolid;
};

enum TFontStyle { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;  // set of TFontStyle bits
enum TFontPitch { fpDefault, fpVariable, fpFixed };

// Face names the code asks for mapped to installed faces with the same
// metrics; unknown names map to the default sans-serif face.
std::string SubstituteFontName(const std::string& requested);

// a * b / c in 64 bits, rounded to the nearest integer (halves away from
// zero); -1 for a divisor 0. Scaling and point sizes go through it.
int MulDiv(int a, int b, int c);

class TFont : public TGraphicsObject {
public:
    // Pixels per inch used to convert point sizes; fixed so that sizes do not
    // depend on the screen.
    static constexpr int PixelsPerInch = 96;

    const std::string& Name() const { return name_; }
    void SetName(const std::string& n) { if (n != name_) { name_ = n; Changed(); } }
    // Size in points; Height in pixels (negative: character height without
    // internal leading, the usual form).
    int Size() const;
    void SetSize(int points);
    int Height() const { return height_; }
    void SetHeight(int h) { if (h != height_) { height_ = h; Changed(); } }
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles s) { if (s != style_) { style_ = s; Changed(); } }
    TColor Color() const { return color_; }
    void SetColor(TColor c) { if (c != color_) { color_ = c; Changed(); } }
    TFontPitch Pitch() const { return pitch_; }
    void SetPitch(TFontPitch p) { if (p != pitch_) { pitch_ = p; Changed(); } }
    int Charset() const { return charset_; }
    void SetCharset(int c) { charset_ = c; }
    void Assign(const TFont& other);

    // The Qt font for this description (substituted face, pixel size).
    QFont ToQFont() const;

private:
    std::string name_ = "MS Sans Serif";
    int height_ = -11;  // 8 points at 96 pixels per inch
    TFontStyles style_ = 0;
    TColor color_ = clWindowText;
    TFontPitch pitch_ = fpDefault;
    int charset_ = 1;
};

// A picture file that cannot be read or a format that is not known.
class EInvalidGraphic : public Exception { using Exception::Exception; };
class EInvalidGraphicOperation : public Exception { using Exception::Exception; };

// Creates the process's Qt application object when there is none yet (the
// font database and widgets need it). Safe to call many times.
void EnsureGuiApplication();
// Creates the Qt application from the program's real command line, so that
// the windows carry the program's name and class and Qt's own options
// (-platform, -style, -display ...) work; Qt removes those options from
// argc/argv. Call it first in main(); `argc` must outlive the application.
void CreateGuiApplication(int& argc, char** argv);

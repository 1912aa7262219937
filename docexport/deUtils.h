#pragma once
// Text, unit and geometry helpers of the export engine. Texts are UTF-8;
// positions are 1-based byte positions, and every routine keeps multi-byte
// characters whole.

#include <cstdint>
#include <string>
#include <vector>

#include "docexport/deDocConsts.h"
#include "platform/core/Types.h"
#include "platform/gui/Graphics.h"

// ---- text ------------------------------------------------------------------

// Extent in screen pixels of the text in the font.
TSize TextSize(const std::string& s, const TFont& font);
// 1-based position of sub in s at or after offset (1-based), 0 when absent
// or when sub is empty.
int FindFrom(const std::string& sub, const std::string& s, int offset);
// Every occurrence of pattern replaced by value, characters compared by
// their upper-case forms. An empty pattern changes nothing.
std::string ReplaceIgnoreCase(const std::string& text, const std::string& pattern, const std::string& value);
// The characters of s in reverse order.
std::string ReverseText(const std::string& s);
// s without one final carriage return plus line feed.
std::string StripTrailingLineBreak(const std::string& s);
// The two-character groups of s from its end towards its start; for an odd
// length the first character is dropped.
std::string ReverseHexPairs(const std::string& s);
// 2n upper-case hexadecimal digits of the first n bytes (n is limited to
// the bytes given).
std::string BytesToHex(const std::uint8_t* bytes, int n);
std::string BytesToHex(const std::vector<std::uint8_t>& bytes);
// Text widened with blanks (between words, or between characters for a
// single word) to the width in pixels.
std::string JustifyText(const std::string& text, const TFont& font, double width);
// Appends to list every character set of the kept sets in which the font
// family is installed, each once.
void FontCharsets(const std::string& faceName, std::vector<int>& list);

// ---- units and geometry ----------------------------------------------------

// Screen pixels per unit.
double UnitFactor(TdeUnitType unit);
double PixelsToPoints(double x);
double PointsToPixelsValue(double x);
double DegToRad(double a);

struct TdeRect {
    double Left = 0, Top = 0, Right = 0, Bottom = 0;
    double Width() const { return Right - Left; }
    double Height() const { return Bottom - Top; }
    bool operator==(const TdeRect&) const = default;
};

struct TdePoint {
    double X = 0, Y = 0;
    bool operator==(const TdePoint&) const = default;
};
using TdePoints = std::vector<TdePoint>;

TdeRect MakeRect(double left, double top, double right, double bottom);
TdeRect ScaleRect(const TdeRect& r, double factor);

// ---- rotated text ----------------------------------------------------------

// The box of a text w x h pixels rotated by angle degrees (0-359): the
// parts w0, h0, w1, h1, the total size and the origin the text is drawn
// from inside the box.
struct TdeRotatedBox {
    int W0 = 0, H0 = 0, W1 = 0, H1 = 0;
    int TotalWidth = 0, TotalHeight = 0;
    int OriginX = 0, OriginY = 0;
};
TdeRotatedBox RotatedTextBox(int angle, int textWidth, int textHeight);
// Sizes the bitmap to the rotated text's box, makes it transparent, draws
// the text rotated by angle degrees (counter-clockwise) from the origin and
// moves (x, y) back by the origin. A box longer than maxSide on either side
// (a font far beyond any page) is drawn scaled down to it.
class TBitmap;
void RotatedTextBitmap(const std::string& text, const TFont& font, int angle, TBitmap& bitmap, double& x,
                       double& y, int maxSide);

// ---- dialogs -----------------------------------------------------------------

class TWinControl;
// Enables or disables every control inside parent, at any depth; edit and
// combo boxes also get the window colour when enabled and the inactive
// border colour when disabled.
void EnableControls(TWinControl* parent, bool enabled);

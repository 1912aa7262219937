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

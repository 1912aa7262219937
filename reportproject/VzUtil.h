#pragma once
// Small shared routines of the report project engine: tolerant comparison
// of lengths, rectangles and points in inches, the angle-bracket convention
// for data-field names, tokenising of key lists and data texts, quoted
// literals, number text routines, list clean-up and a stack list.

#include <string>
#include <vector>

#include "platform/core/Types.h"
#include "platform/gui/Graphics.h"

class TStringList;

// Whether an ordinal from a stream or a script names a member of an
// enumeration whose members run from zero to last; a setter ignores any
// other number, which would be no value of the type.
template <class E>
constexpr bool IsMemberOrdinal(Int64 v, E last) {
    return v >= 0 && v <= static_cast<Int64>(last);
}

// Lengths in inches closer than this are the same.
inline constexpr double VizeLengthTolerance = 0.0001;

bool SameFloat(double a, double b);        // |a - b| <= tolerance
bool FloatGreater(double a, double b);     // a - b >= tolerance
bool FloatLess(double a, double b);        // b - a >= tolerance
bool NotSameFloat(double a, double b);
bool FloatNotGreater(double a, double b);
bool FloatNotLess(double a, double b);
double MinFloat(double a, double b);
double MaxFloat(double a, double b);

struct TVizeRect {
    double Left = 0, Top = 0, Right = 0, Bottom = 0;
};
struct TVizePoint {
    double X = 0, Y = 0;
};

// In a namespace of their own: the document engine has a MakeRect of the
// same parameters, and a program links both libraries.
namespace vzutil {
TVizeRect MakeRect(double left, double top, double right, double bottom);
TVizePoint MakePoint(double x, double y);
}  // namespace vzutil
using vzutil::MakePoint;
using vzutil::MakeRect;
// Edges included, with the length tolerance.
bool PointInRect(const TVizeRect& rect, const TVizePoint& point);
// out := the overlap of r1 and r2; true when it is not empty (tolerant).
bool IntersectRect(TVizeRect& out, const TVizeRect& r1, const TVizeRect& r2);

// A data-field name holding characters other than letters, digits and "_"
// is kept between "<" and ">".
std::string QuoteFieldName(const std::string& s);
// Removes every "<" and the first ">" after each "<".
std::string RemoveBrackets(const std::string& s);
// prefix + the field name without brackets, blanks as "_", other characters
// that are not letters, digits or "_" dropped.
std::string CleanFieldName(const std::string& prefix, const std::string& fieldName);

// Splits text at the first character of delimiters outside "<...>".
// Returns the trimmed token before it and leaves the trimmed rest in text;
// delimiter is the character found, or 0 when none (the token is then the
// whole trimmed text and text becomes empty).
std::string NextToken(std::string& text, char& delimiter, const std::string& delimiters);
// When text begins with quote: returns the quoted piece (doubled quotes
// stand for one) and leaves the trimmed rest in text. Otherwise returns ""
// and leaves text as it is. An unterminated piece runs to the end.
std::string ExtractQuoted(std::string& text, char quote);

// Case-insensitive, locale-aware equality of two non-empty texts; an empty
// text equals only an empty text.
bool SameTextLocale(const std::string& a, const std::string& b);

// Fixed notation with the given decimals, then trailing zeros and a
// trailing "." removed (only when the text holds a ".").
std::string FormatFloatTrim(double value, int digits);
// The digits, the first decimal separator and a leading "-" of s.
std::string NumericText(const std::string& s);
// Parses s with "." as the decimal separator (the locale's separator, once,
// is read as "."); default on any error.
double StrToFloatDot(const std::string& s, double def);
// 0, 1, 2, 3, 4 -> 0, -1, 1, -2, 2.
Int64 ZigZagDecode(Int64 n);
// The colour a design-time element is painted with.
TColor DesignColor(TColor colour);

// Deletes every non-null item and clears the list (nothing for null).
template <class T>
void FreeListItems(std::vector<T*>* list) {
    if (!list) return;
    for (T* item : *list) delete item;
    list->clear();
}
// Deletes every non-null object of a string list and clears it.
void FreeListObjects(TStringList* list);

// A list used as a stack. Items are not owned.
template <class T>
class TVizeStackList {
public:
    void Push(T* item) { items_.push_back(item); }
    // The last item, or null.
    T* Top() const { return items_.empty() ? nullptr : items_.back(); }
    // Removes and returns the last item (null when empty).
    T* Pop() {
        if (items_.empty()) return nullptr;
        T* item = items_.back();
        items_.pop_back();
        return item;
    }
    int Count() const { return static_cast<int>(items_.size()); }
    T* Items(int index) const { return items_.at(static_cast<std::size_t>(index)); }

private:
    std::vector<T*> items_;
};

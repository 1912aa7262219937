#include "reportproject/VzUtil.h"

#include <cmath>

#include "platform/core/Format.h"
#include "platform/core/FormatSettings.h"
#include "platform/core/Object.h"
#include "platform/core/StringList.h"
#include "platform/core/Strings.h"

bool SameFloat(double a, double b) { return std::fabs(a - b) <= VizeLengthTolerance; }
bool FloatGreater(double a, double b) { return a - b >= VizeLengthTolerance; }
bool FloatLess(double a, double b) { return b - a >= VizeLengthTolerance; }
bool NotSameFloat(double a, double b) { return !SameFloat(a, b); }
bool FloatNotGreater(double a, double b) { return !FloatGreater(a, b); }
bool FloatNotLess(double a, double b) { return !FloatLess(a, b); }
double MinFloat(double a, double b) { return a < b ? a : b; }
double MaxFloat(double a, double b) { return a > b ? a : b; }

TVizeRect vzutil::MakeRect(double left, double top, double right, double bottom) {
    return TVizeRect{left, top, right, bottom};
}

TVizePoint vzutil::MakePoint(double x, double y) { return TVizePoint{x, y}; }

bool PointInRect(const TVizeRect& rect, const TVizePoint& point) {
    return FloatNotLess(point.X, rect.Left) && FloatNotGreater(point.X, rect.Right) &&
           FloatNotLess(point.Y, rect.Top) && FloatNotGreater(point.Y, rect.Bottom);
}

bool IntersectRect(TVizeRect& out, const TVizeRect& r1, const TVizeRect& r2) {
    out.Left = MaxFloat(r1.Left, r2.Left);
    out.Top = MaxFloat(r1.Top, r2.Top);
    out.Right = MinFloat(r1.Right, r2.Right);
    out.Bottom = MinFloat(r1.Bottom, r2.Bottom);
    return FloatNotGreater(out.Left, out.Right) && FloatNotGreater(out.Top, out.Bottom);
}

namespace {

bool IsIdentChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

}  // namespace

std::string QuoteFieldName(const std::string& s) {
    if (!s.empty() && s[0] == '<') return s;
    for (char c : s)
        if (!IsIdentChar(c)) return "<" + s + ">";
    return s;
}

std::string RemoveBrackets(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    bool open = false;
    for (char c : s) {
        if (c == '<') {
            open = true;
        } else if (c == '>' && open) {
            open = false;
        } else {
            out += c;
        }
    }
    return out;
}

std::string CleanFieldName(const std::string& prefix, const std::string& fieldName) {
    std::string out = prefix;
    for (char c : RemoveBrackets(fieldName)) {
        if (c == ' ')
            out += '_';
        else if (IsIdentChar(c))
            out += c;
    }
    return out;
}

std::string NextToken(std::string& text, char& delimiter, const std::string& delimiters) {
    bool inBrackets = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inBrackets) {
            if (c == '>') inBrackets = false;
            continue;
        }
        if (c == '<') {
            inBrackets = true;
            continue;
        }
        if (delimiters.find(c) != std::string::npos) {
            delimiter = c;
            std::string token = Trim(std::string_view(text).substr(0, i));
            text = Trim(std::string_view(text).substr(i + 1));
            return token;
        }
    }
    delimiter = '\0';
    std::string token = Trim(text);
    text.clear();
    return token;
}

std::string ExtractQuoted(std::string& text, char quote) {
    if (text.empty() || text[0] != quote) return {};
    std::string piece;
    std::size_t i = 1;
    while (i < text.size()) {
        if (text[i] == quote) {
            if (i + 1 < text.size() && text[i + 1] == quote) {
                piece += quote;
                i += 2;
                continue;
            }
            text = Trim(std::string_view(text).substr(i + 1));
            return piece;
        }
        piece += text[i++];
    }
    text.clear();
    return piece;
}

bool SameTextLocale(const std::string& a, const std::string& b) {
    if (!a.empty() && !b.empty()) return AnsiSameText(a, b);
    return a == b;
}

std::string FormatFloatTrim(double value, int digits) {
    std::string s = FloatToStrF(value, ffFixed, 15, digits);
    if (s.find('.') == std::string::npos) return s;
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
    return s;
}

std::string NumericText(const std::string& s) {
    const char sep = DefaultFormatSettings().DecimalSeparator;
    std::string out;
    bool haveSeparator = false;
    for (char c : s) {
        if (c >= '0' && c <= '9') {
            out += c;
        } else if (c == sep && !haveSeparator) {
            out += c;
            haveSeparator = true;
        } else if (c == '-' && out.empty()) {
            out += c;
        }
    }
    return out;
}

double StrToFloatDot(const std::string& s, double def) {
    std::string text = s;
    const char sep = DefaultFormatSettings().DecimalSeparator;
    if (sep != '.') {
        const auto at = text.find(sep);
        if (at != std::string::npos) text[at] = '.';
    }
    TFormatSettings dot = DefaultFormatSettings();
    dot.DecimalSeparator = '.';
    double value = 0;
    if (!TryStrToFloat(text, value, dot)) return def;
    return value;
}

Int64 ZigZagDecode(Int64 n) { return (n % 2 == 0) ? n / 2 : -(n / 2) - 1; }

TColor DesignColor(TColor colour) { return colour; }

void FreeListObjects(TStringList* list) {
    if (!list) return;
    for (Integer i = 0; i < list->Count(); ++i) delete list->Objects(i);
    list->Clear();
}

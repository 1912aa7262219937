#include "grid/GRGLibValues.h"

#include <algorithm>

#include "platform/core/DateTime.h"
#include "platform/core/Exception.h"
#include "platform/core/Format.h"
#include "platform/core/Strings.h"

namespace {

inline int Len(const std::string& s) { return static_cast<int>(s.size()); }
// The byte at a 1-based position.
inline char At(const std::string& s, int i) { return s[std::size_t(i - 1)]; }
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The platform's alphanumeric test over UTF-8: ASCII letters and digits,
// and every byte of a non-ASCII character (letters of other scripts).
bool IsAlphaNumeric(char c) {
    unsigned char b = static_cast<unsigned char>(c);
    return b >= 0x80 || (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
}

}  // namespace

// ----------------------------------------------------------------- numbers

int SkipDigits(const std::string& text, int i, int step) {
    while (i >= 1 && i <= Len(text) && IsDigit(At(text, i))) i += step;
    return i;
}

int SkipNumberChars(const std::string& text, int i, int step, const TFormatSettings& fs) {
    auto isNumberChar = [&](char c) {
        return IsDigit(c) || c == '+' || c == '-' || c == fs.ThousandSeparator || c == fs.DecimalSeparator;
    };
    while (i >= 1 && i <= Len(text) && isNumberChar(At(text, i))) i += step;
    return i;
}

bool RemoveThousandSeparators(std::string& text, const TFormatSettings& fs) {
    int i = 1;
    int first = SkipDigits(text, i, 1) - i;
    if (first == 0) return false;
    i += first;
    bool any = false;
    while (i <= Len(text) && At(text, i) == fs.ThousandSeparator) {
        ++i;
        int group = SkipDigits(text, i, 1) - i;
        if (group != 3) return false;
        i += group;
        any = true;
    }
    if (!any) return false;
    std::string head = text.substr(0, std::size_t(i - 1));
    head.erase(std::remove(head.begin(), head.end(), fs.ThousandSeparator), head.end());
    text = head + text.substr(std::size_t(i - 1));
    return true;
}

void InsertThousandSeparators(std::string& text, const TFormatSettings& fs) {
    int run = SkipDigits(text, 1, 1) - 1;
    for (int p = run - 3; p > 0; p -= 3) text.insert(std::size_t(p), 1, fs.ThousandSeparator);
}

bool IsNumberText(const std::string& text, const TFormatSettings& fs) {
    std::string copy = text;
    RemoveThousandSeparators(copy, fs);
    double v;
    return TryStrToFloat(copy, v, fs);
}

void AddToNumberText(const std::string& text, std::string& result, double increment, const TFormatSettings& fs) {
    if (text.empty()) {
        result = FloatToStr(increment, fs);
        return;
    }
    std::string copy = text;
    bool grouped = RemoveThousandSeparators(copy, fs);
    double v;
    if (!TryStrToFloat(copy, v, fs)) {
        result = text;
        return;
    }
    result = FloatToStr(v + increment, fs);
    if (grouped) InsertThousandSeparators(result, fs);
}

bool FindNumberAt(const std::string& text, int caret, int& start, int& length, const TFormatSettings& fs) {
    caret = std::clamp(caret, 0, Len(text));
    int s = SkipNumberChars(text, caret, -1, fs) + 1;
    int e = SkipNumberChars(text, caret + 1, 1, fs) - 1;
    if (e >= s && IsNumberText(text.substr(std::size_t(s - 1), std::size_t(e - s + 1)), fs)) {
        start = s;
        length = e - s + 1;
        return true;
    }
    s = SkipDigits(text, caret, -1) + 1;
    e = SkipDigits(text, caret + 1, 1) - 1;
    if (e < s) return false;
    if (s >= 2 && (At(text, s - 1) == '+' || At(text, s - 1) == '-')) {
        // A sign directly after a digit is an operator between two numbers.
        if (s - 1 == 1 || !IsDigit(At(text, s - 2))) --s;
    }
    start = s;
    length = e - s + 1;
    return true;
}

void IncrementNumberInText(const std::string& text, int caret, int& start, std::string& result, int& length,
                           double increment, const TFormatSettings& fs) {
    result = text;
    start = caret;
    length = 0;
    int s, n;
    if (!FindNumberAt(text, caret, s, n, fs)) return;
    std::string oldNumber = text.substr(std::size_t(s - 1), std::size_t(n));
    std::string newNumber;
    AddToNumberText(oldNumber, newNumber, increment, fs);
    if (newNumber != oldNumber) {
        std::string padded;
        PadDecimals(oldNumber, newNumber, padded, fs);
        newNumber = padded;
    }
    result = text.substr(0, std::size_t(s - 1)) + newNumber + text.substr(std::size_t(s - 1 + n));
    start = s;
    length = Len(newNumber);
}

void PadDecimals(const std::string& oldText, const std::string& newText, std::string& result,
                 const TFormatSettings& fs) {
    result = newText;
    auto oldSep = oldText.find(fs.DecimalSeparator);
    if (oldSep == std::string::npos) return;
    std::size_t oldDecimals = oldText.size() - oldSep - 1;
    auto newSep = result.find(fs.DecimalSeparator);
    if (newSep == std::string::npos) {
        result += fs.DecimalSeparator;
        newSep = result.size() - 1;
    }
    while (result.size() - newSep - 1 < oldDecimals) result += '0';
}

void PadNumber(const std::string& oldText, const std::string& newText, std::string& result,
               const TFormatSettings& fs) {
    PadDecimals(oldText, newText, result, fs);
    auto wholeLength = [&](const std::string& t) {
        auto p = t.find(fs.DecimalSeparator);
        return static_cast<int>(p == std::string::npos ? t.size() : p);
    };
    int oldWhole = wholeLength(oldText);
    while (wholeLength(result) < oldWhole) {
        char c = oldText[std::size_t(oldWhole - wholeLength(result) - 1)];
        result.insert(result.begin(), c == fs.ThousandSeparator ? fs.ThousandSeparator : '0');
    }
}

// ------------------------------------------------------------------- dates

int SkipNonDigits(const std::string& text, int i) {
    i = std::max(i, 1);
    while (i <= Len(text) && !IsDigit(At(text, i)))
        i += std::max<int>(1, static_cast<int>(Utf8CharSize(text, std::size_t(i - 1))));
    return std::min(i, Len(text) + 1);
}

int DateOrder(const TFormatSettings& fs) {
    for (char c : fs.ShortDateFormat) {
        switch (c) {
            case 'D':
            case 'd': return 2;
            case 'M':
            case 'm': return 1;
            case 'Y':
            case 'y':
            case 'E':
            case 'e': return 0;
            default: break;
        }
    }
    return 1;
}

void DateFormatPattern(bool fourDigitYear, std::string& pattern, const TFormatSettings& fs) {
    std::string upper = UpperCase(fs.ShortDateFormat);
    std::string day = upper.find("DD") != std::string::npos ? "DD" : "D";
    std::string month = upper.find("MM") != std::string::npos ? "MM" : "M";
    std::string year = fourDigitYear || upper.find("YYY") != std::string::npos ? "YYYY" : "YY";
    std::string sep(1, fs.DateSeparator);
    switch (DateOrder(fs)) {
        case 0: pattern = year + sep + month + sep + day; break;
        case 2: pattern = day + sep + month + sep + year; break;
        default: pattern = month + sep + day + sep + year; break;
    }
}

void YearPartOfText(const std::string& text, std::string& yearDigits, const TFormatSettings& fs) {
    yearDigits.clear();
    int starts[3] = {0, 0, 0};
    int lengths[3] = {0, 0, 0};
    int found = 0;
    int i = 1;
    while (found < 3) {
        i = SkipNonDigits(text, i);
        if (i > Len(text)) break;
        int end = SkipDigits(text, i, 1);
        starts[found] = i;
        lengths[found] = end - i;
        ++found;
        i = end;
    }
    int run = -1;
    if (DateOrder(fs) == 0) {
        if (found >= 1) run = 0;
    } else if (found >= 3 && starts[2] < Len(text)) {
        run = 2;
    }
    if (run >= 0) yearDigits = text.substr(std::size_t(starts[run] - 1), std::size_t(lengths[run]));
}

bool IsWholeWordAt(const std::string& text, int position, int length) {
    if (position > 1 && IsAlphaNumeric(At(text, position - 1))) return false;
    int after = position + length;
    if (after <= Len(text) && IsAlphaNumeric(At(text, after))) return false;
    return true;
}

namespace {

// Finds name (upper-cased) in upper as a whole word; 1-based position or 0.
int FindWholeWord(const std::string& upper, const std::string& name) {
    if (name.empty()) return 0;
    std::string key = AnsiUpperCase(name);
    auto p = upper.find(key);
    if (p == std::string::npos) return 0;
    int pos = static_cast<int>(p) + 1;
    return IsWholeWordAt(upper, pos, Len(key)) ? pos : 0;
}

}  // namespace

void MonthNamesToNumbers(const std::string& text, std::string& result, const TFormatSettings& fs) {
    result = text;
    std::string upper = AnsiUpperCase(text);
    for (int m = 0; m < 12; ++m) {
        for (const std::string* name : {&fs.LongMonthNames[std::size_t(m)], &fs.ShortMonthNames[std::size_t(m)]}) {
            int pos = FindWholeWord(upper, *name);
            if (pos > 0) {
                result = text.substr(0, std::size_t(pos - 1)) + IntToStr(m + 1) +
                         text.substr(std::size_t(pos - 1) + name->size());
                return;
            }
        }
    }
}

void RemoveDayNames(const std::string& text, std::string& result, const TFormatSettings& fs) {
    result = text;
    std::string upper = AnsiUpperCase(text);
    for (int d = 0; d < 7; ++d) {
        for (const std::string* name : {&fs.LongDayNames[std::size_t(d)], &fs.ShortDayNames[std::size_t(d)]}) {
            int pos = FindWholeWord(upper, *name);
            if (pos > 0) {
                result = text.substr(0, std::size_t(pos - 1)) + text.substr(std::size_t(pos - 1) + name->size());
                return;
            }
        }
    }
}

TDateTime TextToDateTime(const std::string& text, const TFormatSettings& fs) {
    std::string t = Trim(text);
    int afterDigits = SkipDigits(t, 1, 1);
    if (!t.empty() && afterDigits > Len(t)) return static_cast<TDateTime>(StrToInt(t));
    if (afterDigits > 1 && afterDigits <= Len(t) && At(t, afterDigits) == fs.TimeSeparator) return StrToTime(t, fs);

    std::string named, plain;
    MonthNamesToNumbers(t, named, fs);
    RemoveDayNames(named, plain, fs);
    TDateTime result = StrToDateTime(Trim(plain), fs);

    // A year typed with more than two digits is taken as typed.
    Word y, m, d, ty, tm, td;
    DecodeDate(result, y, m, d);
    DecodeDate(Date(), ty, tm, td);
    std::string digits;
    YearPartOfText(t, digits, fs);
    if (y / 100 == ty / 100 && digits.size() > 2) {
        int typed = StrToInt(digits.substr(0, 4));
        TDateTime rebuilt;
        if (typed != 0 && TryEncodeDate(Word(typed), m, d, rebuilt)) result = ComposeDateTime(rebuilt, TimeOf(result));
    }
    return result;
}

TDateTime VariantToDateTime(const Variant& value, const TFormatSettings& fs) {
    switch (value.Type()) {
        case varString:
        case varOleStr: {
            std::string text = value.AsString();
            if (Trim(text).empty()) return Now();
            try {
                return TextToDateTime(text, fs);
            } catch (const Exception&) {
                return Now();
            }
        }
        case varDouble:
        case varDate: return value.AsDouble();
        default: return Now();
    }
}

void FourDigitYearFormat(const std::string& format, std::string& result) {
    result = format;
    std::string upper = UpperCase(format);
    auto p = upper.find("YY");
    if (p == std::string::npos) return;
    if (p + 2 < upper.size() && upper[p + 2] == 'Y') return;
    result.insert(p + 2, "yy");
}

void RemoveAmPm(const std::string& format, std::string& result) {
    result = format;
    std::string lower = LowerCase(format);
    for (const char* marker : {"am/pm", "a/p", "ampm"}) {
        auto p = lower.find(marker);
        if (p != std::string::npos) {
            result = Trim(format.substr(0, p) + format.substr(p + std::char_traits<char>::length(marker)));
            return;
        }
    }
}

bool HasAmPmStrings(const TFormatSettings& fs) { return !fs.TimeAMString.empty() || !fs.TimePMString.empty(); }

// -------------------------------------------------------------- check boxes

bool SplitCheckValues(const std::string& values, std::string& checkedText, std::string& uncheckedText,
                      std::string& grayedText) {
    checkedText.clear();
    uncheckedText.clear();
    grayedText.clear();
    if (values.empty()) return true;
    std::string rest = values;
    SplitOff(rest, checkedText, '|');
    bool third = false;
    if (values.find('|') != std::string::npos) {
        bool hadSecond = rest.find('|') != std::string::npos;
        SplitOff(rest, uncheckedText, '|');
        if (hadSecond) {
            third = rest.find('|') != std::string::npos;
            SplitOff(rest, grayedText, '|');
        }
    }
    return !uncheckedText.empty() && !third;
}

bool IsValidCheckValues(const std::string& values) {
    std::string c, u, g;
    return SplitCheckValues(values, c, u, g);
}

TCheckBoxState CheckStateOfText(const std::string& text, const std::string& values) {
    if (values.empty()) return cbGrayed;
    std::string c, u, g;
    SplitCheckValues(values, c, u, g);
    if (AnsiSameText(text, c)) return cbChecked;
    if (AnsiSameText(text, u)) return cbUnchecked;
    return cbGrayed;
}

void CheckValueOfState(TCheckBoxState state, const std::string& values, Variant& value) {
    std::string text;
    if (!values.empty()) {
        std::string c, u, g;
        SplitCheckValues(values, c, u, g);
        text = state == cbUnchecked ? u : (state == cbChecked ? c : g);
    }
    value = SameText(text, "Null") ? Variant::NullValue() : Variant(text);
}

TCheckBoxState VariantToCheckState(const Variant& value, const std::string& values) {
    if (value.IsString()) return CheckStateOfText(value.AsString(), values);
    // Any integer kind: the in-cell check box keeps its state as a byte.
    if (value.Type() == varInteger || value.Type() == varByte || value.Type() == varSmallint ||
        value.Type() == varInt64) {
        Integer n = value.AsInteger();
        return n == cbUnchecked || n == cbChecked ? static_cast<TCheckBoxState>(n) : cbGrayed;
    }
    if (value.IsNull()) {
        std::string c, u, g;
        SplitCheckValues(values, c, u, g);
        if (SameText(c, "Null")) return cbChecked;
        if (SameText(u, "Null")) return cbUnchecked;
    }
    return cbGrayed;
}

// ------------------------------------------------------------- key texts

void MakeKeyText(const std::string& name, Integer first, Integer second, std::string& text) {
    text = name + '\x01' + IntToStr(first) + '\x01' + IntToStr(second);
}

void ParseKeyText(const std::string& text, Integer& first, Integer& second, std::string& name) {
    first = -1;
    second = -1;
    std::string rest = text;
    SplitOff(rest, name, '\x01');
    if (rest.empty()) return;
    std::string a;
    SplitOff(rest, a, '\x01');
    first = StrToInt(a);
    second = StrToInt(rest);
}

void SplitOff(std::string& text, std::string& head, char separator) {
    auto p = text.find(separator);
    if (p == std::string::npos) {
        head = text;
        text.clear();
        return;
    }
    head = text.substr(0, p);
    text = text.substr(p + 1);
}

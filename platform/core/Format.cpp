#include "platform/core/Format.h"

#include "platform/core/Exception.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

// ------------------------------------------------------------ decimal digits

// A value as decimal digits: value = 0.Digits x 10^Exponent. Digits has no
// leading or trailing zeros; empty means zero.
struct DecimalRec {
    bool Negative = false;
    std::string Digits;
    int Exponent = 0;
};

constexpr int kMaxDigits = 18;
constexpr int kAllDecimals = 9999;

// Rounds value to `precision` significant digits and at most `decimals`
// digits after the decimal point, half away from zero on the value's 18-digit
// decimal expansion. A result of zero is never negative.
DecimalRec ToDecimal(double value, int precision, int decimals) {
    DecimalRec rec;
    if (value == 0 || !std::isfinite(value)) return rec;
    precision = std::clamp(precision, 1, kMaxDigits);
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific,
                             kMaxDigits - 1);
    *res.ptr = '\0';
    std::string digits;
    const char* p = buf;
    for (; p < res.ptr && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') digits += *p;
    int exponent = std::atoi(p + 1) + 1;

    int cut = std::min(precision, decimals >= kAllDecimals ? kMaxDigits : exponent + decimals);
    if (cut < 0) return rec;
    if (cut < static_cast<int>(digits.size())) {
        const bool up = digits[cut] >= '5';
        digits.resize(cut);
        if (up) {
            int i = cut - 1;
            while (i >= 0 && digits[i] == '9') digits[i--] = '0';
            if (i >= 0) {
                ++digits[i];
            } else {
                digits.insert(digits.begin(), '1');
                ++exponent;
            }
        }
    }
    while (!digits.empty() && digits.back() == '0') digits.pop_back();
    if (digits.empty()) return rec;
    rec.Negative = value < 0;
    rec.Digits = std::move(digits);
    rec.Exponent = exponent;
    return rec;
}

// Digit at position i of 0.Digits (i >= 0), '0' beyond the ends.
char DigitAt(const DecimalRec& rec, int i) {
    return (i >= 0 && i < static_cast<int>(rec.Digits.size())) ? rec.Digits[i] : '0';
}

std::string NonFiniteText(double value) {
    if (std::isnan(value)) return "NAN";
    return value < 0 ? "-INF" : "INF";
}

std::string GroupThousands(const std::string& intDigits, char sep) {
    if (sep == '\0') return intDigits;
    std::string out;
    const int n = static_cast<int>(intDigits.size());
    for (int i = 0; i < n; ++i) {
        out += intDigits[i];
        const int left = n - 1 - i;
        if (left > 0 && left % 3 == 0) out += sep;
    }
    return out;
}

std::string ExponentText(int exp, int minDigits, bool plusSign) {
    std::string s;
    if (exp < 0) s += '-';
    else if (plusSign) s += '+';
    std::string d = std::to_string(exp < 0 ? -exp : exp);
    minDigits = std::clamp(minDigits, 0, 4);
    if (static_cast<int>(d.size()) < minDigits) d.insert(0, minDigits - d.size(), '0');
    return s + d;
}

// "ddd.ddd" with `decimals` fraction digits (no sign); decimals < 0 shows the
// significant fraction digits only.
std::string FixedText(const DecimalRec& rec, int decimals, char decSep, char thousandSep) {
    std::string intDigits;
    for (int i = 0; i < rec.Exponent; ++i) intDigits += DigitAt(rec, i);
    if (intDigits.empty()) intDigits = "0";
    std::string out = GroupThousands(intDigits, thousandSep);
    int fracCount = decimals;
    if (decimals < 0) fracCount = std::max(0, static_cast<int>(rec.Digits.size()) - rec.Exponent);
    if (fracCount > 0) {
        out += decSep;
        for (int j = 0; j < fracCount; ++j) out += DigitAt(rec, rec.Exponent + j);
    }
    return out;
}

// Scientific "d.dddE+xx" (no sign on the mantissa). mantissaDigits < 0 keeps
// only significant digits.
std::string ScientificText(const DecimalRec& rec, int mantissaDigits, int expDigits, bool plusSign,
                           char decSep) {
    const int n = mantissaDigits < 0 ? std::max<int>(1, rec.Digits.size()) : mantissaDigits;
    std::string out(1, DigitAt(rec, 0));
    if (n > 1) {
        out += decSep;
        for (int i = 1; i < n; ++i) out += DigitAt(rec, i);
    }
    const int exp = rec.Digits.empty() ? 0 : rec.Exponent - 1;
    return out + 'E' + ExponentText(exp, expDigits, plusSign);
}

std::string GeneralText(double value, int precision, int expDigits, char decSep) {
    precision = std::clamp(precision, 1, kMaxDigits);
    DecimalRec rec = ToDecimal(value, precision, kAllDecimals);
    if (rec.Digits.empty()) return "0";
    std::string body;
    if (rec.Exponent <= precision && rec.Exponent >= -4)
        body = FixedText(rec, -1, decSep, '\0');
    else
        body = ScientificText(rec, -1, expDigits, false, decSep);
    return rec.Negative ? "-" + body : body;
}

std::string CurrencyText(const std::string& number, bool negative, const TFormatSettings& fs) {
    const std::string& c = fs.CurrencyString;
    if (!negative) {
        switch (fs.CurrencyFormat) {
            case 1: return number + c;
            case 2: return c + " " + number;
            case 3: return number + " " + c;
            default: return c + number;
        }
    }
    const std::string& n = number;
    switch (fs.NegCurrFormat) {
        case 1: return "-" + c + n;
        case 2: return c + "-" + n;
        case 3: return c + n + "-";
        case 4: return "(" + n + c + ")";
        case 5: return "-" + n + c;
        case 6: return n + "-" + c;
        case 7: return n + c + "-";
        case 8: return "-" + n + " " + c;
        case 9: return "-" + c + " " + n;
        case 10: return n + " " + c + "-";
        case 11: return c + " " + n + "-";
        case 12: return c + " -" + n;
        case 13: return n + "- " + c;
        case 14: return "(" + c + " " + n + ")";
        case 15: return "(" + n + " " + c + ")";
        default: return "(" + c + n + ")";
    }
}

// ------------------------------------------------------------ format masks

// The parts of one mask section that decide how digits are laid out.
struct MaskInfo {
    int IntPlaces = 0;        // digit placeholders before the decimal point
    int FirstIntZero = -1;    // index of the first '0' among them
    int FracPlaces = 0;       // digit placeholders after the decimal point
    int FracZeros = 0;        // placeholders up to and including the last '0' after it
    bool Thousands = false;
    bool Scientific = false;
    int ExpDigits = 0;
};

bool IsQuote(char c) { return c == '\'' || c == '"'; }

// Splits the mask into its sections at ';' outside quotes.
std::vector<std::string> SplitSections(const std::string& mask) {
    std::vector<std::string> out(1);
    char quote = 0;
    for (char c : mask) {
        if (quote) {
            if (c == quote) quote = 0;
        } else if (IsQuote(c)) {
            quote = c;
        } else if (c == ';') {
            out.emplace_back();
            continue;
        }
        out.back() += c;
    }
    return out;
}

MaskInfo AnalyseSection(const std::string& s) {
    MaskInfo m;
    bool afterPoint = false;
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (IsQuote(c)) {
            const size_t end = s.find(c, i + 1);
            if (end == std::string::npos) break;
            i = end;
            continue;
        }
        if (m.Scientific) continue;  // everything after the exponent is literal
        switch (c) {
            case '0':
            case '#':
                if (afterPoint) {
                    ++m.FracPlaces;
                    if (c == '0') m.FracZeros = m.FracPlaces;
                } else {
                    if (c == '0' && m.FirstIntZero < 0) m.FirstIntZero = m.IntPlaces;
                    ++m.IntPlaces;
                }
                break;
            case '.':
                afterPoint = true;
                break;
            case ',':
                m.Thousands = true;
                break;
            case 'E':
            case 'e':
                if (i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-')) {
                    m.Scientific = true;
                    size_t j = i + 2;
                    while (j < s.size() && s[j] == '0') ++j;
                    m.ExpDigits = std::min<int>(4, j - (i + 2));
                }
                break;
            default:
                break;
        }
    }
    return m;
}

// Renders |value| (already rounded into rec) through one section.
std::string RenderSection(const std::string& s, const MaskInfo& m, const DecimalRec& rec, int exp10,
                          const TFormatSettings& fs) {
    // Integer digits to show, most significant first.
    std::string intDigits;
    std::string fracDigits;
    if (m.Scientific) {
        for (int i = 0; i < m.IntPlaces; ++i) intDigits += DigitAt(rec, i);
        for (int i = 0; i < m.FracPlaces; ++i) fracDigits += DigitAt(rec, m.IntPlaces + i);
        // Leading zeros of a scientific mantissa follow the same '#' rule.
        size_t nz = intDigits.find_first_not_of('0');
        intDigits = nz == std::string::npos ? "" : intDigits.substr(nz);
    } else {
        for (int i = 0; i < rec.Exponent; ++i) intDigits += DigitAt(rec, i);
        for (int i = 0; i < m.FracPlaces; ++i) fracDigits += DigitAt(rec, rec.Exponent + i);
    }
    const int forced = m.FirstIntZero >= 0 ? m.IntPlaces - m.FirstIntZero : 0;
    if (static_cast<int>(intDigits.size()) < forced)
        intDigits.insert(0, forced - intDigits.size(), '0');
    const int intLen = static_cast<int>(intDigits.size());

    int fracShown = m.FracZeros;
    {
        const size_t lastNonZero = fracDigits.find_last_not_of('0');
        if (lastNonZero != std::string::npos) fracShown = std::max<int>(fracShown, lastNonZero + 1);
    }

    std::string out;
    // Emits integer digits whose position from the right is in [lo, hi].
    auto emitInt = [&](int lo, int hi) {
        for (int pos = std::min(hi, intLen - 1); pos >= lo; --pos) {
            out += intDigits[intLen - 1 - pos];
            if (m.Thousands && pos > 0 && pos % 3 == 0) out += fs.ThousandSeparator;
        }
    };
    int intIndex = 0, fracIndex = 0;
    bool pointSeen = false, intDone = m.IntPlaces == 0 && intLen == 0;
    auto flushIntIfNoPlaces = [&]() {
        if (!intDone && m.IntPlaces == 0) {
            emitInt(0, intLen - 1);
            intDone = true;
        }
    };
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (IsQuote(c)) {
            const size_t end = s.find(c, i + 1);
            if (end == std::string::npos) {
                out.append(s, i + 1, std::string::npos);
                break;
            }
            out.append(s, i + 1, end - i - 1);
            i = end;
            continue;
        }
        if (c == '0' || c == '#') {
            if (!pointSeen) {
                const int posFromRight = m.IntPlaces - 1 - intIndex;
                if (intIndex == 0) emitInt(posFromRight, intLen);
                else emitInt(posFromRight, posFromRight);
                ++intIndex;
            } else {
                if (fracIndex < fracShown) out += fracDigits[fracIndex];
                ++fracIndex;
            }
            continue;
        }
        if (c == '.') {
            if (!pointSeen) {
                flushIntIfNoPlaces();
                pointSeen = true;
                if (fracShown > 0) out += fs.DecimalSeparator;
            }
            continue;
        }
        if (c == ',') continue;
        if ((c == 'E' || c == 'e') && m.Scientific && i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-')) {
            flushIntIfNoPlaces();
            out += c;
            const bool plus = s[i + 1] == '+';
            out += ExponentText(exp10, m.ExpDigits, plus);
            i += 2;
            while (i < s.size() && s[i] == '0') ++i;
            // The rest of the section is literal text.
            for (; i < s.size(); ++i) {
                if (IsQuote(s[i])) {
                    const size_t end = s.find(s[i], i + 1);
                    if (end == std::string::npos) { out.append(s, i + 1, std::string::npos); break; }
                    out.append(s, i + 1, end - i - 1);
                    i = end;
                } else {
                    out += s[i];
                }
            }
            break;
        }
        out += c;
    }
    return out;
}

// ------------------------------------------------------------ parsing

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// Rewrites number text in the settings' notation as "[-]digits[.digits][e[-]digits]".
// Returns false when the text is not a number.
bool NormaliseNumber(std::string_view s, char decSep, std::string& out) {
    s = TrimBlanks(s);
    out.clear();
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        if (s[i] == '-') out += '-';
        ++i;
    }
    int digits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') { out += s[i++]; ++digits; }
    if (i < s.size() && s[i] == decSep) {
        out += '.';
        ++i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') { out += s[i++]; ++digits; }
    }
    if (digits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        out += 'e';
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
            if (s[i] == '-') out += '-';
            ++i;
        }
        int expDigits = 0;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') { out += s[i++]; ++expDigits; }
        if (expDigits == 0) return false;
    }
    return i == s.size();
}

std::string InvalidFloat(const std::string& s) { return "'" + s + "' is not a valid floating point value"; }

// ------------------------------------------------------------ Format()

// Number of UTF-8 characters in s.
size_t CharCount(std::string_view s) {
    size_t n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

// The first `count` UTF-8 characters of s.
std::string FirstChars(const std::string& s, size_t count) {
    size_t n = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
            if (n == count) return s.substr(0, i);
            ++n;
        }
    }
    return s;
}

std::string HexText(UInt64 v) {
    static const char hex[] = "0123456789ABCDEF";
    std::string s;
    do {
        s.insert(s.begin(), hex[v & 15]);
        v >>= 4;
    } while (v);
    return s;
}

std::string DoFormat(const std::string& fmt, const FormatArg* args, size_t count, const TFormatSettings& fs) {
    auto invalid = [&]() { return EConvertError("Format '" + fmt + "' invalid or incompatible with argument"); };
    auto missing = [&]() { return EConvertError("No argument for format '" + fmt + "'"); };
    std::string out;
    size_t argIndex = 0;
    const size_t n = fmt.size();
    size_t i = 0;
    auto readNumberOrStar = [&](int& value) -> bool {
        if (i < n && fmt[i] == '*') {
            ++i;
            if (argIndex >= count) throw missing();
            const FormatArg& a = args[argIndex++];
            if (a.kind() != FormatArg::Kind::Integer && a.kind() != FormatArg::Kind::Int64) throw invalid();
            value = static_cast<int>(a.AsInt64());
            return true;
        }
        if (i < n && fmt[i] >= '0' && fmt[i] <= '9') {
            long v = 0;
            while (i < n && fmt[i] >= '0' && fmt[i] <= '9') {
                v = v * 10 + (fmt[i++] - '0');
                if (v > 100000) throw invalid();
            }
            value = static_cast<int>(v);
            return true;
        }
        return false;
    };
    while (i < n) {
        const char c = fmt[i];
        if (c != '%') {
            out += c;
            ++i;
            continue;
        }
        ++i;
        if (i < n && fmt[i] == '%') {
            out += '%';
            ++i;
            continue;
        }
        bool left = false;
        int width = -1, prec = -1, num = -1;
        if (i < n && fmt[i] == '-') {
            left = true;
            ++i;
        }
        if (readNumberOrStar(num)) {
            if (!left && i < n && fmt[i] == ':') {
                ++i;
                if (num < 0) throw invalid();
                argIndex = static_cast<size_t>(num);
                num = -1;
                if (i < n && fmt[i] == '-') {
                    left = true;
                    ++i;
                }
                readNumberOrStar(num);
            }
            width = num;
        }
        if (i < n && fmt[i] == '.') {
            ++i;
            if (!readNumberOrStar(prec)) throw invalid();
        }
        if (i >= n) throw invalid();
        const char type = static_cast<char>(std::tolower(static_cast<unsigned char>(fmt[i++])));
        if (std::string_view("dudefgnmpsx").find(type) == std::string_view::npos) throw invalid();
        if (argIndex >= count) throw missing();
        const FormatArg& a = args[argIndex++];
        using K = FormatArg::Kind;
        const bool isInt = a.kind() == K::Integer || a.kind() == K::Int64;
        const bool isFloat = a.kind() == K::Float || a.kind() == K::Currency;
        std::string text;
        switch (type) {
            case 'd':
            case 'u': {
                if (!isInt) throw invalid();
                Int64 v = a.AsInt64();
                bool neg = false;
                std::string digits;
                if (type == 'u') {
                    const UInt64 u = a.kind() == K::Integer ? static_cast<UInt64>(static_cast<std::uint32_t>(v))
                                                            : static_cast<UInt64>(v);
                    digits = std::to_string(u);
                } else {
                    neg = v < 0;
                    digits = neg ? std::to_string(static_cast<UInt64>(0) - static_cast<UInt64>(v)) : std::to_string(v);
                }
                if (prec > 0 && static_cast<int>(digits.size()) < prec) digits.insert(0, prec - digits.size(), '0');
                text = neg ? "-" + digits : digits;
                break;
            }
            case 'x': {
                if (!isInt) throw invalid();
                const Int64 v = a.AsInt64();
                const UInt64 u = a.kind() == K::Integer ? static_cast<UInt64>(static_cast<std::uint32_t>(v))
                                                        : static_cast<UInt64>(v);
                text = HexText(u);
                if (prec > 0 && static_cast<int>(text.size()) < prec) text.insert(0, prec - text.size(), '0');
                break;
            }
            case 'e':
            case 'f':
            case 'g':
            case 'n':
            case 'm': {
                if (!isFloat) throw invalid();
                const double v = a.kind() == K::Currency ? Currency::FromRaw(a.AsInt64()).ToDouble() : a.AsDouble();
                switch (type) {
                    case 'e': text = FloatToStrF(v, ffExponent, prec < 0 ? 15 : prec, 3, fs); break;
                    case 'g': text = FloatToStrF(v, ffGeneral, prec < 0 ? 15 : prec, 3, fs); break;
                    case 'f': text = FloatToStrF(v, ffFixed, kMaxDigits, prec < 0 ? 2 : prec, fs); break;
                    case 'n': text = FloatToStrF(v, ffNumber, kMaxDigits, prec < 0 ? 2 : prec, fs); break;
                    default:
                        text = FloatToStrF(v, ffCurrency, kMaxDigits, prec < 0 ? fs.CurrencyDecimals : prec, fs);
                        break;
                }
                break;
            }
            case 'p': {
                if (a.kind() != K::Pointer) throw invalid();
                text = HexText(reinterpret_cast<std::uintptr_t>(a.AsPointer()));
                text.insert(0, sizeof(void*) * 2 - text.size(), '0');
                break;
            }
            case 's': {
                if (a.kind() == K::String) text = a.AsString();
                else if (a.kind() == K::Char) text = std::string(1, static_cast<char>(a.AsInt64()));
                else throw invalid();
                if (prec >= 0) text = FirstChars(text, static_cast<size_t>(prec));
                break;
            }
        }
        const size_t len = CharCount(text);
        if (width > 0 && len < static_cast<size_t>(width)) {
            const std::string pad(static_cast<size_t>(width) - len, ' ');
            text = left ? text + pad : pad + text;
        }
        out += text;
    }
    return out;
}

}  // namespace

// ---------------------------------------------------------------- Format()

std::string Format(const std::string& fmt, std::initializer_list<FormatArg> args) {
    return DoFormat(fmt, args.begin(), args.size(), DefaultFormatSettings());
}
std::string Format(const std::string& fmt, std::initializer_list<FormatArg> args, const TFormatSettings& fs) {
    return DoFormat(fmt, args.begin(), args.size(), fs);
}
std::string Format(const std::string& fmt, const std::vector<FormatArg>& args) {
    return DoFormat(fmt, args.data(), args.size(), DefaultFormatSettings());
}
std::string Format(const std::string& fmt, const std::vector<FormatArg>& args, const TFormatSettings& fs) {
    return DoFormat(fmt, args.data(), args.size(), fs);
}

// ---------------------------------------------------------------- numbers

std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits) {
    return FloatToStrF(value, format, precision, digits, DefaultFormatSettings());
}

std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits, const TFormatSettings& fs) {
    if (!std::isfinite(value)) return NonFiniteText(value);
    precision = std::clamp(precision, 1, kMaxDigits);
    switch (format) {
        case ffGeneral:
            return GeneralText(value, precision, digits, fs.DecimalSeparator);
        case ffExponent: {
            DecimalRec rec = ToDecimal(value, precision, kAllDecimals);
            const std::string body = ScientificText(rec, precision, digits, true, fs.DecimalSeparator);
            return rec.Negative ? "-" + body : body;
        }
        case ffFixed:
        case ffNumber:
        case ffCurrency: {
            digits = std::clamp(digits, 0, kMaxDigits);
            DecimalRec rec = ToDecimal(value, precision, digits);
            if (rec.Exponent > precision) return GeneralText(value, precision, 0, fs.DecimalSeparator);
            const std::string body =
                FixedText(rec, digits, fs.DecimalSeparator, format == ffFixed ? '\0' : fs.ThousandSeparator);
            if (format == ffCurrency) return CurrencyText(body, rec.Negative, fs);
            return rec.Negative ? "-" + body : body;
        }
    }
    return GeneralText(value, precision, digits, fs.DecimalSeparator);
}

std::string FloatToStr(double value) { return FloatToStrF(value, ffGeneral, 15, 0, DefaultFormatSettings()); }
std::string FloatToStr(double value, const TFormatSettings& fs) { return FloatToStrF(value, ffGeneral, 15, 0, fs); }

std::string FormatFloat(const std::string& mask, double value) {
    return FormatFloat(mask, value, DefaultFormatSettings());
}

std::string FormatFloat(const std::string& mask, double value, const TFormatSettings& fs) {
    if (!std::isfinite(value)) return NonFiniteText(value);
    if (mask.empty()) return FloatToStrF(value, ffGeneral, 15, 0, fs);
    const std::vector<std::string> sections = SplitSections(mask);

    auto format = [&](size_t index, bool& zero) {
        const std::string& s = sections[index];
        const MaskInfo m = AnalyseSection(s);
        DecimalRec rec;
        int exp10 = 0;
        if (m.Scientific) {
            rec = ToDecimal(value, std::max(1, m.IntPlaces + m.FracPlaces), kAllDecimals);
            if (!rec.Digits.empty()) exp10 = rec.Exponent - m.IntPlaces;
        } else {
            rec = ToDecimal(value, kMaxDigits, m.FracPlaces);
        }
        zero = rec.Digits.empty();
        return RenderSection(s, m, rec, exp10, fs);
    };

    size_t index = 0;
    if (value < 0 && sections.size() >= 2 && !sections[1].empty()) index = 1;
    bool zero = false;
    std::string text = format(index, zero);
    if (zero && sections.size() >= 3 && !sections[2].empty()) return format(2, zero);
    // A negative value that rounds to zero is shown as zero, not as a negative.
    if (zero && index == 1) return format(0, zero);
    if (index == 0 && value < 0 && !zero) text.insert(0, "-");
    return text;
}

std::string FormatCurr(const std::string& mask, Currency value) {
    return FormatFloat(mask, value.ToDouble(), DefaultFormatSettings());
}
std::string FormatCurr(const std::string& mask, Currency value, const TFormatSettings& fs) {
    return FormatFloat(mask, value.ToDouble(), fs);
}

bool TryStrToFloat(const std::string& s, double& value) { return TryStrToFloat(s, value, DefaultFormatSettings()); }

bool TryStrToFloat(const std::string& s, double& value, const TFormatSettings& fs) {
    std::string text;
    if (!NormaliseNumber(s, fs.DecimalSeparator, text)) return false;
    double v = 0;
    auto res = std::from_chars(text.data(), text.data() + text.size(), v);
    if (res.ec != std::errc() || res.ptr != text.data() + text.size()) {
        // Underflow gives zero; overflow is not a valid value.
        const size_t e = text.find('e');
        if (res.ec == std::errc::result_out_of_range && e != std::string::npos && text[e + 1] == '-') {
            value = 0;
            return true;
        }
        return false;
    }
    if (!std::isfinite(v)) return false;
    value = v;
    return true;
}

double StrToFloat(const std::string& s) { return StrToFloat(s, DefaultFormatSettings()); }
double StrToFloat(const std::string& s, const TFormatSettings& fs) {
    double v;
    if (!TryStrToFloat(s, v, fs)) throw EConvertError(InvalidFloat(s));
    return v;
}
double StrToFloatDef(const std::string& s, double def) { return StrToFloatDef(s, def, DefaultFormatSettings()); }
double StrToFloatDef(const std::string& s, double def, const TFormatSettings& fs) {
    double v;
    return TryStrToFloat(s, v, fs) ? v : def;
}

// ---------------------------------------------------------------- currency

std::string CurrToStr(Currency value) { return CurrToStr(value, DefaultFormatSettings()); }

std::string CurrToStr(Currency value, const TFormatSettings& fs) {
    const Int64 raw = value.Raw();
    const UInt64 mag = raw < 0 ? static_cast<UInt64>(0) - static_cast<UInt64>(raw) : static_cast<UInt64>(raw);
    std::string out = raw < 0 ? "-" : "";
    out += std::to_string(mag / 10000);
    std::string frac = std::to_string(mag % 10000);
    frac.insert(0, 4 - frac.size(), '0');
    while (!frac.empty() && frac.back() == '0') frac.pop_back();
    if (!frac.empty()) out += fs.DecimalSeparator + frac;
    return out;
}

std::string CurrToStrF(Currency value, TFloatFormat format, int digits) {
    return CurrToStrF(value, format, digits, DefaultFormatSettings());
}
std::string CurrToStrF(Currency value, TFloatFormat format, int digits, const TFormatSettings& fs) {
    if (format == ffGeneral) return CurrToStr(value, fs);
    return FloatToStrF(value.ToDouble(), format, kMaxDigits, digits, fs);
}

bool TryStrToCurr(const std::string& s, Currency& value) { return TryStrToCurr(s, value, DefaultFormatSettings()); }

bool TryStrToCurr(const std::string& s, Currency& value, const TFormatSettings& fs) {
    std::string text;
    if (!NormaliseNumber(s, fs.DecimalSeparator, text)) return false;
    if (text.find('e') != std::string::npos) {
        double d;
        if (!TryStrToFloat(s, d, fs)) return false;
        if (std::fabs(d) >= 922337203685477.0) return false;
        value = Currency(d);
        return true;
    }
    // Exact decimal: integer digits, then the fraction rounded at four places.
    const bool negative = text[0] == '-';
    const size_t start = negative ? 1 : 0;
    const size_t point = text.find('.');
    const std::string intPart = text.substr(start, point == std::string::npos ? std::string::npos : point - start);
    std::string frac = point == std::string::npos ? "" : text.substr(point + 1);
    UInt64 raw = 0;
    for (char c : intPart) {
        raw = raw * 10 + static_cast<unsigned>(c - '0');
        if (raw > 922337203685477ULL) return false;
    }
    std::string kept = frac.substr(0, std::min<size_t>(4, frac.size()));
    kept.append(4 - kept.size(), '0');
    UInt64 fracRaw = std::stoull(kept);
    if (frac.size() > 4) {
        const char next = frac[4];
        const bool rest = frac.find_first_not_of('0', 5) != std::string::npos;
        if (next > '5' || (next == '5' && (rest || (fracRaw % 2) != 0))) ++fracRaw;
    }
    raw = raw * 10000 + fracRaw;
    if (raw > static_cast<UInt64>(INT64_MAX)) return false;
    value = Currency::FromRaw(negative ? -static_cast<Int64>(raw) : static_cast<Int64>(raw));
    return true;
}

Currency StrToCurr(const std::string& s) { return StrToCurr(s, DefaultFormatSettings()); }
Currency StrToCurr(const std::string& s, const TFormatSettings& fs) {
    Currency c;
    if (!TryStrToCurr(s, c, fs)) throw EConvertError(InvalidFloat(s));
    return c;
}
Currency StrToCurrDef(const std::string& s, Currency def) { return StrToCurrDef(s, def, DefaultFormatSettings()); }
Currency StrToCurrDef(const std::string& s, Currency def, const TFormatSettings& fs) {
    Currency c;
    return TryStrToCurr(s, c, fs) ? c : def;
}

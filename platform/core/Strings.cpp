#include "platform/core/Strings.h"

#include <algorithm>
#include <limits>

#include "platform/core/Exception.h"

// ---- UTF-8 characters -------------------------------------------------------

bool IsUtf8LeadByte(unsigned char b) { return b >= 0xC2 && b <= 0xF4; }

namespace {

// Decodes a well-formed sequence at i; returns 0 when the bytes there are not
// one (so the caller treats the byte as a character of its own).
std::size_t DecodeWellFormed(std::string_view s, std::size_t i, char32_t& cp) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    std::size_t len;
    char32_t min;
    if (b0 < 0x80) { cp = b0; return 1; }
    if (b0 >= 0xC2 && b0 <= 0xDF) { len = 2; cp = b0 & 0x1F; min = 0x80; }
    else if (b0 >= 0xE0 && b0 <= 0xEF) { len = 3; cp = b0 & 0x0F; min = 0x800; }
    else if (b0 >= 0xF0 && b0 <= 0xF4) { len = 4; cp = b0 & 0x07; min = 0x10000; }
    else return 0;
    if (i + len > s.size()) return 0;
    for (std::size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

char32_t UpperChar(char32_t c) {
    if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 32 : c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
    if (c == 0xFF) return 0x178;
    if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
        return (c & 1) ? c - 1 : c;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c : c - 1;
    if (c >= 0x3B1 && c <= 0x3C9) return c == 0x3C2 ? 0x3A3 : c - 0x20;
    if (c == 0x3AC) return 0x386;
    if (c >= 0x3AD && c <= 0x3AF) return c - 0x25;
    if (c == 0x3CC) return 0x38C;
    if (c == 0x3CD || c == 0x3CE) return c - 0x3F;
    if (c >= 0x430 && c <= 0x44F) return c - 0x20;
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    return c;
}

char32_t LowerChar(char32_t c) {
    if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
    if (c == 0x178) return 0xFF;
    if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
        return (c & 1) ? c : c + 1;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c + 1 : c;
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 0x20;
    if (c == 0x386) return 0x3AC;
    if (c >= 0x388 && c <= 0x38A) return c + 0x25;
    if (c == 0x38C) return 0x3CC;
    if (c == 0x38E || c == 0x38F) return c + 0x3F;
    if (c >= 0x410 && c <= 0x42F) return c + 0x20;
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;
    return c;
}

template <class Map>
std::string MapChars(std::string_view s, Map map) {
    std::string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        char32_t cp;
        const std::size_t n = DecodeWellFormed(s, i, cp);
        if (n == 0) { out += s[i]; ++i; continue; }
        Utf8AppendChar(out, map(cp));
        i += n;
    }
    return out;
}

// Byte index of the character number `chars` (0-based), or s.size().
std::size_t ByteIndexOfChar(std::string_view s, Integer chars) {
    std::size_t i = 0;
    while (chars > 0 && i < s.size()) {
        i += Utf8CharSize(s, i);
        --chars;
    }
    return i;
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

std::size_t Utf8CharSize(std::string_view s, std::size_t byteIndex) {
    if (byteIndex >= s.size()) return 0;
    char32_t cp;
    const std::size_t n = DecodeWellFormed(s, byteIndex, cp);
    return n == 0 ? 1 : n;
}

std::size_t Utf8DecodeChar(std::string_view s, std::size_t byteIndex, char32_t& codePoint) {
    if (byteIndex >= s.size()) { codePoint = 0; return 0; }
    const std::size_t n = DecodeWellFormed(s, byteIndex, codePoint);
    if (n == 0) { codePoint = static_cast<unsigned char>(s[byteIndex]); return 1; }
    return n;
}

void Utf8AppendChar(std::string& out, char32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

Integer Utf8Length(std::string_view s) {
    Integer n = 0;
    for (std::size_t i = 0; i < s.size(); i += Utf8CharSize(s, i)) ++n;
    return n;
}

std::string Utf8Copy(std::string_view s, Integer startChar, Integer count) {
    if (startChar < 1) startChar = 1;
    if (count <= 0) return {};
    const std::size_t from = ByteIndexOfChar(s, startChar - 1);
    const std::size_t to = from + ByteIndexOfChar(s.substr(from), count);
    return std::string(s.substr(from, to - from));
}

std::string Utf8PadLeft(std::string_view s, Integer width, char fill) {
    const Integer len = Utf8Length(s);
    if (len >= width) return std::string(s);
    return std::string(static_cast<std::size_t>(width - len), fill) + std::string(s);
}

std::string Utf8PadRight(std::string_view s, Integer width, char fill) {
    const Integer len = Utf8Length(s);
    if (len >= width) return std::string(s);
    return std::string(s) + std::string(static_cast<std::size_t>(width - len), fill);
}

// ---- Case --------------------------------------------------------------------

std::string UpperCase(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return r;
}

std::string LowerCase(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return r;
}

std::string AnsiUpperCase(std::string_view s) { return MapChars(s, UpperChar); }
std::string AnsiLowerCase(std::string_view s) { return MapChars(s, LowerChar); }

// ---- Trimming and comparing ----------------------------------------------------

std::string Trim(std::string_view s) { return TrimLeft(TrimRight(s)); }

std::string TrimLeft(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    return std::string(s.substr(i));
}

std::string TrimRight(std::string_view s) {
    std::size_t n = s.size();
    while (n > 0 && IsBlank(s[n - 1])) --n;
    return std::string(s.substr(0, n));
}

int CompareStr(std::string_view a, std::string_view b) {
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int CompareText(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        int ca = static_cast<unsigned char>(a[i]);
        int cb = static_cast<unsigned char>(b[i]);
        if (ca >= 'a' && ca <= 'z') ca -= 32;
        if (cb >= 'a' && cb <= 'z') cb -= 32;
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareText(a, b) == 0;
}

int AnsiCompareText(std::string_view a, std::string_view b) {
    return CompareStr(AnsiLowerCase(a), AnsiLowerCase(b));
}

bool AnsiSameText(std::string_view a, std::string_view b) { return AnsiCompareText(a, b) == 0; }

// ---- Searching and replacing ---------------------------------------------------

std::string StringReplace(std::string_view s, std::string_view oldPattern,
                          std::string_view newPattern, TReplaceFlags flags) {
    if (oldPattern.empty()) return std::string(s);
    // Case folding keeps byte lengths, so indexes in the folded text are
    // indexes in the original.
    std::string foldedS, foldedOld;
    std::string_view searchIn = s, searchFor = oldPattern;
    if (flags & rfIgnoreCase) {
        foldedS = AnsiUpperCase(s);
        foldedOld = AnsiUpperCase(oldPattern);
        searchIn = foldedS;
        searchFor = foldedOld;
    }
    std::string out;
    std::size_t from = 0;
    while (true) {
        const std::size_t at = searchIn.find(searchFor, from);
        if (at == std::string_view::npos) break;
        out.append(s.substr(from, at - from));
        out.append(newPattern);
        from = at + oldPattern.size();
        if (!(flags & rfReplaceAll)) break;
    }
    out.append(s.substr(from));
    return out;
}

Integer Pos(std::string_view sub, std::string_view s) {
    if (sub.empty()) return 0;
    const std::size_t at = s.find(sub);
    return at == std::string_view::npos ? 0 : static_cast<Integer>(at + 1);
}

// ---- Integers --------------------------------------------------------------------

std::string IntToStrImpl(Int64 v) { return std::to_string(v); }
std::string UIntToStrImpl(UInt64 v) { return std::to_string(v); }

std::string IntToHexImpl(UInt64 v, int digits) {
    static const char hex[] = "0123456789ABCDEF";
    std::string r;
    do {
        r.insert(r.begin(), hex[v & 0xF]);
        v >>= 4;
    } while (v != 0);
    if (static_cast<int>(r.size()) < digits) r.insert(0, static_cast<std::size_t>(digits) - r.size(), '0');
    return r;
}

namespace {

// Parses into a magnitude; `bits` is the width of the target type.
bool ParseInteger(std::string_view s, int bits, Int64& value) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    bool isHex = false;
    if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
        isHex = true;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        isHex = true;
        i += 2;
    }
    if (i >= s.size()) return false;
    const UInt64 maxMagnitude = isHex
        ? (bits == 64 ? std::numeric_limits<UInt64>::max() : 0xFFFFFFFFull)
        : (bits == 64 ? (negative ? (1ull << 63) : (1ull << 63) - 1)
                      : (negative ? (1ull << 31) : (1ull << 31) - 1));
    const unsigned base = isHex ? 16 : 10;
    UInt64 magnitude = 0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        unsigned d;
        if (c >= '0' && c <= '9') d = static_cast<unsigned>(c - '0');
        else if (isHex && c >= 'a' && c <= 'f') d = static_cast<unsigned>(c - 'a' + 10);
        else if (isHex && c >= 'A' && c <= 'F') d = static_cast<unsigned>(c - 'A' + 10);
        else return false;
        if (magnitude > (maxMagnitude - d) / base) return false;
        magnitude = magnitude * base + d;
    }
    UInt64 bitsValue = negative ? (0 - magnitude) : magnitude;
    if (bits == 32) value = static_cast<Int64>(static_cast<std::int32_t>(static_cast<std::uint32_t>(bitsValue)));
    else value = static_cast<Int64>(bitsValue);
    return true;
}

[[noreturn]] void RaiseNotInteger(std::string_view s) {
    throw EConvertError("'" + std::string(s) + "' is not a valid integer value");
}

}  // namespace

bool TryStrToInt(std::string_view s, Integer& value) {
    Int64 v;
    if (!ParseInteger(s, 32, v)) return false;
    value = static_cast<Integer>(v);
    return true;
}

bool TryStrToInt64(std::string_view s, Int64& value) { return ParseInteger(s, 64, value); }

Integer StrToInt(std::string_view s) {
    Integer v;
    if (!TryStrToInt(s, v)) RaiseNotInteger(s);
    return v;
}

Int64 StrToInt64(std::string_view s) {
    Int64 v;
    if (!TryStrToInt64(s, v)) RaiseNotInteger(s);
    return v;
}

Integer StrToIntDef(std::string_view s, Integer def) {
    Integer v;
    return TryStrToInt(s, v) ? v : def;
}

Int64 StrToInt64Def(std::string_view s, Int64 def) {
    Int64 v;
    return TryStrToInt64(s, v) ? v : def;
}

// ---- Quoting ---------------------------------------------------------------------

std::string QuotedStr(std::string_view s) { return AnsiQuotedStr(s, '\''); }

std::string AnsiQuotedStr(std::string_view s, char quote) {
    std::string r;
    r.reserve(s.size() + 2);
    r += quote;
    for (char c : s) {
        if (c == quote) r += quote;
        r += c;
    }
    r += quote;
    return r;
}

std::string AnsiExtractQuotedStr(std::string_view s, std::size_t& pos, char quote) {
    if (pos >= s.size() || s[pos] != quote) return {};
    std::string r;
    std::size_t i = pos + 1;
    while (i < s.size()) {
        if (s[i] == quote) {
            if (i + 1 < s.size() && s[i + 1] == quote) {
                r += quote;
                i += 2;
                continue;
            }
            ++i;  // closing quote
            break;
        }
        r += s[i++];
    }
    pos = i;
    return r;
}

std::string AnsiDequotedStr(std::string_view s, char quote) {
    std::size_t pos = 0;
    std::string r = AnsiExtractQuotedStr(s, pos, quote);
    // Not quoted, or an opening quote without its closing one: the text as is.
    const bool closed = !s.empty() && s.front() == quote && s.back() == quote;
    if ((r.empty() || pos >= s.size()) && !s.empty() && !closed) return std::string(s);
    return r;
}

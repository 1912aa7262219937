#include "platform/ldb/LdbValues.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "platform/ldb/Ldb.h"

namespace ldbi {

namespace {

constexpr std::int32_t NullInt32 = std::numeric_limits<std::int32_t>::min();
constexpr std::int16_t NullInt16 = std::numeric_limits<std::int16_t>::min();
constexpr std::int64_t NullInt64 = std::numeric_limits<std::int64_t>::min();
constexpr std::int32_t MsPerDay = 86400000;

template <typename T>
void Put(char* p, T v) {
    std::memcpy(p, &v, sizeof v);
}
template <typename T>
T Get(const char* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

void PutNullDouble(char* p) {
    Put<std::uint32_t>(p, 32);
    Put<std::uint32_t>(p + 4, 0x80000000u);
}
bool IsNullDouble(const char* p) { return Get<std::uint32_t>(p) == 32 && Get<std::uint32_t>(p + 4) == 0x80000000u; }

std::string Trimmed(const std::string& s) {
    std::size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    std::size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

bool ParseInt64(const std::string& text, std::int64_t& v) {
    std::string t = Trimmed(text);
    if (!t.empty() && t[0] == '+') t.erase(0, 1);
    if (t.empty()) return false;
    auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    return r.ec == std::errc() && r.ptr == t.data() + t.size();
}

bool ParseDouble(const std::string& text, double& v) {
    std::string t = Trimmed(text);
    if (!t.empty() && t[0] == '+') t.erase(0, 1);
    if (t.empty()) return false;
    auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    return r.ec == std::errc() && r.ptr == t.data() + t.size() && std::isfinite(v);
}

// The value as a number, if it is one.
bool AsDouble(const SqlValue& v, double& out) {
    switch (v.kind) {
    case SqlValue::Int: out = static_cast<double>(v.i); return true;
    case SqlValue::Real: out = v.d; return true;
    case SqlValue::Text: return ParseDouble(v.s, out);
    default: return false;
    }
}

bool AsInteger(const SqlValue& v, std::int64_t& out) {
    switch (v.kind) {
    case SqlValue::Int: out = v.i; return true;
    case SqlValue::Real:
        if (!std::isfinite(v.d) || std::fabs(v.d) > 9.2e18) return false;
        out = std::llround(v.d);
        return true;
    case SqlValue::Text: {
        if (ParseInt64(v.s, out)) return true;
        double d;
        if (!ParseDouble(v.s, d) || std::fabs(d) > 9.2e18) return false;
        out = std::llround(d);
        return true;
    }
    default: return false;
    }
}

std::string AsText(const SqlValue& v) {
    switch (v.kind) {
    case SqlValue::Int: return std::to_string(v.i);
    case SqlValue::Real: {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.15g", v.d);
        return buf;
    }
    case SqlValue::Text:
    case SqlValue::Blob: return v.s;
    default: return {};
    }
}

// Logical: 1 true, 0 false, -1 not a logical value.
int AsLogical(const SqlValue& v) {
    switch (v.kind) {
    case SqlValue::Int: return v.i != 0 ? 1 : 0;
    case SqlValue::Real: return v.d != 0 ? 1 : 0;
    case SqlValue::Text: {
        std::string t = Upper(Trimmed(v.s));
        if (t == "T" || t == "TRUE" || t == "Y" || t == "YES" || t == "1" || t == ".T.") return 1;
        if (t == "F" || t == "FALSE" || t == "N" || t == "NO" || t == "0" || t == ".F.") return 0;
        return -1;
    }
    default: return -1;
    }
}

bool DateOf(const SqlValue& v, std::int32_t& julian) {
    if (v.kind == SqlValue::Text) return ParseDate(v.s, julian);
    if (v.kind == SqlValue::Int && v.i >= 10000101 && v.i <= 99991231) return ParseDate(std::to_string(v.i), julian);
    return false;
}

bool TimeStampOf(const SqlValue& v, std::int32_t& julian, std::int32_t& ms) {
    if (v.kind == SqlValue::Text) return ParseTimeStamp(v.s, julian, ms);
    if (DateOf(v, julian)) {
        ms = 0;
        return true;
    }
    return false;
}

// Reads up to `digits` decimal digits at s[i]; false when none.
bool Digits(const std::string& s, std::size_t& i, int minDigits, int maxDigits, int& value) {
    int n = 0;
    value = 0;
    while (i < s.size() && n < maxDigits && s[i] >= '0' && s[i] <= '9') {
        value = value * 10 + (s[i] - '0');
        ++i;
        ++n;
    }
    return n >= minDigits;
}

bool ValidDate(int y, int m, int d) {
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1) return false;
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int dim = days[m - 1];
    if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0)) dim = 29;
    return d <= dim;
}

// Parses the date at the start of s; i is left after it.
bool ParseDatePart(const std::string& s, std::size_t& i, std::int32_t& julian) {
    std::size_t start = i;
    int a, b, c;
    if (!Digits(s, i, 1, 8, a)) return false;
    std::size_t len = i - start;
    int y, m, d;
    if (len == 8 && (i >= s.size() || s[i] == ' ' || s[i] == 'T')) {
        y = a / 10000;
        m = a / 100 % 100;
        d = a % 100;
    } else if (len == 4 && i < s.size() && s[i] == '-') {
        ++i;
        if (!Digits(s, i, 1, 2, b) || i >= s.size() || s[i] != '-') return false;
        ++i;
        if (!Digits(s, i, 1, 2, c)) return false;
        y = a;
        m = b;
        d = c;
    } else if (len <= 2 && i < s.size() && s[i] == '/') {
        ++i;
        if (!Digits(s, i, 1, 2, b) || i >= s.size() || s[i] != '/') return false;
        ++i;
        if (!Digits(s, i, 4, 4, c)) return false;
        m = a;
        d = b;
        y = c;
    } else {
        return false;
    }
    if (!ValidDate(y, m, d)) return false;
    julian = JulianFromCivil(y, m, d);
    return true;
}

bool ParseTimePart(const std::string& s, std::size_t& i, std::int32_t& ms) {
    int h, m, sec = 0;
    if (!Digits(s, i, 1, 2, h) || i >= s.size() || s[i] != ':') return false;
    ++i;
    if (!Digits(s, i, 2, 2, m)) return false;
    double frac = 0;
    if (i < s.size() && s[i] == ':') {
        ++i;
        if (!Digits(s, i, 2, 2, sec)) return false;
        if (i < s.size() && s[i] == '.') {
            ++i;
            double scale = 0.1;
            while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
                frac += (s[i] - '0') * scale;
                scale /= 10;
                ++i;
            }
        }
    }
    if (h > 23 || m > 59 || sec > 59) return false;
    std::int64_t total = (static_cast<std::int64_t>(h) * 3600 + m * 60 + sec) * 1000 + std::llround(frac * 1000);
    ms = static_cast<std::int32_t>(std::min<std::int64_t>(total, MsPerDay - 1));
    return true;
}

bool AtEnd(const std::string& s, std::size_t i) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    return i == s.size();
}

}  // namespace

std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

bool SameName(const std::string& a, const std::string& b) { return Upper(a) == Upper(b); }

std::string CutUtf8(const std::string& s, std::size_t n) {
    if (s.size() <= n) return s;
    std::size_t cut = n;
    // Step back over continuation bytes to the start of the cut character.
    while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;
    return s.substr(0, cut);
}

// ---------------------------------------------------------------- dates

std::int32_t JulianFromCivil(int year, int month, int day) {
    int a = (14 - month) / 12;
    int y = year + 4800 - a;
    int m = month + 12 * a - 3;
    return day + (153 * m + 2) / 5 + 365 * y + y / 4 - y / 100 + y / 400 - 32045;
}

void CivilFromJulian(std::int32_t julian, int& year, int& month, int& day) {
    std::int64_t a = static_cast<std::int64_t>(julian) + 32044;
    std::int64_t b = (4 * a + 3) / 146097;
    std::int64_t c = a - 146097 * b / 4;
    std::int64_t d = (4 * c + 3) / 1461;
    std::int64_t e = c - 1461 * d / 4;
    std::int64_t m = (5 * e + 2) / 153;
    day = static_cast<int>(e - (153 * m + 2) / 5 + 1);
    month = static_cast<int>(m + 3 - 12 * (m / 10));
    year = static_cast<int>(100 * b + d - 4800 + m / 10);
}

bool ParseDate(const std::string& text, std::int32_t& julian) {
    std::string s = Trimmed(text);
    std::size_t i = 0;
    if (!ParseDatePart(s, i, julian)) return false;
    if (AtEnd(s, i)) return true;
    // A time after the date belongs to a timestamp; the date stands.
    std::int32_t ms;
    ++i;
    return ParseTimePart(s, i, ms) && AtEnd(s, i);
}

bool ParseTime(const std::string& text, std::int32_t& ms) {
    std::string s = Trimmed(text);
    std::size_t i = 0;
    return ParseTimePart(s, i, ms) && AtEnd(s, i);
}

bool ParseTimeStamp(const std::string& text, std::int32_t& julian, std::int32_t& ms) {
    std::string s = Trimmed(text);
    std::size_t i = 0;
    if (!ParseDatePart(s, i, julian)) return false;
    ms = 0;
    if (AtEnd(s, i)) return true;
    if (s[i] != ' ' && s[i] != 'T') return false;
    while (i < s.size() && (s[i] == ' ' || s[i] == 'T')) ++i;
    return ParseTimePart(s, i, ms) && AtEnd(s, i);
}

std::string FormatDate(std::int32_t julian) {
    int y, m, d;
    CivilFromJulian(julian, y, m, d);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, d);
    return buf;
}

std::string FormatTime(std::int32_t ms) {
    if (ms < 0) ms = 0;
    if (ms >= MsPerDay) ms = MsPerDay - 1;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d.%03d", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
    return buf;
}

std::string FormatTimeStamp(std::int32_t julian, std::int32_t ms) { return FormatDate(julian) + " " + FormatTime(ms); }

// ---------------------------------------------------------------- types

namespace {

struct Decl {
    std::vector<std::string> words;  // upper-case
    std::vector<int> sizes;
};

Decl SplitDecl(const std::string& declared) {
    Decl d;
    std::string word;
    std::size_t i = 0;
    auto flush = [&] {
        if (!word.empty()) d.words.push_back(Upper(word));
        word.clear();
    };
    while (i < declared.size()) {
        char c = declared[i];
        if (c == '(') {
            flush();
            std::size_t close = declared.find(')', i);
            std::string inner = declared.substr(i + 1, close == std::string::npos ? std::string::npos : close - i - 1);
            std::size_t p = 0;
            while (p <= inner.size()) {
                std::size_t comma = inner.find(',', p);
                std::string part = Trimmed(inner.substr(p, comma == std::string::npos ? std::string::npos : comma - p));
                std::int64_t v;
                d.sizes.push_back(ParseInt64(part, v) ? static_cast<int>(v) : 0);
                if (comma == std::string::npos) break;
                p = comma + 1;
            }
            i = close == std::string::npos ? declared.size() : close + 1;
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
            flush();
        else
            word += c;
        ++i;
    }
    flush();
    return d;
}

bool Contains(const std::string& s, const char* part) { return s.find(part) != std::string::npos; }

}  // namespace

bool MapDeclaredType(const std::string& declared, TypeInfo& out) {
    Decl d = SplitDecl(declared);
    if (d.words.empty()) return false;
    const std::string& w = d.words[0];
    int size = d.sizes.empty() ? 0 : d.sizes[0];
    int dec = d.sizes.size() > 1 ? d.sizes[1] : 0;
    auto set = [&](std::uint16_t type, std::uint32_t length, std::uint16_t decimals = 0) {
        out.type = type;
        out.length = length;
        out.decimals = decimals;
        return true;
    };
    if (w == "LOGICAL" || w == "BOOLEAN" || w == "BOOL" || w == "BIT") return set(LdbTypeLogical, 1);
    if (w == "NUMERIC" || w == "DECIMAL") {
        int len = size > 0 ? size : 10;
        return set(LdbTypeNumeric, static_cast<std::uint32_t>(std::min(len, 32)),
                   static_cast<std::uint16_t>(std::clamp(dec, 0, std::max(0, len - 2))));
    }
    if (w == "DATE") return set(LdbTypeDate, 4);
    if (w == "CHAR" || w == "CHARACTER" || w == "NCHAR" || w == "CICHAR")
        return set(LdbTypeString, static_cast<std::uint32_t>(size > 0 ? size : 1));
    if (w == "VARCHAR" || w == "NVARCHAR" || w == "STRING" || w == "VARCHAR2")
        return set(LdbTypeString, static_cast<std::uint32_t>(size > 0 ? size : 255));
    if (w == "MEMO" || w == "TEXT" || w == "CLOB" || w == "LONGVARCHAR" || w == "NMEMO") return set(LdbTypeMemo, 9);
    if (w == "BLOB" || w == "BINARY" || w == "VARBINARY" || w == "LONGVARBINARY") {
        if (size > 0 && w != "BLOB") return set(LdbTypeRaw, static_cast<std::uint32_t>(size));
        return set(LdbTypeBinary, 9);
    }
    if (w == "IMAGE") return set(LdbTypeImage, 9);
    if (w == "RAW") return set(LdbTypeRaw, static_cast<std::uint32_t>(size > 0 ? size : 1));
    if (w == "DOUBLE" || w == "FLOAT" || w == "REAL") return set(LdbTypeDouble, 8);
    if (w == "BIGINT" || w == "LONGLONG" || w == "INT64") return set(LdbTypeLongLong, 8);
    if (w == "INTEGER" || w == "INT" || w == "LONG" || w == "AUTOINC") return set(LdbTypeInteger, 4);
    if (w == "SHORT" || w == "SHORTINT" || w == "SMALLINT") return set(LdbTypeShort, 2);
    if (w == "TIME") return set(LdbTypeTime, 4);
    if (w == "TIMESTAMP" || w == "DATETIME") return set(LdbTypeTimeStamp, 8);
    if (w == "CURDOUBLE") return set(LdbTypeCurDouble, 8);
    if (w == "MONEY" || w == "CURRENCY") return set(LdbTypeMoney, 8);
    // Another name: by the words SQLite reads its affinity from.
    if (Contains(w, "INT")) return set(LdbTypeInteger, 4);
    if (Contains(w, "CHAR")) return set(LdbTypeString, static_cast<std::uint32_t>(size > 0 ? size : 255));
    if (Contains(w, "CLOB") || Contains(w, "TEXT")) return set(LdbTypeMemo, 9);
    if (Contains(w, "BLOB")) return set(LdbTypeBinary, 9);
    if (Contains(w, "REAL") || Contains(w, "FLOA") || Contains(w, "DOUB")) return set(LdbTypeDouble, 8);
    return false;
}

TypeInfo InferType(const std::vector<const SqlValue*>& values) {
    bool anyText = false, anyReal = false, anyBlob = false, anyInt = false, big = false;
    std::size_t longest = 0;
    for (const SqlValue* v : values) {
        switch (v->kind) {
        case SqlValue::Int:
            anyInt = true;
            if (v->i <= std::numeric_limits<std::int32_t>::min() || v->i > std::numeric_limits<std::int32_t>::max())
                big = true;
            longest = std::max(longest, std::to_string(v->i).size());
            break;
        case SqlValue::Real:
            anyReal = true;
            longest = std::max(longest, AsText(*v).size());
            break;
        case SqlValue::Text:
            anyText = true;
            longest = std::max(longest, v->s.size());
            break;
        case SqlValue::Blob:
            anyBlob = true;
            longest = std::max(longest, v->s.size());
            break;
        default: break;
        }
    }
    TypeInfo t;
    if (anyBlob) {
        t.type = LdbTypeBinary;
        t.length = 9;
    } else if (anyText) {
        t.type = LdbTypeString;
        t.length = static_cast<std::uint32_t>(std::max<std::size_t>(longest, 1));
    } else if (anyReal) {
        t.type = LdbTypeDouble;
        t.length = 8;
    } else if (big) {
        t.type = LdbTypeLongLong;
        t.length = 8;
    } else {
        (void)anyInt;
        t.type = LdbTypeInteger;
        t.length = 4;
    }
    return t;
}

bool IsBlobType(std::uint16_t type) { return type >= LdbTypeMemo && type <= 8; }

std::string SqliteColumnType(const std::string& declared) {
    TypeInfo t;
    if (!MapDeclaredType(declared, t) || (t.type != LdbTypeMemo && t.type != LdbTypeString)) return declared;
    // SQLite gives text affinity to type names containing CHAR, CLOB or TEXT.
    std::string up = Upper(declared);
    if (Contains(up, "CHAR") || Contains(up, "CLOB") || Contains(up, "TEXT")) return declared;
    std::size_t paren = declared.find('(');
    if (paren == std::string::npos) return declared + " TEXT";
    std::string head = declared.substr(0, paren);
    while (!head.empty() && head.back() == ' ') head.pop_back();
    return head + " TEXT" + declared.substr(paren);
}

// ---------------------------------------------------------------- records

void EncodeNull(const FieldInfo& f, char* record) {
    char* p = record + f.offset;
    switch (f.t.type) {
    case LdbTypeLogical: *p = ' '; break;
    case LdbTypeDouble:
    case LdbTypeCurDouble: PutNullDouble(p); break;
    case LdbTypeInteger: Put<std::int32_t>(p, NullInt32); break;
    case LdbTypeShort: Put<std::int16_t>(p, NullInt16); break;
    case LdbTypeTime:
    case LdbTypeAutoInc: Put<std::int32_t>(p, -1); break;
    case LdbTypeTimeStamp:
        Put<std::int32_t>(p, 0);
        Put<std::int32_t>(p + 4, -1);
        break;
    case LdbTypeMoney:
    case LdbTypeLongLong: Put<std::int64_t>(p, NullInt64); break;
    default: std::memset(p, 0, f.t.length); break;
    }
}

void EncodeValue(const FieldInfo& f, const SqlValue& v, char* record, std::string* content) {
    if (content) content->clear();
    if (v.kind == SqlValue::Null) {
        EncodeNull(f, record);
        return;
    }
    char* p = record + f.offset;
    switch (f.t.type) {
    case LdbTypeLogical: {
        int b = AsLogical(v);
        *p = b < 0 ? ' ' : (b ? 'T' : 'F');
        return;
    }
    case LdbTypeNumeric: {
        double d;
        if (!AsDouble(v, d)) break;
        char buf[80];
        std::snprintf(buf, sizeof buf, "%.*f", static_cast<int>(f.t.decimals), d);
        std::string text = buf;
        if (text.size() > f.t.length) break;
        std::memset(p, ' ', f.t.length);
        std::memcpy(p + (f.t.length - text.size()), text.data(), text.size());
        return;
    }
    case LdbTypeDate: {
        std::int32_t j;
        if (!DateOf(v, j)) break;
        Put<std::int32_t>(p, j);
        return;
    }
    case LdbTypeString: {
        std::string text = CutUtf8(AsText(v), f.t.length);
        std::memset(p, 0, f.t.length);
        std::memcpy(p, text.data(), text.size());
        return;
    }
    case LdbTypeMemo:
    case LdbTypeBinary:
    case LdbTypeImage:
    case 8: {
        std::string text = AsText(v);
        Put<std::int32_t>(p, text.empty() ? 0 : -1);
        if (content) *content = std::move(text);
        return;
    }
    case LdbTypeDouble:
    case LdbTypeCurDouble: {
        double d;
        if (!AsDouble(v, d)) break;
        Put<double>(p, d);
        return;
    }
    case LdbTypeInteger:
    case LdbTypeAutoInc: {
        std::int64_t i;
        if (!AsInteger(v, i) || i <= NullInt32 || i > std::numeric_limits<std::int32_t>::max()) break;
        Put<std::int32_t>(p, static_cast<std::int32_t>(i));
        return;
    }
    case LdbTypeLongLong: {
        std::int64_t i;
        if (!AsInteger(v, i) || i == NullInt64) break;
        Put<std::int64_t>(p, i);
        return;
    }
    case LdbTypeShort: {
        std::int64_t i;
        if (!AsInteger(v, i) || i <= NullInt16 || i > std::numeric_limits<std::int16_t>::max()) break;
        Put<std::int16_t>(p, static_cast<std::int16_t>(i));
        return;
    }
    case LdbTypeTime: {
        std::int32_t ms;
        if (v.kind == SqlValue::Text && ParseTime(v.s, ms)) {
            Put<std::int32_t>(p, ms);
            return;
        }
        std::int32_t j;
        if (v.kind == SqlValue::Text && ParseTimeStamp(v.s, j, ms)) {
            Put<std::int32_t>(p, ms);
            return;
        }
        break;
    }
    case LdbTypeTimeStamp: {
        std::int32_t j, ms;
        if (!TimeStampOf(v, j, ms)) break;
        Put<std::int32_t>(p, j);
        Put<std::int32_t>(p + 4, ms);
        return;
    }
    case LdbTypeRaw: {
        std::string bytes = v.kind == SqlValue::Blob || v.kind == SqlValue::Text ? v.s : AsText(v);
        std::memset(p, 0, f.t.length);
        std::memcpy(p, bytes.data(), std::min<std::size_t>(bytes.size(), f.t.length));
        return;
    }
    case LdbTypeMoney: {
        double d;
        if (!AsDouble(v, d) || std::fabs(d) >= 9.2e14) break;
        Put<std::int64_t>(p, std::llround(d * 10000.0));
        return;
    }
    default: break;
    }
    // A value the field cannot hold reads as null.
    EncodeNull(f, record);
}

bool ValueFits(const FieldInfo& f, const SqlValue& v) {
    if (v.kind == SqlValue::Null) return true;
    if (f.t.type == LdbTypeString) return AsText(v).size() <= f.t.length;
    FieldInfo at = f;
    at.offset = 0;
    std::vector<char> scratch(std::max<std::uint32_t>(f.t.length, 8));
    std::string content;
    EncodeValue(at, v, scratch.data(), &content);
    if (!RawIsNull(at, scratch.data())) return true;
    // Only an empty text or blob may read back as null.
    return (v.kind == SqlValue::Text || v.kind == SqlValue::Blob) && v.s.empty() &&
           (at.t.type == LdbTypeString || IsBlobType(at.t.type));
}

bool RawIsNull(const FieldInfo& f, const char* record) {
    const char* p = record + f.offset;
    switch (f.t.type) {
    case LdbTypeLogical: return *p == ' ' || *p == 0;
    case LdbTypeDate: return Get<std::int32_t>(p) == 0;
    case LdbTypeMemo:
    case LdbTypeBinary:
    case LdbTypeImage:
    case 8: return Get<std::int32_t>(p) == 0;
    case LdbTypeDouble:
    case LdbTypeCurDouble: return IsNullDouble(p);
    case LdbTypeInteger: return Get<std::int32_t>(p) == NullInt32;
    case LdbTypeShort: return Get<std::int16_t>(p) == NullInt16;
    case LdbTypeTime:
    case LdbTypeAutoInc: return Get<std::int32_t>(p) == -1;
    case LdbTypeTimeStamp: return Get<std::int32_t>(p) == 0;
    case LdbTypeMoney:
    case LdbTypeLongLong: return Get<std::int64_t>(p) == NullInt64;
    default:
        for (std::uint32_t i = 0; i < f.t.length; ++i)
            if (p[i] != 0) return false;
        return true;
    }
}

bool DecodeRaw(const FieldInfo& f, const char* record, SqlValue& out, std::string& error) {
    out = SqlValue();
    const char* p = record + f.offset;
    if (f.t.type == LdbTypeNumeric) {
        std::string text(p, f.t.length);
        std::size_t nul = text.find('\0');
        if (nul != std::string::npos) text.resize(nul);
        if (Trimmed(text).empty()) return true;
        std::int64_t i;
        double d;
        if (f.t.decimals == 0 && ParseInt64(text, i)) {
            out = SqlValue::MakeInt(i);
            return true;
        }
        if (!ParseDouble(text, d)) {
            error = "'" + Trimmed(text) + "' is not a number for field " + f.name + ".";
            return false;
        }
        out = SqlValue::MakeReal(d);
        return true;
    }
    if (f.t.type == LdbTypeString) {
        std::string text(p, f.t.length);
        std::size_t nul = text.find('\0');
        if (nul != std::string::npos) text.resize(nul);
        while (!text.empty() && text.back() == ' ') text.pop_back();
        if (!text.empty()) out = SqlValue::MakeText(text);
        return true;
    }
    if (RawIsNull(f, record)) return true;
    switch (f.t.type) {
    case LdbTypeLogical: {
        char c = *p;
        out = SqlValue::MakeInt(c == 'T' || c == 't' || c == 'Y' || c == 'y' || c == '1' ? 1 : 0);
        return true;
    }
    case LdbTypeDate: {
        std::int32_t j = Get<std::int32_t>(p);
        if (j < JulianFromCivil(1, 1, 1) || j > JulianFromCivil(9999, 12, 31)) {
            error = "Invalid date for field " + f.name + ".";
            return false;
        }
        out = SqlValue::MakeText(FormatDate(j));
        return true;
    }
    case LdbTypeDouble:
    case LdbTypeCurDouble: {
        double d = Get<double>(p);
        if (!std::isfinite(d)) {
            error = "Invalid number for field " + f.name + ".";
            return false;
        }
        out = SqlValue::MakeReal(d);
        return true;
    }
    case LdbTypeInteger:
    case LdbTypeAutoInc: out = SqlValue::MakeInt(Get<std::int32_t>(p)); return true;
    case LdbTypeShort: out = SqlValue::MakeInt(Get<std::int16_t>(p)); return true;
    case LdbTypeLongLong: out = SqlValue::MakeInt(Get<std::int64_t>(p)); return true;
    case LdbTypeTime: {
        std::int32_t ms = Get<std::int32_t>(p);
        if (ms < 0 || ms >= MsPerDay) {
            error = "Invalid time for field " + f.name + ".";
            return false;
        }
        out = SqlValue::MakeText(FormatTime(ms));
        return true;
    }
    case LdbTypeTimeStamp: {
        std::int32_t j = Get<std::int32_t>(p), ms = Get<std::int32_t>(p + 4);
        if (j < JulianFromCivil(1, 1, 1) || j > JulianFromCivil(9999, 12, 31) || ms < 0 || ms >= MsPerDay) {
            error = "Invalid timestamp for field " + f.name + ".";
            return false;
        }
        out = SqlValue::MakeText(FormatTimeStamp(j, ms));
        return true;
    }
    case LdbTypeRaw: out = SqlValue::MakeBlob(std::string(p, f.t.length)); return true;
    case LdbTypeMoney: out = SqlValue::MakeReal(static_cast<double>(Get<std::int64_t>(p)) / 10000.0); return true;
    default:
        error = "Field " + f.name + " cannot be written from a record.";
        return false;
    }
}

}  // namespace ldbi

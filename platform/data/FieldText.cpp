#include "platform/data/FieldText.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace FieldText {
namespace {
std::string Trimmed(const std::string& s) {
    auto b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    auto e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

// Days since 30 December 1899 <-> civil date (proleptic Gregorian),
// through days since 1 January 1970 (day 25569).
void DecodeDay(Int64 days, int& y, int& m, int& d) {
    Int64 z = days - 25569 + 719468;
    Int64 era = (z >= 0 ? z : z - 146096) / 146097;
    Int64 doe = z - era * 146097;
    Int64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    Int64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    Int64 mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
}

Int64 EncodeDay(int y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    Int64 era = (y >= 0 ? y : y - 399) / 400;
    Int64 yoe = y - era * 400;
    Int64 doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    Int64 doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468 + 25569;
}
}  // namespace

std::string IntToStr(Int64 value) { return std::to_string(value); }

bool TryStrToInt64(const std::string& text, Int64& value) {
    std::string s = Trimmed(text);
    if (s.empty()) return false;
    std::size_t i = 0;
    bool neg = false;
    if (s[i] == '+' || s[i] == '-') neg = s[i++] == '-';
    int base = 10;
    if (i < s.size() && s[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= s.size()) return false;
    UInt64 acc = 0;
    const UInt64 limit = neg ? static_cast<UInt64>(std::numeric_limits<Int64>::max()) + 1
                             : static_cast<UInt64>(std::numeric_limits<Int64>::max());
    for (; i < s.size(); ++i) {
        char c = s[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        if (acc > (limit - static_cast<UInt64>(digit)) / static_cast<UInt64>(base)) return false;
        acc = acc * static_cast<UInt64>(base) + static_cast<UInt64>(digit);
    }
    value = neg ? static_cast<Int64>(0 - acc) : static_cast<Int64>(acc);
    return true;
}

std::string FloatToStr(double value, int precision) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*G", precision, value);
    std::string s = buf;
    auto e = s.find('E');
    if (e != std::string::npos) {
        std::string mant = s.substr(0, e);
        std::string exp = s.substr(e + 1);
        bool negExp = !exp.empty() && exp[0] == '-';
        if (!exp.empty() && (exp[0] == '+' || exp[0] == '-')) exp = exp.substr(1);
        while (exp.size() > 1 && exp[0] == '0') exp = exp.substr(1);
        s = mant + "E" + (negExp ? "-" : "") + exp;
    }
    return s;
}

std::string FloatToStrFixed(double value, int digits) {
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.*f", digits, value);
    return buf;
}

std::string FormatFloat(const std::string& mask, double value) {
    if (mask.empty()) return FloatToStr(value);
    auto dot = mask.find('.');
    int digits = 0;
    if (dot != std::string::npos)
        while (dot + 1 + static_cast<std::size_t>(digits) < mask.size() &&
               (mask[dot + 1 + digits] == '0' || mask[dot + 1 + digits] == '#'))
            ++digits;
    return FloatToStrFixed(value, digits);
}

bool TryStrToFloat(const std::string& text, double& value) {
    std::string s = Trimmed(text);
    if (s.empty()) return false;
    for (char c : s)
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E')) return false;
    char* end = nullptr;
    errno = 0;
    double v = std::strtod(s.c_str(), &end);
    if (end != s.c_str() + s.size() || errno == ERANGE) return false;
    value = v;
    return true;
}

std::string DateTimeToText(TDateTime value, char kind, const std::string& mask) {
    double day = std::trunc(value);
    Int64 ms = std::llround(std::fabs(value - day) * 86400000.0);
    if (ms >= 86400000) {
        ms = 0;
        day += value < 0 ? -1 : 1;
    }
    int y, m, d;
    DecodeDay(static_cast<Int64>(day), y, m, d);
    int h = static_cast<int>(ms / 3600000), n = static_cast<int>(ms / 60000 % 60), sec = static_cast<int>(ms / 1000 % 60);
    char date[32], time[32];
    std::snprintf(date, sizeof date, "%d/%d/%04d", m, d, y);
    int h12 = h % 12 == 0 ? 12 : h % 12;
    std::snprintf(time, sizeof time, "%d:%02d:%02d %s", h12, n, sec, h < 12 ? "AM" : "PM");
    if (kind == 'd') return date;
    if (kind == 't') return time;
    if (ms == 0) return date;
    return std::string(date) + " " + time;
}

bool TryTextToDateTime(const std::string& text, char kind, TDateTime& value) {
    std::string s = Trimmed(text);
    int m = 0, d = 0, y = 0, h = 0, n = 0, sec = 0;
    char ampm[3] = {0, 0, 0};
    bool haveDate = false, haveTime = false;
    int used = 0;
    if (std::sscanf(s.c_str(), "%d/%d/%d%n", &m, &d, &y, &used) == 3) {
        haveDate = true;
        s = Trimmed(s.substr(static_cast<std::size_t>(used)));
    }
    if (!s.empty()) {
        int got = std::sscanf(s.c_str(), "%d:%d:%d %2s", &h, &n, &sec, ampm);
        if (got < 2) {
            sec = 0;
            got = std::sscanf(s.c_str(), "%d:%d %2s", &h, &n, ampm);
            if (got < 2) return false;
        }
        std::string ap = ampm;
        if (ap == "PM" || ap == "pm") {
            if (h < 12) h += 12;
        } else if ((ap == "AM" || ap == "am") && h == 12) {
            h = 0;
        }
        if (h > 23 || n > 59 || sec > 59) return false;
        haveTime = true;
    }
    if (!haveDate && !haveTime) return false;
    if (kind == 'd' && !haveDate) return false;
    double result = 0;
    if (haveDate) {
        if (y < 100 && y >= 0) y += y < 50 ? 2000 : 1900;
        if (m < 1 || m > 12 || d < 1 || d > 31) return false;
        static const int dim[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
        if (d > dim[m - 1] + (m == 2 && leap ? 1 : 0)) return false;
        result = static_cast<double>(EncodeDay(y, m, d));
    }
    if (haveTime) {
        double t = (h * 3600.0 + n * 60.0 + sec) / 86400.0;
        result = result >= 0 ? result + t : result - t;
    }
    value = result;
    return true;
}
}  // namespace FieldText

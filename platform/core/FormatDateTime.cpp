// Date and time text: FormatDateTime and the date/time parsers declared in
// Format.h.
#include "platform/core/DateTime.h"
#include "platform/core/Exception.h"
#include "platform/core/Format.h"

#include <cctype>
#include <cmath>
#include <string_view>

namespace {

char Upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

bool StartsWithNoCase(std::string_view s, size_t pos, std::string_view what) {
    if (what.empty() || pos + what.size() > s.size()) return false;
    for (size_t i = 0; i < what.size(); ++i)
        if (Upper(s[pos + i]) != Upper(what[i])) return false;
    return true;
}

std::string Pad(int value, int width) {
    std::string s = std::to_string(value);
    if (static_cast<int>(s.size()) < width) s.insert(0, width - s.size(), '0');
    return s;
}

struct DateParts {
    Word Year, Month, Day, Hour, Min, Sec, MSec;
    int Dow;  // 1 = Sunday
    bool HasTime() const { return Hour || Min || Sec || MSec; }
};

// Whether the h at `pos` is shown on a 12-hour clock: an am/pm, a/p or ampm
// marker follows before the next h.
bool Uses12Hour(const std::string& fmt, size_t pos) {
    char quote = 0;
    for (size_t i = pos; i < fmt.size(); ++i) {
        const char c = fmt[i];
        if (quote) {
            if (c == quote) quote = 0;
            continue;
        }
        if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == 'a' || c == 'A') {
            return StartsWithNoCase(fmt, i, "AM/PM") || StartsWithNoCase(fmt, i, "A/P") ||
                   StartsWithNoCase(fmt, i, "AMPM");
        } else if (c == 'h' || c == 'H') {
            return false;
        }
    }
    return false;
}

void AppendFormatted(std::string& out, const std::string& fmt, const DateParts& dp, const TFormatSettings& fs,
                     int level) {
    if (level > 2) return;  // settings that refer to each other endlessly
    char lastToken = 0;
    const size_t n = fmt.size();
    size_t i = 0;
    auto count = [&](char upper) {
        size_t j = i;
        while (j < n && Upper(fmt[j]) == upper) ++j;
        const int c = static_cast<int>(j - i);
        i = j;
        return c;
    };
    while (i < n) {
        const char c = fmt[i];
        char token = Upper(c);
        if (token >= 'A' && token <= 'Z') {
            if (token == 'M' && lastToken == 'H') token = 'N';
            lastToken = token;
        }
        switch (token) {
            case 'Y': {
                const int k = count('Y');
                out += k <= 2 ? Pad(dp.Year % 100, 2) : Pad(dp.Year, 4);
                break;
            }
            case 'M': {
                const int k = count('M');
                if (k == 1) out += std::to_string(dp.Month);
                else if (k == 2) out += Pad(dp.Month, 2);
                else if (k == 3) out += fs.ShortMonthNames[dp.Month - 1];
                else out += fs.LongMonthNames[dp.Month - 1];
                break;
            }
            case 'N': {
                const int k = count(Upper(c));
                out += k == 1 ? std::to_string(dp.Min) : Pad(dp.Min, 2);
                break;
            }
            case 'D': {
                const int k = count('D');
                switch (k) {
                    case 1: out += std::to_string(dp.Day); break;
                    case 2: out += Pad(dp.Day, 2); break;
                    case 3: out += fs.ShortDayNames[dp.Dow - 1]; break;
                    case 4: out += fs.LongDayNames[dp.Dow - 1]; break;
                    case 5: AppendFormatted(out, fs.ShortDateFormat, dp, fs, level + 1); break;
                    default: AppendFormatted(out, fs.LongDateFormat, dp, fs, level + 1); break;
                }
                break;
            }
            case 'H': {
                const int k = count('H');
                const bool twelve = Uses12Hour(fmt, i);
                int h = dp.Hour;
                if (twelve) {
                    h %= 12;
                    if (h == 0) h = 12;
                }
                out += k == 1 ? std::to_string(h) : Pad(h, 2);
                break;
            }
            case 'S': {
                const int k = count('S');
                out += k == 1 ? std::to_string(dp.Sec) : Pad(dp.Sec, 2);
                break;
            }
            case 'Z': {
                const int k = count('Z');
                out += k == 1 ? std::to_string(dp.MSec) : Pad(dp.MSec, 3);
                break;
            }
            case 'T': {
                const int k = count('T');
                AppendFormatted(out, k == 1 ? fs.ShortTimeFormat : fs.LongTimeFormat, dp, fs, level + 1);
                break;
            }
            case 'C': {
                count('C');
                AppendFormatted(out, fs.ShortDateFormat, dp, fs, level + 1);
                if (dp.HasTime()) {
                    out += ' ';
                    AppendFormatted(out, fs.LongTimeFormat, dp, fs, level + 1);
                }
                break;
            }
            case 'A': {
                const bool pm = dp.Hour >= 12;
                if (StartsWithNoCase(fmt, i, "AM/PM")) {
                    // Keeps the case written in the mask: "am/pm" gives "pm".
                    out.append(fmt, pm ? i + 3 : i, 2);
                    i += 5;
                } else if (StartsWithNoCase(fmt, i, "A/P")) {
                    out += fmt[pm ? i + 2 : i];
                    i += 3;
                } else if (StartsWithNoCase(fmt, i, "AMPM")) {
                    out += pm ? fs.TimePMString : fs.TimeAMString;
                    i += 4;
                } else {
                    out += c;
                    ++i;
                }
                break;
            }
            case '/':
                out += fs.DateSeparator;
                ++i;
                break;
            case ':':
                out += fs.TimeSeparator;
                ++i;
                break;
            case '\'':
            case '"': {
                const size_t end = fmt.find(c, i + 1);
                if (end == std::string::npos) {
                    out.append(fmt, i + 1, std::string::npos);
                    i = n;
                } else {
                    out.append(fmt, i + 1, end - i - 1);
                    i = end + 1;
                }
                break;
            }
            default:
                out += c;
                ++i;
                break;
        }
    }
}

// ------------------------------------------------------------ parsing

enum class DateOrder { MDY, DMY, YMD };

DateOrder GetDateOrder(const std::string& fmt) {
    char quote = 0;
    for (char c : fmt) {
        if (quote) {
            if (c == quote) quote = 0;
            continue;
        }
        if (c == '\'' || c == '"') {
            quote = c;
            continue;
        }
        switch (Upper(c)) {
            case 'D': return DateOrder::DMY;
            case 'Y': return DateOrder::YMD;
            case 'M': return DateOrder::MDY;
            default: break;
        }
    }
    return DateOrder::MDY;
}

class Scanner {
public:
    explicit Scanner(const std::string& s) : s_(s) {}

    bool AtEnd() {
        SkipBlanks();
        return pos_ >= s_.size();
    }
    void SkipBlanks() {
        while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t')) ++pos_;
    }
    // Up to `maxDigits` digits; returns the digit count in `len`.
    bool Number(int& value, int& len, int maxDigits = 4) {
        SkipBlanks();
        size_t p = pos_;
        value = 0;
        while (p < s_.size() && std::isdigit(static_cast<unsigned char>(s_[p]))) {
            if (static_cast<int>(p - pos_) >= maxDigits) return false;
            value = value * 10 + (s_[p] - '0');
            ++p;
        }
        len = static_cast<int>(p - pos_);
        if (len == 0) return false;
        pos_ = p;
        return true;
    }
    bool Char(char c) {
        SkipBlanks();
        if (pos_ < s_.size() && s_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    bool Text(std::string_view t) {
        SkipBlanks();
        if (StartsWithNoCase(s_, pos_, t)) {
            pos_ += t.size();
            return true;
        }
        return false;
    }
    size_t Pos() const { return pos_; }
    void SetPos(size_t p) { pos_ = p; }
    const std::string& Str() const { return s_; }

private:
    const std::string& s_;
    size_t pos_ = 0;
};

int CurrentYear() {
    Word y, m, d;
    DecodeDate(Now(), y, m, d);
    return y;
}

bool ScanDate(Scanner& sc, TDateTime& date, const TFormatSettings& fs) {
    const DateOrder order = GetDateOrder(fs.ShortDateFormat);
    int n1, n2, n3, l1, l2, l3;
    if (!sc.Number(n1, l1) || !sc.Char(fs.DateSeparator) || !sc.Number(n2, l2)) return false;
    int y, m, d, yLen;
    if (sc.Char(fs.DateSeparator)) {
        if (!sc.Number(n3, l3)) return false;
        switch (order) {
            case DateOrder::MDY: m = n1; d = n2; y = n3; yLen = l3; break;
            case DateOrder::DMY: d = n1; m = n2; y = n3; yLen = l3; break;
            default: y = n1; yLen = l1; m = n2; d = n3; break;
        }
    } else {
        y = CurrentYear();
        yLen = 4;
        if (order == DateOrder::DMY) {
            d = n1;
            m = n2;
        } else {
            m = n1;
            d = n2;
        }
    }
    if (yLen <= 2) {
        const int pivot = CurrentYear() - fs.TwoDigitYearCenturyWindow;
        y += pivot / 100 * 100;
        if (fs.TwoDigitYearCenturyWindow > 0 && y < pivot) y += 100;
    }
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > 31) return false;
    return TryEncodeDate(static_cast<Word>(y), static_cast<Word>(m), static_cast<Word>(d), date);
}

// 0 for AM, 12 for PM, -1 when no marker is at the scanner.
int ScanAmPm(Scanner& sc, const TFormatSettings& fs) {
    if ((!fs.TimeAMString.empty() && sc.Text(fs.TimeAMString)) || sc.Text("AM")) return 0;
    if ((!fs.TimePMString.empty() && sc.Text(fs.TimePMString)) || sc.Text("PM")) return 12;
    return -1;
}

bool ScanTime(Scanner& sc, TDateTime& time, const TFormatSettings& fs) {
    int baseHour = ScanAmPm(sc, fs);
    int hour, min = 0, sec = 0, msec = 0, len;
    if (!sc.Number(hour, len, 2)) return false;
    if (sc.Char(fs.TimeSeparator)) {
        if (!sc.Number(min, len, 2)) return false;
        if (sc.Char(fs.TimeSeparator)) {
            if (!sc.Number(sec, len, 2)) return false;
            if (sc.Char(fs.DecimalSeparator)) {
                // A fraction of a second, read as a fraction: ".5" is 500 ms.
                int frac;
                if (!sc.Number(frac, len, 3)) return false;
                msec = frac * (len == 1 ? 100 : len == 2 ? 10 : 1);
            }
        }
    }
    if (baseHour < 0) baseHour = ScanAmPm(sc, fs);
    if (baseHour >= 0) {
        if (hour == 0 || hour > 12) return false;
        if (hour == 12) hour = 0;
        hour += baseHour;
    }
    return TryEncodeTime(static_cast<Word>(hour), static_cast<Word>(min), static_cast<Word>(sec),
                         static_cast<Word>(msec), time);
}

std::string Quoted(const std::string& s) { return "'" + s + "'"; }

}  // namespace

// ---------------------------------------------------------------- formatting

std::string FormatDateTime(const std::string& mask, TDateTime dt) {
    return FormatDateTime(mask, dt, DefaultFormatSettings());
}

std::string FormatDateTime(const std::string& mask, TDateTime dt, const TFormatSettings& fs) {
    DateParts dp;
    DecodeDateTime(dt, dp.Year, dp.Month, dp.Day, dp.Hour, dp.Min, dp.Sec, dp.MSec);
    dp.Dow = DayOfWeek(dt);
    std::string out;
    AppendFormatted(out, mask.empty() ? std::string("c") : mask, dp, fs, 0);
    return out;
}

std::string DateToStr(TDateTime dt) { return FormatDateTime("ddddd", dt); }
std::string DateToStr(TDateTime dt, const TFormatSettings& fs) { return FormatDateTime("ddddd", dt, fs); }
std::string TimeToStr(TDateTime dt) { return FormatDateTime("tt", dt); }
std::string TimeToStr(TDateTime dt, const TFormatSettings& fs) { return FormatDateTime("tt", dt, fs); }
std::string DateTimeToStr(TDateTime dt) { return FormatDateTime("c", dt); }
std::string DateTimeToStr(TDateTime dt, const TFormatSettings& fs) { return FormatDateTime("c", dt, fs); }

// ---------------------------------------------------------------- parsing

bool TryStrToDate(const std::string& s, TDateTime& value) { return TryStrToDate(s, value, DefaultFormatSettings()); }
bool TryStrToDate(const std::string& s, TDateTime& value, const TFormatSettings& fs) {
    Scanner sc(s);
    TDateTime d;
    if (!ScanDate(sc, d, fs) || !sc.AtEnd()) return false;
    value = d;
    return true;
}

bool TryStrToTime(const std::string& s, TDateTime& value) { return TryStrToTime(s, value, DefaultFormatSettings()); }
bool TryStrToTime(const std::string& s, TDateTime& value, const TFormatSettings& fs) {
    Scanner sc(s);
    TDateTime t;
    if (!ScanTime(sc, t, fs) || !sc.AtEnd()) return false;
    value = t;
    return true;
}

bool TryStrToDateTime(const std::string& s, TDateTime& value) {
    return TryStrToDateTime(s, value, DefaultFormatSettings());
}
bool TryStrToDateTime(const std::string& s, TDateTime& value, const TFormatSettings& fs) {
    Scanner sc(s);
    TDateTime d = 0, t = 0;
    if (ScanDate(sc, d, fs)) {
        if (sc.AtEnd() || (ScanTime(sc, t, fs) && sc.AtEnd())) {
            value = ComposeDateTime(d, t);
            return true;
        }
        return false;
    }
    // No date in front: a time alone.
    return TryStrToTime(s, value, fs);
}

TDateTime StrToDate(const std::string& s) { return StrToDate(s, DefaultFormatSettings()); }
TDateTime StrToDate(const std::string& s, const TFormatSettings& fs) {
    TDateTime v;
    if (!TryStrToDate(s, v, fs)) throw EConvertError(Quoted(s) + " is not a valid date");
    return v;
}
TDateTime StrToTime(const std::string& s) { return StrToTime(s, DefaultFormatSettings()); }
TDateTime StrToTime(const std::string& s, const TFormatSettings& fs) {
    TDateTime v;
    if (!TryStrToTime(s, v, fs)) throw EConvertError(Quoted(s) + " is not a valid time");
    return v;
}
TDateTime StrToDateTime(const std::string& s) { return StrToDateTime(s, DefaultFormatSettings()); }
TDateTime StrToDateTime(const std::string& s, const TFormatSettings& fs) {
    TDateTime v;
    if (!TryStrToDateTime(s, v, fs)) throw EConvertError(Quoted(s) + " is not a valid date and time");
    return v;
}
TDateTime StrToDateDef(const std::string& s, TDateTime def) {
    TDateTime v;
    return TryStrToDate(s, v) ? v : def;
}
TDateTime StrToTimeDef(const std::string& s, TDateTime def) {
    TDateTime v;
    return TryStrToTime(s, v) ? v : def;
}
TDateTime StrToDateTimeDef(const std::string& s, TDateTime def) {
    TDateTime v;
    return TryStrToDateTime(s, v) ? v : def;
}

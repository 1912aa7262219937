#include "platform/core/DateTime.h"

#include "platform/core/Clock.h"
#include "platform/core/Exception.h"

#include <cmath>
#include <ctime>

namespace {

constexpr Int64 kMSecsPerDay = 86400000;

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
Int64 DaysFromCivil(Int64 y, unsigned m, unsigned d) {
    y -= m <= 2;
    const Int64 era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<Int64>(doe) - 719468;
}

void CivilFromDays(Int64 z, Int64& y, unsigned& m, unsigned& d) {
    z += 719468;
    const Int64 era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<Int64>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
}

// 1899-12-30 relative to 1970-01-01.
const Int64 kEpochOffset = DaysFromCivil(1899, 12, 30);

// Splits dt into whole days (toward zero) and milliseconds of the day,
// rounding the whole value to the millisecond first.
void Split(TDateTime dt, Int64& days, Int64& msOfDay) {
    const double scaled = dt * static_cast<double>(kMSecsPerDay);
    if (!std::isfinite(scaled) || std::fabs(scaled) > 9.0e18)
        throw EConvertError("Invalid floating point operation");
    const Int64 ms = std::llround(scaled);
    days = ms / kMSecsPerDay;
    msOfDay = (ms < 0 ? -ms : ms) % kMSecsPerDay;
}

}  // namespace

bool IsLeapYear(Word year) { return (year % 4 == 0) && ((year % 100 != 0) || (year % 400 == 0)); }

Word DaysInAMonth(Word year, Word month) {
    static const Word days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return (month == 2 && IsLeapYear(year)) ? 29 : days[month - 1];
}

bool TryEncodeDate(Word year, Word month, Word day, TDateTime& date) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > DaysInAMonth(year, month))
        return false;
    date = static_cast<double>(DaysFromCivil(year, month, day) - kEpochOffset);
    return true;
}

TDateTime EncodeDate(Word year, Word month, Word day) {
    TDateTime d;
    if (!TryEncodeDate(year, month, day, d)) throw EConvertError("Invalid argument to date encode");
    return d;
}

bool TryEncodeTime(Word hour, Word min, Word sec, Word msec, TDateTime& time) {
    if (hour > 23 || min > 59 || sec > 59 || msec > 999) return false;
    time = (hour * 3600000.0 + min * 60000.0 + sec * 1000.0 + msec) / MSecsPerDay;
    return true;
}

TDateTime EncodeTime(Word hour, Word min, Word sec, Word msec) {
    TDateTime t;
    if (!TryEncodeTime(hour, min, sec, msec, t)) throw EConvertError("Invalid argument to time encode");
    return t;
}

TDateTime ComposeDateTime(TDateTime date, TDateTime time) {
    const double d = std::trunc(date);
    const double t = std::fabs(time - std::trunc(time));
    return d < 0 ? d - t : d + t;
}

void DecodeDate(TDateTime dt, Word& year, Word& month, Word& day) {
    Int64 days, ms;
    Split(dt, days, ms);
    Int64 y;
    unsigned m, d;
    CivilFromDays(days + kEpochOffset, y, m, d);
    year = static_cast<Word>(y);
    month = static_cast<Word>(m);
    day = static_cast<Word>(d);
}

void DecodeTime(TDateTime dt, Word& hour, Word& min, Word& sec, Word& msec) {
    Int64 days, ms;
    Split(dt, days, ms);
    hour = static_cast<Word>(ms / 3600000);
    min = static_cast<Word>(ms / 60000 % 60);
    sec = static_cast<Word>(ms / 1000 % 60);
    msec = static_cast<Word>(ms % 1000);
}

void DecodeDateTime(TDateTime dt, Word& year, Word& month, Word& day, Word& hour, Word& min,
                    Word& sec, Word& msec) {
    DecodeDate(dt, year, month, day);
    DecodeTime(dt, hour, min, sec, msec);
}

Word DaysInMonth(TDateTime dt) {
    Word y, m, d;
    DecodeDate(dt, y, m, d);
    return DaysInAMonth(y, m);
}

int DayOfWeek(TDateTime dt) {
    Int64 days, ms;
    Split(dt, days, ms);
    // Day 0 (30 December 1899) was a Saturday.
    Int64 r = (days + 6) % 7;
    if (r < 0) r += 7;
    return static_cast<int>(r) + 1;
}

TDateTime IncMonth(TDateTime dt, int months) {
    Word y, m, d;
    DecodeDate(dt, y, m, d);
    Int64 total = static_cast<Int64>(y) * 12 + (m - 1) + months;
    Int64 ny = total / 12;
    Int64 nm = total % 12 + 1;
    if (ny < 1 || ny > 9999) throw EConvertError("Invalid argument to date encode");
    Word nd = d;
    const Word dim = DaysInAMonth(static_cast<Word>(ny), static_cast<Word>(nm));
    if (nd > dim) nd = dim;
    return ComposeDateTime(EncodeDate(static_cast<Word>(ny), static_cast<Word>(nm), nd), TimeOf(dt));
}

TDateTime DateOf(TDateTime dt) {
    Int64 days, ms;
    Split(dt, days, ms);
    return static_cast<double>(days);
}

TDateTime TimeOf(TDateTime dt) {
    Int64 days, ms;
    Split(dt, days, ms);
    return static_cast<double>(ms) / MSecsPerDay;
}

TDateTime TimePointToLocalDateTime(std::chrono::system_clock::time_point t) {
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(t.time_since_epoch()).count();
    Int64 secs = ms / 1000;
    Int64 msPart = ms % 1000;
    if (msPart < 0) {
        msPart += 1000;
        --secs;
    }
    std::time_t tt = static_cast<std::time_t>(secs);
    std::tm tm{};
    localtime_r(&tt, &tm);
    const TDateTime date = EncodeDate(static_cast<Word>(tm.tm_year + 1900), static_cast<Word>(tm.tm_mon + 1),
                                      static_cast<Word>(tm.tm_mday));
    // A leap second shows as second 60; keep it inside the minute.
    const int sec = tm.tm_sec > 59 ? 59 : tm.tm_sec;
    const TDateTime time = EncodeTime(static_cast<Word>(tm.tm_hour), static_cast<Word>(tm.tm_min),
                                      static_cast<Word>(sec), static_cast<Word>(msPart));
    return ComposeDateTime(date, time);
}

std::chrono::system_clock::time_point LocalDateTimeToTimePoint(TDateTime dt) {
    Word y, mo, d, h, mi, s, ms;
    DecodeDateTime(dt, y, mo, d, h, mi, s, ms);
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    tm.tm_min = mi;
    tm.tm_sec = s;
    tm.tm_isdst = -1;
    const std::time_t tt = std::mktime(&tm);
    return std::chrono::system_clock::from_time_t(tt) + std::chrono::milliseconds(ms);
}

TDateTime Now() { return TimePointToLocalDateTime(CurrentClock().WallTime()); }

TDateTime Date() { return DateOf(Now()); }

TDateTime Time() { return TimeOf(Now()); }

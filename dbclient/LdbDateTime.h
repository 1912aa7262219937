#pragma once
// The one conversion between the framework's date-time values and the
// engine's day numbers and milliseconds, shared by parameter binding, the
// dataset's field values and the connection's services.
//
// A value is rounded to the millisecond, half to even; a time of day that
// rounds up to 24:00:00.000 (23:59:59.9995 and later) is midnight of the
// next day, never a 86400000th millisecond, which the engine refuses.

#include <cstdint>

namespace ldbtime {

inline constexpr double MsPerDay = 86400000.0;
// Julian day of the framework's native day 0 (the day before 1 January of
// year 1) and of the date-time origin, 30 December 1899.
inline constexpr std::int32_t NativeDay0Julian = 1721425;
inline constexpr std::int32_t OriginJulian = 2415019;

struct Stamp {
    std::int32_t Julian = 0;
    std::int32_t Milliseconds = 0;  // 0 .. 86399999
};

// A date-time (days since 30 December 1899, the time of day as the
// fraction, also for days before it).
Stamp FromDateTime(double dateTime);
// The framework's native date-time: milliseconds since its day 0.
Stamp FromNative(double milliseconds);
// The time of day of a date-time in milliseconds, wrapping 24:00 to 0.
std::int32_t TimeOfDay(double dateTime);
// Back: the native milliseconds, and days since the native day 0 with the
// time as fraction.
double ToNative(const Stamp& stamp);
double ToNativeDays(const Stamp& stamp);

}  // namespace ldbtime

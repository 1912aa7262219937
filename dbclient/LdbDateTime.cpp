#include "dbclient/LdbDateTime.h"

#include <cmath>

#include "platform/core/MathUtils.h"

namespace ldbtime {

namespace {

// Milliseconds of a non-negative day fraction, rounded; 86400000 when it
// rounds up to the end of the day.
std::int64_t FractionMs(double fraction) { return static_cast<std::int64_t>(RoundHalfEven(fraction * MsPerDay)); }

}  // namespace

Stamp FromDateTime(double dateTime) {
    const double days = std::trunc(dateTime);
    std::int64_t ms = FractionMs(std::fabs(dateTime - days));
    std::int64_t julian = static_cast<std::int64_t>(days) + OriginJulian;
    if (ms >= static_cast<std::int64_t>(MsPerDay)) {
        ms -= static_cast<std::int64_t>(MsPerDay);
        ++julian;
    }
    return {static_cast<std::int32_t>(julian), static_cast<std::int32_t>(ms)};
}

Stamp FromNative(double milliseconds) {
    const auto total = static_cast<std::int64_t>(RoundHalfEven(milliseconds));
    const auto perDay = static_cast<std::int64_t>(MsPerDay);
    std::int64_t day = total / perDay;
    std::int64_t ms = total % perDay;
    if (ms < 0) {
        ms += perDay;
        --day;
    }
    return {static_cast<std::int32_t>(day + NativeDay0Julian), static_cast<std::int32_t>(ms)};
}

std::int32_t TimeOfDay(double dateTime) {
    std::int64_t ms = FractionMs(std::fabs(dateTime - std::trunc(dateTime)));
    return static_cast<std::int32_t>(ms % static_cast<std::int64_t>(MsPerDay));
}

double ToNative(const Stamp& stamp) {
    return (static_cast<double>(stamp.Julian) - NativeDay0Julian) * MsPerDay + stamp.Milliseconds;
}

double ToNativeDays(const Stamp& stamp) {
    return static_cast<double>(stamp.Julian) - NativeDay0Julian + stamp.Milliseconds / MsPerDay;
}

}  // namespace ldbtime

#pragma once
// Numbers read from a report snapshot come from outside: a damaged or
// hostile file may hold NaN, infinities or values far beyond any page. Every
// conversion of such a number to an integer goes through these helpers, so
// it can never overflow.

#include <cmath>

// No report page or font reaches this size in inches; larger values are
// clamped to it before they are multiplied by a resolution.
inline constexpr double MaxReportInches = 100000.0;
// The largest font height in inches a played record may ask for (1440 points).
inline constexpr double MaxFontInches = 20.0;
// The largest side, in pixels, of a picture that a renderer rasterizes.
inline constexpr int MaxRasterSide = 8000;

// The value clamped to [-limit, limit]; NaN becomes 0.
inline double ClampReal(double value, double limit) {
    if (std::isnan(value)) return 0;
    return value < -limit ? -limit : value > limit ? limit : value;
}

// Nearest integer (halves to even) of a value clamped to the int range that
// leaves room for adding two such values; NaN becomes 0.
inline int SafeRound(double value) {
    constexpr double limit = 1'000'000'000.0;
    return int(std::nearbyint(ClampReal(value, limit)));
}

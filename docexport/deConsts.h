#pragma once
// Screen resolution of the export engine. Every recorded item is measured
// in screen pixels; ScreenPPI is read once at start-up (the platform's
// screen reports 96) and can be changed by tests to check the conversions.

namespace deConsts_detail {
extern int screenPPI;
}

inline int ScreenPPI() { return deConsts_detail::screenPPI; }
// Pixels per point: ScreenPPI / 72.
inline double PointsToPixels() { return deConsts_detail::screenPPI / 72.0; }
// For tests and start-up only; values below 1 are ignored.
void SetScreenPPI(int ppi);

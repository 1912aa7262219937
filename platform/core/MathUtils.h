#pragma once
// Rounding and splitting of floating-point values.
//
// RoundHalfEven is the one "half to even" (banker's) rounding used across the
// program: scores, percentages, currency conversion and variant-to-integer
// conversion all go through it, so that every place agrees on the result.

#include "platform/core/Types.h"

// Rounds value to the given number of decimals (0 = whole number; negative
// counts round to tens, hundreds...), ties going to the even digit.
//
// A double cannot hold most decimal fractions exactly: 0.125 is exact but
// 2.675 is stored as 2.67499999999999982..., and computed values such as
// 1.005 * 1000 come out as 1004.9999999999999. People expect these to round
// as the decimal number they read. So the value is first taken as its
// decimal expansion to 15 significant digits (the precision a double holds
// for any decimal input, and the precision the program displays), and the
// half-to-even rule is applied to that decimal text. Differences beyond the
// 15th significant digit are representation noise and are ignored.
//
// NaN and infinities are returned unchanged.
double RoundHalfEven(double value, int decimals = 0);

// The platform's Round: half to even, as a 64-bit integer. Raises
// EConvertError when the result does not fit.
Int64 Round(double value);

// Integer part (toward zero) as a 64-bit integer. Raises EConvertError when
// the result does not fit.
Int64 Trunc(double value);

// Fractional part with the sign of value: Frac(-1.25) == -0.25.
double Frac(double value);

// Integer part (toward zero) as a double.
double Int(double value);

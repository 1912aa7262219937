#pragma once
// Fixed-point money value: a 64-bit integer counting ten-thousandths, so
// amounts with up to four decimals add and subtract exactly.

#include "platform/core/MathUtils.h"
#include "platform/core/Types.h"

#include <compare>

class Currency {
public:
    constexpr Currency() = default;
    Currency(int v) : raw_(static_cast<Int64>(v) * Scale) {}
    Currency(Int64 v) : raw_(v * Scale) {}
    // Rounds to four decimals, half to even.
    Currency(double v) : raw_(Round(RoundHalfEven(v, 4) * Scale)) {}

    static constexpr Int64 Scale = 10000;
    static constexpr Currency FromRaw(Int64 raw) { Currency c; c.raw_ = raw; return c; }
    constexpr Int64 Raw() const { return raw_; }
    double ToDouble() const { return static_cast<double>(raw_) / Scale; }

    Currency operator-() const { return FromRaw(-raw_); }
    Currency operator+(Currency o) const { return FromRaw(raw_ + o.raw_); }
    Currency operator-(Currency o) const { return FromRaw(raw_ - o.raw_); }
    Currency& operator+=(Currency o) { raw_ += o.raw_; return *this; }
    Currency& operator-=(Currency o) { raw_ -= o.raw_; return *this; }
    // Products and quotients are rounded to four decimals, half to even.
    Currency operator*(double f) const { return Currency(ToDouble() * f); }
    Currency operator/(double f) const { return Currency(ToDouble() / f); }

    friend constexpr bool operator==(Currency a, Currency b) { return a.raw_ == b.raw_; }
    friend constexpr auto operator<=>(Currency a, Currency b) { return a.raw_ <=> b.raw_; }

private:
    Int64 raw_ = 0;
};

#include "platform/core/MathUtils.h"

#include "platform/core/Exception.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

// Scientific text of |value| with 15 significant digits: digits "d.dddd..."
// without the point, and the decimal exponent of the first digit.
void SignificantDigits15(double magnitude, std::string& digits, int& exponent) {
    // to_chars, unlike printf, never looks at the C locale.
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, 14);
    *res.ptr = '\0';
    // buf looks like "1.23456789012345e+02"
    digits.clear();
    const char* p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') digits += *p;
    exponent = (*p == 'e') ? std::atoi(p + 1) : 0;
}

}  // namespace

double RoundHalfEven(double value, int decimals) {
    if (!std::isfinite(value) || value == 0.0) return value;
    if (decimals > 300) return value;
    const bool negative = value < 0;
    std::string digits;
    int exponent = 0;
    SignificantDigits15(std::fabs(value), digits, exponent);

    // Number of digits kept: those before the decimal point plus `decimals`.
    const int keep = exponent + 1 + decimals;
    if (keep >= static_cast<int>(digits.size())) return value;  // nothing to round away
    if (keep < 0) return 0.0;

    // Decide the rounding direction from the dropped digits.
    bool up;
    const char first = digits[keep];
    if (first > '5') {
        up = true;
    } else if (first < '5') {
        up = false;
    } else {
        bool restNonZero = digits.find_first_not_of('0', keep + 1) != std::string::npos;
        if (restNonZero) {
            up = true;
        } else {
            // Exact tie: go to the even neighbour.
            const int lastKept = keep > 0 ? digits[keep - 1] - '0' : 0;
            up = (lastKept % 2) != 0;
        }
    }

    std::string kept = digits.substr(0, keep);
    int exp10 = exponent;  // exponent of kept[0]
    if (up) {
        int i = keep - 1;
        while (i >= 0 && kept[i] == '9') kept[i--] = '0';
        if (i >= 0) {
            ++kept[i];
        } else {
            kept.insert(kept.begin(), '1');
            ++exp10;
        }
    }
    if (kept.empty()) return 0.0;

    // Rebuild "d.ddddE<exp>" and let the library convert it correctly rounded.
    std::string text = negative ? "-" : "";
    text += kept[0];
    if (kept.size() > 1) {
        text += '.';
        text.append(kept, 1, std::string::npos);
    }
    text += 'e';
    text += std::to_string(exp10);
    double result = 0;
    std::from_chars(text.data(), text.data() + text.size(), result);
    return result;
}

namespace {
Int64 ToInt64Checked(double v) {
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    if (!(v > -9223372036854775808.0 - 1.0 && v < 9223372036854775808.0))
        throw EConvertError("Invalid floating point operation");
    if (v <= -9223372036854775808.0) return INT64_MIN;
    return static_cast<Int64>(v);
}
}  // namespace

Int64 Round(double value) { return ToInt64Checked(RoundHalfEven(value, 0)); }

Int64 Trunc(double value) { return ToInt64Checked(std::trunc(value)); }

double Frac(double value) { return value - std::trunc(value); }

double Int(double value) { return std::trunc(value); }

#pragma once
// Text conversions used by the field classes, in one place so that every
// field formats and parses numbers and dates the same way (the process
// format settings; never the machine locale).

#include <string>

#include "platform/core/Types.h"

namespace FieldText {
std::string IntToStr(Int64 value);
// Strict: optional blanks around, optional sign, decimal digits (or "$" and
// hexadecimal digits). False on anything else or on overflow.
bool TryStrToInt64(const std::string& text, Int64& value);
// General format with up to `precision` significant digits.
std::string FloatToStr(double value, int precision = 15);
// Fixed format with `digits` decimals.
std::string FloatToStrFixed(double value, int digits);
// With a format mask; an empty mask is the general format.
std::string FormatFloat(const std::string& mask, double value);
bool TryStrToFloat(const std::string& text, double& value);
// Date, time and date-time text in the short date and long time formats;
// an empty mask picks by kind: 'd' date, 't' time, 'c' date and time
// (the time left out at midnight).
std::string DateTimeToText(TDateTime value, char kind, const std::string& mask = {});
bool TryTextToDateTime(const std::string& text, char kind, TDateTime& value);
}  // namespace FieldText

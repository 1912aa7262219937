#pragma once
// Text conversions used by the field classes, in one place so that every
// field formats and parses numbers and dates the same way: through the
// process format settings (DefaultFormatSettings()), never the machine
// locale.

#include <string>

#include "platform/core/Types.h"

namespace FieldText {
std::string IntToStr(Int64 value);
bool TryStrToInt64(const std::string& text, Int64& value);
// General format with up to `precision` significant digits.
std::string FloatToStr(double value, int precision = 15);
// The currency format of the settings.
std::string CurrencyText(double value);
// With a FormatFloat mask; an empty mask is the general format.
std::string FormatFloat(const std::string& mask, double value);
bool TryStrToFloat(const std::string& text, double& value);
// Date, time and date-time text; an empty mask picks by kind: 'd' the
// short date, 't' the long time, 'c' both (the time left out at midnight).
std::string DateTimeToText(TDateTime value, char kind, const std::string& mask = {});
bool TryTextToDateTime(const std::string& text, char kind, TDateTime& value);
}  // namespace FieldText

#include "platform/data/FieldText.h"

#include "platform/core/Format.h"
#include "platform/core/FormatSettings.h"
#include "platform/core/Strings.h"

namespace FieldText {

std::string IntToStr(Int64 value) { return ::IntToStr(value); }

bool TryStrToInt64(const std::string& text, Int64& value) { return ::TryStrToInt64(Trim(text), value); }

std::string FloatToStr(double value, int precision) { return FloatToStrF(value, ffGeneral, precision, 0); }

std::string CurrencyText(double value) {
    return FloatToStrF(value, ffCurrency, 15, DefaultFormatSettings().CurrencyDecimals);
}

std::string FormatFloat(const std::string& mask, double value) { return ::FormatFloat(mask, value); }

bool TryStrToFloat(const std::string& text, double& value) { return ::TryStrToFloat(text, value); }

std::string DateTimeToText(TDateTime value, char kind, const std::string& mask) {
    if (!mask.empty()) return FormatDateTime(mask, value);
    switch (kind) {
    case 'd': return DateToStr(value);
    case 't': return TimeToStr(value);
    default: return DateTimeToStr(value);
    }
}

bool TryTextToDateTime(const std::string& text, char kind, TDateTime& value) {
    switch (kind) {
    case 'd': return TryStrToDate(text, value);
    case 't': return TryStrToTime(text, value);
    default: return TryStrToDateTime(text, value);
    }
}
}  // namespace FieldText

#include "app/ScoringRules.h"

#include <cmath>

#include "platform/core/Format.h"
#include "platform/core/MathUtils.h"
#include "platform/core/Strings.h"

const char* const kDefaultAnswerLabels = "ABCDEF";

std::string PadLeft(char fill, int width, const std::string& text) {
    if (width < 0) width = 0;
    std::string cut = Utf8Copy(text, 1, width);
    const int length = Utf8Length(cut);
    return std::string(static_cast<std::size_t>(width - length), fill) + cut;
}

std::string PadRight(char fill, int width, const std::string& text) {
    if (width < 0) width = 0;
    std::string cut = Utf8Copy(text, 1, width);
    const int length = Utf8Length(cut);
    return cut + std::string(static_cast<std::size_t>(width - length), fill);
}

std::string MarkCodeToAnswer(char code, int questionNo, const std::string& oddLabels,
                             const std::string& evenLabels) {
    switch (code) {
    case 'B':
        return "-";
    case 'X':
        return "?";
    case '1': case '2': case '3': case '4': case '5': case '6': {
        const std::string& labels = questionNo % 2 != 0 ? oddLabels : evenLabels;
        std::string label = Utf8Copy(labels, code - '0', 1);
        // A label set shorter than six characters has no label for the
        // bubble: keep the mark code rather than lose the mark.
        return label.empty() ? std::string(1, code) : label;
    }
    default:
        return std::string(1, code);
    }
}

double ReadPointValue(const std::string& text) {
    double value = 0;
    if (!TryStrToFloat(text, value) || !std::isfinite(value)) return 1;
    return value;
}

int ScoreDecimals(int decimals) { return decimals >= 1 && decimals <= 4 ? decimals : 1; }

std::string FormatScore(double value, int decimals) {
    const int d = ScoreDecimals(decimals);
    if (d == 1) return FloatToStrF(value, ffGeneral, 10, 0);
    return FloatToStrF(value, ffFixed, 18, d);
}

std::string FormatScoreGeneral(double value) { return FloatToStrF(value, ffGeneral, 15, 0); }

double Percentage(double earned, double possible, int decimals) {
    if (possible == 0) return 0;
    const int d = ScoreDecimals(decimals);
    const double scaled = earned / possible * std::pow(10.0, d + 2);
    if (!std::isfinite(scaled)) return 0;
    return RoundHalfEven(scaled) / std::pow(10.0, d);
}

Int64 IdTextToNumber(const std::string& idText) {
    if (idText.empty()) return 0;
    for (char c : idText)
        if (c < '0' || c > '9') return 0;
    Int64 value = 0;
    if (!TryStrToInt64(idText, value)) return 0;
    return value;
}

TColor MasterCellColor(const std::string& value) {
    if (value == "?") return kColorMultiple;
    const std::string trimmed = Trim(value);
    if (!trimmed.empty() && value != "-") return kColorWindow;
    return kColorBlank;
}

TColor DataCellColor(const std::string& fieldName, const std::string& value, const std::string& keyValue) {
    if (fieldName.empty() || fieldName[0] != 'Q') return kColorWindow;
    if (value == "?") return kColorMultiple;
    if (value != "-" && !value.empty()) return value != keyValue ? kColorWrong : kColorWindow;
    return kColorBlank;
}

std::string DataCellIdText(const std::string& idText, int idDigits) { return PadLeft('0', idDigits, idText); }

TColor ErrorAnswerColor(const std::string& answer) {
    if (answer == "?") return kColorMultiple;
    if (answer == "-" || answer.empty()) return kColorBlank;
    return kColorWrong;
}

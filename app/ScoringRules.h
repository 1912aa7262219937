#pragma once
// The small rules of scoring that need no tables: how a mark code becomes an
// answer, how point values are read, how scores and percentages are written,
// how IDs are padded, and which colour a grid cell or an error row takes.

#include <string>

#include "platform/core/Types.h"
#include "platform/gui/Graphics.h"

// The mark colours of the grids and the errors list; right answers keep the
// window colour.
constexpr TColor kColorWindow = clWindow;
constexpr TColor kColorWrong = RGB(255, 68, 68);
constexpr TColor kColorBlank = RGB(51, 153, 255);
constexpr TColor kColorMultiple = RGB(255, 255, 0);

// The default answer label set (both the odd and the even set).
extern const char* const kDefaultAnswerLabels;

// `text` cut to its first `width` characters, with (width - length) fill
// characters put in front (PadLeft) or behind (PadRight). Characters are
// UTF-8 characters; a negative width counts as 0.
std::string PadLeft(char fill, int width, const std::string& text);
std::string PadRight(char fill, int width, const std::string& text);

// The stored answer of one mark code: "1".."6" the k-th character of the
// odd label set for an odd question number, of the even set for an even
// one; "B" the blank "-"; "X" the multiple mark "?"; anything else itself.
std::string MarkCodeToAnswer(char code, int questionNo, const std::string& oddLabels,
                             const std::string& evenLabels);

// A point value or penalty text as a number; a text that is not a number
// counts as 1.
double ReadPointValue(const std::string& text);

// The decimals in force: 1 to 4 as chosen, anything else 1.
int ScoreDecimals(int decimals);
// A score or percentage with d decimals: for 1 the general format with at
// most 10 significant digits, for 2 to 4 the fixed format with exactly d.
std::string FormatScore(double value, int decimals);
// A score in the general format with at most 15 significant digits.
std::string FormatScoreGeneral(double value);
// earned / possible as a percentage with d decimals, halves to the even
// neighbour; 0 when possible is 0 (or the quotient is not finite).
double Percentage(double earned, double possible, int decimals);

// The ID text of a sheet as the stored 64-bit number: a text of decimal
// digits only; anything else (empty, a "-" from a digit computed below 0,
// too many digits) is 0.
Int64 IdTextToNumber(const std::string& idText);

// Answer-key grid: "?" the multiple-mark colour, "-" or blank the blank
// colour, anything else the window colour.
TColor MasterCellColor(const std::string& value);
// Students' grid, for a field named `fieldName` holding `value` whose key
// field of the same name holds `keyValue`. Only "Q" fields are coloured;
// others keep the window colour.
TColor DataCellColor(const std::string& fieldName, const std::string& value, const std::string& keyValue);
// The text the students' grid shows for an IDNo cell: right-justified to
// D characters with "0" (cut to its first D characters when longer).
std::string DataCellIdText(const std::string& idText, int idDigits);
// The colour of an errors row for a wrong answer: "?" multiple, "-" or
// empty blank, anything else wrong.
TColor ErrorAnswerColor(const std::string& answer);

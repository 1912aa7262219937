#pragma once
// Cell values as text: the number under the caret that a spin button steps
// (keeping its decimals, leading zeros and thousands separators), date and
// time parsing and edit patterns that follow the short date format, the
// mapping between check-box states and the texts of a CheckBoxValues
// setting, and a key text that joins a name with two numbers.
//
// Positions are 1-based byte positions; digits are the single bytes '0' to
// '9' (a byte of a multi-byte character is never a digit, sign or
// separator). Separators, date formats and names come from the format
// settings passed in, by default the process's.

#include <string>

#include "platform/core/FormatSettings.h"
#include "platform/core/Types.h"
#include "platform/core/Variant.h"
#include "platform/gui/StdCtrls.h"

// ----------------------------------------------------------------- numbers

// While 1 <= i <= length and the byte at i is a digit, i += step; returns
// the first position that is not (0 or length + 1 at the ends).
int SkipDigits(const std::string& text, int i, int step);
// The same over digits, "+", "-" and both separators.
int SkipNumberChars(const std::string& text, int i, int step,
                    const TFormatSettings& fs = DefaultFormatSettings());
// Removes valid thousands grouping (a non-empty first group, then groups of
// exactly three digits). True when separators were there and removed;
// otherwise the text is unchanged and the result False.
bool RemoveThousandSeparators(std::string& text, const TFormatSettings& fs = DefaultFormatSettings());
// Groups the leading digit run by thousands (nothing after a leading sign).
void InsertThousandSeparators(std::string& text, const TFormatSettings& fs = DefaultFormatSettings());
// Whether the text, without valid thousands separators, is a number.
bool IsNumberText(const std::string& text, const TFormatSettings& fs = DefaultFormatSettings());
// text + increment in the general format (separators kept when the text had
// them); an empty text gives the increment; a text that is not a number is
// returned unchanged.
void AddToNumberText(const std::string& text, std::string& result, double increment,
                     const TFormatSettings& fs = DefaultFormatSettings());
// The number at the caret (0 = before the first character): the longest run
// of number characters around it when that is a number, else the digits
// around it with a sign directly before them (a sign between two numbers is
// an operator). False when there is none.
bool FindNumberAt(const std::string& text, int caret, int& start, int& length,
                  const TFormatSettings& fs = DefaultFormatSettings());
// Steps the number at the caret by increment, keeping its decimals; start
// and length describe the new number in result. Without a number result is
// the text itself (start = caret, length 0).
void IncrementNumberInText(const std::string& text, int caret, int& start, std::string& result, int& length,
                           double increment, const TFormatSettings& fs = DefaultFormatSettings());
// newText with at least as many decimals as oldText has.
void PadDecimals(const std::string& oldText, const std::string& newText, std::string& result,
                 const TFormatSettings& fs = DefaultFormatSettings());
// PadDecimals, then leading zeros (or thousands separators where oldText
// has them) until the whole part is as long as oldText's.
void PadNumber(const std::string& oldText, const std::string& newText, std::string& result,
               const TFormatSettings& fs = DefaultFormatSettings());

// ------------------------------------------------------------------- dates

// The position of the first digit at or after i, or length + 1.
int SkipNonDigits(const std::string& text, int i);
// 0 year first, 1 month first, 2 day first, by the short date format.
int DateOrder(const TFormatSettings& fs = DefaultFormatSettings());
// "D/M/YYYY"-like edit pattern of the short date format.
void DateFormatPattern(bool fourDigitYear, std::string& pattern, const TFormatSettings& fs = DefaultFormatSettings());
// The year digits typed in a date text; empty when there are none.
void YearPartOfText(const std::string& text, std::string& yearDigits,
                    const TFormatSettings& fs = DefaultFormatSettings());
// Parses a typed date, time or day number: digits only are a day number; a
// time separator after the first digits makes a time; otherwise month names
// become numbers, day names are dropped and the text is read as a date and
// time. Raises EConvertError when it cannot be read.
TDateTime TextToDateTime(const std::string& text, const TFormatSettings& fs = DefaultFormatSettings());
// Never raises: text that cannot be read, and values that are not dates,
// give the current date and time.
TDateTime VariantToDateTime(const Variant& value, const TFormatSettings& fs = DefaultFormatSettings());
// Two year digits in a format become four.
void FourDigitYearFormat(const std::string& format, std::string& result);
// Drops the first "am/pm", "a/p" or "ampm" of a format.
void RemoveAmPm(const std::string& format, std::string& result);
bool HasAmPmStrings(const TFormatSettings& fs = DefaultFormatSettings());
// Neither the byte before position nor the byte after the match is a letter
// or digit.
bool IsWholeWordAt(const std::string& text, int position, int length);
// The first month name (long, else short) found as a whole word becomes its
// number.
void MonthNamesToNumbers(const std::string& text, std::string& result,
                         const TFormatSettings& fs = DefaultFormatSettings());
// The first day name (long, else short) found as a whole word is removed.
void RemoveDayNames(const std::string& text, std::string& result, const TFormatSettings& fs = DefaultFormatSettings());

// -------------------------------------------------------------- check boxes

// "checked|unchecked|grayed". True for empty values, or when the unchecked
// text is not empty and there is no third "|".
bool SplitCheckValues(const std::string& values, std::string& checkedText, std::string& uncheckedText,
                      std::string& grayedText);
bool IsValidCheckValues(const std::string& values);
TCheckBoxState CheckStateOfText(const std::string& text, const std::string& values);
// The text of a state; a text "Null" gives a Null variant.
void CheckValueOfState(TCheckBoxState state, const std::string& values, Variant& value);
TCheckBoxState VariantToCheckState(const Variant& value, const std::string& values);

// ------------------------------------------------------------- key texts

// name, #1, first, #1, second.
void MakeKeyText(const std::string& name, Integer first, Integer second, std::string& text);
// The numbers are -1 when absent; non-numeric parts raise EConvertError.
void ParseKeyText(const std::string& text, Integer& first, Integer& second, std::string& name);
// head = the text before the first separator, text = what follows it;
// without one, head = all of it and text becomes empty.
void SplitOff(std::string& text, std::string& head, char separator);

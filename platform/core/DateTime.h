#pragma once
// Calendar arithmetic on TDateTime values.
//
// A TDateTime counts days since 30 December 1899; the fraction is the time of
// day. Before that day the integer part counts days back and the fraction is
// still the time of day as a magnitude: -1.25 is 29 December 1899, 06:00.

#include "platform/core/Types.h"

#include <chrono>

constexpr double HoursPerDay = 24;
constexpr double MinsPerDay = 24 * 60;
constexpr double SecsPerDay = 24 * 60 * 60;
constexpr double MSecsPerDay = 24.0 * 60 * 60 * 1000;

// Raise EConvertError "Invalid argument to date encode" / "... time encode"
// when a part is out of range. Years run from 1 to 9999.
TDateTime EncodeDate(Word year, Word month, Word day);
TDateTime EncodeTime(Word hour, Word min, Word sec, Word msec);
bool TryEncodeDate(Word year, Word month, Word day, TDateTime& date);
bool TryEncodeTime(Word hour, Word min, Word sec, Word msec, TDateTime& time);
// Date plus time of day, following the sign convention above.
TDateTime ComposeDateTime(TDateTime date, TDateTime time);

// Decoding rounds to the nearest millisecond first, so 23:59:59.9996 on one
// day decodes as 00:00:00.000 on the next.
void DecodeDate(TDateTime dt, Word& year, Word& month, Word& day);
void DecodeTime(TDateTime dt, Word& hour, Word& min, Word& sec, Word& msec);
void DecodeDateTime(TDateTime dt, Word& year, Word& month, Word& day, Word& hour, Word& min,
                    Word& sec, Word& msec);

bool IsLeapYear(Word year);
// Days in a month of a year (28..31).
Word DaysInAMonth(Word year, Word month);
// Days in the month that dt falls in.
Word DaysInMonth(TDateTime dt);
// 1 = Sunday .. 7 = Saturday.
int DayOfWeek(TDateTime dt);
// Moves dt by whole months, keeping the time of day; the day is clipped to
// the end of a shorter month (31 January + 1 month = 28/29 February).
TDateTime IncMonth(TDateTime dt, int months = 1);
// The date part (midnight) and the time-of-day part of dt.
TDateTime DateOf(TDateTime dt);
TDateTime TimeOf(TDateTime dt);

// Current local date and time, date only, and time only, read from the
// process clock (CurrentClock().WallTime()) and the local time zone.
TDateTime Now();
TDateTime Date();
TDateTime Time();

// Conversions between a wall-clock instant and a local TDateTime.
TDateTime TimePointToLocalDateTime(std::chrono::system_clock::time_point t);
std::chrono::system_clock::time_point LocalDateTimeToTimePoint(TDateTime dt);

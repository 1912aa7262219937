#pragma once
// The settings that number and date formatting and parsing follow.
//
// One TFormatSettings object is passed to the formatting routines, or they
// take the process default. Nothing here reads the machine's locale: a
// default-constructed TFormatSettings holds US English settings, and so does
// the process default until the program changes it.

#include <array>
#include <string>

struct TFormatSettings {
    std::string CurrencyString = "$";
    // 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $".
    unsigned char CurrencyFormat = 0;
    // 0 "($1)", 1 "-$1", 2 "$-1", 3 "$1-", 4 "(1$)", 5 "-1$", 6 "1-$",
    // 7 "1$-", 8 "-1 $", 9 "-$ 1", 10 "1 $-", 11 "$ 1-", 12 "$ -1",
    // 13 "1- $", 14 "($ 1)", 15 "(1 $)".
    unsigned char NegCurrFormat = 0;
    char ThousandSeparator = ',';
    char DecimalSeparator = '.';
    unsigned char CurrencyDecimals = 2;
    char DateSeparator = '/';
    char TimeSeparator = ':';
    char ListSeparator = ',';
    std::string ShortDateFormat = "M/d/yyyy";
    std::string LongDateFormat = "dddd, mmmm d, yyyy";
    std::string TimeAMString = "AM";
    std::string TimePMString = "PM";
    std::string ShortTimeFormat = "h:nn AMPM";
    std::string LongTimeFormat = "h:nn:ss AMPM";
    // Index 0 is January.
    std::array<std::string, 12> ShortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::array<std::string, 12> LongMonthNames = {"January", "February", "March",     "April",
                                                  "May",     "June",     "July",      "August",
                                                  "September", "October", "November", "December"};
    // Index 0 is Sunday (DayOfWeek() - 1).
    std::array<std::string, 7> ShortDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    std::array<std::string, 7> LongDayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                               "Thursday", "Friday", "Saturday"};
    // Two-digit years are placed in the 100 years starting this many years
    // before the current year; 0 means the current century.
    unsigned short TwoDigitYearCenturyWindow = 50;
};

// The process default, used when no settings are passed. Mutable so the
// program can set it once at start-up; it is not guarded against concurrent
// change, so change it before worker threads start.
TFormatSettings& DefaultFormatSettings();

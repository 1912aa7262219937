#include "platform/core/Format.h"

#include "platform/core/Clock.h"
#include "platform/core/DateTime.h"
#include "platform/core/Exception.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// Settings with comma decimals and dot thousands, day-first dates.
TFormatSettings European() {
    TFormatSettings fs;
    fs.DecimalSeparator = ',';
    fs.ThousandSeparator = '.';
    fs.DateSeparator = '.';
    fs.ShortDateFormat = "dd/mm/yyyy";
    fs.CurrencyString = "EUR";
    fs.CurrencyFormat = 3;
    fs.NegCurrFormat = 8;
    return fs;
}

// Installs a manual clock at a local date for the life of the object.
class FixedToday {
public:
    explicit FixedToday(TDateTime local) : clock_(0, LocalDateTimeToTimePoint(local)) { SetCurrentClock(&clock_); }
    ~FixedToday() { SetCurrentClock(nullptr); }

private:
    ManualClock clock_;
};

template <class F>
std::string MessageOf(F f) {
    try {
        f();
    } catch (const EConvertError& e) {
        return e.Message;
    }
    return "(no exception)";
}

// ------------------------------------------------------------ FormatFloat

TEST(FormatTest, FormatFloatMasks) {
    struct Case {
        const char* mask;
        double value;
        const char* expected;
    } cases[] = {
        {"0.00", 1234.567, "1234.57"},
        {"#,##0.00", 1234567.891, "1,234,567.89"},
        {"#,##0.00", -1234.5, "-1,234.50"},
        {"#,##0", 999, "999"},
        {"#,##0.00", 0.5, "0.50"},
        {"#,##0", -1234567, "-1,234,567"},
        {"0.00", 1e20, "100000000000000000000.00"},
        {"#,##0", 1000000, "1,000,000"},
        {"000", 7, "007"},
        {"0", 123456, "123456"},
        {"000-000", 12345, "012-345"},
        {"#.##", 0.5, ".5"},
        {"#", 0, ""},
        {"0.###", 1.5, "1.5"},
        {"0.0#", 1.5, "1.5"},
        {"0.0#", 1.25, "1.25"},
        {"0.0#", 1, "1.0"},
        {"0.##", 1, "1"},
        {".00", 12.5, "12.50"},
        {"'Total: '0.0", 3.14159, "Total: 3.1"},
        {"\"n=\"0", 42, "n=42"},
        {"0.00 'pts'", 7, "7.00 pts"},
        // Display rounding: half away from zero on the decimal expansion.
        {"0", 2.5, "3"},
        {"0", -2.5, "-3"},
        {"0.00", 0.125, "0.13"},
        {"0.00", 0.375, "0.38"},
        {"0.00", 2.675, "2.67"},  // 2.67499999999999982...
        {"0.00", 99.995, "100.00"},
        {"0.00", -0.001, "0.00"},  // never "-0.00"
        // Scientific.
        {"0.00E+00", 12345, "1.23E+04"},
        {"0.00E+00", 0.00012345, "1.23E-04"},
        {"0.00E-00", 12345, "1.23E04"},
        {"0.0e-0", 0.00012345, "1.2e-4"},
        {"00.0E+0", 12345, "12.3E+3"},
        {"0.00E+00", 0, "0.00E+00"},
        {"0.00E+00", -12345, "-1.23E+04"},
        // Sections: positive; negative; zero.
        {"0.00;(0.00);'zero'", 5.5, "5.50"},
        {"0.00;(0.00);'zero'", -5.5, "(5.50)"},
        {"0.00;(0.00);'zero'", 0, "zero"},
        {"0.00;(0.00);'zero'", 0.001, "zero"},  // zero after rounding
        {"0.00;;zero", -1, "-1.00"},            // empty negative section: first with a sign
        {"0.0;'minus '0.0", -2.25, "minus 2.3"},
        {"0;0;", 0, "0"},
        {"0.0;(0.0)", -0.01, "0.0"},
        {"'n/a'", 5, "n/a"},  // no digit placeholders: the text alone
        // Empty mask: general format.
        {"", 1.5, "1.5"},
        {"", 1.0 / 3, "0.333333333333333"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatFloat(c.mask, c.value), c.expected) << "mask " << c.mask << " value " << c.value;
}

TEST(FormatTest, FormatFloatFollowsSettings) {
    const TFormatSettings eu = European();
    EXPECT_EQ(FormatFloat("#,##0.00", 1234.5, eu), "1.234,50");
    EXPECT_EQ(FormatFloat("0.0E+00", 1234.5, eu), "1,2E+03");
    EXPECT_EQ(FormatFloat("", 0.25, eu), "0,25");
    EXPECT_EQ(FormatCurr("0.00", Currency(12.345), eu), "12,35");  // 12.3450 exactly; display rounds away
}

TEST(FormatTest, NonFiniteValues) {
    EXPECT_EQ(FormatFloat("0.00", std::numeric_limits<double>::quiet_NaN()), "NAN");
    EXPECT_EQ(FloatToStr(std::numeric_limits<double>::infinity()), "INF");
    EXPECT_EQ(FloatToStr(-std::numeric_limits<double>::infinity()), "-INF");
}

// ------------------------------------------------------------ FloatToStrF

TEST(FormatTest, FloatToStrTable) {
    struct Case {
        double value;
        const char* expected;
    } cases[] = {
        {0, "0"},
        {1.5, "1.5"},
        {-1.5, "-1.5"},
        {0.1 + 0.2, "0.3"},
        {2.0 / 3, "0.666666666666667"},
        {123456789012345.0, "123456789012345"},
        {1e15, "1E15"},
        {1e20, "1E20"},
        {0.00001, "0.00001"},
        {0.000001, "1E-6"},
        {1.5e-7, "1.5E-7"},
        {-1234.5678, "-1234.5678"},
        {100, "100"},
    };
    for (const auto& c : cases) EXPECT_EQ(FloatToStr(c.value), c.expected) << c.value;
}

TEST(FormatTest, FloatToStrFTable) {
    struct Case {
        double value;
        TFloatFormat format;
        int precision, digits;
        const char* expected;
    } cases[] = {
        {1234.5678, ffGeneral, 6, 0, "1234.57"},
        {1234.5678, ffGeneral, 3, 0, "1.23E3"},
        {1234.5678, ffGeneral, 3, 2, "1.23E03"},
        {0.000012345, ffGeneral, 3, 0, "0.0000123"},
        {0.0000012345, ffGeneral, 3, 0, "1.23E-6"},
        {1234.5678, ffExponent, 4, 2, "1.235E+03"},
        {-0.00012345, ffExponent, 3, 0, "-1.23E-4"},
        {0, ffExponent, 3, 2, "0.00E+00"},
        {1234.5678, ffFixed, 15, 2, "1234.57"},
        {1234.5678, ffFixed, 6, 3, "1234.570"},  // precision limits significant digits
        {0.5, ffFixed, 15, 0, "1"},
        {2.5, ffFixed, 15, 0, "3"},
        {-0.004, ffFixed, 15, 2, "0.00"},
        {1e20, ffFixed, 15, 2, "1E20"},  // more integer digits than precision
        {1234567.891, ffNumber, 15, 2, "1,234,567.89"},
        {-999.999, ffNumber, 15, 2, "-1,000.00"},
        {12, ffNumber, 15, 0, "12"},
        {1234.5, ffCurrency, 15, 2, "$1,234.50"},
        {-1234.5, ffCurrency, 15, 2, "($1,234.50)"},
        {0.125, ffCurrency, 15, 2, "$0.13"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FloatToStrF(c.value, c.format, c.precision, c.digits), c.expected)
            << c.value << " format " << c.format << " " << c.precision << "," << c.digits;
}

TEST(FormatTest, CurrencyLayouts) {
    TFormatSettings fs;
    fs.CurrencyString = "EUR";
    const char* positive[] = {"EUR1.50", "1.50EUR", "EUR 1.50", "1.50 EUR"};
    for (int f = 0; f < 4; ++f) {
        fs.CurrencyFormat = static_cast<unsigned char>(f);
        EXPECT_EQ(FloatToStrF(1.5, ffCurrency, 15, 2, fs), positive[f]) << f;
    }
    const char* negative[] = {"(EUR1.50)", "-EUR1.50", "EUR-1.50", "EUR1.50-",  "(1.50EUR)",  "-1.50EUR",
                              "1.50-EUR",  "1.50EUR-", "-1.50 EUR", "-EUR 1.50", "1.50 EUR-", "EUR 1.50-",
                              "EUR -1.50", "1.50- EUR", "(EUR 1.50)", "(1.50 EUR)"};
    for (int f = 0; f < 16; ++f) {
        fs.NegCurrFormat = static_cast<unsigned char>(f);
        EXPECT_EQ(FloatToStrF(-1.5, ffCurrency, 15, 2, fs), negative[f]) << f;
    }
}

// ------------------------------------------------------------ parsing numbers

TEST(FormatTest, StrToFloat) {
    EXPECT_DOUBLE_EQ(StrToFloat("1.5"), 1.5);
    EXPECT_DOUBLE_EQ(StrToFloat("  -2.5e3 "), -2500);
    EXPECT_DOUBLE_EQ(StrToFloat("+.5"), 0.5);
    EXPECT_DOUBLE_EQ(StrToFloat("7."), 7);
    EXPECT_DOUBLE_EQ(StrToFloat("1,5", European()), 1.5);
    for (const char* bad : {"", " ", "1,5", "abc", "1e", "1.5x", ".", "1 000", "--1", "1e999"}) {
        double v = 42;
        EXPECT_FALSE(TryStrToFloat(bad, v)) << bad;
        EXPECT_EQ(v, 42);
    }
    EXPECT_EQ(MessageOf([] { StrToFloat("1,5"); }), "'1,5' is not a valid floating point value");
    EXPECT_DOUBLE_EQ(StrToFloatDef("x", -1), -1);
}

TEST(FormatTest, CurrencyText) {
    EXPECT_EQ(CurrToStr(Currency(12.5)), "12.5");
    EXPECT_EQ(CurrToStr(Currency(-0.0001)), "-0.0001");
    EXPECT_EQ(CurrToStr(Currency(3)), "3");
    EXPECT_EQ(CurrToStr(Currency(1.25), European()), "1,25");
    EXPECT_EQ(StrToCurr("12.34567").Raw(), 123457);
    EXPECT_EQ(StrToCurr("0.00005").Raw(), 0);   // tie to even
    EXPECT_EQ(StrToCurr("0.00015").Raw(), 2);   // tie to even
    EXPECT_EQ(StrToCurr("-1.5").Raw(), -15000);
    EXPECT_EQ(StrToCurr("922337203685477.5807").Raw(), INT64_MAX);
    EXPECT_EQ(MessageOf([] { StrToCurr("x1"); }), "'x1' is not a valid floating point value");
    EXPECT_EQ(MessageOf([] { StrToCurr("922337203685478"); }), "'922337203685478' is not a valid floating point value");
    EXPECT_EQ(CurrToStrF(Currency(1234.5), ffCurrency, 2), "$1,234.50");
}

// ------------------------------------------------------------ Format()

TEST(FormatTest, FormatSpecifiers) {
    int dummy = 0;
    EXPECT_EQ(Format("%d items", {42}), "42 items");
    EXPECT_EQ(Format("%5d|%-5d|", {42, 42}), "   42|42   |");
    EXPECT_EQ(Format("%.4d", {-42}), "-0042");
    EXPECT_EQ(Format("%d", {Int64(9000000000)}), "9000000000");
    EXPECT_EQ(Format("%u", {-1}), "4294967295");
    EXPECT_EQ(Format("%x %x %.4x", {255, -1, 10}), "FF FFFFFFFF 000A");
    EXPECT_EQ(Format("%s and %s", {"a", std::string("b")}), "a and b");
    EXPECT_EQ(Format("%s", {'x'}), "x");
    EXPECT_EQ(Format("%1:s %0:s %s", {"a", "b"}), "b a b");
    EXPECT_EQ(Format("%*d|%-*d|", {5, 42, 4, 7}), "   42|7   |");
    EXPECT_EQ(Format("%.*f", {1, 2.25}), "2.3");
    EXPECT_EQ(Format("%.2f", {3.14159}), "3.14");
    EXPECT_EQ(Format("%f", {1.0}), "1.00");
    EXPECT_EQ(Format("%8.3f|", {-1.5}), "  -1.500|");
    EXPECT_EQ(Format("%n", {1234567.891}), "1,234,567.89");
    EXPECT_EQ(Format("%m", {-1234.5}), "($1,234.50)");
    EXPECT_EQ(Format("%m", {Currency(2)}), "$2.00");
    EXPECT_EQ(Format("%e", {1234.5}), "1.23450000000000E+003");
    EXPECT_EQ(Format("%.3e", {1234.5}), "1.23E+003");
    EXPECT_EQ(Format("%g", {1234.5}), "1234.5");
    EXPECT_EQ(Format("%.3s|%-4s|", {"abcdef", "ab"}), "abc|ab  |");
    EXPECT_EQ(Format("%5s|%.1s", {"\xC3\xA9", "\xC3\xA9t\xC3\xA9"}), "    \xC3\xA9|\xC3\xA9");  // counts characters
    EXPECT_EQ(Format("%d%%", {50}), "50%");
    EXPECT_EQ(Format("%p", {reinterpret_cast<void*>(0x1234)}), "0000000000001234");
    EXPECT_EQ(Format("%P", {&dummy}).size(), 16u);
    EXPECT_EQ(Format("no args", {}), "no args");
    EXPECT_EQ(Format("%.1f", {1.25}, European()), "1,3");
    const std::vector<FormatArg> args{1, "two", 3.0};
    EXPECT_EQ(Format("%d %s %.1f", args), "1 two 3.0");
}

TEST(FormatTest, FormatErrors) {
    const char* invalid[] = {"%d", "%f", "%s", "%q", "%", "%5", "%.f", "%x", "%p"};
    const std::vector<std::vector<FormatArg>> args = {{1.5}, {1}, {1}, {1}, {1}, {1}, {1.0}, {"a"}, {1}};
    for (size_t i = 0; i < std::size(invalid); ++i) {
        EXPECT_EQ(MessageOf([&] { Format(invalid[i], args[i]); }),
                  std::string("Format '") + invalid[i] + "' invalid or incompatible with argument")
            << invalid[i];
    }
    EXPECT_EQ(MessageOf([] { Format("%d %d", {1}); }), "No argument for format '%d %d'");
    EXPECT_EQ(MessageOf([] { Format("%*d", {5}); }), "No argument for format '%*d'");
    EXPECT_EQ(MessageOf([] { Format("%2:d", {1}); }), "No argument for format '%2:d'");
}

// ------------------------------------------------------------ dates

TEST(FormatTest, FormatDateTimeMasks) {
    // Tuesday 5 March 2024, 14:07:09.045
    const TDateTime dt = EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 45);
    struct Case {
        const char* mask;
        const char* expected;
    } cases[] = {
        {"c", "3/5/2024 2:07:09 PM"},
        {"", "3/5/2024 2:07:09 PM"},
        {"d/m/yy", "5/3/24"},
        {"dd/mm/yyyy", "05/03/2024"},
        {"ddd dddd", "Tue Tuesday"},
        {"ddddd", "3/5/2024"},
        {"dddddd", "Tuesday, March 5, 2024"},
        {"mmm mmmm", "Mar March"},
        {"MMMM D, YYYY", "March 5, 2024"},
        {"h:n:s", "14:7:9"},
        {"hh:nn:ss.zzz", "14:07:09.045"},
        {"z", "45"},
        {"hh:mm", "14:07"},  // m after h is minutes
        {"h:mm am/pm", "2:07 pm"},
        {"h:mm AM/PM", "2:07 PM"},
        {"h a/p", "2 p"},
        {"h A/P", "2 P"},
        {"hh ampm", "02 PM"},
        {"hh", "14"},        // no am/pm: 24-hour clock
        {"t", "2:07 PM"},
        {"tt", "2:07:09 PM"},
        {"'Date:' yyyy", "Date: 2024"},
        {"\"at\" hh 'h'", "at 14 h"},
        {"yyyy-mm-dd", "2024-03-05"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatDateTime(c.mask, dt), c.expected) << c.mask;
}

TEST(FormatTest, FormatDateTimeEdges) {
    EXPECT_EQ(FormatDateTime("c", EncodeDate(2024, 3, 5)), "3/5/2024");  // midnight: no time
    EXPECT_EQ(FormatDateTime("h:nn ampm", EncodeTime(0, 30, 0, 0)), "12:30 AM");
    EXPECT_EQ(FormatDateTime("h:nn ampm", EncodeTime(12, 0, 0, 0)), "12:00 PM");
    EXPECT_EQ(FormatDateTime("c", -1.25), "12/29/1899 6:00:00 AM");
    EXPECT_EQ(DateToStr(EncodeDate(1999, 12, 31)), "12/31/1999");
    EXPECT_EQ(TimeToStr(EncodeTime(23, 59, 59, 0)), "11:59:59 PM");
    EXPECT_EQ(DateTimeToStr(EncodeDate(2000, 1, 1) + 0.5), "1/1/2000 12:00:00 PM");

    TFormatSettings fs = European();
    fs.TimeSeparator = '.';
    fs.LongTimeFormat = "hh:nn:ss";
    fs.LongMonthNames[2] = "März";
    EXPECT_EQ(FormatDateTime("c", EncodeDate(2024, 3, 5) + EncodeTime(9, 5, 0, 0), fs), "05.03.2024 09.05.00");
    EXPECT_EQ(FormatDateTime("d. mmmm yyyy", EncodeDate(2024, 3, 5), fs), "5. März 2024");
}

TEST(FormatTest, StrToDateTable) {
    FixedToday today(EncodeDate(2025, 6, 15));
    struct Case {
        const char* text;
        Word y, m, d;
    } cases[] = {
        {"3/5/2024", 2024, 3, 5},
        {" 3/5/2024 ", 2024, 3, 5},
        {"12/31/99", 1999, 12, 31},
        {"1/2/25", 2025, 1, 2},
        {"1/2/74", 2074, 1, 2},  // window: 1975..2074
        {"1/2/75", 1975, 1, 2},
        {"1/2/5", 2005, 1, 2},
        {"3/5", 2025, 3, 5},     // current year
        {"2/29/2024", 2024, 2, 29},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(StrToDate(c.text), EncodeDate(c.y, c.m, c.d)) << c.text;

    TFormatSettings dmy = European();
    EXPECT_DOUBLE_EQ(StrToDate("05.03.2024", dmy), EncodeDate(2024, 3, 5));
    EXPECT_DOUBLE_EQ(StrToDate("5.3", dmy), EncodeDate(2025, 3, 5));
    TFormatSettings ymd;
    ymd.ShortDateFormat = "yyyy/mm/dd";
    ymd.DateSeparator = '-';
    EXPECT_DOUBLE_EQ(StrToDate("2024-03-05", ymd), EncodeDate(2024, 3, 5));
    TFormatSettings noWindow;
    noWindow.TwoDigitYearCenturyWindow = 0;
    EXPECT_DOUBLE_EQ(StrToDate("1/2/99", noWindow), EncodeDate(2099, 1, 2));

    for (const char* bad : {"2/30/2024", "13/1/2024", "abc", "", "3/5/2024x", "3-5-2024", "3/", "1/1/10000"}) {
        TDateTime v = 7;
        EXPECT_FALSE(TryStrToDate(bad, v)) << bad;
        EXPECT_EQ(v, 7);
    }
    EXPECT_EQ(MessageOf([] { StrToDate("3-5-2024"); }), "'3-5-2024' is not a valid date");
    EXPECT_DOUBLE_EQ(StrToDateDef("nope", -3), -3);
}

TEST(FormatTest, StrToTimeAndDateTime) {
    FixedToday today(EncodeDate(2025, 6, 15));
    struct Case {
        const char* text;
        Word h, n, s, ms;
    } cases[] = {
        {"14:07", 14, 7, 0, 0},   {"2:07 PM", 14, 7, 0, 0},   {"2:07pm", 14, 7, 0, 0},
        {"12:00 AM", 0, 0, 0, 0}, {"12:00 PM", 12, 0, 0, 0},  {"PM 2:07", 14, 7, 0, 0},
        {"9", 9, 0, 0, 0},        {"14:07:09.5", 14, 7, 9, 500}, {"23:59:59", 23, 59, 59, 0},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(StrToTime(c.text), EncodeTime(c.h, c.n, c.s, c.ms), 1e-9) << c.text;
    for (const char* bad : {"25:00", "13:00 PM", "0:30 AM", "", "12:60", "10:30 XM", "10:"}) {
        TDateTime v = 7;
        EXPECT_FALSE(TryStrToTime(bad, v)) << bad;
    }
    EXPECT_EQ(MessageOf([] { StrToTime("25:00"); }), "'25:00' is not a valid time");

    const TDateTime d = EncodeDate(2024, 3, 5);
    EXPECT_NEAR(StrToDateTime("3/5/2024 2:07:09 PM"), d + EncodeTime(14, 7, 9, 0), 1e-9);
    EXPECT_DOUBLE_EQ(StrToDateTime("3/5/2024"), d);
    EXPECT_NEAR(StrToDateTime("14:07"), EncodeTime(14, 7, 0, 0), 1e-9);
    EXPECT_EQ(MessageOf([] { StrToDateTime("3/5/2024 junk"); }), "'3/5/2024 junk' is not a valid date and time");
    // Round trip through the default text forms.
    const TDateTime dt = d + EncodeTime(16, 45, 30, 0);
    EXPECT_NEAR(StrToDateTime(DateTimeToStr(dt)), dt, 1e-9);
    TFormatSettings eu = European();
    eu.LongTimeFormat = "hh:nn:ss";
    EXPECT_NEAR(StrToDateTime(DateTimeToStr(dt, eu), eu), dt, 1e-9);
}

}  // namespace

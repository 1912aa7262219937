#include <gtest/gtest.h>

#include "grid/GRGLibValues.h"
#include "platform/core/DateTime.h"

namespace {

TFormatSettings US() { return TFormatSettings(); }

TFormatSettings DayFirst() {
    TFormatSettings fs;
    fs.ShortDateFormat = "d/M/yyyy";
    return fs;
}

}  // namespace

TEST(GridNumberText, ThousandSeparators) {
    struct Case {
        std::string text, after;
        bool removed;
    } cases[] = {
        {"1,234", "1234", true},       {"12,34", "12,34", false},   {"1234", "1234", false},
        {"1,234,567.5", "1234567.5", true}, {"-1,234", "-1,234", false}, {",123", ",123", false},
        {"1,2345", "1,2345", false},   {"12,345 pcs", "12345 pcs", true},
    };
    for (const auto& c : cases) {
        std::string t = c.text;
        EXPECT_EQ(RemoveThousandSeparators(t, US()), c.removed) << c.text;
        EXPECT_EQ(t, c.after) << c.text;
    }
    struct Insert {
        std::string text, after;
    } inserts[] = {{"1234567", "1,234,567"}, {"123", "123"}, {"1234.5678", "1,234.5678"}, {"-1234", "-1234"}};
    for (const auto& c : inserts) {
        std::string t = c.text;
        InsertThousandSeparators(t, US());
        EXPECT_EQ(t, c.after) << c.text;
    }
    EXPECT_TRUE(IsNumberText("1,234.5", US()));
    EXPECT_FALSE(IsNumberText("12a", US()));
}

TEST(GridNumberText, FindNumberAtTheCaret) {
    struct Case {
        std::string text;
        int caret;
        bool found;
        int start, length;
    } cases[] = {
        {"3-5", 2, true, 3, 1},      // the minus is an operator
        {"-5", 1, true, 1, 2},       // a leading sign belongs to the number
        {"Qty 1,999 pcs", 6, true, 5, 5},
        {"a+12", 3, true, 2, 3},
        {"abc", 1, false, 0, 0},
        {"7", 99, true, 1, 1},       // the caret is clamped
    };
    for (const auto& c : cases) {
        int start = 0, length = 0;
        EXPECT_EQ(FindNumberAt(c.text, c.caret, start, length, US()), c.found) << c.text;
        if (c.found) {
            EXPECT_EQ(start, c.start) << c.text;
            EXPECT_EQ(length, c.length) << c.text;
        }
    }
}

TEST(GridNumberText, IncrementKeepsDecimalsAndGrouping) {
    struct Case {
        std::string text;
        int caret;
        double increment;
        std::string result;
        int start, length;
    } cases[] = {
        {"Qty 1,999 pcs", 6, 1, "Qty 2,000 pcs", 5, 5},
        {"1.50", 1, 1, "2.50", 1, 4},
        {"0.1", 3, 0.2, "0.3", 1, 3},
        {"x", 1, 1, "x", 1, 0},
        {"3-5", 3, 1, "3-6", 3, 1},
    };
    for (const auto& c : cases) {
        std::string result;
        int start = -1, length = -1;
        IncrementNumberInText(c.text, c.caret, start, result, length, c.increment, US());
        EXPECT_EQ(result, c.result) << c.text;
        EXPECT_EQ(start, c.start) << c.text;
        EXPECT_EQ(length, c.length) << c.text;
    }
    std::string r;
    AddToNumberText("", r, 5, US());
    EXPECT_EQ(r, "5");
    AddToNumberText("abc", r, 5, US());
    EXPECT_EQ(r, "abc");
}

TEST(GridNumberText, Padding) {
    struct Case {
        std::string oldText, newText, decimals, number;
    } cases[] = {
        {"007", "8", "8", "008"},
        {"1.50", "2.5", "2.50", "2.50"},
        {"1.500", "3", "3.000", "3.000"},
        {"0,999", "1,000", "1,000", "1,000"},
        {"1,000", "999", "999", "0,999"},
        {"12", "3", "3", "03"},
    };
    for (const auto& c : cases) {
        std::string r;
        PadDecimals(c.oldText, c.newText, r, US());
        EXPECT_EQ(r, c.decimals) << c.oldText << " " << c.newText;
        PadNumber(c.oldText, c.newText, r, US());
        EXPECT_EQ(r, c.number) << c.oldText << " " << c.newText;
    }
}

TEST(GridDateText, OrderAndEditPattern) {
    struct Case {
        std::string format;
        int order;
        std::string pattern, fourDigit;
    } cases[] = {
        {"d/M/yyyy", 2, "D/M/YYYY", "D/M/YYYY"},
        {"M/d/yy", 1, "M/D/YY", "M/D/YYYY"},
        {"yyyy-MM-dd", 0, "YYYY/MM/DD", "YYYY/MM/DD"},
        {"dd.MM.yy", 2, "DD/MM/YY", "DD/MM/YYYY"},
        {"", 1, "M/D/YY", "M/D/YYYY"},
    };
    for (const auto& c : cases) {
        TFormatSettings fs;
        fs.ShortDateFormat = c.format;
        EXPECT_EQ(DateOrder(fs), c.order) << c.format;
        std::string p;
        DateFormatPattern(false, p, fs);
        EXPECT_EQ(p, c.pattern) << c.format;
        DateFormatPattern(true, p, fs);
        EXPECT_EQ(p, c.fourDigit) << c.format;
    }
}

TEST(GridDateText, NamesBecomeNumbersOrGo) {
    std::string r;
    MonthNamesToNumbers("5/March/2001", r, DayFirst());
    EXPECT_EQ(r, "5/3/2001");
    MonthNamesToNumbers("5 mar 2001", r, DayFirst());
    EXPECT_EQ(r, "5 3 2001");
    MonthNamesToNumbers("Marching 5", r, DayFirst());  // not a whole word
    EXPECT_EQ(r, "Marching 5");
    RemoveDayNames("Monday 5/3/2001", r, DayFirst());
    EXPECT_EQ(r, " 5/3/2001");
    EXPECT_TRUE(IsWholeWordAt("a May b", 3, 3));
    EXPECT_FALSE(IsWholeWordAt("aMay b", 2, 3));
    EXPECT_EQ(SkipNonDigits("ab\xC3\xA9" "7", 1), 5);
    EXPECT_EQ(SkipNonDigits("abc", 1), 4);

    std::string year;
    YearPartOfText("5/3/2001", year, DayFirst());
    EXPECT_EQ(year, "2001");
    YearPartOfText("5/3/1", year, DayFirst());  // the third run is the last character
    EXPECT_EQ(year, "");
    TFormatSettings ymd;
    ymd.ShortDateFormat = "yyyy-MM-dd";
    YearPartOfText("2001-3-5", year, ymd);
    EXPECT_EQ(year, "2001");
}

TEST(GridDateText, TypedDatesTimesAndDayNumbers) {
    EXPECT_EQ(TextToDateTime("5/March/2001", DayFirst()), EncodeDate(2001, 3, 5));
    EXPECT_EQ(TextToDateTime(" Monday 5/3/2001 ", DayFirst()), EncodeDate(2001, 3, 5));
    EXPECT_EQ(TextToDateTime("36526", US()), 36526.0);
    EXPECT_NEAR(TextToDateTime("12:30", US()), 0.5 + 30.0 / 1440, 1e-9);
    EXPECT_THROW(TextToDateTime("nonsense", US()), EConvertError);

    EXPECT_EQ(VariantToDateTime(Variant("3/5/2001"), US()), EncodeDate(2001, 3, 5));
    EXPECT_EQ(VariantToDateTime(Variant::FromDate(100.25), US()), 100.25);
    TDateTime before = Now();
    TDateTime fallback = VariantToDateTime(Variant("not a date"), US());
    EXPECT_GE(fallback, before);
    EXPECT_GE(VariantToDateTime(Variant(5), US()), before);
}

TEST(GridDateText, FormatHelpers) {
    struct Case {
        std::string format, fourDigit, noAmPm;
    } cases[] = {
        {"d/M/yy", "d/M/yyyy", "d/M/yy"},
        {"yyyy h:nn am/pm", "yyyy h:nn am/pm", "yyyy h:nn"},
        {"h:nn AMPM", "h:nn AMPM", "h:nn"},
        {"h:nn a/p", "h:nn a/p", "h:nn"},
    };
    for (const auto& c : cases) {
        std::string r;
        FourDigitYearFormat(c.format, r);
        EXPECT_EQ(r, c.fourDigit) << c.format;
        RemoveAmPm(c.format, r);
        EXPECT_EQ(r, c.noAmPm) << c.format;
    }
    TFormatSettings fs;
    EXPECT_TRUE(HasAmPmStrings(fs));
    fs.TimeAMString.clear();
    fs.TimePMString.clear();
    EXPECT_FALSE(HasAmPmStrings(fs));
}

TEST(GridCheckValues, SplitStatesAndVariants) {
    struct Case {
        std::string values;
        bool valid;
        std::string checked, unchecked, grayed;
    } cases[] = {
        {"Yes|No", true, "Yes", "No", ""},
        {"Yes", false, "Yes", "", ""},
        {"A|B|C|D", false, "A", "B", "C"},
        {"A|B|C", true, "A", "B", "C"},
        {"", true, "", "", ""},
    };
    for (const auto& c : cases) {
        std::string a, b, g;
        EXPECT_EQ(SplitCheckValues(c.values, a, b, g), c.valid) << c.values;
        EXPECT_EQ(a, c.checked);
        EXPECT_EQ(b, c.unchecked);
        EXPECT_EQ(g, c.grayed);
        EXPECT_EQ(IsValidCheckValues(c.values), c.valid);
    }
    EXPECT_EQ(CheckStateOfText("yes", "Yes|No"), cbChecked);
    EXPECT_EQ(CheckStateOfText("NO", "Yes|No"), cbUnchecked);
    EXPECT_EQ(CheckStateOfText("maybe", "Yes|No"), cbGrayed);
    EXPECT_EQ(CheckStateOfText("Yes", ""), cbGrayed);

    Variant v;
    CheckValueOfState(cbGrayed, "Yes|No", v);
    EXPECT_TRUE(v.IsString());
    EXPECT_EQ(v.AsString(), "");
    CheckValueOfState(cbUnchecked, "T|null", v);
    EXPECT_TRUE(v.IsNull());
    CheckValueOfState(cbChecked, "", v);
    EXPECT_EQ(v.AsString(), "");

    EXPECT_EQ(VariantToCheckState(Variant("Yes"), "Yes|No"), cbChecked);
    EXPECT_EQ(VariantToCheckState(Variant(1), "Yes|No"), cbChecked);
    // The in-cell check box keeps its state as a byte.
    EXPECT_EQ(VariantToCheckState(Variant(Byte(0)), ""), cbUnchecked);
    EXPECT_EQ(VariantToCheckState(Variant(Byte(1)), ""), cbChecked);
    EXPECT_EQ(VariantToCheckState(Variant(Byte(2)), ""), cbGrayed);
    EXPECT_EQ(VariantToCheckState(Variant::NullValue(), "T|Null"), cbUnchecked);
    EXPECT_EQ(VariantToCheckState(Variant::NullValue(), "Null|F"), cbChecked);
    EXPECT_EQ(VariantToCheckState(Variant::NullValue(), "Yes|No"), cbGrayed);
    EXPECT_EQ(VariantToCheckState(Variant(2.0), "Yes|No"), cbGrayed);
}

TEST(GridKeyText, MakeParseAndSplit) {
    std::string key;
    MakeKeyText("Col", 3, -2, key);
    EXPECT_EQ(key, std::string("Col\x01" "3\x01-2"));
    Integer a = 0, b = 0;
    std::string name;
    ParseKeyText(key, a, b, name);
    EXPECT_EQ(name, "Col");
    EXPECT_EQ(a, 3);
    EXPECT_EQ(b, -2);
    ParseKeyText("Plain", a, b, name);
    EXPECT_EQ(name, "Plain");
    EXPECT_EQ(a, -1);
    EXPECT_EQ(b, -1);
    EXPECT_THROW(ParseKeyText(std::string("X\x01" "a\x01" "1"), a, b, name), EConvertError);

    std::string text = "a;b;c", head;
    SplitOff(text, head, ';');
    EXPECT_EQ(head, "a");
    EXPECT_EQ(text, "b;c");
    text = "abc";
    SplitOff(text, head, ';');
    EXPECT_EQ(head, "abc");
    EXPECT_EQ(text, "");
}

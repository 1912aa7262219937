// Shared routines of the project engine: tolerant comparisons, field-name
// brackets, tokens, quoted literals and number texts.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/FormatSettings.h"
#include "platform/core/Object.h"
#include "platform/core/StringList.h"
#include "reportproject/VzUtil.h"

namespace {

// Swaps the process-wide decimal and thousands separators for one test.
class SeparatorScope {
public:
    SeparatorScope(char decimal, char thousands) : saved_(DefaultFormatSettings()) {
        DefaultFormatSettings().DecimalSeparator = decimal;
        DefaultFormatSettings().ThousandSeparator = thousands;
    }
    ~SeparatorScope() { DefaultFormatSettings() = saved_; }

private:
    TFormatSettings saved_;
};

}  // namespace

TEST(Util, TolerantComparisons) {
    const struct {
        double a, b;
        bool same, greater, less;
    } cases[] = {
        {1.0, 1.00005, true, false, false},
        {1.0002, 1.0, false, true, false},
        {1.00005, 1.0, true, false, false},
        {1.0, 1.0002, false, false, true},
        {-2.0, -2.0, true, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.a) + " vs " + std::to_string(c.b));
        EXPECT_EQ(SameFloat(c.a, c.b), c.same);
        EXPECT_EQ(NotSameFloat(c.a, c.b), !c.same);
        EXPECT_EQ(FloatGreater(c.a, c.b), c.greater);
        EXPECT_EQ(FloatNotGreater(c.a, c.b), !c.greater);
        EXPECT_EQ(FloatLess(c.a, c.b), c.less);
        EXPECT_EQ(FloatNotLess(c.a, c.b), !c.less);
    }
}

TEST(Util, RectanglesAndPoints) {
    const TVizeRect r = MakeRect(1, 1, 3, 2);
    EXPECT_TRUE(PointInRect(r, MakePoint(1, 1)));           // edge included
    EXPECT_TRUE(PointInRect(r, MakePoint(3.00005, 2)));     // within tolerance
    EXPECT_FALSE(PointInRect(r, MakePoint(3.001, 1.5)));

    TVizeRect out;
    EXPECT_TRUE(IntersectRect(out, r, MakeRect(2, 0, 5, 1.5)));
    EXPECT_DOUBLE_EQ(out.Left, 2);
    EXPECT_DOUBLE_EQ(out.Top, 1);
    EXPECT_DOUBLE_EQ(out.Right, 3);
    EXPECT_DOUBLE_EQ(out.Bottom, 1.5);
    EXPECT_TRUE(IntersectRect(out, r, MakeRect(3, 2, 4, 4)));  // touching corners
    EXPECT_FALSE(IntersectRect(out, r, MakeRect(3.01, 0, 4, 4)));
}

TEST(Util, FieldNames) {
    const struct {
        std::string name, quoted, cleaned;
    } cases[] = {
        {"Amount", "Amount", "dfAmount"},
        {"", "", "df"},
        {"First Name", "<First Name>", "dfFirst_Name"},
        {"<Odd.Name>", "<Odd.Name>", "dfOddName"},
        {"Price($)", "<Price($)>", "dfPrice"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(QuoteFieldName(c.name), c.quoted);
        EXPECT_EQ(CleanFieldName("df", c.name), c.cleaned);
        if (c.name.empty() || c.name[0] != '<') {
            EXPECT_EQ(RemoveBrackets(QuoteFieldName(c.name)), c.name);
        }
    }
    EXPECT_EQ(RemoveBrackets("a>b<c>d>e"), "a>bcd>e");
}

TEST(Util, NextTokenSkipsDelimitersInBrackets) {
    std::string text = "  <A+B> + C , D ";
    char delimiter = 'x';
    EXPECT_EQ(NextToken(text, delimiter, "+,"), "<A+B>");
    EXPECT_EQ(delimiter, '+');
    EXPECT_EQ(text, "C , D");
    EXPECT_EQ(NextToken(text, delimiter, "+,"), "C");
    EXPECT_EQ(delimiter, ',');
    EXPECT_EQ(NextToken(text, delimiter, "+,"), "D");
    EXPECT_EQ(delimiter, '\0');
    EXPECT_EQ(text, "");

    text = "+rest";
    EXPECT_EQ(NextToken(text, delimiter, "+"), "");
    EXPECT_EQ(text, "rest");
}

TEST(Util, ExtractQuoted) {
    const struct {
        std::string text, piece, rest;
    } cases[] = {
        {"'it''s'  + x", "it's", "+ x"},
        {"plain 'x'", "", "plain 'x'"},
        {"''", "", ""},
        {"'open ended", "open ended", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::string text = c.text;
        EXPECT_EQ(ExtractQuoted(text, '\''), c.piece);
        EXPECT_EQ(text, c.rest);
    }
}

TEST(Util, SameTextLocale) {
    EXPECT_TRUE(SameTextLocale("Äpfel", "äPFEL"));
    EXPECT_TRUE(SameTextLocale("Name", "nAME"));
    EXPECT_TRUE(SameTextLocale("", ""));
    EXPECT_FALSE(SameTextLocale("", "a"));
    EXPECT_FALSE(SameTextLocale("a", "b"));
}

TEST(Util, NumberTexts) {
    const struct {
        double value;
        int digits;
        std::string text;
    } trims[] = {{2.5, 2, "2.5"}, {3, 2, "3"}, {-0.125, 2, "-0.13"}, {100, 0, "100"}, {1.10, 4, "1.1"}};
    for (const auto& c : trims) EXPECT_EQ(FormatFloatTrim(c.value, c.digits), c.text) << c.value;

    EXPECT_EQ(NumericText("-$1,234.50"), "-1234.50");
    EXPECT_EQ(NumericText("$ 12-3.4.5"), "123.45");
    EXPECT_DOUBLE_EQ(StrToFloatDot("3.25", 0), 3.25);
    EXPECT_DOUBLE_EQ(StrToFloatDot("abc", -1), -1);

    const SeparatorScope comma(',', '.');
    EXPECT_EQ(FormatFloatTrim(2.5, 2), "2,50");  // no "." in the text: zeros stay
    EXPECT_EQ(NumericText("-1.234,50 EUR"), "-1234,50");
    EXPECT_DOUBLE_EQ(StrToFloatDot("3,25", 0), 3.25);
    EXPECT_DOUBLE_EQ(StrToFloatDot("3.25", 0), 3.25);
}

TEST(Util, ZigZagDecode) {
    const std::vector<Int64> expected = {0, -1, 1, -2, 2};
    for (Int64 n = 0; n < 5; ++n) EXPECT_EQ(ZigZagDecode(n), expected[static_cast<std::size_t>(n)]);
    EXPECT_EQ(ZigZagDecode(4294967295LL), -2147483648LL);
}

TEST(Util, ListsAndStack) {
    struct Counted : TObject {
        explicit Counted(int& c) : count(c) { ++count; }
        ~Counted() override { --count; }
        int& count;
    };
    int alive = 0;
    std::vector<Counted*> items = {new Counted(alive), nullptr, new Counted(alive)};
    FreeListItems(&items);
    EXPECT_EQ(alive, 0);
    EXPECT_TRUE(items.empty());
    FreeListItems<Counted>(nullptr);

    TStringList list;
    list.AddObject("a", new Counted(alive));
    list.AddObject("b", nullptr);
    FreeListObjects(&list);
    EXPECT_EQ(alive, 0);
    EXPECT_EQ(list.Count(), 0);

    int a = 1, b = 2;
    TVizeStackList<int> stack;
    EXPECT_EQ(stack.Top(), nullptr);
    EXPECT_EQ(stack.Pop(), nullptr);
    stack.Push(&a);
    stack.Push(&b);
    EXPECT_EQ(stack.Top(), &b);
    EXPECT_EQ(stack.Pop(), &b);
    EXPECT_EQ(stack.Pop(), &a);
    EXPECT_EQ(stack.Count(), 0);
}

#include "app/ScoringRules.h"
#include "app/WorkGrids.h"

#include <gtest/gtest.h>

#include <limits>

TEST(ScoringRules, PadCutsToTheWidthAndFillsTheRest) {
    struct Case {
        char fill;
        int width;
        std::string text, left, right;
    } cases[] = {
        {'0', 5, "123", "00123", "12300"},
        {'0', 2, "123", "12", "12"},  // a longer text keeps its first characters
        {' ', 3, "", "   ", "   "},
        {'0', 0, "123", "", ""},
        {'0', -1, "7", "", ""},
        {'*', 3, "\xC3\xA9t\xC3\xA9s", "\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9"},  // never splits a character
        {'*', 4, "\xC3\xA9", "***\xC3\xA9", "\xC3\xA9***"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text + " / " + std::to_string(c.width));
        EXPECT_EQ(PadLeft(c.fill, c.width, c.text), c.left);
        EXPECT_EQ(PadRight(c.fill, c.width, c.text), c.right);
    }
}

TEST(ScoringRules, MarkCodesBecomeLabelCharactersBlankAndMultiple) {
    const std::string odd = "ABCDEF", even = "UVWXYZ";
    struct Case {
        char code;
        int question;
        const char* answer;
    } cases[] = {
        {'1', 1, "A"}, {'6', 1, "F"}, {'3', 3, "C"}, {'1', 2, "U"}, {'6', 4, "Z"}, {'2', 300, "V"},
        {'B', 1, "-"}, {'X', 2, "?"}, {'S', 1, "S"}, {'7', 1, "7"}, {'0', 2, "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(1, c.code) + " for question " + std::to_string(c.question));
        EXPECT_EQ(MarkCodeToAnswer(c.code, c.question, odd, even), c.answer);
    }
}

TEST(ScoringRules, PointTextsThatAreNotNumbersCountAsOne) {
    EXPECT_DOUBLE_EQ(ReadPointValue("2"), 2);
    EXPECT_DOUBLE_EQ(ReadPointValue("0.5"), 0.5);
    EXPECT_DOUBLE_EQ(ReadPointValue("0"), 0);
    EXPECT_DOUBLE_EQ(ReadPointValue("-1.25"), -1.25);
    EXPECT_DOUBLE_EQ(ReadPointValue("abc"), 1);
    EXPECT_DOUBLE_EQ(ReadPointValue(""), 1);
}

TEST(ScoringRules, ScoresAreWrittenWithTheChosenDecimals) {
    struct Case {
        double value;
        int decimals;
        const char* text;
    } cases[] = {
        {7.5, 1, "7.5"},   {8, 1, "8"},       {1.0 / 3, 1, "0.3333333333"}, {7.5, 2, "7.50"},
        {8, 3, "8.000"},   {1, 2, "1.00"},    {33.33, 2, "33.33"},          {0.5, 4, "0.5000"},
        {7.5, 0, "7.5"},   {7.5, 5, "7.5"},   {-2.5, 2, "-2.50"},           {0, 1, "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.value) + " with " + std::to_string(c.decimals));
        EXPECT_EQ(FormatScore(c.value, c.decimals), c.text);
    }
    EXPECT_EQ(FormatScoreGeneral(2.0 / 3), "0.666666666666667");
    EXPECT_EQ(FormatScoreGeneral(8), "8");
}

TEST(ScoringRules, PercentagesRoundHalfToEvenAtTheChosenDecimals) {
    struct Case {
        double earned, possible;
        int decimals;
        double percent;
    } cases[] = {
        {2, 3, 1, 66.7},     {1, 3, 2, 33.33},   {1, 16, 1, 6.2},  // 62.5 tenths go down to 62
        {3, 16, 1, 18.8},    // 187.5 tenths go up to 188
        {1, 8, 0, 12.5},     // decimals outside 1..4 count as 1
        {1, 32, 2, 3.12},    // 312.5 hundredths go down
        {3, 32, 2, 9.38},    // 937.5 hundredths go up
        {8, 9, 2, 88.89},    {8, 9, 1, 88.9},    {5, 5, 4, 100},   {0.5, 5, 1, 10},
        {-1, 4, 1, -25},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.earned) + "/" + std::to_string(c.possible));
        EXPECT_DOUBLE_EQ(Percentage(c.earned, c.possible, c.decimals), c.percent);
    }
}

TEST(ScoringRules, APercentageOfNoPossiblePointsIsZero) {
    EXPECT_EQ(Percentage(0, 0, 1), 0);
    EXPECT_EQ(Percentage(3, 0, 4), 0);
    EXPECT_EQ(Percentage(-2, 0, 2), 0);
    EXPECT_EQ(Percentage(1, std::numeric_limits<double>::denorm_min(), 1), 0);
    EXPECT_EQ(FormatScore(Percentage(3, 0, 2), 2), "0.00");
}

TEST(ScoringRules, IdTextsThatAreNotDigitsAreStoredAsZero) {
    EXPECT_EQ(IdTextToNumber("35"), 35);
    EXPECT_EQ(IdTextToNumber("000123"), 123);
    EXPECT_EQ(IdTextToNumber("123456789"), 123456789);
    EXPECT_EQ(IdTextToNumber(""), 0);
    EXPECT_EQ(IdTextToNumber("3-15"), 0);  // a digit computed below 0
    EXPECT_EQ(IdTextToNumber("-15"), 0);
    EXPECT_EQ(IdTextToNumber("99999999999999999999"), 0);
}

TEST(ScoringRules, CellColoursFollowTheAnswerAndTheKey) {
    EXPECT_EQ(MasterCellColor("?"), kColorMultiple);
    EXPECT_EQ(MasterCellColor("-"), kColorBlank);
    EXPECT_EQ(MasterCellColor(""), kColorBlank);
    EXPECT_EQ(MasterCellColor(" "), kColorBlank);
    EXPECT_EQ(MasterCellColor("B"), kColorWindow);

    EXPECT_EQ(DataCellColor("Q1", "?", "A"), kColorMultiple);
    EXPECT_EQ(DataCellColor("Q1", "B", "A"), kColorWrong);
    EXPECT_EQ(DataCellColor("Q1", "B", "B"), kColorWindow);
    EXPECT_EQ(DataCellColor("Q1", "-", "-"), kColorBlank);
    EXPECT_EQ(DataCellColor("Q2", "", "A"), kColorBlank);
    EXPECT_EQ(DataCellColor("IDNo", "17", ""), kColorWindow);

    EXPECT_EQ(ErrorAnswerColor("?"), kColorMultiple);
    EXPECT_EQ(ErrorAnswerColor("-"), kColorBlank);
    EXPECT_EQ(ErrorAnswerColor(""), kColorBlank);
    EXPECT_EQ(ErrorAnswerColor("C"), kColorWrong);

    EXPECT_EQ(kColorWrong, 0x4444FF);
    EXPECT_EQ(kColorBlank, 0xFF9933);
    EXPECT_EQ(kColorMultiple, 0x00FFFF);
}

TEST(ScoringRules, TheGridShowsIdsZeroPaddedToTheIdDigits) {
    EXPECT_EQ(DataCellIdText("123", 5), "00123");
    EXPECT_EQ(DataCellIdText("123", 2), "12");
    EXPECT_EQ(DataCellIdText("0", 0), "");
}

TEST(ScoringRules, TheErrorsGridColoursAllButTheRightAnswer) {
    EXPECT_EQ(ErrorsCellColor(1, kColorWrong), kColorWrong);
    EXPECT_EQ(ErrorsCellColor(2, kColorBlank), kColorBlank);
    EXPECT_EQ(ErrorsCellColor(3, kColorWrong), clNone);
}

// Scoring a student against the key: point values, penalties, the errors
// list, the score line, question groups and the student's name.

#include <gtest/gtest.h>

#include "app/tests/WorkTestSupport.h"

namespace {

struct ErrorRow {
    int QNo;
    std::string Val, RghtVal;
    TColor Color;
    bool operator==(const ErrorRow&) const = default;
};

std::ostream& operator<<(std::ostream& os, const ErrorRow& r) {
    return os << r.QNo << " '" << r.Val << "' '" << r.RghtVal << "' " << std::hex << r.Color << std::dec;
}

}  // namespace

class ScoreTest : public WorkFixture {
protected:
    std::vector<ErrorRow> Errors() {
        std::vector<ErrorRow> rows;
        TDataSet* t = work->qmtError;
        for (t->First(); !t->Eof(); t->Next())
            rows.push_back({work->qmtErrorQNo->AsInteger(), work->qmtErrorVal->AsString(),
                            work->qmtErrorRghtVal->AsString(), work->qmtErrordColor->AsInteger()});
        return rows;
    }
    void SelectGroup(int no) { ASSERT_TRUE(work->qmtGroups->Locate("GGroupNo", Variant(no), 0)); }
};

TEST_F(ScoreTest, PenaltiesApplyOnlyToWrongAnswersThatAreNeitherBlankNorMultiple) {
    Configure(4, 4, 2);
    // Every question carries a penalty; only question 2's wrong answer pays it.
    SetKey("ABCD", {"1", "2", "1", "1"}, {"", "0.5", "3", "3"});
    AddStudent(7, "AC-?");

    EXPECT_EQ(work->lblScore.Text(), "Score: 0.5/5, 10%");
    EXPECT_EQ(Errors(), (std::vector<ErrorRow>{{2, "C", "B", kColorWrong},
                                                {3, "-", "C", kColorBlank},
                                                {4, "?", "D", kColorMultiple}}));
    EXPECT_DOUBLE_EQ(work->EarnedPoints(false), 0.5);
    EXPECT_DOUBLE_EQ(work->TotalPossiblePoints(), 5);
    // The errors list is read-only outside scoring.
    EXPECT_TRUE(work->qmtErrorVal->ReadOnly());

    // An unscanned question against a key answer is wrong, with its penalty.
    AddStudent(8, "A   ");
    EXPECT_EQ(work->lblScore.Text(), "Score: -5.5/5, -110%");
    EXPECT_EQ(Errors()[1], (ErrorRow{3, "", "C", kColorBlank}));
    EXPECT_DOUBLE_EQ(work->EarnedPoints(false), -5.5);
}

TEST_F(ScoreTest, PointValuesThatAreNotNumbersCountAsOne) {
    Configure(3, 3, 2);
    SetKey("AAA", {"two", "2", "1.5"}, {"x", "", ""});
    AddStudent(1, "ABA");
    // possible 1 + 2 + 1.5, question 2 lost; the penalty "x" is worth 1.
    EXPECT_EQ(work->lblScore.Text(), "Score: 2.5/4.5, 55.6%");
    AddStudent(2, "BAA");
    EXPECT_DOUBLE_EQ(work->EarnedPoints(false), 2.5);
}

TEST_F(ScoreTest, TheScoreLineUsesTheChosenDecimalsAndRoundsHalvesToEven) {
    Configure(16, 16, 2);
    SetKey("AAAAAAAAAAAAAAAA");
    struct Case {
        int decimals;
        std::string answers, line;
    } cases[] = {
        {1, "ABBBBBBBBBBBBBBB", "Score: 1/16, 6.2%"},     // 62.5 tenths go down
        {1, "AAABBBBBBBBBBBBB", "Score: 3/16, 18.8%"},    // 187.5 tenths go up
        {2, "AAABBBBBBBBBBBBB", "Score: 3.00/16.00, 18.75%"},
        {4, "AAAAABBBBBBBBBBB", "Score: 5.0000/16.0000, 31.2500%"},
        {3, "BBBBBBBBBBBBBBBB", "Score: 0.000/16.000, 0.000%"},
    };
    Int64 id = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answers);
        work->Decimals = c.decimals;
        AddStudent(id++, c.answers);
        EXPECT_EQ(work->lblScore.Text(), c.line);
    }
}

TEST_F(ScoreTest, NoPossiblePointsGiveAZeroPercentage) {
    Configure(2, 2, 2);
    SetKey("AB", {"0", "0"});
    AddStudent(1, "AB");
    EXPECT_EQ(work->lblScore.Text(), "Score: 0/0, 0%");
}

TEST_F(ScoreTest, ScoringFollowsTheCurrentStudent) {
    Configure(2, 2, 2);
    SetKey("AB");
    AddStudent(1, "AB");
    AddStudent(2, "BA");
    EXPECT_EQ(work->qmtError->RecordCount(), 2);
    work->qmtData->First();
    EXPECT_EQ(work->lblScore.Text(), "Score: 2/2, 100%");
    EXPECT_EQ(work->qmtError->RecordCount(), 0);
    // Editing an answer and posting rescores.
    work->qmtData->Edit();
    work->qmtData->FieldByName("Q2")->SetAsString("?");
    work->qmtData->Post();
    EXPECT_EQ(work->lblScore.Text(), "Score: 1/2, 50%");
    work->qmtData->Delete();
    EXPECT_EQ(CurrentId(), 2);
    EXPECT_EQ(work->lblScore.Text(), "Score: 0/2, 0%");
    // Searching does not rescore on every step.
    AddStudent(3, "AB");
    EXPECT_EQ(work->lblScore.Text(), "Score: 2/2, 100%");
    work->Locating = true;
    work->qmtData->First();
    EXPECT_EQ(CurrentId(), 2);
    EXPECT_EQ(work->lblScore.Text(), "Score: 2/2, 100%");
}

TEST_F(ScoreTest, AGroupIsFoundOnlyBehindACommaInAQuestionsList) {
    Configure(5, 5, 2);
    SetKey("AAAAA", {"1", "2", "3", "4", "5"}, {"1", "1", "1", "1", "1"});
    AddGroup(3, "Third");
    AddGroup(4, "Fourth");
    SetQuestionGroups(1, "(1,3)");
    SetQuestionGroups(2, "(1,3,4)");
    SetQuestionGroups(3, "(3,4)");  // group 3 first: not found
    SetQuestionGroups(4, "(1,4,13)");
    SetQuestionGroups(5, "(1,33)");
    AddStudent(1, "AB?AA");

    struct Case {
        int group;
        std::string members;
        double earned, possible;
    } cases[] = {
        {1, "11111", 1 + 0 + 0 + 4 + 5 - 1, 15},
        {3, "11000", 1 - 1, 3},
        {4, "01110", -1 + 0 + 4, 9},
        {13, "00010", 4, 4},
        {2, "00000", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.group);
        if (c.group == 2 || c.group == 13) AddGroup(c.group, "");
        SelectGroup(c.group);
        std::string members;
        for (int n = 1; n <= 5; ++n) members += work->QuestionInGroup(n) ? '1' : '0';
        EXPECT_EQ(members, c.members);
        EXPECT_DOUBLE_EQ(work->EarnedPoints(true), c.earned);
        EXPECT_DOUBLE_EQ(work->PossiblePoints(), c.possible);
    }
    // Over every question the group restriction does not apply.
    SelectGroup(3);
    EXPECT_DOUBLE_EQ(work->EarnedPoints(false), 9);
}

TEST_F(ScoreTest, TheQuestionWalkStopsAtTheFirstRecordBeyondTheQuestion) {
    Configure(3, 3, 2);
    SetKey("AAA");
    AddGroup(2, "Two");
    SetQuestionGroups(1, "(1,2)");
    SetQuestionGroups(2, "(1,2)");
    SetQuestionGroups(3, "(1,2)");
    // Out of order: question 1's record behind question 3's is never reached.
    work->qmtQGroups->First();
    work->qmtQGroups->Edit();
    work->qmtQGroupsQQuestionNo->SetAsInteger(3);
    work->qmtQGroups->Post();
    work->qmtQGroups->Last();
    work->qmtQGroups->Edit();
    work->qmtQGroupsQQuestionNo->SetAsInteger(1);
    work->qmtQGroups->Post();
    AddStudent(1, "AAA");
    SelectGroup(2);
    EXPECT_FALSE(work->QuestionInGroup(1));
    EXPECT_FALSE(work->QuestionInGroup(2));
    EXPECT_TRUE(work->QuestionInGroup(3));
    EXPECT_DOUBLE_EQ(work->PossiblePoints(), 1);
    EXPECT_DOUBLE_EQ(work->EarnedPoints(true), 1);
}

TEST_F(ScoreTest, NamesAreFoundByTheIdPaddedToTheIdDigits) {
    Configure(1, 1, 5);
    SetKey("A");
    AddName("00123", "Ada Lovelace");
    AddName("123", "Not this one");
    AddName("00045", "Alan Turing");
    EXPECT_EQ(work->LookupStudentName(123), "");  // names box unticked
    work->cbNames = true;
    EXPECT_EQ(work->LookupStudentName(123), "Ada Lovelace");
    EXPECT_EQ(work->LookupStudentName(45), "Alan Turing");
    EXPECT_EQ(work->LookupStudentName(46), "");

    // The name label follows the current student on the Scan Tests page.
    work->ScanTestsShow();
    work->ReceiveBytes(SheetFrame("00045", "A"));
    EXPECT_EQ(work->lblStudent.Text(), "Alan Turing");
    work->ReceiveBytes(SheetFrame("00046", "A"));
    EXPECT_EQ(work->lblStudent.Text(), "");
    work->qmtNames->Close();
    work->qmtData->First();
    EXPECT_EQ(work->lblStudent.Text(), " ");

    EXPECT_EQ(work->FormatId("123"), "00123");
    work->cbZeros = false;
    EXPECT_EQ(work->FormatId("123"), "123");
    work->D = 2;
    work->cbZeros = true;
    EXPECT_EQ(work->FormatId("123"), "12");
}

TEST_F(ScoreTest, GridCellsAreColouredAgainstTheKey) {
    Configure(3, 3, 5);
    SetKey("-B?");
    work->WrongColor = 1;
    work->BlankColor = 2;
    work->MultipleColor = 3;
    TDataSet* data = work->qmtData;
    EXPECT_EQ(work->DataCellColor(data->FieldByName("Q1"), "-"), 2);
    EXPECT_EQ(work->DataCellColor(data->FieldByName("Q2"), "B"), kColorWindow);
    EXPECT_EQ(work->DataCellColor(data->FieldByName("Q2"), "C"), 1);
    EXPECT_EQ(work->DataCellColor(data->FieldByName("Q3"), "?"), 3);
    EXPECT_EQ(work->DataCellColor(data->FieldByName("IDNo"), "5"), kColorWindow);
    EXPECT_EQ(work->DataCellIdText("123"), "00123");
    EXPECT_EQ(work->MasterCellColor("-"), kColorBlank);
}

TEST_F(ScoreTest, ANamesFileIsReadWithoutAHeaderLine) {
    Configure(1, 1, 4);
    const std::string file = home.Dir() + "names.txt";
    WriteAll(file, "ID\tName\r\n0042\tZoe Quinn\r\n0123\tAnn Lee\r\n42\tWrong Width\r\n");
    work->cbNames = true;
    work->LoadNamesFile(file);
    EXPECT_EQ(work->qmtNames->RecordCount(), 4);  // the header is a student too
    EXPECT_EQ(work->LookupStudentName(42), "Zoe Quinn");
    EXPECT_EQ(work->LookupStudentName(123), "Ann Lee");

    // Loading again replaces the names.
    WriteAll(file, "0123\tAnn Lee-Smith\r\n");
    work->LoadNamesFile(file);
    EXPECT_EQ(work->qmtNames->RecordCount(), 1);
    EXPECT_EQ(work->LookupStudentName(123), "Ann Lee-Smith");
    EXPECT_EQ(work->LookupStudentName(42), "");

    EXPECT_ANY_THROW(work->LoadNamesFile(home.Dir() + "none.txt"));
}

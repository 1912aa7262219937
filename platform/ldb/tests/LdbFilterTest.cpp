// Filters on cursors: the expression language, exact matching, the record
// count that respects filters, and navigation over the visible records.

#include "platform/ldb/tests/LdbTestSupport.h"

namespace {

class LdbFilters : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(LdbConnect60(folder.NewDatabase().c_str(), LdbServerLocal, "", "", 0, &conn), 0u);
        RunSql(conn, "create table People (ID integer, Last char(12), Age integer, Born date, Ok logical, Note memo)");
        RunSql(conn, "insert into People values (1, 'Smith', 30, '1994-05-01', 1, 'likes tea')");
        RunSql(conn, "insert into People values (2, 'Smithers', 41, '1983-02-11', 0, null)");
        RunSql(conn, "insert into People values (3, 'Jones', 25, '1999-12-31', 1, 'Tea and \"cake\"')");
        RunSql(conn, "insert into People values (4, 'O''Brien', null, null, null, null)");
        cur = RunSql(conn, "select * from People order by ID");
    }
    void TearDown() override { LdbDisconnect(conn); }

    std::string Visible() {
        std::string out;
        LdbGotoTop(cur);
        while (!AtEof(cur)) {
            out += (out.empty() ? "" : " ") + std::to_string(RecordValue<std::int32_t>(cur, 1));
            LdbSkip(cur, 1);
        }
        return out;
    }

    LdbTempFolder folder;
    LdbHandle conn = 0, cur = 0;
};

TEST_F(LdbFilters, ExpressionsChooseTheVisibleRecords) {
    struct Case {
        const char* expression;
        bool exact;
        const char* visible;
    } cases[] = {
        {"Last = 'Smith'", true, "1"},
        {"Last = 'Smith'", false, "1 2"},
        {"Last == 'Smith'", false, "1"},
        {"Last = 'Smi' .AND. Age > 35", false, "2"},
        {"Age >= 30 OR ID = 3", true, "1 2 3"},
        {"NOT (Age < 30)", true, "1 2"},
        {"(empty(Age))", true, "4"},
        {"Born < ctod(\"1/1/1990\")", true, "2"},
        {"Ok = .TRUE.", true, "1 3"},
        {"UPPER(Last)=UPPER(\"jones\")", true, "3"},
        {"Last = \"O'Brien\"", true, "4"},
        {"CONTAINS(Note, 'tea*')", true, "1 3"},
        {"Note = \"Tea and \" + Chr(34) + \"cake\" + Chr(34)", true, "3"},
        {"'ith' $ Last", true, "1 2"},
        {"[Age] * 2 = 50", true, "3"},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(LdbSetExact22(cur, c.exact ? 1 : 0), 0u);
        ASSERT_EQ(LdbSetAOF(cur, c.expression, 2), 0u) << c.expression << ": " << LastErrorText();
        EXPECT_EQ(Visible(), c.visible) << c.expression;
        ASSERT_EQ(LdbClearAOF(cur), 0u);
    }
    EXPECT_EQ(Visible(), "1 2 3 4");
}

TEST_F(LdbFilters, CountsAndTheFilterTextFollowTheFilter) {
    ASSERT_EQ(LdbSetFilter(cur, "Age > 26"), 0u);
    ASSERT_EQ(LdbSetAOF(cur, "ID < 3", 2), 0u);
    EXPECT_EQ(Visible(), "1 2");
    std::uint32_t n = 0;
    LdbGetRecordCount(cur, LdbRespectFilters, &n);
    EXPECT_EQ(n, 2u);
    LdbGetRecordCount(cur, LdbIgnoreFilters, &n);
    EXPECT_EQ(n, 4u);
    std::uint16_t len = 0;
    EXPECT_EQ(LdbGetAOF(cur, nullptr, &len), LdbErrInsufficientBuffer);
    EXPECT_EQ(len, 7);
    char text[16];
    len = sizeof text;
    ASSERT_EQ(LdbGetAOF(cur, text, &len), 0u);
    EXPECT_STREQ(text, "ID < 3");
    // The last visible record backwards, and nothing visible at all.
    LdbGotoBottom(cur);
    EXPECT_EQ(RecordValue<std::int32_t>(cur, 1), 2);
    ASSERT_EQ(LdbSetAOF(cur, "ID > 99", 2), 0u);
    LdbGotoTop(cur);
    EXPECT_TRUE(AtEof(cur));
    EXPECT_TRUE(AtBof(cur));
    LdbClearAOF(cur);
    LdbClearFilter(cur);
    EXPECT_EQ(LdbClearAOF(cur), LdbErrNoFilter);
    EXPECT_EQ(LdbGetAOF(cur, text, &len), LdbErrNoFilter);
}

TEST_F(LdbFilters, ExpressionsThatCannotBeReadAreRefused) {
    for (const char* bad : {"Last = ", "Nowhere = 1", "Last = 'open", "Frob(Last)", "(ID = 1"}) {
        EXPECT_EQ(LdbSetAOF(cur, bad, 2), LdbErrBadExpression) << bad;
    }
    EXPECT_EQ(Visible(), "1 2 3 4");
}

}  // namespace

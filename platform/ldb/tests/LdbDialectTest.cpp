// The SQL dialect the engine translates: ALTER TABLE clauses, column
// types with their affinity, several statements, dates written as text.

#include <sqlite3.h>

#include "platform/ldb/tests/LdbTestSupport.h"

namespace {

class LdbDialect : public ::testing::Test {
protected:
    void SetUp() override {
        file = folder.NewDatabase();
        ASSERT_EQ(LdbConnect60(file.c_str(), LdbServerLocal, "", "", 0, &conn), 0u);
    }
    void TearDown() override { LdbDisconnect(conn); }

    // The engine result of running sql, with the error text on failure.
    LdbResult Try(const std::string& sql, LdbHandle* cursor = nullptr) {
        LdbHandle st = 0, cur = 0;
        LdbCreateSQLStatement(conn, &st);
        LdbResult r = LdbPrepareSQL(st, sql.c_str());
        if (r == 0) r = LdbExecuteSQL(st, &cur);
        if (cursor) *cursor = cur;
        return r;
    }
    std::uint16_t TypeOf(const std::string& table, const std::string& column) {
        LdbHandle cur = RunSql(conn, "select " + column + " from " + table);
        std::uint16_t type = 0;
        LdbGetFieldType(cur, 1, &type);
        LdbCloseTable(cur);
        return type;
    }

    LdbTempFolder folder;
    std::string file;
    LdbHandle conn = 0;
};

TEST_F(LdbDialect, AlterTableTakesSeveralAddColumnClauses) {
    RunSql(conn, "create table Profiles (PFNo integer, PFName char(30))");
    RunSql(conn, "insert into Profiles values (1, 'First')");
    ASSERT_EQ(Try("ALTER TABLE Profiles\nADD COLUMN PFPrintScan Logical\nADD COLUMN PFPrintScanTo CHAR(255)"), 0u)
        << LastErrorText();
    ASSERT_EQ(Try("ALTER TABLE Profiles ADD COLUMN OddLbls CHAR(10), ADD EvenLbls CHAR(10)"), 0u) << LastErrorText();
    LdbHandle cur = RunSql(conn, "select * from Profiles where PFNo = -1");
    EXPECT_EQ(FieldCount(cur), 6);
    EXPECT_EQ(RecordCount(cur), 0u);
    EXPECT_EQ(TypeOf("Profiles", "PFPrintScan"), LdbTypeLogical);
    EXPECT_EQ(TypeOf("Profiles", "PFPrintScanTo"), LdbTypeString);

    // A failing clause undoes the clauses before it.
    EXPECT_EQ(Try("ALTER TABLE Profiles ADD COLUMN Extra integer ADD COLUMN PFName char(3)"), LdbErrSql);
    EXPECT_NE(LastErrorText().find("duplicate column name"), std::string::npos) << LastErrorText();
    cur = RunSql(conn, "select * from Profiles");
    EXPECT_EQ(FieldCount(cur), 6);
}

TEST_F(LdbDialect, AlterColumnRebuildsTheTableWithTheNewTypeAndKeepsRowsAndOrder) {
    RunSql(conn, "create table Points (PVProfile integer, PVQuestion integer, PVValue integer)");
    RunSql(conn, "create index PointsByProfile on Points (PVProfile)");
    for (int q = 3; q >= 1; --q)
        RunSql(conn, "insert into Points values (1, " + std::to_string(q) + ", " + std::to_string(q * 2) + ")");
    ASSERT_EQ(TypeOf("Points", "PVValue"), LdbTypeInteger);
    ASSERT_EQ(Try("ALTER TABLE Points\nALTER COLUMN PVValue PVValue Double"), 0u) << LastErrorText();
    EXPECT_EQ(TypeOf("Points", "PVValue"), LdbTypeDouble);
    LdbHandle cur = RunSql(conn, "select PVQuestion, PVValue from Points");
    std::string seen;
    for (LdbGotoTop(cur); !AtEof(cur); LdbSkip(cur, 1))
        seen += std::to_string(RecordValue<std::int32_t>(cur, 1)) + "=" +
                std::to_string(RecordValue<double>(cur, 2)).substr(0, 3) + " ";
    EXPECT_EQ(seen, "3=6.0 2=4.0 1=2.0 ");
    ASSERT_EQ(Try("ALTER TABLE Points ADD COLUMN PVPenalty DOUBLE"), 0u);
    // The index survived the rebuild.
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    sqlite3_stmt* q = nullptr;
    sqlite3_prepare_v2(db, "select count(*) from sqlite_master where type = 'index'", -1, &q, nullptr);
    sqlite3_step(q);
    EXPECT_EQ(sqlite3_column_int(q, 0), 1);
    sqlite3_finalize(q);
    sqlite3_close(db);

    EXPECT_EQ(Try("ALTER TABLE Points ALTER COLUMN Missing Missing Double"), LdbErrSql);
    EXPECT_NE(LastErrorText().find("no such column: Missing"), std::string::npos);
    EXPECT_EQ(Try("ALTER TABLE Nowhere ALTER COLUMN A A Double"), LdbErrSql);
    EXPECT_EQ(Try("ALTER TABLE Points FROB X"), LdbErrSql);
}

TEST_F(LdbDialect, TextTypesKeepTextAsWritten) {
    ASSERT_EQ(Try("create table DataDetail (DDID integer, DSID integer,\n DDQuestion integer, DDValue Char(10), "
                  "DDRecNo integer,\n DDStdID integer, DDPoints Char(6), DDComment Memo)"),
              0u)
        << LastErrorText();
    RunSql(conn, "insert into DataDetail (DDID, DDValue, DDComment) values ('7', 007, '007')");
    LdbHandle cur = RunSql(conn, "select DDID, DDValue, DDComment from DataDetail");
    EXPECT_EQ(TypeOf("DataDetail", "DDComment"), LdbTypeMemo);
    LdbGotoTop(cur);
    EXPECT_EQ(RecordValue<std::int32_t>(cur, 1), 7);
    EXPECT_EQ(StringField(cur, 2), "7");
    EXPECT_EQ(StringField(cur, 3), "007");
    ASSERT_EQ(Try("ALTER TABLE DataDetail ADD COLUMN Note Memo"), 0u);
    RunSql(conn, "update DataDetail set Note = '0012'");
    cur = RunSql(conn, "select Note from DataDetail");
    LdbGotoTop(cur);
    EXPECT_EQ(StringField(cur, 1), "0012");
}

TEST_F(LdbDialect, TablesMadeFromASelectOrOnlyIfMissingAreCreatedAsWritten) {
    ASSERT_EQ(Try("create table if not exists Notes (N memo)"), 0u) << LastErrorText();
    ASSERT_EQ(Try("create table if not exists Notes (N memo)"), 0u) << LastErrorText();
    RunSql(conn, "insert into Notes values ('0012')");
    ASSERT_EQ(Try("create table Copy as select N from (select N from Notes)"), 0u) << LastErrorText();
    LdbHandle cur = RunSql(conn, "select N from Notes");
    LdbGotoTop(cur);
    EXPECT_EQ(StringField(cur, 1), "0012");
    cur = RunSql(conn, "select count(*) from Copy");
    LdbGotoTop(cur);
    EXPECT_EQ(RecordValue<std::int32_t>(cur, 1), 1);
}

TEST_F(LdbDialect, DatesWrittenAsTextInTheUsualFormsReadAsDates) {
    RunSql(conn, "create table DataSets (DSID integer, DSModifyDate Date, At timestamp)");
    RunSql(conn, "insert into DataSets values (1, '2024-03-05', '2024-03-05T10:20:30')");
    RunSql(conn, "insert into DataSets values (2, '3/5/2024', '3/5/2024 10:20')");
    RunSql(conn, "insert into DataSets values (3, '20240305', 'not a date')");
    LdbHandle cur = RunSql(conn, "select DSModifyDate, At from DataSets where DSID < 3 order by DSID");
    const std::int32_t want = 2460375;  // 5 March 2024
    LdbGotoTop(cur);
    EXPECT_EQ(RecordValue<std::int32_t>(cur, 2), want);
    LdbSkip(cur, 1);
    EXPECT_EQ(RecordValue<std::int32_t>(cur, 2), want);
    cur = RunSql(conn, "select DSModifyDate from DataSets order by DSID");
    LdbGotoTop(cur);
    EXPECT_EQ(RecordValue<std::int32_t>(cur, 1), want);
    LdbSkip(cur, 1);
    EXPECT_EQ(RecordValue<std::int32_t>(cur, 1), want);
    LdbSkip(cur, 1);
    EXPECT_EQ(RecordValue<std::int32_t>(cur, 1), want);
    // Text that is no timestamp is not dropped: the column reads as text.
    cur = RunSql(conn, "select At from DataSets where DSID = 3");
    LdbGotoTop(cur);
    std::uint16_t type = 0;
    LdbGetFieldType(cur, 1, &type);
    EXPECT_EQ(type, LdbTypeString);
    EXPECT_EQ(StringField(cur, 1), "not a date");
}

TEST_F(LdbDialect, SeveralStatementsRunInOrderAndTheLastMayOpenACursor) {
    LdbHandle cur = 0;
    ASSERT_EQ(Try("create table A (X integer); insert into A values (1); insert into A values (2); "
                  "select sum(X) as S from A;",
                  &cur),
              0u)
        << LastErrorText();
    ASSERT_NE(cur, 0);
    LdbGotoTop(cur);
    EXPECT_EQ(RecordValue<std::int32_t>(cur, 1), 3);
    // A failure undoes the statements before it.
    EXPECT_EQ(Try("insert into A values (3); insert into Nowhere values (1)"), LdbErrSql);
    cur = RunSql(conn, "select count(*) from A");
    LdbGotoTop(cur);
    EXPECT_EQ(RecordValue<std::int32_t>(cur, 1), 2);
}

TEST_F(LdbDialect, ParametersInsideQuotesAndCommentsAreText) {
    RunSql(conn, "create table Q (S char(20))");
    LdbHandle st = 0, cur = 0;
    LdbCreateSQLStatement(conn, &st);
    ASSERT_EQ(LdbPrepareSQL(st, "insert into Q values (':notAParam' || :p) -- :neither"), 0u);
    ASSERT_EQ(LdbSetString(st, 1, "!", 1), 0u);
    EXPECT_EQ(LdbSetString(st, 2, "!", 1), LdbErrInvalidFieldNumber);
    ASSERT_EQ(LdbExecuteSQL(st, &cur), 0u) << LastErrorText();
    cur = RunSql(conn, "select S from Q");
    LdbGotoTop(cur);
    EXPECT_EQ(StringField(cur, 1), ":notAParam!");
}

}  // namespace

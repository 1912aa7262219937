// Connections, errors, statements and parameters of the engine.

#include <sqlite3.h>

#include <thread>

#include "platform/ldb/tests/LdbTestSupport.h"

namespace {

class LdbEngine : public ::testing::Test {
protected:
    void SetUp() override {
        file = folder.NewDatabase();
        ASSERT_EQ(LdbConnect60(file.c_str(), LdbServerLocal, "admin", "secret", 0, &conn), 0u) << LastErrorText();
    }
    void TearDown() override {
        if (conn) LdbDisconnect(conn);
    }
    LdbTempFolder folder;
    std::string file;
    LdbHandle conn = 0;
};

TEST(LdbErrors, FailedConnectReportsCodeAndTextThroughGetLastError) {
    LdbTempFolder folder;
    LdbHandle conn = 123;
    std::string missing = folder.path + "/Missing.ldd";
    EXPECT_EQ(LdbConnect60(missing.c_str(), LdbServerLocal, "", "", 0, &conn), LdbErrDatabaseNotFound);
    EXPECT_EQ(conn, 0);
    LdbResult code = 0;
    EXPECT_EQ(LastErrorText(&code), "Error 7008: The database " + missing + " does not exist.");
    EXPECT_EQ(code, LdbErrDatabaseNotFound);

    // A file that is not a database fails at once, as an SQL error.
    std::string junk = folder.path + "/Junk.ldd";
    std::ofstream(junk) << "this is not a database file, not at all, no";
    EXPECT_EQ(LdbConnect(junk.c_str(), &conn), LdbErrSql);
    EXPECT_NE(LastErrorText().find("NativeError = 26;"), std::string::npos) << LastErrorText();

    EXPECT_EQ(LdbConnect60(folder.NewDatabase().c_str(), LdbServerRemote, "", "", 0, &conn), LdbErrServerUnavailable);
}

TEST(LdbErrors, GetLastErrorCutsTextToTheBufferAndSetLastErrorReturnsItsCode) {
    EXPECT_EQ(LdbSetLastError(5054, "Update permission not granted on this table."), 5054u);
    LdbResult code = 0;
    char buffer[11] = {};
    std::uint16_t len = 10;
    EXPECT_EQ(LdbGetLastError(&code, buffer, &len), 0u);
    EXPECT_EQ(code, 5054u);
    EXPECT_STREQ(buffer, "Update pe");
    EXPECT_EQ(len, 9);
    // Multi-byte characters are not split.
    LdbSetLastError(1, "\xC3\xA9\xC3\xA9\xC3\xA9");
    len = 4;
    LdbGetLastError(&code, buffer, &len);
    EXPECT_STREQ(buffer, "\xC3\xA9");
}

TEST(LdbErrors, LastErrorBelongsToTheThread) {
    LdbSetLastError(5022, "main thread");
    std::string other;
    std::thread([&] {
        LdbSetLastError(5068, "worker");
        other = LastErrorText();
    }).join();
    EXPECT_EQ(other, "worker");
    EXPECT_EQ(LastErrorText(), "main thread");
}

TEST(LdbConnections, FolderConnectionKeepsItsTablesInOneFileOfThatFolder) {
    LdbTempFolder folder;
    LdbHandle conn = 0;
    ASSERT_EQ(LdbConnect((folder.path + "/").c_str(), &conn), 0u) << LastErrorText();
    RunSql(conn, "create table Scores (ID integer)");
    char name[64];
    std::uint16_t len = sizeof name;
    LdbHandle find = 0;
    ASSERT_EQ(LdbFindFirstTable(conn, (folder.path + "\\*.ldt").c_str(), name, &len, &find), 0u);
    EXPECT_STREQ(name, "Scores.ldt");
    EXPECT_EQ(LdbFindClose(conn, find), 0u);
    EXPECT_EQ(LdbDisconnect(conn), 0u);
    EXPECT_TRUE(std::filesystem::exists(folder.path + "/FreeTables.ldb"));
    EXPECT_EQ(LdbDisconnect(conn), LdbErrNotConnected);
    EXPECT_EQ(LdbConnect((folder.path + "/nowhere").c_str(), &conn), LdbErrDatabaseNotFound);
}

TEST_F(LdbEngine, FindTablesListsEveryTableThenReportsTheEnd) {
    char name[64];
    std::uint16_t len = sizeof name;
    LdbHandle find = 77;
    EXPECT_EQ(LdbFindFirstTable(conn, "", name, &len, &find), LdbErrNoMoreTables);
    EXPECT_EQ(find, 0);
    RunSql(conn, "create table Points (PVProfile integer)");
    RunSql(conn, "create table DataSets (DSID integer)");
    std::vector<std::string> names;
    len = sizeof name;
    ASSERT_EQ(LdbFindFirstTable(conn, "", name, &len, &find), 0u);
    names.push_back(name);
    for (;;) {
        len = sizeof name;
        LdbResult r = LdbFindNextTable(conn, find, name, &len);
        if (r == LdbErrNoMoreTables) break;
        ASSERT_EQ(r, 0u);
        names.push_back(name);
    }
    EXPECT_EQ(LdbFindClose(conn, find), 0u);
    EXPECT_EQ(names, (std::vector<std::string>{"DataSets", "Points"}));
}

TEST_F(LdbEngine, CallerBuffersReportTheLengthWrittenOrTheLengthNeeded) {
    LdbHandle cur = RunSql(conn, "select 1 as AVeryLongColumnName");
    char name[8];
    std::uint16_t len = sizeof name;
    EXPECT_EQ(LdbGetFieldName(cur, 1, name, &len), LdbErrInsufficientBuffer);
    EXPECT_EQ(len, 20);
    char big[129];
    len = sizeof big;
    EXPECT_EQ(LdbGetFieldName(cur, 1, big, &len), 0u);
    EXPECT_STREQ(big, "AVeryLongColumnName");
    EXPECT_EQ(len, 19);
    EXPECT_EQ(LdbGetFieldName(cur, 2, big, &len), LdbErrInvalidFieldNumber);
    EXPECT_EQ(LdbGetFieldName(9999, 1, big, &len), LdbErrInvalidHandle);
    LdbCloseTable(cur);
}

TEST_F(LdbEngine, HandleTypesAndClosingAStatementClosesItsCursors) {
    LdbHandle st = 0, cur = 0;
    ASSERT_EQ(LdbCreateSQLStatement(conn, &st), 0u);
    std::uint16_t type = 0;
    EXPECT_EQ(LdbGetHandleType(st, &type), 0u);
    EXPECT_EQ(type, LdbHandleStatement);
    EXPECT_EQ(LdbGetHandleType(conn, &type), 0u);
    EXPECT_EQ(type, LdbHandleConnection);
    EXPECT_EQ(LdbExecuteSQL(st, &cur), LdbErrNotPrepared);
    ASSERT_EQ(LdbPrepareSQL(st, "select 1"), 0u);
    ASSERT_EQ(LdbExecuteSQL(st, &cur), 0u);
    EXPECT_EQ(LdbGetHandleType(cur, &type), 0u);
    EXPECT_EQ(type, LdbHandleCursor);
    EXPECT_EQ(LdbCloseSQLStatement(st), 0u);
    EXPECT_EQ(LdbGetHandleType(cur, &type), LdbErrInvalidHandle);
    EXPECT_EQ(LdbCloseSQLStatement(st), LdbErrStatementClosed);
}

TEST_F(LdbEngine, SqlErrorsCarryTheNativeCodeAndTheStatement) {
    LdbHandle st = 0, cur = 0;
    ASSERT_EQ(LdbCreateSQLStatement(conn, &st), 0u);
    ASSERT_EQ(LdbPrepareSQL(st, "select * from Nowhere"), 0u);
    EXPECT_EQ(LdbExecuteSQL(st, &cur), LdbErrSql);
    LdbResult code = 0;
    std::string text = LastErrorText(&code);
    EXPECT_EQ(code, LdbErrSql);
    EXPECT_EQ(text.rfind("Error 7200: no such table: Nowhere (NativeError = 1;", 0), 0u) << text;
    EXPECT_NE(text.find("select * from Nowhere"), std::string::npos);
    EXPECT_EQ(cur, 0);
}

TEST_F(LdbEngine, ParametersAreNumberedByFirstAppearanceAndBoundByKind) {
    RunSql(conn,
           "create table T (I integer, D double, L logical, Dt date, Tm time, Ts timestamp, S char(10), "
           "N integer)");
    char names[64];
    std::uint16_t len = sizeof names;
    const char* sql = "insert into T (I, D, L, Dt, Tm, Ts, S, N) values (:pI, :pD, :pL, :pDt, :pTm, :pTs, :pS, :PI)";
    ASSERT_EQ(LdbGetSQLStmtParams(sql, names, &len), 0u);
    EXPECT_STREQ(names, "pI;pD;pL;pDt;pTm;pTs;pS");

    LdbHandle st = 0, cur = 0;
    ASSERT_EQ(LdbCreateSQLStatement(conn, &st), 0u);
    ASSERT_EQ(LdbPrepareSQL(st, sql), 0u);
    // Executing with a parameter not set fails and names it.
    EXPECT_EQ(LdbExecuteSQL(st, &cur), LdbErrParameterNotSet);
    EXPECT_NE(LastErrorText().find(":pI"), std::string::npos);

    EXPECT_EQ(LdbSetString(st, 1, "42", 2), 0u);  // integer sent as its text
    EXPECT_EQ(LdbSetDouble(st, 2, 2.5), 0u);
    EXPECT_EQ(LdbSetLogical(st, 3, 1), 0u);
    EXPECT_EQ(LdbSetJulian(st, 4, 2451545), 0u);  // 1 January 2000
    EXPECT_EQ(LdbSetMilliseconds(st, 5, 43200000), 0u);
    std::int32_t ts[2] = {2451545, 3723004};
    EXPECT_EQ(LdbSetTimeStampRaw(st, 6, ts, 8), 0u);
    EXPECT_EQ(LdbSetEmpty(st, 7), 0u);
    EXPECT_EQ(LdbSetString(st, 8, "x", 1), LdbErrInvalidFieldNumber);
    ASSERT_EQ(LdbExecuteSQL(st, &cur), 0u) << LastErrorText();
    EXPECT_EQ(cur, 0);
    EXPECT_EQ(RecordCount(st), 1u);

    // What was stored, read back through SQLite itself.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    sqlite3_stmt* q = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "select typeof(I), I, D, L, Dt, Tm, Ts, S is null, N from T", -1, &q, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_step(q), SQLITE_ROW);
    auto text = [&](int i) { return std::string(reinterpret_cast<const char*>(sqlite3_column_text(q, i))); };
    EXPECT_EQ(text(0), "integer");
    EXPECT_EQ(sqlite3_column_int(q, 1), 42);
    EXPECT_EQ(sqlite3_column_double(q, 2), 2.5);
    EXPECT_EQ(sqlite3_column_int(q, 3), 1);
    EXPECT_EQ(text(4), "2000-01-01");
    EXPECT_EQ(text(5), "12:00:00.000");
    EXPECT_EQ(text(6), "2000-01-01 01:02:03.004");
    EXPECT_EQ(sqlite3_column_int(q, 7), 1);
    EXPECT_EQ(sqlite3_column_int(q, 8), 42);  // the same parameter twice
    sqlite3_finalize(q);
    sqlite3_close(db);

    // A SELECT gives no row count.
    LdbHandle sel = 0;
    ASSERT_EQ(LdbCreateSQLStatement(conn, &sel), 0u);
    ASSERT_EQ(LdbPrepareSQL(sel, "select * from T"), 0u);
    ASSERT_EQ(LdbExecuteSQL(sel, &cur), 0u);
    std::uint32_t n = 0;
    EXPECT_EQ(LdbGetRecordCount(sel, LdbIgnoreFilters, &n), LdbErrNoRowCount);
    EXPECT_EQ(RecordCount(cur), 1u);
}

TEST_F(LdbEngine, PreparingAgainReplacesTheTextAndItsParameters) {
    RunSql(conn, "create table T (A integer)");
    LdbHandle st = 0, cur = 0;
    ASSERT_EQ(LdbCreateSQLStatement(conn, &st), 0u);
    ASSERT_EQ(LdbPrepareSQL(st, "insert into T values (:a)"), 0u);
    LdbSetString(st, 1, "1", 1);
    ASSERT_EQ(LdbExecuteSQL(st, &cur), 0u);
    ASSERT_EQ(LdbPrepareSQL(st, "insert into T values (:a)"), 0u);
    EXPECT_EQ(LdbExecuteSQL(st, &cur), LdbErrParameterNotSet);
    ASSERT_EQ(LdbPrepareSQL(st, "select count(*) as N from T; "), 0u);
    ASSERT_EQ(LdbExecuteSQL(st, &cur), 0u);
    EXPECT_TRUE(AtBof(cur));
    ASSERT_EQ(LdbGotoTop(cur), 0u);
    EXPECT_EQ(RecordValue<std::int32_t>(cur, 1), 1);
}

TEST_F(LdbEngine, TransactionsCommitAndRollBack) {
    RunSql(conn, "create table T (A integer)");
    EXPECT_EQ(LdbCommitTransaction(conn), LdbErrTransaction);
    ASSERT_EQ(LdbBeginTransaction(conn), 0u);
    EXPECT_EQ(LdbBeginTransaction(conn), LdbErrTransaction);
    RunSql(conn, "insert into T values (1)");
    ASSERT_EQ(LdbRollbackTransaction(conn), 0u);
    ASSERT_EQ(LdbBeginTransaction(conn), 0u);
    RunSql(conn, "insert into T values (2)");
    ASSERT_EQ(LdbCommitTransaction(conn), 0u);
    LdbHandle cur = RunSql(conn, "select A from T");
    EXPECT_EQ(RecordCount(cur), 1u);
}

TEST(LdbConversions, JulianDaysAndTheirEightCharacterText) {
    char text[13];
    std::uint16_t len = sizeof text;
    ASSERT_EQ(LdbConvertJulianToString(2451545, text, &len), 0u);
    EXPECT_STREQ(text, "20000101");
    double julian = 0;
    ASSERT_EQ(LdbConvertStringToJulian("20000101", 8, &julian), 0u);
    EXPECT_EQ(julian, 2451545);
    ASSERT_EQ(LdbConvertStringToJulian("12/31/1899", 10, &julian), 0u);
    EXPECT_EQ(julian, 2415020);
    EXPECT_EQ(LdbConvertStringToJulian("20001301", 8, &julian), LdbErrInvalidArgument);
}

}  // namespace

// The one error path: CheckAdsResult and ELdbDatabaseError.

#include "dbclient/LdbError.h"
#include "dbclient/tests/DbTestSupport.h"

namespace {

TEST(LdbErrorPath, ZeroRaisesNothingWhateverTheFlag) {
    EXPECT_NO_THROW(CheckAdsResult(nullptr, 0));
    SetRaisingEngineError(true);
    EXPECT_NO_THROW(CheckAdsResult(nullptr, 0));
    SetRaisingEngineError(false);
}

TEST(LdbErrorPath, TheCodeIsTheEnginesLastErrorNotTheResultPassed) {
    LdbSetLastError(5022, "Error 5022: The cursor is not positioned on a record.");
    try {
        CheckAdsResult(nullptr, 1);
        FAIL() << "no exception";
    } catch (const ELdbDatabaseError& e) {
        EXPECT_EQ(e.EngineErrorCode, 5022);
        EXPECT_EQ(e.Message, "Error 5022: The cursor is not positioned on a record.");
        EXPECT_EQ(e.DataSetName, "");
    }
    EXPECT_FALSE(RaisingEngineError());
}

TEST(LdbErrorPath, AFailureWhileAnErrorIsBeingBuiltIsDropped) {
    SetRaisingEngineError(true);
    EXPECT_NO_THROW(CheckAdsResult(nullptr, 7200));
    ELdbDatabaseError inner(nullptr, "text", 5121);
    EXPECT_EQ(inner.Message, "");
    EXPECT_EQ(inner.EngineErrorCode, 0);
    SetRaisingEngineError(false);
}

struct SqlCodeCase {
    const char* message;
    Integer expected;
};

TEST(LdbErrorPath, NativeSqlCodeIsReadFromSqlErrorMessages) {
    const SqlCodeCase cases[] = {
        {"Error 7200: bad statement. nAtIvEeRrOr = 2121; more", 2121},
        {"error 7200: bad statement NativeError = 2121", 2121},
        {"Error 7200: NativeError = abc; x", 0},
        {"Error 5022: NativeError = 2121;", 0},
        {"Error 7200: no marker", 0},
    };
    for (const auto& c : cases) {
        ELdbDatabaseError e(nullptr, c.message, 7200);
        EXPECT_EQ(e.SQLErrorCode, c.expected) << c.message;
        EXPECT_EQ(e.Message, c.message);
    }
}

TEST(LdbErrorPath, ColumnNameIsTakenForColumnErrorsOnly) {
    DbTempFolder folder;
    TComponent owner(nullptr);
    auto* q = new TLdbQuery(&owner);
    const std::string text = "The value is too long for column \"PFName\".";
    ELdbDatabaseError columnError(q, text, 5147);
    EXPECT_EQ(columnError.ColumnName, "PFName");
    ELdbDatabaseError other(q, text, 5146);
    EXPECT_EQ(other.ColumnName, "");
    ELdbDatabaseError noMarker(q, "column PFName", 5148);
    EXPECT_EQ(noMarker.ColumnName, "");
}

class LdbErrorOnQuery : public DbFixture {};

TEST_F(LdbErrorOnQuery, EngineFailuresCarryTheQueryAndItsDatabase) {
    TLdbQuery* q = NewQuery("select * from Nowhere");
    q->SetName("qryMisc");
    try {
        q->Open();
        FAIL() << "no exception";
    } catch (const ELdbDatabaseError& e) {
        EXPECT_EQ(e.Message.rfind("qryMisc: Error 7200: no such table: Nowhere", 0), 0u) << e.Message;
        EXPECT_EQ(e.EngineErrorCode, 7200);
        EXPECT_EQ(e.SQLErrorCode, 1);
        EXPECT_EQ(e.DataSetName, "qryMisc");
        EXPECT_EQ(e.DataSetOwnerName, "frmTestWork");
        EXPECT_EQ(e.DatabaseName, "LdbConnection1");
        EXPECT_EQ(e.DatabasePath, folder.path);
        EXPECT_EQ(e.TableName, "");
    }
    EXPECT_FALSE(q->Active());
    // Without a name the engine's text stands alone.
    TLdbQuery* unnamed = NewQuery("select * from Nowhere");
    try {
        unnamed->Open();
        FAIL() << "no exception";
    } catch (const ELdbDatabaseError& e) {
        EXPECT_EQ(e.Message.rfind("Error 7200: no such table", 0), 0u) << e.Message;
    }
}

TEST_F(LdbErrorOnQuery, StateErrorsCarryCode5121) {
    TLdbQuery* q = NewQuery("insert into T values (1)");
    q->SetName("qryMisc");
    Exec("create table T (A integer)");
    try {
        q->Open();
        FAIL() << "no exception";
    } catch (const ELdbDatabaseError& e) {
        EXPECT_EQ(e.EngineErrorCode, 5121);
        EXPECT_EQ(e.Message,
                  "qryMisc: The SQL statement did not generate a cursor handle.  Use TLdbQuery.ExecSQL to execute SQL "
                  "statements that are not SELECT statements");
    }
}

}  // namespace

// Connection services (direct execution with its statement cache, the
// dictionary's tables, links, server time) and provider support.

#include <cstring>
#include <memory>

#include "dbclient/tests/DbTestSupport.h"
#include "platform/core/DateTime.h"
#include "platform/data/Params.h"

namespace {

TEST(LdbSqlHash, ShortTextsHashEveryCharacterAfterTheFirstLongOnesEverySth) {
    auto manual = [](const std::string& s, std::uint32_t factor, const std::vector<std::size_t>& positions) {
        std::uint32_t h = 0;
        for (std::size_t p : positions) h = h * factor + (p < s.size() ? static_cast<unsigned char>(s[p]) : 0u);
        return h;
    };
    std::string fifteen = "select * from A";
    ASSERT_EQ(fifteen.size(), 15u);
    std::vector<std::size_t> all;
    for (std::size_t i = 1; i <= 15; ++i) all.push_back(i);
    EXPECT_EQ(LdbSqlHash(fifteen), manual(fifteen, 37, all));
    std::string sixteen = "select * from AB";
    EXPECT_EQ(LdbSqlHash(sixteen), manual(sixteen, 39, {1, 3, 5, 7, 9, 11, 13, 15}));
    EXPECT_EQ(LdbSqlHash("select 1 from Points where A = 1"), LdbSqlHash("select 1 from Points where A = 1"));
}

TEST(LdbLinkInfo, PiecesBeforeEachSemicolonAreNames) {
    TStringList names;
    SplitLdbLinkInfo("Alpha;Beta;Gamma", &names);
    EXPECT_EQ(names.CommaText(), "Alpha,Beta");
    names.Clear();
    SplitLdbLinkInfo("Alpha;", &names);
    EXPECT_EQ(names.CommaText(), "Alpha");
}

class LdbServices : public DbFixture {
protected:
    void SetUp() override {
        DbFixture::SetUp();
        Exec("create table T (ID integer, Name char(10))");
    }
};

TEST_F(LdbServices, ExecuteRunsTextsAndKeepsOneStatementPerTextWhateverTheCase) {
    EXPECT_EQ(conn->Execute("insert into T values (1, 'a')", nullptr, nullptr, true), 1);
    EXPECT_EQ(conn->Execute("INSERT INTO T VALUES (1, 'a')", nullptr, nullptr, true), 1);
    EXPECT_EQ(conn->CachedStatementCount(), 1);
    TParams params;
    params.CreateParam(ftInteger, "pID", ptInput)->SetAsInteger(2);
    params.CreateParam(ftString, "pName", ptInput)->SetAsString("b");
    EXPECT_EQ(conn->Execute("insert into T values (:pID, :pName)", &params), 1);
    EXPECT_EQ(conn->CachedStatementCount(), 1) << "a statement not kept is not cached";
    EXPECT_EQ(conn->Execute("update T set Name = 'z' where ID = 1"), 2);
    LdbHandle cursor = 0;
    conn->Execute("select count(*) from T", nullptr, &cursor);
    ASSERT_GT(cursor, 0);
    std::int32_t count = 0;
    LdbGotoTop(cursor);
    std::vector<char> record(16);
    std::uint32_t len = 16;
    LdbGetRecord(cursor, record.data(), &len);
    std::memcpy(&count, record.data(), 4);
    EXPECT_EQ(count, 3);
    EXPECT_THROW(conn->Execute("insert into Nowhere values (1)", nullptr, nullptr, true), ELdbDatabaseError);
    EXPECT_EQ(conn->CachedStatementCount(), 2) << "a kept statement stays after a failed run";
}

TEST_F(LdbServices, CommitAndDisconnectCloseTheCachedStatements) {
    conn->Execute("insert into T values (1, 'a')", nullptr, nullptr, true);
    conn->BeginTransaction();
    conn->Commit();
    EXPECT_EQ(conn->CachedStatementCount(), 0);
    conn->Execute("insert into T values (1, 'a')", nullptr, nullptr, true);
    conn->Disconnect();
    EXPECT_EQ(conn->CachedStatementCount(), 0);
}

TEST_F(LdbServices, DictionaryTablesGroupsLinksAndServerTime) {
    TStringList tables;
    conn->GetDictionaryTableNames(&tables);
    EXPECT_EQ(tables.CommaText(), "T");
    EXPECT_EQ(conn->GetUserGroups().Count(), 0);
    EXPECT_EQ(conn->GetUserGroupsText(), "");
    EXPECT_EQ(conn->GetActiveLinkCount(), 0);
    double days = conn->GetServerTime();
    // Days from 1 January of year 1; today is well past 2020.
    double y2020 = EncodeDate(2020, 1, 1) + 693594 + 1;
    EXPECT_GT(days, y2020);
    EXPECT_LT(days, y2020 + 365.0 * 200);
    conn->CloseCachedTables();
}

TEST_F(LdbServices, ProviderRunsStatementsAndAppliesUpdatesThroughTheHandler) {
    std::unique_ptr<TLdbQuery> q(NewQuery("select * from T order by ID desc, Name"));
    EXPECT_EQ(q->PSGetTableName(), "T");
    EXPECT_EQ(q->PSGetDefaultOrder(), "ID;Name");
    EXPECT_EQ(q->PSExecuteStatement("insert into T values (5, 'e')", nullptr), 1);
    TDataSet* result = nullptr;
    q->PSExecuteStatement("select Name from T where ID = 5", nullptr, &result);
    std::unique_ptr<TDataSet> owned(result);
    ASSERT_NE(result, nullptr);
    EXPECT_TRUE(result->Active());
    EXPECT_EQ(result->FieldByName("Name")->AsString(), "e");
    EXPECT_FALSE(q->PSUpdateRecord(ukModify, nullptr)) << "no handler";
    q->OnUpdateRecord = [](TDataSet*, TUpdateKind, TUpdateAction&) {};
    EXPECT_FALSE(q->PSUpdateRecord(ukModify, nullptr)) << "the handler left the action unchanged";
    q->OnUpdateRecord = [](TDataSet*, TUpdateKind, TUpdateAction& a) { a = uaApplied; };
    EXPECT_TRUE(q->PSUpdateRecord(ukInsert, nullptr));
    EXPECT_FALSE(q->PSInTransaction());
    q->PSStartTransaction();
    EXPECT_TRUE(q->PSInTransaction());
    q->PSEndTransaction(false);
    TLdbQuery loose(nullptr);
    try {
        loose.PSExecuteStatement("select 1", nullptr);
        FAIL() << "no error";
    } catch (const ELdbDatabaseError& e) {
        EXPECT_NE(e.Message.find("LdbConnection  property"), std::string::npos);
    }
}

}  // namespace

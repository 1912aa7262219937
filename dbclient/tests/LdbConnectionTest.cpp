// TLdbConnection: connecting, paths, aliases from "ldb.ini", binding
// datasets by name, table lists and transactions.

#include <cstdlib>

#include "dbclient/tests/DbTestSupport.h"
#include "platform/core/StringList.h"

namespace {

// Points the program folder at a temporary folder for the alias file.
class ProgramFolderAt {
public:
    explicit ProgramFolderAt(const std::string& path) {
        const char* old = std::getenv("OMR_HOME");
        had_ = old != nullptr;
        if (had_) old_ = old;
        ::setenv("OMR_HOME", path.c_str(), 1);
    }
    ~ProgramFolderAt() {
        if (had_)
            ::setenv("OMR_HOME", old_.c_str(), 1);
        else
            ::unsetenv("OMR_HOME");
    }

private:
    bool had_ = false;
    std::string old_;
};

class LdbConnectionTest : public DbFixture {};

TEST_F(LdbConnectionTest, ConnectsAndDisconnectsWithItsHandle) {
    EXPECT_TRUE(conn->IsConnected());
    EXPECT_NE(conn->GetConnectionHandle(), 0);
    EXPECT_TRUE(conn->GetIsDictionary());
    EXPECT_EQ(conn->GetConnectionType(), "Local");
    EXPECT_EQ(conn->GetServerName(), conn->ConnectPath());
    EXPECT_THROW(conn->SetConnectPath(folder.path), LdbConnectionError);
    conn->Disconnect();
    EXPECT_FALSE(conn->IsConnected());
    EXPECT_EQ(conn->GetConnectionHandle(), 0);
    EXPECT_EQ(conn->GetConnectionType(), "");
    try {
        conn->GetServerName();
        FAIL() << "no exception";
    } catch (const LdbConnectionError& e) {
        EXPECT_EQ(e.Message, "Must be connected to get database server name.");
    }
}

TEST_F(LdbConnectionTest, FailedConnectRaisesTheEngineErrorAndStaysDisconnected) {
    TLdbConnection c(nullptr);
    c.LoginPrompt = false;
    c.SetConnectPath(folder.path + "/Missing.ldd");
    try {
        c.Connect();
        FAIL() << "no exception";
    } catch (const ELdbDatabaseError& e) {
        EXPECT_EQ(e.EngineErrorCode, 7008);
        EXPECT_NE(e.Message.find("Missing.ldd does not exist"), std::string::npos);
    }
    EXPECT_FALSE(c.IsConnected());
    EXPECT_EQ(c.GetConnectionHandle(), 0);

    TLdbConnection empty(nullptr);
    try {
        empty.Connect();
        FAIL() << "no exception";
    } catch (const LdbConnectionError& e) {
        EXPECT_EQ(e.Message, "Must specify connection string before getting a server connection.");
    }
}

TEST(LdbConnectionPaths, DictionaryPathsAndTheirFolder) {
    struct Case {
        const char* path;
        bool dictionary;
        const char* folder;
    } cases[] = {
        {".\\DataDB.ldd", true, "."},
        {"/opt/scorvane/DataDB.LDD", true, "/opt/scorvane"},
        {"DataDB.ldd", true, ".\\"},
        {"/data/tables", false, "/data/tables"},
    };
    for (const auto& c : cases) {
        TLdbConnection conn(nullptr);
        conn.SetConnectPath(c.path);
        EXPECT_EQ(conn.GetIsDictionary(), c.dictionary) << c.path;
        EXPECT_EQ(conn.GetDatabaseFolder(), c.folder) << c.path;
    }
}

TEST_F(LdbConnectionTest, LoginPromptAsksOnlyForDictionaries) {
    conn->Disconnect();
    conn->LoginPrompt = true;
    conn->Username = "stored";
    int asked = 0;
    conn->OnLogin = [&](TLdbConnection* sender, std::string& user, std::string& password) {
        ++asked;
        EXPECT_EQ(sender, conn);
        EXPECT_EQ(user, "");
        user = "typed";
        password = "secret";
    };
    conn->Connect();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(conn->Username, "typed");
    EXPECT_EQ(conn->Password, "secret");
    conn->Disconnect();

    // The platform's login dialog, refused.
    conn->OnLogin = nullptr;
    SetLdbLoginDialog([](const std::string& name, std::string& user, std::string&) {
        EXPECT_EQ(name, "LdbConnection1");
        EXPECT_EQ(user, "typed");
        return false;
    });
    try {
        conn->Connect();
        FAIL() << "no exception";
    } catch (const ELdbDatabaseError&) {
        FAIL() << "wrong class";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message, "Cannot connect to database 'LdbConnection1'");
    }
    SetLdbLoginDialog(nullptr);
    EXPECT_FALSE(conn->IsConnected());
}

TEST_F(LdbConnectionTest, DatasetsBindToTheConnectionOfTheirOwnWindowFirst) {
    TComponent otherForm(nullptr);
    otherForm.SetName("frmOther");
    auto* other = new TLdbConnection(&otherForm);
    other->SetName("LdbConnection1");
    TLdbQuery* q = NewQuery();
    EXPECT_EQ(q->Connection(), conn);
    auto* q2 = new TLdbQuery(&otherForm);
    q2->SetDatabaseName("ldbconnection1");
    EXPECT_EQ(q2->Connection(), other);
    // "Owner.Name" names a connection of another window.
    auto* q3 = new TLdbQuery(nullptr);
    std::unique_ptr<TLdbQuery> own(q3);
    q3->SetDatabaseName("frmOther.LdbConnection1");
    EXPECT_EQ(q3->Connection(), other);
    EXPECT_EQ(q->DatabasePath(), folder.path);
}

TEST_F(LdbConnectionTest, RenamingRepointsDatasetsAndBindsThoseNamingTheNewName) {
    TLdbQuery* named = NewQuery();
    auto* waiting = new TLdbQuery(form.get());
    waiting->SetDatabaseName("MainDb");
    EXPECT_EQ(waiting->Connection(), nullptr);
    conn->SetName("MainDb");
    EXPECT_EQ(named->DatabaseName(), "MainDb");
    EXPECT_EQ(named->Connection(), conn);
    EXPECT_EQ(waiting->Connection(), conn);
    EXPECT_EQ(conn->GetDataSetCount(), 2);
}

TEST_F(LdbConnectionTest, DisconnectingClosesEveryAttachedQuery) {
    Exec("create table T (A integer)");
    TLdbQuery* a = NewQuery("select * from T");
    TLdbQuery* b = NewQuery("select * from T");
    a->Open();
    b->Open();
    int closing = 0;
    a->BeforeClose = [&](TDataSet*) {
        ++closing;
        throw EDatabaseError("refuses to close");
    };
    b->BeforeClose = [&](TDataSet*) { ++closing; };
    conn->Disconnect();
    EXPECT_EQ(closing, 2);
    EXPECT_FALSE(b->Active());
    EXPECT_FALSE(conn->IsConnected());
    // The query connects again on its next use.
    b->Open();
    EXPECT_TRUE(conn->IsConnected());
    a->BeforeClose = nullptr;
    b->BeforeClose = nullptr;
}

TEST_F(LdbConnectionTest, TableNamesOfADictionaryAndOfAFolder) {
    TStringList names;
    conn->GetTableNames(&names, "");
    EXPECT_EQ(names.Count(), 0);
    Exec("create table Profiles (PFNo integer)");
    Exec("create table DataSets (DSID integer)");
    conn->GetTableNames(&names, "*.xyz");
    EXPECT_EQ(names.CommaText(), "DataSets,Profiles");

    TLdbConnection free(nullptr);
    free.SetConnectPath(folder.path + "/");
    free.Connect();
    EXPECT_FALSE(free.GetIsDictionary());
    TLdbQuery q(nullptr);
    q.SetDatabaseName(folder.path);
    q.SQL().Add("create table Scores (ID integer)");
    q.ExecSQL();
    TStringList tables;
    free.GetTableNames(&tables, "*.ldt");
    EXPECT_EQ(tables.CommaText(), "Scores.ldt");
    free.Disconnect();
    try {
        free.GetTableNames(&tables, "");
        FAIL() << "no exception";
    } catch (const LdbConnectionError& e) {
        EXPECT_EQ(e.Message, "No connection to database server.");
    }
}

TEST_F(LdbConnectionTest, TransactionsCommitAndRollBackWithTheirEvents) {
    Exec("create table T (A integer)");
    std::string events;
    conn->BeforeCommit = [&](TObject*) { events += "bc "; };
    conn->AfterCommit = [&](TObject*) { events += "ac "; };
    conn->BeforeRollback = [&](TObject*) { events += "br "; };
    conn->AfterRollback = [&](TObject*) { events += "ar "; };
    conn->BeginTransaction();
    EXPECT_TRUE(conn->GetTransactionActive());
    Exec("insert into T values (1)");
    conn->Rollback();
    EXPECT_FALSE(conn->GetTransactionActive());
    conn->BeginTransaction();
    Exec("insert into T values (2)");
    conn->Commit();
    EXPECT_EQ(events, "br ar bc ac ");
    EXPECT_EQ(Scalar("select count(*) from T"), "1");
    EXPECT_THROW(conn->Commit(), LdbError);
    conn->Disconnect();
    EXPECT_THROW(conn->BeginTransaction(), LdbConnectionError);
    EXPECT_THROW(conn->GetTransactionActive(), LdbConnectionError);
}

TEST(LdbAliases, AliasesComeFromLdbIniInTheProgramFolder) {
    DbTempFolder folder;
    ProgramFolderAt home(folder.path);
    std::string db = folder.NewDatabase("Aliased.ldd");
    std::ofstream(folder.path + "/ldb.ini") << "[Databases]\nScores=" << db << "\nLegacy=" << folder.path
                                            << ";N\nPlain=" << folder.path << "\n";
    std::string path;
    char letter = 0;
    ASSERT_TRUE(LookupLdbAlias("Legacy", path, letter));
    EXPECT_EQ(path, folder.path);
    EXPECT_EQ(letter, 'N');
    EXPECT_FALSE(LookupLdbAlias("Unknown", path, letter));

    TLdbConnection conn(nullptr);
    conn.LoginPrompt = false;
    conn.SetAliasName("Scores");
    EXPECT_EQ(conn.GetEffectivePath(), db);
    EXPECT_TRUE(conn.GetIsDictionary());
    conn.Connect();
    EXPECT_TRUE(conn.IsConnected());
    EXPECT_THROW(conn.SetAliasName("Plain"), LdbConnectionError);
    conn.Disconnect();

    conn.SetAliasName("Unknown");
    try {
        conn.Connect();
        FAIL() << "no exception";
    } catch (const LdbConnectionError& e) {
        EXPECT_EQ(e.Message, "TLdbConnection.AliasName is not valid");
    }

    // A dataset naming an alias takes its path and table type.
    TLdbQuery q(nullptr);
    q.SetDatabaseName("Legacy");
    EXPECT_EQ(q.DatabasePath(), folder.path);
    EXPECT_EQ(q.SourceTableType(), ttAdsNTX);
    q.SetDatabaseName("Plain");
    EXPECT_EQ(q.SourceTableType(), ttAdsADT);
    try {
        q.SetSourceTableType(ttAdsCDX);
        FAIL() << "no exception";
    } catch (const ELdbDatabaseError& e) {
        EXPECT_EQ(e.Message, "The table type must remain identical to the table type associated with the alias.");
    }
    // A path with a separator is a folder, never an alias.
    q.SetDatabaseName(folder.path + "/");
    EXPECT_EQ(q.DatabasePath(), folder.path);
    q.SetDatabaseName("\\");
    EXPECT_EQ(q.DatabasePath(), "\\");
}

}  // namespace

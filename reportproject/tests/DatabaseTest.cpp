// The database item: credentials kept apart, connections counted per
// thread and closed with their last user, and the no-driver messages.

#include <gtest/gtest.h>

#include <thread>

#include "platform/core/Exception.h"
#include "reportproject/VzDatabase.h"

namespace {

// Hands out connection handles 1, 2, ... and records which it closed.
class CountingDriver : public TDataLinkDriver {
public:
    int Opened = 0;
    std::vector<std::int32_t> Closed;
    std::string LastUser;
    void ConnectionClose(TDLHandleBlock& b) override { Closed.push_back(b.Handle); }
    void DataConnectionOpen(TDLConnectionOpenBlock& b) override {
        LastUser = b.UserName;
        b.Connection = ++Opened;
    }
    void GetErrorText(TDLErrorTextBlock&) override {}
    void DataResultSetClose(TDLHandleBlock&) override {}
    void DataResultSetEOF(TDLEofBlock& b) override { b.AtEnd = 1; }
    void DataResultSetFirst(TDLHandleBlock&) override {}
    void DataResultSetGetRow(TDLGetRowBlock&) override {}
    void DataResultSetNext(TDLHandleBlock&) override {}
    void DataResultSetOpen(TDLResultSetOpenBlock&) override {}
};

struct Database : ::testing::Test {
    std::shared_ptr<CountingDriver> Driver = std::make_shared<CountingDriver>();
    void SetUp() override { DataLinkDrivers() = {{"SQLT", "Test Link", true, Driver}}; }
    void TearDown() override { DataLinkDrivers().clear(); }
};

}  // namespace

TEST_F(Database, ConnectionsAreCountedAndClosedByTheLastUser) {
    TVizeDatabase db(nullptr);
    db.SetLinkType("SQLT");
    db.GetAuthRun()->Username = "runner";
    db.GetAuthDesign()->Username = "designer";
    TDataConnection* a = db.GetLink();
    TDataConnection* b = db.GetLink();
    EXPECT_EQ(a, b);
    EXPECT_EQ(db.UseCount(a), 2);
    EXPECT_EQ(Driver->LastUser, "runner");  // run-time credentials outside design mode

    TDataConnection* other = nullptr;
    std::thread([&] { other = db.GetLink(); }).join();
    EXPECT_NE(other, a);  // each thread has its own connection
    EXPECT_EQ(Driver->Opened, 2);

    TDataConnection stranger(DataLinkDrivers()[0]);
    db.ReleaseLink(&stranger);  // never handed out: nothing changes
    db.ReleaseLink(a);
    EXPECT_TRUE(Driver->Closed.empty());
    db.ReleaseLink(a);
    EXPECT_EQ(Driver->Closed, std::vector<std::int32_t>{1});
    EXPECT_EQ(db.UseCount(a), 0);
}

TEST_F(Database, APoolKeepsReleasedConnectionsForTheNextUser) {
    TVizeDatabase db(nullptr);
    db.SetLinkType("SQLT");
    db.EnablePool();
    db.SetLinkPoolSize(1);
    TDataConnection* a = db.GetLink();
    db.ReleaseLink(a);
    EXPECT_TRUE(Driver->Closed.empty());
    EXPECT_EQ(db.GetLink(), a);
    EXPECT_EQ(Driver->Opened, 1);
}

TEST_F(Database, CredentialsCopyAndMissingDriversAreNamed) {
    TVizeDatabase db(nullptr);
    TVizeDBAuth given;
    given.Datasource = "file.db";
    given.Password = "secret";
    db.SetAuthDesign(&given);
    EXPECT_EQ(db.GetAuthDesign()->Datasource, "file.db");
    EXPECT_NE(db.GetAuthDesign(), &given);
    EXPECT_EQ(db.GetAuthRun()->Datasource, "");
    EXPECT_TRUE(db.IsMasterItem());

    DataLinkDrivers().clear();
    db.SetLinkType("IBX");
    try {
        db.GetLink();
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message,
                  "No DataLink drivers have been loaded.  Use the DataLinkInterbase.VZD driver file for the Vize "
                  "server/IDE or include the unit VzDLInterbase for applications.");
    }
    EXPECT_EQ(db.UseCount(nullptr), 0);
}

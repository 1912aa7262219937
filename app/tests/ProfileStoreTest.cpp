// The profile database: created when missing, upgraded in place from the
// older schema (once), and the wizard's profile operations.

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "app/ProfileStore.h"
#include "app/tests/PromptScript.h"
#include "dbclient/LdbQuery.h"
#include "platform/core/FileUtils.h"

namespace {

class ProfileStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (std::filesystem::temp_directory_path() / "profilestore-XXXXXX").string();
        folder = ::mkdtemp(tmpl.data());
        file = folder + "/DataDB.ldd";
        form = std::make_unique<TComponent>(nullptr);
        form->SetName("frmTestWork");
        conn = new TLdbConnection(form.get());
        conn->SetName("LdbConnection1");
        conn->LdbServerTypes = {stADS_LOCAL};
        conn->LoginPrompt = false;
    }
    void TearDown() override {
        form.reset();
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    std::unique_ptr<TLdbQuery> Query(const std::string& sql) {
        auto q = std::make_unique<TLdbQuery>(form.get());
        q->SetDatabaseName("LdbConnection1");
        q->SQL().SetText(sql);
        return q;
    }
    void Exec(const std::string& sql) { Query(sql)->ExecSQL(); }
    std::string Scalar(const std::string& sql) {
        auto q = Query(sql);
        q->Open();
        return q->IsEmpty() ? "<none>" : q->Fields()[0]->AsString();
    }
    TFieldType TypeOf(const std::string& table, const std::string& column) {
        auto q = Query("select " + column + " from " + table + " where 1 = 0");
        q->Open();
        return q->Fields()[0]->DataType();
    }
    std::string Tables() {
        TStringList list;
        conn->GetTableNames(&list, "");
        list.SetSorted(true);
        return list.CommaText();
    }

    std::string folder, file;
    std::unique_ptr<TComponent> form;
    TLdbConnection* conn = nullptr;
    TPromptScript prompts;
};

TEST_F(ProfileStoreTest, AMissingDatabaseIsCreatedWithEveryTableOnFirstUse) {
    ASSERT_FALSE(FileExists(file));
    OpenProfileDatabase(conn, folder);
    EXPECT_TRUE(FileExists(file));
    EXPECT_TRUE(conn->IsConnected());
    EXPECT_EQ(Tables(), "DataDetail,DataSets,GroupQ,Groups,Master,Points,Profiles");
    EXPECT_EQ(TypeOf("Points", "PVValue"), ftFloat);
    EXPECT_EQ(TypeOf("DataDetail", "DDStdID"), ftLargeint);
    EXPECT_EQ(TypeOf("DataDetail", "DDComment"), ftMemo);
    // Opening again finds it up to date.
    OpenProfileDatabase(conn, folder);
    EXPECT_TRUE(prompts.Lines().empty());
}

TEST_F(ProfileStoreTest, AFolderThatCannotHoldTheDatabaseFailsWithoutLeavingAFile) {
    EXPECT_THROW(OpenProfileDatabase(conn, folder + "/missing/sub"), Exception);
    EXPECT_FALSE(conn->IsConnected());
    EXPECT_FALSE(FileExists(folder + "/missing/sub/DataDB.ldd"));
}

TEST_F(ProfileStoreTest, AnOlderDatabaseIsUpgradedOnceKeepingItsData) {
    std::ofstream(file).flush();
    conn->SetConnectPath(file);
    conn->Connect();
    Exec("create table Profiles (PFNo integer, PFName char(30), PFTestName char(30), PFTestID char(30), "
         "PFFormNo char(10), PFRelQuest integer, PFSounds logical, PFDefExpFmt integer, PFLastSaveDir char(255), "
         "PFUseQuotes logical, PFUseStdNames logical, PFNamesFile char(255), PFUseLeadingZeros logical)");
    Exec("create table Master (PMProfile integer, PMQuestion integer, PMValue char(10))");
    Exec("create table Points (PVProfile integer, PVQuestion integer, PVValue integer)");
    Exec("create table Groups (PGProfile integer, PGGroupNo integer, PGDesc char(30))");
    Exec("create table GroupQ (PGQProfile integer, PGQQuestion integer, PGQGroups char(1500))");
    Exec("create table DataSets (DSID integer, DSType char(5), DSName char(30), PFNo Integer, DSNumQuest integer, "
         "DSModifyDate Date, DSTestName char(30), DSTestID char(30))");
    Exec("create table DataDetail (DDID integer, DSID integer, DDQuestion integer, DDValue Char(10), "
         "DDRecNo integer, DDStdID integer, DDPoints Char(6))");
    Exec("insert into Points values (1, 1, 2)");
    Exec("insert into DataDetail values (1, 1, 1, 'A', 1, 4000000000, '1')");
    UpdateDatabase(conn);
    EXPECT_EQ(TypeOf("Points", "PVValue"), ftFloat);
    EXPECT_EQ(TypeOf("Points", "PVPenalty"), ftFloat);
    EXPECT_EQ(Scalar("select PVValue from Points"), "2");
    EXPECT_EQ(TypeOf("Profiles", "PFPrintScanTo"), ftString);
    EXPECT_EQ(TypeOf("Profiles", "EvenLbls"), ftString);
    EXPECT_EQ(TypeOf("DataDetail", "DDComment"), ftMemo);
    EXPECT_EQ(TypeOf("DataDetail", "DDStdID"), ftLargeint);
    EXPECT_EQ(Scalar("select DDStdID from DataDetail"), "4000000000");
    UpdateDatabase(conn);
    EXPECT_TRUE(prompts.Lines().empty());
}

TEST_F(ProfileStoreTest, FailedUpgradeStepsAreReportedAndTheRestRuns) {
    std::ofstream(file).flush();
    conn->SetConnectPath(file);
    conn->Connect();
    Exec("create table Points (PVProfile integer, PVQuestion integer, PVValue double)");
    // A view cannot take new columns.
    Exec("create view Profiles as select 1 as PFNo");
    prompts.Ok("Failed to add print scan columns in database.").Ok("Failed to add answer labels columns in database.");
    UpdateDatabase(conn);
    EXPECT_EQ(prompts.Pending(), 0u);
    EXPECT_EQ(TypeOf("Points", "PVPenalty"), ftFloat);
    EXPECT_NE(Tables().find("DataSets"), std::string::npos);
    // Not connected: nothing happens.
    conn->Disconnect();
    UpdateDatabase(conn);
}

TEST_F(ProfileStoreTest, ProfilesAreSavedOverwrittenLoadedAndDeleted) {
    OpenProfileDatabase(conn, folder);
    TProfileStore store(conn);
    EXPECT_EQ(store.NextProfileNo(), 1);
    auto profiles = Query("select *\r\nfrom Profiles\r\norder by PFName");
    profiles->RequestLive = true;
    profiles->Open();
    TProfileData data;
    data.TestName = "Unit 3";
    data.RelQuest = "3";
    data.Sounds = true;
    data.DefExpFmt = 4;
    data.OddLbls = "ABCDEF";
    data.EvenLbls = "FGHJKL";
    int pf = store.WriteProfile(*profiles, "Biology", data);
    EXPECT_EQ(pf, 1);
    store.SaveGroups(pf, {{1, "Overall Group"}, {2, "Cells"}});
    store.SaveGroupQuestions(pf, {{1, "(1)"}, {2, "(1,2)"}, {3, "(1)"}});
    store.SaveMasterAndPoints(pf, {"A", "C", "B"}, {{"1", "0.25"}, {"2.5", ""}, {"", ""}});
    // A point value that is no number is refused before anything changes.
    EXPECT_THROW(store.SaveMasterAndPoints(pf, {"D"}, {{"two", ""}}), Exception);
    EXPECT_EQ(Scalar("select count(*) from Points"), "3");

    // Saving under the current row's name overwrites it.
    data.TestName = "Unit 4";
    EXPECT_EQ(store.WriteProfile(*profiles, "Biology", data), 1);
    EXPECT_EQ(store.WriteProfile(*profiles, "Chemistry", data), 2);
    EXPECT_EQ(Scalar("select count(*) from Profiles"), "2");
    EXPECT_EQ(Scalar("select PFTestName from Profiles where PFNo = 1"), "Unit 4");

    profiles->Close();
    profiles->Open();
    TProfileData read = TProfileStore::ReadProfile(*profiles);
    EXPECT_EQ(read.TestName, "Unit 4");
    EXPECT_EQ(read.RelQuest, "3");
    EXPECT_TRUE(read.Sounds);
    EXPECT_EQ(read.DefExpFmt, 4);
    EXPECT_EQ(read.EvenLbls, "FGHJKL");

    auto groups = store.LoadGroups(pf);
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[1].Desc, "Cells");
    auto questions = store.LoadGroupQuestions(pf);
    ASSERT_EQ(questions.size(), 3u);
    EXPECT_EQ(questions[1].Groups, "(1,2)");
    auto points = store.LoadPoints(pf, 4);
    ASSERT_EQ(points.size(), 4u);
    EXPECT_EQ(points[0].Value, "1");
    EXPECT_EQ(points[0].Penalty, "0.25");
    EXPECT_EQ(points[1].Value, "2.5");
    EXPECT_EQ(points[2].Value, "0");
    EXPECT_EQ(points[3].Value, "0") << "questions beyond the saved rows repeat the last row";
    auto key = store.LoadAnswerKey(pf, 3);
    EXPECT_EQ(key, (std::vector<std::string>{"A", "C", "B"}));
    EXPECT_EQ(store.LoadPoints(2, 2)[0].Value, "") << "a profile without points";

    profiles->Close();
    store.DeleteProfile(pf);
    for (const char* sql : {"select count(*) from Profiles where PFNo = 1", "select count(*) from Master",
                            "select count(*) from Points", "select count(*) from Groups", "select count(*) from GroupQ"})
        EXPECT_EQ(Scalar(sql), "0") << sql;
    EXPECT_EQ(store.NextProfileNo(), 3);
}

TEST_F(ProfileStoreTest, StudentIdsKeepAllTheirDigits) {
    OpenProfileDatabase(conn, folder);
    auto q = Query("insert into DataDetail (DDID, DSID, DDQuestion, DDValue, DDRecNo, DDStdID, DDPoints)\r\n"
                   "values (1, 1, 1, 'A', 1, :pStd, '1')");
    q->ParamByName("pStd")->SetAsLargeInt(98765432109876LL);
    q->ExecSQL();
    EXPECT_EQ(Scalar("select DDStdID from DataDetail"), "98765432109876");
}

}  // namespace

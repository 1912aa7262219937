// The statements the profile and test-set store runs, in the engine's
// dialect, on a database of the older schema: the upgrade (twice), saving
// and loading a profile, saving and listing a test set.

#include "dbclient/tests/DbTestSupport.h"
#include "platform/core/DateTime.h"

namespace {

class ProfileStoreSql : public DbFixture {
protected:
    void SetUp() override {
        DbFixture::SetUp();
        // The five tables as delivered before the upgrade.
        Exec("create table Profiles (PFNo integer, PFName char(30), PFTestName char(30), PFTestID char(30), "
             "PFFormNo char(10), PFRelQuest integer, PFSounds logical, PFDefExpFmt integer, PFLastSaveDir char(255), "
             "PFUseQuotes logical, PFUseStdNames logical, PFNamesFile char(255), PFUseLeadingZeros logical)");
        Exec("create table Master (PMProfile integer, PMQuestion integer, PMValue char(10))");
        Exec("create table Points (PVProfile integer, PVQuestion integer, PVValue integer)");
        Exec("create table Groups (PGProfile integer, PGGroupNo integer, PGDesc char(30))");
        Exec("create table GroupQ (PGQProfile integer, PGQQuestion integer, PGQGroups char(1500))");
        Exec("insert into Points values (1, 1, 2)");
    }

    // The upgrade's steps; answers the statements it executed.
    std::vector<std::string> Upgrade() {
        std::vector<std::string> executed;
        std::unique_ptr<TLdbQuery> q(NewQuery());
        auto run = [&](const std::string& sql) {
            q->Close();
            q->SQL().SetText(sql);
            q->ExecSQL();
            executed.push_back(sql.substr(0, sql.find('\n')) + " " + sql.substr(sql.rfind('\n') + 1));
        };
        auto probe = [&](const std::string& sql) {
            q->Close();
            q->SQL().SetText(sql);
            q->Open();
        };
        probe("select PVValue from Points\r\nwhere PVProfile = 0");
        if (q->FieldByName("PVValue")->DataType() != ftFloat)
            run("ALTER TABLE Points\r\nALTER COLUMN PVValue PVValue Double");
        probe("select * from Points\r\nwhere PVProfile = 0");
        if (!q->FindField("PVPenalty")) run("ALTER TABLE Points\r\nADD COLUMN PVPenalty DOUBLE");
        probe("select * from Profiles\r\nwhere PFNo = -1");
        bool added = false;
        if (!q->FindField("PFPrintScan")) {
            run("ALTER TABLE Profiles\r\nADD COLUMN PFPrintScan Logical\r\nADD COLUMN PFPrintScanTo CHAR(255)");
            added = true;
        }
        if (added || !q->FindField("OddLbls"))
            run("ALTER TABLE Profiles\r\nADD COLUMN OddLbls CHAR(10)\r\nADD COLUMN EvenLbls CHAR(10)");
        q->Close();
        TStringList tables;
        conn->GetTableNames(&tables, "");
        if (tables.IndexOf("DataSets") < 0) {
            run("create table DataSets (DSID integer, DSType char(5),\r\n DSName char(30), PFNo Integer, "
                "DSNumQuest integer, \r\n DSModifyDate Date, DSTestName char(30), DSTestID char(30))");
            run("create table DataDetail (DDID integer, DSID integer,\r\n DDQuestion integer, DDValue Char(10), "
                "DDRecNo integer,\r\n DDStdID integer, DDPoints Char(6), DDComment Memo)");
        } else {
            probe("select * from DataDetail\r\nwhere DDID = -1");
            if (!q->FindField("DDComment")) run("ALTER TABLE DataDetail\r\nADD COLUMN DDComment Memo");
        }
        return executed;
    }

    // The maximum a SELECT gives, plus one (1 for null).
    int NextId(const std::string& sql) {
        std::string max = Scalar(sql);
        return (max == "<null>" ? 0 : std::stoi(max)) + 1;
    }

    int NextProfileNo() {
        std::unique_ptr<TLdbQuery> q(NewQuery("select Max(PFNo) as MaxNo\r\nfrom Profiles"));
        q->Open();
        return q->IsEmpty() ? 1 : q->FieldByName("MaxNo")->AsInteger() + 1;
    }
};

TEST_F(ProfileStoreSql, TheUpgradeRunsOnceAndKeepsThePointValues) {
    std::vector<std::string> first = Upgrade();
    EXPECT_EQ(first.size(), 6u);
    EXPECT_EQ(Upgrade(), std::vector<std::string>{}) << "a second start changes nothing";
    TLdbQuery* points = NewQuery("select * from Points");
    points->Open();
    EXPECT_EQ(points->FieldByName("PVValue")->DataType(), ftFloat);
    EXPECT_EQ(points->FieldByName("PVValue")->AsFloat(), 2.0);
    EXPECT_TRUE(points->FieldByName("PVPenalty")->IsNull());
    TLdbQuery* detail = NewQuery("select * from DataDetail where DDID = -1");
    detail->Open();
    EXPECT_EQ(detail->FieldByName("DDComment")->DataType(), ftMemo);
    EXPECT_TRUE(detail->IsEmpty());
}

TEST_F(ProfileStoreSql, AProfileIsSavedLoadedAndOverwritten) {
    Upgrade();
    EXPECT_EQ(NextProfileNo(), 1);
    TLdbQuery* profiles = NewQuery("select *\r\nfrom Profiles\r\norder by PFName", true);
    profiles->SetName("qryProfiles");
    profiles->Open();
    auto save = [&](const std::string& name, int questions, const char* odd) {
        if (profiles->IsEmpty() || profiles->FieldByName("PFName")->AsString() != name) {
            profiles->Append();
            profiles->FieldByName("PFName")->SetAsString(name);
            profiles->FieldByName("PFNo")->SetAsInteger(NextProfileNo());
        } else {
            profiles->Edit();
        }
        profiles->FieldByName("PFTestName")->SetAsString("Biology");
        profiles->FieldByName("PFFormNo")->SetAsString("2031");
        profiles->FieldByName("PFRelQuest")->SetAsString(std::to_string(questions));
        profiles->FieldByName("PFSounds")->SetAsBoolean(true);
        profiles->FieldByName("PFPrintScan")->SetAsBoolean(false);
        profiles->FieldByName("OddLbls")->SetAsString(odd);
        profiles->Post();
        int pf = profiles->FieldByName("PFNo")->AsInteger();
        std::unique_ptr<TLdbQuery> misc(NewQuery("delete from Master where PMProfile = :pPF"));
        std::unique_ptr<TLdbQuery> misc2(NewQuery("delete from Points where PVProfile = :pPF"));
        misc->ParamByName("pPF")->SetAsInteger(pf);
        misc->ExecSQL();
        misc2->ParamByName("pPF")->SetAsInteger(pf);
        misc2->ExecSQL();
        misc->SQL().SetText("insert into Master (PMProfile, PMQuestion, PMValue)\r\nvalues(:pPF, :pQuest, :pValue)");
        misc2->SQL().SetText(
            "insert into Points (PVProfile, PVQuestion, PVValue, PVPenalty)\r\nvalues(:pPF, :pQuest, :pValue, :pPenalty)");
        for (int n = 1; n <= questions; ++n) {
            misc->ParamByName("pPF")->SetAsInteger(pf);
            misc->ParamByName("pQuest")->SetAsInteger(n);
            misc->ParamByName("pValue")->SetAsString(std::string(1, odd[(n - 1) % 6]));
            misc->ExecSQL();
            misc2->ParamByName("pPF")->SetAsInteger(pf);
            misc2->ParamByName("pQuest")->SetAsInteger(n);
            misc2->ParamByName("pValue")->SetAsFloat(n * 0.5);
            misc2->ParamByName("pPenalty")->SetAsFloat(0.25);
            misc2->ExecSQL();
        }
        return pf;
    };
    EXPECT_EQ(save("Weekly", 3, "ABCDEF"), 1);
    EXPECT_EQ(save("Final", 2, "VWXYZ!"), 2);
    // The current row is the one just saved; saving under its name again
    // overwrites it.
    ASSERT_EQ(profiles->FieldByName("PFName")->AsString(), "Final");
    EXPECT_EQ(save("Final", 4, "PQRSTU"), 2);
    EXPECT_EQ(Scalar("select count(*) from Profiles"), "2");
    EXPECT_EQ(Scalar("select PFRelQuest from Profiles where PFName = 'Final'"), "4");

    // Loading: the chosen row's values and its point values in order.
    profiles->Close();
    profiles->Open();
    EXPECT_EQ(profiles->FieldByName("PFName")->AsString(), "Final");
    EXPECT_EQ(profiles->FieldByName("PFFormNo")->AsString().substr(0, 4), "2031");
    EXPECT_TRUE(profiles->FieldByName("PFSounds")->AsBoolean());
    EXPECT_FALSE(profiles->FieldByName("PFPrintScan")->AsBoolean());
    EXPECT_EQ(profiles->FieldByName("OddLbls")->AsString(), "PQRSTU");
    EXPECT_EQ(profiles->FieldByName("EvenLbls")->AsString(), "");
    TLdbQuery* pts = NewQuery("select * from Points where PVProfile = :pPF order by PVQuestion");
    pts->ParamByName("pPF")->SetAsInteger(profiles->FieldByName("PFNo")->AsInteger());
    pts->Open();
    std::string values;
    for (; !pts->Eof(); pts->Next())
        values += pts->FieldByName("PVValue")->AsString() + "/" + pts->FieldByName("PVPenalty")->AsString() + " ";
    EXPECT_EQ(values, "0.5/0.25 1/0.25 1.5/0.25 2/0.25 ");
    TLdbQuery* key = NewQuery("select * from Master where PMProfile = :pPF order by PMQuestion");
    key->ParamByName("pPF")->SetAsInteger(2);
    key->Open();
    EXPECT_EQ(key->RecordCount(), 4);
    EXPECT_EQ(key->FieldByName("PMValue")->AsString(), "P");

    // Deleting the profile row through the live query.
    profiles->Delete();
    EXPECT_EQ(profiles->FieldByName("PFName")->AsString(), "Weekly");
    EXPECT_EQ(Scalar("select count(*) from Profiles"), "1");
}

TEST_F(ProfileStoreSql, ATestSetIsSavedWithItsDetailRows) {
    Upgrade();
    TLdbQuery* sets = NewQuery("select * from DataSets D where DSType = 'TEST'", true);
    sets->Open();
    EXPECT_TRUE(sets->IsEmpty());
    sets->Append();
    sets->FieldByName("DSID")->SetAsInteger(NextId("select max(DSID) as MaxID from DataSets"));
    sets->FieldByName("DSType")->SetAsString("TEST");
    sets->FieldByName("DSName")->SetAsString("Morning");
    sets->FieldByName("DSNumQuest")->SetAsInteger(2);
    sets->FieldByName("DSModifyDate")->SetAsDateTime(EncodeDate(2024, 5, 6) + 0.75);
    sets->Post();
    EXPECT_EQ(sets->FieldByName("DSID")->AsInteger(), 1);
    EXPECT_EQ(sets->FieldByName("DSModifyDate")->AsDateTime(), EncodeDate(2024, 5, 6));

    std::unique_ptr<TLdbQuery> detail(NewQuery(
        "insert into DataDetail (DDID, DSID, DDQuestion, DDValue, DDRecNo, DDStdID, DDPoints)\r\n"
        "values(:pDDID, :pDSID, :pDDQuest, :pDDVal, :pDDRecNo, :pDDStdID, :pDDPoints)"));
    int ddid = 0;
    for (int student = 1; student <= 2; ++student) {
        for (int n = 1; n <= 2; ++n) {
            ddid = NextId("select max(DDID) as MaxID from DataDetail");
            detail->ParamByName("pDDID")->SetAsInteger(ddid);
            detail->ParamByName("pDSID")->SetAsInteger(1);
            detail->ParamByName("pDDQuest")->SetAsInteger(n);
            detail->ParamByName("pDDVal")->SetAsString(n == 1 ? "A" : "-");
            detail->ParamByName("pDDRecNo")->SetAsInteger(student);
            detail->ParamByName("pDDStdID")->SetAsInteger(100 + student);
            detail->ParamByName("pDDPoints")->SetAsString("");
            detail->ExecSQL();
        }
    }
    EXPECT_EQ(ddid, 4);
    TLdbQuery* read = NewQuery("select * from DataDetail\r\nwhere DSID = :pDSID\r\norder by DDID");
    read->ParamByName("pDSID")->SetAsInteger(1);
    read->Open();
    std::string rows;
    for (; !read->Eof(); read->Next())
        rows += read->FieldByName("DDStdID")->AsString() + ":" + read->FieldByName("DDValue")->AsString() + " ";
    EXPECT_EQ(rows, "101:A 101:- 102:A 102:- ");

    // A detail row from a file, every value given as text.
    std::unique_ptr<TLdbQuery> fromFile(NewQuery("insert into DataDetail(\r\nDSID, DDQUESTION, DDSTDID\r\n) values(\r\n"
                                                 ":DSID, :DDQUESTION, :DDSTDID\r\n)"));
    fromFile->ParamByName("DSID")->SetAsInteger(1);
    fromFile->ParamByName("DDQUESTION")->SetAsString("3");
    fromFile->ParamByName("DDSTDID")->SetAsString("0042");
    fromFile->ExecSQL();
    EXPECT_EQ(Scalar("select DDStdID + DDQuestion from DataDetail where DDID is null"), "45");

    std::unique_ptr<TLdbQuery> del(NewQuery("delete from DataDetail where DSID = :pDSID"));
    del->ParamByName("pDSID")->SetAsInteger(1);
    del->ExecSQL();
    EXPECT_EQ(del->RowsAffected(), 5);
    del->SQL().SetText("delete from DataSets where DSID = :pDSID");
    del->ParamByName("pDSID")->SetAsInteger(1);
    del->ExecSQL();
    sets->Close();
    sets->Open();
    EXPECT_TRUE(sets->IsEmpty());
}

}  // namespace

// The profiles dialog's logic: saving, replacing and deleting profiles in
// the database, and the .pff file written and read back.

#include <gtest/gtest.h>

#include "app/ProfilesData.h"
#include "app/tests/SavedFilesTestSupport.h"

namespace {

class ProfilesDataTest : public SavedDatabaseFixture {
protected:
    void SetUp() override {
        SavedDatabaseFixture::SetUp();
        profiles = Query("select *\r\nfrom Profiles\r\norder by PFName");
        profiles->RequestLive = true;
        profiles->Open();
        dialog = std::make_unique<TProfilesData>(nullptr);
        dialog->ProfilesQuery = profiles.get();
    }
    void TearDown() override {
        dialog.reset();
        profiles.reset();
        SavedDatabaseFixture::TearDown();
    }
    // A profile as the wizard saves it.
    int AddProfile(const std::string& name) {
        TProfileStore store(conn);
        TProfileData d;
        d.TestName = "Unit \"3\"";
        d.TestID = "T-7";
        d.FormNo = "3025";
        d.RelQuest = "3";
        d.Sounds = true;
        d.DefExpFmt = 2;
        d.LastSaveDir = "/home/teacher/out";
        d.UseStdNames = true;
        d.NamesFile = "names.txt";
        d.UseLeadingZeros = true;
        d.PrintScanTo = "Printer A";
        d.OddLbls = "ABCDE";
        d.EvenLbls = "FGHJK";
        int pf = store.WriteProfile(*profiles, name, d);
        store.SaveGroups(pf, {{1, "Overall Group"}, {2, "Cells"}});
        store.SaveGroupQuestions(pf, {{1, "(1)"}, {2, "(1,2)"}, {3, "(1)"}});
        store.SaveMasterAndPoints(pf, {"A", "C", "B"}, {{"1", "0.25"}, {"2.5", ""}, {"1", ""}});
        return pf;
    }
    // Everything saved of one profile but its number.
    std::vector<std::string> ProfileRows(int pf) {
        const std::string p = std::to_string(pf);
        std::vector<std::string> rows = Rows(
            "select PFName, PFTestName, PFTestID, PFFormNo, PFRelQuest, PFSounds, PFDefExpFmt, PFLastSaveDir,"
            " PFUseQuotes, PFUseStdNames, PFNamesFile, PFUseLeadingZeros, PFPrintScan, PFPrintScanTo, OddLbls,"
            " EvenLbls from Profiles where PFNo = " + p);
        for (const std::string& sql :
             {"select PGGroupNo, PGDesc from Groups where PGProfile = " + p + " order by PGGroupNo",
              "select PGQQuestion, PGQGroups from GroupQ where PGQProfile = " + p + " order by PGQQuestion",
              "select PMQuestion, PMValue from Master where PMProfile = " + p + " order by PMQuestion",
              "select PVQuestion, PVValue, PVPenalty from Points where PVProfile = " + p + " order by PVQuestion"})
            for (const std::string& row : Rows(sql)) rows.push_back(row);
        return rows;
    }

    std::unique_ptr<TLdbQuery> profiles;
    std::unique_ptr<TProfilesData> dialog;
};

TEST_F(ProfilesDataTest, APffFileIsWrittenByteExactAndLoadsAsANewProfileEachTime) {
    const int pf = AddProfile("Biology");
    ASSERT_TRUE(profiles->Locate("PFNo", Variant(pf), 0));
    dialog->SaveProfileToFile(Path("Biology.pff"));
    EXPECT_EQ(ReadBytes(Path("Biology.pff")), ReadBytes(SavedGolden("Biology.pff")));

    dialog->LoadProfileFromFile(Path("Biology.pff"));
    dialog->LoadProfileFromFile(Path("Biology.pff"));
    EXPECT_EQ(Rows("select PFNo, PFName from Profiles order by PFNo"),
              (std::vector<std::string>{"1|Biology", "2|Biology", "3|Biology"}));
    EXPECT_EQ(ProfileRows(2), ProfileRows(pf));
    EXPECT_EQ(ProfileRows(3), ProfileRows(pf));
    // The query was reopened and shows the new profiles.
    EXPECT_EQ(profiles->RecordCount(), 3);
}

TEST_F(ProfilesDataTest, EmptyElementsLoadAsEmptyTextAndMissingOnesAreNotNamed) {
    WriteEncoded(Path("hand.pff"), {"<PROFILES>", "  <PFName>Algebra &amp; Co</PFName>", "  <PFTestID></PFTestID>",
                                    "  <PFSounds>true</PFSounds>", "</PROFILES>"});
    dialog->LoadProfileFromFile(Path("hand.pff"));
    EXPECT_EQ(Rows("select PFNo, PFName, PFTestID, PFTestName is null, PFSounds from Profiles"),
              (std::vector<std::string>{"1|Algebra & Co||1|True"}));
}

// A record that fails asks whether to go on; Yes reads the rest, No stops
// the load with the error, and nothing read before is undone.
TEST_F(ProfilesDataTest, AFailingRecordAsksWhetherToContinueLoading) {
    struct Case {
        const char* name;
        std::vector<std::string> points;  // the failing Points record
        const char* message;
    };
    const Case cases[] = {
        // A tag the table has no column for is refused before any
        // statement is built, naming the tag and the file.
        {"unknown column", {"  <POINTS>", "    <PVQuestion>1</PVQuestion>", "    <PVBogus>1</PVBogus>", "  </POINTS>"},
         "The tag <PVBOGUS> in the file"},
        {"statement text in a tag", {"  <POINTS>", "    <PVValue,PVProfile>1</PVValue,PVProfile>", "  </POINTS>"},
         "The tag <PVVALUE,PVPROFILE> in the file"},
        {"a column of another table", {"  <POINTS>", "    <PMValue>1</PMValue>", "  </POINTS>"},
         "names no column of the table Points"},
    };
    for (const Case& c : cases) {
        for (bool goOn : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (goOn ? " / Yes" : " / No"));
            Exec("delete from Profiles");
            Exec("delete from Points");
            Exec("delete from Master");
            std::vector<std::string> lines{"<PROFILES>", "  <PFName>Chem</PFName>"};
            lines.insert(lines.end(), c.points.begin(), c.points.end());
            for (const std::string& l : {"  <MASTER>", "    <PMQuestion>1</PMQuestion>", "    <PMValue>B</PMValue>",
                                         "  </MASTER>", "</PROFILES>"})
                lines.push_back(l);
            WriteEncoded(Path("bad.pff"), lines);
            if (goOn) {
                prompts.Yes("Do you want to continue loading?");
                dialog->LoadProfileFromFile(Path("bad.pff"));
                EXPECT_EQ(Scalar("select count(*) from Master"), "1");
            } else {
                prompts.No("Do you want to continue loading?");
                EXPECT_THROW(dialog->LoadProfileFromFile(Path("bad.pff")), Exception);
                EXPECT_EQ(Scalar("select count(*) from Master"), "0");
            }
            ASSERT_FALSE(prompts.Seen().empty());
            const std::string text = prompts.Seen().back().Text;
            EXPECT_EQ(prompts.Lines().back().rfind("Error: Error encountered while loading file (Points section) with message\r\n", 0), 0u);
            EXPECT_NE(text.find(c.message), std::string::npos) << text;
            EXPECT_NE(text.find("bad.pff"), std::string::npos) << text;
            EXPECT_EQ(Scalar("select count(*) from Profiles"), "1");
            EXPECT_EQ(Scalar("select count(*) from Points"), "0");
            prompts.Clear();
        }
    }
}

TEST_F(ProfilesDataTest, MalformedFilesNeitherCrashNorInsertRows) {
    // Not a hex file at all: refused before anything is read.
    {
        std::ofstream(Path("text.pff"), std::ios::binary) << "<PROFILES>\r\n";
        EXPECT_THROW(dialog->LoadProfileFromFile(Path("text.pff")), Exception);
    }
    // Empty file: a clear error, not a read of some other file.
    {
        std::ofstream(Path("empty.pff"), std::ios::binary);
        EXPECT_THROW(dialog->LoadProfileFromFile(Path("empty.pff")), Exception);
    }
    EXPECT_EQ(Scalar("select count(*) from Profiles"), "0");
    // Tokens ending inside a record: the record's error is asked about.
    WriteEncoded(Path("cut.pff"), {"<PROFILES>", "  <PFName>"});
    prompts.Yes("Profiles section");
    dialog->LoadProfileFromFile(Path("cut.pff"));
    EXPECT_EQ(Scalar("select count(*) from Profiles"), "0");
}

TEST_F(ProfilesDataTest, SaveAsksBeforeReplacingAndDeleteRemovesEveryRowOfTheProfile) {
    AddProfile("Biology");
    AddProfile("Chemistry");
    dialog->SelectMode = false;
    dialog->FormShow();
    EXPECT_TRUE(dialog->btnSave.Visible());
    EXPECT_FALSE(dialog->btnOK.Visible());
    dialog->edtPFName.SetText("  Physics ");
    dialog->btnSaveClick();
    EXPECT_TRUE(dialog->CloseWithOk);
    EXPECT_EQ(dialog->GetProfileName(), "Physics");

    dialog->CloseWithOk = false;
    dialog->edtPFName.SetText("Biology");
    prompts.No("Do you want to replace this profile?");
    dialog->btnSaveClick();
    EXPECT_FALSE(dialog->CloseWithOk);
    prompts.Yes("Do you want to replace this profile?");
    dialog->btnSaveClick();
    EXPECT_TRUE(dialog->CloseWithOk);
    // The query stands on the profile to be replaced.
    EXPECT_EQ(profiles->FieldByName("PFName")->AsString(), "Biology");

    prompts.No("delete the selected profile");
    dialog->btnDeleteClick();
    EXPECT_EQ(Scalar("select count(*) from Profiles"), "2");
    prompts.Yes("delete the selected profile");
    dialog->btnDeleteClick();
    EXPECT_EQ(Rows("select PFName from Profiles"), std::vector<std::string>{"Chemistry"});
    for (const char* sql : {"select count(*) from Groups where PGProfile = 1", "select count(*) from GroupQ where PGQProfile = 1",
                            "select count(*) from Master where PMProfile = 1", "select count(*) from Points where PVProfile = 1"})
        EXPECT_EQ(Scalar(sql), "0") << sql;
    EXPECT_EQ(Scalar("select count(*) from Points where PVProfile = 2"), "3");
    EXPECT_TRUE(dialog->btnDelete.Enabled());
    prompts.Yes("delete the selected profile");
    dialog->btnDeleteClick();
    EXPECT_FALSE(dialog->btnDelete.Enabled());
}

}  // namespace

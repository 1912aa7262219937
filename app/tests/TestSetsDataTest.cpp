// The test sets dialog's logic: the wizard's students saved as test sets,
// loaded back by replacing or appending, deleted, and exchanged as .tsf
// files.

#include <gtest/gtest.h>

#include <algorithm>

#include "app/TestSetsData.h"
#include "app/tests/SavedFilesTestSupport.h"
#include "app/tests/WorkTestSupport.h"

namespace {

class TestSetsDataTest : public WorkFixture, public TSavedDatabase {
protected:
    void SetUp() override {
        Configure(3, 3, 4);
        OpenDatabase(home.Dir());
        AddStudent(1234, "AB ");
        AddStudent(4321, "CCD");
        dialog = std::make_unique<TTestSetsData>(nullptr);
        dialog->DatabaseName = "LdbConnection1";
        dialog->QtyQuestions = 3;
        dialog->DataTable = work->qmtData;
        dialog->TestName = "Unit 3";
        dialog->TestID = "T7";
        dialog->FormShow();
    }
    void TearDown() override {
        dialog.reset();
        form.reset();
        WorkFixture::TearDown();
    }
    void SaveAs(const std::string& name) {
        dialog->edtPFName.SetText(name);
        dialog->btnSaveClick();
    }
    // RecNo, IDNo and answers of every student in record-number order.
    std::vector<std::string> Students() {
        std::vector<std::string> rows;
        TqmtMemTable* t = work->qmtData;
        for (t->First(); !t->Eof(); t->Next())
            rows.push_back(t->FieldByName("RecNo")->AsString() + " " + t->FieldByName("IDNo")->AsString() + " " + Answers(3));
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    std::string Path(const std::string& name) const { return home.Dir() + name; }

    std::unique_ptr<TTestSetsData> dialog;
};

TEST_F(TestSetsDataTest, SavingUnderAnExistingNameReplacesItsDetailsAndKeepsItsNumber) {
    EXPECT_FALSE(dialog->btnReplace.Enabled());
    SaveAs(" Monday ");
    EXPECT_EQ(Rows("select DSID, DSType, DSName, DSNumQuest, DSTestName, DSTestID from DataSets"),
              std::vector<std::string>{"1|TEST|Monday|3|Unit 3|T7"});
    EXPECT_EQ(Rows("select DDID, DDQuestion, DDValue, DDRecNo, DDStdID from DataDetail order by DDID"),
              (std::vector<std::string>{"1|1|A|1|1234", "2|2|B|1|1234", "3|3||1|1234", "4|1|C|2|4321",
                                        "5|2|C|2|4321", "6|3|D|2|4321"}));
    EXPECT_TRUE(dialog->btnReplace.Enabled());
    EXPECT_FALSE(dialog->pbRecords.Visible());

    AddStudent(99999999999, "BBB");
    prompts.No("Do you want to replace this Test Set?");
    SaveAs("Monday");
    EXPECT_EQ(Scalar("select count(*) from DataDetail"), "6");
    prompts.Yes("Do you want to replace this Test Set?");
    SaveAs("Monday");
    EXPECT_EQ(Rows("select DSID from DataSets"), std::vector<std::string>{"1"});
    EXPECT_EQ(Scalar("select count(*) from DataDetail"), "9");
    // An ID above the 32-bit range is kept whole.
    EXPECT_EQ(Scalar("select distinct DDStdID from DataDetail where DDRecNo = 3"), "99999999999");

    SaveAs("Tuesday");
    EXPECT_EQ(Rows("select DSID, DSName from DataSets order by DSID"),
              (std::vector<std::string>{"1|Monday", "2|Tuesday"}));
}

TEST_F(TestSetsDataTest, ReplaceLoadsTheSetAloneAndAppendAddsNewRowsWithNewRecordNumbers) {
    SaveAs("Monday");
    AddStudent(5555, "DDD");
    ASSERT_TRUE(dialog->qrySets->Locate("DSName", Variant("Monday"), 0));

    prompts.No("replace all the current data");
    dialog->btnReplaceClick();
    EXPECT_FALSE(dialog->CloseWithOk);
    EXPECT_EQ(Students().size(), 3u);

    prompts.Yes("append the current data");
    dialog->btnAppendClick();
    EXPECT_TRUE(dialog->CloseWithOk);
    EXPECT_EQ(Students(), (std::vector<std::string>{"1 1234 AB ", "2 4321 CCD", "3 5555 DDD", "4 1234 AB ",
                                                    "5 4321 CCD"}));
    EXPECT_EQ(dialog->LastRecNo, 5);

    dialog->CloseWithOk = false;
    prompts.Yes("replace all the current data");
    dialog->btnReplaceClick();
    EXPECT_TRUE(dialog->CloseWithOk);
    EXPECT_EQ(Students(), (std::vector<std::string>{"1 1234 AB ", "2 4321 CCD"}));
}

TEST_F(TestSetsDataTest, ASetWithADifferentQuestionCountWarnsAndLoadsOnlyTheQuestionsThatFit) {
    SaveAs("Monday");
    // The same set as if saved from a test of 4 questions.
    Exec("update DataSets set DSNumQuest = 4");
    Exec("insert into DataDetail (DDID, DSID, DDQuestion, DDValue, DDRecNo, DDStdID) values (7, 1, 4, 'E', 1, 1234)");
    Exec("update DataDetail set DDID = DDID + 10 where DDRecNo = 2");
    dialog->qrySets->Close();
    dialog->qrySets->Open();

    prompts.No("Current data has 3 questions \r\nSaved data has 4 questions");
    dialog->btnAppendClick();
    EXPECT_TRUE(dialog->CloseWithOk);  // the append button ends the dialog whatever the answers
    EXPECT_EQ(Students().size(), 2u);

    prompts.Yes("different number of questions").Yes("replace all the current data");
    dialog->btnReplaceClick();
    EXPECT_EQ(Students(), (std::vector<std::string>{"1 1234 AB ", "2 4321 CCD"}));
}

TEST_F(TestSetsDataTest, DeleteRemovesTheSetAndItsDetails) {
    SaveAs("Monday");
    SaveAs("Tuesday");
    ASSERT_TRUE(dialog->qrySets->Locate("DSName", Variant("Monday"), 0));
    prompts.Yes("Are you sure you want to delete the selected Test Set data?");
    dialog->btnDeleteClick();
    EXPECT_EQ(Rows("select DSName from DataSets"), std::vector<std::string>{"Tuesday"});
    EXPECT_EQ(Rows("select distinct DSID from DataDetail"), std::vector<std::string>{"2"});
    EXPECT_TRUE(dialog->btnDelete.Enabled());
    prompts.Yes("Are you sure you want to delete the selected Test Set data?");
    dialog->btnDeleteClick();
    EXPECT_FALSE(dialog->btnDelete.Enabled());
    EXPECT_EQ(Scalar("select count(*) from DataDetail"), "0");
}

TEST_F(TestSetsDataTest, ATsfFileIsWrittenByteExactAndReadsBackAsANewSet) {
    SaveAs("Monday");
    Exec("update DataSets set DSModifyDate = '2026-03-02', PFNo = 4");
    dialog->qrySets->Close();
    dialog->qrySets->Open();
    dialog->SaveTestSetToFile(Path("Monday.tsf"));
    EXPECT_EQ(ReadBytes(Path("Monday.tsf")), ReadBytes(SavedGolden("Monday.tsf")));

    dialog->LoadTestSetFromFile(Path("Monday.tsf"));
    EXPECT_EQ(Rows("select DSID, DSType, DSName, PFNo, DSNumQuest, DSModifyDate, DSTestName, DSTestID from DataSets"
                   " order by DSID"),
              (std::vector<std::string>{Scalar("select * from DataSets where DSID = 1"),
                                        "2" + Scalar("select * from DataSets where DSID = 1").substr(1)}));
    EXPECT_EQ(Rows("select DDQuestion, DDValue, DDRecNo, DDStdID, DDPoints from DataDetail where DSID = 2 order by DDID"),
              Rows("select DDQuestion, DDValue, DDRecNo, DDStdID, DDPoints from DataDetail where DSID = 1 order by DDID"));
    EXPECT_EQ(dialog->qrySets->RecordCount(), 2);

    // The loaded set fills the students' table like the saved one.
    ASSERT_TRUE(dialog->qrySets->Locate("DSID", Variant(2), 0));
    prompts.Yes("replace all the current data");
    dialog->btnReplaceClick();
    EXPECT_EQ(Students(), (std::vector<std::string>{"1 1234 AB ", "2 4321 CCD"}));
}

TEST_F(TestSetsDataTest, AFailingDetailRecordAsksWhetherToContinueLoading) {
    const std::vector<std::string> lines{
        "<DATASETS>", "  <DSType>TEST</DSType>", "  <DSName>Hand</DSName>", "  <DSTestName></DSTestName>",
        "  <DATADETAIL>", "    <DDQuestion>1</DDQuestion>", "    <DDBogus>A</DDBogus>", "  </DATADETAIL>",
        "  <DATADETAIL>", "    <DDQuestion>2</DDQuestion>", "    <DDValue>B</DDValue>", "  </DATADETAIL>",
        "</DATASETS>"};
    WriteEncoded(Path("hand.tsf"), lines);
    prompts.Yes("Detail Data section");
    dialog->LoadTestSetFromFile(Path("hand.tsf"));
    EXPECT_EQ(Rows("select DSID, DSName, DSTestName from DataSets"), std::vector<std::string>{"1|Hand|"});
    EXPECT_EQ(Rows("select DSID, DDQuestion, DDValue from DataDetail"), std::vector<std::string>{"1|2|B"});
    EXPECT_EQ(Prompted().back().rfind("Error: Error encountered while loading file (Detail Data section) with message\r\n", 0), 0u);
    EXPECT_NE(Prompted().back().find("The tag <DDBOGUS> in the file \"" + Path("hand.tsf") + "\" names no column of the "
                                     "table DataDetail."),
              std::string::npos)
        << Prompted().back();

    prompts.No("Do you want to continue loading?");
    EXPECT_THROW(dialog->LoadTestSetFromFile(Path("hand.tsf")), Exception);
    EXPECT_EQ(Rows("select DSID, DSName from DataSets order by DSID"), (std::vector<std::string>{"1|Hand", "2|Hand"}));
    EXPECT_EQ(Scalar("select count(*) from DataDetail"), "1");
    // The sets read before the failure are shown.
    EXPECT_EQ(dialog->qrySets->RecordCount(), 2);
}

}  // namespace

// The windows of the store dialogs driven as a user would, offscreen: the
// controls reach their logic, the grids follow the tables, and each dialog
// ends with the result the wizard acts on.

#include <gtest/gtest.h>

#include "app/fmEditMasterData.h"
#include "app/fmGroupSetup.h"
#include "app/fmPenaltySetup.h"
#include "app/fmProfile.h"
#include "app/fmTestSets.h"
#include "app/tests/SavedFilesTestSupport.h"
#include "app/tests/WorkTestSupport.h"
#include "platform/core/Program.h"
#include "platform/core/UiQueue.h"
#include "platform/gui/Graphics.h"

namespace {

class StoreDialogsTest : public WorkFixture, public TSavedDatabase {
protected:
    void SetUp() override {
        UiQueue::Reset();
        Application->Initialize();
        SetProgramFileNameForTesting("/opt/scorvane/OMBXScore");
    }
    void TearDown() override {
        profiles.reset();
        form.reset();
        Application->ResetForTesting();
        SetProgramFileNameForTesting("");
        WorkFixture::TearDown();
    }
    // The profiles query of the wizard over a database with two profiles.
    void TwoProfiles() {
        OpenDatabase(home.Dir());
        profiles = Query("select *\r\nfrom Profiles\r\norder by PFName");
        profiles->RequestLive = true;
        profiles->Open();
        TProfileStore store(conn);
        for (const char* name : {"Chemistry", "Biology"}) {
            TProfileData data;
            data.TestName = std::string("Unit of ") + name;
            store.SaveProfile(*profiles, name, data, {{1, "Overall Group"}}, {{1, "(1)"}}, {"A"}, {{"1", ""}});
        }
        profiles->Close();
        profiles->Open();
    }
    // Runs the dialog's modal loop with the user's actions.
    int Run(TForm& window, const std::function<void()>& actions) {
        UiQueue::Post(actions);
        return window.ShowModal();
    }

    std::unique_ptr<TLdbQuery> profiles;
};

TEST_F(StoreDialogsTest, ProfilesAreChosenNamedAndDeletedInTheWindow) {
    Configure(1, 1, 2);
    TwoProfiles();
    {
        TfrmProfiles window(nullptr);
        window.ProfilesQuery = profiles.get();
        window.SelectMode = true;
        EXPECT_EQ(Run(window, [&] {
                      EXPECT_FALSE(window.edtPFName->Visible());
                      EXPECT_FALSE(window.btnSave->Visible());
                      EXPECT_TRUE(window.btnOK->Visible());
                      ASSERT_EQ(window.dbgProfiles->RowCount(), 2);
                      EXPECT_EQ(window.dbgProfiles->RowText(0).substr(0, 13), "2     Biology");
                      window.dbgProfiles->DblClickRow(1);
                  }),
                  mrOk);
        EXPECT_EQ(profiles->FieldByName("PFName")->AsString(), "Chemistry");
    }
    {
        TfrmProfiles window(nullptr);
        window.ProfilesQuery = profiles.get();
        window.SelectMode = false;
        EXPECT_EQ(Run(window, [&] {
                      EXPECT_TRUE(window.edtPFName->Visible());
                      EXPECT_FALSE(window.btnOK->Visible());
                      EXPECT_EQ(window.edtPFName->Text(), "");
                      window.edtPFName->SetText("  ");
                      EXPECT_FALSE(window.btnSave->Enabled());
                      window.dbgProfiles->ClickRow(0);
                      EXPECT_EQ(window.edtPFName->Text(), "Biology");
                      EXPECT_TRUE(window.btnSave->Enabled());
                      prompts.No("Do you want to replace this profile?");
                      window.btnSave->Click();
                      EXPECT_EQ(window.ModalResult(), mrNone);
                      prompts.Yes("Do you want to replace this profile?");
                      window.btnSave->Click();
                  }),
                  mrOk);
        EXPECT_EQ(window.GetProfileName(), "Biology");
    }
    {
        TfrmProfiles window(nullptr);
        window.ProfilesQuery = profiles.get();
        window.SelectMode = true;
        EXPECT_EQ(Run(window, [&] {
                      window.dbgProfiles->ClickRow(0);
                      prompts.Yes("Are you sure you want to delete the selected profile?");
                      window.btnDelete->Click();
                      ASSERT_EQ(window.dbgProfiles->RowCount(), 1);
                      EXPECT_EQ(window.dbgProfiles->RowText(0).substr(0, 15), "1     Chemistry");
                      window.btnCancel->Click();
                  }),
                  mrCancel);
    }
    EXPECT_EQ(Rows("select PFName from Profiles"), std::vector<std::string>{"Chemistry"});
    EXPECT_EQ(Rows("select PMProfile from Master"), std::vector<std::string>{"1"});
}

TEST_F(StoreDialogsTest, ATestSetIsSavedWithItsBarsShownAndLoadedBackInTheWindow) {
    Configure(3, 3, 4);
    TwoProfiles();
    AddStudent(1234, "AB ");
    AddStudent(4321, "CCD");
    TfrmTstSets window(nullptr);
    window.DatabaseName = "LdbConnection1";
    window.QtyQuestions = 3;
    window.DataTable = work->qmtData;
    window.TestName = "Unit 3";
    window.TestID = "T7";
    window.ProfilesQuery = profiles.get();
    int barsShown = 0;
    window.Data->OnProgress = [&] {
        if (window.pbRecords->Visible() && window.pbQuest->Visible() && window.lblRecords->Visible()) ++barsShown;
    };
    EXPECT_EQ(Run(window, [&] {
                  EXPECT_FALSE(window.btnReplace->Enabled());
                  EXPECT_FALSE(window.btnSave->Enabled());
                  window.edtPFName->SetText("Monday");
                  EXPECT_TRUE(window.btnSave->Enabled());
                  window.btnSave->Click();
                  EXPECT_EQ(barsShown, 2 * 4);
                  EXPECT_FALSE(window.pbRecords->Visible());
                  EXPECT_FALSE(window.lblQuest->Visible());
                  ASSERT_EQ(window.dbgTestSets->RowCount(), 1);
                  EXPECT_NE(window.dbgTestSets->RowText(0).find("Monday"), std::string::npos);
                  EXPECT_TRUE(window.btnReplace->Enabled());
                  window.dbgTestSets->ClickRow(0);
                  prompts.Yes("replace all the current data");
                  window.btnReplace->Click();
              }),
              mrOk);
    EXPECT_EQ(work->qmtData->RecordCount(), 2);
    EXPECT_EQ(window.LastRecNo(), 2);
    EXPECT_EQ(Rows("select DSName, PFNo from DataSets"), std::vector<std::string>{"Monday|2"});
}

TEST_F(StoreDialogsTest, QuestionGroupsAreEditedThroughTheGrids) {
    Configure(3, 3, 2);
    AddGroup(2, "Cells");
    for (const char* program : {"OMBXScore", "Scorvane"}) {
        SetProgramFileNameForTesting(std::string("/opt/scorvane/") + program);
        TfrmGroupSetup window(nullptr);
        window.GroupsTable = work->qmtGroups;
        window.QuestionGroupsTable = work->qmtQGroups;
        EXPECT_EQ(Run(window, [&] { window.btnOK->Click(); }), mrOk);
        EXPECT_EQ(window.Caption(), std::string(program) == "Scorvane" ? "Veltmach Question Groups Setup"
                                                                      : "Ombrix Question Groups Setup");
    }
    TfrmGroupSetup window(nullptr);
    window.GroupsTable = work->qmtGroups;
    window.QuestionGroupsTable = work->qmtQGroups;
    EXPECT_EQ(Run(window, [&] {
                  ASSERT_EQ(window.dbgGroups->RowCount(), 2);
                  ASSERT_EQ(window.dbgQuestions->RowCount(), 3);
                  window.dbgGroups->ClickRow(1);
                  window.dbgQuestions->DblClickRow(2);
                  EXPECT_EQ(window.dbgQuestions->RowText(2), "3         (1,2)");
                  window.dbgQuestions->ClickRow(0);
                  window.btnAddQuestion->Click();
                  window.btnRemoveQuestion->Click();
                  window.btnAddQuestion->Click();
                  window.btnOK->Click();
              }),
              mrOk);
    work->qmtQGroups->First();
    EXPECT_EQ(work->qmtQGroupsQGroups->AsString(), "(1,2)");
}

TEST_F(StoreDialogsTest, TheKeyEditorFiltersHighlightsAndWritesIntoTheKeyRow) {
    Configure(3, 3, 2);
    SetKey("A? ", {"1", "2", "0.5"});
    TfrmEditMasterData window(nullptr);
    window.SetMasterTable(work->qmtMaster);
    window.AllowedLabels = "ABCDEFABCDEF";
    window.QtyQuestions = 3;
    EXPECT_EQ(Run(window, [&] {
                  ASSERT_EQ(window.dbgMaster->Cols(), 3);
                  EXPECT_EQ(window.dbgMaster->FieldName(3), "Q3");
                  ASSERT_EQ(window.dbgPoints->Cols(), 3);
                  EXPECT_EQ(window.dbgPoints->Heading(3), "P3");
                  EXPECT_EQ(window.dbgPoints->CellText(3), "0.5");
                  for (int col = 1; col <= 3; ++col) window.dbgMaster->CellText(col);
                  // The window colour is the grid's own (its cells store
                  // it as "not set").
                  EXPECT_NE(window.dbgMaster->CellColor(1), 0x4444FF);
                  EXPECT_EQ(window.dbgMaster->CellColor(2), 0x4444FF);
                  EXPECT_EQ(window.dbgMaster->CellColor(3), 0x4444FF);
                  char key = 'x';
                  window.dbgMaster->TypeKey(key);
                  EXPECT_EQ(key, 0);
                  key = 'c';
                  window.dbgPoints->TypeKey(key);
                  ASSERT_EQ(key, 'C');
                  // What the cell editor writes.
                  work->qmtMaster->Edit();
                  work->qmtMaster->FieldByName("Q3")->SetAsString(std::string(1, key));
                  EXPECT_EQ(window.dbgMaster->CellText(3), "C");
                  EXPECT_NE(window.dbgMaster->CellColor(3), 0x4444FF);
                  window.btnOK->Click();
              }),
              mrOk);
    // The wizard posts the pending edit.
    EXPECT_EQ(work->qmtMaster->State(), dsEdit);
    work->qmtMaster->Post();
    EXPECT_EQ(KeyAnswer(3), "C");
}

TEST_F(StoreDialogsTest, ThePenaltyDialogPlacesOneEditorAQuestionAndSetsThemAll) {
    Configure(25, 25, 2);
    auto window = std::make_unique<TfrmPenaltySetup>(nullptr);
    window->MasterTable = work->qmtMaster;
    window->QtyQuestions = 25;
    EXPECT_EQ(Run(*window, [&] {
                  EXPECT_EQ(window->Caption(), "Ombrix Question Penalty Setup");
                  ASSERT_EQ(window->PenaltyEdits().size(), 25u);
                  TDBEdit* s21 = window->PenaltyEdits()[20];
                  EXPECT_EQ(s21->Name(), "dbeS21");
                  EXPECT_EQ(s21->Left(), 200);
                  EXPECT_EQ(s21->Top(), 10);
                  EXPECT_EQ(window->PenaltyLabels()[24]->Caption(), "25");
                  EXPECT_EQ(s21->Text(), "0");
                  window->edtDPoint->SetText("abc");
                  window->BitBtn1->Click();
                  EXPECT_EQ(s21->Text(), "1");
                  window->PenaltyEdits()[1]->SetText("0.5");
                  window->btnOK->Click();
              }),
              mrOk);
    window.reset();
    work->qmtMaster->Post();
    EXPECT_EQ(work->qmtMaster->FieldByName("S2")->AsString(), "0.5");
    EXPECT_EQ(work->qmtMaster->FieldByName("S25")->AsString(), "1");
}

}  // namespace

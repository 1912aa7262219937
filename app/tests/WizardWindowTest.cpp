// The scoring wizard's window: its page flow, the configuration checks and
// messages, the point editors, the settings read at show and written at
// close, the scan pages following the working unit, and the profiles saved
// from one window and loaded into the next.

#include <gtest/gtest.h>

#include <fstream>
#include <memory>

#include "app/AppSettings.h"
#include "app/ScoringRules.h"
#include "app/WorkReports.h"
#include "app/fmProfile.h"
#include "app/fmTestWork.h"
#include "app/tests/ScannerTestSupport.h"
#include "app/tests/WindowTestSupport.h"
#include "app/tests/WizardTestSupport.h"
#include "platform/data/DB.h"
#include "tools/scansim/SimScript.h"

namespace {

class WizardWindowTest : public WindowTest {
protected:
    void TearDown() override {
        if (wizard) {
            wizard->Close();
            delete wizard;
        }
        WindowTest::TearDown();
    }
    TfrmTestWork* Open() {
        wizard = new TfrmTestWork(Application);
        wizard->Show();
        return wizard;
    }
    void CloseWizard() {
        wizard->Close();
        delete wizard;
        wizard = nullptr;
    }
    // The configuration page filled in; Next leaves it.
    void Configure(const std::string& formNo, const std::string& qty) {
        wizard->edtTestName->SetText("Algebra");
        wizard->edtTestID->SetText("T7");
        wizard->edtFormNo->SetText(formNo);
        wizard->edtQty->SetText(qty);
        wizard->btnNext[0]->Click();
        ASSERT_EQ(wizard->PageControl1->ActivePageIndex(), 1);
    }
    std::string Frame(const std::string& id, const std::string& answers) const {
        TSimScript script;
        script.Questions = wizard->Work()->Q;
        script.IdDigits = wizard->Work()->D;
        TSimSheet sheet;
        sheet.Id = id;
        sheet.Answers = answers;
        return EncodeSimFrame(script, sheet, false);
    }
    std::string Setting(const std::string& key) {
        std::ifstream in(home.Dir() + "VeltmachSettings.ini");
        std::string line;
        while (std::getline(in, line))
            if (line.rfind(key + "=", 0) == 0) {
                if (!line.empty() && line.back() == '\r') line.pop_back();
                return line.substr(key.size() + 1);
            }
        return "<none>";
    }

    TfrmTestWork* wizard = nullptr;
};

}  // namespace

TEST_F(WizardWindowTest, TheFormNumberGivesQuestionsAndIdDigits) {
    Open();
    struct Case {
        const char* typed;
        const char* qty;
        const char* idDigits;
    } cases[] = {{"6005", "60", "5"}, {"60", "60", "0"}, {"2010", "20", "10"}, {"7", "7", "0"}, {"", "0", "0"}};
    for (const Case& c : cases) {
        wizard->edtFormNo->SetText(c.typed);
        EXPECT_EQ(wizard->edtFormQty->Text(), c.qty) << c.typed;
        EXPECT_EQ(wizard->edtFormID->Text(), c.idDigits) << c.typed;
        EXPECT_EQ(wizard->edtQty->Text(), c.qty) << c.typed;
    }
    // The decimals chosen.
    wizard->cbDecimals->SetItemIndex(2);
    wizard->cbDecimals->OnChange(wizard->cbDecimals);
    EXPECT_EQ(wizard->Work()->Decimals, 3);
    // Key filters of the edits.
    EXPECT_TRUE(TfrmTestWork::DigitKey('7'));
    EXPECT_FALSE(TfrmTestWork::DigitKey('a'));
    EXPECT_FALSE(TfrmTestWork::NameKey('/'));
    EXPECT_TRUE(TfrmTestWork::NameKey('?'));
    EXPECT_TRUE(TfrmTestWork::PointKey('.'));
}

TEST_F(WizardWindowTest, AnswerKeysInTheGridsAreUpperCasedLabelsBlanksAndMultiples) {
    Open();
    wizard->Work()->OddLabels = "ABCDEF";
    wizard->Work()->EvenLabels = "VWXYZT";
    struct Case {
        char typed;
        bool accepted;
        char stored;
    } cases[] = {{'a', true, 'A'}, {'w', true, 'W'}, {'-', true, '-'}, {'?', true, '?'},
                 {'\b', true, '\b'}, {'3', false, '3'}, {'g', false, 'g'}};
    for (const Case& c : cases) {
        char key = c.typed;
        EXPECT_EQ(wizard->AnswerKey(key), c.accepted) << c.typed;
        if (c.accepted) EXPECT_EQ(key, c.stored) << c.typed;
    }
}

TEST_F(WizardWindowTest, ConfigurationNextChecksItsEntriesInOrder) {
    Open();
    wizard->edtFormNo->SetText("0502");
    script.Answer(mrOk, "Test Name and Form Number must be entered.");
    wizard->btnNext[0]->Click();
    EXPECT_EQ(wizard->PageControl1->ActivePageIndex(), 0);

    wizard->edtTestName->SetText("Algebra");
    wizard->edtQty->SetText("301");
    script.Answer(mrOk, "Max Qty of questions is too large.  It cannot exceed 300.\r\n"
                        "Check form number and number of releveant questions to make sure that it is correct.");
    wizard->btnNext[0]->Click();
    EXPECT_EQ(script.Transcript().back().Request.Type, mtError);
    wizard->edtQty->SetText("0");
    script.Answer(mrOk, "Number of Questions is not in the valid range.");
    wizard->btnNext[0]->Click();
    EXPECT_EQ(wizard->PageControl1->ActivePageIndex(), 0);

    // Corrected, Next passes: 25 questions lay out in three columns.
    wizard->edtQty->SetText("25");
    wizard->edtOdd[1]->SetText(" ");
    wizard->btnNext[0]->Click();
    ASSERT_EQ(wizard->PageControl1->ActivePageIndex(), 1);
    EXPECT_EQ(wizard->Work()->N, 25);
    EXPECT_EQ(wizard->Work()->OddLabels, "A-CDEF");
    ASSERT_EQ(wizard->PointEditors.size(), 25u);
    const TEdit* e25 = wizard->PointEditors[24];
    EXPECT_EQ(e25->Name(), "dbeP25");
    EXPECT_EQ(e25->Left(), 80 * 3 - 40);
    EXPECT_EQ(e25->Top(), 25 * 5 - 15);
    EXPECT_EQ(wizard->PointEditors[9]->Top(), 25 * 10 - 15);
    EXPECT_EQ(wizard->PointLabels[10]->Left(), 80 * 2 - 72);
    EXPECT_EQ(e25->Text(), "1");
    // The groups: the overall group holding every question.
    EXPECT_EQ(wizard->Work()->qmtGroups->RecordCount(), 1);
    EXPECT_EQ(wizard->Work()->qmtQGroups->RecordCount(), 25);
}

TEST_F(WizardWindowTest, PointEditorsWriteTheKeyAndScanPagesFollowTheSheets) {
    Open();
    Configure("0502", "5");
    wizard->edtDPoint->SetText("2");
    wizard->BitBtn1->Click();
    EXPECT_EQ(wizard->PointEditors[3]->Text(), "2");
    wizard->PointEditors[0]->SetText("4");
    wizard->btnNext[1]->Click();
    ASSERT_EQ(wizard->PageControl1->ActivePageIndex(), 2);
    EXPECT_DOUBLE_EQ(wizard->Work()->TotalPossible, 12);
    EXPECT_TRUE(wizard->imgMaster->Visible());
    EXPECT_FALSE(AsControl(wizard->dbgMaster)->Visible());
    EXPECT_FALSE(wizard->btnNext[2]->Enabled());

    // The key sheet: the grid replaces the picture and Next is enabled.
    wizard->Work()->ReceiveBytes(Frame("", "ABCDE"));
    EXPECT_FALSE(wizard->imgMaster->Visible());
    EXPECT_TRUE(AsControl(wizard->dbgMaster)->Visible());
    EXPECT_TRUE(wizard->btnNext[2]->Enabled());
    EXPECT_EQ(wizard->lblMaster->Caption(), "Check for correct values then click on \"Next\"");
    EXPECT_EQ(wizard->Work()->qmtMaster->FieldByName("P1")->AsString(), "4");
    // Clear Values asks first; No keeps the key.
    script.Answer(mrNo, "Are you sure that you want to clear the values of the current record?");
    wizard->btnClear2->Click();
    EXPECT_EQ(wizard->Work()->qmtMaster->FieldByName("Q1")->AsString(), "A");
    // Yes clears every answer, and the next key sheet fills them from the
    // first question again.
    script.Answer(mrYes, "Are you sure that you want to clear the values of the current record?");
    wizard->btnClear2->Click();
    EXPECT_TRUE(wizard->Work()->qmtMaster->FieldByName("Q5")->IsNull());
    wizard->Work()->ReceiveBytes(Frame("", "EDCBA"));
    EXPECT_EQ(wizard->Work()->qmtMaster->FieldByName("Q1")->AsString(), "E");
    script.Answer(mrYes, "Are you sure that you want to clear the values of the current record?");
    wizard->btnClear2->Click();
    wizard->Work()->ReceiveBytes(Frame("", "ABCDE"));

    wizard->btnNext[2]->Click();
    ASSERT_EQ(wizard->PageControl1->ActivePageIndex(), 3);
    EXPECT_TRUE(wizard->imgTests->Visible());
    EXPECT_FALSE(AsControl(wizard->dbgData)->Visible());
    wizard->Work()->ReceiveBytes(Frame("7", "ABCDD"));
    EXPECT_FALSE(wizard->imgTests->Visible());
    EXPECT_TRUE(AsControl(wizard->dbgData)->Visible());
    EXPECT_TRUE(wizard->lblScore->Visible());
    EXPECT_EQ(wizard->lblScore->Caption(), "Score: 10/12, 83.3%");
    // The grids: the ID with D digits, the wrong answer coloured, the
    // errors row in its colour except the right answer's column.
    {
        TTestWorkData* w = wizard->Work();
        EXPECT_EQ(ShownCellText(wizard->dbgData, "IDNo", w->qmtData->GetBookmark()), "07");
        EXPECT_EQ(ShownCellColor(wizard->dbgData, "Q5", w->qmtData->GetBookmark()), kColorWrong);
        EXPECT_EQ(ShownCellColor(wizard->dbgData, "Q1", w->qmtData->GetBookmark()), clWindow);
        ASSERT_EQ(ColumnCount(wizard->dbgErrors), 3);
        EXPECT_EQ(ColumnHeading(wizard->dbgErrors, 1), "Q");
        EXPECT_EQ(ColumnHeading(wizard->dbgErrors, 3), "A");
        EXPECT_EQ(ShownCellColor(wizard->dbgErrors, "Val", w->qmtError->GetBookmark()), kColorWrong);
        EXPECT_NE(ShownCellColor(wizard->dbgErrors, "RghtVal", w->qmtError->GetBookmark()), kColorWrong);
        EXPECT_EQ(ShownCellColor(wizard->dbgMaster, "Q1", w->qmtMaster->GetBookmark()), clWindow);
        // An answer corrected in the students' grid is posted once the
        // cell is left, and the student is scored again.
        ASSERT_TRUE(TypeIntoShownCell(wizard->dbgData, "Q5", w->qmtData->GetBookmark(), "E"));
        UiQueue::ProcessPending();
        EXPECT_EQ(w->qmtData->State(), dsBrowse);
        EXPECT_EQ(w->qmtData->FieldByName("Q5")->AsString(), "E");
        EXPECT_EQ(wizard->lblScore->Caption(), "Score: 12/12, 100%");
    }

    // With diagnostics on, a double click on the heading shows the frames.
    wizard->Work()->RawFrameLogOn = true;
    wizard->Work()->RawFrameLog = "S12E\r\n";
    script.Answer(mrOk, "S12E\r\n");
    wizard->lblTests->DblClick();

    // Back asks first; No stays.
    script.Answer(mrNo, "Going back to the 'Scan Master' screen will clear all scanned tests.\r\n"
                        "Are you sure you want to go back?");
    wizard->btnBack[3]->Click();
    EXPECT_EQ(wizard->PageControl1->ActivePageIndex(), 3);
    // Delete Record asks, then removes the student.
    script.Answer(mrYes, "Are you sure that you want to delete this record and all of its values?");
    wizard->btnClear3->Click();
    EXPECT_EQ(wizard->Work()->qmtData->RecordCount(), 0);

    wizard->btnNext[3]->Click();
    EXPECT_EQ(wizard->PageControl1->ActivePageIndex(), 4);
    EXPECT_EQ(wizard->Reports()->rsSummary->SystemFiler.FileName, home.Dir() + "Algebra - T7");
    EXPECT_EQ(wizard->cbExport->ItemIndex(), 0);
    EXPECT_EQ(wizard->Work()->qmtNames->RecordCount(), 1);  // one empty row to type into
    wizard->btnNext[4]->Click();
    EXPECT_EQ(wizard->PageControl1->ActivePageIndex(), 5);
    script.Answer(mrNo, "Are you sure you are done?");
    wizard->btnDone->Click();
    EXPECT_TRUE(wizard->Visible());
}

TEST_F(WizardWindowTest, TabsCannotBeClickedAndExitAsksFirst) {
    Open();
    bool allow = true;
    wizard->PageControl1->OnChanging(wizard->PageControl1, allow);
    EXPECT_FALSE(allow);
    script.Answer(mrNo, "Are you sure you want to exit?");
    wizard->btnExit[3]->Click();
    EXPECT_FALSE(Application->Terminated());
    script.Answer(mrYes, "Are you sure you want to exit?");
    wizard->btnExit[0]->Click();
    EXPECT_TRUE(Application->Terminated());
}

TEST_F(WizardWindowTest, SettingsAreReadAtShowAndWrittenAtClose) {
    {
        std::ofstream ini(home.Dir() + "VeltmachSettings.ini");
        ini << "[Main]\r\nOddLbls=AB\r\nEvenLbls=\r\nLastForm=3004\r\nSoundOn=0\r\nUseNames=1\r\n";
    }
    Open();
    std::string odd;
    for (TEdit* e : wizard->edtOdd) odd += e->Text();
    std::string even;
    for (TEdit* e : wizard->edtEven) even += e->Text();
    EXPECT_EQ(odd, "AB----");
    EXPECT_EQ(even, "ABCDEF");
    EXPECT_EQ(wizard->edtFormNo->Text(), "3004");
    EXPECT_EQ(wizard->edtQty->Text(), "30");
    EXPECT_FALSE(wizard->cbSoundOn->Checked());
    // No names file: the use-names flag is not taken from the settings.
    EXPECT_FALSE(wizard->cbNames->Checked());

    wizard->BitBtn4->Click();  // the Default labels show, the sets change at Next
    EXPECT_EQ(wizard->edtOdd[5]->Text(), "F");
    EXPECT_EQ(wizard->Work()->OddLabels, "AB----");
    wizard->edtFormNo->SetText(" 202");
    CloseWizard();
    EXPECT_EQ(Setting("LastForm"), "202");
    EXPECT_EQ(Setting("OddLbls"), "AB----");
    EXPECT_EQ(Setting("SoundOn"), "0");
}

TEST_F(WizardWindowTest, TheNamesBoxesAreTwins) {
    Open();
    EXPECT_FALSE(wizard->btnNames->Enabled());
    wizard->cbNames->SetChecked(true);
    EXPECT_TRUE(wizard->cbNamesC->Checked());
    EXPECT_TRUE(wizard->btnNames->Enabled());
    EXPECT_TRUE(wizard->btnNamesC->Enabled());
    EXPECT_EQ(AsControl(wizard->dbgNamesC)->Color(), clWindow);
    wizard->cbNamesC->SetChecked(false);
    EXPECT_FALSE(wizard->cbNames->Checked());
    EXPECT_FALSE(AsControl(wizard->dbgNames)->Enabled());
    EXPECT_EQ(wizard->edtNames->Color(), clBtnFace);
    EXPECT_FALSE(wizard->Work()->cbNames);
}

TEST_F(WizardWindowTest, APortThatCannotBeReachedClosesTheWizard) {
    TestPorts ports;
    auto port = std::make_unique<TSioComPort>(nullptr);
    port->SetComNumber(4);  // a link to a missing device
    wizard = new TfrmTestWork(Application);
    wizard->SioComPort1 = port.get();
    script.Answer(mrOk);
    wizard->Show();
    ASSERT_FALSE(script.Transcript().empty());
    const std::string text = script.Transcript()[0].Request.Text;
    EXPECT_EQ(text.rfind("An error occurred while trying to access the com port.\r\n"
                         "Please make sure that the Veltrane software is properly configured.\r\n(",
                         0),
              0u)
        << text;
    UiQueue::ProcessPending();
    EXPECT_FALSE(wizard->Visible());
    CloseWizard();
}

TEST_F(WizardWindowTest, AProfileSavedInOneWindowLoadsInTheNext) {
    Open();
    Configure("0502", "4");
    wizard->PointEditors[1]->SetText("3");
    wizard->btnNext[1]->Click();
    wizard->Work()->ReceiveBytes(Frame("", "DCBA"));
    wizard->btnNext[2]->Click();
    wizard->btnNext[3]->Click();
    wizard->cbQuotes->SetChecked(true);
    {
        // The profiles dialog in save mode: a new name.
        IdleDriver driver([] {
            if (auto* profiles = ActiveAs<TfrmProfiles>()) {
                profiles->edtPFName->SetText("Weekly quiz");
                profiles->btnSave->Click();
            }
        });
        wizard->BitBtn3->Click();
    }
    CloseWizard();

    Open();
    wizard->edtTestName->SetText("");
    {
        // In load mode: the profile chosen in the list.
        IdleDriver driver([] {
            if (auto* profiles = ActiveAs<TfrmProfiles>()) {
                ASSERT_TRUE(profiles->ProfilesQuery->Locate("PFName", Variant(std::string("Weekly quiz")), 0));
                profiles->btnOK->Click();
            }
        });
        wizard->btnProfile->Click();
    }
    EXPECT_EQ(wizard->edtTestName->Text(), "Algebra");
    EXPECT_EQ(wizard->edtFormNo->Text(), "0502");
    EXPECT_EQ(wizard->edtQty->Text(), "4");
    EXPECT_TRUE(wizard->cbQuotes->Checked());
    wizard->btnNext[0]->Click();
    ASSERT_EQ(wizard->PageControl1->ActivePageIndex(), 1);
    EXPECT_EQ(wizard->PointEditors[1]->Text(), "3");
    wizard->btnNext[1]->Click();
    // The profile's key is shown at once.
    EXPECT_TRUE(AsControl(wizard->dbgMaster)->Visible());
    EXPECT_TRUE(wizard->btnNext[2]->Enabled());
    EXPECT_EQ(wizard->Work()->qmtMaster->FieldByName("Q1")->AsString(), "D");
    EXPECT_DOUBLE_EQ(wizard->Work()->TotalPossible, 6);

    // Another question count: nothing of the profile is taken.
    wizard->btnBack[2]->Click();
    wizard->btnBack[1]->Click();
    wizard->edtQty->SetText("5");
    wizard->btnNext[0]->Click();
    EXPECT_EQ(wizard->PointEditors[1]->Text(), "1");
}

// The scoring wizard's database and dialogs: the profiles database opened
// when the window is made, the hand-offs to the profiles, test sets,
// question groups, penalty and answer-key dialogs, and loading and saving
// profiles. Kept apart from the window's grids: the database components'
// headers and the grid's headers may not meet in one source file.

#include <memory>

#include "app/ProfileStore.h"
#include "app/WorkPrompts.h"
#include "app/fmEditMasterData.h"
#include "app/fmGroupSetup.h"
#include "app/fmPenaltySetup.h"
#include "app/fmProfile.h"
#include "app/fmTestSets.h"
#include "app/fmTestWork.h"
#include "app/uLogFileOq.h"
#include "dbclient/LdbConnection.h"
#include "dbclient/LdbQuery.h"
#include "platform/data/DB.h"

void TfrmTestWork::CreateDatabase() {
    LdbConnection1 = new TLdbConnection(this);
    LdbConnection1->SetName("LdbConnection1");
    LdbConnection1->LdbServerTypes = {stADS_LOCAL};
    LdbConnection1->LoginPrompt = false;
    LdbConnection1->Password = "KORVEL";
    qryProfiles = new TLdbQuery(this);
    qryProfiles->SetName("qryProfiles");
    qryProfiles->SetDatabaseName("LdbConnection1");
    qryProfiles->SQL().SetText("select *\r\nfrom Profiles\r\norder by PFName");
    qryProfiles->RequestLive = true;
    // Creating or opening the database may raise: the window then does not
    // open, and the framework shows the error.
    OpenProfileDatabase(LdbConnection1);
    work_->Connection = LdbConnection1;
    if (LdbConnection1->IsConnected())
        qryProfiles->Open();
    else
        btnProfile->SetVisible(false);
}

void TfrmTestWork::btnProfileClick() {
    LogWrite("Configuration Load Profile Clicked");
    if (!ChooseProfile(false)) return;
    LoadProfileIntoControls();
}

void TfrmTestWork::LoadProfileIntoControls() {
    const TProfileData p = TProfileStore::ReadProfile(*qryProfiles);
    work_->ProfileLoaded = true;
    work_->ProfileNo = qryProfiles->FieldByName("PFNo")->AsInteger();
    work_->ProfileRelQuest = qryProfiles->FieldByName("PFRelQuest")->AsInteger();
    edtTestName->SetText(p.TestName);
    edtTestID->SetText(p.TestID);
    edtFormNo->SetText(p.FormNo.substr(0, 4));
    edtQty->SetText(p.RelQuest);
    cbSoundOn->SetChecked(p.Sounds);
    cbExport->SetItemIndex(p.DefExpFmt);
    work_->cbExport = cbExport->ItemIndex();
    edtFileName->SetText(p.LastSaveDir);
    cbQuotes->SetChecked(p.UseQuotes);
    cbNames->SetChecked(p.UseStdNames);
    edtNames->SetText(p.NamesFile);
    edtNamesC->SetText(p.NamesFile);
    if (!p.NamesFile.empty()) work_->LoadNamesFile(p.NamesFile);
    cbZeros->SetChecked(p.UseLeadingZeros);
    cbPrintScan->SetChecked(p.PrintScan);
    cbxPrintScanTo->SetItemIndex(cbxPrintScanTo->Items()->IndexOf(p.PrintScanTo));
    work_->OddLabels = p.OddLbls;
    work_->EvenLabels = p.EvenLbls;
    ShowAnswerLabels();
}

// The dialogs are created for one showing, handed the wizard's tables and
// values, and freed when they close; they edit the tables in place.

void TfrmTestWork::btnGroupSetupClick() {
    auto dialog = std::make_unique<TfrmGroupSetup>(this);
    dialog->GroupsTable = work_->qmtGroups;
    dialog->QuestionGroupsTable = work_->qmtQGroups;
    dialog->ShowModal();
}

void TfrmTestWork::btnPenaltyClick() {
    auto dialog = std::make_unique<TfrmPenaltySetup>(this);
    dialog->MasterTable = work_->qmtMaster;
    dialog->QtyQuestions = work_->N;
    dialog->ShowModal();
}

void TfrmTestWork::BitBtn5Click() {
    LogWrite("Scan Tests Edit Master Answers Clicked");
    TDataSet* key = work_->qmtMaster;
    auto dialog = std::make_unique<TfrmEditMasterData>(this);
    dialog->SetMasterTable(key);
    dialog->AllowedLabels = work_->OddLabels + work_->EvenLabels;
    dialog->QtyQuestions = work_->N;
    const bool ok = dialog->ShowModal() == mrOk;
    dialog.reset();
    if (key->State() != dsEdit && key->State() != dsInsert) return;
    if (ok)
        key->Post();
    else
        key->Cancel();
    // The corrected key scores the current student again.
    work_->ScoreCurrentRecord();
}

void TfrmTestWork::btnTestSetsClick() {
    LogWrite("Scan Tests Test Sets Clicked");
    auto dialog = std::make_unique<TfrmTstSets>(this);
    dialog->DatabaseName = qryProfiles->DatabaseName();
    dialog->QtyQuestions = work_->N;
    dialog->DataTable = work_->qmtData;
    dialog->TestName = edtTestName->Text();
    dialog->TestID = edtTestID->Text();
    dialog->ProfilesQuery = qryProfiles;
    if (dialog->ShowModal() != mrOk) return;
    // A loaded set goes on with the next record number after its own.
    if (dialog->LastRecNo() > work_->RecordCounter) work_->RecordCounter = dialog->LastRecNo();
    work_->ShowStudentGrids();
}

bool TfrmTestWork::ChooseProfile(bool saving, std::string* name) {
    auto dialog = std::make_unique<TfrmProfiles>(this);
    dialog->ProfilesQuery = qryProfiles;
    dialog->SelectMode = !saving;
    if (dialog->ShowModal() != mrOk) return false;
    if (name) *name = dialog->GetProfileName();
    return true;
}

TProfileData TfrmTestWork::ProfileFromControls() const {
    TProfileData p;
    p.TestName = edtTestName->Text();
    p.TestID = edtTestID->Text();
    p.FormNo = edtFormNo->Text();
    p.RelQuest = edtQty->Text();
    p.Sounds = cbSoundOn->Checked();
    p.DefExpFmt = cbExport->ItemIndex();
    p.LastSaveDir = edtFileName->Text();
    p.UseQuotes = cbQuotes->Checked();
    p.UseStdNames = cbNames->Checked();
    p.NamesFile = edtNames->Text();
    p.UseLeadingZeros = cbZeros->Checked();
    p.PrintScan = cbPrintScan->Checked();
    p.PrintScanTo = cbxPrintScanTo->Text();
    p.OddLbls = work_->OddLabels;
    p.EvenLbls = work_->EvenLabels;
    return p;
}

void TfrmTestWork::BitBtn3Click() {
    LogWrite("Output Save Profile As... Clicked");
    std::string name;
    if (!ChooseProfile(true, &name)) return;
    WorkBusyCursor(true);
    try {
        work_->SaveProfile(*qryProfiles, name, ProfileFromControls());
    } catch (...) {
        WorkBusyCursor(false);
        throw;
    }
    WorkBusyCursor(false);
}


// The scoring wizard's later pages: Scan Master, Scan Tests, Output and
// Finished, the names-file controls shared with the configuration page,
// and the hand-offs to the dialogs.

#include "app/fmTestWork.h"
#include "app/fmTestWorkControls.h"

#include "app/BrandResources.h"
#include "app/WorkGrids.h"
#include "app/WorkPrompts.h"
#include "app/WorkReports.h"
#include "app/uLogFileOq.h"
#include "dbgrid/DBGrid.h"
#include "platform/core/FileUtils.h"
#include "platform/core/Program.h"
#include "platform/core/Strings.h"
#include "platform/core/UiQueue.h"
#include "platform/data/DB.h"
#include "platform/gui/Prompts.h"

using namespace testwork_controls;

namespace {

// The folder part of a file name, with its trailing "/".
std::string FolderOf(const std::string& fileName) {
    const std::size_t slash = fileName.find_last_of('/');
    return slash == std::string::npos ? std::string() : fileName.substr(0, slash + 1);
}

}  // namespace

// ------------------------------------------------------------------ creation

void TfrmTestWork::CreateScanPages() {
    TTabSheet* m = TabSheet2;
    lblMaster = MakeLabel(this, m, "lblMaster", 12, 16, "Please scan the master test form now.");
    lblMaster->Font()->SetStyle(fsBold);
    lblMaster->Font()->SetSize(10);
    imgMaster = MakePicture(this, m, "imgMaster", 150, 60, 320, 240, "ScanMaster.bmp");
    dbgMaster = NewWorkGrid(this, m, "dbgMaster", wgMaster, work_->dsMaster.get());
    dbgMaster->SetBounds(8, 56, 605, 305);
    dbgMaster->SetVisible(false);
    btnClear2 = MakeButton(this, m, "btnClear2", 190, 388, 110, "Clear Values");
    btnClear2->OnClick = [this](TObject*) { btnClear2Click(); };

    TTabSheet* t = TabSheet3;
    lblTests = MakeLabel(this, t, "lblTests", 12, 12, "Drop Test Forms Through Scanner Now");
    lblTests->Font()->SetStyle(fsBold);
    lblTests->Font()->SetSize(10);
    lblTests->OnDblClick = [this](TObject*) { lblTestsDblClick(); };
    lblStudent = MakeLabel(this, t, "lblStudent", 12, 34, " ");
    lblStudent->Font()->SetStyle(fsBold);
    lblScore = MakeLabel(this, t, "lblScore", 300, 34, "");
    imgTests = MakePicture(this, t, "imgTests", 150, 60, 320, 240, "ScanTests.bmp");
    lblError = MakeLabel(this, t, "lblError", 8, 56, "Errors");
    dbgErrors = NewWorkGrid(this, t, "dbgErrors", wgErrors, work_->dsError.get());
    dbgErrors->SetBounds(8, 74, 92, 286);
    dbgData = NewWorkGrid(this, t, "dbgData", wgData, work_->dsData.get());
    dbgData->SetBounds(107, 56, 506, 305);
    for (TControl* c : std::vector<TControl*>{lblError, dbgErrors, dbgData, lblScore}) c->SetVisible(false);
    btnClear3 = MakeButton(this, t, "btnClear3", 146, 388, 90, "Delete Record");
    btnClear3->OnClick = [this](TObject*) { btnClear3Click(); };
    BitBtn5 = MakeButton(this, t, "BitBtn5", 240, 388, 120, "Edit Master Answers");
    BitBtn5->OnClick = [this](TObject*) { BitBtn5Click(); };
    btnTestSets = MakeButton(this, t, "btnTestSets", 364, 388, 62, "Test Sets");
    btnTestSets->OnClick = [this](TObject*) { btnTestSetsClick(); };
    BindGrids();
}

void TfrmTestWork::CreateOutputPage() {
    TTabSheet* p = TabSheet4;
    cbZeros = MakeCheck(this, p, "cbZeros", 12, 8, 290, "Use Leading Zeros for All ID Output", true);

    auto* exportBox = Make<TGroupBox>(this, p, "gbExport", 8, 32, 300, 150);
    exportBox->SetCaption(" Export ");
    cbExport = Make<TComboBox>(this, exportBox, "cbExport", 8, 20, 284, 22);
    cbExport->SetStyle(csDropDownList);
    for (int i = 0; i < kExportFormatCount; ++i) cbExport->Items()->Add(ExportFormatCaption(i));
    MakeLabel(this, exportBox, "lblFileName", 8, 48, "Last Save Directory:");
    edtFileName = Make<TEdit>(this, exportBox, "edtFileName", 8, 66, 284, 22);
    edtFileName->SetReadOnly(true);
    cbQuotes = MakeCheck(this, exportBox, "cbQuotes", 8, 94, 284, "Use &Quotes (\") in Output File", false);
    btnExport = MakeButton(this, exportBox, "btnExport", 8, 116, 130, "&Export to File");
    btnExport->OnClick = [this](TObject*) { btnExportClick(); };
    btnExpBrowse = MakeButton(this, exportBox, "btnExpBrowse", 200, 116, 90, "Browse ...");
    btnExpBrowse->SetVisible(false);
    btnExpBrowse->OnClick = [this](TObject*) { btnExpBrowseClick(); };

    cbStdCorrect = MakeCheck(this, p, "cbStdCorrect", 12, 190, 290, "Print Correct Answers", true);
    cbSumOverall = MakeCheck(this, p, "cbSumOverall", 12, 212, 140, "Print Overall Results", true);
    cbStdOverall = MakeCheck(this, p, "cbStdOverall", 160, 212, 140, "Print Overall Results", true);
    btnSummary = MakeButton(this, p, "btnSummary", 12, 240, 144, "&Summary Report Output");
    btnSummary->OnClick = [this](TObject*) { btnSummaryClick(); };
    btnReports = MakeButton(this, p, "btnReports", 160, 240, 148, "Student &Reports Output");
    btnReports->OnClick = [this](TObject*) { btnReportsClick(); };
    btnAReport = MakeButton(this, p, "btnAReport", 12, 274, 144, "&Analysis Report");
    btnAReport->OnClick = [this](TObject*) { btnAReportClick(); };
    BitBtn3 = MakeButton(this, p, "BitBtn3", 160, 274, 148, "Save Profile As...");
    BitBtn3->OnClick = [this](TObject*) { BitBtn3Click(); };

    auto* print = Make<TGroupBox>(this, p, "gbPrint", 316, 4, 308, 374);
    print->SetCaption(" Print ");
    BitBtn2 = MakeButton(this, print, "BitBtn2", 8, 18, 160, "Set Question &Groups");
    BitBtn2->OnClick = [this](TObject*) { btnGroupSetupClick(); };
    cbNames = MakeCheck(this, print, "cbNames", 8, 50, 290, "Use student &names file", false);
    cbNames->OnClick = [this](TObject*) { cbNamesClick(cbNames); };
    cbFieldNames = MakeCheck(this, print, "cbFieldNames", 8, 72, 290, "Field names in first record of file", false);
    cbFieldNames->SetEnabled(false);
    edtNames = Make<TEdit>(this, print, "edtNames", 8, 96, 200, 22);
    edtNames->SetReadOnly(true);
    btnNames = MakeButton(this, print, "btnNames", 214, 93, 86, "Browse ...");
    btnNames->SetEnabled(false);
    btnNames->OnClick = [this](TObject*) { btnNamesClick(); };
    dbgNames = NewWorkGrid(this, print, "dbgNames", wgNames, work_->dsNames.get());
    dbgNames->SetBounds(8, 124, 292, 120);
    MakeLabel(this, print, "lblImage", 8, 252, "Image");
    MakeLabel(this, print, "lblImageFile", 8, 274, "File Name:");
    edtImage = Make<TEdit>(this, print, "edtImage", 72, 270, 136, 22);
    edtImage->SetReadOnly(true);
    btnImage = MakeButton(this, print, "btnImage", 214, 267, 86, "Browse ...");
    btnImage->OnClick = [this](TObject*) { btnImageClick(); };
    BitBtn6 = MakeButton(this, print, "BitBtn6", 214, 299, 86, "Clear");
    BitBtn6->OnClick = [this](TObject*) { BitBtn6Click(); };
    auto* hint = MakeLabel(this, print, "lblImageSize", 8, 304, "Image size shuold be 1.5\" wide x 0.75\" high (.bmp)");
    hint->SetAutoSize(false);
    hint->SetWordWrap(true);
    hint->SetBounds(8, 302, 200, 34);

    OpenDialog1 = new TOpenDialog(this);
    OpenDialog1->SetName("OpenDialog1");
    OpenDialog1->DefaultExt = "TXT";
    OpenDialog1->Filter = "Text Files (*.TXT)|*.TXT|All Files (*.*)|*.*";
    OpenDialog2 = new TOpenDialog(this);
    OpenDialog2->SetName("OpenDialog2");
    OpenDialog2->Filter = "Bitmap Files (*.bmp)|*.bmp";
    SaveDialog2 = new TSaveDialog(this);
    SaveDialog2->SetName("SaveDialog2");
}

void TfrmTestWork::CreateFinishedPage() {
    TTabSheet* p = TabSheet5;
    lblTitle = MakeLabel(this, p, "lblTitle", 16, 16, "Thank you for using Ombrix.");
    lblTitle->Font()->SetSize(14);
    lblTitle->Font()->SetStyle(fsBold);
    lblTitle->Font()->SetColor(clNavy);
    imgLogo = MakePicture(this, p, "imgLogo", 150, 80, 320, 192, kOmbrixLogo);
    imgLogo2 = MakePicture(this, p, "imgLogo2", 150, 80, 320, 192, kVeltraneLogo);
    imgLogo2->SetVisible(false);
    Image1 = MakePicture(this, p, "Image1", 8, 330, 108, 54, nullptr);
    Image1->SetVisible(false);
}

// ------------------------------------------------------------------- grids

void TfrmTestWork::BindGrids() {
    // Cell colours: the key's blanks and multiple marks; the students'
    // wrong, blank and multiple answers against the key; each error row in
    // the colour of its kind. The students' IDs show with D digits.
    dbgMaster->OnCellLoaded = [this](TObject*, Integer dataCol, const Variant& dataRow, Variant& value) {
        dbgMaster->SetCellColor(dataCol, dataRow, work_->MasterCellColor(VarToStr(value)));
    };
    dbgData->OnCellLoaded = [this](TObject*, Integer dataCol, const Variant& dataRow, Variant& value) {
        TField* field = dbgData->FieldOfCol(dataCol);
        if (!field) return;
        const std::string& name = field->FieldName();
        if (name == "IDNo") {
            value = Variant(work_->DataCellIdText(VarToStr(value)));
        } else if (!name.empty() && name[0] == 'Q') {
            dbgData->SetCellColor(dataCol, dataRow, work_->DataCellColor(field, VarToStr(value)));
        }
    };
    dbgErrors->OnCellLoaded = [this](TObject*, Integer dataCol, const Variant& dataRow, Variant&) {
        const TColor color = ErrorsCellColor(dataCol, static_cast<TColor>(work_->qmtErrordColor->AsInteger()));
        if (color != clNone) dbgErrors->SetCellColor(dataCol, dataRow, color);
    };
    // Editing a student's answer rescores at once; leaving the cell posts
    // the record once the grid has written the value.
    dbgData->OnCellEdit = [this](TObject*, Integer, const Variant&, bool) { work_->ScoreCurrentRecord(); };
    dbgData->OnEndCellEdit = [this](TObject*, Integer, const Variant&, bool&) {
        std::weak_ptr<bool> alive = alive_;
        UiQueue::Post([this, alive] {
            if (alive.expired()) return;
            TDataSet* data = work_->qmtData;
            if (data->State() == dsEdit || data->State() == dsInsert) data->Post();
        });
    };
    work_->OnResetRowState = [this](TObject*) { dbgData->ResetRowState(RowStateBit(rskSelected)); };
    work_->OnSelectRow = [this](TObject*, const TBookmark& row) {
        dbgData->SelectRows(Variant(row), Variant(row), true);
    };
    // Typing into the key and the students' answers: labels, "-" and "?";
    // any key in the students' ID column.
    dbgMaster->OnKeyPress = [this](TObject*, char& key) { dbgMasterKeyPress(key); };
    dbgData->OnKeyPress = [this](TObject*, char& key) { dbgDataKeyPress(key); };
}

void TfrmTestWork::dbgMasterKeyPress(char& key) {
    if (!AnswerKey(key)) key = 0;
}

void TfrmTestWork::dbgDataKeyPress(char& key) {
    // The ID column is found by its field, whatever number the table's
    // layout gives it.
    TField* field = dbgData->FieldOfCol(dbgData->CurrentDataCol());
    if (field && field->FieldName() == "IDNo") return;
    if (!AnswerKey(key)) key = 0;
}

// --------------------------------------------------------------- Scan Master

void TfrmTestWork::btnNext2Click() {
    LogWrite("Scan Master Next Clicked");
    work_->ScanMasterNext();
    dbgData->SetBounds(107, 56, Width() - 134, Height() - 175);
    ShowPage(3);
}

void TfrmTestWork::btnBack2Click() {
    LogWrite("Scan Master Back Clicked");
    ShowPage(1);
}

void TfrmTestWork::btnClear2Click() {
    LogWrite("Scan Master Clear Values Clicked");
    if (work_->qmtMaster->IsEmpty()) return;
    if (!WorkConfirm("Are you sure that you want to clear the values of the current record?")) return;
    work_->ClearMasterAnswers();
}

bool TfrmTestWork::AnswerKey(char& key) const {
    if (key == '\b') return true;
    const char upper = key >= 'a' && key <= 'z' ? static_cast<char>(key - 'a' + 'A') : key;
    const std::string allowed = work_->OddLabels + work_->EvenLabels + "-?";
    if (allowed.find(upper) == std::string::npos) return false;
    key = upper;
    return true;
}

// ---------------------------------------------------------------- Scan Tests

void TfrmTestWork::TabSheet3Show() { work_->ScanTestsShow(); }

void TfrmTestWork::btnNext3Click() {
    LogWrite("Scan Tests Next Clicked");
    SyncReportFields();
    reports_->SetSummaryFileName();
    UpdateNamesControls();
    ShowPage(4);
}

void TfrmTestWork::btnBack3Click() {
    LogWrite("Scan Tests Back Clicked");
    if (WorkConfirm("Going back to the 'Scan Master' screen will clear all scanned tests.\r\n"
                    "Are you sure you want to go back?"))
        ShowPage(2);
}

void TfrmTestWork::btnClear3Click() {
    LogWrite("Scan Tests Delete Record Clicked");
    TDataSet* data = work_->qmtData;
    if (!data->Active() || data->IsEmpty()) return;
    if (!WorkConfirm("Are you sure that you want to delete this record and all of its values?")) return;
    if (data->State() == dsEdit || data->State() == dsInsert) data->Post();
    data->Delete();
}

void TfrmTestWork::lblTestsDblClick() {
    if (work_->RawFrameLogOn) WorkMessage(wmInformation, work_->RawFrameLog);
}

// -------------------------------------------------------------------- Output

void TfrmTestWork::TabSheet4Show() {
    work_->OutputShow();
    cbExport->SetItemIndex(work_->cbExport);
}

void TfrmTestWork::btnNext4Click() {
    LogWrite("Output Next Clicked");
    ShowPage(5);
}

void TfrmTestWork::btnBack4Click() {
    LogWrite("Output Back Clicked");
    ShowPage(3);
}

void TfrmTestWork::cbNamesClick(TCheckBox* clicked) {
    if (updatingNames_) return;
    updatingNames_ = true;
    TCheckBox* other = clicked == cbNames ? cbNamesC : cbNames;
    other->SetChecked(clicked->Checked());
    updatingNames_ = false;
    work_->cbNames = clicked->Checked();
    UpdateNamesControls();
}

void TfrmTestWork::UpdateNamesControls() {
    const bool on = cbNames->Checked();
    const std::vector<TControl*> shown = {edtNames, edtNamesC, dbgNames, dbgNamesC};
    for (TControl* c : shown) {
        c->SetEnabled(on);
        c->SetColor(on ? clWindow : clBtnFace);
    }
    btnNames->SetEnabled(on);
    btnNamesC->SetEnabled(on);
}

void TfrmTestWork::LoadNamesFile(const std::string& fileName) {
    work_->LoadNamesFile(fileName);
    edtNames->SetText(fileName);
    edtNamesC->SetText(fileName);
}

void TfrmTestWork::btnNamesClick() {
    LogWrite("Output Student File Name Browse Clicked");
    if (!OpenDialog1->Execute()) return;
    LoadNamesFile(OpenDialog1->FileName);
}

void TfrmTestWork::btnImageClick() {
    LogWrite("Output Image File Name Browse Clicked");
    if (OpenDialog2->Execute()) edtImage->SetText(OpenDialog2->FileName);
}

void TfrmTestWork::BitBtn6Click() { edtImage->SetText(""); }

void TfrmTestWork::btnExpBrowseClick() {
    if (SaveDialog2->Execute()) edtFileName->SetText(FolderOf(SaveDialog2->FileName));
}

void TfrmTestWork::btnExportClick() {
    work_->cbExport = cbExport->ItemIndex();
    work_->cbQuotes = cbQuotes->Checked();
    work_->cbZeros = cbZeros->Checked();
    work_->edtFileName = edtFileName->Text();
    work_->btnExportClick();
    ShowWorkState();
}

void TfrmTestWork::SyncReportFields() {
    work_->TestName = edtTestName->Text();
    work_->TestID = edtTestID->Text();
    work_->cbZeros = cbZeros->Checked();
    work_->cbNames = cbNames->Checked();
    reports_->TestDate = dtpDate->Date();
    reports_->FormNo = edtFormNo->Text();
    reports_->edtImage = edtImage->Text();
    reports_->cbSumOverall = cbSumOverall->Checked();
    reports_->cbStdOverall = cbStdOverall->Checked();
    reports_->cbStdCorrect = cbStdCorrect->Checked();
    reports_->cbxPrintScanTo = cbxPrintScanTo->Text();
}

void TfrmTestWork::btnSummaryClick() {
    SyncReportFields();
    reports_->btnSummaryClick();
}

void TfrmTestWork::btnReportsClick() {
    SyncReportFields();
    reports_->btnReportsClick();
}

void TfrmTestWork::btnAReportClick() {
    SyncReportFields();
    reports_->btnAReportClick();
}

// ------------------------------------------------------------------ dialogs

// ------------------------------------------------------------------ Finished

void TfrmTestWork::btnBack5Click() {
    LogWrite("Finished Back Clicked");
    ShowPage(4);
}

void TfrmTestWork::btnDoneClick() {
    LogWrite("Finished Done Clicked");
    if (WorkConfirm("Are you sure you are done?")) Close();
}

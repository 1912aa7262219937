// The scoring wizard's window: creating its pages and controls, showing and
// closing it, and the configuration and point-value pages. The scan, output
// and finished pages' handlers are in fmTestWorkPages.cpp.

#include "app/fmTestWork.h"
#include "app/fmTestWorkControls.h"

#include <memory>

#include "app/AppSettings.h"
#include "app/Brand.h"
#include "app/BrandResources.h"
#include "app/DBEdit.h"
#include "app/WorkGrids.h"
#include "app/WorkPrompts.h"
#include "app/WorkReports.h"
#include "app/fmAbout.h"
#include "app/uLogFileOq.h"
#include "dbgrid/DBGrid.h"
#include "platform/core/DateTime.h"
#include "platform/core/FileUtils.h"
#include "platform/core/Program.h"
#include "platform/core/Strings.h"
#include "platform/core/UiQueue.h"
#include "platform/data/DB.h"
#include "platform/print/Printers.h"

using namespace testwork_controls;

namespace {

// The bottom row of every page: Exit and About on the left, Back and Next
// on the right.
constexpr int kRowTop = 388;

}  // namespace

TfrmTestWork::TfrmTestWork(TComponent* owner) : TForm(owner) {
    SetName("frmTestWork");
    SetCaption("Ombrix Scorvane");
    SetPosition(poScreenCenter);
    SetBounds(0, 0, 640, 480);

    // 1. Decimals 1 with the general format; no profile loaded yet.
    work_ = new TTestWorkData(this);
    work_->SetName("TestWorkData");
    reports_ = new TWorkReports(work_, this);
    reports_->SetName("WorkReports");
    CreatePages();
    BindWorkFields();
    // 2. The profiles database; a connection error ends the creation.
    CreateDatabase();
    // 4. Raw-frame log and raw mark-byte mode from the first argument.
    const std::string first = ParamCount() >= 1 ? UpperCase(ParamStr(1)) : std::string();
    work_->RawFrameLogOn = first == "TRACE";
    work_->RawFrameLog.clear();
    work_->RawMarkBytes = first == "GREEN";

    OnShow = [this](TObject* s) { FormShow(s); };
    OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
    DoCreate();
}

TfrmTestWork::~TfrmTestWork() {
    alive_.reset();
    DoDestroy();
    FreePointEditors();
    work_->OnControlsChanged = nullptr;
    work_->OnPrintStudentReport = nullptr;
    work_->DetachPort();
}

// ------------------------------------------------------------------ creation

void TfrmTestWork::CreatePages() {
    PageControl1 = Make<TPageControl>(this, this, "PageControl1", 0, 0, 640, 480);
    PageControl1->SetAlign(alClient);
    PageControl1->OnChanging = [this](TObject* s, bool& allow) { PageControl1Changing(s, allow); };
    const char* names[] = {"TabSheet1", "tsPoints", "TabSheet2", "TabSheet3", "TabSheet4", "TabSheet5"};
    const char* captions[] = {"Configuration", "Point Values", "Scan Master", "Scan Tests", "Output", "Finished"};
    TTabSheet** sheets[] = {&TabSheet1, &tsPoints, &TabSheet2, &TabSheet3, &TabSheet4, &TabSheet5};
    for (int i = 0; i < 6; ++i) {
        auto* sheet = new TTabSheet(this);
        sheet->SetName(names[i]);
        sheet->SetPageControl(PageControl1);
        sheet->SetCaption(captions[i]);
        *sheets[i] = sheet;

        const std::string no = std::to_string(i);
        btnExit[i] = MakeButton(this, sheet, "btnExit" + no, 8, kRowTop, 90, "E&xit");
        btnExit[i]->OnClick = [this](TObject*) { ConfirmExit(); };
        btnAbout[i] = Make<TSpeedButton>(this, sheet, "btnAbout" + no, 106, kRowTop - 2, 32, 32);
        btnAbout[i]->SetHint("About");
        btnAbout[i]->SetShowHint(true);
        btnAbout[i]->OnClick = [this](TObject*) { ShowAbout(); };
        btnBack[i] = MakeButton(this, sheet, "btnBack" + no, 430, kRowTop, 90, "  &Back");
        if (i < 5) {
            btnNext[i] = MakeButton(this, sheet, "btnNext" + no, 528, kRowTop, 90, "&Next  ");
        } else {
            btnDone = MakeButton(this, sheet, "btnDone", 528, kRowTop, 90, "&Done  ");
        }
    }
    btnNext[0]->OnClick = [this](TObject*) { btnNext0Click(); };
    btnBack[0]->OnClick = [this](TObject*) { btnBack0Click(); };
    btnNext[1]->OnClick = [this](TObject*) { btnNext1Click(); };
    btnBack[1]->OnClick = [this](TObject*) { btnBack1Click(); };
    btnNext[2]->OnClick = [this](TObject*) { btnNext2Click(); };
    btnNext[2]->SetEnabled(false);
    btnBack[2]->OnClick = [this](TObject*) { btnBack2Click(); };
    btnNext[3]->OnClick = [this](TObject*) { btnNext3Click(); };
    btnBack[3]->OnClick = [this](TObject*) { btnBack3Click(); };
    btnNext[4]->OnClick = [this](TObject*) { btnNext4Click(); };
    btnBack[4]->OnClick = [this](TObject*) { btnBack4Click(); };
    btnBack[5]->OnClick = [this](TObject*) { btnBack5Click(); };
    btnDone->OnClick = [this](TObject*) { btnDoneClick(); };

    CreateConfigurationPage();
    CreatePointsPage();
    CreateScanPages();
    CreateOutputPage();
    CreateFinishedPage();
}

void TfrmTestWork::CreateConfigurationPage() {
    TTabSheet* p = TabSheet1;
    MakeLabel(this, p, "lblTestName", 12, 14, "TestName:");
    edtTestName = Make<TEdit>(this, p, "edtTestName", 120, 10, 200, 22);
    MakeLabel(this, p, "lblTestID", 12, 42, "Test ID:");
    edtTestID = Make<TEdit>(this, p, "edtTestID", 120, 38, 200, 22);
    MakeLabel(this, p, "lblDate", 12, 70, "Date:");
    dtpDate = Make<TDateTimePicker>(this, p, "dtpDate", 120, 66, 120, 22);
    dtpDate->SetDateFormat(dfShort);
    MakeLabel(this, p, "lblFormNo", 12, 98, "Form Number:");
    edtFormNo = Make<TEdit>(this, p, "edtFormNo", 120, 94, 60, 22);
    edtFormNo->SetMaxLength(4);
    MakeLabel(this, p, "lblFormHelp1", 12, 120, "Enter the first four numbers of the form number.");
    MakeLabel(this, p, "lblFormHelp2", 12, 136, "(Last 4 numbers are version numbers.)");
    MakeLabel(this, p, "lblFormQty", 12, 162, "Form Question Qty:");
    edtFormQty = Make<TEdit>(this, p, "edtFormQty", 130, 158, 40, 22);
    edtFormQty->SetReadOnly(true);
    edtFormQty->SetTabStop(false);
    MakeLabel(this, p, "lblFormID", 186, 162, "Form ID Digits:");
    edtFormID = Make<TEdit>(this, p, "edtFormID", 284, 158, 36, 22);
    edtFormID->SetReadOnly(true);
    edtFormID->SetTabStop(false);
    MakeLabel(this, p, "lblQty", 12, 190, "Number of Relevant Questions:");
    edtQty = Make<TEdit>(this, p, "edtQty", 196, 186, 50, 22);
    MakeLabel(this, p, "lblQtyRange", 254, 190, "(1-300)");

    auto* labels = Make<TGroupBox>(this, p, "gbLabels", 8, 216, 330, 84);
    labels->SetCaption(" Answer Labels ");
    MakeLabel(this, labels, "lblOdd", 8, 26, "Odd Questions");
    MakeLabel(this, labels, "lblEven", 8, 54, "Even Questions");
    const char letters[] = "ABCDEF";
    for (int i = 0; i < 6; ++i) {
        const std::string l(1, letters[i]);
        for (int row = 0; row < 2; ++row) {
            auto* e = Make<TEdit>(this, labels, (row == 0 ? "edtOdd" : "edtEven") + l, 112 + i * 26,
                                  22 + row * 28, 22, 22);
            e->SetMaxLength(1);
            e->SetCharCase(ecUpperCase);
            (row == 0 ? edtOdd : edtEven)[i] = e;
        }
    }
    BitBtn4 = MakeButton(this, labels, "BitBtn4", 272, 34, 50, "&Default");
    BitBtn4->OnClick = [this](TObject*) { BitBtn4Click(); };

    MakeLabel(this, p, "lblDisplay", 12, 308, "Display");
    MakeLabel(this, p, "lblDecimals", 12, 324, "Decimal Places");
    cbDecimals = Make<TComboBox>(this, p, "cbDecimals", 110, 312, 50, 22);
    cbDecimals->SetStyle(csDropDownList);
    for (const char* d : {"1", "2", "3", "4"}) cbDecimals->Items()->Add(d);
    cbDecimals->SetItemIndex(0);
    cbDecimals->OnChange = [this](TObject*) { cbDecimalsChange(); };
    cbSoundOn = MakeCheck(this, p, "cbSoundOn", 180, 314, 150, "Use Drop &Sounds", true);
    btnProfile = MakeButton(this, p, "btnProfile", 12, 346, 120, "Load &Profile");
    btnProfile->OnClick = [this](TObject*) { btnProfileClick(); };

    auto* print = Make<TGroupBox>(this, p, "gbPrintC", 348, 8, 276, 366);
    print->SetCaption(" Print ");
    cbNamesC = MakeCheck(this, print, "cbNamesC", 8, 20, 250, "Use student &names file", false);
    cbFieldNamesC = MakeCheck(this, print, "cbFieldNamesC", 8, 42, 260, "Field names in first record of file", false);
    cbFieldNamesC->SetEnabled(false);
    edtNamesC = Make<TEdit>(this, print, "edtNamesC", 8, 68, 170, 22);
    edtNamesC->SetReadOnly(true);
    btnNamesC = MakeButton(this, print, "btnNamesC", 184, 65, 84, "Browse ...");
    btnNamesC->SetEnabled(false);
    dbgNamesC = NewWorkGrid(this, print, "dbgNamesC", wgNamesC, work_->dsNames.get());
    dbgNamesC->SetBounds(8, 98, 260, 180);
    cbPrintScan = MakeCheck(this, print, "cbPrintScan", 8, 286, 260, "Print Student Reports when Scanned", false);
    MakeLabel(this, print, "lblPrintTo", 8, 316, "Print to:");
    cbxPrintScanTo = Make<TComboBox>(this, print, "cbxPrintScanTo", 64, 312, 204, 22);
    cbxPrintScanTo->SetStyle(csDropDownList);

    cbNamesC->OnClick = [this](TObject*) { cbNamesClick(cbNamesC); };
    btnNamesC->OnClick = [this](TObject*) { btnNamesClick(); };

    edtFormNo->OnChange = [this](TObject*) { ParseFormNumber(); };
    for (TEdit* e : {edtFormNo, edtQty})
        e->OnKeyPress = [](TObject*, char& key) {
            if (!DigitKey(key)) key = 0;
        };
    for (TEdit* e : {edtTestName, edtTestID})
        e->OnKeyPress = [](TObject*, char& key) {
            if (!NameKey(key)) key = 0;
        };
}

void TfrmTestWork::CreatePointsPage() {
    TTabSheet* p = tsPoints;
    MakeLabel(this, p, "lblPoints", 12, 12, "Enter the point values of each question.");
    MakeLabel(this, p, "lblDPoint", 12, 44, "Default Point Value:");
    edtDPoint = Make<TEdit>(this, p, "edtDPoint", 136, 40, 50, 22);
    edtDPoint->SetText("1");
    edtDPoint->OnKeyPress = [](TObject*, char& key) {
        if (!PointKey(key)) key = 0;
    };
    BitBtn1 = MakeButton(this, p, "BitBtn1", 196, 37, 80, "Set &All");
    BitBtn1->OnClick = [this](TObject*) { BitBtn1Click(); };
    btnGroupSetup = MakeButton(this, p, "btnGroupSetup", 290, 37, 160, "Set Question &Groups");
    btnGroupSetup->OnClick = [this](TObject*) { btnGroupSetupClick(); };
    btnPenalty = MakeButton(this, p, "btnPenalty", 458, 37, 160, "Set Penalty &Values");
    btnPenalty->OnClick = [this](TObject*) { btnPenaltyClick(); };
    sbPoints = Make<TScrollBox>(this, p, "sbPoints", 8, 74, 612, 300);
}

// ------------------------------------------------------- the working unit

void TfrmTestWork::BindWorkFields() {
    // The scan pages' controls hold the unit's control states from now on.
    work_->imgMaster.Bind(imgMaster);
    work_->dbgMaster.Bind(dbgMaster);
    work_->btnNext2.Bind(btnNext[2]);
    work_->lblMaster.Bind(lblMaster);
    work_->imgTests.Bind(imgTests);
    work_->dbgData.Bind(dbgData);
    work_->dbgErrors.Bind(dbgErrors);
    work_->lblError.Bind(lblError);
    work_->lblScore.Bind(lblScore);
    work_->lblStudent.Bind(lblStudent);
    work_->OnControlsChanged = [this](TObject*) { ShowWorkState(); };
    work_->OnPrintStudentReport = [this](TObject*) {
        SyncReportFields();
        reports_->PrintStudentOnScan();
    };
    cbZeros->OnClick = [this](TObject*) { work_->cbZeros = cbZeros->Checked(); };
    cbQuotes->OnClick = [this](TObject*) { work_->cbQuotes = cbQuotes->Checked(); };
    cbPrintScan->OnClick = [this](TObject*) { work_->cbPrintScan = cbPrintScan->Checked(); };
    cbExport->OnChange = [this](TObject*) { work_->cbExport = cbExport->ItemIndex(); };
    edtFileName->OnChange = [this](TObject*) { work_->edtFileName = edtFileName->Text(); };
    work_->cbZeros = cbZeros->Checked();
    work_->cbQuotes = cbQuotes->Checked();
    work_->cbPrintScan = cbPrintScan->Checked();
    work_->cbNames = cbNames->Checked();
    work_->cbExport = cbExport->ItemIndex();
    work_->edtFileName = edtFileName->Text();
    ShowWorkState();
}

void TfrmTestWork::ShowWorkState() {
    // The export writes the folder it used back into the unit.
    if (edtFileName->Text() != work_->edtFileName) edtFileName->SetText(work_->edtFileName);
    if (cbExport->ItemIndex() != work_->cbExport) cbExport->SetItemIndex(work_->cbExport);
}

// ------------------------------------------------------------ show, close

void TfrmTestWork::ApplyBrand() {
    const TBrand brand = CurrentBrand();
    brandName_ = BrandName(brand);
    settingsFileName_ = BrandSettingsFileName(brand);
    const bool ombrix = brand == TBrand::Ombrix;
    SetCaption(brandName_ + " Scorvane");
    lblTitle->SetCaption("Thank you for using " + brandName_ + ".");
    imgLogo->SetVisible(ombrix);
    imgLogo2->SetVisible(!ombrix);
    TBitmap glyph;
    LoadEmbeddedBitmap(ombrix ? kOmbrixAboutGlyph : kVeltraneAboutGlyph, &glyph);
    for (TSpeedButton* b : btnAbout) b->SetGlyph(&glyph);
}

void TfrmTestWork::ShowAbout() {
    LogWrite("Click About");
    auto about = std::make_unique<TfrmAbout>(this);
    about->ShowModal();
}

void TfrmTestWork::ConfirmExit() {
    if (WorkConfirm("Are you sure you want to exit?")) Application->Terminate();
}

void TfrmTestWork::FormShow(TObject*) {
    ApplyBrand();
    cbxPrintScanTo->Items()->Clear();
    for (int i = 0; i < Printer()->Printers().Count(); ++i)
        cbxPrintScanTo->Items()->Add(Printer()->Printers().Strings(i));
    ReadSettings();
    dtpDate->SetDate(Date());

    work_->AttachPort(SioComPort1);
    ShowPage(0);
    UpdateNamesControls();
    try {
        work_->StartScanner();
    } catch (const std::exception& e) {
        WorkMessage(wmError, "An error occurred while trying to access the com port.\r\nPlease make sure that the " +
                                 brandName_ + " software is properly configured.\r\n(" + e.what() + ")");
        // The close request is handled once the show is over.
        std::weak_ptr<bool> alive = alive_;
        UiQueue::Post([this, alive] {
            if (!alive.expired()) Close();
        });
    }
}

void TfrmTestWork::ReadSettings() {
    const TWizardSettings s = ReadWizardSettings(SettingsFilePath());
    work_->OddLabels = s.OddLbls;
    work_->EvenLabels = s.EvenLbls;
    ShowAnswerLabels();
    work_->DropSounds.SetEnabled(s.SoundOn);
    edtFileName->SetText(s.LastDir);
    cbPrintScan->SetChecked(s.PrintScan);
    cbxPrintScanTo->SetItemIndex(-1);
    for (int i = 0; i < cbxPrintScanTo->Items()->Count(); ++i)
        if (SameText(cbxPrintScanTo->Items()->Strings(i), s.PrintScanTo)) {
            cbxPrintScanTo->SetItemIndex(i);
            break;
        }
    cbSumOverall->SetChecked(s.SumOverall);
    cbStdOverall->SetChecked(s.StdOverall);
    cbStdCorrect->SetChecked(s.StdCorrect);
    edtImage->SetText(s.ImageFile);
    if (edtNames->Text().empty()) {
        edtNames->SetText(s.NameFile);
        edtNamesC->SetText(s.NameFile);
    }
    if (!edtNames->Text().empty() && FileExists(edtNames->Text())) {
        cbNames->SetChecked(s.UseNames);
        UpdateNamesControls();
        work_->LoadNamesFile(edtNames->Text());
    }
    cbSoundOn->SetChecked(work_->DropSounds.Enabled());
    edtFormNo->SetText(s.LastForm);
    ParseFormNumber();
}

void TfrmTestWork::WriteSettings() {
    TWizardSettings s;
    s.OddLbls = work_->OddLabels;
    s.EvenLbls = work_->EvenLabels;
    s.LastForm = Trim(edtFormNo->Text());
    s.SoundOn = work_->DropSounds.Enabled();
    s.LastDir = edtFileName->Text();
    s.PrintScan = cbPrintScan->Checked();
    s.PrintScanTo = cbxPrintScanTo->Text();
    s.SumOverall = cbSumOverall->Checked();
    s.StdOverall = cbStdOverall->Checked();
    s.StdCorrect = cbStdCorrect->Checked();
    s.ImageFile = edtImage->Text();
    s.NameFile = edtNames->Text();
    s.UseNames = cbNames->Checked();
    WriteWizardSettings(SettingsFilePath(), s);
}

void TfrmTestWork::FormClose(TObject*, TCloseAction&) {
    LogWrite("Work Screen Closed");
    WriteSettings();
}

void TfrmTestWork::PageControl1Changing(TObject*, bool& allowChange) { allowChange = false; }

void TfrmTestWork::ShowPage(TTabSheet* page) { ShowPage(page->PageIndex()); }

void TfrmTestWork::ShowPage(int index) {
    PageControl1->SetActivePageIndex(index);
    static const TWorkPage pages[] = {wpConfiguration, wpPointValues, wpScanMaster,
                                      wpScanTests,     wpOutput,      wpFinished};
    work_->ActivePage = pages[index];
    if (index == 0) TabSheet1Show();
    if (index == 3) TabSheet3Show();
    if (index == 4) TabSheet4Show();
}

// ------------------------------------------------------- configuration

bool TfrmTestWork::DigitKey(char key) { return (key >= '0' && key <= '9') || key == '\b'; }

bool TfrmTestWork::NameKey(char key) {
    for (char bad : std::string("/:<>\\|"))
        if (key == bad) return false;
    return true;
}

bool TfrmTestWork::PointKey(char key) { return DigitKey(key) || key == '.'; }

void TfrmTestWork::ParseFormNumber() {
    const std::string trimmed = work_->ParseFormNumber(edtFormNo->Text());
    if (trimmed != edtFormNo->Text()) edtFormNo->SetText(trimmed);
    edtFormQty->SetText(std::to_string(work_->Q));
    edtFormID->SetText(std::to_string(work_->D));
    edtQty->SetText(std::to_string(work_->Q));
}

void TfrmTestWork::ShowAnswerLabels() {
    work_->OddLabels = TTestWorkData::NormaliseAnswerLabels(work_->OddLabels);
    work_->EvenLabels = TTestWorkData::NormaliseAnswerLabels(work_->EvenLabels);
    for (int i = 0; i < 6; ++i) {
        edtOdd[i]->SetText(work_->OddLabels.substr(static_cast<std::size_t>(i), 1));
        edtEven[i]->SetText(work_->EvenLabels.substr(static_cast<std::size_t>(i), 1));
    }
}

void TfrmTestWork::ReadAnswerLabels() {
    std::vector<std::string> odd, even;
    for (int i = 0; i < 6; ++i) {
        odd.push_back(edtOdd[i]->Text());
        even.push_back(edtEven[i]->Text());
    }
    work_->OddLabels = TTestWorkData::ReadAnswerLabels(odd);
    work_->EvenLabels = TTestWorkData::ReadAnswerLabels(even);
}

void TfrmTestWork::BitBtn4Click() {
    const char letters[] = "ABCDEF";
    for (int i = 0; i < 6; ++i) {
        edtOdd[i]->SetText(std::string(1, letters[i]));
        edtEven[i]->SetText(std::string(1, letters[i]));
    }
}

void TfrmTestWork::cbDecimalsChange() {
    Integer d = 1;
    if (!TryStrToInt(cbDecimals->Text(), d)) d = 1;
    work_->Decimals = d;
}

void TfrmTestWork::TabSheet1Show() {
    cbSoundOn->SetChecked(work_->DropSounds.Enabled());
    if (edtTestName->CanFocus()) edtTestName->SetFocus();
}

void TfrmTestWork::btnNext0Click() {
    LogWrite("Configuration Next Clicked");
    int n = 0;
    const auto check = TTestWorkData::CheckConfiguration(edtTestName->Text(), edtFormNo->Text(), edtQty->Text(), n);
    if (check != TTestWorkData::ccOk) {
        WorkMessage(check == TTestWorkData::ccTooManyQuestions ? wmError : wmInformation,
                    TTestWorkData::ConfigCheckMessage(check));
        TEdit* focus = check == TTestWorkData::ccNameOrFormMissing  ? edtTestName
                       : check == TTestWorkData::ccTooManyQuestions ? edtFormNo
                                                                    : nullptr;
        if (focus && focus->CanFocus()) focus->SetFocus();
        return;
    }
    ReadAnswerLabels();
    work_->TestName = edtTestName->Text();
    work_->TestID = edtTestID->Text();
    FreePointEditors();
    work_->ConfigurationNext(n, cbSoundOn->Checked());
    BuildPointEditors();
    ShowPage(1);
}

void TfrmTestWork::btnBack0Click() {
    LogWrite("Configuration Back Clicked");
    Close();
}

void TfrmTestWork::BuildPointEditors() {
    edtDPoint->SetText("1");
    work_->PreparePointKey();
    for (int n = 1; n <= work_->N; ++n) {
        const std::string no = std::to_string(n);
        // Ten questions to a column: column c holds 10c - 9 to 10c.
        const int row = (n - 1) % 10 + 1;
        const int col = (n + 9) / 10;
        auto* label = Make<TLabel>(this, sbPoints, "lblP" + no, 80 * col - 72, 25 * row - 11, 22, 16);
        label->SetAutoSize(false);
        label->SetAlignment(taRightJustify);
        label->SetCaption(no);
        PointLabels.push_back(label);
        auto* edit = Make<TDBEdit>(this, sbPoints, "dbeP" + no, 80 * col - 40, 25 * row - 15, 35, 22);
        edit->SetDataSource(work_->dsMaster.get());
        edit->SetDataField("P" + no);
        edit->OnKeyPress = [](TObject*, char& k) {
            if (!PointKey(k)) k = 0;
        };
        PointEditors.push_back(edit);
    }
}

void TfrmTestWork::FreePointEditors() {
    while (!PointEditors.empty()) {
        delete PointEditors.back();
        PointEditors.pop_back();
    }
    while (!PointLabels.empty()) {
        delete PointLabels.back();
        PointLabels.pop_back();
    }
}

void TfrmTestWork::BitBtn1Click() { work_->SetAllPoints(edtDPoint->Text()); }

void TfrmTestWork::btnNext1Click() {
    LogWrite("Point Values Next Clicked");
    work_->PointValuesNext();
    dbgMaster->SetBounds(8, 56, Width() - 35, Height() - 175);
    dbgMaster->SetAnchors(akLeft | akTop | akRight | akBottom);
    ShowPage(2);
}

void TfrmTestWork::btnBack1Click() {
    LogWrite("Point Values Back Clicked");
    ShowPage(0);
}

// The summary and student score reports, drawn in code, and print on scan.

#include "app/WorkReports.h"

#include <algorithm>
#include <functional>

#include "app/BrandResources.h"
#include "app/OmbxVpFormSetup.h"
#include "app/TestWorkData.h"
#include "app/fmAReport.h"
#include "app/uLogFileOq.h"
#include "docexport/deExExcelEng.h"
#include "docexport/deRTFEng.h"
#include "docexport/deVzXportIntf.h"
#include "platform/core/FileUtils.h"
#include "platform/core/Format.h"
#include "platform/core/MathUtils.h"
#include "platform/core/Program.h"
#include "platform/core/Strings.h"
#include "report/BaseReport.h"
#include "report/PrinterDevice.h"
#include "report/RenderHTML.h"
#include "report/RenderPDF.h"

namespace {

// Tab stops of the report tables: margin in hundredths of an inch, box
// lines on all four sides, headings shaded 10 percent.
constexpr double kTabMargin = 5;
constexpr Byte kAllLines = BOXLINEALL;
constexpr Byte kHeadingShade = 10;
// A new group starts in the same column only when more lines than this
// are left; otherwise in the next column or on a new page.
constexpr int kGroupStartLines = 9;

TBaseReport* Report(TObject* sender) {
    auto* report = dynamic_cast<TBaseReport*>(sender);
    if (!report) throw Exception("A report event came without its report.");
    return report;
}

}  // namespace

bool LoadReportImage(const std::string& fileName, TBitmap& bitmap) {
    const std::string ext = UpperCase(ExtractFileExt(fileName));
    if (ext != ".BMP" && ext != ".JPG") return false;
    try {
        if (ext == ".BMP") {
            bitmap.LoadFromFile(fileName);
        } else {
            TJPEGImage jpeg;
            jpeg.LoadFromFile(fileName);
            bitmap.Assign(&jpeg);
        }
    } catch (const std::exception&) {
        // A picture that cannot be read is left out of the page.
        return false;
    }
    return bitmap.Width() > 0 && bitmap.Height() > 0;
}

TWorkReports::TWorkReports(TTestWorkData* work, TComponent* owner) : TComponent(owner), work_(work) {
    if (!work_) throw Exception("The reports need the wizard's working unit.");
    try {
        LoadEmbeddedBitmap(CurrentBrand() == TBrand::Ombrix ? kOmbrixLogo : kVeltraneLogo, &imgLogo);
    } catch (const EResNotFound&) {
        // A build without pictures prints no logo.
    }

    rsSummary = new TVzSystem(this);
    rsReports = new TVzSystem(this);
    ConfigureSystem(rsSummary, 0.5);
    ConfigureSystem(rsReports, 2.0);
    rsSummary->OnBeforePrint = [this](TObject* s) { rsSummaryBeforePrint(s); };
    rsSummary->OnPrintHeader = [this](TObject* s) { rsSummaryPrintHeader(s); };
    rsSummary->OnNewColumn = [this](TObject* s) { rsSummaryNewColumn(s); };
    rsSummary->OnPrint = [this](TObject* s) { rsSummaryPrint(s); };
    rsSummary->OverrideSetup = [this](TVzSystem* s, TOverrideMode m, TForm*& f) { rsSummaryOverrideSetup(s, m, f); };
    rsReports->OnBeforePrint = [this](TObject* s) { rsReportsBeforePrint(s); };
    rsReports->OnPrintHeader = [this](TObject* s) { rsReportsPrintHeader(s); };
    rsReports->OnNewColumn = [this](TObject* s) { rsReportsNewColumn(s); };
    rsReports->OnPrint = [this](TObject* s) { rsReportsPrint(s); };

    VPRenderPDF1 = new TVzRenderPDF(this);
    VPRenderPDF1->SetDisplayName("Adobe Acrobat (PDF)");
    VPRenderPDF1->FileExtension = "*.pdf";
    VPRenderPDF1->EmbedFonts = false;
    VPRenderPDF1->ImageQuality = 90;
    VPRenderPDF1->MetafileDPI = 300;
    VPRenderPDF1->FontEncoding = feWinAnsiEncoding;
    VPRenderPDF1->BufferDocument = true;
    VPRenderPDF1->DisableHyperlinks = false;
    VPRenderPDF1->DocInfo.Creator = "Scorvane";
    VPRenderPDF1->DocInfo.Producer = "Scorvane Reports";
    VPRenderHTML1 = new TVzRenderHTML(this);
    VPRenderHTML1->SetDisplayName("Web Page (HTML)");
    VPRenderHTML1->FileExtension = "*.html;*.htm";
    VPRenderHTML1->ServerMode = false;
    VPRenderHTML1->UseBreakingSpaces = false;

    deExcelEngine1 = new TdeExcelEngine(this);
    deExcelEngine1->SetFileExtension("xls");
    deExcelEngine1->SetFileDescription("Microsoft Excel Workbook");
    deRTFEngine1 = new TdeRTFEngine(this);
    deRTFEngine1->SetFileExtension("rtf");
    deRTFEngine1->SetFileDescription("Rich Text Format");
    VzExpXLS = new TdeVizeExportInterface(this);
    VzExpXLS->SetEngine(deExcelEngine1);
    VzExpXLS->SetDoBeginDoc(true);
    VzExpXLS->SetDoEndDoc(true);
    VzExpRTF = new TdeVizeExportInterface(this);
    VzExpRTF->SetEngine(deRTFEngine1);
    VzExpRTF->SetDoBeginDoc(true);
    VzExpRTF->SetDoEndDoc(true);
}

TWorkReports::~TWorkReports() = default;

void TWorkReports::ConfigureSystem(TVzSystem* system, double marginTop) {
    system->TitleSetup = "Output Options";
    system->TitleStatus = "Report Status";
    system->TitlePreview = "Report Preview";
    system->SystemFiler.StatusFormat = "Generating page %p";
    system->SystemPreview.SetZoomFactor(100);
    system->SystemPrinter.MarginBottom = 0.25;
    system->SystemPrinter.MarginLeft = 0.25;
    system->SystemPrinter.MarginRight = 0.25;
    system->SystemPrinter.MarginTop = marginTop;
    system->SystemPrinter.ScaleX = 100;
    system->SystemPrinter.ScaleY = 100;
    system->SystemPrinter.UnitsFactor = 1;
    system->SystemPrinter.StatusFormat = "Printing page %p";
    system->SystemPrinter.Title = "ReportPrinter Report";
}

// ------------------------------------------------------------- handlers

void TWorkReports::btnSummaryClick() {
    LogWrite("Output Summary Report Clicked");
    RunSummaryReport();
}

void TWorkReports::btnReportsClick() {
    LogWrite("Output Student Reports Output Clicked");
    RunStudentReports();
}

void TWorkReports::btnAReportClick() {
    LogWrite("Output Analysis Report Clicked");
    ShowAnalysisReport();
}

namespace {

// Runs a report over the students' table with its grids held still, and
// puts the user's current student back afterwards.
void RunOverStudents(TDataSet* data, const std::function<void()>& run) {
    if (!data->Active()) {
        run();
        return;
    }
    const TBookmark mark = data->IsEmpty() ? TBookmark() : data->GetBookmark();
    data->DisableControls();
    auto restore = [&] {
        data->EnableControls();
        if (!mark.empty() && data->BookmarkValid(mark)) data->GotoBookmark(mark);
    };
    try {
        run();
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

}  // namespace

void TWorkReports::RunSummaryReport() {
    RunOverStudents(work_->qmtData, [this] { rsSummary->RunReport(); });
}

void TWorkReports::RunStudentReports() {
    printOnScan_ = false;
    RunOverStudents(work_->qmtData, [this] { rsReports->RunReport(); });
    FirstGroup(true);
}

void TWorkReports::ShowAnalysisReport() {
    TfrmAReport dialog(nullptr);
    dialog.MasterTable = work_->qmtMaster;
    dialog.DataTable = work_->qmtData;
    dialog.TotalPoints = work_->TotalPossiblePoints();
    dialog.TestName = work_->TestName;
    dialog.TestID = work_->TestID;
    dialog.TestDate = TestDate;
    dialog.FormNo = FormNo;
    dialog.QtyQuestions = work_->N;
    dialog.LogoImage = &imgLogo;
    dialog.EvenLabels = work_->EvenLabels;
    dialog.OddLabels = work_->OddLabels;
    dialog.ImageFile = edtImage;
    dialog.NumberFormat = ffGeneral;
    dialog.Decimals = 1;
    dialog.ShowModal();
}

void TWorkReports::SetSummaryFileName() {
    rsSummary->SystemFiler.FileName =
        IncludeTrailingPathDelimiter(ProgramFolder()) + Trim(work_->TestName) + " - " + Trim(work_->TestID);
}

void TWorkReports::PrintStudentOnScan() {
    TVpPrinterDevice* device = GetPrinterDevice();
    const int remembered = device && !device->NoPrinters() ? device->GetPrinterIndex() : -1;
    const TSystemSetups setups = rsReports->SystemSetups;
    auto restore = [&] {
        printOnScan_ = false;
        rsReports->DefaultDest = rdPreview;
        rsReports->SystemSetups = setups | (1u << ssAllowSetup);
        if (device && remembered >= 0) device->SetPrinterIndex(remembered);
    };
    rsReports->DefaultDest = rdPrinter;
    rsReports->SystemSetups = setups & ~(1u << ssAllowSetup);
    if (device && !device->NoPrinters()) {
        int chosen = -1;
        if (const auto* printers = device->GetPrinters())
            for (int i = 0; i < int(printers->size()); ++i)
                if (SameText((*printers)[std::size_t(i)].DeviceName, cbxPrintScanTo)) {
                    chosen = i;
                    break;
                }
        device->SetPrinterIndex(chosen);
    }
    printOnScan_ = true;
    try {
        rsReports->RunReport();
        FirstGroup(true);
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

void TWorkReports::rsSummaryOverrideSetup(TVzSystem* reportSystem, TOverrideMode mode, TForm*& form) {
    switch (mode) {
        case 0: {
            auto* dialog = new TfrmOmbxVPSetupForm(nullptr);
            dialog->SetCaption(reportSystem->TitleSetup);
            dialog->ReportSystem = reportSystem;
            form = dialog;
            break;
        }
        case 1:
            if (auto* dialog = dynamic_cast<TfrmOmbxVPSetupForm*>(form)) {
                dialog->RangeMode = false;
                if (dialog->ShowModal() == mrCancel) reportSystem->Aborted = true;
            }
            break;
        case 3:
            delete form;
            form = nullptr;
            break;
        default:
            break;
    }
}

// --------------------------------------------------------------- groups

void TWorkReports::SkipOverall(bool printOverall) {
    if (!printOverall && GroupsLeft() && work_->qmtGroupsGGroupNo->AsInteger() == 1) work_->qmtGroups->Next();
}

void TWorkReports::FirstGroup(bool printOverall) {
    if (!work_->qmtGroups->Active()) return;
    work_->qmtGroups->First();
    SkipOverall(printOverall);
    currentGroup_ = GroupsLeft() ? work_->qmtGroupsGGroupNo->AsInteger() : 0;
}

bool TWorkReports::GroupsLeft() const {
    return work_->qmtGroups->Active() && !work_->qmtGroups->Eof();
}

std::string TWorkReports::GroupPrefix() const {
    return work_->qmtGroupsGGroupNo->AsInteger() == 1 ? std::string() : std::string("Sub Group: ");
}

void TWorkReports::SetHeadingTab(TBaseReport* report, double pos, double width) {
    report->SetTab(pos, pjCenter, width, kTabMargin, kAllLines, kHeadingShade);
}

void TWorkReports::SetBodyTab(TBaseReport* report, double pos, double width, int shade) {
    report->SetTab(pos, pjLeft, width, kTabMargin, kAllLines, Byte(shade));
}

// --------------------------------------------------------------- header

void TWorkReports::PrintPictures(TBaseReport* report) {
    if (!edtImage.empty()) {
        TBitmap image;
        if (LoadReportImage(edtImage, image)) report->PrintBitmapRect(6.5, 0.25, 8.0, 1.0, &image);
    }
    if (imgLogo.Width() > 0) report->PrintBitmapRect(0.5, 0.25, 2.0, 1.0, &imgLogo);
}

void TWorkReports::PrintHeaderCommon(TBaseReport* report, bool summary) {
    report->SetMarginTop(0.25);
    report->SetFont("Arial", 18);
    report->Home();
    report->PrintCenter(summary ? "Test Summary Report" : "Student Score Report", report->GetPageWidth() / 2);
    report->CRLF();
    report->CRLF();
    report->SetFont("Arial", 14);
    report->AdjustLine();
    report->CRLF();
    const std::string date = DateToStr(TestDate);
    const double total = work_->TotalPossiblePoints();
    if (summary) {
        report->PrintRight("Test Name: ", 2.2);
        report->PrintLeft(work_->TestName, 2.25);
        report->PrintRight("Date: ", 6.75);
        report->PrintLeft(date, 6.8);
        report->CRLF();
        report->PrintRight("Questions: ", 2.2);
        report->PrintLeft(std::to_string(work_->N), 2.25);
        report->PrintRight("Page: ", 6.75);
        report->PrintLeft(std::to_string(report->CurrentPage()), 6.8);
        report->CRLF();
        report->PrintRight("Ttl Points: ", 2.2);
        report->PrintLeft(work_->F(total), 2.25);
        report->CRLF();
    } else {
        const std::string idText = work_->qmtData->FieldByName("IDNo")->AsString();
        const Int64 id = work_->qmtData->IsEmpty() ? 0 : work_->qmtData->FieldByName("IDNo")->AsLargeInt();
        report->PrintRight("Student: ", 2.2);
        report->PrintLeft(work_->FormatId(idText) + " - " + work_->LookupStudentName(id), 2.25);
        report->PrintRight("Date: ", 6.75);
        report->PrintLeft(date, 6.8);
        report->CRLF();
        report->PrintRight("Test: ", 2.2);
        report->PrintLeft(work_->TestName, 2.25);
        const double score = work_->EarnedPoints(false);
        report->PrintRight("Score: " + work_->F(score) + "/" + work_->F(total) + "  " +
                               work_->F(work_->P(score, total)) + "%",
                           8.0);
        report->CRLF();
    }
    PrintPictures(report);
    report->SetMarginTop(summary ? 2.0 : 1.75);
    report->Home();
    report->SetFont("Arial", 10);
    report->AdjustLine();
}

// -------------------------------------------------------------- summary

void TWorkReports::rsSummaryBeforePrint(TObject*) {
    work_->qmtData->First();
    FirstGroup(cbSumOverall);
}

void TWorkReports::rsSummaryPrintHeader(TObject* sender) { PrintHeaderCommon(Report(sender), true); }

void TWorkReports::rsSummaryNewColumn(TObject* sender) {
    TBaseReport* report = Report(sender);
    SkipOverall(cbSumOverall);
    if (!GroupsLeft()) return;
    report->ClearTabs();
    SetHeadingTab(report, 0.25, 4.0);
    report->PrintTab(GroupPrefix() + work_->qmtGroupsGGroupDesc->AsString());
    report->CRLF();
    report->ClearTabs();
    const double widths[] = {1.0, 1.55, 0.75, 0.7};
    for (int i = 0; i < 4; ++i) SetHeadingTab(report, i == 0 ? 0.25 : -1, widths[i]);
    report->SetFont("Arial", 10);
    report->AdjustLine();
    for (const char* heading : {"ID", "Name", "Score", "Pct"}) report->PrintTab(heading);
    report->CRLF();
    report->ClearTabs();
    for (int i = 0; i < 4; ++i) SetBodyTab(report, i == 0 ? 0.25 : -1, widths[i], 0);
    savedY_ = report->YPos();
}

void TWorkReports::rsSummaryPrint(TObject* sender) {
    TBaseReport* report = Report(sender);
    TqmtMemTable* data = work_->qmtData;
    FirstGroup(cbSumOverall);
    report->SetColumns(2, 0);
    bool firstGroup = true;
    while (GroupsLeft()) {
        if (!firstGroup) {
            if (report->ColumnLinesLeft() <= kGroupStartLines) {
                report->NewPage();
                report->GotoXY(report->XPos(), savedY_);
            } else if (report->LinesLeft() > kGroupStartLines) {
                report->CRLF();
                rsSummaryNewColumn(report);
            } else {
                report->NewColumn();
            }
        }
        firstGroup = false;
        const double possible = work_->PossiblePoints();
        double sum = 0;
        int count = 0;
        data->First();
        while (!data->Eof()) {
            // At least one student per page, so a page too small for a
            // line still ends.
            bool printed = false;
            while (!data->Eof() && (!printed || report->ColumnLinesLeft() >= 1)) {
                const double earned = work_->EarnedPoints(true);
                report->PrintTab(work_->FormatId(data->FieldByName("IDNo")->AsString()));
                report->PrintTab(work_->LookupStudentName(data->FieldByName("IDNo")->AsLargeInt()));
                report->PrintTab(work_->F(earned));
                report->PrintTab(work_->F(work_->P(earned, possible)) + "%");
                report->CRLF();
                sum += earned;
                ++count;
                printed = true;
                data->Next();
            }
            if (!data->Eof()) {
                report->NewPage();
                report->GotoXY(report->XPos(), savedY_);
                report->CRLF();
                report->CRLF();
            }
        }
        // No students: the average of nothing is shown as 0.
        const double average = count > 0 ? RoundHalfEven(sum / count, ScoreDecimals(work_->Decimals)) : 0.0;
        report->PrintTab(" ");
        report->PrintTab("Group Total");
        report->PrintTab(work_->F(average));
        report->PrintTab(work_->F(work_->P(average, possible)) + "%");
        report->CRLF();
        work_->qmtGroups->Next();
    }
    work_->qmtGroups->First();
}

// ------------------------------------------------------ student reports

void TWorkReports::rsReportsBeforePrint(TObject*) {
    if (!printOnScan_) work_->qmtData->First();
    FirstGroup(cbStdOverall);
}

void TWorkReports::rsReportsPrintHeader(TObject* sender) { PrintHeaderCommon(Report(sender), false); }

void TWorkReports::PrintGroupTitle(const std::string& prefix, TBaseReport* report) {
    report->ClearTabs();
    SetHeadingTab(report, 0.25, 2.0);
    report->PrintTab(prefix + work_->qmtGroupsGGroupDesc->AsString());
    report->CRLF();
}

void TWorkReports::rsReportsNewColumn(TObject* sender) {
    TBaseReport* report = Report(sender);
    SkipOverall(cbStdOverall);
    if (!GroupsLeft()) return;
    PrintGroupTitle(GroupPrefix(), report);
    report->ClearTabs();
    for (int i = 0; i < 4; ++i) SetHeadingTab(report, i == 0 ? 0.25 : -1, 0.5);
    report->SetFont("Arial", 10);
    report->AdjustLine();
    for (const char* heading : {"Q", "A", " ", "Pt"}) report->PrintTab(heading);
    report->CRLF();
    report->ClearTabs();
    for (int i = 0; i < 4; ++i) SetBodyTab(report, i == 0 ? 0.25 : -1, 0.5, i == 0 ? kHeadingShade : 0);
}

void TWorkReports::PrintStudentTotal(TBaseReport* report, double earned, double possible) {
    report->PrintTab("Ttl->");
    report->PrintTab(work_->F(work_->P(earned, possible)) + "%");
    report->PrintTab(work_->F(possible));
    report->PrintTab(work_->F(earned));
    report->CRLF();
}

void TWorkReports::rsReportsPrint(TObject* sender) {
    TBaseReport* report = Report(sender);
    TqmtMemTable* data = work_->qmtData;
    TqmtMemTable* key = work_->qmtMaster;
    report->SetColumns(4, 0);
    bool newPageStarted = false;
    auto newPage = [&] {
        report->NewPage();
        newPageStarted = true;
    };
    while (!data->Eof() || (printOnScan_ && !data->IsEmpty())) {
        FirstGroup(cbStdOverall);
        double earned = 0, possible = 0;
        bool firstOfStudent = true;
        while (GroupsLeft()) {
            if (!firstOfStudent) {
                PrintStudentTotal(report, earned, possible);
                earned = possible = 0;
            }
            if (report->ColumnNum() == 1 && report->CurrentPage() != 1) report->CRLF();
            if (work_->qmtGroupsGGroupNo->AsInteger() != currentGroup_) {
                if (report->ColumnLinesLeft() <= kGroupStartLines) {
                    newPage();
                } else if (report->LinesLeft() > kGroupStartLines) {
                    report->CRLF();
                    rsReportsNewColumn(report);
                } else {
                    report->NewColumn();
                }
            }
            firstOfStudent = false;
            for (int n = 1; n <= work_->N; ++n) {
                if (!work_->QuestionInGroup(n)) continue;
                if (newPageStarted) {
                    report->CRLF();
                    newPageStarted = false;
                }
                const std::string no = std::to_string(n);
                const std::string answer = data->FieldByName("Q" + no)->AsString();
                const std::string keyAnswer = key->FieldByName("Q" + no)->AsString();
                const std::string pointText = key->FieldByName("P" + no)->AsString();
                const std::string penaltyText = key->FieldByName("S" + no)->AsString();
                const double points = ReadPointValue(pointText);
                const double penalty = penaltyText.empty() ? 0.0 : ReadPointValue(penaltyText);
                possible += points;
                report->PrintTab(no);
                report->PrintTab(answer);
                const std::string wrongMark = cbStdCorrect ? "X - " + keyAnswer : std::string("X ");
                if (answer == keyAnswer) {
                    earned += points;
                    report->PrintTab(" ");
                    report->PrintTab(pointText);
                } else if (answer != "-" && answer != "?" && penalty != 0) {
                    earned -= penalty;
                    report->PrintTab(wrongMark);
                    report->PrintTab("-" + penaltyText);
                } else {
                    report->PrintTab(wrongMark);
                    report->PrintTab("0");
                }
                report->CRLF();
                if (report->LinesLeft() == 0) newPage();
            }
            work_->qmtGroups->Next();
        }
        if (!firstOfStudent) PrintStudentTotal(report, earned, possible);
        if (printOnScan_) break;
        data->Next();
        if (!data->Eof()) {
            FirstGroup(cbStdOverall);
            newPage();
        }
    }
    work_->qmtGroups->First();
}

// Report speed: the summary report, the student score reports and the
// analysis report of a class of 1,000 students (50 questions, three
// groups, penalties) written to PDF, with pages per second and the total
// time of each; then the customer spreadsheet export (format 10) of 200
// students through LibreOffice Calc, with the time per student.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "app/TestWorkData.h"
#include "app/WorkReports.h"
#include "app/fmAReport.h"
#include "app/OQ_XLS_Export.h"
#include "platform/core/UiQueue.h"
#include "platform/gui/Forms.h"
#include "platform/office/CalcAutomation.h"
#include "report/RenderPDF.h"

namespace {

constexpr int kQuestions = 50;
constexpr int kStudents = 1000;
constexpr int kSpreadsheetStudents = 200;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// Pages of a written PDF: its page objects.
int PdfPages(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const std::string pdf = text.str();
    int pages = 0;
    for (std::size_t at = pdf.find("/Type /Page"); at != std::string::npos; at = pdf.find("/Type /Page", at + 1))
        if (pdf.compare(at, 12, "/Type /Pages") != 0) ++pages;
    return pages;
}

void FillClass(TTestWorkData& work, int students) {
    std::mt19937 rng(2026);
    work.N = kQuestions;
    work.Q = kQuestions;
    work.D = 6;
    work.RebuildTables();
    work.qmtGroups->Open();
    work.qmtGroups->AppendRecord({Variant(1), Variant(std::string("Overall Group"))});
    work.qmtGroups->AppendRecord({Variant(2), Variant(std::string("First half"))});
    work.qmtGroups->AppendRecord({Variant(3), Variant(std::string("Second half"))});
    work.qmtQGroups->Open();
    for (int n = 1; n <= kQuestions; ++n)
        work.qmtQGroups->AppendRecord({Variant(n), Variant(std::string(n <= kQuestions / 2 ? "(1,2)" : "(1,3)"))});
    static const char kChoices[] = "ABCDE";
    static const char kMarks[] = "ABCDEABCDEABCDEAAAAA-?";
    work.qmtMaster->Append();
    work.qmtMaster->FieldByName("RecNo")->SetAsInteger(1);
    for (int n = 1; n <= kQuestions; ++n) {
        const std::string no = std::to_string(n);
        work.qmtMaster->FieldByName("Q" + no)->SetAsString(std::string(1, kChoices[rng() % 5]));
        work.qmtMaster->FieldByName("P" + no)->SetAsString(std::to_string(1 + rng() % 3));
        if (n % 5 == 0) work.qmtMaster->FieldByName("S" + no)->SetAsString("0.5");
    }
    work.qmtMaster->Post();
    for (int s = 0; s < students; ++s) {
        work.qmtData->Append();
        work.qmtData->FieldByName("RecNo")->SetAsInteger(s + 1);
        work.qmtData->FieldByName("IDNo")->SetAsLargeInt(100000 + s);
        for (int n = 1; n <= kQuestions; ++n)
            work.qmtData->FieldByName("Q" + std::to_string(n))
                ->SetAsString(std::string(1, kMarks[rng() % (sizeof kMarks - 1)]));
        work.qmtData->Post();
    }
    work.OutputShow();
}

void RunToPdf(TVzSystem* system, TVPRender* renderer, const std::string& fileName) {
    system->SystemSetups &= ~(1u << ssAllowSetup);
    system->SystemOptions &= ~(1u << soShowStatus);
    system->DefaultDest = rdFile;
    system->PrinterFileOutput = false;
    system->SetFileRenderer(renderer);
    system->OutputFileName = fileName;
    system->RunReport();
}

void Report(const char* name, const std::string& fileName, Clock::time_point start) {
    const double seconds = Seconds(start);
    const int pages = PdfPages(fileName);
    std::printf("%-22s %5d pages  %8.3f s  %8.1f pages/s\n", name, pages, seconds, pages / seconds);
}

}  // namespace

int main(int argc, char** argv) {
    Application->Initialize();
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "reports-bench";
    std::filesystem::create_directories(dir);
    const auto total = Clock::now();

    TTestWorkData work(nullptr);
    FillClass(work, kStudents);
    work.TestName = "Benchmark";
    work.TestID = "1";
    TWorkReports reports(&work);
    std::printf("%d students, %d questions, three groups\n", kStudents, kQuestions);

    auto start = Clock::now();
    const std::string summary = (dir / "summary.pdf").string();
    RunToPdf(reports.rsSummary, reports.VPRenderPDF1, summary);
    Report("summary report", summary, start);

    start = Clock::now();
    const std::string students = (dir / "students.pdf").string();
    RunToPdf(reports.rsReports, reports.VPRenderPDF1, students);
    Report("student reports", students, start);

    start = Clock::now();
    const std::string analysis = (dir / "analysis.pdf").string();
    {
        TfrmAReport dialog(nullptr);
        dialog.MasterTable = work.qmtMaster;
        dialog.DataTable = work.qmtData;
        dialog.TotalPoints = work.TotalPossiblePoints();
        dialog.TestName = work.TestName;
        dialog.TestID = work.TestID;
        dialog.QtyQuestions = work.N;
        dialog.OddLabels = work.OddLabels;
        dialog.EvenLabels = work.EvenLabels;
        dialog.FormShow();
        RunToPdf(dialog.rsAnalysis, dialog.VPRenderPDF1, analysis);
    }
    Report("analysis report", analysis, start);
    std::printf("%-22s %8.3f s\n", "all three reports", Seconds(total));

    std::string why;
    if (!TCalcApplication::Available(&why)) {
        std::printf("format 10 skipped: %s\n", why.c_str());
    } else {
        TTestWorkData small(nullptr);
        FillClass(small, kSpreadsheetStudents);
        const std::string templ = (dir / "template.xls").string();
        {
            TCalcApplication calc;
            TCalcWorkbook book = calc.NewWorkbook(10);
            book.Sheets().Item(10).Protect(kCtapivSheetPassword);
            book.SaveCopyAs(templ, "MS Excel 97");
            calc.Quit();
        }
        start = Clock::now();
        small.ExportCtapivExcel((dir / "filled.xls").string(), templ);
        const double seconds = Seconds(start);
        std::printf("format 10, %d students  %8.3f s  %8.2f ms per student\n", kSpreadsheetStudents, seconds,
                    1000.0 * seconds / kSpreadsheetStudents);
    }
    std::error_code ignored;
    if (argc < 2 || std::string(argv[1]) != "--keep") std::filesystem::remove_all(dir, ignored);
    return 0;
}

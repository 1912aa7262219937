// The summary and student score reports of a scanned class written to PDF
// and read back by qpdf and pdftotext; the summary through the program's
// output-options window; print on scan on a recording printer.

#include "app/tests/ReportTestSupport.h"

#include <map>
#include <regex>
#include <set>

#include "app/OmbxVpFormSetup.h"
#include "platform/print/Printers.h"
#include "report/RenderPDF.h"

namespace {

class WorkReportsTest : public ReportClassFixture {};

TEST_F(WorkReportsTest, SummaryReportListsEveryGroupWithItsTotal) {
    ScanClass();
    const std::string pdf = home.Dir() + "summary.pdf";
    RunToPdf(reports->rsSummary, pdf);
    const std::string text = CheckedPdfText(pdf);
    if (missingTool) GTEST_SKIP() << "qpdf or pdftotext is missing";
    EXPECT_EQ(TextLines(text), TextLines(Golden("summary.txt"))) << text;
    // The groups table is left on its first row.
    EXPECT_EQ(work->qmtGroupsGGroupNo->AsInteger(), 1);
}

TEST_F(WorkReportsTest, StudentReportsPrintOnePagePerStudent) {
    ScanClass();
    reports->cbStdOverall = false;  // the overall group is left out
    const std::string pdf = home.Dir() + "students.pdf";
    RunToPdf(reports->rsReports, pdf);
    const std::string text = CheckedPdfText(pdf);
    if (missingTool) GTEST_SKIP() << "qpdf or pdftotext is missing";
    EXPECT_EQ(TextLines(text), TextLines(Golden("students.txt"))) << text;
}

TEST_F(WorkReportsTest, StudentReportsWithoutCorrectAnswers) {
    ScanClass();
    reports->cbStdCorrect = false;
    reports->cbStdOverall = true;
    const std::string pdf = home.Dir() + "students-overall.pdf";
    RunToPdf(reports->rsReports, pdf);
    const std::string text = CheckedPdfText(pdf);
    if (missingTool) GTEST_SKIP() << "qpdf or pdftotext is missing";
    // Student 456: the wrong answer with a penalty loses it, the blank and
    // the multiple mark score 0, with "X " and no key answer.
    for (const char* expected : {"2 C X -0.5", "3 - X 0", "4 ? X 0", "Ttl-> 50% 9 4.5"})
        EXPECT_TRUE(HasLine(text, expected)) << expected << "\n" << text;
}

TEST_F(WorkReportsTest, OverallGroupAloneAndUntickedPrintsNoGroups) {
    Configure(3, 5, 3);
    SetKey("ABC");
    AddStudent(5, "ABC");
    reports = std::make_unique<TWorkReports>(work.get());
    reports->cbSumOverall = false;
    const std::string pdf = home.Dir() + "empty.pdf";
    RunToPdf(reports->rsSummary, pdf);
    const std::string text = CheckedPdfText(pdf);
    if (missingTool) GTEST_SKIP() << "qpdf or pdftotext is missing";
    EXPECT_EQ(text.find("Group Total"), std::string::npos) << text;
    EXPECT_NE(text.find("Test Summary Report"), std::string::npos) << text;
}

TEST_F(WorkReportsTest, NoStudentsAndNoPointsStillCompleteWithZeros) {
    Configure(2, 5, 3);
    SetKey("AB", {"0", "0"});
    reports = std::make_unique<TWorkReports>(work.get());
    const std::string pdf = home.Dir() + "zero.pdf";
    RunToPdf(reports->rsSummary, pdf);
    const std::string text = CheckedPdfText(pdf);
    if (missingTool) GTEST_SKIP() << "qpdf or pdftotext is missing";
    EXPECT_TRUE(HasLine(text, "Group Total 0 0%")) << text;
}

TEST_F(WorkReportsTest, SummaryAsksTheOutputOptionsWindowForItsFile) {
    ScanClass();
    const std::string base = home.Dir() + "chosen";
    reports->rsSummary->SystemOptions &= ~(1u << soShowStatus);
    std::string caption;
    UiQueue::Post([&] {
        auto* dialog = dynamic_cast<TfrmOmbxVPSetupForm*>(Screen->ActiveForm());
        if (!dialog) {
            ADD_FAILURE() << "the output options window is not showing";
            return;
        }
        caption = dialog->Caption();
        EXPECT_FALSE(dialog->RangeMode);
        dialog->FileRB->SetChecked(true);
        dialog->FileRBClick();
        dialog->editFileName->SetText(base);
        const int pdf = dialog->cboxFormat->Items()->IndexOf("Adobe Acrobat (PDF)");
        ASSERT_GE(pdf, 0);
        dialog->cboxFormat->SetItemIndex(pdf);
        dialog->bbtnOKClick();
    });
    reports->btnSummaryClick();
    EXPECT_EQ(caption, "Output Options");
    EXPECT_FALSE(reports->rsSummary->Aborted);
    EXPECT_TRUE(FileExists(base + ".pdf"));

    // Cancel runs nothing.
    UiQueue::Post([&] {
        if (auto* dialog = dynamic_cast<TfrmOmbxVPSetupForm*>(Screen->ActiveForm())) dialog->CancelBB->Click();
    });
    DeleteFile(base + ".pdf");
    reports->btnSummaryClick();
    EXPECT_TRUE(reports->rsSummary->Aborted);
    EXPECT_FALSE(FileExists(base + ".pdf"));
}

TEST_F(WorkReportsTest, PrintOnScanPrintsEachCompletedStudentOnTheChosenPrinter) {
    reports->cbxPrintScanTo = "OFFICE";  // letter case is ignored
    work->cbPrintScan = true;
    work->OnPrintStudentReport = [&](TObject*) { reports->PrintStudentOnScan(); };
    reports->rsReports->SystemOptions &= ~(1u << soShowStatus);
    TVpPrinterDevice* device = GetPrinterDevice();
    ASSERT_NE(device, nullptr);
    device->SetPrinterIndex(0);

    work->ScanTestsShow();
    work->ReceiveBytes(SheetFrame("123", "ABCDE"));  // incomplete: nothing printed
    EXPECT_TRUE(RecordedPrintJobs().empty());
    work->ReceiveBytes(SheetFrame("123", "FB"));
    work->ReceiveBytes(SheetFrame("456", "AC-?E"));
    work->ReceiveBytes(SheetFrame("456", "FA"));
    ASSERT_EQ(RecordedPrintJobs().size(), 2u);
    for (const TRecordedJob& job : RecordedPrintJobs()) {
        EXPECT_EQ(job.Printer, "Office");
        EXPECT_EQ(job.Pages.size(), 1u);
        EXPECT_TRUE(job.Ended);
    }
    // The chosen printer and the report's own settings are back.
    EXPECT_EQ(device->GetDeviceName(), "Lab Printer");
    EXPECT_EQ(reports->rsReports->DefaultDest, rdPreview);
    EXPECT_TRUE(reports->rsReports->HasSetup(ssAllowSetup));
    EXPECT_FALSE(reports->PrintingOnScan());

    // No printer of that name: the default printer, still without a dialog.
    RecordedPrintJobs().clear();
    reports->cbxPrintScanTo = "";
    device->SetPrinterIndex(1);
    work->ReceiveBytes(SheetFrame("789", "ABCDE"));
    work->ReceiveBytes(SheetFrame("789", "FA"));
    ASSERT_EQ(RecordedPrintJobs().size(), 1u);
    EXPECT_EQ(RecordedPrintJobs()[0].Printer, "Lab Printer");
    EXPECT_EQ(device->GetDeviceName(), "Office");
}

TEST_F(WorkReportsTest, TheReportImageIsPrintedBesideTheLogo) {
    ScanClass();
    QImage picture(30, 15, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(QString::fromStdString(home.Dir() + "school.Bmp"), "BMP"));
    ASSERT_TRUE(picture.save(QString::fromStdString(home.Dir() + "school.gif"), "GIF") ||
                picture.save(QString::fromStdString(home.Dir() + "school.gif"), "BMP"));
    // Images of the page: the logo, and the report image when it is one.
    auto images = [&](const std::string& image) {
        reports->edtImage = image;
        const std::string pdf = home.Dir() + "image.pdf";
        RunToPdf(reports->rsSummary, pdf);
        const std::string bytes = ReadWholeFile(pdf);
        int count = 0;
        for (std::size_t at = bytes.find("/Subtype /Image"); at != std::string::npos;
             at = bytes.find("/Subtype /Image", at + 1))
            ++count;
        return count;
    };
    const int logoOnly = images("");
    EXPECT_EQ(images(home.Dir() + "school.Bmp"), logoOnly + 1);
    EXPECT_EQ(images(home.Dir() + "school.gif"), logoOnly);
    EXPECT_EQ(images(home.Dir() + "missing.jpg"), logoOnly);
}

TEST(ReportImageTest, OnlyBmpAndJpgFilesAreLoaded) {
    TempFolder folder;
    QImage picture(4, 3, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(QString::fromStdString(folder / "logo.BMP"), "BMP"));
    ASSERT_TRUE(picture.save(QString::fromStdString(folder / "logo.jpg"), "JPG"));
    ASSERT_TRUE(picture.save(QString::fromStdString(folder / "logo.gif.bmp"), "BMP"));
    ASSERT_TRUE(picture.save(QString::fromStdString(folder / "logo.png"), "PNG"));
    std::ofstream(folder / "broken.bmp") << "not a picture";
    struct Case {
        const char* name;
        bool loads;
    } cases[] = {{"logo.BMP", true}, {"logo.jpg", true}, {"logo.gif.bmp", true},
                 {"logo.png", false}, {"broken.bmp", false}, {"missing.jpg", false}};
    for (const Case& c : cases) {
        TBitmap bitmap;
        EXPECT_EQ(LoadReportImage(folder / c.name, bitmap), c.loads) << c.name;
        if (c.loads) EXPECT_EQ(bitmap.Width(), 4) << c.name;
    }
}

}  // namespace

namespace {

// Long classes: the summary flows over two columns and several pages, a
// student of 300 questions over four columns and two pages; no line may be
// lost or printed twice at a break.
class LongReportsTest : public ReportClassFixture {
protected:
    static int Count(const std::vector<std::string>& lines, const std::regex& pattern) {
        return int(std::count_if(lines.begin(), lines.end(),
                                 [&](const std::string& line) { return std::regex_match(line, pattern); }));
    }
};

TEST_F(LongReportsTest, SummaryBreaksKeepEveryStudentOncePerGroup) {
    Configure(4, 10, 4);
    SetKey("ABCD");
    AddGroup(2, "Half");
    SetQuestionGroups(1, "(1,2)");
    SetQuestionGroups(2, "(1,2)");
    constexpr int kStudents = 150;
    for (int s = 0; s < kStudents; ++s) AddStudent(1000 + s, s % 2 ? "ABCD" : "AB--");
    reports = std::make_unique<TWorkReports>(work.get());
    const std::string pdf = home.Dir() + "long-summary.pdf";
    RunToPdf(reports->rsSummary, pdf);
    if (!HaveTool("qpdf") || !HaveTool("pdftotext")) GTEST_SKIP() << "qpdf or pdftotext is missing";
    ASSERT_EQ(RunTool("qpdf --check '" + pdf + "'").Exit, 0);
    const std::vector<std::string> lines = TextLines(RunTool("pdftotext -raw '" + pdf + "' -").Output);
    std::map<std::string, int> seen;
    const std::regex student("(1[0-9]{3})(4100%|250%|2100%)");
    for (const std::string& line : lines) {
        std::smatch m;
        if (std::regex_match(line, m, student)) ++seen[m[1]];
    }
    ASSERT_EQ(seen.size(), std::size_t(kStudents));
    for (const auto& [id, times] : seen) EXPECT_EQ(times, 2) << id;
    // Overall: 75 students score 4 and 75 score 2, average 3 of 4; the
    // half group: every student 2 of 2.
    EXPECT_EQ(Count(lines, std::regex("GroupTotal375%")), 1);
    EXPECT_EQ(Count(lines, std::regex("GroupTotal2100%")), 1);
    EXPECT_EQ(Count(lines, std::regex(".*Page:[0-9]+.*")), Count(lines, std::regex("TestSummaryReport")));
    EXPECT_GE(Count(lines, std::regex("TestSummaryReport")), 2);
}

TEST_F(LongReportsTest, StudentOfThreeHundredQuestionsGoesOnOverColumnsAndPages) {
    Configure(300, 100, 3);
    SetKey(std::string(300, 'A'));
    AddStudent(1, std::string(300, 'A'));
    AddStudent(2, std::string(300, 'B'));
    reports = std::make_unique<TWorkReports>(work.get());
    const std::string pdf = home.Dir() + "long-students.pdf";
    RunToPdf(reports->rsReports, pdf);
    if (!HaveTool("qpdf") || !HaveTool("pdftotext")) GTEST_SKIP() << "qpdf or pdftotext is missing";
    ASSERT_EQ(RunTool("qpdf --check '" + pdf + "'").Exit, 0);
    const std::vector<std::string> lines = TextLines(RunTool("pdftotext -raw '" + pdf + "' -").Output);
    std::set<int> right, wrong;
    int rightLines = 0, wrongLines = 0;
    const std::regex rightLine("([0-9]+)A1"), wrongLine("([0-9]+)BX-A0");
    for (const std::string& line : lines) {
        std::smatch m;
        if (std::regex_match(line, m, rightLine)) {
            right.insert(std::stoi(m[1]));
            ++rightLines;
        } else if (std::regex_match(line, m, wrongLine)) {
            wrong.insert(std::stoi(m[1]));
            ++wrongLines;
        }
    }
    EXPECT_EQ(rightLines, 300);
    EXPECT_EQ(wrongLines, 300);
    EXPECT_EQ(right.size(), 300u);
    EXPECT_EQ(wrong.size(), 300u);
    EXPECT_EQ(Count(lines, std::regex("Ttl->100%300300")), 1);
    EXPECT_EQ(Count(lines, std::regex("Ttl->0%3000")), 1);
}

}  // namespace

namespace {

TEST_F(WorkReportsTest, PrintOnScanWithoutAnyPrinterKeepsTheSheet) {
    SetPrinterListForTesting(true, {}, "");
    ResetPrinterDeviceForTesting();
    work->cbPrintScan = true;
    work->OnPrintStudentReport = [&](TObject*) { reports->PrintStudentOnScan(); };
    reports->rsReports->SystemOptions &= ~(1u << soShowStatus);
    work->ScanTestsShow();
    work->ReceiveBytes(SheetFrame("123", "ABCDE"));
    try {
        work->ReceiveBytes(SheetFrame("123", "FB"));
    } catch (const Exception& e) {
        // The report library's own message, for the application to show.
        EXPECT_FALSE(e.Message.empty());
    }
    EXPECT_EQ(work->qmtData->RecordCount(), 1);
    EXPECT_EQ(Answers(7), "ABCDEFB");
    EXPECT_EQ(reports->rsReports->DefaultDest, rdPreview);
    EXPECT_TRUE(reports->rsReports->HasSetup(ssAllowSetup));
    EXPECT_TRUE(RecordedPrintJobs().empty());
}

}  // namespace

// The analysis report of the scanned class: statistics worked out by hand,
// the popularity tables and score distribution as exported files, the
// report read back by qpdf and pdftotext and its chart checked on the
// rendered page.

#include "app/tests/ReportTestSupport.h"

#include <QImage>
#include <cmath>
#include <filesystem>

#include "app/ScoreChart.h"
#include "app/fmAReport.h"
#include "report/RenderPDF.h"

namespace {

class AnalysisReportTest : public ReportClassFixture {
protected:
    // The dialog as the wizard hands the class to it, shown.
    std::unique_ptr<TfrmAReport> OpenDialog() {
        auto dialog = std::make_unique<TfrmAReport>(nullptr);
        dialog->MasterTable = work->qmtMaster;
        dialog->DataTable = work->qmtData;
        dialog->TotalPoints = work->TotalPossiblePoints();
        dialog->TestName = work->TestName;
        dialog->TestID = work->TestID;
        dialog->TestDate = reports->TestDate;
        dialog->FormNo = reports->FormNo;
        dialog->QtyQuestions = work->N;
        dialog->LogoImage = &reports->imgLogo;
        dialog->OddLabels = work->OddLabels;
        dialog->EvenLabels = work->EvenLabels;
        dialog->FormShow();
        return dialog;
    }
    std::string File(const std::string& suffix) const { return home.Dir() + "class" + suffix; }
};

TEST_F(AnalysisReportTest, StatisticsFollowTheRoundedAverages) {
    ScanClass();
    auto dialog = OpenDialog();
    // Scores 8, 8, 4.5, 6 of 9 points; 6, 6, 4, 5 of 7 answers right.
    EXPECT_DOUBLE_EQ(dialog->AverageCorrect(), 5.2);  // 5.25: a half, to the even neighbour
    EXPECT_DOUBLE_EQ(dialog->AverageScore(), 6.6);    // 6.625
    // Deviations from the rounded averages, of the stored per-student values:
    // percent correct 85.7, 85.7, 57.1, 71.4 from 74.3; percent score
    // 88.9, 88.9, 50, 66.7 from 73.3.
    const double correct = 2 * 0.8 * 0.8 + 1.2 * 1.2 + 0.2 * 0.2;
    const double score = 2 * 1.4 * 1.4 + 2.1 * 2.1 + 0.6 * 0.6;
    const double pctCorrect = 2 * 11.4 * 11.4 + 17.2 * 17.2 + 2.9 * 2.9;
    const double pctScore = 2 * 15.6 * 15.6 + 23.3 * 23.3 + 6.6 * 6.6;
    struct Case {
        bool biased;
        double divisor;
    } cases[] = {{false, 3}, {true, 4}};
    for (const Case& c : cases) {
        const TAnalysisDeviations sd = dialog->StandardDeviations(c.biased);
        EXPECT_NEAR(sd.Correct, std::sqrt(correct / c.divisor), 1e-9) << c.biased;
        EXPECT_NEAR(sd.Score, std::sqrt(score / c.divisor), 1e-9) << c.biased;
        EXPECT_NEAR(sd.PercentCorrect, std::sqrt(pctCorrect / c.divisor), 1e-9) << c.biased;
        EXPECT_NEAR(sd.PercentScore, std::sqrt(pctScore / c.divisor), 1e-9) << c.biased;
    }
}

TEST_F(AnalysisReportTest, NothingToDivideByGivesZeros) {
    // One student on a test worth 0 points.
    Configure(2, 5, 3);
    SetKey("AB", {"0", "0"});
    AddStudent(1, "AC");
    reports = std::make_unique<TWorkReports>(work.get());
    auto dialog = OpenDialog();
    EXPECT_EQ(dialog->TotalPoints, 0);
    const TAnalysisDeviations unbiased = dialog->StandardDeviations(false);
    EXPECT_EQ(unbiased.Score, 0);
    EXPECT_EQ(unbiased.PercentScore, 0);
    EXPECT_EQ(dialog->qmtSD->FieldByName("PTPoints")->AsFloat(), 0);
    EXPECT_TRUE(std::isfinite(dialog->StandardDeviations(true).PercentScore));

    // No students at all.
    work->qmtData->EmptyTable();
    dialog->FormShow();
    EXPECT_EQ(dialog->AverageCorrect(), 0);
    EXPECT_EQ(dialog->AverageScore(), 0);
    const TAnalysisDeviations none = dialog->StandardDeviations(true);
    EXPECT_EQ(none.Correct, 0);
    EXPECT_EQ(none.PercentCorrect, 0);
    const std::string pdf = home.Dir() + "empty-analysis.pdf";
    RunToPdf(dialog->rsAnalysis, dialog->VPRenderPDF1, pdf);
    const std::string text = CheckedPdfText(pdf);
    if (missingTool) GTEST_SKIP() << "qpdf or pdftotext is missing";
    EXPECT_TRUE(HasLine(text, "Average Percent Score: 0")) << text;
    EXPECT_TRUE(HasLine(text, "Score Percent Std Dev: 0")) << text;
}

TEST_F(AnalysisReportTest, ReportAndExportsOfTheClass) {
    ScanClass();
    auto dialog = OpenDialog();
    dialog->cbExport->SetChecked(true);
    dialog->edtExport->SetText(File(""));
    const std::string pdf = home.Dir() + "analysis.pdf";
    RunToPdf(dialog->rsAnalysis, dialog->VPRenderPDF1, pdf);

    for (const char* suffix :
         {"_PointValues.txt", "_PenaltyValues.txt", "_PopNumbers.txt", "_PopPercent.txt", "_ScoreDist.txt"})
        EXPECT_EQ(ReadWholeFile(File(suffix)), Golden(std::string("analysis") + suffix)) << suffix;

    const std::string text = CheckedPdfText(pdf);
    if (missingTool) GTEST_SKIP() << "qpdf or pdftotext is missing";
    for (const char* line : {"Test Name: Algebra Test Date: 3/14/2026", "Ttl Points: 9 Form No: 0503",
                             "Students: 4 Test ID: 7", "Question Point Values", "1 2 3 4 5 6 7", "1 2 1 1 1 2 1",
                             "Question Penalty Values", "0.5", "Question Correct Answer A B C D E F - ?",
                             "2 3 B 0 3 1 0 0 0 0 0", "7 25% A 25% 50% 0% 0% 0% 0% 0% 0%",
                             "Average Number Correct: 5.2", "Average Percent Correct: 74.3", "Average Score: 6.6",
                             "Average Percent Score: 73.3", "Standard Deviation Calculated with Un-Biased (N-1) Method",
                             "Student Score Distribution", "Points Earned"})
        EXPECT_TRUE(HasLine(text, line)) << line << "\n" << text;
}

TEST_F(AnalysisReportTest, ChartBarsFollowTheScoreDistribution) {
    ScanClass();
    auto dialog = OpenDialog();
    for (TCheckBox* box : {dialog->cbValues, dialog->cbNumbers, dialog->cbPercent, dialog->cbStatistics})
        box->SetChecked(false);
    const std::string pdf = home.Dir() + "chart.pdf";
    RunToPdf(dialog->rsAnalysis, dialog->VPRenderPDF1, pdf);
    if (!HaveTool("pdftoppm")) GTEST_SKIP() << "pdftoppm is missing";
    const TToolResult rendered = RunTool("pdftoppm -r 60 -png -f 1 -l 1 '" + pdf + "' '" + home.Dir() + "page'");
    ASSERT_EQ(rendered.Exit, 0) << rendered.Output;
    std::string png;
    for (const auto& entry : std::filesystem::directory_iterator(home.Dir()))
        if (entry.path().extension() == ".png") png = entry.path().string();
    QImage page(QString::fromStdString(png));
    ASSERT_FALSE(page.isNull());
    // Columns holding red, grouped into bars; a bar's height is its red
    // run in its middle column.
    auto red = [&](int x, int y) {
        const QColor c = page.pixelColor(x, y);
        return c.red() > 200 && c.green() < 90 && c.blue() < 90;
    };
    struct Bar {
        int First, Last, Height;
    };
    std::vector<Bar> bars;
    for (int x = 0; x < page.width(); ++x) {
        bool any = false;
        for (int y = 0; y < page.height() && !any; ++y) any = red(x, y);
        if (!any) continue;
        if (!bars.empty() && bars.back().Last == x - 1)
            bars.back().Last = x;
        else
            bars.push_back({x, x, 0});
    }
    ASSERT_EQ(bars.size(), 3u);
    for (Bar& bar : bars) {
        const int x = (bar.First + bar.Last) / 2;
        for (int y = 0; y < page.height(); ++y) bar.Height += red(x, y) ? 1 : 0;
    }
    // Scores 4.5 and 6 once, 8 twice, on an axis from 0 to 9.
    EXPECT_NEAR(bars[0].Height, bars[1].Height, 2);
    EXPECT_NEAR(bars[2].Height, 2.0 * bars[0].Height, 3);
    const double c0 = (bars[0].First + bars[0].Last) / 2.0, c1 = (bars[1].First + bars[1].Last) / 2.0,
                 c2 = (bars[2].First + bars[2].Last) / 2.0;
    EXPECT_NEAR((c1 - c0) / (c2 - c0), (6 - 4.5) / (8 - 4.5), 0.05);
}

TEST_F(AnalysisReportTest, ChoiceHeadingsAndValueBlocks) {
    Configure(45, 50, 3);
    SetKey(std::string(45, 'A'));
    work->EvenLabels = "UVWXYZ";
    reports = std::make_unique<TWorkReports>(work.get());
    auto dialog = OpenDialog();
    EXPECT_EQ(dialog->ChoiceHeading(1), "A/U");
    EXPECT_EQ(dialog->ChoiceHeading(6), "F/Z");
    dialog->EvenLabels = "ABC";  // not six long: the plain letters
    EXPECT_EQ(dialog->ChoiceHeading(2), "B");
    dialog->EvenLabels = "ABCDEF";
    EXPECT_EQ(dialog->ChoiceHeading(4), "D");

    for (TCheckBox* box : {dialog->cbNumbers, dialog->cbPercent, dialog->cbStatistics, dialog->cbGraph})
        box->SetChecked(false);
    const std::string pdf = home.Dir() + "values.pdf";
    RunToPdf(dialog->rsAnalysis, dialog->VPRenderPDF1, pdf);
    const std::string text = CheckedPdfText(pdf);
    if (missingTool) GTEST_SKIP() << "qpdf or pdftotext is missing";
    // Blocks of 20, 20 and 5 questions, each heading its own numbers.
    std::string first, second, third = "4142434445";
    for (int q = 1; q <= 20; ++q) first += std::to_string(q);
    for (int q = 21; q <= 40; ++q) second += std::to_string(q);
    const std::vector<std::string> lines = TextLines(text);
    for (const std::string& heading : {first, second, third})
        EXPECT_NE(std::find(lines.begin(), lines.end(), heading), lines.end()) << heading << "\n" << text;
    EXPECT_EQ(text.find("Question Penalty Values"), std::string::npos);
}

TEST_F(AnalysisReportTest, ExportNeedsAnExistingFolderAndAName) {
    ScanClass();
    auto dialog = OpenDialog();
    dialog->rsAnalysis->SystemSetups &= ~(1u << ssAllowSetup);
    dialog->rsAnalysis->DefaultDest = rdFile;
    dialog->rsAnalysis->SetFileRenderer(dialog->VPRenderPDF1);
    dialog->rsAnalysis->OutputFileName = home.Dir() + "never.pdf";
    dialog->cbExport->SetChecked(true);
    const std::string message = "A valid directory and file name must be specified before a file can be exported.";
    for (const std::string& base : {home.Dir() + "missing/class", home.Dir()}) {
        prompts.Ok(message);
        dialog->edtExport->SetText(base);
        dialog->btnPrintClick();
    }
    EXPECT_FALSE(FileExists(home.Dir() + "never.pdf"));
    EXPECT_EQ(Prompted().size(), 2u);
}

TEST(ScoreChartTest, BottomAxisNeverCollapses) {
    TScoreChart chart(nullptr);
    chart.SetBottomMaximum(0);
    EXPECT_EQ(chart.BottomMaximum(), 1);
    chart.SetBottomMaximum(12.5);
    chart.SetBars({{3, 2}, {7.5, 1}});
    EXPECT_EQ(chart.BarCount(), 2u);
    const QImage image = chart.RenderImage();
    EXPECT_EQ(image.size(), QSize(chart.Width(), chart.Height()));
}

}  // namespace

namespace {

TEST_F(AnalysisReportTest, AnExportFileThatCannotBeWrittenEndsTheRun) {
    ScanClass();
    auto dialog = OpenDialog();
    dialog->cbExport->SetChecked(true);
    dialog->edtExport->SetText(File(""));
    // A folder where the point values file would go.
    std::filesystem::create_directories(File("_PointValues.txt"));
    const std::string pdf = home.Dir() + "unwritten.pdf";
    EXPECT_THROW(RunToPdf(dialog->rsAnalysis, dialog->VPRenderPDF1, pdf), Exception);
    EXPECT_FALSE(FileExists(pdf));
}

}  // namespace

// A report project saved, loaded again and its pages printed to PDF: the
// file passes qpdf, its text shows the bar code's readable line, and
// zbarimg reads the bar code from the rendered page.
#include <filesystem>
#include <regex>
#include <string>

#include <unistd.h>

#include <gtest/gtest.h>

#include "report/RenderPDF.h"
#include "report/VSFWriter.h"
#include "report/tests/ReportTestSupport.h"
#include "report/tests/ToolRunner.h"
#include "reportproject/VzCsBars.h"
#include "reportproject/VzCsDraw.h"
#include "reportproject/VzInit.h"
#include "reportproject/VzProj.h"

namespace fs = std::filesystem;

namespace {

class ProjectPdfTest : public ReportPrinterFixture {
protected:
    void SetUp() override {
        ReportPrinterFixture::SetUp();
        dir_ = fs::temp_directory_path() / ("rproj-pdf-" + std::to_string(getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
        ReportPrinterFixture::TearDown();
    }
    fs::path dir_;
};

void BuildReport(TVizeProjectManager& p) {
    p.SetName("Project");
    TVizeReport* report = p.NewReport();
    TVizePage* page1 = report->FirstPage();
    auto* frame = new TVizeRectangle(page1);
    frame->SetName("Frame");
    frame->SetParent(page1);
    frame->SetBoundsRect({0.5, 0.5, 8, 3});
    frame->SetFillStyle(fsClear);
    auto* code = new TVizeCode128BarCode(page1);
    code->SetName("Code");
    code->SetParent(page1);
    code->SetText("SCORE-42");
    code->SetBarWidth(0.02);
    code->SetLeft(1);
    code->SetTop(1);
    code->SetHeight(1);
    TVizePage* page2 = report->NewPage();
    auto* ring = new TVizeCircle(page2);
    ring->SetName("Ring");
    ring->SetParent(page2);
    ring->SetBoundsRect({1, 1, 3, 3});
    auto* rule = new TVizeHLine(page2);
    rule->SetName("Rule");
    rule->SetParent(page2);
    rule->SetBoundsRect({1, 4, 6, 4});
}

}  // namespace

TEST_F(ProjectPdfTest, LoadedProjectPrintsToPdf) {
    for (const char* tool : {"qpdf", "pdftotext", "pdfinfo", "pdftoppm", "zbarimg"})
        ASSERT_TRUE(HaveTool(tool)) << tool << " is not installed (scripts/deps.sh installs it)";
    InitializeReportProject();
    TMemoryStream file;
    {
        TVizeProjectManager saved(nullptr);
        BuildReport(saved);
        saved.SaveToStream(file);
    }
    TVizeProjectManager project(nullptr);
    file.SetPosition(0);
    project.LoadFromStream(file);
    TVizeReport* report = project.ActiveReport();
    ASSERT_NE(report, nullptr);
    ASSERT_EQ(report->Pages().size(), 2u);

    TMemoryStream snapshot;
    {
        TVzVSFWriter w(nullptr);
        w.StreamMode = smUser;
        w.Stream = &snapshot;
        w.OnPrint = [&](TObject*) {
            bool first = true;
            for (TVizePage* page : report->Pages()) {
                if (!first) w.NewPage();
                first = false;
                page->SaveDesignState();
                page->Print(&w);
            }
        };
        w.Execute();
    }
    fs::path pdfFile = dir_ / "project.pdf";
    {
        TVzRenderPDF pdf(nullptr);
        pdf.OpenOutputFile(pdfFile.string());
        pdf.Render(&snapshot);
        pdf.CloseStreams();
    }
    int code;
    std::string out = RunTool("qpdf --check '" + pdfFile.string() + "'", code);
    EXPECT_EQ(code, 0) << out;
    out = RunTool("pdftotext -q '" + pdfFile.string() + "' -", code);
    EXPECT_NE(out.find("SCORE-42"), std::string::npos) << out;
    out = RunTool("pdfinfo '" + pdfFile.string() + "'", code);
    EXPECT_TRUE(std::regex_search(out, std::regex(R"(Pages:\s+2\n)"))) << out;
    RunTool("pdftoppm -r 200 -f 1 -l 1 -png '" + pdfFile.string() + "' '" + (dir_ / "page").string() + "'", code);
    ASSERT_EQ(code, 0);
    out = RunTool("zbarimg -q '" + (dir_ / "page-1.png").string() + "'", code);
    EXPECT_NE(out.find("CODE-128:SCORE-42"), std::string::npos) << out;
}

#pragma once
// Test helpers of the band and component tests: probes that note what they
// printed, a report run into a snapshot in memory, and the snapshot's texts
// page by page as the converter hands them to a renderer.
#include <algorithm>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/core/Streams.h"
#include "report/RenderPDF.h"
#include "report/ReportSystem.h"
#include "report/VSFWriter.h"
#include "report/tests/ToolRunner.h"
#include "report/tests/RecordingRender.h"
#include "reportproject/VzRun.h"
#include "reportproject/tests/BandProject.h"

// What the probes printed, in order: a probe's name, or its name, ":" and
// its data text.
inline std::vector<std::string>& Printed() {
    static std::vector<std::string> log;
    return log;
}

class TProbe : public TVizeDataText {
public:
    using TVizeDataText::TVizeDataText;
    void PrintSelf(TBaseReport*) override {
        Printed().push_back(DataField().empty() ? Name() : Name() + ":" + GetText());
    }
};

inline TProbe* Probe(TVizePage* page, TVizeComponent* parent, const std::string& name,
                     TVizeBaseDataView* view = nullptr, const std::string& field = "") {
    auto* p = Place<TProbe>(page, parent, name);
    p->SetDataView(view);
    p->SetDataField(field);
    return p;
}

// Runs the active report of p into snapshot.
inline void RunToSnapshot(TVizeProjectManager& p, TMemoryStream& snapshot, int pageLimit = VizeDefaultPageLimit) {
    TVzVSFWriter w(nullptr);
    w.StreamMode = smUser;
    w.Stream = &snapshot;
    w.OnPrint = [&](TObject*) { PrintVizeReport(p.ActiveReport(), &w, pageLimit); };
    w.Execute();
}

// What the converter asked of a renderer for the report run.
inline std::vector<std::string> RenderLog(TVizeProjectManager& p) {
    TMemoryStream snapshot;
    RunToSnapshot(p, snapshot);
    snapshot.SetPosition(0);
    TRecordingRender render;
    render.Render(&snapshot);
    return render.Log;
}

// The texts of each page of the report run, macros expanded.
inline std::vector<std::vector<std::string>> PageTexts(TVizeProjectManager& p) {
    std::vector<std::vector<std::string>> pages;
    for (const std::string& line : RenderLog(p)) {
        if (line.rfind("BeginPage", 0) == 0) pages.emplace_back();
        auto open = line.find('\'');
        auto close = line.rfind('\'');
        if (open != std::string::npos && close > open && !pages.empty())
            pages.back().push_back(line.substr(open + 1, close - open - 1));
    }
    return pages;
}

// Runs the active report of p through the report system into a PDF file,
// checks the file with qpdf and answers its text (pdftotext, layout kept).
inline std::string PdfTextOf(TVizeProjectManager& p, const std::string& pdfFile) {
    TVzRenderPDF pdf(nullptr);
    TVzSystem system(nullptr);
    system.SystemSetups &= ~(1u << ssAllowSetup);
    system.SystemOptions &= ~(1u << soShowStatus);
    system.DefaultDest = rdFile;
    system.PrinterFileOutput = false;
    system.SetFileRenderer(&pdf);
    system.OutputFileName = pdfFile;
    system.OnPrint = [&](TObject* sender) { PrintVizeReport(p.ActiveReport(), static_cast<TBaseReport*>(sender)); };
    system.RunReport();
    int code;
    std::string out = RunTool("qpdf --check '" + pdfFile + "'", code);
    EXPECT_EQ(code, 0) << out;
    std::string text = RunTool("pdftotext -q -layout '" + pdfFile + "' -", code);
    EXPECT_EQ(code, 0);
    return text;
}

// The text of the score report (BandProject.h) over rows rows: every row
// once, each team's heading and total, the grand total and the memo that
// runs over pages.
inline void ExpectScoresText(const std::string& text, int rows) {
    for (int i = 1; i <= rows; ++i) {
        std::string row = TGenView::NameOf(i);
        auto at = text.find(row);
        ASSERT_NE(at, std::string::npos) << row;
        EXPECT_EQ(text.find(row, at + 1), std::string::npos) << row << " printed twice";
    }
    long long grand = 0;
    for (int first = 1; first <= rows; first += 50) {
        int last = std::min(first + 49, rows);
        long long sum = (long long)(first + last) * (last - first + 1) / 2;
        grand += sum;
        std::string team = TGenView::TeamOf(first);
        EXPECT_NE(text.find("Start of " + team), std::string::npos) << team;
        EXPECT_TRUE(std::regex_search(text, std::regex("Total of " + team + R"(\s+Sum )" + std::to_string(sum))))
            << team << " " << sum;
    }
    EXPECT_NE(text.find("Grand " + std::to_string(grand)), std::string::npos) << grand;
    EXPECT_NE(text.find("Note line 1 of"), std::string::npos);
    EXPECT_NE(text.find("End of notes."), std::string::npos);
}

// The number of pages of a PDF file (pdfinfo), 0 when it cannot be read.
inline int PdfPageCount(const std::string& pdfFile) {
    int code;
    std::string out = RunTool("pdfinfo '" + pdfFile + "'", code);
    auto at = out.find("Pages:");
    return code == 0 && at != std::string::npos ? std::atoi(out.c_str() + at + 6) : 0;
}

// What zbarimg reads from one page of a PDF file rasterised at 200 dpi
// (pdftoppm) into pngStem.png.
inline std::string BarCodesOnPage(const std::string& pdfFile, int page, const std::string& pngStem) {
    int code;
    std::string n = std::to_string(page);
    std::string out = RunTool("pdftoppm -r 200 -singlefile -f " + n + " -l " + n + " -png '" + pdfFile + "' '" +
                                  pngStem + "'",
                              code);
    EXPECT_EQ(code, 0) << out;
    return RunTool("zbarimg -q '" + pngStem + ".png'", code);
}

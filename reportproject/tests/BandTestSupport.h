#pragma once
// Test helpers of the band and component tests: probes that note what they
// printed, a report run into a snapshot in memory, and the snapshot's texts
// page by page as the converter hands them to a renderer.
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

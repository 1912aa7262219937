// The band engine and the components it prints: a project file saved,
// loaded again and run through the report system to PDF (checked with
// qpdf, pdftotext and zbarimg); band behaviour read from what printed;
// calculated values; reports that would never end.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <regex>
#include <string>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "report/RenderPDF.h"
#include "report/ReportSystem.h"
#include "report/tests/ReportTestSupport.h"
#include "report/tests/ToolRunner.h"
#include "reportproject/VzDataChannel.h"
#include "reportproject/VzInit.h"
#include "reportproject/VzRun.h"
#include "reportproject/tests/BandTestSupport.h"

namespace fs = std::filesystem;

namespace {

class BandReportTest : public ReportPrinterFixture {
protected:
    void SetUp() override {
        ReportPrinterFixture::SetUp();
        InitializeReportProject();
        RegisterGenView();
        dir_ = fs::temp_directory_path() / ("rbands-" + std::to_string(getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
        ReportPrinterFixture::TearDown();
    }
    // Runs the active report of project through the report system into a
    // PDF file and answers the file's text (pdftotext, layout kept).
    std::string PdfText(TVizeProjectManager& project, const fs::path& pdfFile) {
        return PdfTextOf(project, pdfFile.string());
    }
    fs::path dir_;
};

struct SmallReport {
    TVizeProjectManager project{nullptr};
    TGenView* view;
    TVizePage* page;
    TVizeRegion* region;
    TVizeDataBand* data;
    explicit SmallReport(int rows, double regionHeight = 5) {
        view = Place<TGenView>(&project, &project, "V");
        view->SetRowCount(rows);
        Place<TVizeStringField>(&project, view, "VName")->SetFieldName("Name");
        Place<TVizeStringField>(&project, view, "VTeam")->SetFieldName("Team");
        page = project.NewReport()->FirstPage();
        region = Place<TVizeRegion>(page, page, "R");
        region->SetBoundsRect({0.5, 0.5, 8, 0.5 + regionHeight});
        data = Place<TVizeDataBand>(page, region, "D");
        data->SetDataView(view);
        data->SetHeight(0.2);
        Probe(page, data, "Row", view, "Name");
    }
};

}  // namespace

TEST_F(BandReportTest, SavedProjectRunsThroughTheReportSystemToPdf) {
    for (const char* tool : {"qpdf", "pdftotext", "pdfinfo", "pdftoppm", "zbarimg"})
        ASSERT_TRUE(HaveTool(tool)) << tool << " is not installed (scripts/deps.sh installs it)";
    fs::path projectFile = dir_ / "scores.vzp";
    {
        TVizeProjectManager saved(nullptr);
        BuildScoresProject(saved, 200);
        saved.SaveToFile(projectFile.string());
    }
    TVizeProjectManager project(nullptr);
    project.LoadFromFile(projectFile.string());
    ASSERT_NE(project.ActiveReport(), nullptr);

    fs::path pdfFile = dir_ / "scores.pdf";
    std::string text = PdfText(project, pdfFile);
    EXPECT_FALSE(project.Printing());
    ExpectScoresText(text, 200);

    int pages = PdfPageCount(pdfFile.string());
    EXPECT_GE(pages, 4);
    // The heading and the column titles on every page of the region, and
    // the page footer numbering them all.
    auto count = [&](const std::string& s) {
        int n = 0;
        for (auto at = text.find(s); at != std::string::npos; at = text.find(s, at + 1)) ++n;
        return n;
    };
    EXPECT_EQ(count("Scores Report"), pages - 1);
    EXPECT_EQ(count("Name Column"), pages - 1);
    for (int p = 1; p < pages; ++p)
        EXPECT_TRUE(std::regex_search(text, std::regex("Page " + std::to_string(p) + R"(\b)"))) << p;

    std::string out = BarCodesOnPage(pdfFile.string(), pages, (dir_ / "last").string());
    EXPECT_NE(out.find("CODE-128:SCORE-42"), std::string::npos) << out;
}

TEST_F(BandReportTest, RowsServedThroughTheDataChannelGiveTheSameReport) {
    for (const char* tool : {"qpdf", "pdftotext"})
        ASSERT_TRUE(HaveTool(tool)) << tool << " is not installed (scripts/deps.sh installs it)";
    VizeObjectNamePrefix() = "rbands-" + std::to_string(getpid()) + "-";
    FreeVizeDataChannel();
    std::string expected;
    {
        TVizeProjectManager project(nullptr);
        BuildScoresProject(project, 200);
        expected = PdfText(project, dir_ / "made.pdf");
    }
    ASSERT_NE(expected.find("Row200"), std::string::npos);
    {
        // A connection of this process.
        TVizeDataConnect connect(nullptr);
        connect.SetName("ScoreData");
        TScoreSource source{200};
        source.Attach(connect);
        TVizeProjectManager project(nullptr);
        BuildScoresProject(project, 200, "ScoreData");
        EXPECT_EQ(PdfText(project, dir_ / "here.pdf"), expected);
    }
    FreeVizeDataChannel();
    {
        // A connection served by another process until the report ends
        // (its restore request) or a deadline passes.
        pid_t child = fork();
        ASSERT_NE(child, -1);
        if (child == 0) {
            TVizeDataConnect connect(nullptr);
            connect.SetName("ScoreData");
            TScoreSource source{200};
            source.Attach(connect);
            TVizeDataServer server(connect, true);
            auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (std::chrono::steady_clock::now() < until)
                if (server.ServeOnce(20) == dcRestore) _exit(0);
            _exit(3);
        }
        TVizeProjectManager project(nullptr);
        BuildScoresProject(project, 200, "ScoreData");
        std::string text = PdfText(project, dir_ / "there.pdf");
        int status = 0;
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (waitpid(child, &status, WNOHANG) == 0 && std::chrono::steady_clock::now() < until) usleep(5000);
        if (waitpid(child, &status, WNOHANG) == 0) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
        }
        EXPECT_EQ(text, expected);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the serving process did not see the report end";
    }
    FreeVizeDataChannel();
    VizeObjectNamePrefix().clear();
}

TEST_F(BandReportTest, BandsPrintAroundTheRowsTheyControl) {
    struct Case {
        const char* name;
        int rows;
        int maxRows;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"empty view prints no body header or footer", 0, 0, {}},
        {"groups open and close on key changes",
         3,
         0,
         {"Head", "Group:Team A", "Row:Row001", "Row:Row002", "Row:Row003", "Foot:Team A", "Tail"}},
        {"MaxRows stops the rows and prints the footer", 5, 2,
         {"Head", "Group:Team A", "Row:Row001", "Row:Row002", "Tail"}},
    };
    for (const Case& c : cases) {
        SmallReport r(c.rows);
        r.data->SetMaxRows(c.maxRows);
        Probe(r.page, AddBand(r.page, r.region, "H", r.data, plBodyHeader, 0.2), "Head");
        TVizeBand* g = AddBand(r.page, r.region, "G", r.data, plGroupHeader, 0.2);
        g->SetGroupKey("Team");
        g->SetGroupDataView(r.view);
        Probe(r.page, g, "Group", r.view, "Team");
        TVizeBand* f = AddBand(r.page, r.region, "F", r.data, plGroupFooter, 0.2);
        f->SetGroupKey("Team");
        f->SetGroupDataView(r.view);
        // A footer's data is the row it closes: the last of its group.
        Probe(r.page, f, "Foot", r.view, "Team");
        Probe(r.page, AddBand(r.page, r.region, "T", r.data, plBodyFooter, 0.2), "Tail");
        Printed().clear();
        TMemoryStream s;
        RunToSnapshot(r.project, s);
        EXPECT_EQ(Printed(), c.expected) << c.name;
    }
}

TEST_F(BandReportTest, GroupBoundariesAndPageBreaks) {
    // 120 rows in a region of 2 inches (ten rows a page with headers): a
    // footer closes each team with its own rows, a header repeats on each
    // page, and no row is lost or printed twice across the breaks.
    SmallReport r(120, 2.0);
    TVizeBand* head = AddBand(r.page, r.region, "H", r.data, plBodyHeader, 0.2, OccBit(poFirst) | OccBit(poNewPage));
    Probe(r.page, head, "Head");
    TVizeBand* f = AddBand(r.page, r.region, "F", r.data, plGroupFooter, 0.2);
    f->SetGroupKey("Team");
    f->SetGroupDataView(r.view);
    auto* sum = AddText<TVizeCalcText>(r.page, f, "Count", 0, 1);
    sum->SetController(r.data);
    sum->CalcType = ctCount;
    Probe(r.page, f, "Foot", r.view, "Team");
    Printed().clear();
    TMemoryStream s;
    RunToSnapshot(r.project, s);
    std::vector<std::string> rows, feet;
    int heads = 0;
    for (const std::string& e : Printed()) {
        if (e.rfind("Row:", 0) == 0) rows.push_back(e.substr(4));
        if (e.rfind("Foot:", 0) == 0) feet.push_back(e.substr(5));
        if (e == "Head") ++heads;
    }
    ASSERT_EQ(rows.size(), 120u);
    for (int i = 0; i < 120; ++i) EXPECT_EQ(rows[size_t(i)], TGenView::NameOf(i + 1));
    EXPECT_EQ(feet, (std::vector<std::string>{"Team A", "Team B", "Team C"}));
    EXPECT_GE(heads, 12);  // once per page at least
}

TEST_F(BandReportTest, DetailBandRunsItsRowsUnderEachMasterRow) {
    SmallReport r(2);
    auto* detailView = Place<TGenView>(&r.project, &r.project, "W");
    detailView->SetRowCount(2);
    Place<TVizeStringField>(&r.project, detailView, "WName")->SetFieldName("Name");
    auto* detail = Place<TVizeDataBand>(r.page, r.region, "Detail");
    detail->SetDataView(detailView);
    detail->SetControllerBand(r.data);
    detail->BandStyle()->PrintLoc = LocBit(plDetail);
    detail->SetHeight(0.2);
    Probe(r.page, detail, "Item", detailView, "Name");
    Probe(r.page, AddBand(r.page, r.region, "T", r.data, plBodyFooter, 0.2), "Tail");
    Printed().clear();
    TMemoryStream s;
    RunToSnapshot(r.project, s);
    EXPECT_EQ(Printed(), (std::vector<std::string>{"Row:Row001", "Item:Row001", "Item:Row002", "Row:Row002",
                                                    "Item:Row001", "Item:Row002", "Tail"}));
}

TEST_F(BandReportTest, TotalsFollowTheirControllerAndReachParameters) {
    SmallReport r(3);
    Place<TVizeIntegerField>(&r.project, r.view, "VPoints")->SetFieldName("Points");
    TVizeBand* tail = AddBand(r.page, r.region, "T", r.data, plBodyFooter, 0.2);
    auto* total = Place<TVizeCalcTotal>(r.page, tail, "Total");
    total->SetController(r.data);
    total->SetDataView(r.view);
    total->DataField = "Points";
    total->SetDestParam("Sum");
    auto* count = Place<TVizeCalcTotal>(r.page, tail, "Count");
    count->SetController(r.data);
    count->CalcType = ctCount;
    count->SetDestParam("Rows");
    // A controller restarts the total it initialises from its own value
    // each time it prints (here once, in the body header, with 100).
    auto* start = Place<TVizeCalcController>(r.page, AddBand(r.page, r.region, "H", r.data, plBodyHeader, 0.2),
                                             "Start");
    start->SetInitValue(100);
    total->SetInitializer(start);
    TMemoryStream s;
    RunToSnapshot(r.project, s);
    EXPECT_EQ(r.project.Parameters().Values("Sum"), "106");
    EXPECT_EQ(r.project.Parameters().Values("Rows"), "3");

    // Freeing the controller leaves the totals without one, not with a
    // dangling listener.
    delete r.data;
    EXPECT_EQ(total->Controller, nullptr);
    EXPECT_EQ(count->Controller, nullptr);
}

TEST_F(BandReportTest, CalcTextReadsTheOlderControllerBandName) {
    SmallReport r(1);
    TVizeBand* tail = AddBand(r.page, r.region, "T", r.data, plBodyFooter, 0.2);
    AddText<TVizeCalcText>(r.page, tail, "Sum", 0, 1)->SetController(r.data);
    TMemoryStream stream;
    r.page->SaveToStream(stream);
    std::string bytes(size_t(stream.Size()), '\0');
    stream.SetPosition(0);
    stream.ReadBuffer(bytes.data(), stream.Size());
    const std::string now = std::string("\x0A") + "Controller", older = std::string("\x0E") + "ControllerBand";
    auto at = bytes.find(now + std::string(1, '\0'));  // the property name, then an identifier value
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at, now.size(), older);

    TVizeProjectManager loaded(nullptr);
    TVizePage* page = loaded.NewReport()->FirstPage();
    TMemoryStream patched;
    patched.Write(bytes.data(), Int64(bytes.size()));
    patched.SetPosition(0);
    page->LoadFromStream(patched);
    auto* sum = dynamic_cast<TVizeCalcText*>(page->FindComponent("Sum"));
    ASSERT_NE(sum, nullptr);
    EXPECT_EQ(sum->Controller, page->FindComponent("D"));
}

TEST_F(BandReportTest, KeptBodyStillPrintsItsGroupHeaders) {
    // The trial pass that checks whether the body fits sees the group
    // headers too; the real pass must print them all the same.
    SmallReport r(3);
    r.data->SetKeepBodyTogether(true);
    auto* before = Place<TVizeBand>(r.page, r.region, "Lead");
    before->SetHeight(0.3);
    r.region->MoveChild(before, mkSendToBack);
    Probe(r.page, before, "Before");
    TVizeBand* g = AddBand(r.page, r.region, "G", r.data, plGroupHeader, 0.2);
    g->SetGroupKey("Team");
    g->SetGroupDataView(r.view);
    Probe(r.page, g, "Group", r.view, "Team");
    Printed().clear();
    TMemoryStream s;
    RunToSnapshot(r.project, s);
    EXPECT_EQ(Printed(), (std::vector<std::string>{"Before", "Group:Team A", "Row:Row001", "Row:Row002",
                                                    "Row:Row003"}));
}

TEST_F(BandReportTest, PageBreaksByBandAndByDataCycle) {
    {
        // FinishNewPage ends the page after each row.
        SmallReport r(3);
        r.data->SetFinishNewPage(true);
        auto pages = PageTexts(r.project);
        ASSERT_EQ(pages.size(), 3u);
    }
    {
        // StartNewPage starts a new page before the band's second
        // appearance on a page: two rows a page.
        SmallReport r(5);
        TVizeBand* d = AddBand(r.page, r.region, "Detail", r.data, plDetail, 0.2);
        d->SetStartNewPage(true);
        Printed().clear();
        auto pages = PageTexts(r.project);
        EXPECT_EQ(pages.size(), 5u);
        EXPECT_EQ(std::count(Printed().begin(), Printed().end(), "Row:Row003"), 1);
    }
    {
        // A data cycle prints the page once per row.
        TVizeProjectManager project(nullptr);
        auto* view = Place<TGenView>(&project, &project, "V");
        view->SetRowCount(3);
        Place<TVizeStringField>(&project, view, "VName")->SetFieldName("Name");
        TVizePage* page = project.NewReport()->FirstPage();
        Place<TVizeDataCycle>(page, page, "Cycle")->SetDataView(view);
        auto* name = AddText<TVizeDataText>(page, page, "Name", 1, 2);
        name->SetDataView(view);
        name->SetDataField("Name");
        auto pages = PageTexts(project);
        ASSERT_EQ(pages.size(), 3u);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(pages[size_t(i)], (std::vector<std::string>{TGenView::NameOf(i + 1)}));
    }
}

TEST_F(BandReportTest, TwoColumnsPlaceRowsSideBySide) {
    // Rows alternate left and right on one line.
    SmallReport r(4);
    r.data->SetColumns(2);
    std::vector<std::pair<double, double>> places;
    TMemoryStream s;
    TVzVSFWriter w(nullptr);
    w.StreamMode = smUser;
    w.Stream = &s;
    w.OnPrint = [&](TObject*) { PrintVizeReport(r.project.ActiveReport(), &w); };
    struct Spy : TVizeText {
        using TVizeText::TVizeText;
        std::vector<std::pair<double, double>>* out = nullptr;
        void PrintSelf(TBaseReport*) override { out->push_back({PageLeft(), PageTop()}); }
    };
    auto* spy = Place<Spy>(r.page, r.data, "Spy");
    spy->out = &places;
    w.Execute();
    ASSERT_EQ(places.size(), 4u);
    EXPECT_DOUBLE_EQ(places[0].second, places[1].second);
    EXPECT_GT(places[1].first, places[0].first + 3);
    EXPECT_DOUBLE_EQ(places[2].second, places[3].second);
    EXPECT_GT(places[2].second, places[0].second);
}

TEST_F(BandReportTest, ReportsThatCannotFinishStopWithAnError) {
    {
        SmallReport r(1);
        r.view->SetEndless(true);
        TMemoryStream s;
        try {
            RunToSnapshot(r.project, s, 30);
            FAIL() << "an endless view ran to an end";
        } catch (const EVizeException& e) {
            EXPECT_NE(e.Message.find("30 pages"), std::string::npos) << e.Message;
        }
        EXPECT_FALSE(r.project.Printing());
        EXPECT_EQ(r.project.BaseReport(), nullptr) << "the canvas of the run is forgotten";
    }
    // Bands that cannot fit even on an empty page.
    for (bool byMinimum : {true, false}) {
        SmallReport r(3, 1.0);
        if (byMinimum)
            r.data->SetMinHeightLeft(2.0);
        else
            r.data->SetHeight(1.5);
        TMemoryStream s;
        try {
            RunToSnapshot(r.project, s);
            ADD_FAILURE() << "a band that cannot fit printed, minimum " << byMinimum;
        } catch (const EVizeException& e) {
            EXPECT_NE(e.Message.find("\"D\" does not fit"), std::string::npos) << e.Message;
        }
    }
}

TEST(CalcValues, FunctionsOperatorsAndTotals) {
    struct Fn {
        TVizeCalcFunction f;
        double x, expected;
    };
    for (const Fn& c : {Fn{cfRound2, 0.125, 0.12}, Fn{cfRound, 2.5, 2}, Fn{cfRound, 3.5, 4}, Fn{cfTrunc, -2.7, -2},
                        Fn{cfFrac, 2.75, 0.75}, Fn{cfSqrt, 9, 3}, Fn{cfHoursToTime, 12, 0.5}, Fn{cfPercent, 0.2, 20},
                        Fn{cfSin, 1e30, 0}})
        EXPECT_NEAR(ApplyCalcFunction(c.f, c.x), c.expected, 1e-12) << int(c.f) << " of " << c.x;

    TVizeProjectManager project(nullptr);
    auto* op = new TVizeCalcOp(&project);
    struct Op {
        TVizeCalcOperator o;
        double a, b, expected;
    };
    for (const Op& c : {Op{coDiv, 1, 0, 0}, Op{coExp, -8, 1.0 / 3, 0}, Op{coExp, 2, 10, 1024}, Op{coMod, 7.9, 3.2, 1},
                        Op{coMod, 5, 0.5, 0}, Op{coGreater, 2, 5, 5}, Op{coLesser, 2, 5, 2}, Op{coAverage, 2, 5, 3.5}}) {
        op->SetOperator(c.o);
        op->Src(1).Value = c.a;
        op->Src(2).Value = c.b;
        EXPECT_NEAR(op->Value(), c.expected, 1e-9) << int(c.o);
    }

    TVizeAccumulator acc;
    for (double v : {5.0, 3.0, 8.0}) acc.Add(ctMin, v, "", "", true);
    EXPECT_EQ(acc.Result(ctMin), 3);
    acc.Reset(ctMin, 0);
    EXPECT_EQ(acc.Result(ctMin), 0);
    acc.Reset(ctCount, 0);
    for (auto [v, text] : {std::pair{1.0, "Y"}, {0.0, "N"}, {2.0, "Y"}}) acc.Add(ctCount, v, text, "Y", false);
    EXPECT_EQ(acc.Result(ctCount), 2);
    acc.Reset(ctCount, 0);
    for (double v : {0.0, 4.0}) acc.Add(ctCount, v, "x", "", false);
    EXPECT_EQ(acc.Result(ctCount), 1);
    acc.Reset(ctAverage, 0);
    EXPECT_EQ(acc.Result(ctAverage), 0);
}

TEST(StdComponents, TextFontsImagesAndStreams) {
    InitializeReportProject();
    TVizeProjectManager project(nullptr);
    TVizePage* page = project.NewReport()->FirstPage();
    auto* master = Place<TVizeFontMaster>(page, page, "Big");
    master->Font()->SetSize(18);
    auto* text = Place<TVizeText>(page, page, "Caption");
    EXPECT_NEAR(text->GetHeight(), 10 / 60.0, 1e-9);
    text->SetFontMirror(master);
    EXPECT_NEAR(text->GetHeight(), 18 / 60.0, 1e-9);
    EXPECT_EQ(text->GetForeColor(), VizeNoColor);
    EXPECT_EQ(text->GetFont(), nullptr);

    // Matching an image of 200 x 100 pixels into a 2 x 2 inch box.
    struct Fit {
        TMatchSide side;
        double x2, y2;
    };
    for (const Fit& c : {Fit{msWidth, 3, 2}, Fit{msHeight, 5, 3}, Fit{msBoth, 3, 3}, Fit{msInside, 3, 2}}) {
        double x2 = 3, y2 = 3;
        PlaceImage(c.side, 1, 1, x2, y2, 200, 100, false);
        EXPECT_DOUBLE_EQ(x2, c.x2) << c.side;
        EXPECT_DOUBLE_EQ(y2, c.y2) << c.side;
    }

    // Fonts, mail-merge items, band styles and the stored picture survive
    // a save and load.
    auto* memo = Place<TVizeMemo>(page, page, "Letter");
    memo->Font()->SetName("Courier New");
    memo->Font()->SetStyle(fsBold | fsItalic);
    auto* item = new TVizeMailMergeItem;
    item->SearchToken = "<name>";
    item->ReplaceString = "PARAM.Who";
    item->CaseMatters = true;
    memo->MailMergeItems()->Add(item);
    auto* region = Place<TVizeRegion>(page, page, "R");
    auto* data = Place<TVizeDataBand>(page, region, "D");
    TVizeBand* band = AddBand(page, region, "B", data, plGroupFooter, 0.3, OccBit(poNewPage) | OccBit(poNewColumn));
    band->SetReprintLocs(LocBit(plMaster));
    auto* pic = Place<TVizeBitmap>(page, page, "Pic");
    TBitmap bmp;
    bmp.SetSize(7, 5);
    pic->SetImage(&bmp);

    TMemoryStream file;
    project.SaveToStream(file);
    TVizeProjectManager loaded(nullptr);
    file.SetPosition(0);
    loaded.LoadFromStream(file);
    TVizePage* lp = loaded.ActiveReport()->FirstPage();
    auto* lmemo = dynamic_cast<TVizeMemo*>(lp->FindComponent("Letter"));
    ASSERT_NE(lmemo, nullptr);
    EXPECT_EQ(lmemo->Font()->Name(), "Courier New");
    EXPECT_EQ(lmemo->Font()->Style(), Int64(fsBold | fsItalic));
    ASSERT_EQ(lmemo->MailMergeItems()->Count(), 1);
    EXPECT_EQ(lmemo->MailMergeItems()->Item(0)->ReplaceString, "PARAM.Who");
    EXPECT_TRUE(lmemo->MailMergeItems()->Item(0)->CaseMatters);
    auto* ltext = dynamic_cast<TVizeText*>(lp->FindComponent("Caption"));
    ASSERT_NE(ltext, nullptr);
    ASSERT_NE(ltext->FontMirror(), nullptr);
    EXPECT_EQ(ltext->FontMirror()->Font()->Size(), 18);
    auto* lband = dynamic_cast<TVizeBand*>(lp->FindComponent("B"));
    ASSERT_NE(lband, nullptr);
    EXPECT_EQ(lband->BandStyle()->PrintLoc, LocBit(plGroupFooter));
    EXPECT_EQ(lband->BandStyle()->PrintOcc, OccBit(poNewPage) | OccBit(poNewColumn));
    EXPECT_EQ(lband->ReprintLocs(), LocBit(plMaster));
    EXPECT_EQ(lband->ControllerBand(), lp->FindComponent("D"));
    auto* lpic = dynamic_cast<TVizeBitmap*>(lp->FindComponent("Pic"));
    ASSERT_NE(lpic, nullptr);
    EXPECT_EQ(lpic->ImageWidth(), 7);
    EXPECT_EQ(lpic->ImageHeight(), 5);
}

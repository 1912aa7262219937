#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "EngineTestSupport.h"
#include "docexport/deConsts.h"
#include "platform/core/FileUtils.h"

namespace {

using Log = std::vector<std::string>;

class TempDir {
public:
    TempDir() {
        path_ = std::filesystem::temp_directory_path() /
                ("docexport-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
    static inline int counter_ = 0;
};

// A document of n pages, each with a body text "p<i>".
void Pages(TLogEngine& e, int n) {
    for (int i = 1; i <= n; ++i) {
        if (i > 1) e.NewPage();
        e.Text("p" + std::to_string(i));
    }
}

}  // namespace

TEST(EngineLifecycle, EventsAndBandsComeInOrder) {
    TLogEngine e;
    e.BeginDoc();
    EXPECT_EQ(e.Log, (Log{"BeforeBeginDoc", "StartDocument", "AfterBeginDoc"}));
    EXPECT_EQ(e.Status(), esStarted);
    EXPECT_EQ(e.CurrentPage(), 1);
    e.Log.clear();
    e.BeginDoc();  // already started: nothing
    EXPECT_TRUE(e.Log.empty());

    e.BeginHeader();
    e.Text("head");
    e.EndHeader();
    e.BeginFooter();
    e.Text("foot");
    e.EndFooter();
    e.BeginUnderlay();
    e.Text("under");
    e.EndUnderlay();
    e.BeginOverlay();
    e.Text("over");
    e.EndOverlay();
    e.Text("body");
    e.EndDoc();
    EXPECT_EQ(e.Log, (Log{"BeforeBeginPage", "StartPage 1", "AfterBeginPage", "Text head band 1",
                          "Text under band 3", "Text body band 0", "Text foot band 2", "Text over band 4",
                          "BeforeEndPage", "FinishPage 1", "AfterEndPage", "BeforeEndDoc", "FinishDocument",
                          "AfterEndDoc"}));
    EXPECT_EQ(e.Status(), esEnded);
    EXPECT_FALSE(e.Started());
    EXPECT_EQ(e.PageCount(), 0);
    e.Log.clear();
    e.EndDoc();  // idle: nothing
    e.Text("lost");  // outside a document: ignored
    EXPECT_TRUE(e.Log.empty());
}

TEST(EngineLifecycle, BandsRepeatOnEveryPageUnlessFirstPageOnly) {
    for (bool firstOnly : {false, true}) {
        TLogEngine e;
        if (firstOnly) e.SetCapabilities(capText | capImage | capShape | capHeaderFirstPageOnly);
        e.BeginDoc();
        e.BeginHeader();
        e.Text("head");
        e.EndHeader();
        Pages(e, 3);
        e.EndDoc();
        EXPECT_EQ(e.Only("Text head").size(), firstOnly ? 1u : 3u);
        EXPECT_EQ(e.Only("Text p").size(), 3u);
    }
    // Clearing a band stops it from then on.
    TLogEngine e;
    e.BeginDoc();
    e.BeginFooter();
    e.Text("foot");
    e.EndFooter();
    e.NewPage();
    e.ClearFooter();
    e.EndDoc();
    EXPECT_TRUE(e.Only("Text foot").empty());  // cleared before any page was rendered
}

TEST(EngineLifecycle, PagesToRenderSelectsPages) {
    struct Case {
        std::string range;
        std::string rendered;
    } cases[] = {
        {"", "p1 p2 p3 p4 p5 p6 p7 p8 p9 p10 p11 p12 p13 "},
        {"1,3,5-12", "p1 p3 p5 p6 p7 p8 p9 p10 p11 p12 "},
        {"2-2", "p2 "},
        {"x,2", "p2 "},
        {"13, 1", "p1 p13 "},
        {"1,,3", "p1 p3 "},
        {"20", ""},
    };
    for (const auto& c : cases) {
        TLogEngine e;
        e.SetPagesToRender(c.range);
        e.BeginDoc();
        Pages(e, 13);
        e.EndDoc();
        std::string got;
        for (const auto& l : e.Only("Text ")) got += l.substr(5, l.find(" band") - 5) + " ";
        EXPECT_EQ(got, c.rendered) << c.range;
        EXPECT_EQ(e.Only("StartPage").size(), e.Only("Text ").size()) << c.range;
    }
    // A bound that is not a number is an error, and the engine is left idle.
    TLogEngine e;
    e.SetPagesToRender("5-");
    e.BeginDoc();
    Pages(e, 2);
    EXPECT_THROW(e.EndDoc(), EConvertError);
    EXPECT_FALSE(e.Started());
    e.BeginDoc();
    EXPECT_TRUE(e.Started());
}

TEST(EngineLifecycle, SetupDialogCancelLeavesTheEngineIdle) {
    TLogEngine e;
    e.Preferences()->SetShowSetupDialog(true);
    e.SetupAnswer = deModalCancel;
    e.BeginDoc();
    EXPECT_EQ(e.Log, (Log{"BeforeBeginDoc", "Setup"}));
    EXPECT_EQ(e.Status(), esCancelled);
    EXPECT_FALSE(e.Started());
    EXPECT_EQ(e.PageCount(), 0);
    e.EndDoc();
    EXPECT_EQ(e.Log.size(), 2u);

    // A dialog component replaces the format's own dialog and sees the
    // engine only while it is shown.
    struct Dlg : TdeBaseDlg {
        using TdeBaseDlg::TdeBaseDlg;
        TdeCustomDocumentEngine* seen = nullptr;
        int Execute() override {
            seen = Engine;
            return deModalOk;
        }
    };
    EnsureGuiApplication();
    auto* dlg = new Dlg(nullptr);
    e.SetSetupDialog(dlg);
    e.BeginDoc();
    EXPECT_EQ(dlg->seen, &e);
    EXPECT_EQ(dlg->Engine, nullptr);
    EXPECT_TRUE(e.Started());
    e.EndDoc();
    delete dlg;
    EXPECT_EQ(e.SetupDialog(), nullptr);  // cleared when the dialog is freed
}

TEST(EngineLifecycle, ProcessAfterEachPageRendersAsPagesStart) {
    TLogEngine e;
    e.Preferences()->SetProcessAfterEachPage(true);
    e.BeginDoc();
    e.Text("p1");
    e.NewPage();
    EXPECT_EQ(e.Only("Text p").size(), 1u);  // page 1 rendered when page 2 began
    EXPECT_EQ(e.PageItem(1), nullptr);       // and freed
    e.Text("p2");
    e.GotoPage(1);  // does nothing
    EXPECT_EQ(e.CurrentPage(), 2);
    e.EndDoc();
    EXPECT_EQ(e.Only("Text p"), (Log{"Text p1 band 0", "Text p2 band 0"}));
    EXPECT_EQ(e.Only("FinishPage"), (Log{"FinishPage 1", "FinishPage 2"}));
}

TEST(EngineLifecycle, GotoPageRevisitsARecordedPage) {
    TLogEngine e;
    e.BeginDoc();
    Pages(e, 3);
    e.GotoPage(1);
    e.Text("late");
    EXPECT_EQ(e.CurrentPage(), 1);
    for (int bad : {0, 4}) {
        try {
            e.GotoPage(bad);
            FAIL() << bad;
        } catch (const EInvalidPageNumber& ex) {
            EXPECT_EQ(ex.Message, "Invalid Page Number");
        }
    }
    std::vector<std::string> errors;
    e.OnErrorMessage = [&](TObject*, const Exception& ex) { errors.push_back(ex.Message); };
    e.GotoPage(9);
    EXPECT_EQ(errors, (Log{"Invalid Page Number"}));
    EXPECT_EQ(e.CurrentPage(), 1);
    e.EndDoc();
    EXPECT_EQ(e.Only("Text "), (Log{"Text p1 band 0", "Text late band 0", "Text p2 band 0", "Text p3 band 0"}));
}

TEST(EngineLifecycle, SavedStatesRestore) {
    TLogEngine e;
    EXPECT_EQ(e.SaveState(), -1);  // not started
    e.Font()->SetName("Arial");
    e.BeginDoc();
    e.Font()->SetName("Courier New");
    e.Page()->SetTopMargin(1);
    Integer s = e.SaveState();
    EXPECT_EQ(s, 1);  // 0 is the state of BeginDoc
    e.Font()->SetName("Times New Roman");
    e.Page()->SetTopMargin(2);
    e.RestoreState(-1);
    EXPECT_EQ(e.Font()->Name(), "Courier New");
    EXPECT_DOUBLE_EQ(e.Page()->TopMargin(), 1);
    try {
        e.RestoreState(2);
        FAIL();
    } catch (const EInvalidEngineState& ex) {
        EXPECT_EQ(ex.Message, "Not a valid Engine State identifier");
    }
    EXPECT_THROW(e.RestoreState(-2), EInvalidEngineState);
    e.EndDoc();
    EXPECT_EQ(e.Font()->Name(), "Arial");  // the state of BeginDoc comes back
    EXPECT_DOUBLE_EQ(e.Page()->TopMargin(), 0);
}

TEST(EngineLifecycle, DrawingAreaFollowsReferencePointAndBand) {
    TLogEngine e;
    e.SetMeasurementUnit(muPixels);
    e.Page()->SetPaperSize(Custom);
    e.Page()->SetWidth(1000);
    e.Page()->SetHeight(2000);
    e.Page()->SetLeftMargin(10);
    e.Page()->SetRightMargin(20);
    e.Page()->SetTopMargin(30);
    e.Page()->SetBottomMargin(40);
    e.Page()->SetHeaderHeight(100);
    e.Page()->SetFooterHeight(200);
    e.BeginDoc();
    struct Area {
        double l, t, r, b;
    };
    auto area = [&] { return Area{e.AreaLeft(), e.AreaTop(), e.AreaRight(), e.AreaBottom()}; };
    auto expect = [&](Area a, const char* what) {
        Area g = area();
        EXPECT_EQ(g.l, a.l) << what;
        EXPECT_EQ(g.t, a.t) << what;
        EXPECT_EQ(g.r, a.r) << what;
        EXPECT_EQ(g.b, a.b) << what;
    };
    expect({10, 130, 980, 1760}, "body");
    e.BeginHeader();
    expect({10, 30, 980, 130}, "header");
    e.EndHeader();
    e.BeginFooter();
    expect({10, 1760, 980, 1960}, "footer");
    e.EndFooter();
    e.BeginOverlay();
    expect({10, 30, 980, 1960}, "overlay");
    e.EndOverlay();
    e.SetReferencePoint(vpMargin);
    expect({10, 30, 980, 1960}, "margin");
    e.SetReferencePoint(vpPage);
    expect({0, 0, 980, 1960}, "page");
    EXPECT_TRUE(e.InArea(0, 0));
    EXPECT_FALSE(e.InArea(980, 5));  // right edge excluded
    EXPECT_FALSE(e.InArea(5, 1960));
    e.EndDoc();
}

TEST(EngineLifecycle, TextSortOrdersTextItemsByPosition) {
    for (double tolerance : {0.0, 1.0}) {
        TLogEngine e;
        e.SetTextSort(true);
        e.SetTextSortTolerance(tolerance);
        e.BeginDoc();
        e.Text("c", 50, 20);
        e.Text("b", 90, 10);
        e.Text("a", 10, 10);
        e.Text("d", 0, 20.5);
        e.EndDoc();
        std::string order;
        for (const auto& l : e.Only("Text ")) order += l.substr(5, 1);
        EXPECT_EQ(order, tolerance > 0 ? "abcd" : "bacd");
    }
}

TEST(EngineLifecycle, PageBorderAndRotation) {
    TLogEngine e;
    e.SetMeasurementUnit(muPixels);
    e.Page()->SetPaperSize(Custom);
    e.Page()->SetWidth(100);
    e.Page()->SetHeight(200);
    e.Page()->SetLeftMargin(10);
    e.Page()->SetTopMargin(20);
    e.PageBorder()->DrawLeft = true;
    e.PageBorder()->DrawBottom = true;
    e.PageBorder()->Width = 3;
    e.BeginDoc();
    e.EndDoc();
    EXPECT_EQ(e.Only("Line"), (Log{"Line 10,20-10,200 w3", "Line 10,200-100,200 w3"}));

    struct {
        Integer angle, stored, result;
    } rotations[] = {{370, 10, 1}, {-90, -90, 0}, {-450, -90, -1}, {720, 0, 2}, {359, 359, 0}};
    for (auto r : rotations) {
        EXPECT_EQ(e.SetRotation(r.angle), r.result) << r.angle;
        EXPECT_EQ(e.Rotation(), r.stored) << r.angle;
    }
}

TEST(EngineOutputFiles, CreatedReplacedAndOpened) {
    TempDir dir;
    std::string name = dir.File("report.log");
    { std::ofstream(name) << "old content that is longer"; }
    std::vector<std::string> opened;
    auto old = SetDocumentOpener([&](const std::string& f) { opened.push_back(f); });
    TLogEngine e;
    e.WriteFile = true;
    e.SetFileName(dir.File("report.txt"));  // the extension is dropped
    EXPECT_EQ(e.FileName(), dir.File("report"));
    e.Preferences()->SetOpenAfterCreate(true);
    e.BeginDoc();
    e.SetFileName("elsewhere");  // ignored while started
    EXPECT_EQ(e.FileName(), dir.File("report"));
    e.EndDoc();
    EXPECT_EQ(FileSize(name), 4);  // replaced, not overwritten in place
    EXPECT_EQ(opened, (Log{name}));

    // Nothing listed (a user stream): nothing is opened.
    TLogEngine quiet;
    quiet.Preferences()->SetOpenAfterCreate(true);
    quiet.BeginDoc();
    quiet.EndDoc();
    EXPECT_EQ(opened.size(), 1u);
    SetDocumentOpener(old);
}

TEST(EngineOutputFiles, CreationFailureDeletesListedFilesAndCloses) {
    TempDir dir;
    struct Twice : TLogEngine {
        std::string first, second;
        void StartDocument() override {
            Out = CreateOutputFile(first);
            OutputFiles().Add(first);
            Out.reset();
            auto s = CreateOutputFile(second);  // cannot be created
            OutputFiles().Add(second);
        }
    } e;
    e.first = dir.File("a.rtf");
    e.second = dir.File("missing/b.rtf");
    try {
        e.BeginDoc();
        FAIL();
    } catch (const EFileCreateError& ex) {
        EXPECT_EQ(ex.Message,
                  "File could not be created!\r\n\r\nPossible cause: It could be in use by some other application");
    }
    EXPECT_EQ(e.Status(), esFileError);
    EXPECT_FALSE(FileExists(e.first));
    EXPECT_FALSE(e.Started());
    EXPECT_EQ(e.OutputFiles().Count(), 0);
}

TEST(EngineOutputFiles, AbortEndsTheDocumentAndDeletesItsFiles) {
    TempDir dir;
    std::vector<std::string> opened;
    auto old = SetDocumentOpener([&](const std::string& f) { opened.push_back(f); });
    TLogEngine e;
    e.WriteFile = true;
    e.SetFileName(dir.File("aborted"));
    e.Preferences()->SetOpenAfterCreate(true);
    e.BeginDoc();
    EXPECT_TRUE(FileExists(dir.File("aborted.log")));
    e.Text("p1");
    e.SetAbortFlag(true);
    e.NewPage();  // ends the document instead
    EXPECT_FALSE(e.Started());
    EXPECT_FALSE(e.AbortFlag());
    EXPECT_EQ(e.Only("FinishDocument").size(), 1u);
    EXPECT_FALSE(FileExists(dir.File("aborted.log")));
    EXPECT_TRUE(opened.empty());
    EXPECT_FALSE(e.Preferences()->OpenAfterCreate());
    SetDocumentOpener(old);
}

TEST(EngineLifecycle, AFailingFormatLeavesTheEngineIdle) {
    struct Failing : TLogEngine {
        bool fail = true;
        void FinishPage() override {
            if (fail) throw EWriteError("disk full");
        }
    } e;
    e.BeginDoc();
    Pages(e, 2);
    e.BeginHeader();
    e.Text("head");
    e.EndHeader();
    EXPECT_THROW(e.EndDoc(), EWriteError);
    EXPECT_FALSE(e.Started());
    EXPECT_EQ(e.PageCount(), 0);
    e.fail = false;
    e.BeginDoc();  // usable again
    EXPECT_EQ(e.CurrentPage(), 1);
    e.EndDoc();
}

TEST(EngineLifecycle, FormatsMayBringTheirOwnPreferences) {
    struct TMyPreferences : TdePreferences {};
    struct Format : TLogEngine {
        Format() { InitPreferences(); }
        std::unique_ptr<TdePreferences> CreatePreferences() override { return std::make_unique<TMyPreferences>(); }
    } e;
    EXPECT_NE(dynamic_cast<TMyPreferences*>(e.Preferences()), nullptr);
    EXPECT_FALSE(e.Preferences()->ShowSetupDialog());  // values carried over
}

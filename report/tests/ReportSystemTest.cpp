// Report runs through the report system: setup, generation with the status
// window, and output to the recording printer, the preview window, a
// snapshot file and a renderer from the registry.
#include <filesystem>
#include <fstream>

#include "platform/core/FileUtils.h"
#include "platform/core/UiQueue.h"
#include "report/PreviewForm.h"
#include "report/ReportSystem.h"
#include "report/SetupForm.h"
#include "report/tests/RecordingRender.h"
#include "report/tests/ReportTestSupport.h"

namespace {

class ReportSystemTest : public ReportPrinterFixture {
protected:
    void SetUp() override {
        ReportPrinterFixture::SetUp();
        UsePrinters({"Lab"}, "Lab");
        UiQueue::Reset();
        Application->Initialize();
        script.OnFailure = [](const std::string& m) { ADD_FAILURE() << m; };
        dir = std::filesystem::temp_directory_path() / ("rsys" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        system = std::make_unique<TVzSystem>(nullptr);
        system->OnPrint = [this](TObject* sender) {
            auto* r = static_cast<TBaseReport*>(sender);
            ++printed;
            for (int p = 1; p <= pages; ++p) {
                if (p > 1) r->NewPage();
                if (onPage) onPage(p);
                r->PrintXY(1, 1, "Page " + std::to_string(p));
            }
        };
    }
    void TearDown() override {
        system.reset();
        std::filesystem::remove_all(dir);
        Application->ResetForTesting();
        EXPECT_EQ(script.Pending(), 0u);
        ReportPrinterFixture::TearDown();
    }
    std::string Path(const std::string& name) { return (dir / name).string(); }
    int FilesIn() { return int(std::distance(std::filesystem::directory_iterator(dir), {})); }

    TScriptedPrompts script;
    std::filesystem::path dir;
    std::unique_ptr<TVzSystem> system;
    int pages = 2;
    int printed = 0;
    std::function<void(int)> onPage;
    std::function<void()> drive;
};

template <class T>
T* ActiveForm() {
    return dynamic_cast<T*>(Screen->ActiveForm());
}

}  // namespace

TEST_F(ReportSystemTest, PrinterRunWithoutSetupUsesDefaultDestAndPrinterSettings) {
    system->SystemSetups &= ~(1u << ssAllowSetup);
    system->DefaultDest = rdPrinter;
    system->SystemPrinter.Title = "Scores";
    system->SystemPrinter.Copies = 2;
    system->RunReport();
    EXPECT_FALSE(system->Aborted);
    ASSERT_EQ(RecordedPrintJobs().size(), 1u);
    EXPECT_EQ(RecordedPrintJobs()[0].Title, "Scores");
    EXPECT_EQ(RecordedPrintJobs()[0].Pages.size(), 2u);
    // The memory snapshot lives only for the run.
    EXPECT_EQ(system->SystemFiler.Stream, nullptr);
}

TEST_F(ReportSystemTest, StatusWindowShowsPagesAndCancelStopsTheRun) {
    system->SystemSetups &= ~(1u << ssAllowSetup);
    system->DefaultDest = rdPrinter;
    pages = 10;
    std::string caption;
    onPage = [&](int p) {
        if (p != 3) return;
        TControl* label = system->RunningWriter()->StatusLabel();
        ASSERT_NE(label, nullptr);
        caption = label->Caption();
        auto* status = dynamic_cast<TVpStatusForm*>(label->Owner());
        ASSERT_NE(status, nullptr);
        EXPECT_EQ(status->Caption(), "Report Status");
        EXPECT_TRUE(status->Visible());
        status->CancelButton->Click();
    };
    system->RunReport();
    EXPECT_EQ(caption, "Generating page 3");
    EXPECT_TRUE(system->Aborted);
    EXPECT_EQ(system->LastStatusLabel(), nullptr);  // freed with its window
    EXPECT_TRUE(RecordedPrintJobs().empty());
}

TEST_F(ReportSystemTest, SetupCancelledOrOverriddenGeneratesNothing) {
    // The default setup window, cancelled.
    UiQueue::Post([] {
        auto* setup = ActiveForm<TVPSetupForm>();
        ASSERT_NE(setup, nullptr);
        EXPECT_EQ(setup->Caption(), "Output Options");
        setup->CancelBtn->Click();
    });
    system->RunReport();
    EXPECT_TRUE(system->Aborted);
    EXPECT_EQ(printed, 0);
    // An application's own setup that aborts in mode 1.
    std::vector<int> modes;
    system->OverrideSetup = [&](TVzSystem* s, TOverrideMode m, TForm*&) {
        modes.push_back(m);
        if (m == 1) s->Aborted = true;
    };
    system->RunReport();
    EXPECT_EQ(modes, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(printed, 0);
}

TEST_F(ReportSystemTest, FileOutputAsSnapshotPrinterFileOrRenderer) {
    system->SystemSetups &= ~(1u << ssAllowSetup);
    system->DefaultDest = rdFile;

    // The snapshot written straight into the file.
    system->PrinterFileOutput = false;
    system->OutputFileName = Path("out.vsf");
    system->RunReport();
    EXPECT_TRUE(RecordedPrintJobs().empty());
    {
        TFileStream f(Path("out.vsf"), fmOpenRead);
        TRecordingRender check;
        check.Render(&f);
        EXPECT_EQ(std::count(check.Log.begin(), check.Log.end(), "EndPage"), 2);
    }
    EXPECT_TRUE(FileExists(Path("out.vsf")));

    // Through the printer into a printer file.
    system->PrinterFileOutput = true;
    system->OutputFileName = Path("out.prn");
    system->RunReport();
    ASSERT_EQ(RecordedPrintJobs().size(), 1u);
    EXPECT_EQ(RecordedPrintJobs()[0].OutputName, Path("out.prn"));

    // A renderer of the registry, from a temporary snapshot that is removed.
    TRecordingRender renderer;
    renderer.SetDisplayName("Test Format");
    system->PrinterFileOutput = false;
    system->SetFileRenderer(&renderer);
    system->OutputFileName = Path("out.tst");
    system->SystemFiler.StreamMode = smTempFile;
    system->RunReport();
    EXPECT_EQ(renderer.OutputFileName, Path("out.tst"));
    EXPECT_EQ(std::count(renderer.Log.begin(), renderer.Log.end(), "EndPage"), 2);
    std::string temp = system->SystemFiler.FileName;
    EXPECT_FALSE(temp.empty());
    EXPECT_FALSE(FileExists(temp));
}

TEST_F(ReportSystemTest, SnapshotFileShownWithoutGenerating) {
    system->SystemSetups &= ~(1u << ssAllowSetup);
    system->DefaultDest = rdFile;
    system->PrinterFileOutput = false;
    system->OutputFileName = Path("kept.vsf");
    pages = 3;
    system->RunReport();
    ASSERT_EQ(printed, 1);

    system->SystemOptions |= 1u << soNoGenerate;
    system->SystemFiler.StreamMode = smFile;
    system->SystemFiler.FileName = Path("kept.vsf");
    system->DefaultDest = rdPrinter;
    system->RunReport();
    EXPECT_EQ(printed, 1);
    ASSERT_EQ(RecordedPrintJobs().size(), 1u);
    EXPECT_EQ(RecordedPrintJobs()[0].Pages.size(), 3u);
    EXPECT_TRUE(FileExists(Path("kept.vsf")));

    // Nothing generated and no snapshot given: a clear error, no output.
    system->SystemFiler.StreamMode = smMemory;
    try {
        system->RunReport();
        FAIL() << "no error";
    } catch (const EReportPrinter& e) {
        EXPECT_EQ(e.Message, "There is no report snapshot to output.");
    }
    EXPECT_EQ(RecordedPrintJobs().size(), 1u);
}

TEST_F(ReportSystemTest, PreviewShowsTheSnapshotModally) {
    system->SystemSetups &= ~(1u << ssAllowSetup);
    system->SystemPreview.SetZoomFactor(50);
    system->SystemPreview.RulerType = rtBothCm;
    pages = 3;
    TObject* shown = nullptr;
    int pageCount = 0;
    double zoom = 0;
    std::string caption;
    // The window is driven once it is up (the status window comes first).
    system->OnPreviewShow = [&](TObject* s) { shown = s; UiQueue::Post(drive); };
    drive = [&] {
        auto* f = ActiveForm<TVizePreviewForm>();
        if (!f) {
            ADD_FAILURE() << "no preview window";
            return;
        }
        caption = f->Caption();
        pageCount = f->RenderPreview()->GetPageCount();
        zoom = f->RenderPreview()->ZoomFactor();
        EXPECT_EQ(f->ZoomEdit->Text(), "50.0");
        EXPECT_EQ(f->RenderPreview()->TopRulerHeight(), 20);
        f->Action("Next").Run();
        EXPECT_EQ(f->RenderPreview()->CurrentPage(), 2);
        f->Action("Exit").Run();
    };
    system->RunReport();
    EXPECT_EQ(caption, "Report Preview");
    EXPECT_EQ(pageCount, 3);
    EXPECT_DOUBLE_EQ(zoom, 50);
    EXPECT_NE(shown, nullptr);
    EXPECT_TRUE(RecordedPrintJobs().empty());

    // Not modal: the run waits until the window is closed, from a
    // temporary snapshot that is removed afterwards.
    system->SystemOptions &= ~(1u << soPreviewModal);
    system->SystemFiler.StreamMode = smTempFile;
    bool modal = true;
    drive = [&] {
        auto* f = ActiveForm<TVizePreviewForm>();
        if (!f) {
            ADD_FAILURE() << "no preview window";
            return;
        }
        modal = f->Modal();
        char key = 'x';
        f->FormKeyPress(key);
    };
    system->RunReport();
    EXPECT_FALSE(modal);
    EXPECT_FALSE(system->SystemFiler.FileName.empty());
    EXPECT_FALSE(FileExists(system->SystemFiler.FileName));
}

TEST_F(ReportSystemTest, PreviewSettingsAreCheckedAndClamped) {
    TSystemPreview p;
    p.SetZoomFactor(500);
    EXPECT_DOUBLE_EQ(p.ZoomFactor(), 200);
    p.SetZoomFactor(1);
    EXPECT_DOUBLE_EQ(p.ZoomFactor(), 10);
    p.SetShadowDepth(2);
    script.Answer(mrOk, "Monochrome not allowed while shadows are in effect.\rChange ShadowDepth to 0 first");
    p.SetMonochrome(true);
    EXPECT_FALSE(p.Monochrome());
    p.SetShadowDepth(0);
    p.SetMonochrome(true);
    script.Answer(mrOk, "Shadows not allowed while monochrome in effect.\rChange Monochrome to false first");
    p.SetShadowDepth(3);
    EXPECT_EQ(p.ShadowDepth(), 0);
    TSystemPrinter printer;
    printer.SetTabShade(140);
    EXPECT_EQ(printer.TabShade(), 100);
}

TEST_F(ReportSystemTest, UserStreamModeWithoutStreamFails) {
    system->SystemSetups &= ~(1u << ssAllowSetup);
    system->DefaultDest = rdPrinter;
    system->SystemFiler.StreamMode = smUser;
    try {
        system->RunReport();
        FAIL() << "no error";
    } catch (const EReportPrinter& e) {
        EXPECT_EQ(e.Message, "StreamMode is smUser but Stream is nil");
    }
    EXPECT_TRUE(RecordedPrintJobs().empty());
}

// The output-options window and the preview window driven through their
// controls, with scripted prompts for their dialogs.
#include <filesystem>

#include "platform/core/FileUtils.h"
#include "platform/core/UiQueue.h"
#include "report/PreviewForm.h"
#include "report/ReportSystem.h"
#include "report/SetupForm.h"
#include "report/tests/RecordingRender.h"
#include "report/tests/ReportTestSupport.h"

namespace {

class ReportWindowsTest : public ReportPrinterFixture {
protected:
    void SetUp() override {
        ReportPrinterFixture::SetUp();
        UsePrinters({"Lab"}, "Lab");
        UiQueue::Reset();
        Application->Initialize();
        script.OnFailure = [](const std::string& m) { ADD_FAILURE() << m; };
        dir = std::filesystem::temp_directory_path() / ("rwin" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        system = std::make_unique<TVzSystem>(nullptr);
    }
    void TearDown() override {
        system.reset();
        std::filesystem::remove_all(dir);
        Application->ResetForTesting();
        EXPECT_EQ(script.Pending(), 0u);
        ReportPrinterFixture::TearDown();
    }
    std::string Path(const std::string& name) { return (dir / name).string(); }
    void Generate(int pages) {
        snapshot.SetSize(0);
        TVzVSFWriter w(nullptr);
        w.StreamMode = smUser;
        w.Stream = &snapshot;
        w.OnPrint = [&](TObject*) {
            for (int p = 1; p <= pages; ++p) {
                if (p > 1) w.NewPage();
                w.PrintXY(1, 1, "Page " + std::to_string(p));
            }
        };
        w.Execute();
    }
    // Shows the setup window modally; the body runs inside and ends it.
    int ShowSetup(TVPSetupForm& f, std::function<void()> body) {
        UiQueue::Post(body);
        return f.ShowModal();
    }
    std::unique_ptr<TVizePreviewForm> OpenPreview(int pages) {
        Generate(pages);
        auto f = std::make_unique<TVizePreviewForm>(nullptr);
        f->ReportSystem = system.get();
        f->InputStream = &snapshot;
        f->Start();
        f->Show();
        return f;
    }
    static void Press(TVizePreviewForm& f, char key) { f.FormKeyPress(key); }

    TScriptedPrompts script;
    std::filesystem::path dir;
    std::unique_ptr<TVzSystem> system;
    TMemoryStream snapshot;
};

}  // namespace

TEST_F(ReportWindowsTest, SetupWithoutPrintersOffersOnlyPreview) {
    UsePrinters({}, "");
    TVPSetupForm f(nullptr);
    f.ReportSystem = system.get();
    system->DefaultDest = rdPrinter;
    ShowSetup(f, [&] {
        EXPECT_EQ(f.PrinterLabel->Caption(), "No printers installed!");
        EXPECT_EQ(f.PageControl->ActivePage(), f.DestPage);
        EXPECT_FALSE(f.PrinterRadio->Enabled());
        EXPECT_FALSE(f.FileRadio->Enabled());
        EXPECT_TRUE(f.PreviewRadio->Checked());
        EXPECT_FALSE(f.SetupBtn->Enabled());
        EXPECT_FALSE(f.CopiesEdit->Enabled());
        EXPECT_EQ(f.CopiesEdit->Text(), "1");
        f.OKBtn->Click();
    });
    EXPECT_EQ(system->ReportDest, rdPreview);
}

TEST_F(ReportWindowsTest, SetupChoosesFileFormatsAndNames) {
    TRecordingRender web;
    web.SetDisplayName("Web Page");
    web.FileExtension = "*.html;*.htm";
    struct Case {
        const char* name;
        int format;
        const char* expect;
        bool printerFile;
        TVPRender* renderer;
    } cases[] = {
        {"summary", 0, "summary.vsf", false, nullptr},
        {"summary", 1, "summary.prn", true, nullptr},
        {"summary", 2, "summary.html;*.htm", false, &web},
        {"  scores.txt ", 0, "scores.txt", false, nullptr},
        // A dotted folder is not an extension of the file.
        {"run.2024/summary", 0, "run.2024/summary.vsf", false, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TVPSetupForm f(nullptr);
        f.ReportSystem = system.get();
        ASSERT_EQ(ShowSetup(f, [&] {
                      EXPECT_EQ(f.FormatList->Items()->Count(), RegisteredRendererCount() + 2);
                      EXPECT_EQ(f.FormatList->Items()->Strings(0), "Vize Snapshot File (VSF)");
                      EXPECT_EQ(f.FormatList->Items()->Strings(1), "Native Printer Output (PRN)");
                      EXPECT_EQ(f.SaveDialog->Filter, "Vize Snapshot File (VSF)|*.VSF|Native Printer Output "
                                                      "(PRN)|*.PRN|" + BuildRendererFilter());
                      EXPECT_EQ(f.PrinterLabel->Caption().substr(0, 3), "Lab");
                      EXPECT_TRUE(f.PreviewRadio->Checked());
                      f.FileRadio->SetChecked(true);
                      EXPECT_TRUE(f.FileNameEdit->Enabled());
                      EXPECT_FALSE(f.OKBtn->Enabled());  // no name yet
                      f.FileNameEdit->SetText(c.name);
                      EXPECT_TRUE(f.OKBtn->Enabled());
                      int index = c.format;
                      if (c.renderer)
                          for (int i = 2; i < f.FormatList->Items()->Count(); ++i)
                              if (f.FormatList->Items()->Objects(i) == c.renderer) index = i;
                      f.FormatList->SetItemIndex(index);
                      f.OKBtn->Click();
                  }),
                  mrOk);
        EXPECT_EQ(system->ReportDest, rdFile);
        EXPECT_EQ(system->OutputFileName, c.expect);
        EXPECT_EQ(system->PrinterFileOutput, c.printerFile);
        EXPECT_EQ(system->FileRenderer(), c.renderer);
    }
}

TEST_F(ReportWindowsTest, SetupBrowseAndPrinterOptions) {
    TVPSetupForm f(nullptr);
    f.ReportSystem = system.get();
    system->DefaultDest = rdFile;
    system->SystemSetups &= ~(1u << ssAllowDuplex);
    system->SystemPrinter.Duplex = dupHorizontal;
    script.AnswerWith([&](const PromptRequest& r) {
        EXPECT_EQ(r.Kind, PromptKind::SaveFile);
        PromptAnswer a;
        a.Result = mrOk;
        a.Value = Path("chosen.prn");
        a.FilterIndex = 2;
        return a;
    });
    ShowSetup(f, [&] {
        EXPECT_TRUE(f.FileRadio->Checked());
        EXPECT_FALSE(f.DuplexCheck->Enabled());
        EXPECT_TRUE(f.DuplexCheck->Checked());
        f.BrowseBtn->Click();
        EXPECT_EQ(f.FormatList->ItemIndex(), 1);
        f.CopiesEdit->SetText("3");
        f.CollateCheck->SetChecked(true);
        // Letters do not reach the copies edit; the file name takes anything.
        char key = 'a';
        f.CopiesEdit->OnKeyPress(f.CopiesEdit, key);
        EXPECT_EQ(key, 0);
        key = '7';
        f.CopiesEdit->OnKeyPress(f.CopiesEdit, key);
        EXPECT_EQ(key, '7');
        EXPECT_FALSE(f.FileNameEdit->OnKeyPress);
        f.OKBtn->Click();
    });
    EXPECT_EQ(system->OutputFileName, Path("chosen.prn"));
    EXPECT_TRUE(system->PrinterFileOutput);
    EXPECT_EQ(system->SystemPrinter.Copies, 3);
    EXPECT_TRUE(system->SystemPrinter.Collate);
    EXPECT_EQ(system->SystemPrinter.Duplex, dupHorizontal);  // not offered: unchanged
}

TEST_F(ReportWindowsTest, SetupPrintRangeFromThePreview) {
    Generate(12);
    TVzRenderPrinter printer(nullptr);
    printer.StoredPageCount = 12;
    TVPSetupForm f(nullptr);
    f.ReportSystem = system.get();
    f.PrintRangeMode = true;
    f.PrinterRenderer = &printer;
    ShowSetup(f, [&] {
        EXPECT_EQ(f.PageControl->ActivePage(), f.RangePage);
        EXPECT_EQ(f.FromEdit->Text(), "1");
        EXPECT_EQ(f.ToEdit->Text(), "12");
        EXPECT_EQ(f.SelectionEdit->Text(), "1-12");
        EXPECT_TRUE(f.AllRadio->Checked());
        f.PagesRadio->SetChecked(true);
        EXPECT_TRUE(f.FromEdit->Visible());
        EXPECT_FALSE(f.SelectionEdit->Visible());
        f.FromEdit->SetText("2");
        f.ToEdit->SetText("5");
        f.DuplexCheck->SetChecked(true);
        f.OKBtn->Click();
    });
    EXPECT_EQ(printer.FirstPage, 2);
    EXPECT_EQ(printer.LastPage, 5);
    EXPECT_EQ(printer.Selection, "");
    EXPECT_EQ(printer.Duplex, dupVertical);
}

TEST_F(ReportWindowsTest, PreviewPagingActionsAndKeys) {
    auto one = OpenPreview(1);
    for (const char* a : {"First", "Previous", "Next", "Last"}) EXPECT_FALSE(one->Action(a).Enabled) << a;
    one.reset();

    auto f = OpenPreview(3);
    EXPECT_EQ(f->PageCountLabel->Caption(), "of 3");
    EXPECT_EQ(f->StatusBar->Caption(), "Page 1 of 3");
    EXPECT_TRUE(f->Action("Next").Enabled);
    f->Action("Last").Run();
    EXPECT_EQ(f->RenderPreview()->CurrentPage(), 3);
    EXPECT_EQ(f->PageEdit->Text(), "3");
    EXPECT_FALSE(f->Action("Next").Enabled);
    Press(*f, 'n');  // not on the last page
    EXPECT_EQ(f->RenderPreview()->CurrentPage(), 3);
    Press(*f, 'b');
    EXPECT_EQ(f->RenderPreview()->CurrentPage(), 1);
    Press(*f, 'p');  // not before the first
    EXPECT_EQ(f->RenderPreview()->CurrentPage(), 1);
    Press(*f, 'E');
    EXPECT_EQ(f->RenderPreview()->CurrentPage(), 3);

    // "0" typed into the page field shows page 1.
    f->PageEdit->SetText("0");
    char enter = '\r';
    f->PageEditKeyPress(enter);
    EXPECT_EQ(f->RenderPreview()->CurrentPage(), 1);
    char dot = '.';
    f->PageEditKeyPress(dot);
    EXPECT_EQ(dot, 0);

    script.AnswerInput("2", "Enter page to move to:");
    f->Action("GoToPage").Run();
    EXPECT_EQ(f->RenderPreview()->CurrentPage(), 2);

    // Zoom by keys and by the zoom field.
    Press(*f, '+');
    EXPECT_DOUBLE_EQ(f->RenderPreview()->ZoomFactor(), 110);
    EXPECT_EQ(f->ZoomEdit->Text(), "110.0");
    f->ZoomEdit->SetText("75");
    f->ZoomEditExit();
    EXPECT_DOUBLE_EQ(f->RenderPreview()->ZoomFactor(), 75);
    EXPECT_EQ(f->RenderPreview()->CurrentPage(), 2);

    // "X" is dropped, "x" closes.
    char big = 'X';
    f->FormKeyPress(big);
    EXPECT_EQ(big, 0);
    EXPECT_TRUE(f->Visible());
    Press(*f, 'x');
    EXPECT_FALSE(f->Visible());
    EXPECT_TRUE(f->Closed);
}

TEST_F(ReportWindowsTest, PreviewSavesAnExactCopyAndOpensIt) {
    auto f = OpenPreview(3);
    f->Action("Next").Run();
    script.AnswerFile(Path("copy.vsf"));
    f->Action("Save").Run();
    EXPECT_EQ(f->RenderPreview()->CurrentPage(), 2);
    TMemoryStream saved;
    saved.LoadFromFile(Path("copy.vsf"));
    ASSERT_EQ(saved.Size(), snapshot.Size());
    EXPECT_EQ(std::memcmp(saved.Memory(), snapshot.Memory(), size_t(saved.Size())), 0);

    f->OpenFile(Path("copy.vsf"));
    EXPECT_TRUE(f->OwnsStream);
    EXPECT_EQ(f->RenderPreview()->CurrentPage(), 1);
    EXPECT_EQ(f->RenderPreview()->GetPageCount(), 3);
    EXPECT_NE(f->Caption().find(" - [ copy.vsf ]"), std::string::npos);

    system->SystemOptions &= ~(1u << soAllowSaveFromPreview);
    f->UpdateActions();
    EXPECT_FALSE(f->Action("Save").Enabled);
}

TEST_F(ReportWindowsTest, PrintingFromThePreviewMakesCopiesThePrinterCannot) {
    TRecordingPrinterSpec spec;
    spec.MaxCopies = 1;
    UsePrinters({"Lab"}, "Lab", spec);
    auto f = OpenPreview(2);
    int afterPrint = 0;
    f->AfterPrint = [&](TObject* s) {
        EXPECT_EQ(s, f->RenderPrinter());
        ++afterPrint;
    };
    UiQueue::Post([&] {
        auto* setup = dynamic_cast<TVPSetupForm*>(Screen->ActiveForm());
        ASSERT_NE(setup, nullptr);
        EXPECT_TRUE(setup->PrintRangeMode);
        setup->CopiesEdit->SetText("3");
        setup->OKBtn->Click();
    });
    f->Action("Print").Run();
    EXPECT_EQ(RecordedPrintJobs().size(), 3u);
    EXPECT_EQ(afterPrint, 1);
    EXPECT_TRUE(f->RenderPrinter()->UseOwnSettings);

    // Without the setup member the report prints straight away.
    RecordedPrintJobs().clear();
    system->SystemSetups &= ~(1u << ssAllowPreviewSetup);
    f->RenderPrinter()->Copies = 1;
    f->Action("Print").Run();
    EXPECT_EQ(RecordedPrintJobs().size(), 1u);
}

// The program's output-options window: the formats of the registered
// renderers, the extension a file name gets, what OK stores, and the
// choices left when no printer is installed.

#include "app/tests/ReportTestSupport.h"

#include "app/OmbxVpFormSetup.h"
#include "report/RenderCanvas.h"
#include "report/ReportSystem.h"

namespace {

TEST(RendererExtensionTest, TheFirstPatternGivesTheExtension) {
    struct Case {
        const char* patterns;
        const char* extension;
    } cases[] = {{"*.pdf", ".pdf"}, {"*.html;*.htm", ".html"}, {"*.*", ""}, {"", ""}, {"*.rtf ; *.doc", ".rtf"}};
    for (const Case& c : cases) EXPECT_EQ(RendererFileExtension(c.patterns), c.extension) << c.patterns;
}

class OutputOptionsTest : public ReportClassFixture {
protected:
    std::unique_ptr<TfrmOmbxVPSetupForm> Shown(TVzSystem* system) {
        auto dialog = std::make_unique<TfrmOmbxVPSetupForm>(nullptr);
        dialog->ReportSystem = system;
        dialog->FormShow();
        return dialog;
    }
    void ChooseFile(TfrmOmbxVPSetupForm& dialog, const std::string& name, const std::string& format) {
        dialog.FileRB->SetChecked(true);
        dialog.FileRBClick();
        dialog.editFileName->SetText(name);
        dialog.cboxFormat->SetItemIndex(dialog.cboxFormat->Items()->IndexOf(format));
    }
};

TEST_F(OutputOptionsTest, FileNamesTakeTheChosenFormatsExtension) {
    TVzSystem* system = reports->rsSummary;
    auto dialog = Shown(system);
    // Only the registered renderers: no snapshot or printer-file format.
    for (int i = 0; i < dialog->cboxFormat->Items()->Count(); ++i) {
        EXPECT_EQ(dialog->cboxFormat->Items()->Strings(i).find("VSF"), std::string::npos);
        EXPECT_EQ(dialog->cboxFormat->Items()->Strings(i).find("PRN"), std::string::npos);
    }
    for (const char* format : {"Adobe Acrobat (PDF)", "Web Page (HTML)", "Microsoft Excel Workbook", "Rich Text Format"})
        EXPECT_GE(dialog->cboxFormat->Items()->IndexOf(format), 0) << format;
    EXPECT_EQ(dialog->cboxFormat->ItemIndex(), 0);
    EXPECT_EQ(dialog->PrinterLabel->Caption(), "Lab Printer");
    EXPECT_TRUE(dialog->PreviewRB->Checked());  // the system's default destination

    struct Case {
        const char* typed;
        const char* format;
        std::string stored;
    } cases[] = {{"report", "Adobe Acrobat (PDF)", "report.pdf"},
                 {" report.txt ", "Adobe Acrobat (PDF)", "report.txt"},
                 {"scores", "Web Page (HTML)", "scores.html"},
                 {"/tmp/a.b/scores", "Web Page (HTML)", "/tmp/a.b/scores.html"}};
    for (const Case& c : cases) {
        ChooseFile(*dialog, c.typed, c.format);
        EXPECT_TRUE(dialog->bbtnOK->Enabled());
        dialog->bbtnOKClick();
        EXPECT_EQ(dialog->ModalResult(), mrOk);
        EXPECT_EQ(system->ReportDest, rdFile);
        EXPECT_EQ(system->OutputFileName, c.stored) << c.typed;
        ASSERT_NE(system->FileRenderer(), nullptr);
        EXPECT_EQ(system->FileRenderer()->DisplayName(), c.format);
    }
    // A blank name leaves OK disabled.
    dialog->editFileName->SetText("  ");
    EXPECT_FALSE(dialog->bbtnOK->Enabled());

    dialog->PrinterRB->SetChecked(true);
    dialog->PrinterRBClick();
    dialog->CopiesED->SetText("3");
    dialog->CollateCK->SetChecked(true);
    dialog->bbtnOKClick();
    EXPECT_EQ(system->ReportDest, rdPrinter);
    EXPECT_EQ(system->OutputFileName, "");
    EXPECT_EQ(system->SystemPrinter.Copies, 3);
    EXPECT_TRUE(system->SystemPrinter.Collate);
}

TEST_F(OutputOptionsTest, FileWithoutAnyFormatKeepsTheWindowOpen) {
    reports.reset();  // no renderer registered any more
    TVzSystem system(nullptr);
    auto dialog = Shown(&system);
    EXPECT_EQ(dialog->cboxFormat->Items()->Count(), 0);
    dialog->FileRB->SetChecked(true);
    dialog->FileRBClick();
    dialog->editFileName->SetText("report");
    prompts.Ok("Please choose a format for the output file.");
    dialog->SetModalResult(mrOk);  // as the button would have it
    dialog->bbtnOKClick();
    EXPECT_EQ(dialog->ModalResult(), mrNone);
    EXPECT_EQ(system.OutputFileName, "");
    EXPECT_EQ(system.FileRenderer(), nullptr);
}

TEST_F(OutputOptionsTest, WithoutPrintersOnlyThePreviewIsOffered) {
    SetPrinterListForTesting(true, {}, "");
    ResetPrinterDeviceForTesting();
    TVzSystem system(nullptr);
    system.DefaultDest = rdPrinter;
    auto dialog = Shown(&system);
    EXPECT_EQ(dialog->PrinterLabel->Caption(), "No printers installed!");
    EXPECT_FALSE(dialog->PrinterRB->Enabled());
    EXPECT_FALSE(dialog->FileRB->Enabled());
    EXPECT_TRUE(dialog->PreviewRB->Enabled());
    EXPECT_TRUE(dialog->PreviewRB->Checked());
    EXPECT_FALSE(dialog->SetupBB->Enabled());
    EXPECT_FALSE(dialog->CopiesED->Enabled());

    system.SystemSetups &= ~(1u << ssAllowDestPreview);
    auto without = Shown(&system);
    EXPECT_FALSE(without->PreviewRB->Enabled());
    EXPECT_FALSE(without->PreviewRB->Checked());
}

TEST_F(OutputOptionsTest, PrintRangePageStoresTheRangeOnThePrinterRenderer) {
    TVzRenderPrinter printer(nullptr);
    TVzSystem system(nullptr);
    auto dialog = std::make_unique<TfrmOmbxVPSetupForm>(nullptr);
    dialog->ReportSystem = &system;
    dialog->RangeMode = true;
    dialog->PrinterRenderer = &printer;
    dialog->FormShow();
    EXPECT_EQ(dialog->PageControl1->ActivePage(), dialog->tsRange);
    EXPECT_EQ(dialog->FromED->Text(), "1");
    EXPECT_EQ(dialog->SelectionED->Text(), "1-" + dialog->ToED->Text());

    dialog->PagesRB->SetChecked(true);
    dialog->PagesRBClick();
    EXPECT_TRUE(dialog->FromED->Visible());
    EXPECT_FALSE(dialog->SelectionED->Visible());
    dialog->FromED->SetText("2");
    dialog->ToED->SetText("3");
    dialog->CopiesED->SetText("2");
    dialog->bbtnOKClick();
    EXPECT_EQ(printer.FirstPage, 2);
    EXPECT_EQ(printer.LastPage, 3);
    EXPECT_EQ(printer.Copies, 2);

    dialog->SelectionRB->SetChecked(true);
    dialog->SelectionRBClick();
    dialog->SelectionED->SetText("1,3-4");
    dialog->bbtnOKClick();
    EXPECT_EQ(printer.Selection, "1,3-4");
    EXPECT_EQ(printer.FirstPage, 1);
    EXPECT_EQ(printer.LastPage, 9999);
}

}  // namespace

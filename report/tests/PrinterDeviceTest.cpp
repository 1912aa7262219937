#include "report/tests/ReportTestSupport.h"

#include "platform/core/MathUtils.h"
#include "platform/gui/Prompts.h"

using PrinterDeviceTest = ReportPrinterFixture;

TEST_F(PrinterDeviceTest, DefaultPrinterIsSelectedAndMeasured) {
    UsePrinters({"Office", "Lab", "Plotter"}, "Lab");
    TVpPrinterDevice* d = GetPrinterDevice();
    EXPECT_FALSE(d->NoPrinters());
    EXPECT_EQ(d->GetPrinterIndex(), 1);
    EXPECT_EQ(d->GetDeviceName(), "Lab");
    EXPECT_EQ(d->GetXDPI(), 100);
    EXPECT_EQ(d->GetPageWidth(), 800);
    EXPECT_EQ(d->GetPageHeight(), 1050);
    TRect waste = d->GetWaste();
    EXPECT_EQ(waste, TRect(25, 20, 25, 30));
    EXPECT_EQ(d->TextWidth(""), 1);
    EXPECT_GT(d->TextWidth("Hello"), 1);
}

TEST_F(PrinterDeviceTest, WithoutADefaultTheLastPrinterIsTaken) {
    UsePrinters({"Office", "Lab", "Plotter"}, "");
    EXPECT_EQ(GetPrinterDevice()->GetPrinterIndex(), 2);
}

TEST_F(PrinterDeviceTest, NoPrinterInstalled) {
    TVpPrinterDevice* d = GetPrinterDevice();
    EXPECT_TRUE(d->NoPrinters());
    EXPECT_EQ(d->GetDevMode(), nullptr);
    EXPECT_EQ(d->GetMaxCopies(), 1);
    EXPECT_EQ(d->GetCopies(), 1);
    EXPECT_EQ(d->GetOrientation(), 0);
    EXPECT_EQ(d->GetXDPI(), 100);
    EXPECT_FALSE(d->SelectBin("Upper", false));
    EXPECT_FALSE(d->SelectPaper("Letter", false));
    EXPECT_FALSE(d->SetPaperSize(9, 0, 0));
    EXPECT_THROW(d->BeginDoc(), EReportPrinter);
    EXPECT_FALSE(d->Printing);
}

TEST_F(PrinterDeviceTest, SelectPrinterByPartOrExactName) {
    UsePrinters({"HP LaserJet Office", "Lab Printer"}, "Lab Printer");
    TVpPrinterDevice* d = GetPrinterDevice();
    EXPECT_TRUE(d->SelectPrinter("laserjet", false));
    EXPECT_EQ(d->GetDeviceName(), "HP LaserJet Office");
    EXPECT_FALSE(d->SelectPrinter("lab printer", true));
    EXPECT_TRUE(d->SelectPrinter("Lab Printer", true));
    EXPECT_EQ(d->GetDeviceName(), "Lab Printer");
    EXPECT_TRUE(d->SelectPrinter("printer on ", true));  // " on " makes it a part match
    EXPECT_FALSE(d->SelectPrinter("Nowhere", false));
}

TEST_F(PrinterDeviceTest, SettingsChangeOnlyWithinWhatThePrinterAccepts) {
    UsePrinters({"Lab"}, "Lab");
    TVpPrinterDevice* d = GetPrinterDevice();
    d->SetCopies(99);
    EXPECT_EQ(d->GetCopies(), 99);
    d->SetCopies(0);
    d->SetCopies(100);
    EXPECT_EQ(d->GetCopies(), 99);
    d->SetDuplex(dupVertical);
    EXPECT_EQ(d->GetDuplex(), dupVertical);
    d->SetCollate(true);
    EXPECT_TRUE(d->GetCollate());
    // Custom paper: the extents are inclusive.
    EXPECT_TRUE(d->SetPaperSize(0, 1000, 4500));
    EXPECT_TRUE(d->SetPaperSize(0, 3000, 1500));
    EXPECT_FALSE(d->SetPaperSize(0, 999, 2000));
    EXPECT_FALSE(d->SetPaperSize(0, 2000, 4501));
    EXPECT_TRUE(d->SetPaperSize(5, 0, 0));
    EXPECT_FALSE(d->SetPaperSize(11, 0, 0));  // A5 is not among this printer's papers
    EXPECT_EQ(d->GetDevMode()->PaperSize, 5);
    EXPECT_EQ(d->GetPageHeight(), 1400 - 50);  // legal, once the change is applied
    EXPECT_TRUE(d->SelectBin("manual", false));
    EXPECT_EQ(d->GetDevMode()->DefaultSource, 4);
    EXPECT_FALSE(d->SelectBin("manual", true));
    d->SetOrientation(poLandScape);
    EXPECT_EQ(d->GetOrientation(), poLandScape);
    d->SetOrientation(poDefault);
    EXPECT_EQ(d->GetOrientation(), poLandScape);
}

TEST_F(PrinterDeviceTest, JobPagesAndABinChangeBetweenPages) {
    UsePrinters({"Lab"}, "Lab");
    TVpPrinterDevice* d = GetPrinterDevice();
    d->Title = "Report";
    d->BeginDoc();
    EXPECT_THROW(d->SetCopies(2), EReportPrinter);
    EXPECT_THROW(d->StartJob(), EReportPrinter);
    TCanvas* c = d->GetCanvas();
    c->Brush()->SetColor(clBlack);
    c->FillRect(Rect(0, 0, 10, 10));
    EXPECT_TRUE(d->SelectBin("Manual feed", true));
    d->ClosePage(true);
    d->EndDoc();
    EXPECT_FALSE(d->Printing);
    EXPECT_THROW(d->EndDoc(), EReportPrinter);
    ASSERT_EQ(RecordedPrintJobs().size(), 1u);
    const TRecordedJob& job = RecordedPrintJobs()[0];
    EXPECT_EQ(job.Title, "Report");
    ASSERT_EQ(job.Pages.size(), 2u);
    EXPECT_EQ(job.Pages[0].Settings.DefaultSource, 0);
    EXPECT_EQ(job.Pages[1].Settings.DefaultSource, 4);
    EXPECT_EQ(job.Pages[0].Image.pixel(5, 5) & 0xFFFFFF, 0u);
    EXPECT_EQ(job.Pages[1].Image.pixel(5, 5) & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(PrinterDeviceTest, AbortedJobIsNotEnded) {
    UsePrinters({"Lab"}, "Lab");
    TVpPrinterDevice* d = GetPrinterDevice();
    d->BeginDoc();
    d->AbortDoc();
    EXPECT_FALSE(d->Printing);
    ASSERT_EQ(RecordedPrintJobs().size(), 1u);
    EXPECT_TRUE(RecordedPrintJobs()[0].Aborted);
    EXPECT_FALSE(RecordedPrintJobs()[0].Ended);
}

TEST_F(PrinterDeviceTest, SetupDialogSelectsTheChosenPrinter) {
    UsePrinters({"Office", "Lab"}, "Office");
    TVpPrinterDevice* d = GetPrinterDevice();
    d->SetCopies(3);
    TScriptedPrompts script;
    script.AnswerWith([](const PromptRequest&) {
        PromptAnswer a;
        a.Result = mrOk;
        a.PrinterName = "Office";
        return a;
    });
    EXPECT_TRUE(d->PrinterSetupDialog());
    EXPECT_EQ(d->GetCopies(), 3);  // same printer: its settings stay
    script.AnswerWith([](const PromptRequest&) {
        PromptAnswer a;
        a.Result = mrOk;
        a.PrinterName = "Lab";
        return a;
    });
    EXPECT_TRUE(d->PrinterSetupDialog());
    EXPECT_EQ(d->GetDeviceName(), "Lab");
    EXPECT_EQ(d->GetCopies(), 1);
}

TEST_F(PrinterDeviceTest, RenderDeviceMeasuresAt600Dpi) {
    TVPRenderDevice r;
    EXPECT_TRUE(r.Printing);
    EXPECT_EQ(r.GetXDPI(), 600);
    EXPECT_EQ(r.PageWidth, 5100);
    EXPECT_EQ(r.GetPageWidth(), 6600);  // starts in landscape
    r.GetCanvas()->Font()->SetHeight(-100);
    int w = r.TextWidth("Hello");
    EXPECT_NEAR(w, r.GetCanvas()->TextWidth("Hello"), 3);
    EXPECT_EQ(r.TextWidth(""), 0);
    EXPECT_TRUE(r.SetPaperSize(9, 0, 0));
    EXPECT_EQ(r.PageWidth, int(Round(8.2677 * 600)));
}

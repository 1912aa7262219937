#include <gtest/gtest.h>

#include "platform/print/Printers.h"

namespace {
class PrintersTest : public ::testing::Test {
protected:
    void TearDown() override { SetPrinterListForTesting(false); }
};
}  // namespace

TEST_F(PrintersTest, DefaultPrinterIsSelectedUntilAnotherIsChosen) {
    SetPrinterListForTesting(true, {"Office", "Lab", "PDF"}, "Lab");
    TPrinter* p = Printer();
    EXPECT_EQ(p->Printers().Count(), 3);
    EXPECT_EQ(p->DefaultPrinterIndex(), 1);
    EXPECT_EQ(p->PrinterIndex(), 1);
    EXPECT_EQ(p->PrinterName(), "Lab");
    p->SetPrinterIndex(2);
    EXPECT_EQ(p->PrinterName(), "PDF");
    EXPECT_THROW(p->SetPrinterIndex(3), EPrinter);
    EXPECT_EQ(p->PrinterName(), "PDF");
    // The selection survives a refresh by name; -1 returns to the default.
    SetPrinterListForTesting(true, {"PDF", "Lab"}, "Lab");
    EXPECT_EQ(p->PrinterIndex(), 0);
    p->SetPrinterIndex(-1);
    EXPECT_EQ(p->PrinterName(), "Lab");
}

TEST_F(PrintersTest, NoPrinterInstalled) {
    SetPrinterListForTesting(true, {}, "");
    EXPECT_EQ(Printer()->PrinterIndex(), -1);
    EXPECT_EQ(Printer()->PrinterName(), "");
    EXPECT_THROW(Printer()->SetPrinterIndex(0), EPrinter);
    // Without a default the first printer is used.
    SetPrinterListForTesting(true, {"Only"}, "");
    EXPECT_EQ(Printer()->PrinterName(), "Only");
}

TEST_F(PrintersTest, PrintDialogsGoThroughThePromptService) {
    SetPrinterListForTesting(true, {"Office", "Lab"}, "Office");
    TScriptedPrompts script;
    script.OnFailure = [](const std::string& m) { ADD_FAILURE() << m; };
    script.AnswerWith([](const PromptRequest& r) {
        EXPECT_EQ(r.Kind, PromptKind::Print);
        EXPECT_EQ(r.PrinterName, "Office");
        PromptAnswer a;
        a.Result = mrOk;
        a.PrinterName = "Lab";
        a.Copies = 2;
        return a;
    });
    script.AnswerCancel();
    TPrintDialog dlg(nullptr);
    EXPECT_TRUE(dlg.Execute());
    EXPECT_EQ(dlg.Copies, 2);
    EXPECT_EQ(Printer()->PrinterName(), "Lab");
    TPrinterSetupDialog setup(nullptr);
    EXPECT_FALSE(setup.Execute());
    EXPECT_EQ(Printer()->PrinterName(), "Lab");
    EXPECT_EQ(script.TranscriptText(), "Print: Print\nPrinter setup: Print Setup\n");
}

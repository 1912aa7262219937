#include "app/fmCalibrate.h"

#include "app/fmSetup.h"
#include "app/fmTestMain.h"
#include "app/tests/ScannerTestSupport.h"
#include "app/tests/WindowTestSupport.h"
#include "platform/core/FileUtils.h"

namespace {

class CalibrationTest : public WindowTest {
protected:
    TestPorts ports;
};

TEST_F(CalibrationTest, VersionPicksFourOrEightSheets) {
    struct Case {
        double version;
        int sheets;
    } cases[] = {{3.0, 4}, {2.9, 4}, {3.1, 8}, {3.2, 8}, {0, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        auto* cal = new TfrmCalibrate(Application);
        cal->SetFirmwareVersion(c.version);
        EXPECT_EQ(cal->FourSheets(), c.sheets == 4);
        EXPECT_EQ(cal->lblTtl->Caption(), "of " + std::to_string(c.sheets));
        EXPECT_EQ(cal->lblInst->Caption(), "To calibrate your Veltrane machine you will need  to drop " +
                                               std::to_string(c.sheets) + " blank test sheets through your machine.  ");
        EXPECT_EQ(cal->Caption(), "Calibrate Veltmach");
        delete cal;
    }
}

// A text set just before the blocking pause (calibration's "Calibration
// complete.") is on screen while the pause lasts.
TEST_F(CalibrationTest, TextSetBeforeThePauseIsOnScreenDuringIt) {
    auto* form = new TForm(Application);
    form->SetBounds(0, 0, 300, 120);
    auto* label = new TLabel(form);
    label->SetParent(form);
    label->SetAutoSize(false);
    label->SetBounds(10, 10, 280, 40);
    label->SetCaption("Starting Calibration.  Please Wait...");
    form->Show();
    Application->ProcessMessages();
    label->SetCaption("Calibration complete.");
    QImage duringPause;
    SetBlockingPauseHandler([&](Cardinal) { duringPause = ScreenPixels(form); });
    BlockingPause(5000);
    ASSERT_FALSE(duringPause.isNull());
    QImage expected = label->Widget()->grab().toImage().convertToFormat(duringPause.format());
    EXPECT_EQ(duringPause.copy(label->Left(), label->Top(), label->Width(), label->Height()), expected);
    delete form;
}

// From the set-up dialog's Calibrate button to the scanner's last reply,
// against the simulator: the sheets the dialog asks for, the messages, and
// the commands the scanner received.
TEST_F(CalibrationTest, StoredFailedAndTimedOutCalibrations) {
    const char* stored = "Calibration data stored successfully!";
    const char* failed = "Error, calibration data failed to store.  Machine MUST be re-calibrated.";
    const char* timedOut = "Timed out starting the calibration.  Try again.";
    struct Case {
        const char* version;
        int sheets;
        TSimCalibrationEnding ending;
        const char* message;
        const char* commands;  // setup: "@", Calibrate: "@" "v"; calibration dialog: the rest
        int prompts;
    } cases[] = {
        {"Version 3.0 (C) Scanner simulator.\r\n", 4, ceStored, stored, "@@v@c@s", 4},
        {"Version 3.1 (C) Scanner simulator.\r\n", 8, ceStored, stored, "@@v@c@s", 8},
        {"Version 3.1 (C) Scanner simulator.\r\n", 8, ceFailed, failed, "@@v@c@s@", 8},
        {"Version 3.0 (C) Scanner simulator.\r\n", 4, ceTimeout, timedOut, "@@v@c", 0},
    };
    const char* ordinals[] = {"first", "second", "third", "fourth", "fifth", "sixth", "seventh", "eighth"};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.version) + " " + c.message);
        TSimScript simScript;
        simScript.Version = c.version;
        simScript.CalibrationSheets = c.sheets;
        simScript.CalibrationEnding = c.ending;
        TScannerSimulator sim(simScript);
        ports.Plug(sim, 3);
        std::string log = home.Dir() + "scansim.log";
        DeleteFile(log);
        sim.SetLogFile(log);

        auto* main = new TfrmMain(Application);
        auto* setup = new TfrmSetup(main);
        setup->SioComPort1 = main->SioComPort1;
        setup->SetPortNo(3);
        std::vector<std::string> prompts;  // "<number> <text>" as the dialog showed them
        std::string sheetsOf;
        bool ended = false;
        script.Answer(mrOk, "Veltrane machine found on COM port 3.").AnswerWith([&](const PromptRequest& r) {
            EXPECT_EQ(r.Text, c.message);
            // The calibration dialog is still open when its last message shows.
            if (auto* cal = ActiveAs<TfrmCalibrate>()) sheetsOf = cal->lblTtl->Caption();
            ended = true;
            PromptAnswer a;
            a.Result = mrOk;
            return a;
        });
        pausedMs = 0;

        IdleDriver driver([&] {
            if (auto* cal = ActiveAs<TfrmCalibrate>()) {
                std::string shown = cal->lblNumber->Caption() + " " + cal->lblText->Caption();
                if (cal->lblText->Caption().rfind("Please drop", 0) == 0 &&
                    (prompts.empty() || prompts.back() != shown)) {
                    prompts.push_back(shown);
                    sim.FeedSheet();  // the next prompt, or "E" after the last sheet
                }
            } else if (ended) {
                // The calibration dialog has closed (the failed one after
                // the scanner's ready reply to its Cancel).
                if (ActiveAs<TfrmSetup>() == setup && sim.ReceivedText() == c.commands) setup->btnCancel->Click();
            } else if (setup->Found() && setup->btnCalibrate->Enabled() && sim.ReceivedText() == "@") {
                setup->btnCalibrate->Click();
            }
        });
        EXPECT_EQ(setup->ShowModal(), mrCancel);
        EXPECT_TRUE(ended);
        EXPECT_EQ(sheetsOf, "of " + std::to_string(c.sheets));
        ASSERT_EQ(prompts.size(), std::size_t(c.prompts)) << sim.ReceivedText();
        for (int n = 1; n <= c.prompts; ++n)
            EXPECT_EQ(prompts[n - 1],
                      std::to_string(n) + " Please drop the " + ordinals[n - 1] + " sheet through now.");
        EXPECT_EQ(sim.ReceivedText(), c.commands);
        // The simulator's own log holds the same commands, one per line.
        std::string logged;
        for (const TSimLogEntry& e : sim.Received()) logged += TScannerSimulator::FormatLogLine(e) + "\n";
        EXPECT_EQ(ReadAll(log), logged);
        // The pause after the last sheet, before the results are stored.
        EXPECT_EQ(pausedMs, c.ending == ceTimeout ? 0u : 5000u);
        EXPECT_EQ(script.Transcript().back().Request.Type, c.ending == ceFailed ? mtError : mtInformation);
        EXPECT_EQ(script.Pending(), 0u);
        script.Clear();
        delete main;
    }
}

}  // namespace

#include "app/fmSetup.h"

#include <QTest>

#include "app/AppSettings.h"
#include "app/fmTestMain.h"
#include "app/tests/ScannerTestSupport.h"
#include "app/tests/WindowTestSupport.h"

namespace {

class PortSetupTest : public WindowTest {
protected:
    TSimScript Silent() {
        TSimScript s;
        s.Silent = true;
        return s;
    }
    // The set-up dialog as the welcome window opens it, on the welcome
    // window's port.
    TfrmSetup* NewSetup(int storedPort) {
        main = new TfrmMain(Application);
        auto* setup = new TfrmSetup(main);
        setup->SioComPort1 = main->SioComPort1;
        setup->SetPortNo(storedPort);
        return setup;
    }
    TestPorts ports;
    TfrmMain* main = nullptr;
};

// The program's first start: no port stored, the set-up dialog opens by
// itself, probes the ports and finds the scanner on COM3; OK stores it.
TEST_F(PortSetupTest, WithoutAStoredPortTheSetupDialogFindsTheScanner) {
    TScannerSimulator sim;
    ports.Plug(sim, 3);
    TfrmMain* program = nullptr;
    Application->CreateForm(program);
    script.Answer(mrOk, "Com Port not set up yet.  Setup dialog will now open.")
        .Answer(mrOk, "Veltrane machine found on COM port 3.");
    int comNumberAfterOk = -1;
    IdleDriver driver([&] {
        if (auto* setup = ActiveAs<TfrmSetup>(); setup && setup->Found()) {
            EXPECT_TRUE(setup->btnOK->Enabled());
            EXPECT_TRUE(setup->btnCalibrate->Enabled());
            EXPECT_FALSE(setup->lblCheck->Visible());
            EXPECT_EQ(setup->cbComPort->ItemIndex(), 2);
            setup->btnOK->Click();
        } else if (program->Active()) {
            comNumberAfterOk = program->SioComPort1->ComNumber();
            program->Close();
        }
    });
    Application->Run();
    EXPECT_EQ(script.Texts(), (std::vector<std::string>{"Com Port not set up yet.  Setup dialog will now open.",
                                                        "Veltrane machine found on COM port 3."}));
    EXPECT_EQ(script.Transcript()[0].Request.Type, mtInformation);
    EXPECT_EQ(ReadPortNo(home.Dir() + "VeltmachSettings.ini"), 3);
    EXPECT_EQ(comNumberAfterOk, 3);
    EXPECT_EQ(sim.ReceivedText(), "@");
}

// Installed in a folder nobody can write to (here /proc, which turns away
// root too): the first start runs through Setup without an error, and the
// chosen port lands in the brand's folder under the user's data folder.
TEST_F(PortSetupTest, FirstStartInAReadOnlyFolderStoresTheSettingsInTheUserDataFolder) {
    TempFolder data;
    unsetenv("OMR_HOME");
    setenv("XDG_DATA_HOME", data.Path().c_str(), 1);
    SetProgramFileNameForTesting("/proc/OMBXscore");
    TScannerSimulator sim;
    ports.Plug(sim, 3);
    TfrmMain* program = nullptr;
    Application->CreateForm(program);
    script.Answer(mrOk, "Com Port not set up yet.  Setup dialog will now open.")
        .Answer(mrOk, "Ombrix machine found on COM port 3.");
    IdleDriver driver([&] {
        if (auto* setup = ActiveAs<TfrmSetup>(); setup && setup->Found()) setup->btnOK->Click();
        else if (program->Active()) program->Close();
    });
    Application->Run();
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(script.Transcript().size(), 2u) << script.TranscriptText();
    EXPECT_EQ(ReadPortNo(data / "Ombrix/OmbrixSettings.ini"), 3);
}

// A port that stays silent is given up when its 4 seconds are over, and
// the probe goes on to the next port.
TEST_F(PortSetupTest, ASilentPortIsGivenUpAfterTheTimer) {
    TScannerSimulator silent(Silent());
    TScannerSimulator live;
    ports.Plug(silent, 3);
    ports.Plug(live, 5);
    RunAs("OMBXscore");
    TfrmSetup* setup = NewSetup(0);
    script.Answer(mrOk, "Ombrix machine found on COM port 5.");
    std::uint64_t advanced = 0;
    IdleDriver driver([&] {
        if (setup->Found()) {
            setup->btnOK->Click();
        } else if (advanced == 0 && silent.ReceivedText() == "@") {
            EXPECT_EQ(setup->lblCheck->Caption(), "Checking Port 3");
            EXPECT_TRUE(live.ReceivedText().empty());
            advanced = 4000;
            clock.Advance(4000);
        }
    });
    EXPECT_EQ(setup->ShowModal(), mrOk);
    EXPECT_EQ(setup->GetPortNo(), 5);
    EXPECT_EQ(main->SioComPort1->ComNumber(), 5);
    EXPECT_EQ(silent.ReceivedText(), "@");
    EXPECT_EQ(live.ReceivedText(), "@");
    EXPECT_EQ(Screen->Cursor(), crDefault);
    delete main;
}

// No scanner anywhere: after every port was tried the error is shown and
// the dialog stays open with OK disabled.
TEST_F(PortSetupTest, NoScannerShowsTheErrorAfterEveryPortWasTried) {
    TScannerSimulator silent(Silent());
    ports.Plug(silent, 3);
    TfrmSetup* setup = NewSetup(0);
    script.Answer(mrOk, "Error!  Could not detect Veltrane machine.\r\nCheck all cable and driver installations.");
    std::uint64_t start = clock.TickMs();
    IdleDriver driver([&] {
        if (!script.Transcript().empty()) {
            EXPECT_FALSE(setup->lblCheck->Visible());
            EXPECT_FALSE(setup->btnOK->Enabled());
            EXPECT_EQ(setup->lblCheck->Caption(), "Checking Port 24");
            setup->btnCancel->Click();
        } else if (silent.ReceivedText() == "@") {
            clock.Advance(1000);
        }
    });
    EXPECT_EQ(setup->ShowModal(), mrCancel);
    // One period for port 3, one for the ports after it, which fail at once.
    EXPECT_EQ(clock.TickMs() - start, 8000u);
    EXPECT_EQ(script.Transcript()[0].Request.Type, mtError);
    EXPECT_EQ(setup->GetPortNo(), 0);
    delete main;
}

// Line ends ahead of "K" do not keep the scanner from being found; the
// trace memo shows what came in.
TEST_F(PortSetupTest, LeadingLineEndsBeforeTheReadyReplyAreDropped) {
    TScannerSimulator sim(Silent());
    ports.Plug(sim, 3);
    Arguments("TRACE");
    TfrmSetup* setup = NewSetup(3);
    script.Answer(mrOk, "Veltrane machine found on COM port 3.");
    bool sent = false;
    IdleDriver driver([&] {
        if (setup->Found()) {
            setup->btnCancel->Click();
        } else if (!sent && sim.ReceivedText() == "@") {
            sent = true;
            sim.SendRaw("\r\n");
            sim.SendRaw("\nK");
        }
    });
    EXPECT_EQ(setup->ShowModal(), mrCancel);
    EXPECT_TRUE(setup->Found());
    EXPECT_TRUE(setup->memTrace->Visible());
    EXPECT_NE(setup->memTrace->Text().find("*****\r\nK"), std::string::npos) << setup->memTrace->Text();
    delete main;
}

// The scanner answers before the dialog was first painted: while the
// "found" message is open the dialog is on screen painted, not black.
// The dialog is opened by a click on the welcome window, as a user opens it.
TEST_F(PortSetupTest, TheDialogIsPaintedWhileTheFoundMessageIsOpen) {
    TScannerSimulator sim;
    ports.Plug(sim, 3);
    WritePortNo(home.Dir() + "VeltmachSettings.ini", 3);
    main = new TfrmMain(Application);
    main->Show();
    // The dialog is freed when it closes: what the checks need of it is
    // taken while it is open.
    bool seen = false;
    QImage onScreen;
    QImage cancelButton;
    QColor face;
    QRect cancel;
    script.AnswerWith([&](const PromptRequest& r) {
        EXPECT_EQ(r.Text, "Veltrane machine found on COM port 3.");
        if (TfrmSetup* setup = ActiveAs<TfrmSetup>()) {
            seen = true;
            onScreen = ScreenPixels(setup);
            cancelButton = setup->btnCancel->Widget()->grab().toImage();
            face = ToQColor(setup->Color());
            cancel = QRect(setup->btnCancel->Left(), setup->btnCancel->Top(), setup->btnCancel->Width(),
                           setup->btnCancel->Height());
        }
        PromptAnswer a;
        a.Result = mrOk;
        return a;
    });
    IdleDriver driver([&] {
        if (auto* s = ActiveAs<TfrmSetup>(); s && s->Found()) s->btnCancel->Click();
    });
    QTest::mouseClick(main->btnSetup->Widget(), Qt::LeftButton);
    ASSERT_TRUE(seen);
    ASSERT_FALSE(onScreen.isNull());
    // The face of the dialog below its buttons, and the Cancel button.
    EXPECT_EQ(QColor(onScreen.pixel(4, onScreen.height() - 4)), face);
    EXPECT_EQ(onScreen.copy(cancel), cancelButton.convertToFormat(onScreen.format()));
    delete main;
}

// The stored port is gone: the error is shown and the dialog stays, so
// that auto-detect can find the scanner on its new port.
TEST_F(PortSetupTest, AStoredPortThatCannotBeOpenedLeavesTheDialogOpen) {
    TScannerSimulator sim;
    ports.Plug(sim, 3);
    TfrmSetup* setup = NewSetup(7);
    script.Answer(mrOk, "Specified comport doesn't exist").Answer(mrOk, "Veltrane machine found on COM port 3.");
    IdleDriver driver([&] {
        if (setup->Found())
            setup->btnOK->Click();
        else if (script.Transcript().size() == 1 && !setup->lblCheck->Visible())
            setup->btnAutodetect->Click();
    });
    EXPECT_EQ(setup->ShowModal(), mrOk);
    EXPECT_EQ(script.Transcript()[0].Request.Type, mtError);
    EXPECT_EQ(setup->GetPortNo(), 3);
    delete main;
}

}  // namespace

#include "app/fmTestMain.h"

#include "app/AppSettings.h"
#include "app/BrandResources.h"
#include "app/ProgramStart.h"
#include "app/fmTestWork.h"
#include "app/uLogFileOq.h"
#include "app/tests/ScannerTestSupport.h"
#include "app/tests/WindowTestSupport.h"
#include "platform/core/FileUtils.h"
#include "platform/core/tests/TextTestSupport.h"

namespace {

class WelcomeWindowTest : public WindowTest {
protected:
    // A welcome window shown with a stored port, so the set-up dialog
    // stays closed.
    TfrmMain* ShowMain(const std::string& settingsFile, int portNo = 5) {
        WritePortNo(home.Dir() + settingsFile, portNo);
        auto* main = new TfrmMain(Application);
        main->Show();
        return main;
    }
};

// The brand follows the executable's file name and the name it was started
// by, so a link named for Ombrix runs the shared executable as Ombrix.
TEST_F(WelcomeWindowTest, BrandFollowsTheProgramFileName) {
    struct Case {
        std::string file;
        const char* startedAs;
        bool ombrix;
    } cases[] = {
        {"OMBXscore", "OMBXscore", true}, {"myombxtool", "myombxtool", true}, {"Scorvane", "Scorvane", false},
        {"OMB_X", "OMB_X", false},        {"Scorvane", "/usr/bin/ombx-score", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " started as " + c.startedAs);
        RunAs(c.file);
        SetCommandLine(1, &c.startedAs);
        std::string settings = c.ombrix ? "OmbrixSettings.ini" : "VeltmachSettings.ini";
        std::string other = c.ombrix ? "VeltmachSettings.ini" : "OmbrixSettings.ini";
        WritePortNo(home.Dir() + other, 9);  // the other brand's file is not read
        TfrmMain* main = ShowMain(settings, 5);
        EXPECT_EQ(main->SettingsFileName(), settings);
        EXPECT_EQ(main->SioComPort1->ComNumber(), 5);
        EXPECT_EQ(main->PortNo(), 5);
        EXPECT_TRUE(main->btnStart->Enabled());
        if (c.ombrix) {
            EXPECT_EQ(main->BrandNameText(), "Ombrix");
            EXPECT_EQ(main->Caption(), "Ombrix Scorvane");
            EXPECT_EQ(main->lblTitle->Caption(), "Welcome to the Ombrix Scorvane!");
            EXPECT_EQ(main->lblCopyright->Caption(), BrandMakerLine(TBrand::Ombrix));
            EXPECT_TRUE(main->Image1->Visible());
            EXPECT_FALSE(main->Image2->Visible());
            EXPECT_NE(main->btnAbout->Glyph()->ToImage(), main->sbGen->Glyph()->ToImage());
        } else {
            EXPECT_EQ(main->BrandNameText(), "Veltrane");
            EXPECT_EQ(main->Caption(), "Veltrane Scorvane");
            EXPECT_EQ(main->lblTitle->Caption(), "Welcome to the Veltrane Scorvane!");
            EXPECT_EQ(main->lblCopyright->Caption(), BrandMakerLine(TBrand::Veltrane));
            EXPECT_FALSE(main->Image1->Visible());
            EXPECT_TRUE(main->Image2->Visible());
            EXPECT_EQ(main->Image2->Left(), main->Image1->Left() + 26);
            EXPECT_EQ(main->Image2->Top(), main->Image1->Top() + 2);
            EXPECT_EQ(main->btnAbout->Glyph()->ToImage(), main->sbGen->Glyph()->ToImage());
        }
        delete main;
        DeleteFile(home.Dir() + settings);
        DeleteFile(home.Dir() + other);
    }
    EXPECT_TRUE(script.Transcript().empty());
}

TEST_F(WelcomeWindowTest, TraceArgumentSwitchesSerialTraceAndLog) {
    struct Case {
        const char* arg;
        bool on;
    } cases[] = {
        {"trace", true}, {"/trace", true}, {"-TRACE", true}, {"xxtrace", false}, {"green", false}, {"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arg);
        Arguments(c.arg);
        TfrmMain* main = ShowMain("VeltmachSettings.ini");
        EXPECT_EQ(main->SioComPort1->Tracing(), c.on ? tlOn : tlOff);
        EXPECT_EQ(main->SioComPort1->Logging(), c.on ? tlOn : tlOff);
        delete main;
    }
}

// The whole run: asked for diagnostics where the log cannot be written, the
// program says why in a message box and ends; otherwise it runs until its
// welcome window closes.
TEST_F(WelcomeWindowTest, RunShowsWhyTheDiagnosticLogCannotBeWritten) {
    char name[] = "Scorvane";
    char trace[] = "TRACE";
    char* argv[] = {name, trace, nullptr};
    int argc = 2;
    setenv("OMR_HOME", "/proc/omr-no-such-folder", 1);
    script.Answer(mrOk, "/proc/omr-no-such-folder/SIOUSR.LOG: ");
    EXPECT_EQ(RunProgram(argc, argv), 1);
    EXPECT_EQ(script.Transcript().at(0).Request.Type, mtError);
    EXPECT_FALSE(Application->MainForm());

    setenv("OMR_HOME", home.Dir().c_str(), 1);
    WritePortNo(home.Dir() + "VeltmachSettings.ini", 3);
    argc = 1;
    bool shown = false;
    IdleDriver driver([&] {
        if (auto* main = ActiveAs<TfrmMain>()) {
            shown = true;
            main->Close();
        }
    });
    EXPECT_EQ(RunProgram(argc, argv), 0);
    EXPECT_TRUE(shown);
    EXPECT_FALSE(FileExists(home.Dir() + "SIOUSR.LOG"));
}

// Resized by the user or by code, the welcome window keeps its designed
// size at least, so no button is cut off.
TEST_F(WelcomeWindowTest, WelcomeWindowDoesNotShrinkBelowItsDesign) {
    TfrmMain* main = ShowMain("VeltmachSettings.ini");
    main->Widget()->resize(120, 90);
    EXPECT_GE(main->Widget()->width(), main->ClientWidth());
    EXPECT_EQ(main->Width(), 494);
    EXPECT_EQ(main->Height(), 399);
    main->SetBounds(0, 0, 200, 100);
    EXPECT_EQ(main->Width(), 494);
    EXPECT_EQ(main->Height(), 399);
    EXPECT_LE(main->btnExit->Left() + main->btnExit->Width(), main->ClientWidth());
    EXPECT_LE(main->lblCopyright->Top() + main->lblCopyright->Height(), main->ClientHeight());
    delete main;
}

TEST_F(WelcomeWindowTest, ExitAsksFirstAndClicksAreLogged) {
    Arguments("/trace");
    InitializeLogModule();
    TfrmMain* main = ShowMain("VeltmachSettings.ini");
    script.Answer(mrNo, "Are you sure you want to exit?");
    main->btnExit->Click();
    EXPECT_FALSE(Application->Terminated());

    UiQueue::Post([] { ActiveAs<TForm>()->Close(); });  // the About box
    main->btnAbout->Click();

    script.Answer(mrYes, "Are you sure you want to exit?");
    main->btnExit->Click();
    EXPECT_TRUE(Application->Terminated());
    delete main;
    FinalizeLogModule();

    std::string log = ReadAll(home.Dir() + "SIOUSR.LOG");
    std::string expected[] = {"Application Show Main Form", "Click Exit", "Click About", "Close About Window",
                              "Click Exit", "Close Main Form"};
    std::size_t at = 0;
    for (const std::string& line : expected) {
        std::size_t found = log.find(" : " + line + "\r\n", at);
        ASSERT_NE(found, std::string::npos) << line << " in\n" << log;
        at = found + 1;
    }
    EXPECT_EQ(script.Texts().size(), 2u);
}

// The watchdog's check against the machine's list of ports.
TEST_F(WelcomeWindowTest, WatchdogChecksThePortList) {
    TestPorts ports;
    TScannerSimulator sim;
    TfrmMain* main = ShowMain("VeltmachSettings.ini", 3);
    const std::string unplugged =
        "Veltrane machine not found on comm port 3\r\n"
        "The application cannot continue if the machine is unplugged.  This application will close.";

    // COM3 listed: nothing happens.
    ports.Plug(sim, 3);
    main->tmrCommDetect->SetEnabled(true);
    clock.Advance(5000);
    Application->ProcessMessages();
    EXPECT_TRUE(script.Transcript().empty());
    EXPECT_FALSE(Application->Terminated());
    EXPECT_TRUE(main->tmrCommDetect->Enabled());

    // Only COM30 listed: the name must match exactly.
    ports.Unplug(sim, 3);
    ports.Plug(sim, 30);
    script.Answer(mrOk, unplugged);
    clock.Advance(5000);
    Application->ProcessMessages();
    EXPECT_TRUE(Application->Terminated());
    EXPECT_EQ(script.Transcript().back().Request.Type, mtError);
    EXPECT_TRUE(main->tmrCommDetect->Enabled());

    // The list cannot be read: a plain message, and the watchdog goes on.
    Application->ResetForTesting();
    main = ShowMain("VeltmachSettings.ini", 3);
    std::string loop = ports.Folder() + "loop";
    ASSERT_EQ(::symlink(loop.c_str(), loop.c_str()), 0);
    setenv("OMR_PORTS", loop.c_str(), 1);
    script.Answer(mrOk, "Error opening registry to check comm ports");
    main->tmrCommDetect->SetEnabled(true);
    clock.Advance(5000);
    Application->ProcessMessages();
    EXPECT_FALSE(Application->Terminated());
    EXPECT_EQ(script.Transcript().back().Request.Type, mtCustom);
    EXPECT_TRUE(main->tmrCommDetect->Enabled());
    setenv("OMR_PORTS", ports.Folder().c_str(), 1);
    delete main;
}

// The whole program: started with port 3 stored, the wizard opened, then
// the scanner unplugged. The watchdog ends the program within 10 seconds.
TEST_F(WelcomeWindowTest, UnplugWhileTheWizardIsOpenEndsTheProgram) {
    TestPorts ports;
    TScannerSimulator sim;
    ports.Plug(sim, 3);
    WritePortNo(home.Dir() + "VeltmachSettings.ini", 3);
    TfrmMain* main = nullptr;
    Application->CreateForm(main);
    script.Answer(mrOk,
                  "Veltrane machine not found on comm port 3\r\n"
                  "The application cannot continue if the machine is unplugged.  This application will close.");

    enum { Starting, WizardOpen, Unplugged } state = Starting;
    std::uint64_t unpluggedAt = 0;
    int checksWhilePlugged = 0;
    IdleDriver driver([&] {
        switch (state) {
        case Starting:
            if (main->Active()) {
                state = WizardOpen;
                main->btnStart->Click();  // returns when the wizard closes
            }
            break;
        case WizardOpen:
            ASSERT_NE(ActiveAs<TfrmTestWork>(), nullptr);
            // The watchdog keeps a plugged scanner's program running.
            if (checksWhilePlugged < 2) {
                clock.Advance(5000);
                ++checksWhilePlugged;
                break;
            }
            ports.Unplug(sim, 3);
            unpluggedAt = clock.TickMs();
            state = Unplugged;
            break;
        case Unplugged:
            clock.Advance(1000);
            break;
        }
    });
    Application->Run();
    EXPECT_FALSE(driver.Expired());
    EXPECT_EQ(state, Unplugged);
    EXPECT_TRUE(Application->Terminated());
    EXPECT_LE(clock.TickMs() - unpluggedAt, 10000u);
    EXPECT_EQ(script.Transcript().size(), 1u);
}

}  // namespace

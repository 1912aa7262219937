#pragma once
// Shared fixture of the window tests: a fresh program folder, the manual
// clock, scripted prompts, and the program file name that picks the brand.

#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
#include <string>

#include "app/Brand.h"
#include "app/ComSelectWindow.h"
#include "app/UiPause.h"
#include "app/tests/TestHome.h"
#include "platform/core/Clock.h"
#include "platform/core/Program.h"
#include "platform/core/UiQueue.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Prompts.h"

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        UiQueue::Reset();
        Application->Initialize();
        SetCurrentClock(&clock);
        SetCommandLine(1, kArgs);
        SetProgramFileNameForTesting("/opt/scorvane/Scorvane");
        UseBrandDataFolder();
        script.OnFailure = [](const std::string& m) { ADD_FAILURE() << m; };
        InstallWindowServices();
        // A pause that blocks the window moves the manual clock on instead.
        SetBlockingPauseHandler([this](Cardinal ms) {
            pausedMs += ms;
            clock.Advance(ms);
        });
    }
    void TearDown() override {
        Application->ResetForTesting();
        RemoveWindowServices();
        SetBlockingPauseHandler(nullptr);
        SetCurrentClock(nullptr);
        SetProgramFileNameForTesting("");
        SetUserDataFolderName(nullptr);
        SetCommandLine(1, kArgs);
        EXPECT_EQ(script.Pending(), 0u) << script.TranscriptText();
    }
    // Runs the program as `fileName` (the brand follows the name).
    void RunAs(const std::string& fileName) { SetProgramFileNameForTesting("/opt/scorvane/" + fileName); }
    void Arguments(const std::string& first) {
        const char* argv[] = {"Scorvane", first.c_str()};
        SetCommandLine(2, argv);
    }

    static constexpr const char* kArgs[] = {"Scorvane"};
    TestHome home;
    ManualClock clock{1000};
    TScriptedPrompts script;
    Cardinal pausedMs = 0;
};

// What the window system shows of a window's client area: on the offscreen
// platform, its backing store as last painted and flushed (nothing when the
// window was never painted).
inline QImage ScreenPixels(TControl* window) {
    QWidget* w = window->Widget();
    return w->screen()->grabWindow(w->winId()).toImage();
}

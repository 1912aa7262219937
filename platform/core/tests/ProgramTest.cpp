#include "platform/core/Program.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "platform/core/FileUtils.h"
#include "platform/core/tests/TextTestSupport.h"

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* h = getenv("OMR_HOME");
        hadHome_ = h != nullptr;
        if (h) savedHome_ = h;
        unsetenv("OMR_HOME");
    }
    void TearDown() override {
        SetProgramFileNameForTesting("");
        if (hadHome_) setenv("OMR_HOME", savedHome_.c_str(), 1);
        else unsetenv("OMR_HOME");
    }
    bool hadHome_ = false;
    std::string savedHome_;
};

TEST_F(ProgramTest, FileNameIsTheRunningExecutable) {
    const std::string exe = ProgramFileName();
    ASSERT_FALSE(exe.empty());
    EXPECT_EQ('/', exe.front());
    EXPECT_TRUE(FileExists(exe));
    EXPECT_EQ(ExtractFilePath(exe), ProgramFolder());
    EXPECT_EQ(exe, ParamStr(0));
}

TEST_F(ProgramTest, FolderFollowsOverridesWithTrailingDelimiter) {
    TempFolder installed;
    SetProgramFileNameForTesting(installed / "OMBXScore");
    EXPECT_EQ(installed / "OMBXScore", ProgramFileName());
    EXPECT_EQ(installed.Path(), ProgramFolder());
    setenv("OMR_HOME", "/var/lib/omr", 1);
    EXPECT_EQ("/var/lib/omr/", ProgramFolder());
    setenv("OMR_HOME", "/var/lib/omr/", 1);
    EXPECT_EQ("/var/lib/omr/", ProgramFolder());
    setenv("OMR_HOME", "", 1);  // empty counts as unset
    EXPECT_EQ(installed.Path(), ProgramFolder());
}

// A program installed where files cannot be created (here /proc, which
// turns away root too) keeps its files in its own folder under the user's
// data folder, created on first use; the executable's folder stays where
// the files that come with the program are.
TEST_F(ProgramTest, ReadOnlyInstallFolderFallsBackToTheUserDataFolder) {
    TempFolder data;
    const char* oldXdg = getenv("XDG_DATA_HOME");
    std::string savedXdg = oldXdg ? oldXdg : "";
    const char* oldHome = getenv("HOME");
    std::string savedHome = oldHome ? oldHome : "";

    SetProgramFileNameForTesting("/proc/Scorvane");
    EXPECT_EQ("/proc/", ExecutableFolder());
    setenv("XDG_DATA_HOME", (data / "xdg").c_str(), 1);
    EXPECT_EQ(data / "xdg/Scorvane/", ProgramFolder());
    EXPECT_TRUE(DirectoryExists(data / "xdg/Scorvane"));

    SetUserDataFolderName([] { return std::string("Ombrix"); });
    EXPECT_EQ(data / "xdg/Ombrix/", ProgramFolder());
    // Without XDG_DATA_HOME (or with a relative one) it is under the home.
    setenv("XDG_DATA_HOME", "relative", 1);
    setenv("HOME", (data / "home").c_str(), 1);
    EXPECT_EQ(data / "home/.local/share/Ombrix/", ProgramFolder());
    setenv("OMR_HOME", data.Path().c_str(), 1);
    EXPECT_EQ(data.Path(), ProgramFolder());

    SetUserDataFolderName(nullptr);
    if (oldXdg) setenv("XDG_DATA_HOME", savedXdg.c_str(), 1);
    else unsetenv("XDG_DATA_HOME");
    if (oldHome) setenv("HOME", savedHome.c_str(), 1);
    else unsetenv("HOME");
}

TEST_F(ProgramTest, InvocationNameIsTheFirstWordAsGiven) {
    const char* argv[] = {"/usr/local/bin/ombx-score", "TRACE"};
    SetCommandLine(2, argv);
    EXPECT_EQ("/usr/local/bin/ombx-score", ProgramInvocationName());
    EXPECT_EQ("TRACE", ParamStr(1));
    EXPECT_NE(ProgramInvocationName(), ParamStr(0));  // that is the executable
}

TEST_F(ProgramTest, CommandLine) {
    const char* argv[] = {"prog", "/trace", "second"};
    SetCommandLine(3, argv);
    EXPECT_EQ(2, ParamCount());
    EXPECT_EQ("/trace", ParamStr(1));
    EXPECT_EQ("second", ParamStr(2));
    EXPECT_EQ("", ParamStr(3));
    EXPECT_EQ("", ParamStr(-1));
    SetCommandLine(1, argv);
    EXPECT_EQ(0, ParamCount());
}

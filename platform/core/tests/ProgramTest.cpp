#include "platform/core/Program.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "platform/core/FileUtils.h"

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
    SetProgramFileNameForTesting("/opt/omr/OMBXScore");
    EXPECT_EQ("/opt/omr/OMBXScore", ProgramFileName());
    EXPECT_EQ("/opt/omr/", ProgramFolder());
    setenv("OMR_HOME", "/var/lib/omr", 1);
    EXPECT_EQ("/var/lib/omr/", ProgramFolder());
    setenv("OMR_HOME", "/var/lib/omr/", 1);
    EXPECT_EQ("/var/lib/omr/", ProgramFolder());
    setenv("OMR_HOME", "", 1);  // empty counts as unset
    EXPECT_EQ("/opt/omr/", ProgramFolder());
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

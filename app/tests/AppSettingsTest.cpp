#include "app/AppSettings.h"
#include "app/Brand.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/tests/TestHome.h"
#include "platform/core/tests/TextTestSupport.h"
#include "platform/core/Exception.h"
#include "platform/core/Program.h"

namespace {

TEST(Brand, FromProgramFileName) {
    struct Case { const char* file; TBrand brand; };
    const Case cases[] = {
        {"OMBXScorvane", TBrand::Ombrix},
        {"/usr/bin/ombx", TBrand::Ombrix},
        {"ScorOmBx.exe", TBrand::Ombrix},
        {"Scorvane", TBrand::Veltrane},
        {"/opt/OMBX/Scorvane", TBrand::Veltrane},  // the folder does not count
        {"OMB-X", TBrand::Veltrane},
        {"", TBrand::Veltrane},
    };
    for (const Case& c : cases) EXPECT_EQ(BrandOfProgramFile(c.file), c.brand) << c.file;
    EXPECT_EQ(BrandName(TBrand::Ombrix), "Ombrix");
    EXPECT_EQ(BrandName(TBrand::Veltrane), "Veltrane");
    EXPECT_EQ(BrandSettingsFileName(TBrand::Ombrix), "OmbrixSettings.ini");
    EXPECT_EQ(BrandSettingsFileName(TBrand::Veltrane), "VeltmachSettings.ini");
}

TEST(Brand, SettingsFileFollowsRunningProgram) {
    TestHome home;
    std::string saved = ProgramFileName();
    SetProgramFileNameForTesting("/somewhere/ombxscore");
    EXPECT_EQ(SettingsFilePath(), home.Dir() + "OmbrixSettings.ini");
    SetProgramFileNameForTesting("/somewhere/Scorvane");
    EXPECT_EQ(SettingsFilePath(), home.Dir() + "VeltmachSettings.ini");
    SetProgramFileNameForTesting(saved);
}

TEST(AppSettings, DefaultsWithoutFile) {
    TestHome home;
    std::string path = home.Dir() + "VeltmachSettings.ini";
    EXPECT_EQ(ReadPortNo(path), 0);
    TWizardSettings s = ReadWizardSettings(path);
    EXPECT_EQ(s.OddLbls, "ABCDEF");
    EXPECT_EQ(s.EvenLbls, "ABCDEF");
    EXPECT_EQ(s.LastForm, "");
    EXPECT_TRUE(s.SoundOn);
    EXPECT_FALSE(s.PrintScan);
    EXPECT_TRUE(s.SumOverall);
    EXPECT_TRUE(s.StdOverall);
    EXPECT_TRUE(s.StdCorrect);
    EXPECT_FALSE(s.UseNames);
    EXPECT_EQ(s.NameFile, "");
}

TEST(AppSettings, WritesKeysInClosingOrderWithBooleansAsDigits) {
    TestHome home;
    std::string path = home.Dir() + "OmbrixSettings.ini";
    WritePortNo(path, 3);
    TWizardSettings s;
    s.OddLbls = "ABCD";
    s.EvenLbls = "FGHJ";
    s.LastForm = "9909";
    s.SoundOn = false;
    s.LastDir = "/home/t/out";
    s.PrintScan = true;
    s.PrintScanTo = "Office";
    s.StdCorrect = false;
    s.ImageFile = "logo.jpg";
    s.NameFile = "names.txt";
    s.UseNames = true;
    WriteWizardSettings(path, s);
    EXPECT_EQ(ReadAll(path),
              "[Main]\r\n"
              "PortNo=3\r\n"
              "OddLbls=ABCD\r\n"
              "EvenLbls=FGHJ\r\n"
              "LastForm=9909\r\n"
              "SumOverall=1\r\n"
              "StdOverall=1\r\n"
              "StdCorrect=0\r\n"
              "ImageFile=logo.jpg\r\n"
              "NameFile=names.txt\r\n"
              "SoundOn=0\r\n"
              "UseNames=1\r\n"
              "LastDir=/home/t/out\r\n"
              "PrintScan=1\r\n"
              "PrintScanTo=Office\r\n");
    TWizardSettings r = ReadWizardSettings(path);
    EXPECT_EQ(r.OddLbls, "ABCD");
    EXPECT_FALSE(r.SoundOn);
    EXPECT_TRUE(r.PrintScan);
    EXPECT_FALSE(r.StdCorrect);
    EXPECT_TRUE(r.UseNames);
    EXPECT_EQ(r.PrintScanTo, "Office");
    EXPECT_EQ(ReadPortNo(path), 3);

    // Rewriting keeps the order of the keys already present.
    WriteLastDir(path, "/tmp");
    EXPECT_EQ(ReadWizardSettings(path).LastDir, "/tmp");
    EXPECT_NE(ReadAll(path).find("LastDir=/tmp\r\nPrintScan=1\r\n"), std::string::npos);
}

TEST(AppSettings, BooleanAndIntegerTexts) {
    TestHome home;
    std::string path = home.Dir() + "s.ini";
    WriteAll(path, "[main]\nSoundOn=0\nPrintScan=7\nSumOverall=yes\nPortNo=3x\n");
    TWizardSettings s = ReadWizardSettings(path);
    EXPECT_FALSE(s.SoundOn);      // 0 is false
    EXPECT_TRUE(s.PrintScan);     // any non-zero integer is true
    EXPECT_TRUE(s.SumOverall);    // not an integer: the default
    EXPECT_EQ(ReadPortNo(path), 0);
}

TEST(AppSettings, WriteFailureIsReported) {
    TestHome home;
    std::string path = home.Dir() + "missing-folder/OmbrixSettings.ini";
    try {
        WritePortNo(path, 4);
        FAIL() << "no exception";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(e.Message, "Unable to write to " + path);
    }
    EXPECT_THROW(WriteWizardSettings(path, TWizardSettings{}), EIniFileException);
}

}  // namespace

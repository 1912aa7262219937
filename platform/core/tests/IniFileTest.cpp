#include "platform/core/IniFile.h"

#include <gtest/gtest.h>

#include "TextTestSupport.h"
#include "platform/core/Exception.h"
#include "platform/core/StringList.h"

namespace {
using V = std::vector<std::string>;

class IniFileTest : public ::testing::Test {
protected:
    TempFolder tmp;
    std::string path = tmp / "OmbrixSettings.ini";
};
}  // namespace

TEST_F(IniFileTest, MissingFileAndKeysGiveDefaults) {
    TIniFile ini(path);
    EXPECT_EQ("ABCDEF", ini.ReadString("Main", "OddLbls", "ABCDEF"));
    EXPECT_EQ(0, ini.ReadInteger("Main", "PortNo", 0));
    EXPECT_TRUE(ini.ReadBool("Main", "SoundOn", true));
    EXPECT_DOUBLE_EQ(2.5, ini.ReadFloat("Main", "Scale", 2.5));
    EXPECT_FALSE(ini.SectionExists("Main"));
    EXPECT_TRUE(ReadAll(path).empty());
}

TEST_F(IniFileTest, ReadsAnyLineEndsCaseInsensitiveNamesAndTrimmedValues) {
    WriteAll(path, "; settings\n[main]\r\n  PortNo = 3 \rLastForm=  A-1\n[Other]\nPortNo=9\n");
    TIniFile ini(path);
    EXPECT_EQ(3, ini.ReadInteger("MAIN", "portno", 0));
    EXPECT_EQ("A-1", ini.ReadString("Main", "LASTFORM", ""));
    EXPECT_EQ(9, ini.ReadInteger("other", "PortNo", 0));
    EXPECT_EQ("dflt", ini.ReadString("Main", "; settings", "dflt"));
    EXPECT_TRUE(ini.SectionExists("MAIN"));
    EXPECT_TRUE(ini.ValueExists("Main", "lastform"));
    EXPECT_FALSE(ini.ValueExists("Main", "Nope"));

    TStringList list;
    ini.ReadSections(list);
    EXPECT_EQ((V{"main", "Other"}), list.ToVector());
    ini.ReadSection("Main", list);
    EXPECT_EQ((V{"PortNo", "LastForm"}), list.ToVector());
    ini.ReadSectionValues("Main", list);
    EXPECT_EQ((V{"PortNo=3", "LastForm=A-1"}), list.ToVector());
}

TEST_F(IniFileTest, IntegerAndBoolParsing) {
    WriteAll(path,
             "[Main]\nDec=42\nNeg=-7\nHex1=0x1F\nHex2=$10\nBad=12abc\nEmpty=\n"
             "On=1\nOff=0\nTwo=2\nWord=yes\n");
    TIniFile ini(path);
    struct Case { const char* key; Integer value; };
    for (const Case& c : {Case{"Dec", 42}, Case{"Neg", -7}, Case{"Hex1", 31}, Case{"Hex2", 16},
                          Case{"Bad", -1}, Case{"Empty", -1}, Case{"Missing", -1}}) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(c.value, ini.ReadInteger("Main", c.key, -1));
    }
    EXPECT_TRUE(ini.ReadBool("Main", "On", false));
    EXPECT_FALSE(ini.ReadBool("Main", "Off", true));
    EXPECT_TRUE(ini.ReadBool("Main", "Two", false));
    EXPECT_TRUE(ini.ReadBool("Main", "Word", true));  // not an integer: default
    EXPECT_FALSE(ini.ReadBool("Main", "Word", false));
}

TEST_F(IniFileTest, WritesGoToDiskAtOnceInCrLf) {
    TIniFile ini(path);
    ini.WriteInteger("Main", "PortNo", 3);
    EXPECT_EQ("[Main]\r\nPortNo=3\r\n", ReadAll(path));
    ini.WriteBool("Main", "SoundOn", false);
    ini.WriteBool("Main", "PrintScan", true);
    ini.WriteString("Main", "LastDir", "/home/t/Exports");
    ini.WriteString("Extra", "Name", "Zoë");
    EXPECT_EQ("[Main]\r\nPortNo=3\r\nSoundOn=0\r\nPrintScan=1\r\nLastDir=/home/t/Exports\r\n"
              "[Extra]\r\nName=Zoë\r\n",
              ReadAll(path));
    // No temporary files are left beside it.
    EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(tmp.Path()), {}));
    // A second object on the same file sees every value.
    TIniFile other(path);
    EXPECT_FALSE(other.ReadBool("Main", "SoundOn", true));
    EXPECT_EQ("Zoë", other.ReadString("extra", "name", ""));
}

TEST_F(IniFileTest, UpdatesKeepOtherLinesOrderAndComments) {
    WriteAll(path,
             "; kept comment\n[Main]\nOddLbls=ABCDEF\n; inner comment\nportno=1\n\n"
             "[Other]\nx=1\n");
    TIniFile ini(path);
    ini.WriteInteger("Main", "PortNo", 5);  // replaced in place, spelling kept
    ini.WriteString("MAIN", "EvenLbls", "ABCD");  // new key after the section's last line
    ini.WriteString("New", "k", "v");
    EXPECT_EQ("; kept comment\r\n[Main]\r\nOddLbls=ABCDEF\r\n; inner comment\r\nportno=5\r\n"
              "EvenLbls=ABCD\r\n\r\n[Other]\r\nx=1\r\n[New]\r\nk=v\r\n",
              ReadAll(path));
}

TEST_F(IniFileTest, DeleteKeyAndEraseSection) {
    WriteAll(path, "[A]\nk=1\nj=2\n[B]\nk=3\n[a]\nk=4\n");
    TIniFile ini(path);
    ini.DeleteKey("a", "K");
    EXPECT_EQ("[A]\r\nj=2\r\n[B]\r\nk=3\r\n[a]\r\n", ReadAll(path));
    ini.EraseSection("A");
    EXPECT_EQ("[B]\r\nk=3\r\n", ReadAll(path));
    ini.DeleteKey("B", "missing");
    ini.EraseSection("missing");
    EXPECT_EQ("[B]\r\nk=3\r\n", ReadAll(path));
}

TEST_F(IniFileTest, FloatsRoundTrip) {
    TIniFile ini(path);
    for (double v : {0.0, 1.5, -0.1, 123456.789, 1e20, 1.5e-7}) {
        ini.WriteFloat("F", "v", v);
        EXPECT_DOUBLE_EQ(v, ini.ReadFloat("F", "v", 99));
    }
    ini.WriteFloat("F", "big", 1e20);
    EXPECT_EQ("1E20", ini.ReadString("F", "big", ""));
    ini.WriteString("F", "bad", "1,5");
    EXPECT_DOUBLE_EQ(99, ini.ReadFloat("F", "bad", 99));
}

TEST_F(IniFileTest, ValueWithLineBreaksStaysOnItsLine) {
    TIniFile ini(path);
    ini.WriteString("Main", "LastForm", "A\r\n[Evil]\nPortNo=9");
    EXPECT_FALSE(ini.SectionExists("Evil"));
    EXPECT_EQ("A  [Evil] PortNo=9", ini.ReadString("Main", "LastForm", ""));
}

TEST_F(IniFileTest, UnwritableFileRaisesAndNeverReportsSuccess) {
    for (const std::string& bad : {tmp / "no/such/folder/x.ini", tmp.Path()}) {
        SCOPED_TRACE(bad);
        TIniFile ini(bad);
        try {
            ini.WriteString("Main", "PortNo", "1");
            FAIL() << "no exception";
        } catch (const EIniFileException& e) {
            EXPECT_EQ("Unable to write to " + bad, e.Message);
        }
    }
}

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/os/SerialDevice.h"
#include "tools/scansim/ScannerSimulator.h"

namespace fs = std::filesystem;

namespace {
TSimSheet Sheet(const std::string& id, const std::string& answers, int split = 0, const std::string& noise = "",
                bool unplug = false) {
    TSimSheet s;
    s.Id = id;
    s.Answers = answers;
    s.Split = split;
    s.Noise = noise;
    s.Unplug = unplug;
    return s;
}
}  // namespace

TEST(SimScript, ParsesEveryKeyword) {
    const char* text =
        "# a test script\n"
        "version Version 3.0 (C) Maker.\\r\\n\n"
        "questions 5\n"
        "id-digits 3\n"
        "labels ABCDEF TFABCD\n"
        "calibration 4 failed\n"
        "lead none\n"
        "trailer \\r\\n\n"
        "feed 25\n"
        "split-pause 7\n"
        "silent\n"
        "\n"
        "sheet 123 ABC-? split=4 noise=\\x01\\r\n"
        "sheet - AB unplug\r\n";
    TSimScript s;
    std::string error;
    ASSERT_TRUE(ParseSimScript(text, s, error)) << error;
    EXPECT_EQ("Version 3.0 (C) Maker.\r\n", s.Version);
    EXPECT_EQ(5, s.Questions);
    EXPECT_EQ(3, s.IdDigits);
    EXPECT_EQ("TFABCD", s.EvenLabels);
    EXPECT_EQ(4, s.CalibrationSheets);
    EXPECT_EQ(ceFailed, s.CalibrationEnding);
    EXPECT_FALSE(s.LeadingS);
    EXPECT_EQ("\r\n", s.Trailer);
    EXPECT_EQ(25, s.FeedMs);
    EXPECT_EQ(7, s.SplitPauseMs);
    EXPECT_TRUE(s.Silent);
    ASSERT_EQ(2u, s.Sheets.size());
    EXPECT_EQ("123", s.Sheets[0].Id);
    EXPECT_EQ(4, s.Sheets[0].Split);
    EXPECT_EQ("\x01\r", s.Sheets[0].Noise);
    EXPECT_EQ("", s.Sheets[1].Id);
    EXPECT_TRUE(s.Sheets[1].Unplug);

    struct Bad {
        const char* text;
        const char* error;
    } bad[] = {
        {"questions x", "line 1: a number is expected"},
        {"\ncalibration 6", "line 2: 4 or 8 calibration sheets"},
        {"sheet 12", "line 1: an ID and the answers are expected"},
        {"sheet 1 A split=x", "line 1: split=<bytes>"},
        {"frobnicate", "line 1: unknown keyword frobnicate"},
    };
    for (const Bad& b : bad) {
        EXPECT_FALSE(ParseSimScript(b.text, s, error)) << b.text;
        EXPECT_EQ(b.error, error);
    }
}

TEST(SimScript, FrameEncoding) {
    TSimScript s;
    TSimSheet sheet = Sheet("35", "ABC?-");
    // Marks 1 2 3 X B in question order, reversed in the frame; ID 35 as
    // pairs (5,B) (B,2), reversed.
    EXPECT_EQ("123XB", SimSheetMarks(s, sheet));
    EXPECT_EQ("SBX321" "2BB5" "E", EncodeSimFrame(s, sheet, false));

    s.Questions = 7;
    s.EvenLabels = "FEDCBA";
    s.LeadingS = false;
    s.Trailer = "\r\n";
    EXPECT_EQ("16XBBBB", SimSheetMarks(s, Sheet("", "AA?"))) << "even questions use their own labels; missing ones are blank";
    EXPECT_EQ("BBBBX61E\r\n", EncodeSimFrame(s, Sheet("", "AA?"), false));

    s = TSimScript{};
    s.IdDigits = 3;
    EXPECT_EQ("S" "1" "BBBBB5" "E", EncodeSimFrame(s, Sheet("3", "A"), false)) << "a short ID is padded with blank columns";
    s.IdDigits = -1;
    EXPECT_EQ("S1" "BX" "43" "E", EncodeSimFrame(s, Sheet("!?", "A"), false));

    // Raw mark bytes: bit 0x40 set, one bit per bubble, 6 only in the ID.
    std::string raw = EncodeSimFrame(TSimScript{}, Sheet("49", "A?-"), true);
    std::string expected = {'S', 0x40, 0x70, 0x60, 0x41, 0x40, 0x40, 0x41, 'E'};
    EXPECT_EQ(expected, raw);
}

TEST(SimScript, CalibrationLetters) {
    EXPECT_EQ((std::vector<std::string>{"A", "B", "C", "D", "E"}), SimCalibrationLetters(4));
    EXPECT_EQ((std::vector<std::string>{"a", "b", "c", "d", "e", "B", "C", "D", "E"}), SimCalibrationLetters(8));
}

class ScannerSimulatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/omr-scansim-XXXXXX";
        folder_ = mkdtemp(tmpl);
    }
    void TearDown() override {
        sim_.Unplug();
        dev_.Close();
        fs::remove_all(folder_);
    }
    void Connect() {
        sim_.Plug(folder_, 7);
        ASSERT_EQ(0, dev_.Open(folder_ + "/COM7"));
    }
    void Send(const std::string& s) { ASSERT_EQ(static_cast<int>(s.size()), dev_.Write(s.data(), s.size())); }
    // Reads until `count` bytes came (bounded by a generous time limit).
    std::string Read(std::size_t count) {
        std::string out;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (out.size() < count && std::chrono::steady_clock::now() < deadline) {
            pollfd p{dev_.Fd(), POLLIN, 0};
            poll(&p, 1, 100);
            char buf[256];
            int n = dev_.Read(buf, std::min(sizeof buf, count - out.size()));
            if (n > 0) out.append(buf, n);
        }
        return out;
    }
    std::string Ask(const std::string& command, std::size_t replyLength) {
        Send(command);
        return Read(replyLength);
    }

    std::string folder_;
    TScannerSimulator sim_;
    SerialDevice dev_;
};

TEST_F(ScannerSimulatorTest, AnswersAttentionAndVersion) {
    Connect();
    EXPECT_EQ("K", Ask("@", 1));
    std::string version = TSimScript{}.Version;
    EXPECT_EQ(version, Ask("v", version.size()));
    EXPECT_TRUE(sim_.WaitForReceived(2, 10000));
    EXPECT_EQ("@v", sim_.ReceivedText());
}

TEST_F(ScannerSimulatorTest, CalibrationEndings) {
    struct Case {
        int sheets;
        TSimCalibrationEnding ending;
        std::string prompts;
        std::string result;
    } cases[] = {
        {8, ceStored, "abcdeBCDE", "G"},
        {4, ceStored, "ABCDE", "G"},
        {4, ceFailed, "ABCDE", "F"},
    };
    for (const Case& c : cases) {
        TSimScript s;
        s.CalibrationSheets = c.sheets;
        s.CalibrationEnding = c.ending;
        sim_.SetScript(s);
        Connect();
        std::string prompts = Ask("c", 1);
        EXPECT_EQ("S", Ask("@", 1)) << "ready while calibrating";
        while (sim_.FeedSheet()) prompts += Read(1);
        EXPECT_EQ(c.prompts, prompts);
        EXPECT_EQ("K", Ask("@", 1));
        EXPECT_EQ(c.result, Ask("s", 1));
        dev_.Close();
    }

    TSimScript s;
    s.CalibrationEnding = ceTimeout;
    sim_.SetScript(s);
    Connect();
    EXPECT_EQ("T", Ask("c", 1));
    EXPECT_FALSE(sim_.FeedSheet());
}

TEST_F(ScannerSimulatorTest, SendsSheetsAfterTheStartCommand) {
    TSimScript s;
    s.Sheets = {Sheet("35", "ABC?-"), Sheet("49", "A?-")};
    sim_.SetScript(s);
    Connect();
    EXPECT_FALSE(sim_.FeedSheet()) << "nothing before g";
    Send("g");
    ASSERT_TRUE(sim_.WaitForReceived(1, 10000));
    ASSERT_TRUE(sim_.FeedSheet());
    EXPECT_EQ(EncodeSimFrame(s, s.Sheets[0], false), Read(11));
    Send("m");
    ASSERT_TRUE(sim_.WaitForReceived(2, 10000));
    ASSERT_TRUE(sim_.FeedSheet()) << "m starts again from the first sheet";
    std::string raw = EncodeSimFrame(s, s.Sheets[0], true);
    EXPECT_EQ(raw, Read(raw.size()));
    EXPECT_TRUE(sim_.RawMode());
    ASSERT_TRUE(sim_.FeedSheet());
    raw = EncodeSimFrame(s, s.Sheets[1], true);
    EXPECT_EQ(raw, Read(raw.size()));
    EXPECT_FALSE(sim_.FeedSheet()) << "no sheets left";
    EXPECT_EQ(3, sim_.SheetsSent());
}

TEST_F(ScannerSimulatorTest, AutomaticFeedWithNoiseAndSplitFrames) {
    TSimScript s;
    s.FeedMs = 0;
    s.SplitPauseMs = 1;
    s.Sheets = {Sheet("1", "AB", 3, "\r\n"), Sheet("2", "CD")};
    sim_.SetScript(s);
    Connect();
    Send("g");
    std::string expected = "\r\n" + EncodeSimFrame(s, s.Sheets[0], false) + EncodeSimFrame(s, s.Sheets[1], false);
    EXPECT_EQ(expected, Read(expected.size()));
    EXPECT_TRUE(sim_.WaitForSheetsSent(2, 10000));
}

TEST_F(ScannerSimulatorTest, SilentScannerAnswersNothing) {
    Connect();
    sim_.SetSilent(true);
    Send("@");
    ASSERT_TRUE(sim_.WaitForReceived(1, 10000));
    sim_.SetSilent(false);
    EXPECT_EQ("K", Ask("@", 1));
    char extra;
    EXPECT_EQ(0, dev_.Read(&extra, 1)) << "the first @ got no answer";
}

TEST_F(ScannerSimulatorTest, UnplugRemovesTheLinkAndHangsUp) {
    TSimScript s;
    s.Sheets = {Sheet("12", "ABCDABCD", 0, "", true)};
    sim_.SetScript(s);
    Connect();
    Send("g");
    ASSERT_TRUE(sim_.WaitForReceived(1, 10000));
    ASSERT_TRUE(sim_.FeedSheet());
    EXPECT_FALSE(sim_.Plugged());
    EXPECT_FALSE(fs::exists(fs::symlink_status(folder_ + "/COM7")));
    dev_.SetEventMask(EV_RXCHAR);
    std::uint32_t events;
    while (dev_.WaitEvent(events, true)) {
        char buf[64];
        dev_.Read(buf, sizeof buf);
    }
    EXPECT_TRUE(dev_.Vanished());
}

// A simulator unplugged after another took over its port name leaves the
// newer link alone.
TEST_F(ScannerSimulatorTest, UnplugLeavesALinkThatIsNoLongerItsOwn) {
    sim_.Plug(folder_, 7);
    TScannerSimulator newer;
    newer.Plug(folder_, 7);
    sim_.Unplug();
    std::error_code ec;
    EXPECT_EQ(fs::read_symlink(folder_ + "/COM7", ec), fs::path(newer.SlavePath()));
    newer.Unplug();
    EXPECT_FALSE(fs::exists(fs::symlink_status(folder_ + "/COM7")));
}

// A program killed with the port open leaves the pty in exclusive mode;
// the simulator releases it, so the next program can open the port. While
// a program holds the port, the mode stays.
TEST_F(ScannerSimulatorTest, ExclusiveModeOfAProgramThatDiedIsReleased) {
    sim_.Plug(folder_, 7);
    std::string slave = sim_.SlavePath();
    // Opened before any exclusive mode, to read the mode with.
    int probe = ::open(slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(probe, 0);
    auto exclusive = [&] {
        int on = 0;
        ::ioctl(probe, TIOCGEXCL, &on);
        return on != 0;
    };
    auto releasedWithin10s = [&] {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (exclusive() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return !exclusive();
    };

    // A program that holds the port keeps its mode.
    ASSERT_EQ(0, dev_.Open(folder_ + "/COM7"));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // several looks by the simulator
    EXPECT_TRUE(exclusive());
    dev_.Close();
    EXPECT_FALSE(exclusive());

    // A program that dies: its descriptor and lock go, the mode stays behind.
    int dying = ::open(slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(dying, 0);
    ASSERT_EQ(0, ::flock(dying, LOCK_EX | LOCK_NB));
    ASSERT_EQ(0, ::ioctl(dying, TIOCEXCL));
    ::close(dying);
    EXPECT_TRUE(releasedWithin10s());
    ::close(probe);
}

TEST_F(ScannerSimulatorTest, LogsEveryByteWithItsTime) {
    std::string logFile = folder_ + "/bytes.log";
    sim_.SetLogFile(logFile);
    Connect();
    Send("@\x01");
    ASSERT_TRUE(sim_.WaitForReceived(2, 10000));
    auto log = sim_.Received();
    ASSERT_EQ(2u, log.size());
    EXPECT_EQ('@', log[0].Byte);
    EXPECT_EQ(1, log[1].Byte);
    EXPECT_LE(log[0].Ms, log[1].Ms);
    EXPECT_GE(log[0].Ms, 0);
    std::ifstream in(logFile);
    std::string a, b;
    std::getline(in, a);
    std::getline(in, b);
    EXPECT_EQ(TScannerSimulator::FormatLogLine(log[0]), a);
    EXPECT_EQ("  40  @", a.substr(10));
    EXPECT_EQ("  01  .", b.substr(10));
}

#include <gtest/gtest.h>

#include <stdlib.h>
#include <time.h>

#include <chrono>
#include <cstring>
#include <filesystem>

#include "platform/core/Clock.h"
#include "serial/SioErrors.h"
#include "serial/tests/FakeDispatcher.h"
#include "serial/tests/SioTestSupport.h"

namespace {
std::string TempFile(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("omr-sio-" + std::to_string(getpid()) + "-" + name)).string();
}

std::string Take(TSioBaseDispatcher& d, int n) {
    std::string s;
    Byte b;
    for (int i = 0; i < n && d.TakeReceived(b) == 0; ++i) s += static_cast<char>(b);
    return s;
}

// The dump lines that name the machine, replaced for comparison.
std::string Masked(std::string text) {
    for (const char* key : {"Compiler : ", "Operating System : "}) {
        std::size_t at = text.find(key);
        if (at == std::string::npos) continue;
        std::size_t end = text.find("\r\n", at);
        text.replace(at + std::strlen(key), end - at - std::strlen(key), "*");
    }
    return text;
}
}  // namespace

class SioTraceTest : public ::testing::Test {
protected:
    void SetUp() override {
        file_ = TempFile("trace.trc");
        d_.Prepare(4096, 4096);
    }
    void TearDown() override { std::filesystem::remove(file_); }
    std::string Dump(bool allHex = false, bool hex = true) {
        EXPECT_EQ(0, d_.WriteTrace(file_, false, allHex, hex));
        return ReadFileBytes(file_);
    }
    TFakeDispatcher d_;
    std::string file_;
};

TEST_F(SioTraceTest, KindsChangeWithAnEmptyLineBetween) {
    ASSERT_EQ(0, d_.StartTrace(100));
    d_.SendBlock("A", 1);
    d_.Incoming = "BC";
    d_.FillReceiveRing();
    EXPECT_EQ("BC", Take(d_, 2));
    d_.SendBlock("D", 1);
    EXPECT_EQ("Transmit: \r\nA\r\n\r\nReceive: \r\nBC\r\n\r\nTransmit: \r\nD", Dump());
    EXPECT_FALSE(d_.HasTraceBuffer()) << "a dump ends the trace";
}

TEST_F(SioTraceTest, RingKeepsTheLastEntries) {
    ASSERT_EQ(0, d_.StartTrace(3));
    d_.SendBlock("ABCD", 4);
    EXPECT_EQ("Transmit: \r\nBCD", Dump());
}

TEST_F(SioTraceTest, BytesReceivedButNotTakenAreNotTraced) {
    ASSERT_EQ(0, d_.StartTrace(10));
    d_.Incoming = "xyz";
    d_.FillReceiveRing();
    EXPECT_EQ("x", Take(d_, 1));
    EXPECT_EQ("Receive: \r\nx", Dump());
}

TEST_F(SioTraceTest, ByteFormats) {
    struct Case {
        bool allHex, hex;
        const char* expected;
    } cases[] = {
        {false, true, "Transmit: \r\nA[20][0D][FF]~"},
        {false, false, "Transmit: \r\nA [13][255]~"},
        {true, false, "Transmit: \r\n[41][20][0D][FF][7E]"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(0, d_.StartTrace(10));
        d_.SendBlock("A \r\xFF~", 5);
        EXPECT_EQ(c.expected, Dump(c.allHex, c.hex));
    }
}

TEST_F(SioTraceTest, LinesBreakAfter78Columns) {
    ASSERT_EQ(0, d_.StartTrace(200));
    std::string bytes(80, 'x');
    d_.SendBlock(bytes.data(), 80);
    EXPECT_EQ("Transmit: \r\n" + std::string(78, 'x') + "\r\nxx", Dump());

    ASSERT_EQ(0, d_.StartTrace(200));
    std::string ctl(21, '\x01');
    d_.SendBlock(ctl.data(), 21);
    std::string row;
    for (int i = 0; i < 19; ++i) row += "[01]";
    EXPECT_EQ("Transmit: \r\n" + row + "\r\n[01][01]", Dump()) << "19 hexadecimal bytes fill 76 columns";
}

TEST_F(SioTraceTest, EmptyTraceWritesNoFile) {
    EXPECT_EQ(0, d_.WriteTrace(file_, false, false, true)) << "no buffer";
    ASSERT_EQ(0, d_.StartTrace(10));
    EXPECT_EQ(0, d_.WriteTrace(file_, false, false, true));
    EXPECT_FALSE(std::filesystem::exists(file_));
    EXPECT_FALSE(d_.HasTraceBuffer());
    EXPECT_EQ(-1002, d_.StartTrace(4000001));
}

TEST_F(SioTraceTest, AppendAddsToTheFile) {
    ASSERT_EQ(0, d_.StartTrace(10));
    d_.SendBlock("1", 1);
    Dump();
    ASSERT_EQ(0, d_.StartTrace(10));
    d_.SendBlock("2", 1);
    EXPECT_EQ(0, d_.WriteTrace(file_, true, false, true));
    EXPECT_EQ("Transmit: \r\n1Transmit: \r\n2", ReadFileBytes(file_));
}

TEST_F(SioTraceTest, UnwritableFileGivesTheRuntimeError) {
    ASSERT_EQ(0, d_.StartTrace(10));
    d_.SendBlock("1", 1);
    Integer r = d_.WriteTrace("/no/such/folder/SIO.TRC", false, false, true);
    EXPECT_EQ(-3, r);
    EXPECT_FALSE(d_.HasTraceBuffer()) << "the trace is lost";
    try {
        CheckSerialResult(r);
        FAIL();
    } catch (const EInOutError& e) {
        EXPECT_EQ("Path not found", e.Message);
        EXPECT_EQ(3, e.ErrorCode);
    }
}

class SioLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* tz = getenv("TZ");
        savedTz_ = tz ? tz : "";
        hadTz_ = tz != nullptr;
        setenv("TZ", "UTC0", 1);
        tzset();
        // 5 March 2024, 14:07:09 UTC.
        clock_ = std::make_unique<ManualClock>(1000000, std::chrono::system_clock::from_time_t(1709647629));
        SetCurrentClock(clock_.get());
        file_ = TempFile("dispatch.log");
        d_.Prepare(4096, 4096);
        d_.DeviceName = "COM3";
    }
    void TearDown() override {
        SetCurrentClock(nullptr);
        if (hadTz_) setenv("TZ", savedTz_.c_str(), 1);
        else unsetenv("TZ");
        tzset();
        std::filesystem::remove(file_);
    }
    std::unique_ptr<ManualClock> clock_;
    TFakeDispatcher d_;
    std::string file_;
    std::string savedTz_;
    bool hadTz_ = false;
};

TEST_F(SioLogTest, DumpMatchesTheGoldenFile) {
    d_.StartLog(10000);
    d_.SetAvailThreshold(1);
    d_.AddWindowHandler(7);
    clock_->Advance(1234);
    d_.SendBlock("@", 1);
    clock_->Advance(65432 - 1234);
    d_.Incoming = "K\r\n";
    d_.FillReceiveRing();
    d_.AddLogEntry(kLogTrigger, kLogSubAvail, 0, nullptr, 3);
    std::string sheet = "S123XB45BX321B2B3B4B5B6E" "S654321BBBBXXXX123456E";
    clock_->Advance(1);
    d_.Incoming = sheet;
    d_.FillReceiveRing();
    Byte line = 2;
    d_.AddLogEntry(5, 15, 1, &line, 26);
    d_.AddLogEntry(1, 4, 1, "\x01", 0x91);
    d_.AddLogEntry(10, 0, 0, nullptr, 1);
    d_.RemoveWindowHandler(7);
    ASSERT_EQ(0, d_.WriteLog(file_, false, false, true));
    EXPECT_FALSE(d_.HasLogBuffer()) << "a dump ends the log";
    std::string golden = ReadFileBytes(std::string(OMR_TEST_DATA) + "/dispatch.log");
    EXPECT_EQ(golden, Masked(ReadFileBytes(file_)));
}

TEST_F(SioLogTest, TimesAndValues) {
    EXPECT_EQ("0065.432", TSioBaseDispatcher::LogTimeText(65432));
    EXPECT_EQ("0001.234", TSioBaseDispatcher::LogTimeText(1234));
    EXPECT_EQ("0000.000", TSioBaseDispatcher::LogTimeText(0));
    EXPECT_EQ("12345.678", TSioBaseDispatcher::LogTimeText(12345678));
}

TEST_F(SioLogTest, FullRingDropsTheOldestEntries) {
    d_.StartLog(10000);
    for (Cardinal i = 0; i < 1000; ++i) d_.AddLogEntry(kLogTrigger, kLogSubAvail, 0, nullptr, i);
    Byte entry[16];
    std::vector<Byte> scratch;
    Cardinal length;
    ASSERT_FALSE(d_.GetLogEntry(entry, scratch, length));
    Cardinal first = entry[8] | (entry[9] << 8);
    EXPECT_EQ(1000u - 10000u / 16, first) << "the newest 625 entries remain";
    int rest = 0;
    while (!d_.GetLogEntry(entry, scratch, length)) ++rest;
    EXPECT_EQ(624, rest);
}

TEST_F(SioLogTest, EntryTooLargeForTheRingIsNotStoredAtAll) {
    d_.StartLog(100);
    std::string big(84, 'x');  // 16 + 84 = 100: the whole ring
    d_.AddLogEntry(kLogDispatch, kLogSubReadCom, 84, big.data(), 84);
    EXPECT_EQ(0, d_.WriteLog(file_, false, false, true)) << "nothing stored, no file";
    EXPECT_FALSE(std::filesystem::exists(file_));

    d_.StartLog(100);
    std::string fits(60, 'y');
    d_.AddLogEntry(kLogDispatch, kLogSubReadCom, 60, fits.data(), 60);
    d_.AddLogEntry(kLogDispatch, kLogSubWriteCom, 60, fits.data(), 60);
    Byte entry[16];
    std::vector<Byte> scratch;
    Cardinal length;
    ASSERT_FALSE(d_.GetLogEntry(entry, scratch, length));
    EXPECT_EQ(kLogSubWriteCom, entry[1]) << "the first entry made room for the second, whole";
    EXPECT_EQ(60u, length);
    EXPECT_TRUE(d_.GetLogEntry(entry, scratch, length));
}

TEST_F(SioLogTest, PausedLogRecordsNothing) {
    d_.StartLog(1000);
    d_.PauseLog();
    d_.SetAvailThreshold(1);
    d_.ResumeLog();
    d_.SetAvailThreshold(2);
    ASSERT_EQ(0, d_.WriteLog(file_, false, false, true));
    std::string text = ReadFileBytes(file_);
    EXPECT_EQ(std::string::npos, text.find("00000001"));
    EXPECT_NE(std::string::npos, text.find("00000002"));
}

// The scanner protocol end to end: the simulated scanner on a pseudo-
// terminal, the serial port component, and the protocol's classifiers and
// frame layout on the receiving side.

#include <gtest/gtest.h>

#include "app/ScannerProtocol.h"
#include "platform/core/UiQueue.h"
#include "serial/SioComPort.h"
#include "serial/tests/SioTestSupport.h"
#include "tools/scansim/ScannerSimulator.h"

namespace {
TSimSheet Sheet(const std::string& id, const std::string& answers, int split = 0, const std::string& noise = "") {
    TSimSheet s;
    s.Id = id;
    s.Answers = answers;
    s.Split = split;
    s.Noise = noise;
    return s;
}

struct DecodedSheet {
    std::string Id;
    std::string Answers;
    bool operator==(const DecodedSheet&) const = default;
};

std::ostream& operator<<(std::ostream& os, const DecodedSheet& s) { return os << s.Id << "/" << s.Answers; }

// Answer characters as the program stores them: a label for "1" to "6",
// "-" for a blank, "?" for several marks.
std::string Answers(const std::string& marks, const std::string& odd, const std::string& even) {
    std::string out;
    for (std::size_t i = 0; i < marks.size(); ++i) {
        char m = marks[i];
        const std::string& labels = (i + 1) % 2 == 1 ? odd : even;
        if (m >= '1' && m <= '6') out += labels[m - '1'];
        else if (m == 'B') out += '-';
        else if (m == 'X') out += '?';
        else out += m;
    }
    return out;
}
}  // namespace

class ScannerRoundTripTest : public ::testing::Test {
protected:
    void SetUp() override {
        UiQueue::Reset();
        script_.Questions = 10;
        script_.IdDigits = 4;
        // Bubble 6 stays out of the answers: raw mark bytes cannot carry it
        // in the answer part.
        script_.EvenLabels = "FEDCBA";
        script_.Sheets = {Sheet("1234", "ABCD-?ABCD"), Sheet("0987", "AFBEC", 6), Sheet("5065", "EDEDEDEDED", 3)};
        port_ = std::make_unique<TSioComPort>(nullptr);
    }
    void TearDown() override {
        port_.reset();
        sim_.Unplug();
        UiQueue::Reset();
    }

    // The wizard's side: start scanning on the first ready reply, decode
    // every frame.
    void RunWizard(bool raw) {
        sim_.SetScript(script_);
        sim_.Plug(ports_.Path(), 6);
        port_->SetComNumber(6);
        bool startPending = true;
        port_->SetOnTriggerAvail([&, raw](TObject*, Word count) {
            std::string bytes;
            for (Word i = 0; i < count; ++i) bytes += port_->ReadChar();
            receiver_.Append(bytes);
            std::string frame;
            switch (receiver_.Classify(&frame)) {
            case wrReady:
                if (startPending) port_->WriteString(ScanStartCommand(raw));
                startPending = false;
                break;
            case wrFrame: {
                TScannerFrameParts parts = SplitScannerFrame(frame, script_.IdDigits, raw);
                std::string marks = ScannerSheetMarks(parts.Answers, script_.Questions);
                decoded_.push_back({DecodeScannerId(parts.Id), Answers(marks, script_.OddLabels, script_.EvenLabels)});
                break;
            }
            default: break;
            }
        });
        port_->WriteString(kScanCmdAttention);
        ASSERT_TRUE(PollUntil([&] { return sim_.Received().size() >= 2; })) << "@ and the start command";
        EXPECT_EQ(raw ? "@m" : "@g", sim_.ReceivedText());
        for (std::size_t i = 0; i < script_.Sheets.size(); ++i) {
            ASSERT_TRUE(sim_.FeedSheet());
            ASSERT_TRUE(PumpUntil([&] { return decoded_.size() == i + 1; }));
        }
        EXPECT_EQ((std::vector<DecodedSheet>{{"1234", "ABCD-?ABCD"}, {"0987", "AFBEC-----"}, {"5065", "EDEDEDEDED"}}),
                  decoded_);
    }

    TTestPortFolder ports_;
    TSimScript script_;
    TScannerSimulator sim_;
    std::unique_ptr<TSioComPort> port_;
    TScannerWizardReceiver receiver_;
    std::vector<DecodedSheet> decoded_;
};

TEST_F(ScannerRoundTripTest, MarkCodeFramesBecomeAnswersAndIds) { RunWizard(false); }

TEST_F(ScannerRoundTripTest, RawMarkByteFramesBecomeAnswersAndIds) { RunWizard(true); }

TEST_F(ScannerRoundTripTest, VersionAndCalibration) {
    script_.Version = "Version 3.0 (C) Scanner simulator.\r\n";
    script_.CalibrationSheets = 4;
    sim_.SetScript(script_);
    sim_.Plug(ports_.Path(), 6);
    port_->SetComNumber(6);

    TScannerSetupReceiver setup;
    double version = -1;
    port_->SetOnTriggerAvail([&](TObject*, Word count) {
        std::string bytes;
        for (Word i = 0; i < count; ++i) bytes += port_->ReadChar();
        setup.Append(bytes);
        std::string reply;
        TSetupReply kind = setup.Classify(&reply);
        if (kind == srReady) port_->WriteString(kScanCmdVersion);
        if (kind == srVersion) version = ParseScannerVersion(reply);
    });
    port_->WriteString(kScanCmdAttention);
    ASSERT_TRUE(PumpUntil([&] { return version >= 0; }));
    EXPECT_DOUBLE_EQ(3.0, version);
    const bool fourSheets = UsesFourSheetCalibration(version);
    EXPECT_TRUE(fourSheets);

    // The calibration dialog's side: one reply per event.
    std::vector<int> prompts;
    bool complete = false, stored = false;
    port_->SetOnTriggerAvail([&](TObject*, Word count) {
        std::string reply;
        for (Word i = 0; i < count; ++i) reply += port_->ReadChar();
        TCalibrationReply kind = ClassifyCalibrationReply(reply);
        if (kind == crReady) port_->WriteString(complete ? kScanCmdStore : kScanCmdCalibrate);
        else if (kind == crComplete) {
            complete = true;
            port_->WriteString(kScanCmdAttention);
        } else if (kind == crStored) {
            stored = true;
        } else if (int sheet = CalibrationSheetNumber(kind, fourSheets)) {
            prompts.push_back(sheet);
        }
    });
    port_->WriteString(kScanCmdAttention);
    ASSERT_TRUE(PumpUntil([&] { return prompts.size() == 1; }));
    for (int sheet = 2; sheet <= 4; ++sheet) {
        ASSERT_TRUE(sim_.FeedSheet());
        ASSERT_TRUE(PumpUntil([&] { return static_cast<int>(prompts.size()) == sheet; }));
    }
    ASSERT_TRUE(sim_.FeedSheet());  // the last sheet: calibration complete
    ASSERT_TRUE(PumpUntil([&] { return stored; }));
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4}), prompts);
    EXPECT_EQ("@v@c@s", sim_.ReceivedText());
}

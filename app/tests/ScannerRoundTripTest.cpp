// The scanner protocol end to end: the simulated scanner on a pseudo-
// terminal, the serial port component, and on the receiving side the
// dialogs' classifiers and the wizard's own receive handler.

#include <gtest/gtest.h>

#include "app/ScannerProtocol.h"
#include "app/tests/WorkTestSupport.h"
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

}  // namespace

class ScannerRoundTripTest : public WorkFixture {
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
        if (work) work->DetachPort();
        port_.reset();
        sim_.Unplug();
        UiQueue::Reset();
        WorkFixture::TearDown();
    }

    // The wizard's own receive path: it starts scanning on the first ready
    // reply and stores every sheet as a student.
    void RunWizard(bool raw) {
        sim_.SetScript(script_);
        sim_.Plug(ports_.Path(), 6);
        port_->SetComNumber(6);
        Configure(script_.Questions, script_.Questions, script_.IdDigits);
        work->OnSendCommand = nullptr;  // commands go to the port
        work->OddLabels = script_.OddLabels;
        work->EvenLabels = script_.EvenLabels;
        work->RawMarkBytes = raw;
        work->AttachPort(port_.get());
        work->ScanTestsShow();
        work->StartScanner();
        ASSERT_TRUE(PollUntil([&] { return sim_.Received().size() >= 2; })) << "@ and the start command";
        EXPECT_EQ(raw ? "@m" : "@g", sim_.ReceivedText());
        for (std::size_t i = 0; i < script_.Sheets.size(); ++i) {
            ASSERT_TRUE(sim_.FeedSheet());
            ASSERT_TRUE(PumpUntil([&] { return work->qmtData->RecordCount() == static_cast<int>(i + 1); }));
        }
        std::vector<std::string> students;
        for (work->qmtData->First(); !work->qmtData->Eof(); work->qmtData->Next())
            students.push_back(std::to_string(CurrentId()) + "/" + Answers(10));
        EXPECT_EQ(students, (std::vector<std::string>{"1234/ABCD-?ABCD", "987/AFBEC-----", "5065/EDEDEDEDED"}));
        EXPECT_EQ(sounds, (std::vector<bool>{false, false, true}));
    }

    TTestPortFolder ports_;
    TSimScript script_;
    TScannerSimulator sim_;
    std::unique_ptr<TSioComPort> port_;
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

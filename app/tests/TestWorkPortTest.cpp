// The scoring work behind a real serial port: the simulated scanner on a
// pseudo-terminal plays the sheets, the port's worker threads carry the
// bytes, and the data-available event reaches the receive handler on the
// user-interface thread, as in the program.

#include <gtest/gtest.h>

#include "app/tests/WorkTestSupport.h"
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

class PortTest : public WorkFixture {
protected:
    void SetUp() override { UiQueue::Reset(); }
    void TearDown() override {
        if (work) work->DetachPort();
        port_.reset();
        sim_.Unplug();
        UiQueue::Reset();
        WorkFixture::TearDown();
    }

    // N = 7, 5 questions and 2 ID digits per sheet: the key takes two
    // sheets, and so does every student.
    void Run(bool raw) {
        Configure(7, 5, 2);
        work->OnSendCommand = nullptr;  // commands go to the port
        work->RawMarkBytes = raw;
        // Point values and penalties come before the key is scanned; the
        // penalties of questions 4 and 5 are never due below (a multiple
        // mark and a blank).
        SetKey("", {"1", "1", "1", "2", "1", "4", "6"}, {"0.5", "", "", "5", "5", "1", ""});
        AddGroup(2, "Last two");
        SetQuestionGroups(6, "(1,2)");
        SetQuestionGroups(7, "(1,2)");
        TSimScript script;
        script.Questions = 5;
        script.IdDigits = 2;
        script.Sheets = {
            Sheet("", "ABCDE"),              // key, questions 1-5
            Sheet("", "EA"),                 // key, questions 6-7
            Sheet("35", "ABC?-"),            // ID part "2BB5": student 35
            Sheet("35", "EA", 4),            // continued, split over two writes
            Sheet("1?", "AAAAA"),            // ambiguous ID digit
            Sheet("!1", "AAAAA"),            // two bubbles in one ID column
            Sheet("35", "CCCCC"),            // student 35 is complete already
            Sheet("47", "ABCDE", 0, "xyz"),  // noise before the frame
        };
        sim_.SetScript(script);
        sim_.Plug(ports_.Path(), 3);
        port_ = std::make_unique<TSioComPort>(nullptr);
        port_->SetComNumber(3);
        work->AttachPort(port_.get());

        work->ActivePage = wpScanMaster;
        work->PrepareScanMaster();
        work->StartScanner();
        ASSERT_TRUE(PollUntil([&] { return sim_.Received().size() >= 2; }));
        EXPECT_EQ(sim_.ReceivedText(), raw ? "@m" : "@g");

        auto feed = [&](std::size_t soundsAfter) {
            ASSERT_TRUE(sim_.FeedSheet());
            ASSERT_TRUE(PumpUntil([&] { return sounds.size() == soundsAfter; }));
        };
        feed(1);
        feed(2);
        EXPECT_EQ(KeyAnswer(1) + KeyAnswer(2) + KeyAnswer(3) + KeyAnswer(4) + KeyAnswer(5) + KeyAnswer(6) +
                      KeyAnswer(7),
                  "ABCDEEA");
        EXPECT_TRUE(work->btnNext2.Enabled());

        work->ScanMasterNext();
        work->ScanTestsShow();
        feed(3);
        EXPECT_EQ(CurrentId(), 35);
        EXPECT_EQ(Answers(7), "ABC?-  ");
        feed(4);
        EXPECT_EQ(Answers(7), "ABC?-EA");
        // 13 of 16 points: 812.5 tenths of a percent go down to 812.
        EXPECT_EQ(work->lblScore.Text(), "Score: 13/16, 81.2%");

        prompts.Ok("Ambiguous Number").Ok("Two Bubble Number").Ok("All scores have been recorded");
        feed(5);
        feed(6);
        feed(7);
        feed(8);
        EXPECT_EQ(sounds, (std::vector<bool>{true, true, false, true, false, false, false, true}));
        const std::vector<std::string> lines = Prompted();
        ASSERT_EQ(lines.size(), 3u);
        EXPECT_EQ(lines[0].rfind("Error: Invalid ID Number Detected\r\nAmbiguous Number\r\n", 0), 0u);
        EXPECT_EQ(lines[1].rfind("Error: Invalid ID Number Detected\r\nTwo Bubble Number\r\n", 0), 0u);
        EXPECT_EQ(lines[2].rfind("Warning: All scores have been recorded for this ID already.", 0), 0u);

        EXPECT_EQ(work->qmtData->RecordCount(), 2);
        EXPECT_EQ(CurrentId(), 47);
        EXPECT_EQ(work->qmtData->FieldByName("RecNo")->AsInteger(), 2);
        EXPECT_EQ(Answers(7), "ABCDE  ");
        ASSERT_TRUE(work->LocateId(35));
        EXPECT_EQ(Answers(7), "ABC?-EA");
        EXPECT_EQ(sim_.ReceivedText(), raw ? "@m" : "@g");

        // Group scores and percentages, as the summary with groups writes
        // them: student 47 earns 5 and pays 1 for the unscanned question 6.
        const std::string file = home.Dir() + "groups.txt";
        work->WriteExport(efSummaryGroups, file);
        EXPECT_EQ(ReadAll(file), "35\t\t13\t81.2%\t10\t100%\r\n47\t\t5\t31.2%\t-1\t-10%\r\n");
        work->Decimals = 2;
        work->WriteExport(efSummaryGroups, file);
        EXPECT_EQ(ReadAll(file),
                  "35\t\t13.00\t81.25%\t10.00\t100.00%\r\n47\t\t5.00\t31.25%\t-1.00\t-10.00%\r\n");
    }

    TTestPortFolder ports_;
    TScannerSimulator sim_;
    std::unique_ptr<TSioComPort> port_;
};

TEST_F(PortTest, MarkCodeFramesThroughTheSerialPort) { Run(false); }

TEST_F(PortTest, RawMarkByteFramesThroughTheSerialPort) { Run(true); }

TEST_F(PortTest, AReadyReplyAndTwoSheetsInOneWriteLoseNoSheet) {
    Configure(2, 2, 2);
    work->OnSendCommand = nullptr;
    TSimScript script;
    script.Questions = 2;
    script.IdDigits = 2;
    sim_.SetScript(script);
    sim_.Plug(ports_.Path(), 4);
    port_ = std::make_unique<TSioComPort>(nullptr);
    port_->SetComNumber(4);
    work->AttachPort(port_.get());
    work->ScanTestsShow();
    work->StartPending = true;
    port_->SetOpen(true);
    ASSERT_TRUE(port_->Open());

    sim_.SendRaw("K" + EncodeSimFrame(script, Sheet("12", "AB"), false) +
                 EncodeSimFrame(script, Sheet("34", "BA"), false));
    ASSERT_TRUE(PumpUntil([&] { return sounds.size() == 2; }));
    EXPECT_EQ(work->qmtData->RecordCount(), 2);
    EXPECT_EQ(CurrentId(), 34);
    ASSERT_TRUE(PollUntil([&] { return sim_.Received().size() == 1; }));
    EXPECT_EQ(sim_.ReceivedText(), "g");
}

// Sheet frames arriving at the wizard's receive handler: the answer key,
// students matched by ID, continuation sheets, rejected IDs, and the cutting
// of the byte stream into replies and frames.

#include <gtest/gtest.h>

#include "app/tests/WorkTestSupport.h"

namespace {

std::vector<std::string> FieldNames(TDataSet* table, bool visibleOnly = false) {
    std::vector<std::string> names;
    for (TField* f : table->Fields().List())
        if (!visibleOnly || f->Visible()) names.push_back(f->FieldName());
    return names;
}

const char* const kBadIdAdvice = "\r\nLook for an ambiguous/double number, fix the problem, and then scan again.";

}  // namespace

class ScanTest : public WorkFixture {};

TEST_F(ScanTest, TheTablesAreLaidOutForTheNumberOfQuestions) {
    Configure(3, 3, 2);
    using V = std::vector<std::string>;
    EXPECT_EQ(FieldNames(work->qmtData), (V{"RecNo", "IDNo", "Q1", "P1", "Q2", "P2", "Q3", "P3"}));
    EXPECT_EQ(FieldNames(work->qmtData, true), (V{"IDNo", "Q1", "Q2", "Q3"}));
    EXPECT_EQ(FieldNames(work->qmtMaster),
              (V{"RecNo", "Q1", "P1", "S1", "Q2", "P2", "S2", "Q3", "P3", "S3"}));
    EXPECT_EQ(FieldNames(work->qmtMaster, true), (V{"Q1", "Q2", "Q3"}));
    EXPECT_EQ(FieldNames(work->qmtError), (V{"QNo", "Val", "RghtVal", "dColor"}));
    EXPECT_EQ(FieldNames(work->qmtNames), (V{"ID", "Name"}));

    TField* idNo = work->qmtData->FieldByName("IDNo");
    EXPECT_EQ(idNo->DataType(), ftLargeint);
    EXPECT_EQ(idNo->DisplayWidth(), 9);
    EXPECT_EQ(work->qmtData->FieldByName("Q2")->Size(), 1);
    EXPECT_EQ(work->qmtData->FieldByName("Q2")->DisplayWidth(), 4);
    EXPECT_EQ(work->qmtData->FieldByName("P2")->Size(), 10);
    EXPECT_EQ(work->qmtMaster->FieldByName("S3")->Size(), 6);
    EXPECT_EQ(work->qmtData->FieldByName("Q3")->Name(), "mtQ3");
    EXPECT_EQ(work->qmtMaster->FieldByName("P3")->Name(), "mtMP3");

    // Leaving the configuration page again rebuilds both tables empty.
    AddStudent(5, "ABC");
    work->N = 1;
    work->RebuildTables();
    EXPECT_EQ(FieldNames(work->qmtData), (V{"RecNo", "IDNo", "Q1", "P1"}));
    EXPECT_EQ(work->qmtData->RecordCount(), 0);
}

TEST_F(ScanTest, AStudentSheetIsDecodedMatchedAndScored) {
    Configure(5, 5, 2);
    SetKey("ABCAB");
    work->ScanTestsShow();
    // ID part "2BB5" in frame order: reversed 5BB2, 5B gives 3, B2 gives 5.
    work->ReceiveBytes("S" + std::string("BX321") + "2BB5" + "E");

    ASSERT_EQ(work->qmtData->RecordCount(), 1);
    EXPECT_EQ(CurrentId(), 35);
    EXPECT_EQ(work->qmtData->FieldByName("RecNo")->AsInteger(), 1);
    // The frame's last answer character is the first question.
    EXPECT_EQ(Answers(5), "ABC?-");
    EXPECT_EQ(work->RecordCounter, 1);
    EXPECT_EQ(sounds, std::vector<bool>{false});  // "?" and "-" make the sheet bad
    EXPECT_TRUE(Prompted().empty());
    EXPECT_EQ(work->lblScore.Text(), "Score: 3/5, 60%");
    EXPECT_EQ(work->qmtError->RecordCount(), 2);
    // The first student shows the grids.
    EXPECT_FALSE(work->imgTests.Visible());
    EXPECT_TRUE(work->dbgData.Visible());
    EXPECT_TRUE(work->dbgErrors.Visible());
    EXPECT_TRUE(work->lblScore.Visible());

    work->ReceiveBytes(SheetFrame("12", "ABCAB"));
    EXPECT_EQ(CurrentId(), 12);
    EXPECT_EQ(work->qmtData->FieldByName("RecNo")->AsInteger(), 2);
    EXPECT_EQ(sounds.back(), true);
    EXPECT_EQ(work->lblScore.Text(), "Score: 5/5, 100%");
}

TEST_F(ScanTest, AnAmbiguousOrDoublyMarkedIdRejectsTheSheet) {
    Configure(3, 3, 2);
    work->ScanTestsShow();
    struct Case {
        const char* idPart;  // frame order
        const char* reason;
    } cases[] = {
        {"31", "Two Bubble Number"},  // reversed 13: no blank
        {"BX", "Ambiguous Number"},   // reversed XB
        {"1X", "Two Bubble Number"},  // reversed X1: the second rule wins
        {"XX", "Two Bubble Number"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.idPart);
        prompts.Clear();
        sounds.clear();
        prompts.Ok("Invalid ID Number Detected");
        work->ReceiveBytes(std::string("SBBB") + c.idPart + "E");
        EXPECT_EQ(Prompted(), std::vector<std::string>{std::string("Error: Invalid ID Number Detected\r\n") +
                                                       c.reason + kBadIdAdvice});
        EXPECT_EQ(sounds, std::vector<bool>{false});
    }
    EXPECT_EQ(work->qmtData->RecordCount(), 0);
    EXPECT_EQ(work->RecordCounter, 0);
    EXPECT_TRUE(work->imgTests.Visible());

    // Through the scanner's own encoding: "?" is an ambiguous digit, "!" two bubbles.
    prompts.Clear();
    prompts.Ok("Ambiguous Number").Ok("Two Bubble Number");
    work->ReceiveBytes(SheetFrame("1?", "ABC"));
    work->ReceiveBytes(SheetFrame("!1", "ABC"));
    EXPECT_EQ(work->qmtData->RecordCount(), 0);
}

TEST_F(ScanTest, ABlankIdColumnAddsNoDigitAndAnIdBelowZeroIsStoredAsZero) {
    Configure(2, 2, 3);
    work->ScanTestsShow();
    work->ReceiveBytes(SheetFrame("4 7", "AB"));
    EXPECT_EQ(CurrentId(), 47);
    // A pair whose first mark is bubble 1 computes 1 - 2 = -1.
    work->ReceiveBytes(std::string("SAB") + "BBBB" + "B1" + "E");
    EXPECT_EQ(CurrentId(), 0);
    EXPECT_EQ(work->qmtData->RecordCount(), 2);
}

TEST_F(ScanTest, TheKeySheetOnTheScanMasterPageFillsTheAnswerKey) {
    Configure(7, 5, 2);
    work->ActivePage = wpScanMaster;
    work->PrepareScanMaster();
    EXPECT_FALSE(work->btnNext2.Enabled());

    work->ReceiveBytes(SheetFrame("99", "ABCDE"));
    EXPECT_EQ(work->qmtMaster->RecordCount(), 1);
    EXPECT_EQ(work->qmtMaster->FieldByName("RecNo")->AsInteger(), 1);
    EXPECT_EQ(KeyAnswer(1) + KeyAnswer(5), "AE");
    EXPECT_EQ(KeyAnswer(6), "");
    EXPECT_EQ(work->qmtData->RecordCount(), 0);  // not a student
    EXPECT_EQ(sounds, std::vector<bool>{true});
    EXPECT_FALSE(work->imgMaster.Visible());
    EXPECT_TRUE(work->dbgMaster.Visible());
    EXPECT_TRUE(work->btnNext2.Enabled());
    EXPECT_EQ(work->lblMaster.Text(), "Check for correct values then click on \"Next\"");

    // A second key sheet continues after the filled questions; a blank
    // makes it bad.
    work->ReceiveBytes(SheetFrame("", "C-ABE"));
    EXPECT_EQ(KeyAnswer(6) + KeyAnswer(7), "C-");
    EXPECT_EQ(sounds.back(), false);

    // Every question filled: nothing stored, no warning.
    work->ReceiveBytes(SheetFrame("", "EEEEE"));
    EXPECT_EQ(KeyAnswer(1) + KeyAnswer(7), "A-");
    EXPECT_EQ(work->qmtMaster->RecordCount(), 1);
    EXPECT_TRUE(Prompted().empty());
    EXPECT_EQ(sounds.back(), true);
}

TEST_F(ScanTest, ALaterSheetForTheSameIdContinuesAfterTheFilledQuestions) {
    Configure(7, 5, 3);
    work->cbPrintScan = true;
    int printed = 0;
    std::vector<TBookmark> selected;
    int resets = 0;
    work->OnPrintStudentReport = [&](TObject*) { ++printed; };
    work->OnSelectRow = [&](TObject*, const TBookmark& row) { selected.push_back(row); };
    work->OnResetRowState = [&](TObject*) { ++resets; };
    work->ScanTestsShow();

    work->ReceiveBytes(SheetFrame("123", "ABCDE"));
    work->ReceiveBytes(SheetFrame("456", "EDCBA"));
    EXPECT_EQ(printed, 0);
    // The second sheet of 123: its first two positions are questions 6 and
    // 7, the rest of it is past N and not stored.
    work->ReceiveBytes(SheetFrame("123", "FA-?B"));
    EXPECT_EQ(work->qmtData->RecordCount(), 2);
    EXPECT_EQ(CurrentId(), 123);
    EXPECT_EQ(Answers(7), "ABCDEFA");
    EXPECT_EQ(work->qmtData->FieldByName("RecNo")->AsInteger(), 1);
    EXPECT_EQ(sounds, (std::vector<bool>{true, true, true}));
    EXPECT_EQ(printed, 1);  // the student is complete
    EXPECT_TRUE(Prompted().empty());
    EXPECT_TRUE(selected.empty());

    // A third sheet finds every question filled.
    resets = 0;
    prompts.Ok("All scores have been recorded");
    work->ReceiveBytes(SheetFrame("123", "CCCCC"));
    EXPECT_EQ(Prompted(), std::vector<std::string>{
                              "Warning: All scores have been recorded for this ID already.\r\n"
                              "It is possible that a sheet has been scanned twice or there is an extra sheet "
                              "for this ID"});
    EXPECT_EQ(sounds.back(), false);
    EXPECT_EQ(Answers(7), "ABCDEFA");
    EXPECT_EQ(resets, 2);
    ASSERT_EQ(selected.size(), 1u);
    EXPECT_EQ(selected[0], work->qmtData->GetBookmark());
    EXPECT_EQ(printed, 2);  // printed once more
    EXPECT_EQ(work->qmtData->RecordCount(), 2);
}

TEST_F(ScanTest, ScanMasterNextDiscardsTheStudentsAndRestartsTheCount) {
    Configure(2, 2, 2);
    work->RawFrameLogOn = true;
    work->ScanTestsShow();
    work->ReceiveBytes(SheetFrame("11", "AB"));
    work->ReceiveBytes(SheetFrame("22", "AB"));
    EXPECT_EQ(work->RawFrameLog, SheetFrame("11", "AB") + "\r\n" + SheetFrame("22", "AB") + "\r\n");

    work->ScanMasterNext();
    EXPECT_EQ(work->RawFrameLog.substr(work->RawFrameLog.size() - 4), "\r\n\r\n");
    EXPECT_EQ(work->qmtData->RecordCount(), 0);
    EXPECT_TRUE(work->imgTests.Visible());
    EXPECT_FALSE(work->dbgData.Visible());
    work->ScanTestsShow();
    work->ReceiveBytes(SheetFrame("22", "AB"));
    EXPECT_EQ(work->qmtData->FieldByName("RecNo")->AsInteger(), 1);
}

TEST_F(ScanTest, RawMarkByteFramesDecodeAsMarkCodesDo) {
    Configure(6, 6, 4);
    work->ScanTestsShow();
    work->ReceiveBytes(SheetFrame("0579", "AE-?CB"));
    const std::string fromCodes = Answers(6);
    const Int64 idFromCodes = CurrentId();

    work->RawMarkBytes = true;
    work->ReceiveBytes(SheetFrame("0578", "AE-?CB", true));
    EXPECT_EQ(CurrentId(), 578);
    EXPECT_EQ(Answers(6), fromCodes);
    EXPECT_EQ(idFromCodes, 579);
    EXPECT_EQ(fromCodes, "AE-?CB");

    // Bit 0x01 is bubble 6 only in the ID part: here it marks digit 6 + 3 = 9
    // of the ID and is ignored among the answers (a blank).
    const std::string answersPart = std::string(1, '\x60') + "\x41\x41\x41\x41\x41";  // last first
    const std::string idPart = std::string("\x41\x40") + "\x41\x40" + "\x41\x40" + "\x41\x40";
    work->ReceiveBytes("S" + answersPart + idPart + "E");
    EXPECT_EQ(CurrentId(), 9999);
    EXPECT_EQ(Answers(6), "-----A");
}

TEST_F(ScanTest, EveryCompleteFrameInTheBufferIsHandled) {
    Configure(2, 2, 2);
    work->StartPending = true;
    work->ScanTestsShow();
    TPromptScript::SetBusyCursor(true);

    // The ready reply and the first sheet in one event.
    work->ReceiveBytes("K" + SheetFrame("11", "AB"));
    EXPECT_EQ(sent, std::vector<std::string>{"g"});
    EXPECT_FALSE(TPromptScript::BusyCursor());
    EXPECT_EQ(work->qmtData->RecordCount(), 1);

    // Two sheets in one event, and a third half-way.
    const std::string third = SheetFrame("33", "BA");
    work->ReceiveBytes(SheetFrame("22", "AB") + SheetFrame("44", "BB") + third.substr(0, 3));
    EXPECT_EQ(work->qmtData->RecordCount(), 3);
    EXPECT_EQ(work->ReceiveBuffer, third.substr(0, 3));
    work->ReceiveBytes(third.substr(3));
    EXPECT_EQ(work->qmtData->RecordCount(), 4);
    EXPECT_EQ(CurrentId(), 33);
    EXPECT_TRUE(work->ReceiveBuffer.empty());

    // Further ready replies only clear; status text is skipped; the start
    // command goes out once.
    work->ReceiveBytes("K\r\n.status\r\n" + SheetFrame("55", "AA"));
    EXPECT_EQ(sent.size(), 1u);
    EXPECT_EQ(work->qmtData->RecordCount(), 5);
    EXPECT_EQ(sounds.size(), 5u);
}

TEST_F(ScanTest, TheByteStreamIsCutIntoRepliesAndFrames) {
    // One question, two ID digits: "S" "1" "2BB5" "E" is student 35
    // answering A. Each case starts with the start command pending.
    struct Step {
        std::string bytes;
        std::string buffer;  // what stays for the next event
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
        std::vector<std::string> sent;
        int students;
        std::vector<bool> sounds;
    } cases[] = {
        {"ready", {{"K", ""}}, {"g"}, 0, {}},
        {"ready and a frame in one event", {{"KS12BB5E", ""}}, {"g"}, 1, {true}},
        {"frame in one event", {{"S12BB5E", ""}}, {}, 1, {true}},
        {"frame split after S", {{"S1", "S1"}, {"2BB5E", ""}}, {}, 1, {true}},
        {"frame split in three", {{"S", "S"}, {"12B", "S12B"}, {"B5E", ""}}, {}, 1, {true}},
        {"tail of a broken transfer", {{"12B", ""}, {"B5E", ""}}, {}, 0, {false}},
        {"status text", {{".ok\r\n", ""}}, {}, 0, {}},
        {"stray line end before a frame", {{"\r\n", ""}, {"S12BB5E", ""}}, {}, 1, {true}},
        {"line end after the E", {{"S12BB5E\r\n", ""}}, {}, 1, {true}},
        {"noise, then ready", {{"q#", ""}, {"K\r\n", ""}}, {"g"}, 0, {}},
        {"two frames and a ready in one event", {{"S12BB5EKS1B4B3E", ""}}, {"g"}, 2, {true, true}},
    };
    for (const Case& c : cases) {
        Configure(1, 1, 2);
        work->ScanTestsShow();
        work->StartPending = true;
        for (const Step& s : c.steps) {
            work->ReceiveBytes(s.bytes);
            EXPECT_EQ(work->ReceiveBuffer, s.buffer) << c.name << ": " << s.bytes;
        }
        EXPECT_EQ(sent, c.sent) << c.name;
        EXPECT_EQ(work->qmtData->RecordCount(), c.students) << c.name;
        EXPECT_EQ(sounds, c.sounds) << c.name;
        sent.clear();
        sounds.clear();
    }
    // In raw mark-byte mode the start command asks for mark bytes.
    work->RawMarkBytes = true;
    work->StartPending = true;
    work->ReceiveBytes("K");
    EXPECT_EQ(sent, std::vector<std::string>{"m"});
}

TEST_F(ScanTest, ASheetShorterThanTheFormLeavesEmptyAnswersAndTheNextSheetFollowsThem) {
    // Five questions per sheet, N = 10: the first sheet's answer part
    // reaches four positions only (the leading "S" is read as a mark), so
    // question 5 is empty but present; the second sheet fills 6 to 10.
    Configure(10, 5, 2);
    SetKey("ABCDEBCDAB");
    work->ScanTestsShow();
    work->ReceiveBytes("S321B4B3E");
    ASSERT_EQ(work->qmtData->RecordCount(), 1);
    EXPECT_EQ(CurrentId(), 12);
    EXPECT_FALSE(work->qmtData->FieldByName("Q5")->IsNull());
    EXPECT_EQ(Answer(5), "");
    EXPECT_TRUE(work->qmtData->FieldByName("Q6")->IsNull());

    work->ReceiveBytes("S21432B4B3E");
    EXPECT_EQ(work->qmtData->RecordCount(), 1);
    EXPECT_EQ(Answers(10), "ABCS BCDAB");
    EXPECT_EQ(work->qmtData->FieldByName("Q5")->AsString(), "");
    EXPECT_EQ(work->lblScore.Text(), "Score: 8/10, 80%");
}

TEST_F(ScanTest, AFrameBeforeTheTablesAreBuiltStoresNothing) {
    work = std::make_unique<TTestWorkData>(nullptr);
    work->N = 2;
    work->Q = 2;
    work->D = 2;
    work->ScanTestsShow();
    EXPECT_ANY_THROW(work->ReceiveBytes("SAB2B2BE"));
    EXPECT_TRUE(work->ReceiveBuffer.empty());
    EXPECT_FALSE(work->qmtData->Active());
}

TEST_F(ScanTest, LocateIdFindsAStudentAndStaysPutWhenItDoesNot) {
    Configure(1, 1, 3);
    for (int id = 100; id < 160; ++id) AddStudent(id, "A");
    work->qmtData->First();
    EXPECT_TRUE(work->LocateId(137));
    EXPECT_EQ(CurrentId(), 137);
    EXPECT_EQ(work->qmtData->FieldByName("RecNo")->AsInteger(), 38);
    EXPECT_TRUE(work->LocateId(137));
    EXPECT_FALSE(work->LocateId(99));
    EXPECT_EQ(CurrentId(), 137);
    EXPECT_FALSE(work->Locating);
    EXPECT_TRUE(work->LocateId(100));
    EXPECT_TRUE(work->LocateId(159));

    // In the Output page's order as well.
    work->OutputShow();
    EXPECT_TRUE(work->LocateId(120));
    EXPECT_EQ(CurrentId(), 120);
}

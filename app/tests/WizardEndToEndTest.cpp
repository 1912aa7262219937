// The program's main road for a teacher, end to end: the welcome window
// with the simulated scanner on a pseudo-terminal and a fresh program
// folder; Start; the configuration page with a names file, point values, a
// penalty and a question group; the key scanned on the Scan Master page; 31
// students scanned (one on two sheets, one with an invalid ID, one sheet
// sent twice); the students' grid with its colours; a key answer corrected
// in the answer-key editor, which rescores every student; two
// exports compared with golden files written by hand from the rules; the
// profile saved and checked in the database with the sqlite3 shell;
// Finished, Done, and Exit.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <vector>

#include "app/AppSettings.h"
#include "app/ScoringRules.h"
#include "app/fmEditMasterData.h"
#include "app/fmGroupSetup.h"
#include "app/fmProfile.h"
#include "app/fmPenaltySetup.h"
#include "app/fmTestMain.h"
#include "app/fmTestWork.h"
#include "app/tests/ScannerTestSupport.h"
#include "app/tests/WindowTestSupport.h"
#include "app/tests/WizardTestSupport.h"
#include "platform/data/DB.h"

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The output of a shell command; false when it could not run.
bool RunCommand(const std::string& command, std::string& output) {
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return false;
    char buffer[512];
    output.clear();
    while (std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
    return pclose(pipe) == 0;
}

TSimSheet Sheet(const std::string& id, const std::string& answers) {
    TSimSheet s;
    s.Id = id;
    s.Answers = answers;
    return s;
}

// Student i (IDs 101 to 130) answers the key's first ten questions but one:
// question ((i - 1) mod 10) + 1 is left blank, marked twice or answered
// with the next letter, in turn.
std::string StudentAnswers(int i) {
    std::string a = "ABCDEABCDE";
    char& c = a[static_cast<std::size_t>((i - 1) % 10)];
    c = i % 3 == 0 ? '-' : i % 3 == 2 ? '?' : (c == 'E' ? 'A' : static_cast<char>(c + 1));
    return a;
}

}  // namespace

class WizardEndToEndTest : public WindowTest {};

TEST_F(WizardEndToEndTest, ATeacherScoresAClassFromStartToFinish) {
    std::string probe;
    if (!RunCommand("sqlite3 -version 2>/dev/null", probe)) GTEST_SKIP() << "the sqlite3 shell is not installed";

    TestPorts ports;
    TSimScript simScript;
    simScript.Questions = 10;
    simScript.IdDigits = 3;
    // The key on two sheets: questions 1-10, then 11-15 (the rest of the
    // second sheet is past the 15 relevant questions).
    simScript.Sheets = {Sheet("", "ABCDEABCDE"), Sheet("", "ABCDEAAAAA")};
    for (int i = 1; i <= 30; ++i) simScript.Sheets.push_back(Sheet(std::to_string(100 + i), StudentAnswers(i)));
    simScript.Sheets.push_back(Sheet("1?3", "ABCDEABCDE"));  // invalid ID
    simScript.Sheets.push_back(Sheet("200", "ABCDEABCDE"));  // two sheets
    simScript.Sheets.push_back(Sheet("200", "ABCDEEEEEE"));
    simScript.Sheets.push_back(Sheet("200", "ABCDEEEEEE"));  // sent twice
    TScannerSimulator sim(simScript);
    ports.Plug(sim, 3);
    WritePortNo(home.Dir() + "VeltmachSettings.ini", 3);
    {
        std::ofstream names(home.Dir() + "class.txt", std::ios::binary);
        names << "101\tAda Byron\r\n102\tAlan Turing\r\n200\tGrace Hopper\r\n";
    }
    const std::string generic = home.Dir() + "generic.txt";
    const std::string detailed = home.Dir() + "detailed.txt";

    script.AnswerFile(home.Dir() + "class.txt")  // names file
        .AnswerInput("Part B", "Enter a new group name.")
        .Answer(mrOk, "Invalid ID Number Detected\r\nAmbiguous Number\r\n"
                      "Look for an ambiguous/double number, fix the problem, and then scan again.")
        .Answer(mrOk, "All scores have been recorded for this ID already.\r\n"
                      "It is possible that a sheet has been scanned twice or there is an extra sheet for this ID")
        .AnswerFile(generic)
        .AnswerFile(detailed)
        .Answer(mrYes, "Are you sure you are done?")
        .Answer(mrYes, "Are you sure you want to exit?");

    TfrmMain* main = nullptr;
    Application->CreateForm(main);
    TfrmTestWork* wizard = nullptr;
    TTestWorkData* work = nullptr;
    int frames = 0;  // every handled frame plays one drop sound
    std::size_t fed = 0;
    std::vector<std::string> scoreLines;
    bool wizardClosed = false;

    auto feed = [&](std::size_t sheets) -> bool {
        // One sheet at a time: the next only when the last was handled.
        if (fed < sheets && frames == static_cast<int>(fed)) {
            EXPECT_TRUE(sim.FeedSheet());
            ++fed;
        }
        return frames == static_cast<int>(sheets);
    };
    std::size_t step = 0;
    std::vector<std::function<bool()>> steps = {
        [&]() -> bool {
            if (!main->Active()) return false;
            // The wizard's steps run inside its modal loop: move on first.
            ++step;
            main->btnStart->Click();  // returns when the wizard closes
            wizardClosed = true;
            return false;
        },
        [&]() -> bool {
            wizard = ActiveAs<TfrmTestWork>();
            if (!wizard || sim.ReceivedText() != "@g") return false;
            work = wizard->Work();
            work->OnDropSound = [&](TObject*, bool) { ++frames; };
            wizard->edtTestName->SetText("Fractions");
            wizard->edtTestID->SetText("Q3");
            wizard->edtFormNo->SetText("1003");
            wizard->edtQty->SetText("15");
            wizard->cbNamesC->SetChecked(true);
            wizard->btnNamesC->Click();
            wizard->btnNext[0]->Click();
            EXPECT_EQ(wizard->PageControl1->ActivePageIndex(), 1);
            // Question 2 is worth two points; a wrong answer to question 3
            // costs half a point; questions 11-15 form group 2.
            wizard->PointEditors[1]->SetText("2");
            ++step;
            wizard->btnPenalty->Click();
            return false;
        },
        [&]() -> bool {
            auto* penalties = ActiveAs<TfrmPenaltySetup>();
            if (!penalties) return false;
            penalties->PenaltyEdits()[2]->SetText("0.5");
            penalties->btnOK->Click();
            return true;
        },
        [&]() -> bool {
            if (ActiveAs<TfrmTestWork>() != wizard) return false;
            ++step;
            wizard->btnGroupSetup->Click();
            return false;
        },
        [&]() -> bool {
            auto* groups = ActiveAs<TfrmGroupSetup>();
            if (!groups) return false;
            groups->BitBtn3->Click();  // "Part B", now the current group
            for (int q = 11; q <= 15; ++q) {
                EXPECT_TRUE(work->qmtQGroups->Locate("QQuestionNo", Variant(q), 0));
                groups->btnAddQuestion->Click();
            }
            groups->btnOK->Click();
            return true;
        },
        [&]() -> bool {
            if (ActiveAs<TfrmTestWork>() != wizard) return false;
            EXPECT_EQ(work->qmtMaster->FieldByName("S3")->AsString(), "0.5");
            wizard->btnNext[1]->Click();
            EXPECT_EQ(wizard->PageControl1->ActivePageIndex(), 2);
            return true;
        },
        [&]() -> bool { return feed(2); },
        [&]() -> bool {
            EXPECT_TRUE(wizard->btnNext[2]->Enabled());
            EXPECT_EQ(work->qmtMaster->FieldByName("Q15")->AsString(), "E");
            wizard->btnNext[2]->Click();
            EXPECT_EQ(wizard->PageControl1->ActivePageIndex(), 3);
            return true;
        },
        [&]() -> bool {
            // The name of student 102 shows while the next sheet waits.
            if (frames == 4 && scoreLines.empty()) scoreLines.push_back(wizard->lblStudent->Caption());
            return feed(2 + 34);
        },
        [&]() -> bool {
            TDataSet* data = work->qmtData;
            EXPECT_EQ(data->RecordCount(), 31);
            // Student 200: both sheets in one record, 16 of 16.
            EXPECT_TRUE(work->LocateId(200));
            EXPECT_EQ(data->FieldByName("Q15")->AsString(), "E");
            EXPECT_EQ(data->FieldByName("RecNo")->AsInteger(), 31);
            work->ScoreCurrentRecord();
            EXPECT_EQ(wizard->lblScore->Caption(), "Score: 16/16, 100%");
            EXPECT_EQ(work->qmtError->RecordCount(), 0);
            // Student 113: wrong letter on question 3 (with its penalty),
            // questions 11-15 not scanned.
            EXPECT_TRUE(work->LocateId(113));
            work->ScoreCurrentRecord();
            EXPECT_EQ(wizard->lblScore->Caption(), "Score: 9.5/16, 59.4%");
            std::vector<std::string> errors;
            for (work->qmtError->First(); !work->qmtError->Eof(); work->qmtError->Next())
                errors.push_back(work->qmtErrorQNo->AsString() + work->qmtErrorVal->AsString() +
                                 work->qmtErrorRghtVal->AsString());
            EXPECT_EQ(errors, (std::vector<std::string>{"3DC", "11A", "12B", "13C", "14D", "15E"}));
            // The students' grid colours each answer against the key, as
            // it shows the cells.
            struct Cell {
                Int64 id;
                const char* field;
                TColor color;
            } cells[] = {{113, "Q3", kColorWrong}, {103, "Q3", kColorBlank}, {102, "Q2", kColorMultiple},
                         {113, "Q1", clWindow},    {113, "Q11", kColorBlank}};
            for (const Cell& c : cells) {
                EXPECT_TRUE(work->LocateId(c.id));
                EXPECT_EQ(ShownCellColor(wizard->dbgData, c.field, data->GetBookmark()), c.color)
                    << c.id << " " << c.field;
            }
            EXPECT_EQ(ShownCellText(wizard->dbgData, "IDNo", data->GetBookmark()), "113");
            EXPECT_TRUE(work->LocateId(113));

            // The key's first answer corrected to B in the answer-key
            // editor: every student is scored against it from now on.
            ++step;
            wizard->BitBtn5->Click();
            return false;
        },
        [&]() -> bool {
            auto* editor = ActiveAs<TfrmEditMasterData>();
            if (!editor) return false;
            // What the editor's cell writes when B is typed over A.
            EXPECT_EQ(editor->dbgMaster->CellText(1), "A");
            work->qmtMaster->Edit();
            work->qmtMaster->FieldByName("Q1")->SetAsString("B");
            editor->btnOK->Click();
            return true;
        },
        [&]() -> bool {
            if (ActiveAs<TfrmEditMasterData>() || !ActiveAs<TfrmTestWork>()) return false;
            EXPECT_EQ(work->qmtMaster->State(), dsBrowse);
            EXPECT_EQ(work->qmtMaster->FieldByName("Q1")->AsString(), "B");
            // (The search itself does not score: the score line follows
            // the student the teacher moves to.)
            EXPECT_TRUE(work->LocateId(200));
            work->ScoreCurrentRecord();
            EXPECT_EQ(wizard->lblScore->Caption(), "Score: 15/16, 93.8%");
            EXPECT_TRUE(work->LocateId(101));
            work->ScoreCurrentRecord();
            EXPECT_EQ(wizard->lblScore->Caption(), "Score: 11/16, 68.8%");

            wizard->btnNext[3]->Click();
            EXPECT_EQ(wizard->PageControl1->ActivePageIndex(), 4);
            wizard->cbExport->SetItemIndex(efGeneric);
            wizard->btnExport->Click();
            wizard->cbExport->SetItemIndex(efDetailed);
            wizard->btnExport->Click();
            ++step;
            wizard->BitBtn3->Click();  // Save Profile As...
            return false;
        },
        [&]() -> bool {
            auto* profiles = ActiveAs<TfrmProfiles>();
            if (!profiles) return false;
            profiles->edtPFName->SetText("Class 7B");
            profiles->btnSave->Click();
            return true;
        },
        [&]() -> bool {
            if (ActiveAs<TfrmTestWork>() != wizard) return false;
            wizard->btnNext[4]->Click();
            wizard->btnDone->Click();
            return true;
        },
        [&]() -> bool {
            if (!wizardClosed || !main->Active()) return false;
            main->btnExit->Click();
            return true;
        },
    };
    IdleDriver driver([&] {
        while (step < steps.size() && steps[step]()) ++step;
    });
    Application->Run();
    ASSERT_EQ(step, steps.size()) << "the road stopped at step " << step;

    EXPECT_EQ(scoreLines, std::vector<std::string>{"Alan Turing"});
    EXPECT_EQ(ReadFile(generic), ReadFile(std::string(OMR_TEST_DATA) + "/wizard/Generic.txt"));
    EXPECT_EQ(ReadFile(detailed), ReadFile(std::string(OMR_TEST_DATA) + "/wizard/Detailed.txt"));

    // The profile in the database, read by the sqlite3 shell.
    const std::string db = home.Dir() + "DataDB.ldd";
    std::string out;
    ASSERT_TRUE(RunCommand("sqlite3 '" + db + "' \"select PFNo, PFName, PFFormNo, PFRelQuest from Profiles\"", out));
    EXPECT_EQ(out, "1|Class 7B|1003|15\n");
    ASSERT_TRUE(RunCommand("sqlite3 '" + db +
                               "' \"select group_concat(PMValue, '') from (select PMValue from Master where "
                               "PMProfile = 1 order by PMQuestion)\"",
                           out));
    EXPECT_EQ(out, "BBCDEABCDEABCDE\n");
    ASSERT_TRUE(RunCommand("sqlite3 '" + db +
                               "' \"select PVQuestion, PVValue, PVPenalty from Points where PVProfile = 1 and "
                               "PVQuestion in (2, 3)\"",
                           out));
    EXPECT_EQ(out, "2|2.0|0.0\n3|1.0|0.5\n");
    ASSERT_TRUE(RunCommand("sqlite3 '" + db + "' \"select count(*) from GroupQ where PGQGroups = '(1,2)'\"", out));
    EXPECT_EQ(out, "5\n");
}

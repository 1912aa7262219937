// The profile database across runs and kills: what one run saves, a new run
// loads; a run killed while it saves leaves the old data or the new, never
// a mix; a half-made database file gets its missing tables. Each "run" is a
// child process with its own connection; the file is read afterwards by the
// sqlite3 shell and by a fresh connection.

#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/ProfileStore.h"
#include "app/TestSetsData.h"
#include "app/tests/SavedFilesTestSupport.h"
#include "app/tests/SqliteShell.h"
#include "app/tests/WorkTestSupport.h"

namespace {

// A run of the program in a child process. The child reports on a pipe;
// the parent waits a bounded time for each report.
class TChildRun {
public:
    explicit TChildRun(const std::function<void(TChildRun&)>& body) {
        int fds[2];
        if (::pipe(fds) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(fds[0]);
            out_ = fds[1];
            int code = 0;
            try {
                body(*this);
            } catch (...) {
                code = 2;
            }
            Report('D');
            ::_exit(code);
        }
        ::close(fds[1]);
        in_ = fds[0];
    }
    ~TChildRun() {
        if (pid_ > 0) Kill();
        if (in_ >= 0) ::close(in_);
    }
    bool Started() const { return pid_ > 0; }
    // In the child: tells the parent one letter.
    void Report(char c) {
        if (out_ >= 0) (void)!::write(out_, &c, 1);
    }
    // In the child: reports and waits to be killed.
    [[noreturn]] void ReportAndWait(char c) {
        Report(c);
        for (;;) ::pause();
    }
    // In the parent: the next letter, or 0 after 30 s or at the child's end.
    char Next() {
        pollfd p{in_, POLLIN, 0};
        char c = 0;
        if (::poll(&p, 1, 30000) == 1 && ::read(in_, &c, 1) == 1) return c;
        return 0;
    }
    void Kill() {
        ::kill(pid_, SIGKILL);
        Wait();
    }
    int Wait() {
        int status = 0;
        if (pid_ > 0) ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    int in_ = -1, out_ = -1;
};

class StoreDurabilityTest : public WorkFixture, public TSavedDatabase {
protected:
    static constexpr int kQuestions = 20;

    void SetUp() override {
        Configure(kQuestions, kQuestions, 4);
        file = home.Dir() + "DataDB.ldd";
    }
    void TearDown() override {
        form.reset();
        WorkFixture::TearDown();
    }
    // Students first..last, each answering with a pattern of its own.
    void AddStudents(int first, int last, char shift) {
        for (int s = first; s <= last; ++s) {
            std::string answers;
            for (int q = 0; q < kQuestions; ++q) answers += static_cast<char>('A' + (s + q + shift) % 4);
            AddStudent(100000 + s, answers);
        }
    }
    std::unique_ptr<TTestSetsData> Dialog() {
        auto dialog = std::make_unique<TTestSetsData>(nullptr);
        dialog->DatabaseName = "LdbConnection1";
        dialog->QtyQuestions = kQuestions;
        dialog->DataTable = work->qmtData;
        dialog->TestName = "Unit 3";
        dialog->TestID = "T7";
        dialog->FormShow();
        return dialog;
    }
    // The saved detail rows as the sqlite3 shell reads them.
    std::string Details() {
        return SqliteShell(file, "select count(*), total(DDStdID * DDQuestion), total(unicode(DDValue) * DDID) "
                                 "from DataDetail");
    }

    std::string file;
};

// Replacing a saved set is killed before its first row, half-way and after
// its last row before the commit; the set stays the old one each time. A
// run that is not killed leaves the new set.
TEST_F(StoreDurabilityTest, AKilledTestSetSaveLeavesTheOldSetOrTheNew) {
    REQUIRE_SQLITE_SHELL();
    AddStudents(1, 150, 0);
    OpenDatabase(home.Dir());
    {
        auto dialog = Dialog();
        dialog->edtPFName.SetText("Monday");
        dialog->btnSaveClick();
    }
    form.reset();  // no connection crosses the fork
    const std::string oldRows = Details();
    ASSERT_EQ(oldRows.substr(0, 5), "3000|");

    // The new data: other answers and 50 students more.
    work->qmtData->Close();
    work->qmtData->Open();
    AddStudents(1, 200, 1);
    const int steps = 200 * (kQuestions + 1);
    std::string newRows;
    for (int killAt : {1, steps / 2, steps, 0}) {
        SCOPED_TRACE("kill at step " + std::to_string(killAt));
        TChildRun run([&](TChildRun& self) {
            OpenDatabase(home.Dir());
            auto dialog = Dialog();
            int step = 0;
            dialog->OnProgress = [&] {
                if (++step == killAt) self.ReportAndWait('K');
            };
            prompts.Yes("Do you want to replace this Test Set?");
            dialog->edtPFName.SetText("Monday");
            dialog->btnSaveClick();
        });
        ASSERT_TRUE(run.Started());
        const char report = run.Next();
        if (killAt) {
            ASSERT_EQ(report, 'K');
            run.Kill();
            EXPECT_EQ(Details(), oldRows);
        } else {
            ASSERT_EQ(report, 'D');
            EXPECT_EQ(run.Wait(), 0);
            newRows = Details();
            EXPECT_EQ(newRows.substr(0, 5), "4000|");
        }
        EXPECT_EQ(SqliteShell(file, "select DSID, DSName, DSNumQuest from DataSets"), "1|Monday|20");
        EXPECT_EQ(SqliteShell(file, "pragma integrity_check"), "ok");
    }

    // A new run loads what the last one saved.
    OpenDatabase(home.Dir());
    work->qmtData->Close();
    work->qmtData->Open();
    auto dialog = Dialog();
    prompts.Yes("Are you sure that you want to replace all the current data");
    dialog->btnReplaceClick();
    EXPECT_EQ(work->qmtData->RecordCount(), 200);
    ASSERT_TRUE(work->qmtData->Locate("IDNo", Variant(Int64(100000 + 7)), 0));
    EXPECT_EQ(Answers(4), "ABCD");
}

// A profile saved over and over in turn as two versions is killed at
// several moments; every time the file holds one whole version.
TEST_F(StoreDurabilityTest, AKilledProfileSaveLeavesOneWholeVersion) {
    REQUIRE_SQLITE_SHELL();
    OpenDatabase(home.Dir());
    form.reset();
    for (int delayMs : {0, 3, 12, 40}) {
        SCOPED_TRACE("killed " + std::to_string(delayMs) + " ms after the first save");
        TChildRun run([&](TChildRun& self) {
            OpenDatabase(home.Dir());
            auto profiles = Query("select *\r\nfrom Profiles\r\norder by PFName");
            profiles->RequestLive = true;
            profiles->Open();
            TProfileStore store(conn);
            for (int round = 0;; ++round) {
                const bool b = round % 2 != 0;
                TProfileData data;
                data.TestName = b ? "B" : "A";
                data.RelQuest = "60";
                std::vector<TProfileGroup> groups{{1, "Overall Group"}, {2, "Two"}};
                if (b) groups.push_back({3, "Three"});
                std::vector<TProfileQuestionGroups> questions;
                std::vector<std::string> key;
                std::vector<TProfilePoints> points;
                for (int q = 1; q <= 60; ++q) {
                    questions.push_back({q, b ? "(1,3)" : "(1,2)"});
                    key.push_back(b ? "B" : "A");
                    points.push_back({b ? "2" : "1", b ? "0.5" : "0"});
                }
                store.SaveProfile(*profiles, "Biology", data, groups, questions, key, points);
                if (round == 0) self.Report('S');
            }
        });
        ASSERT_TRUE(run.Started());
        ASSERT_EQ(run.Next(), 'S');
        ::usleep(static_cast<useconds_t>(delayMs) * 1000);
        run.Kill();

        const std::string version = SqliteShell(file, "select PFTestName from Profiles");
        ASSERT_TRUE(version == "A" || version == "B") << version;
        const bool b = version == "B";
        EXPECT_EQ(SqliteShell(file, "select PFNo, count(*) from Profiles"), "1|1");
        EXPECT_EQ(SqliteShell(file, "select count(*), min(PMValue), max(PMValue) from Master"),
                  b ? "60|B|B" : "60|A|A");
        EXPECT_EQ(SqliteShell(file, "select count(*), total(PVValue), total(PVPenalty) from Points"),
                  b ? "60|120.0|30.0" : "60|60.0|0.0");
        EXPECT_EQ(SqliteShell(file, "select count(*) from Groups"), b ? "3" : "2");
        EXPECT_EQ(SqliteShell(file, "select count(*), min(PGQGroups) from GroupQ"), b ? "60|(1,3)" : "60|(1,2)");
    }
}

// A save that fails part-way changes nothing: the rows written before the
// failure are taken back.
TEST_F(StoreDurabilityTest, AFailingProfileSaveChangesNothing) {
    REQUIRE_SQLITE_SHELL();
    OpenDatabase(home.Dir());
    auto profiles = Query("select *\r\nfrom Profiles\r\norder by PFName");
    profiles->RequestLive = true;
    profiles->Open();
    TProfileStore store(conn);
    TProfileData data;
    data.TestName = "Old";
    const int pf = store.SaveProfile(*profiles, "Biology", data, {{1, "Overall Group"}}, {{1, "(1)"}}, {"A"}, {{"1", ""}});
    // The question groups cannot be written any more.
    SqliteShell(file, "create trigger NoGroupQ before insert on GroupQ begin select raise(abort, 'refused'); end");
    data.TestName = "New";
    EXPECT_THROW(store.SaveProfile(*profiles, "Biology", data, {{1, "Overall Group"}, {2, "New"}}, {{1, "(1,2)"}},
                                   {"B"}, {{"2", ""}}),
                 Exception);
    EXPECT_EQ(Rows("select PFNo, PFTestName from Profiles"), std::vector<std::string>{"1|Old"});
    EXPECT_EQ(Rows("select PGGroupNo from Groups"), std::vector<std::string>{"1"});
    EXPECT_EQ(Rows("select PMValue from Master"), std::vector<std::string>{"A"});
    EXPECT_EQ(Rows("select PGQGroups from GroupQ"), std::vector<std::string>{"(1)"});
    // The list shows the row as it stands.
    ASSERT_FALSE(profiles->IsEmpty());
    EXPECT_EQ(profiles->FieldByName("PFTestName")->AsString(), "Old");
    // A new profile's number is not used up by the failure.
    EXPECT_THROW(store.SaveProfile(*profiles, "Chemistry", data, {}, {{1, "(1)"}}, {}, {}), Exception);
    EXPECT_EQ(store.NextProfileNo(), pf + 1);
}

// A database file left half made (killed while an older program created
// it) gets its missing tables when it is opened; an empty file becomes a
// whole database.
TEST_F(StoreDurabilityTest, AHalfMadeDatabaseGetsItsMissingTables) {
    REQUIRE_SQLITE_SHELL();
    const std::string tables = "DataDetail DataSets GroupQ Groups Master Points Profiles";
    const char* const halfMade[] = {
        "",  // an empty file
        "create table Profiles (PFNo integer, PFName char(30));"
        "create table Points (PVProfile integer, PVQuestion integer, PVValue integer);"
        "insert into Profiles values (4, 'Kept');",
    };
    for (const char* sql : halfMade) {
        SCOPED_TRACE(sql);
        std::ofstream(file, std::ios::trunc).flush();
        if (*sql) SqliteShell(file, sql);
        OpenDatabase(home.Dir());
        form.reset();
        EXPECT_EQ(SqliteShell(file, "select group_concat(name, ' ') from (select name from sqlite_master "
                                    "where type = 'table' order by name)"),
                  tables);
        if (*sql) {
            EXPECT_EQ(SqliteShell(file, "select PFNo, PFName from Profiles"), "4|Kept");
            EXPECT_EQ(SqliteShell(file, "select count(*) from pragma_table_info('Points') where name = 'PVPenalty'"),
                      "1");
        }
        std::remove(file.c_str());
    }
}

// A profile and a test set saved by one run load again in the next.
TEST_F(StoreDurabilityTest, WhatOneRunSavesTheNextLoads) {
    AddStudents(1, 3, 0);
    {
        TChildRun run([&](TChildRun&) {
            OpenDatabase(home.Dir());
            auto profiles = Query("select *\r\nfrom Profiles\r\norder by PFName");
            profiles->RequestLive = true;
            profiles->Open();
            TProfileData data;
            data.TestName = "Unit 3";
            data.RelQuest = "3";
            data.PrintScan = true;
            data.OddLbls = "ABCDEF";
            data.EvenLbls = "TFTFTF";
            TProfileStore(conn).SaveProfile(*profiles, "Biology", data, {{1, "Overall Group"}, {2, "Cells"}},
                                            {{1, "(1)"}, {2, "(1,2)"}, {3, "(1)"}}, {"A", "T", "C"},
                                            {{"1", "0.25"}, {"2", ""}, {"1.5", ""}});
            auto dialog = Dialog();
            dialog->ProfilesQuery = profiles.get();
            dialog->edtPFName.SetText("Monday");
            dialog->btnSaveClick();
        });
        ASSERT_TRUE(run.Started());
        ASSERT_EQ(run.Next(), 'D');
        ASSERT_EQ(run.Wait(), 0);
    }

    OpenDatabase(home.Dir());
    auto profiles = Query("select *\r\nfrom Profiles\r\norder by PFName");
    profiles->Open();
    ASSERT_FALSE(profiles->IsEmpty());
    const TProfileData read = TProfileStore::ReadProfile(*profiles);
    EXPECT_EQ(read.TestName, "Unit 3");
    EXPECT_TRUE(read.PrintScan);
    EXPECT_EQ(read.EvenLbls, "TFTFTF");
    TProfileStore store(conn);
    const int pf = profiles->FieldByName("PFNo")->AsInteger();
    EXPECT_EQ(store.LoadAnswerKey(pf, 3), (std::vector<std::string>{"A", "T", "C"}));
    EXPECT_EQ(store.LoadPoints(pf, 3)[0].Penalty, "0.25");
    EXPECT_EQ(store.LoadPoints(pf, 3)[2].Value, "1.5");
    EXPECT_EQ(store.LoadGroups(pf).size(), 2u);
    EXPECT_EQ(store.LoadGroupQuestions(pf)[1].Groups, "(1,2)");

    work->qmtData->Close();
    work->qmtData->Open();
    auto dialog = Dialog();
    EXPECT_EQ(Scalar("select PFNo from DataSets"), std::to_string(pf));
    prompts.Yes("Are you sure that you want to replace all the current data");
    dialog->btnReplaceClick();
    ASSERT_EQ(work->qmtData->RecordCount(), 3);
    work->qmtData->First();
    EXPECT_EQ(CurrentId(), 100001);
    EXPECT_EQ(Answers(3), "BCD");
}

}  // namespace

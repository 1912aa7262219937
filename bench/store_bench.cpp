// Saving and loading test sets and profiles in the profile database. A test
// set of 150 students with 100 questions each (15,000 detail rows) is
// saved under a new name, saved again replacing itself, and loaded back
// into the students' table; a profile of 200 questions is saved with its
// groups, answer key, point values and penalties. Every save runs in one
// transaction, so its cost is the rows' own and not one disk commit per
// row. Prints the time of each step and the time per detail row.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/ProfileStore.h"
#include "app/TestSetsData.h"
#include "app/TestWorkData.h"
#include "dbclient/LdbQuery.h"
#include "platform/data/Field.h"

namespace {

constexpr int kStudents = 150;
constexpr int kQuestions = 100;
constexpr int kProfileQuestions = 200;

double Ms(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "store-bench-XXXXXX").string();
    if (!::mkdtemp(tmpl.data())) return 1;
    const std::string folder = tmpl;

    int status = 0;
    {
        TComponent owner(nullptr);
        auto* conn = new TLdbConnection(&owner);
        conn->SetName("LdbConnection1");
        conn->LdbServerTypes = {stADS_LOCAL};
        conn->LoginPrompt = false;
        OpenProfileDatabase(conn, folder);

        TTestWorkData work(nullptr);
        work.N = kQuestions;
        work.Q = kQuestions;
        work.D = 6;
        work.RebuildTables();
        for (int s = 1; s <= kStudents; ++s) {
            work.qmtData->Append();
            work.qmtData->FieldByName("RecNo")->SetAsInteger(s);
            work.qmtData->FieldByName("IDNo")->SetAsLargeInt(100000 + s);
            for (int q = 1; q <= kQuestions; ++q)
                work.qmtData->FieldByName("Q" + std::to_string(q))->SetAsString(std::string(1, "ABCD"[(s + q) % 4]));
            work.qmtData->Post();
        }

        TTestSetsData sets(&owner);
        sets.DatabaseName = "LdbConnection1";
        sets.QtyQuestions = kQuestions;
        sets.DataTable = work.qmtData;
        sets.FormShow();
        const double rows = double(kStudents) * kQuestions;

        auto t = std::chrono::steady_clock::now();
        sets.edtPFName.SetText("Bench");
        sets.btnSaveClick();
        const double saveNew = Ms(t);

        // Replacing: the set's details deleted and written again, in one
        // transaction, as "Do you want to replace" answered Yes does.
        t = std::chrono::steady_clock::now();
        {
            TStoreTransaction transaction(conn);
            sets.DeleteDetails();
            sets.qrySets->Edit();
            sets.SaveTestSetData();
            transaction.Commit();
        }
        const double saveReplace = Ms(t);

        t = std::chrono::steady_clock::now();
        work.qmtData->Close();
        work.qmtData->Open();
        sets.LoadTestSetData();
        const double load = Ms(t);
        if (work.qmtData->RecordCount() != kStudents) status = 2;

        auto profiles = std::make_unique<TLdbQuery>(&owner);
        profiles->SetDatabaseName("LdbConnection1");
        profiles->SQL().SetText("select *\r\nfrom Profiles\r\norder by PFName");
        profiles->RequestLive = true;
        profiles->Open();
        std::vector<TProfileQuestionGroups> questions;
        std::vector<std::string> key;
        std::vector<TProfilePoints> points;
        for (int q = 1; q <= kProfileQuestions; ++q) {
            questions.push_back({q, q % 2 ? "(1)" : "(1,2)"});
            key.push_back("A");
            points.push_back({"1", "0.25"});
        }
        TProfileData data;
        data.TestName = "Bench";
        data.RelQuest = std::to_string(kProfileQuestions);
        t = std::chrono::steady_clock::now();
        TProfileStore(conn).SaveProfile(*profiles, "Bench", data, {{1, "Overall Group"}, {2, "Even"}}, questions, key,
                                        points);
        const double profile = Ms(t);

        std::printf("test set of %d students x %d questions (%.0f detail rows)\n", kStudents, kQuestions, rows);
        std::printf("  save under a new name : %8.1f ms  (%.1f us per row)\n", saveNew, saveNew * 1000 / rows);
        std::printf("  save replacing itself : %8.1f ms  (%.1f us per row)\n", saveReplace, saveReplace * 1000 / rows);
        std::printf("  load into the table   : %8.1f ms  (%.1f us per row)\n", load, load * 1000 / rows);
        std::printf("profile of %d questions with groups, key, points and penalties\n", kProfileQuestions);
        std::printf("  save                  : %8.1f ms\n", profile);
    }
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    return status;
}

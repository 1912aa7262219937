// The group, profile and test-set files as the dialogs read them into the
// wizard's tables and the profile database. A group file that is refused
// changes nothing; what a load writes is saved again, and that file loads
// and saves unchanged. Every table still answers a query afterwards, so no
// tag has reached the statements as text.
#include "fuzz/FuzzTargets.h"

#include <cstdlib>
#include <memory>

#include "app/GroupSetupData.h"
#include "app/ProfileStore.h"
#include "app/ProfilesData.h"
#include "app/TestSetsData.h"
#include "app/TestWorkData.h"
#include "dbclient/LdbQuery.h"
#include "platform/core/Exception.h"

namespace {
constexpr const char* kTarget = "savedfiles";

const char* const kTables[] = {"Profiles", "Groups", "GroupQ", "Master", "Points", "DataSets", "DataDetail"};

// The profile database in the scratch folder, opened once per process and
// emptied before each input.
struct TFuzzDatabase {
    std::unique_ptr<TComponent> form;
    TLdbConnection* conn = nullptr;

    TFuzzDatabase() {
        setenv("OMR_HOME", FuzzScratchDir().c_str(), 1);
        form = std::make_unique<TComponent>(nullptr);
        form->SetName("frmTestWork");
        conn = new TLdbConnection(form.get());
        conn->SetName("LdbConnection1");
        conn->LdbServerTypes = {stADS_LOCAL};
        conn->LoginPrompt = false;
        OpenProfileDatabase(conn, FuzzScratchDir() + "/");
    }
    std::unique_ptr<TLdbQuery> Query(const std::string& sql) {
        auto q = std::make_unique<TLdbQuery>(form.get());
        q->SetDatabaseName("LdbConnection1");
        q->SQL().SetText(sql);
        return q;
    }
    void Empty() {
        for (const char* t : kTables) Query(std::string("delete from ") + t)->ExecSQL();
    }
    int Count(const char* table) {
        auto q = Query(std::string("select count(*) from ") + table);
        q->Open();
        return q->Fields()[0]->AsInteger();
    }
};

TFuzzDatabase& Database() {
    static TFuzzDatabase db;
    return db;
}

// The text of a table's rows, for telling whether a load changed it.
std::string Snapshot(TDataSet* t) {
    std::string s;
    for (t->First(); !t->Eof(); t->Next()) {
        for (int k = 0; k < t->FieldCount(); ++k) s += t->Fields()[k]->AsString() + "|";
        s += "\n";
    }
    return s;
}

std::unique_ptr<TTestWorkData> Work() {
    auto work = std::make_unique<TTestWorkData>(nullptr);
    work->N = 3;
    work->Q = 3;
    work->D = 4;
    work->RebuildTables();
    work->qmtGroups->Open();
    work->qmtGroups->Append();
    work->qmtGroupsGGroupNo->SetAsInteger(1);
    work->qmtGroupsGGroupDesc->SetAsString("Overall Group");
    work->qmtGroups->Post();
    work->qmtQGroups->Open();
    for (int i = 1; i <= work->N; ++i) {
        work->qmtQGroups->Append();
        work->qmtQGroupsQQuestionNo->SetAsInteger(i);
        work->qmtQGroupsQGroups->SetAsString("(1)");
        work->qmtQGroups->Post();
    }
    return work;
}

void Groups(const std::string& path) {
    auto work = Work();
    TGroupSetupData dialog;
    dialog.GroupsTable = work->qmtGroups;
    dialog.QuestionGroupsTable = work->qmtQGroups;
    const std::string groups = Snapshot(work->qmtGroups), lists = Snapshot(work->qmtQGroups);
    try {
        dialog.ReadFromFile(path);
    } catch (const Exception&) {
        FUZZ_CHECK(kTarget, Snapshot(work->qmtGroups) == groups && Snapshot(work->qmtQGroups) == lists);
        return;
    }
    const std::string copy = FuzzScratchDir() + "/copy.TGS", again = FuzzScratchDir() + "/again.TGS";
    dialog.SaveToFile(copy);
    dialog.ReadFromFile(copy);
    dialog.SaveToFile(again);
    FUZZ_CHECK(kTarget, FuzzReadFile(copy) == FuzzReadFile(again));
}

void Profile(const std::string& path) {
    TFuzzDatabase& db = Database();
    auto profiles = db.Query("select *\r\nfrom Profiles\r\norder by PFName");
    profiles->RequestLive = true;
    profiles->Open();
    TProfilesData dialog;
    dialog.ProfilesQuery = profiles.get();
    try {
        dialog.LoadProfileFromFile(path);
    } catch (const Exception&) {
        return;
    }
    if (db.Count("Profiles") != 1) return;
    const std::string copy = FuzzScratchDir() + "/copy.pff", again = FuzzScratchDir() + "/again.pff";
    dialog.SaveProfileToFile(copy);
    db.Empty();
    dialog.LoadProfileFromFile(copy);
    FUZZ_CHECK(kTarget, db.Count("Profiles") == 1);
    dialog.SaveProfileToFile(again);
    FUZZ_CHECK(kTarget, FuzzReadFile(copy) == FuzzReadFile(again));
}

void TestSet(const std::string& path) {
    TFuzzDatabase& db = Database();
    auto work = Work();
    TTestSetsData dialog;
    dialog.DatabaseName = "LdbConnection1";
    dialog.QtyQuestions = work->N;
    dialog.DataTable = work->qmtData;
    dialog.FormShow();
    try {
        dialog.LoadTestSetFromFile(path);
    } catch (const Exception&) {
        return;
    }
    // Only a set of the test kind is the dialog's to save: a damaged file
    // loaded on after its errors may leave its set without the kind.
    if (db.Count("DataSets") != 1 || db.Count("DataSets where DSType = 'TEST'") != 1) return;
    const std::string copy = FuzzScratchDir() + "/copy.tsf", again = FuzzScratchDir() + "/again.tsf";
    dialog.SaveTestSetToFile(copy);
    db.Empty();
    dialog.LoadTestSetFromFile(copy);
    FUZZ_CHECK(kTarget, db.Count("DataSets") == 1);
    dialog.SaveTestSetToFile(again);
    FUZZ_CHECK(kTarget, FuzzReadFile(copy) == FuzzReadFile(again));
}
}  // namespace

// The first byte picks the file kind and the answer to "continue
// loading?"; the rest is the file.
void FuzzSavedFiles(const std::string& input) {
    if (input.empty()) return;
    const unsigned first = static_cast<unsigned char>(input[0]);
    FuzzEnsureGui();
    TFuzzPrompts prompts((first & 4) != 0);
    const std::string path = FuzzScratchFile("input.saved", input.substr(1));
    switch (first % 3) {
    case 0: Groups(path); break;
    case 1:
        Database().Empty();
        Profile(path);
        break;
    default:
        Database().Empty();
        TestSet(path);
        break;
    }
    if (first % 3 != 0)
        for (const char* t : kTables) Database().Count(t);  // raises when a table was harmed
}

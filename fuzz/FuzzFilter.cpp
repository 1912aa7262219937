// Filter expressions over a small table with a field of each kind the
// expressions compare. A refused expression raises the system's error;
// an accepted one shows a subset of the rows, the same subset twice.
#include "fuzz/FuzzTargets.h"

#include <limits>
#include <memory>

#include "memtable/MemTable.h"
#include "platform/core/DateTime.h"
#include "platform/core/Exception.h"

namespace {
constexpr const char* kTarget = "filter";

std::unique_ptr<TqmtMemTable> People() {
    auto t = std::make_unique<TqmtMemTable>();
    t->FieldDefs().Add("ID", ftInteger);
    t->FieldDefs().Add("Name", ftString, 20);
    t->FieldDefs().Add("Score", ftFloat);
    t->FieldDefs().Add("Big", ftLargeint);
    t->FieldDefs().Add("Born", ftDate);
    t->FieldDefs().Add("Done", ftBoolean);
    t->Open();
    struct Row {
        int id;
        const char* name;
        double score;
        Int64 big;
        bool nulls;
    };
    const Row rows[] = {
        {1, "Anna", 10.5, std::numeric_limits<Int64>::min(), false},
        {2, "O'Brien", -3, std::numeric_limits<Int64>::max(), false},
        {3, "", 0, 0, true},
    };
    for (const Row& r : rows) {
        t->Append();
        t->FieldByName("ID")->SetAsInteger(r.id);
        if (!r.nulls) {
            t->FieldByName("Name")->SetAsString(r.name);
            t->FieldByName("Score")->SetAsFloat(r.score);
            t->FieldByName("Big")->SetAsLargeInt(r.big);
            t->FieldByName("Born")->SetAsDateTime(EncodeDate(2001, 5, r.id));
            t->FieldByName("Done")->SetAsBoolean(r.id == 1);
        }
        t->Post();
    }
    return t;
}

std::string Ids(TqmtMemTable& t) {
    std::string out;
    t.First();
    for (int guard = 0; !t.Eof() && guard < 10; ++guard) {
        out += t.FieldByName("ID")->AsString() + " ";
        t.Next();
    }
    return out;
}
}  // namespace

void FuzzFilter(const std::string& input) {
    if (input.empty()) return;
    auto t = People();
    t->SetFilterOptions(static_cast<unsigned char>(input[0]) & 3);
    std::string shown;
    try {
        t->SetFilter(input.substr(1));
        t->SetFiltered(true);
        shown = Ids(*t);
    } catch (const Exception&) {
        return;
    }
    FUZZ_CHECK(kTarget, t->RecordCount() <= 3);
    FUZZ_CHECK(kTarget, Ids(*t) == shown);
}

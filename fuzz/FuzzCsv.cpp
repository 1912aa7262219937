// CSV text loaded into the memory table in the three ways the program
// uses: with field definitions, the comma format of the student and
// answer-key tables, and the tab-separated names file. What loads is saved,
// loaded into a fresh table and saved again: both saves agree. The comma
// format writes no header line, so its saved text is read back without one.
#include "fuzz/FuzzTargets.h"

#include <memory>

#include "memtable/CSVStreamFormat.h"
#include "memtable/MemTable.h"
#include "platform/core/Exception.h"
#include "platform/core/Streams.h"

namespace {
constexpr const char* kTarget = "csv";

std::unique_ptr<TqmtMemTable> Table() {
    auto t = std::make_unique<TqmtMemTable>();
    t->FieldDefs().Add("ID", ftInteger);
    t->FieldDefs().Add("Name", ftString, 40);
    t->FieldDefs().Add("Score", ftFloat);
    t->FieldDefs().Add("Born", ftDate);
    t->Open();
    return t;
}

void Configure(TqmtCSVStreamFormat& f, int kind) {
    switch (kind) {
    case 0:  // the default: header and field definitions
        break;
    case 1:  // comma format
        f.CSVQuote = '"';
        f.SetCSVFieldDelimiter(',');
        f.CSVRecordDelimiter = '\0';
        f.sfNoHeader = sfSave;
        f.sfDef = 0;
        break;
    default:  // names file
        f.CSVQuote = '\0';
        f.SetCSVFieldDelimiter('\t');
        f.CSVRecordDelimiter = '\0';
        f.sfNoHeader = sfLoad;
        f.sfDef = 0;
        break;
    }
}

std::string Save(TqmtMemTable& t, TqmtCSVStreamFormat& f) {
    TStringStream s;
    t.SaveWithFormat(s, &f);
    return s.DataString();
}
}  // namespace

void FuzzCsv(const std::string& input) {
    if (input.empty()) return;
    const int kind = static_cast<unsigned char>(input[0]) % 3;
    const std::string text = input.substr(1);
    TqmtCSVStreamFormat f;
    Configure(f, kind);
    auto t = Table();
    try {
        TStringStream s(text);
        t->LoadWithFormat(s, &f);
    } catch (const Exception&) {
        return;
    }
    if (kind == 2) return;  // the names format loads without a header but saves one
    const std::string first = Save(*t, f);
    // The comma format saves no header, so its text reads back without one.
    if (kind == 1) f.sfNoHeader = sfSave | sfLoad;
    auto u = Table();
    TStringStream s(first);
    u->LoadWithFormat(s, &f);
    FUZZ_CHECK(kTarget, u->RecordCount() == t->RecordCount());
    FUZZ_CHECK(kTarget, Save(*u, f) == first);
}

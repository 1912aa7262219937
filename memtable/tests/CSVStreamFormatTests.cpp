#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "memtable/CSVStreamFormat.h"
#include "memtable/MemTable.h"
#include "platform/core/FormatSettings.h"
#include "platform/core/Streams.h"

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string Save(TqmtMemTable& t, TqmtCustomStreamFormat& f) {
    TStringStream s;
    t.SaveWithFormat(s, &f);
    return s.DataString();
}

void Load(TqmtMemTable& t, TqmtCustomStreamFormat& f, const std::string& text) {
    TStringStream s(text);
    t.LoadWithFormat(s, &f);
}

std::unique_ptr<TqmtMemTable> IdName() {
    auto t = std::make_unique<TqmtMemTable>();
    t->FieldDefs().Add("ID", ftInteger);
    t->FieldDefs().Add("Name", ftString, 40);
    t->Open();
    return t;
}

void Add(TqmtMemTable& t, int id, const char* name) {
    t.Append();
    t.FieldByName("ID")->SetAsInteger(id);
    if (name) t.FieldByName("Name")->SetAsString(name);
    t.Post();
}

// The application's comma format for the students' and answer-key tables.
void CommaFormat(TqmtCSVStreamFormat& f) {
    f.CSVQuote = '"';
    f.SetCSVFieldDelimiter(',');
    f.CSVRecordDelimiter = '\0';
    f.sfNoHeader = sfSave;
    f.sfDef = 0;
}

// The application's names-file format.
void NamesFormat(TqmtCSVStreamFormat& f) {
    f.CSVQuote = '\0';
    f.SetCSVFieldDelimiter('\t');
    f.CSVRecordDelimiter = '\0';
    f.sfNoHeader = sfLoad;
}

}  // namespace

TEST(CSVStreamFormat, DefaultSettingsWriteQuotedHeaderAndRows) {
    auto t = IdName();
    Add(*t, 1, "Ann");
    TqmtCSVStreamFormat f;
    f.sfDef = 0;
    EXPECT_EQ(Save(*t, f), "\"ID\",\"Name\",\r\n\"1\",\"Ann\",\r\n");
    EXPECT_EQ(f.Version(), "3.00");
}

TEST(CSVStreamFormat, RoundTripKeepsLineBreaksPercentQuotesAndNullVersusEmpty) {
    const std::vector<std::pair<int, const char*>> rows = {
        {1, "two\r\nlines"}, {2, "50% \"off\""}, {3, nullptr}, {4, ""}, {5, "\""}, {6, "%c%n%0 literally"},
        {7, "\r\nstarts with a break"}};
    for (bool withDefs : {false, true}) {
        auto t = IdName();
        for (auto& [id, name] : rows) Add(*t, id, name);
        TqmtCSVStreamFormat f;
        if (!withDefs) f.sfDef = 0;
        std::string text = Save(*t, f);
        EXPECT_NE(text.find("\"two%c%nlines\""), std::string::npos);
        EXPECT_NE(text.find("\"50%% \"\"off\"\"\""), std::string::npos);
        EXPECT_NE(text.find("\"5\",\"\"\"\""), std::string::npos);  // a lone quote is four quotes

        auto u = IdName();
        Load(*u, f, text);
        ASSERT_EQ(u->RecordCount(), static_cast<int>(rows.size())) << withDefs;
        u->First();
        for (auto& [id, name] : rows) {
            EXPECT_EQ(u->FieldByName("ID")->AsInteger(), id);
            if (name) {
                EXPECT_FALSE(u->FieldByName("Name")->IsNull()) << id;
                EXPECT_EQ(u->FieldByName("Name")->AsString(), name);
            } else {
                EXPECT_TRUE(u->FieldByName("Name")->IsNull()) << id;
            }
            u->Next();
        }
    }
}

TEST(CSVStreamFormat, ParsingRules) {
    TqmtCSVStreamFormat f;
    f.sfDef = 0;
    auto t = IdName();
    // Empty unquoted is null, empty quoted is empty text; blank lines between
    // rows are skipped; the last line needs no line break.
    Load(*t, f, "\"ID\",\"Name\"\r\n1,\r\n\r\n\r\n2,\"\"\n3,plain");
    ASSERT_EQ(t->RecordCount(), 3);
    t->First();
    EXPECT_TRUE(t->FieldByName("Name")->IsNull());
    t->Next();
    EXPECT_FALSE(t->FieldByName("Name")->IsNull());
    EXPECT_EQ(t->FieldByName("Name")->AsString(), "");
    t->Next();
    EXPECT_EQ(t->FieldByName("Name")->AsString(), "plain");

    // Columns are matched by header name, case-insensitively; unknown ones skipped.
    auto u = IdName();
    Load(*u, f, "\"NAME\",\"Other\",\"id\"\r\n\"x\",\"y\",\"7\"\r\n");
    EXPECT_EQ(u->FieldByName("ID")->AsInteger(), 7);
    EXPECT_EQ(u->FieldByName("Name")->AsString(), "x");

    // A text that begins with a line break: the table's names serve as columns.
    auto v = IdName();
    Load(*v, f, "\r\n\"8\",\"z\"\r\n");
    ASSERT_EQ(v->RecordCount(), 1);
    EXPECT_EQ(v->FieldByName("ID")->AsInteger(), 8);
    auto w = IdName();
    f.sfNoHeader = sfLoad;
    Load(*w, f, "\r\n\"8\",\"z\"\r\n");
    EXPECT_EQ(w->RecordCount(), 0);

    // A NUL byte ends a line like CR and LF, and a run of them is one break.
    auto x = IdName();
    f.sfNoHeader = 0;
    const char nulLines[] = "\0\0\"8\",\"z\"\0\0\0\"9\"\0";
    Load(*x, f, std::string(nulLines, sizeof nulLines - 1));
    ASSERT_EQ(x->RecordCount(), 2);
    x->Last();
    EXPECT_EQ(x->FieldByName("ID")->AsInteger(), 9);
    EXPECT_TRUE(x->FieldByName("Name")->IsNull());
}

TEST(CSVStreamFormat, NulInTextIsWrittenSoItReadsBackOrRefusedOnLoad) {
    // A memo holds a NUL: the comma format writes it escaped and reads it back.
    auto memo = [] {
        auto t = std::make_unique<TqmtMemTable>();
        t->FieldDefs().Add("ID", ftInteger);
        t->FieldDefs().Add("Note", ftMemo);
        t->Open();
        return t;
    };
    const std::string nul("a\0b", 3);
    auto t = memo();
    t->Append();
    t->FieldByName("ID")->SetAsInteger(1);
    t->FieldByName("Note")->SetAsString(nul);
    t->Post();
    TqmtCSVStreamFormat f;
    CommaFormat(f);
    const std::string text = Save(*t, f);
    EXPECT_EQ(text, "\"1\",\"a%0b\"\r\n");
    f.sfNoHeader = sfSave | sfLoad;
    auto u = memo();
    Load(*u, f, text);
    ASSERT_EQ(u->RecordCount(), 1);
    EXPECT_EQ(u->FieldByName("Note")->AsString(), nul);

    // A fixed-size text field would end at the NUL: the load says so rather
    // than keeping "a" and dropping the rest unseen.
    auto w = IdName();
    try {
        Load(*w, f, "\"1\",\"kept\"\r\n\"2\",\"a%0b\"\r\n");
        FAIL() << "loaded";
    } catch (const EMemTableError& e) {
        EXPECT_EQ(e.Message, "Field Name cannot hold the NUL character of its CSV text.");
    }
    EXPECT_EQ(w->State(), dsBrowse);
    ASSERT_EQ(w->RecordCount(), 1);
    w->First();
    EXPECT_EQ(w->FieldByName("Name")->AsString(), "kept");
}

TEST(CSVStreamFormat, NamesFileLoadsByPositionWithoutHeader) {
    auto t = std::make_unique<TqmtMemTable>();
    t->FieldDefs().Add("ID", ftString, 20);
    t->FieldDefs().Add("Name", ftString, 40);
    t->DefineIndex("idxByID", "ID", 0);
    t->SetIndexName("idxByID");
    TqmtCSVStreamFormat f;
    NamesFormat(f);
    t->SetDefaultFormat(&f);
    t->Open();
    t->LoadFromFile(std::string(OMR_TEST_DATA) + "/names.txt");
    ASSERT_EQ(t->RecordCount(), 3);
    t->First();
    EXPECT_EQ(t->FieldByName("ID")->AsString(), "00042");
    EXPECT_EQ(t->FieldByName("Name")->AsString(), "Zoe Quinn");
    EXPECT_TRUE(t->Locate("ID", Variant("00123"), 0));
    EXPECT_EQ(t->FieldByName("Name")->AsString(), "Ann Lee");
    EXPECT_TRUE(t->Locate("ID", Variant("99999"), 0));
    EXPECT_TRUE(t->FieldByName("Name")->IsNull());  // a line without a name
}

TEST(CSVStreamFormat, GoldenFilesOfTheApplicationLayouts) {
    const int n = 3;
    TqmtCSVStreamFormat comma;
    CommaFormat(comma);

    TqmtMemTable students;
    students.FieldDefs().Add("RecNo", ftInteger);
    students.FieldDefs().Add("IDNo", ftLargeint);
    for (int q = 1; q <= n; ++q) {
        students.FieldDefs().Add("Q" + std::to_string(q), ftString, 1);
        students.FieldDefs().Add("P" + std::to_string(q), ftString, 10);
    }
    students.Open();
    const char* answers[] = {"AB?", "-C", "DDD"};
    for (int r = 0; r < 3; ++r) {
        students.Append();
        students.FieldByName("RecNo")->SetAsInteger(r + 1);
        students.FieldByName("IDNo")->SetAsLargeInt(9000000000LL + r * 7);
        for (int q = 1; q <= n && answers[r][q - 1]; ++q)
            students.FieldByName("Q" + std::to_string(q))->SetAsString(std::string(1, answers[r][q - 1]));
        students.Post();
    }
    EXPECT_EQ(Save(students, comma), ReadFile(std::string(OMR_TEST_DATA) + "/students.csv"));

    TqmtMemTable key;
    key.FieldDefs().Add("RecNo", ftInteger);
    for (int q = 1; q <= n; ++q) {
        key.FieldDefs().Add("Q" + std::to_string(q), ftString, 1);
        key.FieldDefs().Add("P" + std::to_string(q), ftString, 10);
        key.FieldDefs().Add("S" + std::to_string(q), ftString, 6);
    }
    key.Open();
    key.Append();
    key.FieldByName("RecNo")->SetAsInteger(1);
    for (int q = 1; q <= n; ++q) {
        key.FieldByName("Q" + std::to_string(q))->SetAsString(q == 2 ? "-" : "B");
        key.FieldByName("P" + std::to_string(q))->SetAsString(q == 3 ? "2.5" : "1");
        if (q == 1) key.FieldByName("S" + std::to_string(q))->SetAsString("0.25");
    }
    key.Post();
    EXPECT_EQ(Save(key, comma), ReadFile(std::string(OMR_TEST_DATA) + "/answerkey.csv"));

    TqmtCSVStreamFormat names;
    NamesFormat(names);
    TqmtMemTable namesTable;
    namesTable.FieldDefs().Add("ID", ftString, 20);
    namesTable.FieldDefs().Add("Name", ftString, 40);
    namesTable.Open();
    namesTable.Append();
    namesTable.FieldByName("ID")->SetAsString("00123");
    namesTable.FieldByName("Name")->SetAsString("Ann Lee");
    namesTable.Post();
    EXPECT_EQ(Save(namesTable, names), ReadFile(std::string(OMR_TEST_DATA) + "/names-saved.txt"));

    // The comma files load back into the same layouts.
    TqmtMemTable again;
    for (int i = 0; i < students.FieldDefs().Count(); ++i)
        again.FieldDefs().Add(students.FieldDefs()[i]->Name(), students.FieldDefs()[i]->DataType(),
                              students.FieldDefs()[i]->Size());
    again.Open();
    comma.sfNoHeader = sfSave | sfLoad;
    Load(again, comma, ReadFile(std::string(OMR_TEST_DATA) + "/students.csv"));
    ASSERT_EQ(again.RecordCount(), 3);
    again.Last();
    EXPECT_EQ(again.FieldByName("IDNo")->AsLargeInt(), 9000000014LL);
    EXPECT_EQ(again.FieldByName("Q3")->AsString(), "D");
    EXPECT_TRUE(again.FieldByName("P3")->IsNull());
}

TEST(CSVStreamFormat, DefinitionBlockRecreatesFieldsAndIndexes) {
    TqmtMemTable t;
    t.FieldDefs().Add("ID", ftInteger, 0, true);
    t.FieldDefs().Add("Name", ftString, 30);
    t.FieldDefs().Add("When", ftDateTime);
    t.FieldDefs().Add("Ok", ftBoolean);
    t.FieldDefs().Add("Raw", ftBytes, 5);
    t.FieldDefs().Add("Amount", ftFloat);
    t.DefineIndex("byName", "Name", ixCaseInsensitive | ixDescending);
    t.Open();
    t.FieldByName("Name")->SetDisplayLabel("Full, \"name\"");
    t.FieldByName("Name")->SetDisplayWidth(25);
    t.FieldByName("Amount")->SetReadOnly(true);
    t.FieldByName("Raw")->SetVisible(false);
    t.Append();
    t.FieldByName("ID")->SetAsInteger(1);
    t.FieldByName("Name")->SetAsString("x");
    t.FieldByName("When")->SetAsDateTime(45000.5);
    t.FieldByName("Ok")->SetAsBoolean(true);
    t.FieldByName("Raw")->SetAsString(std::string("\0\x01\xff\x7f\x80", 5));
    t.SetIgnoreReadOnly(true);
    t.FieldByName("Amount")->SetAsFloat(-1234.5);
    t.SetIgnoreReadOnly(false);
    t.Post();
    TqmtCSVStreamFormat f;
    // Numbers and dates use the fixed settings, whatever the process uses.
    TFormatSettings saved = DefaultFormatSettings();
    DefaultFormatSettings().DecimalSeparator = ',';
    DefaultFormatSettings().ShortDateFormat = "yyyy-mm-dd";
    std::string text = Save(t, f);
    EXPECT_EQ(DefaultFormatSettings().DecimalSeparator, ',');
    DefaultFormatSettings() = saved;
    EXPECT_NE(text.find("\"-1234.5\""), std::string::npos) << text;
    EXPECT_NE(text.find("\"15/03/2023 12:00:00 PM\""), std::string::npos) << text;
    EXPECT_NE(text.find("\"@@INDEXDEF START@@\""), std::string::npos);

    TqmtMemTable u;
    u.FieldDefs().Add("Other", ftInteger);
    u.Open();
    Load(u, f, text);
    ASSERT_TRUE(u.Active());
    ASSERT_EQ(u.FieldCount(), 6);
    EXPECT_EQ(u.FieldByName("Name")->DisplayLabel(), "Full, \"name\"");
    EXPECT_EQ(u.FieldByName("Name")->Size(), 30);
    EXPECT_EQ(u.FieldByName("Name")->DisplayWidth(), 25);
    EXPECT_TRUE(u.FieldByName("ID")->Required());
    EXPECT_TRUE(u.FieldByName("Amount")->ReadOnly());
    EXPECT_FALSE(u.FieldByName("Raw")->Visible());
    EXPECT_EQ(u.FieldByName("When")->DataType(), ftDateTime);
    EXPECT_DOUBLE_EQ(u.FieldByName("When")->AsDateTime(), 45000.5);
    EXPECT_TRUE(u.FieldByName("Ok")->AsBoolean());
    EXPECT_EQ(u.FieldByName("Raw")->AsString(), std::string("\0\x01\xff\x7f\x80", 5));
    EXPECT_DOUBLE_EQ(u.FieldByName("Amount")->AsFloat(), -1234.5);
    ASSERT_EQ(u.IndexDefs().Count(), 1);
    EXPECT_EQ(u.IndexDefs()[0]->Fields(), "Name");
    EXPECT_EQ(u.IndexDefs()[0]->Options(), ixCaseInsensitive | ixDescending);
}

TEST(CSVStreamFormat, IndexDefinitionsAreCheckedAsTheyAreRead) {
    TqmtCSVStreamFormat f;
    const std::string start = "\"@@INDEXDEF START@@\"\r\n";
    for (const char* bad : {"\"=\"", "\"byName\"", "\"=Name\""}) {
        auto t = IdName();
        try {
            Load(*t, f, start + bad + "\r\n");
            ADD_FAILURE() << bad;
        } catch (const EMemTableError& e) {
            EXPECT_EQ(e.Message, "Missing Name or FieldNames in IndexDef!") << bad;
        }
    }
    // Text that ends inside the section, or leaves it for another, builds
    // its indexes, as its saved copy (which closes the section) does: an
    // index on no field is refused.
    for (const char* after : {"", "\"@@TABLEDEF END@@\"\r\n"})
        EXPECT_THROW(Load(*IdName(), f, start + "\"byX=NoSuchField\"\r\n" + after), Exception) << after;
    // Field text of separators only names no field and is refused as it is
    // read; the fuzzer's input loaded such an index under a name holding '=',
    // whose saved copy then did not read back.
    auto none = IdName();
    try {
        Load(*none, f, start + "\"byX=;;;\"\r\n");
        ADD_FAILURE() << "an index on no field loaded";
    } catch (const EMemTableError& e) {
        EXPECT_EQ(e.Message, "Missing Name or FieldNames in IndexDef!");
    }
    EXPECT_EQ(none->IndexDefs().Count(), 0);
    // A name holding '=' and a quote saves so that it reads back the same.
    auto named = IdName();
    named->IndexDefs().Add("by=\"x\"=", "Name", ixDescending);
    named->SyncIndexesWithDefs();
    const std::string withEquals = Save(*named, f);
    auto again = IdName();
    Load(*again, f, withEquals);
    ASSERT_EQ(again->IndexDefs().Count(), 1);
    EXPECT_EQ(again->IndexDefs()[0]->Name(), "by=\"x\"=");
    EXPECT_EQ(again->IndexDefs()[0]->Fields(), "Name");
    EXPECT_EQ(again->IndexDefs()[0]->Options(), ixDescending);
    EXPECT_EQ(Save(*again, f), withEquals);
    // Option words inside a quoted name or label are text, not options.
    auto worded = IdName();
    worded->FieldByName("Name")->SetDisplayLabel("Name,REQ,RO,INV");
    worded->IndexDefs().Add("x,DESC,CASE,UNIQ,NONMT", "Name", 0);
    worded->SyncIndexesWithDefs();
    const std::string withWords = Save(*worded, f);
    auto read = IdName();
    Load(*read, f, withWords);
    ASSERT_EQ(read->IndexDefs().Count(), 1);
    EXPECT_EQ(read->IndexDefs()[0]->Options(), 0);
    EXPECT_FALSE(read->FieldByName("Name")->Required());
    EXPECT_FALSE(read->FieldByName("Name")->ReadOnly());
    EXPECT_TRUE(read->FieldByName("Name")->Visible());
    EXPECT_EQ(Save(*read, f), withWords);
    auto t = IdName();
    Load(*t, f, start + "\"byName=Name\"\r\n");
    ASSERT_EQ(t->IndexDefs().Count(), 1);
    const std::string saved = Save(*t, f);
    auto u = IdName();
    Load(*u, f, saved);
    EXPECT_EQ(Save(*u, f), saved);
}

TEST(CSVStreamFormat, BadInputIsReportedAndLowerCaseTrueIsFalse) {
    TqmtMemTable t;
    t.FieldDefs().Add("Ok", ftBoolean);
    t.FieldDefs().Add("Raw", ftVarBytes, 10);
    t.Open();
    TqmtCSVStreamFormat f;
    f.sfDef = 0;
    Load(t, f, "\"Ok\",\"Raw\"\r\n\"true\",\"A)V8\"\r\n");
    EXPECT_FALSE(t.FieldByName("Ok")->AsBoolean());
    EXPECT_EQ(t.FieldByName("Raw")->AsString(), "abc");
    EXPECT_THROW(Load(t, f, "\"Ok\",\"Raw\"\r\n\"True\",\"a)v8\"\r\n"), EMemTableError);
    EXPECT_EQ(t.State(), dsBrowse);
    EXPECT_THROW(Load(t, f, "\"X\"\r\n\"1\"\r\n"), EMemTableError);  // no column to load
    f.sfDef = sfLoad;
    try {
        Load(t, f, "\"@@TABLEDEF START@@\"\r\n\"A=Wide,1,\"\"A\"\",\"\"\"\",1,Data,\"\"\"\"\"\r\n");
        FAIL();
    } catch (const EMemTableError& e) {
        EXPECT_EQ(e.Message.rfind("Unknown field type (Wide) in CSV file.", 0), 0u) << e.Message;
    }
}

TEST(CSVStreamFormat, StreamPositionAppendAndLimits) {
    auto t = IdName();
    Add(*t, 1, "a");
    Add(*t, 2, "b");
    TqmtCSVStreamFormat f;
    f.sfDef = 0;
    f.sfAppend = sfSaveAppend;
    TStringStream s;
    t->SaveWithFormat(s, &f);
    t->SaveWithFormat(s, &f);
    EXPECT_EQ(s.DataString(), "\"ID\",\"Name\",\r\n\"1\",\"a\",\r\n\"2\",\"b\",\r\n"
                                  "\"ID\",\"Name\",\r\n\"1\",\"a\",\r\n\"2\",\"b\",\r\n");
    t->SetSaveLimit(1);
    f.sfAppend = 0;
    EXPECT_EQ(Save(*t, f), "\"ID\",\"Name\",\r\n\"1\",\"a\",\r\n");
    EXPECT_FALSE(t->SavedCompletely());

    // Without sfLoadFromStart reading starts where the stream stands.
    auto u = IdName();
    f.sfFromStart = 0;
    TStringStream in("garbage\r\n\"ID\",\"Name\"\r\n\"5\",\"e\"\r\n");
    in.SetPosition(9);
    u->LoadWithFormat(in, &f);
    ASSERT_EQ(u->RecordCount(), 1);
    EXPECT_EQ(u->FieldByName("ID")->AsInteger(), 5);
}

TEST(CSVStreamFormat, FilteredRowsAreSavedAndTheFilterStays) {
    auto t = IdName();
    for (int i = 1; i <= 4; ++i) Add(*t, i, "x");
    t->OnFilterRecord = [](TDataSet* ds, bool& accept) { accept = ds->FieldByName("ID")->AsInteger() % 2 == 0; };
    t->SetFiltered(true);
    EXPECT_EQ(t->RecordCount(), 2);
    TqmtCSVStreamFormat f;
    f.sfDef = 0;
    f.sfNoHeader = sfSave;
    EXPECT_EQ(Save(*t, f), "\"1\",\"x\",\r\n\"2\",\"x\",\r\n\"3\",\"x\",\r\n\"4\",\"x\",\r\n");
    EXPECT_TRUE(t->Filtered());
    EXPECT_EQ(t->RecordCount(), 2);
    f.sfFiltered = 0;
    EXPECT_EQ(Save(*t, f), "\"2\",\"x\",\r\n\"4\",\"x\",\r\n");
    t->OnFilterRecord = nullptr;
}

TEST(CSVStreamFormat, PersistentFileIsWrittenOnCloseWithBackupAndReadOnOpen) {
    const std::string dir = ::testing::TempDir();
    const std::string file = dir + "persist_test.csv";
    const std::string backup = dir + "persist_test.bak";
    std::remove(file.c_str());
    std::remove(backup.c_str());
    TqmtCSVStreamFormat f;
    auto make = [&] {
        auto t = std::make_unique<TqmtMemTable>();
        t->FieldDefs().Add("ID", ftInteger);
        t->FieldDefs().Add("Name", ftString, 40);
        t->SetPersistentFormat(&f);
        t->SetPersistentFile(file);
        t->SetPersistent(true);
        t->SetPersistentBackup(true);
        t->SetPersistentBackupExt(".bak");
        return t;
    };
    {
        auto t = make();
        t->Open();
        Add(*t, 1, "first");
        t->Close();
    }
    EXPECT_NE(ReadFile(file).find("first"), std::string::npos);
    {
        auto t = make();
        t->Open();
        ASSERT_EQ(t->RecordCount(), 1);
        t->Edit();
        t->FieldByName("Name")->SetAsString("second");
        t->Post();
        t->Close();
    }
    EXPECT_NE(ReadFile(file).find("second"), std::string::npos);
    EXPECT_NE(ReadFile(backup).find("first"), std::string::npos);
    std::remove(file.c_str());
    std::remove(backup.c_str());
}

TEST(CSVStreamFormat, CopyBetweenTables) {
    auto source = IdName();
    Add(*source, 1, "a");
    Add(*source, 2, nullptr);
    TqmtMemTable copy;
    EXPECT_THROW(copy.CopyFromDataSet(source.get(), mtcpoStructure | mtcpoAppend), EMemTableError);
    copy.CopyFromDataSet(source.get(), mtcpoStructure);
    ASSERT_TRUE(copy.Active());
    ASSERT_EQ(copy.RecordCount(), 2);
    copy.Last();
    EXPECT_EQ(copy.FieldByName("ID")->AsInteger(), 2);
    EXPECT_TRUE(copy.FieldByName("Name")->IsNull());
    copy.CopyFromDataSet(source.get(), mtcpoAppend);
    EXPECT_EQ(copy.RecordCount(), 4);
    auto back = IdName();
    copy.CopyToDataSet(back.get());
    EXPECT_EQ(back->RecordCount(), 4);
}

#include <gtest/gtest.h>

#include <cstring>

#include "memtable/MemTable.h"
#include "platform/data/testing/DataLinkConformance.h"

namespace {

std::unique_ptr<TDataSet> MakeMemTable() {
    auto t = std::make_unique<TqmtMemTable>();
    t->FieldDefs().Add("ID", ftInteger);
    t->FieldDefs().Add("Name", ftString, 20);
    return t;
}

// A table of (ID integer, Name text 10, Big 64-bit) with the given rows.
std::unique_ptr<TqmtMemTable> Table(std::initializer_list<std::pair<int, const char*>> rows) {
    auto t = std::make_unique<TqmtMemTable>();
    t->FieldDefs().Add("ID", ftInteger);
    t->FieldDefs().Add("Name", ftString, 10);
    t->FieldDefs().Add("Big", ftLargeint);
    t->Open();
    for (auto& [id, name] : rows) {
        t->Append();
        t->FieldByName("ID")->SetAsInteger(id);
        if (name) t->FieldByName("Name")->SetAsString(name);
        t->Post();
    }
    return t;
}

std::string Ids(TqmtMemTable& t) {
    std::string out;
    t.First();
    while (!t.Eof()) {
        if (!out.empty()) out += ' ';
        out += t.FieldByName("ID")->AsString();
        t.Next();
    }
    return out;
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(MemTable, DataLinkConformance,
                         ::testing::Values(DataSetFactory{"TqmtMemTable", MakeMemTable}),
                         [](const auto& info) { return "TqmtMemTable"; });

TEST(MemTable, OpenNeedsFieldsAndEmptyTableReadsNull) {
    TqmtMemTable none;
    try {
        none.Open();
        FAIL();
    } catch (const EMemTableError& e) {
        EXPECT_EQ(e.Message, "There must be at least one field");
    }
    auto t = Table({});
    EXPECT_TRUE(t->FieldByName("ID")->IsNull());
    EXPECT_EQ(t->RecordCount(), 0);
    EXPECT_EQ(t->RecNo(), -1);
    t->Close();
    EXPECT_THROW(t->RecordCount(), EDatabaseError);
}

TEST(MemTable, NavigationRecordNumbersAndTruncatedText) {
    auto t = Table({{1, "a"}, {2, "b"}, {3, "c"}});
    EXPECT_EQ(Ids(*t), "1 2 3");
    EXPECT_EQ(t->RecordCount(), 3);
    t->Last();
    EXPECT_EQ(t->RecNo(), 3);
    t->SetRecNo(2);
    EXPECT_EQ(t->FieldByName("ID")->AsInteger(), 2);
    t->SetRecNo(0);
    t->SetRecNo(9);
    EXPECT_EQ(t->RecNo(), 2);
    t->Edit();
    t->FieldByName("Name")->SetAsString("abcdefghijKLM");
    t->FieldByName("Big")->SetAsLargeInt(Int64(1) << 40);
    t->Post();
    EXPECT_EQ(t->FieldByName("Name")->AsString(), "abcdefghij");
    EXPECT_EQ(t->FieldByName("Big")->AsLargeInt(), Int64(1) << 40);
}

TEST(MemTable, InsertGoesBeforeTheCurrentRowAndAppendGoesLast) {
    auto t = Table({{1, "a"}, {2, "b"}, {3, "c"}, {4, "d"}, {5, "e"}, {6, "f"}});
    t->SetRecNo(5);
    t->Insert();
    t->FieldByName("ID")->SetAsInteger(50);
    t->Post();
    EXPECT_EQ(t->RecNo(), 5);
    EXPECT_EQ(t->FieldByName("ID")->AsInteger(), 50);
    t->Append();
    t->FieldByName("ID")->SetAsInteger(70);
    t->Post();
    EXPECT_EQ(Ids(*t), "1 2 3 4 50 5 6 70");
}

TEST(MemTable, DeleteAndReuseOfTheFreedSlot) {
    auto t = Table({{1, "a"}});
    TBookmark old = t->GetBookmark();
    t->Delete();
    EXPECT_EQ(t->RecordCount(), 0);
    t->Append();
    t->FieldByName("ID")->SetAsInteger(2);
    t->Post();
    EXPECT_EQ(Ids(*t), "2");
    // The new row has the old row's slot, but the old bookmark stays dead.
    EXPECT_FALSE(t->BookmarkValid(old));
    try {
        t->GotoBookmark(old);
        FAIL();
    } catch (const EMemTableError& e) {
        EXPECT_EQ(e.Message, "Bookmark not found: the row no longer exists.");
    }
}

TEST(MemTable, BookmarksWithNulBytesCompareByRow) {
    auto t = std::make_unique<TqmtMemTable>();
    t->FieldDefs().Add("ID", ftInteger);
    t->Open();
    std::vector<TBookmark> marks;
    for (int i = 0; i < 300; ++i) {
        t->Append();
        t->FieldByName("ID")->SetAsInteger(299 - i);
        t->Post();
        marks.push_back(t->GetBookmark());
    }
    // Slots 0 and 256 differ only after a NUL byte.
    ASSERT_EQ(marks[0].size(), 12u);
    EXPECT_EQ(marks[256][0], '\0');
    EXPECT_LT(t->CompareBookmarks(marks[0], marks[256]), 0);
    EXPECT_GT(t->CompareBookmarks(marks[256], marks[1]), 0);
    EXPECT_EQ(t->CompareBookmarks(marks[256], marks[256]), 0);
    t->GotoBookmark(marks[256]);
    EXPECT_EQ(t->FieldByName("ID")->AsInteger(), 43);
    // In a sorted order the comparison follows the keys.
    t->SetSortFields("ID");
    t->Sort();
    EXPECT_GT(t->CompareBookmarks(marks[0], marks[256]), 0);
    // Emptying invalidates every bookmark: two dead ones are the same
    // only when they are the same bookmark.
    t->EmptyTable();
    EXPECT_FALSE(t->BookmarkValid(marks[0]));
    EXPECT_NE(t->CompareBookmarks(marks[0], marks[1]), 0);
    EXPECT_EQ(t->CompareBookmarks(marks[1], TBookmark(marks[1])), 0);
}

TEST(MemTable, DeadBookmarkNeverEqualsLiveRecord) {
    // A deleted row's bookmark, and one whose slot a new row took again,
    // name no live record: in either index kind they compare unequal to
    // every live bookmark, after it, in both argument orders.
    for (bool sorted : {false, true}) {
        SCOPED_TRACE(sorted ? "sorted" : "row order");
        auto t = Table({{1, "a"}, {2, "b"}, {3, "c"}});
        if (sorted) {
            t->SetSortFields("Name");
            t->Sort();
        }
        t->First();
        TBookmark first = t->GetBookmark();
        t->Next();
        TBookmark dead = t->GetBookmark();
        t->Delete();
        t->Append();
        t->FieldByName("ID")->SetAsInteger(4);
        t->FieldByName("Name")->SetAsString("d");
        t->Post();
        ASSERT_FALSE(t->BookmarkValid(dead));
        std::vector<TBookmark> live;
        for (t->First(); !t->Eof(); t->Next()) live.push_back(t->GetBookmark());
        ASSERT_EQ(live.size(), 3u);
        for (const TBookmark& b : live) {
            EXPECT_EQ(t->CompareBookmarks(dead, b), 1);
            EXPECT_EQ(t->CompareBookmarks(b, dead), -1);
        }
        EXPECT_EQ(t->CompareBookmarks(dead, TBookmark(dead)), 0);
        EXPECT_EQ(t->CompareBookmarks(first, live[0]), 0);
    }
}

TEST(MemTable, SortIsStableAndBlankSortFieldsRestoreRowOrder) {
    auto t = Table({{1, "b"}, {2, "a"}, {3, "b"}, {4, "a"}, {5, "B"}});
    t->SetSortFields("Name");
    t->Sort();
    EXPECT_EQ(Ids(*t), "2 4 1 3 5");
    t->SetSortFields("Name:DC");
    t->Sort();
    EXPECT_EQ(Ids(*t), "5 3 1 4 2");
    t->SetSortFields("");
    t->Sort();
    EXPECT_EQ(Ids(*t), "1 2 3 4 5");
    EXPECT_EQ(t->Indexes().Count(), 1);
}

TEST(MemTable, IndexFieldNamesWithoutAnIndexKeepsRowOrder) {
    auto t = Table({{3, "c"}, {1, "a"}, {2, "b"}});
    t->SetIndexFieldNames("ID");
    EXPECT_EQ(Ids(*t), "3 1 2");
    t->DefineIndex("byID", "ID", 0);
    t->SetIndexFieldNames("ID");
    EXPECT_EQ(Ids(*t), "1 2 3");
    EXPECT_EQ(t->IndexName(), "byID");
    // An edit of the key moves the row within the index.
    t->First();
    t->Edit();
    t->FieldByName("ID")->SetAsInteger(9);
    t->Post();
    EXPECT_EQ(Ids(*t), "2 3 9");
}

// A linked window of three rows after appends into an ID index: a row
// stored last keeps the rows before it, one the index places elsewhere
// refills the window around it.
TEST(MemTable, PostedAppendShowsWhereTheIndexPutTheRow) {
    auto t = Table({{10, "a"}, {20, "b"}, {30, "c"}, {40, "d"}});
    t->DefineIndex("byID", "ID", 0);
    t->SetIndexName("byID");
    TDataSource source;
    source.SetDataSet(t.get());
    RecordingDataLink link;
    link.SetBufferCount(3);
    link.SetDataSource(&source);
    const struct {
        int Id;
        const char* Window;
    } cases[] = {{50, "30 40 [50]"}, {60, "40 50 [60]"}, {25, "10 20 [25]"}, {5, "[5] 10 20"}, {70, "50 60 [70]"}};
    for (const auto& c : cases) {
        t->Append();
        t->FieldByName("ID")->SetAsInteger(c.Id);
        t->Post();
        EXPECT_EQ(LinkWindow(link), c.Window) << c.Id;
        EXPECT_EQ(t->FieldByName("ID")->AsInteger(), c.Id);
    }
    link.SetDataSource(nullptr);
}

// A window with room to spare shows the rows an index put after the new one.
TEST(MemTable, PostedAppendIntoAShortWindowShowsTheRowsAfterIt) {
    auto t = Table({{20, "b"}});
    t->DefineIndex("byID", "ID", 0);
    t->SetIndexName("byID");
    TDataSource source;
    source.SetDataSet(t.get());
    RecordingDataLink link;
    link.SetBufferCount(4);
    link.SetDataSource(&source);
    t->Append();
    t->FieldByName("ID")->SetAsInteger(10);
    t->Post();
    EXPECT_EQ(LinkWindow(link), "[10] 20");
    t->Append();
    t->FieldByName("ID")->SetAsInteger(30);
    t->Post();
    EXPECT_EQ(LinkWindow(link), "10 20 [30]");
    link.SetDataSource(nullptr);
}

TEST(MemTable, AutoRepositionFollowsAnEditedRow) {
    auto t = Table({{1, "a"}, {2, "b"}, {3, "c"}});
    t->DefineIndex("byID", "ID", 0);
    t->SetIndexName("byID");
    t->SetAutoReposition(true);
    t->First();
    t->Edit();
    t->FieldByName("ID")->SetAsInteger(10);
    t->Post();
    EXPECT_EQ(t->FieldByName("ID")->AsInteger(), 10);
    EXPECT_EQ(t->RecNo(), 3);
}

TEST(MemTable, UniqueIndexRefusesDuplicatePostAndStoresNothing) {
    auto t = Table({{1, "a"}, {2, "b"}});
    t->DefineIndex("u", "ID", ixUnique);
    t->Append();
    t->FieldByName("ID")->SetAsInteger(2);
    try {
        t->Post();
        FAIL();
    } catch (const EMemTableDupKey& e) {
        EXPECT_EQ(e.Message, "Duplicate index value. Operation aborted.");
    }
    t->Cancel();
    EXPECT_EQ(t->RecordCount(), 2);
    // A unique definition over values that repeat cannot be built and is
    // dropped again.
    t->Append();
    t->FieldByName("ID")->SetAsInteger(3);
    t->FieldByName("Name")->SetAsString("a");
    t->Post();
    EXPECT_THROW(t->DefineIndex("n", "Name", ixUnique), EMemTableDupKey);
    EXPECT_EQ(t->IndexDefs().IndexOf("n"), -1);
    EXPECT_EQ(t->Indexes().IndexByName("n"), nullptr);
}

TEST(MemTable, LocateFindsTheFirstMatchWithOrWithoutAnIndex) {
    for (bool indexed : {false, true}) {
        auto t = std::make_unique<TqmtMemTable>();
        t->FieldDefs().Add("ID", ftInteger);
        t->FieldDefs().Add("Name", ftString, 10);
        t->Open();
        for (int i = 0; i < 100; ++i) {
            t->Append();
            t->FieldByName("ID")->SetAsInteger(i);
            t->FieldByName("Name")->SetAsString(i % 10 == 7 ? "Seven" : "x");
            t->Post();
        }
        if (indexed) t->DefineIndex("byName", "Name", ixCaseInsensitive);
        ASSERT_TRUE(t->Locate("Name", Variant("Seven"), 0)) << indexed;
        EXPECT_EQ(t->FieldByName("ID")->AsInteger(), 7);
        EXPECT_FALSE(t->Locate("Name", Variant("SEVEN"), 0)) << indexed;
        ASSERT_TRUE(t->Locate("Name", Variant("SEVEN"), loCaseInsensitive));
        EXPECT_EQ(t->FieldByName("ID")->AsInteger(), 7);
        ASSERT_TRUE(t->Locate("Name;ID", VarArrayOf({Variant("Seven"), Variant(57)}), 0));
        EXPECT_EQ(t->RecNo(), 58);
        EXPECT_TRUE(VarIsNull(t->Lookup("ID", Variant(1000), "Name")));
        EXPECT_EQ(t->RecNo(), 58);
        EXPECT_EQ(t->Lookup("ID", Variant(17), "Name").AsString(), "Seven");
        ASSERT_TRUE(t->Locate("Name", Variant("Sev"), loPartialKey));
        EXPECT_EQ(t->FieldByName("ID")->AsInteger(), 7);
    }
}

TEST(MemTable, AutoAddedIndexServesRepeatedSearches) {
    auto t = Table({});
    t->SetAutoAddIndexes(true);
    for (int i = 0; i < 50; ++i) {
        t->Append();
        t->FieldByName("ID")->SetAsInteger(100 - i);
        t->Post();
    }
    ASSERT_TRUE(t->Locate("ID", Variant(60), 0));
    EXPECT_EQ(t->RecNo(), 41);
    EXPECT_NE(t->Indexes().IndexByName("__MT__AUTO_ID"), nullptr);
}

TEST(MemTable, VersioningKeepsDeletedRowsOutOfSight) {
    auto t = Table({{1, "a"}, {2, "b"}, {3, "c"}});
    t->SetEnableVersioning(true);
    t->First();
    t->Delete();
    EXPECT_EQ(t->RecordCount(), 2);
    EXPECT_EQ(Ids(*t), "2 3");
    t->First();
    t->Edit();
    t->FieldByName("Name")->SetAsString("B");
    t->Post();
    EXPECT_EQ(t->UpdateStatus(), usModified);
}

TEST(MemTable, ReadOnlyRefusesWritesAndProgressReportsEmpty) {
    auto t = Table({{1, "a"}});
    t->SetReadOnly(true);
    EXPECT_THROW(t->Edit(), EDatabaseError);
    t->SetReadOnly(false);
    std::vector<int> seen;
    t->SetProgressFlags(qmtProgressBit(mtpcEmpty));
    t->OnProgress = [&](TqmtCustomMemTable*, int pct, TqmtProgressCode code) {
        EXPECT_EQ(code, mtpcEmpty);
        seen.push_back(pct);
    };
    t->EmptyTable();
    EXPECT_EQ(seen, (std::vector<int>{0, 100}));
    EXPECT_EQ(t->RecordCount(), 0);
    t->OnProgress = nullptr;
}

TEST(MemTable, NewRowsGetDefaultsAndAutoIncrementValues) {
    TqmtMemTable t;
    t.FieldDefs().Add("N", ftAutoInc);
    t.FieldDefs().Add("Group", ftString, 10);
    t.SetAutoIncMinValue(10);
    t.Open();
    t.FieldByName("Group")->SetDefaultExpression("(1)");
    for (int i = 0; i < 3; ++i) {
        t.Append();
        t.Post();
    }
    t.Last();
    EXPECT_EQ(t.FieldByName("N")->AsInteger(), 12);
    EXPECT_EQ(t.FieldByName("Group")->AsString(), "(1)");
}

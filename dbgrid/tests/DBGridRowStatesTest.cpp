// The record window's row states, the record selection over many records
// and the engine-cursor window's clamped positions.
#include "dbgrid/tests/DBGridTestSupport.h"

#include <algorithm>
#include <map>

#include "dbgrid/DBGridCursor.h"
#include "dbgrid/DBGridSelection.h"
#include "dbgrid/tests/CursorTestTable.h"

namespace {

class DBGridRowStates : public DBGridFixture {
protected:
    // The bookmarks of a cursor table's records by ID (entry 0 unused),
    // taken before the grid is bound.
    static std::vector<std::string> CursorBookmarks(TCursorTable* t) {
        std::vector<std::string> bm(1);
        for (t->First(); !t->Eof(); t->Next()) bm.push_back(t->GetBookmark());
        t->First();
        return bm;
    }
    // The Names of the window rows whose records the grid answers selected.
    std::string SelectedRows() {
        std::string s;
        for (Integer r = 1; r <= grid->RecordWindow()->GetRowCount(); ++r)
            if (grid->IsRowSelected(r)) s += NameAt(r) + " ";
        return s;
    }
    void Select(int id, bool select = true) {
        grid->SelectRows(Variant(BookmarkOf(id)), Variant(BookmarkOf(id)), select);
    }
};

TEST_F(DBGridRowStates, TheWindowKeepsOneStatePerRowAndNoMore) {
    Fill(40);
    Bind();
    TgrGridData* w = grid->RecordWindow();
    EXPECT_EQ(w->RowStateCacheSize(), grid->GetVisibleRecordCount());
    grid->SetBounds(0, 0, 400, HeightForRows(9));
    EXPECT_EQ(w->RowStateCacheSize(), grid->GetVisibleRecordCount());
    EXPECT_GE(w->RowStateCacheSize(), 9);
    grid->SetBounds(0, 0, 400, HeightForRows(3));
    EXPECT_EQ(w->RowStateCacheSize(), grid->GetVisibleRecordCount());
    EXPECT_LT(w->RowStateCacheSize(), 9);
    EXPECT_EQ(w->RowState(w->RowStateCacheSize() + 1), nullptr);
    grid->SetDataSource(nullptr);
    EXPECT_EQ(w->RowStateCacheSize(), 0);
}

TEST_F(DBGridRowStates, RowsAnswerForTheRecordsTheyShowAfterScrolling) {
    Fill(40);
    std::vector<std::string> bm(41);
    for (int id = 1; id <= 40; ++id) bm[std::size_t(id)] = BookmarkOf(id);
    Bind();
    TgrGridData* w = grid->RecordWindow();
    auto select = [&](int id, bool on) {
        grid->SelectRows(Variant(bm[std::size_t(id)]), Variant(bm[std::size_t(id)]), on);
    };
    auto goTo = [&](int id) { table->Locate("ID", Variant(id), {}); };
    // What the rows should answer: the selected records among those shown.
    auto shown = [&](std::initializer_list<int> ids) {
        std::string s;
        for (Integer r = 1; r <= w->GetRowCount(); ++r)
            for (int id : ids)
                if (NameAt(r) == "N" + std::to_string(id)) s += NameAt(r) + " ";
        return s;
    };
    select(2, true);
    select(15, true);
    EXPECT_EQ(SelectedRows(), shown({2, 15}));
    ASSERT_EQ(SelectedRows(), "N2 ");
    // Asked once, the row keeps its answer until something changes.
    ASSERT_TRUE(grid->HasWindowRowSelection(2));
    EXPECT_TRUE(w->RowState(2)->SelectedKnown);
    EXPECT_TRUE(w->RowState(2)->Selected);
    // The dataset moves on: the window scrolls and its rows ask anew.
    goTo(12);
    ASSERT_EQ(NameAt(1), "N12");
    EXPECT_FALSE(w->RowState(2)->SelectedKnown);
    EXPECT_EQ(SelectedRows(), "N15 ");
    // A selection changed by record reaches the rows already asked.
    select(15, false);
    select(16, true);
    EXPECT_EQ(SelectedRows(), "N16 ");
    // The row property records follow the rows as well.
    grid->SetRowColor(Variant(bm[17]), clRed);
    auto redRows = [&] {
        std::string s;
        for (Integer r = 1; r <= w->GetRowCount(); ++r)
            if (grid->GetRowColor(r) == clRed) s += NameAt(r) + " ";
        return s;
    };
    EXPECT_EQ(redRows(), "N17 ");
    Integer before = w->GetBookmarkRow(bm[17]);
    goTo(1);
    EXPECT_EQ(redRows(), "");
    goTo(17);
    EXPECT_EQ(redRows(), "N17 ");
    EXPECT_NE(w->GetBookmarkRow(bm[17]), before);
    grid->SetRowColor(Variant(bm[17]), grColorNotSet);
    EXPECT_EQ(redRows(), "");
}

TEST_F(DBGridRowStates, TheCursorWindowsRowsAnswerAfterScrolling) {
    TCursorTable* cursorTable = MakeNumberedCursorTable(form, 60);
    std::vector<std::string> bm = CursorBookmarks(cursorTable);
    source->SetDataSet(cursorTable);
    Bind();
    ASSERT_EQ(grid->DatasetType(), dstBDE);
    TgrGridData* w = grid->RecordWindow();
    EXPECT_EQ(w->RowStateCacheSize(), grid->GetVisibleRecordCount());
    for (int id : {3, 12}) grid->SelectRows(Variant(bm[std::size_t(id)]), Variant(bm[std::size_t(id)]), true);
    EXPECT_EQ(SelectedRows(), "R3 ");
    grid->VertScroll(scLineDown);
    grid->VertScroll(scLineDown);
    grid->VertScroll(scLineDown);
    grid->VertScroll(scLineDown);
    grid->VertScroll(scLineDown);
    // R6..R14: record 12 is on screen now, record 3 is gone.
    EXPECT_EQ(NameAt(1), "R6");
    EXPECT_EQ(SelectedRows(), "R12 ");
    grid->VertScroll(scPageDown);
    EXPECT_EQ(SelectedRows(), "");
}

TEST_F(DBGridRowStates, RangesOfManyRecordsMoveInTheirSlotsAndLeaveNothingBehind) {
    const int n = 300;
    Fill(n);
    Bind();
    TgrDBSelection& sel = grid->RecordSelectionSet();
    std::vector<std::string> bm(n + 1);
    for (int id = 1; id <= n; ++id) bm[std::size_t(id)] = BookmarkOf(id);
    auto at = [&](int id) { return MakeAtPosition(bm[std::size_t(id)]); };
    // Records 1, 4, 7, ... 298: a hundred ranges, each added before the
    // others so that every insertion moves all the slots after it.
    for (int id = 298; id >= 1; id -= 3) sel.AddRange(at(id), at(id));
    ASSERT_EQ(sel.RangeCount(), 100);
    auto emptyBeyondCount = [&](const TgrDBSelection& s) {
        for (Integer k = s.RangeCount() + 1; k <= s.RangeCapacity(); ++k)
            if (!s.Range(k).Start.Bookmark.empty() || !s.Range(k).End.Bookmark.empty()) return false;
        return true;
    };
    EXPECT_TRUE(emptyBeyondCount(sel));
    auto expected = [&](std::initializer_list<std::pair<int, int>> spans) {
        return IdRuns(n, [&](int id) {
            for (auto [from, to] : spans)
                if (id >= from && id <= to) return true;
            return (id - 1) % 3 == 0;
        });
    };
    // Copied: the other selection has the same ranges and keeps them.
    TgrDBSelection copy(grid);
    copy.Assign(sel);
    ASSERT_EQ(copy.RangeCount(), 100);
    for (Integer k = 1; k <= 100; ++k) ASSERT_EQ(copy.Range(k), sel.Range(k)) << k;
    // A span joining ranges 30 to 71 (records 88 to 211): the ranges after
    // it move down to follow it.
    sel.AddRange(at(88), at(211));
    EXPECT_EQ(sel.RangeCount(), 59);
    EXPECT_TRUE(emptyBeyondCount(sel));
    EXPECT_EQ(SelectedRuns(n), expected({{88, 211}}));
    // Cut out of the middle: the range splits and the ranges after it move
    // up by one.
    sel.RemoveRange(at(100), at(120));
    EXPECT_EQ(sel.RangeCount(), 60);
    EXPECT_TRUE(emptyBeyondCount(sel));
    // The cut's ends name their neighbours lazily.
    EXPECT_EQ(grid->RecordWindow()->ComparePositions(sel.Range(30).End, at(99)), 0);
    EXPECT_EQ(grid->RecordWindow()->ComparePositions(sel.Range(31).Start, at(121)), 0);
    // Inverted across several ranges and gaps: the gaps of the span become
    // the selection.
    sel.ToggleRange(at(280), at(n), 2);
    std::string runs = SelectedRuns(n);
    EXPECT_EQ(runs.substr(runs.rfind(',') + 1), "299-300");
    EXPECT_TRUE(emptyBeyondCount(sel));
    EXPECT_EQ(copy.RangeCount(), 100);
    EXPECT_EQ(IdRuns(n, [&](int id) { return copy.IsSelected(bm[std::size_t(id)]); }), expected({}));
    sel.Clear();
    EXPECT_EQ(sel.RangeCount(), 0);
    EXPECT_TRUE(emptyBeyondCount(sel));
}

// A select-all in set mode walks every record once and adds each bookmark
// once; a cancel at any stage leaves the selection as it was.
TEST_F(DBGridRowStates, ASelectAllInSetModeVisitsEveryRecordOnceOrChangesNothing) {
    const int n = 250;
    Fill(n);
    Bind();
    grid->SetRecordSelection(rseBookmarkSet);
    TgrDBSelection& sel = grid->RecordSelectionSet();
    struct Case {
        TgrScanState cancelAt;
        Integer count;
    } cases[] = {{scsRecord, 120}, {scsApplied, 200}, {scsEnd, 0}};
    for (const Case& c : cases) {
        sel.Clear();
        Select(3);
        Select(5);
        std::map<TgrScanState, Integer> last;
        bool everyScanAll = true;
        grid->OnScanRecords = [&](TObject*, bool ScanAll, TgrScanState state, Integer count, bool& cancel) {
            everyScanAll &= ScanAll;
            last[state] = count;
            if (state == c.cancelAt && count == c.count) cancel = true;
        };
        bool applied = grid->SelectPositionRange(MakeBeforeFirstPosition(), MakeAfterLastPosition(), true, false);
        grid->OnScanRecords = nullptr;
        EXPECT_TRUE(everyScanAll) << c.cancelAt;
        if (c.cancelAt == scsEnd) {
            EXPECT_TRUE(applied);
            EXPECT_EQ(last[scsRecord], n);
            EXPECT_EQ(last[scsApplied], n);
            EXPECT_EQ(last[scsEnd], n);
            EXPECT_EQ(sel.BookmarkSet().Count(), n);
            EXPECT_EQ(SelectedRuns(n), "1-" + std::to_string(n));
            EXPECT_TRUE(sel.IsAllSelected());
        } else {
            EXPECT_FALSE(applied) << c.cancelAt;
            EXPECT_EQ(last[scsEnd], 0) << c.cancelAt;
            EXPECT_EQ(sel.BookmarkSet().Count(), 2) << c.cancelAt;
            EXPECT_EQ(SelectedRuns(n), "3,5") << c.cancelAt;
            EXPECT_EQ(SelectedRows(), "N3 N5 ") << c.cancelAt;
        }
    }
}

TEST(DBGridSelectedList, KeepsTheScanOrderAndEmptiesItsEntries) {
    TgrSelectedList list;
    for (const char* b : {"c", "a", "b"}) list.AddString(b);
    list.PutString(1, "z");
    list.PutString(7, "ignored");
    EXPECT_EQ(list.GetString(0) + list.GetString(1) + list.GetString(2), "czb");
    EXPECT_EQ(list.GetString(3), "");
    list.ClearStrings();
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.GetString(0) + list.GetString(1) + list.GetString(2), "");
}

TEST_F(DBGridRowStates, TheBookmarkSetKeepsItsNodesWhenCopied) {
    Fill(6);
    Bind();
    grid->SetRecordSelection(rseBookmarkSet);
    TgrBookmarkSet& set = grid->RecordSelectionSet().BookmarkSet();
    for (int id : {5, 1, 3}) set.Add(BookmarkOf(id));
    TgrBookmarkSet copy(grid);
    copy.CopyFrom(set);
    ASSERT_NE(copy.Root(), nullptr);
    EXPECT_NE(dynamic_cast<TgrBookmarkSetNode*>(copy.Root()), nullptr);
    // The dataset sorted the other way: every bookmark is still found.
    table->SetSortFields("Score");
    table->Sort();
    for (int id : {1, 3, 5}) EXPECT_TRUE(copy.Contains(BookmarkOf(id))) << id;
    EXPECT_FALSE(copy.Contains(BookmarkOf(2)));
}

// The engine-cursor window's clamped positions name the record itself at
// the ends of the data, else its neighbour.
TEST_F(DBGridRowStates, TheCursorWindowsClampedPositionsStopAtTheEnds) {
    TCursorTable* cursorTable = MakeNumberedCursorTable(form, 30);
    std::vector<std::string> bm = CursorBookmarks(cursorTable);
    source->SetDataSet(cursorTable);
    Bind();
    auto* w = dynamic_cast<TgrScrollDataset*>(grid->RecordWindow());
    ASSERT_NE(w, nullptr);
    Integer rows = w->GetRowCount();
    ASSERT_LT(rows, 29);
    // Looked up among the bookmarks taken before binding: moving the
    // dataset now would move the window.
    auto nameOf = [&](const TgrBkmPos& pos) {
        EXPECT_EQ(pos.Kind, bpAt);
        auto at = std::find(bm.begin(), bm.end(), pos.Bookmark);
        return at == bm.end() || pos.Bookmark.empty() ? std::string("?") : "R" + std::to_string(at - bm.begin());
    };
    EXPECT_EQ(nameOf(w->PriorPositionClamped()), "R1");
    EXPECT_EQ(nameOf(w->NextPositionClamped()), "R" + std::to_string(rows + 1));
    w->Last();
    EXPECT_EQ(nameOf(w->NextPositionClamped()), "R30");
    EXPECT_EQ(nameOf(w->PriorPositionClamped()), "R" + std::to_string(30 - w->GetRowCount()));
    std::string same;
    w->GetNextBookmarkOrSame(w->GetRowBookmark(w->GetRowCount()), same);
    EXPECT_EQ(same, w->GetRowBookmark(w->GetRowCount()));
    w->GetPriorBookmarkOrSame(w->GetRowBookmark(1), same);
    EXPECT_NE(same, w->GetRowBookmark(1));
}

}  // namespace

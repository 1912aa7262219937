// The engine-cursor window over a test-only cursor: a memory table whose
// clone cursor walks a copy of its records.
#include "dbgrid/tests/DBGridTestSupport.h"

#include "dbgrid/DBGridCursor.h"
#include "dbgrid/tests/CursorTestTable.h"
#include "platform/data/DataSet.h"

namespace {

class DBGridCursor : public DBGridFixture {
protected:
    void SetUp() override {
        DBGridFixture::SetUp();
        cursorTable = MakeNumberedCursorTable(form, 50);
        source->SetDataSet(cursorTable);
        Bind();
        v = grid->GetVisibleRecordCount();
    }
    TCursorTable* cursorTable = nullptr;
    Integer v = 0;
};

TEST_F(DBGridCursor, WithExactRowCountTheWindowAsksTheDatasetForTheCount) {
    ASSERT_TRUE(grid->ExactRowCount());
    auto* window = dynamic_cast<TgrScrollDataset*>(grid->RecordWindow());
    ASSERT_NE(window, nullptr);
    // Known from the start, without walking the cursor: the scroll bar
    // spans the records exactly.
    EXPECT_TRUE(window->HasRecordCount());
    EXPECT_EQ(window->GetRecordCount(), 50);
    EXPECT_LE(cursorTable->Steps, v + 1);
    EXPECT_EQ(grid->VertScrollFigures().Count, 50);
    // Records added elsewhere are counted again when the window is read
    // anew.
    cursorTable->AppendRecord({Variant(51), Variant("R51")});
    grid->ResetWindow(true);
    EXPECT_EQ(window->GetRecordCount(), 51);
    EXPECT_EQ(grid->TopLeftCell().Row, 1);
    EXPECT_EQ(grid->GetCellValue(2, 1).AsString(), "R1");
}

TEST_F(DBGridCursor, TheWindowReadsItsOwnCopiesAndEstimatesTheCount) {
    grid->SetDataSource(nullptr);
    grid->SetExactRowCount(false);
    Bind();
    ASSERT_EQ(grid->DatasetType(), dstBDE);
    auto* window = dynamic_cast<TgrScrollDataset*>(grid->RecordWindow());
    ASSERT_NE(window, nullptr);
    cursorTable->Steps = 0;
    EXPECT_EQ(grid->Rows(), v);
    EXPECT_EQ(grid->GetCellValue(2, 1).AsString(), "R1");
    EXPECT_EQ(grid->GetCellValue(1, v).AsString(), std::to_string(v));
    // Only a window's worth of records has been read; the count is a guess.
    EXPECT_LE(cursorTable->Steps, v + 1);
    EXPECT_EQ(window->GetRecordCount(), v + std::max<Integer>(v / 10, v));
    // Walking to the end learns the count.
    for (int guard = 0; guard < 100 && !window->GetEof(); ++guard) grid->VertScroll(scPageDown);
    EXPECT_EQ(window->GetRecordCount(), 50);
    EXPECT_EQ(window->Bottom(), 50);
    EXPECT_EQ(grid->GetCellValue(2, grid->Rows()).AsString(), "R50");
    grid->VertScroll(scBottom);
    EXPECT_EQ(grid->GetCellValue(2, grid->Rows()).AsString(), "R50");
    EXPECT_EQ(window->Top(), 50 - grid->Rows() + 1);
}

TEST_F(DBGridCursor, ScrollingMovesTheWindowNotTheDataset) {
    grid->VertScroll(scLineDown);
    grid->VertScroll(scPageDown);
    EXPECT_EQ(cursorTable->RecNo(), 1);
    EXPECT_EQ(grid->GetCellValue(2, 1).AsString(), "R" + std::to_string(2 + v));
    EXPECT_EQ(grid->VertScrollPos(), 2 + v);
    grid->VertScroll(scTop);
    EXPECT_EQ(grid->GetCellValue(2, 1).AsString(), "R1");
}

TEST_F(DBGridCursor, TheWindowFollowsTheDatasetAndClicksMoveIt) {
    cursorTable->Last();
    Integer row = grid->RecordWindow()->GetCurrentRecordRow();
    ASSERT_GE(row, 1);
    EXPECT_EQ(grid->GetCellValue(2, row).AsString(), "R50");
    EXPECT_EQ(grid->GetCurrentDataRow(), Variant(cursorTable->GetBookmark()));
    ASSERT_TRUE(grid->CanSelectCell(1, row - 1));
    EXPECT_EQ(cursorTable->FieldByName("ID")->AsInteger(), 49);
    // A changed record is read again.
    cursorTable->Edit();
    cursorTable->FieldByName("Name")->SetAsString("Changed");
    cursorTable->Post();
    EXPECT_EQ(grid->GetCellValue(2, Variant(cursorTable->GetBookmark())).AsString(), "Changed");
}

TEST_F(DBGridCursor, RecordScansWalkTheCursorAndLeaveTheDatasetAlone) {
    cursorTable->Locate("ID", Variant(20), {});
    std::string current = cursorTable->GetBookmark();
    auto bookmarkOf = [&](int id) {
        cursorTable->Locate("ID", Variant(id), {});
        std::string bm = cursorTable->GetBookmark();
        cursorTable->GotoBookmark(current);
        return bm;
    };
    TgrGridData* window = grid->RecordWindow();
    Integer reports = 0;
    grid->OnScanRecords = [&](TObject*, bool, TgrScanState, Integer count, bool& cancel) {
        reports = count;
        cancel = count == 30;
    };
    struct Case {
        const char* name;
        bool forward;
        int start, end;
        Integer maxCount;
        std::size_t listed;
        bool reached, atEdge;
        int last;
    } cases[] = {
        {"every record", true, 0, 0, 0, 29, false, false, 29},  // cancelled at the 30th step
        {"to a stop", true, 10, 14, 0, 4, true, false, 14},
        {"limited", true, 45, 0, 3, 3, false, false, 48},
        {"to the end", true, 45, 0, 0, 5, true, true, 50},
        {"back to a stop", false, 10, 6, 0, 4, true, false, 6},
        {"back to the start", false, 3, 0, 0, 0, true, false, 2},
    };
    for (const Case& c : cases) {
        std::vector<std::string> list;
        std::string bookmark = c.start ? bookmarkOf(c.start) : std::string();
        bool cancel = false, reached = false;
        Integer limit = 0, count = 0;
        bool edge = c.forward ? window->ScanForward(bookmark, c.end ? bookmarkOf(c.end) : std::string(), cancel, limit,
                                                    count, reached, false, c.maxCount, list)
                              : window->ScanBackward(bookmark, c.end ? bookmarkOf(c.end) : std::string(), cancel,
                                                     limit, count, reached, false, c.maxCount, list);
        EXPECT_EQ(list.size(), c.listed) << c.name;
        EXPECT_EQ(reached, c.reached) << c.name;
        EXPECT_EQ(edge, c.atEdge) << c.name;
        EXPECT_EQ(bookmark, bookmarkOf(c.last)) << c.name;
        EXPECT_EQ(reports, count) << c.name;
        EXPECT_EQ(cursorTable->GetBookmark(), current) << c.name;
    }
    // The grid's selection scans the same way: a run in set mode.
    grid->OnScanRecords = nullptr;
    grid->SetRecordSelection(rseBookmarkSet);
    grid->SelectRows(Variant(bookmarkOf(40)), Variant(bookmarkOf(36)), true);
    for (int id = 35; id <= 41; ++id)
        EXPECT_EQ(grid->IsRecordSelected(Variant(bookmarkOf(id))), id >= 36 && id <= 40) << id;
    EXPECT_EQ(cursorTable->GetBookmark(), current);
}

TEST_F(DBGridCursor, KeySearchOrScanFindsTheRecordOfATypedText) {
    auto* window = dynamic_cast<TgrScrollDataset*>(grid->RecordWindow());
    ASSERT_NE(window, nullptr);
    auto startsWith = [](const std::string& value, const std::string& prefix) { return value.rfind(prefix, 0) == 0; };
    auto valueOf = [&](const std::string& bookmark) {
        return bookmark.empty() ? std::string("-") : grid->GetCellValue(2, Variant(bookmark)).AsString();
    };
    struct Case {
        bool indexed;
        std::string text;
        Integer dataCol;
        std::string record;  // the Name of the record reached, "-" for none
        bool found;
    } cases[] = {
        // By key on the ID index: the first record at or after the key.
        {true, "17", 1, "R17", true},
        {true, "99", 1, "-", false},
        // A text the integer column cannot hold finds nothing.
        {true, "abc", 1, "-", false},
        // Without an index the records are scanned for the text.
        {false, "R17", 2, "R17", true},
        {false, "R4", 2, "R4", true},
        {false, "X", 2, "-", false},
    };
    std::string topBefore = grid->GetCellValue(2, 1).AsString();
    for (const Case& c : cases) {
        cursorTable->Indexed = c.indexed;
        // A new cursor is cloned when the window opens again; opening
        // reads no rows, the first ones are read after.
        window->Reopen();
        EXPECT_EQ(window->GetRowCount(), 0);
        window->First();
        bool found = false;
        std::string record = window->LocateValue(c.text, c.dataCol, false, startsWith, found);
        EXPECT_EQ(found, c.found) << c.text;
        EXPECT_EQ(valueOf(record), c.record) << c.text;
        EXPECT_EQ(grid->GetCellValue(2, 1).AsString(), topBefore) << c.text;
    }
}

TEST_F(DBGridCursor, PendingNewRecordsShowAsAPlaceholderRow) {
    auto* window = dynamic_cast<TgrScrollDataset*>(grid->RecordWindow());
    ASSERT_NE(window, nullptr);
    std::string second = grid->RecordWindow()->GetRowBookmark(2);
    // Inserted before the third record: the third moves down a row.
    cursorTable->MoveBy(2);
    cursorTable->Insert();
    ASSERT_TRUE(window->Inserting());
    EXPECT_EQ(window->InsertionBookmark(), second);
    EXPECT_EQ(window->GetRowBookmark(3), "");
    EXPECT_EQ(window->FindBookmarkRow(""), 3);
    EXPECT_EQ(window->GetCurrentRecordRow(), 3);
    EXPECT_EQ(grid->GetCellValue(2, 4).AsString(), "R3");
    EXPECT_EQ(grid->Rows(), v);
    // Cancelled, the rows are as they were.
    // Cancelled, the placeholder goes and the window shows the record the
    // dataset stands on.
    cursorTable->Cancel();
    EXPECT_FALSE(window->Inserting());
    EXPECT_EQ(window->FindBookmarkRow(""), 0);
    EXPECT_EQ(grid->Rows(), v);
    Integer current = window->GetCurrentRecordRow();
    ASSERT_GE(current, 1);
    EXPECT_EQ(grid->GetCellValue(2, current).AsString(), cursorTable->FieldByName("Name")->AsString());

    // Appended: the placeholder follows the last record.
    cursorTable->Append();
    ASSERT_TRUE(window->Inserting());
    Integer last = window->GetRowCount();
    EXPECT_EQ(window->GetRowBookmark(last), "");
    EXPECT_EQ(grid->GetCellValue(2, last - 1).AsString(), "R50");
    EXPECT_EQ(window->GetCurrentRecordRow(), last);
    // Posted, the new record takes the placeholder's place.
    cursorTable->FieldByName("ID")->SetAsInteger(51);
    cursorTable->FieldByName("Name")->SetAsString("New");
    cursorTable->Post();
    EXPECT_FALSE(window->Inserting());
    Integer row = window->GetCurrentRecordRow();
    ASSERT_GE(row, 1);
    EXPECT_EQ(grid->GetCellValue(2, row).AsString(), "New");
    EXPECT_EQ(window->FindBookmarkRow(""), 0);
    EXPECT_EQ(window->GetRecordCount(), 51);
}

TEST_F(DBGridCursor, AChangedFieldLayoutKeepsTheWindowsRecords) {
    // The window keeps the copies it scrolled to; the columns follow the
    // field and the view stays where it was.
    grid->VertScroll(scPageDown);
    std::string first = "R" + std::to_string(1 + v);
    ASSERT_EQ(grid->GetCellValue(2, 1).AsString(), first);
    Integer top = grid->TopLeftCell().Row;
    cursorTable->FieldByName("Name")->SetDisplayLabel("Record");
    EXPECT_EQ(grid->GetCol(Variant(2))->GetHeading(), "Record");
    EXPECT_EQ(grid->GetCellValue(2, 1).AsString(), first);
    EXPECT_EQ(grid->TopLeftCell().Row, top);
    EXPECT_EQ(cursorTable->RecNo(), 1);
}

TEST_F(DBGridCursor, ADragHeldBelowTheRowsWalksTheWindowNotTheDataset) {
    std::vector<std::string> bookmarks;
    for (cursorTable->First(); !cursorTable->Eof(); cursorTable->Next()) bookmarks.push_back(cursorTable->GetBookmark());
    cursorTable->First();
    ASSERT_EQ(bookmarks.size(), 50u);
    grid->SetRowSelectMode(rsMulti);
    grid->SetScrollSpeed(spHigh);
    int shown = 1;
    while (shown < grid->Rows() && grid->CellPixels(0, shown + 1).Bottom <= grid->ClientHeight()) ++shown;
    TRect bar = grid->CellPixels(0, 2);
    Integer x = (bar.Left + bar.Right) / 2;
    grid->MouseDown(mbLeft, TShiftState(), x, (bar.Top + bar.Bottom) / 2);
    grid->MouseMove(TShiftState(), x, grid->ClientHeight() + 10);
    for (int i = 0; i < 5; ++i) grid->AutoScrollStep();
    grid->MouseUp(mbLeft, TShiftState(), x, grid->ClientHeight() + 10);
    EXPECT_EQ(grid->GetCellValue(2, 1).AsString(), "R6");
    // The press made record 2 current; the walk left the dataset there.
    EXPECT_EQ(cursorTable->GetBookmark(), bookmarks[1]);
    std::string runs = IdRuns(50, [&](int id) { return grid->IsRecordSelected(Variant(bookmarks[std::size_t(id - 1)])); });
    EXPECT_EQ(runs, "2-" + std::to_string(shown + 5));
}

}  // namespace

namespace {

TEST_F(DBGridCursor, TheBarsThumbAndEdgesMoveTheWindowByRecordNumbers) {
    auto* window = dynamic_cast<TgrScrollDataset*>(grid->RecordWindow());
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(window->HasRecordCount());
    // A thumb position names a record number: the top row shows it.
    grid->VertScroll(scThumbPosition, 30);
    EXPECT_EQ(window->Top(), 30);
    EXPECT_EQ(grid->GetCellValue(2, 1).AsString(), "R30");
    EXPECT_EQ(grid->ScrollPosToRecord(30), 30);
    // The edges: the last record in the last row, then the first on top.
    grid->VertScroll(scBottom);
    EXPECT_EQ(grid->GetCellValue(2, grid->Rows()).AsString(), "R50");
    grid->VertScroll(scTop);
    EXPECT_EQ(grid->GetCellValue(2, 1).AsString(), "R1");
    grid->VertScroll(scLineUp);
    EXPECT_EQ(grid->GetCellValue(2, 1).AsString(), "R1");
    EXPECT_EQ(cursorTable->RecNo(), 1);
}

TEST_F(DBGridCursor, TheDatasetSteppingPastTheLastRowScrollsTheWindowByOne) {
    cursorTable->MoveBy(int(grid->Rows() - 1));
    Integer last = grid->Rows();
    EXPECT_EQ(grid->RecordWindow()->GetCurrentRecordRow(), last);
    cursorTable->Next();
    // The window moved one record; the dataset's record is in the last row.
    EXPECT_EQ(grid->GetCellValue(2, 1).AsString(), "R2");
    EXPECT_EQ(grid->RecordWindow()->GetCurrentRecordRow(), last);
    EXPECT_EQ(grid->GetCurrentDataRow(), Variant(cursorTable->GetBookmark()));
    cursorTable->Prior();
    EXPECT_EQ(grid->GetCellValue(2, 1).AsString(), "R2");
    EXPECT_EQ(grid->RecordWindow()->GetCurrentRecordRow(), last - 1);
    // A jump far away reads the window around the record.
    cursorTable->MoveBy(30);
    EXPECT_GE(grid->RecordWindow()->GetCurrentRecordRow(), 1);
    EXPECT_EQ(grid->GetCurrentDataRow(), Variant(cursorTable->GetBookmark()));
}

}  // namespace

#include "dbgrid/tests/DBGridTestSupport.h"

#include <cmath>

#include "platform/data/DataSet.h"

namespace {

using DBGridWindow = DBGridFixture;

TEST_F(DBGridWindow, BindingBuildsColumnsFromFieldsAndFillsTheWindow) {
    Fill(3);
    EXPECT_EQ(grid->DatasetType(), dstBDE);
    Bind();
    EXPECT_EQ(grid->Take(), "active");
    EXPECT_TRUE(grid->DataActive());
    // Every grid of this system ends up with the standard window.
    EXPECT_EQ(grid->DatasetType(), dstStandard);
    ASSERT_EQ(grid->Cols(), 3);
    EXPECT_EQ(grid->GetCol(Variant("name"))->GetHeading(), "Name");
    EXPECT_EQ(grid->GetCol(Variant(3))->FieldName(), "Score");
    EXPECT_EQ(grid->Rows(), 3);
    EXPECT_EQ(Names(), "N1,N2,N3");
    EXPECT_EQ(grid->GetCurrentDataRow(), Variant(BookmarkOf(1)));
    try {
        grid->GetCol(Variant("Missing"));
        FAIL() << "no error for an unknown field";
    } catch (const EInvalidGridOperation& e) {
        EXPECT_NE(std::string(e.what()).find("Unknown field name 'Missing'"), std::string::npos) << e.what();
    }
}

TEST_F(DBGridWindow, ClosingLeavesOneEmptyRowAndReopeningRebinds) {
    Fill(3);
    Bind();
    grid->Take();
    table->Close();
    EXPECT_EQ(grid->Take(), "inactive");
    EXPECT_FALSE(grid->DataActive());
    EXPECT_EQ(grid->Rows(), 1);
    table->Open();
    EXPECT_EQ(grid->Take(), "active");
    EXPECT_EQ(grid->Rows(), table->RecordCount());
}

TEST_F(DBGridWindow, WindowFollowsNavigationWithTheDataLinkNotificationsInOrder) {
    Fill(20);
    Bind();
    Integer v = grid->GetVisibleRecordCount();
    ASSERT_GE(v, 3);
    ASSERT_EQ(grid->Rows(), v);
    grid->Take();
    // Moving inside the window scrolls by 0 and keeps the rows.
    table->Next();
    EXPECT_EQ(grid->Take(), "scrolled 0");
    EXPECT_EQ(grid->GetCurrentDataRow(), Variant(BookmarkOf(2)));
    EXPECT_EQ(grid->RecordWindow()->GetActiveRow(), 2);
    // Past the bottom the records move under the rows.
    table->MoveBy(int(v));
    EXPECT_EQ(grid->Take(), "changed changed scrolled 2");
    EXPECT_EQ(NameAt(1), "N3");
    EXPECT_EQ(grid->RecordWindow()->GetActiveRow(), v);
    EXPECT_EQ(grid->GetCurrentDataRow(), Variant(BookmarkOf(int(v) + 2)));
    table->Last();
    EXPECT_EQ(grid->Take(), "changed changed changed");
    EXPECT_EQ(NameAt(v), "N20");
    table->First();
    EXPECT_EQ(grid->Take(), "changed");
    EXPECT_EQ(NameAt(1), "N1");
}

TEST_F(DBGridWindow, InsertsDeletesAndFiltersReachTheWindow) {
    Fill(4);
    Bind();
    grid->Take();
    table->Last();
    table->Append();
    EXPECT_EQ(grid->Take(), "changed editing changed");
    table->FieldByName("ID")->SetAsInteger(5);
    table->FieldByName("Name")->SetAsString("N5");
    table->Post();
    EXPECT_EQ(grid->Take(), "update editing changed");
    EXPECT_EQ(grid->Rows(), 5);
    EXPECT_EQ(Names(), "N1,N2,N3,N4,N5");
    EXPECT_EQ(grid->GetCurrentDataRow(), Variant(BookmarkOf(5)));

    table->First();
    table->Delete();
    EXPECT_EQ(grid->Rows(), 4);
    EXPECT_EQ(Names(), "N2,N3,N4,N5");

    table->SetFiltered(true);
    table->SetFilter("Score < 97");
    EXPECT_EQ(table->RecordCount(), 1);
    EXPECT_EQ(grid->RecordWindow()->GetRowCount(), 1);
    EXPECT_EQ(grid->Rows(), 1);
    EXPECT_EQ(Names(), "N4");
    table->SetFilter("");
    table->SetFiltered(false);
    table->First();
    EXPECT_EQ(Names(), "N2,N3,N4,N5");
}

TEST_F(DBGridWindow, DisabledControlsHoldTheGridUntilEnabled) {
    Fill(10);
    Bind();
    grid->Take();
    table->DisableControls();
    table->Last();
    table->Prior();
    EXPECT_EQ(grid->Take(), "");
    EXPECT_EQ(grid->GetCurrentDataRow(), Variant(BookmarkOf(1)));
    table->EnableControls();
    EXPECT_EQ(grid->Take(), "changed");
    EXPECT_EQ(grid->GetCurrentDataRow(), Variant(BookmarkOf(9)));
    EXPECT_EQ(grid->GetCellValue(2, grid->GetCurrentDataRow()).AsString(), "N9");
}

TEST_F(DBGridWindow, HeadingAndRowHeightsResizeTheWindow) {
    Fill(20);
    Bind();
    Integer v = grid->GetVisibleRecordCount();
    ASSERT_EQ(grid->Rows(), v);
    grid->SetHeadingOn(false);
    EXPECT_GT(grid->GetVisibleRecordCount(), v);
    EXPECT_EQ(grid->Rows(), grid->GetVisibleRecordCount());
    grid->SetHeadingOn(true);
    EXPECT_EQ(grid->Rows(), v);
    std::vector<Integer> reported;
    grid->OnRowResized = [&](TObject*, Integer row) { reported.push_back(row); };
    grid->RowResized(3);
    grid->RowResized(0);
    EXPECT_EQ(reported, (std::vector<Integer>{-1, 0}));
}

TEST_F(DBGridWindow, KeysAndScrollBarMoveTheDataset) {
    Fill(30);
    Bind();
    Integer v = grid->GetVisibleRecordCount();
    Word16 key = VK_DOWN;
    grid->ProcessKeyDown(key, TShiftState());
    EXPECT_EQ(table->RecNo(), 2);
    key = VK_NEXT;
    grid->ProcessKeyDown(key, TShiftState());
    EXPECT_EQ(table->RecNo(), 2 + v);
    key = VK_END;
    grid->ProcessKeyDown(key, TShiftState{ssCtrl});
    EXPECT_EQ(table->RecNo(), 30);
    grid->VertScroll(scTop);
    EXPECT_EQ(table->RecNo(), 1);
    grid->VertScroll(scThumbPosition, 12);
    EXPECT_EQ(table->RecNo(), 12);
    // The bar runs over R + V - 1 positions; at the top row its position is
    // the record number.
    TgrVertScrollFigures f = grid->VertScrollFigures();
    EXPECT_EQ(f.Range, 30 + v - 1);
    EXPECT_EQ(grid->VertScrollPos(), 12);
}

TEST_F(DBGridWindow, ClickingAnotherRowMovesTheDatasetToItsRecord) {
    Fill(5);
    Bind();
    ASSERT_TRUE(grid->CanSelectCell(2, 3));
    EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 3);
    EXPECT_EQ(grid->GetCurrentDataRow(), Variant(BookmarkOf(3)));
}

TEST_F(DBGridWindow, StepsToTheNextAndPriorRecordInAndBeyondTheWindow) {
    Fill(20);
    Bind();
    TgrGridData* window = grid->RecordWindow();
    table->Locate("ID", Variant(3), {});
    struct Case {
        int from;
        bool forward;
        int to;  // 0: no record
    } cases[] = {{2, true, 3}, {3, false, 2}, {15, true, 16}, {15, false, 14}, {1, false, 0}, {20, true, 0}};
    for (const Case& c : cases) {
        std::string step;
        bool found = c.forward ? window->GetNextBookmark(BookmarkOf(c.from), step)
                               : window->GetPriorBookmark(BookmarkOf(c.from), step);
        EXPECT_EQ(found, c.to != 0) << c.from << (c.forward ? " next" : " prior");
        EXPECT_EQ(step, c.to ? BookmarkOf(c.to) : std::string()) << c.from;
        // The dataset stays on its record.
        EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 3);
    }
    std::string first, last;
    EXPECT_TRUE(window->GetFirstBookmark(first));
    EXPECT_TRUE(window->GetLastBookmark(last));
    EXPECT_EQ(first, BookmarkOf(1));
    EXPECT_EQ(last, BookmarkOf(20));
    EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 3);
}

TEST_F(DBGridWindow, BookmarkComparisonPutsTheEmptyBookmarkFirst) {
    struct Case {
        std::string a, b;
        TgrBookmarkCompareType type;
        int result;
    } cases[] = {
        {"", "", bctDefault, 0}, {"", "x", bctDefault, -1}, {"x", "", bctDefault, 1},
        {"ab", "b", bctAsString, -1}, {"b", "ab", bctAsString, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CompareBookmarkStrings(nullptr, c.a, c.b, c.type), c.result) << c.a << " vs " << c.b;
}

}  // namespace

namespace {

TEST_F(DBGridWindow, CustomizedColumnsKeepTheirOrderAndHeadings) {
    Fill(2);
    // A dialog's grid: its own columns, bound by field name.
    grid->SetFieldState(fsCustomized);
    grid->SetGridMode(gmListBox);
    grid->SetRowSelectMode(rsSingle);
    grid->SetCols(2);
    grid->GetCol(Variant(1))->SetFieldName("Score");
    grid->GetCol(Variant(1))->SetHeading("Points");
    grid->GetCol(Variant(2))->SetFieldName("Name");
    Bind();
    ASSERT_EQ(grid->Cols(), 2);
    EXPECT_EQ(grid->GetCol(Variant(1))->GetHeading(), "Points");
    EXPECT_EQ(grid->GetCellValue(1, 2).AsString(), "98");
    EXPECT_EQ(grid->GetCellValue(2, 2).AsString(), "N2");
    EXPECT_EQ(grid->FieldOfCol(1)->FieldName(), "Score");
    // Back to the default state the columns follow the fields again: the
    // field without a column gets one at its place.
    grid->SetFieldState(fsDefault);
    EXPECT_EQ(grid->Cols(), 3);
    EXPECT_EQ(grid->GetCol(Variant(grid->DataColOfDisplay(1)))->FieldName(), "ID");
    EXPECT_EQ(grid->GetCol(Variant(1))->FieldName(), "Score");
    // List-box mode with single selection: the current record is selected.
    EXPECT_TRUE(grid->IsRecordSelected(Variant(BookmarkOf(1))));
    table->Next();
    EXPECT_TRUE(grid->IsRecordSelected(Variant(BookmarkOf(2))));
    EXPECT_FALSE(grid->IsRecordSelected(Variant(BookmarkOf(1))));
    grid->SetDataBound(false);
    EXPECT_FALSE(grid->DataBound());
    EXPECT_EQ(grid->DataSource(), nullptr);
}

}  // namespace

namespace {

TEST_F(DBGridWindow, RowAndCellChangedEventsNameRecords) {
    Fill(5);
    std::vector<std::string> log;
    grid->OnRowChanged = [&](TObject*, const Variant& oldRow, const Variant& newRow) {
        log.push_back("row " + std::string(oldRow.AsString() == BookmarkOf(1) ? "1" : oldRow.AsString().empty() ? "-" : "?") +
                      ">" + (newRow.AsString() == BookmarkOf(3) ? "3" : newRow.AsString() == BookmarkOf(1) ? "1" : "?"));
    };
    grid->OnCellChanged = [&](TObject*, Integer oldCol, Integer newCol, const Variant&, const Variant&) {
        log.push_back("cell " + std::to_string(oldCol) + ">" + std::to_string(newCol));
    };
    Bind();
    table->MoveBy(2);
    grid->MoveCurrentCell(3, grid->TCustomGrid_ts::CurrentCell().Row, false, true);
    grid->ChangeCurrentCell(3, grid->TCustomGrid_ts::CurrentCell().Row);
    // Moving to record 3 changes the cell (same column, other record).
    EXPECT_EQ(log, (std::vector<std::string>{"row ->1", "cell 0>1", "row 1>3", "cell 1>1", "cell 1>3"}));
}

// A new index puts the records in another order: the rows show the new
// order around the dataset's record, and the grid takes that record as a
// new current record (OnRowChanged and OnTopLeftChanged report it again,
// from no record). A plain refresh reports nothing.
TEST_F(DBGridWindow, AnotherIndexReadsTheWindowAnewAndReportsTheCurrentRecordAgain) {
    Fill(20);
    table->DefineIndex("ByScore", "Score", 0);
    Bind();
    table->MoveBy(2);
    std::vector<std::string> rowLog, topLog;
    grid->OnRowChanged = [&](TObject*, const Variant& oldRow, const Variant& newRow) {
        rowLog.push_back((oldRow.AsString().empty() ? std::string("-") : "?") + ">" +
                         (newRow.AsString() == BookmarkOf(3) ? "3" : "?"));
    };
    grid->OnTopLeftChanged = [&](TObject*, Integer, const Variant& oldRow, Integer, const Variant&, bool byUser) {
        topLog.push_back((oldRow.AsString().empty() ? "-" : "?") + std::string(byUser ? " user" : ""));
    };
    table->SetIndexName("ByScore");
    EXPECT_EQ(grid->RecordWindow()->GetIndexName(), "ByScore");
    // Score 100 - id ascending: the record of id 3 among those after it.
    EXPECT_EQ(grid->GetCurrentDataRow(), Variant(BookmarkOf(3)));
    Integer row = grid->RecordWindow()->GetActiveRow();
    ASSERT_GE(row, 1);
    EXPECT_EQ(NameAt(row), "N3");
    if (row > 1) EXPECT_EQ(NameAt(row - 1), "N4");
    EXPECT_EQ(rowLog, (std::vector<std::string>{"->3"}));
    EXPECT_EQ(topLog, (std::vector<std::string>{"-"}));
    table->Refresh();
    EXPECT_EQ(rowLog.size(), 1u);
    EXPECT_EQ(topLog.size(), 1u);
    // Back to the order of entry: reported again.
    table->SetIndexName("");
    EXPECT_EQ(grid->RecordWindow()->GetIndexName(), "");
    EXPECT_EQ(rowLog.size(), 2u);
    EXPECT_EQ(NameAt(grid->RecordWindow()->GetActiveRow()), "N3");
}

// A handler that fails while the grid binds (here the record id of the
// first record) reaches the caller; the grid is not left locked, and the
// layout change and the binding are reported all the same.
TEST_F(DBGridWindow, AFailureWhileBindingLetsTheGridGoAndReportsTheLayout) {
    Fill(3);
    int layouts = 0;
    grid->OnFieldLayoutChange = [&](TObject*) { ++layouts; };
    bool fail = true;
    grid->SetUseRecordIds(true);
    grid->SetOnGetRecordID([&](TObject*, const Variant& dataRow, Variant& id) {
        if (fail) throw Exception("no id");
        id = dataRow;
    });
    EXPECT_THROW(Bind(), Exception);
    EXPECT_FALSE(grid->IsUpdateSuspended());
    EXPECT_EQ(layouts, 1);
    EXPECT_TRUE(grid->DataActive());
    EXPECT_EQ(grid->Rows(), 3);
    fail = false;
    grid->SetDataSource(nullptr);
    EXPECT_FALSE(grid->IsUpdateSuspended());
    EXPECT_EQ(layouts, 2);
    Bind();
    EXPECT_EQ(grid->GetCurrentDataRow(), Variant(BookmarkOf(1)));
}

// The bar over a sequenced dataset: R + V - 1 positions, a page of the
// whole rows shown, the thumb at the current record; scrolling with it
// gives the grid the focus.
TEST_F(DBGridWindow, TheScrollBarPagesByTheRowsShownAndTakesTheFocus) {
    Fill(100);
    Bind();
    Integer v = grid->GetVisibleRecordCount();
    int min = 0, max = 0;
    grid->GetScrollRange(TCustomControl::sbVertical, min, max);
    EXPECT_EQ(max, 100 + v - 1);
    // A page is the rows shown whole.
    EXPECT_EQ(grid->GetScrollPage(TCustomControl::sbVertical), Integer(std::trunc(grid->GetVisibleRowsExact())));
    EXPECT_GE(grid->GetScrollPage(TCustomControl::sbVertical), 3);
    ASSERT_NE(form->ActiveControl(), grid);
    grid->VertScroll(scThumbPosition, 40);
    EXPECT_EQ(table->RecNo(), 40);
    EXPECT_EQ(grid->GetScrollPos(TCustomControl::sbVertical), 40);
    EXPECT_EQ(form->ActiveControl(), grid);
    // A filtered table has no record numbers: five positions, no page.
    table->SetFiltered(true);
    grid->GetScrollRange(TCustomControl::sbVertical, min, max);
    EXPECT_EQ(max, 5);
    EXPECT_EQ(grid->GetScrollPage(TCustomControl::sbVertical), 0);
}

}  // namespace

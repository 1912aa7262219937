// Keyboard navigation in data mode: moves by record, new records that
// nobody typed into, Tab across records, and the list moves of a grid
// that shows no current cell.
#include "dbgrid/tests/DBGridTestSupport.h"

#include "platform/data/DataSet.h"

namespace {

class DBGridNavigation : public DBGridFixture {
protected:
    void Press(Word16 key, TShiftState shift = TShiftState()) { grid->ProcessKeyDown(key, shift); }
    int CurrentId() { return table->FieldByName("ID")->AsInteger(); }
    Integer Col() { return grid->CurrentDisplayCol(); }
};

TEST_F(DBGridNavigation, CtrlMovesReachTheFirstAndLastRecordAndColumn) {
    Fill(30);
    Bind();
    table->MoveBy(9);
    ASSERT_TRUE(grid->MoveToDisplayCell(2, grid->CurrentDisplayRow()));
    struct Case {
        const char* name;
        Word16 key;
        int id;
        Integer col;
    } cases[] = {
        {"Ctrl+Down: last record, same column", VK_DOWN, 30, 2},
        {"Ctrl+Up: first record, same column", VK_UP, 1, 2},
        {"Ctrl+End: last record, last column", VK_END, 30, 3},
        {"Ctrl+Home: first record, first column", VK_HOME, 1, 1},
    };
    for (const Case& c : cases) {
        Press(c.key, TShiftState{ssCtrl});
        EXPECT_EQ(CurrentId(), c.id) << c.name;
        EXPECT_EQ(Col(), c.col) << c.name;
        EXPECT_EQ(grid->CurrentBookmark(), Bookmark()) << c.name;
    }
}

TEST_F(DBGridNavigation, ANewRecordNobodyTypedIntoIsNeitherPostedNorLeftByArrows) {
    Fill(3);
    Bind();
    table->Last();
    // Down from the last record appends; Down and Up on it do nothing.
    Press(VK_DOWN);
    ASSERT_EQ(table->State(), dsInsert);
    EXPECT_FALSE(grid->MayMoveDown());
    Press(VK_DOWN);
    Press(VK_UP);
    EXPECT_EQ(table->State(), dsInsert);
    EXPECT_EQ(table->RecordCount(), 3);
    // Typed into, Up posts it and moves on.
    ASSERT_TRUE(grid->EditCurrentCell("4"));
    EXPECT_TRUE(grid->MayMoveDown());
    Press(VK_UP);
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(table->RecordCount(), 4);
    EXPECT_EQ(CurrentId(), 3);
    // An inserted record: Down is refused, Up drops it.
    table->First();
    table->Next();
    Word16 key = VK_INSERT;
    grid->ProcessKeyDown(key, TShiftState());
    ASSERT_EQ(table->State(), dsInsert);
    Press(VK_DOWN);
    EXPECT_EQ(table->State(), dsInsert);
    Press(VK_UP);
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(table->RecordCount(), 4);
    EXPECT_EQ(CurrentId(), 1);
}

TEST_F(DBGridNavigation, TabWrapsToTheNextRecordAndAppendsPastTheLast) {
    Fill(3);
    Bind();
    ASSERT_TRUE(grid->MoveToDisplayCell(3, grid->CurrentDisplayRow()));
    Press(VK_TAB);
    EXPECT_EQ(CurrentId(), 2);
    EXPECT_EQ(Col(), 1);
    // Shift+Tab from the first column: the last column of the record before.
    Press(VK_TAB, TShiftState{ssShift});
    EXPECT_EQ(CurrentId(), 1);
    EXPECT_EQ(Col(), 3);
    // From the last column of the last record: a new record, first column.
    table->Last();
    Press(VK_TAB);
    EXPECT_EQ(table->State(), dsInsert);
    EXPECT_EQ(Col(), 1);
    Press(VK_ESCAPE);
    EXPECT_EQ(table->RecordCount(), 3);
    // Without the wrap Tab stays in the record.
    table->Last();
    ASSERT_TRUE(grid->MoveToDisplayCell(3, grid->CurrentDisplayRow()));
    grid->SetTabRowWrap(false);
    Press(VK_TAB);
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(CurrentId(), 3);
    EXPECT_EQ(Col(), 3);
}

// A browse grid without a focus rectangle is a list: its moves are the
// grid's own, and a selected row follows the current record.
TEST_F(DBGridNavigation, ListMovesCarryTheRowSelectionWithTheCurrentRecord) {
    Fill(30);
    grid->SetGridMode(gmBrowse);
    grid->SetFocusBorder(fbNone);
    Bind();
    ASSERT_FALSE(grid->ShowsCurrentCell());
    Integer v = grid->GetVisibleRecordCount();
    // With nothing selected, a list move selects the record it reaches;
    // a move of the dataset from elsewhere selects nothing.
    Press(VK_DOWN);
    EXPECT_EQ(IdRuns(30, [&](int id) { return grid->IsRecordSelected(Variant(BookmarkOf(id))); }), "2");
    grid->DeselectAllRows();
    table->Next();
    EXPECT_TRUE(grid->RecordSelectionSet().Empty());
    table->First();
    grid->SelectRows(Variant(BookmarkOf(1)), Variant(BookmarkOf(1)), true);
    ASSERT_TRUE(grid->IsRecordSelected(Variant(BookmarkOf(1))));
    bool sawListMove = false;
    table->AfterScroll = [&](TDataSet*) { sawListMove = sawListMove || grid->GridMovesDataset(); };
    struct Case {
        const char* name;
        Word16 key;
        TShiftState shift;
        int id;
    } cases[] = {
        {"Down", VK_DOWN, {}, 2},
        {"Page Down", VK_NEXT, {}, 2 + int(v)},
        {"Ctrl+Down", VK_DOWN, {ssCtrl}, 30},
        {"Up", VK_UP, {}, 29},
        {"Ctrl+Up", VK_UP, {ssCtrl}, 1},
    };
    for (const Case& c : cases) {
        sawListMove = false;
        Press(c.key, c.shift);
        EXPECT_EQ(CurrentId(), c.id) << c.name;
        EXPECT_TRUE(sawListMove) << c.name;
        EXPECT_EQ(IdRuns(30, [&](int id) { return grid->IsRecordSelected(Variant(BookmarkOf(id))); }),
                  std::to_string(c.id))
            << c.name;
    }
    EXPECT_FALSE(grid->GridMovesDataset());
}

}  // namespace

namespace {

using DBGridCurrentRecord = DBGridFixture;

// A record made current from outside: the dataset moves to it, within the
// rows shown and far off them, and a list-box selection follows.
TEST_F(DBGridCurrentRecord, ARecordMadeCurrentFromOutsideMovesTheDatasetAndTheSelection) {
    Fill(40);
    Bind();
    grid->SetGridMode(gmListBox);
    grid->SetRowSelectMode(rsSingle);
    std::vector<std::string> rows;
    Variant third(BookmarkOf(3)), thirtyThird(BookmarkOf(33));
    auto makeCurrent = [&](const Variant& row) {
        grid->OnRowChanged = [&](TObject*, const Variant&, const Variant& now) {
            rows.push_back(now == third ? "3" : now == thirtyThird ? "33" : "?");
        };
        bool made = grid->SetCurrentDataRow(row);
        grid->OnRowChanged = nullptr;
        return made;
    };
    EXPECT_TRUE(makeCurrent(third));
    EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 3);
    EXPECT_EQ(SelectedRuns(40), "3");
    table->Locate("ID", Variant(3), {});
    EXPECT_TRUE(makeCurrent(thirtyThird));
    EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 33);
    EXPECT_EQ(grid->GetCurrentDataRow(), thirtyThird);
    EXPECT_EQ(SelectedRuns(40), "33");
    EXPECT_EQ(rows, (std::vector<std::string>{"3", "33"}));
    // A record being edited whose post is refused stays current.
    table->Locate("ID", Variant(33), {});
    grid->SetGridMode(gmEdit);
    table->BeforePost = [](TDataSet*) { throw Exception("refused"); };
    prompts->Answer(mrOk, "refused");
    ASSERT_TRUE(grid->MoveToDisplayCell(2, grid->CurrentDisplayRow()));
    ASSERT_TRUE(grid->EditCurrentCell("X"));
    EXPECT_FALSE(grid->SetCurrentDataRow(third));
    EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 33);
    EXPECT_EQ(table->State(), dsEdit);
    table->BeforePost = nullptr;
    table->Cancel();
}

// The grid's record deleted behind its back (the dataset's controls
// disabled): bringing the dataset back takes the record now at its row.
TEST_F(DBGridCurrentRecord, ReturningToADeletedRecordTakesTheRecordAtItsRow) {
    Fill(10);
    Bind();
    table->Locate("ID", Variant(3), {});
    ASSERT_EQ(grid->GetCurrentDataRow(), Variant(BookmarkOf(3)));
    Integer row = grid->CurrentDataRow();
    table->DisableControls();
    table->Delete();
    table->Last();
    grid->ReturnToCurrentRecord();
    EXPECT_NE(table->FieldByName("ID")->AsInteger(), 10);
    EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 4);
    table->EnableControls();
    EXPECT_EQ(grid->GetCurrentDataRow(), Variant(Bookmark()));
    EXPECT_EQ(grid->CurrentDataRow(), row);
    // In step again: nothing moves.
    grid->ReturnToCurrentRecord();
    EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 4);
}

}  // namespace

// Record window moves and record access: page and edge moves by key in
// both record windows, the record in the top row, bringing a record into
// view, record identities and cells read by record, and the row
// selection repainted from the marks taken before a move.
#include "dbgrid/tests/DBGridTestSupport.h"

#include "dbgrid/DBGridCursor.h"
#include "dbgrid/tests/CursorTestTable.h"
#include "platform/data/DataSet.h"

namespace {

// Records which display rows were painted selected or unselected.
class TPaintLogGrid : public TLogDBGrid {
public:
    explicit TPaintLogGrid(TComponent* owner) : TLogDBGrid(owner) {}
    std::string Painted;
    void PaintRowSelection(Integer displayRow, bool selected, TCanvas* dc) override {
        Painted += (Painted.empty() ? "" : " ") + std::to_string(displayRow) + (selected ? "+" : "-");
        TLogDBGrid::PaintRowSelection(displayRow, selected, dc);
    }
};

class DBGridRecordMoves : public DBGridFixture {
protected:
    // The bookmarks of records 1..count, read before the grid is bound
    // (looking a record up moves the dataset, and a bound grid with it).
    void FillAndMark(int count) {
        Fill(count);
        marks.assign(1, std::string());
        for (int id = 1; id <= count; ++id) marks.push_back(BookmarkOf(id));
    }
    Variant Mark(int id) { return Variant(marks[size_t(id)]); }
    std::vector<std::string> marks;
    void Press(Word16 key, TShiftState shift = TShiftState()) { grid->ProcessKeyDown(key, shift); }
    int CurrentId() { return table->FieldByName("ID")->AsInteger(); }
};

// Page and edge keys of a grid showing its current cell: how far each
// goes, and a key at the end it moves to leaves the dataset alone.
TEST_F(DBGridRecordMoves, PageAndEdgeKeysGoAsFarAsTheRecordWindowAllows) {
    Fill(30);
    Bind();
    ASSERT_TRUE(grid->ShowsCurrentCell());
    Integer v = grid->GetVisibleRecordCount();
    struct Case {
        const char* name;
        Word16 key;
        TShiftState shift;
        int id;
        bool moves;
    } cases[] = {
        {"Page Up at the first record", VK_PRIOR, {}, 1, false},
        {"Ctrl+Up at the first record", VK_UP, {ssCtrl}, 1, false},
        {"Page Down", VK_NEXT, {}, 1 + int(v), true},
        {"Page Down again", VK_NEXT, {}, 1 + 2 * int(v), true},
        {"Page Up", VK_PRIOR, {}, 1 + int(v), true},
        {"Ctrl+Down", VK_DOWN, {ssCtrl}, 30, true},
        {"Ctrl+Down at the end", VK_DOWN, {ssCtrl}, 30, false},
        {"Page Down at the end", VK_NEXT, {}, 30, false},
        {"Ctrl+Up", VK_UP, {ssCtrl}, 1, true},
    };
    grid->Take();
    for (const Case& c : cases) {
        Press(c.key, c.shift);
        EXPECT_EQ(CurrentId(), c.id) << c.name;
        EXPECT_EQ(grid->CurrentBookmark(), Bookmark()) << c.name;
        EXPECT_EQ(!grid->Take().empty(), c.moves) << c.name;
    }
    // The last record is shown in the last row of the window.
    Press(VK_DOWN, TShiftState{ssCtrl});
    EXPECT_EQ(NameAt(grid->Rows()), "N30");
    EXPECT_EQ(grid->RecordWindow()->GetCurrentRecordRow(), grid->Rows());
}

TEST_F(DBGridRecordMoves, TheStandardWindowsEdgeDistancesStandForAFarMove) {
    Fill(30);
    Bind();
    Integer newRow = 0, scroll = 0, newTop = 0;
    bool reread = true;
    // At the beginning the first record is no move at all; the last is far.
    EXPECT_EQ(grid->CalcFirst(newRow, reread), 0);
    EXPECT_FALSE(reread);
    EXPECT_EQ(newRow, 1);
    EXPECT_EQ(grid->CalcLast(newRow, reread), TgrCustomDBGrid::FarMove);
    EXPECT_EQ(grid->CalcPageUp(5, scroll, newRow, newTop), 0);
    EXPECT_EQ(grid->CalcPageDown(5, scroll, newRow, newTop), 5);
    // Nothing moved: the dataset is where it was.
    EXPECT_EQ(CurrentId(), 1);
    table->Last();
    EXPECT_EQ(grid->CalcLast(newRow, reread), 0);
    EXPECT_EQ(grid->CalcFirst(newRow, reread), TgrCustomDBGrid::FarMove);
    EXPECT_EQ(grid->CalcPageDown(5, scroll, newRow, newTop), 0);
}

// The engine-cursor window: a jump to either end reads the window anew
// from there; a page moves the window past its rows.
class DBGridCursorMoves : public DBGridFixture {
protected:
    void SetUp() override {
        DBGridFixture::SetUp();
        cursorTable = MakeNumberedCursorTable(form, 50);
        source->SetDataSet(cursorTable);
        Bind();
        ASSERT_EQ(grid->DatasetType(), dstBDE);
    }
    void Press(Word16 key, TShiftState shift = TShiftState()) { grid->ProcessKeyDown(key, shift); }
    int CurrentId() { return cursorTable->FieldByName("ID")->AsInteger(); }
    std::string BookmarkAt(int id) {
        std::string back = cursorTable->GetBookmark();
        cursorTable->Locate("ID", Variant(id), {});
        std::string bm = cursorTable->GetBookmark();
        cursorTable->GotoBookmark(back);
        return bm;
    }
    std::string TopName() { return grid->GetCellValue(2, grid->TopLeftCell().Row).AsString(); }
    TCursorTable* cursorTable = nullptr;
};

TEST_F(DBGridCursorMoves, EdgeAndPageKeysMoveTheWindowWithTheRecord) {
    Integer rows = grid->Rows();
    Press(VK_DOWN, TShiftState{ssCtrl});
    EXPECT_EQ(CurrentId(), 50);
    EXPECT_TRUE(grid->RecordWindow()->GetEof());
    EXPECT_EQ(grid->GetCellValue(2, grid->Rows()).AsString(), "R50");
    EXPECT_EQ(grid->GetCurrentDataRow(), Variant(cursorTable->GetBookmark()));
    EXPECT_EQ(grid->CurrentDataRow(), grid->Rows());
    Press(VK_UP, TShiftState{ssCtrl});
    EXPECT_EQ(CurrentId(), 1);
    EXPECT_EQ(TopName(), "R1");
    EXPECT_EQ(grid->CurrentDataRow(), 1);
    Press(VK_NEXT);
    Press(VK_NEXT);
    EXPECT_EQ(CurrentId(), 1 + 2 * int(grid->GetVisibleRecordCount()));
    EXPECT_EQ(grid->GetCurrentDataRow(), Variant(cursorTable->GetBookmark()));
    EXPECT_EQ(grid->Rows(), rows);
}

TEST_F(DBGridCursorMoves, ListMovesCarryTheSelectionThroughTheWindow) {
    grid->SetGridMode(gmBrowse);
    grid->SetFocusBorder(fbNone);
    ASSERT_FALSE(grid->ShowsCurrentCell());
    grid->SelectRows(grid->GetCurrentDataRow(), grid->GetCurrentDataRow(), true);
    Integer v = grid->GetVisibleRecordCount();
    struct Case {
        const char* name;
        Word16 key;
        TShiftState shift;
        int id;
    } cases[] = {
        {"Down", VK_DOWN, {}, 2},
        {"Page Down", VK_NEXT, {}, 2 + int(v)},
        {"Page Down past the rows", VK_NEXT, {}, 2 + 2 * int(v)},
        {"Up", VK_UP, {}, 1 + 2 * int(v)},
        {"Ctrl+Down", VK_DOWN, {ssCtrl}, 50},
        {"Ctrl+Up", VK_UP, {ssCtrl}, 1},
    };
    for (const Case& c : cases) {
        Press(c.key, c.shift);
        EXPECT_EQ(CurrentId(), c.id) << c.name;
        Variant current = grid->GetCurrentDataRow();
        EXPECT_EQ(current, Variant(cursorTable->GetBookmark())) << c.name;
        EXPECT_EQ(IdRuns(50, [&](int id) { return grid->IsRecordSelected(Variant(BookmarkAt(id))); }),
                  std::to_string(c.id))
            << c.name;
    }
}

TEST_F(DBGridRecordMoves, TheTopDataRowNamesAndPlacesTheRecordInTheTopRow) {
    FillAndMark(30);
    // Not bound: the top row's number.
    EXPECT_EQ(grid->GetTopDataRow(), Variant(grid->TopRow()));
    source->SetDataSet(nullptr);
    Bind();
    EXPECT_TRUE(grid->GetTopDataRow().IsEmpty());
    source->SetDataSet(table);
    EXPECT_EQ(grid->GetTopDataRow(), Mark(1));
    grid->SetTopDataRow(Mark(10));
    EXPECT_EQ(NameAt(1), "N10");
    EXPECT_EQ(grid->GetTopDataRow(), Mark(10));
    // The grid's current record is the dataset's.
    EXPECT_EQ(grid->CurrentBookmark(), Bookmark());
    // Near the end the last records fill the window.
    grid->SetTopDataRow(Mark(29));
    Integer rows = grid->Rows();
    EXPECT_EQ(NameAt(rows), "N30");
    EXPECT_EQ(NameAt(1), "N" + std::to_string(31 - rows));
    // A bookmark no record has leaves the grid as it was.
    table->Delete();
    EXPECT_NO_THROW(grid->SetTopDataRow(Variant(std::string("no such record"))));
}

TEST_F(DBGridRecordMoves, ARecordsCellIsBroughtIntoViewAtTheTopOrTheBottom) {
    FillAndMark(30);
    Bind();
    Integer v = grid->GetVisibleRecordCount();
    struct Case {
        const char* name;
        int id;
        Integer placement;
        std::string top;
    } cases[] = {
        {"shown in the middle: nothing moves", 3, 0, "N1"},
        {"below the rows: to the top", 20, 0, "N20"},
        {"asked for the bottom", 12, 1, "N" + std::to_string(13 - int(v))},
    };
    for (const Case& c : cases) {
        grid->MakeDataRowVisible(1, Mark(c.id), c.placement, true, false, 2);
        EXPECT_EQ(NameAt(1), c.top) << c.name;
        EXPECT_GE(grid->WindowPositionOfDataRow(Mark(c.id)), 1) << c.name;
        EXPECT_EQ(grid->CurrentBookmark(), Bookmark()) << c.name;
    }
}

TEST_F(DBGridRecordMoves, RecordIdentitiesAndCellsReadByRecord) {
    FillAndMark(30);
    Bind();
    Variant id, identity;
    Variant third = Mark(3);
    // Without record ids a DataRow is its own identity and has no id.
    grid->RecordIdOfDataRow(third, id);
    EXPECT_TRUE(id.IsEmpty());
    grid->GetRecordIdentity(third, identity);
    EXPECT_EQ(identity, third);
    // A record outside the window is read without moving the window.
    EXPECT_EQ(grid->ReadRecordCellValue(2, Mark(25)).AsString(), "N25");
    EXPECT_EQ(NameAt(1), "N1");
    EXPECT_EQ(CurrentId(), 1);
    EXPECT_TRUE(grid->ReadRecordCellValue(9, third).IsEmpty());
    // The current cell being edited shows what was typed, unless the
    // fields are being read again.
    ASSERT_TRUE(grid->MoveToDisplayCell(2, 1));
    ASSERT_TRUE(grid->EditCurrentCell("typed"));
    Variant current = grid->GetCurrentDataRow();
    EXPECT_EQ(grid->GetCellValue(2, current).AsString(), "typed");
    grid->LockFieldReRead(false);
    EXPECT_EQ(grid->GetCellValue(2, current).AsString(), "N1");
    grid->LockFieldReRead(true);
    EXPECT_EQ(grid->GetCellValue(2, current).AsString(), "typed");
    grid->UndoEdit();
    // With record ids a DataRow is the id; the empty one has a Null id.
    grid->SetOnGetRecordID(
        [this](TObject*, const Variant&, Variant& recordId) { recordId = table->FieldByName("Score")->AsVariant(); });
    grid->SetUseRecordIds(true);
    grid->RecordIdOfDataRow(Variant(97), id);
    EXPECT_EQ(id, Variant(97));
    grid->RecordIdOfDataRow(Variant(std::string()), id);
    EXPECT_TRUE(id.IsNull());
    EXPECT_EQ(grid->GetCurrentRecordIdentity(), Variant(99));
    EXPECT_EQ(grid->ReadRecordCellValue(2, Variant(75)).AsString(), "N25");
}

// A field of the current column changed elsewhere while its editor is
// shown (nothing typed): the editor takes the new value.
TEST_F(DBGridRecordMoves, AnEditorShownOverAFieldChangedElsewhereFollowsIt) {
    FillAndMark(5);
    Bind();
    grid->SetAlwaysShowEditor(true);
    grid->SetFocus();
    ASSERT_TRUE(grid->MoveToDisplayCell(2, 1));
    grid->SetEditMode(true, true, 0);
    ASSERT_TRUE(grid->IsEditMode());
    ASSERT_FALSE(grid->IsCellEditPending());
    TgrGridEditBox* editor = grid->EditControl()->EditBox();
    ASSERT_EQ(grid->CurrentCell()->GetValue().AsString(), "N1");
    table->Edit();
    table->FieldByName("Name")->SetAsString("Changed");
    EXPECT_EQ(editor->Text(), "Changed");
    EXPECT_EQ(grid->GetCellValue(2, Mark(1)).AsString(), "Changed");
    // Another column's field leaves the editor alone.
    table->FieldByName("Score")->SetAsInteger(5);
    EXPECT_EQ(editor->Text(), "Changed");
    // A cleared field shows as empty text.
    table->FieldByName("Name")->Clear();
    EXPECT_EQ(editor->Text(), "");
    table->Cancel();
}

class DBGridSelectionRepaint : public DBGridFixture {
protected:
    void SetUp() override {
        DBGridFixture::SetUp();
        delete grid;
        paintGrid = new TPaintLogGrid(form);
        grid = paintGrid;
        grid->SetParent(form);
        grid->SetBounds(0, 0, 400, HeightForRows(5));
        Fill(30);
        Bind();
        grid->SetRowSelectMode(rsMulti);
    }
    void Select(int id, bool on) { grid->SetDataRowSelected(Variant(BookmarkOf(id)), on); }
    TPaintLogGrid* paintGrid = nullptr;
};

TEST_F(DBGridSelectionRepaint, OnlyRowsWhoseSelectionChangedSinceTheMarksArePainted) {
    Select(2, true);
    Select(4, true);
    grid->CacheSelectedRows(0);
    EXPECT_TRUE(grid->SelectedRowCached(2));
    EXPECT_FALSE(grid->SelectedRowCached(3));
    Select(2, false);
    Select(3, true);
    struct Case {
        const char* name;
        std::function<void()> repaint;
        std::string painted;
    } cases[] = {
        {"changed rows", [&] { grid->RepaintChangedSelection(1, grid->Rows()); }, "2- 3+"},
        {"rows now selected", [&] { grid->RepaintSelectionTo(1, grid->Rows(), true); }, "3+"},
        {"rows now unselected", [&] { grid->RepaintSelectionTo(1, grid->Rows(), false); }, "2-"},
        {"cached rows", [&] { grid->RepaintCachedSelection(1, grid->Rows()); }, "2- 4-"},
        {"cached rows in a range", [&] { grid->RepaintCachedSelection(3, 3); }, ""},
    };
    for (const Case& c : cases) {
        paintGrid->Painted.clear();
        c.repaint();
        EXPECT_EQ(paintGrid->Painted, c.painted) << c.name;
    }
    // With an offset the marks follow their records into the rows they
    // scroll to; a record scrolling out of view keeps no mark.
    grid->CacheSelectedRows(1);
    EXPECT_TRUE(grid->SelectedRowCached(4));
    EXPECT_TRUE(grid->SelectedRowCached(5));
    EXPECT_FALSE(grid->SelectedRowCached(3));
    grid->CacheSelectedRows(-3);
    EXPECT_TRUE(grid->SelectedRowCached(1));
    EXPECT_FALSE(grid->SelectedRowCached(0));
}

}  // namespace

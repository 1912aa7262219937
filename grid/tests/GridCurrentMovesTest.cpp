// The current cell moved by presses and calls on a shown grid: a right
// press moves like a click but leaves the selection and the editor alone, a
// press on the current cell starts editing, read-only cells that are
// skipped keep the column, a refused row end keeps the cell; the data-cell
// move of a list box; the direct-drawing count, the paint lock's window
// redraw and the key dispatch a descendant can take over.

#include <gtest/gtest.h>

#include <QWidget>

#include "grid/tests/GridOnForm.h"

namespace {

class GridCurrentMoves : public TGridOnFormTest {
protected:
    void SetUp() override {
        ShowGrid(400, 200, 4, 6);
        grid->SetStoreData(true);
    }
    TShiftState Left() const {
        TShiftState s;
        s.Include(ssLeft);
        return s;
    }
    void Press(TMouseButton button, Integer col, Integer row) {
        TRect r = grid->CellPixels(col, row);
        TShiftState s;
        s.Include(button == mbLeft ? ssLeft : ssRight);
        grid->MouseDown(button, s, r.Left + 8, r.Top + 4);
        // The right button's release opens the context menu; only the left
        // one is released here.
        if (button == mbLeft) grid->MouseUp(button, {}, r.Left + 8, r.Top + 4);
    }
    TCellCoord_ts Current() const { return {grid->CurrentDisplayCol(), grid->CurrentDisplayRow()}; }
};

TEST_F(GridCurrentMoves, ARightPressMovesTheCurrentCellButNotOnTheSelection) {
    Press(mbRight, 3, 4);
    EXPECT_EQ(Current(), (TCellCoord_ts{3, 4}));
    EXPECT_FALSE(grid->IsCellEditing());
    // On the row bar the row changes in the current column, on a heading the
    // column in the current row.
    Press(mbRight, 0, 2);
    EXPECT_EQ(Current(), (TCellCoord_ts{3, 2}));
    Press(mbRight, 1, 0);
    EXPECT_EQ(Current(), (TCellCoord_ts{1, 2}));

    // A selected row stays selected and current cell stays where it is, so
    // that the menu acts on the selection.
    grid->SelectDisplayRows(5, 5);
    grid->SetGridStatus(gsRowsSelected);
    Press(mbRight, 2, 5);
    EXPECT_EQ(Current(), (TCellCoord_ts{1, 2}));
    EXPECT_TRUE(grid->IsDisplayRowSelected(5));
    // Elsewhere the press ends the selection like a click.
    Press(mbRight, 2, 3);
    EXPECT_EQ(Current(), (TCellCoord_ts{2, 3}));
    EXPECT_FALSE(grid->AnyRowSelected());
    EXPECT_EQ(grid->GridStatus(), gsNormal);
}

TEST_F(GridCurrentMoves, APressOnTheCurrentTextCellStartsEditingWithoutAlwaysShowEditor) {
    grid->SetAlwaysShowEditor(false);
    Press(mbLeft, 2, 3);
    EXPECT_EQ(Current(), (TCellCoord_ts{2, 3}));
    EXPECT_FALSE(grid->EditModeFlag());
    // The second press on it asks for the editor.
    Press(mbLeft, 2, 3);
    EXPECT_TRUE(grid->EditModeFlag());
    // Moving on ends edit mode with the cell; a right press asks for none.
    Press(mbLeft, 3, 3);
    EXPECT_FALSE(grid->EditModeFlag());
    Press(mbRight, 3, 3);
    EXPECT_FALSE(grid->EditModeFlag());
    // Nor does a read-only cell.
    grid->SetCellReadOnly(3, 3, roOn);
    Press(mbLeft, 3, 3);
    EXPECT_FALSE(grid->EditModeFlag());
}

TEST_F(GridCurrentMoves, APressOnASkippedReadOnlyColumnMovesOnlyTheRow) {
    grid->Col(2)->SetReadOnly(true);
    Press(mbLeft, 1, 1);
    Press(mbLeft, 2, 4);
    EXPECT_EQ(Current(), (TCellCoord_ts{1, 4}));
    // Without skipping, the column is entered.
    grid->SetSkipReadOnly(false);
    Press(mbLeft, 2, 5);
    EXPECT_EQ(Current(), (TCellCoord_ts{2, 5}));
}

TEST_F(GridCurrentMoves, APressElsewhereEndsTheEditsOrKeepsTheCellWhenRefused) {
    bool refuseRow = true;
    grid->OnEndRowEdit = [&](TObject*, Integer, bool& cancel) { cancel = refuseRow; };
    Press(mbLeft, 1, 1);
    Type('x');
    ASSERT_TRUE(grid->IsCellEditing());
    // Another row: the cell edit ends, the refused row edit keeps the cell.
    Press(mbLeft, 2, 4);
    EXPECT_EQ(Current(), (TCellCoord_ts{1, 1}));
    EXPECT_FALSE(grid->IsCellEditing());
    EXPECT_TRUE(grid->IsRowEditing());
    EXPECT_EQ(grid->GetCellValue(1, 1).AsString(), "x");
    // Another cell of the row is entered; the row edit goes on.
    Press(mbLeft, 3, 1);
    EXPECT_EQ(Current(), (TCellCoord_ts{3, 1}));
    EXPECT_TRUE(grid->IsRowEditing());
    refuseRow = false;
    Press(mbLeft, 2, 4);
    EXPECT_EQ(Current(), (TCellCoord_ts{2, 4}));
    EXPECT_FALSE(grid->IsRowEditing());
    EXPECT_TRUE(grid->IsRowChanged(1));
}

TEST_F(GridCurrentMoves, ADataCellMoveTakesTheListBoxSelectionAlongOnlyForRows) {
    grid->SetGridMode(gmListBox);
    grid->SetRowSelectMode(rsSingle);
    grid->MoveToDataCell(1, 2);
    grid->SyncListBoxSelection(false);
    ASSERT_TRUE(grid->IsDisplayRowSelected(2));
    // A column change alone keeps the row's selection.
    grid->MoveToDataCell(3, 2);
    EXPECT_EQ(Current(), (TCellCoord_ts{3, 2}));
    EXPECT_TRUE(grid->IsDisplayRowSelected(2));
    // Another row: the old row is deselected.
    grid->MoveToDataCell(3, 5);
    EXPECT_EQ(Current(), (TCellCoord_ts{3, 5}));
    EXPECT_FALSE(grid->AnyRowSelected());
    EXPECT_EQ(grid->PreviousCell(), (TCellCoord_ts{3, 2}));
}

TEST_F(GridCurrentMoves, DirectDrawingKeepsTheFocusIndicationOffAndNeverCountsBelowZero) {
    grid->SetGridMode(gmBrowse);
    ASSERT_TRUE(grid->NeedsFocusIndication(1, 1, false));
    grid->SetDirectDrawing(false);
    EXPECT_FALSE(grid->IsDirectDrawing());
    grid->SetDirectDrawing(true);
    grid->SetDirectDrawing(true);
    grid->SetDirectDrawing(false);
    EXPECT_TRUE(grid->IsDirectDrawing());
    EXPECT_FALSE(grid->NeedsFocusIndication(1, 1, false));
    grid->SetDirectDrawing(false);
    EXPECT_TRUE(grid->NeedsFocusIndication(1, 1, false));
    // A direct cell output counts as direct drawing while it runs.
    TRect r = grid->CellPixels(1, 1);
    ASSERT_TRUE(grid->BeginDirectCellPaint(r));
    EXPECT_TRUE(grid->IsDirectDrawing());
    grid->EndDirectCellPaint(r);
    EXPECT_FALSE(grid->IsDirectDrawing());
}

TEST_F(GridCurrentMoves, ThePaintLockStopsTheWindowsRedrawAndLocksNestFromZero) {
    QWidget* w = grid->Widget();
    grid->LockPaint(true);  // no lock held: stays unlocked
    EXPECT_TRUE(grid->IsPaintUnlocked());
    EXPECT_TRUE(w->updatesEnabled());
    grid->LockPaint(false);
    grid->LockPaint(false);
    EXPECT_FALSE(w->updatesEnabled());
    grid->LockPaint(true);
    EXPECT_FALSE(w->updatesEnabled());
    grid->LockPaint(true);
    EXPECT_TRUE(w->updatesEnabled());
    EXPECT_TRUE(grid->IsPaintUnlocked());

    // Layout suspension holds the update lock until the last one ends.
    grid->SuspendLayout(true);
    grid->SuspendLayout(true);
    EXPECT_FALSE(grid->IsUpdateUnlocked());
    grid->SuspendLayout(false);
    EXPECT_FALSE(grid->IsUpdateUnlocked());
    grid->SuspendLayout(false);
    EXPECT_TRUE(grid->IsUpdateUnlocked());
    EXPECT_FALSE(grid->IsLayoutSuspended());
}

// A descendant that takes the arrows over before the key table sees them.
class KeyTakingGrid : public TInputGrid {
public:
    using TInputGrid::TInputGrid;
    std::string Seen;

protected:
    void DoGridKeyDown(Word16& key, TShiftState shift) override {
        Seen += std::to_string(key) + ";";
        if (key == VK_DOWN) key = 0;
        else TInputGrid::DoGridKeyDown(key, shift);
    }
};

TEST(GridKeyDispatch, ADescendantsKeyDownDispatchRunsBeforeTheKeyTable) {
    Application->Initialize();
    TForm* form = new TForm(Application);
    form->SetBounds(0, 0, 500, 400);
    auto* grid = new KeyTakingGrid(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, 400, 200);
    form->Show();
    Word16 handlerSaw = 0;
    grid->OnKeyDown = [&](TObject*, Word16& key, TShiftState) { handlerSaw = key; };
    Word16 down = VK_DOWN, right = VK_RIGHT;
    grid->DoKeyDown(down, {});
    EXPECT_EQ(grid->CurrentDisplayRow(), 1);
    EXPECT_EQ(handlerSaw, 0);
    grid->DoKeyDown(right, {});
    EXPECT_EQ(grid->CurrentDisplayCol(), 2);
    EXPECT_EQ(handlerSaw, VK_RIGHT);
    EXPECT_EQ(grid->Seen, std::to_string(VK_DOWN) + ";" + std::to_string(VK_RIGHT) + ";");
    Application->ResetForTesting();
}

}  // namespace


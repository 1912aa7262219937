// Keys against the view and the selection on the real grid class: a
// current cell scrolled away comes back before the key acts, selected rows
// follow the current row, and without an edit mode or a focus indication
// the horizontal arrows scroll the view.

#include <gtest/gtest.h>

#include "grid/tests/GridOnForm.h"

namespace {

class GridKeyView : public TGridOnFormTest {
protected:
    void SetUp() override { ShowGrid(300, 200, 10, 40); }
    void Click(Integer col, Integer row) {
        TRect r = grid->CellPixels(col, row);
        grid->MouseDown(mbLeft, {}, r.Left + 2, r.Top + 2);
        grid->MouseUp(mbLeft, {}, r.Left + 2, r.Top + 2);
    }
    std::vector<Integer> SelectedRows() {
        std::vector<Integer> rows;
        for (Integer r = 1; r < grid->RowCount(); ++r)
            if (grid->IsDisplayRowSelected(r)) rows.push_back(r);
        return rows;
    }
};

TEST_F(GridKeyView, SelectedRowsFollowTheCurrentRow) {
    std::vector<TgrSelectType> fired;
    grid->OnSelectChanged = [&](TObject*, TgrSelectType t, bool byUser) {
        if (byUser) fired.push_back(t);
    };
    Click(0, 3);
    ASSERT_EQ(grid->GridStatus(), gsRowsSelected);
    fired.clear();
    Key(VK_DOWN);
    EXPECT_EQ(grid->CurrentDisplayRow(), 4);
    EXPECT_EQ(SelectedRows(), std::vector<Integer>{4});
    EXPECT_EQ(fired, std::vector<TgrSelectType>{stpRows});
    Key(VK_UP);
    Key(VK_UP);
    EXPECT_EQ(SelectedRows(), std::vector<Integer>{2});
    Key(VK_END, TShiftState{ssCtrl});
    EXPECT_EQ(grid->CurrentDisplayRow(), 40);
    EXPECT_EQ(SelectedRows(), std::vector<Integer>{40});
    EXPECT_EQ(grid->GridStatus(), gsRowsSelected);
}

TEST_F(GridKeyView, AListBoxSelectsTheRowTheKeysReachAndScrollsSideways) {
    grid->SetGridMode(gmListBox);
    grid->SetRowSelectMode(rsSingle);
    Key(VK_DOWN);
    Key(VK_DOWN);
    EXPECT_EQ(grid->CurrentDisplayRow(), 3);
    EXPECT_EQ(SelectedRows(), std::vector<Integer>{3});
    Integer left = grid->FirstScrollCol();
    Key(VK_RIGHT);
    EXPECT_EQ(grid->FirstScrollCol(), left + 1);
    Key(VK_LEFT);
    EXPECT_EQ(grid->FirstScrollCol(), left);
    // At the first scrolling column Left has nothing to scroll.
    Key(VK_LEFT);
    EXPECT_EQ(grid->FirstScrollCol(), left);
    EXPECT_EQ(SelectedRows(), std::vector<Integer>{3});
}

TEST_F(GridKeyView, BrowsingWithoutFocusScrollsColumnsWithTheArrows) {
    grid->SetGridMode(gmBrowse);
    grid->SetFocusBorder(fbNone);
    ASSERT_FALSE(grid->ShowsFocus());
    Key(VK_LEFT);
    EXPECT_EQ(grid->FirstScrollCol(), 1);
    EXPECT_EQ(grid->CurrentDisplayCol(), 1);
    Key(VK_RIGHT);
    EXPECT_EQ(grid->FirstScrollCol(), 2);
    EXPECT_EQ(grid->CurrentDisplayCol(), 2);
    // With a focus frame the arrows move the current cell instead.
    grid->SetFocusBorder(fbDot);
    Key(VK_RIGHT);
    EXPECT_EQ(grid->CurrentDisplayCol(), 3);
    EXPECT_EQ(grid->FirstScrollCol(), 2);
}

TEST_F(GridKeyView, ACurrentCellOutOfViewComesBackBeforeTheKeyActs) {
    grid->ChangeCurrentCell(2, 5);
    grid->SetTopLeft(1, 25);
    ASSERT_FALSE(grid->CurrentCellInView());
    // Esc only brings it back.
    Key(VK_ESCAPE);
    EXPECT_TRUE(grid->CurrentCellInView());
    EXPECT_EQ(grid->CurrentDisplayRow(), 5);
    EXPECT_EQ(grid->CurrentDisplayCol(), 2);

    grid->SetTopLeft(1, 25);
    Key(VK_DOWN);
    EXPECT_EQ(grid->CurrentDisplayRow(), 6);
    EXPECT_TRUE(grid->CurrentCellInView());
    EXPECT_LE(grid->TopRow(), 6);
}

TEST_F(GridKeyView, PagesMoveTheRowAndTheViewTogether) {
    Integer page = grid->GetVisibleRowCount();
    ASSERT_GT(page, 3);
    grid->ChangeCurrentCell(1, 3);
    Key(VK_NEXT);
    EXPECT_EQ(grid->CurrentDisplayRow(), 3 + page);
    EXPECT_EQ(grid->TopRow(), 1 + page);  // the row keeps its place in the view
    Key(VK_NEXT);
    EXPECT_EQ(grid->CurrentDisplayRow(), 3 + 2 * page);
    EXPECT_TRUE(grid->CurrentCellInView());
    // Near the end the last rows fill the view and the row stops at the last.
    for (int i = 0; i < 10; ++i) Key(VK_NEXT);
    EXPECT_EQ(grid->CurrentDisplayRow(), 40);
    EXPECT_EQ(grid->TopRow() + grid->GetVisibleRowCount() - 1, 40);
    Integer top = grid->TopRow();
    Key(VK_PRIOR);
    EXPECT_EQ(grid->CurrentDisplayRow(), 40 - page);
    EXPECT_EQ(grid->TopRow(), top - page);
    for (int i = 0; i < 10; ++i) Key(VK_PRIOR);
    EXPECT_EQ(grid->CurrentDisplayRow(), 1);
    EXPECT_EQ(grid->TopRow(), 1);
}

TEST_F(GridKeyView, EscLeavesTheInsertRowWhenNothingIsLeftToUndo) {
    grid->SetRows(5);
    grid->SetGridMode(gmEditInsert);
    Key(VK_END, TShiftState{ssCtrl});
    ASSERT_TRUE(grid->IsInsertRowPos(grid->CurrentDisplayRow()));
    ASSERT_EQ(grid->Rows(), 6);  // the provisional row
    Key(VK_ESCAPE);
    EXPECT_EQ(grid->CurrentDisplayRow(), 5);
    EXPECT_EQ(grid->Rows(), 5);
    // On a data row Esc with nothing to undo changes nothing.
    Key(VK_ESCAPE);
    EXPECT_EQ(grid->CurrentDisplayRow(), 5);
}

}  // namespace

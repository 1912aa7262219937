// The key table of the real grid class: which shift states a key case
// takes, Tab and Enter at the row's and the grid's end, the Ctrl corner
// moves with the view they leave, F2 on a read-only cell, and the heading
// accelerators.

#include <gtest/gtest.h>

#include "grid/tests/GridOnForm.h"

namespace {

class GridKeyTable : public TGridOnFormTest {
protected:
    void SetUp() override { ShowGrid(300, 200, 10, 40); }
    TgrCol* Col(Integer dataCol) { return grid->GetCol(Variant(dataCol)); }
};

TEST_F(GridKeyTable, TabAtTheEndOfARowWrapsOnlyWithTabRowWrap) {
    struct Case {
        bool wrap;
        Word16 key;
        TShiftState shift;
        Integer col, row;
    } cases[] = {
        {false, VK_TAB, {}, 10, 3},                  // stays in its row
        {true, VK_TAB, {}, 1, 4},                    // first cell of the next row
        {true, VK_TAB, TShiftState{ssCtrl, ssShift}, 10, 3},  // no case for Ctrl+Shift+Tab
        {true, VK_RIGHT, {}, 1, 4},
    };
    for (const Case& c : cases) {
        grid->SetTabRowWrap(c.wrap);
        grid->ChangeCurrentCell(10, 3);
        Key(c.key, c.shift);
        EXPECT_EQ(grid->CurrentDisplayCol(), c.col) << c.wrap << " key " << c.key;
        EXPECT_EQ(grid->CurrentDisplayRow(), c.row) << c.wrap << " key " << c.key;
        EXPECT_TRUE(grid->CurrentCellInView());
    }
    // Shift+Tab from the first cell of a row goes back to the previous row.
    grid->ChangeCurrentCell(1, 4);
    Key(VK_TAB, TShiftState{ssShift});
    EXPECT_EQ(grid->CurrentDisplayCol(), 10);
    EXPECT_EQ(grid->CurrentDisplayRow(), 3);
}

TEST_F(GridKeyTable, EnterOnTheLastCellStoresAndStays) {
    grid->SetStoreData(true);
    grid->ChangeCurrentCell(10, 40);
    Type('x');
    ASSERT_TRUE(grid->IsCellEditing());
    Key(VK_RETURN);
    EXPECT_FALSE(grid->IsCellEditing());
    EXPECT_EQ(grid->GetCellValue(10, 40).AsString(), "x");
    EXPECT_EQ(grid->CurrentDisplayCol(), 10);
    EXPECT_EQ(grid->CurrentDisplayRow(), 40);
}

TEST_F(GridKeyTable, CtrlMovesReachTheCornersAndShowThem) {
    struct Case {
        Word16 key;
        Integer col, row;
    } cases[] = {
        {VK_END, 10, 40}, {VK_LEFT, 1, 40}, {VK_UP, 1, 1}, {VK_RIGHT, 10, 1}, {VK_DOWN, 10, 40}, {VK_HOME, 1, 1},
    };
    for (const Case& c : cases) {
        Key(c.key, TShiftState{ssCtrl});
        EXPECT_EQ(grid->CurrentDisplayCol(), c.col) << c.key;
        EXPECT_EQ(grid->CurrentDisplayRow(), c.row) << c.key;
        EXPECT_TRUE(grid->CurrentCellInView()) << c.key;
    }
    // The last row comes in as the lowest whole row, the last column as the
    // rightmost: the view does not scroll past them.
    Key(VK_END, TShiftState{ssCtrl});
    EXPECT_EQ(grid->TopRow() + grid->GetVisibleRowCount() - 1, 40);
    EXPECT_EQ(grid->LastVisibleCol(), 10);
    Integer top = 0;
    grid->CalcTopRowToShowBottom(40, top);
    EXPECT_EQ(top, grid->TopRow());
}

TEST_F(GridKeyTable, F2OnAReadOnlyCellDoesNotStartEditing) {
    grid->SetAlwaysShowEditor(false);
    Col(2)->SetReadOnly(true);
    grid->SetSkipReadOnly(false);
    grid->ChangeCurrentCell(2, 1);
    Key(VK_F2);
    EXPECT_FALSE(grid->IsEditing());
    grid->ChangeCurrentCell(3, 1);
    Key(VK_F2);
    EXPECT_TRUE(grid->IsEditing());
    // Esc ends the edit mode the key started.
    Key(VK_ESCAPE);
    EXPECT_FALSE(grid->IsEditing());
}

TEST_F(GridKeyTable, HeadingAcceleratorsFindTheirColumn) {
    Col(1)->SetHeading("&Name");
    Col(2)->SetHeading("A&&B");  // a literal ampersand, no accelerator
    Col(3)->SetHeading("S&core");
    EXPECT_EQ(grid->FindHeadingAccelerator('n'), 1);
    EXPECT_EQ(grid->FindHeadingAccelerator('C'), 3);
    EXPECT_EQ(grid->FindHeadingAccelerator('b'), 0);
    EXPECT_EQ(grid->FindHeadingAccelerator('&'), 0);
    // Moving the column keeps its accelerator with it.
    grid->MoveCol(3, 1);
    EXPECT_EQ(grid->FindHeadingAccelerator('c'), 3);
}

}  // namespace

// The grid class and its grid base keep one current cell: keys and clicks
// handled by the base, and calls on the grid class, all move the same one.

#include <gtest/gtest.h>

#include "grid/TSGrid.h"
#include "grid/tests/GridClassSupport.h"
#include "platform/gui/Forms.h"

namespace {

class KeyGrid : public TLogGrid {
public:
    using TLogGrid::TLogGrid;
    using TCustomGrid_ts::DoKeyDown;
    using TCustomGrid_ts::MouseDown;
    using TCustomGrid_ts::MouseUp;
};

class GridOneCurrentCell : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        form = new TForm(Application);
        form->SetBounds(0, 0, 500, 400);
        grid = new KeyGrid(form);
        grid->SetParent(form);
        grid->SetBounds(0, 0, 400, 200);
        grid->SetCols(5);
        grid->SetRows(20);
        form->Show();
        grid->SetFocus();
    }
    void TearDown() override { Application->ResetForTesting(); }
    void Key(Word16 k, TShiftState s = {}) { grid->DoKeyDown(k, s); }
    TForm* form = nullptr;
    KeyGrid* grid = nullptr;
};

TEST_F(GridOneCurrentCell, KeysClicksAndCallsMoveTheSameCell) {
    Key(VK_DOWN);
    Key(VK_RIGHT);
    EXPECT_EQ(grid->CurrentDisplayCol(), 2);
    EXPECT_EQ(grid->CurrentDisplayRow(), 2);
    EXPECT_EQ(grid->CurrentDataCol(), 2);
    EXPECT_EQ(grid->CurrentDataRow(), 2);

    // A call on the grid class is seen by the base (and moves its anchor).
    grid->ChangeCurrentCell(4, 5);
    EXPECT_EQ(grid->TCustomGrid_ts::CurrentCell(), (TCellCoord_ts{4, 5}));
    EXPECT_EQ(grid->AnchorCell(), (TCellCoord_ts{4, 5}));
    Key(VK_UP);
    EXPECT_EQ(grid->CurrentDisplayRow(), 4);
    EXPECT_EQ(grid->CurrentDataRow(), 4);

    // A click on cell (3, 2): the base finds the cell, the class follows.
    TRect r = grid->CellPixels(3, 2);
    grid->MouseDown(mbLeft, {}, r.Left + 2, r.Top + 2);
    grid->MouseUp(mbLeft, {}, r.Left + 2, r.Top + 2);
    EXPECT_EQ(grid->CurrentDisplayCol(), 3);
    EXPECT_EQ(grid->CurrentDataRow(), 2);
}

TEST_F(GridOneCurrentCell, DataNumbersFollowAMovedColumnAndFireColChanged) {
    std::vector<std::pair<Integer, Integer>> changes;
    grid->OnColChanged = [&](TObject*, Integer o, Integer n) { changes.push_back({o, n}); };
    Key(VK_RIGHT);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0], (std::pair<Integer, Integer>{1, 2}));
    // Data column 2 moves to display 4: the current cell goes with it.
    grid->Col(2)->SetDisplayCol(4);
    EXPECT_EQ(grid->CurrentDisplayCol(), 4);
    EXPECT_EQ(grid->CurrentDataCol(), 2);
    Key(VK_LEFT);
    EXPECT_EQ(grid->CurrentDisplayCol(), 3);
    EXPECT_EQ(grid->CurrentDataCol(), 4);
}

}  // namespace

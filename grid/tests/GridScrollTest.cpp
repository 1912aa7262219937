#include <gtest/gtest.h>

#include "grid/Grids_ts.h"
#include "platform/gui/Forms.h"

namespace {

class TScrollGrid : public TCustomGrid_ts {
public:
    explicit TScrollGrid(TComponent* owner) : TCustomGrid_ts(owner) {}
    int clicks = 0;
    std::vector<TCellCoord_ts> refused;
    void Click() override { ++clicks; }
    bool CanSelectCell(Integer col, Integer row) override {
        for (auto& c : refused)
            if (c.Col == col && c.Row == row) return false;
        return true;
    }

protected:
    void PaintCell(Integer, Integer, const TRect&, TGridDrawState_ts) override {}
};

// A grid of 5 x 5 cells of 64 x 24 pixels (one fixed column and row) on a
// shown form; the grid's window is 200 x 100 pixels.
class GridScroll : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        form = new TForm(Application);
        form->SetBounds(0, 0, 400, 300);
        grid = new TScrollGrid(form);
        grid->SetParent(form);
        grid->SetBounds(0, 0, 200, 100);
        form->Show();
        grid->SyncScrollRange();
        grid->Update();
    }
    void TearDown() override { Application->ResetForTesting(); }
    TCellCoord_ts TL() { return grid->TopLeftCell(); }
    TForm* form = nullptr;
    TScrollGrid* grid = nullptr;
};

}  // namespace

TEST(GridScrollHelpers, MulDivRoundsToNearestAndAnswersMinusOneForZero) {
    struct Case {
        Integer a, b, c, result;
    } cases[] = {{1, 127, 3, 42}, {2, 127, 3, 85}, {1, 127, 2, 64}, {-1, 127, 2, -64}, {3, 127, 3, 127}, {5, 127, 0, -1}};
    for (auto& k : cases) EXPECT_EQ(MulDiv(k.a, k.b, k.c), k.result) << k.a << "*" << k.b << "/" << k.c;
}

TEST(GridScrollHelpers, SelectionDifferenceCoversExactlyOneOfTheTwoRectangles) {
    struct Case {
        TRect a, b;
    } cases[] = {
        {{0, 0, 10, 10}, {20, 20, 30, 30}},  // apart
        {{0, 0, 10, 10}, {5, 5, 15, 15}},    // corners overlap
        {{0, 5, 15, 10}, {5, 0, 10, 15}},    // a cross
        {{0, 0, 10, 10}, {0, 0, 10, 20}},    // one grows downwards
        {{0, 0, 10, 10}, {0, 0, 10, 10}},    // unchanged
    };
    for (auto& k : cases) {
        TRect out[4];
        int n = SelectionDifferenceRects(k.a, k.b, out);
        for (int y = -1; y < 32; ++y)
            for (int x = -1; x < 32; ++x) {
                TPoint p(x, y);
                int covered = 0;
                for (int i = 0; i < n; ++i) covered += out[i].Contains(p);
                bool wanted = k.a.Contains(p) != k.b.Contains(p);
                ASSERT_EQ(covered, wanted ? 1 : 0) << "point " << x << "," << y;
            }
    }
}

TEST_F(GridScroll, CurrentCellAnchorAndRowSelection) {
    grid->MoveCurrentCell(3, 2, true, true);
    EXPECT_EQ(grid->CurrentCell(), (TCellCoord_ts{3, 2}));
    EXPECT_EQ(grid->AnchorCell(), (TCellCoord_ts{3, 2}));
    // Range selection: the anchor stays when asked to.
    grid->MoveCurrentCell(1, 1, true, false);
    EXPECT_EQ(grid->SelectionRange(), (TCellRange_ts{1, 1, 3, 2}));
    // A refused cell is not made current.
    grid->refused.push_back({4, 4});
    grid->MoveCurrentCell(4, 4, true, true);
    EXPECT_EQ(grid->CurrentCell(), (TCellCoord_ts{1, 1}));
    EXPECT_THROW(grid->MoveCurrentCell(5, 1, true, true), EInvalidGridOperation);
    // Row selection: the whole row is the selection.
    grid->SetGridOptions(grid->GridOptions() | gxRowSelect);
    grid->MoveCurrentCell(3, 2, true, true);
    EXPECT_EQ(grid->CurrentCell(), (TCellCoord_ts{1, 2}));
    EXPECT_EQ(grid->AnchorCell(), (TCellCoord_ts{4, 2}));
    // FocusCellAt also clicks.
    grid->FocusCellAt(2, 3, true);
    EXPECT_EQ(grid->clicks, 1);
    EXPECT_EQ(grid->CurrentCell(), (TCellCoord_ts{1, 3}));
}

TEST_F(GridScroll, ExtendAnchorExtendsOnlyWithRangeSelectAndWithoutEditing) {
    grid->ExtendAnchor({3, 3});
    EXPECT_EQ(grid->CurrentCell(), (TCellCoord_ts{1, 1}));
    EXPECT_EQ(grid->AnchorCell(), (TCellCoord_ts{3, 3}));
    grid->SetGridOptions(grid->GridOptions() | gxEditing);
    grid->ExtendAnchor({2, 2});
    EXPECT_EQ(grid->CurrentCell(), (TCellCoord_ts{2, 2}));
    EXPECT_EQ(grid->AnchorCell(), (TCellCoord_ts{2, 2}));
    // Auto-extension while dragging past the cells.
    grid->SetGridOptions(grid->GridOptions() & ~gxEditing);
    grid->AutoExtendSelection(2 | 8);
    EXPECT_EQ(grid->AnchorCell(), (TCellCoord_ts{3, 3}));
    grid->AutoExtendSelection(1 | 4);
    grid->AutoExtendSelection(1 | 4);
    grid->AutoExtendSelection(1 | 4);
    EXPECT_EQ(grid->AnchorCell(), (TCellCoord_ts{1, 1}));
}

TEST_F(GridScroll, MovingTheCurrentCellRepaintsOnlyWhatChanged) {
    grid->Update();
    grid->MoveCurrentCell(1, 2, true, true);
    // The old and the new cell (with their trailing lines), nothing else.
    EXPECT_EQ(grid->InvalidBounds(), TRect(65, 25, 130, 75));
    EXPECT_FALSE(grid->IsInvalid(10, 30));
    EXPECT_FALSE(grid->IsInvalid(140, 30));
    grid->Update();
    // Growing the selection upwards repaints only the new row's part.
    grid->ExtendAnchor({1, 1});
    EXPECT_EQ(grid->InvalidBounds(), TRect(65, 25, 130, 50));
}

TEST_F(GridScroll, ScrollBarsAreRangedWhenTheGridCanScroll) {
    int min, max;
    grid->GetScrollRange(TCustomControl::sbVertical, min, max);
    EXPECT_EQ(max, 127);
    EXPECT_TRUE(grid->ScrollBarShown(TCustomControl::sbHorizontal));
    EXPECT_EQ(grid->GetScrollPos(TCustomControl::sbVertical), 0);
    // Everything fits: the bars disappear.
    grid->SetBounds(0, 0, 400, 200);
    EXPECT_FALSE(grid->ScrollBarShown(TCustomControl::sbHorizontal));
    EXPECT_FALSE(grid->ScrollBarShown(TCustomControl::sbVertical));
    EXPECT_EQ(grid->ClientWidth(), 400);
}

TEST_F(GridScroll, ScrollRequestsMoveTheTopLeftCell) {
    grid->SetRowTotal(20);
    grid->SyncScrollRange();
    // Client 183 x 83: rows 1 and 2 are shown whole below the fixed row.
    struct Case {
        Integer code, thumb, expectedRow;
    } cases[] = {
        {1, 0, 2}, {1, 0, 3}, {0, 0, 2}, {3, 0, 3}, {2, 0, 2}, {7, 0, 18}, {6, 0, 1},
        {5, 127, 1},  // thumb dragged without tracking: nothing
        {4, 127, 18}, {4, 64, 10},
    };
    for (auto& k : cases) {
        grid->HandleScroll(false, k.code, k.thumb, true);
        EXPECT_EQ(TL().Row, k.expectedRow) << "code " << k.code;
    }
    EXPECT_EQ(grid->GetScrollPos(TCustomControl::sbVertical), MulDiv(10 - 1, 127, 18 - 1));
    grid->SetGridOptions(grid->GridOptions() | gxThumbTracking);
    grid->HandleScroll(false, 5, 0, true);
    EXPECT_EQ(TL().Row, 1);
}

TEST_F(GridScroll, LineDownPassesOverHiddenRows) {
    grid->SetRowTotal(20);
    grid->SetRowHeightAt(2, 0);
    grid->SetRowHeightAt(3, 0);
    grid->HandleScroll(false, 1, 0, true);
    EXPECT_EQ(TL().Row, 4);
}

TEST_F(GridScroll, SmallMovesScrollPixelsAndJumpsRepaintEverything) {
    grid->SetRowTotal(20);
    grid->SyncScrollRange();
    grid->Update();
    grid->SetTopRow(2);
    // One row: the rows below the fixed row move up and only the strip at
    // the bottom is repainted.
    EXPECT_FALSE(grid->IsInvalid(10, 10));
    EXPECT_FALSE(grid->IsInvalid(10, 30));
    EXPECT_TRUE(grid->IsInvalid(10, 80));
    grid->Update();
    grid->SetTopRow(15);
    EXPECT_TRUE(grid->IsInvalid(10, 10));
    EXPECT_TRUE(grid->IsInvalid(10, 30));
}

TEST_F(GridScroll, ScrollingACellIntoView) {
    grid->SetColTotal(10);
    grid->SetRowTotal(10);
    grid->MoveCurrentCell(8, 9, true, true);
    // One column fits in 183 - 65 pixels, rows 8 and 9 in 83 - 25.
    EXPECT_EQ(TL(), (TCellCoord_ts{8, 8}));
    grid->MoveCurrentCell(2, 3, true, true);
    EXPECT_EQ(TL(), (TCellCoord_ts{2, 3}));
}

TEST_F(GridScroll, ShrinkingTheClientMovesTheTopLeftCellBack) {
    grid->SetRowTotal(10);
    grid->SetTopRow(8);
    EXPECT_EQ(TL().Row, 8);
    grid->SetBounds(0, 0, 200, 200);  // more room: rows 4..9 fit below row 0
    EXPECT_EQ(TL().Row, 4);
}

TEST_F(GridScroll, OneColumnGridScrollsByPixels) {
    grid->SetFixedColTotal(0);
    grid->SetColTotal(1);
    grid->SetColWidthAt(0, 500);
    grid->SyncScrollRange();
    Integer room = grid->ClientWidth();
    int min, max;
    grid->GetScrollRange(TCustomControl::sbHorizontal, min, max);
    EXPECT_EQ(max, 500 - room);
    TCanvas measure;
    measure.Font()->Assign(*grid->Font());
    Integer zero = measure.TextWidth("0");
    struct Case {
        Integer code, offset;
    } cases[] = {{1, zero}, {1, 2 * zero}, {0, zero}, {3, zero + room}, {7, 500 - room}, {1, 500 - room}, {6, 0},
                 {0, 0}, {4, 100}};
    for (auto& k : cases) {
        grid->HandleScroll(true, k.code, 100, true);
        EXPECT_EQ(grid->PixelScrollOffset(), k.offset) << "code " << k.code;
    }
    EXPECT_EQ(grid->GetScrollPos(TCustomControl::sbHorizontal), 100);
}

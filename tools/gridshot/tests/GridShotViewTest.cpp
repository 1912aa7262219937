// The shown part of the view as the data-aware grid asks for it: whole
// columns and rows from the top-left cell, the exact row count, whether the
// current cell is shown, and the left column that brings a column in.

#include <gtest/gtest.h>

#include "tools/gridshot/GridShot.h"

namespace {

// 200 x 100 pixels: row bar 14, columns 64 wide, the heading 15 and rows
// 14 high (the grid lines lie inside the cells), so two whole columns and
// six whole rows fit, with part of a seventh row.
const char* kSmall = R"({"width":200,"height":100,"grid":{"Cols":6,"Rows":12,"ScrollBars":"ssNone"}})";

TEST(GridShotView, ShownColumnsAndRowsFollowTheTopLeftCell) {
    TGridShot shot;
    shot.Run(kSmall);
    TgrShotGrid* g = shot.Grid();
    Integer cols = g->GetVisibleColCount(), rows = g->GetVisibleRowCount();
    EXPECT_EQ(cols, (g->ClientWidth() - 14) / 64);
    EXPECT_EQ(rows, (g->ClientHeight() - 15) / 14);
    double exact = g->GetVisibleRowsExact();
    EXPECT_GE(exact, double(rows));
    EXPECT_LT(exact, double(rows + 1));
    EXPECT_TRUE(g->IsCurrentCellVisible());
    g->SetTopRow(8);
    EXPECT_FALSE(g->IsCurrentCellVisible());
    // Past the last page the view stops where row 12 is at the bottom.
    EXPECT_EQ(g->TopRow(), std::min<Integer>(8, 12 - rows + 1));
    EXPECT_EQ(g->GetVisibleRowCount(), rows);
    EXPECT_TRUE(g->IsCellVisibleOnScreen(1, 8));
    EXPECT_FALSE(g->IsCellVisibleOnScreen(1, 2));
}

TEST(GridShotView, TheLeftColumnToShowAColumn) {
    TGridShot shot;
    shot.Run(kSmall);
    TgrShotGrid* g = shot.Grid();
    Integer shown = g->GetVisibleColCount();
    ASSERT_GE(shown, 1);
    struct Case {
        const char* what;
        Integer left, col, mode, expected;
    } cases[] = {
        {"already shown", 1, 1, 0, 1},
        {"left of the view becomes the first", 4, 2, 0, 2},
        {"right of the view comes in from the right", 1, 6, 0, 6 - shown + 1},
        {"placed at the right edge", 4, 5, 2, 5 - shown + 1},
    };
    for (const Case& c : cases) EXPECT_EQ(g->CalcLeftColToShow(c.left, c.col, c.mode), c.expected) << c.what;
}

}  // namespace

// Scroll-bar positions hold 16 bits: past 32,767 scrolling rows the rows
// are scaled into 0..32767 and back, and the thumb reaches every part.
TEST(GridShotView, ManyRowsScaleIntoTheScrollRange) {
    TGridShot shot;
    shot.Run(R"({"width":300,"height":200,"grid":{"Cols":3,"Rows":100000}})");
    TgrShotGrid* g = shot.Grid();
    int lo = 0, hi = 0;
    g->GetScrollRange(TCustomControl::sbVertical, lo, hi);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 32767);
    Integer fixed = g->FixedRowTotal();
    constexpr Integer t = ScrollBarThickness;
    // So many rows give the thumb its least length.
    constexpr Integer thumb = 8;
    Integer x = g->ClientWidth() + t / 2, room = g->ClientHeight() - 2 * t - thumb;
    Integer steps = 1;
    auto drag = [&](Integer from, Integer to) {
        g->MouseDown(mbLeft, TShiftState{ssLeft}, x, t + from + thumb / 2);
        g->MouseMove(TShiftState{ssLeft}, x, t + to + thumb / 2);
        g->MouseUp(mbLeft, {}, x, t + to + thumb / 2);
    };
    // The thumb dragged to the end shows the last row.
    drag(0, room + 20);
    Integer lastTop = g->TopRow();
    steps = lastTop - fixed;
    ASSERT_GT(steps, 32767);
    EXPECT_TRUE(g->IsCellVisibleOnScreen(1, g->RowTotal() - 1));
    EXPECT_EQ(g->GetScrollPos(TCustomControl::sbVertical), 32767);
    // Back to the start, then to the middle: the middle rows.
    drag(room, 0);
    EXPECT_EQ(g->TopRow(), fixed);
    EXPECT_EQ(g->GetScrollPos(TCustomControl::sbVertical), 0);
    drag(0, room / 2);
    EXPECT_NEAR(g->TopRow(), fixed + Int64(steps) * (room / 2) / room, steps / room + 1);

    // Positions map proportionally and back within one scaled step.
    struct Case {
        Integer top, pos;
    } cases[] = {{fixed, 0}, {lastTop, 32767}, {fixed + steps / 2, 16384}, {fixed + steps / 4, 8192}};
    for (const Case& c : cases) {
        g->SetTopRow(c.top);
        Integer pos = g->GetScrollPos(TCustomControl::sbVertical);
        EXPECT_NEAR(pos, c.pos, 1) << c.top;
        EXPECT_NEAR(g->VertScrollTarget(scThumbPosition, pos), c.top, steps / 32767 + 1) << c.top;
    }
    EXPECT_EQ(g->VertScrollTarget(scThumbPosition, 32767), lastTop);
}

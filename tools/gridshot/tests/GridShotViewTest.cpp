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
    EXPECT_EQ(g->GetVisibleRowCount(), std::min<Integer>(rows, 12 - 8 + 1));
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

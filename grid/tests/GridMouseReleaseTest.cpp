// The release of a mouse button on the real grid class: a release handler
// that meets the grid's index error (its counts changed under the click)
// is let go, any other error reaches the caller, also one that merely
// carries the same text.

#include <gtest/gtest.h>

#include "grid/TSGrid.h"
#include "grid/tests/GridClassSupport.h"

namespace {

class TReleaseGrid : public TLogGrid {
public:
    using TLogGrid::TLogGrid;
    using TgrBaseGrid::MouseUp;
};

TEST(GridMouseRelease, OnlyTheGridIndexErrorIsLetGoByItsCode) {
    EnsureGuiApplication();
    TReleaseGrid grid(nullptr);
    grid.SetCols(3);
    grid.SetRows(3);
    grid.OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { grid.SetColWidthAt(99, 10); };
    EXPECT_NO_THROW(grid.MouseUp(mbLeft, {}, 5, 5));

    grid.OnMouseUp = [](TObject*, TMouseButton, TShiftState, int, int) {
        throw EInvalidGridOperation("Grid index out of range");
    };
    EXPECT_THROW(grid.MouseUp(mbLeft, {}, 5, 5), EInvalidGridOperation) << "the same text without the code";

    grid.OnMouseUp = [](TObject*, TMouseButton, TShiftState, int, int) { throw Exception("disk full"); };
    EXPECT_THROW(grid.MouseUp(mbLeft, {}, 5, 5), Exception);
}

}  // namespace

// Grid lines on the real grid class's painted picture: lines around a 3D
// cell are grey even where GridLines draws none, and the line below the
// last fixed data row and right of the last fixed data column takes
// FixedLineColor while that is set.

#include <gtest/gtest.h>

#include "grid/tests/GridOnForm.h"

namespace {

class GridLinePaint : public TGridOnFormTest {
protected:
    void SetUp() override {
        ShowGrid(400, 200, 4, 6);
        grid->SetColor(clWhite);
    }
    QRgb At(int x, int y) {
        grid->Invalidate();
        grid->Update();
        return grid->Surface().pixel(x, y) & 0xFFFFFF;
    }
    // The last pixel column (row) of a display cell: where its right
    // (bottom) grid line lies.
    int RightEdge(Integer col, Integer row) { return grid->CellPixels(col, row).Right - 1; }
    int BottomEdge(Integer col, Integer row) { return grid->CellPixels(col, row).Bottom - 1; }
    int MidX(Integer col, Integer row) {
        TRect r = grid->CellPixels(col, row);
        return (r.Left + r.Right) / 2;
    }
    int MidY(Integer col, Integer row) {
        TRect r = grid->CellPixels(col, row);
        return (r.Top + r.Bottom) / 2;
    }
};

TEST_F(GridLinePaint, ThreeDCellsKeepGreyLinesWithoutGridLines) {
    grid->SetGridLines(glNone);
    grid->Col(2)->SetIs3D(true);
    EXPECT_EQ(At(RightEdge(2, 3), MidY(2, 3)), 0x808080u);
    EXPECT_EQ(At(MidX(2, 3), BottomEdge(2, 3)), 0x808080u);
    // A plain cell next to it shows no line.
    EXPECT_EQ(At(RightEdge(3, 3), MidY(3, 3)), 0xFFFFFFu);
    EXPECT_EQ(At(MidX(3, 3), BottomEdge(3, 3)), 0xFFFFFFu);
}

TEST_F(GridLinePaint, TheLastFixedRowAndColumnTakeTheFixedLineColour) {
    grid->SetLineColor(TColor(0x00FF00));
    grid->SetFixedColCount(1);
    grid->SetFixedRowCount(1);
    grid->SetFixedLineColor(TColor(0x0000FF));  // red
    EXPECT_EQ(At(RightEdge(1, 3), MidY(1, 3)), 0xFF0000u);
    EXPECT_EQ(At(MidX(2, 1), BottomEdge(2, 1)), 0xFF0000u);
    // Other lines keep LineColor.
    EXPECT_EQ(At(RightEdge(2, 3), MidY(2, 3)), 0x00FF00u);
    EXPECT_EQ(At(MidX(2, 2), BottomEdge(2, 2)), 0x00FF00u);
    // Not set: the ordinary colour.
    grid->SetFixedLineColor(grColorNotSet);
    EXPECT_EQ(At(RightEdge(1, 3), MidY(1, 3)), 0x00FF00u);
    // Only where GridLines draws that direction.
    grid->SetFixedLineColor(TColor(0x0000FF));
    grid->SetGridLines(glHorizontal);
    EXPECT_EQ(At(RightEdge(1, 3), MidY(1, 3)), 0xFFFFFFu);
    EXPECT_EQ(At(MidX(2, 1), BottomEdge(2, 1)), 0xFF0000u);
}

}  // namespace

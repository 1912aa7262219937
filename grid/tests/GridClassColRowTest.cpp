// Column, row and cell objects acting on the real grid class: sizes,
// visibility and display order reach the grid's geometry, attributes reach
// what a cell is painted from.

#include <gtest/gtest.h>

#include "grid/GridCellProps.h"
#include "grid/TSGrid.h"
#include "grid/tests/GridClassSupport.h"

namespace {

class GridClassColRow : public ::testing::Test {
protected:
    GridClassColRow() {
        EnsureGuiApplication();
        grid = std::make_unique<TLogGrid>(nullptr);
        grid->SetCols(4);
        grid->SetRows(5);
    }
    TgrCellPaintInfo Info(Integer c, Integer r) {
        TgrCellPaintInfo info;
        grid->FillDrawInfo(c, r, info);
        return info;
    }
    std::unique_ptr<TLogGrid> grid;
};

TEST_F(GridClassColRow, ColumnsDriveWidthsVisibilityAndOrder) {
    TgrCol* col = grid->Col(2);
    col->SetWidth(100);
    EXPECT_EQ(grid->GetColWidthAt(2), 100);
    col->SetVisible(false);
    EXPECT_EQ(grid->GetColWidthAt(2), 0);
    col->SetVisible(true);
    EXPECT_EQ(grid->GetColWidthAt(2), 100);
    col->SetDisplayCol(4);
    EXPECT_EQ(grid->GetColWidthAt(4), 100);
    EXPECT_EQ(grid->DataColOfDisplay(4), 2);
    EXPECT_EQ(grid->DataColOfDisplay(2), 3);
    // Attributes follow the data column to its new place.
    col->SetColor(TColor(0x00FF00));
    EXPECT_EQ(Info(4, 1).Color, TColor(0x00FF00));
    EXPECT_NE(Info(2, 1).Color, TColor(0x00FF00));
}

TEST_F(GridClassColRow, RowsDriveHeightsAndVisibility) {
    grid->GridRows()->SetHeight(3, 40);
    EXPECT_EQ(grid->GetRowHeightAt(grid->DisplayRowOfData(3)), 40);
    grid->GridRows()->EnsureRow(3)->SetVisible(false);
    TgrCellPaintInfo hidden;
    EXPECT_FALSE(grid->FillDrawInfo(1, grid->DisplayRowOfData(3), hidden));
    EXPECT_FALSE(grid->IsEnterableRow(grid->DisplayRowOfData(3), false));
    Integer next = 0;
    EXPECT_TRUE(grid->FindNextEnterableRow(2, false, next, false));
    EXPECT_EQ(next, 4) << "navigation skips the hidden row";
}

TEST_F(GridClassColRow, CellObjectsSetWhatTheCellIsPaintedFrom) {
    TgrCell cell(grid.get(), 3, Variant(Integer(2)));
    cell.SetHorzAlignment(htaRight);
    cell.SetControlType(ctCheck);
    TgrCellPaintInfo info = Info(grid->DisplayColOfData(3), 2);
    EXPECT_EQ(info.HorzAlignment, htaRight);
    EXPECT_EQ(info.ControlType, ctCheck);
    // Neighbours keep the defaults.
    EXPECT_EQ(Info(grid->DisplayColOfData(3), 3).ControlType, ctText);
    // Setting the defaults back drops the record; the cell resolves as before.
    cell.SetHorzAlignment(htaDefault);
    cell.SetControlType(ctDefault);
    EXPECT_EQ(Info(grid->DisplayColOfData(3), 2).ControlType, ctText);
    EXPECT_EQ(Info(grid->DisplayColOfData(3), 2).HorzAlignment, htaLeft);
}

}  // namespace

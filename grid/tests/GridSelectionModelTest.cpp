// The selection model on the real grid class: enterable searches, range
// queries, clearing by kind, the cell range following removed and hidden
// columns, the range operations for columns and rows, and the corner press.

#include <gtest/gtest.h>

#include "grid/tests/GridOnForm.h"

namespace {

class GridSelectionModel : public TGridOnFormTest {
protected:
    void SetUp() override {
        ShowGrid(400, 250, 6, 30);
        grid->Update();
    }
    TPoint Inside(Integer displayCol, Integer displayRow) {
        TRect r = grid->CellPixels(displayCol, displayRow);
        return TPoint(r.Left + 5, r.Top + 4);
    }
};

TEST_F(GridSelectionModel, EnterableSearchesSkipHiddenAndReadOnlyColumnsAndRows) {
    grid->Col(2)->SetVisible(false);
    grid->Col(3)->SetReadOnly(true);
    grid->Col(6)->SetVisible(false);
    grid->GridRows()->EnsureRow(1)->SetVisible(false);
    Integer found = 0;
    EXPECT_TRUE(grid->FindNextEnterableCol(1, true, found, false));
    EXPECT_EQ(found, 4) << "hidden 2 and read-only 3 skipped";
    EXPECT_TRUE(grid->FindNextEnterableCol(1, false, found, false));
    EXPECT_EQ(found, 3) << "read-only kept without skipping";
    EXPECT_FALSE(grid->FindNextEnterableCol(5, true, found, false));
    EXPECT_EQ(grid->GetFirstEnterableCol(true, false), 1);
    EXPECT_EQ(grid->GetLastEnterableCol(true, false), 5);
    EXPECT_EQ(grid->GetFirstEnterableRow(false, false), 2);
    EXPECT_EQ(grid->GetLastEnterableRow(false, false), 30);

    // Tab from the last enterable cell of a row goes on in the next row.
    Integer row = 0, col = 0;
    ASSERT_TRUE(grid->FindNextEnterableCell(5, 2, row, col, false));
    EXPECT_EQ(row, 3);
    EXPECT_EQ(col, 1);
    ASSERT_TRUE(grid->FindPrevEnterableCell(1, 3, row, col, false));
    EXPECT_EQ(row, 2);
    EXPECT_EQ(col, 5);
    // Editable only passes over the read-only column.
    ASSERT_TRUE(grid->FindNextEnterableCell(1, 2, row, col, true));
    EXPECT_EQ(col, 4);
    ASSERT_TRUE(grid->FindNextEnterableCellInCol(4, 2, row, col, false));
    EXPECT_EQ(row, 3);
    EXPECT_EQ(col, 4);
    ASSERT_TRUE(grid->FindPrevEnterableCellInCol(4, 3, row, col, false));
    EXPECT_EQ(row, 2);
    EXPECT_FALSE(grid->FindNextEnterableCell(1, 31, row, col, false)) << "row outside the grid";

    EXPECT_FALSE(grid->IsCellEditable(2, 2)) << "hidden column";
    EXPECT_FALSE(grid->IsCellEditable(3, 2)) << "read-only column";
    grid->SetCellReadOnly(3, 2, roOff);
    EXPECT_TRUE(grid->IsCellEditable(3, 2)) << "the cell's own setting wins";
    grid->SetCellReadOnly(4, 2, roOn);
    EXPECT_TRUE(grid->IsCellReadOnlyAt(4, 2));
    EXPECT_FALSE(grid->IsCellReadOnlyAt(4, 99)) << "outside the grid";
}

TEST_F(GridSelectionModel, FirstScrollingEnterablePositionsAnswerTheirFallbacks) {
    grid->SetFixedRowCount(1);
    grid->SetFixedColCount(1);
    EXPECT_EQ(grid->GetFirstScrollingEnterableCol(false, false), 2);
    EXPECT_EQ(grid->GetFirstScrollingEnterableRow(false, false), 2);
    for (Integer c = 2; c <= 6; ++c) grid->Col(c)->SetVisible(false);
    for (Integer r = 2; r <= 30; ++r) grid->GridRows()->EnsureRow(r)->SetVisible(false);
    EXPECT_EQ(grid->GetFirstScrollingEnterableCol(false, false), 0);
    EXPECT_EQ(grid->GetFirstScrollingEnterableRow(false, false), 1) << "the fixed row count";
}

TEST_F(GridSelectionModel, RangeQueriesAndOnlySelections) {
    grid->SelectDisplayRows(5, 2);
    EXPECT_TRUE(grid->AreRowsAllSelected(2, 5));
    EXPECT_FALSE(grid->AreRowsAllSelected(2, 6));
    EXPECT_TRUE(grid->AreRowsNoneSelected(6, 9));
    EXPECT_EQ(grid->GridStatus(), gsRowsSelected);
    grid->SelectDisplayRows(-3, 0);
    EXPECT_FALSE(grid->IsDisplayRowSelected(1));
    grid->SelectOnlyDisplayRows(7, 7);
    EXPECT_EQ(grid->RowSelection()->Count(), 1);
    // A hidden column counts as selected for "all", never gets selected.
    grid->Col(3)->SetVisible(false);
    grid->SelectOnlyDisplayCols(2, 4);
    EXPECT_FALSE(grid->IsDisplayColSelected(3));
    EXPECT_TRUE(grid->AreColsAllSelected(2, 4));
    EXPECT_FALSE(grid->AreColsNoneSelected(4, 6));
    grid->DeselectAllCols();
    EXPECT_TRUE(grid->AreColsNoneSelected(1, 6));
}

TEST_F(GridSelectionModel, ClearSelectionLeavesOtherKindsAlone) {
    grid->SetRowsSelected(3, 4, true);
    ASSERT_EQ(grid->GridStatus(), gsRowsSelected);
    grid->ClearSelection(GridStatusBit(gsColsSelected), true);
    EXPECT_TRUE(grid->IsDisplayRowSelected(3)) << "a column mask leaves rows";
    grid->ClearSelection(0, true);
    EXPECT_FALSE(grid->IsDisplayRowSelected(3));
    EXPECT_EQ(grid->GridStatus(), gsNormal);
}

TEST_F(GridSelectionModel, RowRangesBySingleAndMultiSelection) {
    grid->SetRowsSelected(3, 5, true);
    EXPECT_TRUE(grid->AreRowsAllSelected(3, 5));
    EXPECT_EQ(grid->RowSelection()->Count(), 3);
    grid->SetRowsSelected(4, 4, false);
    EXPECT_FALSE(grid->IsDisplayRowSelected(4));
    EXPECT_EQ(grid->RowSelection()->First(), 3);
    EXPECT_EQ(grid->RowSelection()->Last(), 5);
    grid->SetRowsSelected(1, 1000, true);
    EXPECT_EQ(grid->RowSelection()->Count(), 30) << "clamped to Rows";

    grid->SetRowsSelected(1, 30, false);
    grid->SetRowSelectMode(rsSingle);
    grid->SetRowsSelected(2, 4, true);
    EXPECT_EQ(grid->RowSelection()->Count(), 0) << "a range is refused under rsSingle";
    grid->SetRowsSelected(4, 4, true);
    grid->SetRowsSelected(6, 6, true);
    EXPECT_FALSE(grid->IsDisplayRowSelected(4));
    EXPECT_TRUE(grid->IsDisplayRowSelected(6));
    EXPECT_EQ(grid->CurrentDisplayRow(), 6);
}

TEST_F(GridSelectionModel, ARefusedLeaveKeepsTheSelection) {
    grid->OnEndCellEdit = [](TObject*, Integer, Integer, bool& cancel) { cancel = true; };
    Type('x');
    grid->SetRowsSelected(3, 5, true);
    grid->SetColsSelected(2, 3, true);
    EXPECT_EQ(grid->RowSelection()->Count(), 0);
    EXPECT_EQ(grid->ColSelection()->Count(), 0);
}

TEST_F(GridSelectionModel, ColumnRangesClearRowsAndDeselectOnlyAnActiveColumnSelection) {
    grid->SetRowsSelected(3, 5, true);
    grid->SetColsSelected(4, 2, false);
    EXPECT_EQ(grid->RowSelection()->Count(), 3) << "deselecting columns while rows are active";
    grid->SetColsSelected(2, 4, true);
    EXPECT_EQ(grid->RowSelection()->Count(), 0);
    EXPECT_EQ(grid->GridStatus(), gsColsSelected);
    EXPECT_TRUE(grid->AreColsAllSelected(2, 4));
    grid->SetColsSelected(3, 99, false);
    EXPECT_TRUE(grid->IsDisplayColSelected(2));
    EXPECT_FALSE(grid->IsDisplayColSelected(4));
}

TEST_F(GridSelectionModel, TheCellRangeFollowsRemovedAndHiddenColumns) {
    grid->StartNewCellRange(2, 2);
    grid->ExtendCellRange(5, 4);
    ASSERT_EQ(grid->CellRange(), (TCellRange_ts{2, 2, 5, 4}));
    grid->DeleteCols(1, 1);
    EXPECT_EQ(grid->CellRange(), (TCellRange_ts{1, 2, 4, 4})) << "both edges shift left";
    // A hidden edge moves to the nearest visible column inside the range.
    grid->Col(2)->SetVisible(false);
    EXPECT_EQ(grid->CellRange().Left, 1) << "an inner column leaves the edges";
    grid->Col(1)->SetVisible(false);
    EXPECT_EQ(grid->CellRange().Left, 3);
    grid->Col(4)->SetVisible(false);
    EXPECT_EQ(grid->CellRange().Right, 3);
    grid->Col(3)->SetVisible(false);
    EXPECT_EQ(grid->GridStatus(), gsNormal) << "a range left empty is cleared";

    grid->StartNewCellRange(5, 2);
    grid->ExtendCellRange(5, 5);
    grid->DeleteRows(1, 1);
    EXPECT_EQ(grid->CellRange(), (TCellRange_ts{5, 1, 5, 4}));
    grid->DeleteRows(2, 3);
    EXPECT_EQ(grid->CellRange(), (TCellRange_ts{5, 1, 5, 2}));
}

TEST_F(GridSelectionModel, TheCornerSelectsEveryRowOrNone) {
    TPoint corner(2, 2);
    grid->MouseDown(mbLeft, TShiftState{ssLeft}, corner.X, corner.Y);
    grid->MouseUp(mbLeft, {}, corner.X, corner.Y);
    EXPECT_EQ(grid->RowSelection()->Count(), 30);
    EXPECT_EQ(grid->MouseStatus(), msNone);
    grid->MouseDown(mbLeft, TShiftState{ssLeft}, corner.X, corner.Y);
    grid->MouseUp(mbLeft, {}, corner.X, corner.Y);
    EXPECT_EQ(grid->RowSelection()->Count(), 0);
    grid->SetRowSelectMode(rsSingle);
    grid->MouseDown(mbLeft, TShiftState{ssLeft}, corner.X, corner.Y);
    EXPECT_EQ(grid->RowSelection()->Count(), 0);
}

TEST_F(GridSelectionModel, APlainRowBarPressOnARangeSelectsTheRowAndRepaintsOnlyWhatChanges) {
    grid->StartNewCellRange(2, 2);
    grid->ExtendCellRange(3, 3);
    grid->Update();
    TPoint bar = Inside(0, 6);
    grid->MouseDown(mbLeft, TShiftState{ssLeft}, bar.X, bar.Y);
    grid->MouseUp(mbLeft, {}, bar.X, bar.Y);
    EXPECT_EQ(grid->GridStatus(), gsRowsSelected);
    EXPECT_TRUE(grid->IsDisplayRowSelected(6));
    grid->Update();
    // The painted picture: the row inverted, the old range back to normal.
    TRect in = grid->CellPixels(4, 6), out = grid->CellPixels(2, 2);
    TColor inColor = grid->Canvas()->GetPixel(in.Left + 3, in.Top + 3);
    TColor outColor = grid->Canvas()->GetPixel(out.Left + 3, out.Top + 3);
    EXPECT_NE(inColor, outColor);
    EXPECT_EQ(outColor, grid->Canvas()->GetPixel(grid->CellPixels(4, 8).Left + 3, grid->CellPixels(4, 8).Top + 3));
}

TEST_F(GridSelectionModel, ASelectionColourPaintsTheSelectedRowsInIt) {
    const TColor green = TColor(0x00FF00);
    grid->SetSelectionType(sltColor);
    grid->SetSelectionColor(green);
    grid->SetRowsSelected(3, 5, true);
    grid->Update();
    for (Integer r : {3, 4, 5}) {
        TRect c = grid->CellPixels(2, r);
        EXPECT_EQ(grid->Canvas()->GetPixel(c.Left + 2, c.Top + 2), green) << r;
    }
    TRect c = grid->CellPixels(2, 6);
    EXPECT_NE(grid->Canvas()->GetPixel(c.Left + 2, c.Top + 2), green);
}

}  // namespace

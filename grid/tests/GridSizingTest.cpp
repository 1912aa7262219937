// Sizes on the real grid class: a border drag under rcAll (rrAll) sizes
// every column (row) and keeps the dragged one where it was on the screen;
// a new default size reaches the column and row objects while hidden ones
// stay hidden; the grid's own width setter answers whether it changed
// anything.

#include <gtest/gtest.h>

#include <cstdlib>

#include "grid/GridControl.h"
#include "grid/TSGrid.h"
#include "grid/tests/GridClassSupport.h"
#include "platform/gui/Forms.h"

namespace {

class SizingGrid : public TLogGrid {
public:
    using TLogGrid::TLogGrid;
    using TgrBaseGrid::MouseDown;
    using TgrBaseGrid::MouseMove;
    using TgrBaseGrid::MouseUp;
    using TgrBaseGrid::DoKeyPress;
};

// A 20 x 40 grid (more than fits) on a shown form.
class GridSizing : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        form = new TForm(Application);
        form->SetBounds(0, 0, 500, 400);
        grid = new SizingGrid(form);
        grid->SetParent(form);
        grid->SetBounds(0, 0, 400, 250);
        grid->SetCols(20);
        grid->SetRows(40);
        form->Show();
    }
    void TearDown() override { Application->ResetForTesting(); }
    TPoint ColBorder(Integer displayCol) { return ColBorderOf(grid, displayCol); }
    TPoint RowBorder(Integer displayRow) { return RowBorderOf(grid, displayRow); }
    void Drag(TPoint from, TPoint to) {
        grid->MouseDown(mbLeft, TShiftState{ssLeft}, from.X, from.Y);
        grid->MouseMove(TShiftState{ssLeft}, to.X, to.Y);
        grid->MouseUp(mbLeft, {}, to.X, to.Y);
    }
    TForm* form = nullptr;
    SizingGrid* grid = nullptr;
};

}  // namespace

TEST_F(GridSizing, AColumnDragUnderRcAllSizesEveryColumn) {
    grid->Col(2)->SetWidth(80);
    grid->Col(4)->SetVisible(false);
    grid->SetResizeCols(rcAll);
    TPoint border = ColBorder(3);
    Drag(border, TPoint(border.X + 6, border.Y));
    EXPECT_EQ(grid->DefaultColWidth(), 70);
    for (Integer c : {1, 2, 3, 5, 20}) {
        EXPECT_EQ(grid->GetColWidthAt(grid->DisplayColOfData(c)), 70) << c;
        EXPECT_EQ(grid->Col(c)->Width(), 70) << c;
    }
    EXPECT_EQ(grid->GetColWidthAt(4), 0);
    EXPECT_FALSE(grid->Col(4)->Visible());
    EXPECT_EQ(grid->GetColWidthAt(0), grid->RowBarWidth());

    // A double-click on a border brings back the default set other than by
    // dragging.
    border = ColBorder(3);
    grid->MouseDown(mbLeft, TShiftState{ssLeft, ssDouble}, border.X, border.Y);
    grid->MouseUp(mbLeft, {}, border.X, border.Y);
    EXPECT_EQ(grid->DefaultColWidth(), 64);

    // rcSingle sizes the one column.
    grid->SetResizeCols(rcSingle);
    border = ColBorder(3);
    Drag(border, TPoint(border.X + 10, border.Y));
    EXPECT_EQ(grid->GetColWidthAt(3), 74);
    EXPECT_EQ(grid->GetColWidthAt(2), 64);
}

TEST_F(GridSizing, ADragUnderRcAllKeepsTheDraggedColumnInPlace) {
    grid->SetResizeCols(rcAll);
    grid->SetLeftCol(8);
    ASSERT_EQ(grid->TopLeftCell().Col, 8);
    Integer left = grid->CellPixels(10, 0).Left;
    TPoint border = ColBorder(10);
    Drag(border, TPoint(border.X - 30, border.Y));
    EXPECT_EQ(grid->DefaultColWidth(), 34);
    // Column 10 starts as near its old left edge as whole columns allow.
    EXPECT_LE(std::abs(grid->CellPixels(10, 0).Left - left), 34 / 2 + 1);

    // Rows alike under rrAll.
    grid->SetResizeRows(rrAll);
    grid->SetTopRow(20);
    Integer top = grid->CellPixels(0, 22).Top;
    TPoint rowBorder = RowBorder(22);
    Drag(rowBorder, TPoint(rowBorder.X, rowBorder.Y + 10));
    EXPECT_EQ(grid->DefaultRowHeight(), 24);
    EXPECT_LE(std::abs(grid->CellPixels(0, 22).Top - top), 24 / 2 + 1);
}

TEST_F(GridSizing, ANewDefaultSizeKeepsHiddenColumnsAndRowsHidden) {
    grid->Col(3)->SetVisible(false);
    grid->SetRowVisible(5, false);
    grid->SetRowHeight(6, 30);
    grid->SetDefaultColWidth(50);
    grid->SetDefaultRowHeight(20);
    EXPECT_EQ(grid->GetColWidthAt(3), 0);
    EXPECT_EQ(grid->GetRowHeightAt(5), 0);
    EXPECT_EQ(grid->Col(2)->Width(), 50);
    EXPECT_EQ(grid->GetRowHeight(6), 20);
    EXPECT_EQ(grid->GetRowHeightAt(6), 20);
    // Shown again, they take the new default.
    grid->Col(3)->SetVisible(true);
    EXPECT_EQ(grid->GetColWidthAt(3), 50);
}

TEST_F(GridSizing, TheWidthSetterAnswersWhetherItChangedAnything) {
    EXPECT_FALSE(grid->SetColWidthIfChanged(2, 64));
    EXPECT_TRUE(grid->SetColWidthIfChanged(2, 40));
    EXPECT_EQ(grid->GetColWidthAt(2), 40);
    EXPECT_FALSE(grid->SetRowHeightIfChanged(2, grid->DefaultRowHeight()));
    EXPECT_TRUE(grid->SetRowHeightIfChanged(2, 25));
    EXPECT_EQ(grid->GetRowHeightAt(2), 25);
    // A hidden column keeps no width.
    grid->Col(5)->SetVisible(false);
    grid->SetColWidthIfChanged(5, 40);
    EXPECT_EQ(grid->GetColWidthAt(5), 0);
    // Outside the grid nothing happens.
    EXPECT_FALSE(grid->SetColWidthIfChanged(99, 10));
}

TEST_F(GridSizing, TheEditorFollowsItsColumnsNewWidth) {
    grid->SetStoreData(true);
    grid->SetFocus();
    grid->MoveToDisplayCell(2, 1);
    char ch = 'a';
    grid->DoKeyPress(ch);
    ASSERT_TRUE(grid->IsCellEditing());
    TgrGridControl* box = grid->EditControl()->Window();
    ASSERT_TRUE(box->Visible());
    Integer before = box->Width();
    grid->Col(2)->SetWidth(grid->Col(2)->Width() + 40);
    // Placed again at once, shown again after the paint.
    grid->Update();
    EXPECT_EQ(box->Width(), before + 40);
    EXPECT_TRUE(box->Visible());
    EXPECT_EQ(box->Text(), "a");
}

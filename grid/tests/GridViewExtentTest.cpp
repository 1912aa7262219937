// The view extent of a shown grid (columns and rows in view, cut or whole),
// direct cell output, and the grid's small lookups.

#include <gtest/gtest.h>

#include "grid/tests/GridOnForm.h"

namespace {

class GridViewExtent : public TGridOnFormTest {
protected:
    void SetUp() override {
        // The row bar (14) and 64-pixel columns: columns 1..5 start inside
        // 380 - 14 pixels, 1..5 fit whole up to 334 + 14, the sixth is cut.
        ShowGrid(400, 200, 10, 30);
        grid->SetScrollBars(ssNone);
    }
};

TEST_F(GridViewExtent, CutColumnsAndRowsCountAsVisibleButNotAsFitting) {
    Integer cw = grid->ClientWidth(), ch = grid->ClientHeight();
    Integer whole = (cw - grid->FixedAreaWidth() + 1) / 64;
    bool cut = (cw - grid->FixedAreaWidth() + 1) % 64 != 0;
    ASSERT_TRUE(cut) << "the test wants a column cut at the right edge";
    EXPECT_EQ(grid->GetFullyVisibleColsFrom(1), whole);
    EXPECT_EQ(grid->GetLastVisibleColFrom(1), whole + 1) << "the cut column is visible";
    EXPECT_EQ(grid->GetColsFittingFromLeft(), whole);
    EXPECT_EQ(grid->GetLastVisibleCol(), whole + 1);
    Integer rows = (ch - grid->FixedAreaHeight() + 1) / 14;
    EXPECT_EQ(grid->GetFullyVisibleRowsFrom(1), rows);
    EXPECT_EQ(grid->GetRowsFittingFromTop(), rows);
    EXPECT_GE(grid->GetLastVisibleRowFrom(1), rows);
    // From a later column, the ones before it fit into one page.
    grid->SetTopLeft(4, 10);
    EXPECT_EQ(grid->GetColsFittingLeftOfLeftCol(), 3);
    EXPECT_EQ(grid->GetRowsFittingAboveTop(), std::min<Integer>(9, rows));
    // At the end of the grid the last enterable column and row.
    grid->SetTopLeft(8, 25);
    EXPECT_EQ(grid->GetLastVisibleCol(), 10);
    EXPECT_EQ(grid->GetLastVisibleRow(), 30);
}

TEST_F(GridViewExtent, DirectCellOutputDoesNotNest) {
    grid->Invalidate();
    grid->Update();
    TRect cell = grid->CellPixels(2, 2);
    ASSERT_TRUE(grid->BeginDirectCellPaint(cell));
    EXPECT_FALSE(grid->BeginDirectCellPaint(cell)) << "one direct paint at a time";
    grid->Canvas()->Brush()->SetColor(TColor(0x0000FF));
    grid->Canvas()->FillRect(TRect(0, 0, 400, 200));
    grid->EndDirectCellPaint(cell);
    EXPECT_FALSE(grid->IsDirectCellPaint());
    // Only the rectangle reached the window.
    EXPECT_EQ(grid->Surface().pixel(cell.Left + 2, cell.Top + 2) & 0xFFFFFF, 0xFF0000u);
    EXPECT_NE(grid->Surface().pixel(cell.Right + 3, cell.Top + 2) & 0xFFFFFF, 0xFF0000u);
    EXPECT_TRUE(grid->BeginDirectCellPaint(cell));
    grid->EndDirectCellPaint(cell);
}

TEST_F(GridViewExtent, LookupsAnswerByKind) {
    EXPECT_FALSE(grid->IsDrawingProperty(TgrPropId(2)));
    EXPECT_TRUE(grid->IsDrawingProperty(TgrPropId(24)));
    EXPECT_EQ(grid->GetControlForType(ctText), static_cast<TgrCustomGridControl*>(grid->EditControl()));
    EXPECT_EQ(grid->GetControlForType(ctCheck), static_cast<TgrCustomGridControl*>(grid->CheckControl()));
    TgrCustomGridControl* picture = grid->GetControlForType(ctPicture);
    TgrCustomGridControl* none = grid->GetControlForType(ctNone);
    EXPECT_NE(picture, nullptr);
    EXPECT_NE(none, nullptr);
    EXPECT_NE(picture, none) << "two default objects";
    EXPECT_EQ(grid->FindImageForValue(Variant(std::string("any"))), nullptr) << "no image list";
}

}  // namespace

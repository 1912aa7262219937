// Steps of the view on the real grid: block moves keeping the visible lists
// (moved along per step, or rebuilt once for many selected items), a key
// move scrolling the rows while the previous current cell stays put, and
// the heading-button painting step.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "grid/tests/GridOnForm.h"

namespace {

class GridViewSteps : public TGridOnFormTest {};

// The visible list as it must be: the display positions of the visible
// columns (rows) in display order.
std::vector<Integer> ListOf(TgrVisibleItems* list) {
    std::vector<Integer> v;
    for (Integer i = 1; i <= list->VisibleCount(); ++i) v.push_back(list->Get(i));
    return v;
}

TEST_F(GridViewSteps, BlockMovesKeepTheVisibleListsWithFewAndManySelected) {
    ShowGrid(300, 200, 150, 150);
    grid->Col(5)->SetVisible(false);
    grid->SetRowVisible(5, false);
    struct Case {
        const char* name;
        Integer selected;
    };
    // 120 selected items pass the threshold at which the list is rebuilt
    // once after the block instead of moved along at every step.
    for (Case c : {Case{"few selected", 3}, Case{"many selected", 120}}) {
        Integer hiddenAt = grid->DisplayColOfData(5);
        grid->SetColsSelected(10, 10 + c.selected - 1, true);
        ASSERT_TRUE(grid->MoveCol(10, 2)) << c.name;
        std::vector<Integer> cols;
        for (Integer p = 1; p <= grid->Cols(); ++p)
            if (grid->Col(grid->DataColOfDisplay(p))->Visible()) cols.push_back(p);
        EXPECT_EQ(ListOf(grid->VisibleCols()), cols) << c.name;
        EXPECT_EQ(grid->DisplayColOfData(5), hiddenAt + c.selected) << c.name << ": the block went before it";
        grid->SetColsSelected(1, grid->Cols(), false);

        grid->SetRowsSelected(10, 10 + c.selected - 1, true);
        grid->MoveRow(10, 2);
        std::vector<Integer> rows;
        for (Integer p = 1; p <= grid->Rows(); ++p)
            if (grid->IsRowVisible(grid->DataRowOfDisplay(p))) rows.push_back(p);
        EXPECT_EQ(ListOf(grid->VisibleRows()), rows) << c.name;
        grid->SetRowsSelected(1, grid->Rows(), false);
    }
}

TEST_F(GridViewSteps, AKeyMoveScrollsTheRowsAndLeavesTheViewAsAFullRepaintWould) {
    // A grid whose cell repaints reach the window.
    Application->Initialize();
    form = new TForm(Application);
    form->SetBounds(0, 0, 500, 400);
    grid = new TPaintingGrid(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, 300, 150);
    grid->SetCols(4);
    grid->SetRows(40);
    form->Show();
    grid->SetFocus();
    grid->SetStoreData(true);
    for (Integer r = 1; r <= 40; ++r) grid->PutCellValue(1, r, Variant("row " + std::to_string(r)));
    grid->Invalidate();
    grid->Update();
    for (int i = 0; i < 30 && grid->TopRow() == 1; ++i) {
        Key(VK_DOWN);
        grid->Update();
    }
    ASSERT_GT(grid->TopRow(), 1) << "the moves reached the bottom of the view";
    EXPECT_EQ(grid->ScrollMode(), smPlain) << "the mode holds for one move only";
    QImage scrolled = grid->Surface().copy();
    grid->Invalidate();
    grid->Update();
    int differing = 0;
    for (int y = 0; y < scrolled.height(); ++y)
        for (int x = 0; x < scrolled.width(); ++x) differing += scrolled.pixel(x, y) != grid->Surface().pixel(x, y);
    EXPECT_EQ(differing, 0) << "pixels moved by the scroll match a full repaint";
}

class THeadingButtonGrid : public TInputGrid {
public:
    using TInputGrid::TInputGrid;
    std::vector<Integer> Painted;

protected:
    void PaintHeadingButton(TCanvas* canvas, const TgrCellPaintInfo& info) override {
        Painted.push_back(info.DisplayCol);
        TInputGrid::PaintHeadingButton(canvas, info);
    }
};

TEST(GridHeadingButtonStep, OnlyHeadingButtonsArePaintedByTheButtonStep) {
    Application->Initialize();
    auto* form = new TForm(Application);
    auto* grid = new THeadingButtonGrid(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, 300, 100);
    grid->SetCols(3);
    grid->SetRows(2);
    grid->Col(1)->SetHeadingButton(cbButton);
    grid->Col(1)->SetSortPicture(spUp);
    grid->Col(2)->SetHeadingButton(cbCell);
    grid->Col(2)->SetSortPicture(spUp);
    form->Show();
    grid->Invalidate();
    grid->Update();
    ASSERT_FALSE(grid->Painted.empty());
    for (Integer c : grid->Painted) EXPECT_EQ(c, 1) << "a plain heading with a sort picture is no button";
    Application->ResetForTesting();
}

}  // namespace

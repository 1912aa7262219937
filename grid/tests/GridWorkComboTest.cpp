// The grid's working combo: made once, when a column, row or cell first
// asks for a combo button, and dropped down by combo cells that have no
// combo of their own; never made in a combo's own list grid.

#include <gtest/gtest.h>

#include "grid/GridCellProps.h"
#include "grid/GridColRow.h"
#include "grid/TSGrid.h"
#include "grid/tests/GridClassSupport.h"

namespace {

TEST(GridWorkCombo, MadeOnceForComboButtonsAndServingCellsWithoutTheirOwn) {
    EnsureGuiApplication();
    TLogGrid grid(nullptr);
    grid.SetCols(3);
    grid.SetRows(4);
    EXPECT_EQ(grid.EffectiveCombo(1, 1), nullptr);
    grid.Col(1)->SetButtonType(btCombo);
    TgrCombo* work = grid.GetCombo();
    ASSERT_NE(work, nullptr);
    ASSERT_NE(work->ComboGrid(), nullptr);
    grid.SetRowButtonType(3, btCombo);
    TgrCell(&grid, 2, Variant(Integer(2))).SetButtonType(btCombo);
    EXPECT_EQ(grid.GetCombo(), work) << "one working combo";

    EXPECT_EQ(grid.EffectiveCombo(1, 2), work) << "a combo column without its own combo";
    EXPECT_EQ(grid.EffectiveCombo(3, 3), work) << "a combo row";
    EXPECT_EQ(grid.EffectiveCombo(3, 1), nullptr) << "no combo button, no combo";
    grid.Col(1)->CreateCombo();
    EXPECT_NE(grid.EffectiveCombo(1, 2), work) << "an own combo goes first";

    TLogGrid* list = static_cast<TLogGrid*>(work->ComboGrid());
    list->SetCols(2);
    list->Col(1)->SetButtonType(btCombo);
    EXPECT_EQ(list->EffectiveCombo(1, 1), nullptr) << "a list grid makes no working combo";
}


TEST(GridWorkCombo, ACellComboButtonAloneMakesIt) {
    EnsureGuiApplication();
    TLogGrid grid(nullptr);
    grid.SetCols(2);
    grid.SetRows(2);
    TgrCell(&grid, 2, Variant(Integer(1))).SetButtonType(btCombo);
    EXPECT_NE(grid.EffectiveCombo(2, 1), nullptr);
    EXPECT_EQ(grid.EffectiveCombo(2, 1), grid.GetCombo());
}

}  // namespace

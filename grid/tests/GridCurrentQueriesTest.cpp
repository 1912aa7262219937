// The named attribute queries of the grid class: a cell's text alignment,
// button type and drop-down style, its control type and combo behind the
// index checks, the current cell's mask, check texts, read-only and
// selected state, the current row's selection and the display-to-data
// index arrays.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "grid/tests/GridClassSupport.h"

namespace {

class GridCurrentQueries : public ::testing::Test {
protected:
    GridCurrentQueries() {
        grid = ShownGrid<TLogGrid>(form, 3, 4);
        grid->SetName("Grid1");
    }
    ~GridCurrentQueries() override { Application->ResetForTesting(); }
    std::string ErrorOf(const std::function<void()>& f) {
        try {
            f();
        } catch (const EInvalidGridOperation& e) {
            return e.Message;
        }
        return "(none)";
    }
    TForm* form = nullptr;
    TLogGrid* grid = nullptr;
};

TEST_F(GridCurrentQueries, TextAlignmentFollowsTheResolvedHorizontalAlignment) {
    struct Case {
        TgrHorzAlignment set;
        TAlignment expected;
    } cases[] = {{htaLeft, taLeftJustify}, {htaRight, taRightJustify}, {htaCenter, taCenter}, {htaDefault, taLeftJustify}};
    for (const Case& c : cases) {
        grid->Col(2)->SetHorzAlignment(c.set);
        EXPECT_EQ(grid->EffectiveAlignment(2, 1), c.expected) << int(c.set);
    }
    // A heading follows the heading rules.
    grid->Col(2)->SetHeadingHorzAlignment(htaCenter);
    EXPECT_EQ(grid->EffectiveAlignment(2, 0), taCenter);
}

TEST_F(GridCurrentQueries, ButtonTypeAndDropDownStyleComeFromTheSameLevel) {
    grid->Col(1)->SetButtonType(btCombo);
    grid->Col(1)->SetDropDownStyle(ddDropDownList);
    EXPECT_EQ(grid->EffectiveButtonType(1, 2), btCombo);
    EXPECT_EQ(grid->EffectiveDropDownStyle(1, 2), ddDropDownList);
    // A read-only cell shows no button unless ReadOnlyButton says so.
    grid->SetReadOnlyButton(false);
    grid->Col(1)->SetReadOnly(true);
    EXPECT_EQ(grid->EffectiveButtonType(1, 2), btNone);
    EXPECT_EQ(grid->EffectiveDropDownStyle(1, 2), ddDropDown);
    grid->SetReadOnlyButton(true);
    EXPECT_EQ(grid->EffectiveButtonType(1, 2), btCombo);
}

TEST_F(GridCurrentQueries, VariantFormsCheckTheirIndexes) {
    grid->Col(3)->SetControlType(ctCheck);
    EXPECT_EQ(grid->GetCellEffectiveControlType(3, Variant(2)), ctCheck);
    EXPECT_EQ(grid->GetCellEffectiveCombo(3, Variant(2)), nullptr);
    EXPECT_EQ(ErrorOf([&] { grid->GetCellEffectiveControlType(4, Variant(1)); }), "Grid1: Column index 4 out of range");
    EXPECT_EQ(ErrorOf([&] { grid->GetCellEffectiveControlType(1, Variant(5)); }), "Grid1: Row index 5 out of range");
    EXPECT_EQ(ErrorOf([&] { grid->GetCellEffectiveCombo(0, Variant(1)); }), "Grid1: Column index 0 out of range");
    EXPECT_EQ(ErrorOf([&] { grid->GetCellEffectiveCombo(1, Variant(0)); }), "Grid1: Row index 0 out of range");
}

TEST_F(GridCurrentQueries, CurrentCellQueriesAnswerForTheCurrentCell) {
    grid->Col(2)->SetMaskName("digits");
    grid->Col(2)->SetCheckBoxValues("Y|N");
    grid->SetCheckBoxValues("On|Off");
    grid->MoveToDisplayCell(2, 3);
    EXPECT_EQ(grid->GetCurrentMaskName(), "digits");
    EXPECT_EQ(grid->GetCurrentCheckBoxValues(), "Y|N");
    // A column without its own texts takes the grid's.
    EXPECT_EQ(grid->GetColCheckBoxValues(1), "On|Off");
    EXPECT_FALSE(grid->IsCurrentCellReadOnly());
    // (A read-only column would send the current cell on to the next one.)
    grid->SetCellReadOnly(2, grid->CurrentDataRow(), roOn);
    EXPECT_TRUE(grid->IsCurrentCellReadOnly());
    EXPECT_FALSE(grid->IsCurrentCellSelected());
    EXPECT_FALSE(grid->IsCurrentRowSelected());
    grid->SelectCurrentRow();
    EXPECT_TRUE(grid->IsCurrentRowSelected());
    EXPECT_TRUE(grid->IsCurrentCellSelected());
    EXPECT_TRUE(grid->IsRowSelected(3));
}

TEST_F(GridCurrentQueries, IndexArraysAnswerMinusOneAndIgnoreWritesOutsideTheScrollingPositions) {
    EXPECT_EQ(grid->GetDataRowOfDisplay(0), -1);
    EXPECT_EQ(grid->GetDataRowOfDisplay(5), -1);
    EXPECT_EQ(grid->GetDataRowOfDisplay(2), 2);
    grid->SetDataRowOfDisplay(0, 3);
    grid->SetDataRowOfDisplay(5, 3);
    grid->SetDataColOfDisplay(4, 1);
    for (Integer p = 1; p <= 4; ++p) EXPECT_EQ(grid->GetDataRowOfDisplay(p), p);
    for (Integer p = 1; p <= 3; ++p) EXPECT_EQ(grid->DataColOfDisplay(p), p);
    // Moving a column goes through the array and renumbers the column.
    grid->Col(1)->SetDisplayCol(3);
    EXPECT_EQ(grid->DataColOfDisplay(3), 1);
    EXPECT_EQ(grid->Col(1)->DisplayCol(), 3);
}

}  // namespace

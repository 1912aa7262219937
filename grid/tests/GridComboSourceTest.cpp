// Which combo a cell takes (its own, its row's or its column's by the
// DrawOverlap rule, else the working combo), the source combo the current
// selection was taken from, a working combo put back to its defaults, and
// a click in a dropped-down list reaching the owner grid as a pick.

#include <gtest/gtest.h>

#include <string>

#include "grid/GridCellProps.h"
#include "grid/GridColRow.h"
#include "grid/GridComboGrid.h"
#include "grid/TSGrid.h"
#include "grid/tests/GridClassSupport.h"
#include "platform/gui/Forms.h"

namespace {

// A 3 x 3 grid: column 1 and row 2 have combo buttons with combos of their
// own, cell (2, 3) one of its own, column 3 a combo button served by the
// working combo.
class GridComboSource : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureGuiApplication();
        grid.SetCols(3);
        grid.SetRows(3);
        grid.Col(1)->SetButtonType(btCombo);
        grid.Col(1)->CreateCombo();
        grid.SetRowButtonType(2, btCombo);
        grid.SetRowCombo(2, grid.Col(1)->Combo());
        TgrCell cell(&grid, 2, Variant(Integer(3)));
        cell.SetButtonType(btCombo);
        cell.CreateCombo();
        grid.Col(3)->SetButtonType(btCombo);
    }
    TgrCombo* ColCombo() { return grid.Col(1)->Combo(); }
    TgrCombo* RowCombo() { return grid.GetRowCombo(2); }
    TgrCombo* CellCombo() { return grid.GetCellCombo(2, 3); }
    TLogGrid grid{nullptr};
};

}  // namespace

TEST_F(GridComboSource, FindCellComboFollowsTheCellThenDrawOverlap) {
    ASSERT_NE(RowCombo(), nullptr);
    ASSERT_NE(RowCombo(), ColCombo());
    ASSERT_NE(CellCombo(), nullptr);
    TgrCombo* work = grid.GetCombo();
    struct Case {
        const char* name;
        TgrDrawOverlap overlap;
        bool colParent;
        Integer col, row;
        TgrCombo* expected;
    } cases[] = {
        {"the cell's own combo first", doDrawColOnTop, false, 2, 3, CellCombo()},
        {"column on top", doDrawColOnTop, false, 1, 2, ColCombo()},
        {"row on top", doDrawRowOnTop, false, 1, 2, RowCombo()},
        {"row on top, plain row: the column", doDrawRowOnTop, false, 1, 1, ColCombo()},
        {"column taking its parent's: the row", doDrawColOnTop, true, 1, 2, RowCombo()},
        {"working combo cell: none", doDrawColOnTop, false, 3, 1, nullptr},
        {"no combo button", doDrawColOnTop, false, 2, 1, nullptr},
        {"outside the data cells", doDrawColOnTop, false, 4, 1, nullptr},
        {"the heading row", doDrawColOnTop, false, 1, 0, nullptr},
    };
    for (const Case& c : cases) {
        grid.SetDrawOverlap(c.overlap);
        grid.Col(1)->SetParentCombo(c.colParent);
        EXPECT_EQ(grid.FindCellCombo(c.col, c.row), c.expected) << c.name;
    }
    grid.SetDrawOverlap(doDrawColOnTop);
    grid.Col(1)->SetParentCombo(false);
    EXPECT_EQ(grid.EffectiveCombo(3, 1), work) << "the working combo serves a combo cell without its own";
    EXPECT_EQ(grid.EffectiveCombo(2, 1), nullptr);
}

TEST_F(GridComboSource, TheSourceComboIsForgottenWhenReleasedOrFreed) {
    grid.SelectComboForCell(1, 1);
    EXPECT_EQ(grid.SourceCombo(), ColCombo());
    grid.ReleaseSourceCombo(CellCombo());
    EXPECT_EQ(grid.SourceCombo(), ColCombo()) << "another combo leaves it";
    grid.ReleaseSourceCombo(ColCombo());
    EXPECT_EQ(grid.SourceCombo(), nullptr);

    // A working-combo cell has no source; freeing the source leaves no
    // dangling reference.
    grid.ResetWorkingCombo();
    grid.SelectComboForCell(3, 1);
    EXPECT_EQ(grid.SourceCombo(), nullptr);
    grid.ResetWorkingCombo();
    grid.SelectComboForCell(1, 1);
    ASSERT_EQ(grid.SourceCombo(), ColCombo());
    grid.Col(1)->SetCombo(nullptr);
    EXPECT_EQ(grid.SourceCombo(), nullptr);
}

TEST_F(GridComboSource, ResetWorkingComboGivesItsDefaultsBackAndEndsTheSelection) {
    TgrCombo* work = grid.GetCombo();
    TgrBaseGrid* list = work->ComboGrid();
    grid.SelectComboForCell(3, 1);
    list->SetCols(3);
    list->SetRows(5);
    list->PutCellValue(1, 1, Variant("kept?"));
    list->SetHeadingOn(true);
    work->SetValueColSorted(true);
    work->SetValueCol(2);
    grid.ResetWorkingCombo();
    EXPECT_EQ(list->Rows(), 0);
    EXPECT_EQ(list->Cols(), 1);
    EXPECT_FALSE(list->HeadingOn());
    EXPECT_FALSE(work->GetValueColSorted());
    EXPECT_EQ(work->GetValueCol(), 1);
    EXPECT_EQ(list->GridMode(), gmListBox) << "still a list box to pick from";
    // The selection ended: the next one starts afresh and notifies again.
    list->SetRows(2);
    grid.SelectComboForCell(3, 1);
    EXPECT_EQ(list->Rows(), 0);
}

namespace {

// A list whose click-cell event takes every click.
class TClaimingList : public TgrComboGridOf<TLogGrid> {
public:
    using TgrComboGridOf<TLogGrid>::TgrComboGridOf;
    bool Claims = false;
    bool FireClickCell(Integer, Integer, Integer, Integer, TgrClickPosition, TgrClickPosition) override {
        return Claims;
    }
};
class TClaimingGrid : public TLogGrid {
public:
    using TLogGrid::TLogGrid;
    TgrBaseGrid* CreateComboGrid() override { return new TClaimingList(nullptr); }
};

}  // namespace

TEST(GridComboPick, AClickInTheListReachesTheOwnerUnlessAHandlerTookIt) {
    Application->Initialize();
    auto* form = new TForm(Application);
    form->SetBounds(0, 0, 400, 300);
    auto* grid = new TClaimingGrid(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, 300, 200);
    grid->SetCols(2);
    grid->SetRows(2);
    grid->SetStoreData(true);
    grid->Col(1)->SetButtonType(btCombo);
    grid->Col(1)->CreateCombo();
    TgrBaseGrid* entries = grid->Col(1)->Combo()->ComboGrid();
    entries->SetRows(3);
    for (Integer r = 1; r <= 3; ++r) entries->PutCellValue(1, r, Variant("item " + std::to_string(r)));
    // The list that drops down and is clicked: the working combo's copy.
    auto* list = static_cast<TClaimingList*>(grid->GetCombo()->ComboGrid());
    form->Show();
    ASSERT_TRUE(grid->MoveToDisplayCell(1, 1));

    struct Case {
        const char* name;
        bool claims;
        Integer downRow, upCol, upRow;
        bool picks;
    } cases[] = {
        {"a click on a row", false, 2, 1, 2, true},
        {"taken by the list's handler", true, 2, 1, 2, false},
        {"pressed on the heading", false, 0, 1, 2, false},
        {"released beside the rows", false, 2, -1, -1, false},
    };
    for (const Case& c : cases) {
        grid->PutCellValue(1, 1, Variant());
        ASSERT_TRUE(grid->DropDownCombo()) << c.name;
        list->MoveToDataRow(2);
        list->Claims = c.claims;
        list->NotifyClickCell(1, c.downRow, c.upCol, c.upRow);
        EXPECT_EQ(grid->DroppedCombo() == nullptr, c.picks) << c.name;
        EXPECT_EQ(grid->GetCellValue(1, 1).AsString(), c.picks ? "item 2" : "") << c.name;
        grid->CloseDropDowns();
    }
    EXPECT_FALSE(list->IsDesignDropDownShown()) << "a run-time list is never shown for design";
    Application->ResetForTesting();
}

TEST(GridMoveToDataRow, MovesInTheCurrentColumnAndIgnoresRowsOutside) {
    EnsureGuiApplication();
    TLogGrid grid(nullptr);
    grid.SetCols(3);
    grid.SetRows(5);
    ASSERT_TRUE(grid.MoveToDisplayCell(2, 1));
    grid.MoveToDataRow(4);
    EXPECT_EQ(grid.CurrentDataCol(), 2);
    EXPECT_EQ(grid.CurrentDataRow(), 4);
    for (Integer outside : {-1, 6, 99}) {
        grid.MoveToDataRow(outside);
        EXPECT_EQ(grid.CurrentDataRow(), 4) << outside;
    }
}

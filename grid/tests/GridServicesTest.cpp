// What the data-aware grid asks of the grid class by row and by cell: the
// attribute a row object or a cell record holds, the not-set answer
// without one, index checks, and the combo-grid refusals.

#include <gtest/gtest.h>

#include "grid/GridCellProps.h"
#include "grid/GridCombo.h"
#include "grid/tests/GridClassSupport.h"

namespace {

class GridServices : public ::testing::Test {
protected:
    GridServices() {
        EnsureGuiApplication();
        grid = std::make_unique<TLogGrid>(nullptr);
        grid->SetCols(3);
        grid->SetRows(4);
    }
    std::unique_ptr<TLogGrid> grid;
};

TEST_F(GridServices, RowGettersAnswerTheRowObjectOrNotSet) {
    // Without a row object every answer is the not-set one.
    EXPECT_EQ(grid->GetRowColor(2), grColorNotSet);
    EXPECT_EQ(grid->GetRowFont(2), nullptr);
    EXPECT_TRUE(grid->GetRowParentFont(2));
    EXPECT_EQ(grid->GetRowHorzAlignment(2), htaDefault);
    EXPECT_EQ(grid->GetRowButtonType(2), btDefault);
    EXPECT_EQ(grid->GetRowControlType(2), ctDefault);
    EXPECT_EQ(grid->GetRowStretchPicture(2), dopDefault);
    EXPECT_EQ(grid->GetRowSpinIncrement(2), 1.0);
    EXPECT_TRUE(grid->IsRowVisible(2));
    EXPECT_FALSE(grid->IsRowReadOnly(2));

    TgrRow* row = grid->GridRows()->EnsureRow(2);
    row->SetColor(TColor(0x112233));
    row->SetHorzAlignment(htaCenter);
    row->SetButtonType(btNormal);
    row->SetControlType(ctCheck);
    row->SetPicture(pkStretchPicture, dopOff);
    row->SetReadOnly(true);
    row->SetMaskName("digits");
    EXPECT_EQ(grid->GetRowColor(2), TColor(0x112233));
    EXPECT_EQ(grid->GetRowHorzAlignment(2), htaCenter);
    EXPECT_EQ(grid->GetRowButtonType(2), btNormal);
    EXPECT_EQ(grid->GetRowControlType(2), ctCheck);
    EXPECT_EQ(grid->GetRowStretchPicture(2), dopOff);
    EXPECT_EQ(grid->GetRowMaskName(2), "digits");
    EXPECT_TRUE(grid->IsRowReadOnly(2));
    row->SetVisible(false);
    EXPECT_FALSE(grid->IsRowVisible(2));

    // Outside the rows: the documented answers, never a crash.
    struct Case {
        Integer row;
        bool visible, readOnly, selected;
    } cases[] = {{-1, false, false, false}, {0, true, false, false}, {5, false, false, false}, {1000, false, false, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(grid->IsRowVisible(c.row), c.visible) << c.row;
        EXPECT_EQ(grid->IsRowReadOnly(c.row), c.readOnly) << c.row;
        EXPECT_EQ(grid->IsRowSelected(c.row), c.selected) << c.row;
        EXPECT_EQ(grid->GetRowColor(c.row), grColorNotSet) << c.row;
    }
    // Selection follows the row to its display position.
    grid->SetDisplayRow(3, 1);
    grid->SelectDisplayRows(1, 1);
    EXPECT_TRUE(grid->IsRowSelected(3));
    EXPECT_FALSE(grid->IsRowSelected(1));
}

TEST_F(GridServices, CellGettersAnswerTheCellRecordOrNotSet) {
    EXPECT_EQ(grid->GetCellColor(2, 3), grColorNotSet);
    EXPECT_TRUE(grid->GetCellParentFont(2, 3));
    EXPECT_EQ(grid->GetCellDropDownStyle(2, 3), ddDropDown);
    EXPECT_EQ(grid->GetCellCombo(2, 3), nullptr);
    TgrCell cell(grid.get(), 2, Variant(3));
    cell.SetColor(TColor(0x445566));
    cell.SetVertAlignment(vtaBottom);
    cell.SetWordWrap(wwOn);
    cell.SetControlType(ctText);
    EXPECT_EQ(grid->GetCellColor(2, 3), TColor(0x445566));
    EXPECT_EQ(grid->GetCellVertAlignment(2, 3), vtaBottom);
    EXPECT_EQ(grid->GetCellWordWrap(2, 3), wwOn);
    EXPECT_EQ(grid->GetCellControlType(2, 3), ctText);
    EXPECT_EQ(grid->GetCellColor(3, 3), grColorNotSet);  // a neighbour has no record

    grid->SetCellButtonType(1, 1, btNormal);
    EXPECT_EQ(grid->GetCellButtonType(1, 1), btNormal);
    EXPECT_THROW(grid->SetCellButtonType(9, 1, btNormal), EInvalidGridOperation);
    EXPECT_THROW(grid->SetCellCombo(1, 0, nullptr), EInvalidGridOperation);

    // A combo's own list grid refuses cell buttons and combos.
    TLogGrid list(nullptr);
    list.SetCols(2);
    list.SetRows(2);
    list.SetOwnerGrid(grid.get());
    list.SetCellButtonType(1, 1, btCombo);
    EXPECT_EQ(list.GetCellButtonType(1, 1), btDefault);
}

TEST_F(GridServices, WhetherTheCurrentCellCanBeEditedNow) {
    EXPECT_EQ(grid->GetRangeAnchorRow(), grid->CurrentDisplayRow());
    EXPECT_TRUE(grid->IsColsStored());
    // CanEditNow: editing mode, normal status, current cell not read-only.
    EXPECT_TRUE(grid->CanEditNow());
    grid->Col(1)->SetReadOnly(true);
    grid->Col(2)->SetReadOnly(true);
    grid->Col(3)->SetReadOnly(true);
    EXPECT_FALSE(grid->CanEditNow());
    grid->Col(1)->SetReadOnly(false);
    grid->ChangeCurrentCell(1, 1);
    EXPECT_TRUE(grid->CanEditNow());
    // Read-only columns cannot be reached while skipping them, except by
    // a list-box grid, which moves by rows.
    EXPECT_TRUE(grid->IsCellReachable(1, 2));
    EXPECT_FALSE(grid->IsCellReachable(2, 2));
    grid->SetGridMode(gmBrowse);
    EXPECT_FALSE(grid->CanEditNow());
    EXPECT_FALSE(grid->CanReclickCurrentCell());
    grid->SetGridMode(gmListBox);
    EXPECT_TRUE(grid->IsCellReachable(2, 2));
}

TEST_F(GridServices, NestedLayoutSuspensionsRepaintOnceAtTheEnd) {
    grid->Take();
    grid->SuspendLayout();
    grid->SuspendLayout();
    grid->RecheckTopLeft(true);  // noted, not done
    grid->ResumeLayout();
    EXPECT_EQ(grid->Take(), "");
    grid->ResumeLayout();
    // The in-cell control comes back over the current cell (repainting
    // it) with the one full repaint.
    EXPECT_EQ(grid->Take(), "cell 1,1;all;");
    grid->ResumeLayout();  // below zero: nothing
    EXPECT_EQ(grid->Take(), "");
}

}  // namespace

// The selection model's operations beside the add, remove and invert
// primitives: what a range of columns or rows holds, one range alone
// selected, a selection cleared by kind, the whole grid shown selected
// before every row is, the cell range kept in step with removed and hidden
// columns and rows, and the public range operations that select or deselect
// runs of display columns and rows with their events.
//
// One kind is active at a time: rows, columns or a cell range. Painting
// shows only the cells whose state changes.

#include <algorithm>

#include "grid/TSGrid.h"

// ------------------------------------------------------------ queries

bool TgrBaseGrid::AreColsAllSelected(Integer from, Integer to) {
    if (to < from) std::swap(from, to);
    for (Integer c = std::max<Integer>(from, 1); c <= std::min<Integer>(to, ColTotal() - 1); ++c) {
        TgrCol* col = gridCols_->ColAt(DataColOfDisplay(c));
        if ((!col || col->Visible()) && !colSelection_->IsSelected(c)) return false;
    }
    return true;
}

bool TgrBaseGrid::AreColsNoneSelected(Integer from, Integer to) { return colSelection_->CountSelected(from, to) == 0; }

bool TgrBaseGrid::AreRowsAllSelected(Integer from, Integer to) {
    if (to < from) std::swap(from, to);
    for (Integer r = std::max<Integer>(from, 1); r <= std::min<Integer>(to, RowTotal() - 1); ++r) {
        Integer dataRow = DataRowOfDisplay(r);
        if ((dataRow > Rows() || IsRowVisible(dataRow)) && !IsDisplayRowSelected(r)) return false;
    }
    return true;
}

bool TgrBaseGrid::AreRowsNoneSelected(Integer from, Integer to) {
    if (to < from) std::swap(from, to);
    for (Integer r = std::max<Integer>(from, 1); r <= std::min<Integer>(to, RowTotal() - 1); ++r)
        if (IsDisplayRowSelected(r)) return false;
    return true;
}

bool TgrBaseGrid::IsFixedRowSelected() {
    Integer first = rowSelection_->First();
    return FixedRowTotal() > 1 && first >= 1 && first < FixedRowTotal();
}

bool TgrBaseGrid::IsInCellRange(Integer col, Integer row) {
    const TCellRange_ts& r = cellRange_;
    if (r.Left == 0 && r.Top == 0 && r.Right == 0 && r.Bottom == 0) return false;
    return col >= r.Left && col <= r.Right && row >= r.Top && row <= r.Bottom;
}

// ------------------------------------------------------------ whole selections

void TgrBaseGrid::DeselectAllCols() {
    if (colSelection_->Count() > 0) DeselectDisplayCols(1, ColTotal() - 1);
}

void TgrBaseGrid::SelectOnlyDisplayCols(Integer from, Integer to) {
    DeselectAllCols();
    SelectDisplayCols(from, to, true);
}

void TgrBaseGrid::SelectOnlyDisplayRows(Integer from, Integer to) {
    DeselectAllRows();
    SelectDisplayRows(from, to);
}

void TgrBaseGrid::ClearSelection(TgrGridStatusSet mask, bool update) {
    if (mask != 0 && !(mask & GridStatusBit(gridStatus_))) return;
    if (gridStatus_ == gsNormal) return;
    {
        // Without the selection colour the lock is not taken and nothing is
        // updated here.
        TgrSelectionPaintLock lock(*this, update);
        switch (gridStatus_) {
            case gsRowsSelected:
                PaintSelectedRows(1, TopRow() + GetVisibleRowCount(), false);
                DeselectAllRows();
                break;
            case gsColsSelected:
                PaintSelectedColsOff(1, TopLeftCell().Col + GetVisibleColCount());
                DeselectAllCols();
                break;
            case gsCellsSelected:
                PaintCellRangeOff(cellRange_.Left, cellRange_.Top, cellRange_.Bottom, cellRange_.Right);
                ClearCellRange();
                break;
            default: break;
        }
    }
    SetGridStatus(gsNormal);
}

// Before every row becomes selected only what changes is repainted: the
// rows not yet selected, or the grid from the other kind to all rows. The
// kind named by keepKind (0 rows, 1 columns, 2 the cell range) stays.
void TgrBaseGrid::ShowAllRowsSelected(Integer keepKind) {
    Integer lastCol = LastShownCol(), lastRow = LastShownRow();
    switch (gridStatus_) {
        case gsRowsSelected:
            PaintRowsHighlighted(1, lastRow);
            if (keepKind != 0) DeselectAllRows();
            break;
        case gsColsSelected:
            PaintSelectedColHeadingsOff(1, lastCol);
            PaintColsHighlighted(1, lastCol, 2);
            PaintRowBarSelection(true);
            if (keepKind != 1) DeselectAllCols();
            break;
        case gsCellsSelected:
            PaintSelectionTransition(1, 1, lastRow, lastCol);
            PaintRowBarSelection(true);
            if (keepKind != 2) ClearCellRange();
            break;
        default: break;
    }
}

// ------------------------------------------------------------ the cell range

void TgrBaseGrid::UnpaintCellRangeExcept(Integer col, Integer row) {
    const TCellRange_ts r = cellRange_;
    Integer lastCol = LastShownCol(), lastRow = LastShownRow();
    if (!IsInCellRange(col, row)) {
        PaintCellRangeOff(r.Left, r.Top, std::min(r.Bottom, lastRow), std::min(r.Right, lastCol));
        return;
    }
    if (col > r.Left) PaintCellRangeOff(r.Left, r.Top, std::min(r.Bottom, lastRow), col - 1);
    if (row > r.Top) PaintCellRangeOff(col, std::max<Integer>(r.Top, 1), row - 1, col);
    if (row < r.Bottom) PaintCellRangeOff(col, row + 1, std::min(r.Bottom, lastRow), col);
    if (col < r.Right) PaintCellRangeOff(col + 1, r.Top, std::min(r.Bottom, lastRow), std::min(r.Right, lastCol));
}

namespace {
// An edge of the range that moves off a hidden position: to the nearest
// position towards the other edge that is not hidden (past the other edge
// when all between are hidden).
template <class Hidden>
Integer EdgePastHidden(Integer edge, Integer step, Integer other, Hidden hidden) {
    Integer e = edge + step;
    while ((step > 0 ? e <= other : e >= other) && hidden(e)) e += step;
    return e;
}
}  // namespace

void TgrBaseGrid::AdjustCellRangeForDeletedCol(Integer col) {
    TCellRange_ts& r = cellRange_;
    if (gridStatus_ != gsCellsSelected || col > r.Right) return;
    if (col < r.Left) --r.Left;
    --r.Right;
    MarkSelectChanged(stpCells);
    if (r.Right < r.Left) ClearCellRange();
}

void TgrBaseGrid::AdjustCellRangeForDeletedRow(Integer row) {
    TCellRange_ts& r = cellRange_;
    if (gridStatus_ != gsCellsSelected || row > r.Bottom) return;
    if (row < r.Top) --r.Top;
    --r.Bottom;
    MarkSelectChanged(stpCells);
    if (r.Bottom < r.Top) ClearCellRange();
}

void TgrBaseGrid::ShrinkRangeOffCol(Integer col) {
    TCellRange_ts& r = cellRange_;
    if (gridStatus_ != gsCellsSelected || (col != r.Left && col != r.Right)) return;
    auto hidden = [this](Integer c) {
        TgrCol* o = gridCols_->ColAt(DataColOfDisplay(c));
        return o && !o->Visible();
    };
    RepaintRange(r);
    Integer left = r.Left, right = r.Right;
    if (col == left) r.Left = EdgePastHidden(left, 1, right, hidden);
    if (col == right) r.Right = EdgePastHidden(right, -1, left, hidden);
    MarkSelectChanged(stpCells);
    if (r.Right < r.Left) ClearCellRange();
}

void TgrBaseGrid::ShrinkRangeOffRow(Integer row) {
    TCellRange_ts& r = cellRange_;
    if (gridStatus_ != gsCellsSelected || (row != r.Top && row != r.Bottom)) return;
    auto hidden = [this](Integer p) {
        Integer dataRow = DataRowOfDisplay(p);
        return dataRow <= Rows() && !IsRowVisible(dataRow);
    };
    RepaintRange(r);
    Integer top = r.Top, bottom = r.Bottom;
    if (row == top) r.Top = EdgePastHidden(top, 1, bottom, hidden);
    if (row == bottom) r.Bottom = EdgePastHidden(bottom, -1, top, hidden);
    MarkSelectChanged(stpCells);
    if (r.Bottom < r.Top) ClearCellRange();
}

// ------------------------------------------------------------ range operations

void TgrBaseGrid::SetColsSelected(Integer first, Integer last, bool select) {
    if (colSelectMode_ == csNone || first > ColTotal() - 1 || last <= 0) return;
    if (!select && gridStatus_ != gsColsSelected) return;
    first = std::max<Integer>(first, 1);
    last = std::min<Integer>(last, ColTotal() - 1);
    if (last < first || !CanLeaveCell(-1, -1, true)) return;
    if (HideCellControlIfShown(true) && HasWindow()) Update();
    ClearSelection(GridStatusBit(gsRowsSelected) | GridStatusBit(gsCellsSelected), true);
    FireSelectChanged(false);
    // Runs of equal state: only the runs that change are painted.
    for (Integer a = first; a <= last;) {
        bool state = colSelection_->IsSelected(a);
        Integer b = a;
        while (b + 1 <= last && colSelection_->IsSelected(b + 1) == state) ++b;
        if (select && !state) {
            SelectDisplayCols(a, b, true);
            PaintColRangeSelection(a, b, true);
        } else if (!select && state) {
            PaintColRangeSelection(a, b, false);
            DeselectDisplayCols(a, b);
        }
        a = b + 1;
    }
    RefreshCellControl();
    SyncListBoxSelection(false);
    FireSelectChanged(false);
    CheckGridStatusChanged();
}

void TgrBaseGrid::SetRowsSelected(Integer first, Integer last, bool select) { SelectRowRange(first, last, false, select); }

void TgrBaseGrid::SelectRowRange(Integer first, Integer last, bool byUser, bool select) {
    if (rowSelectMode_ == rsNone || (!select && IsListBoxSelect())) return;
    if (first > RowTotal() - 1 || last <= 0 || (!select && gridStatus_ != gsRowsSelected)) return;
    first = std::max<Integer>(first, 1);
    last = std::min<Integer>(last, Rows());
    if (last < first || (rowSelectMode_ == rsSingle && select && last > first)) return;
    if (!CanLeaveCell(-1, -1, true)) return;
    bool movesCurrent = rowSelectMode_ == rsSingle && select && first != curDisplayRow_;
    {
        TgrSelectionPaintLock lock(*this);
        if (HideCellControlIfShown(true) && HasWindow()) Update();
        RepaintFocusCell(false);
        // Under rsSingle the one selected row gives way to the new one.
        if (movesCurrent && gridStatus_ == gsRowsSelected) {
            PaintSelectedRows(1, RowTotal() - 1, false);
            DeselectAllRows();
        }
        Integer lastVisible = GetLastVisibleRow();
        if ((first >= 2 && (first < TopRow() || FixedRowTotal() > 1)) || last < lastVisible || !select ||
            gridStatus_ == gsNormal) {
            ClearSelection(GridStatusBit(gsColsSelected) | GridStatusBit(gsCellsSelected), true);
            ApplyRowSelectionRange(first, last, select);
        } else {
            // Every row in view becomes selected: the other kind's cells
            // are repainted, the rows added without painting.
            ShowAllRowsSelected(0);
            SelectDisplayRows(first, last);
        }
        if (AnyRowSelected()) SetGridStatus(gsRowsSelected);
        else if (gridStatus_ == gsRowsSelected) SetGridStatus(gsNormal);
        FireSelectChanged(byUser);
        if (movesCurrent) {
            Integer old = curDisplayRow_;
            ChangeCurrentCell(curDisplayCol_, first);
            RepaintRowBarCell(old);
            DrawRowIndicatorSelected(first);
        }
    }
    RefreshCellControl();
    InvalidateFocusCell(false);
    CheckCurrentCellChanged();
    SyncListBoxSelection(false);
    FireSelectChanged(byUser);
    CheckGridStatusChanged();
}

void TgrBaseGrid::ApplyRowSelectionRange(Integer first, Integer last, bool select) {
    auto change = [this, select](Integer a, Integer b) {
        if (select) SelectDisplayRows(a, b);
        else DeselectDisplayRows(a, b);
    };
    // Fixed-area positions scrolled away above the view.
    if (first >= FixedRowTotal() && first < TopRow()) {
        Integer upTo = std::min(last, TopRow() - 1);
        change(first, upTo);
        first = upTo + 1;
    }
    Integer end = std::min(LastShownRow(), last);
    for (Integer a = first; a <= end;) {
        bool state = IsDisplayRowSelected(a);
        Integer b = a;
        while (b + 1 <= end && IsDisplayRowSelected(b + 1) == state) ++b;
        if (select && !state) {
            SelectDisplayRows(a, b);
            PaintSelectedRows(a, b, true);
        } else if (!select && state) {
            PaintSelectedRows(a, b, false);
            DeselectDisplayRows(a, b);
        }
        a = b + 1;
    }
    // Below the view.
    if (std::max(first, end + 1) <= last) change(std::max(first, end + 1), last);
}

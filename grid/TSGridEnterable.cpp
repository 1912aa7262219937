// Where the current cell may go: the enterable columns, rows and cells
// that the keys, the presses and the selection steps search for, whether a
// cell can be edited, and the current column moved off a column that can no
// longer be entered.
//
// A column qualifies when it is visible, selectable (or the search is not
// for a selection and the grid is no list box) and not read-only (or
// read-only columns are not skipped, as in a list box). Rows alike, with
// the row's own visibility and read-only state; the insert-row position
// counts as visible.

#include <algorithm>

#include "grid/TSGrid.h"

bool TgrBaseGrid::IsEnterableColAt(Integer displayCol, bool skipReadOnly, bool forSelection) {
    if (displayCol < 1 || displayCol >= ColTotal()) return false;
    TgrCol* col = gridCols_->ColAt(DataColOfDisplay(displayCol));
    if (col && !col->Visible()) return false;
    if (!IsSelectablePosition(displayCol, -1) && (forSelection || gridMode_ == gmListBox)) return false;
    return !(col && col->GetReadOnly() && skipReadOnly && gridMode_ != gmListBox);
}

bool TgrBaseGrid::IsEnterableRowAt(Integer displayRow, bool skipReadOnly, bool forSelection) {
    if (displayRow < 1 || displayRow >= RowTotal()) return false;
    Integer dataRow = DataRowOfDisplay(displayRow);
    bool beyondData = dataRow > Rows();
    if (!beyondData && !IsRowVisible(dataRow)) return false;
    if (!IsSelectablePosition(-1, displayRow) && (forSelection || gridMode_ == gmListBox)) return false;
    return beyondData || !(skipReadOnly && gridMode_ != gmListBox && IsRowReadOnly(dataRow));
}

bool TgrBaseGrid::FindNextEnterableCol(Integer start, bool skipReadOnly, Integer& col, bool forSelection) {
    for (Integer c = std::max<Integer>(start + 1, 1); c <= Cols(); ++c)
        if (IsEnterableColAt(c, skipReadOnly, forSelection)) {
            col = c;
            return true;
        }
    return false;
}

bool TgrBaseGrid::FindPrevEnterableCol(Integer start, bool skipReadOnly, Integer& col, bool forSelection) {
    for (Integer c = std::min<Integer>(start - 1, Cols()); c >= 1; --c)
        if (IsEnterableColAt(c, skipReadOnly, forSelection)) {
            col = c;
            return true;
        }
    return false;
}

bool TgrBaseGrid::FindNextEnterableRow(Integer start, bool skipReadOnly, Integer& row, bool forSelection) {
    for (Integer r = std::max<Integer>(start + 1, 1); r <= RowTotal() - 1; ++r)
        if (IsEnterableRowAt(r, skipReadOnly, forSelection)) {
            row = r;
            return true;
        }
    return false;
}

bool TgrBaseGrid::FindPrevEnterableRow(Integer start, bool skipReadOnly, Integer& row, bool forSelection) {
    for (Integer r = std::min<Integer>(start - 1, RowTotal() - 1); r >= 1; --r)
        if (IsEnterableRowAt(r, skipReadOnly, forSelection)) {
            row = r;
            return true;
        }
    return false;
}

Integer TgrBaseGrid::GetFirstEnterableCol(bool skipReadOnly, bool forSelection) {
    Integer col = 0;
    return FindNextEnterableCol(0, skipReadOnly, col, forSelection) ? col : 0;
}

Integer TgrBaseGrid::GetLastEnterableCol(bool skipReadOnly, bool forSelection) {
    Integer col = 0;
    return FindPrevEnterableCol(Cols() + 1, skipReadOnly, col, forSelection) ? col : 0;
}

Integer TgrBaseGrid::GetFirstScrollingEnterableCol(bool skipReadOnly, bool forSelection) {
    Integer col = 0;
    return FindNextEnterableCol(FixedColTotal() - 1, skipReadOnly, col, forSelection) ? col : 0;
}

Integer TgrBaseGrid::GetFirstEnterableRow(bool skipReadOnly, bool forSelection) {
    Integer row = 0;
    if (!FindNextEnterableRow(0, skipReadOnly, row, forSelection)) return 0;
    return DataRowOfDisplay(row) > Rows() ? 0 : row;
}

Integer TgrBaseGrid::GetFirstScrollingEnterableRow(bool skipReadOnly, bool forSelection) {
    Integer row = 0;
    if (!FindNextEnterableRow(FixedRowTotal() - 1, skipReadOnly, row, forSelection)) return FixedRowTotal() - 1;
    return DataRowOfDisplay(row) > Rows() ? FixedRowTotal() - 1 : row;
}

Integer TgrBaseGrid::GetLastEnterableRow(bool skipReadOnly, bool forSelection) {
    Integer row = 0;
    if (FindPrevEnterableRow(RowTotal(), skipReadOnly, row, forSelection)) return row;
    return gridMode_ == gmEditInsert ? RowTotal() - 1 : 0;
}

bool TgrBaseGrid::IsCellEditable(Integer dataCol, Integer dataRow) {
    TgrCol* col = gridCols_->ColAt(dataCol);
    bool visible = (!col || col->Visible()) && (dataRow > Rows() || IsRowVisible(dataRow));
    if (!visible) return false;
    if (IsDesigning() && storeData_) return true;
    switch (GetCellReadOnly(dataCol, dataRow)) {
        case roOff: return true;
        case roOn: return false;
        default: return !(col && col->GetReadOnly()) && !IsRowReadOnly(dataRow);
    }
}

bool TgrBaseGrid::IsCellReadOnlyAt(Integer dataCol, Integer dataRow) {
    if (dataCol < 1 || dataCol > Cols() || dataRow < 1 || dataRow > RowTotal() - 1) return false;
    return !IsCellEditable(dataCol, dataRow);
}

// Tab with row wrap (step 1; Shift+Tab step -1): the next enterable column
// of the row, else the first of the next enterable row; with editableOnly
// cells that cannot be edited are passed over.
bool TgrBaseGrid::FindEnterableCellBy(Integer step, Integer col, Integer row, Integer& newRow, Integer& newCol,
                                      bool editableOnly) {
    if (row < 0 || row > RowTotal() - 1) return false;
    bool skip = SkipsReadOnly();
    Integer rowStart = step > 0 ? 0 : ColTotal();
    auto nextRow = [&](Integer from, Integer& found) {
        return step > 0 ? FindNextEnterableRow(from, false, found, false)
                        : FindPrevEnterableRow(from, false, found, false);
    };
    if (step < 0) col = std::min<Integer>(col, Cols() + 1);
    if (row == 0) {
        if (!nextRow(step > 0 ? 0 : RowTotal(), row)) return false;
        col = rowStart;
    }
    for (;;) {
        Integer found = 0;
        if (step > 0 ? FindNextEnterableCol(col, skip, found, false) : FindPrevEnterableCol(col, skip, found, false)) {
            if (!editableOnly || IsCellEditable(DataColOfDisplay(found), DataRowOfDisplay(row))) {
                newRow = row;
                newCol = found;
                return true;
            }
            col = found;
            continue;
        }
        if (!nextRow(row, row)) return false;
        col = rowStart;
    }
}

bool TgrBaseGrid::FindNextEnterableCell(Integer col, Integer row, Integer& newRow, Integer& newCol,
                                        bool editableOnly) {
    return FindEnterableCellBy(1, col, row, newRow, newCol, editableOnly);
}

bool TgrBaseGrid::FindPrevEnterableCell(Integer col, Integer row, Integer& newRow, Integer& newCol,
                                        bool editableOnly) {
    return FindEnterableCellBy(-1, col, row, newRow, newCol, editableOnly);
}

bool TgrBaseGrid::FindNextEnterableCellInCol(Integer col, Integer row, Integer& newRow, Integer& newCol,
                                             bool editableOnly) {
    Integer c = Cols(), r = row;
    while (FindNextEnterableCell(c, r, r, c, editableOnly)) {
        if (c == col) {
            newRow = r;
            newCol = c;
            return true;
        }
    }
    return false;
}

bool TgrBaseGrid::FindPrevEnterableCellInCol(Integer col, Integer row, Integer& newRow, Integer& newCol,
                                             bool editableOnly) {
    Integer c = 1, r = row;
    while (FindPrevEnterableCell(c, r, r, c, editableOnly)) {
        if (c == col) {
            newRow = r;
            newCol = c;
            return true;
        }
    }
    return false;
}

// A column that became hidden, read-only or went: the current cell moves
// to the next column that can be entered from there, else the one before,
// else the first; 0 when none is left.
void TgrBaseGrid::MoveToEnterableCol(Integer displayCol, bool repaint, bool forSelection, bool skipReadOnly) {
    Integer found = 0;
    if (displayCol <= Cols() && !FindNextEnterableCol(displayCol - 1, skipReadOnly, found, forSelection) &&
        !FindPrevEnterableCol(displayCol, skipReadOnly, found, forSelection))
        found = GetFirstEnterableCol(skipReadOnly, forSelection);
    if (found != curDisplayCol_ || DataColOfDisplay(found) != curDataCol_) {
        HideCellControlIfShown(false);
        if (repaint) RepaintFocusCell(false);
        ChangeCurrentCell(found, curDisplayRow_);
    }
    if (currentCell_) {
        currentCell_->ClearValue();
        currentCell_->SetSelStart(0);
    }
    RefreshCellControl();
    InvalidateFocusCell(false);
    CheckCurrentCellChanged();
}

Integer TgrBaseGrid::EnterableFrom(bool rows, Integer from, Integer step) {
    Integer found = 0;
    if (rows)
        return (step > 0 ? FindNextEnterableRow(from, false, found, false)
                         : FindPrevEnterableRow(from, false, found, false))
                   ? found
                   : 0;
    bool skip = SkipsReadOnly();
    return (step > 0 ? FindNextEnterableCol(from, skip, found, false) : FindPrevEnterableCol(from, skip, found, false))
               ? found
               : 0;
}

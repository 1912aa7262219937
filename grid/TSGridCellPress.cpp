// The left press on a data cell. A plain press is a cell click: the cell
// becomes current and may go on in its control. A cell range starts only
// from the cell's left margin (its leftmost three pixels, where the range
// cursor shows) or, with a range already selected, from a Shift or
// Ctrl+Shift press, which stretches that range; the drag that follows the
// range press extends it. A drag from anywhere else in a cell selects
// nothing.

#include <algorithm>

#include "grid/TSGrid.h"

bool TgrBaseGrid::IsSelectablePosition(Integer col, Integer row) {
    if (selectFixed_) return true;
    // Fixed data columns are 1 .. FixedColTotal() - 1 (0 is the row bar).
    if (col >= 1 && col < FixedColTotal()) return false;
    return !(row >= 1 && row < FixedRowTotal());
}

bool TgrBaseGrid::IsCellRangeCorner(Integer x, Integer col, Integer row) {
    if (CellSelectMode() != cmRange || col < 1 || row < 1) return false;
    if (gridMode_ != gmEdit && gridMode_ != gmEditInsert && gridMode_ != gmBrowse) return false;
    Integer left = CellPixels(col, row).Left;
    return x >= left && x <= left + 2;
}

bool TgrBaseGrid::StartsCellRange(TShiftState shift, Integer x, Integer col, Integer row) {
    if (IsCellRangeCorner(x, col, row)) return true;
    if (gridStatus_ != gsCellsSelected || shift.Contains(ssAlt)) return false;
    return shift.Contains(ssShift);
}

void TgrBaseGrid::DataCellPress(TShiftState shift, Integer x, Integer y, Integer col, Integer row) {
    if (StartsCellRange(shift, x, col, row)) {
        CellRangeMouseDown(shift, x, row, col, y);
        return;
    }
    ClickCell(shift, x, row, col, y);
}

// A press of the right button (without the left) moves like a left press
// but starts no edit and hands nothing to the editor.
void TgrBaseGrid::ClickCell(TShiftState shift, Integer x, Integer row, Integer col, Integer y) {
    if (col < 1 || row < 1 || col >= ColTotal() || row >= RowTotal()) return;
    bool leftPress = shift.Contains(ssLeft) || !shift.Contains(ssRight);
    if (gridMode_ == gmListBox) {
        // A list box selects by rows: the whole row acts as its row-bar cell.
        if (leftPress && rowSelectMode_ != rsNone) {
            RowSelectMouseDown(shift, x, row, 0, y);
            return;
        }
        if (IsEnterableRow(row, false) && LeaveCellFor(col, row)) {
            MoveToCell(col, row, 3, -1);
            SyncListBoxSelection(false);
            InvalidateFocusCell(false);
        }
        CheckCurrentCellChanged();
        FireSelectChanged(true);
        return;
    }
    bool wasCurrent = col == curDisplayCol_ && row == curDisplayRow_;
    Integer dataCol = DataColOfDisplay(col);
    if (IsCellReadOnly(dataCol, DataRowOfDisplay(row)) && !IsSelectablePosition(-1, row)) return;
    if (!wasCurrent && !LeaveCellFor(col, row)) return;
    // Ending the edit may have moved the rows (the insert row taken back).
    Integer under = MouseCoord(x, y).Row;
    row = under >= 1 && under < RowTotal() ? under : curDisplayRow_;
    // Read-only cells skipped: a press on one moves only the row.
    Integer pressedCol = col;
    Byte mode = leftPress ? 2 : 0;
    TgrCol* column = gridCols_->ColAt(dataCol);
    if (column && column->GetReadOnly() && IsCellReadOnly(dataCol, DataRowOfDisplay(row)) && SkipsReadOnly()) {
        col = curDisplayCol_;
        if (row != curDisplayRow_) mode = 0;
    }
    bool current = col == curDisplayCol_ && row == curDisplayRow_;
    bool editAsked = false;
    if (gridStatus_ != gsNormal || !current) {
        HideCellControlIfShown(false);
    } else if (!cellEditing_ && leftPress && col == pressedCol) {
        TgrDropDownStyle style;
        TgrButtonType button = ResolveButtonType(curDataCol_, curDataRow_, style);
        bool listOnly = (button == btCombo || button == btDateTimeDropDown || button == btDateTimePopup) &&
                        style == ddDropDownList;
        editAsked = !listOnly;
    }
    if (gridStatus_ != gsNormal && col != curDisplayCol_) mode = 0;
    SetEditSelectMode(mode);
    MoveToCell(col, row, mode, pressedCol);
    ScrollCellIntoView(current_);
    bool editRefused = false;
    if (!CanEditNow()) {
        editAsked = false;
        SetEditSelectMode(0);
    } else if (editAsked && !alwaysShowEditor_ && GetCurrentControlType() == ctText) {
        editRefused = !StartEditing(2, false);
    }
    RefreshCellControl();
    InvalidateFocusCell(false);
    // A press on the button area of the column that stays current: its button.
    if (leftPress && col == pressedCol && PressCellButton(col, row, x, y)) return;
    if (leftPress && wasCurrent && GetCurrentControlType() == ctCheck) ToggleCurrentCheck();
    // A text cell's editor places its caret by a left press once it is
    // released, unless the column changed or the edit was refused.
    controlClickPending_ = leftPress && col == pressedCol && !editRefused && GetCurrentControlType() == ctText;
    controlClickPos_ = TPoint(x, y);
    controlClickRepeated_ = shift.Contains(ssDouble);
    CheckCurrentCellChanged();
    FireSelectChanged(true);
}

void TgrBaseGrid::CellRangeMouseDown(TShiftState shift, Integer x, Integer row, Integer col, Integer y) {
    if (!IsSelectablePosition(col, row) || !CanLeaveCell(-1, -1, true)) return;
    if (IsInsertRowPos(row)) {
        ClickCell(shift, x, row, col, y);
        return;
    }
    SetMouseStatus(msCellSelect);
    SetMouseCapture(true);
    bool extend = gridStatus_ == gsCellsSelected && shift.Contains(ssShift);
    if (extend) {
        ExtendCellRange(col, row);
    } else if (!(gridStatus_ == gsCellsSelected && cellRange_ == TCellRange_ts{col, row, col, row} &&
                 curDisplayCol_ == col && curDisplayRow_ == row)) {
        StartNewCellRange(col, row);
    }
    FireSelectChanged(true);
    if (HasWindow()) Update();
}

void TgrBaseGrid::StartNewCellRange(Integer col, Integer row) {
    if (cellSelectMode_ != cmRange) return;
    HideCellControl(true);
    if (gridStatus_ == gsCellsSelected) {
        // The old range is painted off around the new one's cell, which
        // stays shown selected.
        if (!LeaveCellFor(col, row)) return;
        Integer oldRow = curDisplayRow_;
        UnpaintCellRangeExcept(col, row);
        ChangeCurrentCell(col, row);
        if (oldRow != row) {
            RepaintRowBarCell(oldRow);
            DrawRowIndicator(row);
        }
    } else {
        // Moving the current cell takes the other selections away.
        if (!MoveToDisplayCell(col, row)) return;
        DeselectAllRows();
        DeselectAllCols();
    }
    cellRange_ = TCellRange_ts{col, row, col, row};
    anchor_ = current_;
    SetGridStatus(gsCellsSelected);
    InvalidateDisplayCell(col, row);
    CheckCurrentCellChanged();
    MarkSelectChanged(2);
    FireSelectChanged(true);
}

void TgrBaseGrid::ExtendCellRange(Integer col, Integer row) {
    if (cellSelectMode_ != cmRange || gridStatus_ != gsCellsSelected) return;
    col = std::clamp<Integer>(col, std::max<Integer>(GetFirstEnterableCol(false, true), 1), ColTotal() - 1);
    row = std::clamp<Integer>(row, std::max<Integer>(GetFirstEnterableRow(false, true), 1), RowTotal() - 1);
    // The insert row takes no part in a range: the row above it does.
    if (IsInsertRowPos(row)) {
        if (!FindPrevEnterableRow(row, false, row, true)) return;
    }
    anchor_ = {col, row};
    TCellRange_ts range = NormalizedRange(current_, anchor_);
    if (range == cellRange_) return;
    // Only the strips that change are repainted.
    PaintSelectionTransition(range.Left, range.Top, range.Bottom, range.Right);
    cellRange_ = range;
    MarkSelectChanged(2);
    FireSelectChanged(true);
}

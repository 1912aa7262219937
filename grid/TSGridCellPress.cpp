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
        StartCellRangeSelect(shift, x, row, col, y);
        return;
    }
    ClickCell(shift, x, row, col, y);
}

void TgrBaseGrid::ClickCell(TShiftState shift, Integer x, Integer row, Integer col, Integer y) {
    if (col < 1 || row < 1 || col >= ColTotal() || row >= RowTotal()) return;
    if (gridMode_ == gmListBox) {
        // A list box selects by rows: the whole row acts as its row-bar cell.
        if (rowSelectMode_ != rsNone) {
            RowBarClick(shift, x, row, 0, y);
            return;
        }
        if (IsEnterableRow(row, false) && MoveToDisplayCell(col, row))
            SyncListBoxSelection(false);
        CheckCurrentCellChanged();
        FireSelectChanged(true);
        return;
    }
    bool wasCurrent = col == curDisplayCol_ && row == curDisplayRow_;
    if (rowSelection_->Count() > 0 && !shift.Contains(ssCtrl)) {
        DeselectAllRows();
        if (gridStatus_ == gsRowsSelected) SetGridStatus(gsNormal);
    }
    if (colSelection_->Count() > 0) SelectDisplayCols(1, ColTotal() - 1, false);
    if (!MoveToDisplayCell(col, row)) return;
    // On the button area of the cell that is now current: its button.
    if (PressCellButton(col, row, x, y)) return;
    if (wasCurrent && GetCurrentControlType() == ctCheck) ToggleCurrentCheck();
    // A text cell's editor places its caret by the click once it is
    // released.
    controlClickPending_ = GetCurrentControlType() == ctText;
    controlClickPos_ = TPoint(x, y);
    controlClickRepeated_ = shift.Contains(ssDouble);
    CheckCurrentCellChanged();
    FireSelectChanged(true);
}

void TgrBaseGrid::StartCellRangeSelect(TShiftState shift, Integer x, Integer row, Integer col, Integer y) {
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
    // Moving the current cell takes the old range away.
    if (!MoveToDisplayCell(col, row)) return;
    if (rowSelection_->Count() > 0) DeselectAllRows();
    if (colSelection_->Count() > 0) SelectDisplayCols(1, ColTotal() - 1, false);
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
    col = std::clamp<Integer>(col, 1, ColTotal() - 1);
    row = std::clamp<Integer>(row, 1, RowTotal() - 1);
    // The insert row takes no part in a range: the row above it does.
    if (IsInsertRowPos(row)) {
        row = NextEnterableRow(row, -1);
        if (row < 1) return;
    }
    anchor_ = {col, row};
    TCellRange_ts range = NormalizedRange(current_, anchor_);
    if (range == cellRange_) return;
    // Only the strips that change are repainted.
    RepaintSelectionChange(range.Left, range.Top, range.Bottom, range.Right);
    cellRange_ = range;
    MarkSelectChanged(2);
    FireSelectChanged(true);
}

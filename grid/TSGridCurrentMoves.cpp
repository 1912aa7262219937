// Moves of the current cell that do not come from the key table: a data
// cell made current by a call, the cell a press makes current, the current
// cell kept on its data cell when columns or rows change, and the nearest
// enterable cell after a layout copy. Each repaints the row bar's
// indicators of the rows it leaves and enters.

#include <algorithm>

#include "grid/TSGrid.h"

void TgrBaseGrid::ChangeCurrentCellWithIndicator(Integer displayCol, Integer displayRow) {
    ChangeCurrentCell(displayCol, displayRow);
    DrawRowIndicator(curDisplayRow_);
}

void TgrBaseGrid::MoveToDataCell(Integer dataCol, Integer dataRow) {
    Integer col = DisplayColOfData(dataCol), row = DisplayRowOfData(dataRow);
    if (col == curDisplayCol_ && row == curDisplayRow_) return;
    // The move goes through the base, which a data-aware grid follows with
    // its record; the grid's part of it is ChangeCurrentCell's.
    if (row == curDisplayRow_) {
        TCustomGrid_ts::MoveCurrentCell(col, row, false, true);
        return;
    }
    // The one selected row of a list box goes with the current row.
    if (IsListBoxSelect() && IsDisplayRowSelected(curDisplayRow_)) {
        DeselectDisplayRows(curDisplayRow_, curDisplayRow_);
        MarkSelectChanged(0);
    }
    Integer oldRow = curDisplayRow_;
    TCustomGrid_ts::MoveCurrentCell(col, row, false, true);
    RepaintRowBarCell(oldRow);
    if (IsDisplayRowSelected(curDisplayRow_)) DrawRowIndicatorSelected(curDisplayRow_);
    else DrawRowIndicator(curDisplayRow_);
}

void TgrBaseGrid::MoveToCell(Integer& col, Integer row, Byte selectMode, Integer preferCol) {
    Integer oldRow = curDisplayRow_;
    RepaintFocusCell(false);
    // Through the base's move, as in MoveToDataCell.
    if (!(col == curDisplayCol_ && row == curDisplayRow_)) TCustomGrid_ts::MoveCurrentCell(col, row, false, true);
    DrawRowIndicator(curDisplayRow_);
    if (selectMode != 3) SetEditSelectMode(selectMode);
    // A press on a cell ends every selection.
    ClearSelection(0, true);
    if (AnyRowSelected()) DeselectAllRows();
    if (gridStatus_ != gsNormal) SetGridStatus(gsNormal);
    // The pressed column is taken when its cell can be entered after all.
    if (preferCol != -1 && preferCol != col && preferCol >= 1 && preferCol < ColTotal()) {
        Integer dataCol = DataColOfDisplay(preferCol);
        TgrCol* c = gridCols_->ColAt(dataCol);
        if (!(IsCellReadOnly(dataCol, curDataRow_) && c && c->GetReadOnly())) {
            TCustomGrid_ts::MoveCurrentCell(preferCol, curDisplayRow_, false, true);
            col = curDisplayCol_;
        }
    }
    if (oldRow != curDisplayRow_ && oldRow >= 1 && oldRow < RowTotal()) RepaintRowBarCell(oldRow);
    CheckCurrentCellChanged();
}

void TgrBaseGrid::FollowCurrentDataCell(Integer dataCol, Integer dataRow) {
    Integer col = DisplayColOfData(dataCol), row = DisplayRowOfData(dataRow);
    if (col == curDisplayCol_ && row == curDisplayRow_) {
        // The cell stayed where it was shown; only its numbers changed.
        StoreCurrentCellPos(col, row);
        CheckCurrentCellChanged();
        return;
    }
    RepaintFocusCell(false);
    if (row != curDisplayRow_) ChangeCurrentCellWithIndicator(col, row);
    else ChangeCurrentCell(col, row);
    InvalidateFocusCell(false);
    CheckCurrentCellChanged();
}

void TgrBaseGrid::MoveToNearestEnterableCell() {
    if (Cols() <= 0 || Rows() <= 0) return;
    MoveToEnterableCol(std::min(curDisplayCol_, Cols()), false, false, SkipsReadOnly());
    MoveToRow(std::min(curDisplayRow_, Rows()), false, IsListBoxSelect(), SkipsReadOnly());
}

bool TgrBaseGrid::MoveToDisplayCell(Integer displayCol, Integer displayRow) {
    if (displayCol < 1 || displayRow < 1 || displayCol >= ColTotal() || displayRow >= RowTotal()) return false;
    if (displayCol == curDisplayCol_ && displayRow == curDisplayRow_) return true;
    if (!LeaveCellFor(displayCol, displayRow)) return false;
    ClearCellRange();
    MoveToDataCell(DataColOfDisplay(displayCol), DataRowOfDisplay(displayRow));
    ScrollCellIntoView(current_);
    return true;
}

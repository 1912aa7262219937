// The click of the grid class: a left release that ended no resize, move
// or cell-button press fires OnClick and then the click-cell notification
// with the cells of the press and of the release, each with its position.

#include "grid/TSGrid.h"

TgrClickPosition TgrBaseGrid::GetClickPosition(Integer dataCol, Integer dataRow) {
    if (dataCol < 0 || dataRow < 0) return cpOutside;
    if (dataCol == 0 && dataRow == 0) return cpCorner;
    if (dataCol == 0) return cpRowBar;
    if (dataRow == 0) return cpHeading;
    return cpCell;
}

Integer TgrBaseGrid::ClickDataCol(Integer displayCol) {
    if (displayCol < 0 || displayCol >= ColTotal()) return -1;
    return displayCol == 0 ? 0 : DataColOfDisplay(displayCol);
}

Integer TgrBaseGrid::ClickDataRow(Integer displayRow) {
    if (displayRow < 0 || displayRow >= RowTotal()) return -1;
    return displayRow == 0 ? 0 : DataRowOfDisplay(displayRow);
}

// Only the row bar and heading row (0) and the outside (-1) decide the
// position, and those are the same in both numberings.
TgrClickPosition TgrBaseGrid::ClickPositionOf(Integer displayCol, Integer displayRow) const {
    return GetClickPosition(displayCol >= ColTotal() ? -1 : displayCol, displayRow >= RowTotal() ? -1 : displayRow);
}

bool TgrBaseGrid::NotifyClickCell(Integer downCol, Integer downRow, Integer upCol, Integer upRow) {
    bool handled = FireClickCell(downCol, downRow, upCol, upRow, GetClickPosition(downCol, downRow),
                                 GetClickPosition(upCol, upRow));
    // A click that no handler took in a dropped-down list picks its row.
    if (!handled && comboGrid_ && ownerGrid_ && !IsDesigning()) ownerGrid_->PickComboValue(downRow, upCol, upRow);
    return handled;
}

bool TgrBaseGrid::IsDragSourceCell(Integer displayCol, Integer displayRow) {
    if (displayCol < 0 || displayRow < 0 || displayCol >= ColTotal() || displayRow >= RowTotal() ||
        !IsDisplayCellSelected(displayCol, displayRow))
        return false;
    if (displayRow == 0 && displayCol > 0 && colSelectMode_ == csMulti && colMoving_) {
        bool fixedSelected = false;
        for (Integer c = 1; c < FixedColTotal(); ++c) fixedSelected = fixedSelected || colSelection_->IsSelected(c);
        if (!fixedSelected) return false;
    }
    if (displayCol == 0 && displayRow > 0 && RowMoving()) {
        bool fixedSelected = false;
        for (Integer r = 1; r < FixedRowTotal(); ++r) fixedSelected = fixedSelected || rowSelection_->IsSelected(r);
        if (!fixedSelected) return false;
    }
    return true;
}

void TgrBaseGrid::ClickReleased(TgrMouseStatus status) {
    // Resizing and moving give no click, and a cell button's release fires
    // the button's own events instead; a used-up double-click none at all.
    if (ignoreRelease_ || (status >= msRowResize && status <= msColMove) || status == msButtonDown) return;
    if (!pressedInGrid_ && !IsFocusHolder(this) && !(editControl_ && editControl_->Focused())) return;
    pressedInGrid_ = false;
    Click();
    NotifyClickCell(ClickDataCol(mouseDownCell_.Col), ClickDataRow(mouseDownCell_.Row),
                    ClickDataCol(mouseUpCell_.Col), ClickDataRow(mouseUpCell_.Row));
}

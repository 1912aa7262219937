// Left presses on a column heading: they select, toggle or extend the
// column selection with the current column as the anchor, or start moving
// the selected columns (a column without column selection), and the drag
// that follows a selecting press selects the columns it passes. With a
// selection colour the selecting presses change the selection under an
// update lock and update the window once at the end, also when a handler
// raises; a Ctrl press paints its one column directly.

#include <algorithm>

#include "grid/TSGrid.h"

void TgrBaseGrid::HeadingClick(TShiftState shift, Integer x, Integer row, Integer col, Integer y) {
    if (!IsSelectablePosition(col, -1)) return;
    if (colSelectMode_ == csNone && !colMoving_) {
        // Neither selected nor moved, the heading is held like a button and
        // its release on it clicks the column's cell in the current row.
        HoldHeading(col, msHeadingButtonDown);
        return;
    }
    if (!CanLeaveCell(-1, -1, true)) return;
    HeadingPress(shift, col);
}

bool TgrBaseGrid::IsFixedColSelected() {
    Integer first = colSelection_->First();
    return FixedColTotal() > 1 && first >= 1 && first < FixedColTotal();
}

void TgrBaseGrid::HeadingPress(TShiftState shift, Integer col) {
    bool ctrl = shift.Contains(ssCtrl), shifted = shift.Contains(ssShift);
    bool plain = !ctrl && !shifted;
    // A plain press on a selected column moves the selected ones as one
    // block; without column selection any press moves its column.
    if (((plain && colSelection_->IsSelected(col)) || colSelectMode_ == csNone) && colMoving_ &&
        !IsFixedColSelected()) {
        HideCellControl(true);
        StartColMove(col);
        return;
    }
    if (colSelectMode_ == csNone) return;
    EndCellEdit(true);
    HideCellControl(true);
    ClearSelection(GridStatusBit(gsRowsSelected), true);
    RepaintFocusCell(false);
    FireSelectChanged(true);
    bool anySelected = colSelection_->Count() > 0 && gridStatus_ == gsColsSelected;
    if (!anySelected || colSelectMode_ != csMulti || plain) SelectColAtHeading(col);
    else if (ctrl && shifted) ExtendColSelectionAdd(col);
    else if (shifted) ExtendColSelection(col);
    else ToggleColAtHeading(col);
    FireSelectChanged(true);
    if (plain) {
        // Released on its heading, a plain press is the heading's click.
        pressedHeading_ = col;
        headingShownDown_ = false;
        DoHeadingDown(DataColOfDisplay(col));
    }
    // The drag that follows stretches the selection from the current
    // column (the anchor) to the column under the pointer.
    StartDragSelect(false, curDisplayCol_);
    colDragEnd_ = col;
}

void TgrBaseGrid::ColPressDone() {
    SetGridStatus(colSelection_->Count() > 0 ? gsColsSelected : gsNormal);
    MarkSelectChanged(1);
    CheckCurrentCellChanged();
}

void TgrBaseGrid::SelectColAtHeading(Integer col) {
    TgrSelectionPaintLock lock(*this);
    if (colSelection_->IsSelected(col)) {
        PaintSelectedColsOff(1, col - 1);
        PaintSelectedColsOff(col + 1, LastShownCol());
    } else if (gridStatus_ == gsCellsSelected) {
        // From the range to the column: only the cells that change.
        PaintColSelection(col, 1, nullptr, true);
        PaintSelectionTransition(col, 1, LastShownRow(), col);
        ClearCellRange();
        FireSelectChanged(true);
    } else {
        PaintSelectedColsOff(1, LastShownCol());
        PaintColRangeSelection(col, col, false);
    }
    SelectOnlyDisplayCols(col, col);
    MoveToDisplayCell(col, curDisplayRow_);
    ColPressDone();
}

void TgrBaseGrid::ToggleColAtHeading(Integer col) {
    SelectDisplayCols(col, col, !colSelection_->IsSelected(col));
    if (col != curDisplayCol_) MoveToDisplayCell(col, curDisplayRow_);
    ColPressDone();
}

void TgrBaseGrid::ExtendColSelection(Integer col) {
    TgrSelectionPaintLock lock(*this);
    Integer anchor = curDisplayCol_;
    bool anchorSelected = anchor >= 1 && colSelection_->IsSelected(anchor);
    // The columns from the anchor to the pressed one, when the anchor is
    // selected; otherwise none, and the pressed column becomes current.
    if (anchorSelected) {
        PaintSelectedColsOff(1, std::min(anchor, col) - 1);
        PaintSelectedColsOff(std::max(anchor, col) + 1, LastShownCol());
        if (!AreColsAllSelected(anchor, col)) PaintColsHighlighted(anchor, col, 3);
        SelectOnlyDisplayCols(anchor, col);
    } else {
        PaintSelectedColsOff(1, LastShownCol());
        DeselectAllCols();
        MoveToDisplayCell(col, curDisplayRow_);
    }
    ColPressDone();
}

void TgrBaseGrid::ExtendColSelectionAdd(Integer col) {
    TgrSelectionPaintLock lock(*this);
    Integer anchor = curDisplayCol_;
    bool anchorSelected = anchor >= 1 && colSelection_->IsSelected(anchor);
    // The columns from the anchor to the pressed one join the selection
    // when the anchor is selected and leave it when it is not.
    if (anchorSelected && !AreColsAllSelected(anchor, col)) {
        PaintColsHighlighted(anchor, col, 3);
        SelectDisplayCols(anchor, col, true);
    } else if (!anchorSelected && !AreColsNoneSelected(anchor, col)) {
        PaintSelectedColsOff(anchor, col);
        DeselectDisplayCols(anchor, col);
    }
    MoveToDisplayCell(col, curDisplayRow_);
    ColPressDone();
}

void TgrBaseGrid::HoldHeading(Integer col, TgrMouseStatus status) {
    pressedHeading_ = col;
    headingShownDown_ = true;
    InvalidateDisplayCell(col, 0);
    moveFromIndex_ = moveToIndex_ = col;
    DoHeadingDown(DataColOfDisplay(col));
    SetMouseStatus(status);
    SetMouseCapture(true);
}

void TgrBaseGrid::StartColMove(Integer col) {
    HoldHeading(col, msColMove);
    StartMoveFeedback();
}

void TgrBaseGrid::StartRowMove(Integer row) {
    HideCellControl(true);
    moveFromIndex_ = moveToIndex_ = row;
    SetMouseStatus(msRowMove);
    SetMouseCapture(true);
    StartMoveFeedback();
}

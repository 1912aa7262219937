// Keyboard and mouse of the grid class and the cell edit life cycle.
//
// Keys: the grid's key table (Tab, Enter, Esc, arrows, Page Up/Down, F2,
// the Ctrl moves and clipboard keys) moves the one current cell between
// enterable cells; typing starts editing a text cell, space toggles a check
// cell. Mouse: a press on a data cell makes it current (from its left margin
// a drag selects a cell range and scrolls at the edges), on a heading
// selects the column or starts moving it, near a heading's right edge
// starts resizing the column, on the row bar selects the row.

#include <algorithm>
#include <exception>
#include <vector>

#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QWheelEvent>

#include "grid/GridCheckBox.h"
#include "grid/GridCombo.h"
#include "grid/GridEditBox.h"
#include "grid/GridMaskCheck.h"
#include "grid/TSGrid.h"
#include "platform/core/Strings.h"
#include "platform/core/Clock.h"
#include "platform/gui/Forms.h"

namespace {


bool IsPrintable(char ch) { return static_cast<unsigned char>(ch) >= 32 && ch != 127; }

}  // namespace

// ------------------------------------------------------------ edit life cycle

bool TgrBaseGrid::StartCellEdit() {
    if (!CanEdit() || IsCurrentCellReadOnly()) return false;
    if (!cellEditing_) {
        if (!FireStartCellEdit() || !FireStartRowEdit()) return false;
        if (!PrepareCellEdit(curDataCol_, true)) return false;
        cellEditing_ = true;
        rowEditing_ = true;
        rowModified_ = true;
        typedSinceEditStart_ = false;
        undoValue_ = GetStoredCellValue(curDataCol_, curDataRow_, GetCurrentControlType());
        undoCol_ = curDataCol_;
        undoRow_ = curDataRow_;
        InvalidateRow(curDisplayRow_);
    }
    return true;
}

bool TgrBaseGrid::EndCellEdit(bool store) {
    if (!cellEditing_) return true;
    if (store) {
        AutoFillOnEndEdit();
        if (!ValidateCellMask() || !FireEndCellEdit()) return false;
        FinishCellEdit();
        return true;
    }
    // The value from before the edit comes back.
    LockEditStart(false);
    if (storeData_) StoreCellValue(undoCol_, undoRow_, undoValue_, EffectiveControlType(undoCol_, undoRow_));
    if (activeControl_ && undoCol_ == curDataCol_ && undoRow_ == curDataRow_) activeControl_->SetValue(undoValue_);
    LockEditStart(true);
    if (currentCell_) currentCell_->ClearValue();
    cellEditing_ = false;
    EndEditModeUnlessAlwaysShown();
    InvalidateDisplayCell(DisplayColOfData(undoCol_), DisplayRowOfData(undoRow_));
    if (rowBarOn_) InvalidateDisplayCell(0, DisplayRowOfData(undoRow_));
    return true;
}

void TgrBaseGrid::FinishCellEdit() {
    cellModified_ = true;
    cellEditing_ = false;
    EndEditModeUnlessAlwaysShown();
    InvalidateDisplayCell(DisplayColOfData(undoCol_), DisplayRowOfData(undoRow_));
    if (rowBarOn_) InvalidateDisplayCell(0, DisplayRowOfData(undoRow_));
}

bool TgrBaseGrid::EndRowEdit() {
    if (!rowEditing_) return true;
    if (!FireEndRowEdit()) return false;
    ClearRowEditState(curDataRow_);
    return true;
}

bool TgrBaseGrid::EndCellAndRowEdit() { return EndCellEdit() && EndRowEdit(); }

void TgrBaseGrid::ClearRowEditState(Integer dataRow) {
    if (!rowEditing_) return;
    if (rowChangedIndicator_ == riOn && dataRow >= 1 && dataRow <= Rows() && rowModified_) SetRowChanged(dataRow, true);
    rowEditing_ = cellModified_ = cellEditing_ = rowModified_ = insertRowInUse_ = false;
    if (rowBarOn_) InvalidateDisplayCell(0, DisplayRowOfData(dataRow));
}

bool TgrBaseGrid::CanLeaveCell(Integer dataCol, Integer dataRow, bool check) {
    if (leavingCell_ || (!cellEditing_ && !rowEditing_)) return true;
    leavingCell_ = true;
    bool ok = true;
    try {
        if (dataRow != curDataRow_)
            ok = EndCellAndRowEdit();
        else if (dataCol != curDataCol_)
            ok = EndCellEdit();
    } catch (...) {
        leavingCell_ = false;
        throw;
    }
    leavingCell_ = false;
    return ok;
}

bool TgrBaseGrid::ShouldUndoRow(bool forceRow, bool& result) {
    result = rowEditing_ && (forceRow || !cellEditing_ || !cellModified_);
    return result;
}

bool TgrBaseGrid::UndoEdit(bool forceRow, bool byUser, bool& undone, bool& valueKept) {
    undone = false;
    valueKept = true;
    if (undoing_) return true;
    undoing_ = true;
    struct Release {
        bool& flag;
        ~Release() { flag = false; }
    } release{undoing_};
    bool asked = false;
    bool undoRow = ShouldUndoRow(forceRow, asked);
    bool cellRan = cellEditing_;
    undone = undoRow || cellRan;
    bool allowed = true;
    if (cellRan) allowed = FireUndoCellEdit(byUser);
    if (undoRow && allowed) allowed = FireUndoRowEdit(byUser, asked);
    if (!allowed) return false;
    if ((cellRan && !byUser) || (undoRow && !cellRan)) valueKept = false;
    if (cellRan) {
        if (undoRow) {
            // The row's remembered values are back already; the editor
            // closes without writing the cell's own start value over them.
            if (currentCell_) currentCell_->ClearValue();
            cellEditing_ = false;
            EndEditModeUnlessAlwaysShown();
        } else {
            EndCellEdit(false);
        }
    } else if (!valueKept && currentCell_) {
        currentCell_->ClearValue();
    }
    if (undoRow) {
        rowEditing_ = cellModified_ = rowModified_ = false;
        // An undone first row of the insert row takes back the insert row
        // it showed below.
        if (insertRowInUse_ && gridMode_ == gmEditInsert && insertRowCount_ == 1 &&
            curDisplayRow_ + 1 == RowTotal() - 1 && !IsRowChanged(curDataRow_)) {
            insertRowInUse_ = false;
            Integer rows = Rows();
            SetInsertRowState(0);
            UpdateRowCount(rows);
        }
        InvalidateRow(curDisplayRow_);
        // The shown control takes the row's values back too.
        if (controlShown_) ResetCellControl(true);
    }
    return true;
}

void TgrBaseGrid::CellValueEdited(bool startEdit, bool byUser) { CellValueEdited(startEdit, byUser, false); }

void TgrBaseGrid::CellValueEdited(bool startEdit, bool byUser, bool autoFill) {
    if (!HasWindow() || !startEdit || painting_ || !IsEditStartUnlocked()) return;
    // The provisional row of gmEditInsert becomes a row only through the user.
    bool onInsertRow = gridMode_ == gmEditInsert && insertRowCount_ == 0 && curDisplayRow_ == RowTotal() - 1;
    if (onInsertRow && !byUser) return;
    if (!cellEditing_ && !BeginCellEdit()) return;
    rowModified_ = true;
    if (rowBarOn_ && rowBarIndicator_) InvalidateDisplayCell(0, curDisplayRow_);
    if (onInsertRow && !insertRowInUse_) {
        // The edited row stays; a new insert row is shown below it.
        insertRowInUse_ = true;
        AddInsertRow();
    }
    FireCellEdit(curDataCol_, curDataRow_, byUser);
    ComboValueEdited(autoFill);
}

// ------------------------------------------------------------ edit events

bool TgrBaseGrid::FireStartCellEdit() {
    if (cellEditing_) return true;
    bool cancel = false;
    if (OnStartCellEdit && CanFireEvents()) OnStartCellEdit(this, curDataCol_, curDataRow_, cancel);
    return !cancel;
}

bool TgrBaseGrid::FireStartRowEdit() {
    if (rowEditing_) return true;
    bool cancel = false;
    if (OnStartRowEdit && CanFireEvents()) OnStartRowEdit(this, curDataRow_, cancel);
    if (cancel) return false;
    rowUndoValues_.clear();
    rowUndoRow_ = curDataRow_;
    if (storeData_ && curDataRow_ >= 1 && curDataRow_ <= Rows())
        for (Integer c = 1; c <= Cols(); ++c)
            rowUndoValues_.push_back(GetStoredCellValue(c, curDataRow_, EffectiveControlType(c, curDataRow_)));
    return true;
}

void TgrBaseGrid::FireCellEdit(Integer dataCol, Integer dataRow, bool byUser) {
    if (storeData_ && activeControl_ && dataCol >= 1 && dataCol <= Cols() && dataRow >= 1 && dataRow <= Rows()) {
        // A picture cell's control has no value of its own: the edited
        // value is the current cell's.
        bool ownValue = activeControl_ == editControl_.get() || activeControl_ == checkControl_.get();
        StoreCellValue(dataCol, dataRow, ownValue ? activeControl_->GetValue() : currentCell_->GetStoredValue(),
                       EffectiveControlType(dataCol, dataRow));
    }
    if (OnCellEdit && CanFireEvents()) OnCellEdit(this, dataCol, dataRow, byUser);
}

bool TgrBaseGrid::FireEndCellEdit() {
    bool cancel = false;
    if (!OnEndCellEdit || !CanFireEvents()) return true;
    try {
        OnEndCellEdit(this, curDataCol_, curDataRow_, cancel);
    } catch (...) {
        // A failing handler keeps the cell in edit, without a message.
        return false;
    }
    return !cancel;
}

bool TgrBaseGrid::FireEndRowEdit() {
    bool cancel = false;
    if (OnEndRowEdit && CanFireEvents()) OnEndRowEdit(this, curDataRow_, cancel);
    if (cancel) return false;
    rowUndoValues_.clear();
    return true;
}

bool TgrBaseGrid::FireUndoCellEdit(bool byUser) {
    bool cancel = false;
    if (OnUndoCellEdit && CanFireEvents()) OnUndoCellEdit(this, curDataCol_, curDataRow_, byUser, cancel);
    return !cancel;
}

bool TgrBaseGrid::FireUndoRowEdit(bool byUser, bool asked) {
    if (!asked) return true;
    bool cancel = false;
    if (OnUndoRowEdit && CanFireEvents()) OnUndoRowEdit(this, curDataRow_, byUser, cancel);
    if (cancel) return false;
    if (storeData_ && rowUndoRow_ >= 1 && rowUndoRow_ <= Rows()) {
        LockEditStart(false);
        for (Integer c = 1; c <= Cols() && c <= Integer(rowUndoValues_.size()); ++c)
            StoreCellValue(c, rowUndoRow_, rowUndoValues_[std::size_t(c - 1)], EffectiveControlType(c, rowUndoRow_));
        LockEditStart(true);
    }
    rowUndoValues_.clear();
    return true;
}

// ------------------------------------------------------------ keyboard

void TgrBaseGrid::KeyPress(char& key) {
    DoGridKeyPress(key);
    // Under the key lock the key belongs to the in-cell control that passed
    // it on: only the grid's event has seen it.
    if (key == 0 || !KeysUnlocked()) return;
    if (!IsPrintable(key) && key != '\b') return;
    TgrControlType type = GetCurrentControlType();
    if (type == ctCheck) {
        // The space toggles the check on its key-down.
        if (key == ' ') key = 0;
        return;
    }
    // A list-only combo cell (or one searched while typing) takes typed
    // characters as searches in its list.
    TgrDropDownStyle style;
    if (IsPrintable(key) && CanEdit() && ResolveButtonType(curDataCol_, curDataRow_, style) == btCombo &&
        (style == ddDropDownList || ComboAcceptsKey(key))) {
        ComboCharKey(key);
        key = 0;
        return;
    }
    if (type != ctText || !EnsureEditing(true)) return;
    if (!controlShown_ || activeControl_ != editControl_.get() || !(controlPlacedAt_ == current_))
        RefreshCellControl();
    // The editor takes the key shown.
    if (activeControl_ && !activeControl_->GetVisible() && HasWindow()) Update();
    if (activeControl_ != editControl_.get()) return;
    TgrGridEditBox* box = editControl_->EditBox();
    if (!typedSinceEditStart_) {
        // The first typed character replaces the text.
        box->SelectAll();
        typedSinceEditStart_ = true;
    }
    box->DoKeyPress(key);
    key = 0;
}

bool TgrBaseGrid::ToggleCurrentCheck() {
    if (GetCurrentControlType() != ctCheck || !BeginCellEdit()) return false;
    TgrGridCheckBox* box = checkControl_->CheckBox();
    LockEditStart(false);
    Variant value = GetStoredCellValue(curDataCol_, curDataRow_, ctCheck);
    box->SetCheckBoxValues(GetCurrentCheckBoxValues());
    if (TgrCol* col = gridCols_->ColAt(curDataCol_)) box->SetAllowGrayed(col->GetAllowGrayed());
    box->SetValue(value.IsEmpty() ? Variant(Byte(0)) : value, false, false);
    LockEditStart(true);
    box->Toggle();
    StoreCellValue(curDataCol_, curDataRow_, box->Value(), ctCheck);
    cellEditing_ = false;
    InvalidateDisplayCell(curDisplayCol_, curDisplayRow_);
    return true;
}

// ------------------------------------------------------------ mouse

void TgrBaseGrid::ClearCellRange() {
    if (gridStatus_ != gsCellsSelected) return;
    RepaintRange(cellRange_);
    MarkSelectChanged(stpCells);
    cellRange_ = TCellRange_ts{0, 0, 0, 0};
    SetGridStatus(gsNormal);
}

TCellCoord_ts TgrBaseGrid::DataCellNear(Integer x, Integer y) {
    TGridLayout_ts l;
    ComputeLayout(l);
    TCellCoord_ts cell = CellAtPoint(std::clamp<Integer>(x, 0, ClientWidth() - 1),
                                     std::clamp<Integer>(y, 0, ClientHeight() - 1), l);
    if (x >= l.Horz.GridEnd || cell.Col < 0) cell.Col = l.Horz.LastFullCell;
    if (y >= l.Vert.GridEnd || cell.Row < 0) cell.Row = l.Vert.LastFullCell;
    cell.Col = std::clamp<Integer>(cell.Col, TopLeftCell().Col, ColTotal() - 1);
    cell.Row = std::clamp<Integer>(cell.Row, TopLeftCell().Row, RowTotal() - 1);
    return cell;
}

void TgrBaseGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft && EndComboHoverTracking(x, y)) return;
    if (button == mbLeft) RecordGridPress(ClientToScreen(TPoint(x, y)), shift.Contains(ssLeft));
    lastMouse_ = TPoint(x, y);
    if (!IsDesigning() && CanTakeFocus() && HasWindow() && CanFocus() && !IsFocusHolder(this) &&
        !(editControl_ && editControl_->Focused())) {
        SetFocus();
        // Another control that refused to give up the focus keeps it; the
        // press is then not the grid's.
        if (checkMouseFocus_ && !IsFocusHolder(this) && !(editControl_ && editControl_->Focused())) return;
    }
    ignoreRelease_ = false;
    if (!IsDesigning()) pressedInGrid_ = true;
    if (button == mbLeft) {
        TCellCoord_ts cell = MouseCoord(x, y);
        SetMouseDownCell(cell.Col, cell.Row);
    }
    if (button == mbLeft && !shift.Contains(ssDouble) && !ThumbPress(x, y) && !ScrollBarPress(x, y)) {
        MousePress(shift, x, y);
    } else if (button == mbLeft && shift.Contains(ssDouble) && mouseStatus_ == msNone &&
               IsOverCellButtonArea(x, y, MouseCoord(x, y).Col, MouseCoord(x, y).Row)) {
        // The second press of a double-click on a cell's button area is
        // another press of the button, not a double-click.
        TShiftState single = shift;
        single.Exclude(ssDouble);
        MousePress(single, x, y);
    } else if (button == mbLeft && shift.Contains(ssDouble) && mouseStatus_ == msNone &&
               IsOnSizingZone(x, y, MouseCoord(x, y).Col, MouseCoord(x, y).Row) != msNone) {
        // The second press of a double-click on a row or column border (the
        // row bar's too) starts a resize that, released on the border,
        // gives the row its set height (the column its set width) back.
        borderDoubleClick_ = true;
        TShiftState single = shift;
        single.Exclude(ssDouble);
        MousePress(single, x, y);
        if (mouseStatus_ < msRowResize || mouseStatus_ > msRowBarResize)
            borderDoubleClick_ = false;
    } else if (button == mbLeft && shift.Contains(ssDouble) && mouseStatus_ == msNone) {
        DoubleClickPress(shift, x, y);
    } else if (button == mbRight && mouseStatus_ == msNone) {
        RightPress(x, y);
    }
    TCustomControl::MouseDown(button, shift, x, y);
}

// The grid fires OnDblClick itself from the second press of a double-click
// (DoubleClickPress), before OnMouseDown and only where the press is a
// double-click (not on a button area or a border); the window's own
// notification after the press is not passed on.
void TgrBaseGrid::DblClick() {}

// A right press moves the current cell like a click, so that the context
// menu acts on the cell pressed; on a cell shown selected it changes
// nothing, and the menu acts on the selection.
void TgrBaseGrid::RightPress(Integer x, Integer y) {
    TCellCoord_ts cell = MouseCoord(x, y);
    if (cell.Col < 0 || cell.Row < 0 || (cell.Col == 0 && cell.Row == 0)) return;
    if (droppedCombo_ && !(cell.Col == curDisplayCol_ && cell.Row == curDisplayRow_)) CloseDropDowns(false);
    if (cell.Col == 0) cell.Col = curDisplayCol_;
    if (cell.Row == 0) cell.Row = curDisplayRow_;
    if ((cell.Col == curDisplayCol_ && cell.Row == curDisplayRow_) || IsDisplayCellSelected(cell.Col, cell.Row)) return;
    TShiftState right;
    right.Include(ssRight);
    ClickCell(right, x, cell.Row, cell.Col, y);
}

// ------------------------------------------------------------ row-bar presses

void TgrBaseGrid::RowSelectMouseDown(TShiftState shift, Integer x, Integer row, Integer col, Integer y) {
    if (rowSelectMode_ == rsNone) return;
    // A press that changes the selection first ends the cell edit; one
    // that cannot be ended refuses the press.
    if ((row != curDisplayRow_ || !IsDisplayRowSelected(row)) && !CanLeaveCell(-1, -1, true)) return;
    bool handled = false;
    RowBarPress(shift, row, handled);
    if (handled || curDisplayRow_ != row) return;
    // A press that selected only its row, and a Ctrl press under rsMulti,
    // go on as a drag over the rows they select or toggle.
    if (IsPlainRowBarPress(shift) || (rowSelectMode_ == rsMulti && shift.Contains(ssCtrl) && !shift.Contains(ssShift)))
        StartDragSelect(true, row);
}

bool TgrBaseGrid::IsPlainRowBarPress(TShiftState shift) {
    bool ctrl = shift.Contains(ssCtrl), shifted = shift.Contains(ssShift);
    return (!ctrl && !shifted) || (rowSelectMode_ == rsSingle && !(ctrl && !shifted && !IsListBoxSelect()));
}

void TgrBaseGrid::RowBarPress(TShiftState shift, Integer row, bool& handled) {
    handled = false;
    bool ctrl = shift.Contains(ssCtrl), shifted = shift.Contains(ssShift);
    if (IsPlainRowBarPress(shift)) SelectRowAtBar(row);
    else if (rowSelectMode_ == rsSingle) ClickSelectRow(row);
    else if (ctrl && !shifted) ToggleRowAtBar(row);
    else if (!ctrl) ExtendRowSelection(row, handled);
    else ExtendRowSelectionAdd(row, handled);
}

void TgrBaseGrid::SelectRowAtBar(Integer row) {
    SetRangeAnchorRow(row);
    if (IsDisplayRowSelected(row) && row == curDisplayRow_) {
        // The other rows go; the pressed one stays as it is shown.
        PaintSelectedRows(1, row - 1, false);
        PaintSelectedRows(row + 1, LastShownRow(), false);
        SelectOnlyDisplayRows(row, row);
        FinishRowBarSelection();
    } else if (IsDisplayRowSelected(row)) {
        SelectOnlyRow(row, false);
    } else {
        ClickSelectRow(row);
    }
}

void TgrBaseGrid::ClickSelectRow(Integer row) {
    TgrSelectionPaintLock lock(*this);
    if (gridStatus_ == gsCellsSelected) {
        // From the range to the row: only the cells that change.
        PaintSelectionTransition(1, row, row, LastShownCol());
        PaintRowBarSelection(false);
    } else {
        PaintSelectedRows(1, TopRow() + GetVisibleRowCount(), false);
    }
    if (!MoveToDisplayCell(curDisplayCol_, row)) return;
    ClearSelectionsBesideRows();
    SelectOnlyDisplayRows(row, row);
    FinishRowBarSelection();
}

void TgrBaseGrid::ToggleRowAtBar(Integer row) {
    if (IsInsertRowPos(row)) return;
    SetRangeAnchorRow(row);
    bool wasSelected = IsDisplayRowSelected(row);
    if (!MoveToDisplayCell(curDisplayCol_, row)) return;
    ClearSelectionsBesideRows();
    if (wasSelected) DeselectDisplayRows(row, row);
    else SelectDisplayRows(row, row);
    FinishRowBarSelection();
}

bool TgrBaseGrid::IsAnchorRowSelected() {
    return curDisplayRow_ >= 1 && curDisplayRow_ < RowTotal() && IsDisplayRowSelected(curDisplayRow_);
}

void TgrBaseGrid::ExtendRowSelection(Integer row, bool& handled) {
    handled = false;
    if (IsInsertRowPos(row)) return;
    TgrSelectionPaintLock lock(*this);
    Integer anchor = GetRangeAnchorRow();
    bool anchorSelected = IsAnchorRowSelected();
    if (!MoveToDisplayCell(curDisplayCol_, row)) return;
    ClearSelectionsBesideRows();
    DeselectAllRows();
    if (anchorSelected) {
        SelectDisplayRows(anchor, row);
        RangeSelectDone(row);
    }
    FinishRowBarSelection();
}

void TgrBaseGrid::ExtendRowSelectionAdd(Integer row, bool& handled) {
    handled = false;
    if (IsInsertRowPos(row)) return;
    TgrSelectionPaintLock lock(*this);
    Integer anchor = GetRangeAnchorRow();
    bool anchorSelected = IsAnchorRowSelected();
    if (!MoveToDisplayCell(curDisplayCol_, row)) return;
    ClearSelectionsBesideRows();
    if (anchorSelected) SelectDisplayRows(anchor, row);
    else DeselectDisplayRows(anchor, row);
    SetRangeAnchorRow(row);
    FinishRowBarSelection();
}

void TgrBaseGrid::SelectOnlyRow(Integer row, bool noPaint) {
    if (RowTotal() < 2) return;
    if (row < 1 || row >= RowTotal()) row = 1;
    {
        TgrSelectionPaintLock lock(*this, !noPaint);
        if (!noPaint) {
            PaintSelectedRows(1, row - 1, false);
            PaintSelectedRows(row + 1, LastShownRow(), false);
        }
        bool was = IsDisplayRowSelected(row);
        DeselectAllRows();
        if (was) SelectDisplayRows(row, row);
        Integer old = curDisplayRow_;
        ChangeCurrentCell(curDisplayCol_, row);
        if (old != row && noPaint) {
            InvalidateDisplayCell(0, old);
            InvalidateDisplayCell(0, row);
        } else if (old != row) {
            RepaintRowBarCell(old);
            if (was) DrawRowIndicatorSelected(row);
            else DrawRowIndicator(row);
        }
        if (!was) {
            SelectDisplayRows(row, row);
            if (noPaint) InvalidateRow(row);
            else PaintRowRangeSelection(row, row, true);
        }
        CheckCurrentCellChanged();
    }
    FinishRowBarSelection();
}

Integer TgrBaseGrid::CompareToCurrentRow(Integer row) {
    return row < curDisplayRow_ ? -1 : row > curDisplayRow_ ? 1 : 0;
}

void TgrBaseGrid::FinishRowBarSelection() {
    SetGridStatus(AnyRowSelected() ? gsRowsSelected : gsNormal);
    MarkSelectChanged(0);
    FireSelectChanged(true);
}

void TgrBaseGrid::SelectAllRows(bool byUser) {
    if (rowSelectMode_ != rsMulti || !CanLeaveCell(-1, -1, true)) return;
    if (HideCellControlIfShown(true) && HasWindow()) Update();
    if (byUser) SetMouseStatus(msSelectAll);
    struct EndStatus {
        TgrBaseGrid& g;
        bool on;
        ~EndStatus() {
            if (on) g.SetMouseStatus(msNone);
        }
    } endStatus{*this, byUser};
    Integer visible = 0;
    for (Integer r = 1; r <= Rows(); ++r)
        if (IsRowVisible(r)) ++visible;
    bool select = !(byUser && visible == rowSelection_->Count());
    SelectRowRange(1, Rows(), true, select);
}

void TgrBaseGrid::MousePress(TShiftState shift, Integer x, Integer y) {
    pressedHeading_ = -1;
    TCellCoord_ts under = MouseCoord(x, y);
    // A press anywhere but on the cell whose list is down closes the list.
    if (droppedCombo_ && !(under.Col >= 1 && under.Row >= 1 && under.Col < ColTotal() && under.Row < RowTotal() &&
                           IsDroppedDownAt(DataColOfDisplay(under.Col), DataRowOfDisplay(under.Row))))
        CloseDropDowns();
    if (BeginResizeAtPoint(x, y, under.Row, under.Col)) {
        StartResizeLine();
        return;
    }
    // A plain press on the selection may start the owner's drag of it.
    if (IsDragSourceCell(under.Col, under.Row) && !shift.Contains(ssShift) && !shift.Contains(ssCtrl))
        DoCanStartDrag();
    if (under.Col == 0 && under.Row == 0) {
        SelectAllRows(true);
        return;
    }
    // A plain press on a selected row (or any row without row selection)
    // starts moving the rows.
    if (under.Col == 0 && under.Row >= 1 && RowMoving() && !IsInsertRowPos(under.Row) &&
        ((!shift.Contains(ssShift) && !shift.Contains(ssCtrl) && rowSelection_->IsSelected(under.Row)) ||
         rowSelectMode_ == rsNone)) {
        if (rowSelectMode_ == rsNone && !MoveToDisplayCell(curDisplayCol_, under.Row)) return;
        StartRowMove(under.Row);
        return;
    }
    TCellCoord_ts cell = MouseCoord(x, y);
    if (cell.Col < 0 || cell.Row < 0) return;
    if (cell.Row == 0 && cell.Col >= 1) {
        if (!PressHeadingButton(cell.Col, x, y)) HeadingClick(shift, x, cell.Row, cell.Col, y);
        return;
    }
    if (cell.Col == 0 && cell.Row >= 1) {
        RowSelectMouseDown(shift, x, cell.Row, cell.Col, y);
        return;
    }
    if (cell.Col < 1 || cell.Row < 1) return;
    DataCellPress(shift, x, y, cell.Col, cell.Row);
}

void TgrBaseGrid::MouseMove(TShiftState shift, int x, int y) {
    lastMouse_ = TPoint(x, y);
    if (thumbAxis_) {
        ThumbDragTo(x, y, false);
        TCustomControl::MouseMove(shift, x, y);
        return;
    }
    if (TrackComboOnFirstMove(x, y)) {
        TCustomControl::MouseMove(shift, x, y);
        return;
    }
    switch (mouseStatus_) {
        case msColResize:
        case msRowBarResize: MoveResizeLine(x + sizeOffset_); break;
        case msRowResize:
        case msHeadingResize: MoveResizeLine(y + sizeOffset_); break;
        case msRowMove: TrackRowMove(x, y); break;
        case msButtonDown:
        case msHeadingButtonDown:
        case msColMove:
            if (TrackPressedButton(x, y)) break;
            // The held heading looks pressed only while the pointer is on it.
            if (pressedHeading_ >= 1) {
                TCellCoord_ts over = MouseCoord(x, y);
                bool down = HeadingShownDownAt(x, y);
                if (down != headingShownDown_) {
                    headingShownDown_ = down;
                    InvalidateDisplayCell(pressedHeading_, 0);
                }
            }
            if (mouseStatus_ != msColMove) break;
            TrackColMove(x, y);
            break;
        case msRowSelect:
        case msColSelect:
        case msCellSelect: DragSelectTo(x, y); break;
        case msNone: {
            TCellCoord_ts under = MouseCoord(x, y);
            UpdateHotButton(x, y, under.Row, under.Col);
            break;
        }
        default: break;
    }
    TCustomControl::MouseMove(shift, x, y);
}

// A row (rows True) or column drag selection from the anchor `at`.
void TgrBaseGrid::StartDragSelect(bool rows, Integer at) {
    if (rows) SetMouseSelectRow(at);
    else colSelectStart_ = colDragEnd_ = at;
    SetMouseStatus(rows ? msRowSelect : msColSelect);
    SetMouseCapture(true);
}

namespace {
// A drag from the anchor inverts the items between the anchor and its end
// (the anchor left out) from their state before the drag; an item the end
// passes back over is inverted again, so it gets that state back, and
// items the drag never reached keep theirs. Moves the end from e to r.
template <class Toggle>
void MoveDragEnd(Integer a, Integer e, Integer r, Toggle toggle) {
    auto inverted = [a](Integer item, Integer end) {
        return end > a ? item > a && item <= end : item < a && item >= end;
    };
    for (Integer i = std::min({a, e, r}); i <= std::max({a, e, r}); ++i)
        if (inverted(i, e) != inverted(i, r)) toggle(i);
}
}  // namespace

void TgrBaseGrid::ToggleDisplayRows(Integer from, Integer to) {
    for (Integer r = std::min(from, to); r <= std::max(from, to); ++r) {
        if (r < 1 || r >= RowTotal()) continue;
        if (IsDisplayRowSelected(r)) DeselectDisplayRows(r, r);
        else SelectDisplayRows(r, r);
    }
}

void TgrBaseGrid::SetMouseSelectRow(Integer displayRow) { rowSelectStart_ = rowDragEnd_ = displayRow; }

// The rows between the anchor and the end invert whichever side of the
// anchor the end lies on, so the three steps are one.
void TgrBaseGrid::DragSelectRowsDown(Integer displayRow) {
    if (rowSelectMode_ == rsSingle) {
        DragSingleRowTo(displayRow);
        return;
    }
    if (displayRow == rowDragEnd_) return;
    MoveDragEnd(rowSelectStart_, rowDragEnd_, displayRow, [this](Integer i) { ToggleDisplayRows(i, i); });
    rowDragEnd_ = displayRow;
    SetGridStatus(AnyRowSelected() ? gsRowsSelected : gsNormal);
    MarkSelectChanged(0);
    FireSelectChanged(true);
}

void TgrBaseGrid::DragSelectRowsUp(Integer displayRow) { TgrBaseGrid::DragSelectRowsDown(displayRow); }

void TgrBaseGrid::DragSelectRowsAtCurrent(Integer displayRow) { TgrBaseGrid::DragSelectRowsDown(displayRow); }

// One selected row follows the pointer as the current row; in a
// dropped-down list it shows selected only while the pointer is on the
// list's rows, so a release beside them chooses nothing.
void TgrBaseGrid::DragSingleRowTo(Integer displayRow) {
    Integer r = std::clamp<Integer>(displayRow, 1, std::max<Integer>(1, Rows()));
    if (r != rowDragEnd_ && !MoveToDisplayCell(curDisplayCol_, r)) return;
    rowDragEnd_ = r;
    bool want = !comboGrid_ || pointerInRows_;
    if (want == rowSelection_->IsSelected(r) && rowSelection_->Count() == (want ? 1 : 0)) return;
    DeselectAllRows();
    if (want) SelectDisplayRows(r, r);
    SetGridStatus(want ? gsRowsSelected : gsNormal);
    MarkSelectChanged(0);
    FireSelectChanged(true);
}

void TgrBaseGrid::EndDragSelectRows(bool released) {
    if (!released && !IsListBoxSelect()) {
        // The rows from the anchor (under rsSingle the row the selection
        // followed to) to the drag end are inverted back, the anchor
        // included, so a row selected by the press ends deselected.
        ToggleDisplayRows(rowSelectMode_ == rsMulti ? rowSelectStart_ : curDisplayRow_, rowDragEnd_);
        SetGridStatus(AnyRowSelected() ? gsRowsSelected : gsNormal);
        MarkSelectChanged(0);
    }
    FireSelectChanged(true);
}

void TgrBaseGrid::ToggleDisplayCols(Integer from, Integer to) {
    for (Integer c = std::min(from, to); c <= std::max(from, to); ++c)
        if (c >= 1 && c < ColTotal()) SelectDisplayCols(c, c, !colSelection_->IsSelected(c));
}

void TgrBaseGrid::DragSelectTo(Integer x, Integer y) {
    // A list just dropped down follows the pointer from the moment it is
    // inside its rows.
    if (mouseStatus_ == msRowSelect && autoScrollHold_ && !IsPointInRowsArea(x, y)) return;
    TCellCoord_ts cell = DataCellNear(x, y);
    if (mouseStatus_ == msColSelect) TrackColDragSelect(x, y, cell.Row, cell.Col);
    else if (mouseStatus_ == msRowSelect) TrackRowDragSelect(x, y, cell.Row, cell.Col);
    else if (mouseStatus_ == msCellSelect) {
        Integer px = x, py = y;
        ClampDragPoint(x, y, cell.Row, cell.Col, py, px);
        TrackCellDragSelect(px, py, cell.Row, cell.Col);
    }
}

void TgrBaseGrid::TrackColDragSelect(Integer x, Integer y, Integer row, Integer col) {
    if (colSelectMode_ != csMulti) return;
    if (CheckColAutoScroll(x, y, col, row)) return;
    DragColEndTo(col);
}

void TgrBaseGrid::DragColEndTo(Integer col) {
    Integer c = std::clamp<Integer>(col, 1, std::max<Integer>(1, ColTotal() - 1));
    switch (c < curDisplayCol_ ? -1 : c > curDisplayCol_ ? 1 : 0) {
        case 1: DragSelectColsRight(c); break;
        case -1: DragSelectColsLeft(c); break;
        default: DragSelectColsAtCurrent(c); break;
    }
}

void TgrBaseGrid::DragRowEndTo(Integer row) {
    Integer r = std::clamp<Integer>(row, 1, std::max<Integer>(1, Rows()));
    switch (CompareToCurrentRow(r)) {
        case 1: DragSelectRowsDown(r); break;
        case -1: DragSelectRowsUp(r); break;
        default: DragSelectRowsAtCurrent(r); break;
    }
}

// The columns between the anchor and the end invert whichever side of the
// anchor the end lies on, so the three steps are one.
void TgrBaseGrid::DragSelectColsRight(Integer col) {
    if (col == colDragEnd_) return;
    MoveDragEnd(colSelectStart_, colDragEnd_, col, [this](Integer i) { ToggleDisplayCols(i, i); });
    colDragEnd_ = col;
    SetGridStatus(colSelection_->Count() > 0 ? gsColsSelected : gsNormal);
    MarkSelectChanged(1);
    FireSelectChanged(true);
}

void TgrBaseGrid::DragSelectColsLeft(Integer col) { DragSelectColsRight(col); }

void TgrBaseGrid::DragSelectColsAtCurrent(Integer col) { DragSelectColsRight(col); }

void TgrBaseGrid::TrackRowDragSelect(Integer x, Integer y, Integer row, Integer col) {
    if (rowSelectMode_ == rsMulti || rowSelectMode_ == rsSingle) {
        TCellCoord_ts under = MouseCoord(x, y);
        pointerInRows_ = under.Row >= 1 && under.Col >= 0;
        if (CheckDragAutoScroll(x, y, col, row)) return;
        DragRowEndTo(row);
        return;
    }
    Integer from = std::min(rowSelectStart_, row), to = std::max(rowSelectStart_, row);
    for (Integer r = 1; r < RowTotal(); ++r) {
        bool want = r >= from && r <= to;
        if (want != IsDisplayRowSelected(r)) {
            if (want) SelectDisplayRows(r, r);
            else DeselectDisplayRows(r, r);
        }
    }
    MarkSelectChanged(0);
}

void TgrBaseGrid::TrackCellDragSelect(Integer x, Integer y, Integer row, Integer col) {
    // The row drag's check of a descendant works on its records, not on
    // a cell range.
    // A pointer past a corner is the horizontal loop's.
    bool scrolled = CheckColAutoScroll(x, y, col, row) || TgrBaseGrid::CheckDragAutoScroll(x, y, col, row);
    if (!scrolled && !(TCellCoord_ts{col, row} == anchor_)) ExtendCellRange(col, row);
}

void TgrBaseGrid::EndDragSelectCols(bool released) {
    if (!released && colSelectMode_ == csMulti) {
        // Columns alike, from the anchor to the drag end.
        ToggleDisplayCols(colSelectStart_, colDragEnd_);
        SetGridStatus(colSelection_->Count() > 0 ? gsColsSelected : gsNormal);
        MarkSelectChanged(1);
    }
    FireSelectChanged(true);
}

void TgrBaseGrid::EndDragSelectCells(bool released) {
    // Given up, the range goes.
    if (!released) ClearCellRange();
    FireSelectChanged(true);
}

void TgrBaseGrid::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft && thumbAxis_) {
        ThumbDragTo(x, y, true);
        thumbAxis_ = 0;
        SetMouseCapture(false);
    } else if (button == mbLeft) {
        TCellCoord_ts cell = MouseCoord(x, y);
        // Rows of a list scrolled out below its window are beside it, not
        // under the pointer.
        if (comboGrid_ && cell.Row >= 1 && !IsOnListRow(x, y)) cell = {-1, -1};
        SetMouseUpCell(cell.Col, cell.Row);
        TgrMouseStatus status = mouseStatus_;
        FinishMouseAction(true, x, y);
        // Released on the cell it made current, the click goes on in the
        // control; anywhere else it is dropped.
        TCellCoord_ts under = MouseCoord(x, y);
        if (under.Col != curDisplayCol_ || under.Row != curDisplayRow_ || gridStatus_ != gsNormal)
            controlClickPending_ = false;
        ForwardPressToEditor(false);
        ClickReleased(status);
    }
    if (button == mbLeft) ignoreRelease_ = false;
    pressedInGrid_ = false;
    try {
        TCustomControl::MouseUp(button, shift, x, y);
    } catch (const EInvalidGridOperation& e) {
        // A release handler that met the grid's counts changed under the
        // click asked for a cell that is no longer there; that alone is
        // let go, recognised by its code.
        if (e.Code != TgrGridErrorCode::IndexOutOfRange) throw;
    }
    if (button == mbRight && !IsDesigning()) {
        bool handled = false;
        HandleContextPopup(TPoint(x, y), handled);
    }
}

void TgrBaseGrid::HandleContextPopup(const TPoint& pos, bool& handled) {
    if (OnContextPopup && CanFireEvents()) OnContextPopup(this, pos, handled);
    if (handled) return;
    if (TPopupMenu* own = PopupMenu()) {
        if (provideGridMenu_) AddGridMenuItems(own);
        own->SetPopupComponent(this);
        TPoint p = ClientToScreen(pos);
        own->Popup(p.X, p.Y);
        handled = true;
        return;
    }
    if (!handled && provideGridMenu_) {
        ShowGridMenu(pos.X, pos.Y);
        handled = true;
    }
}

bool TgrBaseGrid::WidgetEvent(QEvent* event) {
    switch (event->type()) {
        case QEvent::Wheel: {
            auto* we = static_cast<QWheelEvent*>(event);
            wheelDelta_ += we->angleDelta().y();
            TShiftState shift;
            if (we->modifiers() & Qt::ShiftModifier) shift.Include(ssShift);
            if (we->modifiers() & Qt::ControlModifier) shift.Include(ssCtrl);
            if (we->modifiers() & Qt::AltModifier) shift.Include(ssAlt);
            TPoint pos(int(we->position().x()), int(we->position().y()));
            bool handled = false;
            // A notch is 120; finer wheels add up to one.
            while (wheelDelta_ >= 120) {
                wheelDelta_ -= 120;
                handled = HandleMouseWheelUp(shift, pos) || handled;
            }
            while (wheelDelta_ <= -120) {
                wheelDelta_ += 120;
                handled = HandleMouseWheelDown(shift, pos) || handled;
            }
            if (handled) event->accept();
            return handled;
        }
        case QEvent::ContextMenu: {
            // A right click shows its menu on release; only the keyboard's
            // menu key arrives here, and opens the menu at the current cell.
            auto* ce = static_cast<QContextMenuEvent*>(event);
            if (ce->reason() == QContextMenuEvent::Mouse || IsDesigning()) return true;
            TRect r = CellPixels(curDisplayCol_, curDisplayRow_);
            bool handled = false;
            HandleContextPopup(TPoint(r.Left, r.Bottom), handled);
            return true;
        }
        case QEvent::FocusIn: {
            // The focus-entering counter is up while the form learns of the
            // focus; then the control shows or takes the focus over.
            ++enteringFocus_;
            bool r = false;
            try {
                r = TCustomControl::WidgetEvent(event);
            } catch (...) {
                --enteringFocus_;
                throw;
            }
            --enteringFocus_;
            // (A hidden control passes the focus on as if by Tab: that is
            // not the keyboard's.)
            Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (!hidingControl_ && (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason))
                focusByKeyboard_ = true;
            FocusEntered();
            return r;
        }
        case QEvent::FocusOut: {
            bool r = TCustomControl::WidgetEvent(event);
            FocusLeft();
            return r;
        }
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            // A key of an in-cell control has reached the grid through the
            // control's handlers already; passed up by the window system it
            // would fire the grid's key events and move it a second time.
            QWidget* focus = QApplication::focusWidget();
            if (Widget() && focus && focus != Widget() && Widget()->isAncestorOf(focus)) {
                event->accept();
                return true;
            }
            if (event->type() == QEvent::KeyPress) return TCustomControl::WidgetEvent(event);
            // The focus that came by keyboard passes to the control once its
            // key is up.
            bool r = TCustomControl::WidgetEvent(event);
            if (focusByKeyboard_) {
                focusByKeyboard_ = false;
                if (controlShown_ && activeControl_ && activeControl_->GetVisible() && activeControl_->CanFocus())
                    activeControl_->SetFocus();
            }
            return r;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseMove:
            // The grid's mouse input is its own: passed on to the parent, a
            // press would reach the form and close the list it just dropped.
            TCustomControl::WidgetEvent(event);
            event->accept();
            return true;
        default: return TCustomControl::WidgetEvent(event);
    }
}

namespace {
int WheelLines() {
    int lines = QApplication::wheelScrollLines();
    return lines > 0 ? lines : 3;
}
}  // namespace

bool TgrBaseGrid::HandleMouseWheelDown(TShiftState shift, const TPoint&) {
    if (shift.Contains(ssShift) || shift.Contains(ssCtrl) || shift.Contains(ssAlt) || !HasWindow()) return false;
    TGridLayout_ts l;
    ComputeLayout(l);
    TCellCoord_ts top = TopLeftCell();
    Integer lines = std::clamp<Integer>(WheelLines(), 1, std::max<Integer>(1, l.Vert.LastFullCell - top.Row + 1));
    TCellCoord_ts last = LastTopLeft({ColTotal() - 1, RowTotal() - 1}, l);
    Integer row = std::min<Integer>(top.Row + lines, std::max(last.Row, FixedRowTotal()));
    if (row != top.Row) SetTopLeft(top.Col, row);
    return true;
}

bool TgrBaseGrid::HandleMouseWheelUp(TShiftState shift, const TPoint&) {
    if (shift.Contains(ssShift) || shift.Contains(ssCtrl) || shift.Contains(ssAlt) || !HasWindow()) return false;
    TGridLayout_ts l;
    ComputeLayout(l);
    TCellCoord_ts top = TopLeftCell();
    Integer lines = std::clamp<Integer>(WheelLines(), 1, std::max<Integer>(1, l.Vert.LastFullCell - top.Row + 1));
    Integer row = std::max<Integer>(top.Row - lines, FixedRowTotal());
    if (row != top.Row) SetTopLeft(top.Col, row);
    return true;
}

// ------------------------------------------------------------ grid menu

void TgrBaseGrid::AddGridMenuItems(TPopupMenu* menu) {
    if (!menu) return;
    TMenuItem* items = menu->Items();
    for (int i = 0; i < items->Count(); ++i)
        if (items->Items(i)->Tag() == GridMenuTag) return;
    auto add = [&](const char* caption, std::function<void()> action) {
        auto* item = new TMenuItem(this);
        item->SetCaption(caption);
        item->SetTag(GridMenuTag);
        if (action) item->OnClick = [action](TObject*) { action(); };
        items->Add(item);
    };
    if (menu == PopupMenu()) add("-", nullptr);
    add("Preview Grid...", [this] { PreviewGrid(); });
    add("Print Grid...", [this] { PrintGrid(); });
    add("Export Grid...", [this] { ExportGrid(); });
}

void TgrBaseGrid::CreateGridMenu() {
    delete gridMenu_;
    gridMenu_ = new TPopupMenu(this);
    gridMenu_->SetPopupComponent(this);
    AddGridMenuItems(gridMenu_);
}

void TgrBaseGrid::ShowGridMenu(Integer x, Integer y) {
    // An assigned PopupMenu gets the grid's items; the window's context-menu
    // request shows it, so it is not popped up a second time here.
    if (TPopupMenu* assigned = PopupMenu()) {
        AddGridMenuItems(assigned);
        return;
    }
    if (!gridMenu_) CreateGridMenu();
    TPoint p = ClientToScreen(TPoint(x, y));
    gridMenu_->Popup(p.X, p.Y);
}

void TgrBaseGrid::CancelMouseAction() { FinishMouseAction(false, lastMouse_.X, lastMouse_.Y); }

void TgrBaseGrid::FinishMouseAction(bool released, Integer x, Integer y) {
    TgrMouseStatus status = mouseStatus_;
    scrollDelayStart_ = 0;
    // The feedback goes first, with the status that drew it.
    if (resizeLineShown_) DrawResizeLine();
    if (dropMarkerShown_) ToggleDropMarker();
    resizeLineShown_ = dropMarkerShown_ = false;
    // The double-click on a border lasts to the end of this action only.
    struct ForgetDoubleClick {
        bool& flag;
        ~ForgetDoubleClick() { flag = false; }
    } forget{borderDoubleClick_};
    SetMouseCapture(false);
    SetMouseStatus(msNone);
    if (status == msColMove || status == msRowMove) {
        // The drag cursor goes with the move.
        TCursor shown = Cursor();
        if (!CursorRequest(int(x), int(y), shown)) shown = Cursor();
        ShowCursorNow(shown);
    }
    if (status == msRowSelect && rowSelectMode_ != rsNone) EndDragSelectRows(released);
    else if (status == msColSelect) EndDragSelectCols(released);
    else if (status == msCellSelect) EndDragSelectCells(released);
    if (EndCellButtonPress(released, x, y) || ReleaseHeadingButton(released)) {
        if (HasWindow()) Update();
        return;
    }
    if (!released) return;
    switch (status) {
        case msRowResize:
        case msHeadingResize: FinishRowResize(x, y, true); break;
        case msRowMove: FinishRowMove(true); break;
        case msColResize:
        case msRowBarResize: FinishColResize(x, true); break;
        case msColMove:
        case msHeadingButtonDown: {
            Integer dataCol = DataColOfDisplay(moveFromIndex_);
            if (status == msColMove && moveToIndex_ != moveFromIndex_ && moveToIndex_ >= 1) {
                FinishColMove(true);
                break;
            }
            TCellCoord_ts cell = MouseCoord(x, y);
            if (cell.Row != 0 || cell.Col != pressedHeading_) break;
            DoHeadingUp(dataCol);
            DoHeadingClick(dataCol);
            // A move that went nowhere leaves the selection as it was;
            // without column selection or moving a heading click is a click
            // on its column's cell in the current row.
            if (status == msHeadingButtonDown) MoveToDisplayCell(pressedHeading_, curDisplayRow_);
            break;
        }
        case msRowSelect:
        case msColSelect:
        case msCellSelect:
            if (status == msColSelect && pressedHeading_ >= 1 && MouseCoord(x, y).Row == 0 &&
                MouseCoord(x, y).Col == pressedHeading_) {
                // The column press released on its heading is the heading's click.
                Integer dataCol = DataColOfDisplay(pressedHeading_);
                DoHeadingUp(dataCol);
                DoHeadingClick(dataCol);
            }
            FireSelectChanged(true);
            break;
        default: break;
    }
    if (pressedHeading_ >= 1 && pressedHeading_ < ColTotal()) InvalidateDisplayCell(pressedHeading_, 0);
    pressedHeading_ = -1;
    headingShownDown_ = false;
    if (HasWindow()) Update();
}

void TgrBaseGrid::FinishColMove(bool released) {
    if (!released || moveToIndex_ == moveFromIndex_ || moveToIndex_ < 1) return;
    MoveCol(moveFromIndex_, std::min<Integer>(moveToIndex_, Cols()));
}

void TgrBaseGrid::FinishRowMove(bool released) {
    if (!released) return;
    Integer from = moveFromIndex_, to = std::min(moveToIndex_, Rows());
    if (to < 1 || !MoveRow(from, to)) return;
    if (rowSelection_->Count() > 0) SetGridStatus(gsRowsSelected);
}

void TgrBaseGrid::MarkSelectChanged(Integer kind) {
    if (kind == 0) rowSelectionChanged_ = true;
    else if (kind == 1) colSelectionChanged_ = true;
    else cellSelectionChanged_ = true;
}

// ------------------------------------------------------------ selection upkeep

void TgrBaseGrid::SyncListBoxSelection(bool fire) {
    if (!IsListBoxSelect() || curDisplayRow_ < 1 || curDisplayRow_ >= RowTotal()) return;
    bool changed = false;
    if (rowSelection_->Count() > 0) {
        Integer first = rowSelection_->First(), last = rowSelection_->Last();
        for (Integer r = first; r <= last; ++r)
            if (r != curDisplayRow_ && rowSelection_->IsSelected(r)) {
                DeselectDisplayRows(r, r);
                changed = true;
            }
    }
    if (!IsCurrentRowSelected()) {
        SelectCurrentRow();
        changed = true;
    }
    if (changed) {
        MarkSelectChanged(0);
        if (fire) FireSelectChanged(false);
    }
}

void TgrBaseGrid::ApplyEditorMask() {
    if (!editControl_) return;
    if (editControl_->GetMaskDefs() != GetMaskDefs()) editControl_->SetMaskDefs(GetMaskDefs());
    std::string name = GetCurrentMaskName();
    if (editControl_->GetMaskName() != name) editControl_->SetMaskName(name);
}

bool TgrBaseGrid::ValidateCellMask() {
    if (GetCurrentControlType() != ctText) return true;
    auto* mask = dynamic_cast<TgrMaskValidation*>(maskLink_->FindMask(GetCurrentMaskName()));
    if (!mask || !(mask->MaskOptions() & grMaskOptionValidate)) return true;
    std::string text = activeControl_ == editControl_.get() ? activeControl_->GetValue().AsString()
                                                             : GetCellValue(curDataCol_, curDataRow_).AsString();
    std::string completion;
    if (!mask->CheckText(text, int(Utf8Length(text)) + 1, completion)) {
        bool accept = false;
        FireInvalidMaskValue(accept);
        return accept;
    }
    if (!completion.empty()) {
        text += completion;
        editControl_->SetValueByUser(Variant(text), false);
        if (storeData_ && curDataCol_ >= 1 && curDataCol_ <= Cols() && curDataRow_ >= 1 && curDataRow_ <= Rows())
            StoreCellValue(curDataCol_, curDataRow_, Variant(text), ctText);
        editControl_->SetSelStart(int(Utf8Length(text)));
        editControl_->SetSelLength(0);
    }
    return true;
}

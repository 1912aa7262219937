// The grid's selection sets and current cell: where the current cell is,
// how its value is loaded into the in-cell control and how edits reach the
// stored cell values.

#include <algorithm>

#include "grid/TSGrid.h"

bool TgrBaseGrid::HasCurrentCell() const {
    if (IsDesigning() || gridMode_ == gmListBox || gridStatus_ != grsNormal) return false;
    return ColTotal() > 1 && RowTotal() > 1;
}

bool TgrBaseGrid::CanEdit() { return !IsDesigning() && IsEditMode() && ColTotal() > 1 && RowTotal() > 1; }

void TgrBaseGrid::LockEditStart(bool unlock) {
    if (!unlock) ++editStartLock_;
    else if (editStartLock_ > 0) --editStartLock_;
}

void TgrBaseGrid::LoadEditorValue(const Variant& value, bool) {
    TgrControlType type = GetCurrentControlType();
    TgrCustomGridControl* control = type == ctText    ? static_cast<TgrCustomGridControl*>(editControl_.get())
                                    : type == ctCheck ? static_cast<TgrCustomGridControl*>(checkControl_.get())
                                                      : static_cast<TgrCustomGridControl*>(defaultControl1_.get());
    activeControl_ = control;
    currentCell_->StoreLoadedValue(value, false);
    // The control's change notification copies its value into the current
    // cell (and, unless loading, into the stored cell).
    control->SetValue(value);
    // Controls without a value of their own store what they were given.
    if (control == defaultControl1_.get() && !EditStartLocked() && storeData_ && curDataCol_ >= 1 &&
        curDataCol_ <= Cols() && curDataRow_ >= 1 && curDataRow_ <= Rows())
        StoreCellValue(curDataCol_, curDataRow_, value, type);
}


bool TgrBaseGrid::StartEditing(Byte selectMode, bool) {
    if (!CanEdit() || !activeControl_) return false;
    InvalidateFocusCell(false);
    editModeFlag_ = true;
    editSelectMode_ = selectMode;
    return true;
}

bool TgrBaseGrid::EnsureEditing(bool updateNow) {
    if (!HasWindow() || !HasCurrentCell() || !activeControl_ || !CanEdit()) return false;
    if (!BeginCellEdit() || !PrepareCellEdit(curDataCol_, true)) return false;
    return editModeFlag_ || StartEditing(0, updateNow);
}

bool TgrBaseGrid::CopyCell() { return currentCell_->CopyToClipboard(); }

bool TgrBaseGrid::CutCell() {
    if (GetCurrentControlType() != ctText || !CanEdit() || !activeControl_ || !activeControl_->GetAllowEdit())
        return false;
    return EnsureEditing(false) && currentCell_->CutToClipboard(true);
}

bool TgrBaseGrid::PasteCell() {
    if (GetCurrentControlType() != ctText || !CanEdit() || !activeControl_ || !activeControl_->GetAllowEdit())
        return false;
    return EnsureEditing(false) && currentCell_->PasteText(true);
}

void TgrBaseGrid::HandleControlChange(TObject*, bool textChanged) {
    if (!activeControl_ || !currentCell_) return;
    currentCell_->NoteSelection(activeControl_->GetSelStart(), activeControl_->GetSelLength());
    if (!textChanged || !HasCurrentCell()) return;
    Variant value = activeControl_->GetValue();
    // A change notification that leaves the value as it was is no edit.
    bool changed = !currentCell_->HasValueFor(curDataCol_, curDataRow_) ||
                   currentCell_->GetStoredValue().AsString() != value.AsString();
    currentCell_->NoteEditedValue(value);
    if (storeData_ && !EditStartLocked() && curDataCol_ >= 1 && curDataCol_ <= Cols() && curDataRow_ >= 1 &&
        curDataRow_ <= Rows())
        StoreCellValue(curDataCol_, curDataRow_, value, GetCurrentControlType());
    if (cellEditing_ && changed) CellValueEdited(true, true);
}

void TgrBaseGrid::EnterInsertRow(Integer displayCol) {
    if (rowBarOn_) InvalidateDisplayCell(0, curDisplayRow_);
    if (activeControl_ && activeControl_->GetVisible()) {
        activeControl_->Hide();
        if (HasWindow()) Update();
    }
    DeselectAllRows();
    InvalidateFocusCell(false);
    editSelectMode_ = 0;
    ChangeCurrentCell(displayCol, RowTotal() - 1);
    ScrollCurrentCellIntoView();
    ResetCellControl(true);
    if (rowBarOn_) InvalidateDisplayCell(0, curDisplayRow_);
    RepaintFocusCell(false);
    CheckGridStatusChanged();
    if (HasWindow()) Update();
}

void TgrBaseGrid::ScrollCurrentCellIntoView() {
    ScrollCellIntoView(TCellCoord_ts{curDisplayCol_, curDisplayRow_});
    if (HasWindow()) Update();
}

bool TgrBaseGrid::IsReachableCol(Integer displayCol, bool skipReadOnly) {
    if (displayCol < 1 || displayCol >= ColTotal()) return false;
    TgrCol* col = gridCols_->ColAt(DataColOfDisplay(displayCol));
    if (!col) return true;
    return col->Visible() && !(skipReadOnly && col->GetReadOnly());
}

bool TgrBaseGrid::IsEnterableRow(Integer displayRow, bool skipReadOnly) {
    if (displayRow < 1 || displayRow >= RowTotal()) return false;
    Integer dataRow = DataRowOfDisplay(displayRow);
    TgrRow* row = dataRow < gridRows_->Count() ? gridRows_->GetRow(dataRow) : nullptr;
    if (!row) return true;
    return row->Visible() && !(skipReadOnly && row->ReadOnly());
}

// The current column stays where it still can be entered; otherwise the
// nearest reachable column to the left, then to the right, then the first
// reachable one; 0 when none is left.
void TgrBaseGrid::ReplaceCurrentCol(Integer displayCol, bool repaintFocus, bool, bool skipReadOnly) {
    Integer found = 0;
    if (IsReachableCol(displayCol, skipReadOnly)) found = displayCol;
    for (Integer c = std::min<Integer>(displayCol - 1, ColTotal() - 1); !found && c >= 1; --c)
        if (IsReachableCol(c, skipReadOnly)) found = c;
    for (Integer c = std::max<Integer>(displayCol + 1, 1); !found && c < ColTotal(); ++c)
        if (IsReachableCol(c, skipReadOnly)) found = c;
    if (found == curDisplayCol_ && DataColOfDisplay(found) == curDataCol_) {
        ResetCellControl(false);
        return;
    }
    Integer old = curDataCol_;
    ResetCellControl(false);
    if (repaintFocus) RepaintFocusCell(false);
    ChangeCurrentCell(found, curDisplayRow_);
    if (curDataCol_ != old) DoColChanged(old, curDataCol_);
}

// The nearest enterable row (the insert row included), below before above
// at the same distance; 0 when none is left. The column is kept.
void TgrBaseGrid::MoveToRow(Integer displayRow, bool, bool, bool skipReadOnly) {
    Integer found = 0;
    for (Integer d = 0; !found && d < RowTotal(); ++d) {
        if (IsEnterableRow(displayRow + d, skipReadOnly)) found = displayRow + d;
        else if (d > 0 && IsEnterableRow(displayRow - d, skipReadOnly)) found = displayRow - d;
    }
    if (found == curDisplayRow_ && DataRowOfDisplay(found) == curDataRow_) return;
    Integer old = curDisplayRow_;
    ChangeCurrentCell(curDisplayCol_, found);
    if (rowBarOn_ && rowBarIndicator_) {
        if (old > 0 && old < RowTotal()) InvalidateDisplayCell(0, old);
        if (found > 0) InvalidateDisplayCell(0, found);
    }
}

void TgrBaseGrid::ChangeCurrentCell(Integer displayCol, Integer displayRow) {
    Integer dataCol = DataColOfDisplay(displayCol), dataRow = DataRowOfDisplay(displayRow);
    bool changed = dataCol != curDataCol_ || dataRow != curDataRow_;
    InvalidateFocusArea(curDisplayCol_, curDisplayRow_);
    // A call moves the anchor with the current cell, as a plain key or click
    // does; only range extension keeps it.
    current_ = {displayCol, displayRow};
    InvalidateFocusArea(displayCol, displayRow);
    anchor_ = current_;
    curDataCol_ = dataCol;
    curDataRow_ = dataRow;
    if (changed) {
        if (currentCell_) currentCell_->ClearValue();
        cellEditing_ = false;
    }
}

void TgrBaseGrid::CurrentCellMoved(const TCellCoord_ts& oldCurrent) {
    if (!gridCols_ || !gridRows_) return;
    InvalidateFocusArea(oldCurrent.Col, oldCurrent.Row);
    Integer dataCol = DataColOfDisplay(curDisplayCol_), dataRow = DataRowOfDisplay(curDisplayRow_);
    if (dataCol == curDataCol_ && dataRow == curDataRow_) return;
    Integer oldDataCol = curDataCol_;
    curDataCol_ = dataCol;
    curDataRow_ = dataRow;
    if (currentCell_) currentCell_->ClearValue();
    cellEditing_ = false;
    ResetCellControl(false);
    if (rowBarOn_ && oldCurrent.Row != curDisplayRow_) {
        if (oldCurrent.Row > 0 && oldCurrent.Row < RowTotal()) InvalidateDisplayCell(0, oldCurrent.Row);
        InvalidateDisplayCell(0, curDisplayRow_);
    }
    if (dataCol != oldDataCol) DoColChanged(oldDataCol, dataCol);
}

TgrDrawOption TgrBaseGrid::CurrentDrawOption(TgrPictureKind kind) {
    if (TgrCellElement* e = cellProps_->FindCell(curDataCol_, curDataRow_)) {
        Variant v = e->GetValue(gpPicture, kind);
        if (!v.IsEmpty() && TgrDrawOption(v.AsInteger()) != dopDefault) return TgrDrawOption(v.AsInteger());
    }
    if (TgrCol* c = gridCols_->ColAt(curDataCol_)) return c->GetPicture(kind);
    return dopDefault;
}

void TgrBaseGrid::SelectDisplayRows(Integer from, Integer to) {
    if (to < from) std::swap(from, to);
    from = std::max<Integer>(from, 1);
    to = std::min<Integer>(to, RowTotal() - 1);
    for (Integer r = from; r <= to; ++r) {
        Integer dataRow = DataRowOfDisplay(r);
        TgrRow* row = dataRow < gridRows_->Count() ? gridRows_->GetRow(dataRow) : nullptr;
        if (row && !row->Visible()) continue;
        if (!rowSelection_->SetSelected(r, true)) continue;
        rowSelectionChanged_ = true;
        InvalidateRow(r);
    }
}

void TgrBaseGrid::DeselectDisplayRows(Integer from, Integer to) {
    if (to < from) std::swap(from, to);
    from = std::max<Integer>(from, 1);
    to = std::min<Integer>(to, RowTotal() - 1);
    for (Integer r = from; r <= to; ++r) {
        if (!rowSelection_->SetSelected(r, false)) continue;
        rowSelectionChanged_ = true;
        InvalidateRow(r);
    }
}

void TgrBaseGrid::DeselectAllRows() {
    if (rowSelection_->Count() == 0) return;
    DeselectDisplayRows(rowSelection_->First(), rowSelection_->Last());
}

// Picture options: the grid's setting is also copied into the current cell.
#define GR_PICTURE_SETTER(Type, Name, field, option)         \
    void TgrBaseGrid::Set##Name(Type value) {                \
        if (value == field) return;                          \
        field = value;                                       \
        if (currentCell_) currentCell_->option(value);       \
        Invalidate();                                        \
    }
GR_PICTURE_SETTER(bool, StretchPicture, stretchPicture_, SetStretchOption)
GR_PICTURE_SETTER(bool, ShrinkPicture, shrinkPicture_, SetShrinkOption)
GR_PICTURE_SETTER(bool, CenterPicture, centerPicture_, SetCenterOption)
GR_PICTURE_SETTER(bool, KeepAspectRatio, keepAspectRatio_, SetKeepAspectRatioOption)
GR_PICTURE_SETTER(TColor, TransparentColor, transparentColor_, SetTransparentColorOption)
#undef GR_PICTURE_SETTER

// A single or double focus frame lies on the grid lines left of and above
// its cell, outside the cell itself.
void TgrBaseGrid::InvalidateFocusArea(Integer displayCol, Integer displayRow) {
    if (!HasWindow() || displayCol < 0 || displayRow < 0 || displayCol >= ColTotal() || displayRow >= RowTotal())
        return;
    TRect r = CellPixels(displayCol, displayRow);
    if (r.IsEmpty()) return;
    if (focusBorder_ == fbSingle || focusBorder_ == fbDouble) r = TRect(r.Left - 1, r.Top - 1, r.Right, r.Bottom);
    InvalidateRect(r);
}

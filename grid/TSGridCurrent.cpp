// The grid's selection sets and current cell: where the current cell is,
// how its value is loaded into the in-cell control and how edits reach the
// stored cell values.

#include <algorithm>

#include "grid/TSGrid.h"
#include "platform/core/Strings.h"

bool TgrBaseGrid::HasCurrentCell() const {
    if (IsDesigning() || gridMode_ == gmListBox || gridStatus_ != gsNormal) return false;
    return ColTotal() > 1 && RowTotal() > 1;
}

bool TgrBaseGrid::CanEdit() { return !IsDesigning() && IsEditMode() && ColTotal() > 1 && RowTotal() > 1; }

void TgrBaseGrid::LockEditStart(bool unlock) {
    if (!unlock) ++editStartLock_;
    else if (editStartLock_ > 0) --editStartLock_;
}

bool TgrBaseGrid::CanEditOrBrowse() {
    return !IsDesigning() && (IsEditMode() || gridMode_ == gmBrowse) && ColTotal() > 1 && RowTotal() > 1;
}

Variant TgrBaseGrid::DefaultCellValue(TgrControlType type) {
    switch (type) {
        case ctText: return Variant(std::string());
        case ctCheck: return Variant(Byte(cbGrayed));
        case ctPicture: return Variant::NullValue();
        default: return Variant();
    }
}

void TgrBaseGrid::LoadEditorValue(const Variant& value, bool editing) { LoadEditorValue(value, editing, false); }

void TgrBaseGrid::LoadEditorValue(const Variant& value, bool asEdit, bool byUser) {
    if (!CanEditOrBrowse()) return;
    TgrControlType type = GetCurrentControlType();
    activeControl_ = GetControlForType(type);
    PositionCellControl(activeControl_);
    currentCell_->StoreLoadedValue(value, false);
    Variant used;
    SetEditorValue(type, value, used, byUser, asEdit);
    ApplyEditorMask();
    if ((type == ctText || type == ctCheck) && !used.IsEmpty() && !used.IsNull() && activeControl_->GetVisible()) {
        if (editSelectMode_ == 0) {
            activeControl_->SelectAll();
        } else if (editSelectMode_ == 2) {
            activeControl_->SetSelStart(int(Utf8Length(used.AsString())));
            activeControl_->SetSelLength(0);
        }
    }
    editSelectMode_ = 1;
}

void TgrBaseGrid::SetEditorValue(TgrControlType type, const Variant& value, Variant& used, bool byUser, bool asEdit) {
    TgrCustomGridControl* control = GetControlForType(type);
    used = value.IsEmpty() ? DefaultCellValue(type) : value;
    switch (type) {
        case ctText:
        case ctCheck: {
            if (used.IsNull()) break;
            if (type == ctCheck) {
                checkControl_->SetCheckBoxValues(GetCurrentCheckBoxValues());
                if (TgrCol* col = gridCols_->ColAt(curDataCol_)) checkControl_->SetAllowGrayed(col->GetAllowGrayed());
            }
            // The control's change notification copies its value into the
            // current cell (and, unless loading, into the stored cell).
            if (asEdit) control->SetValueByUser(used, byUser);
            else control->SetValue(used);
            break;
        }
        default:
            // Controls without a value of their own keep what they were given.
            if (IsEditStartUnlocked() && storeData_ && curDataCol_ >= 1 && curDataCol_ <= Cols() && curDataRow_ >= 1 &&
                curDataRow_ <= Rows())
                StoreCellValue(curDataCol_, curDataRow_, value, type);
            if (type == ctPicture) {
                currentCell_->SetStretchOption(stretchPicture_);
                currentCell_->SetShrinkOption(shrinkPicture_);
                currentCell_->SetCenterOption(centerPicture_);
                currentCell_->SetKeepAspectRatioOption(keepAspectRatio_);
                currentCell_->SetTransparentColorOption(transparentColor_);
                CellValueEdited(asEdit, byUser, false);
            }
            break;
    }
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

void TgrBaseGrid::EnterInsertRow(Integer displayCol) {
    if (rowBarOn_) InvalidateDisplayCell(0, curDisplayRow_);
    if (HideCellControlIfShown(false) && HasWindow()) Update();
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
    return IsEnterableColAt(displayCol, skipReadOnly, false);
}

bool TgrBaseGrid::IsEnterableRow(Integer displayRow, bool skipReadOnly) {
    return IsEnterableRowAt(displayRow, skipReadOnly, false);
}

// A row that became hidden, read-only or went: the next enterable row from
// there (the last data row rather than the insert row), else the one
// before; 0 when none is left. The column is kept.
void TgrBaseGrid::MoveToRow(Integer displayRow, bool repaint, bool forSelection, bool skipReadOnly) {
    Integer found = 0;
    if (FindNextEnterableRow(displayRow - 1, skipReadOnly, found, forSelection)) {
        Integer before = 0;
        if (IsInsertRowPos(found) && FindPrevEnterableRow(found, skipReadOnly, before, forSelection)) found = before;
    } else if (!FindPrevEnterableRow(displayRow, skipReadOnly, found, forSelection)) {
        found = 0;
    }
    if (found == curDisplayRow_ && DataRowOfDisplay(found) == curDataRow_) return;
    Integer old = curDisplayRow_;
    if (repaint) RepaintFocusCell(false);
    ChangeCurrentCell(curDisplayCol_, found);
    // The old row's bar and the new row's indicator are painted at the
    // next paint.
    if (rowBarOn_ && rowBarIndicator_) {
        if (old > 0 && old < RowTotal()) InvalidateDisplayCell(0, old);
        if (found > 0) InvalidateDisplayCell(0, found);
    }
}

void TgrBaseGrid::ChangeCurrentCell(Integer displayCol, Integer displayRow) {
    Integer oldDataCol = curDataCol_, oldDataRow = curDataRow_;
    Integer oldDisplayRow = curDisplayRow_;
    InvalidateFocusArea(curDisplayCol_, curDisplayRow_);
    StoreCurrentCellPos(displayCol, displayRow);
    InvalidateFocusArea(displayCol, displayRow);
    if (curDataCol_ != oldDataCol || curDataRow_ != oldDataRow) LeaveCellEditState();
    InsertRowMoved(oldDisplayRow);
    CheckCurrentCellChanged();
}

void TgrBaseGrid::StoreCurrentCellPos(Integer displayCol, Integer displayRow) {
    prevDisplayCell_ = current_;
    // The anchor moves with the current cell, as a plain key or click moves
    // it; only range extension keeps it.
    if (displayCol != current_.Col || DataColOfDisplay(displayCol) != curDataCol_) {
        current_.Col = displayCol;
        curDataCol_ = DataColOfDisplay(displayCol);
    }
    if (displayRow != current_.Row || DataRowOfDisplay(displayRow) != curDataRow_) {
        current_.Row = displayRow;
        curDataRow_ = DataRowOfDisplay(displayRow);
    }
    anchor_ = current_;
}

// Leaving the provisional row unedited turns it back into the insert row
// (the row count shrinks); entering the insert row makes it provisional.
void TgrBaseGrid::InsertRowMoved(Integer oldDisplayRow) {
    if (gridMode_ != gmEditInsert || updatingInsertRow_ || oldDisplayRow == curDisplayRow_) return;
    if (insertRowCount_ == 0 && oldDisplayRow == RowTotal() - 1 && !insertRowInUse_) RevertInsertedRow();
    UpdateInsertRowState(true);
}

void TgrBaseGrid::UpdateInsertRowState(bool invalidate) {
    if (gridMode_ != gmEditInsert || updatingInsertRow_) return;
    if (curDisplayRow_ != RowTotal() - 1 || insertRowCount_ != 1) return;
    ConfirmInsertRow();
    if (invalidate) InvalidateRow(RowTotal() - 1);
}

void TgrBaseGrid::RevertInsertedRow() {
    if (gridMode_ != gmEditInsert || insertRowCount_ != 0 || updatingInsertRow_) return;
    updatingInsertRow_ = true;
    struct Release {
        bool& flag;
        ~Release() { flag = false; }
    } release{updatingInsertRow_};
    SetInsertRowState(1);
    sizedInsertRows_ = 1;
    if (visibleRows_ && !visibleRows_->Materialized()) visibleRows_->SetVisibleCount(Rows(), 1);
    NotifyRowCountChanged(Rows() + 1, Rows());
    FireDeleteRow(Rows() + 1, true);
    InvalidateRow(RowTotal() - 1);
}

bool TgrBaseGrid::CheckColChanged(Integer& oldCol) {
    oldCol = notifiedCol_;
    if (curDataCol_ == notifiedCol_) return false;
    notifiedCol_ = curDataCol_;
    if (gridMode_ != gmListBox) DoColChanged(oldCol, curDataCol_);
    return true;
}

bool TgrBaseGrid::CheckRowChanged(Variant& oldRow) {
    oldRow = Variant(notifiedRow_);
    if (curDataRow_ == notifiedRow_) return false;
    notifiedRow_ = curDataRow_;
    DoRowChanged(oldRow, Variant(curDataRow_));
    return true;
}

void TgrBaseGrid::FireCellChanged(Integer oldCol, const Variant& oldRow) {
    DoCellChanged(oldCol, curDataCol_, oldRow, Variant(curDataRow_));
}

void TgrBaseGrid::CheckCurrentCellChanged() {
    Integer oldCol = 0;
    Variant oldRow;
    bool colChanged = CheckColChanged(oldCol);
    bool rowChanged = CheckRowChanged(oldRow);
    if (!colChanged && !rowChanged) return;
    ResetComboSearchText();
    RollUpCombo(false);
    FireCellChanged(oldCol, oldRow);
}

void TgrBaseGrid::CurrentCellMoved(const TCellCoord_ts& oldCurrent) {
    prevDisplayCell_ = oldCurrent;
    if (!gridCols_ || !gridRows_) return;
    InvalidateFocusArea(oldCurrent.Col, oldCurrent.Row);
    Integer dataCol = DataColOfDisplay(curDisplayCol_), dataRow = DataRowOfDisplay(curDisplayRow_);
    if (dataCol == curDataCol_ && dataRow == curDataRow_) return;
    // The base has moved the display cell already; the record of the move
    // is the grid's.
    TCellCoord_ts moved = current_, anchor = anchor_;
    current_ = oldCurrent;
    StoreCurrentCellPos(moved.Col, moved.Row);
    anchor_ = anchor;
    LeaveCellEditState();
    ResetCellControl(false);
    if (rowBarOn_ && oldCurrent.Row != curDisplayRow_) {
        if (oldCurrent.Row > 0 && oldCurrent.Row < RowTotal()) InvalidateDisplayCell(0, oldCurrent.Row);
        InvalidateDisplayCell(0, curDisplayRow_);
    }
    InsertRowMoved(oldCurrent.Row);
    CheckCurrentCellChanged();
}

void TgrBaseGrid::LeaveCellEditState() {
    ClearEditState();
    cellEditing_ = false;
    ResetEditorShown();
}

void TgrBaseGrid::ClearEditState() {
    if (currentCell_) currentCell_->ClearValue();
    // The next cell's text is selected whole when the control loads it.
    editSelectMode_ = 0;
}

// Without AlwaysShowEditor edit mode ends with the cell.
void TgrBaseGrid::ResetEditorShown() { editModeFlag_ = alwaysShowEditor_; }

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
    if (gridStatus_ == gsNormal && rowSelection_->Count() > 0) SetGridStatus(gsRowsSelected);
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
    if (rowSelection_->Count() == 0 && gridStatus_ == gsRowsSelected) SetGridStatus(gsNormal);
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


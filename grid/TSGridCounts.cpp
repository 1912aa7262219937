// The grid's structural counts: the base grid's column and row counts for
// the data counts (with the insert row of gmEditInsert), the fixed columns
// and rows within them and their pixel extent, the insert row shown,
// confirmed and taken back, and the small current-position and focus
// services that go with them.

#include <algorithm>

#include <QWidget>

#include "grid/GRGLib.h"
#include "grid/TSGrid.h"
#include "platform/gui/Forms.h"

// ------------------------------------------------------------ counts

void TgrBaseGrid::UpdateColCount(Integer n) {
    TgrUpdateLocked locked(*this);
    // The size-change step that follows the base's new count rebuilds the
    // maps and visible lists, keeps the fixed columns and reports the count.
    ChangeCounts(std::max<Integer>(n, 0) + 1, RowTotal());
    CheckTopLeftChanged(false);
}

void TgrBaseGrid::UpdateRowCount(Integer n) {
    TgrUpdateLocked locked(*this);
    ChangeCounts(ColTotal(), std::max<Integer>(n, 0) + insertRowCount_ + 1);
    CheckTopLeftChanged(false);
}

// ------------------------------------------------------------ fixed counts

void TgrBaseGrid::EnsureFixedCols() {
    if (FixedColTotal() == 0 && ColTotal() >= 2) {
        SetFixedColTotal(1);
        if (rowBarOn_ && GetColWidthAt(0) != rowBarWidth_) SetColWidthAt(0, rowBarWidth_);
    }
    if (FixedColTotal() != fixedColCount_ + 1) ApplyFixedColCount();
    RecalcFixedAreaWidth();
}

void TgrBaseGrid::EnsureFixedRows() {
    if (FixedRowTotal() == 0 && RowTotal() >= 2) {
        SetFixedRowTotal(1);
        if (headingOn_ && GetRowHeightAt(0) != headingHeight_) SetRowHeightAt(0, headingHeight_);
    }
    if (FixedRowTotal() != fixedRowCount_ + 1) ApplyFixedRowCount();
    RecalcFixedAreaHeight();
}

// The requested count stays as set; the base grid fixes at most all but
// its last display column, so that one always scrolls.
void TgrBaseGrid::ApplyFixedColCount() {
    Integer cols = ColTotal() < 2 ? FixedColTotal() : std::min(ColTotal() - 1, fixedColCount_ + 1);
    if (cols == FixedColTotal()) return;
    bool shown = HideCellControlIfShown(false);
    SetFixedColTotal(cols);
    RecheckTopLeft(true);
    RecalcFixedAreaWidth();
    if (shown) RefreshCellControl();
    UpdateScrollBars();
    Invalidate();
    CheckTopLeftChanged(false);
}

void TgrBaseGrid::ApplyFixedRowCount() {
    Integer rows = RowTotal() < 2 ? FixedRowTotal() : std::min(RowTotal() - 1, fixedRowCount_ + 1);
    if (rows == FixedRowTotal()) return;
    HideCellControlIfShown(false);
    SetFixedRowTotal(rows);
    RecheckTopLeft(true);
    RecalcFixedAreaHeight();
    RefreshCellControl();
    UpdateScrollBars();
    Invalidate();
    CheckTopLeftChanged(false);
}

void TgrBaseGrid::RecalcFixedAreaWidth() {
    Integer w = 0;
    for (Integer c = 0; c < FixedColTotal(); ++c) w += GetColWidthAt(c);
    fixedAreaWidth_ = w;
}

void TgrBaseGrid::RecalcFixedAreaHeight() {
    Integer h = 0;
    for (Integer r = 0; r < FixedRowTotal(); ++r) h += GetRowHeightAt(r);
    fixedAreaHeight_ = h;
}

// ------------------------------------------------------------ insert row

void TgrBaseGrid::SetInsertRowState(Integer state) {
    prevInsertRowState_ = insertRowCount_;
    insertRowCount_ = state;
}

void TgrBaseGrid::AddInsertRow() {
    if (gridMode_ != gmEditInsert || insertRowCount_ != 0) return;
    // The data rows stay; the base grid gains the empty row after them.
    Integer rows = Rows();
    SetInsertRowState(1);
    UpdateRowCount(rows);
}

void TgrBaseGrid::ConfirmInsertRow() {
    if (gridMode_ != gmEditInsert || insertRowCount_ != 1 || updatingInsertRow_) return;
    TgrFlagRaised updating(updatingInsertRow_);
    // The display rows stay: the shown row now counts as a data row.
    SetInsertRowState(0);
    sizedInsertRows_ = 0;
    SetStorageSizeHint(Cols(), Rows());
    if (visibleRows_ && !visibleRows_->Materialized()) visibleRows_->SetVisibleCount(Rows(), 1);
    NotifyRowCountChanged(Rows() - 1, Rows());
    FireInsertRow(Rows(), true);
}

// ------------------------------------------------------------ services

Integer TgrBaseGrid::GetCurrentDataCol() {
    if (curDisplayCol_ <= 0 || curDisplayCol_ >= ColTotal()) return 0;
    return DataColOfDisplay(curDisplayCol_);
}

void TgrBaseGrid::FocusGrid() {
    if (!CanTakeFocus() || !HasWindow() || !CanFocus()) return;
    TCustomForm* form = GetParentForm(this);
    if (form && form->ActiveControl() == this && Widget()) Widget()->setFocus(Qt::OtherFocusReason);
    else SetFocus();
}

void TgrBaseGrid::SetLegacyHeadingAlignment(TAlignment value) {
    // Left was the old default: it follows the columns' own alignment.
    TgrHorzAlignment horz = value == taRightJustify ? htaRight : value == taCenter ? htaCenter : htaDefault;
    SetHeadingHorzAlignment(horz);
    legacyHeadingAlignment_ = value;
}

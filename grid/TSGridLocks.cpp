// Layout suspension, the paint lock's window redraw, the direct-drawing
// count and the drop-down size lock: counters that nest, with the deferred
// work done once when the last holder lets go.

#include <QWidget>

#include "grid/GridCombo.h"
#include "grid/TSGrid.h"
#include "platform/gui/Forms.h"

void TgrBaseGrid::SuspendLayout(bool begin) {
    if (begin) {
        if (layoutSuspend_ == 0) BeginLayoutSuspend();
        ++layoutSuspend_;
        return;
    }
    if (layoutSuspend_ == 0) return;
    if (--layoutSuspend_ == 0) EndLayoutSuspend();
}

void TgrBaseGrid::BeginLayoutSuspend() {
    // Hidden before the lock, which refuses to hide it.
    HideCellControl(true);
    LockUpdate();
    pendingLayout_ = 0;
}

void TgrBaseGrid::EndLayoutSuspend() {
    // The update lock taken at the start is released even when the
    // deferred work raises.
    struct Unlock {
        TgrBaseGrid* g;
        ~Unlock() { g->UnlockUpdate(); }
    };
    {
        Unlock unlock{this};
        ApplyPendingLayout();
    }
    RefreshCellControl();
    UpdateScrollBars();
    UpdateDropDownSize(GetDropDownCols(), GetDropDownRows());
    Invalidate();
}

void TgrBaseGrid::ApplyPendingLayout() {
    unsigned pending = pendingLayout_;
    pendingLayout_ = 0;
    if (pending & 1u) RecheckTopLeft(false);
    if (pending & 2u) ClampTopLeft();
}

void TgrBaseGrid::ApplyRedraw() {
    if (QWidget* w = Widget()) w->setUpdatesEnabled(paintLock_ == 0);
}

void TgrBaseGrid::SetDirectDrawing(bool begin) {
    if (begin) ++directDrawing_;
    else if (directDrawing_ > 0) --directDrawing_;
}

void TgrBaseGrid::LockDropDownSize(bool unlock) {
    if (!unlock) ++dropDownSizeLock_;
    else if (dropDownSizeLock_ > 0) --dropDownSizeLock_;
}

bool TgrBaseGrid::IsDesignDropDownShown() const {
    return comboGrid_ && Visible() && Parent() && Parent()->Visible() && IsDesigning() && IsDropDownSizeUnlocked();
}

void TgrBaseGrid::UpdateDropDownSize(Integer cols, Integer rows) {
    if (!comboGrid_ || !ownerGrid_ || !IsDropDownSizeUnlocked()) return;
    if (IsDesignDropDownShown()) {
        // Shown on the designed form: only its size follows, in place.
        TgrUpdateLocked locked(*this);
        ApplyDropDownSize(cols, std::max<Integer>(1, rows), false);
        return;
    }
    TgrCombo* combo = ownerGrid_->DroppedCombo();
    TForm* form = ownerGrid_->DropDownForm();
    if (!combo || combo->ComboGrid() != this || !form) return;
    if (IsUpdateSuspended()) {
        dropDownSizePending_ = true;
        return;
    }
    Integer width = 0, height = 0;
    CalcDropDownSize(cols, std::max<Integer>(1, rows), width, height);
    // Without a column count the list keeps the width it was given.
    if (cols <= 0) width = form->Width();
    if (width == form->Width() && height == form->Height()) return;
    // Placed again: a taller list may have to open above the cell.
    ownerGrid_->PositionComboDropDown(this, width, height);
    UpdateScrollBars();
}

// Layout suspension and the drop-down size lock: counters that nest, with
// the deferred work done once when the last holder lets go.

#include "grid/TSGrid.h"

void TgrBaseGrid::SuspendLayout(bool begin) {
    if (begin) {
        if (layoutSuspend_ == 0) {
            LockUpdate();
            HideCellControl();
            pendingLayout_ = 0;
        }
        ++layoutSuspend_;
        return;
    }
    if (layoutSuspend_ == 0) return;
    if (--layoutSuspend_ > 0) return;
    // The update lock taken at the start is released even when the
    // deferred work raises.
    struct Unlock {
        TgrBaseGrid* g;
        ~Unlock() { g->UnlockUpdate(); }
    };
    {
        Unlock unlock{this};
        ApplyPendingLayout();
        RefreshCellControl();
    }
    UpdateScrollBars();
    Invalidate();
}

void TgrBaseGrid::ApplyPendingLayout() {
    unsigned pending = pendingLayout_;
    pendingLayout_ = 0;
    if (pending & 1u) RecheckTopLeft(false);
    if (pending & 2u) UpdateScrollPos();
}

void TgrBaseGrid::LockDropDownSize(bool unlock) {
    if (!unlock) ++dropDownSizeLock_;
    else if (dropDownSizeLock_ > 0) --dropDownSizeLock_;
}

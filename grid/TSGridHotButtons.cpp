// The cell button under the mouse shows raised (hot). A move onto a button
// raises it, a move off it lowers it again; with FlatButtons a 50 ms watch
// lowers it as soon as the pointer is no longer on a button, also when the
// pointer left the window without a move the grid saw. The end of a button
// press lowers the pressed button and raises the one under the pointer.

#include <QCursor>

#include "grid/TSGrid.h"

namespace {

constexpr Integer kHotWatchMs = 50;

}  // namespace

bool TgrBaseGrid::ReleaseHotButton() {
    if (hotButton_.Col < 0) return false;
    TCellCoord_ts cell = hotButton_;
    hotButton_ = {-1, -1};
    hotHalves_ = 0;
    KillGridTimer(HotButtonTimerId);
    TColor normal = inactiveButtonState_ == ibsBackGround || IsButtonActive(cell.Col, cell.Row, true) ? clBtnFace
                                                                                                     : grColorNotSet;
    RepaintCellButton(cell.Col, cell.Row, 0, normal, spbNone, kSpinBothMask);
    return true;
}

void TgrBaseGrid::UpdateHotButton(Integer x, Integer y, Integer displayRow, Integer displayCol) {
    if (!HasActiveData()) return;
    if (!IsOverCellButton(x, y, displayCol, displayRow)) {
        ReleaseHotButton();
        return;
    }
    if (flatButtons_) StartGridTimer(HotButtonTimerId, false, kHotWatchMs);
    if (hotButton_.Col == displayCol && hotButton_.Row == displayRow) return;
    ReleaseHotButton();
    // IsOverCellButton leaves out the list-box and browse modes and
    // read-only cells. A raised frame shows nothing new where the button
    // is raised anyway (a 3D or spin button on the current cell, or every
    // button with a background).
    TgrDropDownStyle style;
    TgrButtonType type = ResolveButtonType(DataColOfDisplay(displayCol), DataRowOfDisplay(displayRow), style);
    bool current = displayCol == curDisplayCol_ && displayRow == curDisplayRow_;
    if ((!flatButtons_ || IsSpinButtonType(type)) && (current || inactiveButtonState_ == ibsBackGround)) return;
    hotButton_ = {displayCol, displayRow};
    hotHalves_ = kSpinBothMask;
    if (flatButtons_) StartGridTimer(HotButtonTimerId, false, kHotWatchMs);
    RepaintCellButton(displayCol, displayRow, 1, clBtnFace, spbNone, kSpinBothMask);
}

void TgrBaseGrid::ReleaseCellButton(Integer x, Integer y) {
    TCellCoord_ts under = CellUnderMouse(int(x), int(y));
    if (hotButton_.Col >= 0 && !(hotButton_ == under)) ReleaseHotButton();
    if (gridMode_ != gmEdit && gridMode_ != gmEditInsert) return;
    if (!IsOverCellButton(x, y, under.Col, under.Row)) return;
    hotButton_ = under;
    hotHalves_ = kSpinBothMask;
    if (flatButtons_) StartGridTimer(HotButtonTimerId, false, kHotWatchMs);
    RepaintCellButton(under.Col, under.Row, 1, clBtnFace, spbNone, kSpinBothMask);
}

void TgrBaseGrid::HotButtonWatch() {
    // A held button is the press's business until it is released.
    if (mouseStatus_ == msButtonDown) return;
    if (hotButton_.Col < 0 || !HasWindow()) {
        KillGridTimer(HotButtonTimerId);
        return;
    }
    QPoint screen = QCursor::pos();
    TPoint p = ScreenToClient(TPoint(screen.x(), screen.y()));
    TCellCoord_ts under = CellUnderMouse(p.X, p.Y);
    if (IsOverCellButton(p.X, p.Y, under.Col, under.Row)) return;
    ReleaseHotButton();
}

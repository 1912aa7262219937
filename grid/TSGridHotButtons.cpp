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

TColor TgrBaseGrid::GetButtonBackColor(Integer displayCol, Integer displayRow) {
    if (inactiveButtonState_ == ibsBackGround) return clBtnFace;
    return IsButtonActive(displayCol, displayRow, true) ? clBtnFace : grColorNotSet;
}

void TgrBaseGrid::ClearHotButton() {
    hotButton_ = {-1, -1};
    hotHalves_ = 0;
}

void TgrBaseGrid::ClearPressedButton() {
    SetPressedSpin(-1, -1, spbNone);
    spinRepeatCount_ = 0;
}

void TgrBaseGrid::ReleaseCellButtons() {
    KillGridTimer(HotButtonTimerId);
    if (hotButton_.Col >= 0) {
        TCellCoord_ts cell = hotButton_;
        ClearHotButton();
        RepaintCellButton(cell.Col, cell.Row, 0, GetButtonBackColor(cell.Col, cell.Row), spbNone, kSpinBothMask);
    }
    // Forgetting the pressed half repaints its cell and stops the repeat.
    if (spinPressCell_.Col >= 0) ClearPressedButton();
}

// Positions beyond the last display column or row after a count change
// name no cell any more.
void TgrBaseGrid::ValidateButtonPositions() {
    if (hotButton_.Col >= ColTotal() || hotButton_.Row >= RowTotal()) ClearHotButton();
    if (spinPressCell_.Col >= ColTotal() || spinPressCell_.Row >= RowTotal()) {
        ClearPressedButton();
        spinHeld_ = false;
        spinRememberedHalf_ = spbNone;
    }
    if (pressedHeading_ >= ColTotal()) {
        pressedHeading_ = -1;
        headingShownDown_ = false;
    }
}

void TgrBaseGrid::UpdateHotButton(Integer x, Integer y, Integer displayRow, Integer displayCol) {
    if (!HasActiveData()) return;
    if (!IsOverCellButton(x, y, displayCol, displayRow)) {
        ReleaseCellButtons();
        return;
    }
    if (flatButtons_) StartGridTimer(HotButtonTimerId, false, kHotWatchMs);
    if (hotButton_.Col == displayCol && hotButton_.Row == displayRow) return;
    ReleaseCellButtons();
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
    TCellCoord_ts under = MouseCoord(int(x), int(y));
    if (hotButton_.Col >= 0 && !(hotButton_ == under)) ReleaseCellButtons();
    if (gridMode_ != gmEdit && gridMode_ != gmEditInsert) return;
    if (!IsOverCellButton(x, y, under.Col, under.Row)) return;
    hotButton_ = under;
    hotHalves_ = kSpinBothMask;
    if (flatButtons_) StartGridTimer(HotButtonTimerId, false, kHotWatchMs);
    RepaintCellButton(under.Col, under.Row, 1, clBtnFace, spbNone, kSpinBothMask);
}

void TgrBaseGrid::TrackHotButton() {
    // A held button is the press's business until it is released.
    if (mouseStatus_ == msButtonDown) return;
    if (hotButton_.Col < 0 || !HasWindow()) {
        KillGridTimer(HotButtonTimerId);
        return;
    }
    QPoint screen = QCursor::pos();
    TPoint p = ScreenToClient(TPoint(screen.x(), screen.y()));
    TCellCoord_ts under = CellAtPoint(p.X, p.Y);
    if (under.Col > 0 && under.Row > 0 && IsOverCellButton(p.X, p.Y, under.Col, under.Row)) return;
    ReleaseCellButtons();
}

// Double-clicks of the grid class: the second press of a double-click on
// the cells, the heading row or the row bar fires OnDblClick and the
// double-click-cell notification before OnMouseDown; on the current cell
// of a grid that can edit now it is also a fresh press of that cell,
// anywhere else the press is used up and its release fires no click.

#include "grid/TSGrid.h"

void TgrBaseGrid::DoubleClickPress(TShiftState shift, Integer x, Integer y) {
    TShiftState single = shift;
    single.Exclude(ssDouble);
    // On a painted scroll bar the second press is another press of it.
    if (ThumbPress(x, y) || ScrollBarPress(x, y)) return;
    TCellCoord_ts cell = MouseCoord(x, y);
    // A heading that acts as a button takes it as another press.
    if (cell.Row == 0 && HeadingButtonHitTest(x, y, cell.Col)) {
        MousePress(single, x, y);
        return;
    }
    bool onCurrent = cell.Col == curDisplayCol_ && cell.Row == curDisplayRow_;
    if (activeControl_ && activeControl_->GetVisible() && activeControl_->Window()->AllowDblClick && onCurrent) {
        // The in-cell control beside the point has the double-click (a
        // check box takes none: there the second press is a fresh press).
        activeControl_->DblClick();
        ignoreRelease_ = true;
        return;
    }
    TCustomControl::DblClick();
    FireDblClickCell(ClickDataCol(cell.Col), ClickDataRow(cell.Row));
    ignoreRelease_ = !ReclickCurrentCell(single, x, cell.Row, cell.Col, y);
}

bool TgrBaseGrid::ReclickCurrentCell(TShiftState shift, Integer x, Integer row, Integer col, Integer y) {
    if (cellEditing_ || col != curDisplayCol_ || row != curDisplayRow_ || !CanReclickCurrentCell()) return false;
    MousePress(shift, x, y);
    return true;
}

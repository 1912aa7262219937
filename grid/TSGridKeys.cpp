// Key moves that depend on the view and on the selection: a current cell
// scrolled out of sight is brought back before a key acts on it, selected
// rows follow the current row, and without an edit mode or a focus
// indication the horizontal arrows scroll the view by a column.

#include <algorithm>
#include <cstdlib>

#include "grid/TSGrid.h"

namespace {

bool IsCtrlJump(Word16 key, Word16 a, Word16 b) {
    return key == VK_END || key == VK_HOME || key == a || key == b;
}

}  // namespace

bool TgrBaseGrid::CurrentCellInView() {
    if (!HasWindow()) return true;
    TGridLayout_ts layout;
    ComputeLayout(layout);
    // A cell wider (higher) than the view counts as shown when it is the
    // first scrolling one, so the check never asks for an endless scroll.
    auto shown = [](Integer cur, Integer first, Integer lastFull, Integer fixed) {
        return cur < fixed || (cur >= first && cur <= std::max(lastFull, first));
    };
    bool rowShown = shown(curDisplayRow_, TopRow(), layout.Vert.LastFullCell, FixedRowTotal());
    if (gridMode_ == gmListBox) return rowSelectMode_ == rsNone || rowShown;
    return rowShown && shown(curDisplayCol_, FirstScrollCol(), layout.Horz.LastFullCell, FixedColTotal());
}

void TgrBaseGrid::ScrollCurrentCellIntoView(bool horizontal, bool vertical) {
    if (!HasWindow() || (!horizontal && !vertical)) return;
    TCellCoord_ts topLeft = TopLeftCell();
    // The axis that is not wanted is asked for a cell it already shows.
    TCellCoord_ts target{horizontal ? curDisplayCol_ : topLeft.Col, vertical ? curDisplayRow_ : topLeft.Row};
    if (target.Col < 1 || target.Row < 1 || target.Col >= ColTotal() || target.Row >= RowTotal()) return;
    ScrollCellIntoView(target);
    if (TopLeftCell() == topLeft) return;
    ResetCellControl(true);
    Update();
}

bool TgrBaseGrid::BringCurrentCellIntoView(Word16 key, TShiftState shift) {
    if (CurrentCellInView()) return false;
    bool ctrlOnly = shift.Contains(ssCtrl) && !shift.Contains(ssShift) && !shift.Contains(ssAlt);
    bool cellMode = HasCurrentCell();
    bool horizontal = !(ctrlOnly && IsCtrlJump(key, VK_LEFT, VK_RIGHT)) && cellMode;
    bool vertical = !(ctrlOnly && IsCtrlJump(key, VK_UP, VK_DOWN)) &&
                    (cellMode || key == VK_PRIOR || key == VK_NEXT || key == VK_END || key == VK_HOME ||
                     key == VK_UP || key == VK_DOWN);
    ScrollCurrentCellIntoView(horizontal, vertical);
    return true;
}

void TgrBaseGrid::MoveRowSelectionTo(Integer displayRow) {
    if (displayRow < 1 || displayRow >= RowTotal()) return;
    DeselectAllRows();
    SelectDisplayRows(displayRow, displayRow);
    rowSelectStart_ = displayRow;
    MarkSelectChanged(0);
}

bool TgrBaseGrid::ScrollColumnByKey(bool right) {
    if (!HasWindow()) return false;
    Integer left = FirstScrollCol(), fixed = FixedColTotal();
    Integer newLeft = left;
    if (right) {
        if (LastVisibleCol() >= ColTotal() - 1) return false;
        newLeft = left + 1;
        while (newLeft < ColTotal() - 1 && GetColWidthAt(newLeft) <= 0) ++newLeft;
    } else {
        if (left <= fixed) return false;
        newLeft = left - 1;
        while (newLeft > fixed && GetColWidthAt(newLeft) <= 0) --newLeft;
    }
    Integer col = NextEnterableCol(curDisplayCol_, right ? 1 : -1);
    if (right && (col == 0 || col < newLeft)) col = std::max(col, newLeft);
    if (right && !IsReachableCol(col, false)) return false;
    HideCellControl(true);
    SetLeftCol(newLeft);
    if (col >= 1 && col < ColTotal() && col != curDisplayCol_ &&
        CanLeaveCell(DataColOfDisplay(col), curDataRow_, true)) {
        ClearCellRange();
        ChangeCurrentCell(col, curDisplayRow_);
    }
    RefreshCellControl();
    InvalidateFocusCell(false);
    return true;
}

// Page Down (Up): the current row goes a page of fully visible rows further
// (at least one row, never past the last (first) enterable row) and
// the view scrolls by the same distance, so the row keeps its place in the
// view; near the end the last rows fill the view.
bool TgrBaseGrid::MovePage(bool down) {
    Integer step = down ? 1 : -1;
    Integer limit = NextEnterableRow(down ? RowTotal() : 0, -step);
    if (limit == 0 || (down ? curDisplayRow_ >= limit : curDisplayRow_ <= limit)) return false;
    Integer page = std::max<Integer>(1, GetVisibleRowCount());
    Integer target = curDisplayRow_;
    if (curDisplayRow_ < FixedRowTotal()) target = down ? FixedRowTotal() - 1 : curDisplayRow_;
    for (Integer i = 0; i < page; ++i) {
        Integer r = NextEnterableRow(target, step);
        if (r == 0) break;
        target = r;
    }
    if (target == curDisplayRow_) return false;
    if (!CanLeaveCell(DataColOfDisplay(curDisplayCol_), DataRowOfDisplay(target), true)) return false;
    if (HasWindow()) {
        TGridLayout_ts layout;
        ComputeLayout(layout);
        Integer top = TopRow(), moved = std::abs(target - curDisplayRow_);
        Integer lastTop = std::max(FixedRowTotal(), LastTopLeft({FirstScrollCol(), RowTotal() - 1}, layout).Row);
        Integer newTop = top;
        if (down) {
            if (layout.Vert.LastFullCell < RowTotal() - 1) newTop = std::min(top + moved, lastTop);
        } else {
            newTop = std::max(FixedRowTotal(), top - std::max(page, moved));
        }
        if (newTop != top) {
            HideCellControl(true);
            SetTopLeft(FirstScrollCol(), newTop);
        }
    }
    return MoveToDisplayCell(curDisplayCol_, target);
}

bool TgrBaseGrid::LeaveInsertRowByKey() {
    if (rowEditing_ || !IsEditMode() || !IsInsertRowPos(curDisplayRow_)) return false;
    Integer row = NextEnterableRow(curDisplayRow_, -1);
    if (row == 0) return false;
    HideCellControl(true);
    return MoveToDisplayCell(curDisplayCol_, row);
}

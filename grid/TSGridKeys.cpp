// The grid's keyboard: the key table that turns keys into moves of the one
// current cell, the moves themselves (each asks the cell it leaves first
// and scrolls the target into view), the view arithmetic that decides the
// new left column and top row, and the keys of an open combo list.
//
// A current cell scrolled out of sight is brought back before a key acts
// on it; selected rows follow the current row; without an edit mode or a
// focus indication the horizontal arrows scroll the view by a column.

#include <algorithm>
#include <cstdlib>
#include <exception>

#include <QChar>

#include "grid/GridEditBox.h"
#include "grid/TSGrid.h"

namespace {

bool IsCtrlJump(Word16 key, Word16 a, Word16 b) {
    return key == VK_END || key == VK_HOME || key == a || key == b;
}

// The shift state a key case is written for: the whole state must match.
enum TgrKeyShift { ksNone, ksShift, ksAlt, ksCtrl, ksOther };

TgrKeyShift KeyShiftOf(TShiftState shift) {
    bool s = shift.Contains(ssShift), a = shift.Contains(ssAlt), c = shift.Contains(ssCtrl);
    if (!s && !a && !c) return ksNone;
    if (s && !a && !c) return ksShift;
    if (a && !s && !c) return ksAlt;
    if (c && !s && !a) return ksCtrl;
    return ksOther;
}

}  // namespace

// ------------------------------------------------------------ key entry

void TgrBaseGrid::ProcessKeyDown(Word16& key, TShiftState shift) {
    keyboardFocus_ = true;
    if (key == 0 || key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU) return;
    TgrKeyShift ks = KeyShiftOf(shift);
    if (shift.Contains(ssAlt) && !(ks == ksAlt && (key == VK_UP || key == VK_DOWN))) return;
    if (!KeysUnlocked()) return;
    if (IsDateTimeDropDownShown()) {
        DateTimeKeyDown(key, shift);
        if (key == 0) return;
    }
    if (droppedCombo_) {
        ComboKeyDown(key, shift);
        if (key == 0) {
            if (HasWindow()) Update();
            return;
        }
    }
    // Esc ends a mouse operation and does nothing else; other keys wait
    // for it to end.
    if (mouseStatus_ != msNone && mouseStatus_ != msButtonDown) {
        if (key == VK_ESCAPE) {
            CancelMouseAction();
            key = 0;
        }
        return;
    }
    // Whatever the key does, the selection reports and the grid status
    // follow it, also when a handler raises.
    struct AfterKey {
        TgrBaseGrid& grid;
        int unwinding = std::uncaught_exceptions();
        void Run() {
            grid.SyncListBoxSelection(false);
            grid.FireSelectChanged(true);
            grid.CheckGridStatusChanged();
        }
        ~AfterKey() noexcept(false) {
            if (std::uncaught_exceptions() == unwinding) {
                Run();
                return;
            }
            // The error already on its way is the one reported; a second
            // one from a handler here must not end the program.
            try {
                Run();
            } catch (...) {
            }
        }
    } afterKey{*this};
    // A current cell scrolled out of sight comes back first; Esc does
    // nothing more.
    if (!CurrentCellInView()) {
        ScrollCurrentCellIntoView(NeedsHorizontalFix(shift, key), NeedsVerticalFix(shift, key));
        if (key == VK_ESCAPE) {
            ResetComboSearchText();
            key = 0;
            return;
        }
    }
    if (key == VK_ESCAPE && ks == ksNone && ResetComboSearchText()) {
        key = 0;
        return;
    }
    bool mayUndo = true, undoHandled = false;
    if ((key == VK_ESCAPE && ks == ksNone) || (key == 'Z' && ks == ksCtrl)) UndoCurrentEdit(mayUndo, undoHandled);

    bool editOrFocus = IsEditMode() || ShowsFocus();
    bool handled = false;
    switch (ks) {
        case ksNone:
            switch (key) {
                case VK_TAB:
                    if (editOrFocus) {
                        MoveToNextCell(key);
                        handled = true;
                    }
                    break;
                case VK_RETURN:
                    if (IsEditMode()) {
                        MoveToNextCell(key);
                        handled = true;
                    }
                    break;
                case VK_ESCAPE:
                    if (mayUndo) handled = ExitEditMode() || undoHandled;
                    break;
                case VK_PRIOR:
                    MovePageUp();
                    handled = true;
                    break;
                case VK_NEXT:
                    MovePageDown();
                    handled = true;
                    break;
                case VK_LEFT:
                    if (editOrFocus) MoveToPrevCell();
                    else ScrollColumnByKey(false);
                    handled = true;
                    break;
                case VK_RIGHT:
                    if (editOrFocus) MoveToNextCell(key);
                    else ScrollColumnByKey(true);
                    handled = true;
                    break;
                case VK_UP:
                    MoveUp();
                    handled = true;
                    break;
                case VK_DOWN:
                    MoveDown();
                    handled = true;
                    break;
                case VK_F2:
                    if (!editModeFlag_) {
                        // Edit mode starts with the caret where the editor has it.
                        if (StartEditing(2, false)) {
                            if (activeControl_) activeControl_->SetSelLength(0);
                            handled = true;
                        }
                    } else if (!IsCellEditing() && GetCurrentControlType() == ctText && BeginCellEdit()) {
                        if (!controlShown_) RefreshCellControl();
                        handled = true;
                    }
                    break;
                case VK_SPACE:
                    if (GetCurrentControlType() == ctCheck) handled = ToggleCurrentCheck();
                    break;
                case VK_F4: handled = DropDownCurrentCell(); break;
                default: break;
            }
            break;
        case ksShift:
            if (key == VK_TAB && editOrFocus) {
                MoveToPrevCell();
                handled = true;
            } else if (key == VK_INSERT) {
                handled = PasteCell();
            } else if (key == VK_DELETE) {
                handled = CutCell();
            }
            break;
        case ksAlt: handled = DropDownCurrentCell(); break;
        case ksCtrl:
            switch (key) {
                case 'C':
                case VK_INSERT: handled = CopyCell(); break;
                case 'V': handled = PasteCell(); break;
                case 'X': handled = CutCell(); break;
                case 'Z':
                    if (mayUndo) handled = ExitEditMode() || undoHandled;
                    break;
                default: handled = CtrlArrowMove(key); break;
            }
            break;
        case ksOther: break;
    }
    if (handled) {
        key = 0;
        if (HasWindow()) Update();
    } else if (cellEditing_ && editControl_ && activeControl_ == editControl_.get() && activeControl_->GetVisible()) {
        // Keys the grid does not take edit the text.
        forwardingKey_ = true;
        struct Release {
            bool& flag;
            ~Release() { flag = false; }
        } release{forwardingKey_};
        editControl_->EditBox()->DoKeyDown(key, shift);
    }
}

void TgrBaseGrid::KeyUp(Word16& key, TShiftState shift) {
    // The first key after the grid took the focus by keyboard hands the
    // focus on to the shown in-cell control.
    if (keyboardFocus_) {
        keyboardFocus_ = false;
        if (activeControl_ && controlShown_ && activeControl_->GetVisible() && !activeControl_->Focused())
            activeControl_->SetFocus();
    }
    DoGridKeyUp(key, shift);
}

void TgrBaseGrid::UndoCurrentEdit(bool& mayUndo, bool& handled) {
    mayUndo = true;
    handled = false;
    if (!cellEditing_ && !rowEditing_) return;
    bool undone = false, kept = false;
    mayUndo = UndoEdit(false, true, undone, kept);
    handled = true;
}

// ------------------------------------------------------------ the view

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
    if (horizontal && !IsCellReachable(curDisplayCol_, 0)) return;
    if (vertical && !IsCellReachable(0, curDisplayRow_)) return;
    TCellCoord_ts topLeft = TopLeftCell();
    // The axis that is not wanted is asked for a cell it already shows.
    TCellCoord_ts target{horizontal ? curDisplayCol_ : topLeft.Col, vertical ? curDisplayRow_ : topLeft.Row};
    if (target.Col < 1 || target.Row < 1 || target.Col >= ColTotal() || target.Row >= RowTotal()) return;
    ScrollCellIntoView(target);
    if (TopLeftCell() == topLeft) return;
    ResetCellControl(true);
    Update();
}

bool TgrBaseGrid::NeedsHorizontalFix(TShiftState shift, Word16 key) {
    if (KeyShiftOf(shift) == ksCtrl && IsCtrlJump(key, VK_LEFT, VK_RIGHT)) return false;
    return HasCurrentCell();
}

bool TgrBaseGrid::NeedsVerticalFix(TShiftState shift, Word16 key) {
    if (KeyShiftOf(shift) == ksCtrl && IsCtrlJump(key, VK_UP, VK_DOWN)) return false;
    if (HasCurrentCell()) return true;
    return key == VK_PRIOR || key == VK_NEXT || key == VK_END || key == VK_HOME || key == VK_UP || key == VK_DOWN;
}

void TgrBaseGrid::CalcLeftColToShowRight(Integer displayCol, Integer& left) {
    if (!HasWindow()) return;
    TGridLayout_ts layout;
    ComputeLayout(layout);
    left = std::max(FixedColTotal(), LastTopLeft({displayCol, 0}, layout).Col);
    // A hidden left column gives way to the next visible one.
    while (left < displayCol && GetColWidthAt(left) <= 0) ++left;
}

void TgrBaseGrid::CalcTopRowToShowBottom(Integer displayRow, Integer& top) {
    if (!HasWindow()) return;
    TGridLayout_ts layout;
    ComputeLayout(layout);
    top = std::max(FixedRowTotal(), LastTopLeft({0, displayRow}, layout).Row);
    // The insert row below the last data row comes into view with it.
    if (gridMode_ == gmEditInsert && displayRow == RowTotal() - 2 && IsInsertRowPos(RowTotal() - 1)) {
        Integer withInsert = std::max(FixedRowTotal(), LastTopLeft({0, displayRow + 1}, layout).Row);
        top = std::max(top, std::min(withInsert, displayRow));
    }
    while (top < displayRow && GetRowHeightAt(top) <= 0) ++top;
}

void TgrBaseGrid::CalcTopRowToShowBelow(Integer displayRow, Integer& top) {
    if (displayRow < FixedRowTotal()) return;
    if (displayRow < top) {
        top = displayRow;
        return;
    }
    if (displayRow <= GetLastVisibleRow()) return;
    Integer bottomTop = top;
    CalcTopRowToShowBottom(displayRow, bottomTop);
    top = std::max(top, bottomTop);
}

Integer TgrBaseGrid::CalcPageDownTop(Integer displayRow) {
    Integer top = TopRow();
    if (!HasWindow()) return top;
    TGridLayout_ts layout;
    ComputeLayout(layout);
    Integer lastTop = std::max(FixedRowTotal(), LastTopLeft({FirstScrollCol(), RowTotal() - 1}, layout).Row);
    // The row keeps its place in the view; near the end the last rows fill it.
    Integer moved = std::max<Integer>(0, displayRow - curDisplayRow_);
    return std::max(FixedRowTotal(), std::min(top + moved, lastTop));
}

void TgrBaseGrid::MoveCurrentCell(Integer displayCol, Integer displayRow, Integer scrollKind, bool moveCurrent,
                                  bool repaintOldRowBar, Integer placement) {
    HideCellControlIfShown(true);
    Integer left = FirstScrollCol(), top = TopRow();
    Integer newLeft = CalcLeftColToShow(left, displayCol, placement);
    Integer newTop = top;
    if (displayRow < top && displayRow >= FixedRowTotal()) {
        newTop = std::max(displayRow, FixedRowTotal());
        if (placement == 1 || placement == 3) CalcTopRowToShowBottom(displayRow, newTop);
    } else if (HasWindow() && displayRow > GetLastVisibleRow()) {
        CalcTopRowToShowBottom(displayRow, newTop);
    }
    if (moveCurrent && !(displayCol == curDisplayCol_ && displayRow == curDisplayRow_)) {
        Integer oldRow = curDisplayRow_;
        InvalidateFocusCell(false);
        ClearCellRange();
        TCustomGrid_ts::MoveCurrentCell(displayCol, displayRow, false, true);
        if (repaintOldRowBar || oldRow != displayRow) InvalidateDisplayCell(0, oldRow);
    }
    bool h = (scrollKind & 1) && newLeft != left, v = (scrollKind & 2) && newTop != top;
    if (h && v) {
        TgrUpdateLocked lock(*this);
        SetTopLeft(newLeft, newTop);
    } else if (h) {
        SetLeftCol(newLeft);
    } else if (v) {
        // The previous current cell is repainted anyway: it is not moved
        // with the rows first.
        ScrollWithMode(left, newTop, smKeepCell);
    }
    RefreshCellControl();
    InvalidateFocusCell(false);
}

bool TgrBaseGrid::IsCellReachable(Integer displayCol, Integer displayRow) {
    if (HasWindow() && displayRow > GetLastVisibleRow() && GetVisibleRowCount() == 0) return false;
    return gridMode_ == gmListBox || displayCol == 0 || IsReachableCol(displayCol, SkipsReadOnly());
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
    Integer col = 0;
    if (right) FindNextEnterableCol(curDisplayCol_, SkipsReadOnly(), col, false);
    else FindPrevEnterableCol(curDisplayCol_, SkipsReadOnly(), col, false);
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

// ------------------------------------------------------------ cell moves

bool TgrBaseGrid::LeaveCellFor(Integer displayCol, Integer displayRow) {
    if (displayCol < 1 || displayRow < 1 || displayCol >= ColTotal() || displayRow >= RowTotal()) return false;
    if (!CanLeaveCell(DataColOfDisplay(displayCol), DataRowOfDisplay(displayRow), true)) return false;
    EndCellEdit(true);
    return true;
}

void TgrBaseGrid::MoveToNextCell(Word16 key) {
    if (!IsCellReachable(curDisplayCol_, curDisplayRow_)) return;
    auto target = [&](Integer& col, Integer& row) {
        col = row = 0;
        if (FindNextEnterableCell(curDisplayCol_, curDisplayRow_, row, col, false) && row != curDisplayRow_ &&
            !tabRowWrap_)
            col = row = 0;
    };
    Integer col, row;
    target(col, row);
    if (!col) {
        // Enter on the last cell takes the value and selects it again.
        if (key == VK_RETURN && CanLeaveCell(-1, -1, true)) {
            EndCellEdit(true);
            InvalidateRow(curDisplayRow_);
            SelectAllCurrentCell();
        }
        return;
    }
    if (!LeaveCellFor(col, row)) return;
    // The leave event may have changed the grid.
    target(col, row);
    if (!col) return;
    MoveCurrentCell(col, row, 3, true, false, row != curDisplayRow_ ? 2 : 0);
    CheckCurrentCellChanged();
}

void TgrBaseGrid::MoveToPrevCell() {
    if (!IsCellReachable(curDisplayCol_, curDisplayRow_)) return;
    Integer col = 0, row = 0;
    if (!FindPrevEnterableCell(curDisplayCol_, curDisplayRow_, row, col, false) ||
        (row != curDisplayRow_ && !tabRowWrap_))
        return;
    if (!LeaveCellFor(col, row)) return;
    MoveCurrentCell(col, row, 3, true, false, 0);
    CheckCurrentCellChanged();
}

void TgrBaseGrid::MoveVertically(Integer step) {
    if (!IsCellReachable(curDisplayCol_, curDisplayRow_)) return;
    Integer col = 0, row = 0;
    bool found = step > 0 ? FindNextEnterableCellInCol(curDisplayCol_, curDisplayRow_, row, col, false)
                          : FindPrevEnterableCellInCol(curDisplayCol_, curDisplayRow_, row, col, false);
    // No enterable row in this column: the next cell further on.
    if (!found && !(step > 0 ? FindNextEnterableCell(curDisplayCol_, curDisplayRow_, row, col, false)
                             : FindPrevEnterableCell(curDisplayCol_, curDisplayRow_, row, col, false)))
        return;
    if (!LeaveCellFor(col, row)) return;
    MoveCurrentCell(col, row, 3, true, true, 0);
    CheckCurrentCellChanged();
}

void TgrBaseGrid::MoveDown() {
    if (!(IsEditMode() || ShowsFocus())) {
        MoveRowDown();
        return;
    }
    MoveVertically(1);
}

void TgrBaseGrid::MoveUp() {
    if (!(IsEditMode() || ShowsFocus())) {
        MoveRowUp();
        return;
    }
    MoveVertically(-1);
}

void TgrBaseGrid::MoveRowBy(Integer step) {
    Integer row = 0;
    if (step > 0) FindNextEnterableRow(curDisplayRow_, false, row, false);
    else FindPrevEnterableRow(curDisplayRow_, false, row, false);
    if (!row || !IsCellReachable(curDisplayCol_, row)) return;
    bool rowsSelected = gridStatus_ == gsRowsSelected;
    if (!LeaveCellFor(curDisplayCol_, row)) return;
    MoveCurrentCell(curDisplayCol_, row, 2, true, true, 0);
    if (rowsSelected) MoveRowSelectionTo(curDisplayRow_);
    CheckCurrentCellChanged();
}

void TgrBaseGrid::MoveRowDown() { MoveRowBy(1); }
void TgrBaseGrid::MoveRowUp() { MoveRowBy(-1); }

void TgrBaseGrid::MoveRowSelectionTo(Integer displayRow) {
    if (displayRow < 1 || displayRow >= RowTotal()) return;
    DeselectAllRows();
    SelectDisplayRows(displayRow, displayRow);
    rowSelectStart_ = displayRow;
    MarkSelectChanged(0);
}

// Page Down (Up): the current row goes a page of fully visible rows further
// (at least one row, never past the last (first) enterable row) and the
// view scrolls by the same distance, so the row keeps its place in the
// view; near the end the last rows fill the view.
void TgrBaseGrid::MovePage(Integer step) {
    Integer limit = step > 0 ? GetLastEnterableRow(false, false) : 0;
    if (step < 0) FindNextEnterableRow(0, false, limit, false);
    if (limit == 0 || (step > 0 ? curDisplayRow_ >= limit : curDisplayRow_ <= limit)) return;
    Integer page = std::max<Integer>(1, GetVisibleRowCount());
    Integer target = curDisplayRow_;
    if (curDisplayRow_ < FixedRowTotal()) target = step > 0 ? FixedRowTotal() - 1 : curDisplayRow_;
    for (Integer i = 0; i < page; ++i) {
        Integer r = 0;
        if (!(step > 0 ? FindNextEnterableRow(target, false, r, false) : FindPrevEnterableRow(target, false, r, false)))
            break;
        target = r;
    }
    if (target == curDisplayRow_) return;
    bool rowsSelected = gridStatus_ == gsRowsSelected;
    if (!LeaveCellFor(curDisplayCol_, target)) return;
    if (HasWindow()) {
        Integer top = TopRow(), newTop = top;
        if (step > 0) {
            if (GetLastVisibleRow() < RowTotal() - 1) newTop = CalcPageDownTop(target);
        } else {
            Integer moved = curDisplayRow_ - target;
            newTop = std::max(FixedRowTotal(), top - std::max(page, moved));
        }
        if (newTop != top) {
            HideCellControl(true);
            SetTopLeft(FirstScrollCol(), newTop);
        }
    }
    MoveCurrentCell(curDisplayCol_, target, 3, true, true, 0);
    if (rowsSelected) MoveRowSelectionTo(curDisplayRow_);
    CheckCurrentCellChanged();
}

void TgrBaseGrid::MovePageDown() { MovePage(1); }
void TgrBaseGrid::MovePageUp() { MovePage(-1); }

void TgrBaseGrid::MoveToCorner(Integer col, Integer row, Integer scrollKind, Integer placement, bool checkReach) {
    if (checkReach && !IsCellReachable(curDisplayCol_, curDisplayRow_)) return;
    if (!col || !row) return;
    bool rowsSelected = gridStatus_ == gsRowsSelected;
    if (col == curDisplayCol_ && row == curDisplayRow_) {
        MoveCurrentCell(col, row, scrollKind, false, false, placement);
        return;
    }
    if (!LeaveCellFor(col, row)) return;
    MoveCurrentCell(col, row, scrollKind, true, true, placement);
    if (rowsSelected) MoveRowSelectionTo(curDisplayRow_);
    if (HasWindow()) Update();
    CheckCurrentCellChanged();
}

void TgrBaseGrid::MoveToFirstCell() {
    Integer row = 0;
    FindNextEnterableRow(0, false, row, false);
    MoveToCorner(GetFirstEnterableCol(SkipsReadOnly(), false), row, 3, 3, true);
}

void TgrBaseGrid::MoveToLastCell() {
    MoveToCorner(GetLastEnterableCol(SkipsReadOnly(), false), GetLastEnterableRow(false, false), 3, 0, true);
}

void TgrBaseGrid::MoveToFirstRow() {
    Integer row = 0;
    FindNextEnterableRow(0, false, row, false);
    MoveToCorner(curDisplayCol_, row, gridStatus_ == gsRowsSelected ? 2 : 3, 0, true);
}

void TgrBaseGrid::MoveToLastRow() {
    MoveToCorner(curDisplayCol_, GetLastEnterableRow(false, false), gridStatus_ == gsRowsSelected ? 2 : 3, 0, true);
}

void TgrBaseGrid::MoveToFirstCol() {
    MoveToCorner(GetFirstEnterableCol(SkipsReadOnly(), false), curDisplayRow_, gridMode_ == gmListBox ? 1 : 3, 2, false);
}

void TgrBaseGrid::MoveToLastCol() {
    MoveToCorner(GetLastEnterableCol(SkipsReadOnly(), false), curDisplayRow_, gridMode_ == gmListBox ? 1 : 3, 0, false);
}

bool TgrBaseGrid::CtrlArrowMove(Word16& key) {
    switch (key) {
        case VK_END: MoveToLastCell(); break;
        case VK_HOME: MoveToFirstCell(); break;
        case VK_LEFT: MoveToFirstCol(); break;
        case VK_UP: MoveToFirstRow(); break;
        case VK_RIGHT: MoveToLastCol(); break;
        case VK_DOWN: MoveToLastRow(); break;
        default: return false;
    }
    key = 0;
    return true;
}

bool TgrBaseGrid::ExitEditMode() {
    if (!IsEditMode()) return false;
    // Esc on the insert row with no row edit left running goes back to the
    // last data row (an unedited provisional row is taken back).
    if (!rowEditing_ && IsInsertRowPos(curDisplayRow_)) {
        Integer row = 0;
        if (!FindPrevEnterableRow(curDisplayRow_, false, row, false)) return false;
        HideCellControl(true);
        InvalidateDisplayCell(0, curDisplayRow_);
        MoveCurrentCell(curDisplayCol_, row, 3, true, true, 0);
        CheckCurrentCellChanged();
        return true;
    }
    if (alwaysShowEditor_) return false;
    EndEditing();
    SelectAllCurrentCell();
    return true;
}

// ------------------------------------------------------------ drop-downs and headings

bool TgrBaseGrid::CanDropDownCell(Integer dataCol, Integer dataRow, unsigned buttonTypes) {
    TgrDropDownStyle style;
    TgrButtonType button = ResolveButtonType(dataCol, dataRow, style);
    if (button > btDateTimePopup || !(buttonTypes & (1u << unsigned(button)))) return false;
    if (IsCellReadOnly(dataCol, dataRow) || (gridMode_ != gmEdit && gridMode_ != gmEditInsert)) return false;
    if (button == btDateTimeDropDown || button == btDateTimePopup) return CanDropDownDateTime(dataCol, dataRow);
    return true;
}

bool TgrBaseGrid::DropDownCurrentCell() { return DropDownCombo() || DropDownDateTime(); }

Integer TgrBaseGrid::FindHeadingAccelerator(char ch) {
    QChar wanted = QChar(ch).toUpper();
    for (Integer displayCol = 1; displayCol < ColTotal(); ++displayCol) {
        TgrCol* col = gridCols_->ColAt(DataColOfDisplay(displayCol));
        if (!col) continue;
        // The position counts from 1 at the "&": the character after it.
        Integer pos = col->AcceleratorPos();
        const std::string& heading = col->GetHeading();
        if (pos <= 0 || std::size_t(pos) >= heading.size()) continue;
        if (QChar(heading[std::size_t(pos)]).toUpper() == wanted) return DataColOfDisplay(displayCol);
    }
    return 0;
}

// Row drag selection of the data-aware grid: the drag's anchor and end are
// records, so the drag keeps its meaning while the record window moves,
// and a drag held past the rows walks the window one record a step.
#include <algorithm>

#include "dbgrid/DBGrid.h"
#include "dbgrid/DBGridSelection.h"

namespace {

Integer SignOf(Integer value) { return value > 0 ? 1 : value < 0 ? -1 : 0; }

// A counter or direction set for the length of one step and put back on
// the way out, by an error too.
class TAutoScrollScope {
public:
    TAutoScrollScope(Integer& direction, Integer value) : direction_(direction), old_(direction) { direction_ = value; }
    ~TAutoScrollScope() { direction_ = old_; }
    TAutoScrollScope(const TAutoScrollScope&) = delete;
    TAutoScrollScope& operator=(const TAutoScrollScope&) = delete;

private:
    Integer& direction_;
    Integer old_;
};

// The step of an auto-scroll pass, by the side of the anchor record that
// the row come into view lies on: below it, above it, or on it. Only a
// multiple selection tells them apart; a single one takes the first.
template <class Below, class Above, class OnAnchor>
void StepBySide(Integer side, bool multi, Below below, Above above, OnAnchor onAnchor) {
    if (side == 1 || !multi) below();
    else if (side == -1) above();
    else onAnchor();
}

}  // namespace

// ------------------------------------------------------------ positions

TgrBkmPos TgrGridData::PriorPositionClamped() {
    if (GetRowCount() < 1) return MakeBeforeFirstPosition();
    std::string first = GetRowBookmark(1), prior;
    if (first.empty() || !GetPriorBookmark(first, prior)) return MakeAtPosition(first);
    return {first, bpPrior};
}

TgrBkmPos TgrGridData::NextPositionClamped() {
    Integer count = GetRowCount();
    if (count < 1) return MakeAfterLastPosition();
    std::string last = GetRowBookmark(count), next;
    if (last.empty() || !GetNextBookmark(last, next)) return MakeAtPosition(last);
    return {last, bpNext};
}

// ------------------------------------------------------------ drag steps

void TgrCustomDBGrid::SetMouseSelectRow(Integer displayRow) {
    TgrBaseGrid::SetMouseSelectRow(displayRow);
    if (!dataBound_) return;
    mouseSelectStart_.clear();
    dragAnchorDataRow_ = Variant();
    dragInverted_.clear();
    anchorSide_ = prevAnchorSide_ = dragDirection_ = 0;
    if (!dataActive_) return;
    Integer dataRow = DataRowOfDisplay(displayRow);
    if (dataRow >= 1 && dataRow <= window_->GetRowCount()) {
        mouseSelectStart_ = window_->GetRowBookmark(dataRow);
        dragAnchorDataRow_ = window_->GetRowDataRow(dataRow);
    }
    dragEndPos_ = MakeAtPosition(mouseSelectStart_);
}

Integer TgrCustomDBGrid::CompareToCurrentRow(Integer displayRow) {
    if (!dataBound_) return TgrBaseGrid::CompareToCurrentRow(displayRow);
    if (!dataActive_) return 0;
    if (displayRow > Rows()) return -1;
    UpdateAnchorSide(displayRow);
    return anchorSide_;
}

// The side is read from where the window puts the anchor record: its row,
// or, with ordered bookmarks, before or after the window. Only an anchor
// that unordered bookmarks cannot place keeps the side it had (during
// auto-scroll: 0 on the anchor, else the scroll's direction when it was 0).
void TgrCustomDBGrid::UpdateAnchorSide(Integer displayRow) {
    Integer side = anchorSide_;
    if (dragDirection_ != 0 || autoScrollDirection_ != 0) {
        Integer dataRow = DataRowOfDisplay(displayRow);
        Integer count = window_->GetRowCount();
        Integer anchorRow = window_->FindBookmarkRow(mouseSelectStart_);
        bool placed = (anchorRow >= 1 && anchorRow <= count) || bookmarkType_ == bmtDefault;
        if (placed) {
            side = SignOf(dataRow - anchorRow);
        } else if (autoScrollDirection_ != 0) {
            bool same = dataRow >= 1 && dataRow <= count && window_->GetRowBookmark(dataRow) == mouseSelectStart_;
            if (same && anchorSide_ != 0) side = 0;
            else if (!same && anchorSide_ == 0) side = autoScrollDirection_;
        }
    }
    prevAnchorSide_ = anchorSide_;
    anchorSide_ = side;
}

TgrBkmPos TgrCustomDBGrid::DragTargetOf(Integer displayRow) {
    if (displayRow <= 0) return window_->PriorPositionClamped();
    Integer dataRow = DataRowOfDisplay(displayRow);
    if (displayRow > Rows() || dataRow > window_->GetRowCount()) return window_->NextPositionClamped();
    return MakeAtPosition(window_->GetRowBookmark(dataRow));
}

Integer TgrCustomDBGrid::WindowRowOfPosition(const TgrBkmPos& pos) {
    Integer count = window_->GetRowCount();
    std::string bookmark;
    if (!window_->ResolvePosition(pos, bookmark)) return pos.Kind == bpBeforeFirst || pos.Kind == bpPrior ? 0 : count + 1;
    return window_->FindBookmarkRow(bookmark);
}

// The rows as they stood when the step began: comparing positions may step
// the dataset and with it the window until the step ends.
Integer TgrCustomDBGrid::DragSnapshotRowOf(const TgrBkmPos& pos) {
    Integer count = Integer(dragWindowRows_.size());
    std::string bookmark;
    if (!window_->ResolvePosition(pos, bookmark)) return pos.Kind == bpBeforeFirst || pos.Kind == bpPrior ? 0 : count + 1;
    for (Integer row = 1; row <= count; ++row)
        if (dragWindowRows_[std::size_t(row - 1)].first == bookmark) return row;
    if (count < 1 || bookmarkType_ != bmtDefault) return 0;
    return window_->CompareBookmarks(bookmark, dragWindowRows_.front().first) < 0 ? 0 : count + 1;
}

void TgrCustomDBGrid::InvertRecordSelection(const Variant& dataRow) {
    if (UsesRecordIds()) {
        if (dataRow.IsNull() || dataRow.IsEmpty()) return;
        TgrRecordIdSet& ids = selection_->Ids();
        if (ids.Contains(dataRow)) {
            ids.Remove(dataRow);
            selection_->SetAllSelected(false);
        } else {
            ids.Add(dataRow);
        }
        return;
    }
    if (!dataRow.IsString() || dataRow.AsString().empty()) return;
    std::string bookmark = dataRow.AsString();
    selection_->SetBookmarkSelected(bookmark, !selection_->IsSelected(bookmark));
}

void TgrCustomDBGrid::ToggleDragSpan(const TgrBkmPos& from, const TgrBkmPos& to) {
    if (window_->ComparePositions(from, to) > 0) return;
    if (selection_->Mode() == rseBookmarkRange && !UsesRecordIds()) {
        // Up auto-scroll joins the range after the span, down the one
        // before it: the side the drag grows from.
        int mergeMode = autoScrollDirection_ < 0 ? 1 : autoScrollDirection_ > 0 ? 0 : 2;
        selection_->ToggleRange(from, to, mergeMode);
        return;
    }
    // Set mode and record ids: only records the window shows can be named;
    // each one inverted is noted, so that giving the drag up can invert it
    // back after it has scrolled away.
    Integer lo = std::max<Integer>(DragSnapshotRowOf(from), 1);
    Integer hi = std::min(DragSnapshotRowOf(to), Integer(dragWindowRows_.size()));
    for (Integer row = lo; row <= hi; ++row) {
        const Variant& dataRow = dragWindowRows_[std::size_t(row - 1)].second;
        if (!dragInverted_.erase(dataRow)) dragInverted_.insert(dataRow);
        InvertRecordSelection(dataRow);
    }
    MarkSelectChanged(0);
}

// The records between the anchor and the drag end are inverted, the anchor
// left out: moving the end from E to T inverts what lies between the anchor
// and E or T but not both, so a record passed back over gets its state
// from before the drag again.
void TgrCustomDBGrid::MoveDragEndTo(const TgrBkmPos& target, Integer displayRow) {
    // The current record follows an end on a row shown (not one reached by
    // a step beyond it, which would scroll the view).
    bool moveCurrent = RowSelectMode() == rsMulti && UsesStandardWindow() && target.Kind == bpAt &&
                       displayRow >= TopRow() && displayRow <= std::min(Rows(), LastWholeRow()) &&
                       displayRow != CurrentDisplayRow();
    if (moveCurrent && !CanLeaveCell(-1, -1, true)) return;
    dragWindowRows_.clear();
    if (selection_->Mode() != rseBookmarkRange || UsesRecordIds())
        for (Integer row = 1; row <= window_->GetRowCount(); ++row)
            dragWindowRows_.emplace_back(window_->GetRowBookmark(row), window_->GetRowDataRow(row));
    {
        TgrDatasetKeeper keep(this);
        TgrGridData& w = *window_;
        if (w.ComparePositions(target, dragEndPos_) == 0) {
            SetRowDragEnd(displayRow);
            return;
        }
        TgrBkmPos anchor = MakeAtPosition(mouseSelectStart_), end = dragEndPos_;
        int endSide = w.ComparePositions(end, anchor), targetSide = w.ComparePositions(target, anchor);
        int order = w.ComparePositions(target, end);
        if (endSide >= 0 && targetSide >= 0) {
            if (order > 0) ToggleDragSpan(w.PositionAfter(end), target);
            else ToggleDragSpan(w.PositionAfter(target), end);
        } else if (endSide <= 0 && targetSide <= 0) {
            if (order < 0) ToggleDragSpan(target, w.PositionBefore(end));
            else ToggleDragSpan(end, w.PositionBefore(target));
        } else {
            // The end crosses the anchor: the old side goes back, the new
            // side is inverted, the anchor itself stays.
            if (endSide > 0) ToggleDragSpan(w.PositionAfter(anchor), end);
            else ToggleDragSpan(end, w.PositionBefore(anchor));
            if (targetSide > 0) ToggleDragSpan(w.PositionAfter(anchor), target);
            else ToggleDragSpan(target, w.PositionBefore(anchor));
        }
        dragEndPos_ = target;
    }
    SetRowDragEnd(displayRow);
    selection_->Changed();
    Invalidate();
    if (moveCurrent) {
        MoveCurrentToWindowRow(displayRow, true);
        // Showing the row whole may have moved the window under it.
        Integer row = WindowRowOfPosition(dragEndPos_);
        if (row >= 1 && row <= window_->GetRowCount()) SetRowDragEnd(DisplayRowOfData(row));
    }
    CheckCurrentCellChanged();
    FireSelectChanged(true);
}

// Moving the end down, up or onto the anchor is one move by records: what
// lies between the anchor and the end is inverted whichever side it is on.
void TgrCustomDBGrid::DragToRow(Integer displayRow) {
    if (!dataActive_ || mouseSelectStart_.empty()) return;
    TgrBkmPos target;
    {
        // Naming the record beyond the window may step the dataset there
        // and back; the window must show the same records afterwards.
        TgrDatasetKeeper keep(this);
        target = DragTargetOf(displayRow);
    }
    MoveDragEndTo(target, displayRow);
}

// The insert-row position holds a record of the window unless a new record
// is pending there (no bookmark yet).
bool TgrCustomDBGrid::IsPendingInsertRow(Integer displayRow) {
    return displayRow > 1 && IsInsertRowPos(displayRow) && BookmarkOfDisplayRow(displayRow).empty();
}

bool TgrCustomDBGrid::MoveCurrentToWindowRow(Integer displayRow, bool markRow) {
    bool moved;
    {
        TAutoScrollScope moving(gridMovesDataset_, gridMovesDataset_ + 1);
        moved = displayRow == CurrentDisplayRow() || MoveToDisplayCell(CurrentDisplayCol(), displayRow);
    }
    if (markRow && RowBarOn()) InvalidateDisplayCell(0, CurrentDisplayRow());
    return moved;
}

// One selected record follows the pointer and becomes the anchor; in a
// dropped-down list it is selected only while the pointer is on the rows,
// so a release beside them chooses nothing.
void TgrCustomDBGrid::DragSingleTo(Integer displayRow) {
    Integer row = std::clamp<Integer>(displayRow, 1, std::max<Integer>(Rows(), 1));
    Integer dataRow = DataRowOfDisplay(row);
    if (dataRow < 1 || dataRow > window_->GetRowCount()) return;
    std::string target = window_->GetRowBookmark(dataRow);
    // A record not posted yet (the placeholder row) cannot be selected.
    if (target.empty()) return;
    Variant targetRow = window_->GetRowDataRow(dataRow);
    bool select = !IsComboGrid() || PointerInRows();
    bool onTarget = target == currentRecord_ && row == RowDragEnd();
    if (onTarget && IsRecordSelected(targetRow) == select) return;
    if (WouldChangeCurrentRow(dataRow) && !MoveCurrentToWindowRow(row, true)) return;
    selection_->Clear();
    if (select) InvertRecordSelection(targetRow);
    mouseSelectStart_ = rangeAnchor_ = target;
    dragAnchorDataRow_ = targetRow;
    dragEndPos_ = MakeAtPosition(target);
    SetRowDragEnd(row);
    selection_->Changed();
    Invalidate();
    MarkSelectChanged(0);
    CheckCurrentCellChanged();
    FireSelectChanged(true);
}

// The drag's end moves to a display row: one record follows it under
// single selection, else the span from the anchor does.
void TgrCustomDBGrid::DragRecordsTo(Integer displayRow) {
    if (!dataActive_ || mouseSelectStart_.empty()) return;
    if (RowSelectMode() == rsSingle) DragSingleTo(displayRow);
    else DragToRow(displayRow);
}

void TgrCustomDBGrid::DragSelectRowsDown(Integer displayRow) {
    if (!dataBound_) {
        TgrBaseGrid::DragSelectRowsDown(displayRow);
        return;
    }
    if (!dataActive_ || mouseSelectStart_.empty()) return;
    // The insert row holds no record to reach: the end stops above it.
    if (IsPendingInsertRow(displayRow)) --displayRow;
    DragRecordsTo(displayRow);
}

void TgrCustomDBGrid::DragSelectRowsUp(Integer displayRow) {
    if (!dataBound_) {
        TgrBaseGrid::DragSelectRowsUp(displayRow);
        return;
    }
    DragRecordsTo(displayRow);
}

void TgrCustomDBGrid::DragSelectRowsAtCurrent(Integer displayRow) {
    if (!dataBound_) {
        TgrBaseGrid::DragSelectRowsAtCurrent(displayRow);
        return;
    }
    DragRecordsTo(displayRow);
}

// Given up, the drag puts back what it changed: the records from the
// anchor to the end are inverted again, the anchor included. In range mode
// that is one span of positions, wherever the window stands now; in set
// mode and with record ids every record the drag inverted is named, since
// the rows that showed them may have scrolled away.
void TgrCustomDBGrid::EndDragSelectRows(bool released) {
    if (!dataBound_) {
        TgrBaseGrid::EndDragSelectRows(released);
        return;
    }
    if (!dataActive_) return;
    if (!released && !IsListBoxSelect() && !mouseSelectStart_.empty()) {
        {
            TgrDatasetKeeper keep(this);
            if (RowSelectMode() == rsSingle) {
                InvertRecordSelection(dragAnchorDataRow_);
            } else if (selection_->Mode() == rseBookmarkRange && !UsesRecordIds()) {
                TgrBkmPos anchor = MakeAtPosition(mouseSelectStart_), end = dragEndPos_;
                if (window_->ComparePositions(end, anchor) < 0) std::swap(anchor, end);
                selection_->ToggleRange(anchor, end, 2);
            } else {
                for (const Variant& dataRow : dragInverted_) InvertRecordSelection(dataRow);
                InvertRecordSelection(dragAnchorDataRow_);
            }
        }
        dragInverted_.clear();
        dragEndPos_ = MakeAtPosition(mouseSelectStart_);
        selection_->Changed();
        Invalidate();
        MarkSelectChanged(0);
    }
    FireSelectChanged(true);
}

// ------------------------------------------------------------ auto-scroll

Integer TgrCustomDBGrid::LastWholeRow() {
    Integer last = TopRow();
    while (last < Rows() && CellPixels(0, last + 1).Bottom <= ClientHeight()) ++last;
    return last;
}

bool TgrCustomDBGrid::CheckDragAutoScroll(Integer x, Integer y, Integer& col, Integer& row) {
    if (!dataBound_) return TgrBaseGrid::CheckDragAutoScroll(x, y, col, row);
    if (!dataActive_ || mouseSelectStart_.empty()) return false;
    bool below = y >= CellPixels(0, LastWholeRow()).Bottom;
    bool above = y < CellPixels(0, TopRow()).Top;
    if (!below && !above) {
        SetAutoScrollHold(false);
        SetDragDirection(row - RowDragEnd());
        return false;
    }
    // A list that has just dropped down does not scroll until the pointer
    // has been back on its rows.
    if (AutoScrollHeld()) return true;
    SetDragDirection(row - RowDragEnd());
    // The grid scrolls whatever its rows show: more records may lie beyond
    // the window. The auto-scroll loop goes on from the edge row.
    if (below) StartDragScrollDown();
    else StartDragScrollUp();
    RunDragAutoScroll(below ? 2 : 3, row, col);
    return true;
}

void TgrCustomDBGrid::StartDragScrollDown() {
    TAutoScrollScope scope(autoScrollDirection_, 1);
    Integer last = std::min(LastWholeRow(), Rows());
    switch (CompareToCurrentRow(last)) {
        case 1: DragSelectRowsDown(last); break;
        case -1: DragSelectRowsUp(last + 1); break;
        default: DragSelectRowsAtCurrent(last); break;
    }
}

void TgrCustomDBGrid::StartDragScrollUp() {
    TAutoScrollScope scope(autoScrollDirection_, -1);
    Integer top = TopRow();
    switch (CompareToCurrentRow(top)) {
        case 1: DragSelectRowsDown(top - 1); break;
        case -1: DragSelectRowsUp(top); break;
        default: DragSelectRowsAtCurrent(top); break;
    }
}

Integer TgrCustomDBGrid::DragScrollWindowBy(Integer distance) {
    Integer count = window_->GetRowCount();
    if (count < 1) return 0;
    Integer moved = 0;
    TAutoScrollScope moving(gridMovesDataset_, gridMovesDataset_ + 1);
    if (UsesStandardWindow()) {
        // The dataset goes to the edge record first, so the step scrolls
        // the window by one record and the current record follows.
        Integer visible = std::min(count, DataRowOfDisplay(LastWholeRow()));
        Integer row = window_->GetActiveRow();
        if (distance > 0 ? row < visible : row > 1) GoToWindowRow(row, distance > 0 ? visible : 1);
    }
    moved = window_->ScrollBy(distance);
    UpdateRowCount();
    return moved;
}

void TgrCustomDBGrid::ScrollDisplayByRecords(const std::string& bookmark, Integer rows) {
    if (UsesStandardWindow()) {
        Integer row = window_->GetBookmarkRow(bookmark);
        if (row >= 1 && WouldChangeCurrentRow(row)) MoveCurrentToWindowRow(DisplayRowOfData(row), true);
    } else {
        InvalidateDisplayCell(CurrentDisplayCol(), CurrentDisplayRow());
    }
    // The rows are drawn anew from the window, rows records further on.
    (void)rows;
    Invalidate();
}

void TgrCustomDBGrid::FinishDragScrollStep() {
    Invalidate();
    UpdateScrollBars();
    CheckTopLeftChanged(true);
    FireSelectChanged(true);
}

// One pass of the down auto-scroll (the timer runs them while the pointer
// stays below the rows): the window moves one record and the drag end
// takes the record that came into view, or, toward an anchor below the
// view, gives it back. At the end of the data the view moves down within
// the window until its last row is shown.
bool TgrCustomDBGrid::DragSelectScrollDown(Integer x, Integer y) {
    if (!dataBound_) return TgrBaseGrid::DragSelectScrollDown(x, y);
    if (!dataActive_ || mouseSelectStart_.empty()) return false;
    TAutoScrollScope scope(autoScrollDirection_, 1);
    if (!CanLeaveCell(-1, -1, true)) return false;
    bool multi = RowSelectMode() == rsMulti;
    bool stepped = DragScrollWindowBy(1) != 0;
    Integer last = std::min(Rows(), LastWholeRow());
    if (stepped) {
        StepBySide(
            CompareToCurrentRow(last), multi, [&] { DragSelectStepDown(x, y); },
            [&] { DragSelectStepDownReverse(x, y); },
            [&] {
                MoveDragEndTo(MakeAtPosition(mouseSelectStart_), last);
                ScrollDisplayByRecords(BookmarkOfDisplayRow(last), 1);
            });
    } else {
        if (CompareToCurrentRow(last) == 0) DragSelectRowsAtCurrent(last);
        TGridLayout_ts layout;
        ComputeLayout(layout);
        TCellCoord_ts top = TopLeftCell();
        if (top.Row < LastTopLeft({ColTotal() - 1, RowTotal() - 1}, layout).Row) {
            SetTopLeft(top.Col, top.Row + 1);
            stepped = true;
        }
    }
    FinishDragScrollStep();
    return stepped;
}

// The record that came into view at the last row shown (above the insert
// row) is taken.
bool TgrCustomDBGrid::DragSelectStepDown(Integer x, Integer y) {
    if (!dataBound_) return TgrBaseGrid::DragSelectStepDown(x, y);
    if (!dataActive_) return false;
    Integer last = std::min(Rows(), LastWholeRow());
    if (IsPendingInsertRow(last)) --last;
    std::string target = BookmarkOfDisplayRow(last);
    if (target.empty()) return false;
    if (RowSelectMode() == rsMulti) MoveDragEndTo(MakeAtPosition(target), last);
    else DragSingleTo(last);
    ScrollDisplayByRecords(target, 1);
    return true;
}

// The anchor lies below the view: the record that came into view is given
// back, the end going on to the record after it.
bool TgrCustomDBGrid::DragSelectStepDownReverse(Integer x, Integer y) {
    if (!dataBound_) return TgrBaseGrid::DragSelectStepDownReverse(x, y);
    if (!dataActive_) return false;
    Integer last = std::min(Rows(), LastWholeRow());
    if (IsPendingInsertRow(last)) --last;
    std::string target = BookmarkOfDisplayRow(last);
    if (target.empty()) return false;
    if (DragDirection() >= 0 || AutoScrollDirection() > 0)
        MoveDragEndTo(window_->PositionAfter(MakeAtPosition(target)), last + 1);
    ScrollDisplayByRecords(target, 1);
    return true;
}

// One pass of the up auto-scroll: with the first row on top the window
// moves one record back; otherwise the view moves up one row within the
// window. Either way the drag end takes the row that came into view, or
// gives it back toward an anchor above the view.
bool TgrCustomDBGrid::DragSelectScrollUp(Integer x, Integer y) {
    if (!dataBound_) return TgrBaseGrid::DragSelectScrollUp(x, y);
    if (!dataActive_ || mouseSelectStart_.empty()) return false;
    TAutoScrollScope scope(autoScrollDirection_, -1);
    if (!CanLeaveCell(-1, -1, true)) return false;
    bool multi = RowSelectMode() == rsMulti;
    if (TopRow() < 2) {
        if (DragScrollWindowBy(-1) == 0) {
            // The start of the data: nothing more to show.
            if (CompareToCurrentRow(TopRow()) == 0) DragSelectRowsAtCurrent(TopRow());
            FinishDragScrollStep();
            return false;
        }
        StepBySide(
            CompareToCurrentRow(TopRow()), multi, [&] { DragScrollUpWindowMove(); },
            [&] { DragScrollUpWindowExtend(); },
            [&] {
                std::string top = BookmarkOfDisplayRow(TopRow());
                MoveDragEndTo(MakeAtPosition(mouseSelectStart_), TopRow());
                ScrollDisplayByRecords(top, -1);
            });
    } else {
        StepBySide(
            CompareToCurrentRow(TopRow() - 1), multi, [&] { DragScrollUpRowMove(); },
            [&] { DragScrollUpRowExtend(); },
            [&] {
                SetTopLeft(TopLeftCell().Col, TopRow() - 1);
                MoveDragEndTo(MakeAtPosition(mouseSelectStart_), TopRow());
            });
    }
    FinishDragScrollStep();
    return true;
}

void TgrCustomDBGrid::DragScrollUpWindowExtend() {
    std::string top = BookmarkOfDisplayRow(TopRow());
    MoveDragEndTo(MakeAtPosition(top), TopRow());
    ScrollDisplayByRecords(top, -1);
}

void TgrCustomDBGrid::DragScrollUpWindowMove() {
    std::string top = BookmarkOfDisplayRow(TopRow());
    if (RowSelectMode() == rsMulti) {
        // The end gives the top record back and waits before it.
        MoveDragEndTo(window_->PositionBefore(MakeAtPosition(top)), TopRow() - 1);
    } else {
        DragSingleTo(TopRow());
    }
    ScrollDisplayByRecords(top, -1);
}

void TgrCustomDBGrid::DragScrollUpRowExtend() {
    Integer row = TopRow() - 1;
    if (DragDirection() < 0) MoveDragEndTo(MakeAtPosition(BookmarkOfDisplayRow(row)), row);
    SetTopLeft(TopLeftCell().Col, row);
}

void TgrCustomDBGrid::DragScrollUpRowMove() {
    Integer row = TopRow() - 1;
    if (RowSelectMode() == rsMulti) {
        std::string record = BookmarkOfDisplayRow(row);
        SetTopLeft(TopLeftCell().Col, row);
        MoveDragEndTo(window_->PositionBefore(MakeAtPosition(record)), TopRow() - 1);
    } else {
        DragSingleTo(row);
        SetTopLeft(TopLeftCell().Col, row);
    }
}

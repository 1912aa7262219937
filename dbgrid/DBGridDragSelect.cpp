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
    anchorSide_ = prevAnchorSide_ = dragDirection_ = 0;
    if (!dataActive_) return;
    Integer dataRow = DataRowOfDisplay(displayRow);
    if (dataRow >= 1 && dataRow <= window_->GetRowCount()) mouseSelectStart_ = window_->GetRowBookmark(dataRow);
    dragEndPos_ = MakeAtPosition(mouseSelectStart_);
}

Integer TgrCustomDBGrid::CompareToCurrentRow(Integer displayRow) {
    if (!dataBound_) return TgrBaseGrid::CompareToCurrentRow(displayRow);
    if (!dataActive_) return 0;
    if (displayRow > Rows()) return -1;
    UpdateAnchorSide(displayRow);
    return anchorSide_;
}

void TgrCustomDBGrid::UpdateAnchorSide(Integer displayRow) {
    Integer side = anchorSide_;
    if (dragDirection_ != 0 || autoScrollDirection_ != 0) {
        Integer dataRow = DataRowOfDisplay(displayRow);
        if (autoScrollDirection_ != 0) {
            bool same = dataRow >= 1 && dataRow <= window_->GetRowCount() &&
                        window_->GetRowBookmark(dataRow) == mouseSelectStart_;
            if (same && anchorSide_ != 0) side = 0;
            else if (!same && anchorSide_ == 0) side = autoScrollDirection_;
        } else if (Integer anchorRow = window_->GetBookmarkRow(mouseSelectStart_); anchorRow > 0) {
            side = SignOf(dataRow - anchorRow);
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

void TgrCustomDBGrid::ToggleDragSpan(const TgrBkmPos& from, const TgrBkmPos& to) {
    if (window_->ComparePositions(from, to) > 0) return;
    if (selection_->Mode() == rseBookmarkRange && !UsesRecordIds()) {
        // Up auto-scroll joins the range after the span, down the one
        // before it: the side the drag grows from.
        int mergeMode = autoScrollDirection_ < 0 ? 1 : autoScrollDirection_ > 0 ? 0 : 2;
        selection_->ToggleRange(from, to, mergeMode);
        return;
    }
    // Set mode and record ids: only records the window shows can be named.
    Integer lo = std::max<Integer>(WindowRowOfPosition(from), 1);
    Integer hi = std::min(WindowRowOfPosition(to), window_->GetRowCount());
    if (!UsesRecordIds()) {
        selection_->ToggleDataRows(lo, hi);
        return;
    }
    TgrRecordIdSet& ids = selection_->Ids();
    for (Integer row = lo; row <= hi; ++row) {
        Variant id = window_->GetRowDataRow(row);
        if (ids.Contains(id)) {
            ids.Remove(id);
            selection_->SetAllSelected(false);
        } else {
            ids.Add(id);
        }
    }
    MarkSelectChanged(0);
}

// The records between the anchor and the drag end are inverted, the anchor
// left out: moving the end from E to T inverts what lies between the anchor
// and E or T but not both, so a record passed back over gets its state
// from before the drag again.
void TgrCustomDBGrid::MoveDragEndTo(const TgrBkmPos& target, Integer displayRow) {
    bool moveCurrent = RowSelectMode() == rsMulti && UsesStandardWindow() && displayRow >= 1 &&
                       displayRow <= Rows() && displayRow != CurrentDisplayRow();
    if (moveCurrent && !CanLeaveCell(-1, -1, true)) return;
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
        MoveToDisplayCell(CurrentDisplayCol(), displayRow);
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
    MoveDragEndTo(DragTargetOf(displayRow), displayRow);
}

void TgrCustomDBGrid::DragSelectRowsDown(Integer displayRow) {
    if (!dataBound_) TgrBaseGrid::DragSelectRowsDown(displayRow);
    else DragToRow(displayRow);
}

void TgrCustomDBGrid::DragSelectRowsUp(Integer displayRow) {
    if (!dataBound_) TgrBaseGrid::DragSelectRowsUp(displayRow);
    else DragToRow(displayRow);
}

void TgrCustomDBGrid::DragSelectRowsAtCurrent(Integer displayRow) {
    if (!dataBound_) TgrBaseGrid::DragSelectRowsAtCurrent(displayRow);
    else DragToRow(displayRow);
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
    SetDragDirection(row - RowDragEnd());
    Integer lastRow = LastWholeRow();
    TRect lastCell = CellPixels(0, lastRow);
    Integer edgeRow = 0;
    if (y >= lastCell.Bottom) edgeRow = lastRow;
    else if (y < CellPixels(0, TopRow()).Top) edgeRow = TopRow();
    else return false;
    // Past the rows the drag end goes to the edge row; the auto-scroll
    // steps take it further, record by record, since more records may
    // lie beyond the window whatever its rows show.
    switch (CompareToCurrentRow(edgeRow)) {
        case 1: DragSelectRowsDown(edgeRow); break;
        case -1: DragSelectRowsUp(edgeRow); break;
        default: DragSelectRowsAtCurrent(edgeRow); break;
    }
    return true;
}

bool TgrCustomDBGrid::DragScrollOneRecord(Integer distance) {
    if (!CanLeaveCell(-1, -1, true)) return false;
    Integer count = window_->GetRowCount();
    if (count < 1) return false;
    Integer visible = std::min(count, DataRowOfDisplay(LastWholeRow()));
    Integer moved = 0;
    std::string reached;
    {
        TAutoScrollScope moving(gridMovesDataset_, gridMovesDataset_ + 1);
        if (UsesStandardWindow()) {
            // The dataset stands on the edge record, so one step more
            // scrolls the window by one record and the current record
            // follows the drag end.
            Integer row = window_->GetActiveRow();
            if (distance > 0 ? row < visible : row > 1) MoveDataSetToRow(distance > 0 ? visible : 1);
            moved = window_->ScrollBy(distance);
            UpdateRowCount();
            reached = window_->GetCurrentBookmark();
        } else {
            moved = window_->ScrollBy(distance);
            UpdateRowCount();
            Integer rows = window_->GetRowCount();
            if (rows >= 1) reached = window_->GetRowBookmark(distance > 0 ? std::min(visible, rows) : 1);
        }
    }
    if (!reached.empty()) {
        Integer row = window_->GetBookmarkRow(reached);
        MoveDragEndTo(MakeAtPosition(reached), row >= 1 ? DisplayRowOfData(row) : RowDragEnd());
    }
    // The grid class's anchor row follows the anchor record through the
    // scroll (0 above the window, count + 1 below), so a drag given up
    // inverts the rows shown from the anchor to the end.
    Integer end = RowDragEnd();
    TgrBaseGrid::SetMouseSelectRow(window_->FindBookmarkRow(mouseSelectStart_));
    SetRowDragEnd(end);
    Invalidate();
    UpdateScrollBars();
    CheckTopLeftChanged(true);
    return moved != 0;
}

bool TgrCustomDBGrid::DragSelectScrollUp(Integer x, Integer y) {
    if (!dataBound_) return TgrBaseGrid::DragSelectScrollUp(x, y);
    if (!dataActive_ || mouseSelectStart_.empty()) return false;
    TAutoScrollScope scope(autoScrollDirection_, -1);
    return DragScrollOneRecord(-1);
}

bool TgrCustomDBGrid::DragSelectScrollDown(Integer x, Integer y) {
    if (!dataBound_) return TgrBaseGrid::DragSelectScrollDown(x, y);
    if (!dataActive_ || mouseSelectStart_.empty()) return false;
    TAutoScrollScope scope(autoScrollDirection_, 1);
    Integer lastRow = LastWholeRow();
    Integer side = CompareToCurrentRow(lastRow);
    if (side < 0 && RowSelectMode() == rsMulti) return DragSelectStepDownReverse(x, y);
    return DragSelectStepDown(x, y);
}

bool TgrCustomDBGrid::DragSelectStepDown(Integer x, Integer y) {
    if (!dataBound_) return TgrBaseGrid::DragSelectStepDown(x, y);
    return dataActive_ && DragScrollOneRecord(1);
}

// The anchor lies below the view: the step toward it inverts back the
// record that comes into view, which the same move of the drag end does.
bool TgrCustomDBGrid::DragSelectStepDownReverse(Integer x, Integer y) {
    if (!dataBound_) return TgrBaseGrid::DragSelectStepDownReverse(x, y);
    return dataActive_ && DragScrollOneRecord(1);
}

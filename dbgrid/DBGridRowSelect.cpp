// Row selection by record: the row-bar presses and the row selection
// operations of the grid class turned into changes of the record
// selection, so that a range reaches records outside the window and stays
// with them while it scrolls.

#include <algorithm>
#include <optional>

#include "dbgrid/DBGrid.h"
#include "dbgrid/DBGridSelection.h"
#include "platform/data/DataSet.h"

namespace {

Integer SignOf(Integer v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

// Prior, at and next positions name a record; the two markers need none.
bool NeedsRecord(const TgrBkmPos& pos) { return pos.Kind == bpPrior || pos.Kind == bpAt || pos.Kind == bpNext; }

}  // namespace

// ------------------------------------------------------------ rows and records

std::string TgrCustomDBGrid::BookmarkOfDisplayRow(Integer row) {
    Integer dataRow = row >= 1 && row < RowTotal() ? DataRowOfDisplay(row) : 0;
    return dataRow >= 1 && dataRow <= window_->GetRowCount() ? window_->GetRowBookmark(dataRow) : std::string();
}

Integer TgrCustomDBGrid::DisplayRowOfBookmark(const std::string& bookmark) {
    if (bookmark.empty()) return 0;
    for (Integer r = 1; r <= window_->GetRowCount(); ++r)
        if (window_->GetRowBookmark(r) == bookmark) return DisplayRowOfData(r);
    return 0;
}

Integer TgrCustomDBGrid::LastVisibleDataRow() {
    return std::max<Integer>(1, std::min<Integer>(Rows(), TopRow() + GetVisibleRowCount() - 1));
}

void TgrCustomDBGrid::GetDisplayRowBookmarks(Integer row1, Integer row2, std::string& first, std::string& second) {
    auto of = [&](Integer row) {
        row = std::min(row, Rows());
        return row == 0 ? GetRangeAnchorBookmark() : BookmarkOfDisplayRow(row);
    };
    first = of(row1);
    second = of(row2);
    if (bookmarkType_ == bmtDefault && CompareBookmarks(first, second) == 1) std::swap(first, second);
}

void TgrCustomDBGrid::ResolveDisplayRowRange(Integer& from, Integer& to) {
    if (from == 0 || to == 0) {
        std::string anchor = GetRangeAnchorBookmark(), top = BookmarkOfDisplayRow(TopRow());
        int order = CompareBookmarks(anchor, top);
        if (from == 0) from = order < 0 ? TopRow() : LastVisibleDataRow();
        if (to == 0) to = order > 0 ? TopRow() : LastVisibleDataRow();
    }
    if (to < from) std::swap(from, to);
}

void TgrCustomDBGrid::PaintRowStates(Integer from, Integer to, bool state) {
    if (!HasWindow()) return;
    for (Integer r = std::max<Integer>(from, 1); r <= to && r <= Rows(); ++r)
        if (IsDisplayRowSelected(r) != state) TgrBaseGrid::PaintRowsHighlighted(r, r);
}

void TgrCustomDBGrid::PaintSelectedRows(Integer from, Integer to, bool state) {
    if (!dataBound_) {
        TgrBaseGrid::PaintSelectedRows(from, to, state);
        return;
    }
    if (!dataActive_ || !HasWindow()) return;
    ResolveDisplayRowRange(from, to);
    for (Integer r = std::max<Integer>(from, 1); r <= to && r <= Rows(); ++r)
        if (IsDisplayRowSelected(r)) TgrBaseGrid::PaintRowsHighlighted(r, r);
}

void TgrCustomDBGrid::PaintRowsHighlighted(Integer from, Integer to) {
    if (!dataBound_) {
        TgrBaseGrid::PaintRowsHighlighted(from, to);
        return;
    }
    if (!dataActive_) return;
    ResolveDisplayRowRange(from, to);
    PaintRowStates(from, to, true);
}

// ------------------------------------------------------------ the range anchor

std::string TgrCustomDBGrid::GetRangeAnchorBookmark() {
    // An anchor whose record has gone falls back to the current record.
    if (!rangeAnchor_.empty() && dataActive_ && DataSet() && DataSet()->BookmarkValid(rangeAnchor_))
        return rangeAnchor_;
    return currentRecord_;
}

void TgrCustomDBGrid::SetRangeAnchorRow(Integer row) {
    if (!dataBound_) {
        TgrBaseGrid::SetRangeAnchorRow(row);
        return;
    }
    if (!dataActive_) return;
    rangeAnchor_ = BookmarkOfDisplayRow(row);
    ClearRangeAnchorState();
}

Integer TgrCustomDBGrid::GetRangeAnchorRow() {
    if (!dataBound_) return TgrBaseGrid::GetRangeAnchorRow();
    if (!dataActive_) return 0;
    return DisplayRowOfBookmark(GetRangeAnchorBookmark());
}

void TgrCustomDBGrid::ClearRangeAnchorState() { anchorSide_ = prevAnchorSide_ = 0; }

bool TgrCustomDBGrid::IsAnchorRowSelected() {
    if (!dataBound_) return TgrBaseGrid::IsAnchorRowSelected();
    if (!dataActive_) return false;
    std::string anchor = GetRangeAnchorBookmark();
    return !anchor.empty() && IsBookmarkSelected(anchor);
}

void TgrCustomDBGrid::RangeSelectDone(Integer row) {
    if (!dataBound_) {
        TgrBaseGrid::RangeSelectDone(row);
        return;
    }
    if (dataActive_ && row != CurrentDisplayRow()) MoveCurrentToWindowRow(row, true);
}

bool TgrCustomDBGrid::IsBookmarkSelected(const std::string& bookmark) {
    if (!UsesRecordIds()) return selection_->IsSelected(bookmark);
    Variant id = DataRowOfBookmark(bookmark);
    return !id.IsEmpty() && !id.IsNull() && selection_->Ids().Contains(id);
}

void TgrCustomDBGrid::SetBookmarkRecordSelected(const std::string& bookmark, bool select) {
    if (!UsesRecordIds()) {
        selection_->SetBookmarkSelected(bookmark, select);
        return;
    }
    Variant id = DataRowOfBookmark(bookmark);
    if (id.IsEmpty() || id.IsNull()) return;
    if (select) {
        selection_->Ids().Add(id);
    } else {
        selection_->Ids().Remove(id);
        selection_->SetAllSelected(false);
    }
}

// ------------------------------------------------------------ public calls

bool TgrCustomDBGrid::CanLeaveRecord() {
    // Selecting other records walks the dataset: the record being edited
    // is posted first, and one that cannot be posted keeps the grid where
    // it is (the error shown, the edit kept).
    return CanLeaveCell(-1, -1, true) && PostEdit();
}

bool TgrCustomDBGrid::SelectPositionRange(const TgrBkmPos& start, const TgrBkmPos& end, bool select, bool byUser) {
    if (!dataBound_ || !dataActive_) return false;
    if ((NeedsRecord(start) && start.Bookmark.empty()) || (NeedsRecord(end) && end.Bookmark.empty())) return false;
    if (RowSelectMode() == rsNone || (!select && GridStatus() != gsRowsSelected)) return false;
    if (!CanLeaveRecord()) return false;
    bool spansAll = start.Kind == bpBeforeFirst && end.Kind == bpAfterLast;
    bool scanAll = select && spansAll, clearAll = !select && spansAll;
    bool setMode = selection_->Mode() == rseBookmarkSet;
    TgrBkmPos from = start, to = end;
    TgrSelectedList list;
    bool cancel = false, scanStarted = false, applied = false;
    // However the call ends, by an error too, a scan started is ended and
    // the grid takes its cursors back.
    struct EndScan {
        TgrCustomDBGrid* grid;
        bool& started;
        bool& applied;
        bool scanAll;
        TgrSelectedList& list;
        ~EndScan() {
            bool ignored = false;
            try {
                if (started) grid->DoScanRecords(scanAll, scsEnd, applied ? Integer(list.size()) : 0, ignored);
            } catch (...) {
            }
            grid->scanning_ = false;
        }
    } endScan{this, scanStarted, applied, scanAll, list};
    if (!clearAll) {
        int order = 0;
        if (!setMode) {
            TgrDatasetKeeper keep(this);
            order = ComparePositions(from, to);
        } else {
            DoScanRecords(scanAll, scsStart, 0, cancel);
            // A scan refused at its start has no end to report.
            if (cancel) return false;
            scanStarted = true;
            std::string a, b;
            {
                TgrDatasetKeeper keep(this);
                if (from.Kind != bpBeforeFirst) window_->ResolvePosition(from, a);
                if (to.Kind != bpAfterLast) window_->ResolvePosition(to, b);
            }
            // Ordered bookmarks tell at once when the second record lies
            // before the first; the forward scan would stop past it.
            if (bookmarkType_ == bmtDefault && !a.empty() && !b.empty() && CompareBookmarks(a, b) == 1) return false;
            Integer found = ScanBookmarksBetween(a, b, 1, scanAll, list, cancel);
            if (cancel) return false;
            // Not found forward: the second record lies before the first.
            order = found == -1 ? -1 : found == 0 && !list.empty() ? 0 : 1;
        }
        if (order == 1) return false;
        if (order != 0 && RowSelectMode() == rsSingle && GridMode() == gmListBox) return false;
        if (order == 0 && RowSelectMode() == rsSingle && select) {
            std::string only;
            {
                TgrDatasetKeeper keep(this);
                if (!window_->ResolvePosition(from, only)) return false;
            }
            if (selection_->IsSelected(only)) return false;
            from = to = MakeAtPosition(only);
            if (setMode) list.assign(1, only);
        }
    }
    // With a selection colour the change is shown once, when it is whole.
    std::optional<TgrSelectionPaintLock> lock(std::in_place, *this);
    HideCellControl(true);
    if (AnyRowSelected() && RowSelectMode() == rsSingle && select) {
        PaintSelectedRows(1, Rows(), false);
        selection_->Clear();
    }
    ClearSelectionsBesideRows();
    FireSelectChanged(byUser);
    if (clearAll) {
        PaintSelectedRows(1, Rows(), false);
        selection_->Clear();
        applied = true;
    } else if (!setMode) {
        TgrDatasetKeeper keep(this);
        selection_->SetRangeSelected(from, to, select);
        applied = true;
    } else {
        applied = select ? selection_->AddBookmarkList(list, false, scanAll, cancel)
                         : selection_->RemoveBookmarkList(list, scanAll, cancel);
        if (applied && scanAll) selection_->SetAllSelected(true);
    }
    selection_->Changed();
    Invalidate();
    lock.reset();
    RefreshCellControl();
    CheckCurrentCellChanged();
    SyncListBoxSelection(false);
    MarkSelectChanged(0);
    FireSelectChanged(byUser);
    CheckGridStatusChanged();
    return !cancel;
}

void TgrCustomDBGrid::SetDataRowSelected(const Variant& dataRow, bool select) {
    if (!dataBound_) {
        SetRowSelected(dataRow.AsInteger(), select);
        return;
    }
    if (!CheckDataRow(dataRow) || !dataActive_) return;
    if (UsesRecordIds()) {
        SelectRows(dataRow, dataRow, select);
        return;
    }
    std::string bookmark = dataRow.AsString();
    if (bookmark.empty() || RowSelectMode() == rsNone) return;
    if (select ? selection_->IsSelected(bookmark) : GridStatus() != gsRowsSelected) return;
    if (!CanLeaveRecord()) return;
    HideCellControl(true);
    if (RowSelectMode() == rsSingle && select && AnyRowSelected()) {
        PaintSelectedRows(1, Rows(), false);
        selection_->Clear();
    }
    ClearSelectionsBesideRows();
    FireSelectChanged(false);
    {
        TgrDatasetKeeper keep(this);
        selection_->SetBookmarkSelected(bookmark, select);
    }
    selection_->Changed();
    if (Integer row = DisplayRowOfBookmark(bookmark); row > 0) TgrBaseGrid::PaintRowsHighlighted(row, row);
    RefreshCellControl();
    CheckCurrentCellChanged();
    SyncListBoxSelection(false);
    MarkSelectChanged(0);
    FireSelectChanged(false);
    CheckGridStatusChanged();
}

bool TgrCustomDBGrid::IsDataRowSelected(const Variant& dataRow) {
    if (!dataBound_) return IsRowSelected(dataRow.AsInteger());
    if (!CheckDataRow(dataRow)) return false;
    return IsRecordSelected(dataRow);
}

void TgrCustomDBGrid::SelectOnlyRecord(const std::string& bookmark, bool invalidate) {
    if (RowTotal() <= 1 || bookmark.empty()) return;
    TgrSelectionPaintLock lock(*this, !invalidate);
    bool wasSelected = IsBookmarkSelected(bookmark);
    Integer row = DisplayRowOfBookmark(bookmark);
    if (!invalidate) {
        PaintSelectedRows(1, row - 1, false);
        PaintSelectedRows(row + 1, LastVisibleDataRow(), false);
    }
    // A record selected already is never shown unselected in between.
    selection_->Clear();
    if (wasSelected) SetBookmarkRecordSelected(bookmark, true);
    if (row > 0 && row != CurrentDisplayRow()) MoveToDisplayCell(CurrentDisplayCol(), row);
    if (!wasSelected) SetBookmarkRecordSelected(bookmark, true);
    selection_->Changed();
    Invalidate();
    CheckCurrentCellChanged();
}

// ------------------------------------------------------------ row-bar presses

void TgrCustomDBGrid::RowSelectMouseDown(TShiftState shift, Integer x, Integer row, Integer col, Integer y) {
    // A press that changes the selection first ends a pending edit; one
    // that cannot be left refuses the press.
    if (dataActive_ && RowSelectMode() != rsNone && (row != CurrentDisplayRow() || !IsDisplayRowSelected(row)) &&
        !CanLeaveRecord())
        return;
    if (dataBound_ && !dataActive_) return;
    TgrBaseGrid::RowSelectMouseDown(shift, x, row, col, y);
}

void TgrCustomDBGrid::ClickSelectRow(Integer row) {
    if (!dataBound_) {
        TgrBaseGrid::ClickSelectRow(row);
        return;
    }
    if (!dataActive_) return;
    std::string bookmark = BookmarkOfDisplayRow(row);
    if (bookmark.empty()) {
        // The insert row: it becomes current, nothing is selected.
        MoveToDisplayCell(CurrentDisplayCol(), row);
        return;
    }
    ClearSelectionsBesideRows();
    SelectOnlyRecord(bookmark, false);
    UpdateScrollPos();
    FinishRowBarSelection();
}

void TgrCustomDBGrid::SelectOnlyRow(Integer row, bool invalidate) {
    if (!dataBound_) {
        TgrBaseGrid::SelectOnlyRow(row, invalidate);
        return;
    }
    if (!dataActive_) return;
    SelectOnlyRecord(BookmarkOfDisplayRow(row), invalidate);
    UpdateScrollPos();
    FinishRowBarSelection();
}

Integer TgrCustomDBGrid::CollectRangeBookmarks(Integer anchorRow, Integer row, TgrSelectedList& list, bool& cancel) {
    list.clear();
    if (anchorRow != 0) {
        Integer count = 0, reported = 0;
        for (Integer r = std::min(anchorRow, row); r <= std::max(anchorRow, row); ++r) {
            ScanStep(false, scsRecord, count, reported, cancel);
            if (cancel) {
                list.clear();
                return 0;
            }
            list.push_back(BookmarkOfDisplayRow(r));
        }
        return SignOf(row - anchorRow);
    }
    TgrDatasetKeeper keep(this);
    std::string from = row >= 1 && row <= Rows() ? BookmarkOfDisplayRow(row) : std::string();
    return ScanBookmarksBetween(from, GetRangeAnchorBookmark(), 0, false, list, cancel);
}

// Shift and Ctrl+Shift: the span from the anchor record to the row's
// record is collected (a scan in set mode, and with record ids, when the
// anchor is not shown) and applied. A Shift range makes the row current
// through RangeSelectDone, anything else at once. A cancelled scan changes
// nothing and cancels the mouse action.
void TgrCustomDBGrid::ApplyRowSpan(Integer row, bool add, bool& handled) {
    handled = false;
    if (IsInsertRowPos(row)) return;
    TgrSelectionPaintLock lock(*this);
    // The anchor stays where it is while Shift ranges change around it.
    std::string anchor = GetRangeAnchorBookmark(), target = BookmarkOfDisplayRow(row);
    if (rangeAnchor_.empty()) rangeAnchor_ = anchor;
    Integer anchorRow = GetRangeAnchorRow();
    bool anchorSelected = IsAnchorRowSelected();
    // Walks to records off screen may have moved the window.
    auto targetRow = [&] {
        Integer shown = DisplayRowOfBookmark(target);
        return shown > 0 ? shown : row;
    };
    row = targetRow();
    bool ids = UsesRecordIds();
    bool setMode = selection_->Mode() == rseBookmarkSet && !ids;
    bool spans = anchorSelected || add;
    bool idScan = spans && ids && anchorRow == 0;
    TgrSelectedList list;
    bool cancel = false, started = false;
    Integer side = 0;
    if (spans && setMode) {
        started = true;
        DoScanRecords(false, scsStart, 0, cancel);
        if (!cancel) side = CollectRangeBookmarks(anchorRow, row, list, cancel);
    } else if (spans) {
        TgrDatasetKeeper keep(this);
        side = CompareBookmarks(BookmarkOfDisplayRow(row), anchor);
    }
    bool applied = false;
    if (!cancel && (!spans || !setMode || !list.empty())) {
        ClearSelectionsBesideRows();
        if (!add && !anchorSelected) {
            // Shift with the anchor not selected: nothing stays selected.
            PaintSelectedRows(1, Rows(), false);
            selection_->Clear();
        } else if (idScan) {
            cancel = !ApplyRowSpanByIds(row, add, anchorSelected);
        } else if (!setMode) {
            if (!add) {
                PaintSelectedRows(1, Rows(), false);
                selection_->Clear();
            }
            if (anchorSelected) SelectDisplayRows(anchorRow, row);
            else DeselectDisplayRows(anchorRow, row);
        } else if (anchorSelected) {
            selection_->AddBookmarkList(list, !add, false, cancel);
        } else {
            selection_->RemoveBookmarkList(list, false, cancel);
        }
        applied = !cancel;
        if (applied) {
            row = targetRow();
            if (!add && anchorSelected) RangeSelectDone(row);
            else MoveToDisplayCell(CurrentDisplayCol(), row);
            if (spans) anchorSide_ = SignOf(side);
            if (add) SetRangeAnchorRow(row);
        }
    }
    if (started) {
        bool ignored = false;
        DoScanRecords(false, scsEnd, applied ? Integer(list.size()) : 0, ignored);
    }
    if (cancel) {
        handled = true;
        CancelMouseAction();
    }
    selection_->Changed();
    Invalidate();
    CheckCurrentCellChanged();
    FinishRowBarSelection();
}

bool TgrCustomDBGrid::ApplyRowSpanByIds(Integer row, bool add, bool select) {
    // The scan applies its ids all or nothing; the ids dropped first come
    // back when it does not apply.
    TgrRecordIdSet& set = selection_->Ids();
    TgrRecordIdSet before(&recordOrder_);
    before = set;
    bool allBefore = selection_->IsAllSelected();
    if (!add) {
        PaintSelectedRows(1, Rows(), false);
        selection_->Clear();
    }
    bool applied = false;
    try {
        applied = SelectScannedRecords(GetRangeAnchorBookmark(), BookmarkOfDisplayRow(row), select);
    } catch (...) {
        set = before;
        selection_->SetAllSelected(allBefore);
        throw;
    }
    if (!applied) {
        set = before;
        selection_->SetAllSelected(allBefore);
    }
    return applied;
}

void TgrCustomDBGrid::ExtendRowSelection(Integer row, bool& handled) {
    if (!dataBound_) {
        TgrBaseGrid::ExtendRowSelection(row, handled);
        return;
    }
    handled = false;
    if (dataActive_) ApplyRowSpan(row, false, handled);
}

void TgrCustomDBGrid::ExtendRowSelectionAdd(Integer row, bool& handled) {
    if (!dataBound_) {
        TgrBaseGrid::ExtendRowSelectionAdd(row, handled);
        return;
    }
    handled = false;
    if (dataActive_) ApplyRowSpan(row, true, handled);
}

void TgrCustomDBGrid::ToggleDisplayRows(Integer from, Integer to) {
    if (!dataBound_) {
        TgrBaseGrid::ToggleDisplayRows(from, to);
        return;
    }
    if (!dataActive_) return;
    if (selection_->Mode() == rseBookmarkRange && !UsesRecordIds()) {
        std::string first, second;
        GetDisplayRowBookmarks(from, to, first, second);
        TgrDatasetKeeper keep(this);
        if (selection_->HasSelection()) selection_->ToggleBookmarks(first, second);
        else selection_->SetBookmarksSelected(first, second, true);
    } else if (!UsesRecordIds()) {
        selection_->ToggleDataRows(DataRowOfDisplay(std::min(from, to)), DataRowOfDisplay(std::max(from, to)));
    } else {
        TgrBaseGrid::ToggleDisplayRows(from, to);
        return;
    }
    selection_->Changed();
    Invalidate();
}

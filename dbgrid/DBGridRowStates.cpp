// The row states of the record window: painting asks every attribute and
// the selection of each window row one after another, so each row keeps
// what was looked up for its record (the selection state, the row property
// record) until the rows, the selection or the row properties change. The
// cache is bounded by the window's rows: it is sized with the window and
// cleared whenever the rows are read anew or move.

#include <algorithm>

#include "dbgrid/DBGrid.h"
#include "dbgrid/DBGridSelection.h"
#include "platform/data/DataSet.h"

// ------------------------------------------------------------ the window

void TgrGridData::SetRowStateCacheSize(Integer count) {
    rowStates_.assign(std::size_t(std::max<Integer>(count, 0)), TgrRowState());
    rowStatesClear_ = true;
}

void TgrGridData::ClearRowStateCache(Integer from, Integer to) {
    Integer size = RowStateCacheSize();
    from = std::max<Integer>(from, 1);
    if (to == 0 || to > size) to = size;
    bool all = from == 1 && to == size;
    if (all && rowStatesClear_) return;
    for (Integer row = from; row <= to; ++row) rowStates_[std::size_t(row - 1)] = TgrRowState();
    if (all) rowStatesClear_ = true;
}

TgrGridData::TgrRowState* TgrGridData::RowState(Integer row) {
    if (row < 1 || row > RowStateCacheSize()) return nullptr;
    // With the dataset's controls disabled the rows may show anything:
    // nothing is kept for them then.
    if (dataSet_ && dataSet_->ControlsDisabled()) return nullptr;
    return &rowStates_[std::size_t(row - 1)];
}

// ------------------------------------------------------------ the grid

TgrDBRowElement* TgrCustomDBGrid::WindowRowElement(Integer row) {
    if (!dataActive_ || row < 1 || row > window_->GetRowCount() || rowProps_.Count() == 0) return nullptr;
    TgrGridData::TgrRowState* state = window_->RowState(row);
    if (!state) return rowProps_.FindRow(window_->GetRowDataRow(row));
    if (!state->ElementKnown) {
        state->Element = rowProps_.FindRow(window_->GetRowDataRow(row));
        state->ElementKnown = true;
        window_->RowStateFilled();
    }
    return state->Element;
}

bool TgrCustomDBGrid::HasWindowRowElement(Integer row) { return WindowRowElement(row) != nullptr; }

bool TgrCustomDBGrid::HasWindowRowSelection(Integer row) {
    TgrGridData::TgrRowState* state = window_->RowState(row);
    if (!state) return false;
    if (!state->SelectedKnown) {
        state->Selected = IsRecordSelected(DataRowOfRow(row));
        state->SelectedKnown = true;
        window_->RowStateFilled();
    }
    return true;
}

bool TgrCustomDBGrid::IsRowSelected(Integer dataRow) {
    if (!dataBound_ || dataRow < 1) return TgrBaseGrid::IsRowSelected(dataRow);
    if (!dataActive_ || dataRow > window_->GetRowCount()) return false;
    if (HasWindowRowSelection(dataRow)) return window_->RowState(dataRow)->Selected;
    // A row the window keeps no state for is asked directly.
    return IsRecordSelected(DataRowOfRow(dataRow));
}

// ------------------------------------------------------------ record scans

void TgrCustomDBGrid::EndRecordScan(bool ScanAll, bool started, const TgrSelectedList* list, bool cancel) {
    if (!started) return;
    bool ignored = false;
    DoScanRecords(ScanAll, scsEnd, cancel || !list ? 0 : Integer(list->size()), ignored);
}

void TgrCustomDBGrid::CollectWindowBookmarks(Integer from, Integer to, bool ScanAll, Integer& count,
                                             Integer& reported, bool& cancel, TgrSelectedList& list) {
    if (to < from) std::swap(from, to);
    for (Integer row = from; row <= to; ++row) {
        ScanStep(ScanAll, scsRecord, count, reported, cancel);
        if (cancel) return;
        list.AddString(BookmarkOfDisplayRow(row));
    }
}

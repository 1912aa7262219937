// The grid's current record in data mode: a record adopted as current
// (its row made current, the dataset brought onto it unless the caller is
// already moving it), the dataset brought back onto the grid's record when
// they parted, and a record made current from outside the grid.
#include <algorithm>
#include <optional>

#include "dbgrid/DBGrid.h"
#include "dbgrid/DBGridGuard.h"
#include "platform/data/DataSet.h"

void TgrCustomDBGrid::SetCurrentRecord(Integer displayCol, const std::string& bookmark, bool noCounter) {
    if (!dataActive_) return;
    {
        std::optional<TCounterGuard> changing;
        if (!noCounter) changing.emplace(recordChangeDepth_);
        displayCol = std::clamp<Integer>(displayCol, 1, std::max<Integer>(ColTotal() - 1, 1));
        Integer row = window_->GetBookmarkRow(bookmark);
        if (row >= 1 && row < RowTotal() && displayCol < ColTotal()) {
            // The grid class's move must not move the dataset again.
            TCounterGuard quiet(syncDepth_);
            Integer displayRow = DisplayRowOfData(row);
            if (!(TCustomGrid_ts::CurrentCell() == TCellCoord_ts{displayCol, displayRow}))
                MoveCurrentCell(displayCol, displayRow, false, true);
            ChangeCurrentCell(displayCol, displayRow);
        }
        SetCurrentBookmark(bookmark);
    }
    if (RowBarOn()) InvalidateCol(0);
    CheckCurrentCellChanged();
    NotifyRowChanged();
    NotifyCellChanged();
}

void TgrCustomDBGrid::SetCurrentRecordGuarded(Integer displayCol, const std::string& bookmark, bool noCounter,
                                              bool noLock) {
    if (recordUpdateDepth_ > 0) return;
    TCounterGuard updating(recordUpdateDepth_);
    if (noLock) {
        SetCurrentRecord(displayCol, bookmark, noCounter);
        return;
    }
    LockUpdate();
    try {
        SetCurrentRecord(displayCol, bookmark, noCounter);
    } catch (...) {
        UnlockUpdate();
        throw;
    }
    UnlockUpdate();
}

void TgrCustomDBGrid::SetCurrentBookmark(const std::string& bookmark) {
    if (bookmark == currentRecord_) return;
    // Another record: the edit value and the shown editor were the old
    // record's.
    if (CompareBookmarks(bookmark, currentRecord_) != 0) {
        ClearEditState();
        ResetEditorShown();
    }
    currentRecord_ = bookmark;
    // A Shift range extends from the new record unless rows are being
    // selected.
    if (!AnyRowSelected() && MouseStatus() != msRowSelect) {
        ClearRangeAnchor();
    }
    if (recordChangeDepth_ == 0) ReturnToCurrentRecord();
}

void TgrCustomDBGrid::ReturnToCurrentRecord() {
    TDataSet* ds = DataSet();
    if (!dataLink_->Active() || !ds || !dataActive_ || recordReturnDepth_ > 0) return;
    TCounterGuard returning(recordReturnDepth_);
    auto adoptDataSetRecord = [&] {
        SetCurrentRecord(CurrentDisplayCol(), window_->GetCurrentBookmark(), false);
    };
    // A record that went meanwhile gives way to the record now at its row,
    // or to the last row's; after four failures the dataset's own record
    // is taken, so the walk always ends.
    for (int attempt = 1; attempt <= 5; ++attempt) {
        if (window_->GetCurrentBookmark() == currentRecord_) return;
        if (attempt == 5 || currentRecord_.empty()) {
            adoptDataSetRecord();
            return;
        }
        if (window_->GotoBookmark(currentRecord_)) continue;
        ClearWindowCaches();
        UpdateRowCount();
        Integer rows = window_->GetRowCount(), row = CurrentDataRow();
        if (rows == 0 || attempt == 4) {
            adoptDataSetRecord();
            return;
        }
        if (row >= 1 && row <= rows) currentRecord_ = window_->GetRowBookmark(row);
        else currentRecord_ = window_->GetRowBookmark(rows);
    }
}

bool TgrCustomDBGrid::SetCurrentDataRow(const Variant& dataRow) {
    if (!dataBound_) {
        Integer row = dataRow.AsInteger();
        return row >= 1 && row <= Rows() && MoveToDisplayCell(CurrentDisplayCol(), DisplayRowOfData(row));
    }
    std::string bookmark;
    if (!dataActive_ || !BookmarkOfDataRow(dataRow, bookmark)) return false;
    if (bookmark == currentRecord_) return true;
    // Leaving the record posts it; a refused post keeps it current.
    if (!PostEdit()) return false;
    HideCellControl(true);
    if (IsListBoxSelect() && !selection_->Empty()) {
        selection_->Clear();
        Invalidate();
    }
    if (UsesStandardWindow()) {
        Integer row = window_->GetBookmarkRow(bookmark), current = window_->GetCurrentRecordRow();
        if (row >= 1 && row <= LastVisibleDataRow() && current >= 1) DataSet()->MoveBy(int(row - current));
        else window_->GotoBookmark(bookmark);
    } else {
        SetCurrentRecordGuarded(CurrentDisplayCol(), bookmark, true, true);
    }
    RefreshCellControl();
    SyncListBoxSelection(false);
    FireSelectChanged(false);
    return window_->GetCurrentBookmark() == bookmark;
}

// Record ids of the data-aware grid: with UseRecordIds and an
// OnGetRecordID handler a record is named by the id the application gives
// it (a student's number, say) instead of its bookmark, so what the grid
// keeps by record stays with it through sorting and through being deleted
// and entered again. The record window caches the id of each row it shows.

#include "dbgrid/DBGrid.h"
#include "dbgrid/DBGridSelection.h"

#include "grid/GRGLib.h"
#include "platform/data/DataSet.h"

// ------------------------------------------------------------ key order

int CompareDataRowKeys(const Variant& a, const Variant& b) {
    if (a.IsString() && b.IsString()) {
        int c = a.AsString().compare(b.AsString());
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    // Kinds that the variant order cannot tell apart stay apart by kind,
    // so a store never takes two different keys for one.
    if (a.IsString() != b.IsString()) return a.IsString() ? 1 : -1;
    return CompareVariants(a, b);
}

TgrRecordIdSet& TgrRecordIdSet::operator=(const TgrRecordIdSet& other) {
    if (this == &other) return *this;
    ids_.clear();
    for (const Variant& id : other.ids_) ids_.insert(id);
    return *this;
}

bool TgrRecordIdSet::SameIds(const TgrRecordIdSet& other) const {
    if (ids_.size() != other.ids_.size()) return false;
    for (const Variant& id : other.ids_)
        if (!Contains(id)) return false;
    return true;
}

// ------------------------------------------------------------ record window

Variant TgrGridData::GetRowDataRow(Integer row) {
    std::string bookmark = GetRowBookmark(row);
    if (!grid_->UsesRecordIds()) return Variant(bookmark);
    // A record not posted yet has no id: it is the Null record.
    return bookmark.empty() ? NullDataRow() : GetRowRecordId(row);
}

Variant TgrGridData::GetRowRecordId(Integer row) {
    if (!grid_->UsesRecordIds() || !IsActive() || row < 1 || row > GetRowCount()) return Variant();
    std::string bookmark = GetRowBookmark(row);
    Integer active = GetActiveRow();
    SetActiveRow(row);
    Variant id;
    try {
        grid_->DoGetRecordID(Variant(bookmark), id);
    } catch (...) {
        SetActiveRow(active);
        throw;
    }
    SetActiveRow(active);
    return id;
}

Integer TgrGridData::FindRecordIdRow(const Variant& id) {
    if (!IsActive() || !grid_->UsesRecordIds()) return 0;
    Integer count = GetRowCount();
    for (Integer row = 1; row <= count; ++row)
        if (grid_->CompareRecordIds(GetRowRecordId(row), id) == 0) return row;
    return 0;
}

Variant TgrStandardDataset::GetRowRecordId(Integer row) {
    if (!grid_->UsesRecordIds() || !IsActive() || row < 1 || row > GetRowCount()) return Variant();
    std::size_t i = std::size_t(row - 1);
    // With the controls disabled the buffer may be anywhere: ask afresh.
    bool cache = !dataSet_->ControlsDisabled() && i < recordIds_.size();
    if (cache && !recordIds_[i].IsEmpty()) return recordIds_[i];
    Variant id = TgrGridData::GetRowRecordId(row);
    if (cache) recordIds_[i] = id;
    return id;
}

// ------------------------------------------------------------ the grid

void TgrCustomDBGrid::SetUseRecordIds(bool value) {
    bool was = UsesRecordIds();
    useRecordIds_ = value;
    if (was != UsesRecordIds()) RecordIdentityChanged();
}

void TgrCustomDBGrid::SetOnGetRecordID(TgrDBGetRecordIDEvent handler) {
    bool was = UsesRecordIds();
    onGetRecordID_ = std::move(handler);
    if (was != UsesRecordIds()) RecordIdentityChanged();
}

void TgrCustomDBGrid::DoGetRecordID(const Variant& dataRow, Variant& recordId) {
    recordId = Variant();
    if (UsesRecordIds()) onGetRecordID_(this, dataRow, recordId);
}

void TgrCustomDBGrid::DoCompareRecordID(const Variant& recordId1, const Variant& recordId2, Integer& compRes) {
    if (OnCompareRecordID) OnCompareRecordID(this, recordId1, recordId2, compRes);
}

int TgrCustomDBGrid::CompareRecordIds(const Variant& id1, const Variant& id2) {
    Integer result = -2;
    try {
        DoCompareRecordID(id1, id2, result);
    } catch (const EInvalidGridOperation&) {
        throw;
    } catch (const std::exception& e) {
        RaiseGridError(e.what());
    }
    if (result == -2) return CompareDataRowKeys(id1, id2);
    return result < 0 ? -1 : result > 0 ? 1 : 0;
}

int TgrCustomDBGrid::CompareRecordIdentities(const Variant& dataRow1, const Variant& dataRow2) {
    if (!dataBound_ || !dataActive_) return -2;
    if (UsesRecordIds()) return CompareRecordIds(dataRow1, dataRow2);
    if (!dataRow1.IsString() || !dataRow2.IsString()) return -2;
    int result = -2;
    try {
        result = CompareBookmarks(dataRow1.AsString(), dataRow2.AsString());
    } catch (const EInvalidGridOperation&) {
        throw;
    } catch (const std::exception& e) {
        RaiseGridError(e.what());
    }
    return result;
}

void TgrCustomDBGrid::RecordIdentityChanged() {
    // What was kept under the old names cannot be found under the new ones.
    if (rowProps_.Count() > 0) rowProps_.Clear();
    if (cellProps_.Count() > 0) cellProps_.Clear();
    selection_->Clear();
    window_->ClearCaches();
    notifiedDataRow_ = DataRowOfBookmark(notifiedRecord_);
    cellDataRowSeen_ = DataRowOfBookmark(cellRecordSeen_);
    lastLoadedRecord_ = Variant();
    rowLoadedPending_ = true;
    Invalidate();
    ResetCellControl(false);
}

bool TgrCustomDBGrid::CheckDataRow(const Variant& dataRow) {
    if (!UsesRecordIds() && !dataRow.IsString()) RaiseGridError("Invalid bookmark value");
    return true;
}

Variant TgrCustomDBGrid::FetchRecordId(const std::string& bookmark) {
    Variant id;
    DoGetRecordID(Variant(bookmark), id);
    return id;
}

Variant TgrCustomDBGrid::DataRowOfBookmark(const std::string& bookmark) {
    if (!UsesRecordIds()) return Variant(bookmark);
    if (bookmark.empty()) return NullDataRow();
    if (!dataActive_) return Variant();
    Integer row = window_->GetBookmarkRow(bookmark);
    if (row >= 1) return window_->GetRowRecordId(row);
    TDataSet* ds = DataSet();
    // A walk through the dataset stands on the record already.
    if (!ds->IsEmpty() && ds->GetBookmark() == bookmark) return FetchRecordId(bookmark);
    if (!ds->BookmarkValid(bookmark)) return Variant();
    Variant id;
    // The walk there and back leaves the window on the records it shows.
    TgrDatasetKeeper keep(this);
    KeepDataSetRecord([&](TDataSet*) {
        ds->GotoBookmark(bookmark);
        id = FetchRecordId(bookmark);
    });
    return id;
}

Variant TgrCustomDBGrid::DataRowOfDataSetRecord() {
    TDataSet* ds = DataSet();
    std::string bookmark = ds && ds->Active() && !ds->IsEmpty() ? ds->GetBookmark() : std::string();
    if (!UsesRecordIds()) return Variant(bookmark);
    return bookmark.empty() ? NullDataRow() : FetchRecordId(bookmark);
}

bool TgrCustomDBGrid::BookmarkOfDataRow(const Variant& dataRow, std::string& bookmark) {
    bookmark.clear();
    if (!dataActive_) return false;
    if (!UsesRecordIds()) {
        if (!dataRow.IsString()) return false;
        bookmark = dataRow.AsString();
        return true;
    }
    if (dataRow.IsEmpty() || dataRow.IsNull()) return false;
    if (Integer row = window_->FindRecordIdRow(dataRow); row >= 1) {
        bookmark = window_->GetRowBookmark(row);
        return true;
    }
    // Not shown: the records are asked for their ids one by one.
    bool found = false;
    ForEachRecord([&](const Variant& id) {
        if (found || CompareRecordIds(id, dataRow) != 0) return;
        bookmark = DataSet()->GetBookmark();
        found = true;
    });
    return found;
}

// The data source, the dataset type and the published properties whose
// behaviour depends on data mode. Binding applies the data-mode
// restrictions, drops what the grid kept for the old source's records and
// its plain rows and cells, shows the first column, and reports the new
// field layout once; unbinding gives the plain grid's default columns and
// rows back.
#include "dbgrid/DBGrid.h"

#include "dbgrid/DBGridCols.h"
#include "dbgrid/DBGridCursor.h"
#include "platform/data/DataSet.h"

void TgrCustomDBGrid::SetDataSource(TDataSource* source) {
    // A data source freed under the grid leaves it bound to nothing until
    // it is unbound here.
    if (source == dataLink_->DataSource() && dataBound_ == (source != nullptr)) return;
    if (sourceSeen_ != source) {
        if (sourceSeen_) RemoveFreeNotification(sourceSeen_);
        sourceSeen_ = source;
        if (source) source->FreeNotification(this);
    }
    // The link's activation reports the layout itself; otherwise it is
    // reported once at the end.
    bool activeBefore = linkActiveSeen_;
    TDataSource* previous = dataLink_->DataSource();
    LockUpdate();
    try {
        HideCellControl(true);
        // No column, row or cell range selected on the old rows stays.
        ClearSelection(0, false);
        if (source && !dataBound_) ApplyDataModeRestrictions();
        // Properties and selection kept by record named the old source's
        // records; none of them is carried to another source's.
        if (source != dataLink_->DataSource()) {
            rowProps_.Clear();
            cellProps_.Clear();
            selection_->Clear();
        }
        dataBound_ = source != nullptr;
        CheckRowChangedIndicator();
        try {
            dataLink_->SetDataSource(source);
        } catch (...) {
            // A source the link refused leaves the grid bound to what it
            // holds, nothing in the worst case.
            if (dataLink_->DataSource() != source) dataBound_ = dataLink_->DataSource() != nullptr;
            throw;
        }
        SetStoreData(false);
        // A dataset without an engine cursor takes the standard window,
        // which has no insert row.
        if (!IsDatasetTypeAllowed(datasetType_, DataSet())) SetDatasetType(dstStandard);
        CheckGridModeForDataset();
        if (!dataLink_->Active() && linkActiveSeen_) DataLinkActiveChanged(false);
        if (!dataBound_) {
            ClearFieldAdapters();
            rowProps_.Clear();
            cellProps_.Clear();
            selection_->Clear();
            RebuildUnbound();
        } else {
            if (!dataLink_->Active()) {
                // A closed dataset with fields of its own still binds the
                // columns.
                RebuildColumns(true, true, true);
                UpdateRowCount();
            }
            // The plain grid's rows and cells mean nothing over records;
            // the rows' shared height stays the grid's.
            TgrPropIdSet ids = TgrPropIdSet::All();
            ids.Exclude(gpHeight);
            TgrBaseGrid::ResetRowProperties(ids);
            TgrBaseGrid::ResetCellProperties(ids);
        }
        if (TopLeftCell().Col > 1) SetLeftCol(1);
        SyncListBoxSelection(false);
        FireSelectChanged(false);
        CheckGridStatusChanged();
    } catch (...) {
        UnlockUpdate();
        throw;
    }
    UnlockUpdate();
    Invalidate();
    // The grid's own lookup source goes when the grid leaves it; another
    // source bound in its place ends the automatic lookup.
    if (previous && previous == autoLookupSource_ && source != previous) {
        FreeAutoLookupSource();
        if (source) SetAutoLookup(false);
    }
    if (linkActiveSeen_ == activeBefore) DoFieldLayoutChange();
}

void TgrCustomDBGrid::SetAutoLookupDataSet(TDataSet* dataSet) {
    if (autoLookupSource_ && autoLookupSource_->DataSet() == dataSet && DataSource() == autoLookupSource_) return;
    TDataSource* source = autoLookupSource_;
    if (!source) {
        source = new TDataSource(this);
        source->SetName("AutoLookup");
    }
    source->SetDataSet(dataSet);
    SetAutoLookupSource(source);
}

TDataSet* TgrCustomDBGrid::GetAutoLookupDataSet() const {
    return autoLookupSource_ ? autoLookupSource_->DataSet() : nullptr;
}

void TgrCustomDBGrid::SetAutoLookupSource(TDataSource* source) {
    if (source != autoLookupSource_) {
        // A source the grid made before goes.
        TDataSource* old = autoLookupSource_;
        autoLookupSource_ = source;
        SetDataSource(source);
        if (old && old != DataSource()) delete old;
    } else if (DataSource() != source) {
        SetDataSource(source);
    }
}

void TgrCustomDBGrid::FreeAutoLookupSource() {
    TDataSource* source = autoLookupSource_;
    autoLookupSource_ = nullptr;
    delete source;
}

void TgrCustomDBGrid::RebuildUnbound() {
    HideCellControl(true);
    if (fieldState_ == fsDefault) SetCols(GetDefaultCols());
    SetRows(GetDefaultRows());
    UnbindAllColumns(true);
    if (ColTotal() > 1 && RowTotal() > 1) {
        MoveCurrentCell(1, 1, false, true);
        ChangeCurrentCell(1, 1);
    }
    RefreshCellControl();
    Invalidate();
}

Integer TgrCustomDBGrid::GetRows() {
    if (!dataBound_) return Rows();
    if (IsDesigning()) return -1;
    if (ComponentState().Contains(csWriting) || !dataActive_) return Rows();
    return window_->GetRecordCount();
}

bool TgrCustomDBGrid::ExecuteAction(TBasicAction* action) { return dataLink_ && dataLink_->ExecuteAction(action); }

bool TgrCustomDBGrid::UpdateAction(TBasicAction* action) { return dataLink_ && dataLink_->UpdateAction(action); }

void TgrCustomDBGrid::SetDatasetType(TgrDatasetType value) {
    if (value == datasetType_) return;
    // The engine-cursor window needs a dataset with an engine cursor.
    if (!IsDatasetTypeAllowed(value, DataSet())) return;
    bool active = dataActive_;
    if (active) window_->ActiveChanged(false);
    datasetType_ = value;
    window_ = value == dstStandard ? static_cast<TgrGridData*>(standardWindow_.get()) : bdeWindow_.get();
    if (active) {
        window_->ActiveChanged(true);
        if (value == dstStandard) window_->SetWindowSize(GetVisibleRecordCount());
        dataActive_ = window_->IsActive();
        UpdateRowCount();
        SyncCurrentRecord();
        Invalidate();
    }
    CheckGridModeForDataset();
    // The engine-cursor window orders its bookmarks.
    if (value == dstBDE && bookmarkType_ == bmtNonOrdered) SetBookmarkType(bmtDefault);
}

void TgrCustomDBGrid::SetFieldState(TgrFieldState value) {
    if (value == fieldState_) return;
    fieldState_ = value;
    if (value == fsDefault && dataBound_) {
        RebuildColumns(true, false, false);
        DoFieldLayoutChange();
    }
}

void TgrCustomDBGrid::SetBookmarkType(TgrBookmarkType value) {
    if (value == bookmarkType_) return;
    bookmarkType_ = value;
    // Ranges need bookmarks the dataset can order.
    UpdateSelectionMode();
    // The engine-cursor window needs ordered bookmarks: the grid goes over
    // to the standard window (its records read anew), not only its flag.
    if (value == bmtNonOrdered) SetDatasetType(dstStandard);
    SyncListBoxSelection(true);
    FireSelectChanged(false);
    CheckGridStatusChanged();
}

void TgrCustomDBGrid::SetRecordSelection(TgrRecordSelection value) {
    if (value == GetRecordSelection()) return;
    recordSelection_ = value;
    UpdateSelectionMode();
    SyncListBoxSelection(true);
    FireSelectChanged(false);
    CheckGridStatusChanged();
}

TgrRecordSelection TgrCustomDBGrid::GetRecordSelection() const { return selection_->Mode(); }

void TgrCustomDBGrid::UpdateSelectionMode() {
    selection_->SetRangeMode(recordSelection_ == rseBookmarkRange && bookmarkType_ == bmtDefault);
}


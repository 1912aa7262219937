// Record editing and inserting: the grid's factories, the firers of the
// record events, the reactions to the dataset beginning and ending an
// edit, an insert or an append (the engine-cursor window shows a new record
// as a placeholder row), the record edit started by the grid's edit life
// cycle with its events, and the checks of DataRows and dataset types.
#include <algorithm>

#include "dbgrid/DBGrid.h"
#include "dbgrid/DBGridCurrentCell.h"
#include "dbgrid/DBGridCursor.h"
#include "dbgrid/DBGridGuard.h"
#include "platform/data/DataSet.h"

namespace {

// Raises a flag for a scope, lowered also when the scope ends by an error.
class TFlagScope {
public:
    explicit TFlagScope(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
    ~TFlagScope() { flag_ = was_; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

private:
    bool& flag_;
    bool was_;
};

// Holds the grid's update lock for a scope.
class TUpdateLockScope {
public:
    explicit TUpdateLockScope(TgrBaseGrid* grid) : grid_(grid) { grid_->LockUpdate(); }
    ~TUpdateLockScope() { grid_->UnlockUpdate(); }
    TUpdateLockScope(const TUpdateLockScope&) = delete;
    TUpdateLockScope& operator=(const TUpdateLockScope&) = delete;

private:
    TgrBaseGrid* grid_;
};

}  // namespace

// ------------------------------------------------------------ factories

std::unique_ptr<TgrCurrentCell> TgrCustomDBGrid::CreateCurrentCell() {
    return std::make_unique<TgrDBCurrentCell>(this);
}

std::unique_ptr<TgrStandardDataset> TgrCustomDBGrid::CreateStandardDataset() {
    return std::make_unique<TgrStandardDataset>(this);
}

TgrDBRowElement* TgrCustomDBGrid::CreateRowElement(const Variant& dataRow) {
    return new TgrDBRowElement(this, dataRow);
}

// ------------------------------------------------------------ event firers
// Each passes its own copy of a DataRow: a handler that changes it does not
// change the grid's record.

void TgrCustomDBGrid::DoUpdateField(Integer dataCol, const Variant& dataRow, Variant& value, bool& cancel) {
    cancel = false;
    if (OnUpdateField) OnUpdateField(this, dataCol, Variant(dataRow), value, cancel);
}

void TgrCustomDBGrid::DoGetDrawInfo(Integer dataCol, const Variant& dataRow, TgrDrawInfo& drawInfo) {
    if (OnGetDrawInfo) OnGetDrawInfo(this, dataCol, Variant(dataRow), drawInfo);
}

void TgrCustomDBGrid::DoRecordTopLeftChanged(Integer oldCol, const Variant& oldRow, Integer newCol,
                                             const Variant& newRow, bool byUser) {
    if (OnTopLeftChanged && CanFireEvents())
        OnTopLeftChanged(this, oldCol, Variant(oldRow), newCol, Variant(newRow), byUser);
}

void TgrCustomDBGrid::DoDeleteRow(const Variant& dataRow, bool byUser) {
    if (OnDeleteRow && CanFireEvents()) OnDeleteRow(this, Variant(dataRow), byUser);
}

void TgrCustomDBGrid::DoInsertRow(const Variant& dataRow, bool byUser) {
    if (OnInsertRow && CanFireEvents()) OnInsertRow(this, Variant(dataRow), byUser);
}

// The heading (row 0) and an unbound grid name rows by number; a record
// row names its record, whose fields the handler reads meanwhile.
void TgrCustomDBGrid::FireGetDrawInfo(Integer dataCol, Integer dataRow, TgrDrawInfo& info) {
    if (dataRow == 0 || !dataBound_) {
        DoGetDrawInfo(dataCol, Variant(dataRow), info);
        return;
    }
    if (!dataActive_) return;
    Integer active = GetActiveWindowRow();
    SetActiveWindowRow(dataRow);
    try {
        DoGetDrawInfo(dataCol, window_->GetRowDataRow(dataRow), info);
    } catch (...) {
        SetActiveWindowRow(active);
        throw;
    }
    SetActiveWindowRow(active);
}

// ------------------------------------------------------------ checks

bool TgrCustomDBGrid::CheckBookmarkValue(const Variant& dataRow) {
    if (!dataRow.IsString()) RaiseGridError("Invalid bookmark value");
    return true;
}

bool TgrCustomDBGrid::IsDatasetTypeAllowed(TgrDatasetType type, TDataSet* dataSet) {
    return !dataSet || type != dstBDE || dynamic_cast<TgrCursorDataSet*>(dataSet);
}

void TgrCustomDBGrid::CheckGridModeForDataset() {
    // The standard window has no insert row below its records.
    if (UsesStandardWindow() && dataBound_ && GridMode() == gmEditInsert) SetGridMode(gmEdit);
}

void TgrCustomDBGrid::CheckRowChangedIndicator() {
    if (dataBound_ && RowChangedIndicator() == riOn) SetRowChangedIndicator(riAutoReset);
}

bool TgrCustomDBGrid::IsSameEditRecord(Integer row, Integer currentRow, bool byRow,
                                       const std::string& currentBookmark, const std::string& bookmark) {
    if (byRow) return row == currentRow;
    return CompareBookmarks(currentBookmark, bookmark) == 0;
}

bool TgrCustomDBGrid::NeedsRefetch() {
    return !UsesStandardWindow() && bdeWindow_->UpdateRecordTypesChanged();
}

bool TgrCustomDBGrid::NeedsFullRefresh() {
    if (UsesStandardWindow()) return false;
    return bdeWindow_->FilterChanged() || window_->IndexChanged() || bdeWindow_->MasterChanged();
}

bool TgrCustomDBGrid::ReconcileBookmark(std::string& bookmark, const std::string& newBookmark) {
    if (!dataBound_ || !dataActive_) return false;
    bool same = window_->CompareBookmarks(bookmark, newBookmark) == 0;
    if (same && bookmark != newBookmark) {
        // The record already reported keeps counting as reported.
        if (bookmark == currentRecord_ && notifiedRecord_ == currentRecord_) notifiedRecord_ = newBookmark;
        bookmark = newBookmark;
    }
    return same;
}

// ------------------------------------------------------------ view positions

bool TgrCustomDBGrid::IsInsertRowBelowView() {
    Integer top = DataRowOfDisplay(TopLeftCell().Row);
    return GridMode() == gmEditInsert && Rows() < top + GetVisibleRowCount() - 1;
}

bool TgrCustomDBGrid::IsLastRowAboveViewEnd() {
    Integer top = DataRowOfDisplay(TopLeftCell().Row);
    return top > 1 && Rows() - 1 < top + GetVisibleRowCount() - 1;
}

void TgrCustomDBGrid::ScrollAfterEditChange(Integer oldRow, Integer newRow, bool noLock) {
    if (!dataActive_) return;
    Integer shift = oldRow != 0 && newRow != 0 ? oldRow - newRow : 0;
    Integer top = DataRowOfDisplay(TopLeftCell().Row);
    // At the end of the data the rows stay where the records put them;
    // otherwise the first record row goes on top.
    bool atEnd = !UsesStandardWindow() && bdeWindow_->CheckEof();
    Integer newTop = atEnd ? std::max<Integer>(1, top - shift) : 1;
    SetTopLeftChecked(TopLeftCell().Col, DisplayRowOfData(newTop), noLock);
}

void TgrCustomDBGrid::FitBDEWindow() {
    if (UsesStandardWindow() || !dataActive_) return;
    TUpdateLockScope lock(this);
    Integer visible = GetVisibleRecordCount();
    Integer rows = window_->GetRowCount();
    if (rows > visible) {
        // Rows leave at the top while the view is scrolled, else the
        // window takes the rows that fit.
        if (DataRowOfDisplay(TopLeftCell().Row) > 1) bdeWindow_->ResizeWindowBy(visible - rows);
        else if (window_->SetWindowSize(visible)) Invalidate();
    }
    if (Rows() > visible) {
        SetWindowRows(visible);
        RecheckTopLeft(true);
    }
}

// ------------------------------------------------------------ begin and end of edits

void TgrCustomDBGrid::BeginInsertRecord() {
    editKind_ = 3;
    editStartRecord_ = currentRecord_;
    if (UsesStandardWindow() || !dataActive_) {
        ClearEditState();
        UpdateRowCount(true);
        Invalidate();
        return;
    }
    Integer before = window_->GetBookmarkRow(currentRecord_);
    std::string newBookmark;
    // Near the end of the view the rows above move up to make room.
    bdeWindow_->BeginInsert(IsInsertRowBelowView() || IsLastRowAboveViewEnd(), currentRecord_, newBookmark);
    editStartRecord_ = newBookmark;
    Integer after = window_->FindBookmarkRow(editStartRecord_);
    UpdateRowCount(true);
    ScrollAfterEditChange(before, after, false);
    ClearEditState();
    Invalidate();
}

void TgrCustomDBGrid::BeginAppendRecord() {
    editKind_ = 2;
    editStartRecord_ = currentRecord_;
    if (UsesStandardWindow() || !dataActive_) {
        ClearEditState();
        UpdateRowCount(true);
        Invalidate();
    } else {
        bool insertRow = GridMode() == gmEditInsert;
        if (insertRow) {
            // The insert row shown becomes the new record's row.
            ConfirmInsertRow();
            bdeWindow_->ResizeWindowBy(1);
        }
        Integer before = window_->GetBookmarkRow(currentRecord_);
        std::string newBookmark;
        bdeWindow_->BeginAppend(newBookmark);
        editStartRecord_ = newBookmark;
        UpdateRowCount(true);
        if (before == 0) Invalidate();
        ScrollAfterEditChange(DataRowOfDisplay(TopLeftCell().Row), GetMaxTopRow(), insertRow);
        ClearEditState();
    }
    InvalidateRow(Rows());
    CheckTopLeftChanged(true);
}

void TgrCustomDBGrid::EndEditRecord() {
    insertHandled_ = true;
    if (UsesStandardWindow() || !dataActive_) {
        Integer row = window_->GetActiveRow();
        if (row >= 1 && row < RowTotal()) InvalidateRow(DisplayRowOfData(row));
        return;
    }
    // The edited record is read anew where it now stands.
    Integer row = window_->GetBookmarkRow(editStartRecord_);
    if (row < 1) return;
    bdeWindow_->SetActiveRow(row);
    std::string bookmark;
    bool moved = false, changed = false;
    Integer top = std::max<Integer>(1, DataRowOfDisplay(TopLeftCell().Row));
    bdeWindow_->EndEdit(bookmark, top, moved, changed);
    bdeWindow_->ShowRecord(bookmark);
    UpdateRowCount();
    SyncCurrentRecord();
    if (moved || changed) Invalidate();
    else InvalidateRow(DisplayRowOfData(row));
}

void TgrCustomDBGrid::EndAppendRecord() {
    insertHandled_ = true;
    if (!UsesStandardWindow() && dataActive_) {
        AddInsertRow();
        FitBDEWindow();
        std::string bookmark;
        bool moved = false;
        Integer top = DataRowOfDisplay(TopLeftCell().Row);
        bdeWindow_->EndInsert(bookmark, IsRecordUnchanged(), moved, std::max<Integer>(1, top - 1), true);
        // The dataset's record is shown, wherever the window was read.
        bdeWindow_->ShowRecord(window_->GetCurrentBookmark());
        UpdateRowCount();
        SyncCurrentRecord();
    }
    Invalidate();
    editKind_ = 0;
}

void TgrCustomDBGrid::EndInsertRecord() {
    insertHandled_ = true;
    if (!UsesStandardWindow() && dataActive_) {
        std::string bookmark;
        bool moved = false;
        Integer top = std::max<Integer>(1, DataRowOfDisplay(TopLeftCell().Row));
        bdeWindow_->EndInsert(bookmark, IsRecordUnchanged(), moved, top, true);
        bdeWindow_->ShowRecord(window_->GetCurrentBookmark());
        SyncCurrentRecord();
    }
    UpdateRowCount();
    Invalidate();
    editKind_ = 0;
}

// ------------------------------------------------------------ the record edit

bool TgrCustomDBGrid::StartRecordEdit(bool setPending) {
    if (!dataLink_->Editing()) dataLink_->Edit();
    bool editing = dataLink_->Editing();
    if (editing && CurrentDataRow() <= Rows()) {
        if (setPending) updatePending_ = true;
        if (CanAppendInsertRow()) AddInsertRow();
    }
    editStartRecord_ = currentRecord_;
    return editing;
}

bool TgrCustomDBGrid::CanAppendInsertRow() { return GridMode() == gmEditInsert && !InsertRowShown(); }

void TgrCustomDBGrid::AddInsertRow() {
    TUpdateLockScope lock(this);
    RevertInsertedRow();
    UpdateRowCount();
}

void TgrCustomDBGrid::ConfirmInsertRow() {
    TUpdateLockScope lock(this);
    UpdateInsertRowState(false);
}

void TgrCustomDBGrid::ActivateCurrentRecordRow() {
    if (!dataActive_) return;
    Integer row = window_->GetBookmarkRow(currentRecord_);
    if (row >= 1) SetActiveWindowRow(row);
}

bool TgrCustomDBGrid::FireStartCellEditEvent() {
    TFlagScope starting(cellEditStarting_);
    ActivateCurrentRecordRow();
    bool cancel = false;
    DoStartCellEdit(CurrentDataCol(), GetCurrentDataRow(), cancel);
    return !cancel;
}

bool TgrCustomDBGrid::FireStartRowEditEvent() {
    TFlagScope starting(cellEditStarting_);
    ActivateCurrentRecordRow();
    bool cancel = false;
    DoStartRowEdit(GetCurrentDataRow(), cancel);
    return !cancel;
}

bool TgrCustomDBGrid::FireEndCellEditEvent() {
    ActivateCurrentRecordRow();
    bool cancel = false;
    DoEndCellEdit(CurrentDataCol(), GetCurrentDataRow(), cancel);
    return !cancel;
}

bool TgrCustomDBGrid::FireEndRowEditEvent() {
    ActivateCurrentRecordRow();
    bool cancel = false;
    DoEndRowEdit(GetCurrentDataRow(), cancel);
    return !cancel;
}

void TgrCustomDBGrid::GoToWindowRow(Integer fromRow, Integer toRow) {
    if (!dataActive_ || toRow < 1 || toRow == fromRow) return;
    // A row past the records shown is a new record.
    if (toRow > window_->GetRowCount()) {
        if (!IsDataSetReadOnly()) AppendRecord();
        return;
    }
    TCounterGuard guard(gridMovesDataset_);
    if (UsesStandardWindow()) window_->ScrollBy(toRow - fromRow);
    else window_->GotoBookmark(window_->GetRowBookmark(toRow));
}

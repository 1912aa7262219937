// Editing and posting in data mode: a row edit of the grid is the
// dataset's edit of the current record. Ending it posts the record (an
// unchanged one is left as it was, an untouched new one dropped), Esc takes
// the whole record back at once, and the keyboard inserts, appends and
// deletes records.
#include <algorithm>

#include "dbgrid/DBGrid.h"
#include "platform/data/DataSet.h"
#include "platform/gui/Prompts.h"

void TgrCustomDBGrid::EndDatasetEdit(bool cancel) {
    TDataSet* ds = DataSet();
    if (!dataLink_->Active() || !ds) return;
    if (cancel) ds->Cancel();
    // Posts a changed record, leaves an unchanged one.
    else ds->CheckBrowseMode();
}

bool TgrCustomDBGrid::PostEdit() {
    if (!dataActive_) return true;
    if (!EndCellEdit()) return false;
    TDataSet* ds = DataSet();
    if (ds->State() != dsEdit && ds->State() != dsInsert) return true;
    if (!FireEndRowEditEvent()) return false;
    try {
        // The values are put once more: the record counts as changed only
        // when it was modified by then.
        DataLinkUpdateData();
        EndDatasetEdit(false);
    } catch (const std::exception& e) {
        // The record stays in edit mode with what the user typed.
        ShowPostError(e);
        return false;
    }
    return ds->State() == dsBrowse;
}

bool TgrCustomDBGrid::UndoEdit() {
    if (!dataActive_) return false;
    // The handlers may keep the edit: the cell's first, then the record's
    // (whose undo cancels the dataset's edit).
    if (updatePending_ && !FireUndoCellEdit(true)) return false;
    if (dataLink_->Editing() && !FireUndoRowEdit(true, true)) return false;
    updatePending_ = cellEditing_ = false;
    pendingValue_ = Variant();
    ForgetClassEdit();
    if (Editor() && EditingActive()) Editor()->LoadFromGrid();
    Invalidate();
    return true;
}

bool TgrCustomDBGrid::ExitEditMode() {
    if (!dataBound_) return TgrBaseGrid::ExitEditMode();
    if (dataLink_->Editing()) EndDatasetEdit(true);
    if (!AlwaysShowEditor()) {
        EndEditing();
        SelectAllCurrentCell();
    }
    return true;
}

bool TgrCustomDBGrid::MayMoveDown() {
    TDataSet* ds = DataSet();
    if (!dataActive_ || !ds) return true;
    // An appended record nobody has started to fill in stays the last one.
    return !(ds->Eof() && ds->State() == dsInsert && !ds->Modified() && !updatePending_ && !cellEditing_);
}

void TgrCustomDBGrid::ForgetClassEdit() {
    // The grid class's own edit state ends with the record's: the next
    // typing starts a new edit from the field's value.
    if (TgrCurrentCell* cell = CurrentCell()) cell->ClearValue();
    ClearRowEditState(CurrentDataRow());
    HideCellControl(true);
}

bool TgrCustomDBGrid::IsCurrentCellShown() {
    if (!HasCurrentCell() || !HasWindow()) return false;
    Integer row = dataActive_ ? window_->GetBookmarkRow(currentRecord_) : CurrentDataRow();
    if (row < 1 || row > Rows()) return false;
    TRect cell = CellPixels(CurrentDisplayCol(), DisplayRowOfData(row));
    return cell.Right > cell.Left && cell.Bottom > cell.Top && cell.Left < ClientWidth() && cell.Top < ClientHeight();
}

bool TgrCustomDBGrid::IsCurrentDataRow(const Variant& dataRow) {
    if (dataActive_ && UsesRecordIds()) return CompareRecordIds(dataRow, GetCurrentDataRow()) == 0;
    return dataActive_ && dataRow.IsString() && CompareBookmarks(dataRow.AsString(), currentRecord_) == 0;
}

void TgrCustomDBGrid::PutCellValue(Integer dataCol, const Variant& dataRow, const Variant& value) {
    if (!dataBound_) {
        TgrBaseGrid::PutCellValue(dataCol, dataRow.AsInteger(), value);
        return;
    }
    if (dataCol < 1 || dataCol > Cols() || !IsCurrentDataRow(dataRow)) return;
    if (!FieldAdapter(dataCol)) return;
    if (!BeginRecordEdit(dataCol)) return;
    pendingValue_ = value;
    EndCellEdit();
}

bool TgrCustomDBGrid::OnAppendedRecord() const {
    return dataActive_ && editKind_ == 2;
}

bool TgrCustomDBGrid::IsDataSetReadOnly() { return dataActive_ && !DataSet()->CanModify(); }

void TgrCustomDBGrid::AppendRecord() {
    if (!dataLink_->Active() || IsDataSetReadOnly() || GridMode() == gmListBox || GridMode() == gmBrowse) return;
    if (!PostEdit()) return;
    DataSet()->Append();
}

bool TgrCustomDBGrid::InsertRecordOnKey() {
    if (!dataActive_ || GridMode() == gmListBox || GridMode() == gmBrowse || IsDataSetReadOnly()) return false;
    if (!PostEdit()) return false;
    DataSet()->Insert();
    return true;
}

bool TgrCustomDBGrid::DeleteRecordsOnKey() {
    if (!dataActive_ || IsDataSetReadOnly() || selection_->Empty()) return false;
    std::size_t selected = SelectedRecords().size();
    if (selected == 0) return false;
    std::string message = selected > 1 ? "Delete all selected records?" : "Delete record?";
    if (!confirmDelete_ || MessageDlg(message, mtConfirmation, mbOKCancel) != mrCancel) DeleteSelectedRecords();
    return true;
}

std::vector<std::pair<std::string, Variant>> TgrCustomDBGrid::SelectedRecords() {
    std::vector<std::pair<std::string, Variant>> selected;
    if (UsesRecordIds()) {
        // Ids say nothing about where their records are: every record is
        // asked.
        ForEachRecord([&](const Variant& row) {
            if (IsRecordSelected(row)) selected.emplace_back(DataSet()->GetBookmark(), row);
        });
        return selected;
    }
    if (!dataActive_ || !DataSet()) return selected;
    // From the last selected record back to the first. A dataset never has
    // more records than its count, so a walk that runs longer is stopped.
    Integer limit = std::max<Integer>(window_->GetRecordCount(), 0) + 1;
    TDataSet* ds = DataSet();
    for (Variant row = selection_->LastSelected(); row.IsString() && limit-- > 0;
         row = selection_->PrevSelected(row)) {
        const std::string& bookmark = row.AsString();
        if (!selected.empty() && bookmark == selected.back().first) break;
        // A record deleted since it was selected is no longer there.
        if (ds->BookmarkValid(bookmark)) selected.emplace_back(bookmark, row);
    }
    std::reverse(selected.begin(), selected.end());
    return selected;
}

void TgrCustomDBGrid::DeleteSelectedRecords() {
    TDataSet* ds = DataSet();
    if (!dataActive_ || !ds) return;
    auto selected = SelectedRecords();
    ds->DisableControls();
    auto cleanUp = [&] {
        DeselectAllRows();
        ds->EnableControls();
    };
    try {
        // From the last selected record backwards: the others keep their
        // bookmarks.
        for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
            if (!ds->BookmarkValid(it->first)) continue;
            ds->GotoBookmark(it->first);
            ds->Delete();
            // A bookmark may name another record later; an id names the
            // same record when it is entered again.
            if (UsesRecordIds()) continue;
            ResetRecordProperties(it->second);
        }
    } catch (...) {
        cleanUp();
        throw;
    }
    cleanUp();
}

void TgrCustomDBGrid::ShowPostError(const std::exception& e) { MessageDlg(e.what(), mtError, {mbOK}); }

bool TgrCustomDBGrid::ShouldUndoRow(bool forceRow, bool& result) {
    TgrBaseGrid::ShouldUndoRow(forceRow, result);
    if (dataBound_ && !dataLink_->Editing()) result = false;
    return result;
}

void TgrCustomDBGrid::PositionCellControl(TgrCustomGridControl* control) {
    TgrBaseGrid::PositionCellControl(control);
    if (!control || !dataActive_) return;
    TgrDBField* f = FieldAdapter(CurrentDataCol());
    if (f && !f->CanModify()) control->SetAllowEdit(false);
}

// Combos of the data-aware grid over their lists' datasets: lookup lists,
// incremental search while a list is down, filling in typed text, and the
// value a chosen record puts into the cell.

#include <string>
#include <vector>

#include "dbgrid/DBComboGrid.h"
#include "dbgrid/DBGrid.h"
#include "dbgrid/DBGridCols.h"
#include "platform/core/Strings.h"
#include "platform/data/DataSet.h"

namespace {

std::vector<std::string> KeyFieldNames(const std::string& names) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= names.size()) {
        std::size_t end = names.find(';', start);
        if (end == std::string::npos) end = names.size();
        std::string name = Trim(names.substr(start, end - start));
        if (!name.empty()) out.push_back(name);
        start = end + 1;
    }
    return out;
}

bool ListUsable(TgrDBComboGrid* list) { return list && list->DataBound() && list->DataActive(); }

}  // namespace

void TgrCustomDBGrid::DoComboGetValue(Integer gridDataCol, const Variant& gridDataRow, const Variant& comboDataRow,
                                      Variant& value) {
    if (OnComboGetValue)
        OnComboGetValue(this, WorkComboGrid(), gridDataCol, Variant(gridDataRow), Variant(comboDataRow), value);
}

void TgrCustomDBGrid::DoComboCellLoaded(Integer dataCol, const Variant& dataRow, Variant& value) {
    if (OnComboCellLoaded) OnComboCellLoaded(this, WorkComboGrid(), dataCol, Variant(dataRow), value);
}

std::string TgrCustomDBGrid::CurrentCellText() {
    Variant v = dataActive_ ? GetCellValue(CurrentDataCol(), GetCurrentDataRow())
                            : TgrBaseGrid::GetCellValue(CurrentDataCol(), CurrentDataRow());
    return v.IsEmpty() || v.IsNull() ? std::string() : v.AsString();
}

// ------------------------------------------------------------ lookup lists

void TgrCustomDBGrid::InitComboGrid(TgrCombo* combo) {
    auto* list = combo ? dynamic_cast<TgrDBComboGrid*>(combo->ComboGrid()) : nullptr;
    if (list) {
        list->SetDataSource(nullptr);
        // The setting alone: the setter would also drop stored values.
        list->ComboSettings.AutoLookup = true;
        // The dataset type first: a non-ordered bookmark kind then turns it
        // to the standard window as it does on this grid.
        list->SetDatasetType(datasetType_);
        list->SetBookmarkType(bookmarkType_);
        list->SetBookmarkCompareType(bookmarkCompareType_);
        list->SetRecordSelection(recordSelection_);
    }
    TgrBaseGrid::InitComboGrid(combo);
}

void TgrCustomDBGrid::PrepareComboData(bool keepLayout) {
    if (!dataActive_) return;
    TgrDBCombo* combo = IsComboGrid() ? nullptr : GetWorkCombo();
    TgrDBComboGrid* list = combo ? combo->DBComboGrid() : nullptr;
    if (!list || list->DataSource() || list->StoreData() || !list->GetAutoLookup()) return;
    // Only a column bound to a lookup field fills its list by itself.
    if (!TgrDBCol::IsLookupColumn(Col(CurrentDataCol()))) return;
    TField* field = FieldOfCol(CurrentDataCol());
    if (!field || !field->LookupDataSet()) return;
    list->SetAutoLookupDataSet(field->LookupDataSet());
    if (keepLayout) return;
    list->SetFieldState(fsCustomized);
    list->SetCols(0);
    list->InsertFieldColumn(1, field->LookupResultField());
    // The data link follows the list's one column.
    list->RebuildColumns(true, false, true);
    combo->SetAutoSearch(asTop);
    combo->SetDropDownCols(1);
}

void TgrCustomDBGrid::BindDesignLookup() {
    auto* list = dynamic_cast<TgrDBComboGrid*>(this);
    auto* owner = list ? dynamic_cast<TgrCustomDBGrid*>(list->GetOwnerGrid()) : nullptr;
    if (!owner || !IsDesigning() || !list->GetAutoLookup() || list->DataSource() || list->StoreData()) return;
    if (!TgrDBCol::IsLookupColumn(owner->Col(owner->CurrentDataCol()))) return;
    TField* field = owner->FieldOfCol(owner->CurrentDataCol());
    if (field && field->LookupDataSet()) list->SetAutoLookupDataSet(field->LookupDataSet());
}

// ------------------------------------------------------------ values

Variant TgrCustomDBGrid::GetComboValue(TgrDBComboGrid* list, Integer valueCol) {
    Variant value;
    if (!ListUsable(list)) return value;
    std::string record = list->CurrentBookmark();
    DoComboGetValue(CurrentDataCol(), GetCurrentDataRow(), list->DataRowOfBookmark(record), value);
    if (!value.IsEmpty()) {
        if (GetCurrentControlType() == ctText && !value.IsNull()) value = Variant(value.AsString());
        return value;
    }
    if (valueCol == 0) return value;
    TField* field = FieldOfCol(CurrentDataCol());
    if (field && field->Lookup() && list->ShowsAutoLookup()) {
        // The record stores the key, not the text the list shows.
        TDataSet* lookup = list->DataSet();
        std::vector<std::string> keys = KeyFieldNames(field->LookupKeyFields());
        if (keys.size() == 1) return lookup->FieldByName(keys[0])->AsVariant();
        std::vector<Variant> values;
        for (const std::string& k : keys) values.push_back(lookup->FieldByName(k)->AsVariant());
        return VarArrayOf(values);
    }
    return list->GetCellValue(valueCol, list->DataRowOfBookmark(record));
}

bool TgrCustomDBGrid::ApplyComboValue(TgrDBComboGrid* list, const Variant& value) {
    TField* field = dataActive_ ? FieldOfCol(CurrentDataCol()) : nullptr;
    if (!ListUsable(list) || !field || !field->Lookup() || !list->ShowsAutoLookup()) return false;
    if (value.IsEmpty()) return true;
    struct Applying {
        bool& flag;
        ~Applying() { flag = false; }
    } applying{applyingComboValue_};
    applyingComboValue_ = true;
    if (!dataLink_->Editing()) {
        if (!FireStartRowEdit()) return true;
        if (!dataLink_->Edit()) return true;
    }
    std::vector<std::string> keys = KeyFieldNames(field->KeyFields());
    TDataSet* ds = DataSet();
    for (std::size_t i = 0; i < keys.size(); ++i)
        ds->FieldByName(keys[i])->SetAsVariant(value.IsArray() ? value[value.LowBound() + int(i)] : value);
    updatePending_ = cellEditing_ = false;
    pendingValue_ = Variant();
    Invalidate();
    return true;
}

// ------------------------------------------------------------ searches

bool TgrCustomDBGrid::SearchComboDataset(const std::string& start, const std::string& stop, const std::string& text,
                                         bool exact, std::string& bookmark) {
    bookmark.clear();
    TgrDBComboGrid* list = WorkComboGrid();
    if (!ListUsable(list)) return false;
    bool found = false;
    // The sorted search starts from the first record; any other part of the
    // records is scanned.
    if (list->GetValueColSorted() && start.empty() && stop.empty())
        bookmark = list->LocateValue(text, exact, found);
    else
        bookmark = list->ScanForValue(text, exact, start, stop, found);
    if (!found) bookmark.clear();
    return found;
}

std::string TgrCustomDBGrid::ComboSearchNext(TgrDBComboGrid* list, char key) {
    std::string letter(1, key), current = list->CurrentBookmark();
    std::string next;
    list->RecordWindow()->GetNextBookmark(current, next);
    if (list->GetValueColSorted()) {
        // Sorted: the next record either starts with the letter or no
        // later one does.
        if (!next.empty() && list->StartsWith(list->ValueText(next), letter)) return next;
        std::string first;
        return SearchComboDataset(std::string(), std::string(), letter, true, first) ? first : std::string();
    }
    if (!next.empty()) {
        std::string after;
        if (SearchComboDataset(next, std::string(), letter, true, after)) return after;
    }
    // Wrapped around: from the first record through the current one.
    std::string wrapped;
    return SearchComboDataset(std::string(), current, letter, true, wrapped) ? wrapped : std::string();
}

std::string TgrCustomDBGrid::ComboSearchChar(TgrDBComboGrid* list, char key) {
    std::string letter(1, key), cell = CurrentCellText();
    if (!cell.empty() && list->StartsWith(cell, letter)) {
        std::string current = list->CurrentBookmark();
        if (!current.empty() && cell == list->ValueText(current)) return ComboSearchNext(list, key);
        std::string record;
        if (SearchComboDataset(std::string(), std::string(), cell, false, record) && list->StartsWith(list->ValueText(record), letter)) {
            list->GotoDataRow(list->DataRowOfBookmark(record));
            return ComboSearchNext(list, key);
        }
    }
    std::string record;
    return SearchComboDataset(std::string(), std::string(), letter, true, record) ? record : std::string();
}

std::string TgrCustomDBGrid::ComboSearchTyped(TgrDBComboGrid* list, char key) {
    list->ExpireSearchText();
    std::string letter(1, key), text = list->SearchText(), typed = text + letter;
    if (!text.empty()) {
        std::string record;
        if (SearchComboDataset(std::string(), std::string(), typed, true, record) && list->StartsWith(list->ValueText(record), typed)) {
            list->SetSearchText(typed);
            return record;
        }
        // The same letter again steps to the next record with it.
        if (text.size() == 1 && list->StartsWith(text, letter)) {
            record = ComboSearchChar(list, key);
            if (!record.empty()) list->SetSearchText(letter);
            return record;
        }
        return std::string();
    }
    std::string record;
    if (!SearchComboDataset(std::string(), std::string(), letter, true, record)) return std::string();
    list->SetSearchText(letter);
    return record;
}

bool TgrCustomDBGrid::ComboSearchKey(char key, Variant& value) {
    value = Variant();
    TgrDBComboGrid* list = WorkComboGrid();
    if (!ListUsable(list) || list->GetAutoSearch() == asNone) return false;
    TgrDatasetPosition saved = list->RecordWindow()->SavePosition();
    std::string record = list->GetValueColSorted() ? ComboSearchTyped(list, key) : ComboSearchChar(list, key);
    if (record.empty()) {
        list->RecordWindow()->RestorePosition(saved);
        return false;
    }
    list->ShowComboRecord(record);
    DoComboGetValue(CurrentDataCol(), GetCurrentDataRow(), list->DataRowOfBookmark(record), value);
    if (value.IsEmpty()) {
        std::string text = list->ValueText(record);
        if (!text.empty() && (list->GetValueColSorted() || list->StartsWith(text, std::string(1, key))))
            value = Variant(text);
    }
    return true;
}

bool TgrCustomDBGrid::ComboAutoFill(bool onExit) {
    SelectComboForCell(CurrentDataCol(), CurrentDataRow());
    TgrDBComboGrid* list = WorkComboGrid();
    if (!dataActive_ || !list || !list->DataBound()) return TgrBaseGrid::ComboAutoFill(onExit);
    if (!list->DataActive() || !list->GetAutoFill() || list->GetAutoSearch() == asNone) return false;
    if (onExit && list->GetAutoFillConvertCase() != afcOnExit) return false;
    if (GetCurrentControlType() != ctText) return false;
    std::string typed = CurrentCellText();
    if (typed.empty()) return false;
    TgrDatasetPosition saved = list->RecordWindow()->SavePosition();
    std::string record;
    if (!SearchComboDataset(std::string(), std::string(), typed, true, record)) {
        list->RecordWindow()->RestorePosition(saved);
        return false;
    }
    list->ShowComboRecord(record);
    Variant value;
    DoComboGetValue(CurrentDataCol(), GetCurrentDataRow(), list->DataRowOfBookmark(record), value);
    if (value.IsEmpty()) {
        std::string text = list->ValueText(record);
        if (!text.empty()) value = Variant(text);
    }
    // The editor's text is the cell's value from here on.
    pendingValue_ = Variant();
    AutoFillCellText(value, list->GetAutoFillConvertCase(), onExit);
    return true;
}

Variant TgrCustomDBGrid::ComboSearchKey(char key) {
    TgrDBComboGrid* list = dataActive_ ? WorkComboGrid() : nullptr;
    if (!list || !list->DataBound()) return TgrBaseGrid::ComboSearchKey(key);
    Variant value;
    ComboSearchKey(key, value);
    return value;
}

Variant TgrCustomDBGrid::GetComboValue(Integer valueCol) {
    TgrDBComboGrid* list = dataActive_ ? WorkComboGrid() : nullptr;
    if (!list || !list->DataBound()) return TgrBaseGrid::GetComboValue(valueCol);
    return GetComboValue(list, valueCol);
}

void TgrCustomDBGrid::ApplyComboValue(const Variant& value) {
    if (!ApplyComboValue(dataActive_ ? WorkComboGrid() : nullptr, value)) TgrBaseGrid::ApplyComboValue(value);
}

void TgrCustomDBGrid::FireComboGetValue(Integer dataCol, const Variant& dataRow, Integer comboRow, Variant& value) {
    TgrDBComboGrid* list = WorkComboGrid();
    Variant comboRecord = list && list->DataBound() ? list->DataRowOfRow(comboRow) : Variant(comboRow);
    DoComboGetValue(dataCol, dataBound_ ? GetCurrentDataRow() : dataRow, comboRecord, value);
}

void TgrCustomDBGrid::KeyPress(char& key) {
    unsigned char c = static_cast<unsigned char>(key);
    if (dataActive_ && DroppedCombo() && c >= 0x20 && c != 0x7F) {
        TgrDBComboGrid* list = WorkComboGrid();
        if (ListUsable(list) && list->GetAutoSearch() != asNone) {
            Variant value;
            if (ComboSearchKey(key, value) && !value.IsEmpty() && !value.IsNull()) EditCurrentCell(value.AsString());
            key = 0;
            return;
        }
    }
    TgrBaseGrid::KeyPress(key);
}

#include "dbgrid/DBComboGrid.h"

#include <algorithm>

#include "dbgrid/DBGridCursor.h"
#include "platform/core/Clock.h"
#include "platform/core/Strings.h"
#include "platform/data/DataSet.h"

TgrDBComboGrid::TgrDBComboGrid(TComponent* owner, TgrBaseGrid* ownerGrid) : TgrComboGridOf(owner) {
    SetOwnerGrid(ownerGrid);
    if (ownerGrid) SetDesignFlag(ownerGrid->IsDesigning());
    // Moving down past the last record of a list never appends one.
    SetAutoInsert(false);
}

void TgrDBComboGrid::SetAutoFill(bool value) {
    ComboSettings.AutoFill = value;
    if (value && !ComponentState().Contains(csLoading) && ComboSettings.AutoSearch == asNone)
        ComboSettings.AutoSearch = asTop;
}

void TgrDBComboGrid::SetAutoLookup(bool value) {
    if (value) {
        SetStoreData(false);
        SetDataSource(nullptr);
    } else if (ShowsAutoLookup()) {
        SetDataSource(nullptr);
    }
    ComboSettings.AutoLookup = value;
}

void TgrDBComboGrid::SetDropDownStyle(TgrDropDownStyle value) {
    ComboSettings.DropDownStyle = value;
    if (GetOwnerGrid()) GetOwnerGrid()->ResetCellControl(true);
}

Integer TgrDBComboGrid::CalcDropDownHeight(Integer rows) {
    Integer border = BorderStyle() == gbsSingle ? 2 : 0;
    if (HeadingOn()) border += HeadingHeight();
    Integer height = border + rows * DefaultRowHeight();
    if (!DataBound() || !DataActive()) return height;
    RecordWindow()->SetWindowSize(rows);
    Integer held = RecordWindow()->GetRowCount();
    SetWindowRows(held);
    if (held < rows) height = border + std::max<Integer>(1, held) * DefaultRowHeight();
    return height;
}

std::string TgrDBComboGrid::LocateValue(const std::string& text, bool wholeLength, bool& found) {
    // A sorted list searches by key where its window can (an engine
    // cursor); every other list scans its records.
    if (!GetValueColSorted() || !DataActive()) return ScanForValue(text, wholeLength, std::string(), std::string(), found);
    return RecordWindow()->LocateValue(text, GetValueCol(), wholeLength, ValueMatch(), found);
}

TgrValueMatch TgrDBComboGrid::ValueMatch() {
    return [this](const std::string& value, const std::string& prefix) { return StartsWith(value, prefix); };
}

bool TgrDBComboGrid::StartsWith(const std::string& value, const std::string& prefix) {
    std::size_t len = prefix.size();
    if (len == 0 || value.size() < len) return false;
    std::string a = prefix, b = value.substr(0, len);
    switch (GetCompareType()) {
        case ctCaseSensitive: return a == b;
        case ctCaseInsensitive: return CompareText(a, b) == 0;
        case ctOwn: {
            Integer result = 1;
            if (OnComboLCompareValue) OnComboLCompareValue(this, a, b, Integer(len), result);
            return result == 0;
        }
    }
    return false;
}

std::string TgrDBComboGrid::ScanForValue(const std::string& text, bool wholeLength, const std::string& start,
                                          const std::string& stop, bool& found) {
    found = false;
    if (!DataActive() || text.empty()) return std::string();
    return RecordWindow()->ScanForValue(start, stop, text, GetValueCol(), wholeLength, ValueMatch(), found);
}

std::string TgrDBComboGrid::ValueText(const std::string& bookmark) {
    TDataSet* ds = DataSet();
    if (!DataActive() || !ds || bookmark.empty()) return std::string();
    Variant v = GetCellValue(GetValueCol(), DataRowOfBookmark(bookmark));
    return v.IsEmpty() || v.IsNull() ? std::string() : v.AsString();
}

void TgrDBComboGrid::ShowComboRecord(const std::string& bookmark) {
    if (bookmark.empty() || !DataActive()) return;
    TgrGridData* window = RecordWindow();
    LockUpdate();
    try {
        DeselectAllRows();
        SetTopDataRow(DataRowOfBookmark(bookmark));
        Integer visible = std::max<Integer>(1, std::min(GetDropDownRows(), window->GetRowCount()));
        TgrComboAutoSearchType search = GetAutoSearch();
        Integer back = search == asBottom ? visible - 1 : search == asCenter ? (visible - 1) / 2 : 0;
        if (back > 0) {
            // Moving back from the record, then making the record reached
            // the top one, brings the found record down as far as the
            // records before it allow.
            Integer moved = window->ScrollBy(-back);
            SetTopDataRow(DataRowOfBookmark(window->GetCurrentBookmark()));
            window->ScrollBy(-moved);
        }
        Variant record = DataRowOfBookmark(bookmark);
        SetCurrentDataRow(record);
        SyncListBoxSelection(true);
        if (RowSelectMode() != rsNone && !IsRecordSelected(record)) SelectRows(record, record, true);
    } catch (...) {
        UnlockUpdate();
        throw;
    }
    UnlockUpdate();
    Invalidate();
}

void TgrDBComboGrid::ExpireSearchText() {
    std::uint64_t now = CurrentClock().TickMs();
    if (now - lastKeyTick_ > SearchTextExpiry) searchText_.clear();
    lastKeyTick_ = now;
}

void TgrDBComboGrid::DoCellLoaded(Integer dataCol, const Variant& dataRow, Variant& value) {
    TgrCustomDBGrid::DoCellLoaded(dataCol, dataRow, value);
    if (auto* owner = dynamic_cast<TgrCustomDBGrid*>(GetOwnerGrid())) owner->DoComboCellLoaded(dataCol, dataRow, value);
}


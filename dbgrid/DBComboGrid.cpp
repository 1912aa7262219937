#include "dbgrid/DBComboGrid.h"

#include <algorithm>

#include "platform/core/Strings.h"
#include "platform/data/DataSet.h"

TgrDBComboGrid::TgrDBComboGrid(TComponent* owner, TgrBaseGrid* ownerGrid) : TgrCustomDBGrid(owner) {
    SetOwnerGrid(ownerGrid);
    if (ownerGrid) SetDesignFlag(ownerGrid->IsDesigning());
    // Moving down past the last record of a list never appends one.
    SetAutoInsert(false);
}

void TgrDBComboGrid::SetAutoFill(bool value) {
    autoFill_ = value;
    if (value && !ComponentState().Contains(csLoading) && autoSearch_ == asNone) autoSearch_ = asTop;
}

void TgrDBComboGrid::SetAutoLookup(bool value) {
    if (value) {
        SetStoreData(false);
        SetDataSource(nullptr);
    }
    autoLookup_ = value;
}

void TgrDBComboGrid::SetDropDownStyle(TgrDropDownStyle value) {
    dropDownStyle_ = value;
    if (OwnerGrid()) OwnerGrid()->ResetCellControl(true);
}

Integer TgrDBComboGrid::CalcDropDownHeight(Integer rows) {
    Integer border = BorderStyle() == gbsSingle ? 2 : 0;
    if (HeadingOn()) border += HeadingHeight();
    Integer height = border + rows * DefaultRowHeight();
    if (!DataBound() || !DataActive()) return height;
    RecordWindow()->SetWindowSize(rows);
    Integer held = RecordWindow()->GetRowCount();
    SetRows(held);
    if (held < rows) height = border + std::max<Integer>(1, held) * DefaultRowHeight();
    return height;
}

std::string TgrDBComboGrid::LocateValue(const std::string& text, bool wholeLength, bool& found) {
    found = false;
    TDataSet* ds = DataSet();
    if (!DataActive() || !ds) return std::string();
    if (text.empty()) return std::string();
    auto matches = [&](const std::string& value, std::size_t len) {
        if (len == 0 || value.size() < len || text.size() < len) return false;
        std::string a = text.substr(0, len), b = value.substr(0, len);
        switch (compareType_) {
            case ctCaseSensitive: return a == b;
            case ctCaseInsensitive: return CompareText(a, b) == 0;
            case ctOwnCompare: {
                Integer result = 1;
                if (OnComboLCompareValue) OnComboLCompareValue(this, a, b, Integer(len), result);
                return result == 0;
            }
        }
        return false;
    };
    std::string back = ds->IsEmpty() ? std::string() : ds->GetBookmark();
    std::string best;
    std::size_t bestLen = 0;
    ds->DisableControls();
    try {
        for (ds->First(); !ds->Eof(); ds->Next()) {
            Variant v = ReadActiveRecordCellValue(GetValueCol(), Variant(ds->GetBookmark()));
            std::string value = v.IsEmpty() || v.IsNull() ? std::string() : v.AsString();
            std::size_t len = wholeLength ? text.size() : std::min(text.size(), value.size());
            if (matches(value, len) && len > bestLen) {
                best = ds->GetBookmark();
                bestLen = len;
                found = true;
                if (len == text.size()) break;
            }
        }
    } catch (const std::exception&) {
        found = false;
        best.clear();
    }
    if (!back.empty() && ds->BookmarkValid(back)) ds->GotoBookmark(back);
    ds->EnableControls();
    return best;
}

// ------------------------------------------------------------ the combo

TgrDBCombo::TgrDBCombo(TgrCustomDBGrid* owner) : TgrCombo(owner) {
    SetComboGrid(owner->CreateComboGrid());
    DropDownRows = GetDropDownRows();
    DropDownCols = GetDropDownCols();
    ValueCol = GetValueCol();
    DropDownStyle = GetDropDownStyle();
}

void TgrDBCombo::SetDropDownRows(Integer value) {
    if (value == GetDropDownRows()) return;
    DBComboGrid()->SetDropDownRows(value);
    DropDownRows = value;
}

void TgrDBCombo::SetDropDownCols(Integer value) {
    if (value == GetDropDownCols()) return;
    DBComboGrid()->SetDropDownCols(value);
    DropDownCols = value;
}

void TgrDBCombo::SetValueCol(Integer value) {
    if (value == GetValueCol()) return;
    DBComboGrid()->SetValueCol(value);
    ValueCol = value;
}

void TgrDBCombo::SetValueColSorted(bool value) {
    if (value != GetValueColSorted()) DBComboGrid()->SetValueColSorted(value);
}

void TgrDBCombo::SetCompareType(TgrComboCompareType value) {
    if (value != GetCompareType()) DBComboGrid()->SetCompareType(value);
}

void TgrDBCombo::SetAutoSearch(TgrComboAutoSearchType value) {
    if (value != GetAutoSearch()) DBComboGrid()->SetAutoSearch(value);
}

void TgrDBCombo::SetAutoFill(bool value) {
    if (value != GetAutoFill()) DBComboGrid()->SetAutoFill(value);
}

void TgrDBCombo::SetAutoFillConvertCase(TgrConvertCase value) {
    if (value != GetAutoFillConvertCase()) DBComboGrid()->SetAutoFillConvertCase(value);
}

void TgrDBCombo::SetAutoLookup(bool value) {
    if (value != GetAutoLookup()) DBComboGrid()->SetAutoLookup(value);
}

void TgrDBCombo::SetDropDownStyle(TgrDropDownStyle value) {
    if (value == GetDropDownStyle()) return;
    DropDownStyle = value;
    DBComboGrid()->SetDropDownStyle(value);
}

void TgrDBCombo::AssignDBSettings(const TgrCombo& source) {
    AssignSettings(source);
    if (const auto* db = dynamic_cast<const TgrDBCombo*>(&source)) {
        SetDropDownRows(db->GetDropDownRows());
        SetDropDownCols(db->GetDropDownCols());
        SetValueCol(db->GetValueCol());
        SetValueColSorted(db->GetValueColSorted());
        SetCompareType(db->GetCompareType());
        SetAutoSearch(db->GetAutoSearch());
        SetAutoFill(db->GetAutoFill());
        SetAutoFillConvertCase(db->GetAutoFillConvertCase());
        SetAutoLookup(db->GetAutoLookup());
        SetDropDownStyle(db->GetDropDownStyle());
    } else {
        // A plain combo's settings reach the list too.
        DBComboGrid()->SetDropDownRows(source.DropDownRows);
        DBComboGrid()->SetDropDownCols(source.DropDownCols);
        DBComboGrid()->SetValueCol(source.ValueCol);
        if (source.DropDownStyle != GetDropDownStyle()) DBComboGrid()->SetDropDownStyle(source.DropDownStyle);
    }
}

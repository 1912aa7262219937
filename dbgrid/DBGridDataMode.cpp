// What binding changes in the grid class's properties and operations: the
// rows of a bound grid are the record window's, so the properties that
// fix, move or resize single rows, or select cell ranges, are held at their
// data-mode values, rows are never deleted by number, and the attributes
// that decide whether a cell may be edited are read by record.

#include "dbgrid/DBGrid.h"
#include "dbgrid/DBGridCols.h"
#include "grid/GRGLib.h"
#include "platform/core/Component.h"

// ------------------------------------------------------------ properties

void TgrCustomDBGrid::ApplyDataModeRestrictions() {
    if (FixedRowCount() > 0) TgrBaseGrid::SetFixedRowCount(0);
    if (ResizeRows() == rrSingle) TgrBaseGrid::SetResizeRows(rrAll);
    TgrBaseGrid::SetRowMoving(false);
    TgrBaseGrid::SetCellSelectMode(cmNone);
}

void TgrCustomDBGrid::SetFixedRowCount(Integer value) {
    if (dataBound_ && value != 0) return;
    TgrBaseGrid::SetFixedRowCount(value);
}

void TgrCustomDBGrid::SetResizeRows(TgrResizeRows value) {
    if (dataBound_ && value == rrSingle) return;
    TgrBaseGrid::SetResizeRows(value);
}

bool TgrCustomDBGrid::GetRowMoving() const { return !dataBound_ && TgrBaseGrid::GetRowMoving(); }

void TgrCustomDBGrid::SetRowMoving(bool value) {
    if (dataBound_ && value) return;
    TgrBaseGrid::SetRowMoving(value);
}

TgrCellSelectMode TgrCustomDBGrid::GetCellSelectMode() const {
    return dataBound_ ? cmNone : TgrBaseGrid::GetCellSelectMode();
}

void TgrCustomDBGrid::SetCellSelectMode(TgrCellSelectMode value) {
    if (dataBound_ && value != cmNone) return;
    TgrBaseGrid::SetCellSelectMode(value);
}

void TgrCustomDBGrid::SetRowChangedIndicator(TgrRowChangedIndicator value) {
    // A record's changed mark cannot stay on: it goes with the record's edit.
    if (dataBound_ && value == riOn) value = riAutoReset;
    TgrBaseGrid::SetRowChangedIndicator(value);
}

void TgrCustomDBGrid::SetRows(Integer value) {
    // The rows of a bound grid are the record window's; only a form file
    // being read still sets the count it stored.
    if (dataBound_ && !ComponentState().Contains(csLoading) && !ComponentState().Contains(csReading)) return;
    TgrBaseGrid::SetRows(value);
}

void TgrCustomDBGrid::SetWindowRows(Integer value) { TgrBaseGrid::SetRows(value); }

// ------------------------------------------------------------ rows

void TgrCustomDBGrid::DeleteRows(Integer from, Integer to) {
    if (dataBound_) return;
    TgrBaseGrid::DeleteRows(from, to);
}

void TgrCustomDBGrid::DeleteSelectedRows() {
    if (!dataBound_) {
        TgrBaseGrid::DeleteSelectedRows();
        return;
    }
    // The selected rows are records: they are deleted without asking.
    if (dataActive_ && !selection_->Empty()) DeleteSelectedRecords();
}

// ------------------------------------------------------------ fields

TgrDBField* TgrCustomDBGrid::FindFieldAdapter(const Variant& key) {
    if (key.IsString()) return fieldList_.FindByName(key.AsString());
    if (!VarIsOrdinal(key) || key.Type() == varBoolean) return nullptr;
    Integer n = key.AsInteger();
    return n >= 1 && n <= fieldList_.Count() ? fieldList_.Items(n - 1) : nullptr;
}

// ------------------------------------------------------------ attributes by record

TgrControlType TgrCustomDBGrid::ResolveCellControlType(Integer dataCol, const Variant& dataRow) {
    if (dataCol < 1 || dataCol > Cols()) return ctNone;
    auto cell = GetCellControlType(dataCol, dataRow);
    if (cell != ctDefault) return cell;
    TgrCol* col = Col(dataCol);
    TgrControlType colType = col ? col->ControlType() : ctDefault;
    auto rowType = GetRowControlType(dataRow);
    TgrControlType first = DrawOverlap() == doDrawColOnTop ? colType : rowType;
    TgrControlType second = DrawOverlap() == doDrawColOnTop ? rowType : colType;
    if (first != ctDefault) return first;
    if (second != ctDefault) return second;
    return ctText;
}

bool TgrCustomDBGrid::ResolveCellReadOnly(Integer dataCol, const Variant& dataRow) {
    if (dataCol < 1 || dataCol > Cols()) return false;
    TgrCol* col = Col(dataCol);
    // Every record row is visible; a hidden column is never edited.
    bool visible = col && col->Visible();
    auto own = GetCellReadOnly(dataCol, dataRow);
    if (own != roDefault) return !visible || own == roOn;
    if (!visible) return true;
    return col->GetReadOnly() || GetRowReadOnly(dataRow);
}

bool TgrCustomDBGrid::IsRecordCellEditable(Integer dataCol, const Variant& dataRow) {
    return dataCol >= 1 && dataCol <= Cols() && !ResolveCellReadOnly(dataCol, dataRow);
}

bool TgrCustomDBGrid::WindowRecordOfRow(Integer dataRow, Variant& record) {
    if (!dataBound_ || !dataActive_ || dataRow < 1 || dataRow > window_->GetRowCount()) return false;
    record = window_->GetRowDataRow(dataRow);
    return true;
}

TgrControlType TgrCustomDBGrid::EffectiveControlType(Integer dataCol, Integer dataRow) {
    Variant record;
    if (dataCol < 1 || dataCol > Cols() || !WindowRecordOfRow(dataRow, record))
        return TgrBaseGrid::EffectiveControlType(dataCol, dataRow);
    return ResolveCellControlType(dataCol, record);
}

bool TgrCustomDBGrid::IsCellReadOnly(Integer dataCol, Integer dataRow) {
    Variant record;
    if (!WindowRecordOfRow(dataRow, record)) return TgrBaseGrid::IsCellReadOnly(dataCol, dataRow);
    return ResolveCellReadOnly(dataCol, record);
}

// ------------------------------------------------------------ date-time definitions

void TgrCustomDBGrid::ReleaseRowDateTimeDef(TgrDateTimeDefComponent* def) {
    TgrBaseGrid::ReleaseRowDateTimeDef(def);
    // A definition going away leaves no record row or cell pointing at it.
    for (TgrDBRowElement* e : rowProps_.Records()) {
        if (e->DateTimeDef != def) continue;
        TgrCustomPropElement* element = e;
        rowProps_.SetPropValue(DBRowKey(e->DataRow), false, pkNoPicture, gpDateTimeDef, ObjectToVariant(nullptr),
                               element);
    }
}

void TgrCustomDBGrid::ReleaseCellDateTimeDef(TgrDateTimeDefComponent* def) {
    TgrBaseGrid::ReleaseCellDateTimeDef(def);
    for (TgrDBCellElement* e : cellProps_.Records()) {
        if (e->DateTimeDef != def) continue;
        TgrCustomPropElement* element = e;
        cellProps_.SetPropValue(DBCellKey(e->DataCol, e->DataRow), false, pkNoPicture, gpDateTimeDef,
                                ObjectToVariant(nullptr), element);
    }
}

// The data-aware grid's answers to the grid class's current-cell queries,
// and the attribute resolution by record behind them. The current cell of
// a bound grid is the current data column of the current record: its
// mask, control type, read-only state and selection are the record's,
// whichever window row shows it (or none), so a record keeps them while
// the window scrolls. Not bound, every query is the grid class's.

#include "dbgrid/DBGrid.h"
#include "dbgrid/DBGridCols.h"
#include "dbgrid/DBGridCurrentCell.h"
#include "grid/GridColRow.h"
#include "grid/GridCombo.h"

// ------------------------------------------------------------ current cell

std::string TgrCustomDBGrid::GetCurrentMaskName() {
    if (!dataBound_) return TgrBaseGrid::GetCurrentMaskName();
    return ResolveCellMaskName(CurrentDataCol(), GetCurrentRecordIdentity());
}

TgrControlType TgrCustomDBGrid::GetCurrentControlType() {
    if (!dataBound_) return TgrBaseGrid::GetCurrentControlType();
    return ResolveCellControlType(CurrentDataCol(), GetCurrentRecordIdentity());
}

std::string TgrCustomDBGrid::GetCurrentCheckBoxValues() {
    if (!dataBound_) return TgrBaseGrid::GetCurrentCheckBoxValues();
    return ResolveCheckBoxValues(CurrentDataCol());
}

bool TgrCustomDBGrid::IsCurrentCellReadOnly() {
    if (!dataBound_) return TgrBaseGrid::IsCurrentCellReadOnly();
    return ResolveCellReadOnly(CurrentDataCol(), GetCurrentRecordIdentity());
}

bool TgrCustomDBGrid::IsCurrentCellSelected() {
    if (!dataBound_) return TgrBaseGrid::IsCurrentCellSelected();
    return IsRecordCellSelected(CurrentDataCol(), GetCurrentDataRow());
}

bool TgrCustomDBGrid::IsCurrentRowSelected() {
    if (!dataBound_) return TgrBaseGrid::IsCurrentRowSelected();
    return dataActive_ && !CurrentBookmark().empty() && IsRecordSelected(GetCurrentDataRow());
}

void TgrCustomDBGrid::SelectCurrentRow() {
    if (!dataBound_) {
        TgrBaseGrid::SelectCurrentRow();
        return;
    }
    if (!dataActive_ || CurrentBookmark().empty() || IsCurrentRowSelected()) return;
    Variant current = GetCurrentDataRow();
    SelectRows(current, current, true);
}

// ------------------------------------------------------------ cells by record

TgrControlType TgrCustomDBGrid::GetCellEffectiveControlType(Integer dataCol, const Variant& dataRow) {
    if (!dataBound_) return TgrBaseGrid::GetCellEffectiveControlType(dataCol, dataRow);
    if (!CheckColRowIndex(1, dataCol, Cols(), 1) || !CheckDataRow(dataRow)) return ctNone;
    return ResolveCellControlType(dataCol, dataRow);
}

TgrCombo* TgrCustomDBGrid::GetCellEffectiveCombo(Integer dataCol, const Variant& dataRow) {
    if (!dataBound_) return TgrBaseGrid::GetCellEffectiveCombo(dataCol, dataRow);
    if (!CheckColRowIndex(1, dataCol, Cols(), 1) || !CheckDataRow(dataRow)) return nullptr;
    return ResolveCellCombo(dataCol, dataRow);
}

std::string TgrCustomDBGrid::ResolveCellMaskName(Integer dataCol, const Variant& dataRow) {
    if (dataCol < 1 || dataCol > Cols()) return {};
    std::string cell = GetCellMaskName(dataCol, dataRow);
    if (!cell.empty()) return cell;
    TgrCol* col = Col(dataCol);
    std::string colValue = col ? col->MaskName() : std::string(), rowValue = GetRowMaskName(dataRow);
    if (DrawOverlap() == doDrawColOnTop) return colValue.empty() ? rowValue : colValue;
    return rowValue.empty() ? colValue : rowValue;
}

TgrCombo* TgrCustomDBGrid::ResolveCellCombo(Integer dataCol, const Variant& dataRow) {
    if (dataCol < 1 || dataCol > Cols()) return nullptr;
    bool designing = IsDesigning();
    if (GetCellButtonType(dataCol, dataRow) == btCombo && (!GetCellParentCombo(dataCol, dataRow) || designing))
        return GetCellCombo(dataCol, dataRow);
    TgrCol* col = Col(dataCol);
    bool colCombo = col && col->ButtonType() == btCombo;
    TgrDBRowElement* row = FindRowElement(dataRow);
    if (DrawOverlap() == doDrawRowOnTop) {
        // The column's list serves a record row that keeps none of its own.
        if (colCombo && (!row || (row->ParentCombo && !designing))) return col->Combo();
        return row ? row->Combo : nullptr;
    }
    if (colCombo && (!col->ParentCombo() || designing)) return col->Combo();
    return row ? row->Combo : nullptr;
}

TgrHorzAlignment TgrCustomDBGrid::ResolveCellAlignment(Integer displayCol, const Variant& dataRow) {
    Integer dataCol = DataColOfDisplay(displayCol);
    if (!dataBound_) return EffectiveHorzAlignment(dataCol, dataRow.AsInteger());
    if (TgrHorzAlignment cell = GetCellHorzAlignment(dataCol, dataRow); cell != htaDefault) return cell;
    TgrCol* col = Col(dataCol);
    TgrHorzAlignment colValue = col ? col->GetHorzAlignment() : htaDefault;
    TgrHorzAlignment rowValue = GetRowHorzAlignment(dataRow);
    if (DrawOverlap() == doDrawColOnTop && col && col->GetAlign()) return colValue;
    return rowValue != htaDefault ? rowValue : colValue;
}

std::string TgrCustomDBGrid::ResolveCheckBoxValues(Integer dataCol) {
    if (!dataBound_) return EffectiveCheckBoxValues(dataCol);
    TgrCol* col = Col(dataCol);
    if (col && col->UsesCheckBoxValues() && !col->CheckBoxValues().empty()) return col->CheckBoxValues();
    return CheckBoxValues();
}

bool TgrCustomDBGrid::IsRecordCellSelected(Integer dataCol, const Variant& dataRow) {
    Integer displayCol = DisplayColOfData(dataCol);
    if (displayCol >= 1 && IsDisplayColSelected(displayCol)) return true;
    return IsRecordSelected(dataRow);
}

// ------------------------------------------------------------ values by record

TgrDBGridCols* TgrCustomDBGrid::GetGridCols() const {
    return static_cast<TgrDBGridCols*>(const_cast<TgrCustomDBGrid*>(this)->GridCols());
}

TgrDBCurrentCell* TgrCustomDBGrid::GetCurrentCellObject() const {
    return static_cast<TgrDBCurrentCell*>(CurrentCell());
}

Variant TgrCustomDBGrid::ReadRecordCellValueAndDataRow(Integer dataCol, const Variant& dataRow,
                                                       Variant& recordDataRow) {
    recordDataRow = dataRow;
    Integer row = dataActive_ ? WindowPositionOfDataRow(dataRow) : 0;
    if (row < 1) return ReadRecordCellValue(dataCol, dataRow);
    recordDataRow = window_->GetRowDataRow(row);
    return LoadCellValue(dataCol, row, Variant());
}

void TgrCustomDBGrid::NotifyCellLoaded(Integer dataCol, const Variant& dataRow, Integer rowNo, bool compareByNumber,
                                       TgrControlType controlType, Variant& value) {
    // OnRowLoaded announces each record once before the first of its
    // cells in one paint; the memory is cleared when a paint starts.
    if (painting_) {
        bool loaded = !rowLoadedPending_ && (compareByNumber ? rowNo == lastLoadedRowNo_
                                                              : VariantsEqual(dataRow, lastLoadedRecord_));
        if (!loaded) {
            lastLoadedRecord_ = dataRow;
            lastLoadedRowNo_ = rowNo;
            rowLoadedPending_ = false;
            DoRowLoaded(dataRow);
        }
    }
    DoCellLoaded(dataCol, dataRow, value);
    // A text cell shows text, whatever the handler put there.
    if (controlType == ctText && !value.IsEmpty() && !value.IsNull() && !value.IsString())
        value = ConvertCellValue(ctText, value);
}

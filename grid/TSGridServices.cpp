// What the data-aware grid and the application ask of the grid beyond its
// properties: the attributes a row or a cell holds itself, the shown part
// of the view, and whether the current cell can be edited now.

#include <algorithm>
#include <cmath>

#include "grid/GridCombo.h"
#include "grid/TSGrid.h"

namespace {

TgrRow* RowObject(TgrGridRows* rows, Integer dataRow) {
    return rows && dataRow >= 0 && dataRow < rows->Count() ? rows->GetRow(dataRow) : nullptr;
}

}  // namespace

// ---------------------------------------------------------------- rows

#define GR_ROW_GETTER(Type, Name, expr, none)          \
    Type TgrBaseGrid::Name(Integer dataRow) {          \
        TgrRow* row = RowObject(gridRows_.get(), dataRow); \
        return row ? (expr) : (none);                  \
    }
GR_ROW_GETTER(TColor, GetRowColor, row->Color(), grColorNotSet)
GR_ROW_GETTER(TFont*, GetRowFont, row->OwnFont(), nullptr)
GR_ROW_GETTER(bool, GetRowParentFont, row->ParentFont(), true)
GR_ROW_GETTER(TgrHorzAlignment, GetRowHorzAlignment, row->HorzAlignment(), htaDefault)
GR_ROW_GETTER(TgrVertAlignment, GetRowVertAlignment, row->VertAlignment(), vtaDefault)
GR_ROW_GETTER(TgrWordWrap, GetRowWordWrap, row->WordWrap(), wwDefault)
GR_ROW_GETTER(TgrButtonType, GetRowButtonType, row->ButtonType(), btDefault)
GR_ROW_GETTER(TgrDropDownStyle, GetRowDropDownStyle, row->GetDropDownStyle(), ddDropDown)
GR_ROW_GETTER(bool, GetRowIs3D, row->Is3D(), false)
GR_ROW_GETTER(std::string, GetRowMaskName, row->MaskName(), std::string())
GR_ROW_GETTER(TgrControlType, GetRowControlType, row->ControlType(), ctDefault)
GR_ROW_GETTER(TgrSpinOptions, GetRowSpinOptions, row->SpinOptions(), grAllSpinOptions)
GR_ROW_GETTER(double, GetRowSpinIncrement, row->SpinIncrement(), 1.0)
GR_ROW_GETTER(TgrCombo*, GetRowCombo, row->Combo(), nullptr)
GR_ROW_GETTER(bool, GetRowParentCombo, row->ParentCombo(), true)
GR_ROW_GETTER(TgrDateTimeDefComponent*, GetRowDateTimeDef, row->DateTimeDef(), nullptr)
#undef GR_ROW_GETTER

TgrDrawOption TgrBaseGrid::GetRowPicture(Integer dataRow, TgrPictureKind kind) {
    TgrRow* row = RowObject(gridRows_.get(), dataRow);
    return row ? row->GetPicture(kind) : dopDefault;
}

bool TgrBaseGrid::IsRowReadOnly(Integer dataRow) {
    if (dataRow < 1 || dataRow > Rows()) return false;
    TgrRow* row = RowObject(gridRows_.get(), dataRow);
    return row && row->ReadOnly();
}

bool TgrBaseGrid::IsRowVisible(Integer dataRow) {
    if (dataRow < 0 || dataRow > Rows()) return false;
    TgrRow* row = RowObject(gridRows_.get(), dataRow);
    return !row || row->Visible();
}

bool TgrBaseGrid::IsRowSelected(Integer dataRow) {
    if (dataRow < 1 || dataRow > Rows()) return false;
    return rowSelection_->IsSelected(DisplayRowOfData(dataRow));
}

// --------------------------------------------------------------- cells

#define GR_CELL_GETTER(Type, Name, expr, none)                     \
    Type TgrBaseGrid::Name(Integer dataCol, Integer dataRow) {     \
        TgrCustomPropElement* e = CellRecord(dataCol, dataRow);          \
        return e ? (expr) : (none);                                \
    }
GR_CELL_GETTER(TColor, GetCellColor, e->Color, grColorNotSet)
GR_CELL_GETTER(TFont*, GetCellFont, e->Font, nullptr)
GR_CELL_GETTER(bool, GetCellParentFont, e->ParentFont, true)
GR_CELL_GETTER(TgrHorzAlignment, GetCellHorzAlignment, TgrHorzAlignment(e->HorzAlignment), htaDefault)
GR_CELL_GETTER(TgrVertAlignment, GetCellVertAlignment, TgrVertAlignment(e->VertAlignment), vtaDefault)
GR_CELL_GETTER(TgrWordWrap, GetCellWordWrap, TgrWordWrap(e->WordWrap), wwDefault)
GR_CELL_GETTER(bool, GetCellIs3D, e->Is3D, false)
GR_CELL_GETTER(TgrButtonType, GetCellButtonType, TgrButtonType(e->ButtonType), btDefault)
GR_CELL_GETTER(TgrDropDownStyle, GetCellDropDownStyle, e->GetDropDownStyle(), ddDropDown)
GR_CELL_GETTER(std::string, GetCellMaskName, e->MaskName, std::string())
GR_CELL_GETTER(TgrControlType, GetCellControlType, TgrControlType(e->ControlType), ctDefault)
GR_CELL_GETTER(TgrSpinOptions, GetCellSpinOptions, e->SpinOptions, grAllSpinOptions)
GR_CELL_GETTER(double, GetCellSpinIncrement, e->SpinIncrement, 1.0)
GR_CELL_GETTER(TgrCombo*, GetCellCombo, e->Combo, nullptr)
GR_CELL_GETTER(bool, GetCellParentCombo, e->ParentCombo, true)
GR_CELL_GETTER(TgrDateTimeDefComponent*, GetCellDateTimeDef, e->DateTimeDef, nullptr)
#undef GR_CELL_GETTER

TgrDrawOption TgrBaseGrid::GetCellPicture(Integer dataCol, Integer dataRow, TgrPictureKind kind) {
    TgrCustomPropElement* e = CellRecord(dataCol, dataRow);
    return e ? TgrDrawOption(e->GetValue(gpPicture, kind).AsInteger()) : dopDefault;
}

void TgrBaseGrid::SetCellButtonType(Integer dataCol, Integer dataRow, TgrButtonType value) {
    if (comboGrid_) return;
    SetCellProp(dataCol, dataRow, gpButtonType, pkNoPicture, Variant(Integer(value)));
}

void TgrBaseGrid::SetCellCombo(Integer dataCol, Integer dataRow, const TgrCombo* combo) {
    if (comboGrid_) return;
    CheckColRowIndex(1, dataCol, Cols(), 1);
    CheckColRowIndex(0, dataRow, Rows(), 1);
    TgrCustomPropElement* e = cellProps_->FindCell(dataCol, dataRow);
    if (!combo) {
        if (e) {
            e->FreeCombo();
            cellProps_->RemoveIfDefault(e);
        }
        return;
    }
    if (!e) {
        e = cellProps_->CreateElement(CellKey(dataCol, dataRow));
        cellProps_->AddElement(e);
    }
    e->SetCombo(combo);
}

// ---------------------------------------------------------------- view

Integer TgrBaseGrid::GetVisibleColCount() const {
    if (!HasWindow()) return 0;
    TGridLayout_ts layout;
    ComputeLayout(layout);
    return std::max<Integer>(0, layout.Horz.LastFullCell - TopLeftCell().Col + 1);
}

Integer TgrBaseGrid::GetVisibleRowCount() const {
    if (!HasWindow()) return 0;
    TGridLayout_ts layout;
    ComputeLayout(layout);
    return std::max<Integer>(0, layout.Vert.LastFullCell - TopLeftCell().Row + 1);
}

double TgrBaseGrid::GetVisibleRowsExact() const {
    if (!HasWindow()) return 0;
    TGridLayout_ts layout;
    ComputeLayout(layout);
    Integer whole = std::max<Integer>(0, layout.Vert.LastFullCell - TopLeftCell().Row + 1);
    Integer next = layout.Vert.LastFullCell + 1;
    Integer room = layout.Vert.ClientExtent - layout.Vert.FullCellsEnd;
    if (next >= RowTotal() || room <= 0) return whole;
    Integer h = GetRowHeightAt(next) + layout.Vert.LineWidth;
    return whole + (h > 0 ? std::min(1.0, double(room) / double(h)) : 0.0);
}

bool TgrBaseGrid::IsCellVisibleOnScreen(Integer displayCol, Integer displayRow) const {
    return HasWindow() && IsCellOnScreen(displayCol, displayRow);
}

bool TgrBaseGrid::IsCurrentCellVisible() const {
    if (curDisplayCol_ < 1 || curDisplayRow_ < 1 || !HasWindow()) return false;
    TGridLayout_ts layout;
    ComputeLayout(layout);
    auto shown = [](const TAxisLayout_ts& axis, Integer cell, Integer first) {
        return cell < axis.FixedCount || (cell >= first && cell <= axis.LastFullCell);
    };
    return shown(layout.Horz, curDisplayCol_, TopLeftCell().Col) && shown(layout.Vert, curDisplayRow_, TopLeftCell().Row);
}

bool TgrBaseGrid::CanReclickCurrentCell() { return !IsDesigning() && IsCurrentCellVisible() && CanEditNow(); }

Integer TgrBaseGrid::CalcLeftColToShow(Integer leftCol, Integer displayCol, Integer mode) const {
    Integer fixed = FixedColTotal();
    if (displayCol < fixed) return leftCol;
    Integer first = std::max(leftCol, fixed);
    TGridLayout_ts layout;
    ComputeLayout(layout);
    // The first column from which displayCol is the last one shown whole.
    auto fromRight = [&] { return std::max(fixed, LastTopLeft({displayCol, 0}, layout).Col); };
    if (mode == 2 || mode == 3) return fromRight();
    if (displayCol < first) return displayCol;
    // Shown whole from the current left column?
    Integer room = layout.Horz.ClientExtent - layout.Horz.FixedEnd;
    Integer used = 0;
    for (Integer c = first; c <= displayCol; ++c) used += GetColWidthAt(c) + layout.Horz.LineWidth;
    if (used <= room + layout.Horz.LineWidth) return first;
    return fromRight();
}

void TgrBaseGrid::SetRowDateTimeDef(Integer dataRow, TgrDateTimeDefComponent* def) {
    CheckColRowIndex(0, dataRow, Rows(), 1);
    if (GetRowDateTimeDef(dataRow) == def) return;
    gridRows_->EnsureRow(dataRow)->SetDateTimeDef(def);
    gridRows_->ReleaseIfDefault(dataRow);
}

TgrCol* TgrBaseGrid::GetCol(const Variant& column) {
    if (column.IsString()) {
        if (TgrCol* col = gridCols_->GetColByFieldName(column.AsString())) return col;
        RaiseGridErrorText("Unknown field name '" + column.AsString() + "'");
    }
    Integer dataCol = column.AsInteger();
    CheckColRowIndex(1, dataCol, ColTotal() - 1, 1);
    return gridCols_->ColAt(dataCol);
}

Integer TgrBaseGrid::DataRowOfRowId(Integer id) {
    // Ids grow with the data row.
    Integer low = 1, high = Rows();
    while (low <= high) {
        Integer mid = low + (high - low) / 2;
        Integer at = GetRowId(mid);
        if (at == id) return mid;
        if (at < id) low = mid + 1;
        else high = mid - 1;
    }
    return -1;
}

Integer TgrBaseGrid::DataColOfColId(Integer id) {
    for (Integer c = 1; c <= Cols(); ++c)
        if (TgrCol* col = Col(c); col && col->ColId() == id) return c;
    return -1;
}

Variant TgrBaseGrid::ConvertCellValue(TgrControlType controlType, const Variant& value) {
    if (value.Type() == varOleStr ||
        (controlType == ctText && !value.IsEmpty() && !value.IsNull() && !value.IsString()))
        return Variant(value.AsString());
    return value;
}

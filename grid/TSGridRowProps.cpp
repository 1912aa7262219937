// Row attributes by data row: what the row proxy of form files and the
// application set and read. A row without a row object has every attribute
// at its default, so a setter that gives such a row its default makes no
// object, and a row object whose attributes are all default again is let go.

#include "grid/GRGLib.h"
#include "grid/GridCombo.h"
#include "grid/TSDateTimeDef.h"
#include "grid/TSGrid.h"
#include "platform/gui/Graphics.h"

Variant TgrBaseGrid::GetRowProp(Integer dataRow, TgrPropId id, TgrPictureKind kind) {
    switch (id) {
        case gpDisplayPos: return Variant(DisplayRowOfData(dataRow));
        case gpHeight: return Variant(gridRows_->GetHeight(dataRow));
        case gpChanged: return Variant(IsRowChanged(dataRow));
        case gpSelected: return Variant(IsRowSelected(dataRow));
        default: break;
    }
    TgrRow* row = dataRow >= 0 && dataRow < gridRows_->Count() ? gridRows_->GetRow(dataRow) : nullptr;
    if (!row) {
        if (id == gpVisible) return Variant(true);
        if (id == gpPicture) return Variant(Byte(dopDefault));
        return DefaultPropValue(id);
    }
    switch (id) {
        case gpColor: return Variant(Integer(row->Color()));
        case gpFont: return ObjectToVariant(row->OwnFont());
        case gpParentFont: return Variant(row->ParentFont());
        case gpReadOnlyFlag: return Variant(row->ReadOnly());
        case gpAlign: return Variant(row->Align());
        case gpAlignment: return Variant(Byte(row->Alignment()));
        case gpHorzAlignment: return Variant(Byte(row->HorzAlignment()));
        case gpVertAlignment: return Variant(Byte(row->VertAlignment()));
        case gpIs3D: return Variant(row->Is3D());
        case gpVisible: return Variant(row->Visible());
        case gpWordWrap: return Variant(Byte(row->WordWrap()));
        case gpButtonType: return Variant(Byte(row->ButtonType()));
        case gpDropDownStyle: return Variant(Byte(row->GetDropDownStyle()));
        case gpMaskName: return Variant(row->MaskName());
        case gpCombo: return ObjectToVariant(row->Combo());
        case gpParentCombo: return Variant(row->ParentCombo());
        case gpPicture: return Variant(Byte(row->GetPicture(kind)));
        case gpControlType: return Variant(Byte(row->ControlType()));
        case gpSpinOptions: return Variant(Byte(row->SpinOptions()));
        case gpSpinIncrement: return Variant(row->SpinIncrement());
        case gpDateTimeDef: return ObjectToVariant(row->DateTimeDef());
        default: return DefaultPropValue(id);
    }
}

void TgrBaseGrid::SetRowProp(Integer dataRow, TgrPropId id, TgrPictureKind kind, const Variant& value) {
    CheckColRowIndex(0, dataRow, RowTotal() - 1, 0);
    switch (id) {
        case gpDisplayPos: SetDisplayRow(dataRow, value.AsInteger()); return;
        case gpHeight: SetRowHeight(dataRow, value.AsInteger()); return;
        case gpChanged: SetRowChanged(dataRow, value.AsBoolean()); return;
        case gpSelected: SetRowSelected(dataRow, value.AsBoolean()); return;
        case gpVisible: SetRowVisible(dataRow, value.AsBoolean()); return;
        default: break;
    }
    // What a row without an object already answers needs no object.
    if (!gridRows_->GetRow(dataRow) && PropValuesEqual(value, GetRowProp(dataRow, id, kind))) return;
    TgrRow* row = gridRows_->EnsureRow(dataRow);
    if (!row) return;
    switch (id) {
        case gpColor: row->SetColor(TColor(value.AsInteger())); break;
        case gpFont: row->SetFont(static_cast<const TFont*>(VariantToObject(value))); break;
        case gpParentFont: row->SetParentFont(value.AsBoolean()); break;
        case gpReadOnlyFlag: row->SetReadOnly(value.AsBoolean()); break;
        case gpAlign: row->SetAlign(value.AsBoolean()); break;
        case gpAlignment: row->SetAlignment(TAlignment(value.AsInteger())); break;
        case gpHorzAlignment: row->SetHorzAlignment(TgrHorzAlignment(value.AsInteger())); break;
        case gpVertAlignment: row->SetVertAlignment(TgrVertAlignment(value.AsInteger())); break;
        case gpIs3D: row->SetIs3D(value.AsBoolean()); break;
        case gpWordWrap: row->SetWordWrap(TgrWordWrap(value.AsInteger())); break;
        case gpButtonType: row->SetButtonType(TgrButtonType(value.AsInteger())); break;
        case gpDropDownStyle: row->SetDropDownStyle(TgrDropDownStyle(value.AsInteger())); break;
        case gpMaskName: row->SetMaskName(value.AsString()); break;
        case gpCombo: row->SetCombo(static_cast<const TgrCombo*>(VariantToObject(value))); break;
        case gpParentCombo: row->SetParentCombo(value.AsBoolean()); break;
        case gpPicture:
            if (kind >= pkStretchPicture && kind <= pkKeepAspectRatio)
                row->SetPicture(kind, TgrDrawOption(value.AsInteger()));
            break;
        case gpControlType: row->SetControlType(TgrControlType(value.AsInteger())); break;
        case gpSpinOptions: row->SetSpinOptions(TgrSpinOptions(value.AsInteger())); break;
        case gpSpinIncrement: row->SetSpinIncrement(value.AsDouble()); break;
        case gpDateTimeDef:
            row->SetDateTimeDef(static_cast<TgrDateTimeDefComponent*>(VariantToObject(value)));
            break;
        default: break;
    }
    gridRows_->ReleaseIfDefault(dataRow);
}

// ---------------------------------------------------------------- by name

void TgrBaseGrid::SetRowHeight(Integer dataRow, Integer height) {
    CheckColRowIndex(0, dataRow, RowTotal() - 1, 0);
    if (!gridRows_->GetRow(dataRow) && height == DefaultRowHeight()) return;
    if (TgrRow* row = gridRows_->EnsureRow(dataRow)) row->SetHeight(height);
    gridRows_->ReleaseIfDefault(dataRow);
}

Integer TgrBaseGrid::GetRowHeight(Integer dataRow) {
    CheckColRowIndex(0, dataRow, RowTotal() - 1, 0);
    return gridRows_->GetHeight(dataRow);
}

void TgrBaseGrid::SetRowVisible(Integer dataRow, bool visible) {
    CheckColRowIndex(0, dataRow, Rows(), 1);
    if (!gridRows_->GetRow(dataRow) && visible) return;
    if (TgrRow* row = gridRows_->EnsureRow(dataRow)) row->SetVisible(visible);
    gridRows_->ReleaseIfDefault(dataRow);
}

bool TgrBaseGrid::GetRowVisible(Integer dataRow) {
    CheckColRowIndex(0, dataRow, Rows(), 1);
    return IsRowVisible(dataRow);
}

bool TgrBaseGrid::GetRowReadOnly(Integer dataRow) {
    CheckColRowIndex(0, dataRow, RowTotal() - 1, 1);
    TgrRow* row = gridRows_->GetRow(dataRow);
    return row && row->ReadOnly();
}

void TgrBaseGrid::SetRowSelected(Integer dataRow, bool selected) {
    CheckColRowIndex(0, dataRow, Rows(), 1);
    Integer display = DisplayRowOfData(dataRow);
    if (rowSelection_->IsSelected(display) == selected) return;
    if (selected) SelectDisplayRows(display, display);
    else DeselectDisplayRows(display, display);
}

bool TgrBaseGrid::GetRowSelected(Integer dataRow) {
    CheckColRowIndex(0, dataRow, Rows(), 1);
    return rowSelection_->IsSelected(DisplayRowOfData(dataRow));
}

bool TgrBaseGrid::GetRowChanged(Integer dataRow) {
    CheckColRowIndex(0, dataRow, Rows(), 1);
    // The current row counts as changed while its row edit changed it.
    return IsRowChanged(dataRow) || (dataRow == curDataRow_ && rowModified_);
}

void TgrBaseGrid::SetRowKeepFontObject(Integer dataRow, bool keep) {
    CheckColRowIndex(0, dataRow, RowTotal() - 1, 0);
    if (!gridRows_->GetRow(dataRow) && !keep) return;
    if (TgrRow* row = gridRows_->EnsureRow(dataRow)) row->SetKeepFontObject(keep);
    gridRows_->ReleaseIfDefault(dataRow);
}

bool TgrBaseGrid::GetRowKeepFontObject(Integer dataRow) {
    CheckColRowIndex(0, dataRow, RowTotal() - 1, 0);
    TgrRow* row = gridRows_->GetRow(dataRow);
    return row && row->KeepFontObject();
}

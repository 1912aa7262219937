#include "dbgrid/DBGridRecordFacades.h"

#include "dbgrid/DBGrid.h"

// ------------------------------------------------------------ cell

TgrDBCell::TgrDBCell(TgrCustomDBGrid* grid, const Variant& dataRow, Integer dataCol)
    : TgrCell(grid, dataCol, dataRow), DBGrid(grid) {}

Variant TgrDBCell::Get(TgrPropId id, TgrPictureKind kind) const {
    return DBGrid->RecordCellProp(DataCol, DataRow, id, kind);
}

void TgrDBCell::Set(TgrPropId id, const Variant& value, TgrPictureKind kind) {
    DBGrid->SetRecordCellProp(DataCol, DataRow, id, kind, value, id != gpDateTimeDef);
}

void TgrDBCell::SetParentFont(bool value) { DBGrid->SetCellParentFont(DataCol, DataRow, value); }
void TgrDBCell::SetButtonType(TgrButtonType value) { DBGrid->SetCellButtonType(DataCol, DataRow, value); }
void TgrDBCell::SetCombo(TgrCombo* value) { DBGrid->SetCellCombo(DataCol, DataRow, value); }
TgrCombo* TgrDBCell::CreateCombo() { return DBGrid->CreateCellCombo(DataCol, DataRow); }

bool TgrDBCell::GetKeepFontObject() const {
    if (!DBGrid->DataBound()) return TgrCell::GetKeepFontObject();
    TgrDBCellElement* e = DBGrid->FindCellElement(DataCol, DataRow, false);
    return e && e->KeepFontObject;
}

void TgrDBCell::SetKeepFontObject(bool value) {
    if (!DBGrid->DataBound()) {
        TgrCell::SetKeepFontObject(value);
        return;
    }
    TgrCustomPropElement* e = DBGrid->FindCellElement(DataCol, DataRow, true);
    DBGrid->RecordCellProps().SetKeepFontObject(DBCellKey(DataCol, DataRow), value, e);
}

// ------------------------------------------------------------ row

TgrDBRow::TgrDBRow(TgrCustomDBGrid* grid, const Variant& dataRow) : TgrDesignRow(grid, dataRow), DBGrid(grid) {}

Variant TgrDBRow::Get(TgrPropId id, TgrPictureKind kind) const {
    if (!DBGrid->DataBound()) return TgrDesignRow::Get(id, kind);
    switch (id) {
        case gpHeight: return Variant(DBGrid->GetRowHeight(DataRow));
        case gpDisplayPos: return Variant(DBGrid->GetDisplayRow(DataRow));
        case gpVisible: return Variant(DBGrid->GetRowVisible(DataRow));
        case gpChanged: return Variant(DBGrid->GetRowChanged(DataRow));
        case gpSelected: return Variant(DBGrid->IsDataRowSelected(DataRow));
        default: return DBGrid->RecordRowProp(DataRow, id, kind);
    }
}

void TgrDBRow::Set(TgrPropId id, const Variant& value, TgrPictureKind kind) {
    if (!DBGrid->DataBound()) {
        TgrDesignRow::Set(id, value, kind);
        return;
    }
    switch (id) {
        // Record rows keep their geometry; the setters change nothing.
        case gpHeight:
        case gpDisplayPos:
        case gpVisible:
        case gpChanged: break;
        case gpSelected: DBGrid->SetDataRowSelected(DataRow, value.AsBoolean()); break;
        case gpParentFont: DBGrid->SetRowParentFont(DataRow, value.AsBoolean()); break;
        case gpButtonType: DBGrid->SetRowButtonType(DataRow, TgrButtonType(value.AsInteger())); break;
        default: DBGrid->SetRecordRowProp(DataRow, id, kind, value, id != gpDateTimeDef); break;
    }
}

TgrCombo* TgrDBRow::CreateCombo() { return DBGrid->CreateRowCombo(DataRow); }

bool TgrDBRow::GetKeepFontObject() const {
    if (!DBGrid->DataBound()) return DBGrid->GetRowKeepFontObject(DataRow.AsInteger());
    TgrDBRowElement* e = DBGrid->FindRowElement(DataRow);
    return e && e->KeepFontObject;
}

void TgrDBRow::SetKeepFontObject(bool value) {
    if (!DBGrid->DataBound()) {
        DBGrid->SetRowKeepFontObject(DataRow.AsInteger(), value);
        return;
    }
    TgrCustomPropElement* e = DBGrid->FindRowElement(DataRow);
    DBGrid->RecordRowProps().SetKeepFontObject(DBRowKey(DataRow), value, e);
}

void TgrDBRow::Assign(const TPersistent* source) {
    auto* s = dynamic_cast<const TgrDBRow*>(source);
    if (!s || !DBGrid->DataBound()) {
        TgrDesignRow::Assign(source);
        return;
    }
    if (s == this) return;
    static const TgrPropId plain[] = {gpColor,         gpAlign,        gpAlignment,     gpHorzAlignment,
                                      gpVertAlignment, gpIs3D,         gpReadOnlyFlag,  gpWordWrap,
                                      gpButtonType,    gpDropDownStyle, gpMaskName,     gpControlType,
                                      gpSpinOptions,   gpSpinIncrement, gpDateTimeDef,  gpSelected};
    for (TgrPropId id : plain) Set(id, s->Get(id));
    for (int k = pkStretchPicture; k <= pkKeepAspectRatio; ++k)
        Set(gpPicture, s->Get(gpPicture, TgrPictureKind(k)), TgrPictureKind(k));
    Set(gpCombo, s->Get(gpCombo));
    Set(gpParentCombo, s->Get(gpParentCombo));
    bool parentFont = s->Get(gpParentFont).AsBoolean();
    Set(gpParentFont, Variant(parentFont));
    if (!parentFont) Set(gpFont, s->Get(gpFont));
}

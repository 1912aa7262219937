// Row and cell properties of the data-aware grid by record: the accessors
// that take a DataRow, the lookups in front of the record stores, and the
// grid class's getters by window row answered for the record shown there,
// which is how the attributes set for a record reach painting, editing and
// the in-cell controls. Not bound, everything passes to the grid class with
// the DataRow as a row number.

#include "dbgrid/DBGrid.h"
#include "dbgrid/DBGridSelection.h"
#include "grid/GRGLib.h"
#include "grid/GridButtons.h"
#include "grid/GridCombo.h"
#include "platform/gui/Graphics.h"

namespace {

// The not-set answer of an attribute without a record.
Variant NotSet(TgrPropId id) { return id == gpPicture ? Variant(Byte(dopDefault)) : DefaultPropValue(id); }

// The last-lookup cache takes two DataRows with the same text for one
// record (the integer 12 and the text "12"); Null is a key of its own.
bool SameDataRowText(const Variant& a, const Variant& b) {
    if (a.IsNull() || b.IsNull()) return a.IsNull() && b.IsNull();
    return VarToStr(a) == VarToStr(b);
}

bool SameDataRow(const Variant& a, const Variant& b) {
    return a.IsString() == b.IsString() && a.IsNull() == b.IsNull() && CompareDataRowKeys(a, b) == 0;
}

void ScaleRecordElement(TgrCustomPropElement* e, Integer m, Integer d, TScalingFlags flags) {
    if ((flags & sfFont) && !e->ParentFont && e->Font) e->Font->SetSize(MulDiv(e->Font->Size(), m, d));
    if (TgrBaseGrid* list = e->Combo ? e->Combo->ComboGrid() : nullptr) list->ChangeScale(m, d);
}

}  // namespace

// ------------------------------------------------------------ rows by record

TgrDBRowElement* TgrCustomDBGrid::FindRowElement(const Variant& dataRow) {
    if (!rowLookupKey_.IsEmpty() && SameDataRowText(rowLookupKey_, dataRow)) return rowLookup_;
    if (!CheckDataRow(dataRow) || rowProps_.Count() == 0) return nullptr;
    rowLookup_ = rowProps_.FindRow(dataRow);
    rowLookupKey_ = dataRow;
    return rowLookup_;
}

void TgrCustomDBGrid::ClearRowPropertyCache() {
    rowLookupKey_ = Variant();
    rowLookup_ = nullptr;
}

bool TgrCustomDBGrid::HasWindowRowElement(Integer row) {
    if (!dataActive_ || row < 1 || row > window_->GetRowCount() || rowProps_.Count() == 0) return false;
    return FindRowElement(window_->GetRowDataRow(row)) != nullptr;
}

Variant TgrCustomDBGrid::RecordRowProp(const Variant& dataRow, TgrPropId id, TgrPictureKind kind) {
    if (!dataBound_) return TgrBaseGrid::GetRowProp(dataRow.AsInteger(), id, kind);
    TgrDBRowElement* e = FindRowElement(dataRow);
    return e ? e->GetValue(id, kind) : NotSet(id);
}

void TgrCustomDBGrid::SetRecordRowProp(const Variant& dataRow, TgrPropId id, TgrPictureKind kind,
                                       const Variant& value, bool repaint) {
    if (!dataBound_) {
        TgrBaseGrid::SetRowProp(dataRow.AsInteger(), id, kind, value);
        return;
    }
    TgrCustomPropElement* e = FindRowElement(dataRow);
    rowProps_.SetPropValue(DBRowKey(dataRow), repaint, kind, id, value, e);
}

void TgrCustomDBGrid::InvalidateDataRow(const Variant& dataRow, bool useIds, TgrPropId id) {
    if (IsDestroying()) return;
    Integer row = WindowPositionOfDataRow(dataRow, useIds);
    if (row < 1 || row > RowCount() - 1) return;
    Integer display = DisplayRowOfData(row);
    bool invalidated = true;
    if (IsDrawingProperty(id))
        invalidated = InvalidateRowUnlessPainting(display);
    else
        InvalidateRow(display);
    if (invalidated && display == CurrentDisplayRow()) ResetCellControl(true);
}

void TgrCustomDBGrid::SetRowParentFont(const Variant& dataRow, bool value) {
    if (!dataBound_) {
        TgrBaseGrid::SetRowParentFont(dataRow.AsInteger(), value);
        return;
    }
    if (GetRowParentFont(dataRow) == value) return;
    SetRecordRowProp(dataRow, gpParentFont, pkNoPicture, Variant(value), false);
    SetRowFont(dataRow, value ? nullptr : Font());
}

void TgrCustomDBGrid::SetRowButtonType(const Variant& dataRow, TgrButtonType value) {
    if (IsComboGrid()) return;
    SetRecordRowProp(dataRow, gpButtonType, pkNoPicture, Variant(Byte(value)));
}

Integer TgrCustomDBGrid::GetRowHeight(const Variant& r) {
    return dataBound_ ? DefaultRowHeight() : TgrBaseGrid::GetRowHeight(r.AsInteger());
}

void TgrCustomDBGrid::SetRowHeight(const Variant& r, Integer height) {
    if (!dataBound_) TgrBaseGrid::SetRowHeight(r.AsInteger(), height);
}

bool TgrCustomDBGrid::GetRowVisible(const Variant& r) {
    return dataBound_ || TgrBaseGrid::GetRowVisible(r.AsInteger());
}

void TgrCustomDBGrid::SetRowVisible(const Variant& r, bool visible) {
    if (!dataBound_) TgrBaseGrid::SetRowVisible(r.AsInteger(), visible);
}

Integer TgrCustomDBGrid::GetDisplayRow(const Variant& r) {
    if (!dataBound_) return TgrBaseGrid::GetDisplayRow(r.AsInteger());
    Integer row = WindowPositionOfDataRow(r);
    return row < 1 ? -1 : row;
}

void TgrCustomDBGrid::SetDisplayRow(const Variant& r, Integer position) {
    if (!dataBound_) TgrBaseGrid::SetDisplayRow(r.AsInteger(), position);
}

bool TgrCustomDBGrid::GetRowChanged(const Variant& r) {
    return !dataBound_ && TgrBaseGrid::GetRowChanged(r.AsInteger());
}

void TgrCustomDBGrid::SetRowChanged(const Variant& r, bool changed) {
    if (!dataBound_) TgrBaseGrid::SetRowChanged(r.AsInteger(), changed);
}

Integer TgrCustomDBGrid::GetRowId(const Variant& r) {
    return dataBound_ ? -1 : TgrBaseGrid::GetRowId(r.AsInteger());
}

TgrCombo* TgrCustomDBGrid::CreateRowCombo(const Variant& dataRow) {
    if (!dataBound_) {
        TgrRow* row = GridRows()->EnsureRow(dataRow.AsInteger());
        if (!row) return nullptr;
        row->CreateCombo();
        return row->Combo();
    }
    TgrCustomPropElement* e = FindRowElement(dataRow);
    if (!e) {
        e = rowProps_.CreateElement(DBRowKey(dataRow));
        rowProps_.AddElement(e);
    }
    e->CreateCombo();
    RollUpRecordRowCombo(dataRow);
    return e->Combo;
}

void TgrCustomDBGrid::RollUpRecordRowCombo(const Variant& dataRow) {
    Integer row = WindowPositionOfDataRow(dataRow);
    if (row >= 1 && row <= RowCount() - 1 && DisplayRowOfData(row) == CurrentDisplayRow() && DroppedCombo())
        RollUpCombo(false);
}

// ------------------------------------------------------------ cells by record

TgrDBCellElement* TgrCustomDBGrid::FindCellElement(Integer dataCol, const Variant& dataRow, bool check) {
    if (check && (!CheckColRowIndex(1, dataCol, Cols(), 1) || !CheckDataRow(dataRow))) return nullptr;
    if (cellProps_.Count() == 0) return nullptr;
    if (cellLookupValid_ && cellLookupCol_ == dataCol && SameDataRow(cellLookupRow_, dataRow)) return cellLookup_;
    cellLookup_ = cellProps_.FindCell(dataCol, dataRow);
    cellLookupCol_ = dataCol;
    cellLookupRow_ = dataRow;
    cellLookupValid_ = true;
    return cellLookup_;
}

TgrCustomPropElement* TgrCustomDBGrid::FindCellElement(Integer dataCol, Integer dataRow, bool checkIndexes) {
    if (!dataBound_ || dataRow < 1 || dataRow > Rows())
        return TgrBaseGrid::FindCellElement(dataCol, dataRow, checkIndexes);
    if (checkIndexes && !CheckColRowIndex(1, dataCol, Cols(), 1)) return nullptr;
    if (!dataActive_ || dataRow > window_->GetRowCount() || cellProps_.Count() == 0) return nullptr;
    return FindCellElement(dataCol, window_->GetRowDataRow(dataRow), false);
}

TgrCustomPropElement* TgrCustomDBGrid::CreateCellElement(Integer dataCol, Integer dataRow) {
    Variant record;
    if (!WindowRecordOfRow(dataRow, record)) return TgrBaseGrid::CreateCellElement(dataCol, dataRow);
    TgrCustomPropElement* e = cellProps_.CreateElement(DBCellKey(dataCol, record));
    cellProps_.AddElement(e);
    return e;
}

void TgrCustomDBGrid::ClearCellElementCache() {
    cellLookupValid_ = false;
    cellLookup_ = nullptr;
    TgrBaseGrid::ClearCellElementCache();
}

Variant TgrCustomDBGrid::RecordCellProp(Integer dataCol, const Variant& dataRow, TgrPropId id,
                                        TgrPictureKind kind) {
    if (!dataBound_) return TgrBaseGrid::GetCellProp(dataCol, dataRow.AsInteger(), id, kind);
    TgrDBCellElement* e = FindCellElement(dataCol, dataRow, false);
    return e ? e->GetValue(id, kind) : NotSet(id);
}

void TgrCustomDBGrid::SetRecordCellProp(Integer dataCol, const Variant& dataRow, TgrPropId id, TgrPictureKind kind,
                                        const Variant& value, bool repaint) {
    if (!dataBound_) {
        TgrBaseGrid::SetCellProp(dataCol, dataRow.AsInteger(), id, kind, value);
        return;
    }
    // With range errors off a key that fails the checks still gets its
    // record, as the grid class does.
    TgrCustomPropElement* e = FindCellElement(dataCol, dataRow, true);
    cellProps_.SetPropValue(DBCellKey(dataCol, dataRow), repaint, kind, id, value, e);
}

void TgrCustomDBGrid::SetCellParentFont(Integer dataCol, const Variant& dataRow, bool value) {
    if (!dataBound_) {
        TgrBaseGrid::SetCellParentFont(dataCol, dataRow.AsInteger(), value);
        return;
    }
    if (GetCellParentFont(dataCol, dataRow) == value) return;
    // The font the cell shows now, before its own record takes a part.
    TFont shown;
    if (!value) shown.Assign(*ResolveCellFont(DisplayColOfData(dataCol), dataRow));
    SetRecordCellProp(dataCol, dataRow, gpParentFont, pkNoPicture, Variant(value));
    SetCellFont(dataCol, dataRow, value ? nullptr : &shown);
}

void TgrCustomDBGrid::SetCellButtonType(Integer dataCol, const Variant& dataRow, TgrButtonType value) {
    if (IsComboGrid()) return;
    SetRecordCellProp(dataCol, dataRow, gpButtonType, pkNoPicture, Variant(Byte(value)));
    if (value == btCombo) EnsureCombo();
}

void TgrCustomDBGrid::SetCellCombo(Integer dataCol, const Variant& dataRow, const TgrCombo* value) {
    if (IsComboGrid()) return;
    if (!dataBound_) {
        TgrBaseGrid::SetCellCombo(dataCol, dataRow.AsInteger(), value);
        return;
    }
    SetRecordCellProp(dataCol, dataRow, gpCombo, pkNoPicture, ObjectToVariant(value));
}

TgrCombo* TgrCustomDBGrid::CreateCellCombo(Integer dataCol, const Variant& dataRow) {
    if (!dataBound_) return TgrBaseGrid::CreateCellCombo(dataCol, dataRow.AsInteger());
    TgrCustomPropElement* e = FindCellElement(dataCol, dataRow, true);
    if (!e) {
        e = cellProps_.CreateElement(DBCellKey(dataCol, dataRow));
        cellProps_.AddElement(e);
    }
    e->CreateCombo();
    RollUpRecordCellCombo(dataCol, dataRow);
    return e->Combo;
}

void TgrCustomDBGrid::RollUpRecordCellCombo(Integer dataCol, const Variant& dataRow) {
    Integer row = WindowPositionOfDataRow(dataRow);
    if (row < 1 || row > RowCount() - 1 || !DroppedCombo()) return;
    if (DisplayColOfData(dataCol) == CurrentDisplayCol() && DisplayRowOfData(row) == CurrentDisplayRow())
        RollUpCombo(false);
}

// ------------------------------------------------------------ effective by record

TFont* TgrCustomDBGrid::ResolveCellFont(Integer displayCol, const Variant& dataRow) {
    Integer dataCol = DataColOfDisplay(displayCol);
    if (!dataBound_) return EffectiveCellFont(dataCol, dataRow.AsInteger());
    if (TgrDBCellElement* e = FindCellElement(dataCol, dataRow, false); e && !e->ParentFont && e->Font)
        return e->Font;
    TgrCol* col = Col(dataCol);
    TFont* colFont = col && !col->ParentFont() ? col->OwnFont() : nullptr;
    TgrDBRowElement* row = FindRowElement(dataRow);
    TFont* rowFont = row && !row->ParentFont ? row->Font : nullptr;
    TFont* first = DrawOverlap() == doDrawColOnTop ? colFont : rowFont;
    TFont* second = DrawOverlap() == doDrawColOnTop ? rowFont : colFont;
    return first ? first : second ? second : Font();
}

TColor TgrCustomDBGrid::RecordCellColor(Integer dataCol, const Variant& dataRow) {
    TColor cell = GetCellColor(dataCol, dataRow);
    if ((cell != grColorNotSet)) return cell;
    TColor row = GetRowColor(dataRow);
    TgrCol* col = Col(dataCol);
    TColor column = col ? col->Color() : grColorNotSet;
    TColor first = DrawOverlap() == doDrawRowOnTop ? row : column;
    TColor second = DrawOverlap() == doDrawRowOnTop ? column : row;
    if (first != grColorNotSet) return first;
    if (second != grColorNotSet) return second;
    return Color();
}

// ------------------------------------------------------------ reset and scale

void TgrCustomDBGrid::ResetRowProperties(const TgrPropIdSet& ids) {
    if (!dataBound_) {
        TgrBaseGrid::ResetRowProperties(ids);
        return;
    }
    if (ids.Empty()) return;
    LockUpdate();
    try {
        // Deselecting reaches every record, shown or not.
        if (ids.Contains(gpSelected) && !selection_->Empty()) {
            selection_->Clear();
            MarkSelectChanged(0);
            Invalidate();
        }
        rowProps_.ResetProperties(ids, true);
    } catch (...) {
        UnlockUpdate();
        throw;
    }
    UnlockUpdate();
}

void TgrCustomDBGrid::ResetCellProperties(const TgrPropIdSet& ids) {
    if (!dataBound_) {
        TgrBaseGrid::ResetCellProperties(ids);
        return;
    }
    if (ids.Empty()) return;
    LockUpdate();
    try {
        cellProps_.ResetProperties(ids, true);
    } catch (...) {
        UnlockUpdate();
        throw;
    }
    UnlockUpdate();
}

void TgrCustomDBGrid::ScaleRows(Integer m, Integer d, TScalingFlags flags) {
    if (!dataBound_) {
        TgrBaseGrid::ScaleRows(m, d, flags);
        return;
    }
    if (m == d || d == 0) return;
    // Record rows have no heights of their own: the default is all.
    if (flags & sfHeight) SetDefaultRowHeight(MulDiv(DefaultRowHeight(), m, d));
    for (TgrDBRowElement* e : rowProps_.Records()) ScaleRecordElement(e, m, d, flags);
}

void TgrCustomDBGrid::ScaleCells(Integer m, Integer d, TScalingFlags flags) {
    if (!dataBound_) {
        TgrBaseGrid::ScaleCells(m, d, flags);
        return;
    }
    if (m == d || d == 0) return;
    for (TgrDBCellElement* e : cellProps_.Records()) ScaleRecordElement(e, m, d, flags);
}

// ------------------------------------------------------------ by window row

// The record row of a window row; none without active data.
#define DB_ROW_GETTER(Type, Name, expr, none)                                                 \
    Type TgrCustomDBGrid::Name(Integer dataRow) {                                             \
        if (!dataBound_ || dataRow < 1 || dataRow > Rows()) return TgrBaseGrid::Name(dataRow); \
        TgrDBRowElement* e = HasWindowRowElement(dataRow) ? rowLookup_ : nullptr;             \
        return e ? (expr) : (none);                                                           \
    }
DB_ROW_GETTER(TColor, GetRowColor, e->Color, grColorNotSet)
DB_ROW_GETTER(TFont*, GetRowFont, e->Font, nullptr)
DB_ROW_GETTER(bool, GetRowParentFont, e->ParentFont, true)
DB_ROW_GETTER(TgrHorzAlignment, GetRowHorzAlignment, TgrHorzAlignment(e->HorzAlignment), htaDefault)
DB_ROW_GETTER(TgrVertAlignment, GetRowVertAlignment, TgrVertAlignment(e->VertAlignment), vtaDefault)
DB_ROW_GETTER(TgrWordWrap, GetRowWordWrap, TgrWordWrap(e->WordWrap), wwDefault)
DB_ROW_GETTER(TgrButtonType, GetRowButtonType, TgrButtonType(e->ButtonType), btDefault)
DB_ROW_GETTER(TgrDropDownStyle, GetRowDropDownStyle, e->GetDropDownStyle(), ddDropDown)
DB_ROW_GETTER(bool, GetRowIs3D, e->Is3D, false)
DB_ROW_GETTER(std::string, GetRowMaskName, e->MaskName, std::string())
DB_ROW_GETTER(TgrControlType, GetRowControlType, TgrControlType(e->ControlType), ctDefault)
DB_ROW_GETTER(TgrSpinOptions, GetRowSpinOptions, e->SpinOptions, grAllSpinOptions)
DB_ROW_GETTER(double, GetRowSpinIncrement, e->SpinIncrement, 1.0)
DB_ROW_GETTER(TgrCombo*, GetRowCombo, e->Combo, nullptr)
DB_ROW_GETTER(bool, GetRowParentCombo, e->ParentCombo, true)
DB_ROW_GETTER(TgrDateTimeDefComponent*, GetRowDateTimeDef, e->DateTimeDef, nullptr)
DB_ROW_GETTER(bool, IsRowReadOnly, e->ReadOnlyFlag, false)
#undef DB_ROW_GETTER

TgrDrawOption TgrCustomDBGrid::GetRowPicture(Integer dataRow, TgrPictureKind kind) {
    if (!dataBound_ || dataRow < 1 || dataRow > Rows()) return TgrBaseGrid::GetRowPicture(dataRow, kind);
    return HasWindowRowElement(dataRow) ? TgrDrawOption(rowLookup_->GetValue(gpPicture, kind).AsInteger())
                                        : dopDefault;
}

bool TgrCustomDBGrid::IsRowVisible(Integer dataRow) {
    if (!dataBound_ || dataRow < 1 || dataRow > Rows()) return TgrBaseGrid::IsRowVisible(dataRow);
    return true;
}

Integer TgrCustomDBGrid::GetRowHeight(Integer dataRow) {
    if (!dataBound_ || dataRow < 1 || dataRow > Rows()) return TgrBaseGrid::GetRowHeight(dataRow);
    return DefaultRowHeight();
}

Variant TgrCustomDBGrid::GetRowProp(Integer dataRow, TgrPropId id, TgrPictureKind kind) {
    if (!dataBound_ || dataRow < 1 || dataRow > Rows()) return TgrBaseGrid::GetRowProp(dataRow, id, kind);
    switch (id) {
        case gpDisplayPos:
        case gpChanged:
        case gpSelected: return TgrBaseGrid::GetRowProp(dataRow, id, kind);
        case gpHeight: return Variant(DefaultRowHeight());
        case gpVisible: return Variant(true);
        default: break;
    }
    return HasWindowRowElement(dataRow) ? rowLookup_->GetValue(id, kind) : NotSet(id);
}

Variant TgrCustomDBGrid::GetCellProp(Integer dataCol, Integer dataRow, TgrPropId id, TgrPictureKind kind) {
    if (!dataBound_ || dataRow < 1 || dataRow > Rows()) return TgrBaseGrid::GetCellProp(dataCol, dataRow, id, kind);
    CheckNotInCellLoaded();
    TgrCustomPropElement* e = FindCellElement(dataCol, dataRow, false);
    return e ? e->GetValue(id, kind) : NotSet(id);
}

void TgrCustomDBGrid::ResetRecordProperties(const Variant& dataRow) {
    const TgrPropIdSet all = TgrPropIdSet::All();
    for (TgrDBRowElement* e : rowProps_.Records()) {
        if (CompareRecordKeys(e->DataRow, dataRow) != 0) continue;
        TgrCustomPropElement* element = e;
        rowProps_.ResetElementProperties(element, all, true);
    }
    for (TgrDBCellElement* e : cellProps_.Records()) {
        if (CompareRecordKeys(e->DataRow, dataRow) != 0) continue;
        TgrCustomPropElement* element = e;
        cellProps_.ResetElementProperties(element, all, true);
    }
}

// ------------------------------------------------------------ masks and text

void TgrCustomDBGrid::CellMaskChanged(Integer dataCol, const Variant& dataRow) {
    if (!dataBound_) {
        TgrBaseGrid::CellMaskChanged(dataCol, dataRow);
        return;
    }
    if (IsDestroying() || dataCol < 0 || dataCol > ColCount() - 1 || dataCol != CurrentDataCol()) return;
    if (CompareRecordIdentities(GetCurrentDataRow(), dataRow) == 0) ApplyEditorMask();
}

TgrWordWrap TgrCustomDBGrid::ResolveCellWordWrap(Integer displayCol, const Variant& dataRow) {
    Integer dataCol = DataColOfDisplay(displayCol);
    if (!dataBound_) return EffectiveWordWrap(dataCol, dataRow.AsInteger());
    TgrWordWrap cell = GetCellWordWrap(dataCol, dataRow);
    if (cell != wwDefault) return cell;
    TgrCol* col = Col(dataCol);
    TgrWordWrap colValue = col ? col->WordWrap() : wwDefault, rowValue = GetRowWordWrap(dataRow);
    TgrWordWrap first = DrawOverlap() == doDrawColOnTop ? colValue : rowValue;
    TgrWordWrap second = DrawOverlap() == doDrawColOnTop ? rowValue : colValue;
    return first != wwDefault ? first : second != wwDefault ? second : WordWrap();
}

TgrButtonType TgrCustomDBGrid::ResolveCellButtonType(Integer displayCol, const Variant& dataRow,
                                                     TgrDropDownStyle& style) {
    Integer dataCol = DataColOfDisplay(displayCol);
    style = ddDropDown;
    if (!dataBound_) return ResolveButtonType(dataCol, dataRow.AsInteger(), style);
    if (!ReadOnlyButton() && !IsRecordCellEditable(dataCol, dataRow)) return btNone;
    if (TgrButtonType cell = GetCellButtonType(dataCol, dataRow); cell != btDefault) {
        style = GetCellDropDownStyle(dataCol, dataRow);
        return cell;
    }
    return LevelButtonType(Col(dataCol), GetRowButtonType(dataRow), GetRowDropDownStyle(dataRow), style);
}

void TgrCustomDBGrid::GetRecordCellTextSize(Integer dataCol, const Variant& dataRow, Integer& height,
                                            Integer& lines) {
    if (!dataBound_) {
        TgrBaseGrid::GetCellTextHeight(dataCol, dataRow.AsInteger(), height, lines);
        return;
    }
    if (!CheckColRowIndex(1, dataCol, Cols(), 1) || !CheckDataRow(dataRow)) return;
    height = 0;
    lines = 0;
    if (!dataActive_) return;
    // A record on screen is measured as the grid class measures its rows.
    if (Integer row = WindowPositionOfDataRow(dataRow); row >= 1) {
        GetCellTextHeight(dataCol, row, height, lines);
        return;
    }
    CheckNotInCellLoaded();
    Variant record;
    Variant value = ReadRecordCellValueAndDataRow(dataCol, dataRow, record);
    if (!value.IsString() || ResolveCellControlType(dataCol, record) != ctText) return;
    Integer displayCol = DisplayColOfData(dataCol);
    TgrDropDownStyle style;
    TgrButtonType button = ResolveCellButtonType(displayCol, record, style);
    Integer width = Col(dataCol)->Width() - VertLineWidth() - 3;
    if (button != btNone)
        if (TgrCustomButton* b = GetCellButton(displayCol, button)) width -= b->TotalWidth();
    CalcTextHeight(dataCol, width, height, lines, ResolveCellWordWrap(displayCol, record),
                   ResolveCellAlignment(displayCol, record), *ResolveCellFont(displayCol, record), value.AsString());
}

Integer TgrCustomDBGrid::GetRecordCellTextHeight(Integer dataCol, const Variant& dataRow) {
    Integer height = 0, lines = 0;
    GetRecordCellTextSize(dataCol, dataRow, height, lines);
    return height;
}

Integer TgrCustomDBGrid::GetRecordCellTextLines(Integer dataCol, const Variant& dataRow) {
    Integer height = 0, lines = 0;
    GetRecordCellTextSize(dataCol, dataRow, height, lines);
    return lines;
}

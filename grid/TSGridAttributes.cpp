// The attribute that actually applies to one cell. Every attribute can be
// set on the cell, its row, its column and the grid; the cell is asked
// first, then row and column in DrawOverlap order, then the grid. Fixed
// cells (data column 0 or data row 0) follow the heading rules. Resolution
// runs for every painted cell, so it allocates nothing. The row level is
// read through the virtual row getters and the cell level through
// FindCellElement, so the data-aware grid answers both for the record a
// row shows.

#include "grid/GRGLib.h"
#include "grid/TSGrid.h"

namespace {

// The row object of a data row, or none.
TgrRow* RowObject(TgrGridRows* rows, Integer dataRow) {
    return rows && dataRow >= 0 && dataRow < rows->Count() ? rows->GetRow(dataRow) : nullptr;
}

}  // namespace

// The cell's own property record; most cells have none, and the lookup
// builds a key, so an empty set answers at once.
TgrCellElement* TgrBaseGrid::CachedCellRecord(Integer dataCol, Integer dataRow) {
    if (cellProps_->Count() == 0) return nullptr;
    // One-entry cache: painting asks for the same cell once per attribute.
    // Adding, removing or re-keying a record marks it invalid.
    if (!cellCacheInvalid_ && cachedCellCol_ == dataCol && cachedCellRow_ == dataRow) return cachedCell_;
    cachedCell_ = cellProps_->FindCell(dataCol, dataRow);
    cachedCellCol_ = dataCol;
    cachedCellRow_ = dataRow;
    cellCacheInvalid_ = false;
    return cachedCell_;
}

bool TgrBaseGrid::EffectiveIs3D(Integer dataCol, Integer dataRow) {
    if (dataCol < 1 || dataRow < 1) return heading3D_;
    if (is3D_) return true;
    TgrCol* col = gridCols_->ColAt(dataCol);
    if ((col && col->Is3D()) || GetRowIs3D(dataRow)) return true;
    TgrCustomPropElement* e = CellRecord(dataCol, dataRow);
    return e && e->Is3D;
}

TColor TgrBaseGrid::EffectiveCellColor(Integer dataCol, Integer dataRow, bool is3D) {
    if (dataCol < 1 || dataRow < 1) {
        if (dataCol >= 1)
            if (TgrCol* col = gridCols_->ColAt(dataCol); col && col->HeadingColor() != grColorNotSet)
                return col->HeadingColor();
        return headingColor_;
    }
    if (TgrCustomPropElement* e = CellRecord(dataCol, dataRow); e && e->Color != grColorNotSet) return e->Color;
    TgrColRowBase* col = gridCols_->ColAt(dataCol);
    TColor colValue = col ? col->Color() : grColorNotSet, rowValue = GetRowColor(dataRow);
    TColor first = drawOverlap_ == doDrawColOnTop ? colValue : rowValue;
    TColor second = drawOverlap_ == doDrawColOnTop ? rowValue : colValue;
    if (first != grColorNotSet) return first;
    if (second != grColorNotSet) return second;
    TColor grid = Color();
    // Raised cells on a window-coloured grid take the button face.
    if (is3D && (grid == grColorNotSet || grid == clWindow)) return clBtnFace;
    return grid;
}

TFont* TgrBaseGrid::EffectiveHeadingFont(Integer dataCol) {
    if (TgrCol* col = gridCols_->ColAt(dataCol))
        if (TFont* f = col->OwnHeadingFont()) return f;
    return HeadingFont();
}

TFont* TgrBaseGrid::EffectiveCellFont(Integer dataCol, Integer dataRow) {
    if (dataCol < 1 || dataRow < 1) return EffectiveHeadingFont(dataCol);
    if (TgrCustomPropElement* e = CellRecord(dataCol, dataRow); e && !e->ParentFont && e->Font) return e->Font;
    TgrColRowBase* col = gridCols_->ColAt(dataCol);
    TFont* colFont = col && !col->ParentFont() ? col->OwnFont() : nullptr;
    TFont* rowFont = GetRowParentFont(dataRow) ? nullptr : GetRowFont(dataRow);
    TFont* first = drawOverlap_ == doDrawColOnTop ? colFont : rowFont;
    TFont* second = drawOverlap_ == doDrawColOnTop ? rowFont : colFont;
    if (first) return first;
    if (second) return second;
    return Font();
}

TgrHorzAlignment TgrBaseGrid::EffectiveHeadingHorzAlignment(Integer dataCol) {
    if (TgrCol* col = gridCols_->ColAt(dataCol); col && col->HeadingHorzAlignment() != htaDefault)
        return col->HeadingHorzAlignment();
    if (headingHorzAlignment_ != htaDefault) return headingHorzAlignment_;
    return horzAlignment_ != htaDefault ? horzAlignment_ : htaLeft;
}

TgrVertAlignment TgrBaseGrid::EffectiveHeadingVertAlignment(Integer dataCol) {
    if (TgrCol* col = gridCols_->ColAt(dataCol); col && col->HeadingVertAlignment() != vtaDefault)
        return col->HeadingVertAlignment();
    if (headingVertAlignment_ != vtaDefault) return headingVertAlignment_;
    return vertAlignment_ != vtaDefault ? vertAlignment_ : vtaTop;
}

TgrWordWrap TgrBaseGrid::EffectiveHeadingWordWrap(Integer dataCol) {
    if (TgrCol* col = gridCols_->ColAt(dataCol); col && col->HeadingWordWrap() != wwDefault)
        return col->HeadingWordWrap();
    return headingWordWrap_;
}

TgrHorzAlignment TgrBaseGrid::EffectiveHorzAlignment(Integer dataCol, Integer dataRow) {
    if (dataCol < 1 || dataRow < 1) return EffectiveHeadingHorzAlignment(dataCol);
    if (TgrCustomPropElement* e = CellRecord(dataCol, dataRow); e && TgrHorzAlignment(e->HorzAlignment) != htaDefault)
        return TgrHorzAlignment(e->HorzAlignment);
    TgrCol* col = gridCols_->ColAt(dataCol);
    TgrHorzAlignment colValue = col ? col->GetHorzAlignment() : htaDefault;
    TgrHorzAlignment rowValue = GetRowHorzAlignment(dataRow);
    TgrHorzAlignment first = drawOverlap_ == doDrawColOnTop ? colValue : rowValue;
    TgrHorzAlignment second = drawOverlap_ == doDrawColOnTop ? rowValue : colValue;
    if (first != htaDefault) return first;
    if (second != htaDefault) return second;
    // A legacy column alignment from an old form file still counts.
    if (col && (col->GetAlignment() == taRightJustify || col->GetAlignment() == taCenter))
        return AlignmentToHorzAlignment(col->GetAlignment(), true);
    return horzAlignment_ != htaDefault ? horzAlignment_ : htaLeft;
}

TgrVertAlignment TgrBaseGrid::EffectiveVertAlignment(Integer dataCol, Integer dataRow) {
    if (dataCol < 1 || dataRow < 1) return EffectiveHeadingVertAlignment(dataCol);
    if (TgrCustomPropElement* e = CellRecord(dataCol, dataRow); e && TgrVertAlignment(e->VertAlignment) != vtaDefault)
        return TgrVertAlignment(e->VertAlignment);
    TgrColRowBase* col = gridCols_->ColAt(dataCol);
    TgrVertAlignment colValue = col ? col->VertAlignment() : vtaDefault, rowValue = GetRowVertAlignment(dataRow);
    TgrVertAlignment first = drawOverlap_ == doDrawColOnTop ? colValue : rowValue;
    TgrVertAlignment second = drawOverlap_ == doDrawColOnTop ? rowValue : colValue;
    if (first != vtaDefault) return first;
    if (second != vtaDefault) return second;
    return vertAlignment_ != vtaDefault ? vertAlignment_ : vtaTop;
}

TgrWordWrap TgrBaseGrid::EffectiveWordWrap(Integer dataCol, Integer dataRow) {
    if (dataCol < 1 || dataRow < 1) return EffectiveHeadingWordWrap(dataCol);
    if (TgrCustomPropElement* e = CellRecord(dataCol, dataRow); e && TgrWordWrap(e->WordWrap) != wwDefault)
        return TgrWordWrap(e->WordWrap);
    TgrColRowBase* col = gridCols_->ColAt(dataCol);
    TgrWordWrap colValue = col ? col->WordWrap() : wwDefault, rowValue = GetRowWordWrap(dataRow);
    TgrWordWrap first = drawOverlap_ == doDrawColOnTop ? colValue : rowValue;
    TgrWordWrap second = drawOverlap_ == doDrawColOnTop ? rowValue : colValue;
    if (first != wwDefault) return first;
    if (second != wwDefault) return second;
    return wordWrap_;
}

std::string TgrBaseGrid::EffectiveCheckBoxValues(Integer dataCol) {
    std::string values = GetColCheckBoxValues(dataCol);
    return values.empty() ? checkBoxValues_ : values;
}

bool TgrBaseGrid::IsCellReadOnly(Integer dataCol, Integer dataRow) {
    TgrCol* col = gridCols_->ColAt(dataCol);
    TgrRow* row = RowObject(gridRows_.get(), dataRow);
    if ((col && !col->Visible()) || (row && !row->Visible())) return true;
    if (IsDesigning() && storeData_) return false;
    if (TgrCustomPropElement* e = CellRecord(dataCol, dataRow)) {
        if (TgrReadOnly(e->ReadOnly) == roOn) return true;
        if (TgrReadOnly(e->ReadOnly) == roOff) return false;
    }
    return (col && col->GetReadOnly()) || (row && row->ReadOnly());
}

TgrButtonType TgrBaseGrid::ResolveButtonType(Integer dataCol, Integer dataRow, TgrDropDownStyle& style) {
    style = ddDropDown;
    if (dataCol < 1 || dataRow < 1 || dataRow >= RowTotal()) return btNone;
    if (!readOnlyButton_ && IsCellReadOnly(dataCol, dataRow)) return btNone;
    if (TgrCustomPropElement* e = CellRecord(dataCol, dataRow); e && TgrButtonType(e->ButtonType) != btDefault) {
        style = e->GetDropDownStyle();
        return TgrButtonType(e->ButtonType);
    }
    return LevelButtonType(gridCols_->ColAt(dataCol), GetRowButtonType(dataRow), GetRowDropDownStyle(dataRow), style);
}

TgrButtonType TgrBaseGrid::LevelButtonType(TgrCol* col, TgrButtonType rowType, TgrDropDownStyle rowStyle,
                                           TgrDropDownStyle& style) {
    TgrButtonType colType = col ? col->ButtonType() : btDefault;
    bool colFirst = drawOverlap_ == doDrawColOnTop;
    for (bool colLevel : {colFirst, !colFirst}) {
        TgrButtonType t = colLevel ? colType : rowType;
        if (t == btDefault) continue;
        style = colLevel ? col->GetDropDownStyle() : rowStyle;
        return t;
    }
    style = ddDropDown;
    return btNone;
}

std::string TgrBaseGrid::EffectiveMaskName(Integer dataCol, Integer dataRow) {
    if (dataCol < 1 || dataRow < 1 || dataRow > Rows()) return {};
    if (TgrCustomPropElement* e = CellRecord(dataCol, dataRow); e && !e->MaskName.empty()) return e->MaskName;
    TgrColRowBase* col = gridCols_->ColAt(dataCol);
    std::string colValue = col ? col->MaskName() : std::string(), rowValue = GetRowMaskName(dataRow);
    if (drawOverlap_ == doDrawColOnTop) return colValue.empty() ? rowValue : colValue;
    return rowValue.empty() ? colValue : rowValue;
}

// ------------------------------------------------------------ spin and pictures

bool TgrBaseGrid::IsDataCellIndex(Integer dataCol, Integer dataRow) const {
    return dataCol >= 1 && dataCol <= Cols() && dataRow >= 1 && dataRow < RowTotal();
}

// The spin settings belong to the level that gives the cell its spin
// button; a level whose own button is no spin passes the question on even
// when another level's button wins the cell.
bool TgrBaseGrid::SpinLevel(Integer dataCol, Integer dataRow, TgrSpinOptions& options, double& increment) {
    options = 0;
    increment = 0;
    if (!IsDataCellIndex(dataCol, dataRow)) return false;
    if (TgrCustomPropElement* e = CellRecord(dataCol, dataRow); e && IsSpinButtonType(TgrButtonType(e->ButtonType))) {
        options = e->SpinOptions;
        increment = e->SpinIncrement;
        return true;
    }
    TgrColRowBase* col = gridCols_->ColAt(dataCol);
    for (bool colLevel : {drawOverlap_ == doDrawColOnTop, drawOverlap_ != doDrawColOnTop}) {
        if (colLevel && col && IsSpinButtonType(col->ButtonType())) {
            options = col->SpinOptions();
            increment = col->SpinIncrement();
            return true;
        }
        if (!colLevel && IsSpinButtonType(GetRowButtonType(dataRow))) {
            options = GetRowSpinOptions(dataRow);
            increment = GetRowSpinIncrement(dataRow);
            return true;
        }
    }
    return false;
}

TgrSpinOptions TgrBaseGrid::EffectiveSpinOptions(Integer dataCol, Integer dataRow) {
    TgrSpinOptions options;
    double increment;
    SpinLevel(dataCol, dataRow, options, increment);
    return options;
}

double TgrBaseGrid::EffectiveSpinIncrement(Integer dataCol, Integer dataRow) {
    TgrSpinOptions options;
    double increment;
    SpinLevel(dataCol, dataRow, options, increment);
    return increment;
}

TgrDrawOption TgrBaseGrid::EffectivePictureOption(Integer dataCol, Integer dataRow, TgrPictureKind kind) {
    if (dataCol < 1 || dataRow < 1 || kind < pkStretchPicture || kind > pkKeepAspectRatio) return dopDefault;
    if (TgrCustomPropElement* e = CellRecord(dataCol, dataRow)) {
        Byte own = kind == pkStretchPicture  ? e->StretchPicture
                   : kind == pkShrinkPicture ? e->ShrinkPicture
                   : kind == pkCenterPicture ? e->CenterPicture
                                             : e->KeepAspectRatio;
        if (TgrDrawOption(own) != dopDefault) return TgrDrawOption(own);
    }
    TgrColRowBase* col = gridCols_->ColAt(dataCol);
    TgrDrawOption colValue = col ? col->GetPicture(kind) : dopDefault, rowValue = GetRowPicture(dataRow, kind);
    if (drawOverlap_ == doDrawColOnTop) return colValue != dopDefault ? colValue : rowValue;
    return rowValue != dopDefault ? rowValue : colValue;
}

TgrPictureOptions TgrBaseGrid::EffectivePictureOptions(Integer dataCol, Integer dataRow) {
    TgrPictureOptions p;
    // The current cell's edit value keeps the options it was loaded with.
    if (currentCell_ && dataCol == curDataCol_ && dataRow == curDataRow_ &&
        currentCell_->HasValueFor(dataCol, dataRow)) {
        p.Stretch = currentCell_->GetStretchPicture();
        p.Shrink = currentCell_->GetShrinkPicture();
        p.Center = currentCell_->GetCenterPicture();
        p.KeepAspectRatio = currentCell_->GetKeepAspectRatio();
        return p;
    }
    // The grid's Boolean applies where no level decides.
    auto pick = [&](TgrPictureKind kind, bool grid) {
        TgrDrawOption o = EffectivePictureOption(dataCol, dataRow, kind);
        return o == dopDefault ? grid : o == dopOn;
    };
    p.Stretch = pick(pkStretchPicture, stretchPicture_);
    p.Shrink = pick(pkShrinkPicture, shrinkPicture_);
    p.Center = pick(pkCenterPicture, centerPicture_);
    p.KeepAspectRatio = pick(pkKeepAspectRatio, keepAspectRatio_);
    return p;
}

// ------------------------------------------------------------ derived forms

TAlignment TgrBaseGrid::EffectiveAlignment(Integer dataCol, Integer dataRow) {
    return HorzAlignmentToAlignment(EffectiveHorzAlignment(dataCol, dataRow));
}

TgrButtonType TgrBaseGrid::EffectiveButtonType(Integer dataCol, Integer dataRow) {
    TgrDropDownStyle style;
    return ResolveButtonType(dataCol, dataRow, style);
}

TgrDropDownStyle TgrBaseGrid::EffectiveDropDownStyle(Integer dataCol, Integer dataRow) {
    TgrDropDownStyle style;
    ResolveButtonType(dataCol, dataRow, style);
    return style;
}

TgrControlType TgrBaseGrid::GetCellEffectiveControlType(Integer dataCol, const Variant& dataRow) {
    Integer row = dataRow.AsInteger();
    CheckColRowIndex(1, dataCol, Cols(), 1);
    CheckColRowIndex(0, row, RowTotal() - 1, 1);
    return EffectiveControlType(dataCol, row);
}

TgrCombo* TgrBaseGrid::GetCellEffectiveCombo(Integer dataCol, const Variant& dataRow) {
    Integer row = dataRow.AsInteger();
    CheckColRowIndex(1, dataCol, Cols(), 1);
    CheckColRowIndex(0, row, RowTotal() - 1, 1);
    return EffectiveCombo(dataCol, row);
}

std::string TgrBaseGrid::GetColCheckBoxValues(Integer dataCol) {
    TgrCol* col = gridCols_->ColAt(dataCol);
    if (!col || !col->UsesCheckBoxValues()) return {};
    return col->CheckBoxValues().empty() ? checkBoxValues_ : col->CheckBoxValues();
}

std::string TgrBaseGrid::GetCurrentMaskName() { return EffectiveMaskName(curDataCol_, curDataRow_); }

std::string TgrBaseGrid::GetCurrentCheckBoxValues() { return EffectiveCheckBoxValues(curDataCol_); }

bool TgrBaseGrid::IsCurrentCellReadOnly() {
    return IsDataCellIndex(curDataCol_, curDataRow_) && IsCellReadOnly(curDataCol_, curDataRow_);
}

bool TgrBaseGrid::IsCurrentCellSelected() { return IsDisplayCellSelected(curDisplayCol_, curDisplayRow_); }

bool TgrBaseGrid::IsCurrentRowSelected() {
    return curDisplayRow_ >= 1 && curDisplayRow_ < RowTotal() && rowSelection_->IsSelected(curDisplayRow_);
}

void TgrBaseGrid::SelectCurrentRow() {
    if (curDisplayRow_ >= 1 && curDisplayRow_ < RowTotal() && !IsCurrentRowSelected())
        SelectDisplayRows(curDisplayRow_, curDisplayRow_);
}

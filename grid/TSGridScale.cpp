// Scaling the grid class with its control (a form stored at another
// PixelsPerInch than the screen's): with AutoScale the heading, the row
// bar, the default sizes, every column, row and cell with an own font, and
// the drop-down grids of their combos follow; and a grid on a form read from
// its stored definition is read by the grid's own form-file reader.

#include "grid/GridCombo.h"
#include "grid/GridForm.h"
#include "grid/TSGrid.h"
#include "platform/gui/FormFile.h"

namespace {

void ScaleOwnFont(TFont* font, bool parentFont, Integer m, Integer d) {
    if (!parentFont && font) font->SetSize(MulDiv(font->Size(), m, d));
}

void ScaleComboGrid(TgrCombo* combo, Integer m, Integer d) {
    if (TgrBaseGrid* list = combo ? combo->ComboGrid() : nullptr) list->ChangeScale(m, d);
}

// A grid stored on a form is read by the grid's form-file reader.
[[maybe_unused]] const bool kGridReaderRegistered = [] {
    RegisterFormComponentReader([](TReader& reader, TComponent& component) {
        auto* grid = dynamic_cast<TgrBaseGrid*>(&component);
        if (!grid) return false;
        ReadGridComponent(reader, *grid);
        return true;
    });
    return true;
}();

}  // namespace

void TgrBaseGrid::ChangeScale(int m, int d) {
    TCustomGrid_ts::ChangeScale(m, d);
    if (m == d || d == 0 || !GetAutoScale()) return;
    if (!headingParentFont_) headingFont_->SetSize(MulDiv(headingFont_->Size(), m, d));
    SetHeadingHeight(MulDiv(headingHeight_, m, d));
    if (!IsDesigning()) comboRowHeight_ = MulDiv(comboRowHeight_, m, d);
    SetRowBarWidth(MulDiv(rowBarWidth_, m, d));
    const TScalingFlags all = sfWidth | sfHeight | sfFont;
    ScaleCols(m, d, all);
    ScaleRows(m, d, all);
    ScaleCells(m, d, all);
    ResetCellControl(true);
}

void TgrBaseGrid::ScaleRows(Integer m, Integer d, TScalingFlags flags) {
    if (m == d || d == 0) return;
    // A new default drops every row's size entry; rows with an object of
    // their own put theirs back below.
    if (flags & sfHeight) {
        // The rows are scaled from their own heights below, not made to
        // follow the new default.
        TgrFlagRaised setting(settingRowHeight_);
        SetDefaultRowHeight(MulDiv(DefaultRowHeight(), m, d));
    }
    for (Integer dataRow = 1; dataRow < gridRows_->Count(); ++dataRow) {
        TgrRow* row = gridRows_->GetRow(dataRow);
        if (!row) continue;
        if (flags & sfHeight) {
            row->SetHeight(MulDiv(row->Height(), m, d));
            Integer display = row->GetDisplayRow();
            Integer shown = row->Visible() ? row->Height() : 0;
            if (display > 0 && DisplayRowHeight(display) != shown) SetRowHeightEntry(display, shown);
        }
        if (flags & sfFont) ScaleOwnFont(row->OwnFont(), row->ParentFont(), m, d);
        ScaleComboGrid(row->Combo(), m, d);
    }
    if (flags & sfHeight) NotifyRowHeightsChanged();
}

void TgrBaseGrid::ScaleCols(Integer m, Integer d, TScalingFlags flags) {
    if (m == d || d == 0) return;
    if (flags & sfWidth) {
        TgrFlagRaised setting(settingColWidth_);
        SetDefaultColWidth(MulDiv(DefaultColWidth(), m, d));
    }
    for (Integer dataCol = 1; dataCol <= Cols(); ++dataCol) {
        TgrCol* col = gridCols_->ColAt(dataCol);
        if (!col) continue;
        if (flags & sfWidth) {
            col->SetWidth(MulDiv(col->Width(), m, d));
            Integer display = col->DisplayCol();
            Integer shown = col->Visible() ? col->Width() : 0;
            if (display > 0 && DisplayColWidth(display) != shown) SetColWidthEntry(display, shown);
        }
        if (flags & sfFont) ScaleOwnFont(col->OwnFont(), col->ParentFont(), m, d);
        ScaleComboGrid(col->Combo(), m, d);
    }
    NotifyColWidthsChanged();
}

void TgrBaseGrid::ScaleCells(Integer m, Integer d, TScalingFlags flags) {
    if (m == d || d == 0) return;
    for (TgrCellElement* e : CellRecords(cellProps_.get())) {
        if (flags & sfFont) ScaleOwnFont(e->Font, e->ParentFont, m, d);
        ScaleComboGrid(e->Combo, m, d);
    }
}

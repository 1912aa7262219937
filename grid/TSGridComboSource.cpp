// Which combo a cell takes: its own, its row's or its column's by the
// DrawOverlap rule, else the grid's working combo; the combo selection of
// the current cell and the source combo it was taken from; a working combo
// put back to its defaults; a pick in a dropped-down list.

#include <algorithm>

#include "grid/GridColRow.h"
#include "grid/GridCombo.h"
#include "grid/TSGrid.h"

TgrCombo* TgrBaseGrid::FindCellCombo(Integer dataCol, Integer dataRow) {
    if (dataCol < 1 || dataCol > Cols() || dataRow < 1 || dataRow >= RowTotal()) return nullptr;
    bool designing = IsDesigning();
    if (GetCellButtonType(dataCol, dataRow) == btCombo && (!GetCellParentCombo(dataCol, dataRow) || designing))
        return GetCellCombo(dataCol, dataRow);
    TgrCol* col = Col(dataCol);
    bool colCombo = col && col->ButtonType() == btCombo;
    bool rowCombo = GetRowButtonType(dataRow) == btCombo;
    if (DrawOverlap() == doDrawRowOnTop) {
        if (rowCombo && (!GetRowParentCombo(dataRow) || designing)) return GetRowCombo(dataRow);
        return colCombo ? col->Combo() : nullptr;
    }
    // Under the column the row's own ParentCombo is not asked.
    if (colCombo && (!col->ParentCombo() || designing)) return col->Combo();
    return rowCombo ? GetRowCombo(dataRow) : nullptr;
}

TgrCombo* TgrBaseGrid::EffectiveCombo(Integer dataCol, Integer dataRow) {
    if (TgrCombo* own = FindCellCombo(dataCol, dataRow)) return own;
    if (!workCombo_ || dataCol < 1 || dataCol > Cols() || dataRow < 1 || dataRow >= RowTotal()) return nullptr;
    // A combo cell without a combo of its own drops the working one down.
    TgrDropDownStyle style;
    return ResolveButtonType(dataCol, dataRow, style) == btCombo ? workCombo_ : nullptr;
}

void TgrBaseGrid::SelectComboForCell(Integer dataCol, Integer dataRow) {
    EnsureCombo();
    if (!workCombo_ || (comboSelected_ && !IsDesigning())) return;
    TgrCombo* own = FindCellCombo(dataCol, dataRow);
    if (own && (own != sourceCombo_ || IsDesigning())) {
        // The working combo drops down in the cell's stead: it takes a copy
        // of the cell's combo (settings, list and columns), so that the
        // cell's combo itself is never changed by a drop-down.
        sourceCombo_ = own;
        workCombo_->Assign(own);
    } else if (!own) {
        // A cell without a combo of its own starts the working combo afresh.
        if (IsDesigning() || sourceCombo_) workCombo_->Reset();
        else InitComboGrid(workCombo_);
        PrepareWorkCombo(dataCol, dataRow);
        sourceCombo_ = nullptr;
    }
    // Selected before the notification, so that its handler finds the list.
    comboSelected_ = true;
    PrepareComboData(own != nullptr);
    FireComboInit(dataCol, Variant(dataRow));
}

void TgrBaseGrid::ResetWorkingCombo() {
    if (comboGrid_) return;
    if (workCombo_) workCombo_->Reset();
    comboSelected_ = false;
    ForgetSourceCombo();
}

void TgrBaseGrid::ResetAllProperties() { ResetToDefaults(); }

void TgrBaseGrid::ResetToDefaults() {
    ResetLayoutToDefaults(PropKindBit(pkGrid) | PropKindBit(pkCols) | PropKindBit(pkRows) | PropKindBit(pkCells));
}

void TgrBaseGrid::PickComboValue(Integer downRow, Integer upCol, Integer upRow) {
    TgrBaseGrid* list = droppedCombo_ ? droppedCombo_->ComboGrid() : nullptr;
    // A press on the list's heading picks nothing; a release beside its rows
    // neither, and the list stays down.
    if (!list || downRow == 0 || upCol < 0 || upRow < 1) return;
    ApplyComboRow();
}

#include "grid/GridCombo.h"

#include <algorithm>

#include "grid/GridComboGrid.h"
#include "grid/TSGrid.h"

TgrCombo::TgrCombo(TgrBaseGrid* owner) : owner_(owner) {
    comboGrid_ = owner->CreateComboGrid();
    comboGrid_->SetOwnerGrid(owner);
    comboGrid_->SetOwnerCombo(this);
    comboGrid_->SetVisible(false);
}

TgrCombo::~TgrCombo() { delete comboGrid_; }

namespace {
// The list's own store for the settings the grid class has no accessor for.
TgrComboGridStore* StoreOf(TgrBaseGrid* list) { return dynamic_cast<TgrComboGridStore*>(list); }
}  // namespace

Integer TgrCombo::GetDropDownRows() const { return comboGrid_->GetDropDownRows(); }
Integer TgrCombo::GetDropDownCols() const { return comboGrid_->GetDropDownCols(); }
Integer TgrCombo::GetValueCol() const { return comboGrid_->GetValueCol(); }
Integer TgrCombo::GetDropDownWidth() const {
    const TgrComboGridStore* store = StoreOf(comboGrid_);
    return store ? store->ComboSettings.DropDownWidth : 0;
}
bool TgrCombo::GetValueColSorted() const { return comboGrid_->GetValueColSorted(); }
TgrComboCompareType TgrCombo::GetCompareType() const { return comboGrid_->GetCompareType(); }
TgrComboAutoSearchType TgrCombo::GetAutoSearch() const { return comboGrid_->GetAutoSearch(); }
bool TgrCombo::GetAutoFill() const { return comboGrid_->GetAutoFill(); }
TgrConvertCase TgrCombo::GetAutoFillConvertCase() const { return comboGrid_->GetAutoFillConvertCase(); }
bool TgrCombo::GetAutoLookup() const { return comboGrid_->GetAutoLookup(); }
TgrDropDownStyle TgrCombo::GetDropDownStyle() const { return comboGrid_->GetDropDownStyle(); }

void TgrCombo::SetDropDownRows(Integer value) {
    if (value != GetDropDownRows()) comboGrid_->SetDropDownRows(value);
}
void TgrCombo::SetDropDownCols(Integer value) {
    if (value != GetDropDownCols()) comboGrid_->SetDropDownCols(value);
}
void TgrCombo::SetValueCol(Integer value) {
    if (value != GetValueCol()) comboGrid_->SetValueCol(value);
}
void TgrCombo::SetDropDownWidth(Integer value) {
    if (TgrComboGridStore* store = StoreOf(comboGrid_)) store->ComboSettings.DropDownWidth = std::max<Integer>(0, value);
}
void TgrCombo::SetValueColSorted(bool value) {
    if (value != GetValueColSorted()) comboGrid_->SetValueColSorted(value);
}
void TgrCombo::SetCompareType(TgrComboCompareType value) {
    if (value != GetCompareType()) comboGrid_->SetCompareType(value);
}
void TgrCombo::SetAutoSearch(TgrComboAutoSearchType value) {
    if (value != GetAutoSearch()) comboGrid_->SetAutoSearch(value);
}
void TgrCombo::SetAutoFill(bool value) {
    if (value != GetAutoFill()) comboGrid_->SetAutoFill(value);
}
void TgrCombo::SetAutoFillConvertCase(TgrConvertCase value) {
    if (TgrComboGridStore* store = StoreOf(comboGrid_)) store->ComboSettings.AutoFillConvertCase = value;
}
void TgrCombo::SetAutoLookup(bool value) {
    if (value != GetAutoLookup()) comboGrid_->SetAutoLookup(value);
}
void TgrCombo::SetDropDownStyle(TgrDropDownStyle value) {
    if (value != GetDropDownStyle()) comboGrid_->SetDropDownStyle(value);
}

void TgrCombo::Refresh() {
    TgrBaseGrid* list = comboGrid_;
    {
        list->LockUpdate();
        list->LockDropDownSize(false);
        struct Unlock {
            TgrBaseGrid* list;
            ~Unlock() {
                list->LockDropDownSize(true);
                list->UnlockUpdate();
            }
        } unlock{list};
        owner_->EndComboSelection(this);
        list->Invalidate();
    }
    if (owner_->DroppedCombo() == this) list->UpdateDropDownSize(GetDropDownCols(), GetDropDownRows());
}

void TgrCombo::Assign(const TPersistent* source) {
    if (const auto* from = dynamic_cast<const TgrCombo*>(source)) {
        if (from != this) comboGrid_->Assign(from->comboGrid_);
        return;
    }
    TPersistent::Assign(source);
}

TRect PlaceDropDown(const TRect& cell, int width, int height, const TRect& work) {
    int left = cell.Left;
    // Stay inside the work area on the right, but never past its left edge.
    if (left + width > work.Right) left = work.Right - width;
    left = std::max(left, work.Left);
    int top = cell.Bottom;
    if (top + height > work.Bottom && cell.Top - height >= work.Top) top = cell.Top - height;
    top = std::max(top, work.Top);
    return TRect(left, top, left + width, top + height);
}

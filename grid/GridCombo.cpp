#include "grid/GridCombo.h"

#include <algorithm>

#include "grid/GridComboGrid.h"
#include "grid/TSGrid.h"

TgrCombo::TgrCombo(TgrBaseGrid* owner) : owner_(owner) {
    comboGrid_ = owner->CreateComboGrid();
    comboGrid_->SetOwnerGrid(owner);
    comboGrid_->SetOwnerCombo(this);
    comboGrid_->SetVisible(false);
    // A combo read from a stream takes its settings from there.
    if (!comboGrid_->IsReading()) {
        owner->InitComboGridDefaults(comboGrid_);
        owner->InitComboGrid(this);
    }
}

TgrCombo::~TgrCombo() { delete comboGrid_; }

namespace {
// The list's own store for the settings the grid class has no accessor for.
TgrComboGridStore* StoreOf(TgrBaseGrid* list) { return dynamic_cast<TgrComboGridStore*>(list); }

// A setter of the combo writes the list's setting only when it differs.
template <class T>
void WriteChanged(TgrBaseGrid* list, T current, T value, void (TgrBaseGrid::*set)(T)) {
    if (value != current) (list->*set)(value);
}
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
    WriteChanged(comboGrid_, GetDropDownRows(), value, &TgrBaseGrid::SetDropDownRows);
}
void TgrCombo::SetDropDownCols(Integer value) {
    WriteChanged(comboGrid_, GetDropDownCols(), value, &TgrBaseGrid::SetDropDownCols);
}
void TgrCombo::SetValueCol(Integer value) { WriteChanged(comboGrid_, GetValueCol(), value, &TgrBaseGrid::SetValueCol); }
void TgrCombo::SetDropDownWidth(Integer value) {
    if (TgrComboGridStore* store = StoreOf(comboGrid_))
        store->ComboSettings.DropDownWidth = std::max<Integer>(0, value);
}
void TgrCombo::SetValueColSorted(bool value) {
    WriteChanged(comboGrid_, GetValueColSorted(), value, &TgrBaseGrid::SetValueColSorted);
}
void TgrCombo::SetCompareType(TgrComboCompareType value) {
    WriteChanged(comboGrid_, GetCompareType(), value, &TgrBaseGrid::SetCompareType);
}
void TgrCombo::SetAutoSearch(TgrComboAutoSearchType value) {
    WriteChanged(comboGrid_, GetAutoSearch(), value, &TgrBaseGrid::SetAutoSearch);
}
void TgrCombo::SetAutoFill(bool value) { WriteChanged(comboGrid_, GetAutoFill(), value, &TgrBaseGrid::SetAutoFill); }
void TgrCombo::SetAutoFillConvertCase(TgrConvertCase value) {
    if (TgrComboGridStore* store = StoreOf(comboGrid_)) store->ComboSettings.AutoFillConvertCase = value;
}
void TgrCombo::SetAutoLookup(bool value) {
    WriteChanged(comboGrid_, GetAutoLookup(), value, &TgrBaseGrid::SetAutoLookup);
}
void TgrCombo::SetDropDownStyle(TgrDropDownStyle value) {
    if (value == GetDropDownStyle()) return;
    WriteChanged(comboGrid_, GetDropDownStyle(), value, &TgrBaseGrid::SetDropDownStyle);
    // The owner's in-cell editor takes typing only outside a list-only style.
    if (comboGrid_ && comboGrid_->GetOwnerGrid()) comboGrid_->GetOwnerGrid()->ResetCellControl(true);
}

namespace {
// Holds a list's update and drop-down size locks for as long as it lives.
struct TgrListLocks {
    explicit TgrListLocks(TgrBaseGrid* l) : list(l) {
        list->LockUpdate();
        list->LockDropDownSize(false);
    }
    ~TgrListLocks() {
        list->LockDropDownSize(true);
        list->UnlockUpdate();
    }
    TgrListLocks(const TgrListLocks&) = delete;
    TgrListLocks& operator=(const TgrListLocks&) = delete;
    TgrBaseGrid* list;
};
}  // namespace

void TgrCombo::Refresh() {
    TgrBaseGrid* list = comboGrid_;
    {
        TgrListLocks locks(list);
        // The working combo holds a copy of this one: the copy ends with
        // the selection, and the next one copies the changes.
        owner_->RollUpComboIfActive(this, false);
        list->Invalidate();
    }
    if (owner_->DroppedCombo() == this) list->UpdateDropDownSize(GetDropDownCols(), GetDropDownRows());
}

void TgrCombo::Reset() {
    TgrBaseGrid* list = comboGrid_;
    {
        TgrListLocks locks(list);
        if (owner_->DroppedCombo() == this) owner_->CloseDropDowns(false);
        list->ResetAllProperties();
        owner_->InitComboGridDefaults(list);
        owner_->InitComboGrid(this);
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

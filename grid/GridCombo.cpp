#include "grid/GridCombo.h"

#include <algorithm>

#include "grid/TSGrid.h"

TgrCombo::TgrCombo(TgrBaseGrid* owner) : owner_(owner) {}

TgrCombo::~TgrCombo() { delete comboGrid_; }

void TgrCombo::SetComboGrid(TgrBaseGrid* grid) {
    if (grid == comboGrid_) return;
    delete comboGrid_;
    comboGrid_ = grid;
    if (comboGrid_) comboGrid_->SetOwnerGrid(owner_);
}

void TgrCombo::AssignSettings(const TgrCombo& source) {
    DropDownRows = source.DropDownRows;
    DropDownCols = source.DropDownCols;
    ValueCol = source.ValueCol;
    DropDownWidth = source.DropDownWidth;
    DropDownStyle = source.DropDownStyle;
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

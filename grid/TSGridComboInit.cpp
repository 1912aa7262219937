// How a new combo and its list grid start out, and how the working combo
// starts afresh for a cell that has no combo of its own. The list a cell
// drops down at run time is filled by the combo-init notification, which
// fires after these defaults are in place.

#include <algorithm>

#include <QFontMetrics>

#include "grid/GridCombo.h"
#include "grid/TSGrid.h"

void TgrBaseGrid::InitComboGrid(TgrCombo* combo) {
    if (!combo || !combo->ComboGrid()) return;
    TgrBaseGrid* list = combo->ComboGrid();
    bool designing = IsDesigning();
    list->SetRows(designing ? 4 : 0);
    combo->SetDropDownRows(4);
    list->SetCols(designing ? 2 : 1);
    combo->SetDropDownCols(designing ? 2 : 1);
    combo->SetValueCol(1);
    combo->SetCompareType(ctCaseInsensitive);
    list->SetStoreData(false);
}

void TgrBaseGrid::PrepareComboGrid(TgrBaseGrid* list) {
    if (!list) return;
    TgrUpdateLocked locked(*list);
    // Taken from this grid, so the list looks like the cell it drops from.
    list->SetColor(Color());
    list->SetCols(IsDesigning() ? 2 : 1);
    list->SetCursor(Cursor());
    list->SetDefaultButtonHeight(DefaultButtonHeight());
    list->SetDefaultButtonWidth(DefaultButtonWidth());
    list->SetDefaultRowHeight(comboRowHeight_);
    list->SetEditColor(EditColor());
    list->SetEditFontColor(EditFontColor());
    list->SetSelectionColor(SelectionColor());
    list->SetSelectionFontColor(SelectionFontColor());
}

void TgrBaseGrid::InitComboGridDefaults(TgrBaseGrid* list) {
    if (!list) return;
    bool designing = IsDesigning();
    TgrUpdateLocked locked(*list);
    PrepareComboGrid(list);
    list->SetSelectionType(SelectionType());
    list->Font()->Assign(*Font());
    list->SetRowChangedIndicator(riAutoReset);
    list->SetHeadingOn(false);
    list->SetRowBarOn(false);
    list->SetHeadingHeight(15);
    list->SetRowBarWidth(14);
    list->SetScrollBars(ssVertical);
    list->SetTabStop(false);
    list->SetThumbTracking(true);
    // At run time a list box to pick from; at design time a grid the
    // designer lays out. The list's own mode and row-selection setters keep
    // a list's values outside design time, so these two are stored
    // directly (a new list has no selection to adjust).
    list->rowSelectMode_ = designing ? rsMulti : rsSingle;
    list->SetColSelectMode(designing ? csMulti : csNone);
    list->StoreGridMode(designing ? gmEdit : gmListBox);
    list->SetRowMoving(designing);
    list->SetColMoving(designing);
    list->SetAlwaysShowEditor(!designing);
    list->SetAlwaysShowFocus(designing);
    list->SetFocusBorder(designing ? fbDouble : fbDot);
    list->SetResizeCols(designing ? rcSingle : rcNone);
    list->SetResizeRows(designing ? rrAll : rrNone);
}

void TgrBaseGrid::PrepareWorkCombo(Integer dataCol, Integer dataRow) {
    TgrBaseGrid* list = workCombo_ ? workCombo_->ComboGrid() : nullptr;
    if (!list) return;
    TgrDropDownStyle style = ddDropDown;
    ResolveButtonType(dataCol, dataRow, style);
    workCombo_->SetDropDownStyle(style);
    Integer displayCol = DisplayColOfData(dataCol);
    if (displayCol >= 1 && displayCol < ColTotal()) list->SetComboColWidth(GetColWidthAt(displayCol));
    // Rows at least as high as the list's text.
    Integer textHeight = QFontMetrics(list->Font()->ToQFont()).height();
    list->SetDefaultRowHeight(std::max<Integer>(comboRowHeight_, textHeight));
    list->UpdateScrollBars();
}

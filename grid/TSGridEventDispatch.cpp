// The dispatch of the grid's heading, key and combo-compare events: each
// fires its event when a handler is assigned and the grid is not loading.
// A descendant overrides them to add to or replace the event.

#include "grid/TSGrid.h"

void TgrBaseGrid::DoHeadingDown(Integer dataCol) {
    if (OnHeadingDown && CanFireEvents()) OnHeadingDown(this, dataCol);
}

void TgrBaseGrid::DoHeadingUp(Integer dataCol) {
    if (OnHeadingUp && CanFireEvents()) OnHeadingUp(this, dataCol);
}

void TgrBaseGrid::DoGridKeyDown(Word16& key, TShiftState shift) {
    if (OnKeyDown && CanFireEvents()) OnKeyDown(this, key, shift);
}

void TgrBaseGrid::DoGridKeyUp(Word16& key, TShiftState shift) {
    if (OnKeyUp && CanFireEvents()) OnKeyUp(this, key, shift);
}

void TgrBaseGrid::DoGridKeyPress(char& key) {
    if (OnKeyPress && CanFireEvents()) OnKeyPress(this, key);
}

void TgrBaseGrid::DoComboCompareValue(const std::string& comboText, const std::string& cellText, Integer& result) {
    if (OnComboCompareValue) OnComboCompareValue(this, comboText, cellText, result);
}

void TgrBaseGrid::DoComboLCompareValue(const std::string& comboText, const std::string& cellText, Integer length,
                                       Integer& result) {
    if (OnComboLCompareValue) OnComboLCompareValue(this, comboText, cellText, length, result);
}

void TgrBaseGrid::KeyDown(Word16& key, TShiftState shift) {
    DoGridKeyDown(key, shift);
    if (key == 0 || !AcceptsGridKey(key, shift)) return;
    ProcessKeyDown(key, shift);
}

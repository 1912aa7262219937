// Cell buttons pressed with the mouse: the button objects, where a press
// counts as a button press, which spin half a point hits, and what a press
// does. A spin press fires the spin events and steps the
// cell's value by its spin increment; a held half repeats after
// SpinStartDelay and then every SpinRepeatDelay. A normal (or date-time
// popup) button shows pressed while held and fires the button events.

#include <algorithm>

#include "grid/GRGLib.h"
#include "grid/GRGLibValues.h"
#include "grid/GridEditBox.h"
#include "grid/GridButtons.h"
#include "grid/TSGrid.h"
#include "platform/gui/Forms.h"


// ------------------------------------------------------------ button objects

TgrCustomButton* TgrBaseGrid::GetCellButton(Integer displayCol, TgrButtonType type) {
    auto make = [this](std::unique_ptr<TgrCustomButton>& slot, auto create) -> TgrCustomButton* {
        if (!slot) slot = create();
        return slot.get();
    };
    TgrCustomButton* button = nullptr;
    switch (type) {
    case btCombo:
        button = make(buttons_.Combo, [this] {
            return std::make_unique<TgrComboButton>(this, defaultButtonHeight_, defaultButtonWidth_, grColorNotSet,
                                                    GridButtonBitmap("GRARROWCOMBO"));
        });
        break;
    case btNormal:
        if (displayCol >= 1 && displayCol < ColTotal())
            if (TgrCol* col = Col(DataColOfDisplay(displayCol)); col && col->NormalButton()) {
                button = col->NormalButton();
                break;
            }
        button = make(buttons_.Normal, [this] {
            return std::make_unique<TgrNormalButton>(this, defaultButtonHeight_, defaultButtonWidth_, grColorNotSet,
                                                     GridButtonBitmap("GRBUTDETAIL"));
        });
        break;
    case btVertSpin:
        button = make(buttons_.VertSpin, [this] {
            return std::make_unique<TgrVertSpinButton>(this, spinButtonHeight_, spinButtonWidth_, grColorNotSet,
                                                       nullptr);
        });
        break;
    case btHorzSpin:
        // Lying on its side: the spin width is its height.
        button = make(buttons_.HorzSpin, [this] {
            return std::make_unique<TgrHorzSpinButton>(this, spinButtonWidth_, spinButtonHeight_, grColorNotSet,
                                                       nullptr);
        });
        break;
    case btDateTimeDropDown:
        button = make(buttons_.DateTimeDropDown, [this] {
            return std::make_unique<TgrDateTimeButton>(this, defaultButtonHeight_, defaultButtonWidth_,
                                                       grColorNotSet, GridButtonBitmap("GRARROWCOMBO"));
        });
        break;
    case btDateTimePopup:
        button = make(buttons_.DateTimePopup, [this] {
            return std::make_unique<TgrDateTimeButton>(this, defaultButtonHeight_, defaultButtonWidth_,
                                                       grColorNotSet, GridButtonBitmap("GRBUTDETAIL"));
        });
        break;
    default:
        button = buttons_.Combo.get();
        break;
    }
    return button;
}

void TgrBaseGrid::ForgetCellButton(const TgrCustomButton* button) {
    if (button && buttons_.Current == button) buttons_.Current = nullptr;
}

namespace {

// Frees a button slot; true when there was a button.
bool FreeButtonSlot(TgrGridButtons& buttons, std::unique_ptr<TgrCustomButton>& slot) {
    if (!slot) return false;
    if (buttons.Current == slot.get()) buttons.Current = nullptr;
    slot.reset();
    return true;
}

}  // namespace

void TgrBaseGrid::FreeComboButton() { FreeButtonSlot(buttons_, buttons_.Combo); }

void TgrBaseGrid::FreeNormalButton() { FreeButtonSlot(buttons_, buttons_.Normal); }

void TgrBaseGrid::ReleaseDefaultButtons() {
    bool freed = false;
    for (std::unique_ptr<TgrCustomButton>* slot :
         {&buttons_.Combo, &buttons_.Normal, &buttons_.DateTimeDropDown, &buttons_.DateTimePopup}) {
        if (!*slot) continue;
        if ((*slot)->UsesDefaultBitmap()) {
            freed |= FreeButtonSlot(buttons_, *slot);
        } else {
            // A button with a picture of its own stays and takes the size.
            (*slot)->SetHeight(defaultButtonHeight_);
            (*slot)->SetWidth(defaultButtonWidth_);
            freed = true;
        }
    }
    if (freed) Invalidate();
}

void TgrBaseGrid::ReleaseSpinButtons() {
    bool freed = FreeButtonSlot(buttons_, buttons_.VertSpin);
    freed = FreeButtonSlot(buttons_, buttons_.HorzSpin) || freed;
    if (freed) Invalidate();
}

Integer TgrBaseGrid::CellButtonWidth(Integer dataCol, Integer dataRow) {
    TgrButtonType type = EffectiveButtonType(dataCol, dataRow);
    if (type == btNone || type == btDefault) return 0;
    TgrCustomButton* button = GetCellButton(DisplayColOfData(dataCol), type);
    return button ? button->TotalWidth() : 0;
}

bool TgrBaseGrid::IsPointOverDropDown(Integer x, Integer y) {
    TgrBaseGrid* list = droppedCombo_ ? droppedCombo_->ComboGrid() : nullptr;
    if (!list || !HasWindow()) return false;
    TRect area;
    if (IsDesigning()) {
        // At design time the list shows inside the form, not in its window.
        TPoint origin = list->ClientToScreen(TPoint(0, 0));
        area = TRect(origin.X, origin.Y, origin.X + list->ClientWidth(), origin.Y + list->ClientHeight());
    } else if (dropDownForm_ && dropDownForm_->Visible()) {
        area = dropDownForm_->BoundsRect();
    } else {
        return false;
    }
    TPoint p = ClientToScreen(TPoint(int(x), int(y)));
    return p.X >= area.Left && p.X < area.Right && p.Y >= area.Top && p.Y < area.Bottom;
}

bool TgrBaseGrid::CanShowCellButton(Integer x, Integer y, Integer displayCol, Integer displayRow,
                                    TgrButtonType type) {
    if (displayCol <= 0 || displayRow <= 0 || displayCol >= ColTotal() || displayRow >= RowTotal()) return false;
    if (gridMode_ == gmListBox || gridMode_ == gmBrowse) return false;
    if (x < 0 || y < 0 || x >= ClientWidth() || y >= ClientHeight()) return false;
    if (IsPointOverDropDown(x, y)) return false;
    if (IsCellReadOnly(DataColOfDisplay(displayCol), DataRowOfDisplay(displayRow))) return false;
    return type != btNone && type != btDefault;
}

bool TgrBaseGrid::IsOverCellButton(Integer x, Integer y, Integer displayCol, Integer displayRow) {
    if (displayCol < 1 || displayRow < 1 || displayCol >= ColTotal() || displayRow >= RowTotal()) return false;
    TgrButtonType type = EffectiveButtonType(DataColOfDisplay(displayCol), DataRowOfDisplay(displayRow));
    if (!CanShowCellButton(x, y, displayCol, displayRow, type)) return false;
    TgrCustomButton* button = GetCellButton(displayCol, type);
    buttons_.Current = button;
    if (!button) return false;
    TRect cell = CellPixels(displayCol, displayRow);
    Integer right = cell.Right - vertLineWidth_, bottom = cell.Bottom - horzLineWidth_;
    Integer left = std::max<Integer>(cell.Left + 3, right - button->TotalWidth());
    bottom = std::min<Integer>(bottom, cell.Top + button->TotalHeight());
    return x > left && x <= right && y >= cell.Top && y <= bottom;
}

bool TgrBaseGrid::IsOverCellButtonArea(Integer x, Integer y, Integer displayCol, Integer displayRow) {
    if (displayCol < 1 || displayRow < 1 || displayCol >= ColTotal() || displayRow >= RowTotal()) return false;
    if (IsOverCellButton(x, y, displayCol, displayRow)) return true;
    // A cell whose value only comes from its list acts as its button as a
    // whole.
    TgrDropDownStyle style;
    TgrButtonType type = ResolveButtonType(DataColOfDisplay(displayCol), DataRowOfDisplay(displayRow), style);
    return (type == btCombo || type == btDateTimeDropDown) && style == ddDropDownList &&
           CanShowCellButton(x, y, displayCol, displayRow, type);
}

TgrSpinButton TgrBaseGrid::SpinHalfAt(const TgrCellPaintInfo& info, Integer x, Integer y) {
    if (!info.HasButton || !IsSpinButtonType(info.ButtonType)) return spbNone;
    TRect upper, lower;
    CalcSpinRects(info, upper, lower);
    TPoint p{int(x), int(y)};
    if (upper.Contains(p)) return spbUp;
    if (lower.Contains(p)) return spbDown;
    return spbNone;
}

TgrSpinButton TgrBaseGrid::HitTestSpinButton(Integer x, Integer y, Integer displayRow, Integer displayCol) {
    TgrCellPaintInfo info;
    if (displayCol < 1 || displayRow < 1 || !FillDrawInfo(displayCol, displayRow, info)) return spbNone;
    return SpinHalfAt(info, x, y);
}

// ------------------------------------------------------------ pressing

bool TgrBaseGrid::PressCellButton(Integer displayCol, Integer displayRow, Integer x, Integer y) {
    if (gridMode_ != gmEdit && gridMode_ != gmEditInsert) return false;
    if (displayCol != curDisplayCol_ || displayRow != curDisplayRow_) return false;
    TgrCellPaintInfo info;
    if (!FillDrawInfo(displayCol, displayRow, info) || IsCellReadOnly(info.DataCol, info.DataRow)) return false;
    if (info.ButtonType == btCombo || info.ButtonType == btDateTimeDropDown) {
        // The button, or anywhere in a drop-down-list cell: the list of the
        // cell goes down, or up when it is down already. The press lasts
        // to its release, which fires the button's click and up events;
        // begun on the button itself, the button looks pressed while the
        // pointer stays on it.
        if (!IsOverCellButtonArea(x, y, displayCol, displayRow)) return false;
        SetMouseStatus(msButtonDown);
        dropButtonPressed_ = true;
        dropButtonHeld_ = IsOverCellButton(x, y, displayCol, displayRow);
        SetButtonShownDown(dropButtonHeld_);
        if (info.ButtonType == btDateTimeDropDown) ToggleDateTimeDropDown(info.DataCol, info.DataRow);
        else ToggleComboDropDown(info.DataCol, info.DataRow);
        return true;
    }
    if (info.ButtonType == btNormal || info.ButtonType == btDateTimePopup) {
        if (!IsOverCellButton(x, y, displayCol, displayRow)) return false;
        SetMouseStatus(msButtonDown);
        SetMouseCapture(true);
        buttonHeld_ = true;
        SetButtonShownDown(true);
        try {
            FireButtonDown(info.DataCol, info.DataRow);
        } catch (...) {
            buttonHeld_ = false;
            SetButtonShownDown(false);
            throw;
        }
        return true;
    }
    TgrSpinButton half = SpinHalfAt(info, x, y);
    if (half == spbNone) return false;
    SetMouseStatus(msButtonDown);
    SetMouseCapture(true);
    spinHeld_ = true;
    spinRememberedHalf_ = half;
    spinRepeatCount_ = 1;
    SetPressedSpin(displayCol, displayRow, half);
    try {
        FireSpinButtonDown(info.DataCol, info.DataRow, half);
        FireSpinRepeat(info.DataCol, info.DataRow, half, spinRepeatCount_);
    } catch (...) {
        // Nothing stays pressed when a handler raises.
        ClearPressedButton();
        throw;
    }
    if (spinPressed_ != spbNone && (EffectiveSpinOptions(info.DataCol, info.DataRow) & SpinOptionBit(spoAutoRepeat)))
        StartSpinTimer(true);
    return true;
}

void TgrBaseGrid::SetPressedSpin(Integer displayCol, Integer displayRow, TgrSpinButton half) {
    TCellCoord_ts old = spinPressCell_;
    if (half == spbNone) KillGridTimer(SpinTimerId);
    spinPressCell_ = {displayCol, displayRow};
    spinPressed_ = half;
    if (old.Col >= 1 && old.Row >= 1 && old.Col < ColTotal() && old.Row < RowTotal())
        InvalidateDisplayCell(old.Col, old.Row);
    if (half != spbNone) InvalidateDisplayCell(displayCol, displayRow);
}

void TgrBaseGrid::SetButtonShownDown(bool down) {
    if (down == buttonShownDown_) return;
    buttonShownDown_ = down;
    InvalidateDisplayCell(curDisplayCol_, curDisplayRow_);
}

bool TgrBaseGrid::IsOverCurrentButton(Integer x, Integer y) {
    return IsOverCellButton(x, y, curDisplayCol_, curDisplayRow_);
}

bool TgrBaseGrid::IsOverDroppedList(Integer x, Integer y) {
    TgrBaseGrid* list = droppedCombo_ ? droppedCombo_->ComboGrid() : nullptr;
    if (!list || !dropDownForm_ || !dropDownForm_->Visible()) return false;
    TPoint p = list->ScreenToClient(ClientToScreen(TPoint(x, y)));
    return p.X >= 0 && p.Y >= 0 && p.X < list->ClientWidth() && p.Y < list->ClientHeight();
}

void TgrBaseGrid::ArmComboTracking() { trackOnFirstMove_ = !IsDesigning(); }

void TgrBaseGrid::HandOverComboCapture() {
    if (!trackOnFirstMove_) return;
    trackOnFirstMove_ = false;
    TgrBaseGrid* list = droppedCombo_ ? droppedCombo_->ComboGrid() : nullptr;
    if (!list || list->curDisplayRow_ < 1 || list->curDisplayRow_ >= list->RowTotal()) return;
    // The list takes it as a plain press of its current row's bar, which
    // goes on as a drag over its rows and whose release is a click there.
    list->SetMouseDownCell(0, list->curDisplayRow_);
    list->pressedInGrid_ = !list->IsDesigning();
    list->RowSelectMouseDown(TShiftState(), 0, list->curDisplayRow_, 0, 0);
}

bool TgrBaseGrid::TrackComboOnFirstMove(Integer x, Integer y) {
    TgrBaseGrid* owner = comboGrid_ ? ownerGrid_ : this;
    if (!owner || !owner->trackOnFirstMove_ || mouseStatus_ != msNone || thumbAxis_) return false;
    TgrBaseGrid* list = owner->droppedCombo_ ? owner->droppedCombo_->ComboGrid() : nullptr;
    if (!list || (this != owner && this != list)) return false;
    owner->HandOverComboCapture();
    if (list->mouseStatus_ != msRowSelect) return false;
    // The highlight goes where the pointer is at once.
    TPoint p = this == list ? TPoint(x, y) : list->ScreenToClient(ClientToScreen(TPoint(x, y)));
    list->lastMouse_ = p;
    list->DragSelectTo(p.X, p.Y);
    return true;
}

bool TgrBaseGrid::EndComboHoverTracking(Integer x, Integer y) {
    if (!comboGrid_ || !ownerGrid_ || mouseStatus_ != msRowSelect || !ownerGrid_->droppedCombo_ ||
        ownerGrid_->droppedCombo_->ComboGrid() != this)
        return false;
    // No button was down while the drag ran: it ends quietly.
    SetMouseCapture(false);
    SetMouseStatus(msNone);
    // The capture brought the press here even from outside the list.
    if (x >= 0 && y >= 0 && x < Width() && y < Height()) return false;
    ownerGrid_->CloseDropDowns();
    return true;
}

bool TgrBaseGrid::IsOnListRow(Integer x, Integer y) {
    // Rows scrolled out below the window are beside it, not under the pointer.
    TCellCoord_ts under = MouseCoord(x, y);
    return under.Row >= 1 && under.Col >= 0 && IsPointInRowsArea(x, y);
}

bool TgrBaseGrid::IsPointInRowsArea(Integer x, Integer y) {
    if (!HasWindow()) return false;
    TGridLayout_ts l;
    ComputeLayout(l);
    return x >= 0 && x < ClientWidth() && y >= l.Vert.FixedEnd && y < ClientHeight();
}

bool TgrBaseGrid::TrackPressedButton(Integer x, Integer y) {
    if (dropButtonPressed_ && IsOverDroppedList(x, y)) {
        // The press goes on in the list: the button comes up, this grid's
        // press ends without a click.
        dropButtonPressed_ = dropButtonHeld_ = false;
        hotButton_ = {curDisplayCol_, curDisplayRow_};
        hotHalves_ = kSpinBothMask;
        SetButtonShownDown(false);
        SetMouseCapture(false);
        SetMouseStatus(msNone);
        HandOverComboCapture();
        return true;
    }
    if (buttonHeld_ || dropButtonHeld_) {
        // Pressed only while the pointer is on the button; off it, raised.
        bool on = IsOverCurrentButton(x, y);
        if (!on && buttonShownDown_) {
            hotButton_ = {curDisplayCol_, curDisplayRow_};
            hotHalves_ = kSpinBothMask;
        }
        SetButtonShownDown(on);
        return true;
    }
    if (!spinHeld_) return false;
    TgrSpinButton over = HitTestSpinButton(x, y, curDisplayRow_, curDisplayCol_);
    if (spinPressed_ == spbNone) {
        // Back on the half it was pressed on: pressed again, repeating again.
        if (over != spbNone && over == spinRememberedHalf_) {
            SetPressedSpin(curDisplayCol_, curDisplayRow_, over);
            if (EffectiveSpinOptions(curDataCol_, curDataRow_) & SpinOptionBit(spoAutoRepeat))
                StartSpinTimer(spinStart_);
        }
    } else if (over != spinPressed_) {
        // Off the button, or onto the other half: raised, no repeat.
        hotButton_ = spinPressCell_;
        hotHalves_ = kSpinBothMask;
        ClearPressedButton();
    }
    return true;
}

bool TgrBaseGrid::EndCellButtonPress(bool released, Integer x, Integer y) {
    if (buttonHeld_ || dropButtonPressed_) {
        buttonHeld_ = dropButtonPressed_ = dropButtonHeld_ = false;
        SetButtonShownDown(false);
        ReleaseCellButton(x, y);
        if (released) FireButtonRelease(x, y);
        return true;
    }
    if (!spinHeld_) return false;
    TgrSpinButton half = spinRememberedHalf_;
    bool stillPressed = spinPressed_ != spbNone;
    spinHeld_ = false;
    spinRememberedHalf_ = spbNone;
    ClearPressedButton();
    ReleaseCellButton(x, y);
    if (!released) return true;
    Integer dataCol = curDataCol_, dataRow = curDataRow_;
    if (stillPressed && HitTestSpinButton(x, y, curDisplayRow_, curDisplayCol_) == half)
        FireSpinButtonClick(dataCol, dataRow, half);
    FireSpinButtonUp(dataCol, dataRow, half);
    return true;
}

void TgrBaseGrid::FireButtonRelease(Integer x, Integer y) {
    // Judged by the button of the cell under the pointer: a drop-down list
    // may have opened over the cell, so any cell with a drop-down button
    // counts as released on the button.
    TCellCoord_ts under = MouseCoord(x, y);
    TgrButtonType type = btNone;
    TgrDropDownStyle style;
    if (under.Col >= 1 && under.Row >= 1 && under.Col < ColTotal() && under.Row < RowTotal())
        type = ResolveButtonType(DataColOfDisplay(under.Col), DataRowOfDisplay(under.Row), style);
    bool dropType = type == btCombo || type == btDateTimeDropDown || type == btDateTimePopup;
    Integer dataCol = curDataCol_, dataRow = curDataRow_;
    if (dropType || IsOverCurrentButton(x, y)) {
        FireButtonClick(dataCol, dataRow);
        // A date-time popup button's click opens its editor.
        if (ResolveButtonType(dataCol, dataRow, style) == btDateTimePopup) DropDownDateTime();
    }
    if (dropType || type == btNormal) FireButtonUp(dataCol, dataRow);
}

bool TgrBaseGrid::CheckButtonRepeat() {
    // The repeat goes on only while the half is held down in the focused
    // grid; otherwise the buttons come up.
    if (IsGridFocused() && mouseStatus_ == msButtonDown && MouseCapture() && spinHeld_ && spinPressed_ != spbNone &&
        GridTimerRunning(SpinTimerId))
        return true;
    KillGridTimer(SpinTimerId);
    ReleaseCellButtons();
    return false;
}

void TgrBaseGrid::ButtonRepeatTick() {
    if (!CheckButtonRepeat()) return;
    SwitchSpinTimerToRepeat();
    ++spinRepeatCount_;
    try {
        FireSpinRepeat(GetCurrentDataCol(), curDataRow_, spinPressed_, spinRepeatCount_);
    } catch (...) {
        ClearPressedButton();
        throw;
    }
}

// ------------------------------------------------------------ events

void TgrBaseGrid::FireSpinButtonDown(Integer dataCol, Integer dataRow, TgrSpinButton button) {
    if (OnSpinButtonDown && CanFireEvents()) OnSpinButtonDown(this, dataCol, dataRow, button);
}

void TgrBaseGrid::FireSpinButtonUp(Integer dataCol, Integer dataRow, TgrSpinButton button) {
    if (OnSpinButtonUp && CanFireEvents()) OnSpinButtonUp(this, dataCol, dataRow, button);
}

void TgrBaseGrid::FireSpinButtonClick(Integer dataCol, Integer dataRow, TgrSpinButton button) {
    if (OnSpinButtonClick && CanFireEvents()) OnSpinButtonClick(this, dataCol, dataRow, button);
}

void TgrBaseGrid::FireSpinRepeat(Integer dataCol, Integer dataRow, TgrSpinButton button, Integer count) {
    if (OnSpinRepeat && CanFireEvents()) OnSpinRepeat(this, dataCol, dataRow, count, button);
    SpinCellValue(dataCol, dataRow, button == spbUp);
}

void TgrBaseGrid::FireSpinIncrement(Integer dataCol, Integer dataRow, bool& accept, Integer& pos, Integer& len,
                                    Variant& value, bool up) {
    if (OnSpinIncrement && CanFireEvents()) OnSpinIncrement(this, dataCol, dataRow, accept, pos, len, value, up);
}

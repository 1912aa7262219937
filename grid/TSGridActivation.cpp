// The in-cell control over the current cell: whether it shows, where it
// goes and what it looks like, edit mode, and the events the control hands
// to its grid.
//
// With AlwaysShowEditor (the default) the control stays shown on every
// editable current cell and edit mode never ends; without it the control
// shows while edit mode runs (typing, F2) and goes when the cell is left or
// the edit ends. A refresh places the control at once and shows it after
// the next paint of the grid (ShowControlAfterPaint), so that the cell
// under it is painted first; the control then takes the focus while the
// grid has it.

#include <algorithm>

#include "grid/GridButtons.h"
#include "grid/GridCheckBox.h"
#include "grid/GridEditBox.h"
#include "grid/TSGrid.h"
#include "platform/gui/Forms.h"

// ------------------------------------------------------------ when it shows

bool TgrBaseGrid::CanEditNow() {
    if (gridStatus_ != gsNormal || (gridMode_ != gmEdit && gridMode_ != gmEditInsert)) return false;
    if (curDataCol_ < 1 || curDataRow_ < 1 || curDataCol_ > Cols() || curDataRow_ > Rows()) return false;
    return !IsCurrentCellReadOnly() && !IsCurrentCellSelected();
}

bool TgrBaseGrid::ShouldShowControl() { return !IsDesigning() && IsCurrentCellVisible() && CanEditNow(); }

bool TgrBaseGrid::IsGridFocused() const {
    return IsFocusHolder(const_cast<TgrBaseGrid*>(this)) || (activeControl_ && activeControl_->Focused());
}

bool TgrBaseGrid::ControlShouldHaveFocus() {
    // A mouse operation on the grid keeps the focus where it is until it
    // ends; so does a focus that arrived by keyboard until its key is up.
    return IsGridFocused() && controlShown_ && mouseStatus_ == msNone && !focusByKeyboard_ && !IsDesigning();
}

bool TgrBaseGrid::IsEditing() { return CanEditNow() && editModeFlag_ && CanEdit(); }

// ------------------------------------------------------------ hiding

void TgrBaseGrid::HideCellControl(bool repaint) {
    if (IsDesigning() || !HasWindow() || IsUpdateSuspended()) return;
    controlHiddenByGrid_ = true;
    controlShown_ = false;
    controlRefreshAfterPaint_ = false;
    HideActiveControl(repaint);
}

void TgrBaseGrid::HideActiveControl(bool repaint) {
    if (!HasWindow() || paintLock_ > 0 || !activeControl_) return;
    hidingControl_ = true;
    struct Release {
        bool& flag;
        ~Release() { flag = false; }
    } release{hidingControl_};
    bool hadFocus = activeControl_->Focused();
    bool wasVisible = activeControl_->GetVisible();
    TPoint old(activeControl_->Left(), activeControl_->Top());
    activeControl_->Hide();
    if (hadFocus && Visible() && CanFocus()) {
        SetFocus();
        if (!Focused() && Widget()) Widget()->setFocus(Qt::OtherFocusReason);
    }
    hideRepaintSkipped_ = !repaint;
    if (!repaint || !wasVisible) return;
    TCellCoord_ts under = MouseCoord(old.X, old.Y);
    if (under.Col > 0 && under.Row > 0) InvalidateDisplayCell(under.Col, under.Row);
}

bool TgrBaseGrid::HideCellControlIfShown(bool force) {
    bool shown = controlShown_;
    if ((shown || force) && !IsUpdateSuspended()) HideCellControl(true);
    return shown;
}

void TgrBaseGrid::ResetCellControl(bool force) {
    HideCellControlIfShown(force);
    RefreshCellControl();
}

// ------------------------------------------------------------ showing

void TgrBaseGrid::SelectControlForType(TgrControlType type) {
    TgrCustomGridControl* wanted = GetControlForType(type);
    if (wanted == activeControl_) return;
    if (activeControl_) HideActiveControl(true);
    activeControl_ = wanted;
    if (currentCell_) currentCell_->ClearValue();
}

void TgrBaseGrid::RefreshCellControl() {
    if (IsDesigning() || !HasWindow() || IsUpdateSuspended() || !activeControl_) return;
    controlHiddenByGrid_ = false;
    TgrControlType type = GetCurrentControlType();
    if (!ShouldShowControl()) {
        // Out of sight, but ready for the cell's type.
        SelectControlForType(type);
        activeControl_->SetLeft(-activeControl_->Width());
        activeControl_->SetTop(-activeControl_->Height());
        controlRefreshAfterPaint_ = false;
        ApplyEditorMask();
        return;
    }
    bool wasShown = controlShown_;
    controlShown_ = true;
    SelectControlForType(type);
    if (activeControl_->GetVisible() || wasShown) {
        TCellCoord_ts old = MouseCoord(activeControl_->Left(), activeControl_->Top());
        HideActiveControl(false);
        if (old.Col > 0 && old.Row > 0 && !(old.Col == curDisplayCol_ && old.Row == curDisplayRow_))
            InvalidateDisplayCell(old.Col, old.Row);
    }
    PositionCellControl(activeControl_);
    ApplyEditorMask();
    controlRefreshAfterPaint_ = true;
    if (!painting_) InvalidateDisplayCell(curDisplayCol_, curDisplayRow_);
}

void TgrBaseGrid::ShowControlAfterPaint() {
    if (!controlRefreshAfterPaint_) return;
    controlRefreshAfterPaint_ = false;
    if (IsDesigning() || !HasWindow() || !activeControl_) return;
    if ((gridMode_ != gmEdit && gridMode_ != gmEditInsert) || !editModeFlag_) return;
    if (!IsCurrentCellVisible()) return;
    controlShown_ = true;
    activeControl_->Show();
    // Loaded shown, so that the edit-select mode places its selection.
    LoadControlValue();
    if (ControlShouldHaveFocus() && !IsEnteringFocus() && activeControl_->CanFocus()) activeControl_->SetFocus();
    activeControl_->Invalidate();
}

// The control shows the current cell's value: loaded as the control comes
// into sight (so that values stored meanwhile are the ones shown), unless
// the current cell holds one already. Loading is no edit.
void TgrBaseGrid::LoadControlValue() {
    TgrControlType type = GetCurrentControlType();
    if ((type != ctText && type != ctCheck) || IsInsertRowPos(curDisplayRow_) ||
        currentCell_->HasValueFor(curDataCol_, curDataRow_))
        return;
    LockEditStart(false);
    try {
        LoadEditorValue(LoadCellValue(curDataCol_, curDataRow_, GetStoredCellValue(curDataCol_, curDataRow_, type)), true);
    } catch (...) {
        LockEditStart(true);
        throw;
    }
    LockEditStart(true);
}

// ------------------------------------------------------------ placing and dressing

void TgrBaseGrid::PositionCellControl(TgrCustomGridControl* control) {
    if (!control || !HasWindow() || IsDesigning()) return;
    Integer c = curDataCol_, r = curDataRow_;
    if (!IsDataCellIndex(c, r)) return;
    bool is3D = EffectiveIs3D(c, r);
    TRect rect = CellPixels(curDisplayCol_, curDisplayRow_);
    Integer width = GetColWidthAt(curDisplayCol_) - vertLineWidth_ - 3;
    Integer height = GetRowHeightAt(curDisplayRow_) - horzLineWidth_;
    // Keyboard editing and text editing are allowed unless the cell's
    // button says otherwise.
    bool keyEdit = true, textEdit = true;
    TgrDropDownStyle style;
    TgrButtonType button = ResolveButtonType(c, r, style);
    if (button != btNone) {
        TgrCustomButton* object = GetCellButton(curDisplayCol_, button);
        width = std::max<Integer>(0, width - (object ? object->TotalWidth() : 0));
        if (button == btVertSpin || button == btHorzSpin) {
            keyEdit = (EffectiveSpinOptions(c, r) & SpinOptionBit(spoKeyEdit)) != 0;
        } else if (button == btCombo || button == btDateTimeDropDown || button == btDateTimePopup) {
            keyEdit = textEdit = style != ddDropDownList;
        }
    } else if (is3D && vertLineWidth_ == 0) {
        --width;
    }
    if (is3D && horzLineWidth_ == 0) --height;
    // A cell cut down to nothing gives a control of no size, never a
    // negative one.
    width = std::max<Integer>(0, width);
    height = std::max<Integer>(0, height);
    control->SetAllowEdit(keyEdit);
    control->SetAllowSelect(textEdit || keyEdit);
    if (ShouldShowControl()) {
        control->Window()->SetBounds(rect.Left + 3, rect.Top, width, height);
        controlPlacedAt_ = current_;
    }
    DressCellControl(control, is3D);
}

// The control shows the cell as it is painted: its colour and font (in the
// edit colours while they are set), 3D look, word wrap and alignments, and
// the current column's limits; a check box takes the column's grayed state
// and check texts.
void TgrBaseGrid::DressCellControl(TgrCustomGridControl* control, bool is3D) {
    Integer c = curDataCol_, r = curDataRow_;
    TColor color = EffectiveCellColor(c, r, is3D);
    TFont* cellFont = EffectiveCellFont(c, r);
    TColor fontColor = cellFont ? cellFont->Color() : grColorNotSet;
    if (control->UsesEditColors()) {
        if (editColor_ != grColorNotSet) color = editColor_;
        if (editFontColor_ != grColorNotSet) fontColor = editFontColor_;
    }
    if (control->GetColor() != color) control->SetColor(color);
    if (cellFont) {
        TFont font;
        font.Assign(*cellFont);
        if (fontColor != grColorNotSet) font.SetColor(fontColor);
        TFont* shown = control->GetFont();
        if (!shown || shown->Name() != font.Name() || shown->Size() != font.Size() ||
            shown->Style() != font.Style() || shown->Color() != font.Color())
            control->SetFont(font);
    }
    control->SetCtl3D(is3D);
    control->SetWordWrap(EffectiveWordWrap(c, r));
    control->SetHorzAlignment(EffectiveHorzAlignment(c, r));
    control->SetVertAlignment(EffectiveVertAlignment(c, r));
    TgrCol* col = gridCols_ ? gridCols_->ColAt(c) : nullptr;
    control->SetMaxLength(col ? col->MaxLength() : 0);
    control->SetWantTabs(wantTabs_);
    control->SetAlwaysShowFocus(alwaysShowFocus_);
    if (control == checkControl_.get()) {
        if (col) checkControl_->SetAllowGrayed(col->GetAllowGrayed());
        checkControl_->SetCheckBoxValues(EffectiveCheckBoxValues(c));
    }
}

void TgrBaseGrid::ApplyDrawInfoToControl(const TgrDrawInfo& info) {
    if (!activeControl_) return;
    if (activeControl_->GetColor() != info.Color) activeControl_->SetColor(info.Color);
    if (info.Font) {
        TFont* shown = activeControl_->GetFont();
        if (!shown || shown->Name() != info.Font->Name() || shown->Size() != info.Font->Size() ||
            shown->Style() != info.Font->Style() || shown->Color() != info.Font->Color())
            activeControl_->SetFont(*info.Font);
    }
    if (activeControl_->WordWrap() != info.WordWrap) activeControl_->SetWordWrap(info.WordWrap);
    if (activeControl_->HorzAlignment() != info.HorzAlignment) activeControl_->SetHorzAlignment(info.HorzAlignment);
    if (activeControl_->VertAlignment() != info.VertAlignment) activeControl_->SetVertAlignment(info.VertAlignment);
}

void TgrBaseGrid::SetControlMaxLength(Integer displayCol, Integer maxLength) {
    if (displayCol == curDisplayCol_ && IsEditMode() && activeControl_) activeControl_->SetMaxLength(maxLength);
}

// ------------------------------------------------------------ edit mode

void TgrBaseGrid::SetEditMode(bool value, bool refresh, Byte selectMode) {
    if (value == editModeFlag_) return;
    editModeFlag_ = value;
    if (IsEditing()) {
        editSelectMode_ = selectMode;
        if (activeControl_ && selectMode == 0) activeControl_->SelectAll();
        else if (activeControl_ && selectMode == 2) activeControl_->SetSelLength(0);
    }
    if (refresh) ResetCellControl(true);
}

bool TgrBaseGrid::StartEditing(Byte selectMode, bool updateNow) {
    if (!CanEdit() || editModeFlag_ || !CanEditNow()) return false;
    bool cancel = false;
    FireShowEditor(curDataCol_, curDataRow_, cancel);
    if (cancel) return false;
    InvalidateFocusCell(false);
    SetEditMode(true, true, selectMode);
    if (updateNow && HasWindow()) Update();
    return editModeFlag_;
}

bool TgrBaseGrid::EnsureEditing(bool updateNow) {
    if (!CanEditNow() || !CanEdit()) return false;
    if (!BeginCellEdit() || !PrepareCellEdit(curDataCol_, true)) return false;
    return editModeFlag_ || StartEditing(0, updateNow);
}

bool TgrBaseGrid::EndEditing() {
    if (!editModeFlag_ || alwaysShowEditor_) return false;
    if (!CanLeaveCell(curDataCol_, curDataRow_, true)) return false;
    SetEditMode(alwaysShowEditor_, true, editSelectMode_);
    RepaintFocusCell(false);
    if (HasWindow()) Update();
    return !editModeFlag_;
}

void TgrBaseGrid::EndEditModeUnlessAlwaysShown() {
    if (alwaysShowEditor_ || !editModeFlag_) return;
    SetEditMode(false, true, editSelectMode_);
}

Integer TgrBaseGrid::GetScrollRepaintMode() {
    TgrCol* col = gridCols_ ? gridCols_->ColAt(curDataCol_) : nullptr;
    return (col && !col->GetReadOnly()) || ShowsFocus() ? 1 : 2;
}

// ------------------------------------------------------------ clicks handed over

// The grid keeps no capture of its own past the release, so whether it
// held the capture and the focus changes nothing for the control here.
void TgrBaseGrid::ForwardPressToEditor(bool) {
    if (!controlClickPending_) return;
    controlClickPending_ = false;
    if (activeControl_ && activeControl_->GetVisible()) {
        TPoint p(controlClickPos_.X - activeControl_->Left(), controlClickPos_.Y - activeControl_->Top());
        if (p.X >= 0 && p.Y >= 0) {
            // The control places its caret by the press; the grid has told
            // its owner about the click already, and the press is no second
            // press of a double-click.
            TgrGridControl* window = activeControl_->Window();
            auto down = window->OnMouseDown;
            auto up = window->OnMouseUp;
            auto click = window->OnClick;
            window->OnMouseDown = nullptr;
            window->OnMouseUp = nullptr;
            window->OnClick = nullptr;
            struct Restore {
                TgrGridControl* w;
                TMouseEvent down, up;
                TNotifyEvent click;
                ~Restore() {
                    w->OnMouseDown = down;
                    w->OnMouseUp = up;
                    w->OnClick = click;
                }
            } restore{window, down, up, click};
            GridLastPress().Time = 0;
            TShiftState shift;
            if (!controlClickRepeated_) shift.Include(ssLeft);
            window->MouseDown(mbLeft, shift, p.X, p.Y);
            // The button is up already: the control must not go on as if held.
            window->MouseUp(mbLeft, TShiftState(), p.X, p.Y);
        }
    }
    if (activeControl_ && !activeControl_->Focused() && ControlShouldHaveFocus() && activeControl_->CanFocus())
        activeControl_->SetFocus();
}

// ------------------------------------------------------------ the control's events

// Only the control over the current cell edits it.
void TgrBaseGrid::HandleControlCanEdit(TObject* sender, bool& cancel) {
    // Values the grid itself puts into the control are no edits.
    if (ControlOfWindow(sender) != activeControl_ || !IsEditStartUnlocked() || painting_) return;
    // The start events fire once: BeginCellEdit answers at once while the
    // cell edit runs.
    cancel = !BeginCellEdit();
}

void TgrBaseGrid::HandleControlCanChange(TObject* sender, bool byUser, bool& cancel) {
    cancel = false;
    if (ControlOfWindow(sender) != activeControl_) return;
    if (!painting_ && IsEditStartUnlocked() && byUser) cancel = !PrepareCellEdit(curDataCol_, true);
}

void TgrBaseGrid::HandleControlEdited(TObject* sender, bool edited, bool inserted, bool byUser) {
    if (ControlOfWindow(sender) != activeControl_) return;
    CellValueEdited(edited, byUser, inserted);
}

void TgrBaseGrid::HandleControlChange(TObject*, bool textChanged) {
    if (!activeControl_ || !currentCell_) return;
    currentCell_->NoteSelection(activeControl_->GetSelStart(), activeControl_->GetSelLength());
    if (!textChanged || !HasCurrentCell()) return;
    Variant value = activeControl_->GetValue();
    currentCell_->NoteEditedValue(value);
    if (storeData_ && IsEditStartUnlocked() && curDataCol_ >= 1 && curDataCol_ <= Cols() && curDataRow_ >= 1 &&
        curDataRow_ <= Rows())
        StoreCellValue(curDataCol_, curDataRow_, value, GetCurrentControlType());
}

void TgrBaseGrid::HandleControlUndo(TObject*, bool byUser, bool& cancel) {
    if (droppedCombo_) {
        CloseDropDowns(false);
        cancel = true;
        return;
    }
    bool undone = false, kept = false;
    bool allowed = UndoEdit(false, byUser, undone, kept);
    cancel = !(allowed && kept);
}

void TgrBaseGrid::HandleControlWantKey(TObject*, Word16 key, bool& want) {
    if (key != VK_ESCAPE) {
        want = true;
        return;
    }
    want = cellEditing_ || rowEditing_ || (mouseStatus_ != msNone && mouseStatus_ != msButtonDown) ||
           !comboSearchText_.empty() || droppedCombo_ != nullptr || IsInsertRowPos(curDisplayRow_);
}

void TgrBaseGrid::HandleControlMaskError(TObject*, const std::string& text, bool& accept) {
    FireInvalidMaskEdit(text, accept);
}

void TgrBaseGrid::HandleControlTextResize(TObject*, bool byUser) { DoEditTextResized(byUser); }

namespace {
// Raises the key lock for a scope, so that keys of the in-cell control fire
// the grid's key events without being processed as navigation there.
struct KeyLockScope {
    TgrBaseGrid& grid;
    void (TgrBaseGrid::*lock)(bool);
    KeyLockScope(TgrBaseGrid& g, void (TgrBaseGrid::*l)(bool)) : grid(g), lock(l) { (grid.*lock)(false); }
    ~KeyLockScope() { (grid.*lock)(true); }
};
}  // namespace

void TgrBaseGrid::HandleControlKeyDown(TObject*, Word16& key, TShiftState shift) {
    // Keys the grid itself hands to the control have fired the grid's
    // events already.
    if (forwardingKey_) return;
    KeyLockScope scope(*this, &TgrBaseGrid::LockKeys);
    KeyDown(key, shift);
}

void TgrBaseGrid::HandleControlKeyUp(TObject*, Word16& key, TShiftState shift) { KeyUp(key, shift); }

void TgrBaseGrid::HandleControlKeyPress(TObject*, char& key) {
    if (forwardingKey_) return;
    KeyLockScope scope(*this, &TgrBaseGrid::LockKeys);
    KeyPress(key);
}

void TgrBaseGrid::HandleControlAfterKeyDown(TObject*, Word16& key, TShiftState shift) {
    // Keys the grid itself forwarded to the control come back here once.
    if (forwardingKey_ || key == 0) return;
    ProcessKeyDown(key, shift);
}

void TgrBaseGrid::HandleControlAfterKeyPress(TObject*, char& key) {
    if (static_cast<unsigned char>(key) >= 32) ComboCharKey(key);
}

// A click on the control is a click on the current cell: it is the cell
// of the release and both cells of the click notification.
void TgrBaseGrid::HandleControlClick(TObject*) {
    if (OnClick) OnClick(this);
    SetMouseUpCell(curDisplayCol_, curDisplayRow_);
    NotifyClickCell(curDataCol_, curDataRow_, curDataCol_, curDataRow_);
}

void TgrBaseGrid::HandleControlDblClick(TObject*) {
    if (OnDblClick) OnDblClick(this);
    FireDblClickCell(curDataCol_, curDataRow_);
}

void TgrBaseGrid::HandleControlMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
    TgrCustomGridControl* control = ControlOfWindow(sender);
    if (!control) return;
    int gx = x + control->Left(), gy = y + control->Top();
    if ((IsGridFocused() || !checkMouseFocus_) && button == mbLeft) SetMouseDownCell(curDisplayCol_, curDisplayRow_);
    if ((IsGridFocused() || !checkMouseFocus_) && button == mbLeft && control != editControl_.get()) {
        // A press on the drop-down button of a list-only combo cell opens it
        // even over the in-cell control.
        TgrCellPaintInfo info;
        if (FillDrawInfo(curDisplayCol_, curDisplayRow_, info) && info.ButtonType == btCombo &&
            info.DropDownStyle == ddDropDownList && PointInClosedRect(gx, gy, info.ButtonRect))
            DropDownCombo();
    }
    if (OnMouseDown) OnMouseDown(this, button, shift, gx, gy);
}

void TgrBaseGrid::HandleControlMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
    TgrCustomGridControl* control = ControlOfWindow(sender);
    if (control && OnMouseUp) OnMouseUp(this, button, shift, x + control->Left(), y + control->Top());
}

void TgrBaseGrid::HandleControlMouseMove(TObject* sender, TShiftState shift, int x, int y) {
    TgrCustomGridControl* control = ControlOfWindow(sender);
    if (control && OnMouseMove) OnMouseMove(this, shift, x + control->Left(), y + control->Top());
}

void TgrBaseGrid::HandleControlKillFocus(TObject*) {}

TgrCustomGridControl* TgrBaseGrid::ControlOfWindow(TObject* window) const {
    for (TgrCustomGridControl* c : {static_cast<TgrCustomGridControl*>(editControl_.get()),
                                    static_cast<TgrCustomGridControl*>(checkControl_.get()),
                                    static_cast<TgrCustomGridControl*>(defaultControl1_.get()),
                                    static_cast<TgrCustomGridControl*>(defaultControl2_.get())})
        if (c && c->Window() == window) return c;
    return nullptr;
}

// ------------------------------------------------------------ focus

void TgrBaseGrid::FocusEntered() {
    if (IsDestroying() || hidingControl_ || controlHiddenByGrid_) {
        InvalidateFocusCell(false);
        return;
    }
    if (!controlShown_) RefreshCellControl();
    else if (ControlShouldHaveFocus() && activeControl_ && activeControl_->GetVisible() && activeControl_->CanFocus())
        activeControl_->SetFocus();
    InvalidateFocusCell(false);
}

void TgrBaseGrid::FocusLeft() {
    if (IsDestroying()) return;
    focusByKeyboard_ = false;
    if (!(alwaysShowEditor_ && controlShown_)) InvalidateFocusArea(curDisplayCol_, curDisplayRow_);
}

// The date-time drop-down of a cell: the definition that applies to it, the
// registered editor opened next to the cell with its init, drop-down and
// roll-up notifications (each once per opening), and the editor's value
// taken into the cell or given up.

#include <string>

#include <QWidget>

#include "grid/GRGLibValues.h"
#include "grid/GridDropDown.h"
#include "grid/TSGrid.h"
#include "platform/core/DateTime.h"
#include "platform/core/Format.h"

namespace {
TgrDateTimeEditorFactory& EditorFactory() {
    static TgrDateTimeEditorFactory factory;
    return factory;
}
bool IsDateTimeButton(TgrButtonType type) { return type == btDateTimeDropDown || type == btDateTimePopup; }
}  // namespace

void RegisterDateTimeEditor(TgrDateTimeEditorFactory factory) { EditorFactory() = std::move(factory); }
bool DateTimeEditorRegistered() { return bool(EditorFactory()); }

TgrDateTimeDefComponent* TgrBaseGrid::EffectiveDateTimeDef(Integer dataCol, Integer dataRow) {
    if (dataCol < 1 || dataCol > Cols() || dataRow < 1 || dataRow > Rows()) return nullptr;
    TgrDateTimeDefComponent* def = nullptr;
    TgrCol* col = Col(dataCol);
    bool colDateTime = col && IsDateTimeButton(col->ButtonType());
    TgrDateTimeDefComponent* colDef = col ? col->DateTimeDef() : nullptr;
    if (IsDateTimeButton(GetCellButtonType(dataCol, dataRow)))
        def = GetCellDateTimeDef(dataCol, dataRow);
    else if (DrawOverlap() == doDrawRowOnTop)
        def = IsDateTimeButton(GetRowButtonType(dataRow)) ? GetRowDateTimeDef(dataRow) : colDef;
    else
        def = colDateTime ? colDef : GetRowDateTimeDef(dataRow);
    return def ? def : dateTimeDef_;
}

bool TgrBaseGrid::CanDropDownDateTime(Integer dataCol, Integer dataRow) {
    if (!DateTimeEditorRegistered() || !CanEdit() || IsCellReadOnly(dataCol, dataRow)) return false;
    TgrDropDownStyle style;
    if (!IsDateTimeButton(ResolveButtonType(dataCol, dataRow, style))) return false;
    return EffectiveDateTimeDef(dataCol, dataRow) != nullptr;
}

bool TgrBaseGrid::ToggleDateTimeDropDown(Integer dataCol, Integer dataRow) {
    if (IsDateTimeDropDownShown() && dropDownCol_ == dataCol && dropDownRow_ == dataRow) {
        CloseDropDowns(false);
        return true;
    }
    return DropDownDateTime();
}

bool TgrBaseGrid::DropDownDateTime() { return DropDownDateTimeAt(curDataCol_, curDataRow_); }

bool TgrBaseGrid::DropDownDateTimeAt(Integer dataCol, Integer dataRow) {
    if (IsDateTimeDropDownShown() && dropDownCol_ == dataCol && dropDownRow_ == dataRow) {
        CloseDropDowns(false);
        return true;
    }
    if (!HasWindow() || !CanDropDownDateTime(dataCol, dataRow)) return false;
    CloseDropDowns(false);
    if (!ShowDateTimeDropDown(dataCol, dataRow)) return false;
    // A press elsewhere closes an open drop-down (a popup has run already).
    if (IsDateTimeDropDownShown() && static_cast<TgrDropDownForm*>(dateTimeForm_)->DropDownStyle())
        RegisterDropDownGrid(this);
    return true;
}

void TgrBaseGrid::DateTimeKeyDown(Word16& key, TShiftState shift) {
    bool alt = shift.Contains(ssAlt), ctrl = shift.Contains(ssCtrl), shifted = shift.Contains(ssShift);
    if (alt && !ctrl && !shifted) {
        if (key == VK_UP || key == VK_DOWN) {
            CloseDropDowns(false);
            key = 0;
        }
        return;
    }
    if (shifted && !ctrl && !alt && key == VK_TAB) {
        CloseDropDowns(false);
        return;
    }
    if (!shifted && !ctrl && !alt) {
        switch (key) {
            case VK_TAB: CloseDropDowns(false); return;
            case VK_F4: CloseDropDowns(false); break;
            case VK_RETURN:
            case VK_ESCAPE:
            case VK_PRIOR:
            case VK_NEXT:
            case VK_LEFT:
            case VK_RIGHT:
            case VK_UP:
            case VK_DOWN: HandKeyToDateTimeEditor(key, shift); break;
            default: break;
        }
    }
    // Every other key is the open drop-down's.
    key = 0;
}

bool TgrBaseGrid::ShowDateTimeDropDown(Integer dataCol, Integer dataRow) {
    TForm* form = GetDateTimeForm();
    TgrDateTimeDefComponent* def = PrepareDateTimeEditor(dataCol, dataRow);
    if (!def || !dateTimeEditor_) return false;
    dateTimeEditor_->Value = Variant();
    TgrDropDownStyle style;
    TgrButtonType type = ResolveButtonType(dataCol, dataRow, style);
    InitDateTimeEditor(dataCol, dataRow, type);
    BeginDateTimeDropDown(dataCol, dataRow);
    SetDateTimeFormStyle(type);
    if (dateTimeEditor_->Value.IsEmpty()) GetCurrentDateTime(dateTimeEditor_->Value);
    PositionDateTimeForm(dataCol, dataRow);
    ShowDateTimeForm();
    if (HasWindow()) Update();
    UpdateDateTimeEditor();
    (void)form;
    return true;
}

TgrDateTimeDefComponent* TgrBaseGrid::PrepareDateTimeEditor(Integer dataCol, Integer dataRow) {
    TgrDateTimeDefComponent* def = EffectiveDateTimeDef(dataCol, dataRow);
    // Another definition (or none) makes the editor start afresh.
    if (!def || def != editorDateTimeDef_) {
        ResetDateTimeEditor();
        dateTimeEditor_.reset();
    }
    if (!def || dateTimeEditor_ || !DateTimeEditorRegistered()) return def;
    dateTimeEditor_ = EditorFactory()(def, GetDateTimeForm());
    if (!dateTimeEditor_) return nullptr;
    if (TControl* control = dateTimeEditor_->Control()) control->SetParent(dateTimeForm_);
    dateTimeEditor_->OnAccept = [this] { DateTimeAccepted(); };
    dateTimeEditor_->OnCancel = [this] { DateTimeCancelled(); };
    return def;
}

void TgrBaseGrid::InitDateTimeEditor(Integer dataCol, Integer dataRow, TgrButtonType type) {
    if (dateTimeEditorInitialised_ || !dateTimeEditor_) return;
    TgrDateTimeDefComponent* def = EffectiveDateTimeDef(dataCol, dataRow);
    if (!def) return;
    if (def != editorDateTimeDef_) {
        editorDateTimeDef_ = def;
        dateTimeEditor_->TakeSettings(def);
    }
    dateTimePopup_ = type == btDateTimePopup;
    dateTimeEditor_->Popup = dateTimePopup_;
    dateTimeEditor_->Reset();
    FireDateTimeInit(def, dataCol, dataRow);
    dateTimeEditorInitialised_ = true;
}

void TgrBaseGrid::ResetDateTimeEditor() {
    dateTimeEditorInitialised_ = false;
    ForgetDateTimeDef();
}

void TgrBaseGrid::BeginDateTimeDropDown(Integer dataCol, Integer dataRow) {
    if (dropDownCol_ >= 0) return;
    FireDateTimeDropDown(EffectiveDateTimeDef(dataCol, dataRow), dataCol, dataRow);
    dropDownCol_ = dataCol;
    dropDownRow_ = dataRow;
}

void TgrBaseGrid::EndDateTimeDropDown() {
    if (dropDownCol_ < 0) return;
    Integer col = dropDownCol_, row = dropDownRow_;
    dropDownCol_ = dropDownRow_ = -1;
    // The next opening initialises the editor again.
    dateTimeEditorInitialised_ = false;
    FireDateTimeRollUp(editorDateTimeDef_ ? editorDateTimeDef_ : EffectiveDateTimeDef(col, row), col, row);
}

// ------------------------------------------------------------ the form

TForm* TgrBaseGrid::GetDateTimeForm() {
    if (!dateTimeForm_) {
        dateTimeForm_ = new TgrDropDownForm(this);
        InitDropDownForm(dateTimeForm_);
    }
    return dateTimeForm_;
}

void TgrBaseGrid::SetDateTimeFormStyle(TgrButtonType type) {
    auto* form = static_cast<TgrDropDownForm*>(GetDateTimeForm());
    if (type == btDateTimeDropDown && !form->DropDownStyle()) {
        form->SetBorderStyle(bsNone);
        form->SetBorderIcons(0);
        form->SetCaption("");
        form->SetDropDownStyle(true);
    } else if (type == btDateTimePopup && form->DropDownStyle()) {
        form->SetBorderStyle(bsToolWindow);
        form->SetBorderIcons(biSystemMenu);
        form->SetDropDownStyle(false);
    }
    if (type == btDateTimePopup && dateTimeEditor_) form->SetCaption(dateTimeEditor_->Caption);
}

void TgrBaseGrid::PositionDateTimeForm(Integer dataCol, Integer dataRow) {
    TForm* form = GetDateTimeForm();
    Integer displayCol = DisplayColOfData(dataCol), displayRow = DisplayRowOfData(dataRow);
    TRect cell = CellPixels(displayCol, displayRow);
    TControl* control = dateTimeEditor_ ? dateTimeEditor_->Control() : nullptr;
    // Without a control the form is one line high under the cell.
    TPoint size = control ? FitDropDownToControl(control)
                          : TPoint(cell.Width() + form->Width() - form->ClientWidth(),
                                   15 + form->Height() - form->ClientHeight());
    TPoint point = ClientToScreen(TPoint(cell.Left, cell.Bottom));
    if (size.X < cell.Width()) point.X += cell.Width() - size.X;
    if (control) control->SetBounds(0, 0, control->Width(), control->Height());
    if (static_cast<TgrDropDownForm*>(form)->DropDownStyle())
        FitDropDownToWorkArea(dataCol, dataRow, size, point);
    else
        CenterInWorkArea(dataCol, dataRow, size, point);
    form->SetBounds(point.X, point.Y, size.X, size.Y);
}

TPoint TgrBaseGrid::FitDropDownToControl(TControl* control) {
    if (!control) return TPoint(0, 0);
    TForm* form = GetDateTimeForm();
    return TPoint(control->Width() + form->Width() - form->ClientWidth(),
                  control->Height() + form->Height() - form->ClientHeight());
}

void TgrBaseGrid::ShowDateTimeForm() {
    auto* form = static_cast<TgrDropDownForm*>(GetDateTimeForm());
    form->SetEnabled(true);
    if (form->DropDownStyle()) {
        form->Show();
        ActivateDateTimeEditor();
        return;
    }
    dateTimeAccepted_ = dateTimeCancelled_ = false;
    dateTimeModal_ = true;
    form->OnActivate = [this](TObject*) { ActivateDateTimeEditor(); };
    form->OnClose = [this](TObject*, TCloseAction&) { DateTimeFormClosed(); };
    auto unhook = [&] {
        form->OnActivate = nullptr;
        form->OnClose = nullptr;
    };
    try {
        // The loop ends when the form closes: the editor's answer, the close
        // button, or the application ending.
        form->ShowModal();
    } catch (...) {
        unhook();
        dateTimeModal_ = false;
        throw;
    }
    unhook();
    try {
        if (dateTimeAccepted_) ApplyDateTimeValue();
        else if (dateTimeCancelled_) CancelDateTimeValue();
    } catch (...) {
        dateTimeModal_ = false;
        throw;
    }
    dateTimeModal_ = false;
    // Closed in any other way, the drop-down still ends.
    if (dropDownCol_ >= 0) EndDateTimeDropDown();
}

void TgrBaseGrid::ActivateDateTimeEditor() {
    if (dateTimeEditor_) dateTimeEditor_->Activate();
}

void TgrBaseGrid::DateTimeFormClosed() { DateTimeCancelled(); }

void TgrBaseGrid::DateTimeAccepted() {
    dateTimeAccepted_ = true;
    if (!dateTimeModal_) {
        ApplyDateTimeValue();
        return;
    }
    if (dateTimeForm_ && dateTimeForm_->Modal()) dateTimeForm_->SetModalResult(mrOk);
}

void TgrBaseGrid::DateTimeCancelled() {
    dateTimeCancelled_ = true;
    if (!dateTimeModal_) {
        CancelDateTimeValue();
        return;
    }
    if (dateTimeForm_ && dateTimeForm_->Modal() && dateTimeForm_->ModalResult() == mrNone)
        dateTimeForm_->SetModalResult(mrCancel);
}

void TgrBaseGrid::UpdateDateTimeEditor() {
    if (TControl* control = dateTimeEditor_ ? dateTimeEditor_->Control() : nullptr) control->Repaint();
}

bool TgrBaseGrid::HasDateTimeControl() const { return dateTimeEditor_ && dateTimeEditor_->Control(); }

bool TgrBaseGrid::IsInDateTimeControl(const QWidget* window) const {
    TControl* control = dateTimeEditor_ ? dateTimeEditor_->Control() : nullptr;
    QWidget* w = control ? control->Widget() : nullptr;
    return w && window && (window == w || w->isAncestorOf(window));
}

bool TgrBaseGrid::IsDropDownWindow(const QWidget* window) const {
    if (!window || !IsDateTimeDropDownShown()) return false;
    QWidget* form = dateTimeForm_ ? dateTimeForm_->Widget() : nullptr;
    return (form && (window == form || form->isAncestorOf(window))) || IsInDateTimeControl(window);
}

bool TgrBaseGrid::IsDateTimeDropDownShown() const {
    if (!dateTimeForm_) return false;
    if (dateTimeForm_->Visible()) return true;
    TControl* control = dateTimeEditor_ ? dateTimeEditor_->Control() : nullptr;
    return control && control->Parent() != dateTimeForm_;
}

bool TgrBaseGrid::CloseDateTimeDropDown(bool reactivate, bool update) {
    bool shown = IsDateTimeDropDownShown() || dateTimeModal_;
    if (!shown) return false;
    auto* form = static_cast<TgrDropDownForm*>(dateTimeForm_);
    form->Hide();
    if (form->DropDownStyle()) UnregisterDropDownGrid(this);
    else if (form->Modal() && form->ModalResult() == mrNone) form->SetModalResult(mrCancel);
    if (update && HasWindow()) Update();
    if (reactivate)
        if (TCustomForm* own = GetParentForm(this); own && own == Screen->ActiveForm()) own->Show();
    return true;
}

void TgrBaseGrid::CloseDropDowns(bool reactivate) {
    if (CloseComboDropDown(reactivate, true)) {
        EndComboForCell();
        return;
    }
    if (CloseDateTimeDropDown(reactivate, true)) EndDateTimeDropDown();
}

bool TgrBaseGrid::IsAnyDropDownShown() const { return IsComboDropDownShown() || IsDateTimeDropDownShown(); }

void TgrBaseGrid::GetCurrentDateTime(Variant& value) {
    Variant stored = HasCurrentCell() ? GetCellValue(curDataCol_, curDataRow_) : Variant();
    value = Variant::FromDate(VariantToDateTime(stored));
}

Variant TgrBaseGrid::GetDateTimeEditorValue(Integer dataCol, Integer dataRow) {
    Variant value = dateTimeEditor_ ? dateTimeEditor_->Value : Variant();
    FireDateTimeGetValue(editorDateTimeDef_ ? editorDateTimeDef_ : EffectiveDateTimeDef(dataCol, dataRow), dataCol,
                         dataRow, value);
    if (value.Type() != varDate && !VarIsFloat(value)) return value;
    const TFormatSettings& fs = DefaultFormatSettings();
    // A two-digit year is widened to four digits.
    std::string date = fs.ShortDateFormat;
    if (date.find("yyyy") == std::string::npos)
        if (std::size_t y = date.find("yy"); y != std::string::npos) date.replace(y, 2, "yyyy");
    TDateTime dt = value.AsDouble();
    Integer kind = dateTimeEditor_ ? dateTimeEditor_->Kind : 0;
    std::string format = kind == 1 ? fs.LongTimeFormat : date;
    if (kind == 2 && TimeOf(dt) != 0) format = date + " " + fs.LongTimeFormat;
    return Variant(FormatDateTime(format, dt, fs));
}

bool TgrBaseGrid::ApplyDateTimeValue() {
    Variant editorValue = dateTimeEditor_ ? dateTimeEditor_->Value : Variant();
    if (editorValue.IsEmpty() || (IsDesigning() && !storeData_) || !HasCurrentCell()) {
        RefreshCellControl();
        CloseDropDowns(false);
        dateTimeAccepted_ = false;
        return false;
    }
    bool closed = CloseDateTimeDropDown(false, true);
    bool taken = false;
    auto finish = [&] {
        RefreshCellControl();
        if (closed) EndDateTimeDropDown();
        dateTimeAccepted_ = false;
        if (HasWindow() && CanFocus() && !IsGridFocused()) SetFocus();
    };
    try {
        Variant value = GetDateTimeEditorValue(curDataCol_, curDataRow_);
        if (!value.IsEmpty()) CheckCellValueType(GetCurrentControlType(), value);
        taken = SetCurrentCellValue(value, true, true);
    } catch (...) {
        // A value the cell refuses still ends the drop-down.
        finish();
        throw;
    }
    finish();
    return taken;
}

void TgrBaseGrid::CancelDateTimeValue() {
    RefreshCellControl();
    CloseDropDowns(false);
    if (HasWindow() && CanFocus() && !IsGridFocused()) SetFocus();
    dateTimeCancelled_ = false;
}

void TgrBaseGrid::HandKeyToDateTimeEditor(Word16 key, TShiftState shift) {
    TControl* control = dateTimeEditor_ ? dateTimeEditor_->Control() : nullptr;
    if (!control) return;
    Word16 k = key;
    if (auto* win = dynamic_cast<TWinControl*>(control); win && win->OnKeyDown) win->OnKeyDown(win, k, shift);
}

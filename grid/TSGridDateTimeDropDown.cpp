// The date-time drop-down of a cell: the definition that applies to it, the
// registered editor opened next to the cell with its init, drop-down and
// roll-up notifications (each once per opening), and the editor's value
// taken into the cell or given up.

#include "grid/TSGrid.h"

namespace {
TgrDateTimeEditor& DateTimeEditor() {
    static TgrDateTimeEditor editor;
    return editor;
}
bool IsDateTimeButton(TgrButtonType type) { return type == btDateTimeDropDown || type == btDateTimePopup; }
}  // namespace

void RegisterDateTimeEditor(TgrDateTimeEditor editor) { DateTimeEditor() = std::move(editor); }
bool DateTimeEditorRegistered() { return bool(DateTimeEditor()); }

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
    if (dateTimeShown_ && dropDownCol_ == dataCol && dropDownRow_ == dataRow) {
        CloseDropDowns(false);
        return true;
    }
    return DropDownDateTime();
}

bool TgrBaseGrid::DropDownDateTime() {
    if (!HasWindow() || !CanDropDownDateTime(curDataCol_, curDataRow_)) return false;
    CloseDropDowns(false);
    return ShowDateTimeDropDown(curDataCol_, curDataRow_);
}

bool TgrBaseGrid::ShowDateTimeDropDown(Integer dataCol, Integer dataRow) {
    TgrDateTimeDefComponent* def = PrepareDateTimeEditor(dataCol, dataRow);
    if (!def) return false;
    TgrDropDownStyle style;
    InitDateTimeEditor(dataCol, dataRow, ResolveButtonType(dataCol, dataRow, style));
    BeginDateTimeDropDown(dataCol, dataRow);
    dateTimeShown_ = true;
    TRect cell = CellPixels(DisplayColOfData(dataCol), DisplayRowOfData(dataRow));
    TPoint topLeft = ClientToScreen(TPoint(cell.Left, cell.Top));
    TRect screenCell(topLeft.X, topLeft.Y, topLeft.X + cell.Width(), topLeft.Y + cell.Height());
    // The editor may answer at once (ApplyDateTimeValue, CancelDateTimeValue)
    // and so end the drop-down before it returns.
    bool shown = DateTimeEditor()(this, def, screenCell);
    if (!shown && dateTimeShown_) {
        dateTimeShown_ = false;
        EndDateTimeDropDown();
    }
    return shown;
}

TgrDateTimeDefComponent* TgrBaseGrid::PrepareDateTimeEditor(Integer dataCol, Integer dataRow) {
    TgrDateTimeDefComponent* def = EffectiveDateTimeDef(dataCol, dataRow);
    // Another definition (or none) makes the editor start afresh.
    if (def != editorDateTimeDef_) ResetDateTimeEditor();
    return def;
}

void TgrBaseGrid::InitDateTimeEditor(Integer dataCol, Integer dataRow, TgrButtonType type) {
    if (dateTimeEditorInitialised_) return;
    TgrDateTimeDefComponent* def = EffectiveDateTimeDef(dataCol, dataRow);
    if (!def) return;
    editorDateTimeDef_ = def;
    dateTimePopup_ = type == btDateTimePopup;
    FireDateTimeInit(def, dataCol, dataRow);
    dateTimeEditorInitialised_ = true;
}

void TgrBaseGrid::ResetDateTimeEditor() {
    dateTimeEditorInitialised_ = false;
    editorDateTimeDef_ = nullptr;
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

bool TgrBaseGrid::CloseDateTimeDropDown(bool reactivate, bool update) {
    if (!dateTimeShown_) return false;
    dateTimeShown_ = false;
    if (update && HasWindow()) Update();
    if (reactivate && CanFocus()) SetFocus();
    return true;
}

void TgrBaseGrid::CloseDropDowns(bool reactivate) {
    if (CloseComboDropDown(reactivate, true)) return;
    if (CloseDateTimeDropDown(reactivate, true)) EndDateTimeDropDown();
}

bool TgrBaseGrid::IsAnyDropDownShown() const { return IsComboDropDownShown() || dateTimeShown_; }

Variant TgrBaseGrid::GetDateTimeEditorValue(Integer dataCol, Integer dataRow, const Variant& editorValue) {
    Variant value = editorValue;
    FireDateTimeGetValue(editorDateTimeDef_ ? editorDateTimeDef_ : EffectiveDateTimeDef(dataCol, dataRow), dataCol,
                         dataRow, value);
    return value;
}

bool TgrBaseGrid::ApplyDateTimeValue(const Variant& editorValue) {
    if (editorValue.IsEmpty() || (IsDesigning() && !storeData_) || !HasCurrentCell()) {
        RefreshCellControl();
        CloseDropDowns(false);
        return false;
    }
    bool closed = CloseDateTimeDropDown(false, true);
    bool taken = false;
    try {
        Variant value = GetDateTimeEditorValue(curDataCol_, curDataRow_, editorValue);
        if (!value.IsEmpty()) CheckCellValueType(GetCurrentControlType(), value);
        taken = currentCell_->SetValue(value, true, true);
    } catch (...) {
        // A value the cell refuses still ends the drop-down.
        RefreshCellControl();
        if (closed) EndDateTimeDropDown();
        throw;
    }
    RefreshCellControl();
    if (closed) EndDateTimeDropDown();
    return taken;
}

void TgrBaseGrid::CancelDateTimeValue() {
    RefreshCellControl();
    CloseDropDowns(false);
}

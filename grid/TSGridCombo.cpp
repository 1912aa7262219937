// Combos of the grid class: which combo governs the current cell, dropping
// its list grid down in a frameless tool window below the cell (inside the
// work area of the cell's screen), keys and clicks in the list, and taking
// the chosen value into the cell.

#include <algorithm>

#include <QGuiApplication>
#include <QScreen>

#include "grid/GridCombo.h"
#include "grid/TSGrid.h"
#include "platform/gui/Forms.h"

// ------------------------------------------------------------ settings

void TgrBaseGrid::FreeComboObject(TgrCombo* combo) {
    if (!combo) return;
    ForgetActiveCombo(combo);
    delete combo;
}

TgrDropDownStyle TgrBaseGrid::ComboDropDownStyle(const TgrCombo* combo) const {
    return combo ? combo->DropDownStyle : ddDropDown;
}

void TgrBaseGrid::SetComboDropDownStyle(TgrCombo* combo, TgrDropDownStyle style) {
    if (combo) combo->DropDownStyle = style;
}

void TgrBaseGrid::AssignComboSettings(TgrCombo* dest, const TgrCombo* source) {
    if (dest && source) dest->AssignSettings(*source);
}

void TgrBaseGrid::SetComboDropDownWidth(TgrCombo* combo, Integer width) {
    if (combo) combo->DropDownWidth = std::max<Integer>(0, width);
}

void TgrBaseGrid::RollUpComboIfActive(TgrCombo* combo, bool free) {
    if (combo && combo == droppedCombo_) RollUpCombo(false);
    if (free) ForgetActiveCombo(combo);
}

void TgrBaseGrid::ForgetActiveCombo(TgrCombo* combo) {
    if (combo && combo == droppedCombo_) {
        if (dropDownForm_) dropDownForm_->Hide();
        if (combo->ComboGrid()) combo->ComboGrid()->SetParent(nullptr);
        droppedCombo_ = nullptr;
    }
}

TgrCombo* TgrBaseGrid::EffectiveCombo(Integer dataCol, Integer dataRow) {
    if (dataCol < 1 || dataRow < 1 || dataRow >= RowTotal()) return nullptr;
    if (TgrCellElement* e = CellRecord(dataCol, dataRow); e && e->Combo) return e->Combo;
    TgrColRowBase* col = gridCols_->ColAt(dataCol);
    TgrColRowBase* row = dataRow < gridRows_->Count() ? gridRows_->GetRow(dataRow) : nullptr;
    TgrColRowBase* first = DrawOverlap() == doDrawColOnTop ? col : row;
    TgrColRowBase* second = DrawOverlap() == doDrawColOnTop ? row : col;
    if (first && first->Combo()) return first->Combo();
    if (second && second->Combo()) return second->Combo();
    return nullptr;
}

// ------------------------------------------------------------ dropping down

bool TgrBaseGrid::DropDownCombo() {
    if (droppedCombo_ || !HasWindow() || !CanEdit()) return false;
    TgrDropDownStyle style;
    if (ResolveButtonType(curDataCol_, curDataRow_, style) != btCombo || IsCellReadOnly(curDataCol_, curDataRow_))
        return false;
    TgrCombo* combo = EffectiveCombo(curDataCol_, curDataRow_);
    TgrBaseGrid* list = combo ? combo->ComboGrid() : nullptr;
    if (!list || list->Rows() < 1) return false;

    if (!dropDownForm_) {
        dropDownForm_ = new TForm(this);
        dropDownForm_->SetBorderStyle(bsNone);
        // Focus leaving the drop-down closes it without taking a value.
        dropDownForm_->OnDeactivate = [this](TObject*) {
            if (droppedCombo_) RollUpCombo(false);
        };
    }
    list->SetParent(dropDownForm_);
    // The list shows its current value's row.
    std::string current = GetCellValue(curDataCol_, curDataRow_).AsString();
    Integer valueCol = std::clamp<Integer>(combo->ValueCol, 1, std::max<Integer>(1, list->Cols()));
    for (Integer r = 1; r <= list->Rows(); ++r)
        if (list->GetCellValue(valueCol, r).AsString() == current) {
            list->ChangeCurrentCell(list->DisplayColOfData(valueCol), list->DisplayRowOfData(r));
            break;
        }

    TRect cell = CellPixels(curDisplayCol_, curDisplayRow_);
    Integer rows = std::min<Integer>(std::max<Integer>(1, combo->DropDownRows), list->Rows());
    Integer height = rows * list->DefaultRowHeight() + (list->HeadingOn() ? list->HeadingHeight() : 0) + 2;
    Integer width = combo->DropDownWidth > 0 ? combo->DropDownWidth : std::max<Integer>(cell.Width(), 40);
    TPoint topLeft = ClientToScreen(TPoint(cell.Left, cell.Top));
    TRect screenCell(topLeft.X, topLeft.Y, topLeft.X + cell.Width(), topLeft.Y + cell.Height());
    TRect work(0, 0, Screen->Width(), Screen->Height());
    if (QScreen* s = QGuiApplication::screenAt(QPoint(topLeft.X, topLeft.Y))) {
        QRect a = s->availableGeometry();
        work = TRect(a.left(), a.top(), a.left() + a.width(), a.top() + a.height());
    }
    TRect place = PlaceDropDown(screenCell, int(width), int(height), work);
    dropDownForm_->SetBounds(place.Left, place.Top, place.Width(), place.Height());
    list->SetBounds(0, 0, place.Width(), place.Height());
    droppedCombo_ = combo;
    dropDownForm_->Show();
    list->UpdateScrollBars();
    list->Invalidate();
    return true;
}

void TgrBaseGrid::RollUpCombo(bool accept) {
    TgrCombo* combo = droppedCombo_;
    if (!combo) return;
    droppedCombo_ = nullptr;
    if (dropDownForm_) dropDownForm_->Hide();
    TgrBaseGrid* list = combo->ComboGrid();
    if (!accept || !list || list->CurrentDataRow() < 1 || list->CurrentDataRow() > list->Rows()) return;
    Integer valueCol = std::clamp<Integer>(combo->ValueCol, 1, std::max<Integer>(1, list->Cols()));
    Variant value = list->GetCellValue(valueCol, list->CurrentDataRow());
    if (!BeginCellEdit()) return;
    if (storeData_) {
        TgrControlType type = GetCurrentControlType();
        if (type == ctText && !value.IsString()) value = Variant(value.AsString());
        StoreCellValue(curDataCol_, curDataRow_, value, type);
    }
    if (currentCell_) currentCell_->ClearValue();
    EndCellEdit(true);
}

// Keys while the list is down: moves go to the list, Enter takes its value,
// Esc and Tab close it.
bool TgrBaseGrid::ComboKeyDown(Word16& key, TShiftState shift) {
    TgrBaseGrid* list = droppedCombo_ ? droppedCombo_->ComboGrid() : nullptr;
    if (!list) return false;
    bool alt = shift.Contains(ssAlt);
    switch (key) {
        case VK_UP:
        case VK_DOWN:
            if (alt) {
                RollUpCombo(false);
                key = 0;
                return true;
            }
            [[fallthrough]];
        case VK_PRIOR:
        case VK_NEXT: {
            Word16 k = key;
            list->GridKeyDown(k, {});
            key = 0;
            return true;
        }
        case VK_RETURN:
            RollUpCombo(true);
            key = 0;
            return true;
        case VK_ESCAPE:
        case VK_F4:
            RollUpCombo(false);
            key = 0;
            return true;
        case VK_TAB:
            RollUpCombo(false);
            return false;
        default: return false;
    }
}

// ------------------------------------------------------------ date-time drop-down

namespace {
TgrDateTimeEditor& DateTimeEditor() {
    static TgrDateTimeEditor editor;
    return editor;
}
}  // namespace

void RegisterDateTimeEditor(TgrDateTimeEditor editor) { DateTimeEditor() = std::move(editor); }
bool DateTimeEditorRegistered() { return bool(DateTimeEditor()); }

TgrDateTimeDefComponent* TgrBaseGrid::EffectiveDateTimeDef(Integer dataCol, Integer dataRow) {
    if (dataCol < 1 || dataRow < 1 || dataRow >= RowTotal()) return nullptr;
    if (TgrCellElement* e = CellRecord(dataCol, dataRow); e && e->DateTimeDef) return e->DateTimeDef;
    TgrColRowBase* col = gridCols_->ColAt(dataCol);
    TgrColRowBase* row = dataRow < gridRows_->Count() ? gridRows_->GetRow(dataRow) : nullptr;
    TgrColRowBase* first = DrawOverlap() == doDrawColOnTop ? col : row;
    TgrColRowBase* second = DrawOverlap() == doDrawColOnTop ? row : col;
    if (first && first->DateTimeDef()) return first->DateTimeDef();
    if (second && second->DateTimeDef()) return second->DateTimeDef();
    return dateTimeDef_;
}

bool TgrBaseGrid::CanDropDownDateTime(Integer dataCol, Integer dataRow) {
    if (!DateTimeEditorRegistered() || !CanEdit() || IsCellReadOnly(dataCol, dataRow)) return false;
    TgrDropDownStyle style;
    TgrButtonType button = ResolveButtonType(dataCol, dataRow, style);
    if (button != btDateTimeDropDown && button != btDateTimePopup) return false;
    return EffectiveDateTimeDef(dataCol, dataRow) != nullptr;
}

bool TgrBaseGrid::DropDownDateTime() {
    if (!HasWindow() || !CanDropDownDateTime(curDataCol_, curDataRow_)) return false;
    TRect cell = CellPixels(curDisplayCol_, curDisplayRow_);
    TPoint topLeft = ClientToScreen(TPoint(cell.Left, cell.Top));
    TRect screenCell(topLeft.X, topLeft.Y, topLeft.X + cell.Width(), topLeft.Y + cell.Height());
    return DateTimeEditor()(this, EffectiveDateTimeDef(curDataCol_, curDataRow_), screenCell);
}

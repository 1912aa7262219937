// Combos of the grid class: which combo governs the current cell, dropping
// its list grid down in a frameless tool window below the cell (inside the
// work area of the cell's screen), keys and clicks in the list, and taking
// the chosen value into the cell.

#include <algorithm>

#include <QGuiApplication>
#include <QString>
#include <QScreen>
#include <QWidget>

#include "grid/GridCombo.h"
#include "grid/GridDropDown.h"
#include "grid/TSGrid.h"
#include "platform/core/Clock.h"
#include "platform/gui/Forms.h"

// ------------------------------------------------------------ settings

void TgrBaseGrid::FreeComboObject(TgrCombo* combo) {
    if (!combo) return;
    ForgetActiveCombo(combo);
    delete combo;
}

TgrDropDownStyle TgrBaseGrid::ComboDropDownStyle(const TgrCombo* combo) const {
    return combo ? combo->GetDropDownStyle() : ddDropDown;
}

void TgrBaseGrid::SetComboDropDownStyle(TgrCombo* combo, TgrDropDownStyle style) {
    if (combo) combo->SetDropDownStyle(style);
}

void TgrBaseGrid::AssignComboSettings(TgrCombo* dest, const TgrCombo* source) {
    if (dest && source) dest->Assign(source);
}

void TgrBaseGrid::SetComboDropDownWidth(TgrCombo* combo, Integer width) {
    // The list's columns are a little wider than the owner column, so a
    // one-column drop-down covers the cell.
    TgrBaseGrid* list = combo ? combo->ComboGrid() : nullptr;
    if (list && list->IsComboGrid()) list->SetDefaultColWidth(std::max<Integer>(0, width) + 10);
}

void TgrBaseGrid::RollUpComboIfActive(TgrCombo* combo, bool free) {
    if (combo && combo == droppedCombo_) RollUpCombo(false);
    if (free) ForgetActiveCombo(combo);
}

void TgrBaseGrid::ForgetActiveCombo(TgrCombo* combo) {
    if (combo && combo == droppedCombo_) {
        TgrBaseGrid* list = combo->ComboGrid();
        if (list && list->mouseStatus_ != msNone) list->CancelMouseAction();
        if (dropDownForm_) dropDownForm_->Hide();
        if (list) list->SetParent(nullptr);
        droppedCombo_ = nullptr;
        trackOnFirstMove_ = false;
        UnregisterDropDownGrid(this);
        EndComboForCell();
    }
    if (combo && combo == selectedCombo_) {
        selectedCombo_ = nullptr;
        comboSelected_ = false;
    }
    ReleaseSourceCombo(combo);
}

void TgrBaseGrid::EndComboSelection(TgrCombo* combo) {
    if (!combo || combo != selectedCombo_ || combo == droppedCombo_) return;
    selectedCombo_ = nullptr;
    comboSelected_ = false;
}

void TgrBaseGrid::EnsureCombo() {
    if (workCombo_ || comboGrid_) return;
    workCombo_ = CreateCombo();
    if (TgrBaseGrid* list = workCombo_ ? workCombo_->ComboGrid() : nullptr) {
        // A combo made while the grid is read skips its defaults; the
        // working combo is never read, so its list takes them here.
        if (list->IsReading()) InitComboGridDefaults(list);
        list->SetVisible(false);
    }
}

TgrCombo* TgrBaseGrid::GetCombo() {
    EnsureCombo();
    return workCombo_;
}

// ------------------------------------------------------------ dropping down

bool TgrBaseGrid::IsOwnWindow(const QWidget* window) const {
    if (!window) return false;
    for (const QWidget* own : {Widget(), dropDownForm_ ? dropDownForm_->Widget() : nullptr})
        if (own && (window == own || own->isAncestorOf(window))) return true;
    return false;
}

bool TgrBaseGrid::DropDownCombo() {
    if (droppedCombo_ || !HasWindow() || !CanEdit()) return false;
    if (EffectiveButtonType(curDataCol_, curDataRow_) != btCombo || IsCurrentCellReadOnly()) return false;
    TgrCombo* combo = EffectiveCombo(curDataCol_, curDataRow_);
    TgrBaseGrid* list = combo ? combo->ComboGrid() : nullptr;
    if (!list) return false;
    // The cell's combo is taken up first: its combo-init notification may
    // fill the list.
    SelectComboForCell(curDataCol_, curDataRow_);
    if (list->Rows() < 1) return false;

    list->SetParent(GetDropDownForm());
    OpenListAtFirstRow(combo);

    // DropDownCols columns of the list wide (the cell's width without), and
    // DropDownRows rows high, with room for the bars the list then needs.
    // Without DropDownCols the list is as wide as the combo asks (the
    // cell's width without), which decides whether it needs a horizontal
    // bar, so it takes that width first.
    if (combo->GetDropDownCols() <= 0) {
        Integer asked = combo->GetDropDownWidth() > 0
                            ? combo->GetDropDownWidth()
                            : std::max<Integer>(CellPixels(curDisplayCol_, curDisplayRow_).Width(), 40);
        list->SetBounds(list->Left(), list->Top(), asked, list->Height());
    }
    Integer width = 0, height = 0;
    list->CalcDropDownSize(combo->GetDropDownCols(), std::max<Integer>(1, combo->GetDropDownRows()), width, height);
    PositionComboDropDown(list, width, height);
    droppedCombo_ = combo;
    selectedCombo_ = combo;
    InitComboForCell(curDataCol_, curDataRow_);
    ShowCellValueInList(combo);
    list->SyncListBoxSelection(true);
    dropDownForm_->SetEnabled(true);
    dropDownForm_->Show();
    ArmComboTracking();
    // The press that opened the list may go on into it: leaving the list
    // right away must not scroll it.
    list->SetAutoScrollHold(true);
    // A press elsewhere or another window becoming active closes the list.
    RegisterDropDownGrid(this);
    list->UpdateScrollBars();
    list->Invalidate();
    return true;
}

TForm* TgrBaseGrid::GetDropDownForm() {
    if (!dropDownForm_) {
        dropDownForm_ = new TgrDropDownForm(this);
        InitDropDownForm(dropDownForm_);
    }
    return dropDownForm_;
}

void TgrBaseGrid::InitDropDownForm(TForm* form) {
    if (!form) return;
    form->Hide();
    form->SetEnabled(false);
    form->SetBounds(Left(), form->Top(), form->Width(), form->Height());
    form->Font()->Assign(*Font());
}

bool TgrBaseGrid::IsComboDropDownShown() const {
    return droppedCombo_ && dropDownForm_ && dropDownForm_->Visible();
}

bool TgrBaseGrid::ToggleComboDropDown(Integer dataCol, Integer dataRow) {
    if (IsDroppedDownAt(dataCol, dataRow)) {
        CloseDropDowns();
        return true;
    }
    CloseDropDowns();
    return DropDownCombo();
}

bool TgrBaseGrid::CloseComboDropDown(bool reactivate, bool update) {
    bool shown = IsComboDropDownShown();
    if (!droppedCombo_) return false;
    RollUpCombo(false);
    if (update && HasWindow()) Update();
    // The grid's form, when it is the active one, comes back to the front.
    if (reactivate && shown)
        if (TCustomForm* form = GetParentForm(this); form && form == Screen->ActiveForm()) form->Show();
    return shown;
}

void TgrBaseGrid::OpenListAtFirstRow(TgrCombo* combo) {
    TgrBaseGrid* list = combo ? combo->ComboGrid() : nullptr;
    if (!list || list->Rows() < 1) return;
    list->SetTopLeft(list->TopLeftCell().Col, list->FixedRowTotal());
    list->ChangeCurrentCell(std::max<Integer>(1, list->CurrentDisplayCol()), list->DisplayRowOfData(1));
}

void TgrBaseGrid::ShowCellValueInList(TgrCombo* combo) {
    TgrBaseGrid* list = combo ? combo->ComboGrid() : nullptr;
    if (!list || list->Rows() < 1) return;
    if (list->GetAutoSearch() != asNone) {
        LocateComboRow();
    } else {
        // Without a search the row whose whole text is the cell's value.
        std::string current = GetCellValue(curDataCol_, curDataRow_).AsString();
        Integer valueCol = std::clamp<Integer>(combo->GetValueCol(), 1, std::max<Integer>(1, list->Cols()));
        for (Integer r = 1; r <= list->Rows(); ++r)
            if (list->GetCellValue(valueCol, r).AsString() == current) {
                list->ChangeCurrentCell(list->CurrentDisplayCol(), list->DisplayRowOfData(r));
                break;
            }
    }
    list->ScrollCurrentCellIntoView(false, true);
}

void TgrBaseGrid::PositionComboDropDown(TgrBaseGrid* list, Integer width, Integer height) {
    if (!dropDownForm_ || !list) return;
    TRect cell = CellPixels(curDisplayCol_, curDisplayRow_);
    TPoint topLeft = ClientToScreen(TPoint(cell.Left, cell.Top));
    TRect screenCell(topLeft.X, topLeft.Y, topLeft.X + cell.Width(), topLeft.Y + cell.Height());
    TRect work(0, 0, Screen->Width(), Screen->Height());
    if (QScreen* s = QGuiApplication::screenAt(QPoint(topLeft.X, topLeft.Y))) {
        QRect a = s->availableGeometry();
        work = TRect(a.left(), a.top(), a.left() + a.width(), a.top() + a.height());
    }
    // A list narrower than its cell lines up with the cell's right edge.
    if (width < cell.Width()) screenCell.Left += cell.Width() - width;
    TRect place = PlaceDropDown(screenCell, int(width), int(height), work);
    dropDownForm_->SetBounds(place.Left, place.Top, place.Width(), place.Height());
    list->SetBounds(0, 0, place.Width(), place.Height());
}

void TgrBaseGrid::RollUpCombo(bool accept) {
    ForgetSourceCombo();
    TgrCombo* combo = droppedCombo_;
    if (!combo) return;
    droppedCombo_ = nullptr;
    trackOnFirstMove_ = false;
    UnregisterDropDownGrid(this);
    TgrBaseGrid* list = combo->ComboGrid();
    // A list still following the pointer lets it go.
    if (list && list->mouseStatus_ != msNone) list->CancelMouseAction();
    if (dropDownForm_) dropDownForm_->Hide();
    EndComboForCell();
    if (!accept || !list || list->CurrentDataRow() < 1 || list->CurrentDataRow() > list->Rows()) return;
    Integer valueCol = std::clamp<Integer>(combo->GetValueCol(), 1, std::max<Integer>(1, list->Cols()));
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
            list->ProcessKeyDown(k, {});
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

// ------------------------------------------------------------ searching

namespace {
constexpr UInt64 kComboSearchExpiry = 2000;  // ms between keys of one search
QString FirstChars(const std::string& text, Integer length) {
    return QString::fromStdString(text).left(int(length));
}
Integer CharLength(const std::string& text) { return Integer(QString::fromStdString(text).size()); }
}  // namespace

bool TgrBaseGrid::ResetComboSearchText() {
    bool had = !comboSearchText_.empty();
    comboSearchText_.clear();
    comboLastKeyTick_ = 0;
    return had;
}

void TgrBaseGrid::ExpireComboSearchText() {
    if (CurrentClock().TickMs() - comboLastKeyTick_ >= kComboSearchExpiry) comboSearchText_.clear();
}

TgrBaseGrid* TgrBaseGrid::SelectedComboGrid() const { return selectedCombo_ ? selectedCombo_->ComboGrid() : nullptr; }

Integer TgrBaseGrid::ComboValueCol(TgrBaseGrid* list) const {
    Integer col = selectedCombo_ ? selectedCombo_->GetValueCol() : 1;
    return std::clamp<Integer>(col, 1, std::max<Integer>(1, list->Cols()));
}

std::string TgrBaseGrid::ComboRowText(Integer row) {
    TgrBaseGrid* list = SelectedComboGrid();
    if (!list || row < 1 || row > list->Rows()) return {};
    return list->GetCellValue(ComboValueCol(list), row).AsString();
}

void TgrBaseGrid::InitComboForCell(Integer dataCol, Integer dataRow) {
    if (dropDownCol_ >= 0) return;
    ResetComboSearchText();
    FireComboDropDown(dataCol, Variant(dataRow));
    dropDownCol_ = dataCol;
    dropDownRow_ = dataRow;
}

void TgrBaseGrid::EndComboForCell() {
    if (dropDownCol_ < 0) return;
    ResetComboSearchText();
    Integer col = dropDownCol_, row = dropDownRow_;
    dropDownCol_ = dropDownRow_ = -1;
    FireComboRollUp(col, Variant(row));
}

Integer TgrBaseGrid::ComboCompare(const std::string& first, const std::string& second, Integer length) {
    TgrBaseGrid* list = SelectedComboGrid();
    TgrComboCompareType type = list ? list->GetCompareType() : ctCaseSensitive;
    if (type == ctOwnCompare) {
        Integer result = 0;
        DoComboCompareValue(first, second, result);
        DoComboLCompareValue(first, second, length, result);
        return result;
    }
    if (length <= 0) return first.empty() && second.empty() ? 0 : !first.empty() ? 1 : -1;
    QString a = FirstChars(first, length), b = FirstChars(second, length);
    if (type == ctCaseInsensitive) return a.compare(b, Qt::CaseInsensitive);
    return a.compare(b, Qt::CaseSensitive);
}

bool TgrBaseGrid::ComboTextEquals(const std::string& first, const std::string& second) {
    Integer n = CharLength(first);
    return n == CharLength(second) && ComboCompare(first, second, n) == 0;
}

Integer TgrBaseGrid::SearchComboSorted(const std::string& text, Integer lo, Integer hi, Integer minLength,
                                       bool& found) {
    Integer row = 0;
    Integer textLength = CharLength(text);
    // Binary search that keeps looking for a longer matching prefix.
    while (hi >= lo) {
        Integer mid = (lo + hi) / 2;
        std::string s = ComboRowText(mid);
        Integer n = std::min(CharLength(s), textLength);
        Integer d = ComboCompare(s, text, n);
        if (d >= 1) {
            hi = mid - 1;
        } else if (d < 0 || n < minLength) {
            lo = mid + 1;
        } else {
            row = mid;
            found = true;
            minLength = n;
            Integer sLength = CharLength(s);
            if (textLength < sLength) hi = mid - 1;
            else if (sLength < textLength) lo = mid + 1;
            else break;
        }
    }
    if (!found) {
        TgrBaseGrid* list = SelectedComboGrid();
        row = std::max<Integer>(std::min<Integer>(lo - 1, list ? list->Rows() : 0), 1);
    }
    return row;
}

Integer TgrBaseGrid::SearchComboLinear(const std::string& text, Integer lo, Integer hi, bool& found) {
    found = false;
    Integer best = 0, row = 0, textLength = CharLength(text);
    for (Integer r = lo; r <= hi; ++r) {
        std::string s = ComboRowText(r);
        Integer n = std::min(textLength, CharLength(s));
        if (ComboCompare(text, s, n) == 0 && n > best) {
            row = r;
            found = true;
            best = n;
            if (n == textLength) break;
        }
    }
    return row;
}

Integer TgrBaseGrid::FindComboRow(const std::string& text, bool full, bool& found) {
    found = false;
    TgrBaseGrid* list = SelectedComboGrid();
    if (!list) return 0;
    Integer start = list->Rows() >= 1 ? list->CurrentDataRow() : 0;
    if (text.empty()) start = std::min<Integer>(1, list->Rows());
    Integer row = 0;
    if (list->GetValueColSorted() && !text.empty())
        row = SearchComboSorted(text, 1, list->Rows(), full ? CharLength(text) : 1, found);
    else if (!list->GetValueColSorted())
        row = SearchComboLinear(text, 1, list->Rows(), found);
    if (!found && !list->GetValueColSorted()) row = start;
    return row;
}

Integer TgrBaseGrid::FindNextComboRow(const std::string& key, bool& found) {
    found = false;
    TgrBaseGrid* list = SelectedComboGrid();
    if (!list) return 0;
    Integer at = list->CurrentDataRow();
    if (list->GetValueColSorted()) {
        if (at >= list->Rows()) return FindComboRow(key, false, found);
        std::string next = ComboRowText(at + 1);
        if (!next.empty() && ComboTextEquals(FirstChars(next, 1).toStdString(), key)) {
            found = true;
            return at + 1;
        }
        return FindComboRow(key, false, found);
    }
    Integer row = SearchComboLinear(key, at + 1, list->Rows(), found);
    if (!found) row = SearchComboLinear(key, 1, at - 1, found);
    return found ? row : at;
}

Integer TgrBaseGrid::ComboSearchSameKey(const std::string& key, bool& found) {
    std::string value = currentCell_ ? currentCell_->GetStoredValue().AsString() : std::string();
    if (value.empty() && curDataCol_ >= 1 && curDataRow_ >= 1) value = GetCellValue(curDataCol_, curDataRow_).AsString();
    if (!value.empty() && ComboTextEquals(FirstChars(value, 1).toStdString(), key)) {
        TgrBaseGrid* list = SelectedComboGrid();
        if (list && ComboTextEquals(value, ComboRowText(list->CurrentDataRow()))) return FindNextComboRow(key, found);
        bool dropped = false;
        std::string near = ComboRowText(FindComboRow(value, false, dropped));
        if (!near.empty() && ComboTextEquals(FirstChars(near, 1).toStdString(), key))
            return FindNextComboRow(key, found);
    }
    return FindComboRow(key, false, found);
}

Integer TgrBaseGrid::ComboIncrementalSearch(const std::string& key, bool& found) {
    ExpireComboSearchText();
    found = false;
    Integer row = 0;
    if (!comboSearchText_.empty()) {
        std::string text = comboSearchText_ + key;
        row = FindComboRow(text, true, found);
        if (found) {
            std::string s = ComboRowText(row);
            found = CharLength(s) >= CharLength(text) &&
                    ComboTextEquals(FirstChars(s, CharLength(text)).toStdString(), text);
        }
        if (found) {
            comboSearchText_ = text;
        } else if (CharLength(comboSearchText_) == 1 && ComboTextEquals(comboSearchText_, key)) {
            row = ComboSearchSameKey(key, found);
            if (found) comboSearchText_ = key;
        }
    } else {
        row = FindComboRow(key, true, found);
        if (found) comboSearchText_ = key;
    }
    comboLastKeyTick_ = CurrentClock().TickMs();
    return row;
}

Variant TgrBaseGrid::PickedComboValue(Integer row) {
    TgrBaseGrid* list = SelectedComboGrid();
    Variant value;
    FireComboGetValue(curDataCol_, Variant(curDataRow_), row, value);
    if (value.IsEmpty() && list) {
        std::string text = list->GetCellValue(ComboValueCol(list), row).AsString();
        if (!text.empty()) value = Variant(text);
    }
    return value;
}

Variant TgrBaseGrid::ComboSearchKey(char key) {
    TgrBaseGrid* list = SelectedComboGrid();
    if (!list || list->GetAutoSearch() == asNone) return Variant();
    std::string k(1, key);
    bool found = false;
    Integer row = list->GetValueColSorted() ? ComboIncrementalSearch(k, found) : ComboSearchSameKey(k, found);
    if (!found || row == 0) return Variant();
    SelectComboRow(row);
    Variant value = PickedComboValue(row);
    if (!list->GetValueColSorted() && !value.IsEmpty() &&
        !ComboTextEquals(FirstChars(value.AsString(), 1).toStdString(), k))
        return Variant();
    return value;
}

void TgrBaseGrid::SelectComboRow(Integer row) {
    TgrBaseGrid* list = SelectedComboGrid();
    if (!list || row < 1 || row > list->Rows() || row == list->CurrentDataRow()) return;
    TgrUpdateLocked locked(*list);
    list->MoveToDataRow(row);
    Integer displayRow = list->DisplayRowOfData(row);
    Integer shown = selectedCombo_ ? std::max<Integer>(1, selectedCombo_->GetDropDownRows()) : 1;
    Integer top = list->TopRow();
    switch (list->GetAutoSearch()) {
        case asTop: top = displayRow; break;
        case asBottom: top = displayRow - shown + 1; break;
        case asCenter: top = displayRow - (shown - 1) / 2; break;
        case asNone: break;
    }
    top = std::clamp<Integer>(top, list->FixedRowTotal(), std::max(list->FixedRowTotal(), list->RowTotal() - 1));
    if (top != list->TopRow()) list->SetTopLeft(list->TopLeftCell().Col, top);
}

void TgrBaseGrid::LocateComboRow() {
    TgrBaseGrid* list = SelectedComboGrid();
    if (!list || list->GetAutoSearch() == asNone) return;
    bool found = false;
    std::string text = currentCell_ && !currentCell_->IsValueEmpty() ? currentCell_->GetStoredValue().AsString()
                                                                      : GetCellValue(curDataCol_, curDataRow_).AsString();
    SelectComboRow(FindComboRow(text, false, found));
}

bool TgrBaseGrid::ComboAutoFill(bool onExit) {
    SelectComboForCell(curDataCol_, curDataRow_);
    TgrBaseGrid* list = SelectedComboGrid();
    if (!list || !list->GetAutoFill() || list->GetAutoSearch() == asNone) return false;
    if (onExit && list->GetAutoFillConvertCase() != afcOnExit) return false;
    if (GetCurrentControlType() != ctText || !activeControl_) return false;
    std::string text = activeControl_->GetValue().AsString();
    if (text.empty()) return false;
    bool found = false;
    Integer row = FindComboRow(text, true, found);
    if (!found || row == 0) return false;
    SelectComboRow(row);
    AutoFillCellText(PickedComboValue(row), list->GetAutoFillConvertCase(), onExit);
    return true;
}

void TgrBaseGrid::AutoFillCellText(const Variant& value, TgrConvertCase convertCase, bool onExit) {
    if (value.IsEmpty() || value.IsNull() || activeControl_ != editControl_.get()) return;
    std::string typed = activeControl_->GetValue().AsString();
    std::string full = value.AsString();
    QString t = QString::fromStdString(typed), v = QString::fromStdString(full);
    if (!ComboTextEquals(typed, v.left(t.size()).toStdString())) return;
    if (v.size() == t.size() || onExit) {
        if (v.size() != t.size() || full == typed) return;
        if (!onExit && convertCase != afcOnEdit) return;
    }
    // The typed text ends at the caret: the filled-in part starts there.
    int selStart = int(t.size());
    std::string text = convertCase == afcOnEdit || onExit ? full : typed + v.mid(t.size()).toStdString();
    // The filled-in text is this cell's value, edited by the user.
    LockEditStart(false);
    activeControl_->SetValue(Variant(text));
    LockEditStart(true);
    ControlValueStored(nullptr, true);
    if (v.size() > t.size()) {
        activeControl_->SetSelStart(selStart);
        activeControl_->SetSelLength(int(v.size()) - selStart);
    } else {
        activeControl_->SetSelStart(selStart);
    }
}

Variant TgrBaseGrid::GetComboValue(Integer valueCol) {
    TgrBaseGrid* list = SelectedComboGrid();
    if (!list) return Variant();
    Integer row = list->CurrentDataRow();
    if (row < 1 || row > list->Rows()) return Variant();
    Variant value;
    FireComboGetValue(curDataCol_, Variant(curDataRow_), row, value);
    TgrControlType type = GetCurrentControlType();
    if (value.IsEmpty() && type != ctNone && valueCol != 0) {
        value = list->GetCellValue(valueCol, row);
        if (value.IsEmpty() && list->StoreData()) value = DefaultCellValue(type);
    } else if (type == ctText && !value.IsEmpty()) {
        value = Variant(value.AsString());
    }
    return value;
}

void TgrBaseGrid::ApplyComboValue(const Variant& value) {
    if (value.IsEmpty()) return;
    TgrControlType type = GetCurrentControlType();
    Variant v = type == ctText && !value.IsString() ? Variant(value.AsString()) : value;
    CheckCellValueType(type, v);
    if (!BeginCellEdit()) return;
    LockEditStart(false);
    if (activeControl_) activeControl_->SetValue(v);
    LockEditStart(true);
    if (storeData_ && curDataCol_ >= 1 && curDataCol_ <= Cols() && curDataRow_ >= 1 && curDataRow_ <= Rows())
        StoreCellValue(curDataCol_, curDataRow_, v, type);
    if (currentCell_) currentCell_->NoteEditedValue(v);
    FireCellEdit(curDataCol_, curDataRow_, true);
    InvalidateDisplayCell(curDisplayCol_, curDisplayRow_);
}

void TgrBaseGrid::ComboValueEdited(bool autoFill) {
    TgrDropDownStyle style;
    TgrButtonType button = ResolveButtonType(curDataCol_, curDataRow_, style);
    if (button != btCombo) return;
    SelectComboForCell(curDataCol_, curDataRow_);
    if (!autoFill || style == ddDropDownList) {
        if (droppedCombo_) LocateComboRow();
        return;
    }
    if (!ComboAutoFill(false)) LocateComboRow();
}

void TgrBaseGrid::ComboCharKey(char key) {
    TgrDropDownStyle style;
    if (ResolveButtonType(curDataCol_, curDataRow_, style) != btCombo || IsCurrentCellReadOnly())
        return;
    SelectComboForCell(curDataCol_, curDataRow_);
    if (style == ddDropDownList || SearchesWhileTyping(curDataCol_)) ApplyComboValue(ComboSearchKey(key));
}

// ------------------------------------------------------------ sizing

Integer TgrBaseGrid::CalcDropDownWidth(Integer cols) {
    if (cols <= 0) return Width();
    Integer width = 0, taken = 0;
    for (Integer d = 1; d < ColTotal() && taken < cols; ++d) {
        TgrCol* col = gridCols_->ColAt(DataColOfDisplay(d));
        if (col && !col->Visible()) continue;
        width += GetColWidthAt(d);
        ++taken;
    }
    if (BorderStyle() == gbsSingle) width += 2;
    if (rowBarOn_) width += rowBarWidth_;
    return width;
}

Integer TgrBaseGrid::CalcDropDownHeight(Integer rows) {
    if (rows <= 0) return Height();
    Integer visible = 0;
    for (Integer r = 1; r < RowTotal(); ++r)
        if (IsEnterableRow(r, false)) ++visible;
    Integer height = BorderStyle() == gbsSingle ? 2 : 0;
    if (headingOn_) height += headingHeight_;
    return height + std::min<Integer>(rows, std::max<Integer>(1, visible)) * DefaultRowHeight();
}

void TgrBaseGrid::CalcDropDownSize(Integer cols, Integer rows, Integer& width, Integer& height) {
    width = CalcDropDownWidth(cols);
    height = CalcDropDownHeight(rows);
    Integer allRows = CalcDropDownHeight(RowTotal());
    bool horzAllowed = scrollBars_ == ssHorizontal || scrollBars_ == ssBoth;
    bool vertAllowed = scrollBars_ == ssVertical || scrollBars_ == ssBoth;
    bool horzAlways = alwaysShowScrollBar_ == ssHorizontal || alwaysShowScrollBar_ == ssBoth;
    bool vertAlways = alwaysShowScrollBar_ == ssVertical || alwaysShowScrollBar_ == ssBoth;
    Integer heightBefore = height;
    // A bar appears where the shown part leaves columns or rows out.
    if (rows > 0 && horzAllowed && (CalcDropDownWidth(ColTotal()) > width || horzAlways))
        height += ScrollBarThickness;
    if (cols > 0 && vertAllowed && (allRows > heightBefore || vertAlways)) width += ScrollBarThickness;
}

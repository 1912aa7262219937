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
    if (TgrBaseGrid* list = combo ? combo->ComboGrid() : nullptr) list->SetComboColWidth(width);
}

void TgrBaseGrid::SetComboColWidth(Integer width) {
    // The list's columns are a little wider than the owner column, so a
    // one-column drop-down covers the cell.
    if (comboGrid_) SetDefaultColWidth(std::max<Integer>(0, width) + 10);
}

void TgrBaseGrid::RollUpComboIfActive(TgrCombo* combo, bool reset) {
    if (!comboGrid_ && combo && combo == sourceCombo_) RollUpCombo(reset);
}

void TgrBaseGrid::ForgetActiveCombo(TgrCombo* combo) {
    if (combo && combo == droppedCombo_) CloseDropDowns(false);
    if (combo && combo == workCombo_) {
        comboSelected_ = false;
        workCombo_ = nullptr;
    }
    ReleaseSourceCombo(combo);
}

void TgrBaseGrid::RollUpCombo(bool reset) {
    if (comboGrid_) return;
    // The open list shows what the selection loaded; it goes up with it.
    if (droppedCombo_) CloseDropDowns(false);
    if (comboSelected_) {
        comboSelected_ = false;
        if (reset && sourceCombo_ && workCombo_) workCombo_->Reset();
    }
    ForgetSourceCombo();
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
    return IsDropDownWindow(window);
}

bool TgrBaseGrid::DropDownCombo() {
    if (droppedCombo_ || !HasWindow() || !CanEdit()) return false;
    if (!CanDropDownCell(curDataCol_, curDataRow_, 1u << unsigned(btCombo))) return false;
    return DropDownComboAt(curDataCol_, curDataRow_);
}

bool TgrBaseGrid::DropDownComboAt(Integer dataCol, Integer dataRow) {
    EnsureCombo();
    if (!workCombo_ || !workCombo_->ComboGrid()) return false;
    CloseDropDowns(false);
    if (!PrepareComboDropDown(dataCol, dataRow)) return false;
    if (!IsGridFocused() && CanFocus()) SetFocus();
    // A press elsewhere or another window becoming active closes the list.
    RegisterDropDownGrid(this);
    // The press that opened the list may go on into it: leaving the list
    // right away must not scroll it.
    droppedCombo_->ComboGrid()->SetAutoScrollHold(true);
    return true;
}

bool TgrBaseGrid::PrepareComboDropDown(Integer dataCol, Integer dataRow) {
    // The cell's combo is taken up first: its combo-init notification may
    // fill the list.
    SelectComboForCell(dataCol, dataRow);
    // The working combo drops down, loaded from the cell's own combo.
    TgrCombo* combo = workCombo_;
    TgrBaseGrid* list = combo->ComboGrid();
    list->SetParent(GetDropDownForm());
    if (list->Rows() < 1) return false;
    OpenListAtFirstRow(combo);
    droppedCombo_ = combo;
    InitComboForCell(dataCol, dataRow);
    // Without DropDownCols the list is as wide as the combo asks (the
    // cell's width without), which decides whether it needs a horizontal
    // bar, so it takes that width first.
    if (combo->GetDropDownCols() <= 0) {
        Integer asked = combo->GetDropDownWidth() > 0
                            ? combo->GetDropDownWidth()
                            : std::max<Integer>(CellPixels(curDisplayCol_, curDisplayRow_).Width(), 40);
        list->SetBounds(list->Left(), list->Top(), asked, list->Height());
    }
    list->SetDropDownSize(combo->GetDropDownCols(), std::max<Integer>(1, combo->GetDropDownRows()));
    ShowCellValueInList(combo);
    list->SyncListBoxSelection(true);
    PositionDropDown(list);
    ArmComboTracking();
    ShowComboDropDown();
    if (HasWindow()) Update();
    list->UpdateScrollBars();
    list->Invalidate();
    return true;
}

void TgrBaseGrid::ShowComboDropDown() {
    TgrBaseGrid* list = droppedCombo_ ? droppedCombo_->ComboGrid() : nullptr;
    if (!list) return;
    // At design time the list is shown on the designed form itself.
    if (IsDesigning()) {
        if (TCustomForm* form = GetParentForm(this)) list->SetParent(form);
        list->SetVisible(true);
        return;
    }
    list->SetVisible(true);
    dropDownForm_->SetEnabled(true);
    dropDownForm_->Show();
}

TForm* TgrBaseGrid::GetDropDownForm() {
    if (!dropDownForm_) {
        dropDownForm_ = new TgrDropDownForm(this);
        InitDropDownForm(dropDownForm_);
    }
    return dropDownForm_;
}

void TgrBaseGrid::InitDropDownForm(TForm* form) { PrepareDropDownForm(form); }

void TgrBaseGrid::PrepareDropDownForm(TForm* form) {
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
    TgrCombo* combo = droppedCombo_;
    if (!combo) return false;
    bool shown = IsComboDropDownShown();
    droppedCombo_ = nullptr;
    trackOnFirstMove_ = false;
    TgrBaseGrid* list = combo->ComboGrid();
    // A list still following the pointer lets it go.
    if (list && list->mouseStatus_ != msNone) list->CancelMouseAction();
    if (dropDownForm_) dropDownForm_->Hide();
    if (list && dropDownForm_ && list->Parent() != dropDownForm_) list->SetParent(dropDownForm_);
    if (update && HasWindow()) Update();
    UnregisterDropDownGrid(this);
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

void TgrBaseGrid::PositionDropDown(TgrBaseGrid* list) {
    if (list) PositionComboDropDown(list, list->Width(), list->Height());
}

TRect TgrBaseGrid::WorkAreaAt(const TPoint& point) const {
    if (QScreen* s = QGuiApplication::screenAt(QPoint(point.X, point.Y)); s || (s = QGuiApplication::primaryScreen())) {
        QRect a = s->availableGeometry();
        return TRect(a.left(), a.top(), a.left() + a.width(), a.top() + a.height());
    }
    return TRect(0, 0, Screen->Width(), Screen->Height());
}

void TgrBaseGrid::FitDropDownToWorkArea(Integer dataCol, Integer dataRow, const TPoint& size, TPoint& point) {
    // The cell's screen: a grid on a second screen drops down on that one.
    TRect work = WorkAreaAt(point);
    Integer displayRow = DisplayRowOfData(dataRow);
    Integer rowHeight = displayRow >= 0 && displayRow < RowTotal() ? GetRowHeightAt(displayRow) : 0;
    TRect cell(point.X, point.Y - rowHeight, point.X + size.X, point.Y);
    TRect place = PlaceDropDown(cell, int(size.X), int(size.Y), work);
    point = TPoint(place.Left, place.Top);
}

void TgrBaseGrid::CenterInWorkArea(Integer, Integer, const TPoint& size, TPoint& point) {
    TPoint at = ClientToScreen(TPoint(0, 0));
    TRect work = WorkAreaAt(at);
    // Centred within the work area, its origin included, so a grid on a
    // second screen opens its popup there.
    point = TPoint(work.Left + (work.Width() - size.X) / 2, work.Top + (work.Height() - size.Y) / 2);
}

void TgrBaseGrid::PositionComboDropDown(TgrBaseGrid* list, Integer width, Integer height) {
    if (!list) return;
    Integer dataCol = curDataCol_, dataRow = curDataRow_;
    if (dropDownCol_ > 0 && dropDownRow_ > 0 && IsComboDropDownShown()) {
        dataCol = dropDownCol_;
        dataRow = dropDownRow_;
    }
    Integer displayCol = DisplayColOfData(dataCol), displayRow = DisplayRowOfData(dataRow);
    TRect cell = CellPixels(displayCol, displayRow);
    TPoint point = ClientToScreen(TPoint(cell.Left, cell.Bottom));
    // A list narrower than its cell lines up with the cell's right edge.
    if (width < cell.Width()) point.X += cell.Width() - width;
    if (IsDesigning()) {
        TCustomForm* form = GetParentForm(this);
        if (form) point = form->ScreenToClient(point);
        TgrUpdateLocked locked(*list);
        list->SetBounds(point.X, point.Y, width, height);
        list->UpdateScrollBars();
        return;
    }
    if (!dropDownForm_) return;
    FitDropDownToWorkArea(dataCol, dataRow, TPoint(width, height), point);
    if (list->Left() != 0 || list->Top() != 0 || list->Width() != width || list->Height() != height) {
        list->SetBounds(0, 0, width, height);
        list->UpdateScrollBars();
    }
    dropDownForm_->SetBounds(point.X, point.Y, width, height);
}

void TgrBaseGrid::ApplyComboRow() {
    TgrCombo* combo = droppedCombo_;
    TgrBaseGrid* list = combo ? combo->ComboGrid() : nullptr;
    if (!list) return;
    Integer valueCol = combo->GetValueCol();
    if (valueCol < 0 || valueCol > list->Cols()) valueCol = 0;
    bool shown = CloseComboDropDown(false, false);
    bool rowChosen = list->CurrentDataRow() >= 1 && list->CurrentDataRow() <= list->Rows();
    try {
        if (rowChosen && !IsDesigning()) {
            ApplyComboValue(GetComboValue(valueCol));
            // A row chosen from the list is the cell's new value at once.
            if (currentCell_) currentCell_->ClearValue();
            EndCellEdit(true);
        }
    } catch (...) {
        RefreshCellControl();
        EndComboForCell();
        throw;
    }
    RefreshCellControl();
    if (shown || dropDownCol_ >= 0) EndComboForCell();
    if (HasWindow() && !IsGridFocused() && CanFocus()) SetFocus();
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
                CloseDropDowns(false);
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
            ApplyComboRow();
            key = 0;
            return true;
        case VK_ESCAPE:
        case VK_F4:
            CloseDropDowns(false);
            key = 0;
            return true;
        case VK_TAB:
            CloseDropDowns(false);
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

TgrBaseGrid* TgrBaseGrid::SelectedComboGrid() const {
    return comboSelected_ && workCombo_ ? workCombo_->ComboGrid() : nullptr;
}

Integer TgrBaseGrid::ComboValueCol(TgrBaseGrid* list) const {
    Integer col = comboSelected_ && workCombo_ ? workCombo_->GetValueCol() : 1;
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

Integer TgrBaseGrid::ComboCompareCaseSensitive(const std::string& first, const std::string& second, Integer length) {
    if (length <= 0) return first.empty() && second.empty() ? 0 : !first.empty() ? 1 : -1;
    // Independent of the machine's locale, so a sorted list sorts alike
    // everywhere.
    return FirstChars(first, length).compare(FirstChars(second, length), Qt::CaseSensitive);
}

Integer TgrBaseGrid::ComboCompareCaseInsensitive(const std::string& first, const std::string& second, Integer length) {
    if (length <= 0) return first.empty() && second.empty() ? 0 : !first.empty() ? 1 : -1;
    return FirstChars(first, length).compare(FirstChars(second, length), Qt::CaseInsensitive);
}

Integer TgrBaseGrid::ComboCompareOwn(const std::string& first, const std::string& second, Integer length) {
    Integer result = 0;
    DoComboCompareValue(first, second, result);
    DoComboLCompareValue(first, second, length, result);
    return result;
}

Integer TgrBaseGrid::ComboCompare(const std::string& first, const std::string& second, Integer length) {
    TgrBaseGrid* list = SelectedComboGrid();
    switch (list ? list->GetCompareType() : ctCaseSensitive) {
        case ctOwn: return ComboCompareOwn(first, second, length);
        case ctCaseInsensitive: return ComboCompareCaseInsensitive(first, second, length);
        case ctCaseSensitive: break;
    }
    return ComboCompareCaseSensitive(first, second, length);
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
    Integer shown = std::max<Integer>(1, list->GetDropDownRows());
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
    HandleControlChange(nullptr, true);
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
    SetCurrentCellValue(v, true, true);
}

bool TgrBaseGrid::SetCurrentCellValue(const Variant& value, bool selectText, bool flag) {
    if (value.IsEmpty() || !HasCurrentCell()) return false;
    Variant editValue = activeControl_ ? activeControl_->GetValue() : GetCellValue(curDataCol_, curDataRow_);
    if (editValue.IsString() == value.IsString() && editValue.AsString() == value.AsString()) return false;
    TgrControlType type = GetCurrentControlType();
    auto selectAll = [&] {
        if (!selectText || type != ctText || !activeControl_) return;
        activeControl_->SetSelStart(0);
        activeControl_->SetSelLength(int(QString::fromStdString(value.AsString()).size()));
    };
    try {
        if (!BeginCellEdit()) return false;
        LockEditStart(false);
        if (activeControl_) activeControl_->SetValue(value);
        LockEditStart(true);
        if (storeData_ && curDataCol_ >= 1 && curDataCol_ <= Cols() && curDataRow_ >= 1 && curDataRow_ <= Rows())
            StoreCellValue(curDataCol_, curDataRow_, value, type);
        if (currentCell_) currentCell_->NoteEditedValue(value);
        FireCellEdit(curDataCol_, curDataRow_, true);
        if (flag) InvalidateDisplayCell(curDisplayCol_, curDisplayRow_);
    } catch (...) {
        selectAll();
        throw;
    }
    selectAll();
    return true;
}

void TgrBaseGrid::AutoFillOnEndEdit() {
    TgrDropDownStyle style;
    if (GetCurrentControlType() == ctText && ResolveButtonType(curDataCol_, curDataRow_, style) == btCombo &&
        style == ddDropDown)
        ComboAutoFill(true);
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
    if (style == ddDropDownList || ComboAcceptsKey(key)) ApplyComboValue(ComboSearchKey(key));
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

void TgrBaseGrid::SetDropDownSize(Integer cols, Integer rows) {
    Integer width = 0, height = 0;
    CalcDropDownSize(cols, rows, width, height);
    if (width != Width() || height != Height()) SetBounds(Left(), Top(), width, height);
    UpdateScrollBars();
}

void TgrBaseGrid::ApplyDropDownSize(Integer cols, Integer rows, bool force) {
    Integer width = 0, height = 0;
    CalcDropDownSize(cols, rows, width, height);
    if (!force && width == Width() && height == Height()) return;
    // A shown drop-down is placed again: a taller list may have to open
    // above the cell.
    if (ownerGrid_ && ownerGrid_->IsComboDropDownShown() && ownerGrid_->DroppedCombo() &&
        ownerGrid_->DroppedCombo()->ComboGrid() == this)
        ownerGrid_->PositionComboDropDown(this, width, height);
    else
        SetBounds(Left(), Top(), width, height);
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

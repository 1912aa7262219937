#include "grid/GridSelection.h"

#include <algorithm>

#include "grid/GridColRow.h"
#include "grid/TSGrid.h"
#include "grid/TSMbcs.h"
#include "platform/gui/Clipboard.h"

// ================================================================ selection

void TgrSelection::Recompute() {
    count_ = 0;
    first_ = last_ = -1;
    for (Integer i = 0; i < GetSize(); ++i) {
        if (!bits_[std::size_t(i)]) continue;
        ++count_;
        if (first_ < 0) first_ = i;
        last_ = i;
    }
}

bool TgrSelection::Assign(const TgrSelection& other) {
    if (&other == this) return false;
    bool hadAny = count_ > 0 || other.count_ > 0;
    std::vector<bool> old = bits_;
    bits_ = other.bits_;
    first_ = other.first_;
    last_ = other.last_;
    count_ = other.count_;
    if (!hadAny) return false;
    return old != bits_;
}

void TgrSelection::Clear() {
    std::fill(bits_.begin(), bits_.end(), false);
    count_ = 0;
    first_ = last_ = -1;
}

void TgrSelection::SetSize(Integer n) {
    n = std::max<Integer>(n, 0);
    if (n == GetSize()) return;
    if (n < GetSize() && count_ > 0) {
        // Members at n and above leave; every bit counts here, index 0
        // included, so that count stays the number of set bits.
        for (Integer i = n; i < GetSize(); ++i)
            if (bits_[std::size_t(i)]) --count_;
        if (last_ >= n) last_ = PrevSelected(n);
        if (first_ >= n) first_ = -1;
        if (count_ <= 0) {
            count_ = 0;
            first_ = last_ = -1;
        }
    }
    bits_.resize(std::size_t(n), false);
}

bool TgrSelection::IsSelected(Integer i) const { return i > 0 && i < GetSize() && bits_[std::size_t(i)]; }

Integer TgrSelection::NextSelected(Integer i) const {
    if (count_ <= 0 || i >= last_) return -1;
    for (Integer k = std::max<Integer>(i + 1, 0); k <= last_; ++k)
        if (bits_[std::size_t(k)]) return k;
    return -1;
}

Integer TgrSelection::PrevSelected(Integer i) const {
    if (count_ <= 0 || first_ >= i) return -1;
    for (Integer k = std::min<Integer>(i - 1, GetSize() - 1); k >= first_ && k >= 0; --k)
        if (bits_[std::size_t(k)]) return k;
    return -1;
}

Integer TgrSelection::CountSelected(Integer a, Integer b) const {
    if (b < a) std::swap(a, b);
    a = std::max<Integer>(a, 1);
    b = std::min<Integer>(b, GetSize() - 1);
    if (count_ == 0 || last_ < a || b < first_ || b < a) return 0;
    if (a <= first_ && last_ <= b) return count_;
    Integer n = IsSelected(a) ? 1 : 0;
    for (Integer i = NextSelected(a); i > 0 && i <= b; i = NextSelected(i)) ++n;
    return n;
}

bool TgrSelection::SetSelected(Integer i, bool selected) {
    if (i < 0 || i >= GetSize() || bits_[std::size_t(i)] == selected) return false;
    bits_[std::size_t(i)] = selected;
    if (selected) {
        ++count_;
        if (first_ < 0 || i < first_) first_ = i;
        if (i > last_) last_ = i;
    } else {
        --count_;
        if (count_ == 0) {
            first_ = last_ = -1;
        } else {
            if (i == first_) first_ = NextSelected(i);
            if (i == last_) last_ = PrevSelected(i);
        }
    }
    return true;
}

void TgrSelection::Move(Integer from, Integer to) {
    if (from == to || from < 0 || to < 0 || from >= GetSize() || to >= GetSize()) return;
    bool v = bits_[std::size_t(from)];
    bits_.erase(bits_.begin() + from);
    bits_.insert(bits_.begin() + to, v);
    Recompute();
}

// ================================================================ current cell

Integer TgrCurrentCell::GetDataCol() const {
    if (!grid_->HasCurrentCell()) return -1;
    return grid_->DataColOfDisplay(grid_->CurrentDisplayCol());
}

Integer TgrCurrentCell::GetDataRow() const {
    if (!grid_->HasCurrentCell()) return -1;
    return grid_->DataRowOfDisplay(grid_->CurrentDisplayRow());
}

TgrControlType TgrCurrentCell::GetControlType() const {
    if (!grid_->HasCurrentCell()) return ctNone;
    return grid_->GetCurrentControlType();
}

Variant TgrCurrentCell::GetValue() {
    if (!grid_->HasCurrentCell()) return Variant();
    LoadValue();
    return value_;
}

void TgrCurrentCell::LoadValue() {
    Integer col = GetDataCol(), row = GetDataRow();
    if (col < 1 || col > grid_->Cols() || row < 1 || row > grid_->Rows()) return;
    if (loadedCol_ == col && loadedRow_ == row) return;
    grid_->LockEditStart(false);
    try {
        Variant v = grid_->GetCellValue(col, row);
        grid_->LoadEditorValue(v, false);
    } catch (...) {
        grid_->LockEditStart(true);
        throw;
    }
    grid_->LockEditStart(true);
}

void TgrCurrentCell::StoreLoadedValue(const Variant& value, bool ownsObject) {
    if (!grid_->HasCurrentCell()) return;
    ClearValue();
    loadedCol_ = GetDataCol();
    loadedRow_ = GetDataRow();
    ResetPictureOptions();
    value_ = value;
    ownsObject_ = ownsObject;
}

void TgrCurrentCell::ClearValue() {
    loadedCol_ = loadedRow_ = -1;
    // Values hold no object references here, so nothing is freed.
    value_ = Variant();
    ownsObject_ = false;
}

void TgrCurrentCell::NoteEditedValue(const Variant& value) {
    value_ = value;
    loadedCol_ = GetDataCol();
    loadedRow_ = GetDataRow();
}

bool TgrCurrentCell::HasValueFor(Integer dataCol, Integer dataRow) const {
    return !value_.IsEmpty() && loadedCol_ == dataCol && loadedRow_ == dataRow;
}

bool TgrCurrentCell::SetValue(const Variant& value, bool startEdit, bool refresh) {
    if (!grid_->CanEdit()) return false;
    TgrControlType type = GetControlType();
    if (!grid_->CheckCellValueType(type, value)) return false;
    if (!grid_->BeginCellEdit()) return false;
    if (!grid_->PrepareCellEdit(grid_->CurrentDataCol(), false)) return false;
    bool editing = false;
    if (startEdit) editing = grid_->StartEditing(0, false);
    ClearValue();
    grid_->SetEditSelectMode(1);
    grid_->LoadEditorValue(value, editing);
    if (refresh) grid_->RepaintFocusCell(false);
    return true;
}

void TgrCurrentCell::MoveToInsertRow(Integer dataCol) {
    if (grid_->GridMode() != gmEditInsert || grid_->GridStatus() != gsNormal) return;
    if (grid_->IsInsertRowPos(grid_->CurrentDisplayRow())) return;
    grid_->CheckColRowIndex(1, dataCol, grid_->Cols(), 1);
    if (!grid_->CanLeaveCell(-1, -1, true)) return;
    grid_->EnterInsertRow(grid_->DisplayColOfData(dataCol));
}

void TgrCurrentCell::MakeVisible() {
    Integer col = grid_->CurrentDisplayCol(), row = grid_->CurrentDisplayRow();
    if (col < 1 || col >= grid_->ColCount() || row < 1 || row >= grid_->RowCount() || !grid_->HasCurrentCell())
        return;
    grid_->ScrollCurrentCellIntoView();
}

void TgrCurrentCell::SelectAll() {
    if (!grid_->HasWindow() || !grid_->HasCurrentCell()) return;
    LoadValue();
    if (TgrCustomGridControl* c = grid_->ActiveControl()) c->SelectAll();
}

Integer TgrCurrentCell::GetSelStart() {
    if (!grid_->HasCurrentCell()) return 0;
    LoadValue();
    return selStart_;
}

Integer TgrCurrentCell::GetSelLength() {
    if (!grid_->HasCurrentCell()) return 0;
    LoadValue();
    return selLength_;
}

void TgrCurrentCell::SetSelStart(Integer position) {
    if (!grid_->HasCurrentCell()) return;
    LoadValue();
    if (TgrCustomGridControl* c = grid_->ActiveControl()) c->SetSelStart(int(position));
}

void TgrCurrentCell::SetSelLength(Integer length) {
    if (!grid_->HasCurrentCell()) return;
    LoadValue();
    if (TgrCustomGridControl* c = grid_->ActiveControl()) c->SetSelLength(int(length));
}

namespace {

// Length of a text in characters (a double-byte character counts once).
Integer CharCount(const std::string& text) {
    Integer n = 0;
    for (int i = 0; i < int(text.size()); i += std::max(CharLengthAt(text, i), 1)) ++n;
    return n;
}

std::string TextOf(const Variant& v) { return v.IsString() ? v.AsString() : std::string(); }

}  // namespace

bool TgrCurrentCell::IsAllSelected() const {
    if (GetControlType() != ctText) return true;
    return selStart_ == 0 && selLength_ == CharCount(TextOf(value_));
}

bool TgrCurrentCell::CanPasteText(const std::string& text) const {
    TgrCol* col = grid_->Col(grid_->CurrentDataCol());
    Integer maxLength = col ? col->MaxLength() : 0;
    if (maxLength <= 0) return true;
    return CharCount(TextOf(value_)) + CharCount(text) - selLength_ <= maxLength;
}

bool TgrCurrentCell::CopyToClipboard() {
    if (!grid_->HasWindow() || !grid_->HasCurrentCell() || GetControlType() != ctText) return false;
    LoadValue();
    grid_->ActiveControl()->CopyToClipboard();
    return true;
}

bool TgrCurrentCell::CutToClipboard(bool byUser) {
    if (!grid_->HasWindow() || !grid_->CanEdit() || GetControlType() != ctText) return false;
    LoadValue();
    grid_->ActiveControl()->CutToClipboard(byUser);
    if (!grid_->EditModeFlag()) grid_->RepaintFocusCell(false);
    return true;
}

bool TgrCurrentCell::PasteText(bool byUser) {
    if (!grid_->HasWindow() || !grid_->CanEdit() || GetControlType() != ctText) return false;
    LoadValue();
    grid_->ActiveControl()->PasteFromClipboard(byUser);
    if (!grid_->EditModeFlag()) grid_->RepaintFocusCell(false);
    return true;
}

void TgrCurrentCell::CutFromMessage() {
    if (grid_->HasWindow() && grid_->EnsureEditing(false)) CutToClipboard(false);
}

void TgrCurrentCell::PasteFromClipboard() {
    if (!grid_->HasWindow() || !grid_->CanEdit() || GetControlType() != ctText) return;
    if (!Clipboard()->HasText()) return;
    LoadValue();
    if (!CanPasteText(Clipboard()->AsText())) return;
    if (grid_->EnsureEditing(false)) PasteText(false);
}

void TgrCurrentCell::ResetPictureOptions() {
    stretch_ = shrink_ = center_ = true;
    keepAspect_ = false;
    transparentColor_ = grColorNotSet;
}

bool TgrCurrentCell::EffectiveOption(TgrPictureKind kind, bool own) const {
    switch (grid_->CurrentDrawOption(kind)) {
        case dopOn: return true;
        case dopOff: return false;
        default: return own;
    }
}

bool TgrCurrentCell::GetStretchPicture() const { return EffectiveOption(pkStretchPicture, stretch_); }
bool TgrCurrentCell::GetShrinkPicture() const { return EffectiveOption(pkShrinkPicture, shrink_); }
bool TgrCurrentCell::GetCenterPicture() const { return EffectiveOption(pkCenterPicture, center_); }
bool TgrCurrentCell::GetKeepAspectRatio() const { return EffectiveOption(pkKeepAspectRatio, keepAspect_); }

Integer TgrCurrentCell::GetTextHeight() {
    if (!grid_->HasCurrentCell()) return 0;
    LoadValue();
    Integer height = 0, lines = 0;
    grid_->GetCellTextHeight(GetDataCol(), GetDataRow(), height, lines);
    return height;
}

Integer TgrCurrentCell::GetTextLineCount() {
    if (!grid_->HasCurrentCell()) return 0;
    LoadValue();
    Integer height = 0, lines = 0;
    grid_->GetCellTextHeight(GetDataCol(), GetDataRow(), height, lines);
    return lines;
}

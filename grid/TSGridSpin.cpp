// Spinning a cell's value: a spin button (or its repeat) steps the current
// text cell's number at the caret, fitted to the cell's mask when the mask
// asks for it, or moves a picture cell to the next or previous image of the
// grid's image list. The step goes through the in-cell editor, so it is an
// edit like typing: it starts the cell and row edits, Esc undoes it, and the
// spin-increment event may change or refuse the new value first.

#include <algorithm>

#include "grid/GRGLib.h"
#include "grid/GRGLibValues.h"
#include "grid/GridMaskCheck.h"
#include "grid/TSGrid.h"
#include "platform/core/Strings.h"

void TgrBaseGrid::SpinTextValue(const std::string& text, Integer caret, bool up, double increment, Integer& pos,
                                Integer& len, std::string& result) {
    // An empty text counts from "0".
    std::string from = text.empty() ? "0" : text;
    int start = 0, length = 0;
    IncrementNumberInText(from, text.empty() ? 0 : int(caret), start, result, length, up ? increment : -increment);
    pos = start;
    len = length;
}

Variant TgrBaseGrid::SpinImageValue(const Variant& current, bool up) {
    TgrImageListComponent* list = ImageList();
    if (!list) return Variant();
    Integer count = list->ImageCount();
    if (count <= 0) return Variant();
    Integer index = current.IsString() ? list->IndexOfImageValue(current.AsString()) : -1;
    // A cell without a picture of the list starts at the first image going
    // up and at the last going down; the ends of the list are the limits.
    Integer next = index < 0 ? (up ? 0 : count - 1) : index + (up ? 1 : -1);
    if (next < 0 || next >= count) return Variant();
    return Variant(list->ImageValueName(next));
}

void TgrBaseGrid::AdjustSpinTextToMask(Integer dataCol, Integer dataRow, const std::string& oldText, Integer& pos,
                                       Integer& len, Variant& value) {
    auto* mask = dynamic_cast<TgrMaskValidation*>(maskLink_->FindMask(EffectiveMaskName(dataCol, dataRow)));
    if (!mask || !(mask->MaskOptions() & grMaskOptionSpinAdjust) || !value.IsString()) return;
    const std::string newText = value.AsString();
    const auto size = Integer(newText.size());
    Integer at = std::clamp<Integer>(pos, 1, size + 1);
    Integer changedLength = std::clamp<Integer>(len, 0, size - at + 1);
    std::string changed = newText.substr(std::size_t(at - 1), std::size_t(changedLength));
    std::string rest = newText.substr(std::size_t(at - 1 + changedLength));
    // Only the number changed, so the old number is what is left of the
    // old text between the same head and tail.
    Integer oldLength = Integer(oldText.size()) - (at - 1) - Integer(rest.size());
    std::string oldPart =
        oldLength > 0 && at - 1 <= Integer(oldText.size()) ? oldText.substr(std::size_t(at - 1), std::size_t(oldLength))
                                                            : std::string();
    std::string padded;
    PadNumber(oldPart, changed, padded);
    const std::string candidate = newText.substr(0, std::size_t(at - 1)) + padded;
    const bool wholeChanged = at == 1 && changedLength == size;

    // The mask accepts a text "with completion" when it is a valid start
    // of a value, "without completion" only when it is whole as it stands.
    auto accepts = [mask](const std::string& text, bool completing) {
        std::string completion;
        if (!mask->CheckText(text, int(Utf8Length(text)) + 1, completion)) return false;
        return completing || completion.empty();
    };
    struct Test {
        bool useCandidate, completing;
    };
    static constexpr Test kOrder[] = {
        {true, false}, {false, true}, {true, true}, {false, false}, {true, false},
    };
    for (std::size_t i = 0; i < std::size(kOrder); ++i) {
        const Test& t = kOrder[i];
        if (i == 0 && wholeChanged) continue;
        if (!accepts(t.useCandidate ? candidate : newText, t.completing)) continue;
        if (t.useCandidate) {
            value = Variant(candidate + rest);
            pos = at;
            len = Integer(padded.size());
        } else {
            value = Variant(newText);
        }
        return;
    }
    value = Variant();
}

void TgrBaseGrid::SpinCellValue(Integer dataCol, Integer dataRow, bool up) {
    if (!(EffectiveSpinOptions(dataCol, dataRow) & SpinOptionBit(spoAutoIncrement))) return;
    if (dataCol != curDataCol_ || dataRow != curDataRow_) return;
    TgrControlType type = EffectiveControlType(dataCol, dataRow);
    if (type != ctText && type != ctPicture) return;
    if (!BeginCellEdit()) return;

    if (type == ctPicture) {
        Variant current = currentCell_->GetValue();
        Variant value = SpinImageValue(current, up);
        if (value.IsEmpty()) return;
        // The new picture name is the changed part, as a whole.
        Integer pos = 1, len = Integer(value.AsString().size());
        bool accept = true;
        FireSpinIncrement(dataCol, dataRow, accept, pos, len, value, up);
        if (!accept || value.IsEmpty() || value.IsNull()) return;
        if (current.IsString() && value.IsString() && value.AsString() == current.AsString()) return;
        LoadEditorValue(ConvertCellValue(ctPicture, value), true, true);
        InvalidateDisplayCell(curDisplayCol_, curDisplayRow_);
        return;
    }

    RefreshCellControl();
    if (!editControl_ || activeControl_ != editControl_.get()) return;
    LoadControlValue();
    TgrGridEditBox* box = editControl_->EditBox();
    std::string text = box->Text();
    Integer pos = 0, len = 0;
    std::string stepped;
    // The number at the caret (the end of a whole selected text).
    SpinTextValue(text, box->CaretPos(), up, EffectiveSpinIncrement(dataCol, dataRow), pos, len, stepped);
    if (stepped == text) return;
    Variant value(stepped);
    AdjustSpinTextToMask(dataCol, dataRow, text, pos, len, value);
    if (value.IsEmpty()) return;
    bool accept = true;
    FireSpinIncrement(dataCol, dataRow, accept, pos, len, value, up);
    if (!accept || value.IsEmpty() || value.IsNull()) return;
    std::string result = VariantToText(ConvertCellValue(ctText, value));
    if (result == text) return;
    // The caret keeps its distance from the end of the text.
    int fromEnd = int(text.size()) - box->SelStart();
    box->SetTextByUser(result, true);
    box->SetSelStart(std::clamp(int(result.size()) - fromEnd, 0, int(result.size())));
    box->SetSelLength(0);
    typedSinceEditStart_ = true;
}

#pragma once
// What the grid asks of a mask definition when a cell edit ends: whether
// the definition wants the finished text checked, and the check itself,
// which may supply text that completes the value. A mask definitions
// component hands out objects that implement it next to the edit box's
// per-keystroke check (TgrEditMask).

#include <string>

// Option bit of a mask definition: check the text when the cell edit ends.
inline constexpr unsigned grMaskOptionValidate = 0x2;

class TgrMaskValidation {
public:
    virtual ~TgrMaskValidation() = default;
    virtual unsigned MaskOptions() const = 0;
    // Checks text with the caret at position (1-based, in characters);
    // False refuses it. completion receives text to append, or stays empty.
    virtual bool CheckText(const std::string& text, int position, std::string& completion) = 0;
};

#pragma once
// What the grid asks of a mask definition when a cell edit ends or a spin
// button steps a masked text: whether the definition wants the finished
// text checked or a spun text fitted to it, and the check itself, which may
// supply text that completes the value. A mask definitions component hands
// out objects that implement it next to the edit box's per-keystroke check
// (TgrEditMask).

#include <string>

// Option bit of a mask definition: check the text when the cell edit ends.
inline constexpr unsigned grMaskOptionValidate = 0x2;
// Option bit of a mask definition: a spin step is fitted to the mask
// (the stepped number padded to its old form, a text the mask refuses
// not taken).
inline constexpr unsigned grMaskOptionSpinAdjust = 0x4;

class TgrMaskValidation {
public:
    virtual ~TgrMaskValidation() = default;
    virtual unsigned MaskOptions() const = 0;
    // Checks text with the caret at position (1-based, in characters);
    // False refuses it. completion receives text to append, or stays empty:
    // a text accepted with an empty completion is complete as it stands.
    virtual bool CheckText(const std::string& text, int position, std::string& completion) = 0;
};

#pragma once
// The grid's in-cell check box: three states (unchecked, checked, grayed)
// drawn with its own glyphs in three styles, toggled by a mouse click or
// the space bar with a pressed look while the button or key is held. With
// CheckBoxValues ("checked|unchecked|grayed") the value is the state's
// text, otherwise the state number. One level of undo.

#include <array>
#include <memory>
#include <string>

#include "grid/GridControl.h"
#include "platform/core/Variant.h"
#include "platform/gui/Bitmap.h"
#include "platform/gui/StdCtrls.h"

inline constexpr int CheckGlyphSize = 13;

// The glyph strip all check boxes share: 18 glyphs of 13 x 13 one above the
// other: three per style (checked, unchecked, grayed; cross, check, flat),
// then the pressed form of each of the nine at index + 9.
TBitmap* CheckGlyphStrip();

class TgrGridCheckBox : public TgrGridControl {
public:
    explicit TgrGridCheckBox(TComponent* owner);

    TCheckBoxState State() const { return state_; }
    const Variant& Value() const { return value_; }
    // Forgets the undo, takes the value and its state, repaints and
    // notifies.
    void SetValue(const Variant& value, bool edited, bool byUser);
    // Only when CanChange(False) allows.
    void SetValueIfAllowed(const Variant& value);
    // Only when CanEdit(False) allows.
    void SetValueByUser(const Variant& value, bool byUser);
    // Unchecked -> checked -> grayed (with AllowGrayed) -> unchecked.
    void Toggle();

    TgrCheckBoxStyle CheckBoxStyle() const { return style_; }
    void SetCheckBoxStyle(TgrCheckBoxStyle style);
    bool AllowGrayed() const { return allowGrayed_; }
    void SetAllowGrayed(bool value) { allowGrayed_ = value; }
    const std::string& CheckBoxValues() const { return checkBoxValues_; }
    void SetCheckBoxValues(const std::string& values) { checkBoxValues_ = values; }

    // The glyph for a state: the bitmap, the rectangle in it and the copy
    // mode to draw it with (the flat glyphs take the background brush).
    TBitmap* GetGlyph(TCheckBoxState state, TCopyMode& copyMode, bool pressedAllowed, TRect& source);
    // Draws the glyph centred in rect, with a focus rectangle around it
    // when asked.
    void PaintCheck(TCanvas* canvas, const TRect& rect, bool drawFocus);

    bool PressedLook() const { return pressed_; }
    bool SpaceHeld() const { return spaceHeld_; }
    bool UndoSaved() const { return undoSaved_; }
    // The mouse capture was taken away: the pressed look goes.
    void CaptureReleased();

    bool IsEditChar(char ch) override { return ch == ' '; }
    bool DoKeyDown(Word16& key, TShiftState shift) override;
    bool DoKeyPress(char& key) override;
    void DoKeyUp(Word16& key, TShiftState shift) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

protected:
    void PaintWindow(TCanvas* canvas) override;
    void LeftButtonDown(TShiftState shift, int x, int y) override;

private:
    bool Swallowing() const { return pressed_ || spaceHeld_ || refused_ || spacePending_; }
    void NotifyToggled();

    TCheckBoxState undoState_ = cbUnchecked;
    Variant undoValue_;
    bool undoSaved_ = false;
    // Custom glyphs: nothing supplies them; they stay empty.
    std::array<std::unique_ptr<TBitmap>, 3> customGlyphs_;
    std::array<int, 3> glyphIndex_{};  // by state: unchecked, checked, grayed
    TCheckBoxState state_ = cbUnchecked;
    Variant value_{Byte(0)};
    TColor shadeLight_ = clWhite;
    TColor shadeDark_ = clSilver;
    TgrCheckBoxStyle style_ = stCheck;
    bool pressed_ = false;
    bool tracking_ = false;
    bool spaceHeld_ = false;
    bool refused_ = false;
    bool spacePending_ = false;
    bool allowGrayed_ = false;
    std::string checkBoxValues_;
};

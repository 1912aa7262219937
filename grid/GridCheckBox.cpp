#include "grid/GridCheckBox.h"

#include <algorithm>
#include <cstdlib>

#include "grid/GRGLibValues.h"
#include "platform/gui/DrawEdge.h"

namespace {

constexpr int G = CheckGlyphSize;

void Pixel(TCanvas* c, int glyph, int x, int y, TColor colour) { c->SetPixel(x, glyph * G + y, colour); }

// Diagonal hatching inside (from, from)-(to, to) of a glyph: lines running
// down to the left, every gap pixels, in pairs.
void Hatch(TCanvas* c, int glyph, int from, int to, int gap, TColor colour) {
    for (int y = from; y < to; ++y)
        for (int x = from; x < to; ++x)
            if ((x + y) % gap == 0) Pixel(c, glyph, x, y, colour);
}

void CheckMark(TCanvas* c, int glyph, int left, int top, int right, int bottom, TColor colour) {
    c->Pen()->SetColor(colour);
    for (int i = 0; i < 3; ++i) {
        int y0 = glyph * G;
        c->MoveTo(left + 1, y0 + top + 3 + i);
        c->LineTo(right - 6, y0 + bottom - 4 + i);
        c->LineTo(right - 1 + 1, y0 + top + i - 1);
    }
}

void Frame(TCanvas* c, int glyph, unsigned edge, unsigned flags) {
    TRect r(0, glyph * G, G, glyph * G + G);
    DrawEdge(c, r, edge, flags | BF_ADJUST);
    c->Brush()->SetColor(clWhite);
    c->FillRect(r);
}

std::unique_ptr<TBitmap> MakeStrip() {
    EnsureGuiApplication();
    auto strip = std::make_unique<TBitmap>();
    strip->SetSize(G, 18 * G);
    TCanvas* c = strip->Canvas();
    c->Brush()->SetColor(clWhite);
    c->FillRect(TRect(0, 0, G, 18 * G));
    c->Pen()->SetColor(clBlack);
    // Cross: sunken frame, inside 2..10.
    for (int g = 0; g < 3; ++g) Frame(c, g, EDGE_SUNKEN, BF_RECT);
    for (int y = 3; y < 10; ++y)
        for (int x = 3; x < 10; ++x)
            if (std::abs(x - y) <= 1 || std::abs(x + y - 12) <= 1) Pixel(c, 0, x, y, clBlack);
    Hatch(c, 2, 2, 11, 4, clBlack);
    // Check: sunken frame, a check mark of three lines.
    for (int g = 3; g < 6; ++g) Frame(c, g, EDGE_SUNKEN, BF_RECT);
    CheckMark(c, 3, 2, 2, 11, 11, clBlack);
    Hatch(c, 5, 2, 11, 2, clSilver);
    CheckMark(c, 5, 2, 2, 11, 11, clGray);
    // Flat: one-pixel mono frame, a thin X.
    for (int g = 6; g < 9; ++g) Frame(c, g, BDR_RAISEDOUTER, BF_RECT | BF_MONO);
    for (int i = 1; i < G - 1; ++i) {
        Pixel(c, 6, i, i, clBlack);
        Pixel(c, 6, G - 1 - i, i, clBlack);
    }
    Hatch(c, 8, 1, 12, 3, clBlack);
    // Pressed forms.
    for (int g = 0; g < 9; ++g) {
        int p = g + 9;
        c->CopyRect(TRect(0, p * G, G, p * G + G), c, TRect(0, g * G, G, g * G + G));
        if (g < 6) {
            for (int y = 2; y < G - 2; ++y)
                for (int x = 2; x < G - 2; ++x)
                    if (c->GetPixel(x, p * G + y) == clWhite) Pixel(c, p, x, y, clSilver);
        } else {
            TRect r(0, p * G, G, p * G + G);
            DrawEdge(c, r, EDGE_RAISED, BF_RECT | BF_MONO);
        }
    }
    return strip;
}

// A number as a state; numbers outside the three states count as grayed.
TCheckBoxState StateOfNumber(Integer n) {
    return n == cbUnchecked || n == cbChecked || n == cbGrayed ? static_cast<TCheckBoxState>(n) : cbGrayed;
}

}  // namespace

TBitmap* CheckGlyphStrip() {
    static std::unique_ptr<TBitmap> strip = MakeStrip();
    return strip.get();
}

TgrGridCheckBox::TgrGridCheckBox(TComponent* owner) : TgrGridControl(owner) {
    CheckGlyphStrip();
    AllowDblClick = false;
    SetCaption("");
    SetCursor(crDefault);
    SetCheckBoxStyle(stCheck);
}

// ------------------------------------------------------------------ value

void TgrGridCheckBox::SetValue(const Variant& value, bool edited, bool byUser) {
    undoSaved_ = false;
    if (value.IsNull() || value.IsEmpty() || value.IsString()) {
        value_ = value;
        state_ = value.IsEmpty() ? CheckStateOfText("", checkBoxValues_) : VariantToCheckState(value, checkBoxValues_);
    } else {
        Integer n = 0;
        try {
            n = value.AsInteger();
        } catch (const Exception&) {
            n = cbGrayed;
        }
        state_ = StateOfNumber(n);
        if (!checkBoxValues_.empty()) CheckValueOfState(state_, checkBoxValues_, value_);
        else value_ = Variant(Byte(state_));
    }
    Invalidate();
    if (OnCaretChange) OnCaretChange(this, true);
    if (OnTextChange) OnTextChange(this, edited, false, byUser);
}

void TgrGridCheckBox::SetValueIfAllowed(const Variant& value) {
    if (CanChange(false)) SetValue(value, false, false);
}

void TgrGridCheckBox::SetValueByUser(const Variant& value, bool byUser) {
    if (CanEdit(false)) SetValue(value, true, byUser);
}

void TgrGridCheckBox::Toggle() {
    if (!undoSaved_) {
        undoState_ = state_;
        undoValue_ = value_;
        undoSaved_ = true;
    }
    TCheckBoxState next = cbChecked;
    if (state_ == cbChecked) next = allowGrayed_ ? cbGrayed : cbUnchecked;
    else if (state_ == cbGrayed) next = cbUnchecked;
    if (!checkBoxValues_.empty()) {
        CheckValueOfState(next, checkBoxValues_, value_);
        state_ = VariantToCheckState(value_, checkBoxValues_);
    } else {
        state_ = next;
        value_ = Variant(Byte(next));
    }
}

void TgrGridCheckBox::NotifyToggled() {
    if (OnCaretChange) OnCaretChange(this, true);
    if (OnTextChange) OnTextChange(this, true, false, true);
}

// ------------------------------------------------------------------ glyphs

void TgrGridCheckBox::SetCheckBoxStyle(TgrCheckBoxStyle style) {
    int first = style == stFlat ? 6 : (style == stCheck ? 3 : 0);
    // Strip order per style: checked, unchecked, grayed.
    if (!customGlyphs_[cbChecked]) glyphIndex_[cbChecked] = first;
    if (!customGlyphs_[cbUnchecked]) glyphIndex_[cbUnchecked] = first + 1;
    if (!customGlyphs_[cbGrayed]) glyphIndex_[cbGrayed] = first + 2;
    style_ = style;
    Invalidate();
}

TBitmap* TgrGridCheckBox::GetGlyph(TCheckBoxState state, TCopyMode& copyMode, bool pressedAllowed, TRect& source) {
    int s = std::clamp(static_cast<int>(state), 0, 2);
    bool pressedNow = tracking_ ? pressed_ : spaceHeld_;
    int index = glyphIndex_[std::size_t(s)] + (pressedAllowed && pressedNow ? 9 : 0);
    copyMode = glyphIndex_[std::size_t(s)] >= 6 ? cmMergeCopy : cmSrcCopy;
    source = TRect(0, index * G, G, index * G + G);
    return CheckGlyphStrip();
}

void TgrGridCheckBox::PaintCheck(TCanvas* canvas, const TRect& rect, bool drawFocus) {
    int w = rect.Width(), h = rect.Height();
    if (w <= 0 || h <= 0) return;
    TBitmap bmp;
    bmp.SetSize(w, h);
    TCanvas* b = bmp.Canvas();
    b->Brush()->Assign(*canvas->Brush());
    b->Pen()->Assign(*canvas->Pen());
    b->FillRect(TRect(0, 0, w, h));
    TCopyMode mode;
    TRect source;
    TBitmap* glyph = GetGlyph(state_, mode, true, source);
    int left = (w - G) / 2 - 1;
    int top = (h - G) / 2;
    if (Ctl3D) {
        ++left;
        ++top;
    }
    TRect at(left, top, left + G, top + G);
    if (drawFocus) {
        TRect f(at.Left - 5, at.Top - 2, at.Right + 5, at.Bottom + 2);
        int inset = Ctl3D ? 1 : 0;
        int dx = std::max({0, inset - f.Left, f.Right - w});
        int dy = std::max({0, inset - f.Top, f.Bottom - h});
        // Clipped to the bitmap and kept symmetric around the glyph.
        f = TRect(at.Left - 5 + dx, at.Top - 2 + dy, at.Right + 5 - dx, at.Bottom + 2 - dy);
        if (!f.IsEmpty()) b->DrawFocusRect(f);
    }
    TRect clipped;
    if (IntersectRect(clipped, at, TRect(0, 0, w, h))) {
        TRect src(source.Left + clipped.Left - at.Left, source.Top + clipped.Top - at.Top,
                  source.Left + clipped.Right - at.Left, source.Top + clipped.Bottom - at.Top);
        b->SetCopyMode(mode);
        b->DrawImage(glyph->Image(), clipped, src);
        b->SetCopyMode(cmSrcCopy);
    }
    TCopyMode saved = canvas->CopyMode();
    canvas->SetCopyMode(cmSrcCopy);
    canvas->DrawImage(bmp.Image(), rect, TRect(0, 0, w, h));
    canvas->SetCopyMode(saved);
    if (Ctl3D) {
        TRect edge = rect;
        DrawEdge(canvas, edge, BDR_RAISEDINNER, BF_TOP);
    }
}

void TgrGridCheckBox::PaintWindow(TCanvas* canvas) {
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    PaintCheck(canvas, ClientRect(), HasFocusOrGridHas() || AlwaysShowFocus);
}

// ------------------------------------------------------------------- mouse

void TgrGridCheckBox::LeftButtonDown(TShiftState shift, int x, int y) {
    if (!Designing() && CanFocus()) SetFocus();
    if (AllowEdit) {
        tracking_ = true;
        SetMouseCapture(true);
        refused_ = !CanEdit(true);
        if (refused_) {
            tracking_ = false;
        } else {
            pressed_ = true;
            Invalidate();
        }
    }
    TgrGridControl::LeftButtonDown(shift, x, y);
}

void TgrGridCheckBox::MouseMove(TShiftState shift, int x, int y) {
    if (tracking_ && !refused_) {
        bool inside = x >= -3 && x <= Width() - 1 && y >= 0 && y <= Height() - 1;
        if (inside != pressed_) {
            pressed_ = inside;
            Invalidate();
        }
    }
    TgrGridControl::MouseMove(shift, x, y);
}

void TgrGridCheckBox::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    bool changed = false;
    if (button == mbLeft) {
        if (tracking_) {
            tracking_ = false;
            if (pressed_) {
                pressed_ = false;
                Toggle();
                Invalidate();
                changed = true;
            }
        }
        refused_ = false;
        if (MouseCapture()) SetMouseCapture(false);
    }
    if (changed) NotifyToggled();
    TgrGridControl::MouseUp(button, shift, x, y);
}

void TgrGridCheckBox::CaptureReleased() {
    if (MouseCapture()) SetMouseCapture(false);
    if (pressed_) {
        pressed_ = false;
        Invalidate();
    }
}

// ---------------------------------------------------------------- keyboard

bool TgrGridCheckBox::DoKeyDown(Word16& key, TShiftState shift) {
    if (TgrGridControl::DoKeyDown(key, shift)) return true;
    if (Swallowing()) {
        key = 0;
        return true;
    }
    bool undoKey = (key == VK_ESCAPE && !shift.Contains(ssShift)) || (key == 'Z' && shift.Contains(ssCtrl));
    if (undoKey && undoSaved_) {
        key = 0;
        bool cancel = false;
        if (OnUndo) OnUndo(this, true, cancel);
        if (!cancel) {
            Variant saved = undoValue_;
            SetValue(saved, false, false);
            if (OnCaretChange) OnCaretChange(this, true);
        }
    }
    if (key != 0 && OnAfterKeyDown) OnAfterKeyDown(this, key, shift);
    return key == 0;
}

bool TgrGridCheckBox::DoKeyPress(char& key) {
    if (TgrGridControl::DoKeyPress(key)) return true;
    if (Swallowing()) {
        key = 0;
        return true;
    }
    if (key == ' ') {
        spacePending_ = true;
        if (CanEdit(true)) {
            spacePending_ = false;
            spaceHeld_ = true;
            Repaint();
        }
        key = 0;
        return true;
    }
    if (OnAfterKeyPress) OnAfterKeyPress(this, key);
    return key == 0;
}

void TgrGridCheckBox::DoKeyUp(Word16& key, TShiftState shift) {
    TgrGridControl::DoKeyUp(key, shift);
    if (key == VK_SPACE && spaceHeld_) {
        spaceHeld_ = false;
        if (!spacePending_) {
            Toggle();
            Invalidate();
            Click();
            NotifyToggled();
        }
    } else if (key == VK_SPACE && spacePending_) {
        spacePending_ = false;
    }
    if (key != 0 && OnAfterKeyUp) OnAfterKeyUp(this, key, shift);
}

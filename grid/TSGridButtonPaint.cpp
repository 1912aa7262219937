// Cell buttons drawn in their three states: normal, raised under the mouse
// and pressed. A combo, normal or date-time button is a face with a frame
// and its picture; a spin button is two halves, each with its own frame and
// arrow. Flat buttons show no frame until the mouse is on them; with
// InactiveButtonState other than ibsBackGround only the active button (the
// current cell in edit mode) has a face.

#include <algorithm>

#include "grid/GridButtons.h"
#include "grid/GridPaintTools.h"
#include "grid/TSGrid.h"
#include "platform/gui/DrawEdge.h"

namespace {

using grid_paint::Line;
using grid_paint::UsePen;

constexpr TColor kButtonLine = TColor(0xC0C0C0);
constexpr Integer kPictureMargin = 3;

bool ColorSet(TColor c) { return c != grColorNotSet; }

// One inner edge on the named sides, the canvas's pen kept.
void InnerEdge(TCanvas* c, const TRect& r, unsigned edge, unsigned sides) {
    if (r.IsEmpty()) return;
    TRect e = r;
    DrawEdge(c, e, edge, sides);
}

}  // namespace

// ------------------------------------------------------------ state

bool TgrBaseGrid::ButtonPressedAt(Integer displayCol, Integer displayRow, TgrSpinButton& half) const {
    half = spbNone;
    if (mouseStatus_ != msButtonDown) return false;
    if (spinPressed_ != spbNone && spinPressCell_.Col == displayCol && spinPressCell_.Row == displayRow) {
        half = spinPressed_;
        return true;
    }
    return buttonShownDown_ && displayCol == curDisplayCol_ && displayRow == curDisplayRow_;
}

bool TgrBaseGrid::IsCurrentCellInEdit(Integer displayCol, Integer displayRow) {
    return displayCol == curDisplayCol_ && displayRow == curDisplayRow_ && IsEditMode() && !directPaint_;
}

bool TgrBaseGrid::IsButtonActive(Integer displayCol, Integer displayRow, bool check) {
    if (!check) return true;
    return IsCurrentCellInEdit(displayCol, displayRow) &&
           !IsCellReadOnly(DataColOfDisplay(displayCol), DataRowOfDisplay(displayRow));
}

bool TgrBaseGrid::ShowsButton3D(Integer displayCol, Integer displayRow) {
    if (flatButtons_) return false;
    return inactiveButtonState_ == ibsBackGround || IsButtonActive(displayCol, displayRow, true);
}

bool TgrBaseGrid::TouchesFocusCell(Integer displayCol, Integer displayRow) {
    bool noVert = vertLineWidth_ == 0, noHorz = horzLineWidth_ == 0;
    if (displayRow == curDisplayRow_ && displayCol == curDisplayCol_ - 1) return noVert;
    if (displayCol == curDisplayCol_ && displayRow == curDisplayRow_ - 1) return noHorz;
    if (displayCol == curDisplayCol_ - 1 && displayRow == curDisplayRow_ - 1) return noVert && noHorz;
    return false;
}

TColor TgrBaseGrid::ButtonBackColor(TColor color, const TgrCellPaintInfo& info, bool selected) {
    if (ColorSet(color)) return color;
    if (selected && UsesSelectionColor()) return selectionColor_;
    if (info.ShowsFocus && ColorSet(focusColor_)) return focusColor_;
    return info.Color;
}

// ------------------------------------------------------------ drawing

void TgrBaseGrid::DrawCellButton(const TgrCellPaintInfo& info, bool selected) {
    if (!info.HasButton || info.ButtonRect.IsEmpty()) return;
    DrawButtonArea(info, selected);
    Integer c = info.DisplayCol, r = info.DisplayRow;
    Integer state = 0;
    TColor color = grColorNotSet;
    TgrSpinButton half = spbNone;
    if (ButtonPressedAt(c, r, half)) {
        state = 2;
        color = clBtnFace;
    } else if (hotButton_.Col == c && hotButton_.Row == r) {
        state = 1;
        color = clBtnFace;
    } else if (inactiveButtonState_ == ibsBackGround || IsButtonActive(c, r, true)) {
        color = clBtnFace;
    }
    if (IsSpinButtonType(info.ButtonType)) {
        if (ColorSet(color)) DrawSpinButton(info.ButtonType, kSpinBothMask, selected, info, color, half);
        return;
    }
    if (ColorSet(color)) DrawButtonFace(color, state, selected, info);
    DrawButtonPicture(info, color, state);
}

void TgrBaseGrid::DrawButtonArea(const TgrCellPaintInfo& info, bool selected) {
    if (info.ButtonRect.IsEmpty()) return;
    TCanvas* c = Canvas();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(ButtonBackColor(grColorNotSet, info, selected));
    c->FillRect(info.ButtonRect);
    if (info.Is3D && !(info.Current && ControlStandsInCell())) InnerEdge(c, info.ButtonRect, BDR_RAISEDINNER, BF_TOP);
}

void TgrBaseGrid::DrawButtonFace(TColor color, Integer state, bool selected, const TgrCellPaintInfo& info) {
    const TRect& b = info.ButtonRect;
    TgrCustomButton* button = GetCellButton(info.DisplayCol, info.ButtonType);
    if (b.IsEmpty() || !button) return;
    TRect r = b;
    Integer height = button->TotalHeight();
    if (state != 0 || !flatButtons_) {
        r.Left = std::min(b.Left + 1, b.Right);
        r.Top += 1 - horzLineWidth_;
    } else if (info.ButtonType == btNormal) {
        // A flat detail button is its face alone, inside the edges.
        r.Left = int(std::max<Integer>(b.Left + buttonEdgeWidth_, b.Right - button->GetWidth() - buttonEdgeWidth_));
        r.Right = int(std::max<Integer>(r.Left, b.Right - buttonEdgeWidth_));
        r.Top += int(buttonEdgeWidth_);
        height = button->GetHeight();
    }
    r.Bottom = int(std::min<Integer>(r.Bottom, r.Top + height));
    TCanvas* c = Canvas();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(ButtonBackColor(color, info, selected));
    bool topLine = horzLineWidth_ == 0;
    if (state == 1 || (state == 0 && ShowsButton3D(info.DisplayCol, info.DisplayRow))) {
        DrawButtonFrameUp(r, kButtonLine, true, topLine, button->TotalHeight(), button->TotalWidth());
    } else if (state == 2) {
        DrawButtonFrameDown(r, kButtonLine, true, topLine, button->TotalHeight(), button->TotalWidth());
    } else {
        c->FillRect(r);
        // A 3D cell keeps its raised top edge over the button, except where
        // the focus frame or the in-cell editor covers it.
        bool covered = info.Current && ((info.ShowsFocus && (focusBorder_ == fbDot || focusBorder_ == fbDouble)) ||
                                        (ControlStandsInCell() && gridStatus_ == gsNormal));
        if (info.Is3D && !covered) InnerEdge(c, b, BDR_RAISEDINNER, BF_TOP);
    }
}

void TgrBaseGrid::DrawButtonFrameUp(const TRect& r, TColor line, bool leftLine, bool topLine, Integer fullHeight,
                                    Integer fullWidth) {
    TCanvas* c = Canvas();
    c->FillRect(r);
    UsePen(c, line);
    if (leftLine) Line(c, r.Left - 1, r.Top, r.Left - 1, r.Bottom);
    if (topLine) Line(c, r.Left - 1, r.Top - 1, r.Right, r.Top - 1);
    InnerEdge(c, r, BDR_RAISEDINNER, BF_TOP | BF_LEFT);
    bool fullW = r.Right >= r.Left + fullWidth - 1, fullH = r.Bottom >= r.Top + fullHeight;
    unsigned sides = (fullW ? BF_RIGHT : 0u) | (fullH ? BF_BOTTOM : 0u);
    if (sides) InnerEdge(c, r, BDR_RAISEDINNER, sides);
}

void TgrBaseGrid::DrawButtonFrameDown(const TRect& r, TColor line, bool leftLine, bool topLine,
                                      Integer fullHeight, Integer fullWidth) {
    TCanvas* c = Canvas();
    c->FillRect(r);
    UsePen(c, line);
    if (leftLine) Line(c, r.Left - 1, r.Top, r.Left - 1, r.Bottom);
    if (topLine) Line(c, r.Left - 1, r.Top - 1, r.Right, r.Top - 1);
    bool fullW = r.Right >= r.Left + fullWidth - 1, reachesBottom = r.Bottom + 1 >= r.Top + fullHeight;
    if (fullW) InnerEdge(c, r, BDR_SUNKENINNER, reachesBottom ? BF_RIGHT | BF_BOTTOM : BF_RIGHT);
    else if (reachesBottom) InnerEdge(c, r, BDR_SUNKENINNER, BF_BOTTOM);
    InnerEdge(c, r, BDR_SUNKENOUTER, BF_TOP | BF_LEFT);
}

// The picture sits right-aligned in the face and centred where the face is
// larger, one pixel right and down while pressed, clipped to the cell.
// Without a transparent colour it is merged with the brush (the built-in
// black-on-white pictures take the face colour); with one, pixels of that
// colour let the face show through.
void TgrBaseGrid::DrawButtonPicture(const TgrCellPaintInfo& info, TColor color, Integer state) {
    if (info.ButtonType == btNone || info.ButtonRect.IsEmpty()) return;
    TgrCustomButton* button = GetCellButton(info.DisplayCol, info.ButtonType);
    TBitmap* picture = button ? button->GetBitmap() : nullptr;
    if (!picture || picture->Empty()) return;
    if (inactiveButtonState_ == ibsNone && !IsButtonActive(info.DisplayCol, info.DisplayRow, state == 0)) return;
    const TRect& b = info.ButtonRect;
    bool pressed = state == 2;
    Integer edge = buttonEdgeWidth_, innerW = button->GetWidth(), innerH = button->GetHeight() - (pressed ? 1 : 0);
    Integer w = picture->Width(), h = picture->Height();
    Integer left = std::max<Integer>(info.ContentRect.Left + edge + kPictureMargin, b.Right - edge - innerW) +
                   std::max<Integer>(0, (innerW - w) / 2) + (pressed ? 1 : 0);
    Integer right = std::min<Integer>(left + w, b.Right - edge);
    Integer top = b.Top + 1 - horzLineWidth_ + edge + std::max<Integer>(0, (innerH - h) / 2) + (pressed ? 1 : 0);
    Integer bottom = std::min<Integer>(top + std::min(innerH, h), b.Bottom);
    if (right <= left || bottom <= top) return;
    TRect dest{int(left), int(top), int(right), int(bottom)};
    TRect src(0, 0, dest.Width(), dest.Height());
    TCanvas* c = Canvas();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(ColorSet(color) ? color : info.Color);
    TCopyMode mode = c->CopyMode();
    bool transparent = ColorSet(button->GetColor());
    c->SetCopyMode(transparent ? cmSrcCopy : cmMergeCopy);
    c->DrawImage(picture->Image(), dest, src, transparent, transparent ? ColorToRGB(button->GetColor()) : clNone);
    c->SetCopyMode(mode);
}

// ------------------------------------------------------------ spin buttons

Integer TgrBaseGrid::CalcSpinRects(const TgrCellPaintInfo& info, TRect& up, TRect& down) {
    return info.ButtonType == btHorzSpin ? CalcHorzSpinRects(info, up, down) : CalcVertSpinRects(info, up, down);
}

// Each half is at least 3 pixels high, even in a low cell (clipped to it).
Integer TgrBaseGrid::CalcVertSpinRects(const TgrCellPaintInfo& info, TRect& upper, TRect& lower) {
    const TRect& b = info.ButtonRect;
    Integer total = GetCellButton(info.DisplayCol, btVertSpin)->TotalHeight();
    Integer a = b.Top - horzLineWidth_ + 1;
    Integer half = std::min<Integer>(std::max<Integer>(3, (b.Bottom - a) / 2), total / 2);
    upper = TRect(std::min(b.Left + 1, b.Right), int(a), b.Right, int(std::min<Integer>(b.Bottom, a + half)));
    lower = TRect(upper.Left, int(a + half), b.Right, int(std::min<Integer>(b.Bottom, a + 2 * half)));
    return half;
}

// The right half steps up, the left half down; the halves keep to the
// cell's right edge.
Integer TgrBaseGrid::CalcHorzSpinRects(const TgrCellPaintInfo& info, TRect& right, TRect& left) {
    const TRect& b = info.ButtonRect;
    TgrCustomButton* button = GetCellButton(info.DisplayCol, btHorzSpin);
    Integer a = b.Left + 1;
    Integer half = std::min<Integer>(std::max<Integer>(3, (b.Right - a) / 2), button->TotalWidth() / 2);
    Integer top = b.Top - horzLineWidth_ + 1;
    Integer bottom = std::min<Integer>(b.Bottom, top + button->TotalHeight());
    left = TRect(int(std::min<Integer>(a, b.Right)), int(top), int(std::min<Integer>(a + half, b.Right)), int(bottom));
    right = TRect(int(left.Left + half), int(top), int(std::min<Integer>(b.Right, left.Left + 2 * half)), int(bottom));
    if (right.Right < b.Right) {
        int d = b.Right - right.Right;
        left = TRect(left.Left + d, left.Top, left.Right + d, left.Bottom);
        right = TRect(right.Left + d, right.Top, right.Right + d, right.Bottom);
    }
    return half;
}

void TgrBaseGrid::DrawSpinButton(TgrButtonType type, Integer halves, bool selected, const TgrCellPaintInfo& info,
                                 TColor color, TgrSpinButton pressedHalf) {
    TRect up, down;
    Integer half = CalcSpinRects(info, up, down);
    TgrCustomButton* button = GetCellButton(info.DisplayCol, type);
    if (!button) return;
    TCanvas* c = Canvas();
    c->Brush()->SetStyle(bsSolid);
    TColor brush = ButtonBackColor(color, info, selected);
    bool topLine = horzLineWidth_ == 0;
    auto frame = [&](const TRect& r, bool pressed, bool leftLine, bool top, Integer fullHeight, Integer fullWidth) {
        c->Brush()->SetColor(brush);
        if (pressed) DrawButtonFrameDown(r, kButtonLine, leftLine, top, fullHeight, fullWidth);
        else DrawButtonFrameUp(r, kButtonLine, leftLine, top, fullHeight, fullWidth);
    };
    if (type == btVertSpin) {
        Integer width = button->TotalWidth();
        if ((halves & kSpinUpMask) && !up.IsEmpty()) {
            frame(up, pressedHalf == spbUp, true, topLine, half, width);
            DrawSpinArrow(type, spbUp, pressedHalf == spbUp, GridButtonBitmap("GRSPINUP"), half, up.Width(), up);
        }
        if ((halves & kSpinDownMask) && !down.IsEmpty()) {
            frame(down, pressedHalf == spbDown, true, false, half, width);
            DrawSpinArrow(type, spbDown, pressedHalf == spbDown, GridButtonBitmap("GRSPINDOWN"), half, down.Width(),
                          down);
        }
        return;
    }
    if ((halves & kSpinDownMask) && !down.IsEmpty()) {
        frame(down, pressedHalf == spbDown, true, topLine, down.Height(), half + 1);
        DrawSpinArrow(type, spbDown, pressedHalf == spbDown, GridButtonBitmap("GRSPINLEFT"), down.Height(), half,
                      down);
    }
    if ((halves & kSpinUpMask) && !up.IsEmpty()) {
        frame(up, pressedHalf == spbUp, false, topLine, up.Height(), half + 1);
        DrawSpinArrow(type, spbUp, pressedHalf == spbUp, GridButtonBitmap("GRSPINRIGHT"), up.Height(), half, up);
    }
}

void TgrBaseGrid::DrawSpinArrow(TgrButtonType type, TgrSpinButton half, bool pressed, TBitmap* arrow,
                                Integer halfHeight, Integer halfWidth, const TRect& r) {
    if (!arrow || arrow->Empty()) return;
    bool vertical = type == btVertSpin;
    Integer w = arrow->Width(), h = arrow->Height();
    Integer across = vertical ? halfWidth - 1 : halfWidth;
    Integer width = vertical ? std::min(w, halfWidth - 3) : std::min(w, halfWidth - 4);
    Integer height = vertical ? std::min(h, halfHeight - 4) : std::min(h, halfHeight - 2);
    Integer f = std::min(std::max<Integer>(2, width), across - 2), g = std::min(std::max<Integer>(2, height), halfHeight - 2);
    if (f <= 0 || g <= 0) return;
    Integer left = r.Left + (across - f) / 2, top = r.Top + (halfHeight - g) / 2;
    if ((halfHeight - g) % 2 == 1 && (!vertical || half == spbDown)) ++top;
    if (!vertical && half == spbUp && (across - f) % 2 == 1) ++left;
    if (pressed) {
        ++left;
        ++top;
    }
    TRect dest(int(left), int(top), int(std::min<Integer>(left + f, r.Right)), int(std::min<Integer>(top + g, r.Bottom)));
    if (dest.IsEmpty()) return;
    // Vertical arrows keep their middle columns, the lower arrow its
    // bottom rows (its point); the right arrow keeps its right columns.
    Integer sx = vertical ? std::max<Integer>(0, (w - f) / 2) : (half == spbUp ? std::max<Integer>(0, w - f) : 0);
    Integer sy = vertical && half == spbDown ? std::max<Integer>(0, h - g) : 0;
    if (!vertical) sy = std::max<Integer>(0, (h - g) / 2);
    TRect src{int(sx), int(sy), int(sx) + dest.Width(), int(sy) + dest.Height()};
    TCanvas* c = Canvas();
    TCopyMode mode = c->CopyMode();
    c->SetCopyMode(cmMergeCopy);
    c->DrawImage(arrow->Image(), dest, src, false, clNone);
    c->SetCopyMode(mode);
}

bool TgrBaseGrid::IsSpinPartHit(Integer x, Integer y, TgrSpinButton half, Integer displayRow, Integer displayCol) {
    return half != spbNone && HitTestSpinButton(x, y, displayRow, displayCol) == half;
}

// ------------------------------------------------------------ repainting one button

void TgrBaseGrid::RepaintCellButton(Integer displayCol, Integer displayRow, Integer state, TColor color,
                                    TgrSpinButton pressedHalf, Integer halves) {
    if (displayCol < 1 || displayCol >= ColTotal() || displayRow < 1 || displayRow >= RowTotal()) return;
    TgrCellPaintInfo info;
    if (!FillDrawInfo(displayCol, displayRow, info) || !info.HasButton || info.ButtonRect.IsEmpty()) return;
    bool selected = info.Selected;
    Integer shown = state == 0 && ShowsButton3D(displayCol, displayRow) ? 1 : state;
    if (!CanPaintNow()) {
        // The next paint draws the button from the hot and pressed records.
        InvalidateRect(MirroredX(info.ButtonRect));
        return;
    }
    if (info.ShowsFocus && shown == 0) {
        // The focus cell's frame and editor lie over the button: the cell
        // is painted whole.
        hotButton_ = {-1, -1};
        InvalidateRect(MirroredX(info.ButtonRect));
        Update();
        return;
    }
    TRect area = info.ButtonRect;
    if (!BeginDirectCellPaint(area)) return;
    try {
        if (IsSpinButtonType(info.ButtonType)) {
            if (!ColorSet(color)) DrawButtonArea(info, selected);
            else DrawSpinButton(info.ButtonType, halves, selected, info, color, pressedHalf);
        } else {
            if (shown == 0) DrawButtonArea(info, selected);
            DrawButtonFace(color, state, selected, info);
            DrawButtonPicture(info, color, state);
        }
        bool touchesFocus = shown == 0 && (focusBorder_ == fbSingle || focusBorder_ == fbDouble) &&
                            IsFocusCell(curDisplayCol_, curDisplayRow_) && TouchesFocusCell(displayCol, displayRow);
        if (state != 1 && !UsesSelectionColor() && selected) {
            // The cell shows its selection inverted; the button goes with it.
            TCanvas* c = Canvas();
            c->SetCopyMode(cmDstInvert);
            c->CopyRect(area, c, area);
            c->SetCopyMode(cmSrcCopy);
        } else if (touchesFocus) {
            InvalidateFocusArea(curDisplayCol_, curDisplayRow_, true);
        }
    } catch (...) {
        EndDirectCellPaint(area);
        throw;
    }
    EndDirectCellPaint(area);
    if (HasInvalidRegion()) Update();
}

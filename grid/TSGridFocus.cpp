// The focus indication of the current cell: when the cell shows it (a
// focus style, a grid that has the focus or always shows it, and no in-cell
// editor standing in the cell), the border drawn around it (dotted inside
// the cell, or a single or double black frame lying on the grid lines), and
// the area to invalidate when it moves or changes.

#include <algorithm>

#include "grid/TSGrid.h"

bool TgrBaseGrid::HasFocusStyle() const {
    return focusBorder_ != fbNone || focusColor_ != grColorNotSet || focusFontColor_ != grColorNotSet;
}

bool TgrBaseGrid::ShowsFocus() { return HasFocusStyle() && gridMode_ != gmListBox && gridStatus_ == gsNormal; }

bool TgrBaseGrid::CellShowsFocus() {
    if (curDisplayCol_ <= 0 || curDisplayRow_ <= 0) return false;
    bool readOnly = IsCurrentCellReadOnly();
    if (!editModeFlag_ || readOnly) return true;
    TgrControlType type = GetCurrentControlType();
    // An editable text or check cell is marked by its in-cell control.
    bool editableNow = gridStatus_ == gsNormal && (gridMode_ == gmEdit || gridMode_ == gmEditInsert) &&
                       !IsCurrentCellSelected();
    if ((type == ctText || type == ctCheck) && editableNow) return false;
    if (IsDesigning()) return true;
    // Only the text and check controls have a window that shows.
    bool windowed = type == ctText || type == ctCheck;
    TgrCustomGridControl* control = GetControlForType(type);
    return !(windowed && controlRefreshAfterPaint_) && !(windowed && control && control->GetVisible());
}

bool TgrBaseGrid::NeedsFocusIndication(Integer displayCol, Integer displayRow, bool respectGridFocus) {
    if (IsDirectDrawing() || displayCol == 0 || displayRow == 0) return false;
    if (!ShowsFocus()) return false;
    if (respectGridFocus && !IsGridFocused() && !alwaysShowFocus_) return false;
    return CellShowsFocus();
}

bool TgrBaseGrid::IsFocusCell(Integer displayCol, Integer displayRow) {
    if (displayCol != curDisplayCol_ || displayRow != curDisplayRow_) return false;
    if (displayCol <= 0 || displayRow <= 0 || displayCol >= ColTotal() || displayRow >= RowTotal()) return false;
    return NeedsFocusIndication(displayCol, displayRow, true);
}

void TgrBaseGrid::DrawFocusBorder(TCanvas* c, Integer displayCol, Integer displayRow) {
    focusEdgeTop_ = focusEdgeLeft_ = false;
    TRect raw = CellPixels(displayCol, displayRow);
    if (raw.IsEmpty()) return;
    bool mirrored = UseRightToLeftAlignment();
    switch (focusBorder_) {
    case fbNone:
        break;
    case fbDot: {
        // Inside the cell, off its grid lines (the vertical line is the
        // left pixel column of a mirrored cell).
        TRect r = mirrored ? TRect(raw.Left + int(vertLineWidth_), raw.Top, raw.Right, raw.Bottom - int(horzLineWidth_))
                           : TRect(raw.Left, raw.Top, raw.Right - int(vertLineWidth_), raw.Bottom - int(horzLineWidth_));
        bool plain = focusColor_ == grColorNotSet || focusFontColor_ == grColorNotSet;
        TColor savedFont = c->Font()->Color();
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(plain ? Color() : focusColor_);
        c->Font()->SetColor(plain ? Font()->Color() : focusFontColor_);
        // On a picture the dots go on a frame of the brush colour, so that
        // they show whatever the picture's colours.
        TgrControlType type = EffectiveControlType(curDataCol_, curDataRow_);
        if (IsDesigning() || type == ctPicture || type == ctNone) c->FrameRect(r);
        c->DrawFocusRect(r);
        c->Font()->SetColor(savedFont);
        break;
    }
    case fbSingle:
    case fbDouble: {
        // On the grid lines around the cell: one pixel left of and above it.
        TRect f = mirrored ? TRect(raw.Left, raw.Top - 1, raw.Right + 1, raw.Bottom)
                           : TRect(raw.Left - 1, raw.Top - 1, raw.Right, raw.Bottom);
        TBrushStyle style = c->Brush()->Style();
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(clBlack);
        c->FrameRect(f);
        if (focusBorder_ == fbDouble) c->FrameRect(TRect(f.Left + 1, f.Top + 1, f.Right - 1, f.Bottom - 1));
        c->Brush()->SetStyle(style);
        TGridLayout_ts l;
        ComputeLayout(l);
        focusEdgeTop_ = l.Vert.FixedEnd >= f.Top;
        focusEdgeLeft_ = mirrored ? ClientWidth() - l.Horz.FixedEnd <= f.Right : l.Horz.FixedEnd >= f.Left;
        break;
    }
    }
}

void TgrBaseGrid::DrawFocusIfCurrent(Integer displayCol, Integer displayRow) {
    if (IsFocusCell(displayCol, displayRow)) DrawFocusBorder(Canvas(), displayCol, displayRow);
}

// A single or double focus frame lies on the grid lines left of and above
// its cell, outside the cell itself.
void TgrBaseGrid::InvalidateFocusArea(Integer displayCol, Integer displayRow, bool force) {
    if (!HasWindow() || displayCol < 0 || displayRow < 0 || displayCol >= ColTotal() || displayRow >= RowTotal())
        return;
    if (IsUpdateSuspended()) {
        invalidatePending_ = true;
        return;
    }
    TRect r = CellPixels(displayCol, displayRow);
    if (r.IsEmpty()) return;
    if (force || focusBorder_ == fbSingle || focusBorder_ == fbDouble)
        r = UseRightToLeftAlignment() ? TRect(r.Left, r.Top - 1, r.Right + 1, r.Bottom)
                                      : TRect(r.Left - 1, r.Top - 1, r.Right, r.Bottom);
    InvalidateRect(r);
}

// The current cell is repainted whether it shows the indication or not: a
// change of the focus style must also take an old frame away.
void TgrBaseGrid::InvalidateFocusCell(bool updateNow) {
    InvalidateFocusArea(curDisplayCol_, curDisplayRow_, false);
    if (updateNow && CanPaintNow()) Update();
}

void TgrBaseGrid::RepaintFocusCell(bool updateNow) {
    InvalidateFocusArea(curDisplayCol_, curDisplayRow_, false);
    if (updateNow) UpdateDirect(true);
}

void TgrBaseGrid::InvalidateFocusAreaForColors(bool force) {
    if (selectionColor_ == grColorNotSet && focusColor_ == grColorNotSet) UpdateBlendBitmap(false);
    InvalidateFocusArea(curDisplayCol_, curDisplayRow_, force);
}

// The paint draws the focus indication itself once, so the update needs no
// direct-drawing bracket of its own.
void TgrBaseGrid::UpdateDirect(bool) {
    if (CanPaintNow()) Update();
}

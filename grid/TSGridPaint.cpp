// Painting of the grid class. Each cell's paint information is worked out
// first (FillDrawInfo: geometry, resolved attributes, value and state), then
// the cell is painted from it: fixed cells with their background, edges,
// captions and row-bar pictures, data cells with text, check box and
// button area, then grid lines, selection and focus. Column widths and row
// heights include their trailing grid line.

#include <algorithm>
#include <cmath>

#include "grid/GridPaintTools.h"
#include "grid/GRCommon.h"
#include "grid/GRGLib.h"
#include "grid/GRGLibValues.h"
#include "grid/GridButtons.h"
#include "grid/TSGrid.h"
#include "platform/gui/DrawEdge.h"

#include <QImage>

namespace {

using grid_paint::Line;
using grid_paint::UsePen;

constexpr TColor kFixedLine3D = TColor(0x808080);
constexpr int kTextMargin = 3;

void RaisedTopLeft(TCanvas* c, const TRect& r) {
    if (r.IsEmpty()) return;
    UsePen(c, clBtnHighlight);
    Line(c, r.Left, r.Bottom - 1, r.Left, r.Top);
    Line(c, r.Left, r.Top, r.Right, r.Top);
}

void SunkenTopLeft(TCanvas* c, const TRect& r) {
    if (r.IsEmpty()) return;
    UsePen(c, clBtnShadow);
    Line(c, r.Left, r.Bottom - 1, r.Left, r.Top);
    Line(c, r.Left, r.Top, r.Right, r.Top);
}

void Triangle(TCanvas* c, std::vector<TPoint> pts, TColor color) {
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(color);
    UsePen(c, color);
    c->Polygon(pts);
}

// A raised button face with its lighter top-left and darker bottom-right.
void ButtonFace(TCanvas* c, const TRect& r) {
    if (r.IsEmpty()) return;
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(r);
    UsePen(c, clBtnHighlight);
    Line(c, r.Left, r.Bottom - 2, r.Left, r.Top);
    Line(c, r.Left, r.Top, r.Right - 1, r.Top);
    UsePen(c, clBtnShadow);
    Line(c, r.Right - 1, r.Top, r.Right - 1, r.Bottom - 1);
    Line(c, r.Left, r.Bottom - 1, r.Right, r.Bottom - 1);
}

}  // namespace

// ------------------------------------------------------------ cell state

bool TgrBaseGrid::UsesSelectionColor() const {
    if (comboGrid_ && ownerGrid_ && selectionType_ == sltDefault) return ownerGrid_->UsesSelectionColor();
    return selectionType_ == sltColor && selectionColor_ != grColorNotSet;
}

bool TgrBaseGrid::IsDisplayCellSelected(Integer displayCol, Integer displayRow) {
    if (displayRow > 0 && rowSelection_->IsSelected(displayRow)) return true;
    if (displayCol > 0 && colSelection_->IsSelected(displayCol)) return true;
    if (gridStatus_ == gsCellsSelected && displayCol > 0 && displayRow > 0)
        return CellInRange(displayCol, displayRow, cellRange_);
    return false;
}

bool TgrBaseGrid::IsFocusCell(Integer displayCol, Integer displayRow) {
    if (displayCol != curDisplayCol_ || displayRow != curDisplayRow_) return false;
    if (displayCol <= 0 || displayRow <= 0 || displayCol >= ColTotal() || displayRow >= RowTotal()) return false;
    bool hasStyle = focusBorder_ != fbNone || focusColor_ != grColorNotSet || focusFontColor_ != grColorNotSet;
    if (!hasStyle || gridMode_ == gmListBox || gridStatus_ != gsNormal) return false;
    if (!IsDesigning() && !alwaysShowFocus_ && !IsFocusHolder(this)) return false;
    // An editable text or check cell is marked by its in-cell control while
    // that control stands in it.
    if (ControlStandsInCell() && !IsCellReadOnly(curDataCol_, curDataRow_)) return false;
    return true;
}

bool TgrBaseGrid::FillDrawInfo(Integer displayCol, Integer displayRow, TgrCellPaintInfo& info) {
    if (displayCol < 0 || displayRow < 0 || displayCol >= ColTotal() || displayRow >= RowTotal()) return false;
    return FillDrawInfoAt(displayCol, displayRow, CellPixels(displayCol, displayRow),
                          IsDisplayCellSelected(displayCol, displayRow), info);
}

bool TgrBaseGrid::FillDrawInfoAt(Integer c, Integer r, const TRect& raw, bool selected, TgrCellPaintInfo& info) {
    info = TgrCellPaintInfo();
    info.DisplayCol = c;
    info.DisplayRow = r;
    info.DataCol = c > 0 ? DataColOfDisplay(c) : 0;
    info.DataRow = r > 0 ? DataRowOfDisplay(r) : 0;
    if (raw.Width() <= 0 || raw.Height() <= 0) return false;
    if (c > 0)
        if (TgrCol* col = gridCols_->ColAt(info.DataCol); col && !col->Visible()) return false;
    if (r > 0 && info.DataRow < gridRows_->Count())
        if (TgrRow* row = gridRows_->GetRow(info.DataRow); row && !row->Visible()) return false;

    info.Kind = c <= 0 && r <= 0 ? tckCorner : r <= 0 ? tckHeading : c <= 0 ? tckRowBar : tckData;
    info.Is3D = EffectiveIs3D(info.DataCol, info.DataRow);
    info.ClipRect = raw;
    // The grid lines lie on the last pixels of the cell; a 3D cell has its
    // grey lines there even where GridLines draws none.
    Integer vertLine = info.Is3D ? 1 : vertLineWidth_, horzLine = info.Is3D ? 1 : horzLineWidth_;
    // Mirrored, the trailing vertical line is the cell's left pixel column.
    info.CellRect = UseRightToLeftAlignment() ? TRect(raw.Left + vertLine, raw.Top, raw.Right, raw.Bottom - horzLine)
                                              : TRect(raw.Left, raw.Top, raw.Right - vertLine, raw.Bottom - horzLine);
    info.ContentRect = info.CellRect;
    info.Selected = selected;
    info.Current = c == curDisplayCol_ && r == curDisplayRow_;
    info.Font = EffectiveCellFont(info.DataCol, info.DataRow);
    info.HorzAlignment = EffectiveHorzAlignment(info.DataCol, info.DataRow);
    info.VertAlignment = EffectiveVertAlignment(info.DataCol, info.DataRow);
    info.WordWrap = EffectiveWordWrap(info.DataCol, info.DataRow);
    info.Color = info.Kind == tckRowBar || info.Kind == tckCorner ? headingColor_
                                                                  : EffectiveCellColor(info.DataCol, info.DataRow, info.Is3D);
    info.FontColor = info.Font ? info.Font->Color() : clWindowText;

    switch (info.Kind) {
    case tckCorner:
        return true;
    case tckRowBar:
        info.Current = r == curDisplayRow_;
        if (rowBarIndicator_) {
            if (IsInsertRowPos(r) && !info.Current) info.Indicator = triInsert;
            else if (info.Current && ((rowChangedIndicator_ != riOff && IsRowChanged(info.DataRow)) || rowModified_))
                info.Indicator = triChanged;
            else if (info.Current) info.Indicator = triCurrent;
            else if (IsInsertRowPos(r)) info.Indicator = triInsert;
            else if (rowChangedIndicator_ == riOn && IsRowChanged(info.DataRow)) info.Indicator = triChanged;
        }
        return true;
    case tckHeading:
        if (TgrCol* col = gridCols_->ColAt(info.DataCol)) info.Text = col->GetHeading();
        info.Pressed = headingShownDown_ && pressedHeading_ == c;
        // A heading keeps its own border lines, whatever the grid lines.
        info.CellRect = TRect(raw.Left, raw.Top, raw.Right - 1, raw.Bottom - 1);
        info.ContentRect = info.CellRect;
        LayoutHeadingCell(info);
        return true;
    case tckData:
        break;
    }

    info.ControlType = EffectiveControlType(info.DataCol, info.DataRow);
    info.ButtonType = ResolveButtonType(info.DataCol, info.DataRow, info.DropDownStyle);
    info.HasButton = info.ButtonType != btNone;
    if (info.HasButton) {
        TgrCustomButton* button = GetCellButton(c, info.ButtonType);
        Integer w = button ? button->TotalWidth() : 0;
        info.ContentRect.Right -= w;
        info.ButtonRect = TRect(std::max(info.ContentRect.Left + kTextMargin, info.ContentRect.Right),
                                info.ContentRect.Top, info.ContentRect.Right + w, info.ContentRect.Bottom);
    }
    if (info.DataRow <= Rows() && HasGetDrawInfo()) {
        // The owner gets the grid's work font, a copy of the resolved one,
        // so that changing it touches no column's, row's or grid's font.
        if (!drawInfoFont_) drawInfoFont_ = std::make_unique<TFont>();
        if (info.Font) drawInfoFont_->Assign(*info.Font);
        info.Font = drawInfoFont_.get();
        TgrCellDrawInfo d{info.Font, info.Color, info.WordWrap, info.TransparentColor, info.VertAlignment,
                      info.HorzAlignment};
        FireGetDrawInfo(info.DataCol, info.DataRow, d);
        if (info.Current && controlShown_) ApplyDrawInfoToControl(d);
        info.Font = d.Font ? d.Font : info.Font;
        info.Color = d.Color;
        info.WordWrap = d.WordWrap;
        info.TransparentColor = d.TransparentColor;
        info.VertAlignment = d.VertAlignment;
        info.HorzAlignment = d.HorzAlignment == htaDefault ? htaLeft : d.HorzAlignment;
        info.FontColor = info.Font ? info.Font->Color() : info.FontColor;
    }

    // The value: the current cell's edit value while it holds one,
    // otherwise the stored value completed by the descendant.
    if (info.ControlType != ctNone && !IsInsertRowPos(r)) {
        if (directValue_) {
            info.Value = ConvertCellValue(info.ControlType, *directValue_);
        } else if (info.Current && currentCell_ && currentCell_->HasValueFor(info.DataCol, info.DataRow)) {
            info.Value = currentCell_->GetStoredValue();
        } else {
            LockEditStart(false);
            try {
                info.Value = LoadCellValue(info.DataCol, info.DataRow,
                                           GetStoredCellValue(info.DataCol, info.DataRow, info.ControlType));
            } catch (...) {
                LockEditStart(true);
                throw;
            }
            LockEditStart(true);
        }
    }
    if (info.ControlType == ctCheck) {
        info.CheckState = IsInsertRowPos(r) || info.Value.IsEmpty()
                              ? cbGrayed
                              : CheckStateOfVariant(info.Value, EffectiveCheckBoxValues(info.DataCol));
        if (IsInsertRowPos(r)) info.CheckState = cbGrayed;
    } else if (info.ControlType == ctText) {
        info.Text = info.Value.IsEmpty() || info.Value.IsNull() ? std::string() : VariantToText(info.Value);
    }

    // While the in-cell editor stands in the current text cell it shows
    // the edit colours.
    if (info.Current && info.ControlType == ctText && activeControl_ == editControl_.get() && ControlStandsInCell()) {
        info.ControlShown = true;
        if (editColor_ != grColorNotSet) info.Color = editColor_;
        if (editFontColor_ != grColorNotSet) info.FontColor = editFontColor_;
    }
    // Selection and focus colours. A picture keeps the plain colour under
    // it and gets the selection or focus colour blended over it.
    info.ShowsFocus = info.Current && IsFocusCell(c, r);
    if (info.ControlType == ctPicture) {
        if (info.Selected && UsesSelectionColor()) {
            info.SelectionColored = true;
            info.BlendColor = selectionColor_;
        } else if (info.ShowsFocus && focusColor_ != grColorNotSet) {
            info.BlendColor = focusColor_;
        }
    } else if (info.Selected && UsesSelectionColor()) {
        info.SelectionColored = true;
        info.Color = selectionColor_;
        if (selectionFontColor_ != grColorNotSet) info.FontColor = selectionFontColor_;
    } else if (info.ShowsFocus) {
        if (focusColor_ != grColorNotSet) info.Color = focusColor_;
        if (focusFontColor_ != grColorNotSet) info.FontColor = focusFontColor_;
    }
    return true;
}

// ------------------------------------------------------------ painting

void TgrBaseGrid::PaintCell(Integer col, Integer row, const TRect& rect, TGridDrawState_ts state) {
    DrawGridCell(col, row, (state & gdsSelected) != 0, rect);
}

void TgrBaseGrid::DrawGridCell(Integer displayCol, Integer displayRow, bool selected, const TRect& rect) {
    TgrCellPaintInfo info;
    if (!FillDrawInfoAt(displayCol, displayRow, rect, selected, info)) return;
    PaintFromInfo(info);
}

void TgrBaseGrid::PaintFromInfo(TgrCellPaintInfo& info) {
    TCanvas* c = Canvas();
    // The editor over the cell is a window of its own: it takes the
    // cell's colours (only when they change, so painting stays quiet).
    if (info.ControlShown) {
        if (editControl_->GetColor() != info.Color) editControl_->SetColor(info.Color);
        if (TFont* f = editControl_->GetFont(); f && f->Color() != info.FontColor) {
            TFont font;
            font.Assign(*f);
            font.SetColor(info.FontColor);
            editControl_->SetFont(font);
        }
    }
    if (!PaintCellData(info, info.ClipRect, info.Selected)) {
        switch (info.Kind) {
        case tckCorner:
        case tckRowBar:
        case tckHeading:
            PaintFixedCell(c, info);
            break;
        case tckData:
            PaintDataCell(c, info);
            break;
        }
    }
    // The plain selection look inverts the cell (fixed cells always).
    if (info.Selected && !info.SelectionColored && (info.Kind == tckData || selectFixed_)) {
        TRect r = info.Kind == tckData ? info.CellRect : info.ClipRect;
        c->SetCopyMode(cmDstInvert);
        c->CopyRect(r, c, r);
        c->SetCopyMode(cmSrcCopy);
    }
    if (info.ShowsFocus) PaintFocusBorder(c, info);
}

void TgrBaseGrid::PaintFixedCell(TCanvas* c, const TgrCellPaintInfo& info) {
    const TRect& raw = info.ClipRect;
    TRect inner(raw.Left, raw.Top, raw.Right - 1, raw.Bottom - 1);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(info.Color);
    c->FillRect(inner);
    // A held plain heading looks pressed; a heading button shows it in its
    // button frame instead.
    bool plainPressed = info.Kind == tckHeading && info.Pressed && !HasHeadingButton(info.DisplayCol);
    if (info.Kind == tckHeading && !info.Text.empty() && info.ContentRect.Width() >= kTextMargin) {
        int accel = 0;
        std::string text;
        StripAccelerator(info.Text, accel, text);
        c->Font()->Assign(*info.Font);
        TRect content = info.ContentRect;
        if (plainPressed && info.HorzAlignment == htaRight) ++content.Right;
        DrawTextInRect(c, text, headingHeight_, accel, info.WordWrap != wwOff, info.VertAlignment,
                       info.HorzAlignment, content.Top, content.Left + kTextMargin, content);
    }
    if (info.Kind == tckRowBar && info.Indicator != triNone) PaintRowIndicator(c, info);
    if (plainPressed) SunkenTopLeft(c, inner);
    else if (heading3D_) RaisedTopLeft(c, inner);
    if (info.Kind == tckHeading) DrawHeadingButton(c, info);
    // Border lines: bottom, then right.
    UsePen(c, heading3D_ ? kFixedLine3D : clBlack);
    Line(c, raw.Left, raw.Bottom - 1, raw.Right - 1, raw.Bottom - 1);
    Line(c, raw.Right - 1, raw.Bottom - 1, raw.Right - 1, raw.Top - 1);
}

void TgrBaseGrid::PaintRowIndicator(TCanvas* c, const TgrCellPaintInfo& info) {
    const TRect& r = info.ClipRect;
    int w = r.Width() - 1, h = r.Height() - 1;
    if (w < 2 || h < 3) return;
    int cx = r.Left + std::max(1, (w - 1) / 2 - 2);
    // The pictures are 9 pixels high, placed by RowBarAlignment: centred in
    // the row, on its last text line, or (the default) on its first.
    constexpr int kPicture = 9;
    TgrVertAlignment align = rowBarAlignment_ != vtaDefault ? rowBarAlignment_ : vertAlignment_;
    int rowHeight = int(GetRowHeightAt(info.DisplayRow));
    int offset;
    if (align == vtaCenter) {
        offset = std::max(1, rowHeight / 2 - kPicture / 2);
    } else {
        int t = int(GetFontLineHeight());
        offset = align == vtaBottom ? t / 2 - kPicture / 2 + rowHeight - t - 1 : std::max(1, t / 2 - kPicture / 2);
    }
    int cy = r.Top + std::max(1, offset) + kPicture / 2;
    TRect saved = c->ClipRect();
    c->IntersectClipRect(TRect(r.Left, r.Top, r.Right - 1, r.Bottom - 1));
    switch (info.Indicator) {
    case triCurrent:
        Triangle(c, {{cx, cy - 4}, {cx + 4, cy}, {cx, cy + 4}}, clBlack);
        break;
    case triChanged:
        // A pencil: a slanted bar with its point.
        UsePen(c, clBlack);
        for (int i = 0; i < 3; ++i) Line(c, cx - 2 + i, cy + 4, cx + 4 + i, cy - 2);
        break;
    case triInsert:
        UsePen(c, clBlack);
        Line(c, cx - 3, cy, cx + 4, cy);
        Line(c, cx, cy - 3, cx, cy + 4);
        Line(c, cx - 2, cy - 2, cx + 3, cy + 3);
        Line(c, cx - 2, cy + 2, cx + 3, cy - 3);
        break;
    case triNone:
        break;
    }
    c->SetClipRect(saved);
}

void TgrBaseGrid::PaintDataCell(TCanvas* c, const TgrCellPaintInfo& info) {
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(info.Color);
    const TRect& content = info.ContentRect;
    if (content.Width() <= kTextMargin) {
        c->FillRect(TRect(info.CellRect.Left, info.CellRect.Top,
                          std::min(info.CellRect.Left + kTextMargin, info.CellRect.Right), info.CellRect.Bottom));
    } else if (info.ControlType == ctText) {
        c->Font()->Assign(*info.Font);
        c->Font()->SetColor(info.FontColor);
        DrawTextInRect(c, info.Text, GetRowHeightAt(info.DisplayRow) - horzLineWidth_, 0, info.WordWrap != wwOff,
                       info.VertAlignment, info.HorzAlignment, content.Top, content.Left + kTextMargin, content);
    } else if (info.ControlType == ctCheck) {
        c->FillRect(content);
        PaintCheckBox(c, info);
    } else if (info.ControlType == ctPicture) {
        PaintPictureCell(c, info);
    } else {
        c->FillRect(content);
    }
    if (info.Is3D) RaisedTopLeft(c, content);
    if (info.HasButton) PaintCellButton(c, info);
}

TBitmap* TgrBaseGrid::CellPicture(const TgrCellPaintInfo& info, TColor& transparentColor) {
    transparentColor = grColorNotSet;
    const Variant& v = info.Value;
    if (v.IsEmpty() || v.IsNull()) return nullptr;
    if (v.IsString()) {
        // A text names an image of the grid's image list.
        TgrImageListComponent* list = ImageList();
        return list ? list->FindImage(v.AsString(), transparentColor) : nullptr;
    }
    auto* bitmap = static_cast<TBitmap*>(VariantToObject(v));
    if (bitmap && bitmap->Transparent()) transparentColor = bitmap->TransparentColor();
    return bitmap;
}

void TgrBaseGrid::PaintPictureCell(TCanvas* c, const TgrCellPaintInfo& info) {
    const TRect& content = info.ContentRect;
    TColor transparent = grColorNotSet;
    TBitmap* picture = CellPicture(info, transparent);
    bool editValue = info.Current && currentCell_ && currentCell_->HasValueFor(info.DataCol, info.DataRow);
    if (!picture || picture->Empty()) {
        // A cell without a picture is painted as an empty cell.
        c->Brush()->SetColor(info.BlendColor != grColorNotSet ? info.BlendColor : info.Color);
        c->FillRect(content);
        return;
    }
    // The current cell's edit value keeps the options it was loaded with.
    TgrPictureOptions o;
    if (editValue) {
        o.Stretch = currentCell_->GetStretchPicture();
        o.Shrink = currentCell_->GetShrinkPicture();
        o.Center = currentCell_->GetCenterPicture();
        o.KeepAspectRatio = currentCell_->GetKeepAspectRatio();
    } else {
        o = EffectivePictureOptions(info.DataCol, info.DataRow);
    }
    if (info.TransparentColor != grDrawInfoColorNotSet) transparent = info.TransparentColor;
    else if (transparent == grColorNotSet) transparent = editValue ? currentCell_->TransparentColor() : transparentColor_;
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(info.Is3D ? clBtnFace : info.Color);
    DrawPicture(c, content, picture, o.KeepAspectRatio, o.Shrink, o.Stretch, o.Center, transparent);
    if (info.BlendColor != grColorNotSet)
        BlendSelectionColor(c, content, info.BlendColor, info.CellRect.Left, info.CellRect.Top);
}

void BlendSelectionColor(TCanvas* c, const TRect& rect, TColor color, int originX, int originY) {
    QImage* surface = c->Surface();
    if (!surface || rect.IsEmpty()) return;
    TRect area;
    if (!IntersectRect(area, rect, c->ClipRect())) return;
    area.Left = std::max(area.Left, 0);
    area.Top = std::max(area.Top, 0);
    area.Right = std::min(area.Right, surface->width());
    area.Bottom = std::min(area.Bottom, surface->height());
    TColor rgb = ColorToRGB(color);
    QRgb px = qRgb(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
    for (int y = area.Top; y < area.Bottom; ++y) {
        auto* line = reinterpret_cast<QRgb*>(surface->scanLine(y));
        // Every other pixel, counted from the cell's top-left corner, takes
        // the colour; the others keep the picture.
        int first = area.Left + (((area.Left - originX) + (y - originY)) & 1);
        for (int x = first; x < area.Right; x += 2) line[x] = px;
    }
}

void TgrBaseGrid::PaintCheckBox(TCanvas* c, const TgrCellPaintInfo& info) {
    if (!checkControl_) return;
    TCopyMode mode;
    TRect source;
    TBitmap* glyph = checkControl_->GetGlyph(info.CheckState, mode, false, source);
    if (!glyph) return;
    const TRect& r = info.ContentRect;
    int w = source.Width(), h = source.Height();
    int x = std::max<int>(r.Left + kTextMargin, r.Left + kTextMargin + (r.Right - r.Left - kTextMargin - w) / 2 - 1);
    int y = std::max<int>(r.Top, r.Top + (r.Bottom - r.Top - h) / 2 + (info.Is3D ? 1 : 0));
    TRect dest(x, y, std::min<int>(r.Right, x + w), std::min<int>(r.Bottom, y + h));
    if (dest.IsEmpty()) return;
    TRect src(source.Left, source.Top, source.Left + dest.Width(), source.Top + dest.Height());
    c->SetCopyMode(mode);
    c->CopyRect(dest, glyph->Canvas(), src);
    c->SetCopyMode(cmSrcCopy);
}

// The button's picture, right-aligned in the button's face area and
// centred in it where the face is larger, one pixel right and down while
// pressed, clipped to the cell. Without a transparent colour the picture is
// merged with the brush (the built-in black-on-white pictures take the face
// colour); with one, pixels of that colour let the face show through.
void TgrBaseGrid::DrawButtonPicture(TCanvas* c, const TgrCellPaintInfo& info, TColor brush, bool pressed) {
    TgrCustomButton* button = GetCellButton(info.DisplayCol, info.ButtonType);
    TBitmap* picture = button ? button->GetBitmap() : nullptr;
    if (!picture || picture->Empty() || info.ButtonRect.IsEmpty()) return;
    const TRect& b = info.ButtonRect;
    Integer edge = buttonEdgeWidth_, innerW = button->GetWidth(), innerH = button->GetHeight() - (pressed ? 1 : 0);
    Integer w = picture->Width(), h = picture->Height();
    Integer left = std::max<Integer>(info.ContentRect.Left + edge + kTextMargin, b.Right - edge - innerW) +
                   std::max<Integer>(0, (innerW - w) / 2) + (pressed ? 1 : 0);
    Integer right = std::min<Integer>(left + w, b.Right - edge);
    Integer top = b.Top + 1 - horzLineWidth_ + edge + std::max<Integer>(0, (innerH - h) / 2) + (pressed ? 1 : 0);
    Integer bottom = std::min<Integer>(top + std::min(innerH, h), b.Bottom);
    if (right <= left || bottom <= top) return;
    TRect dest{int(left), int(top), int(right), int(bottom)};
    TRect src(0, 0, dest.Width(), dest.Height());
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(brush);
    TCopyMode mode = c->CopyMode();
    bool transparent = button->GetColor() != grColorNotSet;
    c->SetCopyMode(transparent ? cmSrcCopy : cmMergeCopy);
    c->DrawImage(picture->Image(), dest, src, transparent, transparent ? ColorToRGB(button->GetColor()) : clNone);
    c->SetCopyMode(mode);
}

void TgrBaseGrid::PaintCellButton(TCanvas* c, const TgrCellPaintInfo& info) {
    if (info.ButtonRect.IsEmpty()) return;
    bool show = info.Current || inactiveButtonState_ == ibsShow;
    if (!show) {
        if (inactiveButtonState_ == ibsBackGround) {
            c->Brush()->SetColor(info.Color);
            c->FillRect(info.ButtonRect);
        }
        return;
    }
    if (IsSpinButtonType(info.ButtonType)) {
        DrawSpinButton(c, info);
        return;
    }
    // The face is as high as the button object, at most the cell.
    TRect b = info.ButtonRect;
    if (TgrCustomButton* button = GetCellButton(info.DisplayCol, info.ButtonType))
        b.Bottom = std::min<int>(b.Bottom, int(b.Top + button->TotalHeight()));
    // A held button shows pressed: shadow on its top-left edge, its picture
    // one pixel right and down. Flat buttons show only their face and
    // picture otherwise.
    bool pressed = buttonShownDown_ && info.Current;
    if (pressed) {
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(clBtnFace);
        c->FillRect(b);
        SunkenTopLeft(c, b);
    } else if (flatButtons_) {
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(clBtnFace);
        c->FillRect(b);
    } else {
        ButtonFace(c, b);
    }
    DrawButtonPicture(c, info, clBtnFace, pressed);
}

void TgrBaseGrid::PaintFocusBorder(TCanvas* c, const TgrCellPaintInfo& info) {
    TRect r = info.CellRect;
    switch (focusBorder_) {
    case fbNone:
        break;
    case fbDot: {
        bool plain = focusColor_ == grColorNotSet || focusFontColor_ == grColorNotSet;
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(plain ? Color() : focusColor_);
        c->Font()->SetColor(plain ? Font()->Color() : focusFontColor_);
        // On a picture the dots go on a frame of the brush colour, so that
        // they show whatever the picture's colours.
        if (info.ControlType == ctPicture || info.ControlType == ctNone) c->FrameRect(r);
        c->DrawFocusRect(r);
        break;
    }
    case fbSingle:
    case fbDouble: {
        TRect f(r.Left - 1, r.Top - 1, r.Right + vertLineWidth_, r.Bottom + horzLineWidth_);
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(clBlack);
        c->FrameRect(f);
        if (focusBorder_ == fbDouble) c->FrameRect(TRect(f.Left + 1, f.Top + 1, f.Right - 1, f.Bottom - 1));
        break;
    }
    }
}

// The thumb of a bar of a length: its offset after the first arrow and its
// length, placed by the first scrolled line within the lines that can come
// first.
void TgrBaseGrid::ThumbSpan(Integer length, Integer first, Integer fixed, Integer lastFirst, Integer total,
                            Integer& pos, Integer& thumb) {
    constexpr Integer t = ScrollBarThickness;
    Integer span = std::max<Integer>(0, length - 2 * t);
    Integer lines = std::max<Integer>(1, total - fixed);
    Integer steps = std::max<Integer>(0, lastFirst - fixed);
    thumb = Integer(std::clamp<Int64>(Int64(span) * std::max<Integer>(1, lines - steps) / lines,
                                      std::min<Integer>(8, span), span));
    pos = steps > 0 ? Integer(Int64(span - thumb) * std::clamp<Integer>(first - fixed, 0, steps) / steps) : 0;
}

Integer TgrBaseGrid::ScrollPosOfFirst(Integer first, Integer fixed, Integer lastFirst) {
    Integer steps = std::max<Integer>(0, lastFirst - fixed);
    Integer at = std::clamp<Integer>(first - fixed, 0, steps);
    if (steps <= kMaxScrollPos) return at;
    return Integer(std::nearbyint(double(at) * kMaxScrollPos / steps));
}

Integer TgrBaseGrid::FirstOfScrollPos(Integer pos, Integer fixed, Integer lastFirst) {
    Integer steps = std::max<Integer>(0, lastFirst - fixed);
    if (steps <= kMaxScrollPos) return fixed + std::clamp<Integer>(pos, 0, steps);
    Integer at = Integer(std::nearbyint(double(std::clamp<Integer>(pos, 0, kMaxScrollPos)) * steps / kMaxScrollPos));
    return fixed + std::clamp<Integer>(at, 0, steps);
}

bool TgrBaseGrid::ScrollBarPress(Integer x, Integer y) {
    bool vert = ScrollBarShown(sbVertical) && x >= ClientWidth() && y < ClientHeight();
    bool horz = ScrollBarShown(sbHorizontal) && y >= ClientHeight() && x < ClientWidth();
    if (!vert && !horz) return false;
    constexpr Integer t = ScrollBarThickness;
    TGridLayout_ts layout;
    ComputeLayout(layout);
    TCellCoord_ts top = TopLeftCell();
    TCellCoord_ts last = LastTopLeft({ColTotal() - 1, RowTotal() - 1}, layout);
    // Arrows move one line, the track beside the thumb one page.
    Integer length = vert ? ClientHeight() : ClientWidth();
    // A mirrored grid's horizontal bar runs from the right edge.
    Integer at = vert ? y : (UseRightToLeftAlignment() ? ClientWidth() - 1 - x : x);
    Integer first = vert ? top.Row : top.Col, fixed = vert ? FixedRowTotal() : FixedColTotal();
    Integer lastFirst = vert ? last.Row : last.Col;
    Integer page = std::max<Integer>(1, vert ? layout.Vert.LastFullCell - top.Row : layout.Horz.LastFullCell - top.Col);
    Integer pos = 0, thumb = 0;
    ThumbSpan(length, first, fixed, lastFirst, vert ? RowTotal() : ColTotal(), pos, thumb);
    Integer next = first;
    if (at < t) next = first - 1;
    else if (at >= length - t) next = first + 1;
    else if (at < t + pos) next = first - page;
    else if (at >= t + pos + thumb) next = first + page;
    next = std::clamp<Integer>(next, fixed, std::max(fixed, lastFirst));
    if (next != first) {
        if (vert) SetTopLeftCell(top.Col, next);
        else SetTopLeftCell(next, top.Row);
    }
    return true;
}

void TgrBaseGrid::PaintScrollBars(TCanvas* c) {
    bool vert = ScrollBarShown(sbVertical), horz = ScrollBarShown(sbHorizontal);
    if (!vert && !horz) return;
    Integer cw = ClientWidth(), ch = ClientHeight();
    constexpr int t = ScrollBarThickness;
    TRect savedClip = c->ClipRect();
    c->ResetClip();
    TCellCoord_ts topLeft = TopLeftCell();
    TGridLayout_ts layout;
    ComputeLayout(layout);
    TCellCoord_ts last = LastTopLeft({ColTotal() - 1, RowTotal() - 1}, layout);
    // One bar: arrow buttons at the ends, the track, and a thumb placed by
    // the first scrolled line within the lines that can come first.
    auto bar = [&](bool vertical, Integer length, Integer first, Integer fixed, Integer lastFirst, Integer total) {
        TRect track = vertical ? TRect(cw, 0, cw + t, length) : TRect(0, ch, length, ch + t);
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(TColor(0xE0E0E0));
        c->FillRect(track);
        TRect a1 = vertical ? TRect(cw, 0, cw + t, t) : TRect(0, ch, t, ch + t);
        TRect a2 = vertical ? TRect(cw, length - t, cw + t, length) : TRect(length - t, ch, length, ch + t);
        ButtonFace(c, a1);
        ButtonFace(c, a2);
        int m = t / 2;
        if (vertical) {
            Triangle(c, {{cw + m - 3, m + 1}, {cw + m + 3, m + 1}, {cw + m, m - 2}}, clBlack);
            Triangle(c, {{cw + m - 3, length - t + m - 1}, {cw + m + 3, length - t + m - 1}, {cw + m, length - t + m + 2}},
                     clBlack);
        } else {
            Triangle(c, {{m + 1, ch + m - 3}, {m + 1, ch + m + 3}, {m - 2, ch + m}}, clBlack);
            Triangle(c, {{length - t + m - 1, ch + m - 3}, {length - t + m - 1, ch + m + 3}, {length - t + m + 2, ch + m}},
                     clBlack);
        }
        Integer pos = 0, thumb = 0;
        ThumbSpan(length, first, fixed, lastFirst, total, pos, thumb);
        TRect th = vertical ? TRect(cw, t + pos, cw + t, t + pos + thumb)
                            : MirroredX(TRect(t + pos, ch, t + pos + thumb, ch + t));
        ButtonFace(c, th);
    };
    if (vert) bar(true, ch, topLeft.Row, FixedRowTotal(), last.Row, RowTotal());
    if (horz) bar(false, cw, topLeft.Col, FixedColTotal(), last.Col, ColTotal());
    if (vert && horz) {
        c->Brush()->SetColor(clBtnFace);
        c->FillRect(TRect(cw, ch, cw + t, ch + t));
    }
    c->SetClipRect(savedClip);
}

// ------------------------------------------------------------ scroll bars

void TgrBaseGrid::UpdateScrollBars() {
    if (!HasWindow()) return;
    // Deferred to the end of the next paint while the grid cannot paint,
    // and rerun there when asked again while running.
    if (!CanPaintNow()) {
        scrollBarsPending_ = true;
        return;
    }
    if (scrollBarsRunning_) {
        scrollBarsRerun_ = true;
        return;
    }
    struct Running {
        bool& flag;
        explicit Running(bool& f) : flag(f) { flag = true; }
        ~Running() { flag = false; }
    } running(scrollBarsRunning_);
    bool horzAllowed = scrollBars_ == ssHorizontal || scrollBars_ == ssBoth;
    bool vertAllowed = scrollBars_ == ssVertical || scrollBars_ == ssBoth;
    bool horzAlways = alwaysShowScrollBar_ == ssHorizontal || alwaysShowScrollBar_ == ssBoth;
    bool vertAlways = alwaysShowScrollBar_ == ssVertical || alwaysShowScrollBar_ == ssBoth;
    TCellCoord_ts last;
    // A bar takes room from the other axis, so a second pass settles them.
    for (int pass = 0; pass < 2; ++pass) {
        TGridLayout_ts layout;
        ComputeLayout(layout);
        last = LastTopLeft({ColTotal() - 1, RowTotal() - 1}, layout);
        Integer horzSteps = std::max<Integer>(0, last.Col - FixedColTotal());
        Integer vertSteps = std::max<Integer>(0, last.Row - FixedRowTotal());
        bool horz = horzAllowed && (horzSteps > 0 || horzAlways);
        bool vert = vertAllowed && (vertSteps > 0 || vertAlways);
        SetScrollRange(sbHorizontal, 0, horz ? std::clamp<Integer>(horzSteps, 1, kMaxScrollPos) : 0);
        SetScrollRange(sbVertical, 0, vert ? std::clamp<Integer>(vertSteps, 1, kMaxScrollPos) : 0);
    }
    TCellCoord_ts topLeft = TopLeftCell();
    if (topLeft.Col > last.Col || topLeft.Row > last.Row)
        SetTopLeftCell(std::max(FixedColTotal(), std::min(topLeft.Col, last.Col)),
                       std::max(FixedRowTotal(), std::min(topLeft.Row, last.Row)));
    scrollBarsPending_ = false;
    UpdateScrollPos();
}

void TgrBaseGrid::UpdateScrollPos() {
    if (!HasWindow()) return;
    if (!CanPaintNow()) {
        scrollPosPending_ = true;
        return;
    }
    scrollPosPending_ = false;
    TCellCoord_ts topLeft = TopLeftCell();
    TGridLayout_ts layout;
    ComputeLayout(layout);
    TCellCoord_ts last = LastTopLeft({ColTotal() - 1, RowTotal() - 1}, layout);
    SetScrollPos(sbHorizontal, ScrollPosOfFirst(topLeft.Col, FixedColTotal(), last.Col));
    SetScrollPos(sbVertical, ScrollPosOfFirst(topLeft.Row, FixedRowTotal(), last.Row));
    // The bars lie outside the client area; they are redrawn at once rather
    // than invalidated, which would widen the next paint to the whole grid.
    PaintScrollBars(Canvas());
}

// ------------------------------------------------------------ text measuring

void TgrBaseGrid::GetCellTextHeight(Integer dataCol, Integer dataRow, Integer& height, Integer& lines) {
    height = 0;
    lines = 0;
    CheckColRowIndex(1, dataCol, Cols(), 1);
    CheckColRowIndex(0, dataRow, RowTotal() - 1, 1);
    // The insert row holds no text yet.
    if (dataRow > Rows() || EffectiveControlType(dataCol, dataRow) != ctText) return;
    Variant value = currentCell_ && currentCell_->HasValueFor(dataCol, dataRow)
                        ? currentCell_->GetStoredValue()
                        : LoadCellValue(dataCol, dataRow, GetStoredCellValue(dataCol, dataRow, ctText));
    std::string text = value.IsEmpty() || value.IsNull() ? std::string() : VariantToText(value);
    // The cell's button takes its width from the text.
    Integer width = DataColWidth(dataCol) - vertLineWidth_ - kTextMargin - CellButtonWidth(dataCol, dataRow);
    CalcTextHeight(dataCol, width, height, lines, EffectiveWordWrap(dataCol, dataRow),
                   EffectiveHorzAlignment(dataCol, dataRow), *EffectiveCellFont(dataCol, dataRow), text);
}

void TgrBaseGrid::CalcTextHeight(Integer, Integer width, Integer& height, Integer& lines, TgrWordWrap wordWrap,
                                 TgrHorzAlignment alignment, const TFont& font, const std::string& text) {
    TCanvas* c = Canvas();
    TFont saved;
    saved.Assign(*c->Font());
    c->Font()->Assign(font);
    int h = 0, n = 0;
    try {
        MeasureWrappedText(c, text, std::max<int>(1, int(width)), h, n, wordWrap != wwOff, alignment);
    } catch (...) {
        c->Font()->Assign(saved);
        throw;
    }
    c->Font()->Assign(saved);
    height = h + 1;
    lines = n;
}

Integer TgrBaseGrid::GetFontLineHeight() {
    if (!HasWindow()) return 0;
    TCanvas* c = Canvas();
    TFont saved;
    saved.Assign(*c->Font());
    c->Font()->Assign(*Font());
    Integer height = c->TextHeight("X");
    c->Font()->Assign(saved);
    return height;
}

// Drawing of one cell of the grid class: the resolved attributes of its
// paint information (UpdateDrawInfo with the owner's draw information and
// the edit colours), the button layout, and the data cell painted by its
// control type (a text, a check box, a picture) or as an empty cell, each
// over the background its state gives, with its button area after it.

#include <algorithm>

#include "grid/GRCommon.h"
#include "grid/GRGLib.h"
#include "grid/GRGLibValues.h"
#include "grid/GridButtons.h"
#include "grid/GridPaintTools.h"
#include "grid/TSGrid.h"

#include <QImage>

namespace {

using grid_paint::RaisedTopLeft;
constexpr int kTextMargin = grid_paint::kCellTextMargin;

}  // namespace

// ------------------------------------------------------------ paint information

void TgrBaseGrid::UpdateDrawInfo(TgrCellPaintInfo& info, bool controlShown) {
    bool was3D = info.Is3D;
    info.Is3D = EffectiveIs3D(info.DataCol, info.DataRow);
    // The paint information holds a text alignment: left, right or centre.
    info.HorzAlignment = AlignmentToHorzAlignment(EffectiveAlignment(info.DataCol, info.DataRow), true);
    info.VertAlignment = EffectiveVertAlignment(info.DataCol, info.DataRow);
    info.WordWrap = EffectiveWordWrap(info.DataCol, info.DataRow);
    // The row bar and the corner take the grid's heading colour.
    info.Color = info.DisplayCol <= 0 ? headingColor_ : EffectiveCellColor(info.DataCol, info.DataRow, info.Is3D);
    info.Font = EffectiveCellFont(info.DataCol, info.DataRow);
    info.FontColor = info.Font ? info.Font->Color() : clWindowText;
    info.TransparentColor = grDrawInfoColorNotSet;
    if (info.DisplayCol > 0 && info.DisplayRow > 0 && info.DataRow <= Rows()) ApplyGetDrawInfo(info);
    ApplyEditColors(info, controlShown);
    if (info.Is3D != was3D && info.DisplayRow > 0 && !info.CellRect.IsEmpty()) LayoutCellButton(info);
}

TFont* TgrBaseGrid::OwnDrawInfoFont(TgrCellPaintInfo& info) {
    if (!drawInfoFont_) drawInfoFont_ = std::make_unique<TFont>();
    if (info.Font && info.Font != drawInfoFont_.get()) drawInfoFont_->Assign(*info.Font);
    info.Font = drawInfoFont_.get();
    return info.Font;
}

void TgrBaseGrid::ApplyGetDrawInfo(TgrCellPaintInfo& info) {
    if (!HasGetDrawInfo()) return;
    // The owner gets the grid's work font, a copy of the resolved one, so
    // that changing it touches no column's, row's or grid's font.
    OwnDrawInfoFont(info);
    TgrDrawInfo d{info.Font, info.Color, info.WordWrap, info.TransparentColor, info.VertAlignment, info.HorzAlignment};
    FireGetDrawInfo(info.DataCol, info.DataRow, d);
    if (info.DisplayCol == curDisplayCol_ && info.DisplayRow == curDisplayRow_ && controlShown_)
        ApplyDrawInfoToControl(d);
    info.Font = d.Font ? d.Font : info.Font;
    info.Color = d.Color;
    info.WordWrap = d.WordWrap;
    info.TransparentColor = d.TransparentColor;
    info.VertAlignment = d.VertAlignment;
    info.HorzAlignment = d.HorzAlignment == htaDefault ? htaLeft : d.HorzAlignment;
    info.FontColor = info.Font ? info.Font->Color() : info.FontColor;
}

void TgrBaseGrid::ApplyEditColors(TgrCellPaintInfo& info, bool controlShown) {
    info.ControlShown = controlShown;
    bool current = info.DisplayCol == curDisplayCol_ && info.DisplayRow == curDisplayRow_;
    if (!current || info.DisplayRow <= 0 || info.ControlType != ctText || !controlShown) return;
    if (editColor_ != grColorNotSet) info.Color = editColor_;
    if (editFontColor_ != grColorNotSet) {
        OwnDrawInfoFont(info)->SetColor(editFontColor_);
        info.FontColor = editFontColor_;
    }
}

void TgrBaseGrid::LayoutCellButton(TgrCellPaintInfo& info) {
    if (info.DisplayRow <= 0) {
        LayoutHeadingCell(info);
        return;
    }
    info.ButtonType = ResolveButtonType(info.DataCol, info.DataRow, info.DropDownStyle);
    info.HasButton = info.ButtonType != btNone;
    info.ButtonRect = TRect();
    if (!info.HasButton) return;
    TgrCustomButton* button = GetCellButton(info.DisplayCol, info.ButtonType);
    Integer w = button ? button->TotalWidth() : 0;
    info.ContentRect.Right -= w;
    info.ButtonRect = TRect(std::max(info.ContentRect.Left + kTextMargin, info.ContentRect.Right),
                            info.ContentRect.Top, info.ContentRect.Right + w, info.ContentRect.Bottom);
}

void TgrBaseGrid::SetPaintValue(TgrCellPaintInfo& info, const Variant& value) {
    info.Value = ConvertCellValue(info.ControlType, value);
    info.Text.clear();
    if (info.ControlType == ctCheck) {
        info.CheckState = info.Value.IsEmpty() ? cbGrayed
                                               : VariantToCheckState(NormalizeCheckValue(info.Value),
                                                                     EffectiveCheckBoxValues(info.DataCol));
    } else if (info.ControlType == ctText) {
        info.Text = info.Value.IsEmpty() || info.Value.IsNull() ? std::string() : VariantToText(info.Value);
    }
}

Variant TgrBaseGrid::NormalizeCheckValue(const Variant& value) {
    // Integers (a check state or a count), Booleans, Null and texts (the
    // check-box texts) pass; any other kind shows the grayed state.
    switch (value.Type()) {
    case varNull:
    case varString:
    case varOleStr:
    case varBoolean:
    case varByte:
    case varSmallint:
    case varInteger:
    case varInt64:
        return value;
    default:
        return Variant(Byte(cbGrayed));
    }
}

void TgrBaseGrid::ApplyStateColors(TgrCellPaintInfo& info) {
    // A picture keeps the plain colour under it and gets the selection or
    // focus colour blended over it.
    info.ShowsFocus = info.Current && IsFocusCell(info.DisplayCol, info.DisplayRow);
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
}

void TgrBaseGrid::DrawCell(Integer displayCol, Integer displayRow, const TRect& rect) {
    DrawGridCell(displayCol, displayRow, IsDisplayCellSelected(displayCol, displayRow), rect);
}

unsigned TgrBaseGrid::GetCellPaintState(Integer displayCol, Integer displayRow) {
    unsigned bits = 0;
    if (IsDisplayCellSelected(displayCol, displayRow)) bits |= 2u;
    if (displayCol == curDisplayCol_ && displayRow == curDisplayRow_) bits |= 1u;
    if (displayCol < FixedColTotal() || displayRow < FixedRowTotal()) bits |= 4u;
    return bits;
}

// ------------------------------------------------------------ data cells

void TgrBaseGrid::PaintDataCell(TgrCellPaintInfo& info, bool selected) {
    lastPaintedCell_ = {-1, -1};
    if (info.ControlType == ctNone || IsInsertRow(info.DisplayRow)) PaintDefaultValueCell(info, selected);
    else PaintByControlType(info, selected);
}

void TgrBaseGrid::PaintDefaultValueCell(TgrCellPaintInfo& info, bool selected) {
    Variant value;
    LockEditStart(false);
    try {
        value = DefaultCellValue(info.ControlType);
    } catch (...) {
        LockEditStart(true);
        throw;
    }
    LockEditStart(true);
    if (value.IsEmpty()) {
        PaintEmptyCell(info, selected);
        return;
    }
    SetPaintValue(info, value);
    PaintByControlType(info, selected);
}

void TgrBaseGrid::DrawCellValue(Integer dataCol, Integer dataRow, bool selected, bool shown, const Variant& value,
                                TgrCellPaintInfo& info) {
    if (!IsDataCellIndex(dataCol, dataRow) || info.CellRect.IsEmpty()) return;
    if (TgrCol* col = gridCols_->ColAt(dataCol); col && !col->Visible()) return;
    if (!IsRowVisible(dataRow)) return;
    UpdateDrawInfo(info, shown);
    SetPaintValue(info, value);
    ApplyStateColors(info);
    PaintByControlType(info, selected);
}

void TgrBaseGrid::PaintByControlType(TgrCellPaintInfo& info, bool selected) {
    switch (info.ControlType) {
    case ctCheck:
        PaintCheckBoxCell(info, selected);
        break;
    case ctPicture:
        PaintPictureCell(info, selected);
        break;
    case ctText:
        PaintTextCell(info, info.Text, selected);
        break;
    default:
        PaintEmptyCell(info, selected);
        break;
    }
}

void TgrBaseGrid::FinishDataCell(TgrCellPaintInfo& info) {
    if (info.HasButton) DrawCellButton(info, info.Selected);
    lastPaintedCell_ = {info.DisplayCol, info.DisplayRow};
}

void TgrBaseGrid::FillCellBackground(const TgrCellPaintInfo& info, const TRect& rect) {
    if (rect.IsEmpty()) return;
    TCanvas* c = Canvas();
    c->Brush()->SetStyle(bsSolid);
    if (c->Brush()->Color() != info.Color) c->Brush()->SetColor(info.Color);
    c->FillRect(rect);
    if (info.ControlType == ctPicture && info.BlendColor != grColorNotSet)
        BlendSelectionColor(Canvas(), rect, info.BlendColor, info.CellRect.Left, info.CellRect.Top);
}

bool TgrBaseGrid::CanPaintCellNow(const TgrCellPaintInfo& info) {
    if (painting_ || CanPaintNow()) return true;
    InvalidateDisplayCell(info.DisplayCol, info.DisplayRow);
    return false;
}

// ------------------------------------------------------------ texts

void TgrBaseGrid::PaintTextCell(TgrCellPaintInfo& info, const std::string& text, bool selected) {
    if (!CanPaintCellNow(info) || info.CellRect.IsEmpty()) return;
    if (info.ContentRect.Width() > kTextMargin) DrawCellText(info, text, selected);
    else DrawCellMarginOnly(info.ControlType, info, selected);
    FinishDataCell(info);
}

void TgrBaseGrid::DrawCellText(TgrCellPaintInfo& info, const std::string& text, bool) {
    TCanvas* c = Canvas();
    c->Font()->Assign(*info.Font);
    c->Font()->SetColor(info.FontColor);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(info.Color);
    const TRect& content = info.ContentRect;
    DrawAlignedText(c, text, GetRowHeightAt(info.DisplayRow) - horzLineWidth_, 0, info.WordWrap != wwOff,
                   info.VertAlignment, info.HorzAlignment, content.Top, content.Left + kTextMargin, content);
    if (info.Is3D) RaisedTopLeft(c, content);
}

void TgrBaseGrid::DrawCellMarginOnly(TgrControlType, TgrCellPaintInfo& info, bool) {
    if (IsDesigning() || !(painting_ || CanPaintNow())) return;
    const TRect& cell = info.CellRect;
    TRect margin(cell.Left, cell.Top, std::min(cell.Left + kTextMargin, cell.Right),
                 cell.Bottom + (info.Is3D ? horzLineWidth_ - 1 : 0));
    FillCellBackground(info, margin);
    if (info.Is3D && !info.ControlShown) RaisedTopLeft(Canvas(), margin);
}

// ------------------------------------------------------------ check boxes

TRect TgrBaseGrid::CalcCheckBoxRect(bool is3D, Integer margin, Integer width, Integer height, const TRect& content) {
    // Integer division truncates toward zero, also for a box wider than
    // its cell.
    Integer x = std::max<Integer>(content.Left + margin,
                                  content.Left + margin + (content.Right - content.Left - margin - width) / 2 - 1);
    Integer y = std::max<Integer>(content.Top, content.Top + (content.Bottom - content.Top - height) / 2 + (is3D ? 1 : 0));
    return TRect(int(x), int(y), int(std::min<Integer>(content.Right, x + width)),
                 int(std::min<Integer>(content.Bottom, y + height)));
}

void TgrBaseGrid::CopyBitmapRect(const TRect& dest, TBitmap* bitmap, const TRect& source, TCopyMode mode) {
    if (!bitmap || dest.IsEmpty() || source.IsEmpty()) return;
    TCanvas* c = Canvas();
    c->SetCopyMode(mode);
    c->CopyRect(dest, BitmapCanvasHandle(bitmap), source);
    c->SetCopyMode(cmSrcCopy);
    RestoreCanvasHandle();
}

void TgrBaseGrid::PaintCheckBoxCell(TgrCellPaintInfo& info, bool selected) {
    if (info.CellRect.IsEmpty()) return;
    const TRect& content = info.ContentRect;
    if (content.Width() <= kTextMargin) {
        DrawCellMarginOnly(ctCheck, info, selected);
        FinishDataCell(info);
        return;
    }
    FillCellBackground(info, content);
    TCopyMode mode;
    TRect source;
    TBitmap* glyph = checkControl_ ? checkControl_->GetCheckPicture(info.CheckState, mode, false, source) : nullptr;
    if (glyph) {
        TRect dest = CalcCheckBoxRect(info.Is3D, kTextMargin, source.Width(), source.Height(), content);
        CopyBitmapRect(dest, glyph,
                       TRect(source.Left, source.Top, source.Left + dest.Width(), source.Top + dest.Height()), mode);
    }
    if (info.Is3D) RaisedTopLeft(Canvas(), content);
    FinishDataCell(info);
}

// ------------------------------------------------------------ pictures

TBitmap* TgrBaseGrid::CellPicture(const Variant& value, TColor& listTransparent) {
    listTransparent = grColorNotSet;
    if (value.IsEmpty() || value.IsNull()) return nullptr;
    // A text names an image of the grid's image list.
    if (value.IsString()) return FindImageForValue(value, &listTransparent);
    return static_cast<TBitmap*>(VariantToObject(value));
}

TColor TgrBaseGrid::PictureTransparentColor(TColor listTransparent, TBitmap* picture) {
    if (listTransparent != grColorNotSet) return listTransparent;
    if (picture && picture->Transparent()) return picture->TransparentColor();
    return grColorNotSet;
}

void TgrBaseGrid::PaintPictureCell(TgrCellPaintInfo& info, bool selected) {
    if (info.CellRect.IsEmpty()) return;
    TColor listTransparent = grColorNotSet;
    TBitmap* picture = CellPicture(info.Value, listTransparent);
    if (!picture || picture->Empty()) {
        // A cell without a picture is painted as an empty cell.
        PaintEmptyCell(info, selected);
        return;
    }
    if (info.ContentRect.Width() > kTextMargin) DrawCellPicture(info, picture, listTransparent, selected);
    else DrawCellMarginOnly(ctPicture, info, selected);
    FinishDataCell(info);
}

void TgrBaseGrid::DrawCellPicture(TgrCellPaintInfo& info, TBitmap* picture, TColor listTransparent, bool) {
    TCanvas* c = Canvas();
    const TRect& content = info.ContentRect;
    TgrPictureOptions o = EffectivePictureOptions(info.DataCol, info.DataRow);
    bool editValue = currentCell_ && info.DisplayCol == curDisplayCol_ && info.DisplayRow == curDisplayRow_ &&
                     currentCell_->HasValueFor(info.DataCol, info.DataRow);
    TColor transparent = info.TransparentColor;
    if (transparent == grDrawInfoColorNotSet) transparent = PictureTransparentColor(listTransparent, picture);
    if (transparent == grColorNotSet) transparent = editValue ? currentCell_->TransparentColor() : transparentColor_;
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(info.Is3D ? clBtnFace : info.Color);
    DrawPicture(c, content, picture, o.KeepAspectRatio, o.Shrink, o.Stretch, o.Center, transparent);
    if (info.BlendColor != grColorNotSet)
        BlendSelectionColor(Canvas(), content, info.BlendColor, info.CellRect.Left, info.CellRect.Top);
    if (info.Is3D) RaisedTopLeft(c, content);
}

// ------------------------------------------------------------ empty cells

void TgrBaseGrid::PaintEmptyCell(TgrCellPaintInfo& info, bool) {
    if (info.CellRect.IsEmpty()) return;
    FillCellBackground(info, info.ContentRect);
    if (info.Is3D) RaisedTopLeft(Canvas(), info.ContentRect);
    FinishDataCell(info);
}

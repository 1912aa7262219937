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
constexpr int kTextMargin = grid_paint::kCellTextMargin;

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
    if (displayCol < 0 || displayRow < 0 || displayCol > Cols() || displayRow >= RowTotal()) return false;
    if (displayCol == forcedCell_.Col && displayRow == forcedCell_.Row) return forcedSelected_;
    if (displayRow > 0 && rowSelection_->IsSelected(displayRow)) return true;
    if (displayCol > 0 && colSelection_->IsSelected(displayCol)) return true;
    return gridStatus_ == gsCellsSelected && displayCol > 0 && displayRow > 0 && IsInCellRange(displayCol, displayRow);
}

bool TgrBaseGrid::FillDrawInfo(Integer displayCol, Integer displayRow, TgrCellPaintInfo& info) {
    if (displayCol < 0 || displayRow < 0 || displayCol >= ColTotal() || displayRow >= RowTotal()) return false;
    return FillDrawInfoAt(displayCol, displayRow, CellPixels(displayCol, displayRow),
                          IsDisplayCellSelected(displayCol, displayRow), info);
}

void TgrBaseGrid::ResolveDrawInfo(Integer c, Integer r, TgrCellPaintInfo& info) {
    info.DisplayCol = c;
    info.DisplayRow = r;
    info.DataCol = c > 0 ? DataColOfDisplay(c) : 0;
    info.DataRow = r > 0 ? DataRowOfDisplay(r) : 0;
    info.Kind = c <= 0 && r <= 0 ? tckCorner : r <= 0 ? tckHeading : c <= 0 ? tckRowBar : tckData;
    info.Current = c == curDisplayCol_ && r == curDisplayRow_;
    if (info.Kind == tckData) info.ControlType = EffectiveControlType(info.DataCol, info.DataRow);
    // While the in-cell editor stands in the current text cell it shows
    // the edit colours.
    bool shown = info.Current && info.ControlType == ctText && activeControl_ == editControl_.get() &&
                 ControlStandsInCell();
    UpdateDrawInfo(info, shown);
    if (r > 0) info.ButtonType = ResolveButtonType(info.DataCol, info.DataRow, info.DropDownStyle);
}

bool TgrBaseGrid::FillDrawInfoAt(Integer c, Integer r, const TRect& raw, bool selected, TgrCellPaintInfo& info) {
    info = TgrCellPaintInfo();
    if (raw.Width() <= 0 || raw.Height() <= 0) return false;
    if (c > 0)
        if (TgrCol* col = gridCols_->ColAt(DataColOfDisplay(c)); col && !col->Visible()) return false;
    if (r > 0)
        if (Integer dataRow = DataRowOfDisplay(r); dataRow < gridRows_->Count())
            if (TgrRow* row = gridRows_->GetRow(dataRow); row && !row->Visible()) return false;

    ResolveDrawInfo(c, r, info);
    info.ClipRect = raw;
    // The grid lines lie on the last pixels of the cell; a 3D cell has its
    // grey lines there even where GridLines draws none.
    Integer vertLine = info.Is3D ? 1 : vertLineWidth_, horzLine = info.Is3D ? 1 : horzLineWidth_;
    // Mirrored, the trailing vertical line is the cell's left pixel column.
    info.CellRect = UseRightToLeftAlignment() ? TRect(raw.Left + vertLine, raw.Top, raw.Right, raw.Bottom - horzLine)
                                              : TRect(raw.Left, raw.Top, raw.Right - vertLine, raw.Bottom - horzLine);
    info.ContentRect = info.CellRect;
    info.Selected = selected;

    switch (info.Kind) {
    case tckCorner:
        return true;
    case tckRowBar:
        info.Current = r == curDisplayRow_;
        info.Indicator = RowIndicatorOf(r);
        return true;
    case tckHeading:
        if (TgrCol* col = gridCols_->ColAt(info.DataCol)) info.Text = col->GetHeading();
        info.Pressed = headingShownDown_ && pressedHeading_ == c;
        // A heading keeps its own border lines, whatever the grid lines.
        info.CellRect = TRect(raw.Left, raw.Top, raw.Right - 1, raw.Bottom - 1);
        info.ContentRect = info.CellRect;
        LayoutCellButton(info);
        return true;
    case tckData:
        break;
    }
    LayoutCellButton(info);

    // The value: the current cell's edit value while it holds one,
    // otherwise the stored value completed by the descendant. The insert
    // row shows the default values.
    if (info.ControlType != ctNone && !IsInsertRow(r)) {
        if (directValue_) {
            SetPaintValue(info, *directValue_);
        } else if (info.Current && currentCell_ && currentCell_->HasValueFor(info.DataCol, info.DataRow)) {
            SetPaintValue(info, currentCell_->GetStoredValue());
        } else {
            LockEditStart(false);
            try {
                Variant loaded = LoadCellValue(info.DataCol, info.DataRow,
                                               GetStoredCellValue(info.DataCol, info.DataRow, info.ControlType));
                // The descendant may have drawn elsewhere meanwhile.
                RestoreCanvasHandle();
                SetPaintValue(info, loaded);
            } catch (...) {
                LockEditStart(true);
                throw;
            }
            LockEditStart(true);
        }
    } else {
        SetPaintValue(info, DefaultCellValue(info.ControlType));
    }
    ApplyStateColors(info);
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
    if (info.Kind != tckData) {
        DrawFixedCellBackground(info.ClipRect, info.Kind == tckRowBar ? -1 : info.DisplayCol);
        DrawFixedCellLines(info.ClipRect, heading3D_ ? kFixedLine3D : clBlack);
    } else if (IsDesigning() && (info.DisplayCol < FixedColTotal() || info.DisplayRow < FixedRowTotal())) {
        FillDesignFixedCell(info.ClipRect);
    }
    if (!PaintCellData(info, info.ClipRect, info.Selected)) {
        switch (info.Kind) {
        case tckCorner:
            break;
        case tckRowBar:
            if (info.Indicator != triNone) PaintRowIndicator(info);
            break;
        case tckHeading:
            DrawHeadingCell(info.DisplayCol);
            break;
        case tckData:
            PaintDataCell(info, info.Selected);
            break;
        }
    }
    FinishCellPaint(info);
}

void TgrBaseGrid::FinishCellPaint(TgrCellPaintInfo& info) {
    TCanvas* c = Canvas();
    // The plain selection look inverts the cell (fixed cells always).
    if (info.Selected && !info.SelectionColored && (info.Kind == tckData || selectFixed_)) {
        TRect r = info.Kind == tckData ? info.CellRect : info.ClipRect;
        c->SetCopyMode(cmDstInvert);
        c->CopyRect(r, c, r);
        c->SetCopyMode(cmSrcCopy);
    }
    if (info.ShowsFocus) DrawFocusBorder(c, info.DisplayCol, info.DisplayRow);
}


// The thumb of a bar of a length: its offset after the first arrow and its
// length, from the bar's range, page and position (the part of the track
// beside the thumb stands for the positions it can take).
void TgrBaseGrid::ThumbSpan(Integer length, const TScrollInfo& info, Integer& pos, Integer& thumb) {
    constexpr Integer t = ScrollBarThickness;
    Integer span = std::max<Integer>(0, length - 2 * t);
    Int64 total = std::max<Int64>(1, Int64(info.Max) - info.Min + 1);
    Int64 page = std::clamp<Int64>(info.Page, 0, total);
    thumb = page > 0 ? Integer(std::clamp<Int64>(Int64(span) * page / total, std::min<Integer>(8, span), span))
                     : std::min<Integer>(std::max<Integer>(8, span / 10), span);
    Int64 steps = total - std::max<Int64>(page, 1);
    pos = steps > 0 ? Integer(Int64(span - thumb) * std::clamp<Int64>(Int64(info.Pos) - info.Min, 0, steps) / steps) : 0;
}

void TgrBaseGrid::PaintScrollBars(TCanvas* c) {
    bool vert = ScrollBarShown(sbVertical), horz = ScrollBarShown(sbHorizontal);
    if (!vert && !horz) return;
    Integer cw = ClientWidth(), ch = ClientHeight();
    constexpr int t = ScrollBarThickness;
    TRect savedClip = c->ClipRect();
    c->ResetClip();
    // One bar: arrow buttons at the ends, the track, and the thumb; a
    // disabled bar has grey arrows and no thumb.
    auto bar = [&](bool vertical, Integer length) {
        TScrollBarKind kind = vertical ? sbVertical : sbHorizontal;
        bool enabled = ScrollBarEnabled(kind);
        TColor arrow = enabled ? clBlack : clBtnShadow;
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
            Triangle(c, {{cw + m - 3, m + 1}, {cw + m + 3, m + 1}, {cw + m, m - 2}}, arrow);
            Triangle(c, {{cw + m - 3, length - t + m - 1}, {cw + m + 3, length - t + m - 1}, {cw + m, length - t + m + 2}},
                     arrow);
        } else {
            Triangle(c, {{m + 1, ch + m - 3}, {m + 1, ch + m + 3}, {m - 2, ch + m}}, arrow);
            Triangle(c, {{length - t + m - 1, ch + m - 3}, {length - t + m - 1, ch + m + 3}, {length - t + m + 2, ch + m}},
                     arrow);
        }
        if (!enabled) return;
        Integer pos = 0, thumb = 0;
        ThumbSpan(length, GetScrollInfo(kind), pos, thumb);
        TRect th = vertical ? TRect(cw, t + pos, cw + t, t + pos + thumb)
                            : MirroredX(TRect(t + pos, ch, t + pos + thumb, ch + t));
        ButtonFace(c, th);
    };
    if (vert) bar(true, ch);
    if (horz) bar(false, cw);
    if (vert && horz) {
        c->Brush()->SetColor(clBtnFace);
        c->FillRect(TRect(cw, ch, cw + t, ch + t));
    }
    c->SetClipRect(savedClip);
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
    // Measured as the cell is drawn (the owner's draw information
    // included); the cell's button takes its width from the text.
    TgrCellPaintInfo info;
    ResolveDrawInfo(DisplayColOfData(dataCol), DisplayRowOfData(dataRow), info);
    Integer width = DataColWidth(dataCol) - vertLineWidth_ - kTextMargin - CellButtonWidth(dataCol, dataRow);
    CalcTextHeight(dataCol, width, height, lines, info.WordWrap, info.HorzAlignment,
                   info.Font ? *info.Font : *Font(), text);
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

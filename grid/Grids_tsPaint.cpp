// The base painting of the grid: the lines of the four areas (fixed
// corner, fixed rows, fixed columns, scrolling cells), every cell that
// touches the clip with its draw state, the focus rectangle, and the
// grid's colour beyond the last cells. Under right-to-left alignment the
// same picture is laid out from the right edge (texts are not mirrored).

#include <algorithm>

#include "grid/Grids_ts.h"

namespace {

struct AreaAxis {
    Integer First;   // first cell
    Integer Last;    // last cell (inclusive)
    Integer Start;   // pixel where the first cell starts
    Integer Limit;   // pixel where the area ends
};

}  // namespace

void TCustomGrid_ts::Paint() {
    TCanvas* c = Canvas();
    TGridLayout_ts l;
    ComputeLayout(l);
    TRect clip = c->ClipRect();
    bool focusHolder = IsFocusHolder(this);
    TCellRange_ts selection = SelectionRange();
    bool editorShown = (gridOptions_ & gxEditing) && editingActive_ && !Designing();
    bool paintDefaults = paintDefaults_ || Designing();

    AreaAxis fixedCols{0, fixedColTotal_ - 1, 0, l.Horz.FixedEnd};
    AreaAxis scrollCols{topLeft_.Col, colTotal_ - 1, l.Horz.FixedEnd - pixelScrollOffset_, l.Horz.GridEnd};
    AreaAxis fixedRows{0, fixedRowTotal_ - 1, 0, l.Vert.FixedEnd};
    AreaAxis scrollRows{topLeft_.Row, rowTotal_ - 1, l.Vert.FixedEnd, l.Vert.GridEnd};

    // Lines.
    Integer lwH = l.Horz.LineWidth, lwV = l.Vert.LineWidth;
    auto drawLines = [&](const AreaAxis& h, const AreaAxis& v, bool fixedArea, TColor background) {
        TGridOptions_ts vertOption = fixedArea ? gxFixedVertLines : gxVertLines;
        TGridOptions_ts horzOption = fixedArea ? gxFixedHorzLines : gxHorzLines;
        TColor lineColor = fixedArea ? clBlack : (Color() == clSilver ? clGray : clSilver);
        c->Pen()->SetStyle(psSolid);
        c->Pen()->SetMode(pmCopy);
        c->Pen()->SetWidth(gridLinePixels_);
        auto verticals = [&] {
            if (lwH <= 0) return;
            c->Pen()->SetColor((gridOptions_ & vertOption) ? lineColor : background);
            Integer x = h.Start;
            for (Integer i = h.First; i <= h.Last && i >= 0; ++i) {
                x += GetColWidthAt(i);
                Integer pos = x + lwH / 2;
                if (pos > h.Limit + lwH) break;
                // Mirrored, pixel column p shows at ClientWidth - 1 - p.
                Integer shown = rightToLeft_ ? ClientWidth() - 1 - pos : pos;
                c->MoveTo(shown, v.Start);
                c->LineTo(shown, v.Limit);
                x += lwH;
            }
        };
        auto horizontals = [&] {
            if (lwV <= 0) return;
            c->Pen()->SetColor((gridOptions_ & horzOption) ? lineColor : background);
            Integer y = v.Start;
            for (Integer i = v.First; i <= v.Last && i >= 0; ++i) {
                y += GetRowHeightAt(i);
                Integer pos = y + lwV / 2;
                if (pos > v.Limit + lwV) break;
                TRect span = MirroredX(TRect(h.Start, pos, h.Limit, pos + 1));
                c->MoveTo(span.Left, pos);
                c->LineTo(span.Right, pos);
                y += lwV;
            }
        };
        if (gridOptions_ & horzOption) {
            verticals();
            horizontals();
        } else {
            horizontals();
            verticals();
        }
    };

    // Cells.
    auto drawCells = [&](const AreaAxis& h, const AreaAxis& v, bool fixedArea, TColor background) {
        Integer y = v.Start;
        for (Integer row = v.First; row <= v.Last && row >= 0 && y < v.Limit; ++row) {
            Integer rh = GetRowHeightAt(row);
            Integer x = h.Start;
            for (Integer col = h.First; col <= h.Last && col >= 0 && x < h.Limit; ++col) {
                Integer cw = GetColWidthAt(col);
                TRect r = MirroredX(TRect(x, y, x + cw, y + rh));
                TRect visible;
                x += cw + lwH;
                if (!IntersectRect(visible, r, clip) || r.IsEmpty()) continue;
                TGridDrawState_ts state = fixedArea ? gdsFixed : 0;
                bool focused = focusHolder && col == current_.Col && row == current_.Row;
                if (focused) state |= gdsFocused;
                if (CellInRange(col, row, selection)) state |= gdsSelected;
                if (focused && editorShown && editor_ && editor_->Visible()) continue;
                if (paintDefaults) {
                    c->Font()->Assign(*Font());
                    bool highlight = (state & gdsSelected) && !fixedArea &&
                                     (!(state & gdsFocused) || (gridOptions_ & (gxDrawFocusSelected | gxRowSelect)));
                    c->Brush()->SetStyle(bsSolid);
                    if (highlight) {
                        c->Brush()->SetColor(clHighlight);
                        c->Font()->SetColor(clHighlightText);
                    } else {
                        c->Brush()->SetColor(background);
                    }
                    c->FillRect(r);
                }
                PaintCell(col, row, r, state);
                if (paintDefaults && !Designing() && (state & gdsFocused) && !(gridOptions_ & gxRowSelect) &&
                    !((gridOptions_ & gxEditing) && (gridOptions_ & gxAlwaysShowEditor))) {
                    c->Brush()->SetColor(background);
                    c->DrawFocusRect(r);
                }
            }
            y += rh + lwV;
        }
    };

    TColor fixedColor = fixedAreaColor_, gridColor = Color();
    if (lwH > 0 || lwV > 0) {
        drawLines(fixedCols, fixedRows, true, fixedColor);
        drawLines(scrollCols, fixedRows, true, fixedColor);
        drawLines(fixedCols, scrollRows, true, fixedColor);
        drawLines(scrollCols, scrollRows, false, gridColor);
    }
    drawCells(fixedCols, fixedRows, true, fixedColor);
    drawCells(scrollCols, fixedRows, true, fixedColor);
    drawCells(fixedCols, scrollRows, true, fixedColor);
    drawCells(scrollCols, scrollRows, false, gridColor);

    if ((gridOptions_ & gxRowSelect) && paintDefaults && focusHolder && !Designing()) {
        c->Brush()->SetColor(gridColor);
        c->DrawFocusRect(RangePixels(selection, false));
    }

    // Beyond the last cells.
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(gridColor);
    if (l.Horz.GridEnd < ClientWidth()) c->FillRect(MirroredX(TRect(l.Horz.GridEnd, 0, ClientWidth(), ClientHeight())));
    if (l.Vert.GridEnd < ClientHeight()) c->FillRect(TRect(0, l.Vert.GridEnd, ClientWidth(), ClientHeight()));
}

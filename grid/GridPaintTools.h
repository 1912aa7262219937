#pragma once
// Small drawing helpers the grid's paint files share (private to grid/).

#include "platform/gui/Canvas.h"

namespace grid_paint {

inline void Line(TCanvas* c, int x1, int y1, int x2, int y2) {
    c->MoveTo(x1, y1);
    c->LineTo(x2, y2);
}

// Solid 1-pixel copy pen of a colour.
inline void UsePen(TCanvas* c, TColor color) {
    TPen* pen = c->Pen();
    pen->SetStyle(psSolid);
    pen->SetMode(pmCopy);
    pen->SetWidth(1);
    pen->SetColor(color);
}

// The lighter top-left edge of a raised cell or face (nothing for an empty
// rectangle).
inline void RaisedTopLeft(TCanvas* c, const TRect& r) {
    if (r.IsEmpty()) return;
    UsePen(c, clBtnHighlight);
    Line(c, r.Left, r.Bottom - 1, r.Left, r.Top);
    Line(c, r.Left, r.Top, r.Right, r.Top);
}

// The text margin left of a cell's text, check box or picture.
inline constexpr int kCellTextMargin = 3;

}  // namespace grid_paint

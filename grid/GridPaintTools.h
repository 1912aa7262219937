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

}  // namespace grid_paint

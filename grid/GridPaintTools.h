#pragma once
// Small drawing helpers the grid's paint files share (private to grid/).

#include <initializer_list>
#include <memory>
#include <utility>

#include "platform/gui/Bitmap.h"
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

// A built-in picture: black pixels on white. Drawn with the merge copy,
// the white takes the brush colour and the black stays.
template <typename IsBlack>
std::unique_ptr<TBitmap> BlackOnWhitePicture(int w, int h, IsBlack isBlack) {
    auto b = std::make_unique<TBitmap>();
    b->SetSize(w, h);
    TCanvas* c = b->Canvas();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(clWhite);
    c->FillRect(TRect(0, 0, w, h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (isBlack(x, y)) c->SetPixel(x, y, clBlack);
    return b;
}

// The text margin left of a cell's text, check box or picture.
inline constexpr int kCellTextMargin = 3;

}  // namespace grid_paint

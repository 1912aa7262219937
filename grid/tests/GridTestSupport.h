#pragma once
// Shared helpers of the grid tests: a white test bitmap with pixel queries.

#include <algorithm>

#include "platform/gui/Bitmap.h"
#include "platform/gui/Graphics.h"

class TestSurface {
public:
    explicit TestSurface(int w, int h, TColor background = clWhite) : background_(background) {
        EnsureGuiApplication();
        bmp.SetSize(w, h);
        bmp.Canvas()->Brush()->SetColor(background);
        bmp.Canvas()->FillRect(TRect(0, 0, w, h));
    }
    TCanvas* c() { return bmp.Canvas(); }
    TColor at(int x, int y) { return bmp.Canvas()->GetPixel(x, y); }
    // Bounding box of the pixels that differ from the background; empty
    // (all zero) when nothing was painted.
    TRect Painted() {
        TRect r(1 << 20, 1 << 20, -1, -1);
        for (int y = 0; y < bmp.Height(); ++y)
            for (int x = 0; x < bmp.Width(); ++x)
                if (at(x, y) != background_) {
                    r.Left = std::min(r.Left, x);
                    r.Top = std::min(r.Top, y);
                    r.Right = std::max(r.Right, x + 1);
                    r.Bottom = std::max(r.Bottom, y + 1);
                }
        return r.Right < 0 ? TRect() : r;
    }
    bool SameAs(TestSurface& other) { return bmp.Image() == other.bmp.Image(); }

    TBitmap bmp;

private:
    TColor background_;
};

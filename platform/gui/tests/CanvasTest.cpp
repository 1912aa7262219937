#include <gtest/gtest.h>

#include <algorithm>

#include "platform/gui/Bitmap.h"
#include "platform/gui/Canvas.h"

// Pixel tests of the canvas on a bitmap: no screen is involved.

namespace {

struct Surface {
    TBitmap bmp;
    explicit Surface(int w = 40, int h = 30) {
        bmp.SetSize(w, h);
    }
    TCanvas* c() { return bmp.Canvas(); }
    TColor at(int x, int y) { return bmp.Canvas()->GetPixel(x, y); }
    // Bounding box of the pixels that differ from the given background.
    TRect Painted(TColor background = clWhite) {
        TRect r(1 << 20, 1 << 20, -1, -1);
        for (int y = 0; y < bmp.Height(); ++y)
            for (int x = 0; x < bmp.Width(); ++x)
                if (at(x, y) != background) {
                    r.Left = std::min(r.Left, x);
                    r.Top = std::min(r.Top, y);
                    r.Right = std::max(r.Right, x + 1);
                    r.Bottom = std::max(r.Bottom, y + 1);
                }
        return r;
    }
    int Count(TColor color) {
        int n = 0;
        for (int y = 0; y < bmp.Height(); ++y)
            for (int x = 0; x < bmp.Width(); ++x)
                if (at(x, y) == color) ++n;
        return n;
    }
};

}  // namespace

TEST(Canvas, NewBitmapIsWhite) {
    Surface s(5, 4);
    EXPECT_EQ(s.Count(clWhite), 20);
}

TEST(Canvas, LinesExcludeTheirEndPixel) {
    struct Case { int x0, y0, x1, y1; int count; TPoint last; };
    const Case cases[] = {
        {2, 5, 12, 5, 10, {11, 5}},   // horizontal
        {12, 5, 2, 5, 10, {3, 5}},    // right to left
        {4, 1, 4, 9, 8, {4, 8}},      // vertical
        {1, 1, 9, 9, 8, {8, 8}},      // diagonal
        {3, 3, 3, 3, 0, {0, 0}},      // zero length draws nothing
    };
    for (const auto& k : cases) {
        Surface s;
        s.c()->MoveTo(k.x0, k.y0);
        s.c()->LineTo(k.x1, k.y1);
        EXPECT_EQ(s.Count(clBlack), k.count) << k.x0 << "," << k.y0 << "->" << k.x1 << "," << k.y1;
        EXPECT_EQ(s.at(k.x1, k.y1), clWhite);
        if (k.count) {
            EXPECT_EQ(s.at(k.x0, k.y0), clBlack);
            EXPECT_EQ(s.at(k.last.X, k.last.Y), clBlack);
        }
        EXPECT_EQ(s.c()->PenPos(), TPoint(k.x1, k.y1));
    }
}

TEST(Canvas, RectangleHasExclusiveRightAndBottomEdges) {
    Surface s;
    s.c()->Pen()->SetColor(clRed);
    s.c()->Brush()->SetColor(clBlue);
    s.c()->Rectangle(2, 3, 12, 9);
    EXPECT_EQ(s.Painted(), TRect(2, 3, 12, 9));
    // Outline of pen colour, interior of brush colour.
    EXPECT_EQ(s.at(2, 3), clRed);
    EXPECT_EQ(s.at(11, 8), clRed);
    EXPECT_EQ(s.at(11, 5), clRed);
    EXPECT_EQ(s.at(3, 4), clBlue);
    EXPECT_EQ(s.at(10, 7), clBlue);
    EXPECT_EQ(s.Count(clRed), 2 * 10 + 2 * 4);
    EXPECT_EQ(s.Count(clBlue), 8 * 4);
}

TEST(Canvas, RectangleWithoutPenIsOnePixelSmaller) {
    Surface s;
    s.c()->Pen()->SetStyle(psClear);
    s.c()->Brush()->SetColor(clGreen);
    s.c()->Rectangle(2, 3, 12, 9);
    EXPECT_EQ(s.Painted(), TRect(2, 3, 11, 8));
}

TEST(Canvas, FillAndFrameRectUseTheBrushOnly) {
    Surface s;
    s.c()->Brush()->SetColor(clYellow);
    s.c()->FillRect(Rect(5, 5, 10, 8));
    EXPECT_EQ(s.Painted(), TRect(5, 5, 10, 8));
    EXPECT_EQ(s.Count(clYellow), 15);
    Surface f;
    f.c()->Brush()->SetColor(clNavy);
    f.c()->FrameRect(Rect(1, 1, 6, 5));
    EXPECT_EQ(f.Painted(), TRect(1, 1, 6, 5));
    EXPECT_EQ(f.Count(clNavy), 2 * 5 + 2 * 2);
    // A frame far beyond the surface draws its visible edges, walking only them.
    const int far = 1 << 30;
    Surface g;
    g.c()->Brush()->SetColor(clNavy);
    g.c()->FrameRect(Rect(-far, 3, 10, far));
    EXPECT_EQ(g.Painted(), TRect(0, 3, 10, 30));
    EXPECT_EQ(g.Count(clNavy), 10 + 26);  // the top row and the right column
    Surface h;
    h.c()->DrawFocusRect(Rect(-far, -far, far, far));
    EXPECT_EQ(h.Count(clWhite), 40 * 30);  // every edge lies outside
    h.c()->DrawFocusRect(Rect(-far, 4, far, far));
    EXPECT_EQ(h.Count(clWhite), 40 * 30 - 20);  // every other pixel of row 4
    // A clear brush fills nothing.
    Surface n;
    n.c()->Brush()->SetStyle(bsClear);
    n.c()->FillRect(Rect(0, 0, 10, 10));
    EXPECT_EQ(n.Count(clWhite), 40 * 30);
}

TEST(Canvas, EllipseStaysInsideItsBoundsAndIsSymmetric) {
    Surface s(40, 40);
    s.c()->Brush()->SetColor(clRed);
    s.c()->Ellipse(5, 6, 25, 20);
    EXPECT_EQ(s.Painted(), TRect(5, 6, 25, 20));
    for (int y = 6; y < 20; ++y)
        for (int x = 5; x < 25; ++x) {
            ASSERT_EQ(s.at(x, y), s.at(5 + 24 - x, y)) << x << "," << y;
            ASSERT_EQ(s.at(x, y), s.at(x, 6 + 19 - y)) << x << "," << y;
        }
    EXPECT_EQ(s.at(15, 13), clRed);   // interior
    EXPECT_EQ(s.at(5, 6), clWhite);   // corner outside the curve
    EXPECT_EQ(s.at(5, 13), clBlack);  // outline at the left edge
}

TEST(Canvas, PenStylesDrawTheirPatterns) {
    struct Case { TPenStyle style; const char* row; };
    // One character per pixel along a 40-pixel line: # pen, - gap.
    const Case cases[] = {
        {psSolid, "########################################"},
        {psDash, "##################------##################"},
        {psDot, "###---###---###---###---###---###---###-"},
        {psDashDot, "#########------###------#########------#"},
        {psDashDotDot, "#########---###---###---#########---###-"},
    };
    for (const auto& k : cases) {
        Surface s(50, 3);
        s.c()->Brush()->SetStyle(bsClear);  // transparent gaps
        s.c()->Pen()->SetStyle(k.style);
        s.c()->MoveTo(0, 1);
        s.c()->LineTo(40, 1);
        std::string row;
        for (int x = 0; x < 40; ++x) row += s.at(x, 1) == clBlack ? '#' : '-';
        EXPECT_EQ(row, std::string(k.row).substr(0, 40)) << k.style;
    }
    // With an opaque background the gaps take the brush colour.
    Surface o(50, 3);
    o.c()->Brush()->SetColor(clLime);
    o.c()->Pen()->SetStyle(psDot);
    o.c()->MoveTo(0, 1);
    o.c()->LineTo(12, 1);
    EXPECT_EQ(o.at(0, 1), clBlack);
    EXPECT_EQ(o.at(3, 1), clLime);
    // A clear pen draws nothing.
    Surface c(10, 3);
    c.c()->Pen()->SetStyle(psClear);
    c.c()->MoveTo(0, 1);
    c.c()->LineTo(9, 1);
    EXPECT_EQ(c.Count(clWhite), 30);
}

// Coordinates clamped from damaged files lie a billion pixels away: such a
// line is drawn without walking all of it, and its pattern runs on as if it
// had been walked (2^30 pixels before x = 0 leave a 24-pixel pattern at 16).
TEST(Canvas, FarLinesDrawTheirVisiblePartInPattern) {
    const int far = 1 << 30;
    struct Case { TPenStyle style; const char* period; };
    const Case cases[] = {
        {psSolid, "########################"},
        {psDash, "##################------"},
        {psDashDot, "#########------###------"},
    };
    for (const auto& k : cases) {
        Surface s(40, 3);
        s.c()->Brush()->SetStyle(bsClear);
        s.c()->Pen()->SetStyle(k.style);
        s.c()->MoveTo(-far, 1);
        s.c()->LineTo(far, 1);
        std::string row, expected;
        for (int x = 0; x < 40; ++x) {
            row += s.at(x, 1) == clBlack ? '#' : '-';
            expected += k.period[(16 + x) % 24];
        }
        EXPECT_EQ(row, expected) << k.style;
        EXPECT_EQ(s.Count(clBlack), int(std::count(row.begin(), row.end(), '#'))) << "only row 1";
    }
    // A far diagonal crosses the surface on its true course; a rectangle
    // around everything leaves the surface to its brush; a line that never
    // comes near draws nothing.
    Surface d(20, 20);
    d.c()->MoveTo(-far, -far);
    d.c()->LineTo(far, far);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(d.at(i, i), clBlack) << i;
    EXPECT_EQ(d.Count(clBlack), 20);
    Surface r(20, 20);
    r.c()->Brush()->SetColor(clLime);
    r.c()->Rectangle(-far, -far, far, far);
    EXPECT_EQ(r.Count(clLime), 400);
    Surface row(20, 20);
    row.c()->Rectangle(-far, 5, far, 6);  // one row high: all pen
    for (int x = 0; x < 20; ++x) EXPECT_EQ(row.at(x, 5), clBlack) << x;
    EXPECT_EQ(row.Count(clBlack), 20);
    Surface n(20, 20);
    n.c()->MoveTo(-far, far);
    n.c()->LineTo(far, far);
    EXPECT_EQ(n.Count(clWhite), 400);
}

TEST(Canvas, RasterOperationsOfThePenMode) {
    struct Case { TPenMode mode; TColor pen, dest, expect; };
    const Case cases[] = {
        {pmCopy, clRed, clBlue, clRed},
        {pmNot, clRed, clBlue, TColor(0x00FFFF)},
        {pmXor, TColor(0x0F0F0F), TColor(0x00FF00), TColor(0x0FF00F)},
        {pmNotXor, TColor(0x0F0F0F), TColor(0x00FF00), TColor(0xF00FF0)},
        {pmMerge, clRed, clBlue, clFuchsia},
        {pmMask, clYellow, clAqua, clLime},
        {pmNotCopy, clRed, clBlue, TColor(0xFFFF00)},
        {pmBlack, clRed, clBlue, clBlack},
        {pmWhite, clRed, clBlue, clWhite},
        {pmNop, clRed, clBlue, clBlue},
        {pmMaskPenNot, clWhite, clRed, TColor(0xFFFF00)},
        {pmMergePenNot, clBlack, clRed, TColor(0xFFFF00)},
    };
    for (const auto& k : cases) {
        Surface s(10, 3);
        s.c()->Brush()->SetColor(k.dest);
        s.c()->FillRect(Rect(0, 0, 10, 3));
        s.c()->Pen()->SetColor(k.pen);
        s.c()->Pen()->SetMode(k.mode);
        s.c()->MoveTo(0, 1);
        s.c()->LineTo(10, 1);
        EXPECT_EQ(s.at(4, 1), k.expect) << "mode " << k.mode;
        EXPECT_EQ(s.at(4, 0), k.dest);
    }
}

TEST(Canvas, XorTwiceRestoresTheSurface) {
    Surface s(40, 40);
    s.c()->Brush()->SetColor(clTeal);
    s.c()->FillRect(Rect(0, 0, 20, 40));
    s.c()->Pen()->SetColor(clWhite);
    QImage before = s.bmp.ToImage();
    s.c()->Pen()->SetMode(pmXor);
    s.c()->Brush()->SetColor(clYellow);
    for (int pass = 0; pass < 2; ++pass) {
        s.c()->Rectangle(3, 3, 30, 25);
        s.c()->Ellipse(10, 12, 38, 36);
        s.c()->Polyline({{0, 0}, {39, 20}, {5, 39}, {0, 0}});
        s.c()->Pen()->SetStyle(psDashDot);
        s.c()->MoveTo(0, 39);
        s.c()->LineTo(39, 0);
        s.c()->Pen()->SetStyle(psSolid);
        if (pass == 0) {
            EXPECT_NE(s.bmp.ToImage(), before);
        }
    }
    EXPECT_EQ(s.bmp.ToImage(), before);
    // pmNot twice also restores.
    s.c()->Pen()->SetMode(pmNot);
    s.c()->Rectangle(1, 1, 35, 35);
    EXPECT_EQ(s.at(1, 1), TColor(0xFFFFFF ^ ColorToRGB(clTeal)));
    s.c()->Rectangle(1, 1, 35, 35);
    EXPECT_EQ(s.bmp.ToImage(), before);
}

TEST(Canvas, FocusRectTogglesAndPixelsReadBack) {
    Surface s(20, 20);
    QImage before = s.bmp.ToImage();
    s.c()->DrawFocusRect(Rect(2, 2, 12, 9));
    EXPECT_NE(s.bmp.ToImage(), before);
    s.c()->DrawFocusRect(Rect(2, 2, 12, 9));
    EXPECT_EQ(s.bmp.ToImage(), before);
    s.c()->Pixels[3][4] = clRed;
    EXPECT_EQ(TColor(s.c()->Pixels[3][4]), clRed);
    EXPECT_EQ(s.c()->GetPixel(30, 30), clNone);
}

TEST(Canvas, ClipRectLimitsDrawing) {
    Surface s(30, 30);
    s.c()->SetClipRect(Rect(5, 5, 15, 15));
    s.c()->Brush()->SetColor(clRed);
    s.c()->FillRect(Rect(0, 0, 30, 30));
    s.c()->MoveTo(0, 20);
    s.c()->LineTo(30, 20);
    EXPECT_EQ(s.Painted(), TRect(5, 5, 15, 15));
    EXPECT_EQ(s.c()->ClipRect(), TRect(5, 5, 15, 15));
    s.c()->ResetClip();
    EXPECT_EQ(s.c()->ClipRect(), TRect(0, 0, 30, 30));
}

TEST(Canvas, SystemColoursResolveToFixedValues) {
    EXPECT_EQ(ColorToRGB(clWindow), clWhite);
    EXPECT_EQ(ColorToRGB(clWindowText), clBlack);
    EXPECT_EQ(ColorToRGB(clBtnFace), RGB(240, 240, 240));
    EXPECT_EQ(ColorToRGB(clHighlight), RGB(51, 153, 255));
    EXPECT_EQ(ColorToRGB(clRed), 0x0000FF);
    Surface s(4, 4);
    s.c()->Brush()->SetColor(clBtnFace);
    s.c()->FillRect(Rect(0, 0, 4, 4));
    EXPECT_EQ(s.at(1, 1), RGB(240, 240, 240));
}

// The grid base under right-to-left alignment: the lines and cells it
// paints, its cell rectangles and its hit tests are the left-to-right ones
// mirrored across the client width.

#include <gtest/gtest.h>

#include <memory>

#include <QImage>

#include "grid/Grids_ts.h"

namespace {

// Paints data cells green inside a margin (symmetric, as a cell's content
// is drawn into its rectangle unmirrored) and fixed cells in their fill.
class TMirrorGrid : public TCustomGrid_ts {
public:
    explicit TMirrorGrid(TComponent* owner) : TCustomGrid_ts(owner) {}

protected:
    void PaintCell(Integer, Integer, const TRect& r, TGridDrawState_ts state) override {
        if (state & gdsFixed) return;
        Canvas()->Brush()->SetColor(TColor(0x00FF00));
        Canvas()->FillRect(TRect(r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2));
    }
};

QImage PictureOf(bool mirrored) {
    TMirrorGrid grid(nullptr);
    grid.SetBounds(0, 0, 300, 120);
    grid.SetColTotal(4);
    grid.SetRowTotal(4);
    grid.SetRightToLeft(mirrored);
    grid.Show();
    grid.Invalidate();
    grid.Update();
    return grid.Surface().copy();
}

TEST(GridMirror, ThePaintedBaseIsTheMirrorImage) {
    EnsureGuiApplication();
    QImage plain = PictureOf(false), mirrored = PictureOf(true);
    ASSERT_FALSE(plain.isNull());
    ASSERT_EQ(plain.size(), mirrored.size());
    // Nothing here draws text and the cells are symmetric, so the whole
    // picture mirrors exactly.
    QImage flipped = plain.mirrored(true, false).convertToFormat(mirrored.format());
    int differing = 0, firstX = -1, firstY = -1;
    for (int y = 0; y < flipped.height(); ++y)
        for (int x = 0; x < flipped.width(); ++x)
            if (flipped.pixel(x, y) != mirrored.pixel(x, y) && differing++ == 0) {
                firstX = x;
                firstY = y;
            }
    EXPECT_EQ(differing, 0) << "first at " << firstX << "," << firstY;
}

TEST(GridMirror, RectanglesAndHitTestsAreMirrored) {
    EnsureGuiApplication();
    TMirrorGrid plain(nullptr), mirrored(nullptr);
    for (TMirrorGrid* g : {&plain, &mirrored}) {
        g->SetBounds(0, 0, 300, 120);
        g->SetColTotal(6);
        g->SetRowTotal(4);
    }
    mirrored.SetRightToLeft(true);
    Integer w = mirrored.ClientWidth();
    for (Integer col : {0, 1, 3}) {
        TRect a = plain.CellPixels(col, 1), b = mirrored.CellPixels(col, 1);
        EXPECT_EQ(b, TRect(w - a.Right, a.Top, w - a.Left, a.Bottom)) << col;
        EXPECT_EQ(mirrored.MouseCoord(w - 1 - (a.Left + 3), a.Top + 3), (TCellCoord_ts{col, 1})) << col;
    }
}

}  // namespace

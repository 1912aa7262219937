#include <gtest/gtest.h>

#include "platform/gui/Bitmap.h"
#include "platform/gui/DrawEdge.h"

namespace {

struct Ring {
    TColor top, left, bottom, right;
};

// The colours of the ring n pixels in from the edge of a 10 x 10 picture,
// sampled at the middle of each side.
Ring RingAt(TBitmap& b, int n) {
    TCanvas* c = b.Canvas();
    return {c->GetPixel(5, n), c->GetPixel(n, 5), c->GetPixel(5, 9 - n), c->GetPixel(9 - n, 5)};
}

}  // namespace

TEST(DrawEdge, SunkenRaisedAndMonoEdgesUseTheirColours) {
    EnsureGuiApplication();
    struct Case {
        unsigned edge, flags;
        TColor outerTopLeft, outerBottomRight, innerTopLeft, innerBottomRight;
    } cases[] = {
        {EDGE_SUNKEN, BF_RECT, clBtnShadow, clBtnHighlight, cl3DDkShadow, cl3DLight},
        {EDGE_RAISED, BF_RECT, cl3DLight, cl3DDkShadow, clBtnHighlight, clBtnShadow},
        {BDR_RAISEDOUTER, BF_RECT | BF_MONO, clWindowFrame, clWindowFrame, clRed, clRed},
    };
    for (const Case& k : cases) {
        TBitmap b;
        b.SetSize(10, 10);
        b.Canvas()->Brush()->SetColor(clRed);
        b.Canvas()->FillRect(TRect(0, 0, 10, 10));
        TRect r(0, 0, 10, 10);
        EXPECT_TRUE(DrawEdge(b.Canvas(), r, k.edge, k.flags));
        EXPECT_EQ(r, TRect(0, 0, 10, 10));  // no BF_ADJUST
        Ring o = RingAt(b, 0), i = RingAt(b, 1);
        EXPECT_EQ(o.top, ColorToRGB(k.outerTopLeft));
        EXPECT_EQ(o.left, ColorToRGB(k.outerTopLeft));
        EXPECT_EQ(o.bottom, ColorToRGB(k.outerBottomRight));
        EXPECT_EQ(o.right, ColorToRGB(k.outerBottomRight));
        EXPECT_EQ(i.top, ColorToRGB(k.innerTopLeft));
        EXPECT_EQ(i.bottom, ColorToRGB(k.innerBottomRight));
        EXPECT_EQ(b.Canvas()->GetPixel(5, 5), clRed);  // inside untouched
        // The bottom-right colour takes the top-right and bottom-left corners.
        EXPECT_EQ(b.Canvas()->GetPixel(9, 0), ColorToRGB(k.outerBottomRight));
        EXPECT_EQ(b.Canvas()->GetPixel(0, 9), ColorToRGB(k.outerBottomRight));
    }
}

TEST(DrawEdge, AdjustShrinksByTheBordersAndMiddleFills) {
    EnsureGuiApplication();
    TBitmap b;
    b.SetSize(10, 10);
    TRect r(0, 0, 10, 10);
    b.Canvas()->Pen()->SetColor(clLime);
    DrawEdge(b.Canvas(), r, EDGE_SUNKEN, BF_RECT | BF_ADJUST | BF_MIDDLE);
    EXPECT_EQ(r, TRect(2, 2, 8, 8));
    EXPECT_EQ(b.Canvas()->GetPixel(5, 5), ColorToRGB(clBtnFace));
    EXPECT_EQ(b.Canvas()->Pen()->Color(), clLime);
    // Only the named sides.
    TRect top(0, 0, 10, 10);
    b.Canvas()->Brush()->SetColor(clRed);
    b.Canvas()->FillRect(top);
    DrawEdge(b.Canvas(), top, BDR_SUNKENOUTER, BF_TOP | BF_ADJUST);
    EXPECT_EQ(top, TRect(0, 1, 10, 10));
    EXPECT_EQ(b.Canvas()->GetPixel(0, 5), clRed);
    EXPECT_EQ(b.Canvas()->GetPixel(5, 0), ColorToRGB(clBtnShadow));
}

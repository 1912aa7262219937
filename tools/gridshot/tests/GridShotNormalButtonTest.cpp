// A column's own detail button seen in gridshot pictures: its glyph in
// place of the default face, its transparent colour, and the button gone
// again once freed.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <QImage>

#include "grid/GridButtons.h"
#include "platform/gui/Bitmap.h"
#include "tools/gridshot/GridShot.h"

namespace {

constexpr QRgb kBlack = 0x000000, kFace = 0xF0F0F0;
// An opaque glyph is merged with the face colour: red and green as they
// show on the face.
constexpr QRgb kFaceRed = 0xFF0000 & kFace, kFaceGreen = 0x00FF00 & kFace;

QRgb Pixel(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

int CountColour(const QImage& image, const TRect& r, QRgb colour) {
    int n = 0;
    for (int y = std::max(0, r.Top); y < std::min(image.height(), r.Bottom); ++y)
        for (int x = std::max(0, r.Left); x < std::min(image.width(), r.Right); ++x)
            if (Pixel(image, x, y) == colour) ++n;
    return n;
}

// A red glyph with a green one-pixel frame.
std::unique_ptr<TBitmap> FramedGlyph(int w, int h) {
    auto b = std::make_unique<TBitmap>();
    b->SetSize(w, h);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(TColor(0x0000FF));
    c->FillRect(TRect(0, 0, w, h));
    c->Brush()->SetColor(TColor(0x00FF00));
    c->FrameRect(TRect(0, 0, w, h));
    return b;
}

TEST(GridShotNormalButton, TheGlyphReplacesTheDefaultFace) {
    struct Case {
        const char* name;
        TColor transparent;
        QRgb centre;  // what the glyph's inner pixels show
    } cases[] = {
        {"opaque glyph", grColorNotSet, kFaceRed},
        {"red is transparent: the face shows through", TColor(0x0000FF), kFace},
    };
    for (const Case& c : cases) {
        TGridShot shot;
        shot.Run(R"({"width":300,"height":100,"grid":{"Cols":2,"Rows":2,"InactiveButtonState":"ibsPicture"},
          "columns":[{"Width":90,"ButtonType":"btNormal"},{"Width":90,"ButtonType":"btNormal"}],
          "rows":[["a","b"],["c","d"]]})");
        TgrShotGrid* g = shot.Grid();
        auto glyph = FramedGlyph(12, 8);
        g->Col(1)->SetButton(glyph.get(), 8, 14, c.transparent);
        TgrCellPaintInfo info, other;
        ASSERT_TRUE(g->FillDrawInfo(1, 1, info));
        ASSERT_TRUE(g->FillDrawInfo(2, 1, other));
        QImage p = shot.Picture();
        const TRect& b = info.ButtonRect;
        EXPECT_EQ(b.Width(), 14 + 2 * g->ButtonEdgeWidth()) << c.name;
        // The face is as high as the button (the glyph's 8 and the edges).
        TRect face(b.Left, b.Top, b.Right, b.Top + 8 + 2 * g->ButtonEdgeWidth());
        int cx = int(b.Left + b.Right) / 2, cy = int(face.Top + face.Bottom) / 2;
        EXPECT_EQ(Pixel(p, cx, cy), c.centre) << c.name;
        EXPECT_GT(CountColour(p, face, c.transparent == grColorNotSet ? kFaceGreen : 0x00FF00), 20)
            << c.name << ": the glyph's frame";
        EXPECT_EQ(CountColour(p, face, kBlack), 0) << c.name << ": no default dots";
        // The column without a button of its own keeps the default dots.
        EXPECT_GT(CountColour(p, other.ButtonRect, kBlack), 0) << c.name;
        EXPECT_EQ(CountColour(p, other.ButtonRect, kFaceGreen), 0) << c.name;

        // Freed, the column shows the default button again.
        g->Col(1)->FreeButton();
        p = shot.Picture();
        ASSERT_TRUE(g->FillDrawInfo(1, 1, info));
        EXPECT_EQ(CountColour(p, info.ButtonRect, kFaceGreen), 0) << c.name;
        EXPECT_GT(CountColour(p, info.ButtonRect, kBlack), 0) << c.name;
    }
}

TEST(GridShotNormalButton, APressedGlyphMovesOnePixel) {
    TGridShot shot;
    shot.Run(R"({"width":300,"height":100,"grid":{"Cols":1,"Rows":2},
      "columns":[{"Width":90,"ButtonType":"btNormal"}],"rows":[["a"],["b"]]})");
    TgrShotGrid* g = shot.Grid();
    auto glyph = FramedGlyph(10, 6);
    g->Col(1)->SetButton(glyph.get(), 6, 10, grColorNotSet);
    TgrCellPaintInfo info;
    ASSERT_TRUE(g->FillDrawInfo(1, 1, info));
    const TRect b = info.ButtonRect;
    // The left-most column of green frame pixels.
    auto frameLeft = [&](const QImage& p) {
        for (int x = int(b.Left); x < int(b.Right); ++x)
            for (int y = int(b.Top); y < int(b.Bottom); ++y)
                if (Pixel(p, x, y) == kFaceGreen) return x;
        return -1;
    };
    int up = frameLeft(shot.Picture());
    ASSERT_GE(up, 0);
    g->MouseDown(mbLeft, {}, int(b.Left + 3), int(b.Top + 3));
    EXPECT_EQ(frameLeft(shot.Picture()), up + 1);
    g->MouseUp(mbLeft, {}, int(b.Left + 3), int(b.Top + 3));
    EXPECT_EQ(frameLeft(shot.Picture()), up);
}

}  // namespace

// Right-to-left grids: the same grid laid out from the right edge, with
// clicks and scrolling mirrored, against its left-to-right twin.

#include <gtest/gtest.h>

#include <string>

#include <QImage>

#include "tools/gridshot/GridShot.h"

namespace {

std::string Scenario(bool mirrored, const std::string& script) {
    return std::string(R"({"width":300,"height":120,"grid":{"Cols":3,"Rows":3,"HeadingColor":"#ff0000",)") +
           "\"RightToLeft\":" + (mirrored ? "true" : "false") +
           R"(},"columns":[{"Heading":"A","Width":50,"Color":"#00ff00"},{"Heading":"B","Width":60},
              {"Heading":"C","Width":70,"Color":"#0000ff"}],
             "rows":[["a1","b1","c1"],["a2","b2","c2"],["a3","b3","c3"]],"script":[)" +
           script + "]}";
}

QRgb At(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

TEST(GridShotMirror, ColumnsRunFromTheRightEdgeAndTextsStayReadable) {
    TGridShot plain, mirrored;
    plain.Run(Scenario(false, ""));
    mirrored.Run(Scenario(true, ""));
    QImage p = plain.Picture(), m = mirrored.Picture();
    int w = plain.Grid()->ClientWidth();
    ASSERT_EQ(w, mirrored.Grid()->ClientWidth());
    // Column colours sampled in the middle of a data cell (row 2), and the
    // red heading row, mirrored across the client width.
    struct Sample {
        const char* what;
        int x, y;
    } samples[] = {{"row bar", 5, 40}, {"column A", 14 + 25, 40}, {"column C", 14 + 50 + 60 + 35, 44},
                   {"heading", 14 + 50 + 30, 5}, {"beyond the cells", 260, 60}};
    for (const Sample& s : samples) EXPECT_EQ(At(m, w - 1 - s.x, s.y), At(p, s.x, s.y)) << s.what;
    EXPECT_EQ(At(m, w - 1 - 39, 44), 0x00FF00u);
    EXPECT_EQ(At(m, w - 1 - 159, 44), 0x0000FFu);
    // Texts are not mirrored: the picture is not the plain one flipped.
    EXPECT_FALSE(m == p.mirrored(true, false));
}

TEST(GridShotMirror, ClicksAndCellRectanglesAreMirrored) {
    TGridShot plain, mirrored;
    plain.Run(Scenario(false, R"({"clickAt":[150,60]})"));
    // The same cell seen from the right edge.
    int w = plain.Grid()->ClientWidth();
    mirrored.Run(Scenario(true, "{\"clickAt\":[" + std::to_string(w - 1 - 150) + ",60]}"));
    EXPECT_EQ(mirrored.Grid()->CurrentDisplayCol(), plain.Grid()->CurrentDisplayCol());
    EXPECT_EQ(mirrored.Grid()->CurrentDisplayRow(), plain.Grid()->CurrentDisplayRow());
    TRect a = plain.Grid()->CellPixels(2, 1), b = mirrored.Grid()->CellPixels(2, 1);
    EXPECT_EQ(b.Left, w - a.Right);
    EXPECT_EQ(b.Right, w - a.Left);
    EXPECT_EQ(b.Top, a.Top);
    TCellCoord_ts under = mirrored.Grid()->MouseCoord(w - 1 - 20, a.Top + 2);
    EXPECT_EQ(under.Col, 1) << w << " " << a.Top;
    EXPECT_EQ(under.Row, 1);
}

TEST(GridShotMirror, ScrollingIsMirrored) {
    auto wide = [](bool mirrored) {
        return std::string(R"({"width":200,"height":120,"grid":{"Cols":8,"Rows":3,"RightToLeft":)") +
               (mirrored ? "true" : "false") + R"(},"rows":[["a","b","c","d","e","f","g","h"]],
               "script":[{"scroll":[4,1]}]})";
    };
    TGridShot plain, mirrored;
    plain.Run(wide(false));
    mirrored.Run(wide(true));
    ASSERT_EQ(mirrored.Grid()->TopLeftCell().Col, 4);
    // The first scrolled column stands next to the row bar, at the right.
    int w = mirrored.Grid()->ClientWidth();
    TRect first = mirrored.Grid()->CellPixels(4, 1), shown = plain.Grid()->CellPixels(4, 1);
    EXPECT_EQ(first.Right, w - shown.Left);
    EXPECT_TRUE(mirrored.Grid()->CellPixels(2, 1).IsEmpty());
    // A scroll-bar line step towards the right edge goes back to the start
    // of a mirrored grid, forward in a plain one.
    plain.Grid()->HandleScroll(true, 1, 0, true);
    mirrored.Grid()->HandleScroll(true, 1, 0, true);
    EXPECT_EQ(plain.Grid()->TopLeftCell().Col, 5);
    EXPECT_EQ(mirrored.Grid()->TopLeftCell().Col, 3);
    // The pixels moved by the scroll match a full repaint.
    for (TGridShot* shot : {&plain, &mirrored}) {
        QImage scrolled = shot->Picture();
        shot->Grid()->Invalidate();
        EXPECT_TRUE(scrolled == shot->Picture()) << (shot == &mirrored ? "mirrored" : "plain");
    }
}

TEST(GridShotMirror, DraggingAColumnEdgeResizesFromTheRight) {
    TGridShot plain, mirrored;
    // Column A's edge lies at pixel 14 + 50 - 1; dragged 20 pixels on.
    plain.Run(Scenario(false, R"({"drag":[[63,5],[83,5]]})"));
    int w = plain.Grid()->ClientWidth();
    mirrored.Run(Scenario(true, "{\"drag\":[[" + std::to_string(w - 1 - 63) + ",5],[" + std::to_string(w - 1 - 83) +
                                    ",5]]}"));
    EXPECT_EQ(plain.Grid()->Col(1)->Width(), 70);
    EXPECT_EQ(mirrored.Grid()->Col(1)->Width(), 70);
}

TEST(GridShotMirror, TheHorizontalScrollBarRunsFromTheRight) {
    auto wide = [](bool mirrored) {
        return std::string(R"({"width":200,"height":120,"grid":{"Cols":8,"Rows":3,"RightToLeft":)") +
               (mirrored ? "true" : "false") + "}}";
    };
    TGridShot plain, mirrored;
    plain.Run(wide(false));
    mirrored.Run(wide(true));
    TgrShotGrid* g = mirrored.Grid();
    int w = g->ClientWidth(), barY = g->ClientHeight() + ScrollBarThickness / 2;
    QImage p = plain.Picture(), m = mirrored.Picture();
    // At the start the thumb sits next to the first arrow: left when plain,
    // right when mirrored.
    int nearFirst = ScrollBarThickness + 2;
    EXPECT_EQ(At(m, w - 1 - nearFirst, barY), At(p, nearFirst, barY));
    EXPECT_EQ(At(m, nearFirst, barY), At(p, w - 1 - nearFirst, barY));
    EXPECT_NE(At(p, nearFirst, barY), At(p, w - 1 - nearFirst, barY));
    // A press on the left arrow of the mirrored bar scrolls forward.
    g->MouseDown(mbLeft, {}, 3, barY);
    g->MouseUp(mbLeft, {}, 3, barY);
    EXPECT_EQ(g->TopLeftCell().Col, 2);
}

}  // namespace

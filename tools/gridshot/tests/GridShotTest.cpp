// Pictures and states of grids built by the gridshot harness: a few pixels
// of each painted feature, and the state after scripted input.

#include <gtest/gtest.h>

#include <string>

#include <QImage>

#include "tools/gridshot/GridShot.h"

namespace {

// Pixels in r darker than mid grey.
int DarkPixels(const QImage& image, const TRect& r) {
    int n = 0;
    for (int y = std::max(0, r.Top); y < std::min(image.height(), r.Bottom); ++y)
        for (int x = std::max(0, r.Left); x < std::min(image.width(), r.Right); ++x)
            if (qGray(image.pixel(x, y)) < 100) ++n;
    return n;
}

QRgb Pixel(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

// Five columns of texts, a right-aligned one, a check-box column, a combo
// column and a wrapping one over 20 rows.
std::string Scenario(const std::string& extraGrid, const std::string& script, int width = 420, int height = 240,
                     int rows = 20, int cols = 5) {
    std::string values;
    for (int r = 1; r <= rows; ++r)
        values += std::string(r > 1 ? "," : "") + "[\"Row " + std::to_string(r) + "\",\"" + std::to_string(r * 7) +
                  "\"," + std::to_string(r % 2) + ",\"pick\",\"words that wrap in a narrow cell\"]";
    return "{\"width\":" + std::to_string(width) + ",\"height\":" + std::to_string(height) +
           ",\"grid\":{\"Cols\":" + std::to_string(cols) + ",\"Rows\":" + std::to_string(rows) + extraGrid +
           "},\"columns\":[{\"Heading\":\"Name\",\"Width\":90},{\"Heading\":\"Score\",\"HorzAlignment\":\"htaRight\"},"
           "{\"Heading\":\"Done\",\"ControlType\":\"ctCheck\"},{\"Heading\":\"Pick\",\"ButtonType\":\"btCombo\"},"
           "{\"Heading\":\"Notes\",\"Width\":60,\"WordWrap\":\"wwOn\"}],\"rows\":[" +
           values + "],\"script\":[" + script + "]}";
}

class GridShot : public ::testing::Test {
protected:
    QImage Shoot(const std::string& scenario) {
        shot.Run(scenario);
        return shot.Picture();
    }
    TRect Cell(Integer c, Integer r) { return shot.Grid()->CellPixels(c, r); }
    TGridShot shot;
};

TEST_F(GridShot, AFinishedGridShowsEachFeature) {
    // The focus frame shows on a current cell without its editor: the
    // editor shows only while an edit runs.
    QImage p = Shoot(Scenario(",\"FocusBorder\":\"fbSingle\",\"AlwaysShowFocus\":true,\"AlwaysShowEditor\":false",
                              "{\"key\":\"VK_DOWN\"},{\"key\":\"VK_RIGHT\"},{\"key\":\"VK_RIGHT\"},{\"key\":\"VK_RIGHT\"},"
                              "{\"call\":\"SelectRows\",\"args\":[5,6]}"));
    TgrShotGrid* g = shot.Grid();
    ASSERT_EQ(g->CurrentDisplayCol(), 4);
    ASSERT_EQ(g->CurrentDisplayRow(), 2);

    // Heading captions and cell texts.
    EXPECT_GT(DarkPixels(p, Cell(1, 0)), 10) << "heading caption";
    EXPECT_GT(DarkPixels(p, Cell(1, 1)), 10) << "cell text";
    // Right alignment: the number sits in the right half of its cell.
    TRect score = Cell(2, 3);
    int mid = (score.Left + score.Right) / 2;
    EXPECT_EQ(DarkPixels(p, TRect(score.Left, score.Top, mid, score.Bottom - 1)), 0);
    EXPECT_GT(DarkPixels(p, TRect(mid, score.Top, score.Right, score.Bottom - 1)), 5);
    // Grid lines in LineColor on the right and bottom edge of data cells.
    TRect c11 = Cell(1, 1);
    EXPECT_EQ(Pixel(p, c11.Right - 1, c11.Top + 3), 0xC0C0C0u);
    EXPECT_EQ(Pixel(p, c11.Left + 3, c11.Bottom - 1), 0xC0C0C0u);
    // Row bar: the current row's indicator, none on other rows.
    EXPECT_GT(DarkPixels(p, Cell(0, 2)), 3);
    EXPECT_EQ(DarkPixels(p, TRect(Cell(0, 3).Left, Cell(0, 3).Top, Cell(0, 3).Right - 1, Cell(0, 3).Bottom - 1)), 0);
    // Check boxes: a checked box (row 1) has its mark, an unchecked one (row
    // 2) only its frame.
    EXPECT_GT(DarkPixels(p, Cell(3, 1)), DarkPixels(p, Cell(3, 2)) + 5);
    EXPECT_GT(DarkPixels(p, Cell(3, 2)), 0);
    // With InactiveButtonState ibsBackGround every combo cell shows its
    // button on the face colour, not only the current one.
    TRect combo = Cell(4, 2), plain = Cell(4, 3);
    EXPECT_NE(Pixel(p, combo.Right - 4, combo.Top + 3), 0xFFFFFFu);
    EXPECT_EQ(Pixel(p, plain.Right - 4, plain.Top + 3), 0xF0F0F0u);
    EXPECT_GT(DarkPixels(p, TRect(combo.Right - 15, combo.Top, combo.Right - 1, combo.Bottom - 1)), 3) << "arrow";
    // Selected rows are inverted: dark background, light text.
    EXPECT_GT(DarkPixels(p, Cell(1, 5)), Cell(1, 5).Width() * Cell(1, 5).Height() / 2);
    EXPECT_LT(DarkPixels(p, Cell(1, 4)), Cell(1, 4).Width() * Cell(1, 4).Height() / 4);
    // The single focus frame lies on the grid lines around the current cell.
    EXPECT_EQ(Pixel(p, combo.Left - 1, combo.Top + 5), 0u);
    EXPECT_EQ(Pixel(p, combo.Left + 5, combo.Top - 1), 0u);
    // 20 rows do not fit: a vertical bar; 5 columns do: no horizontal one.
    EXPECT_TRUE(g->ScrollBarShown(TCustomControl::sbVertical));
    EXPECT_FALSE(g->ScrollBarShown(TCustomControl::sbHorizontal));
    EXPECT_GT(DarkPixels(p, TRect(g->ClientWidth(), 0, g->Width(), 17)), 3) << "arrow of the vertical bar";
}

TEST_F(GridShot, WordWrapUsesTheSecondLineOfATallRow) {
    QImage p = Shoot(Scenario(",\"DefaultRowHeight\":30", ""));
    TRect notes = Cell(5, 1);
    int half = notes.Top + 14;
    TRect name = Cell(1, 2);
    int nameHalf = name.Top + 14;
    EXPECT_GT(DarkPixels(p, TRect(notes.Left, notes.Top, notes.Right - 1, half)), 5);
    EXPECT_GT(DarkPixels(p, TRect(notes.Left, half, notes.Right - 1, notes.Bottom - 1)), 5);
    // A short text keeps to its first line.
    EXPECT_EQ(DarkPixels(p, TRect(name.Left, nameHalf, name.Right - 1, name.Bottom - 1)), 0);
}

TEST_F(GridShot, LargeGridsScrollBothWays) {
    QImage p = Shoot(Scenario(",\"DefaultColWidth\":40", "{\"scroll\":[20,150]}", 420, 240, 200, 60));
    TgrShotGrid* g = shot.Grid();
    EXPECT_TRUE(g->ScrollBarShown(TCustomControl::sbHorizontal));
    EXPECT_TRUE(g->ScrollBarShown(TCustomControl::sbVertical));
    EXPECT_EQ(g->TopLeftCell(), (TCellCoord_ts{20, 150}));
    // The thumbs moved away from the start of their tracks.
    int x = g->ClientWidth() + 8;
    int firstThumbRow = -1;
    for (int y = 18; y < g->ClientHeight() - 17 && firstThumbRow < 0; ++y)
        if (Pixel(p, x, y) == 0xF0F0F0u) firstThumbRow = y;
    EXPECT_GT(firstThumbRow, 18 + 40);
}

TEST_F(GridShot, ScrollBarArrowsAndTrackScroll) {
    shot.Run(Scenario("", "", 420, 240, 200, 5));
    TgrShotGrid* g = shot.Grid();
    ASSERT_TRUE(g->ScrollBarShown(TCustomControl::sbVertical));
    Integer x = g->ClientWidth() + 8;
    auto click = [&](Integer y) {
        g->MouseDown(mbLeft, {}, int(x), int(y));
        g->MouseUp(mbLeft, {}, int(x), int(y));
        return g->TopLeftCell().Row;
    };
    EXPECT_EQ(click(g->ClientHeight() - 5), 2) << "down arrow";
    EXPECT_EQ(click(5), 1) << "up arrow";
    EXPECT_EQ(click(5), 1) << "nothing above the first row";
    Integer paged = click(g->ClientHeight() - 30);
    EXPECT_GT(paged, 5) << "track below the thumb pages down";
    EXPECT_EQ(g->CurrentDisplayRow(), 1) << "scrolling leaves the current cell";
}

TEST_F(GridShot, StateFollowsScriptedInput) {
    shot.Run(Scenario("", "{\"key\":\"VK_END\",\"shift\":[\"ssCtrl\"]},{\"key\":\"VK_UP\"},{\"click\":[2,6]}"));
    std::string state = shot.StateJson();
    EXPECT_NE(state.find("\"current\":[2,6]"), std::string::npos) << state;
    EXPECT_NE(state.find("\"values\":[[\"Row 1\",\"7\",\"1\",\"pick\""), std::string::npos) << state;
}

TEST(GridShotScenario, BadScenariosAreRefusedByName) {
    const char* bad[] = {
        "not json",
        "{\"grid\":{\"Colz\":3}}",
        "{\"grid\":{\"GridMode\":\"gmFancy\"}}",
        "{\"script\":[{\"key\":\"VK_NOPE\"}]}",
        "{\"width\":-5}",
        "{\"grid\":{\"Color\":\"red\"}}",
    };
    for (const char* s : bad) {
        TGridShot shot;
        EXPECT_THROW(shot.Run(s), EGridShotError) << s;
    }
}

}  // namespace

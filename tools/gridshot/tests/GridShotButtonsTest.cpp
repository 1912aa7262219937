// Pictures in cells, heading buttons with sort pictures, spin and flat
// cell buttons, row-bar picture placement and edit colours, seen through
// gridshot pictures (a few pixels each) and driven with synthesised mouse
// and key input on the real grid class.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <QImage>

#include "platform/core/Clock.h"
#include "platform/gui/Timers.h"
#include "grid/TSImageList.h"
#include "tools/gridshot/GridShot.h"

namespace {

constexpr QRgb kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;

QRgb Pixel(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

int CountColour(const QImage& image, const TRect& r, QRgb colour) {
    int n = 0;
    for (int y = std::max(0, r.Top); y < std::min(image.height(), r.Bottom); ++y)
        for (int x = std::max(0, r.Left); x < std::min(image.width(), r.Right); ++x)
            if (Pixel(image, x, y) == colour) ++n;
    return n;
}

class GridShotButtons : public ::testing::Test {
protected:
    void SetUp() override { SetCurrentClock(&clock); }
    void TearDown() override { SetCurrentClock(nullptr); }
    QImage Shoot(const std::string& scenario) {
        shot.Run(scenario);
        g = shot.Grid();
        return shot.Picture();
    }
    // The cell less its grid lines.
    TRect Cell(Integer c, Integer r) {
        TRect rc = g->CellPixels(c, r);
        return TRect(rc.Left, rc.Top, rc.Right - 1, rc.Bottom - 1);
    }
    void Press(Integer x, Integer y) { g->MouseDown(mbLeft, {}, int(x), int(y)); }
    void Move(Integer x, Integer y) { g->MouseMove(TShiftState{ssLeft}, int(x), int(y)); }
    void Release(Integer x, Integer y) { g->MouseUp(mbLeft, {}, int(x), int(y)); }
    void Click(Integer x, Integer y) {
        Press(x, y);
        Release(x, y);
    }
    std::string Text(Integer c, Integer r) { return g->GetCellValue(c, r).AsString(); }
    ManualClock clock{1000};
    TGridShot shot;
    TgrShotGrid* g = nullptr;
};

// A red 10 x 6 picture with a green frame in rows of 30 pixels; each
// column fits it another way.
std::string PictureScenario(const std::string& extraGrid, const std::string& script = "") {
    const char* pic = R"({"bitmap":[10,6,"#ff0000"],"frame":"#00ff00"})";
    std::string row = std::string("[") + pic + "," + pic + "," + pic + "," + pic + "]";
    return std::string(R"({"width":360,"height":120,"grid":{"Cols":4,"Rows":2,"DefaultRowHeight":30)") +
           extraGrid +
           R"(},"columns":[{"ControlType":"ctPicture"},)"
           R"({"ControlType":"ctPicture","StretchPicture":"dopOff"},)"
           R"({"ControlType":"ctPicture","StretchPicture":"dopOff","CenterPicture":"dopOff"},)"
           R"({"ControlType":"ctPicture","StretchPicture":"dopOff","Is3D":true}],)"
           R"("rows":[)" +
           row + "," + row + R"(],"script":[)" + script + "]}";
}

TEST_F(GridShotButtons, PicturesAreFittedByTheirOptions) {
    QImage p = Shoot(PictureScenario(""));
    // Stretched (the grid's default): the picture fills the cell, frame at
    // the edges, red inside.
    TRect s = Cell(1, 2);
    EXPECT_EQ(Pixel(p, (s.Left + s.Right) / 2, (s.Top + s.Bottom) / 2), kRed);
    EXPECT_EQ(CountColour(p, s, kWhite), 0) << "nothing of the background shows";
    // Kept at its size and centred: red in the middle, background around,
    // a 10 x 6 picture.
    TRect m = Cell(2, 2);
    int cx = (m.Left + m.Right) / 2, cy = (m.Top + m.Bottom) / 2;
    EXPECT_EQ(Pixel(p, cx, cy), kRed);
    EXPECT_EQ(Pixel(p, m.Left + 2, m.Top + 2), kWhite);
    EXPECT_EQ(CountColour(p, m, kRed) + CountColour(p, m, kGreen), 60);
    // Kept at its size at the top left: its frame in the cell's corner.
    TRect t = Cell(3, 2);
    EXPECT_EQ(Pixel(p, t.Left, t.Top), kGreen);
    EXPECT_EQ(Pixel(p, t.Left + 4, t.Top + 3), kRed);
    EXPECT_EQ(Pixel(p, cx - m.Left + t.Left + 10, t.Top + 20), kWhite);
    // The state names pictures by their size.
    EXPECT_NE(shot.StateJson().find("[\"picture 10x6\",\"picture 10x6\""), std::string::npos) << shot.StateJson();
    // A raised cell shows its picture on the button face.
    TRect d = Cell(4, 2);
    EXPECT_EQ(Pixel(p, d.Right - 3, d.Bottom - 3), 0xF0F0F0u);
    EXPECT_GT(CountColour(p, d, kRed), 0);
}

TEST_F(GridShotButtons, TransparentColourLeavesTheBackground) {
    struct Case {
        const char* name;
        std::string grid;
        QRgb frame;  // what the picture's frame pixels show
    } cases[] = {
        {"no transparent colour", "", kGreen},
        {"the grid's transparent colour", R"(,"TransparentColor":"#00ff00")", kWhite},
    };
    for (const Case& c : cases) {
        TGridShot local;
        local.Run(PictureScenario(c.grid));
        QImage p = local.Picture();
        TRect t = local.Grid()->CellPixels(3, 2);
        EXPECT_EQ(Pixel(p, t.Left, t.Top), c.frame) << c.name;
        EXPECT_EQ(Pixel(p, t.Left + 4, t.Top + 3), kRed) << c.name;
    }
}

TEST_F(GridShotButtons, SelectionColourIsBlendedOverPictures) {
    QImage p = Shoot(PictureScenario(R"(,"SelectionType":"sltColor","SelectionColor":"#0000ff")",
                                     R"({"call":"SelectRows","args":[2,2]})"));
    // Every other pixel of a selected picture cell takes the selection
    // colour, counted from the cell's corner; the others keep the picture.
    TRect s = Cell(1, 2);
    int x = s.Left + 10, y = s.Top + 10;
    EXPECT_EQ(Pixel(p, x, y), kBlue);
    EXPECT_EQ(Pixel(p, x + 1, y), kRed);
    EXPECT_EQ(Pixel(p, x, y + 1), kRed);
    EXPECT_EQ(Pixel(p, x + 1, y + 1), kBlue);
    EXPECT_EQ(Pixel(p, s.Left, s.Top), kBlue) << "the pattern starts at the cell's corner";
    // The background around an unstretched picture is blended too.
    TRect m = Cell(2, 2);
    EXPECT_EQ(Pixel(p, m.Left + 2, m.Top + 2), kBlue);
    EXPECT_EQ(Pixel(p, m.Left + 3, m.Top + 2), kWhite);
    // Row 1 is not selected: no blue.
    EXPECT_EQ(CountColour(p, Cell(1, 1), kBlue), 0);
}

// An image list that knows one picture by name.
class TOneImageList : public TgrImageListComponent {
public:
    TOneImageList() : TgrImageListComponent(nullptr) {
        image.SetSize(8, 8);
        image.Canvas()->Brush()->SetColor(TColor(0xFF0000));
        image.Canvas()->FillRect(TRect(0, 0, 8, 8));
    }
    void AddLink(TgrImageLink* link) override { link->ImageListComponent = this; }
    void RemoveLink(TgrImageLink* link) override { link->ImageListComponent = nullptr; }
    TBitmap* FindImage(const std::string& name, TColor& transparent) override {
        transparent = clNone;
        return name == "blue" ? &image : nullptr;
    }
    TBitmap image;
};

TEST_F(GridShotButtons, APictureNamedByTextComesFromTheImageList) {
    TOneImageList list;
    Shoot(PictureScenario(""));
    g->SetImageList(&list);
    g->PutCellValue(1, 2, Variant(std::string("blue")));
    g->PutCellValue(2, 2, Variant(std::string("unknown")));
    g->Invalidate();
    QImage p = shot.Picture();
    TRect s = Cell(1, 2), m = Cell(2, 2);
    EXPECT_EQ(Pixel(p, (s.Left + s.Right) / 2, (s.Top + s.Bottom) / 2), kBlue);
    EXPECT_EQ(CountColour(p, m, kWhite), m.Width() * m.Height()) << "an unknown name shows an empty cell";
    g->SetImageList(nullptr);
}

TEST_F(GridShotButtons, TheFocusDotsOfAPictureCellLieOnAFrame) {
    // The stretched picture fills cell (1, 1), the current cell.
    QImage p = Shoot(PictureScenario(""));
    ASSERT_EQ(g->CurrentDisplayCol(), 1);
    TRect s = Cell(1, 1);
    // Along the cell's left edge the dots lie on the grid colour: black
    // and white only, never the picture's red or its inverse.
    for (Integer y = s.Top; y < s.Bottom; ++y) {
        QRgb px = Pixel(p, int(s.Left), int(y));
        EXPECT_TRUE(px == kWhite || px == 0u) << y << ": " << std::hex << px;
    }
    EXPECT_EQ(Pixel(p, int(s.Left + s.Right) / 2, int(s.Top + s.Bottom) / 2), kRed);
}

// Three headings: a heading button with an up arrow, a right-aligned one
// with a down arrow, and one whose heading is no button.
const char* kHeadingScenario = R"({"width":360,"height":120,
  "grid":{"Cols":3,"Rows":3,"HeadingButton":"hbButton","HeadingHeight":18},
  "columns":[{"Heading":"Name","Width":90,"SortPicture":"spUp"},
             {"Heading":"Score","Width":90,"SortPicture":"spDown","HeadingHorzAlignment":"htaRight"},
             {"Heading":"Plain","Width":90,"SortPicture":"spUp","HeadingButton":"cbNone"}],
  "rows":[["a","1","x"],["b","2","y"],["c","3","z"]]})";

TEST_F(GridShotButtons, HeadingButtonsShowTheirSortPictures) {
    QImage p = Shoot(kHeadingScenario);
    TRect name = Cell(1, 0), score = Cell(2, 0), plain = Cell(3, 0);
    constexpr QRgb kShade = 0x808080;
    // The picture sits in the 14 pixels at the right, or at the left for a
    // right-aligned heading; the heading without a button shows none.
    EXPECT_GT(CountColour(p, TRect(name.Right - 14, name.Top, name.Right, name.Bottom), kShade), 8);
    EXPECT_EQ(CountColour(p, TRect(name.Right - 40, name.Top + 2, name.Right - 16, name.Bottom), kShade), 0);
    EXPECT_GT(CountColour(p, TRect(score.Left, score.Top, score.Left + 14, score.Bottom), kShade), 8);
    EXPECT_EQ(CountColour(p, TRect(plain.Right - 14, plain.Top + 2, plain.Right, plain.Bottom), kShade), 0);
    // Up and down pictures differ: the up arrow is wider at its bottom.
    auto widthAt = [&](const TRect& area, int y) {
        return CountColour(p, TRect(area.Left, y, area.Right, y + 1), kShade);
    };
    TRect upArea(name.Right - 14, name.Top, name.Right, name.Bottom);
    TRect downArea(score.Left, score.Top, score.Left + 14, score.Bottom);
    EXPECT_GT(widthAt(upArea, name.Top + 10), widthAt(upArea, name.Top + 5));
    EXPECT_LT(widthAt(downArea, score.Top + 10), widthAt(downArea, score.Top + 5));
}

TEST_F(GridShotButtons, HeadingButtonPressClicksWithoutSelectingTheColumn) {
    Shoot(kHeadingScenario);
    std::vector<std::string> events;
    g->OnHeadingDown = [&](TObject*, Integer c) { events.push_back("down " + std::to_string(c)); };
    g->OnHeadingUp = [&](TObject*, Integer c) { events.push_back("up " + std::to_string(c)); };
    g->OnHeadingClick = [&](TObject*, Integer c) { events.push_back("click " + std::to_string(c)); };
    TRect name = Cell(1, 0);
    Integer bx = name.Right - 6, by = name.Top + 6;
    ASSERT_TRUE(g->IsOverHeadingButton(bx, by, 1));
    EXPECT_FALSE(g->IsOverHeadingButton(name.Left + 10, by, 1));

    // Held, the button shows pressed: black on its top-left edge.
    Press(bx, by);
    QImage held = shot.Picture();
    TgrCellPaintInfo info;
    ASSERT_TRUE(g->FillDrawInfo(1, 0, info));
    EXPECT_EQ(Pixel(held, int(info.ButtonRect.Left), int(info.ButtonRect.Top + 4)), 0u);
    Release(bx, by);
    QImage up = shot.Picture();
    EXPECT_EQ(Pixel(up, int(info.ButtonRect.Left), int(info.ButtonRect.Top + 4)), kWhite);
    EXPECT_EQ(events, (std::vector<std::string>{"down 1", "up 1", "click 1"}));
    EXPECT_EQ(g->GridStatus(), gsNormal) << "a heading button does not select its column";

    // Released off the button: no click.
    events.clear();
    Press(bx, by);
    Move(name.Left + 10, by);
    Release(name.Left + 10, by);
    EXPECT_EQ(events, (std::vector<std::string>{"down 1", "up 1"}));

    // The rest of the heading still selects the column.
    Click(name.Left + 10, by);
    EXPECT_TRUE(g->IsDisplayColSelected(1));
}

// A vertical spin column stepping by 5 and a horizontal one by 1.
std::string SpinScenario(const std::string& options = "") {
    return std::string(R"({"width":360,"height":120,"grid":{"Cols":2,"Rows":3,"DefaultRowHeight":22},
      "columns":[{"Heading":"V","Width":90,"ButtonType":"btVertSpin","SpinIncrement":5)") +
           options + R"(},{"Heading":"H","Width":90,"ButtonType":"btHorzSpin"}],
      "rows":[["10","7"],["20","8"],["","9"]]})";
}

TEST_F(GridShotButtons, SpinPressesStepTheValue) {
    Shoot(SpinScenario());
    std::vector<std::string> events;
    auto name = [](TgrSpinButton b) { return b == spbUp ? "up" : b == spbDown ? "down" : "none"; };
    g->OnSpinButtonDown = [&](TObject*, Integer, Integer, TgrSpinButton b) { events.push_back(std::string("press ") + name(b)); };
    g->OnSpinRepeat = [&](TObject*, Integer, Integer, Integer n, TgrSpinButton) { events.push_back("repeat " + std::to_string(n)); };
    g->OnSpinButtonClick = [&](TObject*, Integer, Integer, TgrSpinButton) { events.push_back("click"); };
    g->OnSpinButtonUp = [&](TObject*, Integer, Integer, TgrSpinButton) { events.push_back("release"); };
    TRect v = Cell(1, 1);
    struct Case {
        const char* name;
        Integer col, row;
        Integer dx, dy;  // from the cell's right edge and top
        const char* value;
    } cases[] = {
        {"upper half of a vertical spin: up by the increment", 1, 1, -4, 3, "15"},
        {"lower half: down", 1, 1, -4, 14, "10"},
        {"a cell not yet current steps too", 1, 2, -4, 3, "25"},
        {"an empty text counts from 0", 1, 3, -4, 14, "-5"},
        {"right half of a horizontal spin: up by 1", 2, 1, -3, 10, "8"},
        {"left half: down", 2, 1, -17, 10, "7"},
    };
    for (const Case& c : cases) {
        TRect r = Cell(c.col, c.row);
        Click(r.Right + c.dx, r.Top + c.dy);
        EXPECT_EQ(Text(c.col, c.row), c.value) << c.name;
    }
    // One press: down, one repeat, click and release, in this order.
    events.clear();
    Click(v.Right - 4, v.Top + 3);
    EXPECT_EQ(events, (std::vector<std::string>{"press up", "repeat 1", "click", "release"}));
    // A press beside the button is no spin.
    events.clear();
    Click(v.Left + 10, v.Top + 3);
    EXPECT_TRUE(events.empty());
}

TEST_F(GridShotButtons, HeldSpinRepeatsUntilThePointerLeavesTheHalf) {
    Shoot(SpinScenario());
    TRect v = Cell(1, 1);
    Integer x = v.Right - 4, up = v.Top + 3, down = v.Top + 14;
    Press(x, up);
    EXPECT_EQ(Text(1, 1), "15");
    EXPECT_EQ(g->PressedSpinHalf(), spbUp);
    // The first repeat after SpinStartDelay (500 ms), then every 80 ms.
    clock.Advance(450);
    FireDueTimers();
    EXPECT_EQ(Text(1, 1), "15");
    clock.Advance(60);
    FireDueTimers();
    EXPECT_EQ(Text(1, 1), "20");
    clock.Advance(80);
    FireDueTimers();
    EXPECT_EQ(Text(1, 1), "25");
    // Onto the other half: released, no more steps.
    Move(x, down);
    EXPECT_EQ(g->PressedSpinHalf(), spbNone);
    clock.Advance(500);
    FireDueTimers();
    EXPECT_EQ(Text(1, 1), "25");
    // Back on the pressed half: it repeats again.
    Move(x, up);
    EXPECT_EQ(g->PressedSpinHalf(), spbUp);
    clock.Advance(600);
    FireDueTimers();
    EXPECT_EQ(Text(1, 1), "30");
    Release(x, up);
    EXPECT_EQ(g->PressedSpinHalf(), spbNone);
    clock.Advance(600);
    FireDueTimers();
    EXPECT_EQ(Text(1, 1), "30");
}

TEST_F(GridShotButtons, SpinOptionsAndTheIncrementEventDecide) {
    // Without spoAutoIncrement the events fire but the value stays.
    Shoot(SpinScenario(R"(,"SpinOptions":["spoAutoRepeat"])"));
    int presses = 0;
    g->OnSpinButtonDown = [&](TObject*, Integer, Integer, TgrSpinButton) { ++presses; };
    TRect v = Cell(1, 1);
    Click(v.Right - 4, v.Top + 3);
    EXPECT_EQ(presses, 1);
    EXPECT_EQ(Text(1, 1), "10");

    // The increment event may change or refuse the stepped value.
    TGridShot other;
    other.Run(SpinScenario());
    TgrShotGrid* h = other.Grid();
    bool refuse = false;
    h->OnSpinIncrement = [&](TObject*, Integer, Integer, bool& accept, Integer&, Integer&, Variant& value, bool up) {
        if (refuse) accept = false;
        else if (up) value = Variant(std::string("99"));
    };
    TRect w = h->CellPixels(1, 1);
    h->MouseDown(mbLeft, {}, int(w.Right - 5), int(w.Top + 3));
    h->MouseUp(mbLeft, {}, int(w.Right - 5), int(w.Top + 3));
    EXPECT_EQ(h->GetCellValue(1, 1).AsString(), "99");
    refuse = true;
    h->MouseDown(mbLeft, {}, int(w.Right - 5), int(w.Top + 14));
    h->MouseUp(mbLeft, {}, int(w.Right - 5), int(w.Top + 14));
    EXPECT_EQ(h->GetCellValue(1, 1).AsString(), "99");
}

TEST_F(GridShotButtons, SpinButtonsAreDrawnInTwoHalves) {
    QImage p = Shoot(SpinScenario());
    TRect v = Cell(1, 1);
    TgrCellPaintInfo info;
    ASSERT_TRUE(g->FillDrawInfo(1, 1, info));
    ASSERT_TRUE(info.HasButton);
    EXPECT_EQ(info.ButtonRect.Width(), g->SpinButtonWidth() + 2 * g->ButtonEdgeWidth());
    // Two arrows: black pixels in the upper and in the lower half.
    Integer mid = (v.Top + v.Bottom) / 2;
    TRect upper(info.ButtonRect.Left, v.Top, info.ButtonRect.Right, mid);
    TRect lower(info.ButtonRect.Left, mid + 1, info.ButtonRect.Right, v.Bottom);
    EXPECT_GT(CountColour(p, upper, 0), 3);
    EXPECT_GT(CountColour(p, lower, 0), 3);
    // Held, the pressed half gets its shadow on its top-left edge.
    TRect b = info.ButtonRect;
    Press(b.Right - 3, v.Top + 3);
    QImage held = shot.Picture();
    EXPECT_NE(Pixel(held, int(b.Left + 1), int(v.Top + 4)), Pixel(p, int(b.Left + 1), int(v.Top + 4)));
    Release(b.Right - 3, v.Top + 3);
    // A horizontal spin is two halves side by side.
    ASSERT_TRUE(g->FillDrawInfo(2, 1, info));
    EXPECT_EQ(info.ButtonRect.Width(), 2 * g->SpinButtonHeight() + 1);
}

TEST_F(GridShotButtons, FlatButtonsShowNoFrameUntilPressed) {
    struct Case {
        const char* name;
        const char* flat;
        bool framed;
    } cases[] = {{"flat", "true", false}, {"raised", "false", true}};
    for (const Case& c : cases) {
        TGridShot local;
        local.Run(std::string(R"({"width":300,"height":100,"grid":{"Cols":1,"Rows":2,"FlatButtons":)") + c.flat +
                  R"(},"columns":[{"Width":90,"ButtonType":"btNormal"}],"rows":[["a"],["b"]]})");
        TgrCellPaintInfo info;
        ASSERT_TRUE(local.Grid()->FillDrawInfo(1, 1, info));
        QImage p = local.Picture();
        const TRect& b = info.ButtonRect;
        // The raised frame has the line colour on the left and its shadow at
        // the bottom; a flat detail button is its
        // face alone, inset by ButtonEdgeWidth.
        EXPECT_EQ(Pixel(p, int(b.Left), int(b.Top + 4)) == 0xC0C0C0u, c.framed) << c.name;
        EXPECT_EQ(Pixel(p, int(b.Left + 4), int(b.Bottom - 1)) == 0xA0A0A0u, c.framed) << c.name;
        EXPECT_EQ(Pixel(p, int(b.Left + 3), int(b.Top + 3)), 0xF0F0F0u) << c.name;
    }
}

TEST_F(GridShotButtons, AHeldButtonLooksPressedWhileThePointerIsOnIt) {
    Shoot(R"({"width":300,"height":100,"grid":{"Cols":1,"Rows":2},
      "columns":[{"Width":90,"ButtonType":"btNormal"}],"rows":[["a"],["b"]]})");
    TgrCellPaintInfo info;
    ASSERT_TRUE(g->FillDrawInfo(1, 1, info));
    const TRect b = info.ButtonRect;
    // Inside the frame line: the pressed shadow, or the raised light edge.
    auto edge = [&] { return Pixel(shot.Picture(), int(b.Left + 1), int(b.Top + 4)); };
    QRgb up = edge();
    Press(b.Left + 3, b.Top + 3);
    QRgb down = edge();
    EXPECT_NE(down, up) << "the pressed edge";
    Move(info.CellRect.Left + 5, b.Top + 3);
    EXPECT_EQ(edge(), up) << "off the button it is up again (raised)";
    Move(b.Left + 3, b.Top + 3);
    EXPECT_EQ(edge(), down);
    Release(b.Left + 3, b.Top + 3);
    EXPECT_EQ(edge(), up);
}

TEST_F(GridShotButtons, RowBarPicturesFollowRowBarAlignment) {
    struct Case {
        const char* name;
        const char* align;
        int third;  // 0 top, 1 middle, 2 bottom third of the row
    } cases[] = {
        {"default: on the first text line", "vtaDefault", 0},
        {"centred", "vtaCenter", 1},
        {"on the last text line", "vtaBottom", 2},
    };
    for (const Case& c : cases) {
        TGridShot local;
        local.Run(std::string(R"({"width":300,"height":200,"grid":{"Cols":1,"Rows":2,"DefaultRowHeight":45,)") +
                  R"("RowBarAlignment":")" + c.align + R"("},"rows":[["a"],["b"]]})");
        QImage p = local.Picture();
        TRect bar = local.Grid()->CellPixels(0, 1);
        int h = (bar.Height() - 1) / 3;
        for (int third = 0; third < 3; ++third) {
            int dark = CountColour(p, TRect(bar.Left, bar.Top + third * h, bar.Right - 1, bar.Top + (third + 1) * h), 0);
            if (third == c.third) EXPECT_GT(dark, 5) << c.name;
            else EXPECT_EQ(dark, 0) << c.name << ", third " << third;
        }
    }
}

TEST_F(GridShotButtons, TheEditorShowsTheEditColours) {
    Shoot(R"({"width":300,"height":100,"grid":{"Cols":2,"Rows":2,"EditColor":"#ffff00","EditFontColor":"#0000ff"},
      "rows":[["a","b"],["c","d"]],"script":[{"type":"x"}]})");
    ASSERT_TRUE(g->IsCellEditing());
    TgrCellPaintInfo editing, other;
    ASSERT_TRUE(g->FillDrawInfo(1, 1, editing));
    ASSERT_TRUE(g->FillDrawInfo(2, 1, other));
    EXPECT_TRUE(editing.ControlShown);
    EXPECT_EQ(ColorToRGB(editing.Color), TColor(0x00FFFF));
    EXPECT_EQ(ColorToRGB(editing.FontColor), TColor(0xFF0000));
    EXPECT_FALSE(other.ControlShown);
    // The editor window over the cell takes them when the cell is painted.
    EXPECT_EQ(ColorToRGB(g->EditControl()->GetColor()), TColor(0x00FFFF));
    EXPECT_EQ(ColorToRGB(g->EditControl()->GetFont()->Color()), TColor(0xFF0000));
}

}  // namespace

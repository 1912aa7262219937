#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "docexport/deConsts.h"
#include "platform/gui/Bitmap.h"
#include "platform/gui/Icon.h"
#include "platform/gui/tests/IconFixture.h"

namespace {

template <class T>
std::vector<T*> Items(TdeCustomDocumentEngine& e) {
    std::vector<T*> out;
    for (auto* i : e.GraphicItems())
        if (auto* t = dynamic_cast<T*>(i)) out.push_back(t);
    return out;
}

// A 1000 x 2000 pixel page with margins 10, 20, 30, 40 (left, right, top,
// bottom), recorded in pixels.
void PixelPage(TLogEngine& e) {
    e.SetMeasurementUnit(muPixels);
    e.Page()->SetPaperSize(Custom);
    e.Page()->SetWidth(1000);
    e.Page()->SetHeight(2000);
    e.Page()->SetLeftMargin(10);
    e.Page()->SetRightMargin(20);
    e.Page()->SetTopMargin(30);
    e.Page()->SetBottomMargin(40);
}

std::vector<std::string> Lines(const TWideStrings& l) {
    std::vector<std::string> out;
    for (int i = 0; i < l.Count(); ++i) out.push_back(l[i]);
    return out;
}

TFont Courier() {
    TFont f;
    f.SetName("Courier New");
    f.SetSize(10);
    return f;
}

class TOddGraphic : public TGraphic {
public:
    int Width() const override { return 1; }
    int Height() const override { return 1; }
    void SetWidth(int) override {}
    void SetHeight(int) override {}
    void Draw(TCanvas*, const TRect&) override {}
    void LoadFromFile(const std::string&) override {}
    void SaveToFile(const std::string&) override {}
    void LoadFromBytes(const std::vector<std::uint8_t>&) override {}
    std::vector<std::uint8_t> SaveToBytes() override { return {}; }
    QImage ToImage() const override { return {}; }
    void Assign(const TGraphic*) override {}
    std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TOddGraphic>(); }
    std::string DefaultExtension() const override { return "odd"; }
};

}  // namespace

TEST(RecordText, PlacedInTheAreaAndGuarded) {
    TLogEngine e;
    PixelPage(e);
    e.BeginDoc();
    e.TextOut("in", 5, 6);
    e.TextOut("right edge", e.AreaRight() - e.AreaLeft(), 0);
    e.TextOut("bottom edge", 0, e.AreaBottom() - e.AreaTop());
    auto t = Items<TdeTextItem>(e);
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0]->X, 15);
    EXPECT_EQ(t[0]->Y, 36);
    e.SetItemsToRender(ItemBit(irShape));
    e.TextOut("off", 5, 6);
    e.SetItemsToRender(deAllItems);
    e.SetCapabilities(capImage | capShape);
    e.TextOut("off", 5, 6);
    e.SetCapabilities(capText | capImage | capShape);
    e.TextRect(MakeRect(1, 2, 3, 4), "clip", 0, 0);
    t = Items<TdeTextItem>(e);
    ASSERT_EQ(t.size(), 2u);
    EXPECT_TRUE(t[1]->Clipped());
    EXPECT_EQ(t[1]->ClipRect, MakeRect(1, 2, 3, 4));  // converted, not offset
    e.EndDoc();
}

TEST(RecordText, UnitsAndInputResolution) {
    SetScreenPPI(120);
    {
        TLogEngine e;  // inches
        e.BeginDoc();
        e.TextOut("x", 1, 0.5);
        auto t = Items<TdeTextItem>(e);
        ASSERT_EQ(t.size(), 1u);
        EXPECT_DOUBLE_EQ(t[0]->X, 120);
        EXPECT_DOUBLE_EQ(t[0]->Y, 60);
        e.EndDoc();
        e.SetMeasurementUnit(muPixels);
        e.SetInputXRes(96);  // a caller drawing in 96 pixels per inch
        e.SetInputYRes(96);
        EXPECT_DOUBLE_EQ(e.ToPixelsX(96), 120);
        EXPECT_DOUBLE_EQ(e.ToPixelsY(48), 60);
        e.SetInputXRes(0);  // nonsense resolution: no division by zero
        EXPECT_DOUBLE_EQ(e.ToPixelsX(7), 7);
    }
    SetScreenPPI(96);
}

TEST(RecordText, AngledTextStacksCharacters) {
    TLogEngine e;
    PixelPage(e);
    e.BeginDoc();
    e.AngledTextOut("ab", 1, 0, 0);
    auto t = Items<TdeTextItem>(e);
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0]->Lines[0], "a");
    EXPECT_NEAR(t[1]->X, t[0]->X, 1e-9);
    EXPECT_NEAR(t[1]->Y - t[0]->Y, e.TextHeightUnits("ab"), 1e-9);
    e.EndDoc();
}

TEST(WrapText, TableOfCases) {
    TLogEngine e;
    const TFont f = Courier();
    const double cw = TextSize("a", f).cx;
    struct {
        std::string text;
        double chars;  // line width in characters
        std::vector<std::string> lines;
    } cases[] = {
        {"aaa bbb", 4.5, {"aaa ", "bbb"}},
        {"aaa bbb", 10, {"aaa bbb"}},
        {"aaaaaaa", 3, {"aaa", "aaa", "a"}},          // a word wider than the line is broken
        {"aaa", 3.5, {"aaa"}},
        {"aaa b", 3, {"aaa", " b"}},                  // the blank did not fit behind the word
        {"ab\r\ncd", 10, {"ab\r\n", "cd"}},
        {"ab\r\n", 10, {"ab\r\n", "\r\n"}},          // a final empty segment
        {"a  b", 10, {"a  b"}},
        {"", 10, {}},
        {"xyz", 0.5, {}},                             // not one character fits
    };
    for (const auto& c : cases) {
        TWideStrings lines;
        int used = e.WrapText(c.text, lines, f, false, c.chars * cw, c.chars * cw);
        EXPECT_EQ(Lines(lines), c.lines) << c.text << " / " << c.chars;
        EXPECT_EQ(used, static_cast<int>(std::nearbyint(c.chars * cw)));
    }
    // Continuing a line already held, and fitting on one line.
    TWideStrings lines;
    lines.Add("aa");
    e.WrapText("bb cc", lines, f, false, 5.5 * cw, 5.5 * cw);
    EXPECT_EQ(Lines(lines), (std::vector<std::string>{"aabb ", "cc"}));
    TWideStrings one;
    int used = e.WrapText("long text here", one, f, true, 1, 1);
    EXPECT_EQ(Lines(one), (std::vector<std::string>{"long text here"}));
    EXPECT_EQ(used, TextSize("long text here ", f).cx + 2);
}

TEST(RecordText, TextBoxWrapsAndClampsToTheArea) {
    TLogEngine e;
    PixelPage(e);
    e.Font()->Assign(Courier());
    const double cw = TextSize("a", *e.Font()).cx;
    e.DocInfo()->SetTitle("T");
    e.BeginDoc();
    e.TextBox(MakeRect(0, 0, 4.5 * cw, 5000), "aaa <%Title%>", haCenter, vaBottom);
    e.TextBox(MakeRect(-5, 0, 10, 10), "outside", haLeft, vaTop);
    auto b = Items<TdeTextBoxItem>(e);
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(Lines(b[0]->Lines), (std::vector<std::string>{"aaa ", "T"}));
    EXPECT_EQ(b[0]->Y + b[0]->Height, e.AreaBottom());  // clamped
    EXPECT_EQ(b[0]->HAlign, haCenter);
    EXPECT_EQ(b[0]->VAlign, vaBottom);
    e.EndDoc();
}

TEST(RecordShapes, ClampedToTheAreaWithCopiesOfTheTools) {
    TLogEngine e;
    PixelPage(e);
    e.BeginDoc();
    e.Pen()->SetWidth(3);
    e.Line(-50, 5, 5000, 6);
    e.RoundRect(-50, -50, 5000, 5000, 7, 8, true);
    e.Polygon({{1, 1}, {2, 2}, {3, 1}}, false);
    e.Pen()->SetWidth(1);
    auto s = Items<TdeShapeItem>(e);
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(s[0]->ShapeType, stLine);
    EXPECT_EQ(s[0]->Points[0], (TdePoint{10, 35}));
    EXPECT_EQ(s[0]->Points[1], (TdePoint{980, 36}));
    EXPECT_EQ(s[0]->Pen.Width(), 3);
    EXPECT_EQ(s[0]->Brush, nullptr);
    EXPECT_EQ(s[1]->PointCount(), 3);
    EXPECT_EQ(s[1]->Points[2], (TdePoint{7, 8}));  // the corner size is kept
    ASSERT_NE(s[1]->Brush, nullptr);
    EXPECT_EQ(s[2]->PointCount(), 3);
    e.SetItemsToRender(ItemBit(irText));
    e.Line(0, 0, 1, 1);
    EXPECT_EQ(Items<TdeShapeItem>(e).size(), 3u);
    e.EndDoc();
}

TEST(RecordParagraphs, OverflowMakesPiecesThatStartPages) {
    TLogEngine e;
    PixelPage(e);
    e.Page()->SetHeight(300);  // body 230 pixels
    e.Font()->Assign(Courier());
    e.BeginDoc();
    const double l = e.TextExtent("W", *e.Font()).cy;
    const int perPage = static_cast<int>((e.AreaBottom() - e.AreaTop()) / l);
    std::string text;
    for (int i = 0; i < perPage * 2 + 3; ++i) text += "line\r\n";
    e.BeginPara();
    EXPECT_TRUE(e.ParagraphOpen());
    double left = e.ParagraphText(text);
    EXPECT_GE(left, 0);
    e.EndPara();
    EXPECT_FALSE(e.ParagraphOpen());
    EXPECT_EQ(e.PageCount(), 3);
    int lines = 0;
    for (int p = 1; p <= 3; ++p)
        for (auto* i : e.PageItem(p)->GraphicItems)
            if (auto* para = dynamic_cast<TdeParagraphItem*>(i)) {
                for (int k = 0; k < para->Lines.Count(); ++k) lines += para->Lines[k].rfind("line", 0) == 0;
                EXPECT_LE(para->Height, e.AreaBottom() - e.AreaTop() + 1e-9);
            }
    EXPECT_EQ(lines, perPage * 2 + 3);  // every line placed once
    e.EndDoc();

    // Without AutoPaginate the pieces are dropped, not leaked.
    TLogEngine f;
    PixelPage(f);
    f.Page()->SetHeight(300);
    f.SetAutoPaginate(false);
    f.BeginDoc();
    f.BeginPara();
    f.ParagraphText(text);
    f.EndPara();
    EXPECT_EQ(f.PageCount(), 1);
    f.EndDoc();
}

TEST(RecordTables, RowsDistributeOverPages) {
    TLogEngine e;
    PixelPage(e);
    e.Page()->SetHeight(300);  // body 230 pixels: top 30, bottom 260
    e.BeginDoc();
    auto cols = e.BeginTable(0, 0, 2);
    ASSERT_EQ(cols.size(), 2u);
    cols[0]->SetWidth(50);
    cols[1]->SetWidth(500);
    for (int r = 0; r < 5; ++r) e.NewRow(100);
    double left = e.NewRow(1000);  // taller than the body: cut
    EXPECT_LT(left, 0);
    e.EndTable();
    EXPECT_FALSE(e.TableOpen());
    // Two 100-pixel rows per page; the cut row takes a page of its own.
    EXPECT_EQ(e.PageCount(), 4);
    TdeTableItem* t = nullptr;
    for (int p = 1; p <= 4; ++p) {
        auto& items = e.PageItem(p)->GraphicItems;
        ASSERT_EQ(items.size(), 1u) << p;
        t = dynamic_cast<TdeTableItem*>(items[0]);
        ASSERT_NE(t, nullptr);
    }
    EXPECT_EQ(t->RowDistribution, (std::vector<Integer>{1, 2, 2, 1, 1, 0}));
    EXPECT_EQ(t->RowHeights.back(), 230);
    e.EndDoc();  // the one table item is freed once
}

TEST(RecordTables, CellsFillRowsAndAutoFitWidensColumns) {
    TLogEngine e;
    PixelPage(e);
    e.Font()->Assign(Courier());
    TdeTableSettings ts;
    ts.AutoFitColumns = true;
    ts.SetColumnWidth(5);
    ts.SetCellInset(0, 2);
    ts.SetCellInset(2, 3);
    ts.SetCellInset(1, 1);
    ts.SetCellInset(3, 1);
    e.SetTableSettings(ts);
    e.BeginDoc();
    EXPECT_EQ(e.NewRow(10), -1);  // no table
    e.TableCellText(0, "lost");
    auto cols = e.BeginTable(0, 0, 2);
    EXPECT_EQ(cols[0]->Width(), 5);
    e.NewRow(2);
    e.TableCellText(0, "wide text");
    e.TableCellText(5, "bad column");
    const int used = TextSize("wide text ", *e.Font()).cx + 2 * e.Pen()->Width();
    EXPECT_EQ(cols[0]->Width(), used + 5);
    TBitmap bmp;
    bmp.SetSize(40, 20);
    e.TableCellImage(1, &bmp, 40, 20);
    e.EndTable();
    auto* t = dynamic_cast<TdeTableItem*>(e.GraphicItems().at(0));
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(t->RowCells.size(), 1u);
    ASSERT_EQ(t->RowCells[0].size(), 2u);
    const int l = e.TextExtent("W", *e.Font()).cy;
    EXPECT_EQ(t->RowHeights[0], std::max(l + 2, 22));
    auto* img = dynamic_cast<TdeImageItem*>(t->RowCells[0][1].get());
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->X, 1);  // the cell address
    EXPECT_EQ(img->Width, 40);
    EXPECT_EQ(cols[1]->Width(), 45);
    e.EndDoc();
}

TEST(RecordImages, PlacementRules) {
    SetScreenPPI(120);
    {
        TLogEngine e;
        e.SetMeasurementUnit(muPixels);
        e.BeginDoc();
        TBitmap bmp;
        bmp.SetSize(96, 96);
        e.DrawImage(0, 0, &bmp);
        auto i = Items<TdeImageItem>(e);
        ASSERT_EQ(i.size(), 1u);
        EXPECT_DOUBLE_EQ(i[0]->BoxRect.Width(), 120);  // 96 pixels at 96 dpi on a 120 dpi screen
        EXPECT_DOUBLE_EQ(i[0]->Width, 96);             // not stretched: natural size
        ASSERT_NE(e.GetImage(i[0]->ImageIndex), nullptr);
        EXPECT_EQ(e.GetImage(i[0]->ImageIndex)->Width(), 96);
        e.EndDoc();
    }
    SetScreenPPI(96);
    struct {
        bool stretch, keep, center, actual;
        double w, h, dx, dy;
    } cases[] = {
        {false, false, false, false, 40, 20, 0, 0},  // smaller than the box: own size
        {true, false, false, false, 100, 80, 0, 0},  // stretched to the 100 x 80 box
        {true, true, false, false, 100, 50, 0, 0},   // keeping the 2:1 ratio
        {true, true, true, false, 100, 50, 0, 15},
        {false, false, true, false, 40, 20, 30, 30},
        {false, false, false, true, 40, 20, 0, 0},
    };
    for (const auto& c : cases) {
        TLogEngine e;
        e.SetMeasurementUnit(muPixels);
        e.BeginDoc();
        TBitmap bmp;
        bmp.SetSize(40, 20);
        e.ImageSettings()->Stretch = c.stretch;
        e.ImageSettings()->KeepAspectRatio = c.keep;
        e.ImageSettings()->Center = c.center;
        e.ImageSettings()->ActualSize = c.actual;
        e.DrawImageRect(MakeRect(100, 80, 0, 0), &bmp);  // normalized
        auto i = Items<TdeImageItem>(e);
        ASSERT_EQ(i.size(), 1u);
        EXPECT_DOUBLE_EQ(i[0]->Width, c.w);
        EXPECT_DOUBLE_EQ(i[0]->Height, c.h);
        EXPECT_DOUBLE_EQ(i[0]->X - e.AreaLeft(), c.dx);
        EXPECT_DOUBLE_EQ(i[0]->Y - e.AreaTop(), c.dy);
        e.EndDoc();
    }
    // Unknown graphic kinds, bad indexes and streams.
    TLogEngine e;
    e.SetMeasurementUnit(muPixels);
    e.BeginDoc();
    TIcon icon;
    icon.LoadFromBytes(SmallIconFile());
    EXPECT_GE(e.RegisterImage(&icon, false), 0);  // icons are pictures like bitmaps
    TOddGraphic odd;
    try {
        e.RegisterImage(&odd, true);
        FAIL();
    } catch (const EUnsupportedGraphics& ex) {
        EXPECT_EQ(ex.Message, "Unknown Graphics format");
    }
    e.DrawImageIndex(MakeRect(0, 0, 5, 5), 7);
    EXPECT_TRUE(Items<TdeImageItem>(e).empty());
    TMemoryStream data;
    data.WriteBuffer("abcdef", 6);
    e.DrawImageStream(MakeRect(1, 2, 3, 4), 8, 9, data);
    auto s = Items<TdeImageStream>(e);
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(s[0]->Stream.Size(), 6);
    EXPECT_EQ(s[0]->X, 1);  // not offset by the area
    EXPECT_EQ(s[0]->ImageWidth, 8);
    e.EndDoc();
}

TEST(RecordParagraphs, HopelessOverflowEndsAndOpenItemsAreFreed) {
    TLogEngine e;
    PixelPage(e);
    e.Page()->SetHeight(90);  // body 20 pixels: shorter than one line
    e.Font()->SetSize(30);
    e.BeginDoc();
    e.BeginPara();
    e.ParagraphText("one\r\ntwo\r\nthree");  // returns instead of looping
    e.EndPara();
    // A paragraph and a table still open when the document ends.
    e.BeginPara();
    e.ParagraphText("x");
    e.BeginTable(0, 0, 1);
    e.NewRow(5);
    e.EndDoc();
    EXPECT_FALSE(e.ParagraphOpen());
    EXPECT_FALSE(e.TableOpen());

    // The abort flag ends the document while a table breaks over pages.
    TLogEngine f;
    PixelPage(f);
    f.Page()->SetHeight(300);
    f.BeginDoc();
    f.BeginTable(0, 0, 1);
    for (int r = 0; r < 5; ++r) f.NewRow(100);
    f.SetAbortFlag(true);
    f.EndTable();
    EXPECT_FALSE(f.Started());
}

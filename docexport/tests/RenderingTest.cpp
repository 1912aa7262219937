#include <gtest/gtest.h>

#include <cmath>

#include "docexport/deCstDocEng.h"
#include "docexport/deUtils.h"
#include "platform/gui/Bitmap.h"

#include <QPainter>

namespace {

struct TextOutput {
    int Page;
    double X, Y;
    std::string Text;
};
struct BitmapOutput {
    int Width, Height;
    double X, Y;
    QImage Image;
};

// Keeps what the default rendering hands to the format: text items,
// rectangles, lines and bitmaps.
class TCaptureEngine : public TdeCustomDocumentEngine {
public:
    explicit TCaptureEngine(bool captureShapes = true) : TdeCustomDocumentEngine(nullptr), shapes_(captureShapes) {
        Preferences()->SetShowSetupDialog(false);
        Preferences()->SetOpenAfterCreate(false);
        SetMeasurementUnit(muPixels);
        Page()->SetPaperSize(Custom);
        Page()->SetWidth(1000);
        Page()->SetHeight(300);
        Page()->SetLeftMargin(10);
        Page()->SetRightMargin(20);
        Page()->SetTopMargin(30);
        Page()->SetBottomMargin(40);
    }
    std::vector<TextOutput> Texts;
    std::vector<BitmapOutput> Bitmaps;
    int Rectangles = 0, Lines = 0;

    void RenderText(TdeTextItem* item) override {
        Texts.push_back({CurrentPage(), item->X, item->Y, item->Lines[0]});
    }
    void RenderRectangle(const TPen& pen, const TBrush* brush, double x1, double y1, double x2,
                         double y2) override {
        if (!shapes_) return TdeCustomDocumentEngine::RenderRectangle(pen, brush, x1, y1, x2, y2);
        ++Rectangles;
    }
    void RenderLine(const TPen& pen, double x1, double y1, double x2, double y2) override {
        if (!shapes_) return TdeCustomDocumentEngine::RenderLine(pen, x1, y1, x2, y2);
        ++Lines;
    }
    void RenderBitmap(TBitmap* bitmap, double x, double y) override {
        Bitmaps.push_back({bitmap->Width(), bitmap->Height(), x, y, bitmap->ToImage()});
    }
    double L() { return TextExtent("W", *Font()).cy; }

private:
    bool shapes_;
};

std::vector<TextOutput> OnPage(const std::vector<TextOutput>& all, int page) {
    std::vector<TextOutput> out;
    for (const auto& t : all)
        if (t.Page == page) out.push_back(t);
    return out;
}

}  // namespace

TEST(DefaultRendering, TableOverThreePagesWithTitles) {
    TCaptureEngine e;
    TdeTableSettings ts;
    ts.ShowTitles = true;
    ts.SetTitleHeight(20);
    e.SetTableSettings(ts);
    e.BeginDoc();
    auto cols = e.BeginTable(0, 0, 2);
    cols[0]->SetWidth(50);
    cols[0]->Title = "A";
    cols[1]->SetWidth(60);
    cols[1]->Title = "B";
    for (int r = 0; r < 5; ++r) {
        e.NewRow(100);
        e.TableCellText(0, "r" + std::to_string(r));
        if (r == 0) {
            e.TableCellText(1, "x");
            e.TableCellText(0, "second");  // a second item of the same column is not shown
        }
    }
    e.EndTable();
    ASSERT_EQ(e.PageCount(), 3);
    e.EndDoc();

    const double l = e.L();
    const double title = std::max(20.0, l);
    auto p1 = OnPage(e.Texts, 1);
    ASSERT_EQ(p1.size(), 5u);
    // Title row first, then rows 0 and 1 below it; the table starts at the
    // margins (10, 30).
    EXPECT_EQ(p1[0].Text, "A");
    EXPECT_DOUBLE_EQ(p1[0].X, 10);
    EXPECT_DOUBLE_EQ(p1[0].Y, 30);
    EXPECT_EQ(p1[1].Text, "B");
    EXPECT_DOUBLE_EQ(p1[1].X, 60);
    EXPECT_EQ(p1[2].Text, "r0");
    EXPECT_DOUBLE_EQ(p1[2].Y, 30 + title);
    EXPECT_EQ(p1[3].Text, "x");
    EXPECT_DOUBLE_EQ(p1[3].X, 60);
    EXPECT_EQ(p1[4].Text, "r1");
    EXPECT_DOUBLE_EQ(p1[4].Y, 30 + title + 100);
    // Later pages start at the body top without titles.
    auto p2 = OnPage(e.Texts, 2);
    ASSERT_EQ(p2.size(), 2u);
    EXPECT_EQ(p2[0].Text, "r2");
    EXPECT_DOUBLE_EQ(p2[0].Y, 30);
    EXPECT_EQ(p2[1].Text, "r3");
    EXPECT_DOUBLE_EQ(p2[1].Y, 130);
    auto p3 = OnPage(e.Texts, 3);
    ASSERT_EQ(p3.size(), 1u);
    EXPECT_EQ(p3[0].Text, "r4");
    EXPECT_DOUBLE_EQ(p3[0].Y, 30);
    // Every cell (2 titles + 5 rows x 2 columns) gets a background and four
    // frame lines.
    EXPECT_EQ(e.Rectangles, 12);
    EXPECT_EQ(e.Lines, 48);
}

TEST(DefaultRendering, TableColumnsBeyondTheAreaAreSkipped) {
    TCaptureEngine e;
    e.BeginDoc();
    auto cols = e.BeginTable(0, 0, 3);
    for (auto* c : cols) c->SetWidth(600);  // the area is 970 wide
    e.NewRow(30);
    for (int c = 0; c < 3; ++c) e.TableCellText(c, "c" + std::to_string(c));
    e.EndTable();
    e.EndDoc();
    ASSERT_EQ(e.Texts.size(), 2u);
    EXPECT_EQ(e.Texts[1].Text, "c1");
    EXPECT_DOUBLE_EQ(e.Texts[1].X, 610);
    EXPECT_EQ(e.Rectangles, 2);
}

TEST(DefaultRendering, ParagraphLinesAlignedAndSpaced) {
    TCaptureEngine e;
    TdeParagraphItem p;
    p.X = 10;
    p.Y = 50;
    p.Width = 200;
    p.Font.Assign(*e.Font());
    p.Lines.Add("ab");
    p.Lines.Add("cd");
    p.Formatting.SetFirstLineIndent(15);
    p.Formatting.SetLeftIndent(5);
    p.Formatting.LineSpacing = 1.5;
    const double l = e.L();
    const double wab = e.TextExtent("ab", p.Font).cx, wcd = e.TextExtent("cd", p.Font).cx;

    struct Case {
        TdeHAlignment Align;
        double X0, X1;
    } cases[] = {
        {haLeft, 10 + 5 + 15, 10 + 5},
        {haRight, 10 + 5 + 15 + (200 - 15 - wab), 10 + 5 + (200 - wcd)},
        {haCenter, 10 + 5 + 15 + (200 - 15 - wab) / 2, 10 + 5 + (200 - wcd) / 2},
    };
    for (const auto& c : cases) {
        e.Texts.clear();
        p.Formatting.Alignment = c.Align;
        e.RenderParagraph(&p);
        ASSERT_EQ(e.Texts.size(), 2u);
        EXPECT_DOUBLE_EQ(e.Texts[0].X, c.X0) << c.Align;
        EXPECT_DOUBLE_EQ(e.Texts[0].Y, 50);
        EXPECT_DOUBLE_EQ(e.Texts[1].X, c.X1) << c.Align;
        EXPECT_DOUBLE_EQ(e.Texts[1].Y, 50 + l * 1.5);
    }
    // Justified: every line but the last is widened to the available width.
    e.Texts.clear();
    p.Lines.Put(0, "a b");
    p.Formatting.Alignment = haJustify;
    e.RenderParagraph(&p);
    ASSERT_EQ(e.Texts.size(), 2u);
    EXPECT_GT(e.Texts[0].Text.size(), 3u);
    EXPECT_EQ(e.Texts[1].Text, "cd");
}

TEST(DefaultRendering, TextBoxShowsOnlyTheLinesThatFit) {
    TCaptureEngine e;
    TdeTextBoxItem box;
    box.Font.Assign(*e.Font());
    const double l = e.L();
    box.X = 100;
    box.Y = 200;
    box.Width = 300;
    box.Height = 2.4 * l;
    for (int i = 0; i < 5; ++i) box.Lines.Add("line" + std::to_string(i));
    box.Frame.DrawTop = box.Frame.DrawBottom = false;
    e.RenderTextBox(&box);
    ASSERT_EQ(e.Texts.size(), 2u);
    EXPECT_DOUBLE_EQ(e.Texts[0].Y, 200);
    EXPECT_DOUBLE_EQ(e.Texts[1].Y, 200 + l);
    EXPECT_EQ(e.Lines, 2);  // left and right sides only
    EXPECT_EQ(e.Rectangles, 1);
    EXPECT_EQ(box.Brush.Style(), bsSolid);  // the item is left as recorded

    // Bottom alignment puts the last fitting line at the bottom edge.
    e.Texts.clear();
    box.VAlign = vaBottom;
    e.RenderTextBox(&box);
    ASSERT_EQ(e.Texts.size(), 2u);
    EXPECT_DOUBLE_EQ(e.Texts[0].Y, 200 + 2.4 * l - 2 * l);
}

TEST(DefaultRendering, ClippedTextMovesToTheClipLeft) {
    TCaptureEngine e;
    TdeTextItem t;
    t.Font.Assign(*e.Font());
    t.Lines.Add("abc");
    t.X = 10;
    t.Y = 10;
    t.SetClipped(true);
    t.ClipRect = {50, 0, 200, 100};
    e.TdeCustomDocumentEngine::RenderText(&t);
    EXPECT_DOUBLE_EQ(t.X, 50);
    TdeTextItem empty;
    empty.Font.Assign(*e.Font());
    empty.Lines.Add("");
    empty.X = 10;
    empty.SetClipped(true);
    empty.ClipRect = {50, 0, 200, 100};
    e.TdeCustomDocumentEngine::RenderText(&empty);
    EXPECT_DOUBLE_EQ(empty.X, 10);
}

TEST(DefaultRendering, ShapesBecomeTransparentBitmaps) {
    TCaptureEngine e(false);
    TPen pen;
    pen.SetColor(clBlack);
    TBrush red;
    red.SetColor(clRed);

    e.RenderLine(pen, 10, 20, 10, 80);  // a vertical line has no width
    ASSERT_EQ(e.Bitmaps.size(), 1u);
    EXPECT_EQ(e.Bitmaps[0].Width, 0);
    EXPECT_DOUBLE_EQ(e.Bitmaps[0].X, 10);
    EXPECT_DOUBLE_EQ(e.Bitmaps[0].Y, 20);

    e.RenderRectangle(pen, &red, 25, 15, 5, 5);  // corners in any order
    ASSERT_EQ(e.Bitmaps.size(), 2u);
    const auto& r = e.Bitmaps[1];
    EXPECT_EQ(r.Width, 20);
    EXPECT_EQ(r.Height, 10);
    EXPECT_DOUBLE_EQ(r.X, 5);
    EXPECT_DOUBLE_EQ(r.Y, 5);
    EXPECT_EQ(FromQColor(r.Image.pixelColor(10, 5)), clRed);
    EXPECT_EQ(FromQColor(r.Image.pixelColor(0, 0)), clBlack);

    e.RenderPolygon({{10, 10}, {30, 10}, {20, 40}}, &red, pen, true);
    ASSERT_EQ(e.Bitmaps.size(), 3u);
    EXPECT_EQ(e.Bitmaps[2].Width, 22);
    EXPECT_EQ(e.Bitmaps[2].Height, 32);
    EXPECT_DOUBLE_EQ(e.Bitmaps[2].X, 10);

    // A shape item goes through the dispatch by type.
    TdeShapeItem ellipse;
    ellipse.ShapeType = stEllipse;
    ellipse.Points = {{100, 100}, {140, 120}};
    e.RenderShape(&ellipse);
    ASSERT_EQ(e.Bitmaps.size(), 4u);
    EXPECT_EQ(e.Bitmaps[3].Width, 40);
    EXPECT_EQ(e.Bitmaps[3].Height, 20);

    // Coordinates far beyond any page (a recorded picture may hold them)
    // give a bitmap clipped to 4096 pixels a side, not one of their size.
    e.RenderRectangle(pen, &red, -1e12, 0, 1e12, 50);
    e.RenderPolygon({{0, 0}, {3e9, 10}, {0, 3e9}}, &red, pen, true);
    ASSERT_EQ(e.Bitmaps.size(), 6u);
    EXPECT_EQ(e.Bitmaps[4].Width, 4096);
    EXPECT_EQ(e.Bitmaps[4].Height, 50);
    EXPECT_EQ(FromQColor(e.Bitmaps[4].Image.pixelColor(100, 25)), clRed);
    EXPECT_EQ(e.Bitmaps[5].Width, 4096);
    EXPECT_EQ(e.Bitmaps[5].Height, 4096);
}

namespace {

// The bitmaps handed to the format laid on a white page of the capture
// engine's size (their white is their transparent colour).
QImage LaidOnPage(const std::vector<BitmapOutput>& bitmaps) {
    QImage page(1000, 300, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    for (const auto& b : bitmaps) painter.drawImage(QPointF(b.X, b.Y), b.Image);
    return page;
}

}  // namespace

TEST(DefaultRendering, ShapesOnAPageAreCutToItAndShowWhatTheyShowedDrawnWhole) {
    TPen pen;
    pen.SetColor(clBlack);
    pen.SetWidth(3);
    TBrush red;
    red.SetColor(clRed);
    auto draw = [&](TCaptureEngine& e) {
        e.RenderEllipse(pen, &red, -150, -60, 250, 200);                            // over the top-left corner
        e.RenderPie(pen, &red, {{700, 200}, {1150, 420}, {1100, 200}, {700, 300}});  // over the bottom-right
        e.RenderPolygon({{900, 20}, {1100, 60}, {950, 120}}, &red, pen, true);        // over the right edge
        e.RenderPolyBezier({{-40, 250}, {60, 150}, {160, 350}, {300, 260}}, pen);     // over the left edge
    };
    TCaptureEngine whole(false);  // outside a page: bitmaps of the shapes' whole boxes
    draw(whole);
    TCaptureEngine cut(false);
    cut.BeginDoc();
    draw(cut);
    ASSERT_EQ(cut.Bitmaps.size(), 4u);
    for (const auto& b : cut.Bitmaps) {
        EXPECT_GE(b.X, 0);
        EXPECT_GE(b.Y, 0);
        EXPECT_LE(b.X + b.Width, 1000);
        EXPECT_LE(b.Y + b.Height, 300);
    }
    EXPECT_EQ(cut.Bitmaps[0].Width, 250);
    EXPECT_EQ(cut.Bitmaps[0].Height, 200);
    EXPECT_TRUE(LaidOnPage(cut.Bitmaps) == LaidOnPage(whole.Bitmaps));

    // Far beyond the page nothing is drawn; across it, the part on the page.
    cut.Bitmaps.clear();
    cut.RenderPolygon({{1e9, 1e9}, {2e9, 1e9}, {1e9, 2e9}}, &red, pen, true);
    cut.RenderRectangle(pen, &red, -1e12, 100, 1e12, 150);
    ASSERT_EQ(cut.Bitmaps.size(), 2u);
    EXPECT_EQ(cut.Bitmaps[0].Width * cut.Bitmaps[0].Height, 0);
    const auto& band = cut.Bitmaps[1];
    EXPECT_EQ(band.Width, 1000);
    EXPECT_EQ(band.Height, 50);
    EXPECT_DOUBLE_EQ(band.X, 0);
    EXPECT_DOUBLE_EQ(band.Y, 100);
    EXPECT_EQ(FromQColor(band.Image.pixelColor(500, 25)), clRed);
    EXPECT_EQ(FromQColor(band.Image.pixelColor(500, 0)), clBlack);
    cut.EndDoc();
}

TEST(DefaultRendering, ConversionsForFormats) {
    TCaptureEngine e;
    TBitmap one;
    one.SetSize(3, 1);
    auto jpeg = e.BitmapToJpegStream(&one, 80);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(jpeg->Size()));
    jpeg->ReadBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
    QImage decoded = DecodeJpeg(bytes);
    EXPECT_EQ(decoded.width(), 3);
    EXPECT_EQ(decoded.height(), 2);  // one-pixel-high pictures are doubled

    TdeTextItem t;
    t.Font.Assign(*e.Font());
    t.Lines.Add("Up");
    t.X = 100;
    t.Y = 100;
    t.Rotation = 90;
    auto bmp = e.TextItemToBitmap(&t);
    const TSize size = e.TextExtent("Up", t.Font);
    EXPECT_EQ(bmp->Width(), size.cy);  // a quarter turn swaps the sides
    EXPECT_EQ(bmp->Height(), size.cx);
    EXPECT_TRUE(bmp->Transparent());
}

TEST(DefaultRendering, ImageItemToBitmapPlacesTheGraphic) {
    TCaptureEngine e;
    e.BeginDoc();
    TBitmap red;
    red.SetSize(10, 6);
    red.Canvas()->Brush()->SetColor(clRed);
    red.Canvas()->FillRect(TRect(0, 0, 10, 6));
    TdeImageItem item;
    item.ImageIndex = e.RegisterImage(&red, true);
    ASSERT_GE(item.ImageIndex, 0);
    item.Width = 20;
    item.Height = 12;
    item.BoxRect = {0, 0, 20, 12};
    item.Brush.SetColor(clBlue);

    struct Case {
        const char* Name;
        bool Stretch, Center;
        int W, H;
        TPoint RedAt, BlueAt;
    } cases[] = {
        {"as is", false, false, 20, 12, {0, 0}, {15, 10}},
        {"centred", false, true, 20, 12, {5, 3}, {1, 1}},
        {"stretched", true, false, 20, 12, {19, 11}, {-1, -1}},
    };
    for (const auto& c : cases) {
        item.Settings.Stretch = c.Stretch;
        item.Settings.Center = c.Center;
        auto bmp = e.ImageItemToBitmap(&item);
        EXPECT_EQ(bmp->Width(), c.W) << c.Name;
        EXPECT_EQ(bmp->Height(), c.H) << c.Name;
        EXPECT_EQ(bmp->Canvas()->GetPixel(c.RedAt.X, c.RedAt.Y), clRed) << c.Name;
        if (c.BlueAt.X >= 0) EXPECT_EQ(bmp->Canvas()->GetPixel(c.BlueAt.X, c.BlueAt.Y), clBlue) << c.Name;
    }
    // An item claiming a kilometre (a hostile picture record once asked for
    // a bitmap of 100 TB) gets one no larger than a page at screen
    // resolution, well under 2000 pixels a side.
    item.Width = item.Height = 4e6;
    item.BoxRect = {0, 0, 4e6, 4e6};
    for (const bool stretch : {true, false}) {
        item.Settings.Stretch = stretch;
        item.Settings.Center = false;
        auto bmp = e.ImageItemToBitmap(&item);
        EXPECT_GT(bmp->Width(), 0) << stretch;
        EXPECT_LT(bmp->Width(), 2000) << stretch;
        EXPECT_LT(bmp->Height(), 2000) << stretch;
        EXPECT_EQ(bmp->Canvas()->GetPixel(0, 0), clRed) << stretch;
    }
    e.EndDoc();
}

TEST(DefaultRendering, TableOfAPageOutsideTheRangeDoesNotStandInForTheNext) {
    TCaptureEngine e;
    e.SetPagesToRender("2");
    e.BeginDoc();
    auto a = e.BeginTable(0, 0, 1);
    a[0]->SetWidth(300);
    e.NewRow(20);
    e.TableCellText(0, "first table");
    e.EndTable();
    e.NewPage();
    auto b = e.BeginTable(0, 0, 1);
    b[0]->SetWidth(300);
    e.NewRow(20);
    e.TableCellText(0, "second table");
    e.EndTable();
    e.EndDoc();
    ASSERT_EQ(e.Texts.size(), 1u);
    EXPECT_EQ(e.Texts[0].Text, "second table");
}

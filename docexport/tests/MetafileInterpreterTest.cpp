#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "docexport/deCstDocEng.h"
#include "docexport/deMetafile.h"
#include "docexport/deDocEngIntf.h"
#include "docexport/deRTFEng.h"
#include "platform/core/Exception.h"
#include "platform/core/Streams.h"
#include "platform/gui/RichText.h"
#include "platform/gui/StdCtrls.h"
#include "docexport/tests/EngineTestSupport.h"
#include "platform/gui/tests/MetafileBuilder.h"

// The metafile interpreter: metafiles built record by record become page
// items. The engine works in pixels on an 800 x 600 page without margins,
// so item coordinates are the metafile's own plus the offset played at.

namespace {

using namespace emftest;

class TItemEngine : public TLogEngine {
public:
    TItemEngine() {
        SetMeasurementUnit(muPixels);
        Page()->SetPaperSize(Custom);
        Page()->SetWidth(800);
        Page()->SetHeight(600);
        for (auto m : {&TdePageSettings::SetLeftMargin, &TdePageSettings::SetRightMargin,
                       &TdePageSettings::SetTopMargin, &TdePageSettings::SetBottomMargin})
            (Page()->*m)(0);
        BeginDoc();
    }
    ~TItemEngine() override { EndDoc(); }
    // Plays the bytes at (x, y) and returns the items added.
    TdeItemList Play(const std::vector<std::uint8_t>& data, double x = 0, double y = 0) {
        const std::size_t before = GraphicItems().size();
        TMetafile mf;
        mf.LoadFromBytes(data);
        PlayMetafileAt(mf, x, y);
        return TdeItemList(GraphicItems().begin() + std::ptrdiff_t(before), GraphicItems().end());
    }
    template <class T>
    std::vector<T*> Of(const TdeItemList& items) {
        std::vector<T*> out;
        for (auto* i : items)
            if (auto* t = dynamic_cast<T*>(i)) out.push_back(t);
        return out;
    }
};

TdePoints Pts(std::initializer_list<std::pair<double, double>> p) {
    TdePoints out;
    for (auto& q : p) out.push_back({q.first, q.second});
    return out;
}

}  // namespace

TEST(MetafileInterpreter, CanvasDrawingComesBackAsItems) {
    TMetafile mf;
    mf.SetWidth(300);
    mf.SetHeight(200);
    TBitmap picture;
    picture.SetSize(4, 3);
    {
        TMetafileCanvas c(&mf);
        c.Pen()->SetColor(clRed);
        c.Brush()->SetColor(clYellow);
        c.Rectangle(10, 20, 110, 70);
        c.Ellipse(0, 0, 50, 40);
        c.MoveTo(5, 5);
        c.LineTo(95, 5);
        c.Polygon({{0, 100}, {50, 150}, {100, 100}});
        c.Font()->SetName("Arial");
        c.Font()->SetSize(12);
        c.Font()->SetStyle(fsBold);
        c.Font()->SetColor(clBlue);
        c.Brush()->SetStyle(bsClear);
        c.TextOut(30, 160, "Scores");
        c.StretchDraw(TRect(200, 100, 280, 160), &picture);
    }
    TItemEngine e;
    e.PlayMetafileAt(mf, 100, 50);
    auto shapes = e.Of<TdeShapeItem>(e.GraphicItems());
    ASSERT_EQ(shapes.size(), 4u);
    EXPECT_EQ(shapes[0]->ShapeType, stRectangle);
    EXPECT_EQ(shapes[0]->Points, Pts({{110, 70}, {210, 120}}));
    EXPECT_EQ(shapes[0]->Pen.Color(), clRed);
    EXPECT_EQ(shapes[0]->Brush->Color(), clYellow);
    EXPECT_EQ(shapes[1]->ShapeType, stEllipse);
    EXPECT_EQ(shapes[2]->ShapeType, stLine);
    EXPECT_EQ(shapes[2]->Points, Pts({{105, 55}, {195, 55}}));
    EXPECT_EQ(shapes[3]->ShapeType, stPolygon);
    EXPECT_EQ(shapes[3]->Points, Pts({{100, 150}, {150, 200}, {200, 150}}));
    auto texts = e.Of<TdeTextItem>(e.GraphicItems());
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0]->Lines[0], "Scores");
    EXPECT_TRUE(texts[0]->FromMetafile);
    EXPECT_EQ(texts[0]->Font.Name(), "Arial");
    EXPECT_EQ(texts[0]->Font.Size(), 12);
    EXPECT_TRUE(texts[0]->Font.Style() & fsBold);
    EXPECT_EQ(texts[0]->Font.Color(), clBlue);
    EXPECT_EQ(texts[0]->Brush.Style(), bsClear);
    EXPECT_DOUBLE_EQ(texts[0]->X, 130);
    EXPECT_DOUBLE_EQ(texts[0]->Y, 210);
    EXPECT_EQ(texts[0]->Advances.size(), 6u);
    auto images = e.Of<TdeImageItem>(e.GraphicItems());
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0]->X, 300);
    EXPECT_EQ(images[0]->Y, 150);
    EXPECT_EQ(images[0]->Width, 80);
    EXPECT_EQ(images[0]->Height, 60);
    ASSERT_NE(e.GetImage(images[0]->ImageIndex), nullptr);
    EXPECT_EQ(e.GetImage(images[0]->ImageIndex)->Width(), 4);
    EXPECT_EQ(e.Of<TdeEOFItem>(e.GraphicItems()).size(), 1u);
}

TEST(MetafileInterpreter, ShapeRecordsBecomeTheirShapes) {
    struct Case {
        const char* name;
        Rec record;
        TdeShapeType type;
        TdePoints points;
    } cases[] = {
        {"polygon", Points16(86, {{1, 2}, {3, 4}, {5, 6}}), stPolygon, Pts({{1, 2}, {3, 4}, {5, 6}})},
        {"polyline", Points16(87, {{1, 2}, {3, 4}}), stPolyLine, Pts({{1, 2}, {3, 4}})},
        {"Bezier", Points16(85, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}), stPolyBezier,
         Pts({{0, 0}, {1, 1}, {2, 2}, {3, 3}})},
        {"ellipse", Box(42, 1, 2, 30, 40), stEllipse, Pts({{1, 2}, {30, 40}})},
        {"rectangle", Box(43, 1, 2, 30, 40), stRectangle, Pts({{1, 2}, {30, 40}})},
        {"round rectangle", Rec(44).Ints({1, 2, 30, 40, 6, 8}), stRoundRect, Pts({{1, 2}, {30, 40}, {6, 8}})},
        {"arc", Rec(45).Ints({0, 0, 10, 10, 10, 5, 0, 5}), stArc, Pts({{0, 0}, {10, 10}, {10, 5}, {0, 5}})},
        {"chord", Rec(46).Ints({0, 0, 10, 10, 10, 5, 0, 5}), stChord, Pts({{0, 0}, {10, 10}, {10, 5}, {0, 5}})},
        {"pie", Rec(47).Ints({0, 0, 10, 10, 10, 5, 0, 5}), stPie, Pts({{0, 0}, {10, 10}, {10, 5}, {0, 5}})},
        {"line from the current position", Pair(54, 40, 50), stLine, Pts({{7, 8}, {40, 50}})},
    };
    for (const Case& c : cases) {
        TItemEngine e;
        auto items = e.Play(Emf().Add(Pair(27, 7, 8)).Add(c.record).Bytes());
        auto shapes = e.Of<TdeShapeItem>(items);
        ASSERT_EQ(shapes.size(), 1u) << c.name;
        EXPECT_EQ(shapes[0]->ShapeType, c.type) << c.name;
        EXPECT_EQ(shapes[0]->Points, c.points) << c.name;
    }
}

TEST(MetafileInterpreter, MultiPartShapesAndSwitches) {
    TItemEngine e;
    auto polyline = Rec(90).Ints({0, 0, 0, 0}).U32(2).U32(5).U32(2).U32(3);
    for (auto q : {std::pair{0, 0}, {1, 1}, {5, 5}, {6, 6}, {7, 7}}) polyline.I16(std::int16_t(q.first)).I16(std::int16_t(q.second));
    auto polygon = Rec(91).Ints({0, 0, 0, 0}).U32(2).U32(6).U32(3).U32(3);
    for (int i = 0; i < 6; ++i) polygon.I16(std::int16_t(i)).I16(std::int16_t(i));
    auto items = e.Play(Emf().Add(Value(19, 1)).Add(polyline).Add(polygon).Bytes());
    auto container = e.Of<TdePolyShapeItem>(items);
    ASSERT_EQ(container.size(), 1u);
    ASSERT_EQ(container[0]->Items.size(), 2u);
    EXPECT_EQ(container[0]->Items[1]->Points, Pts({{5, 5}, {6, 6}, {7, 7}}));
    auto pp = e.Of<TdePolyPolygonItem>(items);
    ASSERT_EQ(pp.size(), 1u);
    EXPECT_EQ(pp[0]->Counts, (std::vector<Integer>{6, 3, 3}));
    EXPECT_TRUE(pp[0]->AlternateFill);

    // Shapes switched off: a polygon adds nothing, a Bezier still does.
    TItemEngine off;
    off.SetItemsToRender(ItemBit(irText));
    auto left = off.Play(Emf().Add(Points16(86, {{1, 2}, {3, 4}, {5, 6}}))
                             .Add(Points16(85, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}))
                             .Bytes());
    auto shapes = off.Of<TdeShapeItem>(left);
    ASSERT_EQ(shapes.size(), 1u);
    EXPECT_EQ(shapes[0]->ShapeType, stPolyBezier);
}

TEST(MetafileInterpreter, MappingModesTransformsAndSavedStates) {
    {
        // Mode 8, window 100 x 100 onto viewport 50 x 25: scales 0.5, 0.25.
        TItemEngine e;
        auto items = e.Play(Emf().Add(Value(17, 8)).Add(Pair(9, 100, 100)).Add(Pair(11, 50, 25))
                                .Add(Box(43, 0, 0, 100, 100)).Bytes());
        auto r = e.Of<TdeShapeItem>(items);
        ASSERT_EQ(r.size(), 1u);
        EXPECT_EQ(r[0]->Points, Pts({{0, 0}, {50, 25}}));
        // Text mode resets origins, extents and scales.
        auto reset = e.Play(Emf().Add(Value(17, 8)).Add(Pair(9, 100, 100)).Add(Pair(11, 50, 25))
                                .Add(Pair(12, 7, 7)).Add(Value(17, 1)).Add(Box(43, 0, 0, 100, 100)).Bytes());
        EXPECT_EQ(e.Of<TdeShapeItem>(reset)[0]->Points, Pts({{0, 0}, {100, 100}}));
    }
    {
        // Left-multiplying a scale by 2 doubles every later point.
        TItemEngine e;
        auto items = e.Play(Emf().Add(Rec(36).F32(2).F32(0).F32(0).F32(2).F32(0).F32(0).U32(2))
                                .Add(Box(43, 1, 2, 3, 4)).Bytes());
        EXPECT_EQ(e.Of<TdeShapeItem>(items)[0]->Points, Pts({{2, 4}, {6, 8}}));
    }
    {
        // Two saves; restoring -1 brings back the second and keeps the first.
        TItemEngine e;
        auto items = e.Play(Emf()
                                .Add(Rec(33))
                                .Add(Pair(12, 10, 0))  // viewport origin after the first save
                                .Add(Rec(33))
                                .Add(Pair(12, 20, 0))
                                .Add(Value(34, std::uint32_t(-1)))
                                .Add(Box(43, 0, 0, 1, 1))
                                .Add(Value(34, std::uint32_t(-1)))
                                .Add(Box(43, 0, 0, 1, 1))
                                .Add(Value(34, std::uint32_t(-1)))  // nothing left: only the clip reset
                                .Bytes());
        auto shapes = e.Of<TdeShapeItem>(items);
        ASSERT_EQ(shapes.size(), 2u);
        EXPECT_EQ(shapes[0]->Points[0].X, 10);
        EXPECT_EQ(shapes[1]->Points[0].X, 0);
        auto clips = e.Of<TdeClipItem>(items);
        ASSERT_EQ(clips.size(), 3u);
        for (auto* c : clips) EXPECT_EQ(c->Operation, 1);
    }
    {
        // A clip region of size 0 resets; one of a rectangle sets it.
        TItemEngine e;
        auto region = Rec(75).U32(48).U32(5).U32(32).U32(1).U32(1).U32(16).Ints({5, 6, 50, 60}).Ints({5, 6, 50, 60});
        auto items = e.Play(Emf().Add(Rec(75).U32(0).U32(5)).Add(region).Bytes(), 10, 0);
        auto clips = e.Of<TdeClipItem>(items);
        ASSERT_EQ(clips.size(), 2u);
        EXPECT_EQ(clips[0]->Operation, 1);
        EXPECT_EQ(clips[1]->Operation, 0);
        EXPECT_EQ(clips[1]->Mode, 5);
        EXPECT_EQ(clips[1]->Points, Pts({{15, 6}, {60, 60}}));
    }
}

TEST(MetafileInterpreter, ObjectTableAndStockObjects) {
    TItemEngine e;
    auto items = e.Play(Emf()
                            .Add(CreateBrush(1, 0, 0x0000FF))
                            .Add(CreateBrush(2, 0, 0x00FF00))
                            .Add(CreatePen(3, 0, 1, 0xFF0000))
                            .Add(Delete(2))
                            .Add(CreateBrush(2, 0, 0x123456))
                            .Add(CreateBrush(5, 0, 0x654321))  // beyond the table: appended as entry 4
                            .Add(Select(2))
                            .Add(Select(3))
                            .Add(Box(43, 0, 0, 1, 1))
                            .Add(Select(4))
                            .Add(Box(43, 0, 0, 1, 1))
                            .Add(Select(0x80000003))  // dark gray is the same gray
                            .Add(Box(43, 0, 0, 1, 1))
                            .Add(Select(0x80000008))  // null pen
                            .Add(Box(43, 0, 0, 1, 1))
                            .Bytes());
    auto s = e.Of<TdeShapeItem>(items);
    ASSERT_EQ(s.size(), 4u);
    EXPECT_EQ(s[0]->Brush->Color(), 0x123456);
    EXPECT_EQ(s[0]->Pen.Color(), 0xFF0000);
    EXPECT_EQ(s[1]->Brush->Color(), 0x654321);
    EXPECT_EQ(s[2]->Brush->Color(), 0x808080);
    EXPECT_EQ(s[3]->Pen.Style(), psClear);
}

TEST(MetafileInterpreter, TextFontsAndPlacement) {
    const std::u16string word = u"\u00e9t\u0101";  // "é", "t", a letter beyond one byte
    {
        // Before any font: each code unit's low byte.
        TItemEngine e;
        auto t = e.Of<TdeTextItem>(e.Play(Emf().Add(TextW(0, 0, word, {5, 5, 5})).Bytes()));
        ASSERT_EQ(t.size(), 1u);
        EXPECT_EQ(t[0]->Lines[0], "\xC3\xA9t\x01");
    }
    struct FontCase {
        int weight;
        bool bold;
    } weights[] = {{700, true}, {600, false}, {800, false}, {400, false}};
    for (const FontCase& w : weights) {
        TItemEngine e;
        auto t = e.Of<TdeTextItem>(e.Play(Emf()
                                              .Add(CreateFont(1, -16, w.weight, u"Arial"))
                                              .Add(Select(1))
                                              .Add(TextW(0, 0, word, {5, 5, 5}))
                                              .Bytes()));
        ASSERT_EQ(t.size(), 1u);
        EXPECT_EQ(t[0]->Lines[0], "\xC3\xA9t\xC4\x81") << "an ordinary font reads whole code units";
        EXPECT_EQ(bool(t[0]->Font.Style() & fsBold), w.bold) << w.weight;
        EXPECT_EQ(t[0]->Font.Size(), 12);
    }
    {
        // Baseline-centre at angle 0: left by half the width, up by S - D.
        TItemEngine e;
        auto t = e.Of<TdeTextItem>(e.Play(Emf()
                                              .Add(CreateFont(1, -16, 400, u"Arial"))
                                              .Add(Select(1))
                                              .Add(Value(22, 24 | 6))
                                              .Add(TextW(200, 100, u"Wide", {10, 10, 10, 10}))
                                              .Bytes()));
        ASSERT_EQ(t.size(), 1u);
        const double w = e.TextExtent("Wide", t[0]->Font).cx;
        EXPECT_NEAR(t[0]->X, 200 - w / 2, 0.01);
        EXPECT_LT(t[0]->Y, 100 - 12 + 0.01);  // up by at least the font size in points
    }
    {
        // Opaque text: the empty rectangle adds no box, a zero-height one a line.
        TItemEngine e;
        auto none = e.Play(Emf().Add(TextW(0, 0, u"a", {5}, 2)).Bytes());
        EXPECT_TRUE(e.Of<TdeShapeItem>(none).empty());
        auto line = e.Play(Emf().Add(TextW(0, 0, u"a", {5}, 2, {0, 10, 50, 10})).Bytes());
        auto shapes = e.Of<TdeShapeItem>(line);
        ASSERT_EQ(shapes.size(), 1u);
        EXPECT_EQ(shapes[0]->ShapeType, stLine);
    }
}

TEST(MetafileInterpreter, PicturesMergeBandsJoinAndFillsWithoutBitmaps) {
    {
        // Mask then image at one place: one picture, the two combined.
        TItemEngine e;
        auto items = e.Play(Emf()
                                .Add(StretchDib(10, 10, 20, 10, 2, 1, 0x00FF00, 0x8800C6))
                                .Add(StretchDib(10, 10, 20, 10, 2, 1, 0xFF0000, 0xEE0086))
                                .Bytes());
        auto images = e.Of<TdeImageItem>(items);
        ASSERT_EQ(images.size(), 1u);
        TGraphic* g = e.GetImage(images[0]->ImageIndex);
        ASSERT_NE(g, nullptr);
        QImage img = g->ToImage();
        EXPECT_EQ(img.pixel(0, 0) & 0xFFFFFF, 0xFFFF00u) << "green AND, then red OR";
    }
    {
        // Bands of a picture given from the top: one item, heights summed.
        TItemEngine e;
        Emf emf;
        for (int first : {0, 2, 4}) {
            auto dib = Dib24(3, 2, 0x0000FF);
            emf.Add(Rec(80).Ints({0, 0, 2, 5}).Ints({0, 0, 0, 0, 3, 2}).U32(76).U32(40).U32(116)
                        .U32(std::uint32_t(dib.size() - 40)).U32(0).U32(std::uint32_t(first)).U32(2).Raw(dib));
        }
        auto images = e.Of<TdeImageItem>(e.Play(emf.Bytes()));
        ASSERT_EQ(images.size(), 1u);
        EXPECT_EQ(e.GetImage(images[0]->ImageIndex)->Height(), 6);
    }
    {
        // A pattern copy without a bitmap: a filled rectangle without outline.
        TItemEngine e;
        auto shapes = e.Of<TdeShapeItem>(e.Play(Emf().Add(CreateBrush(1, 0, 0x00FFFF)).Add(Select(1))
                                                    .Add(PatBlt(5, 6, 10, 20)).Bytes()));
        ASSERT_EQ(shapes.size(), 1u);
        EXPECT_EQ(shapes[0]->ShapeType, stRectangle);
        EXPECT_EQ(shapes[0]->Pen.Style(), psClear);
        EXPECT_EQ(shapes[0]->Brush->Color(), 0x00FFFF);
        EXPECT_EQ(shapes[0]->Points, Pts({{5, 6}, {15, 26}}));
    }
}

TEST(MetafileInterpreter, BadRecordsEndCleanly) {
    // A select-palette or fill-region naming no entry ends the
    // interpretation: the rectangle after it is not added.
    for (auto bad : {Rec(48).U32(7), Rec(71).Ints({0, 0, 5, 5}).U32(0).U32(9)}) {
        TItemEngine e;
        auto items = e.Play(Emf().Add(Box(43, 0, 0, 1, 1)).Add(bad).Add(Box(43, 0, 0, 2, 2)).Bytes());
        EXPECT_EQ(e.Of<TdeShapeItem>(items).size(), 1u);
        EXPECT_TRUE(e.Of<TdeEOFItem>(items).empty());
    }
    // A record too short for what it claims, or broken framing: refused
    // with the metafile error, nothing read outside the buffer.
    TItemEngine e;
    TdeMetafileProcessor p(&e);
    EXPECT_THROW(p.Play(Emf().Add(Rec(86).Ints({0, 0, 0, 0}).U32(50000).I16(1).I16(1)).Bytes(), 0, 0),
                 EMetafileError);
    auto broken = Emf().Add(Box(43, 0, 0, 1, 1)).Bytes();
    broken[88 + 4] = 12;
    const std::size_t before = e.GraphicItems().size();
    EXPECT_THROW(p.Play(broken, 0, 0), EMetafileError);
    EXPECT_EQ(e.GraphicItems().size(), before);
}

TEST(MetafileInterpreter, DrawingOnTheRecordingCanvasBecomesItemsWhenThePageCloses) {
    TItemEngine e;
    TBitmap b;
    b.SetSize(10, 10);
    e.StretchGraphic(TdeRect{20, 30, 60, 50}, &b);
    EXPECT_TRUE(e.Of<TdeImageItem>(e.GraphicItems()).empty());
    TdePageItem* first = e.PageItem(1);
    e.NewPage();
    auto images = e.Of<TdeImageItem>(first->GraphicItems);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0]->X, 20);
    EXPECT_EQ(images[0]->Y, 30);
    EXPECT_EQ(images[0]->Width, 40);
}

// Rich text is drawn on the recording picture in the engine's font, two
// lines to a rectangle here, continuing on a new page; the drawing comes
// back as text items when each page closes.
TEST(MetafileInterpreter, RichTextFillsItsRectangleAndContinuesOnNewPages) {
    auto texts = [](TItemEngine& e, int page) {
        std::vector<std::pair<std::string, double>> out;
        for (auto* t : e.Of<TdeTextItem>(e.PageItem(page)->GraphicItems)) out.push_back({t->Lines[0], t->Y});
        return out;
    };
    TItemEngine e;
    e.Font()->SetName("Arial");
    e.Font()->SetSize(10);
    TMetafile probe;
    TMetafileCanvas measure(&probe);
    measure.Font()->Assign(*e.Font());
    const int line = measure.TextHeight("W");
    const std::string source =
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\*\\generator hidden}\\f0 Caf\\'e9 one\\par two\\par "
        "three\\par four}";
    TMemoryStream stream;
    stream.WriteBuffer(source.data(), static_cast<Integer>(source.size()));
    e.RenderRichTextStream(stream, 0, 50, 40, 400, 40 + 2.5 * line, -1, clYellow);
    ASSERT_EQ(e.PageCount(), 2);
    e.NewPage();
    using Lines = std::vector<std::pair<std::string, double>>;
    EXPECT_EQ(texts(e, 1), (Lines{{"Caf\xC3\xA9 one", 40}, {"two", 40 + line}}));
    EXPECT_EQ(texts(e, 2), (Lines{{"three", 40}, {"four", 40 + line}}));
    bool yellow = false;
    for (auto* s : e.Of<TdeShapeItem>(e.PageItem(2)->GraphicItems)) yellow |= s->Brush && s->Brush->Color() == clYellow;
    EXPECT_TRUE(yellow) << "the background colour fills the rectangle";
    for (auto* t : e.Of<TdeTextItem>(e.PageItem(1)->GraphicItems)) EXPECT_EQ(t->X, 50);

    // From the second paragraph up to the third's end, a word too wide for
    // the rectangle is broken; a rectangle lower than a line draws nothing
    // and makes no page.
    TRichTextDocument doc;
    doc.SetText("skipped\nabcdefghijklmnop\nafter\nnot drawn");
    const int before = e.PageCount();
    e.RenderRichText(&doc, 8, 0, 0, measure.TextWidth("abcdefgh"), 10 * line, 31, clWhite);
    e.RenderRichText(&doc, 0, 0, 300, 400, 300 + line / 2, -1, clWhite);
    EXPECT_EQ(e.PageCount(), before);
    e.NewPage();
    Lines drawn = texts(e, before);
    ASSERT_EQ(drawn.size(), 3u);
    EXPECT_EQ(drawn[0].first + drawn[1].first, "abcdefghijklmnop");
    EXPECT_EQ(drawn[2], (Lines::value_type{"after", 2 * line}));

    // A memo's lines are drawn as they stand.
    TMemo memo(nullptr);
    memo.SetText("memo one\r\nmemo two");
    e.RenderRichText(&memo, 0, 0, 0, 400, 400, -1, clWhite);
    e.NewPage();
    EXPECT_EQ(texts(e, e.PageCount() - 1), (Lines{{"memo one", 0}, {"memo two", line}}));

    // Broken RTF is refused before anything is drawn.
    for (const std::string bad : {"{\\rtf1 open", "{\\rtf1 \\bin900 x}", "{\\rtf1 \\'4"}) {
        TMemoryStream s;
        s.WriteBuffer(bad.data(), static_cast<Integer>(bad.size()));
        EXPECT_THROW(e.RenderRichTextStream(s, 0, 0, 0, 400, 400, -1, clWhite), EConvertError) << bad;
    }
    EXPECT_THROW(e.RenderRichTextFile("/nonexistent/report.rtf", 0, 0, 0, 400, 400, -1, clWhite), EFOpenError);

    // Through the engine interface, into an RTF document.
    TdeRTFEngine rtf(nullptr);
    TMemoryStream out;
    WriteIntoMemory(rtf, out, 0, 10);
    rtf.BeginDoc();
    stream.SetPosition(stream.Size());  // the stream is read from its start
    rtf.DocumentInterface()->RenderRichTextStream(stream, 0, 0, 0, 400, 400, -1, clWhite);
    rtf.EndDoc();
    const std::string written(out.Memory(), static_cast<std::size_t>(out.Size()));
    for (const char* word : {"Caf", " one", "two", "three", "four"})
        EXPECT_NE(written.find(word), std::string::npos) << word;
}

TEST(MetafileInterpreter, PathsPolyDrawPensAndSingleByteText) {
    TItemEngine e;
    auto polydraw = Rec(92).Ints({0, 0, 0, 0}).U32(3).I16(1).I16(2).I16(3).I16(4).I16(5).I16(6).U8(6).U8(2).U8(3).Pad();
    auto textA = Rec(83);
    textA.Ints({0, 0, -1, -1}).U32(1).F32(0).F32(0).Ints({10, 20}).U32(3).U32(76).U32(0).Ints({0, 0, -1, -1}).U32(80);
    textA.U8('a').U8(0xE9).U8('b').U8(0).Ints({5, 5, 5});
    auto items = e.Play(Emf()
                            .Add(Rec(95).U32(1).U32(0).U32(0).U32(0).U32(0).U32(1).I32(0).U32(0).U32(0x00FF00).U32(0).U32(0))
                            .Add(Select(1))
                            .Add(Value(19, 1))
                            .Add(Rec(59))
                            .Add(Rec(61))
                            .Add(Rec(60))
                            .Add(Rec(63).Ints({0, 0, 0, 0}))
                            .Add(Value(67, 5))
                            .Add(polydraw)
                            .Add(textA)
                            .Bytes());
    auto paths = e.Of<TdePathItem>(items);
    ASSERT_EQ(paths.size(), 5u);
    std::vector<int> ops;
    for (auto* p : paths) ops.push_back(p->Operation);
    EXPECT_EQ(ops, (std::vector<int>{0, 2, 1, 5, 7}));
    ASSERT_NE(paths[3]->Pen, nullptr);
    EXPECT_EQ(paths[3]->Pen->Color(), 0x00FF00);
    EXPECT_EQ(paths[3]->Pen->Style(), psDash);
    EXPECT_EQ(paths[3]->Pen->Width(), 1) << "a width of 0 is taken as 1";
    EXPECT_TRUE(paths[3]->AlternateFill);
    EXPECT_EQ(paths[4]->Mode, 5);
    auto pd = e.Of<TdePolyDrawItem>(items);
    ASSERT_EQ(pd.size(), 1u);
    EXPECT_EQ(pd[0]->Points, Pts({{1, 2}, {3, 4}, {5, 6}}));
    EXPECT_EQ(pd[0]->PointTypes, (std::vector<Byte>{6, 2, 3}));
    auto t = e.Of<TdeTextItem>(items);
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0]->Lines[0], "a\xC3\xA9" "b");
}

TEST(MetafileInterpreter, ExtentScalingClipAndStretchedPictures) {
    {
        // Scaling the viewport extent by 1/2 in mode 8 halves every point.
        TItemEngine e;
        auto items = e.Play(Emf().Add(Value(17, 8)).Add(Pair(9, 10, 10)).Add(Pair(11, 10, 10))
                                .Add(Rec(31).Ints({1, 2, 1, 2})).Add(Box(43, 0, 0, 40, 20)).Bytes());
        EXPECT_EQ(e.Of<TdeShapeItem>(items)[0]->Points, Pts({{0, 0}, {20, 10}}));
    }
    {
        // A stretch-blit picture with a source bitmap becomes a stretched
        // picture item; a mask-blit without one is a fill.
        TItemEngine e;
        auto dib = Dib24(2, 2, 0x0000FF);
        auto stretch = Rec(77);
        stretch.Ints({5, 5, 44, 24}).Ints({5, 5, 40, 20}).U32(0xCC0020).Ints({0, 0});
        stretch.F32(1).F32(0).F32(0).F32(1).F32(0).F32(0).U32(0).U32(0);
        stretch.U32(108).U32(40).U32(148).U32(std::uint32_t(dib.size() - 40)).Ints({2, 2}).Raw(dib);
        auto mask = Rec(78);
        mask.Ints({50, 50, 59, 59}).Ints({50, 50, 10, 10}).U32(0xF00021).Ints({0, 0});
        mask.F32(1).F32(0).F32(0).F32(1).F32(0).F32(0).U32(0).U32(0).Ints({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
        auto items = e.Play(Emf().Add(stretch).Add(mask).Bytes());
        auto images = e.Of<TdeImageItem>(items);
        ASSERT_EQ(images.size(), 1u);
        EXPECT_EQ(images[0]->X, 5);
        EXPECT_EQ(images[0]->Width, 40);
        EXPECT_EQ(images[0]->Height, 20);
        EXPECT_TRUE(images[0]->Settings.Stretch);
        auto fills = e.Of<TdeShapeItem>(items);
        ASSERT_EQ(fills.size(), 1u);
        EXPECT_EQ(fills[0]->ShapeType, stRectangle);
    }
    {
        // After a picture drawn with stretch-DIB-bits the clip rectangle
        // holds its rectangle: a following bit-blit picture at another
        // place is centred.
        TItemEngine e;
        auto dib = Dib24(2, 2, 0x00FF00);
        auto blt = Rec(76);
        blt.Ints({100, 100, 109, 109}).Ints({100, 100, 10, 10}).U32(0xCC0020).Ints({0, 0});
        blt.F32(1).F32(0).F32(0).F32(1).F32(0).F32(0).U32(0).U32(0);
        blt.U32(100).U32(40).U32(140).U32(std::uint32_t(dib.size() - 40)).Raw(dib);
        auto items = e.Play(Emf().Add(StretchDib(10, 10, 20, 10, 2, 1, 0xFF0000)).Add(blt).Bytes());
        auto images = e.Of<TdeImageItem>(items);
        ASSERT_EQ(images.size(), 2u);
        EXPECT_FALSE(images[0]->Settings.Center);
        EXPECT_TRUE(images[1]->Settings.Center);
    }
}

TEST(MetafileInterpreter, InterfaceEntriesReachTheEngineAndItsOverrides) {
    auto data = Emf(40, 30).Add(Box(43, 0, 0, 10, 10)).Bytes();
    TMetafile mf;
    mf.LoadFromBytes(data);
    {
        TItemEngine e;
        e.DocumentInterface()->PlayMetafileAt(mf, 10, 20);
        auto shapes = e.Of<TdeShapeItem>(e.GraphicItems());
        ASSERT_EQ(shapes.size(), 1u);
        EXPECT_EQ(shapes[0]->Points, Pts({{10, 20}, {20, 30}}));
    }
    {
        // The RTF engine keeps a metafile whole as one picture when asked.
        TdeRTFEngine rtf(nullptr);
        TMemoryStream out;
        WriteIntoMemory(rtf, out, 0, 10);
        rtf.Preferences()->MetafileAsImage = true;
        rtf.BeginDoc();
        rtf.DocumentInterface()->PlayMetafile(mf);
        const TdeItemList& items = rtf.GraphicItems();
        ASSERT_EQ(items.size(), 1u);
        auto* image = dynamic_cast<TdeImageItem*>(items[0]);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->Settings.OutputImageFormat(), ifMetafile);
        EXPECT_EQ(image->Width, 40);
        rtf.EndDoc();
        const std::string text(out.Memory(), static_cast<std::size_t>(out.Size()));
        EXPECT_NE(text.find("\\emfblip"), std::string::npos);
    }
}

TEST(MetafileInterpreter, PictureAsImageIsRasterisedNoFinerThanThePage) {
    // A frame claiming a metre-sized picture: kept whole as one image, it is
    // rasterised at most at the page's size, not at the frame's (which made
    // a 100 MB document of a picture of a few hundred bytes).
    for (const int side : {200, 100000}) {
        auto data = Emf(side, side * 3 / 5).Add(CreateBrush(1, 0, 0x0000FF)).Add(Select(1))
                        .Add(Box(43, 0, 0, side, side)).Bytes();
        TMetafile mf;
        mf.LoadFromBytes(data);
        TdeRTFEngine rtf(nullptr);
        TMemoryStream out;
        WriteIntoMemory(rtf, out, 20, 10);  // an 800 x 600 page
        rtf.Preferences()->MetafileAsImage = true;
        rtf.BeginDoc();
        rtf.DocumentInterface()->PlayMetafile(mf);
        rtf.EndDoc();
        const std::string text(out.Memory(), static_cast<std::size_t>(out.Size()));
        EXPECT_NE(text.find("\\emfblip"), std::string::npos) << side;
        // Two hex digits per byte of a 24-bit raster of at most the page.
        EXPECT_LT(text.size(), 2u * 3 * 800 * 600 + 100000) << side;
    }
}

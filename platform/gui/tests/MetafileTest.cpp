#include <gtest/gtest.h>

#include <QPainter>
#include <cstdio>
#include <functional>

#include "platform/gui/Bitmap.h"
#include "platform/gui/Metafile.h"
#include "platform/gui/tests/MetafileBuilder.h"

// The recorded picture: canvas to records, framing checks, and the painter
// player compared with drawing directly on a bitmap.

namespace {

using namespace emftest;

QImage Played(const std::vector<std::uint8_t>& data, int w, int h) { return MetafileToImage(data, w, h); }

QRgb Px(const QImage& img, int x, int y) { return img.pixel(x, y) & 0xFFFFFF; }

// Share of pixels whose channels differ by more than 64 anywhere.
double Difference(const QImage& a, const QImage& b) {
    int bad = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > 64 || std::abs(qGreen(p) - qGreen(q)) > 64 ||
                std::abs(qBlue(p) - qBlue(q)) > 64)
                ++bad;
        }
    return double(bad) / (a.width() * a.height());
}

// One drawing, done on a bitmap's canvas and on a recording canvas.
struct Scene {
    const char* name;
    std::function<void(TCanvas&)> direct;
    std::function<void(TMetafileCanvas&)> recorded;
};

template <class C>
void Tools(C& c, TColor pen, TColor brush) {
    c.Pen()->SetColor(pen);
    c.Brush()->SetColor(brush);
}

}  // namespace

TEST(Metafile, PlayerDrawsWhatTheCanvasDraws) {
    EnsureGuiApplication();
    TBitmap picture;
    picture.SetSize(12, 8);
    picture.Canvas()->Brush()->SetColor(clBlue);
    picture.Canvas()->FillRect(TRect(0, 0, 12, 8));
    const Scene scenes[] = {
        {"filled rectangle", [](TCanvas& c) { Tools(c, clBlack, clRed); c.Rectangle(10, 10, 120, 60); },
         [](TMetafileCanvas& c) { Tools(c, clBlack, clRed); c.Rectangle(10, 10, 120, 60); }},
        {"ellipse", [](TCanvas& c) { Tools(c, clGreen, clYellow); c.Ellipse(20, 5, 180, 90); },
         [](TMetafileCanvas& c) { Tools(c, clGreen, clYellow); c.Ellipse(20, 5, 180, 90); }},
        {"polygon", [](TCanvas& c) { Tools(c, clNavy, clAqua); c.Polygon({{10, 90}, {100, 10}, {190, 90}}); },
         [](TMetafileCanvas& c) { Tools(c, clNavy, clAqua); c.Polygon({{10, 90}, {100, 10}, {190, 90}}); }},
        {"wide line", [](TCanvas& c) { c.Pen()->SetWidth(5); c.MoveTo(10, 50); c.LineTo(190, 50); },
         [](TMetafileCanvas& c) { c.Pen()->SetWidth(5); c.MoveTo(10, 50); c.LineTo(190, 50); }},
        {"fill", [](TCanvas& c) { c.Brush()->SetColor(clPurple); c.FillRect(TRect(30, 20, 170, 80)); },
         [](TMetafileCanvas& c) { c.Brush()->SetColor(clPurple); c.FillRect(TRect(30, 20, 170, 80)); }},
        {"picture", [&](TCanvas& c) { c.StretchDraw(TRect(40, 20, 160, 80), &picture); },
         [&](TMetafileCanvas& c) { c.StretchDraw(TRect(40, 20, 160, 80), &picture); }},
        {"text", [](TCanvas& c) { c.Font()->SetName("Arial"); c.Font()->SetSize(20); c.Brush()->SetStyle(bsClear);
                                  c.TextOut(10, 30, "Metafile 123"); },
         [](TMetafileCanvas& c) { c.Font()->SetName("Arial"); c.Font()->SetSize(20); c.Brush()->SetStyle(bsClear);
                                  c.TextOut(10, 30, "Metafile 123"); }},
    };
    for (const Scene& s : scenes) {
        TBitmap direct;
        direct.SetSize(200, 100);
        s.direct(*direct.Canvas());
        TMetafile mf;
        mf.SetWidth(200);
        mf.SetHeight(100);
        {
            TMetafileCanvas c(&mf);
            s.recorded(c);
        }
        ASSERT_EQ(mf.Width(), 200) << s.name;
        QImage played = mf.ToImage();
        ASSERT_EQ(played.size(), direct.Image().size()) << s.name;
        // Outlines may fall one pixel apart; anything more is a fault.
        EXPECT_LT(Difference(played, direct.Image()), 0.01) << s.name;
    }
}

TEST(Metafile, StretchedIntoALargerRectangle) {
    EnsureGuiApplication();
    auto data = Emf(100, 50)
                    .Add(CreateBrush(1, 0, 0x0000FF))
                    .Add(Select(1))
                    .Add(Select(0x80000008))  // null pen
                    .Add(Box(43, 0, 0, 50, 25))
                    .Bytes();
    QImage img = Played(data, 200, 100);
    EXPECT_EQ(Px(img, 90, 40), 0xFF0000u);   // red, twice as large
    EXPECT_EQ(Px(img, 110, 40), 0xFFFFFFu);
    EXPECT_EQ(Px(img, 90, 60), 0xFFFFFFu);
}

TEST(Metafile, MalformedFramingIsRefusedBeforeAnythingIsVisited) {
    auto good = Emf().Add(Box(43, 0, 0, 10, 10)).Bytes();
    struct Case {
        const char* name;
        std::function<void(std::vector<std::uint8_t>&)> damage;
    } cases[] = {
        {"too short for a header", [](auto& d) { d.resize(40); }},
        {"first record is no header", [](auto& d) { d[0] = 2; }},
        {"no signature", [](auto& d) { d[40] = 'X'; }},
        {"record smaller than 8", [](auto& d) { d[88 + 4] = 4; }},
        {"record size not a multiple of 4", [](auto& d) { d[88 + 4] = 26; }},
        {"record beyond the buffer", [](auto& d) { d[88 + 5] = 0x10; }},
        {"truncated inside a record", [](auto& d) { d.resize(d.size() - 6); }},
    };
    for (const Case& c : cases) {
        auto data = good;
        c.damage(data);
        int visited = 0;
        EXPECT_THROW(WalkMetafile(data, [&](const TMetafileRecord&) { ++visited; return true; }), EMetafileError)
            << c.name;
        EXPECT_EQ(visited, 0) << c.name;
        TMetafile mf;
        EXPECT_THROW(mf.LoadFromBytes(data), EMetafileError) << c.name;
    }
}

TEST(Metafile, AHugeFrameIsSizedWithoutOverflowAndImagedWithinBounds) {
    EnsureGuiApplication();
    auto put = [](std::vector<std::uint8_t>& d, std::size_t at, std::int32_t v) {
        for (int i = 0; i < 4; ++i) d[at + std::size_t(i)] = std::uint8_t(std::uint32_t(v) >> (8 * i));
    };
    // The frame (hundredths of a millimetre) sits at bytes 24 to 39 of the header.
    auto data = Emf().Add(Box(43, 0, 0, 10, 10)).Bytes();
    put(data, 24, INT32_MIN);
    put(data, 28, 0);
    put(data, 32, INT32_MAX);
    put(data, 36, 2540 * 2000 - 1);  // 2000 inches high: 192000 pixels
    TMetafile mf;
    mf.LoadFromBytes(data);
    EXPECT_EQ(mf.Width(), 162329473);  // 2^32 hundredths of a millimetre
    EXPECT_EQ(mf.Height(), 192000);
    QImage img = mf.ToImage();
    EXPECT_EQ(img.width(), kMetafileImageMaxSide);
    EXPECT_EQ(img.height(), 4);  // the aspect is kept

    put(data, 24, 0);
    put(data, 32, 2540 * 50 - 1);  // 50 inches wide: 4800 pixels
    put(data, 36, 2540 * 25 - 1);
    mf.LoadFromBytes(data);
    img = mf.ToImage();
    EXPECT_EQ(img.width(), kMetafileImageMaxSide);
    EXPECT_EQ(img.height(), kMetafileImageMaxSide / 2);
}

TEST(Metafile, BoxesAtTheEndsOfTheIntegerRangeCoverThePicture) {
    EnsureGuiApplication();
    const int lo = INT32_MIN, hi = INT32_MAX;
    // Opaque text whose box spans the whole range fills it with the
    // background colour (red).
    auto text = Emf(40, 20).Add(Value(25, 0x0000FF)).Add(TextW(5, 5, u"A", {8}, 2, {lo, lo, hi, hi})).Bytes();
    EXPECT_EQ(Px(Played(text, 40, 20), 38, 18), 0xFF0000u);
    // So does a filled rectangle (green).
    auto box = Emf(40, 20).Add(CreateBrush(1, 0, 0x00FF00)).Add(Select(1)).Add(Box(43, lo, lo, hi, hi)).Bytes();
    EXPECT_EQ(Px(Played(box, 40, 20), 20, 10), 0x00FF00u);
}

TEST(Metafile, BadRecordsEndThePlayingWithoutReadingOutside) {
    EnsureGuiApplication();
    // A polyline claiming more points than it holds.
    auto overlong = Emf().Add(Rec(87).Ints({0, 0, 0, 0}).U32(100000).I16(1).I16(1)).Bytes();
    EXPECT_THROW(Played(overlong, 200, 100), EMetafileError);
    // Selecting an object that was never created ends the playing there:
    // the rectangle after it is not drawn.
    auto badIndex = Emf()
                        .Add(CreateBrush(1, 0, 0x00FF00))
                        .Add(Select(1))
                        .Add(Box(43, 0, 0, 100, 50))
                        .Add(Select(9))
                        .Add(Box(43, 100, 50, 200, 100))
                        .Bytes();
    QImage img = Played(badIndex, 200, 100);
    EXPECT_EQ(Px(img, 50, 25), 0x00FF00u);
    EXPECT_EQ(Px(img, 150, 75), 0xFFFFFFu);
    // A fill naming a missing brush, and a palette that does not exist.
    for (auto rec : {Rec(71).Ints({0, 0, 10, 10}).U32(0).U32(7), Rec(48).U32(5)}) {
        auto data = Emf().Add(rec).Add(Box(43, 0, 0, 200, 100)).Bytes();
        QImage i = Played(data, 200, 100);
        EXPECT_EQ(Px(i, 100, 50), 0xFFFFFFu);
    }
}

TEST(Metafile, BitmapFileImageTakesTheColourTableTheHeaderCalls) {
    // 8-bit bitmap with no colours-used count: a 256-entry table, cut to
    // the header area the record gives.
    Rec info(81);
    info.U32(40).I32(2).I32(1).I16(1).I16(8).U32(0).U32(4).I32(0).I32(0).U32(0).U32(0);
    for (int i = 0; i < 4; ++i) info.U32(0x00112233);  // only 4 entries stored
    info.U32(0x01000000);                                // bits
    auto bytes = info.Bytes();
    TMetafileRecord r{81, std::uint32_t(bytes.size()), bytes.data(), 1};
    auto file = MetafileBitmapFile(r, 8, 56, 64, 4);
    ASSERT_EQ(file.size(), 14u + 56 + 4);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(file[10], 14 + 56);  // offset of the bits
    EXPECT_EQ(file[2], 14 + 56 + 4);
    EXPECT_TRUE(MetafileBitmapFile(r, 8, 0, 64, 4).empty());
    EXPECT_THROW(MetafileBitmapFile(r, 8, 56, 64, 400), EMetafileError);
}

TEST(Metafile, SavedFileLoadsThroughThePicture) {
    EnsureGuiApplication();
    TMetafile mf;
    mf.SetWidth(50);
    mf.SetHeight(40);
    {
        TMetafileCanvas c(&mf);
        c.Brush()->SetColor(clRed);
        c.FillRect(TRect(0, 0, 25, 20));
    }
    std::string path = ::testing::TempDir() + "docx-metafile-test.emf";
    mf.SaveToFile(path);
    TPicture pic;
    pic.LoadFromFile(path);
    std::remove(path.c_str());
    ASSERT_NE(dynamic_cast<TMetafile*>(pic.Graphic()), nullptr);
    EXPECT_EQ(pic.Width(), 50);
    EXPECT_EQ(pic.Height(), 40);
    TBitmap target;
    target.SetSize(100, 80);
    pic.Graphic()->Draw(target.Canvas(), TRect(0, 0, 100, 80));
    EXPECT_EQ(target.Canvas()->GetPixel(45, 35), clRed);
    EXPECT_EQ(target.Canvas()->GetPixel(55, 45), clWhite);
}

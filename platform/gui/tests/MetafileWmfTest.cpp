#include <gtest/gtest.h>

#include <QPainter>
#include <map>
#include <string>

#include "platform/gui/Bitmap.h"
#include "platform/gui/Icon.h"
#include "platform/gui/Metafile.h"
#include "platform/gui/MetafileWmf.h"
#include "platform/gui/tests/IconFixture.h"
#include "platform/gui/tests/MetafileBuilder.h"

// The older metafile form and pictures with see-through pixels. The
// converted bytes are read back by a reader written here from the older
// format's layout (header, record sizes, the object table's lowest-free-slot
// rule), not by the converter's own code.

namespace {

struct WmfRecord {
    std::uint16_t Function = 0;
    std::vector<std::int16_t> Params;  // every word after the function
};

struct WmfFile {
    std::uint16_t Objects = 0;
    std::uint32_t MaxRecord = 0;
    std::vector<WmfRecord> Records;
    std::string Problem;  // empty when the framing holds
};

std::uint16_t Le16(const std::vector<std::uint8_t>& b, std::size_t at) { return std::uint16_t(b[at] | (b[at + 1] << 8)); }
std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) { return Le16(b, at) | (std::uint32_t(Le16(b, at + 2)) << 16); }

WmfFile ReadWmf(const std::vector<std::uint8_t>& b) {
    WmfFile f;
    if (b.size() < 18 || b.size() % 2) return f.Problem = "too short or odd", f;
    if (Le16(b, 0) != 1 || Le16(b, 2) != 9 || Le16(b, 4) != 0x0300) return f.Problem = "bad header", f;
    if (std::size_t(Le32(b, 6)) * 2 != b.size()) return f.Problem = "header size is not the file's size", f;
    f.Objects = Le16(b, 10);
    f.MaxRecord = Le32(b, 12);
    std::uint32_t biggest = 0;
    std::size_t at = 18;
    while (at < b.size()) {
        if (b.size() - at < 6) return f.Problem = "record header cut short", f;
        const std::uint32_t words = Le32(b, at);
        if (words < 3 || std::size_t(words) * 2 > b.size() - at) return f.Problem = "bad record size", f;
        biggest = std::max(biggest, words);
        WmfRecord r;
        r.Function = Le16(b, at + 4);
        for (std::uint32_t i = 3; i < words; ++i) r.Params.push_back(std::int16_t(Le16(b, at + 2 * i)));
        f.Records.push_back(r);
        at += std::size_t(words) * 2;
        if (r.Function == 0) break;
    }
    if (at != b.size()) return f.Problem = "bytes after the end record", f;
    if (f.Records.empty() || f.Records.back().Function != 0 || !f.Records.back().Params.empty())
        return f.Problem = "no end record", f;
    if (biggest != f.MaxRecord) return f.Problem = "largest record is not the header's", f;
    return f;
}

// Plays the object table as the older format defines it: a created object
// takes the lowest free slot; select and delete must name a live one.
std::string CheckObjectTable(const WmfFile& f) {
    std::vector<bool> live;
    for (const WmfRecord& r : f.Records) {
        const bool create = r.Function == WMF_CREATEPENINDIRECT || r.Function == WMF_CREATEBRUSHINDIRECT ||
                            r.Function == WMF_CREATEFONTINDIRECT;
        if (create) {
            auto free = std::find(live.begin(), live.end(), false);
            if (free == live.end()) live.push_back(true);
            else *free = true;
        } else if (r.Function == WMF_SELECTOBJECT || r.Function == WMF_DELETEOBJECT) {
            const int slot = r.Params.at(0);
            if (slot < 0 || slot >= int(live.size()) || !live[std::size_t(slot)])
                return "record " + std::to_string(r.Function) + " names dead slot " + std::to_string(slot);
            if (r.Function == WMF_DELETEOBJECT) live[std::size_t(slot)] = false;
        }
    }
    if (live.size() > f.Objects) return "more slots used than the header counts";
    return {};
}

std::vector<const WmfRecord*> All(const WmfFile& f, std::uint16_t function) {
    std::vector<const WmfRecord*> out;
    for (const WmfRecord& r : f.Records)
        if (r.Function == function) out.push_back(&r);
    return out;
}

std::vector<std::uint8_t> Recorded(int w, int h, const std::function<void(TMetafileCanvas&)>& draw) {
    TMetafile mf;
    mf.SetWidth(w);
    mf.SetHeight(h);
    {
        TMetafileCanvas c(&mf);
        draw(c);
    }
    return mf.Data();
}

}  // namespace

TEST(MetafileWmf, RecordsCarryOverInTheOlderLayout) {
    TBitmap picture;
    picture.SetSize(3, 2);
    const auto emf = Recorded(120, 80, [&](TMetafileCanvas& c) {
        c.Pen()->SetColor(clRed);
        c.Pen()->SetWidth(2);
        c.Brush()->SetColor(clBlue);
        c.Rectangle(10, 20, 50, 60);
        c.Brush()->SetColor(clLime);  // a new brush replaces the old one in its slot
        c.Ellipse(1, 2, 3, 4);
        c.RoundRect(5, 6, 25, 26, 8, 10);
        c.Polyline({{1, 1}, {30, 5}, {60, 1}});
        c.Font()->SetName("Arial");
        c.IntersectClipRect(TRect(0, 0, 40, 40));
        c.TextOut(7, 9, "H\xC3\xA9\xE2\x82\xAC");  // "Hé€"
        c.ResetClip();
        c.StretchDraw(TRect(60, 10, 90, 30), &picture);
    });
    const auto wmf = MetafileToWindowsMetafile(emf, 120, 80);
    const WmfFile f = ReadWmf(wmf);
    ASSERT_EQ(f.Problem, "");
    EXPECT_EQ(CheckObjectTable(f), "");

    // Anisotropic mapping over the picture's pixels.
    ASSERT_GE(f.Records.size(), 3u);
    EXPECT_EQ(f.Records[0].Function, WMF_SETMAPMODE);
    EXPECT_EQ(f.Records[0].Params, std::vector<std::int16_t>{8});
    EXPECT_EQ(f.Records[2].Function, WMF_SETWINDOWEXT);
    EXPECT_EQ(f.Records[2].Params, (std::vector<std::int16_t>{80, 120}));

    // Pen: style 0, width 2, red as 0x0000FF in two words.
    const auto pens = All(f, WMF_CREATEPENINDIRECT);
    ASSERT_FALSE(pens.empty());
    EXPECT_EQ(pens[0]->Params, (std::vector<std::int16_t>{0, 2, 0, 0x00FF, 0}));
    // Boxes go bottom, right, top, left; a rounded one leads with its corner.
    const auto rects = All(f, WMF_RECTANGLE);
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0]->Params, (std::vector<std::int16_t>{60, 50, 20, 10}));
    const auto rounds = All(f, WMF_ROUNDRECT);
    ASSERT_EQ(rounds.size(), 1u);
    EXPECT_EQ(rounds[0]->Params, (std::vector<std::int16_t>{10, 8, 26, 25, 6, 5}));
    const auto lines = All(f, WMF_POLYLINE);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]->Params, (std::vector<std::int16_t>{3, 1, 1, 30, 5, 60, 1}));

    // Text in the Western code page, one advance per character.
    const auto texts = All(f, WMF_EXTTEXTOUT);
    ASSERT_EQ(texts.size(), 1u);
    const auto& t = texts[0]->Params;
    EXPECT_EQ(t[0], 9);
    EXPECT_EQ(t[1], 7);
    ASSERT_EQ(t[2], 3);
    const int at = (t[3] & 6) ? 8 : 4;
    EXPECT_EQ(std::uint16_t(t[at]), 0xE948);  // 'H', 0xE9
    EXPECT_EQ(std::uint16_t(t[at + 1]) & 0xFF, 0x80);
    ASSERT_EQ(t.size(), std::size_t(at + 2 + 3));
    for (int i = 0; i < 3; ++i) EXPECT_GT(t[at + 2 + i], 0) << "advance " << i;

    // The clip is undone by restoring the save made before it; the pen,
    // brush and font are selected again afterwards.
    std::size_t save = 0, clip = 0, restore = 0;
    for (std::size_t i = 0; i < f.Records.size(); ++i) {
        if (f.Records[i].Function == WMF_SAVEDC && !save) save = i;
        if (f.Records[i].Function == WMF_INTERSECTCLIPRECT) clip = i;
        if (f.Records[i].Function == WMF_RESTOREDC) restore = i;
    }
    ASSERT_TRUE(save && clip && restore);
    EXPECT_LT(save, clip);
    EXPECT_LT(clip, restore);
    EXPECT_EQ(f.Records[restore].Params, std::vector<std::int16_t>{-1});
    int reselected = 0;
    for (std::size_t i = restore + 1; i < f.Records.size() && f.Records[i].Function == WMF_SELECTOBJECT; ++i)
        ++reselected;
    EXPECT_EQ(reselected, 3);

    // The bitmap: source 3 x 2 into 30 x 20 at (60, 10), then its header.
    const auto dibs = All(f, WMF_STRETCHDIB);
    ASSERT_EQ(dibs.size(), 1u);
    const auto& d = dibs[0]->Params;
    EXPECT_EQ(std::vector<std::int16_t>(d.begin() + 3, d.begin() + 11),
              (std::vector<std::int16_t>{2, 3, 0, 0, 20, 30, 10, 60}));
    EXPECT_EQ(d[11], 40);  // information header size
    EXPECT_EQ(d[13], 3);   // width
}

TEST(MetafileWmf, HandBuiltRecordsConvert) {
    using namespace emftest;
    // Curves are flattened, poly-polygons keep their figures, stock objects
    // are made once, and a record too short for its fields is refused.
    auto points = [](Rec& r, std::initializer_list<std::pair<int, int>> pts) -> Rec& {
        for (auto [x, y] : pts) r.I16(std::int16_t(x)).I16(std::int16_t(y));
        return r;
    };
    Emf e(40, 40);
    e.Add(Select(kStockObjectFlag | 5)).Add(Select(kStockObjectFlag | 5));  // the null brush, twice
    Rec curve(EMR_POLYBEZIER16);
    curve.Ints({0, 0, 30, 30}).U32(4);
    e.Add(points(curve, {{0, 0}, {10, 30}, {20, 30}, {30, 0}}));
    Rec pp(EMR_POLYPOLYGON16);
    pp.Ints({0, 0, 9, 9}).U32(2).U32(6).U32(3).U32(3);
    e.Add(points(pp, {{0, 0}, {4, 0}, {0, 4}, {5, 5}, {9, 5}, {5, 9}}));
    const WmfFile f = ReadWmf(MetafileToWindowsMetafile(e.Bytes(), 40, 40));
    ASSERT_EQ(f.Problem, "");
    EXPECT_EQ(CheckObjectTable(f), "");
    const auto brushes = All(f, WMF_CREATEBRUSHINDIRECT);
    ASSERT_EQ(brushes.size(), 1u);
    EXPECT_EQ(brushes[0]->Params.at(0), 1) << "hollow";
    const auto lines = All(f, WMF_POLYLINE);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_GT(lines[0]->Params[0], 4);
    EXPECT_EQ(lines[0]->Params.back(), 0);  // ends on the last point (30, 0)
    EXPECT_EQ(lines[0]->Params[lines[0]->Params.size() - 2], 30);
    const auto polys = All(f, WMF_POLYPOLYGON);
    ASSERT_EQ(polys.size(), 1u);
    EXPECT_EQ(std::vector<std::int16_t>(polys[0]->Params.begin(), polys[0]->Params.begin() + 3),
              (std::vector<std::int16_t>{2, 3, 3}));

    Emf bad(10, 10);
    Rec over(EMR_POLYPOLYGON16);
    over.Ints({0, 0, 9, 9}).U32(2).U32(2).U32(3).U32(3);
    bad.Add(points(over, {{0, 0}, {4, 0}}));
    EXPECT_THROW(MetafileToWindowsMetafile(bad.Bytes(), 10, 10), EMetafileError) << "counts beyond the points";
    Emf cut(10, 10);
    cut.Add(Rec(EMR_EXTTEXTOUTW).Ints({0, 0, 9, 9}).U32(1));
    EXPECT_THROW(MetafileToWindowsMetafile(cut.Bytes(), 10, 10), EMetafileError) << "text record cut short";
}

TEST(MetafileWmf, SeeThroughPixelsOfAPictureStaySeeThrough) {
    TIcon icon;
    icon.LoadFromBytes(SmallIconFile());
    const auto emf = Recorded(40, 40, [&](TMetafileCanvas& c) { c.StretchDraw(TRect(0, 0, 40, 40), &icon); });
    // Played over yellow: the icon's clear top-left cell shows the yellow.
    QImage target(40, 40, QImage::Format_RGB32);
    target.fill(qRgb(255, 255, 0));
    {
        QPainter p(&target);
        PlayMetafileWithPainter(p, emf, QRectF(0, 0, 40, 40));
    }
    EXPECT_EQ(target.pixel(4, 4) & 0xFFFFFF, 0xFFFF00u) << "the clear cell";
    EXPECT_EQ(target.pixel(14, 4) & 0xFFFFFF, 0xFF0000u) << "red";
    EXPECT_EQ(target.pixel(34, 4) & 0xFFFFFF, 0x00FF00u) << "green";
    EXPECT_EQ(target.pixel(4, 34) & 0xFFFFFF, 0x0000FFu) << "blue";
    EXPECT_EQ(target.pixel(34, 34) & 0xFFFFFF, 0x000000u) << "black stays black";

    // A picture without see-through pixels stays one plain copy.
    TBitmap plain;
    plain.SetSize(4, 4);
    int pictures = 0;
    WalkMetafile(Recorded(8, 8, [&](TMetafileCanvas& c) { c.Draw(0, 0, &plain); }), [&](const TMetafileRecord& r) {
        pictures += r.Type == EMR_STRETCHDIBITS;
        return true;
    });
    EXPECT_EQ(pictures, 1);
}

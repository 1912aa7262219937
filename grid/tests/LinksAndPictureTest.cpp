#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "grid/TSDateTimeDef.h"
#include "grid/TSImageList.h"
#include "grid/TSMask.h"
#include "grid/tests/GridTestSupport.h"

namespace {

class FakeMaskDefs : public TgrMaskDefsComponent {
public:
    using TgrMaskDefsComponent::TgrMaskDefsComponent;
    void AddLink(TgrMaskLink* link) override {
        links.push_back(link);
        link->MaskDefsComponent = this;
    }
    void RemoveLink(TgrMaskLink* link) override {
        std::erase(links, link);
        link->MaskDefsComponent = nullptr;
    }
    TObject* FindMask(const Variant& name) override {
        asked.push_back(name.AsString());
        return name.AsString() == "Phone" ? &mask : nullptr;
    }
    std::vector<TgrMaskLink*> links;
    std::vector<std::string> asked;
    TObject mask;
};

class CountingLink : public TgrDateTimeLink {
public:
    void DateTimeDefRemoved(TgrDateTimeDefComponent*) override { ++removed; }
    int removed = 0;
};

// A bitmap whose pixel (x, y) has the colour RGB(x, y, 100): every source
// pixel can be recognised where it lands.
std::unique_ptr<TBitmap> Gradient(int w, int h) {
    auto b = std::make_unique<TBitmap>();
    b->SetSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b->Canvas()->SetPixel(x, y, RGB(Byte(x), Byte(y), 100));
    return b;
}

}  // namespace

TEST(GridLinks, MaskLinkAttachesThroughTheComponent) {
    FakeMaskDefs a(nullptr), b(nullptr);
    {
        TgrMaskLink link;
        EXPECT_EQ(link.FindMask("Phone"), nullptr);
        link.SetMaskDefs(&a);
        EXPECT_EQ(link.MaskDefs(), &a);
        link.SetMaskDefs(&a);
        EXPECT_EQ(a.links.size(), 1u);
        EXPECT_EQ(link.FindMask(""), nullptr);
        EXPECT_TRUE(a.asked.empty());  // an empty name never asks
        EXPECT_EQ(link.FindMask("Phone"), &a.mask);
        link.SetMaskDefs(&b);
        EXPECT_TRUE(a.links.empty());
        EXPECT_EQ(b.links.size(), 1u);
    }
    EXPECT_TRUE(b.links.empty());  // destroying the link detaches it
}

TEST(GridLinks, DateTimeLinksAreCountedAndToldOnce) {
    CountingLink link;
    auto* def = new TgrDateTimeDefComponent(nullptr);
    link.Attach(def);
    link.Attach(def);
    link.Detach(def);
    EXPECT_EQ(def->AttachCount(&link), 1);
    link.Attach(nullptr);
    CountingLink other;
    other.Attach(def);
    def->RemoveLink(&other, true);
    EXPECT_EQ(def->LinkCount(), 1);
    delete def;
    EXPECT_EQ(link.removed, 1);
    EXPECT_EQ(other.removed, 0);
}

TEST(GridPicture, KeepAspectWithShrinkFitsAndCentres) {
    auto bmp = Gradient(100, 50);
    TestSurface s(40, 40);
    s.c()->Brush()->SetColor(clWhite);
    DrawPicture(s.c(), TRect(0, 0, 40, 40), bmp.get(), true, true, false, true, clNone);
    EXPECT_EQ(s.Painted(), TRect(0, 10, 40, 30));
}

TEST(GridPicture, KeepAspectWithoutShrinkCutsTheMiddle) {
    auto bmp = Gradient(100, 50);
    TestSurface s(40, 40);
    DrawPicture(s.c(), TRect(0, 0, 40, 40), bmp.get(), true, false, false, true, clNone);
    EXPECT_EQ(s.at(0, 0), RGB(30, 5, 100));
    EXPECT_EQ(s.at(39, 39), RGB(69, 44, 100));
}

TEST(GridPicture, SmallPictureKeepsItsSizeOrStretches) {
    auto bmp = Gradient(10, 10);
    struct Case {
        bool stretch, center;
        TRect painted;
    } cases[] = {
        {false, false, TRect(5, 5, 15, 15)},
        {false, true, TRect(20, 20, 30, 30)},
        {true, false, TRect(5, 5, 45, 45)},
    };
    for (const auto& c : cases) {
        TestSurface s(50, 50);
        s.c()->Brush()->SetColor(clWhite);
        DrawPicture(s.c(), TRect(5, 5, 45, 45), bmp.get(), false, false, c.stretch, c.center, clNone);
        EXPECT_EQ(s.Painted(), c.painted) << c.stretch << c.center;
    }
}

TEST(GridPicture, LargePictureIsCutUnlessShrinking) {
    auto bmp = Gradient(60, 20);
    TestSurface s(40, 40);
    DrawPicture(s.c(), TRect(0, 0, 40, 40), bmp.get(), false, false, false, true, clNone);
    EXPECT_EQ(s.at(0, 10), RGB(10, 0, 100));  // from the middle: 10 columns off each side
    EXPECT_EQ(s.at(0, 9), clWhite);            // 20 rows centred in 40
}

TEST(GridPicture, TransparentColourAndEmptyBitmap) {
    auto bmp = Gradient(10, 10);
    bmp->Canvas()->SetPixel(3, 3, clFuchsia);
    TestSurface s(10, 10, clYellow);
    s.c()->Brush()->SetColor(clYellow);
    DrawPicture(s.c(), TRect(0, 0, 10, 10), bmp.get(), false, false, false, false, clFuchsia);
    EXPECT_EQ(s.at(3, 3), clYellow);
    EXPECT_EQ(s.at(4, 3), RGB(4, 3, 100));

    TBitmap empty;
    TestSurface t(10, 10);
    t.c()->Brush()->SetColor(clBlue);
    DrawPicture(t.c(), TRect(2, 2, 8, 8), &empty, true, true, true, true, clNone);
    EXPECT_EQ(t.Painted(), TRect(2, 2, 8, 8));
}

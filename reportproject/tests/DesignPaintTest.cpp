// The design painting of the standard components, read back pixel by pixel
// from an offscreen canvas: outlines in their colour and place, fills,
// text present, band header strips stacked above their bands.
#include <QGuiApplication>
#include <QImage>
#include <gtest/gtest.h>

#include "platform/gui/Canvas.h"
#include "reportproject/VzCsBars.h"
#include "reportproject/VzCsData.h"
#include "reportproject/VzCsRpt.h"
#include "reportproject/VzCsStd.h"
#include "reportproject/VzDesigner.h"
#include "reportproject/tests/DesignSupport.h"

namespace {

class DesignPaint : public TDesignCanvas<TVizePageDesigner> {
protected:
    // Text needs the platform's fonts, which need an application object.
    static void SetUpTestSuite() {
        if (QGuiApplication::instance()) return;
        static int argc = 1;
        static char name[] = "reportproject_tests";
        static char* argv[] = {name, nullptr};
        static QGuiApplication app(argc, argv);
    }

    // Pixels of colour c in the rectangle [x0, x1) x [y0, y1).
    int Count(int x0, int y0, int x1, int y1, TColor c) const {
        int n = 0;
        for (int x = x0; x < x1; ++x)
            for (int y = y0; y < y1; ++y) n += At(x, y) == c;
        return n;
    }
    // Dark pixels (text is smoothed) in the rectangle.
    int Dark(int x0, int y0, int x1, int y1) const {
        int n = 0;
        for (int x = x0; x < x1; ++x)
            for (int y = y0; y < y1; ++y) {
                TColor c = At(x, y);
                n += (c & 0xFF) < 0x60 && ((c >> 8) & 0xFF) < 0x60 && ((c >> 16) & 0xFF) < 0x60;
            }
        return n;
    }
    int NotWhite(int x0, int y0, int x1, int y1) const {
        return (x1 - x0) * (y1 - y0) - Count(x0, y0, x1, y1, clWhite);
    }
};

}  // namespace

TEST_F(DesignPaint, TextsShowTheirTextAndAGreyOutlineOnlyWhenAsked) {
    auto* text = Add<TVizeText>(&page, {1, 1, 3, 1.5});  // pixels 60..160, 60..(60 + height)
    text->SetText("WWWW");
    text->Font()->Font().SetSize(20);
    text->Paint(&canvas);
    EXPECT_EQ(At(100, 60), clWhite);  // no outline
    EXPECT_GT(NotWhite(61, 61, 160, 76), 20) << "the text is drawn";
    EXPECT_EQ(NotWhite(161, 40, 400, 120), 0) << "clipped to the control";

    image.fill(Qt::white);
    designer.SetShowOutlines(true);
    text->Paint(&canvas);
    EXPECT_EQ(At(60, 70), TColor(0xC0C0C0));
    EXPECT_EQ(At(160, 70), TColor(0xC0C0C0));
}

TEST_F(DesignPaint, MemoLinesStandOneBelowTheOther) {
    auto* memo = Add<TVizeMemo>(&page, {1, 1, 4, 3});
    memo->Font()->Font().SetSize(15);  // a line every quarter inch: 12.5 pixels
    memo->SetText("MMMM\nMMMM");
    memo->Paint(&canvas);
    EXPECT_GT(NotWhite(60, 60, 200, 72), 10);
    EXPECT_GT(NotWhite(60, 73, 200, 85), 10);
    EXPECT_EQ(NotWhite(60, 86, 200, 160), 0);

    // A changed text is laid out again.
    image.fill(Qt::white);
    memo->SetText("MMMM");
    memo->Paint(&canvas);
    EXPECT_EQ(NotWhite(60, 73, 200, 160), 0);
}

TEST_F(DesignPaint, FramesOfSectionsMirrorsAndMissingImages) {
    auto* section = Add<TVizeSection>(&page, {1, 1, 2, 2});      // 60..110
    auto* mirror = Add<TVizeDataMirrorSection>(&page, {3, 1, 4, 2});  // 160..210
    auto* image1 = Add<TVizeBitmap>(&page, {1, 3, 2, 4});         // 60..110, 160..210
    image1->SetFileLink("/nonexistent/picture.bmp");
    for (TVizeControl* c : std::initializer_list<TVizeControl*>{section, mirror, image1}) c->Paint(&canvas);

    EXPECT_GT(Count(60, 60, 61, 111, TColor(0x808080)), 10) << "section's dotted left edge";
    EXPECT_GT(Count(60, 60, 61, 111, clWhite), 10) << "dotted, not solid";
    EXPECT_GT(Count(210, 160, 211, 211, TColor(0xFF00FF)) + Count(160, 60, 161, 111, TColor(0xFF00FF)), 10)
        << "the mirror's magenta frame";
    EXPECT_GT(Count(160, 110, 211, 111, TColor(0xFF00FF)), 10) << "bottom edge one pixel further";
    EXPECT_EQ(NotWhite(62, 62, 109, 109), 0) << "the section's inside stays clear";
    // A missing image: dashed grey frame and both diagonals.
    EXPECT_EQ(At(85, 185), TColor(0xC0C0C0));
    EXPECT_EQ(At(70, 170), TColor(0xC0C0C0));
    EXPECT_EQ(At(70, 200), TColor(0xC0C0C0));
    EXPECT_GT(Count(60, 160, 61, 211, clWhite), 5) << "dashed frame";
}

TEST_F(DesignPaint, ImagesAreStretchedIntoTheirPlace) {
    auto* picture = Add<TVizeBitmap>(&page, {1, 1, 3, 3});  // 60..160
    TBitmap bitmap;
    bitmap.SetSize(10, 5);
    bitmap.Canvas()->Brush()->SetColor(clRed);
    bitmap.Canvas()->FillRect({0, 0, 10, 5});
    picture->SetImage(&bitmap);
    picture->Paint(&canvas);
    // msWidth: full width, half the height.
    EXPECT_EQ(At(100, 80), clRed);
    EXPECT_EQ(At(158, 100), clRed);
    EXPECT_EQ(At(100, 140), clWhite);
}

TEST_F(DesignPaint, RegionsStackTheirBandsBelowHeaderStrips) {
    auto* region = Add<TVizeRegion>(&page, {1, 1, 7, 7});  // pixels 60..360
    region->SetName("Region1");
    auto* first = Add<TVizeBand>(region, {0, 0, 6, 1});
    first->SetName("Header");
    auto* second = Add<TVizeBand>(region, {0, 1, 6, 2});
    second->SetName("Footer");
    second->SetDesignerHide(true);
    region->Paint(&canvas);

    // The first strip starts at the region's top; the band sits under it.
    ASSERT_GT(first->DesignHeaderTop(), 0);
    EXPECT_NEAR(first->DesignHeaderTop(), 1.0, 1e-9);
    const int stripBottom = designer.YI2D(first->DesignHeaderBottom());
    EXPECT_GT(stripBottom, 65);
    EXPECT_NEAR(first->PageTop(), first->DesignHeaderBottom(), 1e-9);
    EXPECT_EQ(At(200, 62), TColor(0xC0C0C0)) << "button face";
    EXPECT_EQ(At(200, 60), clWhite) << "raised edge";
    // The diamond of a band without controller, in the first table colour.
    EXPECT_GT(Count(62, 62, 62 + stripBottom - 60, stripBottom, TColor(0xFF0000)), 3);
    // The caption and the flags are written.
    EXPECT_GT(Dark(75, 61, 200, stripBottom - 1), 10);
    EXPECT_GT(Dark(300, 61, 358, stripBottom - 1), 5);
    // The band body is white on the grey region.
    EXPECT_EQ(At(200, stripBottom + 10), clWhite);
    EXPECT_EQ(At(350, 340), TColor(0x808080)) << "region fill below the bands";
    // Shown while the designer shows all bands, a band hidden in the
    // designer keeps its strip but not its body when only its region is.
    designer.SetShowAllBands(false);
    designer.SetShownControl(region);
    image.fill(Qt::white);
    region->Paint(&canvas);
    ASSERT_GT(second->DesignHeaderTop(), first->PageBottom() - 1e-9);
    const int secondStrip = designer.YI2D(second->DesignHeaderBottom());
    EXPECT_EQ(At(200, secondStrip + 10), TColor(0x808080));

    // Design hit tests and handles.
    EXPECT_TRUE(first->ContainsPoint({4, first->DesignHeaderTop() + 0.05}));
    first->ShowHandles();
    ASSERT_EQ(designer.Handles().size(), 1u);
    EXPECT_EQ(designer.Handles()[0].Number, 6);

    // Not shown by the designer: no strips.
    designer.SetShownControl(nullptr);
    image.fill(Qt::white);
    region->Paint(&canvas);
    EXPECT_EQ(first->DesignHeaderTop(), -1);
}

TEST_F(DesignPaint, ControlledBandsShowATriangleInTheControllersColour) {
    auto* region = Add<TVizeRegion>(&page, {1, 1, 7, 7});
    auto* header = Add<TVizeBand>(region, {0, 0, 6, 1});
    auto* data = Add<TVizeDataBand>(region, {0, 1, 6, 2});
    header->SetControllerBand(data);
    region->Paint(&canvas);
    const int top = designer.YI2D(header->DesignHeaderTop()), bottom = designer.YI2D(header->DesignHeaderBottom());
    // The data band is the first band with a colour of its own.
    EXPECT_GT(Count(62, top, 62 + bottom - top, bottom, TColor(0xFF0000)), 3);
    const int dtop = designer.YI2D(data->DesignHeaderTop()), dbottom = designer.YI2D(data->DesignHeaderBottom());
    EXPECT_GT(Count(62, dtop, 62 + dbottom - dtop, dbottom, TColor(0xFF0000)), 3);
}

TEST_F(DesignPaint, MultiColumnRegionsAndBandsShowTheirGaps) {
    auto* region = Add<TVizeRegion>(&page, {1, 1, 7, 5});  // 60..360
    region->SetColumns(2);
    region->SetColumnSpacing(1);  // columns 2.5 wide, gap from 3.5 to 4.5 inch
    region->PaintSelf(&canvas);
    EXPECT_GT(Count(186, 100, 234, 101, clBlack), 4) << "a cross-hatched gap";
    EXPECT_GT(Count(186, 100, 234, 101, TColor(0x808080)), 4);
    EXPECT_EQ(At(100, 100), TColor(0x808080));
}

TEST_F(DesignPaint, BarCodesDrawTheirBarsInADashedOutline) {
    auto* bars = Add<TVizeCode128BarCode>(&page, {1, 1, 2, 1.25});
    bars->SetText("ABC123");
    const double left = bars->GetLeft(), top = bars->GetTop();
    bars->Paint(&canvas);
    const TRect r = {designer.XI2D(bars->PageLeft()), designer.YI2D(bars->PageTop()),
                     designer.XI2D(bars->PageRight()), designer.YI2D(bars->PageBottom())};
    EXPECT_GT(Count(r.Left + 2, r.Top + 3, r.Right - 1, r.Top + 4, clBlack), 10) << "bars";
    EXPECT_GT(Count(r.Left + 2, r.Top + 3, r.Right - 1, r.Top + 4, clWhite), 10) << "spaces";
    EXPECT_GT(Count(r.Left, r.Top, r.Right, r.Top + 1, clBlack), 3) << "outline";
    EXPECT_EQ(bars->GetLeft(), left);
    EXPECT_EQ(bars->GetTop(), top);
    EXPECT_FALSE(bars->Encoder()->BarCallback);
}

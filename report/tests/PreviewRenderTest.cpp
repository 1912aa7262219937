// The preview renderer drawing snapshot pages into a scroll box at a zoom,
// checked by pixels (96 pixels per inch at 100 percent).
#include <gtest/gtest.h>

#include "report/RenderPreview.h"
#include "report/VSFWriter.h"
#include "report/tests/ReportTestSupport.h"

namespace {

class PreviewRenderTest : public ReportPrinterFixture {
protected:
    void SetUp() override {
        ReportPrinterFixture::SetUp();
        Application->Initialize();
        form_ = new TForm(nullptr);
        box_ = new TScrollBox(form_);
        box_->SetParent(form_);
        box_->SetBounds(0, 0, 600, 400);
        preview_ = std::make_unique<TVzRenderPreview>(nullptr);
        preview_->ScrollBox = box_;
    }
    void TearDown() override {
        preview_.reset();
        delete form_;
        Application->ResetForTesting();
        ReportPrinterFixture::TearDown();
    }
    // Pages of 8.5 by 11 inches (no printer); page n has a 1-inch square
    // at (1, 1) and n small marks along the top at 0.5 inch.
    void Generate(int pages) {
        stream_.SetSize(0);
        TVzVSFWriter w(nullptr);
        w.StreamMode = smUser;
        w.Stream = &stream_;
        w.OnPrint = [&](TObject*) {
            for (int p = 1; p <= pages; ++p) {
                if (p > 1) w.NewPage();
                w.SetPen(clBlack, psSolid, 1, pmCopy);
                w.SetBrush(clBlack, bsSolid, nullptr);
                w.Rectangle(1, 1, 2, 2);
                for (int i = 0; i < p; ++i) w.Rectangle(3 + i * 0.25, 0.5, 3.1 + i * 0.25, 0.6);
            }
        };
        w.Execute();
    }
    static bool Dark(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) < 100; }
    QImage Page() { return preview_->PageBitmap()->Image(); }
    int Marks() {
        // Marks on the line y = 0.55 inch, counted by runs of dark pixels.
        QImage img = Page();
        int y = preview_->YToDevice(0.55), n = 0;
        bool in = false;
        for (int x = preview_->XToDevice(2.9); x < preview_->XToDevice(6); ++x) {
            bool d = Dark(img, x, y);
            if (d && !in) ++n;
            in = d;
        }
        return n;
    }
    TForm* form_ = nullptr;
    TScrollBox* box_ = nullptr;
    std::unique_ptr<TVzRenderPreview> preview_;
    TMemoryStream stream_;
};

}  // namespace

TEST_F(PreviewRenderTest, PageIsDrawnToScaleAtTwoZooms) {
    Generate(1);
    struct Case {
        double zoom;
        int squareLeft, squareRight;
    } cases[] = {{100, 96, 192}, {50, 48, 96}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.zoom);
        preview_->SetShadowDepth(3);
        preview_->SetZoomFactor(c.zoom);
        preview_->Render(&stream_);
        QImage img = Page();
        int pw = int(std::nearbyint(96 * 8.5 * c.zoom / 100)), ph = int(std::nearbyint(96 * 11 * c.zoom / 100));
        EXPECT_EQ(img.width(), pw + 3);
        EXPECT_EQ(img.height(), ph + 3);
        int mid = (c.squareLeft + c.squareRight) / 2;
        EXPECT_TRUE(Dark(img, mid, mid));                    // the filled square
        EXPECT_FALSE(Dark(img, c.squareLeft - 3, mid));      // white page left of it
        EXPECT_FALSE(Dark(img, c.squareRight + 3, mid));
        EXPECT_TRUE(Dark(img, 0, 10));                       // page outline
        EXPECT_TRUE(Dark(img, pw + 1, ph / 2));              // shadow on the right
        EXPECT_FALSE(Dark(img, pw + 1, 1));                  // offset by its depth from the top
        EXPECT_TRUE(Dark(img, pw / 2, ph + 1));              // and along the bottom
    }
}

TEST_F(PreviewRenderTest, ZoomLimitsAndFitFactors) {
    Generate(1);
    preview_->Render(&stream_);
    int redraws = 0;
    preview_->OnZoomChange = [&](TObject*) { ++redraws; };
    struct Case {
        double set, expect;
    } cases[] = {{5, 10}, {250, 200}, {0, 10}, {75, 75}};
    for (const Case& c : cases) {
        preview_->SetZoomFactor(c.set);
        EXPECT_DOUBLE_EQ(preview_->ZoomFactor(), c.expect) << c.set;
    }
    EXPECT_EQ(redraws, 4);
    preview_->SetZoomFactor(10);
    preview_->ZoomOut();  // 10 is not above the step: nothing
    EXPECT_DOUBLE_EQ(preview_->ZoomFactor(), 10);
    preview_->ZoomIn();
    EXPECT_DOUBLE_EQ(preview_->ZoomFactor(), 20);

    // Fit page: the whole page (with the 4-pixel allowance) fits the box.
    preview_->SetZoomFactor(-1);
    double z = preview_->ZoomFactor();
    EXPECT_NEAR(z, std::min(596.0 / (96 * 8.5), 396.0 / (96 * 11)) * 100, 1e-9);
    // Fit width: the page is too high for the box, so the vertical bar's
    // width comes off too.
    preview_->SetZoomFactor(-2);
    EXPECT_LT(preview_->ZoomFactor(), 600.0 / (96 * 8.5) * 100);
    EXPECT_GT(preview_->ZoomFactor(), 540.0 / (96 * 8.5) * 100);
}

TEST_F(PreviewRenderTest, PagingWrapsAndClamps) {
    Generate(3);
    std::vector<int> changes;
    preview_->OnPageChange = [&](TObject*) { changes.push_back(preview_->CurrentPage()); };
    preview_->Render(&stream_);
    EXPECT_EQ(preview_->GetPageCount(), 3);
    EXPECT_EQ(Marks(), 1);
    preview_->NextPage();
    EXPECT_EQ(Marks(), 2);
    preview_->NextPage();
    preview_->NextPage();  // past the last: back to page 1
    EXPECT_EQ(preview_->CurrentPage(), 1);
    preview_->PreviousPage();  // before the first: the last page
    EXPECT_EQ(preview_->CurrentPage(), 3);
    EXPECT_EQ(Marks(), 3);
    preview_->RenderPage(40);
    EXPECT_EQ(preview_->CurrentPage(), 3);
    preview_->RenderPage(0);
    EXPECT_EQ(preview_->CurrentPage(), 1);
    EXPECT_EQ(changes, (std::vector<int>{1, 2, 3, 1, 3, 3, 1}));

    Generate(1);
    preview_->Render(&stream_);
    preview_->NextPage();
    preview_->PreviousPage();
    EXPECT_EQ(preview_->CurrentPage(), 1);
}

TEST_F(PreviewRenderTest, RulersGridAndMargin) {
    Generate(1);
    preview_->RulerType = rtBothIn;
    preview_->GridHoriz = 1;
    preview_->MarginPercent = 5;
    preview_->Render(&stream_);
    QImage img = Page();
    EXPECT_EQ(preview_->LeftRulerWidth(), 20);
    EXPECT_EQ(preview_->TopRulerHeight(), 20);
    EXPECT_EQ(img.width(), 816 + 20);
    EXPECT_EQ(TColor(img.pixel(5, 5) & 0xFFFFFF), TColor(0xC0C0C0));  // corner square
    QRgb ruler = img.pixel(20 + 40, 5);
    EXPECT_EQ(qRed(ruler), 255);
    EXPECT_EQ(qBlue(ruler), 128);
    // An inch tick runs the ruler's height from its bottom edge.
    EXPECT_TRUE(Dark(img, 20 + 96, 18));
    EXPECT_TRUE(Dark(img, 20 + 96, 3));
    // An eighth-inch tick is only 5 pixels long.
    EXPECT_TRUE(Dark(img, 20 + 12, 18));
    EXPECT_FALSE(Dark(img, 20 + 12, 10));
    // Grid lines every inch below the top ruler; the square moved by the
    // rulers.
    EXPECT_TRUE(Dark(img, 20 + 400, 20 + 96));
    EXPECT_FALSE(Dark(img, 20 + 400, 20 + 100));
    EXPECT_TRUE(Dark(img, 20 + 144, 20 + 144));
    EXPECT_EQ(preview_->Margin(), int(std::nearbyint(96 * 8.5 * 0.05)));
    EXPECT_EQ(preview_->Image()->Left(), preview_->Margin());
}

TEST_F(PreviewRenderTest, PreviewOnlyContentAndMissingScrollBox) {
    stream_.SetSize(0);
    TVzVSFWriter w(nullptr);
    w.StreamMode = smUser;
    w.Stream = &stream_;
    w.OnPrint = [&](TObject*) {
        w.SetBrush(clBlack, bsSolid, nullptr);
        w.AllowPrinterOnly();
        w.Rectangle(1, 1, 2, 2);
        w.AllowPreviewOnly();
        w.Rectangle(3, 1, 4, 2);
        w.AllowAll();
    };
    w.Execute();
    preview_->Render(&stream_);
    QImage img = Page();
    EXPECT_FALSE(Dark(img, 144, 144));
    EXPECT_TRUE(Dark(img, 336, 144));

    TVzRenderPreview bare(nullptr);
    try {
        bare.Render(&stream_);
        FAIL() << "no error";
    } catch (const EReportPrinter& e) {
        EXPECT_EQ(e.Message, "ScrollBox must be assigned for RenderPreview component");
    }
}

// Snapshots printed on the recording printer (100 dpi letter, unprintable
// borders 25 px left, 20 px top) and drawn checked by pixels.
#include "report/tests/ReportTestSupport.h"

#include "platform/gui/Metafile.h"
#include "report/RenderCanvas.h"
#include "report/VSFWriter.h"

namespace {

class PrinterRenderTest : public ReportPrinterFixture {
protected:
    void SetUp() override { UsePrinters({"Lab"}, "Lab"); }
    void Generate(std::function<void(TVzVSFWriter&)> body, std::function<void(TVzVSFWriter&)> setup = {}) {
        stream_.SetSize(0);
        TVzVSFWriter w(nullptr);
        w.StreamMode = smUser;
        w.Stream = &stream_;
        w.Title = "Summary";
        if (setup) setup(w);
        w.OnPrint = [&](TObject*) { body(w); };
        w.Execute();
    }
    const TRecordedJob& Print(TVzRenderPrinter& printer) {
        printer.Render(&stream_);
        EXPECT_EQ(RecordedPrintJobs().size(), 1u);
        return RecordedPrintJobs().back();
    }
    static bool Dark(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) < 128; }
    static int DarkPixels(const QImage& image, TRect r) {
        int n = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                if (Dark(image, x, y)) ++n;
        return n;
    }
    TMemoryStream stream_;
};

}  // namespace

TEST_F(PrinterRenderTest, PagesTextAndShapesLandWhereTheyWereDrawn) {
    Generate([](TVzVSFWriter& r) {
        r.SetFont("Arial", 24);
        r.PrintXY(1, 2, "HELLO");
        r.SetPen(clBlack, psSolid, 1, pmCopy);
        r.Rectangle(2, 4, 4, 5);
        r.NewPage();
        r.MoveTo(1, 1);
        r.LineTo(5, 1);
    });
    TVzRenderPrinter printer(nullptr);
    const TRecordedJob& job = Print(printer);
    EXPECT_EQ(job.Title, "Summary");
    EXPECT_TRUE(job.Ended);
    ASSERT_EQ(job.Pages.size(), 2u);
    const QImage& p1 = job.Pages[0].Image;
    // The text sits on the baseline at 2 inches (pixel 180 on the page
    // image), starting at 1 inch (pixel 75).
    int textInk = DarkPixels(p1, TRect(70, 150, 250, 181));
    EXPECT_GT(textInk, 100);
    EXPECT_EQ(DarkPixels(p1, TRect(0, 0, 70, 400)), 0);
    EXPECT_EQ(DarkPixels(p1, TRect(70, 182, 300, 200)), 0);  // nothing below the baseline (capitals)
    // Rectangle from (2, 4) to (4, 5) inches: pixels 175..375, 380..480.
    EXPECT_TRUE(Dark(p1, 175, 430));
    EXPECT_TRUE(Dark(p1, 375, 430));
    EXPECT_FALSE(Dark(p1, 376, 430));
    EXPECT_TRUE(Dark(p1, 275, 380));
    EXPECT_FALSE(Dark(p1, 275, 430));  // hollow: the brush is clear
    const QImage& p2 = job.Pages[1].Image;
    EXPECT_TRUE(Dark(p2, 200, 80));
    EXPECT_FALSE(Dark(p2, 200, 82));
    EXPECT_EQ(printer.GetPageCount(), 2);
}

TEST_F(PrinterRenderTest, CopiesFromTheStreamOrTheCaller) {
    Generate([](TVzVSFWriter&) {});
    {
        TVzRenderPrinter printer(nullptr);
        printer.StoredPageCount = 7;
        EXPECT_EQ(printer.GetPageCount(), 7);
        const TRecordedJob& job = Print(printer);
        EXPECT_EQ(job.Pages[0].Settings.Copies, 1);
        EXPECT_FALSE(printer.Active);
    }
    RecordedPrintJobs().clear();
    TVzRenderPrinter printer(nullptr);
    printer.UseOwnSettings = true;
    printer.Copies = 3;
    printer.Collate = true;
    const TRecordedJob& job = Print(printer);
    EXPECT_EQ(job.Pages[0].Settings.Copies, 3);
    EXPECT_EQ(job.Pages[0].Settings.Collate, 1);
}

TEST_F(PrinterRenderTest, RawDataGoesInPiecesOf4096Bytes) {
    std::string data(8192, 'r');
    Generate([&](TVzVSFWriter& r) {
        TMemoryStream s;
        s.WriteBuffer(data.data(), Integer(data.size()));
        s.SetPosition(0);
        r.PrintDataStream(&s, 0);
        r.PrintData("ESC");
    });
    TVzRenderPrinter printer(nullptr);
    const TRecordedJob& job = Print(printer);
    ASSERT_EQ(job.PassThrough.size(), 3u);
    EXPECT_EQ(job.PassThrough[0].size(), 4096u);
    EXPECT_EQ(job.PassThrough[1].size(), 4096u);
    EXPECT_EQ(job.PassThrough[2], "ESC");
}

TEST_F(PrinterRenderTest, BlockTextSpreadsOverTheWidth) {
    Generate([](TVzVSFWriter& r) {
        r.SetFont("Arial", 12);
        r.SetYPos(1);
        r.PrintBlock("a b", 1, 6);
        r.SetYPos(2);
        r.PrintBlock("ab", 1, 6);
    });
    TVzRenderPrinter printer(nullptr);
    const QImage& page = Print(printer).Pages[0].Image;
    // "a" starts at 1 inch and "b" ends at 7 inches (pixels 75 and 675).
    EXPECT_GT(DarkPixels(page, TRect(74, 65, 90, 81)), 0);
    EXPECT_GT(DarkPixels(page, TRect(660, 65, 676, 81)), 0);
    EXPECT_EQ(DarkPixels(page, TRect(100, 65, 650, 81)), 0);
    // One word: its letters spread the same way.
    EXPECT_GT(DarkPixels(page, TRect(74, 165, 90, 181)), 0);
    EXPECT_GT(DarkPixels(page, TRect(660, 165, 676, 181)), 0);
}

TEST_F(PrinterRenderTest, SuperscriptSitsHalfAFontAbove) {
    Generate([](TVzVSFWriter& r) {
        r.SetFont("Arial", 36);
        r.SetSuperscript(true);
        r.PrintXY(1, 3, "X");
    });
    TVzRenderPrinter printer(nullptr);
    const QImage& page = Print(printer).Pages[0].Image;
    // Baseline at 3 inches less half of 0.5 inch: pixel 255.
    EXPECT_GT(DarkPixels(page, TRect(70, 230, 110, 256)), 0);
    EXPECT_EQ(DarkPixels(page, TRect(70, 257, 110, 281)), 0);
}

TEST_F(PrinterRenderTest, RotatedTextRunsUpwardsFromItsPoint) {
    Generate([](TVzVSFWriter& r) {
        r.SetFont("Arial", 36);
        r.SetFontRotation(90);
        r.PrintXY(2, 5, "UPWARDS");
    });
    TVzRenderPrinter printer(nullptr);
    const QImage& page = Print(printer).Pages[0].Image;
    // The point is pixel (175, 480); turned a quarter counter-clockwise the
    // baseline runs up from it and the letters stand to its left.
    EXPECT_GT(DarkPixels(page, TRect(140, 200, 176, 480)), 300);
    EXPECT_EQ(DarkPixels(page, TRect(178, 0, page.width(), page.height())), 0);
    EXPECT_EQ(DarkPixels(page, TRect(0, 482, page.width(), page.height())), 0);
    EXPECT_EQ(DarkPixels(page, TRect(0, 0, page.width(), 150)), 0);
}

// A thick frame (11 pixels) lies inside the rectangle (mode 0), on its edge
// (mode 1) or, but for the edge pixel, outside it (mode 2). The rectangle's
// left edge is pixel 175.
TEST_F(PrinterRenderTest, FrameModesPlaceThickFrames) {
    struct Case {
        Byte mode;
        int firstInk, lastInk;  // columns of the left side of the frame
    };
    for (const Case& c : {Case{0, 175, 185}, Case{1, 170, 180}, Case{2, 165, 175}}) {
        Generate([&](TVzVSFWriter& r) {
            r.SetFrameMode(c.mode);
            r.SetPen(clBlack, psSolid, 11, pmCopy);
            r.Rectangle(2, 2, 4, 3);
        });
        RecordedPrintJobs().clear();
        TVzRenderPrinter printer(nullptr);
        const QImage& page = Print(printer).Pages[0].Image;
        int first = -1, last = -1;
        for (int x = 150; x < 200; ++x)
            if (Dark(page, x, 230)) {
                if (first < 0) first = x;
                last = x;
            }
        EXPECT_EQ(first, c.firstInk) << int(c.mode);
        EXPECT_EQ(last, c.lastInk) << int(c.mode);
    }
}

TEST_F(PrinterRenderTest, JpegPicturesAreStretchedIntoTheirRectangle) {
    QImage red(20, 10, QImage::Format_RGB32);
    red.fill(QColor(220, 0, 0));
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(EncodeJpeg(red, 90, false, false));
    Generate([&](TVzVSFWriter& r) {
        // Pixels of the 100 dpi printer's printable area: 2 by 1 inch.
        r.StretchDraw(TRect(200, 300, 400, 400), &jpeg);
    });
    TVzRenderPrinter printer(nullptr);
    const QImage& page = Print(printer).Pages[0].Image;
    auto isRed = [&](int x, int y) {
        QColor c = page.pixelColor(x, y);
        return c.red() > 180 && c.green() < 60 && c.blue() < 60;
    };
    EXPECT_TRUE(isRed(200, 300));
    EXPECT_TRUE(isRed(399, 399));
    EXPECT_FALSE(isRed(198, 350));
    EXPECT_FALSE(isRed(401, 350));
    EXPECT_FALSE(isRed(300, 298));
    EXPECT_FALSE(isRed(300, 401));
}

TEST_F(PrinterRenderTest, RecordedPicturesArePlayedIntoTheirRectangle) {
    TMetafile picture;
    RecordHalfBluePicture(picture);
    Generate([&](TVzVSFWriter& r) { r.StretchDraw(TRect(200, 300, 400, 400), &picture); });
    TVzRenderPrinter printer(nullptr);
    const QImage& page = Print(printer).Pages[0].Image;
    auto isBlue = [&](int x, int y) {
        QColor c = page.pixelColor(x, y);
        return c.blue() > 180 && c.red() < 60 && c.green() < 60;
    };
    EXPECT_TRUE(isBlue(205, 350));
    EXPECT_TRUE(isBlue(295, 350));
    EXPECT_FALSE(isBlue(305, 350));
    EXPECT_FALSE(isBlue(195, 350));
}

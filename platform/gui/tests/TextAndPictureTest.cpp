#include <gtest/gtest.h>

#include <QFontInfo>
#include <cstdio>
#include <filesystem>

#include "platform/gui/Bitmap.h"
#include "platform/gui/Canvas.h"

namespace {

class TextTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureGuiApplication();
        bmp.SetSize(200, 100);
        c = bmp.Canvas();
        c->Font()->SetName("Arial");
        c->Font()->SetHeight(-20);
    }
    // Bounding box of pixels of exactly this colour.
    TRect Box(TColor color) {
        TRect r(1 << 20, 1 << 20, -1, -1);
        for (int y = 0; y < bmp.Height(); ++y)
            for (int x = 0; x < bmp.Width(); ++x)
                if (c->GetPixel(x, y) == color) {
                    r.Left = std::min(r.Left, x);
                    r.Top = std::min(r.Top, y);
                    r.Right = std::max(r.Right, x + 1);
                    r.Bottom = std::max(r.Bottom, y + 1);
                }
        return r;
    }
    // Bounding box of dark (glyph) pixels.
    TRect Ink() {
        TRect r(1 << 20, 1 << 20, -1, -1);
        for (int y = 0; y < bmp.Height(); ++y)
            for (int x = 0; x < bmp.Width(); ++x)
                if (GetGValue(c->GetPixel(x, y)) < 100) {
                    r.Left = std::min(r.Left, x);
                    r.Top = std::min(r.Top, y);
                    r.Right = std::max(r.Right, x + 1);
                    r.Bottom = std::max(r.Bottom, y + 1);
                }
        return r;
    }
    TBitmap bmp;
    TCanvas* c = nullptr;
};

}  // namespace

TEST_F(TextTest, FaceNamesAreSubstitutedByInstalledFonts) {
    EXPECT_EQ(QFontInfo(c->Font()->ToQFont()).family(), "Liberation Sans");
    struct Case { const char* asked; const char* used; };
    const Case cases[] = {{"Times New Roman", "Liberation Serif"}, {"courier new", "Liberation Mono"},
                          {"MS Sans Serif", "Liberation Sans"}, {"No Such Face", "Liberation Sans"}};
    for (const auto& k : cases) {
        TFont f;
        f.SetName(k.asked);
        EXPECT_EQ(QFontInfo(f.ToQFont()).family().toStdString(), k.used) << k.asked;
    }
    // Monospaced face: every character is equally wide.
    c->Font()->SetName("Courier New");
    EXPECT_EQ(c->TextWidth("iiii"), c->TextWidth("WWWW"));
    EXPECT_EQ(c->TextWidth("WWWW"), 4 * c->TextWidth("W"));
}

TEST_F(TextTest, SizeAndHeightFollowNinetySixPixelsPerInch) {
    TFont f;
    f.SetSize(12);
    EXPECT_EQ(f.Height(), -16);
    f.SetHeight(-11);
    EXPECT_EQ(f.Size(), 8);
    EXPECT_EQ(f.ToQFont().pixelSize(), 11);
    c->Font()->SetSize(12);
    TTextMetric tm = c->TextMetrics();
    EXPECT_EQ(tm.tmHeight, c->TextHeight("Xg"));
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
    EXPECT_GE(tm.tmHeight, 17);
    EXPECT_LE(tm.tmHeight, 20);
}

TEST_F(TextTest, AlignmentPlacesTheTextCell) {
    c->Brush()->SetColor(clYellow);  // opaque: the text cell is filled
    const int w = c->TextWidth("Hg"), h = c->TextHeight("Hg");
    const int ascent = c->TextMetrics().tmAscent;
    struct Case { unsigned align; TRect cell; };
    const int x = 100, y = 50;
    const Case cases[] = {
        {TA_LEFT | TA_TOP, Bounds(x, y, w, h)},
        {TA_RIGHT | TA_TOP, Bounds(x - w, y, w, h)},
        {TA_CENTER | TA_TOP, Bounds(x - w / 2, y, w, h)},
        {TA_LEFT | TA_BASELINE, Bounds(x, y - ascent, w, h)},
        {TA_LEFT | TA_BOTTOM, Bounds(x, y - h, w, h)},
        {TA_RIGHT | TA_BOTTOM, Bounds(x - w, y - h, w, h)},
    };
    for (const auto& k : cases) {
        bmp.Canvas()->Brush()->SetColor(clWhite);
        c->FillRect(Rect(0, 0, 200, 100));
        c->Brush()->SetColor(clYellow);
        c->SetTextAlign(k.align);
        c->TextOut(x, y, "Hg");
        TRect ink = Ink();
        EXPECT_GE(ink.Left, k.cell.Left) << k.align;
        EXPECT_LE(ink.Right, k.cell.Right) << k.align;
        EXPECT_GE(ink.Top, k.cell.Top) << k.align;
        EXPECT_LE(ink.Bottom, k.cell.Bottom) << k.align;
        // The filled background is exactly the cell (where no glyph covers it).
        TRect bg = Box(clYellow);
        EXPECT_EQ(bg, k.cell) << k.align;
    }
}

TEST_F(TextTest, TransparentTextLeavesTheBackgroundAndTextRectClips) {
    c->Brush()->SetColor(clAqua);
    c->FillRect(Rect(0, 0, 200, 100));
    c->Brush()->SetStyle(bsClear);
    c->Font()->SetColor(clRed);
    c->TextOut(10, 10, "Hello");
    TRect ink = Box(clRed);
    EXPECT_GE(ink.Left, 10);
    EXPECT_LE(ink.Right, 10 + c->TextWidth("Hello"));
    int aqua = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) aqua += c->GetPixel(x, y) == clAqua;
    EXPECT_GT(aqua, 200 * 100 - c->TextWidth("Hello") * c->TextHeight("Hello"));

    // TextRect: opaque fill of the rectangle, no ink outside it.
    c->Brush()->SetColor(clWhite);
    c->FillRect(Rect(0, 0, 200, 100));
    c->Brush()->SetColor(clLime);
    c->Font()->SetColor(clBlack);
    c->SetTextAlign(TA_LEFT | TA_TOP);
    c->TextRect(Rect(20, 60, 40, 80), 15, 60, "WWWWWW");
    EXPECT_EQ(Ink().Left >= 20 && Ink().Right <= 40, true);
    EXPECT_EQ(c->GetPixel(20, 79) == clLime || GetGValue(c->GetPixel(20, 79)) < 255, true);
    EXPECT_EQ(c->GetPixel(19, 70), clWhite);
    EXPECT_EQ(c->GetPixel(40, 70), clWhite);
}

TEST_F(TextTest, UpdateCurrentPositionAdvancesThePen) {
    c->SetTextAlign(TA_UPDATECP);
    c->MoveTo(5, 5);
    c->TextOut(0, 0, "abc");
    EXPECT_EQ(c->PenPos().X, 5 + c->TextWidth("abc"));
}

// ------------------------------------------------------------- pictures

namespace {
std::string TempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("gui_test_" + std::to_string(::getpid()) + "_" + name))
        .string();
}
}  // namespace

TEST(Pictures, BitmapFileRoundTripKeepsPixels) {
    TBitmap b;
    b.SetSize(7, 5);
    b.Canvas()->Pixels[0][0] = clRed;
    b.Canvas()->Pixels[6][4] = RGB(1, 2, 3);
    std::string path = TempPath("a.bmp");
    b.SaveToFile(path);
    TBitmap l;
    l.LoadFromFile(path);
    EXPECT_EQ(l.Width(), 7);
    EXPECT_EQ(l.Height(), 5);
    EXPECT_EQ(TColor(l.Canvas()->Pixels[0][0]), clRed);
    EXPECT_EQ(TColor(l.Canvas()->Pixels[6][4]), RGB(1, 2, 3));
    EXPECT_EQ(TColor(l.Canvas()->Pixels[3][3]), clWhite);
    std::remove(path.c_str());
}

TEST(Pictures, BitmapFileWithoutItsPixelRowsIsRefused) {
    TBitmap small;
    small.SetSize(4, 3);
    std::vector<std::uint8_t> bytes = small.SaveToBytes();
    TBitmap back;
    back.LoadFromBytes(bytes);
    EXPECT_EQ(back.Height(), 3);
    // The header claims eight million rows; the file holds three.
    bytes[22] = 0x03;
    bytes[23] = 0x00;
    bytes[24] = 0x7A;
    try {
        back.LoadFromBytes(bytes);
        FAIL() << "loaded";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message, "Bitmap image is truncated: its pixel rows are missing");
    }
    EXPECT_EQ(back.Height(), 3);
}

TEST(Pictures, JpegClaimingMorePixelsThanAllowedIsRefusedBeforeDecoding) {
    QImage img(8, 8, QImage::Format_RGB32);
    img.fill(0xFF204080u);
    std::vector<std::uint8_t> bytes = EncodeJpeg(img, 75, false, false);
    // The frame header's height and width become 65,000 each: 17 GB of
    // pixels from a file of a few hundred bytes.
    std::size_t sof = 0;
    while (sof + 9 < bytes.size() && !(bytes[sof] == 0xFF && bytes[sof + 1] == 0xC0)) ++sof;
    ASSERT_LT(sof + 9, bytes.size());
    for (std::size_t at : {sof + 5, sof + 7}) {
        bytes[at] = 65000 >> 8;
        bytes[at + 1] = 65000 & 0xFF;
    }
    try {
        DecodeJpeg(bytes);
        FAIL() << "decoded";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message, "JPEG error: image too large (65000 x 65000 pixels)");
    }
}

TEST(Pictures, JpegRoundTripThroughLibjpeg) {
    TBitmap b;
    b.SetSize(32, 16);
    b.Canvas()->Brush()->SetColor(clRed);
    b.Canvas()->FillRect(Rect(0, 0, 16, 16));
    b.Canvas()->Brush()->SetColor(clBlue);
    b.Canvas()->FillRect(Rect(16, 0, 32, 16));
    TJPEGImage j;
    j.Assign(&b);
    j.SetCompressionQuality(95);
    std::string path = TempPath("a.jpg");
    j.SaveToFile(path);
    TPicture pic;
    pic.LoadFromFile(path);
    ASSERT_NE(dynamic_cast<TJPEGImage*>(pic.Graphic()), nullptr);
    EXPECT_EQ(pic.Width(), 32);
    EXPECT_EQ(pic.Height(), 16);
    TBitmap out;
    out.Assign(pic.Graphic());
    TColor left = out.Canvas()->GetPixel(4, 8), right = out.Canvas()->GetPixel(28, 8);
    EXPECT_GT(GetRValue(left), 220);
    EXPECT_LT(GetBValue(left), 40);
    EXPECT_GT(GetBValue(right), 220);
    EXPECT_LT(GetRValue(right), 40);
    // Lower quality, smaller file.
    TJPEGImage low;
    low.Assign(&b);
    low.SetCompressionQuality(10);
    EXPECT_LT(low.SaveToBytes().size(), j.SaveToBytes().size());
    std::remove(path.c_str());
}

TEST(Pictures, BadFilesRaiseClearErrors) {
    TJPEGImage j;
    EXPECT_THROW(j.LoadFromBytes({0xFF, 0xD8, 0x00, 0x01, 0x02}), EInvalidGraphic);
    TBitmap b;
    EXPECT_THROW(b.LoadFromBytes({'B', 'M', 0, 0}), EInvalidGraphic);
    TPicture p;
    EXPECT_THROW(p.LoadFromFile("picture.gif"), EInvalidGraphic);
    EXPECT_THROW(p.LoadFromFile(TempPath("missing.bmp")), EFOpenError);
}

TEST(Pictures, StretchDrawAndTransparentBitmaps) {
    TBitmap glyph;
    glyph.SetSize(2, 2);
    glyph.Canvas()->Pixels[0][0] = clRed;  // bottom-left stays white: transparent
    TBitmap dst;
    dst.SetSize(10, 10);
    dst.Canvas()->Brush()->SetColor(clBlue);
    dst.Canvas()->FillRect(Rect(0, 0, 10, 10));
    glyph.SetTransparent(true);
    dst.Canvas()->Draw(3, 3, &glyph);
    EXPECT_EQ(dst.Canvas()->GetPixel(3, 3), clRed);
    EXPECT_EQ(dst.Canvas()->GetPixel(4, 4), clBlue);
    glyph.SetTransparent(false);
    dst.Canvas()->StretchDraw(Rect(0, 0, 4, 4), &glyph);
    EXPECT_EQ(dst.Canvas()->GetPixel(3, 3), clWhite);
    EXPECT_EQ(dst.Canvas()->GetPixel(4, 4), clBlue);
    // Copy modes: source invert twice restores.
    TBitmap other;
    other.SetSize(10, 10);
    other.Canvas()->Brush()->SetColor(clYellow);
    other.Canvas()->FillRect(Rect(0, 0, 10, 10));
    QImage before = dst.ToImage();
    dst.Canvas()->SetCopyMode(cmSrcInvert);
    dst.Canvas()->CopyRect(Rect(0, 0, 10, 10), other.Canvas(), Rect(0, 0, 10, 10));
    EXPECT_EQ(dst.Canvas()->GetPixel(8, 8), TColor(ColorToRGB(clBlue) ^ ColorToRGB(clYellow)));
    dst.Canvas()->CopyRect(Rect(0, 0, 10, 10), other.Canvas(), Rect(0, 0, 10, 10));
    EXPECT_EQ(dst.ToImage(), before);
}

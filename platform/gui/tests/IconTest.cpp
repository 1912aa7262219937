#include <gtest/gtest.h>

#include <QBuffer>
#include <filesystem>

#include "platform/gui/Bitmap.h"
#include "platform/gui/Icon.h"
#include "platform/gui/tests/IconFixture.h"

namespace {

std::filesystem::path TempFile(const char* name) {
    return std::filesystem::temp_directory_path() / (std::string("gaps-icon-") + name);
}

// An icon file whose one image is the picture coded as PNG.
std::vector<std::uint8_t> PngIconFile(const QImage& picture) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(picture.save(&buffer, "PNG"));
    std::vector<std::uint8_t> file = {0, 0, 1, 0, 1, 0, std::uint8_t(picture.width()), std::uint8_t(picture.height()),
                                      0, 0, 1, 0, 32, 0};
    const auto size = std::uint32_t(bytes.size());
    for (int i = 0; i < 4; ++i) file.push_back(std::uint8_t(size >> (8 * i)));
    file.insert(file.end(), {22, 0, 0, 0});
    file.insert(file.end(), bytes.begin(), bytes.end());
    return file;
}

}  // namespace

TEST(IconTest, ReadsPaletteImageWithMask) {
    TIcon icon;
    icon.LoadFromBytes(SmallIconFile());
    ASSERT_EQ(icon.Width(), 4);
    ASSERT_EQ(icon.Height(), 4);
    const QImage img = icon.ToImage();
    EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0);
    EXPECT_EQ(img.pixel(1, 0), qRgba(255, 0, 0, 255));
    EXPECT_EQ(img.pixel(3, 1), qRgba(0, 255, 0, 255));
    EXPECT_EQ(img.pixel(0, 3), qRgba(0, 0, 255, 255));
    EXPECT_EQ(img.pixel(3, 3), qRgba(0, 0, 0, 255));
}

TEST(IconTest, SavedFileReadsBackAndLoadsThroughPicture) {
    TIcon icon;
    icon.LoadFromBytes(SmallIconFile());
    const auto path = TempFile("roundtrip.ico");
    icon.SaveToFile(path.string());

    TPicture picture;
    picture.LoadFromFile(path.string());
    auto* back = dynamic_cast<TIcon*>(picture.Graphic());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->ToImage(), icon.ToImage());
    std::filesystem::remove(path);

    // A PNG-coded image inside the file is read as well.
    QImage png(3, 2, QImage::Format_ARGB32);
    png.fill(qRgba(10, 20, 30, 128));
    TIcon fromPng;
    fromPng.LoadFromBytes(PngIconFile(png));
    EXPECT_EQ(fromPng.Width(), 3);
    EXPECT_EQ(fromPng.ToImage().pixel(2, 1), qRgba(10, 20, 30, 128));
}

TEST(IconTest, StretchedDrawKeepsTheBackgroundUnderClearPixels) {
    EnsureGuiApplication();
    TIcon icon;
    icon.LoadFromBytes(SmallIconFile());
    TBitmap bmp;
    bmp.SetSize(60, 60);
    bmp.Canvas()->StretchDraw(TRect(10, 10, 50, 50), &icon);
    EXPECT_EQ(bmp.Canvas()->GetPixel(15, 15), clWhite);  // the clear cell
    EXPECT_EQ(bmp.Canvas()->GetPixel(25, 25), clRed);
    EXPECT_EQ(bmp.Canvas()->GetPixel(45, 15), clLime);
    EXPECT_EQ(bmp.Canvas()->GetPixel(15, 45), clBlue);
    EXPECT_EQ(bmp.Canvas()->GetPixel(45, 45), clBlack);
    EXPECT_EQ(bmp.Canvas()->GetPixel(5, 5), clWhite);  // nothing outside the rectangle
}

TEST(IconTest, DamagedFilesAreRefused) {
    const auto good = SmallIconFile();
    auto patched = [&](std::size_t at, std::uint8_t value) {
        auto f = good;
        f[at] = value;
        return f;
    };
    struct Case { const char* what; std::vector<std::uint8_t> data; };
    const Case cases[] = {
        {"empty", {}},
        {"cursor type", patched(2, 2)},
        {"no images", patched(4, 0)},
        {"more entries than bytes", patched(4, 200)},
        {"image beyond the file", patched(14, 0xFF)},
        {"offset beyond the file", patched(19, 0x10)},
        {"width too large", patched(27, 0x10)},
        {"odd doubled height", patched(30, 0x07)},
        {"unsupported depth", patched(36, 3)},
        {"compressed", patched(38, 1)},
        {"truncated mask", std::vector<std::uint8_t>(good.begin(), good.end() - 4)},
    };
    for (const auto& c : cases) {
        TIcon icon;
        EXPECT_THROW(icon.LoadFromBytes(c.data), EInvalidGraphic) << c.what;
        EXPECT_TRUE(icon.Empty()) << c.what;
    }
    // A PNG image larger than an icon may be is refused before it is decoded.
    QImage big(300, 1, QImage::Format_ARGB32);
    big.fill(0);
    TIcon icon;
    EXPECT_THROW(icon.LoadFromBytes(PngIconFile(big)), EInvalidGraphic);
}

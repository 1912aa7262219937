#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "docexport/deCstDocEng.h"
#include "docexport/tests/CheckerSupport.h"
#include "platform/gui/Bitmap.h"

namespace {

class TPngEngine : public TdeCustomDocumentEngine {
public:
    TPngEngine() : TdeCustomDocumentEngine(nullptr) {}
};

std::vector<std::uint8_t> Bytes(TdeExtMemStream& s) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(s.Memory());
    return {p, p + s.Size()};
}

std::uint32_t BE32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return (std::uint32_t(b[at]) << 24) | (std::uint32_t(b[at + 1]) << 16) | (std::uint32_t(b[at + 2]) << 8) |
           b[at + 3];
}

struct Chunk {
    std::string Type;
    std::uint32_t Length, Crc;
    std::vector<std::uint8_t> Data;
};

std::vector<Chunk> Chunks(const std::vector<std::uint8_t>& b) {
    std::vector<Chunk> out;
    for (std::size_t at = 8; at + 12 <= b.size();) {
        Chunk c;
        c.Length = BE32(b, at);
        c.Type.assign(reinterpret_cast<const char*>(&b[at + 4]), 4);
        c.Data.assign(b.begin() + static_cast<std::ptrdiff_t>(at + 8),
                      b.begin() + static_cast<std::ptrdiff_t>(at + 8 + c.Length));
        c.Crc = BE32(b, at + 8 + c.Length);
        out.push_back(c);
        at += 12 + c.Length;
    }
    return out;
}

// Runs pngcheck on the bytes; false with the reason when it complains.
::testing::AssertionResult PassesPngcheck(const std::vector<std::uint8_t>& bytes, const std::string& name) {
    const auto path = std::filesystem::temp_directory_path() / ("omr-" + name + ".png");
    {
        std::ofstream f(path, std::ios::binary);
        f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    const std::string cmd = "pngcheck -q '" + path.string() + "' > /dev/null 2>&1";
    const int rc = std::system(cmd.c_str());
    std::filesystem::remove(path);
    if (rc == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pngcheck rejects " << name;
}

}  // namespace

TEST(PngWriter, OneWhitePixelWithWhiteTransparent) {
    TPngEngine e;
    TBitmap bmp;
    bmp.SetSize(1, 1);
    bmp.Canvas()->SetPixel(0, 0, clWhite);
    auto png = e.WritePngImage(&bmp, clWhite);
    const auto b = Bytes(*png);
    const std::vector<std::uint8_t> sig = {137, 80, 78, 71, 13, 10, 26, 10};
    ASSERT_GE(b.size(), 8u);
    EXPECT_EQ(std::vector<std::uint8_t>(b.begin(), b.begin() + 8), sig);
    const auto chunks = Chunks(b);
    ASSERT_EQ(chunks.size(), 4u);
    EXPECT_EQ(chunks[0].Type, "IHDR");
    EXPECT_EQ(chunks[0].Data, (std::vector<std::uint8_t>{0, 0, 0, 1, 0, 0, 0, 1, 8, 2, 0, 0, 0}));
    EXPECT_EQ(chunks[1].Type, "tRNS");
    EXPECT_EQ(chunks[1].Data, (std::vector<std::uint8_t>{0, 255, 0, 255, 0, 255}));
    EXPECT_EQ(chunks[2].Type, "IDAT");
    EXPECT_EQ(chunks[3].Type, "IEND");
    EXPECT_EQ(chunks[3].Length, 0u);
    EXPECT_EQ(chunks[3].Crc, 0xAE426082u);
    // The zlib stream format: a 2-byte header of a level-9 stream.
    EXPECT_EQ(chunks[2].Data.at(0), 0x78);
    EXPECT_EQ(chunks[2].Data.at(1), 0xDA);

    QImage decoded;
    ASSERT_TRUE(decoded.loadFromData(b.data(), static_cast<int>(b.size()), "PNG"));
    EXPECT_EQ(qAlpha(decoded.pixel(0, 0)), 0);  // the one pixel is transparent
}

TEST(PngWriter, PixelsSurviveAndOtherProgramsReadIt) {
    TPngEngine e;
    TBitmap bmp;
    bmp.SetSize(37, 23);
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 37; ++x)
            bmp.Canvas()->SetPixel(x, y, static_cast<TColor>((x * 7) | ((y * 11) << 8) | (((x + y) * 3) << 16)));
    bmp.Canvas()->SetPixel(5, 5, clFuchsia);
    auto png = e.WritePngImage(&bmp, clFuchsia);
    const auto b = Bytes(*png);
    QImage decoded;
    ASSERT_TRUE(decoded.loadFromData(b.data(), static_cast<int>(b.size()), "PNG"));
    ASSERT_EQ(decoded.width(), 37);
    ASSERT_EQ(decoded.height(), 23);
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 37; ++x) {
            const QRgb p = decoded.pixel(x, y);
            if (x == 5 && y == 5) {
                EXPECT_EQ(qAlpha(p), 0);
                continue;
            }
            const TColor c = bmp.Canvas()->GetPixel(x, y);
            ASSERT_EQ(qRed(p), int(c & 0xFF)) << x << "," << y;
            ASSERT_EQ(qGreen(p), int((c >> 8) & 0xFF)) << x << "," << y;
            ASSERT_EQ(qBlue(p), int((c >> 16) & 0xFF)) << x << "," << y;
            ASSERT_EQ(qAlpha(p), 255);
        }
    ASSERT_EQ(checkers::MissingReaders({"pngcheck"}), "");
    EXPECT_TRUE(PassesPngcheck(b, "pixels"));
}

TEST(PngWriter, LargeDataIsCutIntoChunksOf10240Bytes) {
    TPngEngine e;
    TBitmap bmp;
    bmp.SetSize(200, 100);
    std::uint32_t seed = 12345;  // noise does not compress
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) {
            seed = seed * 1103515245u + 12345u;
            bmp.Canvas()->SetPixel(x, y, static_cast<TColor>((seed >> 8) & 0xFFFFFF));
        }
    auto png = e.WritePngImage(&bmp, clBlack);
    const auto b = Bytes(*png);
    std::vector<std::uint32_t> idat;
    for (const auto& c : Chunks(b))
        if (c.Type == "IDAT") idat.push_back(c.Length);
    ASSERT_GE(idat.size(), 5u);  // 60000 raw bytes of noise
    for (std::size_t i = 0; i + 1 < idat.size(); ++i) EXPECT_EQ(idat[i], 10240u);
    EXPECT_LT(idat.back(), 10240u);
    QImage decoded;
    ASSERT_TRUE(decoded.loadFromData(b.data(), static_cast<int>(b.size()), "PNG"));
    EXPECT_EQ(FromQColor(decoded.pixelColor(199, 99)), bmp.Canvas()->GetPixel(199, 99));
    ASSERT_EQ(checkers::MissingReaders({"pngcheck"}), "");
    EXPECT_TRUE(PassesPngcheck(b, "chunks"));
}

TEST(PngWriter, EmptyBitmapGivesOneTransparentPixel) {
    TPngEngine e;
    TBitmap empty;
    auto png = e.WritePngImage(&empty, clWhite);
    const auto b = Bytes(*png);
    QImage decoded;
    ASSERT_TRUE(decoded.loadFromData(b.data(), static_cast<int>(b.size()), "PNG"));
    EXPECT_EQ(decoded.size(), QSize(1, 1));
    EXPECT_EQ(qAlpha(decoded.pixel(0, 0)), 0);
    ASSERT_EQ(checkers::MissingReaders({"pngcheck"}), "");
    EXPECT_TRUE(PassesPngcheck(b, "empty"));
}

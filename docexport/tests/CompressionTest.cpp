#include <gtest/gtest.h>

#include <zlib.h>

#include "docexport/deDZLib.h"
#include "docexport/deFilters.h"

namespace {

std::string Sample(std::size_t n) {
    std::string s;
    unsigned x = 12345;
    for (std::size_t i = 0; i < n; ++i) {
        x = x * 1103515245u + 12345u;
        // Some repetition so deflate has work, some noise so it is not trivial.
        s += (i % 7 == 0) ? static_cast<char>(x >> 24) : "scorvane"[i % 8];
    }
    return s;
}

// zlib's own one-shot inflate.
std::string ZInflate(const std::string& z, std::size_t size) {
    std::string out(size, '\0');
    uLongf len = static_cast<uLongf>(size);
    int rc = uncompress(reinterpret_cast<Bytef*>(out.data()), &len,
                        reinterpret_cast<const Bytef*>(z.data()), static_cast<uLong>(z.size()));
    EXPECT_EQ(rc, Z_OK);
    out.resize(len);
    return out;
}

std::string ZDeflate(const std::string& s, int level) {
    uLongf len = compressBound(static_cast<uLong>(s.size()));
    std::string out(len, '\0');
    EXPECT_EQ(compress2(reinterpret_cast<Bytef*>(out.data()), &len, reinterpret_cast<const Bytef*>(s.data()),
                        static_cast<uLong>(s.size()), level),
              Z_OK);
    out.resize(len);
    return out;
}

}  // namespace

TEST(Compression, RoundTripsAndAgreesWithZlib) {
    TdeFlateFilter f;
    for (std::size_t size : {std::size_t(0), std::size_t(1), std::size_t(1000), std::size_t(300000)}) {
        for (int level = 0; level <= 3; ++level) {
            SCOPED_TRACE(testing::Message() << "size " << size << " level " << level);
            std::string data = Sample(size);
            std::string z = f.EncodeString(data, level);
            EXPECT_TRUE(ZInflate(z, size) == data);
            EXPECT_TRUE(f.DecodeString(z) == data);
            // Same bytes as zlib's own one-shot deflate (stored blocks of
            // level 0 depend on how the input arrives).
            if (level > 0) {
                EXPECT_TRUE(z == ZDeflate(data, ZLibLevel(level)));
            }
        }
    }
    EXPECT_EQ(ZLibLevel(3), 9);
    EXPECT_EQ(f.DecodeString(""), "");
}

TEST(Compression, PieceSizeDoesNotChangeTheOutput) {
    std::string data = Sample(200000);
    std::string whole = TdeFlateFilter().EncodeString(data, 3);
    for (std::size_t piece : {1u, 7u, 4096u, 65536u, 70000u}) {
        TMemoryStream m;
        int progress = 0;
        {
            TCompressionStream z(3, m);
            z.OnProgress = [&](TStream*) { ++progress; };
            for (std::size_t i = 0; i < data.size(); i += piece)
                z.WriteBuffer(data.data() + i, static_cast<Integer>(std::min(piece, data.size() - i)));
            EXPECT_EQ(z.Position(), static_cast<Int64>(data.size()));
        }  // the destructor finishes the stream
        EXPECT_TRUE(std::string(m.Memory(), m.Size()) == whole) << piece;
    }
}

TEST(Compression, UnsupportedOperationsFail) {
    TMemoryStream m;
    TCompressionStream c(2, m);
    char b[4];
    try {
        c.Read(b, 4);
        FAIL();
    } catch (const EZCompressionError& e) {
        EXPECT_EQ(e.Message, "Invalid ZStream operation!");
    }
    EXPECT_THROW(c.Seek(1, soCurrent), EZCompressionError);
    c.Finish();
    EXPECT_THROW(c.Write(b, 1), EZCompressionError);

    TStringStream src(ZDeflate("abc", 9));
    TDecompressionStream d(src);
    try {
        d.Write(b, 1);
        FAIL();
    } catch (const EZDecompressionError& e) {
        EXPECT_EQ(e.Message, "Invalid ZStream operation!");
    }
    EXPECT_THROW(d.Seek(-1, soCurrent), EZDecompressionError);
}

TEST(Decompression, SeeksBySkippingAndRestarting) {
    std::string data = Sample(50000);
    TStringStream src(ZDeflate(data, 9));
    TDecompressionStream d(src);
    char b[5];
    EXPECT_EQ(d.Seek(10, soCurrent), 10);
    d.ReadBuffer(b, 5);
    EXPECT_EQ(std::string(b, 5), data.substr(10, 5));
    EXPECT_EQ(d.Seek(100, soBeginning), 100);  // forward from the start
    d.ReadBuffer(b, 5);
    EXPECT_EQ(std::string(b, 5), data.substr(100, 5));
    EXPECT_THROW(d.Seek(3, soBeginning), EZDecompressionError);  // backwards
    EXPECT_EQ(d.Seek(0, soEnd), static_cast<Int64>(data.size()));
    EXPECT_EQ(d.Read(b, 5), 0);
    EXPECT_EQ(d.Seek(0, soBeginning), 0);
    d.ReadBuffer(b, 5);
    EXPECT_EQ(std::string(b, 5), data.substr(0, 5));
    // Skipping past the end stops at the end instead of looping.
    EXPECT_EQ(d.Seek(1000000, soCurrent), static_cast<Int64>(data.size()));
}

TEST(Decompression, LeavesTheSourceRightAfterTheCompressedData) {
    std::string z = ZDeflate("hello", 9);
    TStringStream src(z + "TAIL");
    TDecompressionStream d(src);
    char b[64];
    EXPECT_EQ(d.Read(b, sizeof b), 5);
    EXPECT_EQ(src.Position(), static_cast<Int64>(z.size()));
}

TEST(Decompression, CorruptOrTruncatedInput) {
    TdeFlateFilter f;
    std::string z = ZDeflate(Sample(5000), 9);
    std::string bad = z;
    bad[0] = 0;  // not a zlib header
    try {
        f.DecodeString(bad);
        FAIL();
    } catch (const EZDecompressionError& e) {
        EXPECT_FALSE(e.Message.empty());
    }
    bad = z;
    for (std::size_t i = 10; i < 40; ++i) bad[i] = static_cast<char>(~bad[i]);
    try {
        f.DecodeString(bad);
        FAIL();
    } catch (const EZDecompressionError& e) {
        EXPECT_EQ(e.Message, "data error");
    }
    // A truncated stream delivers what it holds and ends; nothing hangs.
    std::string part = f.DecodeString(z.substr(0, z.size() / 2));
    EXPECT_TRUE(part == Sample(5000).substr(0, part.size()));
}

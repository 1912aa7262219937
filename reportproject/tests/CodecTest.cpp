// The block compression codec: exact output for small inputs, round trips
// across the code-width boundaries and dictionary resets, and safe
// rejection of corrupt input.

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "platform/core/Streams.h"
#include "reportproject/VizeException.h"
#include "reportproject/VzCmHuff.h"

namespace {

std::string CodecRun(bool compress, const std::string& input, int m = 8, int maxBits = 13) {
    std::size_t pos = 0;
    std::string out;
    auto read = [&](void* buffer, Integer count) -> Integer {
        const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(count), input.size() - pos);
        std::copy_n(input.data() + pos, n, static_cast<char*>(buffer));
        pos += n;
        return static_cast<Integer>(n);
    };
    auto write = [&](const void* buffer, Integer count) {
        out.append(static_cast<const char*>(buffer), static_cast<std::size_t>(count));
    };
    if (compress)
        Compress(m, maxBits, read, write);
    else
        Expand(m, maxBits, read, write);
    return out;
}

std::string Packed(const std::string& s) { return CodecRun(true, s); }
std::string Unpacked(const std::string& s) { return CodecRun(false, s); }

std::string RandomBytes(std::size_t n, unsigned seed, int alphabet = 256) {
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (auto& c : s) c = static_cast<char>(gen() % static_cast<unsigned>(alphabet));
    return s;
}

std::string ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

std::string ExpandError(const std::string& packed) {
    try {
        Unpacked(packed);
    } catch (const EVizeException& e) {
        return e.Message;
    }
    return "";
}

}  // namespace

TEST(Codec, EmptyInputIsClearEndAndPadding) {
    EXPECT_EQ(Packed(""), std::string("\x80\x40\x40", 3));
    EXPECT_EQ(Unpacked(std::string("\x80\x40\x40", 3)), "");
}

TEST(Codec, GoldenBlockOfARepeatedByte) {
    // Codes 256, 97, 258, 97, 257 at 9 bits: 258 is used as soon as it is
    // assigned.
    const std::string golden = ReadFile(std::string(OMR_TEST_DATA) + "/repeat4.lzw");
    ASSERT_EQ(golden.size(), 6u);
    EXPECT_EQ(Packed("aaaa"), golden);
    EXPECT_EQ(Unpacked(golden), "aaaa");
}

TEST(Codec, RoundTrips) {
    const struct {
        const char* name;
        std::string data;
    } cases[] = {
        {"one byte", "x"},
        {"text", "The quick brown fox jumps over the lazy dog. The quick brown fox."},
        {"long run of one byte", std::string(100000, '\x07')},
        {"all byte values", [] {
             std::string s;
             for (int i = 0; i < 256; ++i) s += static_cast<char>(i);
             return s + s;
         }()},
        {"random bytes filling the dictionary several times", RandomBytes(200000, 1)},
        {"small alphabet with long matches", RandomBytes(300000, 2, 3)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string packed = Packed(c.data);
        EXPECT_EQ(Unpacked(packed), c.data);
    }
}

TEST(Codec, RoundTripsForEveryLengthAcrossWidthChanges) {
    // The end code follows the last data code at whatever width the
    // dictionary has reached; inputs ending just as it reaches 511, 1023,
    // 2047 and 4095 entries are among these lengths.
    const std::string data = RandomBytes(9000, 3);
    for (std::size_t n = 0; n <= data.size(); n += (n < 5000 ? 1 : 7)) {
        const std::string in = data.substr(0, n);
        ASSERT_EQ(Unpacked(Packed(in)), in) << "length " << n;
    }
}

TEST(Codec, OtherSymbolWidths) {
    const std::string bits = RandomBytes(5000, 4, 2);
    EXPECT_EQ(CodecRun(false, CodecRun(true, bits, 1, 12), 1, 12), bits);
    const std::string nibbles = RandomBytes(20000, 5, 16);
    EXPECT_EQ(CodecRun(false, CodecRun(true, nibbles, 4, 10), 4, 10), nibbles);
    EXPECT_THROW(CodecRun(true, "\x10", 4, 10), EVizeException);  // byte beyond 2^m
    EXPECT_THROW(CodecRun(true, "", 9, 13), EVizeException);
    EXPECT_THROW(CodecRun(true, "", 8, 16), EVizeException);
}

TEST(Codec, FullDictionaryWithoutClearOverflows) {
    // A coder allowed 14 bits fills the 13-bit expander's dictionary
    // without sending a clear code.
    const std::string packed = CodecRun(true, RandomBytes(40000, 6), 8, 14);
    EXPECT_EQ(ExpandError(packed), "Hash Table overflow.");
}

TEST(Codec, CorruptInputIsRejectedOrEndsSafely) {
    // 256 then 300 (not yet assigned: the next code is 258).
    // 100000000 100101100 -> 0x80 0x4B 0x00 ...
    EXPECT_EQ(ExpandError(std::string("\x80\x4B\x00\x00", 4)), "Corrupt compressed data.");
    // A first code after the clear that is not a single byte: 256, 258.
    // 100000000 100000010 -> 0x80 0x40 0x80
    EXPECT_EQ(ExpandError(std::string("\x80\x40\x80", 3)), "Corrupt compressed data.");

    // Input that stops in the middle yields what was decoded so far.
    const std::string text = "abcabcabcabcabcabc";
    const std::string packed = Packed(text);
    const std::string cut = Unpacked(packed.substr(0, packed.size() / 2));
    EXPECT_EQ(cut, text.substr(0, cut.size()));

    // Arbitrary bytes never crash or hang: they expand or are rejected.
    std::mt19937 gen(7);
    for (int i = 0; i < 3000; ++i) {
        std::string junk = RandomBytes(1 + gen() % 400, 100 + i);
        if (i % 2 == 0) junk[0] = '\x80';  // starts with a clear code
        try {
            Unpacked(junk);
        } catch (const EVizeException&) {
        }
    }
}

TEST(Codec, BlockSelector) {
    const std::string data = "0123456789" + RandomBytes(70000, 8, 5);

    TStringStream source(data);
    source.SetPosition(4);
    TStringStream stored;
    CompressBlock(cmStored, source, stored);
    EXPECT_EQ(stored.DataString(), data.substr(4));

    source.SetPosition(0);
    TStringStream packed;
    CompressBlock(cmCompressed, source, packed);
    EXPECT_LT(packed.Size(), static_cast<Int64>(data.size()));
    packed.SetPosition(0);
    TStringStream expanded;
    ExpandBlock(cmCompressed, packed, expanded);
    EXPECT_EQ(expanded.DataString(), data);

    for (Byte method : {Byte(1), Byte(3), Byte(255)}) {
        TStringStream in("x"), out;
        try {
            ExpandBlock(method, in, out);
            ADD_FAILURE() << "method " << int(method) << " accepted";
        } catch (const EVizeException& e) {
            EXPECT_EQ(e.Message, "Unknown compression method " + std::to_string(method));
        }
    }
}

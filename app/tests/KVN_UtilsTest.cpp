#include "app/KVN_Utils.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>

#include <unistd.h>

namespace {

// Hex text that xxd prints for the bytes, joined into one line.
std::string XxdHex(const std::string& bytes) {
    char path[] = "/tmp/kvnhexXXXXXX";
    int fd = mkstemp(path);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    close(fd);
    std::string out;
    FILE* p = popen((std::string("xxd -p -u ") + path).c_str(), "r");
    EXPECT_NE(p, nullptr);
    for (int c; (c = fgetc(p)) != EOF;)
        if (c != '\n') out.push_back(static_cast<char>(c));
    pclose(p);
    unlink(path);
    return out;
}

TEST(HexCodec, KnownPairs) {
    EXPECT_EQ(StrToHex("A<"), "413C");
    EXPECT_EQ(HexToStr("413C", 2), "A<");
    EXPECT_EQ(HexToStr("413c", 2), "A<");
    EXPECT_EQ(HexToStr("41", 2), std::string("A\0", 2));
    EXPECT_EQ(StrToHex(""), "");
    EXPECT_EQ(HexToStr("", 0), "");
    // An odd last digit is ignored by callers passing length div 2.
    EXPECT_EQ(HexToStr("414", 1), "A");
}

TEST(HexCodec, StopsAtNonHexPair) {
    EXPECT_EQ(HexToStr("41G142", 3), std::string("A\0\0", 3));
    EXPECT_EQ(HexToStr("41:042", 3), std::string("A\0\0", 3));
}

TEST(HexCodec, AgreesWithXxdAndRoundTrips) {
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    std::mt19937 rng(7);
    std::string random;
    for (int i = 0; i < 5000; ++i) random.push_back(static_cast<char>(rng() & 0xFF));
    for (const std::string& bytes : {all, random, std::string("Algebra I\r\n\0x", 13)}) {
        std::string hex = StrToHex(bytes);
        EXPECT_EQ(hex, XxdHex(bytes));
        EXPECT_EQ(HexToStr(hex, static_cast<int>(hex.size() / 2)), bytes);
    }
}

}  // namespace

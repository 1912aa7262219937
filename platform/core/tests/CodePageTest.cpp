#include "platform/core/CodePage.h"

#include <gtest/gtest.h>

TEST(CodePage, EveryByteRoundTrips) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    const std::string utf8 = Cp1252ToUtf8(all);
    EXPECT_EQ(all, Utf8ToCp1252(utf8));
}

TEST(CodePage, KnownCharacters) {
    EXPECT_EQ("\x80\x96\x9F\xE9\xFF", Utf8ToCp1252("€–Ÿéÿ"));
    EXPECT_EQ("€ Š œ ™", Cp1252ToUtf8("\x80 \x8A \x9C \x99"));
    EXPECT_EQ("plain ASCII", Utf8ToCp1252("plain ASCII"));
}

TEST(CodePage, UnmappableAndMalformedBecomeTheReplacement) {
    EXPECT_EQ("a?b?c", Utf8ToCp1252("a😀bЖc"));  // one replacement per character
    EXPECT_EQ("a_b", Utf8ToCp1252("a\xC3" "b", '_'));  // stray lead byte
    EXPECT_EQ("??", Utf8ToCp1252("\xC2\x80\xC2\x9F"));  // U+0080, U+009F are not in the code page
    unsigned char b = 0;
    EXPECT_FALSE(CharToCp1252(0x0100, b));
    EXPECT_TRUE(CharToCp1252(0x2122, b));
    EXPECT_EQ(0x99, b);
}

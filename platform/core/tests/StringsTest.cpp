#include "platform/core/Strings.h"

#include <gtest/gtest.h>

#include "platform/core/Exception.h"

// "é" is 2 bytes, "€" 3 bytes, "😀" 4 bytes.
TEST(Utf8, LengthCountsCharactersNotBytes) {
    EXPECT_EQ(0, Utf8Length(""));
    EXPECT_EQ(3, Utf8Length("abc"));
    EXPECT_EQ(4, Utf8Length("café"));
    EXPECT_EQ(3, Utf8Length("a€😀"));
    // Malformed bytes count one each and are never merged with neighbours.
    EXPECT_EQ(3, Utf8Length("a\xC3z"));
    EXPECT_EQ(2, Utf8Length("\xE2\x82"));
}

TEST(Utf8, CopyNeverSplitsACharacter) {
    const std::string s = "a€b😀c";
    EXPECT_EQ("€", Utf8Copy(s, 2, 1));
    EXPECT_EQ("b😀", Utf8Copy(s, 3, 2));
    EXPECT_EQ("a€b😀c", Utf8Copy(s, 0, 100));
    EXPECT_EQ("", Utf8Copy(s, 6, 1));
    EXPECT_EQ("", Utf8Copy(s, 2, 0));
    EXPECT_EQ("", Utf8Copy(s, 2, -1));
}

TEST(Utf8, PaddingCountsCharacters) {
    EXPECT_EQ("  é€", Utf8PadLeft("é€", 4));
    EXPECT_EQ("é€..", Utf8PadRight("é€", 4, '.'));
    EXPECT_EQ("éééé", Utf8PadRight("éééé", 2));
}

TEST(Utf8, LeadByteAndRoundTrip) {
    EXPECT_FALSE(IsUtf8LeadByte('a'));
    EXPECT_FALSE(IsUtf8LeadByte(static_cast<char>(0x82)));  // continuation
    EXPECT_TRUE(IsUtf8LeadByte(static_cast<char>(0xC3)));
    EXPECT_TRUE(IsUtf8LeadByte(static_cast<char>(0xF0)));
    for (char32_t cp : {U'A', U'\u00E9', U'\u20AC', U'\U0001F600'}) {
        std::string s;
        Utf8AppendChar(s, cp);
        char32_t back = 0;
        EXPECT_EQ(s.size(), Utf8DecodeChar(s, 0, back));
        EXPECT_EQ(cp, back);
    }
}

TEST(Case, AsciiAndUnicodeMappings) {
    EXPECT_EQ("ABC ÉÄ", UpperCase("abc ÉÄ"));
    EXPECT_EQ("abc éä", LowerCase("ABC éä"));
    EXPECT_EQ("ÀÉÎÕÜŸ ŁŽ ΑΣΩ ЖЯЁ", AnsiUpperCase("àéîõüÿ łž ασω жяё"));
    EXPECT_EQ("àéîõüÿ łž ασω жяё", AnsiLowerCase("ÀÉÎÕÜŸ ŁŽ ΑΣΩ ЖЯЁ"));
    EXPECT_EQ("ß€😀", AnsiUpperCase("ß€😀"));  // no simple upper case
    EXPECT_EQ("A\xC3Z", AnsiUpperCase("a\xC3z"));  // malformed byte kept as is
}

TEST(Trim, RemovesBlanksAndControls) {
    EXPECT_EQ("a b", Trim(" \t a b\r\n"));
    EXPECT_EQ("a b\r\n", TrimLeft(" \t a b\r\n"));
    EXPECT_EQ(" \t a b", TrimRight(" \t a b\r\n"));
    EXPECT_EQ("", Trim("  \n"));
    EXPECT_EQ("é", Trim(" é "));
}

TEST(Compare, TextAndStr) {
    EXPECT_EQ(0, CompareText("Hello", "hELLO"));
    EXPECT_LT(CompareText("abc", "ABD"), 0);
    EXPECT_LT(CompareText("ab", "abc"), 0);
    EXPECT_TRUE(SameText("Main", "MAIN"));
    EXPECT_FALSE(SameText("é", "É"));  // ASCII only
    EXPECT_TRUE(AnsiSameText("é", "É"));
    EXPECT_LT(CompareStr("B", "a"), 0);
    EXPECT_GT(CompareStr("é", "z"), 0);
}

TEST(Replace, FlagsAndCaseFolding) {
    EXPECT_EQ("xbab", StringReplace("abab", "a", "x", 0));
    EXPECT_EQ("xbxb", StringReplace("abab", "a", "x", rfReplaceAll));
    EXPECT_EQ("AbAb", StringReplace("AbAb", "a", "x", rfReplaceAll));
    EXPECT_EQ("xbxb", StringReplace("AbAb", "a", "x", rfReplaceAll | rfIgnoreCase));
    EXPECT_EQ("[é]x[é]", StringReplace("ÉxÉ", "é", "[é]", rfReplaceAll | rfIgnoreCase));
    EXPECT_EQ("aaaa", StringReplace("aa", "a", "aa", rfReplaceAll));  // no re-scan
    EXPECT_EQ("abc", StringReplace("abc", "", "x", rfReplaceAll));
}

TEST(Pos, OneBasedBytes) {
    EXPECT_EQ(1, Pos("a", "abc"));
    EXPECT_EQ(4, Pos("b", "éab"));
    EXPECT_EQ(0, Pos("z", "abc"));
    EXPECT_EQ(0, Pos("", "abc"));
}

TEST(IntText, IntToStrAndHex) {
    EXPECT_EQ("-42", IntToStr(-42));
    EXPECT_EQ("9223372036854775807", IntToStr(INT64_MAX));
    EXPECT_EQ("4294967295", IntToStr(4294967295u));
    EXPECT_EQ("00FF", IntToHex(255, 4));
    EXPECT_EQ("1A", IntToHex(26));
    EXPECT_EQ("FFFFFFFF", IntToHex(-1, 2));
    EXPECT_EQ("FFFFFFFFFFFFFFFF", IntToHex(Int64{-1}, 2));
    EXPECT_EQ("FFFFFFFF", IntToHex(SmallInt{-1}, 2));
}

TEST(IntText, StrToIntAcceptsThePlatformForms) {
    struct Case { const char* text; Integer value; };
    const Case cases[] = {
        {"0", 0}, {"123", 123}, {"-123", -123}, {"+7", 7}, {"  42", 42}, {"\t5", 5},
        {"$1F", 31}, {"0x1f", 31}, {"0X10", 16}, {"x10", 16}, {"-$10", -16},
        {"$FFFFFFFF", -1}, {"2147483647", 2147483647}, {"-2147483648", INT32_MIN},
        {"007", 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.value, StrToInt(c.text));
    }
}

TEST(IntText, StrToIntRejectsBadText) {
    for (const char* bad : {"", " ", "12 ", "1 2", "abc", "12a", "$", "0x", "-", "2147483648",
                            "-2147483649", "$100000000", "1.5", "1e3"}) {
        SCOPED_TRACE(bad);
        Integer v = 99;
        EXPECT_FALSE(TryStrToInt(bad, v));
        EXPECT_EQ(99, v);
        EXPECT_EQ(-1, StrToIntDef(bad, -1));
    }
    try {
        StrToInt("12x");
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ("'12x' is not a valid integer value", e.Message);
    }
}

TEST(IntText, StrToInt64Range) {
    EXPECT_EQ(INT64_MAX, StrToInt64("9223372036854775807"));
    EXPECT_EQ(INT64_MIN, StrToInt64("-9223372036854775808"));
    EXPECT_EQ(-1, StrToInt64("$FFFFFFFFFFFFFFFF"));
    EXPECT_EQ(4294967296LL, StrToInt64("4294967296"));
    EXPECT_EQ(5, StrToInt64Def("9223372036854775808", 5));
    EXPECT_THROW(StrToInt64("x"), EConvertError);
}

TEST(Quoting, QuoteAndDequote) {
    EXPECT_EQ("'it''s'", QuotedStr("it's"));
    EXPECT_EQ("\"a\"\"b\"", AnsiQuotedStr("a\"b", '"'));
    EXPECT_EQ("a\"b", AnsiDequotedStr("\"a\"\"b\"", '"'));
    EXPECT_EQ("plain", AnsiDequotedStr("plain", '"'));
    EXPECT_EQ("\"open", AnsiDequotedStr("\"open", '"'));  // unterminated: unchanged
    EXPECT_EQ("", AnsiDequotedStr("\"\"", '"'));
    EXPECT_EQ("ab", AnsiDequotedStr("\"ab\"cd", '"'));
    std::size_t pos = 2;
    EXPECT_EQ("x,y", AnsiExtractQuotedStr("a,\"x,y\",b", pos, '"'));
    EXPECT_EQ(7u, pos);
}

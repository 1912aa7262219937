#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "grid/GRCommon.h"
#include "grid/tests/GridTestSupport.h"

namespace {

std::vector<int> Offsets(const TgrIntegerList& list) {
    std::vector<int> v;
    for (int i = 0; i < list.Count(); ++i) v.push_back(list[i]);
    return v;
}

void UseTestFont(TCanvas* c) {
    c->Font()->SetName("Arial");
    c->Font()->SetSize(10);
    c->Font()->SetStyle(0);
    c->Font()->SetColor(clBlack);
    c->Brush()->SetColor(clWhite);
}

// Draws text as the reference: no background, clipped.
void Ref(TCanvas* c, int x, int y, const std::string& text, const TRect& clip) {
    c->Brush()->SetStyle(bsClear);
    c->TextRect(clip, x, y, text);
    c->Brush()->SetColor(clWhite);
}

class TextLayout : public ::testing::Test {
protected:
    TextLayout() : s(200, 80), r(200, 80) {
        UseTestFont(s.c());
        UseTestFont(r.c());
        tm = GetTextMetric(s.c());
    }
    int W(const std::string& t) { return s.c()->TextWidth(t); }
    TestSurface s;  // drawn by the engine
    TestSurface r;  // drawn by hand
    TgrTextMetric tm;
};

}  // namespace

TEST(TextPrimitives, CharacterLengthsNeverSplitACharacterOrABreakPair) {
    struct Case {
        std::string text;
        int i, at, before;
    } cases[] = {
        {"a\r\nb", 1, 2, 1},     {"a\n\rb", 1, 2, 1}, {"a\r\rb", 1, 1, 1}, {"a\r\n", 3, 0, 2},
        {"a\xC3\xA9", 1, 2, 1},  {"a\xC3\xA9", 3, 0, 2}, {"\xE2\x82\xAC", 0, 3, 0}, {"\xE2\x82\xAC", 3, 0, 3},
        {"ab", 2, 0, 1},         {"a\r\r", 3, 0, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CharLengthAt(c.text, c.i), c.at) << c.text << " @" << c.i;
        EXPECT_EQ(PrevCharLength(c.text, c.i), c.before) << c.text << " @" << c.i;
    }
    int i = 1;
    EXPECT_TRUE(SkipLineBreak("a\r\nb", i));
    EXPECT_EQ(i, 3);
    i = 0;
    EXPECT_FALSE(SkipLineBreak("a\r\nb", i));
    EXPECT_TRUE(EndsWithLineBreak("ab\n", 3));
    EXPECT_FALSE(EndsWithLineBreak("", 0));
}

TEST(TextPrimitives, SearchesSkipBytesInsideCharacters) {
    // U+00E9 is C3 A9 and U+00A9 is C2 A9: the byte A9 only ever trails.
    std::string t = "\xC3\xA9x\xC2\xA9x";
    EXPECT_EQ(FindByte(t, '\xA9', 6), 1);
    EXPECT_EQ(FindChar(t, '\xA9', 6), -1);
    EXPECT_EQ(FindChar(t, 'x', 6), 2);
    EXPECT_EQ(FindCharBack(t, 'x', 6), 5);
    EXPECT_EQ(FindCharBack(t, 'x', 5), 2);
    EXPECT_EQ(FindByteBack(t, '\xA9', 6), 4);
    EXPECT_EQ(FindLineBreak("ab\ncd\r", 6), 2);
    EXPECT_EQ(FindLineBreak("ab\ncd\r", 2), -1);
    EXPECT_EQ(FindLastBlank("a b\tc d", 7), 5);
    EXPECT_EQ(SkipBlanks(" \t x", 4), 3);
    EXPECT_EQ(FindLastWordChar("ab  \r\n", 6), 1);
    EXPECT_EQ(FindLastWordChar(" \t", 2), -1);
}

TEST(TextPrimitives, CharacterCountsWalkUtf8) {
    std::string t = "a\xC3\xA9\xE2\x82\xAC" "b";  // a, e-acute, euro, b: 7 bytes
    struct Case {
        int n, max;
        bool fromEnd;
        int bytes;
    } cases[] = {
        {2, 10, false, 3}, {2, 10, true, 4}, {3, 4, false, 3}, {1, 3, true, 2},
        {9, 7, false, 7},  {0, 7, false, 0}, {2, 0, true, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(BytesForChars(t, c.n, c.max, c.fromEnd), c.bytes) << c.n << "/" << c.max;
    EXPECT_EQ(CharsInBytes(t, 4, 10), 3);
    EXPECT_EQ(CharsInBytes(t, 10, 7), 4);
    int bytes, chars;
    CountMbcsChars(t, 10, 7, false, bytes, chars);
    EXPECT_EQ(chars, 4);
}

TEST(TextPrimitives, WordJumps) {
    struct Case {
        std::string text;
        int from, forward, back;
    } cases[] = {
        {"one  two", 0, 5, 0}, {"one  two", 1, 4, 1}, {"one  two", 8, 0, 3},
        {"one  two", 5, 3, 5}, {"a\r\nb", 0, 3, 0},   {"a\r\nb", 4, 0, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WordForwardLength(c.text, c.from), c.forward) << c.text << " @" << c.from;
        EXPECT_EQ(WordBackLength(c.text, c.from), c.back) << c.text << " @" << c.from;
    }
}

TEST(TextPrimitives, StripAccelerator) {
    struct Case {
        std::string caption, text;
        int position;
    } cases[] = {
        {"&File", "File", 1}, {"A&&B", "A&B", 0},  {"Save &As", "Save As", 6},
        {"Sav&e", "Save", 4}, {"Tail&", "Tail", 0}, {"&&&F", "&F", 2},
        {"Plain", "Plain", 0}, {"&\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9", 1},
    };
    for (const auto& c : cases) {
        int pos = -1;
        std::string text;
        StripAccelerator(c.caption, pos, text);
        EXPECT_EQ(text, c.text) << c.caption;
        EXPECT_EQ(pos, c.position) << c.caption;
    }
}

TEST(TextPrimitives, WrapPossibleAndExtraSpacing) {
    EXPECT_TRUE(WrapPossible(20, 15));
    EXPECT_FALSE(WrapPossible(19, 15));
    TgrTextMetric m;
    m.tmHeight = 13;
    m.tmExternalLeading = 2;
    EXPECT_EQ(LinePitch(m), 13);
    MbcsEnabled = true;
    EXPECT_EQ(LinePitch(m), 14);
    m.tmExternalLeading = 0;
    EXPECT_EQ(LinePitch(m), 13);
    MbcsEnabled = false;
}

TEST_F(TextLayout, WrapsAtBlanksByAlignment) {
    int width = W("one two") + 2;  // the list builder measures with width - 1
    TgrIntegerList list;
    WrapIntoLineList(s.c(), "one two three", 100, 0, list, true, htaLeft, width);
    EXPECT_EQ(Offsets(list), (std::vector<int>{0, 8}));
    WrapIntoLineList(s.c(), "one two three", 100, 0, list, true, htaRight, width);
    EXPECT_EQ(Offsets(list), (std::vector<int>{0, 7}));
    int n = 0;
    ASSERT_TRUE(NextWrappedLine(s.c(), tm, " three", n, htaRight, width - 1));
    EXPECT_EQ(n, 6);  // the skipped blank is counted

    // A word wider than the width is broken inside it.
    WrapIntoLineList(s.c(), "0123456789", 100, 0, list, true, htaLeft, W("0123") + 1);
    EXPECT_EQ(Offsets(list), (std::vector<int>{0, 4, 8}));
    // Too little height, or no wrapping: one line.
    WrapIntoLineList(s.c(), "one two three", tm.tmHeight, 0, list, true, htaLeft, width);
    EXPECT_EQ(Offsets(list), (std::vector<int>{0}));
    // At most maxLines lines.
    WrapIntoLineList(s.c(), "0123456789", 100, 2, list, true, htaLeft, W("0123") + 1);
    EXPECT_EQ(Offsets(list), (std::vector<int>{0, 4}));
}

TEST_F(TextLayout, LineBreaksMakeLines) {
    struct Case {
        std::string text;
        std::vector<int> lines;
    } cases[] = {
        {"a\r\nb", {0, 3}},
        {"a\r\rb", {0, 2, 3}},
        {"a\r\n", {0, 3}},
        {"", {0}},
    };
    for (const auto& c : cases) {
        TgrIntegerList list;
        WrapIntoLineList(s.c(), c.text, 100, 0, list, true, htaLeft, 150);
        EXPECT_EQ(Offsets(list), c.lines) << c.text;
        int height = 0, count = 0;
        MeasureWrappedText(s.c(), c.text, 150, height, count, true, htaLeft);
        EXPECT_EQ(count, static_cast<int>(c.lines.size())) << c.text;
        EXPECT_EQ(height, count * tm.tmHeight);
        MeasureWrappedText(s.c(), c.text, 150, height, count, false, htaLeft);
        EXPECT_EQ(count, 1);
    }
}

TEST_F(TextLayout, WrappingNeverCutsAMultiByteCharacter) {
    std::string text;
    for (int i = 0; i < 12; ++i) text += "\xE2\x82\xAC";  // euro signs, 3 bytes each
    TgrIntegerList list;
    WrapIntoLineList(s.c(), text, 200, 0, list, true, htaLeft, W("\xE2\x82\xAC\xE2\x82\xAC") + 3);
    ASSERT_GT(list.Count(), 2);
    for (int offset : Offsets(list)) EXPECT_EQ(offset % 3, 0);
}

TEST_F(TextLayout, SingleLineAlignments) {
    const TRect R(10, 10, 150, 60);
    const std::string text = "Score";
    const int w = W(text);
    struct Case {
        TgrHorzAlignment h;
        TgrVertAlignment v;
        int x, y;
    } cases[] = {
        {htaLeft, vtaTop, 12, 12},
        {htaRight, vtaTop, R.Right - (w + 1), 12},
        {htaCenter, vtaTop, 12 + (R.Right - 12 - w) / 2, 12},
        {htaLeft, vtaBottom, 12, R.Bottom - tm.tmHeight},
        {htaLeft, vtaCenter, 12, 12 + (R.Bottom - 12 - tm.tmHeight) / 2},
        {htaDefault, vtaDefault, 12, 12},
    };
    for (const auto& c : cases) {
        TestSurface got(200, 80), want(200, 80);
        UseTestFont(got.c());
        UseTestFont(want.c());
        got.c()->Brush()->SetColor(clYellow);
        DrawAlignedText(got.c(), text, R.Height(), 0, false, c.v, c.h, 12, 12, R);
        want.c()->Brush()->SetColor(clYellow);
        want.c()->FillRect(R);
        Ref(want.c(), c.x, c.y, text, TRect(12, 12, R.Right, R.Bottom));
        EXPECT_TRUE(got.SameAs(want)) << c.h << "/" << c.v;
    }
}

TEST_F(TextLayout, LineBreakInASingleLineCellShowsAsASpace) {
    const TRect R(0, 0, 200, 30);
    DrawAlignedText(s.c(), "ab\r\ncd", R.Height(), 0, false, vtaTop, htaLeft, 2, 2, R);
    r.c()->FillRect(R);
    Ref(r.c(), 2, 2, "ab", TRect(2, 2, 200, 30));
    Ref(r.c(), 2 + W("ab") + W(" "), 2, "cd", TRect(2, 2, 200, 30));
    EXPECT_TRUE(s.SameAs(r));
}

TEST_F(TextLayout, AcceleratorOnTheLastCharacterIsUnderlined) {
    std::string text;
    int pos = 0;
    StripAccelerator("Sav&e", pos, text);
    const TRect R(0, 0, 200, 30);
    DrawAlignedText(s.c(), text, R.Height(), pos, false, vtaTop, htaLeft, 2, 2, R);

    r.c()->FillRect(R);
    Ref(r.c(), 2, 2, "Sav", R);
    r.c()->Font()->SetStyle(fsUnderline);
    Ref(r.c(), 2 + W("Sav"), 2, "e", TRect(2 + W("Sav"), 0, 200, 30));
    EXPECT_TRUE(s.SameAs(r));
    EXPECT_EQ(s.c()->Font()->Style(), 0u);  // the font is restored

    TestSurface plain(200, 80);
    UseTestFont(plain.c());
    DrawAlignedText(plain.c(), text, R.Height(), 0, false, vtaTop, htaLeft, 2, 2, R);
    EXPECT_FALSE(plain.SameAs(s));
}

TEST_F(TextLayout, WrappedCellTextByAlignment) {
    const TRect R(0, 0, W("one two") + 4, 80);
    const int pitch = tm.tmHeight;
    struct Case {
        TgrHorzAlignment h;
        TgrVertAlignment v;
    } cases[] = {{htaLeft, vtaTop}, {htaRight, vtaTop}, {htaCenter, vtaTop}, {htaLeft, vtaBottom}, {htaLeft, vtaCenter}};
    for (const auto& c : cases) {
        TestSurface got(200, 80), want(200, 80);
        UseTestFont(got.c());
        UseTestFont(want.c());
        DrawAlignedText(got.c(), "one two three", R.Height(), 0, true, c.v, c.h, 0, 2, R);
        want.c()->FillRect(R);
        int y0 = 0;
        if (c.v == vtaBottom) y0 = R.Bottom - tm.tmHeight - pitch;
        if (c.v == vtaCenter) y0 = (R.Bottom - 2 * pitch) / 2;
        const char* lines[] = {"one two", "three"};
        for (int i = 0; i < 2; ++i) {
            int w = W(lines[i]);
            int x = 2;
            if (c.h == htaRight) x = R.Right - w - 1;
            if (c.h == htaCenter) x = std::max(2, (R.Width() - w) / 2);
            int y = y0 + i * pitch;
            Ref(want.c(), x, y, lines[i], TRect(c.h == htaRight ? 2 : 0, y, R.Right, R.Bottom));
        }
        EXPECT_TRUE(got.SameAs(want)) << c.h << "/" << c.v;
    }
}

TEST_F(TextLayout, EditTextDrawsTheSelectionInItsColours) {
    const TRect R(0, 0, 200, 30);
    TgrIntegerList lines;
    lines.Add(0);
    DrawEditText(s.c(), "hello world", R.Height(), false, vtaTop, htaLeft, clWhite, clNavy, 5, 6, &lines, 0, 0, 2, 2,
                 R);

    r.c()->FillRect(R);
    int before = W("hello ");
    r.c()->Brush()->SetColor(clNavy);
    r.c()->FillRect(TRect(2 + before, 2, 2 + before + W("world"), 2 + tm.tmHeight));
    r.c()->Brush()->SetColor(clWhite);
    TRect clip(2, 2, 200, 2 + tm.tmHeight);
    Ref(r.c(), 2, 2, "hello ", clip);
    r.c()->Font()->SetColor(clWhite);
    Ref(r.c(), 2 + before, 2, "world", clip);
    EXPECT_TRUE(s.SameAs(r));
    EXPECT_EQ(s.c()->Font()->Color(), clBlack);
}

TEST_F(TextLayout, WrappedEditTextCarriesTheSelectionAcrossLines) {
    const TRect R(0, 0, W("one two") + 4, 80);
    TgrIntegerList lines;
    WrapIntoLineList(s.c(), "one two three", R.Height(), 0, lines, true, htaLeft, R.Width() - 2);
    ASSERT_EQ(Offsets(lines), (std::vector<int>{0, 8}));
    // "two three" selected: from byte 4 to the end.
    DrawEditText(s.c(), "one two three", R.Height(), true, vtaTop, htaLeft, clWhite, clNavy, 9, 4, &lines, 0, 0, 0,
                 2, R);

    r.c()->FillRect(R);
    const int pitch = tm.tmHeight;
    r.c()->Brush()->SetColor(clNavy);
    // The box is cut at the cell's right edge.
    r.c()->FillRect(TRect(2 + W("one "), 0, std::min(R.Right, 2 + W("one two ")), pitch));
    r.c()->FillRect(TRect(2, pitch, 2 + W("three"), 2 * pitch));
    r.c()->Brush()->SetColor(clWhite);
    Ref(r.c(), 2, 0, "one ", TRect(0, 0, R.Right, pitch));
    r.c()->Font()->SetColor(clWhite);
    Ref(r.c(), 2 + W("one "), 0, "two ", TRect(0, 0, R.Right, pitch));
    Ref(r.c(), 2, pitch, "three", TRect(0, pitch, R.Right, 2 * pitch));
    EXPECT_TRUE(s.SameAs(r));
}

TEST_F(TextLayout, FitTextInWidthTakesCharactersFromTheRightEnd) {
    int width = 0, n = 0;
    std::string text = "abcdefgh";
    FitTextInWidth(s.c(), tm, text, htaLeft, width, n, W("abc"), 8);
    EXPECT_EQ(n, 3);
    EXPECT_EQ(width, W("abc"));
    FitTextInWidth(s.c(), tm, text, htaRight, width, n, W("fgh"), 8);
    EXPECT_EQ(n, 3);
    FitTextInWidth(s.c(), tm, text, htaCenter, width, n, 1, 8);
    EXPECT_EQ(n, 8);
    int w = 0;
    TextWidthWithBreaks(s.c(), tm, "ab\r\ncd", w, false, false, 6);
    EXPECT_EQ(w, W("ab") + W(" ") + W("cd"));
    TextWidthWithBreaks(s.c(), tm, "ab\r\ncd", w, false, true, 6);
    EXPECT_EQ(w, W("ab") + W("cd"));
}

TEST(TextProbe, OutlineFontsHaveNoSeparateOverhang) {
    EXPECT_FALSE(ProbeItalicOverhang());
}

#include <gtest/gtest.h>

#include <algorithm>

#include "docexport/deClasses.h"
#include "docexport/deConsts.h"
#include "docexport/deDocUtils.h"
#include "docexport/deUtils.h"
#include "platform/gui/Bitmap.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/StdCtrls.h"

TEST(WideStrings, IndexesOutsideTheListAreHarmless) {
    TWideStrings l;
    l.Put(1, "x");  // above Count: ignored
    EXPECT_EQ(l.Count(), 0);
    l.Put(0, "a");  // at Count: appends
    l.Add("c");
    l.Insert(1, "b");
    l.Insert(5, "z");
    l.Insert(-1, "z");
    ASSERT_EQ(l.Count(), 3);
    EXPECT_EQ(l.Get(0) + l.Get(1) + l.Get(2), "abc");
    EXPECT_EQ(l.Get(3), "");
    EXPECT_EQ(l.Get(-1), "");
    l.Put(3, "d");  // at Count
    l.Put(5, "e");  // Count + 1
    l.Put(-1, "e");
    EXPECT_EQ(l.Count(), 4);
    l.Put(0, "A");
    l.Delete(7);
    l.Delete(1);
    EXPECT_EQ(l.Get(0) + l.Get(1) + l.Get(2), "Acd");
    l.Insert(3, "end");
    EXPECT_EQ(l.Get(3), "end");
}

TEST(ExtMemStream, WritesBigEndianAndOneBytePerCharacter) {
    TdeExtMemStream s;
    s.WriteInt32BE(0x01020304);
    s.WriteInt16BE(-2);
    s.WriteInt16ArrayBE({0x0506});
    s.WriteInt32ArrayBE({-1});
    s.WriteBytes({7, 8});
    s.WriteByte(9);
    s.WriteText("IH\xC3\xA9");  // "IHé": é is one byte in the file
    const unsigned char want[] = {1, 2, 3, 4, 0xFF, 0xFE, 5, 6, 0xFF, 0xFF, 0xFF, 0xFF,
                                  7, 8, 9, 'I', 'H', 0xE9};
    ASSERT_EQ(s.Size(), static_cast<Int64>(sizeof want));
    EXPECT_TRUE(std::equal(want, want + sizeof want, reinterpret_cast<const unsigned char*>(s.Memory())));
    s.SetPosition(4);
    EXPECT_EQ(s.ReadByte(), 0xFF);
    s.SetPosition(s.Size());
    EXPECT_THROW(s.ReadByte(), EReadError);
}

TEST(EngineComponent, AboutAndVersionReadEmpty) {
    TdeComponent c(nullptr);
    c.SetAbout("x");
    c.SetVersion("y");
    EXPECT_EQ(GetStrProp(c, "About"), "");
    EXPECT_EQ(GetStrProp(c, "Version"), "");
}

TEST(EngineExceptions, CarryTheirMessages) {
    EXPECT_EQ(EInvalidPageNumber().Message, "Invalid Page Number");
    EXPECT_EQ(EFileCreateError().Message,
              "File could not be created!\r\n\r\nPossible cause: It could be in use by some other application");
    EXPECT_EQ(EUnsupportedGraphics().Message, "Unknown Graphics format");
    EXPECT_EQ(EInvalidEngineState().Message, "Not a valid Engine State identifier");
}

TEST(TextHelpers, TableOfCases) {
    struct Case {
        std::string got, want;
    } cases[] = {
        {ReverseHexPairs("A1B2C3"), "C3B2A1"},
        {ReverseHexPairs("1B2C3"), "C3B2"},
        {ReverseHexPairs(""), ""},
        {ReverseText("ab\xC3\xA9"), "\xC3\xA9" "ba"},
        {StripTrailingLineBreak("ab\r\n\r\n"), "ab\r\n"},
        {StripTrailingLineBreak("ab\n"), "ab\n"},
        {ReplaceIgnoreCase("<%title%> and <%TITLE%>", "<%Title%>", "T"), "T and T"},
        {ReplaceIgnoreCase("\xC3\xA9t\xC3\xA9", "\xC3\x89T", "x"), "x\xC3\xA9"},  // é matches É
        {ReplaceIgnoreCase("", "a", "b"), ""},
        {ReplaceIgnoreCase("aaa", "", "b"), "aaa"},
        {ReplaceIgnoreCase("aaa", "aa", "b"), "ba"},
        {BytesToHex(std::vector<std::uint8_t>{0x00, 0xAF, 0x10}), "00AF10"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.want);
    EXPECT_EQ(FindFrom("b", "abcb", 1), 2);
    EXPECT_EQ(FindFrom("b", "abcb", 3), 4);
    EXPECT_EQ(FindFrom("b", "abcb", 5), 0);
    EXPECT_EQ(FindFrom("x", "abcb", 1), 0);
}

TEST(TextHelpers, JustifySpreadsBlanksFromTheLeft) {
    TFont f;
    f.SetName("Courier New");  // fixed pitch: every character is one blank wide
    f.SetSize(10);
    const int blank = TextSize(" ", f).cx;
    ASSERT_GT(blank, 0);
    // Room for three more blanks: 3 div 2 after the first word, the rest
    // after the second.
    const std::string line = "aa bb cc";
    EXPECT_EQ(JustifyText(line, f, TextSize(line, f).cx + 3 * blank), "aa  bb   cc");
    // One word: blanks go between the characters.
    EXPECT_EQ(JustifyText("abc", f, TextSize("abc", f).cx + 2 * blank), "a b c");
    // No room: unchanged.
    EXPECT_EQ(JustifyText(line, f, 1), line);
    EXPECT_EQ(JustifyText("", f, 100), "");
}

TEST(TextHelpers, FontCharsetsListWesternAndGreek) {
    std::vector<int> sets{0};
    FontCharsets("Arial", sets);
    EXPECT_EQ(std::count(sets.begin(), sets.end(), 0), 1);  // each once
    EXPECT_NE(std::find(sets.begin(), sets.end(), 161), sets.end());
}

TEST(Units, FactorsFollowTheScreenResolution) {
    SetScreenPPI(120);
    EXPECT_DOUBLE_EQ(UnitFactor(muPixels), 1);
    EXPECT_DOUBLE_EQ(UnitFactor(muInches), 120);
    EXPECT_DOUBLE_EQ(UnitFactor(muPoints), 120.0 / 72);
    EXPECT_DOUBLE_EQ(UnitFactor(muMM), 120.0 / 72 * 2.83464);
    EXPECT_DOUBLE_EQ(UnitFactor(muTwips), 120.0 / 72 * 0.05);
    EXPECT_DOUBLE_EQ(PixelsToPoints(120), 72);
    EXPECT_DOUBLE_EQ(PointsToPixelsValue(72), 120);
    SetScreenPPI(96);
    EXPECT_DOUBLE_EQ(UnitFactor(muInches), 96);
    EXPECT_EQ(ScaleRect(MakeRect(1, 2, 3, 4), 2), MakeRect(2, 4, 6, 8));
}

TEST(RotatedText, BoxesForEachQuadrant) {
    struct {
        int angle;
        int w0, h0, w1, h1, ox, oy;
    } cases[] = {
        {0, 40, 0, 0, 10, 0, 0},      // phi 90: lying, drawn from the top-left
        {90, 0, 10, 40, 0, 0, 40},    // phi 0: standing, drawn from the bottom-left
        {180, 40, 0, 0, 10, 40, 10},  // upside down, drawn from the right
        {270, 0, 10, 40, 0, 10, 0},
        {-90, 0, 10, 40, 0, 10, 0},   // same as 270
    };
    for (auto c : cases) {
        TdeRotatedBox b = RotatedTextBox(c.angle, 40, 10);
        EXPECT_EQ(b.W0, c.w0) << c.angle;
        EXPECT_EQ(b.H0, c.h0) << c.angle;
        EXPECT_EQ(b.W1, c.w1) << c.angle;
        EXPECT_EQ(b.H1, c.h1) << c.angle;
        EXPECT_EQ(b.TotalWidth, c.w0 + c.h0) << c.angle;
        EXPECT_EQ(b.TotalHeight, c.w1 + c.h1) << c.angle;
        EXPECT_EQ(b.OriginX, c.ox) << c.angle;
        EXPECT_EQ(b.OriginY, c.oy) << c.angle;
    }
    TdeRotatedBox b = RotatedTextBox(30, 40, 10);  // phi 60
    EXPECT_EQ(b.W0, 35);
    EXPECT_EQ(b.H0, 5);
    EXPECT_EQ(b.W1, 20);
    EXPECT_EQ(b.H1, 9);
}

TEST(RotatedText, BitmapHoldsTheRotatedText) {
    TFont f;
    f.SetName("Arial");
    f.SetSize(12);
    f.SetColor(clBlack);
    TBitmap bmp;
    double x = 100, y = 100;
    RotatedTextBitmap("Wide text", f, 90, bmp, x, y, 4096);
    TSize s = TextSize("Wide text", f);
    EXPECT_EQ(bmp.Width(), s.cy);  // standing upright
    EXPECT_EQ(bmp.Height(), s.cx);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 100 - s.cx);
    int dark = 0;
    for (int i = 0; i < bmp.Width(); ++i)
        for (int j = 0; j < bmp.Height(); ++j) dark += bmp.Canvas()->Pixels[i][j] != clWhite;
    EXPECT_GT(dark, 20);
    EXPECT_TRUE(bmp.Transparent());
}

TEST(RotatedText, AFontFarBeyondThePageIsDrawnScaledDownToTheLimit) {
    // A height of 65,000 pixels once asked for a 49 GB bitmap.
    TFont f;
    f.SetName("Arial");
    f.SetHeight(-65296);
    f.SetColor(clBlack);
    TBitmap bmp;
    double x = 100, y = 100;
    RotatedTextBitmap("Hello", f, 45, bmp, x, y, 300);
    EXPECT_LE(std::max(bmp.Width(), bmp.Height()), 300);
    EXPECT_GT(std::min(bmp.Width(), bmp.Height()), 0);
    EXPECT_LE(100 - y, 300);
    int dark = 0;
    for (int i = 0; i < bmp.Width(); ++i)
        for (int j = 0; j < bmp.Height(); ++j) dark += bmp.Canvas()->Pixels[i][j] != clWhite;
    EXPECT_GT(dark, 20);
}

TEST(Dialogs, EnableControlsReachesNestedControls) {
    EnsureGuiApplication();
    TPanel outer(nullptr);
    auto* inner = new TPanel(&outer);
    inner->SetParent(&outer);
    auto* edit = new TEdit(&outer);
    edit->SetParent(inner);
    auto* combo = new TComboBox(&outer);
    combo->SetParent(&outer);
    EnableControls(&outer, false);
    EXPECT_FALSE(inner->Enabled());
    EXPECT_FALSE(edit->Enabled());
    EXPECT_EQ(edit->Color(), clInactiveBorder);
    EXPECT_EQ(combo->Color(), clInactiveBorder);
    EnableControls(&outer, true);
    EXPECT_TRUE(edit->Enabled());
    EXPECT_EQ(combo->Color(), clWindow);
}

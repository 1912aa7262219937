#include <gtest/gtest.h>

#include "platform/core/MathUtils.h"
#include "report/FontMetrics.h"
#include "report/ReportDefs.h"

TEST(ReportDefsTest, ShadeColorLightensTowardWhite) {
    EXPECT_EQ(ShadeColor(clRed, 20), RGB(255, 204, 204));
    EXPECT_EQ(ShadeColor(clRed, 100), clRed);
    EXPECT_EQ(ShadeColor(clRed, 150), clRed);
    EXPECT_EQ(ShadeColor(clBlack, 0), clWhite);
}

TEST(ReportDefsTest, CharsetsOfCodePagesAndLocales) {
    EXPECT_EQ(ResolveDefaultCharset(0), 0);
    EXPECT_EQ(ResolveDefaultCharset(1, 1049), 204);
    EXPECT_EQ(ResolveDefaultCharset(1, 1045), 238);
    EXPECT_EQ(ResolveDefaultCharset(1), 1);  // the fixed Windows-1252, US English setting
    EXPECT_EQ(CharsetOfCodePage(1251), 204);
    EXPECT_EQ(CharsetOfCodePage(437), 1);
}

TEST(ReportDefsTest, MultiByteTextIsCutByWholeCharacters) {
    std::string text = "a\xC3\xA9" "bc";  // a, e-acute, b, c
    EXPECT_EQ(MBCSCopy(text, 2, 1), "\xC3\xA9");
    EXPECT_EQ(MBCSCopy(text, 5, 1), "");
    std::string t = text;
    MBCSDelete(t, 2, 2);
    EXPECT_EQ(t, "ac");
    EXPECT_EQ(TextPos("b", text), 3);
    EXPECT_EQ(TextPos("z", text), 0);
    EXPECT_EQ(CompareNoCase("abc", "ABC"), 0);
    EXPECT_LT(CompareNoCase("abc", "abd"), 0);
}

TEST(ReportDefsTest, VersionCannotBeChanged) {
    TVpComponent c(nullptr);
    std::string v = c.Version();
    c.SetVersion("9.9");
    EXPECT_EQ(c.Version(), v);
    EXPECT_FALSE(v.empty());
}

TEST(ReportDefsTest, PaperTableKeepsItsOrderAndOddRows) {
    EXPECT_EQ(PaperSizes[0].Id, -1);
    EXPECT_EQ(PaperSizes[1].Id, 256);
    EXPECT_EQ(PaperSizes[42].Id, 41);
    EXPECT_DOUBLE_EQ(FindPaperSize(38)->Width, 3.626);
    EXPECT_DOUBLE_EQ(FindPaperSize(39)->Height, 12);
    EXPECT_STREQ(FindPaperSize(9)->Name, "A4 Sheet, 210- by 297-millimeters");
    EXPECT_EQ(FindPaperSize(999), nullptr);
    EXPECT_EQ(Trans("Hello"), "Hello");
}

TEST(FontMetricsTest, WidthsScaleWithSizeFromOneHandlerPerFaceAndStyle) {
    TVPFontManager manager;
    TFont f;
    f.SetName("Arial");
    f.SetHeight(-100);  // 12 points
    EXPECT_EQ(manager.TextWidth(f, 600, ""), 0);
    int w10 = manager.TextWidth(f, 600, "Hello world");
    f.SetHeight(-200);
    int w20 = manager.TextWidth(f, 600, "Hello world");
    EXPECT_GT(w10, 100);
    EXPECT_NEAR(w20, 2 * w10, 2);
    EXPECT_EQ(manager.HandlerCount(), 1);
    f.SetStyle(fsBold);
    manager.TextWidth(f, 600, "x");
    f.SetStyle(0);
    f.SetCharset(204);
    manager.TextWidth(f, 600, "x");
    EXPECT_EQ(manager.HandlerCount(), 3);
    EXPECT_EQ(TVPFontManager::CacheKey(f), "Arial|204");
    // "iii" is narrower than "WWW" in a proportional face.
    f.SetCharset(1);
    EXPECT_LT(manager.TextWidth(f, 600, "iii"), manager.TextWidth(f, 600, "WWW"));
}

TEST(FontMetricsTest, FixedPitchFaceUsesTheWidthOfA) {
    TVPFontManager manager;
    TFont f;
    f.SetName("Courier New");
    f.SetHeight(-100);  // 12 points at 600 dpi
    auto* handler = dynamic_cast<TVPNonProportionalFontHandler*>(manager.Handler(f));
    ASSERT_NE(handler, nullptr);
    double points = 100 * 72.0 / 600;
    int expected = int(RoundHalfEven(5 * handler->Width() * points * 600 / 43200.0));
    EXPECT_EQ(manager.TextWidth(f, 600, "iiiii"), expected);
    EXPECT_EQ(manager.TextWidth(f, 600, "WWWWW"), expected);
}

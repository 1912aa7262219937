// Reading the character map and advances of TrueType font files.
#include <gtest/gtest.h>

#include <fontconfig/fontconfig.h>

#include <fstream>
#include <iterator>

#include "report/TrueTypeFile.h"

namespace {

std::string InstalledFile(const char* family) {
    FcPattern* p = FcNameParse(reinterpret_cast<const FcChar8*>(family));
    FcConfigSubstitute(nullptr, p, FcMatchPattern);
    FcDefaultSubstitute(p);
    FcResult result;
    FcPattern* m = FcFontMatch(nullptr, p, &result);
    std::string path;
    FcChar8* file = nullptr;
    if (m && FcPatternGetString(m, FC_FILE, 0, &file) == FcResultMatch) path = reinterpret_cast<char*>(file);
    if (m) FcPatternDestroy(m);
    FcPatternDestroy(p);
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(TrueTypeFileTest, CharactersMapToGlyphsWithTheirAdvances) {
    std::string file = InstalledFile("Liberation Sans");
    ASSERT_FALSE(file.empty());
    TTrueTypeFile font = ParseTrueType(file);
    ASSERT_TRUE(font.Valid());
    EXPECT_EQ(font.UnitsPerEm, 2048);
    // Metric-compatible with Helvetica: A 667, space 278, and Greek nu.
    EXPECT_EQ(font.Width(font.GlyphOf['A']), 667);
    EXPECT_EQ(font.Width(font.GlyphOf[' ']), 278);
    EXPECT_NE(font.GlyphOf[0x03BD], 0);
    EXPECT_EQ(font.GlyphOf[0x4E2D], 0);  // no Chinese in this face
}

// Cut or scrambled files give an invalid result, never a read past the end.
TEST(TrueTypeFileTest, DamagedFilesAreRefused) {
    std::string file = InstalledFile("Liberation Sans");
    ASSERT_FALSE(file.empty());
    for (size_t length : {size_t(0), size_t(11), size_t(100), size_t(1000), file.size() / 2}) {
        std::string cut = file.substr(0, length);
        EXPECT_FALSE(ParseTrueType(cut).Valid()) << length;
    }
    std::string scrambled = file;
    for (size_t i = 12; i < 12 + 16 * 20 && i < scrambled.size(); i += 16) scrambled[i + 8] = char(0x7F);
    EXPECT_FALSE(ParseTrueType(scrambled).Valid());  // tables now lie beyond the file
    EXPECT_FALSE(ParseTrueType("not a font at all").Valid());
}

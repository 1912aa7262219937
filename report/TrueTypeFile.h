#pragma once
// What the PDF writer needs from a TrueType font file to embed it as a
// composite font: the glyph of each character and each glyph's advance.
// Font files come from outside: every offset and count is checked against
// the file, and a damaged file gives an empty result, never a read past it.

#include <cstdint>
#include <string>
#include <vector>

struct TTrueTypeFile {
    int UnitsPerEm = 0;
    // Glyph of each character U+0000 to U+FFFF (0: none).
    std::vector<std::uint16_t> GlyphOf;
    // Advance width of each glyph in font units.
    std::vector<std::uint16_t> Advances;

    bool Valid() const { return UnitsPerEm > 0 && !GlyphOf.empty() && !Advances.empty(); }
    // Advance of the glyph in thousandths of the em.
    int Width(std::uint16_t glyph) const;
};

// Reads the tables; an invalid result when the file is not a TrueType font
// with a Unicode character map.
TTrueTypeFile ParseTrueType(const std::string& file);

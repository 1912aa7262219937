#include "report/TrueTypeFile.h"

#include <cmath>

namespace {

// Overlapping ranges in a damaged map could ask for billions of entries;
// no real map holds more than this many.
constexpr size_t kMaxMapEntries = size_t(1) << 20;

class Reader {
public:
    explicit Reader(const std::string& d) : d_(d) {}
    bool Has(size_t at, size_t n) const { return at <= d_.size() && n <= d_.size() - at; }
    unsigned U16(size_t at) const {
        return Has(at, 2) ? (unsigned(std::uint8_t(d_[at])) << 8) | std::uint8_t(d_[at + 1]) : 0;
    }
    std::uint32_t U32(size_t at) const { return (std::uint32_t(U16(at)) << 16) | U16(at + 2); }
    bool Table(const char* tag, size_t& offset, size_t& length) const {
        unsigned count = U16(4);
        for (unsigned i = 0; i < count && Has(12 + 16 * i, 16); ++i) {
            size_t e = 12 + 16 * i;
            if (d_.compare(e, 4, tag) == 0) {
                offset = U32(e + 8);
                length = U32(e + 12);
                return Has(offset, length);
            }
        }
        return false;
    }

private:
    const std::string& d_;
};

void ReadFormat4(const Reader& r, size_t at, size_t length, std::vector<std::uint16_t>& glyphs) {
    if (!r.Has(at, 14) || length < 14) return;
    size_t segments = r.U16(at + 6) / 2;
    size_t ends = at + 14, starts = ends + 2 * segments + 2, deltas = starts + 2 * segments,
           ranges = deltas + 2 * segments;
    if (!r.Has(ranges, 2 * segments)) return;
    size_t budget = kMaxMapEntries;
    for (size_t s = 0; s < segments; ++s) {
        unsigned end = r.U16(ends + 2 * s), start = r.U16(starts + 2 * s);
        unsigned delta = r.U16(deltas + 2 * s), range = r.U16(ranges + 2 * s);
        for (unsigned c = start; c <= end && c < 0xFFFF && budget > 0; ++c, --budget) {
            unsigned glyph;
            if (range == 0) {
                glyph = (c + delta) & 0xFFFF;
            } else {
                size_t where = ranges + 2 * s + range + 2 * size_t(c - start);
                if (!r.Has(where, 2)) break;
                glyph = r.U16(where);
                if (glyph != 0) glyph = (glyph + delta) & 0xFFFF;
            }
            glyphs[c] = std::uint16_t(glyph);
        }
    }
}

void ReadFormat12(const Reader& r, size_t at, std::vector<std::uint16_t>& glyphs) {
    if (!r.Has(at, 16)) return;
    std::uint32_t groups = r.U32(at + 12);
    size_t budget = kMaxMapEntries;
    for (std::uint32_t g = 0; g < groups && r.Has(at + 16 + 12 * size_t(g), 12); ++g) {
        size_t e = at + 16 + 12 * size_t(g);
        std::uint32_t start = r.U32(e), end = r.U32(e + 4), glyph = r.U32(e + 8);
        for (std::uint32_t c = start; c <= end && c < 0xFFFF && budget > 0; ++c, --budget)
            glyphs[c] = std::uint16_t(glyph + (c - start));
    }
}

}  // namespace

int TTrueTypeFile::Width(std::uint16_t glyph) const {
    if (UnitsPerEm <= 0 || Advances.empty()) return 0;
    std::uint16_t advance = glyph < Advances.size() ? Advances[glyph] : Advances.back();
    return int(std::lround(advance * 1000.0 / UnitsPerEm));
}

TTrueTypeFile ParseTrueType(const std::string& file) {
    TTrueTypeFile font;
    Reader r(file);
    // A cut file would be embedded cut: every table must lie in the file.
    unsigned tables = r.U16(4);
    if (tables == 0 || !r.Has(12, 16 * size_t(tables))) return font;
    for (unsigned i = 0; i < tables; ++i)
        if (!r.Has(r.U32(12 + 16 * i + 8), r.U32(12 + 16 * i + 12))) return font;
    size_t off = 0, len = 0;
    if (!r.Table("head", off, len) || len < 54) return font;
    int units = int(r.U16(off + 18));
    if (!r.Table("hhea", off, len) || len < 36) return font;
    size_t metrics = r.U16(off + 34);
    if (!r.Table("hmtx", off, len) || metrics == 0 || 4 * metrics > len) return font;
    for (size_t i = 0; i < metrics; ++i) font.Advances.push_back(std::uint16_t(r.U16(off + 4 * i)));
    if (!r.Table("cmap", off, len) || len < 4) return font;
    unsigned count = r.U16(off + 2);
    size_t best = 0;
    int bestRank = 0;
    for (unsigned i = 0; i < count && r.Has(off + 4 + 8 * i, 8); ++i) {
        size_t e = off + 4 + 8 * i;
        unsigned platform = r.U16(e), encoding = r.U16(e + 2);
        size_t sub = off + r.U32(e + 4);
        unsigned format = r.U16(sub);
        bool unicode = platform == 0 || (platform == 3 && (encoding == 1 || encoding == 10));
        int rank = !unicode ? 0 : format == 12 ? 2 : format == 4 ? 1 : 0;
        if (rank > bestRank && r.Has(sub, 4)) {
            bestRank = rank;
            best = sub;
        }
    }
    if (bestRank == 0) return font;
    font.GlyphOf.assign(0x10000, 0);
    if (bestRank == 2)
        ReadFormat12(r, best, font.GlyphOf);
    else
        ReadFormat4(r, best, r.U16(best + 2), font.GlyphOf);
    font.UnitsPerEm = units;
    return font;
}

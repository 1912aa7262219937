// PNG encoder of the document engine: 8-bit truecolour without filtering,
// one transparent colour, image data deflated at zlib level 9 and cut into
// IDAT chunks of 10240 bytes.

#include <array>
#include <cstring>

#include "docexport/deCstDocEng.h"
#include "docexport/deFilters.h"

namespace {

const std::array<std::uint32_t, 256>& CrcTable() {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    return table;
}

std::uint32_t Crc32(const char* data, std::size_t n) {
    const auto& t = CrcTable();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < n; ++i) crc = t[(crc ^ static_cast<std::uint8_t>(data[i])) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

// Appends one chunk to out: length, type, data and the CRC of type and data.
void WriteChunk(TdeExtMemStream& out, const char* type, const char* data, std::size_t n) {
    TdeExtMemStream scratch;
    scratch.WriteBuffer(type, 4);
    if (n) scratch.WriteBuffer(data, static_cast<Integer>(n));
    const std::uint32_t crc = Crc32(scratch.Memory(), static_cast<std::size_t>(scratch.Size()));
    out.WriteInt32BE(static_cast<std::int32_t>(n));
    out.WriteBuffer(scratch.Memory(), static_cast<Integer>(scratch.Size()));
    out.WriteInt32BE(static_cast<std::int32_t>(crc));
}

}  // namespace

std::unique_ptr<TdeExtMemStream> TdeCustomDocumentEngine::WritePngImage(TBitmap* bitmap, TColor transparentColor) {
    const TColor tc = ColorToRGB(transparentColor);
    int w = bitmap ? bitmap->Width() : 0, h = bitmap ? bitmap->Height() : 0;
    // PNG has no empty images: a bitmap without pixels (a vertical or
    // horizontal line's box) becomes one transparent pixel, so the picture
    // stays readable and shows nothing.
    const bool empty = w <= 0 || h <= 0;
    if (empty) w = h = 1;

    auto out = std::make_unique<TdeExtMemStream>();
    static const unsigned char signature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
    out->WriteBuffer(signature, 8);

    TdeExtMemStream ihdr;
    ihdr.WriteInt32BE(w);
    ihdr.WriteInt32BE(h);
    ihdr.WriteBytes({8, 2, 0, 0, 0});
    WriteChunk(*out, "IHDR", ihdr.Memory(), static_cast<std::size_t>(ihdr.Size()));

    TdeExtMemStream trns;
    trns.WriteInt16BE(static_cast<std::int16_t>(tc & 0xFF));
    trns.WriteInt16BE(static_cast<std::int16_t>((tc >> 8) & 0xFF));
    trns.WriteInt16BE(static_cast<std::int16_t>((tc >> 16) & 0xFF));
    WriteChunk(*out, "tRNS", trns.Memory(), static_cast<std::size_t>(trns.Size()));

    TMemoryStream raw;
    std::vector<char> row(static_cast<std::size_t>(w) * 3 + 1);
    for (int y = 0; y < h; ++y) {
        row[0] = 0;  // no filter
        for (int x = 0; x < w; ++x) {
            const TColor c = empty ? tc : ColorToRGB(bitmap->Canvas()->GetPixel(x, y));
            char* p = &row[static_cast<std::size_t>(x) * 3 + 1];
            p[0] = static_cast<char>(c & 0xFF);
            p[1] = static_cast<char>((c >> 8) & 0xFF);
            p[2] = static_cast<char>((c >> 16) & 0xFF);
        }
        raw.WriteBuffer(row.data(), static_cast<Integer>(row.size()));
    }
    TdeFlateFilter flate;
    auto packed = flate.EncodeStream(raw, 3);
    const std::size_t size = static_cast<std::size_t>(packed->Size());
    constexpr std::size_t piece = 10240;
    const std::size_t chunks = size / piece + 1;
    for (std::size_t i = 0; i < chunks; ++i) {
        const std::size_t n = i + 1 < chunks ? piece : size - i * piece;
        WriteChunk(*out, "IDAT", packed->Memory() + i * piece, n);
    }
    WriteChunk(*out, "IEND", nullptr, 0);
    out->SetPosition(0);
    return out;
}

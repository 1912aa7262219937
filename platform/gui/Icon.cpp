#include "platform/gui/Icon.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QPainter>

namespace {

constexpr std::size_t kIconHeaderSize = 6;
constexpr std::size_t kIconEntrySize = 16;
constexpr std::uint32_t kDibHeaderSize = 40;
constexpr std::uint16_t kIconResourceType = 1;
constexpr std::uint32_t kDibUncompressed = 0;

std::uint16_t U16(const std::uint8_t* p) { return std::uint16_t(p[0] | (p[1] << 8)); }
std::uint32_t U32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}
std::int32_t I32(const std::uint8_t* p) { return std::int32_t(U32(p)); }

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

[[noreturn]] void Bad(const std::string& why) { throw EInvalidGraphic("Icon image is not valid: " + why); }

bool IsPng(const std::uint8_t* p, std::size_t n) {
    static const std::uint8_t sig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    return n >= 8 && std::equal(sig, sig + 8, p);
}

QImage DecodePng(const std::uint8_t* p, std::size_t n) {
    QByteArray bytes(reinterpret_cast<const char*>(p), qsizetype(n));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    // The size is checked before any pixel is decoded.
    const QSize size = reader.size();
    if (!size.isValid() || size.width() < 1 || size.height() < 1 || size.width() > kIconMaxSide ||
        size.height() > kIconMaxSide)
        Bad("PNG image size out of range");
    QImage img = reader.read();
    if (img.isNull()) Bad("damaged PNG image");
    return img.convertToFormat(QImage::Format_ARGB32);
}

// A device-independent bitmap of an icon: its header gives twice the height
// (colour rows, then the 1-bit transparency mask of the same height).
QImage DecodeDib(const std::uint8_t* p, std::size_t n) {
    if (n < kDibHeaderSize) Bad("image header truncated");
    const std::uint32_t headerSize = U32(p);
    if (headerSize < kDibHeaderSize || headerSize > n) Bad("bad image header size");
    const std::int32_t w = I32(p + 4);
    const std::int32_t h2 = I32(p + 8);
    const int bpp = U16(p + 14);
    const std::uint32_t compression = U32(p + 16);
    std::uint32_t colorsUsed = U32(p + 32);
    if (w < 1 || w > kIconMaxSide || h2 < 2 || h2 > 2 * kIconMaxSide || h2 % 2 != 0) Bad("image size out of range");
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) Bad("unsupported colour depth");
    if (compression != kDibUncompressed) Bad("compressed images are not supported");
    const int h = h2 / 2;

    std::size_t pos = headerSize;
    std::vector<QRgb> palette;
    if (bpp <= 8) {
        const std::uint32_t maxColors = 1u << bpp;
        if (colorsUsed == 0 || colorsUsed > maxColors) colorsUsed = maxColors;
        if (std::size_t(colorsUsed) * 4 > n - pos) Bad("colour table truncated");
        for (std::uint32_t i = 0; i < colorsUsed; ++i, pos += 4)
            palette.push_back(qRgba(p[pos + 2], p[pos + 1], p[pos], 255));
    }
    const std::size_t colorStride = ((std::size_t(w) * bpp + 31) / 32) * 4;
    const std::size_t maskStride = ((std::size_t(w) + 31) / 32) * 4;
    if (colorStride * h > n - pos) Bad("pixel data truncated");
    const std::uint8_t* colors = p + pos;
    pos += colorStride * h;
    // 32-bit images carry their own alpha; their mask may be left out.
    const bool hasMask = maskStride * h <= n - pos;
    if (!hasMask && bpp != 32) Bad("transparency mask truncated");
    const std::uint8_t* mask = hasMask ? p + pos : nullptr;

    QImage img(w, h, QImage::Format_ARGB32);
    bool anyAlpha = false;
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* row = colors + colorStride * std::size_t(h - 1 - y);
        QRgb* out = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            QRgb c = 0;
            switch (bpp) {
                case 32:
                    c = qRgba(row[x * 4 + 2], row[x * 4 + 1], row[x * 4], row[x * 4 + 3]);
                    anyAlpha = anyAlpha || qAlpha(c) != 0;
                    break;
                case 24: c = qRgba(row[x * 3 + 2], row[x * 3 + 1], row[x * 3], 255); break;
                default: {
                    const int bitPos = x * bpp;
                    const int value = (row[bitPos / 8] >> (8 - bpp - bitPos % 8)) & ((1 << bpp) - 1);
                    c = std::size_t(value) < palette.size() ? palette[std::size_t(value)] : qRgba(0, 0, 0, 255);
                    break;
                }
            }
            out[x] = c;
        }
    }
    // The mask decides transparency unless the pixels carry an alpha channel.
    if (mask && (bpp != 32 || !anyAlpha)) {
        for (int y = 0; y < h; ++y) {
            const std::uint8_t* row = mask + maskStride * std::size_t(h - 1 - y);
            QRgb* out = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < w; ++x) {
                const bool clear = (row[x / 8] >> (7 - x % 8)) & 1;
                out[x] = clear ? qRgba(qRed(out[x]), qGreen(out[x]), qBlue(out[x]), 0) : (out[x] | 0xFF000000u);
            }
        }
    } else if (bpp == 32 && !anyAlpha) {
        for (int y = 0; y < h; ++y) {
            QRgb* out = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < w; ++x) out[x] |= 0xFF000000u;
        }
    }
    return img;
}

}  // namespace

void TIcon::SetImage(const QImage& image) {
    if (!image.isNull() && (image.width() > kIconMaxSide || image.height() > kIconMaxSide))
        throw EInvalidGraphicOperation("Icon images are at most 256 pixels a side");
    image_ = image.isNull() ? QImage() : image.convertToFormat(QImage::Format_ARGB32);
    Changed();
}

void TIcon::Draw(TCanvas* canvas, const TRect& r) {
    if (Empty() || !canvas || r.IsEmpty()) return;
    auto painter = canvas->BeginPainter();
    if (!painter) return;
    // Enlarged icons keep their crisp cells; reduced ones are smoothed.
    painter->setRenderHint(QPainter::SmoothPixmapTransform, r.Width() < Width() || r.Height() < Height());
    painter->drawImage(QRect(r.Left, r.Top, r.Width(), r.Height()), image_);
}

void TIcon::LoadFromBytes(const std::vector<std::uint8_t>& data) {
    const std::size_t n = data.size();
    const std::uint8_t* p = data.data();
    if (n < kIconHeaderSize) Bad("file too short");
    if (U16(p) != 0 || U16(p + 2) != kIconResourceType) Bad("not an icon file");
    const std::size_t count = U16(p + 4);
    if (count == 0) Bad("the file holds no image");
    if (count > std::size_t(kIconMaxImages) || count * kIconEntrySize > n - kIconHeaderSize)
        Bad("image directory out of range");

    // The largest image wins, then the deepest colour.
    std::size_t best = count;
    int bestArea = -1, bestBits = -1;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* e = p + kIconHeaderSize + i * kIconEntrySize;
        const std::uint32_t size = U32(e + 8), offset = U32(e + 12);
        if (offset < kIconHeaderSize + count * kIconEntrySize || offset > n || size > n - offset || size == 0)
            Bad("image data outside the file");
        const int w = e[0] ? e[0] : 256, h = e[1] ? e[1] : 256;
        const int area = w * h, bits = U16(e + 6);
        if (area > bestArea || (area == bestArea && bits > bestBits)) {
            best = i;
            bestArea = area;
            bestBits = bits;
        }
    }
    const std::uint8_t* e = p + kIconHeaderSize + best * kIconEntrySize;
    const std::uint8_t* img = p + U32(e + 12);
    const std::size_t size = U32(e + 8);
    image_ = IsPng(img, size) ? DecodePng(img, size) : DecodeDib(img, size);
    Changed();
}

void TIcon::LoadFromFile(const std::string& path) { LoadFromBytes(ReadGraphicFile(path)); }

std::vector<std::uint8_t> TIcon::SaveToBytes() {
    if (image_.isNull()) throw EInvalidGraphic("Icon is empty");
    const int w = image_.width(), h = image_.height();
    const std::size_t maskStride = ((std::size_t(w) + 31) / 32) * 4;
    const std::size_t dibSize = kDibHeaderSize + std::size_t(w) * h * 4 + maskStride * h;

    std::vector<std::uint8_t> out;
    out.reserve(kIconHeaderSize + kIconEntrySize + dibSize);
    Put16(out, 0);
    Put16(out, kIconResourceType);
    Put16(out, 1);
    out.push_back(std::uint8_t(w == 256 ? 0 : w));
    out.push_back(std::uint8_t(h == 256 ? 0 : h));
    out.push_back(0);  // no palette
    out.push_back(0);
    Put16(out, 1);   // planes
    Put16(out, 32);  // bits per pixel
    Put32(out, std::uint32_t(dibSize));
    Put32(out, std::uint32_t(kIconHeaderSize + kIconEntrySize));

    Put32(out, kDibHeaderSize);
    Put32(out, std::uint32_t(w));
    Put32(out, std::uint32_t(2 * h));
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, kDibUncompressed);
    Put32(out, std::uint32_t(dibSize - kDibHeaderSize));
    for (int i = 0; i < 4; ++i) Put32(out, 0);  // resolution and colour counts
    for (int y = h - 1; y >= 0; --y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(image_.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            out.push_back(std::uint8_t(qBlue(row[x])));
            out.push_back(std::uint8_t(qGreen(row[x])));
            out.push_back(std::uint8_t(qRed(row[x])));
            out.push_back(std::uint8_t(qAlpha(row[x])));
        }
    }
    for (int y = h - 1; y >= 0; --y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(image_.constScanLine(y));
        std::vector<std::uint8_t> bits(maskStride, 0);
        for (int x = 0; x < w; ++x)
            if (qAlpha(row[x]) == 0) bits[std::size_t(x / 8)] |= std::uint8_t(0x80 >> (x % 8));
        out.insert(out.end(), bits.begin(), bits.end());
    }
    return out;
}

void TIcon::SaveToFile(const std::string& path) { WriteGraphicFile(path, SaveToBytes()); }

void TIcon::Assign(const TGraphic* source) {
    if (!source) {
        image_ = QImage();
        Changed();
        return;
    }
    auto icon = dynamic_cast<const TIcon*>(source);
    if (!icon) throw EInvalidGraphicOperation("Cannot assign this graphic to an icon");
    image_ = icon->image_;
    Changed();
}

std::unique_ptr<TGraphic> TIcon::Clone() const {
    auto copy = std::make_unique<TIcon>();
    copy->image_ = image_;
    copy->transparent_ = transparent_;
    return copy;
}

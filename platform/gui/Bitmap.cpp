#include "platform/gui/Bitmap.h"
#include "platform/gui/Icon.h"
#include "platform/gui/Metafile.h"

#include <QBuffer>
#include <QByteArray>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

std::vector<std::uint8_t> ReadGraphicFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw EFOpenError("Cannot open file \"" + path + "\". " + std::strerror(errno));
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteGraphicFile(const std::string& path, const std::vector<std::uint8_t>& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw EFCreateError("Cannot create file \"" + path + "\". " + std::strerror(errno));
    out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    out.flush();
    if (!out) throw EWriteError("Error writing file \"" + path + "\"");
}

// ------------------------------------------------------------------ bitmap

TBitmap::TBitmap() {
    canvas_.SetSurface(&image_);
    canvas_.OnChange = [this](TCanvas*) { Changed(); };
}

void TBitmap::SetSize(int w, int h) {
    w = std::max(0, w);
    h = std::max(0, h);
    if (w == Width() && h == Height()) return;
    QImage next;
    if (w > 0 && h > 0) {
        next = QImage(w, h, QImage::Format_RGB32);
        next.fill(0xFFFFFFFFu);
        if (!image_.isNull()) {
            for (int y = 0; y < std::min(h, image_.height()); ++y)
                std::memcpy(next.scanLine(y), image_.constScanLine(y), std::size_t(std::min(w, image_.width())) * 4);
        }
    }
    image_ = next;
    canvas_.SetSurface(&image_);
    Changed();
}

void TBitmap::SetImage(const QImage& image) {
    image_ = image.isNull() ? QImage() : image.convertToFormat(QImage::Format_RGB32);
    canvas_.SetSurface(&image_);
    Changed();
}

TColor TBitmap::TransparentColor() const {
    if (transparentMode_ == TTransparentMode::tmFixed && transparentColor_ != clNone) return transparentColor_;
    if (image_.isNull()) return clNone;
    QRgb px = image_.pixel(0, image_.height() - 1);
    return RGB(Byte(qRed(px)), Byte(qGreen(px)), Byte(qBlue(px)));
}

void TBitmap::Draw(TCanvas* canvas, const TRect& r) {
    if (Empty()) return;
    canvas->DrawImage(image_, r, TRect(0, 0, Width(), Height()), Transparent(), TransparentColor());
}

namespace {

// An uncompressed bitmap file must hold every pixel row its header claims:
// a few bytes may claim millions of rows, which would be allocated and
// walked for nothing.
bool BitmapRowsPresent(const std::vector<std::uint8_t>& d) {
    auto u32 = [&](std::size_t at) {
        return std::uint32_t(d[at]) | (std::uint32_t(d[at + 1]) << 8) | (std::uint32_t(d[at + 2]) << 16) |
               (std::uint32_t(d[at + 3]) << 24);
    };
    if (d.size() < 34 || u32(14) < 40) return true;  // older headers: the reader's own checks
    const std::uint32_t compression = u32(30);
    if (compression != 0 && compression != 3) return true;
    const std::int64_t w = std::int32_t(u32(18)), h = std::int32_t(u32(22));
    const std::uint32_t bits = std::uint32_t(d[28]) | (std::uint32_t(d[29]) << 8);
    const std::uint64_t stride = ((std::uint64_t(w < 0 ? -w : w) * bits + 31) / 32) * 4;
    const std::uint64_t need = std::uint64_t(u32(10)) + stride * std::uint64_t(h < 0 ? -h : h);
    return need <= d.size();
}

}  // namespace

void TBitmap::LoadFromBytes(const std::vector<std::uint8_t>& data) {
    if (!BitmapRowsPresent(data)) throw EInvalidGraphic("Bitmap image is truncated: its pixel rows are missing");
    QImage img;
    if (!img.loadFromData(data.data(), int(data.size()), "BMP")) throw EInvalidGraphic("Bitmap image is not valid");
    switch (img.depth()) {
        case 1: pixelFormat_ = pf1bit; break;
        case 4: pixelFormat_ = pf4bit; break;
        case 8: pixelFormat_ = pf8bit; break;
        case 16: pixelFormat_ = pf16bit; break;
        case 24: pixelFormat_ = pf24bit; break;
        default: pixelFormat_ = img.hasAlphaChannel() ? pf32bit : pf24bit; break;
    }
    SetImage(img);
}

void TBitmap::LoadFromFile(const std::string& path) { LoadFromBytes(ReadGraphicFile(path)); }

std::vector<std::uint8_t> TBitmap::SaveToBytes() {
    QImage out = image_;
    switch (pixelFormat_) {
        case pf1bit: out = image_.convertToFormat(QImage::Format_Mono); break;
        case pf4bit:
        case pf8bit: out = image_.convertToFormat(QImage::Format_Indexed8); break;
        default: break;
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (out.isNull() || !out.save(&buffer, "BMP")) throw EInvalidGraphic("Bitmap image is not valid");
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

void TBitmap::SaveToFile(const std::string& path) { WriteGraphicFile(path, SaveToBytes()); }

void TBitmap::Assign(const TGraphic* source) {
    if (source == this) return;
    if (!source) {
        SetImage(QImage());
        return;
    }
    SetImage(source->ToImage());
    transparent_ = source->Transparent();
    if (auto* b = dynamic_cast<const TBitmap*>(source)) {
        pixelFormat_ = b->pixelFormat_;
        transparentColor_ = b->transparentColor_;
        transparentMode_ = b->transparentMode_;
    }
}

std::unique_ptr<TGraphic> TBitmap::Clone() const {
    auto b = std::make_unique<TBitmap>();
    b->Assign(this);
    return b;
}

// ------------------------------------------------------------------- JPEG

void TJPEGImage::Compress() { data_ = EncodeJpeg(image_, quality_, grayscale_, progressive_); }

void TJPEGImage::Draw(TCanvas* canvas, const TRect& r) {
    if (Empty()) return;
    canvas->DrawImage(image_, r, TRect(0, 0, Width(), Height()));
}

void TJPEGImage::LoadFromBytes(const std::vector<std::uint8_t>& data) {
    QImage img = DecodeJpeg(data);
    image_ = img;
    data_ = data;
    grayscale_ = img.isGrayscale();
    Changed();
}

void TJPEGImage::LoadFromFile(const std::string& path) { LoadFromBytes(ReadGraphicFile(path)); }

std::vector<std::uint8_t> TJPEGImage::SaveToBytes() {
    if (image_.isNull()) throw EInvalidGraphic("JPEG image is empty");
    if (data_.empty()) Compress();
    return data_;
}

void TJPEGImage::SaveToFile(const std::string& path) { WriteGraphicFile(path, SaveToBytes()); }

void TJPEGImage::Assign(const TGraphic* source) {
    if (source == this) return;
    if (!source) {
        image_ = QImage();
        data_.clear();
        Changed();
        return;
    }
    if (auto* j = dynamic_cast<const TJPEGImage*>(source)) {
        image_ = j->image_;
        data_ = j->data_;
        quality_ = j->quality_;
        grayscale_ = j->grayscale_;
        progressive_ = j->progressive_;
    } else {
        image_ = source->ToImage().convertToFormat(QImage::Format_RGB32);
        data_.clear();
    }
    Changed();
}

std::unique_ptr<TGraphic> TJPEGImage::Clone() const {
    auto j = std::make_unique<TJPEGImage>();
    j->Assign(this);
    return j;
}

// ----------------------------------------------------------------- picture

namespace {
std::string LowerExt(const std::string& path) {
    auto slash = path.find_last_of('/');
    auto dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string e = path.substr(dot);
    for (char& c : e) c = char(std::tolower(static_cast<unsigned char>(c)));
    return e;
}
}  // namespace

void TPicture::Adopt(std::unique_ptr<TGraphic> g) {
    graphic_ = std::move(g);
    if (graphic_) graphic_->OnChange = [this](TGraphic*) { Changed(); };
    Changed();
}

void TPicture::SetGraphic(const TGraphic* g) { Adopt(g ? g->Clone() : nullptr); }

TBitmap* TPicture::Bitmap() {
    if (auto* b = dynamic_cast<TBitmap*>(graphic_.get())) return b;
    Adopt(std::make_unique<TBitmap>());
    return static_cast<TBitmap*>(graphic_.get());
}

void TPicture::LoadFromFile(const std::string& path) {
    std::string ext = LowerExt(path);
    std::unique_ptr<TGraphic> g;
    if (ext == ".bmp") g = std::make_unique<TBitmap>();
    else if (ext == ".jpg" || ext == ".jpeg") g = std::make_unique<TJPEGImage>();
    else if (ext == ".emf") g = std::make_unique<TMetafile>();
    else if (ext == ".ico") g = std::make_unique<TIcon>();
    else throw EInvalidGraphic("Unknown picture file extension (" + ext + ")");
    g->LoadFromFile(path);
    Adopt(std::move(g));
}

void TPicture::SaveToFile(const std::string& path) {
    if (graphic_) graphic_->SaveToFile(path);
}

void TPicture::Assign(const TPicture* source) {
    if (source == this) return;
    SetGraphic(source ? source->Graphic() : nullptr);
}

#pragma once
// Icons: a graphic holding one picture of an icon file (.ico). Reading
// picks the largest image of the file (the deepest colour on a tie); each
// image may be a device-independent bitmap with its transparency mask or
// a PNG stream. Saving writes a one-image file with 32-bit pixels and the
// mask. The picture keeps its alpha channel and is blended when drawn.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <QImage>

#include "platform/gui/Bitmap.h"

// Icon images are at most 256 pixels a side; a file names at most this many
// images (each with a 16-byte entry, so the count is also checked against
// the file's size).
inline constexpr int kIconMaxSide = 256;
inline constexpr int kIconMaxImages = 256;

class TIcon : public TGraphic {
public:
    int Width() const override { return image_.width(); }
    int Height() const override { return image_.height(); }
    void SetWidth(int) override { throw EInvalidGraphicOperation("Cannot change the size of an icon"); }
    void SetHeight(int) override { throw EInvalidGraphicOperation("Cannot change the size of an icon"); }

    void Draw(TCanvas* canvas, const TRect& r) override;
    void LoadFromFile(const std::string& path) override;
    void SaveToFile(const std::string& path) override;
    // Raises EInvalidGraphic on a damaged or unsupported file.
    void LoadFromBytes(const std::vector<std::uint8_t>& data) override;
    std::vector<std::uint8_t> SaveToBytes() override;
    // The pixels with their alpha channel (premultiplied ARGB is not used).
    QImage ToImage() const override { return image_; }
    // Takes another icon's picture; other graphics are refused, as the
    // platform does.
    void Assign(const TGraphic* source) override;
    std::unique_ptr<TGraphic> Clone() const override;
    std::string DefaultExtension() const override { return "ico"; }

    // Replaces the picture (at most kIconMaxSide a side; converted to ARGB).
    void SetImage(const QImage& image);

private:
    QImage image_;  // Format_ARGB32
};

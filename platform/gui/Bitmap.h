#pragma once
// Pictures: the graphic base, bitmaps (BMP files), JPEG images through
// libjpeg, and the picture holder that loads a file by its extension.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QImage>

#include "platform/gui/Canvas.h"
#include "platform/gui/Graphics.h"

class TGraphic {
public:
    virtual ~TGraphic() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetWidth(int w) = 0;
    virtual void SetHeight(int h) = 0;
    virtual bool Empty() const { return Width() == 0 || Height() == 0; }
    bool Transparent() const { return transparent_; }
    virtual void SetTransparent(bool t) { transparent_ = t; Changed(); }

    // Draws the whole graphic scaled into r on the canvas.
    virtual void Draw(TCanvas* canvas, const TRect& r) = 0;
    virtual void LoadFromFile(const std::string& path) = 0;
    virtual void SaveToFile(const std::string& path) = 0;
    virtual void LoadFromBytes(const std::vector<std::uint8_t>& data) = 0;
    virtual std::vector<std::uint8_t> SaveToBytes() = 0;
    // The pixels as a 32-bit RGB image.
    virtual QImage ToImage() const = 0;
    // Copies another graphic's picture into this one (converting).
    virtual void Assign(const TGraphic* source) = 0;
    virtual std::unique_ptr<TGraphic> Clone() const = 0;
    // Default extension of the format, without dot.
    virtual std::string DefaultExtension() const = 0;

    std::function<void(TGraphic* sender)> OnChange;

protected:
    void Changed() {
        if (OnChange) OnChange(this);
    }
    bool transparent_ = false;
};

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
// Scoped: the serial port component has a tmAuto of its own.
enum class TTransparentMode { tmAuto, tmFixed };

class TBitmap : public TGraphic {
public:
    TBitmap();
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    int Width() const override { return image_.width(); }
    int Height() const override { return image_.height(); }
    // New area is white; existing pixels are kept.
    void SetWidth(int w) override { SetSize(w, Height()); }
    void SetHeight(int h) override { SetSize(Width(), h); }
    void SetSize(int w, int h);
    TCanvas* Canvas() { return &canvas_; }
    TPixelFormat PixelFormat() const { return pixelFormat_; }
    void SetPixelFormat(TPixelFormat f) { pixelFormat_ = f; }
    // Transparent colour: the bottom-left pixel in tmAuto mode.
    TColor TransparentColor() const;
    void SetTransparentColor(TColor c) { transparentColor_ = c; transparentMode_ = TTransparentMode::tmFixed; }
    TTransparentMode TransparentMode() const { return transparentMode_; }
    void SetTransparentMode(TTransparentMode m) { transparentMode_ = m; }

    void Draw(TCanvas* canvas, const TRect& r) override;
    void LoadFromFile(const std::string& path) override;
    void SaveToFile(const std::string& path) override;
    void LoadFromBytes(const std::vector<std::uint8_t>& data) override;
    std::vector<std::uint8_t> SaveToBytes() override;
    QImage ToImage() const override { return image_; }
    void Assign(const TGraphic* source) override;
    std::unique_ptr<TGraphic> Clone() const override;
    std::string DefaultExtension() const override { return "bmp"; }
    // Replaces the pixels with an image (converted to 32-bit RGB).
    void SetImage(const QImage& image);
    QImage& Image() { return image_; }

private:
    QImage image_;
    TCanvas canvas_;
    TPixelFormat pixelFormat_ = pfDevice;
    TColor transparentColor_ = clNone;
    TTransparentMode transparentMode_ = TTransparentMode::tmAuto;
};

class TJPEGImage : public TGraphic {
public:
    int Width() const override { return image_.width(); }
    int Height() const override { return image_.height(); }
    void SetWidth(int) override { throw EInvalidGraphicOperation("Cannot change the size of a JPEG image"); }
    void SetHeight(int) override { throw EInvalidGraphicOperation("Cannot change the size of a JPEG image"); }

    // 1 to 100; used when the image is compressed again.
    int CompressionQuality() const { return quality_; }
    void SetCompressionQuality(int q) { quality_ = q < 1 ? 1 : (q > 100 ? 100 : q); }
    bool Grayscale() const { return grayscale_; }
    void SetGrayscale(bool g) { if (g != grayscale_) { grayscale_ = g; data_.clear(); Changed(); } }
    bool ProgressiveEncoding() const { return progressive_; }
    void SetProgressiveEncoding(bool p) { progressive_ = p; }
    // Compresses the current pixels with the current settings.
    void Compress();

    void Draw(TCanvas* canvas, const TRect& r) override;
    void LoadFromFile(const std::string& path) override;
    void SaveToFile(const std::string& path) override;
    void LoadFromBytes(const std::vector<std::uint8_t>& data) override;
    std::vector<std::uint8_t> SaveToBytes() override;
    QImage ToImage() const override { return image_; }
    void Assign(const TGraphic* source) override;
    std::unique_ptr<TGraphic> Clone() const override;
    std::string DefaultExtension() const override { return "jpg"; }

private:
    QImage image_;
    std::vector<std::uint8_t> data_;  // compressed form; empty when stale
    int quality_ = 90;
    bool grayscale_ = false;
    bool progressive_ = false;
};

// libjpeg codec. Decode raises EInvalidGraphic on damaged data.
QImage DecodeJpeg(const std::vector<std::uint8_t>& data);
std::vector<std::uint8_t> EncodeJpeg(const QImage& image, int quality, bool grayscale, bool progressive);

// Holds one graphic of any kind; loads files by extension (.bmp, .jpg,
// .jpeg, .emf, .ico).
class TPicture {
public:
    TPicture() = default;
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;

    TGraphic* Graphic() const { return graphic_.get(); }
    // Stores a copy of the graphic (null clears).
    void SetGraphic(const TGraphic* g);
    // The bitmap; a picture holding another kind is replaced by an empty
    // bitmap, as the platform does.
    TBitmap* Bitmap();
    int Width() const { return graphic_ ? graphic_->Width() : 0; }
    int Height() const { return graphic_ ? graphic_->Height() : 0; }
    void LoadFromFile(const std::string& path);
    void SaveToFile(const std::string& path);
    void Assign(const TPicture* source);
    void Clear() { SetGraphic(nullptr); }

    std::function<void(TPicture* sender)> OnChange;

private:
    void Adopt(std::unique_ptr<TGraphic> g);
    void Changed() {
        if (OnChange) OnChange(this);
    }
    std::unique_ptr<TGraphic> graphic_;
};

// Reads and writes whole files; raise EFOpenError / EFCreateError.
std::vector<std::uint8_t> ReadGraphicFile(const std::string& path);
void WriteGraphicFile(const std::string& path, const std::vector<std::uint8_t>& data);

// JPEG coding through libjpeg. Errors inside the library jump back to the
// caller, which turns them into EInvalidGraphic.

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

#include "platform/gui/Bitmap.h"

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void OnError(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void OnMessage(j_common_ptr, int) {}

// The most pixels a decoded picture may have: the header's dimensions are
// checked before the library or this decoder allocates for them (a few
// bytes may claim 65,500 x 65,500). The same 256 MB of pixels as Qt's
// image readers, which decode the bitmap files, allow.
constexpr std::uint64_t kMaxJpegPixels = std::uint64_t(256) * 1024 * 1024 / 4;

}  // namespace

QImage DecodeJpeg(const std::vector<std::uint8_t>& data) {
    if (data.empty()) throw EInvalidGraphic("JPEG error #42");
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = OnError;
    err.pub.emit_message = OnMessage;
    // Only plain, volatile data changes between the jump point and a jump:
    // the buffers are malloc'd and freed on both paths.
    JSAMPLE* volatile row = nullptr;
    std::uint32_t* volatile pixels = nullptr;
    if (setjmp(err.jump)) {
        std::string msg = err.message;
        jpeg_destroy_decompress(&cinfo);
        std::free(row);
        std::free(pixels);
        throw EInvalidGraphic("JPEG error: " + msg);
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data.data(), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&cinfo, TRUE);
    if (std::uint64_t(cinfo.image_width) * cinfo.image_height > kMaxJpegPixels) {
        jpeg_destroy_decompress(&cinfo);
        throw EInvalidGraphic("JPEG error: image too large (" + std::to_string(cinfo.image_width) + " x " +
                              std::to_string(cinfo.image_height) + " pixels)");
    }
    cinfo.out_color_space = cinfo.jpeg_color_space == JCS_GRAYSCALE ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_start_decompress(&cinfo);
    const int w = int(cinfo.output_width), h = int(cinfo.output_height), comps = cinfo.output_components;
    if (w <= 0 || h <= 0 || (comps != 1 && comps != 3)) {
        jpeg_destroy_decompress(&cinfo);
        throw EInvalidGraphic("JPEG error: unsupported image");
    }
    pixels = static_cast<std::uint32_t*>(std::malloc(std::size_t(w) * std::size_t(h) * 4));
    row = static_cast<JSAMPLE*>(std::malloc(std::size_t(w) * std::size_t(comps)));
    while (cinfo.output_scanline < cinfo.output_height) {
        int y = int(cinfo.output_scanline);
        JSAMPROW rows[1] = {row};
        jpeg_read_scanlines(&cinfo, rows, 1);
        std::uint32_t* out = &pixels[std::size_t(y) * std::size_t(w)];
        for (int x = 0; x < w; ++x) {
            std::uint32_t r, g, b;
            if (comps == 1) {
                r = g = b = row[x];
            } else {
                r = row[x * 3];
                g = row[x * 3 + 1];
                b = row[x * 3 + 2];
            }
            out[x] = 0xFF000000u | (r << 16) | (g << 8) | b;
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::free(row);
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        std::memcpy(image.scanLine(y), &pixels[std::size_t(y) * std::size_t(w)], std::size_t(w) * 4);
    std::free(pixels);
    return image;
}

std::vector<std::uint8_t> EncodeJpeg(const QImage& source, int quality, bool grayscale, bool progressive) {
    if (source.isNull()) throw EInvalidGraphic("JPEG image is empty");
    QImage img = source.convertToFormat(QImage::Format_RGB32);
    const int w = img.width(), h = img.height();
    jpeg_compress_struct cinfo;
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = OnError;
    err.pub.emit_message = OnMessage;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    JSAMPLE* volatile row = nullptr;
    if (setjmp(err.jump)) {
        std::string msg = err.message;
        jpeg_destroy_compress(&cinfo);
        std::free(row);
        throw EInvalidGraphic("JPEG error: " + msg);
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(w);
    cinfo.image_height = JDIMENSION(h);
    cinfo.input_components = grayscale ? 1 : 3;
    cinfo.in_color_space = grayscale ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (progressive) jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    const int comps = grayscale ? 1 : 3;
    row = static_cast<JSAMPLE*>(std::malloc(std::size_t(w) * std::size_t(comps)));
    while (cinfo.next_scanline < cinfo.image_height) {
        const QRgb* in = reinterpret_cast<const QRgb*>(img.constScanLine(int(cinfo.next_scanline)));
        for (int x = 0; x < w; ++x) {
            if (grayscale) {
                row[x] = JSAMPLE(qGray(in[x]));
            } else {
                row[x * 3] = JSAMPLE(qRed(in[x]));
                row[x * 3 + 1] = JSAMPLE(qGreen(in[x]));
                row[x * 3 + 2] = JSAMPLE(qBlue(in[x]));
            }
        }
        JSAMPROW rows[1] = {row};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::vector<std::uint8_t> out(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    std::free(row);
    return out;
}

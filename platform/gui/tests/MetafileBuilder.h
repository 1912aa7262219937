#pragma once
// Test-side builder of enhanced-metafile bytes, record by record, written
// from the format's record layouts (independent of the recording canvas).
// Used by the platform's metafile tests and by the export engine's
// interpreter tests.

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace emftest {

class Rec {
public:
    explicit Rec(std::uint32_t type) : type_(type) {}
    Rec& U32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) body_.push_back(std::uint8_t(v >> (8 * i)));
        return *this;
    }
    Rec& I32(std::int32_t v) { return U32(std::uint32_t(v)); }
    Rec& I16(std::int16_t v) {
        body_.push_back(std::uint8_t(std::uint16_t(v)));
        body_.push_back(std::uint8_t(std::uint16_t(v) >> 8));
        return *this;
    }
    Rec& U8(std::uint8_t v) {
        body_.push_back(v);
        return *this;
    }
    Rec& F32(float f) {
        std::uint32_t u;
        std::memcpy(&u, &f, 4);
        return U32(u);
    }
    Rec& Ints(std::initializer_list<std::int32_t> vs) {
        for (auto v : vs) I32(v);
        return *this;
    }
    Rec& Raw(const std::vector<std::uint8_t>& b) {
        body_.insert(body_.end(), b.begin(), b.end());
        return *this;
    }
    Rec& Wide(const std::u16string& s, std::size_t units) {
        for (std::size_t i = 0; i < units; ++i) {
            char16_t c = i < s.size() ? s[i] : 0;
            I16(std::int16_t(c));
        }
        return *this;
    }
    Rec& Pad() {
        while (body_.size() % 4) body_.push_back(0);
        return *this;
    }
    std::size_t Offset() const { return 8 + body_.size(); }  // of the next field
    std::vector<std::uint8_t> Bytes() const {
        std::vector<std::uint8_t> out;
        std::size_t size = 8 + ((body_.size() + 3) & ~std::size_t(3));
        for (std::uint32_t v : {type_, std::uint32_t(size)})
            for (int i = 0; i < 4; ++i) out.push_back(std::uint8_t(v >> (8 * i)));
        out.insert(out.end(), body_.begin(), body_.end());
        out.resize(size, 0);
        return out;
    }

private:
    std::uint32_t type_;
    std::vector<std::uint8_t> body_;
};

// A metafile of width x height pixels at 96 per inch.
class Emf {
public:
    Emf(int width = 200, int height = 100) : w_(width), h_(height) {}
    Emf& Add(const Rec& r) {
        auto b = r.Bytes();
        body_.insert(body_.end(), b.begin(), b.end());
        ++count_;
        return *this;
    }
    Emf& AddRaw(const std::vector<std::uint8_t>& b) {
        body_.insert(body_.end(), b.begin(), b.end());
        return *this;
    }
    // Header, the records, and an end record unless told otherwise.
    std::vector<std::uint8_t> Bytes(bool withEof = true) const {
        std::vector<std::uint8_t> records = body_;
        if (withEof) {
            auto eof = Rec(14).Ints({0, 16, 20}).Bytes();
            records.insert(records.end(), eof.begin(), eof.end());
        }
        Rec h(1);
        h.Ints({0, 0, w_ - 1, h_ - 1});
        h.Ints({0, 0, w_ * 2540 / 96 - 1, h_ * 2540 / 96 - 1});
        h.U32(0x464D4520).U32(0x10000).U32(std::uint32_t(88 + records.size())).U32(count_ + 2);
        h.I16(32).I16(0).U32(0).U32(0).U32(0);
        h.Ints({960, 960, 254, 254});
        auto out = h.Bytes();
        out.insert(out.end(), records.begin(), records.end());
        return out;
    }

private:
    int w_, h_;
    std::vector<std::uint8_t> body_;
    std::uint32_t count_ = 0;
};

// Common records.
inline Rec CreatePen(std::uint32_t index, std::uint32_t style, std::int32_t width, std::uint32_t color) {
    return Rec(38).U32(index).U32(style).I32(width).I32(0).U32(color);
}
inline Rec CreateBrush(std::uint32_t index, std::uint32_t style, std::uint32_t color, std::uint32_t hatch = 0) {
    return Rec(39).U32(index).U32(style).U32(color).U32(hatch);
}
inline Rec Select(std::uint32_t index) { return Rec(37).U32(index); }
inline Rec Delete(std::uint32_t index) { return Rec(40).U32(index); }
inline Rec Box(std::uint32_t type, int l, int t, int r, int b) { return Rec(type).Ints({l, t, r, b}); }
inline Rec Value(std::uint32_t type, std::uint32_t v) { return Rec(type).U32(v); }
inline Rec Pair(std::uint32_t type, int a, int b) { return Rec(type).Ints({a, b}); }
inline Rec Points16(std::uint32_t type, std::initializer_list<std::pair<int, int>> pts) {
    Rec r(type);
    r.Ints({0, 0, 0, 0}).U32(std::uint32_t(pts.size()));
    for (auto& p : pts) r.I16(std::int16_t(p.first)).I16(std::int16_t(p.second));
    return r;
}
// Logical font: height, weight, italic, charset, escapement, face.
inline Rec CreateFont(std::uint32_t index, int height, int weight, const std::u16string& face, int charset = 0,
                      int escapement = 0, bool italic = false) {
    Rec r(82);
    r.U32(index).I32(height).I32(0).I32(escapement).I32(escapement).I32(weight);
    r.U8(italic ? 1 : 0).U8(0).U8(0).U8(std::uint8_t(charset)).U8(0).U8(0).U8(0).U8(0);
    r.Wide(face, 32);
    return r;
}
// Unicode text at (x, y) with one advance per unit.
inline Rec TextW(int x, int y, const std::u16string& s, std::initializer_list<int> dx, std::uint32_t options = 0,
                 std::initializer_list<int> rect = {0, 0, -1, -1}) {
    Rec r(84);
    std::uint32_t strBytes = (std::uint32_t(s.size()) * 2 + 3) & ~3u;
    r.Ints({0, 0, -1, -1}).U32(1).F32(0).F32(0).Ints({x, y}).U32(std::uint32_t(s.size())).U32(76).U32(options);
    r.Ints(rect).U32(76 + strBytes);
    r.Wide(s, s.size()).Pad();
    for (int d : dx) r.I32(d);
    return r;
}
// A 24-bit bottom-up device-independent bitmap: information header and
// bits, every pixel of one colour (0xRRGGBB).
inline std::vector<std::uint8_t> Dib24(int w, int h, std::uint32_t rgb) {
    Rec info(0);
    int stride = (w * 3 + 3) & ~3;
    info.U32(40).I32(w).I32(h).I16(1).I16(24).U32(0).U32(std::uint32_t(stride * h)).I32(3780).I32(3780).U32(0).U32(0);
    auto b = info.Bytes();
    std::vector<std::uint8_t> out(b.begin() + 8, b.end());
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            out.push_back(std::uint8_t(rgb));
            out.push_back(std::uint8_t(rgb >> 8));
            out.push_back(std::uint8_t(rgb >> 16));
        }
        for (int p = w * 3; p < stride; ++p) out.push_back(0);
    }
    return out;
}
// EMR_STRETCHDIBITS of a one-colour picture into (x, y, cx, cy).
inline Rec StretchDib(int x, int y, int cx, int cy, int w, int h, std::uint32_t rgb, std::uint32_t rop = 0xCC0020) {
    auto dib = Dib24(w, h, rgb);
    Rec r(81);
    r.Ints({x, y, x + cx - 1, y + cy - 1}).Ints({x, y, 0, 0, w, h});
    r.U32(80).U32(40).U32(120).U32(std::uint32_t(dib.size() - 40)).U32(0).U32(rop).Ints({cx, cy});
    r.Raw(dib);
    return r;
}
// EMR_BITBLT without a bitmap (a fill with the brush by raster operation).
inline Rec PatBlt(int x, int y, int cx, int cy, std::uint32_t rop = 0xF00021) {
    Rec r(76);
    r.Ints({x, y, x + cx - 1, y + cy - 1}).Ints({x, y, cx, cy}).U32(rop).Ints({0, 0});
    r.F32(1).F32(0).F32(0).F32(1).F32(0).F32(0);
    r.Ints({0, 0, 0, 0, 0, 0});
    return r;
}

}  // namespace emftest

#pragma once
// Bounded reader and writer of the module file encodings: the 1-to-4-byte
// index, counted strings and little-endian integers. The reader checks
// every length against the bytes that remain, so a cut or forged file is
// refused before anything is allocated from it.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "reportproject/VizeException.h"

class TModuleReader {
public:
    TModuleReader(const std::uint8_t* data, std::size_t size) : p_(data), size_(size) {}

    std::size_t Remaining() const { return size_ - pos_; }
    std::size_t Position() const { return pos_; }

    std::uint8_t Byte() {
        Need(1);
        return p_[pos_++];
    }
    std::uint8_t Peek() {
        Need(1);
        return p_[pos_];
    }
    std::uint32_t LE(int n) {
        Need(std::size_t(n));
        std::uint64_t v = 0;
        for (int k = n - 1; k >= 0; --k) v = (v << 8) | p_[pos_ + std::size_t(k)];
        pos_ += std::size_t(n);
        return std::uint32_t(v);
    }
    double Double() {
        Need(8);
        double d;
        std::memcpy(&d, p_ + pos_, 8);
        pos_ += 8;
        return d;
    }
    std::uint32_t Index() {
        const std::uint8_t b = Byte();
        if (b < 0x80) return b;
        if (b < 0xC0) return (std::uint32_t(b & 0x3F) << 8) | Byte();
        if (b < 0xE0) {
            std::uint32_t v = std::uint32_t(b & 0x1F) << 16;
            v |= std::uint32_t(Byte()) << 8;
            return v | Byte();
        }
        std::uint32_t v = std::uint32_t(b & 0x1F) << 24;
        v |= std::uint32_t(Byte()) << 16;
        v |= std::uint32_t(Byte()) << 8;
        return v | Byte();
    }
    // A count of records that each take at least minBytes of the file.
    std::uint32_t Count(const char* what, std::size_t minBytes = 1) {
        const std::uint32_t n = Index();
        if (std::uint64_t(n) * minBytes > Remaining())
            RaiseVizeErrorFmt("Module file names more %s than it holds", what);
        return n;
    }
    std::string String() {
        const std::uint32_t n = Index();
        Need(n);
        std::string s(reinterpret_cast<const char*>(p_ + pos_), n);
        pos_ += n;
        return s;
    }
    void Bytes(std::vector<std::uint8_t>& out, std::uint32_t n) {
        Need(n);
        out.assign(p_ + pos_, p_ + pos_ + n);
        pos_ += n;
    }

private:
    void Need(std::size_t n) {
        if (n > size_ - pos_) RaiseVizeError("Module file is cut short");
    }
    const std::uint8_t* p_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

class TModuleWriter {
public:
    std::vector<std::uint8_t> Out;

    void Byte(std::uint8_t b) { Out.push_back(b); }
    void LE(std::uint32_t v, int n) {
        for (int k = 0; k < n; ++k) Out.push_back(std::uint8_t(v >> (8 * k)));
    }
    void Double(double d) {
        std::uint8_t b[8];
        std::memcpy(b, &d, 8);
        Out.insert(Out.end(), b, b + 8);
    }
    void Index(std::uint32_t u) {
        if (u < 0x80) {
            Byte(std::uint8_t(u));
        } else if (u < 0x4000) {
            Byte(std::uint8_t(0x80 | (u >> 8)));
            Byte(std::uint8_t(u));
        } else if (u < 0x200000) {
            Byte(std::uint8_t(0xC0 | (u >> 16)));
            Byte(std::uint8_t(u >> 8));
            Byte(std::uint8_t(u));
        } else {
            Byte(std::uint8_t(0xE0 | ((u >> 24) & 0x1F)));
            Byte(std::uint8_t(u >> 16));
            Byte(std::uint8_t(u >> 8));
            Byte(std::uint8_t(u));
        }
    }
    void String(const std::string& s) {
        Index(std::uint32_t(s.size()));
        Out.insert(Out.end(), s.begin(), s.end());
    }
    void Bytes(const std::vector<std::uint8_t>& b) { Out.insert(Out.end(), b.begin(), b.end()); }
};

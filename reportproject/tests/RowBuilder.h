#pragma once
// Test helper shared by the data-field and data-view tests.
#include <cstring>
#include <string>
#include <vector>

#include "platform/core/Filer.h"
#include "reportproject/VzDataField.h"

// Builds a row buffer: the offset table first, then values and texts.
class RowBuilder {
public:
    explicit RowBuilder(int columns) : columns_(columns), buf_(size_t(8 * columns), 0) {}
    RowBuilder& Int(int col, Integer v) { return Value(col, Le32(v)); }
    RowBuilder& Int64v(int col, Int64 v) { return Value(col, Le64(std::uint64_t(v))); }
    RowBuilder& Bool(int col, bool v) { return Value(col, std::string(1, v ? '\1' : '\0')); }
    RowBuilder& Ext(int col, double v) {
        Byte b[10];
        DoubleToExtended(v, b);
        return Value(col, std::string(reinterpret_cast<char*>(b), 10));
    }
    RowBuilder& Dbl(int col, double v) {
        std::uint64_t bits;
        std::memcpy(&bits, &v, 8);
        return Value(col, Le64(bits));
    }
    RowBuilder& Blob(int col, const std::string& bytes) { return Value(col, Le32(Integer(bytes.size())) + bytes); }
    RowBuilder& Str(int col, const std::string& s) { return Value(col, Chunks(s)); }
    RowBuilder& Null(int col) { return Put(8 * col, -1); }
    RowBuilder& Text(int col, const std::string& s) {
        Put(8 * col + 4, Integer(buf_.size()));
        Append(Chunks(s));
        return *this;
    }
    void Into(TVizeDataRow& row) {
        row.SetSize(int(buf_.size()));
        std::memcpy(row.Data(), buf_.data(), buf_.size());
    }
    // A chunked text with a skipped chunk of kind 2 in front.
    static std::string Chunks(const std::string& s) { return Le32(2) + Le32(3) + "xyz" + Le32(1) + Le32(Integer(s.size())) + s + Le32(0); }
    static std::string Le32(Integer v) {
        std::string s(4, '\0');
        for (int k = 0; k < 4; ++k) s[size_t(k)] = char((std::uint32_t(v) >> (8 * k)) & 0xFF);
        return s;
    }
    static std::string Le64(std::uint64_t v) {
        std::string s(8, '\0');
        for (int k = 0; k < 8; ++k) s[size_t(k)] = char((v >> (8 * k)) & 0xFF);
        return s;
    }

private:
    RowBuilder& Value(int col, const std::string& bytes) {
        Put(8 * col, Integer(buf_.size()));
        Append(bytes);
        return *this;
    }
    RowBuilder& Put(size_t at, Integer v) {
        std::string s = Le32(v);
        std::memcpy(buf_.data() + at, s.data(), 4);
        return *this;
    }
    void Append(const std::string& s) { buf_.insert(buf_.end(), s.begin(), s.end()); }
    int columns_;
    std::vector<Byte> buf_;
};

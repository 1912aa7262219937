#include "platform/core/Filer.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "platform/core/Exception.h"
#include "platform/core/Strings.h"

void DoubleToExtended(double value, Byte out[10]) {
    std::memset(out, 0, 10);
    std::uint16_t signExp = std::signbit(value) ? 0x8000 : 0;
    std::uint64_t mantissa = 0;
    if (std::isnan(value)) {
        signExp |= 0x7FFF;
        mantissa = 0xC000000000000000ull;
    } else if (std::isinf(value)) {
        signExp |= 0x7FFF;
        mantissa = 0x8000000000000000ull;
    } else if (value != 0) {
        int e = 0;
        double m = std::frexp(std::fabs(value), &e);  // m in [0.5, 1)
        mantissa = static_cast<std::uint64_t>(std::ldexp(m, 64));
        signExp |= static_cast<std::uint16_t>(e - 1 + 16383);
    }
    for (int i = 0; i < 8; ++i) out[i] = Byte(mantissa >> (8 * i));
    out[8] = Byte(signExp & 0xFF);
    out[9] = Byte(signExp >> 8);
}

double ExtendedToDouble(const Byte in[10]) {
    std::uint64_t mantissa = 0;
    for (int i = 0; i < 8; ++i) mantissa |= std::uint64_t(in[i]) << (8 * i);
    std::uint16_t signExp = std::uint16_t(in[8] | (in[9] << 8));
    bool negative = signExp & 0x8000;
    int exponent = signExp & 0x7FFF;
    double v;
    if (exponent == 0x7FFF) {
        v = (mantissa << 1) == 0 ? std::numeric_limits<double>::infinity()
                                 : std::numeric_limits<double>::quiet_NaN();
    } else if (exponent == 0 && mantissa == 0) {
        v = 0;
    } else {
        v = std::ldexp(static_cast<double>(mantissa), exponent - 16383 - 63);
    }
    return negative ? -v : v;
}

// ------------------------------------------------------------------ writer

void TWriter::WriteValue(TValueType value) {
    Byte b = value;
    stream_.WriteBuffer(&b, 1);
}

void TWriter::WriteInteger(Int64 value) {
    if (value >= -128 && value <= 127) {
        WriteValue(vaInt8);
        std::int8_t v = static_cast<std::int8_t>(value);
        stream_.WriteBuffer(&v, 1);
    } else if (value >= -32768 && value <= 32767) {
        WriteValue(vaInt16);
        std::uint16_t v = static_cast<std::uint16_t>(value);
        Byte b[2] = {Byte(v), Byte(v >> 8)};
        stream_.WriteBuffer(b, 2);
    } else if (value >= INT32_MIN && value <= INT32_MAX) {
        WriteValue(vaInt32);
        std::uint32_t v = static_cast<std::uint32_t>(value);
        Byte b[4] = {Byte(v), Byte(v >> 8), Byte(v >> 16), Byte(v >> 24)};
        stream_.WriteBuffer(b, 4);
    } else {
        WriteValue(vaInt64);
        std::uint64_t v = static_cast<std::uint64_t>(value);
        Byte b[8];
        for (int i = 0; i < 8; ++i) b[i] = Byte(v >> (8 * i));
        stream_.WriteBuffer(b, 8);
    }
}

void TWriter::WriteFloat(double value) {
    WriteValue(vaExtended);
    Byte b[10];
    DoubleToExtended(value, b);
    stream_.WriteBuffer(b, 10);
}

void TWriter::WriteString(const std::string& value) {
    if (value.size() <= 255) {
        WriteValue(vaString);
        Byte n = Byte(value.size());
        stream_.WriteBuffer(&n, 1);
    } else {
        WriteValue(vaLString);
        std::uint32_t n = static_cast<std::uint32_t>(value.size());
        Byte b[4] = {Byte(n), Byte(n >> 8), Byte(n >> 16), Byte(n >> 24)};
        stream_.WriteBuffer(b, 4);
    }
    if (!value.empty()) stream_.WriteBuffer(value.data(), static_cast<Integer>(value.size()));
}

void TWriter::WriteIdent(const std::string& ident) {
    if (SameText(ident, "False")) return WriteValue(vaFalse);
    if (SameText(ident, "True")) return WriteValue(vaTrue);
    if (SameText(ident, "nil")) return WriteValue(vaNil);
    if (SameText(ident, "Null")) return WriteValue(vaNull);
    WriteValue(vaIdent);
    std::string text = ident.substr(0, 255);
    Byte n = Byte(text.size());
    stream_.WriteBuffer(&n, 1);
    if (n) stream_.WriteBuffer(text.data(), n);
}

void TWriter::WriteBoolean(bool value) { WriteValue(value ? vaTrue : vaFalse); }

void TWriter::WriteBinary(const std::vector<Byte>& data) {
    WriteValue(vaBinary);
    std::uint32_t n = static_cast<std::uint32_t>(data.size());
    Byte b[4] = {Byte(n), Byte(n >> 8), Byte(n >> 16), Byte(n >> 24)};
    stream_.WriteBuffer(b, 4);
    if (n) stream_.WriteBuffer(data.data(), static_cast<Integer>(n));
}

// ------------------------------------------------------------------ reader

void TReader::InvalidValue() { throw EReadError("Invalid property value"); }

TValueType TReader::NextValue() {
    TValueType v = ReadValue();
    stream_.Seek(-1, soCurrent);
    return v;
}

TValueType TReader::ReadValue() {
    Byte b = 0;
    stream_.ReadBuffer(&b, 1);
    return static_cast<TValueType>(b);
}

std::string TReader::ReadBytes(Integer count) {
    std::string s(std::size_t(count), '\0');
    if (count > 0) stream_.ReadBuffer(s.data(), count);
    return s;
}

static Int64 LittleEndian(const std::string& b) {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < b.size(); ++i) v |= std::uint64_t(Byte(b[i])) << (8 * i);
    return static_cast<Int64>(v);
}

Int64 TReader::ReadIntegerOfType(TValueType type) {
    switch (type) {
        case vaInt8: return static_cast<std::int8_t>(LittleEndian(ReadBytes(1)));
        case vaInt16: return static_cast<std::int16_t>(LittleEndian(ReadBytes(2)));
        case vaInt32: return static_cast<std::int32_t>(LittleEndian(ReadBytes(4)));
        case vaInt64: return LittleEndian(ReadBytes(8));
        default: InvalidValue();
    }
}

Integer TReader::ReadInteger() {
    TValueType t = NextValue();
    if (t != vaInt8 && t != vaInt16 && t != vaInt32) InvalidValue();
    ReadValue();
    return static_cast<Integer>(ReadIntegerOfType(t));
}

Int64 TReader::ReadInt64() {
    TValueType t = NextValue();
    if (t != vaInt8 && t != vaInt16 && t != vaInt32 && t != vaInt64) InvalidValue();
    ReadValue();
    return ReadIntegerOfType(t);
}

double TReader::ReadFloat() {
    TValueType t = NextValue();
    switch (t) {
        case vaExtended: {
            ReadValue();
            std::string b = ReadBytes(10);
            return ExtendedToDouble(reinterpret_cast<const Byte*>(b.data()));
        }
        case vaDouble: {
            ReadValue();
            std::uint64_t bits = static_cast<std::uint64_t>(LittleEndian(ReadBytes(8)));
            double d;
            std::memcpy(&d, &bits, 8);
            return d;
        }
        case vaSingle: {
            ReadValue();
            std::uint32_t bits = static_cast<std::uint32_t>(LittleEndian(ReadBytes(4)));
            float f;
            std::memcpy(&f, &bits, 4);
            return f;
        }
        case vaInt8:
        case vaInt16:
        case vaInt32:
        case vaInt64: return static_cast<double>(ReadInt64());
        default: InvalidValue();
    }
}

std::string TReader::ReadString() {
    TValueType t = NextValue();
    switch (t) {
        case vaString: {
            ReadValue();
            return ReadBytes(Byte(ReadBytes(1)[0]));
        }
        case vaLString:
        case vaUTF8String: {
            ReadValue();
            Int64 n = LittleEndian(ReadBytes(4));
            if (n < 0 || n > stream_.Size() - stream_.Position()) throw EReadError("Stream read error");
            return ReadBytes(static_cast<Integer>(n));
        }
        case vaWString: {
            ReadValue();
            Int64 n = LittleEndian(ReadBytes(4));
            if (n < 0 || 2 * n > stream_.Size() - stream_.Position()) throw EReadError("Stream read error");
            std::string raw = ReadBytes(static_cast<Integer>(2 * n));
            std::string out;
            for (Int64 i = 0; i < n; ++i) {
                char32_t c = char32_t(Byte(raw[std::size_t(2 * i)]) | (Byte(raw[std::size_t(2 * i + 1)]) << 8));
                if (c >= 0xD800 && c < 0xDC00 && i + 1 < n) {
                    char32_t lo =
                        char32_t(Byte(raw[std::size_t(2 * i + 2)]) | (Byte(raw[std::size_t(2 * i + 3)]) << 8));
                    if (lo >= 0xDC00 && lo < 0xE000) {
                        c = 0x10000 + ((c - 0xD800) << 10) + (lo - 0xDC00);
                        ++i;
                    }
                }
                Utf8AppendChar(out, c);
            }
            return out;
        }
        default: InvalidValue();
    }
}

std::string TReader::ReadIdent() {
    TValueType t = ReadValue();
    switch (t) {
        case vaIdent: return ReadBytes(Byte(ReadBytes(1)[0]));
        case vaFalse: return "False";
        case vaTrue: return "True";
        case vaNil: return "nil";
        case vaNull: return "Null";
        default: stream_.Seek(-1, soCurrent); InvalidValue();
    }
}

bool TReader::ReadBoolean() {
    TValueType t = NextValue();
    if (t != vaFalse && t != vaTrue) InvalidValue();
    ReadValue();
    return t == vaTrue;
}

std::vector<Byte> TReader::ReadBinary() {
    if (NextValue() != vaBinary) InvalidValue();
    ReadValue();
    Int64 n = LittleEndian(ReadBytes(4));
    if (n < 0 || n > stream_.Size() - stream_.Position()) throw EReadError("Stream read error");
    std::string b = ReadBytes(static_cast<Integer>(n));
    return std::vector<Byte>(b.begin(), b.end());
}

void TReader::ReadListBegin() {
    if (NextValue() != vaList) InvalidValue();
    ReadValue();
}

void TReader::ReadListEnd() {
    if (NextValue() != vaNull) InvalidValue();
    ReadValue();
}

void TReader::SkipValue() {
    TValueType t = ReadValue();
    auto skip = [this](Int64 n) {
        if (n < 0 || n > stream_.Size() - stream_.Position()) throw EReadError("Stream read error");
        stream_.Seek(n, soCurrent);
    };
    switch (t) {
        case vaNull:
        case vaFalse:
        case vaTrue:
        case vaNil: return;
        case vaList:
            while (!EndOfList()) SkipValue();
            ReadValue();
            return;
        case vaInt8: return skip(1);
        case vaInt16: return skip(2);
        case vaInt32:
        case vaSingle: return skip(4);
        case vaInt64:
        case vaDouble:
        case vaCurrency:
        case vaDate: return skip(8);
        case vaExtended: return skip(10);
        case vaString:
        case vaIdent: return skip(Byte(ReadBytes(1)[0]));
        case vaLString:
        case vaUTF8String:
        case vaBinary: return skip(LittleEndian(ReadBytes(4)));
        case vaWString: return skip(2 * LittleEndian(ReadBytes(4)));
        case vaSet:
            while (true) {
                std::string n = ReadBytes(1);
                if (Byte(n[0]) == 0) return;
                skip(Byte(n[0]));
            }
        case vaCollection:
            while (!EndOfList()) {
                TValueType v = NextValue();
                if (v == vaInt8 || v == vaInt16 || v == vaInt32) ReadInteger();
                ReadListBegin();
                while (!EndOfList()) {
                    ReadBytes(Byte(ReadBytes(1)[0]));  // property name
                    SkipValue();
                }
                ReadListEnd();
            }
            ReadValue();
            return;
        default: InvalidValue();
    }
}

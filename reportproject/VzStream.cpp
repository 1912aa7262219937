#include "reportproject/VzStream.h"

#include <cstring>

#include "platform/core/Exception.h"
#include "platform/core/Filer.h"
#include "reportproject/VzCmHuff.h"

Byte& DefaultCompressionMethod() {
    static Byte method = 0;
    return method;
}

TStreamHelper::TStreamHelper(TStream& stream) : CompressionMethod(DefaultCompressionMethod()) {
    stack_.push_back(&stream);
}

TStreamHelper::~TStreamHelper() {
    while (stack_.size() > 1) {
        delete stack_.back();
        stack_.pop_back();
    }
}

void TStreamHelper::PushStream(std::unique_ptr<TStream> s) { stack_.push_back(s.release()); }

std::unique_ptr<TStream> TStreamHelper::PopStream() {
    if (stack_.size() <= 1) return nullptr;
    std::unique_ptr<TStream> s(stack_.back());
    stack_.pop_back();
    return s;
}

Int64 TStreamHelper::MarkPosition() { return mark_ = Stream().Position(); }
void TStreamHelper::ReturnToMark() { Stream().SetPosition(mark_); }

void TStreamHelper::WriteBuf(const void* p, Integer n) {
    if (n > 0) Stream().WriteBuffer(p, n);
}

void TStreamHelper::ReadBuf(void* p, Integer n) {
    if (n > 0) Stream().ReadBuffer(p, n);
}

namespace {

template <class T>
void PutLE(TStreamHelper& h, T v, int n) {
    Byte b[8];
    auto u = static_cast<std::uint64_t>(static_cast<std::int64_t>(v));
    for (int k = 0; k < n; ++k) b[k] = Byte(u >> (8 * k));
    h.WriteBuf(b, n);
}

std::uint64_t GetLE(TStreamHelper& h, int n) {
    Byte b[8];
    h.ReadBuf(b, n);
    std::uint64_t u = 0;
    for (int k = n - 1; k >= 0; --k) u = (u << 8) | b[k];
    return u;
}

}  // namespace

void TStreamHelper::WriteByte(Byte v) { WriteBuf(&v, 1); }
void TStreamHelper::WriteSmallInt(SmallInt v) { PutLE(*this, v, 2); }
void TStreamHelper::WriteInteger(Integer v) { PutLE(*this, v, 4); }
void TStreamHelper::WriteInt64(Int64 v) { PutLE(*this, v, 8); }

void TStreamHelper::WriteFloat(double v) {
    Byte b[10];
    DoubleToExtended(v, b);
    WriteBuf(b, 10);
}

void TStreamHelper::WriteIndex(Integer v) {
    auto u = std::uint32_t(v) & 0x1FFFFFFFu;
    if (u < 0x80) {
        WriteByte(Byte(u));
    } else if (u < 0x4000) {
        WriteByte(Byte(0x80 + (u >> 8)));
        WriteByte(Byte(u));
    } else if (u < 0x200000) {
        WriteByte(Byte(0xC0 + (u >> 16)));
        WriteByte(Byte(u >> 8));
        WriteByte(Byte(u));
    } else {
        WriteByte(Byte(0xE0 + (u >> 24)));
        WriteByte(Byte(u >> 16));
        WriteByte(Byte(u >> 8));
        WriteByte(Byte(u));
    }
}

void TStreamHelper::WriteString(const std::string& s) {
    WriteIndex(Integer(s.size()));
    WriteBuf(s.data(), Integer(s.size()));
}

Byte TStreamHelper::ReadByte() {
    Byte b;
    ReadBuf(&b, 1);
    return b;
}

SmallInt TStreamHelper::ReadSmallInt() { return SmallInt(std::uint16_t(GetLE(*this, 2))); }
Integer TStreamHelper::ReadInteger() { return Integer(std::uint32_t(GetLE(*this, 4))); }
Int64 TStreamHelper::ReadInt64() { return Int64(GetLE(*this, 8)); }

double TStreamHelper::ReadFloat() {
    Byte b[10];
    ReadBuf(b, 10);
    return ExtendedToDouble(b);
}

Integer TStreamHelper::ReadIndex() {
    Byte m = ReadByte();
    if (m < 0x80) return m;
    if (m < 0xC0) return Integer(((m - 0x80) << 8) | ReadByte());
    if (m < 0xE0) {
        Integer hi = ReadByte();
        return Integer(((m - 0xC0) << 16) | (hi << 8) | ReadByte());
    }
    Integer v = m - 0xE0;
    for (int k = 0; k < 3; ++k) v = (v << 8) | ReadByte();
    return v;
}

std::string TStreamHelper::ReadString() {
    Integer n = ReadIndex();
    // A length beyond the stream is a damaged stream, not a huge allocation.
    if (n > Stream().Size() - Stream().Position()) throw EReadError("Stream read error");
    std::string s(size_t(n), '\0');
    ReadBuf(s.data(), n);
    return s;
}

Int64 TStreamHelper::WriteSizePlaceholder() {
    Int64 pos = Stream().Position();
    WriteInteger(0);
    return pos;
}

void TStreamHelper::PatchSize(Int64 pos) {
    Int64 end = Stream().Position();
    Stream().SetPosition(pos);
    WriteInteger(Integer(end - pos - 4));
    Stream().SetPosition(end);
}

void TStreamHelper::BeginWriteBlock() { PushStream(std::make_unique<TMemoryStream>()); }

void TStreamHelper::EndWriteBlock() {
    std::unique_ptr<TStream> block = PopStream();
    if (!block) return;
    WriteByte(CompressionMethod);
    Int64 pos = WriteSizePlaceholder();
    block->SetPosition(0);
    CompressBlock(CompressionMethod, *block, Stream());
    PatchSize(pos);
}

void TStreamHelper::BeginReadBlock() {
    Byte method = ReadByte();
    Integer size = ReadInteger();
    if (size < 0 || size > Stream().Size() - Stream().Position()) throw EReadError("Stream read error");
    auto copy = std::make_unique<TMemoryStream>();
    if (size > 0) copy->CopyFrom(Stream(), size);
    copy->SetPosition(0);
    if (method != cmStored) {
        auto expanded = std::make_unique<TMemoryStream>();
        ExpandBlock(method, *copy, *expanded);
        copy = std::move(expanded);
    }
    copy->SetPosition(0);
    PushStream(std::move(copy));
}

void TStreamHelper::EndReadBlock() { PopStream(); }

void TStreamHelper::SkipBlock() {
    ReadByte();  // the compression method
    Integer size = ReadInteger();
    if (size < 0 || size > Stream().Size() - Stream().Position()) throw EReadError("Stream read error");
    Stream().Seek(size, soCurrent);
}

bool TStreamHelper::AtEnd() { return Stream().Position() >= Stream().Size(); }

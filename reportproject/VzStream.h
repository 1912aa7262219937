#pragma once
// The stream helper every project and module reader and writer uses:
// little-endian primitives, the 1-to-4-byte index, counted strings, size
// placeholders and length-prefixed blocks that may be compressed.

#include <memory>
#include <string>
#include <vector>

#include "platform/core/Streams.h"
#include "platform/core/Types.h"

// Compression method new helpers start with.
Byte& DefaultCompressionMethod();

class TStreamHelper {
public:
    // stream stays the caller's.
    explicit TStreamHelper(TStream& stream);
    ~TStreamHelper();
    TStreamHelper(const TStreamHelper&) = delete;
    TStreamHelper& operator=(const TStreamHelper&) = delete;

    TStream& Stream() { return *stack_.back(); }
    Byte CompressionMethod = 0;

    // s becomes current; the helper takes ownership of it.
    void PushStream(std::unique_ptr<TStream> s);
    // Removes the top stream (never the caller's) and hands it back.
    std::unique_ptr<TStream> PopStream();

    Int64 MarkPosition();
    void ReturnToMark();

    void WriteByte(Byte v);
    void WriteChar(char v) { WriteByte(Byte(v)); }
    void WriteSmallInt(SmallInt v);
    void WriteInteger(Integer v);
    void WriteInt64(Int64 v);
    void WriteFloat(double v);
    void WriteIndex(Integer v);
    void WriteString(const std::string& s);
    void WriteBuf(const void* p, Integer n);

    Byte ReadByte();
    char ReadChar() { return char(ReadByte()); }
    SmallInt ReadSmallInt();
    Integer ReadInteger();
    Int64 ReadInt64();
    double ReadFloat();
    Integer ReadIndex();
    std::string ReadString();
    void ReadBuf(void* p, Integer n);

    Int64 WriteSizePlaceholder();
    void PatchSize(Int64 pos);

    void BeginWriteBlock();
    void EndWriteBlock();
    void BeginReadBlock();
    void EndReadBlock();
    void SkipBlock();
    bool AtEnd();

private:
    std::vector<TStream*> stack_;  // [0] is the caller's
    Int64 mark_ = -1;
};

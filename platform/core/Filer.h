#pragma once
// Values of the platform's binary form-file format: each value is a type
// byte followed by its data (integers little-endian, floating-point values
// as 80-bit extended, strings with a length prefix). TWriter writes them to a
// stream and TReader reads them back; components built on top arrange them
// into properties and lists.

#include <string>
#include <vector>

#include "platform/core/Streams.h"
#include "platform/core/Exception.h"
#include "platform/core/Types.h"

enum TValueType : Byte {
    vaNull = 0,
    vaList = 1,
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaExtended = 5,
    vaString = 6,
    vaIdent = 7,
    vaFalse = 8,
    vaTrue = 9,
    vaBinary = 10,
    vaSet = 11,
    vaLString = 12,
    vaNil = 13,
    vaCollection = 14,
    vaSingle = 15,
    vaCurrency = 16,
    vaDate = 17,
    vaWString = 18,
    vaInt64 = 19,
    vaUTF8String = 20,
    vaDouble = 21,
};

class TWriter {
public:
    explicit TWriter(TStream& stream) : stream_(stream) {}
    TStream& Stream() { return stream_; }

    void WriteValue(TValueType value);
    // The smallest of vaInt8, vaInt16, vaInt32 (vaInt64 for wider values).
    void WriteInteger(Int64 value);
    // vaExtended.
    void WriteFloat(double value);
    // vaString up to 255 bytes, vaLString beyond; the bytes as they are.
    void WriteString(const std::string& value);
    // vaIdent; the identifiers False, True, nil and Null are written as
    // their own value types.
    void WriteIdent(const std::string& ident);
    void WriteBoolean(bool value);
    void WriteBinary(const std::vector<Byte>& data);
    void WriteListBegin() { WriteValue(vaList); }
    // The end marker of a list (vaNull).
    void WriteListEnd() { WriteValue(vaNull); }

private:
    TStream& stream_;
};

// Reading a value of another type than asked raises EReadError "Invalid
// property value"; reading past the end raises EReadError.
class TReader {
public:
    explicit TReader(TStream& stream) : stream_(stream) {}
    TStream& Stream() { return stream_; }

    // The type of the next value, without consuming it.
    TValueType NextValue();
    TValueType ReadValue();
    // Any integer value type.
    Integer ReadInteger();
    Int64 ReadInt64();
    // vaExtended, vaDouble or vaSingle (also integers).
    double ReadFloat();
    // vaString, vaLString, vaWString or vaUTF8String.
    std::string ReadString();
    // vaIdent, or False, True, nil and Null from their value types.
    std::string ReadIdent();
    bool ReadBoolean();
    std::vector<Byte> ReadBinary();
    void ReadListBegin();
    void ReadListEnd();
    // True when the next value is the end marker of a list.
    bool EndOfList() { return NextValue() == vaNull; }
    // Skips one value of any type (lists, sets and collections included).
    void SkipValue();

private:
    std::string ReadBytes(Integer count);
    Int64 ReadIntegerOfType(TValueType type);
    [[noreturn]] static void InvalidValue();

    TStream& stream_;
};

// The 80-bit extended form of a double and back (little-endian bytes).
void DoubleToExtended(double value, Byte out[10]);
double ExtendedToDouble(const Byte in[10]);

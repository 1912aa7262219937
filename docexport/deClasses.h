#pragma once
// Base classes shared by the export engine: the component base, a memory
// stream with byte and big-endian writers, and a list of strings.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/Component.h"
#include "platform/core/Streams.h"
#include "platform/core/Types.h"

// Base of every engine, settings and bridge component. About and Version
// are shown by a designer only: they read empty and ignore what is set.
class TdeComponent : public TComponent {
public:
    explicit TdeComponent(TComponent* owner) : TComponent(owner) {}
    std::string About() const { return {}; }
    void SetAbout(const std::string&) {}
    std::string Version() const { return {}; }
    void SetVersion(const std::string&) {}
};

class TdeExtMemStream : public TMemoryStream {
public:
    // Raises EReadError at the end of the stream.
    Byte ReadByte();
    void WriteByte(Byte b);
    void WriteBytes(const std::vector<Byte>& bytes);
    // One byte per character in Windows-1252 ("?" for characters it lacks),
    // without length or terminator.
    void WriteText(const std::string& s);
    void WriteInt32BE(std::int32_t v);
    void WriteInt32ArrayBE(const std::vector<std::int32_t>& values);
    void WriteInt16BE(std::int16_t v);
    void WriteInt16ArrayBE(const std::vector<std::int16_t>& values);
};

// A list of strings (UTF-8) that never raises on a bad index: reads give an
// empty string, writes and deletions outside the list are ignored.
class TWideStrings {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    std::string Get(int index) const;
    // Ignored for a negative index or one above Count; appends at Count.
    void Put(int index, const std::string& s);
    int Add(const std::string& s);
    // Ignored outside 0..Count; appends at Count.
    void Insert(int index, const std::string& s);
    void Delete(int index);
    void Clear() { items_.clear(); }
    std::string operator[](int index) const { return Get(index); }
    bool operator==(const TWideStrings&) const = default;

private:
    std::vector<std::string> items_;
};

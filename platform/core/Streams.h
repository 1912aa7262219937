#pragma once
// Byte streams with the platform's names: an abstract TStream, a memory
// stream, a file stream and a string stream.

#include <string>
#include <vector>

#include "platform/core/Types.h"

enum TSeekOrigin { soBeginning = 0, soCurrent = 1, soEnd = 2 };

// File stream modes: one access mode or fmCreate, combined with a share mode.
// Share modes are accepted for compatibility; they do not lock the file.
constexpr Word fmCreate = 0xFF00;
constexpr Word fmOpenRead = 0x0000;
constexpr Word fmOpenWrite = 0x0001;
constexpr Word fmOpenReadWrite = 0x0002;
constexpr Word fmShareCompat = 0x0000;
constexpr Word fmShareExclusive = 0x0010;
constexpr Word fmShareDenyWrite = 0x0020;
constexpr Word fmShareDenyRead = 0x0030;
constexpr Word fmShareDenyNone = 0x0040;

class TStream {
public:
    virtual ~TStream() = default;

    // Read/Write move up to count bytes and return how many they moved.
    virtual Integer Read(void* buffer, Integer count) = 0;
    virtual Integer Write(const void* buffer, Integer count) = 0;
    // Returns the new position.
    virtual Int64 Seek(Int64 offset, TSeekOrigin origin) = 0;

    Int64 Position() { return Seek(0, soCurrent); }
    void SetPosition(Int64 pos) { Seek(pos, soBeginning); }
    virtual Int64 Size();
    virtual void SetSize(Int64 newSize);

    // Exactly count bytes or EReadError "Stream read error".
    void ReadBuffer(void* buffer, Integer count);
    // Exactly count bytes or EWriteError "Stream write error".
    void WriteBuffer(const void* buffer, Integer count);
    // Copies count bytes from source's position; count 0 copies all of
    // source from its start. Returns the number copied.
    Int64 CopyFrom(TStream& source, Int64 count);
};

class TMemoryStream : public TStream {
public:
    Integer Read(void* buffer, Integer count) override;
    Integer Write(const void* buffer, Integer count) override;
    Int64 Seek(Int64 offset, TSeekOrigin origin) override;
    Int64 Size() override { return static_cast<Int64>(data_.size()); }
    void SetSize(Int64 newSize) override;

    void Clear();
    // Replace the contents with the file's or stream's; position 0.
    void LoadFromFile(const std::string& fileName);
    void LoadFromStream(TStream& stream);
    // Write all contents, whatever the position.
    void SaveToFile(const std::string& fileName);
    void SaveToStream(TStream& stream);

    char* Memory() { return data_.data(); }
    const char* Memory() const { return data_.data(); }

private:
    std::vector<char> data_;
    Int64 pos_ = 0;
};

class TFileStream : public TStream {
public:
    // Raises EFCreateError "Cannot create file \"<path>\". <os message>" or
    // EFOpenError "Cannot open file \"<path>\". <os message>".
    TFileStream(const std::string& fileName, Word mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    Integer Read(void* buffer, Integer count) override;
    Integer Write(const void* buffer, Integer count) override;
    Int64 Seek(Int64 offset, TSeekOrigin origin) override;
    void SetSize(Int64 newSize) override;

    const std::string& FileName() const { return fileName_; }
    int Handle() const { return fd_; }

private:
    std::string fileName_;
    int fd_ = -1;
};

// A memory stream over a std::string (bytes as they are).
class TStringStream : public TStream {
public:
    explicit TStringStream(std::string data = {}) : data_(std::move(data)) {}

    Integer Read(void* buffer, Integer count) override;
    Integer Write(const void* buffer, Integer count) override;
    Int64 Seek(Int64 offset, TSeekOrigin origin) override;
    Int64 Size() override { return static_cast<Int64>(data_.size()); }
    void SetSize(Int64 newSize) override;

    const std::string& DataString() const { return data_; }
    // Up to count bytes from the position (all remaining when count < 0).
    std::string ReadString(Integer count = -1);
    void WriteString(const std::string& s) { WriteBuffer(s.data(), static_cast<Integer>(s.size())); }

private:
    std::string data_;
    Int64 pos_ = 0;
};

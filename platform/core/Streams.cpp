#include "platform/core/Streams.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/Exception.h"

// ---- TStream ---------------------------------------------------------------------

Int64 TStream::Size() {
    const Int64 pos = Seek(0, soCurrent);
    const Int64 size = Seek(0, soEnd);
    Seek(pos, soBeginning);
    return size;
}

void TStream::SetSize(Int64) { throw EStreamError("Stream size cannot be changed"); }

void TStream::ReadBuffer(void* buffer, Integer count) {
    if (count < 0 || (count != 0 && Read(buffer, count) != count)) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, Integer count) {
    if (count < 0 || (count != 0 && Write(buffer, count) != count)) throw EWriteError("Stream write error");
}

Int64 TStream::CopyFrom(TStream& source, Int64 count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    const Int64 total = count;
    std::vector<char> buf(static_cast<std::size_t>(std::min<Int64>(count, 64 * 1024)));
    while (count > 0) {
        const Integer n = static_cast<Integer>(std::min<Int64>(count, static_cast<Int64>(buf.size())));
        source.ReadBuffer(buf.data(), n);
        WriteBuffer(buf.data(), n);
        count -= n;
    }
    return total;
}

// ---- Memory-backed helpers -------------------------------------------------------------

namespace {

template <class Bytes>
Integer ReadFrom(const Bytes& data, Int64& pos, void* buffer, Integer count) {
    if (count <= 0 || pos >= static_cast<Int64>(data.size())) return 0;
    const Int64 n = std::min<Int64>(count, static_cast<Int64>(data.size()) - pos);
    std::memcpy(buffer, data.data() + pos, static_cast<std::size_t>(n));
    pos += n;
    return static_cast<Integer>(n);
}

template <class Bytes>
Integer WriteTo(Bytes& data, Int64& pos, const void* buffer, Integer count) {
    if (count <= 0) return 0;
    const Int64 end = pos + count;
    if (end > static_cast<Int64>(data.size())) data.resize(static_cast<std::size_t>(end));
    std::memcpy(data.data() + pos, buffer, static_cast<std::size_t>(count));
    pos = end;
    return count;
}

Int64 SeekIn(Int64 size, Int64& pos, Int64 offset, TSeekOrigin origin) {
    Int64 base = origin == soBeginning ? 0 : origin == soCurrent ? pos : size;
    pos = std::max<Int64>(0, base + offset);
    return pos;
}

}  // namespace

// ---- TMemoryStream ---------------------------------------------------------------------

Integer TMemoryStream::Read(void* buffer, Integer count) { return ReadFrom(data_, pos_, buffer, count); }
Integer TMemoryStream::Write(const void* buffer, Integer count) { return WriteTo(data_, pos_, buffer, count); }
Int64 TMemoryStream::Seek(Int64 offset, TSeekOrigin origin) { return SeekIn(Size(), pos_, offset, origin); }

void TMemoryStream::SetSize(Int64 newSize) {
    data_.resize(static_cast<std::size_t>(std::max<Int64>(0, newSize)));
    if (pos_ > Size()) pos_ = Size();
}

void TMemoryStream::Clear() {
    data_.clear();
    pos_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& stream) {
    stream.SetPosition(0);
    const Int64 size = stream.Size();
    std::vector<char> data(static_cast<std::size_t>(size));
    if (size > 0) stream.ReadBuffer(data.data(), static_cast<Integer>(size));
    data_.swap(data);
    pos_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
    TFileStream f(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(f);
}

void TMemoryStream::SaveToStream(TStream& stream) {
    if (!data_.empty()) stream.WriteBuffer(data_.data(), static_cast<Integer>(data_.size()));
}

void TMemoryStream::SaveToFile(const std::string& fileName) {
    TFileStream f(fileName, fmCreate);
    SaveToStream(f);
}

// ---- TStringStream ---------------------------------------------------------------------

Integer TStringStream::Read(void* buffer, Integer count) { return ReadFrom(data_, pos_, buffer, count); }
Integer TStringStream::Write(const void* buffer, Integer count) { return WriteTo(data_, pos_, buffer, count); }
Int64 TStringStream::Seek(Int64 offset, TSeekOrigin origin) { return SeekIn(Size(), pos_, offset, origin); }

void TStringStream::SetSize(Int64 newSize) {
    data_.resize(static_cast<std::size_t>(std::max<Int64>(0, newSize)));
    if (pos_ > Size()) pos_ = Size();
}

std::string TStringStream::ReadString(Integer count) {
    const Int64 left = std::max<Int64>(0, Size() - pos_);
    const Int64 n = count < 0 ? left : std::min<Int64>(count, left);
    std::string r = n > 0 ? data_.substr(static_cast<std::size_t>(pos_), static_cast<std::size_t>(n)) : std::string();
    pos_ += n;
    return r;
}

// ---- TFileStream -----------------------------------------------------------------------

TFileStream::TFileStream(const std::string& fileName, Word mode) : fileName_(fileName) {
    if ((mode & fmCreate) == fmCreate) {
        fd_ = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd_ < 0)
            throw EFCreateError("Cannot create file \"" + fileName + "\". " + std::strerror(errno));
        return;
    }
    int flags = O_CLOEXEC;
    switch (mode & 0x3) {
        case fmOpenWrite: flags |= O_WRONLY; break;
        case fmOpenReadWrite: flags |= O_RDWR; break;
        default: flags |= O_RDONLY; break;
    }
    fd_ = ::open(fileName.c_str(), flags);
    int err = errno;
    if (fd_ >= 0) {
        struct stat st;
        if (::fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) {
            ::close(fd_);
            fd_ = -1;
            err = EISDIR;
        }
    }
    if (fd_ < 0) throw EFOpenError("Cannot open file \"" + fileName + "\". " + std::strerror(err));
}

TFileStream::~TFileStream() {
    if (fd_ >= 0) ::close(fd_);
}

Integer TFileStream::Read(void* buffer, Integer count) {
    Integer done = 0;
    while (done < count) {
        const ssize_t n = ::read(fd_, static_cast<char*>(buffer) + done, static_cast<std::size_t>(count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<Integer>(n);
    }
    return done;
}

Integer TFileStream::Write(const void* buffer, Integer count) {
    Integer done = 0;
    while (done < count) {
        const ssize_t n = ::write(fd_, static_cast<const char*>(buffer) + done, static_cast<std::size_t>(count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<Integer>(n);
    }
    return done;
}

Int64 TFileStream::Seek(Int64 offset, TSeekOrigin origin) {
    const int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
    const off_t r = ::lseek(fd_, static_cast<off_t>(offset), whence);
    return r < 0 ? -1 : static_cast<Int64>(r);
}

void TFileStream::SetSize(Int64 newSize) {
    const Int64 pos = Position();
    if (::ftruncate(fd_, static_cast<off_t>(newSize)) != 0)
        throw EStreamError("Cannot set the size of \"" + fileName_ + "\". " + std::strerror(errno));
    if (pos > newSize) Seek(newSize, soBeginning);
}

#include "docexport/deDZLib.h"

#include <algorithm>
#include <cstring>

#include <zlib.h>

#include "docexport/deDocResStrs.h"

struct TCustomZStream::ZState {
    z_stream s{};
};

int ZLibLevel(int levelIndex) {
    static const int levels[4] = {Z_NO_COMPRESSION, Z_BEST_SPEED, Z_DEFAULT_COMPRESSION, Z_BEST_COMPRESSION};
    return levels[std::clamp(levelIndex, 0, 3)];
}

std::string ZLibErrorText(int code) {
    switch (code) {
        case Z_NEED_DICT: return "need dictionary";
        case Z_STREAM_END: return "stream end";
        case Z_OK: return "";
        case Z_ERRNO: return "file error";
        case Z_STREAM_ERROR: return "stream error";
        case Z_DATA_ERROR: return "data error";
        case Z_MEM_ERROR: return "insufficient memory";
        case Z_BUF_ERROR: return "buffer error";
        case Z_VERSION_ERROR: return "incompatible version";
    }
    return "";
}

namespace {
int CCheck(int code) {
    if (code < 0) throw EZCompressionError(ZLibErrorText(code));
    return code;
}
int DCheck(int code) {
    if (code < 0) throw EZDecompressionError(ZLibErrorText(code));
    return code;
}
}  // namespace

TCustomZStream::TCustomZStream(TStream& stream)
    : stream_(stream), streamPos_(stream.Position()), z_(std::make_unique<ZState>()), buffer_(BufferSize) {}

TCustomZStream::~TCustomZStream() = default;

// ---- compression -------------------------------------------------------------

TCompressionStream::TCompressionStream(int levelIndex, TStream& target) : TCustomZStream(target) {
    CCheck(deflateInit(&z_->s, ZLibLevel(levelIndex)));
    z_->s.next_out = buffer_.data();
    z_->s.avail_out = BufferSize;
}

TCompressionStream::~TCompressionStream() {
    try {
        Finish();
    } catch (...) {
        // A destructor cannot report; Finish already ended zlib's state.
    }
}

void TCompressionStream::FlushBuffer(std::size_t count) {
    if (count > 0) stream_.WriteBuffer(buffer_.data(), static_cast<Integer>(count));
    z_->s.next_out = buffer_.data();
    z_->s.avail_out = BufferSize;
    streamPos_ = stream_.Position();
}

Integer TCompressionStream::Write(const void* buffer, Integer count) {
    if (finished_) throw EZCompressionError(SdeInvalidZStreamOperation);
    if (count <= 0) return 0;
    z_->s.next_in = static_cast<Bytef*>(const_cast<void*>(buffer));
    z_->s.avail_in = static_cast<uInt>(count);
    if (stream_.Position() != streamPos_) stream_.SetPosition(streamPos_);
    while (z_->s.avail_in > 0) {
        CCheck(deflate(&z_->s, Z_NO_FLUSH));
        if (z_->s.avail_out == 0) {
            FlushBuffer(BufferSize);
            Progress();
        }
    }
    return count;
}

void TCompressionStream::Finish() {
    if (finished_) return;
    finished_ = true;
    try {
        z_->s.next_in = nullptr;
        z_->s.avail_in = 0;
        if (stream_.Position() != streamPos_) stream_.SetPosition(streamPos_);
        while (CCheck(deflate(&z_->s, Z_FINISH)) != Z_STREAM_END) {
            if (z_->s.avail_out == 0) FlushBuffer(BufferSize);
        }
        if (z_->s.avail_out < static_cast<uInt>(BufferSize)) FlushBuffer(BufferSize - z_->s.avail_out);
    } catch (...) {
        deflateEnd(&z_->s);
        throw;
    }
    deflateEnd(&z_->s);
}

Integer TCompressionStream::Read(void*, Integer) { throw EZCompressionError(SdeInvalidZStreamOperation); }

Int64 TCompressionStream::Seek(Int64 offset, TSeekOrigin origin) {
    if (offset == 0 && origin == soCurrent) return static_cast<Int64>(z_->s.total_in);
    throw EZCompressionError(SdeInvalidZStreamOperation);
}

Int64 TCompressionStream::Size() { return static_cast<Int64>(z_->s.total_in); }

// ---- decompression -----------------------------------------------------------

TDecompressionStream::TDecompressionStream(TStream& source) : TCustomZStream(source) {
    z_->s.next_in = buffer_.data();
    z_->s.avail_in = 0;
    DCheck(inflateInit(&z_->s));
}

TDecompressionStream::~TDecompressionStream() { inflateEnd(&z_->s); }

Integer TDecompressionStream::Read(void* buffer, Integer count) {
    if (count <= 0) return 0;
    z_->s.next_out = static_cast<Bytef*>(buffer);
    z_->s.avail_out = static_cast<uInt>(count);
    if (stream_.Position() != streamPos_) stream_.SetPosition(streamPos_);
    while (z_->s.avail_out > 0 && !ended_) {
        if (z_->s.avail_in == 0) {
            Integer got = stream_.Read(buffer_.data(), BufferSize);
            if (got <= 0) break;  // source exhausted: deliver what we have
            z_->s.next_in = buffer_.data();
            z_->s.avail_in = static_cast<uInt>(got);
            streamPos_ = stream_.Position();
            Progress();
        }
        if (DCheck(inflate(&z_->s, Z_NO_FLUSH)) == Z_STREAM_END) ended_ = true;
    }
    if (ended_ && z_->s.avail_in > 0) {
        // Leave the source right after the compressed data.
        stream_.Seek(-static_cast<Int64>(z_->s.avail_in), soCurrent);
        streamPos_ = stream_.Position();
        z_->s.avail_in = 0;
    }
    return count - static_cast<Integer>(z_->s.avail_out);
}

Integer TDecompressionStream::Write(const void*, Integer) {
    throw EZDecompressionError(SdeInvalidZStreamOperation);
}

void TDecompressionStream::Skip(Int64 count) {
    char block[8192];
    while (count > 0) {
        Integer want = static_cast<Integer>(std::min<Int64>(count, sizeof block));
        Integer got = Read(block, want);
        if (got <= 0) break;  // the data ends before the target
        count -= got;
    }
}

Int64 TDecompressionStream::Seek(Int64 offset, TSeekOrigin origin) {
    Int64 delivered = static_cast<Int64>(z_->s.total_out);
    if (offset == 0 && origin == soBeginning) {
        DCheck(inflateReset(&z_->s));
        z_->s.next_in = buffer_.data();
        z_->s.avail_in = 0;
        ended_ = false;
        stream_.SetPosition(0);
        streamPos_ = 0;
    } else if (offset >= 0 && origin == soCurrent) {
        Skip(offset);
    } else if (origin == soBeginning && offset > delivered) {
        Skip(offset - delivered);
    } else if (offset == 0 && origin == soEnd) {
        char block[8192];
        while (Read(block, sizeof block) > 0) {
        }
    } else {
        throw EZDecompressionError(SdeInvalidZStreamOperation);
    }
    return static_cast<Int64>(z_->s.total_out);
}

Int64 TDecompressionStream::Size() { throw EZDecompressionError(SdeInvalidZStreamOperation); }

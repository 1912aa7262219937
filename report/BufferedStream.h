#pragma once
// A read buffer in front of a stream: the snapshot reader asks for a few
// bytes at a time, and a file stream would turn each of those into a system
// call. Writing is not supported.

#include <vector>

#include "platform/core/Streams.h"

class TBufferedReadStream : public TStream {
public:
    // The source stays owned by the caller and must not change size while
    // it is read through this stream.
    explicit TBufferedReadStream(TStream& source, Integer bufferSize = 65536);

    Integer Read(void* buffer, Integer count) override;
    Integer Write(const void* buffer, Integer count) override;
    Int64 Seek(Int64 offset, TSeekOrigin origin) override;
    Int64 Size() override { return size_; }

private:
    TStream& source_;
    std::vector<char> buffer_;
    Int64 size_;
    Int64 pos_;
    Int64 bufferStart_ = 0;  // source position of buffer_[0]
    Integer bufferLength_ = 0;
};

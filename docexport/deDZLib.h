#pragma once
// Streams that deflate what is written to them into a target stream, or
// inflate a source stream as it is read, through zlib.

#include <functional>
#include <memory>
#include <vector>

#include "platform/core/Exception.h"
#include "platform/core/Object.h"
#include "platform/core/Streams.h"

class EZLibError : public Exception { using Exception::Exception; };
class EZCompressionError : public EZLibError { using EZLibError::EZLibError; };
class EZDecompressionError : public EZLibError { using EZLibError::EZLibError; };

// zlib's level for a level index 0-3 (none, fastest, default, best);
// indexes outside the range are limited to it.
int ZLibLevel(int levelIndex);
// The text for a zlib return code ("data error", ...); empty for 0.
std::string ZLibErrorText(int code);

class TCustomZStream : public TStream {
public:
    ~TCustomZStream() override;
    // Fired whenever a buffer full of data has moved to or from the stream.
    std::function<void(TStream* sender)> OnProgress;

protected:
    explicit TCustomZStream(TStream& stream);
    void Progress() {
        if (OnProgress) OnProgress(this);
    }

    static constexpr int BufferSize = 65536;
    TStream& stream_;
    Int64 streamPos_ = 0;  // position of stream_ when last used
    struct ZState;
    std::unique_ptr<ZState> z_;
    std::vector<unsigned char> buffer_;
};

class TCompressionStream : public TCustomZStream {
public:
    // levelIndex 0-3 (see ZLibLevel); target is not owned.
    TCompressionStream(int levelIndex, TStream& target);
    // Finishes the stream when Finish was not called; errors are then lost,
    // so callers that must know call Finish.
    ~TCompressionStream() override;

    Integer Write(const void* buffer, Integer count) override;
    // Raises EZCompressionError.
    Integer Read(void* buffer, Integer count) override;
    // Only (0, soCurrent): the number of bytes written so far.
    Int64 Seek(Int64 offset, TSeekOrigin origin) override;
    Int64 Size() override;

    // Flushes the rest of the compressed data into the target and ends the
    // stream; later writes raise. Raises on zlib or target errors.
    void Finish();

private:
    void FlushBuffer(std::size_t count);
    bool finished_ = false;
};

class TDecompressionStream : public TCustomZStream {
public:
    // source is not owned; reading starts at its current position.
    explicit TDecompressionStream(TStream& source);
    ~TDecompressionStream() override;

    Integer Read(void* buffer, Integer count) override;
    // Raises EZDecompressionError.
    Integer Write(const void* buffer, Integer count) override;
    // (0, soBeginning) restarts; forward moves skip decompressed bytes; (0,
    // soEnd) reads to the end. Returns the bytes delivered so far.
    Int64 Seek(Int64 offset, TSeekOrigin origin) override;
    Int64 Size() override;

private:
    void Skip(Int64 count);
    bool ended_ = false;
};

#include "report/BufferedStream.h"

#include <algorithm>
#include <cstring>

#include "platform/core/Exception.h"

TBufferedReadStream::TBufferedReadStream(TStream& source, Integer bufferSize)
    : source_(source), buffer_(size_t(std::max<Integer>(bufferSize, 16))), size_(source.Size()),
      pos_(source.Position()) {}

Integer TBufferedReadStream::Read(void* buffer, Integer count) {
    if (count <= 0 || pos_ >= size_) return 0;
    char* out = static_cast<char*>(buffer);
    Integer done = 0;
    while (done < count && pos_ < size_) {
        if (pos_ < bufferStart_ || pos_ >= bufferStart_ + bufferLength_) {
            Integer wanted = count - done;
            // Large reads bypass the buffer.
            if (wanted >= Integer(buffer_.size())) {
                source_.SetPosition(pos_);
                Integer n = source_.Read(out + done, wanted);
                if (n <= 0) break;
                done += n;
                pos_ += n;
                continue;
            }
            source_.SetPosition(pos_);
            bufferStart_ = pos_;
            bufferLength_ = std::max<Integer>(0, source_.Read(buffer_.data(), Integer(buffer_.size())));
            if (bufferLength_ == 0) break;
        }
        Integer offset = Integer(pos_ - bufferStart_);
        Integer n = std::min(count - done, bufferLength_ - offset);
        std::memcpy(out + done, buffer_.data() + offset, size_t(n));
        done += n;
        pos_ += n;
    }
    return done;
}

Integer TBufferedReadStream::Write(const void*, Integer) { return 0; }

Int64 TBufferedReadStream::Seek(Int64 offset, TSeekOrigin origin) {
    Int64 base = origin == soBeginning ? 0 : origin == soCurrent ? pos_ : size_;
    pos_ = std::max<Int64>(0, base + offset);
    return pos_;
}

#include "reportproject/VzCmHuff.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/Streams.h"
#include "reportproject/VizeException.h"

namespace {

constexpr std::uint16_t kNone = 0xFFFF;
constexpr Integer kChunk = 1024;
constexpr std::size_t kWriteThreshold = 1020;

struct CodecParams {
    int clear;      // 2^m
    int end;        // clear + 1
    int initWidth;  // m + 1, at least 3 when m + 1 is 2
    int maxBits;
};

CodecParams MakeParams(int symbolBits, int maxBits) {
    if (symbolBits < 1 || symbolBits > 8) RaiseVizeError("Invalid compression parameters.");
    CodecParams p{};
    p.clear = 1 << symbolBits;
    p.end = p.clear + 1;
    p.initWidth = symbolBits + 1 == 2 ? 3 : symbolBits + 1;
    p.maxBits = maxBits;
    if (maxBits < p.initWidth || maxBits > 15) RaiseVizeError("Invalid compression parameters.");
    return p;
}

// Packs codes most significant bit first and hands full bytes on in
// batches.
class BitWriter {
public:
    explicit BitWriter(const TCodecWrite& write) : write_(write) { pending_.reserve(kChunk); }

    void Put(int code, int width) {
        for (int bit = width - 1; bit >= 0; --bit) {
            if ((code >> bit) & 1) current_ |= static_cast<Byte>(0x80 >> used_);
            if (++used_ == 8) {
                pending_.push_back(current_);
                current_ = 0;
                used_ = 0;
                if (pending_.size() > kWriteThreshold) Drain();
            }
        }
    }

    // Completes the last byte with zero bits and writes everything.
    void Finish() {
        if (used_ > 0) {
            pending_.push_back(current_);
            current_ = 0;
            used_ = 0;
        }
        Drain();
    }

private:
    void Drain() {
        if (!pending_.empty()) write_(pending_.data(), static_cast<Integer>(pending_.size()));
        pending_.clear();
    }

    const TCodecWrite& write_;
    std::vector<Byte> pending_;
    Byte current_ = 0;
    int used_ = 0;
};

// Reads codes most significant bit first from the input in chunks.
class BitReader {
public:
    explicit BitReader(const TCodecRead& read) : read_(read), buffer_(kChunk) {}

    // False when the input ends before a whole code.
    bool Get(int width, int& code) {
        while (bitCount_ < width) {
            if (pos_ >= size_) {
                if (ended_) return false;
                const Integer got = read_(buffer_.data(), kChunk);
                if (got <= 0) {
                    ended_ = true;
                    return false;
                }
                size_ = std::min<Integer>(got, kChunk);
                pos_ = 0;
            }
            bits_ = (bits_ << 8) | buffer_[static_cast<std::size_t>(pos_++)];
            bitCount_ += 8;
        }
        bitCount_ -= width;
        code = static_cast<int>((bits_ >> bitCount_) & ((1u << width) - 1));
        bits_ &= (1u << bitCount_) - 1;
        return true;
    }

private:
    const TCodecRead& read_;
    std::vector<Byte> buffer_;
    Integer size_ = 0;
    Integer pos_ = 0;
    bool ended_ = false;
    std::uint32_t bits_ = 0;
    int bitCount_ = 0;
};

// The coder's dictionary: each entry keeps its last byte, its first child
// and its next sibling, siblings in ascending byte order.
class CoderDictionary {
public:
    explicit CoderDictionary(const CodecParams& p)
        : p_(p), chars_(std::size_t(1) << p.maxBits), child_(chars_.size()), sibling_(chars_.size()) {
        Reset();
    }

    void Reset() {
        width = p_.initWidth;
        limit_ = 1 << width;
        last_ = p_.end;
        full = false;
        for (int i = 0; i <= p_.end; ++i) {
            chars_[i] = static_cast<Byte>(i);
            child_[i] = kNone;
            sibling_[i] = kNone;
        }
    }

    // The code of prefix followed by c, or -1.
    int Find(int prefix, Byte c) const {
        if (prefix < 0) return c;
        for (std::uint16_t q = child_[prefix]; q != kNone; q = sibling_[q]) {
            if (chars_[q] > c) break;
            if (chars_[q] == c) return q;
        }
        return -1;
    }

    void Add(int prefix, Byte c) {
        const int n = last_ + 1;
        if (n == limit_ && width < p_.maxBits) {
            ++width;
            limit_ <<= 1;
        }
        if (width == p_.maxBits && n == (1 << p_.maxBits) - 1) full = true;
        chars_[n] = c;
        child_[n] = kNone;
        sibling_[n] = kNone;
        const std::uint16_t first = child_[prefix];
        if (first == kNone || c < chars_[first]) {
            sibling_[n] = first;
            child_[prefix] = static_cast<std::uint16_t>(n);
        } else {
            std::uint16_t q = first;
            while (sibling_[q] != kNone && chars_[sibling_[q]] < c) q = sibling_[q];
            sibling_[n] = sibling_[q];
            sibling_[q] = static_cast<std::uint16_t>(n);
        }
        last_ = n;
    }

    // The width the expander reads the next code at once it has caught up
    // with this dictionary (it grows one code earlier).
    int ExpanderWidth() const {
        return (last_ == (1 << width) - 1 && width < p_.maxBits) ? width + 1 : width;
    }

    int width = 0;
    bool full = false;

private:
    const CodecParams& p_;
    std::vector<Byte> chars_;
    std::vector<std::uint16_t> child_;
    std::vector<std::uint16_t> sibling_;
    int limit_ = 0;
    int last_ = 0;
};

// The expander's dictionary: each entry keeps its prefix code, its last
// byte and the length of its string.
class ExpanderDictionary {
public:
    explicit ExpanderDictionary(const CodecParams& p)
        : p_(p), prefix_(std::size_t(1) << p.maxBits), chars_(prefix_.size()), length_(prefix_.size()),
          work_(prefix_.size() + 1) {
        Reset();
    }

    void Reset() {
        width = p_.initWidth;
        last = p_.end;
        for (int i = 0; i <= p_.end; ++i) {
            prefix_[i] = kNone;
            chars_[i] = static_cast<Byte>(i);
            length_[i] = 1;
        }
    }

    // The string of an assigned code, in the work area; returns its length.
    int StringOf(int code) {
        const int len = length_[code];
        int at = len;
        for (int c = code; at > 0; c = prefix_[c]) work_[--at] = chars_[c];
        return len;
    }

    void Add(int prefix, Byte c) {
        const int n = last + 1;
        if (n == (1 << width) - 1) {
            if (width == p_.maxBits) RaiseVizeError("Hash Table overflow.");
            ++width;
        }
        prefix_[n] = static_cast<std::uint16_t>(prefix);
        chars_[n] = c;
        length_[n] = static_cast<std::uint16_t>(length_[prefix] + 1);
        last = n;
    }

    Byte* Work() { return work_.data(); }

    int width = 0;
    int last = 0;

private:
    const CodecParams& p_;
    std::vector<std::uint16_t> prefix_;
    std::vector<Byte> chars_;
    std::vector<std::uint16_t> length_;
    std::vector<Byte> work_;
};

class ChunkWriter {
public:
    explicit ChunkWriter(const TCodecWrite& write) : write_(write) { pending_.reserve(kChunk); }
    void Put(const Byte* data, int count) {
        for (int i = 0; i < count; ++i) {
            pending_.push_back(data[i]);
            if (pending_.size() == static_cast<std::size_t>(kChunk)) Flush();
        }
    }
    void Flush() {
        if (!pending_.empty()) write_(pending_.data(), static_cast<Integer>(pending_.size()));
        pending_.clear();
    }

private:
    const TCodecWrite& write_;
    std::vector<Byte> pending_;
};

[[noreturn]] void CorruptData() { RaiseVizeError("Corrupt compressed data."); }

}  // namespace

void Compress(int symbolBits, int maxBits, const TCodecRead& read, const TCodecWrite& write) {
    const CodecParams p = MakeParams(symbolBits, maxBits);
    CoderDictionary dict(p);
    BitWriter out(write);
    out.Put(p.clear, dict.width);

    std::vector<Byte> chunk(kChunk);
    int prefix = -1;
    bool any = false;
    for (;;) {
        const Integer got = read(chunk.data(), kChunk);
        if (got <= 0) break;
        const Integer count = std::min<Integer>(got, kChunk);
        for (Integer i = 0; i < count; ++i) {
            const Byte c = chunk[static_cast<std::size_t>(i)];
            if (c >= p.clear) RaiseVizeError("Invalid compression parameters.");
            any = true;
            const int code = dict.Find(prefix, c);
            if (code >= 0) {
                prefix = code;
                continue;
            }
            out.Put(prefix, dict.width);
            dict.Add(prefix, c);
            if (dict.full) {
                out.Put(p.clear, dict.width);
                dict.Reset();
            }
            prefix = c;
        }
    }
    if (any) out.Put(prefix, dict.width);
    // The expander has added one more entry by the time it reads the end
    // code, so the end code goes out at the width it will read.
    out.Put(p.end, dict.ExpanderWidth());
    out.Finish();
}

void Expand(int symbolBits, int maxBits, const TCodecRead& read, const TCodecWrite& write) {
    const CodecParams p = MakeParams(symbolBits, maxBits);
    ExpanderDictionary dict(p);
    BitReader in(read);
    ChunkWriter out(write);
    struct FlushOnExit {
        ChunkWriter& w;
        ~FlushOnExit() {
            try {
                w.Flush();
            } catch (...) {
            }
        }
    } flushOnExit{out};

    int previous = -1;
    int code = 0;
    while (in.Get(dict.width, code)) {
        if (code == p.clear) {
            dict.Reset();
            previous = -1;
            continue;
        }
        if (code == p.end) break;
        if (previous < 0) {
            // The first code after a clear is always a single byte.
            if (code > p.clear) CorruptData();
            const int len = dict.StringOf(code);
            out.Put(dict.Work(), len);
            previous = code;
            continue;
        }
        int len;
        if (code > dict.last) {
            // Only the code about to be assigned may be used before it
            // exists: the previous string followed by its own first byte.
            if (code != dict.last + 1) CorruptData();
            len = dict.StringOf(previous);
            dict.Work()[len] = dict.Work()[0];
            ++len;
        } else {
            len = dict.StringOf(code);
        }
        out.Put(dict.Work(), len);
        dict.Add(previous, dict.Work()[0]);
        previous = code;
    }
    out.Flush();
}

// ------------------------------------------------------------ selector

namespace {

constexpr Integer kMaxTransfer = 65535;

TCodecRead StreamReader(TStream& source) {
    return [&source](void* buffer, Integer count) {
        return source.Read(buffer, std::min(count, kMaxTransfer));
    };
}

TCodecWrite StreamWriter(TStream& dest) {
    return [&dest](const void* buffer, Integer count) {
        const Byte* bytes = static_cast<const Byte*>(buffer);
        while (count > 0) {
            const Integer part = std::min(count, kMaxTransfer);
            dest.WriteBuffer(bytes, part);
            bytes += part;
            count -= part;
        }
    };
}

void CopyRest(TStream& source, TStream& dest) {
    const Int64 rest = source.Size() - source.Position();
    if (rest > 0) dest.CopyFrom(source, rest);
}

[[noreturn]] void UnknownMethod(Byte method) {
    RaiseVizeErrorFmt("Unknown compression method %s", std::to_string(method));
}

TBlockCodecProc& CompressHook() {
    static TBlockCodecProc hook = DefaultCompressBlock;
    return hook;
}

TBlockCodecProc& ExpandHook() {
    static TBlockCodecProc hook = DefaultExpandBlock;
    return hook;
}

}  // namespace

void DefaultCompressBlock(Byte method, TStream& source, TStream& dest) {
    if (method == cmStored)
        CopyRest(source, dest);
    else if (method == cmCompressed)
        Compress(8, 13, StreamReader(source), StreamWriter(dest));
    else
        UnknownMethod(method);
}

void DefaultExpandBlock(Byte method, TStream& source, TStream& dest) {
    if (method == cmStored)
        CopyRest(source, dest);
    else if (method == cmCompressed)
        Expand(8, 13, StreamReader(source), StreamWriter(dest));
    else
        UnknownMethod(method);
}

void SetBlockCodec(TBlockCodecProc compress, TBlockCodecProc expand) {
    CompressHook() = compress ? std::move(compress) : TBlockCodecProc(DefaultCompressBlock);
    ExpandHook() = expand ? std::move(expand) : TBlockCodecProc(DefaultExpandBlock);
}

void CompressBlock(Byte method, TStream& source, TStream& dest) { CompressHook()(method, source, dest); }

void ExpandBlock(Byte method, TStream& source, TStream& dest) { ExpandHook()(method, source, dest); }

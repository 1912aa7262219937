#pragma once
// Block compression of project streams: a Lempel-Ziv-Welch dictionary coder
// with variable code width, a clear code and an end code, working between a
// read and a write procedure; and the compression selector that stores
// (method 0) or compresses (method 2) a block.
//
// Compressed form: codes packed most significant bit first, beginning with
// the clear code 2^m, ending with the end code 2^m + 1, then zero bits up to
// the next byte boundary. Codes start at width m + 1 and grow up to maxBits;
// the coder writes a clear code and starts over before the dictionary
// overflows.

#include <functional>

#include "platform/core/Types.h"

class TStream;

// Places up to count bytes in buffer; returns how many (0 at the end).
using TCodecRead = std::function<Integer(void* buffer, Integer count)>;
// Consumes count bytes.
using TCodecWrite = std::function<void(const void* buffer, Integer count)>;

// symbolBits m: 1 to 8; every input byte must be below 2^m. maxBits: from
// the initial width up to 15. Other parameters raise EVizeException.
void Compress(int symbolBits, int maxBits, const TCodecRead& read, const TCodecWrite& write);
// Raises EVizeException "Hash Table overflow." when the dictionary fills
// without a clear code, and "Corrupt compressed data." for a code that
// names no entry yet; the output written before the fault stays written.
void Expand(int symbolBits, int maxBits, const TCodecRead& read, const TCodecWrite& write);

// Compression methods of a block.
inline constexpr Byte cmStored = 0;
inline constexpr Byte cmCompressed = 2;

// The compression selector: method 0 copies source from its position to its
// end into dest; method 2 compresses (expands) it with m = 8 and
// maxBits = 13. Any other method raises EVizeException "Unknown compression
// method <n>".
void CompressBlock(Byte method, TStream& source, TStream& dest);
void ExpandBlock(Byte method, TStream& source, TStream& dest);

// The selector is replaceable; these are the procedures installed at
// start-up.
using TBlockCodecProc = std::function<void(Byte method, TStream& source, TStream& dest)>;
void SetBlockCodec(TBlockCodecProc compress, TBlockCodecProc expand);
void DefaultCompressBlock(Byte method, TStream& source, TStream& dest);
void DefaultExpandBlock(Byte method, TStream& source, TStream& dest);

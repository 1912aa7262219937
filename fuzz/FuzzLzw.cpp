// The block compression codec: any bytes expand or are refused with the
// project's error and without unbounded output, and any bytes compress and
// expand back to themselves.
#include "fuzz/FuzzTargets.h"

#include <algorithm>

#include "reportproject/VizeException.h"
#include "reportproject/VzCmHuff.h"

namespace {
constexpr const char* kTarget = "lzw";
// Far beyond what a block expands to; a decoder writing more is looping.
constexpr std::size_t kOutputLimit = 64u << 20;

std::string Run(bool compress, const std::string& input, int symbolBits, int maxBits) {
    std::size_t pos = 0;
    std::string out;
    auto read = [&](void* buffer, Integer count) -> Integer {
        const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(count), input.size() - pos);
        std::copy_n(input.data() + pos, n, static_cast<char*>(buffer));
        pos += n;
        return static_cast<Integer>(n);
    };
    auto write = [&](const void* buffer, Integer count) {
        out.append(static_cast<const char*>(buffer), static_cast<std::size_t>(count));
        FUZZ_CHECK(kTarget, out.size() <= kOutputLimit);
    };
    if (compress)
        Compress(symbolBits, maxBits, read, write);
    else
        Expand(symbolBits, maxBits, read, write);
    return out;
}
}  // namespace

void FuzzLzw(const std::string& input) {
    try {
        Run(false, input, 8, 13);
    } catch (const EVizeException&) {
    }
    FUZZ_CHECK(kTarget, Run(false, Run(true, input, 8, 13), 8, 13) == input);
}

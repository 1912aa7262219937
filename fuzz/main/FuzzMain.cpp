// One libFuzzer program: OMR_FUZZ_ENTRY names the entry it drives. A
// broken check aborts, so libFuzzer records the input as a crash.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        OMR_FUZZ_ENTRY(std::string(reinterpret_cast<const char*>(data), size));
    } catch (const EFuzzCheckFailed& e) {
        std::fprintf(stderr, "%s\n", e.what());
        std::abort();
    }
    return 0;
}

// The grid's cell-data stream, read whole and through a column map. What
// reads is written, read into a fresh store and written again: both
// writes agree.
#include "fuzz/FuzzTargets.h"

#include "grid/Tts2DStorage.h"
#include "platform/core/Exception.h"
#include "platform/core/Streams.h"

namespace {
constexpr const char* kTarget = "gridcells";

std::string Written(const Tts2DStorage& store) {
    TStringStream s;
    store.WriteCellData(s);
    return s.DataString();
}

bool Read(Tts2DStorage& store, const std::string& bytes, const std::vector<Integer>* map) {
    TStringStream s(bytes);
    try {
        store.ReadCellData(s, map);
    } catch (const Exception&) {
        return false;
    }
    return true;
}
}  // namespace

void FuzzGridCells(const std::string& input) {
    FuzzEnsureGui();
    Tts2DStorage store(2, 2);
    if (Read(store, input, nullptr)) {
        const std::string first = Written(store);
        Tts2DStorage back(2, 2);
        FUZZ_CHECK(kTarget, Read(back, first, nullptr));
        FUZZ_CHECK(kTarget, Written(back) == first);
    }
    const std::vector<Integer> map = {2, 0, 1, -3};
    Tts2DStorage mapped(2, 2);
    Read(mapped, input, &map);
    Written(mapped);
}

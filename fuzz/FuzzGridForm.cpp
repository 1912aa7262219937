// The grid as a form-file component. A component that loads is written,
// loaded into a fresh grid and written again: both writes agree. A refused
// one leaves the grid out of its loading state, and what it then holds
// writes and reads back the same way.
#include "fuzz/FuzzTargets.h"
#include "fuzz/FuzzShotGrid.h"

#include "grid/GridForm.h"
#include "platform/core/Exception.h"
#include "platform/core/Streams.h"

namespace {
constexpr const char* kTarget = "gridform";

std::string Written(TgrBaseGrid& grid) {
    TStringStream s;
    SaveGridToFormStream(grid, s);
    return s.DataString();
}

void CheckRoundTrip(TgrBaseGrid& grid) {
    const std::string first = Written(grid);
    auto back = FuzzShotGrid();
    TStringStream s(first);
    LoadGridFromFormStream(*back, s);
    FUZZ_CHECK(kTarget, Written(*back) == first);
}
}  // namespace

void FuzzGridForm(const std::string& input) {
    FuzzEnsureGui();
    auto grid = FuzzShotGrid();
    try {
        TStringStream s(input);
        LoadGridFromFormStream(*grid, s);
    } catch (const Exception&) {
        FUZZ_CHECK(kTarget, !grid->ComponentState().Contains(csLoading));
        FUZZ_CHECK(kTarget, !grid->IsReading());
    }
    CheckRoundTrip(*grid);
}

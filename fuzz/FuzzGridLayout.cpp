// Grid layout streams. A layout that loads is saved, loaded into a fresh
// grid and saved again: both saves agree. The first byte chooses whether
// columns are matched by data column.
#include "fuzz/FuzzTargets.h"

#include <memory>

#include "fuzz/FuzzShotGrid.h"
#include "platform/core/Exception.h"
#include "platform/core/Streams.h"

namespace {
constexpr const char* kTarget = "gridlayout";

std::string Saved(TgrBaseGrid& grid) {
    TStringStream s;
    grid.SaveLayoutToStreamAll(s, true);
    return s.DataString();
}
}  // namespace

void FuzzGridLayout(const std::string& input) {
    if (input.empty()) return;
    FuzzEnsureGui();
    const bool byDataCol = input[0] & 1;
    auto grid = FuzzShotGrid();
    try {
        TStringStream s(input.substr(1));
        grid->LoadLayoutFromStream(s, byDataCol);
    } catch (const Exception&) {
        return;
    }
    const std::string first = Saved(*grid);
    auto back = FuzzShotGrid();
    TStringStream s(first);
    back->LoadLayoutFromStream(s, byDataCol);
    FUZZ_CHECK(kTarget, Saved(*back) == first);
}

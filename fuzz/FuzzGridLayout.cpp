// Grid layout streams. A layout that loads is saved, loaded into a fresh
// grid and saved again: both saves agree. The first byte chooses whether
// columns are matched by data column.
#include "fuzz/FuzzTargets.h"

#include <memory>

#include "tools/gridshot/GridShot.h"
#include "platform/core/Exception.h"
#include "platform/core/Streams.h"

namespace {
constexpr const char* kTarget = "gridlayout";

// The plain grid of the screenshot harness: values kept by the grid.
std::unique_ptr<TgrBaseGrid> Grid() {
    auto grid = std::make_unique<TgrShotGrid>(nullptr);
    grid->SetName("Grid1");
    return grid;
}

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
    auto grid = Grid();
    try {
        TStringStream s(input.substr(1));
        grid->LoadLayoutFromStream(s, byDataCol);
    } catch (const Exception&) {
        return;
    }
    const std::string first = Saved(*grid);
    auto back = Grid();
    TStringStream s(first);
    back->LoadLayoutFromStream(s, byDataCol);
    FUZZ_CHECK(kTarget, Saved(*back) == first);
}

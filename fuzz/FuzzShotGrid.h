#pragma once
// The plain grid of the screenshot harness that the grid entries read into:
// values kept by the grid, named as a form names its first grid.

#include <memory>

#include "tools/gridshot/GridShot.h"

inline std::unique_ptr<TgrShotGrid> FuzzShotGrid() {
    auto grid = std::make_unique<TgrShotGrid>(nullptr);
    grid->SetName("Grid1");
    return grid;
}

// Hooks through which a descendant grid replaces parts of the grid class
// with its own (the data-aware grid names its records instead of rows).

#include "grid/TSGrid.h"

void TgrBaseGrid::InstallCurrentCell(std::unique_ptr<TgrCurrentCell> cell) {
    if (!cell) return;
    currentCell_ = std::move(cell);
}

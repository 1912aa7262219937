// Hooks through which a descendant grid replaces parts of the grid class
// with its own (the data-aware grid names its records instead of rows).

#include "grid/TSGrid.h"

void TgrBaseGrid::InstallCurrentCell(std::unique_ptr<TgrCurrentCell> cell) {
    if (!cell) return;
    currentCell_ = std::move(cell);
}

bool TgrBaseGrid::TakeDateTimeValue(const Variant& value, bool accept) {
    Integer col = CurrentDataCol(), row = CurrentDataRow();
    TgrDateTimeDefComponent* def = HasCurrentCell() ? EffectiveDateTimeDef(col, row) : nullptr;
    bool taken = false;
    if (accept && HasCurrentCell()) {
        Variant picked = value;
        FireDateTimeGetValue(def, col, row, picked);
        taken = currentCell_->SetValue(picked, true, true);
    }
    FireDateTimeRollUp(def, col, row);
    return taken;
}

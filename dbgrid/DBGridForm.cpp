// The data-aware grid copied from another grid.

#include "dbgrid/DBGrid.h"
#include "platform/core/Format.h"

void TgrCustomDBGrid::Assign(const TPersistent* source) {
    // Only another data-aware grid's layout fits: its columns are fields
    // and its properties are kept by record.
    if (!dynamic_cast<const TgrCustomDBGrid*>(source))
        RaiseGridError(Format("Cannot assign %s to %s",
                              {source ? source->ClassName() : std::string("nil"), ClassName()}));
    TgrBaseGrid::Assign(source);
}

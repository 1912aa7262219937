// The data-aware grid's layouts: its stream component and the grids it
// does layout work with.

#include "dbgrid/DBGridStream.h"

#include "platform/core/Strings.h"

bool TgrDBGridStreamComponent::DataBound() const {
    TgrCustomDBGrid* g = DBGrid();
    return g && g->DataBound();
}

void TgrDBGridStreamComponent::SetDataBound(bool value) {
    streamedDataBound_ = value;
    if (TgrCustomDBGrid* g = DBGrid()) g->SetStreamedDataBound(value);
}

void TgrDBGridStreamComponent::GridRead() {
    if (TgrCustomDBGrid* g = DBGrid()) g->SetStreamedDataBound(streamedDataBound_);
}

void TgrDBGridStreamComponent::WritePublished(TWriter& w) {
    TgrGridStreamComponent::WritePublished(w);
    w.WriteString("DataBound");
    w.WriteBoolean(DataBound());
}

bool TgrDBGridStreamComponent::ReadPublished(const std::string& name, TReader& r) {
    if (!SameText(name, "DataBound")) return TgrGridStreamComponent::ReadPublished(name, r);
    SetDataBound(r.ReadBoolean());
    return true;
}

void TgrDBGridStreamComponent::ResetLayoutProperties(TgrPropKinds kinds, const TgrPropIdSet& ids) {
    TgrGridStreamComponent::ResetLayoutProperties(kinds, ids);
    TgrCustomDBGrid* g = DBGrid();
    if (!g || !g->DataBound() || ids.Empty()) return;
    if (kinds & PropKindBit(pkRows)) g->ResetRowProperties(ids);
    if (kinds & PropKindBit(pkCells)) g->ResetCellProperties(ids);
}

void TgrDBGridStreamComponent::Loaded() {
    TgrCustomDBGrid* g = DBGrid();
    if (!g) return;
    g->SetStreamedDataBound(false);
    g->ApplyStreamedProperties(false);
}

void TgrDBGridStreamComponent::ReadAborted() {
    TgrCustomDBGrid* g = DBGrid();
    if (!g) return;
    g->SetStreamedDataBound(false);
    g->StreamedRecordRows().clear();
    g->StreamedRecordCells().clear();
}

// ---------------------------------------------------------------- grid

std::unique_ptr<TgrGridStreamComponent> TgrCustomDBGrid::CreateStreamComponent() {
    return std::make_unique<TgrDBGridStreamComponent>(this);
}

TgrBaseGrid* TgrCustomDBGrid::CreateLayoutGrid() {
    // Bound to the same data source, so that a layout reset to a new
    // grid's keeps the grid on its dataset.
    auto* grid = new TgrDBGrid(nullptr);
    if (DataSource() && !OwnsDataSource()) grid->SetDataSource(DataSource());
    return grid;
}

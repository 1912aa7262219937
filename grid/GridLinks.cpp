// The grid's links: what a change or the end of a definition component
// does to the grid.

#include "grid/GridLinks.h"

#include "grid/TSGrid.h"

void TgrGridImageLink::ImageListChanged() {
    if (grid_) grid_->ImageListDataChanged();
}

void TgrGridImageLink::ImageListRemoved() {
    if (grid_) grid_->ImageListChanged();
}

TgrGridDateTimeLink::~TgrGridDateTimeLink() {
    for (auto& [comp, count] : attached_) comp->RemoveLink(this, true);
}

void TgrGridDateTimeLink::Attach(TgrDateTimeDefComponent* comp) {
    if (!comp) return;
    TgrDateTimeLink::Attach(comp);
    ++attached_[comp];
}

void TgrGridDateTimeLink::Detach(TgrDateTimeDefComponent* comp) {
    auto it = attached_.find(comp);
    if (!comp || it == attached_.end()) return;
    TgrDateTimeLink::Detach(comp);
    if (--it->second <= 0) attached_.erase(it);
}

void TgrGridDateTimeLink::DateTimeDefRemoved(TgrDateTimeDefComponent* comp) {
    if (!grid_) return;
    grid_->DateTimeDefRemoved(comp);
    grid_->ReleaseDateTimeDef(comp);
    // Whatever references were not released, the component is gone.
    if (attached_.erase(comp)) comp->RemoveLink(this, true);
}

// ------------------------------------------------------------ the grid's side

void TgrBaseGrid::DateTimeDefRemoved(TgrDateTimeDefComponent* def) {
    if (def && def == editorDateTimeDef_) ResetDateTimeEditor();
}

void TgrBaseGrid::ReleaseDateTimeDef(TgrDateTimeDefComponent* def) {
    if (!def) return;
    if (dateTimeDef_ == def) SetDateTimeDef(nullptr);
    for (Integer c = 0; gridCols_ && c < gridCols_->Count(); ++c)
        if (TgrCol* col = gridCols_->ColAt(c); col && col->DateTimeDef() == def) col->SetDateTimeDef(nullptr);
    ReleaseRowDateTimeDef(def);
    ReleaseCellDateTimeDef(def);
}

void TgrBaseGrid::ReleaseRowDateTimeDef(TgrDateTimeDefComponent* def) {
    for (Integer r = 0; gridRows_ && r < gridRows_->Count(); ++r)
        if (TgrRow* row = gridRows_->GetRow(r); row && row->DateTimeDef() == def) row->SetDateTimeDef(nullptr);
}

void TgrBaseGrid::ReleaseCellDateTimeDef(TgrDateTimeDefComponent* def) {
    if (!cellProps_) return;
    std::unique_ptr<TgrSetList> list(cellProps_->CreateOrderedList());
    for (int i = 1; list && i <= list->Count(); ++i)
        if (auto* e = dynamic_cast<TgrCellElement*>(static_cast<TgrSetElement*>(list->GetItem(i)));
            e && e->DateTimeDef == def)
            e->SetDateTimeDef(nullptr);
}

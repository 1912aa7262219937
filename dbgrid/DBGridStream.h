#pragma once
// The data-aware grid's layout stream component: the grid class's layout
// component with the published "DataBound". A layout written from a bound
// grid names its rows and cells by record; reading it, those properties
// wait, like a form file's, until the grid's dataset is open.

#include "dbgrid/DBGrid.h"
#include "grid/GridStream.h"

class TgrDBGridStreamComponent : public TgrGridStreamComponent {
public:
    explicit TgrDBGridStreamComponent(TgrCustomDBGrid* grid) : TgrGridStreamComponent(grid) {}

    // The grid's data-bound flag; set, it becomes the grid's streamed flag,
    // which makes the row and cell collections read records.
    bool DataBound() const;
    void SetDataBound(bool value);

    void WritePublished(TWriter& writer) override;
    bool ReadPublished(const std::string& name, TReader& reader) override;
    // Bound, the properties kept by record are reset too.
    void ResetLayoutProperties(TgrPropKinds kinds, const TgrPropIdSet& ids) override;
    // Clears the streamed flag and applies what was read by record for the
    // grid's present binding.
    void Loaded() override;
    // A damaged layout leaves nothing waiting and the flag cleared.
    void ReadAborted() override;

protected:
    // The grid's own loading ended with "Grid": the flag read holds again
    // for the collections that follow.
    void GridRead() override;

private:
    TgrCustomDBGrid* DBGrid() const { return dynamic_cast<TgrCustomDBGrid*>(grid_); }
    bool streamedDataBound_ = false;
};

#pragma once
// The data-aware grid's current cell. Its value is the current record's:
// loading reads the record's field, setting a value while the cell is off
// screen writes it into the record, the insert row of gmEditInsert is a
// record appended to the dataset, and making the cell visible brings the
// current record into view. Not data bound it is the grid's own current
// cell.

#include "grid/GridSelection.h"

class TgrCustomDBGrid;

class TgrDBCurrentCell : public TgrCurrentCell {
public:
    explicit TgrDBCurrentCell(TgrCustomDBGrid* grid);

    void LoadValue() override;
    // 0 unless the grid can edit.
    Integer GetTextHeight() override;
    Integer GetTextLineCount() override;
    // Data bound without an open dataset: False. Off screen the value goes
    // into the current record's field and OnCellEdit fires.
    bool SetValue(const Variant& value, bool startEdit, bool refresh) override;
    // In gmEditInsert a record is appended and the column's cell of it
    // becomes current.
    void MoveToInsertRow(Integer dataCol) override;
    void MakeVisible() override;

private:
    TgrCustomDBGrid* dbGrid_;
};

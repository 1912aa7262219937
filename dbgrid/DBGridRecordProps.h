#pragma once
// The per-record property stores of the data-aware grid.
//
// Row and cell properties of a bound grid belong to records, not to the
// display rows that happen to show them: a TgrDBRowElement keyed by
// DataRow (the record's bookmark text, or its record id while the grid uses
// ids) holds the row properties of one record, a TgrDBCellElement keyed by
// (DataCol, DataRow) those of one cell of a record. Both are the grid
// control's property records (every attribute with its not-set value), kept
// in sparse ordered sets: a record exists only while one of its attributes
// differs from its not-set value, and is dropped when the last one goes
// back. Records are ordered through the grid's record comparison; cells by
// data column first.
//
// A change repaints what shows the record when it is in the record window;
// drawing-only attributes set while the grid paints (cell colours from
// OnCellLoaded) repaint nothing, so a handler that colours cells causes no
// second paint. Constructing or freeing a record empties the grid's lookup
// caches, so no cached reference outlives its record.

#include <vector>

#include "grid/GridCellProps.h"
#include "grid/GridPropTypes.h"
#include "platform/core/Variant.h"

class TgrCustomDBGrid;

// The row key [DataRow] and the cell key [DataCol, DataRow].
TgrKeyValues DBRowKey(const Variant& dataRow);
TgrKeyValues DBCellKey(Integer dataCol, const Variant& dataRow);

class TgrDBRowElement : public TgrCustomPropElement {
public:
    TgrDBRowElement(TgrCustomDBGrid* grid, const Variant& dataRow);

    int CompareElement(TgrCustomSet* set, const TgrSetElement* other) const override;
    // key: [DataRow].
    int CompareKey(TgrCustomSet* set, const TgrKeyValues& key, Integer limit) const override;
    // Takes the DataRow of another row record, then every attribute.
    void Assign(const TgrCustomPropElement& source) override;
    // The own font changed: the record's row is repainted (not during a
    // paint) and the in-cell control takes the font when it is current.
    void FontChanged() override;

    TgrCustomDBGrid* DBGrid;
    Variant DataRow;

protected:
    ~TgrDBRowElement() override;
};

class TgrDBCellElement : public TgrCustomPropElement {
public:
    TgrDBCellElement(TgrCustomDBGrid* grid, const Variant& dataRow, Integer dataCol);

    int CompareElement(TgrCustomSet* set, const TgrSetElement* other) const override;
    // key: [DataCol, DataRow].
    int CompareKey(TgrCustomSet* set, const TgrKeyValues& key, Integer limit) const override;
    void Assign(const TgrCustomPropElement& source) override;
    void FontChanged() override;
    // The record's own combo; its list is as wide as the column plus 10.
    void CreateCombo() override;

    TgrCustomDBGrid* DBGrid;
    Integer DataCol;
    Variant DataRow;

protected:
    ~TgrDBCellElement() override;
};

class TgrDBRowPropSet : public TgrCustomPropSet {
public:
    explicit TgrDBRowPropSet(TgrCustomDBGrid* grid);
    ~TgrDBRowPropSet() override;

    TgrCustomPropElement* CreateElement(const TgrKeyValues& key) override;
    void RemoveElement(TgrCustomPropElement* element) override;
    bool RemoveIfDefault(TgrCustomPropElement* element) override;
    // Stores one attribute (see TgrCustomPropSet). The per-row lookups are
    // forgotten first; a change repaints the record's row when asked, a
    // mask name re-applies the editor's mask instead.
    bool SetPropValue(const TgrKeyValues& key, bool repaint, TgrPictureKind kind, TgrPropId id,
                      const Variant& value, TgrCustomPropElement*& element) override;

    TgrDBRowElement* FindRow(const Variant& dataRow);
    // Every record in key order (valid until the set changes).
    std::vector<TgrDBRowElement*> Records() const;
    // This set becomes a copy of another grid's set, in this set's order.
    void AssignFrom(const TgrDBRowPropSet& other);

    TgrCustomDBGrid* DBGrid;

protected:
    TgrCustomPropElement* CloneElement(const TgrCustomPropElement& source) override;
};

class TgrDBCellPropSet : public TgrCustomPropSet {
public:
    explicit TgrDBCellPropSet(TgrCustomDBGrid* grid);
    ~TgrDBCellPropSet() override;

    TgrCustomPropElement* CreateElement(const TgrKeyValues& key) override;
    void RemoveElement(TgrCustomPropElement* element) override;
    bool RemoveIfDefault(TgrCustomPropElement* element) override;
    // As for rows; the cell is repainted only for a data column of the
    // grid (1..ColCount-1) whose record is on screen.
    bool SetPropValue(const TgrKeyValues& key, bool repaint, TgrPictureKind kind, TgrPropId id,
                      const Variant& value, TgrCustomPropElement*& element) override;
    // Repaints a record's cell when it is shown: drawing-only changes not
    // while the grid paints; the in-cell control follows a current cell.
    void InvalidateRecordCell(Integer dataCol, const Variant& dataRow, bool drawingOnly);

    TgrDBCellElement* FindCell(Integer dataCol, const Variant& dataRow);
    std::vector<TgrDBCellElement*> Records() const;
    void AssignFrom(const TgrDBCellPropSet& other);

    TgrCustomDBGrid* DBGrid;

protected:
    TgrCustomPropElement* CloneElement(const TgrCustomPropElement& source) override;
};

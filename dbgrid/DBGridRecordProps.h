#pragma once
// Row and cell properties kept by record (the selected records are kept by
// DBGridSelection.h).
//
// Properties are keyed by DataRow (the record's bookmark text, or its record
// id while the grid uses ids), so they stay with their record when the
// dataset is sorted, filtered or scrolled. An
// element exists only while one of its properties differs from its not-set
// value; resetting the last property drops it.

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "dbgrid/DBGridData.h"
#include "dbgrid/DBGridRecordIds.h"
#include "dbgrid/DBGridSelection.h"
#include "grid/GridPropTypes.h"
#include "platform/core/Variant.h"

// Property values of one record row or one record cell, by property id.
class TgrDBPropElement {
public:
    Variant Get(TgrPropId id) const;
    // Stores a value; storing the not-set value drops the entry.
    void Set(TgrPropId id, const Variant& value);
    void Reset(const TgrPropIdSet& ids);
    bool Empty() const { return values_.empty(); }
    const std::map<TgrPropId, Variant>& Values() const { return values_; }

private:
    std::map<TgrPropId, Variant> values_;
};

class TgrDBRowPropSet {
public:
    // Keys are ordered by compare (the grid's record comparison).
    explicit TgrDBRowPropSet(const TgrDataRowCompare* compare = nullptr) : rows_(TgrDataRowLess{compare}) {}
    TgrDBRowPropSet(const TgrDBRowPropSet&) = delete;
    // Takes the other set's records; the order stays this set's.
    TgrDBRowPropSet& operator=(const TgrDBRowPropSet& other);
    TgrDBPropElement* Find(const Variant& dataRow);
    TgrDBPropElement& Ensure(const Variant& dataRow);
    void Set(const Variant& dataRow, TgrPropId id, const Variant& value);
    Variant Get(const Variant& dataRow, TgrPropId id) const;
    // Resets the properties of one record, or of every record.
    void Reset(const Variant& dataRow, const TgrPropIdSet& ids);
    void ResetAll(const TgrPropIdSet& ids);
    Integer Count() const { return Integer(rows_.size()); }
    void Clear() { rows_.clear(); }
    // Every record element in key order.
    void ForEach(const std::function<void(const Variant& dataRow, const TgrDBPropElement&)>& visit) const {
        for (const auto& [row, e] : rows_) visit(row, e);
    }

private:
    std::map<Variant, TgrDBPropElement, TgrDataRowLess> rows_;
};

// Cell keys: the record, then the data column.
struct TgrDBCellKey {
    Variant DataRow;
    Integer DataCol = 0;
};
struct TgrDBCellKeyLess {
    TgrDataRowLess Rows;
    bool operator()(const TgrDBCellKey& a, const TgrDBCellKey& b) const {
        if (Rows(a.DataRow, b.DataRow)) return true;
        if (Rows(b.DataRow, a.DataRow)) return false;
        return a.DataCol < b.DataCol;
    }
};

class TgrDBCellPropSet {
public:
    explicit TgrDBCellPropSet(const TgrDataRowCompare* compare = nullptr)
        : cells_(TgrDBCellKeyLess{TgrDataRowLess{compare}}) {}
    TgrDBCellPropSet(const TgrDBCellPropSet&) = delete;
    TgrDBCellPropSet& operator=(const TgrDBCellPropSet& other);
    TgrDBPropElement* Find(Integer dataCol, const Variant& dataRow);
    void Set(Integer dataCol, const Variant& dataRow, TgrPropId id, const Variant& value);
    Variant Get(Integer dataCol, const Variant& dataRow, TgrPropId id) const;
    void Reset(Integer dataCol, const Variant& dataRow, const TgrPropIdSet& ids);
    // Resets a property set in every cell of one record (all columns).
    void ResetRecord(const Variant& dataRow, const TgrPropIdSet& ids);
    void ResetAll(const TgrPropIdSet& ids);
    Integer Count() const { return Integer(cells_.size()); }
    void Clear() { cells_.clear(); }
    void ForEach(
        const std::function<void(Integer dataCol, const Variant& dataRow, const TgrDBPropElement&)>& visit) const {
        for (const auto& [key, e] : cells_) visit(key.DataCol, key.DataRow, e);
    }

private:
    std::map<TgrDBCellKey, TgrDBPropElement, TgrDBCellKeyLess> cells_;
};

#pragma once
// Row and cell properties kept by record, and the set of selected records.
//
// Properties are keyed by DataRow (the record's bookmark text, or its record
// id while the grid uses ids), so they stay with their record when the
// dataset is sorted, filtered or scrolled. An
// element exists only while one of its properties differs from its not-set
// value; resetting the last property drops it.
//
// The record selection holds ranges of record positions (rseBookmarkRange)
// or single bookmarks (rseBookmarkSet). A range stays a range when records
// are inserted into it: membership is decided by bookmark order.

#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "dbgrid/DBGridData.h"
#include "dbgrid/DBGridRecordIds.h"
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

enum TgrRecordSelection { rseBookmarkRange, rseBookmarkSet };

// Selected records. Order questions go to a comparison of bookmarks
// supplied by the grid (the dataset's own order).
class TgrDBSelection {
public:
    using TCompare = std::function<int(const std::string&, const std::string&)>;
    // idOrder orders the ids of the records selected by id.
    explicit TgrDBSelection(TCompare compare, const TgrDataRowCompare* idOrder = nullptr)
        : compare_(std::move(compare)), ids_(idOrder) {}

    TgrRecordSelection Mode() const { return mode_; }
    // Switching the mode drops the selection.
    void SetMode(TgrRecordSelection mode);
    // Selects or deselects every record from a to b (either order), both
    // included. In set mode the records in between are given by between.
    // step is asked before each bookmark of a set is applied (counted from
    // 1); False cancels, and the set is left as it was. Answers whether the
    // change was applied.
    bool SelectRange(const std::string& a, const std::string& b, bool select,
                     const std::vector<std::string>& between = {},
                     const std::function<bool(Integer count)>& step = nullptr);
    // Selects or deselects from one position to another. Both at-positions:
    // as SelectRange. From before the first record to after the last:
    // every record, also those added later (selecting) or none
    // (deselecting). Answers whether anything changed.
    bool SetRangeSelected(const TgrBkmPos& start, const TgrBkmPos& end, bool select);
    // Set mode: selects (deselects) a scan's bookmarks, all or nothing: step
    // is asked before each (counted from 1) and False puts the set back.
    // Answers whether the list was applied.
    bool AddBookmarkList(const std::vector<std::string>& list, const std::function<bool(Integer count)>& step);
    bool RemoveBookmarkList(const std::vector<std::string>& list, const std::function<bool(Integer count)>& step);
    // Whether every record is selected: in set mode, and while ids are
    // selected, the mark of the last select-all (any removal clears it; the
    // grid clears it when it removes ids); in range mode one range that
    // starts at or before the first record and ends at or after the last
    // (first and last name those records).
    bool IsAllSelected(const std::string& first, const std::string& last) const;
    void SetAllSelected(bool value) { allSelected_ = value; }
    bool IsSelected(const std::string& bookmark) const;
    bool Empty() const { return ranges_.empty() && set_.empty() && ids_.Empty(); }
    void Clear();
    // True when anything changed.
    bool Assign(const TgrDBSelection& other);
    // The stored ranges (range mode), for inspection.
    const std::vector<std::pair<TgrBkmPos, TgrBkmPos>>& Ranges() const { return ranges_; }
    // While the grid uses record ids the selection names its records by
    // id, in either mode.
    TgrRecordIdSet& Ids() { return ids_; }
    const TgrRecordIdSet& Ids() const { return ids_; }

private:
    bool AtOrAfter(const std::string& b, const TgrBkmPos& low) const;
    bool AtOrBefore(const std::string& b, const TgrBkmPos& high) const;

    bool ApplyBookmarks(const std::vector<std::string>& list, bool select,
                        const std::function<bool(Integer count)>& step);

    TCompare compare_;
    TgrRecordSelection mode_ = rseBookmarkRange;
    bool allSelected_ = false;
    std::vector<std::pair<TgrBkmPos, TgrBkmPos>> ranges_;
    std::set<std::string> set_;
    TgrRecordIdSet ids_;
};

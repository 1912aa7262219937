#pragma once
// Ordering of the keys that name records, and the selection of records by
// id.
//
// A record is named by its DataRow: the bookmark text, or, while the grid
// uses record ids (UseRecordIds with an OnGetRecordID handler), the id the
// application gives the record. The stores of properties by record and the
// id selection are ordered through the grid's record comparison, which
// switches together with the identity; the grid empties them when it does.

#include <functional>
#include <set>

#include "platform/core/Variant.h"

// -1, 0 or 1.
using TgrDataRowCompare = std::function<int(const Variant&, const Variant&)>;

// Bookmark texts byte-wise; any other value by the grid class's variant
// order (Empty first, then Null, then the values).
int CompareDataRowKeys(const Variant& a, const Variant& b);

// The order of a store: the comparison given (the grid's), else
// CompareDataRowKeys.
struct TgrDataRowLess {
    const TgrDataRowCompare* Compare = nullptr;
    bool operator()(const Variant& a, const Variant& b) const {
        return (Compare && *Compare ? (*Compare)(a, b) : CompareDataRowKeys(a, b)) < 0;
    }
};

// Records selected by id.
class TgrRecordIdSet {
public:
    explicit TgrRecordIdSet(const TgrDataRowCompare* compare = nullptr) : ids_(TgrDataRowLess{compare}) {}
    TgrRecordIdSet(const TgrRecordIdSet&) = delete;
    // Takes the other set's ids; the order stays this set's.
    TgrRecordIdSet& operator=(const TgrRecordIdSet& other);

    bool Contains(const Variant& id) const { return ids_.count(id) != 0; }
    void Add(const Variant& id) { ids_.insert(id); }
    void Remove(const Variant& id) { ids_.erase(id); }
    bool Empty() const { return ids_.empty(); }
    Integer Count() const { return Integer(ids_.size()); }
    void Clear() { ids_.clear(); }
    bool SameIds(const TgrRecordIdSet& other) const;

private:
    std::set<Variant, TgrDataRowLess> ids_;
};

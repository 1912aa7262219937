#include "dbgrid/DBGridRecordProps.h"

#include <algorithm>

namespace {

bool IsNotSet(TgrPropId id, const Variant& value) {
    if (value.IsEmpty()) return true;
    Variant def = DefaultPropValue(id);
    if (def.IsEmpty()) return false;
    return value.Type() == def.Type() ? value.AsString() == def.AsString()
                                      : VarCompareValue(value, def) == vrEqual;
}

}  // namespace

// ------------------------------------------------------------ elements

Variant TgrDBPropElement::Get(TgrPropId id) const {
    auto it = values_.find(id);
    return it == values_.end() ? DefaultPropValue(id) : it->second;
}

void TgrDBPropElement::Set(TgrPropId id, const Variant& value) {
    if (IsNotSet(id, value)) values_.erase(id);
    else values_[id] = value;
}

void TgrDBPropElement::Reset(const TgrPropIdSet& ids) {
    for (auto it = values_.begin(); it != values_.end();) {
        if (ids.Contains(it->first)) it = values_.erase(it);
        else ++it;
    }
}

// ------------------------------------------------------------ row set

TgrDBRowPropSet& TgrDBRowPropSet::operator=(const TgrDBRowPropSet& other) {
    if (this == &other) return *this;
    rows_.clear();
    for (const auto& entry : other.rows_) rows_.insert(entry);
    return *this;
}

TgrDBPropElement* TgrDBRowPropSet::Find(const Variant& dataRow) {
    auto it = rows_.find(dataRow);
    return it == rows_.end() ? nullptr : &it->second;
}

TgrDBPropElement& TgrDBRowPropSet::Ensure(const Variant& dataRow) { return rows_[dataRow]; }

void TgrDBRowPropSet::Set(const Variant& dataRow, TgrPropId id, const Variant& value) {
    auto it = rows_.find(dataRow);
    if (it == rows_.end()) {
        // Storing the not-set value makes no element.
        TgrDBPropElement e;
        e.Set(id, value);
        if (!e.Empty()) rows_.emplace(dataRow, std::move(e));
        return;
    }
    it->second.Set(id, value);
    if (it->second.Empty()) rows_.erase(it);
}

Variant TgrDBRowPropSet::Get(const Variant& dataRow, TgrPropId id) const {
    auto it = rows_.find(dataRow);
    return it == rows_.end() ? DefaultPropValue(id) : it->second.Get(id);
}

void TgrDBRowPropSet::Reset(const Variant& dataRow, const TgrPropIdSet& ids) {
    auto it = rows_.find(dataRow);
    if (it == rows_.end()) return;
    it->second.Reset(ids);
    if (it->second.Empty()) rows_.erase(it);
}

void TgrDBRowPropSet::ResetAll(const TgrPropIdSet& ids) {
    for (auto it = rows_.begin(); it != rows_.end();) {
        it->second.Reset(ids);
        if (it->second.Empty()) it = rows_.erase(it);
        else ++it;
    }
}

// ------------------------------------------------------------ cell set

TgrDBCellPropSet& TgrDBCellPropSet::operator=(const TgrDBCellPropSet& other) {
    if (this == &other) return *this;
    cells_.clear();
    for (const auto& entry : other.cells_) cells_.insert(entry);
    return *this;
}

TgrDBPropElement* TgrDBCellPropSet::Find(Integer dataCol, const Variant& dataRow) {
    auto it = cells_.find({dataRow, dataCol});
    return it == cells_.end() ? nullptr : &it->second;
}

void TgrDBCellPropSet::Set(Integer dataCol, const Variant& dataRow, TgrPropId id, const Variant& value) {
    TgrDBCellKey key{dataRow, dataCol};
    auto it = cells_.find(key);
    if (it == cells_.end()) {
        TgrDBPropElement e;
        e.Set(id, value);
        if (!e.Empty()) cells_.emplace(std::move(key), std::move(e));
        return;
    }
    it->second.Set(id, value);
    if (it->second.Empty()) cells_.erase(it);
}

Variant TgrDBCellPropSet::Get(Integer dataCol, const Variant& dataRow, TgrPropId id) const {
    auto it = cells_.find({dataRow, dataCol});
    return it == cells_.end() ? DefaultPropValue(id) : it->second.Get(id);
}

void TgrDBCellPropSet::Reset(Integer dataCol, const Variant& dataRow, const TgrPropIdSet& ids) {
    auto it = cells_.find({dataRow, dataCol});
    if (it == cells_.end()) return;
    it->second.Reset(ids);
    if (it->second.Empty()) cells_.erase(it);
}

void TgrDBCellPropSet::ResetRecord(const Variant& dataRow, const TgrPropIdSet& ids) {
    auto it = cells_.lower_bound({dataRow, Integer(-2147483647 - 1)});
    const TgrDataRowLess& rows = cells_.key_comp().Rows;
    while (it != cells_.end() && !rows(dataRow, it->first.DataRow)) {
        it->second.Reset(ids);
        if (it->second.Empty()) it = cells_.erase(it);
        else ++it;
    }
}

void TgrDBCellPropSet::ResetAll(const TgrPropIdSet& ids) {
    for (auto it = cells_.begin(); it != cells_.end();) {
        it->second.Reset(ids);
        if (it->second.Empty()) it = cells_.erase(it);
        else ++it;
    }
}

// ------------------------------------------------------------ selection

void TgrDBSelection::SetMode(TgrRecordSelection mode) {
    if (mode == mode_) return;
    Clear();
    mode_ = mode;
}

void TgrDBSelection::Clear() {
    ranges_.clear();
    set_.clear();
    ids_.Clear();
    allSelected_ = false;
}

// A lower bound (X, bpNext) admits records after X; an upper bound
// (X, bpPrior) records before X. So a range split by a deselection needs no
// neighbour lookups.
bool TgrDBSelection::AtOrAfter(const std::string& b, const TgrBkmPos& low) const {
    switch (low.Kind) {
        case bpBeforeFirst: return true;
        case bpAfterLast: return false;
        case bpAt: return compare_(b, low.Bookmark) >= 0;
        case bpNext: return compare_(b, low.Bookmark) > 0;
        case bpPrior: return compare_(b, low.Bookmark) >= 0;
    }
    return false;
}

bool TgrDBSelection::AtOrBefore(const std::string& b, const TgrBkmPos& high) const {
    switch (high.Kind) {
        case bpAfterLast: return true;
        case bpBeforeFirst: return false;
        case bpAt: return compare_(b, high.Bookmark) <= 0;
        case bpPrior: return compare_(b, high.Bookmark) < 0;
        case bpNext: return compare_(b, high.Bookmark) <= 0;
    }
    return false;
}

bool TgrDBSelection::IsSelected(const std::string& bookmark) const {
    if (mode_ == rseBookmarkSet) return set_.count(bookmark) != 0;
    for (const auto& r : ranges_)
        if (AtOrAfter(bookmark, r.first) && AtOrBefore(bookmark, r.second)) return true;
    return false;
}

bool TgrDBSelection::SelectRange(const std::string& a, const std::string& b, bool select,
                                 const std::vector<std::string>& between,
                                 const std::function<bool(Integer count)>& step) {
    std::string lo = a, hi = b;
    if (compare_(lo, hi) > 0) std::swap(lo, hi);
    if (mode_ == rseBookmarkSet) {
        std::vector<std::string> list{lo};
        for (const std::string& bm : between)
            if (bm != lo && bm != hi) list.push_back(bm);
        if (hi != lo) list.push_back(hi);
        return ApplyBookmarks(list, select, step);
    }
    TgrBkmPos low = MakeAtPosition(lo), high = MakeAtPosition(hi);
    // Order of lower bounds (the marker first, then by bookmark, an
    // at-position before a next-position) and of upper bounds.
    auto lowerLess = [this](const TgrBkmPos& p, const TgrBkmPos& q) {
        if (p.Kind == bpBeforeFirst || q.Kind == bpBeforeFirst) return p.Kind == bpBeforeFirst && q.Kind != bpBeforeFirst;
        int c = compare_(p.Bookmark, q.Bookmark);
        return c != 0 ? c < 0 : (p.Kind == bpAt && q.Kind == bpNext);
    };
    auto upperGreater = [this](const TgrBkmPos& p, const TgrBkmPos& q) {
        if (p.Kind == bpAfterLast || q.Kind == bpAfterLast) return p.Kind == bpAfterLast && q.Kind != bpAfterLast;
        int c = compare_(p.Bookmark, q.Bookmark);
        return c != 0 ? c > 0 : (p.Kind == bpAt && q.Kind == bpPrior);
    };
    std::vector<std::pair<TgrBkmPos, TgrBkmPos>> kept;
    for (auto& r : ranges_) {
        bool overlaps = AtOrBefore(lo, r.second) && AtOrAfter(hi, r.first);
        if (!overlaps) {
            kept.push_back(r);
            continue;
        }
        if (select) {
            // The new range swallows every range it overlaps.
            if (lowerLess(r.first, low)) low = r.first;
            if (upperGreater(r.second, high)) high = r.second;
            continue;
        }
        // What lies below lo and above hi stays selected.
        if (lowerLess(r.first, MakeAtPosition(lo))) kept.push_back({r.first, TgrBkmPos{lo, bpPrior}});
        if (upperGreater(r.second, MakeAtPosition(hi))) kept.push_back({TgrBkmPos{hi, bpNext}, r.second});
    }
    if (select) kept.push_back({low, high});
    ranges_ = std::move(kept);
    return true;
}

bool TgrDBSelection::ApplyBookmarks(const std::vector<std::string>& list, bool select,
                                    const std::function<bool(Integer count)>& step) {
    // All or nothing: a cancelled step or an error leaves the set as it was.
    std::set<std::string> backup = set_;
    bool backupAll = allSelected_;
    Integer count = 0;
    try {
        for (const std::string& bm : list) {
            if (step && !step(++count)) {
                set_ = std::move(backup);
                allSelected_ = backupAll;
                return false;
            }
            if (select) set_.insert(bm);
            else set_.erase(bm);
        }
    } catch (...) {
        set_ = std::move(backup);
        allSelected_ = backupAll;
        throw;
    }
    if (!select) allSelected_ = false;
    return true;
}

bool TgrDBSelection::AddBookmarkList(const std::vector<std::string>& list,
                                     const std::function<bool(Integer count)>& step) {
    return ApplyBookmarks(list, true, step);
}

bool TgrDBSelection::RemoveBookmarkList(const std::vector<std::string>& list,
                                        const std::function<bool(Integer count)>& step) {
    return ApplyBookmarks(list, false, step);
}

bool TgrDBSelection::SetRangeSelected(const TgrBkmPos& start, const TgrBkmPos& end, bool select) {
    if (start.Kind == bpBeforeFirst && end.Kind == bpAfterLast) {
        if (!select) {
            bool had = !Empty();
            Clear();
            return had;
        }
        // One range over the whole data, which also takes in the records
        // added later.
        if (mode_ == rseBookmarkSet) return false;
        bool had = ranges_.size() == 1 && ranges_[0].first == start && ranges_[0].second == end;
        ranges_ = {{start, end}};
        return !had;
    }
    if (start.Kind != bpAt || end.Kind != bpAt) return false;
    auto before = std::make_pair(ranges_, set_);
    SelectRange(start.Bookmark, end.Bookmark, select);
    return before.first != ranges_ || before.second != set_;
}

bool TgrDBSelection::IsAllSelected(const std::string& first, const std::string& last) const {
    if (mode_ == rseBookmarkSet || !ids_.Empty()) return allSelected_;
    if (ranges_.size() != 1) return false;
    const TgrBkmPos& low = ranges_[0].first;
    const TgrBkmPos& high = ranges_[0].second;
    bool lowOk = low.Kind == bpBeforeFirst || (low.Kind != bpAfterLast && low.Kind != bpNext &&
                                               !first.empty() && compare_(low.Bookmark, first) <= 0);
    bool highOk = high.Kind == bpAfterLast || (high.Kind != bpBeforeFirst && high.Kind != bpPrior &&
                                                !last.empty() && compare_(high.Bookmark, last) >= 0);
    return lowOk && highOk;
}

bool TgrDBSelection::Assign(const TgrDBSelection& other) {
    bool changed = !(ranges_ == other.ranges_) || set_ != other.set_ || mode_ != other.mode_ ||
                   !ids_.SameIds(other.ids_);
    mode_ = other.mode_;
    allSelected_ = other.allSelected_;
    ranges_ = other.ranges_;
    set_ = other.set_;
    ids_ = other.ids_;
    return changed;
}

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

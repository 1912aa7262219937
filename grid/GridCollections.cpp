#include "grid/GridCollections.h"

#include <algorithm>

#include "grid/Grids_ts.h"
#include "platform/core/Strings.h"

// ------------------------------------------------------------ visible items

void TgrVisibleItems::Assign(const TgrSortIntList& source) {
    if (&source == this) return;
    TgrSortIntList::Assign(source);
    if (auto* v = dynamic_cast<const TgrVisibleItems*>(&source)) {
        visibleCount_ = v->visibleCount_;
        materialized_ = v->materialized_;
    }
}

Integer TgrVisibleItems::Get(Integer index) const {
    return materialized_ ? TgrSortIntList::Get(index) : index;
}

Integer TgrVisibleItems::Find(Integer position, bool& found) const {
    // Every position up to the first hidden one sits at its own index.
    if (position >= 0 && position <= visibleCount_ && Get(position) == position) {
        found = true;
        return position;
    }
    if (materialized_) return TgrSortIntList::Find(position, found);
    found = false;
    return position > 0 ? visibleCount_ + 1 : 1;
}

void TgrVisibleItems::AddValue(Integer position) {
    if (!materialized_) return;  // everything is visible already
    TgrSortIntList::AddValue(position);
    visibleCount_ = Count();
}

void TgrVisibleItems::RemoveValue(Integer position) {
    if (!materialized_) {
        EnsureCapacity(visibleCount_);
        for (Integer i = 1; i <= visibleCount_; ++i) Insert(i, i);
        materialized_ = true;
    }
    TgrSortIntList::RemoveValue(position);
    visibleCount_ = Count();
}

void TgrVisibleItems::SetVisibleCount(Integer count, Integer first) {
    if (count == visibleCount_) return;
    if (count < 0) count = 0;
    visibleCount_ = count;
    if (!materialized_) return;
    while (Count() > count) Delete(Count());
    Integer next = first;
    while (Count() < count) Insert(Count() + 1, next++);
}

void TgrVisibleItems::MovePosition(Integer from, Integer to) {
    if (!materialized_ || from == to) return;
    // Every stored position follows the move: the moved one goes to its new
    // place, those between shift one step towards the old place.
    std::vector<Integer> items;
    items.reserve(std::size_t(Count()));
    for (Integer i = 1; i <= Count(); ++i) items.push_back(AdjustMovedIndex(TgrSortIntList::Get(i), from, to));
    std::sort(items.begin(), items.end());
    for (Integer i = 1; i <= Count(); ++i) Put(i, items[std::size_t(i - 1)]);
}

// ------------------------------------------------------------------- columns

TgrGridCols::TgrGridCols(Integer count, TgrPropGrid* grid) : grid_(grid) { Resize(0, count); }

TgrGridCols::~TgrGridCols() {
    for (TgrCol* c : cols_) delete c;
}

TgrCol* TgrGridCols::CreateCol() { return new TgrCol(grid_); }

void TgrGridCols::Resize(Integer oldCount, Integer newCount) {
    if (newCount < 0) newCount = 0;
    if (oldCount == newCount && Integer(cols_.size()) == newCount) {
        count_ = newCount;
        return;
    }
    for (Integer i = newCount; i < Integer(cols_.size()); ++i) {
        delete cols_[std::size_t(i)];
        cols_[std::size_t(i)] = nullptr;
    }
    Integer had = std::min<Integer>(Integer(cols_.size()), newCount);
    cols_.resize(std::size_t(newCount), nullptr);
    count_ = newCount;
    for (Integer i = had; i < newCount; ++i) {
        TgrCol* c = CreateCol();
        c->InitSlot(i, grid_->DisplayColWidth(i), nextId_++);
        cols_[std::size_t(i)] = c;
    }
}

void TgrGridCols::SetCount(Integer oldCount) { Resize(oldCount, grid_->ColCount()); }

TgrCol* TgrGridCols::ColAt(Integer dataCol) const {
    return dataCol >= 0 && dataCol < count_ ? cols_[std::size_t(dataCol)] : nullptr;
}

TgrCol* TgrGridCols::GetCol(const Variant& which) {
    if (which.IsString()) return GetColByFieldName(which.AsString());
    Integer c = which.AsInteger();
    if (!grid_->CheckColRowIndex(c, count_, ikCol)) return nullptr;
    return ColAt(c);
}

TgrCol* TgrGridCols::GetColByFieldName(const std::string& name) {
    for (Integer i = 1; i < count_; ++i) {
        TgrCol* c = cols_[std::size_t(i)];
        if (c && AnsiLowerCase(c->FieldName()) == AnsiLowerCase(name)) return c;
    }
    return nullptr;
}

void TgrGridCols::PutCol(Integer dataCol, TgrCol* col) {
    if (dataCol >= 0 && dataCol < count_) cols_[std::size_t(dataCol)] = col;
}

namespace {
// Moves n entries of v from from to to (overlap-safe), clipped to the
// vector; with clear, source entries the destination does not cover get
// the empty value.
template <class T>
void MoveEntries(std::vector<T>& v, Integer from, Integer to, Integer n, bool clear, T empty) {
    Integer size = Integer(v.size());
    if (n <= 0 || from == to) return;
    std::vector<T> block;
    for (Integer i = 0; i < n; ++i) {
        Integer s = from + i;
        block.push_back(s >= 0 && s < size ? v[std::size_t(s)] : empty);
    }
    if (clear)
        for (Integer i = 0; i < n; ++i) {
            Integer s = from + i;
            if (s >= 0 && s < size && (s < to || s >= to + n)) v[std::size_t(s)] = empty;
        }
    for (Integer i = 0; i < n; ++i) {
        Integer d = to + i;
        if (d >= 0 && d < size) v[std::size_t(d)] = block[std::size_t(i)];
    }
}
}  // namespace

void TgrGridCols::MoveBlock(Integer from, Integer to, Integer n) {
    MoveEntries<TgrCol*>(cols_, from, to, n, true, nullptr);
}

// ---------------------------------------------------------------------- rows

TgrGridRows::TgrGridRows(Integer count, TgrPropGrid* grid) : grid_(grid) { Resize(0, count); }

TgrGridRows::~TgrGridRows() {
    for (TgrRow* r : rows_) delete r;
}

TgrRow* TgrGridRows::CreateRow() { return new TgrRow(grid_); }

void TgrGridRows::Resize(Integer oldCount, Integer newCount) {
    if (newCount < 0) newCount = 0;
    Integer had = Integer(rows_.size());
    if (had == newCount) {
        count_ = newCount;
        return;
    }
    for (Integer i = newCount; i < had; ++i) {
        delete rows_[std::size_t(i)];
        rows_[std::size_t(i)] = nullptr;
    }
    rows_.resize(std::size_t(newCount), nullptr);
    ids_.resize(std::size_t(newCount), 0);
    if (!display_.empty()) display_.resize(std::size_t(newCount), 0);
    count_ = newCount;
    for (Integer i = had; i < newCount; ++i) {
        ids_[std::size_t(i)] = nextId_++;
        if (!display_.empty()) display_[std::size_t(i)] = i;
    }
    if (had == 0 && newCount > 0) EnsureRow(0);
}

void TgrGridRows::SetCount(Integer oldCount) { Resize(oldCount, grid_->RowCount()); }

TgrRow* TgrGridRows::GetRow(Integer dataRow) {
    if (!grid_->CheckColRowIndex(dataRow, count_, ikRow)) return nullptr;
    return rows_[std::size_t(dataRow)];
}

TgrRow* TgrGridRows::EnsureRow(Integer dataRow) {
    if (!InRange(dataRow)) return nullptr;
    TgrRow*& slot = rows_[std::size_t(dataRow)];
    if (!slot) {
        slot = CreateRow();
        slot->InitSlot(dataRow, grid_->DisplayRowHeight(DisplayRowOf(dataRow)), grid_->DisplayRowHeight(dataRow));
    }
    return slot;
}

void TgrGridRows::FreeRow(Integer dataRow) {
    if (!InRange(dataRow)) return;
    delete rows_[std::size_t(dataRow)];
    rows_[std::size_t(dataRow)] = nullptr;
}

void TgrGridRows::ReleaseIfDefault(Integer dataRow) {
    if (dataRow == 0 || !InRange(dataRow)) return;
    TgrRow* r = rows_[std::size_t(dataRow)];
    if (r && r->CanRelease()) FreeRow(dataRow);
}

void TgrGridRows::EnsureDisplayArray() {
    if (!display_.empty() || count_ == 0) return;
    display_.resize(std::size_t(count_));
    for (Integer i = 0; i < count_; ++i) display_[std::size_t(i)] = i;
}

Integer TgrGridRows::DisplayRowOf(Integer dataRow) const {
    if (display_.empty() || !InRange(dataRow)) return dataRow;
    return display_[std::size_t(dataRow)];
}

void TgrGridRows::SetDisplayRowOf(Integer dataRow, Integer displayRow) {
    if (!display_.empty() && InRange(dataRow)) display_[std::size_t(dataRow)] = displayRow;
}

Integer TgrGridRows::RowId(Integer dataRow) const { return InRange(dataRow) ? ids_[std::size_t(dataRow)] : -1; }

Integer TgrGridRows::GetHeight(Integer dataRow) const {
    TgrRow* r = InRange(dataRow) ? rows_[std::size_t(dataRow)] : nullptr;
    return r ? r->Height() : grid_->DefaultRowHeight();
}

void TgrGridRows::SetHeightValue(Integer dataRow, Integer height) {
    if (!InRange(dataRow)) return;
    if (height == grid_->DefaultRowHeight() && !rows_[std::size_t(dataRow)]) return;
    EnsureRow(dataRow)->SetHeightValue(height);
    ReleaseIfDefault(dataRow);
}

Integer TgrGridRows::GetRequestedHeight(Integer dataRow) const {
    TgrRow* r = InRange(dataRow) ? rows_[std::size_t(dataRow)] : nullptr;
    return r ? r->RequestedHeight() : grid_->RequestedDefaultRowHeight();
}

void TgrGridRows::SetRequestedHeight(Integer dataRow, Integer height) {
    if (!InRange(dataRow)) return;
    if (height == grid_->RequestedDefaultRowHeight() && !rows_[std::size_t(dataRow)]) return;
    EnsureRow(dataRow)->SetRequestedHeightValue(height);
    ReleaseIfDefault(dataRow);
}

void TgrGridRows::SetHeight(Integer dataRow, Integer height) {
    if (!InRange(dataRow)) return;
    EnsureRow(dataRow)->ApplyHeight(height);
    ReleaseIfDefault(dataRow);
}

void TgrGridRows::MoveBlock(Integer from, Integer to, Integer n) {
    MoveEntries<TgrRow*>(rows_, from, to, n, true, nullptr);
    MoveEntries<Integer>(ids_, from, to, n, false, 0);
    if (!display_.empty()) MoveEntries<Integer>(display_, from, to, n, false, 0);
}

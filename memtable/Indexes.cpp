#include "memtable/Indexes.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/core/Exception.h"

namespace {

bool SameText(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
        if (x != y) return false;
    }
    return true;
}

constexpr int kBinaryThreshold = 20;

}  // namespace

// ---- TqmtIndex ----------------------------------------------------------------

std::uint64_t TqmtIndex::HeadOf(const char* key, size_t length) {
    std::uint64_t h = 0;
    for (size_t k = 0; k < 8; ++k) h = (h << 8) | (k < length ? static_cast<unsigned char>(key[k]) : 0u);
    return h;
}

bool TqmtIndex::SameKeys(const TqmtFieldList& list) const {
    if (&list == &keys_) return true;
    if (list.Count() != keys_.Count()) return false;
    for (int i = 0; i < list.Count(); ++i)
        if (list.Field(i).Field != keys_.Field(i).Field || list.Field(i).FieldNo != keys_.Field(i).FieldNo ||
            list.Options(i) != keys_.Options(i))
            return false;
    return true;
}

TqmtIndex::TqmtIndex(std::string name, bool internal, int kind, Byte options, std::string fieldNames,
                     const TqmtFieldList& keys, TqmtIndexHost* host)
    : name_(std::move(name)), host_(host), fieldNames_(std::move(fieldNames)), keys_(keys), options_(options),
      kind_(kind), internal_(internal) {
    const Byte perField = options & (mtcoDescending | mtcoCaseInsensitive | mtcoPartialKey | mtcoIgnoreNullKey |
                                      mtcoIgnoreLocale);
    for (int i = 0; i < keys_.Count(); ++i) keys_.SetOptions(i, keys_.Options(i) | perField);
    ordered_ = host_->IndexStore().SlotCount() == 0;
}

bool TqmtIndex::AcceptsRow(TqmtRecord* row) { return host_->IndexAcceptsRow(this, row); }

int TqmtIndex::TieBreak(const TqmtRecord* key, const TqmtRecord* row) const {
    int r;
    if (key->FetchPos < 0 && row->FetchPos < 0)
        r = key->Slot - row->Slot;
    else if (key->FetchPos >= 0 && row->FetchPos < 0)
        r = 1;
    else if (key->FetchPos < 0)
        r = -1;
    else
        r = 0;
    if (keys_.Count() > 0 && (keys_.Options(0) & mtcoDescending)) r = -r;
    return r;
}

int TqmtIndex::CompareRows(const TqmtFieldList* fields, const TqmtRecord* key, const TqmtRecord* row, bool partial,
                           bool tieBreak) const {
    const TqmtFieldList& list = fields ? *fields : keys_;
    int r = host_->IndexStore().CompareKeyFields(list, 0, key, row, false, partial, 0);
    if (r == 0 && tieBreak) r = TieBreak(key, row);
    return r;
}

int TqmtIndex::SearchKey(const TqmtFieldList* fields, TqmtRecord* key, bool& found, int& position,
                         bool respectVisibility, bool nearest) {
    const TqmtFieldList& list = fields ? *fields : keys_;
    TqmtCommon& store = host_->IndexStore();
    TqmtStoreGuard g(store);
    host_->IndexProgress(0, mtpcSearch);
    found = false;
    int result = 0;
    const int count = Count();
    if (ordered_ && !IsRowOrder() && count > kBinaryThreshold) {
        int lo = 0, hi = count;
        if (heads_.size() == static_cast<size_t>(count) && SameKeys(list)) {
            std::string k;
            store.AppendSortKey(keys_, key, k);
            const std::uint64_t h = HeadOf(k.data(), k.size());
            lo = static_cast<int>(std::lower_bound(heads_.begin(), heads_.end(), h) - heads_.begin());
            hi = static_cast<int>(std::upper_bound(heads_.begin() + lo, heads_.end(), h) - heads_.begin());
        }
        const int rangeEnd = hi;
        while (lo < hi) {
            int mid = lo + (hi - lo) / 2;
            host_->IndexPrepareRow(rows_[static_cast<size_t>(mid)]);
            int c = store.CompareKeyFields(list, 0, key, rows_[static_cast<size_t>(mid)], false, false, 0);
            if (c > 0)
                lo = mid + 1;
            else
                hi = mid;
        }
        position = lo;
        if (lo < rangeEnd) {
            result = store.CompareKeyFields(list, 0, key, rows_[static_cast<size_t>(lo)], false, false, 0);
            found = result == 0;
        } else {
            result = lo < count ? -1 : 1;
        }
        if (respectVisibility && host_->IndexAnyVisibilityRule() && position < count &&
            !host_->IndexRowVisible(rows_[static_cast<size_t>(position)])) {
            found = false;
            for (int p = position; p < count; ++p) {
                TqmtRecord* r = rows_[static_cast<size_t>(p)];
                int c = store.CompareKeyFields(list, 0, key, r, false, false, 0);
                if (c > 0 || (c < 0 && !nearest)) {
                    if (c < 0) break;
                    continue;
                }
                if (!host_->IndexRowVisible(r)) continue;
                position = p;
                result = c;
                found = c == 0;
                if (c == 0 || nearest) break;
            }
        }
    } else {
        position = count;
        for (int p = 0; p < count; ++p) {
            if (p % 100 == 0 && count > 0) host_->IndexProgress(p * 100 / count, mtpcSearch);
            TqmtRecord* r = rows_[static_cast<size_t>(p)];
            host_->IndexPrepareRow(r);
            int c = store.CompareKeyFields(list, 0, key, r, false, nearest, 0);
            result = c;
            if ((c == 0 || (nearest && c < 0)) && (!respectVisibility || host_->IndexRowVisible(r))) {
                position = p;
                found = true;
                break;
            }
        }
    }
    host_->IndexProgress(100, mtpcSearch);
    return result;
}

int TqmtIndex::SequentialSlotScan(int slot, int from) {
    const int count = Count();
    for (int p = from < 0 ? 0 : from; p < count; ++p) {
        if (p % 100 == 0 && p > 0) host_->IndexProgress(p * 100 / count, mtpcSearch);
        if (rows_[static_cast<size_t>(p)]->Slot == slot) return p;
    }
    return -1;
}

int TqmtIndex::LocateSlot(int slot) {
    TqmtStoreGuard g(host_->IndexStore());
    if (int h = HintFor(slot); h >= 0 && rows_[static_cast<size_t>(h)]->Slot == slot) return h;
    if (ordered_ && IsRowOrder()) {
        auto it = std::lower_bound(rows_.begin(), rows_.end(), slot,
                                   [](const TqmtRecord* r, int s) { return r->Slot < s; });
        if (it != rows_.end() && (*it)->Slot == slot) return static_cast<int>(it - rows_.begin());
    }
    return SequentialSlotScan(slot, 0);
}

int TqmtIndex::LocateRow(TqmtRecord* stored, bool respectVisibility) {
    TqmtStoreGuard g(host_->IndexStore());
    if (!stored) return -1;
    if (respectVisibility && !host_->IndexRowVisible(stored)) return -1;
    if (int h = HintFor(stored->Slot); h >= 0 && rows_[static_cast<size_t>(h)] == stored) return h;
    int start = 0;
    if (ordered_ && Count() > kBinaryThreshold) {
        if (IsRowOrder()) {
            auto it = std::lower_bound(rows_.begin(), rows_.end(), stored->Slot,
                                       [](const TqmtRecord* r, int s) { return r->Slot < s; });
            if (it != rows_.end() && *it == stored) return static_cast<int>(it - rows_.begin());
        } else {
            bool found = false;
            int pos = 0;
            SearchKey(nullptr, stored, found, pos, false, false);
            start = found ? pos : 0;
        }
    }
    int p = SequentialSlotScan(stored->Slot, start);
    if (p < 0 && start > 0) p = SequentialSlotScan(stored->Slot, 0);
    return p;
}

void TqmtIndex::ReloadRows() {
    TqmtCommon& store = host_->IndexStore();
    TqmtStoreGuard g(store);
    rows_.clear();
    slotPos_.clear();
    heads_.clear();
    rows_.reserve(store.Slots().size());
    for (TqmtRecord* r : store.Slots())
        if (r && AcceptsRow(r)) rows_.push_back(r);
}

void TqmtIndex::CheckUnique() const {
    TqmtCommon& store = host_->IndexStore();
    for (size_t i = 1; i < rows_.size(); ++i)
        if (store.CompareKeyFields(keys_, 0, rows_[i - 1], rows_[i], false, false, 0) == 0)
            throw EMemTableDupKey(qmtmsg::DupKey);
}

void TqmtIndex::SortAndCheck() {
    if (IsRowOrder()) {
        ordered_ = true;
        return;
    }
    TqmtCommon& store = host_->IndexStore();
    TqmtStoreGuard g(store);
    host_->IndexProgress(0, mtpcSort);
    for (TqmtRecord* r : rows_) host_->IndexPrepareRow(r);
    // Equal keys keep slot order (reversed for a descending first field),
    // so the sort is stable over the rows' stored order.
    const bool descending = keys_.Count() > 0 && (keys_.Options(0) & mtcoDescending);
    if (store.SortKeyable(keys_)) {
        // One binary key per row, then byte comparisons only.
        struct Entry {
            std::uint64_t head;  // 8 bytes after the prefix all keys share
            size_t offset;
            size_t length;
            size_t keyLength;  // without the slot that breaks ties
            TqmtRecord* row;
            Integer slot;
        };
        std::string arena;
        arena.reserve(rows_.size() * 80);
        std::vector<Entry> entries;
        entries.reserve(rows_.size());
        // Rows are visited in slot order; fetch a few ahead.
        const int firstNo = keys_.Count() > 0 ? keys_.Field(0).FieldNo : 0;
        const int ahead = firstNo > 0 && !store.IsOutOfLine(firstNo) ? store.FieldOffset(firstNo) : 0;
        for (size_t i = 0; i < rows_.size(); ++i) {
            if (i + 16 < rows_.size())
                __builtin_prefetch(reinterpret_cast<const char*>(rows_[i + 16]) + sizeof(TqmtRecord) + ahead);
            TqmtRecord* r = rows_[i];
            size_t start = arena.size();
            store.AppendSortKey(keys_, r, arena);
            const size_t keyLength = arena.size() - start;
            std::uint32_t slot = static_cast<std::uint32_t>(r->Slot) ^ 0x80000000u;
            if (descending) slot = ~slot;
            for (int b = 3; b >= 0; --b) arena += static_cast<char>((slot >> (8 * b)) & 0xFF);
            entries.push_back({0, start, arena.size() - start, keyLength, r, r->Slot});
        }
        const char* base = arena.data();
        size_t common = entries.empty() ? 0 : entries[0].length;
        for (size_t i = 1; i < entries.size() && common > 0; ++i) {
            const char* a = base + entries[0].offset;
            const char* b = base + entries[i].offset;
            size_t k = 0, m = std::min(common, entries[i].length);
            while (k < m && a[k] == b[k]) ++k;
            common = k;
        }
        for (Entry& e : entries) {
            std::uint64_t h = 0;
            for (size_t k = 0; k < 8; ++k) {
                size_t at = common + k;
                h = (h << 8) | (at < e.length ? static_cast<unsigned char>(base[e.offset + at]) : 0u);
            }
            e.head = h;
        }
        // Equal heads: the shared prefix and the head bytes are equal too.
        const size_t skip = common + 8;
        std::sort(entries.begin(), entries.end(), [base, skip](const Entry& a, const Entry& b) {
            if (a.head != b.head) return a.head < b.head;
            if (a.length <= skip || b.length <= skip) return a.length < b.length;
            size_t n = (a.length < b.length ? a.length : b.length) - skip;
            int c = std::memcmp(base + a.offset + skip, base + b.offset + skip, n);
            return c != 0 ? c < 0 : a.length < b.length;
        });
        slotPos_.assign(store.Slots().size(), -1);
        heads_.resize(entries.size());
        for (size_t i = 0; i < entries.size(); ++i) {
            rows_[i] = entries[i].row;
            heads_[i] = HeadOf(base + entries[i].offset, entries[i].keyLength);
            if (entries[i].slot >= 0 && static_cast<size_t>(entries[i].slot) < slotPos_.size())
                slotPos_[static_cast<size_t>(entries[i].slot)] = static_cast<Integer>(i);
        }
    } else {
        heads_.clear();
        std::sort(rows_.begin(), rows_.end(), [&](const TqmtRecord* a, const TqmtRecord* b) {
            int c = store.CompareKeyFields(keys_, 0, a, b, false, false, 0);
            if (c != 0) return c < 0;
            return descending ? a->Slot > b->Slot : a->Slot < b->Slot;
        });
        slotPos_.assign(store.Slots().size(), -1);
        for (size_t i = 0; i < rows_.size(); ++i)
            if (rows_[i]->Slot >= 0 && static_cast<size_t>(rows_[i]->Slot) < slotPos_.size())
                slotPos_[static_cast<size_t>(rows_[i]->Slot)] = static_cast<Integer>(i);
    }
    ordered_ = true;
    if (options_ & mtcoUnique) CheckUnique();
    host_->IndexProgress(100, mtpcSort);
}

void TqmtIndex::RefreshIndex() {
    if (host_->IndexHostOpen()) {
        ReloadRows();
        if (!rows_.empty()) {
            try {
                SortAndCheck();
            } catch (...) {
                ordered_ = true;
                host_->IndexRefreshed(this);
                throw;
            }
        }
        ordered_ = true;
    } else {
        ordered_ = true;
    }
    host_->IndexRefreshed(this);
}

// ---- TqmtIndexes ----------------------------------------------------------------

TqmtIndexes::TqmtIndexes(TqmtIndexHost* host) : host_(host) {
    list_.push_back(std::make_unique<TqmtIndex>(qmtRowOrderIndexName, true, 0, 0, "", TqmtFieldList{}, host));
}

TqmtIndex* TqmtIndexes::RegisterIndex(std::unique_ptr<TqmtIndex> index) {
    list_.push_back(std::move(index));
    return list_.back().get();
}

void TqmtIndexes::RemoveIndex(TqmtIndex* index) {
    if (!index || index == RowOrder()) return;
    for (size_t i = 1; i < list_.size(); ++i)
        if (list_[i].get() == index) {
            list_.erase(list_.begin() + static_cast<long>(i));
            return;
        }
}

void TqmtIndexes::DropAllIndexes() { list_.resize(1); }

TqmtIndex* TqmtIndexes::IndexByName(const std::string& name) const {
    for (auto& i : list_)
        if (SameText(i->Name(), name)) return i.get();
    return nullptr;
}

TqmtIndex* TqmtIndexes::IndexByFields(const std::string& fields) const {
    for (size_t i = 1; i < list_.size(); ++i)
        if (SameText(list_[i]->FieldNames(), fields)) return list_[i].get();
    return nullptr;
}

void TqmtIndexes::EmptyAllIndexes() {
    for (auto& i : list_) i->ClearRows();
}

void TqmtIndexes::RefreshAllIndexes() {
    for (auto& i : list_) i->RefreshIndex();
}

void TqmtIndexes::MarkAllUnordered() {
    for (auto& i : list_) i->SetOrdered(false);
}

void TqmtIndexes::CheckUniqueKeys(TqmtRecord* working, TqmtRecord* editing, bool enableIndexes) {
    if (!enableIndexes) return;
    for (auto& ip : list_) {
        TqmtIndex* i = ip.get();
        if (!(i->Options() & mtcoUnique) || (i->Options() & mtcoNonMaintained)) continue;
        if (!i->Ordered()) i->RefreshIndex();
        bool found = false;
        int pos = 0;
        i->SearchKey(nullptr, working, found, pos, false, false);
        if (!found) continue;
        // Any equal row other than the one being edited is a duplicate.
        TqmtCommon& store = host_->IndexStore();
        for (int p = pos; p < i->Count(); ++p) {
            TqmtRecord* r = i->Row(p);
            if (store.CompareKeyFields(i->Keys(), 0, working, r, false, false, 0) != 0) break;
            if (r != editing) throw EMemTableDupKey(qmtmsg::DupKey);
        }
    }
}

int TqmtIndexes::MaintainIndexes(int change, TqmtRecord* stored, int hint, TqmtRecord* newValues,
                                 TqmtIndex* current, bool enableIndexes) {
    TqmtCommon& store = host_->IndexStore();
    int remembered = -1;
    for (auto& ip : list_) {
        TqmtIndex* i = ip.get();
        auto& rows = i->Rows();
        if (change == 2) {
            // A deleted row must leave every index, ordered or not.
            int p = -1;
            if (i->Ordered()) p = i->IsRowOrder() ? i->LocateSlot(stored->Slot) : i->LocateRow(stored, false);
            if (p < 0 || rows[static_cast<size_t>(p)] != stored) {
                auto it = std::find(rows.begin(), rows.end(), stored);
                p = it == rows.end() ? -1 : static_cast<int>(it - rows.begin());
            }
            if (p >= 0) rows.erase(rows.begin() + p);
            i->InvalidateHeads();
            if (i == current) remembered = p;
            continue;
        }
        // The row order is cheap to keep, even while indexes are switched
        // off for a load.
        const bool keep = i->IsRowOrder() && change == 0;
        if ((i->Options() & mtcoNonMaintained) || (!enableIndexes && !keep) || !i->Ordered()) {
            // Rebuilt from the store when next needed.
            i->SetOrdered(false);
            continue;
        }
        int pos = -1;
        i->InvalidateHeads();
        if (change == 0) {
            if (!i->AcceptsRow(stored)) continue;
            if (i->IsRowOrder()) {
                if (i == current && hint > 0) {
                    pos = std::min(hint - 1, i->Count());
                    rows.insert(rows.begin() + pos, stored);
                } else {
                    pos = i->Count();
                    rows.push_back(stored);
                }
            } else {
                bool found = false;
                i->SearchKey(nullptr, stored, found, pos, false, true);
                pos = std::clamp(pos, 0, i->Count());
                rows.insert(rows.begin() + pos, stored);
            }
            if (i == current) {
                remembered = pos;
                stored->FetchPos = pos;
            }
        } else if (change == 1) {
            if (i->IsRowOrder()) {
                if (i == current) remembered = newValues->FetchPos;
                continue;
            }
            if (store.CompareKeyFields(i->Keys(), 0, stored, newValues, false, false, 0) == 0) {
                if (i == current) remembered = newValues->FetchPos;
                continue;
            }
            int old = -1;
            if (i == current && hint >= 0 && hint < i->Count() && rows[static_cast<size_t>(hint)] == stored)
                old = hint;
            else
                old = i->LocateRow(stored, false);
            if (old < 0 || rows[static_cast<size_t>(old)] != stored) {
                auto it = std::find(rows.begin(), rows.end(), stored);
                old = it == rows.end() ? -1 : static_cast<int>(it - rows.begin());
            }
            if (old >= 0) rows.erase(rows.begin() + old);
            if (i->AcceptsRow(newValues)) {
                bool found = false;
                i->SearchKey(nullptr, newValues, found, pos, false, true);
                pos = std::clamp(pos, 0, i->Count());
                rows.insert(rows.begin() + pos, stored);
            }
            if (i == current) {
                remembered = pos;
                stored->FetchPos = pos;
                newValues->FetchPos = pos;
            }
        }
    }
    return remembered;
}

// TqmtCustomMemTable: index definitions, the current index, sorting and the
// key-field syntax.

#include <algorithm>

#include "memtable/MemTable.h"
#include "platform/core/Strings.h"
#include "platform/data/DBConsts.h"

void TqmtCustomMemTable::ParseKeyFields(const std::string& names, TqmtFieldList& list) {
    list.Clear();
    for (const std::string& item : SplitFieldNames(names)) {
        std::string name = item, letters;
        size_t colon = item.find(':');
        if (colon != std::string::npos) {
            name = Trim(item.substr(0, colon));
            letters = item.substr(colon + 1);
        }
        TField* f = FieldByName(name);
        if (f->FieldKind() == fkAggregate || !TqmtCommon::IsSupportedType(f->DataType()) ||
            TqmtCommon::IsBlobType(f->DataType()))
            DatabaseErrorFmt(DBConsts::SCantIndexOnField, {f->DisplayName()});
        if (f->FieldKind() == fkCalculated || f->FieldKind() == fkLookup) recalcOnIndex_ = true;
        Byte opt = 0;
        for (char c : letters) {
            switch (c) {
                case 'C': case 'c': opt |= mtcoCaseInsensitive; break;
                case 'D': case 'd': opt |= mtcoDescending; break;
                case 'N': case 'n': opt |= mtcoIgnoreNullKey; break;
                case 'P': case 'p': opt |= mtcoPartialKey; break;
                case 'L': case 'l': opt |= mtcoIgnoreLocale; break;
                default: break;
            }
        }
        list.Add(KeyFieldOf(f), opt);
    }
}

void TqmtCustomMemTable::CreateIndexFromDef(TIndexDef* def) {
    if (def->Fields().empty() || def->Name().empty()) throw EMemTableError(qmtmsg::MissingIndexFields);
    Byte options = 0;
    if (def->Options() & ixUnique) options |= mtcoUnique;
    if (def->Options() & ixDescending) options |= mtcoDescending;
    if (def->Options() & ixCaseInsensitive) options |= mtcoCaseInsensitive;
    if (def->Options() & ixNonMaintained) options |= mtcoNonMaintained;
    TqmtFieldList keys;
    ParseKeyFields(def->Fields(), keys);
    // Field text of separators only (";;") names no field: no index to build.
    if (keys.Count() == 0) throw EMemTableError(qmtmsg::MissingIndexFields);
    indexes_->RegisterIndex(std::make_unique<TqmtIndex>(def->Name(), false, 1, options, def->Fields(), keys, this));
}

void TqmtCustomMemTable::SyncIndexesWithDefs() {
    if (!cursorOpen_) return;
    bool currentChanged = false;
    for (int i = indexes_->Count() - 1; i >= 1; --i) {
        TqmtIndex* x = indexes_->At(i);
        if (x == sortIndex_ || indexDefs_.IndexOf(x->Name()) >= 0) continue;
        if (x == currentIndex_) {
            currentIndex_ = indexes_->RowOrder();
            indexKeys_.Clear();
            indexFieldNames_.clear();
            currentChanged = true;
        }
        indexes_->RemoveIndex(x);
    }
    for (int i = 0; i < indexDefs_.Count(); ++i)
        if (!indexes_->IndexByName(indexDefs_[i]->Name())) CreateIndexFromDef(indexDefs_[i]);
    for (int i = 0; i < indexes_->Count(); ++i) {
        TqmtIndex* x = indexes_->At(i);
        if (!x->Ordered()) {
            x->RefreshIndex();
            currentChanged |= x == currentIndex_;
        }
    }
    if (currentChanged && Active() && State() == dsBrowse) Refresh();
}

void TqmtCustomMemTable::DefineIndex(const std::string& name, const std::string& fields, TIndexOptions options) {
    indexDefs_.Add(name, fields, options);
    try {
        SyncIndexesWithDefs();
    } catch (...) {
        int i = indexDefs_.IndexOf(name);
        if (i >= 0) indexDefs_.Delete(i);
        try {
            SyncIndexesWithDefs();
        } catch (...) {
        }
        throw;
    }
}

void TqmtCustomMemTable::UndefineIndex(const std::string& name) {
    int i = indexDefs_.IndexOf(name);
    if (i >= 0) indexDefs_.Delete(i);
    SyncIndexesWithDefs();
}

void TqmtCustomMemTable::SwitchIndex(TqmtIndex* index) {
    if (!index) index = indexes_->RowOrder();
    if (index == currentIndex_) return;
    int slot = -1;
    const bool active = Active();
    if (active) {
        CheckBrowseMode();
        if (!IsEmpty()) slot = Rec(ActiveBuffer())->Slot;
    }
    if (index->Internal()) {
        indexFieldNames_.clear();
        indexName_.clear();
    } else {
        indexFieldNames_ = index->FieldNames();
        indexName_ = index->Name();
    }
    currentIndex_ = index;
    indexKeys_ = index->Keys();
    EnsureCurrentIndex();
    if (position_ > CurrentCount()) position_ = CurrentCount();
    if (!active) return;
    int p = slot >= 0 ? currentIndex_->LocateSlot(slot) : -1;
    if (p >= 0 && IsRowVisible(RowAt(p), false)) {
        position_ = p;
        CursorPosChanged();
        Resync(0);
    } else {
        First();
    }
}

void TqmtCustomMemTable::SetIndexFieldNames(const std::string& v) {
    indexFieldNames_ = v;
    if (!cursorOpen_) return;
    if (Trim(v).empty()) {
        SwitchIndex(indexes_->RowOrder());
        return;
    }
    if (TqmtIndex* x = indexes_->IndexByFields(v)) SwitchIndex(x);
}

void TqmtCustomMemTable::SetIndexName(const std::string& v) {
    indexName_ = v;
    if (!cursorOpen_) return;
    if (Trim(v).empty()) {
        SwitchIndex(indexes_->RowOrder());
        return;
    }
    if (TqmtIndex* x = indexes_->IndexByName(v)) SwitchIndex(x);
}

void TqmtCustomMemTable::Sort() { SortWithOptions(sortOptions_); }

void TqmtCustomMemTable::SortWithOptions(Byte options) {
    if (!cursorOpen_) return;
    TqmtStoreGuard g(*store_);
    if (Active()) CheckBrowseMode();
    TqmtIndex* old = sortIndex_;
    std::unique_ptr<TqmtIndex> fresh;
    if (!Trim(sortFields_).empty()) {
        TqmtFieldList keys;
        ParseKeyFields(sortFields_, keys);
        fresh = std::make_unique<TqmtIndex>(qmtDefSortIndexName, true, 1, options, sortFields_, keys, this);
        fresh->ReloadRows();
        fresh->SortAndCheck();
    }
    // Leave the old sort index for the row order first so the switch keeps
    // the current row.
    if (old && currentIndex_ == old) {
        int slot = Active() && !IsEmpty() ? Rec(ActiveBuffer())->Slot : -1;
        currentIndex_ = indexes_->RowOrder();
        EnsureCurrentIndex();
        position_ = slot >= 0 ? currentIndex_->LocateSlot(slot) : -1;
        if (Active() && position_ >= 0) {
            CursorPosChanged();
            Resync(0);
        }
    }
    if (old) indexes_->RemoveIndex(old);
    sortIndex_ = fresh ? indexes_->RegisterIndex(std::move(fresh)) : nullptr;
    TqmtIndex* target = sortIndex_ ? sortIndex_ : indexes_->RowOrder();
    if (target == currentIndex_) {
        if (Active()) First();
    } else {
        SwitchIndex(target);
    }
}

bool TqmtCustomMemTable::GetIsIndexField(TField* field) { return indexKeys_.IndexOf(field) >= 0; }

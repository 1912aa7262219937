// TLdbDataSet: the active index, index definitions, scopes, raw-key ranges
// and the master-detail link.

#include <cstring>

#include "dbclient/LdbDataSet.h"
#include "platform/core/FileUtils.h"
#include "platform/core/Strings.h"
#include "platform/data/DBConsts.h"

namespace {

bool SameFieldList(const std::string& a, const std::string& b) {
    std::vector<std::string> x = SplitFieldNames(a), y = SplitFieldNames(b);
    if (x.size() != y.size()) return false;
    for (std::size_t i = 0; i < x.size(); ++i)
        if (!SameText(x[i], y[i])) return false;
    return true;
}

}  // namespace

// ---------------------------------------------------------------- key buffers

void TLdbDataSet::AllocKeyBuffers() {
    keyBuffers_.assign(kbCount, KeyBuffer{});
    for (KeyBuffer& k : keyBuffers_) ClearKeyBuffer(k);
}

void TLdbDataSet::ClearKeyBuffer(KeyBuffer& k) {
    k.Modified = false;
    k.Exclusive = false;
    k.FieldCount = 0;
    k.Record.assign(recordSize_ + 1, 0);
    std::uint32_t len = recordSize_ + 1;
    if (cursor_ != -1) CheckAdsResult(this, LdbGetNullRecord(cursor_, k.Record.data(), &len));
    k.Lengths.assign(static_cast<std::size_t>(lceFieldDefs_.Count()), 0xFFFF);
}

// ---------------------------------------------------------------- active index

void TLdbDataSet::UpdateIndexDefs() {
    if (indexDefs_->Updated()) return;
    bool temporary = cursor_ == -1;
    LdbHandle cursor = temporary ? CreateCursorHandle() : cursor_;
    try {
        indexDefs_->Clear();
        std::uint16_t count = 0;
        CheckAdsResult(this, LdbGetNumIndexes(cursor, &count));
        std::vector<LdbHandle> handles(count ? count : 1u);
        if (count > 0) CheckAdsResult(this, LdbGetAllIndexes(cursor, handles.data(), &count));
        for (std::uint16_t i = 0; i < count; ++i) {
            char name[261] = {};
            std::uint16_t len = 260;
            CheckAdsResult(this, LdbGetIndexName(handles[i], name, &len));
            std::uint16_t segments = 0;
            CheckAdsResult(this, LdbGetNumSegments(handles[i], &segments));
            std::string fields;
            for (std::uint16_t s = 1; s <= segments; ++s) {
                char field[511] = {};
                std::uint16_t flen = 510;
                CheckAdsResult(this, LdbGetSegmentFieldname(handles[i], s, field, &flen));
                fields += (fields.empty() ? "" : ";") + std::string(field);
            }
            std::uint16_t flag = 0;
            TIndexOptions options = 0;
            if (LdbIsIndexDescending(handles[i], &flag) == LdbSuccess && flag == 1) options |= ixDescending;
            if (LdbIsIndexUnique(handles[i], &flag) == LdbSuccess && flag == 1) options |= ixUnique;
            indexDefs_->Add(name, UpperCase(fields), options);
        }
    } catch (...) {
        if (temporary) LdbCloseTable(cursor);
        throw;
    }
    if (temporary) LdbCloseTable(cursor);
    indexDefs_->SetUpdated(true);
}

void TLdbDataSet::SelectActiveIndex() {
    if (cursor_ == -1) return;
    CursorPosChanged();
    LdbHandle handle = cursor_;
    switch (activeIndexKind_) {
    case 1: CheckAdsResult(this, LdbGetIndexHandle(cursor_, indexName_.c_str(), &handle)); break;
    case 2: {
        UpdateIndexDefs();
        const TIndexDef* found = nullptr;
        for (int i = 0; i < indexDefs_->Count() && !found; ++i)
            if (SameFieldList(indexDefs_->Items(i)->Fields(), indexFieldNames_)) found = indexDefs_->Items(i);
        if (!found) RaiseLdbError(this, "Not a valid index field name:" + indexFieldNames_);
        CheckAdsResult(this, LdbGetIndexHandle(cursor_, found->Name().c_str(), &handle));
        break;
    }
    case 3:
        if (!defaultIndexName_.empty())
            CheckAdsResult(this, LdbGetIndexHandle(cursor_, defaultIndexName_.c_str(), &handle));
        break;
    default: break;
    }
    active_ = handle;
}

void TLdbDataSet::ResyncAfterIndexChange() {
    if (!Active()) return;
    CursorPosChanged();
    First();
}

void TLdbDataSet::SetIndexName(const std::string& name) {
    std::string oldName = indexName_, oldFields = indexFieldNames_;
    int oldKind = activeIndexKind_;
    indexName_ = name;
    indexFieldNames_.clear();
    activeIndexKind_ = name.empty() ? 0 : (UpperCase(name) == "LDB_DEFAULT" ? 3 : 1);
    if (cursor_ == -1) return;
    if (scoped_)
        SetScoped(false);
    else
        CancelRange();
    try {
        SelectActiveIndex();
    } catch (...) {
        indexName_ = oldName;
        indexFieldNames_ = oldFields;
        activeIndexKind_ = oldKind;
        SelectActiveIndex();
        throw;
    }
    ResyncAfterIndexChange();
    if (Active() && masterLink_->Active() && !masterLink_->Fields().empty()) MasterChanged();
}

void TLdbDataSet::SetIndexFieldNames(const std::string& names) {
    if (scoped_) SetScoped(false);
    std::string oldName = indexName_, oldFields = indexFieldNames_;
    int oldKind = activeIndexKind_;
    indexFieldNames_ = Trim(names);
    indexName_.clear();
    activeIndexKind_ = indexFieldNames_.empty() ? 0 : 2;
    if (cursor_ == -1) return;
    CancelRange();
    try {
        SelectActiveIndex();
    } catch (...) {
        indexName_ = oldName;
        indexFieldNames_ = oldFields;
        activeIndexKind_ = oldKind;
        SelectActiveIndex();
        throw;
    }
    ResyncAfterIndexChange();
}

int TLdbDataSet::SegmentCount() {
    if (active_ == cursor_ || active_ <= 0) return 0;
    std::uint16_t n = 0;
    CheckAdsResult(this, LdbGetNumSegments(active_, &n));
    return n;
}

TField* TLdbDataSet::SegmentField(int segment) {
    if (active_ == cursor_ || active_ <= 0) RaiseLdbError(this, "Internal Error: GetSegmentFieldNum : No Active Index");
    char name[511] = {};
    std::uint16_t len = 510;
    if (LdbGetSegmentFieldname(active_, static_cast<std::uint16_t>(segment), name, &len) != LdbSuccess) return nullptr;
    return FindField(name);
}

bool TLdbDataSet::GetIsIndexField(TField* field) {
    bool noIndex = active_ == cursor_ || active_ <= 0;
    if (State() == dsSetKey && (noIndex || SegmentCount() == 0)) return true;
    if (field->FieldNo() <= 0 || noIndex) return false;
    for (int s = 1, n = SegmentCount(); s <= n; ++s)
        if (SegmentField(s) == field) return true;
    return false;
}

// ---------------------------------------------------------------- scopes

void TLdbDataSet::SetScopeBegin(const std::string& value) {
    if (value.size() > 257) RaiseLdbError(this, "Scope text length exceeded 256");
    scopeBegin_ = value;
}

void TLdbDataSet::SetScopeEnd(const std::string& value) {
    if (value.size() > 257) RaiseLdbError(this, "Scope text length exceeded 256");
    scopeEnd_ = value;
}

void TLdbDataSet::ActivateScope() {
    if (active_ == cursor_ || active_ <= 0) RaiseLdbError(this, "Cannot activate scope when there is no active index.");
    char buffer[256];
    std::uint16_t len = sizeof buffer;
    LdbResult top = LdbGetScope(active_, 1, buffer, &len);
    len = sizeof buffer;
    LdbResult bottom = LdbGetScope(active_, 2, buffer, &len);
    if (top == LdbSuccess || bottom == LdbSuccess || top == LdbErrInsufficientBuffer ||
        bottom == LdbErrInsufficientBuffer)
        RaiseLdbError(this, "Cannot activate scope when there is an active range.");
    if (!scopeBegin_.empty())
        CheckAdsResult(this, LdbSetScope(active_, 1, scopeBegin_.c_str(), static_cast<std::uint16_t>(scopeBegin_.size()), 2));
    if (!scopeEnd_.empty())
        CheckAdsResult(this, LdbSetScope(active_, 2, scopeEnd_.c_str(), static_cast<std::uint16_t>(scopeEnd_.size()), 2));
}

void TLdbDataSet::DeactivateScope() {
    if (active_ == cursor_ || active_ <= 0) return;
    for (std::uint16_t which : {1, 2}) {
        LdbResult r = LdbClearScope(active_, which);
        if (r != LdbErrNoScope) CheckAdsResult(this, r);
    }
}

void TLdbDataSet::SetScoped(bool value) {
    if (value == scoped_) return;
    if (Active()) {
        if (value) {
            ActivateScope();
            scoped_ = true;
            std::uint16_t visible = 0;
            UpdateCursorPos();
            LdbResult r = LdbIsRecordVisible(active_, &visible);
            if (r != LdbErrRecordDeleted) CheckAdsResult(this, r);
            if (visible)
                Resync(0);
            else
                First();
        } else {
            bool empty = Bof() && Eof();
            DeactivateScope();
            scoped_ = false;
            if (empty) {
                First();
            } else {
                CursorPosChanged();
                Resync(0);
            }
        }
    }
    scoped_ = value;
}

// ---------------------------------------------------------------- ranges

void TLdbDataSet::SetKeyBufferState(int which, bool clear) {
    CheckBrowseMode();
    keyBuffers_[kbSave] = keyBuffers_[which];
    if (clear) ClearKeyBuffer(keyBuffers_[which]);
    keyBuffer_ = which;
    SetState(dsSetKey);
    DataEvent(deDataSetChange, 0);
}

void TLdbDataSet::SetRangeStart() { SetKeyBufferState(kbRangeStart, true); }
void TLdbDataSet::SetRangeEnd() { SetKeyBufferState(kbRangeEnd, true); }

void TLdbDataSet::Post() {
    if (State() != dsSetKey) {
        TDataSet::Post();
        return;
    }
    DataEvent(deCheckBrowseMode, 0);
    SetModified(keyBuffers_[keyBuffer_].Modified);
    SetState(dsBrowse);
    DataEvent(deDataSetChange, 0);
}

void TLdbDataSet::Cancel() {
    if (State() != dsSetKey) {
        TDataSet::Cancel();
        return;
    }
    keyBuffers_[keyBuffer_] = keyBuffers_[kbSave];
    SetState(dsBrowse);
    DataEvent(deDataSetChange, 0);
}

std::string TLdbDataSet::BuildKey(KeyBuffer& k) {
    CheckAdsResult(this, LdbInitRawKey(active_));
    for (std::uint16_t segment = 1;; ++segment) {
        char name[511] = {};
        std::uint16_t len = 510;
        if (LdbGetSegmentFieldname(active_, segment, name, &len) != LdbSuccess) break;
        int index = lceFieldDefs_.IndexOf(name);
        if (index < 0) break;
        const TLceFieldDef& def = lceFieldDefs_[index];
        auto n = static_cast<std::uint32_t>(def.FieldNumber);
        std::uint16_t length = k.Lengths[static_cast<std::size_t>(index)];
        if (length == 0xFFFF) {
            if (tableOptions_->LdbAutoKeyFieldCount || k.FieldCount != 0) continue;
            CheckAdsResult(this, LdbSetEmpty(active_, n));
            continue;
        }
        const char* p = k.Record.data() + def.Offset;
        if (def.EngineType == LdbTypeString)
            CheckAdsResult(this, LdbSetField(active_, n, p, std::min<std::uint32_t>(length, def.Length)));
        else
            CheckAdsResult(this, LdbSetFieldRaw(active_, n, p, def.Length));
    }
    char key[257];
    std::uint16_t len = sizeof key;
    CheckAdsResult(this, LdbBuildRawKey(active_, key, &len));
    return std::string(key, len);
}

void TLdbDataSet::ApplyRange() {
    CheckBrowseMode();
    if (scoped_) RaiseLdbError(this, "Cannot set range on table when there is an active scope.");
    if (keyBuffers_[kbRangeStart] == keyBuffers_[kbCurRangeStart] &&
        keyBuffers_[kbRangeEnd] == keyBuffers_[kbCurRangeEnd])
        return;
    std::uint16_t keyLength = 0;
    CheckAdsResult(this, LdbGetKeyLength(active_, &keyLength));
    struct Side {
        int buffer, current;
        std::uint16_t which;
        std::int16_t step;
    } sides[] = {{kbRangeStart, kbCurRangeStart, 1, 1}, {kbRangeEnd, kbCurRangeEnd, 2, -1}};
    for (const Side& side : sides) {
        KeyBuffer& k = keyBuffers_[side.buffer];
        if (!k.Modified) continue;
        std::string key = BuildKey(k);
        if (k.Exclusive && TableType() == LdbTableAdt)
            CheckAdsResult(this, LdbStepIndexKey(active_, key.data(), static_cast<std::uint16_t>(key.size()), side.step));
        CheckAdsResult(this, LdbSetScope(active_, side.which, key.data(), static_cast<std::uint16_t>(key.size()), 1));
        keyBuffers_[side.current] = k;
    }
    First();
}

void TLdbDataSet::CancelRange() {
    if (scoped_ || keyBuffers_.empty()) return;
    if (!keyBuffers_[kbCurRangeStart].Modified && !keyBuffers_[kbCurRangeEnd].Modified) return;
    CheckAdsResult(this, LdbClearAllScopes(cursor_));
    std::uint16_t bof = 0, eof = 0;
    CheckAdsResult(this, LdbAtBOF(cursor_, &bof));
    CheckAdsResult(this, LdbAtEOF(cursor_, &eof));
    if (bof && eof) CheckAdsResult(this, LdbGotoTop(active_));
    ClearKeyBuffer(keyBuffers_[kbCurRangeStart]);
    ClearKeyBuffer(keyBuffers_[kbCurRangeEnd]);
    ClearKeyBuffer(keyBuffers_[kbRangeStart]);
    ClearKeyBuffer(keyBuffers_[kbRangeEnd]);
    if (Active()) {
        CursorPosChanged();
        First();
    }
}

void TLdbDataSet::SetRange(const std::vector<Variant>& startValues, const std::vector<Variant>& endValues) {
    CheckBrowseMode();
    for (int side = 0; side < 2; ++side) {
        const std::vector<Variant>& values = side == 0 ? startValues : endValues;
        SetKeyBufferState(side == 0 ? kbRangeStart : kbRangeEnd, true);
        try {
            for (std::size_t i = 0; i < values.size(); ++i) {
                TField* field = SegmentField(static_cast<int>(i) + 1);
                if (!field) break;
                field->SetAsVariant(values[i]);
            }
            keyBuffers_[keyBuffer_].FieldCount = static_cast<int>(values.size());
            keyBuffers_[keyBuffer_].Modified = true;
        } catch (...) {
            Cancel();
            throw;
        }
        Post();
    }
    ApplyRange();
}

void TLdbDataSet::SetRangeFromFields(const std::vector<TField*>& fields) {
    TDataSetState saved = SetTempState(dsSetKey);
    int savedKey = keyBuffer_;
    try {
        keyBuffer_ = kbRangeStart;
        ClearKeyBuffer(keyBuffers_[kbRangeStart]);
        keyBuffers_[kbRangeStart].Modified = true;
        for (std::size_t i = 0; i < fields.size(); ++i)
            if (TField* field = SegmentField(static_cast<int>(i) + 1)) field->SetAsVariant(fields[i]->AsVariant());
        keyBuffers_[kbRangeStart].FieldCount = static_cast<int>(fields.size());
        keyBuffers_[kbRangeEnd] = keyBuffers_[kbRangeStart];
    } catch (...) {
        keyBuffer_ = savedKey;
        RestoreState(saved);
        throw;
    }
    keyBuffer_ = savedKey;
    RestoreState(saved);
}

// ---------------------------------------------------------------- master link

void TLdbDataSet::SetMasterSource(TDataSource* source) {
    if (source && IsLinkedTo(source)) RaiseLdbError(this, "Circular Data Link");
    masterLink_->SetDataSource(source);
    if (!source) masterLink_->SetFieldNames("");
}

void TLdbDataSet::MasterChanged() {
    CheckBrowseMode();
    SetRangeFromFields(masterLink_->Fields());
    ApplyRange();
}

void TLdbDataSet::MasterDisabled() { CancelRange(); }

void TLdbDataSet::DoAfterOpen() {
    if (masterLink_->DataSource() && masterLink_->DataSet() && masterLink_->DataSet()->Active() &&
        !masterLink_->Fields().empty())
        MasterChanged();
    TDataSet::DoAfterOpen();
}

// ---------------------------------------------------------------- index files

TLdbIndexFiles::TLdbIndexFiles(TLdbDataSet* dataSet) : dataSet_(dataSet) {
    if (!dataSet) RaiseLdbError(nullptr, "TLdbIndexFiles instances require a non-nil owner");
    SetSorted(true);
    SetDuplicates(dupIgnore);
}

std::string TLdbIndexFiles::PathOf(const std::string& name) const {
    if (name.find('/') != std::string::npos || name.find('\\') != std::string::npos) return name;
    return dataSet_->DatabasePath() + "\\" + name;
}

void TLdbIndexFiles::Open(const std::string& name) {
    if (!dataSet_->Active()) RaiseLdbError(dataSet_, "Table must be Active.");
    LdbHandle handles[50];
    std::uint16_t count = 50;
    CheckAdsResult(dataSet_, LdbOpenIndex(dataSet_->cursor_, PathOf(name).c_str(), handles, &count));
}

void TLdbIndexFiles::CloseFile(const std::string& name) {
    if (!dataSet_->Active()) RaiseLdbError(dataSet_, "Table must be Active.");
    std::string file = ExtractFileName(name);
    std::uint16_t count = 0;
    CheckAdsResult(dataSet_, LdbGetNumIndexes(dataSet_->cursor_, &count));
    std::vector<LdbHandle> handles(count ? count : 1u);
    if (count > 0) CheckAdsResult(dataSet_, LdbGetAllIndexes(dataSet_->cursor_, handles.data(), &count));
    for (std::uint16_t i = 0; i < count; ++i) {
        char path[261] = {};
        std::uint16_t len = 260;
        CheckAdsResult(dataSet_, LdbGetIndexFilename(handles[i], 2, path, &len));
        if (!SameText(ExtractFileName(path), file)) continue;
        bool active = handles[i] == dataSet_->active_;
        CheckAdsResult(dataSet_, LdbCloseIndex(handles[i]));
        if (active) dataSet_->SetIndexName("");
        return;
    }
}

Integer TLdbIndexFiles::Add(const std::string& s) {
    if (dataSet_->Active()) Open(s);
    dataSet_->indexDefs_->SetUpdated(false);
    return TStringList::Add(s);
}

void TLdbIndexFiles::Insert(Integer index, const std::string& s) {
    if (dataSet_->Active()) Open(s);
    dataSet_->indexDefs_->SetUpdated(false);
    TStringList::Insert(index, s);
}

void TLdbIndexFiles::Delete(Integer index) {
    if (dataSet_->Active()) CloseFile(Get(index));
    dataSet_->indexDefs_->SetUpdated(false);
    TStringList::Delete(index);
}

void TLdbIndexFiles::Clear() {
    if (dataSet_->Active())
        for (Integer i = 0; i < Count(); ++i) CloseFile(Get(i));
    dataSet_->indexDefs_->SetUpdated(false);
    TStringList::Clear();
}

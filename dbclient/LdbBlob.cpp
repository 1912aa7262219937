// The blob cache of a record buffer and the blob stream over it.

#include "dbclient/LdbBlob.h"

#include <cstring>

#include "dbclient/LdbDataSet.h"
#include "platform/data/Field.h"

// ---------------------------------------------------------------- cache

void TLdbBlobCache::Load(LdbHandle table, std::int32_t fieldNumber, bool force, std::int32_t recordNumber) {
    if (!force && table == table_ && recordNumber == recordNumber_ && fieldNumber == fieldNumber_) {
        Seek(0, soBeginning);
        return;
    }
    Clear();
    table_ = table;
    recordNumber_ = recordNumber;
    fieldNumber_ = fieldNumber;
    modified_ = false;
    if (recordNumber == 0) return;
    auto field = static_cast<std::uint32_t>(fieldNumber);
    try {
        std::uint32_t current = 0;
        CheckAdsResult(nullptr, LdbGetRecordNum(table, LdbIgnoreFilters, &current));
        if (current != static_cast<std::uint32_t>(recordNumber))
            CheckAdsResult(nullptr, LdbGotoRecord(table, static_cast<std::uint32_t>(recordNumber)));
        std::uint16_t type = 0;
        CheckAdsResult(nullptr, LdbGetFieldType(table, field, &type));
        bool text = type != LdbTypeBinary && type != LdbTypeImage;
        if (type == LdbTypeMemo) {
            std::uint16_t memoType = 0;
            CheckAdsResult(nullptr, LdbGetMemoDataType(table, field, &memoType));
            text = memoType == LdbTypeMemo;
        }
        std::uint32_t length = 0;
        LdbResult r = text ? LdbGetMemoLength(table, field, &length) : LdbGetBinaryLength(table, field, &length);
        if (r == LdbErrRecordDeleted) {
            recordNumber_ = 0;
            return;
        }
        CheckAdsResult(nullptr, r);
        if (text) ++length;
        SetSize(length);
        std::uint32_t got = length;
        CheckAdsResult(nullptr, LdbGetField(table, field, Memory(), &got, 0));
        if (got != length) SetSize(got);
        Seek(0, soBeginning);
    } catch (const ELdbDatabaseError& e) {
        recordNumber_ = 0;
        if (e.EngineErrorCode == LdbErrRecordDeleted || e.EngineErrorCode == LdbErrNoCurrentRecord) {
            Clear();
            return;
        }
        throw;
    }
}

Integer TLdbBlobCache::Write(const void* buffer, Integer count) {
    Integer n = TMemoryStream::Write(buffer, count);
    modified_ = true;
    return n;
}

void TLdbBlobCache::Truncate() {
    Clear();
    modified_ = true;
}

void TLdbBlobCache::Reset() {
    Clear();
    table_ = -1;
    fieldNumber_ = 0;
    recordNumber_ = 0;
    modified_ = false;
}

void TLdbBlobCache::Flush() {
    if (!modified_) return;
    CheckAdsResult(nullptr, LdbSetField(table_, static_cast<std::uint32_t>(fieldNumber_), Memory(),
                                        static_cast<std::uint32_t>(Size())));
    modified_ = false;
}

// ---------------------------------------------------------------- stream

TLdbBlobStream::TLdbBlobStream(TField* field, TBlobStreamMode mode) : mode_(mode), field_(field) {
    dataSet_ = dynamic_cast<TLdbDataSet*>(field->DataSet());
    if (!dataSet_) return;
    dataSet_->OpenBlobCache(this, field, mode, cache_);
    if (cache_ && mode == bmWrite) {
        cache_->Truncate();
        modified_ = true;
    }
}

TLdbBlobStream::~TLdbBlobStream() {
    if (modified_ && dataSet_) {
        try {
            dataSet_->BlobChanged(field_);
        } catch (...) {
        }
    }
}

Integer TLdbBlobStream::Read(void* buffer, Integer count) { return cache_ ? cache_->Read(buffer, count) : 0; }

Int64 TLdbBlobStream::Seek(Int64 offset, TSeekOrigin origin) { return cache_ ? cache_->Seek(offset, origin) : 0; }

Int64 TLdbBlobStream::Size() { return cache_ ? cache_->Size() : 0; }

Integer TLdbBlobStream::Write(const void* buffer, Integer count) {
    if ((mode_ == bmWrite || mode_ == bmReadWrite) && cache_) {
        Integer n = cache_->Write(buffer, count);
        modified_ = true;
        return n;
    }
    if (mode_ == bmRead) RaiseLdbError(nullptr, "Error modifying read only blob.");
    RaiseLdbError(nullptr, "Cannot write to blob in current state.");
}

void TLdbBlobStream::SetSize(Int64 newSize) {
    if ((mode_ == bmWrite || mode_ == bmReadWrite) && cache_) {
        cache_->Resize(newSize);
        modified_ = true;
        return;
    }
    if (mode_ == bmRead) RaiseLdbError(nullptr, "Error modifying read only blob.");
    RaiseLdbError(nullptr, "Cannot write to blob in current state.");
}

// ---------------------------------------------------------------- dataset side

TStream* TLdbDataSet::CreateBlobStream(TField* field, TBlobStreamMode mode) {
    if ((mode == bmWrite || mode == bmReadWrite) && State() != dsEdit && State() != dsInsert)
        RaiseLdbError(this, "Table must be in Edit or Insert state to open blob stream in Write Mode.");
    return new TLdbBlobStream(field, mode);
}

void TLdbDataSet::OpenBlobCache(TLdbBlobStream*, TField* field, TBlobStreamMode mode, TLdbBlobCache*& cache) {
    cache = nullptr;
    TDataSetState s = State();
    if (s != dsBrowse && s != dsEdit && s != dsInsert && s != dsCalcFields && s != dsNewValue) return;
    TRecordBuffer buffer = StateBuffer();
    if (!buffer || field->FieldNo() <= 0) return;
    std::uint16_t type = 0;
    CheckAdsResult(this, LdbGetFieldType(cursor_, static_cast<std::uint32_t>(field->FieldNo()), &type));
    if (type < LdbTypeMemo || type > 8) RaiseLdbError(this, "Invalid blob open on non-blob field.");
    const TLceFieldDef& def = lceFieldDefs_[field->FieldNo() - 1];
    cache = BlobCache(buffer, def.BlobIndex);
    if (!cache) return;
    std::int32_t recordNumber = 0;
    if (BookmarkSize() >= 4) std::memcpy(&recordNumber, BookmarkOf(buffer), 4);
    bool force = (s == dsEdit || s == dsInsert) && mode == bmReadWrite && !cache->Modified();
    try {
        cache->Load(cursor_, def.FieldNumber, force, recordNumber);
    } catch (...) {
        CursorPosChanged();
        throw;
    }
    // Loading may have moved the engine's cursor.
    CursorPosChanged();
}

void TLdbDataSet::BlobChanged(TField* field) {
    if (State() == dsEdit || State() == dsInsert) DataEvent(deFieldChange, reinterpret_cast<std::intptr_t>(field));
}

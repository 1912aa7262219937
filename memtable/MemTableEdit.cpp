// TqmtCustomMemTable: editing, bookmarks, searching, loading and saving.

#include <algorithm>
#include <cstring>
#include <memory>

#include "memtable/MemTable.h"
#include "memtable/BlobStream.h"
#include "memtable/DeltaHandler.h"
#include "memtable/StreamFormat.h"
#include "platform/core/FileUtils.h"
#include "platform/core/Format.h"
#include "platform/core/Streams.h"
#include "platform/core/Strings.h"
#include "platform/data/DBConsts.h"
#include "platform/data/DataSource.h"

// ---- editing ------------------------------------------------------------------

TStream* TqmtCustomMemTable::CreateBlobStream(TField* field, TBlobStreamMode mode) {
    return new TqmtBlobStream(field, mode);
}

void TqmtCustomMemTable::SetDeltaHandler(TqmtCustomDeltaHandler* handler) {
    if (handler == deltaHandler_) return;
    if (deltaHandler_) deltaHandler_->table_ = nullptr;
    deltaHandler_ = handler;
    if (handler) {
        if (handler->table_ && handler->table_ != this) handler->table_->deltaHandler_ = nullptr;
        handler->table_ = this;
    }
}

void TqmtCustomMemTable::BlobChanged(TField* field) {
    if (field->FieldNo() > 0 && field->FieldNo() <= store_->FieldCount())
        store_->FieldFlags(field->FieldNo()) |= qmtFieldChanged;
    SetModified(true);
    DataEvent(deFieldChange, reinterpret_cast<std::intptr_t>(field));
}

void TqmtCustomMemTable::DoBeforeInsert() {
    insertRecNo_ = GetRecNo();
    TDataSet::DoBeforeInsert();
}

void TqmtCustomMemTable::InternalInsert() { store_->ClearChangedFlags(); }

void TqmtCustomMemTable::InternalEdit() {}

void TqmtCustomMemTable::DoOnNewRecord() {
    TqmtRecord* row = Rec(ActiveBuffer());
    for (TField* f : Fields().List())
        if (!f->DefaultExpression().empty() && f->DataType() != ftLargeint)
            SetValueFromVariant(row, f, Variant(f->DefaultExpression()));
    // A detail row starts with its master's key values.
    if (MasterRangeActive()) {
        const TqmtFieldList& keys = MasterKeyList();
        const auto& master = MasterLink().Fields();
        const int n = std::min(static_cast<int>(master.size()), keys.Count());
        for (int i = 0; i < n; ++i)
            SetValueFromVariant(row, keys.Field(i).Field, master[static_cast<size_t>(i)]->AsVariant());
    }
    TDataSet::DoOnNewRecord();
    if (autoIncField_ && !ignoreAutoInc_)
        SetValueFromVariant(row, autoIncField_, Variant(static_cast<long long>(store_->AutoIncValue() + 1)));
}

void TqmtCustomMemTable::DoBeforePost() {
    TDataSet::DoBeforePost();
    if (autoIncField_ && !autoIncField_->IsNull()) {
        TqmtStoreGuard g(*store_);
        Int64 v = autoIncField_->AsLargeInt();
        if (v > store_->AutoIncValue()) store_->SetAutoIncValue(v);
    }
}

void TqmtCustomMemTable::InternalPost() {
    TDataSet::InternalPost();
    TqmtStoreGuard g(*store_);
    TqmtRecord* w = Rec(ActiveBuffer());
    if (State() == dsEdit) {
        TqmtRecord* s = StoredRowOf(w);
        if (!s) throw EMemTableError(qmtmsg::BookmarkRowGone);
        indexes_->CheckUniqueKeys(w, s, enableIndexes_);
        if (Modified()) {
            if (store_->EnableVersioning() &&
                (store_->VersioningMode() == mtvmAllSinceCheckPoint || w->UpdateStatus == qmtUnmodified)) {
                w->UpdateStatus = qmtModified;
                TqmtRecord* old = store_->CloneRecord(s, true);
                old->Flags |= qmtStoreOwned;
                w->Previous = old;
            }
            store_->SetDataModified(true);
            store_->UpdateAllIndexes(this, 1, position_, w, s);
            store_->MoveRecordContents(w, s);
            s->Flags |= qmtStoreOwned;
            s->TransLevel = store_->TransactionLevel();
        }
    } else {
        indexes_->CheckUniqueKeys(w, nullptr, enableIndexes_);
        TqmtRecord* s = store_->CloneRecord(w, true);
        store_->ReleaseOutOfLineValues(w);
        s->FetchPos = -1;
        try {
            store_->StoreRecord(s);
        } catch (const EMemTableFatalError&) {
            // The row is stored; the counter warning still reaches the user.
            s->TransLevel = store_->TransactionLevel();
            store_->UpdateAllIndexes(this, 0, -1, s, s);
            throw;
        }
        s->TransLevel = store_->TransactionLevel();
        const Byte flag = store_->BookmarkEntry(w, attachNo_)[8];
        const int hint = flag == static_cast<Byte>(bfEOF) ? -1 : insertRecNo_;
        rememberedPosition_ = -1;
        store_->UpdateAllIndexes(this, 0, hint, s, s);
        if (rememberedPosition_ >= 0) position_ = rememberedPosition_;
        store_->SetDataModified(true);
    }
    store_->ClearChangedFlags();
}

void TqmtCustomMemTable::InternalAddRecord(TRecordBuffer buffer, bool append) {
    (void)buffer;
    (void)append;
    InternalPost();
}

void TqmtCustomMemTable::DoAfterPost() {
    if (attachedAutoRefresh_) store_->RefreshOtherTables(this);
    if (autoReposition_ && rememberedPosition_ >= 0) {
        position_ = rememberedPosition_;
        rememberedPosition_ = -1;
        CursorPosChanged();
        Resync(0);
    }
    TDataSet::DoAfterPost();
}

void TqmtCustomMemTable::InternalDelete() {
    TqmtStoreGuard g(*store_);
    EnsureCurrentIndex();
    if (position_ < 0 || position_ >= CurrentCount()) return;
    TqmtRecord* s = RowAt(position_);
    store_->UpdateAllIndexes(this, 2, position_, nullptr, s);
    if (store_->EnableVersioning()) {
        TqmtRecord* old = store_->CloneRecord(s, true);
        old->Flags |= qmtStoreOwned;
        s->Previous = old;
        s->UpdateStatus = qmtDeleted;
        s->TransLevel = store_->TransactionLevel();
        store_->AddDeleted(1);
    } else {
        store_->DropRecord(s);
    }
    store_->SetDataModified(true);
    if (position_ >= CurrentCount()) position_ = CurrentCount() - 1;
}

void TqmtCustomMemTable::DoAfterDelete() {
    if (attachedAutoRefresh_) store_->RefreshOtherTables(this);
    TDataSet::DoAfterDelete();
}

void TqmtCustomMemTable::EmptyTableRows() {
    if (!cursorOpen_) return;
    if (State() == dsEdit || State() == dsInsert) Cancel();
    DisableControls();
    try {
        TqmtStoreGuard g(*store_);
        DoProgress(0, mtpcEmpty);
        store_->EmptyAllTables();
        ResetAutoInc();
        DoProgress(100, mtpcEmpty);
        First();
        store_->RefreshOtherTables(this);
    } catch (...) {
        EnableControls();
        throw;
    }
    EnableControls();
}

// ---- bookmarks ------------------------------------------------------------------

namespace {

struct BookmarkParts {
    Integer slot = -1, serial = -1, identity = -1;
};

bool DecodeBookmark(const TBookmark& b, BookmarkParts& p) {
    if (b.size() != static_cast<size_t>(qmtBookmarkSize)) return false;
    std::memcpy(&p.slot, b.data(), 4);
    std::memcpy(&p.serial, b.data() + 4, 4);
    std::memcpy(&p.identity, b.data() + 8, 4);
    return true;
}

int Sign(long long v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

}  // namespace

void TqmtCustomMemTable::GetBookmarkData(TRecordBuffer buffer, TBookmark& data) {
    const Byte* e = store_->BookmarkEntry(Rec(buffer), attachNo_);
    data.assign(reinterpret_cast<const char*>(e), 8);
    Integer id = store_->Identity();
    data.append(reinterpret_cast<const char*>(&id), 4);
}

void TqmtCustomMemTable::SetBookmarkData(TRecordBuffer buffer, const TBookmark& data) {
    if (data.size() < 8) return;
    std::memcpy(store_->BookmarkEntry(Rec(buffer), attachNo_), data.data(), 8);
}

TBookmarkFlag TqmtCustomMemTable::GetBookmarkFlag(TRecordBuffer buffer) {
    return static_cast<TBookmarkFlag>(store_->BookmarkEntry(Rec(buffer), attachNo_)[8]);
}

void TqmtCustomMemTable::SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) {
    store_->BookmarkEntry(Rec(buffer), attachNo_)[8] = static_cast<Byte>(flag);
}

bool TqmtCustomMemTable::BookmarkValid(const TBookmark& bookmark) {
    BookmarkParts p;
    if (!cursorOpen_ || !DecodeBookmark(bookmark, p) || p.identity != store_->Identity()) return false;
    TqmtStoreGuard g(*store_);
    TqmtRecord* r = store_->StoredRow(p.slot, p.serial);
    return r && r->Data && r->UpdateStatus != qmtDeleted;
}

int TqmtCustomMemTable::CompareBookmarks(const TBookmark& a, const TBookmark& b) {
    // A bookmark the table no longer holds (its row deleted, its slot
    // reused, the table emptied or another store's) names no live record:
    // it never equals a live one, and sorts after every live one, so a
    // scan toward it runs to the end instead of stopping at the first
    // record. Two dead bookmarks are the same only byte for byte.
    bool validA = BookmarkValid(a), validB = BookmarkValid(b);
    if (!validA || !validB) {
        if (validA != validB) return validA ? -1 : 1;
        int c = a.compare(b);
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    BookmarkParts pa, pb;
    DecodeBookmark(a, pa);
    DecodeBookmark(b, pb);
    TqmtStoreGuard g(*store_);
    if (currentIndex_->IsRowOrder()) return Sign(static_cast<long long>(pa.slot) - pb.slot);
    TqmtRecord* ra = store_->StoredRow(pa.slot, pa.serial);
    TqmtRecord* rb = store_->StoredRow(pb.slot, pb.serial);
    int r = currentIndex_->CompareRows(nullptr, ra, rb, false, true);
    if (r == 0) r = ra->FetchPos - rb->FetchPos;
    if (r == 0) r = ra->Slot - rb->Slot;
    return Sign(r);
}

void TqmtCustomMemTable::InternalGotoBookmark(const TBookmark& bookmark) {
    if (bookmark.empty()) throw EMemTableError(Format(qmtmsg::BookmarkNotFound, {-200}));
    BookmarkParts p;
    TqmtStoreGuard g(*store_);
    // A bookmark names a row by slot and serial in one store: a row that
    // was deleted, or whose slot was reused, is reported instead of
    // silently landing on another row.
    if (!DecodeBookmark(bookmark, p) || p.identity != store_->Identity())
        throw EMemTableError(qmtmsg::BookmarkRowGone);
    TqmtRecord* row = store_->StoredRow(p.slot, p.serial);
    if (!row || row->UpdateStatus == qmtDeleted) throw EMemTableError(qmtmsg::BookmarkRowGone);
    EnsureCurrentIndex();
    int pos = currentIndex_->LocateRow(row, true);
    if (pos >= 0) position_ = pos;
}

// ---- searching --------------------------------------------------------------------

namespace {

bool StartsWithFields(const TqmtFieldList& index, const TqmtFieldList& given) {
    if (index.Count() < given.Count()) return false;
    for (int i = 0; i < given.Count(); ++i)
        if (index.Field(i).Field != given.Field(i).Field) return false;
    return true;
}

}  // namespace

int TqmtCustomMemTable::FindKeyPosition(const std::string& fieldNames, const Variant& values,
                                        TLocateOptions options) {
    if (VarIsArray(values) && VarArrayDimCount(values) > 1) throw EMemTableError(qmtmsg::BadDimensions);
    CheckBrowseMode();
    CursorPosChanged();
    TqmtFieldList given;
    ParseKeyFields(fieldNames, given);
    Byte extra = 0;
    if (options & loCaseInsensitive) extra |= mtcoCaseInsensitive;
    if (options & loPartialKey) extra |= mtcoPartialKey;
    for (int i = 0; i < given.Count(); ++i) given.SetOptions(i, given.Options(i) | extra);

    TqmtStoreGuard g(*store_);
    EnsureCurrentIndex();
    std::unique_ptr<TqmtRecord, std::function<void(TqmtRecord*)>> key(
        store_->NewRecordBlock(), [this](TqmtRecord* r) { store_->ReleaseRecord(r, true, false); });
    SetKeyValues(key.get(), fieldNames, values);

    // 1. An ordered index that begins with the fields, 2. or one added.
    TqmtIndex* use = nullptr;
    if (currentIndex_->Ordered() && currentIndex_->Count() > 20)
        for (int i = indexes_->Count() - 1; i >= 1 && !use; --i) {
            TqmtIndex* x = indexes_->At(i);
            if (x->Ordered() && StartsWithFields(x->Keys(), given)) use = x;
        }
    if (!use && autoAddIndexes_) {
        std::string joined;
        for (int i = 0; i < given.Count(); ++i) joined += (i ? ";" : "") + given.Field(i).Name;
        std::string name = std::string(qmtAutoIndexPrefix) + joined;
        if (!indexes_->IndexByName(name)) DefineIndex(name, joined, ixCaseInsensitive);
        use = indexes_->IndexByName(name);
        if (use && !use->Ordered()) use->RefreshIndex();
    }
    if (use) {
        // Search in the index's order, then confirm with the caller's own
        // options: the index may compare more loosely (case-insensitive).
        TqmtFieldList ordered;
        for (int i = 0; i < given.Count(); ++i) ordered.Add(use->Keys().Field(i), use->Keys().Options(i));
        given.MergeInto(ordered);
        bool found = false;
        int pos = -1;
        int r = use->SearchKey(&ordered, key.get(), found, pos, true, false);
        if (r != 0 || !found || pos < 0) return -1;
        TqmtRecord* hit = nullptr;
        for (int p = pos; p < use->Count(); ++p) {
            TqmtRecord* row = use->Row(p);
            if (store_->CompareKeyFields(ordered, 0, key.get(), row, false, false, 0) != 0) break;
            if (store_->CompareKeyFields(given, 0, key.get(), row, false, false, 0) == 0 &&
                IsRowVisible(row, false)) {
                hit = row;
                break;
            }
        }
        if (!hit) return -1;
        if (use == currentIndex_) {
            for (int p = pos; p < use->Count(); ++p)
                if (use->Row(p) == hit) return p;
            return -1;
        }
        int at = currentIndex_->LocateRow(hit, false);
        return at >= 0 && at < CurrentCount() ? at : -1;
    }
    // 4. A scan of the current index over the given fields.
    for (int p = 0; p < CurrentCount(); ++p) {
        TqmtRecord* row = RowAt(p);
        if (recalcOnIndex_) CalcFieldsOf(row);
        if (store_->CompareKeyFields(given, 0, key.get(), row, false, false, 0) == 0 && IsRowVisible(row, false))
            return p;
    }
    return -1;
}

bool TqmtCustomMemTable::Locate(const std::string& keyFields, const Variant& keyValues, TLocateOptions options) {
    CheckActive();
    CheckBrowseMode();
    DoBeforeScroll();
    int pos = FindKeyPosition(keyFields, keyValues, options);
    SetFound(pos >= 0);
    if (pos < 0) return false;
    position_ = pos;
    CursorPosChanged();
    Resync(0);
    DoAfterScroll();
    return true;
}

namespace {

Variant FieldValue(TField* f) {
    if (f->IsNull()) return Null();
    switch (f->DataType()) {
        case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: return Variant(f->AsInteger());
        case ftLargeint: return Variant(static_cast<long long>(f->AsLargeInt()));
        case ftBoolean: return Variant(f->AsBoolean());
        case ftFloat: case ftCurrency: case ftBCD: case ftFMTBcd: return Variant(f->AsFloat());
        case ftDate: case ftTime: case ftDateTime: case ftTimeStamp: return Variant::FromDate(f->AsDateTime());
        default: return Variant(f->AsString());
    }
}

}  // namespace

Variant TqmtCustomMemTable::Lookup(const std::string& keyFields, const Variant& keyValues,
                                   const std::string& resultFields) {
    CheckActive();
    Variant result = Null();
    int pos = FindKeyPosition(keyFields, keyValues, 0);
    SetFound(pos >= 0);
    if (pos < 0) return result;
    TqmtStoreGuard g(*store_);
    TqmtRecord* row = RowAt(pos);
    std::vector<TField*> fields;
    GetFieldList(fields, resultFields);
    TqmtRecord* saved = overrideRow_;
    overrideRow_ = row;
    try {
        CalcFieldsOf(row);
        if (fields.size() == 1) {
            result = FieldValue(fields[0]);
        } else {
            std::vector<Variant> items;
            for (TField* f : fields) items.push_back(FieldValue(f));
            result = VarArrayOf(items);
        }
    } catch (...) {
        overrideRow_ = saved;
        throw;
    }
    overrideRow_ = saved;
    return result;
}

// ---- loading and saving -----------------------------------------------------------

void TqmtCustomMemTable::SaveWithFormat(TStream& stream, TqmtCustomStreamFormat* format) {
    if (!format) throw EMemTableError(qmtmsg::NoFormat);
    format->SetStreams(&stream);
    try {
        format->BeginSave(this);
        try {
            format->RunSave(this);
        } catch (...) {
            format->EndSave(this);
            throw;
        }
        format->EndSave(this);
    } catch (...) {
        format->SetStreams(nullptr);
        throw;
    }
    format->SetStreams(nullptr);
}

void TqmtCustomMemTable::LoadWithFormat(TStream& stream, TqmtCustomStreamFormat* format) {
    if (!format) throw EMemTableError(qmtmsg::NoFormat);
    format->SetStreams(&stream);
    try {
        format->BeginLoad(this);
        try {
            format->RunLoad(this);
        } catch (...) {
            format->EndLoad(this);
            throw;
        }
        format->EndLoad(this);
    } catch (...) {
        format->SetStreams(nullptr);
        throw;
    }
    format->SetStreams(nullptr);
}

void TqmtCustomMemTable::WriteFileWithFormat(const std::string& fileName, TqmtCustomStreamFormat* format) {
    CheckActive();
    if (!format) throw EMemTableError(qmtmsg::NoFormat);
    std::unique_ptr<TFileStream> file;
    if (format->SaveAppend() && FileExists(fileName)) {
        file = std::make_unique<TFileStream>(fileName, fmOpenReadWrite | fmShareDenyWrite);
        file->Seek(0, soEnd);
    } else {
        file = std::make_unique<TFileStream>(fileName, fmCreate);
    }
    if (OnSave) OnSave(this, qmtStorageFile, file.get());
    SaveWithFormat(*file, format);
}

void TqmtCustomMemTable::ReadFileWithFormat(const std::string& fileName, TqmtCustomStreamFormat* format) {
    if (!format) throw EMemTableError(qmtmsg::NoFormat);
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    if (OnLoad) OnLoad(this, qmtStorageFile, &file);
    LoadWithFormat(file, format);
}

void TqmtCustomMemTable::SavePersistentFile() {
    if (!cursorOpen_ || persistentSaved_ || !persistent_ || persistentFile_.empty() || !PersistentFormat()) return;
    const std::string temp = ChangeFileExt(persistentFile_, ".$$$");
    WriteFileWithFormat(temp, PersistentFormat());
    if (persistentBackup_) {
        const std::string backup = ChangeFileExt(persistentFile_, persistentBackupExt_);
        if (FileExists(backup)) DeleteFile(backup);
        if (FileExists(persistentFile_)) RenameFile(persistentFile_, backup);
    } else if (FileExists(persistentFile_)) {
        DeleteFile(persistentFile_);
    }
    RenameFile(temp, persistentFile_);
    persistentSaved_ = true;
}

void TqmtCustomMemTable::LoadPersistentFile() {
    persistentSaved_ = false;
    if (!persistent_ || persistentFile_.empty() || !PersistentFormat() || !FileExists(persistentFile_)) return;
    persistent_ = false;
    try {
        ReadFileWithFormat(persistentFile_, PersistentFormat());
    } catch (...) {
        persistent_ = true;
        throw;
    }
    persistent_ = true;
    First();
}

// TqmtCustomMemTable: construction, open and close, field access, row
// visibility, navigation, record count and number.

#include "memtable/MemTable.h"

#include <algorithm>
#include <cstring>

#include "memtable/FilterExpr.h"
#include "memtable/StreamFormat.h"
#include "platform/core/Format.h"
#include "platform/core/Strings.h"
#include "platform/data/DBConsts.h"
#include "platform/data/DataSource.h"

TqmtCustomMemTable::TqmtCustomMemTable(TComponent* owner)
    : TDataSet(owner), store_(std::make_shared<TqmtCommon>(this)), indexDefs_(this) {
    attachNo_ = store_->AttachTable(this);
    masterLink_ = std::make_unique<TMasterDataLink>(this);
    masterLink_->OnMasterChange = [this](TMasterDataLink*) { ApplyMasterRange(); };
    masterLink_->OnMasterDisable = [this](TMasterDataLink*) { ResetMasterRange(); };
    indexes_ = std::make_unique<TqmtIndexes>(this);
    currentIndex_ = indexes_->RowOrder();
    SetBookmarkSize(qmtBookmarkSize);
}

TqmtCustomMemTable::~TqmtCustomMemTable() {
    try {
        Close();
    } catch (...) {
    }
    SetDeltaHandler(nullptr);
    masterLink_->OnMasterChange = nullptr;
    masterLink_->OnMasterDisable = nullptr;
    masterLink_.reset();
    // Tables attached to this one get stores of their own; this one leaves
    // the store it shares.
    while (!attachedChildren_.empty()) {
        try {
            attachedChildren_.back()->SetAttachedTo(nullptr);
        } catch (...) {
            attachedChildren_.back()->attachedTo_ = nullptr;
            attachedChildren_.pop_back();
        }
    }
    if (attachedTo_) {
        auto& list = attachedTo_->attachedChildren_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
    // A lock left held would block every other user of the store.
    if (lockDepth_ > 0) store_->SetTableLocked(false);
    for (; lockDepth_ > 0; --lockDepth_) store_->ReleaseStore();
    for (auto*& f : formats_) {
        if (f) f->TableDetached(this);
        f = nullptr;
    }
    store_->DetachTable(this);
    indexes_.reset();
    store_.reset();
}

void TqmtCustomMemTable::SetFormat(int slot, TqmtCustomStreamFormat* f) {
    TqmtCustomStreamFormat* old = formats_[slot];
    if (old == f) return;
    formats_[slot] = f;
    bool stillUsed = false;
    for (auto* x : formats_) stillUsed |= x == old;
    if (old && !stillUsed) old->TableDetached(this);
    if (f) f->TableAttached(this);
}

void TqmtCustomMemTable::FormatDetached(TqmtCustomStreamFormat* format) {
    for (auto*& f : formats_)
        if (f == format) f = nullptr;
}

void TqmtCustomMemTable::SetPerformance(TqmtPerformance p) {
    if (cursorOpen_) throw EMemTableError(qmtmsg::TableMustBeClosed);
    store_->SetPerformance(p);
}

void TqmtCustomMemTable::SetStandalone(bool v) {
    if (v == store_->Standalone()) return;
    if (cursorOpen_) throw EMemTableError(qmtmsg::TableMustBeClosed);
    if (attachedTo_) throw EMemTableError(qmtmsg::TableIsAttached);
    store_->SetStandalone(v);
}

void TqmtCustomMemTable::DoProgress(int percent, TqmtProgressCode code) {
    if (OnProgress && (progressFlags_ & qmtProgressBit(code))) OnProgress(this, percent, code);
}

void TqmtCustomMemTable::LockTable() {
    store_->AcquireStore();
    ++lockDepth_;
    store_->SetTableLocked(true);
}

void TqmtCustomMemTable::UnlockTable() {
    if (lockDepth_ == 0) return;
    const bool last = --lockDepth_ == 0;
    if (last) store_->SetTableLocked(false);
    store_->ReleaseStore();
    if (last) store_->TableUnlocked();
}

void TqmtCustomMemTable::DataEvent(TDataEvent event, std::intptr_t info) {
    if (store_->TableLocked()) {
        heldEvents_ = true;
        if (event == deLayoutChange || event == deFieldListChange || (event == deUpdateState && State() == dsInactive))
            heldLayout_ = true;
    }
    TDataSet::DataEvent(event, info);
}

void TqmtCustomMemTable::StoreClientUnlocked() {
    if (!heldEvents_) return;
    const bool layout = heldLayout_;
    heldEvents_ = heldLayout_ = false;
    DataEvent(deUpdateState, 0);
    if (Active()) DataEvent(layout ? deLayoutChange : deDataSetChange, 0);
}

// ---- open and close ---------------------------------------------------------

std::vector<TqmtColumnDef> TqmtCustomMemTable::ColumnDefs() {
    std::vector<TqmtColumnDef> defs;
    std::function<void(TFieldDefs&, std::vector<TqmtColumnDef>&)> walk = [&](TFieldDefs& list,
                                                                             std::vector<TqmtColumnDef>& out) {
        for (int i = 0; i < list.Count(); ++i) {
            TFieldDef* d = list[i];
            TqmtColumnDef c;
            c.Name = d->Name();
            c.DisplayName = d->Name();
            c.DataType = d->DataType();
            c.Size = d->Size();
            if (d->HasChildDefs()) walk(d->ChildDefs(), c.Children);
            out.push_back(std::move(c));
        }
    };
    walk(FieldDefs(), defs);
    return defs;
}

void TqmtCustomMemTable::InternalInitFieldDefs() {
    // Persistent field objects define the columns: rebuild the definitions
    // from every data and internal-calc field.
    if (FieldCount() == 0) return;
    bool any = false;
    for (TField* f : Fields().List()) any |= f->FieldKind() == fkData || f->FieldKind() == fkInternalCalc;
    if (!any) return;
    FieldDefs().Clear();
    for (TField* f : Fields().List()) {
        if (f->FieldKind() != fkData && f->FieldKind() != fkInternalCalc) continue;
        TFieldDef* d = FieldDefs().Add(f->FieldName(), f->DataType(), f->Size(), f->Required());
        if (f->FieldKind() == fkInternalCalc) d->SetInternalCalcField(true);
    }
}

void TqmtCustomMemTable::ResetAutoInc() {
    store_->SetAutoIncValue(static_cast<Int64>(store_->AutoIncMinValue()) - 1);
    autoIncField_ = nullptr;
    for (TField* f : Fields().List())
        if (f->DataType() == ftAutoInc) {
            autoIncField_ = f;
            break;
        }
}

void TqmtCustomMemTable::InternalOpen() {
    if (attachedTo_) {
        if (!attachedTo_->Active()) attachedTo_->Open();
        InternalOpenAttached();
        return;
    }
    TqmtStoreGuard g(*store_);
    InternalInitFieldDefs();
    if (FieldDefs().Count() == 0) throw EMemTableError(qmtmsg::NoFields);
    ownFieldsFromDefs_ = DefaultFields();
    if (DefaultFields()) CreateFields();
    SetBookmarkSize(qmtBookmarkSize);
    BindFields(true);
    ResetAutoInc();
    TqmtSetupFieldHook setup;
    if (OnSetupField)
        setup = [this](int fieldNo, Byte& flags) {
            if (TField* f = FieldByNumber(fieldNo)) OnSetupField(this, f, flags);
        };
    store_->SetOwner(this);
    store_->OnCompressField = nullptr;
    store_->OnDecompressField = nullptr;
    store_->OnCompareFields = nullptr;
    if (OnCompressField)
        store_->OnCompressField = [this](int fieldNo, std::string_view in, std::string& out) {
            out.assign(in);
            OnCompressField(this, FieldByNumber(fieldNo), out);
            return true;
        };
    if (OnDecompressField)
        store_->OnDecompressField = [this](int fieldNo, std::string_view in, std::string& out) {
            out.assign(in);
            OnDecompressField(this, FieldByNumber(fieldNo), out);
            return true;
        };
    if (OnCompareFields)
        store_->OnCompareFields = [this](const TqmtKeyField& f, const Byte* k, const Byte* r, Byte options,
                                         bool& fullMatch, int& result) {
            result = 0;
            OnCompareFields(this, f.Field, k, r, f.DataType, options, fullMatch, result);
            return true;
        };
    store_->BuildLayout(ColumnDefs(), CalcFieldsSize(), setup);
    OpenCursorOnStore();
}

void TqmtCustomMemTable::InternalOpenAttached() {
    TqmtStoreGuard g(*store_);
    // The layout is the owner's: same definitions, so the same field numbers.
    FieldDefs().Assign(attachedTo_->FieldDefs());
    ownFieldsFromDefs_ = DefaultFields();
    if (DefaultFields()) CreateFields();
    SetBookmarkSize(qmtBookmarkSize);
    BindFields(true);
    autoIncField_ = nullptr;
    for (TField* f : Fields().List())
        if (f->DataType() == ftAutoInc) {
            autoIncField_ = f;
            break;
        }
    OpenCursorOnStore();
}

void TqmtCustomMemTable::OpenCursorOnStore() {
    setKeyRow_ = store_->NewRecordBlock();
    detailKeys_.Clear();
    if (!detailFields_.empty()) ParseKeyFields(detailFields_, detailKeys_);
    cursorOpen_ = true;
    position_ = -1;
    rememberedPosition_ = -1;
    indexes_->DropAllIndexes();
    sortIndex_ = nullptr;
    currentIndex_ = indexes_->RowOrder();
    indexKeys_.Clear();
    indexes_->MarkAllUnordered();
    SyncIndexesWithDefs();
    std::string names = indexFieldNames_, name = indexName_;
    if (!names.empty())
        SetIndexFieldNames(names);
    else if (!name.empty())
        SetIndexName(name);
    if (MasterRangeActive()) FillMasterKey();
}

void TqmtCustomMemTable::DoAfterOpen() {
    if (!afterOpenRunning_) {
        afterOpenRunning_ = true;
        try {
            LoadWindowData();
            LoadPersistentFile();
            if (!Trim(Filter()).empty()) ParseFilter(Filter(), FilterOptions());
        } catch (...) {
            afterOpenRunning_ = false;
            throw;
        }
        afterOpenRunning_ = false;
    }
    beforeCloseFired_ = false;
    TDataSet::DoAfterOpen();
}

void TqmtCustomMemTable::DoBeforeClose() {
    if (State() == dsEdit || State() == dsInsert) Cancel();
    if (!beforeCloseFired_) {
        beforeCloseFired_ = true;
        TDataSet::DoBeforeClose();
    }
}

void TqmtCustomMemTable::SetActive(bool value) {
    if (ComponentState().Contains(csLoading)) {
        // A table stored as active opens once its window has finished
        // loading, when everything read after Active (formats, window data)
        // is in place; without DesignActivation it stays closed.
        streamedActive_ = value && designActivation_;
        if (value || !Active()) return;
    }
    if (!value && Active() && persistent_) SavePersistentFile();
    TDataSet::SetActive(value);
    if (!value) beforeCloseFired_ = false;
}

void TqmtCustomMemTable::InternalClose() {
    {
        TqmtStoreGuard g(*store_);
        if (store_->Owner() == this || store_->Owner() == nullptr) {
            DoProgress(0, mtpcEmpty);
            store_->EmptyAllTables();
            DoProgress(100, mtpcEmpty);
            store_->CloseOtherTables(this);
        }
        indexes_->DropAllIndexes();
        sortIndex_ = nullptr;
        currentIndex_ = indexes_->RowOrder();
        currentIndex_->ClearRows();
        cursorOpen_ = false;
        position_ = -1;
        if (setKeyRow_) store_->ReleaseRecord(setKeyRow_, true, false);
        setKeyRow_ = nullptr;
        if (masterKeyRow_) store_->ReleaseRecord(masterKeyRow_, true, false);
        masterKeyRow_ = nullptr;
        filterRow_ = nullptr;
        overrideRow_ = nullptr;
    }
    BindFields(false);
    if (DefaultFields()) DestroyFields();
    autoIncField_ = nullptr;
}

void TqmtCustomMemTable::StoreClientEmpty() {
    if (State() == dsEdit || State() == dsInsert) Cancel();
    indexes_->EmptyAllIndexes();
    position_ = -1;
    CursorPosChanged();
}

void TqmtCustomMemTable::StoreClientRefresh() {
    if (State() == dsBrowse) RefreshKeepingPlace();
}

void TqmtCustomMemTable::RefreshKeepingPlace() {
    if (!Active()) return;
    // Another table on the store (or a rollback) may have removed the row
    // this one stands on; then start again from the first row.
    bool gone = false;
    if (!IsEmpty()) {
        TqmtStoreGuard g(*store_);
        TqmtRecord* s = StoredRowOf(Rec(ActiveBuffer()));
        gone = !s || s->UpdateStatus == qmtDeleted;
    }
    if (gone)
        First();
    else
        Refresh();
}

void TqmtCustomMemTable::StoreClientRebuildIndexes() {
    for (int i = 0; i < indexes_->Count(); ++i) {
        TqmtIndex* x = indexes_->At(i);
        if (!x->Ordered()) x->RefreshIndex();
    }
}

void TqmtCustomMemTable::StoreClientMaintainIndexes(int change, TqmtRecord* stored, int position,
                                                    TqmtRecord* newValues) {
    rememberedPosition_ = indexes_->MaintainIndexes(change, stored, position, newValues, currentIndex_, enableIndexes_);
}

void TqmtCustomMemTable::EnsureCurrentIndex() {
    if (cursorOpen_ && !loading_ && !currentIndex_->Ordered()) currentIndex_->RefreshIndex();
}

void TqmtCustomMemTable::IndexRefreshed(TqmtIndex* index) {
    if (index == currentIndex_ && position_ >= index->Count()) position_ = index->Count() - 1;
}

bool TqmtCustomMemTable::IndexAcceptsRow(TqmtIndex* index, TqmtRecord* row) {
    if (!OnFilterIndex) return true;
    TqmtRecord* saved = overrideRow_;
    overrideRow_ = row;
    bool accept = true;
    try {
        OnFilterIndex(this, index, accept);
    } catch (...) {
        overrideRow_ = saved;
        throw;
    }
    overrideRow_ = saved;
    return accept;
}

// ---- buffers ----------------------------------------------------------------

TRecordBuffer TqmtCustomMemTable::AllocRecordBuffer() {
    if (!store_->LayoutBuilt()) throw EMemTableError(qmtmsg::NoFields);
    TqmtRecord* r = store_->NewRecordBlock();
    InternalInitRecord(reinterpret_cast<TRecordBuffer>(r));
    return reinterpret_cast<TRecordBuffer>(r);
}

void TqmtCustomMemTable::FreeRecordBuffer(TRecordBuffer& buffer) {
    // A working buffer owns the out-of-line values written into it.
    if (buffer) store_->ReleaseRecord(Rec(buffer), true, false);
    buffer = nullptr;
}

int TqmtCustomMemTable::GetRecordSize() { return store_->BlockSize(); }

void TqmtCustomMemTable::InternalInitRecord(TRecordBuffer buffer) {
    TqmtRecord* r = Rec(buffer);
    store_->ReleaseOutOfLineValues(r);
    store_->ResetRecord(r);
    const Integer none = -1;
    for (int i = 0; i < store_->AttachMaxCount(); ++i) {
        Byte* e = store_->BookmarkEntry(r, i);
        std::memcpy(e, &none, 4);
        std::memcpy(e + 4, &none, 4);
    }
}

void TqmtCustomMemTable::ClearCalcFields(TRecordBuffer buffer) {
    TqmtRecord* r = Rec(buffer);
    if (store_->CalcSize() > 0) std::memset(r->Data + store_->FixedSize(), 0, static_cast<size_t>(store_->CalcSize()));
}

void TqmtCustomMemTable::CalcFieldsOf(TqmtRecord* row) {
    if (CalcFieldsSize() > 0 && row) GetCalcFields(reinterpret_cast<TRecordBuffer>(row));
}

void TqmtCustomMemTable::FillBuffer(TqmtRecord* buffer, TqmtRecord* stored) {
    store_->ReleaseOutOfLineValues(buffer);
    store_->ResetRecord(buffer);
    store_->CopyRecordContents(stored, buffer);
    buffer->Flags = 0;
    buffer->FetchPos = position_;
    Byte* e = store_->BookmarkEntry(buffer, attachNo_);
    std::memcpy(e, &stored->Slot, 4);
    std::memcpy(e + 4, &stored->Serial, 4);
    e[8] = static_cast<Byte>(bfCurrent);
    if (recalcOnFetch_ && CalcFieldsSize() > 0) GetCalcFields(reinterpret_cast<TRecordBuffer>(buffer));
}

TqmtRecord* TqmtCustomMemTable::StoredRowOf(TqmtRecord* buffer) const {
    const Byte* e = store_->BookmarkEntry(buffer, attachNo_);
    Integer slot, serial;
    std::memcpy(&slot, e, 4);
    std::memcpy(&serial, e + 4, 4);
    return store_->StoredRow(slot, serial);
}

// ---- the current row and field access ---------------------------------------

TqmtRecord* TqmtCustomMemTable::CurrentRow() {
    if (overrideRow_) return overrideRow_;
    switch (State()) {
        case dsBrowse:
            return IsEmpty() ? nullptr : Rec(ActiveBuffer());
        case dsSetKey:
            return setKeyRow_;
        case dsCalcFields:
            return Rec(CalcBuffer());
        case dsFilter:
            return filterRow_;
        case dsOldValue: {
            TqmtRecord* b = Rec(ActiveBuffer());
            if (!b || b->Slot < 0) return b;
            TqmtRecord* s = store_->SlotRow(b->Slot);
            while (s && s->Previous) s = s->Previous;
            return s ? s : b;
        }
        case dsEdit:
        case dsInsert:
        case dsNewValue:
        case dsCurValue:
        case dsBlockRead:
            return Rec(ActiveBuffer());
        default:
            return nullptr;
    }
}

TqmtKeyField TqmtCustomMemTable::KeyFieldOf(TField* field) const {
    TqmtKeyField k;
    k.Field = field;
    k.DataType = field->DataType();
    k.Name = field->FieldName();
    if (field->FieldKind() == fkData || field->FieldKind() == fkInternalCalc) {
        k.FieldNo = field->FieldNo();
    } else {
        k.FieldNo = 0;
        k.CalcOffset = field->Offset();
        k.ValueSize = field->DataSize();
    }
    return k;
}

bool TqmtCustomMemTable::GetFieldData(TField* field, void* buffer) {
    if (!cursorOpen_) return false;
    TqmtStoreGuard g(*store_);
    TqmtRecord* row = CurrentRow();
    if (!row) return false;
    const int no = field->FieldNo();
    const bool stored = (field->FieldKind() == fkData || field->FieldKind() == fkInternalCalc) && no > 0;
    if (!stored) {
        const Byte* p = store_->CalcValuePointer(row, field->Offset());
        if (!p || p[0] == qmtNull) return false;
        if (buffer) std::memcpy(buffer, p + 1, static_cast<size_t>(field->DataSize()));
        return true;
    }
    const Byte* p = store_->FieldValuePointer(row, no);
    if (!p || p[0] == qmtNull) return false;
    if (!buffer) return true;
    if (store_->IsOutOfLine(no)) {
        if (TqmtCommon::IsBlobType(store_->FieldType(no))) return true;
        std::string value;
        if (!store_->ReadOutOfLine(row, no, value)) return false;
        const size_t cap = static_cast<size_t>(store_->FieldValueSize(no));
        size_t n = value.size() < cap ? value.size() : cap;
        std::memcpy(buffer, value.data(), n);
        if (n < cap) std::memset(static_cast<char*>(buffer) + n, 0, cap - n);
        return true;
    }
    std::memcpy(buffer, p + 1, static_cast<size_t>(store_->FieldValueSize(no)));
    return true;
}

void TqmtCustomMemTable::WriteFieldValue(TqmtRecord* row, TField* field, const void* buffer) {
    const int no = field->FieldNo();
    const bool stored = (field->FieldKind() == fkData || field->FieldKind() == fkInternalCalc) && no > 0;
    if (!stored) {
        Byte* p = store_->CalcValuePointer(row, field->Offset());
        if (!p) return;
        p[0] = buffer ? qmtPresent : qmtNull;
        if (buffer) std::memcpy(p + 1, buffer, static_cast<size_t>(field->DataSize()));
        return;
    }
    const TFieldType type = store_->FieldType(no);
    const int size = store_->FieldValueSize(no);
    const bool text = type == ftString || type == ftFixedChar;
    if (store_->IsOutOfLine(no)) {
        if (TqmtCommon::IsBlobType(type)) return;
        if (buffer && text) {
            // Text is cut to the field's size without splitting a character.
            const char* src = static_cast<const char*>(buffer);
            size_t n = strnlen(src, static_cast<size_t>(size - 1));
            while (n > 0 && n == static_cast<size_t>(size - 1) && (static_cast<unsigned char>(src[n]) & 0xC0) == 0x80)
                --n;
            std::string v(src, n);
            v.resize(static_cast<size_t>(size), '\0');
            store_->WriteOutOfLine(row, no, v.data(), size);
        } else {
            store_->WriteOutOfLine(row, no, buffer, size);
        }
        return;
    }
    Byte* p = store_->FieldValuePointer(row, no);
    if (!buffer) {
        p[0] = qmtNull;
        std::memset(p + 1, 0, static_cast<size_t>(size));
        return;
    }
    p[0] = qmtPresent;
    if (text) {
        // Copy up to the terminator or the field's size, whichever is first
        // (values are short: a plain loop beats the library calls).
        const char* src = static_cast<const char*>(buffer);
        const size_t cap = static_cast<size_t>(size - 1);
        Byte* dst = p + 1;
        size_t n = 0;
        while (n < cap && src[n] != '\0') {
            dst[n] = static_cast<Byte>(src[n]);
            ++n;
        }
        // Never keep half of a character cut at the size limit.
        if (n == cap)
            while (n > 0 && (static_cast<unsigned char>(src[n]) & 0xC0) == 0x80) --n;
        for (size_t i = n; i < static_cast<size_t>(size); ++i) dst[i] = 0;
    } else {
        std::memcpy(p + 1, buffer, static_cast<size_t>(size));
    }
}

void TqmtCustomMemTable::SetFieldData(TField* field, const void* buffer) {
    if (!cursorOpen_) return;
    TqmtStoreGuard g(*store_);
    const TDataSetState st = State();
    if (st != dsEdit && st != dsInsert && st != dsSetKey && st != dsCalcFields && st != dsFilter &&
        st != dsNewValue && st != dsInternalCalc)
        DatabaseError(DBConsts::SNotInEditMode);
    if (!ignoreReadOnly_ && st != dsSetKey && (readOnly_ || field->ReadOnly()))
        DatabaseErrorFmt(DBConsts::SFieldIsReadOnly, {field->DisplayName()});
    TqmtRecord* row = CurrentRow();
    if (!row) return;
    if (field->FieldKind() == fkData || field->FieldKind() == fkCalculated || field->FieldKind() == fkInternalCalc)
        field->Validate(buffer);
    WriteFieldValue(row, field, buffer);
    if (field->FieldKind() == fkData && field->FieldNo() > 0) store_->FieldFlags(field->FieldNo()) |= qmtFieldChanged;
    if (st != dsCalcFields && st != dsFilter && st != dsNewValue)
        DataEvent(deFieldChange, reinterpret_cast<std::intptr_t>(field));
}

void TqmtCustomMemTable::SetValueFromVariant(TqmtRecord* row, TField* field, const Variant& value) {
    TqmtStoreGuard g(*store_);
    if (!row || !field) return;
    if (value.IsNull() || value.IsEmpty()) {
        WriteFieldValue(row, field, nullptr);
        return;
    }
    std::vector<char> buf(static_cast<size_t>(std::max(field->DataSize(), 16)) + 1, '\0');
    void* b = buf.data();
    switch (field->DataType()) {
        case ftString:
        case ftFixedChar: {
            std::string s = value.AsString();
            size_t n = std::min(s.size(), buf.size() - 1);
            std::memcpy(b, s.data(), n);
            break;
        }
        case ftSmallint: {
            SmallInt v = value.AsSmallInt();
            std::memcpy(b, &v, 2);
            break;
        }
        case ftWord: {
            Word v = static_cast<Word>(value.AsInteger());
            std::memcpy(b, &v, 2);
            break;
        }
        case ftBoolean: {
            Word v = value.AsBoolean() ? 1 : 0;
            std::memcpy(b, &v, 2);
            break;
        }
        case ftInteger:
        case ftAutoInc: {
            Integer v = value.AsInteger();
            std::memcpy(b, &v, 4);
            break;
        }
        case ftFloat:
        case ftCurrency: {
            double v = value.AsDouble();
            std::memcpy(b, &v, 8);
            break;
        }
        case ftDate:
        case ftTime:
        case ftDateTime: {
            TDateTime dt = VarIsNumeric(value) || VarType(value) == varDate ? value.AsDateTime()
                                                                           : VarToDateTime(value);
            DataConvert(field, &dt, b, true);
            break;
        }
        case ftLargeint: {
            Int64 v = VarIsFloat(value) ? static_cast<Int64>(value.AsDouble()) : value.AsInt64();
            std::memcpy(b, &v, 8);
            break;
        }
        default:
            return;
    }
    WriteFieldValue(row, field, b);
    if (field->FieldKind() == fkData && field->FieldNo() > 0) store_->FieldFlags(field->FieldNo()) |= qmtFieldChanged;
}

void TqmtCustomMemTable::SetKeyValues(TqmtRecord* row, const std::string& fieldNames, const Variant& values) {
    std::vector<TField*> list;
    GetFieldList(list, fieldNames);
    if (VarIsArray(values)) {
        if (VarArrayDimCount(values) > 1) throw EMemTableError(qmtmsg::BadDimensions);
    } else if (list.size() > 1) {
        throw EMemTableError(qmtmsg::MoreFieldsThanValues);
    }
    if (list.empty()) throw EMemTableError(qmtmsg::NoFields);
    if (!VarIsArray(values)) {
        SetValueFromVariant(row, list[0], values);
        return;
    }
    int low = VarArrayLowBound(values), high = VarArrayHighBound(values);
    for (size_t i = 0; i < list.size(); ++i) {
        int at = low + static_cast<int>(i);
        if (at > high) throw EMemTableError(qmtmsg::MoreFieldsThanValues);
        SetValueFromVariant(row, list[i], values[at]);
    }
}

// ---- visibility and navigation -------------------------------------------------

bool TqmtCustomMemTable::AnyVisibilityRule() {
    return store_->DeletedCount() > 0 || (Filtered() && (OnFilterRecord || filterExpr_)) || MasterRangeActive();
}

bool TqmtCustomMemTable::IsRowVisible(TqmtRecord* row, bool force) {
    if (!force && !AnyVisibilityRule()) return true;
    if (row->UpdateStatus == qmtDeleted) return false;
    if (MasterRangeActive()) {
        const TqmtFieldList& keys = MasterKeyList();
        const int n = std::min(static_cast<int>(masterLink_->Fields().size()), keys.Count());
        if (!masterKeyRow_ || store_->CompareKeyFields(keys, n, masterKeyRow_, row, false, false, 0) != 0)
            return false;
    }
    if (!(force || Filtered()) || (!OnFilterRecord && !filterExpr_)) return true;
    TqmtRecord* saved = filterRow_;
    filterRow_ = row;
    TDataSetState st = SetTempState(dsFilter);
    bool accept = true;
    try {
        if (recalcOnIndex_) CalcFieldsOf(row);
        if (OnFilterRecord) OnFilterRecord(this, accept);
        if (accept && filterExpr_) accept = EvaluateFilter(row, *filterExpr_);
    } catch (...) {
        RestoreState(st);
        filterRow_ = saved;
        throw;
    }
    RestoreState(st);
    filterRow_ = saved;
    return accept;
}

bool TqmtCustomMemTable::StepNext(bool force) {
    const int count = CurrentCount();
    for (;;) {
        if (position_ < count) ++position_;
        if (position_ >= count) {
            position_ = count;
            return false;
        }
        if (IsRowVisible(RowAt(position_), force)) return true;
    }
}

bool TqmtCustomMemTable::StepPrior(bool force) {
    const int count = CurrentCount();
    if (position_ > count) position_ = count;
    for (;;) {
        if (position_ >= 0) --position_;
        if (position_ < 0) {
            position_ = -1;
            return false;
        }
        if (IsRowVisible(RowAt(position_), force)) return true;
    }
}

TGetResult TqmtCustomMemTable::GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck) {
    TqmtStoreGuard g(*store_);
    EnsureCurrentIndex();
    switch (mode) {
        case gmCurrent:
            if (position_ >= CurrentCount()) return grEOF;
            if (position_ < 0) return grBOF;
            if (!IsRowVisible(RowAt(position_), false)) return grEOF;
            break;
        case gmNext:
            if (!StepNext(false)) return grEOF;
            break;
        case gmPrior:
            if (!StepPrior(false)) return grBOF;
            break;
    }
    FillBuffer(Rec(buffer), RowAt(position_));
    return grOK;
}

bool TqmtCustomMemTable::FindRecord(bool restart, bool goForward) {
    CheckBrowseMode();
    DoBeforeScroll();
    SetFound(false);
    UpdateCursorPos();
    EnsureCurrentIndex();
    bool ok;
    if (goForward) {
        if (restart) PositionBeforeFirst();
        ok = StepNext(true);
    } else {
        if (restart) PositionAfterLast();
        ok = StepPrior(true);
    }
    if (!ok) {
        CursorPosChanged();
        return false;
    }
    Resync(0);
    SetFound(true);
    DoAfterScroll();
    return true;
}

int TqmtCustomMemTable::GetRecordCount() {
    if (!cursorOpen_) DatabaseError(DBConsts::SDataSetClosed);
    TqmtStoreGuard g(*store_);
    EnsureCurrentIndex();
    if (!AnyVisibilityRule()) return CurrentCount();
    int n = 0;
    for (int p = 0; p < CurrentCount(); ++p) n += IsRowVisible(RowAt(p), false);
    return n;
}

int TqmtCustomMemTable::GetRecNo() {
    if (!Active() || IsEmpty()) return -1;
    TRecordBuffer b = ActiveBuffer();
    if (!b) return -1;
    int fetch = Rec(b)->FetchPos;
    return fetch < 0 ? -1 : fetch + 1;
}

void TqmtCustomMemTable::SetRecNoValue(int value) {
    CheckActive();
    EnsureCurrentIndex();
    int current = GetRecNo();
    if (value < 1 || value > CurrentCount() || value == current) return;
    if (current < 0) {
        CheckBrowseMode();
        DoBeforeScroll();
        position_ = value - 1;
        Resync(0);
        DoAfterScroll();
    } else {
        MoveBy(value - current);
    }
    CursorPosChanged();
}

void TqmtCustomMemTable::InternalSetToRecord(TRecordBuffer buffer) {
    TqmtRecord* r = Rec(buffer);
    EnsureCurrentIndex();
    // The buffer usually knows its position; check it before searching.
    if (r->FetchPos >= 0 && r->FetchPos < CurrentCount()) {
        TqmtRecord* at = RowAt(r->FetchPos);
        if (at->Slot == r->Slot && at->Serial == r->Serial) {
            position_ = r->FetchPos;
            return;
        }
    }
    TBookmark bm;
    GetBookmarkData(buffer, bm);
    InternalGotoBookmark(bm);
}

void TqmtCustomMemTable::SetFiltered(bool value) {
    if (value == Filtered()) return;
    TDataSet::SetFiltered(value);
    // The rows seen change with the switch: refill the record window so
    // data-aware controls do not keep showing the rows of the other state.
    if (Active()) First();
}

void TqmtCustomMemTable::SetFilterText(const std::string& value) {
    if (value == Filter()) return;
    filterExpr_.reset();
    TDataSet::SetFilterText(value);
    if (Active() && !Trim(value).empty()) ParseFilter(value, FilterOptions());
    if (Active() && Filtered()) First();
}

void TqmtCustomMemTable::SetFilterOptions(TFilterOptions value) {
    if (value == FilterOptions()) return;
    TDataSet::SetFilterOptions(value);
    if (Active() && !Trim(Filter()).empty()) {
        ParseFilter(Filter(), value);
        if (Filtered()) First();
    }
}

void TqmtCustomMemTable::ParseFilter(const std::string& text, TFilterOptions options) {
    filterExpr_.reset();
    if (Trim(text).empty()) return;
    filterExpr_ = std::make_unique<TqmtFilterExpr>(this, text, options);
}

bool TqmtCustomMemTable::EvaluateFilter(TqmtRecord* row, const TqmtFilterExpr& filter) {
    TqmtRecord* saved = overrideRow_;
    overrideRow_ = row;
    try {
        const bool result = qmtEvaluateNode(*this, filter.Root()).AsBoolean();
        overrideRow_ = saved;
        return result;
    } catch (...) {
        overrideRow_ = saved;
        throw;
    }
}

void TqmtCustomMemTable::SetBlockReadSize(int value) {
    TDataSet::SetBlockReadSize(value);
}

void TqmtCustomMemTable::InternalHandleException() {}

TUpdateStatus TqmtCustomMemTable::UpdateStatus() {
    TqmtRecord* row = Active() ? CurrentRow() : nullptr;
    if (row) return static_cast<TUpdateStatus>(row->UpdateStatus);
    return TDataSet::UpdateStatus();
}

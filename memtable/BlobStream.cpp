// TqmtBlobStream: blob values of the memory table in and out of a stream.

#include "memtable/BlobStream.h"

#include <cstdio>
#include <cstdlib>

#include "memtable/MemTable.h"
#include "platform/data/DBConsts.h"
#include "platform/data/DBError.h"
#include "platform/data/Field.h"

std::function<void(const Exception&)> TqmtBlobStream::OnStoreError;

TqmtBlobStream::TqmtBlobStream(TField* field, TBlobStreamMode mode)
    : field_(field), fieldNo_(field->FieldNo()), table_(dynamic_cast<TqmtCustomMemTable*>(field->DataSet())),
      mode_(mode) {
    if (!table_) DatabaseError(DBConsts::SNotInEditMode);
    TqmtCommon& store = table_->Store();
    TqmtStoreGuard g(store);
    if (mode != bmRead) {
        if (!table_->IgnoreReadOnly() && field->ReadOnly()) DatabaseErrorFmt(DBConsts::SFieldIsReadOnly, {field->DisplayName()});
        if (table_->State() != dsEdit && table_->State() != dsInsert) DatabaseError(DBConsts::SNotInEditMode);
    }
    row_ = table_->CurrentRow();
    if (!row_ || fieldNo_ < 1 || fieldNo_ > store.FieldCount() || !store.IsOutOfLine(fieldNo_)) {
        row_ = nullptr;
        return;
    }
    if (mode == bmWrite)
        ClearBlobValue();
    else
        LoadBlobValue();
}

TqmtBlobStream::~TqmtBlobStream() {
    if (!modified_ || !row_) return;
    try {
        StoreBlobValue();
    } catch (const Exception& e) {
        if (OnStoreError)
            OnStoreError(e);
        else
            std::fprintf(stderr, "%s\n", e.Message.c_str());
    }
}

Integer TqmtBlobStream::Write(const void* buffer, Integer count) {
    const Integer n = TMemoryStream::Write(buffer, count);
    if (mode_ != bmRead && count > 0) modified_ = true;
    return n;
}

void TqmtBlobStream::SetSize(Int64 newSize) {
    const bool changed = newSize != Size();
    TMemoryStream::SetSize(newSize);
    if (mode_ != bmRead && changed) modified_ = true;
}

void TqmtBlobStream::LoadBlobValue() {
    if (!row_) return;
    TqmtCommon& store = table_->Store();
    const Byte* buf = store.OutOfLineValue(row_, fieldNo_);
    if (!buf) return;
    const int length = TqmtCommon::BufferLength(buf);
    if (table_->OnDecompressBlobStream) {
        TMemoryStream compressed;
        if (length > 0) compressed.WriteBuffer(buf + 4, length);
        compressed.SetPosition(0);
        table_->OnDecompressBlobStream(table_, &compressed, this);
    } else {
        TMemoryStream::SetSize(0);
        TMemoryStream::Seek(0, soBeginning);
        if (length > 0) TMemoryStream::Write(buf + 4, length);
    }
    TMemoryStream::Seek(0, soBeginning);
}

void TqmtBlobStream::ClearBlobValue() {
    TMemoryStream::SetSize(0);
    if (!row_) return;
    TqmtCommon& store = table_->Store();
    Byte* e = store.FieldValuePointer(row_, fieldNo_);
    std::free(TqmtCommon::OutOfLineBuffer(e));
    TqmtCommon::SetOutOfLineBuffer(e, nullptr);
    e[0] = qmtNull;
    modified_ = true;
}

void TqmtBlobStream::StoreBlobValue() {
    if (!row_) return;
    TqmtCommon& store = table_->Store();
    {
        TqmtStoreGuard g(store);
        Byte* e = store.FieldValuePointer(row_, fieldNo_);
        std::free(TqmtCommon::OutOfLineBuffer(e));
        TqmtCommon::SetOutOfLineBuffer(e, nullptr);
        Byte* buffer = nullptr;
        if (table_->OnCompressBlobStream) {
            TMemoryStream packed;
            TMemoryStream::Seek(0, soBeginning);
            table_->OnCompressBlobStream(table_, this, &packed);
            if (packed.Size() > 0) buffer = TqmtCommon::NewValueBuffer(packed.Memory(), static_cast<int>(packed.Size()));
        } else if (Size() > 0) {
            buffer = TqmtCommon::NewValueBuffer(Memory(), static_cast<int>(Size()));
        }
        TqmtCommon::SetOutOfLineBuffer(e, buffer);
        e[0] = buffer ? qmtPresent : qmtNull;
    }
    modified_ = false;
    table_->BlobChanged(field_);
}

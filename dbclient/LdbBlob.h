#pragma once
// Memo, binary and image values. The engine record holds only a 32-bit
// emptiness marker for them; their content is read on demand into a cache
// that each record buffer keeps per blob field, edited there, and written
// back when the record is posted. The framework reaches a cache through
// CreateBlobStream, which hands out a TLdbBlobStream over it.

#include "platform/core/Streams.h"
#include "platform/data/DataTypes.h"
#include "platform/ldb/Ldb.h"

class TField;
class TLdbDataSet;

class TLdbBlobCache : public TMemoryStream {
public:
    // Fills the cache with the value of a field of a record. Without force,
    // a cache that already holds that table, record and field only goes back
    // to its start. Record 0 is an empty value; so is a record that has
    // disappeared meanwhile.
    void Load(LdbHandle table, std::int32_t fieldNumber, bool force, std::int32_t recordNumber);
    Integer Write(const void* buffer, Integer count) override;
    // Empties the value; the change is to be written.
    void Truncate();
    // Gives the value a new size; the change is to be written.
    void Resize(Int64 size) {
        SetSize(size);
        modified_ = true;
    }
    // Forgets the value and what it was the value of.
    void Reset();
    bool Modified() const { return modified_; }
    // Writes a changed value to the field of the table's current record.
    void Flush();

    LdbHandle Table() const { return table_; }
    std::int32_t FieldNumber() const { return fieldNumber_; }
    std::int32_t RecordNumber() const { return recordNumber_; }

private:
    LdbHandle table_ = -1;
    std::int32_t fieldNumber_ = 0;
    std::int32_t recordNumber_ = 0;
    bool modified_ = false;
};

// A stream over the cache of a blob field of the dataset's current record
// (or of the record the dataset's state works on). Without such a record it
// has no cache: reading gives nothing and writing is refused.
class TLdbBlobStream : public TStream {
public:
    TLdbBlobStream(TField* field, TBlobStreamMode mode);
    // A stream that changed the value tells the dataset that the field
    // changed.
    ~TLdbBlobStream() override;

    Integer Read(void* buffer, Integer count) override;
    Integer Write(const void* buffer, Integer count) override;
    Int64 Seek(Int64 offset, TSeekOrigin origin) override;
    Int64 Size() override;
    void SetSize(Int64 newSize) override;

    TLdbBlobCache* Cache() const { return cache_; }

private:
    TBlobStreamMode mode_;
    TField* field_;
    bool modified_ = false;
    TLdbBlobCache* cache_ = nullptr;
    TLdbDataSet* dataSet_ = nullptr;
};

#pragma once
// The stream through which a blob field of the memory table's current row
// is read and written. Blob values live out of line in the record store; the
// stream copies them in when it opens and, when it was written to, stores
// them into the working row when it is destroyed (the post then moves the
// value into the stored row).

#include <functional>

#include "platform/core/Exception.h"
#include "platform/core/Streams.h"
#include "platform/data/DataTypes.h"

class TField;
class TqmtCustomMemTable;
struct TqmtRecord;

class TqmtBlobStream : public TMemoryStream {
public:
    // Raises the database errors "Field %s is read only" and "Dataset is
    // not in edit mode." for a write mode outside editing.
    TqmtBlobStream(TField* field, TBlobStreamMode mode);
    ~TqmtBlobStream() override;
    TqmtBlobStream(const TqmtBlobStream&) = delete;
    TqmtBlobStream& operator=(const TqmtBlobStream&) = delete;

    Integer Write(const void* buffer, Integer count) override;
    void SetSize(Int64 newSize) override;

    void LoadBlobValue();
    // Writes the stream's bytes into the working row (none: null) and tells
    // the field it changed.
    void StoreBlobValue();
    void ClearBlobValue();
    bool Modified() const { return modified_; }

    // Called with a failure of the store that the destructor makes; without
    // a handler the failure is written to the standard error stream.
    static std::function<void(const Exception&)> OnStoreError;

private:
    TField* field_;
    int fieldNo_;
    TqmtCustomMemTable* table_;
    TBlobStreamMode mode_;
    TqmtRecord* row_ = nullptr;
    bool modified_ = false;
};

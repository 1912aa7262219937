#pragma once
// TqmtCustomDeltaHandler walks the rows of a versioned memory table and
// reports each as inserted, deleted, modified or unchanged to overridable
// operations, so that a descendant can write the changes elsewhere.

#include <functional>

#include "platform/core/Component.h"
#include "platform/core/Variant.h"
#include "platform/data/DataTypes.h"

class TField;
class TqmtCustomMemTable;
class TqmtCustomDeltaHandler;
struct TqmtRecord;

using TqmtDeltaHandlerGetValue = std::function<void(TqmtCustomDeltaHandler* handler, TField* field, Variant& value)>;

class TqmtCustomDeltaHandler : public TComponent {
public:
    explicit TqmtCustomDeltaHandler(TComponent* owner = nullptr) : TComponent(owner) {}
    ~TqmtCustomDeltaHandler() override;

    TqmtCustomMemTable* Table() const { return table_; }
    // The row being reported and its oldest saved version.
    TqmtRecord* CurrentRecord() const { return row_; }
    TqmtRecord* OrigRecord() const { return orig_; }
    // A field's value in the row being reported, or in its oldest version.
    Variant Value(TField* field) const;
    Variant OrigValue(TField* field) const;

    // Reports every stored row once, by its state since the last check point.
    virtual void WalkChanges();

    TqmtDeltaHandlerGetValue OnGetValue;

protected:
    // Set retry to have the same row reported again.
    virtual void HandleInsertedRow(bool& retry, TUpdateStatus state) {}
    virtual void HandleDeletedRow(bool& retry, TUpdateStatus state) {}
    virtual void HandleModifiedRow(bool& retry, TUpdateStatus state) {}
    virtual void HandleUnchangedRow(bool& retry, TUpdateStatus state) {}

private:
    friend class TqmtCustomMemTable;
    Variant ValueIn(TqmtRecord* row, TField* field) const;
    TqmtCustomMemTable* table_ = nullptr;
    TqmtRecord* row_ = nullptr;
    TqmtRecord* orig_ = nullptr;
};

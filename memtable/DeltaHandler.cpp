// TqmtCustomDeltaHandler: the walk over a versioned table's changes.

#include "memtable/DeltaHandler.h"

#include "memtable/MemTable.h"
#include "platform/data/Field.h"

TqmtCustomDeltaHandler::~TqmtCustomDeltaHandler() {
    if (table_) table_->SetDeltaHandler(nullptr);
}

Variant TqmtCustomDeltaHandler::ValueIn(TqmtRecord* row, TField* field) const {
    if (!table_ || !row) return Variant::NullValue();
    TqmtRecord* saved = table_->OverrideRow();
    table_->SetOverrideRow(row);
    try {
        Variant v = field->AsVariant();
        table_->SetOverrideRow(saved);
        return v;
    } catch (...) {
        table_->SetOverrideRow(saved);
        throw;
    }
}

Variant TqmtCustomDeltaHandler::Value(TField* field) const { return ValueIn(row_, field); }
Variant TqmtCustomDeltaHandler::OrigValue(TField* field) const { return ValueIn(orig_, field); }

void TqmtCustomDeltaHandler::WalkChanges() {
    if (!table_) throw EMemTableError(qmtmsg::NoDeltaTable);
    TqmtCustomMemTable* table = table_;
    const bool autoRefresh = table->AttachedAutoRefresh();
    table->SetAttachedAutoRefresh(false);
    TqmtCommon& store = table->Store();
    store.AcquireStore();
    try {
        // Slots may be reused by nothing during the walk: the lock is held.
        const std::vector<TqmtRecord*> rows = store.Slots();
        for (TqmtRecord* r : rows) {
            if (!r) continue;
            TqmtRecord* oldest = r;
            while (oldest->Previous) oldest = oldest->Previous;
            int state;
            if (r->UpdateStatus == qmtDeleted)
                state = oldest->UpdateStatus == qmtInserted ? qmtUnmodified : qmtDeleted;
            else
                state = oldest->UpdateStatus == qmtInserted ? qmtInserted : r->UpdateStatus;
            row_ = r;
            orig_ = oldest;
            bool retry;
            do {
                retry = false;
                const auto status = static_cast<TUpdateStatus>(state);
                switch (state) {
                    case qmtUnmodified: HandleUnchangedRow(retry, status); break;
                    case qmtModified: HandleModifiedRow(retry, status); break;
                    case qmtInserted: HandleInsertedRow(retry, status); break;
                    default: HandleDeletedRow(retry, status); break;
                }
            } while (retry);
        }
    } catch (...) {
        row_ = orig_ = nullptr;
        store.ReleaseStore();
        table->SetAttachedAutoRefresh(autoRefresh);
        if (autoRefresh) store.RefreshOtherTables(nullptr);
        throw;
    }
    row_ = orig_ = nullptr;
    store.ReleaseStore();
    table->SetAttachedAutoRefresh(autoRefresh);
    if (autoRefresh) store.RefreshOtherTables(nullptr);
}

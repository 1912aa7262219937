// TqmtCustomMemTable: nested transactions over the store's row versions.

#include "memtable/MemTable.h"

void TqmtCustomMemTable::StartTransaction() {
    if (!Active()) return;
    if (!store_->EnableVersioning() || store_->VersioningMode() != mtvmAllSinceCheckPoint)
        throw EMemTableError(qmtmsg::NeedsMultiVersion);
    TqmtStoreGuard g(*store_);
    store_->IncTransactionLevel();
}

void TqmtCustomMemTable::Commit() {
    if (!Active()) return;
    {
        TqmtStoreGuard g(*store_);
        if (store_->TransactionLevel() <= 0) return;
        store_->CommitLevel();
        store_->DecTransactionLevel();
        store_->MarkAllIndexesUnordered();
        store_->RebuildAllIndexes();
    }
    RefreshKeepingPlace();
}

void TqmtCustomMemTable::Rollback() {
    if (!Active()) return;
    if (State() == dsEdit || State() == dsInsert) Cancel();
    {
        TqmtStoreGuard g(*store_);
        if (store_->TransactionLevel() <= 0) return;
        store_->RollbackLevel();
        store_->DecTransactionLevel();
        // Rows were replaced by their earlier versions: every index of every
        // table on the store is rebuilt from the slots.
        store_->MarkAllIndexesUnordered();
        store_->RebuildAllIndexes();
    }
    store_->RefreshOtherTables(this);
    RefreshKeepingPlace();
}

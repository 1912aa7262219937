// TqmtCustomMemTable: tables attached to another table's record store.

#include "memtable/MemTable.h"

#include <algorithm>

#include "platform/data/Field.h"

void TqmtCustomMemTable::SetAttachedTo(TqmtCustomMemTable* table) {
    if (table == attachedTo_) return;
    if (table == this) throw EMemTableError(qmtmsg::AttachToSelf);
    if (table && table->attachedTo_) throw EMemTableError(qmtmsg::AttachToAttachment);
    Close();
    if (attachedTo_) {
        auto& list = attachedTo_->attachedChildren_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        store_->DetachTable(this);
        attachedTo_ = nullptr;
        store_ = std::make_shared<TqmtCommon>(this);
        attachNo_ = store_->AttachTable(this);
        currentIndex_ = indexes_->RowOrder();
    }
    if (!table) return;
    store_->DetachTable(this);
    std::shared_ptr<TqmtCommon> own = store_;
    store_ = table->store_;
    try {
        attachNo_ = store_->AttachTable(this);
    } catch (...) {
        store_ = own;
        attachNo_ = store_->AttachTable(this);
        throw;
    }
    attachedTo_ = table;
    table->attachedChildren_.push_back(this);
    indexes_->DropAllIndexes();
    sortIndex_ = nullptr;
    currentIndex_ = indexes_->RowOrder();
    FieldDefs().Assign(table->FieldDefs());
    // Fields of the other table that this one lacks complete the shared
    // layout, hidden.
    for (TField* f : table->Fields().List()) {
        if (FindField(f->FieldName())) continue;
        TField* made = MakeFieldLike(f);
        CopyFieldProperties(f, made);
        made->SetVisible(false);
    }
}

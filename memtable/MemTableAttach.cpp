// TqmtCustomMemTable: tables attached to another table's record store.

#include "memtable/MemTable.h"

#include <algorithm>

#include "platform/data/DBConsts.h"
#include "platform/data/DBError.h"
#include "platform/data/DataSource.h"
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

// ---- master/detail ----------------------------------------------------------------

TDataSource* TqmtCustomMemTable::MasterSource() const { return masterLink_->DataSource(); }

TDataSource* TqmtCustomMemTable::GetDataSource() { return masterLink_->DataSource(); }

void TqmtCustomMemTable::SetMasterSource(TDataSource* source) {
    if (source && (source->DataSet() == this || source->IsLinkedTo(this)))
        DatabaseError(DBConsts::SSelfRefMasterDetail, Name());
    masterLink_->SetDataSource(source);
}

const std::string& TqmtCustomMemTable::MasterFields() const { return masterLink_->FieldNames(); }

void TqmtCustomMemTable::SetMasterFields(const std::string& names) { masterLink_->SetFieldNames(names); }

void TqmtCustomMemTable::SetDetailFields(const std::string& names) {
    detailFields_ = names;
    if (!cursorOpen_) return;
    TqmtFieldList keys;
    if (!names.empty()) ParseKeyFields(names, keys);
    detailKeys_ = keys;
    if (MasterRangeActive()) ApplyMasterRange();
}

const TqmtFieldList& TqmtCustomMemTable::MasterKeyList() const {
    return detailKeys_.Count() > 0 ? detailKeys_ : indexKeys_;
}

bool TqmtCustomMemTable::MasterRangeActive() {
    return masterLinkEnabled_ && masterLink_ && masterLink_->Active() && masterLink_->DataSource() && !masterLink_->Fields().empty() &&
           MasterKeyList().Count() > 0;
}

void TqmtCustomMemTable::FillMasterKey() {
    const TqmtFieldList& keys = MasterKeyList();
    if (masterLink_->Fields().empty() || keys.Count() == 0) return;
    TqmtStoreGuard g(*store_);
    if (!masterKeyRow_) masterKeyRow_ = store_->NewRecordBlock();
    const auto& master = masterLink_->Fields();
    const int n = std::min(static_cast<int>(master.size()), keys.Count());
    for (int i = 0; i < n; ++i)
        SetValueFromVariant(masterKeyRow_, keys.Field(i).Field, master[static_cast<size_t>(i)]->AsVariant());
}

void TqmtCustomMemTable::ApplyMasterRange() {
    if (!cursorOpen_) return;
    FillMasterKey();
    if (!Active()) return;
    CheckBrowseMode();
    First();
}

void TqmtCustomMemTable::ResetMasterRange() {
    if (Active()) First();
}

#include "memtable/StreamFormat.h"

#include <algorithm>

#include "memtable/MemTable.h"
#include "platform/core/Strings.h"

bool qmtIsBlobField(const TField* field) { return TqmtCommon::IsBlobType(field->DataType()); }

TqmtCustomStreamFormat::TqmtCustomStreamFormat(TComponent* owner) : TComponent(owner) {}

TqmtCustomStreamFormat::~TqmtCustomStreamFormat() {
    std::vector<TqmtCustomMemTable*> tables;
    tables.swap(tables_);
    for (auto* t : tables) t->FormatDetached(this);
}

void TqmtCustomStreamFormat::TableAttached(TqmtCustomMemTable* table) {
    if (std::find(tables_.begin(), tables_.end(), table) == tables_.end()) tables_.push_back(table);
}

void TqmtCustomStreamFormat::TableDetached(TqmtCustomMemTable* table) {
    tables_.erase(std::remove(tables_.begin(), tables_.end(), table), tables_.end());
}

void TqmtCustomStreamFormat::Assign(const TPersistent* source) {
    if (auto* s = dynamic_cast<const TqmtCustomStreamFormat*>(source)) {
        sfData = s->sfData;
        sfCalculated = s->sfCalculated;
        sfLookup = s->sfLookup;
        sfNonVisible = s->sfNonVisible;
        sfBlobs = s->sfBlobs;
        sfDef = s->sfDef;
        sfIndexDef = s->sfIndexDef;
        sfFiltered = s->sfFiltered;
        sfIgnoreRange = s->sfIgnoreRange;
        sfIgnoreMasterDetail = s->sfIgnoreMasterDetail;
        sfDeltas = s->sfDeltas;
        sfDontFilterDeltas = s->sfDontFilterDeltas;
        sfAppend = s->sfAppend;
        sfFieldKind = s->sfFieldKind;
        sfFromStart = s->sfFromStart;
        return;
    }
    TComponent::Assign(source);
}

void TqmtCustomStreamFormat::SetStreams(TStream* stream) {
    stream_ = stream;
    work_ = stream;
    ownWork_.reset();
}

// ---- field maps ---------------------------------------------------------------

void TqmtCustomStreamFormat::BuildSaveFieldMap(TqmtCustomMemTable* table) {
    saveFieldMap_.clear();
    for (int i = 0; i < table->FieldCount(); ++i) {
        TField* f = table->Fields()[i];
        bool save;
        if (f->FieldKind() == fkAggregate)
            save = false;
        else if (qmtIsBlobField(f))
            save = (sfBlobs & sfSave) != 0;
        else if (f->FieldKind() == fkData || f->FieldKind() == fkInternalCalc)
            save = (sfData & sfSave) != 0;
        else if (f->FieldKind() == fkCalculated)
            save = (sfCalculated & sfSave) != 0;
        else
            save = (sfLookup & sfSave) != 0;
        if (!f->Visible() && !(sfNonVisible & sfSave)) save = false;
        saveFieldMap_.push_back(save ? i : -1);
    }
}

void TqmtCustomStreamFormat::ReadFieldNames(TqmtCustomMemTable* table, bool loading, std::vector<std::string>& names) {
    (void)loading;
    names.clear();
    for (TField* f : table->Fields().List()) names.push_back(f->DisplayName());
}

void TqmtCustomStreamFormat::BuildLoadFieldMap(TqmtCustomMemTable* table, bool loading) {
    std::vector<std::string> names;
    ReadFieldNames(table, loading, names);
    loadFieldMap_.clear();
    for (const std::string& name : names) {
        int i = MatchFieldName(table, name);
        if (i >= 0) {
            TField* f = table->Fields()[i];
            bool drop = false;
            switch (f->FieldKind()) {
                case fkCalculated: drop = !(sfCalculated & sfLoad); break;
                case fkLookup: drop = !(sfLookup & sfLoad); break;
                case fkData: case fkInternalCalc: drop = !(sfData & sfLoad); break;
                case fkAggregate: drop = true; break;
            }
            if (qmtIsBlobField(f) && !(sfBlobs & sfLoad)) drop = true;
            if (!f->Visible() && !(sfNonVisible & sfLoad)) drop = true;
            if (drop) i = -1;
        }
        loadFieldMap_.push_back(i);
    }
}

// ---- save -----------------------------------------------------------------------

void TqmtCustomStreamFormat::BeginSave(TqmtCustomMemTable* table) {
    table->DisableControls();
    table->Store().AcquireStore();
    lockHeld_ = true;
    table->DoProgress(0, mtpcSave);
    savedFiltered_ = table->Filtered();
    if ((sfFiltered & sfSave) && table->Filtered()) table->SetFiltered(false);
    savedMasterLink_ = table->MasterLinkEnabled();
    if (sfIgnoreMasterDetail & sfSave) table->SetMasterLinkEnabled(false);
    if (OnCompress) {
        ownWork_ = std::make_unique<TMemoryStream>();
        work_ = ownWork_.get();
    } else {
        work_ = stream_;
    }
    if (sfAppend & sfSaveAppend) {
        work_->Seek(0, soEnd);
    } else if (!(sfAppend & sfSaveInsert)) {
        work_->SetSize(0);
        work_->SetPosition(0);
    }
    BuildSaveFieldMap(table);
}

void TqmtCustomStreamFormat::RunSave(TqmtCustomMemTable* table) {
    if (OnBeforeSave) OnBeforeSave(this);
    WriteDefinition(table);
    WriteRows(table);
    if (OnAfterSave) OnAfterSave(this);
}

void TqmtCustomStreamFormat::EndSave(TqmtCustomMemTable* table) {
    try {
        if (OnCompress && ownWork_) {
            ownWork_->SetPosition(0);
            OnCompress(table, ownWork_.get(), stream_);
        }
    } catch (...) {
        if (table->Filtered() != savedFiltered_) table->SetFiltered(savedFiltered_);
        table->SetMasterLinkEnabled(savedMasterLink_);
        if (lockHeld_) table->Store().ReleaseStore();
        lockHeld_ = false;
        table->EnableControls();
        ownWork_.reset();
        work_ = stream_;
        throw;
    }
    if (table->Filtered() != savedFiltered_) table->SetFiltered(savedFiltered_);
    table->SetMasterLinkEnabled(savedMasterLink_);
    table->DoProgress(100, mtpcSave);
    if (lockHeld_) table->Store().ReleaseStore();
    lockHeld_ = false;
    table->EnableControls();
    ownWork_.reset();
    work_ = stream_;
}

// ---- load -------------------------------------------------------------------------

void TqmtCustomStreamFormat::BeginLoad(TqmtCustomMemTable* table) {
    table->DisableControls();
    table->Store().AcquireStore();
    lockHeld_ = true;
    savedPersistent_ = table->Persistent();
    savedEnableIndexes_ = table->EnableIndexes();
    table->SetPersistent(false);
    table->SetEnableIndexes(false);
    table->SetIgnoreReadOnly(true);
    table->SetIgnoreAutoInc(true);
    table->SetLoading(true);
    bookmark_.clear();
    if (table->AutoReposition() && table->Active() && !table->IsEmpty()) bookmark_ = table->GetBookmark();
    table->DoProgress(0, mtpcLoad);
    if (OnDeCompress) {
        ownWork_ = std::make_unique<TMemoryStream>();
        if (sfFromStart & sfLoad) stream_->SetPosition(0);
        OnDeCompress(table, stream_, ownWork_.get());
        ownWork_->SetPosition(0);
        work_ = ownWork_.get();
    } else {
        work_ = stream_;
        if (sfFromStart & sfLoad) work_->SetPosition(0);
    }
    BuildLoadFieldMap(table, false);
}

void TqmtCustomStreamFormat::RunLoad(TqmtCustomMemTable* table) {
    if (OnBeforeLoad) OnBeforeLoad(this);
    ReadDefinition(table);
    BuildLoadFieldMap(table, true);
    bool any = false;
    for (int i : loadFieldMap_) any |= i >= 0;
    if (!any) throw EMemTableError(qmtmsg::NoLoadFields);
    ReadRows(table);
    if (OnAfterLoad) OnAfterLoad(this);
}

void TqmtCustomStreamFormat::EndLoad(TqmtCustomMemTable* table) {
    table->SetPersistent(savedPersistent_);
    table->SetEnableIndexes(savedEnableIndexes_);
    table->SetIgnoreReadOnly(false);
    table->SetIgnoreAutoInc(false);
    table->SetLoading(false);
    std::exception_ptr failure;
    try {
        table->Store().MarkAllIndexesUnordered();
        table->Store().RebuildAllIndexes();
    } catch (...) {
        failure = std::current_exception();
    }
    if (lockHeld_) table->Store().ReleaseStore();
    lockHeld_ = false;
    try {
        if (table->Active()) {
            if (!bookmark_.empty() && table->BookmarkValid(bookmark_))
                table->GotoBookmark(bookmark_);
            else
                table->First();
        }
    } catch (...) {
        if (!failure) failure = std::current_exception();
    }
    bookmark_.clear();
    table->EnableControls();
    table->DoProgress(100, mtpcLoad);
    ownWork_.reset();
    work_ = stream_;
    if (failure) std::rethrow_exception(failure);
}

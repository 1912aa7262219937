#pragma once
// TqmtMemTable: the in-memory dataset. Rows live in a record store
// (RecordStore.h) and are seen through indexes (Indexes.h); the dataset
// framework drives navigation, editing and bookmarks through the
// record-buffer protocol, which this class implements over the store.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "memtable/Indexes.h"
#include "memtable/RecordStore.h"
#include "platform/core/Variant.h"
#include "platform/data/DataSet.h"

class TStream;
class TMemoryStream;
class TqmtCustomStreamFormat;
class TqmtCustomMemTable;
class TqmtFilterExpr;
class TqmtCustomDeltaHandler;
class TMasterDataLink;
class TDataSource;

// Progress codes as a set of bits (1 << code).
using TqmtProgressCodes = unsigned;
constexpr TqmtProgressCodes qmtProgressBit(TqmtProgressCode c) { return 1u << static_cast<unsigned>(c); }

using TqmtOnProgress = std::function<void(TqmtCustomMemTable* table, int percent, TqmtProgressCode code)>;
using TqmtOnRecord = std::function<void(TqmtCustomMemTable* table, bool& accept)>;
using TqmtOnField = std::function<void(TqmtCustomMemTable* table, int fieldIndex, TField* field)>;
using TqmtOnSetupField = std::function<void(TqmtCustomMemTable* table, TField* field, Byte& flags)>;
// Transforms a value's bytes in place (compression and its reverse).
using TqmtOnCodecField = std::function<void(TqmtCustomMemTable* table, TField* field, std::string& data)>;
using TqmtOnStorage = std::function<void(TqmtCustomMemTable* table, int storageKind, TStream* stream)>;
using TqmtOnCompareFields =
    std::function<void(TqmtCustomMemTable* table, TField* field, const void* keyValue, const void* rowValue,
                       TFieldType fieldType, Byte options, bool& fullMatch, int& result)>;
using TqmtOnFilterIndex = std::function<void(TqmtCustomMemTable* table, TqmtIndex* index, bool& accept)>;
// Compression of blob values: (table, source stream, target stream).
using TqmtOnCodecBlobStream = std::function<void(TqmtCustomMemTable* table, TStream* from, TStream* to)>;
using TqmtOnSetupFieldProperties = std::function<void(TqmtCustomMemTable* table, TField* field)>;

// Storage kinds passed to OnSave and OnLoad.
constexpr int qmtStorageDataSet = 0;
constexpr int qmtStorageWindow = 1;
constexpr int qmtStorageFile = 3;

// Copy flags of CopyFromDataSet.
constexpr int mtcpoStructure = 1;
constexpr int mtcpoOnlyDataFields = 2;
constexpr int mtcpoProperties = 4;
constexpr int mtcpoLookup = 8;
constexpr int mtcpoCalculated = 16;
constexpr int mtcpoAppend = 32;
constexpr int mtcpoFieldIndex = 64;

// Merge flags of MergeIntoDataSet.
constexpr int mtmfUpdate = 1;      // edit destination rows whose key matches
constexpr int mtmfAppend = 2;      // append source rows whose key has no match
constexpr int mtmfOtherKinds = 4;  // unmapped fields of other kinds count as lookup fields (no effect)

class TqmtCustomMemTable : public TDataSet, public TqmtStoreClient, public TqmtIndexHost {
public:
    explicit TqmtCustomMemTable(TComponent* owner = nullptr);
    ~TqmtCustomMemTable() override;

    static const char* Version() { return "3.12"; }

    // ---- properties
    TqmtCommon& Store() { return *store_; }
    bool EnableIndexes() const { return enableIndexes_; }
    void SetEnableIndexes(bool v) { enableIndexes_ = v; }
    bool AutoAddIndexes() const { return autoAddIndexes_; }
    void SetAutoAddIndexes(bool v) { autoAddIndexes_ = v; }
    bool AutoReposition() const { return autoReposition_; }
    void SetAutoReposition(bool v) { autoReposition_ = v; }
    bool AttachedAutoRefresh() const { return attachedAutoRefresh_; }
    void SetAttachedAutoRefresh(bool v) { attachedAutoRefresh_ = v; }
    int AttachMaxCount() const { return store_->AttachMaxCount(); }
    void SetAttachMaxCount(int n) { store_->SetAttachMaxCount(n); }
    Integer AutoIncMinValue() const { return store_->AutoIncMinValue(); }
    void SetAutoIncMinValue(Integer v) { store_->SetAutoIncMinValue(v); }
    bool RecalcOnIndex() const { return recalcOnIndex_; }
    void SetRecalcOnIndex(bool v) { recalcOnIndex_ = v; }
    bool RecalcOnFetch() const { return recalcOnFetch_; }
    void SetRecalcOnFetch(bool v) { recalcOnFetch_ = v; }
    const std::string& SortFields() const { return sortFields_; }
    void SetSortFields(const std::string& v) { sortFields_ = v; }
    Byte SortOptions() const { return sortOptions_; }
    void SetSortOptions(Byte v) { sortOptions_ = v; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v) { readOnly_ = v; }
    TqmtPerformance Performance() const { return store_->Performance(); }
    void SetPerformance(TqmtPerformance p);
    // The table whose record store this one shares (none: its own store).
    // Attaching closes the table; the shared layout is completed with
    // hidden fields like the other table's that this one lacks.
    TqmtCustomMemTable* AttachedTo() const { return attachedTo_; }
    void SetAttachedTo(TqmtCustomMemTable* table);
    bool StoreOwner() const { return attachedTo_ == nullptr; }

    // ---- master/detail: only rows whose key (DetailFields, else the
    // current index's fields) equals the master's MasterFields are visible;
    // new rows get the master's values.
    TDataSource* MasterSource() const;
    void SetMasterSource(TDataSource* source);
    const std::string& MasterFields() const;
    void SetMasterFields(const std::string& names);
    const std::string& DetailFields() const { return detailFields_; }
    void SetDetailFields(const std::string& names);
    TMasterDataLink& MasterLink() { return *masterLink_; }
    // Switched off while a stream format saves every row regardless of the
    // master's position.
    bool MasterLinkEnabled() const { return masterLinkEnabled_; }
    void SetMasterLinkEnabled(bool v) { masterLinkEnabled_ = v; }
    // Called by the master link when the master moves and when it closes.
    virtual void ApplyMasterRange();
    virtual void ResetMasterRange();
    TDataSource* GetDataSource() override;
    bool Standalone() const { return store_->Standalone(); }
    void SetStandalone(bool v);
    TqmtProgressCodes ProgressFlags() const { return progressFlags_; }
    void SetProgressFlags(TqmtProgressCodes v) { progressFlags_ = v; }
    int LoadLimit() const { return loadLimit_; }
    void SetLoadLimit(int v) { loadLimit_ = v; }
    int SaveLimit() const { return saveLimit_; }
    void SetSaveLimit(int v) { saveLimit_ = v; }
    bool LoadedCompletely() const { return loadedCompletely_; }
    bool SavedCompletely() const { return savedCompletely_; }
    bool EnableVersioning() const { return store_->EnableVersioning(); }
    void SetEnableVersioning(bool v) { store_->SetEnableVersioning(v); }
    TqmtVersioningMode VersioningMode() const { return store_->VersioningMode(); }
    void SetVersioningMode(TqmtVersioningMode m) { store_->SetVersioningMode(m); }
    int LocaleID() const { return store_->LocaleID(); }
    void SetLocaleID(int v) { store_->SetLocaleID(v); }
    int LanguageID() const { return store_->LanguageID(); }
    void SetLanguageID(int v) { store_->SetLanguageID(v); }
    int SubLanguageID() const { return store_->SubLanguageID(); }
    void SetSubLanguageID(int v) { store_->SetSubLanguageID(v); }
    int SortID() const { return store_->SortID(); }
    void SetSortID(int v) { store_->SetSortID(v); }
    const std::string& PersistentFile() const { return persistentFile_; }
    void SetPersistentFile(const std::string& v) { persistentFile_ = v; }
    bool Persistent() const { return persistent_; }
    void SetPersistent(bool v) { persistent_ = v; }
    bool PersistentBackup() const { return persistentBackup_; }
    void SetPersistentBackup(bool v) { persistentBackup_ = v; }
    const std::string& PersistentBackupExt() const { return persistentBackupExt_; }
    void SetPersistentBackupExt(const std::string& v) { persistentBackupExt_ = v; }
    // Whether a table stored as active in a window opens when the window
    // has been loaded (true) or stays closed (false).
    bool DesignActivation() const { return designActivation_; }
    void SetDesignActivation(bool v) { designActivation_ = v; }
    // Whether the rows are stored with the window as the property "Data".
    bool StoreDataOnForm() const { return storeDataOnForm_; }
    void SetStoreDataOnForm(bool v) { storeDataOnForm_ = v; }

    // Stream formats used by LoadFromFile, persistence and copies. A format
    // that is destroyed is forgotten by every table that names it.
    TqmtCustomStreamFormat* DefaultFormat() const { return formats_[0]; }
    void SetDefaultFormat(TqmtCustomStreamFormat* f) { SetFormat(0, f); }
    TqmtCustomStreamFormat* CommaTextFormat() const { return formats_[1]; }
    void SetCommaTextFormat(TqmtCustomStreamFormat* f) { SetFormat(1, f); }
    TqmtCustomStreamFormat* PersistentFormat() const { return formats_[2]; }
    void SetPersistentFormat(TqmtCustomStreamFormat* f) { SetFormat(2, f); }
    TqmtCustomStreamFormat* AllDataFormat() const { return formats_[3]; }
    void SetAllDataFormat(TqmtCustomStreamFormat* f) { SetFormat(3, f); }
    TqmtCustomStreamFormat* FormFormat() const { return formats_[4]; }
    void SetFormFormat(TqmtCustomStreamFormat* f) { SetFormat(4, f); }

    // ---- indexes
    TIndexDefs& IndexDefs() { return indexDefs_; }
    TqmtIndexes& Indexes() { return *indexes_; }
    TqmtIndex* CurrentIndex() const { return currentIndex_; }
    const std::string& IndexFieldNames() const { return indexFieldNames_; }
    void SetIndexFieldNames(const std::string& v);
    const std::string& IndexName() const { return indexName_; }
    void SetIndexName(const std::string& v);
    std::string OrderIndexName() const override { return indexName_; }
    std::string OrderIndexFieldNames() const override { return indexFieldNames_; }
    void DefineIndex(const std::string& name, const std::string& fields, TIndexOptions options);
    void UndefineIndex(const std::string& name);
    void SyncIndexesWithDefs();
    void SwitchIndex(TqmtIndex* index);
    void Sort();
    void SortWithOptions(Byte options);
    // Parses "Name[:CDNPL];..." into fields with option bytes.
    void ParseKeyFields(const std::string& names, TqmtFieldList& list);
    bool GetIsIndexField(TField* field) override;

    // ---- rows
    TqmtRecord* CurrentRow();
    void SetValueFromVariant(TqmtRecord* row, TField* field, const Variant& value);
    void SetKeyValues(TqmtRecord* row, const std::string& fieldNames, const Variant& values);
    bool IsRowVisible(TqmtRecord* row, bool force);
    bool AnyVisibilityRule();
    void PositionBeforeFirst() { position_ = -1; }
    void PositionAfterLast() { position_ = CurrentCount(); }
    bool StepNext(bool force);
    bool StepPrior(bool force);
    void DoProgress(int percent, TqmtProgressCode code);
    // While the table is locked the store's lock is held and the data links
    // of every table on the store are not told about changes; the tables
    // still keep their own state (a field write still marks the record
    // modified, so the edit is posted). Unlocking tells the links to
    // refresh. Calls nest; an unlock without a lock does nothing.
    void LockTable();
    void UnlockTable();
    bool TableLocked() const { return store_->TableLocked(); }
    // Nested transactions over the store's row versions; they need
    // EnableVersioning with mtvmAllSinceCheckPoint. Commit keeps the
    // changes of the innermost level, Rollback undoes them.
    void StartTransaction();
    void Commit();
    void Rollback();
    int TransactionLevel() const { return store_->TransactionLevel(); }
    // The row at a position of the current index.
    TqmtRecord* RowAt(int position) const { return currentIndex_->Row(position); }
    int Position() const { return position_; }
    // While set, field reads and writes address this row.
    TqmtRecord* OverrideRow() const { return overrideRow_; }
    void SetOverrideRow(TqmtRecord* r) { overrideRow_ = r; }
    void CalcFieldsOf(TqmtRecord* row);

    // ---- editing helpers, searching, loading and saving
    void EmptyTable() { EmptyTableRows(); }
    void EmptyTableRows();
    int FindKeyPosition(const std::string& fieldNames, const Variant& values, TLocateOptions options);
    bool Locate(const std::string& keyFields, const Variant& keyValues, TLocateOptions options);
    Variant Lookup(const std::string& keyFields, const Variant& keyValues, const std::string& resultFields);
    void SaveWithFormat(TStream& stream, TqmtCustomStreamFormat* format);
    void LoadWithFormat(TStream& stream, TqmtCustomStreamFormat* format);
    void WriteFileWithFormat(const std::string& fileName, TqmtCustomStreamFormat* format);
    void ReadFileWithFormat(const std::string& fileName, TqmtCustomStreamFormat* format);
    void LoadFromFile(const std::string& fileName) { ReadFileWithFormat(fileName, DefaultFormat()); }
    void SaveToFile(const std::string& fileName) { WriteFileWithFormat(fileName, DefaultFormat()); }
    void LoadFromStream(TStream& stream) { LoadWithFormat(stream, DefaultFormat()); }
    void SaveToStream(TStream& stream) { SaveWithFormat(stream, DefaultFormat()); }
    void SavePersistentFile();
    void LoadPersistentFile();
    // Window data (the stored property "Data"). WriteData saves the open
    // table through FormFormat (OnSave with storage kind 1); a closed table
    // writes the window data it still waits to load, so nothing read is
    // lost. ReadData keeps the bytes until after the next open, when they
    // are loaded through FormFormat if StoreDataOnForm is set.
    void WriteData(TStream& stream);
    void ReadData(TStream& stream);
    bool HasPendingWindowData() const { return windowDataPending_; }
    // Loads window data from a memory stream (OnLoad with storage kind 1).
    void ReadStreamWithFormat(TMemoryStream& stream, TqmtCustomStreamFormat* format);
    // Appends the source's rows to the destination (one of them is usually
    // this table); at most limit rows when limit is above 0.
    int CopyRecords(TDataSet* source, TDataSet* destination, int limit);
    // Writes the source's rows into the destination by key: rows whose key
    // the destination has are edited (mtmfUpdate), others appended
    // (mtmfAppend). Values travel through their text form.
    int MergeRecords(TDataSet* source, TDataSet* destination, int flags, int limit,
                     const std::string& keyFieldNames);
    // flags: the mtcpo... bits.
    void CopyFromDataSet(TDataSet* source, int flags);
    void CopyToDataSet(TDataSet* destination);
    void MergeIntoDataSet(TDataSet* destination, const std::string& keyFieldNames, int flags);
    void MergeIntoDataSetDefault(TDataSet* destination, const std::string& keyFieldNames) {
        MergeIntoDataSet(destination, keyFieldNames, mtmfUpdate | mtmfAppend);
    }
    // Replaces the field definitions (and field objects) by the source's.
    void CopyStructure(TDataSet* source, int flags);
    // A new field of this table like the given one (class, size, kind,
    // name, lookup settings), owned by the table's owner.
    TField* MakeFieldLike(TField* field);
    static void CopyFieldDef(const TFieldDef* from, TFieldDef* to);
    // Display and editing properties, then OnSetupFieldProperties.
    void CopyFieldProperties(TField* from, TField* to);
    // CopyFieldProperties for every field of this table that the source
    // has by name.
    void CopyAllFieldProperties(TDataSet* source);
    // Closes every table on the store, this one included.
    void CloseAllAttached();
    // Closes every table on the store and destroys this table's field
    // objects (persistent ones too); the definitions stay.
    void DropFields();
    // Rows written by the last load (copy into the table) and the last
    // save (copy or merge out of it).
    int LoadedCount() const { return loadedCount_; }
    int SavedCount() const { return savedCount_; }
    void SetLoadedCount(int n) { loadedCount_ = n; }
    void SetSavedCount(int n) { savedCount_ = n; }

    // ---- framework operations
    bool BookmarkValid(const TBookmark& bookmark) override;
    int CompareBookmarks(const TBookmark& a, const TBookmark& b) override;
    bool GetFieldData(TField* field, void* buffer) override;
    void SetFieldData(TField* field, const void* buffer) override;
    using TDataSet::GetFieldData;
    using TDataSet::SetFieldData;
    TUpdateStatus UpdateStatus() override;
    bool IsSequenced() override { return !Filtered(); }
    void SetActive(bool value) override;
    void SetFiltered(bool value) override;
    // Filter text is parsed when set on an open table and after each open;
    // malformed text raises EMemTableFilterError and leaves no filter.
    void SetFilterText(const std::string& value) override;
    void SetFilterOptions(TFilterOptions value) override;
    void ParseFilter(const std::string& text, TFilterOptions options);
    bool HasFilterExpression() const { return filterExpr_ != nullptr; }
    // The parsed filter's value for a row.
    bool EvaluateFilter(TqmtRecord* row, const TqmtFilterExpr& filter);
    bool FindRecord(bool restart, bool goForward) override;
    void SetBlockReadSize(int value) override;
    void DataEvent(TDataEvent event, std::intptr_t info) override;
    // A TqmtBlobStream over the current row's value of a blob field.
    TStream* CreateBlobStream(TField* field, TBlobStreamMode mode) override;
    // A blob stream stored a new value: the record is modified and the
    // field's change is announced.
    void BlobChanged(TField* field);
    // The delta handler that walks this table's changes; the handler and the
    // table forget each other when either is destroyed.
    TqmtCustomDeltaHandler* DeltaHandler() const { return deltaHandler_; }
    void SetDeltaHandler(TqmtCustomDeltaHandler* handler);

    // ---- used by the stream formats while they load and save
    bool IgnoreReadOnly() const { return ignoreReadOnly_; }
    void SetIgnoreReadOnly(bool v) { ignoreReadOnly_ = v; }
    bool IgnoreAutoInc() const { return ignoreAutoInc_; }
    void SetIgnoreAutoInc(bool v) { ignoreAutoInc_ = v; }
    // While a format loads, the current index is rebuilt once at the end
    // instead of on every fetch.
    bool Loading() const { return loading_; }
    void SetLoading(bool v) { loading_ = v; }
    void SetLoadedCompletely(bool v) { loadedCompletely_ = v; }
    void SetSavedCompletely(bool v) { savedCompletely_ = v; }
    int CurrentCount() const { return currentIndex_->Count(); }
    // Makes the current index usable when maintenance left it unordered.
    void EnsureCurrentIndex();
    void ResetAutoInc();
    void FormatDetached(TqmtCustomStreamFormat* format);
    // Forgets the buffers and goes to the first row (after a load).
    void RefreshTable() { if (Active()) Refresh(); }
    // Refresh, or First when the current row no longer exists.
    void RefreshKeepingPlace();

    // ---- events
    TqmtOnProgress OnProgress;
    TqmtOnRecord OnLoadRecord, OnSaveRecord;
    TqmtOnField OnLoadField, OnSaveField;
    TqmtOnSetupField OnSetupField;
    TqmtOnCodecField OnCompressField, OnDecompressField;
    TqmtOnStorage OnSave, OnLoad;
    TqmtOnCompareFields OnCompareFields;
    TqmtOnFilterIndex OnFilterIndex;
    TqmtOnSetupFieldProperties OnSetupFieldProperties;
    TqmtOnCodecBlobStream OnCompressBlobStream, OnDecompressBlobStream;

protected:
    // record-buffer protocol
    TRecordBuffer AllocRecordBuffer() override;
    void FreeRecordBuffer(TRecordBuffer& buffer) override;
    TGetResult GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck) override;
    int GetRecordSize() override;
    void InternalInitRecord(TRecordBuffer buffer) override;
    void InternalOpen() override;
    void InternalClose() override;
    bool IsCursorOpen() override { return cursorOpen_; }
    void InternalInitFieldDefs() override;
    void InternalFirst() override { PositionBeforeFirst(); }
    void InternalLast() override { PositionAfterLast(); }
    void InternalSetToRecord(TRecordBuffer buffer) override;
    void InternalGotoBookmark(const TBookmark& bookmark) override;
    void GetBookmarkData(TRecordBuffer buffer, TBookmark& data) override;
    void SetBookmarkData(TRecordBuffer buffer, const TBookmark& data) override;
    TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) override;
    void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) override;
    void InternalAddRecord(TRecordBuffer buffer, bool append) override;
    void InternalDelete() override;
    void InternalPost() override;
    void InternalEdit() override;
    void InternalInsert() override;
    void InternalHandleException() override;
    int GetRecordCount() override;
    int GetRecNo() override;
    void SetRecNoValue(int value) override;
    bool GetCanModify() const override { return !readOnly_; }
    void ClearCalcFields(TRecordBuffer buffer) override;
    void DoBeforeInsert() override;
    void DoAfterOpen() override;
    void DoBeforeClose() override;
    void DoAfterPost() override;
    void DoAfterDelete() override;
    void DoOnNewRecord() override;
    void DoBeforePost() override;
    void Loaded() override;
    bool NotificationsHeld() override { return store_->TableLocked(); }

    // TqmtStoreClient
    bool StoreClientOpen() const override { return cursorOpen_; }
    void StoreClientClose() override { Close(); }
    void StoreClientRefresh() override;
    void StoreClientEmpty() override;
    void StoreClientRebuildIndexes() override;
    void StoreClientMarkIndexesUnordered() override { indexes_->MarkAllUnordered(); }
    void StoreClientRebuildIndexDefs() override { SyncIndexesWithDefs(); }
    void StoreClientMaintainIndexes(int change, TqmtRecord* stored, int position, TqmtRecord* newValues) override;
    void StoreClientUnlocked() override;

    // TqmtIndexHost
    TqmtCommon& IndexStore() override { return *store_; }
    bool IndexHostOpen() const override { return cursorOpen_; }
    bool IndexAcceptsRow(TqmtIndex* index, TqmtRecord* row) override;
    bool IndexRowVisible(TqmtRecord* row) override { return IsRowVisible(row, false); }
    bool IndexAnyVisibilityRule() override { return AnyVisibilityRule(); }
    void IndexProgress(int percent, TqmtProgressCode code) override { DoProgress(percent, code); }
    void IndexPrepareRow(TqmtRecord* row) override {
        if (recalcOnIndex_) CalcFieldsOf(row);
    }
    void IndexRefreshed(TqmtIndex* index) override;

private:
    friend class TqmtCustomStreamFormat;

    static TqmtRecord* Rec(TRecordBuffer b) { return reinterpret_cast<TqmtRecord*>(b); }
    void SetFormat(int slot, TqmtCustomStreamFormat* f);
    TqmtKeyField KeyFieldOf(TField* field) const;
    std::vector<TqmtColumnDef> ColumnDefs();
    void CreateIndexFromDef(TIndexDef* def);
    void FillBuffer(TqmtRecord* buffer, TqmtRecord* stored);
    TqmtRecord* StoredRowOf(TqmtRecord* buffer) const;
    void AppendRow(TqmtRecord* row, int hint);
    void CheckUnique(TqmtRecord* working, TqmtRecord* editing);
    void WriteFieldValue(TqmtRecord* row, TField* field, const void* buffer);
    void DestroyAllFields();
    void LoadWindowData();
    void InternalOpenAttached();
    void OpenCursorOnStore();

    // Shared with the tables attached to the same store.
    std::shared_ptr<TqmtCommon> store_;
    TqmtCustomMemTable* attachedTo_ = nullptr;
    std::unique_ptr<TMasterDataLink> masterLink_;
    std::string detailFields_;
    bool masterLinkEnabled_ = true;
    TqmtFieldList detailKeys_;
    TqmtRecord* masterKeyRow_ = nullptr;
    // The master link is active with fields and this table has key fields.
    bool MasterRangeActive();
    const TqmtFieldList& MasterKeyList() const;
    void FillMasterKey();
    std::vector<TqmtCustomMemTable*> attachedChildren_;
    int attachNo_ = 0;
    std::unique_ptr<TqmtIndexes> indexes_;
    TIndexDefs indexDefs_;
    TqmtIndex* currentIndex_ = nullptr;
    TqmtIndex* sortIndex_ = nullptr;
    TqmtCustomStreamFormat* formats_[5] = {};
    TqmtRecord* filterRow_ = nullptr;
    std::unique_ptr<TqmtFilterExpr> filterExpr_;
    TqmtCustomDeltaHandler* deltaHandler_ = nullptr;
    TqmtRecord* setKeyRow_ = nullptr;
    TqmtRecord* overrideRow_ = nullptr;
    bool ignoreReadOnly_ = false;
    bool ignoreAutoInc_ = false;
    bool loading_ = false;
    bool enableIndexes_ = true;
    bool autoAddIndexes_ = false;
    bool designActivation_ = true;
    bool cursorOpen_ = false;
    int position_ = -1;
    int rememberedPosition_ = -1;
    int insertRecNo_ = -1;
    bool beforeCloseFired_ = false;
    bool afterOpenRunning_ = false;
    int loadLimit_ = -1, saveLimit_ = -1;
    bool loadedCompletely_ = false, savedCompletely_ = false;
    int loadedCount_ = 0, savedCount_ = 0;
    bool attachedAutoRefresh_ = true;
    TField* autoIncField_ = nullptr;
    bool recalcOnFetch_ = true;
    bool recalcOnIndex_ = false;
    bool readOnly_ = false;
    bool persistent_ = false;
    bool persistentSaved_ = false;
    bool persistentBackup_ = false;
    std::string persistentFile_;
    std::string persistentBackupExt_;
    TqmtFieldList indexKeys_;
    std::string indexFieldNames_, indexName_, sortFields_;
    bool autoReposition_ = false;
    Byte sortOptions_ = 0;
    TqmtProgressCodes progressFlags_ =
        qmtProgressBit(mtpcLoad) | qmtProgressBit(mtpcSave) | qmtProgressBit(mtpcCopy);
    bool ownFieldsFromDefs_ = false;
    bool storeDataOnForm_ = false;
    std::string windowData_;
    bool windowDataPending_ = false;
    // Active was set while the window was being loaded.
    bool streamedActive_ = false;
    // LockTable calls of this table not yet undone.
    int lockDepth_ = 0;
    // Link notifications held back while the store was locked.
    bool heldEvents_ = false;
    bool heldLayout_ = false;
};

class TqmtMemTable : public TqmtCustomMemTable {
public:
    using TqmtCustomMemTable::TqmtCustomMemTable;
};

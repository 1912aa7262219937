#pragma once
// TLdbDataSet: an engine cursor behind the dataset framework. It opens and
// closes the cursor, keeps the engine's raw record in each record buffer,
// fetches records both ways through the record filter, gives record
// numbers, counts and bookmarks (LdbDataSet.cpp), maps the engine's fields
// to framework fields, decodes and encodes their values and posts edited,
// inserted and deleted records (LdbDataSetFields.cpp).
//
// Record buffer layout:
//   [engine record: RecordSize()] [calculated fields: CalcFieldsSize()]
//   [one blob cache slot per blob field] [record info: 8 bytes]
//   [bookmark: BookmarkSize()]
// The record info holds the 32-bit record number, a byte cleared on fetch
// and the bookmark flag.
//
// Descendants supply the cursor (CreateCursorHandle); TLdbQuery is the one
// in this system.

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "dbclient/LdbError.h"
#include "platform/core/Object.h"
#include "platform/data/DataSet.h"
#include "platform/data/DataSource.h"
#include "platform/data/FieldDefs.h"
#include "platform/core/StringList.h"
#include "platform/ldb/Ldb.h"

class TLdbBlobCache;
class TLdbBlobStream;
class TLdbConnection;
class TLdbDataSet;
class TParams;

enum TLdbTableTypes { ttAdsCDX, ttAdsNTX, ttAdsADT, ttAdsDefault };
enum TLdbLockTypes { Proprietary, Compatible };
enum TLdbCharTypes { ANSI, OEM };
enum TLdbRespectFilters { IGNORE_WHEN_COUNTING, RESPECT_WHEN_COUNTING };
enum TLdbRespectScopes { IGNORE_SCOPES_WHEN_COUNTING, RESPECT_SCOPES_WHEN_COUNTING };
enum TLdbRecordCacheTypes { rcNone, rcStandard, rcAggressive };
enum TLdbAOFTypes { atDynamic, atKeySet, atFixed };
enum TLdbSequencedLevel { slStandard, slExact };
// Provider support: what a client dataset asks to apply, and the answer.
enum TUpdateKind { ukModify, ukInsert, ukDelete };
enum TUpdateAction { uaFail, uaAbort, uaSkip, uaRetry, uaApplied };
using TLdbUpdateRecordEvent = std::function<void(TDataSet* delta, TUpdateKind kind, TUpdateAction& action)>;

// The dataset's engine options (published as LdbTableOptions).
class TLdbTableOptions : public TPersistent {
public:
    explicit TLdbTableOptions(TLdbDataSet* dataSet) : dataSet_(dataSet) {}

    TLdbLockTypes LdbLockType() const { return lockType_; }
    void SetLdbLockType(TLdbLockTypes value);
    TLdbCharTypes LdbCharType() const { return charType_; }
    void SetLdbCharType(TLdbCharTypes value);
    bool LdbRightsCheck() const { return rightsCheck_; }
    void SetLdbRightsCheck(bool value);
    TLdbRecordCacheTypes LdbRecordCache() const { return recordCache_; }
    void SetLdbRecordCache(TLdbRecordCacheTypes value);
    // Optimized filters (AOF) or record filters; switching on an open,
    // filtered dataset moves its filter over (the old kind stays when that
    // fails).
    bool LdbOptimizedFilters() const { return optimizedFilters_; }
    void SetLdbOptimizedFilters(bool value);

    TLdbRespectFilters LdbFilterOptions = IGNORE_WHEN_COUNTING;
    TLdbRespectScopes LdbScopeOptions = IGNORE_SCOPES_WHEN_COUNTING;
    bool LdbFreshRecordCount = false;
    bool LdbAOFResolveImmediate = false;
    int LdbIndexPageSize = 512;
    TLdbAOFTypes LdbAOFType = atDynamic;
    bool LdbAutoKeyFieldCount = false;
    bool LdbCalcFieldsBeforeFilter = false;

private:
    TLdbDataSet* dataSet_;
    TLdbLockTypes lockType_ = Proprietary;
    TLdbCharTypes charType_ = ANSI;
    bool rightsCheck_ = true;
    TLdbRecordCacheTypes recordCache_ = rcStandard;
    bool optimizedFilters_ = true;
};

// One engine field of the cursor.
struct TLceFieldDef {
    std::string Name;
    int FieldNumber = 0;  // 1-based
    std::uint32_t Offset = 0;
    std::uint32_t Length = 0;
    std::uint16_t EngineType = 0;
    std::uint16_t Decimals = 0;
    bool Modified = false;
    std::uint8_t Permissions = 0;
    // Slot of a blob field's cache in a record buffer; -1 for other fields.
    int BlobIndex = -1;
};

class TLceFieldDefs {
public:
    TLceFieldDef& Add(const TLceFieldDef& def) {
        items_.push_back(def);
        return items_.back();
    }
    int Count() const { return static_cast<int>(items_.size()); }
    TLceFieldDef& operator[](int index) { return items_[static_cast<std::size_t>(index)]; }
    const TLceFieldDef& operator[](int index) const { return items_[static_cast<std::size_t>(index)]; }
    // Case-insensitive; -1 when absent.
    int IndexOf(const std::string& name) const;
    void Clear() { items_.clear(); }

private:
    std::vector<TLceFieldDef> items_;
};

// Extra index files of a dataset (sorted, duplicates ignored). On an open
// dataset adding a name opens the file on the cursor and removing it
// closes it; a name without a folder is in the dataset's DatabasePath.
class TLdbIndexFiles : public TStringList {
public:
    // Raises "TLdbIndexFiles instances require a non-nil owner" without a
    // dataset.
    explicit TLdbIndexFiles(TLdbDataSet* dataSet);
    Integer Add(const std::string& s) override;
    void Insert(Integer index, const std::string& s) override;
    void Delete(Integer index) override;
    void Clear() override;
    // The path the engine opens for a name.
    std::string PathOf(const std::string& name) const;

private:
    void Open(const std::string& name);
    void CloseFile(const std::string& name);
    TLdbDataSet* dataSet_;
};

// The framework field type of an engine field (ftUnknown: no field), and
// its size.
TFieldType LdbFieldType(std::uint16_t engineType, std::uint32_t length, std::uint16_t decimals, int& size);

class TLdbDataSet : public TDataSet {
public:
    explicit TLdbDataSet(TComponent* owner = nullptr);
    ~TLdbDataSet() override;

    // ---- where the data lives (see TLdbConnection)
    const std::string& DatabaseName() const { return databaseName_; }
    virtual void SetDatabaseName(const std::string& name);
    // The folder or dictionary folder the dataset's tables are in.
    std::string DatabasePath();
    TLdbConnection* Connection() const { return connection_; }
    TLdbTableTypes SourceTableType() const { return sourceTableType_; }
    virtual void SetSourceTableType(TLdbTableTypes value);
    // Engine table type used to open tables: 2 CDX, 1 NTX, 3 ADT.
    int EngineTableType() const { return engineTableType_; }
    // Told by the connection after it closed the dataset.
    virtual void ConnectionClosed() {}
    const std::string& TableName() const { return tableName_; }

    TLdbTableOptions& LdbTableOptions() { return *tableOptions_; }
    bool Sequenced = false;
    TLdbSequencedLevel SequencedLevel = slStandard;
    bool StoreActive = false;
    std::string InfoStructure;
    // "7.0 (LCE major.minor[letter])" from the engine's version.
    std::string Version() const;

    // ---- engine state
    LdbHandle CursorHandle() const { return cursor_; }
    LdbHandle ActiveHandle() const { return active_; }
    TLceFieldDefs& LceFieldDefs() { return lceFieldDefs_; }
    // Set from the cursor by a query: the cursor is not live.
    bool ReadOnlyCursor() const { return readOnly_; }

    // ---- provider support (a client dataset running statements and
    // applying updates through this dataset)
    TLdbUpdateRecordEvent OnUpdateRecord;
    bool PSIsSQLBased() const { return true; }
    bool PSIsSQLSupported() const { return true; }
    std::string PSGetQuoteChar() const { return {}; }
    virtual void PSReset();
    bool PSInTransaction();
    void PSStartTransaction();
    void PSEndTransaction(bool commit);
    // True only when OnUpdateRecord applied the change.
    bool PSUpdateRecord(TUpdateKind kind, TDataSet* delta);
    // Runs a statement on the dataset's connection (kept prepared); with
    // resultSet, a new query without owner over the result cursor (the
    // caller frees it). Returns the rows affected.
    Integer PSExecuteStatement(const std::string& sql, TParams* params, TDataSet** resultSet = nullptr);
    // A cursor to open on instead of creating one (the next Open uses it).
    void SetActiveHandle(LdbHandle handle) { active_ = handle; }

    virtual void BatchMove();
    virtual void RenameTable();
    TUpdateStatus UpdateStatus() override;

    // ---- framework operations
    bool IsSequenced() override { return Sequenced; }
    bool BookmarkValid(const TBookmark& bookmark) override;
    int CompareBookmarks(const TBookmark& a, const TBookmark& b) override;
    bool GetCurrentRecord(TRecordBuffer buffer) override;
    using TDataSet::GetFieldData;
    using TDataSet::SetFieldData;
    bool GetFieldData(TField* field, void* buffer) override;
    void SetFieldData(TField* field, const void* buffer) override;
    void InitFieldDefs() override;
    void DataEvent(TDataEvent event, std::intptr_t info) override;
    // ---- indexes, scopes and ranges. The dataset moves along its cursor
    // or along one of the cursor's indexes, chosen by IndexName or by
    // IndexFieldNames (";"-separated, matched against IndexDefs; only one
    // of the two is set at a time). A scope limits the records to the
    // active index's keys from ScopeBegin to ScopeEnd (texts for the first
    // segment); a range limits them to raw keys set field by field between
    // SetRangeStart/SetRangeEnd and Post, then ApplyRange. A detail
    // dataset follows MasterSource through a range on its active index,
    // whose leading segments take MasterFields' values.
    const std::string& IndexName() const { return indexName_; }
    void SetIndexName(const std::string& name);
    const std::string& IndexFieldNames() const { return indexFieldNames_; }
    void SetIndexFieldNames(const std::string& names);
    std::string OrderIndexName() const override { return indexName_; }
    std::string OrderIndexFieldNames() const override { return indexFieldNames_; }
    TIndexDefs& IndexDefs() { return *indexDefs_; }
    TLdbIndexFiles& IndexFiles() { return *indexFiles_; }
    void SetIndexDefs(const TIndexDefs& defs) { indexDefs_->Assign(defs); }
    void UpdateIndexDefs() override;
    bool GetIsIndexField(TField* field) override;
    bool Scoped() const { return scoped_; }
    void SetScoped(bool value);
    const std::string& ScopeBegin() const { return scopeBegin_; }
    void SetScopeBegin(const std::string& value);
    const std::string& ScopeEnd() const { return scopeEnd_; }
    void SetScopeEnd(const std::string& value);
    virtual void ActivateScope();
    virtual void DeactivateScope();
    void SetRangeStart();
    void SetRangeEnd();
    void ApplyRange();
    void CancelRange();
    // Start and end values for the active index's leading segments.
    void SetRange(const std::vector<Variant>& startValues, const std::vector<Variant>& endValues);
    TDataSource* MasterSource() const { return masterLink_->DataSource(); }
    void SetMasterSource(TDataSource* source);
    const std::string& MasterFields() const { return masterLink_->FieldNames(); }
    void SetMasterFields(const std::string& names) { masterLink_->SetFieldNames(names); }
    TDataSource* GetDataSource() override { return masterLink_->DataSource(); }
    // Post and Cancel also end a key edit.
    void Post() override;
    void Cancel() override;

    // ---- filters and searching. Filter goes to the engine (an optimized
    // filter unless LdbOptimizedFilters is off), a trailing "*" in a text
    // literal matching by the start of the text. FindFirst/FindNext/...
    // move through the records satisfying Filter even while Filtered is
    // off. Locate and Lookup search through a temporary filter on the key
    // values (the cursors of this engine have no indexes to seek on).
    void SetFiltered(bool value) override;
    void SetFilterText(const std::string& value) override;
    bool FindRecord(bool restart, bool goForward) override;
    bool Locate(const std::string& keyFields, const Variant& keyValues, TLocateOptions options) override;
    Variant Lookup(const std::string& keyFields, const Variant& keyValues, const std::string& resultFields) override;
    virtual void ActivateFilter();
    virtual void DeactivateFilter();

    // A stream over a memo, binary or image field's value (caller frees it).
    // Writing needs the edit or insert state.
    TStream* CreateBlobStream(TField* field, TBlobStreamMode mode) override;

protected:
    // ---- for descendants
    virtual LdbHandle CreateCursorHandle() = 0;
    virtual Integer GetLastAutoInc() = 0;
    // The number stored with each fetched record.
    virtual Integer GetCurrentRecNo();
    void SetReadOnlyCursor(bool value) { readOnly_ = value; }
    void SetTableName(const std::string& name) { tableName_ = name; }
    // Attaches to a connection (nullptr detaches).
    void AttachConnection(TLdbConnection* connection);
    // Runs the DatabaseName steps shared by every dataset.
    void ApplyDatabaseName(const std::string& name);

    // ---- record-buffer protocol
    TRecordBuffer AllocRecordBuffer() override;
    void FreeRecordBuffer(TRecordBuffer& buffer) override;
    TGetResult GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck) override;
    int GetRecordSize() override { return static_cast<int>(recordSize_); }
    void InitRecord(TRecordBuffer buffer) override;
    void InternalInitRecord(TRecordBuffer buffer) override;
    void InternalOpen() override;
    void InternalClose() override;
    bool IsCursorOpen() override { return cursor_ != -1; }
    void InternalInitFieldDefs() override;
    void InternalFirst() override;
    void InternalLast() override;
    void InternalSetToRecord(TRecordBuffer buffer) override;
    void InternalGotoBookmark(const TBookmark& bookmark) override;
    void GetBookmarkData(TRecordBuffer buffer, TBookmark& data) override;
    void SetBookmarkData(TRecordBuffer buffer, const TBookmark& data) override;
    TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) override;
    void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) override;
    void InternalAddRecord(TRecordBuffer buffer, bool append) override;
    void InternalDelete() override;
    void InternalPost() override;
    void InternalCancel() override;
    void InternalEdit() override;
    void InternalInsert() override;
    void InternalRefresh() override;
    void InternalHandleException() override {}
    int GetRecordCount() override;
    int GetRecNo() override;
    void SetRecNoValue(int value) override;
    bool GetCanModify() const override { return canModify_ && !readOnly_; }
    void ClearCalcFields(TRecordBuffer buffer) override;
    void DoOnNewRecord() override;

    // The fetch loop: reads the record under the cursor into buffer,
    // skipping records the record filter rejects (mode gmPrior backwards,
    // else forwards).
    TGetResult FetchRecord(TRecordBuffer buffer, TGetMode mode);

private:
    // Hands the changed fields of buffer to the engine and writes the record.
    void WriteModifiedFields(TRecordBuffer buffer);
    friend class TLdbConnection;
    friend class TLdbTableOptions;
    friend class TLdbBlobStream;
    friend class TLdbIndexFiles;

    // The blob stream's view of the dataset: the cache of the field in the
    // record buffer of the current state, loaded as the mode asks (nullptr
    // without such a buffer).
    void OpenBlobCache(TLdbBlobStream* stream, TField* field, TBlobStreamMode mode, TLdbBlobCache*& cache);
    void BlobChanged(TField* field);
    TLdbBlobCache* BlobCache(TRecordBuffer buffer, int slot) const;
    void ResetBlobCaches(TRecordBuffer buffer);
    std::uint16_t AofOptions() const;
    // Key buffers: lookup, range start and end, current range start and
    // end, saved key.
    struct KeyBuffer {
        bool Modified = false, Exclusive = false;
        int FieldCount = 0;
        std::vector<char> Record;
        std::vector<std::uint16_t> Lengths;
        bool operator==(const KeyBuffer& o) const {
            return Modified == o.Modified && Exclusive == o.Exclusive && FieldCount == o.FieldCount && Record == o.Record;
        }
    };
    enum { kbLookup, kbRangeStart, kbRangeEnd, kbCurRangeStart, kbCurRangeEnd, kbSave, kbCount };
    void AllocKeyBuffers();
    void ClearKeyBuffer(KeyBuffer& buffer);
    void SelectActiveIndex();
    void ResyncAfterIndexChange();
    // The field of the active index's segment (1-based); nullptr when none.
    TField* SegmentField(int segment);
    int SegmentCount();
    std::string BuildKey(KeyBuffer& buffer);
    void SetKeyBufferState(int which, bool clear);
    void SetRangeFromFields(const std::vector<TField*>& fields);
    void MasterChanged();
    void MasterDisabled();
    void DoAfterOpen() override;

    // Moves the cursor to the first record with the key values; false
    // (cursor position forgotten) when there is none.
    bool KeySearch(const std::string& keyFields, const Variant& keyValues, TLocateOptions options);
    // The index to seek on for the key fields (0: none); lastSegment
    // receives the name of the highest segment they use.
    LdbHandle IndexForKey(const std::vector<TField*>& fields, std::string& lastSegment);
    // The filter expression for the key fields' values in the filter
    // record buffer.
    std::string BuildFilterString(const std::vector<TField*>& fields, bool caseInsensitive);

    // Layout helpers.
    std::int32_t RecordNumberOf(TRecordBuffer buffer) const;
    void SetRecordNumber(TRecordBuffer buffer, std::int32_t value) const;
    char* RecordInfo(TRecordBuffer buffer) const { return buffer + recordInfoOffset_; }
    char* BookmarkOf(TRecordBuffer buffer) const { return buffer + bookmarkOffset_; }
    // The record buffer of the current state; nullptr when there is none.
    TRecordBuffer StateBuffer();
    void DescribeField(int number);
    bool EngineValueIsNull(const TLceFieldDef& def, const char* record) const;
    void DecodeValue(const TLceFieldDef& def, TField* field, const char* record, void* buffer);
    void EncodeValue(const TLceFieldDef& def, TField* field, char* record, const void* buffer);
    int TableType() const { return tableType_; }
    bool HasBlobFields() const;
    void ComputeLayout();
    // Resolves an alias name of ldb.ini; true when it is one.
    static bool AliasOf(const std::string& name, std::string& path, TLdbTableTypes& type);

    TLceFieldDefs lceFieldDefs_;
    std::vector<char> oldRecord_;
    LdbHandle active_ = -1;
    int activeIndexKind_ = 0;
    std::uint32_t blobCacheOffset_ = 0;
    std::uint32_t bookmarkOffset_ = 0;
    bool canModify_ = false;
    std::string databaseName_;
    LdbHandle cursor_ = -1;
    std::uint32_t recordBufferSize_ = 0;
    std::uint32_t recordInfoOffset_ = 0;
    std::uint32_t recordSize_ = 0;
    std::uint32_t openOptions_ = 0;
    std::string aliasPath_;
    bool pathWarning_ = false;
    std::unique_ptr<TLdbTableOptions> tableOptions_;
    bool readOnly_ = false;
    std::string tableName_;
    TLdbTableTypes sourceTableType_ = ttAdsADT;
    int engineTableType_ = 3;
    TLdbConnection* connection_ = nullptr;
    int blobFieldCount_ = 0;
    int tableType_ = 3;
    TRecordBuffer filterBuffer_ = nullptr;
    std::string indexName_, indexFieldNames_, defaultIndexName_;
    std::unique_ptr<TIndexDefs> indexDefs_;
    std::unique_ptr<TLdbIndexFiles> indexFiles_;
    std::vector<KeyBuffer> keyBuffers_;
    int keyBuffer_ = kbRangeStart;
    bool scoped_ = false;
    std::string scopeBegin_, scopeEnd_;
    std::unique_ptr<TMasterDataLink> masterLink_;
};

// A dataset's Filter as the engine takes it: a "*" that ends a text
// literal (one not all "*") is dropped and exact becomes false; the
// argument of CONTAINS(...) is left as it is.
std::string LdbRewriteFilter(const std::string& filter, bool& exact);

// Every TLdbDataSet of the process (for renaming connections), under its
// lock.
std::mutex& LdbDataSetListLock();
std::vector<TLdbDataSet*>& LdbDataSetList();

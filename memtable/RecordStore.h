#pragma once
// The record store of the in-memory table: how a row is laid out in memory,
// where values that do not fit the fixed area live, how rows get slots and
// serial numbers, and the two comparison routines every index, search and
// sort rests on. One store is owned by one table and may be shared by tables
// attached to it.

#include <atomic>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "memtable/MemTableErrors.h"
#include "platform/core/Types.h"
#include "platform/data/DataTypes.h"

class TField;
class TqmtCustomMemTable;

enum TqmtPerformance { mtpfFast, mtpfBalanced, mtpfSmall };
enum TqmtVersioningMode { mtvm1SinceCheckPoint, mtvmAllSinceCheckPoint };

// Key comparison options, one byte of bits.
using TqmtMemTableCompareOptions = Byte;
constexpr Byte mtcoDescending = 1;
constexpr Byte mtcoCaseInsensitive = 2;
constexpr Byte mtcoPartialKey = 4;
constexpr Byte mtcoIgnoreNullKey = 8;
constexpr Byte mtcoIgnoreLocale = 16;
constexpr Byte mtcoUnique = 32;
constexpr Byte mtcoNonMaintained = 64;

// Per-field flag bits held by the store.
constexpr Byte qmtFieldOutOfLine = 1;
constexpr Byte qmtFieldCompressed = 2;
constexpr Byte qmtFieldChanged = 4;

// Null flag values of a field in a row.
constexpr Byte qmtNull = 0;
constexpr Byte qmtPresent = 2;

// Row update status (the framework's order).
constexpr Byte qmtUnmodified = 0;
constexpr Byte qmtModified = 1;
constexpr Byte qmtInserted = 2;
constexpr Byte qmtDeleted = 3;

// Row block flag: owned by the store (a stored row or a saved version).
constexpr Byte qmtStoreOwned = 1;

constexpr int QMT_MAX_FIELDS = 999;

// Header of a row block; the data area follows it in the same allocation.
struct TqmtRecord {
    Integer FetchPos;
    Integer Slot;
    Integer Serial;
    Byte Flags;
    Byte UpdateStatus;
    Integer TransLevel;
    Integer Tag;
    TqmtRecord* Previous;
    Byte* Data;
};

// One entry of a row's bookmark area: which stored row the buffer was
// fetched from (slot and serial), and the framework's bookmark flag.
constexpr int qmtBookmarkEntrySize = 9;
// A bookmark: slot, serial and store identity, 4 bytes each.
constexpr int qmtBookmarkSize = 12;
// One out-of-line entry: null flag, then the value buffer's address.
constexpr int qmtOutOfLineEntrySize = 1 + static_cast<int>(sizeof(void*));

// A field definition as the layout needs it.
struct TqmtColumnDef {
    std::string Name;
    std::string DisplayName;
    TFieldType DataType = ftUnknown;
    int Size = 0;
    std::vector<TqmtColumnDef> Children;
};

// A field as the comparison routines need it: which value of a row to read.
struct TqmtKeyField {
    TField* Field = nullptr;
    int FieldNo = 0;          // data field number (1-based), 0 for calculated fields
    int CalcOffset = 0;       // offset within the calculated area
    TFieldType DataType = ftUnknown;
    int ValueSize = 0;        // bytes of a calculated field's value
    std::string Name;
};

// An ordered list of fields with one option byte each.
class TqmtFieldList {
public:
    void Add(const TqmtKeyField& field, Byte options) {
        fields_.push_back(field);
        options_.push_back(options);
    }
    const TqmtKeyField& Field(int i) const { return fields_[static_cast<size_t>(i)]; }
    Byte Options(int i) const { return options_[static_cast<size_t>(i)]; }
    void SetOptions(int i, Byte o) { options_[static_cast<size_t>(i)] = o; }
    int Count() const { return static_cast<int>(fields_.size()); }
    int IndexOf(const TField* field) const;
    int IndexOfFieldNo(int fieldNo) const;
    void Clear() {
        fields_.clear();
        options_.clear();
    }
    void CopyTo(TqmtFieldList& other) const { other = *this; }
    // ORs this list's option bytes into the other's at the same positions.
    void MergeInto(TqmtFieldList& other) const;

private:
    std::vector<TqmtKeyField> fields_;
    std::vector<Byte> options_;
};

// What the store asks of the tables attached to it.
class TqmtStoreClient {
public:
    virtual ~TqmtStoreClient() = default;
    virtual bool StoreClientOpen() const = 0;
    virtual void StoreClientClose() = 0;
    virtual void StoreClientRefresh() = 0;  // refresh when browsing
    virtual void StoreClientEmpty() = 0;    // drop buffers and index rows
    virtual void StoreClientRebuildIndexes() = 0;
    virtual void StoreClientMarkIndexesUnordered() = 0;
    virtual void StoreClientRebuildIndexDefs() = 0;
    // change kind: 0 insert, 1 edit, 2 delete.
    virtual void StoreClientMaintainIndexes(int change, TqmtRecord* stored, int position,
                                            TqmtRecord* newValues) = 0;
};

// The store's re-entrant lock; cheap when uncontended or re-entered: one
// atomic exchange each way, and a futex wait only under contention.
class TqmtStoreLock {
public:
    void Lock() {
        const void* me = Self();
        if (owner_.load(std::memory_order_relaxed) == me) {
            ++depth_;
            return;
        }
        int expected = 0;
        if (!state_.compare_exchange_strong(expected, 1, std::memory_order_acquire)) LockSlow();
        owner_.store(me, std::memory_order_relaxed);
        depth_ = 1;
    }
    void Unlock() {
        if (--depth_ != 0) return;
        owner_.store(nullptr, std::memory_order_relaxed);
        if (state_.exchange(0, std::memory_order_release) == 2) state_.notify_one();
    }

private:
    void LockSlow() {
        // 0 free, 1 held, 2 held with waiters.
        while (state_.exchange(2, std::memory_order_acquire) != 0) state_.wait(2, std::memory_order_relaxed);
    }
    static const void* Self() {
        static thread_local char marker;
        return &marker;
    }
    std::atomic<int> state_{0};
    std::atomic<const void*> owner_{nullptr};
    int depth_ = 0;
};

// Hooks by which the owning table changes how values are kept.
using TqmtSetupFieldHook = std::function<void(int fieldNo, Byte& flags)>;
using TqmtFieldCodecHook = std::function<bool(int fieldNo, std::string_view in, std::string& out)>;
using TqmtCompareHook = std::function<bool(const TqmtKeyField& field, const Byte* key, const Byte* row,
                                           Byte options, bool& fullMatch, int& result)>;

class TqmtCommon {
public:
    explicit TqmtCommon(TqmtCustomMemTable* owner = nullptr);
    ~TqmtCommon();
    TqmtCommon(const TqmtCommon&) = delete;
    TqmtCommon& operator=(const TqmtCommon&) = delete;

    void AcquireStore() {
        if (!standalone_) lock_.Lock();
    }
    void ReleaseStore() {
        if (!standalone_) lock_.Unlock();
    }

    // Layout. calcSize is the framework's calculated-field buffer size.
    void BuildLayout(const std::vector<TqmtColumnDef>& defs, int calcSize,
                     const TqmtSetupFieldHook& setup = {});
    bool LayoutBuilt() const { return blockSize_ > 0; }

    // Row blocks.
    TqmtRecord* NewRecordBlock() const;
    void ResetRecord(TqmtRecord* r) const;
    TqmtRecord* CloneRecord(const TqmtRecord* r, bool withValues) const;
    void CopyRecordContents(const TqmtRecord* from, TqmtRecord* to) const;
    void MoveRecordContents(TqmtRecord* from, TqmtRecord* to) const;
    void ReleaseOutOfLineValues(TqmtRecord* r) const;
    void ReleaseRecord(TqmtRecord* r, bool releaseValues, bool releaseVersions) const;

    // Slots.
    void StoreRecord(TqmtRecord* r);
    void UnstoreRecord(TqmtRecord* r);
    void DropRecord(TqmtRecord* r);
    void ClearStore();
    int SlotCount();
    TqmtRecord* SlotRow(int slot) const {
        return slot >= 0 && slot < static_cast<int>(slots_.size()) ? slots_[static_cast<size_t>(slot)] : nullptr;
    }
    // The stored row a buffer refers to, or none when it is gone.
    TqmtRecord* StoredRow(int slot, int serial) const {
        TqmtRecord* r = SlotRow(slot);
        return r && r->Serial == serial ? r : nullptr;
    }
    const std::vector<TqmtRecord*>& Slots() const { return slots_; }
    int DeletedCount() const { return deletedCount_; }
    void AddDeleted(int n) { deletedCount_ += n; }

    // Field values inside a row.
    Byte* FieldValuePointer(const TqmtRecord* r, int fieldNo) const {
        if (!r || !r->Data || fieldNo < 1 || fieldNo > fieldCount_) return nullptr;
        return r->Data + offsets_[static_cast<size_t>(fieldNo)];
    }
    Byte* CalcValuePointer(const TqmtRecord* r, int calcOffset) const {
        if (!r || !r->Data) return nullptr;
        return r->Data + fixedSize_ + calcOffset;
    }
    Byte* KeyValuePointer(const TqmtRecord* r, const TqmtKeyField& f) const {
        return f.FieldNo > 0 ? FieldValuePointer(r, f.FieldNo) : CalcValuePointer(r, f.CalcOffset);
    }
    // Out-of-line entries: the buffer is a 4-byte length then the bytes.
    static Byte* OutOfLineBuffer(const Byte* entry) {
        Byte* p;
        std::memcpy(&p, entry + 1, sizeof p);
        return p;
    }
    static void SetOutOfLineBuffer(Byte* entry, Byte* buffer) { std::memcpy(entry + 1, &buffer, sizeof buffer); }
    static int BufferLength(const Byte* buffer) {
        Integer n;
        std::memcpy(&n, buffer, 4);
        return n;
    }
    static Byte* NewValueBuffer(const void* bytes, int length);
    // The out-of-line buffer of a field: the row's own, or the stored row's
    // in the row's slot when the row carries none.
    const Byte* OutOfLineValue(const TqmtRecord* r, int fieldNo) const;
    // Writes an out-of-line value (nullptr: null), applying compression.
    void WriteOutOfLine(TqmtRecord* r, int fieldNo, const void* bytes, int length);
    // Reads an out-of-line value (decompressed) into out; false when null.
    bool ReadOutOfLine(const TqmtRecord* r, int fieldNo, std::string& out) const;

    // Layout facts.
    int FieldCount() const { return fieldCount_; }
    Byte& FieldFlags(int fieldNo) { return flags_[static_cast<size_t>(fieldNo)]; }
    Byte FieldFlags(int fieldNo) const { return flags_[static_cast<size_t>(fieldNo)]; }
    bool IsOutOfLine(int fieldNo) const { return (flags_[static_cast<size_t>(fieldNo)] & qmtFieldOutOfLine) != 0; }
    TFieldType FieldType(int fieldNo) const { return types_[static_cast<size_t>(fieldNo)]; }
    int FieldValueSize(int fieldNo) const { return valueSizes_[static_cast<size_t>(fieldNo)]; }
    int FieldOffset(int fieldNo) const { return offsets_[static_cast<size_t>(fieldNo)]; }
    void ClearChangedFlags() {
        for (int i = 1; i <= fieldCount_; ++i) flags_[static_cast<size_t>(i)] &= static_cast<Byte>(~qmtFieldChanged);
    }
    int FixedSize() const { return fixedSize_; }
    int CalcSize() const { return calcSize_; }
    int BookmarkOffset() const { return bookmarkOffset_; }
    int OutOfLineOffset() const { return oolOffset_; }
    int DataSize() const { return dataSize_; }
    int BlockSize() const { return blockSize_; }
    int OutOfLineCount() const { return oolCount_; }
    Byte* BookmarkEntry(const TqmtRecord* r, int attachNo) const {
        return r->Data + bookmarkOffset_ + attachNo * qmtBookmarkEntrySize;
    }

    static int ValueSize(TFieldType t, int size);
    static bool IsSupportedType(TFieldType t);
    static bool IsBlobType(TFieldType t);

    // Settings (under the lock).
    Integer Identity() const { return identity_; }
    int LocaleID() const { return localeId_; }
    void SetLocaleID(int v);
    int LanguageID() const { return languageId_; }
    int SubLanguageID() const { return subLanguageId_; }
    int SortID() const { return sortId_; }
    void SetLanguageID(int v);
    void SetSubLanguageID(int v);
    void SetSortID(int v);
    TqmtPerformance Performance() const { return performance_; }
    void SetPerformance(TqmtPerformance p) { performance_ = p; }
    TqmtVersioningMode VersioningMode() const { return versioningMode_; }
    void SetVersioningMode(TqmtVersioningMode m) { versioningMode_ = m; }
    bool EnableVersioning() const { return enableVersioning_; }
    void SetEnableVersioning(bool v) { enableVersioning_ = v; }
    bool DataModified() const { return dataModified_; }
    void SetDataModified(bool v) { dataModified_ = v; }
    int TransactionLevel() const { return transLevel_; }
    void IncTransactionLevel() { ++transLevel_; }
    void DecTransactionLevel() {
        if (transLevel_ > 0) --transLevel_;
    }
    Integer AutoIncMinValue() const { return autoIncMin_; }
    void SetAutoIncMinValue(Integer v);
    Int64 AutoIncValue() const { return autoIncCurrent_; }
    void SetAutoIncValue(Int64 v) { autoIncCurrent_ = v; }
    int AttachMaxCount() const { return attachMax_; }
    void SetAttachMaxCount(int n);
    bool Standalone() const { return standalone_; }
    void SetStandalone(bool v);
    bool TableLocked() const { return tableLocked_; }
    void SetTableLocked(bool v) { tableLocked_ = v; }
    TqmtCustomMemTable* Owner() const { return owner_; }
    void SetOwner(TqmtCustomMemTable* t) { owner_ = t; }
    // For tests: where the serial counter stands.
    void SetSerialCounter(Integer v) { serialCounter_ = v; }

    // Attached tables (entry index = attach number).
    int AttachTable(TqmtStoreClient* table);
    void DetachTable(TqmtStoreClient* table);
    int AttachedCount() const;
    bool AnyTableOpen() const;
    void CloseOtherTables(TqmtStoreClient* except);
    void RefreshOtherTables(TqmtStoreClient* except);
    void EmptyAllTables();
    void RebuildAllIndexes();
    void MarkAllIndexesUnordered();
    void RebuildAllIndexDefs();
    void UpdateAllIndexes(TqmtStoreClient* caller, int change, int callerPosition, TqmtRecord* newValues,
                          TqmtRecord* stored);

    // Transactions.
    void CommitLevel();
    void RollbackLevel();

    // Comparison of two values of one type: negative, 0 or positive as the
    // key value is below, equal to or above the row value.
    int CompareValues(const Byte* key, int keyLen, const Byte* row, int rowLen, TFieldType type,
                      Byte options, bool& fullMatch) const;
    // Comparison of two rows over a list of fields. mode 0 stops at the
    // first difference; 1 at the first negative, 2 at the first positive,
    // 3 at the first result <= 0, 4 at the first result >= 0.
    int CompareKeyFields(const TqmtFieldList& fields, int maxCount, const TqmtRecord* key,
                         const TqmtRecord* row, bool ignoreNullKeys, bool partial, int mode,
                         bool* fullMatch = nullptr) const;

    // Whether rows can be ordered over these fields by binary sort keys
    // (AppendSortKey) instead of CompareKeyFields: no comparison hook, no
    // partial or null-ignoring keys, no decimal fields.
    bool SortKeyable(const TqmtFieldList& fields) const;
    // Appends a key whose byte order (memcmp, then length) is the order
    // CompareKeyFields gives in mode 0.
    void AppendSortKey(const TqmtFieldList& fields, const TqmtRecord* row, std::string& out) const;

    // Hooks set by the owning table.
    TqmtFieldCodecHook OnCompressField;
    TqmtFieldCodecHook OnDecompressField;
    TqmtCompareHook OnCompareFields;

private:
    void NewIdentity();
    void AddLayout(const TqmtColumnDef& def, int& offset, const TqmtSetupFieldHook& setup);
    // Bytes of a key value for comparison; text values without their zero.
    bool ValueBytes(const TqmtRecord* r, const TqmtKeyField& f, const Byte*& bytes, int& len,
                    std::string& scratch) const;

    TqmtStoreLock lock_;
    bool standalone_ = false;
    std::vector<TqmtRecord*> slots_;
    TqmtCustomMemTable* owner_;
    int fieldCount_ = 0;
    std::vector<int> offsets_;
    std::vector<Byte> flags_;
    std::vector<TFieldType> types_;
    std::vector<int> valueSizes_;
    int languageId_ = 0, subLanguageId_ = 1, sortId_ = 0, localeId_ = 1024;
    Integer identity_ = -1;
    int fixedSize_ = 0, calcSize_ = 0, bookmarkSize_ = 0, bookmarkOffset_ = 0, oolOffset_ = 0, oolSize_ = 0,
        dataSize_ = 0, blockSize_ = 0, oolCount_ = 0;
    bool dataModified_ = false;
    Integer autoIncMin_ = 0;
    Int64 autoIncCurrent_ = -1;
    Integer serialCounter_ = 0, slotCounter_ = 0;
    TqmtPerformance performance_ = mtpfFast;
    int attachMax_ = 1;
    std::vector<TqmtStoreClient*> attached_;
    std::vector<int> freeSlots_;
    TqmtVersioningMode versioningMode_ = mtvm1SinceCheckPoint;
    bool enableVersioning_ = false;
    int transLevel_ = 0;
    bool tableLocked_ = false;
    int deletedCount_ = 0;
};

// Holds the store's lock for a scope.
class TqmtStoreGuard {
public:
    explicit TqmtStoreGuard(TqmtCommon& s) : s_(s) { s_.AcquireStore(); }
    ~TqmtStoreGuard() { s_.ReleaseStore(); }
    TqmtStoreGuard(const TqmtStoreGuard&) = delete;
    TqmtStoreGuard& operator=(const TqmtStoreGuard&) = delete;

private:
    TqmtCommon& s_;
};

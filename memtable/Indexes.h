#pragma once
// Indexes of the in-memory table: ordered lists of references to stored
// rows over a list of key fields, with sorting, searching and maintenance
// on every insert, edit and delete.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "memtable/RecordStore.h"

class TqmtIndex;

enum TqmtProgressCode { mtpcLoad, mtpcSave, mtpcEmpty, mtpcPack, mtpcCheckPoint, mtpcSearch, mtpcCopy, mtpcUpdate, mtpcSort };

inline constexpr const char* qmtRowOrderIndexName = "__MT__ROWORDER";
inline constexpr const char* qmtDefSortIndexName = "__MT__DEFSORT";
inline constexpr const char* qmtAutoIndexPrefix = "__MT__AUTO_";

// What an index asks of the table it belongs to.
class TqmtIndexHost {
public:
    virtual ~TqmtIndexHost() = default;
    virtual TqmtCommon& IndexStore() = 0;
    virtual bool IndexHostOpen() const = 0;
    // The table's OnFilterIndex decision; true when the row belongs.
    virtual bool IndexAcceptsRow(TqmtIndex* index, TqmtRecord* row) = 0;
    virtual bool IndexRowVisible(TqmtRecord* row) = 0;
    virtual bool IndexAnyVisibilityRule() = 0;
    virtual void IndexProgress(int percent, TqmtProgressCode code) = 0;
    // Computes calculated fields of a row before it is compared, when the
    // table asks for that.
    virtual void IndexPrepareRow(TqmtRecord* row) = 0;
    // Called after an index of the table was reloaded.
    virtual void IndexRefreshed(TqmtIndex* index) = 0;
};

class TqmtIndex {
public:
    // kind: 0 row order, 1 sorted.
    TqmtIndex(std::string name, bool internal, int kind, Byte options, std::string fieldNames,
              const TqmtFieldList& keys, TqmtIndexHost* host);

    const std::string& Name() const { return name_; }
    void SetName(std::string n) { name_ = std::move(n); }
    bool Internal() const { return internal_; }
    bool IsRowOrder() const { return kind_ == 0; }
    Byte Options() const { return options_; }
    const std::string& FieldNames() const { return fieldNames_; }
    const TqmtFieldList& Keys() const { return keys_; }
    bool Ordered() const { return ordered_; }
    void SetOrdered(bool v) { ordered_ = v; }
    int Count() const { return static_cast<int>(rows_.size()); }
    TqmtRecord* Row(int i) const { return rows_[static_cast<size_t>(i)]; }
    std::vector<TqmtRecord*>& Rows() { return rows_; }

    bool AcceptsRow(TqmtRecord* row);
    int CompareRows(const TqmtFieldList* fields, const TqmtRecord* key, const TqmtRecord* row, bool partial,
                    bool tieBreak) const;
    int SearchKey(const TqmtFieldList* fields, TqmtRecord* key, bool& found, int& position, bool respectVisibility,
                  bool nearest);
    int LocateRow(TqmtRecord* stored, bool respectVisibility);
    int LocateSlot(int slot);
    void ReloadRows();
    void SortAndCheck();
    void RefreshIndex();
    void ClearRows() {
        rows_.clear();
        slotPos_.clear();
        heads_.clear();
        ordered_ = false;
    }
    // Called whenever rows are inserted or removed outside a sort.
    void InvalidateHeads() { heads_.clear(); }
    // Uniqueness of adjacent rows; raises EMemTableDupKey.
    void CheckUnique() const;

private:
    static std::uint64_t HeadOf(const char* key, size_t length);
    bool SameKeys(const TqmtFieldList& list) const;
    int TieBreak(const TqmtRecord* key, const TqmtRecord* row) const;
    int SequentialSlotScan(int slot, int from);

    std::string name_;
    std::vector<TqmtRecord*> rows_;
    // Position of each slot's row as of the last sort; a hint that is
    // checked before use (changes since may have moved rows).
    std::vector<Integer> slotPos_;
    int HintFor(int slot) const {
        if (slot < 0 || slot >= static_cast<int>(slotPos_.size())) return -1;
        int p = slotPos_[static_cast<size_t>(slot)];
        return p >= 0 && p < Count() ? p : -1;
    }
    // The first 8 bytes of each row's sort key, in row order, as of the last
    // sort (empty when rows changed since): binary searches over the whole
    // key narrow their range here before touching rows.
    std::vector<std::uint64_t> heads_;
    TqmtIndexHost* host_;
    std::string fieldNames_;
    TqmtFieldList keys_;
    Byte options_;
    bool ordered_ = false;
    int kind_;
    bool internal_;
};

// The table's indexes: the row-order index first, then the others in
// creation order.
class TqmtIndexes {
public:
    explicit TqmtIndexes(TqmtIndexHost* host);

    TqmtIndex* RowOrder() const { return list_.front().get(); }
    int Count() const { return static_cast<int>(list_.size()); }
    TqmtIndex* At(int i) const { return list_[static_cast<size_t>(i)].get(); }
    TqmtIndex* RegisterIndex(std::unique_ptr<TqmtIndex> index);
    void RemoveIndex(TqmtIndex* index);
    void DropAllIndexes();
    TqmtIndex* IndexByName(const std::string& name) const;
    TqmtIndex* IndexByFields(const std::string& fields) const;
    void EmptyAllIndexes();
    void RefreshAllIndexes();
    void MarkAllUnordered();
    // Raises EMemTableDupKey when the working copy's key exists in a unique
    // index on a row other than the one being edited.
    void CheckUniqueKeys(TqmtRecord* working, TqmtRecord* editing, bool enableIndexes);
    // change: 0 insert, 1 edit, 2 delete. Returns the row's position in the
    // current index (-1 when not there).
    int MaintainIndexes(int change, TqmtRecord* stored, int hint, TqmtRecord* newValues, TqmtIndex* current,
                        bool enableIndexes);

private:
    TqmtIndexHost* host_;
    std::vector<std::unique_ptr<TqmtIndex>> list_;
};

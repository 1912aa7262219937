#pragma once
// TqmtCustomStreamFormat: the base of the in-memory table's stream formats.
// It chooses which fields take part in a save or load, prepares the table
// before and restores it after, offers compression of the whole stream,
// and fixes the order of the steps a concrete format fills in.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Component.h"
#include "platform/core/Streams.h"

class TqmtCustomMemTable;
class TField;

// Flag sets: bit 0 the save member, bit 1 the load member.
using TqmtStreamFlags = Byte;
constexpr TqmtStreamFlags sfSave = 1;
constexpr TqmtStreamFlags sfLoad = 2;
// Members of the append set.
constexpr TqmtStreamFlags sfSaveAppend = 1;
constexpr TqmtStreamFlags sfSaveInsert = 2;

using TqmtOnCompress = std::function<void(TqmtCustomMemTable* table, TStream* from, TStream* to)>;

class TqmtCustomStreamFormat : public TComponent {
public:
    explicit TqmtCustomStreamFormat(TComponent* owner = nullptr);
    ~TqmtCustomStreamFormat() override;

    std::string Version() const { return VersionText(); }
    void Assign(const TPersistent* source) override;

    // The fifteen flag sets (published).
    TqmtStreamFlags sfData = sfSave | sfLoad;
    TqmtStreamFlags sfCalculated = 0;
    TqmtStreamFlags sfLookup = 0;
    TqmtStreamFlags sfNonVisible = sfSave | sfLoad;
    TqmtStreamFlags sfBlobs = sfSave | sfLoad;
    TqmtStreamFlags sfDef = sfSave | sfLoad;
    TqmtStreamFlags sfIndexDef = sfSave | sfLoad;
    TqmtStreamFlags sfFiltered = sfSave;
    TqmtStreamFlags sfIgnoreRange = sfSave;
    TqmtStreamFlags sfIgnoreMasterDetail = sfSave;
    TqmtStreamFlags sfDeltas = 0;
    TqmtStreamFlags sfDontFilterDeltas = 0;
    TqmtStreamFlags sfAppend = 0;
    TqmtStreamFlags sfFieldKind = sfSave;
    TqmtStreamFlags sfFromStart = sfLoad;

    bool SaveAppend() const { return (sfAppend & sfSaveAppend) != 0; }

    TqmtOnCompress OnCompress;
    TqmtOnCompress OnDeCompress;
    TNotifyEvent OnBeforeSave, OnAfterSave, OnBeforeLoad, OnAfterLoad;

    // The steps, called by the table in this order (the end step also when
    // the middle one fails).
    virtual void BeginSave(TqmtCustomMemTable* table);
    virtual void RunSave(TqmtCustomMemTable* table);
    virtual void EndSave(TqmtCustomMemTable* table);
    virtual void BeginLoad(TqmtCustomMemTable* table);
    virtual void RunLoad(TqmtCustomMemTable* table);
    virtual void EndLoad(TqmtCustomMemTable* table);

    // The caller's stream (the work stream is derived from it).
    void SetStreams(TStream* stream);

    // Tables that name this format; they forget it when it is destroyed.
    void TableAttached(TqmtCustomMemTable* table);
    void TableDetached(TqmtCustomMemTable* table);

protected:
    virtual std::string VersionText() const { return "1.00"; }
    virtual void BuildSaveFieldMap(TqmtCustomMemTable* table);
    virtual void WriteDefinition(TqmtCustomMemTable* table) {}
    virtual void WriteRows(TqmtCustomMemTable* table) {}
    virtual void ReadFieldNames(TqmtCustomMemTable* table, bool loading, std::vector<std::string>& names);
    virtual void BuildLoadFieldMap(TqmtCustomMemTable* table, bool loading);
    virtual int MatchFieldName(TqmtCustomMemTable* table, const std::string& name) { return -1; }
    virtual void ReadDefinition(TqmtCustomMemTable* table) {}
    virtual void ReadRows(TqmtCustomMemTable* table) {}

    TStream* Stream() const { return stream_; }
    TStream* WorkStream() const { return work_; }
    // Index of a table field per position: saved fields, -1 for others.
    std::vector<int> saveFieldMap_;
    // Per name read: the table field index it loads into, or -1.
    std::vector<int> loadFieldMap_;

private:
    TStream* stream_ = nullptr;
    TStream* work_ = nullptr;
    std::unique_ptr<TMemoryStream> ownWork_;
    std::string bookmark_;
    bool savedFiltered_ = false;
    bool savedMasterLink_ = true;
    bool savedEnableIndexes_ = true;
    bool savedPersistent_ = false;
    bool lockHeld_ = false;
    std::vector<TqmtCustomMemTable*> tables_;
};

// Whether a field is of a blob type.
bool qmtIsBlobField(const TField* field);

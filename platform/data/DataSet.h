#pragma once
// TDataSet: the dataset framework's state machine and record-buffer window.
//
// A descendant supplies the storage through the protected virtual
// operations of the record-buffer protocol (AllocRecordBuffer, GetRecord,
// InternalOpen, GetFieldData, InternalPost, ...); TDataSet drives
// navigation, editing, events and the notifications to data sources and
// their data links.
//
// Record buffers. The dataset keeps BufferCount() buffers (the largest
// BufferCount of the data links, at least 1) plus one spare. Buffers
// 0..BufferedRecordCount()-1 hold consecutive records around the cursor;
// ActiveRecord() is the index of the current one. CurrentRecord() is the
// index of the buffer the descendant's cursor stands on (-1 unknown).
//
// Descendant duties:
//   InternalOpen: open the storage, call InternalInitFieldDefs(), then
//     CreateFields() when DefaultFields(), then BindFields(true); leave the
//     cursor before the first record.
//   InternalClose: BindFields(false); DestroyFields() when DefaultFields();
//     close the storage.
//   GetRecord(buffer, mode, doCheck): fetch the current/next/prior record
//     into buffer and move the cursor there; set the buffer's bookmark flag
//     to bfCurrent; call GetCalcFields(buffer) when CalcFieldsSize() > 0.
//   SetFieldData: check the state (edit, insert, set-key, calc-fields,
//     filter, new-value, internal-calc), call Field->Validate(buffer) for
//     data fields, store the value, then DataEvent(deFieldChange, field)
//     unless the state is calc-fields, filter or new-value.
//   InternalPost: call TDataSet::InternalPost() first (required fields),
//     then store the active buffer; leave the cursor on the posted record.
//   InternalDelete: remove the record under the cursor; leave the cursor
//     on the record that follows (or the one before at the end).
//   The destructor of a descendant must call Close() (virtual calls do not
//   reach a descendant from ~TDataSet).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Component.h"
#include "platform/core/Types.h"
#include "platform/data/DBError.h"
#include "platform/data/DataTypes.h"
#include "platform/data/Field.h"
#include "platform/data/FieldDefs.h"

class TDataSet;
class TDataSource;
class TDataLink;
class TStream;

using TDataSetNotifyEvent = std::function<void(TDataSet* dataSet)>;
using TDataSetErrorEvent = std::function<void(TDataSet* dataSet, EDatabaseError& error, TDataAction& action)>;
using TFilterRecordEvent = std::function<void(TDataSet* dataSet, bool& accept)>;

class TDataSet : public TComponent {
public:
    explicit TDataSet(TComponent* owner = nullptr);
    ~TDataSet() override;

    // ---- state
    bool Active() const { return state_ != dsInactive && state_ != dsOpening; }
    virtual void SetActive(bool value);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }
    TDataSetState State() const { return state_; }
    bool Bof() const { return bof_; }
    bool Eof() const { return eof_; }
    bool Modified() const { return modified_; }
    bool IsEmpty() const { return activeRecord_ >= recordCount_; }
    bool CanModify() const { return GetCanModify(); }
    bool Found() const { return found_; }
    bool DefaultFields() const { return defaultFields_; }
    bool AutoCalcFields() const { return autoCalcFields_; }
    void SetAutoCalcFields(bool value) { autoCalcFields_ = value; }

    // Link notifications are held back while at least one DisableControls
    // is open; the last EnableControls sends DataSetChanged (LayoutChanged
    // when the layout changed or the dataset closed meanwhile, and the
    // state change first when the state differs). Dataset events still fire.
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return disableCount_ != 0; }

    // ---- navigation
    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    // Moves by up to distance records; answers how far it moved.
    int MoveBy(int distance);
    void Refresh();
    virtual void Resync(TResyncMode mode);
    int RecNo() const { return const_cast<TDataSet*>(this)->GetRecNo(); }
    void SetRecNo(int value) { SetRecNoValue(value); }
    int RecordCount() const { return const_cast<TDataSet*>(this)->GetRecordCount(); }
    virtual bool IsSequenced() { return true; }
    // The index a table orders its records by: the index's name and the
    // field names it was chosen by (only one of them is set). Empty for a
    // dataset without indexes. Data-aware controls compare them to notice
    // that the records were put in another order.
    virtual std::string OrderIndexName() const { return {}; }
    virtual std::string OrderIndexFieldNames() const { return {}; }

    // ---- editing
    void Append();
    virtual void Insert();
    void Edit();
    virtual void Post();
    virtual void Cancel();
    void Delete();
    void CheckBrowseMode();
    // Asks the data links to write pending values (UpdateData).
    void UpdateRecord();
    void ClearFields();
    // Assigns values to the fields in field order: Null clears a field,
    // Unassigned leaves it as it is. Needs edit or insert mode.
    void SetFields(const std::vector<Variant>& values);
    // Append (Insert), SetFields and post in one step; on failure the new
    // record is cancelled and the error propagates.
    void AppendRecord(const std::vector<Variant>& values);
    void InsertRecord(const std::vector<Variant>& values);
    virtual TUpdateStatus UpdateStatus() { return usUnmodified; }

    // ---- bookmarks (byte strings; empty means none)
    TBookmark GetBookmark();
    void GotoBookmark(const TBookmark& bookmark);
    void FreeBookmark(TBookmark& bookmark) { bookmark.clear(); }
    TBookmarkStr Bookmark() { return GetBookmark(); }
    void SetBookmark(const TBookmarkStr& bookmark) { GotoBookmark(bookmark); }
    TBookmarkStr GetBookmarkStr() { return GetBookmark(); }
    void SetBookmarkStr(const TBookmarkStr& bookmark) { GotoBookmark(bookmark); }
    bool BookmarkAvailable();
    virtual bool BookmarkValid(const TBookmark& bookmark) { return false; }
    // Negative, zero or positive; equal for two empty bookmarks.
    virtual int CompareBookmarks(const TBookmark& a, const TBookmark& b) { return 0; }

    // ---- fields
    TFields& Fields() { return fields_; }
    const TFields& Fields() const { return fields_; }
    int FieldCount() const { return fields_.Count(); }
    TField* FieldByName(const std::string& fieldName) const { return fields_.FieldByName(fieldName); }
    TField* FindField(const std::string& fieldName) const { return fields_.FindField(fieldName); }
    TField* FieldByNumber(int fieldNo) const { return fields_.FieldByNumber(fieldNo); }
    void GetFieldNames(std::vector<std::string>& names) const { fields_.GetFieldNames(names); }
    // Fields named in a ";"-separated list; raises for an unknown name.
    void GetFieldList(std::vector<TField*>& list, const std::string& fieldNames) const;
    // Values of the named fields (";"-separated): one value, or an array for
    // several names.
    Variant FieldValues(const std::string& fieldNames) const;
    void SetFieldValues(const std::string& fieldNames, const Variant& values);
    // The value a field has in a temporary state (dsOldValue, dsNewValue,
    // dsCurValue), as the descendant answers in that state.
    virtual Variant GetStateFieldValue(TDataSetState state, TField* field);
    TFieldDefs& FieldDefs() { return fieldDefs_; }
    // Builds the field definitions (InternalInitFieldDefs).
    virtual void InitFieldDefs();

    // ---- filtering and searching
    bool Filtered() const { return filtered_; }
    virtual void SetFiltered(bool value);
    const std::string& Filter() const { return filterText_; }
    virtual void SetFilterText(const std::string& value);
    void SetFilter(const std::string& value) { SetFilterText(value); }
    TFilterOptions FilterOptions() const { return filterOptions_; }
    virtual void SetFilterOptions(TFilterOptions value);
    bool FindFirst() { return FindRecord(true, true); }
    bool FindLast() { return FindRecord(true, false); }
    bool FindNext() { return FindRecord(false, true); }
    bool FindPrior() { return FindRecord(false, false); }
    virtual bool FindRecord(bool restart, bool goForward);
    // Moves to the first record whose key fields (";"-separated) equal the
    // values (one value, or an array with one element per field); answers
    // whether one was found. Null matches a null field; for text fields
    // loCaseInsensitive ignores case and loPartialKey lets the value be a
    // prefix. The default walks the records through the buffer protocol
    // (no scroll events while searching); descendants may seek instead.
    virtual bool Locate(const std::string& keyFields, const Variant& keyValues, TLocateOptions options);
    // The result fields' values (an array for several) of the first record
    // matching as Locate would, without moving; Null when none matches.
    virtual Variant Lookup(const std::string& keyFields, const Variant& keyValues,
                           const std::string& resultFields);

    // ---- block reading: while BlockReadSize > 0 the state is dsBlockRead
    // and the links are not told about moves.
    int BlockReadSize() const { return blockReadSize_; }
    virtual void SetBlockReadSize(int value);

    // ---- data sources and links
    // The master data source of a detail dataset, if any.
    virtual TDataSource* GetDataSource() { return nullptr; }
    bool IsLinkedTo(TDataSource* dataSource);
    const std::vector<TDataSource*>& DataSources() const { return dataSources_; }
    // Index of the active buffer; setting it moves the active buffer without
    // any notification (data links read other buffered records this way,
    // also while editing).
    int ActiveRecord() const { return activeRecord_; }
    void SetActiveRecord(int value);
    int BufferCount() const { return bufferCount_; }
    // Records held in the buffers.
    int BufferedRecordCount() const { return recordCount_; }
    TRecordBuffer ActiveBuffer() const;
    // Copies the current record into buffer; false when there is none.
    virtual bool GetCurrentRecord(TRecordBuffer buffer) { return false; }

    // ---- field data (see Field.h for the native forms)
    virtual bool GetFieldData(TField* field, void* buffer) { return false; }
    virtual bool GetFieldData(TField* field, void* buffer, bool nativeFormat);
    virtual void SetFieldData(TField* field, const void* buffer) {}
    virtual void SetFieldData(TField* field, const void* buffer, bool nativeFormat);
    // Converts between the native form and TDateTime / Currency.
    virtual void DataConvert(TField* field, const void* source, void* dest, bool toNative);
    // A stream over a blob field's value (caller frees it); nullptr when
    // the dataset has no blobs.
    virtual TStream* CreateBlobStream(TField* field, TBlobStreamMode mode) { return nullptr; }
    virtual void CloseBlob(TField* field) {}
    virtual bool GetIsIndexField(TField* field) { return false; }
    // Refreshes the descendant's index definitions (TIndexDefs::Update).
    virtual void UpdateIndexDefs() {}
    // Size in bytes of the calculated area of a record buffer.
    int CalcFieldsSize() const { return calcFieldsSize_; }
    // The buffer whose calculated fields are being computed (dsCalcFields).
    TRecordBuffer CalcBuffer() const { return calcBuffer_; }
    int BookmarkSize() const { return bookmarkSize_; }

    // ---- events
    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
    TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    TDataSetNotifyEvent BeforeRefresh, AfterRefresh;
    TDataSetNotifyEvent OnNewRecord, OnCalcFields;
    TDataSetErrorEvent OnPostError, OnEditError, OnDeleteError;
    TFilterRecordEvent OnFilterRecord;

    // Sends a notification to the data sources (and so to the links),
    // unless controls are disabled or NotificationsHeld(). Descendants call
    // it with deFieldChange after a field write; info carries the field for
    // deFieldChange and deFocusControl, the buffer shift for deDataSetScroll.
    // The dataset's own bookkeeping of an event (a field change marks the
    // record modified, runs the field's OnChange and recomputes calculated
    // fields) happens whether or not the links are told.
    virtual void DataEvent(TDataEvent event, std::intptr_t info);

protected:
    // ---- record-buffer protocol
    virtual TRecordBuffer AllocRecordBuffer() = 0;
    virtual void FreeRecordBuffer(TRecordBuffer& buffer) = 0;
    virtual TGetResult GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck) = 0;
    virtual int GetRecordSize() { return 0; }
    virtual void InitRecord(TRecordBuffer buffer);
    virtual void InternalInitRecord(TRecordBuffer buffer) {}
    virtual void InternalOpen() = 0;
    virtual void InternalClose() = 0;
    virtual bool IsCursorOpen() = 0;
    virtual void InternalInitFieldDefs() = 0;
    virtual void InternalFirst() = 0;
    virtual void InternalLast() = 0;
    virtual void InternalSetToRecord(TRecordBuffer buffer) = 0;
    virtual void InternalGotoBookmark(const TBookmark& bookmark) = 0;
    virtual void GetBookmarkData(TRecordBuffer buffer, TBookmark& data) = 0;
    virtual void SetBookmarkData(TRecordBuffer buffer, const TBookmark& data) = 0;
    virtual TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) = 0;
    virtual void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) = 0;
    // Adds a complete record (AppendRecord/InsertRecord); the default posts
    // the active buffer through InternalPost.
    virtual void InternalAddRecord(TRecordBuffer buffer, bool append) { InternalPost(); }
    virtual void InternalDelete() = 0;
    // The framework's checks before storing: required fields.
    virtual void InternalPost() { CheckRequiredFields(); }
    virtual void InternalCancel() {}
    virtual void InternalEdit() {}
    virtual void InternalInsert() {}
    virtual void InternalRefresh() {}
    virtual void InternalHandleException() {}
    virtual int GetRecordCount() { return -1; }
    virtual int GetRecNo() { return -1; }
    virtual void SetRecNoValue(int value) {}
    virtual bool GetCanModify() const { return true; }
    virtual void ClearCalcFields(TRecordBuffer buffer) {}
    // Computes lookup fields, then OnCalcFields, into the calculated area.
    virtual void CalculateFields(TRecordBuffer buffer);
    // Runs ClearCalcFields and CalculateFields in the dsCalcFields state.
    virtual void GetCalcFields(TRecordBuffer buffer);
    virtual void OpenCursor(bool infoQuery);
    virtual void CloseCursor();
    virtual void CheckActive() const;
    virtual void CheckInactive() const;

    // ---- event hooks
    virtual void DoBeforeOpen() { Fire(BeforeOpen); }
    virtual void DoAfterOpen() { Fire(AfterOpen); }
    virtual void DoBeforeClose() { Fire(BeforeClose); }
    virtual void DoAfterClose() { Fire(AfterClose); }
    virtual void DoBeforeInsert() { Fire(BeforeInsert); }
    virtual void DoAfterInsert() { Fire(AfterInsert); }
    virtual void DoBeforeEdit() { Fire(BeforeEdit); }
    virtual void DoAfterEdit() { Fire(AfterEdit); }
    virtual void DoBeforePost() { Fire(BeforePost); }
    virtual void DoAfterPost() { Fire(AfterPost); }
    virtual void DoBeforeCancel() { Fire(BeforeCancel); }
    virtual void DoAfterCancel() { Fire(AfterCancel); }
    virtual void DoBeforeDelete() { Fire(BeforeDelete); }
    virtual void DoAfterDelete() { Fire(AfterDelete); }
    virtual void DoBeforeScroll() { Fire(BeforeScroll); }
    virtual void DoAfterScroll() { Fire(AfterScroll); }
    virtual void DoBeforeRefresh() { Fire(BeforeRefresh); }
    virtual void DoAfterRefresh() { Fire(AfterRefresh); }
    virtual void DoOnNewRecord() { Fire(OnNewRecord); }
    virtual void DoOnCalcFields() { Fire(OnCalcFields); }

    // Whether link notifications are held back for a reason of the
    // descendant's own, besides DisableControls and block reading. A
    // descendant that holds them tells the links afterwards itself.
    virtual bool NotificationsHeld() { return false; }

    // ---- helpers for descendants
    void SetState(TDataSetState value);
    // Enters a temporary state (calc-fields, filter, old/new value, ...)
    // without notifying anyone; RestoreState returns to the saved state.
    TDataSetState SetTempState(TDataSetState value);
    void RestoreState(TDataSetState value);
    void SetModified(bool value) { modified_ = value; }
    void SetFound(bool value) { found_ = value; }
    void SetBookmarkSize(int size) { bookmarkSize_ = size; }
    TRecordBuffer Buffers(int index) const { return buffers_[static_cast<std::size_t>(index)]; }
    // The spare buffer behind the filled ones.
    TRecordBuffer TempBuffer() const { return buffers_[static_cast<std::size_t>(recordCount_)]; }
    int CurrentRecord() const { return currentRecord_; }
    void SetCurrentRecord(int index);
    void UpdateCursorPos();
    void CursorPosChanged() { currentRecord_ = -1; }
    void ClearBuffers();
    void ActivateBuffers();
    bool GetNextRecord();
    bool GetPriorRecord();
    int GetNextRecords();
    int GetPriorRecords();
    void MoveBuffer(int curIndex, int newIndex);
    void UpdateBufferCount();
    virtual void SetBufferCount(int value);
    void CreateFields();
    void DestroyFields();
    void BindFields(bool binding);
    void CheckRequiredFields();
    void CheckCanModify();
    void FreeFieldBuffers() {}
    // Runs an editing operation; on EDatabaseError the error event may ask
    // to retry (daRetry), to abort silently (daAbort, raises EAbort) or to
    // fail (daFail, the error propagates).
    void CheckOperation(const std::function<void()>& operation, const TDataSetErrorEvent& errorEvent);

private:
    friend class TDataSource;
    friend class TDataLink;
    friend class TField;
    friend class TFields;

    void Fire(const TDataSetNotifyEvent& event) {
        if (event) event(this);
    }
    void DoInternalOpen();
    // Walks the records from the first in the dsCalcFields state over the
    // spare buffer until match answers true; the cursor stays on that
    // record (true) or its position is forgotten (false).
    bool ScanRecords(const std::function<bool()>& match);
    void PostNew(bool append);
    void OpenCursorComplete();
    void BeginInsertAppend();
    void EndInsertAppend();
    void UpdateCalcFields();
    void AddDataSource(TDataSource* dataSource);
    void RemoveDataSource(TDataSource* dataSource);
    void FieldListChanged();
    void SetBufListSize(int count);

    TDataSetState state_ = dsInactive;
    TDataSetState disableState_ = dsInactive;
    TDataEvent enableEvent_ = deDataSetChange;
    int disableCount_ = 0;
    bool bof_ = true;
    bool eof_ = true;
    bool modified_ = false;
    bool found_ = false;
    bool defaultFields_ = false;
    bool autoCalcFields_ = true;
    bool internalOpenComplete_ = false;
    bool destroying_ = false;
    bool internalCalcFields_ = false;
    bool filtered_ = false;
    std::string filterText_;
    TFilterOptions filterOptions_ = 0;
    int blockReadSize_ = 0;
    int bookmarkSize_ = 0;
    int calcFieldsSize_ = 0;
    TRecordBuffer calcBuffer_ = nullptr;

    std::vector<TRecordBuffer> buffers_;
    int bufferCount_ = 0;
    int recordCount_ = 0;
    int activeRecord_ = 0;
    int currentRecord_ = -1;

    TFields fields_;
    TFieldDefs fieldDefs_;
    std::vector<TDataSource*> dataSources_;
};

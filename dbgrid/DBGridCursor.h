#pragma once
// The engine-cursor record window. It keeps its own copies of the records
// of the visible rows, read through a read-only clone of the dataset's
// engine cursor that it moves itself, so the dataset's position and its
// other controls are not disturbed while the grid scrolls. It never counts
// the table: rows carry relative numbers, and the record count is learned
// as the cursor walks, or estimated until it is known.
//
// A dataset offers such a cursor by deriving from TgrCursorDataSet. No
// dataset of this program does, so every grid of the program uses the
// standard window; the tests drive this one over a cursor of their own.

#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "dbgrid/DBGridData.h"

// Engine status codes.
inline constexpr int kEngineOk = 0;
inline constexpr int kEngineAtStart = 0x2201;
inline constexpr int kEngineAtEnd = 0x2202;
inline constexpr int kEngineNoCurrent = 0x2204;
// The cursor has no current index to search by key.
inline constexpr int kEngineNoIndex = 0x2206;
// A blob read reached the end of the blob.
inline constexpr int kEngineBlobEnd = 0x2207;
// A blob read started past the end of the blob.
inline constexpr int kEngineBadBlobOffset = 0x270E;
// No field of that number in the record.
inline constexpr int kEngineBadField = 0x2708;
// The cursor cannot do what was asked (no sequence numbers, ...).
inline constexpr int kEngineNotSupported = 0x3E06;
// A jump by sequence number could not step back from the end.
inline constexpr int kEngineSeqStepFailed = 0x3001;

// How a cursor numbers its records.
enum TgrSequenceKind { skPhysical = 0, skSequenced = 1, skNone = 2 };

// A record buffer of the engine: one native value per field number
// (index FieldNo - 1), Unassigned or Null for a blank field. The native
// values by field kind: text in the cursor's character set, 16- and 32-bit
// integers, doubles for floats and currency, the bytes of a TBcd for BCD
// fields, 0 or -1 for Booleans, the day number from 1 January of year 1
// (day 1) for dates, milliseconds since midnight for times, milliseconds
// since the start of 1 January of year 1 (a double) for date-times, raw
// bytes for bytes and blobs.
using TgrEngineRecord = std::vector<Variant>;

// The character set of the cursor's texts.
enum TgrCursorCharSet { ccsUtf8, ccsWindows1252 };

// A field's value in its native form, and back (a Null or Unassigned value
// is blank). Texts stay in the program's character set.
Variant ToEngineValue(const TField* field, const Variant& value);

// A currency in the engine's BCD form (32 digits of precision), and back:
// False for bytes that are no BCD or a value outside the currency range.
std::string CurrToBCD(Currency value);
bool BCDToCurr(const std::string& bytes, Currency& value);
// A typed number (the program's decimal separator): False for a text that
// is not one, which is then left alone.
bool TextToFloat(const std::string& text, double& value);
bool TextToFloat(const std::string& text, Currency& value);
Variant FromEngineValue(const TField* field, const Variant& native);

// A read-only engine cursor: it stands before the first record, on a
// record, or after the last one.
class TgrEngineCursor {
public:
    virtual ~TgrEngineCursor() = default;
    virtual void SetToBegin() = 0;
    virtual void SetToEnd() = 0;
    // Steps and reads the record when record is given; answers a status.
    virtual int Next(TgrEngineRecord* record) = 0;
    virtual int Prior(TgrEngineRecord* record) = 0;
    virtual int Current(TgrEngineRecord* record) = 0;
    // The bookmark of the current record; positioning answers a status.
    virtual std::string GetBookmark() = 0;
    virtual int GotoBookmark(const std::string& bookmark) = 0;
    // Positions before the first record whose key (the first field of the
    // cursor's current index, taken from the key record) is at or after
    // the key, so that Next reads it. A cursor without an index answers
    // kEngineNoIndex.
    virtual int GotoKey(const TgrEngineRecord& key) { return kEngineNoIndex; }
    virtual TgrCursorCharSet CharSet() const { return ccsUtf8; }
    // The engine's text for a failing status.
    virtual std::string StatusMessage(int status) const;

    // Field and blob access in a record buffer by field number.
    virtual int GetField(const TgrEngineRecord& record, int fieldNo, Variant* value, bool& blank);
    virtual int PutField(TgrEngineRecord& record, int fieldNo, const Variant& value);
    virtual int OpenBlob(const TgrEngineRecord& record, int fieldNo);
    // Reads up to count bytes from pos; read answers how many.
    virtual int ReadBlob(const TgrEngineRecord& record, int fieldNo, Int64 pos, Integer count, void* buffer,
                         Integer& read);
    virtual int GetBlobSize(const TgrEngineRecord& record, int fieldNo, Int64& size);
    virtual int FreeBlob(const TgrEngineRecord& record, int fieldNo) { return kEngineOk; }

    // Record numbers: sequence numbers (from 1) for a skSequenced cursor,
    // physical numbers for a skPhysical one.
    virtual TgrSequenceKind SequenceKind() const { return skNone; }
    virtual int GetSequenceNumber(Integer& number) {
        number = -1;
        return kEngineNotSupported;
    }
    // Positions on the record of a sequence number; past the last record
    // the cursor stands after it (kEngineAtEnd), before the first before it
    // (kEngineAtStart).
    virtual int GotoSequenceNumber(Integer number) { return kEngineNotSupported; }
    virtual Integer PhysicalRecordNumber() { return -1; }
    // Drops the records the engine cached for the cursor.
    virtual void ForceReread() {}
    // The kinds of updated records the cursor shows (one byte of flags).
    virtual Byte GetUpdateRecordTypes() { return updateRecordTypes_; }
    virtual void SetUpdateRecordTypes(Byte value) { updateRecordTypes_ = value; }

private:
    Byte updateRecordTypes_ = 0;
};

// A dataset that can clone its engine cursor.
class TgrCursorDataSet {
public:
    virtual ~TgrCursorDataSet() = default;
    virtual std::unique_ptr<TgrEngineCursor> CloneCursor() = 0;
    // The kinds of updated records the dataset's own cursor shows.
    virtual Byte CursorUpdateRecordTypes() { return 0; }
    // A detail table's master source and master fields (none: not a
    // detail).
    virtual TDataSource* CursorMasterSource() const { return nullptr; }
    virtual std::string CursorMasterFields() const { return std::string(); }
};

class TgrScrollDataset : public TgrGridData {
public:
    explicit TgrScrollDataset(TgrCustomDBGrid* grid);
    ~TgrScrollDataset() override;

    // ------------------------------------------------ the window
    // (DBGridCursor.cpp)
    // Opening clones the dataset's cursor (Open); closing frees it.
    void ActiveChanged(bool active) override;
    // Forgets the dataset's index, filter, master and update-record state.
    void Reset() override;
    Integer GetRowCount() override { return bottom_ - top_ + 1 > 0 ? bottom_ - top_ + 1 : 0; }
    bool IsActive() override { return active_; }
    // Reads the window from the first (last) record; the numbering is
    // anchored there.
    void First() override;
    void Last() override;
    void SetActiveRow(Integer row) override;
    Integer GetActiveRow() override { return active_ && activeRow_ > 0 ? activeRow_ : -1; }
    // The active row's sequence number when the cursor numbers records.
    Integer GetRecNo() override;
    // The count when known; else the known count plus the larger of a
    // tenth of it and the window size.
    Integer GetRecordCount() override;
    // The dataset's own count (0 while closed), asked when refresh or
    // while the count is not known; it is the count from then on.
    Integer GetTotalRecordCount(bool refresh) override;
    Integer GetCurrentRecordRow() override;
    // A record row's bookmark ('' for the placeholder and outside the rows).
    std::string GetRowBookmark(Integer row) override;
    Variant GetRowRecordId(Integer row) override;
    bool IsSequenced() override;
    bool SetWindowSize(Integer count) override;
    bool GotoBookmark(const std::string& bookmark) override;
    std::string GetCurrentBookmark() override;
    // Moves the window (not the dataset) by records; answers how far.
    Integer ScrollBy(Integer distance) override;
    // Moves the active row by distance rows, scrolling the window when it
    // would leave the rows (scrolled: how far); answers the rows moved.
    Integer MoveByRows(Integer distance, Integer& scrolled) override;
    bool GetEof() override { return eof_; }
    bool GetBof() override { return bof_; }
    void SetEof(bool value) { eof_ = value; }
    void SetBof(bool value) { bof_ = value; }
    bool GetNextBookmark(const std::string& bookmark, std::string& next) override;
    bool GetPriorBookmark(const std::string& bookmark, std::string& prior) override;
    bool GetFirstBookmark(std::string& bookmark) override;
    bool GetLastBookmark(std::string& bookmark) override;
    // The record after (before) a bookmark's record, or that record itself
    // at the end (start) of the data.
    void GetNextBookmarkOrSame(const std::string& bookmark, std::string& next);
    void GetPriorBookmarkOrSame(const std::string& bookmark, std::string& prior);
    // The record just before the window's first row (after its last row),
    // read at once; the row's own record at the start (end) of the data.
    TgrBkmPos PriorPositionClamped() override;
    TgrBkmPos NextPositionClamped() override;
    const std::string& GetActiveBookmark() const { return activeBookmark_; }
    void SetActiveBookmark(const std::string& bookmark) { activeBookmark_ = bookmark; }
    // A row's record number (sequence or physical); -1 without one.
    Integer GetRowRecNo(Integer row);

    // The record count is known (walked to the end, or asked).
    bool HasRecordCount() const { return recordCount_ >= 0; }
    // The numbering was anchored at the end since the last reset.
    bool EndReached() const { return endReached_; }
    // The numbers were guessed after a jump.
    bool Uncertain() const { return uncertain_; }
    // Closes and opens the cursor anew (the rows are read by First or
    // Resync).
    void Reopen();
    // Re-reads the window so that row's record stays in row 1 (reread:
    // the engine's cached records are dropped first).
    void Resync(Integer row, bool reread);
    // Takes the update-record kinds of the dataset's cursor over; with
    // reread the rows are read anew.
    void Refresh(bool reread);
    // Resizes the window by delta rows; rows that no longer fit leave at
    // the top.
    void ResizeWindowBy(Integer delta);
    // Scrolls so that the record numbered number is row 1.
    void ScrollToPosition(Integer number);
    // The last (first) row is known to be the last (first) record; probes
    // the cursor when it is not known yet.
    bool CheckEof();
    bool CheckBof();
    // The active row is the last row and the last record.
    bool IsAtEof();
    // Top and bottom relative numbers of the loaded rows.
    Integer Top() const { return top_; }
    Integer Bottom() const { return bottom_; }
    // Reads the window around a record outside it (the record on the
    // first row when possible); True when the record is shown.
    bool ShowRecord(const std::string& bookmark);

    // ------------------------------------------------ what the field
    // adapters read in this window (DBGridFieldsCursor.cpp)
    TgrEngineCursor* Cursor() const { return cursor_.get(); }
    // The record buffer of the active row, nullptr without one (and for
    // the placeholder of a new record).
    const TgrEngineRecord* CurrentRecordBuffer() const;
    // The lookup values of that record, one per lookup field at the
    // adapter's offset (Unassigned: no value); nullptr without a record.
    std::vector<Variant>* CurrentLookupArea();
    // A spare record buffer, blank in every field.
    TgrEngineRecord& ScratchRecord();
    // The active row shows the record the dataset stands on.
    bool ActiveIsDatasetRecord();
    // A failing status raises the grid's error with the engine's text.
    bool CheckStatus(int status);
    // The values of key fields of the current record through their
    // adapters: one value, or an array for names separated by ";"
    // (Unassigned for a single name no adapter has).
    Variant GetKeyValues(const std::string& keyFields);

    // ------------------------------------------------ records outside the
    // window, new records, repositioning, searches and change detection
    // (DBGridCursorEdit.cpp)
    // A column's value of a bookmark's record ('' asks with no active
    // record), read into the single slot; dataRow names the record.
    Variant GetCellValue(Integer dataCol, const std::string& bookmark);
    Variant GetCellValueAndDataRow(Integer dataCol, const std::string& bookmark, Variant& dataRow);
    // The record id of a bookmark's record (a row's when rowHint > 0):
    // Null for the empty bookmark, Unassigned when it cannot be read.
    Variant GetRecordId(const std::string& bookmark, Integer rowHint);
    // Reads the window anew around a bookmark, keeping it at the active row.
    bool SetTopBookmark(const std::string& bookmark) override;
    // Reads the window around bookmark with its record in row r (fromTop)
    // or where the rows from r show it; moved tells whether the window
    // jumped.
    void RepositionTo(const std::string& bookmark, const std::string& oldRowBookmark, bool& moved, bool fromTop,
                      Integer r);
    // Whether bookmark's record lies between row r and the last row.
    bool IsBookmarkInRange(Integer r, const std::string& bookmark);
    // Renumbers the rows after a jump (sequence numbers, or a guess held
    // away from both ends).
    void SyncPositionsAfterJump(const std::string& oldBookmark, const std::string& newBookmark);

    // A new record pending in the dataset shows as a placeholder row with
    // an empty bookmark, inserted at the row of the record it goes before
    // (makeRoomAbove: the rows above move up in a full window) or after
    // the last record; newBookmark is ''.
    void BeginInsert(bool makeRoomAbove, const std::string& bookmark, std::string& newBookmark);
    void BeginAppend(std::string& newBookmark);
    // The new record was posted or cancelled: the placeholder goes, a
    // posted record is shown (bookmark: the dataset's record).
    void EndInsert(std::string& bookmark, bool cancelled, bool& moved, Integer r, bool resyncAfter);
    // An edited record was posted: it is read anew where it now stands.
    void EndEdit(std::string& bookmark, Integer r, bool& moved, bool& changed);
    bool Inserting() const { return inserting_; }
    // The record the placeholder follows ("" at the start of the data).
    const std::string& InsertionBookmark() const { return insertionBookmark_; }

    // The record a key search for text reaches (the first at or after the
    // key of the cursor's index); when the engine cannot search by key, the
    // best match of a scan from the start. A text the column's field cannot
    // hold finds nothing. The cursor goes back where it was.
    std::string LocateValue(const std::string& text, Integer dataCol, bool wholeText, const TgrValueMatch& startsWith,
                            bool& found) override;
    // Scans from start (the first record when empty) through stop for the
    // record whose cell text matches text longest; found tells whether one
    // did.
    std::string ScanForValue(const std::string& start, const std::string& stop, const std::string& text,
                             Integer dataCol, bool wholeText, const TgrValueMatch& startsWith,
                             bool& found) override;
    // Record scans walk the window's cursor, which goes back afterwards;
    // the dataset does not move (DBGridScan.cpp).
    bool ScanForward(std::string& bookmark, const std::string& end, bool& cancel, Integer& limit, Integer& count,
                     bool& reached, bool scanAll, Integer maxCount, std::vector<std::string>& list) override;
    bool ScanBackward(std::string& bookmark, const std::string& end, bool& cancel, Integer& limit, Integer& count,
                      bool& reached, bool scanAll, Integer maxCount, std::vector<std::string>& list) override;

    // The dataset's filter, master link (or its master's values) or the
    // kinds of updated records its cursor shows changed since Open.
    bool FilterChanged();
    bool MasterChanged();
    bool UpdateRecordTypesChanged();
    // The dataset cursor's bookmark ('' while closed).
    std::string GetDatasetBookmark();

private:
    struct Slot {
        TgrEngineRecord Values;
        std::string Bookmark;
        // 0: a record; 1: the placeholder of a pending new record.
        Byte Kind = 0;
        Variant RecordId;
        Integer RecNo = -1;
        std::vector<Variant> Lookups;
    };
    static constexpr Byte kRecordSlot = 0, kPlaceholderSlot = 1;
    enum TZone { zStart = 0, zRecord = 1, zEnd = 2 };

    bool Open();
    void Close();
    // Sizes the slot block to count slots and starts an empty window.
    void SetBufferCount(Integer count);
    void ResetCounters();
    void ResetRecordCount() { recordCount_ = -1, knownCount_ = 0; }
    void FreeBuffers();
    void ResizeSlots(Integer count);
    void ForceReread();
    // Gives every lookup adapter its place in the slots' lookup values.
    void LayoutLookupFields();
    void ResolveLookups();
    void FetchRecordId(Slot& slot);
    Slot* SlotOfRow(Integer row);
    // Reads the record a step (1 next, -1 prior, 0 current) reaches into
    // a row's slot, with its bookmark, lookups and id; answers the status.
    int ReadSlot(Integer row, int direction);
    // Reads consecutive records into slots from..to (by direction);
    // count answers how many.
    int FillSlots(Integer from, Integer to, Integer& count, int direction);
    // Moves rows [from, from + count) to start at row to (slot contents).
    void MoveSlots(Integer from, Integer to, Integer count);
    void MakePlaceholder(Integer row);
    // The single spare slot replaces the block (one row, active) for a
    // record read outside the window, and the block comes back.
    void BeginSingleSlot();
    // Runs a read of one record outside the window in a single slot; the
    // window's active row and record come back afterwards.
    Variant ReadInSingleSlot(const std::function<Variant()>& read);
    void EndSingleSlot();

    // ---- relative numbering
    void SetToBegin(bool keepRows);
    void SetToEnd(bool keepRows);
    void CountStep(int status, Integer delta);
    void UpdateCounts(int status);
    void NormalizePositions();
    void ShiftNumbers(Integer delta);
    void RecordAdded();
    void RecordRemoved();
    // While a new record is pending: the cursor (after a step that
    // answered status) stands after the record the placeholder follows.
    bool CursorAfterInsertion(int status);

    // ---- cursor movement
    int PositionCursorAt(Integer row);
    int MoveBy(Integer distance, Integer& moved);
    bool MoveBySeqNo(Integer distance, Integer& moved, int& status);
    // A step across the insertion point: a read makes row the placeholder
    // (MarkerStep), a bare move steps the cursor back onto the placeholder's
    // place (MarkerAdjust).
    bool MarkerStep(bool previousAfter, bool currentAfter, int direction, Integer row);
    bool MarkerAdjust(int& status, bool previousAfter, bool wasAtPlaceholder, int direction, bool currentAfter);
    Integer ScrollDown(Integer count);
    Integer ScrollUp(Integer count);

    // ---- repositioning
    bool PrepareReposition(const std::string& bookmark, Integer r, int& status, bool& changed, bool& jumped,
                           bool fromTop);
    bool Reposition(const std::string& bookmark, Integer r, bool fromTop, bool& jumped);

    // ---- change detection
    TDataSource* GetMasterSource();
    std::string GetMasterFields();
    Variant GetMasterValues();
    Byte GetUpdateRecordTypes();

    // ScanForward and ScanBackward over the window's cursor.
    bool ScanCursor(bool forward, std::string& bookmark, const std::string& end, bool& cancel, Integer& limit,
                    Integer& count, bool& reached, bool scanAll, Integer maxCount, std::vector<std::string>& list);
    // A column's text of the active row's record.
    std::string ActiveCellText(Integer dataCol);
    // Runs look with the cursor's bookmark saved and restored (also when
    // an exception passes).
    template <class F>
    auto KeepingCursor(F look) {
        std::string back = cursor_->GetBookmark();
        bool atStart = back.empty() && zone_ == zStart;
        auto restore = [&] {
            if (!back.empty()) cursor_->GotoBookmark(back);
            else if (atStart) cursor_->SetToBegin();
            else cursor_->SetToEnd();
        };
        try {
            if constexpr (std::is_void_v<decltype(look())>) {
                look();
                restore();
            } else {
                auto result = look();
                restore();
                return result;
            }
        } catch (...) {
            restore();
            throw;
        }
    }

    std::unique_ptr<TgrEngineCursor> cursor_;
    TgrSequenceKind sequenceKind_ = skNone;
    bool active_ = false;
    std::vector<Slot> slots_;
    // The blocks put aside while the single slot is in use.
    struct TSavedBlock {
        std::vector<Slot> Slots;
        Integer Size, Top, Bottom;
    };
    std::vector<TSavedBlock> singleStack_;
    Slot scratchSlot_;
    Integer size_ = 0;
    Integer top_ = 1, bottom_ = 0;
    Integer cursorNo_ = 0;
    TZone zone_ = zStart;
    Integer recordCount_ = -1, knownCount_ = 0;
    Integer counter_ = 0;
    bool fromEnd_ = false;
    Integer activeRow_ = -1;
    std::string activeBookmark_;
    bool bof_ = false, eof_ = false;
    bool endReached_ = false;
    bool uncertain_ = false;
    std::string insertionBookmark_;
    bool inserting_ = false, atPlaceholder_ = false;
    Integer countLock_ = 0;
    Integer lookupCount_ = 0;
    // Remembered at Open for change detection.
    std::string filter_;
    bool filtered_ = false;
    TFilterOptions filterOptions_ = 0;
    TDataSource* masterSource_ = nullptr;
    std::string masterFields_;
    Variant masterValues_;
    Byte updateRecordTypes_ = 0;
};

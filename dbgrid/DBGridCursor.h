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
};

// A dataset that can clone its engine cursor.
class TgrCursorDataSet {
public:
    virtual ~TgrCursorDataSet() = default;
    virtual std::unique_ptr<TgrEngineCursor> CloneCursor() = 0;
};

class TgrScrollDataset : public TgrGridData {
public:
    explicit TgrScrollDataset(TgrCustomDBGrid* grid) : TgrGridData(grid) {}

    void ActiveChanged(bool active) override;
    Integer GetRowCount() override { return active_ && bottom_ >= top_ ? bottom_ - top_ + 1 : 0; }
    bool IsActive() override { return active_; }
    void First() override;
    void Last() override;
    void SetActiveRow(Integer row) override;
    Integer GetActiveRow() override { return active_ && activeRow_ > 0 ? activeRow_ : -1; }
    Integer GetRecNo() override;
    // The known count, or the known count plus a tenth of it (at least a
    // window) while the end has not been seen.
    Integer GetRecordCount() override;
    // The dataset's own count (0 while closed), asked when refresh or
    // while the count is not known; it is the count from then on.
    Integer GetTotalRecordCount(bool refresh) override;
    // The record count is known (walked to the end, or asked).
    bool HasRecordCount() const { return recordCount_ >= 0; }
    // Clones the cursor anew (Close, then Open) and reads the first
    // records.
    void Reopen();
    Integer GetCurrentRecordRow() override;
    std::string GetRowBookmark(Integer row) override;
    bool IsSequenced() override { return false; }
    bool SetWindowSize(Integer count) override;
    bool GotoBookmark(const std::string& bookmark) override;
    std::string GetCurrentBookmark() override;
    // Moves the window (not the dataset) by rows; answers how far it moved.
    Integer ScrollBy(Integer distance) override;
    // Moves the active row by distance rows, scrolling the window when it
    // would leave the rows (scrolled: how far); answers the rows moved.
    Integer MoveActiveRowBy(Integer distance, Integer& scrolled);
    bool GetEof() override { return eof_; }
    bool GetBof() override { return bof_; }

    // ---- what the field adapters read in this window
    // (DBGridFieldsCursor.cpp)
    TgrEngineCursor* Cursor() const { return cursor_.get(); }
    // The record buffer of the active row, or of the record a search or
    // scan reads meanwhile; nullptr without one (and for the placeholder of
    // a new record).
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
    // Runs read with the record of a bookmark outside the window current
    // for the adapters (a record id is read with it); the cursor and the
    // active row come back afterwards, also after an error. False when the
    // cursor cannot reach the record.
    bool ReadOutsideRecord(const std::string& bookmark, const std::function<void()>& read);
    // The values of key fields of the current record through their
    // adapters: one value, or an array for names separated by ";"
    // (Unassigned for a single name no adapter has).
    Variant GetKeyValues(const std::string& keyFields);

    // Top and bottom relative numbers of the loaded rows.
    Integer Top() const { return top_; }
    Integer Bottom() const { return bottom_; }
    // Fills the window from a record (it becomes row 1 when possible).
    bool ShowRecord(const std::string& bookmark);

    // A new record pending in the dataset shows as a placeholder row with
    // an empty bookmark: inserted at the row of the record it goes before,
    // or appended after the last record. Ending the insert removes it; a
    // posted record is then shown where the dataset puts it.
    void BeginInsert(const std::string& beforeBookmark);
    void BeginAppend();
    void EndInsert();
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
    // the dataset does not move.
    bool ScanForward(std::string& bookmark, const std::string& end, bool& cancel, Integer& limit, Integer& count,
                     bool& reached, bool scanAll, Integer maxCount, std::vector<std::string>& list) override;
    bool ScanBackward(std::string& bookmark, const std::string& end, bool& cancel, Integer& limit, Integer& count,
                      bool& reached, bool scanAll, Integer maxCount, std::vector<std::string>& list) override;

private:
    // ScanForward and ScanBackward over the window's cursor.
    bool ScanCursor(bool forward, std::string& bookmark, const std::string& end, bool& cancel, Integer& limit,
                    Integer& count, bool& reached, bool scanAll, Integer maxCount, std::vector<std::string>& list);
    struct Slot {
        std::string Bookmark;
        TgrEngineRecord Values;
        std::vector<Variant> Lookups;
    };
    // Reads the record a step (1 next, -1 prior, 0 current) reaches into a
    // slot, with its bookmark and its lookup values; answers the status.
    int ReadSlot(Slot& slot, int direction);
    // Gives every lookup adapter its place in the slots' lookup values.
    void LayoutLookupFields();
    void ResolveLookups(Slot& slot);
    bool Open();
    void Close();
    // A column's text of a record read into a slot (through the grid's
    // field adapter of the column).
    std::string CellText(Slot& slot, Integer dataCol);
    // Reads up to count records forward from the cursor's position.
    void FillForward(Integer firstNumber);
    void NoteCount(Integer atLeast);

    std::unique_ptr<TgrEngineCursor> cursor_;
    std::vector<Slot> slots_;
    Integer size_ = 1;
    bool active_ = false;
    Integer top_ = 1, bottom_ = 0;
    Integer activeRow_ = -1;
    std::string activeBookmark_;
    Integer recordCount_ = -1, knownCount_ = 0;
    bool bof_ = false, eof_ = false;
    bool inserting_ = false;
    std::string insertionBookmark_;
    // The record a search or scan reads, shown to the adapters meanwhile.
    Slot* scanSlot_ = nullptr;
    TgrEngineRecord scratch_;
    Integer lookupCount_ = 0;
};

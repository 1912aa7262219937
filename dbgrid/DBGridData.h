#pragma once
// The record window of the data-aware grid: the grid's data rows 1..Rows
// show a short run of consecutive records of the dataset. The window answers
// which record a row shows, which row shows a record, and moves the dataset;
// it caches bookmarks per row, never record data.
//
// TgrStandardDataset serves the window through the data link's record
// buffer (every grid of the program uses it). TgrScrollDataset serves it
// through an engine cursor of its own (DBGridCursor.h).
//
// A record is named by its DataRow: the dataset bookmark as a string
// Variant ("" is the empty bookmark), or the record id while the grid uses
// record ids; Null stands for no record.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Variant.h"
#include "platform/data/DataSource.h"

class TgrCustomDBGrid;
class TgrFieldLayout;
class TDataSet;

enum TgrBookmarkType { bmtDefault, bmtNonOrdered };
enum TgrBookmarkCompareType { bctDefault, bctAsString };

// Variants naming "the empty bookmark" and "no record".
const Variant& EmptyDataRow();
const Variant& NullDataRow();

// -1, 0 or 1. With bctAsString byte order; otherwise equal strings are
// equal, the empty bookmark comes first, and the dataset orders the rest.
int CompareBookmarkStrings(TDataSet* dataSet, const std::string& a, const std::string& b,
                           TgrBookmarkCompareType compareType);

// A record position: a reference record and where relative to it.
enum TgrBkmPosKind : Byte { bpBeforeFirst, bpPrior, bpAt, bpNext, bpAfterLast };
struct TgrBkmPos {
    std::string Bookmark;
    TgrBkmPosKind Kind = bpBeforeFirst;
    bool operator==(const TgrBkmPos&) const = default;
};
inline TgrBkmPos MakeAtPosition(const std::string& bookmark) { return {bookmark, bpAt}; }
inline TgrBkmPos MakeBeforeFirstPosition() { return {std::string(), bpBeforeFirst}; }
inline TgrBkmPos MakeAfterLastPosition() { return {std::string(), bpAfterLast}; }

// A saved window position.
struct TgrDatasetPosition {
    std::string TopRowId;
    Integer ActiveRow = 0;
};

// The data link of a grid: forwards every notification to the grid.
class TgrGridDataLink : public TDataLink {
public:
    explicit TgrGridDataLink(TgrCustomDBGrid* grid) : grid_(grid) {}
    TgrCustomDBGrid* Grid() const { return grid_; }
    bool InUpdate() const { return inUpdate_; }
    // First record of the window as an index into the dataset's buffers.
    int WindowFirstRecord() const { return FirstRecord(); }

    // ---- the fields the grid shows, in column order: each entry is a
    // dataset field's index, -1 for a name the dataset lacks.
    // Adds a field; without one it is found by name: tolerant lookup maps
    // a missing field to -1, strict lookup raises the dataset's error.
    // Refused silently past 268,435,455 entries.
    void AddField(const std::string& fieldName, TField* field);
    void ClearFieldMap() { fieldMap_.clear(); }
    Integer FieldMapCount() const { return Integer(fieldMap_.size()); }
    // The field of entry index (from 0); nullptr outside the map or for -1.
    TField* GetMappedField(Integer index) const;
    bool TolerantLookup() const { return tolerantLookup_; }
    void SetTolerantLookup(bool value) { tolerantLookup_ = value; }

protected:
    void ActiveChanged() override;
    void CheckBrowseMode() override;
    void DataSetChanged() override;
    void DataSetScrolled(int distance) override;
    void EditingChanged() override;
    void LayoutChanged() override;
    void RecordChanged(TField* field) override;
    void UpdateData() override;

private:
    TgrCustomDBGrid* grid_;
    std::vector<Integer> fieldMap_;
    bool inUpdate_ = false;
    bool tolerantLookup_ = false;
};

// Whether a cell's text starts with a searched text, under the comparison
// of the caller (a combo's CompareType).
using TgrValueMatch = std::function<bool(const std::string& value, const std::string& text)>;

// The window interface. Rows are window rows 1..GetRowCount().
class TgrGridData {
public:
    explicit TgrGridData(TgrCustomDBGrid* grid);
    virtual ~TgrGridData();
    TgrGridData(const TgrGridData&) = delete;
    TgrGridData& operator=(const TgrGridData&) = delete;

    TgrCustomDBGrid* Grid() const { return grid_; }
    TDataSet* DataSet() const { return dataSet_; }

    virtual void ActiveChanged(bool active) = 0;
    // Forgets what the window remembered of its dataset (its index).
    virtual void Reset() { indexName_.clear(), indexFieldNames_.clear(); }
    virtual Integer GetRowCount() = 0;
    virtual bool IsActive() = 0;
    virtual void First() = 0;
    virtual void Last() = 0;
    virtual void SetActiveRow(Integer row) = 0;
    virtual Integer GetActiveRow() = 0;
    virtual Integer GetRecNo() = 0;
    virtual Integer GetRecordCount() = 0;
    // The exact number of records, asked of the dataset: the standard
    // window always asks; the engine-cursor window asks when refresh or
    // while it does not know the count yet, and keeps the answer.
    virtual Integer GetTotalRecordCount(bool refresh) = 0;
    // Row of the dataset's current record; 0 when it is not in the window.
    virtual Integer GetCurrentRecordRow() = 0;
    virtual std::string GetRowBookmark(Integer row) = 0;
    virtual bool IsSequenced() = 0;
    // Sizes the window to count rows; True when the buffer grew.
    virtual bool SetWindowSize(Integer count) = 0;
    virtual bool GotoBookmark(const std::string& bookmark) = 0;
    virtual std::string GetCurrentBookmark() = 0;
    virtual Integer ScrollBy(Integer distance) = 0;
    virtual bool GetEof() = 0;
    virtual bool GetBof() = 0;
    virtual void ClearCaches() {}
    virtual void ShiftCaches(Integer distance) {}

    // The record after (before) a bookmark's record: a row of the window
    // when the record is shown there, else a step of the dataset, which
    // then goes back. False at the end (beginning) of the data, or when the
    // bookmark names no record.
    virtual bool GetNextBookmark(const std::string& bookmark, std::string& next) = 0;
    virtual bool GetPriorBookmark(const std::string& bookmark, std::string& prior) = 0;
    // The bookmarks of the dataset's first and last record (False for an
    // empty dataset); the dataset goes back to its record.
    virtual bool GetFirstBookmark(std::string& bookmark);
    virtual bool GetLastBookmark(std::string& bookmark);
    // Scans from start (the first record when empty) to the end, or through
    // stop, for the record whose cell text of dataCol matches text over the
    // longest length (the first of equals); a match over the whole text
    // ends the scan. wholeText asks the whole text to match. An empty text
    // answers start. Found tells whether a record matched; any error finds
    // nothing. The dataset goes back to its record.
    virtual std::string ScanForValue(const std::string& start, const std::string& stop, const std::string& text,
                                     Integer dataCol, bool wholeText, const TgrValueMatch& match, bool& found);
    // The record a search for text reaches; the standard window scans the
    // whole data.
    virtual std::string LocateValue(const std::string& text, Integer dataCol, bool wholeText,
                                    const TgrValueMatch& match, bool& found) {
        return ScanForValue(std::string(), std::string(), text, dataCol, wholeText, match, found);
    }

    // Record number of row 1 (active row restored, also on failure).
    Integer GetTopRecNo();
    // The DataRow of a row: its record id while the grid uses record ids,
    // else its bookmark text.
    Variant GetRowDataRow(Integer row);
    // The record id of a row through the grid's OnGetRecordID, the row
    // active meanwhile; Unassigned outside 1..RowCount.
    virtual Variant GetRowRecordId(Integer row);
    // The first row whose record id compares equal to id, else 0.
    Integer FindRecordIdRow(const Variant& id);
    // Row of a bookmark: 0 before the window (or, with non-ordered
    // bookmarks, not found), RowCount + 1 after it.
    Integer FindBookmarkRow(const std::string& bookmark);
    // Row of a bookmark inside the window, else 0.
    Integer GetBookmarkRow(const std::string& bookmark);
    Integer GetPositionRow(const TgrBkmPos& pos);
    int CompareBookmarks(const std::string& a, const std::string& b);
    // Moves the dataset by distance records; scroll answers how far the
    // window had to scroll (negative backwards).
    virtual Integer MoveByRows(Integer distance, Integer& scroll);
    // Scrolls so that the bookmark's record is row 1.
    virtual bool SetTopBookmark(const std::string& bookmark);
    TgrDatasetPosition SavePosition();
    bool PositionChanged(const TgrDatasetPosition& saved);
    void RestorePosition(const TgrDatasetPosition& saved);

    // The dataset's controls are disabled at most once per outermost lock
    // section, the first time an operation inside it moves the dataset.
    void LockControls(bool lock);
    void DisableControlsOnce();
    bool IsControlsLocked() const { return lockDepth_ > 0; }

    // ------------------------------------------------ record scans
    // Walks forward from bookmark's record (from the first record when it
    // is empty) and lists the bookmarks met, for a selection of records.
    // Every record taken is a scan step of the grid (ScanStep: count and
    // limit, the highest count reported); the walk stops when cancel is
    // set and count has reached limit, after maxCount records (0: no
    // limit), or when reached: end's record was met (ordered bookmarks:
    // a record at or past end; the list takes only records not past
    // it). An empty end is reached at the end of the data. bookmark comes
    // back as the last record read. Answers whether the data ended. The
    // dataset's controls are disabled once per lock section (LockControls).
    virtual bool ScanForward(std::string& bookmark, const std::string& end, bool& cancel, Integer& limit,
                             Integer& count, bool& reached, bool scanAll, Integer maxCount,
                             std::vector<std::string>& list);
    // The same walk backward from bookmark's record; answers whether the
    // data began.
    virtual bool ScanBackward(std::string& bookmark, const std::string& end, bool& cancel, Integer& limit,
                              Integer& count, bool& reached, bool scanAll, Integer maxCount,
                              std::vector<std::string>& list);

    // ------------------------------------------------ index
    // The dataset's index (name, or the field names it was chosen by) as
    // it was when last remembered; a new index puts the records in
    // another order, so what the grid knew of its rows no longer holds.
    const std::string& GetIndexName() const { return indexName_; }
    const std::string& GetIndexFieldNames() const { return indexFieldNames_; }
    void RememberIndex();
    // The dataset orders its records by another index than the one
    // remembered (False while inactive).
    bool IndexChanged();

    // ------------------------------------------------ field layouts
    // The layout of every field of the dataset as it was last seen, so a
    // change of a field's name, label, width, read-only state or
    // visibility is noticed when the dataset reports its layout changed.
    void ClearFieldLayouts();
    // One layout per field, taken from the fields (none without a
    // dataset); on an error no layout is kept.
    void BuildFieldLayouts();
    // A field was added or removed, or one differs from its layout.
    bool FieldLayoutsChanged();
    // A field's name differs from its layout's (same positions).
    bool FieldNamesChanged();
    Integer FieldLayoutCount() const { return Integer(fieldLayouts_.size()); }

    // ------------------------------------------------ record positions
    // (DBGridPositions.cpp) Prior and next positions are lazy: they name a
    // neighbour without fetching it; the dataset is asked only when the
    // kinds and bookmarks alone cannot decide, and it comes back to its
    // record afterwards.

    // -1, 0 or 1 from the kinds and one bookmark comparison alone; final
    // tells whether resolving the neighbours could change the answer.
    int ComparePositionsQuick(const TgrBkmPos& a, const TgrBkmPos& b, bool& final);
    // -1, 0 or 1, resolving prior and next positions where needed.
    int ComparePositions(const TgrBkmPos& a, const TgrBkmPos& b);
    bool PositionGreaterOrEqual(const TgrBkmPos& a, const TgrBkmPos& b);
    bool PositionLessOrEqual(const TgrBkmPos& a, const TgrBkmPos& b);
    bool PositionGreater(const TgrBkmPos& a, const TgrBkmPos& b) { return !PositionLessOrEqual(a, b); }
    bool PositionLess(const TgrBkmPos& a, const TgrBkmPos& b) { return !PositionGreaterOrEqual(a, b); }
    // The bookmark of a position's record; False for the markers and for a
    // neighbour that does not exist.
    bool ResolvePosition(const TgrBkmPos& pos, std::string& bookmark);
    // A prior (next) position as the at-position of its record, or before
    // the first (after the last) record when there is none.
    TgrBkmPos NormalizePosition(const TgrBkmPos& pos);
    // The position one record earlier (later). Before the first and after
    // the last record stay where they are.
    virtual TgrBkmPos PositionBefore(const TgrBkmPos& pos);
    virtual TgrBkmPos PositionAfter(const TgrBkmPos& pos);
    // Where the data begins and ends: the markers for the standard window
    // (records added later lie between them), the first and the last
    // record for the engine-cursor window.
    TgrBkmPos GetFirstPosition();
    TgrBkmPos GetLastPosition();
    // The position just before the window's first record (after its last
    // one); the record itself when no record lies before (after) it, and
    // the markers for an empty window (DBGridDragSelect.cpp).
    TgrBkmPos PriorPositionClamped();
    TgrBkmPos NextPositionClamped();

protected:
    // Positions the dataset at a bookmark; on failure the dataset is
    // resynchronised and False answered, or, with raise, the error passes.
    bool GotoBookmarkStr(const std::string& bookmark, bool raise);
    // ScanForward and ScanBackward over the dataset.
    bool ScanDataSet(bool forward, std::string& bookmark, const std::string& end, bool& cancel, Integer& limit,
                     Integer& count, bool& reached, bool scanAll, Integer maxCount, std::vector<std::string>& list);

    TgrCustomDBGrid* grid_;
    TDataSet* dataSet_ = nullptr;
    Integer lockDepth_ = 0;
    bool controlsDisabled_ = false;
    std::vector<std::unique_ptr<TgrFieldLayout>> fieldLayouts_;
    std::string indexName_, indexFieldNames_;
};

// The window over the data link's record buffer.
class TgrStandardDataset : public TgrGridData {
public:
    explicit TgrStandardDataset(TgrCustomDBGrid* grid) : TgrGridData(grid) {}

    void ActiveChanged(bool active) override;
    Integer GetRowCount() override;
    bool IsActive() override;
    void First() override;
    void Last() override;
    void SetActiveRow(Integer row) override;
    Integer GetActiveRow() override;
    Integer GetRecNo() override;
    Integer GetRecordCount() override;
    Integer GetTotalRecordCount(bool) override { return GetRecordCount(); }
    Integer GetCurrentRecordRow() override { return GetActiveRow(); }
    std::string GetRowBookmark(Integer row) override;
    bool IsSequenced() override;
    bool SetWindowSize(Integer count) override;
    bool GotoBookmark(const std::string& bookmark) override;
    std::string GetCurrentBookmark() override;
    Integer ScrollBy(Integer distance) override;
    bool GetEof() override;
    bool GetBof() override;
    void ClearCaches() override;
    bool GetNextBookmark(const std::string& bookmark, std::string& next) override;
    bool GetPriorBookmark(const std::string& bookmark, std::string& prior) override;
    // The link's first record moved by distance: cached rows move along.
    void ShiftCaches(Integer distance) override;
    Variant GetRowRecordId(Integer row) override;
    // The sorted search: the dataset's key search for text in the field of
    // dataCol (FindKey: the first record whose value starts with text,
    // ignoring case, the dataset left where it was), taken when that record
    // matches under the caller's comparison (ValueMatches); otherwise the
    // records are scanned for the longest matching prefix.
    std::string LocateValue(const std::string& text, Integer dataCol, bool wholeText, const TgrValueMatch& match,
                            bool& found) override;
    bool FindKey(const std::string& text, Integer dataCol, const TgrValueMatch& match, std::string& bookmark);
    // The dataset is a table kept in the order of an index, so its own key
    // search finds the first record of a sorted list.
    virtual bool IsTable();
    // The dataset's record matches text (all of it when wholeText, else over
    // the shorter of the two).
    bool ValueMatches(Integer dataCol, const std::string& text, bool wholeText, const TgrValueMatch& match);

private:
    TgrGridDataLink* Link() const;
    // The window row after (before) a bookmark's row, "" when there is none
    // in the window.
    std::string NextInWindow(const std::string& bookmark);
    std::string PriorInWindow(const std::string& bookmark);
    // The record after (before) a bookmark's record by a step of the
    // dataset, which goes back afterwards; "" when there is none.
    std::string NextByDataset(const std::string& bookmark);
    std::string PriorByDataset(const std::string& bookmark);
    // Both row caches take n entries: those within n are kept, new ones
    // are unknown.
    void SetCacheSize(Integer n);
    // Cached bookmarks and record ids per window row (index row - 1);
    // Unassigned = unknown.
    std::vector<Variant> bookmarks_;
    std::vector<Variant> recordIds_;
};

#pragma once
// The record selection of the data-aware grid.
//
// Rows on screen come and go as the record window scrolls, so selected
// records are named by bookmark. In range mode (rseBookmarkRange) the
// selection is an ordered list of disjoint ranges of record positions; any
// run of records costs one range, and records inserted into a run later are
// in it, because membership is decided by bookmark order. Ranges that touch
// (no record between them) are always joined. In set mode (rseBookmarkSet)
// it is an ordered set of single bookmarks, for bookmarks the dataset cannot
// order; runs of records reach it as lists from a record scan, applied all
// or nothing.
//
// While the grid uses record ids, records are selected by id instead
// (Ids()), in either mode.

#include <string>
#include <vector>

#include "dbgrid/DBGridData.h"
#include "dbgrid/DBGridRecordIds.h"
#include "grid/TSSetLib.h"
#include "platform/core/Variant.h"

class TgrCustomDBGrid;

enum TgrRecordSelection { rseBookmarkRange, rseBookmarkSet };

// One bookmark of a bookmark set. Its key comparison is the grid's string
// comparison of bookmarks (bctAsString), never the dataset's order: the
// dataset's order changes when it sorts anew or a record goes, and a tree
// searched by an order that changed under it loses its bookmarks.
class TgrBookmarkSetNode : public TgrStringSetNode {
public:
    using TgrStringSetNode::TgrStringSetNode;
    int Compare(TgrCustomSet* set, const void* key) const override;
};

// A set of bookmarks. The tree is keyed by the bookmark text, which never
// changes, so re-sorting the dataset cannot hide a bookmark from a search;
// the dataset's order is taken for ordered access (First, Last, Previous)
// through a snapshot made on first use after a change and at the start of
// every walk (First, Last). Previous keeps a cursor, so a walk backwards
// from Last costs one comparison a step.
class TgrBookmarkSet : public TgrStringSet {
public:
    explicit TgrBookmarkSet(TgrCustomDBGrid* grid) : grid_(grid) {}
    TgrCustomDBGrid* Grid() const { return grid_; }

    void Clear() override;
    // Takes only another bookmark set (anything else is ignored); this set
    // is empty when it is called.
    void CopyFrom(const TgrCustomSet& other) override;
    void Add(const std::string& bookmark);
    void Remove(const std::string& bookmark);
    bool Contains(const std::string& bookmark) { return Find(bookmark) != nullptr; }

    // The smallest (largest) bookmark as a string Variant, Unassigned when
    // the set is empty.
    Variant First();
    Variant Last();
    // The bookmark ordered just before dataRow (which need not be in the
    // set); Unassigned when there is none.
    Variant Previous(const Variant& dataRow);
    // Binary search of the snapshot between lo and hi (1-based): on a match
    // lo = hi = its index, else lo ends at the first entry after the key.
    void FindIndex(const std::string& bookmark, Integer& lo, Integer& hi);
    // The bookmarks in order.
    std::vector<std::string> Ordered();

protected:
    // Every node of the set, also of a copy, is a TgrBookmarkSetNode.
    TgrSetNode* NewNode(const void* key) override { return CreateNode(*static_cast<const std::string*>(key)); }
    TgrBookmarkSetNode* CreateNode(const std::string& bookmark) { return new TgrBookmarkSetNode(bookmark); }

private:
    const std::vector<std::string>& GetOrderedList();
    void InvalidateList();
    const std::string& Entry(Integer index);

    TgrCustomDBGrid* grid_;
    std::vector<std::string> list_;
    bool listValid_ = false;
    Integer cursor_ = 0;
};

// Keeps the grid's dataset position while records are compared or walked:
// saves it (and opens a controls lock section) when made, puts it back when
// it goes, also after an error.
class TgrDatasetKeeper {
public:
    explicit TgrDatasetKeeper(TgrCustomDBGrid* grid);
    ~TgrDatasetKeeper();
    TgrDatasetKeeper(const TgrDatasetKeeper&) = delete;
    TgrDatasetKeeper& operator=(const TgrDatasetKeeper&) = delete;

private:
    TgrCustomDBGrid* grid_;
    TgrDatasetPosition saved_;
};

// A run of records, both ends included.
struct TgrSelectedRange {
    TgrBkmPos Start;
    TgrBkmPos End;
    bool operator==(const TgrSelectedRange&) const = default;
};

// Bookmarks a record scan produced, in scan order (the scans append to it
// as to any list of strings).
class TgrSelectedList : public std::vector<std::string> {
public:
    TgrSelectedList() = default;
    TgrSelectedList(const TgrSelectedList&) = default;
    TgrSelectedList(TgrSelectedList&&) = default;
    TgrSelectedList& operator=(const TgrSelectedList&) = default;
    TgrSelectedList& operator=(TgrSelectedList&&) = default;
    // The bookmarks are dropped before the list goes.
    ~TgrSelectedList() { ClearStrings(); }

    Integer Count() const { return Integer(size()); }
    // By index from 0; GetString answers '' outside the list, PutString
    // ignores it.
    const std::string& GetString(Integer index) const;
    void PutString(Integer index, const std::string& bookmark);
    void AddString(const std::string& bookmark) { push_back(bookmark); }
    // Every entry becomes empty; the count stays.
    void ClearStrings();
};

class TgrDBSelection {
public:
    // idOrder orders the ids of the records selected by id.
    explicit TgrDBSelection(TgrCustomDBGrid* grid, const TgrDataRowCompare* idOrder = nullptr);
    TgrDBSelection(const TgrDBSelection&) = delete;
    TgrDBSelection& operator=(const TgrDBSelection&) = delete;

    TgrRecordSelection Mode() const { return rangeMode_ ? rseBookmarkRange : rseBookmarkSet; }
    // Switching the mode drops the selection.
    void SetRangeMode(bool value);
    void SetMode(TgrRecordSelection mode) { SetRangeMode(mode == rseBookmarkRange); }

    // Ranges or bookmarks are selected (ids are not counted).
    bool HasSelection() const { return count_ > 0 || set_.Count() > 0; }
    bool Empty() const { return !HasSelection() && ids_.Empty(); }
    void Clear();
    // After every change: the grid's status follows the selection.
    void Changed();
    // True when either selection had anything selected.
    bool Assign(const TgrDBSelection& source);

    // Selects (deselects, inverts) a run of positions; changed tells
    // whether anything changed. In set mode only a run of one record
    // can be applied this way. mergeMode: 0 joins the range before only,
    // 1 the range after only, 2 both.
    bool AddRange(const TgrBkmPos& start, const TgrBkmPos& end);
    bool RemoveRange(const TgrBkmPos& start, const TgrBkmPos& end);
    void ToggleRange(const TgrBkmPos& start, const TgrBkmPos& end, int mergeMode);
    bool SetRangeSelected(const TgrBkmPos& start, const TgrBkmPos& end, bool select);
    // From one record to another; a pair in descending order (with ordered
    // bookmarks) is ignored.
    void SetBookmarksSelected(const std::string& bookmark1, const std::string& bookmark2, bool select);
    void SetBookmarkSelected(const std::string& bookmark, bool select);
    void ToggleBookmarks(const std::string& bookmark1, const std::string& bookmark2);
    // Set mode: inverts the records of window rows from..to.
    void ToggleDataRows(Integer from, Integer to);
    // Set mode: a scan's bookmarks, all or nothing. Each bookmark is
    // reported through the grid's OnScanRecords (applied, counted from 1);
    // a handler that cancels, or an error, leaves the set as it was.
    // Answers whether the list was applied.
    bool AddBookmarkList(const TgrSelectedList& list, bool clearFirst, bool scanAll, bool& cancel);
    bool RemoveBookmarkList(const TgrSelectedList& list, bool scanAll, bool& cancel);

    bool IsSelected(const std::string& bookmark);
    // The first (last) selected record's bookmark, Unassigned when none.
    Variant FirstSelected();
    Variant LastSelected();
    // The selected record ordered just before dataRow, Unassigned when none:
    // with LastSelected a walk over every selected record, last to first.
    Variant PrevSelected(const Variant& dataRow);
    TgrBkmPos FirstSelectedPos();
    TgrBkmPos LastSelectedPos();
    // Every record selected: in set mode, and while ids are selected, the
    // mark of the last select-all (any removal clears it); in range mode
    // one range from at or before the first record to at or after the last.
    bool IsAllSelected();
    void SetAllSelected(bool value) { allSelected_ = value; }

    // Range mode: the ranges, 1-based.
    Integer RangeCount() const { return count_; }
    const TgrSelectedRange& Range(Integer index) const { return ranges_[std::size_t(index - 1)]; }
    // Slots allocated for ranges (RangeCount of them in use).
    Integer RangeCapacity() const { return Integer(ranges_.size()); }
    TgrBookmarkSet& BookmarkSet() { return set_; }
    // Whoever may change the ids makes the window's rows ask anew whether
    // their records are selected.
    TgrRecordIdSet& Ids();
    const TgrRecordIdSet& Ids() const { return ids_; }

private:
    TgrGridData& Window() const;
    TgrSelectedRange& R(Integer index) { return ranges_[std::size_t(index - 1)]; }
    Integer Count() const { return count_; }

    // ---- the range slots (1-based): count_ of them in use, grown four
    // spare slots at a time; slots move as blocks.
    // Slots from..to drop their bookmarks (the fresh slots of a new block
    // hold none: release makes no difference here).
    void FinalizeRanges(Integer from, Integer to, bool release);
    // This selection's slots become a copy of source's.
    void CopyRanges(const TgrDBSelection& source);
    void EnsureCapacity(Integer count);
    void SetCapacity(Integer capacity);
    // Moves count slots from from to to (the two may overlap); slots left
    // behind are emptied.
    void MoveRanges(Integer from, Integer to, Integer count);

    // Binary search of ranges lo..hi for pos: found, or the last range
    // probed (just before or after pos); 0 when hi < lo.
    void FindRange(Integer lo, Integer hi, const TgrBkmPos& pos, Integer& index, bool& found);
    // The first range not wholly before range.Start (count + 1 when none)
    // and the last not wholly after range.End (0 when none).
    void LocateRange(const TgrSelectedRange& range, Integer& first, Integer& last, bool& startFound,
                     bool& endFound);
    // Whether pos (stepped back / forward) touches the range before / after
    // index; index moves to the last range joined.
    bool MergeWithPrevious(TgrBkmPos& pos, Integer& index, bool adopt);
    bool MergeWithNext(TgrBkmPos& pos, Integer& index, bool adopt);
    void InsertRange(Integer index, const TgrSelectedRange& range, int mergeMode);
    // Ranges i..j become one range spanning them and range.
    void ReplaceRanges(Integer i, Integer j, const TgrSelectedRange& range);
    bool AddRangeMerged(const TgrSelectedRange& range);
    bool RemoveRangeCut(const TgrSelectedRange& range);
    // Whether a piece cut off a range holds a record at all.
    bool HoldsRecord(const TgrSelectedRange& range);
    void CutRange(Integer first, Integer last, const TgrSelectedRange& range);
    void ToggleRangeMerged(const TgrSelectedRange& range, int mergeMode);
    void ToggleWithin(const TgrSelectedRange& range, Integer first, Integer last);
    // One end of a toggled span against the ranges it reaches: the piece
    // outside the inverted part, whether it stays a range of its own, and
    // whether it joins the neighbouring range (at Index) instead.
    struct TgrTogglePiece {
        TgrSelectedRange Piece;
        bool Kept = false, Joins = false;
        Integer Index = 0;
    };
    TgrTogglePiece ToggleLeftEdge(const TgrSelectedRange& range, Integer first);
    TgrTogglePiece ToggleRightEdge(const TgrSelectedRange& range, Integer last);
    // Set mode: a run is applied only when both ends are one record.
    bool SingleBookmark(const TgrSelectedRange& range, std::string& bookmark);
    bool AddSingleBookmark(const TgrSelectedRange& range);
    bool RemoveSingleBookmark(const TgrSelectedRange& range);
    void ToggleSingleBookmark(const TgrSelectedRange& range);
    // Set mode: in goes out, out goes in.
    void ToggleBookmark(const std::string& bookmark);
    bool ApplyBookmarkList(const TgrSelectedList& list, bool select, bool clearFirst, bool scanAll, bool& cancel);
    Variant PrevSelectedInRanges(const Variant& dataRow);
    // The bookmark of a range end: the markers name the first and the last
    // record.
    Variant BookmarkOfEnd(const TgrBkmPos& pos);

    TgrCustomDBGrid* grid_;
    TgrBookmarkSet set_;
    std::vector<TgrSelectedRange> ranges_;
    Integer count_ = 0;
    bool rangeMode_ = true;
    bool allSelected_ = false;
    TgrRecordIdSet ids_;
};

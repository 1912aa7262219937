#include "dbgrid/DBGridSelection.h"

#include <algorithm>

#include "dbgrid/DBGrid.h"

// ------------------------------------------------------------ bookmark set

void TgrBookmarkSet::InvalidateList() {
    list_.clear();
    listValid_ = false;
}

void TgrBookmarkSet::Clear() {
    InvalidateList();
    cursor_ = 0;
    TgrStringSet::Clear();
}

void TgrBookmarkSet::CopyFrom(const TgrCustomSet& other) {
    if (!dynamic_cast<const TgrBookmarkSet*>(&other)) return;
    InvalidateList();
    cursor_ = 0;
    TgrStringSet::CopyFrom(other);
}

void TgrBookmarkSet::Add(const std::string& bookmark) {
    TgrStringSet::Add(bookmark);
    InvalidateList();
}

void TgrBookmarkSet::Remove(const std::string& bookmark) {
    TgrStringSet::Remove(bookmark);
    InvalidateList();
}

const std::vector<std::string>& TgrBookmarkSet::GetOrderedList() {
    if (listValid_) return list_;
    std::unique_ptr<TgrSetList> texts(CreateOrderedList());
    list_.clear();
    list_.reserve(std::size_t(texts->Count()));
    for (int i = 1; i <= texts->Count(); ++i) list_.push_back(*static_cast<const std::string*>(texts->GetItem(i)));
    // Text order first, then the dataset's; a grid without active data
    // (-2) keeps the text order.
    std::stable_sort(list_.begin(), list_.end(), [this](const std::string& a, const std::string& b) {
        return grid_->CompareBookmarks(a, b) == -1;
    });
    listValid_ = true;
    return list_;
}

const std::string& TgrBookmarkSet::Entry(Integer index) { return GetOrderedList()[std::size_t(index - 1)]; }

std::vector<std::string> TgrBookmarkSet::Ordered() { return GetOrderedList(); }

Variant TgrBookmarkSet::First() {
    InvalidateList();
    if (Count() == 0) return Variant();
    cursor_ = 1;
    return Variant(Entry(1));
}

Variant TgrBookmarkSet::Last() {
    InvalidateList();
    if (Count() == 0) return Variant();
    cursor_ = Count();
    return Variant(Entry(cursor_));
}

void TgrBookmarkSet::FindIndex(const std::string& bookmark, Integer& lo, Integer& hi) {
    while (hi >= lo) {
        Integer mid = (lo + hi) / 2;
        int c = grid_->CompareBookmarks(Entry(mid), bookmark);
        if (c > 0) hi = mid - 1;
        else if (c < 0) lo = mid + 1;
        else {
            lo = hi = mid;
            return;
        }
    }
}

Variant TgrBookmarkSet::Previous(const Variant& dataRow) {
    Integer count = Count();
    if (count == 0 || !dataRow.IsString()) return Variant();
    // A walk backwards passes its last answer back in: the cursor is on it.
    if (!(cursor_ >= 1 && cursor_ <= count && Variant(Entry(cursor_)) == dataRow)) {
        Integer lo = 1, hi = count;
        FindIndex(dataRow.AsString(), lo, hi);
        cursor_ = lo;
    }
    if (cursor_ > 1 && cursor_ <= count + 1) {
        --cursor_;
        return Variant(Entry(cursor_));
    }
    return Variant();
}

// ------------------------------------------------------------ selection

TgrDatasetKeeper::TgrDatasetKeeper(TgrCustomDBGrid* grid) : grid_(grid), saved_(grid->SaveDatasetPosition()) {}

TgrDatasetKeeper::~TgrDatasetKeeper() {
    try {
        grid_->RestoreDatasetPosition(saved_, true);
    } catch (...) {
        // The records moved under the grid; the window stays where it is.
    }
}

TgrDBSelection::TgrDBSelection(TgrCustomDBGrid* grid, const TgrDataRowCompare* idOrder)
    : grid_(grid), set_(grid), ids_(idOrder) {}

TgrGridData& TgrDBSelection::Window() const { return *grid_->RecordWindow(); }

namespace {

// Every changing operation ends with Changed, also when it fails.
struct TChangedOnExit {
    TgrDBSelection& selection;
    ~TChangedOnExit() { selection.Changed(); }
};

}  // namespace

void TgrDBSelection::Changed() {
    if (HasSelection() || !ids_.Empty()) grid_->SetGridStatus(gsRowsSelected);
    else if (grid_->GridStatus() == gsRowsSelected) grid_->SetGridStatus(gsNormal);
}

void TgrDBSelection::Clear() {
    TChangedOnExit changed{*this};
    if (!Empty()) grid_->MarkSelectChanged(0);
    set_.Clear();
    ranges_.clear();
    ids_.Clear();
    allSelected_ = false;
}

void TgrDBSelection::SetRangeMode(bool value) {
    if (value == rangeMode_) return;
    if (!Empty()) Clear();
    rangeMode_ = value;
}

bool TgrDBSelection::Assign(const TgrDBSelection& source) {
    bool result = !Empty() || !source.Empty();
    Clear();
    TChangedOnExit changed{*this};
    rangeMode_ = source.rangeMode_;
    allSelected_ = source.allSelected_;
    if (source.set_.Count() > 0) set_.CopyFrom(source.set_);
    ranges_ = source.ranges_;
    ids_ = source.ids_;
    return result;
}

// ------------------------------------------------------------ range search

void TgrDBSelection::FindRange(Integer lo, Integer hi, const TgrBkmPos& pos, Integer& index, bool& found) {
    found = false;
    index = 0;
    TgrGridData& w = Window();
    while (hi >= lo) {
        Integer mid = (lo + hi) / 2;
        if (w.PositionLess(pos, R(mid).Start)) {
            if (mid - 1 < lo) {
                index = mid;
                return;
            }
            hi = mid - 1;
        } else if (w.PositionGreater(pos, R(mid).End)) {
            if (mid + 1 > hi) {
                index = mid;
                return;
            }
            lo = mid + 1;
        } else {
            found = true;
            index = mid;
            return;
        }
    }
}

void TgrDBSelection::LocateRange(const TgrSelectedRange& range, Integer& first, Integer& last, bool& startFound,
                                 bool& endFound) {
    TgrGridData& w = Window();
    FindRange(1, Count(), range.Start, first, startFound);
    if (!startFound && first >= 1 && first <= Count() && w.PositionGreater(range.Start, R(first).End)) ++first;
    FindRange(1, Count(), range.End, last, endFound);
    if (!endFound && last >= 1 && last <= Count() && w.PositionLess(range.End, R(last).Start)) --last;
}

bool TgrDBSelection::MergeWithPrevious(TgrBkmPos& pos, Integer& index, bool adopt) {
    if (index <= 1 || index - 1 > Count()) return false;
    TgrGridData& w = Window();
    TgrBkmPos before = w.PositionBefore(pos);
    if (!w.PositionLessOrEqual(before, R(index - 1).End)) return false;
    if (adopt) pos = before;
    --index;
    // Ranges further down join while they reach the record before pos:
    // a range that only touches it must join as well, or two ranges with
    // no record between them would stay apart.
    while (index >= 2 && !w.PositionGreater(before, R(index - 1).End)) --index;
    return true;
}

bool TgrDBSelection::MergeWithNext(TgrBkmPos& pos, Integer& index, bool adopt) {
    if (index < 0 || index >= Count()) return false;
    TgrGridData& w = Window();
    TgrBkmPos after = w.PositionAfter(pos);
    if (!w.PositionGreaterOrEqual(after, R(index + 1).Start)) return false;
    if (adopt) pos = after;
    ++index;
    while (index + 1 <= Count() && !w.PositionLess(after, R(index + 1).Start)) ++index;
    return true;
}

// ------------------------------------------------------------ range changes

void TgrDBSelection::InsertRange(Integer index, const TgrSelectedRange& range, int mergeMode) {
    if (ranges_.empty()) {
        ranges_.push_back(range);
        return;
    }
    Integer lo = index, hi = index - 1;
    TgrBkmPos start = range.Start, end = range.End;
    if (mergeMode == 0 || mergeMode == 2) MergeWithPrevious(start, lo, false);
    if (mergeMode == 1 || mergeMode == 2) MergeWithNext(end, hi, false);
    if (hi >= lo) {
        ReplaceRanges(lo, hi, range);
        return;
    }
    index = std::clamp<Integer>(index, 1, Count() + 1);
    ranges_.insert(ranges_.begin() + (index - 1), range);
}

void TgrDBSelection::ReplaceRanges(Integer i, Integer j, const TgrSelectedRange& range) {
    TgrSelectedRange joined = range;
    if (i >= 1 && grid_->ComparePositions(range.Start, R(i).Start) != -1) joined.Start = R(i).Start;
    if (j >= 1 && j <= Count() && grid_->ComparePositions(range.End, R(j).End) != 1) joined.End = R(j).End;
    Integer slot = std::max<Integer>(i, 1);
    Integer stop = std::min(j, Count());
    // Slots slot..stop give way to the joined range.
    if (stop >= slot) ranges_.erase(ranges_.begin() + (slot - 1), ranges_.begin() + stop);
    ranges_.insert(ranges_.begin() + (slot - 1), joined);
}

bool TgrDBSelection::AddRangeMerged(const TgrSelectedRange& range) {
    TChangedOnExit changed{*this};
    Integer first = 0, last = 0;
    bool startFound = false, endFound = false;
    LocateRange(range, first, last, startFound, endFound);
    if (last < first) InsertRange(first, range, 2);
    else if (first == 0 && last == 0) InsertRange(1, range, 2);
    else if (first > Count() && last > Count()) InsertRange(Count() + 1, range, 2);
    else if (first < last) {
        TgrBkmPos start = range.Start, end = range.End;
        MergeWithPrevious(start, first, false);
        MergeWithNext(end, last, false);
        ReplaceRanges(first, last, range);
    } else if (startFound && endFound) {
        // Inside one range already.
        return false;
    } else {
        InsertRange(first, range, 2);
    }
    return true;
}

bool TgrDBSelection::RemoveRangeCut(const TgrSelectedRange& range) {
    Integer first = 0, last = 0;
    bool startFound = false, endFound = false;
    LocateRange(range, first, last, startFound, endFound);
    if (last < first || ranges_.empty() || (first > Count() && last > Count())) return false;
    CutRange(first, last, range);
    return true;
}

bool TgrDBSelection::HoldsRecord(const TgrSelectedRange& range) {
    // The markers and the neighbours of the end records are positions that
    // hold no record: a piece between such a position and the next record
    // is empty and is not kept.
    TgrGridData& w = Window();
    TgrBkmPos start = w.NormalizePosition(range.Start), end = w.NormalizePosition(range.End);
    if (start.Kind == bpAfterLast || end.Kind == bpBeforeFirst) return false;
    return !w.PositionGreater(start, end);
}

void TgrDBSelection::CutRange(Integer first, Integer last, const TgrSelectedRange& range) {
    TChangedOnExit changed{*this};
    TgrGridData& w = Window();
    bool hasLeft = first > 0 && grid_->ComparePositions(range.Start, R(first).Start) == 1;
    bool hasRight = last <= Count() && grid_->ComparePositions(range.End, R(last).End) == -1;
    TgrSelectedRange left, right;
    if (hasLeft) left = {R(first).Start, w.PositionBefore(range.Start)};
    if (hasRight) right = {w.PositionAfter(range.End), R(last).End};
    hasLeft = hasLeft && HoldsRecord(left);
    hasRight = hasRight && HoldsRecord(right);
    if (hasLeft && hasRight && first == last) {
        // The cut lies inside one range: it splits.
        TgrSelectedRange copy = R(first);
        ranges_.insert(ranges_.begin() + first, copy);
        last = first + 1;
    }
    if (hasLeft) R(first) = left;
    else --first;
    if (hasRight) R(last) = right;
    else ++last;
    // What lies between the kept pieces goes.
    if (last - 1 >= first + 1) ranges_.erase(ranges_.begin() + first, ranges_.begin() + (last - 1));
}

void TgrDBSelection::ToggleRangeMerged(const TgrSelectedRange& range, int mergeMode) {
    TChangedOnExit changed{*this};
    Integer first = 0, last = 0;
    bool startFound = false, endFound = false;
    LocateRange(range, first, last, startFound, endFound);
    if (last < first) InsertRange(first, range, mergeMode);
    else if (ranges_.empty()) InsertRange(1, range, mergeMode);
    else if (first > Count() && last > Count()) InsertRange(Count() + 1, range, mergeMode);
    else ToggleWithin(range, first, last);
    grid_->MarkSelectChanged(0);
}

TgrDBSelection::TgrTogglePiece TgrDBSelection::ToggleLeftEdge(const TgrSelectedRange& range, Integer first) {
    TgrGridData& w = Window();
    // A gap before range first becomes selected (joining the range before
    // when it touches it), or the part of range first before the span
    // stays.
    TgrTogglePiece left;
    left.Index = first;
    int c = grid_->ComparePositions(range.Start, R(first).Start);
    if (c == -1 && HoldsRecord({range.Start, w.PositionBefore(R(first).Start)})) {
        left.Piece = {range.Start, w.PositionBefore(R(first).Start)};
        TgrBkmPos start = range.Start;
        left.Joins = MergeWithPrevious(start, left.Index, true);
        left.Kept = !left.Joins;
    } else if (c == 1) {
        left.Piece = {R(first).Start, w.PositionBefore(range.Start)};
        left.Kept = HoldsRecord(left.Piece);
    }
    return left;
}

TgrDBSelection::TgrTogglePiece TgrDBSelection::ToggleRightEdge(const TgrSelectedRange& range, Integer last) {
    TgrGridData& w = Window();
    // The mirror image of the left edge.
    TgrTogglePiece right;
    right.Index = last;
    int c = grid_->ComparePositions(range.End, R(last).End);
    if (c == 1 && HoldsRecord({w.PositionAfter(R(last).End), range.End})) {
        right.Piece = {w.PositionAfter(R(last).End), range.End};
        TgrBkmPos end = range.End;
        right.Joins = MergeWithNext(end, right.Index, true);
        right.Kept = !right.Joins;
    } else if (c == -1) {
        right.Piece = {w.PositionAfter(range.End), R(last).End};
        right.Kept = HoldsRecord(right.Piece);
    }
    return right;
}

void TgrDBSelection::ToggleWithin(const TgrSelectedRange& range, Integer first, Integer last) {
    TgrGridData& w = Window();
    TgrTogglePiece leftEdge = ToggleLeftEdge(range, first);
    TgrTogglePiece rightEdge = ToggleRightEdge(range, last);
    const TgrSelectedRange& left = leftEdge.Piece;
    const TgrSelectedRange& right = rightEdge.Piece;
    bool leftKept = leftEdge.Kept, leftJoins = leftEdge.Joins, rightKept = rightEdge.Kept, rightJoins = rightEdge.Joins;
    Integer p = leftEdge.Index, q = rightEdge.Index;
    // The gaps between ranges first..last become the selected ranges.
    if (leftKept) {
        for (Integer k = last; k >= first + 1; --k)
            R(k) = {w.PositionAfter(R(k - 1).End), w.PositionBefore(R(k).Start)};
    } else {
        for (Integer k = first; k <= last - 1; ++k)
            R(k) = {w.PositionAfter(R(k).End), w.PositionBefore(R(k + 1).Start)};
    }
    if (leftKept && rightKept) {
        ranges_.insert(ranges_.begin() + last, TgrSelectedRange{});
        ++last;
    } else if (!leftKept && !rightKept) {
        ranges_.erase(ranges_.begin() + (last - 1));
        --last;
        --q;
    }
    if (leftKept) R(first) = left;
    if (rightKept) R(last) = right;
    // The higher join first, so the lower one's indexes still hold.
    if (rightJoins) ReplaceRanges(last + 1, q, right);
    if (leftJoins) ReplaceRanges(p, first - 1, left);
}

// ------------------------------------------------------------ set mode

bool TgrDBSelection::SingleBookmark(const TgrSelectedRange& range, std::string& bookmark) {
    std::string other;
    TgrGridData& w = Window();
    return w.ResolvePosition(range.Start, bookmark) && w.ResolvePosition(range.End, other) &&
           grid_->CompareBookmarks(bookmark, other) == 0;
}

bool TgrDBSelection::AddSingleBookmark(const TgrSelectedRange& range) {
    TChangedOnExit changed{*this};
    std::string bookmark;
    if (!SingleBookmark(range, bookmark)) return false;
    Integer before = set_.Count();
    set_.Add(bookmark);
    return set_.Count() != before;
}

bool TgrDBSelection::RemoveSingleBookmark(const TgrSelectedRange& range) {
    TChangedOnExit changed{*this};
    std::string bookmark;
    if (!SingleBookmark(range, bookmark)) return false;
    Integer before = set_.Count();
    set_.Remove(bookmark);
    if (set_.Count() == before) return false;
    allSelected_ = false;
    return true;
}

void TgrDBSelection::ToggleSingleBookmark(const TgrSelectedRange& range) {
    TChangedOnExit changed{*this};
    std::string bookmark;
    if (!SingleBookmark(range, bookmark)) return;
    ToggleBookmark(bookmark);
    grid_->MarkSelectChanged(0);
}

void TgrDBSelection::ToggleBookmark(const std::string& bookmark) {
    if (set_.Contains(bookmark)) {
        set_.Remove(bookmark);
        allSelected_ = false;
    } else {
        set_.Add(bookmark);
    }
}

void TgrDBSelection::ToggleDataRows(Integer from, Integer to) {
    TChangedOnExit changed{*this};
    from = std::max<Integer>(from, 1);
    to = std::min(to, Window().GetRowCount());
    if (to < from) return;
    for (Integer row = from; row <= to; ++row) ToggleBookmark(Window().GetRowBookmark(row));
    grid_->MarkSelectChanged(0);
}

bool TgrDBSelection::ApplyBookmarkList(const TgrSelectedList& list, bool select, bool clearFirst, bool scanAll,
                                       bool& cancel) {
    if (list.empty()) return false;
    TChangedOnExit changed{*this};
    // All or nothing: a cancel or an error puts the set back.
    TgrBookmarkSet backup(grid_);
    backup.CopyFrom(set_);
    bool backupAll = allSelected_;
    auto putBack = [&] {
        set_.Clear();
        set_.CopyFrom(backup);
        allSelected_ = backupAll;
    };
    try {
        if (clearFirst) Clear();
        Integer count = 0;
        for (const std::string& bookmark : list) {
            grid_->DoScanRecords(scanAll, scsApplied, ++count, cancel);
            if (cancel) break;
            if (select) set_.Add(bookmark);
            else set_.Remove(bookmark);
        }
        grid_->MarkSelectChanged(0);
    } catch (...) {
        cancel = true;
        putBack();
        throw;
    }
    if (cancel) {
        putBack();
        return false;
    }
    if (!select) allSelected_ = false;
    return true;
}

bool TgrDBSelection::AddBookmarkList(const TgrSelectedList& list, bool clearFirst, bool scanAll, bool& cancel) {
    return ApplyBookmarkList(list, true, clearFirst, scanAll, cancel);
}

bool TgrDBSelection::RemoveBookmarkList(const TgrSelectedList& list, bool scanAll, bool& cancel) {
    return ApplyBookmarkList(list, false, false, scanAll, cancel);
}

// ------------------------------------------------------------ dispatch

bool TgrDBSelection::AddRange(const TgrBkmPos& start, const TgrBkmPos& end) {
    return rangeMode_ ? AddRangeMerged({start, end}) : AddSingleBookmark({start, end});
}

bool TgrDBSelection::RemoveRange(const TgrBkmPos& start, const TgrBkmPos& end) {
    return rangeMode_ ? RemoveRangeCut({start, end}) : RemoveSingleBookmark({start, end});
}

void TgrDBSelection::ToggleRange(const TgrBkmPos& start, const TgrBkmPos& end, int mergeMode) {
    if (rangeMode_) ToggleRangeMerged({start, end}, mergeMode);
    else ToggleSingleBookmark({start, end});
}

bool TgrDBSelection::SetRangeSelected(const TgrBkmPos& start, const TgrBkmPos& end, bool select) {
    bool changed = select ? AddRange(start, end) : RemoveRange(start, end);
    if (changed) grid_->MarkSelectChanged(0);
    return changed;
}

namespace {

// A descending pair of ordered bookmarks names no run.
bool InOrder(TgrCustomDBGrid* grid, const std::string& a, const std::string& b) {
    return grid->BookmarkType() == bmtNonOrdered || grid->CompareBookmarks(a, b) != 1;
}

}  // namespace

void TgrDBSelection::SetBookmarksSelected(const std::string& bookmark1, const std::string& bookmark2, bool select) {
    if (InOrder(grid_, bookmark1, bookmark2))
        SetRangeSelected(MakeAtPosition(bookmark1), MakeAtPosition(bookmark2), select);
}

void TgrDBSelection::SetBookmarkSelected(const std::string& bookmark, bool select) {
    TgrDatasetKeeper keep(grid_);
    SetBookmarksSelected(bookmark, bookmark, select);
}

void TgrDBSelection::ToggleBookmarks(const std::string& bookmark1, const std::string& bookmark2) {
    if (InOrder(grid_, bookmark1, bookmark2)) ToggleRange(MakeAtPosition(bookmark1), MakeAtPosition(bookmark2), 2);
}

// ------------------------------------------------------------ queries

bool TgrDBSelection::IsSelected(const std::string& bookmark) {
    if (!HasSelection()) return false;
    TgrDatasetKeeper keep(grid_);
    if (!rangeMode_) return set_.Contains(bookmark);
    TgrBkmPos pos = MakeAtPosition(bookmark);
    Integer index = 0;
    bool found = false;
    FindRange(1, Count(), pos, index, found);
    if (found) return true;
    return index >= 1 && index <= Count() && grid_->ComparePositions(pos, R(index).Start) != -1 &&
           grid_->ComparePositions(pos, R(index).End) != 1;
}

Variant TgrDBSelection::BookmarkOfEnd(const TgrBkmPos& pos) {
    std::string bookmark;
    bool found = pos.Kind == bpBeforeFirst  ? Window().GetFirstBookmark(bookmark)
                 : pos.Kind == bpAfterLast ? Window().GetLastBookmark(bookmark)
                                           : Window().ResolvePosition(pos, bookmark);
    return found ? Variant(bookmark) : Variant();
}

Variant TgrDBSelection::FirstSelected() {
    if (!rangeMode_) return set_.First();
    if (ranges_.empty()) return Variant();
    TgrDatasetKeeper keep(grid_);
    return BookmarkOfEnd(R(1).Start);
}

Variant TgrDBSelection::LastSelected() {
    if (!rangeMode_) return set_.Last();
    if (ranges_.empty()) return Variant();
    TgrDatasetKeeper keep(grid_);
    return BookmarkOfEnd(R(Count()).End);
}

TgrBkmPos TgrDBSelection::FirstSelectedPos() {
    if (!grid_->DataBound() || !grid_->DataActive() || !HasSelection()) return MakeAtPosition(std::string());
    if (rangeMode_) return R(1).Start;
    Variant first = FirstSelected();
    return MakeAtPosition(first.IsString() ? first.AsString() : std::string());
}

TgrBkmPos TgrDBSelection::LastSelectedPos() {
    if (!grid_->DataBound() || !grid_->DataActive() || !HasSelection()) return MakeAtPosition(std::string());
    if (rangeMode_) return R(Count()).End;
    Variant last = LastSelected();
    return MakeAtPosition(last.IsString() ? last.AsString() : std::string());
}

Variant TgrDBSelection::PrevSelected(const Variant& dataRow) {
    if (!rangeMode_) return set_.Previous(dataRow);
    return PrevSelectedInRanges(dataRow);
}

Variant TgrDBSelection::PrevSelectedInRanges(const Variant& dataRow) {
    if (!dataRow.IsString() || ranges_.empty()) return Variant();
    TgrDatasetKeeper keep(grid_);
    TgrBkmPos pos = MakeAtPosition(dataRow.AsString());
    TgrBkmPos prev = MakeBeforeFirstPosition();
    Integer index = 0;
    bool found = false;
    FindRange(1, Count(), pos, index, found);
    if (found) {
        // The record before is in the same range, unless this one starts it.
        if (grid_->ComparePositions(pos, R(index).Start) == 1) prev = Window().PositionBefore(pos);
        else if (index > 1) prev = R(index - 1).End;
    } else if (index >= 1 && index <= Count()) {
        if (grid_->ComparePositions(pos, R(index).End) == 1) prev = R(index).End;
        else if (index > 1) prev = R(index - 1).End;
    }
    if (prev.Kind == bpBeforeFirst) return Variant();
    return BookmarkOfEnd(prev);
}

bool TgrDBSelection::IsAllSelected() {
    if (!rangeMode_ || !ids_.Empty()) return allSelected_;
    if (Count() != 1) return false;
    TgrDatasetKeeper keep(grid_);
    TgrGridData& w = Window();
    return !w.PositionLess(w.GetFirstPosition(), w.PositionBefore(R(1).Start)) &&
           !w.PositionGreater(w.GetLastPosition(), w.PositionAfter(R(1).End));
}

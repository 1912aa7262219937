// Record scans of the data-aware grid: a span of records that is not all
// on screen is turned into a list of bookmarks by walking the dataset (or
// the engine cursor of the cursor window), for a selection kept as a set of
// bookmarks. Every record walked is a scan step, reported through
// OnScanRecords, whose handler may cancel the scan.

#include <string>
#include <vector>

#include "dbgrid/DBGrid.h"
#include "dbgrid/DBGridCursor.h"
#include "platform/data/DBConsts.h"
#include "platform/data/DBError.h"
#include "platform/data/DataSet.h"

namespace {

// Records a pass of a two-way scan walks before the other direction takes
// its turn, while neither knows where the record sought lies.
constexpr Integer kScanPassRecords = 10;

// Whether a record met by a scan goes into its list, and whether it ends
// the scan: e is the record's bookmark compared with the end's (-1 for no
// end). Unordered bookmarks tell only equality; ordered ones also tell
// when the walk has passed the end.
void TakeScannedRecord(bool ordered, bool forward, int e, const std::string& bookmark,
                       std::vector<std::string>& list, bool& reached) {
    if (!ordered) {
        list.push_back(bookmark);
        reached = e == 0;
        return;
    }
    if (forward ? e <= 0 : e >= 0) list.push_back(bookmark);
    reached = forward ? e >= 0 : e <= 0;
}

}  // namespace

// ------------------------------------------------------------ standard window

bool TgrGridData::GotoBookmarkStr(const std::string& bookmark, bool raise) {
    if (!IsActive()) return false;
    try {
        if (!dataSet_->IsEmpty() && dataSet_->GetBookmark() == bookmark) return true;
        // Some datasets stay put silently on a bookmark they no longer hold.
        if (!dataSet_->BookmarkValid(bookmark)) DatabaseError(DBConsts::SRecordNotFound, dataSet_->Name());
        dataSet_->GotoBookmark(bookmark);
        return true;
    } catch (const std::exception&) {
        if (raise) throw;
        dataSet_->Resync({});
        return false;
    }
}

bool TgrGridData::ScanForward(std::string& bookmark, const std::string& end, bool& cancel, Integer& limit,
                              Integer& count, bool& reached, bool scanAll, Integer maxCount,
                              std::vector<std::string>& list) {
    reached = false;
    if (!IsActive()) {
        reached = end.empty();
        return true;
    }
    DisableControlsOnce();
    bool ordered = grid_->BookmarkType() == bmtDefault;
    // From a bookmark the walk starts after its record; a record gone since
    // leaves the dataset on a neighbour, which is taken when it follows.
    bool step = false;
    if (!bookmark.empty()) {
        step = GotoBookmarkStr(bookmark, false) ||
               (ordered && CompareBookmarks(bookmark, GetCurrentBookmark()) >= 0);
    } else {
        dataSet_->First();
    }
    std::string last = bookmark;
    for (Integer taken = 0; !dataSet_->Eof() && !reached && (maxCount == 0 || taken < maxCount);) {
        // The record is reached before its step is counted, so the count
        // is the number of records scanned, not one more at the end.
        if (step && dataSet_->MoveBy(1) == 0) break;
        grid_->ScanStep(scanAll, scsRecord, count, limit, cancel);
        if (cancel && count >= limit) break;
        ++taken;
        last = GetCurrentBookmark();
        TakeScannedRecord(ordered, true, end.empty() ? -1 : CompareBookmarks(last, end), last, list, reached);
        step = true;
    }
    bookmark = last;
    bool atEnd = dataSet_->Eof();
    if (atEnd && end.empty()) reached = true;
    return atEnd;
}

bool TgrGridData::ScanBackward(std::string& bookmark, const std::string& end, bool& cancel, Integer& limit,
                               Integer& count, bool& reached, bool scanAll, Integer maxCount,
                               std::vector<std::string>& list) {
    reached = false;
    // Nothing lies before the empty bookmark (a record not posted yet).
    if (!IsActive() || bookmark.empty()) return true;
    DisableControlsOnce();
    bool ordered = grid_->BookmarkType() == bmtDefault;
    // Unordered bookmarks cannot tell where a lost record stood: its
    // positioning error passes.
    bool step = GotoBookmarkStr(bookmark, !ordered) ||
                (ordered && CompareBookmarks(bookmark, GetCurrentBookmark()) <= 0);
    std::string last = bookmark;
    for (Integer taken = 0; !dataSet_->Bof() && !reached && (maxCount == 0 || taken < maxCount);) {
        if (step && dataSet_->MoveBy(-1) == 0) break;
        grid_->ScanStep(scanAll, scsRecord, count, limit, cancel);
        if (cancel && count >= limit) break;
        ++taken;
        last = GetCurrentBookmark();
        TakeScannedRecord(ordered, false, end.empty() ? -1 : CompareBookmarks(last, end), last, list, reached);
        step = true;
    }
    bookmark = last;
    return dataSet_->Bof();
}

// ------------------------------------------------------------ cursor window

// The cursor window walks its own cursor: the dataset does not move. The
// cursor goes back where it was afterwards, also after an error.
namespace {

class TCursorReturn {
public:
    explicit TCursorReturn(TgrEngineCursor* cursor) : cursor_(cursor), back_(cursor->GetBookmark()) {}
    ~TCursorReturn() {
        if (!back_.empty()) cursor_->GotoBookmark(back_);
    }
    TCursorReturn(const TCursorReturn&) = delete;
    TCursorReturn& operator=(const TCursorReturn&) = delete;

private:
    TgrEngineCursor* cursor_;
    std::string back_;
};

}  // namespace

bool TgrScrollDataset::ScanForward(std::string& bookmark, const std::string& end, bool& cancel, Integer& limit,
                                   Integer& count, bool& reached, bool scanAll, Integer maxCount,
                                   std::vector<std::string>& list) {
    reached = false;
    if (!active_) {
        reached = end.empty();
        return true;
    }
    TCursorReturn back(cursor_.get());
    int status = kEngineOk;
    if (bookmark.empty()) cursor_->SetToBegin();
    else status = cursor_->GotoBookmark(bookmark);
    std::string last = bookmark;
    for (Integer taken = 0; status == kEngineOk && !reached && (maxCount == 0 || taken < maxCount);) {
        status = cursor_->Next(nullptr);
        if (status != kEngineOk) break;
        grid_->ScanStep(scanAll, scsRecord, count, limit, cancel);
        if (cancel && count >= limit) break;
        ++taken;
        last = cursor_->GetBookmark();
        TakeScannedRecord(true, true, end.empty() ? -1 : CompareBookmarks(last, end), last, list, reached);
    }
    bookmark = last;
    if (status != kEngineOk && end.empty()) reached = true;
    return status != kEngineOk;
}

bool TgrScrollDataset::ScanBackward(std::string& bookmark, const std::string& end, bool& cancel, Integer& limit,
                                    Integer& count, bool& reached, bool scanAll, Integer maxCount,
                                    std::vector<std::string>& list) {
    reached = false;
    if (!active_ || bookmark.empty()) return true;
    TCursorReturn back(cursor_.get());
    int status = cursor_->GotoBookmark(bookmark);
    std::string last = bookmark;
    for (Integer taken = 0; status == kEngineOk && !reached && (maxCount == 0 || taken < maxCount);) {
        status = cursor_->Prior(nullptr);
        if (status != kEngineOk) break;
        grid_->ScanStep(scanAll, scsRecord, count, limit, cancel);
        if (cancel && count >= limit) break;
        ++taken;
        last = cursor_->GetBookmark();
        TakeScannedRecord(true, false, end.empty() ? -1 : CompareBookmarks(last, end), last, list, reached);
    }
    bookmark = last;
    return status != kEngineOk;
}

// ------------------------------------------------------------ the grid

void TgrCustomDBGrid::ScanStep(bool scanAll, TgrScanState state, Integer& count, Integer& reported, bool& cancel) {
    if (!cancel || count < reported) ++count;
    if (count > reported) {
        reported = count;
        FireScanRecords(scanAll, state, count, cancel);
    }
}

Integer TgrCustomDBGrid::ScanBookmarksBetween(const std::string& from, const std::string& to, Integer direction,
                                              bool scanAll, std::vector<std::string>& list, bool& cancel) {
    list.clear();
    if (!dataActive_) return 0;
    bool ordered = bookmarkType_ == bmtDefault;
    if (direction == 0 && ordered && !from.empty() && !to.empty()) direction = -CompareBookmarks(from, to);
    // Only a walk forward reaches the end of the data, which is where a
    // scan without a record sought ends.
    bool backward = direction <= 0 && !to.empty(), forward = direction >= 0;
    std::vector<std::string> before, after;
    Integer count = 0, reported = 0;
    if (!from.empty()) {
        // The first record belongs to whichever direction finds the other.
        if (backward) {
            ScanStep(scanAll, scsRecord, count, reported, cancel);
            before.push_back(from);
        }
        if (forward) {
            ScanStep(scanAll, scsRecord, count, reported, cancel);
            after.push_back(from);
        }
        if (cancel) return 0;
        if (!to.empty() && (from == to || CompareBookmarks(from, to) == 0)) {
            list.push_back(from);
            return 0;
        }
    }
    // Two directions take turns while neither knows where the record
    // sought lies; one direction alone walks on until it ends.
    bool bothGiven = direction == 0;
    std::string backAt = from, forwardAt = from;
    Integer result = 0;
    bool found = false;
    std::string saved = window_->GetCurrentBookmark();
    window_->LockControls(true);
    try {
        while (!found && (backward || forward)) {
            Integer pass = bothGiven && backward && forward ? kScanPassRecords : 0;
            bool reached = false;
            if (backward) {
                bool atStart = window_->ScanBackward(backAt, to, cancel, reported, count, reached, scanAll, pass, before);
                if (reached) {
                    found = true;
                    result = 1;
                } else if (atStart || cancel) {
                    backward = false;
                }
            }
            if (!found && forward) {
                bool atEnd = window_->ScanForward(forwardAt, to, cancel, reported, count, reached, scanAll, pass, after);
                if (reached) {
                    found = true;
                    result = -1;
                } else if (atEnd || cancel) {
                    forward = false;
                }
            }
        }
    } catch (...) {
        window_->GotoBookmark(saved);
        window_->LockControls(false);
        throw;
    }
    window_->GotoBookmark(saved);
    window_->LockControls(false);
    if (!found) return 0;
    cancel = false;
    list = std::move(result > 0 ? before : after);
    return result;
}

bool TgrCustomDBGrid::SelectScannedRecords(const std::string& lo, const std::string& hi, bool select, bool scanAll) {
    // A record not posted yet has no place to scan from or to.
    if (!scanAll && (lo.empty() || hi.empty())) return false;
    bool cancel = false;
    // However the scan ends, by an error too, the grid takes its cursors
    // back.
    struct EndScan {
        bool& scanning;
        ~EndScan() { scanning = false; }
    } endScan{scanning_};
    FireScanRecords(scanAll, scsStart, 0, cancel);
    if (cancel) return false;
    // A select-all walks from the first record to the end; a span finds
    // its other end in whichever direction it lies.
    std::vector<std::string> between;
    ScanBookmarksBetween(scanAll ? std::string() : lo, scanAll ? std::string() : hi, scanAll ? 1 : 0, scanAll,
                         between, cancel);
    bool applied = false;
    if (!cancel && !between.empty()) {
        Integer count = 0, reported = 0;
        auto step = [&](Integer) {
            bool stop = false;
            ScanStep(scanAll, scsApplied, count, reported, stop);
            return !stop;
        };
        // With record ids the run's ids are kept instead of its bookmarks.
        if (UsesRecordIds()) {
            std::vector<Variant> ids;
            for (const std::string& bookmark : between) ids.push_back(DataRowOfBookmark(bookmark));
            applied = ApplyRecordIds(ids, select, step);
        } else if (scanAll) {
            applied = select ? selection_->AddBookmarkList(between, step) : selection_->RemoveBookmarkList(between, step);
        } else {
            applied = selection_->SelectRange(lo, hi, select, between, step);
        }
    }
    bool ignored = false;
    FireScanRecords(scanAll, scsEnd, applied ? Integer(between.size()) : 0, ignored);
    return applied;
}

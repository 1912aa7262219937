// Record scans of the data-aware grid: a span of records that is not all
// on screen is turned into a list of bookmarks by walking the dataset (or
// the engine cursor of the cursor window), for a selection kept as a set of
// bookmarks. Every record walked is a scan step, reported through
// OnScanRecords, whose handler may cancel the scan.

#include <functional>
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

// What a window's scan needs besides its own way of moving.
struct TScanArgs {
    TgrCustomDBGrid* grid;
    TgrGridData* window;
    bool ordered, forward;
    const std::string& end;
    bool& cancel;
    Integer& limit;
    Integer& count;
    bool& reached;
    bool scanAll;
    Integer maxCount;
    std::vector<std::string>& list;
};

// Walks one record at a time: next(step) reaches the next record to take
// (without step: the one it stands on) and answers False when there is
// none; current() is its bookmark. Each record reached is a scan step and
// is listed when it lies before the end (unordered bookmarks: until the
// end itself), which ends the walk. Answers the last bookmark taken.
std::string WalkScan(const TScanArgs& a, bool step, const std::function<bool(bool step)>& next,
                     const std::function<std::string()>& current, std::string last) {
    for (Integer taken = 0; !a.reached && (a.maxCount == 0 || taken < a.maxCount);) {
        // The record is reached before its step is counted, so the count
        // is the number of records scanned, not one more at the end.
        if (!next(step)) break;
        a.grid->ScanStep(a.scanAll, scsRecord, a.count, a.limit, a.cancel);
        if (a.cancel && a.count >= a.limit) break;
        ++taken;
        last = current();
        int e = a.end.empty() ? -1 : a.window->CompareBookmarks(last, a.end);
        if (!a.ordered) {
            a.list.push_back(last);
            a.reached = e == 0;
        } else {
            if (a.forward ? e <= 0 : e >= 0) a.list.push_back(last);
            a.reached = a.forward ? e >= 0 : e <= 0;
        }
        step = true;
    }
    return last;
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

bool TgrGridData::ScanDataSet(bool forward, std::string& bookmark, const std::string& end, bool& cancel,
                              Integer& limit, Integer& count, bool& reached, bool scanAll, Integer maxCount,
                              std::vector<std::string>& list) {
    reached = false;
    // Nothing lies before the empty bookmark (a record not posted yet).
    if (!IsActive() || (!forward && bookmark.empty())) {
        reached = forward && end.empty();
        return true;
    }
    DisableControlsOnce();
    bool ordered = grid_->BookmarkType() == bmtDefault;
    // From a bookmark the walk starts after its record; a record gone since
    // leaves the dataset on a neighbour, which is taken when it lies on
    // the walk's side. Unordered bookmarks cannot tell where a lost record
    // stood: backward, its positioning error passes.
    bool step = false;
    if (!bookmark.empty()) {
        step = GotoBookmarkStr(bookmark, !forward && !ordered);
        if (!step && ordered) {
            int c = CompareBookmarks(bookmark, GetCurrentBookmark());
            step = forward ? c >= 0 : c <= 0;
        }
    } else {
        dataSet_->First();
    }
    TDataSet* ds = dataSet_;
    auto atEdge = [ds, forward] { return forward ? ds->Eof() : ds->Bof(); };
    TScanArgs args{grid_, this, ordered, forward, end, cancel, limit, count, reached, scanAll, maxCount, list};
    bookmark = WalkScan(
        args, step, [&](bool move) { return !atEdge() && (!move || ds->MoveBy(forward ? 1 : -1) != 0); },
        [this] { return GetCurrentBookmark(); }, bookmark);
    bool edge = atEdge();
    if (forward && edge && end.empty()) reached = true;
    return edge;
}

bool TgrGridData::ScanForward(std::string& bookmark, const std::string& end, bool& cancel, Integer& limit,
                              Integer& count, bool& reached, bool scanAll, Integer maxCount,
                              std::vector<std::string>& list) {
    return ScanDataSet(true, bookmark, end, cancel, limit, count, reached, scanAll, maxCount, list);
}

bool TgrGridData::ScanBackward(std::string& bookmark, const std::string& end, bool& cancel, Integer& limit,
                               Integer& count, bool& reached, bool scanAll, Integer maxCount,
                               std::vector<std::string>& list) {
    return ScanDataSet(false, bookmark, end, cancel, limit, count, reached, scanAll, maxCount, list);
}

// ------------------------------------------------------------ cursor window

bool TgrScrollDataset::ScanCursor(bool forward, std::string& bookmark, const std::string& end, bool& cancel,
                                  Integer& limit, Integer& count, bool& reached, bool scanAll, Integer maxCount,
                                  std::vector<std::string>& list) {
    reached = false;
    if (!active_ || (!forward && bookmark.empty())) {
        reached = forward && end.empty();
        return true;
    }
    // The cursor goes back where it was, also after an error; the dataset
    // does not move.
    std::string back = cursor_->GetBookmark();
    int status = kEngineOk;
    try {
        if (bookmark.empty()) cursor_->SetToBegin();
        else status = cursor_->GotoBookmark(bookmark);
        TScanArgs args{grid_, this, true, forward, end, cancel, limit, count, reached, scanAll, maxCount, list};
        bookmark = WalkScan(
            args, true,
            [&](bool) {
                if (status == kEngineOk) status = forward ? cursor_->Next(nullptr) : cursor_->Prior(nullptr);
                return status == kEngineOk;
            },
            [this] { return cursor_->GetBookmark(); }, bookmark);
    } catch (...) {
        if (!back.empty()) cursor_->GotoBookmark(back);
        throw;
    }
    if (!back.empty()) cursor_->GotoBookmark(back);
    if (forward && status != kEngineOk && end.empty()) reached = true;
    return status != kEngineOk;
}

bool TgrScrollDataset::ScanForward(std::string& bookmark, const std::string& end, bool& cancel, Integer& limit,
                                   Integer& count, bool& reached, bool scanAll, Integer maxCount,
                                   std::vector<std::string>& list) {
    return ScanCursor(true, bookmark, end, cancel, limit, count, reached, scanAll, maxCount, list);
}

bool TgrScrollDataset::ScanBackward(std::string& bookmark, const std::string& end, bool& cancel, Integer& limit,
                                    Integer& count, bool& reached, bool scanAll, Integer maxCount,
                                    std::vector<std::string>& list) {
    return ScanCursor(false, bookmark, end, cancel, limit, count, reached, scanAll, maxCount, list);
}

// ------------------------------------------------------------ the grid

void TgrCustomDBGrid::ScanStep(bool scanAll, TgrScanState state, Integer& count, Integer& reported, bool& cancel) {
    if (!cancel || count < reported) ++count;
    if (count > reported) {
        reported = count;
        DoScanRecords(scanAll, state, count, cancel);
    }
}

void TgrCustomDBGrid::RestoreScanStart(const std::string& saved) {
    // A window that scans its own cursor left the dataset where it was;
    // going there again would make the window read its records anew.
    try {
        if (!saved.empty() && window_->GetCurrentBookmark() != saved) window_->GotoBookmark(saved);
    } catch (...) {
        window_->LockControls(false);
        throw;
    }
    window_->LockControls(false);
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
        RestoreScanStart(saved);
        throw;
    }
    RestoreScanStart(saved);
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
    DoScanRecords(scanAll, scsStart, 0, cancel);
    if (cancel) return false;
    // The walks leave the window on the records it shows.
    TgrDatasetKeeper keep(this);
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
        // The run's ids are kept instead of its bookmarks: each record is
        // visited once more for its id, with the dataset's controls
        // disabled throughout.
        std::vector<Variant> ids;
        KeepDataSetRecord([&](TDataSet* ds) {
            for (const std::string& bookmark : between) {
                if (!ds->BookmarkValid(bookmark)) continue;
                ds->GotoBookmark(bookmark);
                ids.push_back(FetchRecordId(bookmark));
            }
        });
        applied = ApplyRecordIds(ids, select, step);
    }
    bool ignored = false;
    DoScanRecords(scanAll, scsEnd, applied ? Integer(between.size()) : 0, ignored);
    return applied;
}

// Record positions of the record window: their order, their records and
// their steps.
//
// A position is a reference record and a kind: before the first record,
// the record before the reference, the reference, the record after it, or
// after the last record. The prior and next kinds name a neighbour without
// fetching it, so a selection range can end "just before this record"
// without touching the dataset; the neighbour is looked up only when an
// order question cannot be answered from the kinds and bookmarks alone.

#include "dbgrid/DBGridData.h"

#include "dbgrid/DBGrid.h"

namespace {

bool IsRecordKind(TgrBkmPosKind kind) { return kind == bpPrior || kind == bpAt || kind == bpNext; }

}  // namespace

int TgrGridData::ComparePositionsQuick(const TgrBkmPos& a, const TgrBkmPos& b, bool& final) {
    final = true;
    if (a.Kind == bpBeforeFirst) {
        if (b.Kind == bpBeforeFirst) return 0;
        // The record before a first record is "before the first" as well.
        if (b.Kind == bpPrior) {
            final = false;
            return 0;
        }
        return -1;
    }
    if (a.Kind == bpAfterLast) {
        if (b.Kind == bpAfterLast) return 0;
        if (b.Kind == bpNext) {
            final = false;
            return 0;
        }
        return 1;
    }
    if (b.Kind == bpBeforeFirst) {
        if (a.Kind == bpPrior) {
            final = false;
            return 0;
        }
        return 1;
    }
    if (b.Kind == bpAfterLast) {
        if (a.Kind == bpNext) {
            final = false;
            return 0;
        }
        return -1;
    }
    int c = CompareBookmarks(a.Bookmark, b.Bookmark);
    if (a.Kind == b.Kind) return c;
    // Different kinds around different records: a neighbour may be the
    // other record.
    if (c != 0) {
        final = false;
        return c;
    }
    // Around the same record: prior < at < next.
    return a.Kind < b.Kind ? -1 : 1;
}

int TgrGridData::ComparePositions(const TgrBkmPos& a, const TgrBkmPos& b) {
    bool final = false;
    int quick = ComparePositionsQuick(a, b, final);
    if (final) return quick;
    // A lazy neighbour that points towards the other position may be it.
    bool towards = (quick < 0 && (a.Kind == bpNext || b.Kind == bpPrior)) ||
                   (quick > 0 && (a.Kind == bpPrior || b.Kind == bpNext));
    if (!towards && IsRecordKind(a.Kind) && IsRecordKind(b.Kind)) return quick;
    // Resolved positions are at-positions or markers, whose quick answer is
    // final.
    return ComparePositionsQuick(NormalizePosition(a), NormalizePosition(b), final);
}

bool TgrGridData::PositionGreaterOrEqual(const TgrBkmPos& a, const TgrBkmPos& b) {
    bool final = false;
    int quick = ComparePositionsQuick(a, b, final);
    if (final) return quick >= 0;
    // The record before a later record is at least the earlier one.
    if (quick > 0 && a.Kind == bpPrior && b.Kind != bpNext) return true;
    return ComparePositions(a, b) >= 0;
}

bool TgrGridData::PositionLessOrEqual(const TgrBkmPos& a, const TgrBkmPos& b) {
    bool final = false;
    int quick = ComparePositionsQuick(a, b, final);
    if (final) return quick <= 0;
    if (quick < 0 && a.Kind == bpNext && b.Kind != bpPrior) return true;
    return ComparePositions(a, b) <= 0;
}

bool TgrGridData::ResolvePosition(const TgrBkmPos& pos, std::string& bookmark) {
    bookmark.clear();
    switch (pos.Kind) {
        case bpAt: bookmark = pos.Bookmark; return true;
        case bpPrior: return GetPriorBookmark(pos.Bookmark, bookmark);
        case bpNext: return GetNextBookmark(pos.Bookmark, bookmark);
        default: return false;
    }
}

TgrBkmPos TgrGridData::NormalizePosition(const TgrBkmPos& pos) {
    if (pos.Kind != bpPrior && pos.Kind != bpNext) return pos;
    std::string bookmark;
    if (ResolvePosition(pos, bookmark)) return MakeAtPosition(bookmark);
    return pos.Kind == bpPrior ? MakeBeforeFirstPosition() : MakeAfterLastPosition();
}

TgrBkmPos TgrGridData::PositionBefore(const TgrBkmPos& pos) {
    std::string bookmark;
    switch (pos.Kind) {
        case bpBeforeFirst: return pos;
        case bpPrior:
            if (GetPriorBookmark(pos.Bookmark, bookmark)) return {bookmark, bpPrior};
            return MakeBeforeFirstPosition();
        case bpAt: return {pos.Bookmark, bpPrior};
        case bpNext: return {pos.Bookmark, bpAt};
        case bpAfterLast:
            // The markers carry no record to be lazy about: one step back
            // from the end is the last record itself.
            if (GetLastBookmark(bookmark)) return MakeAtPosition(bookmark);
            return MakeBeforeFirstPosition();
    }
    return pos;
}

TgrBkmPos TgrGridData::PositionAfter(const TgrBkmPos& pos) {
    std::string bookmark;
    switch (pos.Kind) {
        case bpBeforeFirst:
            if (GetFirstBookmark(bookmark)) return MakeAtPosition(bookmark);
            return MakeAfterLastPosition();
        case bpPrior: return {pos.Bookmark, bpAt};
        case bpAt: return {pos.Bookmark, bpNext};
        case bpNext:
            if (GetNextBookmark(pos.Bookmark, bookmark)) return {bookmark, bpNext};
            return MakeAfterLastPosition();
        case bpAfterLast: return pos;
    }
    return pos;
}

TgrBkmPos TgrGridData::GetFirstPosition() {
    std::string bookmark;
    if (grid_->UsesStandardWindow() || !GetFirstBookmark(bookmark)) return MakeBeforeFirstPosition();
    return MakeAtPosition(bookmark);
}

TgrBkmPos TgrGridData::GetLastPosition() {
    std::string bookmark;
    if (grid_->UsesStandardWindow() || !GetLastBookmark(bookmark)) return MakeAfterLastPosition();
    return MakeAtPosition(bookmark);
}

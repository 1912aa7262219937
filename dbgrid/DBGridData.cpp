#include "dbgrid/DBGridData.h"

#include <algorithm>

#include "dbgrid/DBGrid.h"
#include "platform/data/DataSet.h"

namespace {

// A window grows by refilling from the dataset; the walk stops after this
// many steps even when a dataset never reports its beginning.
constexpr Integer kRefillStepCap = 1000;

}  // namespace

const Variant& EmptyDataRow() {
    static const Variant empty{std::string()};
    return empty;
}

const Variant& NullDataRow() {
    static const Variant null = Variant::NullValue();
    return null;
}

int CompareBookmarkStrings(TDataSet* dataSet, const std::string& a, const std::string& b,
                           TgrBookmarkCompareType compareType) {
    if (compareType == bctAsString) {
        int c = a.compare(b);
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    if (a == b) return 0;
    if (a.empty()) return -1;
    if (b.empty()) return 1;
    if (!dataSet) return a < b ? -1 : 1;
    int c = dataSet->CompareBookmarks(a, b);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

// ------------------------------------------------------------ data link

void TgrGridDataLink::ActiveChanged() { grid_->DataLinkActiveChanged(Active()); }
void TgrGridDataLink::CheckBrowseMode() { grid_->DataLinkCheckBrowseMode(); }
void TgrGridDataLink::DataSetChanged() { grid_->DataLinkChanged(); }
void TgrGridDataLink::DataSetScrolled(int distance) { grid_->DataLinkScrolled(distance); }
void TgrGridDataLink::EditingChanged() { grid_->DataLinkEditingChanged(); }
void TgrGridDataLink::LayoutChanged() { grid_->DataLinkLayoutChanged(); }
void TgrGridDataLink::RecordChanged(TField* field) { grid_->DataLinkRecordChanged(field); }

void TgrGridDataLink::UpdateData() {
    bool was = inUpdate_;
    inUpdate_ = true;
    try {
        grid_->DataLinkUpdateData();
    } catch (...) {
        inUpdate_ = was;
        throw;
    }
    inUpdate_ = was;
}

// ------------------------------------------------------------ window base

TgrGridData::TgrGridData(TgrCustomDBGrid* grid) : grid_(grid) {}

void TgrGridData::RememberIndex() {
    indexName_ = dataSet_ ? dataSet_->OrderIndexName() : std::string();
    indexFieldNames_ = dataSet_ ? dataSet_->OrderIndexFieldNames() : std::string();
}

bool TgrGridData::IndexChanged() {
    if (!IsActive()) return false;
    // An index chosen by name decides; the field names only when no
    // name is set.
    std::string name = dataSet_->OrderIndexName();
    if (!name.empty() || !indexName_.empty()) return name != indexName_;
    return dataSet_->OrderIndexFieldNames() != indexFieldNames_;
}

int TgrGridData::CompareBookmarks(const std::string& a, const std::string& b) {
    return CompareBookmarkStrings(dataSet_, a, b, grid_->BookmarkCompareType());
}

namespace {

// Restores the dataset's record and its controls when a walk ends, also
// when an exception passes.
class TDataSetWalk {
public:
    explicit TDataSetWalk(TDataSet* ds) : ds_(ds), back_(ds->IsEmpty() ? std::string() : ds->GetBookmark()) {
        ds_->DisableControls();
    }
    ~TDataSetWalk() {
        try {
            if (!back_.empty() && ds_->BookmarkValid(back_)) ds_->GotoBookmark(back_);
        } catch (...) {
            // The record is gone; the dataset stays where the walk left it.
        }
        ds_->EnableControls();
    }
    TDataSetWalk(const TDataSetWalk&) = delete;
    TDataSetWalk& operator=(const TDataSetWalk&) = delete;

private:
    TDataSet* ds_;
    std::string back_;
};

// One step of the dataset from a bookmark's record; "" when it cannot go.
std::string StepByDataset(TDataSet* ds, const std::string& bookmark, int distance) {
    if (!ds || !ds->Active() || bookmark.empty() || !ds->BookmarkValid(bookmark)) return std::string();
    TDataSetWalk walk(ds);
    ds->GotoBookmark(bookmark);
    return ds->MoveBy(distance) == distance ? ds->GetBookmark() : std::string();
}

// The bookmark of the first (last) record, "" for an empty dataset.
std::string EndBookmark(TDataSet* ds, bool last) {
    if (!ds || ds->IsEmpty()) return std::string();
    TDataSetWalk walk(ds);
    if (last) ds->Last();
    else ds->First();
    return ds->IsEmpty() ? std::string() : ds->GetBookmark();
}

}  // namespace

bool TgrGridData::GetFirstBookmark(std::string& bookmark) {
    bookmark = IsActive() ? EndBookmark(dataSet_, false) : std::string();
    return !bookmark.empty();
}

bool TgrGridData::GetLastBookmark(std::string& bookmark) {
    bookmark = IsActive() ? EndBookmark(dataSet_, true) : std::string();
    return !bookmark.empty();
}

std::string TgrGridData::ScanForValue(const std::string& start, const std::string& stop, const std::string& text,
                                      Integer dataCol, bool wholeText, const TgrValueMatch& match, bool& found) {
    found = false;
    if (text.empty()) return start;
    TDataSet* ds = dataSet_;
    if (!IsActive() || !ds) return std::string();
    std::string best;
    std::size_t bestLen = 0;
    TDataSetWalk walk(ds);
    try {
        if (start.empty() || !ds->BookmarkValid(start)) ds->First();
        else ds->GotoBookmark(start);
        for (; !ds->Eof(); ds->Next()) {
            std::string bookmark = ds->GetBookmark();
            Variant v = grid_->ReadActiveRecordCellValue(dataCol, grid_->DataRowOfDataSetRecord());
            std::string value = v.IsEmpty() || v.IsNull() ? std::string() : v.AsString();
            std::size_t len = wholeText ? text.size() : std::min(text.size(), value.size());
            if (len > bestLen && match(value, text.substr(0, len))) {
                best = bookmark;
                bestLen = len;
                found = true;
                if (len == text.size()) break;
            }
            if (!stop.empty() && CompareBookmarks(bookmark, stop) == 0) break;
        }
    } catch (const std::exception&) {
        found = false;
        best.clear();
    }
    return best;
}

Integer TgrGridData::GetTopRecNo() {
    if (!IsActive() || GetRowCount() == 0) return 0;
    Integer active = GetActiveRow();
    SetActiveRow(1);
    Integer recNo = 0;
    try {
        recNo = GetRecNo();
    } catch (...) {
        SetActiveRow(active);
        throw;
    }
    SetActiveRow(active);
    return recNo;
}

Integer TgrGridData::FindBookmarkRow(const std::string& bookmark) {
    if (!IsActive()) return 0;
    Integer count = GetRowCount();
    for (Integer row = 1; row <= count; ++row)
        if (GetRowBookmark(row) == bookmark) return row;
    if (count == 0) return 0;
    // Not in the window: before it, after it, or (ordered bookmarks) in a
    // gap the window does not show, which counts as after.
    if (grid_->BookmarkType() == bmtNonOrdered) return 0;
    if (CompareBookmarks(bookmark, GetRowBookmark(1)) < 0) return 0;
    return count + 1;
}

Integer TgrGridData::GetBookmarkRow(const std::string& bookmark) {
    Integer row = FindBookmarkRow(bookmark);
    return row > GetRowCount() ? 0 : row;
}

Integer TgrGridData::GetPositionRow(const TgrBkmPos& pos) {
    if (!IsActive()) return 0;
    Integer count = GetRowCount();
    switch (pos.Kind) {
        case bpBeforeFirst: return 0;
        case bpAfterLast: return count + 1;
        case bpAt: return FindBookmarkRow(pos.Bookmark);
        case bpPrior: {
            Integer r = FindBookmarkRow(pos.Bookmark);
            return r >= 1 && r <= count ? r - 1 : (r == 0 ? 0 : count + 1);
        }
        case bpNext: {
            Integer r = FindBookmarkRow(pos.Bookmark);
            return r >= 1 && r <= count ? r + 1 : (r == 0 ? 0 : count + 1);
        }
    }
    return 0;
}

Integer TgrGridData::MoveByRows(Integer distance, Integer& scroll) {
    scroll = 0;
    if (!IsActive()) return 0;
    Integer active = GetActiveRow();
    Integer moved = ScrollBy(distance);
    scroll = distance <= 0 ? std::min<Integer>(distance + active - 1, 0)
                           : std::max<Integer>(distance + active - GetRowCount(), 0);
    return moved;
}

bool TgrGridData::SetTopBookmark(const std::string& bookmark) {
    if (!IsActive() || GetRowCount() == 0) return false;
    dataSet_->DisableControls();
    bool moved = false;
    try {
        if (GetRowBookmark(1) != bookmark) {
            moved = true;
            GotoBookmark(bookmark);
            // Moving forward by a window and back leaves the record on top.
            Integer rows = GetRowCount();
            if (GetCurrentRecordRow() > 1 && rows > 1) {
                Integer forward = ScrollBy(rows - 1);
                ScrollBy(-forward);
            }
        }
    } catch (...) {
        dataSet_->EnableControls();
        ClearCaches();
        throw;
    }
    dataSet_->EnableControls();
    // The rows moved while the controls were off: what was kept per row
    // belongs to other records now.
    if (moved) ClearCaches();
    return true;
}

// The bookmark of the record in the grid's top visible row ("" for none).
static std::string TopRowBookmark(TgrCustomDBGrid* grid) {
    Variant top = grid->GetTopDataRow();
    return top.IsString() ? top.AsString() : std::string();
}

TgrDatasetPosition TgrGridData::SavePosition() {
    TgrDatasetPosition pos;
    if (!IsActive()) return pos;
    pos.TopRowId = TopRowBookmark(grid_);
    pos.ActiveRow = GetCurrentRecordRow();
    return pos;
}

bool TgrGridData::PositionChanged(const TgrDatasetPosition& saved) {
    if (!IsActive()) return false;
    if (GetCurrentRecordRow() != saved.ActiveRow) return true;
    std::string top = TopRowBookmark(grid_);
    return top != saved.TopRowId && CompareBookmarks(top, saved.TopRowId) != 0;
}

void TgrGridData::RestorePosition(const TgrDatasetPosition& saved) {
    if (!IsActive() || !PositionChanged(saved)) return;
    DisableControlsOnce();
    dataSet_->DisableControls();
    try {
        if (!saved.TopRowId.empty()) SetTopBookmark(saved.TopRowId);
        Integer target = std::min(saved.ActiveRow, GetRowCount());
        Integer current = GetCurrentRecordRow();
        if (target >= 1 && target != current) ScrollBy(target - current);
    } catch (...) {
        dataSet_->EnableControls();
        throw;
    }
    dataSet_->EnableControls();
}

void TgrGridData::LockControls(bool lock) {
    if (lock) {
        ++lockDepth_;
        return;
    }
    if (lockDepth_ == 0) return;
    if (--lockDepth_ == 0 && controlsDisabled_) {
        controlsDisabled_ = false;
        if (dataSet_) dataSet_->EnableControls();
    }
}

void TgrGridData::DisableControlsOnce() {
    if (lockDepth_ == 0 || controlsDisabled_ || !dataSet_) return;
    controlsDisabled_ = true;
    dataSet_->DisableControls();
}

// ------------------------------------------------------------ standard window

TgrGridDataLink* TgrStandardDataset::Link() const { return grid_->DataLink(); }

void TgrStandardDataset::ActiveChanged(bool active) {
    if (active) {
        dataSet_ = Link()->DataSet();
        SetCacheSize(std::max<Integer>(grid_->GetVisibleRecordCount(), 1));
        ClearCaches();
        RememberIndex();
        Link()->SetBufferCount(int(bookmarks_.size()));
    } else {
        dataSet_ = nullptr;
        SetCacheSize(0);
        Reset();
    }
    // Without a dataset the layouts empty.
    BuildFieldLayouts();
}

bool TgrStandardDataset::IsActive() { return dataSet_ && dataSet_->Active(); }

Integer TgrStandardDataset::GetRowCount() { return IsActive() ? Link()->RecordCount() : 0; }

void TgrStandardDataset::First() {
    if (IsActive()) dataSet_->First();
}

void TgrStandardDataset::Last() {
    if (IsActive()) dataSet_->Last();
}

void TgrStandardDataset::SetActiveRow(Integer row) {
    if (IsActive()) Link()->SetActiveRecord(int(row - 1));
}

Integer TgrStandardDataset::GetActiveRow() { return IsActive() ? Link()->ActiveRecord() + 1 : 0; }

Integer TgrStandardDataset::GetRecNo() { return IsActive() ? dataSet_->RecNo() : 0; }

Integer TgrStandardDataset::GetRecordCount() { return IsActive() ? dataSet_->RecordCount() : 0; }

bool TgrStandardDataset::IsSequenced() { return IsActive() && dataSet_->IsSequenced(); }

std::string TgrStandardDataset::GetRowBookmark(Integer row) {
    if (!IsActive() || row < 1 || row > GetRowCount()) return std::string();
    std::size_t i = std::size_t(row - 1);
    // With the controls disabled the buffer may be anywhere: read afresh.
    bool cache = !dataSet_->ControlsDisabled() && i < bookmarks_.size();
    if (cache && !bookmarks_[i].IsEmpty()) return bookmarks_[i].AsString();
    Integer active = GetActiveRow();
    std::string bookmark;
    SetActiveRow(row);
    try {
        bookmark = dataSet_->GetBookmark();
    } catch (...) {
        SetActiveRow(active);
        throw;
    }
    SetActiveRow(active);
    if (cache) bookmarks_[i] = Variant(bookmark);
    return bookmark;
}

bool TgrStandardDataset::SetWindowSize(Integer count) {
    count = std::max<Integer>(count, 1);
    // The buffer may move while it is resized: nothing cached holds.
    SetCacheSize(count);
    ClearCaches();
    if (!IsActive()) return false;
    Integer before = Link()->RecordCount();
    Link()->SetBufferCount(int(count));
    ClearCaches();
    // A grown window over the end of the data is refilled from above: move
    // to the first buffered record, then back one record at a time.
    Integer steps = 0;
    bool windowFull = Link()->RecordCount() >= count;
    bool atStart = false;
    for (; steps < kRefillStepCap && !windowFull && !atStart; ++steps) {
        Integer active = GetActiveRow();
        Integer moved = ScrollBy(-active);
        atStart = moved > -active || dataSet_->Bof();
        ScrollBy(-moved);
        windowFull = Link()->RecordCount() >= count;
    }
    return Link()->RecordCount() > before;
}

bool TgrStandardDataset::GotoBookmark(const std::string& bookmark) {
    if (!IsActive()) return false;
    try {
        if (!dataSet_->BookmarkValid(bookmark)) return false;
        dataSet_->GotoBookmark(bookmark);
        return true;
    } catch (const std::exception&) {
        dataSet_->Resync({});
        return false;
    }
}

std::string TgrStandardDataset::GetCurrentBookmark() {
    return IsActive() && !dataSet_->IsEmpty() ? dataSet_->GetBookmark() : std::string();
}

Integer TgrStandardDataset::ScrollBy(Integer distance) { return IsActive() ? dataSet_->MoveBy(int(distance)) : 0; }

bool TgrStandardDataset::GetEof() { return IsActive() && dataSet_->Eof(); }
bool TgrStandardDataset::GetBof() { return IsActive() && dataSet_->Bof(); }

void TgrStandardDataset::SetCacheSize(Integer n) {
    bookmarks_.resize(std::size_t(std::max<Integer>(n, 0)));
    recordIds_.resize(bookmarks_.size());
}

void TgrStandardDataset::ClearCaches() {
    std::fill(bookmarks_.begin(), bookmarks_.end(), Variant());
    std::fill(recordIds_.begin(), recordIds_.end(), Variant());
}

// The window's first record moved forward by distance: row r now shows
// what row r + distance showed.
static void ShiftRowCache(std::vector<Variant>& cache, Integer distance) {
    Integer n = Integer(cache.size());
    if (distance == 0 || n == 0) return;
    if (distance >= n || -distance >= n) {
        std::fill(cache.begin(), cache.end(), Variant());
        return;
    }
    if (distance > 0) {
        std::move(cache.begin() + distance, cache.end(), cache.begin());
        std::fill(cache.end() - distance, cache.end(), Variant());
    } else {
        std::move_backward(cache.begin(), cache.end() + distance, cache.end());
        std::fill(cache.begin(), cache.begin() - distance, Variant());
    }
}

void TgrStandardDataset::ShiftCaches(Integer distance) {
    ShiftRowCache(bookmarks_, distance);
    ShiftRowCache(recordIds_, distance);
}

std::string TgrStandardDataset::NextInWindow(const std::string& bookmark) {
    Integer row = GetBookmarkRow(bookmark);
    return row > 0 && row < GetRowCount() ? GetRowBookmark(row + 1) : std::string();
}

std::string TgrStandardDataset::PriorInWindow(const std::string& bookmark) {
    Integer row = GetBookmarkRow(bookmark);
    return row > 1 ? GetRowBookmark(row - 1) : std::string();
}

std::string TgrStandardDataset::NextByDataset(const std::string& bookmark) {
    return StepByDataset(dataSet_, bookmark, 1);
}

std::string TgrStandardDataset::PriorByDataset(const std::string& bookmark) {
    return StepByDataset(dataSet_, bookmark, -1);
}

bool TgrStandardDataset::GetNextBookmark(const std::string& bookmark, std::string& next) {
    if (bookmark.empty()) next.clear();
    else if (next = NextInWindow(bookmark); next.empty()) next = NextByDataset(bookmark);
    return !next.empty();
}

bool TgrStandardDataset::GetPriorBookmark(const std::string& bookmark, std::string& prior) {
    if (bookmark.empty()) prior.clear();
    else if (prior = PriorInWindow(bookmark); prior.empty()) prior = PriorByDataset(bookmark);
    return !prior.empty();
}

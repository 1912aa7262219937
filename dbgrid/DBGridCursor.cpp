// The engine-cursor record window: its slots, how it reads and moves its
// cursor, how it numbers its rows and learns the record count, and the row
// and bookmark queries.
#include "dbgrid/DBGridCursor.h"

#include <algorithm>
#include <cstdlib>

#include "dbgrid/DBGrid.h"
#include "platform/data/DataSet.h"
#include "platform/data/Field.h"
#include "platform/core/Format.h"

TgrScrollDataset::TgrScrollDataset(TgrCustomDBGrid* grid) : TgrGridData(grid) {
    TgrScrollDataset::Reset();
    ResetCounters();
}

TgrScrollDataset::~TgrScrollDataset() {
    // Closing the clone reports no error here.
    active_ = false;
    cursor_.reset();
}

// ------------------------------------------------------------ opening

void TgrScrollDataset::ActiveChanged(bool active) {
    if (active && !active_) Open();
    else if (!active && active_) Close();
    // The dataset's own buffer holds only its current record.
    if (grid_->DataLink()->Active()) grid_->DataLink()->SetBufferCount(1);
    BuildFieldLayouts();
}

void TgrScrollDataset::Reset() {
    TgrGridData::Reset();
    filter_.clear();
    filtered_ = false;
    filterOptions_ = 0;
    masterSource_ = nullptr;
    masterFields_.clear();
    masterValues_ = Variant();
    sequenceKind_ = skNone;
    updateRecordTypes_ = 0;
}

bool TgrScrollDataset::Open() {
    if (active_) return true;
    TDataSet* ds = grid_->DataSet();
    auto* source = dynamic_cast<TgrCursorDataSet*>(ds);
    if (!ds || !ds->Active() || !source) return false;
    dataSet_ = ds;
    RememberIndex();
    filter_ = ds->Filter();
    filtered_ = ds->Filtered();
    filterOptions_ = ds->FilterOptions();
    masterSource_ = GetMasterSource();
    masterFields_ = GetMasterFields();
    masterValues_ = GetMasterValues();
    try {
        cursor_ = source->CloneCursor();
    } catch (const Exception& e) {
        dataSet_ = nullptr;
        grid_->RaiseGridErrorText(e.Message);
    }
    if (!cursor_) {
        dataSet_ = nullptr;
        return false;
    }
    Refresh(false);
    sequenceKind_ = cursor_->SequenceKind();
    SetBufferCount(std::max<Integer>(grid_->GetVisibleRecordCount(), 0));
    active_ = true;
    return true;
}

void TgrScrollDataset::Close() {
    if (!active_) return;
    active_ = false;
    dataSet_ = nullptr;
    cursor_.reset();
    FreeBuffers();
    Reset();
}

void TgrScrollDataset::Reopen() {
    Close();
    Open();
}

bool TgrScrollDataset::CheckStatus(int status) {
    if (status == kEngineOk) return true;
    std::string message = cursor_ ? cursor_->StatusMessage(status) : Format("Engine error $%.4x", {status});
    grid_->RaiseGridErrorText(message);
}

// ------------------------------------------------------------ slots

void TgrScrollDataset::ResetCounters() {
    lookupCount_ = 0;
    top_ = 1;
    bottom_ = 0;
    cursorNo_ = 0;
    zone_ = zStart;
    counter_ = 0;
    fromEnd_ = false;
    activeRow_ = -1;
    bof_ = eof_ = false;
    endReached_ = false;
    uncertain_ = false;
    inserting_ = atPlaceholder_ = false;
    activeBookmark_.clear();
    ResetRecordCount();
}

void TgrScrollDataset::SetBufferCount(Integer count) {
    ResetCounters();
    size_ = count;
    LayoutLookupFields();
    // No rows yet.
    top_ = 0;
    bottom_ = -1;
    slots_.assign(std::size_t(count), Slot{});
    scratchSlot_ = Slot{};
    singleStack_.clear();
    SetRowStateCacheSize(count);
}

void TgrScrollDataset::FreeBuffers() {
    slots_.clear();
    singleStack_.clear();
    scratchSlot_ = Slot{};
    SetRowStateCacheSize(0);
    ResetCounters();
}

void TgrScrollDataset::ResizeSlots(Integer count) {
    slots_.resize(std::size_t(std::max<Integer>(count, 0)));
    size_ = Integer(slots_.size());
    SetRowStateCacheSize(size_);
}

void TgrScrollDataset::ForceReread() {
    if (cursor_) cursor_->ForceReread();
}

TgrScrollDataset::Slot* TgrScrollDataset::SlotOfRow(Integer row) {
    return row >= 1 && row <= Integer(slots_.size()) ? &slots_[std::size_t(row - 1)] : nullptr;
}

void TgrScrollDataset::MoveSlots(Integer from, Integer to, Integer count) {
    if (count <= 0 || from == to) return;
    ClearRowStateCache();
    count = std::min({count, Integer(slots_.size()) - from + 1, Integer(slots_.size()) - to + 1});
    if (count <= 0) return;
    auto first = slots_.begin() + (from - 1), last = first + count, dest = slots_.begin() + (to - 1);
    if (to < from) std::move(first, last, dest);
    else std::move_backward(first, last, dest + count);
}

void TgrScrollDataset::MakePlaceholder(Integer row) {
    Slot* s = SlotOfRow(row);
    if (!s) return;
    ClearRowStateCache();
    *s = Slot{};
    s->Kind = kPlaceholderSlot;
    s->RecordId = NullDataRow();
}

void TgrScrollDataset::ResizeWindowBy(Integer delta) {
    if (!active_) return;
    Integer rows = GetRowCount();
    if (delta > 0 && rows + delta < size_) return;
    if (delta < 0 && size_ + delta < rows) {
        // The rows that no longer fit leave at the top.
        Integer c = rows - (size_ + delta);
        MoveSlots(c + 1, 1, rows - c);
        top_ += c;
    }
    ResizeSlots(size_ + delta);
}

bool TgrScrollDataset::SetWindowSize(Integer count) {
    count = std::max<Integer>(count, 0);
    if (!active_) return false;
    if (count == size_) return false;
    ResizeSlots(count);
    if (count < GetRowCount()) bottom_ = top_ + count - 1;
    Integer rows = GetRowCount();
    if (rows > 0 && rows < count) {
        // The missing rows are read after the last one.
        CheckStatus(PositionCursorAt(rows));
        Integer read = 0;
        int status = FillSlots(rows + 1, count, read, 1);
        if (status == kEngineAtEnd) Last();
        else CheckStatus(status);
    } else if (rows == 0) {
        First();
    }
    if (activeRow_ > GetRowCount()) SetActiveRow(-1);
    return true;
}

void TgrScrollDataset::BeginSingleSlot() {
    // The rows' states stay with the rows they were looked up for.
    ClearRowStateCache();
    singleStack_.push_back({std::move(slots_), size_, top_, bottom_});
    slots_.assign(1, Slot{});
    size_ = 1;
    top_ = bottom_ = 1;
}

void TgrScrollDataset::EndSingleSlot() {
    if (singleStack_.empty()) return;
    TSavedBlock& b = singleStack_.back();
    slots_ = std::move(b.Slots);
    size_ = b.Size;
    top_ = b.Top;
    bottom_ = b.Bottom;
    singleStack_.pop_back();
    ClearRowStateCache();
}

// ------------------------------------------------------------ reading

int TgrScrollDataset::ReadSlot(Integer row, int direction) {
    Slot* s = SlotOfRow(row);
    if (!s) return kEngineNoCurrent;
    ClearRowStateCache();
    s->Values.clear();
    int status = direction > 0 ? cursor_->Next(&s->Values)
                 : direction < 0 ? cursor_->Prior(&s->Values)
                                 : cursor_->Current(&s->Values);
    if (status != kEngineOk) return status;
    s->RecNo = -1;
    if (sequenceKind_ == skSequenced) {
        Integer n = -1;
        if (cursor_->GetSequenceNumber(n) == kEngineOk) s->RecNo = n;
    } else if (sequenceKind_ == skPhysical) {
        s->RecNo = cursor_->PhysicalRecordNumber();
    }
    s->Bookmark = cursor_->GetBookmark();
    s->Kind = kRecordSlot;
    s->RecordId = Variant();
    s->Lookups.clear();
    // The adapters read the row as the active one meanwhile.
    Integer savedRow = activeRow_;
    std::string savedBookmark = activeBookmark_;
    activeRow_ = row;
    activeBookmark_ = s->Bookmark;
    try {
        ResolveLookups();
        FetchRecordId(*SlotOfRow(row));
    } catch (...) {
        activeRow_ = savedRow;
        activeBookmark_ = savedBookmark;
        throw;
    }
    activeRow_ = savedRow;
    activeBookmark_ = savedBookmark;
    return status;
}

void TgrScrollDataset::FetchRecordId(Slot& slot) {
    slot.RecordId = grid_->UsesRecordIds() ? grid_->FetchRecordId(slot.Bookmark) : Variant();
}

int TgrScrollDataset::FillSlots(Integer from, Integer to, Integer& count, int direction) {
    count = 0;
    ClearRowStateCache();
    if ((to - from) * direction < 0) return kEngineOk;
    Integer want = std::abs(to - from) + 1;
    Integer row = from;
    int status = kEngineOk;
    while (count < want && status != kEngineAtEnd && status != kEngineAtStart) {
        bool previousAfter = CursorAfterInsertion(kEngineOk);
        status = ReadSlot(row, atPlaceholder_ && direction < 0 ? 0 : direction);
        if (!atPlaceholder_ && MarkerStep(previousAfter, CursorAfterInsertion(status), direction, row))
            status = kEngineOk;
        Slot* s = SlotOfRow(row);
        atPlaceholder_ = s && s->Kind == kPlaceholderSlot;
        cursorNo_ += direction;
        CountStep(status, direction);
        if (status != kEngineOk) break;
        ++count;
        row += direction;
        if (direction > 0) ++bottom_;
        else --top_;
    }
    if (status == kEngineAtEnd && direction < 0) status = kEngineAtStart;
    else if (status == kEngineAtStart && direction > 0) status = kEngineAtEnd;
    UpdateCounts(status);
    return status;
}

// ------------------------------------------------------------ numbering

void TgrScrollDataset::SetToBegin(bool keepRows) {
    cursor_->SetToBegin();
    atPlaceholder_ = uncertain_ = false;
    cursorNo_ = 0;
    zone_ = zStart;
    Integer rows = GetRowCount();
    top_ = 1;
    bottom_ = keepRows ? 0 : rows;
    fromEnd_ = false;
    counter_ = 0;
    bof_ = true;
    eof_ = false;
}

void TgrScrollDataset::SetToEnd(bool keepRows) {
    cursor_->SetToEnd();
    atPlaceholder_ = uncertain_ = false;
    Integer estimate = GetRecordCount(), rows = GetRowCount();
    cursorNo_ = estimate + 1;
    zone_ = zEnd;
    bottom_ = estimate;
    top_ = bottom_ - (keepRows ? 0 : rows) + 1;
    fromEnd_ = true;
    counter_ = 0;
    eof_ = true;
    endReached_ = true;
    bof_ = false;
}

void TgrScrollDataset::CountStep(int status, Integer delta) {
    TZone next = status == kEngineAtStart ? zStart : status == kEngineAtEnd ? zEnd : zRecord;
    // The counter stays the cursor's offset from the end it is anchored at.
    bool counted;
    if (next == zStart) counted = !fromEnd_;
    else if (next == zEnd) counted = fromEnd_;
    else if (zone_ == zStart) counted = !fromEnd_;
    else if (zone_ == zEnd) counted = fromEnd_;
    else counted = true;
    if (counted) counter_ += delta;
    zone_ = next;
}

void TgrScrollDataset::UpdateCounts(int status) {
    if (countLock_ > 0) return;
    Integer before = GetRecordCount();
    Integer d = counter_;
    if (!fromEnd_) {
        if (d < 0) {
            knownCount_ += -d;
            counter_ = 0;
        } else if (d > knownCount_ || status == kEngineAtEnd) {
            knownCount_ = d;
        }
        if ((status == kEngineAtEnd && !uncertain_) || (recordCount_ >= 0 && recordCount_ < knownCount_))
            recordCount_ = knownCount_;
    } else {
        if (d <= 0) {
            if (-d > knownCount_ || status == kEngineAtStart) knownCount_ = -d;
        } else {
            knownCount_ += d;
            counter_ = 0;
        }
        if ((status == kEngineAtStart && !uncertain_) || (recordCount_ >= 0 && recordCount_ < knownCount_))
            recordCount_ = knownCount_;
        // Rows anchored at the end move with the estimate.
        Integer after = GetRecordCount();
        if (after != before) ShiftNumbers(after - before);
    }
    NormalizePositions();
}

void TgrScrollDataset::ShiftNumbers(Integer delta) {
    top_ += delta;
    bottom_ += delta;
    cursorNo_ += delta;
}

void TgrScrollDataset::NormalizePositions() {
    Integer e = GetRecordCount();
    // Guessed numbers keep away from both ends.
    if (uncertain_) {
        if (top_ < e / 10) ShiftNumbers(e / 10 - top_);
        else if (bottom_ > e - e / 10) ShiftNumbers(e - e / 10 - bottom_);
    }
    if (top_ < 1) ShiftNumbers(1 - top_);
    if (bottom_ > e) ShiftNumbers(e - bottom_);
}

bool TgrScrollDataset::CursorAfterInsertion(int status) {
    if (!inserting_) return false;
    if (status == kEngineAtEnd) return true;
    if (status == kEngineAtStart) return false;
    if (zone_ == zEnd && status != kEngineOk) return true;
    std::string at = cursor_->GetBookmark();
    if (at.empty()) return zone_ == zEnd;
    if (insertionBookmark_.empty()) return true;
    return CompareBookmarks(at, insertionBookmark_) > 0;
}

void TgrScrollDataset::RecordAdded() {
    ++knownCount_;
    if (recordCount_ >= 0) ++recordCount_;
    if (CursorAfterInsertion(kEngineOk)) {
        ++cursorNo_;
        if (!fromEnd_) ++counter_;
    } else if (fromEnd_) {
        --counter_;
    }
}

void TgrScrollDataset::RecordRemoved() {
    if (knownCount_ > 0) --knownCount_;
    if (recordCount_ > 0) --recordCount_;
    if (atPlaceholder_) {
        // The cursor stands on the record before the placeholder; its
        // number steps back onto it.
        --cursorNo_;
        atPlaceholder_ = false;
        return;
    }
    bool saved = inserting_;
    inserting_ = true;
    bool after = CursorAfterInsertion(kEngineOk);
    inserting_ = saved;
    if (after) {
        --cursorNo_;
        if (!fromEnd_) --counter_;
    } else if (fromEnd_) {
        ++counter_;
    }
}

Integer TgrScrollDataset::GetRecordCount() {
    if (recordCount_ >= 0) return recordCount_;
    return knownCount_ + std::max(knownCount_ / 10, size_);
}

Integer TgrScrollDataset::GetTotalRecordCount(bool refresh) {
    if (!active_ || !dataSet_) return 0;
    if (refresh || recordCount_ < 0) {
        recordCount_ = std::max(dataSet_->RecordCount(), 0);
        knownCount_ = std::min(knownCount_, recordCount_);
        // Rows numbered from an estimate at the end are renumbered.
        if (eof_ && bottom_ != recordCount_) ShiftNumbers(recordCount_ - bottom_);
        NormalizePositions();
    }
    return recordCount_;
}

// ------------------------------------------------------------ cursor moves

int TgrScrollDataset::PositionCursorAt(Integer row) {
    Slot* s = SlotOfRow(row);
    bool placeholder = s && row <= GetRowCount() && s->Kind == kPlaceholderSlot;
    std::string bookmark = placeholder ? insertionBookmark_ : GetRowBookmark(row);
    int status = kEngineOk;
    if (!bookmark.empty()) status = cursor_->GotoBookmark(bookmark);
    else cursor_->SetToBegin();
    Integer target = top_ + row - 1, delta = target - cursorNo_;
    cursorNo_ = target;
    atPlaceholder_ = placeholder;
    if (delta != 0) {
        // Every number passed is one counted step; after the first the
        // cursor is on a record.
        Integer sign = delta > 0 ? 1 : -1;
        CountStep(kEngineOk, sign);
        CountStep(kEngineOk, delta - sign);
    } else if (zone_ != zRecord && !bookmark.empty()) {
        zone_ = zRecord;
    }
    return status;
}

int TgrScrollDataset::MoveBy(Integer distance, Integer& moved) {
    moved = 0;
    if (distance == 0) return kEngineOk;
    int direction = distance > 0 ? 1 : -1;
    bool wasAtPlaceholder = atPlaceholder_;
    bool previousAfter = !wasAtPlaceholder && CursorAfterInsertion(kEngineOk);
    int status = kEngineOk;
    if (!(std::abs(distance) > size_ && MoveBySeqNo(distance, moved, status))) {
        for (Integer i = 0; i < std::abs(distance); ++i) {
            status = direction > 0 ? cursor_->Next(nullptr)
                     : atPlaceholder_ ? cursor_->Current(nullptr)
                                      : cursor_->Prior(nullptr);
            cursorNo_ += direction;
            atPlaceholder_ = false;
            CountStep(status, direction);
            if (status != kEngineOk) break;
            moved += direction;
        }
    }
    int before = status;
    if (inserting_ &&
        MarkerAdjust(status, previousAfter, wasAtPlaceholder, direction, CursorAfterInsertion(status)) &&
        before == kEngineAtEnd)
        moved += direction;
    UpdateCounts(status);
    return status;
}

bool TgrScrollDataset::MoveBySeqNo(Integer distance, Integer& moved, int& status) {
    if (!IsSequenced()) return false;
    Integer s = -1;
    int st = cursor_->GetSequenceNumber(s);
    if (st != kEngineOk) s = -1;
    Integer adjust = 0;
    if (st == kEngineNoCurrent) {
        // On a gap (a record gone): stand on a record first.
        if (cursor_->Prior(nullptr) != kEngineAtStart) {
            if (distance < 0) adjust = 1;
        } else if (cursor_->Next(nullptr) != kEngineAtEnd && distance > 0) {
            adjust = -1;
        }
        if (cursor_->GetSequenceNumber(s) != kEngineOk) s = -1;
    }
    std::string saved = cursor_->GetBookmark();
    int go = cursor_->GotoSequenceNumber(s + distance + adjust);
    if (go == kEngineOk) {
        moved = distance;
    } else if (go == kEngineAtStart) {
        moved = 1 - s;
    } else if (go == kEngineAtEnd) {
        int back = cursor_->Prior(nullptr);
        if (back == kEngineAtStart) {
            moved = 0;
        } else if (back == kEngineOk) {
            Integer n = s;
            cursor_->GetSequenceNumber(n);
            moved = n - s;
        } else {
            go = kEngineSeqStepFailed;
        }
        if (go == kEngineAtEnd) cursor_->SetToEnd();
    }
    if (go != kEngineOk && go != kEngineAtStart && go != kEngineAtEnd) {
        if (!saved.empty()) cursor_->GotoBookmark(saved);
        moved = 0;
        return false;
    }
    int direction = distance > 0 ? 1 : -1;
    cursorNo_ += moved;
    CountStep(kEngineOk, direction);
    CountStep(go, moved - direction);
    if (go != kEngineOk) cursorNo_ += direction;
    atPlaceholder_ = false;
    status = go;
    return true;
}

// ------------------------------------------------------------ navigation

void TgrScrollDataset::First() {
    if (!active_) return;
    SetToBegin(true);
    Integer count = 0;
    int status = FillSlots(1, size_, count, 1);
    if (status != kEngineAtStart && status != kEngineAtEnd) CheckStatus(status);
    if (GetRowCount() < size_) {
        knownCount_ = GetRowCount();
        UpdateCounts(status);
    }
    if (activeRow_ > GetRowCount()) SetActiveRow(-1);
}

void TgrScrollDataset::Last() {
    if (!active_) return;
    SetToEnd(true);
    Integer count = 0;
    int status = FillSlots(size_, 1, count, -1);
    ShiftNumbers(GetRecordCount() - bottom_);
    if (status == kEngineAtStart) {
        // The records read stand in the last slots: they move up.
        MoveSlots(size_ - count + 1, 1, count);
    } else {
        CheckStatus(status);
    }
    if (GetRowCount() < size_) {
        knownCount_ = GetRowCount();
        UpdateCounts(status);
    }
    if (activeRow_ > GetRowCount()) SetActiveRow(-1);
}

bool TgrScrollDataset::CheckBof() {
    if (bof_ || GetRowCount() == 0) return bof_;
    PositionCursorAt(1);
    Integer moved = 0;
    if (MoveBy(-1, moved) == kEngineAtStart) {
        bof_ = true;
        SetToBegin(false);
    }
    return bof_;
}

bool TgrScrollDataset::CheckEof() {
    if (eof_ || GetRowCount() == 0) return eof_;
    PositionCursorAt(GetRowCount());
    Integer moved = 0;
    if (MoveBy(1, moved) == kEngineAtEnd) {
        eof_ = true;
        SetToEnd(false);
    }
    return eof_;
}

bool TgrScrollDataset::IsAtEof() { return CheckEof() && activeRow_ == GetRowCount(); }

Integer TgrScrollDataset::ScrollBy(Integer distance) {
    if (!active_) return 0;
    if (distance > 0 && !CheckEof()) return ScrollDown(distance);
    if (distance < 0 && !CheckBof()) return -ScrollUp(-distance);
    return 0;
}

Integer TgrScrollDataset::ScrollDown(Integer count) {
    bof_ = eof_ = false;
    Integer rows = GetRowCount();
    if (rows == 0) return 0;
    Integer oldTop = top_;
    int status = PositionCursorAt(rows);
    CheckStatus(status);
    Integer moved = 0;
    if (count >= rows) status = MoveBy(count - rows, moved);
    if (status == kEngineOk) {
        bottom_ = cursorNo_;
        top_ += count;
        // The rows that stay move up; the rest are read.
        if (count < rows) MoveSlots(count + 1, 1, rows - count);
        Integer read = 0;
        status = FillSlots(std::max<Integer>(rows - count, 0) + 1, rows, read, 1);
    }
    if (status == kEngineAtEnd) {
        Last();
        return top_ - oldTop;
    }
    CheckStatus(status);
    return count;
}

Integer TgrScrollDataset::ScrollUp(Integer count) {
    bof_ = eof_ = false;
    Integer rows = GetRowCount();
    if (rows == 0) return 0;
    Integer oldTop = top_;
    int status = PositionCursorAt(1);
    CheckStatus(status);
    Integer moved = 0;
    if (count >= rows) status = MoveBy(rows - count, moved);
    if (status == kEngineOk) {
        top_ = cursorNo_;
        bottom_ -= count;
        if (count < rows) MoveSlots(1, count + 1, rows - count);
        Integer read = 0;
        status = FillSlots(std::min(count, rows), 1, read, -1);
    }
    if (status == kEngineAtStart) {
        First();
        return oldTop - top_;
    }
    CheckStatus(status);
    return count;
}

void TgrScrollDataset::ScrollToPosition(Integer number) {
    if (active_) ScrollBy(number - top_);
}

Integer TgrScrollDataset::MoveByRows(Integer distance, Integer& scrolled) {
    scrolled = 0;
    if (!active_ || activeRow_ < 1 || distance == 0) return 0;
    Integer old = activeRow_, rows = GetRowCount();
    if (distance < 0) {
        Integer n = -distance;
        if (n < old) {
            SetActiveRow(old - n);
            return -n;
        }
        scrolled = ScrollBy(old - n - 1);
        SetActiveRow(1);
        return scrolled - old + 1;
    }
    if (old + distance <= rows) {
        SetActiveRow(old + distance);
        return distance;
    }
    scrolled = ScrollBy(distance + old - rows);
    SetActiveRow(GetRowCount());
    return GetRowCount() + scrolled - old;
}

void TgrScrollDataset::Resync(Integer row, bool reread) {
    if (!active_) return;
    if (reread) ForceReread();
    if (GetRowCount() == 0) {
        First();
        return;
    }
    // A record gone from the cursor leaves it on the first records.
    if (PositionCursorAt(row) != kEngineOk) {
        First();
        return;
    }
    if (row > 1) eof_ = false;
    if (row == 1) bof_ = false;
    Integer moved = 0;
    if (MoveBy(-1, moved) == kEngineAtStart) {
        First();
        return;
    }
    if (MoveBy(size_, moved) == kEngineAtEnd) {
        Last();
        return;
    }
    MoveBy(1, moved);
    // The window is read backwards from there: row's record becomes row 1.
    top_ = cursorNo_;
    bottom_ = top_ - 1;
    Integer read = 0;
    int status = FillSlots(size_, 1, read, -1);
    if (status == kEngineAtStart) {
        First();
        return;
    }
    CheckStatus(status);
    if (activeRow_ > GetRowCount()) SetActiveRow(-1);
}

void TgrScrollDataset::Refresh(bool reread) {
    if (!cursor_) return;
    updateRecordTypes_ = GetUpdateRecordTypes();
    cursor_->SetUpdateRecordTypes(updateRecordTypes_);
    if (reread) Resync(1, true);
}

bool TgrScrollDataset::ShowRecord(const std::string& bookmark) {
    if (!active_ || bookmark.empty()) return false;
    if (GetRowCount() == 0) First();
    if (GetBookmarkRow(bookmark) >= 1) return true;
    bool moved = false;
    Integer saved = activeRow_;
    activeRow_ = 1;
    RepositionTo(bookmark, GetRowBookmark(1), moved, true, 1);
    if (GetBookmarkRow(bookmark) < 1) SetActiveRow(saved);
    return GetBookmarkRow(bookmark) >= 1;
}

// ------------------------------------------------------------ rows and bookmarks

void TgrScrollDataset::SetActiveRow(Integer row) {
    activeRow_ = -1;
    activeBookmark_.clear();
    if (row >= 1 && row <= GetRowCount()) {
        activeRow_ = row;
        activeBookmark_ = GetRowBookmark(row);
    }
}

bool TgrScrollDataset::IsSequenced() { return sequenceKind_ == skSequenced && !filtered_; }

Integer TgrScrollDataset::GetRecNo() {
    if (!IsSequenced()) return -1;
    Integer n = GetRowRecNo(activeRow_);
    return n >= 0 ? n : -1;
}

Integer TgrScrollDataset::GetRowRecNo(Integer row) {
    Slot* s = active_ && row <= GetRowCount() ? SlotOfRow(row) : nullptr;
    return s && s->Kind == kRecordSlot ? s->RecNo : -1;
}

Integer TgrScrollDataset::GetCurrentRecordRow() { return GetBookmarkRow(GetCurrentBookmark()); }

std::string TgrScrollDataset::GetRowBookmark(Integer row) {
    Slot* s = active_ && row <= GetRowCount() ? SlotOfRow(row) : nullptr;
    return s && s->Kind == kRecordSlot ? s->Bookmark : std::string();
}

Variant TgrScrollDataset::GetRowRecordId(Integer row) {
    Slot* s = active_ && row <= GetRowCount() ? SlotOfRow(row) : nullptr;
    if (!s) return Variant();
    if (s->Kind == kPlaceholderSlot) return NullDataRow();
    // Ids switched on after the record was read are asked now.
    if (s->RecordId.IsEmpty() && grid_->UsesRecordIds()) {
        Integer savedRow = activeRow_;
        std::string savedBookmark = activeBookmark_;
        activeRow_ = row;
        activeBookmark_ = s->Bookmark;
        try {
            FetchRecordId(*s);
        } catch (...) {
            activeRow_ = savedRow;
            activeBookmark_ = savedBookmark;
            throw;
        }
        activeRow_ = savedRow;
        activeBookmark_ = savedBookmark;
    }
    return s->RecordId;
}

bool TgrScrollDataset::GotoBookmark(const std::string& bookmark) {
    if (!active_ || !dataSet_->BookmarkValid(bookmark)) return false;
    dataSet_->GotoBookmark(bookmark);
    return true;
}

std::string TgrScrollDataset::GetCurrentBookmark() {
    // The new record has no bookmark yet: its placeholder is current.
    if (inserting_) return std::string();
    return GetDatasetBookmark();
}

std::string TgrScrollDataset::GetDatasetBookmark() {
    return active_ && dataSet_ && !dataSet_->IsEmpty() ? dataSet_->GetBookmark() : std::string();
}

bool TgrScrollDataset::GetNextBookmark(const std::string& bookmark, std::string& next) {
    next.clear();
    if (!active_ || bookmark.empty()) return false;
    next = KeepingCursor([&] {
        if (cursor_->GotoBookmark(bookmark) != kEngineOk) return std::string();
        return cursor_->Next(nullptr) == kEngineOk ? cursor_->GetBookmark() : std::string();
    });
    return !next.empty();
}

bool TgrScrollDataset::GetPriorBookmark(const std::string& bookmark, std::string& prior) {
    prior.clear();
    if (!active_ || bookmark.empty()) return false;
    prior = KeepingCursor([&] {
        if (cursor_->GotoBookmark(bookmark) != kEngineOk) return std::string();
        return cursor_->Prior(nullptr) == kEngineOk ? cursor_->GetBookmark() : std::string();
    });
    return !prior.empty();
}

void TgrScrollDataset::GetNextBookmarkOrSame(const std::string& bookmark, std::string& next) {
    if (!GetNextBookmark(bookmark, next)) next = bookmark;
}

void TgrScrollDataset::GetPriorBookmarkOrSame(const std::string& bookmark, std::string& prior) {
    if (!GetPriorBookmark(bookmark, prior)) prior = bookmark;
}

TgrBkmPos TgrScrollDataset::PriorPositionClamped() {
    if (GetRowCount() < 1) return MakeBeforeFirstPosition();
    std::string prior;
    GetPriorBookmarkOrSame(GetRowBookmark(1), prior);
    return MakeAtPosition(prior);
}

TgrBkmPos TgrScrollDataset::NextPositionClamped() {
    if (GetRowCount() < 1) return MakeAfterLastPosition();
    std::string next;
    GetNextBookmarkOrSame(GetRowBookmark(GetRowCount()), next);
    return MakeAtPosition(next);
}

bool TgrScrollDataset::GetFirstBookmark(std::string& bookmark) {
    bookmark.clear();
    if (!active_ || GetRecordCount() == 0) return false;
    bookmark = KeepingCursor([&] {
        cursor_->SetToBegin();
        return cursor_->Next(nullptr) == kEngineOk ? cursor_->GetBookmark() : std::string();
    });
    return !bookmark.empty();
}

bool TgrScrollDataset::GetLastBookmark(std::string& bookmark) {
    bookmark.clear();
    if (!active_ || GetRecordCount() == 0) return false;
    bookmark = KeepingCursor([&] {
        cursor_->SetToEnd();
        return cursor_->Prior(nullptr) == kEngineOk ? cursor_->GetBookmark() : std::string();
    });
    return !bookmark.empty();
}

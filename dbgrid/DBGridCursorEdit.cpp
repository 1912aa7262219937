// The engine-cursor window's pending new records, its rebuilding around a
// bookmark, the values of records outside it, the column searches and the
// questions by which the grid learns that the dataset's filter, master
// link or update-record kinds changed. Whatever only looks puts the
// cursor back where it was.
#include <algorithm>

#include "dbgrid/DBGrid.h"
#include "dbgrid/DBGridCursor.h"
#include "dbgrid/DBGridFields.h"
#include "grid/GRGLib.h"
#include "platform/data/DataSet.h"

namespace {

// Runs undo when the scope ends, by an exception too.
template <class F>
class TOnExit {
public:
    explicit TOnExit(F f) : f_(std::move(f)) {}
    ~TOnExit() { f_(); }
    TOnExit(const TOnExit&) = delete;
    TOnExit& operator=(const TOnExit&) = delete;

private:
    F f_;
};

// Master values: equal kinds and values, arrays by bounds and elements.
// A comparison that fails counts as a difference.
bool MasterValuesEqual(const Variant& a, const Variant& b) {
    try {
        if (a.IsArray() && b.IsArray()) {
            if (a.LowBound() != b.LowBound() || a.HighBound() != b.HighBound()) return false;
            for (int i = a.LowBound(); i <= a.HighBound(); ++i)
                if (!VariantsEqual(a[i], b[i])) return false;
            return true;
        }
        return VariantsEqual(a, b);
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace

// ------------------------------------------------------------ records outside the window

Variant TgrScrollDataset::GetCellValueAndDataRow(Integer dataCol, const std::string& bookmark, Variant& dataRow) {
    dataRow = Variant();
    if (!active_) return Variant();
    if (bookmark.empty()) {
        std::string savedBookmark = activeBookmark_;
        // Asked with no active record.
        TOnExit back([&] { activeBookmark_ = savedBookmark; });
        activeBookmark_.clear();
        dataRow = grid_->UsesRecordIds() ? NullDataRow() : EmptyDataRow();
        return grid_->ReadActiveRecordCellValue(dataCol, dataRow);
    }
    return ReadInSingleSlot([&] {
        if (cursor_->GotoBookmark(bookmark) != kEngineOk || ReadSlot(1, 0) != kEngineOk) return Variant();
        activeBookmark_ = GetRowBookmark(1);
        dataRow = GetRowDataRow(1);
        return grid_->ReadActiveRecordCellValue(dataCol, dataRow);
    });
}

Variant TgrScrollDataset::ReadInSingleSlot(const std::function<Variant()>& read) {
    std::string savedBookmark = activeBookmark_;
    Integer savedRow = activeRow_;
    return KeepingCursor([&] {
        BeginSingleSlot();
        TOnExit back([&] {
            EndSingleSlot();
            activeRow_ = savedRow;
            activeBookmark_ = savedBookmark;
        });
        activeRow_ = 1;
        return read();
    });
}

Variant TgrScrollDataset::GetCellValue(Integer dataCol, const std::string& bookmark) {
    Variant dataRow;
    return GetCellValueAndDataRow(dataCol, bookmark, dataRow);
}

Variant TgrScrollDataset::GetRecordId(const std::string& bookmark, Integer rowHint) {
    if (rowHint > 0) return GetRowRecordId(rowHint);
    if (bookmark.empty()) return NullDataRow();
    if (!active_) return Variant();
    return ReadInSingleSlot([&] {
        // A record that cannot be reached or read has no id.
        try {
            if (cursor_->GotoBookmark(bookmark) != kEngineOk || ReadSlot(1, 0) != kEngineOk) return Variant();
            return GetRowRecordId(1);
        } catch (const std::exception&) {
            return Variant();
        }
    });
}

// ------------------------------------------------------------ repositioning

bool TgrScrollDataset::SetTopBookmark(const std::string& bookmark) {
    if (!active_) return false;
    SetActiveRow(grid_->CurrentDataRow());
    Integer r = std::max<Integer>(1, activeRow_);
    bool moved = false;
    RepositionTo(bookmark, GetRowBookmark(activeRow_), moved, true, r);
    return true;
}

void TgrScrollDataset::RepositionTo(const std::string& bookmark, const std::string& oldRowBookmark, bool& moved,
                                    bool fromTop, Integer r) {
    moved = false;
    if (!active_) return;
    Integer savedCounter = counter_, savedNumber = cursorNo_;
    bool jumped = false;
    Reposition(bookmark, r, fromTop, jumped);
    moved = jumped;
    if (jumped) {
        counter_ = savedCounter;
        cursorNo_ = savedNumber;
        SyncPositionsAfterJump(oldRowBookmark, GetRowBookmark(activeRow_));
    }
}

bool TgrScrollDataset::PrepareReposition(const std::string& bookmark, Integer r, int& status, bool& changed,
                                         bool& jumped, bool fromTop) {
    ++countLock_;
    TOnExit unlock([&] { --countLock_; });
    status = kEngineOk;
    changed = jumped = false;
    Integer moved = 0;
    auto jumpTo = [&](const std::string& target, Integer distance) {
        if (target.empty()) cursor_->SetToBegin();
        else status = cursor_->GotoBookmark(target);
        if (target.empty()) zone_ = zStart;
        else if (status == kEngineOk) zone_ = zRecord;
        if (status == kEngineOk) status = MoveBy(distance, moved);
        changed = jumped = true;
    };
    if (fromTop) {
        if (inserting_ && bookmark.empty()) jumpTo(insertionBookmark_, 1 - r);
        else if (!bookmark.empty()) jumpTo(bookmark, -r);
        else return false;
        return true;
    }
    if (IsBookmarkInRange(r, bookmark)) {
        status = PositionCursorAt(r);
        Slot* first = SlotOfRow(1);
        if (status == kEngineOk)
            status = MoveBy(first && first->Kind == kPlaceholderSlot ? 1 - r : -r, moved);
    } else {
        jumpTo(bookmark, -1);
    }
    return true;
}

bool TgrScrollDataset::Reposition(const std::string& bookmark, Integer r, bool fromTop, bool& jumped) {
    int status = kEngineOk;
    bool changed = false;
    if (!PrepareReposition(bookmark, r, status, changed, jumped, fromTop)) return false;
    if (status == kEngineAtStart) {
        First();
        jumped = false;
    } else {
        CheckStatus(status == kEngineAtEnd ? kEngineOk : status);
        int fill = kEngineOk;
        {
            ++countLock_;
            TOnExit unlock([&] { --countLock_; });
            bottom_ = top_ - 1;
            Integer read = 0;
            fill = FillSlots(1, size_, read, 1);
        }
        if (fill == kEngineAtEnd) {
            Last();
            jumped = false;
        } else {
            CheckStatus(fill);
        }
    }
    SetActiveRow(GetBookmarkRow(bookmark));
    return true;
}

bool TgrScrollDataset::IsBookmarkInRange(Integer r, const std::string& bookmark) {
    Integer rows = GetRowCount();
    if (bookmark.empty() || r < 1 || r > rows) return false;
    if (CompareBookmarks(bookmark, GetRowBookmark(r)) < 0) return false;
    Slot* last = SlotOfRow(rows);
    if (last->Kind == kRecordSlot) return CompareBookmarks(bookmark, last->Bookmark) <= 0;
    // The placeholder is last: compare with the record after its place.
    std::string after = KeepingCursor([&] {
        if (insertionBookmark_.empty()) cursor_->SetToBegin();
        else if (cursor_->GotoBookmark(insertionBookmark_) != kEngineOk) return std::string();
        return cursor_->Next(nullptr) == kEngineOk ? cursor_->GetBookmark() : std::string();
    });
    if (after.empty()) return true;
    return inserting_ ? CompareBookmarks(bookmark, after) < 0 : CompareBookmarks(bookmark, after) <= 0;
}

void TgrScrollDataset::SyncPositionsAfterJump(const std::string& oldBookmark, const std::string& newBookmark) {
    Integer savedRow = activeRow_;
    std::string savedBookmark = activeBookmark_;
    TOnExit back([&] {
        activeRow_ = savedRow;
        activeBookmark_ = savedBookmark;
    });
    Integer row = newBookmark.empty() ? 0 : GetBookmarkRow(newBookmark);
    if (row >= 1 && IsSequenced() && GetRowRecNo(row) >= 0) {
        // The engine numbers its records: the rows take its numbers.
        Integer shift = GetRowRecNo(row) - row + 1 - top_;
        if (shift != 0) {
            ShiftNumbers(shift);
            bof_ = eof_ = false;
        }
        return;
    }
    Integer rows = GetRowCount();
    if (rows == 0 || (!oldBookmark.empty() && GetBookmarkRow(oldBookmark) >= 1)) return;
    // A guess halfway towards the end the window jumped to, held away
    // from both ends until the cursor meets one.
    uncertain_ = true;
    if (!oldBookmark.empty() && CompareBookmarks(oldBookmark, GetRowBookmark(1)) > 0)
        ShiftNumbers(-((top_ - 1) / 2));
    else
        ShiftNumbers((GetRecordCount() - bottom_) / 2);
    UpdateCounts(kEngineOk);
}

// ------------------------------------------------------------ pending new records

void TgrScrollDataset::BeginInsert(bool makeRoomAbove, const std::string& bookmark, std::string& newBookmark) {
    newBookmark.clear();
    if (!active_) return;
    SetActiveRow(bookmark.empty() ? -1 : GetBookmarkRow(bookmark));
    if (activeRow_ < 1) {
        // Not shown: only the place of the new record is noted.
        insertionBookmark_ = KeepingCursor([&] {
            if (bookmark.empty()) cursor_->SetToBegin();
            else if (cursor_->GotoBookmark(bookmark) == kEngineOk) cursor_->Prior(nullptr);
            return cursor_->GetBookmark();
        });
    } else {
        if (activeRow_ == 1) CheckStatus(PositionCursorAt(1));
        Integer rows = GetRowCount();
        bool full = rows >= size_;
        if (makeRoomAbove && activeRow_ > 1 && full) {
            // The rows above move up; the rows below stay in place.
            MoveSlots(2, 1, activeRow_ - 2);
            ++top_;
            ++bottom_;
            --activeRow_;
        } else {
            // The rows from the record down move down; a full window loses
            // its last row.
            Integer last = full ? rows - 1 : rows;
            MoveSlots(activeRow_, activeRow_ + 1, last - activeRow_ + 1);
            if (!full) ++bottom_;
        }
        if (activeRow_ == 1) {
            Integer moved = 0;
            MoveBy(-1, moved);
            insertionBookmark_ = cursor_->GetBookmark();
        } else {
            insertionBookmark_ = GetRowBookmark(activeRow_ - 1);
        }
        MakePlaceholder(activeRow_);
        activeBookmark_.clear();
    }
    RecordAdded();
    eof_ = bof_ = false;
    inserting_ = true;
}

void TgrScrollDataset::BeginAppend(std::string& newBookmark) {
    newBookmark.clear();
    if (!active_) return;
    if (size_ == 0) SetWindowSize(1);
    if (!CheckEof()) Last();
    Integer rows = GetRowCount();
    if (rows > 0) {
        CheckStatus(PositionCursorAt(rows));
        insertionBookmark_ = GetRowBookmark(rows);
        if (rows < size_) {
            ++bottom_;
        } else {
            MoveSlots(2, 1, rows - 1);
            ++top_;
            ++bottom_;
        }
    } else {
        insertionBookmark_ = cursor_->GetBookmark();
        top_ = bottom_ = 1;
    }
    RecordAdded();
    MakePlaceholder(GetRowCount());
    SetActiveRow(GetRowCount());
    inserting_ = true;
}

bool TgrScrollDataset::MarkerStep(bool previousAfter, bool currentAfter, int direction, Integer row) {
    if (!inserting_) return false;
    if (direction > 0 && !previousAfter && currentAfter) {
        MakePlaceholder(row);
        cursor_->Prior(nullptr);
        return true;
    }
    if (direction < 0 && previousAfter && !currentAfter) {
        MakePlaceholder(row);
        return true;
    }
    return false;
}

bool TgrScrollDataset::MarkerAdjust(int& status, bool previousAfter, bool wasAtPlaceholder, int direction,
                                    bool currentAfter) {
    if (!inserting_) return false;
    atPlaceholder_ = false;
    if (direction > 0 && !previousAfter && currentAfter && !wasAtPlaceholder) {
        // The placeholder comes first: the cursor stands at its place.
        int back = cursor_->Prior(nullptr);
        std::string at = cursor_->GetBookmark();
        atPlaceholder_ = insertionBookmark_.empty() ? back == kEngineAtStart : at == insertionBookmark_;
        return true;
    }
    if (direction < 0 && previousAfter && !currentAfter) {
        std::string at = cursor_->GetBookmark();
        bool onInsertion = insertionBookmark_.empty() ? status == kEngineAtStart : at == insertionBookmark_;
        if (onInsertion) {
            atPlaceholder_ = true;
            status = kEngineOk;
        } else {
            cursor_->Next(nullptr);
        }
        return true;
    }
    return false;
}

void TgrScrollDataset::EndInsert(std::string& bookmark, bool cancelled, bool& moved, Integer r, bool resyncAfter) {
    bookmark.clear();
    moved = false;
    if (!active_) return;
    Integer rows = GetRowCount();
    if (cancelled) {
        Slot* first = SlotOfRow(1);
        if (rows != 1 && first && rows >= 1 && first->Kind == kPlaceholderSlot) {
            MoveSlots(2, 1, rows - 1);
            --bottom_;
            if (cursorNo_ > 1) --cursorNo_;
        }
        inserting_ = false;
        bookmark = GetDatasetBookmark();
        RecordRemoved();
        SetActiveRow(1);
        if (resyncAfter) Resync(rows != 1 ? 1 : 0, false);
    } else {
        SetActiveRow(FindBookmarkRow(std::string()));
        inserting_ = false;
        atPlaceholder_ = false;
        bookmark = GetDatasetBookmark();
        if (activeRow_ >= 1 && activeRow_ <= rows) RepositionTo(bookmark, insertionBookmark_, moved, false, r);
    }
    insertionBookmark_.clear();
}

void TgrScrollDataset::EndEdit(std::string& bookmark, Integer r, bool& moved, bool& changed) {
    bookmark.clear();
    moved = changed = false;
    if (!active_ || activeRow_ < 1 || activeRow_ > GetRowCount()) return;
    inserting_ = false;
    std::string was = GetRowBookmark(activeRow_);
    bookmark = GetDatasetBookmark();
    if (was != bookmark || bookmark.empty()) {
        // The record moved (its key changed): the window follows it.
        changed = true;
        RepositionTo(bookmark, was, moved, false, r);
    } else {
        Resync(1, false);
    }
}

// ------------------------------------------------------------ searches

std::string TgrScrollDataset::ActiveCellText(Integer dataCol) {
    TgrDBField* adapter = grid_->FieldAdapter(dataCol);
    return adapter ? adapter->GetDisplayText() : std::string();
}

std::string TgrScrollDataset::ScanForValue(const std::string& start, const std::string& stop, const std::string& text,
                                           Integer dataCol, bool wholeText, const TgrValueMatch& startsWith,
                                           bool& found) {
    found = false;
    if (text.empty()) return start;
    if (!active_) return std::string();
    std::string best;
    std::size_t bestLen = 0;
    Integer savedRow = activeRow_;
    std::string savedBookmark = activeBookmark_;
    try {
        KeepingCursor([&] {
            BeginSingleSlot();
            TOnExit back([&] {
                EndSingleSlot();
                activeRow_ = savedRow;
                activeBookmark_ = savedBookmark;
            });
            activeRow_ = 1;
            int status = kEngineOk;
            if (start.empty()) {
                cursor_->SetToBegin();
                status = cursor_->Next(nullptr);
            } else {
                status = cursor_->GotoBookmark(start);
            }
            for (; status == kEngineOk; status = cursor_->Next(nullptr)) {
                if (ReadSlot(1, 0) != kEngineOk) break;
                std::string record = GetRowBookmark(1);
                if (!stop.empty() && CompareBookmarks(record, stop) > 0) break;
                activeBookmark_ = record;
                std::string value = ActiveCellText(dataCol);
                std::size_t len = wholeText ? text.size() : std::min(text.size(), value.size());
                if (len > bestLen && startsWith(value, text.substr(0, len))) {
                    best = record;
                    bestLen = len;
                    found = true;
                    if (len == text.size()) break;
                }
            }
        });
    } catch (const std::exception&) {
        found = false;
        best.clear();
    }
    return best;
}

std::string TgrScrollDataset::LocateValue(const std::string& text, Integer dataCol, bool wholeText,
                                          const TgrValueMatch& startsWith, bool& found) {
    found = false;
    TgrDBField* adapter = grid_->FieldAdapter(dataCol);
    if (!active_ || !adapter) return std::string();
    // The column's field turns the text into a key; a text it cannot hold
    // finds nothing.
    TgrEngineRecord& key = ScratchRecord();
    if (!adapter->PutKeyText(key, text)) return std::string();
    int status = kEngineOk;
    std::string record = KeepingCursor([&] {
        status = cursor_->GotoKey(key);
        if (status != kEngineOk) return std::string();
        scratchSlot_.Values.clear();
        return cursor_->Next(&scratchSlot_.Values) == kEngineOk ? cursor_->GetBookmark() : std::string();
    });
    // Without an index the data is scanned instead.
    if (status != kEngineOk)
        return ScanForValue(std::string(), std::string(), text, dataCol, wholeText, startsWith, found);
    if (record.empty()) return std::string();
    Variant v = GetCellValue(dataCol, record);
    std::string value = v.IsEmpty() || v.IsNull() ? std::string() : v.AsString();
    std::size_t len = wholeText ? text.size() : std::min(text.size(), value.size());
    found = len > 0 && startsWith(value, text.substr(0, len));
    return record;
}

// ------------------------------------------------------------ change detection

TDataSource* TgrScrollDataset::GetMasterSource() {
    auto* source = dynamic_cast<TgrCursorDataSet*>(grid_->DataSet());
    return source ? source->CursorMasterSource() : nullptr;
}

std::string TgrScrollDataset::GetMasterFields() {
    auto* source = dynamic_cast<TgrCursorDataSet*>(grid_->DataSet());
    return source ? source->CursorMasterFields() : std::string();
}

Variant TgrScrollDataset::GetMasterValues() {
    TDataSource* master = GetMasterSource();
    std::string fields = GetMasterFields();
    if (!master || !master->DataSet() || !master->DataSet()->Active() || fields.empty()) return Variant();
    return master->DataSet()->FieldValues(fields);
}

Byte TgrScrollDataset::GetUpdateRecordTypes() {
    auto* source = dynamic_cast<TgrCursorDataSet*>(grid_->DataSet());
    return source ? source->CursorUpdateRecordTypes() : 0;
}

bool TgrScrollDataset::FilterChanged() {
    if (!active_ || !dataSet_) return false;
    if (dataSet_->Filtered() != filtered_) return true;
    return dataSet_->Filtered() && (dataSet_->Filter() != filter_ || dataSet_->FilterOptions() != filterOptions_);
}

bool TgrScrollDataset::MasterChanged() {
    if (!active_) return false;
    TDataSource* master = GetMasterSource();
    if (master != masterSource_) return true;
    if (!master) return false;
    if (GetMasterFields() != masterFields_) return true;
    return !MasterValuesEqual(GetMasterValues(), masterValues_);
}

bool TgrScrollDataset::UpdateRecordTypesChanged() {
    return active_ && GetUpdateRecordTypes() != updateRecordTypes_;
}

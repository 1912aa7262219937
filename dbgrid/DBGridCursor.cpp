#include "dbgrid/DBGridCursor.h"

#include <algorithm>
#include <deque>

#include "dbgrid/DBGrid.h"
#include "platform/data/DataSet.h"

void TgrScrollDataset::ActiveChanged(bool active) {
    if (active && !active_) {
        dataSet_ = grid_->DataLink()->DataSet();
        size_ = std::max<Integer>(grid_->VisibleRecordCount(), 1);
        if (!Open()) dataSet_ = nullptr;
    } else if (!active && active_) {
        Close();
    }
    // The dataset's own buffer holds only its current record.
    if (grid_->DataLink()->Active()) grid_->DataLink()->SetBufferCount(1);
}

bool TgrScrollDataset::Open() {
    auto* source = dynamic_cast<TgrCursorDataSet*>(dataSet_);
    if (!source) return false;
    cursor_ = source->CloneCursor();
    if (!cursor_) return false;
    active_ = true;
    recordCount_ = -1;
    knownCount_ = 0;
    First();
    return true;
}

void TgrScrollDataset::Close() {
    cursor_.reset();
    slots_.clear();
    active_ = false;
    dataSet_ = nullptr;
    top_ = 1;
    bottom_ = 0;
    activeRow_ = -1;
    activeBookmark_.clear();
}

void TgrScrollDataset::NoteCount(Integer count) {
    recordCount_ = count;
    knownCount_ = count;
}

void TgrScrollDataset::FillForward(Integer firstNumber) {
    slots_.clear();
    eof_ = false;
    while (Integer(slots_.size()) < size_) {
        Slot s;
        if (cursor_->Next(&s.Values) != kEngineOk) {
            eof_ = true;
            NoteCount(firstNumber + Integer(slots_.size()) - 1);
            break;
        }
        s.Bookmark = cursor_->GetBookmark();
        slots_.push_back(std::move(s));
    }
    top_ = firstNumber;
    bottom_ = top_ + Integer(slots_.size()) - 1;
    knownCount_ = std::max(knownCount_, bottom_);
}

void TgrScrollDataset::First() {
    if (!active_) return;
    cursor_->SetToBegin();
    FillForward(1);
    bof_ = true;
}

void TgrScrollDataset::Last() {
    if (!active_) return;
    cursor_->SetToEnd();
    std::deque<Slot> read;
    bool atStart = false;
    while (Integer(read.size()) < size_) {
        Slot s;
        if (cursor_->Prior(&s.Values) != kEngineOk) {
            atStart = true;
            break;
        }
        s.Bookmark = cursor_->GetBookmark();
        read.push_front(std::move(s));
    }
    slots_.assign(read.begin(), read.end());
    eof_ = true;
    bof_ = atStart;
    // Counting down from the end: the count is known when the whole data
    // fit, else the numbers rest on the estimate.
    if (atStart) NoteCount(Integer(slots_.size()));
    bottom_ = recordCount_ >= 0 ? recordCount_ : std::max(GetRecordCount(), Integer(slots_.size()));
    top_ = bottom_ - Integer(slots_.size()) + 1;
}

Integer TgrScrollDataset::GetRecordCount() {
    if (!active_) return 0;
    if (recordCount_ >= 0) return recordCount_;
    return knownCount_ + std::max(knownCount_ / 10, size_);
}

void TgrScrollDataset::SetActiveRow(Integer row) {
    activeRow_ = -1;
    activeBookmark_.clear();
    if (row >= 1 && row <= GetRowCount()) {
        activeRow_ = row;
        activeBookmark_ = GetRowBookmark(row);
    }
}

Integer TgrScrollDataset::GetRecNo() { return activeRow_ > 0 ? top_ + activeRow_ - 1 : -1; }

Integer TgrScrollDataset::GetCurrentRecordRow() { return GetBookmarkRow(GetCurrentBookmark()); }

std::string TgrScrollDataset::GetRowBookmark(Integer row) {
    if (!active_ || row < 1 || row > GetRowCount()) return std::string();
    return slots_[std::size_t(row - 1)].Bookmark;
}

bool TgrScrollDataset::ReadRowValue(Integer row, Integer fieldIndex, Variant& value) {
    if (!active_ || row < 1 || row > GetRowCount()) return false;
    const Slot& s = slots_[std::size_t(row - 1)];
    if (fieldIndex < 0 || fieldIndex >= Integer(s.Values.size())) return false;
    value = s.Values[std::size_t(fieldIndex)];
    return true;
}

Integer TgrScrollDataset::ScrollBy(Integer distance) {
    if (!active_ || slots_.empty()) return 0;
    Integer moved = 0;
    while (moved < distance) {
        if (cursor_->GotoBookmark(slots_.back().Bookmark) != kEngineOk) break;
        Slot s;
        if (cursor_->Next(&s.Values) != kEngineOk) {
            eof_ = true;
            NoteCount(bottom_);
            break;
        }
        s.Bookmark = cursor_->GetBookmark();
        slots_.push_back(std::move(s));
        ++bottom_;
        if (Integer(slots_.size()) > size_) {
            slots_.erase(slots_.begin());
            ++top_;
            bof_ = false;
        }
        knownCount_ = std::max(knownCount_, bottom_);
        ++moved;
    }
    while (moved > distance) {
        if (cursor_->GotoBookmark(slots_.front().Bookmark) != kEngineOk) break;
        Slot s;
        if (cursor_->Prior(&s.Values) != kEngineOk) {
            bof_ = true;
            // At the start the numbers are exact again.
            Integer shift = 1 - top_;
            top_ += shift;
            bottom_ += shift;
            break;
        }
        s.Bookmark = cursor_->GetBookmark();
        slots_.insert(slots_.begin(), std::move(s));
        top_ = std::max<Integer>(top_ - 1, 1);
        if (Integer(slots_.size()) > size_) {
            slots_.pop_back();
            eof_ = false;
        }
        bottom_ = top_ + Integer(slots_.size()) - 1;
        --moved;
    }
    return moved;
}

bool TgrScrollDataset::SetWindowSize(Integer count) {
    count = std::max<Integer>(count, 1);
    Integer before = GetRowCount();
    size_ = count;
    if (!active_) return false;
    std::string first = slots_.empty() ? std::string() : slots_.front().Bookmark;
    Integer number = top_;
    if (first.empty() || cursor_->GotoBookmark(first) != kEngineOk) {
        First();
    } else {
        // Re-read from the first row on, then fill from above when the
        // window reaches past the end.
        cursor_->Prior(nullptr);
        FillForward(number);
        if (GetRowCount() < size_ && !bof_) ScrollBy(GetRowCount() - size_);
    }
    return GetRowCount() > before;
}

bool TgrScrollDataset::ShowRecord(const std::string& bookmark) {
    if (!active_ || bookmark.empty()) return false;
    if (GetBookmarkRow(bookmark) >= 1) return true;
    bool after = !slots_.empty() && CompareBookmarks(bookmark, slots_.back().Bookmark) > 0;
    if (cursor_->GotoBookmark(bookmark) != kEngineOk) return false;
    // After a jump the numbers are a guess held inside the known range.
    Integer number = after ? bottom_ + 1 : std::max<Integer>(top_ - size_, 1);
    cursor_->Prior(nullptr);
    FillForward(number);
    if (GetRowCount() < size_) ScrollBy(GetRowCount() - size_);
    return GetBookmarkRow(bookmark) >= 1;
}

bool TgrScrollDataset::GotoBookmark(const std::string& bookmark) {
    if (!active_ || !dataSet_->BookmarkValid(bookmark)) return false;
    dataSet_->GotoBookmark(bookmark);
    return true;
}

std::string TgrScrollDataset::GetCurrentBookmark() {
    return active_ && dataSet_ && !dataSet_->IsEmpty() ? dataSet_->GetBookmark() : std::string();
}

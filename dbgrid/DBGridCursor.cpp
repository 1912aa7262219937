#include "dbgrid/DBGridCursor.h"

#include <algorithm>
#include <deque>

#include "dbgrid/DBGrid.h"
#include "platform/data/DataSet.h"
#include "platform/data/Field.h"

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
    BuildFieldLayouts();
}

bool TgrScrollDataset::Open() {
    auto* source = dynamic_cast<TgrCursorDataSet*>(dataSet_);
    if (!source) return false;
    cursor_ = source->CloneCursor();
    if (!cursor_) return false;
    active_ = true;
    recordCount_ = -1;
    knownCount_ = 0;
    RememberIndex();
    First();
    return true;
}

void TgrScrollDataset::Reopen() {
    TDataSet* dataSet = grid_->DataLink()->DataSet();
    Close();
    dataSet_ = dataSet;
    if (!Open()) dataSet_ = nullptr;
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
    Reset();
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
        if (ReadSlot(s, 1) != kEngineOk) {
            eof_ = true;
            NoteCount(firstNumber + Integer(slots_.size()) - 1);
            break;
        }
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
        if (ReadSlot(s, -1) != kEngineOk) {
            atStart = true;
            break;
        }
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

Integer TgrScrollDataset::GetTotalRecordCount(bool refresh) {
    if (!active_ || !dataSet_) return 0;
    if (refresh || recordCount_ < 0) {
        NoteCount(std::max(dataSet_->RecordCount(), 0));
        // Rows numbered from an estimate are renumbered from the end.
        if (eof_ && bottom_ != recordCount_) {
            top_ += recordCount_ - bottom_;
            bottom_ = recordCount_;
        }
    }
    return recordCount_;
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

Integer TgrScrollDataset::ScrollBy(Integer distance) {
    if (!active_ || slots_.empty()) return 0;
    Integer moved = 0;
    while (moved < distance) {
        if (cursor_->GotoBookmark(slots_.back().Bookmark) != kEngineOk) break;
        Slot s;
        if (ReadSlot(s, 1) != kEngineOk) {
            eof_ = true;
            NoteCount(bottom_);
            break;
        }
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
        if (ReadSlot(s, -1) != kEngineOk) {
            bof_ = true;
            // At the start the numbers are exact again.
            Integer shift = 1 - top_;
            top_ += shift;
            bottom_ += shift;
            break;
        }
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

Integer TgrScrollDataset::MoveActiveRowBy(Integer distance, Integer& scrolled) {
    scrolled = 0;
    if (!active_ || activeRow_ < 1 || distance == 0) return 0;
    Integer old = activeRow_, rows = GetRowCount();
    if (distance < 0) {
        if (-distance < old) {
            SetActiveRow(old + distance);
            return distance;
        }
        scrolled = ScrollBy(old + distance - 1);
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
    // The new record has no bookmark yet: its placeholder is current.
    if (inserting_) return std::string();
    return active_ && dataSet_ && !dataSet_->IsEmpty() ? dataSet_->GetBookmark() : std::string();
}

// ------------------------------------------------------------ pending records

void TgrScrollDataset::BeginInsert(const std::string& beforeBookmark) {
    if (!active_) return;
    if (beforeBookmark.empty() || !ShowRecord(beforeBookmark)) {
        BeginAppend();
        return;
    }
    Integer row = GetBookmarkRow(beforeBookmark);
    if (row > 1) {
        insertionBookmark_ = slots_[std::size_t(row - 2)].Bookmark;
    } else {
        // Row 1: the record before it is the cursor's to find.
        insertionBookmark_.clear();
        if (cursor_->GotoBookmark(beforeBookmark) == kEngineOk && cursor_->Prior(nullptr) == kEngineOk)
            insertionBookmark_ = cursor_->GetBookmark();
    }
    // The rows from the record down move down by one; a full window loses
    // its last row.
    slots_.insert(slots_.begin() + (row - 1), Slot{});
    if (Integer(slots_.size()) > size_) {
        slots_.pop_back();
        eof_ = false;
    } else {
        ++bottom_;
    }
    ++knownCount_;
    if (recordCount_ >= 0) ++recordCount_;
    inserting_ = true;
    bof_ = eof_ = false;
    SetActiveRow(row);
}

void TgrScrollDataset::BeginAppend() {
    if (!active_) return;
    Last();
    insertionBookmark_ = slots_.empty() ? std::string() : slots_.back().Bookmark;
    slots_.push_back(Slot{});
    ++bottom_;
    if (Integer(slots_.size()) > size_) {
        slots_.erase(slots_.begin());
        ++top_;
    }
    if (slots_.size() == 1) top_ = bottom_ = 1;
    ++knownCount_;
    if (recordCount_ >= 0) ++recordCount_;
    inserting_ = true;
    bof_ = eof_ = false;
    SetActiveRow(GetRowCount());
}

void TgrScrollDataset::EndInsert() {
    if (!inserting_) return;
    inserting_ = false;
    Integer row = FindBookmarkRow(std::string());
    if (row >= 1 && row <= GetRowCount() && slots_[std::size_t(row - 1)].Bookmark.empty()) {
        slots_.erase(slots_.begin() + (row - 1));
        --bottom_;
        if (knownCount_ > 0) --knownCount_;
        if (recordCount_ > 0) --recordCount_;
    }
    insertionBookmark_.clear();
    // Whatever the dataset kept, the window shows its current record.
    std::string current = GetCurrentBookmark();
    if (!current.empty()) ShowRecord(current);
    SetActiveRow(GetCurrentRecordRow());
}

// ------------------------------------------------------------ searches

std::string TgrScrollDataset::CellText(Slot& slot, Integer dataCol) {
    TgrDBField* adapter = grid_->FieldAdapter(dataCol);
    if (!adapter) return std::string();
    // The adapter reads the slot as if it were the active row.
    Slot* saved = scanSlot_;
    scanSlot_ = &slot;
    std::string text;
    try {
        text = adapter->GetDisplayText();
    } catch (...) {
        scanSlot_ = saved;
        throw;
    }
    scanSlot_ = saved;
    return text;
}

std::string TgrScrollDataset::ScanForValue(const std::string& start, const std::string& stop, const std::string& text,
                                           Integer dataCol, bool wholeText, const TgrValueMatch& startsWith,
                                           bool& found) {
    found = false;
    if (text.empty()) return start;
    if (!active_) return std::string();
    std::string back = cursor_->GetBookmark(), best;
    std::size_t bestLen = 0;
    try {
        if (start.empty()) cursor_->SetToBegin();
        else if (cursor_->GotoBookmark(start) != kEngineOk || cursor_->Prior(nullptr) != kEngineOk)
            cursor_->SetToBegin();
        Slot slot;
        while (ReadSlot(slot, 1) == kEngineOk) {
            if (!stop.empty() && CompareBookmarks(slot.Bookmark, stop) > 0) break;
            std::string value = CellText(slot, dataCol);
            std::size_t len = wholeText ? text.size() : std::min(text.size(), value.size());
            if (len > bestLen && startsWith(value, text.substr(0, len))) {
                best = slot.Bookmark;
                bestLen = len;
                found = true;
                if (len == text.size()) break;
            }
        }
    } catch (const std::exception&) {
        found = false;
        best.clear();
    }
    if (!back.empty()) cursor_->GotoBookmark(back);
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
    std::string back = cursor_->GetBookmark(), record, value;
    int status = kEngineOk;
    try {
        status = cursor_->GotoKey(key);
        Slot slot;
        if (status == kEngineOk && ReadSlot(slot, 1) == kEngineOk) {
            record = slot.Bookmark;
            value = CellText(slot, dataCol);
        }
    } catch (...) {
        if (!back.empty()) cursor_->GotoBookmark(back);
        throw;
    }
    if (!back.empty()) cursor_->GotoBookmark(back);
    // Without an index the data is scanned instead.
    if (status != kEngineOk) return ScanForValue(std::string(), std::string(), text, dataCol, wholeText, startsWith, found);
    if (record.empty()) return std::string();
    std::size_t len = wholeText ? text.size() : std::min(text.size(), value.size());
    found = len > 0 && startsWith(value, text.substr(0, len));
    return record;
}

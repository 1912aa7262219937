#pragma once
// TArrayDataSet: a small dataset over an in-memory array of rows, for tests
// of the framework and of code written against it. Field definitions are
// set before opening; rows stay when the dataset is closed (as long as the
// definitions are not changed). Bookmarks are the row's serial number as
// four little-endian bytes, so the first bookmarks hold NUL bytes.
// Header-only so any test executable can use it.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/data/DB.h"

class TArrayDataSet : public TDataSet {
public:
    explicit TArrayDataSet(TComponent* owner = nullptr) : TDataSet(owner) {}
    ~TArrayDataSet() override { Close(); }

    int RowCount() const { return static_cast<int>(rows_.size()); }
    bool ReadOnlyDataSet = false;

    int CompareBookmarks(const TBookmark& a, const TBookmark& b) override {
        if (a.empty() || b.empty()) return a.empty() == b.empty() ? 0 : (a.empty() ? -1 : 1);
        int ia = IndexOfSerial(SerialOf(a)), ib = IndexOfSerial(SerialOf(b));
        return ia < ib ? -1 : (ia > ib ? 1 : 0);
    }
    bool BookmarkValid(const TBookmark& b) override {
        return b.size() == 4 && IndexOfSerial(SerialOf(b)) >= 0;
    }

protected:
    struct Header {
        std::uint32_t serial;
        TBookmarkFlag flag;
    };
    static constexpr int HeaderSize = static_cast<int>(sizeof(Header));

    TRecordBuffer AllocRecordBuffer() override {
        auto* b = new char[static_cast<std::size_t>(BufferSize())];
        std::memset(b, 0, static_cast<std::size_t>(BufferSize()));
        return b;
    }
    void FreeRecordBuffer(TRecordBuffer& buffer) override {
        delete[] buffer;
        buffer = nullptr;
    }
    int GetRecordSize() override { return dataSize_; }

    TGetResult GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck) override {
        int n = RowCount();
        switch (mode) {
        case gmCurrent:
            if (cursor_ < 0) return grBOF;
            if (cursor_ >= n) return grEOF;
            break;
        case gmNext:
            if (cursor_ >= n - 1) {
                cursor_ = n;
                return grEOF;
            }
            ++cursor_;
            break;
        case gmPrior:
            if (cursor_ <= 0) {
                cursor_ = -1;
                return grBOF;
            }
            --cursor_;
            break;
        }
        const Row& row = rows_[static_cast<std::size_t>(cursor_)];
        Header h{row.serial, bfCurrent};
        std::memcpy(buffer, &h, sizeof h);
        std::memcpy(buffer + HeaderSize, row.data.data(), static_cast<std::size_t>(dataSize_));
        GetCalcFields(buffer);
        return grOK;
    }

    void InternalInitRecord(TRecordBuffer buffer) override {
        std::memset(buffer, 0, static_cast<std::size_t>(BufferSize()));
    }
    void InternalOpen() override {
        InternalInitFieldDefs();
        if (DefaultFields()) CreateFields();
        BindFields(true);
        offsets_.clear();
        dataSize_ = 0;
        for (int i = 0; i < Fields().Count(); ++i) {
            TField* f = Fields()[i];
            if (f->FieldKind() != fkData) continue;
            offsets_[f->FieldNo()] = dataSize_;
            dataSize_ += 1 + f->DataSize();
        }
        for (Row& r : rows_) r.data.resize(static_cast<std::size_t>(dataSize_), '\0');
        SetBookmarkSize(4);
        cursor_ = -1;
        open_ = true;
    }
    void InternalClose() override {
        BindFields(false);
        if (DefaultFields()) DestroyFields();
        open_ = false;
    }
    bool IsCursorOpen() override { return open_; }
    void InternalInitFieldDefs() override {}
    void InternalFirst() override { cursor_ = -1; }
    void InternalLast() override { cursor_ = RowCount(); }
    void InternalSetToRecord(TRecordBuffer buffer) override {
        int i = IndexOfSerial(HeaderOf(buffer).serial);
        if (i >= 0) cursor_ = i;
    }
    void InternalGotoBookmark(const TBookmark& bookmark) override {
        int i = bookmark.size() == 4 ? IndexOfSerial(SerialOf(bookmark)) : -1;
        if (i < 0) DatabaseError(DBConsts::SRecordNotFound, Name());
        cursor_ = i;
    }
    void GetBookmarkData(TRecordBuffer buffer, TBookmark& data) override {
        std::uint32_t s = HeaderOf(buffer).serial;
        data.assign(reinterpret_cast<const char*>(&s), 4);
    }
    void SetBookmarkData(TRecordBuffer buffer, const TBookmark& data) override {
        Header h = HeaderOf(buffer);
        h.serial = data.size() == 4 ? SerialOf(data) : 0;
        std::memcpy(buffer, &h, sizeof h);
    }
    TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) override { return HeaderOf(buffer).flag; }
    void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) override {
        Header h = HeaderOf(buffer);
        h.flag = flag;
        std::memcpy(buffer, &h, sizeof h);
    }
    void InternalPost() override {
        TDataSet::InternalPost();
        TRecordBuffer b = ActiveBuffer();
        std::string data(b + HeaderSize, static_cast<std::size_t>(dataSize_));
        if (State() == dsEdit) {
            rows_[static_cast<std::size_t>(cursor_)].data = data;
            return;
        }
        Row row{nextSerial_++, data};
        Header h = HeaderOf(b);
        int at;
        if (h.flag == bfEOF)
            at = RowCount();
        else if (h.flag == bfBOF)
            at = 0;
        else {
            at = IndexOfSerial(h.serial);
            if (at < 0) at = RowCount();
        }
        rows_.insert(rows_.begin() + at, row);
        cursor_ = at;
    }
    void InternalDelete() override {
        if (cursor_ >= 0 && cursor_ < RowCount()) rows_.erase(rows_.begin() + cursor_);
    }
    int GetRecordCount() override {
        CheckActive();
        return RowCount();
    }
    int GetRecNo() override {
        if (!Active() || IsEmpty()) return -1;
        TRecordBuffer b = State() == dsCalcFields ? CalcBuffer() : ActiveBuffer();
        int i = IndexOfSerial(HeaderOf(b).serial);
        return i < 0 ? -1 : i + 1;
    }
    void SetRecNoValue(int value) override {
        CheckBrowseMode();
        if (value < 1 || value > RowCount() || value == RecNo()) return;
        DoBeforeScroll();
        cursor_ = value - 1;
        Resync(rmCenter);
        DoAfterScroll();
    }
    bool GetCanModify() const override { return !ReadOnlyDataSet; }

    bool GetFieldData(TField* field, void* buffer) override {
        TRecordBuffer rec = CurrentBuffer();
        if (!rec) return false;
        const char* p;
        if (field->FieldKind() == fkCalculated || field->FieldKind() == fkLookup)
            p = rec + HeaderSize + dataSize_ + field->Offset();
        else {
            auto it = offsets_.find(field->FieldNo());
            if (it == offsets_.end()) return false;
            p = rec + HeaderSize + it->second;
        }
        if (!p[0]) return false;
        if (buffer) std::memcpy(buffer, p + 1, static_cast<std::size_t>(field->DataSize()));
        return true;
    }
    using TDataSet::GetFieldData;

    void SetFieldData(TField* field, const void* buffer) override {
        TDataSetState s = State();
        if (s != dsEdit && s != dsInsert && s != dsSetKey && s != dsCalcFields && s != dsFilter &&
            s != dsNewValue && s != dsInternalCalc)
            DatabaseError(DBConsts::SNotEditing, Name());
        bool calc = field->FieldKind() == fkCalculated || field->FieldKind() == fkLookup;
        if (!calc && field->ReadOnly() && s != dsSetKey)
            DatabaseErrorFmt(DBConsts::SFieldReadOnly, {field->DisplayName()});
        if (!calc) field->Validate(buffer);
        TRecordBuffer rec = CurrentBuffer();
        if (!rec) return;
        char* p;
        if (calc)
            p = rec + HeaderSize + dataSize_ + field->Offset();
        else
            p = rec + HeaderSize + offsets_.at(field->FieldNo());
        p[0] = buffer ? 1 : 0;
        if (buffer)
            std::memcpy(p + 1, buffer, static_cast<std::size_t>(field->DataSize()));
        else
            std::memset(p + 1, 0, static_cast<std::size_t>(field->DataSize()));
        if (s != dsCalcFields && s != dsFilter && s != dsNewValue)
            DataEvent(deFieldChange, reinterpret_cast<std::intptr_t>(field));
    }
    using TDataSet::SetFieldData;

    void ClearCalcFields(TRecordBuffer buffer) override {
        std::memset(buffer + HeaderSize + dataSize_, 0, static_cast<std::size_t>(CalcFieldsSize()));
    }

private:
    struct Row {
        std::uint32_t serial;
        std::string data;
    };

    int BufferSize() const { return HeaderSize + dataSize_ + CalcFieldsSize(); }
    static Header HeaderOf(TRecordBuffer buffer) {
        Header h;
        std::memcpy(&h, buffer, sizeof h);
        return h;
    }
    static std::uint32_t SerialOf(const TBookmark& b) {
        std::uint32_t s = 0;
        std::memcpy(&s, b.data(), std::min<std::size_t>(4, b.size()));
        return s;
    }
    int IndexOfSerial(std::uint32_t serial) const {
        for (std::size_t i = 0; i < rows_.size(); ++i)
            if (rows_[i].serial == serial) return static_cast<int>(i);
        return -1;
    }
    TRecordBuffer CurrentBuffer() const {
        switch (State()) {
        case dsBrowse:
        case dsBlockRead:
            return IsEmpty() ? nullptr : ActiveBuffer();
        case dsEdit:
        case dsInsert:
        case dsNewValue:
            return ActiveBuffer();
        case dsCalcFields:
            return CalcBuffer();
        default:
            return nullptr;
        }
    }

    std::vector<Row> rows_;
    std::map<int, int> offsets_;
    int dataSize_ = 0;
    int cursor_ = -1;
    bool open_ = false;
    std::uint32_t nextSerial_ = 1;
};

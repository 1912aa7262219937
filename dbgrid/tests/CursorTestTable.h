#pragma once
// A test-only engine cursor: a memory table whose clone cursor walks a copy
// of its records, held as the engine's native values by field number. Like
// an engine's clone, it sees records posted or deleted in the table: the
// copy is taken anew on its next call, and the cursor keeps its record (a
// record gone leaves it on the gap, where the next step reaches the record
// after it).

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dbgrid/DBGridCursor.h"
#include "memtable/MemTable.h"
#include "platform/core/CodePage.h"
#include "platform/data/Field.h"

// A cursor over a copy of the records; it counts its steps.
class TTestCursor : public TgrEngineCursor {
public:
    struct Row {
        std::string Bookmark;
        std::vector<Variant> Values;
    };
    // indexed: the rows are in the order of their first value, which a key
    // search can use.
    TTestCursor(std::vector<Row> rows, int* steps, bool indexed = false, TgrCursorCharSet charSet = ccsUtf8)
        : rows_(std::move(rows)), steps_(steps), indexed_(indexed), charSet_(charSet) {}
    // Takes the copy anew from take whenever *version changes.
    void Follow(const int* version, std::function<std::vector<Row>()> take) {
        version_ = version;
        seen_ = *version;
        take_ = std::move(take);
    }
    // Records numbered by sequence numbers (1..count).
    bool Sequenced = false;
    TgrSequenceKind SequenceKind() const override { return Sequenced ? skSequenced : skNone; }
    int GetSequenceNumber(Integer& number) override {
        Sync();
        number = -1;
        if (gap_ || pos_ < 0 || pos_ >= int(rows_.size())) return kEngineNoCurrent;
        number = pos_ + 1;
        return kEngineOk;
    }
    int GotoSequenceNumber(Integer number) override {
        Sync();
        if (!Sequenced) return kEngineNotSupported;
        ++*steps_;
        gap_ = false;
        if (number < 1) {
            pos_ = -1;
            return kEngineAtStart;
        }
        if (number > Integer(rows_.size())) {
            pos_ = int(rows_.size());
            return kEngineAtEnd;
        }
        pos_ = int(number) - 1;
        return kEngineOk;
    }
    TgrCursorCharSet CharSet() const override { return charSet_; }
    int GotoKey(const TgrEngineRecord& key) override {
        Sync();
        gap_ = false;
        if (!indexed_) return kEngineNoIndex;
        for (std::size_t i = 0; i < rows_.size(); ++i)
            if (rows_[i].Values[0].AsDouble() >= key[0].AsDouble()) {
                pos_ = int(i) - 1;
                return kEngineOk;
            }
        // Past the last key: the next step reaches the end.
        pos_ = int(rows_.size()) - 1;
        return kEngineOk;
    }
    void SetToBegin() override {
        Sync();
        gap_ = false;
        pos_ = -1;
    }
    void SetToEnd() override {
        Sync();
        gap_ = false;
        pos_ = int(rows_.size());
    }
    int Next(std::vector<Variant>* record) override {
        Sync();
        ++*steps_;
        // On a gap the record after it is the one at the gap's place.
        if (gap_) {
            gap_ = false;
            --pos_;
        }
        if (pos_ + 1 >= int(rows_.size())) {
            pos_ = int(rows_.size());
            return kEngineAtEnd;
        }
        ++pos_;
        return Current(record);
    }
    int Prior(std::vector<Variant>* record) override {
        Sync();
        ++*steps_;
        gap_ = false;
        if (pos_ - 1 < 0) {
            pos_ = -1;
            return kEngineAtStart;
        }
        --pos_;
        return Current(record);
    }
    int Current(std::vector<Variant>* record) override {
        Sync();
        if (gap_) return kEngineNoCurrent;
        if (pos_ < 0 || pos_ >= int(rows_.size())) return kEngineNoCurrent;
        if (record) *record = rows_[std::size_t(pos_)].Values;
        return kEngineOk;
    }
    std::string GetBookmark() override {
        Sync();
        return !gap_ && pos_ >= 0 && pos_ < int(rows_.size()) ? rows_[std::size_t(pos_)].Bookmark : "";
    }
    int GotoBookmark(const std::string& bookmark) override {
        Sync();
        gap_ = false;
        for (std::size_t i = 0; i < rows_.size(); ++i)
            if (rows_[i].Bookmark == bookmark) {
                pos_ = int(i);
                return kEngineOk;
            }
        return kEngineNoCurrent;
    }

private:
    void Sync() {
        if (!version_ || *version_ == seen_) return;
        seen_ = *version_;
        std::string at = !gap_ && pos_ >= 0 && pos_ < int(rows_.size()) ? rows_[std::size_t(pos_)].Bookmark : "";
        bool onRecord = !at.empty();
        rows_ = take_();
        if (!onRecord) {
            if (pos_ >= 0) pos_ = std::min(pos_, int(rows_.size()));
            return;
        }
        for (std::size_t i = 0; i < rows_.size(); ++i)
            if (rows_[i].Bookmark == at) {
                pos_ = int(i);
                return;
            }
        // Its record is gone: the cursor stands on the gap it left.
        gap_ = true;
        pos_ = std::min(pos_, int(rows_.size()));
    }

    std::vector<Row> rows_;
    const int* version_ = nullptr;
    int seen_ = 0;
    std::function<std::vector<Row>()> take_;
    bool gap_ = false;
    int* steps_;
    bool indexed_ = false;
    TgrCursorCharSet charSet_;
    int pos_ = -1;
};

class TCursorTable : public TqmtMemTable, public TgrCursorDataSet {
public:
    using TqmtMemTable::TqmtMemTable;
    int Steps = 0;
    bool Indexed = false;
    // The clone cursors number their records.
    bool Sequenced = false;
    // Texts of string and memo fields are kept in Windows-1252.
    TgrCursorCharSet CharSet = ccsUtf8;
    // What the table's own cursor shows of updated records.
    Byte UpdateRecordTypes = 0;
    std::unique_ptr<TgrEngineCursor> CloneCursor() override {
        auto cursor = std::make_unique<TTestCursor>(TakeRows(), &Steps, Indexed, CharSet);
        cursor->Sequenced = Sequenced;
        cursor->Follow(&version_, [this] { return TakeRows(); });
        return cursor;
    }
    Byte CursorUpdateRecordTypes() override { return UpdateRecordTypes; }
    TDataSource* CursorMasterSource() const override { return MasterSource(); }
    std::string CursorMasterFields() const override { return MasterFields(); }

protected:
    void InternalPost() override {
        TqmtMemTable::InternalPost();
        ++version_;
    }
    void InternalAddRecord(TRecordBuffer buffer, bool append) override {
        TqmtMemTable::InternalAddRecord(buffer, append);
        ++version_;
    }
    void InternalDelete() override {
        TqmtMemTable::InternalDelete();
        ++version_;
    }
    // Taking a copy walks the table; its controls hear nothing of it.
    void DataEvent(TDataEvent event, std::intptr_t info) override {
        if (!taking_) TqmtMemTable::DataEvent(event, info);
    }

private:
    std::vector<TTestCursor::Row> TakeRows() {
        std::vector<TTestCursor::Row> rows;
        bool was = taking_;
        taking_ = true;
        std::string back = IsEmpty() ? std::string() : GetBookmark();
        DisableControls();
        for (First(); !Eof(); Next()) {
            TTestCursor::Row r{GetBookmark(), {}};
            // The engine's record: the native value of each data field by
            // its field number.
            for (int i = 0; i < FieldCount(); ++i)
                if (TField* f = Fields()[i]; f->FieldNo() > 0) {
                    if (int(r.Values.size()) < f->FieldNo()) r.Values.resize(std::size_t(f->FieldNo()));
                    Variant native = ToEngineValue(f, f->AsVariant());
                    if (CharSet == ccsWindows1252 && (f->DataType() == ftString || f->DataType() == ftMemo) &&
                        native.IsString())
                        native = Variant(Utf8ToCp1252(native.AsString()));
                    r.Values[std::size_t(f->FieldNo() - 1)] = native;
                }
            rows.push_back(std::move(r));
        }
        if (!back.empty()) GotoBookmark(back);
        EnableControls();
        taking_ = was;
        return rows;
    }
    int version_ = 0;
    bool taking_ = false;
};

// A cursor table of count records, ID 1..count and Name "R<ID>", standing
// on its first record.
inline TCursorTable* MakeNumberedCursorTable(TComponent* owner, int count, bool sequenced = false) {
    auto* table = new TCursorTable(owner);
    table->FieldDefs().Add("ID", ftInteger);
    table->FieldDefs().Add("Name", ftString, 20);
    table->Sequenced = sequenced;
    table->Open();
    table->DisableControls();
    for (int i = 1; i <= count; ++i) table->AppendRecord({Variant(i), Variant("R" + std::to_string(i))});
    table->First();
    table->EnableControls();
    return table;
}

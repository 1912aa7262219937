#pragma once
// A test-only engine cursor: a memory table whose clone cursor walks a copy
// of its records, held as the engine's native values by field number.

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
    TgrCursorCharSet CharSet() const override { return charSet_; }
    int GotoKey(const TgrEngineRecord& key) override {
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
    void SetToBegin() override { pos_ = -1; }
    void SetToEnd() override { pos_ = int(rows_.size()); }
    int Next(std::vector<Variant>* record) override {
        ++*steps_;
        if (pos_ + 1 >= int(rows_.size())) {
            pos_ = int(rows_.size());
            return kEngineAtEnd;
        }
        ++pos_;
        return Current(record);
    }
    int Prior(std::vector<Variant>* record) override {
        ++*steps_;
        if (pos_ - 1 < 0) {
            pos_ = -1;
            return kEngineAtStart;
        }
        --pos_;
        return Current(record);
    }
    int Current(std::vector<Variant>* record) override {
        if (pos_ < 0 || pos_ >= int(rows_.size())) return kEngineNoCurrent;
        if (record) *record = rows_[std::size_t(pos_)].Values;
        return kEngineOk;
    }
    std::string GetBookmark() override { return pos_ >= 0 && pos_ < int(rows_.size()) ? rows_[std::size_t(pos_)].Bookmark : ""; }
    int GotoBookmark(const std::string& bookmark) override {
        for (std::size_t i = 0; i < rows_.size(); ++i)
            if (rows_[i].Bookmark == bookmark) {
                pos_ = int(i);
                return kEngineOk;
            }
        return kEngineNoCurrent;
    }

private:
    std::vector<Row> rows_;
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
    // Texts of string and memo fields are kept in Windows-1252.
    TgrCursorCharSet CharSet = ccsUtf8;
    std::unique_ptr<TgrEngineCursor> CloneCursor() override {
        std::vector<TTestCursor::Row> rows;
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
        return std::make_unique<TTestCursor>(std::move(rows), &Steps, Indexed, CharSet);
    }
};


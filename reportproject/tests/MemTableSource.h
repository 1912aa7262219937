#pragma once
// Serves a memory table through a connection component, for direct data
// views reading it over the data channel: one column per field of the
// table (fields of kinds a data row cannot carry are left out), the table's
// rows in its order, and filter requests applied as the table's own record
// filter. Also fills the score table the band reports print.
#include <cmath>
#include <string>
#include <vector>

#include "memtable/MemTable.h"
#include "reportproject/VpCon.h"
#include "reportproject/tests/BandProject.h"

class TMemTableSource {
public:
    explicit TMemTableSource(TqmtMemTable& table) : table_(table) {}
    TMemTableSource(const TMemTableSource&) = delete;
    TMemTableSource& operator=(const TMemTableSource&) = delete;
    ~TMemTableSource() {
        table_.OnFilterRecord = nullptr;
        table_.SetFiltered(false);
    }

    // The column type a field is served as; false for kinds a row cannot carry.
    static bool ColumnType(TFieldType type, TVPDataType& out) {
        switch (type) {
            case ftString: case ftFixedChar: case ftWideString: case ftGuid: out = dtString; return true;
            case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: out = dtInteger; return true;
            case ftLargeint: out = dtInt64; return true;
            case ftBoolean: out = dtBoolean; return true;
            case ftFloat: out = dtFloat; return true;
            case ftCurrency: out = dtCurrency; return true;
            case ftDate: out = dtDate; return true;
            case ftTime: out = dtTime; return true;
            case ftDateTime: case ftTimeStamp: out = dtDateTime; return true;
            case ftMemo: case ftFmtMemo: out = dtMemo; return true;
            default: return false;
        }
    }

    void Attach(TVizeDataConnect& c) {
        c.OnOpen = [this](TVizeDataConnect*) { table_.First(); };
        c.OnRestore = [this](TVizeDataConnect*) { Clear(); };
        c.OnGetCols = [this](TVizeDataConnect* s) {
            columns_.clear();
            for (int i = 0; i < table_.FieldCount(); ++i) {
                TField* f = table_.Fields()[i];
                TVPDataType type;
                if (!ColumnType(f->DataType(), type)) continue;
                columns_.push_back({f, type});
                s->WriteColumn(f->FieldName(), type, f->Size() > 0 ? f->Size() : f->DataSize());
            }
        };
        c.OnFirst = [this](TVizeDataConnect*) { table_.First(); };
        c.OnNext = [this](TVizeDataConnect*) { table_.Next(); };
        c.OnEOF = [this](TVizeDataConnect*) { return table_.Eof(); };
        c.OnGetRow = [this](TVizeDataConnect* s) { WriteRow(*s); };
        c.OnSetFilter = [this](TVizeDataConnect* s) { ReadFilter(s->Request()); };
    }

private:
    struct Column {
        TField* Field;
        TVPDataType Type;
    };
    // One "field = value" condition of a filter request; Field is null when
    // the table has no such field, and then no row passes.
    struct Condition {
        TField* Field = nullptr;
        Integer Type = 0;  // the sent value's type (0 also for a value without a field)
        std::string Text;
        Int64 Int = 0;
        double Float = 0;
    };

    void WriteRow(TVizeDataConnect& s) {
        for (int i = 0; i < int(columns_.size()); ++i) {
            const TField* f = columns_[i].Field;
            if (f->IsNull()) {
                s.WriteNullData(i);
                continue;
            }
            switch (columns_[i].Type) {
                case dtInteger: s.WriteIntegerData(i, f->AsInteger()); break;
                case dtInt64: s.WriteInt64Data(i, f->AsLargeInt()); break;
                case dtBoolean: s.WriteBooleanData(i, f->AsBoolean()); break;
                case dtFloat: s.WriteFloatData(i, f->AsFloat()); break;
                case dtCurrency: s.WriteCurrencyData(i, std::llround(f->AsFloat() * 10000)); break;
                case dtDate: case dtTime: case dtDateTime: s.WriteDateTimeData(i, f->AsDateTime()); break;
                default: s.WriteStringData(i, f->AsString()); break;
            }
        }
    }

    // Filter triples (name, operator, value text, sent type, typed value)
    // up to an empty name; an empty list shows every row again.
    void ReadFilter(TVizeChannelCursor& in) {
        conditions_.clear();
        for (;;) {
            std::string name = in.ReadString();
            if (name.empty()) break;
            in.ReadString();  // the operator: always "="
            Condition c;
            c.Text = in.ReadString();
            c.Type = in.ReadInteger();
            switch (c.Type) {
                case dtInteger: c.Int = in.ReadInteger(); break;
                case dtBoolean: c.Int = in.ReadByte(); break;
                case dtFloat: c.Float = in.ReadFloat(); break;
                case dtCurrency: case dtBCD: case dtInt64: c.Int = in.ReadInt64(); break;
                case dtDate: case dtTime: case dtDateTime: c.Float = in.ReadDouble(); break;
                default: break;
            }
            c.Field = table_.Fields().FindField(name);
            conditions_.push_back(c);
        }
        if (conditions_.empty()) return Clear();
        table_.OnFilterRecord = [this](TDataSet*, bool& accept) {
            for (const Condition& c : conditions_)
                if (!Matches(c)) {
                    accept = false;
                    return;
                }
        };
        table_.SetFiltered(true);
        table_.First();
    }

    void Clear() {
        conditions_.clear();
        table_.SetFiltered(false);
        table_.OnFilterRecord = nullptr;
    }

    // Typed values compare by value, anything else by the field's text.
    static bool Matches(const Condition& c) {
        if (!c.Field || c.Field->IsNull()) return false;
        switch (c.Type) {
            case dtInteger: case dtInt64: return c.Field->AsLargeInt() == c.Int;
            case dtBoolean: return c.Field->AsBoolean() == (c.Int != 0);
            case dtFloat: case dtDate: case dtTime: case dtDateTime: return c.Field->AsFloat() == c.Float;
            case dtCurrency: case dtBCD: return std::llround(c.Field->AsFloat() * 10000) == c.Int;
            default: return c.Field->AsString() == c.Text;
        }
    }

    TqmtMemTable& table_;
    std::vector<Column> columns_;
    std::vector<Condition> conditions_;
};

// The score rows the band reports print (Name, Team, Points, as TGenView
// makes them) into a new, open memory table.
inline void FillScoresTable(TqmtMemTable& table, int rows) {
    table.FieldDefs().Add("Name", ftString, 10);
    table.FieldDefs().Add("Team", ftString, 10);
    table.FieldDefs().Add("Points", ftInteger, 0);
    table.Open();
    for (int i = 1; i <= rows; ++i)
        table.AppendRecord({Variant(TGenView::NameOf(i)), Variant(TGenView::TeamOf(i)), Variant(Integer(i))});
    table.First();
}

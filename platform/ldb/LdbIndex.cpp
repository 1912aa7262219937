// Indexes of live cursors: key order, scopes, raw keys and seeking, and the
// navigation entry points, which take a cursor or one of its indexes.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/ldb/LdbEngine.h"

namespace ldbi {

namespace {

std::unique_lock<std::recursive_mutex> Lock() { return std::unique_lock(Engine::Instance().Mutex()); }

// One segment of a key: not set (ends the key), null, or a value; a text
// value may be a partial key.
struct KeyPart {
    enum Kind { NotSet, Null, Value, Partial } kind = NotSet;
    SqlValue value;
};
using Key = std::vector<KeyPart>;

struct Bound {
    Key key;
    int step = 0;         // 1: above equal keys, -1: below them
    std::string given;    // the scope as given
};

struct Index : Object {
    Index() : Object(LdbHandleIndex) {}
    LdbHandle cursor = 0;
    std::string name;
    std::vector<std::size_t> segments;  // cursor field positions
    bool unique = false;
    Key key;  // built by InitRawKey / SetField
    std::optional<Bound> top, bottom;
    std::vector<long> order;
    std::uint64_t orderedAt = ~0ull;
    std::size_t orderedRows = 0;
};

Index* IndexOf(LdbHandle h) { return Engine::Instance().Get<Index>(h, LdbHandleIndex); }
Cursor* CursorOf(LdbHandle h) { return Engine::Instance().Get<Cursor>(h, LdbHandleCursor); }

// A cursor, or an index and its cursor.
struct View {
    Cursor* c = nullptr;
    Index* ix = nullptr;
};

View ViewOf(LdbHandle h) {
    View v;
    if ((v.ix = IndexOf(h))) v.c = CursorOf(v.ix->cursor);
    else v.c = CursorOf(h);
    return v;
}

SqlValue FieldValue(const Cursor& c, const Row& row, std::size_t i) {
    const FieldInfo& f = c.fields[i];
    SqlValue v;
    std::string error;
    if (IsBlobType(f.t.type)) {
        if (!RawIsNull(f, row.record.data())) v = SqlValue::MakeText(row.content[i]);
    } else if (!DecodeRaw(f, row.record.data(), v, error)) {
        v = SqlValue();
    }
    return v;
}

bool AsNumber(const SqlValue& v, double& d) {
    if (v.kind == SqlValue::Int) d = static_cast<double>(v.i);
    else if (v.kind == SqlValue::Real) d = v.d;
    else return false;
    return true;
}

std::string TrimRight(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

// Orders two values of a segment (null first); with prefix, a text b
// that starts a counts as equal.
int CompareValues(const SqlValue& a, const SqlValue& b, bool prefix) {
    if (a.kind == SqlValue::Null || b.kind == SqlValue::Null)
        return (a.kind == SqlValue::Null ? 0 : 1) - (b.kind == SqlValue::Null ? 0 : 1);
    double x, y;
    if (AsNumber(a, x) && AsNumber(b, y)) return x < y ? -1 : (x > y ? 1 : 0);
    std::string s = TrimRight(a.kind == SqlValue::Text || a.kind == SqlValue::Blob ? a.s : std::to_string(a.i));
    std::string t = TrimRight(b.kind == SqlValue::Text || b.kind == SqlValue::Blob ? b.s : std::to_string(b.i));
    if (prefix && s.compare(0, t.size(), t) == 0) return 0;
    int r = s.compare(t);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int CompareRows(const Cursor& c, const Index& ix, const Row& a, const Row& b) {
    for (std::size_t f : ix.segments) {
        int r = CompareValues(FieldValue(c, a, f), FieldValue(c, b, f), false);
        if (r != 0) return r;
    }
    return 0;
}

// A row against a key: the segments the key sets.
int CompareKey(const Cursor& c, const Index& ix, const Row& row, const Key& key) {
    for (std::size_t i = 0; i < key.size() && i < ix.segments.size(); ++i) {
        if (key[i].kind == KeyPart::NotSet) break;
        SqlValue v = FieldValue(c, row, ix.segments[i]);
        int r = key[i].kind == KeyPart::Null ? CompareValues(v, SqlValue(), false)
                                             : CompareValues(v, key[i].value, key[i].kind == KeyPart::Partial);
        if (r != 0) return r;
    }
    return 0;
}

bool InScope(const Cursor& c, const Index& ix, const Row& row) {
    if (ix.top) {
        int r = CompareKey(c, ix, row, ix.top->key);
        if (r < 0 || (r == 0 && ix.top->step > 0)) return false;
    }
    if (ix.bottom) {
        int r = CompareKey(c, ix, row, ix.bottom->key);
        if (r > 0 || (r == 0 && ix.bottom->step < 0)) return false;
    }
    return true;
}

const std::vector<long>& Order(Cursor& c, Index& ix) {
    if (ix.orderedAt != c.changes || ix.orderedRows != c.rows.size()) {
        ix.order.resize(c.rows.size());
        for (std::size_t i = 0; i < c.rows.size(); ++i) ix.order[i] = static_cast<long>(i);
        std::stable_sort(ix.order.begin(), ix.order.end(), [&](long a, long b) {
            return CompareRows(c, ix, c.rows[static_cast<std::size_t>(a)], c.rows[static_cast<std::size_t>(b)]) < 0;
        });
        ix.orderedAt = c.changes;
        ix.orderedRows = c.rows.size();
    }
    return ix.order;
}

bool Visible(const View& v, const Row& row) { return RowVisible(*v.c, row) && (!v.ix || InScope(*v.c, *v.ix, row)); }

// The rows in the view's order, as positions in the cursor.
std::vector<long> Sequence(const View& v) {
    if (v.ix) return Order(*v.c, *v.ix);
    std::vector<long> s(v.c->rows.size());
    for (std::size_t i = 0; i < s.size(); ++i) s[i] = static_cast<long>(i);
    return s;
}

// The cursor's place in a sequence: -1 before it, size() after it.
long PlaceIn(const View& v, const std::vector<long>& seq) {
    if (v.c->pos < 0) return -1;
    if (v.c->pos >= static_cast<long>(v.c->rows.size())) return static_cast<long>(seq.size());
    auto it = std::find(seq.begin(), seq.end(), v.c->pos);
    return it == seq.end() ? -1 : static_cast<long>(it - seq.begin());
}

void SetPlace(const View& v, const std::vector<long>& seq, long k) {
    if (k < 0) v.c->pos = -1;
    else if (k >= static_cast<long>(seq.size())) v.c->pos = static_cast<long>(v.c->rows.size());
    else v.c->pos = seq[static_cast<std::size_t>(k)];
}

long NextIn(const View& v, const std::vector<long>& seq, long k) {
    for (long i = k + 1; i < static_cast<long>(seq.size()); ++i)
        if (Visible(v, v.c->rows[static_cast<std::size_t>(seq[static_cast<std::size_t>(i)])])) return i;
    return static_cast<long>(seq.size());
}

long PriorIn(const View& v, const std::vector<long>& seq, long k) {
    for (long i = std::min(k, static_cast<long>(seq.size())) - 1; i >= 0; --i)
        if (Visible(v, v.c->rows[static_cast<std::size_t>(seq[static_cast<std::size_t>(i)])])) return i;
    return -1;
}

template <typename F>
LdbResult WithView(LdbHandle h, bool writeFirst, F f) {
    auto lock = Lock();
    View v = ViewOf(h);
    if (!v.c) return InvalidHandle(h);
    if (writeFirst) {
        LdbResult r = WritePending(*v.c);
        if (r != LdbSuccess) return r;
    }
    return f(v);
}

template <typename F>
LdbResult WithIndex(LdbHandle h, F f) {
    auto lock = Lock();
    Index* ix = IndexOf(h);
    Cursor* c = ix ? CursorOf(ix->cursor) : nullptr;
    if (!c) return InvalidHandle(h);
    return f(*c, *ix);
}

// Key bytes: a step byte, then per segment a kind byte and, for a value,
// its type byte and its text or 8 bytes.
std::string Encode(const Key& key, int step) {
    std::string out(1, static_cast<char>(step));
    for (const KeyPart& p : key) {
        out += static_cast<char>(p.kind);
        if (p.kind != KeyPart::Value && p.kind != KeyPart::Partial) continue;
        out += static_cast<char>(p.value.kind);
        if (p.value.kind == SqlValue::Int) out.append(reinterpret_cast<const char*>(&p.value.i), 8);
        else if (p.value.kind == SqlValue::Real) out.append(reinterpret_cast<const char*>(&p.value.d), 8);
        else {
            auto n = static_cast<std::uint16_t>(std::min<std::size_t>(p.value.s.size(), 65535));
            out.append(reinterpret_cast<const char*>(&n), 2);
            out.append(p.value.s, 0, n);
        }
    }
    return out;
}

bool Decode(const char* data, std::size_t len, Key& key, int& step) {
    key.clear();
    if (len < 1) return false;
    step = static_cast<signed char>(data[0]);
    std::size_t i = 1;
    while (i < len) {
        KeyPart p;
        // Each byte is checked before it becomes a kind: a key comes from
        // the caller, and a byte outside the enumeration is not a kind.
        const auto partByte = static_cast<unsigned char>(data[i++]);
        if (partByte > KeyPart::Partial) return false;
        p.kind = static_cast<KeyPart::Kind>(partByte);
        if (p.kind == KeyPart::Value || p.kind == KeyPart::Partial) {
            if (i >= len) return false;
            const auto valueByte = static_cast<unsigned char>(data[i++]);
            if (valueByte < SqlValue::Int || valueByte > SqlValue::Blob) return false;
            const auto kind = static_cast<SqlValue::Kind>(valueByte);
            if (kind == SqlValue::Int || kind == SqlValue::Real) {
                if (i + 8 > len) return false;
                if (kind == SqlValue::Int) std::memcpy(&p.value.i, data + i, 8);
                else std::memcpy(&p.value.d, data + i, 8);
                p.value.kind = kind;
                i += 8;
            } else {
                std::uint16_t n;
                if (i + 2 > len) return false;
                std::memcpy(&n, data + i, 2);
                i += 2;
                if (i + n > len) return false;
                p.value = SqlValue::MakeText(std::string(data + i, n));
                i += n;
            }
        }
        key.push_back(p);
    }
    return true;
}

// A text scope: the first segment's value.
Key TextKey(const Cursor& c, const Index& ix, const std::string& text) {
    Key key(1);
    key[0].kind = KeyPart::Partial;
    const FieldInfo& f = c.fields[ix.segments[0]];
    std::int32_t j;
    if (f.t.type == LdbTypeDate && ParseDate(text, j)) key[0].value = SqlValue::MakeText(FormatDate(j));
    else {
        char* end = nullptr;
        double d = std::strtod(text.c_str(), &end);
        bool number = f.t.type != LdbTypeString && f.t.type != LdbTypeMemo && end && *end == 0 && !text.empty();
        key[0].value = number ? SqlValue::MakeReal(d) : SqlValue::MakeText(text);
    }
    return key;
}

LdbResult NoSuchSegment(std::uint16_t segment) {
    return Fail(LdbErrInvalidFieldNumber, "The index has no segment " + std::to_string(segment) + ".");
}

}  // namespace

bool IsIndexHandle(LdbHandle h) { return IndexOf(h) != nullptr; }

Cursor* CursorOfIndex(LdbHandle index) {
    Index* ix = IndexOf(index);
    return ix ? CursorOf(ix->cursor) : nullptr;
}

LdbResult SetIndexKeyField(LdbHandle index, std::uint32_t field, const SqlValue* value, bool partial) {
    return WithIndex(index, [&](Cursor& c, Index& ix) {
        auto it = std::find(ix.segments.begin(), ix.segments.end(), static_cast<std::size_t>(field - 1));
        if (field < 1 || it == ix.segments.end())
            return Fail(LdbErrInvalidFieldNumber, "Field " + std::to_string(field) + " is not a segment of the index.");
        std::size_t seg = static_cast<std::size_t>(it - ix.segments.begin());
        if (ix.key.size() < ix.segments.size()) ix.key.resize(ix.segments.size());
        ix.key[seg].kind = !value || value->kind == SqlValue::Null ? KeyPart::Null
                           : partial                                ? KeyPart::Partial
                                                                    : KeyPart::Value;
        ix.key[seg].value = value ? *value : SqlValue();
        (void)c;
        return LdbSuccess;
    });
}

void AttachIndexes(Connection& conn, LdbHandle cursorHandle, Cursor& c) {
    std::vector<std::pair<std::string, bool>> list;
    sqlite3_stmt* s = nullptr;
    std::string sql = "PRAGMA index_list(" + QuoteId(c.table) + ")";
    if (sqlite3_prepare_v2(conn.db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) return;
    while (sqlite3_step(s) == SQLITE_ROW)
        list.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(s, 1)), sqlite3_column_int(s, 2) != 0);
    sqlite3_finalize(s);
    std::reverse(list.begin(), list.end());  // in the order they were made
    for (const auto& [name, unique] : list) {
        auto ix = std::make_unique<Index>();
        ix->connection = c.connection;
        ix->cursor = cursorHandle;
        ix->name = name;
        ix->unique = unique;
        bool usable = true;
        sql = "PRAGMA index_info(" + QuoteId(name) + ")";
        if (sqlite3_prepare_v2(conn.db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) continue;
        while (sqlite3_step(s) == SQLITE_ROW) {
            const unsigned char* col = sqlite3_column_text(s, 2);
            auto f = std::find_if(c.fields.begin(), c.fields.end(), [&](const FieldInfo& fi) {
                return col && SameName(fi.origin, reinterpret_cast<const char*>(col));
            });
            if (f == c.fields.end()) usable = false;
            else ix->segments.push_back(static_cast<std::size_t>(f - c.fields.begin()));
        }
        sqlite3_finalize(s);
        if (usable && !ix->segments.empty()) c.indexes.push_back(Engine::Instance().Add(std::move(ix)));
    }
}

void RemoveCursor(LdbHandle cursor) {
    Engine& e = Engine::Instance();
    if (Cursor* c = CursorOf(cursor))
        for (LdbHandle ix : c->indexes) e.Remove(ix);
    e.Remove(cursor);
}

}  // namespace ldbi

using namespace ldbi;

// ---------------------------------------------------------------- navigation

LdbResult LdbGotoBOF(LdbHandle handle) {
    return WithView(handle, true, [](View v) {
        v.c->pos = -1;
        return LdbSuccess;
    });
}

LdbResult LdbGotoTop(LdbHandle handle) {
    return WithView(handle, true, [](View v) {
        auto seq = Sequence(v);
        SetPlace(v, seq, NextIn(v, seq, -1));
        return LdbSuccess;
    });
}

LdbResult LdbGotoBottom(LdbHandle handle) {
    return WithView(handle, true, [](View v) {
        auto seq = Sequence(v);
        SetPlace(v, seq, PriorIn(v, seq, static_cast<long>(seq.size())));
        return LdbSuccess;
    });
}

LdbResult LdbSkip(LdbHandle handle, std::int32_t count) {
    return WithView(handle, true, [count](View v) {
        auto seq = Sequence(v);
        long k = PlaceIn(v, seq);
        for (std::int32_t i = 0; i < count && k < static_cast<long>(seq.size()); ++i) k = NextIn(v, seq, k);
        for (std::int32_t i = 0; i > count && k >= 0; --i) k = PriorIn(v, seq, k);
        SetPlace(v, seq, k);
        return LdbSuccess;
    });
}

LdbResult LdbAtBOF(LdbHandle handle, std::uint16_t* atBof) {
    if (!atBof) return MissingArgument();
    return WithView(handle, false, [&](View v) {
        auto seq = Sequence(v);
        *atBof = v.c->pos < 0 || NextIn(v, seq, -1) >= static_cast<long>(seq.size()) ? 1 : 0;
        return LdbSuccess;
    });
}

LdbResult LdbAtEOF(LdbHandle handle, std::uint16_t* atEof) {
    if (!atEof) return MissingArgument();
    return WithView(handle, false, [&](View v) {
        auto seq = Sequence(v);
        *atEof = v.c->pos >= static_cast<long>(v.c->rows.size()) || NextIn(v, seq, -1) >= static_cast<long>(seq.size())
                     ? 1
                     : 0;
        return LdbSuccess;
    });
}

LdbResult LdbIsRecordVisible(LdbHandle handle, std::uint16_t* visible) {
    if (!visible) return MissingArgument();
    return WithView(handle, false, [&](View v) {
        *visible = v.c->OnRow() && Visible(v, v.c->Current()) ? 1 : 0;
        return LdbSuccess;
    });
}

LdbResult LdbGetRecordCount(LdbHandle handle, std::uint16_t option, std::uint32_t* count) {
    auto lock = Lock();
    if (!count) return MissingArgument();
    if (auto* st = Engine::Instance().Get<Statement>(handle, LdbHandleStatement)) {
        if (st->changes < 0) return Fail(LdbErrNoRowCount, "The statement gives no row count.");
        *count = static_cast<std::uint32_t>(st->changes);
        return LdbSuccess;
    }
    return WithView(handle, false, [&](View v) {
        std::uint16_t o = static_cast<std::uint16_t>(option & ~LdbRefreshCount);
        bool filters = o == LdbRespectFilters, scopes = o == LdbRespectFilters || o == LdbRespectScopes;
        *count = static_cast<std::uint32_t>(std::count_if(v.c->rows.begin(), v.c->rows.end(), [&](const Row& r) {
            if (r.deleted) return false;
            if (filters && !RowVisible(*v.c, r)) return false;
            return !(scopes && v.ix && !InScope(*v.c, *v.ix, r));
        }));
        return LdbSuccess;
    });
}

LdbResult LdbGetBookmarkLength(LdbHandle handle, std::uint32_t* length) {
    if (!length) return MissingArgument();
    return WithView(handle, false, [&](View) {
        *length = 8;
        return LdbSuccess;
    });
}

LdbResult LdbGetBookmark60(LdbHandle handle, void* bookmark, std::uint32_t* len) {
    if (!bookmark || !len) return MissingArgument();
    return WithView(handle, false, [&](View v) {
        if (!v.c->OnRow()) return Fail(LdbErrNoCurrentRecord, "The cursor is not positioned on a record.");
        if (*len < 8) {
            *len = 8;
            return Fail(LdbErrInsufficientBuffer, "The buffer is too small.");
        }
        std::uint32_t recno = v.c->Current().recno;
        LdbHandle cursor = v.ix ? v.ix->cursor : handle;
        std::memcpy(bookmark, &recno, 4);
        std::memcpy(static_cast<char*>(bookmark) + 4, &cursor, 4);
        *len = 8;
        return LdbSuccess;
    });
}

// ---------------------------------------------------------------- indexes

LdbResult LdbGetAllIndexes(LdbHandle cursor, LdbHandle* indexes, std::uint16_t* count) {
    if (!count) return MissingArgument();
    auto lock = Lock();
    Cursor* c = CursorOf(cursor);
    if (!c) return InvalidHandle(cursor);
    std::size_t room = *count;
    *count = static_cast<std::uint16_t>(c->indexes.size());
    if (!indexes) return c->indexes.empty() ? LdbSuccess : Fail(LdbErrInsufficientBuffer, "The buffer is too small.");
    for (std::size_t i = 0; i < c->indexes.size() && i < room; ++i) indexes[i] = c->indexes[i];
    if (room < c->indexes.size()) return Fail(LdbErrInsufficientBuffer, "The buffer is too small.");
    return LdbSuccess;
}

LdbResult LdbGetNumIndexes(LdbHandle cursor, std::uint16_t* count) {
    if (!count) return MissingArgument();
    auto lock = Lock();
    Cursor* c = CursorOf(cursor);
    if (!c) return InvalidHandle(cursor);
    *count = static_cast<std::uint16_t>(c->indexes.size());
    return LdbSuccess;
}

LdbResult LdbGetIndexHandle(LdbHandle cursor, const char* name, LdbHandle* index) {
    if (!name || !index) return MissingArgument();
    auto lock = Lock();
    Cursor* c = CursorOf(cursor);
    if (!c) return InvalidHandle(cursor);
    for (LdbHandle h : c->indexes)
        if (Index* ix = IndexOf(h); ix && SameName(ix->name, name)) {
            *index = h;
            return LdbSuccess;
        }
    return Fail(LdbErrIndexNotFound, std::string("The index ") + name + " was not found.");
}

LdbResult LdbGetIndexName(LdbHandle index, char* buffer, std::uint16_t* len) {
    return WithIndex(index, [&](Cursor&, Index& ix) { return CopyText(ix.name, buffer, len); });
}

LdbResult LdbGetIndexFilename(LdbHandle index, std::uint16_t, char* buffer, std::uint16_t* len) {
    return WithIndex(index, [&](Cursor& c, Index&) { return CopyText(c.table + ".adi", buffer, len); });
}

LdbResult LdbGetIndexPageSize(LdbHandle index, std::uint32_t* pageSize) {
    if (!pageSize) return MissingArgument();
    return WithIndex(index, [&](Cursor&, Index&) {
        *pageSize = 512;
        return LdbSuccess;
    });
}

LdbResult LdbGetIndexCondition(LdbHandle index, char* buffer, std::uint16_t* len) {
    return WithIndex(index, [&](Cursor&, Index&) { return CopyText("", buffer, len); });
}

LdbResult LdbGetIndexFlags(LdbHandle index, std::uint32_t* flags) {
    if (!flags) return MissingArgument();
    return WithIndex(index, [&](Cursor&, Index& ix) {
        *flags = ix.unique ? 1u : 0u;
        return LdbSuccess;
    });
}

LdbResult LdbIsIndexUnique(LdbHandle index, std::uint16_t* unique) {
    if (!unique) return MissingArgument();
    return WithIndex(index, [&](Cursor&, Index& ix) {
        *unique = ix.unique ? 1 : 0;
        return LdbSuccess;
    });
}

LdbResult LdbIsIndexDescending(LdbHandle index, std::uint16_t* descending) {
    if (!descending) return MissingArgument();
    return WithIndex(index, [&](Cursor&, Index&) {
        *descending = 0;
        return LdbSuccess;
    });
}

LdbResult LdbIsIndexCustom(LdbHandle index, std::uint16_t* custom) {
    if (!custom) return MissingArgument();
    return WithIndex(index, [&](Cursor&, Index&) {
        *custom = 0;
        return Fail(LdbErrNotCustomIndex, "The index is not a custom index.");
    });
}

LdbResult LdbGetNumSegments(LdbHandle index, std::uint16_t* count) {
    if (!count) return MissingArgument();
    return WithIndex(index, [&](Cursor&, Index& ix) {
        *count = static_cast<std::uint16_t>(ix.segments.size());
        return LdbSuccess;
    });
}

LdbResult LdbGetSegmentFieldname(LdbHandle index, std::uint16_t segment, char* buffer, std::uint16_t* len) {
    return WithIndex(index, [&](Cursor& c, Index& ix) {
        if (segment < 1 || segment > ix.segments.size()) return NoSuchSegment(segment);
        return CopyText(c.fields[ix.segments[segment - 1u]].name, buffer, len);
    });
}

LdbResult LdbOpenIndex(LdbHandle cursor, const char* path, LdbHandle*, std::uint16_t*) {
    auto lock = Lock();
    if (!CursorOf(cursor)) return InvalidHandle(cursor);
    return Fail(LdbErrIndexNotFound, std::string("Index files are not used by this engine: ") + (path ? path : "") + ".");
}

LdbResult LdbCloseIndex(LdbHandle index) {
    return WithIndex(index, [&](Cursor&, Index&) {
        return Fail(LdbErrInvalidArgument, "The indexes of a table cannot be closed.");
    });
}

LdbResult LdbInitRawKey(LdbHandle index) {
    return WithIndex(index, [&](Cursor&, Index& ix) {
        ix.key.assign(ix.segments.size(), KeyPart{});
        return LdbSuccess;
    });
}

LdbResult LdbBuildRawKey(LdbHandle index, void* key, std::uint16_t* len) {
    if (!key || !len) return MissingArgument();
    return WithIndex(index, [&](Cursor&, Index& ix) {
        std::string bytes = Encode(ix.key, 0);
        if (bytes.size() > *len) {
            *len = static_cast<std::uint16_t>(std::min<std::size_t>(bytes.size(), 65535));
            return Fail(LdbErrInsufficientBuffer, "The key is longer than the buffer.");
        }
        std::memcpy(key, bytes.data(), bytes.size());
        *len = static_cast<std::uint16_t>(bytes.size());
        return LdbSuccess;
    });
}

LdbResult LdbGetKeyLength(LdbHandle index, std::uint16_t* length) {
    if (!length) return MissingArgument();
    return WithIndex(index, [&](Cursor& c, Index& ix) {
        std::size_t n = 1;
        for (std::size_t f : ix.segments) n += 2 + std::max<std::size_t>(c.fields[f].t.length, 8) + 2;
        *length = static_cast<std::uint16_t>(std::min<std::size_t>(n, 65535));
        return LdbSuccess;
    });
}

LdbResult LdbStepIndexKey(LdbHandle index, void* key, std::uint16_t len, std::int16_t direction) {
    if (!key || len < 1) return MissingArgument();
    return WithIndex(index, [&](Cursor&, Index&) {
        static_cast<char*>(key)[0] = static_cast<char>(direction > 0 ? 1 : (direction < 0 ? -1 : 0));
        return LdbSuccess;
    });
}

LdbResult LdbSetScope(LdbHandle index, std::uint16_t which, const void* key, std::uint16_t len, std::uint16_t dataType) {
    if (!key) return MissingArgument();
    return WithIndex(index, [&](Cursor& c, Index& ix) {
        if (which != 1 && which != 2) return Fail(LdbErrInvalidArgument, "A scope is the top (1) or the bottom (2).");
        Bound b;
        b.given.assign(static_cast<const char*>(key), len);
        if (dataType == 2) {
            b.given = std::string(b.given.c_str());
            b.key = TextKey(c, ix, b.given);
        } else if (!Decode(static_cast<const char*>(key), len, b.key, b.step)) {
            return Fail(LdbErrInvalidArgument, "The key was not built by this index.");
        }
        (which == 1 ? ix.top : ix.bottom) = b;
        return LdbSuccess;
    });
}

LdbResult LdbGetScope(LdbHandle index, std::uint16_t which, void* buffer, std::uint16_t* len) {
    if (!len) return MissingArgument();
    return WithIndex(index, [&](Cursor&, Index& ix) {
        const auto& b = which == 1 ? ix.top : ix.bottom;
        if (!b) return Fail(LdbErrNoScope, "No scope is set.");
        if (!buffer || b->given.size() + 1 > *len) {
            *len = static_cast<std::uint16_t>(b->given.size() + 1);
            return Fail(LdbErrInsufficientBuffer, "The buffer is too small.");
        }
        std::memcpy(buffer, b->given.data(), b->given.size());
        static_cast<char*>(buffer)[b->given.size()] = 0;
        *len = static_cast<std::uint16_t>(b->given.size());
        return LdbSuccess;
    });
}

LdbResult LdbClearScope(LdbHandle index, std::uint16_t which) {
    return WithIndex(index, [&](Cursor&, Index& ix) {
        auto& b = which == 1 ? ix.top : ix.bottom;
        if (!b) return Fail(LdbErrNoScope, "No scope is set.");
        b.reset();
        return LdbSuccess;
    });
}

LdbResult LdbClearAllScopes(LdbHandle cursor) {
    auto lock = Lock();
    Cursor* c = CursorOf(cursor);
    if (!c) return InvalidHandle(cursor);
    for (LdbHandle h : c->indexes)
        if (Index* ix = IndexOf(h)) {
            ix->top.reset();
            ix->bottom.reset();
        }
    return LdbSuccess;
}

LdbResult LdbSeek(LdbHandle index, const void* key, std::uint16_t len, std::uint16_t dataType, std::uint16_t,
                  std::uint16_t* found) {
    if (!key || !found) return MissingArgument();
    return WithView(index, true, [&](View v) {
        if (!v.ix) return Fail(LdbErrNoIndex, "Seeking needs an index.");
        Key k;
        int step = 0;
        if (dataType == 2) k = TextKey(*v.c, *v.ix, std::string(static_cast<const char*>(key), strnlen(static_cast<const char*>(key), len)));
        else if (!Decode(static_cast<const char*>(key), len, k, step))
            return Fail(LdbErrInvalidArgument, "The key was not built by this index.");
        auto seq = Sequence(v);
        long at = static_cast<long>(seq.size());
        for (long i = NextIn(v, seq, -1); i < static_cast<long>(seq.size()); i = NextIn(v, seq, i))
            if (CompareKey(*v.c, *v.ix, v.c->rows[static_cast<std::size_t>(seq[static_cast<std::size_t>(i)])], k) >= 0) {
                at = i;
                break;
            }
        SetPlace(v, seq, at);
        *found = at < static_cast<long>(seq.size()) &&
                         CompareKey(*v.c, *v.ix, v.c->rows[static_cast<std::size_t>(seq[static_cast<std::size_t>(at)])], k) == 0
                     ? 1
                     : 0;
        return LdbSuccess;
    });
}

LdbResult LdbGetKeyNum(LdbHandle index, std::uint16_t, std::uint32_t* number) {
    if (!number) return MissingArgument();
    return WithView(index, false, [&](View v) {
        auto seq = Sequence(v);
        long k = PlaceIn(v, seq);
        std::uint32_t n = 0;
        for (long i = NextIn(v, seq, -1); i < static_cast<long>(seq.size()) && i <= k; i = NextIn(v, seq, i)) ++n;
        *number = v.c->OnRow() ? n : 0;
        return LdbSuccess;
    });
}

LdbResult LdbGetRelKeyPos(LdbHandle index, double* position) {
    if (!position) return MissingArgument();
    return WithView(index, false, [&](View v) {
        auto seq = Sequence(v);
        long k = PlaceIn(v, seq);
        std::uint32_t before = 0, total = 0;
        for (long i = NextIn(v, seq, -1); i < static_cast<long>(seq.size()); i = NextIn(v, seq, i)) {
            ++total;
            if (i < k) ++before;
        }
        *position = total == 0 ? 0.0 : (k >= static_cast<long>(seq.size()) ? 1.0 : static_cast<double>(before) / total);
        return LdbSuccess;
    });
}

LdbResult LdbSetRelKeyPos(LdbHandle index, double position) {
    return WithView(index, true, [&](View v) {
        auto seq = Sequence(v);
        std::vector<long> visible;
        for (long i = NextIn(v, seq, -1); i < static_cast<long>(seq.size()); i = NextIn(v, seq, i)) visible.push_back(i);
        if (visible.empty()) {
            SetPlace(v, seq, static_cast<long>(seq.size()));
            return LdbSuccess;
        }
        auto at = static_cast<std::size_t>(std::clamp(position, 0.0, 1.0) * static_cast<double>(visible.size()));
        SetPlace(v, seq, visible[std::min(at, visible.size() - 1)]);
        return LdbSuccess;
    });
}

LdbResult LdbGetNullRecord(LdbHandle cursor, void* record, std::uint32_t* len) {
    if (!record || !len) return MissingArgument();
    auto lock = Lock();
    Cursor* c = CursorOf(cursor);
    if (!c) return InvalidHandle(cursor);
    if (*len < c->recordLength) {
        *len = c->recordLength;
        return Fail(LdbErrInsufficientBuffer, "The buffer is too small.");
    }
    std::memset(record, 0, c->recordLength);
    for (const FieldInfo& f : c->fields) EncodeNull(f, static_cast<char*>(record));
    *len = c->recordLength;
    return LdbSuccess;
}

// Cursors: opening one over a SELECT, navigation, bookmarks, records and
// writing through a live cursor.

#include <algorithm>
#include <cstring>

#include "platform/ldb/LdbEngine.h"

namespace ldbi {

namespace {

std::unique_lock<std::recursive_mutex> Lock() { return std::unique_lock(Engine::Instance().Mutex()); }

Cursor* CursorOf(LdbHandle h) { return Engine::Instance().Get<Cursor>(h, LdbHandleCursor); }

LdbResult NoRecord() { return Fail(LdbErrNoCurrentRecord, "The cursor is not positioned on a record."); }

LdbResult BadField(std::uint32_t field) {
    return Fail(LdbErrInvalidFieldNumber, "The cursor has no field " + std::to_string(field) + ".");
}

bool AnyVisible(const Cursor& c) {
    return std::any_of(c.rows.begin(), c.rows.end(), [&](const Row& r) { return RowVisible(c, r); });
}

long NextVisible(const Cursor& c, long from) {
    for (long i = from + 1; i < static_cast<long>(c.rows.size()); ++i)
        if (RowVisible(c, c.rows[static_cast<std::size_t>(i)])) return i;
    return static_cast<long>(c.rows.size());
}

long PriorVisible(const Cursor& c, long from) {
    for (long i = std::min(from, static_cast<long>(c.rows.size())) - 1; i >= 0; --i)
        if (RowVisible(c, c.rows[static_cast<std::size_t>(i)])) return i;
    return -1;
}

Row NullRow(const Cursor& c) {
    Row r;
    r.record.assign(c.recordLength, 0);
    r.content.assign(c.fields.size(), std::string());
    for (const FieldInfo& f : c.fields) EncodeNull(f, r.record.data());
    return r;
}

// The current row's values read again from its table.
LdbResult Reread(Cursor& c, Connection& conn, Row& row, bool& found) {
    found = false;
    std::string cols;
    for (const FieldInfo& f : c.fields) cols += (cols.empty() ? "" : ", ") + QuoteId(f.origin);
    std::string sql = "SELECT " + cols + " FROM " + QuoteId(c.table) + " WHERE rowid = ?1";
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(conn.db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) return FailSql(conn.db, sql);
    sqlite3_bind_int64(s, 1, row.rowid);
    int rc = sqlite3_step(s);
    if (rc == SQLITE_ROW) {
        found = true;
        for (std::size_t i = 0; i < c.fields.size(); ++i)
            EncodeValue(c.fields[i], ColumnValue(s, static_cast<int>(i)), row.record.data(), &row.content[i]);
    }
    LdbResult r = rc == SQLITE_ROW || rc == SQLITE_DONE ? LdbSuccess : FailSql(conn.db, sql);
    sqlite3_finalize(s);
    return r;
}

void DropPending(Cursor& c) {
    c.pending = false;
    c.pendingAppend = false;
    c.pendingValues.clear();
    c.backupRecord.clear();
    c.backupContent.clear();
}

}  // namespace

LdbResult WritePending(Cursor& c) {
    if (!c.pending) return LdbSuccess;
    Connection* conn = Engine::Instance().Get<Connection>(c.connection, LdbHandleConnection);
    if (!conn) return Fail(LdbErrNotConnected, "The cursor's connection is closed.");
    if (!c.OnRow()) return NoRecord();
    Row& row = c.Current();
    // The last value given for a column wins.
    std::vector<std::pair<std::string, const SqlValue*>> values;
    for (const auto& [index, v] : c.pendingValues) {
        const std::string& col = c.fields[index].origin;
        auto it = std::find_if(values.begin(), values.end(), [&](const auto& p) { return SameName(p.first, col); });
        if (it != values.end())
            it->second = &v;
        else
            values.emplace_back(col, &v);
    }
    std::string sql;
    if (c.pendingAppend) {
        if (values.empty()) {
            sql = "INSERT INTO " + QuoteId(c.table) + " DEFAULT VALUES";
        } else {
            std::string cols, marks;
            for (std::size_t i = 0; i < values.size(); ++i) {
                cols += (i ? ", " : "") + QuoteId(values[i].first);
                marks += (i ? ", ?" : "?") + std::to_string(i + 1);
            }
            sql = "INSERT INTO " + QuoteId(c.table) + " (" + cols + ") VALUES (" + marks + ")";
        }
    } else {
        if (values.empty()) {
            DropPending(c);
            return LdbSuccess;
        }
        std::string sets;
        for (std::size_t i = 0; i < values.size(); ++i)
            sets += (i ? ", " : "") + QuoteId(values[i].first) + " = ?" + std::to_string(i + 1);
        sql = "UPDATE " + QuoteId(c.table) + " SET " + sets + " WHERE rowid = ?" + std::to_string(values.size() + 1);
    }
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(conn->db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) return FailSql(conn->db, sql);
    for (std::size_t i = 0; i < values.size(); ++i) BindValue(s, static_cast<int>(i + 1), *values[i].second);
    if (!c.pendingAppend) sqlite3_bind_int64(s, static_cast<int>(values.size() + 1), row.rowid);
    int rc = sqlite3_step(s);
    sqlite3_finalize(s);
    if (rc != SQLITE_DONE) return FailSql(conn->db, sql);
    if (c.pendingAppend) {
        row.rowid = sqlite3_last_insert_rowid(conn->db);
    } else if (sqlite3_changes(conn->db) == 0) {
        row.deleted = true;
        DropPending(c);
        return Fail(LdbErrRecordDeleted, "The record has been deleted by another statement.");
    }
    DropPending(c);
    ++c.changes;
    bool found;
    return Reread(c, *conn, row, found);
}

namespace {

void RestoreBackup(Cursor& c) {
    if (c.OnRow() && !c.backupRecord.empty()) {
        c.Current().record = c.backupRecord;
        c.Current().content = c.backupContent;
    }
}

// Starts or continues the changes to the current row.
LdbResult BeginChange(Cursor& c, std::uint32_t field) {
    if (!c.live) return Fail(LdbErrPermissionDenied, "The cursor is read-only.");
    if (field < 1 || field > c.fields.size()) return BadField(field);
    if (!c.OnRow()) return NoRecord();
    if (c.Current().deleted) return Fail(LdbErrRecordDeleted, "The record has been deleted.");
    if (!c.pending) {
        c.backupRecord = c.Current().record;
        c.backupContent = c.Current().content;
        c.pending = true;
    }
    return LdbSuccess;
}

void ApplyChange(Cursor& c, std::uint32_t field, SqlValue v) {
    Row& row = c.Current();
    std::size_t i = field - 1;
    EncodeValue(c.fields[i], v, row.record.data(), &row.content[i]);
    c.pendingValues[i] = std::move(v);
}

// Moves after writing pending changes.
template <typename F>
LdbResult Move(LdbHandle cursor, F move) {
    auto lock = Lock();
    Cursor* c = CursorOf(cursor);
    if (!c) return InvalidHandle(cursor);
    LdbResult r = WritePending(*c);
    if (r != LdbSuccess) return r;
    return move(*c);
}

template <typename F>
LdbResult WithCursor(LdbHandle cursor, F f) {
    auto lock = Lock();
    Cursor* c = CursorOf(cursor);
    if (!c) return InvalidHandle(cursor);
    return f(*c);
}

template <typename F>
LdbResult WithField(LdbHandle cursor, std::uint32_t field, F f) {
    return WithCursor(cursor, [&](Cursor& c) {
        if (field < 1 || field > c.fields.size()) return BadField(field);
        return f(c, c.fields[field - 1]);
    });
}

LdbResult Position(Cursor& c, std::uint32_t recno) {
    auto it = c.indexOf.find(recno);
    if (it == c.indexOf.end())
        return Fail(LdbErrNoCurrentRecord, "The cursor has no record " + std::to_string(recno) + ".");
    if (c.rows[it->second].deleted)
        return Fail(LdbErrRecordDeleted, "Record " + std::to_string(recno) + " has been deleted.");
    c.pos = static_cast<long>(it->second);
    return LdbSuccess;
}

}  // namespace

bool RowVisible(const Cursor& c, const Row& row) {
    if (row.deleted) return false;
    if (!c.aof && !c.filter) return true;
    std::vector<SqlValue> values(c.fields.size());
    for (std::size_t i = 0; i < c.fields.size(); ++i) {
        const FieldInfo& f = c.fields[i];
        if (IsBlobType(f.t.type)) {
            if (!RawIsNull(f, row.record.data()))
                values[i] = f.t.type == LdbTypeMemo ? SqlValue::MakeText(row.content[i]) : SqlValue::MakeBlob(row.content[i]);
            continue;
        }
        std::string error;
        if (!DecodeRaw(f, row.record.data(), values[i], error)) values[i] = SqlValue();
    }
    return (!c.aof || c.aof->Matches(values, c.exact)) && (!c.filter || c.filter->Matches(values, c.exact));
}

LdbResult OpenCursor(Connection& conn, Statement& st, LdbHandle statementHandle, sqlite3_stmt* stmt,
                     const std::string& sql, LdbHandle* cursor) {
    if (!cursor) return MissingArgument();
    auto c = std::make_unique<Cursor>();
    c->connection = st.connection;
    c->statement = statementHandle;
    int n = sqlite3_column_count(stmt);
    // A live cursor needs every column from the one table of a plain SELECT.
    bool live = false;
    SelectShape shape;
    if (st.readOnly == LdbCursorLive) {
        shape = AnalyseSelect(sql);
        live = shape.simple;
        for (int i = 0; live && i < n; ++i) {
            const char* table = sqlite3_column_table_name(stmt, i);
            const char* origin = sqlite3_column_origin_name(stmt, i);
            const char* db = sqlite3_column_database_name(stmt, i);
            live = table && origin && db && std::strcmp(db, "main") == 0 && SameName(table, shape.table);
        }
    }
    sqlite3_stmt* rowidStmt = nullptr;
    if (live) {
        std::string withRowid =
            sql.substr(0, shape.afterSelect) + " " + shape.qualifier + ".rowid," + sql.substr(shape.afterSelect);
        if (sqlite3_prepare_v2(conn.db, withRowid.c_str(), -1, &rowidStmt, nullptr) != SQLITE_OK) {
            live = false;
            rowidStmt = nullptr;
        } else {
            // Bind the same values as the statement itself.
            for (int i = 1; i <= sqlite3_bind_parameter_count(stmt); ++i) {
                const char* name = sqlite3_bind_parameter_name(stmt, i);
                int j = name ? sqlite3_bind_parameter_index(rowidStmt, name) : i;
                std::size_t index = name && name[0] == '?' ? static_cast<std::size_t>(std::atoi(name + 1)) : 0;
                if (j > 0 && index >= 1 && index <= st.params.size() && st.params[index - 1])
                    BindValue(rowidStmt, j, *st.params[index - 1]);
            }
        }
    }
    sqlite3_stmt* src = live ? rowidStmt : stmt;
    int first = live ? 1 : 0;
    c->live = live;
    c->table = live ? shape.table : std::string();
    std::vector<bool> typed(static_cast<std::size_t>(n), false);
    for (int i = 0; i < n; ++i) {
        FieldInfo f;
        const char* name = sqlite3_column_name(src, i + first);
        std::string base = name ? name : "EXPR";
        f.name = base;
        for (int k = 1; std::any_of(c->fields.begin(), c->fields.end(),
                                    [&](const FieldInfo& o) { return SameName(o.name, f.name); });
             ++k)
            f.name = base + "_" + std::to_string(k);
        const char* decl = sqlite3_column_decltype(src, i + first);
        typed[static_cast<std::size_t>(i)] = decl && MapDeclaredType(decl, f.t);
        if (live) f.origin = sqlite3_column_origin_name(src, i + first);
        c->fields.push_back(f);
    }
    std::vector<std::vector<SqlValue>> values;
    std::vector<std::int64_t> rowids;
    int rc;
    while ((rc = sqlite3_step(src)) == SQLITE_ROW) {
        std::vector<SqlValue> row;
        for (int i = 0; i < n; ++i) row.push_back(ColumnValue(src, i + first));
        values.push_back(std::move(row));
        rowids.push_back(live ? sqlite3_column_int64(src, 0) : 0);
    }
    if (rc != SQLITE_DONE) {
        LdbResult r = FailSql(conn.db, sql);
        if (rowidStmt) sqlite3_finalize(rowidStmt);
        return r;
    }
    if (rowidStmt) sqlite3_finalize(rowidStmt);
    std::uint32_t offset = 0;
    for (int i = 0; i < n; ++i) {
        FieldInfo& f = c->fields[static_cast<std::size_t>(i)];
        bool fits = typed[static_cast<std::size_t>(i)];
        for (std::size_t r = 0; fits && r < values.size(); ++r) fits = ValueFits(f, values[r][static_cast<std::size_t>(i)]);
        if (!fits) {
            // Declared or not, the type comes from the values when the
            // declared one cannot hold them all.
            std::vector<const SqlValue*> column;
            for (const auto& row : values) column.push_back(&row[static_cast<std::size_t>(i)]);
            TypeInfo declared = f.t;
            f.t = InferType(column);
            // Text longer than its column keeps every character.
            if (fits == false && typed[static_cast<std::size_t>(i)] && declared.type == LdbTypeString &&
                f.t.type == LdbTypeString)
                f.t.length = std::max(f.t.length, declared.length);
        }
        f.offset = offset;
        offset += f.t.length;
    }
    c->recordLength = offset;
    c->rows.reserve(values.size());
    for (std::size_t r = 0; r < values.size(); ++r) {
        Row row = NullRow(*c);
        row.rowid = rowids[r];
        row.recno = c->nextRecno++;
        for (std::size_t i = 0; i < c->fields.size(); ++i)
            EncodeValue(c->fields[i], values[r][i], row.record.data(), &row.content[i]);
        c->rows.push_back(std::move(row));
    }
    c->Reindex();
    Cursor* made = c.get();
    *cursor = Engine::Instance().Add(std::move(c));
    if (made->live) AttachIndexes(conn, *cursor, *made);
    return LdbSuccess;
}

LdbResult SetCursorEmpty(LdbHandle cursor, std::uint32_t field) {
    if (IsIndexHandle(cursor)) return SetIndexKeyField(cursor, field, nullptr);
    return WithCursor(cursor, [&](Cursor& c) {
        LdbResult r = BeginChange(c, field);
        if (r == LdbSuccess) ApplyChange(c, field, SqlValue());
        return r;
    });
}

}  // namespace ldbi

using namespace ldbi;

LdbResult LdbCloseTable(LdbHandle cursor) {
    return WithCursor(cursor, [&](Cursor& c) {
        DropPending(c);
        RemoveCursor(cursor);
        return LdbSuccess;
    });
}

LdbResult LdbSqlPeekStatement(LdbHandle cursor, std::uint16_t* live) {
    if (!live) return MissingArgument();
    return WithCursor(cursor, [&](Cursor& c) {
        *live = c.live ? 1 : 0;
        return LdbSuccess;
    });
}

LdbResult LdbGetTableType(LdbHandle cursor, std::uint16_t* type) {
    if (!type) return MissingArgument();
    return WithCursor(cursor, [&](Cursor&) {
        *type = LdbTableAdt;
        return LdbSuccess;
    });
}

LdbResult LdbGetTableOpenOptions(LdbHandle cursor, std::uint32_t* options) {
    if (!options) return MissingArgument();
    return WithCursor(cursor, [&](Cursor& c) {
        *options = c.live ? (LdbOpenUpdateRight | LdbOpenInsertRight) : LdbOpenReadOnly;
        return LdbSuccess;
    });
}

LdbResult LdbCacheRecords(LdbHandle cursor, std::uint16_t) {
    return WithCursor(cursor, [](Cursor&) { return LdbSuccess; });
}

LdbResult LdbGetRecordLength(LdbHandle cursor, std::uint32_t* length) {
    if (!length) return MissingArgument();
    return WithCursor(cursor, [&](Cursor& c) {
        *length = c.recordLength;
        return LdbSuccess;
    });
}

LdbResult LdbGetNumFields(LdbHandle cursor, std::uint16_t* count) {
    if (!count) return MissingArgument();
    return WithCursor(cursor, [&](Cursor& c) {
        *count = static_cast<std::uint16_t>(c.fields.size());
        return LdbSuccess;
    });
}

LdbResult LdbGetFieldName(LdbHandle cursor, std::uint32_t field, char* buffer, std::uint16_t* len) {
    return WithField(cursor, field, [&](Cursor&, FieldInfo& f) { return CopyText(f.name, buffer, len); });
}

LdbResult LdbGetFieldType(LdbHandle cursor, std::uint32_t field, std::uint16_t* type) {
    if (!type) return MissingArgument();
    return WithField(cursor, field, [&](Cursor&, FieldInfo& f) {
        *type = f.t.type;
        return LdbSuccess;
    });
}

LdbResult LdbGetFieldLength(LdbHandle cursor, std::uint32_t field, std::uint32_t* length) {
    if (!length) return MissingArgument();
    return WithField(cursor, field, [&](Cursor&, FieldInfo& f) {
        *length = f.t.length;
        return LdbSuccess;
    });
}

LdbResult LdbGetFieldDecimals(LdbHandle cursor, std::uint32_t field, std::uint16_t* decimals) {
    if (!decimals) return MissingArgument();
    return WithField(cursor, field, [&](Cursor&, FieldInfo& f) {
        *decimals = f.t.decimals;
        return LdbSuccess;
    });
}

LdbResult LdbGetFieldOffset(LdbHandle cursor, std::uint32_t field, std::uint32_t* offset) {
    if (!offset) return MissingArgument();
    return WithField(cursor, field, [&](Cursor&, FieldInfo& f) {
        *offset = f.offset;
        return LdbSuccess;
    });
}

LdbResult LdbGetColumnPermissions(LdbHandle cursor, std::uint32_t field, std::uint8_t* permissions) {
    if (!permissions) return MissingArgument();
    return WithField(cursor, field, [&](Cursor& c, FieldInfo&) {
        *permissions = c.live ? static_cast<std::uint8_t>(LdbColumnUpdate | LdbColumnInsert) : 0;
        return LdbSuccess;
    });
}

// ---------------------------------------------------------------- navigation

LdbResult LdbGotoRecord(LdbHandle cursor, std::uint32_t recordNumber) {
    return Move(cursor, [recordNumber](Cursor& c) {
        if (recordNumber == 0) {
            c.pos = static_cast<long>(c.rows.size());
            return LdbSuccess;
        }
        return Position(c, recordNumber);
    });
}

LdbResult LdbGotoBookmark(LdbHandle cursor, std::uint32_t recordNumber) {
    return Move(cursor, [recordNumber](Cursor& c) { return Position(c, recordNumber); });
}

LdbResult LdbGetRecordNum(LdbHandle cursor, std::uint16_t, std::uint32_t* recordNumber) {
    if (!recordNumber) return MissingArgument();
    return WithCursor(cursor, [&](Cursor& c) {
        *recordNumber = c.OnRow() ? c.Current().recno : 0;
        return LdbSuccess;
    });
}

LdbResult LdbIsRecordDeleted(LdbHandle cursor, std::uint16_t* deleted) {
    if (!deleted) return MissingArgument();
    return WithCursor(cursor, [&](Cursor& c) {
        if (!c.OnRow()) return NoRecord();
        *deleted = c.Current().deleted ? 1 : 0;
        return LdbSuccess;
    });
}

LdbResult LdbGetDeleted(std::uint16_t* shown) {
    if (!shown) return MissingArgument();
    *shown = 0;
    return LdbSuccess;
}

LdbResult LdbRefreshRecord(LdbHandle cursor) {
    return WithCursor(cursor, [&](Cursor& c) {
        if (!c.live || !c.OnRow() || c.pending) return LdbSuccess;
        Row& row = c.Current();
        if (row.deleted) return Fail(LdbErrRecordDeleted, "The record has been deleted.");
        Connection* conn = Engine::Instance().Get<Connection>(c.connection, LdbHandleConnection);
        if (!conn) return Fail(LdbErrNotConnected, "The cursor's connection is closed.");
        bool found;
        LdbResult r = Reread(c, *conn, row, found);
        if (r != LdbSuccess) return r;
        if (!found) {
            row.deleted = true;
            return Fail(LdbErrRecordDeleted, "The record has been deleted by another statement.");
        }
        return LdbSuccess;
    });
}

// ---------------------------------------------------------------- bookmarks

LdbResult LdbCompareBookmarks(const void* bookmark1, const void* bookmark2, std::int32_t* result) {
    auto lock = Lock();
    if (!bookmark1 || !bookmark2 || !result) return MissingArgument();
    std::uint32_t r1, r2;
    LdbHandle h1, h2;
    std::memcpy(&r1, bookmark1, 4);
    std::memcpy(&h1, static_cast<const char*>(bookmark1) + 4, 4);
    std::memcpy(&r2, bookmark2, 4);
    std::memcpy(&h2, static_cast<const char*>(bookmark2) + 4, 4);
    Cursor* c = CursorOf(h1);
    if (!c || h1 != h2) return Fail(LdbErrInvalidArgument, "The bookmarks belong to different cursors.");
    auto a = c->indexOf.find(r1), b = c->indexOf.find(r2);
    if (a == c->indexOf.end() || b == c->indexOf.end()) return Fail(LdbErrNoCurrentRecord, "Unknown bookmark.");
    *result = a->second < b->second ? -1 : (a->second > b->second ? 1 : 0);
    return LdbSuccess;
}

// ---------------------------------------------------------------- records

LdbResult LdbGetRecord(LdbHandle cursor, void* record, std::uint32_t* len) {
    if (!record || !len) return MissingArgument();
    return WithCursor(cursor, [&](Cursor& c) {
        if (!c.OnRow()) return NoRecord();
        if (c.Current().deleted) return Fail(LdbErrRecordDeleted, "The record has been deleted.");
        if (*len < c.recordLength) {
            *len = c.recordLength;
            return Fail(LdbErrInsufficientBuffer, "The buffer is too small.");
        }
        std::memcpy(record, c.Current().record.data(), c.recordLength);
        *len = c.recordLength;
        return LdbSuccess;
    });
}

LdbResult LdbIsEmpty(LdbHandle cursor, std::uint32_t field, std::uint16_t* empty) {
    if (!empty) return MissingArgument();
    return WithField(cursor, field, [&](Cursor& c, FieldInfo& f) {
        if (!c.OnRow()) return NoRecord();
        *empty = RawIsNull(f, c.Current().record.data()) ? 1 : 0;
        return LdbSuccess;
    });
}

LdbResult LdbGetField(LdbHandle cursor, std::uint32_t field, void* buffer, std::uint32_t* len, std::uint16_t) {
    if (!buffer || !len) return MissingArgument();
    return WithField(cursor, field, [&](Cursor& c, FieldInfo& f) {
        if (!c.OnRow()) return NoRecord();
        const Row& row = c.Current();
        std::string value;
        bool text = true;
        if (f.t.type == LdbTypeString) {
            const char* p = row.record.data() + f.offset;
            value.assign(p, strnlen(p, f.t.length));
        } else if (IsBlobType(f.t.type)) {
            value = row.content[field - 1];
            text = f.t.type == LdbTypeMemo;
        } else {
            return Fail(LdbErrInvalidArgument, "Field " + f.name + " is not a text or blob field.");
        }
        std::uint32_t room = *len;
        std::size_t need = value.size() + (text ? 1 : 0);
        std::size_t n = std::min<std::size_t>(value.size(), room);
        std::memcpy(buffer, value.data(), n);
        if (text && n < room) static_cast<char*>(buffer)[n] = 0;
        *len = static_cast<std::uint32_t>(n);
        if (need > room && n < value.size()) {
            *len = static_cast<std::uint32_t>(value.size());
            return Fail(LdbErrInsufficientBuffer, "The buffer is too small.");
        }
        return LdbSuccess;
    });
}

namespace {
LdbResult BlobLength(LdbHandle cursor, std::uint32_t field, std::uint32_t* length) {
    if (!length) return MissingArgument();
    return WithField(cursor, field, [&](Cursor& c, FieldInfo& f) {
        if (!IsBlobType(f.t.type)) return Fail(LdbErrInvalidArgument, "Field " + f.name + " is not a blob field.");
        if (!c.OnRow()) return NoRecord();
        if (c.Current().deleted) return Fail(LdbErrRecordDeleted, "The record has been deleted.");
        *length = static_cast<std::uint32_t>(c.Current().content[field - 1].size());
        return LdbSuccess;
    });
}
}  // namespace

LdbResult LdbGetMemoLength(LdbHandle cursor, std::uint32_t field, std::uint32_t* length) {
    return BlobLength(cursor, field, length);
}

LdbResult LdbGetBinaryLength(LdbHandle cursor, std::uint32_t field, std::uint32_t* length) {
    return BlobLength(cursor, field, length);
}

LdbResult LdbGetMemoDataType(LdbHandle cursor, std::uint32_t field, std::uint16_t* type) {
    if (!type) return MissingArgument();
    return WithField(cursor, field, [&](Cursor&, FieldInfo& f) {
        if (!IsBlobType(f.t.type)) return Fail(LdbErrInvalidArgument, "Field " + f.name + " is not a blob field.");
        *type = f.t.type == LdbTypeMemo || f.t.type == 8 ? LdbTypeMemo : LdbTypeBinary;
        return LdbSuccess;
    });
}

LdbResult LdbClearRecordBuffer(LdbHandle cursor, void* record, std::uint32_t len) {
    if (!record) return MissingArgument();
    return WithCursor(cursor, [&](Cursor& c) {
        if (len < c.recordLength) return Fail(LdbErrInsufficientBuffer, "The buffer is too small.");
        std::memset(record, 0, c.recordLength);
        for (const FieldInfo& f : c.fields) EncodeNull(f, static_cast<char*>(record));
        return LdbSuccess;
    });
}

// ---------------------------------------------------------------- editing

LdbResult LdbLockRecord(LdbHandle cursor, std::uint32_t recordNumber) {
    return WithCursor(cursor, [&](Cursor& c) {
        if (!c.live) return Fail(LdbErrStaticCursor, "The cursor is a static copy; its records cannot be locked.");
        if (recordNumber != 0 && c.indexOf.find(recordNumber) == c.indexOf.end())
            return Fail(LdbErrNoCurrentRecord, "The cursor has no record " + std::to_string(recordNumber) + ".");
        return LdbSuccess;
    });
}

LdbResult LdbUnlockRecord(LdbHandle cursor, std::uint32_t) {
    return WithCursor(cursor, [](Cursor&) { return LdbSuccess; });
}

LdbResult LdbAppendRecord(LdbHandle cursor) {
    return Move(cursor, [](Cursor& c) {
        if (!c.live) return Fail(LdbErrPermissionDenied, "The cursor is read-only.");
        Row row = NullRow(c);
        row.recno = c.nextRecno++;
        long at = std::clamp(c.pos, 0L, static_cast<long>(c.rows.size()));
        c.rows.insert(c.rows.begin() + at, std::move(row));
        c.Reindex();
        ++c.changes;
        c.pos = at;
        c.pending = true;
        c.pendingAppend = true;
        return LdbSuccess;
    });
}

namespace {
// A key value for an index segment: text as given, other fields raw.
LdbResult IndexKeyValue(LdbHandle index, std::uint32_t field, const void* value, std::uint32_t len, bool raw) {
    auto lock = Lock();
    Cursor* c = CursorOfIndex(index);
    if (!c) return InvalidHandle(index);
    if (field < 1 || field > c->fields.size()) return BadField(field);
    FieldInfo f = c->fields[field - 1];
    SqlValue v;
    bool partial = false;
    if (!raw || f.t.type == LdbTypeString) {
        // Text shorter than its field is the start of a key.
        std::string text(static_cast<const char*>(value), len);
        std::size_t nul = text.find('\0');
        if (nul != std::string::npos) text.resize(nul);
        partial = f.t.type == LdbTypeString && len < f.t.length;
        v = SqlValue::MakeText(text);
    } else {
        if (len < f.t.length) return Fail(LdbErrInsufficientBuffer, "The value of field " + f.name + " is too short.");
        f.offset = 0;
        std::string error;
        if (!DecodeRaw(f, static_cast<const char*>(value), v, error)) return Fail(LdbErrInvalidArgument, error);
    }
    return SetIndexKeyField(index, field, &v, partial);
}
}  // namespace

LdbResult LdbSetField(LdbHandle cursor, std::uint32_t field, const void* value, std::uint32_t len) {
    if (!value && len > 0) return MissingArgument();
    if (IsIndexHandle(cursor)) return IndexKeyValue(cursor, field, value, len, false);
    return WithCursor(cursor, [&](Cursor& c) {
        LdbResult r = BeginChange(c, field);
        if (r != LdbSuccess) return r;
        const FieldInfo& f = c.fields[field - 1];
        std::string bytes(static_cast<const char*>(value), len);
        SqlValue v;
        if (f.t.type == LdbTypeBinary || f.t.type == LdbTypeImage) {
            if (!bytes.empty()) v = SqlValue::MakeBlob(bytes);
        } else if (f.t.type == LdbTypeMemo) {
            if (!bytes.empty()) v = SqlValue::MakeText(bytes);
        } else {
            std::size_t nul = bytes.find('\0');
            if (nul != std::string::npos) bytes.resize(nul);
            while (!bytes.empty() && bytes.back() == ' ') bytes.pop_back();
            if (f.t.type == LdbTypeString && bytes.size() > f.t.length)
                return Fail(LdbErrValueTooLong, "The value is too long for column \"" + f.name + "\".");
            if (!bytes.empty()) v = SqlValue::MakeText(bytes);
        }
        ApplyChange(c, field, std::move(v));
        return LdbSuccess;
    });
}

LdbResult LdbSetFieldRaw(LdbHandle cursor, std::uint32_t field, const void* value, std::uint32_t len) {
    if (!value) return MissingArgument();
    if (IsIndexHandle(cursor)) return IndexKeyValue(cursor, field, value, len, true);
    return WithCursor(cursor, [&](Cursor& c) {
        LdbResult r = BeginChange(c, field);
        if (r != LdbSuccess) return r;
        FieldInfo f = c.fields[field - 1];
        if (IsBlobType(f.t.type)) return Fail(LdbErrInvalidArgument, "Field " + f.name + " is a blob field.");
        if (len < f.t.length) return Fail(LdbErrInsufficientBuffer, "The value of field " + f.name + " is too short.");
        // Decode from a record holding just this field.
        std::vector<char> record(f.t.length);
        std::memcpy(record.data(), value, f.t.length);
        f.offset = 0;
        SqlValue v;
        std::string error;
        if (!DecodeRaw(f, record.data(), v, error)) return Fail(LdbErrInvalidArgument, error);
        ApplyChange(c, field, std::move(v));
        return LdbSuccess;
    });
}

LdbResult LdbWriteRecord(LdbHandle cursor) {
    return WithCursor(cursor, [](Cursor& c) { return WritePending(c); });
}

LdbResult LdbCancelUpdate(LdbHandle cursor) {
    return WithCursor(cursor, [](Cursor& c) {
        if (!c.pending) return Fail(LdbErrNoUpdatePending, "There are no changes to cancel.");
        if (c.pendingAppend) {
            if (c.OnRow()) c.rows.erase(c.rows.begin() + c.pos);
            c.Reindex();
        } else if (c.OnRow()) {
            RestoreBackup(c);
        }
        ++c.changes;
        DropPending(c);
        return LdbSuccess;
    });
}

LdbResult LdbDeleteRecord(LdbHandle cursor) {
    return WithCursor(cursor, [](Cursor& c) {
        if (!c.live) return Fail(LdbErrPermissionDenied, "The cursor is read-only.");
        if (!c.OnRow()) return NoRecord();
        if (c.pendingAppend) {
            c.rows.erase(c.rows.begin() + c.pos);
            c.Reindex();
            DropPending(c);
            return LdbSuccess;
        }
        if (c.pending) {
            RestoreBackup(c);
            DropPending(c);
        }
        Row& row = c.Current();
        if (row.deleted) return Fail(LdbErrRecordDeleted, "The record has been deleted.");
        Connection* conn = Engine::Instance().Get<Connection>(c.connection, LdbHandleConnection);
        if (!conn) return Fail(LdbErrNotConnected, "The cursor's connection is closed.");
        std::string sql = "DELETE FROM " + QuoteId(c.table) + " WHERE rowid = ?1";
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(conn->db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) return FailSql(conn->db, sql);
        sqlite3_bind_int64(s, 1, row.rowid);
        int rc = sqlite3_step(s);
        sqlite3_finalize(s);
        if (rc != SQLITE_DONE) return FailSql(conn->db, sql);
        row.deleted = true;
        ++c.changes;
        return LdbSuccess;
    });
}

// ---------------------------------------------------------------- filters

namespace {
LdbResult SetExpression(LdbHandle cursor, const char* text, bool aof) {
    if (!text) return MissingArgument();
    return WithCursor(cursor, [&](Cursor& c) {
        LdbResult r = WritePending(c);
        if (r != LdbSuccess) return r;
        auto e = std::make_shared<Expression>();
        std::string error;
        if (!e->Parse(text, c.fields, error))
            return Fail(LdbErrBadExpression, "The filter expression \"" + std::string(text) + "\" is not valid: " + error);
        (aof ? c.aof : c.filter) = e;
        return LdbSuccess;
    });
}

LdbResult ClearExpression(LdbHandle cursor, bool aof) {
    return WithCursor(cursor, [&](Cursor& c) {
        auto& e = aof ? c.aof : c.filter;
        if (!e) return Fail(LdbErrNoFilter, "No filter is set.");
        e.reset();
        return LdbSuccess;
    });
}

LdbResult CopyExpression(LdbHandle cursor, const char* text, char* buffer, std::uint16_t* len) {
    if (!text) return MissingArgument();
    return WithCursor(cursor, [&](Cursor&) { return CopyText(text, buffer, len); });
}
}  // namespace

LdbResult LdbSetAOF(LdbHandle cursor, const char* expression, std::uint16_t) {
    return SetExpression(cursor, expression, true);
}
LdbResult LdbSetFilter(LdbHandle cursor, const char* expression) { return SetExpression(cursor, expression, false); }
LdbResult LdbClearAOF(LdbHandle cursor) { return ClearExpression(cursor, true); }
LdbResult LdbClearFilter(LdbHandle cursor) { return ClearExpression(cursor, false); }

LdbResult LdbGetAOF(LdbHandle cursor, char* buffer, std::uint16_t* len) {
    if (!len) return MissingArgument();
    return WithCursor(cursor, [&](Cursor& c) {
        if (!c.aof) return Fail(LdbErrNoFilter, "No filter is set.");
        if (!buffer) {
            *len = static_cast<std::uint16_t>(std::min<std::size_t>(c.aof->Text().size() + 1, 65535));
            return Fail(LdbErrInsufficientBuffer, "The buffer is too small.");
        }
        return CopyText(c.aof->Text(), buffer, len);
    });
}

LdbResult LdbSetExact22(LdbHandle cursor, std::uint16_t exact) {
    return WithCursor(cursor, [&](Cursor& c) {
        c.exact = exact != 0;
        return LdbSuccess;
    });
}

LdbResult LdbGetExact22(LdbHandle cursor, std::uint16_t* exact) {
    if (!exact) return MissingArgument();
    return WithCursor(cursor, [&](Cursor& c) {
        *exact = c.exact ? 1 : 0;
        return LdbSuccess;
    });
}

LdbResult LdbExpressionLongToShort(LdbHandle cursor, const char* expression, char* buffer, std::uint16_t* len) {
    return CopyExpression(cursor, expression, buffer, len);
}

LdbResult LdbExpressionShortToLong(LdbHandle cursor, const char* expression, char* buffer, std::uint16_t* len) {
    return CopyExpression(cursor, expression, buffer, len);
}

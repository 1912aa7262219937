// The engine's handles and errors, connections, statements and the
// conversions that need no handle.

#include "platform/ldb/LdbEngine.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace ldbi {

namespace {

struct LastError {
    LdbResult code = 0;
    std::string text;
};

LastError& ThreadLastError() {
    thread_local LastError e;
    return e;
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Backslashes written in the platform's style become slashes.
std::string NormalisePath(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

bool Exec(sqlite3* db, const std::string& sql) { return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK; }

// Matches a file mask with * and ? (case-insensitive).
bool MaskMatches(const std::string& mask, const std::string& name) {
    std::string m = Upper(mask), n = Upper(name);
    std::size_t mi = 0, ni = 0, star = std::string::npos, mark = 0;
    while (ni < n.size()) {
        if (mi < m.size() && (m[mi] == '?' || m[mi] == n[ni])) {
            ++mi;
            ++ni;
        } else if (mi < m.size() && m[mi] == '*') {
            star = mi++;
            mark = ni;
        } else if (star != std::string::npos) {
            mi = star + 1;
            ni = ++mark;
        } else {
            return false;
        }
    }
    while (mi < m.size() && m[mi] == '*') ++mi;
    return mi == m.size();
}

LdbResult ConnectTo(const std::string& given, LdbHandle* handle) {
    if (!handle) return MissingArgument();
    *handle = 0;
    std::string path = NormalisePath(given);
    auto conn = std::make_unique<Connection>();
    conn->path = given;
    conn->dictionary = Upper(path).find(".LDD") != std::string::npos;
    int flags = SQLITE_OPEN_READWRITE;
    if (conn->dictionary) {
        if (!IsFile(path)) return Fail(LdbErrDatabaseNotFound, "The database " + given + " does not exist.");
        conn->file = path;
    } else {
        while (path.size() > 1 && path.back() == '/') path.pop_back();
        if (path.empty() || !IsDirectory(path))
            return Fail(LdbErrDatabaseNotFound, "The folder " + given + " does not exist.");
        conn->file = path + "/FreeTables.ldb";
        flags |= SQLITE_OPEN_CREATE;
    }
    if (sqlite3_open_v2(conn->file.c_str(), &conn->db, flags, nullptr) != SQLITE_OK) {
        LdbResult r = FailSql(conn->db, "");
        return r;
    }
    sqlite3_busy_timeout(conn->db, 2000);
    // A file that is not a database fails here rather than on first use.
    sqlite3_stmt* probe = nullptr;
    if (sqlite3_prepare_v2(conn->db, "SELECT count(*) FROM sqlite_master", -1, &probe, nullptr) != SQLITE_OK ||
        sqlite3_step(probe) != SQLITE_ROW) {
        sqlite3_finalize(probe);
        return FailSql(conn->db, "");
    }
    sqlite3_finalize(probe);
    *handle = Engine::Instance().Add(std::move(conn));
    return LdbSuccess;
}

void CloseConnection(LdbHandle h) {
    Engine& e = Engine::Instance();
    for (LdbHandle other : e.Handles()) {
        Object* o = e.Find(other);
        if (o && o->connection == h) e.Remove(other);
    }
    e.Remove(h);
}

Connection* ConnectionOf(LdbHandle h) { return Engine::Instance().Get<Connection>(h, LdbHandleConnection); }
Statement* StatementOf(LdbHandle h) { return Engine::Instance().Get<Statement>(h, LdbHandleStatement); }

LdbResult SetParam(LdbHandle statement, std::uint32_t param, SqlValue v) {
    Statement* st = StatementOf(statement);
    if (!st) return InvalidHandle(statement);
    if (param < 1 || param > st->params.size())
        return Fail(LdbErrInvalidFieldNumber, "The statement has no parameter " + std::to_string(param) + ".");
    st->params[param - 1] = std::move(v);
    return LdbSuccess;
}

bool IsDml(const std::string& sql) {
    for (const Token& t : Tokenize(sql)) {
        if (t.kind == Token::Space || t.kind == Token::Comment) continue;
        std::string w = Upper(t.text);
        return w == "INSERT" || w == "UPDATE" || w == "DELETE" || w == "REPLACE";
    }
    return false;
}

LdbResult BindParams(sqlite3_stmt* stmt, Statement& st) {
    int count = sqlite3_bind_parameter_count(stmt);
    for (int i = 1; i <= count; ++i) {
        const char* name = sqlite3_bind_parameter_name(stmt, i);
        std::size_t index = static_cast<std::size_t>(i);
        if (name && name[0] == '?') index = static_cast<std::size_t>(std::atoi(name + 1));
        if (index < 1 || index > st.params.size()) continue;
        const auto& v = st.params[index - 1];
        if (!v)
            return Fail(LdbErrParameterNotSet,
                        "Error 5120: The parameter :" + st.paramNames[index - 1] + " has no value.");
        BindValue(stmt, i, *v);
    }
    return LdbSuccess;
}

struct ColumnDesc {
    std::string name, type, deflt;
    bool notNull = false;
    int pk = 0;
};

LdbResult RebuildColumn(Connection& conn, const Action& a) {
    sqlite3* db = conn.db;
    std::vector<ColumnDesc> cols;
    {
        sqlite3_stmt* s = nullptr;
        std::string sql = "PRAGMA table_info(" + QuoteId(a.table) + ")";
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) return FailSql(db, sql);
        while (sqlite3_step(s) == SQLITE_ROW) {
            ColumnDesc c;
            c.name = reinterpret_cast<const char*>(sqlite3_column_text(s, 1));
            const unsigned char* t = sqlite3_column_text(s, 2);
            c.type = t ? reinterpret_cast<const char*>(t) : "";
            c.notNull = sqlite3_column_int(s, 3) != 0;
            const unsigned char* d = sqlite3_column_text(s, 4);
            if (d) c.deflt = reinterpret_cast<const char*>(d);
            c.pk = sqlite3_column_int(s, 5);
            cols.push_back(c);
        }
        sqlite3_finalize(s);
    }
    if (cols.empty())
        return Fail(LdbErrSql, "Error 7200: no such table: " + a.table + " (NativeError = 1;)");
    auto it = std::find_if(cols.begin(), cols.end(), [&](const ColumnDesc& c) { return SameName(c.name, a.oldName); });
    if (it == cols.end())
        return Fail(LdbErrSql, "Error 7200: no such column: " + a.oldName + " in table " + a.table + " (NativeError = 1;)");
    std::string defs, oldList, newList, pk;
    for (const ColumnDesc& c : cols) {
        bool target = &c == &*it;
        std::string name = target ? a.newName : c.name;
        if (!defs.empty()) {
            defs += ", ";
            oldList += ", ";
            newList += ", ";
        }
        defs += QuoteId(name) + " " + (target ? a.type : c.type);
        if (!target) {
            if (c.notNull) defs += " NOT NULL";
            if (!c.deflt.empty()) defs += " DEFAULT " + c.deflt;
        }
        if (c.pk > 0) pk += (pk.empty() ? "" : ", ") + QuoteId(name);
        oldList += QuoteId(c.name);
        newList += QuoteId(name);
    }
    if (!pk.empty()) defs += ", PRIMARY KEY (" + pk + ")";
    std::vector<std::string> indexes;
    {
        sqlite3_stmt* s = nullptr;
        const char* sql = "SELECT sql FROM sqlite_master WHERE type = 'index' AND tbl_name = ?1 AND sql IS NOT NULL";
        if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) != SQLITE_OK) return FailSql(db, sql);
        sqlite3_bind_text(s, 1, a.table.c_str(), -1, SQLITE_TRANSIENT);
        while (sqlite3_step(s) == SQLITE_ROW) indexes.push_back(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
        sqlite3_finalize(s);
    }
    std::string temp = a.table + "__rebuild";
    std::vector<std::string> steps = {
        "CREATE TABLE " + QuoteId(temp) + " (" + defs + ")",
        "INSERT INTO " + QuoteId(temp) + " (rowid, " + newList + ") SELECT rowid, " + oldList + " FROM " +
            QuoteId(a.table),
        "DROP TABLE " + QuoteId(a.table),
        "ALTER TABLE " + QuoteId(temp) + " RENAME TO " + QuoteId(a.table),
    };
    steps.insert(steps.end(), indexes.begin(), indexes.end());
    for (const std::string& sql : steps)
        if (!Exec(db, sql)) return FailSql(db, sql);
    return LdbSuccess;
}

}  // namespace

// ---------------------------------------------------------------- engine

Connection::~Connection() {
    if (db) sqlite3_close_v2(db);
}

void Cursor::Reindex() {
    indexOf.clear();
    for (std::size_t i = 0; i < rows.size(); ++i) indexOf[rows[i].recno] = i;
}

Engine& Engine::Instance() {
    // Never destroyed, so components may still disconnect while the
    // program's static objects are torn down.
    static Engine* engine = new Engine;
    return *engine;
}

LdbHandle Engine::Add(std::unique_ptr<Object> object) {
    LdbHandle h = next_++;
    if (next_ <= 0) next_ = 1;
    objects_[h] = std::move(object);
    return h;
}

Object* Engine::Find(LdbHandle handle) {
    auto it = objects_.find(handle);
    return it == objects_.end() ? nullptr : it->second.get();
}

void Engine::Remove(LdbHandle handle) { objects_.erase(handle); }

std::vector<LdbHandle> Engine::Handles() const {
    std::vector<LdbHandle> out;
    for (const auto& [h, o] : objects_) out.push_back(h);
    std::sort(out.begin(), out.end());
    return out;
}

LdbResult Fail(LdbResult code, const std::string& text) {
    LastError& e = ThreadLastError();
    e.code = code;
    e.text = text.rfind("Error ", 0) == 0 ? text : "Error " + std::to_string(code) + ": " + text;
    return code;
}

LdbResult FailSql(sqlite3* db, const std::string& sql) {
    int native = db ? sqlite3_extended_errcode(db) : SQLITE_CANTOPEN;
    std::string message = db ? sqlite3_errmsg(db) : "out of memory";
    std::string text = "Error 7200: " + message + " (NativeError = " + std::to_string(native) + ";";
    if (!sql.empty()) text += " statement: " + CutUtf8(sql, 300);
    text += ")";
    return Fail(LdbErrSql, text);
}

LdbResult InvalidHandle(LdbHandle handle) {
    return Fail(LdbErrInvalidHandle, "Invalid handle " + std::to_string(handle) + ".");
}

LdbResult MissingArgument() { return Fail(LdbErrInvalidArgument, "A required argument is missing."); }

LdbResult CopyText(const std::string& text, char* buffer, std::uint16_t* len) {
    if (!buffer || !len) return MissingArgument();
    std::size_t room = *len;
    if (text.size() + 1 > room) {
        *len = static_cast<std::uint16_t>(std::min<std::size_t>(text.size() + 1, 65535));
        return Fail(LdbErrInsufficientBuffer, "The buffer is too small.");
    }
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = 0;
    *len = static_cast<std::uint16_t>(text.size());
    return LdbSuccess;
}

SqlValue ColumnValue(sqlite3_stmt* stmt, int column) {
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER: return SqlValue::MakeInt(sqlite3_column_int64(stmt, column));
    case SQLITE_FLOAT: return SqlValue::MakeReal(sqlite3_column_double(stmt, column));
    case SQLITE_TEXT: {
        const char* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
        return SqlValue::MakeText(std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(stmt, column))));
    }
    case SQLITE_BLOB: {
        const char* p = static_cast<const char*>(sqlite3_column_blob(stmt, column));
        int n = sqlite3_column_bytes(stmt, column);
        return SqlValue::MakeBlob(p ? std::string(p, static_cast<std::size_t>(n)) : std::string());
    }
    default: return {};
    }
}

int BindValue(sqlite3_stmt* stmt, int index, const SqlValue& v) {
    switch (v.kind) {
    case SqlValue::Int: return sqlite3_bind_int64(stmt, index, v.i);
    case SqlValue::Real: return sqlite3_bind_double(stmt, index, v.d);
    case SqlValue::Text:
        return sqlite3_bind_text(stmt, index, v.s.data(), static_cast<int>(v.s.size()), SQLITE_TRANSIENT);
    case SqlValue::Blob:
        return sqlite3_bind_blob(stmt, index, v.s.data(), static_cast<int>(v.s.size()), SQLITE_TRANSIENT);
    default: return sqlite3_bind_null(stmt, index);
    }
}

void CloseCursorsOf(LdbHandle statement, LdbHandle connection) {
    Engine& e = Engine::Instance();
    for (LdbHandle h : e.Handles()) {
        Cursor* c = e.Get<Cursor>(h, LdbHandleCursor);
        if (c && ((statement != 0 && c->statement == statement) || (statement == 0 && c->connection == connection)))
            RemoveCursor(h);
    }
}

LdbResult RunStatement(Statement& st, Connection& conn, LdbHandle statementHandle, LdbHandle* cursor) {
    sqlite3* db = conn.db;
    st.changes = -1;
    std::size_t actionCount = 0;
    bool rebuild = false;
    for (const auto& list : st.statements) {
        actionCount += list.size();
        for (const Action& a : list) rebuild = rebuild || a.kind == Action::RebuildColumn;
    }
    bool atomic = actionCount > 1 || rebuild;
    if (atomic && !Exec(db, "SAVEPOINT ldb_statement")) return FailSql(db, "SAVEPOINT");
    auto failed = [&](LdbResult r) {
        if (atomic) {
            Exec(db, "ROLLBACK TO ldb_statement");
            Exec(db, "RELEASE ldb_statement");
        }
        return r;
    };
    std::size_t done = 0;
    for (const auto& list : st.statements) {
        for (const Action& a : list) {
            ++done;
            bool last = done == actionCount;
            if (a.kind == Action::RebuildColumn) {
                LdbResult r = RebuildColumn(conn, a);
                if (r != LdbSuccess) return failed(r);
                continue;
            }
            sqlite3_stmt* stmt = nullptr;
            if (sqlite3_prepare_v2(db, a.sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
                LdbResult r = FailSql(db, a.sql);
                return failed(r);
            }
            if (!stmt) continue;  // nothing but comments
            LdbResult r = BindParams(stmt, st);
            if (r != LdbSuccess) {
                sqlite3_finalize(stmt);
                return failed(r);
            }
            if (last && sqlite3_column_count(stmt) > 0) {
                r = OpenCursor(conn, st, statementHandle, stmt, a.sql, cursor);
                sqlite3_finalize(stmt);
                if (r != LdbSuccess) return failed(r);
                continue;
            }
            int rc;
            while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            }
            if (rc != SQLITE_DONE) {
                r = FailSql(db, a.sql);
                sqlite3_finalize(stmt);
                return failed(r);
            }
            sqlite3_finalize(stmt);
            if (IsDml(a.sql)) st.changes = sqlite3_changes(db);
        }
    }
    if (atomic && !Exec(db, "RELEASE ldb_statement")) return failed(FailSql(db, "RELEASE"));
    st.lastInsert = sqlite3_last_insert_rowid(db);
    return LdbSuccess;
}

}  // namespace ldbi

using namespace ldbi;

namespace {
std::unique_lock<std::recursive_mutex> Lock() { return std::unique_lock(Engine::Instance().Mutex()); }
}  // namespace

// ---------------------------------------------------------------- errors

LdbResult LdbGetLastError(LdbResult* code, char* buffer, std::uint16_t* len) {
    auto lock = Lock();
    if (!code || !buffer || !len) return LdbErrInvalidArgument;
    const LastError& e = ThreadLastError();
    *code = e.code;
    if (*len == 0) return LdbSuccess;
    std::string text = CutUtf8(e.text, static_cast<std::size_t>(*len) - 1);
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = 0;
    *len = static_cast<std::uint16_t>(text.size());
    return LdbSuccess;
}

LdbResult LdbSetLastError(LdbResult code, const char* text) {
    LastError& e = ThreadLastError();
    e.code = code;
    e.text = text ? text : "";
    return code;
}

LdbResult LdbShowError(const char* title) {
    const LastError& e = ThreadLastError();
    std::fprintf(stderr, "%s: %s\n", title ? title : "", e.text.c_str());
    return LdbSuccess;
}

// ---------------------------------------------------------------- engine

LdbResult LdbGetVersion(std::uint32_t* major, std::uint32_t* minor, char* letter, char* description,
                        std::uint16_t* len) {
    if (major) *major = 1;
    if (minor) *minor = 0;
    if (letter) *letter = ' ';
    std::string text = std::string("Local engine over SQLite ") + sqlite3_libversion();
    if (description && len) return CopyText(text, description, len);
    return LdbSuccess;
}

LdbResult LdbGetHandleType(LdbHandle handle, std::uint16_t* type) {
    auto lock = Lock();
    if (!type) return MissingArgument();
    Object* o = Engine::Instance().Find(handle);
    if (!o || o->kind == 0 || o->kind > LdbHandleStatement) return InvalidHandle(handle);
    *type = o->kind;
    return LdbSuccess;
}

LdbResult LdbCacheOpenTables(std::uint16_t) { return LdbSuccess; }
LdbResult LdbCacheOpenCursors(std::uint16_t) { return LdbSuccess; }

LdbResult LdbConvertJulianToString(double julian, char* buffer, std::uint16_t* len) {
    int y, m, d;
    auto j = static_cast<std::int32_t>(std::trunc(julian));
    if (j < JulianFromCivil(1, 1, 1) || j > JulianFromCivil(9999, 12, 31))
        return Fail(LdbErrInvalidArgument, "Julian day " + std::to_string(j) + " is out of range.");
    CivilFromJulian(j, y, m, d);
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", y, m, d);
    return CopyText(text, buffer, len);
}

LdbResult LdbConvertStringToJulian(const char* text, std::uint16_t textLen, double* julian) {
    if (!text || !julian) return MissingArgument();
    std::string s(text, strnlen(text, textLen));
    std::int32_t j;
    if (!ParseDate(s, j)) return Fail(LdbErrInvalidArgument, "'" + s + "' is not a date.");
    *julian = j;
    return LdbSuccess;
}

// ---------------------------------------------------------------- connections

LdbResult LdbConnect(const char* path, LdbHandle* connection) {
    auto lock = Lock();
    if (!path) return MissingArgument();
    return ConnectTo(path, connection);
}

LdbResult LdbConnect60(const char* path, std::uint16_t serverTypes, const char* user, const char* password,
                       std::uint32_t options, LdbHandle* connection) {
    auto lock = Lock();
    if (!path) return MissingArgument();
    if (serverTypes != 0 && (serverTypes & LdbServerLocal) == 0)
        return Fail(LdbErrServerUnavailable, "Only the local engine is available.");
    // The local engine keeps no user accounts: user and password are accepted.
    (void)user;
    (void)password;
    (void)options;
    return ConnectTo(path, connection);
}

LdbResult LdbDisconnect(LdbHandle connection) {
    auto lock = Lock();
    Engine& e = Engine::Instance();
    if (connection == 0) {
        for (LdbHandle h : e.Handles())
            if (e.Get<Connection>(h, LdbHandleConnection)) CloseConnection(h);
        return LdbSuccess;
    }
    if (!ConnectionOf(connection))
        return Fail(LdbErrNotConnected, "The connection " + std::to_string(connection) + " is not open.");
    CloseConnection(connection);
    return LdbSuccess;
}

LdbResult LdbGetConnectionType(LdbHandle connection, std::uint16_t* type) {
    auto lock = Lock();
    if (!type) return MissingArgument();
    if (!ConnectionOf(connection)) return InvalidHandle(connection);
    *type = 1;  // local
    return LdbSuccess;
}

LdbResult LdbGetServerName(LdbHandle connection, char* buffer, std::uint16_t* len) {
    auto lock = Lock();
    Connection* c = ConnectionOf(connection);
    if (!c) return InvalidHandle(connection);
    return CopyText(c->file, buffer, len);
}

LdbResult LdbBeginTransaction(LdbHandle connection) {
    auto lock = Lock();
    Connection* c = ConnectionOf(connection);
    if (!c) return InvalidHandle(connection);
    if (c->inTransaction) return Fail(LdbErrTransaction, "A transaction is already active.");
    if (!Exec(c->db, "BEGIN")) return FailSql(c->db, "BEGIN");
    c->inTransaction = true;
    return LdbSuccess;
}

LdbResult LdbCommitTransaction(LdbHandle connection) {
    auto lock = Lock();
    Connection* c = ConnectionOf(connection);
    if (!c) return InvalidHandle(connection);
    if (!c->inTransaction) return Fail(LdbErrTransaction, "No transaction is active.");
    if (!Exec(c->db, "COMMIT")) return FailSql(c->db, "COMMIT");
    c->inTransaction = false;
    return LdbSuccess;
}

LdbResult LdbRollbackTransaction(LdbHandle connection) {
    auto lock = Lock();
    Connection* c = ConnectionOf(connection);
    if (!c) return InvalidHandle(connection);
    if (!c->inTransaction) return Fail(LdbErrTransaction, "No transaction is active.");
    if (!Exec(c->db, "ROLLBACK")) return FailSql(c->db, "ROLLBACK");
    c->inTransaction = false;
    return LdbSuccess;
}

LdbResult LdbFindFirstTable(LdbHandle connection, const char* pattern, char* name, std::uint16_t* len,
                            LdbHandle* find) {
    auto lock = Lock();
    if (!find) return MissingArgument();
    *find = 0;
    Connection* c = ConnectionOf(connection);
    if (!c) return InvalidHandle(connection);
    std::string mask = pattern ? NormalisePath(pattern) : std::string();
    std::size_t slash = mask.rfind('/');
    if (slash != std::string::npos) mask = mask.substr(slash + 1);
    auto f = std::make_unique<ldbi::Find>();
    f->connection = connection;
    sqlite3_stmt* s = nullptr;
    const char* sql = "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' "
                      "ORDER BY name";
    if (sqlite3_prepare_v2(c->db, sql, -1, &s, nullptr) != SQLITE_OK) return FailSql(c->db, sql);
    while (sqlite3_step(s) == SQLITE_ROW) {
        std::string table = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
        std::string shown = c->dictionary ? table : table + ".ldt";
        if (mask.empty() || MaskMatches(mask, shown) || MaskMatches(mask, table)) f->names.push_back(shown);
    }
    sqlite3_finalize(s);
    if (f->names.empty()) return Fail(LdbErrNoMoreTables, "No tables found.");
    LdbResult r = CopyText(f->names[0], name, len);
    if (r != LdbSuccess) return r;
    f->next = 1;
    *find = Engine::Instance().Add(std::move(f));
    return LdbSuccess;
}

LdbResult LdbFindNextTable(LdbHandle connection, LdbHandle find, char* name, std::uint16_t* len) {
    auto lock = Lock();
    auto* f = Engine::Instance().Get<ldbi::Find>(find, 0);
    if (!f || f->connection != connection) return InvalidHandle(find);
    if (f->next >= f->names.size()) return Fail(LdbErrNoMoreTables, "No more tables.");
    LdbResult r = CopyText(f->names[f->next], name, len);
    if (r == LdbSuccess) ++f->next;
    return r;
}

LdbResult LdbFindClose(LdbHandle connection, LdbHandle find) {
    auto lock = Lock();
    auto* f = Engine::Instance().Get<ldbi::Find>(find, 0);
    if (!f || f->connection != connection) return InvalidHandle(find);
    Engine::Instance().Remove(find);
    return LdbSuccess;
}

// ---------------------------------------------------------------- statements

LdbResult LdbCreateSQLStatement(LdbHandle connection, LdbHandle* statement) {
    auto lock = Lock();
    if (!statement) return MissingArgument();
    *statement = 0;
    if (!ConnectionOf(connection)) return InvalidHandle(connection);
    auto st = std::make_unique<Statement>();
    st->connection = connection;
    *statement = Engine::Instance().Add(std::move(st));
    return LdbSuccess;
}

LdbResult LdbPrepareSQL(LdbHandle statement, const char* sql) {
    auto lock = Lock();
    Statement* st = StatementOf(statement);
    if (!st) return InvalidHandle(statement);
    if (!sql) return MissingArgument();
    st->prepared = false;
    st->sql = sql;
    std::string numbered = NumberParameters(st->sql, st->paramNames);
    st->params.assign(st->paramNames.size(), std::nullopt);
    st->statements.clear();
    for (const std::string& text : SplitStatements(numbered)) {
        std::vector<Action> actions;
        std::string error;
        if (!TranslateStatement(text, actions, error))
            return Fail(LdbErrSql, "Error 7200: " + error + " (NativeError = 1; statement: " + CutUtf8(text, 300) + ")");
        st->statements.push_back(std::move(actions));
    }
    if (st->statements.empty()) return Fail(LdbErrSql, "Error 7200: The SQL text is empty. (NativeError = 1;)");
    st->prepared = true;
    return LdbSuccess;
}

LdbResult LdbExecuteSQL(LdbHandle statement, LdbHandle* cursor) {
    auto lock = Lock();
    if (!cursor) return MissingArgument();
    *cursor = 0;
    Statement* st = StatementOf(statement);
    if (!st) return InvalidHandle(statement);
    if (!st->prepared) return Fail(LdbErrNotPrepared, "The statement has not been prepared.");
    Connection* c = ConnectionOf(st->connection);
    if (!c) return Fail(LdbErrNotConnected, "The statement's connection is closed.");
    return RunStatement(*st, *c, statement, cursor);
}

LdbResult LdbCloseSQLStatement(LdbHandle statement) {
    auto lock = Lock();
    if (!StatementOf(statement))
        return Fail(LdbErrStatementClosed, "The statement " + std::to_string(statement) + " is not open.");
    CloseCursorsOf(statement, 0);
    Engine::Instance().Remove(statement);
    return LdbSuccess;
}

LdbResult LdbGetSQLStmtParams(const char* sql, char* names, std::uint16_t* len) {
    auto lock = Lock();
    if (!sql) return MissingArgument();
    std::vector<std::string> list;
    NumberParameters(sql, list);
    std::string joined;
    for (const std::string& n : list) joined += (joined.empty() ? "" : ";") + n;
    if (!names || !len) return LdbSuccess;
    return CopyText(joined, names, len);
}

namespace {
LdbResult StatementOption(LdbHandle statement, std::uint16_t value, std::uint16_t low, std::uint16_t high,
                          std::uint16_t* target = nullptr) {
    auto lock = Lock();
    Statement* st = StatementOf(statement);
    if (!st) return InvalidHandle(statement);
    if (value < low || value > high)
        return Fail(LdbErrInvalidArgument, "Invalid statement option value " + std::to_string(value) + ".");
    if (target) *target = value;
    return LdbSuccess;
}
}  // namespace

LdbResult LdbStmtSetTableLockType(LdbHandle statement, std::uint16_t v) { return StatementOption(statement, v, 0, 1); }
LdbResult LdbStmtSetTableCharType(LdbHandle statement, std::uint16_t v) { return StatementOption(statement, v, 1, 2); }
LdbResult LdbStmtSetTableRights(LdbHandle statement, std::uint16_t v) { return StatementOption(statement, v, 1, 2); }
LdbResult LdbStmtSetTableType(LdbHandle statement, std::uint16_t v) { return StatementOption(statement, v, 1, 3); }
LdbResult LdbStmtConstrainUpdates(LdbHandle statement, std::uint16_t v) { return StatementOption(statement, v, 1, 2); }
LdbResult LdbStmtReadAllColumns(LdbHandle statement, std::uint16_t v) { return StatementOption(statement, v, 1, 2); }

LdbResult LdbStmtSetTableReadOnly(LdbHandle statement, std::uint16_t v) {
    auto lock = Lock();
    Statement* st = StatementOf(statement);
    return StatementOption(statement, v, 1, 2, st ? &st->readOnly : nullptr);
}

LdbResult LdbGetLastAutoinc(LdbHandle handle, std::uint32_t* value) {
    auto lock = Lock();
    if (!value) return MissingArgument();
    Engine& e = Engine::Instance();
    if (Statement* st = StatementOf(handle)) {
        *value = static_cast<std::uint32_t>(st->lastInsert);
        return LdbSuccess;
    }
    if (auto* c = e.Get<Cursor>(handle, LdbHandleCursor)) {
        Connection* conn = ConnectionOf(c->connection);
        *value = conn ? static_cast<std::uint32_t>(sqlite3_last_insert_rowid(conn->db)) : 0;
        return LdbSuccess;
    }
    return InvalidHandle(handle);
}

LdbResult LdbSetString(LdbHandle statement, std::uint32_t param, const char* text, std::uint32_t len) {
    auto lock = Lock();
    if (!text && len > 0) return MissingArgument();
    return SetParam(statement, param, SqlValue::MakeText(text ? std::string(text, len) : std::string()));
}

LdbResult LdbSetLogical(LdbHandle statement, std::uint32_t param, std::uint16_t value) {
    auto lock = Lock();
    return SetParam(statement, param, SqlValue::MakeInt(value ? 1 : 0));
}

LdbResult LdbSetDouble(LdbHandle statement, std::uint32_t param, double value) {
    auto lock = Lock();
    if (!std::isfinite(value)) return Fail(LdbErrInvalidArgument, "The value is not a finite number.");
    return SetParam(statement, param, SqlValue::MakeReal(value));
}

LdbResult LdbSetJulian(LdbHandle statement, std::uint32_t param, std::int32_t julian) {
    auto lock = Lock();
    if (julian < JulianFromCivil(1, 1, 1) || julian > JulianFromCivil(9999, 12, 31))
        return Fail(LdbErrInvalidArgument, "Julian day " + std::to_string(julian) + " is out of range.");
    return SetParam(statement, param, SqlValue::MakeText(FormatDate(julian)));
}

LdbResult LdbSetMilliseconds(LdbHandle statement, std::uint32_t param, std::int32_t milliseconds) {
    auto lock = Lock();
    if (milliseconds < 0 || milliseconds >= 86400000)
        return Fail(LdbErrInvalidArgument, "The time " + std::to_string(milliseconds) + " ms is out of range.");
    return SetParam(statement, param, SqlValue::MakeText(FormatTime(milliseconds)));
}

LdbResult LdbSetTimeStampRaw(LdbHandle statement, std::uint32_t param, const void* value, std::uint32_t len) {
    auto lock = Lock();
    if (!value || len < 8) return MissingArgument();
    std::int32_t j, ms;
    std::memcpy(&j, value, 4);
    std::memcpy(&ms, static_cast<const char*>(value) + 4, 4);
    if (j < JulianFromCivil(1, 1, 1) || j > JulianFromCivil(9999, 12, 31) || ms < 0 || ms >= 86400000)
        return Fail(LdbErrInvalidArgument, "The timestamp is out of range.");
    return SetParam(statement, param, SqlValue::MakeText(FormatTimeStamp(j, ms)));
}

LdbResult LdbSetBinary(LdbHandle statement, std::uint32_t param, std::uint16_t, std::uint32_t totalLength,
                       std::uint32_t offset, const void* data, std::uint32_t len) {
    auto lock = Lock();
    if (!data && len > 0) return MissingArgument();
    if (offset != 0 || len != totalLength)
        return Fail(LdbErrInvalidArgument, "A binary parameter is set in one piece.");
    return SetParam(statement, param, SqlValue::MakeBlob(std::string(static_cast<const char*>(data), len)));
}

LdbResult LdbSetEmpty(LdbHandle handle, std::uint32_t fieldOrParam) {
    auto lock = Lock();
    if (StatementOf(handle)) return SetParam(handle, fieldOrParam, SqlValue());
    return SetCursorEmpty(handle, fieldOrParam);
}

#pragma once
// Inside the engine: the objects behind the handles, the handle table and
// the per-thread last error.

#include <sqlite3.h>

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/ldb/Ldb.h"
#include "platform/ldb/LdbExpr.h"
#include "platform/ldb/LdbSql.h"
#include "platform/ldb/LdbValues.h"

namespace ldbi {

struct Object {
    explicit Object(std::uint16_t k) : kind(k) {}
    virtual ~Object() = default;
    std::uint16_t kind;
    // The connection the object belongs to (0 for a connection).
    LdbHandle connection = 0;
};

struct Connection : Object {
    Connection() : Object(LdbHandleConnection) {}
    ~Connection() override;
    sqlite3* db = nullptr;
    std::string path;  // as given
    std::string file;  // the SQLite file
    bool dictionary = false;
    bool inTransaction = false;
};

struct Statement : Object {
    Statement() : Object(LdbHandleStatement) {}
    bool prepared = false;
    std::string sql;
    std::vector<std::string> paramNames;
    std::vector<std::optional<SqlValue>> params;
    std::vector<std::vector<Action>> statements;
    std::uint16_t readOnly = LdbCursorReadOnly;
    std::int64_t changes = -1;
    std::int64_t lastInsert = 0;
};

struct Row {
    std::int64_t rowid = 0;
    std::uint32_t recno = 0;
    std::vector<char> record;
    // Content of blob fields, by field index (empty for other fields).
    std::vector<std::string> content;
    bool deleted = false;
};

struct Cursor : Object {
    Cursor() : Object(LdbHandleCursor) {}
    LdbHandle statement = 0;
    bool live = false;
    std::string table;  // the table a live cursor writes to
    std::vector<FieldInfo> fields;
    std::uint32_t recordLength = 0;
    std::vector<Row> rows;
    std::unordered_map<std::uint32_t, std::size_t> indexOf;  // recno -> position in rows
    std::uint32_t nextRecno = 1;
    // -1 before the first row, rows.size() after the last.
    long pos = -1;
    // Changes to the current row not written yet, by field index.
    bool pending = false;
    bool pendingAppend = false;
    std::map<std::size_t, SqlValue> pendingValues;
    // The current row as it was before the pending changes.
    std::vector<char> backupRecord;
    std::vector<std::string> backupContent;
    // Filters: rows that do not satisfy them are not visible.
    std::shared_ptr<Expression> aof, filter;
    bool exact = true;
    // The indexes of a live cursor's table, and a count of the changes to
    // its rows (an index orders them again after a change).
    std::vector<LdbHandle> indexes;
    std::uint64_t changes = 0;

    void Reindex();
    bool OnRow() const { return pos >= 0 && pos < static_cast<long>(rows.size()); }
    Row& Current() { return rows[static_cast<std::size_t>(pos)]; }
};

struct Find : Object {
    Find() : Object(0) {}
    std::vector<std::string> names;
    std::size_t next = 0;
};

// The engine's state: every handle, under one lock.
class Engine {
public:
    static Engine& Instance();
    std::recursive_mutex& Mutex() { return mutex_; }
    LdbHandle Add(std::unique_ptr<Object> object);
    Object* Find(LdbHandle handle);
    template <typename T>
    T* Get(LdbHandle handle, std::uint16_t kind) {
        Object* o = Find(handle);
        return o && o->kind == kind ? static_cast<T*>(o) : nullptr;
    }
    void Remove(LdbHandle handle);
    std::vector<LdbHandle> Handles() const;

private:
    std::recursive_mutex mutex_;
    std::unordered_map<LdbHandle, std::unique_ptr<Object>> objects_;
    LdbHandle next_ = 1;
};

// Records the calling thread's last failure and returns code.
LdbResult Fail(LdbResult code, const std::string& text);
// The failure of a SQLite call, as LdbErrSql with the native code.
LdbResult FailSql(sqlite3* db, const std::string& sql);
LdbResult InvalidHandle(LdbHandle handle);
LdbResult MissingArgument();

// Copies text into a caller buffer (see Ldb.h).
LdbResult CopyText(const std::string& text, char* buffer, std::uint16_t* len);

// Runs a statement's actions; a SELECT last opens a cursor.
LdbResult RunStatement(Statement& st, Connection& conn, LdbHandle statementHandle, LdbHandle* cursor);
// Builds a cursor from a prepared SELECT (stepped to its end here).
LdbResult OpenCursor(Connection& conn, Statement& st, LdbHandle statementHandle, sqlite3_stmt* stmt,
                     const std::string& sql, LdbHandle* cursor);
// Closes every cursor of a statement (0: of a connection).
void CloseCursorsOf(LdbHandle statement, LdbHandle connection);

// Writes a cursor's pending changes to its table.
LdbResult WritePending(Cursor& c);
// Gives a live cursor the indexes of its table.
void AttachIndexes(Connection& conn, LdbHandle cursorHandle, Cursor& c);
// Index handles take key values through LdbSetField, LdbSetFieldRaw and
// LdbSetEmpty (null value: an empty segment).
bool IsIndexHandle(LdbHandle h);
Cursor* CursorOfIndex(LdbHandle index);
// A partial text value matches the texts it starts.
LdbResult SetIndexKeyField(LdbHandle index, std::uint32_t field, const SqlValue* value, bool partial = false);
// Removes a cursor with its indexes.
void RemoveCursor(LdbHandle cursor);

// Whether a row is shown: not deleted and satisfying the filters.
bool RowVisible(const Cursor& c, const Row& row);

// A null field of a cursor's current record (LdbSetEmpty on a cursor).
LdbResult SetCursorEmpty(LdbHandle cursor, std::uint32_t field);

// SQLite helpers.
SqlValue ColumnValue(sqlite3_stmt* stmt, int column);
int BindValue(sqlite3_stmt* stmt, int index, const SqlValue& v);

}  // namespace ldbi

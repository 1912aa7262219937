// Connection services: links, server time, direct execution and the data
// dictionary's objects and properties.

#include <cstring>
#include <ctime>

#include "platform/ldb/LdbEngine.h"

using namespace ldbi;

namespace {

std::unique_lock<std::recursive_mutex> Lock() { return std::unique_lock(Engine::Instance().Mutex()); }

Connection* ConnectionOf(LdbHandle h) { return Engine::Instance().Get<Connection>(h, LdbHandleConnection); }

struct ObjectFind : Object {
    // A kind of its own, so no table search takes it for one of its handles.
    ObjectFind() : Object(0xFF01) {}
    std::vector<std::string> names;
    std::size_t next = 0;
};

ObjectFind* FindOf(LdbHandle connection, LdbHandle find) {
    auto* f = dynamic_cast<ObjectFind*>(Engine::Instance().Find(find));
    return f && f->connection == connection ? f : nullptr;
}

LdbResult NotDictionary() { return Fail(LdbErrInvalidHandle, "The connection is not a data dictionary connection."); }

}  // namespace

LdbResult LdbGetNumActiveLinks(LdbHandle connection, std::uint16_t* count) {
    auto lock = Lock();
    if (!count) return MissingArgument();
    if (!ConnectionOf(connection)) return InvalidHandle(connection);
    *count = 0;
    return LdbSuccess;
}

LdbResult LdbGetActiveLinkInfo(LdbHandle connection, std::uint16_t index, char* buffer, std::uint16_t* len) {
    auto lock = Lock();
    if (!ConnectionOf(connection)) return InvalidHandle(connection);
    return Fail(LdbErrInvalidArgument, "There is no active link " + std::to_string(index) + ".");
}

LdbResult LdbGetServerTime(LdbHandle connection, char* date, std::uint16_t* dateLen, std::int32_t* milliseconds,
                           char* time, std::uint16_t* timeLen) {
    auto lock = Lock();
    if (!milliseconds) return MissingArgument();
    if (!ConnectionOf(connection)) return InvalidHandle(connection);
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    std::tm local{};
    localtime_r(&ts.tv_sec, &local);
    char d[16], t[16];
    std::snprintf(d, sizeof d, "%04d%02d%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    std::snprintf(t, sizeof t, "%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
    *milliseconds = ((local.tm_hour * 60 + local.tm_min) * 60 + local.tm_sec) * 1000 +
                    static_cast<std::int32_t>(ts.tv_nsec / 1000000);
    LdbResult r = CopyText(d, date, dateLen);
    if (r != LdbSuccess) return r;
    return CopyText(t, time, timeLen);
}

LdbResult LdbConvertDateToJulian(LdbHandle connection, const char* date, std::uint16_t len, double* julian) {
    {
        auto lock = Lock();
        if (!ConnectionOf(connection)) return InvalidHandle(connection);
    }
    return LdbConvertStringToJulian(date, len, julian);
}

LdbResult LdbCloseCachedTables(LdbHandle connection) {
    auto lock = Lock();
    return ConnectionOf(connection) ? LdbSuccess : InvalidHandle(connection);
}

LdbResult LdbExecuteSQLDirect(LdbHandle statement, const char* sql, LdbHandle* cursor) {
    auto lock = Lock();
    LdbResult r = LdbPrepareSQL(statement, sql);
    if (r != LdbSuccess) return r;
    return LdbExecuteSQL(statement, cursor);
}

LdbResult LdbDDFindFirstObject(LdbHandle connection, std::uint16_t type, const char*, char* name, std::uint16_t* len,
                               LdbHandle* find) {
    auto lock = Lock();
    if (!find) return MissingArgument();
    *find = 0;
    Connection* c = ConnectionOf(connection);
    if (!c) return InvalidHandle(connection);
    if (!c->dictionary) return NotDictionary();
    if (type != LdbDDTable) return Fail(LdbErrInvalidArgument, "Unknown dictionary object type " + std::to_string(type) + ".");
    auto f = std::make_unique<ObjectFind>();
    f->connection = connection;
    sqlite3_stmt* s = nullptr;
    const char* sql = "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' "
                      "ORDER BY name";
    if (sqlite3_prepare_v2(c->db, sql, -1, &s, nullptr) != SQLITE_OK) return FailSql(c->db, sql);
    while (sqlite3_step(s) == SQLITE_ROW) f->names.push_back(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
    sqlite3_finalize(s);
    if (f->names.empty()) return Fail(LdbErrNoMoreObjects, "No more objects.");
    LdbResult r = CopyText(f->names[0], name, len);
    if (r != LdbSuccess) return r;
    f->next = 1;
    *find = Engine::Instance().Add(std::move(f));
    return LdbSuccess;
}

LdbResult LdbDDFindNextObject(LdbHandle connection, LdbHandle find, char* name, std::uint16_t* len) {
    auto lock = Lock();
    ObjectFind* f = FindOf(connection, find);
    if (!f) return InvalidHandle(find);
    if (f->next >= f->names.size()) return Fail(LdbErrNoMoreObjects, "No more objects.");
    LdbResult r = CopyText(f->names[f->next], name, len);
    if (r == LdbSuccess) ++f->next;
    return r;
}

LdbResult LdbDDFindClose(LdbHandle connection, LdbHandle find) {
    auto lock = Lock();
    if (!FindOf(connection, find)) return InvalidHandle(find);
    Engine::Instance().Remove(find);
    return LdbSuccess;
}

LdbResult LdbDDGetUserProperty(LdbHandle connection, const char*, std::uint16_t property, void*, std::uint16_t*) {
    auto lock = Lock();
    Connection* c = ConnectionOf(connection);
    if (!c) return InvalidHandle(connection);
    if (!c->dictionary) return NotDictionary();
    // The local engine keeps no users: no property of a user is set.
    return Fail(LdbErrPropertyNotSet, "The property " + std::to_string(property) + " is not set.");
}

LdbResult LdbDDGetTableProperty(LdbHandle connection, const char* table, std::uint16_t property, void*,
                                std::uint16_t*) {
    auto lock = Lock();
    Connection* c = ConnectionOf(connection);
    if (!c) return InvalidHandle(connection);
    if (!c->dictionary) return NotDictionary();
    return Fail(LdbErrPropertyNotSet, "The property " + std::to_string(property) + " of table " +
                                          std::string(table ? table : "") + " is not set.");
}

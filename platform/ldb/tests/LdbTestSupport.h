#pragma once
// A temporary folder with an empty database file, and short helpers around
// the engine calls for the engine's tests.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/ldb/Ldb.h"

struct LdbTempFolder {
    std::string path;
    LdbTempFolder() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "ldbtest-XXXXXX").string();
        char* made = ::mkdtemp(tmpl.data());
        path = made ? made : "";
    }
    ~LdbTempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    // An empty file is an empty database.
    std::string NewDatabase(const std::string& name = "DataDB.ldd") const {
        std::string file = path + "/" + name;
        std::ofstream(file, std::ios::binary).flush();
        return file;
    }
};

inline std::string LastErrorText(LdbResult* code = nullptr) {
    LdbResult c = 0;
    char buffer[601] = {};
    std::uint16_t len = 600;
    LdbGetLastError(&c, buffer, &len);
    if (code) *code = c;
    return buffer;
}

// Executes SQL without parameters; answers the cursor (0 when none).
inline LdbHandle RunSql(LdbHandle conn, const std::string& sql, bool live = false) {
    LdbHandle st = 0, cur = 0;
    EXPECT_EQ(LdbCreateSQLStatement(conn, &st), 0u);
    EXPECT_EQ(LdbStmtSetTableReadOnly(st, live ? LdbCursorLive : LdbCursorReadOnly), 0u);
    EXPECT_EQ(LdbPrepareSQL(st, sql.c_str()), 0u) << LastErrorText();
    EXPECT_EQ(LdbExecuteSQL(st, &cur), 0u) << sql << ": " << LastErrorText();
    return cur;
}

inline std::uint16_t FieldCount(LdbHandle cur) {
    std::uint16_t n = 0;
    LdbGetNumFields(cur, &n);
    return n;
}

inline std::vector<char> RecordOf(LdbHandle cur) {
    std::uint32_t length = 0;
    LdbGetRecordLength(cur, &length);
    std::vector<char> rec(length);
    std::uint32_t len = length;
    EXPECT_EQ(LdbGetRecord(cur, rec.data(), &len), 0u) << LastErrorText();
    return rec;
}

inline std::uint32_t OffsetOf(LdbHandle cur, std::uint32_t field) {
    std::uint32_t off = 0;
    LdbGetFieldOffset(cur, field, &off);
    return off;
}

template <typename T>
T RecordValue(LdbHandle cur, std::uint32_t field) {
    std::vector<char> rec = RecordOf(cur);
    T v;
    std::memcpy(&v, rec.data() + OffsetOf(cur, field), sizeof v);
    return v;
}

inline std::string StringField(LdbHandle cur, std::uint32_t field) {
    char buffer[512] = {};
    std::uint32_t len = sizeof buffer;
    if (LdbGetField(cur, field, buffer, &len, 0) != 0) return "<error>";
    return std::string(buffer, len);
}

inline bool IsEmptyField(LdbHandle cur, std::uint32_t field) {
    std::uint16_t empty = 0;
    LdbIsEmpty(cur, field, &empty);
    return empty != 0;
}

inline std::uint32_t RecordCount(LdbHandle handle) {
    std::uint32_t n = 0;
    LdbGetRecordCount(handle, LdbIgnoreFilters, &n);
    return n;
}

inline std::uint32_t RecNo(LdbHandle cur) {
    std::uint32_t n = 0;
    LdbGetRecordNum(cur, LdbIgnoreFilters, &n);
    return n;
}

inline bool AtEof(LdbHandle cur) {
    std::uint16_t v = 0;
    LdbAtEOF(cur, &v);
    return v != 0;
}

inline bool AtBof(LdbHandle cur) {
    std::uint16_t v = 0;
    LdbAtBOF(cur, &v);
    return v != 0;
}

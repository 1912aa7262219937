// Raw index keys handed to the database engine: seeking and setting a
// scope with bytes that may not be a key of this index. A key the index
// did not build is refused with the engine's argument error.
#include "fuzz/FuzzTargets.h"

#include <cstdint>
#include <fstream>

#include "platform/ldb/Ldb.h"

namespace {
constexpr const char* kTarget = "indexkeys";

LdbHandle Sql(LdbHandle conn, const char* sql, bool live = false) {
    LdbHandle st = 0, cur = 0;
    LdbCreateSQLStatement(conn, &st);
    LdbStmtSetTableReadOnly(st, live ? LdbCursorLive : LdbCursorReadOnly);
    LdbPrepareSQL(st, sql);
    LdbExecuteSQL(st, &cur);
    return cur;
}

// A live cursor over a small table and its two-segment index, made once.
LdbHandle StaffIndex() {
    static const LdbHandle index = [] {
        const std::string file = FuzzScratchDir() + "/keys.ldd";
        std::ofstream(file, std::ios::binary).flush();
        LdbHandle conn = 0;
        LdbConnect60(file.c_str(), LdbServerLocal, "", "", 0, &conn);
        Sql(conn, "create table Staff (ID integer, Dept integer, Last char(12))");
        Sql(conn, "create unique index ByDept on Staff (Dept, Last)");
        Sql(conn, "insert into Staff values (1, 20, 'Moss')");
        Sql(conn, "insert into Staff values (2, 10, 'Baker')");
        LdbHandle cur = Sql(conn, "select * from Staff", true);
        LdbHandle ix = 0;
        LdbGetIndexHandle(cur, "ByDept", &ix);
        return ix;
    }();
    return index;
}
}  // namespace

void FuzzIndexKeys(const std::string& input) {
    LdbHandle ix = StaffIndex();
    FUZZ_CHECK(kTarget, ix != 0);
    const std::string key = input.substr(0, 65535);
    const auto len = static_cast<std::uint16_t>(key.size());
    std::uint16_t found = 9;
    LdbResult seek = LdbSeek(ix, key.data(), len, 1, 1, &found);
    FUZZ_CHECK(kTarget, seek == LdbSuccess || seek == LdbErrInvalidArgument);
    if (seek == LdbSuccess) FUZZ_CHECK(kTarget, found <= 1);
    LdbResult scope = LdbSetScope(ix, 1, key.data(), len, 1);
    FUZZ_CHECK(kTarget, scope == LdbSuccess || scope == LdbErrInvalidArgument);
    LdbClearScope(ix, 1);
}

// Indexes of live cursors: their descriptions, key order, scopes, raw-key
// ranges and seeking.

#include "platform/ldb/tests/LdbTestSupport.h"

namespace {

class LdbIndexes : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(LdbConnect60(folder.NewDatabase().c_str(), LdbServerLocal, "", "", 0, &conn), 0u);
        RunSql(conn, "create table Staff (ID integer, Dept integer, Last char(12))");
        RunSql(conn, "create index ByLast on Staff (Last)");
        RunSql(conn, "create unique index ByDept on Staff (Dept, Last)");
        const char* rows[] = {"1, 20, 'Moss'", "2, 10, 'Baker'", "3, 20, 'Abbot'", "4, 10, 'Young'", "5, 30, 'Moore'"};
        for (const char* r : rows) RunSql(conn, std::string("insert into Staff values (") + r + ")");
        cur = RunSql(conn, "select * from Staff", true);
        ASSERT_EQ(LdbGetIndexHandle(cur, "bylast", &byLast), 0u) << LastErrorText();
        ASSERT_EQ(LdbGetIndexHandle(cur, "ByDept", &byDept), 0u);
    }
    void TearDown() override { LdbDisconnect(conn); }

    // The IDs along a handle's order.
    std::string Walk(LdbHandle h) {
        std::string out;
        LdbGotoTop(h);
        while (!AtEof(cur)) {
            out += (out.empty() ? "" : " ") + std::to_string(RecordValue<std::int32_t>(cur, 1));
            LdbSkip(h, 1);
        }
        return out;
    }
    std::string Key(LdbHandle ix, std::int32_t dept, const char* last = nullptr) {
        LdbInitRawKey(ix);
        LdbSetFieldRaw(ix, 2, &dept, 4);
        if (last) LdbSetField(ix, 3, last, static_cast<std::uint32_t>(std::strlen(last)));
        char key[257];
        std::uint16_t len = sizeof key;
        EXPECT_EQ(LdbBuildRawKey(ix, key, &len), 0u) << LastErrorText();
        return std::string(key, len);
    }

    LdbTempFolder folder;
    LdbHandle conn = 0, cur = 0, byLast = 0, byDept = 0;
};

TEST_F(LdbIndexes, TheTablesIndexesDescribeThemselves) {
    LdbHandle handles[4];
    std::uint16_t count = 4;
    ASSERT_EQ(LdbGetAllIndexes(cur, handles, &count), 0u);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(handles[0], byLast);
    std::uint16_t segments = 0, flag = 9;
    LdbGetNumSegments(byDept, &segments);
    EXPECT_EQ(segments, 2);
    char name[64];
    std::uint16_t len = sizeof name;
    ASSERT_EQ(LdbGetSegmentFieldname(byDept, 2, name, &len), 0u);
    EXPECT_STREQ(name, "Last");
    EXPECT_EQ(LdbGetSegmentFieldname(byDept, 3, name, &len), LdbErrInvalidFieldNumber);
    LdbIsIndexUnique(byDept, &flag);
    EXPECT_EQ(flag, 1);
    LdbIsIndexUnique(byLast, &flag);
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(LdbIsIndexCustom(byLast, &flag), LdbErrNotCustomIndex);
    EXPECT_EQ(LdbGetIndexHandle(cur, "Nowhere", &handles[0]), LdbErrIndexNotFound);
    EXPECT_EQ(LdbOpenIndex(cur, "x.adi", handles, &count), LdbErrIndexNotFound);
    LdbHandle plain = RunSql(conn, "select * from Staff");
    LdbGetNumIndexes(plain, &count);
    EXPECT_EQ(count, 0) << "a static cursor has no indexes";
}

TEST_F(LdbIndexes, AnIndexOrdersTheCursorAndFollowsChanges) {
    EXPECT_EQ(Walk(cur), "1 2 3 4 5");
    EXPECT_EQ(Walk(byLast), "3 2 5 1 4");
    EXPECT_EQ(Walk(byDept), "2 4 3 1 5");
    LdbGotoBottom(byLast);
    LdbSkip(byLast, -1);
    EXPECT_EQ(RecordValue<std::int32_t>(cur, 1), 1);
    // A record renamed moves to its new place.
    LdbGotoTop(byLast);
    ASSERT_EQ(LdbSetField(cur, 3, "Zed", 3), 0u);
    ASSERT_EQ(LdbWriteRecord(cur), 0u);
    EXPECT_EQ(Walk(byLast), "2 5 1 4 3");
}

TEST_F(LdbIndexes, ScopesAndRangesLimitTheRecords) {
    ASSERT_EQ(LdbSetScope(byLast, 1, "B", 1, 2), 0u);
    ASSERT_EQ(LdbSetScope(byLast, 2, "Mop", 3, 2), 0u);
    EXPECT_EQ(Walk(byLast), "2 5");
    char given[16];
    std::uint16_t len = sizeof given;
    ASSERT_EQ(LdbGetScope(byLast, 2, given, &len), 0u);
    EXPECT_STREQ(given, "Mop");
    std::uint32_t n = 0;
    LdbGetRecordCount(byLast, LdbRespectScopes, &n);
    EXPECT_EQ(n, 2u);
    LdbGetRecordCount(byLast, LdbIgnoreFilters, &n);
    EXPECT_EQ(n, 5u);
    LdbClearScope(byLast, 1);
    LdbClearScope(byLast, 2);
    EXPECT_EQ(LdbClearScope(byLast, 2), LdbErrNoScope);

    // A range on the first segment of a two-segment key: one department.
    std::string key = Key(byDept, 20);
    ASSERT_EQ(LdbSetScope(byDept, 1, key.data(), static_cast<std::uint16_t>(key.size()), 1), 0u);
    ASSERT_EQ(LdbSetScope(byDept, 2, key.data(), static_cast<std::uint16_t>(key.size()), 1), 0u);
    EXPECT_EQ(Walk(byDept), "3 1");
    // Exclusive bounds pass over equal keys.
    std::string low = Key(byDept, 10), high = Key(byDept, 30);
    LdbStepIndexKey(byDept, low.data(), static_cast<std::uint16_t>(low.size()), 1);
    LdbStepIndexKey(byDept, high.data(), static_cast<std::uint16_t>(high.size()), -1);
    LdbSetScope(byDept, 1, low.data(), static_cast<std::uint16_t>(low.size()), 1);
    LdbSetScope(byDept, 2, high.data(), static_cast<std::uint16_t>(high.size()), 1);
    EXPECT_EQ(Walk(byDept), "3 1");
    LdbClearAllScopes(cur);
    EXPECT_EQ(Walk(byDept), "2 4 3 1 5");
}

TEST_F(LdbIndexes, SeekFindsTheFirstKeyNotBelowAndPositionsCount) {
    std::uint16_t found = 0;
    std::string key = Key(byDept, 20, "Mo");
    ASSERT_EQ(LdbSeek(byDept, key.data(), static_cast<std::uint16_t>(key.size()), 1, 1, &found), 0u);
    EXPECT_EQ(found, 1) << "a partial text key matches by its start";
    EXPECT_EQ(RecordValue<std::int32_t>(cur, 1), 1);
    std::uint32_t num = 0;
    LdbGetKeyNum(byDept, 1, &num);
    EXPECT_EQ(num, 4u);
    double pos = 0;
    LdbGetRelKeyPos(byDept, &pos);
    EXPECT_DOUBLE_EQ(pos, 0.6);
    key = Key(byDept, 25);
    LdbSeek(byDept, key.data(), static_cast<std::uint16_t>(key.size()), 1, 1, &found);
    EXPECT_EQ(found, 0);
    EXPECT_EQ(RecordValue<std::int32_t>(cur, 1), 5) << "not found: on the next key";
    ASSERT_EQ(LdbSetRelKeyPos(byLast, 0.0), 0u);
    EXPECT_EQ(RecordValue<std::int32_t>(cur, 1), 3);
    EXPECT_EQ(LdbSeek(byDept, "xx", 2, 1, 1, &found), LdbErrInvalidArgument);
}

// Key bytes come from the caller: a segment or value kind byte that no key
// holds is refused, not taken as a kind.
TEST_F(LdbIndexes, KeysWithUnknownKindBytesAreRefused) {
    std::string good = Key(byDept, 20, "Mo");
    ASSERT_GE(good.size(), 3u);
    const struct {
        const char* name;
        std::size_t at;       // byte changed: 1 is the first segment's kind, 2 its value's kind
        unsigned char value;
    } cases[] = {
        {"segment kind after the last", 1, 4}, {"segment kind with the high bit", 1, 0x81},
        {"value kind null", 2, 0},             {"value kind after the last", 2, 5},
        {"value kind with the high bit", 2, 0xF2},
    };
    for (const auto& c : cases) {
        std::string key = good;
        key[c.at] = static_cast<char>(c.value);
        std::uint16_t found = 0;
        const auto len = static_cast<std::uint16_t>(key.size());
        EXPECT_EQ(LdbSeek(byDept, key.data(), len, 1, 1, &found), LdbErrInvalidArgument) << c.name;
        EXPECT_EQ(LdbSetScope(byDept, 1, key.data(), len, 1), LdbErrInvalidArgument) << c.name;
    }
    // Well formed but for the kind: a value of kind 9 with an empty text.
    const char odd[] = {0, 2, 9, 0, 0};
    std::uint16_t found = 0;
    EXPECT_EQ(LdbSeek(byDept, odd, sizeof odd, 1, 1, &found), LdbErrInvalidArgument);
}

}  // namespace

// Cursors: field descriptions, record encodings, navigation, bookmarks and
// writing through a live cursor.

#include <cmath>
#include <limits>

#include "platform/ldb/tests/LdbTestSupport.h"

namespace {

class LdbCursors : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(LdbConnect60(folder.NewDatabase().c_str(), LdbServerLocal, "", "", 0, &conn), 0u);
        RunSql(conn, "create table Names (ID integer, Name char(8))");
        for (int i = 1; i <= 5; ++i)
            RunSql(conn, "insert into Names values (" + std::to_string(i) + ", 'N" + std::to_string(i) + "')");
    }
    void TearDown() override { LdbDisconnect(conn); }

    // The IDs of the visible records from the top, by skipping.
    std::string Walk(LdbHandle cur) {
        std::string out;
        LdbGotoTop(cur);
        while (!AtEof(cur)) {
            out += (out.empty() ? "" : " ") + std::to_string(RecordValue<std::int32_t>(cur, 1));
            LdbSkip(cur, 1);
        }
        return out;
    }

    LdbTempFolder folder;
    LdbHandle conn = 0;
};

struct TypeCase {
    const char* declared;
    std::uint16_t type;
    std::uint32_t length;
    std::uint16_t decimals;
};

TEST_F(LdbCursors, DeclaredTypesGiveEngineTypesLengthsAndOffsets) {
    const TypeCase cases[] = {
        {"logical", LdbTypeLogical, 1, 0},     {"numeric(6,2)", LdbTypeNumeric, 6, 2},
        {"Date", LdbTypeDate, 4, 0},           {"CHAR(30)", LdbTypeString, 30, 0},
        {"Memo", LdbTypeMemo, 9, 0},           {"blob", LdbTypeBinary, 9, 0},
        {"image", LdbTypeImage, 9, 0},         {"raw(3)", LdbTypeRaw, 3, 0},
        {"Double", LdbTypeDouble, 8, 0},       {"Integer", LdbTypeInteger, 4, 0},
        {"short", LdbTypeShort, 2, 0},         {"time", LdbTypeTime, 4, 0},
        {"timestamp", LdbTypeTimeStamp, 8, 0}, {"curdouble", LdbTypeCurDouble, 8, 0},
        {"money", LdbTypeMoney, 8, 0},
    };
    std::string ddl = "create table Types (";
    for (std::size_t i = 0; i < std::size(cases); ++i)
        ddl += (i ? ", C" : "C") + std::to_string(i) + " " + cases[i].declared;
    RunSql(conn, ddl + ")");
    LdbHandle cur = RunSql(conn, "select * from Types");
    ASSERT_EQ(FieldCount(cur), std::size(cases));
    std::uint32_t expectedOffset = 0;
    for (std::uint32_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].declared);
        std::uint16_t type = 0, decimals = 9;
        std::uint32_t length = 0;
        EXPECT_EQ(LdbGetFieldType(cur, i + 1, &type), 0u);
        EXPECT_EQ(LdbGetFieldLength(cur, i + 1, &length), 0u);
        EXPECT_EQ(LdbGetFieldDecimals(cur, i + 1, &decimals), 0u);
        EXPECT_EQ(type, cases[i].type);
        EXPECT_EQ(length, cases[i].length);
        EXPECT_EQ(decimals, cases[i].decimals);
        EXPECT_EQ(OffsetOf(cur, i + 1), expectedOffset);
        expectedOffset += length;
    }
    std::uint32_t recordLength = 0;
    LdbGetRecordLength(cur, &recordLength);
    EXPECT_EQ(recordLength, expectedOffset);
}

TEST_F(LdbCursors, ValuesAreEncodedInTheRecordAndNullsAreMarked) {
    RunSql(conn,
           "create table V (L logical, N numeric(6,2), D date, S char(4), M memo, F double, I integer, Sh short, "
           "T time, Ts timestamp, Mo money)");
    RunSql(conn,
           "insert into V values (1, 123.456, '2000-01-01', 'abcdef', 'memo text', 2.5, -7, 300, '12:00:00', "
           "'2000-01-01 00:00:01.5', 12.3456)");
    RunSql(conn, "insert into V default values");
    LdbHandle cur = RunSql(conn, "select * from V");
    ASSERT_EQ(LdbGotoTop(cur), 0u);
    std::vector<char> rec = RecordOf(cur);
    auto at = [&](std::uint32_t f) { return rec.data() + OffsetOf(cur, f); };
    EXPECT_EQ(*at(1), 'T');
    EXPECT_EQ(std::string(at(2), 6), "123.46");
    EXPECT_EQ(RecordValue<std::int32_t>(cur, 3), 2451545);
    EXPECT_EQ(std::string(at(4), 4), "abcd");
    EXPECT_EQ(RecordValue<std::int32_t>(cur, 5), -1);
    EXPECT_EQ(StringField(cur, 5), "memo text");
    EXPECT_EQ(RecordValue<double>(cur, 6), 2.5);
    EXPECT_EQ(RecordValue<std::int32_t>(cur, 7), -7);
    EXPECT_EQ(RecordValue<std::int16_t>(cur, 8), 300);
    EXPECT_EQ(RecordValue<std::int32_t>(cur, 9), 43200000);
    EXPECT_EQ(RecordValue<std::int32_t>(cur, 10), 2451545);
    EXPECT_EQ(RecordValue<std::int32_t>(cur, 10 + 0) + 0, 2451545);
    std::int32_t tsMs;
    std::memcpy(&tsMs, at(10) + 4, 4);
    EXPECT_EQ(tsMs, 1500);
    EXPECT_EQ(RecordValue<std::int64_t>(cur, 11), 123456);
    for (std::uint32_t f = 1; f <= 11; ++f) EXPECT_FALSE(IsEmptyField(cur, f)) << f;

    ASSERT_EQ(LdbSkip(cur, 1), 0u);
    rec = RecordOf(cur);
    for (std::uint32_t f = 1; f <= 11; ++f) EXPECT_TRUE(IsEmptyField(cur, f)) << f;
    EXPECT_EQ(*at(1), ' ');
    EXPECT_EQ(RecordValue<std::int32_t>(cur, 7), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(RecordValue<std::int16_t>(cur, 8), std::numeric_limits<std::int16_t>::min());
    EXPECT_EQ(RecordValue<std::int32_t>(cur, 9), -1);
    EXPECT_EQ(RecordValue<std::int64_t>(cur, 11), std::numeric_limits<std::int64_t>::min());
    std::uint32_t words[2];
    std::memcpy(words, at(6), 8);
    EXPECT_EQ(words[0], 32u);
    EXPECT_EQ(words[1], 0x80000000u);

    // A cleared record buffer is the same all-null record.
    std::vector<char> cleared(rec.size(), 'x');
    ASSERT_EQ(LdbClearRecordBuffer(cur, cleared.data(), static_cast<std::uint32_t>(cleared.size())), 0u);
    EXPECT_EQ(cleared, rec);
}

TEST_F(LdbCursors, ExpressionColumnsTakeTheirTypeFromTheirValues) {
    LdbHandle cur = RunSql(conn, "select max(ID) as MaxNo, 'x' || Name as Label, avg(ID) as A from Names");
    std::uint16_t type = 0;
    LdbGetFieldType(cur, 1, &type);
    EXPECT_EQ(type, LdbTypeInteger);
    LdbGetFieldType(cur, 2, &type);
    EXPECT_EQ(type, LdbTypeString);
    LdbGetFieldType(cur, 3, &type);
    EXPECT_EQ(type, LdbTypeDouble);
    ASSERT_EQ(LdbGotoTop(cur), 0u);
    EXPECT_EQ(RecordValue<std::int32_t>(cur, 1), 5);

    // The maximum of an empty table is one null row.
    RunSql(conn, "create table Empty (PFNo integer)");
    cur = RunSql(conn, "select Max(PFNo) as MaxNo from Empty");
    EXPECT_EQ(RecordCount(cur), 1u);
    LdbGotoTop(cur);
    EXPECT_TRUE(IsEmptyField(cur, 1));

    // Names stay unique.
    cur = RunSql(conn, "select ID, ID from Names");
    char name[32];
    std::uint16_t len = sizeof name;
    LdbGetFieldName(cur, 2, name, &len);
    EXPECT_STREQ(name, "ID_1");
}

TEST_F(LdbCursors, NavigationStopsAtBothEnds) {
    LdbHandle cur = RunSql(conn, "select * from Names order by ID desc");
    EXPECT_TRUE(AtBof(cur));
    EXPECT_FALSE(AtEof(cur));
    std::uint32_t len = 64;
    char rec[64];
    EXPECT_EQ(LdbGetRecord(cur, rec, &len), LdbErrNoCurrentRecord);
    ASSERT_EQ(LdbSkip(cur, 1), 0u);
    EXPECT_EQ(RecordValue<std::int32_t>(cur, 1), 5);
    EXPECT_EQ(RecNo(cur), 1u);
    ASSERT_EQ(LdbSkip(cur, 3), 0u);
    EXPECT_EQ(RecordValue<std::int32_t>(cur, 1), 2);
    ASSERT_EQ(LdbSkip(cur, 5), 0u);
    EXPECT_TRUE(AtEof(cur));
    EXPECT_EQ(RecNo(cur), 0u);
    ASSERT_EQ(LdbSkip(cur, -1), 0u);
    EXPECT_EQ(RecordValue<std::int32_t>(cur, 1), 1);
    ASSERT_EQ(LdbSkip(cur, -10), 0u);
    EXPECT_TRUE(AtBof(cur));
    ASSERT_EQ(LdbGotoBottom(cur), 0u);
    EXPECT_EQ(RecordValue<std::int32_t>(cur, 1), 1);
    ASSERT_EQ(LdbGotoRecord(cur, 2), 0u);
    EXPECT_EQ(RecordValue<std::int32_t>(cur, 1), 4);
    EXPECT_EQ(LdbGotoRecord(cur, 99), LdbErrNoCurrentRecord);
    EXPECT_EQ(RecordCount(cur), 5u);

    LdbHandle none = RunSql(conn, "select * from Names where ID > 99");
    EXPECT_TRUE(AtBof(none));
    EXPECT_TRUE(AtEof(none));
    LdbGotoTop(none);
    EXPECT_TRUE(AtEof(none));
    EXPECT_TRUE(AtBof(none));
}

TEST_F(LdbCursors, BookmarksCarryTheRecordNumberAndCompareByOrder) {
    LdbHandle cur = RunSql(conn, "select * from Names");
    std::uint32_t length = 0;
    LdbGetBookmarkLength(cur, &length);
    ASSERT_EQ(length, 8u);
    char b2[8], b4[8];
    std::uint32_t len = 8;
    EXPECT_EQ(LdbGetBookmark60(cur, b2, &len), LdbErrNoCurrentRecord);
    LdbGotoRecord(cur, 2);
    ASSERT_EQ(LdbGetBookmark60(cur, b2, &len), 0u);
    LdbGotoRecord(cur, 4);
    ASSERT_EQ(LdbGetBookmark60(cur, b4, &len), 0u);
    std::uint32_t recno;
    std::memcpy(&recno, b4, 4);
    EXPECT_EQ(recno, 4u);
    std::int32_t order = 0;
    ASSERT_EQ(LdbCompareBookmarks(b2, b4, &order), 0u);
    EXPECT_LT(order, 0);
    ASSERT_EQ(LdbCompareBookmarks(b4, b2, &order), 0u);
    EXPECT_GT(order, 0);
    ASSERT_EQ(LdbCompareBookmarks(b2, b2, &order), 0u);
    EXPECT_EQ(order, 0);
    ASSERT_EQ(LdbGotoBookmark(cur, 2), 0u);
    EXPECT_EQ(RecordValue<std::int32_t>(cur, 1), 2);
    EXPECT_EQ(LdbGotoBookmark(cur, 77), LdbErrNoCurrentRecord);
}

TEST_F(LdbCursors, StaticCursorsRefuseChanges) {
    LdbHandle cur = RunSql(conn, "select * from Names");
    std::uint16_t live = 9;
    LdbSqlPeekStatement(cur, &live);
    EXPECT_EQ(live, 0);
    std::uint32_t options = 0;
    LdbGetTableOpenOptions(cur, &options);
    EXPECT_EQ(options, LdbOpenReadOnly);
    LdbGotoTop(cur);
    EXPECT_EQ(LdbLockRecord(cur, 1), LdbErrStaticCursor);
    EXPECT_EQ(LdbAppendRecord(cur), LdbErrPermissionDenied);
    EXPECT_EQ(LdbDeleteRecord(cur), LdbErrPermissionDenied);
    // Asking for live rows of a join still gives a static cursor.
    cur = RunSql(conn, "select a.ID from Names a, Names b where a.ID = b.ID", true);
    LdbSqlPeekStatement(cur, &live);
    EXPECT_EQ(live, 0);
    cur = RunSql(conn, "select distinct Name from Names", true);
    LdbSqlPeekStatement(cur, &live);
    EXPECT_EQ(live, 0);
}

TEST_F(LdbCursors, LiveCursorAppendsWhereTheCursorStandsAndWritesThrough) {
    LdbHandle cur = RunSql(conn, "select * from Names N where ID > 0 order by ID", true);
    std::uint16_t live = 0;
    LdbSqlPeekStatement(cur, &live);
    ASSERT_EQ(live, 1);
    std::uint32_t options = 0;
    LdbGetTableOpenOptions(cur, &options);
    EXPECT_EQ(options, LdbOpenUpdateRight | LdbOpenInsertRight);

    ASSERT_EQ(LdbGotoRecord(cur, 2), 0u);
    ASSERT_EQ(LdbAppendRecord(cur), 0u);
    std::int32_t id = 10;
    ASSERT_EQ(LdbSetFieldRaw(cur, 1, &id, 4), 0u);
    ASSERT_EQ(LdbSetField(cur, 2, "Ten  ", 5), 0u);
    ASSERT_EQ(LdbWriteRecord(cur), 0u) << LastErrorText();
    EXPECT_EQ(RecNo(cur), 6u);
    EXPECT_EQ(Walk(cur), "1 10 2 3 4 5");
    LdbHandle check = RunSql(conn, "select Name from Names where ID = 10");
    LdbGotoTop(check);
    EXPECT_EQ(StringField(check, 1), "Ten");

    // An append at the end is written when the cursor moves on.
    LdbGotoBottom(cur);
    LdbSkip(cur, 1);
    ASSERT_EQ(LdbAppendRecord(cur), 0u);
    id = 11;
    ASSERT_EQ(LdbSetFieldRaw(cur, 1, &id, 4), 0u);
    EXPECT_EQ(Walk(cur), "1 10 2 3 4 5 11");
    check = RunSql(conn, "select count(*) from Names");
    LdbGotoTop(check);
    EXPECT_EQ(RecordValue<std::int32_t>(check, 1), 7);
}

TEST_F(LdbCursors, CancelDropsAnUnwrittenAppendAndRestoresAnEdit) {
    LdbHandle cur = RunSql(conn, "select * from Names", true);
    EXPECT_EQ(LdbCancelUpdate(cur), LdbErrNoUpdatePending);
    LdbGotoBottom(cur);
    LdbSkip(cur, 1);
    ASSERT_EQ(LdbAppendRecord(cur), 0u);
    std::int32_t id = 6;
    LdbSetFieldRaw(cur, 1, &id, 4);
    ASSERT_EQ(LdbCancelUpdate(cur), 0u);
    EXPECT_EQ(RecordCount(cur), 5u);

    ASSERT_EQ(LdbGotoRecord(cur, 3), 0u);
    ASSERT_EQ(LdbLockRecord(cur, 3), 0u);
    ASSERT_EQ(LdbSetField(cur, 2, "Changed", 7), 0u);
    EXPECT_EQ(StringField(cur, 2), "Changed");
    ASSERT_EQ(LdbCancelUpdate(cur), 0u);
    EXPECT_EQ(StringField(cur, 2), "N3");
    EXPECT_EQ(LdbSetField(cur, 2, "TooLongName", 11), LdbErrValueTooLong);
    EXPECT_NE(LastErrorText().find("column \"Name\""), std::string::npos);
    LdbCancelUpdate(cur);

    LdbHandle check = RunSql(conn, "select count(*) from Names");
    LdbGotoTop(check);
    EXPECT_EQ(RecordValue<std::int32_t>(check, 1), 5);
}

TEST_F(LdbCursors, EditsAndDeletesReachTheTableAndDeletedRecordsAreSkipped) {
    LdbHandle cur = RunSql(conn, "select ID, Name as Label from Names", true);
    ASSERT_EQ(LdbGotoRecord(cur, 2), 0u);
    ASSERT_EQ(LdbSetEmpty(cur, 2), 0u);
    ASSERT_EQ(LdbWriteRecord(cur), 0u);
    ASSERT_EQ(LdbGotoRecord(cur, 3), 0u);
    ASSERT_EQ(LdbDeleteRecord(cur), 0u);
    ASSERT_EQ(LdbWriteRecord(cur), 0u);
    std::uint16_t flag = 9;
    LdbIsRecordVisible(cur, &flag);
    EXPECT_EQ(flag, 0);
    LdbIsRecordDeleted(cur, &flag);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(LdbGotoBookmark(cur, 3), LdbErrRecordDeleted);
    EXPECT_EQ(Walk(cur), "1 2 4 5");
    EXPECT_EQ(RecordCount(cur), 4u);

    LdbHandle check = RunSql(conn, "select ID, Name is null from Names order by ID");
    EXPECT_EQ(RecordCount(check), 4u);
    LdbGotoRecord(check, 2);
    EXPECT_EQ(RecordValue<std::int32_t>(check, 1), 2);
    EXPECT_EQ(RecordValue<std::int32_t>(check, 2), 1);
}

TEST_F(LdbCursors, RefreshRereadsALiveRecordAndReportsOneDeletedElsewhere) {
    LdbHandle cur = RunSql(conn, "select * from Names", true);
    LdbGotoRecord(cur, 1);
    RunSql(conn, "update Names set Name = 'New' where ID = 1");
    EXPECT_EQ(StringField(cur, 2), "N1");
    ASSERT_EQ(LdbRefreshRecord(cur), 0u);
    EXPECT_EQ(StringField(cur, 2), "New");
    RunSql(conn, "delete from Names where ID = 1");
    EXPECT_EQ(LdbRefreshRecord(cur), LdbErrRecordDeleted);
    EXPECT_EQ(Walk(cur), "2 3 4 5");
}

// A value its declared column type cannot hold never reads as null: the
// field takes its type from the values instead.
TEST_F(LdbCursors, ValuesThatDoNotFitTheDeclaredTypeKeepTheirValue) {
    RunSql(conn, "create table Wide (I integer, Big bigint, S char(3), N integer)");
    RunSql(conn, "insert into Wide values (9876543210, -9876543210, 'abcdef', 'x12')");
    LdbHandle cur = RunSql(conn, "select * from Wide");
    LdbGotoTop(cur);
    struct Case {
        std::uint32_t field;
        std::uint16_t type;
        std::uint32_t length;
    } cases[] = {{1, LdbTypeLongLong, 8}, {2, LdbTypeLongLong, 8}, {3, LdbTypeString, 6}, {4, LdbTypeString, 3}};
    for (const auto& c : cases) {
        std::uint16_t type = 0;
        std::uint32_t length = 0;
        LdbGetFieldType(cur, c.field, &type);
        LdbGetFieldLength(cur, c.field, &length);
        EXPECT_EQ(type, c.type) << c.field;
        EXPECT_EQ(length, c.length) << c.field;
        EXPECT_FALSE(IsEmptyField(cur, c.field)) << c.field;
    }
    EXPECT_EQ(RecordValue<std::int64_t>(cur, 1), 9876543210LL);
    EXPECT_EQ(RecordValue<std::int64_t>(cur, 2), -9876543210LL);
    EXPECT_EQ(StringField(cur, 3), "abcdef");
    EXPECT_EQ(StringField(cur, 4), "x12");
    // A 64-bit field written raw through a live cursor stores the exact value.
    LdbHandle live = RunSql(conn, "select * from Wide", true);
    LdbGotoTop(live);
    std::int64_t v = 1LL << 40;
    ASSERT_EQ(LdbSetFieldRaw(live, 2, &v, 8), 0u) << LastErrorText();
    ASSERT_EQ(LdbWriteRecord(live), 0u) << LastErrorText();
    LdbHandle again = RunSql(conn, "select Big from Wide");
    LdbGotoTop(again);
    EXPECT_EQ(RecordValue<std::int64_t>(again, 1), 1LL << 40);
}

}  // namespace

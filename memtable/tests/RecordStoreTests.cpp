#include <gtest/gtest.h>

#include <cstring>

#include "memtable/CSVText.h"
#include "memtable/LocaleCompare.h"
#include "memtable/RecordStore.h"

namespace {

std::vector<TqmtColumnDef> Defs(std::initializer_list<std::tuple<const char*, TFieldType, int>> list) {
    std::vector<TqmtColumnDef> v;
    for (auto& [n, t, s] : list) v.push_back({n, n, t, s, {}});
    return v;
}

void PutText(TqmtCommon& s, TqmtRecord* r, int no, const char* text) {
    Byte* p = s.FieldValuePointer(r, no);
    p[0] = qmtPresent;
    std::strcpy(reinterpret_cast<char*>(p + 1), text);
}

void PutInt(TqmtCommon& s, TqmtRecord* r, int no, Integer v) {
    Byte* p = s.FieldValuePointer(r, no);
    p[0] = qmtPresent;
    std::memcpy(p + 1, &v, 4);
}

TqmtKeyField Key(TqmtCommon& s, int no) {
    TqmtKeyField k;
    k.FieldNo = no;
    k.DataType = s.FieldType(no);
    return k;
}

}  // namespace

TEST(RecordStore, LayoutPlacesLongTextOutOfLineOnlyWhenAsked) {
    struct Case {
        TqmtPerformance perf;
        int size;
        bool outOfLine;
    };
    for (Case c : {Case{mtpfFast, 40, false}, Case{mtpfBalanced, 12, false}, Case{mtpfBalanced, 13, true},
                   Case{mtpfSmall, 13, true}}) {
        TqmtCommon s;
        s.SetPerformance(c.perf);
        s.BuildLayout(Defs({{"A", ftInteger, 0}, {"T", ftString, c.size}, {"M", ftMemo, 0}}), 0);
        EXPECT_EQ(s.IsOutOfLine(2), c.outOfLine) << c.size;
        EXPECT_TRUE(s.IsOutOfLine(3));
        EXPECT_EQ(s.FieldOffset(1), 0);
        EXPECT_EQ(s.FieldOffset(2), c.outOfLine ? s.OutOfLineOffset() : 5);
        EXPECT_EQ((s.FieldFlags(2) & qmtFieldCompressed) != 0, c.outOfLine && c.perf == mtpfSmall);
    }
}

TEST(RecordStore, RefusesLayoutWithoutFieldsOrWithUnsupportedType) {
    TqmtCommon s;
    try {
        s.BuildLayout({}, 0);
        FAIL();
    } catch (const EMemTableError& e) {
        EXPECT_EQ(e.Message, "There must be at least one field");
    }
    try {
        s.BuildLayout({{"W", "Wide", ftWideString, 10, {}}}, 0);
        FAIL();
    } catch (const EMemTableError& e) {
        EXPECT_EQ(e.Message, "Fielddef W (Wide) Datatype 24 not supported.");
    }
}

TEST(RecordStore, FreedSlotsAreReusedLastInFirstOutWithNewSerials) {
    TqmtCommon s;
    s.BuildLayout(Defs({{"A", ftInteger, 0}}), 0);
    std::vector<TqmtRecord*> rows;
    for (int i = 0; i < 10; ++i) {
        rows.push_back(s.NewRecordBlock());
        s.StoreRecord(rows.back());
    }
    s.DropRecord(rows[3]);
    s.DropRecord(rows[7]);
    TqmtRecord* a = s.NewRecordBlock();
    TqmtRecord* b = s.NewRecordBlock();
    s.StoreRecord(a);
    s.StoreRecord(b);
    EXPECT_EQ(a->Slot, 7);
    EXPECT_EQ(b->Slot, 3);
    EXPECT_EQ(a->Serial, 10);
    EXPECT_EQ(b->Serial, 11);
    EXPECT_EQ(s.StoredRow(3, 3), nullptr);  // a bookmark to the dropped row no longer resolves
    EXPECT_EQ(s.StoredRow(3, 11), b);
}

TEST(RecordStore, ClearStoreDrawsNewIdentityAndSerialLimitIsFatal) {
    TqmtCommon s;
    s.BuildLayout(Defs({{"A", ftInteger, 0}}), 0);
    Integer id = s.Identity();
    s.ClearStore();
    EXPECT_NE(id, s.Identity());
    s.SetSerialCounter(2147483599);
    TqmtRecord* r = s.NewRecordBlock();
    EXPECT_THROW(s.StoreRecord(r), EMemTableFatalError);
    EXPECT_EQ(s.SlotRow(r->Slot), r);  // the row stays stored
}

TEST(RecordStore, LocaleIdSplitsIntoParts) {
    TqmtCommon s;
    s.SetLocaleID(1024);
    EXPECT_EQ(s.LanguageID(), 0);
    EXPECT_EQ(s.SubLanguageID(), 1);
    EXPECT_EQ(s.SortID(), 0);
    s.SetLanguageID(9);
    EXPECT_EQ(s.LocaleID(), 1033);
}

TEST(RecordStore, CompareValuesByType) {
    TqmtCommon s;
    bool full = true;
    auto text = [&](const char* k, const char* r, Byte opt) {
        return s.CompareValues(reinterpret_cast<const Byte*>(k), static_cast<int>(std::strlen(k)),
                               reinterpret_cast<const Byte*>(r), static_cast<int>(std::strlen(r)), ftString, opt,
                               full);
    };
    EXPECT_EQ(text("ab", "abc", mtcoPartialKey), 0);
    EXPECT_FALSE(full);
    EXPECT_GT(text("abc", "ab", mtcoPartialKey), 0);
    EXPECT_LT(text("a", "B", 0), 0);                 // locale: letters before case
    EXPECT_GT(text("a", "B", mtcoIgnoreLocale), 0);  // ordinal: bytes
    EXPECT_EQ(text("abc", "ABC", mtcoCaseInsensitive), 0);
    EXPECT_LT(text("abc", "ABC", 0), 0);  // lower before upper
    EXPECT_GT(text("a", "B", mtcoDescending), 0);

    Byte k[16] = {}, r[16] = {};
    SmallInt year = 2020;
    std::memcpy(k, &year, 2);
    std::memcpy(r, &year, 2);
    Integer fk = 5, fr = 9;
    std::memcpy(k + 12, &fk, 4);
    std::memcpy(r + 12, &fr, 4);
    EXPECT_LT(s.CompareValues(k, 16, r, 16, ftTimeStamp, 0, full), 0);
    Word t = 1, f = 0;
    EXPECT_GT(s.CompareValues(reinterpret_cast<Byte*>(&t), 2, reinterpret_cast<Byte*>(&f), 2, ftBoolean, 0, full), 0);
    Int64 big = Int64(1) << 40, small = -1;
    EXPECT_GT(s.CompareValues(reinterpret_cast<Byte*>(&big), 8, reinterpret_cast<Byte*>(&small), 8, ftLargeint, 0, full), 0);
}

TEST(RecordStore, CompareKeyFieldsPutsNullsFirstInEveryDirection) {
    TqmtCommon s;
    s.BuildLayout(Defs({{"N", ftString, 10}, {"I", ftInteger, 0}}), 0);
    TqmtRecord* a = s.NewRecordBlock();
    TqmtRecord* b = s.NewRecordBlock();
    PutText(s, b, 1, "x");
    for (Byte opt : {Byte(0), mtcoDescending}) {
        TqmtFieldList list;
        list.Add(Key(s, 1), opt);
        EXPECT_LT(s.CompareKeyFields(list, 0, a, b, false, false, 0), 0);
        EXPECT_GT(s.CompareKeyFields(list, 0, b, a, false, false, 0), 0);
        EXPECT_EQ(s.CompareKeyFields(list, 0, a, b, true, false, 0), 0);  // null key ignored
    }
    TqmtFieldList two;
    two.Add(Key(s, 1), 0);
    two.Add(Key(s, 2), 0);
    PutText(s, a, 1, "x");
    PutInt(s, a, 2, 1);
    PutInt(s, b, 2, 2);
    EXPECT_LT(s.CompareKeyFields(two, 0, a, b, false, false, 0), 0);
    EXPECT_EQ(s.CompareKeyFields(two, 1, a, b, false, false, 0), 0);
    s.ReleaseRecord(a, true, true);
    s.ReleaseRecord(b, true, true);
}

TEST(RecordStore, OutOfLineValuesMoveAndFallBackToStoredRow) {
    TqmtCommon s;
    s.SetPerformance(mtpfSmall);
    s.BuildLayout(Defs({{"T", ftString, 40}}), 0);
    TqmtRecord* stored = s.NewRecordBlock();
    s.WriteOutOfLine(stored, 1, "hello world\0garbage", 41);
    s.StoreRecord(stored);
    std::string out;
    ASSERT_TRUE(s.ReadOutOfLine(stored, 1, out));
    EXPECT_EQ(out, std::string("hello world\0", 12));  // compressed to text length + 1

    TqmtRecord* work = s.NewRecordBlock();
    s.CopyRecordContents(stored, work);  // flags only, no buffer
    ASSERT_TRUE(s.ReadOutOfLine(work, 1, out));
    EXPECT_EQ(out.c_str(), std::string("hello world"));
    s.WriteOutOfLine(work, 1, "bye", 4);
    s.MoveRecordContents(work, stored);
    ASSERT_TRUE(s.ReadOutOfLine(stored, 1, out));
    EXPECT_EQ(out.c_str(), std::string("bye"));
    s.ReleaseRecord(work, true, false);
    work = s.NewRecordBlock();
    EXPECT_FALSE(s.ReadOutOfLine(work, 1, out));
    work->Data[s.FieldOffset(1)] = qmtPresent;
    EXPECT_THROW(s.ReadOutOfLine(work, 1, out), EMemTableInvalidRecord);
    s.ReleaseRecord(work, true, false);
}

TEST(RecordStore, RollbackUndoesInsertAndRestoresEditedRow) {
    TqmtCommon s;
    s.BuildLayout(Defs({{"I", ftInteger, 0}}), 0);
    s.SetEnableVersioning(true);
    TqmtRecord* kept = s.NewRecordBlock();
    PutInt(s, kept, 1, 1);
    s.StoreRecord(kept);
    kept->UpdateStatus = qmtUnmodified;
    kept->TransLevel = 0;
    s.IncTransactionLevel();
    // An edit at level 1: the old values become the previous version.
    TqmtRecord* old = s.CloneRecord(kept, true);
    old->Flags |= qmtStoreOwned;
    kept->Previous = old;
    kept->UpdateStatus = qmtModified;
    kept->TransLevel = 1;
    PutInt(s, kept, 1, 2);
    TqmtRecord* added = s.NewRecordBlock();
    s.StoreRecord(added);
    added->TransLevel = 1;
    s.RollbackLevel();
    Integer v;
    std::memcpy(&v, s.FieldValuePointer(s.SlotRow(0), 1) + 1, 4);
    EXPECT_EQ(v, 1);
    EXPECT_EQ(s.SlotRow(1), nullptr);
    EXPECT_FALSE(s.DataModified());
}

TEST(LocaleCompare, OrdersLikeAWordList) {
    EXPECT_LT(LocaleCompareText("apple", "Banana", false), 0);
    EXPECT_LT(LocaleCompareText("9", "a", false), 0);
    EXPECT_LT(LocaleCompareText("!", "0", false), 0);
    EXPECT_LT(LocaleCompareText("coop", "co-op", false), 0);
    EXPECT_EQ(LocaleCompareText("\xC3\xA9t\xC3\xA9", "\xC3\x89T\xC3\x89", true), 0);  // accents kept, case ignored
    EXPECT_LT(LocaleCompareText("ete", "\xC3\xA9t\xC3\xA9", false), 0);
    EXPECT_LT(LocaleCompareText("\xC3\xA9t\xC3\xA9", "f", false), 0);
    EXPECT_EQ(LocaleCompareText("", "", false), 0);
    EXPECT_LT(LocaleCompareText("", "a", false), 0);
}

TEST(CSVText, QuotingEscapingAndSixBit) {
    EXPECT_EQ(QuoteValue("\"", '"'), "\"\"\"\"");
    EXPECT_EQ(QuoteValue("a", '\0'), "a");
    EXPECT_EQ(UnquoteValue("\"a\"\"b\"rest", '"'), "a\"b");
    EXPECT_EQ(UnquoteValue("abc", '"'), "");
    EXPECT_EQ(EscapeText(std::string("a\r\n%\0b", 6)), "a%c%n%%%0b");
    EXPECT_EQ(UnescapeText("a%c%n%%%0b"), std::string("a\r\n%\0b", 6));
    EXPECT_EQ(UnescapeText("50%x off%"), "50%x off");  // unknown escape keeps both characters
    EXPECT_EQ(EncodeSixBit("abc"), "A)V8");
    EXPECT_EQ(EncodeSixBit(""), "");
    for (std::string v : {std::string(), std::string("a"), std::string("ab"), std::string("\0\xff\x80\x01", 4),
                          std::string(100, '\xA5')}) {
        std::string e = EncodeSixBit(v);
        EXPECT_EQ(e.size(), (4 * v.size() + 2) / 3);
        EXPECT_EQ(DecodeSixBit(e), v);
    }
    EXPECT_THROW(DecodeSixBit("A)v8"), EMemTableError);  // lower-case v is outside the code range
    EXPECT_THROW(DecodeSixBit("A"), EMemTableError);     // no encoding has this length
}

TEST(LocaleCompare, SortKeysOrderLikeTheComparison) {
    const std::vector<std::string> pieces = {"a", "A", "b", "B", "-", "'", " ", "1", "9", "\xC3\xA9", "\xC3\x89",
                                             "e", "E", "z", "\xC3\x9F", "!", "\xE2\x82\xAC", "~", "co", "op"};
    std::uint64_t seed = 1;
    auto next = [&] {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<size_t>(seed >> 33);
    };
    std::vector<std::string> texts = {""};
    for (int i = 0; i < 400; ++i) {
        std::string t;
        for (size_t k = next() % 5; k > 0; --k) t += pieces[next() % pieces.size()];
        texts.push_back(t);
    }
    for (bool ci : {false, true})
        for (const auto& a : texts)
            for (const auto& b : texts) {
                std::string ka, kb;
                AppendLocaleSortKey(ka, a, ci);
                AppendLocaleSortKey(kb, b, ci);
                int byKey = ka.compare(kb);
                byKey = byKey < 0 ? -1 : byKey > 0 ? 1 : 0;
                ASSERT_EQ(byKey, LocaleCompareText(a, b, ci)) << "'" << a << "' '" << b << "' " << ci;
            }
}

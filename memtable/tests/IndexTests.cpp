#include <gtest/gtest.h>

#include <cstring>

#include "memtable/Indexes.h"

namespace {

// A store with fields Name (text 10) and N (integer), indexed without a table.
class Host : public TqmtIndexHost {
public:
    Host() { store.BuildLayout({{"Name", "Name", ftString, 10, {}}, {"N", "N", ftInteger, 0, {}}}, 0); }
    ~Host() override { store.ClearStore(); }
    TqmtCommon& IndexStore() override { return store; }
    bool IndexHostOpen() const override { return true; }
    bool IndexAcceptsRow(TqmtIndex*, TqmtRecord*) override { return true; }
    bool IndexRowVisible(TqmtRecord*) override { return true; }
    bool IndexAnyVisibilityRule() override { return false; }
    void IndexProgress(int, TqmtProgressCode) override {}
    void IndexPrepareRow(TqmtRecord*) override {}
    void IndexRefreshed(TqmtIndex*) override {}

    TqmtRecord* Add(const char* name, Integer n) {
        TqmtRecord* r = Make(name, n);
        store.StoreRecord(r);
        return r;
    }
    TqmtRecord* Make(const char* name, Integer n) {
        TqmtRecord* r = store.NewRecordBlock();
        if (name) {
            Byte* p = store.FieldValuePointer(r, 1);
            p[0] = qmtPresent;
            std::strncpy(reinterpret_cast<char*>(p + 1), name, 10);
        }
        Byte* q = store.FieldValuePointer(r, 2);
        q[0] = qmtPresent;
        std::memcpy(q + 1, &n, 4);
        return r;
    }
    TqmtFieldList Keys(std::initializer_list<std::pair<int, Byte>> fields) {
        TqmtFieldList l;
        for (auto [no, opt] : fields) {
            TqmtKeyField k;
            k.FieldNo = no;
            k.DataType = store.FieldType(no);
            l.Add(k, opt);
        }
        return l;
    }
    static Integer N(TqmtCommon& s, TqmtRecord* r) {
        Integer v;
        std::memcpy(&v, s.FieldValuePointer(r, 2) + 1, 4);
        return v;
    }
    TqmtCommon store;
};

std::vector<int> Order(Host& h, TqmtIndex& i) {
    std::vector<int> v;
    for (int p = 0; p < i.Count(); ++p) v.push_back(Host::N(h.store, i.Row(p)));
    return v;
}

}  // namespace

TEST(Indexes, SortIsStableOverSlotOrderAndReversedForDescendingFirstField) {
    Host h;
    const char* names[] = {"b", "a", "b", "a", "b"};
    for (int n = 0; n < 5; ++n) h.Add(names[n], n);
    TqmtIndex asc("s", true, 1, 0, "Name", h.Keys({{1, 0}}), &h);
    asc.RefreshIndex();
    EXPECT_EQ(Order(h, asc), (std::vector<int>{1, 3, 0, 2, 4}));
    TqmtIndex desc("d", true, 1, 0, "Name", h.Keys({{1, mtcoDescending}}), &h);
    desc.RefreshIndex();
    EXPECT_EQ(Order(h, desc), (std::vector<int>{4, 2, 0, 3, 1}));
}

TEST(Indexes, LargeSortOnTwoFieldsMatchesReference) {
    Host h;
    for (int n = 0; n < 3000; ++n) {
        char name[8];
        std::snprintf(name, sizeof name, "k%02d", (n * 7919) % 37);
        h.Add(name, (n * 104729) % 101);
    }
    TqmtIndex i("s", true, 1, 0, "Name;N", h.Keys({{1, 0}, {2, mtcoDescending}}), &h);
    i.RefreshIndex();
    for (int p = 1; p < i.Count(); ++p) {
        TqmtRecord* a = i.Row(p - 1);
        TqmtRecord* b = i.Row(p);
        int c = std::strcmp(reinterpret_cast<char*>(h.store.FieldValuePointer(a, 1) + 1),
                            reinterpret_cast<char*>(h.store.FieldValuePointer(b, 1) + 1));
        ASSERT_LE(c, 0);
        if (c != 0) continue;
        ASSERT_GE(Host::N(h.store, a), Host::N(h.store, b));
        if (Host::N(h.store, a) == Host::N(h.store, b)) {
            ASSERT_LT(a->Slot, b->Slot);
        }
    }
}

TEST(Indexes, SearchFindsTheFirstMatchSequentialAndBinary) {
    for (int count : {20, 21, 500}) {
        Host h;
        for (int n = 0; n < count; ++n) h.Add("x", n / 3);  // three rows per key
        TqmtIndex i("n", true, 1, 0, "N", h.Keys({{2, 0}}), &h);
        i.RefreshIndex();
        for (int key : {0, 4, (count - 1) / 3}) {
            TqmtRecord* k = h.Make("x", key);
            bool found = false;
            int pos = -1;
            i.SearchKey(nullptr, k, found, pos, false, false);
            EXPECT_TRUE(found) << count << " " << key;
            EXPECT_EQ(pos, key * 3) << count;
            h.store.ReleaseRecord(k, true, true);
        }
        TqmtRecord* missing = h.Make("x", 1000000);
        bool found = true;
        int pos = -1;
        i.SearchKey(nullptr, missing, found, pos, false, false);
        EXPECT_FALSE(found);
        EXPECT_EQ(pos, count);
        // A key below every stored one: a binary search stops at the first
        // row above it, a scan runs past the end.
        TqmtRecord* between = h.Make("y", -5);
        i.SearchKey(nullptr, between, found, pos, false, false);
        EXPECT_FALSE(found);
        EXPECT_EQ(pos, count > 20 ? 0 : count);
        h.store.ReleaseRecord(between, true, true);
        // After rows change the search still finds the first match.
        TqmtIndexes list(&h);
        TqmtIndex* byN = list.RegisterIndex(std::make_unique<TqmtIndex>("n2", false, 1, 0, "N", h.Keys({{2, 0}}), &h));
        byN->RefreshIndex();
        list.RowOrder()->RefreshIndex();
        TqmtRecord* extra = h.Make("z", 4);
        list.MaintainIndexes(0, extra, -1, extra, list.RowOrder(), true);
        h.store.StoreRecord(extra);
        byN->SearchKey(nullptr, missing, found, pos, false, false);
        EXPECT_FALSE(found);
        TqmtRecord* four = h.Make("x", 4);
        byN->SearchKey(nullptr, four, found, pos, false, false);
        EXPECT_TRUE(found);
        EXPECT_EQ(pos, 12);
        h.store.ReleaseRecord(four, true, true);
        h.store.ReleaseRecord(missing, true, true);
    }
}

TEST(Indexes, UniqueIndexRefusesDuplicateKeys) {
    Host h;
    h.Add("a", 1);
    h.Add("b", 1);
    TqmtIndex i("u", false, 1, mtcoUnique, "N", h.Keys({{2, 0}}), &h);
    try {
        i.RefreshIndex();
        FAIL();
    } catch (const EMemTableDupKey& e) {
        EXPECT_EQ(e.Message, "Duplicate index value. Operation aborted.");
    }
}

TEST(Indexes, MaintenanceKeepsOrderOnInsertEditDelete) {
    Host h;
    TqmtIndexes list(&h);
    TqmtIndex* byN = list.RegisterIndex(std::make_unique<TqmtIndex>("n", false, 1, 0, "N", h.Keys({{2, 0}}), &h));
    list.RowOrder()->SetOrdered(true);
    std::vector<TqmtRecord*> rows;
    for (int n : {5, 1, 9, 3}) {
        TqmtRecord* r = h.Make("x", n);
        list.MaintainIndexes(0, r, -1, r, list.RowOrder(), true);
        h.store.StoreRecord(r);
        rows.push_back(r);
    }
    EXPECT_EQ(Order(h, *byN), (std::vector<int>{1, 3, 5, 9}));
    EXPECT_EQ(Order(h, *list.RowOrder()), (std::vector<int>{5, 1, 9, 3}));
    // Insert at record number 2 of the row-order index.
    TqmtRecord* r = h.Make("x", 4);
    list.MaintainIndexes(0, r, 2, r, list.RowOrder(), true);
    h.store.StoreRecord(r);
    EXPECT_EQ(Order(h, *list.RowOrder()), (std::vector<int>{5, 4, 1, 9, 3}));
    // Edit 9 -> 0.
    TqmtRecord* w = h.store.CloneRecord(rows[2], true);
    Integer zero = 0;
    std::memcpy(h.store.FieldValuePointer(w, 2) + 1, &zero, 4);
    list.MaintainIndexes(1, rows[2], -1, w, list.RowOrder(), true);
    h.store.MoveRecordContents(w, rows[2]);
    h.store.ReleaseRecord(w, true, false);
    EXPECT_EQ(Order(h, *byN), (std::vector<int>{0, 1, 3, 4, 5}));
    list.MaintainIndexes(2, rows[1], -1, nullptr, list.RowOrder(), true);
    h.store.DropRecord(rows[1]);
    EXPECT_EQ(Order(h, *byN), (std::vector<int>{0, 3, 4, 5}));
    EXPECT_EQ(Order(h, *list.RowOrder()), (std::vector<int>{5, 4, 0, 3}));
}

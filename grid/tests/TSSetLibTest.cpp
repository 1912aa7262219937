#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <set>
#include <vector>

#include "grid/TSSetLib.h"

namespace {

// Checks the AVL invariants and the key order below node; returns the
// height.
int CheckTree(const TgrSetNode* node, std::vector<Integer>& keys) {
    if (!node) return 0;
    int lh = CheckTree(node->Left, keys);
    keys.push_back(static_cast<const TgrIntegerSetNode*>(node)->Key);
    int rh = CheckTree(node->Right, keys);
    EXPECT_EQ(node->Balance, rh - lh);
    EXPECT_LE(std::abs(rh - lh), 1);
    return std::max(lh, rh) + 1;
}

std::vector<Integer> CheckedKeys(const TgrIntegerSet& s, int* height = nullptr) {
    std::vector<Integer> keys;
    int h = CheckTree(s.Root(), keys);
    if (height) *height = h;
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
    EXPECT_EQ(static_cast<Integer>(keys.size()), s.Count());
    return keys;
}

Integer RootKey(const TgrIntegerSet& s) { return static_cast<const TgrIntegerSetNode*>(s.Root())->Key; }

// An element keyed by an integer, recording how it was freed.
struct Log {
    std::vector<std::pair<int, Integer>> freed;  // (id, argument)
};

class TestElement : public TgrSetElement {
public:
    TestElement(int key, int id, Log* log) : key_(key), id_(id), log_(log) {}
    Integer FreeElement(Integer argument) override {
        log_->freed.push_back({id_, argument});
        delete this;
        return 7;
    }
    int CompareElement(TgrCustomSet*, const TgrSetElement* other) const override {
        return Code(static_cast<const TestElement*>(other)->key_);
    }
    int CompareKey(TgrCustomSet*, const TgrKeyValues& key, Integer limit) const override {
        EXPECT_EQ(limit, grCompareKeyLimit);
        return Code(key.at(0).AsInteger());
    }
    int id() const { return id_; }

private:
    int Code(int k) const { return k < key_ ? grKeyBefore : (k == key_ ? grKeyEqual : grKeyAfter); }
    int key_;
    int id_;
    Log* log_;
};

}  // namespace

TEST(OrderedSets, AscendingInsertsGiveABalancedTree) {
    TgrIntegerSet s;
    for (Integer i = 1; i <= 7; ++i) s.Add(i);
    int height = 0;
    EXPECT_EQ(CheckedKeys(s, &height), (std::vector<Integer>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(height, 3);
    EXPECT_EQ(RootKey(s), 4);
}

TEST(OrderedSets, RandomInsertsAndRemovesKeepTheTreeBalanced) {
    std::mt19937 rng(12345);
    TgrIntegerSet s;
    std::set<Integer> model;
    for (int round = 0; round < 2000; ++round) {
        Integer k = static_cast<Integer>(rng() % 300);
        if (rng() % 3 == 0) {
            s.Remove(k);
            model.erase(k);
        } else {
            const Integer* stored = s.Add(k);
            ASSERT_NE(stored, nullptr);
            EXPECT_EQ(*stored, k);
            model.insert(k);
        }
        if (round % 50 == 0) {
            auto keys = CheckedKeys(s);
            EXPECT_EQ(keys, std::vector<Integer>(model.begin(), model.end()));
        }
    }
    std::vector<Integer> order(model.begin(), model.end());
    std::shuffle(order.begin(), order.end(), rng);
    for (Integer k : order) {
        EXPECT_NE(s.Find(k), nullptr);
        s.Remove(k);
        EXPECT_EQ(s.Find(k), nullptr);
        CheckedKeys(s);
    }
    EXPECT_EQ(s.Count(), 0);
    EXPECT_EQ(s.Root(), nullptr);
}

TEST(OrderedSets, RemovingTheRootPutsItsSuccessorInPlace) {
    TgrIntegerSet s;
    s.Add(2);
    s.Add(1);
    s.Add(3);
    s.Remove(2);
    EXPECT_EQ(RootKey(s), 3);
    EXPECT_EQ(CheckedKeys(s), (std::vector<Integer>{1, 3}));

    // An absent key removes nothing.
    const Integer absent = 2;
    EXPECT_EQ(s.RemoveNode(&absent), nullptr);
    s.Remove(99);
    EXPECT_EQ(s.Count(), 2);
}

TEST(OrderedSets, StringSetKeepsOneNodePerTextInOrdinalOrder) {
    TgrStringSet s;
    const std::string* a = s.Add("beta");
    const std::string* b = s.Add("beta");
    EXPECT_EQ(a, b);
    EXPECT_EQ(s.Count(), 1);
    for (const char* t : {"apple", "Zebra", "Apple", "ab", "a", "B"}) s.Add(t);
    EXPECT_EQ(s.Find("Zebra"), s.Add("Zebra"));
    EXPECT_EQ(s.Find("zebra"), nullptr);

    std::unique_ptr<TgrSetList> list(s.CreateOrderedList());
    std::vector<std::string> texts;
    for (int i = 1; i <= list->Count(); ++i) texts.push_back(*static_cast<std::string*>(list->GetItem(i)));
    EXPECT_EQ(texts, (std::vector<std::string>{"Apple", "B", "Zebra", "a", "ab", "apple", "beta"}));
    EXPECT_EQ(list->GetItem(0), nullptr);
    EXPECT_EQ(list->GetItem(list->Count() + 1), nullptr);
}

TEST(OrderedSets, CopyHasTheSameShapeAndBalances) {
    TgrIntegerSet a;
    for (Integer k : {50, 20, 70, 10, 30, 60, 80, 25, 5}) a.Add(k);
    TgrIntegerSet b;
    b.CopyFrom(a);
    EXPECT_EQ(b.Count(), a.Count());
    EXPECT_FALSE(b.CopyInProgress());
    std::function<void(const TgrSetNode*, const TgrSetNode*)> same = [&](const TgrSetNode* x, const TgrSetNode* y) {
        ASSERT_EQ(x == nullptr, y == nullptr);
        if (!x) return;
        EXPECT_NE(x, y);
        EXPECT_EQ(static_cast<const TgrIntegerSetNode*>(x)->Key, static_cast<const TgrIntegerSetNode*>(y)->Key);
        EXPECT_EQ(x->Balance, y->Balance);
        same(x->Left, y->Left);
        same(x->Right, y->Right);
    };
    same(a.Root(), b.Root());
    a.Clear();
    EXPECT_EQ(CheckedKeys(b).size(), 9u);
}

TEST(OrderedSets, ObjectSetReplacesEqualElementsAndFreesWithTheRightArgument) {
    Log log;
    {
        TgrObjectSet s;
        EXPECT_EQ(s.Add(new TestElement(5, 1, &log)), 0);
        EXPECT_EQ(s.Add(new TestElement(3, 2, &log)), 0);
        // An equal element replaces the old one, which is freed singly.
        EXPECT_EQ(s.Add(new TestElement(5, 3, &log)), 7);
        EXPECT_EQ(log.freed, (std::vector<std::pair<int, Integer>>{{1, 0}}));
        EXPECT_EQ(s.Count(), 2);
        auto* found = static_cast<TestElement*>(s.Find({Variant(5)}));
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->id(), 3);
        EXPECT_EQ(s.Find({Variant(4)}), nullptr);

        EXPECT_EQ(s.Remove({Variant(4)}), 0);
        EXPECT_EQ(s.Remove({Variant(3)}), 7);
        EXPECT_EQ(log.freed.back(), (std::pair<int, Integer>{2, 0}));
        log.freed.clear();
    }
    // Destroying the set frees the rest as a whole tree.
    EXPECT_EQ(log.freed, (std::vector<std::pair<int, Integer>>{{3, 1}}));
}

TEST(OrderedSets, NodeStackGrowsInStepsOfTen) {
    TgrNodeStack st;
    EXPECT_EQ(st.Pop().Node, nullptr);
    TgrIntegerSetNode* none = nullptr;
    for (int i = 1; i <= 11; ++i) EXPECT_EQ(st.Push(none, i % 2 ? 1 : -1), i);
    EXPECT_EQ(st.Capacity(), 20);
    EXPECT_EQ(st.Peek(1).Direction, 1);
    EXPECT_EQ(st.Peek(12).Direction, 0);
    st.Replace(2, nullptr, 1);
    EXPECT_EQ(st.Peek(2).Direction, 1);
    EXPECT_EQ(st.Pop().Direction, 1);
    EXPECT_EQ(st.Top(), 10);
}

TEST(SortedIntegerList, FindGivesTheIndexOrTheInsertionPoint) {
    TgrSortIntList l;
    for (Integer v : {30, 10, 20, 20}) l.AddValue(v);
    ASSERT_EQ(l.Count(), 3);
    struct Case {
        Integer value, index;
        bool found;
    } cases[] = {{20, 2, true}, {25, 3, false}, {5, 1, false}, {40, 4, false}, {10, 1, true}, {30, 3, true}};
    for (const auto& c : cases) {
        bool found = !c.found;
        EXPECT_EQ(l.Find(c.value, found), c.index) << c.value;
        EXPECT_EQ(found, c.found) << c.value;
    }
    l.RemoveValue(20);
    l.RemoveValue(21);
    EXPECT_EQ(l.Count(), 2);
    EXPECT_EQ(l.Get(2), 30);
    EXPECT_EQ(l.Get(3), 0);
    l.Put(3, 99);
    EXPECT_EQ(l.Count(), 2);
}

TEST(SortedIntegerList, CapacityGrowsAndShrinksInStepsOfOneHundred) {
    TgrSortIntList l;
    l.SetCapacity(100);
    for (Integer i = 1; i <= 100; ++i) l.Insert(i, i);
    EXPECT_EQ(l.Capacity(), 100);
    l.Insert(101, 101);
    EXPECT_EQ(l.Capacity(), 201);
    l.Delete(1);
    EXPECT_EQ(l.Capacity(), 100);
    EXPECT_EQ(l.Get(1), 2);
    EXPECT_EQ(l.Get(100), 101);
    while (l.Count() > 0) l.Delete(l.Count());
    EXPECT_EQ(l.Capacity(), 100);

    TgrSortIntList copy;
    l.Insert(0, 8);  // index 0 is taken as 1
    l.Insert(1, 4);
    copy.Assign(l);
    EXPECT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.Get(1), 4);
    TgrSortIntList empty;
    copy.Assign(empty);
    EXPECT_EQ(copy.Count(), 0);
    EXPECT_EQ(copy.Capacity(), 0);
}

TEST(IntegerLists, PlainListAndSetListOwnership) {
    TgrIntegerList il;
    il.Add(5);
    il.Add(7);
    il.Add(5);
    EXPECT_EQ(il.Remove(5), 0);
    EXPECT_EQ(il.Get(1), 5);
    EXPECT_EQ(il.Remove(9), -1);
    EXPECT_THROW(il.Get(2), EListError);

    TgrIntegerSetList a;
    a.SetCount(3);
    auto* s = new TgrIntegerSet();
    s->Add(1);
    s->Add(2);
    a.Put(1, s);
    TgrIntegerSetList b;
    b.SetCount(2);
    b.Put(0, new TgrIntegerSet());
    b.Assign(a);
    EXPECT_EQ(b.Get(0), nullptr);
    ASSERT_NE(b.Get(1), nullptr);
    EXPECT_NE(b.Get(1), s);
    EXPECT_EQ(b.Get(1)->Count(), 2);
    a.Clear();
    EXPECT_EQ(a.Count(), 3);
    EXPECT_EQ(a.Get(1), nullptr);
    EXPECT_EQ(b.Get(1)->Count(), 2);
}

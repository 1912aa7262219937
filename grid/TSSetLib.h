#pragma once
// Small containers the grid keeps its sparse data in:
// - ordered sets of strings, integers or element objects, stored as
//   height-balanced binary search trees (AVL trees);
// - a snapshot list that hands out a set's contents in key order;
// - a sorted array of integers, a plain list of integers and a list of
//   integer sets.
//
// Comparison answers use one coding throughout: 0 when the key sorts before
// the node (or element), 1 when they are equal, 2 when it sorts after. Any
// other answer ends a search with nothing found.

#include <string>
#include <utility>
#include <vector>

#include "platform/core/Object.h"
#include "platform/core/Types.h"
#include "platform/core/Variant.h"

class TgrCustomSet;

// Comparison codes.
inline constexpr int grKeyBefore = 0;
inline constexpr int grKeyEqual = 1;
inline constexpr int grKeyAfter = 2;

// The element classes receive this as the limit of CompareKey; none of them
// uses it.
inline constexpr Integer grCompareKeyLimit = 134217727;

// The key list of an object-set search; its meaning belongs to the element
// classes.
using TgrKeyValues = std::vector<Variant>;

// ----------------------------------------------------------------- nodes

class TgrSetNode : public TObject {
public:
    TgrSetNode() = default;
    TgrSetNode(const TgrSetNode&) = delete;
    TgrSetNode& operator=(const TgrSetNode&) = delete;

    // Links cleared, balance copied (string nodes also copy the key).
    virtual void CopyFrom(const TgrSetNode* node);
    // Frees the node. Argument is 1 while a whole tree is being freed and 0
    // when a single node goes. Returns 0 (object nodes pass on the
    // element's answer).
    virtual Integer FreeNode(Integer argument);
    // Where key lies relative to this node (0 before, 1 equal, 2 after).
    virtual int Compare(TgrCustomSet* set, const void* key) const;
    // The same for a search key; the base calls Compare.
    virtual int CompareKey(TgrCustomSet* set, const void* key) const;
    // What the snapshot list hands out for this node.
    virtual void* NodeData();

    TgrSetNode* Left = nullptr;
    TgrSetNode* Right = nullptr;
    // Right subtree height minus left subtree height: -1, 0 or +1.
    signed char Balance = 0;

protected:
    ~TgrSetNode() override = default;
};

class TgrStringSetNode : public TgrSetNode {
public:
    explicit TgrStringSetNode(const std::string& key) : Key(key) {}
    void CopyFrom(const TgrSetNode* node) override;
    // Ordinal comparison: byte by byte, case-sensitive, a prefix first.
    int Compare(TgrCustomSet* set, const void* key) const override;
    void* NodeData() override { return &Key; }

    std::string Key;
};

class TgrIntegerSetNode : public TgrSetNode {
public:
    explicit TgrIntegerSetNode(Integer key) : Key(key) {}
    int Compare(TgrCustomSet* set, const void* key) const override;
    void* NodeData() override { return &Key; }

    Integer Key;
};

class TgrSetElement : public TObject {
public:
    TgrSetElement() = default;
    TgrSetElement(const TgrSetElement&) = delete;
    TgrSetElement& operator=(const TgrSetElement&) = delete;

    // Frees the element (argument as for TgrSetNode::FreeNode); returns 0.
    virtual Integer FreeElement(Integer argument);
    // Where other lies relative to this element (0 before, 1 equal, 2
    // after); the base answers 1.
    virtual int CompareElement(TgrCustomSet* set, const TgrSetElement* other) const;
    // Where a search key lies relative to this element; the base answers 1.
    virtual int CompareKey(TgrCustomSet* set, const TgrKeyValues& key, Integer limit) const;
    virtual std::string KeyText() const { return {}; }

protected:
    ~TgrSetElement() override = default;
};

class TgrObjectSetNode : public TgrSetNode {
public:
    explicit TgrObjectSetNode(TgrSetElement* element) : Element(element) {}
    // Frees the element first and answers its result.
    Integer FreeNode(Integer argument) override;
    // key: a TgrSetElement*.
    int Compare(TgrCustomSet* set, const void* key) const override;
    // key: a TgrKeyValues*.
    int CompareKey(TgrCustomSet* set, const void* key) const override;
    void* NodeData() override { return Element; }

    TgrSetElement* Element;
};

// ------------------------------------------------------------ node stack

struct TgrStackEntry {
    TgrSetNode* Node = nullptr;
    // 1 went right, -1 went left.
    int Direction = 0;
};

class TgrNodeStack {
public:
    // Returns the new top (the number of entries).
    int Push(TgrSetNode* node, int direction);
    // (none, 0) when empty.
    TgrStackEntry Pop();
    // Positions count from 1 (bottom) to Top; (none, 0) outside.
    TgrStackEntry Peek(int position) const;
    void Replace(int position, TgrSetNode* node, int direction);
    void Reset() { top_ = 0; }
    int Top() const { return top_; }
    int Capacity() const { return static_cast<int>(items_.size()); }

private:
    std::vector<TgrStackEntry> items_;
    int top_ = 0;
};

// ------------------------------------------------------------ snapshot

// A fixed array of pointers indexed from 1 to Count.
class TgrSetList {
public:
    explicit TgrSetList(int count);
    int Count() const { return static_cast<int>(items_.size()); }
    // None outside 1..Count.
    void* GetItem(int index) const;
    // Ignored outside 1..Count.
    void Put(int index, void* item);

private:
    std::vector<void*> items_;
};

// ------------------------------------------------------------------- sets

class TgrCustomSet : public TObject {
public:
    TgrCustomSet() = default;
    ~TgrCustomSet() override;
    TgrCustomSet(const TgrCustomSet&) = delete;
    TgrCustomSet& operator=(const TgrCustomSet&) = delete;

    Integer Count() const { return count_; }
    TgrSetNode* Root() const { return root_; }

    // Frees every node; the set is empty afterwards.
    virtual void Clear();
    // Makes this (empty) set a copy of other, with the same shape.
    virtual void CopyFrom(const TgrCustomSet& other);
    // True while CopyFrom runs.
    bool CopyInProgress() const { return copying_ > 0; }

    // The node data of every node in key order (entry k is the k-th
    // smallest). Valid until the set changes; the caller owns it.
    TgrSetList* CreateOrderedList() const;

    // Inserts a node for key, or returns the node that already holds an
    // equal key.
    TgrSetNode* InsertNode(const void* key);
    // Searches from node by CompareKey.
    TgrSetNode* FindNode(TgrSetNode* node, const void* key);
    // Takes the node with an equal key (by CompareKey) out of the tree and
    // returns it unfreed; none when absent.
    TgrSetNode* RemoveNode(const void* key);

protected:
    // Makes the node kind of the set for a key (or, when copying, for the
    // source node's data).
    virtual TgrSetNode* NewNode(const void* key);
    virtual TgrSetNode* CopySubtree(TgrSetNode* node);

private:
    void FreeTree(TgrSetNode* node);
    static TgrSetNode* RotateLeft(TgrSetNode* p);
    static TgrSetNode* RotateRight(TgrSetNode* p);

    Integer count_ = 0;
    TgrSetNode* root_ = nullptr;
    TgrNodeStack stack_;
    Integer copying_ = 0;
};

class TgrStringSet : public TgrCustomSet {
public:
    ~TgrStringSet() override;
    // The stored text (the existing one when an equal text was present).
    const std::string* Add(const std::string& text);
    const std::string* Find(const std::string& text);
    void Remove(const std::string& text);

protected:
    TgrSetNode* NewNode(const void* key) override;
};

class TgrIntegerSet : public TgrCustomSet {
public:
    ~TgrIntegerSet() override;
    const Integer* Add(Integer n);
    const Integer* Find(Integer n);
    void Remove(Integer n);

protected:
    TgrSetNode* NewNode(const void* key) override;
};

class TgrObjectSet : public TgrCustomSet {
public:
    ~TgrObjectSet() override;
    // 0 when the element was inserted; when an equal element was present it
    // is freed (FreeElement(0)), replaced by element, and its result
    // returned.
    Integer Add(TgrSetElement* element);
    TgrSetElement* Find(const TgrKeyValues& key);
    // Frees the element found (FreeElement(0)) and returns its result; 0
    // when nothing was removed.
    Integer Remove(const TgrKeyValues& key);

protected:
    TgrSetNode* NewNode(const void* key) override;
};

// ------------------------------------------------------------ int lists

// Integers at indexes 1..Count, kept in ascending order by their users.
class TgrSortIntList {
public:
    TgrSortIntList() = default;
    virtual ~TgrSortIntList() = default;
    TgrSortIntList(const TgrSortIntList&) = delete;
    TgrSortIntList& operator=(const TgrSortIntList&) = delete;

    Integer Count() const { return count_; }
    Integer Capacity() const { return capacity_; }
    bool HasStorage() const { return !items_.empty(); }

    virtual void Assign(const TgrSortIntList& source);
    // Grows to N + 100 when N exceeds the capacity, shrinks to N when N is
    // below capacity - 100.
    virtual void EnsureCapacity(Integer n);
    // 0 outside 1..Count.
    virtual Integer Get(Integer index) const;
    // Index 0 is taken as 1; Index must be at most Count + 1.
    virtual void Insert(Integer index, Integer value);
    virtual void Delete(Integer index);
    virtual void SetCapacity(Integer n);
    virtual void AddValue(Integer value);
    // Binary search: the index of value, or where it would be inserted.
    virtual Integer Find(Integer value, bool& found) const;
    virtual void RemoveValue(Integer value);
    // Ignored outside 1..Count.
    void Put(Integer index, Integer value);

private:
    Integer count_ = 0;
    Integer capacity_ = 0;
    std::vector<Integer> items_;  // capacity + 1 entries; 1..count used
};

// A plain list of integers, indexed from 0.
class TgrIntegerList {
public:
    Integer Count() const { return static_cast<Integer>(items_.size()); }
    // Returns the new item's index.
    Integer Add(Integer value);
    // Raise EListError outside 0..Count-1.
    Integer Get(Integer index) const;
    void Put(Integer index, Integer value);
    // Removes the first item equal to value; returns its index or -1.
    Integer Remove(Integer value);
    void Clear() { items_.clear(); }
    Integer operator[](Integer index) const { return Get(index); }

private:
    std::vector<Integer> items_;
};

// Cells as (data column, data row) pairs, two entries each, in one list.
class TgrCoordList : public TgrIntegerList {
public:
    void AddPair(Integer dataCol, Integer dataRow);
    // Removes the first equal pair.
    void RemovePair(Integer dataCol, Integer dataRow);
    // Overwrites the pair at index when index + 1 is below the count.
    void SetPair(Integer index, Integer dataCol, Integer dataRow);
    // The pair at index; index advances by two. False when no pair is left.
    bool NextPair(Integer& index, Integer& dataCol, Integer& dataRow) const;
};

// A list of integer sets (or none), indexed from 0. The list owns its sets:
// Put frees a set it replaces, Clear frees them all.
class TgrIntegerSetList {
public:
    TgrIntegerSetList() = default;
    ~TgrIntegerSetList();
    TgrIntegerSetList(const TgrIntegerSetList&) = delete;
    TgrIntegerSetList& operator=(const TgrIntegerSetList&) = delete;

    Integer Count() const { return static_cast<Integer>(items_.size()); }
    // New slots hold none; slots beyond count are freed.
    void SetCount(Integer count);
    // None outside the list.
    TgrIntegerSet* Get(Integer index) const;
    // Raises EListError outside 0..Count-1.
    void Put(Integer index, TgrIntegerSet* set);
    // Frees every set; the list keeps its length.
    void Clear();
    // Clear, then copies every set of other at the indexes both lists have.
    void Assign(const TgrIntegerSetList& other);

private:
    std::vector<TgrIntegerSet*> items_;
};

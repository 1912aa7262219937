#include "grid/TSSetLib.h"

#include <algorithm>

#include "platform/core/Exception.h"

// ----------------------------------------------------------------- nodes

void TgrSetNode::CopyFrom(const TgrSetNode* node) {
    Left = nullptr;
    Right = nullptr;
    Balance = node ? node->Balance : 0;
}

Integer TgrSetNode::FreeNode(Integer) {
    delete this;
    return 0;
}

int TgrSetNode::Compare(TgrCustomSet*, const void*) const { return grKeyEqual; }

int TgrSetNode::CompareKey(TgrCustomSet* set, const void* key) const { return Compare(set, key); }

void* TgrSetNode::NodeData() { return nullptr; }

void TgrStringSetNode::CopyFrom(const TgrSetNode* node) {
    TgrSetNode::CopyFrom(node);
    if (auto* s = dynamic_cast<const TgrStringSetNode*>(node)) Key = s->Key;
}

int TgrStringSetNode::Compare(TgrCustomSet*, const void* key) const {
    // std::string::compare is the ordinal comparison: unsigned bytes, a
    // prefix before the longer text.
    int c = static_cast<const std::string*>(key)->compare(Key);
    return c < 0 ? grKeyBefore : (c == 0 ? grKeyEqual : grKeyAfter);
}

int TgrIntegerSetNode::Compare(TgrCustomSet*, const void* key) const {
    Integer k = *static_cast<const Integer*>(key);
    return k < Key ? grKeyBefore : (k == Key ? grKeyEqual : grKeyAfter);
}

Integer TgrSetElement::FreeElement(Integer) {
    delete this;
    return 0;
}

int TgrSetElement::CompareElement(TgrCustomSet*, const TgrSetElement*) const { return grKeyEqual; }

int TgrSetElement::CompareKey(TgrCustomSet*, const TgrKeyValues&, Integer) const { return grKeyEqual; }

Integer TgrObjectSetNode::FreeNode(Integer argument) {
    Integer result = Element ? Element->FreeElement(argument) : 0;
    Element = nullptr;
    delete this;
    return result;
}

int TgrObjectSetNode::Compare(TgrCustomSet* set, const void* key) const {
    return Element->CompareElement(set, static_cast<const TgrSetElement*>(key));
}

int TgrObjectSetNode::CompareKey(TgrCustomSet* set, const void* key) const {
    return Element->CompareKey(set, *static_cast<const TgrKeyValues*>(key), grCompareKeyLimit);
}

// ------------------------------------------------------------ node stack

int TgrNodeStack::Push(TgrSetNode* node, int direction) {
    if (top_ == static_cast<int>(items_.size())) items_.resize(items_.size() + 10);
    items_[std::size_t(top_)] = {node, direction};
    return ++top_;
}

TgrStackEntry TgrNodeStack::Pop() {
    if (top_ == 0) return {};
    return items_[std::size_t(--top_)];
}

TgrStackEntry TgrNodeStack::Peek(int position) const {
    if (position < 1 || position > top_) return {};
    return items_[std::size_t(position - 1)];
}

void TgrNodeStack::Replace(int position, TgrSetNode* node, int direction) {
    if (position < 1 || position > top_) return;
    items_[std::size_t(position - 1)] = {node, direction};
}

// ------------------------------------------------------------ snapshot

TgrSetList::TgrSetList(int count) {
    if (count > 0) items_.assign(std::size_t(count), nullptr);
}

void* TgrSetList::GetItem(int index) const {
    if (index < 1 || index > Count()) return nullptr;
    return items_[std::size_t(index - 1)];
}

void TgrSetList::Put(int index, void* item) {
    if (index < 1 || index > Count()) return;
    items_[std::size_t(index - 1)] = item;
}

// ------------------------------------------------------------------- sets

TgrCustomSet::~TgrCustomSet() { TgrCustomSet::Clear(); }

TgrSetNode* TgrCustomSet::NewNode(const void*) { return new TgrSetNode(); }

void TgrCustomSet::FreeTree(TgrSetNode* node) {
    if (!node) return;
    FreeTree(node->Left);
    FreeTree(node->Right);
    node->FreeNode(1);
}

void TgrCustomSet::Clear() {
    TgrSetNode* root = root_;
    root_ = nullptr;
    count_ = 0;
    stack_.Reset();
    FreeTree(root);
}

TgrSetNode* TgrCustomSet::CopySubtree(TgrSetNode* node) {
    if (!node) return nullptr;
    TgrSetNode* n = NewNode(node->NodeData());
    ++count_;
    n->CopyFrom(node);
    n->Left = CopySubtree(node->Left);
    n->Right = CopySubtree(node->Right);
    return n;
}

void TgrCustomSet::CopyFrom(const TgrCustomSet& other) {
    ++copying_;
    try {
        root_ = CopySubtree(other.root_);
    } catch (...) {
        --copying_;
        throw;
    }
    --copying_;
}

TgrSetList* TgrCustomSet::CreateOrderedList() const {
    auto* list = new TgrSetList(count_);
    try {
        std::vector<TgrSetNode*> path;
        TgrSetNode* p = root_;
        int k = 0;
        while (p || !path.empty()) {
            while (p) {
                path.push_back(p);
                p = p->Left;
            }
            p = path.back();
            path.pop_back();
            list->Put(++k, p->NodeData());
            p = p->Right;
        }
    } catch (...) {
        delete list;
        throw;
    }
    return list;
}

TgrSetNode* TgrCustomSet::RotateLeft(TgrSetNode* p) {
    TgrSetNode* c = p->Right;
    p->Right = c->Left;
    c->Left = p;
    return c;
}

TgrSetNode* TgrCustomSet::RotateRight(TgrSetNode* p) {
    TgrSetNode* c = p->Left;
    p->Left = c->Right;
    c->Right = p;
    return c;
}

TgrSetNode* TgrCustomSet::InsertNode(const void* key) {
    if (!root_) {
        root_ = NewNode(key);
        ++count_;
        return root_;
    }
    // Descend, remembering the last node with a non-zero balance (the
    // critical node) and its parent.
    TgrSetNode* critical = root_;
    TgrSetNode* criticalParent = nullptr;
    TgrSetNode* parent = nullptr;
    TgrSetNode* p = root_;
    int c = grKeyEqual;
    while (p) {
        c = p->Compare(this, key);
        if (c == grKeyEqual) return p;
        if (p->Balance != 0) {
            critical = p;
            criticalParent = parent;
        }
        parent = p;
        p = c == grKeyBefore ? p->Left : p->Right;
    }
    TgrSetNode* node = NewNode(key);
    ++count_;
    if (c == grKeyBefore) parent->Left = node;
    else parent->Right = node;

    // Nodes below the critical node were balanced; they now lean towards
    // the new node.
    int d = critical->Compare(this, key) == grKeyBefore ? -1 : 1;
    p = d < 0 ? critical->Left : critical->Right;
    while (p && p != node) {
        if (p->Compare(this, key) == grKeyBefore) {
            p->Balance = -1;
            p = p->Left;
        } else {
            p->Balance = 1;
            p = p->Right;
        }
    }

    if (critical->Balance == 0) {
        critical->Balance = static_cast<signed char>(d);
        return node;
    }
    if (critical->Balance == -d) {
        critical->Balance = 0;
        return node;
    }
    // The critical node is now two levels out of balance: rotate.
    TgrSetNode* child = d > 0 ? critical->Right : critical->Left;
    TgrSetNode* subtree;
    if (child->Balance == d) {
        subtree = d > 0 ? RotateLeft(critical) : RotateRight(critical);
        critical->Balance = 0;
        child->Balance = 0;
    } else {
        TgrSetNode* g = d > 0 ? child->Left : child->Right;
        if (d > 0) {
            critical->Right = RotateRight(child);
            subtree = RotateLeft(critical);
        } else {
            critical->Left = RotateLeft(child);
            subtree = RotateRight(critical);
        }
        critical->Balance = static_cast<signed char>(g->Balance == d ? -d : 0);
        child->Balance = static_cast<signed char>(g->Balance == -d ? d : 0);
        g->Balance = 0;
    }
    if (!criticalParent) root_ = subtree;
    else if (criticalParent->Left == critical) criticalParent->Left = subtree;
    else criticalParent->Right = subtree;
    return node;
}

TgrSetNode* TgrCustomSet::FindNode(TgrSetNode* node, const void* key) {
    while (node) {
        int c = node->CompareKey(this, key);
        if (c == grKeyEqual) return node;
        if (c == grKeyBefore) node = node->Left;
        else if (c == grKeyAfter) node = node->Right;
        else return nullptr;
    }
    return nullptr;
}

TgrSetNode* TgrCustomSet::RemoveNode(const void* key) {
    stack_.Reset();
    TgrSetNode* p = root_;
    while (p) {
        int c = p->CompareKey(this, key);
        if (c == grKeyEqual) break;
        if (c == grKeyBefore) {
            stack_.Push(p, -1);
            p = p->Left;
        } else if (c == grKeyAfter) {
            stack_.Push(p, 1);
            p = p->Right;
        } else {
            return nullptr;
        }
    }
    if (!p) return nullptr;

    TgrSetNode* target = p;
    TgrSetNode* out = p;
    int targetPos = 0;
    if (p->Left && p->Right) {
        // The in-order successor takes the node's place.
        targetPos = stack_.Push(p, 1);
        out = p->Right;
        while (out->Left) {
            stack_.Push(out, -1);
            out = out->Left;
        }
    }
    auto link = [this](int position, TgrSetNode* node) {
        if (position < 1) {
            root_ = node;
            return;
        }
        TgrStackEntry e = stack_.Peek(position);
        if (e.Direction < 0) e.Node->Left = node;
        else e.Node->Right = node;
    };
    TgrSetNode* child = out->Left ? out->Left : out->Right;
    link(stack_.Top(), child);
    --count_;
    if (out != target) {
        out->Left = target->Left;
        out->Right = target->Right;
        out->Balance = target->Balance;
        link(targetPos - 1, out);
        stack_.Replace(targetPos, out, 1);
    }

    // Rebalance upwards until the subtree stops shrinking.
    while (stack_.Top() > 0) {
        TgrStackEntry e = stack_.Pop();
        TgrSetNode* parent = e.Node;
        int s = e.Direction;
        if (parent->Balance == 0) {
            parent->Balance = static_cast<signed char>(-s);
            break;
        }
        if (parent->Balance == s) {
            parent->Balance = 0;
            continue;
        }
        int d = -s;  // the heavy side
        TgrSetNode* c = d > 0 ? parent->Right : parent->Left;
        TgrSetNode* subtree;
        bool stop = false;
        if (c->Balance == d || c->Balance == 0) {
            subtree = d > 0 ? RotateLeft(parent) : RotateRight(parent);
            if (c->Balance == d) {
                c->Balance = 0;
                parent->Balance = 0;
            } else {
                c->Balance = static_cast<signed char>(s);
                parent->Balance = static_cast<signed char>(d);
                stop = true;
            }
        } else {
            TgrSetNode* g = d > 0 ? c->Left : c->Right;
            if (d > 0) {
                parent->Right = RotateRight(c);
                subtree = RotateLeft(parent);
            } else {
                parent->Left = RotateLeft(c);
                subtree = RotateRight(parent);
            }
            parent->Balance = static_cast<signed char>(g->Balance == d ? -d : 0);
            c->Balance = static_cast<signed char>(g->Balance == -d ? d : 0);
            g->Balance = 0;
        }
        link(stack_.Top(), subtree);
        if (stop) break;
    }
    stack_.Reset();
    target->Left = nullptr;
    target->Right = nullptr;
    return target;
}

TgrStringSet::~TgrStringSet() = default;

TgrSetNode* TgrStringSet::NewNode(const void* key) {
    return new TgrStringSetNode(*static_cast<const std::string*>(key));
}

const std::string* TgrStringSet::Add(const std::string& text) {
    return static_cast<const std::string*>(InsertNode(&text)->NodeData());
}

const std::string* TgrStringSet::Find(const std::string& text) {
    TgrSetNode* n = FindNode(Root(), &text);
    return n ? static_cast<const std::string*>(n->NodeData()) : nullptr;
}

void TgrStringSet::Remove(const std::string& text) {
    if (TgrSetNode* n = RemoveNode(&text)) n->FreeNode(0);
}

TgrIntegerSet::~TgrIntegerSet() = default;

TgrSetNode* TgrIntegerSet::NewNode(const void* key) {
    return new TgrIntegerSetNode(*static_cast<const Integer*>(key));
}

const Integer* TgrIntegerSet::Add(Integer n) { return static_cast<const Integer*>(InsertNode(&n)->NodeData()); }

const Integer* TgrIntegerSet::Find(Integer n) {
    TgrSetNode* node = FindNode(Root(), &n);
    return node ? static_cast<const Integer*>(node->NodeData()) : nullptr;
}

void TgrIntegerSet::Remove(Integer n) {
    if (TgrSetNode* node = RemoveNode(&n)) node->FreeNode(0);
}

TgrObjectSet::~TgrObjectSet() = default;

TgrSetNode* TgrObjectSet::NewNode(const void* key) {
    return new TgrObjectSetNode(static_cast<TgrSetElement*>(const_cast<void*>(key)));
}

Integer TgrObjectSet::Add(TgrSetElement* element) {
    auto* node = static_cast<TgrObjectSetNode*>(InsertNode(element));
    if (node->Element == element) return 0;
    TgrSetElement* old = node->Element;
    node->Element = element;
    return old ? old->FreeElement(0) : 0;
}

TgrSetElement* TgrObjectSet::Find(const TgrKeyValues& key) {
    TgrKeyValues copy = key;
    auto* node = static_cast<TgrObjectSetNode*>(FindNode(Root(), &copy));
    return node ? node->Element : nullptr;
}

Integer TgrObjectSet::Remove(const TgrKeyValues& key) {
    TgrKeyValues copy = key;
    TgrSetNode* node = RemoveNode(&copy);
    return node ? node->FreeNode(0) : 0;
}

// ------------------------------------------------------------ int lists

void TgrSortIntList::SetCapacity(Integer n) {
    if (n < 0) n = 0;
    if (n == capacity_) return;
    capacity_ = n;
    items_.resize(std::size_t(n) + 1, 0);
    if (count_ > capacity_) count_ = capacity_;
}

void TgrSortIntList::EnsureCapacity(Integer n) {
    if (n > capacity_) SetCapacity(n + 100);
    else if (n < capacity_ - 100) SetCapacity(n);
}

Integer TgrSortIntList::Get(Integer index) const {
    if (index < 1 || index > count_) return 0;
    return items_[std::size_t(index)];
}

void TgrSortIntList::Put(Integer index, Integer value) {
    if (index < 1 || index > count_) return;
    items_[std::size_t(index)] = value;
}

void TgrSortIntList::Insert(Integer index, Integer value) {
    EnsureCapacity(count_ + 1);
    if (index < 1) index = 1;
    if (index > count_ + 1) index = count_ + 1;
    for (Integer i = count_; i >= index; --i) items_[std::size_t(i + 1)] = items_[std::size_t(i)];
    items_[std::size_t(index)] = value;
    ++count_;
}

void TgrSortIntList::Delete(Integer index) {
    if (index < 1 || index > count_) return;
    for (Integer i = index; i < count_; ++i) items_[std::size_t(i)] = items_[std::size_t(i + 1)];
    items_[std::size_t(count_)] = 0;
    --count_;
    EnsureCapacity(count_);
}

Integer TgrSortIntList::Find(Integer value, bool& found) const {
    Integer low = 1;
    Integer high = count_;
    found = false;
    while (low <= high) {
        Integer middle = (low + high) / 2;
        Integer v = items_[std::size_t(middle)];
        if (value < v) {
            high = middle - 1;
        } else if (value > v) {
            low = middle + 1;
        } else {
            found = true;
            return middle;
        }
    }
    return low;
}

void TgrSortIntList::AddValue(Integer value) {
    bool found;
    Integer index = Find(value, found);
    if (!found) Insert(index, value);
}

void TgrSortIntList::RemoveValue(Integer value) {
    bool found;
    Integer index = Find(value, found);
    if (found) Delete(index);
}

void TgrSortIntList::Assign(const TgrSortIntList& source) {
    if (&source == this) return;
    if (source.HasStorage() && source.count_ > 0) {
        EnsureCapacity(source.count_);
        std::copy(source.items_.begin(), source.items_.begin() + source.count_ + 1, items_.begin());
        count_ = source.count_;
    } else {
        items_.clear();
        items_.shrink_to_fit();
        count_ = 0;
        capacity_ = 0;
    }
}

static void CheckListIndex(Integer index, Integer count) {
    if (index < 0 || index >= count)
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

Integer TgrIntegerList::Add(Integer value) {
    items_.push_back(value);
    return Count() - 1;
}

Integer TgrIntegerList::Get(Integer index) const {
    CheckListIndex(index, Count());
    return items_[std::size_t(index)];
}

void TgrIntegerList::Put(Integer index, Integer value) {
    CheckListIndex(index, Count());
    items_[std::size_t(index)] = value;
}

Integer TgrIntegerList::Remove(Integer value) {
    auto it = std::find(items_.begin(), items_.end(), value);
    if (it == items_.end()) return -1;
    Integer index = static_cast<Integer>(it - items_.begin());
    items_.erase(it);
    return index;
}

TgrIntegerSetList::~TgrIntegerSetList() { Clear(); }

void TgrIntegerSetList::SetCount(Integer count) {
    if (count < 0) count = 0;
    for (std::size_t i = std::size_t(count); i < items_.size(); ++i) delete items_[i];
    items_.resize(std::size_t(count), nullptr);
}

TgrIntegerSet* TgrIntegerSetList::Get(Integer index) const {
    if (index < 0 || index >= Count()) return nullptr;
    return items_[std::size_t(index)];
}

void TgrIntegerSetList::Put(Integer index, TgrIntegerSet* set) {
    CheckListIndex(index, Count());
    TgrIntegerSet*& slot = items_[std::size_t(index)];
    if (slot != set) delete slot;
    slot = set;
}

void TgrIntegerSetList::Clear() {
    for (auto*& s : items_) {
        delete s;
        s = nullptr;
    }
}

void TgrIntegerSetList::Assign(const TgrIntegerSetList& other) {
    if (&other == this) return;
    Clear();
    Integer n = std::min(Count(), other.Count());
    for (Integer i = 0; i < n; ++i) {
        if (TgrIntegerSet* s = other.Get(i)) {
            auto* copy = new TgrIntegerSet();
            copy->CopyFrom(*s);
            items_[std::size_t(i)] = copy;
        }
    }
}

// ------------------------------------------------------------ TgrCoordList

void TgrCoordList::AddPair(Integer dataCol, Integer dataRow) {
    Add(dataCol);
    Add(dataRow);
}

void TgrCoordList::RemovePair(Integer dataCol, Integer dataRow) {
    // Rebuild without the first equal pair (the list has no delete-at).
    std::vector<Integer> items;
    bool removed = false;
    for (Integer i = 0; i + 1 < Count(); i += 2) {
        Integer c = Get(i), r = Get(i + 1);
        if (!removed && c == dataCol && r == dataRow) {
            removed = true;
            continue;
        }
        items.push_back(c);
        items.push_back(r);
    }
    if (!removed) return;
    Clear();
    for (Integer v : items) Add(v);
}

void TgrCoordList::SetPair(Integer index, Integer dataCol, Integer dataRow) {
    if (index < 0 || index + 1 >= Count()) return;
    Put(index, dataCol);
    Put(index + 1, dataRow);
}

bool TgrCoordList::NextPair(Integer& index, Integer& dataCol, Integer& dataRow) const {
    if (index < 0 || index + 1 >= Count()) return false;
    dataCol = Get(index);
    dataRow = Get(index + 1);
    index += 2;
    return true;
}

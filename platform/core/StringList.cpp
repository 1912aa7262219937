#include "platform/core/StringList.h"

#include <algorithm>
#include <numeric>

#include "platform/core/Exception.h"
#include "platform/core/Streams.h"
#include "platform/core/Strings.h"

// ---- TStrings ----------------------------------------------------------------------

void TStrings::Put(Integer index, const std::string& s) {
    TObject* object = GetObject(index);
    Delete(index);
    InsertObject(index, s, object);
}

Integer TStrings::Add(const std::string& s) {
    const Integer index = Count();
    Insert(index, s);
    return index;
}

Integer TStrings::AddObject(const std::string& s, TObject* object) {
    const Integer index = Add(s);
    PutObject(index, object);
    return index;
}

Integer TStrings::AddPair(const std::string& name, const std::string& value) {
    return Add(name + NameValueSeparator + value);
}

void TStrings::InsertObject(Integer index, const std::string& s, TObject* object) {
    Insert(index, s);
    PutObject(index, object);
}

void TStrings::AddStrings(const TStrings& other) {
    BeginUpdate();
    for (Integer i = 0; i < other.Count(); ++i) AddObject(other.Get(i), other.GetObject(i));
    EndUpdate();
}

void TStrings::Assign(const TStrings& other) {
    if (&other == this) return;
    BeginUpdate();
    Clear();
    Delimiter = other.Delimiter;
    QuoteChar = other.QuoteChar;
    NameValueSeparator = other.NameValueSeparator;
    StrictDelimiter = other.StrictDelimiter;
    AddStrings(other);
    EndUpdate();
}

int TStrings::CompareStrings(const std::string& a, const std::string& b) const {
    return AnsiCompareText(a, b);
}

Integer TStrings::IndexOf(const std::string& s) const {
    for (Integer i = 0; i < Count(); ++i)
        if (CompareStrings(Get(i), s) == 0) return i;
    return -1;
}

Integer TStrings::IndexOfName(const std::string& name) const {
    for (Integer i = 0; i < Count(); ++i) {
        const std::string s = Get(i);
        const std::size_t p = s.find(NameValueSeparator);
        if (p != std::string::npos && CompareStrings(s.substr(0, p), name) == 0) return i;
    }
    return -1;
}

Integer TStrings::IndexOfObject(const TObject* object) const {
    for (Integer i = 0; i < Count(); ++i)
        if (GetObject(i) == object) return i;
    return -1;
}

void TStrings::Exchange(Integer index1, Integer index2) {
    const std::string s1 = Get(index1);
    TObject* o1 = GetObject(index1);
    Put(index1, Get(index2));
    PutObject(index1, GetObject(index2));
    Put(index2, s1);
    PutObject(index2, o1);
}

void TStrings::Move(Integer curIndex, Integer newIndex) {
    if (curIndex == newIndex) return;
    const std::string s = Get(curIndex);
    TObject* object = GetObject(curIndex);
    BeginUpdate();
    Delete(curIndex);
    InsertObject(newIndex, s, object);
    EndUpdate();
}

bool TStrings::Equals(const TStrings& other) const {
    if (Count() != other.Count()) return false;
    for (Integer i = 0; i < Count(); ++i)
        if (Get(i) != other.Get(i)) return false;
    return true;
}

std::string TStrings::Names(Integer index) const {
    const std::string s = Get(index);
    const std::size_t p = s.find(NameValueSeparator);
    return p == std::string::npos ? std::string() : s.substr(0, p);
}

std::string TStrings::ValueFromIndex(Integer index) const {
    const std::string s = Get(index);
    const std::size_t p = s.find(NameValueSeparator);
    return p == std::string::npos ? std::string() : s.substr(p + 1);
}

std::string TStrings::Values(const std::string& name) const {
    const Integer i = IndexOfName(name);
    return i < 0 ? std::string() : ValueFromIndex(i);
}

void TStrings::SetValue(const std::string& name, const std::string& value) {
    const Integer i = IndexOfName(name);
    if (value.empty()) {
        if (i >= 0) Delete(i);
        return;
    }
    const std::string line = name + NameValueSeparator + value;
    if (i < 0) {
        Add(line);
        return;
    }
    // A sorted list refuses Put; re-adding keeps it in order.
    const auto* sorted = dynamic_cast<const TStringList*>(this);
    if (sorted != nullptr && sorted->Sorted()) {
        TObject* object = GetObject(i);
        Delete(i);
        AddObject(line, object);
    } else {
        Put(i, line);
    }
}

void TStrings::SetValueFromIndex(Integer index, const std::string& value) {
    if (value.empty()) {
        Delete(index);
        return;
    }
    SetValue(Names(index), value);
}

std::string TStrings::Text() const {
    std::string r;
    for (Integer i = 0; i < Count(); ++i) {
        r += Get(i);
        r += "\r\n";
    }
    return r;
}

void TStrings::SetText(const std::string& text) {
    BeginUpdate();
    Clear();
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t j = text.find_first_of("\r\n", i);
        if (j == std::string::npos) {
            Add(text.substr(i));
            break;
        }
        Add(text.substr(i, j - i));
        if (text[j] == '\r' && j + 1 < text.size() && text[j + 1] == '\n') ++j;
        i = j + 1;
    }
    EndUpdate();
}

std::string TStrings::CommaText() const { return JoinDelimited(',', '"'); }

void TStrings::SetCommaText(const std::string& text) {
    const char oldDelimiter = Delimiter, oldQuote = QuoteChar;
    Delimiter = ',';
    QuoteChar = '"';
    try {
        SetDelimitedText(text);
    } catch (...) {
        Delimiter = oldDelimiter;
        QuoteChar = oldQuote;
        throw;
    }
    Delimiter = oldDelimiter;
    QuoteChar = oldQuote;
}

namespace {
bool IsBlankByte(char c) { return static_cast<unsigned char>(c) <= ' '; }
bool IsSkippableBlank(char c) { return c != '\0' && IsBlankByte(c); }
}  // namespace

std::string TStrings::DelimitedText() const { return JoinDelimited(Delimiter, QuoteChar); }

std::string TStrings::JoinDelimited(char delimiter, char quoteChar) const {
    const Integer n = Count();
    if (n == 1 && Get(0).empty()) return std::string(2, quoteChar);
    std::string r;
    for (Integer i = 0; i < n; ++i) {
        const std::string s = Get(i);
        bool quote = false;
        for (char c : s) {
            if (c == quoteChar || c == delimiter || (!StrictDelimiter && IsBlankByte(c))) {
                quote = true;
                break;
            }
        }
        if (i > 0) r += delimiter;
        r += quote ? AnsiQuotedStr(s, quoteChar) : s;
    }
    return r;
}

void TStrings::SetDelimitedText(const std::string& text) {
    BeginUpdate();
    Clear();
    const std::size_t n = text.size();
    std::size_t p = 0;
    if (!StrictDelimiter)
        while (p < n && IsSkippableBlank(text[p])) ++p;
    while (p < n) {
        std::string item;
        if (text[p] == QuoteChar) {
            item = AnsiExtractQuotedStr(text, p, QuoteChar);
        } else {
            const std::size_t start = p;
            while (p < n && text[p] != Delimiter && (StrictDelimiter || !IsBlankByte(text[p]))) ++p;
            item = text.substr(start, p - start);
        }
        Add(item);
        if (!StrictDelimiter)
            while (p < n && IsSkippableBlank(text[p])) ++p;
        if (p < n && text[p] == Delimiter) {
            if (p + 1 == n) Add("");  // a trailing delimiter ends with an empty item
            ++p;
            if (!StrictDelimiter)
                while (p < n && IsSkippableBlank(text[p])) ++p;
        }
    }
    EndUpdate();
}

void TStrings::LoadFromStream(TStream& stream) {
    const Int64 left = stream.Size() - stream.Position();
    std::string bytes(static_cast<std::size_t>(std::max<Int64>(0, left)), '\0');
    if (!bytes.empty()) stream.ReadBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
    SetText(bytes);
}

void TStrings::SaveToStream(TStream& stream) const {
    const std::string bytes = Text();
    stream.WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
}

void TStrings::LoadFromFile(const std::string& fileName) {
    TFileStream f(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(f);
}

void TStrings::SaveToFile(const std::string& fileName) const {
    TFileStream f(fileName, fmCreate);
    SaveToStream(f);
}

std::vector<std::string> TStrings::ToVector() const {
    std::vector<std::string> r;
    r.reserve(static_cast<std::size_t>(Count()));
    for (Integer i = 0; i < Count(); ++i) r.push_back(Get(i));
    return r;
}

// ---- TStringList -------------------------------------------------------------------

void TStringList::CheckIndex(Integer index) const {
    if (index < 0 || index >= Count())
        throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
}

std::string TStringList::Get(Integer index) const {
    CheckIndex(index);
    return items_[static_cast<std::size_t>(index)].s;
}

void TStringList::Put(Integer index, const std::string& s) {
    if (sorted_) throw EStringListError("Operation not allowed on sorted list");
    CheckIndex(index);
    items_[static_cast<std::size_t>(index)].s = s;
}

TObject* TStringList::GetObject(Integer index) const {
    CheckIndex(index);
    return items_[static_cast<std::size_t>(index)].object;
}

void TStringList::PutObject(Integer index, TObject* object) {
    CheckIndex(index);
    items_[static_cast<std::size_t>(index)].object = object;
}

void TStringList::InsertItem(Integer index, const std::string& s, TObject* object) {
    items_.insert(items_.begin() + index, Item{s, object});
}

void TStringList::Insert(Integer index, const std::string& s) {
    if (sorted_) throw EStringListError("Operation not allowed on sorted list");
    if (index < 0 || index > Count())
        throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
    InsertItem(index, s, nullptr);
}

void TStringList::Delete(Integer index) {
    CheckIndex(index);
    items_.erase(items_.begin() + index);
}

void TStringList::Clear() { items_.clear(); }

Integer TStringList::Add(const std::string& s) {
    if (!sorted_) {
        InsertItem(Count(), s, nullptr);
        return Count() - 1;
    }
    Integer index;
    if (Find(s, index)) {
        switch (duplicates_) {
            case dupIgnore: return index;
            case dupError: throw EStringListError("String list does not allow duplicates");
            case dupAccept: break;
        }
    }
    InsertItem(index, s, nullptr);
    return index;
}

Integer TStringList::IndexOf(const std::string& s) const {
    if (!sorted_) return TStrings::IndexOf(s);
    Integer index;
    return Find(s, index) ? index : -1;
}

void TStringList::Exchange(Integer index1, Integer index2) {
    CheckIndex(index1);
    CheckIndex(index2);
    std::swap(items_[static_cast<std::size_t>(index1)], items_[static_cast<std::size_t>(index2)]);
}

bool TStringList::Find(const std::string& s, Integer& index) const {
    Integer lo = 0, hi = Count() - 1;
    bool found = false;
    while (lo <= hi) {
        const Integer mid = lo + (hi - lo) / 2;
        const int c = CompareStrings(items_[static_cast<std::size_t>(mid)].s, s);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) found = true;  // keep going left to the first equal item
        }
    }
    index = lo;
    return found;
}

void TStringList::Sort() {
    CustomSort([](TStringList& list, Integer a, Integer b) {
        return list.CompareStrings(list.items_[static_cast<std::size_t>(a)].s,
                                   list.items_[static_cast<std::size_t>(b)].s);
    });
}

void TStringList::CustomSort(const std::function<int(TStringList&, Integer, Integer)>& compare) {
    if (sorted_ || Count() < 2) return;
    // Sort a permutation so the callback can look items up by index.
    std::vector<Integer> order(items_.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](Integer a, Integer b) { return compare(*this, a, b) < 0; });
    std::vector<Item> sortedItems;
    sortedItems.reserve(items_.size());
    for (Integer i : order) sortedItems.push_back(items_[static_cast<std::size_t>(i)]);
    items_.swap(sortedItems);
}

void TStringList::SetSorted(bool value) {
    if (value == sorted_) return;
    if (value) Sort();
    sorted_ = value;
}

void TStringList::SetCaseSensitive(bool value) {
    if (value == caseSensitive_) return;
    caseSensitive_ = value;
    if (sorted_) {
        sorted_ = false;
        Sort();
        sorted_ = true;
    }
}

int TStringList::CompareStrings(const std::string& a, const std::string& b) const {
    return caseSensitive_ ? CompareStr(a, b) : AnsiCompareText(a, b);
}

#pragma once
// String lists with the platform's semantics: an abstract TStrings with the
// text, name=value and delimited-text views, and the concrete TStringList
// (optionally sorted, with a duplicates policy and case sensitivity).

#include <functional>
#include <string>
#include <vector>

#include "platform/core/Types.h"

class TObject;
class TStream;

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStrings {
public:
    virtual ~TStrings() = default;

    // ---- what a concrete list provides
    virtual Integer Count() const = 0;
    virtual std::string Get(Integer index) const = 0;
    virtual void Put(Integer index, const std::string& s);
    virtual TObject* GetObject(Integer index) const { return nullptr; }
    virtual void PutObject(Integer index, TObject* object) {}
    virtual void Insert(Integer index, const std::string& s) = 0;
    virtual void Delete(Integer index) = 0;
    virtual void Clear() = 0;

    // ---- adding and finding
    virtual Integer Add(const std::string& s);
    Integer AddObject(const std::string& s, TObject* object);
    void Append(const std::string& s) { Add(s); }
    Integer AddPair(const std::string& name, const std::string& value);
    void InsertObject(Integer index, const std::string& s, TObject* object);
    void AddStrings(const TStrings& other);
    void Assign(const TStrings& other);
    virtual Integer IndexOf(const std::string& s) const;
    Integer IndexOfName(const std::string& name) const;
    Integer IndexOfObject(const TObject* object) const;
    virtual void Exchange(Integer index1, Integer index2);
    void Move(Integer curIndex, Integer newIndex);
    bool Equals(const TStrings& other) const;
    virtual void BeginUpdate() { ++updateCount_; }
    virtual void EndUpdate() { if (updateCount_ > 0) --updateCount_; }

    // ---- element access
    std::string operator[](Integer index) const { return Get(index); }
    std::string Strings(Integer index) const { return Get(index); }
    void SetStrings(Integer index, const std::string& s) { Put(index, s); }
    TObject* Objects(Integer index) const { return GetObject(index); }
    void SetObjects(Integer index, TObject* object) { PutObject(index, object); }

    // ---- name=value lines; names compare as CompareStrings does
    // (case-insensitive unless the list is case-sensitive).
    std::string Names(Integer index) const;
    std::string Values(const std::string& name) const;
    // Replaces the value of the first line with that name, or adds a line;
    // an empty value deletes the line.
    void SetValue(const std::string& name, const std::string& value);
    std::string ValueFromIndex(Integer index) const;
    void SetValueFromIndex(Integer index, const std::string& value);

    // ---- whole-list views
    // Every line followed by CR LF.
    std::string Text() const;
    // Splits on CR LF, LF or CR; a final line break adds no empty line.
    void SetText(const std::string& text);
    // DelimitedText with "," and '"' (StrictDelimiter still applies).
    std::string CommaText() const;
    void SetCommaText(const std::string& text);
    // Items containing the delimiter, the quote or (unless StrictDelimiter)
    // blanks or control characters are quoted with QuoteChar; a list of one
    // empty item is written as two quote characters.
    std::string DelimitedText() const;
    // Unless StrictDelimiter, blanks also separate items and are skipped
    // around them; quoted items may contain anything, doubled quotes stand
    // for one quote.
    void SetDelimitedText(const std::string& text);

    // ---- files and streams (the bytes as they are, UTF-8; a UTF-8 byte
    // order mark is skipped when reading)
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName) const;
    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream) const;

    std::vector<std::string> ToVector() const;

    char Delimiter = ',';
    char QuoteChar = '"';
    char NameValueSeparator = '=';
    bool StrictDelimiter = false;

    // Comparison used by IndexOf, IndexOfName and sorting.
    virtual int CompareStrings(const std::string& a, const std::string& b) const;

protected:
    Integer UpdateCount() const { return updateCount_; }

private:
    std::string JoinDelimited(char delimiter, char quoteChar) const;

    Integer updateCount_ = 0;
};

class TStringList : public TStrings {
public:
    // Copies share the objects (the list never owns them).
    TStringList() = default;

    Integer Count() const override { return static_cast<Integer>(items_.size()); }
    std::string Get(Integer index) const override;
    // Raise EStringListError "Operation not allowed on sorted list" when sorted.
    void Put(Integer index, const std::string& s) override;
    TObject* GetObject(Integer index) const override;
    void PutObject(Integer index, TObject* object) override;
    void Insert(Integer index, const std::string& s) override;
    void Delete(Integer index) override;
    void Clear() override;
    // On a sorted list: insert in order, honouring Duplicates.
    Integer Add(const std::string& s) override;
    Integer IndexOf(const std::string& s) const override;
    void Exchange(Integer index1, Integer index2) override;

    // Binary search of a sorted list: true when found; index is where s is
    // or would be inserted (the first of equal items).
    bool Find(const std::string& s, Integer& index) const;
    void Sort();
    // Sorts with compare(list, index1, index2) < 0 meaning "index1 first".
    void CustomSort(const std::function<int(TStringList&, Integer, Integer)>& compare);

    bool Sorted() const { return sorted_; }
    void SetSorted(bool value);
    TDuplicates Duplicates() const { return duplicates_; }
    void SetDuplicates(TDuplicates value) { duplicates_ = value; }
    bool CaseSensitive() const { return caseSensitive_; }
    void SetCaseSensitive(bool value);

    int CompareStrings(const std::string& a, const std::string& b) const override;

private:
    struct Item {
        std::string s;
        TObject* object = nullptr;
    };
    void CheckIndex(Integer index) const;
    void InsertItem(Integer index, const std::string& s, TObject* object);

    std::vector<Item> items_;
    bool sorted_ = false;
    bool caseSensitive_ = false;
    TDuplicates duplicates_ = dupIgnore;
};

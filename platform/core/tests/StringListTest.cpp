#include "platform/core/StringList.h"

#include <gtest/gtest.h>

#include "TextTestSupport.h"
#include "platform/core/Exception.h"
#include "platform/core/Streams.h"

namespace {
TStringList ListOf(std::initializer_list<const char*> items) {
    TStringList l;
    for (const char* s : items) l.Add(s);
    return l;
}
std::vector<std::string> Items(const TStrings& l) { return l.ToVector(); }
using V = std::vector<std::string>;
}  // namespace

TEST(StringList, EditingAndIndexErrors) {
    TStringList l = ListOf({"a", "b"});
    l.Insert(0, "z");
    l.Insert(3, "end");
    l.Delete(1);
    l.SetStrings(0, "Z");
    EXPECT_EQ((V{"Z", "b", "end"}), Items(l));
    EXPECT_EQ(1, l.IndexOf("B"));  // case-insensitive by default
    EXPECT_EQ(-1, l.IndexOf("q"));
    l.Move(0, 2);
    EXPECT_EQ((V{"b", "end", "Z"}), Items(l));
    l.Exchange(0, 1);
    EXPECT_EQ((V{"end", "b", "Z"}), Items(l));

    auto expectIndexError = [](auto op, const char* message) {
        try {
            op();
            ADD_FAILURE() << "no exception";
        } catch (const EStringListError& e) {
            EXPECT_EQ(message, e.Message);
        }
    };
    expectIndexError([&] { l.Get(3); }, "List index out of bounds (3)");
    expectIndexError([&] { l.Delete(-1); }, "List index out of bounds (-1)");
    expectIndexError([&] { l.Insert(5, "x"); }, "List index out of bounds (5)");
    expectIndexError([&] { l.SetObjects(9, nullptr); }, "List index out of bounds (9)");
}

TEST(StringList, TextJoinsWithCrLfAndSplitsAnyLineEnd) {
    TStringList l = ListOf({"one", "", "three"});
    EXPECT_EQ("one\r\n\r\nthree\r\n", l.Text());
    struct Case { const char* text; V lines; };
    const Case cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"a\n\nb\n", {"a", "", "b"}},
        {"a\r\r\n", {"a", ""}},
        {"\r\n", {""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        l.SetText(c.text);
        EXPECT_EQ(c.lines, Items(l));
    }
}

TEST(StringList, NamesAndValues) {
    TStringList l = ListOf({"PortNo=3", "noequals", "Path=a=b", "Empty="});
    EXPECT_EQ("3", l.Values("portno"));
    EXPECT_EQ("a=b", l.Values("PATH"));
    EXPECT_EQ("", l.Values("missing"));
    EXPECT_EQ("", l.Names(1));
    EXPECT_EQ("Path", l.Names(2));
    EXPECT_EQ("a=b", l.ValueFromIndex(2));
    EXPECT_EQ(3, l.IndexOfName("empty"));
    l.SetValue("PORTNO", "4");  // the line keeps its position, takes the new name
    EXPECT_EQ("PORTNO=4", l[0]);
    l.SetValue("New", "x");
    EXPECT_EQ("New=x", l[4]);
    l.SetValue("path", "");  // empty value deletes
    EXPECT_EQ((V{"PORTNO=4", "noequals", "Empty=", "New=x"}), Items(l));

    TStringList sorted = ListOf({"b=2", "a=1"});
    sorted.SetSorted(true);
    sorted.SetValue("a", "9");
    sorted.SetValue("c", "3");
    EXPECT_EQ((V{"a=9", "b=2", "c=3"}), Items(sorted));
}

TEST(StringList, CommaTextWriting) {
    struct Case { V items; const char* text; };
    const Case cases[] = {
        {{}, ""},
        {{""}, "\"\""},
        {{"a", "b c", "d,e", "f\"g", ""}, "a,\"b c\",\"d,e\",\"f\"\"g\","},
        {{"", ""}, ","},
        {{"é", "x\ty"}, "é,\"x\ty\""},
    };
    for (const auto& c : cases) {
        TStringList l;
        for (const auto& s : c.items) l.Add(s);
        EXPECT_EQ(c.text, l.CommaText());
    }
    TStringList strict = ListOf({"b c", "d;e"});
    strict.StrictDelimiter = true;
    strict.Delimiter = ';';
    EXPECT_EQ("b c,d;e", strict.CommaText());
    EXPECT_EQ("b c;\"d;e\"", strict.DelimitedText());
}

TEST(StringList, CommaTextReading) {
    struct Case { const char* text; V items; };
    const Case cases[] = {
        {"", {}},
        {"a,b", {"a", "b"}},
        {"a b", {"a", "b"}},  // blanks separate
        {"  a ,  b  ", {"a", "b"}},
        {"a,,b", {"a", "", "b"}},
        {"a,", {"a", ""}},
        {"\"b c\",\"d,e\",\"f\"\"g\"", {"b c", "d,e", "f\"g"}},
        {"\"\"", {""}},
        {"\"open", {"open"}},
        {"é,ü", {"é", "ü"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        TStringList l;
        l.SetCommaText(c.text);
        EXPECT_EQ(c.items, Items(l));
    }
}

TEST(StringList, DelimitedTextStrictAndRoundTrip) {
    TStringList l;
    l.StrictDelimiter = true;
    l.Delimiter = '\t';
    l.SetDelimitedText(" a b\t c \t\"q\"\"x\"");
    EXPECT_EQ((V{" a b", " c ", "q\"x"}), Items(l));
    l.SetCommaText("x,y");
    EXPECT_EQ('\t', l.Delimiter);

    TStringList source = ListOf({"plain", "with space", "", "quote\"d", "comma,d", "tab\t"});
    TStringList back;
    back.SetCommaText(source.CommaText());
    EXPECT_EQ(Items(source), Items(back));
}

TEST(StringList, SortedWithDuplicatePolicies) {
    TStringList l = ListOf({"pear", "Apple", "banana", "apple"});
    l.SetSorted(true);
    EXPECT_EQ((V{"Apple", "apple", "banana", "pear"}), Items(l));  // sorting keeps duplicates
    EXPECT_EQ(3, l.Add("cherry"));
    EXPECT_EQ(0, l.Add("APPLE"));  // dupIgnore: existing index, nothing added
    EXPECT_EQ(5, l.Count());
    EXPECT_EQ(3, l.IndexOf("CHERRY"));
    Integer at = -1;
    EXPECT_FALSE(l.Find("blue", at));
    EXPECT_EQ(3, at);

    l.SetDuplicates(dupError);
    try {
        l.Add("Pear");
        FAIL() << "no exception";
    } catch (const EStringListError& e) {
        EXPECT_EQ("String list does not allow duplicates", e.Message);
    }
    l.SetDuplicates(dupAccept);
    l.Add("Pear");
    EXPECT_EQ(6, l.Count());
    EXPECT_THROW(l.Insert(0, "x"), EStringListError);
    EXPECT_THROW(l.SetStrings(0, "x"), EStringListError);

    l.SetCaseSensitive(true);  // re-sorts in code point order
    EXPECT_EQ("Apple", l[0]);
    EXPECT_EQ("Pear", l[1]);
    EXPECT_EQ(-1, l.IndexOf("APPLE"));
}

TEST(StringList, SortedTextLoadKeepsOrder) {
    TStringList l;
    l.SetSorted(true);
    l.SetText("c\nb\na\n");
    EXPECT_EQ((V{"a", "b", "c"}), Items(l));
}

TEST(StringList, ObjectsTravelWithTheirStrings) {
    int a = 1, b = 2;
    auto* oa = reinterpret_cast<TObject*>(&a);
    auto* ob = reinterpret_cast<TObject*>(&b);
    TStringList l;
    l.AddObject("b", ob);
    l.AddObject("a", oa);
    l.SetSorted(true);
    EXPECT_EQ(oa, l.Objects(0));
    EXPECT_EQ(1, l.IndexOfObject(ob));
    TStringList copy;
    copy.Assign(l);
    EXPECT_EQ(ob, copy.Objects(1));
}

TEST(StringList, FilesAndStreams) {
    TempFolder tmp;
    TStringList l = ListOf({"ID,Name", "1,Zoë"});
    l.SaveToFile(tmp / "names.txt");
    EXPECT_EQ("ID,Name\r\n1,Zoë\r\n", ReadAll(tmp / "names.txt"));

    WriteAll(tmp / "bom.txt", "\xEF\xBB\xBFx\ny");
    TStringList back;
    back.LoadFromFile(tmp / "bom.txt");
    EXPECT_EQ((V{"x", "y"}), Items(back));

    EXPECT_THROW(back.LoadFromFile(tmp / "missing.txt"), EFOpenError);
    EXPECT_THROW(l.SaveToFile(tmp / "no/such/file.txt"), EFCreateError);

    TStringStream s("skip|a\r\nb");
    s.SetPosition(5);  // reads from the current position
    back.LoadFromStream(s);
    EXPECT_EQ((V{"a", "b"}), Items(back));
}

#include "app/HyperParse.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/core/Exception.h"

namespace {

std::vector<const THtmlInfo*> Tokens(const THyperParse& p) {
    std::vector<const THtmlInfo*> v;
    for (int i = 0; i < p.Count(); ++i) v.push_back(&p.Items(i));
    return v;
}

TEST(HyperParse, TagTextTag) {
    THyperParse p;
    p.Execute("<PFName>Algebra I</PFName>");
    auto t = Tokens(p);
    ASSERT_EQ(t.size(), 3u);
    EXPECT_TRUE(t[0]->IsTag);
    EXPECT_EQ(t[0]->TagName, "PFNAME");
    EXPECT_FALSE(t[1]->IsTag);
    EXPECT_EQ(t[1]->Data, "Algebra I");
    EXPECT_EQ(t[1]->TagName, "");
    EXPECT_EQ(t[2]->TagName, "/PFNAME");
}

TEST(HyperParse, BlanksAndLineEndsBetweenTags) {
    struct Case { const char* in; std::vector<std::string> data; };
    // Tags show their raw data, text tokens their text.
    const Case cases[] = {
        {"<A><B>", {"A", "B"}},
        {"<A> <B>", {"A", "", "B"}},
        {"<A>  <B>", {"A", " ", "B"}},
        {"<A>\r\n<B>\n<C>", {"A", "B", "C"}},
        {"<A>\r\n  <B>", {"A", " ", "B"}},
        {"<A>!Test", {"A", "Test"}},
        {"<A>  Test", {"A", " Test"}},
        {"<A\tB>", {"AB"}},
        {"<A<B>x", {"AB", "x"}},
        {"x>y", {"x", "y"}},
    };
    for (const Case& c : cases) {
        THyperParse p;
        p.Execute(c.in);
        std::vector<std::string> got;
        for (auto* t : Tokens(p)) got.push_back(t->Data);
        EXPECT_EQ(got, c.data) << c.in;
    }
}

TEST(HyperParse, TagParameters) {
    THyperParse p;
    p.Execute(R"(<font COLOR="red" size=3 face="Arial Bold" empty="" bare>)");
    ASSERT_EQ(p.Count(), 1);
    const THtmlInfo& t = p.Items(0);
    EXPECT_EQ(t.TagName, "FONT");
    ASSERT_EQ(t.Params.size(), 5u);
    EXPECT_EQ(t.Params[0].Text, R"(COLOR="red")");
    EXPECT_EQ(t.Params[0].Name, "COLOR");
    EXPECT_EQ(t.Params[0].Value, "red");
    EXPECT_EQ(t.Params[1].Text, "size=3");
    EXPECT_EQ(t.Params[1].Value, "3");
    EXPECT_EQ(t.Params[2].Value, "Arial Bold");
    EXPECT_EQ(t.Params[3].Text, R"(empty="")");
    EXPECT_EQ(t.Params[3].Value, "");
    EXPECT_EQ(t.Params[4].Name, "bare");
    EXPECT_EQ(t.Params[4].Value, "");
}

TEST(HyperParse, MalformedTags) {
    // An unterminated quote runs to the end of the tag; nothing crashes.
    THyperParse p;
    p.Execute(R"(<a x="abc><b y=><c =z>)");
    ASSERT_EQ(p.Count(), 3);
    EXPECT_EQ(p.Items(0).Params.at(0).Value, "abc");
    EXPECT_EQ(p.Items(1).Params.at(0).Text, "y=");
    EXPECT_EQ(p.Items(2).TagName, "C");
    // An unclosed tag is finished at the end of the text.
    THyperParse q;
    q.Execute("<open tag");
    ASSERT_EQ(q.Count(), 1);
    EXPECT_EQ(q.Items(0).TagName, "OPEN");
    EXPECT_EQ(q.Items(0).Params.at(0).Text, "tag");
}

TEST(HyperParse, Comment) {
    THyperParse p;
    p.Execute("<!--  saved profile -->");
    ASSERT_EQ(p.Count(), 1);
    EXPECT_EQ(p.Items(0).TagName, "!--");
    ASSERT_EQ(p.Items(0).Params.size(), 1u);
    EXPECT_EQ(p.Items(0).Params[0].Text, "saved profile");
}

TEST(HyperParse, CharacterReferences) {
    struct Case { const char* in; const char* out; };
    const Case cases[] = {
        {"a &amp; b", "a & b"},
        {"&#65;&#x41;&#X41;", "AAA"},
        {"x&nbsp;y", "x y"},
        {"&eacute;t&eacute;", "\xC3\xA9t\xC3\xA9"},
        {"&#128;", "\xE2\x82\xAC"},
        {"&#9;", " "},
        {"&#160;", " "},
        {"&bogus; stays", "&bogus; stays"},
        {"&AMP; stays", "&AMP; stays"},
        {"&#; stays", "&#; stays"},
        {"&#x; stays", "&#x; stays"},
        {"&#1234; long", "&#1234; long"},
        {"&#-1; signed", "&#-1; signed"},
        {"&#+65; signed", "&#+65; signed"},
        {"&#256; &#999; out of table", "&#256; &#999; out of table"},
        {"&#65 blank", "Ablank"},  // the blank terminator goes too
        {"& &amp;", "& &"},
        {"&x&lt;", "&x<"},
        {"&amp;lt;", "&lt;"},
        {"tail &amp", "tail &amp"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecodeCharacterReferences(c.in), c.out) << c.in;
    }
    THyperParse p;
    p.Execute("<T>Tom &amp; Jerry</T>");
    ASSERT_EQ(p.Count(), 3);
    EXPECT_EQ(p.Items(1).Data, "Tom & Jerry");
}

TEST(HyperParse, ReadsFileWhenTextEmptyAndAppends) {
    std::string path = ::testing::TempDir() + "hyperparse_test.txt";
    {
        std::ofstream f(path, std::ios::binary);
        f << "<A>one\n<B>";
    }
    THyperParse p;
    p.FileName = path;
    p.Execute();
    p.Execute("<C>");
    ASSERT_EQ(p.Count(), 4);
    EXPECT_EQ(p.Items(1).Data, "one");
    EXPECT_EQ(p.Items(3).TagName, "C");
    EXPECT_THROW(p.Items(4), EListError);
    EXPECT_THROW(p.Items(-1), EListError);
    std::remove(path.c_str());
}

}  // namespace

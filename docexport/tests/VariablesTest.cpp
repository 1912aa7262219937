#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "docexport/deDocVariables.h"
#include "platform/core/Clock.h"
#include "platform/core/DateTime.h"
#include "platform/core/Format.h"
#include "platform/core/FormatSettings.h"

namespace {

// The text items of the current page.
std::vector<TdeTextItem*> TextItems(TLogEngine& e) {
    std::vector<TdeTextItem*> out;
    for (auto* i : e.GraphicItems())
        if (auto* t = dynamic_cast<TdeTextItem*>(i)) out.push_back(t);
    return out;
}

}  // namespace

TEST(Variables, DocumentAndDateVariables) {
    ManualClock clock(0, std::chrono::system_clock::time_point(std::chrono::seconds(1700000000)));
    Clock* old = &CurrentClock();
    SetCurrentClock(&clock);
    TLogEngine e;
    e.DocInfo()->SetTitle("Scores");
    e.DocInfo()->SetAuthor("Ann");
    const TFormatSettings& fs = DefaultFormatSettings();
    EXPECT_EQ(e.SubstituteVariables("<%title%> by <%AUTHOR%> on <%ShortDate%>", false),
              "Scores by Ann on " + FormatDateTime(fs.ShortDateFormat, Now(), fs));
    EXPECT_EQ(e.SubstituteVariables("<%LongTime%>", false), FormatDateTime(fs.LongTimeFormat, Now(), fs));
    e.Preferences()->SetCalculateVariables(false);
    EXPECT_EQ(e.SubstituteVariables("<%Title%>", true), "<%Title%>");
    SetCurrentClock(old);
}

TEST(Variables, PageAndCallerVariables) {
    TLogEngine e;
    std::vector<std::string> asked;
    e.OnCalcVariables = [&](TObject* sender, const std::string& name, std::string& value) {
        EXPECT_EQ(sender, &e);
        asked.push_back(name);
        if (name == "Class") value = "7B";
        if (name == "x") value = "1";
        if (name == "Loop") value = "<%Loop%><%Loop%>";  // names itself
    };
    e.BeginDoc();
    e.NewPage();
    e.NewPage();
    e.GotoPage(2);
    struct {
        const char* in;
        bool page;
        const char* out;
    } cases[] = {
        {"Page <%pg#%> of <%PgCnt%>", true, "Page 2 of 3"},
        {"Page <%Pg#%>", false, "Page <%Pg#%>"},  // recorded text keeps page variables
        {"<%Class%>/<%class%>", false, "7B/7B"},
        {"<%%>", false, "<%%>"},        // nothing between the markers
        {"<%x%>", false, "1"},          // a one-letter name is asked for
        {"<%a<%x%>", false, "<%a<%x%>"},          // a marker inside: the scan skips it
        {"<%a<%x%> <%x%>", false, "<%a1 1"},       // a later one replaces every copy
        {"<%Loop%>!", false, "<%Loop%><%Loop%>!"},
    };
    for (const auto& c : cases) {
        asked.clear();
        EXPECT_EQ(e.SubstituteVariables(c.in, c.page), c.out) << c.in;
    }
    asked.clear();
    e.SubstituteVariables("<%Pg#%><%PgCnt%>", false);
    EXPECT_TRUE(asked.empty());  // page variables never reach the event
    e.EndDoc();
}

TEST(TaggedText, TagsSwitchStylesBetweenRuns) {
    TLogEngine e;
    e.SetMeasurementUnit(muPixels);
    e.Font()->SetName("Arial");
    e.Font()->SetSize(10);
    e.BeginDoc();
    e.TaggedTextOut("a<B>b</B>c", 5, 7);
    auto items = TextItems(e);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0]->Lines[0], "a");
    EXPECT_EQ(items[1]->Lines[0], "b");
    EXPECT_EQ(items[2]->Lines[0], "c");
    EXPECT_EQ(items[0]->Font.Style(), 0u);
    EXPECT_EQ(items[1]->Font.Style(), unsigned(fsBold));
    EXPECT_EQ(items[2]->Font.Style(), 0u);
    EXPECT_DOUBLE_EQ(items[0]->X, e.AreaLeft() + 5);
    EXPECT_DOUBLE_EQ(items[0]->Y, e.AreaTop() + 7);
    TFont plain, bold;
    plain.Assign(*e.Font());
    bold.Assign(*e.Font());
    bold.SetStyle(fsBold);
    EXPECT_DOUBLE_EQ(items[1]->X, items[0]->X + e.TextExtent("a", plain).cx);
    EXPECT_DOUBLE_EQ(items[2]->X, items[1]->X + e.TextExtent("b", bold).cx);
    e.EndDoc();
}

TEST(TaggedText, EscapesEmptyRunsAndUnclosedTags) {
    struct {
        const char* in;
        std::vector<std::string> runs;
        std::vector<unsigned> styles;
    } cases[] = {
        {"<B>x", {"", "x"}, {0, fsBold}},               // an empty run is flushed too
        {"a//b", {"a/b"}, {0}},                         // two slashes print one
        {"/<B>x", {"<Bx"}, {0}},                        // an escaped "<" is text
        {"<I><U>y</U>", {"", "", "y", ""}, {0, fsItalic, fsItalic | fsUnderline, fsItalic}},
        {"<Q>z", {"", "z"}, {0, 0}},                    // unknown tags vanish
        {"a < b", {"a ", " b"}, {0, 0}},                // "<" without ">" is dropped
    };
    for (const auto& c : cases) {
        TLogEngine e;
        e.SetMeasurementUnit(muPixels);
        e.BeginDoc();
        e.TaggedTextOut(c.in, 0, 0);
        auto items = TextItems(e);
        ASSERT_EQ(items.size(), c.runs.size()) << c.in;
        for (std::size_t i = 0; i < items.size(); ++i) {
            EXPECT_EQ(items[i]->Lines[0], c.runs[i]) << c.in;
            EXPECT_EQ(items[i]->Font.Style(), c.styles[i]) << c.in << " " << i;
        }
        if (items.size() >= 2 && c.runs[0].empty()) {
            EXPECT_DOUBLE_EQ(items[1]->X, items[0]->X + 1);
        }
        EXPECT_EQ(e.Font()->Style(), 0u) << c.in;  // styles opened by the call are closed
        e.EndDoc();
    }
    // A style that was on before the call stays on.
    TLogEngine e;
    e.BeginDoc();
    e.Font()->SetStyle(fsBold);
    e.TaggedTextOut("<I>x", 0, 0);
    EXPECT_EQ(e.Font()->Style(), unsigned(fsBold));
    EXPECT_EQ(e.MeasurementUnit(), muInches);  // restored after the call
    e.EndDoc();
}

TEST(Links, FoundAndDelimited) {
    struct {
        const char* text;
        int start;
        bool found;
        int pos;
        const char* link;
    } cases[] = {
        {"See www.example.com, then", 1, true, 5, "www.example.com"},
        {"Go to http://a.b/c?d=1 now", 1, true, 7, "http://a.b/c?d=1"},
        {"mail ann.lee@school.org.", 1, true, 6, "ann.lee@school.org."},
        {"mail ann@school", 1, false, 1, ""},               // no dot after "@"
        {"no www here", 1, false, 1, ""},
        {"file C:\\data\\scores.txt end", 1, true, 6, "C:\\data\\scores.txt"},
        {"at end www.x.org", 1, true, 8, "www.x.org"},       // the last character too
        {"www.a.com www.b.com", 2, true, 11, "www.b.com"},
        {"www.a.com", 0, true, 1, "www.a.com"},
    };
    for (const auto& c : cases) {
        int pos = c.start;
        std::string link = "stale";
        EXPECT_EQ(FindLink(c.text, pos, link), c.found) << c.text;
        EXPECT_EQ(link, c.link) << c.text;
        EXPECT_EQ(pos, c.found ? c.pos : c.start) << c.text;
    }
}

TEST(RightToLeft, RunsAreReorderedAndNothingIsLost) {
    TLogEngine e;
    // Hebrew letters alef, bet, gimel.
    const std::string alef = "\xD7\x90", bet = "\xD7\x91", gimel = "\xD7\x92";
    struct {
        std::string in, out;
    } cases[] = {
        {"plain text 12", "plain text 12"},
        {alef + bet + gimel, gimel + bet + alef},
        {alef + bet + " 12", "12 " + bet + alef},
        {"cost $7 today", "cost $7 today"},
    };
    for (const auto& c : cases) {
        std::string out = "<";
        e.ReorderRightToLeft(c.in, out);
        EXPECT_EQ(out, "<" + c.out) << c.in;
    }
    // Every character comes out, whatever the order.
    for (const std::string& mixed : {alef + " 1,234.5 " + bet + " (x) $7 " + gimel + " 10%",
                                     alef + " $7", "x " + alef + " 3:45 " + bet + " 1/2"}) {
    std::string out;
    e.ReorderRightToLeft(mixed, out);
    std::string a = out, b = mixed;
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    for (char& ch : a) if (ch == ')') ch = '(';  // brackets may be mirrored
    for (char& ch : b) if (ch == ')') ch = '(';
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    EXPECT_EQ(a, b) << out;
    }
}

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>

#include "docexport/tests/EngineTestSupport.h"
#include "docexport/deDocEngIntf.h"
#include "docexport/deRTFEng.h"
#include "platform/core/Clock.h"
#include "platform/core/Streams.h"

namespace {

// A fixed creation time (4 March 2026, 05:06 UTC) read in UTC.
class FixedTime {
public:
    FixedTime() : clock_(0, std::chrono::system_clock::from_time_t(1772600760)) {
        const char* tz = std::getenv("TZ");
        if (tz) oldTz_ = tz;
        hadTz_ = tz != nullptr;
        setenv("TZ", "UTC", 1);
        tzset();
        SetCurrentClock(&clock_);
    }
    ~FixedTime() {
        SetCurrentClock(nullptr);
        if (hadTz_)
            setenv("TZ", oldTz_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    ManualClock clock_;
    std::string oldTz_;
    bool hadTz_ = false;
};

// An RTF engine writing to memory, in pixels, on an 800 x 600 page with
// 40-pixel margins.
class TMemRtf : public TdeRTFEngine {
public:
    TMemRtf() : TdeRTFEngine(nullptr) {
        WriteIntoMemory(*this, Out, 40, 10);
    }
    TMemoryStream Out;
    std::string Text() { return std::string(Out.Memory(), static_cast<std::size_t>(Out.Size())); }
    using TdeCustomDocumentEngine::SetTextSortTolerance;
};

int Count(const std::string& s, const std::string& what) {
    int n = 0;
    for (std::size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1)) ++n;
    return n;
}

std::string ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

}  // namespace

TEST(RtfWriter, SmallDocumentMatchesTheGoldenFile) {
    FixedTime time;
    TMemRtf e;
    e.DocInfo()->SetTitle("Scores {2026}");
    e.DocInfo()->SetAuthor("Ann");
    e.PageBorder()->DrawTop = true;
    e.Page()->SetFooterHeight(30);
    e.BeginDoc();
    e.BeginFooter();
    e.TextOut("Page <%Pg#%> of <%PgCnt%>", 0, 0);
    e.EndFooter();
    e.TextOut("a{b}\\c", 10, 10);
    e.TextOut("a{b}\\c", 10, 10);  // the same text at the same place is written once
    e.Font()->SetStyle(fsBold);
    e.Font()->SetColor(clRed);
    e.TextOut("\xC5\x81\xC3\xB3" "d\xC5\xBA \xE2\x82\xAC 5", 10, 40);  // "Łódź € 5"
    e.Font()->SetStyle(0);
    e.Font()->SetColor(clBlack);
    e.TextOut("Body page <%Pg#%>", 10, 70);
    e.NewPage();
    e.TextOut("see www.example.com", 20, 20);
    e.EndDoc();
    const std::string rtf = e.Text();
    const std::string golden = ReadFile(std::string(OMR_TEST_DATA) + "/small.rtf");
    if (std::getenv("OMR_WRITE_GOLDEN")) {
        std::ofstream(std::string(OMR_TEST_DATA) + "/small.rtf", std::ios::binary) << rtf;
    }
    EXPECT_EQ(rtf, golden);
}

TEST(RtfWriter, EscapesAndEncodings) {
    EXPECT_EQ(TdeRTFEngine::RTFEscape("a{b}\\c"), "a\\{b\\}\\\\c");
    // Cyrillic in a Cyrillic font: the Unicode word and the code page 1251 byte.
    EXPECT_EQ(TdeRTFEngine::EncodeText("\xD0\x96", 204), "\\u1046\\'C6");
    EXPECT_EQ(TdeRTFEngine::EncodeText("a}", 204), "a\\}");
    // Characters above 32767 are written as the signed words RTF reads.
    EXPECT_EQ(TdeRTFEngine::EncodeText("\xEA\xB0\x80", 129).substr(0, 8), "\\u-21504");
    // The document's code page: Windows-1252 bytes, \u escapes for the rest.
    EXPECT_EQ(TdeRTFEngine::ToDocumentBytes("\xC3\xA9\xE2\x82\xAC\xC5\x81"), "\xE9\x80\\u321?");
    EXPECT_EQ(TdeRTFEngine::ToDocumentBytes("\xF0\x9F\x98\x80"), "\\u-10179?\\u-8704?");
    TFont f;
    f.SetCharset(1);
    EXPECT_FALSE(TdeRTFEngine::NeedsEncoding(f));
    f.SetCharset(0);
    EXPECT_FALSE(TdeRTFEngine::NeedsEncoding(f));
    f.SetCharset(204);
    EXPECT_TRUE(TdeRTFEngine::NeedsEncoding(f));
}

TEST(RtfWriter, FontAndColourTables) {
    FixedTime time;
    TMemRtf e;
    e.BeginDoc();
    e.TextOut("one", 0, 0);
    e.Font()->SetName("Courier New");
    e.Font()->SetCharset(204);
    e.TextOut("\xD0\x96", 0, 20);
    e.Font()->SetCharset(1);
    e.Font()->SetName("Arial");
    e.TextOut("two", 0, 40);
    e.EndDoc();
    const std::string rtf = e.Text();
    EXPECT_NE(rtf.find("{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset204 Courier New;}}"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("{\\colortbl;\\red0\\green0\\blue0;}"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\f1\\cf1\\fs20 \\u1046\\'C6\\par}"), std::string::npos) << rtf;
    // No title or subject: neither group; author and keywords always.
    EXPECT_EQ(rtf.find("{\\title"), std::string::npos);
    EXPECT_EQ(rtf.find("{\\subject"), std::string::npos);
    EXPECT_NE(rtf.find("{\\author }{\\keywords }"), std::string::npos);
}

TEST(RtfWriter, EaseOfEditingSnapsItemsToLines) {
    TMemRtf e;
    TdeItemList list;
    for (double y : {121.0, 100.0, 116.0, 112.0, 105.0}) {
        auto* t = new TdeTextItem;
        t->Font.SetHeight(-20);
        t->Y = y;
        t->X = y;  // keeps them apart
        t->Lines.Add("t");
        list.push_back(t);
    }
    e.SortTextItems(list);
    std::vector<double> ys;
    for (auto* i : list) ys.push_back(static_cast<TdeTextItem*>(i)->Y);
    EXPECT_EQ(ys, (std::vector<double>{100, 100, 100, 120, 121}));
    for (auto* i : list) delete i;
}

TEST(RtfWriter, EaseOfEditingWritesTabbedLines) {
    FixedTime time;
    TMemRtf e;
    e.SetDocumentEncodingType(etEaseOfEditing);
    e.BeginDoc();
    e.TextOut("right", 300, 10);
    e.TextOut("left", 0, 10);
    e.TextOut("next", 0, 100);
    e.EndDoc();
    const std::string rtf = e.Text();
    // One line with two tab stops in X order, then the next line; none lost.
    const auto first = rtf.find("{\\pard \\sl-0\\tx600\\tx5100{\\tab");
    ASSERT_NE(first, std::string::npos) << rtf;
    EXPECT_LT(rtf.find(" left}", first), rtf.find(" right}", first));
    EXPECT_NE(rtf.find("\\tx600{\\tab\\f0\\cf1\\fs20 next}\\par }"), std::string::npos) << rtf;
}

TEST(RtfWriter, ParagraphsAndTextBoxes) {
    FixedTime time;
    TMemRtf e;
    e.BeginDoc();
    TdeTextFormatting fmt;
    fmt.Alignment = haCenter;
    fmt.SetLeftIndent(20);
    fmt.Border.DrawTop = true;
    e.SetTextFormatting(fmt);
    e.BeginPara();
    e.ParagraphText("x{y}");
    e.EndPara();
    e.Font()->SetCharset(1);
    e.TextBox({0, 200, 300, 200.0 + 5 * e.TextExtent("W", *e.Font()).cy}, "a\r\nb\r\nc", haLeft, vaBottom);
    e.EndDoc();
    const std::string rtf = e.Text();
    EXPECT_NE(rtf.find("{\\pard\\qc\\fi0\\li300\\ri0\\sb0\\sl"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\brdrt\\brdrs\\brdrw15\\brdrcf"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find(" x\\{y\\}\\par}"), std::string::npos) << rtf;
    // Three lines at the bottom of a five-line box: two blank lines first.
    EXPECT_NE(rtf.find("\\fs20 \\par \\par a\r\n\\par b\r\n\\par c\\par}"), std::string::npos) << rtf;
    EXPECT_EQ(Count(rtf, "{"), Count(rtf, "}") - Count(rtf, "\\}") + Count(rtf, "\\{")) << "braces balance";
}

TEST(RtfWriter, BackgroundTileIsRefused) {
    TRecordingPrompts prompts;
    TMemRtf e;
    e.SetBackgroundImageDisplayType(dtTopLeft);
    e.SetBackgroundImageDisplayType(dtTile);
    EXPECT_EQ(e.BackgroundImageDisplayType(), dtTopLeft) << "the old value stays";
    ASSERT_EQ(prompts.Requests.size(), 1u);
    EXPECT_EQ(prompts.Requests[0].Text, "The RTF Engine does not support Tile display type");
    EXPECT_EQ(prompts.Requests[0].Type, mtError);
    // Shared settings asking for tiling reach the engine without an escape.
    TdeDocSettings settings(nullptr);
    settings.SetBackgroundImageDisplayType(dtTile);
    e.SetSettings(&settings);
    EXPECT_EQ(e.BackgroundImageDisplayType(), dtTopLeft);
    e.SetSettings(nullptr);
    EXPECT_TRUE(e.Preferences()->ActiveHyperLinks);
    EXPECT_FALSE(e.Preferences()->GraphicDataInBinary);
    EXPECT_EQ(e.Capabilities(), 0x3F);
    EXPECT_EQ(e.ImageSettings()->OutputImageFormat(), ifJPEG);
}

TEST(PlainSheet, TableOfContentsEntries) {
    FixedTime time;
    TMemRtf e;
    EXPECT_EQ(e.AddTOCEntry("before", -1, 1, 0, 0), -1);
    e.BeginDoc();
    EXPECT_EQ(e.AddTOCEntry("zero", -1, 0, 0, 0), -1);
    EXPECT_EQ(e.AddTOCEntry("beyond", -1, 2, 0, 0), -1);
    EXPECT_EQ(e.AddTOCEntry("first", -1, 1, 7, 8), 0);
    EXPECT_EQ(e.AddTOCEntry("child", 0, 1, 0, 0), 1);
    EXPECT_EQ(e.AddTOCEntry("orphan", 5, 1, 0, 0), -1);
    EXPECT_EQ(e.AddTOCLink("link", 2, "x"), -1);  // parent = the number of entries
    EXPECT_EQ(e.AddTOCLink("link", 1, "x"), 2);
    ASSERT_NE(e.TOCEntries(), nullptr);
    EXPECT_EQ(e.TOCEntries()->at(0).Value2, 8);
    e.EndDoc();
    EXPECT_EQ(e.TOCEntries(), nullptr);
}

TEST(EngineInterface, EntriesReachTheEngineAndItsOverrides) {
    FixedTime time;
    TMemRtf e;
    IdeDocumentEngine* i = e.DocumentInterface();
    ASSERT_NE(i, nullptr);
    EXPECT_EQ(i, e.DocumentInterface());  // one interface per engine

    TPen pen;
    pen.SetWidth(7);
    pen.SetColor(clGreen);
    i->SetPen(&pen);
    EXPECT_EQ(i->Pen(), e.Pen());  // the engine's own pen, with the new values
    EXPECT_EQ(e.Pen()->Width(), 7);
    EXPECT_EQ(e.Pen()->Color(), clGreen);

    TdeBorder border;
    i->SetPageBorder(&border);
    EXPECT_EQ(e.PageBorder(), &border);  // the caller's object itself

    i->SetBackgroundImageDisplayType(dtCenter);
    EXPECT_EQ(e.BackgroundImageDisplayType(), dtCenter);

    i->SetFileName("report.txt");
    EXPECT_EQ(i->FileName(), "report");

    i->BeginDoc();
    i->TextOut("through the interface", 0, 0);
    i->EndDoc();
    EXPECT_EQ(e.Text().rfind("{\\rtf1", 0), 0u);  // the RTF engine's own document
    EXPECT_NE(e.Text().find("through the interface"), std::string::npos);
}

TEST(RtfWriter, LinksBecomeHyperlinkFields) {
    TMemRtf e;
    struct Case {
        std::string Text, Target;
    } cases[] = {
        {"mail ann@example.com now", "mailto:ann@example.com"},
        {"see http://example.com/a", "http://example.com/a"},
        {"see www.example.com", "http://www.example.com"},
    };
    for (const auto& c : cases) {
        const std::string r = e.ConvertLinks(c.Text);
        EXPECT_NE(r.find("{\\field{\\*\\fldinst {HYPERLINK \"" + c.Target + "\"}}"), std::string::npos) << r;
    }
    // A link written twice gets two fields, never a field inside a field.
    const std::string twice = e.ConvertLinks("www.a.com or www.a.com");
    EXPECT_EQ(Count(twice, "{\\field"), 2) << twice;
    EXPECT_EQ(e.ConvertLinks("no links here"), "no links here");
}

TEST(RtfWriter, SameTextAtTheSamePlaceOnTheNextPageIsKept) {
    FixedTime time;
    TMemRtf e;
    e.BeginDoc();
    e.TextOut("Heading", 10, 10);
    e.TextOut("Heading", 10, 10);
    e.NewPage();
    e.TextOut("Heading", 10, 10);
    e.EndDoc();
    EXPECT_EQ(Count(e.Text(), " Heading\\par}"), 2);
}

TEST(RtfWriter, ClippedTextIsCutToItsBox) {
    FixedTime time;
    TMemRtf e;
    e.BeginDoc();
    e.TextRect({0, 0, 30, 20}, "abcdefghijklmnop", 0, 0);
    e.EndDoc();
    const std::string rtf = e.Text();
    const auto at = rtf.find("\\absh-300\\absw600 ");
    ASSERT_NE(at, std::string::npos) << rtf;
    const std::string shown = rtf.substr(at + 18, rtf.find("\\par}", at) - at - 18);
    EXPECT_LT(shown.size(), 16u);
    EXPECT_GE(e.TextExtent(shown, *e.Font()).cx, 30);  // the last character may pass the width
    EXPECT_LT(e.TextExtent(shown.substr(0, shown.size() - 1), *e.Font()).cx, 30);
}

TEST(RtfWriter, EaseOfEditingKeepsALineInTheFirstGridStep) {
    FixedTime time;
    TMemRtf e;
    e.Page()->SetTopMargin(0);
    e.SetDocumentEncodingType(etEaseOfEditing);
    e.BeginDoc();
    e.TextOut("top", 0, 2);
    e.TextOut("below", 0, 100);
    e.EndDoc();
    const std::string rtf = e.Text();
    EXPECT_NE(rtf.find(" top}"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find(" below}"), std::string::npos) << rtf;
}

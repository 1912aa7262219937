// The memo printer: loading with code items, editing that keeps the codes in
// place, word wrapping at the print width, the height budget, and what it
// prints, read back from the snapshot stream.
#include "report/tests/ReportTestSupport.h"

#include "report/Memo.h"
#include "report/VSFWriter.h"
#include "report/tests/RecordingRender.h"

namespace {

const std::string B1 = "\x01" "B1\x04";
const std::string B0 = "\x01" "B0\x04";

class MemoTest : public ReportPrinterFixture {
protected:
    // Runs body inside a one-page report on the snapshot writer and answers
    // what the converter played back.
    std::vector<std::string> Run(const std::function<void(TVzVSFWriter&)>& body) {
        TMemoryStream snapshot;
        TVzVSFWriter w(nullptr);
        w.StreamMode = smUser;
        w.Stream = &snapshot;
        w.OnPrint = [&](TObject*) { body(w); };
        w.Execute();
        TRecordingRender render;
        render.Render(&snapshot);
        std::vector<std::string> texts;
        for (const std::string& entry : render.Log)
            if (entry.rfind("Print", 0) == 0) texts.push_back(entry);
        return texts;
    }
    // Sets the print area to start at one inch and to be exactly as wide
    // as `fit` in the report's font, plus `extra` device pixels.
    static void FitTo(TVzVSFWriter& w, TMemoBuf& memo, const std::string& fit, int extra = 0) {
        w.SelectRpFont();
        int px = w.TabbedWidth(fit, 0) + extra;
        memo.BaseReport = &w;
        memo.PrintStart = 1;
        memo.PrintEnd = 1 + double(px - 1) / w.XDPI();
    }
};

TEST_F(MemoTest, LoadingTakesCodesOutOfTheText) {
    TMemoBuf memo;
    memo.SetText("ab" + B1 + "cd" + B0);
    EXPECT_EQ(memo.Text(), "abcd");
    EXPECT_EQ(memo.Capacity(), 4);
    ASSERT_EQ(memo.Items().size(), 2u);
    EXPECT_EQ(memo.Items()[0]->Position, 2);
    EXPECT_EQ(memo.Items()[0]->Codes, B1);
    EXPECT_EQ(memo.Items()[1]->Position, 4);
    EXPECT_TRUE(memo.FormatStateAt(2).Bold);
    EXPECT_FALSE(memo.FormatStateAt(1).Bold);

    // Two runs at one position read as one block.
    memo.AddCode("\x01I1\x04", 2);
    EXPECT_EQ(memo.Items()[0]->Codes, "\x01" "B1\x02I1\x04");
    memo.AddCode("\x01U1\x04", 2, true);
    EXPECT_EQ(memo.Items()[0]->Codes, "\x01U1\x04");

    memo.ProcessCodes = false;
    memo.SetText("ab" + B1 + "cd");
    EXPECT_EQ(memo.Text(), "ab" + B1 + "cd");
    EXPECT_TRUE(memo.Items().empty());

    memo.SetText("");
    EXPECT_TRUE(memo.AtEnd());
    EXPECT_EQ(memo.Capacity(), 0);
}

TEST_F(MemoTest, EditingKeepsCodesInPlace) {
    TMemoBuf memo;
    memo.SetText("AbA");
    memo.ReplaceAll("a", "aa", false);
    EXPECT_EQ(memo.Text(), "aabaa");
    EXPECT_EQ(memo.Position(), 0);
    EXPECT_EQ(memo.Capacity(), 256);

    // A replacement keeps the format in force at the start of the match; the
    // text after it keeps the format after the match.
    memo.SetText("ab" + B1 + "cd");
    memo.ReplaceAll("b", "xyz", true);
    EXPECT_EQ(memo.Text(), "axyzcd");
    EXPECT_FALSE(memo.FormatStateAt(1).Bold);
    EXPECT_FALSE(memo.FormatStateAt(3).Bold);
    EXPECT_TRUE(memo.FormatStateAt(4).Bold);

    // Deleting over a code carries its format over to what follows.
    memo.SetText("ab" + B1 + "cd");
    memo.DeleteText(1, 2);
    EXPECT_EQ(memo.Text(), "ad");
    EXPECT_TRUE(memo.FormatStateAt(1).Bold);
    // A range past the end is cut at the end; nothing moves beyond it.
    memo.DeleteText(1, 50);
    EXPECT_EQ(memo.Text(), "a");
    for (const auto& item : memo.Items()) EXPECT_LE(item->Position, 1);

    memo.SetText("abc");
    memo.InsertText(99, "d");
    EXPECT_EQ(memo.Text(), "abcd");
    EXPECT_FALSE(memo.FindText("", true));
    memo.ReplaceAll("", "x", true);  // an empty search replaces nothing
    EXPECT_EQ(memo.Text(), "abcd");
    EXPECT_TRUE(memo.FindText("C", false));
    EXPECT_EQ(memo.Position(), 2);
    EXPECT_FALSE(memo.FindText("C", true));
    EXPECT_EQ(memo.Position(), 2);
}

TEST_F(MemoTest, WordWrapping) {
    struct Case {
        const char* name;
        std::string text;
        std::string fit;  // the print width is this text's width
        int extra;        // plus this many pixels
        bool keepBlanks;
        std::vector<std::string> lines;
    } cases[] = {
        {"exact width accepted", "aaa bbb ccc", "aaa bbb", 0, false, {"aaa bbb", "ccc"}},
        {"one pixel short", "aaa bbb ccc", "aaa bbb", -1, false, {"aaa", "bbb ccc"}},
        {"paragraph keeps leading blanks", "  ab cd", "  ab cd", 0, false, {"  ab cd"}},
        {"wrapped line drops them", "aaa  bbb", "  bbb", 0, false, {"aaa", "bbb"}},
        {"kept when asked", "aaa  bbb", "  bbb", 0, true, {"aaa", "  bbb"}},
        {"line ends", "ab\r\ncd\ref\ngh", "abcdefgh", 0, false, {"ab", "cd", "ef", "gh"}},
        {"empty paragraph", "ab\n\ncd", "abcd", 0, false, {"ab", "", "cd"}},
        {"long word split", "abcdefgh", "abc", 0, false, {"abc", "def", "gh"}},
        {"exact fit then line end", "aaa bbb\r\nccc", "aaa bbb", 0, false, {"aaa bbb", "ccc"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> lines;
        int counted = -1;
        Run([&](TVzVSFWriter& w) {
            TMemoBuf memo;
            FitTo(w, memo, c.fit, c.extra);
            memo.KeepSpaces = c.keepBlanks;
            memo.SetText(c.text);
            counted = memo.CountLines();
            EXPECT_EQ(memo.Position(), 0);
            for (int guard = 0; !memo.AtEnd() && guard < 20; ++guard) lines.push_back(memo.GetLine());
        });
        EXPECT_EQ(lines, c.lines) << c.name;
        EXPECT_EQ(counted, int(c.lines.size())) << c.name;
    }
}

TEST_F(MemoTest, CharacterWiderThanTheLineStillMakesProgress) {
    Run([&](TVzVSFWriter& w) {
        TMemoBuf memo;
        memo.BaseReport = &w;
        memo.PrintStart = 1;
        memo.PrintEnd = 1.0001;  // one device pixel
        memo.SetText("WWW");
        EXPECT_EQ(memo.CountLines(), 3);
    });
}

TEST_F(MemoTest, PrintedLinesReachTheSnapshot) {
    double height = 0, lineHeight = 0;
    auto texts = Run([&](TVzVSFWriter& w) {
        TMemoBuf memo;
        FitTo(w, memo, "aaa bbb");
        memo.SetText("aaa bbb ccc");
        w.GotoXY(0, 1);
        lineHeight = w.GetLineHeight();
        height = memo.PrintLines(0, false);
        EXPECT_TRUE(memo.AtEnd());
    });
    EXPECT_DOUBLE_EQ(height, 2 * lineHeight);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].substr(0, 24), "PrintLeft 'aaa bbb' 1.00");
    EXPECT_EQ(texts[1].substr(0, 20), "PrintLeft 'ccc' 1.00");

    // Three lines of a one-line text: the line and two empty ones.
    double after = 0, start = 0;
    texts = Run([&](TVzVSFWriter& w) {
        TMemoBuf memo;
        FitTo(w, memo, "one line");
        memo.SetText("one");
        w.GotoXY(0, 1);
        start = w.YPos();
        height = memo.PrintLines(3, false);
        after = w.YPos();
        lineHeight = w.GetLineHeight();
    });
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NEAR(height, 3 * lineHeight, 1e-9);
    EXPECT_NEAR(after - start, 3 * lineHeight, 1e-6);
}

TEST_F(MemoTest, BlockJustifiedParagraphsEndLeftJustified) {
    auto texts = Run([&](TVzVSFWriter& w) {
        TMemoBuf memo;
        FitTo(w, memo, "aaa bbb");
        memo.Justify = pjBlock;
        memo.SetText("aaa b ccc\ndd ee ggg");
        memo.PrintLines(0, false);
    });
    // Lines: "aaa b" (block), "ccc" (paragraph end), "dd ee" (block), "ggg" (end of text).
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0].rfind("PrintBlock 'aaa b'", 0), 0u) << texts[0];
    EXPECT_EQ(texts[1].rfind("PrintLeft 'ccc'", 0), 0u) << texts[1];
    EXPECT_EQ(texts[2].rfind("PrintBlock 'dd ee'", 0), 0u) << texts[2];
    EXPECT_EQ(texts[3].rfind("PrintLeft 'ggg'", 0), 0u) << texts[3];
}

TEST_F(MemoTest, HeightBudget) {
    // Plain text: whole lines within the height.
    Run([&](TVzVSFWriter& w) {
        TMemoBuf memo;
        FitTo(w, memo, "wide enough line");
        memo.SetText("one\ntwo\nthree");
        double lh = w.GetLineHeight();
        EXPECT_EQ(memo.PrintHeight(lh * 0.9, false), 0);
        EXPECT_FALSE(memo.AtEnd());
        EXPECT_DOUBLE_EQ(memo.HeightWithin(lh * 2.5), lh * 2);
        EXPECT_DOUBLE_EQ(memo.MemoHeight(), lh * 3);
        EXPECT_DOUBLE_EQ(memo.PrintHeight(lh * 2.5, false), lh * 2);
        EXPECT_EQ(memo.GetLine(), "three");
    });

    // Coded text under font line heights: each line needs 1.2 times its
    // tallest run; the line that does not fit stays unread.
    std::vector<std::string> texts = Run([&](TVzVSFWriter& w) {
        TMemoBuf memo;
        FitTo(w, memo, "wide enough line");
        memo.SetText("\x01Z24\x04" "big\n\x01Z10\x04" "small\nlast");
        double big = 24.0 / 72, small = 10.0 / 72;
        EXPECT_NEAR(memo.MemoHeight(), 1.2 * (big + 2 * small), 1e-6);
        EXPECT_EQ(memo.PrintHeight(1.2 * big - 0.01, false), 0);
        EXPECT_EQ(memo.Position(), 0);
        double printed = memo.PrintHeight(1.2 * (big + small) + 0.0005, false);
        EXPECT_NEAR(printed, big + small, 1e-6);
        EXPECT_NEAR(w.GetFontSize(), 10, 1e-6);
        EXPECT_EQ(memo.GetLine().back(), 't');  // "last" is still to come
        EXPECT_EQ(memo.MaxHeight, 0);
    });
    int big = 0, small = 0, last = 0;
    for (const std::string& t : texts) {
        big += t.rfind("PrintLeft 'big'", 0) == 0;
        small += t.rfind("PrintLeft 'small'", 0) == 0;
        last += t.find("'last'") != std::string::npos;
    }
    EXPECT_EQ(big, 1);
    EXPECT_EQ(small, 1);
    EXPECT_EQ(last, 0);
}

TEST_F(MemoTest, TallestRunSetsTheFontHeightBeforeTheLinePrints) {
    Run([&](TVzVSFWriter& w) {
        TMemoBuf memo;
        FitTo(w, memo, "a very wide line of text");
        memo.SetText("x\x01Z24\x04" "BIG\x01Z10\x04 y");
        memo.NoFinalBreak = true;
        double h = memo.PrintLines(1, false);
        EXPECT_NEAR(h, 24.0 / 72, 1e-6);
        EXPECT_NEAR(w.GetFontSize(), 24, 1e-6);
    });
}

TEST_F(MemoTest, ErrorsBeforeAnyLine) {
    TMemoBuf memo;
    memo.SetText("text");
    EXPECT_EQ(memo.PrintLines(-1, false), 0);
    try {
        memo.PrintLines(1, false);
        FAIL();
    } catch (const EReportPrinter& e) {
        EXPECT_EQ(e.Message, "TMemoBuf.BaseReport not assigned.");
    }
    EXPECT_THROW(memo.CountLines(), EReportPrinter);
    EXPECT_THROW(memo.MemoHeight(), EReportPrinter);
    Run([&](TVzVSFWriter& w) {
        memo.BaseReport = &w;
        memo.PrintStart = 2;
        memo.PrintEnd = 2;
        try {
            memo.PrintLines(0, false);
            ADD_FAILURE();
        } catch (const EReportPrinter& e) {
            EXPECT_EQ(e.Message, "TMemoBuf.PrintEnd must be greater than TMemoBuf.PrintStart");
        }
        EXPECT_EQ(memo.Position(), 0);
    });
}

}  // namespace

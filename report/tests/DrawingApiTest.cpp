// The drawing API through the snapshot writer, without a printer (600 dpi
// render device) unless a test installs one.
#include <cmath>
#include <limits>

#include "report/tests/ReportTestSupport.h"

#include "platform/gui/StdCtrls.h"
#include "report/VSFWriter.h"

namespace {

class DrawingApiTest : public ReportPrinterFixture {
protected:
    // Runs body as the report's OnPrint.
    void Run(TVzVSFWriter& w, std::function<void(TVzVSFWriter&)> body) {
        w.OnPrint = [&](TObject*) { body(w); };
        w.Execute();
    }
};

}  // namespace

TEST_F(DrawingApiTest, UnitsFollowTheFactor) {
    TVzVSFWriter w(nullptr);
    w.SetUnitsFactor(25.4);
    EXPECT_EQ(w.Units(), unMM);
    w.SetUnitsFactor(0);
    EXPECT_EQ(w.Units(), unMM);
    EXPECT_DOUBLE_EQ(w.UnitsFactor(), 25.4);
    w.SetUnitsFactor(3);
    EXPECT_EQ(w.Units(), unUser);
    w.SetUnits(unUser);
    EXPECT_DOUBLE_EQ(w.UnitsFactor(), 3);
    w.SetUnits(unPoint);
    EXPECT_DOUBLE_EQ(w.UnitsFactor(), 72);
}

TEST_F(DrawingApiTest, PageWithoutPrinterAndOrientationSwap) {
    TVzVSFWriter w(nullptr);
    w.SetUnits(unMM);
    EXPECT_DOUBLE_EQ(w.GetPageWidth(), 8.5);  // kept as given, whatever the units
    w.SetUnits(unInch);
    w.SetOrientation(poLandScape);
    EXPECT_DOUBLE_EQ(w.GetPageWidth(), 11);
    EXPECT_DOUBLE_EQ(w.GetPageHeight(), 8.5);
    w.SetOrientation(poLandScape);
    EXPECT_DOUBLE_EQ(w.GetPageWidth(), 11);
    w.SetOrientation(poPortrait);
    EXPECT_DOUBLE_EQ(w.GetPageWidth(), 8.5);
    EXPECT_EQ(w.GetPrinterIndex(), -1);
}

TEST_F(DrawingApiTest, MarginsSetSectionsAndPullTheCursor) {
    TVzVSFWriter w(nullptr);
    w.SetMarginLeft(1);
    w.SetMarginRight(0.5);
    w.SetMarginTop(1);
    w.SetMarginBottom(1);
    EXPECT_DOUBLE_EQ(w.SectionLeft(), 1);
    EXPECT_DOUBLE_EQ(w.SectionRight(), 8);
    EXPECT_DOUBLE_EQ(w.SectionBottom(), 10);
    EXPECT_DOUBLE_EQ(w.XPos(), 1);
    w.SetXPos(3);
    w.SetMarginLeft(2);
    EXPECT_DOUBLE_EQ(w.XPos(), 3);  // already right of the new section left
    w.SetMarginLeft(4);
    EXPECT_DOUBLE_EQ(w.XPos(), 4);
}

TEST_F(DrawingApiTest, MarginsCountFromThePhysicalEdgeOfAPrinterPage) {
    UsePrinters({"Lab"}, "Lab");  // 100 dpi letter, wastes 0.25/0.2/0.25/0.3 inch
    TVzVSFWriter w(nullptr);
    EXPECT_DOUBLE_EQ(w.GetPageWidth(), 8.5);
    EXPECT_DOUBLE_EQ(w.GetPageHeight(), 11);
    EXPECT_DOUBLE_EQ(w.GetLeftWaste(), 0.25);
    EXPECT_DOUBLE_EQ(w.GetBottomWaste(), 0.3);
    w.SetMarginRight(1);
    EXPECT_DOUBLE_EQ(w.SectionRight(), 7.5);
    // Device pixels start at the printable corner.
    EXPECT_EQ(w.XU2D(1.0), 75);
    EXPECT_EQ(w.YU2D(1.0), 80);
    EXPECT_DOUBLE_EQ(w.XD2U(75), 1.0);
}

TEST_F(DrawingApiTest, LinesSitOnTheSectionAndCount) {
    TVzVSFWriter w(nullptr);
    w.SetMarginTop(1);
    w.SetMarginBottom(1);
    w.SetLineHeightMethod(lhmLinesPerInch);
    Run(w, [](TVzVSFWriter& r) {
        r.Home();
        double lh = r.GetLineHeight();
        EXPECT_DOUBLE_EQ(lh, 1.0 / 6);
        EXPECT_NEAR(r.YPos(), 1 + lh - r.GetDescentHeight(), 1e-12);
        EXPECT_EQ(r.LinesLeft(), 54);  // 9 inches at 6 lines per inch
        r.SetLineNum(54);
        EXPECT_EQ(r.LinesLeft(), 1);
        r.SetLineNum(55);
        EXPECT_EQ(r.LinesLeft(), 0);
        r.SetLineNum(1);
        r.NewLine();
        EXPECT_EQ(r.LineNum(), 2);
        EXPECT_NEAR(r.LineTop(), 1 + lh, 1e-12);
        r.SetLineTop(5);
        EXPECT_NEAR(r.LineTop(), 5, 1e-12);
        EXPECT_NEAR(r.LineMiddle(), 5 + lh / 2, 1e-12);
        r.GotoFooter();
        EXPECT_NEAR(r.FontBottom(), 10, 1e-12);
    });
}

// A tiny line height leaves more lines than an int holds: the count stops
// at the largest int instead of overflowing.
TEST_F(DrawingApiTest, LinesLeftStopAtTheLargestCount) {
    TVzVSFWriter w(nullptr);
    w.SetMarginTop(1);
    w.SetMarginBottom(8.5);
    Run(w, [&](TVzVSFWriter& r) {
        r.SetColumns(3, 0.5);
        r.SetColumnNum(1);
        r.SetLineHeight(1e-9);
        EXPECT_GT(r.LinesLeft(), 1000000000);
        EXPECT_EQ(r.ColumnLinesLeft(), std::numeric_limits<int>::max());
    });
}

TEST_F(DrawingApiTest, ColumnsDivideTheSection) {
    TVzVSFWriter w(nullptr);
    w.SetMarginLeft(0.5);
    w.SetMarginRight(0.5);
    int newColumns = 0, endOfSection = 0;
    w.OnNewColumn = [&](TObject*) { ++newColumns; };
    w.OnEndOfSection = [&](TObject*) { ++endOfSection; };
    w.SetMarginTop(1);
    w.SetMarginBottom(8.5);  // 1.5 inches of lines
    w.SetLineHeightMethod(lhmLinesPerInch);
    Run(w, [&](TVzVSFWriter& r) {
        r.SetColumns(2, 0.5);
        EXPECT_EQ(newColumns, 1);
        EXPECT_DOUBLE_EQ(r.GetColumnWidth(), 3.5);
        r.SetColumnNum(2);
        EXPECT_DOUBLE_EQ(r.GetColumnStart(), 4.5);
        EXPECT_DOUBLE_EQ(r.XPos(), 4.5);
        r.SetColumnNum(1);
        r.SetLineNum(9);  // the last line that fits
        EXPECT_EQ(r.ColumnLinesLeft(), 1 + 9);
        r.SoftLine();
        EXPECT_EQ(r.ColumnNum(), 2);
        EXPECT_EQ(r.LineNum(), 1);
        EXPECT_EQ(newColumns, 2);
        r.SetLineNum(9);
        r.SoftLine();  // the last column only moves down
        EXPECT_EQ(r.ColumnNum(), 2);
        EXPECT_EQ(r.LineNum(), 10);
        EXPECT_GE(endOfSection, 1);
        r.SetColumnWidth(9, 0);  // wider than the section
        EXPECT_EQ(r.Columns(), 0);
        int page = r.CurrentPage();
        r.NewColumn();
        EXPECT_EQ(r.CurrentPage(), page + 1);
        r.ClearColumns();
        EXPECT_EQ(r.Columns(), 1);
    });
}

TEST_F(DrawingApiTest, SavedPositions) {
    TVzVSFWriter w(nullptr);
    EXPECT_FALSE(w.PopPos());
    w.GotoXY(1, 2);
    w.PushPos();
    w.GotoXY(3, 4);
    EXPECT_TRUE(w.PopPos());
    EXPECT_DOUBLE_EQ(w.XPos(), 1);
    EXPECT_FALSE(w.PopPos());
    EXPECT_FALSE(w.SavePos(11));
    EXPECT_FALSE(w.RestorePos(3));
    EXPECT_TRUE(w.SavePos(3));
    w.GotoXY(5, 5);
    EXPECT_TRUE(w.RestorePos(3));
    EXPECT_DOUBLE_EQ(w.YPos(), 2);
}

TEST_F(DrawingApiTest, PageSelection) {
    TVzVSFWriter w(nullptr);
    struct Case {
        std::string selection;
        std::vector<int> pages;
    };
    std::vector<Case> cases = {
        {"1,3,5-7", {1, 3, 5, 6, 7}}, {"-3", {1, 2, 3}}, {"10-", {10, 11, 12}}, {"odd", {1, 3, 5, 7, 9, 11}},
        {"E", {2, 4, 6, 8, 10, 12}}, {"2-4,9", {2, 3, 4, 9}}, {"all", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
        {"R", {}}};
    for (const auto& c : cases) {
        w.Selection = c.selection;
        std::vector<int> got;
        for (int p = 1; p <= 12; ++p)
            if (w.PageInSelection(p)) got.push_back(p);
        EXPECT_EQ(got, c.pages) << c.selection;
    }
    w.Selection = "x";
    EXPECT_THROW(w.PageInSelection(1), EConvertError);
    w.Selection.clear();
    w.FirstPage = 2;
    w.LastPage = 3;
    EXPECT_FALSE(w.PageInSelection(1));
    EXPECT_TRUE(w.PageInSelection(3));
}

TEST_F(DrawingApiTest, StatusTextCodes) {
    TVzVSFWriter w(nullptr);
    TLabel* label = new TLabel(nullptr);
    w.SetStatusLabel(label);
    w.StatusFormat = "Page %p of %l%";
    w.StatusText.Add("zero");
    int pages = 0;
    w.OnPrintPage = [&](TObject*, int& page) {
        ++pages;
        return page < 3;
    };
    w.Execute();
    EXPECT_EQ(pages, 3);
    EXPECT_EQ(label->Caption(), "Page 3 of 9999%");
    w.StatusFormat = "%q %0 %1%%";
    EXPECT_EQ(w.StatusString(), "<ERROR-%Q> zero %");
    delete label;  // the report forgets a freed label
    EXPECT_EQ(w.StatusLabel(), nullptr);
}

TEST_F(DrawingApiTest, PrintingChecks) {
    TVzVSFWriter w(nullptr);
    EXPECT_THROW(w.Print("x"), EReportPrinter);
    try {
        w.Rectangle(0, 0, 1, 1);
    } catch (const EReportPrinter& e) {
        EXPECT_EQ(e.Message, "Invalid method call.  ReportPrinter is not printing.");
    }
    Run(w, [](TVzVSFWriter& r) {
        EXPECT_THROW(r.SetCopies(2), EReportPrinter);
        EXPECT_THROW(r.SetPrinterIndex(0), EReportPrinter);
    });
    EXPECT_FALSE(w.Printing());
}

TEST_F(DrawingApiTest, AbortEndsTheRunAtTheNextDrawingCall) {
    TVzVSFWriter w(nullptr);
    int after = 0;
    bool afterPrint = false;
    w.OnAfterPrint = [&](TObject*) { afterPrint = true; };
    Run(w, [&](TVzVSFWriter& r) {
        r.Abort();
        r.Print("never");
        ++after;
    });
    EXPECT_EQ(after, 0);
    EXPECT_TRUE(afterPrint);
    EXPECT_FALSE(w.Printing());
}

TEST_F(DrawingApiTest, TextCursorAndAlignment) {
    TVzVSFWriter w(nullptr);
    Run(w, [](TVzVSFWriter& r) {
        r.SetFont("Arial", 12);
        double width = r.TextWidth("Hello");
        EXPECT_GT(width, 0.3);
        EXPECT_LT(width, 0.5);
        r.PrintLeft("Hello", 1);
        EXPECT_NEAR(r.XPos(), 1 + width, 1e-9);
        r.PrintCenter("Hello", 4);
        EXPECT_NEAR(r.XPos(), 4 + width / 2, 1e-9);
        r.PrintRight("Hello", 6);
        EXPECT_NEAR(r.XPos(), 6, 1e-9);
        // Bold text is wider; a font pushed and popped comes back.
        r.PushFont();
        r.SetBold(true);
        EXPECT_GT(r.TextWidth("Hello"), width);
        EXPECT_TRUE(r.PopFont());
        EXPECT_FALSE(r.GetBold());
        EXPECT_FALSE(r.PopFont());
        EXPECT_NEAR(r.TextWidth("Hello"), width, 1e-9);
        r.SetFont("Arial", 0);  // ignored
        EXPECT_DOUBLE_EQ(r.GetFontSize(), 12);
        r.SetUnits(unMM);
        r.SetFontWidth(2);
        EXPECT_NEAR(r.GetFontWidth(), 2, 1e-12);
        r.SetUnits(unInch);
    });
}

TEST_F(DrawingApiTest, TabCharactersMoveToFixedStops) {
    TVzVSFWriter w(nullptr);
    Run(w, [](TVzVSFWriter& r) {
        r.SetFont("Courier New", 12);  // 0.1 inch per character
        double c = r.TextWidth("x");
        EXPECT_NEAR(c, 0.1, 0.002);
        // "xxx" ends 0.3 inch from the start: the rest starts at 0.5.
        r.PrintLeft("xxx\tA", 1);
        EXPECT_NEAR(r.XPos(), 1.5 + c, 1e-9);
        // A piece ending exactly on a stop moves on to the next one.
        r.FixedTabWidth = 3 * c;
        r.PrintLeft("xxx\tA", 1);
        EXPECT_NEAR(r.XPos(), 1 + 6 * c + c, 1e-6);
    });
}

TEST_F(DrawingApiTest, TabStopsTakeThePiecesOfAText) {
    TVzVSFWriter w(nullptr);
    Run(w, [](TVzVSFWriter& r) {
        r.SetTab(1.0, pjLeft, 2.0, 0, 0, 0);
        r.SetTab(-1, pjRight, 1.5, 10, 0, 0);
        EXPECT_DOUBLE_EQ(r.TabStart(2), 3.1);  // right after tab 1, with its margin
        EXPECT_DOUBLE_EQ(r.TabEnd(2), 4.4);
        EXPECT_DOUBLE_EQ(r.TabWidth(2), 1.3);
        EXPECT_DOUBLE_EQ(r.TabWidth(3), 0);
        r.NewLine();
        r.Print("\tA\tB");
        double b = r.TextWidth("B");
        EXPECT_NEAR(r.XPos(), 4.4, 1e-9);  // B ended at tab 2's right edge
        (void)b;
        r.NewLine();
        double a = r.TextWidth("A");
        r.SetXPos(0.25);
        r.Print("A\tB");
        EXPECT_NEAR(r.XPos(), 1.0 + b, 1e-9);  // A at the cursor, B into tab 1
        EXPECT_GT(a, 0);
        EXPECT_TRUE(r.PushTabs());
        r.ClearTabs();
        EXPECT_EQ(r.TabList(), nullptr);
        EXPECT_TRUE(r.PopTabs());
        EXPECT_EQ(r.TabList()->size(), 2u);
        EXPECT_FALSE(r.PopTabs());
    });
}

TEST_F(DrawingApiTest, TruncateTextDropsWholeCodesAndCharacters) {
    TVzVSFWriter w(nullptr);
    Run(w, [](TVzVSFWriter& r) {
        std::string coded = std::string("Hello\x01" "B1\x04");
        double width = r.TextWidth("Hell");
        EXPECT_EQ(r.TruncateText(coded, width + 0.001), "Hell");
        EXPECT_EQ(r.TruncateText("H\xC3\xA9llo", r.TextWidth("H\xC3\xA9") + 0.001), "H\xC3\xA9");
        std::string marker = r.PIVar("Total");
        EXPECT_EQ(r.TruncateText(marker + "long text", 0.01), marker + "long text");
    });
}

TEST_F(DrawingApiTest, PenWidthsInInches) {
    TVzVSFWriter w(nullptr);
    Run(w, [](TVzVSFWriter& r) {
        EXPECT_EQ(r.XDPI(), 600);
        EXPECT_EQ(r.PenWidthPixels(-1), 6);
        EXPECT_EQ(r.PenWidthPixels(-10005), 1);  // 0.3 pixel is at least 1
        EXPECT_EQ(r.PenWidthPixels(-10100), 6);
        EXPECT_EQ(r.PenWidthPixels(3), 3);
    });
}

TEST_F(DrawingApiTest, LinesMergeBeforeTheyAreWritten) {
    TVzVSFWriter w(nullptr);
    Run(w, [](TVzVSFWriter& r) {
        r.MoveTo(0, 1);
        r.LineTo(2, 1);
        r.MoveTo(1, 1);
        r.LineTo(3, 1);
        ASSERT_EQ(r.HorizontalLines().size(), 1u);
        EXPECT_DOUBLE_EQ(r.HorizontalLines()[0].P1, 0);
        EXPECT_DOUBLE_EQ(r.HorizontalLines()[0].P2, 3);
        r.MoveTo(0.5, 1);
        r.LineTo(2.5, 1);  // inside: nothing added
        EXPECT_EQ(r.HorizontalLines().size(), 1u);
        r.SetPen(clBlack, psSolid, 3, pmCopy);
        r.MoveTo(0, 1);
        r.LineTo(1, 1);  // another pen: kept apart
        EXPECT_EQ(r.HorizontalLines().size(), 2u);
        r.SetPen(clBlack, psSolid, 1, pmCopy);
        r.MoveTo(-1, 1);
        r.LineTo(4, 1);  // covers the first one: replaces it
        EXPECT_EQ(r.HorizontalLines().size(), 2u);
        EXPECT_DOUBLE_EQ(r.HorizontalLines()[1].P1, -1);
        // A rectangle of four lines: two of each direction.
        r.MoveTo(5, 5);
        r.LineTo(6, 5);
        r.LineTo(6, 6);
        r.LineTo(5, 6);
        r.LineTo(5, 5);
        EXPECT_EQ(r.HorizontalLines().size(), 4u);
        EXPECT_EQ(r.VerticalLines().size(), 2u);
        r.NewPage();
        EXPECT_TRUE(r.HorizontalLines().empty());
    });
}

TEST_F(DrawingApiTest, CodedTextIsMeasuredRunByRun) {
    TVzVSFWriter w(nullptr);
    Run(w, [](TVzVSFWriter& r) {
        r.SetFont("Arial", 12);
        double plain = r.TextWidth("AB");
        r.SetBold(true);
        double boldA = r.TextWidth("A");
        r.SetBold(false);
        double b = r.TextWidth("B");
        std::string coded = std::string("\x01" "B1\x04" "A\x01" "B0\x04" "B");
        EXPECT_NEAR(r.TextWidth(coded), boldA + b, 2.0 / 600);
        EXPECT_GT(r.TextWidth(coded), plain);
        EXPECT_FALSE(r.GetBold());  // measuring leaves the font alone
        EXPECT_NEAR(r.CodedTextHeight(std::string("\x01Z24\x04x")), 24.0 / 72, 1e-12);
        // A lone tab is one fixed tab width; a width on a stop stays there.
        int t = int(std::nearbyint(0.5 * 600));
        EXPECT_EQ(r.TabbedWidth("\t", 0), t);
        EXPECT_EQ(r.TabbedWidth("\t", t), t);
        EXPECT_EQ(r.TabbedWidth("\t", t + 1), 2 * t);
        r.ApplyCodesToFont(std::string("\x01R\x02" "AWWW\x04"));
        EXPECT_EQ(r.GetFontName(), "Arial");
        EXPECT_DOUBLE_EQ(r.GetFontSize(), 12);
        EXPECT_EQ(r.Hyperlink(), "WWW");
    });
}

TEST_F(DrawingApiTest, SuperscriptUsesASmallerFont) {
    TVzVSFWriter w(nullptr);
    Run(w, [](TVzVSFWriter& r) {
        r.SetFont("Arial", 12);
        r.SelectRpFont();
        double ascent = r.CurrentFont().Ascent;
        int height = r.GetCanvas()->Font()->Height();
        EXPECT_EQ(height, -100);
        r.SetSuperscript(true);
        r.SelectRpFont();
        EXPECT_EQ(r.GetCanvas()->Font()->Height(), -int(std::nearbyint(100 / 1.667)));
        EXPECT_LT(r.CurrentFont().Ascent, ascent / 1.5);
        r.SetSubscript(true);
        EXPECT_FALSE(r.GetSuperscript());
        // Equal fonts come from the cache.
        int cached = r.FontCacheSize();
        r.SetSubscript(false);
        r.SelectRpFont();
        EXPECT_EQ(r.FontCacheSize(), cached);
    });
}

TEST_F(DrawingApiTest, MacrosOfTheWriterArePlaceholders) {
    TVzVSFWriter w(nullptr);
    Run(w, [](TVzVSFWriter& r) {
        EXPECT_EQ(r.Macro(11), "\xFD$VPCM11");
        r.PageNumOffset = 4;
        EXPECT_EQ(r.Macro(12), "5");
    });
}

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <set>
#include <tuple>
#include <vector>

#include "docexport/deCstSprShtEng.h"
#include "platform/core/FormatSettings.h"
#include "platform/core/Strings.h"

namespace {

struct Cell {
    Integer Row, Column;
    std::string Text;
    bool operator==(const Cell&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Cell& c) {
    return os << "(" << c.Row << "," << c.Column << " " << c.Text << ")";
}

// Records the cell each text lands in (row including the page offset), on
// an 800 x 600 pixel page without margins.
class TCellLog : public TdeCustomSpreadSheetEngine {
public:
    TCellLog() : TdeCustomSpreadSheetEngine(nullptr) {
        Preferences()->SetShowSetupDialog(false);
        Preferences()->SetOpenAfterCreate(false);
        SetMeasurementUnit(muPixels);
        Page()->SetPaperSize(Custom);
        Page()->SetWidth(800);
        Page()->SetHeight(600);
        Page()->SetLeftMargin(0);
        Page()->SetRightMargin(0);
        Page()->SetTopMargin(0);
        Page()->SetBottomMargin(0);
        Font()->SetName("Arial");
        Font()->SetSize(10);
    }
    std::vector<Cell> Cells;
    void RenderText(TdeTextItem* item) override {
        auto* fm = dynamic_cast<TdeFmTextItem*>(item);
        ASSERT_NE(fm, nullptr);
        Cells.push_back({fm->Row + RowOffset(), fm->Column, item->Lines[0]});
    }
};

struct Placed {
    const char* Text;
    double Col, Row;  // in column widths and row heights
};

struct LayoutCase {
    const char* Name;
    Integer ColumnSpacing, RowSpacing;
    std::vector<Placed> Texts;
    std::vector<Cell> Expected;
};

}  // namespace

TEST(SpreadSheetLayout, TextsLandInRowsAndColumnsByPosition) {
    const std::vector<LayoutCase> cases = {
        {"columns by position", -1, -1, {{"a", 0, 0}, {"b", 3, 0}}, {{0, 0, "a"}, {0, 3, "b"}}},
        {"column spacing 0 packs used columns", 0, -1, {{"a", 0, 0}, {"b", 3, 0}}, {{0, 0, "a"}, {0, 1, "b"}}},
        {"column spacing 1 leaves one empty column", 1, -1, {{"a", 0, 0}, {"b", 3, 0}}, {{0, 1, "a"}, {0, 3, "b"}}},
        {"rows by position", -1, -1, {{"a", 0, 0}, {"b", 0, 1}, {"c", 0, 4}},
         {{0, 0, "a"}, {1, 0, "b"}, {4, 0, "c"}}},
        {"row spacing 1", -1, 1, {{"a", 0, 0}, {"b", 0, 1}, {"c", 0, 2}}, {{0, 0, "a"}, {2, 0, "b"}, {4, 0, "c"}}},
        {"row spacing 0 packs rows", -1, 0, {{"a", 0, 0}, {"b", 0, 5}}, {{0, 0, "a"}, {1, 0, "b"}}},
        {"a slightly lower text stays on the row", -1, -1, {{"a", 0, 0}, {"b", 2, 0.2}},
         {{0, 0, "a"}, {0, 2, "b"}}},
        {"close columns get distinct indexes", -1, -1, {{"a", 0, 0}, {"b", 1.2, 0}, {"c", 1.6, 1}},
         {{0, 0, "a"}, {0, 1, "b"}, {1, 1, "c"}}},
        {"blank texts are not cells", -1, -1, {{"  ", 0, 0}, {"x", 0, 1}}, {{1, 0, "x"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TCellLog e;
        e.Formatting()->ColumnSpacing = c.ColumnSpacing;
        e.Formatting()->RowSpacing = c.RowSpacing;
        e.BeginDoc();
        for (const auto& t : c.Texts) e.TextOut(t.Text, t.Col * e.ColumnWidth(), t.Row * e.RowHeight());
        e.EndDoc();
        std::vector<Cell> got;
        for (const auto& cell : e.Cells)
            if (!Trim(cell.Text).empty()) got.push_back(cell);
        EXPECT_EQ(got, c.Expected);
    }
}

TEST(SpreadSheetLayout, PagesAreStackedByPageHeightOrUsedRows) {
    for (bool continuous : {false, true}) {
        SCOPED_TRACE(continuous);
        TCellLog e;
        e.Preferences()->ContinuousMode = continuous;
        e.BeginDoc();
        const Integer pageRows = static_cast<Integer>(std::lround(600.0 / e.BaseRowHeight()));
        e.TextOut("p1", 0, 0);
        e.TextOut("p1 last", 0, 3 * e.RowHeight());
        e.NewPage();
        e.TextOut("p2", 0, 0);
        e.EndDoc();
        ASSERT_EQ(e.Cells.size(), 3u);
        EXPECT_EQ(e.Cells[1].Row, 3);
        EXPECT_EQ(e.Cells[2].Row, continuous ? 4 : std::max<Integer>(3, pageRows) + 1);
    }
}

TEST(SpreadSheetLayout, MultiPassGivesTextsSharingACellTheirOwnCells) {
    TCellLog e;
    e.Preferences()->MultiPass = true;
    e.BeginDoc();
    e.TextOut("top", 0, 0);
    e.TextOut("under", 0, 0.1 * e.RowHeight());
    e.TextOut("next", 0, 1 * e.RowHeight());
    e.EndDoc();
    EXPECT_EQ(e.Cells, (std::vector<Cell>{{0, 0, "top"}, {1, 0, "under"}, {2, 0, "next"}}));
}

TEST(SpreadSheetLayout, RightAlignedNumbersEndingAtOneEdgeShareAColumn) {
    TCellLog e;
    e.Preferences()->ApplyAlignment = true;
    e.BeginDoc();
    e.SetTextAlignment(haRight);
    const double edge = 2.4 * e.ColumnWidth();
    e.TextOut("1", edge, 0);
    e.TextOut("1234567", edge, e.RowHeight());
    e.EndDoc();
    ASSERT_EQ(e.Cells.size(), 2u);
    EXPECT_EQ(e.Cells[0].Column, e.Cells[1].Column);
}

TEST(SpreadSheetLayout, SheetTextsKeepTheirCells) {
    TCellLog e;
    e.BeginDoc();
    e.AddSheetText(7, 5, 1, 0, "fixed");
    e.TextOut("free", 0, 0);
    e.EndDoc();
    EXPECT_EQ(e.Cells, (std::vector<Cell>{{0, 0, "free"}, {7, 5, "fixed"}}));
}

TEST(SpreadSheetCells, ParseCellValueRecognisesNumbersTimesDatesAndText) {
    TCellLog e;
    const std::vector<std::pair<const char*, int>> cases = {
        {"1,234.50", cvThousandsDecimal}, {"1234", cvInteger}, {"-17", cvInteger}, {"12.5", cvDecimal},
        {"1.5E3", cvDecimal}, {"1,234", cvThousandsInteger}, {"(1,234)", cvThousandsInteger},
        {"12,34", cvText}, {"12-", cvText}, {"$1,234.50", cvCurrency}, {"12:30", cvTime},
        {"3/4/2026", cvDate}, {"Score", cvText}, {"", cvText},
    };
    EXPECT_EQ(e.ParseCellValue("1234"), cvText) << "without AutoFormatCells every text is text";
    e.Preferences()->AutoFormatCells = true;
    for (const auto& [text, code] : cases) EXPECT_EQ(e.ParseCellValue(text), code) << text;
}

TEST(SpreadSheetCells, NormalizeNumberText) {
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"1.5E3", "1.5E+3"}, {"$1,234.50", "1234.50"}, {" -12 ", "-12"}, {"2e-4", "2e-4"}, {"abc", ""}};
    for (const auto& [in, out] : cases) EXPECT_EQ(TdeCustomSpreadSheetEngine::NormalizeNumberText(in), out) << in;
}

TEST(SpreadSheetCells, TablesShareEqualEntriesAndFixInvisibleFontColour) {
    TCellLog e;
    TFont f;
    f.SetName("Arial");
    f.SetSize(10);
    f.SetColor(clWindow);
    const Integer a = e.SheetFontIndex(f);
    EXPECT_EQ(e.SheetFontIndex(f), a);
    EXPECT_EQ(e.Fonts()[static_cast<std::size_t>(a)]->Color(), clWindowText);
    f.SetStyle(fsBold);
    EXPECT_EQ(e.SheetFontIndex(f), a + 1);
    TBrush b;
    EXPECT_EQ(e.CellAttribIndex(0, 4, false, b, 0), 0);
    EXPECT_EQ(e.CellAttribIndex(0, 4, false, b, 0), 0);
    EXPECT_EQ(e.CellAttribIndex(0, 4, true, b, 0), 1);
    EXPECT_EQ(e.CellAttribIndex(1, 4, false, b, 22), 2);
    EXPECT_EQ(e.CellAttribIndex(14, 2, false, b, 2), 3) << "keys of different attributes must not collide";
    e.Preferences()->UseDefaultPalette = true;
    EXPECT_EQ(e.SheetColorIndex(RGB(0xFF, 0, 0)), 2);
    // The 56 defaults fill the workbook palette: another colour takes the
    // nearest entry.
    EXPECT_EQ(e.SheetColorIndex(RGB(1, 2, 3)), 0);
    EXPECT_EQ(e.PaletteColors().size(), 56u);
}

TEST(SpreadSheetLayout, TextsMeetingTheNextColumnsEdgeGetCellsOfTheirOwn) {
    // Report rows: a name, then numbers whose edges meet the next column's
    // left edge, laid out left to right (each text starting where the one
    // before ends) and right-aligned into columns. Without MultiPass.
    for (bool rightAligned : {false, true}) {
        SCOPED_TRACE(rightAligned ? "right-aligned numbers" : "texts end to end");
        TCellLog e;
        e.BeginDoc();
        const double cw = e.ColumnWidth();
        std::vector<std::string> written;
        for (int r = 0; r < 30; ++r) {
            const double y = r * e.RowHeight() + 1;
            std::string name = "Student " + std::to_string(1000 + r);
            e.TextOut(name, 0, y);
            written.push_back(name);
            double x = e.TextExtent(name, *e.Font()).cx;
            for (int c = 1; c < 10; ++c) {
                const std::string v = std::to_string(r * 10 + c);
                const double w = e.TextExtent(v, *e.Font()).cx;
                // Numbers in a smaller font sit a pixel higher than the name.
                e.TextOut(v, rightAligned ? (c + 1) * cw - w : x, y - 1);
                written.push_back(v);
                x += w;
            }
        }
        e.EndDoc();
        std::set<std::pair<Integer, Integer>> cells;
        std::multiset<std::string> texts;
        for (const auto& c : e.Cells) {
            EXPECT_TRUE(cells.insert({c.Row, c.Column}).second) << "two texts in " << c;
            texts.insert(c.Text);
        }
        EXPECT_EQ(texts, std::multiset<std::string>(written.begin(), written.end()));
    }
}

TEST(SpreadSheetLayout, RightAlignedNumbersJoinTheColumnOfTheHeadingAboveThem) {
    // A heading wider than a column; right-aligned numbers below it whose
    // left edges fall inside the heading, far enough right to open a
    // column of their own.
    TCellLog e;
    e.Preferences()->ApplyAlignment = true;
    e.BeginDoc();
    const double cw = e.ColumnWidth(), rh = e.RowHeight();
    const std::string heading = "Total score of the test";
    ASSERT_GT(e.TextExtent(heading, *e.Font()).cx, 2 * cw - cw / 2);
    e.TextOut(heading, cw, 0);
    e.SetTextAlignment(haRight);
    for (int r = 1; r <= 3; ++r) {
        const std::string v = std::to_string(100 * r + 23);
        e.TextOut(v, 2 * cw + 40 - e.TextExtent(v, *e.Font()).cx, r * rh);
    }
    e.EndDoc();
    ASSERT_EQ(e.Cells.size(), 4u);
    for (const auto& c : e.Cells) EXPECT_EQ(c.Column, e.Cells[0].Column) << c;
}

TEST(SpreadSheetLayout, TablesBecomeCellsRowByRow) {
    TCellLog e;
    e.TableSettings()->ShowTitles = true;
    e.BeginDoc();
    const double cw = e.ColumnWidth(), rh = e.RowHeight();
    auto cols = e.BeginTable(0, 0, 2);
    ASSERT_EQ(cols.size(), 2u);
    cols[0]->SetWidth(cw);
    cols[0]->Title = "Name";
    cols[1]->SetWidth(2 * cw);
    cols[1]->Title = "Score";
    e.NewRow(rh);
    e.TableCellText(0, "Ann");
    e.TableCellText(1, "17");
    e.NewRow(rh);
    e.TableCellText(0, "Bob");
    e.EndTable();
    e.EndDoc();
    std::vector<Cell> got = e.Cells;
    std::sort(got.begin(), got.end(), [](const Cell& a, const Cell& b) {
        return std::tie(a.Row, a.Column) < std::tie(b.Row, b.Column);
    });
    // Columns from each cell's right edge; the title row is one line high
    // even with no title height set, so that no cell is written twice.
    EXPECT_EQ(got, (std::vector<Cell>{{0, 1, "Name"}, {0, 3, "Score"}, {1, 1, "Ann"}, {1, 3, "17"},
                                      {2, 1, "Bob"}}));
}

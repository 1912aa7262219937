#include "dbgrid/tests/DBGridTestSupport.h"

#include "dbgrid/DBGridPrint.h"

namespace {

using DBGridPrint = DBGridFixture;

TEST(DBGridPrintTotals, TextsAddUpByTheirKind) {
    struct Case {
        std::vector<std::string> texts;
        std::string shown;
    } cases[] = {
        {{"1,200", "$3.50", "2"}, "$1,205.50"},
        {{"1.5", "2"}, "3.50"},
        {{"4", " 6 "}, "10"},
        {{"12", "abc", ""}, "12"},
    };
    for (const Case& c : cases) {
        TosReportTotal t;
        for (const std::string& s : c.texts) t.Add(s);
        EXPECT_EQ(t.Text(), c.shown) << c.texts.front();
    }
}

TEST_F(DBGridPrint, ScaleCountsThePrintedVisibleColumnsOnly) {
    Fill(2);
    Bind();
    for (Integer c = 1; c <= 3; ++c) grid->GetCol(Variant(c))->SetWidth(300);
    TgrPrintDbGrid report;
    // Three columns of 300: 3 x 308 = 924 fit 1000 pixels unscaled.
    report.LayOutColumns(grid, 1000);
    EXPECT_DOUBLE_EQ(report.Scale(), 1.0);
    // Four would not: 1232 / 1000, each step Round(308 / 1.232) = 250.
    grid->SetCols(4);
    grid->GetCol(Variant(4))->SetWidth(300);
    report.LayOutColumns(grid, 1000);
    EXPECT_DOUBLE_EQ(report.Scale(), 1.232);
    ASSERT_EQ(report.Columns().size(), 4u);
    EXPECT_EQ(report.Columns()[3].Left, 752);
    grid->SetCols(3);
    // A hidden column does not count.
    grid->GetCol(Variant(2))->SetVisible(false);
    report.LayOutColumns(grid, 600);
    EXPECT_DOUBLE_EQ(report.Scale(), 616.0 / 600.0);
    ASSERT_EQ(report.Columns().size(), 2u);
    EXPECT_EQ(report.Columns()[1].Left, 2 + 300);
    EXPECT_EQ(report.Columns()[1].DataCol, 3);
}

TEST_F(DBGridPrint, DetailRowsShareThePageBelowTheHeaders) {
    Fill(1);
    Bind();
    TgrPrintDbGrid report;
    // Letter landscape: 816 - 40 - 24 - 30 - 48 = 674 pixels, 40 lines:
    // Round(16.85) - 1 = 16.
    report.BuildReport(grid);
    EXPECT_EQ(report.RowHeight(), 16);
    report.SetOrientation(pmPortrait);
    report.BuildReport(grid);
    EXPECT_EQ(report.RowHeight(), 22);
}

TEST_F(DBGridPrint, PrintSetupEventMayCancelOrChangeTheTitle) {
    Fill(1);
    Bind();
    grid->SetPrintTitle("Scores");
    grid->OnPrintGrid = [](TObject*, bool& cancel, std::string& title, std::string& endText, TgrPrintMode&) {
        title += " of today";
        endText = "end";
    };
    grid->PreparePrint();
    ASSERT_NE(grid->PrintWindow(), nullptr);
    EXPECT_EQ(grid->PrintWindow()->Title(), "Scores of today");
    EXPECT_EQ(grid->PrintWindow()->EndText(), "end");
    grid->OnPrintGrid = [](TObject*, bool& cancel, std::string&, std::string&, TgrPrintMode&) { cancel = true; };
    grid->PreparePrint();
    EXPECT_TRUE(grid->PrintSetupCancelled());
}

}  // namespace

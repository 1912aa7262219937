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
        for (const std::string& s : c.texts) {
            TgrReportControl label{rckLabel, "Total1", 0, 0, 0, 0, s};
            TfmPrintDbGrid::AddToTotal(label, t);
        }
        EXPECT_EQ(t.Text(), c.shown) << c.texts.front();
    }
}

TEST_F(DBGridPrint, ScaleCountsThePrintedVisibleColumnsOnly) {
    Fill(2);
    Bind();
    for (Integer c = 1; c <= 3; ++c) grid->GetCol(Variant(c))->SetWidth(300);
    TfmPrintDbGrid report(nullptr);
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
    TfmPrintDbGrid report(nullptr);
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

TEST_F(DBGridPrint, OneWindowServesEveryGridAndForgetsAGridThatGoes) {
    Fill(2);
    Bind();
    grid->PreparePrint();
    TfmPrintDbGrid* window = grid->PrintWindow();
    ASSERT_EQ(window, TfmPrintDbGrid::Shared());
    // The page label stands 50 pixels before the printable edge, the
    // number 4 pixels after the label.
    TgrReportControl* label = window->bnPageHeader.Find("qlPageLabel");
    TgrReportControl* number = window->bnPageHeader.Find("qsPageNo");
    ASSERT_TRUE(label && number);
    EXPECT_EQ(label->Left, window->qrGrid.PrintableWidth() - 50);
    EXPECT_EQ(number->Left, label->Left + label->Width + 4);
    auto* other = new TLogDBGrid(form);
    other->SetParent(form);
    other->SetDataSource(source);
    other->PreparePrint();
    EXPECT_EQ(other->PrintWindow(), window);
    delete other;
    // The window no longer reaches the freed grid: a run prints nothing.
    EXPECT_NO_THROW(window->PreviewReport());
    EXPECT_EQ(window->PrintedRecords(), 0);
}

}  // namespace

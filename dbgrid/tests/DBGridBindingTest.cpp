#include "dbgrid/tests/DBGridTestSupport.h"

#include "platform/data/DataSet.h"

namespace {

using DBGridBinding = DBGridFixture;

// Every change of the data source reports the field layout once: binding
// an open dataset (through the link's activation), a closed one and
// unbinding alike.
TEST_F(DBGridBinding, EveryChangeOfTheDataSourceReportsTheLayoutOnce) {
    Fill(3);
    int layouts = 0;
    grid->OnFieldLayoutChange = [&](TObject*) { ++layouts; };
    Bind();
    EXPECT_EQ(layouts, 1);
    grid->SetDataSource(nullptr);
    EXPECT_EQ(layouts, 2);
    table->Close();
    Bind();
    EXPECT_EQ(layouts, 3);
    EXPECT_TRUE(grid->DataBound());
    EXPECT_FALSE(grid->DataActive());
    table->Open();
    EXPECT_EQ(layouts, 4);
    grid->SetDataSource(source);
    EXPECT_EQ(layouts, 4);
    grid->OnFieldLayoutChange = nullptr;
}

// Another data source starts in the first column, and the grid class's
// rows and cells keep nothing over records.
TEST_F(DBGridBinding, BindingShowsTheFirstColumnAndDropsThePlainRowProperties) {
    Fill(3);
    grid->SetCols(8);
    grid->SetRows(3);
    grid->SetBounds(0, 0, 150, HeightForRows(5));
    grid->TgrBaseGrid::SetRowColor(2, TColor(0x0000FF));
    grid->SetLeftCol(4);
    ASSERT_EQ(grid->TopLeftCell().Col, 4);
    Bind();
    EXPECT_EQ(grid->TopLeftCell().Col, 1);
    EXPECT_EQ(grid->TgrBaseGrid::GetRowColor(2), grColorNotSet);
    // Unbound again: the plain grid's default columns and rows, the first
    // cell current.
    grid->SetDataSource(nullptr);
    EXPECT_EQ(grid->Cols(), 4);
    EXPECT_EQ(grid->Rows(), 4);
    EXPECT_EQ(grid->CurrentDataCol(), 1);
    EXPECT_EQ(grid->CurrentDataRow(), 1);
    EXPECT_TRUE(grid->Col(1)->FieldName().empty());
}

// The published Rows of a bound grid is the dataset's record count; the
// rows the grid shows are a window over them.
TEST_F(DBGridBinding, RowsAnswersTheRecordCount) {
    Fill(20);
    EXPECT_EQ(GetOrdProp(*grid, "Rows"), 4);
    Bind();
    EXPECT_EQ(grid->Rows(), grid->GetVisibleRecordCount());
    ASSERT_LT(grid->Rows(), 20);
    EXPECT_EQ(grid->GetRows(), 20);
    EXPECT_EQ(GetOrdProp(*grid, "Rows"), 20);
    // Set from outside it changes nothing.
    SetOrdProp(*grid, "Rows", 3);
    EXPECT_EQ(grid->GetRows(), 20);
    table->Last();
    table->Delete();
    EXPECT_EQ(grid->GetRows(), 19);
    table->Close();
    EXPECT_EQ(grid->GetRows(), grid->Rows());
}

}  // namespace

// The grid over the database client's live query: the window follows the
// cursor and edits post into the database file.
#include "dbgrid/tests/DBGridTestSupport.h"

#include <filesystem>

#include "dbgrid/tests/LdbTestTable.h"
#include "platform/data/DataSet.h"

namespace {

class DBGridQuery : public DBGridFixture {
protected:
    void SetUp() override {
        DBGridFixture::SetUp();
        form->SetName("frmDBGridQuery");
        char tmpl[] = "/tmp/dbgrid-ldb-XXXXXX";
        folder = ::mkdtemp(tmpl) ? tmpl : "";
        query = OpenProfilesQuery(form, folder, 12);
        source->SetDataSet(query);
        Bind();
    }
    void TearDown() override {
        DBGridFixture::TearDown();
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    std::string Scalar(const std::string& sql) { return LdbScalar(form, sql); }

    std::string folder;
    TDataSet* query = nullptr;
};

TEST_F(DBGridQuery, WindowFollowsTheCursorAndEditsPostIntoTheDatabase) {
    ASSERT_TRUE(grid->DataActive());
    EXPECT_EQ(grid->GetCol(Variant("PName"))->GetHeading(), "PName");
    Integer v = grid->VisibleRecordCount();
    EXPECT_EQ(grid->Rows(), std::min<Integer>(v, 12));
    EXPECT_EQ(grid->GetCellValue(2, 1).AsString(), "P1");
    query->Last();
    EXPECT_EQ(grid->GetCellValue(2, grid->Rows()).AsString(), "P12");
    EXPECT_EQ(grid->GetCurrentDataRow(), Variant(query->GetBookmark()));

    // Edit the last record's name through the grid, then leave the row.
    Integer last = grid->Rows();
    grid->MoveCurrentCell(2, last, false, true);
    grid->ChangeCurrentCell(2, last);
    ASSERT_TRUE(grid->EditCurrentCell("Twelve"));
    ASSERT_TRUE(grid->CanSelectCell(2, last - 1));
    EXPECT_EQ(Scalar("select PName from Profiles where PID = 12"), "Twelve");
    EXPECT_EQ(query->FieldByName("PID")->AsInteger(), 11);
}

}  // namespace

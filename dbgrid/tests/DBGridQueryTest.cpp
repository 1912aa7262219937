// The grid over the database client's live query: the window follows the
// cursor, inserts, deletes, filters and disabled controls; edits post into
// the database file, Esc cancels, a refused post keeps the edit.
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
    std::string Name(Integer row) { return grid->GetCellValue(2, row).AsString(); }
    // Types text into a cell of a window row.
    void EditCell(Integer col, Integer row, const std::string& text) {
        grid->MoveCurrentCell(col, row, false, true);
        grid->ChangeCurrentCell(col, row);
        ASSERT_TRUE(grid->EditCurrentCell(text));
    }

    std::string folder;
    TDataSet* query = nullptr;
};

TEST_F(DBGridQuery, WindowFollowsTheCursorAndEditsPostIntoTheDatabase) {
    ASSERT_TRUE(grid->DataActive());
    EXPECT_EQ(grid->GetCol(Variant("PName"))->GetHeading(), "PName");
    Integer v = grid->GetVisibleRecordCount();
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

TEST_F(DBGridQuery, WindowFollowsQueryNavigationInsertsDeletesAndFilters) {
    Integer v = grid->GetVisibleRecordCount();
    ASSERT_GE(v, 3);
    grid->Take();
    query->Next();
    EXPECT_EQ(grid->Take(), "scrolled 0");
    query->MoveBy(int(v));
    EXPECT_EQ(grid->Take(), "scrolled 2");
    EXPECT_EQ(Name(1), "P3");
    EXPECT_EQ(grid->GetCurrentDataRow(), Variant(query->GetBookmark()));

    // A record appended through the query shows at the end of the window.
    query->Last();
    query->Append();
    query->FieldByName("PID")->SetAsInteger(13);
    query->FieldByName("PName")->SetAsString("P13");
    query->Post();
    EXPECT_EQ(Name(grid->Rows()), "P13");
    EXPECT_EQ(grid->GetCurrentDataRow(), Variant(query->GetBookmark()));
    EXPECT_EQ(Scalar("select count(*) from Profiles"), "13");

    // A deleted record leaves the window.
    query->First();
    query->Delete();
    EXPECT_EQ(Name(1), "P2");
    EXPECT_EQ(Scalar("select count(*) from Profiles"), "12");

    // A filter leaves only its records in the window.
    query->OnFilterRecord = [](TDataSet* ds, bool& accept) { accept = ds->FieldByName("PID")->AsInteger() % 5 == 0; };
    query->SetFiltered(true);
    EXPECT_EQ(grid->Rows(), 2);
    EXPECT_EQ(Name(1), "P5");
    EXPECT_EQ(Name(2), "P10");
    query->SetFiltered(false);
    query->First();
    EXPECT_EQ(Name(1), "P2");

    // With the controls disabled the grid waits for EnableControls.
    grid->Take();
    query->DisableControls();
    query->Last();
    EXPECT_EQ(grid->Take(), "");
    query->EnableControls();
    EXPECT_EQ(grid->Take(), "changed");
    EXPECT_EQ(Name(grid->Rows()), "P13");
    EXPECT_EQ(grid->GetCurrentDataRow(), Variant(query->GetBookmark()));
}

TEST_F(DBGridQuery, EscapeCancelsAndAFailedPostKeepsTheEditAndShowsTheError) {
    // The typed name reaches the field; Esc cancels the record's edit.
    EditCell(2, 1, "Uno");
    ASSERT_TRUE(grid->EndCellEdit());
    EXPECT_EQ(query->FieldByName("PName")->AsString(), "Uno");
    Word16 esc = VK_ESCAPE;
    grid->ProcessKeyDown(esc, TShiftState());
    EXPECT_EQ(query->State(), dsBrowse);
    EXPECT_EQ(Name(1), "P1");
    EXPECT_EQ(Scalar("select PName from Profiles where PID = 1"), "P1");

    // The database refuses a second record with the key 2: the message is
    // shown, the record stays in edit with what was typed.
    prompts->Answer(mrOk, "");
    EditCell(1, 1, "2");
    EXPECT_FALSE(grid->CanSelectCell(2, 2));
    ASSERT_EQ(prompts->Texts().size(), 1u);
    EXPECT_EQ(query->State(), dsEdit);
    EXPECT_EQ(query->FieldByName("PID")->AsInteger(), 2);
    EXPECT_EQ(Scalar("select count(*) from Profiles where PID = 2"), "1");
    EditCell(1, 1, "21");
    ASSERT_TRUE(grid->EndCellEdit());
    EXPECT_EQ(query->FieldByName("PID")->AsInteger(), 21);
    EXPECT_TRUE(grid->CanSelectCell(2, 2));
    EXPECT_EQ(Scalar("select PName from Profiles where PID = 21"), "P1");
}

}  // namespace

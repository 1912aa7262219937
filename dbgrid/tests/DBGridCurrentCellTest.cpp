#include "dbgrid/tests/DBGridTestSupport.h"

#include "platform/data/DataSet.h"

namespace {

class DBCurrentCell : public DBGridFixture {
protected:
    void SetUp() override {
        DBGridFixture::SetUp();
        Fill(12);
        Bind();
    }
    void MakeCurrent(Integer displayCol, Integer displayRow) {
        ASSERT_TRUE(grid->CanSelectCell(displayCol, displayRow));
        grid->MoveCurrentCell(displayCol, displayRow, false, true);
        grid->ChangeCurrentCell(displayCol, displayRow);
    }
    std::string ScoreOf(int id) {
        std::string back = table->GetBookmark();
        table->Locate("ID", Variant(id), {});
        std::string score = table->FieldByName("Score")->AsString();
        table->GotoBookmark(back);
        return score;
    }
};

TEST_F(DBCurrentCell, ValueIsTheCurrentRecordsField) {
    MakeCurrent(2, 1);
    EXPECT_EQ(grid->CurrentCell()->GetValue().AsString(), "N1");
    // The dataset moves: the current cell follows its record.
    table->MoveBy(7);
    EXPECT_EQ(grid->CurrentCell()->GetValue().AsString(), "N8");
}

TEST_F(DBCurrentCell, ValueSetOffScreenGoesIntoTheRecord) {
    // Only the ID column fits; the Score column is scrolled off screen.
    grid->SetBounds(0, 0, 90, HeightForRows(5));
    table->MoveBy(3);
    MakeCurrent(3, grid->RecordWindow()->GetCurrentRecordRow());
    grid->SetLeftCol(1);
    ASSERT_FALSE(grid->IsCurrentCellShown());
    std::vector<std::string> edits;
    Variant fourth(BookmarkOf(4));
    grid->OnCellEdit = [&](TObject*, Integer col, const Variant& row, bool byUser) {
        edits.push_back(std::to_string(col) + (row == fourth ? " fourth" : " other") + (byUser ? " user" : ""));
    };
    ASSERT_TRUE(grid->CurrentCell()->SetValue(Variant(std::string("7")), false, false));
    EXPECT_EQ(table->State(), dsEdit);
    EXPECT_EQ(table->FieldByName("Score")->AsInteger(), 7);
    EXPECT_EQ(edits, std::vector<std::string>{"3 fourth"});
    ASSERT_TRUE(grid->PostEdit());
    EXPECT_EQ(ScoreOf(4), "7");
    EXPECT_EQ(ScoreOf(5), "95");
}

TEST_F(DBCurrentCell, RefusesWithoutAnOpenDataset) {
    MakeCurrent(2, 1);
    table->Close();
    EXPECT_FALSE(grid->CurrentCell()->SetValue(Variant(std::string("x")), false, false));
    EXPECT_TRUE(grid->CurrentCell()->GetValue().IsEmpty());
}

TEST_F(DBCurrentCell, InsertRowAppendsOneRecordInEditInsertMode) {
    MakeCurrent(1, 1);
    // Outside gmEditInsert nothing is appended.
    grid->CurrentCell()->MoveToInsertRow(2);
    EXPECT_EQ(table->State(), dsBrowse);

    grid->SetGridMode(gmEditInsert);
    EXPECT_THROW(grid->CurrentCell()->MoveToInsertRow(0), EInvalidGridOperation);
    EXPECT_EQ(table->State(), dsBrowse);
    grid->CurrentCell()->MoveToInsertRow(2);
    EXPECT_EQ(table->State(), dsInsert);
    EXPECT_TRUE(table->Eof());
    EXPECT_EQ(grid->CurrentDataCol(), 2);
    EXPECT_EQ(grid->GetCurrentDataRow(), Variant(std::string()));
    // Already on the new record: no second one.
    grid->CurrentCell()->MoveToInsertRow(3);
    EXPECT_EQ(grid->CurrentDataCol(), 2);
    EXPECT_EQ(table->RecordCount(), 12);
}

}  // namespace

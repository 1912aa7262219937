// Dataset actions reach the focused grid's data link: the grid takes the
// steps on its dataset and follows them; an unbound grid takes none.

#include "dbgrid/tests/DBGridTestSupport.h"

#include "platform/data/DataActions.h"
#include "platform/data/DataSet.h"

namespace {

class DBGridActions : public DBGridFixture {
protected:
    void SetUp() override {
        DBGridFixture::SetUp();
        Fill(5);
        Bind();
        form->SetActiveControl(grid);
    }
};

TEST_F(DBGridActions, NavigationActionsMoveTheFocusedGridsRecord) {
    TDataSetNext next(form);
    TDataSetLast last(form);
    TDataSetFirst first(form);
    ASSERT_TRUE(next.Execute());
    EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 2);
    EXPECT_EQ(grid->GetCurrentDataRow(), Variant(BookmarkOf(2)));
    Variant fifth(BookmarkOf(5));
    ASSERT_TRUE(last.Execute());
    EXPECT_EQ(grid->GetCurrentDataRow(), fifth);
    // At the end the grid's link disables the forward steps.
    EXPECT_FALSE(next.Execute());
    EXPECT_FALSE(next.Enabled());
    EXPECT_TRUE(grid->UpdateAction(&first));
    EXPECT_TRUE(first.Enabled());
    ASSERT_TRUE(grid->ExecuteAction(&first));
    EXPECT_EQ(grid->GetCurrentDataRow(), Variant(BookmarkOf(1)));
}

TEST_F(DBGridActions, PostAndCancelActionsFinishTheGridsEdit) {
    TDataSetPost post(form);
    TDataSetCancel cancel(form);
    ASSERT_TRUE(grid->CanSelectCell(2, 1));
    grid->MoveCurrentCell(2, 1, false, true);
    grid->ChangeCurrentCell(2, 1);
    // Nothing to post while browsing.
    EXPECT_FALSE(post.Execute());

    ASSERT_TRUE(grid->EditCurrentCell("Ann"));
    ASSERT_TRUE(post.Execute());
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(table->FieldByName("Name")->AsString(), "Ann");
    EXPECT_EQ(NameAt(1), "Ann");

    ASSERT_TRUE(grid->EditCurrentCell("Bea"));
    ASSERT_TRUE(grid->EndCellEdit());
    ASSERT_TRUE(cancel.Execute());
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(NameAt(1), "Ann");
}

TEST_F(DBGridActions, InsertAndDeleteActionsChangeTheGridsRecords) {
    TDataSetInsert insert(form);
    TDataSetCancel cancel(form);
    TDataSetDelete del(form);
    Integer rows = grid->Rows();
    ASSERT_TRUE(insert.Execute());
    EXPECT_EQ(table->State(), dsInsert);
    // The new record shows in a row of its own.
    EXPECT_EQ(grid->Rows(), rows + 1);
    ASSERT_TRUE(cancel.Execute());
    ASSERT_TRUE(del.Execute());
    EXPECT_EQ(table->RecordCount(), 4);
    EXPECT_EQ(Names(), "N2,N3,N4,N5");
}

TEST_F(DBGridActions, AGridTakesNoActionWithoutItsDataSource) {
    TDataSetNext next(form);
    grid->SetDataSource(nullptr);
    EXPECT_FALSE(grid->ExecuteAction(&next));
    EXPECT_FALSE(grid->UpdateAction(&next));
    EXPECT_FALSE(next.Execute());
    EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 1);

    // An action bound to another source passes the grid by.
    Bind();
    TDataSource other(form);
    other.SetDataSet(table);
    next.SetDataSource(&other);
    EXPECT_FALSE(grid->ExecuteAction(&next));
    // Taken by no control, it works on its own source.
    ASSERT_TRUE(next.Execute());
    EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 2);
}

}  // namespace

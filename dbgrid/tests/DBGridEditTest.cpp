#include "dbgrid/tests/DBGridTestSupport.h"

#include "platform/data/DataSet.h"

namespace {

class DBGridEdit : public DBGridFixture {
protected:
    void SetUp() override {
        DBGridFixture::SetUp();
        Fill(3);
        Bind();
        // The Name column of the first record.
        ASSERT_TRUE(grid->CanSelectCell(2, 1));
        grid->MoveCurrentCell(2, 1, false, true);
        grid->ChangeCurrentCell(2, 1);
    }
    std::string NameOf(int id) {
        std::string back = table->GetBookmark();
        table->Locate("ID", Variant(id), {});
        std::string name = table->FieldByName("Name")->AsString();
        table->GotoBookmark(back);
        return name;
    }
};

TEST_F(DBGridEdit, EditingACellAndLeavingTheRowPosts) {
    std::vector<std::string> events;
    Variant first(BookmarkOf(1));
    grid->OnCellEdit = [&](TObject*, Integer col, const Variant& row, bool) {
        events.push_back("edit " + std::to_string(col) + (row == first ? " first" : " other"));
    };
    grid->OnEndCellEdit = [&](TObject*, Integer col, const Variant&, bool&) {
        events.push_back("end " + std::to_string(col));
    };
    ASSERT_TRUE(grid->EditCurrentCell("Ann"));
    EXPECT_EQ(table->State(), dsEdit);
    // The typed text shows before it reaches the field.
    EXPECT_EQ(NameAt(1), "Ann");
    EXPECT_EQ(table->FieldByName("Name")->AsString(), "N1");
    grid->Take();
    ASSERT_TRUE(grid->CanSelectCell(2, 2));
    EXPECT_EQ(grid->Take(), "update update editing changed scrolled 0");
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(NameOf(1), "Ann");
    EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 2);
    EXPECT_EQ(events, (std::vector<std::string>{"edit 2 first", "end 2"}));
}

TEST_F(DBGridEdit, EscapeUndoesTheCellThenTheRecord) {
    ASSERT_TRUE(grid->EditCurrentCell("Ann"));
    Word16 esc = VK_ESCAPE;
    grid->GridKeyDown(esc, TShiftState());
    EXPECT_FALSE(grid->IsCellEditPending());
    EXPECT_EQ(NameAt(1), "N1");
    EXPECT_EQ(table->State(), dsBrowse);

    // A cell written into the field, then Esc: the record edit is cancelled.
    ASSERT_TRUE(grid->EditCurrentCell("Bea"));
    ASSERT_TRUE(grid->EndCellEdit());
    EXPECT_EQ(table->FieldByName("Name")->AsString(), "Bea");
    esc = VK_ESCAPE;
    grid->GridKeyDown(esc, TShiftState());
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(NameOf(1), "N1");
}

TEST_F(DBGridEdit, FailedPostKeepsTheEditAndShowsTheError) {
    table->BeforePost = [](TDataSet* ds) {
        if (ds->FieldByName("Name")->AsString().empty()) throw Exception("Name is required");
    };
    prompts->Answer(mrOk, "Name is required");
    ASSERT_TRUE(grid->EditCurrentCell(""));
    EXPECT_FALSE(grid->CanSelectCell(2, 2));
    EXPECT_EQ(prompts->Texts(), std::vector<std::string>{"Name is required"});
    EXPECT_EQ(table->State(), dsEdit);
    EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 1);
    // Corrected, the row can be left.
    ASSERT_TRUE(grid->EditCurrentCell("Cy"));
    EXPECT_TRUE(grid->CanSelectCell(2, 2));
    EXPECT_EQ(NameOf(1), "Cy");
}

TEST_F(DBGridEdit, UpdateFieldMayReplaceOrCancelTheWrite) {
    grid->OnUpdateField = [](TObject*, Integer, const Variant&, Variant& value, bool& cancel) {
        if (value.AsString() == "skip") cancel = true;
        else value = Variant(value.AsString() + "!");
    };
    ASSERT_TRUE(grid->EditCurrentCell("Dee"));
    ASSERT_TRUE(grid->PostEdit());
    EXPECT_EQ(NameOf(1), "Dee!");
    ASSERT_TRUE(grid->EditCurrentCell("skip"));
    ASSERT_TRUE(grid->PostEdit());
    EXPECT_EQ(NameOf(1), "Dee!");
}

TEST_F(DBGridEdit, StartEditEventsCanRefuseTheEdit) {
    grid->OnStartRowEdit = [](TObject*, const Variant&, bool& cancel) { cancel = true; };
    EXPECT_FALSE(grid->EditCurrentCell("X"));
    EXPECT_EQ(table->State(), dsBrowse);
    table->FieldByName("Name")->SetReadOnly(true);
    grid->OnStartRowEdit = nullptr;
    EXPECT_FALSE(grid->EditCurrentCell("X"));
}

}  // namespace

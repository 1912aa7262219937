#include "dbgrid/tests/DBGridTestSupport.h"

#include "grid/GridEditBox.h"
#include "grid/GridMaskCheck.h"
#include "grid/TSMask.h"
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
    // Leaving the row puts the pending value, puts the values once more
    // before it checks the record (which asks again) and posts it.
    EXPECT_EQ(grid->Take(), "update update update update editing changed scrolled 0");
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(NameOf(1), "Ann");
    EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 2);
    EXPECT_EQ(events, (std::vector<std::string>{"edit 2 first", "end 2"}));
}

TEST_F(DBGridEdit, EscapeCancelsTheWholeRecordAtOnce) {
    ASSERT_TRUE(grid->EditCurrentCell("Ann"));
    Word16 esc = VK_ESCAPE;
    grid->ProcessKeyDown(esc, TShiftState());
    EXPECT_EQ(esc, 0);
    EXPECT_FALSE(grid->IsCellEditPending());
    EXPECT_EQ(NameAt(1), "N1");
    EXPECT_EQ(table->State(), dsBrowse);

    // One cell written into the field, another typed: one Esc takes both
    // back, and the record is not in edit any more.
    ASSERT_TRUE(grid->EditCurrentCell("Bea"));
    ASSERT_TRUE(grid->EndCellEdit());
    ASSERT_TRUE(grid->MoveToDisplayCell(3, grid->CurrentDisplayRow()));
    ASSERT_TRUE(grid->EditCurrentCell("7"));
    std::vector<std::string> undos;
    grid->OnUndoCellEdit = [&](TObject*, Integer col, const Variant&, bool, bool&) {
        undos.push_back("cell " + std::to_string(col));
    };
    grid->OnUndoRowEdit = [&](TObject*, const Variant&, bool, bool& cancel) {
        undos.push_back("row");
        cancel = undos.size() < 3;
    };
    // A handler that keeps the edit keeps everything typed.
    esc = VK_ESCAPE;
    grid->ProcessKeyDown(esc, TShiftState());
    EXPECT_EQ(table->State(), dsEdit);
    EXPECT_TRUE(grid->IsCellEditPending());
    esc = VK_ESCAPE;
    grid->ProcessKeyDown(esc, TShiftState());
    EXPECT_EQ(undos, (std::vector<std::string>{"cell 3", "row", "cell 3", "row"}));
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(NameOf(1), "N1");
    EXPECT_EQ(table->FieldByName("Score")->AsInteger(), 99);
    EXPECT_FALSE(grid->IsCellEditPending());

    // A new record with a cell typed into it goes with one Esc.
    table->Last();
    grid->AppendRecord();
    ASSERT_EQ(table->State(), dsInsert);
    ASSERT_TRUE(grid->EditCurrentCell("Zed"));
    grid->OnUndoRowEdit = nullptr;
    esc = VK_ESCAPE;
    grid->ProcessKeyDown(esc, TShiftState());
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(table->RecordCount(), 3);
}

// Ending the row edit checks the record: a changed one is posted, one that
// was only put into edit is left as it was, and an appended record nobody
// filled in is dropped rather than stored empty.
TEST_F(DBGridEdit, EndingTheRowEditPostsOnlyAChangedRecord) {
    int posts = 0;
    table->BeforePost = [&](TDataSet*) { ++posts; };
    table->Edit();
    EXPECT_TRUE(grid->PostEdit());
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(posts, 0);
    table->Last();
    grid->AppendRecord();
    ASSERT_EQ(table->State(), dsInsert);
    EXPECT_FALSE(grid->MayMoveDown());
    EXPECT_TRUE(grid->PostEdit());
    EXPECT_EQ(posts, 0);
    EXPECT_EQ(table->RecordCount(), 3);
    // Once a cell of the new record is edited, Down may leave it.
    grid->AppendRecord();
    ASSERT_TRUE(grid->EditCurrentCell("Yve"));
    EXPECT_TRUE(grid->MayMoveDown());
    EXPECT_TRUE(grid->PostEdit());
    EXPECT_EQ(posts, 1);
    EXPECT_EQ(table->RecordCount(), 4);
    // A record inserted in the middle is not at the end of the data.
    table->First();
    table->Insert();
    EXPECT_TRUE(grid->MayMoveDown());
    table->Cancel();
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

namespace {

using DBGridKeys = DBGridFixture;

TEST_F(DBGridKeys, CtrlDeleteDeletesTheSelectedRecordsAfterAsking) {
    Fill(6);
    Bind();
    auto ids = [&] {
        std::string s;
        for (table->First(); !table->Eof(); table->Next()) s += table->FieldByName("ID")->AsString();
        table->First();
        return s;
    };
    Word16 key = VK_DELETE;
    // Nothing selected: the key goes on.
    grid->ProcessKeyDown(key, TShiftState{ssCtrl});
    EXPECT_EQ(key, VK_DELETE);
    grid->SelectRows(Variant(BookmarkOf(2)), Variant(BookmarkOf(2)), true);
    prompts->Answer(mrCancel, "Delete record?");
    grid->ProcessKeyDown(key, TShiftState{ssCtrl});
    EXPECT_EQ(key, 0);
    EXPECT_EQ(ids(), "123456");
    grid->SelectRows(Variant(BookmarkOf(3)), Variant(BookmarkOf(5)), true);
    prompts->Answer(mrOk, "Delete all selected records?");
    key = VK_DELETE;
    grid->ProcessKeyDown(key, TShiftState{ssCtrl});
    EXPECT_EQ(ids(), "16");
    EXPECT_TRUE(grid->RecordSelectionSet().Empty());
    EXPECT_EQ(prompts->Pending(), 0u);
    // Without confirmation no box is shown.
    grid->SetConfirmDelete(false);
    grid->SelectRows(Variant(BookmarkOf(6)), Variant(BookmarkOf(6)), true);
    key = VK_DELETE;
    grid->ProcessKeyDown(key, TShiftState{ssCtrl});
    EXPECT_EQ(ids(), "1");
}

TEST_F(DBGridKeys, InsertAppendAndEscapeFollowTheGridMode) {
    Fill(2);
    Bind();
    grid->SetGridMode(gmBrowse);
    Word16 key = VK_INSERT;
    grid->ProcessKeyDown(key, TShiftState());
    EXPECT_EQ(table->State(), dsBrowse);
    grid->SetGridMode(gmEdit);
    key = VK_INSERT;
    grid->ProcessKeyDown(key, TShiftState());
    EXPECT_EQ(table->State(), dsInsert);
    key = VK_ESCAPE;
    grid->ProcessKeyDown(key, TShiftState());
    EXPECT_EQ(table->RecordCount(), 2);
    // Down from the last record appends; Esc takes the new record away.
    table->Last();
    key = VK_DOWN;
    grid->ProcessKeyDown(key, TShiftState());
    EXPECT_EQ(table->State(), dsInsert);
    EXPECT_EQ(grid->Rows(), 3);
    key = VK_DOWN;
    grid->ProcessKeyDown(key, TShiftState());
    EXPECT_EQ(table->State(), dsInsert);
    key = VK_ESCAPE;
    grid->ProcessKeyDown(key, TShiftState());
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(table->RecordCount(), 2);
    EXPECT_EQ(grid->Rows(), 2);
}

// F2 opens the editor on the field's text; leaving the record without
// typing keeps the value (the started edit holds nothing to write).
TEST_F(DBGridEdit, AnEditStartedWithoutTypingKeepsTheFieldValue) {
    Word16 f2 = VK_F2;
    grid->ProcessKeyDown(f2, TShiftState());
    ASSERT_TRUE(grid->IsCellEditing());
    EXPECT_EQ(grid->EditControl()->EditBox()->Text(), "N1");
    EXPECT_EQ(NameAt(1), "N1");
    ASSERT_TRUE(grid->PostEdit());
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(NameOf(1), "N1");
}

// A mask that takes digits only and asks for validation.
class DigitsOnlyMask : public TgrEditMask, public TgrMaskValidation {
public:
    bool ValidateInsert(const std::string&, int, int, std::string&) override { return true; }
    unsigned MaskOptions() const override { return grMaskOptionValidate; }
    bool CheckText(const std::string& text, int, std::string&) override {
        for (char ch : text)
            if (ch < '0' || ch > '9') return false;
        return true;
    }
};

class DigitsOnlyDefs : public TgrMaskDefsComponent {
public:
    using TgrMaskDefsComponent::TgrMaskDefsComponent;
    void AddLink(TgrMaskLink* link) override { link->MaskDefsComponent = this; }
    void RemoveLink(TgrMaskLink* link) override { link->MaskDefsComponent = nullptr; }
    TObject* FindMask(const Variant& name) override { return name.AsString() == "digits" ? &Mask : nullptr; }
    DigitsOnlyMask Mask;
};

// Text the cell's mask refuses never reaches the field: a post from
// elsewhere raises the mask error, and leaving the record by a key shows
// it and keeps the edit.
TEST_F(DBGridEdit, TextTheMaskRefusesNeverReachesTheField) {
    DigitsOnlyDefs defs(nullptr);
    grid->SetMaskDefs(&defs);
    grid->Col(2)->SetMaskName("digits");
    for (char ch : std::string("ab")) grid->DoKeyPress(ch);
    ASSERT_TRUE(grid->IsCellEditing());
    try {
        table->Post();
        ADD_FAILURE() << "the refused text was posted";
    } catch (const EtsMaskError& e) {
        EXPECT_NE(std::string(e.what()).find("Invalid value for field 'Name'"), std::string::npos) << e.what();
    }
    EXPECT_EQ(table->State(), dsEdit);
    EXPECT_EQ(table->FieldByName("Name")->AsString(), "N1");
    prompts->Answer(mrOk, "");
    Word16 down = VK_DOWN;
    grid->ProcessKeyDown(down, TShiftState());
    EXPECT_EQ(table->State(), dsEdit);
    EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 1);
    EXPECT_EQ(prompts->Pending(), 0u);
    grid->SetMaskDefs(nullptr);
}

}  // namespace

namespace {

// The in-cell control over a field that cannot be modified takes no typed
// text; over any other field it does.
TEST_F(DBGridEdit, TheEditorOfAFieldThatCannotBeModifiedTakesNoText) {
    table->FieldByName("Score")->SetReadOnly(true);
    TgrEditGridControl* control = grid->EditControl();
    grid->PositionCellControl(control);
    EXPECT_TRUE(control->GetAllowEdit());
    ASSERT_TRUE(grid->MoveToDisplayCell(3, grid->CurrentDisplayRow()));
    grid->PositionCellControl(control);
    EXPECT_FALSE(control->GetAllowEdit());
}

}  // namespace

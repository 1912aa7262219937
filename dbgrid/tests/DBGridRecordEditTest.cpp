#include "dbgrid/tests/DBGridTestSupport.h"

#include <map>

#include "platform/data/DataSet.h"

namespace {

// The Name column of a grid over three students, the record events logged
// with the record they name: "new" for the record not posted yet, else its
// ID.
class DBGridRecordEdit : public DBGridFixture {
protected:
    void SetUp() override {
        DBGridFixture::SetUp();
        Fill(3);
        Bind();
        for (int id = 1; id <= 3; ++id) ids[BookmarkOf(id)] = std::to_string(id);
        MakeCurrent(2, 1);
        grid->OnStartCellEdit = [this](TObject*, Integer col, const Variant& row, bool&) {
            Log("start-cell " + std::to_string(col), row);
        };
        grid->OnStartRowEdit = [this](TObject*, const Variant& row, bool&) { Log("start-row", row); };
        grid->OnCellEdit = [this](TObject*, Integer col, const Variant& row, bool) {
            Log("edit " + std::to_string(col), row);
        };
        grid->OnEndCellEdit = [this](TObject*, Integer col, const Variant& row, bool&) {
            Log("end-cell " + std::to_string(col), row);
        };
        grid->OnEndRowEdit = [this](TObject*, const Variant& row, bool&) { Log("end-row", row); };
        grid->OnInsertRow = [this](TObject*, const Variant& row, bool) { Log("insert-row", row); };
        table->AfterPost = [this](TDataSet*) { events.push_back("posted"); };
    }
    void MakeCurrent(Integer displayCol, Integer displayRow) {
        ASSERT_TRUE(grid->CanSelectCell(displayCol, displayRow));
        grid->MoveCurrentCell(displayCol, displayRow, false, true);
        grid->ChangeCurrentCell(displayCol, displayRow);
    }
    void Log(const std::string& what, const Variant& row) {
        std::string name = "?";
        if (row.IsString()) name = row.AsString().empty() ? "new" : ids[row.AsString()];
        events.push_back(what + " " + name);
    }
    void Key(Word16 key) { grid->ProcessKeyDown(key, TShiftState()); }
    std::string Events() {
        std::string s;
        for (const std::string& e : events) s += (s.empty() ? "" : ", ") + e;
        events.clear();
        return s;
    }
    std::string NamesInOrder() {
        std::string s;
        std::string back = table->GetBookmark();
        for (table->First(); !table->Eof(); table->Next())
            s += (s.empty() ? "" : ",") + table->FieldByName("Name")->AsString();
        table->GotoBookmark(back);
        return s;
    }
    std::vector<std::string> events;
    // The records' ids by bookmark: a handler that moved the dataset to
    // look would post the record being edited.
    std::map<std::string, std::string> ids;
};

// A new record begun from the keyboard (Down past the last record, Ins on
// the second) is filled through the grid and posted when the row is left:
// the edit events name the new record, in the grid class's order, and no
// row event of an unbound grid fires.
TEST_F(DBGridRecordEdit, AppendAndInsertThroughTheGridPostWithTheEditEventsInOrder) {
    struct Case {
        const char* name;
        int startRow;
        Word16 begin, leave;
        const char* names;
    } cases[] = {
        {"append", 3, VK_DOWN, VK_UP, "N1,N2,N3,New"},
        {"insert", 2, VK_INSERT, VK_DOWN, "N1,New,N2,N3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        MakeCurrent(2, c.startRow);
        events.clear();
        Key(c.begin);
        ASSERT_EQ(table->State(), dsInsert);
        EXPECT_EQ(grid->Rows(), 4);
        ASSERT_TRUE(grid->EditCurrentCell("New"));
        Key(c.leave);
        EXPECT_EQ(table->State(), dsBrowse);
        EXPECT_EQ(NamesInOrder(), c.names);
        EXPECT_EQ(Events(), "start-cell 2 new, start-row new, edit 2 new, end-cell 2 new, end-row new, posted");
    }
}

// A post the dataset refuses keeps the new record in insert with what was
// typed; the user sees the error, corrects the value and leaves.
TEST_F(DBGridRecordEdit, AFailedPostOfANewRecordKeepsItsEdit) {
    table->BeforePost = [](TDataSet* ds) {
        if (ds->FieldByName("Name")->AsString() == "Bad") throw Exception("Name is not allowed");
    };
    prompts->Answer(mrOk, "Name is not allowed");
    MakeCurrent(2, 3);
    Key(VK_DOWN);
    ASSERT_TRUE(grid->EditCurrentCell("Bad"));
    events.clear();
    EXPECT_FALSE(grid->PostEdit());
    EXPECT_EQ(prompts->Texts(), std::vector<std::string>{"Name is not allowed"});
    EXPECT_EQ(table->State(), dsInsert);
    EXPECT_EQ(table->FieldByName("Name")->AsString(), "Bad");
    EXPECT_EQ(Events(), "end-cell 2 new, end-row new");
    ASSERT_TRUE(grid->EditCurrentCell("Good"));
    Key(VK_UP);
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(NamesInOrder(), "N1,N2,N3,Good");
}

// The record counts as unchanged until its values were put while it was
// modified: one only put into edit is not posted, an appended one nobody
// filled in is dropped, and one whose cell was typed into is posted.
TEST_F(DBGridRecordEdit, OnlyAChangedRecordIsPosted) {
    bool unchangedAtEnd = false;
    table->BeforePost = [&](TDataSet*) { unchangedAtEnd = grid->IsRecordUnchanged(); };
    ASSERT_TRUE(grid->StartFieldEdit(2));
    EXPECT_TRUE(grid->IsRecordUnchanged());
    EXPECT_TRUE(grid->PostEdit());
    EXPECT_EQ(Events(), "end-row 1");
    MakeCurrent(2, 3);
    Key(VK_DOWN);
    ASSERT_EQ(table->State(), dsInsert);
    EXPECT_TRUE(grid->PostEdit());
    EXPECT_EQ(table->RecordCount(), 3);
    EXPECT_EQ(Events(), "end-row new");
    ASSERT_TRUE(grid->EditCurrentCell("Ann"));
    EXPECT_TRUE(grid->PostEdit());
    EXPECT_FALSE(unchangedAtEnd);
    EXPECT_EQ(NamesInOrder(), "N1,N2,Ann");
    // Posted or cancelled, the next record starts unchanged again.
    EXPECT_TRUE(grid->IsRecordUnchanged());
}

// Esc on a new record the user typed into cancels it: the dataset never
// posts and the record is gone.
TEST_F(DBGridRecordEdit, EscapeDropsANewRecordThatWasTypedInto) {
    MakeCurrent(2, 3);
    Key(VK_DOWN);
    ASSERT_TRUE(grid->EditCurrentCell("Tmp"));
    ASSERT_TRUE(grid->EndCellEdit());
    EXPECT_FALSE(grid->IsRecordUnchanged());
    Key(VK_ESCAPE);
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(NamesInOrder(), "N1,N2,N3");
    EXPECT_EQ(grid->Rows(), 3);
    EXPECT_EQ(events.back().rfind("posted", 0), std::string::npos);
}

// Draw information names a record row by its record, whose fields the
// handler reads meanwhile; an unbound grid's rows by number.
TEST_F(DBGridRecordEdit, DrawInfoNamesRowsByRecord) {
    std::vector<std::string> seen;
    grid->OnGetDrawInfo = [&](TObject*, Integer col, const Variant& row, TgrDrawInfo&) {
        if (col != 2) return;
        if (!row.IsString()) seen.push_back("row " + std::to_string(row.AsInteger()));
        else seen.push_back(ids[row.AsString()] + "=" + table->FieldByName("Name")->AsString());
    };
    grid->Repaint();
    EXPECT_NE(std::find(seen.begin(), seen.end(), "2=N2"), seen.end());
    EXPECT_NE(std::find(seen.begin(), seen.end(), "3=N3"), seen.end());
    seen.clear();
    grid->SetDataSource(nullptr);
    grid->Repaint();
    EXPECT_NE(std::find(seen.begin(), seen.end(), "row 2"), seen.end());
}

// Bound, gmEditInsert gives way to gmEdit (the standard window has no
// insert row) and riOn to riAutoReset; a memory table cannot take the
// engine-cursor window.
TEST_F(DBGridRecordEdit, TheDatasetDecidesTheWindowAndTheGridMode) {
    grid->SetDataSource(nullptr);
    grid->SetGridMode(gmEditInsert);
    grid->SetRowChangedIndicator(riOn);
    Bind();
    EXPECT_EQ(grid->DatasetType(), dstStandard);
    EXPECT_EQ(grid->GridMode(), gmEdit);
    EXPECT_EQ(grid->RowChangedIndicator(), riAutoReset);
    EXPECT_TRUE(TgrCustomDBGrid::IsDatasetTypeAllowed(dstBDE, nullptr));
    EXPECT_TRUE(TgrCustomDBGrid::IsDatasetTypeAllowed(dstStandard, table));
    EXPECT_FALSE(TgrCustomDBGrid::IsDatasetTypeAllowed(dstBDE, table));
    EXPECT_THROW(grid->CheckBookmarkValue(Variant(Integer(3))), EInvalidGridOperation);
    EXPECT_TRUE(grid->CheckBookmarkValue(Variant(BookmarkOf(1))));
}

}  // namespace

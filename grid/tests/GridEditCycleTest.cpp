// The cell and row edit life cycle of the grid class: typing starts a cell
// and a row edit, leaving the cell or the row ends them, Esc undoes them;
// every step fires an event the owner may cancel.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "grid/TSGrid.h"
#include "grid/tests/GridClassSupport.h"
#include "platform/gui/Forms.h"

namespace {

class EditGrid : public TLogGrid {
public:
    using TLogGrid::TLogGrid;
    using TCustomGrid_ts::DoKeyDown;
    using TgrBaseGrid::DoKeyPress;
};

// A 4 x 5 grid that stores its values ("c,r" in every cell), on a shown
// form; the events are written to a log as they fire.
class GridEditCycle : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        form = new TForm(Application);
        form->SetBounds(0, 0, 500, 400);
        grid = new EditGrid(form);
        grid->SetParent(form);
        grid->SetBounds(0, 0, 400, 200);
        grid->SetCols(4);
        grid->SetRows(5);
        grid->SetStoreData(true);
        for (Integer c = 1; c <= 4; ++c)
            for (Integer r = 1; r <= 5; ++r) grid->PutCellValue(c, r, Variant(Text(c, r)));
        form->Show();
        grid->SetFocus();
        auto at = [](Integer c, Integer r) { return std::to_string(c) + "," + std::to_string(r); };
        grid->OnStartCellEdit = [&, at](TObject*, Integer c, Integer r, bool& cancel) {
            log += "startCell " + at(c, r) + ";";
            cancel = cancelStartCell;
        };
        grid->OnStartRowEdit = [&](TObject*, Integer r, bool& cancel) {
            log += "startRow " + std::to_string(r) + ";";
            cancel = cancelStartRow;
        };
        grid->OnCellEdit = [&, at](TObject*, Integer c, Integer r, bool) { log += "edit " + at(c, r) + ";"; };
        grid->OnEndCellEdit = [&, at](TObject*, Integer c, Integer r, bool& cancel) {
            log += "endCell " + at(c, r) + ";";
            if (throwEndCell) throw std::runtime_error("refused");
            cancel = cancelEndCell;
        };
        grid->OnEndRowEdit = [&](TObject*, Integer r, bool& cancel) {
            log += "endRow " + std::to_string(r) + ";";
            cancel = cancelEndRow;
        };
        grid->OnUndoCellEdit = [&, at](TObject*, Integer c, Integer r, bool, bool& cancel) {
            log += "undoCell " + at(c, r) + ";";
            cancel = cancelUndoCell;
        };
        grid->OnUndoRowEdit = [&](TObject*, Integer r, bool, bool& cancel) {
            log += "undoRow " + std::to_string(r) + ";";
            cancel = cancelUndoRow;
        };
    }
    void TearDown() override { Application->ResetForTesting(); }
    static std::string Text(Integer c, Integer r) { return std::to_string(c) + "," + std::to_string(r); }
    void Key(Word16 k, TShiftState s = {}) { grid->DoKeyDown(k, s); }
    void Type(const std::string& s) {
        for (char ch : s) grid->DoKeyPress(ch);
    }
    std::string Value(Integer c, Integer r) { return grid->GetCellValue(c, r).AsString(); }
    std::string Take() {
        std::string s = log;
        log.clear();
        return s;
    }
    TForm* form = nullptr;
    EditGrid* grid = nullptr;
    std::string log;
    bool cancelStartCell = false, cancelStartRow = false, cancelEndCell = false, cancelEndRow = false;
    bool cancelUndoCell = false, cancelUndoRow = false, throwEndCell = false;
};

}  // namespace

TEST_F(GridEditCycle, LeavingTheCellEndsTheCellEditLeavingTheRowEndsTheRowEdit) {
    Type("a");
    EXPECT_EQ(Take(), "startCell 1,1;startRow 1;edit 1,1;");
    EXPECT_TRUE(grid->IsCellEditing());
    EXPECT_TRUE(grid->IsRowEditing());
    EXPECT_TRUE(grid->IsRowModified());

    Key(VK_TAB);  // same row: only the cell edit ends
    EXPECT_EQ(Take(), "endCell 1,1;");
    EXPECT_FALSE(grid->IsCellEditing());
    EXPECT_TRUE(grid->IsRowEditing());
    EXPECT_TRUE(grid->IsCellModified());
    EXPECT_EQ(Value(1, 1), "a");

    Type("b");  // a second cell of the running row edit starts no row edit
    EXPECT_EQ(Take(), "startCell 2,1;edit 2,1;");
    Key(VK_DOWN);  // another row: the cell and then the row edit end
    EXPECT_EQ(Take(), "endCell 2,1;endRow 1;");
    EXPECT_FALSE(grid->IsRowEditing());
    EXPECT_FALSE(grid->IsRowModified());
    EXPECT_EQ(grid->CurrentDataRow(), 2);
    // With the changed-row indicator on, the edited row stays marked.
    EXPECT_TRUE(grid->IsRowChanged(1));
    EXPECT_FALSE(grid->IsRowChanged(2));
    EXPECT_EQ(Value(2, 1), "b");
}

TEST_F(GridEditCycle, CancelledStartsLeaveNoEditRunning) {
    struct Case {
        const char* name;
        bool cancelCell, cancelRow;
        std::string events;
    } cases[] = {
        {"start cell cancelled", true, false, "startCell 1,1;"},
        {"start row cancelled", false, true, "startCell 1,1;startRow 1;"},
    };
    for (const Case& c : cases) {
        cancelStartCell = c.cancelCell;
        cancelStartRow = c.cancelRow;
        Type("x");
        EXPECT_EQ(Take(), c.events) << c.name;
        EXPECT_FALSE(grid->IsCellEditing()) << c.name;
        EXPECT_FALSE(grid->IsRowEditing()) << c.name;
        EXPECT_FALSE(grid->IsRowModified()) << c.name;
        EXPECT_EQ(Value(1, 1), "1,1") << c.name;
    }
}

TEST_F(GridEditCycle, RefusedEndsKeepTheEditAndTheCurrentCell) {
    Type("a");
    Take();
    cancelEndCell = true;
    Key(VK_TAB);
    EXPECT_EQ(Take(), "endCell 1,1;");
    EXPECT_TRUE(grid->IsCellEditing());
    EXPECT_EQ(grid->CurrentDataCol(), 1);

    // A handler that raises refuses too, and the exception stays inside.
    cancelEndCell = false;
    throwEndCell = true;
    EXPECT_NO_THROW(Key(VK_TAB));
    EXPECT_TRUE(grid->IsCellEditing());
    EXPECT_EQ(grid->CurrentDataCol(), 1);
    throwEndCell = false;
    Take();

    cancelEndRow = true;
    Key(VK_DOWN);
    EXPECT_EQ(Take(), "endCell 1,1;endRow 1;");
    EXPECT_FALSE(grid->IsCellEditing());
    EXPECT_TRUE(grid->IsRowEditing());
    EXPECT_EQ(grid->CurrentDataRow(), 1);
    EXPECT_FALSE(grid->IsRowChanged(1));
}

TEST_F(GridEditCycle, EscUndoesTheCellThenTheRow) {
    // During the first cell edit of a row, one Esc undoes cell and row.
    Type("a");
    Take();
    Key(VK_ESCAPE);
    EXPECT_EQ(Take(), "undoCell 1,1;undoRow 1;");
    EXPECT_FALSE(grid->IsCellEditing());
    EXPECT_FALSE(grid->IsRowEditing());
    EXPECT_FALSE(grid->IsRowModified());
    EXPECT_EQ(Value(1, 1), "1,1");

    // After a finished cell edit, Esc undoes only the running cell edit;
    // the next Esc undoes the row and brings back every stored value.
    Type("a");
    Key(VK_TAB);
    Type("b");
    Take();
    Key(VK_ESCAPE);
    EXPECT_EQ(Take(), "undoCell 2,1;");
    EXPECT_EQ(Value(2, 1), "2,1");
    EXPECT_EQ(Value(1, 1), "a");
    EXPECT_TRUE(grid->IsRowEditing());
    Key(VK_ESCAPE);
    EXPECT_EQ(Take(), "undoRow 1;");
    EXPECT_EQ(Value(1, 1), "1,1");
    EXPECT_FALSE(grid->IsRowEditing());
    Key(VK_DOWN);
    EXPECT_FALSE(grid->IsRowChanged(1));
}

TEST_F(GridEditCycle, ForcedAndCancelledUndo) {
    Type("a");
    Key(VK_TAB);
    Type("b");
    Take();
    bool undone = false, kept = false;
    // Cancelling the cell undo skips the row undo and changes nothing.
    cancelUndoCell = true;
    EXPECT_FALSE(grid->UndoEdit(true, true, undone, kept));
    EXPECT_EQ(Take(), "undoCell 2,1;");
    EXPECT_TRUE(grid->IsCellEditing());
    EXPECT_TRUE(grid->IsRowEditing());
    EXPECT_EQ(Value(2, 1), "b");

    // A cancelled row undo leaves the flags as they were too.
    cancelUndoCell = false;
    cancelUndoRow = true;
    EXPECT_FALSE(grid->UndoEdit(true, true, undone, kept));
    EXPECT_EQ(Take(), "undoCell 2,1;undoRow 1;");
    EXPECT_TRUE(grid->IsCellEditing());
    EXPECT_TRUE(grid->IsRowEditing());

    // Forced, both undo at once although an earlier cell edit finished.
    cancelUndoRow = false;
    EXPECT_TRUE(grid->UndoEdit(true, true, undone, kept));
    EXPECT_TRUE(undone);
    EXPECT_EQ(Take(), "undoCell 2,1;undoRow 1;");
    EXPECT_EQ(Value(1, 1), "1,1");
    EXPECT_EQ(Value(2, 1), "2,1");
    EXPECT_FALSE(grid->IsCellEditing());
    EXPECT_FALSE(grid->IsRowEditing());

    // Nothing to undo: no event.
    EXPECT_TRUE(grid->UndoEdit(false, true, undone, kept));
    EXPECT_FALSE(undone);
    EXPECT_EQ(Take(), "");
}

TEST_F(GridEditCycle, GridStatusChangesAreReportedOnceAndDropTheEditValue) {
    std::string statuses;
    grid->OnGridStatusChanged = [&](TObject*, TgrGridStatus o, TgrGridStatus n) {
        statuses += std::to_string(int(o)) + ">" + std::to_string(int(n)) + ";";
    };
    Type("a");
    ASSERT_TRUE(grid->CurrentCell()->HasValueFor(1, 1));
    grid->SetGridStatus(grsColsSelected);
    grid->CheckGridStatusChanged();  // nothing new to report
    EXPECT_FALSE(grid->CurrentCell()->HasValueFor(1, 1));
    EXPECT_EQ(grid->EditSelectMode(), 0);
    grid->SetGridStatus(grsNormal);
    EXPECT_EQ(statuses, "0>1;1>0;");
}

// The cell and row edit life cycle of the grid class: typing starts a cell
// and a row edit, leaving the cell or the row ends them, Esc undoes them;
// every step fires an event the owner may cancel.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "grid/GridEditBox.h"
#include "grid/GridMaskCheck.h"
#include "grid/TSGrid.h"
#include "grid/tests/GridClassSupport.h"
#include "platform/gui/Forms.h"

namespace {

class EditGrid : public TLogGrid {
public:
    using TLogGrid::TLogGrid;
    using TCustomGrid_ts::DoKeyDown;
    using TgrBaseGrid::DoKeyPress;
    // What a descendant is told, in order.
    std::string Told;
    bool AcceptInvalidMask = false;

protected:
    void FireInsertRow(Integer r, bool) override { Told += "insert " + std::to_string(r) + ";"; }
    void FireDeleteRow(Integer r, bool) override { Told += "delete " + std::to_string(r) + ";"; }
    void DoRowChanged(const Variant& o, const Variant& n) override {
        Told += "row " + o.AsString() + ">" + n.AsString() + ";";
    }
    void DoCellChanged(Integer oc, Integer nc, const Variant& o, const Variant& n) override {
        Told += "cell " + std::to_string(oc) + "," + o.AsString() + ">" + std::to_string(nc) + "," + n.AsString() + ";";
    }
    void FireInvalidMaskValue(bool& accept) override {
        Told += "invalid;";
        accept = AcceptInvalidMask;
    }
};

// A mask that takes digits only and completes a two-digit value with "00".
class DigitsMask : public TgrEditMask, public TgrMaskValidation {
public:
    unsigned Options = grMaskOptionValidate;
    bool ValidateInsert(const std::string&, int, int, std::string&) override { return true; }
    unsigned MaskOptions() const override { return Options; }
    bool CheckText(const std::string& text, int position, std::string& completion) override {
        Positions.push_back(position);
        for (char ch : text)
            if (ch < '0' || ch > '9') return false;
        if (text.size() == 2) completion = "00";
        return true;
    }
    std::vector<int> Positions;
};

class DigitsMaskDefs : public TgrMaskDefsComponent {
public:
    using TgrMaskDefsComponent::TgrMaskDefsComponent;
    void AddLink(TgrMaskLink* link) override { link->MaskDefsComponent = this; }
    void RemoveLink(TgrMaskLink* link) override { link->MaskDefsComponent = nullptr; }
    TObject* FindMask(const Variant& name) override { return name.AsString() == "digits" ? &Mask : nullptr; }
    DigitsMask Mask;
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
    grid->SetGridStatus(gsColsSelected);
    grid->CheckGridStatusChanged();  // nothing new to report
    EXPECT_FALSE(grid->CurrentCell()->HasValueFor(1, 1));
    EXPECT_EQ(grid->EditSelectMode(), 0);
    grid->SetGridStatus(gsNormal);
    EXPECT_EQ(statuses, "0>1;1>0;");
}

TEST_F(GridEditCycle, TheInsertRowBecomesARowOnlyWhenEdited) {
    grid->SetGridMode(gmEditInsert);
    ASSERT_EQ(grid->Rows(), 5);
    ASSERT_EQ(grid->RowCount(), 7);  // heading, five rows, the insert row
    std::string counts;
    grid->OnRowCountChanged = [&](TObject*, Integer o, Integer n) {
        counts += std::to_string(o) + ">" + std::to_string(n) + ";";
    };
    auto told = [&] {
        std::string s = counts + grid->Told;
        counts.clear();
        grid->Told.clear();
        return s;
    };
    grid->MoveToDisplayCell(1, 5);
    told();

    // Entering it makes a provisional row; leaving it unedited takes it back.
    Key(VK_DOWN);
    EXPECT_EQ(grid->CurrentDisplayRow(), 6);
    EXPECT_EQ(grid->Rows(), 6);
    EXPECT_EQ(grid->RowCount(), 7);
    EXPECT_TRUE(grid->IsInsertRowPos(6));
    EXPECT_EQ(told(), "5>6;insert 6;row 5>6;cell 1,5>1,6;");
    Key(VK_UP);
    EXPECT_EQ(grid->Rows(), 5);
    EXPECT_EQ(grid->RowCount(), 7);
    EXPECT_EQ(told(), "6>5;delete 6;row 6>5;cell 1,6>1,5;");

    // The first edit keeps the row and shows a new insert row below it.
    Key(VK_DOWN);
    Type("z");
    EXPECT_TRUE(grid->IsInsertRowInUse());
    EXPECT_EQ(grid->Rows(), 6);
    EXPECT_EQ(grid->RowCount(), 8);
    // One Esc undoes the edit and leaves the row: the new insert row goes,
    // the provisional row turns back into the insert row.
    told();
    Key(VK_ESCAPE);
    EXPECT_FALSE(grid->IsInsertRowInUse());
    EXPECT_FALSE(grid->IsCellEditing());
    EXPECT_EQ(grid->Rows(), 5);
    EXPECT_EQ(grid->RowCount(), 7);
    EXPECT_EQ(grid->CurrentDisplayRow(), 5);
    EXPECT_TRUE(grid->IsInsertRowPos(6));
    EXPECT_EQ(told(), "6>5;delete 6;row 6>5;cell 1,6>1,5;");

    // A refused undo keeps the edit and the row.
    Key(VK_DOWN);
    Type("y");
    cancelUndoCell = true;
    Key(VK_ESCAPE);
    EXPECT_TRUE(grid->IsInsertRowInUse());
    EXPECT_EQ(grid->CurrentDisplayRow(), 6);
    EXPECT_EQ(grid->RowCount(), 8);
    cancelUndoCell = false;
    Key(VK_ESCAPE);
    EXPECT_EQ(grid->Rows(), 5);
    told();

    // An edit that is kept makes a row for good.
    Key(VK_DOWN);
    Type("z");
    Key(VK_UP);
    EXPECT_EQ(grid->Rows(), 6);
    EXPECT_EQ(grid->RowCount(), 8);
    EXPECT_EQ(Value(1, 6), "z");
    EXPECT_TRUE(grid->IsRowChanged(6));

    // The current cell's own call lands on the insert row too.
    grid->CurrentCell()->MoveToInsertRow(2);
    EXPECT_EQ(grid->CurrentDisplayRow(), 7);
    EXPECT_EQ(grid->Rows(), 7);
}

TEST_F(GridEditCycle, AMaskThatAsksForValidationChecksTheEndOfTheCellEdit) {
    DigitsMaskDefs defs(nullptr);
    grid->SetMaskDefs(&defs);
    grid->Col(1)->SetMaskName("digits");
    struct Case {
        const char* name;
        const char* typed;
        unsigned options;
        bool acceptInvalid;
        bool leaves;
        const char* told;
        const char* stored;
    } cases[] = {
        {"digits completed", "12", grMaskOptionValidate, false, true, "", "1200"},
        {"letters refused", "ab", grMaskOptionValidate, false, false, "invalid;", "ab"},
        {"letters accepted by the owner", "ab", grMaskOptionValidate, true, true, "invalid;", "ab"},
        {"no validation asked", "ab", 0, false, true, "", "ab"},
    };
    for (const Case& c : cases) {
        grid->MoveToDisplayCell(1, 1);
        defs.Mask.Options = c.options;
        grid->AcceptInvalidMask = c.acceptInvalid;
        grid->Told.clear();
        Type(c.typed);
        EXPECT_EQ(grid->EditControl()->GetMaskName(), "digits") << c.name;
        Key(VK_TAB);
        EXPECT_EQ(grid->Told.substr(0, grid->Told.find("cell")), c.told) << c.name;
        EXPECT_EQ(grid->CurrentDataCol() == 2, c.leaves) << c.name;
        EXPECT_EQ(Value(1, 1), c.stored) << c.name;
        if (!c.leaves) {
            bool undone = false, kept = false;
            grid->UndoEdit(true, true, undone, kept);
        }
        grid->PutCellValue(1, 1, Variant(std::string("1,1")));
    }
    // The position is the one after the text, counted in characters.
    grid->MoveToDisplayCell(1, 1);
    defs.Mask.Positions.clear();
    defs.Mask.Options = grMaskOptionValidate;
    grid->AcceptInvalidMask = true;
    Type("\xc3\xa9");
    Key(VK_TAB);
    ASSERT_FALSE(defs.Mask.Positions.empty());
    EXPECT_EQ(defs.Mask.Positions.back(), 2);
    grid->SetMaskDefs(nullptr);
}

TEST_F(GridEditCycle, CurrentCellAndMouseStatusChangesAreReportedOnce) {
    std::string cols;
    grid->OnColChanged = [&](TObject*, Integer o, Integer n) {
        cols += std::to_string(o) + ">" + std::to_string(n) + ";";
    };
    Key(VK_TAB);
    EXPECT_EQ(cols, "1>2;");
    EXPECT_EQ(grid->Told, "cell 1,1>2,1;");
    grid->Told.clear();
    Key(VK_DOWN);
    grid->ChangeCurrentCell(2, 2);  // already there: nothing new
    EXPECT_EQ(grid->Told, "row 1>2;cell 2,1>2,2;");
    EXPECT_EQ(cols, "1>2;");

    std::string statuses;
    grid->OnMouseStatusChanged = [&](TObject*, TgrMouseStatus o, TgrMouseStatus n) {
        statuses += std::to_string(int(o)) + ">" + std::to_string(int(n)) + ";";
    };
    struct Case {
        TgrMouseStatus status;
        bool repaintsCurrent;
    } cases[] = {{msCellSelect, true}, {msCellSelect, false}, {msColResize, false}, {msNone, false}};
    for (const Case& c : cases) {
        grid->Take();
        grid->SetMouseStatus(c.status);
        EXPECT_EQ(grid->Take().find("cell 2,2") != std::string::npos, c.repaintsCurrent) << int(c.status);
    }
    EXPECT_EQ(statuses, "0>3;3>6;6>0;");
}

TEST_F(GridEditCycle, LoadingTheEditorPlacesTheSelectionByTheEditSelectMode) {
    Key(VK_F2);
    ASSERT_TRUE(grid->EditControl()->GetVisible());
    struct Case {
        Byte mode;
        const char* value;
        const char* text;
        int selStart, selLength;
    } cases[] = {
        {0, "hello", "hello", 0, 5},
        {2, "abc", "abc", 3, 0},
        // Empty loads the text cell's default, which selects nothing.
        {0, "", "", 0, 0},
    };
    for (const Case& c : cases) {
        grid->SetEditSelectMode(c.mode);
        grid->LoadEditorValue(*c.value ? Variant(std::string(c.value)) : Variant(), false, false);
        EXPECT_EQ(grid->EditControl()->GetValue().AsString(), c.text) << c.value;
        EXPECT_EQ(grid->EditControl()->GetSelStart(), c.selStart) << c.value;
        EXPECT_EQ(grid->EditControl()->GetSelLength(), c.selLength) << c.value;
        EXPECT_EQ(grid->EditSelectMode(), 1) << c.value;
    }
    // Nothing is loaded where the grid can neither edit nor browse.
    Key(VK_ESCAPE);
    grid->SetGridMode(gmListBox);
    grid->LoadEditorValue(Variant(std::string("listed")), false, false);
    EXPECT_NE(grid->EditControl()->GetValue().AsString(), "listed");
}

TEST_F(GridEditCycle, InCellControlNotificationsReachTheGrid) {
    // Typing into the control itself edits once, with one start.
    Key(VK_F2);
    Take();
    char ch = 'q';
    grid->EditControl()->EditBox()->DoKeyPress(ch);
    EXPECT_EQ(Take(), "edit 1,1;");

    struct Case {
        const char* name;
        Word16 key;
        bool wanted;
    } cases[] = {{"Esc while editing", VK_ESCAPE, true}, {"another key", 'A', true}};
    for (const Case& c : cases) {
        bool wanted = false;
        grid->HandleControlWantKey(nullptr, c.key, wanted);
        EXPECT_EQ(wanted, c.wanted) << c.name;
    }
    Key(VK_ESCAPE);
    bool wanted = true;
    grid->HandleControlWantKey(nullptr, VK_ESCAPE, wanted);
    EXPECT_FALSE(wanted);

    // Mouse events of the control arrive in the grid's coordinates.
    Key(VK_F2);
    TPoint at;
    grid->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) { at = TPoint(x, y); };
    TgrGridControl* box = grid->EditControl()->Window();
    box->MouseDown(mbRight, {}, 3, 4);
    EXPECT_EQ(at.X, box->Left() + 3);
    EXPECT_EQ(at.Y, box->Top() + 4);
}

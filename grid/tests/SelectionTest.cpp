#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <string>

#include "grid/GridColRow.h"
#include "grid/GridSelection.h"
#include "grid/TSGrid.h"
#include "grid/tests/GridClassSupport.h"
#include "platform/gui/Clipboard.h"
#include "platform/gui/Forms.h"

namespace {

// A selection of the given size with the given members.
TgrSelection Make(Integer size, std::set<Integer> members) {
    TgrSelection s;
    s.SetSize(size);
    for (Integer i : members) s.SetSelected(i, true);
    return s;
}

// count equals the set bits (index 0 included), first and last the extremes.
void ExpectConsistent(const TgrSelection& s, Integer first, Integer last, Integer count) {
    EXPECT_EQ(s.First(), first);
    EXPECT_EQ(s.Last(), last);
    EXPECT_EQ(s.Count(), count);
}

// ------------------------------------------------------------ selection set

TEST(Selection, AnswersMembershipWalksAndCountsOverATableOfRanges) {
    TgrSelection s = Make(10, {3, 5, 8});
    ExpectConsistent(s, 3, 8, 3);
    EXPECT_FALSE(s.IsSelected(2));
    EXPECT_TRUE(s.IsSelected(5));
    EXPECT_FALSE(s.IsSelected(10));
    EXPECT_FALSE(s.IsSelected(-1));

    EXPECT_EQ(s.NextSelected(0), 3);
    EXPECT_EQ(s.NextSelected(3), 5);
    EXPECT_EQ(s.NextSelected(8), -1);
    EXPECT_EQ(s.PrevSelected(9), 8);
    EXPECT_EQ(s.PrevSelected(5), 3);
    EXPECT_EQ(s.PrevSelected(3), -1);

    struct Case {
        Integer a, b, expected;
    } cases[] = {
        {1, 9, 3}, {2, 5, 2}, {5, 2, 2}, {4, 4, 0}, {5, 5, 1}, {9, 20, 0},
        {-3, 3, 1}, {6, 7, 0}, {0, 100, 3}, {4, 8, 2}, {8, 8, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(s.CountSelected(c.a, c.b), c.expected) << c.a << ".." << c.b;

    TgrSelection empty = Make(10, {});
    EXPECT_EQ(empty.NextSelected(0), -1);
    EXPECT_EQ(empty.PrevSelected(9), -1);
    EXPECT_EQ(empty.CountSelected(1, 9), 0);
}

TEST(Selection, IndexZeroIsNeverAnsweredAsSelected) {
    TgrSelection s = Make(5, {0, 2});
    EXPECT_FALSE(s.IsSelected(0));
    EXPECT_TRUE(s.IsSelected(2));
    EXPECT_EQ(s.CountSelected(0, 4), 1);
}

TEST(Selection, DeselectingAnEndMovesFirstOrLastToTheNextMember) {
    TgrSelection s = Make(10, {3, 5, 8});
    s.SetSelected(3, false);
    ExpectConsistent(s, 5, 8, 2);
    s.SetSelected(8, false);
    ExpectConsistent(s, 5, 5, 1);
    EXPECT_FALSE(s.SetSelected(8, false));  // no change
    s.SetSelected(5, false);
    ExpectConsistent(s, -1, -1, 0);
    EXPECT_FALSE(s.SetSelected(10, true));  // outside the size
    s.SetSelected(7, true);
    s.SetSelected(2, true);
    ExpectConsistent(s, 2, 7, 2);
    s.Clear();
    ExpectConsistent(s, -1, -1, 0);
    EXPECT_EQ(s.GetSize(), 10);
}

TEST(Selection, ShrinkingDropsMembersBeyondTheNewSize) {
    struct Case {
        Integer newSize, first, last, count;
    } cases[] = {
        {9, 3, 8, 3}, {8, 3, 5, 2}, {6, 3, 5, 2}, {5, 3, 3, 1}, {3, -1, -1, 0}, {0, -1, -1, 0},
    };
    for (const Case& c : cases) {
        TgrSelection s = Make(10, {3, 5, 8});
        s.SetSize(c.newSize);
        SCOPED_TRACE(c.newSize);
        ExpectConsistent(s, c.first, c.last, c.count);
        EXPECT_EQ(s.GetSize(), c.newSize);
    }
    // Growing keeps the members and adds unselected indexes.
    TgrSelection s = Make(4, {2});
    s.SetSize(8);
    ExpectConsistent(s, 2, 2, 1);
    EXPECT_FALSE(s.IsSelected(7));
}

TEST(Selection, ShrinkingPastASetBitZeroKeepsTheCountExact) {
    TgrSelection s = Make(5, {0, 3});
    s.SetSize(0);
    ExpectConsistent(s, -1, -1, 0);
}

TEST(Selection, AssignTakesTheOtherSetAndTellsWhetherABitChanged) {
    TgrSelection a = Make(6, {}), b = Make(8, {});
    EXPECT_FALSE(a.Assign(b));  // neither had a member
    EXPECT_EQ(a.GetSize(), 8);

    TgrSelection c = Make(8, {2, 6});
    EXPECT_TRUE(a.Assign(c));
    ExpectConsistent(a, 2, 6, 2);
    EXPECT_TRUE(a.IsSelected(6));
    EXPECT_FALSE(a.Assign(c));  // same bits

    EXPECT_TRUE(a.Assign(b));  // members removed
    ExpectConsistent(a, -1, -1, 0);
}

TEST(Selection, MoveCarriesTheBitWithTheIndex) {
    TgrSelection s = Make(6, {1, 4});
    s.Move(4, 2);  // 1, 2 (moved), 3, 4 <- old 3 ...
    EXPECT_TRUE(s.IsSelected(1));
    EXPECT_TRUE(s.IsSelected(2));
    EXPECT_FALSE(s.IsSelected(4));
    ExpectConsistent(s, 1, 2, 2);
}

// ------------------------------------------------------------ the grid

class GridSelection : public ::testing::Test {
protected:
    GridSelection() {
        EnsureGuiApplication();
        grid = std::make_unique<TLogGrid>(nullptr);
        grid->SetName("Grid1");
        grid->SetStoreData(true);
        grid->Take();
    }
    TgrCurrentCell* cell() { return grid->CurrentCell(); }
    std::unique_ptr<TLogGrid> grid;
};

std::string GridErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EInvalidGridOperation& e) {
        return e.Message;
    }
    return "(none)";
}

std::string Text(const Variant& v) { return v.IsString() ? v.AsString() : std::string("<") + std::to_string(v.Type()) + ">"; }

TEST_F(GridSelection, SelectionsAreSizedToTheDisplayCountsAndFollowThem) {
    EXPECT_EQ(grid->RowSelection()->GetSize(), grid->RowCount());
    EXPECT_EQ(grid->ColSelection()->GetSize(), grid->ColCount());
    grid->SelectDisplayRows(3, 4);
    grid->SetRows(10);
    EXPECT_EQ(grid->RowSelection()->GetSize(), 11);
    EXPECT_EQ(grid->RowSelection()->Count(), 2);
    grid->SetRows(3);
    EXPECT_EQ(grid->RowSelection()->GetSize(), 4);
    EXPECT_EQ(grid->RowSelection()->Count(), 1);
    EXPECT_EQ(grid->RowSelection()->Last(), 3);
    grid->SelectDisplayCols(1, 4, true);
    grid->SetCols(2);
    EXPECT_EQ(grid->ColSelection()->Count(), 2);
    EXPECT_EQ(grid->ColSelection()->Last(), 2);
}

TEST_F(GridSelection, RowsAreSelectedClampedAndReportedOnce) {
    std::vector<TgrSelectType> fired;
    grid->OnSelectChanged = [&](TObject*, TgrSelectType t, bool) { fired.push_back(t); };
    grid->SelectDisplayRows(5, 0);  // swapped and clamped to 1..4
    EXPECT_FALSE(grid->IsDisplayRowSelected(0));
    for (Integer r = 1; r <= 4; ++r) EXPECT_TRUE(grid->IsDisplayRowSelected(r)) << r;
    EXPECT_EQ(grid->RowSelection()->Count(), 4);
    EXPECT_EQ(grid->Take(), "row 1;row 2;row 3;row 4;");

    grid->FireSelectChanged(true);
    grid->FireSelectChanged(true);  // the mark was cleared
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_EQ(fired[0], stpRows);

    grid->DeselectDisplayRows(2, 3);
    EXPECT_EQ(grid->RowSelection()->CountSelected(1, 4), 2);
    grid->DeselectAllRows();
    EXPECT_EQ(grid->RowSelection()->Count(), 0);
    EXPECT_EQ(grid->RowSelection()->First(), -1);
}

TEST_F(GridSelection, HiddenRowsAreNotSelected) {
    grid->GridRows()->EnsureRow(2)->SetVisible(false);
    grid->SelectDisplayRows(1, 3);
    EXPECT_TRUE(grid->IsDisplayRowSelected(1));
    EXPECT_FALSE(grid->IsDisplayRowSelected(2));
    EXPECT_TRUE(grid->IsDisplayRowSelected(3));
}

TEST_F(GridSelection, ColumnsFollowTheSelectModeAndTheirMoves) {
    grid->SetColSelectMode(csNone);
    grid->SelectDisplayCols(1, 2, true);
    EXPECT_EQ(grid->ColSelection()->Count(), 0);

    grid->SetColSelectMode(csMulti);
    grid->SelectDisplayCols(0, 2, true);  // the row-bar column stays out
    EXPECT_FALSE(grid->IsDisplayColSelected(0));
    EXPECT_EQ(grid->ColSelection()->Count(), 2);
    EXPECT_TRUE(grid->Col(2)->GetSelected());
    grid->MoveColSelection(1, 4);
    EXPECT_TRUE(grid->IsDisplayColSelected(4));
    EXPECT_TRUE(grid->IsDisplayColSelected(1));  // the old column 2
    EXPECT_FALSE(grid->IsDisplayColSelected(2));
}

TEST_F(GridSelection, AMovedRowKeepsItsSelection) {
    grid->SelectDisplayRows(1, 1);
    grid->SetDisplayRow(1, 3);
    EXPECT_TRUE(grid->IsDisplayRowSelected(3));
    EXPECT_FALSE(grid->IsDisplayRowSelected(1));
}

// ------------------------------------------------------------ current cell

TEST_F(GridSelection, TheCurrentCellFollowsMovesAndIsAbsentWhereTheModeHasNone) {
    EXPECT_EQ(cell()->GetDataCol(), 1);
    EXPECT_EQ(cell()->GetDataRow(), 1);
    grid->MoveToEnterableCol(3, false, false, false);
    grid->MoveToRow(4, false, false, false);
    EXPECT_EQ(cell()->GetDataCol(), 3);
    EXPECT_EQ(cell()->GetDataRow(), 4);
    EXPECT_EQ(cell()->GetControlType(), ctText);

    grid->SetGridMode(gmListBox);
    EXPECT_EQ(cell()->GetDataCol(), -1);
    EXPECT_EQ(cell()->GetDataRow(), -1);
    EXPECT_EQ(cell()->GetControlType(), ctNone);
    EXPECT_TRUE(cell()->GetValue().IsEmpty());
    EXPECT_EQ(cell()->GetSelStart(), 0);

    grid->SetGridMode(gmBrowse);
    EXPECT_EQ(cell()->GetDataCol(), 3);
    grid->SetDesignFlag(true);
    EXPECT_EQ(cell()->GetDataCol(), -1);
}

TEST_F(GridSelection, TheCurrentColumnAndRowMoveToTheNextEnterableOneElseThePrevious) {
    // Columns 1..4, rows 1..4; the setup hides or protects some of them.
    struct Case {
        const char* name;
        std::set<Integer> hiddenCols, readOnlyCols;
        bool skipReadOnly;
        Integer target, expected;
    } cols[] = {
        {"reachable stays", {}, {}, true, 3, 3},
        {"hidden goes right", {3}, {}, true, 3, 4},
        {"hidden last goes left", {4}, {}, true, 4, 3},
        {"left of the first goes right", {1}, {}, true, 1, 2},
        {"read-only skipped", {}, {2, 3}, true, 3, 4},
        {"read-only to the end goes left", {}, {3, 4}, true, 3, 2},
        {"read-only kept without skipping", {}, {3}, false, 3, 3},
        {"none reachable", {1, 2, 3, 4}, {}, true, 2, 0},
    };
    for (const Case& c : cols) {
        SCOPED_TRACE(c.name);
        TLogGrid g(nullptr);
        for (Integer d : c.hiddenCols) g.Col(d)->SetVisible(false);
        for (Integer d : c.readOnlyCols) g.Col(d)->SetReadOnly(true);
        g.MoveToEnterableCol(c.target, false, false, c.skipReadOnly);
        EXPECT_EQ(g.CurrentDisplayCol(), c.expected);
    }
    Case rows[] = {
        {"reachable stays", {}, {}, true, 2, 2},
        {"hidden goes below", {2}, {}, true, 2, 3},
        {"last goes above", {4}, {}, true, 4, 3},
        {"read-only skipped", {}, {2, 3}, true, 2, 4},
        {"read-only to the end goes above", {}, {3, 4}, true, 3, 2},
        {"none enterable", {1, 2, 3, 4}, {}, true, 2, 0},
    };
    for (const Case& c : rows) {
        SCOPED_TRACE(std::string("row: ") + c.name);
        TLogGrid g(nullptr);
        for (Integer d : c.hiddenCols) g.GridRows()->EnsureRow(d)->SetVisible(false);
        for (Integer d : c.readOnlyCols) g.GridRows()->EnsureRow(d)->SetReadOnly(true);
        g.MoveToRow(c.target, false, false, c.skipReadOnly);
        EXPECT_EQ(g.CurrentDisplayRow(), c.expected);
        EXPECT_EQ(g.CurrentDisplayCol(), 1);
    }
}

TEST_F(GridSelection, HidingTheCurrentColumnMovesTheCurrentCellAndForgetsItsValue) {
    grid->StoreCellValue(2, 1, Variant("two"), ctText);
    grid->MoveToEnterableCol(2, false, false, true);
    EXPECT_EQ(Text(cell()->GetValue()), "two");
    grid->Col(2)->SetVisible(false);
    EXPECT_EQ(cell()->GetDataCol(), 3) << "the next enterable column";
    EXPECT_FALSE(cell()->HasValueFor(2, 1));
}

TEST_F(GridSelection, MoveToInsertRowWorksOnlyInEditInsertMode) {
    cell()->MoveToInsertRow(2);  // gmEdit: no insert row
    EXPECT_EQ(grid->CurrentDisplayRow(), 1);

    grid->SetGridMode(gmEditInsert);
    grid->StoreCellValue(1, 1, Variant("a"), ctText);
    cell()->LoadValue();
    // Selected bits without a row selection status (a selection status
    // keeps the current cell off the insert row).
    grid->RowSelection()->SetSelected(1, true);
    grid->RowSelection()->SetSelected(2, true);
    EXPECT_EQ(GridErrorOf([&] { cell()->MoveToInsertRow(5); }), "Grid1: Column index 5 out of range");
    EXPECT_EQ(GridErrorOf([&] { cell()->MoveToInsertRow(0); }), "Grid1: Column index 0 out of range");

    cell()->MoveToInsertRow(3);
    EXPECT_EQ(grid->CurrentDisplayCol(), 3);
    EXPECT_EQ(grid->CurrentDisplayRow(), grid->RowCount() - 1);
    EXPECT_TRUE(grid->IsInsertRowPos(grid->CurrentDisplayRow()));
    EXPECT_EQ(grid->RowSelection()->Count(), 0);
    EXPECT_TRUE(cell()->IsValueEmpty());

    cell()->MoveToInsertRow(1);  // already there
    EXPECT_EQ(grid->CurrentDisplayCol(), 3);
}

TEST_F(GridSelection, TheValueIsLoadedOnceThroughTheStoreAndForgottenOnAMove) {
    grid->StoreCellValue(2, 3, Variant("abc"), ctText);
    grid->MoveToEnterableCol(2, false, false, false);
    grid->MoveToRow(3, false, false, false);
    grid->Take();
    EXPECT_EQ(Text(cell()->GetValue()), "abc");
    EXPECT_EQ(grid->Take(), "load 2,3;");
    EXPECT_EQ(Text(cell()->GetValue()), "abc");
    EXPECT_EQ(grid->Take(), "");  // already loaded
    EXPECT_TRUE(cell()->HasValueFor(2, 3));
    EXPECT_EQ(Text(grid->EditControl()->GetValue()), "abc");
    EXPECT_TRUE(grid->IsEditStartUnlocked());

    grid->MoveToRow(2, false, false, false);
    EXPECT_EQ(grid->Take(), "cell 0,3;cell 0,2;");  // the row indicators
    EXPECT_TRUE(cell()->IsValueEmpty());
    EXPECT_FALSE(cell()->HasValueFor(2, 3));
    EXPECT_EQ(Text(cell()->GetValue()), "");
    EXPECT_EQ(grid->Take(), "load 2,2;");
}

// A grid whose descendant completes every loaded value, as a data source
// would: the completed value must not be written back into the store.
class TMarkingGrid : public TLogGrid {
public:
    using TLogGrid::TLogGrid;

protected:
    Variant LoadCellValue(Integer c, Integer r, const Variant& stored) override {
        TLogGrid::LoadCellValue(c, r, stored);
        return Variant((stored.IsString() ? stored.AsString() : std::string()) + "!");
    }
};

TEST(GridCurrentCell, LoadingDoesNotWriteTheStoreButAnEditDoes) {
    EnsureGuiApplication();
    TMarkingGrid grid(nullptr);
    grid.SetStoreData(true);
    grid.StoreCellValue(1, 1, Variant("abc"), ctText);
    TgrCurrentCell* cell = grid.CurrentCell();
    EXPECT_EQ(Text(cell->GetValue()), "abc!");
    EXPECT_EQ(Text(grid.GetStoredCellValue(1, 1, ctText)), "abc");

    grid.EditControl()->SetValueByUser(Variant("abcd"), true);
    EXPECT_EQ(Text(cell->GetStoredValue()), "abcd");
    EXPECT_EQ(Text(grid.GetStoredCellValue(1, 1, ctText)), "abcd");
    EXPECT_TRUE(cell->HasValueFor(1, 1));
    EXPECT_TRUE(grid.GetStoredCellValue(1, 2, ctText).IsEmpty());

    // The editor's selection is noted from its change notification.
    cell->SetSelStart(2);
    cell->SetSelLength(1);
    EXPECT_EQ(cell->GetSelStart(), 2);
    EXPECT_EQ(cell->GetSelLength(), 1);
}

TEST_F(GridSelection, SetValueStoresThroughTheEditorAndRepaints) {
    grid->MoveToRow(2, false, false, false);
    grid->Take();
    EXPECT_TRUE(cell()->SetValue(Variant("new"), false, true));
    EXPECT_EQ(Text(grid->GetStoredCellValue(1, 2, ctText)), "new");
    EXPECT_EQ(Text(cell()->GetValue()), "new");
    EXPECT_TRUE(cell()->HasValueFor(1, 2));
    EXPECT_TRUE(grid->IsCellEditing());
    std::string log = grid->Take();
    EXPECT_NE(log.find("focus"), std::string::npos) << log;
    EXPECT_EQ(log.find("load"), std::string::npos) << log;

    EXPECT_TRUE(cell()->SetValue(Variant("quiet"), false, false));
    EXPECT_EQ(grid->Take().find("focus"), std::string::npos);
}

TEST_F(GridSelection, SetValueIsRefusedWhereTheGridCannotEditOrTheTypeIsWrong) {
    grid->StoreCellValue(1, 1, Variant("keep"), ctText);
    try {
        cell()->SetValue(Variant(5), false, false);
        ADD_FAILURE() << "no error";
    } catch (const EInvalidGridOperation& e) {
        EXPECT_EQ(e.Message, "Grid1: Invalid cell value. A text column requires a value of type string");
    }
    EXPECT_EQ(Text(grid->GetStoredCellValue(1, 1, ctText)), "keep");

    grid->SetGridMode(gmBrowse);
    EXPECT_FALSE(cell()->SetValue(Variant("x"), false, false));
    EXPECT_EQ(Text(grid->GetStoredCellValue(1, 1, ctText)), "keep");
}

TEST_F(GridSelection, ACheckCellStoresItsStateAsANumber) {
    grid->Col(2)->SetControlType(ctCheck);
    grid->MoveToEnterableCol(2, false, false, false);
    EXPECT_EQ(cell()->GetControlType(), ctCheck);
    EXPECT_TRUE(cell()->SetValue(Variant(1), false, false));
    Variant stored = grid->GetStoredCellValue(2, 1, ctCheck);
    EXPECT_FALSE(stored.IsString());
    EXPECT_EQ(stored.AsInteger(), 1);
    EXPECT_EQ(grid->ActiveControl(), grid->CheckControl());
}

TEST_F(GridSelection, PastingIsLimitedByTheColumnMaxLengthInCharacters) {
    grid->StoreCellValue(1, 1, Variant("abc"), ctText);
    cell()->LoadValue();
    EXPECT_TRUE(cell()->CanPasteText("a long text"));  // no limit
    grid->Col(1)->SetMaxLength(5);
    EXPECT_TRUE(cell()->CanPasteText("de"));
    EXPECT_FALSE(cell()->CanPasteText("def"));
    EXPECT_TRUE(cell()->CanPasteText("\xC3\xA9\xC3\xA9"));  // two characters
    cell()->SetSelStart(0);
    cell()->SetSelLength(1);
    EXPECT_EQ(cell()->GetSelLength(), 1);
    EXPECT_TRUE(cell()->CanPasteText("def"));  // replaces the selected character
    EXPECT_FALSE(cell()->IsAllSelected());
    cell()->SetSelLength(3);
    EXPECT_TRUE(cell()->IsAllSelected());
}

TEST_F(GridSelection, PictureOptionsComeFromTheCellTheColumnOrTheGrid) {
    EXPECT_TRUE(cell()->GetStretchPicture());
    EXPECT_FALSE(cell()->GetKeepAspectRatio());
    grid->SetStretchPicture(false);
    grid->SetKeepAspectRatio(true);
    EXPECT_FALSE(cell()->GetStretchPicture());
    EXPECT_TRUE(cell()->GetKeepAspectRatio());
    grid->Col(1)->SetPicture(pkStretchPicture, dopOn);
    EXPECT_TRUE(cell()->GetStretchPicture());
    // Loading a cell resets the cell's own options.
    cell()->StoreLoadedValue(Variant("x"), false);
    EXPECT_FALSE(cell()->GetKeepAspectRatio());
    EXPECT_EQ(cell()->TransparentColor(), grColorNotSet);
}

}  // namespace

namespace {

// A stored grid shown on a form, for the clipboard operations (they need a
// window).
class GridClipboard : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        form = new TForm(Application);
        form->SetBounds(0, 0, 500, 400);
        grid = new TLogGrid(form);
        grid->SetName("Grid1");
        grid->SetStoreData(true);
        // Stored before the grid shows: its editor takes the value then.
        grid->StoreCellValue(1, 1, Variant("hello"), ctText);
        grid->SetParent(form);
        grid->SetBounds(0, 0, 330, 130);
        form->Show();
        Clipboard()->Clear();
    }
    void TearDown() override {
        Clipboard()->Clear();
        Application->ResetForTesting();
    }
    TgrCurrentCell* cell() { return grid->CurrentCell(); }
    std::string Stored() { return Text(grid->GetStoredCellValue(1, 1, ctText)); }
    TForm* form = nullptr;
    TLogGrid* grid = nullptr;
};

TEST_F(GridClipboard, CopyCutAndPasteActOnTheSelectedTextAndReachTheStore) {
    cell()->SetSelStart(1);
    cell()->SetSelLength(3);
    EXPECT_TRUE(grid->CopyCell());
    EXPECT_EQ(Clipboard()->AsText(), "ell");
    EXPECT_EQ(Stored(), "hello");

    EXPECT_TRUE(grid->CutCell());
    EXPECT_EQ(Clipboard()->AsText(), "ell");
    EXPECT_EQ(Stored(), "ho");
    EXPECT_EQ(Text(cell()->GetStoredValue()), "ho");

    Clipboard()->SetAsText("XY");
    EXPECT_TRUE(grid->PasteCell());
    EXPECT_EQ(Stored(), "hXYo");
}

TEST_F(GridClipboard, NothingIsCutOrPastedWhereTheGridCannotEdit) {
    grid->SetGridMode(gmBrowse);
    cell()->SetSelStart(0);
    cell()->SetSelLength(5);
    EXPECT_TRUE(grid->CopyCell());  // copying still works
    EXPECT_EQ(Clipboard()->AsText(), "hello");
    EXPECT_FALSE(grid->CutCell());
    Clipboard()->SetAsText("Z");
    EXPECT_FALSE(grid->PasteCell());
    cell()->PasteFromClipboard();
    EXPECT_EQ(Stored(), "hello");
}

TEST_F(GridClipboard, APasteMessageThatWouldExceedMaxLengthDoesNothing) {
    grid->Col(1)->SetMaxLength(7);
    cell()->SetSelStart(5);
    Clipboard()->SetAsText("abc");
    cell()->PasteFromClipboard();
    EXPECT_EQ(Stored(), "hello");
    Clipboard()->SetAsText("ab");
    cell()->PasteFromClipboard();
    EXPECT_EQ(Stored(), "helloab");
}

TEST_F(GridClipboard, MakeVisibleScrollsTheCurrentCellIntoView) {
    grid->SetRows(50);
    grid->MoveToRow(40, false, false, false);
    EXPECT_EQ(grid->TopRow(), 1);  // moving alone does not scroll
    cell()->MakeVisible();
    EXPECT_GT(grid->TopRow(), 1);
    EXPECT_LE(grid->TopRow(), 40);
}

TEST_F(GridClipboard, ACheckCellHasNoClipboardText) {
    grid->Col(1)->SetControlType(ctCheck);
    EXPECT_FALSE(grid->CopyCell());
    EXPECT_FALSE(grid->CutCell());
    EXPECT_FALSE(grid->PasteCell());
}

}  // namespace

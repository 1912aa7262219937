// How a new combo and its list start out at run time and at design time,
// and how the working combo starts afresh for a cell without a combo of
// its own, its list filled by the combo-init notification.

#include <gtest/gtest.h>

#include <string>

#include "grid/GridCombo.h"
#include "grid/tests/GridClassSupport.h"

namespace {

// The recording grid with the grid class's own combo set-up (its lists
// keep no values until someone asks them to).
class TInitGrid : public TLogGrid {
public:
    using TLogGrid::TLogGrid;
    void InitComboGrid(TgrCombo* combo) override { TgrBaseGrid::InitComboGrid(combo); }
    // Fills the list of the cell's combo, as an application's handler does.
    std::string Told;
    Integer Fill = 0;

protected:
    void FireComboInit(Integer c, const Variant& r) override {
        Told += "init " + std::to_string(c) + "," + r.AsString() + ";";
        TgrBaseGrid* list = SelectedComboGrid();
        if (!list || Fill == 0) return;
        list->SetStoreData(true);
        list->SetRows(Fill);
        for (Integer i = 1; i <= Fill; ++i) list->PutCellValue(1, i, Variant("item " + std::to_string(i)));
    }
};

TEST(GridComboInit, ANewComboIsAListBoxAtRunTimeAndAGridToLayOutAtDesignTime) {
    struct Case {
        bool designing;
        Integer rows, cols, dropDownCols;
        TgrGridMode mode;
        TgrRowSelectMode rowSelect;
        TgrColSelectMode colSelect;
        bool moving, alwaysShowEditor;
        TgrFocusBorder focus;
        TgrResizeCols resizeCols;
        TgrResizeRows resizeRows;
    } cases[] = {
        {false, 0, 1, 1, gmListBox, rsSingle, csNone, false, true, fbDot, rcNone, rrNone},
        {true, 4, 2, 2, gmEdit, rsMulti, csMulti, true, false, fbDouble, rcSingle, rrAll},
    };
    EnsureGuiApplication();
    for (const Case& c : cases) {
        TInitGrid grid(nullptr);
        grid.SetDesignFlag(c.designing);
        grid.SetColor(clYellow);
        grid.SetSelectionColor(clNavy);
        grid.SetSelectionType(sltColor);
        grid.SetEditColor(clAqua);
        grid.SetDefaultButtonWidth(21);
        grid.Font()->SetSize(13);
        grid.SetCols(2);
        grid.SetRows(3);
        grid.Col(1)->SetButtonType(btCombo);
        grid.Col(1)->CreateCombo();
        TgrCombo* combo = grid.Col(1)->Combo();
        TgrBaseGrid* list = combo->ComboGrid();
        SCOPED_TRACE(c.designing ? "design time" : "run time");
        EXPECT_EQ(list->Rows(), c.rows);
        EXPECT_EQ(list->Cols(), c.cols);
        EXPECT_EQ(combo->GetDropDownRows(), 4);
        EXPECT_EQ(combo->GetDropDownCols(), c.dropDownCols);
        EXPECT_EQ(combo->GetValueCol(), 1);
        EXPECT_EQ(combo->GetCompareType(), ctCaseInsensitive);
        EXPECT_FALSE(list->StoreData());
        EXPECT_EQ(list->GridMode(), c.mode);
        EXPECT_EQ(list->RowSelectMode(), c.rowSelect);
        EXPECT_EQ(list->ColSelectMode(), c.colSelect);
        EXPECT_EQ(list->RowMoving(), c.moving);
        EXPECT_EQ(list->ColMoving(), c.moving);
        EXPECT_EQ(list->AlwaysShowEditor(), c.alwaysShowEditor);
        EXPECT_EQ(list->AlwaysShowFocus(), c.designing);
        EXPECT_EQ(list->FocusBorder(), c.focus);
        EXPECT_EQ(list->ResizeCols(), c.resizeCols);
        EXPECT_EQ(list->ResizeRows(), c.resizeRows);
        // Either way: the owner's look, no heading, no row bar, a
        // vertical bar only.
        EXPECT_EQ(list->Color(), clYellow);
        EXPECT_EQ(list->SelectionColor(), clNavy);
        EXPECT_EQ(list->SelectionType(), sltColor);
        EXPECT_EQ(list->EditColor(), clAqua);
        EXPECT_EQ(list->DefaultButtonWidth(), 21);
        EXPECT_EQ(list->Font()->Size(), 13);
        EXPECT_EQ(list->DefaultRowHeight(), grid.ComboRowHeight());
        EXPECT_FALSE(list->HeadingOn());
        EXPECT_FALSE(list->RowBarOn());
        EXPECT_EQ(list->ScrollBars(), ssVertical);
        EXPECT_TRUE(list->ThumbTracking());
        EXPECT_FALSE(list->TabStop());
        EXPECT_EQ(list->RowChangedIndicator(), riAutoReset);
    }
}

TEST(GridComboInit, ACellComboReadFromAStreamKeepsWhatItReadsButTheWorkingComboTakesItsDefaults) {
    EnsureGuiApplication();
    TInitGrid grid(nullptr);
    grid.SetCols(2);
    grid.SetRows(2);
    grid.SetReadingLayout(true);
    grid.Col(1)->SetButtonType(btCombo);
    grid.Col(2)->SetButtonType(btCombo);
    grid.Col(2)->CreateCombo();
    grid.SetReadingLayout(false);
    EXPECT_TRUE(grid.Col(2)->Combo()->ComboGrid()->HeadingOn()) << "left to what is read";
    TgrBaseGrid* work = grid.GetCombo()->ComboGrid();
    EXPECT_FALSE(work->HeadingOn());
    EXPECT_EQ(work->GridMode(), gmListBox);
}

TEST(GridComboInit, TheWorkingComboStartsAfreshForEachCellAndTheInitNotificationFillsIt) {
    TForm* form = nullptr;
    TInitGrid* grid = ShownGrid<TInitGrid>(form, 2, 3);
    grid->Col(1)->SetButtonType(btCombo);
    grid->Col(1)->SetDropDownStyle(ddDropDownList);
    grid->Col(1)->SetWidth(80);
    form->Show();
    grid->SetFocus();
    TgrCombo* work = grid->GetCombo();
    ASSERT_TRUE(grid->MoveToDisplayCell(1, 1));
    // An empty list drops nothing down, but the cell asked for it.
    EXPECT_FALSE(grid->DropDownCombo());
    EXPECT_EQ(grid->Told, "init 1,1;");

    grid->Fill = 3;
    ASSERT_TRUE(grid->MoveToDisplayCell(1, 2));
    ASSERT_TRUE(grid->DropDownCombo()) << "filled by the init notification";
    EXPECT_EQ(grid->DroppedCombo(), work);
    TgrBaseGrid* list = work->ComboGrid();
    EXPECT_EQ(list->Rows(), 3);
    EXPECT_EQ(work->GetDropDownStyle(), ddDropDownList) << "the cell's drop-down style";
    EXPECT_EQ(list->DefaultColWidth(), 90) << "the column's width + 10";
    EXPECT_GE(list->DefaultRowHeight(), grid->ComboRowHeight());
    grid->CloseDropDowns();

    // The next cell starts from an empty list again.
    grid->Fill = 0;
    ASSERT_TRUE(grid->MoveToDisplayCell(1, 3));
    EXPECT_FALSE(grid->DropDownCombo());
    EXPECT_EQ(list->Rows(), 0);
    Application->ResetForTesting();
}

}  // namespace

namespace {

// A grid whose combos keep their settings in lists of the recording kind.
class TListInitGrid : public TInitGrid {
public:
    using TInitGrid::TInitGrid;
    TgrBaseGrid* CreateComboGrid() override { return new TgrComboGridOf<TLogGrid>(nullptr); }
};

}  // namespace

TEST(GridComboInit, AListPutBackToItsDefaultsKeepsTheOwnersLookAndTheOwnerColumnsWidth) {
    EnsureGuiApplication();
    TListInitGrid grid(nullptr);
    grid.SetCols(2);
    grid.SetRows(2);
    grid.SetColor(clYellow);
    grid.SetEditColor(clAqua);
    grid.SetDefaultButtonWidth(21);
    grid.Col(1)->SetButtonType(btCombo);
    grid.Col(1)->SetWidth(70);
    grid.Col(1)->CreateCombo();
    TgrCombo* combo = grid.Col(1)->Combo();
    TgrBaseGrid* list = combo->ComboGrid();
    ASSERT_EQ(list->DefaultColWidth(), 80);
    // Changed every way, then put back.
    list->SetColor(clRed);
    list->SetEditColor(clNavy);
    list->SetCols(3);
    list->SetRows(5);
    combo->SetValueCol(1);
    combo->SetDropDownRows(9);
    combo->SetCompareType(ctCaseSensitive);
    list->ResetToDefaults();
    EXPECT_EQ(list->Color(), clYellow);
    EXPECT_EQ(list->EditColor(), clAqua);
    EXPECT_EQ(list->DefaultButtonWidth(), 21);
    EXPECT_EQ(list->Cols(), 1);
    EXPECT_EQ(list->Rows(), 0);
    EXPECT_EQ(list->DefaultColWidth(), 80) << "as wide as its value column was";
    EXPECT_EQ(combo->GetDropDownRows(), 4);
    EXPECT_EQ(combo->GetCompareType(), ctCaseInsensitive);
}

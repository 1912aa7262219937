#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "grid/GridControl.h"
#include "grid/TSGrid.h"
#include "grid/tests/GridClassSupport.h"
#include "platform/core/Clock.h"
#include "platform/gui/Forms.h"

namespace {

class GridClass : public ::testing::Test {
protected:
    GridClass() {
        EnsureGuiApplication();
        grid = std::make_unique<TLogGrid>(nullptr);
        grid->SetName("Grid1");
        grid->Take();
    }
    std::unique_ptr<TLogGrid> grid;
};

template <class E>
std::string ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const E& e) {
        return e.Message;
    }
    return "(none)";
}

std::string GridError(const std::function<void()>& f) { return ErrorOf<EInvalidGridOperation>(f); }

TEST_F(GridClass, NewGridHasItsDefaults) {
    TLogGrid& g = *grid;
    EXPECT_EQ(g.Cols(), 4);
    EXPECT_EQ(g.Rows(), 4);
    EXPECT_EQ(g.ColCount(), 5);
    EXPECT_EQ(g.RowCount(), 5);
    EXPECT_EQ(g.GetColWidthAt(0), 14);
    EXPECT_EQ(g.GetRowHeightAt(0), 15);
    EXPECT_EQ(g.GetColWidthAt(1), 64);
    EXPECT_EQ(g.GetRowHeightAt(1), 14);
    EXPECT_EQ(g.FixedColTotal(), 1);
    EXPECT_EQ(g.FixedRowTotal(), 1);
    EXPECT_EQ(g.GridLinePixels(), 0);
    EXPECT_EQ(g.GridOptions(), 0);
    EXPECT_EQ(g.ScrollBarKind(), ssNone);
    EXPECT_EQ(g.ScrollBars(), ssBoth);
    EXPECT_EQ(g.GridMode(), gmEdit);
    EXPECT_EQ(g.RowSelectMode(), rsMulti);
    EXPECT_EQ(g.ColSelectMode(), csMulti);
    EXPECT_EQ(g.CellSelectMode(), cmRange);
    EXPECT_EQ(g.SelectionColor(), TColor(0x8000000D));
    EXPECT_EQ(g.SelectionFontColor(), TColor(0x8000000E));
    EXPECT_EQ(g.HeadingColor(), TColor(0x8000000F));
    EXPECT_EQ(g.LineColor(), TColor(0xC0C0C0));
    EXPECT_EQ(g.EditColor(), grColorNotSet);
    EXPECT_EQ(g.FocusBorder(), fbDot);
    EXPECT_EQ(g.DrawOverlap(), doDrawColOnTop);
    EXPECT_EQ(g.ResizeCols(), rcSingle);
    EXPECT_EQ(g.ResizeRows(), rrAll);
    EXPECT_EQ(g.CheckBoxStyle(), stCheck);
    EXPECT_EQ(g.CheckBoxValues(), "");
    EXPECT_EQ(g.SpinStartDelay(), 500);
    EXPECT_EQ(g.SpinRepeatDelay(), 80);
    EXPECT_EQ(g.DefaultButtonWidth(), 11);
    EXPECT_EQ(g.DefaultButtonHeight(), 9);
    EXPECT_EQ(g.PrintLinesPerPage(), 40);
    EXPECT_EQ(g.PrintOrientation(), pmLandscape);
    EXPECT_TRUE(g.HeadingOn() && g.RowBarOn() && g.RowMoving() && g.ColMoving() && g.WantTabs() &&
                g.TabRowWrap() && g.SkipReadOnly() && g.AlwaysShowEditor() && g.ProvideGridMenu() &&
                g.HeadingParentFont() && g.PrintTotals() && g.PrintWithGridFormats());
    EXPECT_FALSE(g.StoreData() || g.GetAutoScale() || g.AlwaysShowFocus() || g.Is3D() || g.ThumbTracking());
    EXPECT_EQ(g.Version(), "2.20.08");
    EXPECT_EQ(g.RowChangedIndicator(), riOn);
    EXPECT_EQ(g.HeadingFont()->Name(), g.Font()->Name());
    // In-cell control state.
    EXPECT_EQ(g.ActiveControl(), g.EditControl());
    EXPECT_TRUE(g.ControlHiddenByGrid());
    EXPECT_TRUE(g.EditModeFlag());
    EXPECT_EQ(g.EditSelectMode(), 2);
    EXPECT_LT(g.EditControl()->Left(), 0);
    // The data model: identity maps, a column object per display column.
    for (Integer i = 0; i < 5; ++i) {
        EXPECT_EQ(g.DataColOfDisplay(i), i);
        EXPECT_EQ(g.DisplayRowOfData(i), i);
        ASSERT_NE(g.Col(i), nullptr);
        EXPECT_EQ(g.Col(i)->DisplayCol(), i);
    }
    EXPECT_EQ(g.VisibleCols()->VisibleCount(), 4);
    EXPECT_EQ(g.VisibleRows()->VisibleCount(), 4);
}

TEST_F(GridClass, VersionIgnoresWrites) {
    grid->SetVersion("9.9");
    EXPECT_EQ(grid->Version(), "2.20.08");
}

TEST_F(GridClass, ErrorsCarryTheGridName) {
    EXPECT_EQ(GridError([&] { grid->RaiseGridError("bad"); }), "Grid1: bad");
    EXPECT_EQ(ErrorOf<EtsMaskError>([&] { grid->RaiseMaskError("mask"); }), "Grid1: mask");
    TLogGrid combo(nullptr);
    combo.SetName("List");
    combo.SetOwnerGrid(grid.get());
    EXPECT_EQ(GridError([&] { combo.RaiseGridError("bad"); }), "Grid1.Combo: bad");
    EXPECT_EQ(ErrorOf<EtsMaskError>([&] { combo.RaiseMaskError("m"); }), "Grid1.Combo: m");
    EXPECT_EQ(GridError([&] { grid->TgrBaseGrid::CreateCombo(); }),
              "Grid1: Cannot create combo box. Method CreateCombo has not been not implemented in derived class");
}

TEST_F(GridClass, IndexChecksAcceptTheEndsAndNameTheIndex) {
    EXPECT_TRUE(grid->CheckColRowIndex(0, 1, 4, 1));
    EXPECT_TRUE(grid->CheckColRowIndex(1, 4, 4, 1));
    EXPECT_EQ(GridError([&] { grid->CheckColRowIndex(0, 5, 4, 1); }), "Grid1: Row index 5 out of range");
    EXPECT_EQ(GridError([&] { grid->CheckColRowIndex(1, 0, 4, 1); }), "Grid1: Column index 0 out of range");
    // The collections' check is the same error.
    EXPECT_EQ(GridError([&] { grid->GridCols()->GetCol(Variant(Integer(7))); }),
              "Grid1: Column index 7 out of range");
}

TEST_F(GridClass, CellValueTypeChecks) {
    struct Case {
        TgrControlType type;
        Variant value;
        std::string error;
    };
    const std::string text = "Grid1: Invalid cell value. A text column requires a value of type string";
    const std::string check =
        "Grid1: Invalid cell value. A checkbox column requires a value of type TCheckBoxState or string";
    const std::string picture =
        "Grid1: Invalid cell value. A picture column requires a value of type TBitmap or string";
    const Case cases[] = {
        {ctText, Variant("a"), "(none)"},   {ctText, Variant(Integer(1)), text}, {ctText, Variant::NullValue(), text},
        {ctCheck, Variant(Integer(1)), "(none)"}, {ctCheck, Variant("x"), "(none)"},
        {ctCheck, Variant::NullValue(), "(none)"},     {ctCheck, Variant(1.5), check},
        {ctPicture, Variant(Integer(9)), "(none)"}, {ctPicture, Variant("img"), "(none)"},
        {ctPicture, Variant(true), picture},      {ctNone, Variant(2.5), "(none)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GridError([&] { grid->CheckCellValueType(c.type, c.value); }), c.error) << int(c.type);
    grid->SetDesignFlag(true);
    EXPECT_TRUE(grid->CheckCellValueType(ctText, Variant(Integer(1))));
}

TEST_F(GridClass, CellReadsAreRefusedWhileACellLoads) {
    grid->inCellLoaded_ = true;
    const std::string msg = "Grid1: Cannot get Cell property value while in OnCellLoaded event";
    EXPECT_EQ(GridError([&] { grid->CheckNotInCellLoaded(); }), msg);
    EXPECT_EQ(GridError([&] { grid->GetCellValue(1, 1); }), msg);
    EXPECT_EQ(GridError([&] { grid->GetCellProp(1, 1, gpColor, pkNoPicture); }), msg);
    grid->inCellLoaded_ = false;
    EXPECT_TRUE(grid->CheckNotInCellLoaded());
}

TEST_F(GridClass, CheckBoxValuesAreValidatedBeforeTheyAreStored) {
    EXPECT_EQ(GridError([&] { grid->SetCheckBoxValues("Yes|No|Maybe|Extra"); }),
              "Grid1: Invalid CheckBoxValues. CheckBoxValues have the format 'Checked|Unchecked|Grayed'. The "
              "Grayed value is optional");
    EXPECT_EQ(grid->CheckBoxValues(), "");
    grid->SetCheckBoxValues("Yes|No");
    EXPECT_EQ(grid->CheckBoxValues(), "Yes|No");
    EXPECT_EQ(grid->CheckControl()->GetCheckBoxValues(), "Yes|No");
    EXPECT_EQ(grid->Take(), "all;");
}

TEST_F(GridClass, SettersRepaintOnlyOnChangeAndOnlyWhatTheyAffect) {
    struct Case {
        std::string name;
        std::function<void()> set;
        std::string repaint;
    };
    TLogGrid& g = *grid;
    const Case cases[] = {
        {"same colour", [&] { g.SetLineColor(TColor(0xC0C0C0)); }, ""},
        {"line colour", [&] { g.SetLineColor(clRed); }, "all;"},
        {"heading colour", [&] { g.SetHeadingColor(clRed); }, "row 0;"},
        {"focus border", [&] { g.SetFocusBorder(fbSingle); }, "focus;"},
        {"focus colour", [&] { g.SetFocusColor(clRed); }, "focus;"},
        {"selection colour without selection", [&] { g.SetSelectionColor(clRed); }, ""},
        {"row-bar indicator", [&] { g.SetRowBarIndicator(false); }, "cell 0,1;"},
        // The reset control repaints the current cell it stands in.
        {"check-box style", [&] { g.SetCheckBoxStyle(stFlat); }, "all;control;cell 1,1;"},
        {"draw overlap", [&] { g.SetDrawOverlap(doDrawRowOnTop); }, "all;control;cell 1,1;"},
        {"print title", [&] { g.SetPrintTitle("T"); }, ""},
        {"row-changed indicator", [&] { g.SetRowChangedIndicator(riOff); }, "col 0;"},
    };
    for (const Case& c : cases) {
        g.Take();
        c.set();
        EXPECT_EQ(g.Take(), c.repaint) << c.name;
    }
    // With a selection the selection colours repaint.
    g.SelectDisplayCols(2, 2, true);
    g.Take();
    g.SetSelectionFontColor(clBlue);
    EXPECT_EQ(g.Take(), "all;");
}

TEST_F(GridClass, WantTabsReachesTheActiveControl) {
    grid->SetWantTabs(false);
    EXPECT_FALSE(grid->EditControl()->GetWantTabs());
}

TEST_F(GridClass, HeadingFontChangeLeavesTheParentFont) {
    grid->HeadingFont()->SetColor(clRed);
    EXPECT_FALSE(grid->HeadingParentFont());
    EXPECT_EQ(grid->Take(), "row 0;");
}

TEST_F(GridClass, ColumnCountChangesKeepTheMapsAndFireTheEvent) {
    std::vector<std::string> events;
    grid->OnColCountChanged = [&](TObject*, Integer o, Integer n) {
        events.push_back(std::to_string(o) + "->" + std::to_string(n));
    };
    grid->SetCols(6);
    EXPECT_EQ(grid->ColCount(), 7);
    EXPECT_EQ(grid->DataColOfDisplay(6), 6);
    ASSERT_NE(grid->Col(6), nullptr);
    EXPECT_EQ(grid->VisibleCols()->VisibleCount(), 6);
    grid->SetCols(-3);  // taken as 0
    EXPECT_EQ(grid->Cols(), 0);
    EXPECT_EQ(grid->Col(1), nullptr);
    grid->SetCols(0);  // unchanged: nothing
    EXPECT_EQ(events, (std::vector<std::string>{"4->6", "6->0"}));
}

TEST_F(GridClass, ShrinkingRemovesTheHighestDataColumnsWhereverTheyAre) {
    // Data column 4 is moved to display position 1 and made wider.
    grid->Col(4)->SetDisplayCol(1);
    EXPECT_EQ(grid->DataColOfDisplay(1), 4);
    EXPECT_EQ(grid->Col(1)->DisplayCol(), 2);
    grid->SetColWidthAt(1, 99);
    grid->SetCols(3);
    EXPECT_EQ(grid->Cols(), 3);
    for (Integer d = 1; d <= 3; ++d) {
        EXPECT_EQ(grid->DataColOfDisplay(d), d);
        EXPECT_EQ(grid->Col(d)->DisplayCol(), d);
    }
    for (Integer d = 1; d <= 3; ++d) EXPECT_EQ(grid->GetColWidthAt(d), 64) << d;
}

TEST_F(GridClass, ShrinkingDropsTheCellRecordsOfRemovedColumns) {
    grid->SetCellProp(4, 2, gpColor, pkNoPicture, Variant(Integer(clRed)));
    grid->SetCellProp(1, 2, gpColor, pkNoPicture, Variant(Integer(clRed)));
    grid->SetCols(3);
    EXPECT_EQ(grid->CellPropSet()->FindCell(4, 2), nullptr);
    EXPECT_NE(grid->CellPropSet()->FindCell(1, 2), nullptr);
    grid->SetCols(4);
    EXPECT_EQ(grid->GetCellProp(4, 2, gpColor, pkNoPicture), DefaultPropValue(gpColor));
}

TEST_F(GridClass, RowCountChangesFollowMovedRows) {
    std::vector<std::string> events;
    grid->OnRowCountChanged = [&](TObject*, Integer o, Integer n) {
        events.push_back(std::to_string(o) + "->" + std::to_string(n));
    };
    grid->SetDisplayRow(4, 1);
    EXPECT_EQ(grid->DisplayRowOfData(4), 1);
    EXPECT_EQ(grid->DisplayRowOfData(1), 2);
    grid->SetRows(3);
    EXPECT_EQ(grid->RowCount(), 4);
    for (Integer d = 1; d <= 3; ++d) EXPECT_EQ(grid->DisplayRowOfData(d), d);
    grid->SetRows(5);
    EXPECT_EQ(grid->DisplayRowOfData(5), 5);
    EXPECT_EQ(events, (std::vector<std::string>{"4->3", "3->5"}));
}

TEST_F(GridClass, StoredValuesGoThroughTheCellStore) {
    // Without StoreData nothing is kept; a shown grid draws the value at
    // once (GridPutValueTest), no repaint is asked for.
    grid->PutCellValue(2, 3, Variant("x"));
    EXPECT_EQ(grid->Take(), "");
    EXPECT_EQ(grid->GetCellValue(2, 3).Type(), varEmpty);
    grid->SetStoreData(true);
    ASSERT_NE(grid->Storage(), nullptr);
    grid->Take();
    grid->PutCellValue(2, 3, Variant("hello"));
    EXPECT_EQ(grid->Take(), "cell 2,3;");
    EXPECT_EQ(grid->GetCellValue(2, 3).AsString(), "hello");
    EXPECT_EQ(grid->Take(), "load 2,3;");
    // A text cell refuses a number; the stored value is kept.
    EXPECT_NE(GridError([&] { grid->PutCellValue(2, 3, Variant(Integer(5))); }), "(none)");
    EXPECT_EQ(grid->GetCellValue(2, 3).AsString(), "hello");
    // The value follows its data column when columns move.
    grid->Col(2)->SetDisplayCol(4);
    EXPECT_EQ(grid->GetCellValue(2, 3).AsString(), "hello");
    // Removed rows take their values with them.
    grid->SetRows(2);
    grid->SetRows(4);
    EXPECT_EQ(grid->GetCellValue(2, 3).Type(), varEmpty);
    grid->SetStoreData(false);
    EXPECT_EQ(grid->Storage(), nullptr);
}

TEST_F(GridClass, ControlTypeChangesDropValuesThatNoLongerSuit) {
    grid->SetStoreData(true);
    grid->Col(1)->SetControlType(ctCheck);
    grid->PutCellValue(1, 1, Variant(Integer(1)));
    grid->PutCellValue(2, 1, Variant("t"));
    ASSERT_EQ(grid->Storage()->GetKind(1, 1), ckInteger);
    // Rows now win: row 1 is a text row, so the check value no longer suits.
    grid->SetRowProp(1, gpControlType, pkNoPicture, Variant(Integer(ctText)));
    grid->SetDrawOverlap(doDrawRowOnTop);
    EXPECT_EQ(grid->Storage()->GetKind(1, 1), ckEmpty);
    EXPECT_EQ(grid->Storage()->GetKind(2, 1), ckText);
}

TEST_F(GridClass, StateQueries) {
    EXPECT_FALSE(grid->IsDesigning());
    grid->SetDesignFlag(true);
    EXPECT_TRUE(grid->IsDesigning());
    TLogGrid combo(nullptr);
    combo.SetOwnerGrid(grid.get());
    EXPECT_TRUE(combo.IsDesigning());
    grid->SetReadingLayout(true);
    EXPECT_TRUE(combo.IsReading());
    EXPECT_FALSE(combo.IsWriting());
    EXPECT_TRUE(grid->CanFireEvents());
    grid->BeginLoading();
    EXPECT_FALSE(grid->CanFireEvents());
}

TEST_F(GridClass, EventsAreSilentWhileLoading) {
    int fired = 0;
    grid->OnColCountChanged = [&](TObject*, Integer, Integer) { ++fired; };
    grid->BeginLoading();
    grid->SetCols(5);
    EXPECT_EQ(fired, 0);
    grid->EndLoading();
    grid->SetCols(6);
    EXPECT_EQ(fired, 1);
}

TEST_F(GridClass, LegacyEditModeMapsToGridMode) {
    const std::pair<Integer, TgrGridMode> cases[] = {
        {0, gmListBox}, {2, gmEditInsert}, {3, gmBrowse}, {1, gmEdit}, {7, gmEdit}};
    for (auto [value, mode] : cases) {
        grid->SetLegacyEditMode(value);
        EXPECT_EQ(grid->GridMode(), mode) << value;
    }
}

TEST_F(GridClass, RowChangedFlagsRepaintTheRowBar) {
    grid->SetRowChanged(2, true);
    EXPECT_TRUE(grid->IsRowChanged(2));
    EXPECT_EQ(grid->Take(), "cell 0,2;");
    grid->SetRowChanged(2, true);
    EXPECT_EQ(grid->Take(), "");
    EXPECT_EQ(GridError([&] { grid->SetRowChanged(9, true); }), "Grid1: Row index 9 out of range");
}


TEST_F(GridClass, NameStaysWhileALayoutIsRead) {
    grid->SetReadingLayout(true);
    grid->SetName("Other");
    EXPECT_EQ(grid->Name(), "Grid1");
    grid->SetReadingLayout(false);
    grid->SetName("Other");
    EXPECT_EQ(grid->Name(), "Other");
}

TEST_F(GridClass, DialogCodeWantsTabsOnlyWhenUseful) {
    EXPECT_TRUE(grid->DialogCode(false) & DLGC_WANTCHARS);
    EXPECT_TRUE(grid->DialogCode(false) & DLGC_WANTTAB);  // edit mode
    EXPECT_FALSE(grid->DialogCode(true) & DLGC_WANTTAB);  // Ctrl held
    grid->SetGridMode(gmBrowse);
    EXPECT_TRUE(grid->DialogCode(false) & DLGC_WANTTAB);  // the focus frame shows
    grid->SetFocusBorder(fbNone);
    EXPECT_FALSE(grid->DialogCode(false) & DLGC_WANTTAB);
    grid->SetGridMode(gmEdit);
    grid->SetWantTabs(false);
    EXPECT_FALSE(grid->DialogCode(false) & DLGC_WANTTAB);
}

TEST_F(GridClass, AcceleratorCharacterClicksTheFirstMatchingHeading) {
    std::vector<Integer> clicks;
    grid->OnHeadingClick = [&](TObject*, Integer dataCol) { clicks.push_back(dataCol); };
    grid->Col(2)->SetHeading("&Name");
    grid->Col(3)->SetHeading("&Number");
    grid->Col(4)->SetHeading("Fish && Chips");
    grid->Col(3)->SetDisplayCol(1);  // Number now comes first
    EXPECT_TRUE(grid->DialogChar('n'));
    EXPECT_FALSE(grid->DialogChar('c'));  // "&&" is a plain ampersand
    EXPECT_FALSE(grid->DialogChar('x'));
    EXPECT_EQ(clicks, (std::vector<Integer>{3}));
}

TEST_F(GridClass, BackgroundIsErasedOnlyAtDesignTime) {
    EXPECT_FALSE(grid->ErasesBackground());
    grid->SetDesignFlag(true);
    EXPECT_TRUE(grid->ErasesBackground());
}

TEST_F(GridClass, HeadingFontFollowsTheParentWhileAsked) {
    TFont parentFont;
    parentFont.SetName("Arial");
    grid->ParentFontChangedTo(parentFont);
    EXPECT_EQ(grid->HeadingFont()->Name(), "Arial");
    EXPECT_TRUE(grid->HeadingParentFont());
    grid->SetHeadingParentFont(false);
    parentFont.SetName("Courier New");
    grid->ParentFontChangedTo(parentFont);
    EXPECT_EQ(grid->HeadingFont()->Name(), "Arial");
}

TEST_F(GridClass, ResizeFiresOnResizeExceptWhileLoading) {
    int resized = 0;
    grid->OnResize = [&](TObject*) { ++resized; };
    grid->SetBounds(0, 0, 300, 200);
    EXPECT_EQ(resized, 1);
    grid->BeginLoading();
    grid->SetBounds(0, 0, 310, 200);
    EXPECT_EQ(resized, 1);
}

TEST_F(GridClass, InCellControlKeysAndMouseReachTheGridEvents) {
    std::vector<std::string> seen;
    grid->OnKeyDown = [&](TObject* s, Word16& key, TShiftState) {
        seen.push_back(std::string(s == grid.get() ? "grid" : "other") + " key " + std::to_string(key) +
                       (!grid->KeysUnlocked() ? " locked" : ""));
    };
    grid->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) {
        seen.push_back("mouse " + std::to_string(x) + "," + std::to_string(y));
    };
    TgrEditGridControl* edit = grid->EditControl();
    edit->SetLeft(40);
    edit->SetTop(20);
    Word16 key = 65;
    edit->GetOnKeyDown()(edit->Window(), key, {});
    edit->GetOnMouseDown()(edit->Window(), mbLeft, {}, 3, 4);
    EXPECT_EQ(seen, (std::vector<std::string>{"grid key 65 locked", "mouse 43,24"}));
    EXPECT_TRUE(grid->KeysUnlocked());
}

TEST_F(GridClass, ActivatingPressIsRecordedForDoubleClicks) {
    GridLastPress() = TgrLastPress{};
    grid->MouseDown(mbLeft, {}, 5, 6);
    EXPECT_NE(GridLastPress().Time, 0u);
    EXPECT_EQ(GridLastPress().Pos.X, grid->ClientToScreen(TPoint(5, 6)).X);
}

TEST_F(GridClass, HeadingAndRowBarCanBeHiddenAndShownAgain) {
    grid->SetHeadingOn(false);
    grid->SetRowBarOn(false);
    EXPECT_EQ(grid->GetRowHeightAt(0), 0);
    EXPECT_EQ(grid->GetColWidthAt(0), 0);
    grid->SetHeadingHeight(20);  // remembered while hidden
    EXPECT_EQ(grid->GetRowHeightAt(0), 0);
    grid->SetHeadingOn(true);
    grid->SetRowBarOn(true);
    EXPECT_EQ(grid->GetRowHeightAt(0), 20);
    EXPECT_EQ(grid->GetColWidthAt(0), 14);
}

TEST_F(GridClass, FixedColumnsStayWithinTheColumns) {
    grid->SetFixedColCount(2);
    EXPECT_EQ(grid->FixedColTotal(), 3);
    // At least one column keeps scrolling; the count asked for stays.
    grid->SetFixedColCount(9);
    EXPECT_EQ(grid->FixedColCount(), 9);
    EXPECT_EQ(grid->FixedColTotal(), 4);
    grid->SetFixedRowCount(2);
    EXPECT_EQ(grid->FixedRowTotal(), 3);
    grid->SetFixedColCount(-1);  // ignored
    EXPECT_EQ(grid->FixedColCount(), 9);
    // Fewer columns take the applied count down with them; more columns
    // bring the count asked for back without setting it again.
    grid->SetFixedColCount(5);
    grid->SetCols(3);
    EXPECT_EQ(grid->FixedColTotal(), 3);
    grid->SetCols(10);
    EXPECT_EQ(grid->FixedColTotal(), 6);
    EXPECT_EQ(grid->FixedColCount(), 5);
}

TEST_F(GridClass, ComboGridsAnswerTheirOwner) {
    TLogGrid combo(nullptr);
    combo.SetOwnerGrid(grid.get());
    grid->SetAutoScale(true);
    combo.SetAutoScale(false);  // ignored
    EXPECT_TRUE(combo.GetAutoScale());
    EXPECT_EQ(combo.GetDropDownRows(), 0);
    combo.SetDropDownRows(8);
    EXPECT_EQ(combo.GetDropDownRows(), 0);
    EXPECT_EQ(GridError([&] { grid->TgrBaseGrid::CreateComboGrid(); }),
              "Grid1: Cannot create combo box. Method CreateComboGrid has not been not implemented in derived "
              "class");
}

TEST_F(GridClass, InCellControlsLiveInTheGridOnceItHasAParent) {
    Application->Initialize();
    TForm* form = new TForm(Application);
    TLogGrid* g = new TLogGrid(form);
    g->SetParent(form);
    EXPECT_EQ(g->EditControl()->Parent(), g);
    EXPECT_EQ(g->CheckControl()->Parent(), g);
    Application->ResetForTesting();
}

TEST_F(GridClass, AGridWithRecordsAndValuesIsFreedCleanly) {
    grid->SetStoreData(true);
    grid->PutCellValue(1, 1, Variant("v"));
    grid->SetCellProp(2, 2, gpColor, pkNoPicture, Variant(Integer(clRed)));
    grid->SetRowProp(3, gpColor, pkNoPicture, Variant(Integer(clBlue)));
    grid->StartSpinTimer(true);
    grid.reset();
    EXPECT_EQ(NextTimerDueMs(), -1);
}

// A descendant with its own column class.
class TTaggedCol : public TgrCol {
public:
    using TgrCol::TgrCol;
};
TEST_F(GridClass, InsertModeShowsOneMoreRow) {
    grid->SetGridMode(gmEditInsert);
    EXPECT_EQ(grid->Rows(), 4);
    EXPECT_EQ(grid->RowCount(), 6);
    EXPECT_TRUE(grid->IsInsertRowPos(5));
    grid->SetRows(2);
    EXPECT_EQ(grid->RowCount(), 4);
    EXPECT_TRUE(grid->IsInsertRowPos(3));
    grid->SetGridMode(gmEdit);
    EXPECT_EQ(grid->Rows(), 2);
    EXPECT_EQ(grid->RowCount(), 3);
    EXPECT_FALSE(grid->IsInsertRowPos(3));
}

class TOwnColsGrid : public TLogGrid {
public:
    explicit TOwnColsGrid(TComponent* owner) : TLogGrid(owner) { RecreateGridCollections(); }

protected:
    std::unique_ptr<TgrGridCols> CreateGridCols() override {
        // The collection makes its columns while it is constructed, so the
        // grid it hands them must be known first.
        struct Cols : TgrGridCols {
            explicit Cols(TgrPropGrid* g) : TgrGridCols(0, g), g_(g) { SetCount(0); }
            TgrCol* CreateCol() override { return new TTaggedCol(g_); }
            TgrPropGrid* g_;
        };
        return std::make_unique<Cols>(this);
    }
};

TEST_F(GridClass, ADescendantCanSupplyItsOwnColumnClass) {
    TOwnColsGrid g(nullptr);
    for (Integer d = 0; d <= 4; ++d) {
        ASSERT_NE(g.Col(d), nullptr);
        EXPECT_NE(dynamic_cast<TTaggedCol*>(g.Col(d)), nullptr) << d;
        EXPECT_EQ(g.Col(d)->DisplayCol(), d);
    }
    g.SetCols(6);
    EXPECT_NE(dynamic_cast<TTaggedCol*>(g.Col(6)), nullptr);
}

class GridTimers : public GridClass {
protected:
    GridTimers() { SetCurrentClock(&clock); }
    ~GridTimers() override { SetCurrentClock(nullptr); }
    void Advance(std::uint64_t ms) {
        clock.Advance(ms);
        FireDueTimers();
    }
    ManualClock clock{1000};
};

TEST_F(GridTimers, SpinTimerStartsSlowThenRepeats) {
    grid = std::make_unique<TLogGrid>(nullptr);
    grid->StartSpinTimer(true);
    EXPECT_EQ(grid->GridTimerInterval(TgrBaseGrid::SpinTimerId), 500);
    grid->StartSpinTimer(false);  // already running: unchanged
    EXPECT_EQ(grid->GridTimerInterval(TgrBaseGrid::SpinTimerId), 500);
    Advance(500);
    EXPECT_EQ(grid->Steps, (std::vector<std::string>{"spin"}));
    grid->SwitchSpinTimerToRepeat();
    EXPECT_EQ(grid->GridTimerInterval(TgrBaseGrid::SpinTimerId), 80);
    EXPECT_FALSE(grid->SpinStartFlag());
    Advance(80);
    EXPECT_EQ(grid->Steps.size(), 2u);
    grid->SwitchSpinTimerToRepeat();  // already repeating: nothing changes
    EXPECT_EQ(grid->GridTimerInterval(TgrBaseGrid::SpinTimerId), 80);
}

}  // namespace

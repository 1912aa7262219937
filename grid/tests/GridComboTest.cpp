// Combos of the grid class: searching the list while typing, filling the
// typed text in from the list, the drop-down notifications and the size of
// a drop-down for a number of list columns and rows.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>

#include <string>
#include <vector>

#include "grid/GridCombo.h"
#include "grid/TSGrid.h"
#include "grid/tests/GridClassSupport.h"
#include "platform/core/Clock.h"
#include "platform/gui/Forms.h"

namespace {

using ListGrid = TgrComboGridOf<TLogGrid>;

class ComboGrid : public TLogGrid {
public:
    using TLogGrid::TLogGrid;
    using TCustomGrid_ts::DoKeyDown;
    using TgrBaseGrid::DoKeyPress;
    std::string Told;
    // The recording grid's combo, over a list of its own kind.
    TgrBaseGrid* CreateComboGrid() override {
        auto* list = new ListGrid(nullptr);
        list->SetAutoSearch(asTop);
        list->SetStoreData(true);
        list->SetHeadingOn(false);
        list->SetRowBarOn(false);
        list->SetGridMode(gmBrowse);
        return list;
    }

protected:
    void FireComboInit(Integer c, const Variant& r) override { Told += "init " + At(c, r); }
    void FireComboDropDown(Integer c, const Variant& r) override { Told += "down " + At(c, r); }
    void FireComboRollUp(Integer c, const Variant& r) override { Told += "up " + At(c, r); }

private:
    static std::string At(Integer c, const Variant& r) { return std::to_string(c) + "," + r.AsString() + ";"; }
};

// A 2 x 3 grid whose first column picks from a list; the clock is manual.
class GridCombo : public ::testing::Test {
protected:
    void SetUp() override {
        SetCurrentClock(&clock);
        Application->Initialize();
        form = new TForm(Application);
        form->SetBounds(0, 0, 500, 400);
        grid = new ComboGrid(form);
        grid->SetParent(form);
        grid->SetBounds(0, 0, 300, 200);
        grid->SetCols(2);
        grid->SetRows(3);
        grid->SetStoreData(true);
        TgrCol* col = grid->Col(1);
        col->SetButtonType(btCombo);
        col->CreateCombo();
        combo = col->Combo();
        list = static_cast<ListGrid*>(combo->ComboGrid());
        form->Show();
        grid->SetFocus();
    }
    void TearDown() override {
        Application->ResetForTesting();
        SetCurrentClock(nullptr);
    }
    void Items(const std::vector<std::string>& items) {
        list->SetCols(1);
        list->SetRows(Integer(items.size()));
        for (std::size_t i = 0; i < items.size(); ++i) list->PutCellValue(1, Integer(i + 1), Variant(items[i]));
    }
    void Type(const std::string& s) {
        for (char ch : s) grid->DoKeyPress(ch);
    }
    std::string Value() { return grid->GetCellValue(1, 1).AsString(); }
    // The list that drops down and is searched: the grid's working combo's,
    // loaded from the column's combo (list).
    TgrCombo* Work() { return grid->GetCombo(); }
    ListGrid* WorkList() { return static_cast<ListGrid*>(Work()->ComboGrid()); }
    std::string ListText() { return WorkList()->GetCellValue(1, WorkList()->CurrentDataRow()).AsString(); }
    ManualClock clock{100000};
    TForm* form = nullptr;
    ComboGrid* grid = nullptr;
    TgrCombo* combo = nullptr;
    ListGrid* list = nullptr;
};

}  // namespace

TEST_F(GridCombo, SortedListIsSearchedByTheKeysTypedInQuickSuccession) {
    Items({"Apple", "Apricot", "Banana"});
    combo->SetValueColSorted(true);
    combo->SetDropDownStyle(ddDropDownList);
    Type("a");
    EXPECT_EQ(Value(), "Apple");
    clock.Advance(500);
    Type("p");
    clock.Advance(500);
    Type("r");
    EXPECT_EQ(Value(), "Apricot");
    EXPECT_EQ(grid->ComboSearchText(), "apr");
    // After 2000 ms a key starts a new search.
    clock.Advance(2500);
    Type("a");
    EXPECT_EQ(Value(), "Apple");
    EXPECT_EQ(grid->ComboSearchText(), "a");
    // Esc forgets the search text first.
    Word16 esc = VK_ESCAPE;
    grid->DoKeyDown(esc, {});
    EXPECT_EQ(grid->ComboSearchText(), "");
    // Typed keys never reach a list-only cell's text: its editor refuses
    // keyboard editing.
    EXPECT_FALSE(grid->EditControl()->GetAllowEdit());
}

TEST_F(GridCombo, UnsortedListStepsThroughTheEntriesOfATypedLetter) {
    Items({"Banana", "apple", "berry", "Blue"});
    combo->SetDropDownStyle(ddDropDownList);
    std::vector<std::string> seen;
    for (int i = 0; i < 4; ++i) {
        Type("b");
        seen.push_back(Value());
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"Banana", "berry", "Blue", "Banana"}));
}

TEST_F(GridCombo, FindingAndLocatingRows) {
    Items({"Apple", "Apricot", "Banana"});
    combo->SetValueColSorted(true);
    grid->SelectComboForCell(1, 1);
    struct Case {
        const char* text;
        bool full;
        Integer row;
        bool found;
    } cases[] = {
        {"Applesauce", false, 1, true},   // the longest matching prefix
        {"Applesauce", true, 1, false},   // not found: the insertion place
        {"apr", true, 2, true},           // case-insensitive
        {"Cherry", true, 3, false},
    };
    for (const Case& c : cases) {
        bool found = false;
        EXPECT_EQ(grid->FindComboRow(c.text, c.full, found), c.row) << c.text << c.full;
        EXPECT_EQ(found, c.found) << c.text << c.full;
    }
    grid->PutCellValue(1, 1, Variant(std::string("Applesauce")));
    grid->LocateComboRow();
    EXPECT_EQ(ListText(), "Apple");

    // An own comparison without handlers finds every text equal (the
    // searches compare under the working combo's setting).
    Work()->SetCompareType(ctOwn);
    EXPECT_EQ(grid->ComboCompare("abc", "xyz", 3), 0);
    Integer calls = 0;
    grid->OnComboLCompareValue = [&](TObject*, const std::string&, const std::string&, Integer, Integer& r) {
        ++calls;
        r = -1;
    };
    EXPECT_EQ(grid->ComboCompare("abc", "abc", 3), -1);
    EXPECT_EQ(calls, 1);
}

TEST_F(GridCombo, AutoFillCompletesTheTypedTextFromTheList) {
    Items({"Apple", "Banana"});
    combo->SetValueColSorted(true);
    combo->SetAutoFill(true);
    struct Case {
        const char* name;
        TgrConvertCase convert;
        const char* typed;
        const char* text;
        int selStart, selLength;
    } cases[] = {
        {"typed case kept", afcNone, "ap", "apple", 2, 3},
        {"list case on edit", afcOnEdit, "ap", "Apple", 2, 3},
        {"whole text takes the list's case", afcOnEdit, "APPLE", "Apple", 5, 0},
    };
    for (const Case& c : cases) {
        // The column's combo changed: its refresh ends the selection, so
        // the next key loads the working combo with the new setting.
        combo->SetAutoFillConvertCase(c.convert);
        combo->Refresh();
        Type(c.typed);
        EXPECT_EQ(Work()->GetAutoFillConvertCase(), c.convert) << c.name;
        EXPECT_EQ(grid->EditControl()->GetValue().AsString(), c.text) << c.name;
        EXPECT_EQ(grid->EditControl()->GetSelStart(), c.selStart) << c.name;
        EXPECT_EQ(grid->EditControl()->GetSelLength(), c.selLength) << c.name;
        bool undone = false, kept = false;
        grid->UndoEdit(true, true, undone, kept);
    }
    // No current list row: no combo value.
    WorkList()->SetRows(0);
    EXPECT_TRUE(grid->GetComboValue(1).IsEmpty());
}

TEST_F(GridCombo, EachDropDownFiresOneDropDownAndOneRollUp) {
    Items({"Apple", "Banana"});
    ASSERT_TRUE(grid->DropDownCombo());
    EXPECT_FALSE(grid->DropDownCombo());  // already down
    grid->CloseDropDowns(false);
    grid->CloseDropDowns(false);
    EXPECT_EQ(grid->Told, "init 1,1;down 1,1;up 1,1;");
    grid->Told.clear();
    // A new cell takes its combo up again.
    Word16 down = VK_DOWN;
    grid->DoKeyDown(down, {});
    ASSERT_TRUE(grid->DropDownCombo());
    Word16 enter = VK_RETURN;
    grid->DoKeyDown(enter, {});
    EXPECT_EQ(grid->Told, "init 1,2;down 1,2;up 1,2;");
    EXPECT_EQ(grid->GetCellValue(1, 2).AsString(), "Apple");
}

TEST_F(GridCombo, DropDownSizeFollowsTheListsColumnsAndRows) {
    // A new list scrolls only vertically; this one both ways.
    EXPECT_EQ(list->ScrollBars(), ssVertical);
    list->SetScrollBars(ssBoth);
    list->SetCols(3);
    list->SetRows(3);
    list->Col(1)->SetWidth(30);
    list->Col(2)->SetWidth(40);
    list->Col(3)->SetWidth(50);
    Integer rowHeight = list->DefaultRowHeight();
    Integer border = list->BorderStyle() == gbsSingle ? 2 : 0;
    // More rows than the list has: its three rows.
    EXPECT_EQ(list->CalcDropDownHeight(10), border + 3 * rowHeight);
    EXPECT_EQ(list->CalcDropDownHeight(2), border + 2 * rowHeight);
    EXPECT_EQ(list->CalcDropDownWidth(2), border + 70);
    list->Col(1)->SetVisible(false);  // hidden columns do not count
    EXPECT_EQ(list->CalcDropDownWidth(2), border + 90);

    // The drop-down takes DropDownCols of the list, with room for the bars.
    combo->SetDropDownCols(1);
    combo->SetDropDownRows(2);
    ASSERT_TRUE(grid->DropDownCombo());
    Integer width = 0, height = 0;
    list->CalcDropDownSize(1, 2, width, height);
    EXPECT_EQ(WorkList()->Width(), width);
    EXPECT_EQ(WorkList()->Height(), height);
    EXPECT_GT(width, border + 40);   // a vertical bar for the third row
    EXPECT_GT(height, border + 2 * rowHeight);  // a horizontal bar for the third column
}

TEST_F(GridCombo, TheComboKeepsItsSettingsInItsList) {
    combo->SetDropDownRows(6);
    combo->SetDropDownCols(2);
    combo->SetValueCol(2);
    combo->SetAutoSearch(asCenter);
    combo->SetAutoFillConvertCase(afcOnExit);
    combo->SetDropDownStyle(ddDropDownList);
    EXPECT_EQ(list->GetDropDownRows(), 6);
    EXPECT_EQ(list->GetDropDownCols(), 2);
    EXPECT_EQ(list->GetValueCol(), 2);
    EXPECT_EQ(list->GetAutoSearch(), asCenter);
    EXPECT_EQ(list->GetAutoFillConvertCase(), afcOnExit);
    EXPECT_EQ(list->GetDropDownStyle(), ddDropDownList);
    EXPECT_EQ(list->GetOwnerCombo(), combo);
    // What the list is told, the combo and the cell answer.
    list->SetValueCol(1);
    EXPECT_EQ(combo->GetValueCol(), 1);
    EXPECT_EQ(grid->Col(1)->GetDropDownStyle(), ddDropDownList);
    // A plain grid keeps none of them.
    TLogGrid plain(nullptr);
    plain.SetDropDownCols(3);
    plain.SetValueColSorted(true);
    plain.SetAutoLookup(true);
    plain.SetDropDownStyle(ddDropDownList);
    plain.SetOwnerCombo(combo);
    EXPECT_EQ(plain.GetDropDownCols(), 0);
    EXPECT_FALSE(plain.GetValueColSorted());
    EXPECT_FALSE(plain.GetAutoLookup());
    EXPECT_EQ(plain.GetDropDownStyle(), ddDropDown);
    EXPECT_EQ(plain.GetOwnerCombo(), nullptr);

    // A column given this combo gets a list of its own with the same
    // entries and settings.
    Items({"Apple", "Banana"});
    grid->Col(2)->SetCombo(combo);
    TgrCombo* copy = grid->Col(2)->Combo();
    ASSERT_TRUE(copy && copy != combo && copy->ComboGrid() != list);
    EXPECT_EQ(copy->GetDropDownRows(), 6);
    EXPECT_EQ(copy->GetAutoSearch(), asCenter);
    EXPECT_EQ(copy->GetDropDownStyle(), ddDropDownList);
    EXPECT_EQ(copy->ComboGrid()->Rows(), 2);
    EXPECT_EQ(copy->ComboGrid()->GetCellValue(1, 2).AsString(), "Banana");
}

TEST_F(GridCombo, ADroppedDownListShowsItsRowsAndWidthAndTakesItsValueColumn) {
    // Codes in the first column, the names the cell takes in the second.
    list->SetCols(2);
    list->SetRows(5);
    list->Col(1)->SetWidth(30);
    list->Col(2)->SetWidth(60);
    const char* names[] = {"Ann", "Bob", "Cid", "Dan", "Eve"};
    for (Integer r = 1; r <= 5; ++r) {
        list->PutCellValue(1, r, Variant("c" + std::to_string(r)));
        list->PutCellValue(2, r, Variant(std::string(names[r - 1])));
    }
    combo->SetValueCol(2);
    combo->SetDropDownRows(3);
    combo->SetDropDownCols(0);  // as wide as the column asked for
    combo->SetDropDownWidth(150);
    grid->PutCellValue(1, 1, Variant(std::string("Bob")));

    ASSERT_TRUE(grid->DropDownCombo());
    ListGrid* shown = WorkList();
    Integer width = 0, height = 0;
    shown->CalcDropDownSize(0, 3, width, height);
    EXPECT_EQ(shown->Height(), height);
    EXPECT_EQ(shown->Width(), 150);
    EXPECT_EQ(grid->DropDownForm()->Height(), height);
    EXPECT_EQ(shown->CurrentDataRow(), 2);  // the cell's value, found in the value column
    // Down and Enter take the next row's name.
    Word16 key = VK_DOWN;
    grid->DoKeyDown(key, {});
    key = VK_RETURN;
    grid->DoKeyDown(key, {});
    EXPECT_EQ(grid->DroppedCombo(), nullptr);
    EXPECT_EQ(grid->GetCellValue(1, 1).AsString(), "Cid");

    // The list opens with the cell's value at its top (its search is asTop);
    // a click on a row of the list takes that row's name.
    ASSERT_TRUE(grid->DropDownCombo());
    EXPECT_EQ(shown->DataRowOfDisplay(shown->TopRow()), 3);
    TRect r = shown->CellPixels(shown->DisplayColOfData(1), shown->DisplayRowOfData(4));
    QPointF at(r.Left + 3, r.Top + 3);
    QMouseEvent press(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, at, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    shown->WidgetEvent(&press);
    shown->WidgetEvent(&release);
    EXPECT_EQ(grid->DroppedCombo(), nullptr);
    EXPECT_EQ(grid->GetCellValue(1, 1).AsString(), "Dan");

    // One list column: the owner column's width and a little more.
    grid->Col(1)->SetWidth(100);
    EXPECT_EQ(list->DefaultColWidth(), 110);
    combo->SetDropDownCols(1);
    combo->Refresh();
    ASSERT_TRUE(grid->DropDownCombo());
    shown->CalcDropDownSize(1, 3, width, height);
    EXPECT_EQ(shown->Width(), width);
    EXPECT_GT(width, 110);
}

TEST_F(GridCombo, RefreshFitsAnOpenDropDownToChangedSettings) {
    Items({"a", "b", "c", "d", "e", "f"});
    combo->SetDropDownRows(2);
    ASSERT_TRUE(grid->DropDownCombo());
    ListGrid* shown = WorkList();
    Integer width = 0, two = 0, four = 0;
    shown->CalcDropDownSize(1, 2, width, two);
    shown->CalcDropDownSize(1, 4, width, four);
    ASSERT_EQ(shown->Height(), two);
    // At run time new rows wait for the refresh; the list stays down.
    Work()->SetDropDownRows(4);
    EXPECT_EQ(shown->Height(), two);
    Work()->Refresh();
    EXPECT_EQ(grid->DroppedCombo(), Work());
    EXPECT_EQ(shown->Height(), four);
    EXPECT_EQ(grid->DropDownForm()->Height(), four);
    EXPECT_TRUE(shown->IsDropDownSizeUnlocked());
    EXPECT_FALSE(shown->IsUpdateSuspended());
    // The column's combo refreshed while its copy is down: the copy goes up
    // and the next drop-down loads the column's combo again.
    combo->Refresh();
    EXPECT_EQ(grid->DroppedCombo(), nullptr);
    ASSERT_TRUE(grid->DropDownCombo());
    EXPECT_EQ(shown->Height(), two);
    grid->CloseDropDowns(false);

    // Near the bottom of the screen the taller list opens above the cell.
    QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    TRect cell = grid->CellPixels(grid->CurrentDisplayCol(), grid->CurrentDisplayRow());
    Integer cellBottom = grid->ClientToScreen(TPoint(0, cell.Bottom)).Y - form->Top();
    form->SetBounds(0, screen.bottom() + 1 - cellBottom - (two + four) / 2, 500, 400);
    ASSERT_TRUE(grid->DropDownCombo());
    Integer cellTop = grid->ClientToScreen(TPoint(0, cell.Top)).Y;
    EXPECT_GE(grid->DropDownForm()->Top(), cellTop + cell.Height());
    Work()->SetDropDownRows(4);
    Work()->Refresh();
    EXPECT_EQ(grid->DropDownForm()->Top() + four, cellTop);
    grid->CloseDropDowns(false);

    // A closed combo is taken up afresh by the next search.
    grid->Told.clear();
    combo->Refresh();
    grid->SelectComboForCell(1, 1);
    EXPECT_EQ(grid->Told, "init 1,1;");
}

TEST_F(GridCombo, TheWorkingComboDropsDownACopyOfTheCellsCombo) {
    Items({"Apple", "Banana", "Cherry"});
    combo->SetDropDownRows(2);
    ASSERT_TRUE(grid->DropDownCombo());
    ASSERT_EQ(grid->DroppedCombo(), Work());
    ASSERT_NE(Work(), combo);
    EXPECT_EQ(grid->SourceCombo(), combo);
    // The column's rows, columns and settings, in the working combo's list.
    ListGrid* shown = WorkList();
    ASSERT_NE(shown, list);
    EXPECT_EQ(shown->Rows(), 3);
    EXPECT_EQ(shown->GetCellValue(1, 3).AsString(), "Cherry");
    EXPECT_EQ(Work()->GetDropDownRows(), 2);
    EXPECT_TRUE(shown->Visible());
    EXPECT_FALSE(list->Visible()) << "the column's own list never shows";

    // A pick writes the cell and leaves the column's list where it was.
    shown->MoveToDataRow(2);
    Word16 enter = VK_RETURN;
    grid->DoKeyDown(enter, {});
    EXPECT_EQ(grid->DroppedCombo(), nullptr);
    EXPECT_EQ(Value(), "Banana");
    EXPECT_EQ(list->CurrentDataRow(), 1);

    // The column's combo changed after the drop-down: the next cell's
    // drop-down shows the change, and the change stays the column's.
    list->SetRows(4);
    list->PutCellValue(1, 4, Variant(std::string("Date")));
    Word16 down = VK_DOWN;
    grid->DoKeyDown(down, {});
    ASSERT_EQ(grid->CurrentDataRow(), 2);
    ASSERT_TRUE(grid->DropDownCombo());
    EXPECT_EQ(shown->Rows(), 4);
    EXPECT_EQ(shown->GetCellValue(1, 4).AsString(), "Date");
    shown->SetRows(1);
    grid->CloseDropDowns(false);
    EXPECT_EQ(list->Rows(), 4) << "a change to the copy is not the column's";

    // A combo cell without its own combo drops the working combo down
    // afresh, without the column's rows.
    grid->Col(2)->SetButtonType(btCombo);
    ASSERT_TRUE(grid->MoveToDisplayCell(grid->DisplayColOfData(2), grid->CurrentDisplayRow()));
    grid->SelectComboForCell(2, 2);
    EXPECT_EQ(grid->SourceCombo(), nullptr);
    EXPECT_EQ(shown->Rows(), 0);
}

// Synthesised keys and mouse on the real grid class: navigation, the edit
// life cycle, check boxes, heading clicks, drag selection with auto-scroll,
// column resizing and moving.

#include <gtest/gtest.h>

#include <string>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QTimer>

#include "platform/core/Clock.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Timers.h"
#include "grid/GridCombo.h"
#include "tools/gridshot/GridShot.h"
#include "grid/tests/GridDateTimeSupport.h"

namespace {

// 5 columns (text, text, check, text, text) by 30 rows of 14 pixels in a
// 400 x 200 window; column 4 is read-only.
const char* kScenario = R"({"width":400,"height":200,
  "grid":{"Cols":5,"Rows":30},
  "columns":[{"Heading":"A","Width":80},{"Heading":"B"},{"Heading":"C","ControlType":"ctCheck"},
             {"Heading":"D","ReadOnly":true},{"Heading":"E"}],
  "rows":[["a1","b1",0,"d1","e1"],["a2","b2",1,"d2","e2"],["a3","b3",0,"d3","e3"]]})";

class GridShotInput : public ::testing::Test {
protected:
    void SetUp() override {
        SetCurrentClock(&clock);
        shot.Run(kScenario);
        g = shot.Grid();
    }
    void TearDown() override { SetCurrentClock(nullptr); }
    void Key(Word16 k, TShiftState s = {}) { g->DoKeyDown(k, s); }
    void Type(const std::string& text) {
        for (char ch : text) g->DoKeyPress(ch);
    }
    TCellCoord_ts Cur() { return {g->CurrentDisplayCol(), g->CurrentDisplayRow()}; }
    TPoint Mid(Integer c, Integer r) {
        TRect rc = g->CellPixels(c, r);
        return {(rc.Left + rc.Right) / 2, (rc.Top + rc.Bottom) / 2};
    }
    // The left margin of a data cell, where a press starts a cell range.
    TPoint Margin(Integer c, Integer r) { return {g->CellPixels(c, r).Left + 1, Mid(c, r).Y}; }
    void Press(TPoint p, TShiftState s = {}) { g->MouseDown(mbLeft, s, p.X, p.Y); }
    void Drag(TPoint p) { g->MouseMove(TShiftState{ssLeft}, p.X, p.Y); }
    void Release(TPoint p) { g->MouseUp(mbLeft, {}, p.X, p.Y); }
    void Click(TPoint p, TShiftState s = {}) {
        Press(p, s);
        Release(p);
    }
    std::string Text(Integer c, Integer r) { return g->GetCellValue(c, r).AsString(); }
    ManualClock clock{1000};
    TGridShot shot;
    TgrShotGrid* g = nullptr;
};

TEST_F(GridShotInput, KeysMoveTheCurrentCellBetweenEnterableCells) {
    struct Case {
        const char* name;
        Word16 key;
        TShiftState shift;
        TCellCoord_ts cell;
    } cases[] = {
        {"down", VK_DOWN, {}, {1, 2}},
        {"right", VK_RIGHT, {}, {2, 2}},
        {"right skips the read-only column", VK_RIGHT, {}, {3, 2}},
        {"tab", VK_TAB, {}, {5, 2}},
        {"tab wraps to the next row", VK_TAB, {}, {1, 3}},
        {"shift tab wraps back", VK_TAB, {ssShift}, {5, 2}},
        {"home is left to the editor", VK_HOME, {}, {5, 2}},
        {"ctrl left", VK_LEFT, {ssCtrl}, {1, 2}},
        {"ctrl end", VK_END, {ssCtrl}, {5, 30}},
        {"page up", VK_PRIOR, {}, {5, 30 - g->GetVisibleRowCount()}},
        {"ctrl home", VK_HOME, {ssCtrl}, {1, 1}},
        {"up at the top stays", VK_UP, {}, {1, 1}},
        {"page down", VK_NEXT, {}, {1, 1 + g->GetVisibleRowCount()}},
        {"ctrl up", VK_UP, {ssCtrl}, {1, 1}},
        {"ctrl shift tab is no key", VK_TAB, {ssCtrl, ssShift}, {1, 1}},
    };
    for (const Case& c : cases) {
        Key(c.key, c.shift);
        EXPECT_EQ(Cur(), c.cell) << c.name;
    }
    // The view follows: the last row is shown after Ctrl+End.
    Key(VK_END, {ssCtrl});
    EXPECT_GT(g->TopLeftCell().Row, 1);
    EXPECT_EQ(g->CurrentDataRow(), 30);
}

TEST_F(GridShotInput, TypingEditsEnterStoresEscUndoes) {
    Type("Hi");
    EXPECT_TRUE(g->IsCellEditing());
    ASSERT_NE(g->EditControl(), nullptr);
    EXPECT_TRUE(g->EditControl()->GetVisible());
    Key(VK_RETURN);
    EXPECT_FALSE(g->IsCellEditing());
    EXPECT_EQ(Text(1, 1), "Hi");
    EXPECT_EQ(Cur(), (TCellCoord_ts{2, 1}));

    Type("zz");
    EXPECT_EQ(Text(2, 1), "zz");  // the edit reaches the cell as it is typed
    Key(VK_ESCAPE);
    EXPECT_EQ(Text(2, 1), "b1");
    EXPECT_FALSE(g->IsCellEditing());
    // The editor stays on the cell (AlwaysShowEditor) with the old text.
    EXPECT_TRUE(g->EditControl()->GetVisible());
    EXPECT_EQ(g->EditControl()->GetValue().AsString(), "b1");

    // A column narrower than its grid line gives an editor of no width,
    // never a negative one.
    g->Col(5)->SetWidth(0);
    g->ChangeCurrentCell(5, 1);
    Type("q");
    ASSERT_TRUE(g->IsCellEditing());
    EXPECT_EQ(g->EditControl()->Window()->Width(), 0);
    EXPECT_GE(g->EditControl()->Window()->Height(), 0);
    Key(VK_ESCAPE);

    // A read-only cell does not start editing.
    g->ChangeCurrentCell(4, 1);
    Type("x");
    EXPECT_FALSE(g->IsCellEditing());
    EXPECT_EQ(Text(4, 1), "d1");
}

TEST_F(GridShotInput, CheckBoxesCycleByClickAndSpace) {
    g->Col(3)->SetAllowGrayed(true);
    Click(Mid(3, 1));  // first click makes it current
    EXPECT_EQ(g->GetCellValue(3, 1).AsInteger(), 0);
    Click(Mid(3, 1));
    EXPECT_EQ(g->GetCellValue(3, 1).AsInteger(), 1);
    Key(VK_SPACE);
    EXPECT_EQ(g->GetCellValue(3, 1).AsInteger(), 2);
    Key(VK_SPACE);
    EXPECT_EQ(g->GetCellValue(3, 1).AsInteger(), 0);
}

TEST_F(GridShotInput, HeadingClickSelectsTheColumnAndCellClickClearsIt) {
    Integer clicked = 0;
    g->OnHeadingClick = [&](TObject*, Integer dataCol) { clicked = dataCol; };
    Click(Mid(2, 0));
    EXPECT_EQ(clicked, 2);
    EXPECT_TRUE(g->IsDisplayColSelected(2));
    EXPECT_EQ(g->GridStatus(), gsColsSelected);
    Click(Mid(1, 2));
    EXPECT_FALSE(g->IsDisplayColSelected(2));
    // The row bar selects rows.
    Click(Mid(0, 3));
    EXPECT_TRUE(g->IsDisplayRowSelected(3));
    EXPECT_EQ(g->GridStatus(), gsRowsSelected);
}

TEST_F(GridShotInput, DraggingSelectsARangeAndScrollsAtTheEdge) {
    // From the middle of a cell a drag selects nothing.
    Press(Mid(1, 2));
    Drag(Mid(2, 4));
    EXPECT_EQ(g->GridStatus(), gsNormal);
    Release(Mid(2, 4));
    EXPECT_EQ(Cur(), (TCellCoord_ts{1, 2}));
    // From the cell's left margin it stretches a range.
    Press(Margin(1, 2));
    Drag(Mid(2, 4));
    EXPECT_EQ(g->GridStatus(), gsCellsSelected);
    EXPECT_EQ(g->CellRange(), (TCellRange_ts{1, 2, 2, 4}));
    // Held well below the last row the view scrolls without a wait, row by
    // row, on to the last row, and the range follows it there.
    Drag(TPoint(Mid(2, 4).X, g->ClientHeight() + 40));
    EXPECT_EQ(g->TopLeftCell().Row, g->GetMaxTopRow());
    EXPECT_EQ(g->CellRange(), (TCellRange_ts{1, 2, 2, g->RowCount() - 1}));
    Release(TPoint(Mid(2, 4).X, g->ClientHeight() + 40));
    Integer scrolled = g->TopLeftCell().Row;
    clock.Advance(200);
    FireDueTimers();
    EXPECT_EQ(g->TopLeftCell().Row, scrolled);  // released: no more scrolling
    // Esc during a drag cancels it and takes the range away.
    g->SetTopLeft(1, 1);
    Press(Margin(1, 5));
    Drag(Mid(2, 6));
    Key(VK_ESCAPE);
    EXPECT_EQ(g->MouseStatus(), msNone);
    EXPECT_EQ(g->GridStatus(), gsNormal);
}

// The drag's auto-scroll loop runs while the pointer is held below the
// rows; each pass of the event loop meanwhile takes 60 ms on the clock, and
// after 600 ms the release arrives.
TEST_F(GridShotInput, ScrollSpeedPacesAutoScrollSteps) {
    struct Case {
        const char* name;
        TgrScrollSpeed speed;
        Integer below;  // pixels below the client area
        Integer steps;  // -1: on to the last row
    } cases[] = {
        {"high: no wait", spHigh, 5, -1},
        {"low: every 200 ms", spLow, 40, 2},
        {"variable, just past the edge: slow", spVariable, 5, 2},
        {"variable, far past the edge: fast", spVariable, 40, -1},
    };
    QCoreApplication::processEvents();
    for (const Case& c : cases) {
        g->SetTopLeft(1, 1);
        g->SetScrollSpeed(c.speed);
        TPoint held(Mid(1, 2).X, g->ClientHeight() + c.below);
        Press(Margin(1, 2));
        int ticks = 0;
        QTimer ticker;
        ticker.setInterval(0);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            if (++ticks <= 10) {
                clock.Advance(60);
                return;
            }
            ticker.stop();
            QPointF at(held.X, held.Y);
            QCoreApplication::postEvent(g->Widget(), new QMouseEvent(QEvent::MouseButtonRelease, at,
                                                                     g->Widget()->mapToGlobal(at), Qt::LeftButton,
                                                                     Qt::NoButton, Qt::NoModifier));
        });
        ticker.start();
        Drag(held);
        ticker.stop();
        EXPECT_EQ(g->TopLeftCell().Row, c.steps < 0 ? g->GetMaxTopRow() : 1 + c.steps) << c.name;
        // A release that ended the loop is handled after it.
        QCoreApplication::processEvents();
        if (g->MouseStatus() != msNone) Release(held);
    }
}

TEST_F(GridShotInput, VariableDelayOfAGridPastTheScreenEdgeIsSafe) {
    // The window's top-left lies off the screen: the measuring range is 0
    // or less, and the step goes at full speed.
    g->Parent()->SetBounds(-500, -500, 420, 220);
    TPoint leftOfCells = g->ClientToScreen(TPoint(2, 40));
    EXPECT_EQ(g->VariableScrollDelay(leftOfCells.X, leftOfCells.Y, 0), 0);
    TPoint aboveCells = g->ClientToScreen(TPoint(40, 2));
    EXPECT_EQ(g->VariableScrollDelay(aboveCells.X, aboveCells.Y, 1), 0);
}

TEST_F(GridShotInput, AHeldHeadingLooksPressedWhileThePointerIsOnIt) {
    g->SetColSelectMode(csNone);  // the press starts a move
    TRect h = g->CellPixels(2, 0);
    auto corner = [&] {
        g->Update();
        // Clear of the left edge, where a held heading's drop marker stands.
        return g->Surface().pixel(h.Left + 3, h.Top) & 0xFFFFFF;
    };
    QRgb raised = corner();
    Press(Mid(2, 0));
    QRgb pressed = corner();
    EXPECT_NE(pressed, raised);
    TPoint off(Mid(2, 0).X, 100);
    Drag(off);  // off the heading: raised again
    EXPECT_EQ(corner(), raised);
    Drag(Mid(2, 0));
    EXPECT_EQ(corner(), pressed);
    Drag(off);
    Release(off);  // released elsewhere: no click, no selection
    EXPECT_EQ(corner(), raised);
    EXPECT_FALSE(g->IsDisplayColSelected(2));
}

TEST_F(GridShotInput, SelectionsFollowTheCurrentRowAndHiddenColumns) {
    // A range loses a column that goes out of sight at its edge.
    Press(Margin(1, 2));
    Drag(Mid(3, 3));
    Release(Mid(3, 3));
    ASSERT_EQ(g->CellRange(), (TCellRange_ts{1, 2, 3, 3}));
    g->Col(3)->SetVisible(false);
    EXPECT_EQ(g->CellRange(), (TCellRange_ts{1, 2, 2, 3}));
    // In list-box selection the current row is the selected one.
    g->SetRowSelectMode(rsSingle);
    g->SetGridMode(gmListBox);
    g->SelectDisplayRows(4, 6);
    g->ChangeCurrentCell(1, 5);
    g->SyncListBoxSelection(false);
    EXPECT_FALSE(g->IsDisplayRowSelected(4));
    EXPECT_TRUE(g->IsDisplayRowSelected(5));
    EXPECT_FALSE(g->IsDisplayRowSelected(6));
}

TEST_F(GridShotInput, HeadingEdgesResizeAndHeadingsMoveColumns) {
    TRect a = g->CellPixels(1, 0);
    Integer edge = a.Right - 1;
    Press(TPoint(edge, 5));
    EXPECT_EQ(g->MouseStatus(), msColResize);
    Drag(TPoint(edge + 30, 5));
    Release(TPoint(edge + 30, 5));
    EXPECT_EQ(g->GetColWidthAt(1), 80 + 30);
    EXPECT_EQ(g->Col(1)->Width(), 80 + 30);

    // Without column selection, column B dragged by its heading onto
    // column E's place.
    g->SetColSelectMode(csNone);
    Press(Mid(2, 0));
    Drag(Mid(5, 0));
    Release(Mid(5, 0));
    EXPECT_EQ(g->DataColOfDisplay(5), 2);
    EXPECT_EQ(g->DisplayColOfData(2), 5);
    EXPECT_FALSE(g->IsDisplayColSelected(5));  // a move is no click
}

TEST(GridShotCombo, ListDropsDownAndAChoiceIsTakenByKeyOrClick) {
    ManualClock clock{1000};
    SetCurrentClock(&clock);
    TGridShot shot;
    shot.Run(R"({"width":300,"height":150,"grid":{"Cols":2,"Rows":3},
      "columns":[{"Heading":"Fruit","ComboItems":["apple","banana","cherry","date"]},{"Heading":"Note"}],
      "rows":[["banana","x"]]})");
    TgrShotGrid* g = shot.Grid();
    Word16 key = VK_F4;
    g->DoKeyDown(key, {});
    TgrCombo* combo = g->DroppedCombo();
    ASSERT_NE(combo, nullptr);
    ASSERT_NE(g->DropDownForm(), nullptr);
    EXPECT_TRUE(g->DropDownForm()->Visible());
    // Below the cell, at its left edge.
    TRect cell = g->CellPixels(1, 1);
    TPoint below = g->ClientToScreen(TPoint(cell.Left, cell.Bottom));
    EXPECT_EQ(g->DropDownForm()->Left(), below.X);
    EXPECT_EQ(g->DropDownForm()->Top(), below.Y);
    // The list starts on the cell's value; Down twice and Enter take "date".
    TgrBaseGrid* list = combo->ComboGrid();
    EXPECT_EQ(list->CurrentDataRow(), 2);
    for (Word16 k : {VK_DOWN, VK_DOWN, VK_RETURN}) {
        key = k;
        g->DoKeyDown(key, {});
    }
    EXPECT_EQ(g->DroppedCombo(), nullptr);
    EXPECT_FALSE(g->DropDownForm()->Visible());
    EXPECT_EQ(g->GetCellValue(1, 1).AsString(), "date");

    // Esc closes without a change.
    key = VK_DOWN;
    g->DoKeyDown(key, {ssAlt});
    ASSERT_NE(g->DroppedCombo(), nullptr);
    key = VK_UP;
    g->DoKeyDown(key, {});
    key = VK_ESCAPE;
    g->DoKeyDown(key, {});
    EXPECT_EQ(g->GetCellValue(1, 1).AsString(), "date");

    // A click on the button drops it down; a click on a list row takes it.
    TgrCellPaintInfo info;
    ASSERT_TRUE(g->FillDrawInfo(1, 1, info));
    ASSERT_TRUE(info.HasButton);
    TPoint button{(info.ButtonRect.Left + info.ButtonRect.Right) / 2, (info.ButtonRect.Top + info.ButtonRect.Bottom) / 2};
    g->MouseDown(mbLeft, {}, button.X, button.Y);
    g->MouseUp(mbLeft, {}, button.X, button.Y);
    ASSERT_NE(g->DroppedCombo(), nullptr);
    TRect first = list->CellPixels(1, 1);
    auto* shotList = static_cast<TgrShotGrid*>(list);
    shotList->MouseDown(mbLeft, {}, first.Left + 3, first.Top + 3);
    shotList->MouseUp(mbLeft, {}, first.Left + 3, first.Top + 3);
    EXPECT_EQ(g->DroppedCombo(), nullptr);
    EXPECT_EQ(g->GetCellValue(1, 1).AsString(), "apple");
    // A cell without a combo does not drop anything down.
    g->ChangeCurrentCell(2, 1);
    key = VK_F4;
    g->DoKeyDown(key, {});
    EXPECT_EQ(g->DroppedCombo(), nullptr);
    SetCurrentClock(nullptr);
}

TEST(GridShotCombo, DateTimeDropDownOnlyWithARegisteredEditor) {
    TGridShot shot;
    shot.Run(R"({"width":300,"height":150,"grid":{"Cols":2,"Rows":3},
      "columns":[{"Heading":"When","ButtonType":"btDateTimeDropDown"}]})");
    TgrShotGrid* g = shot.Grid();
    auto* def = new TgrDateTimeDefComponent(g);
    g->SetDateTimeDef(def);
    RegisterDateTimeEditor(nullptr);
    EXPECT_FALSE(g->CanDropDownDateTime(1, 1));
    Word16 key = VK_F4;
    g->DoKeyDown(key, {});  // nothing to drop down, nothing raised
    EXPECT_EQ(key, VK_F4);

    TTestDateTimeEditors editors;
    editors.Register();
    EXPECT_TRUE(g->CanDropDownDateTime(1, 1));
    EXPECT_FALSE(g->CanDropDownDateTime(2, 1)) << "no date-time button";
    key = VK_F4;
    g->DoKeyDown(key, {});
    EXPECT_EQ(editors.Opened, 1);
    EXPECT_EQ(editors.LastDef, def);
    EXPECT_EQ(key, 0);
}

TEST(GridShotCombo, DropDownsStayInTheWorkAreaOfTheirScreen) {
    const TRect first(0, 0, 1920, 1040), second(1920, 0, 3840, 1040);
    struct Case {
        const char* name;
        TRect cell, work;
        int width, height;
        TRect expected;
    } cases[] = {
        {"below the cell", {100, 100, 180, 120}, first, 200, 150, {100, 120, 300, 270}},
        {"moved left at the right edge", {1850, 100, 1910, 120}, first, 200, 150, {1720, 120, 1920, 270}},
        {"above when no room below", {100, 980, 180, 1000}, first, 200, 150, {100, 830, 300, 980}},
        {"second screen keeps its left edge", {1925, 100, 1990, 120}, second, 2500, 150, {1920, 120, 4420, 270}},
        {"second screen right edge", {3800, 100, 3830, 120}, second, 200, 150, {3640, 120, 3840, 270}},
    };
    for (const Case& c : cases) EXPECT_EQ(PlaceDropDown(c.cell, c.width, c.height, c.work), c.expected) << c.name;
}

}  // namespace

// The mouse status each press starts, and the click of a release: OnClick
// and the click-cell notification with the cells of press and release,
// sent as the window system delivers them to the grid class.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>

#include <string>

#include "grid/TSGrid.h"
#include "grid/tests/GridOnForm.h"

namespace {

// Records OnClick and the click-cell notification in one transcript.
class TClickGrid : public TInputGrid {
public:
    using TInputGrid::TInputGrid;
    std::string Clicks;
    bool FireClickCell(Integer downCol, Integer downRow, Integer upCol, Integer upRow, TgrClickPosition downPos,
                       TgrClickPosition upPos) override {
        Clicks += "cell " + std::to_string(downCol) + "," + std::to_string(downRow) + ":" + std::to_string(downPos) +
                  ">" + std::to_string(upCol) + "," + std::to_string(upRow) + ":" + std::to_string(upPos) + ";";
        return false;
    }
};

class GridClick : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        form = new TForm(Application);
        form->SetBounds(0, 0, 500, 400);
        grid = new TClickGrid(form);
        grid->SetParent(form);
        grid->SetBounds(0, 0, 400, 200);
        grid->SetCols(5);
        grid->SetRows(10);
        form->Show();
        grid->SetFocus();
        grid->OnClick = [this](TObject*) { grid->Clicks += "click;"; };
        grid->OnMouseStatusChanged = [this](TObject*, TgrMouseStatus, TgrMouseStatus n) {
            statuses += std::to_string(int(n)) + ";";
        };
    }
    void TearDown() override { Application->ResetForTesting(); }
    void Send(QEvent::Type type, TPoint p, Qt::KeyboardModifiers keys = Qt::NoModifier) {
        SendLeftMouse(grid->Widget(), type, p, keys);
    }
    void Drag(TPoint a, TPoint b) {
        Send(QEvent::MouseButtonPress, a);
        Send(QEvent::MouseMove, b);
        Send(QEvent::MouseButtonRelease, b);
    }
    TPoint Mid(Integer c, Integer r) {
        TRect rc = grid->CellPixels(c, r);
        return {(rc.Left + rc.Right) / 2, (rc.Top + rc.Bottom) / 2};
    }
    TPoint ColBorder(Integer c) {
        TRect rc = grid->CellPixels(c, 0);
        return {rc.Left + grid->GetColWidthAt(c) - 1, rc.Top + 3};
    }
    TPoint RowBorder(Integer r, Integer x = 3) {
        TRect rc = grid->CellPixels(0, r);
        return {x, rc.Top + grid->GetRowHeightAt(r) - 1};
    }
    TForm* form = nullptr;
    TClickGrid* grid = nullptr;
    std::string statuses;
};

}  // namespace

TEST_F(GridClick, EachPressStartsItsOwnMouseStatus) {
    grid->SetRowSelectMode(rsMulti);
    grid->SetColSelectMode(csMulti);
    struct Case {
        const char* name;
        TPoint at;
        TgrMouseStatus status;
    } cases[] = {
        {"row bar", Mid(0, 3), msRowSelect},
        {"heading", Mid(2, 0), msColSelect},
        {"data cell: a click", Mid(2, 3), msNone},
        {"data cell's left margin: a range", TPoint(grid->CellPixels(2, 3).Left + 2, Mid(2, 3).Y), msCellSelect},
        {"one pixel right of the margin: a click", TPoint(grid->CellPixels(2, 3).Left + 3, Mid(2, 3).Y), msNone},
        {"row border", RowBorder(2), msRowResize},
        {"column border", ColBorder(2), msColResize},
        {"heading border away from the row bar", RowBorder(0, Mid(3, 0).X), msHeadingResize},
        {"row bar border", ColBorder(0), msRowBarResize},
    };
    for (const Case& c : cases) {
        Send(QEvent::MouseButtonPress, c.at);
        EXPECT_EQ(grid->MouseStatus(), c.status) << c.name;
        Send(QEvent::MouseButtonRelease, c.at);
        EXPECT_EQ(grid->MouseStatus(), msNone) << c.name;
    }
    // The corner selects every row while it holds msSelectAll (4).
    statuses.clear();
    Drag(Mid(0, 0), Mid(0, 0));
    EXPECT_EQ(statuses, "4;0;");

    // Moving by the heading without column selection, and a heading that
    // acts as a button.
    grid->SetColSelectMode(csNone);
    grid->SetColMoving(true);
    Send(QEvent::MouseButtonPress, Mid(2, 0));
    EXPECT_EQ(grid->MouseStatus(), msColMove);
    Word16 esc = VK_ESCAPE;
    grid->DoKeyDown(esc, {});
    Send(QEvent::MouseButtonRelease, Mid(2, 0));
    grid->SetColMoving(false);
    grid->SetHeadingButton(hbCell);
    Send(QEvent::MouseButtonPress, Mid(2, 0));
    EXPECT_EQ(grid->MouseStatus(), msHeadingButtonDown);
    Send(QEvent::MouseButtonRelease, Mid(2, 0));
    EXPECT_EQ(int(msHeadingButtonDown), 12);
}

TEST_F(GridClick, AReleaseClicksWithThePressedAndReleasedCells) {
    // Pressed on one cell and released on another, each with its position.
    Drag(Mid(2, 3), Mid(4, 5));
    EXPECT_EQ(grid->Clicks, "click;cell 2,3:3>4,5:3;");
    grid->Clicks.clear();
    Drag(Mid(1, 0), Mid(0, 2));
    EXPECT_EQ(grid->Clicks, "click;cell 1,0:0>0,2:1;");
    grid->Clicks.clear();
    Drag(Mid(3, 2), TPoint(grid->ClientWidth() + 20, Mid(3, 2).Y));
    EXPECT_EQ(grid->Clicks, "click;cell 3,2:3>-1,-1:4;");

    // Resizing and moving give no click.
    grid->Clicks.clear();
    TPoint border = ColBorder(2);
    Drag(border, TPoint(border.X + 10, border.Y));
    grid->SetRowMoving(true);
    grid->SetRowSelectMode(rsMulti);
    Drag(Mid(0, 3), Mid(0, 3));  // selects row 3
    grid->Clicks.clear();
    Drag(Mid(0, 3), Mid(0, 6));
    EXPECT_EQ(grid->Clicks, "");
}

TEST_F(GridClick, ClickPositionsByDataNumbers) {
    struct Case {
        Integer col, row;
        TgrClickPosition pos;
    } cases[] = {{0, 0, cpCorner}, {0, 5, cpRowBar}, {3, 0, cpHeading}, {-1, 2, cpOutside}, {2, -1, cpOutside},
                 {3, 4, cpCell}};
    for (const Case& c : cases)
        EXPECT_EQ(TgrBaseGrid::GetClickPosition(c.col, c.row), c.pos) << c.col << "," << c.row;
}

TEST_F(GridClick, APlainPressOnTheSelectionMayStartADrag) {
    grid->SetRowSelectMode(rsMulti);
    Drag(Mid(0, 3), Mid(0, 3));  // row 3 selected
    ASSERT_TRUE(grid->IsDisplayRowSelected(3));
    int asked = 0;
    grid->OnCanStartDrag = [&](TObject*) { ++asked; };
    struct Case {
        const char* name;
        TPoint at;
        Qt::KeyboardModifiers keys;
        bool rowMoving;
        int asked;
    } cases[] = {
        {"a selected row's cell", Mid(2, 3), Qt::NoModifier, false, 1},
        {"with Shift: a selection press", Mid(2, 3), Qt::ShiftModifier, false, 0},
        {"with Ctrl: a selection press", Mid(0, 3), Qt::ControlModifier, false, 0},
        {"an unselected cell", Mid(2, 4), Qt::NoModifier, false, 0},
        {"the row bar of a selected row that moves", Mid(0, 3), Qt::NoModifier, true, 0},
    };
    for (const Case& c : cases) {
        // Each case starts from row 3 alone selected.
        grid->SetRowMoving(false);
        Drag(Mid(0, 3), Mid(0, 3));
        grid->SetRowMoving(c.rowMoving);
        asked = 0;
        Send(QEvent::MouseButtonPress, c.at, c.keys);
        EXPECT_EQ(asked, c.asked) << c.name;
        Send(QEvent::MouseButtonRelease, c.at, c.keys);
    }
}

TEST_F(GridClick, AHeldHeadingButtonClicksWhenLetGoOnIt) {
    grid->SetHeadingButton(hbCell);
    std::string events;
    grid->OnHeadingUp = [&](TObject*, Integer c) { events += "up " + std::to_string(c) + ";"; };
    grid->OnHeadingClick = [&](TObject*, Integer c) { events += "click " + std::to_string(c) + ";"; };
    struct Case {
        const char* name;
        bool escape;
        TPoint end;
        const char* events;
    } cases[] = {
        {"released on it", false, Mid(2, 0), "up 2;click 2;"},
        {"released off it", false, Mid(2, 3), "up 2;"},
        {"Esc on it", true, Mid(2, 0), "up 2;click 2;"},
        {"Esc off it", true, Mid(2, 3), "up 2;"},
    };
    for (const Case& c : cases) {
        events.clear();
        Send(QEvent::MouseButtonPress, Mid(2, 0));
        Send(QEvent::MouseMove, c.end);
        if (c.escape) {
            Word16 esc = VK_ESCAPE;
            grid->DoKeyDown(esc, {});
            EXPECT_EQ(grid->MouseStatus(), msNone) << c.name;
        }
        Send(QEvent::MouseButtonRelease, c.end);
        EXPECT_EQ(events, c.events) << c.name;
    }
}

// Double-clicks on the real grid class, delivered as the window system
// delivers them: OnDblClick and the double-click-cell notification come
// before OnMouseDown with the data numbers of the cell; on the current cell
// of a grid that can edit now the second press is a fresh press of the
// cell, anywhere else it is used up and its release is ignored.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>

#include <string>
#include <vector>

#include "grid/tests/GridClassSupport.h"

namespace {

class TDblGrid : public TLogGrid {
public:
    using TLogGrid::TLogGrid;
    using TgrBaseGrid::ReleaseIgnored;
    std::vector<std::string> Events;
    void FireDblClickCell(Integer c, Integer r) override {
        Events.push_back("cell " + std::to_string(c) + "," + std::to_string(r));
    }
};

class GridDblClick : public ::testing::Test {
protected:
    void SetUp() override {
        grid = ShownGrid<TDblGrid>(form, 3, 4);
        grid->SetDefaultRowHeight(20);
        grid->OnDblClick = [this](TObject*) { grid->Events.push_back("dblclick"); };
        grid->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) { grid->Events.push_back("down"); };
        form->Show();
        grid->SetFocus();
    }
    void TearDown() override { Application->ResetForTesting(); }

    void Send(QEvent::Type type, TPoint p, Qt::MouseButtons held) {
        QPointF at(p.X, p.Y);
        QMouseEvent e(type, at, grid->Widget()->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(grid->Widget(), &e);
    }
    void SecondPress(TPoint p) { Send(QEvent::MouseButtonDblClick, p, Qt::LeftButton); }
    void Release(TPoint p) { Send(QEvent::MouseButtonRelease, p, Qt::NoButton); }
    // Both clicks of a double-click.
    void DoubleClick(TPoint p) {
        Send(QEvent::MouseButtonPress, p, Qt::LeftButton);
        Release(p);
        SecondPress(p);
        Release(p);
    }
    TPoint Inside(Integer col, Integer row) {
        TRect r = grid->CellPixels(col, row);
        return TPoint(r.Left + 6, r.Top + 5);
    }

    TForm* form = nullptr;
    TDblGrid* grid = nullptr;
};

TEST_F(GridDblClick, TheSecondPressFiresBeforeMouseDownWithTheDataNumbersOfTheCell) {
    // Display column 3 shows data column 1 after the move.
    grid->MoveCol(1, 3);
    struct Case {
        const char* name;
        TPoint at;
        std::vector<std::string> events;
    } cases[] = {
        {"data cell", Inside(3, 2), {"dblclick", "cell 1,2", "down"}},
        {"heading", Inside(2, 0), {"dblclick", "cell 3,0", "down"}},
        {"row bar", Inside(0, 3), {"dblclick", "cell 0,3", "down"}},
        {"below the cells", TPoint(40, 115), {"dblclick", "cell -1,-1", "down"}},
    };
    for (const Case& c : cases) {
        grid->Events.clear();
        SecondPress(c.at);
        EXPECT_EQ(grid->Events, c.events) << c.name;
        Release(c.at);
    }
    // On a column border the double-click gives the column its width back
    // and is no double-click.
    TRect heading = grid->CellPixels(1, 0);
    TPoint border(heading.Right - 1, heading.Top + 3);
    grid->Events.clear();
    SecondPress(border);
    Release(border);
    EXPECT_EQ(grid->Events, (std::vector<std::string>{"down"}));
}

TEST_F(GridDblClick, OnTheCurrentCellOfAnEditableGridItIsAFreshPressElseUsedUp) {
    grid->Col(1)->SetControlType(ctCheck);
    struct Case {
        const char* name;
        TgrGridMode mode;
        Integer toggled;  // the check box's value afterwards
        bool ignored;     // the second press used up
    } cases[] = {
        {"edit mode: the second press clicks the check box made current", gmEdit, 1, false},
        {"browse mode: nothing to edit, used up", gmBrowse, 0, true},
    };
    Integer row = 1;
    for (const Case& c : cases) {
        grid->SetGridMode(c.mode);
        ++row;
        TPoint p = Inside(1, row);
        Send(QEvent::MouseButtonPress, p, Qt::LeftButton);
        Release(p);
        ASSERT_EQ(grid->CurrentDisplayRow(), row) << c.name;
        SecondPress(p);
        EXPECT_EQ(grid->ReleaseIgnored(), c.ignored) << c.name;
        EXPECT_EQ(grid->MouseStatus(), msNone) << c.name;  // a cell click holds no status
        Release(p);
        EXPECT_FALSE(grid->ReleaseIgnored()) << c.name << ": the release ends it";
        EXPECT_EQ(grid->GetCellValue(1, row).AsInteger(), c.toggled) << c.name;
    }
    // Off the current cell the double-click moves nothing.
    grid->SetGridMode(gmEdit);
    grid->Events.clear();
    SecondPress(Inside(2, 4));
    EXPECT_TRUE(grid->ReleaseIgnored());
    EXPECT_EQ(grid->CurrentDisplayRow(), row);
    Release(Inside(2, 4));
}

}  // namespace

// Where a press counts as a press of a cell's button, on the real grid class
// with mouse events sent to its window: the button itself, the whole cell of
// a drop-down-list combo or date-time cell, never in browse or list-box mode,
// on a read-only cell or where the open list lies; a double-click there is
// another press, not a double-click.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

#include "grid/GridButtons.h"
#include "grid/GridCombo.h"
#include "grid/TSDateTimeDef.h"
#include "grid/TSGrid.h"
#include "grid/tests/GridDateTimeSupport.h"
#include "grid/tests/GridClassSupport.h"
#include "platform/gui/Forms.h"

namespace {

// Column 1 a combo over a list of three, column 2 plain text, column 3 a
// date-time drop-down; 3 x 4 cells on a shown form.
class GridButtonArea : public ::testing::Test {
protected:
    void SetUp() override {
        grid = ShownGrid<TLogGrid>(form, 3, 4);
        grid->SetDefaultRowHeight(20);
        grid->Col(1)->SetButtonType(btCombo);
        grid->Col(1)->CreateCombo();
        TgrBaseGrid* list = grid->Col(1)->Combo()->ComboGrid();
        list->SetCols(1);
        list->SetRows(3);
        for (Integer r = 1; r <= 3; ++r) list->PutCellValue(1, r, Variant("item " + std::to_string(r)));
        grid->Col(3)->SetButtonType(btDateTimeDropDown);
        grid->SetDateTimeDef(new TgrDateTimeDefComponent(grid));
        editors.Register();
        grid->OnDblClick = [this](TObject*) { ++doubleClicks; };
        form->Show();
        grid->SetFocus();
    }
    void TearDown() override {
        Application->ResetForTesting();
    }

    void Send(QEvent::Type type, TPoint p, Qt::MouseButtons held) {
        QPointF at(p.X, p.Y);
        QMouseEvent e(type, at, grid->Widget()->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(grid->Widget(), &e);
    }
    void Click(TPoint p) {
        Send(QEvent::MouseButtonPress, p, Qt::LeftButton);
        Send(QEvent::MouseButtonRelease, p, Qt::NoButton);
    }
    // The events of a double-click as the window system delivers them.
    void DoubleClick(TPoint p) {
        Click(p);
        Send(QEvent::MouseButtonDblClick, p, Qt::LeftButton);
        Send(QEvent::MouseButtonRelease, p, Qt::NoButton);
    }

    enum TWhere { wMiddle, wBesideButton, wOnButton };
    TPoint At(Integer col, Integer row, TWhere where) {
        TRect cell = grid->CellPixels(col, row);
        TRect button = CellButtonRect(grid, col, row);
        int y = cell.Top + 4;
        switch (where) {
            case wMiddle: return TPoint(cell.Left + 8, y);
            case wBesideButton: return TPoint(button.Left - 2, y);  // 2 pixels left of the button
            default: return TPoint(button.Left + 3, y);
        }
    }
    bool Dropped() { return grid->DroppedCombo() != nullptr; }

    TForm* form = nullptr;
    TLogGrid* grid = nullptr;
    TTestDateTimeEditors editors;
    int doubleClicks = 0;
};

TEST_F(GridButtonArea, APressDropsDownOnlyWhereTheCellsButtonCanReact) {
    struct Case {
        const char* name;
        TgrDropDownStyle style;
        TgrGridMode mode;
        bool readOnly;
        TWhere where;
        bool drops;
    } cases[] = {
        {"list: anywhere in the cell", ddDropDownList, gmEdit, false, wMiddle, true},
        {"list: beside the button", ddDropDownList, gmEdit, false, wBesideButton, true},
        {"list: the button", ddDropDownList, gmEditInsert, false, wOnButton, true},
        {"plain: the cell", ddDropDown, gmEdit, false, wMiddle, false},
        {"plain: beside the button", ddDropDown, gmEdit, false, wBesideButton, false},
        {"plain: the button", ddDropDown, gmEdit, false, wOnButton, true},
        {"browse: the list cell", ddDropDownList, gmBrowse, false, wMiddle, false},
        {"browse: the button", ddDropDown, gmBrowse, false, wOnButton, false},
        {"list box: the list cell", ddDropDownList, gmListBox, false, wMiddle, false},
        {"read-only: the list cell", ddDropDownList, gmEdit, true, wMiddle, false},
        {"read-only: the button", ddDropDown, gmEdit, true, wOnButton, false},
    };
    // The places are taken while the cell still shows its button.
    grid->Col(1)->SetDropDownStyle(ddDropDown);
    const TPoint places[] = {At(1, 2, wMiddle), At(1, 2, wBesideButton), At(1, 2, wOnButton)};
    for (const Case& c : cases) {
        for (bool fromElsewhere : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (fromElsewhere ? ", from another cell" : ", on the current cell"));
            grid->CloseDropDowns();
            grid->SetGridMode(gmEdit);
            grid->ChangeCurrentCell(fromElsewhere ? 2 : 1, 2);
            grid->Col(1)->SetDropDownStyle(c.style);
            grid->SetCellReadOnly(1, 2, c.readOnly ? roOn : roOff);
            grid->SetGridMode(c.mode);
            TPoint p = places[c.where];
            EXPECT_EQ(grid->IsOverCellButtonArea(p.X, p.Y, 1, 2), c.drops);
            Click(p);
            EXPECT_EQ(Dropped(), c.drops);
            if (c.drops) EXPECT_EQ(grid->CurrentDisplayCol(), 1) << "the pressed cell is current";
        }
    }
    grid->CloseDropDowns();

    // A date-time drop-down cell alike: its editor opens.
    grid->SetGridMode(gmEdit);
    grid->Col(3)->SetDropDownStyle(ddDropDown);
    Click(At(3, 1, wMiddle));
    EXPECT_EQ(editors.Opened, 0);
    Click(At(3, 1, wOnButton));
    EXPECT_EQ(editors.Opened, 1);
    // The editor has not answered: a second press closes it.
    EXPECT_TRUE(grid->IsDateTimeDropDownShown());
    Click(At(3, 1, wOnButton));
    EXPECT_EQ(editors.Opened, 1);
    EXPECT_FALSE(grid->IsDateTimeDropDownShown());
    grid->Col(3)->SetDropDownStyle(ddDropDownList);
    Click(At(3, 1, wMiddle));
    EXPECT_EQ(editors.Opened, 2);
}

TEST_F(GridButtonArea, PressesOnTheListCellToggleAndADoubleClickThereIsNoDoubleClick) {
    grid->Col(1)->SetDropDownStyle(ddDropDownList);
    Click(At(1, 1, wMiddle));
    ASSERT_TRUE(Dropped());
    Click(At(1, 1, wMiddle));
    EXPECT_FALSE(Dropped()) << "a second press closes it";

    // The second press of a double-click closes again what the first opened.
    DoubleClick(At(1, 1, wMiddle));
    EXPECT_FALSE(Dropped());
    EXPECT_EQ(doubleClicks, 0);

    // A press on another cell closes the list and moves there.
    Click(At(1, 1, wOnButton));
    ASSERT_TRUE(Dropped());
    Click(At(2, 1, wMiddle));
    EXPECT_FALSE(Dropped());
    EXPECT_EQ(grid->CurrentDisplayCol(), 2);

    // Off the button of a plain combo cell, or on a text cell, a
    // double-click is one.
    grid->Col(1)->SetDropDownStyle(ddDropDown);
    DoubleClick(At(1, 3, wMiddle));
    DoubleClick(At(2, 3, wMiddle));
    EXPECT_FALSE(Dropped());
    EXPECT_EQ(doubleClicks, 2);
}

TEST_F(GridButtonArea, ButtonsCanReactOnlyOnDataCellsInTheClientAreaOffTheOpenList) {
    TPoint p = At(1, 1, wOnButton);
    EXPECT_TRUE(grid->CanShowCellButton(p.X, p.Y, 1, 1, btCombo));
    EXPECT_FALSE(grid->CanShowCellButton(p.X, p.Y, 1, 1, btNone));
    EXPECT_FALSE(grid->CanShowCellButton(p.X, p.Y, 0, 1, btCombo)) << "row bar";
    EXPECT_FALSE(grid->CanShowCellButton(p.X, p.Y, 1, 0, btCombo)) << "heading";
    EXPECT_FALSE(grid->CanShowCellButton(grid->ClientWidth() + 1, p.Y, 1, 1, btCombo));
    EXPECT_FALSE(grid->CanShowCellButton(p.X, grid->ClientHeight() + 1, 1, 1, btCombo));
    EXPECT_FALSE(grid->IsOverCellButtonArea(p.X, p.Y, 0, 0));
    EXPECT_FALSE(grid->IsOverCellButtonArea(p.X, p.Y, 9, 1)) << "beyond the last column";

    // The list drops down over the cells below its own; there they have no
    // button to press.
    grid->Col(1)->SetDropDownStyle(ddDropDownList);
    Click(At(1, 1, wMiddle));
    ASSERT_TRUE(Dropped());
    TRect down = grid->DropDownForm()->BoundsRect();
    TPoint over = grid->ScreenToClient(TPoint(down.Left + 4, down.Top + 4));
    ASSERT_LT(over.Y, grid->ClientHeight()) << "the list covers part of the grid";
    TCellCoord_ts under = grid->MouseCoord(over.X, over.Y);
    ASSERT_EQ(under.Col, 1);
    EXPECT_TRUE(grid->IsPointOverDropDown(over.X, over.Y));
    EXPECT_FALSE(grid->IsOverCellButtonArea(over.X, over.Y, under.Col, under.Row));
    TPoint above = grid->ScreenToClient(TPoint(down.Left + 4, down.Top - 1));
    EXPECT_FALSE(grid->IsPointOverDropDown(above.X, above.Y));
    grid->CloseDropDowns();
    EXPECT_FALSE(grid->IsPointOverDropDown(over.X, over.Y));
    EXPECT_TRUE(grid->IsOverCellButtonArea(over.X, over.Y, under.Col, under.Row));
}

TEST_F(GridButtonArea, TheHitTestRemembersTheButtonItFound) {
    grid->Col(2)->SetButtonType(btVertSpin);
    TgrCustomButton* spin = grid->GetCellButton(2, btVertSpin);
    TgrCustomButton* combo = grid->GetCellButton(1, btCombo);
    EXPECT_EQ(grid->CurrentButton(), nullptr) << "fetching a button is no hit test";
    TPoint p = At(2, 1, wOnButton);
    EXPECT_TRUE(grid->IsOverCellButton(p.X, p.Y, 2, 1));
    EXPECT_EQ(grid->CurrentButton(), spin);
    p = At(1, 1, wMiddle);
    EXPECT_FALSE(grid->IsOverCellButton(p.X, p.Y, 1, 1));
    EXPECT_EQ(grid->CurrentButton(), combo) << "the cell's button, missed or not";
    // A cell whose button cannot react leaves it as it was.
    grid->SetGridMode(gmBrowse);
    EXPECT_FALSE(grid->IsOverCellButton(At(2, 1, wOnButton).X, p.Y, 2, 1));
    EXPECT_EQ(grid->CurrentButton(), combo);
}

}  // namespace

// Cell buttons pressed with the mouse: their events by where the press
// ends, judged by the button of the cell under the pointer.

#include <gtest/gtest.h>

#include <QMouseEvent>

#include <string>
#include <vector>

#include "grid/TSDateTimeDef.h"
#include "grid/TSGrid.h"
#include "grid/tests/GridDateTimeSupport.h"
#include "grid/tests/GridClassSupport.h"
#include "platform/gui/Forms.h"

namespace {

class TButtonGrid : public TLogGrid {
public:
    using TLogGrid::TLogGrid;
    using TgrBaseGrid::MouseMove;
    using TgrBaseGrid::MouseUp;
    std::vector<std::string> Events;
    void FireButtonDown(Integer c, Integer r) override { Events.push_back(Name("down", c, r)); }
    void FireButtonUp(Integer c, Integer r) override { Events.push_back(Name("up", c, r)); }
    void FireButtonClick(Integer c, Integer r) override { Events.push_back(Name("click", c, r)); }

private:
    static std::string Name(const char* what, Integer c, Integer r) {
        return std::string(what) + " " + std::to_string(c) + "," + std::to_string(r);
    }
};

class GridCellButtonPress : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        form = new TForm(Application);
        form->SetBounds(0, 0, 400, 200);
        grid = new TButtonGrid(form);
        grid->SetParent(form);
        grid->SetBounds(0, 0, 300, 120);
        grid->SetCols(2);
        grid->SetRows(3);
        grid->SetStoreData(true);
        grid->Col(1)->SetButtonType(btNormal);
        form->Show();
        TgrCellPaintInfo info;
        ASSERT_TRUE(grid->FillDrawInfo(1, 1, info));
        button = info.ButtonRect;
        cell = info.CellRect;
    }
    void TearDown() override { Application->ResetForTesting(); }
    TForm* form = nullptr;
    TButtonGrid* grid = nullptr;
    TRect button, cell;
};

TEST_F(GridCellButtonPress, EventsFollowWhereThePressEnds) {
    struct Case {
        const char* name;
        Integer x, y;
        std::vector<std::string> events;
    } cases[] = {
        {"released on the button", button.Left + 3, button.Top + 3, {"down 1,1", "click 1,1", "up 1,1"}},
        {"released on its cell, off the button", cell.Left + 5, cell.Top + 3, {"down 1,1", "up 1,1"}},
        {"released over another cell with a button", cell.Left + 5, cell.Bottom + 5, {"down 1,1", "up 1,1"}},
        {"released over a cell without a button", cell.Right + 5, cell.Top + 3, {"down 1,1"}},
    };
    for (const Case& c : cases) {
        grid->Events.clear();
        grid->MouseDown(mbLeft, {}, int(button.Left + 3), int(button.Top + 3));
        grid->MouseMove(TShiftState{ssLeft}, int(c.x), int(c.y));
        grid->MouseUp(mbLeft, {}, int(c.x), int(c.y));
        EXPECT_EQ(grid->Events, c.events) << c.name;
        EXPECT_EQ(grid->MouseStatus(), msNone) << c.name;
    }
    // A press beside the button is none.
    grid->Events.clear();
    grid->MouseDown(mbLeft, {}, int(cell.Left + 5), int(cell.Top + 3));
    grid->MouseUp(mbLeft, {}, int(cell.Left + 5), int(cell.Top + 3));
    EXPECT_TRUE(grid->Events.empty());
}

}  // namespace

// A combo button (column 2, a list of two) pressed on the current cell: no
// down event; the release fires the click over any drop-down cell or on
// the button, and the up event over a cell with a combo, normal or
// date-time button. The pressed cell is on row 2, so that the combo cell
// above is not under the list (a move onto the list hands the press over).
TEST_F(GridCellButtonPress, AComboButtonFiresClickAndUpByTheCellItIsReleasedOver) {
    grid->SetCols(3);
    grid->Col(2)->SetButtonType(btCombo);
    grid->Col(2)->CreateCombo();
    TgrBaseGrid* list = grid->Col(2)->Combo()->ComboGrid();
    list->SetRows(2);
    list->PutCellValue(1, 1, Variant("one"));
    list->PutCellValue(1, 2, Variant("two"));
    grid->SetFocus();
    ASSERT_TRUE(grid->MoveToDisplayCell(2, 2));
    TgrCellPaintInfo info;
    ASSERT_TRUE(grid->FillDrawInfo(2, 2, info));
    TRect comboButton = info.ButtonRect, comboCell = info.CellRect;
    TRect text = grid->CellPixels(3, 2);
    struct Case {
        const char* name;
        Integer x, y;
        std::vector<std::string> events;
    } cases[] = {
        {"on the button", comboButton.Left + 3, comboButton.Top + 3, {"click 2,2", "up 2,2"}},
        {"on its cell, off the button", comboCell.Left + 3, comboCell.Top + 3, {"click 2,2", "up 2,2"}},
        {"over another combo cell", comboCell.Left + 3, comboCell.Top - 5, {"click 2,2", "up 2,2"}},
        {"over a normal button's cell", cell.Left + 5, cell.Bottom + 5, {"up 2,2"}},
        {"over a text cell", text.Left + 5, text.Top + 3, {}},
        {"outside the cells", 295, 115, {}},
    };
    for (const Case& c : cases) {
        grid->Events.clear();
        grid->MouseDown(mbLeft, {}, int(comboButton.Left + 3), int(comboButton.Top + 3));
        EXPECT_EQ(grid->MouseStatus(), msButtonDown) << c.name;
        grid->MouseMove(TShiftState{ssLeft}, int(c.x), int(c.y));
        grid->MouseUp(mbLeft, {}, int(c.x), int(c.y));
        EXPECT_EQ(grid->Events, c.events) << c.name;
        EXPECT_EQ(grid->MouseStatus(), msNone) << c.name;
        grid->CloseDropDowns();
    }
}

// A date-time popup button fires like a normal one; its click opens the
// registered date-time editor, a release over a cell without a button
// does not.
TEST_F(GridCellButtonPress, ADateTimePopupButtonsClickOpensTheEditor) {
    TTestDateTimeEditors editors;
    editors.Register();
    grid->Col(1)->SetButtonType(btDateTimePopup);
    grid->SetDateTimeDef(new TgrDateTimeDefComponent(grid));
    TgrCellPaintInfo info;
    ASSERT_TRUE(grid->FillDrawInfo(1, 1, info));
    TRect popup = info.ButtonRect;
    grid->MouseDown(mbLeft, {}, int(popup.Left + 3), int(popup.Top + 3));
    grid->MouseUp(mbLeft, {}, int(popup.Left + 3), int(popup.Top + 3));
    EXPECT_EQ(grid->Events, (std::vector<std::string>{"down 1,1", "click 1,1", "up 1,1"}));
    EXPECT_EQ(editors.Opened, 1);
    grid->MouseDown(mbLeft, {}, int(popup.Left + 3), int(popup.Top + 3));
    grid->MouseUp(mbLeft, {}, int(cell.Right + 5), int(cell.Top + 3));
    EXPECT_EQ(editors.Opened, 1) << "released over a cell without a button: no click";
}

// A combo button held down and dragged onto the list it dropped down hands
// the press to the list: the list's current row follows the pointer, and
// the release on a row chooses it; released beside the rows nothing is
// chosen and the list stays down.
TEST_F(GridCellButtonPress, AComboButtonDraggedIntoItsListChoosesTheRowItIsReleasedOn) {
    grid->SetCols(3);
    grid->Col(2)->SetButtonType(btCombo);
    grid->Col(2)->CreateCombo();
    TgrBaseGrid* entries = grid->Col(2)->Combo()->ComboGrid();
    entries->SetRows(3);
    entries->PutCellValue(1, 1, Variant("one"));
    entries->PutCellValue(1, 2, Variant("two"));
    entries->PutCellValue(1, 3, Variant("three"));
    grid->Col(2)->Combo()->SetDropDownRows(3);
    // The list that drops down: the working combo's copy of the column's.
    TgrBaseGrid* list = grid->GetCombo()->ComboGrid();
    grid->SetFocus();
    ASSERT_TRUE(grid->MoveToDisplayCell(2, 1));
    TgrCellPaintInfo info;
    ASSERT_TRUE(grid->FillDrawInfo(2, 1, info));
    TRect comboButton = info.ButtonRect;
    auto listPoint = [&](Integer row) {
        TRect r = list->CellPixels(list->DisplayColOfData(1), list->DisplayRowOfData(row));
        return TPoint(r.Left + 3, r.Top + 3);
    };
    auto sendToList = [&](QEvent::Type type, const TPoint& p) {
        QPointF at(p.X, p.Y);
        QMouseEvent e(type, at, at, Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        list->WidgetEvent(&e);
    };
    for (bool onRow : {false, true}) {
        grid->Events.clear();
        grid->MouseDown(mbLeft, {}, int(comboButton.Left + 3), int(comboButton.Top + 3));
        ASSERT_EQ(grid->DroppedCombo(), grid->GetCombo());
        // Onto the list's first row, as the grid sees the pointer.
        TPoint over = grid->ScreenToClient(list->ClientToScreen(listPoint(1)));
        grid->MouseMove(TShiftState{ssLeft}, int(over.X), int(over.Y));
        EXPECT_EQ(grid->MouseStatus(), msNone);
        EXPECT_FALSE(grid->MouseCapture());
        EXPECT_TRUE(list->MouseCapture());
        EXPECT_TRUE(grid->Events.empty()) << "the button's press ended without events";
        sendToList(QEvent::MouseMove, listPoint(3));
        EXPECT_EQ(list->CurrentDataRow(), 3);
        EXPECT_TRUE(list->IsRowSelected(3));
        if (!onRow) {
            // Below the rows: no row shows selected and the release chooses
            // nothing.
            TPoint beside(listPoint(3).X, list->ClientHeight() + 20);
            sendToList(QEvent::MouseMove, beside);
            EXPECT_FALSE(list->IsRowSelected(3));
            sendToList(QEvent::MouseButtonRelease, beside);
            EXPECT_EQ(grid->DroppedCombo(), grid->GetCombo());
            EXPECT_TRUE(grid->GetCellValue(2, 1).IsEmpty());
            grid->CloseDropDowns();
            continue;
        }
        sendToList(QEvent::MouseButtonRelease, listPoint(3));
        EXPECT_EQ(grid->DroppedCombo(), nullptr);
        EXPECT_EQ(grid->GetCellValue(2, 1).AsString(), "three");
        EXPECT_FALSE(list->MouseCapture());
        EXPECT_EQ(list->MouseStatus(), msNone);
    }
}

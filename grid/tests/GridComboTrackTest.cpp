// A list dropped down at run time by a key or a click follows the pointer
// from the first move: its highlighted row goes where the pointer is until
// a press and release on a row chooses it. Events are sent to the windows
// as the window system delivers them (the list holds the capture).

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QMouseEvent>

#include <string>

#include "grid/GridComboGrid.h"
#include "grid/TSGrid.h"
#include "grid/tests/GridClassSupport.h"
#include "platform/gui/Forms.h"

namespace {

// The list grid (it scrolls itself while a drag is held past its edge).
using TScrollList = TgrComboGridOf<TLogGrid>;

class TTrackGrid : public TLogGrid {
public:
    using TLogGrid::TLogGrid;
    TgrBaseGrid* CreateComboGrid() override { return new TScrollList(nullptr); }
};

// A 3 x 3 grid whose second column picks from a list of eight entries,
// three of them shown; the grid stands on that column's first cell.
class GridComboTrack : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        form = new TForm(Application);
        form->SetBounds(0, 0, 400, 300);
        grid = new TTrackGrid(form);
        grid->SetParent(form);
        grid->SetBounds(0, 0, 300, 200);
        grid->SetCols(3);
        grid->SetRows(3);
        grid->SetStoreData(true);
        grid->Col(2)->SetButtonType(btCombo);
        grid->Col(2)->CreateCombo();
        source = grid->Col(2)->Combo();
        TgrBaseGrid* entries = source->ComboGrid();
        entries->SetRows(8);
        for (Integer r = 1; r <= 8; ++r) entries->PutCellValue(1, r, Variant("item " + std::to_string(r)));
        entries->SetScrollSpeed(spHigh);
        source->SetDropDownRows(3);
        // The list that drops down: the working combo's, loaded from the
        // column's combo.
        combo = grid->GetCombo();
        list = static_cast<TScrollList*>(combo->ComboGrid());
        list->SetScrollSpeed(spHigh);
        form->Show();
        grid->SetFocus();
        ASSERT_TRUE(grid->MoveToDisplayCell(2, 1));
    }
    void TearDown() override { Application->ResetForTesting(); }

    static void Send(TgrBaseGrid* to, QEvent::Type type, const TPoint& p, bool held = false) {
        QPointF at(p.X, p.Y);
        Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        Qt::MouseButtons buttons = type == QEvent::MouseButtonPress || held ? Qt::LeftButton : Qt::NoButton;
        QMouseEvent e(type, at, at, button, buttons, Qt::NoModifier);
        to->WidgetEvent(&e);
    }
    // A point on a shown row of the list, in the list's coordinates.
    TPoint ListPoint(Integer row) {
        TRect r = list->CellPixels(list->DisplayColOfData(1), list->DisplayRowOfData(row));
        return TPoint(r.Left + 3, r.Top + 3);
    }
    // A list point as the grid sees it.
    TPoint InGrid(const TPoint& listPoint) { return grid->ScreenToClient(list->ClientToScreen(listPoint)); }
    // A point of the list's window outside the list, in its coordinates.
    TPoint Outside(const TPoint& gridPoint) { return list->ScreenToClient(grid->ClientToScreen(gridPoint)); }
    void Key(int key) {
        QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
        grid->WidgetEvent(&e);
    }
    void KeyDropDown() {
        Key(Qt::Key_F4);
        ASSERT_EQ(grid->DroppedCombo(), combo);
    }

    TForm* form = nullptr;
    TTrackGrid* grid = nullptr;
    TgrCombo* source = nullptr;
    TgrCombo* combo = nullptr;
    TScrollList* list = nullptr;
};

}  // namespace

// Dropped by F4 or by a click on the button (pressed and released), the
// list follows the first move over it and the moves after it; a press and
// release on a row chooses that row.
TEST_F(GridComboTrack, TheFirstMoveAfterADropDownMakesTheListFollowThePointer) {
    TgrCellPaintInfo info;
    ASSERT_TRUE(grid->FillDrawInfo(2, 1, info));
    TPoint button(info.ButtonRect.Left + 3, info.ButtonRect.Top + 3);
    for (bool byKey : {true, false}) {
        SCOPED_TRACE(byKey ? "by key" : "by click");
        grid->PutCellValue(2, 1, Variant());
        if (byKey) {
            KeyDropDown();
        } else {
            Send(grid, QEvent::MouseButtonPress, button);
            Send(grid, QEvent::MouseButtonRelease, button);
            ASSERT_EQ(grid->DroppedCombo(), combo);
            ASSERT_FALSE(list->MouseCapture());
        }
        // Each drop-down opens the list on its first row, the cell being empty.
        ASSERT_EQ(list->CurrentDataRow(), 1);
        Send(list, QEvent::MouseMove, ListPoint(2));
        EXPECT_TRUE(list->MouseCapture());
        EXPECT_EQ(list->MouseStatus(), msRowSelect);
        EXPECT_EQ(list->CurrentDataRow(), 2);
        EXPECT_TRUE(list->IsRowSelected(2));
        Send(list, QEvent::MouseMove, ListPoint(3));
        EXPECT_EQ(list->CurrentDataRow(), 3);
        EXPECT_TRUE(list->IsRowSelected(3));
        EXPECT_FALSE(list->IsRowSelected(2));
        EXPECT_EQ(grid->DroppedCombo(), combo) << "moves choose nothing";
        Send(list, QEvent::MouseButtonPress, ListPoint(3));
        Send(list, QEvent::MouseButtonRelease, ListPoint(3));
        EXPECT_EQ(grid->DroppedCombo(), nullptr);
        EXPECT_EQ(grid->GetCellValue(2, 1).AsString(), "item 3");
        EXPECT_FALSE(list->MouseCapture());
        EXPECT_EQ(list->MouseStatus(), msNone);
    }
}

// The first move may be over the grid: the list takes the capture but
// keeps its row, and neither follows nor scrolls until the pointer has been
// in its rows. A press outside the list then closes it, choosing nothing;
// the tracking is armed only once per drop-down.
TEST_F(GridComboTrack, AListFollowsOnlyOnceThePointerIsInItsRows) {
    source->SetAutoSearch(asTop);
    grid->PutCellValue(2, 1, Variant("item 5"));
    KeyDropDown();
    // The list opens with the cell's value at its top (the search is asTop).
    ASSERT_EQ(list->CurrentDataRow(), 5);
    Integer top = list->TopRow();
    EXPECT_EQ(list->DataRowOfDisplay(top), 5);
    TPoint overGrid(5, 5);
    Send(grid, QEvent::MouseMove, overGrid);
    EXPECT_TRUE(list->MouseCapture());
    EXPECT_FALSE(grid->MouseCapture());
    EXPECT_EQ(list->CurrentDataRow(), 5);
    // Above the list: no scrolling yet.
    Send(list, QEvent::MouseMove, Outside(TPoint(overGrid.X, overGrid.Y + 1)));
    EXPECT_EQ(list->TopRow(), top);
    EXPECT_EQ(list->CurrentDataRow(), 5);

    // Into the rows and out above them: now the drag scrolls the list up.
    Integer shownFirst = list->DataRowOfDisplay(top);
    Send(list, QEvent::MouseMove, ListPoint(shownFirst));
    EXPECT_EQ(list->CurrentDataRow(), shownFirst);
    Send(list, QEvent::MouseMove, Outside(overGrid));
    EXPECT_LT(list->TopRow(), top);

    // A press over the grid reaches the list, which holds the capture: the
    // list closes without a value.
    Send(list, QEvent::MouseButtonPress, Outside(overGrid));
    EXPECT_EQ(grid->DroppedCombo(), nullptr);
    EXPECT_FALSE(list->MouseCapture());
    EXPECT_EQ(list->MouseStatus(), msNone);
    EXPECT_EQ(grid->GetCellValue(2, 1).AsString(), "item 5");

    // Dropped again and closed by Esc while following: the capture goes.
    KeyDropDown();
    Send(list, QEvent::MouseMove, ListPoint(list->DataRowOfDisplay(list->TopRow())));
    ASSERT_TRUE(list->MouseCapture());
    Key(Qt::Key_Escape);
    EXPECT_EQ(grid->DroppedCombo(), nullptr);
    EXPECT_FALSE(list->MouseCapture());
    EXPECT_EQ(list->MouseStatus(), msNone);
    EXPECT_EQ(grid->GetCellValue(2, 1).AsString(), "item 5");

}

// The tracking is armed once per drop-down: after a held button handed its
// press to the list and was released beside the rows, the list stays down
// and a later move over it no longer takes the capture.
TEST_F(GridComboTrack, TheTrackingIsUsedOncePerDropDown) {
    TgrCellPaintInfo info;
    ASSERT_TRUE(grid->FillDrawInfo(2, 1, info));
    TPoint button(info.ButtonRect.Left + 3, info.ButtonRect.Top + 3);
    Send(grid, QEvent::MouseButtonPress, button);
    ASSERT_EQ(grid->DroppedCombo(), combo);
    Send(grid, QEvent::MouseMove, InGrid(ListPoint(1)), true);
    ASSERT_TRUE(list->MouseCapture());
    TPoint beside(ListPoint(1).X, list->Height() + 10);
    Send(list, QEvent::MouseMove, beside, true);
    Send(list, QEvent::MouseButtonRelease, beside);
    EXPECT_EQ(grid->DroppedCombo(), combo);
    EXPECT_FALSE(list->MouseCapture());
    Send(list, QEvent::MouseMove, ListPoint(2));
    EXPECT_FALSE(list->MouseCapture());
    EXPECT_EQ(list->MouseStatus(), msNone);
}

// The drop-down form is made once, hidden and in the grid's font; a combo
// button's toggle drops the cell's list down and takes it up again, and
// closing answers whether a list was shown.
TEST_F(GridComboTrack, TheDropDownFormAndTheToggle) {
    grid->Font()->SetName("Liberation Serif");
    TForm* dropDown = grid->GetDropDownForm();
    ASSERT_NE(dropDown, nullptr);
    EXPECT_EQ(grid->GetDropDownForm(), dropDown);
    EXPECT_FALSE(dropDown->Visible());
    EXPECT_EQ(dropDown->Font()->Name(), "Liberation Serif");
    EXPECT_FALSE(grid->IsAnyDropDownShown());
    EXPECT_FALSE(grid->CloseComboDropDown(false, true));

    EXPECT_TRUE(grid->ToggleComboDropDown(2, 1));
    EXPECT_TRUE(grid->IsComboDropDownShown());
    EXPECT_TRUE(dropDown->Enabled());
    EXPECT_TRUE(grid->IsDroppedDownAt(2, 1));
    EXPECT_TRUE(grid->ToggleComboDropDown(2, 1));
    EXPECT_FALSE(grid->IsComboDropDownShown());
    EXPECT_EQ(grid->DroppedCombo(), nullptr);

    ASSERT_TRUE(grid->ToggleComboDropDown(2, 1));
    EXPECT_TRUE(grid->CloseComboDropDown(true, true));
    EXPECT_FALSE(grid->IsAnyDropDownShown());
    EXPECT_TRUE(grid->GetCellValue(2, 1).IsEmpty());
}

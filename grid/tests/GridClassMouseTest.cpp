// The grid class's mouse beyond cells and headings: the wheel, the context
// menu, the corner press, resizing and moving rows on the row bar, and
// dragging a scroll bar's thumb.

#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QWheelEvent>

#include <string>

#include "grid/TSGrid.h"
#include "grid/tests/GridClassSupport.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"

namespace {

class MouseGrid : public TLogGrid {
public:
    using TLogGrid::TLogGrid;
    using TgrBaseGrid::MouseMove;
    using TgrBaseGrid::MouseUp;
};

// A 3 x 40 grid with row numbers as values, on a shown form.
class GridClassMouse : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        QApplication::setWheelScrollLines(3);
        form = new TForm(Application);
        form->SetBounds(0, 0, 400, 400);
        grid = new MouseGrid(form);
        grid->SetParent(form);
        grid->SetBounds(0, 0, 300, 200);
        grid->SetCols(3);
        grid->SetRows(40);
        grid->SetStoreData(true);
        for (Integer r = 1; r <= 40; ++r) grid->PutCellValue(1, r, Variant(std::to_string(r)));
        form->Show();
    }
    void TearDown() override { Application->ResetForTesting(); }
    void Wheel(int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWheelEvent e(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
        grid->WidgetEvent(&e);
    }
    void Drag(TPoint from, TPoint to, TShiftState shift = {}) {
        TShiftState pressed = shift;
        pressed.Include(ssLeft);
        grid->MouseDown(mbLeft, pressed, from.X, from.Y);
        grid->MouseMove(TShiftState{ssLeft}, to.X, to.Y);
        grid->MouseUp(mbLeft, shift, to.X, to.Y);
    }
    TPoint RowBar(Integer displayRow) {
        TRect r = grid->CellPixels(0, displayRow);
        return TPoint(r.Left + 3, r.Top + 3);
    }
    // The pixel of a row's bottom border line in the row bar.
    TPoint RowBorder(Integer displayRow) {
        TRect r = grid->CellPixels(0, displayRow);
        return TPoint(r.Left + 3, r.Top + grid->GetRowHeightAt(displayRow) - 1);
    }
    std::string ShownAt(Integer displayRow) { return grid->GetCellValue(1, grid->DataRowOfDisplay(displayRow)).AsString(); }
    TForm* form = nullptr;
    MouseGrid* grid = nullptr;
};

}  // namespace

TEST_F(GridClassMouse, TheWheelScrollsItsLinesButNoMoreThanTheFullyVisibleRows) {
    Wheel(-120);
    EXPECT_EQ(grid->TopRow(), 4);
    Wheel(120);
    EXPECT_EQ(grid->TopRow(), 1);
    Wheel(-60);  // half a notch waits for the other half
    EXPECT_EQ(grid->TopRow(), 1);
    Wheel(-60);
    EXPECT_EQ(grid->TopRow(), 4);
    Wheel(-120, Qt::ShiftModifier);  // with a shift key the wheel is not the grid's
    EXPECT_EQ(grid->TopRow(), 4);

    // A grid showing two full rows scrolls two per notch.
    Integer height = 20;
    grid->SetBounds(0, 0, 300, height);
    while (grid->VisibleScrollRows() < 2 && height < 200) grid->SetBounds(0, 0, 300, ++height);
    ASSERT_EQ(grid->VisibleScrollRows(), 2);
    Integer top = grid->TopRow();
    Wheel(-120);
    EXPECT_EQ(grid->TopRow(), top + 2);
}

TEST_F(GridClassMouse, TheMenuKeyOpensTheGridMenuAndAnOwnMenuWins) {
    QContextMenuEvent byMouse(QContextMenuEvent::Mouse, QPoint(30, 30));
    grid->WidgetEvent(&byMouse);  // a right click shows its menu on release
    EXPECT_EQ(grid->GridMenu(), nullptr);
    QContextMenuEvent byKey(QContextMenuEvent::Keyboard, QPoint(30, 30));
    grid->WidgetEvent(&byKey);
    ASSERT_NE(grid->GridMenu(), nullptr);

    auto* own = new TPopupMenu(form);
    grid->SetPopupMenu(own);
    bool handled = false;
    grid->HandleContextPopup(TPoint(30, 30), handled);
    EXPECT_TRUE(handled);
    ASSERT_EQ(own->Items()->Count(), 4);  // a separator and the grid's three items
    EXPECT_EQ(own->Items()->Items(3)->Caption(), "Export Grid...");
    handled = false;
    grid->HandleContextPopup(TPoint(30, 30), handled);
    EXPECT_EQ(own->Items()->Count(), 4);  // added once only

    // A context-popup handler that takes the request keeps the menus away.
    auto* other = new TPopupMenu(form);
    grid->SetPopupMenu(other);
    grid->OnContextPopup = [](TObject*, const TPoint&, bool& h) { h = true; };
    QContextMenuEvent again(QContextMenuEvent::Keyboard, QPoint(30, 30));
    grid->WidgetEvent(&again);
    EXPECT_EQ(other->Items()->Count(), 0);
}

TEST_F(GridClassMouse, TheCornerSelectsEveryRowAndThenNone) {
    std::string statuses;
    grid->OnMouseStatusChanged = [&](TObject*, TgrMouseStatus o, TgrMouseStatus n) {
        statuses += std::to_string(int(o)) + ">" + std::to_string(int(n)) + ";";
    };
    struct Case {
        TgrRowSelectMode mode;
        Integer selected;
    } cases[] = {{rsMulti, 40}, {rsMulti, 0}, {rsSingle, 0}, {rsNone, 0}};
    for (const Case& c : cases) {
        grid->SetRowSelectMode(c.mode);
        grid->MouseDown(mbLeft, TShiftState{ssLeft}, 3, 3);
        grid->MouseUp(mbLeft, {}, 3, 3);
        EXPECT_EQ(grid->RowSelection()->Count(), c.selected) << int(c.mode);
        EXPECT_EQ(grid->GridStatus(), c.selected ? gsRowsSelected : gsNormal) << int(c.mode);
    }
    EXPECT_EQ(statuses, "0>4;4>0;0>4;4>0;");
}

TEST_F(GridClassMouse, DraggingARowBorderOnTheRowBarResizesTheRow) {
    std::string resized;
    grid->OnRowResized = [&](TObject*, Integer r) { resized += std::to_string(r) + ";"; };
    grid->SetResizeRows(rrSingle);
    Integer before = grid->GetRowHeightAt(2);
    TPoint border = RowBorder(2);
    Drag(border, TPoint(border.X, border.Y + 10));
    EXPECT_EQ(grid->GetRowHeightAt(2), before + 10);
    EXPECT_EQ(grid->GetRowHeightAt(3), before);
    // The base's heights changed as a whole (-1), then the row itself.
    EXPECT_EQ(resized, "-1;2;");

    // Dragged to the row's top edge nothing changes; Esc cancels a drag.
    TRect row2 = grid->CellPixels(0, 2);
    Drag(RowBorder(2), TPoint(border.X, row2.Top));
    EXPECT_EQ(grid->GetRowHeightAt(2), before + 10);
    grid->MouseDown(mbLeft, TShiftState{ssLeft}, RowBorder(2).X, RowBorder(2).Y);
    grid->MouseMove(TShiftState{ssLeft}, border.X, RowBorder(2).Y + 20);
    grid->CancelMouseAction();
    EXPECT_EQ(grid->GetRowHeightAt(2), before + 10);

    // With rrAll the default height follows; a press on a cell's border
    // outside the row bar is a cell click.
    grid->SetResizeRows(rrAll);
    Drag(RowBorder(3), TPoint(border.X, RowBorder(3).Y + 4));
    EXPECT_EQ(grid->DefaultRowHeight(), before + 4);
    TRect cell = grid->CellPixels(2, 5);
    grid->MouseDown(mbLeft, TShiftState{ssLeft}, cell.Left + 5, cell.Bottom - 1);
    EXPECT_EQ(grid->MouseStatus(), msNone);
    EXPECT_EQ(grid->CurrentDisplayRow(), 5);
    grid->MouseUp(mbLeft, {}, cell.Left + 5, cell.Bottom - 1);
}

TEST_F(GridClassMouse, DraggingASelectedRowOnTheRowBarMovesIt) {
    std::string moved;
    grid->OnRowMoved = [&](TObject*, Integer to, Integer count, bool byUser) {
        moved += std::to_string(to) + "," + std::to_string(count) + (byUser ? ",user;" : ";");
    };
    Drag(RowBar(2), RowBar(2));  // selects row 2
    ASSERT_TRUE(grid->IsDisplayRowSelected(2));
    Drag(RowBar(2), RowBar(4));
    EXPECT_EQ(ShownAt(2), "3");
    EXPECT_EQ(ShownAt(4), "2");
    EXPECT_EQ(moved, "4,1,user;");
    EXPECT_TRUE(grid->IsDisplayRowSelected(4));  // the selection moves along

    // Cancelled, nothing moves; an unselected row's press selects it.
    moved.clear();
    grid->MouseDown(mbLeft, TShiftState{ssLeft}, RowBar(4).X, RowBar(4).Y);
    grid->MouseMove(TShiftState{ssLeft}, RowBar(1).X, RowBar(1).Y);
    grid->CancelMouseAction();
    EXPECT_EQ(ShownAt(4), "2");
    grid->SetRowMoving(false);
    Drag(RowBar(4), RowBar(6));
    EXPECT_EQ(ShownAt(4), "2");
    EXPECT_EQ(moved, "");
}

TEST_F(GridClassMouse, DraggingTheThumbScrollsTheRows) {
    ASSERT_TRUE(grid->ScrollBarShown(TCustomControl::sbVertical));
    Integer x = grid->ClientWidth() + 5;
    Integer thumbTop = ScrollBarThickness + 2;  // at the top while TopRow is 1
    for (bool tracking : {true, false}) {
        grid->SetTopLeft(grid->TopLeftCell().Col, 1);
        grid->SetThumbTracking(tracking);
        grid->MouseDown(mbLeft, TShiftState{ssLeft}, int(x), int(thumbTop));
        grid->MouseMove(TShiftState{ssLeft}, int(x), int(thumbTop + 40));
        Integer during = grid->TopRow();
        EXPECT_EQ(during > 1, tracking) << tracking;
        grid->MouseUp(mbLeft, {}, int(x), int(thumbTop + 40));
        EXPECT_GT(grid->TopRow(), 1) << tracking;
        if (tracking) {
            EXPECT_EQ(grid->TopRow(), during);
        }
    }
    // Dragged past the end, the last rows show.
    grid->MouseDown(mbLeft, TShiftState{ssLeft}, int(x), int(thumbTop + 40));
    grid->MouseMove(TShiftState{ssLeft}, int(x), 10000);
    grid->MouseUp(mbLeft, {}, int(x), 10000);
    EXPECT_EQ(ShownAt(grid->RowCount() - 1), "40");
    Integer top = grid->TopRow();
    grid->SetTopLeft(grid->TopLeftCell().Col, top);
    EXPECT_EQ(grid->TopRow(), top);
}

TEST_F(GridClassMouse, AReleaseLetsOnlyTheIndexErrorOfChangedCountsPass) {
    TPoint p(60, 40);
    grid->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) {
        grid->SetRows(2);
        RaiseGridIndexError();
    };
    grid->MouseDown(mbLeft, TShiftState{ssLeft}, p.X, p.Y);
    EXPECT_NO_THROW(grid->MouseUp(mbLeft, {}, p.X, p.Y));
    // The same text from another kind of refusal is not taken for it.
    grid->OnMouseUp = [](TObject*, TMouseButton, TShiftState, int, int) {
        throw EInvalidGridOperation("Grid index out of range");
    };
    grid->MouseDown(mbLeft, TShiftState{ssLeft}, p.X, p.Y);
    EXPECT_THROW(grid->MouseUp(mbLeft, {}, p.X, p.Y), EInvalidGridOperation);
}

TEST_F(GridClassMouse, ASingleSelectionDragGivenUpEndsDeselectedExceptInAListBox) {
    // The selected row follows the drag; given up, the row it reached is
    // inverted back, unless the grid selects like a list box, where the
    // current row always stays selected.
    struct Case {
        TgrGridMode mode;
        bool selectedAfter;
    } cases[] = {{gmBrowse, false}, {gmListBox, true}};
    for (const Case& c : cases) {
        grid->SetRowMoving(false);
        grid->SetGridMode(c.mode);
        grid->SetRowSelectMode(rsSingle);
        grid->MouseDown(mbLeft, TShiftState{ssLeft}, RowBar(2).X, RowBar(2).Y);
        grid->MouseMove(TShiftState{ssLeft}, RowBar(4).X, RowBar(4).Y);
        ASSERT_TRUE(grid->IsDisplayRowSelected(4)) << c.mode;
        ASSERT_FALSE(grid->IsDisplayRowSelected(2)) << c.mode;
        EXPECT_EQ(grid->CurrentDisplayRow(), 4) << c.mode;
        grid->CancelMouseAction();
        EXPECT_EQ(grid->IsDisplayRowSelected(4), c.selectedAfter) << c.mode;
        EXPECT_EQ(grid->GridStatus(), c.selectedAfter ? gsRowsSelected : gsNormal) << c.mode;
        grid->DeselectAllRows();
        grid->SetGridStatus(gsNormal);
    }
}

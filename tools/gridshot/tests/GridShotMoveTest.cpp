// Moving columns and rows as a block of the selected ones, the border zone
// of a column, the right press, and grid-level settings that change the
// selection or the fixed area.

#include <gtest/gtest.h>

#include <string>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include "grid/tests/GridOnForm.h"
#include "platform/core/Clock.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/Timers.h"
#include "tools/gridshot/GridShot.h"

namespace {

// Ten 40-pixel columns headed 1..10 over 30 rows, columns movable.
const char* kTen = R"({"width":700,"height":200,
  "grid":{"Cols":10,"Rows":30,"ColMoving":true,"RowMoving":true},
  "columns":[{"Width":40},{"Width":40},{"Width":40},{"Width":40},{"Width":40},
             {"Width":40},{"Width":40},{"Width":40},{"Width":40},{"Width":40}]})";

class GridShotMove : public ::testing::Test {
protected:
    void SetUp() override {
        SetCurrentClock(&clock);
        shot.Run(kTen);
        g = shot.Grid();
        g->OnColMoved = [&](TObject*, Integer to, Integer count, bool) {
            moved += std::to_string(to) + "x" + std::to_string(count) + ";";
        };
        g->OnRowMoved = g->OnColMoved;
    }
    void TearDown() override { SetCurrentClock(nullptr); }
    TPoint Mid(Integer c, Integer r) {
        TRect rc = g->CellPixels(c, r);
        return {(rc.Left + rc.Right) / 2, (rc.Top + rc.Bottom) / 2};
    }
    void Drag(TPoint a, TPoint b) {
        g->MouseDown(mbLeft, TShiftState{ssLeft}, a.X, a.Y);
        g->MouseMove(TShiftState{ssLeft}, (a.X + b.X) / 2 + 1, (a.Y + b.Y) / 2 + 1);
        g->MouseMove(TShiftState{ssLeft}, b.X, b.Y);
        g->MouseUp(mbLeft, {}, b.X, b.Y);
    }
    // Mouse events as the window system delivers them to the grid's widget.
    void QtMouse(QEvent::Type type, TPoint p, Qt::KeyboardModifiers keys = Qt::NoModifier) {
        SendLeftMouse(g->Widget(), type, p, keys);
    }
    // A pointer move with no button held, and the cursor it leaves shown.
    Qt::CursorShape Hover(TPoint p) {
        QWidget* w = g->Widget();
        QPointF at(p.X, p.Y);
        QMouseEvent e(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
        return w->cursor().shape();
    }
    void QtDrag(TPoint a, TPoint b) {
        QtMouse(QEvent::MouseButtonPress, a);
        QtMouse(QEvent::MouseMove, b);
        QtMouse(QEvent::MouseButtonRelease, b);
    }
    std::string Cols() {
        std::string s;
        for (Integer c = 1; c <= 10; ++c) s += g->IsDisplayColSelected(c) ? "x" : ".";
        return s;
    }
    std::string ColOrder() {
        std::string s;
        for (Integer c = 1; c <= 10; ++c) s += std::to_string(g->DataColOfDisplay(c)) + " ";
        return s;
    }
    std::string RowOrder(Integer n) {
        std::string s;
        for (Integer r = 1; r <= n; ++r) s += std::to_string(g->DataRowOfDisplay(r)) + " ";
        return s;
    }
    ManualClock clock{1000};
    TGridShot shot;
    TgrShotGrid* g = nullptr;
    std::string moved;
};

}  // namespace

TEST_F(GridShotMove, SelectedColumnsMoveAsOneBlock) {
    struct Case {
        TgrColSelectMode mode;
        Integer sel1, sel2, from, to;
        const char* order;
        const char* event;
    } cases[] = {
        // Selected ones before a backward drop place end right before it.
        {csMulti, 2, 7, 7, 4, "1 3 2 7 4 5 6 8 9 10 ", "3x2;"},
        // Selected ones after a forward drop place end right after it.
        {csMulti, 3, 8, 3, 6, "1 2 4 5 6 3 8 7 9 10 ", "6x2;"},
        // Without column selection a column moves alone.
        {csNone, 0, 0, 2, 5, "1 3 4 5 2 6 7 8 9 10 ", "5x1;"},
        // A drop inside the selected block moves nothing.
        {csMulti, 3, 4, 3, 4, "1 2 3 4 5 6 7 8 9 10 ", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.order);
        shot.Run(kTen);
        g = shot.Grid();
        g->SetColSelectMode(c.mode);
        moved.clear();
        g->OnColMoved = [&](TObject*, Integer to, Integer count, bool) {
            moved += std::to_string(to) + "x" + std::to_string(count) + ";";
        };
        if (c.sel1) g->SelectDisplayCols(c.sel1, c.sel1, true);
        if (c.sel2) g->SelectDisplayCols(c.sel2, c.sel2, true);
        Drag(Mid(c.from, 0), Mid(c.to, 0));
        EXPECT_EQ(ColOrder(), c.order);
        EXPECT_EQ(moved, c.event);
        if (c.sel1 && *c.event) {
            // The selection moved with its columns.
            EXPECT_EQ(g->ColSelection()->Count(), 2);
            EXPECT_TRUE(g->IsDisplayColSelected(g->DisplayColOfData(c.sel1)));
            EXPECT_TRUE(g->IsDisplayColSelected(g->DisplayColOfData(c.sel2)));
        }
    }
}

TEST_F(GridShotMove, HeadingPressesSelectUnselectedColumnsAndMoveSelectedOnes) {
    // A press on an unselected heading selects its column, and the drag
    // that follows selects the columns it passes; nothing moves.
    std::string clicked;
    g->OnHeadingClick = [&](TObject*, Integer c) { clicked += std::to_string(c) + ";"; };
    QtMouse(QEvent::MouseButtonPress, Mid(3, 0));
    EXPECT_EQ(g->MouseStatus(), msColSelect);
    EXPECT_EQ(Cols(), "..x.......");
    QtMouse(QEvent::MouseMove, Mid(5, 0));
    EXPECT_EQ(Cols(), "..xxx.....");
    QtMouse(QEvent::MouseMove, Mid(1, 0));  // back across the anchor
    EXPECT_EQ(Cols(), "xxx.......");
    QtMouse(QEvent::MouseMove, Mid(5, 0));
    QtMouse(QEvent::MouseButtonRelease, Mid(5, 0));
    EXPECT_EQ(Cols(), "..xxx.....");
    EXPECT_EQ(ColOrder(), "1 2 3 4 5 6 7 8 9 10 ");
    EXPECT_EQ(moved, "");
    EXPECT_EQ(g->CurrentDisplayCol(), 3);
    EXPECT_EQ(g->GridStatus(), gsColsSelected);
    EXPECT_EQ(clicked, "") << "released on another heading: no click";

    // A press on a selected heading moves the selected block; the columns
    // stay selected.
    QtDrag(Mid(4, 0), Mid(8, 0));
    EXPECT_EQ(ColOrder(), "1 2 6 7 8 3 4 5 9 10 ");
    EXPECT_EQ(moved, "6x3;");
    EXPECT_EQ(Cols(), ".....xxx..");
    // Pressed and released on a selected heading: its click, the selection
    // kept.
    QtMouse(QEvent::MouseButtonPress, Mid(7, 0));
    EXPECT_EQ(g->MouseStatus(), msColMove);
    QtMouse(QEvent::MouseButtonRelease, Mid(7, 0));
    EXPECT_EQ(Cols(), ".....xxx..");
    EXPECT_EQ(clicked, "4;");

    // A click on an unselected heading leaves only its column selected.
    clicked.clear();
    QtDrag(Mid(2, 0), Mid(2, 0));
    EXPECT_EQ(Cols(), ".x........");
    EXPECT_EQ(clicked, "2;");

    // Esc during the drag inverts the columns from the anchor to the drag
    // end back, the anchor included.
    QtMouse(QEvent::MouseButtonPress, Mid(6, 0));
    QtMouse(QEvent::MouseMove, Mid(8, 0));
    EXPECT_EQ(Cols(), ".....xxx..");
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(g->Widget(), &esc);
    EXPECT_EQ(g->MouseStatus(), msNone);
    QtMouse(QEvent::MouseButtonRelease, Mid(8, 0));
    EXPECT_EQ(Cols(), "..........");

    // With Ctrl a press toggles its column and the drag goes on toggling.
    QtDrag(Mid(2, 0), Mid(2, 0));
    QtMouse(QEvent::MouseButtonPress, Mid(5, 0), Qt::ControlModifier);
    QtMouse(QEvent::MouseMove, Mid(6, 0), Qt::ControlModifier);
    QtMouse(QEvent::MouseButtonRelease, Mid(6, 0), Qt::ControlModifier);
    EXPECT_EQ(Cols(), ".x..xx....");

    // Without ColMoving a selected heading selects only its column.
    g->SetColMoving(false);
    QtDrag(Mid(5, 0), Mid(5, 0));
    EXPECT_EQ(Cols(), "....x.....");
    EXPECT_EQ(ColOrder(), "1 2 6 7 8 3 4 5 9 10 ");
}

TEST_F(GridShotMove, AColumnDragSelectionScrollsPastTheRightEdge) {
    shot.Run(R"({"width":200,"height":120,"grid":{"Cols":10,"Rows":5},
      "columns":[{"Width":40},{"Width":40},{"Width":40},{"Width":40},{"Width":40},
                 {"Width":40},{"Width":40},{"Width":40},{"Width":40},{"Width":40}]})");
    g = shot.Grid();
    g->SetScrollSpeed(spHigh);
    QtMouse(QEvent::MouseButtonPress, Mid(2, 0));
    QtMouse(QEvent::MouseMove, TPoint(g->ClientWidth() + 10, 5));
    EXPECT_EQ(g->TopLeftCell().Col, g->GetMaxLeftCol());
    EXPECT_GT(g->TopLeftCell().Col, 1);
    EXPECT_EQ(g->TopRow(), 1) << "a column drag scrolls sideways only";
    QtMouse(QEvent::MouseButtonRelease, TPoint(g->ClientWidth() + 10, 5));
    EXPECT_EQ(Cols(), ".xxxxxxxxx");
}

TEST_F(GridShotMove, TheCurrentCellStaysOnItsMovedColumnAndSelectedRowsMoveAsABlock) {
    g->SetColSelectMode(csNone);
    g->ChangeCurrentCell(2, 1);
    Drag(Mid(2, 0), Mid(5, 0));
    EXPECT_EQ(g->CurrentDisplayCol(), 5);
    EXPECT_EQ(g->CurrentDataCol(), 2);
    EXPECT_EQ(g->DataColOfDisplay(4), 5);

    moved.clear();
    g->SelectDisplayRows(2, 2);
    g->SelectDisplayRows(7, 7);
    g->ChangeCurrentCell(1, 7);
    Drag(Mid(0, 7), Mid(0, 4));
    EXPECT_EQ(RowOrder(8), "1 3 2 7 4 5 6 8 ");
    EXPECT_EQ(moved, "3x2;");
    EXPECT_EQ(g->CurrentDataRow(), 7);
    EXPECT_TRUE(g->IsDisplayRowSelected(3));
    EXPECT_TRUE(g->IsDisplayRowSelected(4));
}

TEST_F(GridShotMove, AColumnBorderIsCaughtFromTwoPixelsLeftToOneRight) {
    Integer line = g->CellPixels(1, 0).Right - 1;
    std::string caught;
    for (Integer x = line - 3; x <= line + 2; ++x) {
        g->MouseDown(mbLeft, TShiftState{ssLeft}, x, 5);
        caught += g->MouseStatus() == msColResize ? "Y" : "n";
        g->CancelMouseAction();
        g->MouseUp(mbLeft, {}, x, 5);
    }
    EXPECT_EQ(caught, "nYYYYn");
    // Over the cells only with ResizeColsInGrid.
    TPoint inCell(line, Mid(1, 3).Y);
    g->MouseDown(mbLeft, TShiftState{ssLeft}, inCell.X, inCell.Y);
    EXPECT_NE(g->MouseStatus(), msColResize);
    g->MouseUp(mbLeft, {}, inCell.X, inCell.Y);
    g->SetResizeColsInGrid(true);
    g->MouseDown(mbLeft, TShiftState{ssLeft}, inCell.X, inCell.Y);
    EXPECT_EQ(g->MouseStatus(), msColResize);
    g->MouseUp(mbLeft, {}, inCell.X + 20, inCell.Y);
    EXPECT_EQ(g->Col(1)->Width(), 60);
}

TEST_F(GridShotMove, ADoubleClickOnAColumnBorderRestoresTheSetWidth) {
    Integer resized = 0;
    // The column's own reports; -1 tells of the widths as a whole.
    g->OnColResized = [&](TObject*, Integer col) { resized += col == 3 ? 1 : 0; };
    Integer line = g->CellPixels(3, 0).Right - 1;
    QtDrag(TPoint(line, 5), TPoint(line + 25, 5));
    EXPECT_EQ(g->GetColWidthAt(3), 65);
    EXPECT_EQ(g->Col(3)->Width(), 65);
    EXPECT_EQ(g->Col(3)->RequestedWidth(), 40) << "a drag keeps the set width";
    EXPECT_EQ(resized, 1);
    // The window system's double-click: press, release, double-click press,
    // release, all on the new border.
    line += 25;
    QtDrag(TPoint(line, 5), TPoint(line, 5));
    QtMouse(QEvent::MouseButtonDblClick, TPoint(line, 5));
    QtMouse(QEvent::MouseButtonRelease, TPoint(line, 5));
    EXPECT_EQ(g->GetColWidthAt(3), 40);
    EXPECT_EQ(g->Col(3)->Width(), 40);
    EXPECT_EQ(resized, 2);
    // Dragged away after the double-click press, the drag wins.
    line = g->CellPixels(3, 0).Right - 1;
    QtDrag(TPoint(line, 5), TPoint(line, 5));
    QtMouse(QEvent::MouseButtonDblClick, TPoint(line, 5));
    QtMouse(QEvent::MouseMove, TPoint(line + 10, 5));
    QtMouse(QEvent::MouseButtonRelease, TPoint(line + 10, 5));
    EXPECT_EQ(g->GetColWidthAt(3), 50);
    // A width set by code is the one a double-click gives back.
    g->Col(3)->SetWidth(30);
    line = g->CellPixels(3, 0).Right - 1;
    QtDrag(TPoint(line, 5), TPoint(line + 40, 5));
    line += 40;
    QtDrag(TPoint(line, 5), TPoint(line, 5));
    QtMouse(QEvent::MouseButtonDblClick, TPoint(line, 5));
    QtMouse(QEvent::MouseButtonRelease, TPoint(line, 5));
    EXPECT_EQ(g->GetColWidthAt(3), 30);
}

TEST_F(GridShotMove, TheCursorShowsWhatAPressThereWouldStart) {
    Integer colLine = g->CellPixels(3, 0).Right - 1;
    Integer rowLine = g->CellPixels(0, 4).Bottom - 1;
    struct Case {
        const char* where;
        TPoint at;
        Qt::CursorShape shape;
    } cases[] = {
        {"column border in the heading", {colLine, 5}, Qt::SplitHCursor},
        {"one pixel right of it", {colLine + 1, 5}, Qt::SplitHCursor},
        // Under multi-column selection a press on a heading would select its
        // column: the grid's down-arrow picture.
        {"two pixels right of it", {colLine + 2, 5}, Qt::BitmapCursor},
        {"row-bar border", {g->RowBarWidth() - 1, 5}, Qt::SplitHCursor},
        {"row border over the row bar", {5, rowLine}, Qt::SplitVCursor},
        {"the same border over the cells", {Mid(2, 4).X, rowLine}, Qt::IBeamCursor},
        {"a text cell of an editing grid", Mid(2, 3), Qt::IBeamCursor},
        {"a heading", Mid(2, 0), Qt::BitmapCursor},
        {"the corner", {3, 3}, Qt::ArrowCursor},
    };
    for (const Case& c : cases) EXPECT_EQ(Hover(c.at), c.shape) << c.where;

    // The grid's own Cursor where nothing else applies; browsing shows no
    // I-beam.
    g->SetCursor(crHandPoint);
    g->SetGridMode(gmBrowse);
    EXPECT_EQ(Hover(Mid(2, 3)), Qt::PointingHandCursor);
    EXPECT_EQ(Hover(TPoint(colLine, 5)), Qt::SplitHCursor);
    EXPECT_EQ(Hover(Mid(2, 0)), Qt::BitmapCursor);

    // A screen-wide cursor (a long operation) keeps the grid's from changing.
    EXPECT_EQ(Hover(Mid(2, 3)), Qt::PointingHandCursor);
    Screen->SetCursor(crHourGlass);
    EXPECT_EQ(Hover(TPoint(colLine, 5)), Qt::PointingHandCursor);
    Screen->SetCursor(crDefault);

    // While a border is dragged the split cursor stays, wherever the pointer
    // goes; a moved column shows the drag cursor until it is dropped.
    QtMouse(QEvent::MouseButtonPress, TPoint(colLine, 5));
    QtMouse(QEvent::MouseMove, Mid(6, 5));
    EXPECT_EQ(g->Widget()->cursor().shape(), Qt::SplitHCursor);
    QtMouse(QEvent::MouseButtonRelease, Mid(6, 5));
    g->SetColSelectMode(csNone);
    QtMouse(QEvent::MouseButtonPress, Mid(5, 0));
    EXPECT_EQ(g->Widget()->cursor().shape(), Qt::DragCopyCursor);
    QtMouse(QEvent::MouseMove, Mid(7, 0));
    EXPECT_EQ(g->Widget()->cursor().shape(), Qt::DragCopyCursor);
    QtMouse(QEvent::MouseButtonRelease, Mid(7, 0));
    EXPECT_EQ(g->Widget()->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(GridShotMove, ARightPressMovesTheCurrentCellUnlessOnTheSelection) {
    g->SelectDisplayRows(3, 3);
    auto right = [&](TPoint p) {
        g->MouseDown(mbRight, TShiftState{ssRight}, p.X, p.Y);
        g->MouseUp(mbRight, {}, p.X, p.Y);
    };
    right(Mid(2, 3));  // on the selection: the menu acts on it
    EXPECT_EQ(g->CurrentDisplayRow(), 1);
    EXPECT_TRUE(g->IsDisplayRowSelected(3));
    right(Mid(2, 5));
    EXPECT_EQ(g->CurrentDisplayCol(), 2);
    EXPECT_EQ(g->CurrentDisplayRow(), 5);
    EXPECT_EQ(g->RowSelection()->Count(), 0);
    right(Mid(4, 0));  // a heading: its column in the current row
    EXPECT_EQ(g->CurrentDisplayCol(), 4);
    EXPECT_EQ(g->CurrentDisplayRow(), 5);
}

TEST_F(GridShotMove, RowSelectModeKeepsOnlyWhatItCanHold) {
    g->ChangeCurrentCell(1, 3);
    g->SelectDisplayRows(2, 6);
    g->SetRowSelectMode(rsSingle);
    EXPECT_EQ(g->RowSelection()->Count(), 1);
    EXPECT_TRUE(g->IsDisplayRowSelected(3));

    g->SetRowSelectMode(rsMulti);
    g->SelectDisplayRows(5, 8);
    g->ChangeCurrentCell(1, 10);
    g->DeselectDisplayRows(3, 3);
    g->SetRowSelectMode(rsSingle);  // the current row was not selected
    EXPECT_EQ(g->RowSelection()->Count(), 0);

    g->SetRowSelectMode(rsMulti);
    g->SelectDisplayRows(5, 8);
    g->SetRowSelectMode(rsNone);
    EXPECT_EQ(g->RowSelection()->Count(), 0);
}

TEST_F(GridShotMove, EveryRowKeepsAtLeastOnePixel) {
    g->SetDefaultRowHeight(0);
    EXPECT_EQ(g->DefaultRowHeight(), 1);
    EXPECT_EQ(g->GetRowHeightAt(3), 1);
}

TEST_F(GridShotMove, RowBarAndHeadingPressesWithKeys) {
    auto press = [&](Integer c, Integer r, TShiftState keys) {
        TPoint p = Mid(c, r);
        TShiftState down = keys;
        down.Include(ssLeft);
        g->MouseDown(mbLeft, down, p.X, p.Y);
        g->MouseUp(mbLeft, keys, p.X, p.Y);
    };
    auto rows = [&]() {
        std::string s;
        for (Integer r = 1; r <= 10; ++r) s += g->IsDisplayRowSelected(r) ? "x" : ".";
        return s;
    };
    press(0, 3, {});
    EXPECT_EQ(rows(), "..x.......");
    press(0, 6, {ssShift});  // from the selected current row
    EXPECT_EQ(rows(), "..xxxx....");
    EXPECT_EQ(g->CurrentDisplayRow(), 6);
    press(0, 4, {ssCtrl});  // toggles
    EXPECT_EQ(rows(), "..x.xx....");
    press(0, 9, {ssCtrl, ssShift});  // the current row 4 is not selected: removes
    EXPECT_EQ(rows(), "..x.......");
    press(0, 8, {ssCtrl});
    press(0, 10, {ssCtrl, ssShift});  // adds 8..10
    EXPECT_EQ(rows(), "..x....xxx");
    press(0, 1, {ssShift});  // the current row 10 is selected: 1..10 only
    EXPECT_EQ(rows(), "xxxxxxxxxx");
    g->SetRowSelectMode(rsSingle);
    press(0, 5, {ssCtrl});
    EXPECT_EQ(rows(), "....x.....");
    EXPECT_EQ(g->GridStatus(), gsRowsSelected);

    // Headings: a Shift press extends from the current column, which stays
    // the anchor; a Ctrl press toggles; selecting columns drops the rows.
    press(2, 0, {});
    press(4, 0, {ssShift});
    EXPECT_EQ(g->ColSelection()->Count(), 3);
    EXPECT_EQ(g->RowSelection()->Count(), 0);
    EXPECT_EQ(g->CurrentDisplayCol(), 2);
    press(3, 0, {ssCtrl});
    EXPECT_FALSE(g->IsDisplayColSelected(3));
    EXPECT_EQ(g->ColSelection()->Count(), 2);
    EXPECT_EQ(g->GridStatus(), gsColsSelected);
    // A plain row-bar press drops the columns.
    press(0, 2, {});
    EXPECT_EQ(g->ColSelection()->Count(), 0);

    // Without column selection or moving, a heading click moves the current
    // cell to its column.
    g->SetColSelectMode(csNone);
    g->SetColMoving(false);
    press(7, 0, {});
    EXPECT_EQ(g->CurrentDisplayCol(), 7);
}

TEST_F(GridShotMove, TheRowBarBorderResizesTheRowBar) {
    Integer line = g->RowBarWidth() - 1;
    // Caught in the heading row over the corner, from two pixels left of
    // the line to one right of it.
    std::string caught;
    for (Integer x = line - 3; x <= line + 2; ++x) {
        g->MouseDown(mbLeft, TShiftState{ssLeft}, x, 5);
        caught += g->MouseStatus() == msRowBarResize ? "Y" : "n";
        g->CancelMouseAction();
        g->MouseUp(mbLeft, {}, x, 5);
    }
    EXPECT_EQ(caught, "nYYYYn");
    EXPECT_EQ(g->RowBarWidth(), 14);
    // A drag gives the row bar the new width; the corner press that selects
    // the rows (pressed at the first x above) does not happen.
    g->DeselectAllRows();
    g->MouseDown(mbLeft, TShiftState{ssLeft}, line, 5);
    g->MouseMove(TShiftState{ssLeft}, line + 26, 5);
    g->MouseUp(mbLeft, {}, line + 26, 5);
    EXPECT_EQ(g->RowBarWidth(), 40);
    EXPECT_EQ(g->CellPixels(1, 0).Left, 40);
    EXPECT_EQ(g->RowSelection()->Count(), 0);
    // Esc during the drag keeps the width.
    g->MouseDown(mbLeft, TShiftState{ssLeft}, 39, 5);
    g->MouseMove(TShiftState{ssLeft}, 80, 5);
    g->CancelMouseAction();
    g->MouseUp(mbLeft, {}, 80, 5);
    EXPECT_EQ(g->RowBarWidth(), 40);
    // A double-click on the border gives back the width last set other
    // than by dragging.
    g->MouseDown(mbLeft, TShiftState{ssLeft}, 39, 5);
    g->MouseUp(mbLeft, {}, 39, 5);
    g->MouseDown(mbLeft, TShiftState{ssLeft, ssDouble}, 39, 5);
    g->MouseUp(mbLeft, {}, 39, 5);
    EXPECT_EQ(g->RowBarWidth(), 14);
    // Over the data rows only with ResizeColsInGrid.
    TPoint inBar(13, Mid(1, 3).Y);
    g->MouseDown(mbLeft, TShiftState{ssLeft}, inBar.X, inBar.Y);
    EXPECT_NE(g->MouseStatus(), msRowBarResize);
    g->MouseUp(mbLeft, {}, inBar.X, inBar.Y);
    g->SetResizeColsInGrid(true);
    g->MouseDown(mbLeft, TShiftState{ssLeft}, inBar.X, inBar.Y);
    EXPECT_EQ(g->MouseStatus(), msRowBarResize);
    g->MouseUp(mbLeft, {}, inBar.X + 10, inBar.Y);
    EXPECT_EQ(g->RowBarWidth(), 24);
}

TEST_F(GridShotMove, ARowDragGivesRowsPassedBackTheirStateBeforeTheDrag) {
    g->SetRowMoving(false);
    g->SetRowSelectMode(rsMulti);
    auto rows = [&]() {
        std::string s;
        for (Integer r = 1; r <= 10; ++r) s += g->IsDisplayRowSelected(r) ? "x" : ".";
        return s;
    };
    auto press = [&](Integer r, bool ctrl) {
        TPoint p = Mid(0, r);
        TShiftState down{ssLeft};
        if (ctrl) down.Include(ssCtrl);
        g->MouseDown(mbLeft, down, p.X, p.Y);
    };
    auto to = [&](Integer r) { g->MouseMove(TShiftState{ssLeft}, Mid(0, r).X, Mid(0, r).Y); };
    auto release = [&](Integer r) { g->MouseUp(mbLeft, {}, Mid(0, r).X, Mid(0, r).Y); };

    // A plain drag: the rows follow the pointer, back across the anchor too.
    press(4, false);
    to(6);
    EXPECT_EQ(rows(), "...xxx....");
    to(2);
    EXPECT_EQ(rows(), ".xxx......");
    release(2);

    // With Ctrl the rows the drag passes are inverted, and given back when
    // the pointer returns; rows 3 and 9, selected before, are kept.
    g->DeselectAllRows();
    press(3, true);
    release(3);
    press(9, true);
    release(9);
    EXPECT_EQ(rows(), "..x.....x.");
    press(5, true);
    to(2);
    EXPECT_EQ(rows(), ".x.xx...x.");
    to(7);
    EXPECT_EQ(rows(), "..x.xxx.x.");
    to(6);
    EXPECT_EQ(rows(), "..x.xx..x.");
    release(6);
    EXPECT_EQ(rows(), "..x.xx..x.");
    EXPECT_EQ(g->GridStatus(), gsRowsSelected);

    // Esc inverts the rows from the anchor to the drag end back.
    press(7, true);
    to(8);
    EXPECT_EQ(rows(), "..x.xxxxx.");
    g->CancelMouseAction();
    release(8);
    EXPECT_EQ(rows(), "..x.xx..x.");
}

TEST_F(GridShotMove, APressIgnoredWhenAnotherControlKeepsTheFocus) {
    auto* form = static_cast<TWinControl*>(g->Parent());
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    edit->SetBounds(0, g->Height() + 2, 50, 16);
    form->Widget()->activateWindow();
    QApplication::setActiveWindow(form->Widget());
    QApplication::processEvents();
    if (!form->Widget()->isActiveWindow()) GTEST_FAIL() << "the test window could not be activated";
    edit->SetFocus();
    QApplication::processEvents();
    ASSERT_TRUE(edit->Focused());
    // The edit refuses to give up the focus.
    bool refuse = true;
    edit->OnExit = [&](TObject*) {
        if (refuse) edit->SetFocus();
    };
    Integer downs = 0;
    g->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++downs; };
    g->ChangeCurrentCell(1, 1);
    TPoint p = Mid(3, 4);
    g->MouseDown(mbLeft, TShiftState{ssLeft}, p.X, p.Y);
    g->MouseUp(mbLeft, {}, p.X, p.Y);
    EXPECT_TRUE(edit->Focused());
    EXPECT_EQ(g->CurrentDisplayCol(), 1);
    EXPECT_EQ(g->CurrentDisplayRow(), 1);
    EXPECT_EQ(downs, 0);
    // Without CheckMouseFocus the press goes on.
    g->SetCheckMouseFocus(false);
    g->MouseDown(mbLeft, TShiftState{ssLeft}, p.X, p.Y);
    g->MouseUp(mbLeft, {}, p.X, p.Y);
    EXPECT_EQ(g->CurrentDisplayCol(), 3);
    EXPECT_EQ(downs, 1);
    // A control that lets the focus go lets the press through.
    g->SetCheckMouseFocus(true);
    refuse = false;
    p = Mid(2, 5);
    g->MouseDown(mbLeft, TShiftState{ssLeft}, p.X, p.Y);
    g->MouseUp(mbLeft, {}, p.X, p.Y);
    EXPECT_EQ(g->CurrentDisplayCol(), 2);
    EXPECT_EQ(g->CurrentDisplayRow(), 5);
    EXPECT_EQ(downs, 2);
    edit->OnExit = nullptr;
}

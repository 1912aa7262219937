// The cell button under the mouse, driven by mouse events sent to the
// grid's window: raised while the pointer rests on it, lowered when the
// pointer moves off, and with FlatButtons lowered by the 50 ms watch once
// the pointer has left the window without a move the grid saw.

#include <gtest/gtest.h>

#include <QCursor>

#include "grid/tests/GridOnForm.h"
#include "platform/core/Clock.h"
#include "platform/gui/Timers.h"

namespace {

constexpr QRgb kLine = 0xC0C0C0, kFace = 0xF0F0F0;

class GridHotButton : public ::testing::Test {
protected:
    void SetUp() override {
        SetCurrentClock(&clock);
        Application->Initialize();
        form = new TForm(Application);
        form->SetBounds(0, 0, 500, 300);
        grid = new TPaintingGrid(form);
        grid->SetParent(form);
        grid->SetBounds(0, 0, 400, 200);
        grid->SetCols(3);
        grid->SetRows(5);
        grid->SetColor(clWhite);
        grid->Col(2)->SetButtonType(btCombo);
        grid->Col(3)->SetButtonType(btNormal);
        form->Show();
        grid->SetFocus();
        Repaint();
    }
    void TearDown() override {
        Application->ResetForTesting();
        SetCurrentClock(nullptr);
    }
    void Repaint() {
        grid->Invalidate();
        grid->Update();
    }
    TRect Button(Integer c, Integer r) {
        TgrCellPaintInfo info;
        EXPECT_TRUE(grid->FillDrawInfo(c, r, info));
        return info.ButtonRect;
    }
    // A pointer move without a button held.
    void Hover(TPoint p) {
        QPointF at(p.X, p.Y);
        QMouseEvent e(QEvent::MouseMove, at, grid->Widget()->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
        QApplication::sendEvent(grid->Widget(), &e);
    }
    // The pixel just inside a button's left edge: the frame's line colour
    // when raised or pressed, the face (or the cell) otherwise.
    QRgb LeftEdge(const TRect& b) { return grid->Surface().pixel(b.Left, (b.Top + b.Bottom) / 2) & 0xFFFFFF; }
    ManualClock clock{1000};
    TForm* form = nullptr;
    TPaintingGrid* grid = nullptr;
};

TEST_F(GridHotButton, AButtonIsRaisedWhileThePointerRestsOnIt) {
    TRect combo = Button(2, 3);
    ASSERT_EQ(LeftEdge(combo), kFace) << "a flat button in the background state";
    Hover(TPoint(combo.Right - 3, combo.Top + 3));
    EXPECT_EQ(grid->HotButtonCell(), (TCellCoord_ts{2, 3}));
    EXPECT_EQ(LeftEdge(combo), kLine) << "raised";
    // Onto another cell's button: the first one is lowered.
    TRect other = Button(2, 4);
    Hover(TPoint(other.Right - 3, other.Top + 3));
    EXPECT_EQ(LeftEdge(combo), kFace);
    EXPECT_EQ(LeftEdge(other), kLine);
    // Off every button: lowered, and a repaint shows it lowered too.
    Hover(TPoint(grid->CellPixels(1, 4).Left + 5, other.Top + 3));
    EXPECT_EQ(grid->HotButtonCell().Col, -1);
    EXPECT_EQ(LeftEdge(other), kFace);
    Repaint();
    EXPECT_EQ(LeftEdge(other), kFace);
}

TEST_F(GridHotButton, TheWatchLowersTheButtonOnceThePointerHasLeftTheWindow) {
    TRect combo = Button(2, 2);
    QCursor::setPos(grid->Widget()->mapToGlobal(QPoint(combo.Right - 3, combo.Top + 3)));
    Hover(TPoint(combo.Right - 3, combo.Top + 3));
    ASSERT_EQ(LeftEdge(combo), kLine);
    ASSERT_TRUE(grid->GridTimerRunning(TgrBaseGrid::HotButtonTimerId));
    // Still on it when the watch looks: it stays raised.
    clock.Advance(50);
    FireDueTimers();
    EXPECT_EQ(LeftEdge(combo), kLine);
    // The pointer goes out of the window without a move the grid sees.
    QCursor::setPos(grid->Widget()->mapToGlobal(QPoint(450, 250)));
    clock.Advance(50);
    FireDueTimers();
    EXPECT_EQ(LeftEdge(combo), kFace);
    EXPECT_EQ(grid->HotButtonCell().Col, -1);
    EXPECT_FALSE(grid->GridTimerRunning(TgrBaseGrid::HotButtonTimerId));
}

TEST_F(GridHotButton, OnlyAFlatButtonOutsideTheBackgroundStateIsRaised) {
    struct Case {
        const char* name;
        bool flat;
        TgrInactiveButtonState inactive;
        bool raised;
    } cases[] = {
        {"flat, background", true, ibsBackGround, true},
        {"flat, picture only", true, ibsPicture, true},
        {"3D with a background: raised anyway", false, ibsBackGround, false},
    };
    for (const Case& c : cases) {
        grid->SetFlatButtons(c.flat);
        grid->SetInactiveButtonState(c.inactive);
        Repaint();
        TRect combo = Button(2, 3);
        Hover(TPoint(combo.Right - 3, combo.Top + 3));
        EXPECT_EQ(grid->HotButtonCell() == (TCellCoord_ts{2, 3}), c.raised) << c.name;
        Hover(TPoint(5, 5));
    }
    // Nothing is raised in browse mode or on a read-only cell.
    grid->SetFlatButtons(true);
    grid->SetInactiveButtonState(ibsBackGround);
    TRect combo = Button(2, 3);
    grid->SetGridMode(gmBrowse);
    Hover(TPoint(combo.Right - 3, combo.Top + 3));
    EXPECT_EQ(grid->HotButtonCell().Col, -1) << "browse";
    grid->SetGridMode(gmEdit);
    grid->Col(2)->SetReadOnly(true);
    Hover(TPoint(combo.Right - 3, combo.Top + 3));
    EXPECT_EQ(grid->HotButtonCell().Col, -1) << "read-only";
}

TEST_F(GridHotButton, AReleasedButtonIsRaisedAndAHeldOneDraggedOffToo) {
    TRect detail = Button(3, 2);
    TPoint on(detail.Left + 3, detail.Top + 3), off(grid->CellPixels(3, 2).Left + 5, detail.Top + 3);
    SendLeftMouse(grid->Widget(), QEvent::MouseButtonPress, on);
    ASSERT_EQ(grid->MouseStatus(), msButtonDown);
    // Dragged off its button while held: raised, no longer pressed.
    SendLeftMouse(grid->Widget(), QEvent::MouseMove, off);
    grid->Update();
    EXPECT_EQ(grid->HotButtonCell(), (TCellCoord_ts{3, 2}));
    // Back on it and released there: it stays raised under the pointer.
    SendLeftMouse(grid->Widget(), QEvent::MouseMove, on);
    SendLeftMouse(grid->Widget(), QEvent::MouseButtonRelease, on);
    grid->Update();
    EXPECT_EQ(grid->HotButtonCell(), (TCellCoord_ts{3, 2}));
    EXPECT_EQ(LeftEdge(detail), kLine);
    // Released elsewhere, the raised button goes back to normal.
    SendLeftMouse(grid->Widget(), QEvent::MouseButtonPress, on);
    SendLeftMouse(grid->Widget(), QEvent::MouseMove, off);
    SendLeftMouse(grid->Widget(), QEvent::MouseButtonRelease, TPoint(5, 60));
    grid->Update();
    EXPECT_EQ(grid->HotButtonCell().Col, -1);
    EXPECT_NE(LeftEdge(detail), kLine);
}

}  // namespace

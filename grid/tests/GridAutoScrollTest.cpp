// Drags held past the scrolling area of the real grid class, through the
// mouse events the window system delivers: cell ranges, rows and columns
// selected up to the grid's ends, a heading dragged past the edge moving its
// column there, the loop ended by a waiting mouse message (handled after it)
// or by Esc (the drag goes on), and the loop paced by the scroll speed on
// the injected clock, never waiting for ever.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QTimer>

#include <string>

#include "grid/tests/GridOnForm.h"
#include "platform/core/Clock.h"

namespace {

class GridAutoScroll : public TGridOnFormTest {
protected:
    void SetUp() override {
        ShowGrid(300, 200, 12, 60);
        grid->SetScrollSpeed(spHigh);
        // The window system's moves from showing the form come first.
        QCoreApplication::processEvents();
    }
    void TearDown() override {
        SetCurrentClock(nullptr);
        TGridOnFormTest::TearDown();
    }
    TPoint Mid(Integer c, Integer r) {
        TRect rc = grid->CellPixels(c, r);
        return {(rc.Left + rc.Right) / 2, (rc.Top + rc.Bottom) / 2};
    }
    TPoint Margin(Integer c, Integer r) { return {grid->CellPixels(c, r).Left + 1, Mid(c, r).Y}; }
    void Send(QEvent::Type type, TPoint p) { SendLeftMouse(grid->Widget(), type, p); }
    // An event that is waiting in the queue while the next move runs.
    void QueueRelease(TPoint p) {
        QPointF at(p.X, p.Y);
        QCoreApplication::postEvent(grid->Widget(),
                                    new QMouseEvent(QEvent::MouseButtonRelease, at, grid->Widget()->mapToGlobal(at),
                                                    Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
    }
    void QueueEscape() {
        QCoreApplication::postEvent(grid->Widget(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    }
    TPoint BelowRight() { return {grid->ClientWidth() + 10, grid->ClientHeight() + 10}; }
    TPoint Below(Integer x) { return {x, grid->ClientHeight() + 10}; }
    std::string Selected(bool rows, Integer from, Integer to) {
        std::string s;
        for (Integer i = from; i <= to; ++i)
            s += (rows ? grid->IsDisplayRowSelected(i) : grid->IsDisplayColSelected(i)) ? 'x' : '.';
        return s;
    }
};

TEST_F(GridAutoScroll, ACellRangeDraggedPastTheCornerScrollsToTheLastCell) {
    Send(QEvent::MouseButtonPress, Margin(2, 2));
    ASSERT_EQ(grid->MouseStatus(), msCellSelect);
    Send(QEvent::MouseMove, BelowRight());
    EXPECT_EQ(grid->TopRow(), grid->GetMaxTopRow());
    EXPECT_EQ(grid->TopLeftCell().Col, grid->GetMaxLeftCol());
    EXPECT_GT(grid->TopRow(), 1);
    TCellRange_ts range = grid->CellRange();
    EXPECT_EQ(range.Left, 2);
    EXPECT_EQ(range.Top, 2);
    EXPECT_EQ(range.Right, grid->ColTotal() - 1);
    EXPECT_EQ(range.Bottom, grid->RowTotal() - 1);
    Send(QEvent::MouseButtonRelease, BelowRight());
    EXPECT_EQ(grid->MouseStatus(), msNone);
    EXPECT_EQ(grid->GridStatus(), gsCellsSelected);
    EXPECT_EQ(grid->CellRange().Bottom, grid->RowTotal() - 1);
}

TEST_F(GridAutoScroll, ACellRangeBesideCellsThatFitNeitherScrollsNorPassesTheLastColumn) {
    grid->SetCols(3);
    Send(QEvent::MouseButtonPress, Margin(1, 2));
    Integer top = grid->TopRow();
    for (TPoint p : {TPoint(grid->ClientWidth() - 3, Mid(1, 3).Y), TPoint(grid->ClientWidth() + 10, Mid(1, 3).Y)}) {
        Send(QEvent::MouseMove, p);
        EXPECT_EQ(grid->CellRange().Right, 3) << p.X;
        EXPECT_EQ(grid->CellRange().Bottom, 3) << p.X;
        EXPECT_EQ(grid->TopRow(), top) << p.X;
    }
    Send(QEvent::MouseButtonRelease, Mid(1, 3));
}

// Rows by the row bar, columns by the heading: held past the far edge the
// selection reaches the last one, held past the near edge it comes back
// to the first, the anchor staying selected.
TEST_F(GridAutoScroll, RowAndColumnDragsFollowTheScrollBothWays) {
    grid->SetColMoving(false);
    struct Case {
        const char* what;
        bool rows;
    } cases[] = {{"rows", true}, {"columns", false}};
    for (const Case& c : cases) {
        Integer count = c.rows ? grid->RowTotal() - 1 : grid->ColTotal() - 1;
        auto first = [&] { return c.rows ? grid->TopRow() : grid->TopLeftCell().Col; };
        TPoint press = c.rows ? Mid(0, 2) : Mid(2, 0);
        TPoint past = c.rows ? Below(press.X) : TPoint(grid->ClientWidth() + 10, press.Y);
        TPoint before = c.rows ? TPoint(press.X, 2) : TPoint(2, press.Y);
        Send(QEvent::MouseButtonPress, press);
        Send(QEvent::MouseMove, past);
        EXPECT_EQ(first(), c.rows ? grid->GetMaxTopRow() : grid->GetMaxLeftCol()) << c.what;
        EXPECT_EQ(Selected(c.rows, 1, count), "." + std::string(std::size_t(count - 1), 'x')) << c.what;
        Send(QEvent::MouseMove, before);
        EXPECT_EQ(first(), 1) << c.what;
        EXPECT_EQ(Selected(c.rows, 1, count), "xx" + std::string(std::size_t(count - 2), '.')) << c.what;
        Send(QEvent::MouseButtonRelease, before);
        EXPECT_EQ(grid->MouseStatus(), msNone) << c.what;
    }
}

TEST_F(GridAutoScroll, AHeadingDraggedPastTheEdgeMovesItsColumnToTheEnd) {
    Send(QEvent::MouseButtonPress, Mid(2, 0));
    Send(QEvent::MouseButtonRelease, Mid(2, 0));
    ASSERT_TRUE(grid->IsDisplayColSelected(2));
    Send(QEvent::MouseButtonPress, Mid(2, 0));
    ASSERT_EQ(grid->MouseStatus(), msColMove);
    TPoint past(grid->ClientWidth() + 10, Mid(2, 0).Y);
    Send(QEvent::MouseMove, past);
    EXPECT_EQ(grid->TopLeftCell().Col, grid->GetMaxLeftCol());
    EXPECT_EQ(grid->DropPosition(), 12);
    Send(QEvent::MouseButtonRelease, past);
    EXPECT_EQ(grid->DataColOfDisplay(12), 2);
    EXPECT_EQ(grid->DataColOfDisplay(2), 3);
}

// A mouse message waiting for the grid ends the loop before its first
// scroll and is handled after it; Esc ends the loop too but is used up by
// it, so the drag goes on and the next move past the edge scrolls again.
TEST_F(GridAutoScroll, AWaitingMessageOrEscEndsTheLoop) {
    struct Case {
        const char* what;
        bool escape;
    } cases[] = {{"release", false}, {"Esc", true}};
    for (const Case& c : cases) {
        grid->SetTopLeft(1, 1);
        Send(QEvent::MouseButtonPress, Margin(2, 2));
        if (c.escape) QueueEscape();
        else QueueRelease(BelowRight());
        Send(QEvent::MouseMove, BelowRight());
        EXPECT_EQ(grid->TopRow(), 1) << c.what;
        EXPECT_EQ(grid->TopLeftCell().Col, 1) << c.what;
        EXPECT_EQ(grid->MouseStatus(), msCellSelect) << c.what;
        QCoreApplication::processEvents();
        if (!c.escape) {
            EXPECT_EQ(grid->MouseStatus(), msNone) << c.what;
            continue;
        }
        EXPECT_EQ(grid->MouseStatus(), msCellSelect) << c.what;
        Send(QEvent::MouseMove, BelowRight());
        EXPECT_EQ(grid->TopRow(), grid->GetMaxTopRow()) << c.what;
        Send(QEvent::MouseButtonRelease, BelowRight());
    }
}

// On the injected clock: at low speed a step every 200 ms while the pointer
// is held below the rows; a clock that does not move ends the loop.
TEST_F(GridAutoScroll, TheLoopWaitsByTheScrollSpeedOnTheClock) {
    ManualClock clock{1000};
    SetCurrentClock(&clock);
    grid->SetScrollSpeed(spLow);
    Send(QEvent::MouseButtonPress, Mid(0, 2));
    // Each pass of the event loop is 60 ms; after 600 ms the pointer is
    // released.
    int ticks = 0;
    QTimer ticker;
    ticker.setInterval(0);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (++ticks <= 10) clock.Advance(60);
        else {
            ticker.stop();
            QueueRelease(Below(Mid(0, 2).X));
        }
    });
    ticker.start();
    Send(QEvent::MouseMove, Below(Mid(0, 2).X));
    ticker.stop();
    EXPECT_EQ(grid->TopRow(), 3);
    QCoreApplication::processEvents();
    EXPECT_EQ(grid->MouseStatus(), msNone);

    // No ticker: the clock stands still and the loop gives up, the drag
    // going on.
    grid->SetTopLeft(1, 1);
    Send(QEvent::MouseButtonPress, Margin(2, 2));
    Send(QEvent::MouseMove, Below(Mid(2, 2).X));
    EXPECT_EQ(grid->TopRow(), 1);
    EXPECT_EQ(grid->MouseStatus(), msCellSelect);
    Send(QEvent::MouseButtonRelease, Mid(2, 2));
}

}  // namespace

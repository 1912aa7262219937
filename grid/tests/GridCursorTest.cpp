// The grid's picture cursors: drawn with their tips on their hot spots, and
// shown by pointer moves over a heading, the row bar and the left edge of a
// data cell where a press would select.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QWidget>

#include "grid/GridCursors.h"
#include "grid/TSGrid.h"
#include "grid/tests/GridClassSupport.h"
#include "platform/gui/Cursors.h"
#include "platform/gui/Forms.h"

namespace {

TEST(GridCursorPictures, EachIsLoadedByNameWithItsTipOnTheHotSpot) {
    struct Case {
        const char* name;
        TCursor loaded;
        int hotX, hotY;
        int dx, dy;  // where the arrow points: no black pixel lies beyond the tip
    };
    const TgrGridCursors& c = GridCursors();
    for (const Case& k : {Case{"GRARROWREV", c.ArrowRev, 13, 4, 0, -1},
                          Case{"GRHORARROWRIGHT", c.HorArrowRight, 26, 16, 1, 0},
                          Case{"GRVERTARROWDOWN", c.VertArrowDown, 13, 26, 0, 1}}) {
        SCOPED_TRACE(k.name);
        EXPECT_GT(k.loaded, 0);
        EXPECT_EQ(LoadCursorResource(k.name), k.loaded);
        const TCursorPicture* p = CursorPicture(k.loaded);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->Width, 32);
        EXPECT_EQ(p->Height, 32);
        EXPECT_EQ(p->HotX, k.hotX);
        EXPECT_EQ(p->HotY, k.hotY);
        EXPECT_TRUE(p->Black[size_t(k.hotY) * 32 + k.hotX]) << "the hot spot is on the arrow";
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                bool beyond = (x - k.hotX) * k.dx + (y - k.hotY) * k.dy > 0;
                if (beyond) {
                    EXPECT_FALSE(p->Black[size_t(y) * 32 + x]) << x << "," << y;
                }
                // Every black pixel is drawn, never see-through.
                if (p->Black[size_t(y) * 32 + x]) {
                    EXPECT_TRUE(p->Shown[size_t(y) * 32 + x]);
                }
            }
    }
    // The up-right arrow: its straight edge runs down from the tip, the
    // rest of it lies left of that edge.
    const TCursorPicture* rev = CursorPicture(c.ArrowRev);
    EXPECT_TRUE(rev->Black[size_t(14) * 32 + 13]);
    for (int y = 0; y < 32; ++y)
        for (int x = 14; x < 32; ++x) {
            EXPECT_FALSE(rev->Black[size_t(y) * 32 + x]) << x << "," << y;
        }
}

class GridCursorHover : public ::testing::Test {
protected:
    void SetUp() override {
        grid = ShownGrid<TLogGrid>(form, 4, 6);
        grid->SetGridMode(gmEdit);
        grid->SetColSelectMode(csMulti);
        grid->SetRowSelectMode(rsMulti);
        grid->SetCellSelectMode(cmRange);
        grid->SetColMoving(true);
        grid->SetRowMoving(true);
        form->Show();
    }
    void TearDown() override { Application->ResetForTesting(); }

    void Send(QEvent::Type type, int x, int y, Qt::MouseButton button, Qt::MouseButtons held) {
        QPointF at(x, y);
        QMouseEvent e(type, at, grid->Widget()->mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(grid->Widget(), &e);
    }
    QCursor HoverAt(int x, int y) {
        Send(QEvent::MouseMove, x, y, Qt::NoButton, Qt::NoButton);
        return grid->Widget()->cursor();
    }
    void ClickAt(int x, int y) {
        Send(QEvent::MouseButtonPress, x, y, Qt::LeftButton, Qt::LeftButton);
        Send(QEvent::MouseButtonRelease, x, y, Qt::LeftButton, Qt::NoButton);
    }
    TRect Cell(Integer col, Integer row) { return grid->CellPixels(col, row); }
    static bool IsPicture(const QCursor& c, int hotX, int hotY) {
        return c.shape() == Qt::BitmapCursor && c.hotSpot() == QPoint(hotX, hotY);
    }

    TForm* form = nullptr;
    TLogGrid* grid = nullptr;
};

TEST_F(GridCursorHover, AHeadingThatWouldSelectShowsTheDownArrow) {
    TRect h = Cell(2, 0);
    EXPECT_TRUE(IsPicture(HoverAt(h.Left + 8, h.Top + 4), 13, 26));
    // Pressed, the column is selected; with ColMoving a press on it would
    // move it, so the grid's own cursor shows.
    ClickAt(h.Left + 8, h.Top + 4);
    ASSERT_EQ(grid->GridStatus(), gsColsSelected);
    EXPECT_EQ(HoverAt(h.Left + 8, h.Top + 4).shape(), Qt::ArrowCursor);
    TRect other = Cell(3, 0);
    EXPECT_TRUE(IsPicture(HoverAt(other.Left + 8, other.Top + 4), 13, 26)) << "an unselected heading";
    grid->SetColMoving(false);
    EXPECT_TRUE(IsPicture(HoverAt(h.Left + 8, h.Top + 4), 13, 26)) << "without moving a press selects";
    grid->SetColSelectMode(csSingle);
    EXPECT_NE(HoverAt(other.Left + 8, other.Top + 4).shape(), Qt::BitmapCursor);
}

TEST_F(GridCursorHover, TheRowBarWhereAPressWouldSelectShowsTheRightArrow) {
    TRect b = Cell(0, 3);
    EXPECT_TRUE(IsPicture(HoverAt(b.Left + 4, b.Top + 4), 26, 16));
    ClickAt(b.Left + 4, b.Top + 4);
    ASSERT_EQ(grid->GridStatus(), gsRowsSelected);
    EXPECT_EQ(HoverAt(b.Left + 4, b.Top + 4).shape(), Qt::ArrowCursor) << "a press would move the selected row";
    TRect other = Cell(0, 4);
    EXPECT_TRUE(IsPicture(HoverAt(other.Left + 4, other.Top + 4), 26, 16));
    grid->SetRowSelectMode(rsNone);
    EXPECT_NE(HoverAt(other.Left + 4, other.Top + 4).shape(), Qt::BitmapCursor);
}

TEST_F(GridCursorHover, TheLeftEdgeOfADataCellShowsTheRangeArrow) {
    TRect c = Cell(2, 2);
    for (int dx : {0, 1, 2}) EXPECT_TRUE(IsPicture(HoverAt(c.Left + dx, c.Top + 4), 13, 4)) << dx;
    EXPECT_NE(HoverAt(c.Left + 3, c.Top + 4).shape(), Qt::BitmapCursor) << "three pixels only";
    grid->SetGridMode(gmBrowse);
    EXPECT_TRUE(IsPicture(HoverAt(c.Left + 1, c.Top + 4), 13, 4));
    grid->SetGridMode(gmListBox);
    EXPECT_NE(HoverAt(c.Left + 1, c.Top + 4).shape(), Qt::BitmapCursor);
    grid->SetGridMode(gmEdit);
    grid->SetCellSelectMode(cmNone);
    EXPECT_NE(HoverAt(c.Left + 1, c.Top + 4).shape(), Qt::BitmapCursor);
}

}  // namespace

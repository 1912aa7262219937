// The drop-down window of the real grid: a press outside it closes it, a
// press on the list does not, another window becoming active rolls it up,
// and no hook stays behind once every drop-down is closed.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

#include "grid/GridDropDown.h"
#include "platform/core/Clock.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "tools/gridshot/GridShot.h"

namespace {

void Press(QWidget* w) {
    QMouseEvent e(QEvent::MouseButtonPress, QPointF(3, 3), w->mapToGlobal(QPointF(3, 3)), Qt::LeftButton,
                  Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void Activate(QWidget* w) {
    QEvent e(QEvent::WindowActivate);
    QApplication::sendEvent(w, &e);
}

class GridShotDropDown : public ::testing::Test {
protected:
    void SetUp() override {
        SetCurrentClock(&clock);
        shot.Run(R"({"width":300,"height":150,"grid":{"Cols":2,"Rows":3},
          "columns":[{"Heading":"Fruit","ComboItems":["apple","banana","cherry"]},{"Heading":"Note"}],
          "rows":[["banana","x"]]})");
        g = shot.Grid();
        // Another control on the grid's form.
        button = new TButton(g->Parent());
        button->SetParent(g->Parent());
        button->SetBounds(0, 0, 10, 10);
    }
    void TearDown() override { SetCurrentClock(nullptr); }
    void DropDown() {
        Word16 key = VK_F4;
        g->DoKeyDown(key, {});
        ASSERT_NE(g->DroppedCombo(), nullptr);
        ASSERT_TRUE(DropDownHooksInstalled());
    }
    ManualClock clock{1000};
    TGridShot shot;
    TgrShotGrid* g = nullptr;
    TButton* button = nullptr;
};

TEST_F(GridShotDropDown, APressOutsideClosesItAndAPressOnTheListDoesNot) {
    DropDown();
    TgrBaseGrid* list = g->DroppedCombo()->ComboGrid();
    ASSERT_TRUE(g->DropDownForm()->Widget()->isWindow());
    EXPECT_TRUE(g->DropDownForm()->Widget()->windowFlags().testFlag(Qt::FramelessWindowHint));
    Press(list->Widget());
    Press(g->DropDownForm()->Widget());
    // The grid's own presses are the grid's to handle, not the hook's.
    DropDownMouseHook(QEvent::MouseButtonPress, g->Widget());
    EXPECT_NE(g->DroppedCombo(), nullptr) << "presses on the list, its window and the grid keep it open";
    EXPECT_TRUE(g->DropDownForm()->Visible());

    Press(button->Widget());
    EXPECT_EQ(g->DroppedCombo(), nullptr);
    EXPECT_FALSE(g->DropDownForm()->Visible());
    EXPECT_EQ(g->GetCellValue(1, 1).AsString(), "banana") << "closing takes no value";
    EXPECT_FALSE(DropDownHooksInstalled());
}

TEST_F(GridShotDropDown, AnotherWindowBecomingActiveRollsItUp) {
    DropDown();
    // The grid's own form or the drop-down becoming active keeps it open.
    Activate(g->Widget()->window());
    Activate(g->DropDownForm()->Widget());
    EXPECT_NE(g->DroppedCombo(), nullptr);
    TForm other(Application);
    Activate(other.Widget());
    EXPECT_EQ(g->DroppedCombo(), nullptr);
    EXPECT_FALSE(DropDownHooksInstalled());
}

TEST_F(GridShotDropDown, EveryClosingAndDestroyingUnregistersTheGrid) {
    // Keyboard closing, a second grid's press, and destroying a grid with an
    // open drop-down all leave no hook behind.
    DropDown();
    Word16 key = VK_ESCAPE;
    g->DoKeyDown(key, {});
    EXPECT_FALSE(IsDropDownGridRegistered(g));
    EXPECT_FALSE(DropDownHooksInstalled());

    TGridShot second;
    second.Run(R"({"width":200,"height":100,"grid":{"Cols":1,"Rows":2},
      "columns":[{"Heading":"F","ComboItems":["a","b"]}]})");
    DropDown();
    key = VK_F4;
    second.Grid()->DoKeyDown(key, {});
    ASSERT_NE(second.Grid()->DroppedCombo(), nullptr);
    // A press on the last opened list stops the walk: both stay open; a
    // press elsewhere closes both.
    Press(second.Grid()->DroppedCombo()->ComboGrid()->Widget());
    EXPECT_NE(g->DroppedCombo(), nullptr);
    EXPECT_NE(second.Grid()->DroppedCombo(), nullptr);
    Press(button->Widget());
    EXPECT_EQ(g->DroppedCombo(), nullptr);
    EXPECT_EQ(second.Grid()->DroppedCombo(), nullptr);
    EXPECT_FALSE(DropDownHooksInstalled());

    DropDown();
    delete g;
    g = nullptr;
    EXPECT_FALSE(DropDownHooksInstalled());
}

}  // namespace

// Layout suspension and the drop-down size lock on the real grid: nested
// suspensions repaint once when the last ends, and an open drop-down keeps
// its size while its list grid's size lock is held.

#include <gtest/gtest.h>

#include <string>

#include "grid/GridCombo.h"
#include "platform/gui/Forms.h"
#include "tools/gridshot/GridShot.h"

namespace {

TEST(GridShotLocks, NestedLayoutSuspensionsApplyTheirWorkOnceAtTheEnd) {
    TGridShot shot;
    shot.Run(R"({"width":300,"height":150,"grid":{"Cols":3,"Rows":30},"script":[{"scroll":[1,20]}]})");
    TgrShotGrid* g = shot.Grid();
    ASSERT_EQ(g->TopLeftCell().Row, 20);
    g->SuspendLayout();
    g->SuspendLayout();
    EXPECT_TRUE(g->IsLayoutSuspended());
    // Fewer rows leave the top row beyond the end; the recheck waits.
    g->RecheckTopLeft(true);
    g->GridRows()->EnsureRow(25)->SetVisible(false);
    g->ResumeLayout();
    EXPECT_TRUE(g->IsLayoutSuspended());
    g->ResumeLayout();
    EXPECT_FALSE(g->IsLayoutSuspended());
    g->ResumeLayout();  // one too many: stays at 0
    EXPECT_FALSE(g->IsLayoutSuspended());
    // The top-left cell was rechecked against the hidden row at the end.
    TGridShot twin;
    twin.Run(R"({"width":300,"height":150,"grid":{"Cols":3,"Rows":30},"script":[{"scroll":[1,20]}]})");
    twin.Grid()->GridRows()->EnsureRow(25)->SetVisible(false);
    EXPECT_EQ(g->TopLeftCell().Row, twin.Grid()->TopLeftCell().Row);
    EXPECT_TRUE(shot.Picture() == twin.Picture());
}

TEST(GridShotLocks, TheDropDownKeepsItsSizeWhileItsSizeLockIsHeld) {
    TGridShot shot;
    shot.Run(R"({"width":300,"height":200,"grid":{"Cols":2,"Rows":3},
      "columns":[{"Heading":"Fruit","ComboItems":["apple","banana","cherry","date","elder","fig"]},{"Heading":"Note"}],
      "rows":[["banana","x"]]})");
    TgrShotGrid* g = shot.Grid();
    Word16 key = VK_F4;
    g->DoKeyDown(key, {});
    TgrCombo* combo = g->DroppedCombo();
    ASSERT_NE(combo, nullptr);
    TgrBaseGrid* list = combo->ComboGrid();
    int tall = g->DropDownForm()->Height();
    combo->SetDropDownRows(2);

    list->LockDropDownSize(false);
    list->UpdateDropDownSize(0, 2);
    EXPECT_EQ(g->DropDownForm()->Height(), tall);
    list->LockDropDownSize(true);

    list->LockUpdate();  // an update lock defers the resize to its release
    list->UpdateDropDownSize(0, 2);
    EXPECT_EQ(g->DropDownForm()->Height(), tall);
    list->UnlockUpdate();
    int shortened = g->DropDownForm()->Height();
    EXPECT_LT(shortened, tall);
    EXPECT_EQ(list->Height(), shortened);
}

}  // namespace

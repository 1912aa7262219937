// GridMode changes: a combo's drop-down grid keeps its mode outside design
// time, and only the list-box mode needs the current cell's edit to end.

#include <gtest/gtest.h>

#include "grid/TSGrid.h"
#include "grid/tests/GridClassSupport.h"

namespace {

class RefusingGrid : public TLogGrid {
public:
    using TLogGrid::TLogGrid;
    bool refuse = false;
    int asked = 0;
    bool CanLeaveCell(Integer, Integer, bool) override {
        ++asked;
        return !refuse;
    }
};

TEST(GridMode, ComboGridsAndLeavingTheCell) {
    EnsureGuiApplication();
    RefusingGrid owner(nullptr), combo(nullptr);
    combo.SetOwnerGrid(&owner);
    combo.SetGridMode(gmBrowse);
    EXPECT_EQ(combo.GridMode(), gmEdit) << "a drop-down grid at run time keeps its mode";
    owner.SetDesignFlag(true);
    combo.SetGridMode(gmBrowse);
    EXPECT_EQ(combo.GridMode(), gmBrowse) << "at design time it may change";

    RefusingGrid grid(nullptr);
    grid.refuse = true;
    grid.SetGridMode(gmBrowse);
    EXPECT_EQ(grid.GridMode(), gmBrowse);
    EXPECT_EQ(grid.asked, 0) << "only the list-box mode asks";
    grid.SetGridMode(gmListBox);
    EXPECT_EQ(grid.GridMode(), gmBrowse);
    EXPECT_EQ(grid.asked, 1);
    grid.refuse = false;
    grid.SetGridMode(gmListBox);
    EXPECT_EQ(grid.GridMode(), gmListBox);
}

TEST(GridMode, GridLinesSetTheLineWidths) {
    EnsureGuiApplication();
    TLogGrid grid(nullptr);
    struct Case {
        TgrGridLines lines;
        Integer horz, vert;
    } cases[] = {{glNone, 0, 0}, {glHorizontal, 1, 0}, {glVertical, 0, 1}, {glBoth, 1, 1}};
    for (const Case& c : cases) {
        grid.SetGridLines(c.lines);
        EXPECT_EQ(grid.HorzLineWidth(), c.horz) << c.lines;
        EXPECT_EQ(grid.VertLineWidth(), c.vert) << c.lines;
    }
}

}  // namespace

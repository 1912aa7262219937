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

namespace {

TEST(GridMode, LegacyEditModeNamesAndOrdinals) {
    struct Case {
        const char* name;
        Integer ordinal;
        TgrGridMode mode;
    } cases[] = {
        {"emNone", 0, gmListBox}, {"EMEDITINSERT", 2, gmEditInsert}, {"embrowse", 3, gmBrowse},
        {"emEdit", 1, gmEdit},    {"emSomething", 1, gmEdit},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TgrBaseGrid::ParseEditModeName(c.name), c.ordinal) << c.name;
        EXPECT_EQ(TgrBaseGrid::EditModeToGridMode(c.ordinal), c.mode) << c.name;
        EXPECT_EQ(TgrBaseGrid::GridModeToEditMode(c.mode), c.ordinal) << c.name;
    }
    EXPECT_EQ(TgrBaseGrid::EditModeToGridMode(7), gmEdit);
    EXPECT_EQ(TgrBaseGrid::EditModeToGridMode(-1), gmEdit);
}

TEST(GridMode, EditOrBrowseModeAndMovesToADataRow) {
    EnsureGuiApplication();
    TLogGrid grid(nullptr);
    grid.SetCols(3);
    grid.SetRows(5);
    EXPECT_TRUE(grid.IsEditOrBrowseMode());
    grid.SetGridMode(gmBrowse);
    EXPECT_TRUE(grid.IsEditOrBrowseMode());
    grid.SetGridMode(gmListBox);
    EXPECT_FALSE(grid.IsEditOrBrowseMode());
    grid.SetGridMode(gmEdit);
    grid.MoveToDisplayCell(2, 1);
    grid.MoveToDataRow(4);
    EXPECT_EQ(grid.CurrentDisplayRow(), grid.DisplayRowOfData(4));
    EXPECT_EQ(grid.CurrentDisplayCol(), 2);
    for (Integer outside : {-1, 6, 99}) {
        grid.MoveToDataRow(outside);
        EXPECT_EQ(grid.CurrentDataRow(), 4) << outside;
    }
}

TEST(GridMode, SelectChangedFiresByKindInOrderOnce) {
    EnsureGuiApplication();
    TLogGrid grid(nullptr);
    std::string fired;
    grid.OnSelectChanged = [&](TObject*, TgrSelectType type, bool) { fired += std::to_string(int(type)) + ";"; };
    grid.MarkSelectChanged(2);
    grid.MarkSelectChanged(0);
    grid.FireSelectChanged(false);
    EXPECT_EQ(fired, std::to_string(int(stpRows)) + ";" + std::to_string(int(stpCells)) + ";");
    fired.clear();
    grid.FireSelectChanged(false);
    EXPECT_EQ(fired, "");
}

}  // namespace

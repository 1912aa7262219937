// A cell made current by a call or by a press on a bound grid: the dataset
// follows the row, and a move within the row leaves the record alone.
#include "dbgrid/tests/DBGridTestSupport.h"

#include <functional>

#include "platform/data/DataSet.h"

namespace {

class DBGridCellMove : public DBGridFixture {
protected:
    int CurrentId() { return table->FieldByName("ID")->AsInteger(); }
};

TEST_F(DBGridCellMove, TheDatasetFollowsACellMadeCurrentByACallOrAPress) {
    Fill(5);
    Bind();
    ASSERT_EQ(CurrentId(), 1);
    struct Case {
        const char* name;
        std::function<void()> move;
        Integer col;
        int id;
    } cases[] = {
        {"a display cell in another row", [&] { ASSERT_TRUE(grid->MoveToDisplayCell(2, 3)); }, 2, 3},
        {"another column of the row", [&] { ASSERT_TRUE(grid->MoveToDisplayCell(3, 3)); }, 3, 3},
        {"a data cell", [&] { grid->MoveToDataCell(1, 4); }, 1, 4},
        {"a press's move", [&] {
             Integer col = 2;
             grid->MoveToCell(col, 2, 3, -1);
         }, 2, 2},
    };
    for (const Case& c : cases) {
        c.move();
        EXPECT_EQ(CurrentId(), c.id) << c.name;
        EXPECT_EQ(grid->CurrentDataCol(), c.col) << c.name;
        EXPECT_EQ(grid->CurrentBookmark(), Bookmark()) << c.name;
    }
}

}  // namespace

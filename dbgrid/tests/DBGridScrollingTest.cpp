// The drawn rows after the record window moved: scrolled as pixels for a
// few records, painted anew for a page or more, and in either case the
// same picture as a full repaint.
#include "dbgrid/tests/DBGridTestSupport.h"

#include <QImage>

#include "platform/data/DataSet.h"

namespace {

using DBGridScrolling = DBGridFixture;

TEST_F(DBGridScrolling, AFewRecordsScrollThePixelsAPageRepaintsAll) {
    Fill(40);
    Bind();
    grid->SetRowBarOn(true);
    Integer v = grid->Rows();
    ASSERT_GE(v, 3);
    auto middle = [&](Integer row) {
        TRect r = grid->CellPixels(2, row);
        return std::pair<int, int>((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    };
    struct Case {
        const char* name;
        int move;         // records the dataset moves from the last window row
        bool page;  // everything was painted at once, nothing scrolled
    } cases[] = {
        {"one record", 1, false},
        {"two records", 2, false},
        {"a page", int(v), true},
    };
    for (const Case& c : cases) {
        table->First();
        table->MoveBy(int(v - 1));
        grid->Repaint();
        ASSERT_FALSE(grid->HasInvalidRegion()) << c.name;
        table->MoveBy(c.move);
        // The records moved up under the rows; the dataset's record is still
        // the current one, in the last row.
        EXPECT_EQ(NameAt(1), "N" + std::to_string(1 + c.move)) << c.name;
        EXPECT_EQ(grid->RecordWindow()->GetCurrentRecordRow(), v) << c.name;
        auto [x1, y1] = middle(1);
        auto [xl, yl] = middle(v);
        // A page is painted at once; the picture below shows it right.
        if (!c.page) {
            // The top rows were scrolled, only the row that came into view
            // waits to be painted.
            EXPECT_FALSE(grid->IsInvalid(x1, y1)) << c.name;
            EXPECT_TRUE(grid->IsInvalid(xl, yl)) << c.name;
        }
        grid->Update();
        QImage scrolled = grid->Surface().copy();
        grid->Repaint();
        EXPECT_TRUE(scrolled == grid->Surface()) << c.name;
    }
}

TEST_F(DBGridScrolling, ARowResizeOrAHeadingChangeFitsTheWindowToTheRecordsShown) {
    Fill(40);
    Bind();
    Integer before = grid->Rows();
    table->MoveBy(5);
    grid->SetHeadingOn(false);
    EXPECT_EQ(grid->Rows(), grid->GetVisibleRecordCount());
    EXPECT_GE(grid->Rows(), before);
    EXPECT_EQ(grid->GetCurrentDataRow(), Variant(table->GetBookmark()));
    grid->SetHeadingOn(true);
    EXPECT_EQ(grid->Rows(), before);
    EXPECT_EQ(grid->GetCurrentDataRow(), Variant(table->GetBookmark()));
}

}  // namespace

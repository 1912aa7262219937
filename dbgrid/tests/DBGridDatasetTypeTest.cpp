// The dataset type, the bookmark type and the record selection mode, which
// follow each other.
#include "dbgrid/tests/DBGridTestSupport.h"

#include "dbgrid/tests/CursorTestTable.h"

namespace {

class DBGridDatasetType : public DBGridFixture {
protected:
    void BindCursorTable() {
        cursorTable = MakeNumberedCursorTable(form, 20);
        source->SetDataSet(cursorTable);
        Bind();
    }
    TCursorTable* cursorTable = nullptr;
};

TEST_F(DBGridDatasetType, RangesNeedOrderedBookmarks) {
    Fill(3);
    Bind();
    EXPECT_EQ(grid->GetRecordSelection(), rseBookmarkRange);
    grid->SetBookmarkType(bmtNonOrdered);
    // Whatever was chosen, unordered bookmarks select by set.
    EXPECT_EQ(grid->GetRecordSelection(), rseBookmarkSet);
    grid->SetRecordSelection(rseBookmarkRange);
    EXPECT_EQ(grid->GetRecordSelection(), rseBookmarkSet);
    grid->SetBookmarkType(bmtDefault);
    EXPECT_EQ(grid->GetRecordSelection(), rseBookmarkRange);
}

TEST_F(DBGridDatasetType, UnorderedBookmarksTakeTheGridToTheStandardWindow) {
    BindCursorTable();
    grid->SetDatasetType(dstBDE);
    ASSERT_EQ(grid->DatasetType(), dstBDE);
    grid->SetBookmarkType(bmtNonOrdered);
    EXPECT_EQ(grid->DatasetType(), dstStandard);
    // The window in use is the standard one: it follows the dataset.
    cursorTable->Last();
    EXPECT_EQ(grid->GetCellValue(1, grid->CurrentDataRow()).AsInteger(), 20);
    // Back to the engine-cursor window, the bookmarks become ordered.
    grid->SetDatasetType(dstBDE);
    EXPECT_EQ(grid->DatasetType(), dstBDE);
    EXPECT_EQ(grid->BookmarkType(), bmtDefault);
}

}  // namespace

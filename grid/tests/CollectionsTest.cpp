// Visible lists and the column and row collections: the three numberings
// under hiding and moving, and stable ids.

#include <gtest/gtest.h>

#include "grid/GridCollections.h"
#include "grid/tests/PropGridRecorder.h"

namespace {

std::string Items(const TgrVisibleItems& v) {
    std::string s;
    for (Integer i = 1; i <= v.VisibleCount(); ++i) s += std::to_string(v.Get(i)) + " ";
    return s;
}

void HideThreeOfFive(TgrVisibleItems& v) {
    v.SetVisibleCount(5, 1);
    v.RemoveValue(3);
}

}  // namespace

TEST(VisibleItemsTest, NothingHiddenIsTheIdentity) {
    TgrVisibleItems v;
    v.SetVisibleCount(8, 1);
    bool found = false;
    EXPECT_EQ(v.Get(7), 7);
    EXPECT_EQ(v.Find(7, found), 7);
    EXPECT_TRUE(found);
    EXPECT_EQ(v.Find(0, found), 0);
    EXPECT_TRUE(found);
    EXPECT_EQ(v.Find(-1, found), 1);
    EXPECT_FALSE(found);
    EXPECT_EQ(v.Find(12, found), 9);
    EXPECT_FALSE(found);
    v.AddValue(3);  // everything is visible already
    EXPECT_FALSE(v.Materialized());
    EXPECT_EQ(v.Count(), 0);
    EXPECT_EQ(v.VisibleCount(), 8);
}

TEST(VisibleItemsTest, HidingStoresTheListAndShowingRestoresIt) {
    TgrVisibleItems v;
    HideThreeOfFive(v);
    EXPECT_TRUE(v.Materialized());
    EXPECT_EQ(Items(v), "1 2 4 5 ");
    EXPECT_EQ(v.VisibleCount(), 4);
    bool found = true;
    EXPECT_EQ(v.Get(3), 4);
    EXPECT_EQ(v.Get(5), 0);
    EXPECT_EQ(v.Find(3, found), 3);
    EXPECT_FALSE(found);
    EXPECT_EQ(v.Find(4, found), 3);
    EXPECT_TRUE(found);
    EXPECT_EQ(v.Find(2, found), 2);
    EXPECT_TRUE(found);
    v.AddValue(3);
    EXPECT_EQ(Items(v), "1 2 3 4 5 ");
    EXPECT_TRUE(v.Materialized());  // once stored, stays stored
}

TEST(VisibleItemsTest, MovingAPositionKeepsItsVisibility) {
    struct Case {
        Integer from, to;
        const char* expected;
    } cases[] = {
        {5, 2, "1 2 3 5 "},  // the moved column now at 2, the hidden one at 4
        {1, 4, "1 3 4 5 "},  // 2 -> 1, 4 -> 3, 1 -> 4; hidden 3 -> 2
        {3, 5, "1 2 3 4 "},  // the hidden position goes to the end
        {2, 2, "1 2 4 5 "},
    };
    for (const Case& c : cases) {
        TgrVisibleItems v;
        HideThreeOfFive(v);
        v.MovePosition(c.from, c.to);
        EXPECT_EQ(Items(v), c.expected) << c.from << "->" << c.to;
    }
    TgrVisibleItems identity;
    identity.SetVisibleCount(5, 1);
    identity.MovePosition(5, 2);
    EXPECT_FALSE(identity.Materialized());
}

TEST(VisibleItemsTest, CountChangesExtendOrCutTheStoredList) {
    TgrVisibleItems v;
    HideThreeOfFive(v);
    // Two more data columns (5 -> 7): VisibleCount + 2, new positions from 6.
    v.SetVisibleCount(v.VisibleCount() + 2, 6);
    EXPECT_EQ(Items(v), "1 2 4 5 6 7 ");
    // Down to 4 data columns (ColCount 5): cut off the positions from 5 on.
    bool found;
    v.SetVisibleCount(v.Find(5, found) - 1, 0);
    EXPECT_EQ(Items(v), "1 2 4 ");
    TgrVisibleItems copy;
    copy.Assign(v);
    EXPECT_TRUE(copy.Materialized());
    EXPECT_EQ(Items(copy), "1 2 4 ");
}

TEST(GridColsTest, ColumnsTakeTheirSlotWidthAndIdsAreNeverReused) {
    PropGridRecorder grid;
    grid.colWidths[2] = 90;
    TgrGridCols cols(4, &grid);
    ASSERT_EQ(cols.Count(), 4);
    for (Integer i = 0; i < 4; ++i) {
        EXPECT_EQ(cols.ColAt(i)->DisplayCol(), i);
        EXPECT_EQ(cols.ColAt(i)->ColId(), i);
    }
    EXPECT_EQ(cols.ColAt(2)->Width(), 90);
    EXPECT_EQ(cols.ColAt(2)->RequestedWidth(), 90);
    EXPECT_EQ(cols.ColAt(1)->Width(), 64);
    grid.colCount = 2;
    cols.SetCount(4);
    grid.colCount = 5;
    cols.SetCount(2);
    EXPECT_EQ(cols.Count(), 5);
    EXPECT_EQ(cols.ColAt(2)->ColId(), 4);
    EXPECT_EQ(cols.ColAt(4)->ColId(), 6);
    EXPECT_EQ(cols.NextColId(), 7);
}

TEST(GridColsTest, LookupByNumberAndFieldName) {
    PropGridRecorder grid;
    TgrGridCols cols(4, &grid);
    cols.ColAt(2)->SetFieldName("Score");
    cols.ColAt(0)->SetFieldName("Bar");  // the row bar is never found by name
    EXPECT_EQ(cols.GetCol(Variant("SCORE")), cols.ColAt(2));
    EXPECT_EQ(cols.GetCol(Variant("bar")), nullptr);
    EXPECT_EQ(cols.GetCol(Variant(3)), cols.ColAt(3));
    EXPECT_EQ(cols.GetCol(Variant(4)), nullptr);
    grid.rangeErrors = true;
    try {
        cols.GetCol(Variant(4));
        FAIL() << "no range error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message, "Column index 4 out of range");
    }
}

TEST(GridColsTest, MoveBlockKeepsIdsWithTheirColumns) {
    PropGridRecorder grid;
    TgrGridCols cols(5, &grid);
    TgrCol* c1 = cols.ColAt(1);
    TgrCol* c4 = cols.ColAt(4);
    cols.MoveBlock(1, 4, 1);  // 4's object is taken by the caller first
    cols.PutCol(1, c4);
    EXPECT_EQ(cols.ColAt(4), c1);
    EXPECT_EQ(cols.ColAt(4)->ColId(), 1);
    EXPECT_EQ(cols.ColAt(1)->ColId(), 4);
    cols.MoveBlock(2, 3, 2);  // overlapping: 2,3 -> 3,4; slot 2 emptied
    EXPECT_EQ(cols.ColAt(2), nullptr);
    EXPECT_EQ(cols.ColAt(4)->ColId(), 3);
    cols.PutCol(2, c1);  // the caller refills the emptied slot
}

TEST(GridRowsTest, HeadingRowAlwaysHasItsObjectOthersOnlyWhileNotDefault) {
    PropGridRecorder grid;
    TgrGridRows rows(5, &grid);
    ASSERT_NE(rows.GetRow(0), nullptr);
    rows.ReleaseIfDefault(0);
    EXPECT_NE(rows.GetRow(0), nullptr);
    EXPECT_EQ(rows.GetRow(3), nullptr);
    rows.SetHeightValue(3, grid.defaultRowHeight);  // default, no object made
    EXPECT_EQ(rows.GetRow(3), nullptr);
    rows.SetHeightValue(3, 30);
    ASSERT_NE(rows.GetRow(3), nullptr);
    EXPECT_EQ(rows.GetHeight(3), 30);
    EXPECT_EQ(rows.GetHeight(2), 14);
    rows.SetHeightValue(3, 14);
    EXPECT_EQ(rows.GetRow(3), nullptr);
    rows.SetRequestedHeight(2, 20);
    EXPECT_EQ(rows.GetRequestedHeight(2), 20);
    rows.SetRequestedHeight(2, 14);
    EXPECT_EQ(rows.GetRow(2), nullptr);
    EXPECT_EQ(rows.GetRow(5), nullptr);
}

TEST(GridRowsTest, DisplayArrayAppearsOnFirstMoveAndMovesWithIds) {
    PropGridRecorder grid;
    TgrGridRows rows(5, &grid);
    EXPECT_EQ(rows.DisplayRowOf(3), 3);
    rows.SetDisplayRowOf(3, 1);  // ignored without the array
    EXPECT_EQ(rows.DisplayRowOf(3), 3);
    rows.EnsureDisplayArray();
    rows.SetDisplayRowOf(3, 1);
    EXPECT_EQ(rows.DisplayRowOf(3), 1);
    rows.MoveBlock(3, 1, 1);
    EXPECT_EQ(rows.RowId(1), 3);
    EXPECT_EQ(rows.DisplayRowOf(1), 1);
    EXPECT_EQ(rows.RowId(3), 3);  // ids and display entries are only copied
    grid.rowCount = 7;
    rows.SetCount(5);
    EXPECT_EQ(rows.Count(), 7);
    EXPECT_EQ(rows.RowId(6), 6);
    EXPECT_EQ(rows.DisplayRowOf(6), 6);
    grid.rowCount = 3;
    rows.SetCount(7);
    grid.rowCount = 4;
    rows.SetCount(3);
    EXPECT_EQ(rows.RowId(3), 7);  // a new slot gets a new id
}

TEST(GridRowsTest, SetHeightPushesTheSizeAndReleasesDefaultRows) {
    PropGridRecorder grid;
    TgrGridRows rows(5, &grid);
    grid.rows = &rows;
    rows.SetHeight(2, 25);
    EXPECT_EQ(grid.Take(), "rowHeight 2,25;rowResized 2;reset;");
    rows.SetRequestedHeight(2, 14);  // SetHeight touched Height only
    rows.SetHeight(2, 14);
    EXPECT_EQ(rows.GetRow(2), nullptr);
    grid.rows = nullptr;
}

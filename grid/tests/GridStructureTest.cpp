// Removing data columns and rows from the middle of the grid class: later
// items take the lower numbers with everything keyed by them (cell records,
// stored values, column objects, changed-row marks), and the current cell
// stays on its data cell.

#include <gtest/gtest.h>

#include <string>

#include "grid/TSGrid.h"
#include "grid/tests/GridClassSupport.h"
#include "platform/gui/Forms.h"

namespace {

class StructureGrid : public TLogGrid {
public:
    using TLogGrid::TLogGrid;
    std::string Deleted;

protected:
    void FireDeleteRow(Integer r, bool byUser) override {
        Deleted += "row " + std::to_string(r) + (byUser ? " user;" : ";");
    }
};

// A 5 x 6 grid storing "c,r" in every cell, with headings "C1".."C5".
class GridStructure : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        form = new TForm(Application);
        form->SetBounds(0, 0, 500, 400);
        grid = new StructureGrid(form);
        grid->SetParent(form);
        grid->SetBounds(0, 0, 450, 300);
        grid->SetCols(5);
        grid->SetRows(6);
        grid->SetStoreData(true);
        for (Integer c = 1; c <= 5; ++c) {
            grid->Col(c)->SetHeading("C" + std::to_string(c));
            for (Integer r = 1; r <= 6; ++r)
                grid->PutCellValue(c, r, Variant(std::to_string(c) + "," + std::to_string(r)));
        }
        form->Show();
    }
    void TearDown() override { Application->ResetForTesting(); }
    std::string Value(Integer c, Integer r) { return grid->GetCellValue(c, r).AsString(); }
    TColor CellColor(Integer c, Integer r) {
        return TColor(grid->GetCellProp(c, r, gpColor, pkNoPicture).AsInteger());
    }
    void Color(Integer c, Integer r, TColor color) {
        grid->SetCellProp(c, r, gpColor, pkNoPicture, Variant(Integer(color)));
    }
    TForm* form = nullptr;
    StructureGrid* grid = nullptr;
};

}  // namespace

TEST_F(GridStructure, DeletedColumnsTakeTheirCellRecordsValuesAndObjectsAlong) {
    Color(2, 2, clRed);
    Color(3, 3, clBlue);
    Color(5, 1, clGreen);
    grid->MoveToDisplayCell(5, 4);
    // The one-entry lookup remembers (3, 3) before the records move.
    ASSERT_EQ(grid->EffectiveCellColor(3, 3, false), clBlue);
    std::string deleted;
    grid->OnDeleteCol = [&](TObject*, Integer c, bool byUser) {
        deleted += std::to_string(c) + (byUser ? " user;" : ";");
    };

    grid->DeleteCols(2, 3);
    EXPECT_EQ(grid->Cols(), 3);
    EXPECT_EQ(deleted, "3;2;");
    struct Case {
        Integer col;
        const char* value;
        const char* heading;
        TColor color;  // of row 1 for column 3, else row 3
    } cases[] = {{1, "1,3", "C1", grColorNotSet}, {2, "4,3", "C4", grColorNotSet}, {3, "5,3", "C5", grColorNotSet}};
    for (const Case& c : cases) {
        EXPECT_EQ(Value(c.col, 3), c.value) << c.col;
        EXPECT_EQ(grid->Col(c.col)->GetHeading(), c.heading) << c.col;
        EXPECT_EQ(CellColor(c.col, 3), c.color) << c.col;  // the blue record went with column 3
    }
    EXPECT_EQ(CellColor(3, 1), clGreen);
    EXPECT_NE(grid->EffectiveCellColor(3, 3, false), clBlue);
    EXPECT_EQ(CellColor(2, 2), grColorNotSet);
    // The current cell stays on its data cell.
    EXPECT_EQ(grid->CurrentDataCol(), 3);
    EXPECT_EQ(grid->CurrentDataRow(), 4);
    EXPECT_EQ(Value(grid->CurrentDataCol(), 4), "5,4");

    // Removing the current column moves the current cell to a neighbour.
    grid->DeleteCols(3, 9);
    EXPECT_EQ(grid->Cols(), 2);
    EXPECT_EQ(grid->CurrentDataCol(), 2);
}

TEST_F(GridStructure, ShiftingCellRecordsClearsTheOneEntryLookup) {
    Color(3, 2, clBlue);
    // Painting looks the record up through the one-entry lookup.
    auto painted = [&](Integer c, Integer r) { return grid->EffectiveCellColor(c, r, false); };
    ASSERT_EQ(painted(3, 2), clBlue);
    grid->ShiftColCellRecords(2, 5);
    EXPECT_NE(painted(3, 2), clBlue);
    EXPECT_EQ(painted(2, 2), clBlue);
    grid->ShiftRowCellRecords(1, 6);
    EXPECT_NE(painted(2, 2), clBlue);
    EXPECT_EQ(painted(2, 1), clBlue);
}

TEST_F(GridStructure, DeletedRowsTakeTheirCellRecordsValuesAndMarksAlong) {
    Color(1, 4, clRed);
    grid->SetRowChanged(5, true);
    grid->MoveToDisplayCell(2, 6);
    grid->DeleteRows(2, 3);
    EXPECT_EQ(grid->Rows(), 4);
    EXPECT_EQ(grid->Deleted, "row 3;row 2;");
    EXPECT_EQ(Value(1, 2), "1,4");
    EXPECT_EQ(Value(1, 4), "1,6");
    EXPECT_EQ(CellColor(1, 2), clRed);
    EXPECT_TRUE(grid->IsRowChanged(3));
    EXPECT_FALSE(grid->IsRowChanged(5));
    EXPECT_EQ(grid->CurrentDataRow(), 4);
    EXPECT_EQ(grid->CurrentDisplayRow(), 4);

    // The insert row of gmEditInsert stays below the rows.
    grid->SetGridMode(gmEditInsert);
    grid->MoveToDisplayCell(1, 1);
    grid->DeleteRows(4, 4);
    EXPECT_EQ(grid->Rows(), 3);
    EXPECT_EQ(grid->RowCount(), 5);
    EXPECT_TRUE(grid->IsInsertRowPos(4));
    EXPECT_EQ(Value(1, 3), "1,5");
}

TEST_F(GridStructure, AnInsertedColumnIsANewLastDataColumnShownWhereAsked) {
    Color(2, 2, clRed);
    std::string inserted;
    grid->OnInsertCol = [&](TObject*, Integer c, bool) { inserted += std::to_string(c) + ";"; };
    EXPECT_FALSE(grid->InsertColAt(7));
    ASSERT_TRUE(grid->InsertColAt(2));
    EXPECT_EQ(grid->Cols(), 6);
    EXPECT_EQ(grid->DataColOfDisplay(2), 6);
    EXPECT_EQ(grid->DataColOfDisplay(3), 2);
    // Nothing is re-keyed: data numbers stay with their cells.
    EXPECT_EQ(Value(2, 1), "2,1");
    EXPECT_EQ(CellColor(2, 2), clRed);
    EXPECT_TRUE(grid->GetCellValue(6, 1).IsEmpty());
    EXPECT_EQ(inserted, "");
}

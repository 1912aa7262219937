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
    using TgrBaseGrid::MouseDown;
    using TgrBaseGrid::MouseUp;
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
    void Click(Integer displayCol, Integer displayRow, TShiftState shift = {}) {
        TRect r = grid->CellPixels(displayCol, displayRow);
        TShiftState pressed = shift;
        pressed.Include(ssLeft);
        grid->MouseDown(mbLeft, pressed, r.Left + 4, r.Top + 4);
        grid->MouseUp(mbLeft, shift, r.Left + 4, r.Top + 4);
    }
    Integer SelectedRows() {
        Integer n = 0;
        for (Integer r = 1; r < grid->RowTotal(); ++r) n += grid->IsDisplayRowSelected(r) ? 1 : 0;
        return n;
    }
    // The first column's values down the rows, as "1,1 1,3 ...".
    std::string FirstColumn() {
        std::string out;
        for (Integer r = 1; r <= grid->Rows(); ++r) out += (r > 1 ? " " : "") + Value(1, r);
        return out;
    }
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

TEST_F(GridStructure, SelectedColumnsGoWithoutAskingAndTheCurrentCellFollows) {
    grid->Col(5)->SetDisplayCol(2);  // display order C1 C5 C2 C3 C4
    Click(2, 0);                     // the heading selects C5 ...
    ASSERT_TRUE(grid->IsDisplayColSelected(2));
    grid->MoveToDisplayCell(4, 2);   // on C3
    grid->SelectDisplayCols(5, 5, true);  // ... and C4 joins it
    std::string deleted;
    grid->OnDeleteCol = [&](TObject*, Integer c, bool byUser) {
        deleted += std::to_string(c) + (byUser ? " user;" : ";");
    };
    Integer asked = 0;
    grid->OnSelectChanged = [&](TObject*, TgrSelectType, bool) { ++asked; };

    grid->DeleteSelectedCols();
    EXPECT_EQ(grid->Cols(), 3);
    EXPECT_EQ(deleted, "4;4;");  // C4 at display 5 first, then C5, by then data column 4
    EXPECT_GE(asked, 1);
    std::string headings;
    for (Integer p = 1; p <= grid->Cols(); ++p) headings += grid->Col(grid->DataColOfDisplay(p))->GetHeading();
    EXPECT_EQ(headings, "C1C2C3");
    EXPECT_EQ(Value(3, 2), "3,2");
    EXPECT_FALSE(grid->IsDisplayColSelected(1) || grid->IsDisplayColSelected(2) || grid->IsDisplayColSelected(3));
    EXPECT_EQ(grid->CurrentDataCol(), 3);
    EXPECT_EQ(grid->CurrentDataRow(), 2);

    // With nothing selected nothing goes; with the current column selected
    // the current cell stays at its place among the columns left.
    grid->DeleteSelectedCols();
    EXPECT_EQ(grid->Cols(), 3);
    grid->SelectDisplayCols(3, 3, true);
    grid->DeleteSelectedCols();
    EXPECT_EQ(grid->Cols(), 2);
    EXPECT_EQ(grid->CurrentDataCol(), 2);
}

TEST_F(GridStructure, SelectedRowsGoAndTheCurrentCellFollows) {
    struct Case {
        Integer current;    // display row made current before the rows are selected
        const char* rows;   // row-bar clicks, the first plain, the rest with Ctrl
        const char* left;   // first column afterwards
        Integer nowRow;     // current data row afterwards
        const char* value;  // value of the current row's first cell afterwards
    } cases[] = {
        {6, "24", "1,1 1,3 1,5 1,6", 4, "1,6"},  // below the removed rows: follows its data row
        {1, "24", "1,1 1,3 1,5 1,6", 1, "1,1"},  // above them: unchanged
        {4, "234", "1,1 1,5 1,6", 2, "1,5"},     // among them: the row left at its place
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        grid->SetRowSelectMode(rsMulti);
        bool first = true;
        for (const char* r = c.rows; *r; ++r, first = false) Click(0, *r - '0', first ? TShiftState{} : TShiftState{ssCtrl});
        grid->MoveToDisplayCell(1, c.current);
        ASSERT_EQ(Integer(std::string(c.rows).size()), SelectedRows()) << c.rows;
        grid->Deleted.clear();
        grid->DeleteSelectedRows();
        EXPECT_EQ(FirstColumn(), c.left) << c.current << " " << c.rows;
        EXPECT_EQ(grid->CurrentDataRow(), c.nowRow) << c.current << " " << c.rows;
        EXPECT_EQ(Value(1, grid->CurrentDataRow()), c.value) << c.current << " " << c.rows;
        EXPECT_EQ(SelectedRows(), 0) << c.rows;
    }
}

TEST_F(GridStructure, ASelectedInsertRowIsLeftOut) {
    grid->SetRowSelectMode(rsMulti);
    grid->SetGridMode(gmEditInsert);
    ASSERT_TRUE(grid->InsertRowShown());
    Integer insertRow = grid->RowTotal() - 1;
    grid->SelectDisplayRows(insertRow, insertRow);
    grid->DeleteSelectedRows();
    EXPECT_EQ(grid->Rows(), 6);
    grid->SelectDisplayRows(2, 2);
    grid->DeleteSelectedRows();
    EXPECT_EQ(grid->Rows(), 5);
    EXPECT_EQ(FirstColumn(), "1,1 1,3 1,4 1,5 1,6");
    EXPECT_TRUE(grid->InsertRowShown());
}

TEST_F(GridStructure, CountsSetUnderAnUpdateLockTakeEffect) {
    // A column rebuild runs inside an update lock: the counts it sets must
    // not be lost there.
    grid->LockUpdate();
    grid->SetCols(3);
    grid->SetRows(9);
    EXPECT_EQ(grid->Cols(), 3);
    EXPECT_EQ(grid->Rows(), 9);
    grid->SetCols(7);
    grid->UnlockUpdate();
    EXPECT_EQ(grid->Cols(), 7);
    EXPECT_EQ(grid->ColTotal(), 8);
    EXPECT_EQ(grid->Col(3)->GetHeading(), "C3");
}

TEST_F(GridStructure, CountsSetWhileItemsAreRemovedAreIgnored) {
    // A delete handler sees the counts between two states; a new count
    // from it would corrupt the removal.
    grid->OnDeleteCol = [&](TObject*, Integer, bool) { grid->SetCols(1); };
    grid->DeleteCols(2, 3);
    EXPECT_EQ(grid->Cols(), 3);
    EXPECT_EQ(grid->Col(2)->GetHeading(), "C4");
    EXPECT_EQ(grid->GetCellValue(3, 2).AsString(), "5,2");
    grid->OnDeleteCol = nullptr;
    grid->SetCols(1);
    EXPECT_EQ(grid->Cols(), 1);
}

// Values put into cells by a call: drawn at once into a grid that keeps no
// values, stored only for cells the grid has.

#include <gtest/gtest.h>

#include "grid/tests/GridOnForm.h"

namespace {

class GridPutValue : public TGridOnFormTest {
protected:
    void SetUp() override {
        ShowGrid(300, 200, 3, 5);
        grid->SetColor(clWhite);
        Repaint();
    }
    void Repaint() {
        grid->Invalidate();
        grid->Update();
    }
    // Dark pixels inside a cell, its grid lines left out.
    int Dark(Integer col, Integer row) {
        TRect r = grid->CellPixels(col, row);
        int n = 0;
        for (int y = r.Top; y < r.Bottom - 1; ++y)
            for (int x = r.Left; x < r.Right - 1; ++x)
                if (qGray(grid->Surface().pixel(x, y)) < 128) ++n;
        return n;
    }
};

}  // namespace

TEST_F(GridPutValue, AValueKeptNowhereIsDrawnAtOnceUntilTheNextRepaint) {
    ASSERT_EQ(Dark(2, 3), 0);
    grid->PutCellValue(2, 3, Variant(std::string("WWW")));
    EXPECT_GT(Dark(2, 3), 0);
    Repaint();
    EXPECT_EQ(Dark(2, 3), 0);  // the descendant loads nothing for the cell
    grid->PutCellValue(9, 3, Variant(std::string("WWW")));  // no such column: nothing
}

TEST_F(GridPutValue, OnlyCellsOfTheGridKeepAValue) {
    grid->SetStoreData(true);
    struct Case {
        Integer col, row;
    } outside[] = {{0, 1}, {4, 1}, {1, 0}, {1, 6}, {-3, 2}};
    for (const Case& c : outside) grid->PutCellValue(c.col, c.row, Variant(std::string("x")));
    grid->PutCellValue(3, 5, Variant(std::string("kept")));
    grid->SetCols(4);
    grid->SetRows(6);
    EXPECT_TRUE(grid->GetCellValue(4, 1).IsEmpty());
    EXPECT_TRUE(grid->GetCellValue(1, 6).IsEmpty());
    EXPECT_EQ(grid->GetCellValue(3, 5).AsString(), "kept");
}

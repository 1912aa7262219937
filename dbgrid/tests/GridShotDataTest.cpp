// The grid harness shows a data-aware grid: a CSV file in a memory table.
#include <gtest/gtest.h>

#include "dbgrid/DBGrid.h"
#include "dbgrid/tests/DBGridTestSupport.h"
#include "memtable/MemTable.h"
#include "tools/gridshot/GridShot.h"
#include "tools/gridshot/GridShotData.h"

namespace {

std::string ShotDir() { return std::string(OMR_TEST_DATA) + "/shot"; }

TEST(GridShotData, ShowsTheCsvRecordsWithAColouredCellAndTheCurrentRecord) {
    std::string scenario = ShotDir() + "/class.json";
    ASSERT_TRUE(IsDataGridScenario(scenario));
    TDataGridShot shot;
    shot.Run(ReadFileBytes(scenario), ShotDir());
    TgrDBGrid* grid = shot.Grid();
    ASSERT_TRUE(grid->DataActive());
    EXPECT_EQ(grid->Rows(), 4);
    EXPECT_EQ(grid->GetCellValue(1, 3).AsString(), "Cy");
    EXPECT_EQ(shot.Table()->RecNo(), 2);
    QImage img = shot.Picture();
    // Cy's Score cell is red; Bo's is not.
    TRect red = grid->CellPixels(2, 3), plain = grid->CellPixels(2, 2);
    QRgb inside = img.pixel(red.Left + 2, red.Bottom - 3);
    EXPECT_EQ(qRed(inside), 255);
    EXPECT_EQ(qGreen(inside), 0);
    EXPECT_EQ(qBlue(inside), 0);
    EXPECT_NE(img.pixel(plain.Left + 2, plain.Bottom - 3), inside);
    // The indicator stands in the row bar of record 2 only.
    auto dark = [&](Integer displayRow) {
        TRect bar = grid->CellPixels(0, displayRow);
        int n = 0;
        for (int y = bar.Top; y < bar.Bottom; ++y)
            for (int x = bar.Left; x < bar.Right; ++x) n += qGray(img.pixel(x, y)) < 64;
        return n;
    };
    EXPECT_GT(dark(2), 4);
    EXPECT_EQ(dark(1), 0);
    EXPECT_EQ(dark(3), 0);
}

TEST(GridShotData, RefusesUnknownFieldTypes) {
    TDataGridShot shot;
    EXPECT_THROW(shot.Run(R"({"data":{"fields":[{"name":"A","type":"blob"}]}})", ""), EGridShotError);
}

}  // namespace

// The paint entry of the real grid class: grid lines by segment and colour
// read back from the painted picture, the paint through the shared memory
// canvas, the work deferred to the end of a paint, the count changes that
// reach the data model and the index of cell records by column and row.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "grid/GRGLibCanvas.h"
#include "grid/tests/GridOnForm.h"

namespace {

constexpr QRgb kWhite = 0xFFFFFF, kGreen = 0x00FF00, kGrey = 0x808080, kRed = 0xFF0000;

class GridPaintBody : public TGridOnFormTest {
protected:
    void SetUp() override {
        ShowGrid(400, 200, 4, 6);
        grid->SetColor(clWhite);
        grid->SetLineColor(TColor(0x00FF00));
    }
    void Paint() {
        grid->Invalidate();
        grid->Update();
    }
    QRgb At(int x, int y) { return grid->Surface().pixel(x, y) & 0xFFFFFF; }
    // Where a display cell's right (bottom) grid line lies, mid-way along it.
    QRgb RightLine(Integer col, Integer row) {
        TRect r = grid->CellPixels(col, row);
        return At(r.Right - 1, (r.Top + r.Bottom) / 2);
    }
    QRgb BottomLine(Integer col, Integer row) {
        TRect r = grid->CellPixels(col, row);
        return At((r.Left + r.Right) / 2, r.Bottom - 1);
    }
};

// The look of the lines by GridLines and a 3D column: each row names the
// colour of the lines beside a plain and beside a 3D cell.
TEST_F(GridPaintBody, LinesTakeTheirColourSegmentBySegment) {
    struct Case {
        TgrGridLines lines;
        QRgb plainRight, plainBottom, threeDRight, threeDBottom;
    } cases[] = {
        {glBoth, kGreen, kGreen, kGrey, kGrey},
        {glNone, kWhite, kWhite, kGrey, kGrey},
        {glHorizontal, kWhite, kGreen, kGrey, kGrey},
        {glVertical, kGreen, kWhite, kGrey, kGrey},
    };
    grid->Col(2)->SetIs3D(true);
    for (const Case& c : cases) {
        grid->SetGridLines(c.lines);
        Paint();
        SCOPED_TRACE(int(c.lines));
        // Column 1 and 3 are plain, column 2 is 3D: the line under row 3
        // changes colour exactly where column 2 begins and ends.
        EXPECT_EQ(RightLine(1, 3), c.plainRight);
        EXPECT_EQ(BottomLine(1, 3), c.plainBottom);
        EXPECT_EQ(RightLine(2, 3), c.threeDRight);
        EXPECT_EQ(BottomLine(2, 3), c.threeDBottom);
        EXPECT_EQ(RightLine(3, 3), c.plainRight);
        EXPECT_EQ(BottomLine(3, 3), c.plainBottom);
        TRect r2 = grid->CellPixels(2, 3), r3 = grid->CellPixels(3, 3);
        EXPECT_EQ(At(r2.Left, r2.Bottom - 1), c.threeDBottom);
        EXPECT_EQ(At(r3.Left, r3.Bottom - 1), c.plainBottom);
    }
}

TEST_F(GridPaintBody, NoGridLineIsDrawnInsideTheRowBarOrTheHeading) {
    grid->SetGridLines(glBoth);
    grid->SetFixedLineColor(TColor(0x0000FF));
    Paint();
    TRect bar = grid->CellPixels(0, 1), heading = grid->CellPixels(2, 0);
    int coloured = 0;
    for (Integer r = 0; r <= 6; ++r) {
        TRect cell = grid->CellPixels(0, r);
        for (int x = cell.Left; x < cell.Right; ++x)
            for (int y = cell.Top; y < cell.Bottom; ++y)
                if (At(x, y) == kGreen || At(x, y) == kRed) ++coloured;
    }
    for (Integer c = 1; c <= 4; ++c) {
        TRect cell = grid->CellPixels(c, 0);
        for (int x = cell.Left; x < cell.Right; ++x)
            for (int y = cell.Top; y < cell.Bottom; ++y)
                if (At(x, y) == kGreen || At(x, y) == kRed) ++coloured;
    }
    EXPECT_EQ(coloured, 0);
    // The data cells beside them do have their lines.
    EXPECT_EQ(RightLine(1, 1), kGreen);
    EXPECT_FALSE(bar.IsEmpty());
    EXPECT_FALSE(heading.IsEmpty());
}

TEST_F(GridPaintBody, TheFixedLineFollowsTheLastShownFixedRow) {
    grid->SetFixedRowCount(2);
    grid->SetFixedLineColor(TColor(0x0000FF));
    Paint();
    EXPECT_EQ(BottomLine(2, 2), kRed);
    EXPECT_EQ(BottomLine(2, 1), kGreen);
    // Hidden, the last fixed row hands the fixed line to the row above it.
    grid->SetRowVisible(2, false);
    Paint();
    EXPECT_EQ(BottomLine(2, 1), kRed);
    // The fixed line is plain colour even beside a 3D cell.
    grid->Col(2)->SetIs3D(true);
    Paint();
    EXPECT_EQ(BottomLine(2, 1), kRed);
    EXPECT_EQ(BottomLine(2, 3), kGrey);
}

TEST_F(GridPaintBody, AMirroredGridShowsItsLinesAcrossTheWidth) {
    grid->SetRightToLeft(true);
    grid->SetGridLines(glNone);
    grid->Col(2)->SetIs3D(true);
    Paint();
    // Laid out from the right, the cell's trailing line is its left edge.
    TRect r = grid->CellPixels(2, 3);
    EXPECT_EQ(At(r.Left, (r.Top + r.Bottom) / 2), kGrey);
    EXPECT_EQ(At(r.Right - 1, (r.Top + r.Bottom) / 2), kWhite);
    EXPECT_EQ(At(r.Left + 3, r.Bottom - 1), kGrey);
}

TEST_F(GridPaintBody, RowsAndColumnsBeyondTheCellsShowTheGridColour) {
    grid->SetCols(2);
    grid->SetRows(2);
    Paint();
    TRect last = grid->CellPixels(2, 2);
    EXPECT_EQ(At(last.Right + 5, 5), kWhite);
    EXPECT_EQ(At(5, last.Bottom + 5), kWhite);
}

// ------------------------------------------------------------ the memory canvas

TEST_F(GridPaintBody, TheFirstPaintDrawsOnTheWindowAndLaterOnesThroughTheMemoryCanvas) {
    TgrMemoryCanvas* memory = GridMemoryCanvas();
    const QImage* window = &grid->Surface();
    std::vector<const QImage*> drawnOn;
    grid->OnPaint = [&](TObject*) { drawnOn.push_back(grid->Canvas()->Surface()); };
    // A grid that has painted once already starts afresh.
    auto fresh = std::make_unique<TInputGrid>(form);
    fresh->SetParent(form);
    fresh->SetBounds(0, 210, 300, 150);
    int users = memory->UseCount();
    fresh->OnPaint = [&](TObject*) { drawnOn.push_back(fresh->Canvas()->Surface()); };
    fresh->Repaint();
    ASSERT_EQ(drawnOn.size(), 1u);
    EXPECT_EQ(drawnOn[0], &fresh->Surface());
    EXPECT_FALSE(fresh->UsesMemoryCanvas());
    EXPECT_EQ(memory->UseCount(), users);

    fresh->SetCellColor(1, 1, TColor(0x0000FF));
    fresh->Repaint();
    ASSERT_EQ(drawnOn.size(), 2u);
    ASSERT_NE(memory->Surface(), nullptr);
    EXPECT_EQ(drawnOn[1], &memory->Surface()->Image());
    EXPECT_TRUE(fresh->UsesMemoryCanvas());
    EXPECT_EQ(memory->UseCount(), users + 1);
    EXPECT_GE(memory->SurfaceWidth(), 300);
    EXPECT_GE(memory->SurfaceHeight(), 150);
    EXPECT_EQ(memory->LockGrid(), nullptr);
    // The clip box reached the window, and the grid canvas is the window's
    // again.
    TRect cell = fresh->CellPixels(1, 1);
    EXPECT_EQ(fresh->Surface().pixel(cell.Left + 2, cell.Top + 2) & 0xFFFFFF, kRed);
    EXPECT_EQ(fresh->Canvas()->Surface(), &fresh->Surface());

    // A third paint uses the canvas without counting the grid again.
    fresh->Repaint();
    EXPECT_EQ(memory->UseCount(), users + 1);
    // Destroying the grid gives its use back.
    fresh.reset();
    EXPECT_EQ(memory->UseCount(), users);
    EXPECT_NE(window, nullptr);
}

TEST_F(GridPaintBody, ScrollBarWorkAskedForDuringAPaintRunsWhenThePaintEnds) {
    Paint();
    ASSERT_FALSE(grid->ScrollBarShown(TCustomControl::sbVertical));
    bool shownInside = true;
    grid->OnPaint = [&](TObject*) {
        grid->OnPaint = nullptr;
        grid->SetRows(200);
        shownInside = grid->ScrollBarShown(TCustomControl::sbVertical);
        throw Exception("paint failed");
    };
    grid->Invalidate();
    EXPECT_THROW(grid->Update(), Exception);
    // Deferred while painting, done after the paint although it raised.
    EXPECT_FALSE(shownInside);
    EXPECT_TRUE(grid->ScrollBarShown(TCustomControl::sbVertical));
}

TEST_F(GridPaintBody, UnderTheUpdateLockNothingIsPaintedUntilTheLastUnlock) {
    Paint();
    ASSERT_FALSE(grid->HasInvalidRegion());
    grid->LockUpdate();
    grid->Invalidate();
    grid->InvalidateRow(2);
    EXPECT_FALSE(grid->HasInvalidRegion());
    grid->LockUpdate();
    grid->UnlockUpdate();
    EXPECT_FALSE(grid->HasInvalidRegion());
    grid->SetRows(200);
    EXPECT_FALSE(grid->ScrollBarShown(TCustomControl::sbVertical));
    grid->UnlockUpdate();
    EXPECT_TRUE(grid->HasInvalidRegion());
    EXPECT_TRUE(grid->ScrollBarShown(TCustomControl::sbVertical));
}

TEST_F(GridPaintBody, PaintingWaitsWhileSuppressedByTheLocks) {
    Paint();
    grid->SetCellColor(1, 1, TColor(0x0000FF));
    TRect cell = grid->CellPixels(1, 1);
    grid->LockPaint(false);
    grid->InvalidateRect(cell);
    grid->Update();
    EXPECT_TRUE(grid->HasInvalidRegion());
    EXPECT_NE(At(cell.Left + 2, cell.Top + 2), kRed);
    grid->LockPaint(true);
    EXPECT_EQ(At(cell.Left + 2, cell.Top + 2), kRed);
}

TEST_F(GridPaintBody, AttributesChangedDuringAPaintDoNotInvalidateTheGridAgain) {
    Paint();
    int paints = 0;
    grid->OnPaint = [&](TObject*) {
        ++paints;
        // An owner recolouring as it paints would otherwise repaint forever.
        grid->Col(2)->SetColor(paints % 2 ? TColor(0x0000FF) : TColor(0x00FF00));
        grid->SetCellColor(1, 1, paints % 2 ? TColor(0x0000FF) : TColor(0x00FF00));
    };
    grid->Take();
    grid->Repaint();
    EXPECT_EQ(paints, 1);
    std::string during = grid->Take();
    EXPECT_EQ(during.find("col 2;"), std::string::npos) << during;
    EXPECT_EQ(during.find("cell 1,1;"), std::string::npos) << during;
    // Outside a paint the same changes invalidate.
    grid->Col(2)->SetColor(TColor(0x00FFFF));
    grid->SetCellColor(1, 1, TColor(0x00FFFF));
    std::string after = grid->Take();
    EXPECT_EQ(after.rfind("col 2;cell 1,1;", 0), 0u) << after;
}

// ------------------------------------------------------------ counts and cell records

TEST_F(GridPaintBody, ACountChangeOfTheBaseReachesTheDataModelWithDataCounts) {
    std::vector<std::string> events;
    grid->OnColCountChanged = [&](TObject*, Integer o, Integer n) {
        events.push_back("cols " + std::to_string(o) + "->" + std::to_string(n));
    };
    grid->OnRowCountChanged = [&](TObject*, Integer o, Integer n) {
        events.push_back("rows " + std::to_string(o) + "->" + std::to_string(n));
    };
    grid->SetColTotal(3);
    grid->SetRowTotal(9);
    EXPECT_EQ(events, (std::vector<std::string>{"cols 4->2", "rows 6->8"}));
    EXPECT_EQ(grid->Cols(), 2);
    EXPECT_EQ(grid->ColSelection()->GetSize(), 3);
    EXPECT_EQ(grid->RowSelection()->GetSize(), 9);
    EXPECT_EQ(grid->DataRowOfDisplay(8), 8);
    // The insert row of gmEditInsert is no data row.
    events.clear();
    grid->SetGridMode(gmEditInsert);
    EXPECT_EQ(grid->RowCount(), 10);
    EXPECT_TRUE(events.empty());
    grid->DeleteRows(3, 4);
    EXPECT_EQ(events, (std::vector<std::string>{"rows 8->6"}));
}

TEST_F(GridPaintBody, CellRecordsAreIndexedByDataColumnAndRow) {
    grid->SetCellColor(2, 3, TColor(0x0000FF));
    EXPECT_TRUE(grid->ColHasCellRecords(2));
    EXPECT_TRUE(grid->RowHasCellRecords(3));
    EXPECT_FALSE(grid->ColHasCellRecords(3));
    // Moving the column on screen keeps its data number.
    grid->Col(2)->SetDisplayCol(4);
    EXPECT_TRUE(grid->ColHasCellRecords(2));
    EXPECT_EQ(grid->FindCellElement(2, 3, true), grid->CellPropSet()->FindCell(2, 3));
    EXPECT_EQ(grid->FindCellElement(4, 3, true), nullptr);
    // A removed column renumbers the records after it.
    grid->DeleteCols(1, 1);
    EXPECT_TRUE(grid->ColHasCellRecords(1));
    EXPECT_FALSE(grid->ColHasCellRecords(2));
    EXPECT_NE(grid->FindCellElement(1, 3, true), nullptr);
    EXPECT_EQ(grid->FindCellElement(2, 3, true), nullptr);
    // Back at its default the record goes and so do its entries.
    grid->SetCellColor(1, 3, grColorNotSet);
    EXPECT_FALSE(grid->ColHasCellRecords(1));
    EXPECT_FALSE(grid->RowHasCellRecords(3));
    EXPECT_EQ(grid->FindCellElement(1, 3, true), nullptr);
}

TEST_F(GridPaintBody, TheCellLookupAgreesWithTheRecordSet) {
    const std::pair<Integer, Integer> cells[] = {{1, 1}, {3, 1}, {3, 6}, {4, 2}};
    for (auto [c, r] : cells) grid->SetCellIs3D(c, r, true);
    grid->DeleteRows(2, 2);
    grid->SetRows(8);
    grid->SetCols(3);
    for (Integer c = 1; c <= grid->Cols(); ++c)
        for (Integer r = 1; r <= grid->Rows(); ++r)
            EXPECT_EQ(grid->FindCellElement(c, r, true), grid->CellPropSet()->FindCell(c, r)) << c << "," << r;
    EXPECT_THROW(grid->FindCellElement(grid->Cols() + 1, 1, true), EInvalidGridOperation);
}

TEST_F(GridPaintBody, RowSettersTakeTheHeadingRow) {
    grid->SetRowHeight(0, 30);
    EXPECT_EQ(grid->HeadingHeight(), 30);
    grid->SetRowColor(0, TColor(0x0000FF));
    EXPECT_EQ(grid->GetRowColor(0), TColor(0x0000FF));
    EXPECT_THROW(grid->SetRowColor(grid->RowCount(), TColor(0x0000FF)), EInvalidGridOperation);
    // Visibility and selection are for data rows only.
    EXPECT_THROW(grid->SetRowVisible(0, false), EInvalidGridOperation);
    EXPECT_THROW(grid->SetRowSelected(0, true), EInvalidGridOperation);
}

TEST_F(GridPaintBody, InvalidatingARowOrColumnCoversItsCellsInView) {
    Paint();
    grid->TgrBaseGrid::InvalidateRow(3);
    TRect bar = grid->CellPixels(0, 3), last = grid->CellPixels(4, 3);
    EXPECT_TRUE(grid->IsInvalid(bar.Left + 1, bar.Top + 1));
    EXPECT_TRUE(grid->IsInvalid(last.Right - 2, last.Top + 1));
    EXPECT_FALSE(grid->IsInvalid(last.Left + 1, last.Bottom + 2));
    Paint();
    grid->TgrBaseGrid::InvalidateCol(2);
    TRect head = grid->CellPixels(2, 0), bottom = grid->CellPixels(2, 6);
    EXPECT_TRUE(grid->IsInvalid(head.Left + 1, head.Top + 1));
    EXPECT_TRUE(grid->IsInvalid(bottom.Left + 1, bottom.Bottom - 2));
    EXPECT_FALSE(grid->IsInvalid(bottom.Right + 2, bottom.Top + 1));
    EXPECT_TRUE(grid->IsCellOnScreen(2, 6));
    grid->SetRows(100);
    EXPECT_FALSE(grid->IsCellOnScreen(2, 90));
}

TEST_F(GridPaintBody, ARangeIsPaintedOnAGivenCanvasInTheGivenStateOutsideTheExclusion) {
    grid->SetSelectionType(sltColor);
    grid->SetSelectionColor(TColor(0x0000FF));
    TBitmap target;
    target.SetSize(400, 200);
    target.Canvas()->Brush()->SetColor(clWhite);
    target.Canvas()->FillRect(TRect(0, 0, 400, 200));
    TRect cell = grid->CellPixels(2, 2), below = grid->CellPixels(2, 3);
    TRect leftHalf(cell.Left, cell.Top, (cell.Left + cell.Right) / 2, cell.Bottom);
    grid->PaintCellRange(2, 2, target.Canvas(), true, leftHalf, 3, 2);
    auto px = [&](int x, int y) { return target.Image().pixel(x, y) & 0xFFFFFF; };
    EXPECT_EQ(px(cell.Right - 4, cell.Top + 3), kRed);
    EXPECT_EQ(px(below.Left + 3, below.Top + 3), kRed);
    EXPECT_EQ(px(cell.Left + 2, cell.Top + 3), kWhite);
    // Not selected in the grid: the window is left as it was.
    EXPECT_FALSE(grid->IsDisplayCellSelected(2, 2));
    EXPECT_EQ(grid->Canvas()->Surface(), &grid->Surface());
}

}  // namespace

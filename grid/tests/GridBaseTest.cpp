#include <gtest/gtest.h>

#include <memory>

#include "grid/Grids_ts.h"
#include "platform/core/Streams.h"

namespace {

class TTestGrid : public TCustomGrid_ts {
public:
    explicit TTestGrid(TComponent* owner) : TCustomGrid_ts(owner) {}
    int countsChanged = 0;
    bool failCountChange = false;
    std::vector<std::pair<Integer, Integer>> columnMoves;
    // Clears the invalid region so that a test sees only what it causes.
    void Settle() { Update(); }

protected:
    void PaintCell(Integer, Integer, const TRect&, TGridDrawState_ts) override {}
    void NotifyCountsChanged(Integer, Integer) override {
        ++countsChanged;
        if (failCountChange) throw EInvalidGridOperation("refused");
    }
    void NotifyColumnMoved(Integer from, Integer to) override { columnMoves.push_back({from, to}); }
};

class GridBase : public ::testing::Test {
protected:
    GridBase() {
        EnsureGuiApplication();
        grid = std::make_unique<TTestGrid>(nullptr);
    }
    std::unique_ptr<TTestGrid> grid;
};

std::string ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EInvalidGridOperation& e) {
        return e.Message;
    }
    return "";
}

}  // namespace

TEST_F(GridBase, ConstructionDefaults) {
    EXPECT_EQ(grid->ColTotal(), 5);
    EXPECT_EQ(grid->RowTotal(), 5);
    EXPECT_EQ(grid->Width(), 320);
    EXPECT_EQ(grid->Height(), 120);
    EXPECT_EQ(grid->TopLeftCell(), (TCellCoord_ts{1, 1}));
    EXPECT_EQ(grid->CurrentCell(), (TCellCoord_ts{1, 1}));
    EXPECT_EQ(grid->GridOptions(), gxFixedVertLines | gxFixedHorzLines | gxVertLines | gxHorzLines | gxRangeSelect);
    EXPECT_TRUE(grid->TabStop());
    EXPECT_EQ(grid->Color(), clWindow);
}

TEST_F(GridBase, LayoutOfTheClientArea) {
    TGridLayout_ts l;
    grid->ComputeLayout(l);
    struct Axis {
        const TAxisLayout_ts& a;
        Integer fixedEnd, gridEnd, lastFull, fullEnd, client;
    } axes[] = {
        {l.Horz, 65, 320, 3, 260, 320},
        {l.Vert, 25, 120, 3, 100, 120},
    };
    for (const auto& x : axes) {
        EXPECT_EQ(x.a.LineWidth, 1);
        EXPECT_EQ(x.a.FixedEnd, x.fixedEnd);
        EXPECT_EQ(x.a.GridEnd, x.gridEnd);
        EXPECT_EQ(x.a.LastFullCell, x.lastFull);
        EXPECT_EQ(x.a.FullCellsEnd, x.fullEnd);
        EXPECT_EQ(x.a.ClientExtent, x.client);
        EXPECT_EQ(x.a.FixedCount, 1);
        EXPECT_EQ(x.a.FirstScrollCell, 1);
        EXPECT_EQ(x.a.CellCount, 5);
    }
    // Without line options there are no lines, whatever the width says.
    grid->SetGridLinePixels(3);
    grid->SetGridOptions(gxRangeSelect);
    grid->ComputeLayout(l);
    EXPECT_EQ(l.Horz.LineWidth, 0);
    EXPECT_EQ(l.Vert.LineWidth, 0);
    EXPECT_EQ(l.Horz.FixedEnd, 64);
    // A cell whose line alone falls outside still counts as whole.
    grid->SetGridOptions(gxVertLines);
    grid->SetGridLinePixels(1);
    grid->ComputeLayoutFor(l, 324, 120);
    EXPECT_EQ(l.Horz.LastFullCell, 4);
    EXPECT_EQ(l.Horz.GridEnd, 325);
    grid->ComputeLayoutFor(l, 323, 120);
    EXPECT_EQ(l.Horz.LastFullCell, 3);
    EXPECT_EQ(l.Horz.GridEnd, 323);
}

TEST_F(GridBase, CellsUnderPixels) {
    struct Case {
        Integer x, y, col, row;
    } cases[] = {
        {0, 0, 0, 0},     {64, 24, 0, 0},   {65, 25, 1, 1},   {129, 49, 1, 1}, {130, 50, 2, 2},
        {319, 119, 4, 4}, {-1, 10, -1, -1}, {10, -3, -1, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(grid->CellUnderMouse(c.x, c.y), (TCellCoord_ts{c.col, c.row})) << c.x << "," << c.y;
    grid->SetColTotal(2);
    EXPECT_EQ(grid->CellUnderMouse(200, 10), (TCellCoord_ts{-1, -1}));  // right of all columns
    grid->SetRowTotal(2);
    EXPECT_EQ(grid->CellUnderMouse(10, 100), (TCellCoord_ts{-1, -1}));  // below all rows
    TGridLayout_ts l;
    grid->ComputeLayout(l);
    EXPECT_EQ(grid->CellAtPoint(10, 100, l), (TCellCoord_ts{0, -1}));
}

TEST_F(GridBase, CellAndRangeRectangles) {
    EXPECT_EQ(grid->CellPixels(1, 1), TRect(65, 25, 129, 49));
    EXPECT_EQ(grid->CellPixels(0, 0), TRect(0, 0, 64, 24));
    EXPECT_EQ(grid->RangePixels({1, 1, 2, 2}, true), TRect(65, 25, 195, 75));
    EXPECT_EQ(grid->CellPixels(4, 1), TRect(260, 25, 320, 49));  // cut at the client edge
    EXPECT_EQ(grid->RangeRect(2, 2, 1, 1), TRect());            // inverted
    grid->SetTopLeftCell(3, 1);
    EXPECT_EQ(grid->RangeRect(1, 1, 2, 1), TRect());             // hidden left of the top-left cell
    EXPECT_EQ(grid->RangeRect(1, 1, 3, 1), TRect(65, 25, 129, 49));
    EXPECT_EQ(grid->CellPixels(0, 1), TRect(0, 25, 64, 49));     // fixed cells stay

    // A column of width 0 takes only its grid line.
    grid->SetTopLeftCell(1, 1);
    grid->SetColWidthAt(2, 0);
    EXPECT_EQ(grid->CellPixels(3, 1).Left, 131);
}

TEST_F(GridBase, LastTopLeftPassesOverHiddenLines) {
    TGridLayout_ts l;
    grid->ComputeLayout(l);
    EXPECT_EQ(grid->LastTopLeft({4, 4}, l), (TCellCoord_ts{2, 2}));
    EXPECT_EQ(grid->LastTopLeft({0, 0}, l), (TCellCoord_ts{0, 0}));
    grid->SetColWidthAt(3, 0);
    grid->ComputeLayout(l);
    EXPECT_EQ(grid->LastTopLeft({4, 4}, l).Col, 1);
    EXPECT_EQ(grid->VisibleScrollRows(), 3);
}

TEST_F(GridBase, SizesAndDefaults) {
    grid->SetColWidthAt(1, 30);
    grid->SetRowHeightAt(4, 40);
    EXPECT_EQ(grid->GetColWidthAt(1), 30);
    EXPECT_EQ(grid->GetColWidthAt(2), 64);
    EXPECT_EQ(grid->GetRowHeightAt(4), 40);
    EXPECT_EQ(grid->GetColWidthAt(99), 64);
    EXPECT_EQ(ErrorOf([&] { grid->SetColWidthAt(5, 10); }), "Grid index out of range");
    EXPECT_EQ(ErrorOf([&] { grid->SetColWidthAt(-1, 10); }), "Grid index out of range");
    EXPECT_EQ(ErrorOf([&] { grid->SetRowHeightAt(5, 10); }), "Grid index out of range");
    grid->SetDefaultColWidth(50);
    EXPECT_TRUE(grid->ColWidthTable().empty());
    EXPECT_EQ(grid->GetColWidthAt(1), 50);
}

TEST(ExtentTables, ResizeMoveAndCompare) {
    TExtentTable_ts t;
    ResizeExtentTable(t, 0, 3, 10);
    EXPECT_EQ(t, (TExtentTable_ts{3, 10, 10, 10}));
    t[2] = 20;
    MoveExtentEntry(t, 2, 3);
    EXPECT_EQ(t, (TExtentTable_ts{3, 10, 10, 20}));
    SetExtentTableLength(t, 5, 7);
    EXPECT_EQ(t, (TExtentTable_ts{5, 10, 10, 20, 7, 7}));
    SetExtentTableLength(t, 2, 7);
    EXPECT_EQ(t, (TExtentTable_ts{2, 10, 10}));
    TExtentTable_ts other{2, 10, 10};
    EXPECT_TRUE(ExtentTablesEqual(t, other));
    EXPECT_FALSE(ExtentTablesEqual(t, TExtentTable_ts{}));
    SetExtentTableLength(t, 0, 7);
    EXPECT_TRUE(t.empty());  // a table of no lines is absent
    EXPECT_TRUE(ExtentTablesEqual(t, TExtentTable_ts{}));

    struct Bad {
        Integer index, amount;
        std::string message;
    } bad[] = {
        {1, 1, "Grid index out of range"},
        {0, -1, "Too many rows or columns deleted"},
        {0, MaxExtentEntries_ts + 1, "Grid too large for operation"},
    };
    for (const auto& b : bad) EXPECT_EQ(ErrorOf([&] { ResizeExtentTable(t, b.index, b.amount, 1); }), b.message);
    MoveExtentEntry(t, 1, 2);  // absent: nothing
    EXPECT_EQ(AdjustMovedIndex(2, 2, 5), 5);
    EXPECT_EQ(AdjustMovedIndex(4, 2, 5), 3);
    EXPECT_EQ(AdjustMovedIndex(3, 5, 2), 4);
    EXPECT_EQ(AdjustMovedIndex(6, 2, 5), 6);
}

TEST_F(GridBase, CountsAndFixedCounts) {
    grid->SetColTotal(0);
    EXPECT_EQ(grid->ColTotal(), 1);
    EXPECT_EQ(grid->FixedColTotal(), 0);
    grid->SetColTotal(5);
    EXPECT_EQ(ErrorOf([&] { grid->SetFixedColTotal(5); }), "Fixed column count must be less than column count");
    EXPECT_EQ(ErrorOf([&] { grid->SetFixedRowTotal(5); }), "Fixed row count must be less than row count");
    EXPECT_EQ(ErrorOf([&] { grid->SetFixedRowTotal(-1); }), "Grid index out of range");
    grid->SetFixedColTotal(2);
    EXPECT_EQ(grid->TopLeftCell(), (TCellCoord_ts{2, 1}));
    EXPECT_EQ(grid->CurrentCell(), (TCellCoord_ts{2, 1}));

    // Size tables follow the counts.
    grid->SetColWidthAt(4, 33);
    grid->SetColTotal(7);
    EXPECT_EQ(grid->ColWidthTable()[0], 7);
    EXPECT_EQ(grid->GetColWidthAt(4), 33);
    EXPECT_EQ(grid->GetColWidthAt(6), 64);
}

TEST_F(GridBase, ShrinkingMovesTheCurrentCellAndCollapsesTheSelection) {
    grid->SetColTotal(10);
    grid->MoveCurrentCell(8, 2, false, true);
    grid->ExtendAnchor({6, 4});
    EXPECT_EQ(grid->SelectionRange(), (TCellRange_ts{6, 2, 8, 4}));
    grid->SetColTotal(5);
    EXPECT_EQ(grid->CurrentCell(), (TCellCoord_ts{4, 2}));
    EXPECT_EQ(grid->AnchorCell(), grid->CurrentCell());
    EXPECT_LE(grid->TopLeftCell().Col, 4);
    EXPECT_EQ(ErrorOf([&] { grid->MoveCurrentCell(5, 1, false, true); }), "Grid index out of range");
}

TEST_F(GridBase, AFailedCountChangeKeepsTheOldCounts) {
    grid->SetRowHeightAt(2, 30);
    grid->failCountChange = true;
    EXPECT_EQ(ErrorOf([&] { grid->ChangeCounts(8, 9); }), "refused");
    EXPECT_EQ(grid->ColTotal(), 5);
    EXPECT_EQ(grid->RowTotal(), 5);
    EXPECT_EQ(grid->RowHeightTable()[0], 5);
    EXPECT_EQ(grid->GetRowHeightAt(2), 30);
}

TEST_F(GridBase, RepaintInvalidatesTheCellWithItsLine) {
    grid->Settle();
    EXPECT_FALSE(grid->HasInvalidRegion());
    grid->RepaintCell(1, 1);
    EXPECT_EQ(grid->InvalidBounds(), TRect(65, 25, 130, 50));
    grid->Settle();
    // A current cell moving inside an unchanged selection repaints only the
    // two cells.
    grid->SetGridOptions(grid->GridOptions() | gxRangeSelect);
    grid->MoveCurrentCell(1, 1, false, true);
    grid->Settle();
    grid->MoveCurrentCell(2, 1, false, true);
    EXPECT_EQ(grid->InvalidBounds(), TRect(65, 25, 195, 50));
}

TEST_F(GridBase, MovingColumnsCarriesWidthsAndTheCurrentCell) {
    grid->SetColWidthAt(1, 11);
    grid->SetColWidthAt(2, 22);
    grid->MoveCurrentCell(2, 1, false, true);
    grid->MoveColumnTo(1, 3);
    EXPECT_EQ(grid->GetColWidthAt(1), 22);
    EXPECT_EQ(grid->GetColWidthAt(3), 11);
    EXPECT_EQ(grid->CurrentCell().Col, 1);
    EXPECT_EQ(grid->columnMoves, (std::vector<std::pair<Integer, Integer>>{{1, 3}}));
    grid->RemoveColumn(3);
    EXPECT_EQ(grid->ColTotal(), 4);
    EXPECT_EQ(grid->GetColWidthAt(3), 64);
    EXPECT_EQ(ErrorOf([&] { grid->MoveColumnTo(0, 9); }), "Grid index out of range");
    grid->SetRowHeightAt(1, 40);
    grid->MoveRowTo(1, 2);
    EXPECT_EQ(grid->GetRowHeightAt(2), 40);
}

TEST_F(GridBase, ShiftLinesInsertsAndDeletes) {
    grid->MoveCurrentCell(1, 3, false, true);
    grid->ShiftLines(2, 2, true);
    EXPECT_EQ(grid->RowTotal(), 7);
    EXPECT_EQ(grid->CurrentCell().Row, 5);
    grid->ShiftLines(4, -2, true);
    EXPECT_EQ(grid->RowTotal(), 5);
    EXPECT_EQ(grid->CurrentCell().Row, 4);  // inside the deleted run: moves to the index
    EXPECT_EQ(ErrorOf([&] { grid->ShiftLines(5, -2, true); }), "Too many rows or columns deleted");
}

TEST_F(GridBase, RowSelectSelectsWholeRows) {
    grid->SetGridOptions(grid->GridOptions() | gxRowSelect | gxAlwaysShowEditor);
    EXPECT_FALSE(grid->GridOptions() & gxAlwaysShowEditor);
    grid->MoveCurrentCell(3, 2, false, true);
    EXPECT_EQ(grid->CurrentCell(), (TCellCoord_ts{1, 2}));
    EXPECT_EQ(grid->AnchorCell(), (TCellCoord_ts{4, 2}));
    grid->SetColTotal(8);
    EXPECT_EQ(grid->AnchorCell().Col, 7);
}

TEST_F(GridBase, ExtendAnchorMovesTheCurrentCellWhenEditing) {
    grid->SetGridOptions(grid->GridOptions() | gxEditing);
    grid->ExtendAnchor({3, 3});
    EXPECT_EQ(grid->CurrentCell(), (TCellCoord_ts{3, 3}));
    EXPECT_EQ(grid->AnchorCell(), (TCellCoord_ts{3, 3}));
}

TEST_F(GridBase, StreamedSizeLists) {
    EXPECT_FALSE(grid->ColWidthsStored(nullptr));
    grid->SetColWidthAt(2, 40);
    EXPECT_TRUE(grid->ColWidthsStored(nullptr));
    EXPECT_FALSE(grid->RowHeightsStored(nullptr));

    TStringStream s;
    TWriter w(s);
    grid->WriteColWidths(w);
    s.SetPosition(0);
    TTestGrid copy(nullptr);
    TReader r(s);
    copy.ReadColWidths(r);
    EXPECT_EQ(copy.ColWidthTable(), grid->ColWidthTable());
    EXPECT_FALSE(copy.ColWidthsStored(grid.get()));  // same as the ancestor

    // More values than columns: the extra ones are read and dropped.
    TStringStream extra;
    TWriter we(extra);
    we.WriteListBegin();
    for (int i = 0; i < 7; ++i) we.WriteInteger(10 + i);
    we.WriteListEnd();
    we.WriteInteger(99);
    extra.SetPosition(0);
    TReader re(extra);
    copy.ReadColWidths(re);
    EXPECT_EQ(copy.GetColWidthAt(4), 14);
    EXPECT_EQ(re.ReadInteger(), 99);

    copy.SetStoreExtents(false);
    EXPECT_FALSE(copy.ColWidthsStored(nullptr));
}

// What the user sees while dragging a border or moving a column or row on
// the grid class: the resize line and the drop marker drawn on the window
// and gone afterwards, the scrolling of a move held past an edge, and a
// double-click on a row border giving the row its set height back.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>

#include <string>

#include "grid/TSGrid.h"
#include "grid/tests/GridClassSupport.h"
#include "platform/gui/Forms.h"

namespace {

class FeedbackGrid : public TLogGrid {
public:
    using TLogGrid::TLogGrid;
    using TgrBaseGrid::MouseDown;
    using TgrBaseGrid::MouseMove;
    using TgrBaseGrid::MouseUp;
};

// An 8 x 40 grid (more than fits) with "c,r" in every cell, focused and
// painted, on a shown form.
class GridMoveFeedback : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        form = new TForm(Application);
        form->SetBounds(0, 0, 400, 300);
        grid = new FeedbackGrid(form);
        grid->SetParent(form);
        grid->SetBounds(0, 0, 300, 200);
        grid->SetCols(8);
        grid->SetRows(40);
        grid->SetStoreData(true);
        for (Integer c = 1; c <= 8; ++c)
            for (Integer r = 1; r <= 40; ++r)
                grid->PutCellValue(c, r, Variant(std::to_string(c) + "," + std::to_string(r)));
        form->Show();
        // The window system's moves from showing the form come first: the
        // auto-scroll loops end at a mouse message waiting for the grid.
        QCoreApplication::processEvents();
        Click(Inside(1, 1));  // focus and current cell settle before pictures are compared
        grid->Update();
    }
    void TearDown() override { Application->ResetForTesting(); }

    TPoint Inside(Integer displayCol, Integer displayRow) {
        TRect r = grid->CellPixels(displayCol, displayRow);
        return TPoint(r.Left + 5, r.Top + 4);
    }
    TPoint ColBorder(Integer displayCol) { return ColBorderOf(grid, displayCol); }
    TPoint RowBorder(Integer displayRow) { return RowBorderOf(grid, displayRow); }
    void Press(TPoint p, bool doubleClick = false) {
        TShiftState s{ssLeft};
        if (doubleClick) s.Include(ssDouble);
        grid->MouseDown(mbLeft, s, p.X, p.Y);
    }
    void Move(TPoint p) { grid->MouseMove(TShiftState{ssLeft}, p.X, p.Y); }
    void Release(TPoint p) { grid->MouseUp(mbLeft, {}, p.X, p.Y); }
    void Click(TPoint p) {
        Press(p);
        Release(p);
    }
    void DoubleClick(TPoint p) {
        Click(p);
        Press(p, true);
        Release(p);
    }
    void Drag(TPoint from, TPoint to) {
        Press(from);
        Move(to);
        Release(to);
    }
    // Pixels that differ from a picture along a column (x fixed) or a row
    // (y fixed) of the surface, within [from, to).
    int ChangedAlongX(const QImage& before, int y, int from, int to) {
        int n = 0;
        for (int x = from; x < to; ++x) n += grid->Surface().pixel(x, y) != before.pixel(x, y);
        return n;
    }
    int ChangedAlongY(const QImage& before, int x, int from, int to) {
        int n = 0;
        for (int y = from; y < to; ++y) n += grid->Surface().pixel(x, y) != before.pixel(x, y);
        return n;
    }
    TForm* form = nullptr;
    FeedbackGrid* grid = nullptr;
};

}  // namespace

TEST_F(GridMoveFeedback, TheResizeLineFollowsThePointerAndLeavesNoTrace) {
    grid->SetResizeRows(rrSingle);
    struct Case {
        const char* what;
        bool row;  // a row border (horizontal line), else a column border
    } cases[] = {{"column border", false}, {"row border", true}};
    for (const Case& c : cases) {
        QImage before = grid->Surface().copy();
        TPoint border = c.row ? RowBorder(3) : ColBorder(2);
        TPoint to = c.row ? TPoint(border.X, border.Y + 15) : TPoint(border.X + 15, border.Y);
        Press(border);
        EXPECT_TRUE(grid->ResizeLineShown()) << c.what;
        Move(to);
        EXPECT_EQ(grid->ResizeLinePosition(), c.row ? to.Y : to.X) << c.what;
        // Drawn across the cells at the new place, gone from the old one.
        int across = c.row ? ChangedAlongX(before, to.Y, 20, 250) : ChangedAlongY(before, to.X, 20, 190);
        EXPECT_GT(across, 20) << c.what;
        int old = c.row ? ChangedAlongX(before, border.Y, 20, 250) : ChangedAlongY(before, border.X, 20, 190);
        EXPECT_EQ(old, 0) << c.what;
        // Esc: the picture is as before and no size changed.
        grid->CancelMouseAction();
        EXPECT_FALSE(grid->ResizeLineShown()) << c.what;
        EXPECT_TRUE(grid->Surface() == before) << c.what;
        EXPECT_EQ(c.row ? grid->GetRowHeightAt(3) : grid->GetColWidthAt(2), c.row ? 14 : 64) << c.what;
        // Released, the size takes the line's place.
        Drag(border, to);
        EXPECT_EQ(c.row ? grid->GetRowHeightAt(3) : grid->GetColWidthAt(2), c.row ? 29 : 79) << c.what;
    }
}

TEST_F(GridMoveFeedback, AColumnBorderDraggedOntoTheColumnChangesNothing) {
    TRect col2 = grid->CellPixels(2, 0);
    Drag(ColBorder(2), TPoint(col2.Left, 4));
    EXPECT_EQ(grid->GetColWidthAt(2), 64);
    Drag(ColBorder(2), TPoint(col2.Left + 1, 4));
    EXPECT_EQ(grid->GetColWidthAt(2), 2);
}

TEST_F(GridMoveFeedback, ADoubleClickOnARowBorderRestoresItsSetHeight) {
    struct Case {
        const char* what;
        TgrResizeRows mode;
        Integer row;
        Integer rest;  // the height the double-click brings back
        Integer setDefault;  // a default row height set by code first, or 0
    } cases[] = {
        {"row", rrSingle, 3, 14, 0},
        {"all rows", rrAll, 3, 14, 0},
        {"all rows, default set by code", rrAll, 3, 18, 18},
        {"heading", rrSingle, 0, 15, 0},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        grid->SetResizeRows(c.mode);
        if (c.setDefault) grid->SetDefaultRowHeight(c.setDefault);
        Drag(RowBorder(c.row), TPoint(RowBorder(c.row).X, RowBorder(c.row).Y + 9));
        ASSERT_EQ(grid->GetRowHeightAt(c.row), c.rest + 9) << c.what;
        DoubleClick(RowBorder(c.row));
        EXPECT_EQ(grid->GetRowHeightAt(c.row), c.rest) << c.what;
        EXPECT_FALSE(grid->ResizeLineShown()) << c.what;
        if (c.row == 0) EXPECT_EQ(grid->HeadingHeight(), 15);
    }
    // A double-click dragged away from the border resizes as a drag does.
    TearDown();
    SetUp();
    grid->SetResizeRows(rrSingle);
    TPoint border = RowBorder(2);
    Click(border);
    Press(border, true);
    Move(TPoint(border.X, border.Y + 6));
    Release(TPoint(border.X, border.Y + 6));
    EXPECT_EQ(grid->GetRowHeightAt(2), 20);
    // The next plain drag keeps its own height.
    Drag(RowBorder(2), TPoint(border.X, RowBorder(2).Y));
    EXPECT_EQ(grid->GetRowHeightAt(2), 20);
}

TEST_F(GridMoveFeedback, TheDropMarkerShowsWhereAMovedColumnLands) {
    grid->SetColSelectMode(csNone);  // every heading press moves its column
    QImage before = grid->Surface().copy();
    Press(Inside(2, 0));
    grid->KillGridTimer(TgrBaseGrid::AutoScrollTimerId);
    // Drawn at the press; moved right, it stands at the right edge of the
    // drop column.
    EXPECT_TRUE(grid->DropMarkerShown());
    Move(Inside(3, 2));
    EXPECT_EQ(grid->DropPosition(), 3);
    TRect drop = grid->CellPixels(3, 0);
    int y = grid->CellPixels(1, 5).Top + 3;
    EXPECT_NE(grid->Surface().pixel(drop.Right, y), before.pixel(drop.Right, y));
    EXPECT_EQ(ChangedAlongX(before, y, drop.Left + 2, drop.Right - 2), 0);
    // Back on the origin the marker stands at its left edge.
    Move(Inside(2, 2));
    TRect origin = grid->CellPixels(2, 0);
    EXPECT_NE(grid->Surface().pixel(origin.Left, y), before.pixel(origin.Left, y));
    EXPECT_EQ(grid->Surface().pixel(drop.Right, y), before.pixel(drop.Right, y));
    // Esc removes it and moves nothing.
    Move(Inside(4, 2));
    grid->CancelMouseAction();
    EXPECT_FALSE(grid->DropMarkerShown());
    EXPECT_EQ(grid->DataColOfDisplay(2), 2);
    grid->Update();
    EXPECT_EQ(ChangedAlongX(before, y, 0, grid->ClientWidth()), 0);
}

TEST_F(GridMoveFeedback, TheDropMarkerOfARowMoveAndNoneOntoTheMovedBlock) {
    Click(Inside(0, 2));
    grid->SelectDisplayRows(2, 4);
    grid->Update();
    QImage before = grid->Surface().copy();
    Press(Inside(0, 3));
    grid->KillGridTimer(TgrBaseGrid::AutoScrollTimerId);
    ASSERT_EQ(grid->MouseStatus(), msRowMove);
    // Inside the selected block there is nowhere to drop.
    Move(Inside(0, 4));
    EXPECT_FALSE(grid->DropMarkerShown());
    EXPECT_TRUE(grid->Surface() == before);
    // Below it the marker stands at the drop row's bottom edge.
    Move(Inside(0, 6));
    EXPECT_TRUE(grid->DropMarkerShown());
    TRect row6 = grid->CellPixels(1, 6);
    EXPECT_NE(grid->Surface().pixel(row6.Left + 20, row6.Bottom), before.pixel(row6.Left + 20, row6.Bottom));
    Release(Inside(0, 6));
    EXPECT_FALSE(grid->DropMarkerShown());
    EXPECT_EQ(grid->GetCellValue(1, grid->DataRowOfDisplay(6)).AsString(), "1,4");
}

TEST_F(GridMoveFeedback, AMoveHeldPastAnEdgeScrollsAndDropsThere) {
    grid->SetScrollSpeed(spHigh);
    struct Case {
        const char* what;
        bool rows;
    } cases[] = {{"column", false}, {"row", true}};
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        grid->SetScrollSpeed(spHigh);
        // A selected row moves by its row bar, a selected column by its heading.
        Click(c.rows ? Inside(0, 2) : Inside(2, 0));
        Press(c.rows ? Inside(0, 2) : Inside(2, 0));
        TPoint past = c.rows ? TPoint(5, grid->ClientHeight() + 10) : TPoint(grid->ClientWidth() + 10, 5);
        // Held there, the move scrolls one step after another up to the end
        // and drops at the last column (row), marked.
        Move(past);
        Integer lastCount = c.rows ? grid->RowTotal() : grid->ColTotal();
        Integer shownLast = c.rows ? grid->TopRow() : grid->TopLeftCell().Col;
        EXPECT_EQ(shownLast, c.rows ? grid->GetMaxTopRow() : grid->GetMaxLeftCol()) << c.what;
        EXPECT_GT(shownLast, 2) << c.what;
        EXPECT_EQ(grid->DropPosition(), lastCount - 1) << c.what;
        EXPECT_TRUE(grid->DropMarkerShown()) << c.what;
        // Back past the start edge it scrolls back to the first column
        // (row), marked there.
        TPoint before = c.rows ? TPoint(5, 2) : TPoint(2, 30);
        Move(before);
        EXPECT_EQ(c.rows ? grid->TopRow() : grid->TopLeftCell().Col, 1) << c.what;
        EXPECT_EQ(grid->DropPosition(), 1) << c.what;
        EXPECT_TRUE(grid->DropMarkerShown()) << c.what;
        Move(past);
        Release(past);
        EXPECT_FALSE(grid->DropMarkerShown()) << c.what;
        if (c.rows) EXPECT_EQ(grid->GetCellValue(1, grid->DataRowOfDisplay(40)).AsString(), "1,2") << c.what;
        else EXPECT_EQ(grid->DataColOfDisplay(8), 2) << c.what;
    }
}

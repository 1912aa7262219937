// The view of the real grid class on a shown form: how far it may scroll,
// scroll-bar requests and figures, the pixel scrolls of a moved view, the
// pacing of auto-scroll steps and the cell geometry.

#include <gtest/gtest.h>

#include "grid/tests/GridClassSupport.h"
#include "platform/core/Clock.h"

namespace {

// Records the top-left changes the grid reports.
class TTopLeftGrid : public TLogGrid {
public:
    explicit TTopLeftGrid(TComponent* owner) : TLogGrid(owner) {}
    struct Change {
        Integer OldCol, OldRow, NewCol, NewRow;
        bool ByUser;
    };
    std::vector<Change> Changes;
    using TgrBaseGrid::ScrollDelayElapsed;

protected:
    void DoTopLeftChanged(Integer oc, Integer orow, Integer nc, Integer nr, bool byUser) override {
        Changes.push_back({oc, orow, nc, nr, byUser});
    }
};

// A grid on a shown form whose data rows are 20 pixels high and whose
// client area holds exactly 10 of them below the heading.
class GridScrollLimits : public ::testing::Test {
protected:
    void Make(Integer cols, Integer rows, Integer width = 300) {
        grid = ShownGrid<TTopLeftGrid>(form, cols, rows);
        grid->SetDefaultRowHeight(20);
        grid->SetBounds(0, 0, width, 160);
        form->Show();
        grid->Update();
        // The heading and the bars decide the client height: fit it to 10 rows.
        Integer extra = grid->ClientHeight() - (grid->HeadingHeight() + 200);
        grid->SetBounds(0, 0, width, 160 - extra);
        grid->Update();
        grid->Changes.clear();
    }
    void TearDown() override { Application->ResetForTesting(); }
    TForm* form = nullptr;
    TTopLeftGrid* grid = nullptr;
};

}  // namespace

TEST_F(GridScrollLimits, TheTopRowStopsWhereTheLastRowEndsAtTheBottom) {
    Make(3, 100);
    ASSERT_EQ(grid->ClientHeight(), grid->HeadingHeight() + 200);
    EXPECT_EQ(grid->GetMaxTopRow(), 91);
    EXPECT_EQ(grid->GetMaxTopRowPos(), 91);
    // Asking for rows past the last page shows the last page.
    for (Integer asked : {95, 100, 250}) {
        grid->SetTopRow(1);
        grid->SetTopRow(asked);
        EXPECT_EQ(grid->TopRow(), 91) << asked;
    }
    grid->SetTopRow(1);
    grid->HandleVertScroll(scBottom, 0);
    EXPECT_EQ(grid->TopRow(), 91);
    grid->HandleVertScroll(scPageUp, 0);
    EXPECT_EQ(grid->TopRow(), 81);
    grid->HandleVertScroll(scLineDown, 0);
    EXPECT_EQ(grid->TopRow(), 82);
    grid->HandleVertScroll(scTop, 0);
    EXPECT_EQ(grid->TopRow(), 1);
}

TEST_F(GridScrollLimits, WhenAllRowsFitThePageDownMovesNothing) {
    Make(3, 6);
    EXPECT_EQ(grid->GetMaxTopRow(), 1);
    grid->HandleVertScroll(scPageDown, 0);
    grid->SetTopRow(4);
    EXPECT_EQ(grid->TopRow(), 1);
    EXPECT_TRUE(grid->Changes.empty());
}

TEST_F(GridScrollLimits, DeletingShownRowsAtTheEndPullsTheViewBackOnce) {
    Make(3, 100);
    grid->SetTopRow(91);
    grid->Changes.clear();
    grid->DeleteRows(96, 100);
    EXPECT_EQ(grid->TopRow(), 86);
    ASSERT_EQ(grid->Changes.size(), 1u);
    EXPECT_EQ(grid->Changes[0].OldRow, 91);
    EXPECT_EQ(grid->Changes[0].NewRow, 86);
}

TEST_F(GridScrollLimits, EachMoveOfTheViewIsReportedOnceWithItsOldAndNewCell) {
    Make(3, 100);
    grid->SetTopRow(10);
    grid->SetTopRow(10);
    ASSERT_EQ(grid->Changes.size(), 1u);
    EXPECT_EQ(grid->Changes[0].OldCol, 1);
    EXPECT_EQ(grid->Changes[0].OldRow, 1);
    EXPECT_EQ(grid->Changes[0].NewCol, 1);
    EXPECT_EQ(grid->Changes[0].NewRow, 10);
}

TEST_F(GridScrollLimits, TheInsertRowCountsAsTheLastRow) {
    Make(3, 100);
    grid->SetGridMode(gmEditInsert);
    ASSERT_TRUE(grid->InsertRowShown());
    EXPECT_EQ(grid->GetMaxTopRow(), 92);
}

TEST_F(GridScrollLimits, HiddenRowsAndColumnsAreNeverTheFirstShown) {
    Make(8, 100, 200);
    grid->SetRowVisible(50, false);
    grid->SetTopRow(50);
    EXPECT_EQ(grid->TopRow(), 51);  // right of the view: the next one
    grid->SetTopRow(60);
    grid->SetTopRow(50);
    EXPECT_EQ(grid->TopRow(), 49);  // left of the view: the previous one
    grid->Col(3)->SetVisible(false);
    grid->SetLeftCol(3);
    EXPECT_EQ(grid->TopLeftCell().Col, 4);
}

TEST_F(GridScrollLimits, AThumbDragInAHugeGridReachesTheLastRows) {
    Make(2, 100000);
    TCustomControl::TScrollInfo info = grid->ReadScrollInfo(TCustomControl::sbVertical);
    EXPECT_EQ(info.Min, 0);
    EXPECT_EQ(info.Max, TgrBaseGrid::kMaxScrollPos);
    EXPECT_EQ(info.Page, 1);
    grid->HandleVertScroll(scThumbPosition, TgrBaseGrid::kMaxScrollPos);
    EXPECT_EQ(grid->TopRow(), grid->GetMaxTopRow());
    EXPECT_EQ(grid->TopRow(), 99991);
    // 99990 positions over 32767: position 16383 stands for list position
    // round(99990 / 32767 * 16383) + 1.
    grid->HandleVertScroll(scThumbPosition, TgrBaseGrid::kMaxScrollPos / 2);
    EXPECT_EQ(grid->TopRow(), 49994);
    EXPECT_EQ(grid->GetScrollPos(TCustomControl::sbVertical), grid->GetVertScrollPos());
    // A thumb track acts only with thumb tracking.
    Integer top = grid->TopRow();
    grid->HandleVertScroll(scThumbTrack, 0);
    EXPECT_EQ(grid->TopRow(), top);
    grid->SetThumbTracking(true);
    EXPECT_TRUE(grid->GridOptions() & gxThumbTracking);
    grid->HandleVertScroll(scThumbTrack, 0);
    EXPECT_EQ(grid->TopRow(), 1);
}

TEST_F(GridScrollLimits, TheVerticalBarCountsScrollingRows) {
    Make(3, 100);
    TCustomControl::TScrollInfo info = grid->ReadScrollInfo(TCustomControl::sbVertical);
    EXPECT_TRUE(grid->ScrollBarShown(TCustomControl::sbVertical));
    EXPECT_EQ(info.Min, 1);
    EXPECT_EQ(info.Max, 100);
    EXPECT_EQ(info.Page, 10);  // the rows on the last page
    grid->SetTopRow(91);
    EXPECT_EQ(grid->GetScrollPos(TCustomControl::sbVertical), 91);
    EXPECT_EQ(grid->VertScrollTarget(scThumbPosition, 40), 40);
}

TEST_F(GridScrollLimits, BarsShowOnlyWhereTheCellsDoNotFit) {
    Make(3, 6);
    EXPECT_FALSE(grid->ScrollBarShown(TCustomControl::sbHorizontal));
    EXPECT_FALSE(grid->ScrollBarShown(TCustomControl::sbVertical));
    grid->SetAlwaysShowScrollBar(ssBoth);
    EXPECT_TRUE(grid->ScrollBarShown(TCustomControl::sbHorizontal));
    EXPECT_TRUE(grid->ScrollBarShown(TCustomControl::sbVertical));
    EXPECT_FALSE(grid->ScrollBarEnabled(TCustomControl::sbVertical));
    // A disabled bar takes no press.
    grid->SetRows(100);
    grid->SetAlwaysShowScrollBar(ssNone);
    EXPECT_TRUE(grid->ScrollBarEnabled(TCustomControl::sbVertical));
    grid->SetScrollBars(ssHorizontal);
    EXPECT_FALSE(grid->ScrollBarShown(TCustomControl::sbVertical));
    grid->SetScrollBars(ssNone);
    grid->SetTopRow(50);
    EXPECT_NE(grid->GetScrollPos(TCustomControl::sbVertical), grid->GetVertScrollPos());
}

TEST_F(GridScrollLimits, OneWideScrollingColumnAloneNeedsNoBar) {
    Make(1, 3);
    grid->SetColWidthAt(1, 1000);
    EXPECT_FALSE(grid->IsHorzScrollBarNeeded());
    grid->SetCols(2);
    grid->SetColWidthAt(1, 1000);
    EXPECT_TRUE(grid->IsHorzScrollBarNeeded());
}

TEST_F(GridScrollLimits, ABarUpdateDuringAPaintLockRunsAtTheEndOfTheNextPaint) {
    Make(3, 6);
    grid->LockPaint(false);
    grid->SetRows(100);
    EXPECT_FALSE(grid->ScrollBarShown(TCustomControl::sbVertical));
    grid->LockPaint(true);
    grid->Update();
    EXPECT_TRUE(grid->ScrollBarShown(TCustomControl::sbVertical));
}

TEST_F(GridScrollLimits, AOneRowScrollRepaintsOnlyTheUncoveredStrip) {
    Make(3, 100);
    grid->Update();
    ASSERT_FALSE(grid->HasInvalidRegion());
    grid->SetTopRow(2);
    TRect strip = grid->InvalidBounds();
    EXPECT_EQ(strip.Top, grid->HeadingHeight() + 180);
    EXPECT_EQ(strip.Bottom, grid->ClientHeight());
    grid->Update();
    // More than four fifths of the area: the whole scrolling area.
    grid->SetTopRow(11);
    strip = grid->InvalidBounds();
    EXPECT_EQ(strip.Top, grid->HeadingHeight());
    grid->Update();
    // Farther than the area: the whole grid.
    grid->SetTopRow(60);
    EXPECT_EQ(grid->InvalidBounds().Top, 0);
}

TEST_F(GridScrollLimits, AScrollModeHoldsForOneMoveOnly) {
    Make(3, 100);
    grid->MoveToDisplayCell(1, 3);
    grid->MoveToDisplayCell(1, 4);
    grid->Update();
    TRect prev = grid->CellRect(1, 3), prevRow = grid->CellRect(0, 3);
    grid->ScrollWithMode(1, 2, smKeepCell);
    EXPECT_EQ(grid->ScrollMode(), smPlain);
    EXPECT_EQ(grid->PrevCellRect().Left, prev.Left + 3);
    EXPECT_EQ(grid->PrevCellRect().Top, prev.Top);
    EXPECT_EQ(grid->PrevRowRect(), prevRow);
    EXPECT_EQ(grid->TopRow(), 2);
}

TEST_F(GridScrollLimits, AutoScrollStepsWaitByScrollSpeed) {
    ManualClock clock{1000};
    SetCurrentClock(&clock);
    Make(3, 100);
    grid->SetScrollSpeed(spHigh);
    EXPECT_TRUE(grid->ScrollDelayElapsed(0, 0, 1));
    grid->SetScrollSpeed(spLow);
    EXPECT_FALSE(grid->ScrollDelayElapsed(0, 0, 1));
    clock.Advance(199);
    EXPECT_FALSE(grid->ScrollDelayElapsed(0, 0, 1));
    clock.Advance(1);
    EXPECT_TRUE(grid->ScrollDelayElapsed(0, 0, 1));
    EXPECT_FALSE(grid->ScrollDelayElapsed(0, 0, 1));
    // Variable: full speed only half the range (30 pixels) past the rows.
    grid->SetScrollSpeed(spVariable);
    TPoint below = grid->ClientToScreen(TPoint(10, grid->GetRowsBottom() + 14));
    EXPECT_EQ(grid->VariableScrollDelay(below.X, below.Y, 1), 200);
    below = grid->ClientToScreen(TPoint(10, grid->GetRowsBottom() + 15));
    EXPECT_EQ(grid->VariableScrollDelay(below.X, below.Y, 1), 0);
    SetCurrentClock(nullptr);
}

TEST_F(GridScrollLimits, CellGeometryFollowsTheView) {
    Make(8, 100, 200);
    Integer w = grid->GetColWidthAt(1);
    EXPECT_EQ(grid->GetColLeft(1), grid->RowBarWidth());
    EXPECT_EQ(grid->GetRowTop(2), grid->HeadingHeight() + 20);
    grid->SetLeftCol(3);
    EXPECT_EQ(grid->GetColLeft(2), -1);  // scrolled out to the left
    EXPECT_EQ(grid->GetColLeft(3), grid->RowBarWidth());
    EXPECT_EQ(grid->GetColLeft(4), grid->RowBarWidth() + w);
    // A cell cut by the right edge keeps its last pixel column.
    Integer cut = 3 + (grid->ClientWidth() - grid->RowBarWidth()) / w;
    TRect r = grid->CellRect(cut, 1);
    EXPECT_EQ(r.Right, grid->ClientWidth());
    EXPECT_EQ(grid->CellRect(4, 1).Right, grid->GetColLeft(5) - 1);
    EXPECT_EQ(grid->ColAtX(grid->RowBarWidth() + w + 1), 4);
    EXPECT_EQ(grid->ColAtX(-1), -1);
    EXPECT_EQ(grid->CellAtPointClamped(-5, -5), (TCellCoord_ts{0, 0}));
    Integer found = 0;
    grid->Col(5)->SetVisible(false);
    EXPECT_EQ(grid->GetColLeft(5), -1);
    ASSERT_TRUE(grid->FindVisibleCol(5, found));
    EXPECT_EQ(found, 6);
}

TEST_F(GridScrollLimits, SizesOfTheBaseReachTheColumnAndRowObjects) {
    Make(4, 20);
    // A width set on the base is the column's width; a hidden column
    // stays at 0 whatever the base is given.
    grid->SetColWidthAt(2, 90);
    EXPECT_EQ(grid->Col(2)->Width(), 90);
    grid->Col(3)->SetVisible(false);
    grid->SetDefaultColWidth(50);
    EXPECT_EQ(grid->GetColWidthAt(3), 0);
    EXPECT_EQ(grid->GetColWidthAt(2), 50);
    grid->SetColWidthAt(3, 70);
    EXPECT_EQ(grid->GetColWidthAt(3), 0);
    // A default of nothing becomes one pixel.
    grid->SetDefaultRowHeight(0);
    EXPECT_EQ(grid->DefaultRowHeight(), 1);
    EXPECT_EQ(grid->GetRowHeightAt(5), 1);
    grid->SetDefaultColWidth(0);
    EXPECT_EQ(grid->DefaultColWidth(), 1);
    EXPECT_EQ(grid->GetColWidthAt(1), 1);
}

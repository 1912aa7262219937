// Presses that select on the real grid class: a cell range starts only from
// a data cell's left margin or, on a selected range, with Shift; heading
// presses select, toggle and extend columns from the current column, a
// selection colour takes them under one update lock, and the drag after a
// heading press selects the columns it passes.

#include <gtest/gtest.h>

#include "grid/tests/GridOnForm.h"

namespace {

// Records whether columns were selected under the update lock.
class TColLockGrid : public TInputGrid {
public:
    using TInputGrid::TInputGrid;
    bool lockedSelect = false;
    void SelectDisplayCols(Integer from, Integer to, bool select) override {
        if (select) lockedSelect = IsUpdateSuspended();
        TInputGrid::SelectDisplayCols(from, to, select);
    }
    void InvalidateDisplayCell(Integer c, Integer r) override { TgrBaseGrid::InvalidateDisplayCell(c, r); }
    void InvalidateRow(Integer r) override { TgrBaseGrid::InvalidateRow(r); }
};

class GridPressSelect : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        form = new TForm(Application);
        form->SetBounds(0, 0, 500, 400);
        grid = new TColLockGrid(form);
        grid->SetParent(form);
        grid->SetBounds(0, 0, 420, 300);
        grid->SetCols(6);
        grid->SetRows(10);
        grid->SetColMoving(false);
        form->Show();
    }
    void TearDown() override { Application->ResetForTesting(); }
    TPoint Mid(Integer c, Integer r) {
        TRect rc = grid->CellPixels(c, r);
        return {(rc.Left + rc.Right) / 2, (rc.Top + rc.Bottom) / 2};
    }
    TPoint Margin(Integer c, Integer r, Integer dx = 1) { return {grid->CellPixels(c, r).Left + dx, Mid(c, r).Y}; }
    void Press(TPoint p, TShiftState keys = {}) {
        TShiftState down = keys;
        down.Include(ssLeft);
        grid->MouseDown(mbLeft, down, p.X, p.Y);
    }
    void Move(TPoint p) { grid->MouseMove(TShiftState{ssLeft}, p.X, p.Y); }
    void Release(TPoint p) { grid->MouseUp(mbLeft, {}, p.X, p.Y); }
    void Click(TPoint p, TShiftState keys = {}) {
        Press(p, keys);
        Release(p);
    }
    std::string Cols() {
        std::string s;
        for (Integer c = 1; c < grid->ColTotal(); ++c)
            if (grid->IsDisplayColSelected(c)) s += std::to_string(c);
        return s;
    }
    TForm* form = nullptr;
    TColLockGrid* grid = nullptr;
};

TEST_F(GridPressSelect, ACellRangeStartsFromTheLeftMarginOrWithShiftOnARange) {
    struct Case {
        const char* name;
        Integer dx;  // from the cell's left edge
        TgrCellSelectMode mode;
        TgrGridMode gridMode;
        bool range;
        Integer col;  // current afterwards
    } cases[] = {
        {"left edge", 0, cmRange, gmEdit, true, 2},
        {"third pixel", 2, cmRange, gmBrowse, true, 2},
        {"fourth pixel: a click", 3, cmRange, gmEdit, false, 2},
        {"middle: a click", 20, cmRange, gmEditInsert, false, 2},
        {"without cmRange: a click", 1, cmNone, gmEdit, false, 2},
        {"list box: the row is selected, the column stays", 1, cmRange, gmListBox, false, 1},
    };
    for (const Case& c : cases) {
        grid->SetCellSelectMode(c.mode);
        grid->SetGridMode(c.gridMode);
        grid->ChangeCurrentCell(1, 1);
        Press(Margin(2, 3, c.dx));
        Move(Mid(4, 5));
        Release(Mid(4, 5));
        if (c.range) {
            EXPECT_EQ(grid->GridStatus(), gsCellsSelected) << c.name;
            EXPECT_EQ(grid->CellRange(), (TCellRange_ts{2, 3, 4, 5})) << c.name;
        } else {
            EXPECT_NE(grid->GridStatus(), gsCellsSelected) << c.name;
        }
        // The pressed cell is current (a range's anchor).
        EXPECT_EQ(grid->CurrentDisplayCol(), c.col) << c.name;
        EXPECT_EQ(grid->CurrentDisplayRow(), 3) << c.name;
        grid->DeselectAllRows();
        grid->ChangeCurrentCell(1, 1);
    }

    // Shift with a range stretches it from its anchor; without one it is a
    // click.
    grid->SetGridMode(gmEdit);
    grid->SetCellSelectMode(cmRange);
    Click(Margin(2, 2));
    ASSERT_EQ(grid->CellRange(), (TCellRange_ts{2, 2, 2, 2}));
    Click(Mid(3, 4), TShiftState{ssShift});
    EXPECT_EQ(grid->CellRange(), (TCellRange_ts{2, 2, 3, 4}));
    Click(Mid(1, 1), TShiftState{ssCtrl, ssShift});
    EXPECT_EQ(grid->CellRange(), (TCellRange_ts{1, 1, 2, 2}));
    EXPECT_EQ(grid->CurrentDisplayCol(), 2);
    Click(Mid(4, 6));  // a plain click takes the range away
    EXPECT_EQ(grid->GridStatus(), gsNormal);
    Click(Mid(5, 7), TShiftState{ssShift});
    EXPECT_EQ(grid->GridStatus(), gsNormal);
    EXPECT_EQ(grid->CurrentDisplayCol(), 5);

    // A range drag given up (Esc) removes the range.
    Press(Margin(2, 2));
    Move(Mid(3, 3));
    grid->CancelMouseAction();
    EXPECT_EQ(grid->GridStatus(), gsNormal);
    EXPECT_EQ(grid->MouseStatus(), msNone);
}

TEST_F(GridPressSelect, HeadingKeysSelectToggleAndExtendFromTheCurrentColumn) {
    Click(Mid(2, 0));
    EXPECT_EQ(Cols(), "2");
    EXPECT_EQ(grid->CurrentDisplayCol(), 2);
    // Shift: from the selected anchor to the column; the anchor stays current.
    Click(Mid(4, 0), TShiftState{ssShift});
    EXPECT_EQ(Cols(), "234");
    EXPECT_EQ(grid->CurrentDisplayCol(), 2);
    Click(Mid(1, 0), TShiftState{ssShift});
    EXPECT_EQ(Cols(), "12");
    // Ctrl+Shift adds from the selected anchor and moves to the column.
    Click(Mid(5, 0), TShiftState{ssCtrl, ssShift});
    EXPECT_EQ(Cols(), "12345");
    EXPECT_EQ(grid->CurrentDisplayCol(), 5);
    // Ctrl toggles.
    Click(Mid(5, 0), TShiftState{ssCtrl});
    EXPECT_EQ(Cols(), "1234");
    // Ctrl+Shift from an anchor that is not selected removes the span.
    Click(Mid(3, 0), TShiftState{ssCtrl, ssShift});
    EXPECT_EQ(Cols(), "12");
    EXPECT_EQ(grid->CurrentDisplayCol(), 3);
    // Shift from an anchor that is not selected: none, the column current.
    Click(Mid(4, 0), TShiftState{ssShift});
    EXPECT_EQ(Cols(), "");
    EXPECT_EQ(grid->CurrentDisplayCol(), 4);
    EXPECT_EQ(grid->GridStatus(), gsNormal);
    // A fixed column's heading selects nothing without SelectFixed.
    grid->SetFixedColCount(1);
    grid->SetSelectFixed(false);
    Click(Mid(1, 0));
    EXPECT_EQ(Cols(), "");
}

TEST_F(GridPressSelect, AHeadingDragSelectsThePassedColumnsAndEscInvertsThem) {
    Click(Mid(5, 0));
    Press(Mid(2, 0));
    Move(Mid(4, 0));
    EXPECT_EQ(Cols(), "234");
    Move(Mid(3, 0));
    EXPECT_EQ(Cols(), "23");
    EXPECT_EQ(grid->MouseStatus(), msColSelect);
    grid->CancelMouseAction();  // from the anchor to the end, anchor included
    EXPECT_EQ(Cols(), "");
    EXPECT_EQ(grid->MouseStatus(), msNone);
}

TEST_F(GridPressSelect, ColumnPressesTakeTheSelectionColourUnderOneLock) {
    grid->SetSelectionColor(0xFF0000);
    grid->SetSelectionType(sltColor);
    const QRgb blue = qRgb(0, 0, 255);
    auto shown = [&](Integer c) {
        TRect cell = grid->CellPixels(c, 2);
        return grid->Surface().pixel(cell.Right - 3, cell.Bottom - 3);
    };
    grid->Repaint();
    struct Step {
        Integer col;
        TShiftState keys;
        const char* selected;
    } steps[] = {{2, {}, "2"}, {4, {ssShift}, "234"}, {5, {ssCtrl, ssShift}, "2345"}};
    for (const Step& s : steps) {
        grid->lockedSelect = false;
        Click(Mid(s.col, 0), s.keys);
        EXPECT_TRUE(grid->lockedSelect) << s.col;
        EXPECT_FALSE(grid->IsUpdateSuspended()) << s.col;
        EXPECT_EQ(Cols(), s.selected);
        // The window shows the result when the press returns.
        EXPECT_EQ(shown(s.col), blue) << s.col;
    }
    EXPECT_NE(shown(1), blue);
    // A handler that raises leaves the grid unlocked.
    grid->OnSelectChanged = [](TObject*, TgrSelectType, bool) { throw Exception("refused"); };
    EXPECT_THROW(Press(Mid(1, 0), TShiftState{ssShift}), Exception);
    grid->OnSelectChanged = nullptr;
    Release(Mid(1, 0));
    EXPECT_FALSE(grid->IsUpdateSuspended());
}

}  // namespace

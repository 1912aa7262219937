// Row-bar presses on the real grid class: the anchor hooks a descendant
// follows records through (asked and told in the order the presses run),
// Shift ranges from the anchor row, Ctrl+Shift adding and removing, and a selection colour's update lock with the window updated
// at the end, also when a handler raises.

#include <gtest/gtest.h>

#include "grid/tests/GridOnForm.h"

namespace {

// Records the anchor hooks and whether rows are selected under a lock.
class THookGrid : public TInputGrid {
public:
    using TInputGrid::TInputGrid;
    std::vector<std::string> Hooks;
    std::string TakeHooks() {
        std::string s;
        for (const std::string& h : Hooks) s += (s.empty() ? "" : " ") + h;
        Hooks.clear();
        return s;
    }
    bool lockedSelect = false;
    void SetRangeAnchorRow(Integer row) override {
        Hooks.push_back("anchor=" + std::to_string(row));
        TInputGrid::SetRangeAnchorRow(row);
    }
    Integer GetRangeAnchorRow() override {
        Hooks.push_back("anchor?");
        return TInputGrid::GetRangeAnchorRow();
    }
    bool IsAnchorRowSelected() override {
        Hooks.push_back("selected?");
        return TInputGrid::IsAnchorRowSelected();
    }
    void RangeSelectDone(Integer row) override {
        Hooks.push_back("done=" + std::to_string(row));
        TInputGrid::RangeSelectDone(row);
    }
    // Cells are invalidated for real: the window shows what is painted.
    void InvalidateDisplayCell(Integer c, Integer r) override { TgrBaseGrid::InvalidateDisplayCell(c, r); }
    void InvalidateRow(Integer r) override { TgrBaseGrid::InvalidateRow(r); }
    void SelectDisplayRows(Integer from, Integer to) override {
        lockedSelect = IsUpdateSuspended();
        TInputGrid::SelectDisplayRows(from, to);
    }
};

class GridRowBar : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        form = new TForm(Application);
        form->SetBounds(0, 0, 500, 400);
        grid = new THookGrid(form);
        grid->SetParent(form);
        grid->SetBounds(0, 0, 300, 300);
        grid->SetCols(3);
        grid->SetRows(8);
        grid->SetRowSelectMode(rsMulti);
        form->Show();
    }
    void TearDown() override { Application->ResetForTesting(); }
    void Press(Integer row, TShiftState shift = {}) {
        TRect r = grid->CellPixels(0, row);
        grid->MouseDown(mbLeft, shift, r.Left + 3, r.Top + 3);
        grid->MouseUp(mbLeft, shift, r.Left + 3, r.Top + 3);
    }
    std::string Selected() {
        std::string s;
        for (Integer r = 1; r < grid->RowTotal(); ++r)
            if (grid->IsDisplayRowSelected(r)) s += std::to_string(r);
        return s;
    }
    // The colour painted near a data cell's corner, as the window last
    // showed it.
    QRgb Shown(Integer row) {
        TRect cell = grid->CellPixels(1, row);
        return grid->Surface().pixel(cell.Right - 3, cell.Bottom - 3);
    }
    TForm* form = nullptr;
    THookGrid* grid = nullptr;
};

TEST_F(GridRowBar, ShiftSpansFromTheAnchorRowThroughTheHooks) {
    Press(2);
    EXPECT_EQ(grid->TakeHooks(), "anchor=2");
    Press(5, TShiftState{ssShift});
    EXPECT_EQ(grid->TakeHooks(), "anchor? selected? done=5");
    EXPECT_EQ(Selected(), "2345");
    // The pressed row is current, the anchor of the next Shift press.
    EXPECT_EQ(grid->CurrentDisplayRow(), 5);
    Press(3, TShiftState{ssShift});
    EXPECT_EQ(Selected(), "345");
    grid->TakeHooks();
    // Ctrl+Shift adds from the selected anchor and moves the anchor.
    Press(6, TShiftState{ssCtrl, ssShift});
    EXPECT_EQ(grid->TakeHooks(), "anchor? selected? anchor=6");
    EXPECT_EQ(Selected(), "3456");
    EXPECT_EQ(grid->CurrentDisplayRow(), 6);
    // Ctrl takes the anchor out; Ctrl+Shift from it removes the span.
    Press(6, TShiftState{ssCtrl});
    Press(4, TShiftState{ssCtrl, ssShift});
    EXPECT_EQ(Selected(), "3");
    EXPECT_EQ(grid->CurrentDisplayRow(), 4);
    // Shift from an anchor not selected: nothing stays selected and the
    // row becomes current, no range reported.
    grid->TakeHooks();
    Press(7, TShiftState{ssShift});
    EXPECT_EQ(grid->TakeHooks(), "anchor? selected?");
    EXPECT_EQ(Selected(), "");
    EXPECT_EQ(grid->CurrentDisplayRow(), 7);
    EXPECT_EQ(grid->GridStatus(), gsNormal);
}

TEST_F(GridRowBar, TheInsertRowIsNoAnchorAndNoSpanEnd) {
    grid->SetGridMode(gmEditInsert);
    Integer insertRow = grid->RowTotal() - 1;
    ASSERT_TRUE(grid->IsInsertRowPos(insertRow));
    Press(2);
    grid->TakeHooks();
    for (TShiftState shift : {TShiftState{ssCtrl}, TShiftState{ssShift}, TShiftState{ssCtrl, ssShift}}) {
        Press(insertRow, shift);
        EXPECT_EQ(Selected(), "2");
        EXPECT_EQ(grid->TakeHooks(), "");
    }
}

TEST_F(GridRowBar, SelectionColourPaintsTheChangeOnceUnderALock) {
    constexpr TColor kBlue = 0xFF0000;
    const QRgb blue = qRgb(0, 0, 255);
    grid->SetSelectionColor(kBlue);
    grid->Repaint();
    // Inverted selections paint later, from the event loop.
    Press(2);
    EXPECT_FALSE(grid->lockedSelect);
    EXPECT_NE(Shown(2), blue);
    grid->Repaint();
    EXPECT_NE(Shown(2), blue);  // inverted, not in the colour
    // In the selection colour each press selects under the lock and the
    // window shows the result when the press returns.
    grid->SetSelectionType(sltColor);
    Press(3);
    EXPECT_TRUE(grid->lockedSelect);
    EXPECT_FALSE(grid->IsUpdateSuspended());
    EXPECT_EQ(Shown(3), blue);
    EXPECT_NE(Shown(2), blue);
    for (TShiftState shift : {TShiftState{ssShift}, TShiftState{ssCtrl, ssShift}}) {
        grid->lockedSelect = false;
        Press(5, shift);
        EXPECT_TRUE(grid->lockedSelect);
        EXPECT_EQ(Selected(), "345");
        EXPECT_EQ(Shown(4), blue);
        EXPECT_EQ(Shown(5), blue);
    }
    // A handler that raises leaves the grid unlocked and shown.
    grid->OnSelectChanged = [](TObject*, TgrSelectType, bool) { throw Exception("refused"); };
    TRect r = grid->CellPixels(0, 7);
    EXPECT_THROW(grid->MouseDown(mbLeft, TShiftState{ssShift}, r.Left + 3, r.Top + 3), Exception);
    grid->OnSelectChanged = nullptr;
    grid->MouseUp(mbLeft, {}, r.Left + 3, r.Top + 3);
    EXPECT_FALSE(grid->IsUpdateSuspended());
    EXPECT_EQ(Shown(7), blue);
}

}  // namespace

// The grid class's structure on a shown grid: the insert row of
// gmEditInsert added and confirmed, the fixed counts kept within the
// counts with their pixel extent, the font-keeping lists following a
// removal, and a held spin button repeating and coming up.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "grid/tests/GridOnForm.h"
#include "platform/core/Clock.h"
#include "platform/gui/Timers.h"

namespace {

// Reports the insert-row notifications and reaches the real repeat tick.
class TCountsGrid : public TInputGrid {
public:
    using TInputGrid::TInputGrid;
    using TgrBaseGrid::GridTimerInterval;
    using TgrBaseGrid::GridTimerRunning;
    void ButtonRepeatTick() override { TgrBaseGrid::ButtonRepeatTick(); }
    std::string Events;

protected:
    void FireInsertRow(Integer r, bool byUser) override {
        Events += "insert " + std::to_string(r) + (byUser ? " user;" : ";");
    }
};

class GridCounts : public ::testing::Test {
protected:
    void SetUp() override {
        SetCurrentClock(&clock);
        Application->Initialize();
        form = new TForm(Application);
        form->SetBounds(0, 0, 500, 400);
        grid = new TCountsGrid(form);
        grid->SetParent(form);
        grid->SetBounds(0, 0, 400, 200);
        grid->SetCols(3);
        grid->SetRows(4);
        grid->SetStoreData(true);
        grid->OnRowCountChanged = [this](TObject*, Integer o, Integer n) {
            grid->Events += "count " + std::to_string(o) + ">" + std::to_string(n) + ";";
        };
        form->Show();
        grid->SetFocus();
    }
    void TearDown() override {
        Application->ResetForTesting();
        SetCurrentClock(nullptr);
    }
    void Advance(std::uint64_t ms) {
        clock.Advance(ms);
        FireDueTimers();
    }
    ManualClock clock{1000};
    TForm* form = nullptr;
    TCountsGrid* grid = nullptr;
};

TEST_F(GridCounts, TheInsertRowIsAddedAndConfirmedOnlyInEditInsert) {
    // Outside gmEditInsert there is no insert row to add or confirm.
    grid->AddInsertRow();
    grid->ConfirmInsertRow();
    EXPECT_EQ(grid->RowTotal(), 5);
    EXPECT_EQ(grid->Events, "");

    grid->SetGridMode(gmEditInsert);
    EXPECT_TRUE(grid->InsertRowShown());
    EXPECT_EQ(grid->PreviousInsertRowState(), 0);
    EXPECT_EQ(grid->Rows(), 4);
    EXPECT_EQ(grid->RowTotal(), 6);
    grid->AddInsertRow();  // shown already: nothing
    EXPECT_EQ(grid->RowTotal(), 6);
    grid->Events.clear();

    // Confirmed: the shown row counts as data row 5, the display rows stay.
    grid->ConfirmInsertRow();
    EXPECT_FALSE(grid->InsertRowShown());
    EXPECT_EQ(grid->PreviousInsertRowState(), 1);
    EXPECT_EQ(grid->Rows(), 5);
    EXPECT_EQ(grid->RowTotal(), 6);
    EXPECT_EQ(grid->Events, "count 4>5;insert 5 user;");
    grid->Events.clear();

    // A new one shows after it; the data rows stay.
    grid->AddInsertRow();
    EXPECT_TRUE(grid->InsertRowShown());
    EXPECT_EQ(grid->Rows(), 5);
    EXPECT_EQ(grid->RowTotal(), 7);
    EXPECT_TRUE(grid->IsInsertRow(6));
    EXPECT_EQ(grid->Events, "");

    // No data rows: the heading and the insert row remain.
    grid->SetRows(0);
    EXPECT_EQ(grid->RowTotal(), 2);
    EXPECT_TRUE(grid->IsInsertRowPos(1));
}

TEST_F(GridCounts, FixedCountsStayWithinTheCountsAndKeepTheirExtent) {
    grid->SetFixedColCount(5);
    EXPECT_EQ(grid->FixedColCount(), 5);
    EXPECT_EQ(grid->FixedColTotal(), 3) << "the row bar and two data columns; the last one scrolls";
    grid->SetCols(10);
    EXPECT_EQ(grid->FixedColTotal(), 6) << "the requested count applies again";
    grid->SetFixedColCount(-1);
    EXPECT_EQ(grid->FixedColCount(), 5);

    auto fixedWidth = [this] {
        Integer w = 0;
        for (Integer c = 0; c < grid->FixedColTotal(); ++c) w += grid->GetColWidthAt(c);
        return w;
    };
    EXPECT_EQ(grid->FixedAreaWidth(), fixedWidth());
    grid->Col(2)->SetWidth(90);
    grid->SetRowBarWidth(30);
    EXPECT_EQ(grid->FixedAreaWidth(), fixedWidth());
    grid->SetFixedColCount(1);
    EXPECT_EQ(grid->FixedAreaWidth(), 30 + grid->GetColWidthAt(1));
    grid->SetRowBarOn(false);
    EXPECT_EQ(grid->FixedAreaWidth(), grid->GetColWidthAt(1));

    grid->SetFixedRowCount(2);
    EXPECT_EQ(grid->FixedRowTotal(), 3);
    EXPECT_EQ(grid->FixedAreaHeight(), grid->HeadingHeight() + grid->GetRowHeightAt(1) + grid->GetRowHeightAt(2));
    grid->SetHeadingOn(false);
    EXPECT_EQ(grid->FixedAreaHeight(), grid->GetRowHeightAt(1) + grid->GetRowHeightAt(2));
    grid->SetRows(1);
    EXPECT_EQ(grid->FixedRowTotal(), 1) << "the only data row scrolls";
    grid->SetRows(6);
    EXPECT_EQ(grid->FixedRowTotal(), 3);
}

TEST_F(GridCounts, KeptFontsFollowTheirColumnsAndRowsPastARemoval) {
    grid->SetCols(4);
    grid->Col(3)->SetKeepFontObject(true);
    grid->SetRowKeepFontObject(3, true);
    grid->DeleteCols(2, 2);
    grid->DeleteRows(1, 1);
    TgrCol* col = grid->Col(2);  // was column 3
    TgrRow* row = grid->GridRows()->GetRow(2);  // was row 3
    ASSERT_TRUE(col->GetFont());
    ASSERT_TRUE(col->GetHeadingFont());
    ASSERT_TRUE(row && row->GetFont());

    grid->Font()->SetSize(17);
    EXPECT_EQ(col->OwnFont()->Size(), 17);
    EXPECT_EQ(row->OwnFont()->Size(), 17);
    TFont heading;
    heading.SetSize(13);
    grid->SetHeadingFont(heading);
    EXPECT_EQ(col->OwnHeadingFont()->Size(), 13);

    // A removed keeper leaves the lists: the grid font reaches no other.
    grid->DeleteCols(2, 2);
    grid->Font()->SetSize(9);
    for (Integer c = 1; c <= grid->Cols(); ++c) EXPECT_FALSE(grid->Col(c)->KeepFontObject()) << c;
}

TEST_F(GridCounts, AHeldSpinButtonRepeatsUntilItComesUp) {
    grid->Col(1)->SetButtonType(btVertSpin);
    grid->Col(1)->SetSpinOptions(SpinOptionBit(spoAutoRepeat));
    grid->Col(1)->SetWidth(120);
    grid->SetDefaultRowHeight(30);
    grid->PutCellValue(1, 1, Variant(std::string("5")));
    std::vector<Integer> counts;
    grid->OnSpinRepeat = [&](TObject*, Integer, Integer, Integer count, TgrSpinButton) { counts.push_back(count); };
    std::string clicks;
    grid->OnSpinButtonClick = [&](TObject*, Integer, Integer, TgrSpinButton) { clicks += "click;"; };

    TRect b = CellButtonRect(grid, 1, 1);
    TPoint up(b.Left + 3, b.Top + 2);
    ASSERT_EQ(grid->HitTestSpinButton(up.X, up.Y, 1, 1), spbUp);
    SendLeftMouse(grid->Widget(), QEvent::MouseButtonPress, up);
    EXPECT_EQ(counts, (std::vector<Integer>{1}));
    EXPECT_EQ(grid->GridTimerInterval(TgrBaseGrid::SpinTimerId), 500);
    Advance(500);
    EXPECT_EQ(grid->GridTimerInterval(TgrBaseGrid::SpinTimerId), 80);
    Advance(80);
    EXPECT_EQ(counts, (std::vector<Integer>{1, 2, 3}));

    SendLeftMouse(grid->Widget(), QEvent::MouseButtonRelease, up);
    EXPECT_EQ(clicks, "click;");
    EXPECT_FALSE(grid->GridTimerRunning(TgrBaseGrid::SpinTimerId));
    Advance(500);
    EXPECT_EQ(counts.size(), 3u);

    // Released by the grid while still held: no more repeats, no click.
    counts.clear();
    SendLeftMouse(grid->Widget(), QEvent::MouseButtonPress, up);
    grid->ReleaseCellButtons();
    EXPECT_FALSE(grid->GridTimerRunning(TgrBaseGrid::SpinTimerId));
    Advance(1000);
    EXPECT_EQ(counts, (std::vector<Integer>{1}));
    SendLeftMouse(grid->Widget(), QEvent::MouseButtonRelease, up);
    EXPECT_EQ(clicks, "click;");
}

TEST_F(GridCounts, ButtonFacesAtRest) {
    grid->Col(1)->SetButtonType(btNormal);
    EXPECT_EQ(grid->GetButtonBackColor(1, 2), clBtnFace) << "ibsBackGround: every button has a face";
    grid->SetInactiveButtonState(ibsNone);
    EXPECT_EQ(grid->GetButtonBackColor(1, 2), grColorNotSet) << "not the current cell";
    grid->SetAlwaysShowEditor(true);
    EXPECT_EQ(grid->GetButtonBackColor(1, 1), clBtnFace) << "the current cell in edit mode";
    grid->Col(1)->SetReadOnly(true);
    EXPECT_EQ(grid->GetButtonBackColor(1, 1), grColorNotSet);
}

}  // namespace

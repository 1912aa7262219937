// A column's combo drops down: a key picks a row and Enter takes it; drop-downs are
// placed inside the work area of the cell's screen, its origin included;
// a date-time popup runs modally until it closes.

#include <gtest/gtest.h>

#include <string>

#include "grid/GridComboGrid.h"
#include "grid/GridDropDown.h"
#include "grid/TSGrid.h"
#include "grid/tests/GridClassSupport.h"
#include "grid/tests/GridDateTimeSupport.h"
#include "platform/gui/Forms.h"

namespace {

// A grid whose screen has a work area chosen by the test.
class TPlacedGrid : public TLogGrid {
public:
    using TLogGrid::TLogGrid;
    using TgrBaseGrid::ProcessKeyDown;
    TRect WorkArea{0, 0, 1920, 1080};
    TRect WorkAreaAt(const TPoint&) const override { return WorkArea; }
};

class GridDropDownPlace : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        form = new TForm(Application);
        form->SetBounds(0, 0, 400, 300);
        grid = new TPlacedGrid(form);
        grid->SetParent(form);
        grid->SetBounds(0, 0, 300, 200);
        grid->SetCols(3);
        grid->SetRows(3);
        grid->SetStoreData(true);
        grid->Col(2)->SetButtonType(btCombo);
        grid->Col(2)->CreateCombo();
        TgrBaseGrid* own = grid->Col(2)->Combo()->ComboGrid();
        own->SetRows(4);
        for (Integer r = 1; r <= 4; ++r) own->PutCellValue(1, r, Variant("item " + std::to_string(r)));
        form->Show();
        grid->SetFocus();
        ASSERT_TRUE(grid->MoveToDisplayCell(2, 1));
    }
    void TearDown() override { Application->ResetForTesting(); }
    void Key(Word16 key, TShiftState shift = {}) { grid->ProcessKeyDown(key, shift); }
    TForm* form = nullptr;
    TPlacedGrid* grid = nullptr;
};

}  // namespace

TEST_F(GridDropDownPlace, AColumnsComboDropsDownAndTakesAKeyChoice) {
    Key(VK_F4);
    ASSERT_TRUE(grid->IsComboDropDownShown());
    // The working combo drops down, loaded from the column's own combo.
    EXPECT_EQ(grid->DroppedCombo(), grid->GetCombo());
    EXPECT_EQ(grid->SourceCombo(), grid->Col(2)->Combo());
    TgrBaseGrid* list = grid->DroppedCombo()->ComboGrid();
    ASSERT_EQ(list->Rows(), 4);
    EXPECT_EQ(list->GetCellValue(1, 3).AsString(), "item 3");
    Key(VK_DOWN);
    Key(VK_DOWN);
    Key(VK_RETURN);
    EXPECT_FALSE(grid->IsComboDropDownShown());
    EXPECT_EQ(grid->GetCellValue(2, 1).AsString(), "item 3");
    // Esc closes without taking anything.
    Key(VK_F4);
    ASSERT_TRUE(grid->IsComboDropDownShown());
    Key(VK_DOWN);
    Key(VK_ESCAPE);
    EXPECT_FALSE(grid->IsComboDropDownShown());
    EXPECT_EQ(grid->GetCellValue(2, 1).AsString(), "item 3");
}

TEST_F(GridDropDownPlace, DropDownsStayInsideAWorkAreaWithItsOrigin) {
    TRect cell = grid->CellPixels(2, 1);
    TPoint under = grid->ClientToScreen(TPoint(cell.Left, cell.Bottom));
    struct Case {
        const char* name;
        TRect work;
        TPoint size;
        TPoint expected;
    } cases[] = {
        {"fits below the cell", TRect(-50, -50, 1000, 800), TPoint(80, 60), under},
        {"a second screen right of the first: moved inside it",
         TRect(under.X + 40, 0, under.X + 100, 800), TPoint(50, 60), TPoint(under.X + 40, under.Y)},
        {"past the right edge: moved left", TRect(-1920, 0, under.X + 60, 800), TPoint(100, 60),
         TPoint(under.X - 40, under.Y)},
        {"past the bottom: above the cell", TRect(0, under.Y - 200, 1000, under.Y + 20), TPoint(80, 60),
         TPoint(under.X, under.Y - grid->GetRowHeightAt(1) - 60)},
    };
    for (const Case& c : cases) {
        grid->WorkArea = c.work;
        TPoint p = under;
        grid->FitDropDownToWorkArea(2, 1, c.size, p);
        EXPECT_EQ(p.X, c.expected.X) << c.name;
        EXPECT_EQ(p.Y, c.expected.Y) << c.name;
    }
    // A popup is centred in the work area, its origin added.
    grid->WorkArea = TRect(1920, 100, 3840, 1180);
    TPoint centred;
    grid->CenterInWorkArea(2, 1, TPoint(200, 100), centred);
    EXPECT_EQ(centred.X, 1920 + (1920 - 200) / 2);
    EXPECT_EQ(centred.Y, 100 + (1080 - 100) / 2);
    // The list's window itself lands there.
    grid->WorkArea = TRect(-1920, 0, under.X + 60, 800);
    Word16 key = VK_F4;
    grid->ProcessKeyDown(key, {});
    ASSERT_TRUE(grid->IsComboDropDownShown());
    EXPECT_LE(grid->DropDownForm()->Left() + grid->DropDownForm()->Width(), under.X + 60);
    EXPECT_GE(grid->DropDownForm()->Left(), -1920);
}

TEST_F(GridDropDownPlace, ADateTimePopupRunsModallyUntilItClosesAndTakesItsAnswer) {
    TTestDateTimeEditors editors;
    editors.Register();
    grid->Col(1)->SetButtonType(btDateTimePopup);
    grid->SetDateTimeDef(new TgrDateTimeDefComponent(grid));
    ASSERT_TRUE(grid->MoveToDisplayCell(1, 1));
    // Closed without an answer: nothing taken.
    ASSERT_TRUE(grid->DropDownDateTime());
    EXPECT_EQ(editors.Opened, 1);
    EXPECT_FALSE(grid->IsDateTimeDropDownShown());
    EXPECT_FALSE(grid->IsDateTimeModal());
    EXPECT_TRUE(grid->GetCellValue(1, 1).AsString().empty());
    auto* dtForm = static_cast<TgrDropDownForm*>(grid->DateTimeForm());
    ASSERT_NE(dtForm, nullptr);
    EXPECT_FALSE(dtForm->DropDownStyle()) << "a popup is a tool window";
    // Accepted: the value goes into the cell after the loop.
    editors.Answer = [](TgrDateTimeEditor& e) {
        e.Value = Variant(std::string("picked"));
        e.OnAccept();
    };
    ASSERT_TRUE(grid->DropDownDateTime());
    EXPECT_EQ(editors.Opened, 2);
    EXPECT_EQ(grid->GetCellValue(1, 1).AsString(), "picked");
    EXPECT_FALSE(grid->IsAnyDropDownShown());
}

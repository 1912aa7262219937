// A column's own detail button on the real grid class: its size in the
// cell, the press events on it, and copying and freeing it.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "grid/GridButtons.h"
#include "grid/TSGrid.h"
#include "grid/tests/GridClassSupport.h"
#include "platform/gui/Bitmap.h"
#include "platform/gui/Forms.h"

namespace {

class TButtonGrid : public TLogGrid {
public:
    using TLogGrid::TLogGrid;
    using TgrBaseGrid::MouseMove;
    using TgrBaseGrid::MouseUp;
    std::vector<std::string> Events;
    void FireButtonDown(Integer c, Integer r) override { Events.push_back("down " + At(c, r)); }
    void FireButtonUp(Integer c, Integer r) override { Events.push_back("up " + At(c, r)); }
    void FireButtonClick(Integer c, Integer r) override { Events.push_back("click " + At(c, r)); }

private:
    static std::string At(Integer c, Integer r) { return std::to_string(c) + "," + std::to_string(r); }
};

class GridNormalButton : public ::testing::Test {
protected:
    void SetUp() override {
        grid = ShownGrid<TButtonGrid>(form, 2, 3);
        grid->Col(1)->SetButtonType(btNormal);
        grid->Col(2)->SetButtonType(btNormal);
        form->Show();
    }
    void TearDown() override { Application->ResetForTesting(); }
    TForm* form = nullptr;
    TButtonGrid* grid = nullptr;
};

TEST_F(GridNormalButton, OwnButtonTakesItsWidthAndKeepsACopyOfTheGlyph) {
    Integer plain = CellButtonRect(grid, 1, 1).Width();
    ASSERT_EQ(plain, grid->GetCellButton(2, btNormal)->TotalWidth());
    auto glyph = FilledBitmap(20, 8, clRed);
    grid->Col(1)->SetButton(glyph.get(), 8, 20, grColorNotSet);
    TgrNormalButton* own = grid->Col(1)->NormalButton();
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own->TotalWidth(), 20 + 2 * grid->ButtonEdgeWidth());
    EXPECT_EQ(CellButtonRect(grid, 1, 1).Width(), own->TotalWidth());
    EXPECT_EQ(CellButtonRect(grid, 2, 1).Width(), plain) << "other columns keep the default button";
    // The caller's glyph may go away: the button has its own copy.
    glyph.reset();
    ASSERT_NE(own->GetBitmap(), nullptr);
    EXPECT_EQ(own->GetBitmap()->Width(), 20);
    EXPECT_EQ(ColorToRGB(own->GetBitmap()->Canvas()->GetPixel(3, 3)), ColorToRGB(clRed));
    // No glyph: no own button, the default one again.
    grid->Col(1)->SetButton(nullptr, 8, 20, grColorNotSet);
    EXPECT_EQ(grid->Col(1)->NormalButton(), nullptr);
    EXPECT_EQ(CellButtonRect(grid, 1, 1).Width(), plain);
}

TEST_F(GridNormalButton, NegativeSizesAreTakenAsNothing) {
    auto glyph = FilledBitmap(4, 4, clBlue);
    grid->Col(1)->SetButton(glyph.get(), -5, -30, grColorNotSet);
    TgrNormalButton* own = grid->Col(1)->NormalButton();
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own->GetWidth(), 0);
    EXPECT_EQ(own->GetHeight(), 0);
    EXPECT_GE(CellButtonRect(grid, 1, 1).Width(), 0);
}

TEST_F(GridNormalButton, PressOnTheWideButtonFiresItsEvents) {
    TRect plain = CellButtonRect(grid, 1, 1);
    auto glyph = FilledBitmap(40, 8, clRed);
    grid->Col(1)->SetButton(glyph.get(), 8, 40, grColorNotSet);
    TRect b = CellButtonRect(grid, 1, 1);
    ASSERT_LT(b.Left, plain.Left);
    // A point on the wide button but left of where the default one starts.
    Integer x = b.Left + 2, y = b.Top + 3;
    ASSERT_LT(x, plain.Left);
    grid->MouseDown(mbLeft, {}, int(x), int(y));
    grid->MouseUp(mbLeft, {}, int(x), int(y));
    EXPECT_EQ(grid->Events, (std::vector<std::string>{"down 1,1", "click 1,1", "up 1,1"}));
}

TEST_F(GridNormalButton, CopyingAColumnCopiesItsButtonAndFreeingDropsIt) {
    auto glyph = FilledBitmap(12, 6, clLime);
    grid->Col(1)->SetButton(glyph.get(), 6, 12, clLime);
    grid->Col(2)->Assign(grid->Col(1));
    TgrNormalButton* copy = grid->Col(2)->NormalButton();
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, grid->Col(1)->NormalButton());
    EXPECT_NE(copy->GetBitmap(), grid->Col(1)->NormalButton()->GetBitmap()) << "an own copy of the glyph";
    EXPECT_EQ(copy->GetWidth(), 12);
    EXPECT_EQ(copy->GetHeight(), 6);
    EXPECT_EQ(copy->GetColor(), clLime);
    EXPECT_EQ(copy->GetBitmap()->Width(), 12);

    // Freeing the source leaves the copy working.
    grid->Col(1)->FreeButton();
    EXPECT_EQ(grid->Col(1)->NormalButton(), nullptr);
    EXPECT_EQ(CellButtonRect(grid, 2, 1).Width(), 12 + 2 * grid->ButtonEdgeWidth());

    // Copying a column without a button frees the own one.
    grid->Col(2)->CopyButton(grid->Col(1)->NormalButton());
    EXPECT_EQ(grid->Col(2)->NormalButton(), nullptr);
    EXPECT_EQ(CellButtonRect(grid, 2, 1).Width(), grid->GetCellButton(2, btNormal)->TotalWidth());
}

}  // namespace

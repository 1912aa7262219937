// The grid's button objects on the real grid class: their sizes, their
// shared and own pictures, the one object of each kind a grid keeps, and
// hit tests and painting that follow the objects' sizes.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <QImage>

#include "grid/GridButtons.h"
#include "grid/TSGrid.h"
#include "grid/tests/GridClassSupport.h"
#include "platform/gui/Bitmap.h"
#include "platform/gui/Forms.h"

namespace {

class TButtonGrid : public TLogGrid {
public:
    using TLogGrid::TLogGrid;
    using TgrBaseGrid::MouseUp;
    std::vector<std::string> Events;
    void FireButtonDown(Integer, Integer) override { Events.push_back("down"); }
    void FireButtonUp(Integer, Integer) override { Events.push_back("up"); }
    void FireButtonClick(Integer, Integer) override { Events.push_back("click"); }
};

int CountColour(const QImage& image, const TRect& r, QRgb colour) {
    int n = 0;
    for (int y = std::max(0, r.Top); y < std::min(image.height(), r.Bottom); ++y)
        for (int x = std::max(0, r.Left); x < std::min(image.width(), r.Right); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == colour) ++n;
    return n;
}

class GridButtons : public ::testing::Test {
protected:
    void SetUp() override {
        grid = ShownGrid<TButtonGrid>(form, 3, 3);
        grid->SetDefaultRowHeight(20);
        grid->Col(1)->SetButtonType(btCombo);
        grid->Col(2)->SetButtonType(btNormal);
        grid->Col(3)->SetButtonType(btVertSpin);
        form->Show();
    }
    void TearDown() override { Application->ResetForTesting(); }
    QImage Picture() {
        grid->Update();
        return grid->Surface().copy();
    }
    TForm* form = nullptr;
    TButtonGrid* grid = nullptr;
};

TEST_F(GridButtons, TotalsAddTheEdgesOrHoldTwoHalves) {
    grid->SetButtonEdgeWidth(3);
    struct Case {
        const char* name;
        std::unique_ptr<TgrCustomButton> button;
        Integer width, height;
    };
    Case cases[] = {
        {"combo", std::make_unique<TgrComboButton>(grid, 9, 11, grColorNotSet, nullptr), 11 + 6, 9 + 6},
        {"normal", std::make_unique<TgrNormalButton>(grid, 9, 11, grColorNotSet, nullptr), 17, 15},
        {"date-time", std::make_unique<TgrDateTimeButton>(grid, 9, 11, grColorNotSet, nullptr), 17, 15},
        {"vertical spin", std::make_unique<TgrVertSpinButton>(grid, 9, 11, grColorNotSet, nullptr), 17, 2 * 9 + 1},
        {"horizontal spin", std::make_unique<TgrHorzSpinButton>(grid, 9, 11, grColorNotSet, nullptr), 2 * 11 + 1,
         15},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.button->TotalWidth(), c.width) << c.name;
        EXPECT_EQ(c.button->TotalHeight(), c.height) << c.name;
    }
}

TEST_F(GridButtons, SharedPicturesStayAndOtherPicturesAreCopied) {
    TBitmap* arrow = GridButtonBitmap("GRARROWCOMBO");
    TBitmap* dots = GridButtonBitmap("GRBUTDETAIL");
    ASSERT_NE(arrow, nullptr);
    ASSERT_NE(dots, nullptr);
    EXPECT_EQ(arrow->Width(), 5);
    EXPECT_EQ(arrow->Height(), 5);
    EXPECT_EQ(dots->Width(), 7);
    EXPECT_EQ(dots->Height(), 5);
    EXPECT_EQ(GridButtonBitmap("GRNOSUCH"), nullptr);

    {
        TgrComboButton combo(grid, 9, 11, grColorNotSet, arrow);
        EXPECT_EQ(combo.GetBitmap(), arrow);
        EXPECT_TRUE(combo.UsesDefaultBitmap());
    }
    // The shared picture survives the button that showed it.
    EXPECT_EQ(arrow->Width(), 5);
    EXPECT_EQ(arrow->Canvas()->GetPixel(2, 3), clBlack);

    auto own = FilledBitmap(6, 4, clRed);
    TgrComboButton combo(grid, 9, 11, grColorNotSet, own.get());
    EXPECT_NE(combo.GetBitmap(), own.get()) << "a copy, not the caller's picture";
    EXPECT_FALSE(combo.UsesDefaultBitmap());
    own.reset();
    EXPECT_EQ(combo.GetBitmap()->Width(), 6);
    combo.SetBitmap(nullptr);
    EXPECT_EQ(combo.GetBitmap(), arrow);

    // A date-time button remembers which shared picture it shows.
    TgrDateTimeButton popup(grid, 9, 11, grColorNotSet, dots);
    EXPECT_EQ(popup.GetBitmap(), dots);
    EXPECT_TRUE(popup.UsesDetailBitmap());
    EXPECT_TRUE(popup.UsesDefaultBitmap());
    popup.SetBitmap(nullptr);
    EXPECT_EQ(popup.GetBitmap(), dots);
}

TEST_F(GridButtons, OneObjectOfEachKindIsMadeOnFirstUseAndRemembered) {
    struct Case {
        TgrButtonType type;
        Integer height, width;
    } cases[] = {
        {btCombo, 9, 11},
        {btNormal, 9, 11},
        {btDateTimeDropDown, 9, 11},
        {btDateTimePopup, 9, 11},
        {btVertSpin, 9, 11},
        {btHorzSpin, 11, 9},  // lying on its side
    };
    grid->SetSpinButtonHeight(9);
    grid->SetSpinButtonWidth(11);
    std::vector<TgrCustomButton*> seen;
    for (const Case& c : cases) {
        TgrCustomButton* b = grid->GetCellButton(1, c.type);
        ASSERT_NE(b, nullptr) << int(c.type);
        EXPECT_EQ(b, grid->GetCellButton(2, c.type)) << "shared by every cell";
        EXPECT_EQ(b->GetHeight(), c.height) << int(c.type);
        EXPECT_EQ(b->GetWidth(), c.width) << int(c.type);
        EXPECT_EQ(b->GetColor(), grColorNotSet);
        for (TgrCustomButton* other : seen) EXPECT_NE(b, other) << int(c.type);
        seen.push_back(b);
    }
    EXPECT_EQ(grid->GetCellButton(1, btDateTimeDropDown)->GetBitmap(), GridButtonBitmap("GRARROWCOMBO"));
    EXPECT_EQ(grid->GetCellButton(1, btDateTimePopup)->GetBitmap(), GridButtonBitmap("GRBUTDETAIL"));
    // Another type answers the combo button.
    EXPECT_EQ(grid->GetCellButton(1, btNone), grid->GetCellButton(1, btCombo));

    // A column with a detail button of its own gives that one; once the
    // column frees it, nothing remembers it.
    auto glyph = FilledBitmap(8, 6, clRed);
    grid->Col(2)->SetButton(glyph.get(), 6, 16, grColorNotSet);
    TgrCustomButton* own = grid->GetCellButton(2, btNormal);
    EXPECT_EQ(own, grid->Col(2)->NormalButton());
    EXPECT_NE(own, grid->GetCellButton(1, btNormal));
    TRect cell = grid->CellPixels(2, 1);
    ASSERT_TRUE(grid->IsOverCellButton(cell.Right - 3, cell.Top + 3, 2, 1));
    EXPECT_EQ(grid->CurrentButton(), own) << "the hit test remembers the button it found";
    grid->Col(2)->FreeButton();
    EXPECT_EQ(grid->CurrentButton(), nullptr);
}

TEST_F(GridButtons, SizeChangesRemakeTheButtons) {
    TgrCustomButton* combo = grid->GetCellButton(1, btCombo);
    ASSERT_EQ(combo->GetWidth(), 11);
    grid->Take();
    grid->SetDefaultButtonWidth(15);
    EXPECT_NE(grid->Take().find("all"), std::string::npos) << "repainted";
    EXPECT_EQ(grid->GetCellButton(1, btCombo)->GetWidth(), 15);
    EXPECT_EQ(grid->GetCellButton(1, btNormal)->GetWidth(), 15);
    EXPECT_EQ(CellButtonRect(grid, 1, 1).Width(), 15 + 2 * grid->ButtonEdgeWidth());

    // A combo button with a picture of its own stays and takes the size.
    auto own = FilledBitmap(6, 4, clRed);
    TgrCustomButton* kept = grid->GetCellButton(1, btCombo);
    kept->SetBitmap(own.get());
    grid->SetDefaultButtonHeight(7);
    EXPECT_EQ(grid->GetCellButton(1, btCombo), kept);
    EXPECT_EQ(kept->GetHeight(), 7);
    EXPECT_FALSE(kept->UsesDefaultBitmap());

    grid->SetSpinButtonHeight(5);
    EXPECT_EQ(grid->GetCellButton(3, btVertSpin)->TotalHeight(), 2 * 5 + 1);
    EXPECT_EQ(grid->GetCellButton(3, btHorzSpin)->TotalWidth(), 2 * 5 + 1);

    grid->FreeComboButton();
    grid->FreeNormalButton();
    EXPECT_EQ(grid->GetCellButton(1, btDefault), nullptr) << "no combo button until it is used again";
    EXPECT_EQ(grid->CurrentButton(), nullptr);
}

TEST_F(GridButtons, HitTestsFollowTheButtonObject) {
    TRect cell = grid->CellPixels(2, 1);
    Integer right = cell.Right - 1;
    TgrCustomButton* normal = grid->GetCellButton(2, btNormal);
    // Widened through the object alone, the button takes more of the cell.
    normal->SetWidth(30);
    Integer width = normal->TotalWidth();
    EXPECT_EQ(CellButtonRect(grid, 2, 1).Width(), width);
    EXPECT_TRUE(grid->IsOverCellButton(right - width + 2, cell.Top + 3, 2, 1));
    EXPECT_FALSE(grid->IsOverCellButton(right - width - 2, cell.Top + 3, 2, 1));
    // Lowered through the object, a point below the button misses it.
    normal->SetHeight(4);
    EXPECT_TRUE(grid->IsOverCellButton(right - 2, cell.Top + normal->TotalHeight(), 2, 1));
    EXPECT_FALSE(grid->IsOverCellButton(right - 2, cell.Top + normal->TotalHeight() + 2, 2, 1));
    // Only a cell that can react: not in browse mode, not read-only.
    grid->SetGridMode(gmBrowse);
    EXPECT_FALSE(grid->IsOverCellButton(right - 2, cell.Top + 3, 2, 1));
    grid->SetGridMode(gmEdit);

    // A press there is a button press.
    grid->MouseDown(mbLeft, {}, int(right - width + 3), int(cell.Top + 3));
    grid->MouseUp(mbLeft, {}, int(right - width + 3), int(cell.Top + 3));
    EXPECT_EQ(grid->Events, (std::vector<std::string>{"down", "click", "up"}));

    // The spin halves split the object's total height.
    TgrCustomButton* spin = grid->GetCellButton(3, btVertSpin);
    spin->SetHeight(4);
    TRect s = CellButtonRect(grid, 3, 1);
    Integer top = s.Top;  // the halves start under the grid line
    EXPECT_EQ(grid->HitTestSpinButton(s.Right - 2, top + 1, 1, 3), spbUp);
    EXPECT_EQ(grid->HitTestSpinButton(s.Right - 2, top + 5, 1, 3), spbDown);
    EXPECT_EQ(grid->HitTestSpinButton(s.Right - 2, top + 12, 1, 3), spbNone) << "below the button";
}

TEST_F(GridButtons, PicturesAreTheObjectsAndMoveWithTheirWidth) {
    grid->SetInactiveButtonState(ibsPicture);
    // The arrow's three black rows in the combo button, the dots in the
    // detail button.
    QImage p = Picture();
    TRect combo = CellButtonRect(grid, 1, 1), detail = CellButtonRect(grid, 2, 1);
    EXPECT_EQ(CountColour(p, combo, 0), 9) << "the 5 x 5 arrow";
    EXPECT_EQ(CountColour(p, detail, 0), 3) << "three dots";

    // Wider buttons draw their arrow further left, at the new width.
    auto arrowLeft = [](const QImage& image, const TRect& r) {
        for (int x = r.Left; x < r.Right; ++x)
            for (int y = r.Top; y < r.Bottom; ++y)
                if ((image.pixel(x, y) & 0xFFFFFF) == 0) return x;
        return -1;
    };
    int before = arrowLeft(p, combo);
    grid->SetDefaultButtonWidth(21);
    p = Picture();
    TRect wide = CellButtonRect(grid, 1, 1);
    EXPECT_EQ(wide.Width(), 21 + 2 * grid->ButtonEdgeWidth());
    EXPECT_EQ(arrowLeft(p, wide), before - 5);
    EXPECT_EQ(CountColour(p, wide, 0), 9);
}

}  // namespace

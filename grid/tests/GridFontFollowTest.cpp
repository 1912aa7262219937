// Fonts that follow others on the real grid class: the heading font
// follows the parent's font while HeadingParentFont, also when the grid's
// own font does not; the copies kept by columns and rows follow the grid
// font without becoming the user's own fonts.

#include <gtest/gtest.h>

#include "grid/tests/GridOnForm.h"

namespace {

class GridFontFollow : public TGridOnFormTest {
protected:
    void SetUp() override {
        ShowGrid(400, 200, 4, 6);
        grid->SetColor(clWhite);
        grid->Col(1)->SetHeading("Heading");
    }
    // The painted height of the heading caption of column 1: dark pixels
    // of its cell, counted by rows.
    int CaptionHeight() {
        grid->Invalidate();
        grid->Update();
        TRect r = grid->CellPixels(1, 0);
        int top = -1, bottom = -1;
        for (int y = r.Top + 1; y < r.Bottom - 1; ++y)
            for (int x = r.Left + 1; x < r.Right - 1; ++x)
                if (qGray(grid->Surface().pixel(x, y)) < 100) {
                    if (top < 0) top = y;
                    bottom = y;
                    break;
                }
        return top < 0 ? 0 : bottom - top + 1;
    }
};

TEST_F(GridFontFollow, TheHeadingFollowsTheParentsFontWhileHeadingParentFont) {
    grid->SetHeadingHeight(40);
    int before = CaptionHeight();
    form->Font()->SetSize(20);
    EXPECT_EQ(grid->HeadingFont()->Size(), 20);
    EXPECT_TRUE(grid->HeadingParentFont());
    EXPECT_GT(CaptionHeight(), before);

    // A grid with a font of its own still hands the heading the parent's.
    TFont own;
    own.SetSize(9);
    grid->Font()->Assign(own);
    ASSERT_FALSE(grid->ParentFont());
    form->Font()->SetSize(16);
    EXPECT_EQ(grid->HeadingFont()->Size(), 16);
    EXPECT_EQ(grid->Font()->Size(), 9);

    // A heading font set by hand stays; following the parent again takes
    // the parent's font at once.
    TFont heading;
    heading.SetSize(11);
    grid->SetHeadingFont(heading);
    EXPECT_FALSE(grid->HeadingParentFont());
    form->Font()->SetSize(18);
    EXPECT_EQ(grid->HeadingFont()->Size(), 11);
    grid->SetHeadingParentFont(true);
    EXPECT_EQ(grid->HeadingFont()->Size(), 18);
}

TEST_F(GridFontFollow, AGridPlacedOnAFormTakesItsFontForTheHeading) {
    TForm* other = new TForm(Application);
    other->Font()->SetSize(15);
    auto* placed = new TInputGrid(other);
    placed->SetParent(other);
    EXPECT_EQ(placed->HeadingFont()->Size(), 15);
    EXPECT_TRUE(placed->HeadingParentFont());
}

TEST_F(GridFontFollow, KeptCopiesFollowTheGridFontAndStayParentFonts) {
    TgrCol* col = grid->Col(2);
    col->SetKeepFontObject(true);
    ASSERT_TRUE(col->GetFont());  // the kept copy of the grid font
    ASSERT_TRUE(col->GetHeadingFont());
    grid->SetRowKeepFontObject(3, true);
    TgrRow* row = grid->GridRows()->GetRow(3);
    ASSERT_TRUE(row && row->GetFont());

    grid->Font()->SetSize(17);
    EXPECT_EQ(col->OwnFont()->Size(), 17);
    EXPECT_TRUE(col->ParentFont());
    EXPECT_EQ(row->OwnFont()->Size(), 17);
    EXPECT_TRUE(row->ParentFont());

    TFont heading;
    heading.SetSize(13);
    grid->SetHeadingFont(heading);
    EXPECT_EQ(col->OwnHeadingFont()->Size(), 13);
    EXPECT_TRUE(col->HeadingParentFont());
    EXPECT_FALSE(grid->HeadingParentFont());
}

}  // namespace

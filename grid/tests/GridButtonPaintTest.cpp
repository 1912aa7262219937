// Cell buttons as the real grid paints them: the inactive-button states,
// spin halves in a low cell, a pressed spin half, and a button repainted on
// its own over a selection shown by inversion.

#include <gtest/gtest.h>

#include "grid/tests/GridOnForm.h"

namespace {

constexpr QRgb kFace = 0xF0F0F0, kWhite = 0xFFFFFF;

class GridButtonPaint : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        form = new TForm(Application);
        form->SetBounds(0, 0, 500, 300);
        grid = new TPaintingGrid(form);
        grid->SetParent(form);
        grid->SetBounds(0, 0, 400, 220);
        grid->SetCols(3);
        grid->SetRows(5);
        grid->SetColor(clWhite);
        grid->SetStoreData(true);
        form->Show();
        grid->SetFocus();
    }
    void TearDown() override { Application->ResetForTesting(); }
    const QImage& Picture() {
        grid->Invalidate();
        grid->Update();
        return grid->Surface();
    }
    TRect Button(Integer c, Integer r) {
        TgrCellPaintInfo info;
        EXPECT_TRUE(grid->FillDrawInfo(c, r, info));
        return info.ButtonRect;
    }
    static int Count(const QImage& p, const TRect& r, QRgb colour) {
        int n = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                if ((p.pixel(x, y) & 0xFFFFFF) == colour) ++n;
        return n;
    }
    // The first black pixel of a rectangle, row by row.
    static TPoint FirstBlack(const QImage& p, const TRect& r) {
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                if ((p.pixel(x, y) & 0xFFFFFF) == 0) return TPoint(x, y);
        return TPoint(-1, -1);
    }
    TForm* form = nullptr;
    TPaintingGrid* grid = nullptr;
};

TEST_F(GridButtonPaint, InactiveButtonsShowByTheirState) {
    grid->Col(1)->SetButtonType(btCombo);
    struct Case {
        const char* name;
        TgrInactiveButtonState state;
        int otherArrow;  // black pixels of the arrow in a cell that is not current
        bool otherFace;  // whether that cell's button shows the face colour
    } cases[] = {
        {"ibsBackGround: every button on its face", ibsBackGround, 9, true},
        {"ibsPicture: the picture on the plain cell", ibsPicture, 9, false},
        {"ibsNone: only the current cell's button", ibsNone, 0, false},
    };
    for (const Case& c : cases) {
        grid->SetInactiveButtonState(c.state);
        const QImage& p = Picture();
        TRect current = Button(1, 1), other = Button(1, 3);
        EXPECT_EQ(Count(p, current, 0), 9) << c.name << ": the current cell in edit mode";
        EXPECT_EQ(Count(p, other, 0), c.otherArrow) << c.name;
        EXPECT_EQ(Count(p, other, kFace) > 0, c.otherFace) << c.name;
        if (!c.otherFace) EXPECT_GT(Count(p, other, kWhite), 0) << c.name;
    }
}

TEST_F(GridButtonPaint, LowCellsStillGetTwoSpinHalvesOfThreePixels) {
    grid->SetCellButtonType(2, 3, btVertSpin);
    grid->SetRowHeight(3, 5);
    TgrCellPaintInfo info;
    ASSERT_TRUE(grid->FillDrawInfo(2, 3, info));
    TRect up, down;
    EXPECT_EQ(grid->CalcSpinRects(info, up, down), 3);
    EXPECT_EQ(up.Height(), 3);
    EXPECT_EQ(down.Top, up.Bottom);
    EXPECT_LE(down.Bottom, info.ButtonRect.Bottom) << "clipped to the cell";
    EXPECT_GT(down.Height(), 0);
    // Drawn, nothing of the button leaves its cell.
    QImage before = Picture().copy();
    TRect below = grid->CellPixels(2, 4);
    EXPECT_EQ(Count(before, TRect(info.ButtonRect.Left, below.Top, info.ButtonRect.Right, below.Top + 3), kFace), 0);
}

TEST_F(GridButtonPaint, APressedSpinHalfAloneIsSunkenWithItsArrowMoved) {
    grid->Col(2)->SetButtonType(btVertSpin);
    grid->SetDefaultRowHeight(24);
    QImage up = Picture().copy();
    TgrCellPaintInfo info;
    ASSERT_TRUE(grid->FillDrawInfo(2, 2, info));
    TRect upper, lower;
    grid->CalcSpinRects(info, upper, lower);
    TPoint arrow = FirstBlack(up, lower);
    ASSERT_GE(arrow.X, 0) << "the down arrow";
    SendLeftMouse(grid->Widget(), QEvent::MouseButtonPress, TPoint(lower.Left + 3, lower.Top + 3));
    ASSERT_EQ(grid->PressedSpinHalf(), spbDown);
    grid->Update();
    const QImage& held = grid->Surface();
    EXPECT_EQ(FirstBlack(held, lower), TPoint(arrow.X + 1, arrow.Y + 1)) << "one pixel right and down";
    // The upper half is drawn as before; the lower one has its shadow on
    // the top-left.
    for (int y = upper.Top; y < upper.Bottom; ++y)
        for (int x = upper.Left; x < upper.Right; ++x)
            ASSERT_EQ(held.pixel(x, y), up.pixel(x, y)) << x << "," << y;
    EXPECT_NE(held.pixel(lower.Left, lower.Top + 3), up.pixel(lower.Left, lower.Top + 3));
    SendLeftMouse(grid->Widget(), QEvent::MouseButtonRelease, TPoint(lower.Left + 3, lower.Top + 3));
}

TEST_F(GridButtonPaint, AButtonRepaintedOnItsOwnKeepsTheInvertedSelection) {
    grid->Col(2)->SetButtonType(btNormal);
    grid->SelectDisplayRows(3, 3);
    QImage selected = Picture().copy();
    TRect b = Button(2, 3);
    ASSERT_LT(Count(selected, b, kFace), 3) << "the face shows inverted";
    grid->RepaintCellButton(2, 3, 0, clBtnFace, spbNone, TgrBaseGrid::kSpinBothMask);
    for (int y = b.Top; y < b.Bottom; ++y)
        for (int x = b.Left; x < b.Right; ++x)
            ASSERT_EQ(grid->Surface().pixel(x, y), selected.pixel(x, y)) << x << "," << y;
}

}  // namespace

#include <gtest/gtest.h>

#include "platform/gui/Caret.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Forms.h"

namespace {

class Painted : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    void Fill(TColor c, const TRect& r) {
        Canvas()->Brush()->SetColor(c);
        Canvas()->FillRect(r);
    }
protected:
    void Paint() override {}
};

class ScrollCaptureCaretTest : public ::testing::Test {
protected:
    void SetUp() override { Application->Initialize(); }
    void TearDown() override { Application->ResetForTesting(); }
};

}  // namespace

TEST_F(ScrollCaptureCaretTest, ScrollWindowMovesPixelsAndInvalidatesTheUncoveredStrip) {
    Painted c(nullptr);
    c.SetBounds(0, 0, 40, 30);
    c.Update();
    c.Fill(clWhite, TRect(0, 0, 40, 30));
    c.Fill(clRed, TRect(20, 0, 25, 30));
    // Only the area right of x = 10 scrolls, 5 pixels to the left.
    c.ScrollWindow(-5, 0, TRect(10, 0, 40, 30), TRect(10, 0, 40, 30));
    EXPECT_EQ(c.Canvas()->GetPixel(15, 5), clRed);
    EXPECT_EQ(c.Canvas()->GetPixel(20, 5), clWhite);
    EXPECT_EQ(c.InvalidBounds(), TRect(35, 0, 40, 30));
    // A pending invalid part moves with the pixels.
    c.ValidateRect(c.ClientRect());
    c.InvalidateRect(TRect(30, 0, 32, 30));
    c.ScrollWindow(0, 0, TRect(0, 0, 40, 30), TRect(0, 0, 40, 30));
    c.ScrollWindow(-10, 0, TRect(0, 0, 40, 30), TRect(0, 0, 40, 30));
    EXPECT_TRUE(c.IsInvalid(20, 5));
    EXPECT_TRUE(c.IsInvalid(30, 5));
    EXPECT_TRUE(c.IsInvalid(35, 5));
    EXPECT_FALSE(c.IsInvalid(10, 5));
}

TEST_F(ScrollCaptureCaretTest, ScrollBarsTakeTheirThicknessFromTheClientArea) {
    Painted c(nullptr);
    c.SetBounds(0, 0, 100, 80);
    EXPECT_EQ(c.ClientWidth(), 100);
    c.SetScrollRange(TCustomControl::sbVertical, 0, 127);
    EXPECT_TRUE(c.ScrollBarShown(TCustomControl::sbVertical));
    EXPECT_EQ(c.ClientWidth(), 100 - ScrollBarThickness);
    c.SetScrollPos(TCustomControl::sbVertical, 200);
    EXPECT_EQ(c.GetScrollPos(TCustomControl::sbVertical), 127);
    c.SetScrollRange(TCustomControl::sbVertical, 0, 0);
    EXPECT_FALSE(c.ScrollBarShown(TCustomControl::sbVertical));
    EXPECT_EQ(c.GetScrollPos(TCustomControl::sbVertical), 0);
    EXPECT_EQ(c.ClientWidth(), 100);
}

TEST_F(ScrollCaptureCaretTest, OneControlHoldsTheCaptureUntilReleasedOrFreed) {
    auto* a = new Painted(nullptr);
    Painted b(nullptr);
    a->SetMouseCapture(true);
    EXPECT_EQ(GetCaptureControl(), a);
    b.SetMouseCapture(true);
    EXPECT_FALSE(a->MouseCapture());
    a->SetMouseCapture(false);  // not the holder: nothing changes
    EXPECT_EQ(GetCaptureControl(), &b);
    b.SetMouseCapture(false);
    a->SetMouseCapture(true);
    delete a;
    EXPECT_EQ(GetCaptureControl(), nullptr);
}

TEST_F(ScrollCaptureCaretTest, CaretBelongsToItsOwnerAndCountsShows) {
    Painted a(nullptr), b(nullptr);
    CreateCaret(&a, 1, 14);
    EXPECT_FALSE(CaretState().Shown());
    ShowCaret(&b);  // not the owner
    EXPECT_FALSE(CaretState().Shown());
    ShowCaret(&a);
    SetCaretPos(3, 4);
    EXPECT_TRUE(CaretState().Shown());
    EXPECT_EQ(CaretState().Pos, TPoint(3, 4));
    HideCaret(&a);
    EXPECT_FALSE(CaretState().Shown());
    DestroyCaret();
    EXPECT_EQ(CaretState().Owner, nullptr);
}

#include <gtest/gtest.h>

#include "grid/GridControlTypes.h"
#include "platform/gui/Forms.h"

namespace {

class Strategies : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        form = new TForm(Application);
        form->SetBounds(0, 0, 300, 200);
        form->Show();
    }
    void TearDown() override { Application->ResetForTesting(); }
    TForm* form = nullptr;
};

}  // namespace

TEST_F(Strategies, ValuesTravelAsTextAsStateOrNotAtAll) {
    TgrDefaultGridControl plain(form);
    TgrEditGridControl edit(form);
    TgrCheckGridControl check(form);
    EXPECT_TRUE(plain.GetValue().IsEmpty());
    plain.SetValue(Variant("x"));
    EXPECT_TRUE(plain.GetValue().IsEmpty());
    EXPECT_TRUE(edit.GetValue().IsString());
    EXPECT_EQ(edit.GetValue().AsString(), "");
    edit.SetValue(Variant(42));
    EXPECT_EQ(edit.GetValue().AsString(), "42");
    edit.SetValue(Variant::NullValue());
    EXPECT_EQ(edit.GetValue().AsString(), "");
    check.SetValue(Variant(1));
    EXPECT_EQ(check.CheckBox()->State(), cbChecked);
    check.SetCheckBoxValues("On|Off");
    check.SetValueByUser(Variant("Off"), true);
    EXPECT_EQ(check.GetValue().AsString(), "Off");
    EXPECT_EQ(check.CheckBox()->State(), cbUnchecked);
    // The grid refusing: the value stays.
    edit.SetOnCanChange([](TObject*, bool, bool& cancel) { cancel = true; });
    edit.SetValue(Variant("new"));
    EXPECT_EQ(edit.GetValue().AsString(), "");
    EXPECT_TRUE(edit.UsesEditColors());
    EXPECT_FALSE(plain.UsesEditColors());
    EXPECT_FALSE(check.UsesEditColors());
}

TEST_F(Strategies, WhatTheKindsSupplyAndWhatTheyIgnore) {
    TgrDefaultGridControl plain(form);
    TgrEditGridControl edit(form);
    TgrCheckGridControl check(form);
    plain.SetColor(clRed);
    EXPECT_EQ(plain.GetColor(), clNone);
    edit.SetColor(clRed);
    EXPECT_EQ(edit.GetColor(), clRed);
    edit.SetMaxLength(-3);
    EXPECT_EQ(edit.GetMaxLength(), 0);
    check.SetMaxLength(5);
    EXPECT_EQ(check.GetMaxLength(), 0);
    edit.SetMaskName("Phone");
    EXPECT_EQ(edit.GetMaskName(), "Phone");
    EXPECT_EQ(check.GetMaskName(), "");
    EXPECT_FALSE(edit.GetVisible());
    EXPECT_FALSE(check.Window()->TabStop());
    EXPECT_EQ(edit.Width(), 1);
    EXPECT_EQ(edit.GetGrid(), form);
    EXPECT_EQ(edit.GetHandle(), nullptr);
    edit.SetParent(form);
    EXPECT_NE(edit.GetHandle(), nullptr);
    // Word wrap reaches the edit box's layout.
    edit.SetWidth(40);
    edit.SetHeight(100);
    edit.SetValue(Variant("aaaa bbbb cccc"));
    EXPECT_TRUE(edit.IsMultiLine());
    edit.SetWordWrap(wwOff);
    EXPECT_FALSE(edit.IsMultiLine());
    EXPECT_FALSE(check.IsMultiLine());
    EXPECT_TRUE(check.IsEditChar(' '));
    EXPECT_FALSE(check.IsEditChar('a'));
    EXPECT_TRUE(edit.IsEditChar('a'));
    EXPECT_FALSE(plain.IsEditChar('a'));
}

TEST_F(Strategies, EditSelectionIsCountedInCharacters) {
    TgrEditGridControl edit(form);
    edit.SetValue(Variant("\xC3\xA9t\xC3\xA9 ok"));
    edit.SetSelStart(2);
    EXPECT_EQ(edit.EditBox()->SelStart(), 3);
    EXPECT_EQ(edit.EditBox()->CaretPos(), 3);
    edit.SetSelLength(2);
    EXPECT_EQ(edit.GetSelText(), "\xC3\xA9 ");
    EXPECT_EQ(edit.GetSelStart(), 2);
    EXPECT_EQ(edit.GetSelLength(), 2);
    edit.UpdateSelection();
    EXPECT_EQ(edit.GetSelLength(), 2);
    edit.SelectAll();
    EXPECT_EQ(edit.GetSelLength(), 6);
}

TEST_F(Strategies, ReleasingTheCaptureThroughTheCheckStrategyShowsTheUnpressedGlyph) {
    TgrCheckGridControl check(form);
    check.SetParent(form);
    check.Show();
    check.Window()->SetBounds(10, 10, 30, 20);
    check.CheckBox()->MouseDown(mbLeft, {ssLeft}, 10, 10);
    ASSERT_TRUE(check.CheckBox()->PressedLook());
    TCopyMode mode;
    TRect src;
    check.GetCheckPicture(cbUnchecked, mode, true, src);
    EXPECT_EQ(src.Top, 13 * 13);
    check.SetMouseCapture(false);
    EXPECT_FALSE(check.CheckBox()->PressedLook());
    check.GetCheckPicture(cbUnchecked, mode, true, src);
    EXPECT_EQ(src.Top, 4 * 13);
}

TEST_F(Strategies, PaintValueDrawsTheCellWithoutTheWindow) {
    TgrCheckGridControl check(form);
    check.SetValue(Variant(1));
    TBitmap bmp;
    bmp.SetSize(60, 40);
    bmp.Canvas()->Brush()->SetColor(clWhite);
    bmp.Canvas()->FillRect(TRect(0, 0, 60, 40));
    check.PaintValue(bmp.Canvas(), 0, 10, 20, TRect(0, 0, 31, 21));
    // Glyph at (20 + (31 - 13) / 2 - 1, 10 + (21 - 13) / 2) = (28, 14).
    EXPECT_EQ(bmp.Canvas()->GetPixel(28, 14), ColorToRGB(clBtnShadow));
    EXPECT_EQ(bmp.Canvas()->GetPixel(27, 14), clWhite);

    TgrEditGridControl edit(form);
    edit.SetValue(Variant("mmm"));
    TBitmap text;
    text.SetSize(60, 20);
    text.Canvas()->Brush()->SetColor(clWhite);
    edit.PaintValue(text.Canvas(), 20, 0, 0, TRect(0, 0, 60, 20));
    int dark = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 60; ++x) dark += text.Canvas()->GetPixel(x, y) != clWhite;
    EXPECT_GT(dark, 10);
}

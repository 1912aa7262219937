#include <gtest/gtest.h>

#include <vector>

#include "grid/GridCheckBox.h"
#include "platform/gui/Forms.h"

namespace {

class CheckBox : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        form = new TForm(Application);
        form->SetBounds(0, 0, 200, 100);
        box = new TgrGridCheckBox(form);
        box->SetParent(form);
        box->SetBounds(10, 10, 40, 20);
        form->Show();
        box->OnAfterKeyDown = [this](TObject*, Word16& key, TShiftState) { passed.push_back(key); };
        box->OnClick = [this](TObject*) { ++clicks; };
    }
    void TearDown() override { Application->ResetForTesting(); }
    void ClickAt(int x, int y, int releaseX = -100) {
        box->MouseDown(mbLeft, {ssLeft}, x, y);
        if (releaseX != -100) box->MouseMove({ssLeft}, releaseX, y);
        box->MouseUp(mbLeft, {}, releaseX == -100 ? x : releaseX, y);
    }
    bool Key(Word16 k, TShiftState s = {}) {
        bool consumed = box->DoKeyDown(k, s);
        return consumed;
    }
    void Space() {
        Word16 k = VK_SPACE;
        box->DoKeyDown(k, {});
        char c = ' ';
        box->DoKeyPress(c);
        k = VK_SPACE;
        box->DoKeyUp(k, {});
    }
    TForm* form = nullptr;
    TgrGridCheckBox* box = nullptr;
    std::vector<Word16> passed;
    int clicks = 0;
};

}  // namespace

TEST_F(CheckBox, ClicksCycleThroughTheStates) {
    struct Case {
        bool allowGrayed;
        std::vector<TCheckBoxState> states;
    } cases[] = {
        {false, {cbChecked, cbUnchecked, cbChecked}},
        {true, {cbChecked, cbGrayed, cbUnchecked}},
    };
    for (const Case& c : cases) {
        box->SetAllowGrayed(c.allowGrayed);
        box->SetValue(Variant(Byte(0)), false, false);
        for (TCheckBoxState expected : c.states) {
            ClickAt(20, 10);
            EXPECT_EQ(box->State(), expected);
            EXPECT_EQ(box->Value().AsInteger(), int(expected));
            EXPECT_FALSE(box->PressedLook());
        }
    }
    EXPECT_EQ(clicks, 6);
}

TEST_F(CheckBox, ReleasingOutsideTheBoxDoesNotToggle) {
    // Three pixels left of the box still count.
    ClickAt(5, 10, -3);
    EXPECT_EQ(box->State(), cbChecked);
    ClickAt(5, 10, -4);
    EXPECT_EQ(box->State(), cbChecked);
    ClickAt(5, 10, 40);
    EXPECT_EQ(box->State(), cbChecked);
    // Coming back inside before the release counts again.
    box->MouseDown(mbLeft, {ssLeft}, 5, 10);
    box->MouseMove({ssLeft}, 60, 10);
    EXPECT_FALSE(box->PressedLook());
    box->MouseMove({ssLeft}, 30, 10);
    EXPECT_TRUE(box->PressedLook());
    box->MouseUp(mbLeft, {}, 30, 10);
    EXPECT_EQ(box->State(), cbUnchecked);
}

TEST_F(CheckBox, RefusedEditsNeitherPressNorToggle) {
    box->OnCanEdit = [](TObject*, bool& cancel) { cancel = true; };
    box->MouseDown(mbLeft, {ssLeft}, 20, 10);
    EXPECT_FALSE(box->PressedLook());
    box->MouseUp(mbLeft, {}, 20, 10);
    Space();
    EXPECT_EQ(box->State(), cbUnchecked);
    box->OnCanEdit = nullptr;
    box->AllowEdit = false;
    ClickAt(20, 10);
    EXPECT_EQ(box->State(), cbUnchecked);
    box->SetValueByUser(Variant(1), true);
    EXPECT_EQ(box->State(), cbChecked);
    box->OnCanChange = [](TObject*, bool, bool& cancel) { cancel = true; };
    box->SetValueIfAllowed(Variant(0));
    EXPECT_EQ(box->State(), cbChecked);
}

TEST_F(CheckBox, CheckBoxValuesMapStatesToTexts) {
    box->SetCheckBoxValues("Yes|No");
    box->SetValue(Variant("No"), false, false);
    EXPECT_EQ(box->State(), cbUnchecked);
    box->Toggle();
    EXPECT_EQ(box->Value().AsString(), "Yes");
    EXPECT_EQ(box->State(), cbChecked);
    box->SetValue(Variant(0), false, false);
    EXPECT_EQ(box->Value().AsString(), "No");
    box->SetValue(Variant("maybe"), false, false);
    EXPECT_EQ(box->State(), cbGrayed);
    EXPECT_EQ(box->Value().AsString(), "maybe");
    // Without texts a number is the state; numbers that are no state gray.
    box->SetCheckBoxValues("");
    box->SetValue(Variant(7), false, false);
    EXPECT_EQ(box->State(), cbGrayed);
    EXPECT_EQ(box->Value().AsInteger(), 2);
    box->SetValue(Variant::NullValue(), false, false);
    EXPECT_TRUE(box->Value().IsNull());
}

TEST_F(CheckBox, EscapeUndoesTheTogglesUnlessCancelled) {
    ClickAt(20, 10);
    ClickAt(20, 10);
    EXPECT_EQ(box->State(), cbUnchecked);
    bool cancel = true;
    box->OnUndo = [&](TObject*, bool, bool& c) { c = cancel; };
    EXPECT_TRUE(Key(VK_ESCAPE));
    EXPECT_EQ(box->State(), cbUnchecked);
    ClickAt(20, 10);
    cancel = false;
    EXPECT_TRUE(Key(VK_ESCAPE));
    EXPECT_EQ(box->State(), cbUnchecked);  // the state before the first toggle
    EXPECT_FALSE(box->UndoSaved());
    passed.clear();
    EXPECT_FALSE(Key(VK_ESCAPE));
    EXPECT_EQ(passed, std::vector<Word16>{VK_ESCAPE});
}

TEST_F(CheckBox, TheSpaceBarShowsThePressedGlyphAndTogglesOnRelease) {
    Word16 k = VK_SPACE;
    box->DoKeyDown(k, {});
    char c = ' ';
    EXPECT_TRUE(box->DoKeyPress(c));
    EXPECT_TRUE(box->SpaceHeld());
    TCopyMode mode;
    TRect src;
    box->GetGlyph(box->State(), mode, true, src);
    EXPECT_EQ(src.Top, (4 + 9) * CheckGlyphSize);  // pressed unchecked check-style glyph
    // Repeats while held are swallowed.
    c = ' ';
    EXPECT_TRUE(box->DoKeyPress(c));
    k = VK_RIGHT;
    EXPECT_TRUE(box->DoKeyDown(k, {}));
    EXPECT_EQ(box->State(), cbUnchecked);
    k = VK_SPACE;
    box->DoKeyUp(k, {});
    EXPECT_EQ(box->State(), cbChecked);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(box->SpaceHeld());
}

TEST_F(CheckBox, ReleasingTheCaptureClearsThePressedLook) {
    box->MouseDown(mbLeft, {ssLeft}, 20, 10);
    EXPECT_TRUE(box->PressedLook());
    box->CaptureReleased();
    EXPECT_FALSE(box->PressedLook());
    box->MouseUp(mbLeft, {}, 20, 10);
    EXPECT_EQ(box->State(), cbUnchecked);
}

TEST_F(CheckBox, GlyphsAreCentredAndFlatGlyphsTakeTheBackground) {
    TBitmap bmp;
    bmp.SetSize(41, 21);
    TCanvas* c = bmp.Canvas();
    c->Brush()->SetColor(clYellow);
    box->SetValue(Variant(1), false, false);
    box->PaintCheck(c, TRect(0, 0, 41, 21), false);
    // left = (41 - 13) / 2 - 1 = 13, top = (21 - 13) / 2 = 4; the sunken
    // frame's outer corner is the shadow colour.
    EXPECT_EQ(c->GetPixel(13, 4), ColorToRGB(clBtnShadow));
    EXPECT_EQ(c->GetPixel(12, 4), clYellow);
    EXPECT_EQ(c->GetPixel(13 + 12, 4 + 12), ColorToRGB(clBtnHighlight));
    // The check style's checked glyph has black inside, the unchecked none.
    auto blackInside = [&] {
        int n = 0;
        for (int y = 6; y < 15; ++y)
            for (int x = 15; x < 24; ++x) n += c->GetPixel(x, y) == clBlack;
        return n;
    };
    EXPECT_GT(blackInside(), 10);
    box->SetValue(Variant(0), false, false);
    box->PaintCheck(c, TRect(0, 0, 41, 21), false);
    EXPECT_EQ(blackInside(), 0);
    // Flat: white inside merged with the yellow brush becomes yellow.
    box->SetCheckBoxStyle(stFlat);
    TCopyMode mode;
    TRect src;
    box->GetGlyph(cbUnchecked, mode, false, src);
    EXPECT_EQ(mode, cmMergeCopy);
    box->PaintCheck(c, TRect(0, 0, 41, 21), false);
    EXPECT_EQ(c->GetPixel(19, 10), clYellow);
    EXPECT_EQ(c->GetPixel(13, 4), ColorToRGB(clWindowFrame) & clYellow);
    // A focus rectangle 5 pixels wider each side and 2 taller.
    box->PaintCheck(c, TRect(0, 0, 41, 21), true);
    EXPECT_NE(c->GetPixel(8, 2), clYellow);
}

// Scaling controls and forms by M/D, and forms read from their stored
// definition: scaled to the screen when stored at another PixelsPerInch,
// damaged definitions refused.

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "platform/core/Filer.h"
#include "platform/core/Streams.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/FormFile.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

namespace {

// A form as a form class builds it: client 400 x 300, font of 8 points; a
// button following the form's font; a panel with an own font of 10 points
// holding an edit; a button anchored to the right edge.
class TSampleForm : public TForm {
public:
    explicit TSampleForm(TComponent* owner) : TForm(owner) {
        SetClientWidth(400);
        SetClientHeight(300);
        Font()->SetSize(8);
        button = new TButton(this);
        button->SetParent(this);
        button->SetBounds(10, 20, 75, 25);
        panel = new TPanel(this);
        panel->SetParent(this);
        panel->SetBounds(8, 60, 200, 100);
        panel->Font()->SetSize(10);
        edit = new TEdit(panel);
        edit->SetParent(panel);
        edit->SetBounds(4, 6, 120, 21);
        right = new TButton(this);
        right->SetParent(this);
        right->SetBounds(300, 260, 80, 25);
        right->SetAnchors(akRight | akTop);
    }
    TButton* button;
    TPanel* panel;
    TEdit* edit;
    TButton* right;
};

class FormScaling : public ::testing::Test {
protected:
    void SetUp() override { Application->Initialize(); }
    void TearDown() override { Application->ResetForTesting(); }
};

TEST_F(FormScaling, ChangeScaleScalesClientSizeFontsAndEveryControlOnce) {
    TSampleForm form(nullptr);
    form.SetBounds(30, 40, form.Width(), form.Height());
    form.ChangeScale(120, 96);
    EXPECT_EQ(form.Left(), 30);  // a form stays where it is
    EXPECT_EQ(form.Top(), 40);
    EXPECT_EQ(form.ClientWidth(), 500);
    EXPECT_EQ(form.ClientHeight(), 375);
    EXPECT_EQ(form.Font()->Size(), 10);
    EXPECT_EQ(form.button->BoundsRect(), TRect(13, 25, 107, 56));  // 12.5 and 93.75 round
    EXPECT_EQ(form.button->Font()->Size(), 10);                    // followed the form
    EXPECT_EQ(form.panel->BoundsRect(), TRect(10, 75, 260, 200));
    EXPECT_EQ(form.panel->Font()->Size(), 13);
    EXPECT_EQ(form.edit->BoundsRect(), TRect(5, 8, 155, 34));
    EXPECT_EQ(form.edit->Font()->Size(), 13);  // followed the panel
    // Anchored right: scaled once, not moved again by the form's growth.
    EXPECT_EQ(form.right->BoundsRect(), TRect(375, 325, 475, 356));

    TSampleForm same(nullptr);
    same.ChangeScale(96, 96);
    EXPECT_EQ(same.ClientWidth(), 400);
    EXPECT_EQ(same.panel->BoundsRect(), TRect(8, 60, 208, 160));
    EXPECT_EQ(same.panel->Font()->Size(), 10);
}

using WriteProc = std::function<void(TWriter&)>;

void WriteForm(TMemoryStream& s, const WriteProc& properties, const WriteProc& components = nullptr) {
    TWriter w(s);
    w.WriteString("TSampleForm");
    w.WriteString("SampleForm");
    properties(w);
    w.WriteListEnd();
    if (components) components(w);
    w.WriteListEnd();
    s.SetPosition(0);
}

TEST_F(FormScaling, AFormStoredAtAnotherPixelsPerInchIsScaledToTheScreenWhenScaled) {
    struct Case {
        int pixelsPerInch;
        bool scaled;
        int clientWidth, buttonWidth;
    };
    const Case cases[] = {{120, true, 320, 60}, {120, false, 400, 75}, {96, true, 400, 75}, {72, true, 533, 100}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pixelsPerInch);
        TMemoryStream s;
        WriteForm(s, [&](TWriter& w) {
            w.WriteString("Caption");
            w.WriteString("Sample");
            w.WriteString("PixelsPerInch");
            w.WriteInteger(c.pixelsPerInch);
            w.WriteString("Scaled");
            w.WriteBoolean(c.scaled);
        });
        TSampleForm form(nullptr);
        ReadFormFromStream(form, s);
        EXPECT_EQ(form.Caption(), "Sample");
        EXPECT_EQ(form.ClientWidth(), c.clientWidth);
        EXPECT_EQ(form.button->Width(), c.buttonWidth);
        EXPECT_EQ(form.PixelsPerInch(), 96);
        EXPECT_FALSE(form.ComponentState().Contains(csLoading));
    }
}

TEST_F(FormScaling, DamagedDefinitionsAreRefused) {
    const std::pair<const char*, std::function<void(TMemoryStream&)>> cases[] = {
        {"unknown property",
         [](TMemoryStream& s) {
             WriteForm(s, [](TWriter& w) {
                 w.WriteString("Colour");
                 w.WriteInteger(1);
             });
         }},
        {"PixelsPerInch 0",
         [](TMemoryStream& s) {
             WriteForm(s, [](TWriter& w) {
                 w.WriteString("PixelsPerInch");
                 w.WriteInteger(0);
             });
         }},
        {"component the form does not own",
         [](TMemoryStream& s) {
             WriteForm(s, [](TWriter&) {}, [](TWriter& w) {
                 w.WriteString("TButton");
                 w.WriteString("Missing");
                 w.WriteListEnd();
             });
         }},
        {"component no reader takes",
         [](TMemoryStream& s) {
             WriteForm(s, [](TWriter&) {}, [](TWriter& w) {
                 w.WriteString("TButton");
                 w.WriteString("Button1");
                 w.WriteListEnd();
             });
         }},
        {"cut short",
         [](TMemoryStream& s) {
             TWriter w(s);
             w.WriteString("TSampleForm");
             w.WriteString("SampleForm");
             w.WriteString("PixelsPerInch");
             s.SetPosition(0);
         }},
    };
    for (const auto& [name, write] : cases) {
        SCOPED_TRACE(name);
        TMemoryStream s;
        write(s);
        TSampleForm form(nullptr);
        form.button->SetName("Button1");
        EXPECT_THROW(ReadFormFromStream(form, s), EReadError);
        EXPECT_FALSE(form.ComponentState().Contains(csLoading));
    }
}

}  // namespace

#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "docexport/deConsts.h"
#include "docexport/deDocItems.h"
#include "docexport/deDocSettings.h"

TEST(PageSettings, NewEngineHasAnA4PortraitPageInInches) {
    TLogEngine e;
    EXPECT_EQ(e.Page()->PaperSize(), A4);
    EXPECT_NEAR(e.Page()->Width(), 8.2677, 1e-9);
    EXPECT_NEAR(e.Page()->Height(), 11.6929, 1e-9);
    EXPECT_NEAR(e.Page()->Pixels(plWidth), 8.2677 * ScreenPPI(), 1e-9);
}

TEST(PageSettings, SizeFollowsPaperAndOrientation) {
    TLogEngine e;
    TdePageSettings* p = e.Page();
    p->SetWidth(3);  // ignored unless the paper is Custom
    EXPECT_NEAR(p->Width(), 8.2677, 1e-9);
    p->SetOrientation(poLandscape);
    EXPECT_NEAR(p->Width(), 11.6929, 1e-9);
    EXPECT_NEAR(p->Height(), 8.2677, 1e-9);
    p->SetOrientation(poLandscape);  // again: nothing changes
    EXPECT_NEAR(p->Width(), 11.6929, 1e-9);
    p->SetPaperSize(ps11X17);  // landscape: swapped
    EXPECT_NEAR(p->Width(), 17, 1e-9);
    EXPECT_NEAR(p->Height(), 10, 1e-9);
    p->SetOrientation(poPortrait);
    p->SetPaperSize(Custom);  // keeps the size
    EXPECT_NEAR(p->Width(), 10, 1e-9);
    p->SetWidth(3);
    p->SetHeight(4);
    EXPECT_NEAR(p->Width(), 3, 1e-9);
    EXPECT_NEAR(p->Height(), 4, 1e-9);
    struct {
        TdePaperSize size;
        double w, h;
    } papers[] = {{Letter, 8.5, 11}, {Legal, 8.5, 14}, {A3, 11.6929, 16.5354}, {EnvB6, 6.9291, 4.9212},
                  {ISOB4, 9.8425, 13.8976}, {FanfoldUS, 14.875, 11}};
    for (auto c : papers) {
        p->SetPaperSize(c.size);
        EXPECT_NEAR(p->Width(), c.w, 1e-9) << c.size;
        EXPECT_NEAR(p->Height(), c.h, 1e-9) << c.size;
    }
}

TEST(PageSettings, LengthsAreStoredInPixelsAndShownInTheUnit) {
    SetScreenPPI(120);
    {
        TLogEngine e;  // constructed at 120 pixels per inch
        e.Page()->SetTopMargin(1);  // inches
        EXPECT_DOUBLE_EQ(e.Page()->Pixels(plTopMargin), 120);
        struct {
            TdeUnitType unit;
            double value;
        } cases[] = {{muPixels, 120}, {muInches, 1}, {muPoints, 72}, {muTwips, 1440}, {muMM, 72 / 2.83464}};
        for (auto c : cases) {
            e.SetMeasurementUnit(c.unit);
            EXPECT_NEAR(e.Page()->TopMargin(), c.value, 1e-9) << c.unit;
        }
        e.SetMeasurementUnit(muPoints);
        e.TableSettings()->SetColumnWidth(36);
        e.TextFormatting()->SetLeftIndent(72);
        EXPECT_DOUBLE_EQ(e.TableSettings()->ColumnWidthPx(), 60);
        EXPECT_DOUBLE_EQ(e.TextFormatting()->LeftIndentPx(), 120);
        e.SetMeasurementUnit(muInches);
        EXPECT_DOUBLE_EQ(e.TableSettings()->ColumnWidth(), 0.5);
        EXPECT_DOUBLE_EQ(e.TextFormatting()->LeftIndent(), 1);
        // A frame of the engine gives its insets in pixels; a copied frame
        // without engine keeps them as stored.
        e.Frame()->Insets = {0.5, 0, 0, 0};
        EXPECT_DOUBLE_EQ(e.Frame()->InsetsPixels()[0], 60);
        TdeFrame copy;
        copy.Assign(e.Frame());
        EXPECT_DOUBLE_EQ(copy.InsetsPixels()[0], 0.5);
    }
    SetScreenPPI(96);
}

TEST(SharedSettings, ChangesReachOnlyEnginesThatStillHoldTheOldValue) {
    TdeDocSettings shared(nullptr);
    TLogEngine a, b;
    shared.Page()->SetTopMargin(0.5);
    shared.DocInfo()->SetAuthor("Ann");
    a.SetSettings(&shared);
    b.SetSettings(&shared);
    EXPECT_DOUBLE_EQ(a.Page()->TopMargin(), 0.5);
    EXPECT_EQ(b.DocInfo()->Author(), "Ann");

    a.Page()->SetTopMargin(2);  // by hand
    shared.Page()->SetTopMargin(1);
    EXPECT_DOUBLE_EQ(a.Page()->TopMargin(), 2);
    EXPECT_DOUBLE_EQ(b.Page()->TopMargin(), 1);

    b.DocInfo()->SetAuthor("Bob");
    shared.DocInfo()->SetAuthor("Cy");
    EXPECT_EQ(a.DocInfo()->Author(), "Cy");
    EXPECT_EQ(b.DocInfo()->Author(), "Bob");

    // Paper and orientation go through the engines' own setters.
    shared.Page()->SetPaperSize(Letter);
    EXPECT_NEAR(a.Page()->Width(), 8.5, 1e-9);
    shared.Page()->SetOrientation(poLandscape);
    EXPECT_NEAR(b.Page()->Width(), 11, 1e-9);
    // Width follows only on Custom paper.
    a.Page()->SetPaperSize(Custom);
    shared.Page()->SetPaperSize(Custom);
    EXPECT_EQ(b.Page()->PaperSize(), Custom);
    a.Page()->SetPaperSize(Letter);  // a leaves Custom by hand
    shared.Page()->SetWidth(5);
    EXPECT_NEAR(b.Page()->Width(), 5, 1e-9);
    EXPECT_NEAR(a.Page()->Width(), 11, 1e-9);

    // CalculateVariables stays with the shared object.
    shared.Preferences()->SetCalculateVariables(false);
    EXPECT_TRUE(a.Preferences()->CalculateVariables());
    shared.Preferences()->SetOpenAfterCreate(true);
    EXPECT_TRUE(a.Preferences()->OpenAfterCreate());  // both were false

    shared.SetMeasurementUnit(muMM);
    EXPECT_EQ(a.MeasurementUnit(), muMM);
    EXPECT_NEAR(shared.Page()->Width(), 127, 0.01);  // its own page reads in millimetres

    // Detaching and freeing.
    b.SetSettings(nullptr);
    EXPECT_EQ(shared.Engines().size(), 1u);
    {
        TLogEngine c;
        c.SetSettings(&shared);
        EXPECT_EQ(shared.Engines().size(), 2u);
    }
    EXPECT_EQ(shared.Engines().size(), 1u);  // a freed engine leaves the list
    {
        auto* s2 = new TdeDocSettings(nullptr);
        b.SetSettings(s2);
        delete s2;
        EXPECT_EQ(b.Settings(), nullptr);  // cleared when the component goes
    }
}

TEST(ImageSettings, AnEngineMayRefuseAnOutputFormat) {
    TRecordingPrompts prompts;
    TLogEngine e;
    e.ImageSettings()->SetOutputImageFormat(ifPNG);
    e.ImageSettings()->SetOutputImageFormat(ifGIF);
    EXPECT_EQ(e.ImageSettings()->OutputImageFormat(), ifPNG);
    ASSERT_EQ(prompts.Requests.size(), 1u);
    EXPECT_EQ(prompts.Requests[0].Text, "no GIF here");
    EXPECT_EQ(prompts.Requests[0].Type, mtError);
    // An item's settings have no engine and accept anything.
    TdeImageItem item;
    item.Settings.SetOutputImageFormat(ifGIF);
    EXPECT_EQ(item.Settings.OutputImageFormat(), ifGIF);
    // Assign goes through the setter, so the engine refuses there too.
    item.Settings.Stretch = true;
    e.ImageSettings()->Assign(&item.Settings);
    EXPECT_TRUE(e.ImageSettings()->Stretch);
    EXPECT_EQ(e.ImageSettings()->OutputImageFormat(), ifPNG);
    EXPECT_EQ(prompts.Requests.size(), 2u);
    EXPECT_EQ(e.ImageSettings()->SourceDPI, ScreenPPI());
    EXPECT_EQ(e.ImageSettings()->JPEGQuality, 100);
}

TEST(Items, GeometryAndCopies) {
    TdeImageItem img;
    img.SetFromRect(MakeRect(50, 40, 10, 20));
    EXPECT_EQ(img.X, 10);
    EXPECT_EQ(img.Y, 20);
    EXPECT_EQ(img.Width, 40);
    EXPECT_EQ(img.Height, 20);
    EXPECT_EQ(img.BoxRect, MakeRect(10, 20, 50, 40));

    TdeTextItem t;
    t.SetClipped(true);
    t.ClipRect = MakeRect(1, 2, 3, 4);
    t.SetClipped(false);
    EXPECT_EQ(t.ClipRect, TdeRect{});

    TdeTableItem table(nullptr, 3);
    table.Settings.SetColumnWidthPx(40);
    table.Settings.ShowTitles = true;
    table.Settings.SetTitleHeightPx(7);
    auto cols = table.Columns();
    ASSERT_EQ(cols.size(), 3u);
    cols[1]->SetWidth(90);
    EXPECT_EQ(table.Column(1)->Width(), 90);
    EXPECT_EQ(table.Columns()[1]->Width(), 40);  // reading the list resets the widths
    table.RowHeights = {10, 20, 30};
    table.RowIndex = 1;
    EXPECT_EQ(table.TotalHeight(), 7 + 10 + 20);

    TdeTextFormatting f;
    f.SetF(2);
    f.SetLeftIndent(3);
    f.Border.Spacing = 4;
    TdeTextFormatting g;
    g.Assign(&f);
    EXPECT_EQ(g.LeftIndentPx(), 6);
    EXPECT_EQ(g.F(), 2);
    EXPECT_EQ(g.Border.Spacing, 4);
    TdeTableSettings ts;
    ts.SetF(3);
    TdeTableSettings ts2;
    ts2.SetF(5);
    ts2.Assign(&ts);
    EXPECT_EQ(ts2.F(), 5);  // F is not copied
    EXPECT_THROW(ts2.Assign(&f), EConvertError);
}

TEST(PublishedProperties, EngineAndSettingsStreamByName) {
    TLogEngine e;
    SetStrProp(e, "PagesToRender", "1-2");
    EXPECT_EQ(e.PagesToRender(), "1-2");
    SetEnumProp(e, "MeasurementUnit", "muMM");
    EXPECT_EQ(e.MeasurementUnit(), muMM);
    EXPECT_EQ(GetStrProp(e, "About"), "");
    EXPECT_TRUE(GetBoolProp(e, "AutoPaginate"));
    SetEnumProp(*e.Page(), "PaperSize", "Letter");
    EXPECT_EQ(e.Page()->PaperSize(), Letter);
    SetBoolProp(*e.Preferences(), "OpenAfterCreate", true);
    EXPECT_TRUE(e.Preferences()->OpenAfterCreate());
    SetOrdProp(*e.PageBorder(), "Width", 4);
    EXPECT_EQ(e.PageBorder()->Width, 4);
    EXPECT_EQ(GetEnumProp(*e.ImageSettings(), "OutputImageFormat"), "ifBMP");
}

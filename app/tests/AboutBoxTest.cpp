#include "app/fmAbout.h"

#include "app/BrandResources.h"
#include "app/ProgramVersion.h"
#include "app/tests/WindowTestSupport.h"
#include "app/BuildVersion.h"

namespace {

class AboutBoxTest : public WindowTest {
protected:
    // Shows the box, lets `check` look at it, and closes it with OK.
    void ShowAbout(const std::function<void(TfrmAbout*)>& check) {
        auto* about = new TfrmAbout(Application);
        UiQueue::Post([&] {
            check(about);
            about->BitBtn1->Click();
        });
        EXPECT_EQ(about->ShowModal(), mrOk);
        delete about;
    }
};

TEST_F(AboutBoxTest, ShowsTheBuiltInVersionAndProgramName) {
    RunAs("OMBXscore");
    ShowAbout([](TfrmAbout* f) {
        EXPECT_EQ(f->lblVersion->Caption(), std::string("Version ") + OMR_FILE_VERSION);
        EXPECT_EQ(f->lblName->Caption(), "OMBXscore");
        EXPECT_EQ(f->Caption(), "About Ombrix");
        EXPECT_TRUE(f->Image1->Visible());
        EXPECT_FALSE(f->Image2->Visible());
        EXPECT_EQ(f->lblCopyright->Caption(), BrandMakerLine(TBrand::Ombrix));
    });
}

TEST_F(AboutBoxTest, VeltraneSwapsPictureMakerLineAndCaption) {
    RunAs("Scorvane");
    ShowAbout([](TfrmAbout* f) {
        EXPECT_EQ(f->Caption(), "About Veltrane Wizard");
        EXPECT_FALSE(f->Image1->Visible());
        EXPECT_TRUE(f->Image2->Visible());
        EXPECT_EQ(f->Image2->BoundsRect(), f->Image1->BoundsRect());
        EXPECT_EQ(f->lblCopyright->Caption(), BrandMakerLine(TBrand::Veltrane));
        // The two pictures differ.
        EXPECT_NE(f->Image1->Picture()->Graphic()->ToImage(), f->Image2->Picture()->Graphic()->ToImage());
    });
}

TEST_F(AboutBoxTest, VersionInformationCases) {
    struct Case {
        bool present;
        bool hasFileVersion;
        std::string name, version;
    } cases[] = {
        {false, false, "lblName", "lblVersion"},  // no version information: design texts
        {true, false, "Scorvane", "Version "},    // the query fails: empty version text
        {true, true, "Scorvane", "Version 2.5.1.7"},
    };
    for (const Case& c : cases) {
        TProgramVersionInfo info;
        info.Present = c.present;
        if (c.hasFileVersion) info.Values[kFileVersionQuery] = "2.5.1.7";
        info.Values["StringFileInfo\\040904E4\\ProductName"] = "Scorvane";
        SetProgramVersionInfoForTesting(&info);
        ShowAbout([&](TfrmAbout* f) {
            EXPECT_EQ(f->lblName->Caption(), c.name);
            EXPECT_EQ(f->lblVersion->Caption(), c.version);
        });
        SetProgramVersionInfoForTesting(nullptr);
    }
}

}  // namespace

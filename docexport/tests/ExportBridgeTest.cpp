// The report export bridge: document engines listed as report output
// formats, and report snapshots played into an engine.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>

#include "docexport/deConsts.h"
#include "docexport/deRTFEng.h"
#include "docexport/deVzXportIntf.h"
#include "docexport/tests/CheckerSupport.h"
#include "platform/core/Clock.h"
#include "platform/core/Streams.h"
#include "platform/core/UiQueue.h"
#include "report/ReportSystem.h"
#include "report/SetupForm.h"
#include "report/VSFWriter.h"
#include "report/tests/ReportTestSupport.h"

namespace {

// A fixed creation time read in UTC, for byte-exact documents.
class FixedTime {
public:
    FixedTime() : clock_(0, std::chrono::system_clock::from_time_t(1772600760)) {
        const char* tz = std::getenv("TZ");
        hadTz_ = tz != nullptr;
        if (tz) oldTz_ = tz;
        setenv("TZ", "UTC", 1);
        tzset();
        SetCurrentClock(&clock_);
    }
    ~FixedTime() {
        SetCurrentClock(nullptr);
        if (hadTz_)
            setenv("TZ", oldTz_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    ManualClock clock_;
    std::string oldTz_;
    bool hadTz_ = false;
};

// An RTF engine that asks nothing and opens nothing.
class TQuietRtf : public TdeRTFEngine {
public:
    explicit TQuietRtf(TComponent* owner = nullptr) : TdeRTFEngine(owner) {
        Preferences()->SetShowSetupDialog(false);
        Preferences()->SetOpenAfterCreate(false);
    }
};

class ExportBridgeTest : public ReportPrinterFixture {
protected:
    void SetUp() override {
        ReportPrinterFixture::SetUp();
        SetScreenPPI(96);
    }
    void Generate(const std::function<void(TVzVSFWriter&)>& body) {
        snapshot.SetSize(0);
        TVzVSFWriter w(nullptr);
        w.StreamMode = smUser;
        w.Stream = &snapshot;
        w.OnPrint = [&](TObject*) { body(w); };
        w.Execute();
    }
    static std::vector<std::string> Names() {
        std::vector<std::pair<std::string, TVPRender*>> list;
        ListRendererNames(list);
        std::vector<std::string> names;
        for (auto& e : list) names.push_back(e.first);
        return names;
    }
    // Plays the snapshot through the bridge into an RTF engine without
    // margins, leaving the document open.
    void PlayInto(TQuietRtf& rtf, TdeVizeExportInterface& bridge, TMemoryStream& out) {
        rtf.Page()->SetLeftMargin(0);
        rtf.Page()->SetTopMargin(0);
        bridge.SetEngine(&rtf);
        bridge.SetDoEndDoc(false);
        bridge.Renderer()->OutputStream = &out;
        bridge.Renderer()->Render(&snapshot);
    }
    TMemoryStream snapshot;
};

// The first item of the kind in the list, or null.
template <class T>
T* FirstOf(const TdeItemList& items) {
    for (auto* item : items)
        if (auto* t = dynamic_cast<T*>(item)) return t;
    return nullptr;
}

bool Listed(const std::string& name) {
    std::vector<std::pair<std::string, TVPRender*>> list;
    ListRendererNames(list);
    for (auto& e : list)
        if (e.first == name) return true;
    return false;
}

// Binding follows the engine and Visible: the renderer is listed under the
// engine's description and extension, and as "VPRender" otherwise; two
// bridges are listed in the order they were bound; a freed engine unbinds.
TEST_F(ExportBridgeTest, RegistryEntryFollowsEngineAndVisible) {
    auto excel = std::make_unique<TQuietRtf>();
    excel->SetFileDescription("Microsoft Excel Workbook");
    excel->SetFileExtension("xls");
    auto rtf = std::make_unique<TQuietRtf>();
    rtf->SetFileDescription("Rich Text Format");
    rtf->SetFileExtension("rtf");
    rtf->SetMeasurementUnit(muPixels);

    TdeVizeExportInterface a(nullptr), b(nullptr);
    EXPECT_EQ(a.Renderer()->DisplayName(), "VPRender");
    EXPECT_EQ(a.Renderer()->FileExtension, "*.vsf");
    EXPECT_EQ(a.Renderer()->Owner(), &a);

    b.SetEngine(rtf.get());
    a.SetEngine(excel.get());
    EXPECT_EQ(rtf->MeasurementUnit(), muInches);
    EXPECT_EQ(b.Renderer()->FileExtension, "*.rtf");
    std::vector<std::string> names = Names();
    auto at = [&](const std::string& n) { return std::find(names.begin(), names.end(), n) - names.begin(); };
    ASSERT_LT(at("Rich Text Format"), long(names.size()));
    ASSERT_LT(at("Microsoft Excel Workbook"), long(names.size()));
    EXPECT_LT(at("Rich Text Format"), at("Microsoft Excel Workbook"));

    b.SetVisible(false);
    EXPECT_FALSE(Listed("Rich Text Format"));
    EXPECT_EQ(b.Renderer()->BoundEngine(), nullptr);
    EXPECT_EQ(b.Engine(), rtf.get());
    b.SetVisible(true);
    EXPECT_TRUE(Listed("Rich Text Format"));
    EXPECT_EQ(b.Renderer()->BoundEngine(), rtf.get());

    rtf.reset();
    EXPECT_EQ(b.Engine(), nullptr);
    EXPECT_EQ(b.Renderer()->BoundEngine(), nullptr);
    EXPECT_EQ(b.Renderer()->DisplayName(), "VPRender");
    EXPECT_FALSE(Listed("Rich Text Format"));
}

// A two-page report with text, a line, a filled box and a right-aligned
// and centred text saved through the bridge as an RTF document, compared
// byte for byte with the golden file.
TEST_F(ExportBridgeTest, ReportSavedAsRtfMatchesGolden) {
    FixedTime fixed;
    Generate([](TVzVSFWriter& w) {
        w.SetFont("Arial", 12);
        w.PrintXY(1, 1, "Scores of group A");
        w.SetFont("Arial", 10);
        w.PrintXY(1, 1.5, "Anna");
        w.PrintXY(3, 1.5, "17");
        w.MoveTo(1, 1.7);
        w.LineTo(4, 1.7);
        w.SetBrush(clSilver, bsSolid, nullptr);
        w.Rectangle(1, 2, 2, 2.5);
        w.NewPage();
        w.PrintXY(1, 1, "Page two");
    });
    TQuietRtf rtf;
    rtf.SetFileDescription("Rich Text Format");
    rtf.SetFileExtension("rtf");
    TdeVizeExportInterface bridge(nullptr);
    bridge.SetEngine(&rtf);
    TMemoryStream out;
    bridge.Renderer()->OutputStream = &out;
    bridge.Renderer()->OutputFileName = "scores.rtf";
    bridge.Renderer()->Render(&snapshot);
    EXPECT_FALSE(bridge.DocStarted());
    EXPECT_FALSE(rtf.Started());

    std::string text(out.Memory(), size_t(out.Size()));
    EXPECT_NE(text.find("Scores of group A"), std::string::npos);
    EXPECT_NE(text.find("Page two"), std::string::npos);
    const std::string golden = std::string(OMR_TEST_DATA) + "/bridge.rtf";
    if (std::getenv("OMR_UPDATE_GOLDEN")) std::ofstream(golden, std::ios::binary) << text;
    std::ifstream in(golden, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    EXPECT_EQ(text, ss.str());
}

// The golden RTF of the bridge is checked by an independent reader: unrtf
// finds the report's texts on their two pages.
TEST(ExportBridgeGolden, UnrtfReadsTheGoldenDocument) {
    ASSERT_EQ(checkers::MissingReaders({"unrtf"}), "");
    const std::string folder = checkers::TempFolder("bridge-golden");
    int rc = 0;
    const std::string text = checkers::Run("cd '" + folder + "' && unrtf --text '" + std::string(OMR_TEST_DATA) +
                                               "/bridge.rtf'",
                                           &rc);
    EXPECT_EQ(rc, 0) << text;
    for (const char* expected : {"Scores of group A", "Anna", "17", "Page two"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << " in\n" << text;
    EXPECT_LT(text.find("Anna"), text.find("Page two"));
}

// With DoEndDoc False the engine's document stays open after the report,
// so its recorded page shows where the records landed: a fill record of
// (72, 72, 144, 144) points is a one-inch square one inch from the corner;
// 12-point subscript text moves down one line height at 7 points. The
// engine's own EndDoc then resets the bridge, and the next report starts a
// new document.
TEST_F(ExportBridgeTest, RecordsLandInInchesAndEngineEndResetsBridge) {
    Generate([](TVzVSFWriter& w) {
        w.SetBrush(clBlack, bsSolid, nullptr);
        // Device units of the report's printer for (72, 72, 144, 144) points.
        w.FillRect(TRect(w.XI2D(1), w.YI2D(1), w.XI2D(2), w.YI2D(2)));
        w.SetFont("Arial", 12);
        w.PrintXY(1, 3, "plain");
        w.SetSubscript(true);
        w.PrintXY(2, 3, "low");
    });
    TQuietRtf rtf;
    int afterEnd = 0;
    rtf.OnAfterEndDoc = [&](TObject*) { ++afterEnd; };
    TdeVizeExportInterface bridge(nullptr);
    bridge.SetEngine(&rtf);
    bridge.SetDoEndDoc(false);  // PlayInto sets it again: a second hook must not chain onto itself
    TMemoryStream out;
    PlayInto(rtf, bridge, out);
    ASSERT_TRUE(rtf.Started());
    EXPECT_TRUE(bridge.DocStarted());

    TdePageItem* page = rtf.PageItem(1);
    ASSERT_NE(page, nullptr);
    auto* box = FirstOf<TdeShapeItem>(page->GraphicItems);
    ASSERT_NE(box, nullptr);
    ASSERT_GE(box->PointCount(), 2);
    EXPECT_NEAR(box->Points[0].X, 96, 1e-6);
    EXPECT_NEAR(box->Points[0].Y, 96, 1e-6);
    EXPECT_NEAR(box->Points[1].X, 192, 1e-6);
    EXPECT_NEAR(box->Points[1].Y, 192, 1e-6);
    ASSERT_NE(box->Brush, nullptr);

    std::vector<TdeTextItem*> texts;
    for (auto* list : {&page->TextItems, &page->GraphicItems})
        for (auto* item : *list)
            if (auto* t = dynamic_cast<TdeTextItem*>(item)) texts.push_back(t);
    ASSERT_EQ(texts.size(), 2u);
    TdeTextItem* plain = texts[0]->Lines[0] == "plain" ? texts[0] : texts[1];
    TdeTextItem* low = texts[0] == plain ? texts[1] : texts[0];
    EXPECT_EQ(plain->Font.Size(), 12);
    EXPECT_EQ(low->Font.Size(), 7);
    EXPECT_GT(low->Y - plain->Y, 0.1 * 96);
    EXPECT_EQ(rtf.MeasurementUnit(), muInches);  // restored after the fill

    rtf.EndDoc();
    EXPECT_EQ(afterEnd, 1);
    EXPECT_FALSE(bridge.DocStarted());
    out.SetSize(0);
    bridge.Renderer()->Render(&snapshot);
    EXPECT_TRUE(rtf.Started());
    rtf.EndDoc();
    EXPECT_EQ(afterEnd, 2);
    EXPECT_GT(out.Size(), 0);
}

// A recorded picture in the snapshot is recorded anew at its rectangle's
// size and played onto the page there.
TEST_F(ExportBridgeTest, RecordedPictureLandsInItsRectangle) {
    TMetafile picture;
    RecordHalfBluePicture(picture);
    Generate([&](TVzVSFWriter& w) { w.StretchDraw(TRect(w.XI2D(1), w.YI2D(1), w.XI2D(3), w.YI2D(2)), &picture); });
    TQuietRtf rtf;
    TdeVizeExportInterface bridge(nullptr);
    TMemoryStream out;
    PlayInto(rtf, bridge, out);
    ASSERT_TRUE(rtf.Started());
    ASSERT_NE(rtf.PageItem(1), nullptr);
    auto* image = FirstOf<TdeImageItem>(rtf.PageItem(1)->GraphicItems);
    ASSERT_NE(image, nullptr);
    EXPECT_NEAR(image->X, 96, 1);
    EXPECT_NEAR(image->Y, 96, 1);
    EXPECT_NEAR(image->Width, 192, 1);
    EXPECT_NEAR(image->Height, 96, 1);
    // The picture's left half is blue, its right half white.
    const QImage shown = rtf.GetImage(image->ImageIndex)->ToImage();
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(shown.pixelColor(shown.width() / 4, shown.height() / 2), QColor(Qt::blue));
    EXPECT_EQ(shown.pixelColor(3 * shown.width() / 4, shown.height() / 2), QColor(Qt::white));
    rtf.EndDoc();
}

// A bridge that, while a snapshot plays, follows each "start" text with a
// word advanced along the line; the snapshot format carries no record for
// that operation, so the test reaches it from inside the play. Without an
// owning export component the play ends the document, so the texts placed
// on the first page are taken just before that.
class TAdvancingXport : public TdeVizeXport {
public:
    TAdvancingXport() : TdeVizeXport(nullptr) {}
    void PrintLeft(const std::string& text, double x, double y) override {
        TdeVizeXport::PrintLeft(text, x, y);
        if (text != "start") return;
        startX = x;
        advancedX = x;
        advancedY = y;
        AdvanceAndPrint(advancedX, advancedY, 1.5, "end");
    }
    void EndDoc() override {
        if (TdePageItem* page = BoundEngine()->PageItem(1))
            for (auto* list : {&page->TextItems, &page->GraphicItems})
                for (auto* item : *list)
                    if (auto* t = dynamic_cast<TdeTextItem*>(item)) {
                        Placed& p = t->Lines[0] == "start" ? start : end;
                        p = {true, t->X, t->Y, double(BoundEngine()->TextExtent(t->Lines[0], t->Font).cx)};
                    }
        TdeVizeXport::EndDoc();
    }
    struct Placed {
        bool Found = false;
        double X = 0, Y = 0, Width = 0;
    };
    double startX = 0, advancedX = 0, advancedY = 0;
    Placed start, end;
};

// The position moves by the distance along a level line and the word is
// printed right-aligned there, so it ends exactly at the new position.
TEST_F(ExportBridgeTest, AdvanceAndPrintEndsTheWordAtTheAdvancedPosition) {
    Generate([](TVzVSFWriter& w) {
        w.SetFont("Arial", 12);
        w.PrintXY(1, 2, "start");
    });
    TQuietRtf rtf;
    rtf.Page()->SetLeftMargin(0);
    rtf.Page()->SetTopMargin(0);
    TAdvancingXport bridge;
    bridge.BindEngine(&rtf);
    TMemoryStream out;
    bridge.OutputStream = &out;
    bridge.Render(&snapshot);
    EXPECT_NEAR(bridge.advancedX, bridge.startX + 1.5, 1e-9);
    EXPECT_NEAR(bridge.advancedY, 2, 0.2);
    ASSERT_TRUE(bridge.start.Found);
    ASSERT_TRUE(bridge.end.Found);
    ASSERT_GT(bridge.end.Width, 0);
    EXPECT_NEAR(bridge.end.X + bridge.end.Width, bridge.advancedX * 96, 1);
    EXPECT_NEAR(bridge.end.Y, bridge.start.Y, 1e-6);
    EXPECT_GT(out.Size(), 0);
}

// The report setup window offers the bridge's entry in its format list.
TEST_F(ExportBridgeTest, SetupWindowOffersTheBridge) {
    UsePrinters({"Lab"}, "Lab");
    UiQueue::Reset();
    Application->Initialize();
    TQuietRtf rtf;
    rtf.SetFileDescription("Rich Text Format");
    rtf.SetFileExtension("rtf");
    TdeVizeExportInterface bridge(nullptr);
    bridge.SetEngine(&rtf);
    auto system = std::make_unique<TVzSystem>(nullptr);
    {
        TVPSetupForm f(nullptr);
        f.ReportSystem = system.get();
        bool found = false;
        UiQueue::Post([&] {
            for (int i = 2; i < f.FormatList->Items()->Count(); ++i)
                if (f.FormatList->Items()->Objects(i) == bridge.Renderer()) {
                    found = true;
                    EXPECT_EQ(f.FormatList->Items()->Strings(i), "Rich Text Format");
                }
            EXPECT_NE(f.SaveDialog->Filter.find("Rich Text Format|*.rtf"), std::string::npos);
            f.CancelBtn->Click();
        });
        f.ShowModal();
        EXPECT_TRUE(found);
    }
    system.reset();
    Application->ResetForTesting();
}

}  // namespace

#include <gtest/gtest.h>

#include "platform/print/PrintDevice.h"

namespace {
class PrintDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        RecordedPrintJobs().clear();
        SetPrinterDriverFactoryForTesting([](const std::string& name) -> std::unique_ptr<TPrinterDriver> {
            if (name != "Lab") return nullptr;
            return std::make_unique<TRecordingPrinterDriver>(name, TRecordingPrinterSpec{});
        });
    }
    void TearDown() override {
        SetPrinterDriverFactoryForTesting(nullptr);
        RecordedPrintJobs().clear();
    }
};
}  // namespace

TEST_F(PrintDeviceTest, MetricsFollowPaperAndOrientation) {
    auto driver = OpenPrinterDriver("Lab");
    ASSERT_TRUE(driver);
    EXPECT_FALSE(OpenPrinterDriver("Elsewhere"));
    TPrinterSettings s = driver->DefaultSettings();
    TPageMetrics m = driver->Metrics(s);
    EXPECT_EQ(m.XDPI, 100);
    EXPECT_EQ(m.PhysicalWidth, 850);   // letter at 100 dpi
    EXPECT_EQ(m.PhysicalHeight, 1100);
    EXPECT_EQ(m.PrintableWidth, 800);
    EXPECT_EQ(m.PrintableHeight, 1050);
    s.Orientation = DMORIENT_LANDSCAPE;
    m = driver->Metrics(s);
    EXPECT_EQ(m.PhysicalWidth, 1100);
    EXPECT_EQ(m.PhysicalHeight, 850);
    s.Orientation = DMORIENT_PORTRAIT;
    s.PaperSize = DMPAPER_USER;
    s.PaperWidth = 1270;
    s.PaperLength = 2540;
    m = driver->Metrics(s);
    EXPECT_EQ(m.PhysicalWidth, 500);
    EXPECT_EQ(m.PhysicalHeight, 1000);
}

TEST_F(PrintDeviceTest, JobRecordsEveryPageAsAnImage) {
    auto driver = OpenPrinterDriver("Lab");
    TPrinterSettings s = driver->DefaultSettings();
    auto job = driver->StartJob("Summary", "", s);
    TCanvas* c = job->StartPage(s);
    c->Brush()->SetColor(clBlack);
    c->FillRect(Rect(10, 10, 20, 20));
    job->EndPage();
    s.Orientation = DMORIENT_LANDSCAPE;
    job->StartPage(s);
    job->EndPage();
    job->EndDoc();
    ASSERT_EQ(RecordedPrintJobs().size(), 1u);
    const TRecordedJob& rec = RecordedPrintJobs()[0];
    EXPECT_EQ(rec.Title, "Summary");
    EXPECT_TRUE(rec.Ended);
    ASSERT_EQ(rec.Pages.size(), 2u);
    EXPECT_EQ(rec.Pages[0].Image.pixel(15, 15) & 0xFFFFFF, 0u);
    EXPECT_EQ(rec.Pages[0].Image.pixel(25, 25) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(rec.Pages[1].Image.width(), 1050);
}

// The 3-page check report through every output: the snapshot read back by a
// reader written here from the stream format, the PDF checked with qpdf and
// poppler (structure, picture, fonts, text, and pixels of the rendered
// pages), the preview and the printer checked by pixels, and the HTML pages
// shown in a real browser.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <regex>

#include <QImage>

#include "platform/gui/Forms.h"
#include "report/RenderCanvas.h"
#include "report/RenderHTML.h"
#include "report/RenderPDF.h"
#include "report/RenderPreview.h"
#include "report/VSFWriter.h"
#include "report/tests/ReportTestSupport.h"
#include "report/tests/ToolRunner.h"
#include "platform/gui/Icon.h"
#include "platform/gui/tests/IconFixture.h"

namespace {

namespace fs = std::filesystem;

const char* const kGreekName = "\xCE\x9D\xCE\xAF\xCE\xBA\xCE\xBF\xCF\x82 \xCE\xA0\xCE\xB1\xCF\x80\xCE\xAC\xCF\x82";
const char* const kLink = "http://example.org/score(2026)";

// Where the shapes stand, in inches.
struct Geometry {
    // Page 2: a triangle (1,1) (3,1) (1,3) drawn with the pen only; its
    // closing side is the left one, x = 1.
    static constexpr double TriangleClosingX = 1, TriangleMidY = 2;
    // A pie in (4,1)-(6,3) from 0 to 90 degrees: radii to (6,2) and (5,1).
    static constexpr double PieCenterX = 5, PieCenterY = 2;
    // A chord in (1,4)-(3,6) over the upper half, brush clear: its inside
    // stays white, its straight side runs along y = 5.
    static constexpr double ChordInsideX = 2, ChordInsideY = 4.6, ChordLineY = 5;
    // A green JPEG picture stretched into (4,4)-(6,5).
    static constexpr double PictureX = 5, PictureY = 4.5;
    // A 4 x 4 icon stretched into (4, 5.5)-(5, 6.5): quarter-inch cells,
    // the top-left one clear.
    static constexpr double IconX = 4, IconY = 5.5, IconCell = 0.25;
    // Page 3: text turned 90 degrees, its baseline starting at (2, 8).
    static constexpr double RotatedX = 2, RotatedY = 8;
    // Page 1: a line from (1, 3.5) to (7, 3.5) and a text at (1, 1).
    static constexpr double LineY = 3.5, TitleX = 1, TitleY = 1;
};

QImage GreenPicture() {
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(QColor(0, 160, 0));
    return image;
}

TIcon& CheckIcon() {
    static TIcon icon = [] {
        TIcon i;
        i.LoadFromBytes(SmallIconFile());
        return i;
    }();
    return icon;
}

void DrawCheckReport(TVzVSFWriter& w, TJPEGImage& picture) {
    w.SetFont("Arial", 16);
    w.PrintXY(Geometry::TitleX, Geometry::TitleY, "Check report");
    w.SetFont("Times New Roman", 12);
    w.GotoXY(0, 1.5);
    w.PrintCenter("Centred in Times", 4.25);
    w.SetFont("Courier New", 10);
    w.PrintRight("Right in Courier", 7.5);
    w.SetFont("Arial", 12);
    w.PrintXY(1, 2, std::string("Student ") + kGreekName);
    w.SetHyperlink(kLink);
    w.PrintXY(1, 2.5, "Score details");
    w.ClearHyperlink();
    w.SetPen(clBlack, psSolid, 1, pmCopy);
    w.MoveTo(1, Geometry::LineY);
    w.LineTo(7, Geometry::LineY);
    // A tab table with shading.
    w.GotoXY(0, 4);
    w.ClearTabs();
    w.SetTab(1, pjLeft, 2, 0.05, BOXLINEALL, 20);
    w.SetTab(3, pjCenter, 1.5, 0.05, BOXLINEALL, 0);
    w.SetTab(4.5, pjRight, 1.5, 0.05, BOXLINEALL, 40);
    for (int row = 1; row <= 3; ++row) {
        w.PrintTab("Student " + std::to_string(row));
        w.PrintTab(std::to_string(70 + row));
        w.PrintTab(std::to_string(70 + row) + "%");
        w.NewLine();
    }

    w.NewPage();
    int dpi = 600;  // the writer's device when no printer is installed
    auto pt = [&](double x, double y) { return TPoint(int(x * dpi), int(y * dpi)); };
    w.SetPen(clBlack, psSolid, 3, pmCopy);
    w.SetBrush(clWhite, bsClear, nullptr);
    w.Polygon({pt(1, 1), pt(3, 1), pt(1, 3)});
    w.Pie(4, 1, 6, 3, 6, 2, 5, 1);
    w.Chord(1, 4, 3, 6, 3, 5, 1, 5);
    w.Rectangle(1, 7, 2.5, 8);                      // hollow
    w.SetBrush(clRed, bsSolid, nullptr);
    w.Rectangle(3, 7, 4.5, 8);                      // filled
    w.SetBrush(clBlue, bsDiagCross, nullptr);
    w.Ellipse(5, 7, 6.5, 8);                        // hatched
    w.StretchDraw(TRect(4 * dpi, 4 * dpi, 6 * dpi, 5 * dpi), &picture);
    w.StretchDraw(TRect(int(Geometry::IconX * dpi), int(Geometry::IconY * dpi),
                        int((Geometry::IconX + 4 * Geometry::IconCell) * dpi),
                        int((Geometry::IconY + 4 * Geometry::IconCell) * dpi)),
                  &CheckIcon());

    w.NewPage();
    w.SetFont("Arial", 24);
    w.SetFontRotation(90);
    w.PrintXY(Geometry::RotatedX, Geometry::RotatedY, "ROTATED UPWARDS");
}

// ------------------------------------------------------------ the snapshot

// Reads the stream as its format lays it out, independently of the
// library's converter: header, then page records chained by their links.
struct SnapshotPage {
    int Number = 0;
    std::string Bytes;  // the page's records, its own record included
};

class SnapshotReader {
public:
    explicit SnapshotReader(std::string data) : d_(std::move(data)) {}
    std::vector<SnapshotPage> Pages(int& headerCount) {
        EXPECT_EQ(d_.at(0), 'Z');
        int version = I16(1);
        EXPECT_GE(version, 2018);
        size_t at = 3;
        at = SkipText(at, version);                // title
        headerCount = I32(at);
        at += 12;                                  // page count, first and last page
        at += 6 * 4 + 1;                           // paper size, wastes, orientation
        at += 2 + 1 + 1;                           // bin, collate, duplex
        at += 4 * 2;                               // copies, paper codes
        at = SkipText(at, version);                // output name
        std::vector<SnapshotPage> pages;
        size_t page = at;
        std::int32_t previous = 0;
        while (page != 0 && pages.size() < 100) {
            EXPECT_EQ(Byte(d_.at(page)), 80) << page;
            std::int32_t prev = I32(page + 1), next = I32(page + 5);
            EXPECT_EQ(prev, previous);
            SnapshotPage p;
            p.Number = I32(page + 9);
            size_t end = next > 0 ? size_t(next) : d_.size();
            p.Bytes = d_.substr(page, end - page);
            pages.push_back(p);
            previous = std::int32_t(page);
            if (next <= 0) break;
            EXPECT_GT(size_t(next), page);
            page = size_t(next);
        }
        return pages;
    }

private:
    int I16(size_t at) { return std::int16_t(Byte(d_.at(at)) | (Byte(d_.at(at + 1)) << 8)); }
    std::int32_t I32(size_t at) {
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = (v << 8) | Byte(d_.at(at + i));
        return std::int32_t(v);
    }
    size_t SkipText(size_t at, int version) {
        int len = Byte(d_.at(at));
        if (len >= 192 && version >= 2016) return at + 2 + ((len << 8 | Byte(d_.at(at + 1))) - 0xC000);
        return at + 1 + len;
    }
    std::string d_;
};

// ------------------------------------------------------------------ pixels

// A rendered page: pixels at a resolution, with the page's top-left corner
// at (offsetX, offsetY).
struct Raster {
    QImage Image;
    double Dpi;
    double OffsetX = 0, OffsetY = 0;
    QPoint At(double x, double y) const {
        return QPoint(int(std::lround(x * Dpi - OffsetX)), int(std::lround(y * Dpi - OffsetY)));
    }
    bool Ink(QPoint p) const {
        return p.x() >= 0 && p.y() >= 0 && p.x() < Image.width() && p.y() < Image.height() &&
               qGray(Image.pixel(p)) < 240;  // thin lines are light grey at low resolutions
    }
    // Any dark pixel within r pixels of the point.
    bool InkNear(double x, double y, int r) const {
        QPoint c = At(x, y);
        for (int dy = -r; dy <= r; ++dy)
            for (int dx = -r; dx <= r; ++dx)
                if (Ink(c + QPoint(dx, dy))) return true;
        return false;
    }
    int InkIn(double x1, double y1, double x2, double y2) const {
        QPoint a = At(x1, y1), b = At(x2, y2);
        int n = 0;
        for (int y = a.y(); y < b.y(); ++y)
            for (int x = a.x(); x < b.x(); ++x) n += Ink(QPoint(x, y));
        return n;
    }
    bool Green(double x, double y) const {
        QColor c = Image.pixelColor(At(x, y));
        return c.green() > 110 && c.red() < 80 && c.blue() < 80;
    }
    // The colour at the point is within 60 of (r, g, b) in every channel.
    bool Colour(double x, double y, int r, int g, int b) const {
        QColor c = Image.pixelColor(At(x, y));
        return std::abs(c.red() - r) < 60 && std::abs(c.green() - g) < 60 && std::abs(c.blue() - b) < 60;
    }
};

// The icon's cells at their places, the paper showing through its clear one.
void ExpectIcon(const Raster& page2) {
    auto cell = [&](int col, int row, int r, int g, int b) {
        return page2.Colour(Geometry::IconX + (col + 0.5) * Geometry::IconCell,
                            Geometry::IconY + (row + 0.5) * Geometry::IconCell, r, g, b);
    };
    EXPECT_TRUE(cell(0, 0, 255, 255, 255));
    EXPECT_TRUE(cell(1, 1, 255, 0, 0));
    EXPECT_TRUE(cell(3, 0, 0, 255, 0));
    EXPECT_TRUE(cell(0, 3, 0, 0, 255));
    EXPECT_TRUE(cell(3, 3, 0, 0, 0));
    EXPECT_TRUE(page2.Colour(Geometry::IconX + 4.5 * Geometry::IconCell, Geometry::IconY + 0.5, 255, 255, 255));
}

// What every drawn output of page 2 and page 3 must show.
void ExpectShapes(const Raster& page2, const Raster& page3, const std::string& output) {
    SCOPED_TRACE(output);
    int r = std::max(1, int(page2.Dpi / 50));
    // The triangle's closing side, half way down.
    EXPECT_TRUE(page2.InkNear(Geometry::TriangleClosingX, Geometry::TriangleMidY, r));
    // Both radii of the pie, half way out.
    EXPECT_TRUE(page2.InkNear(Geometry::PieCenterX + 0.5, Geometry::PieCenterY, r));
    EXPECT_TRUE(page2.InkNear(Geometry::PieCenterX, Geometry::PieCenterY - 0.5, r));
    // The chord is outlined, not filled.
    EXPECT_TRUE(page2.InkNear(Geometry::ChordInsideX, Geometry::ChordLineY, r));
    EXPECT_FALSE(page2.InkNear(Geometry::ChordInsideX, Geometry::ChordInsideY, r));
    EXPECT_TRUE(page2.Green(Geometry::PictureX, Geometry::PictureY));
    EXPECT_FALSE(page2.Green(Geometry::PictureX, Geometry::PictureY - 0.6));
    ExpectIcon(page2);
    // The turned text stands left of its point and above it.
    EXPECT_GT(page3.InkIn(Geometry::RotatedX - 0.35, Geometry::RotatedY - 3, Geometry::RotatedX,
                          Geometry::RotatedY),
              20);
    EXPECT_EQ(page3.InkIn(Geometry::RotatedX + 0.05, 0.5, 8, 10.5), 0);
    EXPECT_EQ(page3.InkIn(0.5, Geometry::RotatedY + 0.05, 8, 10.5), 0);
}

class CheckReportTest : public ReportPrinterFixture {
protected:
    void SetUp() override {
        ReportPrinterFixture::SetUp();
        dir_ = fs::temp_directory_path() / ("replib-check-" + std::to_string(getpid()));
        fs::create_directories(dir_);
        picture_.LoadFromBytes(EncodeJpeg(GreenPicture(), 90, false, false));
        TVzVSFWriter w(nullptr);
        w.StreamMode = smUser;
        w.Stream = &snapshot_;
        w.Title = "Check report";
        w.OnPrint = [&](TObject*) { DrawCheckReport(w, picture_); };
        w.Execute();
    }
    void TearDown() override {
        std::error_code ignored;
        if (!getenv("REPLIB_KEEP")) fs::remove_all(dir_, ignored);
        ReportPrinterFixture::TearDown();
    }
    std::string SnapshotBytes() {
        std::string b(size_t(snapshot_.Size()), '\0');
        snapshot_.SetPosition(0);
        snapshot_.ReadBuffer(b.data(), Integer(b.size()));
        return b;
    }
    fs::path dir_;
    TJPEGImage picture_;
    TMemoryStream snapshot_;
};

}  // namespace

TEST_F(CheckReportTest, SnapshotHoldsThreeChainedPages) {
    int count = 0;
    std::vector<SnapshotPage> pages = SnapshotReader(SnapshotBytes()).Pages(count);
    EXPECT_EQ(count, 3);
    ASSERT_EQ(pages.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(pages[i].Number, i + 1);
        EXPECT_EQ(Byte(pages[i].Bytes.back()), 82) << "page " << i + 1 << " ends with its end record";
    }
    EXPECT_NE(pages[0].Bytes.find("Check report"), std::string::npos);
    EXPECT_NE(pages[0].Bytes.find(kGreekName), std::string::npos);
    EXPECT_NE(pages[0].Bytes.find(kLink), std::string::npos);
    EXPECT_NE(pages[1].Bytes.find("\xFF\xD8\xFF"), std::string::npos);  // the JPEG picture's data
    EXPECT_EQ(pages[0].Bytes.find("\xFF\xD8\xFF"), std::string::npos);
    // The icon as a graphic of type 3: its size, then its own file.
    const auto icon = CheckIcon().SaveToBytes();
    std::string iconRecord = "\x03";
    for (int i = 0; i < 4; ++i) iconRecord += char(std::uint8_t(icon.size() >> (8 * i)));
    iconRecord.append(icon.begin(), icon.end());
    EXPECT_NE(pages[1].Bytes.find(iconRecord), std::string::npos);
    EXPECT_NE(pages[2].Bytes.find("ROTATED UPWARDS"), std::string::npos);
}

TEST_F(CheckReportTest, PdfPassesTheReadersAndShowsEveryShape) {
    for (const char* tool : {"qpdf", "pdfimages", "pdffonts", "pdftotext", "pdftoppm"})
        if (!HaveTool(tool)) GTEST_SKIP() << tool << " is not installed (qpdf, poppler-utils)";
    fs::path file = dir_ / "check.pdf";
    {
        TVzRenderPDF pdf(nullptr);
        pdf.OpenOutputFile(file.string());
        pdf.Render(&snapshot_);
        pdf.CloseStreams();
    }
    int code;
    std::string out = RunTool("qpdf --check '" + file.string() + "'", code);
    EXPECT_EQ(code, 0) << out;
    out = RunTool("pdfimages -list '" + file.string() + "'", code);
    EXPECT_TRUE(std::regex_search(out, std::regex(R"(\n\s+2\s+\d+\s+image\s+\d+\s+\d+\s+rgb\s+3\s+8\s+jpeg)"))) << out;
    out = RunTool("pdffonts '" + file.string() + "'", code);
    EXPECT_TRUE(std::regex_search(out, std::regex(R"(CID TrueType\s+Identity-H\s+yes\s+no\s+yes)"))) << out;
    out = RunTool("pdftotext -q '" + file.string() + "' -", code);
    EXPECT_NE(out.find(std::string("Student ") + kGreekName), std::string::npos) << out;
    EXPECT_NE(out.find("Check report"), std::string::npos) << out;

    RunTool("pdftoppm -r 100 -png '" + file.string() + "' '" + (dir_ / "page").string() + "'", code);
    ASSERT_EQ(code, 0);
    QImage page2((dir_ / "page-2.png").string().c_str()), page3((dir_ / "page-3.png").string().c_str());
    ASSERT_FALSE(page2.isNull());
    ASSERT_FALSE(page3.isNull());
    ExpectShapes(Raster{page2, 100}, Raster{page3, 100}, "pdf");
}

TEST_F(CheckReportTest, PreviewAndPrinterShowEveryShape) {
    Application->Initialize();
    {
        TForm form(nullptr);
        auto* box = new TScrollBox(&form);
        box->SetParent(&form);
        box->SetBounds(0, 0, 600, 400);
        TVzRenderPreview preview(nullptr);
        preview.ScrollBox = box;
        preview.SetZoomFactor(100);
        preview.Render(&snapshot_);
        auto page = [&](int n) {
            preview.RenderPage(n);
            return Raster{preview.PageBitmap()->Image(), double(preview.GetXDPI()), -double(preview.XToDevice(0)),
                          -double(preview.YToDevice(0))};
        };
        Raster p2 = page(2), p3 = page(3);
        ExpectShapes(p2, p3, "preview");
    }
    Application->ResetForTesting();

    UsePrinters({"Lab"}, "Lab");
    TVzRenderPrinter printer(nullptr);
    printer.Render(&snapshot_);
    ASSERT_EQ(RecordedPrintJobs().size(), 1u);
    const TRecordedJob& job = RecordedPrintJobs()[0];
    ASSERT_EQ(job.Pages.size(), 3u);
    // The recording printer: 100 dpi, printable area from (25, 20) pixels.
    ExpectShapes(Raster{job.Pages[1].Image, 100, 25, 20}, Raster{job.Pages[2].Image, 100, 25, 20}, "printer");
}

// Only a browser places the absolutely positioned blocks these pages are
// made of, so the pages are shown in one and checked on its screenshot.
TEST_F(CheckReportTest, HtmlPagesStandInPlaceInABrowser) {
    std::string browser = HaveTool("chromium") ? "chromium" : HaveTool("chromium-browser") ? "chromium-browser" : "";
    if (browser.empty()) GTEST_SKIP() << "chromium is not installed";
    {
        TVzRenderHTML html(nullptr);
        html.CacheDir = dir_.string();
        html.RenderToFile(&snapshot_, (dir_ / "check.html").string());
    }
    ASSERT_TRUE(fs::exists(dir_ / "check1.html"));
    std::ifstream in(dir_ / "check1.html", std::ios::binary);
    std::string page1((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(page1.find("<meta charset=\"utf-8\">"), std::string::npos);
    auto shot = [&](int n) {
        fs::path png = dir_ / ("shot" + std::to_string(n) + ".png");
        fs::path profile = dir_ / ("profile" + std::to_string(n));
        int code;
        std::string out = RunTool(
            "timeout 60 " + browser +
                " --headless --no-sandbox --disable-gpu --disable-background-networking --disable-component-update"
                " --disable-sync --no-first-run --hide-scrollbars --force-device-scale-factor=1"
                " --window-size=816,1056 --user-data-dir='" +
                profile.string() + "' --screenshot='" + png.string() + "' 'file://" +
                (dir_ / ("check" + std::to_string(n) + ".html")).string() + "'",
            code);
        EXPECT_EQ(code, 0) << out;
        QImage image(png.string().c_str());
        EXPECT_FALSE(image.isNull()) << out;
        return Raster{image, 96};
    };
    Raster p1 = shot(1), p2 = shot(2);
    ASSERT_FALSE(p1.Image.isNull());
    ASSERT_FALSE(p2.Image.isNull());
    // The title starts at its point, its letters above the baseline.
    EXPECT_GT(p1.InkIn(Geometry::TitleX, Geometry::TitleY - 0.25, Geometry::TitleX + 1.2, Geometry::TitleY + 0.02),
              30);
    EXPECT_EQ(p1.InkIn(Geometry::TitleX - 0.4, Geometry::TitleY - 0.3, Geometry::TitleX - 0.04, Geometry::TitleY + 0.05),
              0);
    // The line, and nothing just above or below it.
    for (double x : {1.5, 4.0, 6.5}) {
        EXPECT_TRUE(p1.InkNear(x, Geometry::LineY, 2)) << x;
        EXPECT_FALSE(p1.InkNear(x, Geometry::LineY - 0.1, 2)) << x;
        EXPECT_FALSE(p1.InkNear(x, Geometry::LineY + 0.1, 2)) << x;
    }
    // The picture fills its rectangle and stops at its edges.
    EXPECT_TRUE(p2.Green(Geometry::PictureX, Geometry::PictureY));
    EXPECT_TRUE(p2.Green(4.05, 4.05));
    EXPECT_TRUE(p2.Green(5.95, 4.95));
    EXPECT_FALSE(p2.Green(3.95, 4.5));
    EXPECT_FALSE(p2.Green(5, 5.05));
    ExpectIcon(p2);
}

// The HTML renderer: one page file per report page with its navigation
// script, positioned text blocks, colour boxes and picture files.
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "report/tests/ReportTestSupport.h"

#include "platform/core/Clock.h"
#include "report/RenderHTML.h"
#include "report/VSFWriter.h"

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class RenderHTMLTest : public ReportPrinterFixture {
protected:
    void SetUp() override {
        ReportPrinterFixture::SetUp();
        dir_ = fs::temp_directory_path() / ("omr_html_" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "cache");
    }
    void TearDown() override {
        fs::remove_all(dir_);
        ReportPrinterFixture::TearDown();
    }
    void Generate(const std::function<void(TVzVSFWriter&)>& body) {
        snapshot_.SetSize(0);
        TVzVSFWriter w(nullptr);
        w.StreamMode = smUser;
        w.Stream = &snapshot_;
        w.OnPrint = [&](TObject*) { body(w); };
        w.Execute();
    }
    // The page body between the head and the foot, one block per line.
    std::string RenderBody(TVzRenderHTML& html) {
        TMemoryStream out;
        html.OutputStream = &out;
        html.CacheDir = (dir_ / "cache").string();
        html.OutputFileName = (dir_ / "page").string();
        html.Render(&snapshot_);
        std::string s(size_t(out.Size()), '\0');
        out.SetPosition(0);
        if (!s.empty()) out.ReadBuffer(s.data(), Integer(s.size()));
        const std::string head = "</SCRIPT>\r\n</HEAD>\r\n<BODY>\r\n";
        size_t from = s.find(head);
        size_t to = s.find("<DIV style=\"COLOR: #000000");
        EXPECT_NE(from, std::string::npos);
        from += head.size();
        return s.substr(from, to - from);
    }
    fs::path dir_;
    TMemoryStream snapshot_;
};

// Three pages with text (markup characters among them), a hyperlink, a
// justified block, lines, a box and a picture, saved under a name without
// extension: the pages are compared byte for byte with the golden files
// (the test folder written as "{DIR}").
TEST_F(RenderHTMLTest, ThreePagesMatchGoldenFilesWithNavigationAndPictures) {
    Generate([](TVzVSFWriter& w) {
        w.SetFont("Arial", 10);
        w.PrintXY(1, 1, "Score <b> & \"more\"");
        w.GotoXY(0, 1.5);
        w.PrintCenter("Centred  title", 4.25);
        w.PrintRight("Right", 7.5);
        w.SetPen(clRed, psSolid, 1, pmCopy);
        w.MoveTo(1, 2);
        w.LineTo(3, 2);
        w.MoveTo(1, 2.5);
        w.LineTo(3, 3.5);  // diagonal: nothing
        w.SetBrush(clYellow, bsSolid, nullptr);
        w.Rectangle(1, 4, 2, 4.5);
        TBitmap picture;
        picture.SetSize(8, 8);
        w.PrintBitmapRect(5, 4, 6, 5, &picture);
        w.NewPage();
        w.SetBold(true);
        w.GotoXY(1, 1);
        w.PrintBlock("one two  three", 1, 3);
        w.SetHyperlink("http://example.com/?a=1&b=\"2\"");
        w.PrintXY(1, 2, "link");
        w.ClearHyperlink();
        w.NewPage();
        w.SetFontColor(clBlue);
        w.PrintXY(1, 1, "last");
    });
    TVzRenderHTML html(nullptr);
    html.CacheDir = (dir_ / "cache").string();
    html.RenderToFile(&snapshot_, (dir_ / "report").string());

    std::string dir = dir_.string();
    for (int page = 1; page <= 3; ++page) {
        std::string name = "report" + std::to_string(page) + ".html";
        ASSERT_TRUE(fs::exists(dir_ / name)) << name;
        std::string got = ReadFile(dir_ / name);
        for (size_t at = got.find(dir); at != std::string::npos; at = got.find(dir, at)) got.replace(at, dir.size(), "{DIR}");
        fs::path golden = fs::path(OMR_TEST_DATA) / "html" / name;
        if (std::getenv("OMR_UPDATE_GOLDEN")) {
            fs::create_directories(golden.parent_path());
            std::ofstream(golden, std::ios::binary) << got;
        }
        EXPECT_EQ(got, ReadFile(golden)) << name;
    }
    EXPECT_FALSE(fs::exists(dir_ / "report4.html"));
    // The picture went to the cache folder as a JPEG; the colour boxes lie
    // beside the pages as 78-byte GIFs.
    std::string jpeg = ReadFile(dir_ / "cache" / "0000.jpg");
    ASSERT_GE(jpeg.size(), 4u);
    EXPECT_EQ(jpeg.substr(0, 2), "\xFF\xD8");
    EXPECT_EQ(ReadFile(dir_ / "FF0000.gif"), TVzRenderHTML::ColorGIF(clRed));
    EXPECT_EQ(ReadFile(dir_ / "FFFF00.gif"), TVzRenderHTML::ColorGIF(clYellow));
}

TEST_F(RenderHTMLTest, ColourGifBytes) {
    std::string gif = TVzRenderHTML::ColorGIF(TColor(0x00332211));
    ASSERT_EQ(gif.size(), 78u);
    EXPECT_EQ(gif.substr(0, 16), std::string("GIF89a\x02\0\x02\0\xB3\0\0\x11\x22\x33", 16));
    EXPECT_EQ(gif.substr(16, 45), std::string(45, '\0'));
    EXPECT_EQ(gif.substr(61), std::string("\x2C\0\0\0\0\x02\0\x02\0\0\x04\x03\x10\x48\x10\0\x3B", 17));
}

TEST_F(RenderHTMLTest, TextBlocksEscapeMarkupAndFixBlanksAsConfigured) {
    struct Case {
        std::string text;
        bool breaking;
        std::string content;
    } cases[] = {
        {"a  b", false, "a&nbsp;&nbsp;b"},
        {"a  b", true, "a  b"},
        {"  ab", true, "&nbsp;&nbsp;ab"},
        {"  ", true, "  "},
        {"<script>x</script>", false, "&lt;script&gt;x&lt;/script&gt;"},
        {"Tom & \"Jerry\"", true, "Tom &amp; &quot;Jerry&quot;"},
    };
    for (const Case& c : cases) {
        Generate([&](TVzVSFWriter& w) { w.PrintXY(1, 1, c.text); });
        TVzRenderHTML html(nullptr);
        html.UseBreakingSpaces = c.breaking;
        std::string body = RenderBody(html);
        EXPECT_NE(body.find("\">" + c.content + "</DIV>"), std::string::npos) << c.text << "\n" << body;
    }
}

// A single word is justified by spreading its characters, never splitting a
// multi-byte character; the last one ends at the right edge.
TEST_F(RenderHTMLTest, SingleWordBlockSpreadsItsCharacters) {
    Generate([](TVzVSFWriter& w) {
        w.GotoXY(0, 1);
        w.PrintBlock("\xC3\xA4" "b", 1, 2);
    });
    TVzRenderHTML html(nullptr);
    std::string body = RenderBody(html);
    EXPECT_NE(body.find("<DIV STYLE=\"left:96;top:83;width:96;font:normal normal 10pt 'Arial';color:#000000\">\xC3\xA4</DIV>"),
              std::string::npos)
        << body;
    EXPECT_NE(body.find("<DIV STYLE=\"text-align:right;left:0;top:83;width:288;font:normal normal 10pt 'Arial';color:#000000\">&nbsp;b</DIV>"),
              std::string::npos)
        << body;
}

TEST_F(RenderHTMLTest, LinesAndBoxes) {
    Generate([](TVzVSFWriter& w) {
        w.SetPen(clBlack, psSolid, 1, pmCopy);
        w.MoveTo(2, 1);
        w.LineTo(2, 3);  // vertical: width 0 shown one pixel wide
        w.MoveTo(3, 1);
        w.LineTo(1, 1);  // drawn leftwards
    });
    TVzRenderHTML html(nullptr);
    std::string body = RenderBody(html);
    EXPECT_NE(body.find("<DIV STYLE=\"left:192;top:96;height:192;"), std::string::npos) << body;
    EXPECT_NE(body.find("<IMG SRC=\"000000.gif\" WIDTH=1 HEIGHT=192>"), std::string::npos) << body;
    EXPECT_NE(body.find("<DIV STYLE=\"left:96;top:96;width:192;"), std::string::npos) << body;
    EXPECT_NE(body.find("<IMG SRC=\"000000.gif\" WIDTH=192 HEIGHT=1>"), std::string::npos) << body;
}

TEST_F(RenderHTMLTest, PicturesSkipExistingNamesAndServerModeUsesServerPaths) {
    std::ofstream(dir_ / "cache" / "0000.jpg") << "taken";
    Generate([](TVzVSFWriter& w) {
        TBitmap picture;
        picture.SetSize(4, 4);
        w.PrintBitmapRect(1, 1, 2, 2, &picture);
        w.SetBrush(clLime, bsSolid, nullptr);
        w.SetPen(clLime, psClear, 1, pmCopy);
        w.Rectangle(1, 3, 2, 4);
    });
    {
        TVzRenderHTML html(nullptr);
        std::string body = RenderBody(html);
        EXPECT_NE(body.find("<IMG Src=\"" + (dir_ / "cache").string() + "/0001.jpg\" width=96 height=96>"),
                  std::string::npos)
            << body;
        EXPECT_EQ(ReadFile(dir_ / "cache" / "0000.jpg"), "taken");
        EXPECT_TRUE(fs::exists(dir_ / "cache" / "0001.jpg"));
        // A clear pen draws no edges: the fill is the only box.
        EXPECT_EQ(body.find("00FF00.gif"), body.rfind("00FF00.gif"));
        EXPECT_TRUE(fs::exists(dir_ / "00FF00.gif"));
    }
    fs::remove(dir_ / "00FF00.gif");
    {
        TVzRenderHTML html(nullptr);
        html.ServerMode = true;
        std::string body = RenderBody(html);
        EXPECT_NE(body.find("<IMG Src=\"/Cache/0002.jpg\""), std::string::npos) << body;
        EXPECT_NE(body.find("<IMG SRC=\"/Color/00FF00.gif\""), std::string::npos) << body;
        EXPECT_FALSE(fs::exists(dir_ / "00FF00.gif"));
    }
}

TEST_F(RenderHTMLTest, RegisteredAsWebPageFormat) {
    TVzRenderHTML html(nullptr);
    EXPECT_NE(BuildRendererFilter().find("Web Page (HTML)|*.html;*.htm"), std::string::npos);
}

}  // namespace

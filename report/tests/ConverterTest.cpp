// Playing snapshot streams: page choice, output kinds, macros, state, the
// renderer registry and damaged streams.
#include "report/tests/RecordingRender.h"
#include "report/tests/ReportTestSupport.h"

#include "report/RenderCanvas.h"
#include "report/RenderHTML.h"
#include "report/RenderPDF.h"
#include "report/VSFWriter.h"

#include <cstring>
#include <filesystem>
#include <limits>

namespace {

class ConverterTest : public ReportPrinterFixture {
protected:
    void Generate(int pages, std::function<void(TVzVSFWriter&, int)> page) {
        TVzVSFWriter w(nullptr);
        w.StreamMode = smUser;
        w.Stream = &stream_;
        w.OnPrint = [&](TObject*) {
            for (int p = 1; p <= pages; ++p) {
                if (p > 1) w.NewPage();
                page(w, p);
            }
        };
        w.Execute();
    }
    std::vector<std::string> Texts(TRecordingRender& r) {
        std::vector<std::string> out;
        for (const auto& line : r.Log)
            if (line.rfind("Print", 0) == 0 || line.rfind("BeginPage", 0) == 0) out.push_back(line);
        return out;
    }
    TMemoryStream stream_;
};

std::vector<int> PagesPlayed(TRecordingRender& r) {
    std::vector<int> pages;
    for (const auto& line : r.Log)
        if (line.rfind("BeginPage ", 0) == 0) pages.push_back(std::stoi(line.substr(10)));
    return pages;
}

}  // namespace

TEST_F(ConverterTest, PageChoice) {
    Generate(3, [](TVzVSFWriter& w, int p) { w.PrintXY(1, 1, "page " + std::to_string(p)); });
    struct Case {
        std::string selection;
        int first, last;
        std::vector<int> pages;
    };
    std::vector<Case> cases = {{"2", 0, 0, {2}},        {"odd", 0, 0, {1, 3}},  {"", 2, 5, {2, 3}},
                               {"", 0, 0, {1, 2, 3}},    {"", 1, 3, {1, 2, 3}}, {"", 3, 3, {3}}};
    for (const auto& c : cases) {
        TRecordingRender r;
        r.Selection = c.selection;
        r.FirstPage = c.first;
        r.LastPage = c.last;
        r.Render(&stream_);
        EXPECT_EQ(PagesPlayed(r), c.pages) << c.selection << " " << c.first << "-" << c.last;
    }
    TRecordingRender one;
    one.Render(&stream_);
    one.Log.clear();
    one.Convert(3);
    EXPECT_EQ(PagesPlayed(one), std::vector<int>{3});
}

TEST_F(ConverterTest, PreviewOnlyContent) {
    Generate(1, [](TVzVSFWriter& w, int) {
        w.PrintXY(1, 1, "both");
        w.AllowPreviewOnly();
        w.PrintXY(1, 2, "preview");
        w.AllowPrinterOnly();
        w.PrintXY(1, 3, "paper");
        w.AllowAll();
        w.PrintXY(1, 4, "again");
    });
    TRecordingRender printer(0), preview(1);
    printer.Render(&stream_);
    preview.Render(&stream_);
    auto names = [](TRecordingRender& r) {
        std::string s;
        for (const auto& line : r.Log)
            if (line.rfind("PrintLeft", 0) == 0) s += line.substr(11, line.find('\'', 11) - 11) + " ";
        return s;
    };
    EXPECT_EQ(names(printer), "both paper again ");
    EXPECT_EQ(names(preview), "both preview again ");
}

TEST_F(ConverterTest, MacrosAreExpandedAtPlayTime) {
    Generate(2, [](TVzVSFWriter& w, int) {
        w.PrintXY(1, 1, "Page " + w.Macro(11) + " of " + w.Macro(10) + " rel " + w.Macro(12) + " [" + w.Macro(16) + "]");
    });
    TRecordingRender r;
    r.MacroData.Add("line sixteen");
    r.Render(&stream_);
    auto t = Texts(r);
    EXPECT_EQ(t[1], "PrintLeft 'Page 1 of 2 rel 1 [line sixteen]' 1.000 1.000");
    EXPECT_EQ(t[3], "PrintLeft 'Page 2 of 2 rel 2 [line sixteen]' 1.000 1.000");
}

TEST_F(ConverterTest, FormattedTextIsPlayedRunByRun) {
    Generate(1, [](TVzVSFWriter& w, int) {
        w.PrintXY(1, 1, std::string("\x01" "B1\x04" "Bold\x01" "B0\x04" " plain"));
    });
    TRecordingRender r;
    r.LogState = true;
    r.Render(&stream_);
    std::vector<std::string> runs;
    for (const auto& line : r.Log)
        if (line.rfind("PrintLeft", 0) == 0 || line.rfind("Font Arial", 0) == 0) runs.push_back(line);
    ASSERT_GE(runs.size(), 4u);
    EXPECT_EQ(runs[runs.size() - 4], "Font Arial bold");
    EXPECT_EQ(runs[runs.size() - 3], "PrintLeft 'Bold' 1.000 1.000");
    EXPECT_EQ(runs[runs.size() - 2], "Font Arial");
    EXPECT_EQ(runs.back().rfind("PrintLeft ' plain' 1.", 0), 0u);
    EXPECT_NE(runs.back(), "PrintLeft ' plain' 1.000 1.000");
}

TEST_F(ConverterTest, BrushBitmapComesAndGoes) {
    TBitmap pattern;
    pattern.SetSize(8, 8);
    Generate(1, [&](TVzVSFWriter& w, int) {
        w.SetBrush(clRed, bsSolid, &pattern);
        w.Rectangle(1, 1, 2, 2);
        w.SetBrush(clRed, bsSolid, nullptr);
        w.Rectangle(1, 1, 2, 2);
    });
    TRecordingRender r;
    r.LogState = true;
    r.Render(&stream_);
    std::vector<std::string> seen;
    for (const auto& line : r.Log)
        if (line.rfind("SetBrush", 0) == 0 || line.rfind("Rectangle", 0) == 0) seen.push_back(line);
    // The rectangle after the bitmap went away has no pattern.
    ASSERT_GE(seen.size(), 3u);
    auto firstRect = std::find(seen.begin(), seen.end(), "Rectangle 1.000 1.000 2.000 2.000");
    ASSERT_NE(firstRect, seen.end());
    EXPECT_EQ(*(firstRect - 1), "SetBrush 0 bitmap");
    EXPECT_EQ(seen[seen.size() - 2], "SetBrush 0");
}

TEST_F(ConverterTest, RegistryKeepsRegistrationOrder) {
    int before = RegisteredRendererCount();
    {
        TRecordingRender a, b, c;
        a.SetDisplayName("Adobe PDF");
        a.FileExtension = "*.pdf";
        b.SetDisplayName("Web page");
        b.FileExtension = "*.htm";
        c.SetDisplayName("Adobe PDF");
        c.FileExtension = "*.pdf";
        c.Active = false;
        std::vector<std::pair<std::string, TVPRender*>> list;
        ListRendererNames(list);
        ASSERT_EQ(list.size(), size_t(before) + 2);
        EXPECT_EQ(list[before].first, "Adobe PDF");
        EXPECT_EQ(list[before + 1].second, &b);
        EXPECT_EQ(BuildRendererFilter(), "Adobe PDF|*.pdf|Web page|*.htm");
        c.Active = true;
        EXPECT_EQ(BuildRendererFilter(), "Adobe PDF|*.pdf|Web page|*.htm|Adobe PDF|*.pdf");
    }
    EXPECT_EQ(RegisteredRendererCount(), before);
    EXPECT_EQ(BuildRendererFilter(), "");
}

TEST_F(ConverterTest, DamagedStreamsAreRefused) {
    Generate(1, [](TVzVSFWriter& w, int) { w.PrintXY(1, 1, "text"); });
    std::string good(size_t(stream_.Size()), '\0');
    stream_.SetPosition(0);
    stream_.ReadBuffer(good.data(), Integer(good.size()));
    auto play = [](const std::string& bytes, TRecordingRender& r) {
        TMemoryStream s;
        if (!bytes.empty()) s.WriteBuffer(bytes.data(), Integer(bytes.size()));
        r.Render(&s);
    };
    {
        TRecordingRender r;
        std::string bad = good;
        bad[0] = 'X';
        try {
            play(bad, r);
            FAIL();
        } catch (const EReportPrinter& e) {
            EXPECT_EQ(e.Message, "Unexpected header code [88] found in report file.");
        }
        EXPECT_TRUE(r.Log.empty());  // BeginDoc never ran
        EXPECT_FALSE(r.Busy());
    }
    {
        TRecordingRender r;
        std::string bad = good;
        bad[bad.size() - 1] = char(99);  // an unknown code where the page ends
        try {
            play(bad, r);
            FAIL();
        } catch (const EReportPrinter& e) {
            EXPECT_EQ(e.Message, "Unexpected code [99] found in report file.");
        }
        EXPECT_EQ(r.Log.back(), "EndDoc");
    }
    {
        TRecordingRender r;
        EXPECT_THROW(play(good.substr(0, good.size() - 6), r), EReadError);
        EXPECT_EQ(r.Log.back(), "EndDoc");
    }
    {
        // A graphic claiming more bytes than the stream holds.
        TBitmap b;
        b.SetSize(2, 2);
        TMemoryStream s;
        TVzVSFWriter w(nullptr);
        w.StreamMode = smUser;
        w.Stream = &s;
        w.OnPrint = [&](TObject*) { w.PrintBitmap(1, 1, 1, 1, &b); };
        w.Execute();
        std::string bytes(size_t(s.Size()), '\0');
        s.SetPosition(0);
        s.ReadBuffer(bytes.data(), Integer(bytes.size()));
        size_t at = bytes.find("\x10\x01");
        ASSERT_NE(at, std::string::npos);
        bytes[at + 5] = char(0x7F);  // size field now near 2 GB
        TRecordingRender r;
        EXPECT_THROW(play(bytes, r), EReadError);
    }
}

TEST_F(ConverterTest, AValueHoldingItsOwnMarkerDoesNotLoop) {
    Generate(1, [](TVzVSFWriter& w, int) {
        std::string marker = w.PIVar("Self");
        w.SetPIVar("Self", "x" + marker);
        w.PrintXY(1, 1, marker);
    });
    TRecordingRender r;
    r.Render(&stream_);  // returns
    EXPECT_EQ(r.Log.back(), "EndDoc");
}

namespace {

std::string Bytes(TMemoryStream& s) {
    std::string b(size_t(s.Size()), '\0');
    s.SetPosition(0);
    if (!b.empty()) s.ReadBuffer(b.data(), Integer(b.size()));
    return b;
}

void Play(const std::string& bytes, TVPRender& r) {
    TMemoryStream s;
    s.WriteBuffer(bytes.data(), Integer(bytes.size()));
    r.Render(&s);
}

// Replaces the one occurrence of a 4-byte real in the stream.
void PatchReal(std::string& bytes, float from, float to) {
    std::string a(4, '\0'), b(4, '\0');
    std::memcpy(a.data(), &from, 4);
    std::memcpy(b.data(), &to, 4);
    size_t at = bytes.find(a);
    ASSERT_NE(at, std::string::npos);
    ASSERT_EQ(bytes.find(a, at + 1), std::string::npos);
    bytes.replace(at, 4, b);
}

}  // namespace

TEST_F(ConverterTest, HeaderPageCountIsNotTrusted) {
    Generate(1, [](TVzVSFWriter& w, int) { w.PrintXY(1, 1, "only page"); });
    std::string bytes = Bytes(stream_);
    // Marker, version, title with its length byte, then the page count.
    ASSERT_EQ(bytes[0], 'Z');
    size_t countAt = 4 + Byte(bytes[3]);
    const std::int32_t huge = 0x7FFFFFFF;
    std::memcpy(&bytes[countAt], &huge, 4);
    for (const char* selection : {"odd", "1-2147483647", ""}) {
        TRecordingRender r;
        r.Selection = selection;
        Play(bytes, r);
        EXPECT_EQ(PagesPlayed(r), std::vector<int>{1}) << selection;
    }
    TMemoryStream s;
    s.WriteBuffer(bytes.data(), Integer(bytes.size()));
    TRecordingRender r;
    r.Render(&s);
    r.Log.clear();
    r.Convert(2);  // no such page
    EXPECT_EQ(PagesPlayed(r), std::vector<int>{});
    // The web pages stop after the one page there is.
    auto dir = std::filesystem::temp_directory_path() / ("replib-html-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    TVzRenderHTML html(nullptr);
    html.CacheDir = dir.string();
    html.RenderToFile(&s, (dir / "page.html").string());
    EXPECT_TRUE(std::filesystem::exists(dir / "page1.html"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1);
    std::filesystem::remove_all(dir);
}

TEST_F(ConverterTest, BadNumbersAreRefusedOrClamped) {
    Generate(1, [](TVzVSFWriter& w, int) {
        w.SetFontRotation(0);
        w.PrintXY(1.25, 1.5, "text");
        w.Pie(1, 1, 3, 3, 3, 2, 2, 1.75);
    });
    std::string good = Bytes(stream_);
    for (float nan : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        std::string bad = good;
        PatchReal(bad, 1.75f, nan);  // the pie's sweep ends at a point that is not a number
        TRecordingRender r;
        try {
            Play(bad, r);
            FAIL();
        } catch (const EReportPrinter& e) {
            EXPECT_EQ(e.Message, "Invalid number found in report file.");
        }
        EXPECT_EQ(r.Log.back(), "EndDoc");
    }
    // Far beyond any page: every renderer draws with clamped device values.
    std::string far = good;
    PatchReal(far, 1.25f, 3e38f);
    PatchReal(far, 1.5f, -3e38f);
    UsePrinters({"Lab"}, "Lab");
    TVzRenderPrinter printer(nullptr);
    Play(far, printer);
    ASSERT_EQ(RecordedPrintJobs().size(), 1u);
    EXPECT_EQ(RecordedPrintJobs()[0].Pages.size(), 1u);
    TVzRenderPDF pdf(nullptr);
    TMemoryStream out;
    pdf.OutputStream = &out;
    Play(far, pdf);
    EXPECT_GT(out.Size(), 0);
    auto dir = std::filesystem::temp_directory_path() / ("replib-far-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    TMemoryStream farStream;
    farStream.WriteBuffer(far.data(), Integer(far.size()));
    TVzRenderHTML html(nullptr);
    html.CacheDir = dir.string();
    html.RenderToFile(&farStream, (dir / "far.html").string());
    EXPECT_TRUE(std::filesystem::exists(dir / "far1.html"));
    std::filesystem::remove_all(dir);
}

TEST_F(ConverterTest, TextsThatAreNotUtf8AreWindows1252) {
    Generate(1, [](TVzVSFWriter& w, int) {
        std::string marker = w.PIVar("G\xFC" "nter");
        w.SetPIVar("G\xFC" "nter", "Z\xFC" "rich");
        w.PrintXY(1, 1, "M\xFCller \x80 " + marker);
        w.PrintXY(1, 2, "M\xC3\xBCller");
    });
    TRecordingRender r;
    r.Render(&stream_);
    auto t = Texts(r);
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[1], "PrintLeft 'M\xC3\xBCller \xE2\x82\xAC Z\xC3\xBCrich' 1.000 1.000");
    EXPECT_EQ(t[2], "PrintLeft 'M\xC3\xBCller' 1.000 2.000");
}

// Files are read through a buffer: jumping between pages and reading
// records across buffer boundaries gives what the memory stream gives.
TEST_F(ConverterTest, FilesPlayLikeMemory) {
    Generate(40, [](TVzVSFWriter& w, int p) {
        for (int line = 0; line < 40; ++line) w.PrintXY(1, 1 + line * 0.2, "page " + std::to_string(p) + " line " + std::to_string(line));
    });
    std::string path = (std::filesystem::temp_directory_path() / ("replib-play-" + std::to_string(getpid()) + ".vsf")).string();
    stream_.SaveToFile(path);
    for (const char* selection : {"", "odd", "7,3,39"}) {
        TRecordingRender fromMemory, fromFile;
        fromMemory.Selection = fromFile.Selection = selection;
        fromMemory.Render(&stream_);
        fromFile.RenderFile(path);
        EXPECT_GT(fromMemory.Log.size(), 100u);
        EXPECT_EQ(fromFile.Log, fromMemory.Log) << selection;
    }
    std::filesystem::remove(path);
}

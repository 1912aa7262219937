// The snapshot stream written by the writer and read back by the converter.
#include <cstring>
#include <filesystem>
#include <fstream>

#include "report/tests/RecordingRender.h"
#include "report/tests/ReportTestSupport.h"

#include "report/VSFWriter.h"

namespace {

std::string Bytes(TStream* s) {
    std::string b(size_t(s->Size()), '\0');
    s->SetPosition(0);
    if (!b.empty()) s->ReadBuffer(b.data(), Integer(b.size()));
    return b;
}

std::int32_t Int32At(const std::string& b, size_t at) {
    std::uint32_t u = 0;
    for (int i = 3; i >= 0; --i) u = (u << 8) | Byte(b[at + i]);
    return std::int32_t(u);
}

float RealAt(const std::string& b, size_t at) {
    std::uint32_t u = std::uint32_t(Int32At(b, at));
    float f;
    std::memcpy(&f, &u, 4);
    return f;
}

class SnapshotStreamTest : public ReportPrinterFixture {
protected:
    // Runs a report into memory and answers the stream's bytes.
    std::string Generate(std::function<void(TVzVSFWriter&)> body, std::function<void(TVzVSFWriter&)> setup = {}) {
        writer_ = std::make_unique<TVzVSFWriter>(nullptr);
        writer_->Title = "Scores";
        if (setup) setup(*writer_);
        writer_->OnPrint = [&](TObject*) { body(*writer_); };
        writer_->Execute();
        return Bytes(writer_->MemoryStream());
    }
    // Plays the bytes into a recording renderer.
    std::vector<std::string> Play(const std::string& bytes, TRecordingRender& render) {
        TMemoryStream s;
        s.WriteBuffer(bytes.data(), Integer(bytes.size()));
        render.Render(&s);
        return render.Log;
    }
    std::unique_ptr<TVzVSFWriter> writer_;
};

// Positions of the page records, following the next links.
std::vector<size_t> PageRecords(const std::string& b, size_t first) {
    std::vector<size_t> pages;
    size_t at = first;
    while (at != 0 && at < b.size()) {
        EXPECT_EQ(Byte(b[at]), 80);
        pages.push_back(at);
        at = size_t(Int32At(b, at + 5));
    }
    return pages;
}

// The header of a stream titled "Scores" with no printer is 70 bytes.
constexpr size_t HeaderSize = 1 + 2 + 7 + 12 + 24 + 1 + 2 + 1 + 1 + 8 + 1;

}  // namespace

TEST_F(SnapshotStreamTest, EmptyOnePageReport) {
    std::string b = Generate([](TVzVSFWriter&) {});
    EXPECT_EQ(b[0], 'Z');
    EXPECT_EQ(Byte(b[1]) | (Byte(b[2]) << 8), 5130);
    EXPECT_EQ(b.substr(3, 7), std::string("\x06Scores"));
    EXPECT_EQ(Int32At(b, 10), 1);   // page count, patched
    EXPECT_EQ(Int32At(b, 14), 1);   // first page
    EXPECT_EQ(Int32At(b, 18), 9999);
    EXPECT_FLOAT_EQ(RealAt(b, 22), 8.5f);
    EXPECT_FLOAT_EQ(RealAt(b, 26), 11.0f);
    EXPECT_EQ(Byte(b[HeaderSize - 1]), 0);  // empty output name
    ASSERT_EQ(Byte(b[HeaderSize]), 80);
    EXPECT_EQ(Int32At(b, HeaderSize + 1), 0);  // previous
    EXPECT_EQ(Int32At(b, HeaderSize + 5), 0);  // next
    EXPECT_EQ(Int32At(b, HeaderSize + 9), 1);  // page number
    EXPECT_EQ(Byte(b.back()), 82);
    TRecordingRender render;
    EXPECT_EQ(Play(b, render), (std::vector<std::string>{"BeginDoc", "BeginPage 1", "EndPage", "EndDoc"}));
}

TEST_F(SnapshotStreamTest, GoldenStreamOfAShortReport) {
    std::string b = Generate([](TVzVSFWriter& r) {
        r.SetFont("Arial", 12);
        r.GotoXY(1, 1);
        r.Print("Hello");
        r.SetPen(clRed, psSolid, -1, pmCopy);
        r.Rectangle(1, 2, 3, 4);
        r.MoveTo(1, 5);
        r.LineTo(3, 5);
    });
    std::string golden = std::string(OMR_TEST_DATA) + "/short-report.vsf";
    std::ifstream in(golden, std::ios::binary);
    ASSERT_TRUE(in) << golden;
    std::string expected((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(b, expected);
    TRecordingRender render;
    auto log = Play(b, render);
    std::vector<std::string> want = {"BeginDoc", "BeginPage 1", "PrintLeft 'Hello' 1.000 1.000",
                                     "Rectangle 1.000 2.000 3.000 4.000", "MoveTo 1.000 5.000",
                                     "LineTo 3.000 5.000", "EndPage", "EndDoc"};
    EXPECT_EQ(log, want);
}

TEST_F(SnapshotStreamTest, TextLengthsTakeOneOrTwoBytes) {
    struct Case {
        size_t length;
        std::string prefix;
        size_t stored;
    };
    std::vector<Case> cases = {{191, "\xBF", 191}, {192, "\xC0\xC0", 192}, {16383, "\xFF\xFF", 16383},
                               {20000, "\xFF\xFF", 16383}};
    for (const auto& c : cases) {
        std::string text(c.length, 'a');
        std::string b = Generate([&](TVzVSFWriter& r) { r.PrintData(text); });
        size_t at = b.find(std::string(1, '\x1E') + c.prefix + "aaaa");
        ASSERT_NE(at, std::string::npos) << c.length;
        size_t start = at + 1 + c.prefix.size();
        EXPECT_EQ(b.find_first_not_of('a', start) - start, c.stored) << c.length;
    }
    // Read back as written.
    std::string text(300, 'b');
    std::string b = Generate([&](TVzVSFWriter& r) { r.PrintLeft(text, 1); });
    TRecordingRender render;
    auto log = Play(b, render);
    EXPECT_EQ(log[2].substr(0, 12), "PrintLeft 'b");
    EXPECT_NE(log[2].find(text + "'"), std::string::npos);
}

TEST_F(SnapshotStreamTest, UnselectedPagesAreLeftOutOfTheChain) {
    std::string b = Generate(
        [](TVzVSFWriter& r) {
            r.PrintXY(1, 1, "one");
            r.NewPage();
            r.PrintXY(1, 1, "two");
            r.NewPage();
            r.PrintXY(1, 1, "three");
        },
        [](TVzVSFWriter& w) { w.Selection = "1,3"; });
    EXPECT_EQ(Int32At(b, 10), 2);
    auto pages = PageRecords(b, HeaderSize);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(Int32At(b, pages[0] + 9), 1);
    EXPECT_EQ(Int32At(b, pages[1] + 9), 2);
    EXPECT_EQ(size_t(Int32At(b, pages[1] + 1)), pages[0]);  // previous link
    EXPECT_EQ(b.find("two"), std::string::npos);
    EXPECT_NE(b.find("three"), std::string::npos);
}

TEST_F(SnapshotStreamTest, AbortedPageLeavesAValidChain) {
    std::string b = Generate([](TVzVSFWriter& r) {
        r.PrintXY(1, 1, "one");
        r.NewPage();
        r.PrintXY(1, 1, "dropped" + r.PIVar("Late"));
        r.AbortPage();
        r.NewPage();
        r.PrintXY(1, 1, "two");
        // The placeholder went with its page: the value is a record of its own.
        r.SetPIVar("Late", "value");
        r.NewPage();
        r.PrintXY(1, 1, "last");
        r.AbortPage();
    });
    EXPECT_EQ(b.find("dropped"), std::string::npos);
    EXPECT_EQ(b.find("last"), std::string::npos);
    EXPECT_EQ(Int32At(b, 10), 2);
    auto pages = PageRecords(b, HeaderSize);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(Int32At(b, pages[1] + 9), 2);
    EXPECT_EQ(Byte(b.back()), 82);
    EXPECT_NE(b.find("value"), std::string::npos);
    TRecordingRender render;
    auto log = Play(b, render);
    EXPECT_EQ(log.size(), 8u);
}

TEST_F(SnapshotStreamTest, ReusedGraphicIsAReference) {
    TBitmap bitmap;
    bitmap.SetSize(4, 3);
    std::string b = Generate([&](TVzVSFWriter& r) {
        r.PrintBitmap(1, 1, 1, 1, &bitmap);
        r.RegisterGraphic(1);
        r.ReuseGraphic(1);
        r.PrintBitmap(2, 2, 1, 1, &bitmap);
        EXPECT_THROW(r.RegisterGraphic(11), EReportPrinter);
        try {
            r.ReuseGraphic(0);
        } catch (const EReportPrinter& e) {
            EXPECT_EQ(e.Message, "ReuseGraphic: Index must be between 1 and 10");
        }
    });
    size_t first = b.find("\x10\x01");
    ASSERT_NE(first, std::string::npos);
    size_t second = b.find(std::string("\x10\x81", 2), first);
    ASSERT_NE(second, std::string::npos);
    EXPECT_EQ(size_t(Int32At(b, second + 2)), first + 2);  // the size field of the first
    TRecordingRender render;
    auto log = Play(b, render);
    EXPECT_EQ(log[2], "PrintBitmap 1.000 1.000 4");
    EXPECT_EQ(log[3], "PrintBitmap 2.000 2.000 4");
}

TEST_F(SnapshotStreamTest, LateBoundValues) {
    std::string b = Generate([](TVzVSFWriter& r) {
        r.SetPIVar("Count", "7");
        r.PrintXY(1, 1, "a" + r.PIVar("count") + "b");
        r.NewPage();
        r.PrintXY(1, 1, "Total " + r.PIVar("Total"));
        r.PIVar("Total");  // pending: nothing more is written
        r.NewPage();
        r.SetPIVar("TOTAL", "42");
    });
    TRecordingRender render;
    auto log = Play(b, render);
    std::vector<std::string> texts;
    for (const auto& line : log)
        if (line.rfind("PrintLeft", 0) == 0) texts.push_back(line.substr(0, line.find("' ") + 1));
    EXPECT_EQ(texts, (std::vector<std::string>{"PrintLeft 'a7b'", "PrintLeft 'Total 42'"}));
}

TEST_F(SnapshotStreamTest, PositioningAccuracyStretchesSpaces) {
    std::string b = Generate(
        [](TVzVSFWriter& r) {
            r.PrintCenter("a b", 4);
            r.SetFontRotation(90);
            r.PrintCenter("a b", 4);
        },
        [](TVzVSFWriter& w) { w.AccuracyMethod = amPositioning; });
    TRecordingRender render;
    auto log = Play(b, render);
    EXPECT_EQ(log[2].rfind("PrintBlock 'a b'", 0), 0u);
    EXPECT_EQ(log[3].rfind("PrintCenter 'a b' 4.000", 0), 0u);
}

TEST_F(SnapshotStreamTest, StreamModes) {
    // A temporary file keeps its name and content after the run.
    TVzVSFWriter w(nullptr);
    w.StreamMode = smTempFile;
    w.OnPrint = [](TObject* s) { static_cast<TVzVSFWriter*>(s)->PrintXY(1, 1, "x"); };
    w.Execute();
    ASSERT_FALSE(w.FileName.empty());
    EXPECT_EQ(std::filesystem::path(w.FileName).filename().string().substr(0, 2), "RV");
    EXPECT_GT(std::filesystem::file_size(w.FileName), HeaderSize);
    TRecordingRender render;
    render.RenderFile(w.FileName);
    EXPECT_EQ(render.Log.size(), 5u);
    std::filesystem::remove(w.FileName);

    TVzVSFWriter u(nullptr);
    u.StreamMode = smUser;
    try {
        u.Execute();
        FAIL();
    } catch (const EReportPrinter& e) {
        EXPECT_EQ(e.Message, "StreamMode is smUser but Stream is nil");
    }
    EXPECT_FALSE(u.Printing());
    TMemoryStream target;
    u.Stream = &target;
    u.Execute();
    EXPECT_EQ(Bytes(&target)[0], 'Z');
}

TEST_F(SnapshotStreamTest, ShadedTabBoxes) {
    std::string b = Generate([](TVzVSFWriter& r) {
        r.TabShade = 20;
        r.SetTab(1, pjLeft, 2, 0, BOXLINEALL, 0);
        r.NewLine();
        r.Tab(BOXLINENONE, BOXLINENONE, BOXLINENONE, BOXLINENONE, BOXLINENONE);
        r.Print("cell");
    });
    // The brush turns to black lightened by 80 percent, then the box.
    std::string shade = std::string("\x29\xCC\xCC\xCC\x00", 5);
    size_t at = b.find(shade);
    ASSERT_NE(at, std::string::npos);
    size_t box = b.find('\x13', at);
    ASSERT_NE(box, std::string::npos);
    TRecordingRender render;
    auto log = Play(b, render);
    int rectangles = 0, lines = 0;
    for (const auto& line : log) {
        if (line.rfind("Rectangle 1.000", 0) == 0) ++rectangles;
        if (line.rfind("LineTo", 0) == 0) ++lines;
    }
    EXPECT_EQ(rectangles, 1);
    EXPECT_EQ(lines, 4);  // the four box lines, merged at the page end
}

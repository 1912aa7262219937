// PDF page content and fonts: text, paths, state caching, hatch patterns,
// JPEG pictures and links; checked against qpdf and poppler where installed.
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>

#include "report/tests/ReportTestSupport.h"
#include "report/tests/ToolRunner.h"

#include "platform/core/Clock.h"
#include "report/RenderPDF.h"
#include "report/VSFWriter.h"

namespace {

int Count(const std::string& s, const std::string& what) {
    int n = 0;
    for (size_t p = s.find(what); p != std::string::npos; p = s.find(what, p + what.size())) ++n;
    return n;
}

class PdfContentTest : public ReportPrinterFixture {
protected:
    void SetUp() override {
        ReportPrinterFixture::SetUp();
        setenv("TZ", "UTC", 1);
        tzset();
        clock_ = std::make_unique<ManualClock>(0, std::chrono::system_clock::time_point(std::chrono::seconds(1780000000)));
        SetCurrentClock(clock_.get());
        dir_ = std::filesystem::temp_directory_path() / ("omr-pdf-content-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override {
        std::filesystem::remove_all(dir_);
        SetCurrentClock(nullptr);
        ReportPrinterFixture::TearDown();
    }
    // Records a one-page report drawn by `draw`, then writes it as PDF.
    std::string Make(const std::function<void(TVzVSFWriter&)>& draw, TVzRenderPDF* renderer = nullptr) {
        TMemoryStream snapshot;
        TVzVSFWriter w(nullptr);
        w.StreamMode = smUser;
        w.Stream = &snapshot;
        w.OnPrint = [&](TObject*) { draw(w); };
        w.Execute();
        TVzRenderPDF local(nullptr);
        TVzRenderPDF& pdf = renderer ? *renderer : local;
        TMemoryStream out;
        pdf.OutputStream = &out;
        pdf.Render(&snapshot);
        std::string b(size_t(out.Size()), '\0');
        out.SetPosition(0);
        if (!b.empty()) out.ReadBuffer(b.data(), Integer(b.size()));
        return b;
    }
    std::string Save(const std::string& pdf) {
        std::string path = (dir_ / ("doc" + std::to_string(++files_) + ".pdf")).string();
        std::ofstream(path, std::ios::binary) << pdf;
        return path;
    }
    // qpdf's structural check; false (with a note) when qpdf is absent.
    void ExpectValid(const std::string& pdf) {
        if (!HaveTool("qpdf")) GTEST_SKIP() << "qpdf is not installed: structure not checked";
        int code;
        std::string out = RunTool("qpdf --check '" + Save(pdf) + "'", code);
        EXPECT_EQ(code, 0) << out;
        EXPECT_NE(out.find("No syntax or stream encoding errors"), std::string::npos) << out;
    }
    std::string TextOf(const std::string& pdf) {
        int code;
        std::string out = RunTool("pdftotext -q '" + Save(pdf) + "' -", code);
        EXPECT_EQ(code, 0) << out;
        return out;
    }
    // The content stream of the first page (uncompressed).
    static std::string Content(const std::string& pdf) {
        size_t s = pdf.find("stream\r\n2 J\r\n");
        if (s == std::string::npos) return {};
        return pdf.substr(s + 8, pdf.find("endstream", s) - s - 8);
    }
    std::unique_ptr<ManualClock> clock_;
    std::filesystem::path dir_;
    int files_ = 0;
};

TEST_F(PdfContentTest, ReportFacesMapToStandardFonts) {
    struct Case {
        const char* face;
        bool bold, italic;
        const char* base;
    } cases[] = {
        {"Arial", true, true, "Helvetica-BoldOblique"}, {"Courier New", false, true, "Courier-Oblique"},
        {"Times New Roman", true, false, "Times-Bold"}, {"TimesRoman", false, false, "Times-Roman"},
        {"No Such Face", false, false, "Helvetica"},    {"No Such Face", true, false, "Helvetica-Bold"},
    };
    for (const auto& c : cases) {
        std::string b = Make([&](TVzVSFWriter& w) {
            w.SetFont(c.face, 10);
            w.SetBold(c.bold);
            w.SetItalic(c.italic);
            w.PrintXY(1, 1, "Scores");
        });
        SCOPED_TRACE(c.face);
        EXPECT_NE(b.find("<<\r\n/Type /Font\r\n/Subtype /Type1\r\n/Name /F1\r\n/BaseFont /" + std::string(c.base) +
                         "\r\n/Encoding /WinAnsiEncoding\r\n>>"),
                  std::string::npos);
        EXPECT_EQ(b.find("/Widths"), std::string::npos);
        EXPECT_EQ(b.find("/FontDescriptor"), std::string::npos);
    }
}

TEST_F(PdfContentTest, TextIsReadableAndSharesItsFont) {
    std::string b = Make([](TVzVSFWriter& w) {
        w.SetFont("Arial", 12);
        w.PrintXY(1, 1, "Total score (final)");
        w.PrintXY(1, 2, "Caf\xC3\xA9 \xE2\x82\xAC 5");  // café € 5
    });
    ExpectValid(b);
    EXPECT_EQ(Count(b, "/Type /Font"), 1);
    EXPECT_NE(b.find("/F1 12.00 Tf"), std::string::npos);
    EXPECT_NE(b.find("(Total score \\(final\\))Tj"), std::string::npos);
    EXPECT_NE(b.find("(Caf\xE9 \x80 5)Tj"), std::string::npos);
    if (!HaveTool("pdftotext")) GTEST_SKIP() << "pdftotext is not installed: text not extracted";
    std::string text = TextOf(b);
    EXPECT_NE(text.find("Total score (final)"), std::string::npos) << text;
    EXPECT_NE(text.find("Caf\xC3\xA9 \xE2\x82\xAC 5"), std::string::npos) << text;
}

TEST_F(PdfContentTest, StandardFontWidthsFollowTheFontMetrics) {
    // Helvetica: H 722, e 556, l 222, l 222, o 556 thousandths of the em,
    // 22.78 points at 10 points: the text ends at 4 inches.
    std::string b = Make([](TVzVSFWriter& w) {
        w.SetFont("Arial", 10);
        w.GotoXY(4, 1);
        w.PrintRight("Hello", 4);
        w.PrintCenter("Hello", 4);
    });
    EXPECT_NE(b.find("265.2200 "), std::string::npos);
    EXPECT_NE(b.find("276.6100 "), std::string::npos);
    // Justified: the last word ends at the right edge, 3 inches (b: 556).
    b = Make([](TVzVSFWriter& w) {
        w.SetFont("Arial", 10);
        w.GotoXY(1, 1);
        w.PrintBlock("a  b", 1, 2);
    });
    EXPECT_NE(b.find("72.0000 720.0000 Td\r\n(a)Tj"), std::string::npos);
    EXPECT_NE(b.find("210.4400 720.0000 Td\r\n(b)Tj"), std::string::npos);
}

TEST_F(PdfContentTest, ClippedTextLeavesTheStateAsItFoundIt) {
    std::string b = Make([](TVzVSFWriter& w) {
        w.SetFont("Arial", 10);
        w.SetPen(clRed, psSolid, 6, pmCopy);
        w.Rectangle(1, 1, 2, 2);
        w.SetFontColor(clBlue);
        w.TextRect(TRect(600, 600, 1800, 1200), 1, 1.5, "clipped");  // 600 pixels per inch
        w.PrintXY(1, 3, "after");
        w.Rectangle(1, 4, 2, 5);
    });
    ExpectValid(b);
    std::string c = Content(b);
    size_t q = c.find(" Q ");
    ASSERT_NE(q, std::string::npos) << c;
    EXPECT_NE(c.find("72.0000 720.0000 144.0000 -72.0000 re W n"), std::string::npos) << c;
    // After Q the font colour and then the pen colour are set again, and the
    // pen keeps its width.
    EXPECT_NE(c.find("0 0 1 rg\r\n/F1 10.00 Tf", q), std::string::npos) << c;
    EXPECT_NE(c.find("1 0 0 RG", q), std::string::npos) << c;
    EXPECT_EQ(c.find("0.0000 w", q), std::string::npos) << c;
}

TEST_F(PdfContentTest, TrueTypeFontsCarryWidthsDescriptorAndProgram) {
    for (bool embed : {false, true}) {
        TVzRenderPDF pdf(nullptr);
        pdf.EmbedFonts = embed;
        std::string b = Make(
            [](TVzVSFWriter& w) {
                w.SetFont("Lucida Console", 10);
                w.SetBold(true);
                w.PrintXY(1, 1, "Mono text");
                w.SetFont("Liberation Serif", 10);
                w.SetBold(false);
                w.SetItalic(true);
                w.PrintXY(1, 2, "Serif text");
            },
            &pdf);
        SCOPED_TRACE(embed);
        ExpectValid(b);
        std::smatch m;
        ASSERT_TRUE(std::regex_search(b, m, std::regex("(\\d+) 0 obj\r\n<<\r\n/Type /Font\r\n/Subtype /TrueType\r\n"
                                                       "/Name /F1\r\n/BaseFont /LucidaConsole,Bold\r\n/Encoding "
                                                       "/WinAnsiEncoding\r\n/FirstChar 32\r\n/LastChar 255\r\n"
                                                       "/Widths \\[(600 ){8}\r\n(600 ){10}\r\n")));
        int font = std::stoi(m[1]);
        EXPECT_NE(b.find("/FontDescriptor " + std::to_string(font + 1) + " 0 R"), std::string::npos);
        std::string descriptor = std::to_string(font + 1) + " 0 obj\r\n<<\r\n/Type /FontDescriptor\r\n"
                                 "/FontName /LucidaConsole,Bold\r\n/Flags 33\r\n/FontBBox [";
        EXPECT_NE(b.find(descriptor), std::string::npos);
        EXPECT_NE(b.find("/BaseFont /LiberationSerif,Italic"), std::string::npos);
        EXPECT_TRUE(std::regex_search(b, std::regex("/FontName /LiberationSerif,Italic\r\n/Flags 96\r\n")));
        EXPECT_EQ(b.find("/FontFile2 " + std::to_string(font + 2) + " 0 R") != std::string::npos, embed);
        EXPECT_EQ(Count(b, "/Length1 "), embed ? 2 : 0);
        if (embed && HaveTool("pdffonts")) {
            int code;
            std::string out = RunTool("pdffonts '" + Save(b) + "'", code);
            EXPECT_TRUE(std::regex_search(out, std::regex("LucidaConsole,Bold +TrueType +WinAnsi +yes"))) << out;
        }
    }
}

TEST_F(PdfContentTest, EastAsianCharacterSetsUseCompositeFonts) {
    std::string b = Make([](TVzVSFWriter& w) {
        w.SetFont("Arial", 10);
        w.SetFontCharset(128);
        w.PrintXY(1, 1, "Kanji \xE4\xB8\xAD");
    });
    ExpectValid(b);
    EXPECT_NE(b.find("/Subtype /Type0\r\n/Name /F1\r\n/BaseFont /#41#72#69#61#6C\r\n/Encoding /Identity-H"),
              std::string::npos);
    EXPECT_NE(b.find("/Subtype /CIDFontType2"), std::string::npos);
    EXPECT_NE(b.find("/CIDSystemInfo << /Registry (Adobe)/Ordering (Identity)/Supplement 2 >>"), std::string::npos);
    EXPECT_NE(b.find("<004B0061006E006A00690020"), std::string::npos);
    // Codes are characters: the embedded program's widths from the space
    // (Helvetica-like: 278) on; a code it has no glyph for takes the width
    // of its missing-glyph box.
    EXPECT_NE(b.find("/DW 750\r\n/W [\r\n32 [278 278 "), std::string::npos) << b.substr(b.find("/DW"), 200);
    EXPECT_NE(b.find("/CIDToGIDMap "), std::string::npos);
    if (!HaveTool("pdftotext")) GTEST_SKIP() << "pdftotext is not installed: text not extracted";
    EXPECT_NE(TextOf(b).find("Kanji \xE4\xB8\xAD"), std::string::npos);
}

TEST_F(PdfContentTest, GraphicsStateIsWrittenOnlyWhenItChanges) {
    std::string b = Make([](TVzVSFWriter& w) {
        w.SetPen(clRed, psSolid, 1, pmCopy);
        w.SetBrush(clBlue, bsSolid, nullptr);
        w.Rectangle(1, 1, 2, 2);
        w.Rectangle(3, 3, 4, 4);
        w.PrintXY(1, 5, "text");
        w.Rectangle(5, 5, 6, 6);
        w.SetBrush(clBlue, bsCross, nullptr);
        w.Rectangle(1, 6, 2, 7);
        w.Ellipse(3, 6, 4, 7);
        w.SetBrush(clGreen, bsCross, nullptr);
        w.Rectangle(5, 6, 6, 7);
        w.SetBrush(clBlue, bsSolid, nullptr);
        w.Rectangle(1, 8, 2, 9);
        w.SetPen(TColor(0x80000005), psDash, 1, pmCopy);
        w.MoveTo(1, 10);
        w.LineTo(2, 10);
    });
    ExpectValid(b);
    std::string c = Content(b);
    size_t first = c.find(" re b"), second = c.find(" re b", first + 1);
    ASSERT_NE(second, std::string::npos) << c;
    std::string between = c.substr(first, second - first);
    EXPECT_EQ(between.find("RG"), std::string::npos) << between;
    EXPECT_EQ(between.find(" w "), std::string::npos) << between;
    EXPECT_NE(c.find("1 0 0 RG\r\n0 0 1 rg\r\n"), std::string::npos) << c;
    // After the text: font colour, then pen and brush again.
    size_t text = c.find("(text)Tj");
    EXPECT_NE(c.find("1 0 0 RG\r\n0 0 1 rg", text), std::string::npos);
    EXPECT_NE(c.find("0 0 0 rg\r\n/F1"), std::string::npos);
    // One pattern for blue crosses, a second for green; solid brings back
    // the device colours.
    EXPECT_EQ(Count(c, "/Pattern cs\r\n/P1 scn"), 1) << c;
    EXPECT_EQ(Count(c, "/Pattern cs\r\n/P2 scn"), 1) << c;
    EXPECT_NE(c.find("/DeviceRGB cs\r\n1 0 0 RG\r\n0 0 1 rg"), std::string::npos) << c;
    EXPECT_EQ(Count(b, "/Type /Pattern"), 2);
    EXPECT_NE(b.find("q\r\n0 0 1 RG\r\n1 i\r\n0 0 8 8 re\r\nW n\r\n1 J 0 j 0.5 w 10 M []0 d\r\n0 4 m\r\n8 4 l\r\n"
                     "4 0 m\r\n4 8 l\r\nS Q\r\n"),
              std::string::npos);
    // A system colour is black; a dashed pen has its dash array.
    EXPECT_NE(c.find("[13 6] 0 d\r\n0 0 0 RG\r\n72.0000 72.0000 m\r\n144.0000 72.0000 l S"), std::string::npos) << c;
}

TEST_F(PdfContentTest, ArcsAreSplitIntoQuarterCurves) {
    std::string b = Make([](TVzVSFWriter& w) {
        w.Arc(1, 1, 3, 3, 3, 2, 2, 1);    // 90 degrees: one curve
        w.Arc(1, 4, 3, 6, 3, 5.02, 2, 4);  // just over 90: two
        w.Arc(1, 7, 3, 9, 3, 8, 2, 9);    // 270: three
        w.Pie(4, 1, 6, 3, 6, 2, 4, 2);
        w.Chord(4, 4, 6, 6, 6, 5, 4, 5);
    });
    ExpectValid(b);
    std::string c = Content(b);
    std::vector<int> curves;
    size_t p = 0;
    while ((p = c.find("% arc code", p)) != std::string::npos) {
        size_t end = c.find("\r\nS\r\n", p);
        curves.push_back(Count(c.substr(p, end - p + 2), " c\r\n"));
        p = end;
    }
    EXPECT_EQ(curves, (std::vector<int>{1, 2, 3}));
    // The 90-degree arc runs back from its end point (2, 1) to (3, 2).
    EXPECT_NE(c.find("% arc code\r\n[] 0 d\r\n0 0 0 RG\r\n0 0 0 rg\r\n0.1200 w \r\n144.0000 720.0000 m\r\n"
                     "183.7645 720.0000 216.0000 687.7645 216.0000 648.0000 c\r\nS"),
              std::string::npos)
        << c;
}

TEST_F(PdfContentTest, LinksAndRotatedText) {
    for (bool disabled : {false, true}) {
        TVzRenderPDF pdf(nullptr);
        pdf.DisableHyperlinks = disabled;
        std::string b = Make(
            [](TVzVSFWriter& w) {
                w.SetFont("Arial", 10);
                w.PrintXY(1, 1, "HTTP://example.org/a");
                w.SetHyperlink("http://example.org/b");
                w.PrintXY(1, 2, "details");
                w.ClearHyperlink();
                w.SetUnderline(true);
                w.SetFontRotation(90);
                w.PrintXY(1, 3, "turned");
            },
            &pdf);
        SCOPED_TRACE(disabled);
        ExpectValid(b);
        EXPECT_EQ(Count(b, "/Subtype /Link"), disabled ? 0 : 2);
        EXPECT_EQ(b.find("/Annots") == std::string::npos, disabled);
        if (!disabled) {
            EXPECT_NE(b.find("/A << /S /URI /URI (HTTP://example.org/a) >>"), std::string::npos);
            EXPECT_NE(b.find("/A << /S /URI /URI (http://example.org/b) >>"), std::string::npos);
            EXPECT_NE(b.find("/Border [16 16 0]"), std::string::npos);
        }
        std::string c = Content(b);
        EXPECT_NE(c.find("0.0000 1.0000 -1.0000 0.0000 72.0000 576.0000 Tm\r\n(turned)Tj"), std::string::npos) << c;
        EXPECT_EQ(c.find(" l \r\nS", c.find("(turned)")), std::string::npos) << c;
    }
}

TEST_F(PdfContentTest, LinkTargetsAreProperStrings) {
    std::string b = Make([](TVzVSFWriter& w) {
        w.SetHyperlink("http://example.org/a)b(c\\d");
        w.PrintXY(1, 1, "odd link");
    });
    EXPECT_NE(b.find("/URI (http://example.org/a\\)b\\(c\\\\d) >>"), std::string::npos);
    ExpectValid(b);
}

// Closed figures keep their closing side when only the pen draws them, and a
// chord with a clear brush is outlined, never filled.
TEST_F(PdfContentTest, PenOnlyFiguresAreClosed) {
    struct Case {
        const char* name;
        std::function<void(TVzVSFWriter&)> draw;
    };
    std::vector<Case> cases = {
        {"triangle", [](TVzVSFWriter& w) { w.Polygon({TPoint(100, 100), TPoint(200, 100), TPoint(100, 200)}); }},
        {"pie", [](TVzVSFWriter& w) { w.Pie(1, 1, 3, 3, 3, 2, 2, 1); }},
        {"chord", [](TVzVSFWriter& w) { w.Chord(1, 1, 3, 3, 3, 2, 2, 1); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string b = Make([&](TVzVSFWriter& w) {
            w.SetBrush(clWhite, bsClear, nullptr);
            c.draw(w);
        });
        std::string content = Content(b);
        std::regex painted(R"((^|\s)[sSbBfF]\*?\r\n)");
        std::vector<std::string> ops;
        for (std::sregex_iterator it(content.begin(), content.end(), painted), end; it != end; ++it)
            ops.push_back(std::regex_replace(it->str(), std::regex(R"(\s)"), ""));
        EXPECT_EQ(ops, std::vector<std::string>{"s"}) << content;
    }
}

// A Greek name in a report face: its glyphs travel with the file, so every
// reader shows them, and text extraction gives the name back.
TEST_F(PdfContentTest, TextOutsideTheCodePageEmbedsACompositeFont) {
    std::string b = Make([](TVzVSFWriter& w) {
        w.SetFont("Arial", 12);
        w.PrintXY(1, 1, "Student Smith");
        w.PrintXY(1, 2, "Student \xCE\x9D\xCE\xAF\xCE\xBA\xCE\xBF\xCF\x82");  // Greek
    });
    ExpectValid(b);
    EXPECT_NE(b.find("/CIDToGIDMap "), std::string::npos);
    EXPECT_NE(b.find("/FontFile2 "), std::string::npos);
    if (!HaveTool("pdffonts") || !HaveTool("pdftotext")) GTEST_SKIP() << "poppler's tools are not installed";
    int code;
    std::string fonts = RunTool("pdffonts '" + Save(b) + "'", code);
    EXPECT_EQ(code, 0) << fonts;
    // name, type, encoding, embedded, subset, unicode map
    EXPECT_TRUE(std::regex_search(fonts, std::regex(R"(CID TrueType\s+Identity-H\s+yes\s+no\s+yes)"))) << fonts;
    std::string text = TextOf(b);
    EXPECT_NE(text.find("Student Smith"), std::string::npos) << text;
    EXPECT_NE(text.find("Student \xCE\x9D\xCE\xAF\xCE\xBA\xCE\xBF\xCF\x82"), std::string::npos) << text;
}

// A face installed on the machine but unknown to the substitution table is
// drawn and written as itself; only faces that are missing are replaced.
TEST_F(PdfContentTest, InstalledFacesAreUsedAsTheyAre) {
    TFont installed, missing;
    installed.SetName("DejaVu Sans");
    missing.SetName("Arial");
    EXPECT_EQ(installed.ToQFont().family().toStdString(), "DejaVu Sans");
    EXPECT_EQ(missing.ToQFont().family().toStdString(), "Liberation Sans");
    TVzRenderPDF pdf(nullptr);
    pdf.EmbedFonts = true;
    std::string b = Make(
        [](TVzVSFWriter& w) {
            w.SetFont("DejaVu Sans", 12);
            w.PrintXY(1, 1, "Scorvane");
        },
        &pdf);
    ExpectValid(b);
    EXPECT_NE(b.find("/Subtype /TrueType\r\n/Name /F1\r\n/BaseFont /DejaVuSans\r\n"), std::string::npos);
    EXPECT_NE(b.find("/FontFile2 "), std::string::npos);
}

TEST_F(PdfContentTest, UnderlinedTextGetsALine) {
    std::string b = Make([](TVzVSFWriter& w) {
        w.SetFont("Arial", 10);
        w.SetUnderline(true);
        w.PrintXY(1, 1, "under");
    });
    std::string c = Content(b);
    size_t et = c.find("ET\r\n");
    ASSERT_NE(et, std::string::npos);
    EXPECT_NE(c.find("1.1088 w ", et), std::string::npos) << c;  // (10 + 1) * 0.0014 inch
    EXPECT_NE(c.find(" l S\r\n", et), std::string::npos) << c;
}

TEST_F(PdfContentTest, PicturesAreEmbeddedAsJpeg) {
    TBitmap bitmap;
    bitmap.SetSize(20, 10);
    bitmap.Canvas()->Brush()->SetColor(clRed);
    bitmap.Canvas()->FillRect(TRect(0, 0, 20, 10));
    TVzRenderPDF pdf(nullptr);
    pdf.UseCompression = true;
    pdf.OnCompress = [](TStream& in, TStream& out, std::string&) {
        std::string data(size_t(in.Size()), '\0');
        if (!data.empty()) in.ReadBuffer(data.data(), Integer(data.size()));
        uLongf size = compressBound(uLong(data.size()));
        std::string packed(size, '\0');
        compress(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                 uLong(data.size()));
        out.WriteBuffer(packed.data(), Integer(size));
    };
    auto draw = [&](TVzVSFWriter& w) {
        w.SetFont("Arial", 10);
        w.PrintXY(1, 1, "Picture below");
        w.SetHyperlink("http://example.org/pic");
        w.PrintBitmapRect(1, 2, 3, 3, &bitmap);
        w.ClearHyperlink();
        w.PrintBitmap(1, 4, 2, 3, &bitmap);
        w.StretchDraw(TRect(600, 3000, 1200, 3300), &bitmap);  // 1 by 0.5 inch at 600 pixels per inch
        w.Draw(1, 7, &bitmap);
    };
    // Drawn at its size times the scale; stretched pictures are rasterised
    // at 300 pixels per inch; drawn ones at their own size.
    std::string c = Content(Make(draw));
    EXPECT_NE(c.find("q\r\n144.0000 0 0 72.0000 72.0000 576.0000 cm\r\n/G1 Do\r\nQ"), std::string::npos) << c;
    EXPECT_NE(c.find("40.0000 0 0 30.0000 72.0000 474.0000 cm\r\n/G2 Do"), std::string::npos) << c;
    EXPECT_NE(c.find("20.0000 0 0 10.0000 72.0000 278.0000 cm\r\n/G4 Do"), std::string::npos) << c;
    std::string b = Make(draw, &pdf);
    ExpectValid(b);
    EXPECT_NE(b.find("/Type /XObject\r\n/Subtype /Image\r\n/Name /G1\r\n/Width 20 /Height 10 \r\n"
                     "/BitsPerComponent 8\r\n/ColorSpace /DeviceRGB /Length "),
              std::string::npos);
    EXPECT_NE(b.find("/Filter [/FlateDecode /DCTDecode ]"), std::string::npos);
    EXPECT_NE(b.find("/Name /G3\r\n/Width 300 /Height 150 "), std::string::npos);
    EXPECT_EQ(Count(b, "/Subtype /Link"), 1);
    EXPECT_NE(b.find("/XObject <<\r\n/G1 "), std::string::npos);
    EXPECT_NE(b.find("[/PDF /Text /ImageB /ImageC /ImageI]"), std::string::npos);
    EXPECT_NE(b.find("/Rect [72.0000 648.0000 216.0000 576.0000]"), std::string::npos);
    if (!HaveTool("pdftotext")) GTEST_SKIP() << "pdftotext is not installed: text not extracted";
    EXPECT_NE(TextOf(b).find("Picture below"), std::string::npos);
    if (HaveTool("pdfimages")) {
        int code;
        std::string out = RunTool("pdfimages -list '" + Save(b) + "'", code);
        EXPECT_TRUE(std::regex_search(out, std::regex("image +20 +10 +rgb +3 +8 +jpeg"))) << out;
    }
}

TEST_F(PdfContentTest, StreamingWritesFontsWhenFirstUsed) {
    TVzRenderPDF pdf(nullptr);
    pdf.BufferDocument = false;
    std::string b = Make([](TVzVSFWriter& w) { w.PrintXY(1, 1, "streamed"); }, &pdf);
    ExpectValid(b);
    EXPECT_NE(b.find("4 0 obj\r\n<<\r\n/Type /Font"), std::string::npos);
    EXPECT_NE(b.find("5 0 obj\r\n<<\r\n/Type /Page\r\n/Parent 7      0 R"), std::string::npos);
    EXPECT_NE(b.find("/Font <<\r\n/F1 4 0 R \r\n>>"), std::string::npos);
    EXPECT_NE(b.find("/Size 9\r\n"), std::string::npos);
}

TEST_F(PdfContentTest, OnePageDocumentMatchesTheGolden) {
    std::string b = Make([](TVzVSFWriter& w) {
        w.SetFont("Times New Roman", 12);
        w.PrintXY(1, 1, "Answer sheet summary");
        w.SetPen(clBlack, psSolid, 1, pmCopy);
        w.SetBrush(clYellow, bsSolid, nullptr);
        w.Rectangle(1, 1.5, 4, 2);
        w.MoveTo(1, 2.5);
        w.LineTo(4, 2.5);
    });
    ExpectValid(b);
    std::ifstream in(std::string(OMR_TEST_DATA) + "/one-page.pdf", std::ios::binary);
    std::string golden((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (std::getenv("OMR_UPDATE_GOLDEN")) std::ofstream(std::string(OMR_TEST_DATA) + "/one-page.pdf", std::ios::binary) << b;
    EXPECT_EQ(b, golden);
}

}  // namespace

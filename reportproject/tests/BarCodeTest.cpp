// Bar-code encoders: check characters, element patterns, geometry, and real
// symbols drawn through the report and read back by zbarimg.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <numeric>
#include <set>

#include <gtest/gtest.h>

#include "report/RenderCanvas.h"
#include "reportproject/VzCsBars.h"
#include "report/VSFWriter.h"
#include "report/tests/ReportTestSupport.h"
#include "reportproject/VpBars.h"

namespace {

struct Bar {
    double X1, Y1, X2, Y2;
};

// Collects the bars of an encoder in override mode.
std::vector<Bar> Capture(TVPBarsBase& bars) {
    std::vector<Bar> out;
    bars.BarCallback = [&](double a, double b, double c, double d) { out.push_back({a, b, c, d}); };
    bars.Print();
    return out;
}

// Bars and spaces in modules along X (Rot0, BarWidth 1) as a width text,
// bar first, starting at the first bar.
std::string Widths(const std::vector<Bar>& bars) {
    std::string s;
    for (size_t i = 0; i < bars.size(); ++i) {
        if (i > 0) s += char('0' + int(std::lround(bars[i].X1 - bars[i - 1].X2)));
        s += char('0' + int(std::lround(bars[i].X2 - bars[i].X1)));
    }
    return s;
}

}  // namespace

// ------------------------------------------------------- check characters

TEST(BarCodeCheck, PublishedExamples) {
    struct Case {
        const char* name;
        std::function<std::unique_ptr<TVPBarsBase>()> make;
        std::string text, coded, check;
    };
    auto code39 = [](bool ext) {
        return [ext] {
            auto b = std::make_unique<TVPBarsCode39>(nullptr);
            b->Extended = ext;
            b->UseChecksum = true;
            return std::unique_ptr<TVPBarsBase>(std::move(b));
        };
    };
    auto i25 = [](bool check) {
        return [check] {
            auto b = std::make_unique<TVPBars2of5>(nullptr);
            b->UseChecksum = check;
            return std::unique_ptr<TVPBarsBase>(std::move(b));
        };
    };
    std::vector<Case> cases = {
        {"PostNet pads to five", [] { return std::make_unique<TVPBarsPostNet>(nullptr); }, "1234", "012340", "0"},
        {"PostNet cut to eleven", [] { return std::make_unique<TVPBarsPostNet>(nullptr); }, "123456789012",
         "123456789014", "4"},
        {"I25 with check", i25(true), "123", "1236", "6"},
        {"I25 odd length gets a zero", i25(false), "12345", "012345", "7"},
        {"Code 39", code39(false), "CODE39", "CODE39W", "W"},
        {"Code 39 drops invalid", code39(false), "co-DE", "-DE" + std::string("K"), "K"},
        {"Code 39 Full ASCII", code39(true), "ab", "+A+BH", "H"},
        {"UPC-A", [] { return std::make_unique<TVPBarsUPC>(nullptr); }, "03600029145", "036000291452", "2"},
        {"UPC-A pads", [] { return std::make_unique<TVPBarsUPC>(nullptr); }, "1x2345", "000000123457", "7"},
        {"UPC-A cut", [] { return std::make_unique<TVPBarsUPC>(nullptr); }, "036000291459", "036000291452", "2"},
        {"EAN-13", [] { return std::make_unique<TVPBarsEAN>(nullptr); }, "400638133393", "4006381333931", "1"},
        {"EAN-13 ISBN", [] { return std::make_unique<TVPBarsEAN>(nullptr); }, "978030640615", "9780306406157",
         "7"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto b = c.make();
        b->SetText(c.text);
        EXPECT_EQ(b->CodedText(), c.coded);
        EXPECT_EQ(b->ChecksumText(), c.check);
    }
}

TEST(BarCodeCheck, UpcChecksumCannotBeTurnedOff) {
    TVPBarsUPC upc(nullptr);
    upc.SetUseChecksum(false);
    EXPECT_TRUE(upc.UseChecksum);
    upc.SetText("03600029145");
    EXPECT_EQ(upc.CodedText().size(), 12u);
}

// ---------------------------------------------------------------- Code 128

TEST(Code128, SetChoiceValuesAndCheck) {
    struct Case {
        std::string text;
        bool optimize;
        TCodePage128 page;
        std::vector<int> values;
        TCodePage128 used;
        int check;
    };
    std::vector<Case> cases = {
        {"123456", true, cpCodeB, {12, 34, 56}, cpCodeC, 44},
        {"ABC", true, cpCodeB, {33, 34, 35}, cpCodeA, 0},
        {"ab", true, cpCodeB, {65, 66}, cpCodeB, (104 + 65 + 2 * 66) % 103},
        {"AB1234567890", true, cpCodeB, {33, 34, 99, 12, 34, 56, 78, 90}, cpCodeA, -1},
        {"123", false, cpCodeC, {12, 100, 19}, cpCodeC, -1},
        {"a\xF5\x01", false, cpCodeB, {65, 101, 65}, cpCodeB, -1},
        // SHIFT applies to the next character only.
        {"A\xF8" "bC", false, cpCodeA, {33, 98, 66, 35}, cpCodeA, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TVPBarsCode128 b(nullptr);
        b.Optimize = c.optimize;
        b.CodePage = c.page;
        b.SetText(c.text);
        EXPECT_EQ(b.Encode(), c.values);
        EXPECT_EQ(b.SetUsed(), c.used);
        if (c.check >= 0) {
            EXPECT_EQ(b.CheckValue(c.values), c.check);
        }
    }
    TVPBarsCode128 b(nullptr);
    b.BarWidth = 1;
    b.SetText("123456");
    EXPECT_DOUBLE_EQ(b.SymbolWidth(), 68);
    EXPECT_EQ(b.ChecksumText(), std::string(1, char(44)));
}

TEST(Code128, EveryPatternIsElevenModulesAndDistinct) {
    TVPBarsCode128 b(nullptr);
    std::set<std::string> seen;
    for (int v = 0; v < 106; ++v) {
        std::string p = b.EncodeChar(v);
        ASSERT_EQ(p.size(), 6u) << v;
        int sum = 0;
        for (char c : p) sum += c - '0';
        EXPECT_EQ(sum, 11) << v;
        seen.insert(p);
    }
    EXPECT_EQ(seen.size(), 106u);
}

// ------------------------------------------------------- patterns drawn

TEST(BarCodePatterns, ModulesOfWholeSymbols) {
    struct Case {
        const char* name;
        std::function<std::unique_ptr<TVPBarsBase>()> make;
        std::string text, widths;
    };
    std::vector<Case> cases = {
        // Start, "A" (211112112, gap), stop; wide = 3 modules.
        {"Code 39 A",
         [] { return std::make_unique<TVPBarsCode39>(nullptr); }, "A",
         "131131311" "1" "311113113" "1" "131131311"},
        // Start 1111, pair 1-2 interleaved, stop 211.
        {"I25 12",
         [] { return std::make_unique<TVPBars2of5>(nullptr); }, "12",
         "1111" "3113111133" "311"},
        // Start C, 12, 34, 56, check 44, stop.
        {"Code 128 123456",
         [] { return std::make_unique<TVPBarsCode128>(nullptr); }, "123456",
         "211232" "112232" "131123" "331121" "132131" "2331112"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto b = c.make();
        b->BarWidth = 1;
        b->SetText(c.text);
        EXPECT_EQ(Widths(Capture(*b)), c.widths);
        EXPECT_DOUBLE_EQ(b->SymbolWidth(),
                         std::accumulate(c.widths.begin(), c.widths.end(), 0.0,
                                         [](double s, char d) { return s + (d - '0'); }));
    }
}

TEST(BarCodePatterns, EanParityAndGuards) {
    TVPBarsEAN ean(nullptr);
    ean.BarWidth = 1;
    ean.BarHeight = 10;
    ean.PrintReadable = false;
    ean.SetText("400638133393");
    auto bars = Capture(ean);
    std::string w = Widths(bars);
    // Guard, six left digits 0 0 6 3 8 1 with positions 2, 5, 6 reversed
    // (leading 4), centre guard, right digits 3 3 3 9 3 1, guard.
    std::string expect = "111";
    expect += "3211" "1123" "1114" "1411" "3121" "1222";
    expect += "11111";
    expect += "1411" "1411" "1411" "3112" "1411" "2221";
    expect += "111";
    // Widths() starts at the first bar; the left half starts with a space.
    EXPECT_EQ(w, expect);
    double width = bars.back().X2 - bars.front().X1;
    EXPECT_DOUBLE_EQ(width, 95);
    EXPECT_DOUBLE_EQ(ean.SymbolWidth(), 95);
}

TEST(BarCodePatterns, PostNetShortBarsStandOnTheBaseLine) {
    for (TBarCodeRotation rot : {Rot0, Rot180}) {
        TVPBarsPostNet p(nullptr);
        p.BarCodeRotation = rot;
        p.Top = 1;
        p.SetText("11111");
        p.UseChecksum = false;
        auto bars = Capture(p);
        // Frame bar, 25 data bars, frame bar.
        ASSERT_EQ(bars.size(), 27u);
        double base = rot == Rot0 ? 1 + 0.125 : 1 - 0.125;
        for (const Bar& b : bars) EXPECT_NEAR(b.Y2, base, 1e-12);
        EXPECT_NEAR(std::abs(bars[1].Y2 - bars[1].Y1), 0.05, 1e-12);  // short
        EXPECT_NEAR(std::abs(bars[0].Y2 - bars[0].Y1), 0.125, 1e-12);  // tall
    }
}

// ------------------------------------------------------------ geometry

TEST(BarCodeGeometry, JustifyMovesTheAnchorNotTheSymbol) {
    for (TBarCodeRotation rot : {Rot0, Rot90, Rot180, Rot270}) {
        SCOPED_TRACE(int(rot));
        TVPBarsUPC upc(nullptr);
        upc.BarCodeRotation = rot;
        upc.SetLeft(2);
        double left = upc.LeftEdge(), right = upc.RightEdge();
        EXPECT_DOUBLE_EQ(std::abs(right - left), 0.95);
        upc.SetBarCodeJustify(pjCenter);
        EXPECT_DOUBLE_EQ(upc.Position(), (left + right) / 2);
        upc.SetBarCodeJustify(pjRight);
        EXPECT_DOUBLE_EQ(upc.Position(), right);
        EXPECT_DOUBLE_EQ(upc.LeftEdge(), left);
    }
}

TEST(BarCodeGeometry, BarsFollowTheRotation) {
    struct Case {
        TBarCodeRotation rot;
        Bar first;
    };
    // Code 39 start bar: narrow (0.01) and 0.5 high from anchor (1, 2).
    std::vector<Case> cases = {{Rot0, {1, 2, 1.01, 2.5}},
                               {Rot90, {2, 1, 2.5, 0.99}},
                               {Rot180, {1, 2, 0.99, 1.5}},
                               {Rot270, {2, 1, 1.5, 1.01}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.rot));
        TVPBarsCode39 b(nullptr);
        b.BarCodeRotation = c.rot;
        b.SetLeft(1);
        b.Top = 2;
        b.SetText("1");
        auto bars = Capture(b);
        ASSERT_FALSE(bars.empty());
        EXPECT_NEAR(bars[0].X1, c.first.X1, 1e-12);
        EXPECT_NEAR(bars[0].Y1, c.first.Y1, 1e-12);
        EXPECT_NEAR(bars[0].X2, c.first.X2, 1e-12);
        EXPECT_NEAR(bars[0].Y2, c.first.Y2, 1e-12);
    }
}

TEST(BarCodeGeometry, PrintingWithoutReportOrCallbackFails) {
    TVPBarsCode39 b(nullptr);
    b.SetText("A");
    try {
        b.Print();
        FAIL() << "no error";
    } catch (const EReportPrinter& e) {
        EXPECT_EQ(e.Message, "TBaseReport object not defined.  Printing Aborted.");
    }
}

// ------------------------------------------------ drawn through a report

namespace {

class BarCodeReportTest : public ReportPrinterFixture {
protected:
    void SetUp() override {
        TRecordingPrinterSpec spec;
        spec.XDPI = spec.YDPI = 200;
        UsePrinters({"Lab"}, "Lab", spec);
    }
    // Runs body on a snapshot writer and prints the snapshot; the first
    // page image.
    QImage Render(std::function<void(TVzVSFWriter&)> body) {
        TMemoryStream stream;
        {
            TVzVSFWriter w(nullptr);
            w.StreamMode = smUser;
            w.Stream = &stream;
            w.OnPrint = [&](TObject*) { body(w); };
            w.Execute();
        }
        TVzRenderPrinter printer(nullptr);
        printer.Render(&stream);
        EXPECT_EQ(RecordedPrintJobs().size(), 1u);
        if (RecordedPrintJobs().empty() || RecordedPrintJobs().back().Pages.empty()) return {};
        return RecordedPrintJobs().back().Pages[0].Image;
    }
    // The symbols zbarimg reads in the image, as "TYPE:data" lines.
    static std::string Decode(const QImage& image, const std::string& name) {
        auto dir = std::filesystem::temp_directory_path() / "omr-barcode-test";
        std::filesystem::create_directories(dir);
        std::string file = (dir / (name + ".png")).string();
        EXPECT_TRUE(image.copy(0, 0, 1200, 700).save(QString::fromStdString(file), "PNG"));
        std::string out;
        // UPC-A is reported as such only when asked for.
        std::string cmd = "zbarimg -q -Supca.enable '" + file + "' 2>/dev/null";
        if (FILE* p = popen(cmd.c_str(), "r")) {
            char buf[256];
            while (fgets(buf, sizeof buf, p)) out += buf;
            pclose(p);
        }
        while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
        return out;
    }
    static bool HaveZbar() { return std::system("command -v zbarimg >/dev/null 2>&1") == 0; }
};

}  // namespace

TEST_F(BarCodeReportTest, SymbolsReadBackWithZbar) {
    ASSERT_TRUE(HaveZbar()) << "zbarimg is not installed (zbar-tools; scripts/deps.sh installs it)";
    struct Case {
        const char* name;
        std::function<std::unique_ptr<TVPBarsBase>(TBaseReport*)> make;
        std::string text, expect;
    };
    std::vector<Case> cases = {
        {"code39",
         [](TBaseReport* r) {
             auto b = std::make_unique<TVPBarsCode39>(r);
             b->BarWidth = 0.02;
             return std::unique_ptr<TVPBarsBase>(std::move(b));
         },
         "CODE-39 42", "CODE-39:CODE-39 42"},
        {"code128",
         [](TBaseReport* r) {
             auto b = std::make_unique<TVPBarsCode128>(r);
             b->BarWidth = 0.02;
             return std::unique_ptr<TVPBarsBase>(std::move(b));
         },
         "Scan 12345678 ok", "CODE-128:Scan 12345678 ok"},
        {"upca", [](TBaseReport* r) { return std::unique_ptr<TVPBarsBase>(new TVPBarsUPC(r)); }, "03600029145",
         "UPC-A:036000291452"},
        {"ean13", [](TBaseReport* r) { return std::unique_ptr<TVPBarsBase>(new TVPBarsEAN(r)); }, "400638133393",
         "EAN-13:4006381333931"},
        {"i25",
         [](TBaseReport* r) {
             auto b = std::make_unique<TVPBars2of5>(r);
             b->BarWidth = 0.02;
             b->UseChecksum = true;
             return std::unique_ptr<TVPBarsBase>(std::move(b));
         },
         "1234567", "I2/5:12345670"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordedPrintJobs().clear();
        QImage image = Render([&](TVzVSFWriter& r) {
            r.SetFont("Arial", 10);
            auto b = c.make(&r);
            b->BarHeight = 0.8;
            if (b->BarWidth < 0.015) b->BarWidth = 0.015;
            b->SetLeft(1);
            b->Top = 1;
            b->SetText(c.text);
            b->Print();
        });
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(Decode(image, c.name), c.expect);
    }
}

TEST_F(BarCodeReportTest, PenAndBrushComeBackAndBarsLoseOnePixel) {
    TRecordingPrinterSpec spec;
    UsePrinters({"Lab"}, "Lab", spec);  // 100 dpi
    std::vector<std::pair<TColor, TBrushStyle>> after;  // pen colour, then brush
    QImage image = Render([&](TVzVSFWriter& r) {
        r.SetPen(clRed, psDash, 1, pmCopy);
        r.SetBrush(clBlue, bsClear, nullptr);
        TVPBarsCode39 b(&r);
        b.PrintReadable = false;
        b.BarWidth = 0.1;
        b.SetLeft(1);
        b.Top = 1;
        b.SetText("0");
        b.Print();
        after.push_back({r.GetCanvas()->Pen()->Color(), bsSolid});
        after.push_back({r.GetCanvas()->Brush()->Color(), r.GetCanvas()->Brush()->Style()});
    });
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[0].first, clRed);
    EXPECT_EQ(after[1].first, clBlue);
    EXPECT_EQ(after[1].second, bsClear);
    ASSERT_FALSE(image.isNull());
    // The first bar: 1.0 to 1.1 inches less one pixel; page pixel =
    // inch * 100 - 25 (unprintable border).
    auto dark = [&](int x, int y) { return qGray(image.pixel(x, y)) < 128; };
    int y = 120 - 20;
    EXPECT_TRUE(dark(75, y));
    EXPECT_TRUE(dark(83, y));
    EXPECT_FALSE(dark(86, y));
}

TEST_F(BarCodeReportTest, ReadableLineAboveAndTurnedSymbols) {
    double top = 0, barTop = 0, line = 0, bottom = 0;
    QImage image = Render([&](TVzVSFWriter& r) {
        r.SetFont("Arial", 10);
        TVPBarsCode128 b(&r);
        b.BarWidth = 0.02;
        b.BarHeight = 0.8;
        b.BarCodeRotation = Rot90;
        b.PrintTop = true;
        b.SetLeft(3);
        b.Top = 1;
        b.SetText("Turned 90");
        b.Print();
        top = b.Top;
        barTop = b.BarTop();
        bottom = b.Bottom();
        r.ResetLineHeight();
        line = r.GetLineHeight();
    });
    EXPECT_GT(line, 0);
    EXPECT_DOUBLE_EQ(barTop, top + line);
    EXPECT_DOUBLE_EQ(bottom, top + 0.8 + line);
    ASSERT_FALSE(image.isNull());
    ASSERT_TRUE(HaveZbar()) << "zbarimg is not installed (zbar-tools; scripts/deps.sh installs it)";
    EXPECT_EQ(Decode(image, "code128-rot90"), "CODE-128:Turned 90");
}

TEST(BarCodeOverride, DrawsNothingAndNeedsNoReport) {
    TVPBarsEAN ean(nullptr);
    int bars = 0;
    ean.BarCallback = [&](double, double, double, double) { ++bars; };
    ean.SetText("978030640615");
    ean.Print();
    // Edge guard, six digits, centre guard, six digits, edge guard; every
    // guard and digit has two bars.
    EXPECT_EQ(bars, 2 + 12 + 2 + 12 + 2);
}

// Bar-code components on a page: printed at their place and read back,
// with the text of a data field during the report only.
TEST_F(BarCodeReportTest, ComponentsPrintAtTheirPlace) {
    ASSERT_TRUE(HaveZbar()) << "zbarimg is not installed (zbar-tools; scripts/deps.sh installs it)";
    TVizePage page(nullptr);
    auto* code = new TVizeCode128BarCode(&page);
    code->SetParent(&page);
    code->SetText("SCORE-42");
    code->SetBarWidth(0.02);
    code->SetLeft(1);
    code->SetTop(1);
    code->SetHeight(0.8);
    double anchor = code->Encoder()->LeftEdge();
    page.SaveDesignState();
    page.BeforeReport();
    QImage image = Render([&](TVzVSFWriter& r) { page.Print(&r); });
    page.AfterReport();
    EXPECT_EQ(Decode(image, "component128"), "CODE-128:SCORE-42");
    // The encoder is back where the component keeps it.
    EXPECT_EQ(code->Encoder()->LeftEdge(), anchor);
    EXPECT_EQ(code->Encoder()->BaseReport, nullptr);
    EXPECT_EQ(code->GetText(), "SCORE-42");
}

TEST(BarCodeComponent, GeometryFollowsTheEncoder) {
    TVizeCode39BarCode code(nullptr);
    code.SetText("AB12");
    EXPECT_EQ(code.BarCodeJustify(), pjLeft);
    // With AutoSize the width is the symbol's, whatever is asked.
    code.SetWidth(5);
    EXPECT_NEAR(code.GetWidth(), code.Encoder()->SymbolWidth(), 1e-9);
    code.SetLeft(2);
    EXPECT_EQ(code.BarCodeJustify(), pjLeft);
    code.SetRight(4);
    EXPECT_EQ(code.BarCodeJustify(), pjRight);
    EXPECT_NEAR(code.GetLeft(), 4 - code.GetWidth(), 1e-9);
    code.SetBarCodeJustify(pjCenter);
    double centre = code.GetCenter();
    code.SetBarWidth(0.02);  // a wider symbol keeps its centre
    EXPECT_NEAR(code.GetCenter(), centre, 1e-4);
    EXPECT_NEAR(code.GetWidth(), code.Encoder()->SymbolWidth(), 1e-4);

    TVizePostNetBarCode post(nullptr);
    post.SetHeight(2);
    EXPECT_EQ(post.GetHeight(), 0.125);
    TVizeUPCBarCode upc(nullptr);
    EXPECT_EQ(upc.GetHeight(), 0.5);
    EXPECT_EQ(upc.BarHeight(), 0.5);  // no report: the readable line has no height
}

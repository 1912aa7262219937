// The PDF file structure: objects, numbering in both writing modes, the
// cross-reference table and the trailer.
#include <filesystem>
#include <fstream>
#include <regex>

#include "report/tests/ReportTestSupport.h"

#include "platform/core/Clock.h"
#include "platform/core/DateTime.h"
#include "platform/core/Format.h"
#include "report/RenderPDF.h"
#include "report/VSFWriter.h"

namespace {

class RenderPDFTest : public ReportPrinterFixture {
protected:
    void SetUp() override {
        ReportPrinterFixture::SetUp();
        clock_ = std::make_unique<ManualClock>(0, std::chrono::system_clock::time_point(std::chrono::seconds(1780000000)));
        SetCurrentClock(clock_.get());
    }
    void TearDown() override {
        SetCurrentClock(nullptr);
        ReportPrinterFixture::TearDown();
    }
    void Generate(int pages, bool text = true) {
        snapshot_.SetSize(0);
        TVzVSFWriter w(nullptr);
        w.StreamMode = smUser;
        w.Stream = &snapshot_;
        w.OnPrint = [&](TObject*) {
            for (int p = 1; p <= pages; ++p) {
                if (p > 1) w.NewPage();
                if (text) w.PrintXY(1, 1, "page");
            }
        };
        w.Execute();
    }
    std::string Render(TVzRenderPDF& pdf) {
        TMemoryStream out;
        pdf.OutputStream = &out;
        pdf.Render(&snapshot_);
        std::string b(size_t(out.Size()), '\0');
        out.SetPosition(0);
        if (!b.empty()) out.ReadBuffer(b.data(), Integer(b.size()));
        return b;
    }
    // Checks the cross-reference table against the objects and answers the
    // number of objects; obj(n) gives object n's text.
    int CheckXref(const std::string& pdf, std::map<int, std::string>& objects) {
        size_t sx = pdf.rfind("startxref\r\n");
        EXPECT_NE(sx, std::string::npos);
        size_t xref = std::stoul(pdf.substr(sx + 11));
        EXPECT_EQ(pdf.compare(xref, 6, "xref\r\n"), 0);
        size_t line = pdf.find("\r\n", xref + 6);
        int count = std::stoi(pdf.substr(xref + 8, line - xref - 8));
        size_t entries = line + 2;
        EXPECT_EQ(pdf.substr(entries, 20), "0000000000 65535 f\r\n");
        for (int n = 1; n < count; ++n) {
            std::string entry = pdf.substr(entries + 20 * n, 20);
            EXPECT_EQ(entry.substr(10), " 00000 n\r\n");
            size_t offset = std::stoul(entry.substr(0, 10));
            std::string head = std::to_string(n) + " 0 obj\r\n";
            EXPECT_EQ(pdf.compare(offset, head.size(), head), 0) << "object " << n;
            size_t end = pdf.find("endobj\r\n", offset);
            objects[n] = pdf.substr(offset + head.size(), end - offset - head.size());
        }
        EXPECT_NE(pdf.find("/Size " + std::to_string(count) + "\r\n/Root 1 0 R\r\n/Info " +
                           std::to_string(count - 1) + " 0 R"),
                  std::string::npos);
        EXPECT_EQ(pdf.substr(pdf.size() - 7), "%%EOF\r\n");
        return count - 1;
    }
    std::unique_ptr<ManualClock> clock_;
    TMemoryStream snapshot_;
};

}  // namespace

TEST_F(RenderPDFTest, BufferedDocument) {
    Generate(1);
    TVzRenderPDF pdf(nullptr);
    std::string b = Render(pdf);
    EXPECT_EQ(b.substr(0, 19), std::string("%PDF-1.3\r\n\x25\xE2\xE3\xCF\xD3\r\n\r\n"));
    std::map<int, std::string> obj;
    ASSERT_EQ(CheckXref(b, obj), 8);
    EXPECT_EQ(obj[1], "<<\r\n/Type /Catalog\r\n/Outlines 2 0 R\r\n/Pages 3 0 R\r\n>>\r\n");
    EXPECT_EQ(obj[2], "<<\r\n/Type /Outlines\r\n/Count 0\r\n>>\r\n");
    EXPECT_EQ(obj[3], "<<\r\n/Type /Pages\r\n/Count 1\r\n/Kids [ 4 0 R ] \r\n>>\r\n");
    EXPECT_EQ(obj[4], "<<\r\n/Type /Page\r\n/Parent 3 0 R\r\n/Resources <<\r\n/Font <<\r\n/F1 7 0 R \r\n>>\r\n"
                      "/ProcSet 6 0 R\r\n>>\r\n/MediaBox [0 0 612 792]\r\n/Contents 5 0 R\r\n>>\r\n");
    EXPECT_EQ(obj[5].substr(0, 31), "<< /Length 68 >>\r\nstream\r\n2 J\r\n");
    EXPECT_EQ(obj[6], "[/PDF /Text]\r\n");
    EXPECT_NE(obj[7].find("/BaseFont /Helvetica\r\n"), std::string::npos);
    std::string date = FormatDateTime("yyyymmddhhnnss", Now());
    EXPECT_EQ(obj[8], "<<\r\n/Creator (Scorvane Reports)\r\n/Producer (Scorvane)\r\n/CreationDate (D:" + date +
                          ")\r\n>>\r\n");
}

TEST_F(RenderPDFTest, StreamingDocumentPatchesThePageTree) {
    Generate(2);
    TVzRenderPDF pdf(nullptr);
    pdf.BufferDocument = false;
    pdf.DocInfo.Title = "Scores (final) \\ term";
    std::string b = Render(pdf);
    std::map<int, std::string> obj;
    ASSERT_EQ(CheckXref(b, obj), 10);
    // Catalog, outlines and procedure set first; the font when first used;
    // each page with its content when it ends; the page tree and the
    // information at the end.
    EXPECT_EQ(obj[1], "<<\r\n/Type /Catalog\r\n/Outlines 2 0 R\r\n/Pages 9      0 R\r\n>>\r\n");
    EXPECT_EQ(obj[3], "[/PDF /Text /ImageB /ImageC /ImageI]\r\n");
    EXPECT_NE(obj[4].find("/Type /Font"), std::string::npos);
    EXPECT_EQ(obj[5].substr(0, 40), "<<\r\n/Type /Page\r\n/Parent 9      0 R\r\n/Re");
    EXPECT_NE(obj[5].find("/Contents 6 0 R"), std::string::npos);
    EXPECT_EQ(obj[7].substr(0, 31), "<<\r\n/Type /Page\r\n/Parent 9     ");
    EXPECT_EQ(obj[9], "<<\r\n/Type /Pages\r\n/Count 2\r\n/Kids [ 5 0 R 7 0 R ] \r\n>>\r\n");
    EXPECT_NE(obj[10].find("/Title (Scores \\(final\\) \\\\ term)"), std::string::npos);
}

TEST_F(RenderPDFTest, LongPageTreesBreakTheirKidsLine) {
    Generate(27);
    TVzRenderPDF pdf(nullptr);
    std::string b = Render(pdf);
    std::map<int, std::string> obj;
    CheckXref(b, obj);
    const std::string& tree = obj[3];
    // Pages are objects 4, 6, 8, ...: the 26th is 54.
    EXPECT_NE(tree.find("54 0 R \r\n56 0 R"), std::string::npos);
    EXPECT_NE(tree.find("/Count 27"), std::string::npos);
}

TEST_F(RenderPDFTest, CompressionGoesThroughTheHandler) {
    Generate(1, false);
    TVzRenderPDF pdf(nullptr);
    pdf.UseCompression = true;  // no handler: plain streams
    EXPECT_NE(Render(pdf).find("<< /Length 5 >>"), std::string::npos);
    Generate(1, false);
    pdf.OnCompress = [](TStream& in, TStream& out, std::string& method) {
        EXPECT_EQ(method, "FlateDecode");
        out.CopyFrom(in, 0);
        out.WriteBuffer("!", 1);
        method = "Fake";
    };
    std::string b = Render(pdf);
    EXPECT_NE(b.find("<<\r\n/Length 6\r\n/Filter [/Fake]\r\n>>\r\nstream\r\n2 J\r\n!\r\nendstream"), std::string::npos);
}

TEST_F(RenderPDFTest, FileNamesGetTheExtensionAndTheRegistryListsTheFormat) {
    Generate(1);
    std::string dir = (std::filesystem::temp_directory_path() / "omr-pdf-test").string();
    std::filesystem::create_directories(dir);
    TVzRenderPDF pdf(nullptr);
    pdf.RenderToFile(&snapshot_, dir + "/report");
    EXPECT_TRUE(std::filesystem::exists(dir + "/report.pdf"));
    pdf.RenderToFile(&snapshot_, dir + "/report.out");
    EXPECT_TRUE(std::filesystem::exists(dir + "/report.out"));
    std::ifstream in(dir + "/report.pdf", std::ios::binary);
    std::string head(8, '\0');
    in.read(head.data(), 8);
    EXPECT_EQ(head, "%PDF-1.3");
    std::filesystem::remove_all(dir);
    EXPECT_NE(BuildRendererFilter().find("Adobe Acrobat (PDF)|*.pdf"), std::string::npos);
}

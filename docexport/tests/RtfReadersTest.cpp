#include <gtest/gtest.h>

#include <QImage>
#include <string>

#include "docexport/tests/EngineTestSupport.h"
#include "docexport/deRTFEng.h"
#include "docexport/tests/CheckerSupport.h"
#include "platform/core/Streams.h"
#include "platform/gui/Icon.h"
#include "platform/gui/Metafile.h"
#include "platform/gui/tests/IconFixture.h"

// An RTF document with text, a line, a rectangle, an ellipse, a bitmap, a
// metafile picture, rotated text, a table and a flowing paragraph, read by
// LibreOffice (converted to PDF, checked with pdftotext and a few pixels of
// pdftoppm pages) and by unrtf.

namespace {

// An RTF engine on an 800 x 600 pixel page without margins.
class TFileRtf : public TdeRTFEngine {
public:
    TFileRtf() : TdeRTFEngine(nullptr) {
        WriteIntoMemory(*this, Out, 0, 12);
    }
    TMemoryStream Out;
    std::string Text() { return std::string(Out.Memory(), static_cast<std::size_t>(Out.Size())); }
};

bool Near(QRgb p, int r, int g, int b) {
    return std::abs(qRed(p) - r) < 60 && std::abs(qGreen(p) - g) < 60 && std::abs(qBlue(p) - b) < 60;
}

int DarkPixels(const QImage& img, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (qGray(img.pixel(x, y)) < 100) ++n;
    return n;
}

std::string WriteReport(bool binary) {
    TFileRtf e;
    e.Preferences()->GraphicDataInBinary = binary;
    // A background picture in the bottom-right corner of the first page.
    TBitmap* background = e.BackgroundImage()->Bitmap();
    background->SetSize(30, 30);
    background->Canvas()->Brush()->SetColor(clFuchsia);
    background->Canvas()->FillRect(TRect(0, 0, 30, 30));
    e.SetBackgroundImageDisplayType(dtBottomRight);
    e.BeginDoc();
    // Flowing text and a table first: the positioned frames after them
    // must stay on this page.
    e.BeginPara();
    e.ParagraphText("Flowing paragraph words");
    e.EndPara();
    auto cols = e.BeginTable(50, 400, 2);
    for (auto* c : cols) c->SetWidth(150);
    e.NewRow(25);
    e.TableCellText(0, "Name");
    e.TableCellText(1, "Score");
    e.NewRow(25);
    e.TableCellText(0, "Ann");
    e.TableCellText(1, "17");
    e.EndTable();
    e.TextOut("Alpha text", 50, 50);
    e.Pen()->SetWidth(3);
    e.Line(50, 100, 400, 100);
    e.Pen()->SetWidth(1);
    e.Brush()->SetColor(clRed);
    e.Rectangle(50, 120, 150, 180, true);
    e.Brush()->SetColor(clBlue);
    e.Ellipse(200, 120, 300, 180, true);
    e.Brush()->SetColor(clWhite);
    TBitmap green;
    green.SetSize(40, 30);
    green.Canvas()->Brush()->SetColor(clLime);
    green.Canvas()->FillRect(TRect(0, 0, 40, 30));
    e.ImageSettings()->Stretch = true;
    e.DrawImageRect(TdeRect{350, 120, 430, 180}, &green);
    TMetafile yellow;
    yellow.SetWidth(60);
    yellow.SetHeight(60);
    {
        TMetafileCanvas c(&yellow);
        c.Brush()->SetColor(clYellow);
        c.FillRect(TRect(0, 0, 60, 60));
    }
    e.ImageSettings()->SetOutputImageFormat(ifMetafile);
    e.DrawImageRect(TdeRect{480, 120, 540, 180}, &yellow);
    e.ImageSettings()->SetOutputImageFormat(ifJPEG);
    // A 4 x 4 icon in ten-pixel cells, its clear top-left cell showing white.
    TIcon icon;
    icon.LoadFromBytes(SmallIconFile());
    e.DrawImageRect(TdeRect{560, 300, 600, 340}, &icon);
    e.Font()->SetSize(20);
    e.SetRotation(90);
    e.TextOut("Turned", 650, 250);
    e.SetRotation(0);
    e.Font()->SetSize(12);
    e.NewPage();
    // A page whose last output is a frame after flowing text.
    e.BeginPara();
    e.ParagraphText("Second page flow");
    e.EndPara();
    e.TextOut("Second page text", 50, 200);
    e.NewPage();
    e.TextOut("Third page text", 50, 50);
    // A bookmark and a tab line, placed as a caller would.
    auto* mark = new TdeBookmarkItem;
    mark->Name = "Results";
    mark->X = 50;
    mark->Y = 20;
    e.AddItem(mark);
    auto* tabs = new TdeTabItem;
    tabs->Texts = {"Tabbed", "Bea", "93"};
    tabs->Positions = {100, 250, 400};
    tabs->Font.SetName("Arial");
    e.AddItem(tabs);
    e.EndDoc();
    return e.Text();
}

}  // namespace

TEST(RtfReaders, LibreOfficeShowsEveryKindOfOutputOnItsPage) {
    const std::string rtf = WriteReport(false);
    EXPECT_NE(rtf.find("\\jpegblip"), std::string::npos);
    EXPECT_NE(rtf.find("\\emfblip"), std::string::npos);
    EXPECT_NE(rtf.find("\\dpellipse"), std::string::npos);
    EXPECT_NE(rtf.find("\\trowd"), std::string::npos);
    ASSERT_EQ(checkers::MissingReaders({"soffice", "pdftotext", "pdftoppm"}), "");
    const std::string folder = checkers::TempFolder("rtf");
    checkers::WriteBytes(folder + "/report.rtf", rtf);
    const std::string pdf = checkers::LibreOfficeConvert(folder + "/report.rtf", "pdf", folder);
    ASSERT_FALSE(pdf.empty()) << "LibreOffice did not convert the document";
    const std::string page1 = checkers::Run("pdftotext -f 1 -l 1 '" + pdf + "' -");
    const std::string page2 = checkers::Run("pdftotext -f 2 -l 2 '" + pdf + "' -");
    for (const char* t : {"Flowing paragraph words", "Alpha text", "Name", "Score", "Ann", "17"})
        EXPECT_NE(page1.find(t), std::string::npos) << t << " is not on page 1:\n" << page1;
    EXPECT_NE(page2.find("Second page text"), std::string::npos) << "a frame left its page:\n" << page2;
    EXPECT_EQ(page2.find("Alpha text"), std::string::npos) << "a frame moved to the next page";
    EXPECT_NE(checkers::Run("pdfinfo '" + pdf + "'").find("Pages:           3"), std::string::npos);

    // At 96 pixels per inch the page image has the engine's pixels.
    checkers::Run("pdftoppm -r 96 -f 1 -l 1 -png '" + pdf + "' '" + folder + "/p'");
    QImage img((folder + "/p-1.png").c_str());
    ASSERT_FALSE(img.isNull());
    ASSERT_GE(img.width(), 790);
    EXPECT_TRUE(Near(img.pixel(100, 150), 255, 0, 0)) << "rectangle";
    EXPECT_TRUE(Near(img.pixel(250, 150), 0, 0, 255)) << "ellipse";
    EXPECT_TRUE(Near(img.pixel(390, 150), 0, 255, 0)) << "bitmap";
    EXPECT_TRUE(Near(img.pixel(510, 150), 255, 255, 0)) << "metafile picture";
    EXPECT_TRUE(Near(img.pixel(535, 175), 255, 255, 0)) << "metafile picture at its full size";
    EXPECT_TRUE(Near(img.pixel(55, 125), 255, 0, 0)) << "nothing black over the rectangle's corner";
    EXPECT_TRUE(Near(img.pixel(565, 305), 255, 255, 255)) << "icon's clear cell";
    EXPECT_TRUE(Near(img.pixel(575, 315), 255, 0, 0)) << "icon";
    EXPECT_TRUE(Near(img.pixel(595, 305), 0, 255, 0)) << "icon";
    EXPECT_TRUE(Near(img.pixel(565, 335), 0, 0, 255)) << "icon";
    EXPECT_TRUE(Near(img.pixel(595, 335), 0, 0, 0)) << "icon";
    EXPECT_GT(DarkPixels(img, 100, 98, 350, 103), 200) << "line";
    EXPECT_GT(DarkPixels(img, 640, 150, 700, 260), 30) << "rotated text";
    // The background picture stands in the first page's header; LibreOffice
    // shows header frames at the header's corner whatever their position,
    // so only its presence on the page is checked.
    int background = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) background += Near(img.pixel(x, y), 255, 0, 255);
    EXPECT_GT(background, 500) << "background picture";
    const std::string page3 = checkers::Run("pdftotext -f 3 -l 3 '" + pdf + "' -");
    for (const char* t : {"Tabbed", "Bea", "93"}) EXPECT_NE(page3.find(t), std::string::npos) << t << ":\n" << page3;
    // The bookmark survives into LibreOffice's own format.
    const std::string odt = checkers::LibreOfficeConvert(folder + "/report.rtf", "odt", folder);
    ASSERT_FALSE(odt.empty()) << "LibreOffice did not convert the document";
    const std::string content = checkers::Run(
        checkers::Python() + " -c \"import sys, zipfile; print(zipfile.ZipFile(sys.argv[1]).read('content.xml').decode())\" '" +
        odt + "'");
    EXPECT_NE(content.find("text:name=\"Results\""), std::string::npos) << content.substr(0, 2000);
    checkers::RemoveTree(folder);
}

// Bookmarks and tab lines as the writer lays them out: right-aligned stops
// at the given places, then regular ones up to the page's text width.
TEST(RtfReaders, BookmarkAndTabLineWords) {
    const std::string rtf = WriteReport(false);
    EXPECT_NE(rtf.find("{\\*\\bkmkstart Results}\\plain\\pvpg\\phpg\\posy300\\posx750\\absw0\\absh0"
                       "{\\*\\bkmkend Results}"),
              std::string::npos);
    const auto at = rtf.find("\\tqr\\tx1500\\tx3750\\tx6000\\tx6480\\tx7200");
    ASSERT_NE(at, std::string::npos);
    const std::string stops = rtf.substr(at, rtf.find("\r\n", at) - at);
    const std::string last = "\\tx11520";  // 768 pixels: the last stop before the 800-pixel width
    EXPECT_TRUE(stops.size() >= last.size() && stops.compare(stops.size() - last.size(), last.size(), last) == 0)
        << stops;
    EXPECT_NE(rtf.find(" Tabbed \\tab Bea \\tab 93 \\tab"), std::string::npos);
    EXPECT_NE(rtf.find("{\\pard\\keep\\keepn\\sb0\\sl"), std::string::npos);
}

TEST(RtfReaders, UnrtfReadsTheDocument) {
    for (bool binary : {false, true}) {
        SCOPED_TRACE(binary ? "binary picture data" : "hexadecimal picture data");
        const std::string rtf = WriteReport(binary);
        ASSERT_EQ(checkers::MissingReaders({"unrtf"}), "");
        const std::string folder = checkers::TempFolder("unrtf");
        checkers::WriteBytes(folder + "/report.rtf", rtf);
        int rc = 0;
        // unrtf writes the pictures it meets into its working folder.
        const std::string text = checkers::Run("cd '" + folder + "' && unrtf --text report.rtf", &rc);
        EXPECT_EQ(rc, 0) << text;
        for (const char* t : {"Alpha text", "Ann", "Second page text", "Bea"})
            EXPECT_NE(text.find(t), std::string::npos) << t;
        checkers::RemoveTree(folder);
    }
}

#include <gtest/gtest.h>

#include <QImage>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "docexport/tests/EngineTestSupport.h"
#include "docexport/deExExcelEng.h"
#include "docexport/tests/CheckerSupport.h"
#include "platform/core/Streams.h"
#include "platform/gui/Metafile.h"

namespace {

// An Excel engine writing to memory, in pixels, on an 800 x 600 page
// without margins.
class TMemExcel : public TdeExcelEngine {
public:
    TMemExcel() : TdeExcelEngine(nullptr) {
        WriteIntoMemory(*this, Out, 0, 10);
    }
    TMemoryStream Out;
    std::string Bytes() { return std::string(Out.Memory(), static_cast<std::size_t>(Out.Size())); }
    // Places a text at a cell of the layout grid.
    void At(double col, double row, const std::string& text) { TextOut(text, col * ColumnWidth(), row * RowHeight()); }
};

std::uint32_t U32(const std::string& s, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(s[at + i]);
    return v;
}
unsigned U16(const std::string& s, std::size_t at) {
    return static_cast<unsigned char>(s[at]) | (static_cast<unsigned char>(s[at + 1]) << 8);
}

struct Record {
    unsigned Id;
    std::string Data;
    std::size_t Offset;
};

// The records of the Book stream from offset on, up to and including EOF.
std::vector<Record> Records(const std::string& book, std::size_t at) {
    std::vector<Record> out;
    while (at + 4 <= book.size()) {
        const unsigned id = U16(book, at), len = U16(book, at + 2);
        out.push_back({id, book.substr(at + 4, len), at});
        at += 4 + len;
        if (id == 0x000A) break;
    }
    return out;
}


// Every cell xlrd reads ("sheet!row,col=value" lines, formatting
// information on); the container must also open in olefile's strict mode.
std::string ReadWithXlrd(const std::string& bytes) {
    const std::string folder = checkers::TempFolder("xls");
    const std::string path = folder + "/book.xls";
    checkers::WriteBytes(path, bytes);
    const std::string ole = checkers::OlefileStrictProblems(path);
    EXPECT_EQ(ole, "") << "olefile (strict) refused the workbook";
    std::string result = checkers::XlrdCells(path);
    checkers::RemoveTree(folder);
    return result;
}

}  // namespace

TEST(ExcelWriter, SmallWorkbookHasTheContainerAndRecords) {
    TMemExcel e;
    e.Preferences()->AutoFormatCells = true;
    e.BeginDoc();
    e.At(0, 0, "Name");
    e.At(2, 0, "Score");
    e.At(0, 1, "Ann");
    e.At(2, 1, "123-");
    e.At(0, 2, "Bob");
    e.At(2, 2, "1,234.50");
    e.EndDoc();
    const std::string f = e.Bytes();
    ASSERT_EQ(f.size(), 512u * 27);  // header + 24 data sectors, FAT, directory
    EXPECT_EQ(f.substr(0, 8), std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
    EXPECT_EQ(U32(f, 0x2C), 1u);   // FAT sectors
    EXPECT_EQ(U32(f, 0x30), 25u);  // directory sector
    EXPECT_EQ(U32(f, 0x4C), 24u);  // first FAT sector
    const std::size_t fat = 512 * 25, dir = 512 * 26;
    EXPECT_EQ(U32(f, fat + 4 * 7), 0xFFFFFFFEu);   // end of Book
    EXPECT_EQ(U32(f, fat + 4 * 15), 0xFFFFFFFEu);  // end of SummaryInformation
    EXPECT_EQ(U32(f, fat + 4 * 24), 0xFFFFFFFDu);  // the FAT itself
    EXPECT_EQ(f[dir + 128], 'B');
    EXPECT_EQ(U32(f, dir + 128 + 120), 4096u);
    EXPECT_EQ(U32(f, dir + 256 + 116), 8u);   // summary streams at sectors 8 and 16
    EXPECT_EQ(U32(f, dir + 384 + 116), 16u);

    const std::string book = f.substr(512, 4096);
    const auto globals = Records(book, 0);
    ASSERT_FALSE(globals.empty());
    EXPECT_EQ(globals.front().Id, 0x0809u);
    EXPECT_EQ(U16(globals.front().Data, 0), 0x0500u);
    const Record* bound = nullptr;
    for (const auto& r : globals)
        if (r.Id == 0x0085) bound = &r;
    ASSERT_NE(bound, nullptr);
    EXPECT_EQ(bound->Data.substr(7), "Sheet1");
    const auto sheet = Records(book, U32(bound->Data, 0));
    ASSERT_FALSE(sheet.empty());
    EXPECT_EQ(sheet.front().Id, 0x0809u) << "the BOUNDSHEET offset points at the sheet's BOF";
    EXPECT_EQ(U16(sheet.front().Data, 2), 0x0010u);
    int labels = 0, numbers = 0, window2 = 0;
    for (const auto& r : sheet) {
        labels += r.Id == 0x0204;
        numbers += r.Id == 0x0203;
        window2 += r.Id == 0x023E;
    }
    EXPECT_EQ(labels, 4);
    EXPECT_EQ(numbers, 2);
    EXPECT_EQ(window2, 1);

    ASSERT_EQ(checkers::MissingReaders({"python3-xlrd", "python3-olefile"}), "");
    EXPECT_EQ(ReadWithXlrd(f),
              "Sheet1!0,0='Name'\nSheet1!0,2='Score'\nSheet1!1,0='Ann'\nSheet1!1,2=-123.0\n"
              "Sheet1!2,0='Bob'\nSheet1!2,2=1234.5\n");
}

TEST(ExcelWriter, WithoutAutoFormatNumbersAreLabelsAndLongTextsAreCut) {
    TMemExcel e;
    e.BeginDoc();
    e.At(0, 0, "123-");
    e.At(0, 1, std::string(300, 'x'));
    e.At(0, 2, "\xC3\xA9t\xC3\xA9");  // "été"
    e.EndDoc();
    ASSERT_EQ(checkers::MissingReaders({"python3-xlrd", "python3-olefile"}), "");
    EXPECT_EQ(ReadWithXlrd(e.Bytes()),
              "Sheet1!0,0='-123'\nSheet1!1,0='" + std::string(255, 'x') + "'\nSheet1!2,0='\xC3\xA9t\xC3\xA9'\n");
}

TEST(ExcelWriter, PagesPerWorksheetAndSheetNames) {
    TMemExcel e;
    e.Preferences()->PagesPerWorksheet = 2;
    e.OnNeedSheetName = [](TObject*, std::string& name, Integer no) {
        name = no == 3 ? "Tail: [x]" : "Scores";
    };
    e.BeginDoc();
    for (int p = 1; p <= 5; ++p) {
        if (p > 1) e.NewPage();
        e.At(0, 0, "page " + std::to_string(p));
    }
    e.EndDoc();
    ASSERT_EQ(e.Sheets().size(), 0u) << "cleared after the document";
    ASSERT_EQ(checkers::MissingReaders({"python3-xlrd", "python3-olefile"}), "");
    const std::string cells = ReadWithXlrd(e.Bytes());
    EXPECT_NE(cells.find("Scores!0,0='page 1'"), std::string::npos) << cells;
    EXPECT_NE(cells.find("Sheet2!0,0='page 3'"), std::string::npos) << cells;
    EXPECT_NE(cells.find("Tail_ _x_!0,0='page 5'"), std::string::npos) << cells;
}

TEST(ExcelWriter, RowsBeyondTheSheetLimitContinueOnANewSheet) {
    TMemExcel e;
    e.Preferences()->ContinuousMode = true;
    e.BeginDoc();
    for (int i = 0; i < 16388; ++i) e.AddSheetText(i, 0, 4, 0, "r" + std::to_string(i));
    e.EndDoc();
    ASSERT_EQ(checkers::MissingReaders({"python3-xlrd", "python3-olefile"}), "");
    const std::string cells = ReadWithXlrd(e.Bytes());
    EXPECT_NE(cells.find("Sheet1!16383,0='r16383'"), std::string::npos) << cells.substr(0, 1500);
    EXPECT_NE(cells.find("Sheet2!0,0='r16384'\nSheet2!1,0='r16385'"), std::string::npos);
}

TEST(ExcelWriter, LargeWorkbookChainsItsFatThroughDifSectors) {
    TMemExcel e;
    e.Preferences()->ContinuousMode = true;
    e.BeginDoc();
    const std::string filler(250, 'y');
    for (int i = 0; i < 33000; ++i) e.AddSheetText(i, 0, 4, 0, std::to_string(i) + filler);
    e.EndDoc();
    const std::string f = e.Bytes();
    const std::uint32_t fatSectors = U32(f, 0x2C), difSectors = U32(f, 0x48);
    ASSERT_GT(fatSectors, 109u);
    ASSERT_EQ(difSectors, 1u);
    const std::size_t dif = 512 * (std::size_t(U32(f, 0x44)) + 1);
    EXPECT_EQ(U32(f, dif), U32(f, 0x4C) + 109) << "the DIF lists the FAT sectors after the first 109";
    EXPECT_EQ(U32(f, dif + 508), 0xFFFFFFFEu) << "the last DIF sector ends the chain";
    ASSERT_EQ(checkers::MissingReaders({"python3-xlrd", "python3-olefile"}), "");
    const std::string cells = ReadWithXlrd(f);
    EXPECT_NE(cells.find("Sheet3!" + std::to_string(32999 - 2 * 16384) + ",0='32999" + filler + "'"),
              std::string::npos)
        << cells.substr(0, 500);
}

TEST(ExcelWriter, ReportOfManyPagesKeepsEveryName) {
    // 100 pages of 50 rows x 10 cells: a name, then numbers each starting
    // where the text before it ends, a pixel higher than the name.
    TMemExcel e;
    e.Page()->SetHeight(800);
    e.BeginDoc();
    for (int p = 0; p < 100; ++p) {
        if (p > 0) e.NewPage();
        for (int r = 0; r < 50; ++r) {
            const double y = r * e.RowHeight() + 1;
            const std::string name = "Student " + std::to_string(p * 50 + r + 1);
            e.TextOut(name, 0, y);
            double x = e.TextExtent(name, *e.Font()).cx;
            for (int c = 1; c < 10; ++c) {
                const std::string v = std::to_string((r * 7 + c * 13) % 100);
                e.TextOut(v, x, y - 1);
                x += e.TextExtent(v, *e.Font()).cx;
            }
        }
    }
    e.EndDoc();
    ASSERT_EQ(checkers::MissingReaders({"python3-xlrd", "python3-olefile"}), "");
    const std::string cells = ReadWithXlrd(e.Bytes());
    int missing = 0;
    for (int s = 1; s <= 5000; ++s)
        if (cells.find("='Student " + std::to_string(s) + "'\n") == std::string::npos && ++missing <= 3)
            ADD_FAILURE() << "Student " << s << " is lost";
    EXPECT_EQ(missing, 0);
}

TEST(ExcelWriter, FontsAndPaletteReadBackWithTheirFormatting) {
    // 101 colours with the default palette (the format holds 56), and a
    // bold font: xlrd must read the colours and see the bold bit.
    TMemExcel e;
    e.Preferences()->UseDefaultPalette = true;
    e.Page()->SetHeight(2000);
    e.BeginDoc();
    for (int i = 0; i < 101; ++i) {
        e.Font()->SetColor(RGB(Byte(i * 2), Byte(255 - i), Byte(i)));
        e.At(0, i, "c" + std::to_string(i));
    }
    e.Font()->SetColor(clBlack);
    e.Font()->SetStyle(fsBold);
    e.At(1, 0, "bold");
    e.EndDoc();
    const std::string f = e.Bytes();
    const std::string book = f.substr(512, 4096 * ((f.size() / 512 - 27) / 8 + 1));
    for (const auto& r : Records(book, 0)) {
        if (r.Id == 0x0092) {
            EXPECT_LE(U16(r.Data, 0), 56u) << "PALETTE holds at most 56 colours";
        }
    }
    ASSERT_EQ(checkers::MissingReaders({"python3-xlrd", "python3-olefile"}), "");
    EXPECT_NE(ReadWithXlrd(f).find("Sheet1!100,0='c100'"), std::string::npos);
    const std::string folder = checkers::TempFolder("xls-bold");
    checkers::WriteBytes(folder + "/b.xls", f);
    const std::string bold = checkers::Run(checkers::Python() +
                                           " -c \"import sys, xlrd\n"
                                           "b = xlrd.open_workbook(sys.argv[1], formatting_info=True)\n"
                                           "s = b.sheet_by_index(0)\n"
                                           "for r, c in ((0, 0), (0, 1)):\n"
                                           "  f = b.font_list[b.xf_list[s.cell_xf_index(r, c)].font_index]\n"
                                           "  print(s.cell_value(r, c), f.bold, f.weight)\n\" " +
                                           folder + "/b.xls");
    checkers::RemoveTree(folder);
    EXPECT_EQ(bold, "c0 0 400\nbold 1 700\n");
}

TEST(ExcelWriter, PagesTallerThanASheetLeaveNoEmptySheet) {
    TMemExcel e;
    e.Page()->SetHeight(16400.0 * e.BaseRowHeight());
    e.BeginDoc();
    e.At(0, 0, "first");
    e.NewPage();
    e.At(0, 0, "second");
    e.EndDoc();
    ASSERT_EQ(checkers::MissingReaders({"python3-xlrd", "python3-olefile"}), "");
    EXPECT_EQ(ReadWithXlrd(e.Bytes()), "Sheet1!0,0='first'\nSheet2!0,0='second'\n");
    const std::string folder = checkers::TempFolder("xls-sheets");
    checkers::WriteBytes(folder + "/s.xls", e.Bytes());
    EXPECT_EQ(checkers::Run(checkers::Python() + " -c \"import sys, xlrd\n"
                            "print(xlrd.open_workbook(sys.argv[1]).nsheets)\" " + folder + "/s.xls"),
              "2\n");
    checkers::RemoveTree(folder);
}

TEST(ExcelWriter, PicturesAndDrawingObjectsAreAnchoredToCells) {
    TMemExcel e;
    e.SetItemsToRender(deAllItems);
    e.ImageSettings()->SetOutputImageFormat(ifBMP);
    e.BackgroundImage()->Bitmap()->SetSize(8, 8);
    e.BeginDoc();
    const double cw = e.ColumnWidth(), rh = e.RowHeight();
    e.At(0, 0, "Name");
    e.At(0, 1, "Ann");
    // Two columns wide from the middle of column 1: column 1 at 512 to
    // column 3 at 512.
    TBitmap picture;
    picture.SetSize(20, 10);
    e.ImageSettings()->Stretch = true;
    e.DrawImageRect(TdeRect{1.5 * cw, 2 * rh, 3.5 * cw, 4 * rh}, &picture);
    // 57 x 29 pixels: 5000 bytes of picture data.
    e.DrawImageRect(TdeRect{0, 10 * rh, 57, 10 * rh + 29}, &picture);
    e.Line(0, 5 * rh, 2 * cw, 5 * rh);
    e.Brush()->SetColor(clRed);
    e.Rectangle(0, 6 * rh, cw, 7 * rh, true);
    e.Brush()->SetColor(clBlue);
    e.Ellipse(cw, 6 * rh, 2 * cw, 7 * rh, true);
    e.Polygon({{0, 8 * rh}, {cw, 9 * rh}, {0, 9 * rh}}, true);
    e.EndDoc();
    const std::string f = e.Bytes();
    const std::string book = f.substr(512);
    std::vector<Record> objs, imdata, cont, coords;
    const Record* bound = nullptr;
    auto globals = Records(book, 0);
    for (const auto& r : globals)
        if (r.Id == 0x0085) bound = &r;
    ASSERT_NE(bound, nullptr);
    for (const auto& r : Records(book, U32(bound->Data, 0))) {
        if (r.Id == 0x005D) objs.push_back(r);
        if (r.Id == 0x007F) imdata.push_back(r);
        if (r.Id == 0x003C) cont.push_back(r);
        if (r.Id == 0x00A9) coords.push_back(r);
    }
    // Background picture, two pictures, line, rectangle, ellipse, polygon.
    ASSERT_EQ(objs.size(), 7u);
    EXPECT_EQ(objs[0].Data.size(), 72u);
    EXPECT_EQ(objs[0].Data.substr(61, 10), "__BkgndObj");
    const Record& pic = objs[1];
    EXPECT_EQ(U16(pic.Data, 4), 8u);
    EXPECT_EQ(U16(pic.Data, 10), 1u);    // left column
    EXPECT_EQ(U16(pic.Data, 12), 512u);  // its offset
    EXPECT_EQ(U16(pic.Data, 18), 3u);    // right column
    EXPECT_EQ(U16(pic.Data, 20), 512u);
    EXPECT_EQ(U16(pic.Data, 14), 2u);  // top row
    ASSERT_EQ(imdata.size(), 3u);  // the background's and the two pictures'
    EXPECT_EQ(imdata[2].Data.size(), 2076u);
    EXPECT_EQ(U32(imdata[2].Data, 4), 5000u);
    ASSERT_GE(cont.size(), 2u);
    EXPECT_EQ(cont[cont.size() - 2].Data.size(), 2068u);
    EXPECT_EQ(cont.back().Data.size(), 864u);
    EXPECT_EQ(U16(objs[3].Data, 4), 1u);
    EXPECT_EQ(U16(objs[4].Data, 4), 2u);
    EXPECT_EQ(U16(objs[5].Data, 4), 3u);
    EXPECT_EQ(U16(objs[6].Data, 4), 9u);
    EXPECT_EQ(objs[6].Data.size(), 66u);
    ASSERT_EQ(coords.size(), 1u);
    ASSERT_EQ(coords[0].Data.size(), 16u) << "a filled triangle lists 4 points";
    EXPECT_EQ(coords[0].Data.substr(12, 4), coords[0].Data.substr(0, 4));

    ASSERT_EQ(checkers::MissingReaders({"python3-xlrd", "python3-olefile"}), "");
    EXPECT_EQ(ReadWithXlrd(f), "Sheet1!0,0='Name'\nSheet1!1,0='Ann'\n");
    ASSERT_EQ(checkers::MissingReaders({"soffice"}), "");
    const std::string folder = checkers::TempFolder("xls-lo");
    checkers::WriteBytes(folder + "/drawing.xls", f);
    const std::string csv = checkers::LibreOfficeConvert(folder + "/drawing.xls", "csv", folder);
    ASSERT_FALSE(csv.empty()) << "LibreOffice did not open the workbook";
    EXPECT_EQ(checkers::ReadBytes(csv).substr(0, 9), "Name\nAnn\n");
    // The drawing objects show: a red rectangle and a blue ellipse.
    const std::string pdf = checkers::LibreOfficeConvert(folder + "/drawing.xls", "pdf", folder);
    ASSERT_FALSE(pdf.empty());
    ASSERT_EQ(checkers::MissingReaders({"pdftoppm"}), "");
    checkers::Run("pdftoppm -r 60 -f 1 -l 1 -png '" + pdf + "' '" + folder + "/p'");
    QImage page((folder + "/p-1.png").c_str());
    ASSERT_FALSE(page.isNull());
    int red = 0, blue = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QRgb px = page.pixel(x, y);
            red += qRed(px) > 200 && qGreen(px) < 60 && qBlue(px) < 60;
            blue += qBlue(px) > 200 && qRed(px) < 60 && qGreen(px) < 60;
        }
    EXPECT_GT(red, 100);
    EXPECT_GT(blue, 100);
    checkers::RemoveTree(folder);
}

TEST(ExcelWriter, MetafilePicturesGoInTheOlderMetafileForm) {
    TMemExcel e;
    e.SetItemsToRender(deAllItems);
    e.BeginDoc();
    e.At(0, 0, "Chart");
    TMetafile chart;
    chart.SetWidth(120);
    chart.SetHeight(80);
    {
        TMetafileCanvas c(&chart);
        c.Pen()->SetColor(clBlack);
        c.Brush()->SetColor(clLime);
        c.Rectangle(0, 0, 120, 80);
        c.Brush()->SetColor(clRed);
        c.Ellipse(30, 20, 90, 60);
    }
    e.ImageSettings()->Stretch = true;
    e.DrawImageRect(TdeRect{0, 2 * e.RowHeight(), 240, 2 * e.RowHeight() + 160}, &chart);
    e.EndDoc();
    const std::string f = e.Bytes();
    const std::string book = f.substr(512);
    const Record* bound = nullptr;
    auto globals = Records(book, 0);
    for (const auto& r : globals)
        if (r.Id == 0x0085) bound = &r;
    ASSERT_NE(bound, nullptr);
    std::string data;
    unsigned format = 0;
    std::vector<Record> objs;
    for (const auto& r : Records(book, U32(bound->Data, 0))) {
        if (r.Id == 0x005D) objs.push_back(r);
        if (r.Id == 0x007F) {
            format = U16(r.Data, 0);
            data = r.Data.substr(8);
        }
        if (r.Id == 0x003C && !data.empty()) data += r.Data;
    }
    ASSERT_EQ(objs.size(), 1u);
    EXPECT_EQ(U16(objs[0].Data, 44), 2u) << "the OBJ record names a metafile";
    ASSERT_EQ(format, 2u);
    // Picture header: anisotropic mapping and the frame's right and bottom
    // in hundredths of a millimetre (the picture as placed, 240 x 160
    // pixels), then the older form's own header.
    ASSERT_GT(data.size(), 26u);
    EXPECT_EQ(U16(data, 0), 8u);
    EXPECT_NEAR(double(U16(data, 2)), 240 * 2540 / 96.0, 30);
    EXPECT_NEAR(double(U16(data, 4)), 160 * 2540 / 96.0, 30);
    EXPECT_EQ(U16(data, 6), 0u);
    EXPECT_EQ(U16(data, 8), 1u);
    EXPECT_EQ(U16(data, 10), 9u);
    EXPECT_EQ(U16(data, 12), 0x0300u);
    EXPECT_EQ(std::size_t(U32(data, 14)) * 2, data.size() - 8) << "the older form fills the rest";

    ASSERT_EQ(checkers::MissingReaders({"python3-xlrd", "python3-olefile"}), "");
    EXPECT_EQ(ReadWithXlrd(f), "Sheet1!0,0='Chart'\n");
    ASSERT_EQ(checkers::MissingReaders({"soffice"}), "");
    ASSERT_EQ(checkers::MissingReaders({"pdftoppm"}), "");
    const std::string folder = checkers::TempFolder("xls-wmf");
    checkers::WriteBytes(folder + "/chart.xls", f);
    const std::string pdf = checkers::LibreOfficeConvert(folder + "/chart.xls", "pdf", folder);
    ASSERT_FALSE(pdf.empty()) << "LibreOffice did not open the workbook";
    checkers::Run("pdftoppm -r 60 -f 1 -l 1 -png '" + pdf + "' '" + folder + "/p'");
    QImage page((folder + "/p-1.png").c_str());
    ASSERT_FALSE(page.isNull());
    int green = 0, red = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QRgb px = page.pixel(x, y);
            green += qGreen(px) > 200 && qRed(px) < 60 && qBlue(px) < 60;
            red += qRed(px) > 200 && qGreen(px) < 60 && qBlue(px) < 60;
        }
    EXPECT_GT(green, 200) << "the metafile's green box shows";
    EXPECT_GT(red, 100) << "and the red ellipse on it";
    checkers::RemoveTree(folder);
}

TEST(ExcelWriter, OnlyBmpAndMetafileImageFormats) {
    TMemExcel e;
    std::string message;
    EXPECT_TRUE(e.CheckImageFormat(ifBMP, message));
    EXPECT_TRUE(e.CheckImageFormat(ifMetafile, message));
    EXPECT_FALSE(e.CheckImageFormat(ifJPEG, message));
    EXPECT_EQ(message, "The Excel Engine supports only  BMP and Metafile image formats");
}

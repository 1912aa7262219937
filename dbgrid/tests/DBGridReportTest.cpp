// Printing a grid through the report system: a recording printer, the
// preview window and a PDF file checked with qpdf and pdftotext.
#include "dbgrid/tests/DBGridTestSupport.h"

#include <filesystem>
#include <map>

#include <QImage>

#include "dbgrid/DBGridPrint.h"
#include "grid/TSImageList.h"
#include "platform/core/UiQueue.h"
#include "platform/data/DataSet.h"
#include "report/PreviewForm.h"
#include "report/RenderPDF.h"
#include "report/ReportSystem.h"
#include "report/tests/ReportTestSupport.h"

namespace {

std::string Capture(const std::string& command) {
    std::string out;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
        ::pclose(p);
    }
    return out;
}

class DBGridReport : public DBGridFixture {
protected:
    void SetUp() override {
        printers.UseLab();
        UiQueue::Reset();
        DBGridFixture::SetUp();
        amounts = new TqmtMemTable(form);
        amounts->FieldDefs().Add("Name", ftString, 20);
        amounts->FieldDefs().Add("Amount", ftString, 12);
        amounts->Open();
        amounts->DisableControls();
        for (int i = 1; i <= 120; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "Student %03d", i);
            amounts->Append();
            amounts->FieldByName("Name")->SetAsString(name);
            // Totals as the report shows them: 1,200 + $3.50 + 2 = $1,205.50.
            amounts->FieldByName("Amount")->SetAsString(i == 1 ? "1,200" : i == 2 ? "$3.50" : i == 3 ? "2" : "0");
            amounts->Post();
        }
        amounts->First();
        amounts->EnableControls();
        source->SetDataSet(amounts);
        Bind();
        grid->GetCol(Variant("Amount"))->SetPrintTotals(true);
        grid->SetPrintTitle("Class Amounts");
        dir = std::filesystem::temp_directory_path() / ("dbgrid-print-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override {
        std::filesystem::remove_all(dir);
        DBGridFixture::TearDown();
        printers.Done();
    }
    // The report system of the grid's print window, without its setup.
    TVzSystem& System() {
        grid->PreparePrint();
        TVzSystem& s = grid->PrintWindow()->Report().System();
        s.SystemSetups &= ~(1u << ssAllowSetup);
        return s;
    }

    // Prints the grid into a PDF file of the test folder; its path.
    std::string PrintToPdf(const std::string& name) {
        TVzRenderPDF pdf(nullptr);
        std::string file = (dir / (name + ".pdf")).string();
        TVzSystem& s = System();
        s.SetFileRenderer(&pdf);
        s.OutputFileName = file;
        s.PrinterFileOutput = false;
        grid->PrintGrid();
        return file;
    }

    struct Printers : ReportPrinterFixture {
        void TestBody() override {}
        void UseLab() { UsePrinters({"Lab"}, "Lab"); }
        void Done() { TearDown(); }
    } printers;
    TqmtMemTable* amounts = nullptr;
    std::filesystem::path dir;
};

TEST_F(DBGridReport, PdfOfAllRecordsWithTotalsPassesTheCheckers) {
    // The checkers come with scripts/deps.sh: without them the check fails.
    ASSERT_TRUE(HaveTool("qpdf") && HaveTool("pdftotext")) << "qpdf or pdftotext is not installed";
    amounts->MoveBy(7);
    std::string at = amounts->GetBookmark();
    std::string file = PrintToPdf("grid");
    ASSERT_TRUE(std::filesystem::exists(file));
    EXPECT_TRUE(RunTool("qpdf --check '" + file + "'"));
    std::string text = Capture("pdftotext -layout '" + file + "' -");
    for (const char* expected : {"Class Amounts", "Name", "Amount", "$1,205.50", "120 Records", "*** End of Report ***"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected;
    for (int i = 1; i <= 120; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "Student %03d", i);
        EXPECT_NE(text.find(name), std::string::npos) << name;
    }
    EXPECT_GT(grid->PrintWindow()->Report().PageCount(), 1);
    // The dataset is back on its record.
    EXPECT_EQ(amounts->GetBookmark(), at);
    EXPECT_FALSE(amounts->ControlsDisabled());
}

TEST_F(DBGridReport, AColumnsOwnFontPrintsWithGridFormats) {
    ASSERT_TRUE(HaveTool("pdffonts")) << "pdffonts is not installed";
    std::string plain = Capture("pdffonts '" + PrintToPdf("plain") + "'");
    EXPECT_EQ(plain.find("Courier"), std::string::npos) << plain;
    TFont courier;
    courier.SetName("Courier New");
    courier.SetSize(9);
    grid->GetCol(Variant("Amount"))->SetFont(&courier);
    std::string fonts = Capture("pdffonts '" + PrintToPdf("courier") + "'");
    EXPECT_NE(fonts.find("Courier"), std::string::npos) << fonts;
    // Without the grid formats the column prints in the grid's font.
    grid->SetPrintWithGridFormats(false);
    fonts = Capture("pdffonts '" + PrintToPdf("unformatted") + "'");
    EXPECT_EQ(fonts.find("Courier"), std::string::npos) << fonts;
}

TEST_F(DBGridReport, ARecordsOwnFontPrintsForThatRecordOnly) {
    ASSERT_TRUE(HaveTool("pdffonts") && HaveTool("pdftotext")) << "pdffonts or pdftotext is not installed";
    TFont courier;
    courier.SetName("Courier New");
    courier.SetSize(9);
    amounts->MoveBy(4);
    Variant fifth(amounts->GetBookmark());
    amounts->First();
    // The row font of one record and the cell font of another's Name.
    grid->SetRowFont(fifth, &courier);
    std::string fonts = Capture("pdffonts '" + PrintToPdf("row") + "'");
    EXPECT_NE(fonts.find("Courier"), std::string::npos) << fonts;
    grid->SetRowParentFont(fifth, true);
    EXPECT_EQ(grid->GetRowFont(fifth), nullptr);
    fonts = Capture("pdffonts '" + PrintToPdf("reset") + "'");
    EXPECT_EQ(fonts.find("Courier"), std::string::npos) << fonts;
    grid->SetCellFont(1, fifth, &courier);
    std::string file = PrintToPdf("cell");
    fonts = Capture("pdffonts '" + file + "'");
    EXPECT_NE(fonts.find("Courier"), std::string::npos) << fonts;
    EXPECT_NE(Capture("pdftotext -layout '" + file + "' -").find("Student 005"), std::string::npos);
}

TEST_F(DBGridReport, PrinterAndPreviewGoThroughTheReportSystem) {
    System().DefaultDest = rdPrinter;
    grid->PrintGrid();
    ASSERT_EQ(RecordedPrintJobs().size(), 1u);
    EXPECT_EQ(RecordedPrintJobs()[0].Pages.size(), std::size_t(grid->PrintWindow()->Report().PageCount()));
    EXPECT_EQ(grid->PrintWindow()->PrintedRecords(), 120);

    int previewPages = 0;
    TVzSystem& s = System();
    s.OnPreviewShow = [&](TObject*) {
        UiQueue::Post([&] {
            auto* f = dynamic_cast<TVizePreviewForm*>(Screen->ActiveForm());
            if (!f) {
                ADD_FAILURE() << "no preview window";
                return;
            }
            previewPages = f->RenderPreview()->GetPageCount();
            f->Action("Exit").Run();
        });
    };
    grid->PreviewGrid();
    EXPECT_EQ(previewPages, grid->PrintWindow()->Report().PageCount());
}

TEST_F(DBGridReport, CancelledRowsLeaveNoLineAndAnErrorRestoresThePosition) {
    grid->OnPrintRow = [](TObject* sender, const Variant&, bool& cancel) {
        auto* g = static_cast<TgrCustomDBGrid*>(sender);
        cancel = g->DataSet()->FieldByName("Amount")->AsString() == "0";
    };
    System().DefaultDest = rdPrinter;
    grid->PrintGrid();
    EXPECT_EQ(grid->PrintWindow()->PrintedRecords(), 3);
    TgrReportControl* count = grid->PrintWindow()->Report().Summary.Find("laRecordCount");
    ASSERT_NE(count, nullptr);
    EXPECT_EQ(count->Caption, "3 Records ");

    amounts->Last();
    std::string at = amounts->GetBookmark();
    grid->OnPrintRow = nullptr;
    grid->OnPrintCell = [](TObject*, Integer, const Variant&, bool&) { throw Exception("printer on fire"); };
    try {
        grid->PrintGrid();
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(std::string(e.what()), "Error previewing report printer on fire");
    }
    EXPECT_EQ(amounts->GetBookmark(), at);
    EXPECT_FALSE(amounts->ControlsDisabled());
}

}  // namespace

namespace {

// An image list of solid squares named by their colour.
class TSolidImages : public TgrImageListComponent {
public:
    explicit TSolidImages(TComponent* owner) : TgrImageListComponent(owner) {
        Add("red", clRed);
        Add("blue", clBlue);
    }
    void AddLink(TgrImageLink* link) override { link->ImageListComponent = this; }
    void RemoveLink(TgrImageLink* link) override { link->ImageListComponent = nullptr; }
    TBitmap* FindImage(const std::string& name, TColor& transparentColor) override {
        transparentColor = clNone;
        auto it = images_.find(name);
        return it == images_.end() ? nullptr : it->second.get();
    }

private:
    void Add(const std::string& name, TColor color) {
        auto bmp = std::make_unique<TBitmap>();
        bmp->SetSize(10, 10);
        bmp->Canvas()->Brush()->SetColor(color);
        bmp->Canvas()->FillRect(TRect(0, 0, 10, 10));
        images_[name] = std::move(bmp);
    }
    std::map<std::string, std::unique_ptr<TBitmap>> images_;
};

// Pixels of a page picture near a colour, counted per colour.
struct ColourCount {
    int Red = 0, Blue = 0;
};

ColourCount CountColours(const std::string& png) {
    QImage page(QString::fromStdString(png));
    ColourCount n;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            QColor c = page.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 60 && c.blue() < 60) ++n.Red;
            if (c.blue() > 200 && c.red() < 60 && c.green() < 60) ++n.Blue;
        }
    return n;
}

TEST_F(DBGridReport, PictureColumnsPrintTheirImageListPictures) {
    ASSERT_TRUE(HaveTool("pdftoppm")) << "pdftoppm is not installed";
    auto* pictures = new TqmtMemTable(form);
    pictures->FieldDefs().Add("Name", ftString, 20);
    pictures->FieldDefs().Add("Pic", ftString, 10);
    pictures->Open();
    pictures->AppendRecord({Variant(std::string("First")), Variant(std::string("red"))});
    pictures->AppendRecord({Variant(std::string("Second")), Variant(std::string("blue"))});
    pictures->AppendRecord({Variant(std::string("Third")), Variant(std::string("missing"))});
    pictures->First();
    grid->SetDataSource(nullptr);
    source->SetDataSet(pictures);
    Bind();
    grid->GetCol(Variant("Pic"))->SetControlType(ctPicture);
    TSolidImages images(form);
    grid->SetImageList(&images);

    auto printTo = [&](const std::string& name) {
        std::string file = PrintToPdf(name);
        std::string png = (dir / name).string();
        EXPECT_TRUE(RunTool("pdftoppm -r 72 -png -f 1 -l 1 -singlefile '" + file + "' '" + png + "'"));
        return CountColours(png + ".png");
    };
    ColourCount shown = printTo("pictures");
    // Each 10-pixel square prints whole (a few edge pixels may blend).
    EXPECT_GE(shown.Red, 64);
    EXPECT_GE(shown.Blue, 64);
    // A cell whose printing is cancelled prints no picture.
    grid->OnPrintCell = [](TObject*, Integer dataCol, const Variant&, bool& cancel) { cancel = dataCol == 2; };
    ColourCount cancelled = printTo("cancelled");
    EXPECT_EQ(cancelled.Red, 0);
    EXPECT_EQ(cancelled.Blue, 0);
    grid->SetImageList(nullptr);
}

TEST_F(DBGridReport, GraphicFieldColumnsPrintTheRecordsPictures) {
    ASSERT_TRUE(HaveTool("pdftoppm")) << "pdftoppm is needed (scripts/deps.sh)";
    auto* photos = new TqmtMemTable(form);
    photos->FieldDefs().Add("Name", ftString, 20);
    photos->FieldDefs().Add("Photo", ftGraphic);
    photos->Open();
    for (TColor color : {clRed, clBlue}) {
        TBitmap square;
        square.SetSize(10, 10);
        square.Canvas()->Brush()->SetColor(color);
        square.Canvas()->FillRect(TRect(0, 0, 10, 10));
        std::vector<std::uint8_t> bytes = square.SaveToBytes();
        photos->Append();
        photos->FieldByName("Name")->SetAsString(color == clRed ? "Red" : "Blue");
        photos->FieldByName("Photo")->SetAsString(std::string(bytes.begin(), bytes.end()));
        photos->Post();
    }
    photos->First();
    grid->SetDataSource(nullptr);
    source->SetDataSet(photos);
    Bind();
    std::string file = PrintToPdf("photos");
    std::string png = (dir / "photos").string();
    ASSERT_TRUE(RunTool("pdftoppm -r 72 -png -f 1 -l 1 -singlefile '" + file + "' '" + png + "'"));
    ColourCount shown = CountColours(png + ".png");
    EXPECT_GE(shown.Red, 64);
    EXPECT_GE(shown.Blue, 64);
    // The dataset stays on the record it was on.
    EXPECT_EQ(photos->FieldByName("Name")->AsString(), "Red");
}

}  // namespace

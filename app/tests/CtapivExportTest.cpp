// Export format 10: the customer spreadsheet filled through LibreOffice
// Calc from a template whose tenth sheet is protected, read back with xlrd
// and with Calc; the message and the untouched disk without LibreOffice;
// and the file copy it starts with.

#include "app/tests/ReportTestSupport.h"

#include <sys/stat.h>

#include <set>

#include "app/FmxUtils.h"
#include "app/OQ_XLS_Export.h"
#include "platform/office/CalcAutomation.h"

namespace {

// Sets OMR_OFFICE for one scope.
class OfficeOverride {
public:
    explicit OfficeOverride(const std::string& program) {
        if (const char* old = std::getenv("OMR_OFFICE")) old_ = old, hadOld_ = true;
        ::setenv("OMR_OFFICE", program.c_str(), 1);
    }
    ~OfficeOverride() {
        if (hadOld_)
            ::setenv("OMR_OFFICE", old_.c_str(), 1);
        else
            ::unsetenv("OMR_OFFICE");
    }

private:
    std::string old_;
    bool hadOld_ = false;
};

class CtapivExportTest : public ReportClassFixture {
protected:
    // A workbook of ten sheets, a marker in the tenth one, that sheet
    // protected with the template's password.
    std::string MakeTemplate() {
        const std::string path = home.Dir() + "Customer.xls";
        TCalcApplication calc;
        TCalcWorkbook book = calc.NewWorkbook(10);
        TCalcSheet tenth = book.Sheets().Item(10);
        tenth.Cells(1, 1).SetValue("CTAPIV template");
        tenth.Protect(kCtapivSheetPassword);
        book.SaveCopyAs(path, "MS Excel 97");
        calc.Quit();
        return path;
    }
};

TEST_F(CtapivExportTest, FillsTheTenthSheetOfACopyOfTheTemplate) {
    std::string why;
    if (!TCalcApplication::Available(&why)) GTEST_SKIP() << "LibreOffice Calc is missing: " << why;
    ScanClass();
    work->cbZeros = false;  // format 10 pads the ID all the same
    const std::string templ = MakeTemplate();
    const std::string target = home.Dir() + "filled.xls";
    work->cbExport = efCtapivExcel;
    prompts.File(templ, "Select \"Template\" File").File(target, "Save File with Data To...");
    work->btnExportClick();

    // The template itself is left as it was.
    {
        TCalcApplication calc;
        TCalcSheet original = calc.OpenWorkbook(templ, true).Sheets().Item(10);
        EXPECT_EQ(original.Cells(4, 6).Value(), "");
        TCalcSheet filled = calc.OpenWorkbook(target, true).Sheets().Item(10);
        EXPECT_TRUE(filled.ProtectionMode());  // protected again
    }
    if (!HaveTool("/usr/bin/python3") || RunTool("/usr/bin/python3 -c 'import xlrd'").Exit != 0)
        GTEST_SKIP() << "python3-xlrd is missing";
    const TToolResult read = RunTool(
        "/usr/bin/python3 -c \"import sys, xlrd\n"
        "s = xlrd.open_workbook(sys.argv[1]).sheet_by_index(9)\n"
        "for r in range(s.nrows):\n"
        "    for c in range(s.ncols):\n"
        "        v = s.cell_value(r, c)\n"
        "        if v != '': print('%d,%d=[%s]' % (r + 1, c + 1, v))\" '" + target + "'");
    ASSERT_EQ(read.Exit, 0) << read.Output;
    std::istringstream lines(read.Output);
    std::set<std::string> cells;
    for (std::string line; std::getline(lines, line);) cells.insert(line);
    // Row 4 holds the headers from column 6 on, one student per column in
    // table order; row n + 9 the answers that differ from the key.
    const std::set<std::string> expected = {
        "1,1=[CTAPIV template]",
        "4,6=[123-Ann]", "16,6=[B]",
        "4,7=[321-Cy]", "16,7=[B]",
        "4,8=[456-Bob]", "11,8=[C]", "12,8=[-]", "13,8=[?]",
        "4,9=[789-]", "15,9=[ ]", "16,9=[ ]",
    };
    EXPECT_EQ(cells, expected) << read.Output;
}

TEST_F(CtapivExportTest, WithoutLibreOfficeNothingIsWritten) {
    ScanClass();
    OfficeOverride missing("/nonexistent/soffice");
    const std::string templ = home.Dir() + "Customer.xls";
    std::ofstream(templ) << "template";
    const std::string target = home.Dir() + "filled.xls";
    work->cbExport = efCtapivExcel;
    prompts.File(templ).File(target);
    try {
        work->btnExportClick();
        ADD_FAILURE() << "format 10 ran without LibreOffice";
    } catch (const EOleError& e) {
        EXPECT_NE(e.Message.find("needs LibreOffice"), std::string::npos) << e.Message;
    }
    EXPECT_FALSE(FileExists(target));
}

TEST_F(CtapivExportTest, ATemplateWithoutATenthSheetFails) {
    std::string why;
    if (!TCalcApplication::Available(&why)) GTEST_SKIP() << "LibreOffice Calc is missing: " << why;
    const std::string templ = home.Dir() + "short.xls";
    {
        TCalcApplication calc;
        calc.NewWorkbook(3).SaveCopyAs(templ, "MS Excel 97");
    }
    TCTAPIV_Export exporter;
    exporter.TemplateFile = templ;
    EXPECT_THROW(exporter.OpenWorkbook(home.Dir() + "out.xls"), EOleError);
}

TEST(FileCopyTest, CopiesIntoFilesAndFolders) {
    TempFolder folder;
    std::string content(20000, 'x');  // more than two copy blocks
    content[8191] = 'y';
    content[19999] = 'z';
    std::ofstream(folder / "source.dat", std::ios::binary) << content;
    std::ofstream(folder / "old.dat") << "a longer earlier content that must go entirely";
    ASSERT_EQ(::mkdir((folder / "sub").c_str(), 0755), 0);

    CopyFile(folder / "source.dat", folder / "old.dat");
    EXPECT_EQ(ReadWholeFile(folder / "old.dat"), content);
    CopyFile(folder / "source.dat", folder / "sub");
    EXPECT_EQ(ReadWholeFile(folder / "sub/source.dat"), content);

    EXPECT_THROW(CopyFile(folder / "missing.dat", folder / "x.dat"), EFOpenError);
    EXPECT_THROW(CopyFile(folder / "source.dat", folder / "no/such/x.dat"), EFCreateError);

    struct Case {
        std::string name;
        int attributes;
        bool has;
    } cases[] = {{folder / "sub", faDirectory, true}, {folder / "source.dat", faDirectory, false},
                 {folder / "source.dat", 0, true}, {folder / "missing.dat", 0, false}};
    for (const Case& c : cases) EXPECT_EQ(FileHasAttributes(c.name, c.attributes), c.has) << c.name;
}

}  // namespace

// The spreadsheet application driven through the automation layer: one
// running application for several workbooks, protected sheets, cells by
// row and column, saving in the workbook's own format, and its errors.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

#include "platform/office/CalcAutomation.h"

namespace {

class CalcAutomationTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string why;
        if (!TCalcApplication::Available(&why)) GTEST_SKIP() << "LibreOffice Calc is missing: " << why;
        dir = std::filesystem::temp_directory_path() / ("calc-reports-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    std::filesystem::path dir;
};

TEST_F(CalcAutomationTest, ProtectedSheetRoundTripsThroughAWorkbookFile) {
    TCalcApplication app;
    {
        TCalcWorkbook book = app.NewWorkbook(10);
        EXPECT_EQ(book.Sheets().Count(), 10);
        TCalcSheet tenth = book.Sheets().Item(10);
        tenth.Cells(2, 3).SetValue("kept");
        tenth.Protect("secret");
        book.SaveCopyAs(Path("template.xls"), "MS Excel 97");
        book.Close();
    }
    TCalcWorkbook book = app.OpenWorkbook(Path("template.xls"));
    TCalcSheet tenth = app.ActiveWorkbook().Sheets().Item(10);
    EXPECT_TRUE(tenth.ProtectionMode());
    EXPECT_THROW(tenth.Unprotect("wrong"), EOleError);
    EXPECT_TRUE(tenth.ProtectionMode());
    tenth.Unprotect("secret");
    EXPECT_FALSE(tenth.ProtectionMode());
    EXPECT_EQ(tenth.Cells(2, 3).Value(), "kept");
    tenth.Cells(4, 6).SetValue("007-Ann\ttab");
    tenth.Protect("secret");
    app.Save();
    book.Close();

    TCalcWorkbook again = app.OpenWorkbook(Path("template.xls"), true);
    EXPECT_TRUE(again.Sheets().Item(10).ProtectionMode());
    EXPECT_EQ(again.Sheets().Item(10).Cells(4, 6).Value(), "007-Ann\ttab");
    app.Quit();
    EXPECT_FALSE(app.Running());
    EXPECT_THROW(app.Save(), EOleError);
}

TEST_F(CalcAutomationTest, RefusesWhatItCannotDo) {
    TCalcApplication app;
    EXPECT_THROW(app.OpenWorkbook(Path("missing.xls")), EOleError);
    EXPECT_THROW(app.ActiveWorkbook(), EOleError);
    TCalcWorkbook book = app.NewWorkbook(2);
    EXPECT_THROW(book.Sheets().Item(10).ProtectionMode(), EOleError);
    EXPECT_THROW(book.Sheets().Item(1).Cells(0, 1), EOleError);
}

TEST(CalcAutomationMissing, SaysSoWithoutStarting) {
    const char* saved = std::getenv("OMR_OFFICE");
    const std::string previous = saved ? saved : "";
    ::setenv("OMR_OFFICE", "/nonexistent/soffice", 1);
    std::string why;
    EXPECT_FALSE(TCalcApplication::Available(&why));
    EXPECT_NE(why.find("LibreOffice"), std::string::npos);
    EXPECT_THROW(TCalcApplication app, EOleError);
    if (saved)
        ::setenv("OMR_OFFICE", previous.c_str(), 1);
    else
        ::unsetenv("OMR_OFFICE");
}

}  // namespace

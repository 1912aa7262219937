// Layouts kept in registry values: the layout's bytes in a binary value or
// the path of a layout file in a string value, read back into a new grid;
// missing keys, missing values and values of other kinds answer False and
// make nothing.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "grid/GridCellProps.h"
#include "grid/tests/GridClassSupport.h"
#include "platform/core/Registry.h"
#include "platform/core/tests/TextTestSupport.h"

namespace {

const char* const kKey = "\\\\HKEY_CURRENT_USER\\Software\\Scoring\\Layouts";

class GridRegistryLayout : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureGuiApplication();
        const char* old = std::getenv("OMR_HOME");
        hadHome_ = old != nullptr;
        if (old) oldHome_ = old;
        ::setenv("OMR_HOME", home_.Path().c_str(), 1);
        grid = NewGrid();
        grid->SetCols(5);
        grid->Col(2)->SetWidth(97);
        grid->Col(3)->SetHeading("Score");
        grid->SetLineColor(TColor(0x336699));
        TgrCell(grid.get(), 4, Variant(2)).SetColor(TColor(0x0000FF));
    }
    void TearDown() override {
        if (hadHome_) ::setenv("OMR_HOME", oldHome_.c_str(), 1);
        else ::unsetenv("OMR_HOME");
    }
    static std::unique_ptr<TLogGrid> NewGrid() { return std::make_unique<TLogGrid>(nullptr); }
    static void ExpectLayout(TLogGrid& g) {
        EXPECT_EQ(g.Cols(), 5);
        EXPECT_EQ(g.Col(2)->Width(), 97);
        EXPECT_EQ(g.Col(3)->GetHeading(), "Score");
        EXPECT_EQ(g.LineColor(), TColor(0x336699));
        EXPECT_EQ(TgrCell(&g, 4, Variant(2)).GetColor(), TColor(0x0000FF));
    }
    TempFolder home_;
    bool hadHome_ = false;
    std::string oldHome_;
    std::unique_ptr<TLogGrid> grid;
};

TEST_F(GridRegistryLayout, ABinaryValueHoldsTheLayoutItself) {
    grid->SaveLayoutToRegistryAll(kKey, "Students", false, "");
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\Scoring\\Layouts", false));
    EXPECT_EQ(reg.GetDataType("Students"), rdBinary);
    EXPECT_GT(reg.GetDataSize("Students"), 0);

    auto back = NewGrid();
    EXPECT_TRUE(back->LoadLayoutFromRegistry(kKey, "Students", true));
    ExpectLayout(*back);
}

TEST_F(GridRegistryLayout, AStringValueNamesTheLayoutFile) {
    std::string file = home_ / "students.lay";
    grid->SaveLayoutToRegistryAll(kKey, "Students", false, file);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\Scoring\\Layouts", false));
    EXPECT_EQ(reg.GetDataType("Students"), rdString);
    EXPECT_EQ(std::filesystem::path(reg.ReadString("Students")), std::filesystem::absolute(file));
    EXPECT_TRUE(std::filesystem::exists(file));

    auto back = NewGrid();
    EXPECT_TRUE(back->LoadLayoutFromRegistry(kKey, "Students", true));
    ExpectLayout(*back);
}

TEST_F(GridRegistryLayout, NothingToLoadAnswersFalseAndMakesNothing) {
    auto back = NewGrid();
    EXPECT_FALSE(back->LoadLayoutFromRegistry(kKey, "Students", true));
    EXPECT_FALSE(TRegistry().KeyExists("\\Software\\Scoring"));

    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\Scoring\\Layouts", true));
    reg.WriteString("Empty", "");
    reg.WriteInteger("Number", 3);
    EXPECT_FALSE(back->LoadLayoutFromRegistry(kKey, "Students", true));
    EXPECT_FALSE(back->LoadLayoutFromRegistry(kKey, "Empty", true));
    EXPECT_FALSE(back->LoadLayoutFromRegistry(kKey, "Number", true));
    EXPECT_EQ(back->Cols(), 4);
}

TEST_F(GridRegistryLayout, ADamagedValueIsRefused) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\Scoring\\Layouts", true));
    reg.WriteBinaryData("Students", {'T', 'P', 'F', '0', 0xFF, 0x01});
    auto back = NewGrid();
    EXPECT_THROW(back->LoadLayoutFromRegistry(kKey, "Students", true), Exception);
    EXPECT_FALSE(back->IsReading());
    EXPECT_THROW(grid->SaveLayoutToRegistryAll("\\\\HKEY_NOWHERE\\Software", "Students", false, ""), ERegistryException);
}

}  // namespace

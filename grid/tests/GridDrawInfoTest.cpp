// The owner's draw information: what it changes applies to the one cell it
// was asked about, never to the fonts the grid, its columns or rows share.

#include <gtest/gtest.h>

#include <functional>

#include "grid/TSGrid.h"
#include "grid/tests/GridClassSupport.h"
#include "platform/gui/Forms.h"

namespace {

class TDrawInfoGrid : public TLogGrid {
public:
    using TLogGrid::TLogGrid;
    std::function<void(Integer, Integer, TgrDrawInfo&)> Handler;

protected:
    bool HasGetDrawInfo() override { return bool(Handler); }
    void FireGetDrawInfo(Integer c, Integer r, TgrDrawInfo& info) override { Handler(c, r, info); }
};

TEST(GridDrawInfo, TheOwnerChangesOneCellNotTheSharedFonts) {
    Application->Initialize();
    auto* form = new TForm(Application);
    auto* grid = new TDrawInfoGrid(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, 300, 120);
    grid->SetCols(2);
    grid->SetRows(2);
    TFont bold;
    bold.Assign(*grid->Font());
    bold.SetStyle(fsBold);
    grid->Col(2)->SetFont(&bold);
    TColor gridFont = grid->Font()->Color(), colFont = grid->Col(2)->OwnFont()->Color();
    grid->Handler = [](Integer c, Integer r, TgrDrawInfo& info) {
        if (r != 1) return;
        info.Font->SetColor(clRed);
        info.Font->SetSize(20);
        info.HorzAlignment = c == 1 ? htaDefault : htaCenter;
    };
    TgrCellPaintInfo info;
    for (Integer c : {1, 2}) {
        ASSERT_TRUE(grid->FillDrawInfo(c, 1, info));
        EXPECT_EQ(info.FontColor, clRed) << c;
        EXPECT_EQ(info.Font->Size(), 20) << c;
    }
    EXPECT_EQ(info.Font->Style(), TFontStyles(fsBold)) << "the copy starts from the column's font";
    ASSERT_TRUE(grid->FillDrawInfo(1, 1, info));
    EXPECT_EQ(info.HorzAlignment, htaLeft) << "htaDefault from the owner counts as left";
    // The next row, and the fonts themselves, are as they were.
    ASSERT_TRUE(grid->FillDrawInfo(2, 2, info));
    EXPECT_EQ(info.FontColor, colFont);
    EXPECT_EQ(grid->Font()->Color(), gridFont);
    EXPECT_EQ(grid->Col(2)->OwnFont()->Color(), colFont);
    EXPECT_NE(grid->Font()->Size(), 20);
    Application->ResetForTesting();
}

}  // namespace

// A cell's text is measured as it is drawn: in the font and word wrap the
// owner's draw information gives it.
TEST(GridDrawInfo, TextIsMeasuredInTheOwnersFontAndWrap) {
    Application->Initialize();
    auto* form = new TForm(Application);
    auto* grid = new TDrawInfoGrid(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, 300, 120);
    grid->SetCols(1);
    grid->SetRows(2);
    grid->SetStoreData(true);
    grid->Col(1)->SetWidth(60);
    grid->Col(1)->SetWordWrap(wwOff);
    grid->PutCellValue(1, 1, Variant("one two three four"));
    Integer height = 0, plain = 0, owner = 0;
    grid->GetCellTextHeight(1, 1, height, plain);
    Integer plainHeight = height;
    grid->Handler = [](Integer, Integer r, TgrDrawInfo& info) {
        if (r == 1) info.WordWrap = wwOn;
    };
    grid->GetCellTextHeight(1, 1, height, owner);
    EXPECT_EQ(plain, 1) << "without wrapping one line";
    EXPECT_GT(owner, 1) << "the owner's word wrap breaks the text";
    grid->Handler = [](Integer, Integer r, TgrDrawInfo& info) {
        if (r == 1) info.Font->SetSize(24);
    };
    grid->GetCellTextHeight(1, 1, height, owner);
    EXPECT_GT(height, plainHeight) << "the owner's larger font";
    EXPECT_NE(grid->Font()->Size(), 24);
    Application->ResetForTesting();
}

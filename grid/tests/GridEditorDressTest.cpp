// The in-cell editor shown on the real grid class takes the cell's look:
// its font (in EditFontColor while that is set), alignments and word wrap,
// and the column's text limit.

#include <gtest/gtest.h>

#include "grid/tests/GridOnForm.h"

namespace {

class GridEditorDress : public TGridOnFormTest {
protected:
    void SetUp() override {
        ShowGrid(400, 200, 4, 4);
        grid->SetStoreData(true);
    }
};

TEST_F(GridEditorDress, TheEditorTakesTheCellsFontAlignmentAndLimit) {
    TFont bold;
    bold.Assign(*grid->Font());
    bold.SetSize(14);
    bold.SetStyle(fsBold);
    grid->Col(2)->SetFont(&bold);
    grid->Col(2)->SetParentFont(false);
    grid->Col(2)->SetHorzAlignment(htaRight);
    grid->Col(2)->SetWordWrap(wwOn);
    grid->Col(2)->SetMaxLength(4);
    grid->SetEditFontColor(TColor(0x0000FF));

    grid->ChangeCurrentCell(2, 1);
    Type('7');
    TgrCustomGridControl* editor = grid->ActiveControl();
    ASSERT_TRUE(editor && editor->GetVisible());
    EXPECT_EQ(editor->HorzAlignment(), htaRight);
    EXPECT_EQ(editor->WordWrap(), wwOn);
    EXPECT_EQ(editor->GetFont()->Size(), 14);
    EXPECT_EQ(editor->GetFont()->Style(), TFontStyles(fsBold));
    EXPECT_EQ(editor->GetFont()->Color(), TColor(0x0000FF));
    EXPECT_EQ(editor->GetMaxLength(), 4);

    // A plain column: the grid's font and the default look again.
    grid->MoveToDisplayCell(1, 1);
    Type('x');
    editor = grid->ActiveControl();
    ASSERT_TRUE(editor && editor->GetVisible());
    EXPECT_EQ(editor->GetFont()->Size(), grid->Font()->Size());
    EXPECT_EQ(editor->GetFont()->Style(), grid->Font()->Style());
    EXPECT_NE(editor->HorzAlignment(), htaRight);
    EXPECT_EQ(editor->GetMaxLength(), 0);
}

}  // namespace

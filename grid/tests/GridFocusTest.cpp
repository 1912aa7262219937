// The focus indication of the current cell on a shown form: when a cell
// shows it, the double frame on the grid lines and what a move repaints,
// and the blend pattern that exists only while a colour needs it.

#include <gtest/gtest.h>

#include "grid/tests/GridOnForm.h"

namespace {

class GridFocus : public TGridOnFormTest {
protected:
    void SetUp() override {
        ShowGrid(400, 200, 3, 5);
        grid->SetColor(clWhite);
        // A read-only current cell stays current.
        grid->SetSkipReadOnly(false);
    }
    QRgb At(int x, int y) { return grid->Surface().pixel(x, y) & 0xFFFFFF; }
    void Repaint() {
        grid->Invalidate();
        grid->Update();
    }
};

TEST_F(GridFocus, AnEditableTextCellIsMarkedByItsEditorOnly) {
    grid->SetFocusBorder(fbSingle);
    ASSERT_EQ(grid->GetCurrentControlType(), ctText);
    EXPECT_FALSE(grid->CellShowsFocus()) << "the editor stands in an editable text cell";
    EXPECT_FALSE(grid->IsFocusCell(1, 1));
    grid->Col(1)->SetReadOnly(true);
    EXPECT_TRUE(grid->CellShowsFocus()) << "a read-only cell shows it";
    EXPECT_TRUE(grid->IsFocusCell(1, 1));
}

TEST_F(GridFocus, TheIndicationNeedsAStyleTheFocusAndNoListBox) {
    grid->Col(1)->SetReadOnly(true);
    auto* other = new TInputGrid(form);
    other->SetParent(form);
    other->SetBounds(0, 210, 200, 80);
    struct Case {
        const char* name;
        TgrFocusBorder border;
        bool focused, always;
        TgrGridMode mode;
        bool shows;
    } cases[] = {
        {"a border on the focused grid", fbDot, true, false, gmEdit, true},
        {"no style at all", fbNone, true, false, gmEdit, false},
        {"the focus elsewhere", fbDot, false, false, gmEdit, false},
        {"the focus elsewhere, AlwaysShowFocus", fbDot, false, true, gmEdit, true},
        {"a list box never", fbDot, true, true, gmListBox, false},
    };
    for (const Case& c : cases) {
        grid->SetFocusBorder(c.border);
        grid->SetAlwaysShowFocus(c.always);
        grid->SetGridMode(c.mode);
        if (c.focused) grid->SetFocus();
        else other->SetFocus();
        EXPECT_EQ(grid->IsFocusCell(1, 1), c.shows) << c.name;
        EXPECT_FALSE(grid->IsFocusCell(2, 1)) << c.name << ": only the current cell";
    }
}

TEST_F(GridFocus, ADoubleFrameLiesOnTheGridLinesAndGoesWithTheCell) {
    grid->Col(1)->SetReadOnly(true);
    grid->Col(2)->SetReadOnly(true);
    grid->SetFocusBorder(fbDouble);
    ASSERT_TRUE(grid->MoveToDisplayCell(2, 3));
    Repaint();
    TRect cell = grid->CellPixels(2, 3);
    int midY = (cell.Top + cell.Bottom) / 2, midX = (cell.Left + cell.Right) / 2;
    // Outer frame on the lines left of and above the cell and on its own
    // right and bottom lines, the inner one a pixel inside.
    EXPECT_EQ(At(cell.Left - 1, midY), 0u);
    EXPECT_EQ(At(midX, cell.Top - 1), 0u);
    EXPECT_EQ(At(cell.Right - 1, midY), 0u);
    EXPECT_EQ(At(midX, cell.Bottom - 1), 0u);
    EXPECT_EQ(At(cell.Left, midY), 0u);
    EXPECT_EQ(At(cell.Right - 2, midY), 0u);
    EXPECT_NE(At(cell.Left + 1, midY), 0u) << "the text area inside";
    // Moving on repaints the old frame with its grid lines.
    ASSERT_TRUE(grid->MoveToDisplayCell(1, 1));
    grid->Update();
    EXPECT_EQ(At(cell.Left - 1, midY), 0xC0C0C0u);
    EXPECT_EQ(At(midX, cell.Top - 1), 0xC0C0C0u);
    EXPECT_EQ(At(cell.Left, midY), 0xFFFFFFu);
}

TEST_F(GridFocus, TheBlendPatternLivesWhileAColourNeedsIt) {
    grid->SetSelectionColor(TColor(0x0000FF));
    TBitmap* pattern = grid->EnsureBlendBitmap(TColor(0x0000FF));
    ASSERT_TRUE(pattern);
    EXPECT_EQ(pattern->Width(), 8);
    EXPECT_EQ(pattern->Canvas()->GetPixel(0, 0), TColor(0x0000FF));
    EXPECT_EQ(pattern->Canvas()->GetPixel(1, 0), clBlack);
    EXPECT_EQ(pattern->Canvas()->GetPixel(1, 1), TColor(0x0000FF));
    // Asked for another colour, it is rebuilt.
    EXPECT_EQ(grid->EnsureBlendBitmap(TColor(0x00FF00))->Canvas()->GetPixel(2, 2), TColor(0x00FF00));
    grid->SetFocusColor(TColor(0x00FF00));
    grid->SetSelectionColor(grColorNotSet);
    EXPECT_TRUE(grid->HasBlendBitmap()) << "the focus colour still needs it";
    grid->SetFocusFontColor(clRed);
    grid->SetFocusColor(grColorNotSet);
    EXPECT_FALSE(grid->HasBlendBitmap());
}

}  // namespace

// The drawing steps of one cell and the row bar's pictures, read back from
// the painted picture of a grid on a shown form: check boxes placed in
// their cells, narrow cells keeping only their margin, default values,
// the paint state bits, and the current, changed and insert row pictures
// by the changed-row indicator mode, also drawn at once outside a paint.

#include <gtest/gtest.h>

#include <string>

#include "grid/tests/GridOnForm.h"

namespace {

constexpr QRgb kWhite = 0xFFFFFF, kRed = 0xFF0000;

class GridCellDraw : public TGridOnFormTest {
protected:
    void SetUp() override {
        ShowGrid(300, 200, 3, 5);
        grid->SetColor(clWhite);
        grid->SetHeadingColor(clWhite);
        grid->SetStoreData(true);
        Repaint();
    }
    void Repaint() {
        grid->Invalidate();
        grid->Update();
    }
    QRgb At(int x, int y) { return grid->Surface().pixel(x, y) & 0xFFFFFF; }
    // The black pixels of a row-bar cell, as a picture of the cell.
    std::string DarkIn(const TRect& r) {
        std::string s;
        for (int y = r.Top; y < r.Bottom; ++y) {
            for (int x = r.Left; x < r.Right; ++x) s += qGray(grid->Surface().pixel(x, y)) < 64 ? '#' : '.';
            s += '\n';
        }
        return s;
    }
    // The picture's black pixels where the row bar places them: centred
    // across the bar, on the first text line of the row.
    std::string Expected(const std::string& name, Integer displayRow) {
        TBitmap* picture = GridRowBarBitmap(name);
        TRect cell = grid->CellPixels(0, displayRow);
        TRect inner(cell.Left, cell.Top, cell.Right - 1, cell.Bottom - 1);
        int w = picture->Width(), h = picture->Height();
        int left = std::max(1, (cell.Width() - 1) / 2 - w / 2 + 1);
        int t = int(grid->GetFontLineHeight());
        int top = std::max(1, t / 2 - h / 2);
        std::string s;
        for (int y = inner.Top; y < inner.Bottom; ++y) {
            for (int x = inner.Left; x < inner.Right; ++x) {
                int px = x - inner.Left - left, py = y - inner.Top - top;
                bool black = px >= 0 && py >= 0 && px < w && py < h &&
                             picture->Canvas()->GetPixel(px, py) == clBlack;
                s += black ? '#' : '.';
            }
            s += '\n';
        }
        return s;
    }
    std::string RowBar(Integer displayRow) {
        TRect cell = grid->CellPixels(0, displayRow);
        return DarkIn(TRect(cell.Left, cell.Top, cell.Right - 1, cell.Bottom - 1));
    }
};

TEST(CellDrawGeometry, CheckBoxesAreCentredAfterTheMarginAndClippedToTheContent) {
    struct Case {
        const char* name;
        bool is3D;
        TRect content;
        TRect expected;
    } cases[] = {
        {"wide cell", false, TRect(0, 0, 64, 17), TRect(26, 2, 39, 15)},
        {"3D one lower", true, TRect(0, 0, 64, 17), TRect(26, 3, 39, 16)},
        {"narrow: at the margin, cut at the right", false, TRect(10, 0, 20, 17), TRect(13, 2, 20, 15)},
        {"low: at the top, cut at the bottom", false, TRect(0, 5, 64, 12), TRect(26, 5, 39, 12)},
    };
    for (const Case& c : cases) {
        TRect r = TgrBaseGrid::CalcCheckBoxRect(c.is3D, 3, 13, 13, c.content);
        EXPECT_EQ(r.Left, c.expected.Left) << c.name;
        EXPECT_EQ(r.Top, c.expected.Top) << c.name;
        EXPECT_EQ(r.Right, c.expected.Right) << c.name;
        EXPECT_EQ(r.Bottom, c.expected.Bottom) << c.name;
    }
}

TEST_F(GridCellDraw, CheckBoxCellsShowTheirStateAndEmptyOnesGrayed) {
    grid->Col(2)->SetControlType(ctCheck);
    grid->PutCellValue(2, 2, Variant(1));
    grid->MoveToDisplayCell(1, 1);
    Repaint();
    // The box of a checked cell holds dark check pixels; an empty check
    // cell shows the grayed state, like its default value.
    auto darkInBox = [&](Integer row) {
        TRect cell = grid->CellPixels(2, row);
        TRect box = TgrBaseGrid::CalcCheckBoxRect(false, 3, 13, 13, TRect(cell.Left, cell.Top, cell.Right - 1, cell.Bottom - 1));
        int dark = 0, grey = 0;
        for (int y = box.Top + 2; y < box.Bottom - 2; ++y)
            for (int x = box.Left + 2; x < box.Right - 2; ++x) {
                int g = qGray(grid->Surface().pixel(x, y));
                dark += g < 64;
                grey += g >= 64 && g < 200;
            }
        return std::pair<int, int>(dark, grey);
    };
    EXPECT_GT(darkInBox(2).first, 4) << "checked";
    EXPECT_GT(darkInBox(3).first + darkInBox(3).second, 4) << "empty: grayed";
    EXPECT_EQ(grid->DefaultCellValue(ctCheck).AsInteger(), Integer(cbGrayed));
    EXPECT_TRUE(grid->DefaultCellValue(ctNone).IsEmpty());
    EXPECT_EQ(grid->DefaultCellValue(ctText).AsString(), "");
}

TEST_F(GridCellDraw, ANarrowCellKeepsOnlyItsMarginAndAHiddenOneNothing) {
    grid->SetCellColor(2, 2, TColor(0x0000FF));
    grid->PutCellValue(2, 2, Variant(std::string("WWWW")));
    grid->Col(2)->SetWidth(4);
    grid->MoveToDisplayCell(1, 1);
    Repaint();
    TRect cell = grid->CellPixels(2, 2);
    ASSERT_EQ(cell.Width(), 4);
    // The 3 pixels left of the line are the cell's colour and nothing else.
    for (int x = cell.Left; x < cell.Left + 3; ++x)
        for (int y = cell.Top; y < cell.Bottom - 1; ++y) ASSERT_EQ(At(x, y), kRed) << x << "," << y;
    // A column of width 0 paints nothing, not even a background.
    grid->Col(2)->SetWidth(0);
    Repaint();
    TgrCellPaintInfo info;
    EXPECT_FALSE(grid->FillDrawInfo(2, 2, info));
}

TEST_F(GridCellDraw, PaintStateBitsNameSelectedCurrentAndFixedCells) {
    grid->SetFixedColCount(1);
    grid->MoveToDisplayCell(2, 3);
    grid->SelectDisplayRows(4, 4);
    struct Case {
        Integer col, row;
        unsigned bits;
    } cases[] = {{2, 3, 1u}, {2, 4, 2u}, {1, 3, 4u}, {0, 2, 4u}, {1, 4, 6u}, {3, 2, 0u}};
    for (const Case& c : cases) EXPECT_EQ(grid->GetCellPaintState(c.col, c.row), c.bits) << c.col << "," << c.row;
}

TEST_F(GridCellDraw, DrawCellValueShowsAValueAtOnceAndReportsThePaintedCell) {
    TgrCellPaintInfo info;
    ASSERT_TRUE(grid->FillDrawInfo(2, 3, info));
    grid->DrawCellValue(2, 3, false, false, Variant(std::string("WWW")), info);
    EXPECT_EQ(grid->LastPaintedCell().Col, 2);
    EXPECT_EQ(grid->LastPaintedCell().Row, 3);
    TRect cell = grid->CellPixels(2, 3);
    int dark = 0;
    for (int y = cell.Top; y < cell.Bottom - 1; ++y)
        for (int x = cell.Left; x < cell.Right - 1; ++x) dark += qGray(grid->Surface().pixel(x, y)) < 128;
    EXPECT_GT(dark, 0);
    // A hidden row draws nothing.
    grid->SetRowVisible(4, false);
    TgrCellPaintInfo hidden = info;
    hidden.DataRow = 4;
    grid->DrawCellValue(2, 4, false, false, Variant(std::string("x")), hidden);
    EXPECT_EQ(grid->LastPaintedCell().Row, 3);
}

TEST_F(GridCellDraw, TheRowBarShowsTheCurrentRowsArrowAtItsPlace) {
    grid->MoveToDisplayCell(1, 2);
    Repaint();
    EXPECT_EQ(RowBar(2), Expected("GRDOTARROWRIGHT", 2));
    EXPECT_EQ(RowBar(1).find('#'), std::string::npos) << "other rows show no picture";
}

TEST_F(GridCellDraw, TheChangedRowPictureFollowsTheIndicatorMode) {
    struct Case {
        TgrRowChangedIndicator mode;
        const char* whileEditing;
        const char* afterRowEdit;
    } cases[] = {
        {riOn, "GRCHANGEDROW", "GRCHANGEDROW"},
        {riAutoReset, "GRCHANGEDROW", "GRDOTARROWRIGHT"},
        {riOff, "GRDOTARROWRIGHT", "GRDOTARROWRIGHT"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.mode));
        grid->SetRowChangedIndicator(c.mode);
        grid->MoveToDisplayCell(1, 2);
        ASSERT_TRUE(grid->BeginCellEdit());
        Repaint();
        EXPECT_EQ(RowBar(2), Expected(c.whileEditing, 2));
        EXPECT_EQ(grid->ShowsRowChanged(grid->DataRowOfDisplay(2)), std::string(c.whileEditing) == "GRCHANGEDROW");
        // Moving to another column of the row ends the cell edit only; the
        // row edit ends when the row is left and the row comes back.
        ASSERT_TRUE(grid->MoveToDisplayCell(1, 3));
        ASSERT_TRUE(grid->MoveToDisplayCell(1, 2));
        Repaint();
        EXPECT_EQ(RowBar(2), Expected(c.afterRowEdit, 2));
        grid->SetRowChangedIndicator(riOff);
    }
}

TEST_F(GridCellDraw, IndicatorsAreDrawnAtOnceOutsideAPaint) {
    grid->MoveToDisplayCell(1, 2);
    Repaint();
    // Drawn straight into the window's picture: on the inverted bar of a
    // selected row the picture goes in with the merge paint, so that it
    // shows light.
    grid->SelectDisplayRows(3, 3);
    grid->UpdateSelectType();
    Repaint();
    TRect cell = grid->CellPixels(0, 3);
    TRect inner(cell.Left, cell.Top, cell.Right - 1, cell.Bottom - 1);
    ASSERT_EQ(DarkIn(inner).find('.'), std::string::npos) << "the inverted bar is dark\n" << DarkIn(inner);
    grid->DrawRowIndicatorSelected(3);
    std::string light;
    for (int y = inner.Top; y < inner.Bottom; ++y) {
        for (int x = inner.Left; x < inner.Right; ++x) light += At(x, y) == kWhite ? '#' : '.';
        light += '\n';
    }
    EXPECT_EQ(light, Expected("GRDOTARROWRIGHT", 3));
    // Under a paint lock nothing is drawn; the cell waits for the paint.
    grid->DeselectAllRows();
    grid->UpdateSelectType();
    Repaint();
    grid->SuspendPainting();
    grid->SetRowChangedIndicator(riOn);
    grid->SetRowChanged(grid->DataRowOfDisplay(3), true);
    EXPECT_FALSE(grid->CanPaintOrInvalidate(0, 3));
    grid->ResumePainting();
    EXPECT_EQ(RowBar(3), Expected("GRCHANGEDROW", 3));
}

TEST_F(GridCellDraw, TheInsertRowShowsItsStarUntilItIsEntered) {
    grid->SetGridMode(gmEditInsert);
    Repaint();
    Integer last = grid->RowCount() - 1;
    EXPECT_EQ(RowBar(last), Expected("GRINSERTROW", last));
    EXPECT_EQ(GridRowBarBitmap("nothing"), nullptr);
}

}  // namespace

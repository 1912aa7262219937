// Fixed cells and check boxes read back from the picture of a grid on a
// shown form: heading captions aligned as set, border lines and edges by
// Heading3D, an empty heading left plain, a selected row's bar shown
// inverted outside a paint, the design-time fill of fixed data cells, each
// check state drawn as its picture, and a cell painted into the memory
// canvas even when the descendant's value lookup drew elsewhere.

#include <gtest/gtest.h>

#include <string>

#include "grid/tests/GridOnForm.h"

namespace {

constexpr QRgb kBlack = 0x000000, kGrey = 0x808080;

QRgb Rgb(TColor c) {
    unsigned v = unsigned(ColorToRGB(c));
    return QRgb(((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF));
}

// The fixed-cell steps open to the tests, a descendant that may paint the
// data cells itself, and one whose value lookup points the canvas at
// another picture.
class TFixedGrid : public TPaintingGrid {
public:
    using TPaintingGrid::TPaintingGrid;
    using TgrBaseGrid::PaintRowBarBackground;
    bool TakeDataCells = false;
    bool LookupDrawsElsewhere = false;
    QImage Elsewhere{40, 40, QImage::Format_RGB32};

protected:
    bool PaintCellData(TgrCellPaintInfo& info, const TRect&, bool) override {
        return TakeDataCells && info.Kind == tckData;
    }
    Variant LoadCellValue(Integer c, Integer r, const Variant& stored) override {
        if (LookupDrawsElsewhere && PaintedOnce()) Canvas()->SetSurface(&Elsewhere);
        return TPaintingGrid::LoadCellValue(c, r, stored);
    }
};

class GridFixedCells : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        form = new TForm(Application);
        form->SetBounds(0, 0, 500, 400);
        grid = new TFixedGrid(form);
        grid->SetParent(form);
        grid->SetBounds(0, 0, 320, 200);
        grid->SetCols(3);
        grid->SetRows(5);
        grid->SetStoreData(true);
        grid->SetColor(clWhite);
        grid->SetHeadingColor(clWhite);
        form->Show();
        Repaint();
    }
    void TearDown() override { Application->ResetForTesting(); }
    void Repaint() {
        grid->Invalidate();
        grid->Update();
    }
    QRgb At(int x, int y) { return grid->Surface().pixel(x, y) & 0xFFFFFF; }
    // The leftmost and rightmost dark columns inside a rectangle (-1 when
    // none is dark).
    std::pair<int, int> DarkSpan(const TRect& r) {
        int first = -1, last = -1;
        for (int x = r.Left; x < r.Right; ++x)
            for (int y = r.Top; y < r.Bottom; ++y)
                if (qGray(grid->Surface().pixel(x, y)) < 128) {
                    if (first < 0) first = x;
                    last = x;
                    break;
                }
        return {first, last};
    }
    TForm* form = nullptr;
    TFixedGrid* grid = nullptr;
};

TEST_F(GridFixedCells, HeadingCaptionsAreAlignedAsSet) {
    grid->SetHeading3D(false);
    struct Case {
        TgrHorzAlignment alignment;
        const char* name;
    } cases[] = {{htaLeft, "left"}, {htaRight, "right"}, {htaCenter, "centre"}};
    for (const Case& c : cases) {
        grid->Col(2)->SetHeading("Wm");
        grid->Col(2)->SetHeadingHorzAlignment(c.alignment);
        Repaint();
        TRect cell = grid->CellPixels(2, 0);
        // Inside the cell, its border lines left out.
        auto [first, last] = DarkSpan(TRect(cell.Left, cell.Top, cell.Right - 1, cell.Bottom - 1));
        ASSERT_GE(first, 0) << c.name;
        int leftGap = first - cell.Left, rightGap = cell.Right - 1 - last;
        switch (c.alignment) {
        case htaLeft:
            EXPECT_GE(leftGap, 3) << c.name;
            EXPECT_LE(leftGap, 5) << c.name;
            break;
        case htaRight:
            EXPECT_LE(rightGap, 5) << c.name;
            EXPECT_GT(leftGap, 20) << c.name;
            break;
        default:
            EXPECT_LE(std::abs(leftGap - rightGap), 5) << c.name;
            break;
        }
    }
}

TEST_F(GridFixedCells, BorderLinesAndEdgesFollowHeading3D) {
    grid->Col(1)->SetHeading("");
    TRect cell = grid->CellPixels(1, 0);
    grid->SetHeading3D(true);
    Repaint();
    EXPECT_EQ(At(cell.Left + 5, cell.Bottom - 1), kGrey);
    EXPECT_EQ(At(cell.Right - 1, cell.Top + 3), kGrey);
    // The raised edge: white on the white heading colour, so the heading
    // colour shows it.
    grid->SetHeadingColor(TColor(0x00C0C0));
    Repaint();
    EXPECT_EQ(At(cell.Left, cell.Top + 5), QRgb(0xFFFFFF)) << "raised left edge";
    EXPECT_EQ(At(cell.Left + 5, cell.Top), QRgb(0xFFFFFF)) << "raised top edge";
    grid->SetHeading3D(false);
    Repaint();
    EXPECT_EQ(At(cell.Left + 5, cell.Bottom - 1), kBlack);
    EXPECT_EQ(At(cell.Right - 1, cell.Top + 3), kBlack);
    // No edge, no caption: the heading is its colour throughout.
    EXPECT_EQ(At(cell.Left, cell.Top + 5), QRgb(0xC0C000));
    EXPECT_EQ(DarkSpan(TRect(cell.Left, cell.Top, cell.Right - 1, cell.Bottom - 1)).first, -1);
}

TEST_F(GridFixedCells, ASelectedRowsBarIsShownInvertedOutsideAPaint) {
    grid->SetHeadingColor(TColor(0x00C0C0));
    grid->SetHeading3D(false);
    grid->SetRowSelected(2, true);
    Repaint();
    TRect bar = grid->CellPixels(0, 2);
    QRgb line = At(bar.Left + 2, bar.Bottom - 1);
    grid->PaintRowBarBackground(2);
    // The heading colour inverted, the border lines left alone.
    EXPECT_EQ(At(bar.Left + 2, bar.Top + 2), QRgb(0x3F3FFF));
    EXPECT_EQ(At(bar.Left + 2, bar.Bottom - 1), line);
    // An unselected row's bar is refilled in the heading colour.
    grid->PaintRowBarBackground(3);
    TRect other = grid->CellPixels(0, 3);
    EXPECT_EQ(At(other.Left + 2, other.Top + 2), QRgb(0xC0C000));
}

TEST_F(GridFixedCells, FixedDataCellsAreFilledWithTheGridColourAtDesignTime) {
    grid->SetFixedColCount(1);
    grid->SetColor(TColor(0x00FF00));
    grid->TakeDataCells = true;
    Repaint();
    // Each cell is covered in red first and then drawn on its own, so only
    // the design-time fill shows green; the descendant paints nothing.
    auto drawn = [&](Integer col, bool designing) {
        grid->SetDesignFlag(designing);
        TRect r = grid->CellPixels(col, 2);
        grid->Canvas()->Brush()->SetColor(TColor(0x0000FF));
        grid->Canvas()->FillRect(r);
        grid->DrawGridCell(col, 2, false, r);
        return At(r.Left + 3, r.Top + 3);
    };
    EXPECT_EQ(drawn(1, true), QRgb(0x00FF00)) << "fixed data cell at design time";
    EXPECT_EQ(drawn(1, false), QRgb(0xFF0000)) << "fixed data cell at run time";
    EXPECT_EQ(drawn(2, true), QRgb(0xFF0000)) << "scrolling cell at design time";
}

TEST_F(GridFixedCells, EachCheckStateIsDrawnAsItsPicture) {
    grid->Col(2)->SetControlType(ctCheck);
    grid->PutCellValue(2, 1, Variant(Byte(cbUnchecked)));
    grid->PutCellValue(2, 2, Variant(Byte(cbChecked)));
    grid->PutCellValue(2, 3, Variant(Byte(cbGrayed)));
    grid->MoveToDisplayCell(1, 4);
    Repaint();
    for (TCheckBoxState state : {cbUnchecked, cbChecked, cbGrayed}) {
        Integer row = Integer(state) + 1;
        TCopyMode mode;
        TRect source;
        TBitmap* picture = grid->CheckControl()->GetCheckPicture(state, mode, false, source);
        ASSERT_NE(picture, nullptr);
        TRect cell = grid->CellPixels(2, row);
        TRect box = TgrBaseGrid::CalcCheckBoxRect(false, 3, source.Width(), source.Height(),
                                                  TRect(cell.Left, cell.Top, cell.Right - 1, cell.Bottom - 1));
        int differ = 0;
        for (int y = 0; y < box.Height(); ++y)
            for (int x = 0; x < box.Width(); ++x) {
                QRgb want = Rgb(picture->Canvas()->GetPixel(source.Left + x, source.Top + y));
                differ += At(box.Left + x, box.Top + y) != want;
            }
        EXPECT_EQ(differ, 0) << "state " << int(state);
    }
}

TEST_F(GridFixedCells, ACellIsPaintedIntoTheMemoryCanvasAfterALookupThatDrewElsewhere) {
    grid->PutCellValue(2, 2, Variant(std::string("WWW")));
    grid->LookupDrawsElsewhere = true;
    Repaint();
    Repaint();
    TRect cell = grid->CellPixels(2, 2);
    EXPECT_GE(DarkSpan(TRect(cell.Left, cell.Top, cell.Right - 1, cell.Bottom - 1)).first, cell.Left + 3);
}

}  // namespace

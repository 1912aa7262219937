// What a cell is painted from, worked out without a canvas: the attribute
// that applies at each level, and the state of each kind of cell.

#include <gtest/gtest.h>

#include "grid/TSGrid.h"
#include "grid/tests/GridClassSupport.h"
#include "platform/gui/Forms.h"

namespace {

constexpr TColor kRed = TColor(0x0000FF), kBlue = TColor(0xFF0000), kGreen = TColor(0x00FF00);

class GridPaintState : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        form = new TForm(Application);
        form->SetBounds(0, 0, 500, 400);
        grid = new TLogGrid(form);
        grid->SetParent(form);
        grid->SetBounds(0, 0, 400, 200);
        grid->SetCols(4);
        grid->SetRows(6);
        grid->SetStoreData(true);
        form->Show();
    }
    void TearDown() override { Application->ResetForTesting(); }
    TgrCellPaintInfo Info(Integer c, Integer r) {
        TgrCellPaintInfo info;
        EXPECT_TRUE(grid->FillDrawInfo(c, r, info)) << c << "," << r;
        return info;
    }
    TForm* form = nullptr;
    TLogGrid* grid = nullptr;
};

TEST_F(GridPaintState, AttributesResolveCellThenRowAndColumnThenGrid) {
    grid->Col(2)->SetColor(kRed);
    grid->GridRows()->EnsureRow(3)->SetColor(kBlue);
    struct Case {
        const char* name;
        TgrDrawOverlap overlap;
        bool cellColour;
        TColor expected;
    } cases[] = {
        {"column on top", doDrawColOnTop, false, kRed},
        {"row on top", doDrawRowOnTop, false, kBlue},
        {"cell beats both", doDrawRowOnTop, true, kGreen},
    };
    for (const Case& c : cases) {
        grid->SetDrawOverlap(c.overlap);
        grid->SetCellProp(2, 3, gpColor, pkNoPicture, c.cellColour ? Variant(Integer(kGreen)) : Variant(Integer(grColorNotSet)));
        EXPECT_EQ(grid->EffectiveCellColor(2, 3, false), c.expected) << c.name;
    }
    // Dropping the cell's record (all its attributes default again) is seen
    // at once, also right after a lookup of the same cell.
    grid->SetCellProp(2, 3, gpColor, pkNoPicture, Variant(Integer(kGreen)));
    EXPECT_EQ(grid->EffectiveCellColor(2, 3, false), kGreen);
    grid->SetCellProp(2, 3, gpColor, pkNoPicture, Variant(Integer(grColorNotSet)));
    EXPECT_EQ(grid->EffectiveCellColor(2, 3, false), kBlue);

    // Raised cells on a window-coloured grid take the button face.
    grid->SetColor(clWindow);
    EXPECT_EQ(grid->EffectiveCellColor(1, 1, true), clBtnFace);
    EXPECT_EQ(grid->EffectiveCellColor(1, 1, false), clWindow);
    // Headings: the column's heading colour, else the grid's; the row bar
    // always the grid's.
    grid->Col(1)->SetHeadingColor(kGreen);
    EXPECT_EQ(grid->EffectiveCellColor(1, 0, false), kGreen);
    EXPECT_EQ(grid->EffectiveCellColor(2, 0, false), grid->HeadingColor());
    EXPECT_EQ(Info(0, 2).Color, grid->HeadingColor());
}

TEST_F(GridPaintState, AlignmentsAndControlTypes) {
    // A legacy column alignment counts before the grid's alignment.
    grid->SetHorzAlignment(htaRight);
    grid->Col(1)->SetAlignment(taCenter);
    EXPECT_EQ(grid->EffectiveHorzAlignment(1, 1), htaCenter);
    EXPECT_EQ(grid->EffectiveHorzAlignment(2, 1), htaRight);
    grid->Col(2)->SetHorzAlignment(htaLeft);
    EXPECT_EQ(grid->EffectiveHorzAlignment(2, 1), htaLeft);
    // Headings fall back on the grid's heading, then cell alignment.
    EXPECT_EQ(grid->EffectiveHeadingHorzAlignment(3), htaRight);
    grid->SetHeadingHorzAlignment(htaCenter);
    EXPECT_EQ(grid->EffectiveHeadingHorzAlignment(3), htaCenter);
    EXPECT_EQ(grid->EffectiveVertAlignment(1, 1), vtaTop);

    EXPECT_EQ(grid->EffectiveControlType(0, 1), ctNone);
    EXPECT_EQ(grid->EffectiveControlType(1, 0), ctNone);
    EXPECT_EQ(grid->EffectiveControlType(1, grid->RowTotal()), ctNone);
    EXPECT_EQ(grid->EffectiveControlType(1, 1), ctText);

    // A read-only cell shows no button unless ReadOnlyButton.
    grid->Col(3)->SetButtonType(btCombo);
    grid->Col(3)->SetReadOnly(true);
    TgrDropDownStyle style;
    grid->SetReadOnlyButton(false);
    EXPECT_EQ(grid->ResolveButtonType(3, 1, style), btNone);
    grid->SetReadOnlyButton(true);
    EXPECT_EQ(grid->ResolveButtonType(3, 1, style), btCombo);
}

TEST_F(GridPaintState, CellStatesFromValuesSelectionAndCurrentCell) {
    grid->Col(1)->SetHeading("&Name");
    grid->Col(2)->SetControlType(ctCheck);
    grid->PutCellValue(1, 2, Variant("Ann"));
    grid->PutCellValue(2, 2, Variant(Integer(1)));
    grid->ChangeCurrentCell(1, 2);
    grid->SelectDisplayRows(4, 5);

    TgrCellPaintInfo heading = Info(1, 0);
    EXPECT_EQ(heading.Kind, tckHeading);
    EXPECT_EQ(heading.Text, "&Name");
    TgrCellPaintInfo text = Info(1, 2);
    EXPECT_EQ(text.Kind, tckData);
    EXPECT_EQ(text.Text, "Ann");
    EXPECT_TRUE(text.Current);
    EXPECT_EQ(Info(2, 2).CheckState, cbChecked);
    EXPECT_EQ(Info(2, 3).CheckState, cbGrayed);  // no value yet
    EXPECT_EQ(Info(0, 2).Indicator, triCurrent);
    EXPECT_EQ(Info(0, 3).Indicator, triNone);
    EXPECT_TRUE(Info(1, 4).Selected);
    EXPECT_TRUE(Info(0, 5).Selected);
    EXPECT_FALSE(Info(1, 3).Selected);

    // The selection colour replaces the background only with sltColor.
    grid->SetSelectionColor(kRed);
    EXPECT_FALSE(Info(1, 4).SelectionColored);
    grid->SetSelectionType(sltColor);
    EXPECT_TRUE(Info(1, 4).SelectionColored);
    EXPECT_EQ(Info(1, 4).Color, kRed);

    // Geometry: the cell less its grid lines, the clip with them.
    TgrCellPaintInfo g = Info(1, 1);
    EXPECT_EQ(g.ClipRect.Width(), grid->GetColWidthAt(1));
    EXPECT_EQ(g.CellRect.Width(), grid->GetColWidthAt(1) - 1);
    grid->SetGridLines(glHorizontal);
    EXPECT_EQ(grid->VertLineWidth(), 0);
    EXPECT_EQ(grid->HorzLineWidth(), 1);
    EXPECT_EQ(Info(1, 1).CellRect.Width(), grid->GetColWidthAt(1));

    // Hidden columns are not painted at all.
    grid->Col(3)->SetVisible(false);
    TgrCellPaintInfo hidden;
    EXPECT_FALSE(grid->FillDrawInfo(grid->DisplayColOfData(3), 1, hidden));
}

TEST_F(GridPaintState, TextHeightFollowsTheColumnWidthAndWordWrap) {
    grid->Col(1)->SetWidth(50);
    grid->PutCellValue(1, 1, Variant("several words that need more than one line"));
    Integer h = 0, lines = 0;
    grid->GetCellTextHeight(1, 1, h, lines);
    EXPECT_GT(lines, 2);
    Integer wrappedHeight = h;
    grid->Col(1)->SetWordWrap(wwOff);
    grid->GetCellTextHeight(1, 1, h, lines);
    EXPECT_EQ(lines, 1);
    EXPECT_LT(h, wrappedHeight);
    // The current cell answers for itself; a check cell has no text height.
    grid->ChangeCurrentCell(1, 1);
    EXPECT_EQ(grid->CurrentCell()->GetTextLineCount(), 1);
    grid->Col(2)->SetControlType(ctCheck);
    grid->GetCellTextHeight(2, 1, h, lines);
    EXPECT_EQ(h, 0);
}

}  // namespace

TEST_F(GridPaintState, NestedPaintLocksRepaintOnceWhenTheLastGoes) {
    int paints = 0;
    grid->OnPaint = [&](TObject*) { ++paints; };
    grid->Update();
    paints = 0;
    grid->LockPaint(false);
    grid->LockPaint(false);
    EXPECT_FALSE(grid->CanPaintNow());
    grid->Invalidate();
    grid->Update();
    grid->LockPaint(true);
    EXPECT_FALSE(grid->IsPaintUnlocked());
    grid->Update();
    EXPECT_EQ(paints, 0);
    grid->LockPaint(true);
    EXPECT_TRUE(grid->IsPaintUnlocked());
    EXPECT_TRUE(grid->CanPaintNow());
    EXPECT_EQ(paints, 1);
    // An unlock without a lock stays at 0 and still repaints at once.
    grid->LockPaint(true);
    EXPECT_TRUE(grid->IsPaintUnlocked());
    EXPECT_EQ(paints, 2);
}

// Services of the grid class that the rest of the system calls by name: a
// column by number or field name, rows and columns by their stable ids,
// cell values as a control type keeps them, text measuring, and the
// repaint of only what a selection change touches.

#include <gtest/gtest.h>

#include <string>

#include "grid/tests/GridOnForm.h"

namespace {

class GridNamedServices : public TGridOnFormTest {
protected:
    void SetUp() override {
        ShowGrid(400, 250, 6, 12);
        grid->Update();
    }
    TPoint Inside(Integer displayCol, Integer displayRow) {
        TRect r = grid->CellPixels(displayCol, displayRow);
        return TPoint(r.Left + 5, r.Top + 4);
    }
    bool Invalid(Integer displayCol, Integer displayRow) {
        TPoint p = Inside(displayCol, displayRow);
        return grid->IsInvalid(p.X, p.Y);
    }
};

TEST_F(GridNamedServices, AColumnIsFoundByNumberOrByFieldName) {
    grid->SetName("Scores");
    grid->Col(3)->SetFieldName("Total");
    EXPECT_EQ(grid->GetCol(Variant(Integer(3))), grid->Col(3));
    EXPECT_EQ(grid->GetCol(Variant("total")), grid->Col(3));
    try {
        grid->GetCol(Variant("Missing"));
        FAIL() << "an unknown field name is refused";
    } catch (const EInvalidGridOperation& e) {
        EXPECT_EQ(e.Message, "Scores: Unknown field name 'Missing'");
    }
    EXPECT_THROW(grid->GetCol(Variant(Integer(7))), EInvalidGridOperation);
    EXPECT_THROW(grid->GetCol(Variant(Integer(0))), EInvalidGridOperation);
}

TEST_F(GridNamedServices, RowsAndColumnsAreFoundByTheirIds) {
    Integer col4 = grid->Col(4)->ColId(), row5 = grid->GetRowId(5);
    EXPECT_EQ(grid->DataColOfColId(col4), 4);
    EXPECT_EQ(grid->DataRowOfRowId(row5), 5);
    // The ids stay with their columns and rows when others go.
    grid->DeleteCols(2, 2);
    grid->DeleteRows(1, 2);
    EXPECT_EQ(grid->DataColOfColId(col4), 3);
    EXPECT_EQ(grid->DataRowOfRowId(row5), 3);
    EXPECT_EQ(grid->DataColOfColId(9999), -1);
    EXPECT_EQ(grid->DataRowOfRowId(9999), -1);
    EXPECT_EQ(grid->DataRowOfRowId(-5), -1);
}

TEST_F(GridNamedServices, ACellValueTakesTheFormItsControlTypeKeeps) {
    struct Case {
        const char* name;
        TgrControlType type;
        Variant value;
        TVarType kind;
        std::string text;
    } cases[] = {
        {"a number for a text cell", ctText, Variant(Integer(42)), varString, "42"},
        {"Null for a text cell", ctText, Variant::NullValue(), varNull, ""},
        {"Empty for a text cell", ctText, Variant(), varEmpty, ""},
        {"a wide string for a check cell", ctCheck, Variant::FromOleStr("Yes"), varString, "Yes"},
        {"a number for a check cell", ctCheck, Variant(Integer(1)), Variant(Integer(1)).Type(), "1"},
    };
    for (const Case& c : cases) {
        Variant v = TgrBaseGrid::ConvertCellValue(c.type, c.value);
        EXPECT_EQ(v.Type(), c.kind) << c.name;
        if (c.kind != varNull && c.kind != varEmpty) {
            EXPECT_EQ(v.AsString(), c.text) << c.name;
        }
    }
}

TEST_F(GridNamedServices, TextIsMeasuredInTheGridsFontAndBesideTheCellsButton) {
    Integer small = grid->GetFontLineHeight();
    EXPECT_GT(small, 0);
    grid->Font()->SetSize(20);
    EXPECT_GT(grid->GetFontLineHeight(), small);

    grid->SetStoreData(true);
    grid->Col(2)->SetWidth(70);
    grid->Col(2)->SetWordWrap(wwOn);
    grid->PutCellValue(2, 1, Variant("one two three four"));
    Integer height = 0, plain = 0, beside = 0;
    grid->GetCellTextHeight(2, 1, height, plain);
    grid->Col(2)->SetButtonType(btNormal);
    grid->GetCellTextHeight(2, 1, height, beside);
    EXPECT_GT(beside, plain);
    EXPECT_THROW(grid->GetCellTextHeight(0, 1, height, plain), EInvalidGridOperation);
    EXPECT_THROW(grid->GetCellTextHeight(2, 13, height, plain), EInvalidGridOperation);
}

TEST_F(GridNamedServices, GrowingACellRangeRepaintsOnlyTheNewStrip) {
    // The range starts from the cell's left margin.
    TPoint from(grid->CellPixels(1, 1).Left + 1, Inside(1, 1).Y);
    grid->MouseDown(mbLeft, TShiftState{ssLeft}, from.X, from.Y);
    TPoint to = Inside(2, 3);
    grid->MouseMove(TShiftState{ssLeft}, to.X, to.Y);
    grid->Update();
    ASSERT_FALSE(grid->HasInvalidRegion());
    to = Inside(3, 3);
    grid->MouseMove(TShiftState{ssLeft}, to.X, to.Y);
    for (Integer r = 1; r <= 3; ++r) {
        EXPECT_TRUE(Invalid(3, r)) << r;
        EXPECT_FALSE(Invalid(2, r)) << r;
    }
    EXPECT_FALSE(Invalid(3, 4));
    grid->Update();
    // Shrinking gives back the strip that left the range.
    to = Inside(3, 2);
    grid->MouseMove(TShiftState{ssLeft}, to.X, to.Y);
    EXPECT_TRUE(Invalid(2, 3));
    EXPECT_TRUE(Invalid(3, 3));
    EXPECT_FALSE(Invalid(2, 2));
    grid->MouseUp(mbLeft, {}, to.X, to.Y);
}

TEST_F(GridNamedServices, ASelectedColumnRepaintsItsHeadingAndCells) {
    grid->Update();
    grid->SelectDisplayCols(4, 4, true);
    EXPECT_TRUE(Invalid(4, 0));
    EXPECT_TRUE(Invalid(4, 5));
    EXPECT_FALSE(Invalid(3, 5));
    grid->Update();
    grid->PaintColSelection(4, 1, nullptr, false);
    EXPECT_TRUE(Invalid(4, 0));
    EXPECT_FALSE(Invalid(4, 5));
}

}  // namespace

namespace {

TEST_F(GridNamedServices, ResetPropertiesPutsColumnsRowsAndCellsBack) {
    const TColor red = TColor(0x0000FF);
    grid->Col(2)->SetColor(red);
    grid->SetRowColor(3, red);
    grid->SetCellColor(1, 1, red);
    grid->SelectDisplayCols(4, 4, true);
    grid->ResetProperties({});
    EXPECT_EQ(grid->Col(2)->Color(), red);

    grid->ResetProperties({gpColor, gpSelected});
    EXPECT_EQ(grid->Col(2)->Color(), grColorNotSet);
    EXPECT_EQ(grid->GetRowColor(3), grColorNotSet);
    EXPECT_EQ(grid->GridRows()->GetRow(3), nullptr);  // nothing left to keep
    EXPECT_EQ(grid->GetCellColor(1, 1), grColorNotSet);
    EXPECT_FALSE(grid->IsDisplayColSelected(4));

    // Under rcAll the widths go back to the shared default.
    grid->Col(2)->SetWidth(90);
    grid->Col(3)->SetWidth(30);
    grid->SetResizeCols(rcAll);
    grid->ResetColProperties({gpWidth});
    for (Integer c = 1; c <= 6; ++c) EXPECT_EQ(grid->GetColWidthAt(c), 64) << c;
}

}  // namespace

namespace {

TEST_F(GridNamedServices, IndexChecksAndAnswersAtTheEdges) {
    grid->SetName("G");
    try {
        grid->SetRowColor(13, clRed);
        FAIL() << "a row beyond the grid takes no colour";
    } catch (const EInvalidGridOperation& e) {
        EXPECT_EQ(e.Message, "G: Row index 13 out of range");
    }
    EXPECT_FALSE(grid->IsRowVisible(-1));
    EXPECT_TRUE(grid->IsRowVisible(3));
    EXPECT_THROW(grid->GetRowVisible(grid->Rows() + 1), EInvalidGridOperation);
    EXPECT_TRUE(grid->CheckColRowIndex(1, 1, 6, 1));
    EXPECT_TRUE(grid->CheckColRowIndex(1, 6, 6, 1));
    EXPECT_THROW(grid->CheckColRowIndex(1, 7, 6, 1), EInvalidGridOperation);
    grid->SetVersion("9.9");
    EXPECT_EQ(grid->Version(), "2.20.08");
    std::string moved;
    grid->OnRowMoved = [&](TObject*, Integer to, Integer, bool) { moved += std::to_string(to) + ";"; };
    grid->SetDisplayRow(4, 4);
    EXPECT_EQ(moved, "");
    grid->SetDisplayRow(4, 2);
    EXPECT_EQ(moved, "2;");
}

}  // namespace

namespace {

TEST_F(GridNamedServices, CellRecordsAreFoundAndMadeOnlyInsideTheGrid) {
    EXPECT_EQ(grid->FindCellElement(2, 3, true), nullptr);
    grid->SetCellColor(2, 3, clRed);
    TgrCustomPropElement* e = grid->FindCellElement(2, 3, true);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(grid->FindCellElement(2, 3, false), e);
    EXPECT_THROW(grid->FindCellElement(7, 3, true), EInvalidGridOperation);
    EXPECT_EQ(grid->FindCellElement(7, 3, false), nullptr);
    // A combo for a cell beyond the grid is refused and leaves no record.
    Integer records = grid->CellPropSet()->Count();
    EXPECT_THROW(grid->CreateCellCombo(2, 99), EInvalidGridOperation);
    EXPECT_EQ(grid->CellPropSet()->Count(), records);
}

}  // namespace

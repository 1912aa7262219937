// Column and row objects: defaults, repaint rules, width and visibility,
// moving, resets, copying and the row proxy.

#include <gtest/gtest.h>

#include <functional>

#include "grid/GridCollections.h"
#include "grid/GridColRow.h"
#include "grid/tests/PropGridRecorder.h"

namespace {

struct ColFixture : ::testing::Test {
    PropGridRecorder grid;
    TgrGridCols cols{6, &grid};
    TgrCol& col = *cols.ColAt(2);

    void SetUp() override {
        grid.visibleCols.SetVisibleCount(5, 1);
        grid.Take();
    }
};

}  // namespace

TEST_F(ColFixture, NewColumnHasTheDefaults) {
    EXPECT_TRUE(col.IsDefault());
    EXPECT_EQ(col.Color(), grColorNotSet);
    EXPECT_EQ(col.HeadingColor(), grColorNotSet);
    EXPECT_TRUE(col.ParentFont());
    EXPECT_TRUE(col.HeadingParentFont());
    EXPECT_EQ(col.ButtonType(), btDefault);
    EXPECT_EQ(col.ControlType(), ctDefault);
    EXPECT_EQ(col.HeadingButton(), cbGrid);
    EXPECT_EQ(col.SortPicture(), spNone);
    EXPECT_EQ(col.SpinOptions(), grAllSpinOptions);
    EXPECT_EQ(col.SpinIncrement(), 1.0);
    EXPECT_FALSE(col.IsSpinIncrementStored());
    EXPECT_FALSE(col.IsDisplayColStored());
    EXPECT_FALSE(col.IsHeadingStored());
    EXPECT_EQ(col.Width(), 64);
    EXPECT_TRUE(col.Visible());
    EXPECT_EQ(col.GetPicture(pkCenterPicture), dopDefault);
}

TEST_F(ColFixture, EachSetterRepaintsOnlyWhatItAffects) {
    struct Case {
        const char* name;
        std::function<void(TgrCol&)> set;
        const char* away;     // the current cell elsewhere
        const char* current;  // the column holds the current cell
    } cases[] = {
        {"Color", [](TgrCol& c) { c.SetColor(clRed); }, "colUP 2;", "colUP 2;reset;"},
        {"HorzAlignment", [](TgrCol& c) { c.SetHorzAlignment(htaRight); }, "colUP 2;", "colUP 2;reset;"},
        {"WordWrap", [](TgrCol& c) { c.SetWordWrap(wwOn); }, "colUP 2;", "colUP 2;reset;"},
        {"Picture", [](TgrCol& c) { c.SetPicture(pkShrinkPicture, dopOn); }, "colUP 2;", "colUP 2;"},
        {"Is3D", [](TgrCol& c) { c.SetIs3D(true); }, "col 2;", "col 2;reset;"},
        {"AllowGrayed", [](TgrCol& c) { c.SetAllowGrayed(true); }, "col 2;", "col 2;reset;"},
        {"HeadingColor", [](TgrCol& c) { c.SetHeadingColor(clBlue); }, "cell 2,0;", "cell 2,0;"},
        {"SortPicture", [](TgrCol& c) { c.SetSortPicture(spUp); }, "cell 2,0;", "cell 2,0;"},
        {"HeadingHorzAlignment", [](TgrCol& c) { c.SetHeadingHorzAlignment(htaCenter); }, "cell 2,0;",
         "cell 2,0;"},
        {"Heading", [](TgrCol& c) { c.SetHeading("Name"); }, "cell 2,0;", "cell 2,0;"},
        {"ControlType", [](TgrCol& c) { c.SetControlType(ctCheck); }, "col 2;dropValuesCol 2;",
         "repaintFocus;col 2;reset;repaintFocus;dropValuesCol 2;"},
        {"ButtonType", [](TgrCol& c) { c.SetButtonType(btCombo); }, "ensureCombo;col 2;",
         "ensureCombo;col 2;reset;"},
        {"DateTimeButton", [](TgrCol& c) { c.SetButtonType(btDateTimePopup); }, "col 2;",
         "col 2;reset;forgetDtd;"},
        {"MaskName", [](TgrCol& c) { c.SetMaskName("zip"); }, "", "applyMask;"},
        {"ParentFontFalse", [](TgrCol& c) { c.SetParentFont(false); }, "", ""},
    };
    for (const Case& c : cases) {
        for (bool current : {false, true}) {
            PropGridRecorder g;
            TgrGridCols cs(6, &g);
            g.curCol = current ? 2 : 3;
            g.curRow = 1;
            c.set(*cs.ColAt(2));
            EXPECT_EQ(g.Take(), current ? c.current : c.away) << c.name << (current ? " (current)" : "");
            c.set(*cs.ColAt(2));  // unchanged: nothing at all
            EXPECT_EQ(g.Take(), "") << c.name;
        }
    }
}

TEST_F(ColFixture, PaintingSuppressesDrawingRepaintsAndTheControlRefresh) {
    grid.curCol = 2;
    grid.painting = true;
    col.SetColor(clRed);
    EXPECT_EQ(grid.Take(), "");
    EXPECT_EQ(col.Color(), clRed);
}

TEST_F(ColFixture, WidthOfAHiddenColumnWaitsUntilItIsShown) {
    col.SetVisible(false);
    EXPECT_EQ(grid.colWidths[2], 0);
    grid.Take();
    col.SetWidth(100);
    EXPECT_EQ(col.Width(), 100);
    EXPECT_EQ(col.RequestedWidth(), 100);
    EXPECT_EQ(grid.colWidths[2], 0);
    EXPECT_EQ(grid.Take(), "colResized 2;reset;");
    col.SetVisible(true);
    EXPECT_EQ(grid.colWidths[2], 100);
    EXPECT_EQ(grid.visibleCols.VisibleCount(), 5);
}

TEST_F(ColFixture, RowBarWidthIsRememberedUnlessTheUserDragsIt) {
    TgrCol& bar = *cols.ColAt(0);
    bar.SetWidth(20);
    EXPECT_EQ(grid.Take(), "colWidth 0,20;colResized 0;rowBarWidth 20;reset;");
    grid.sizingRowBar = true;
    bar.SetWidth(25);
    EXPECT_EQ(grid.Take(), "colWidth 0,25;colResized 0;reset;");
}

TEST_F(ColFixture, HidingTheCurrentColumnMovesTheCurrentCell) {
    grid.curCol = 2;
    grid.curRow = 1;
    grid.selectedCols = {2};
    col.SetVisible(false);
    EXPECT_EQ(grid.Take(),
              "colWidth 2,0;deselect 2,2;replaceCol 2;lock;recheck;unlock;shrinkCol 2;scrollBars;reset;"
              "selectChanged;status;");
    EXPECT_EQ(grid.visibleCols.VisibleCount(), 4);
    EXPECT_EQ(grid.visibleCols.Get(2), 3);
    col.SetVisible(true);
    EXPECT_EQ(grid.Take(), "colWidth 2,64;recheck;scrollBars;reset;selectChanged;status;");
}

TEST_F(ColFixture, HidingIsRefusedWhenTheCurrentCellCannotBeLeft) {
    grid.curCol = 2;
    grid.canLeave = false;
    col.SetVisible(false);
    EXPECT_TRUE(col.Visible());
    EXPECT_EQ(grid.Take(), "");
}

TEST_F(ColFixture, MovingAColumnUpdatesTheGridInOrderAndIgnoresBadPositions) {
    for (Integer bad : {0, -1, 6, 2}) col.SetDisplayCol(bad);  // Cols is 5
    EXPECT_EQ(grid.Take(), "");
    EXPECT_EQ(col.DisplayCol(), 2);
    col.SetDisplayCol(5);
    EXPECT_EQ(col.DisplayCol(), 5);
    EXPECT_EQ(grid.Take(),
              "moveIndex 2,5;moveWidth 2,5;moveSelection 2,5;moveCurrent 2,5;colMoved 5,1,code;invalidateAll;"
              "scrollBars;recheck;reset;");
    EXPECT_EQ(col.ColId(), 2);  // the id stays with the column
}

TEST_F(ColFixture, MovingWhileAColumnIsHiddenKeepsTheVisibleListRight) {
    cols.ColAt(3)->SetVisible(false);  // visible 1 2 4 5
    grid.Take();
    cols.ColAt(5)->SetDisplayCol(2);
    EXPECT_NE(grid.Take().find("moveVisible 5,2"), std::string::npos);
    EXPECT_EQ(grid.visibleCols.Get(3), 3);
    EXPECT_EQ(grid.visibleCols.Get(4), 5);
}

TEST_F(ColFixture, MaxLengthAndCheckBoxValues) {
    col.SetMaxLength(-5);
    EXPECT_EQ(col.MaxLength(), 0);
    grid.curCol = 2;
    grid.editMode = true;
    col.SetMaxLength(10);
    EXPECT_EQ(grid.Take(), "maxLength 10;");

    col.SetCheckBoxValues("Yes|No");
    EXPECT_EQ(col.CheckBoxValues(), "Yes|No");
    EXPECT_EQ(grid.Take(), "refreshCheck;col 2;");
    try {
        col.SetCheckBoxValues("Yes");
        FAIL() << "accepted a text without separator";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message,
                  "Grid: Invalid CheckBoxValues. CheckBoxValues have the format 'Checked|Unchecked|Grayed'. The "
                  "Grayed value is optional");
    }
    EXPECT_EQ(col.CheckBoxValues(), "Yes|No");
}

TEST_F(ColFixture, HeadingFallsBackToFieldNameAndExportNameJoinsWords) {
    col.SetFieldName("");
    EXPECT_TRUE(col.IsDefault());
    col.SetFieldName("Total");
    EXPECT_EQ(col.GetHeading(), "Total");
    col.SetHeading("&First name");
    EXPECT_EQ(col.GetHeading(), "&First name");
    EXPECT_EQ(col.AcceleratorPos(), 1);
    std::string name;
    col.GetExportName(name);
    EXPECT_EQ(name, "Total");
    col.SetFieldName("");
    col.SetHeading("First name");
    col.GetExportName(name);
    EXPECT_EQ(name, "First_name");
    EXPECT_EQ(col.AcceleratorPos(), 0);
}

TEST_F(ColFixture, LegacyAlignmentPairsFollowHorzAlignment) {
    col.SetHorzAlignment(htaCenter);
    EXPECT_EQ(col.GetAlignment(), taCenter);
    EXPECT_TRUE(col.GetAlign());
    col.SetAlign(false);
    EXPECT_EQ(col.GetHorzAlignment(), htaDefault);
    col.SetHeadingHorzAlignment(htaRight);
    EXPECT_EQ(col.HeadingAlignment(), taRightJustify);
    EXPECT_TRUE(col.HeadingAlign());
    col.SetHeadingHorzAlignment(htaDefault);
    EXPECT_EQ(col.HeadingAlignment(), taLeftJustify);
    EXPECT_FALSE(col.HeadingAlign());
}

TEST_F(ColFixture, ResetOfAllIdsBringsBackTheDefaults) {
    TFont f;
    col.SetColor(clRed);
    col.SetHeadingColor(clBlue);
    col.SetFont(&f);
    col.SetIs3D(true);
    col.SetHorzAlignment(htaRight);
    col.SetSortPicture(spDown);
    col.SetMaxLength(4);
    col.SetReadOnly(true);
    col.SetButtonType(btNormal);
    col.SetPicture(pkStretchPicture, dopOn);
    col.SetSpinIncrement(3);
    col.SetTag(5);
    EXPECT_FALSE(col.IsDefault());
    col.ResetProperties(TgrPropIdSet{gpTag});
    EXPECT_EQ(col.Tag(), 0);
    EXPECT_FALSE(col.IsDefault());
    col.ResetProperties(TgrPropIdSet::All());
    EXPECT_TRUE(col.IsDefault());
    EXPECT_EQ(col.OwnFont(), nullptr);
}

TEST_F(ColFixture, CopyingTakesAttributesButNotPlaceIdTagOrObject) {
    TgrCol& src = *cols.ColAt(4);
    src.SetColor(clRed);
    src.SetWidth(80);
    src.SetFieldName("F");
    src.SetCheckBoxValues("a|b");
    src.SetTag(9);
    src.SetObject(&grid);
    src.SetPrintTotals(true);
    grid.Take();
    col.Assign(&src);
    EXPECT_EQ(col.Color(), clRed);
    EXPECT_EQ(col.Width(), 80);
    EXPECT_EQ(col.RequestedWidth(), 80);
    EXPECT_EQ(col.FieldName(), "F");
    EXPECT_EQ(col.CheckBoxValues(), "a|b");
    EXPECT_EQ(col.Tag(), 0);
    EXPECT_EQ(col.Object(), nullptr);
    EXPECT_FALSE(col.PrintTotals());
    EXPECT_EQ(col.DisplayCol(), 2);
    EXPECT_EQ(col.ColId(), 2);
    EXPECT_EQ(grid.colWidths[2], 80);
}

TEST_F(ColFixture, OwnFontChangesAreUserChangesButCopiesAreNot) {
    grid.font.SetName("Arial");
    col.SetParentFont(false);
    ASSERT_NE(col.OwnFont(), nullptr);
    EXPECT_EQ(col.OwnFont()->Name(), "Arial");
    EXPECT_EQ(grid.Take(), "");
    col.SetParentFont(true);
    EXPECT_EQ(col.OwnFont(), nullptr);
    EXPECT_EQ(grid.Take(), "colUP 2;");
    TFont f;
    col.SetFont(&f);
    grid.Take();
    col.OwnFont()->SetSize(12);
    EXPECT_FALSE(col.ParentFont());
    EXPECT_EQ(grid.Take(), "colUP 2;refreshKeptFonts;");
}

TEST_F(ColFixture, FontIsNotWrittenWhileParentAndKeptCopiesAppearOnDemand) {
    grid.writing = true;
    EXPECT_EQ(col.GetFont(), nullptr);
    grid.writing = false;
    col.SetKeepFontObject(true);
    EXPECT_EQ(grid.Take(), "keepCol 2;");
    TFont* kept = col.GetFont();
    ASSERT_NE(kept, nullptr);
    EXPECT_TRUE(col.ParentFont());
    col.SetKeepFontObject(false);
    EXPECT_EQ(col.OwnFont(), nullptr);
}

TEST_F(ColFixture, SelectionGoesThroughTheGrid) {
    col.SetSelected(true);
    EXPECT_TRUE(col.GetSelected());
    col.SetSelected(true);
    EXPECT_EQ(grid.Take(), "select 2,2;");
}

// ---------------------------------------------------------------------- rows

namespace {

struct RowFixture : ::testing::Test {
    PropGridRecorder grid;
    TgrGridRows rows{6, &grid};

    void SetUp() override {
        grid.rows = &rows;
        grid.visibleRows.SetVisibleCount(5, 1);
    }
    void TearDown() override { grid.rows = nullptr; }
};

}  // namespace

TEST_F(RowFixture, RowObjectsComeAndGoWithNonDefaultAttributes) {
    TgrDesignRow proxy(&grid, Variant(3));
    EXPECT_EQ(proxy.GetColor(), grColorNotSet);
    proxy.SetColor(clRed);
    ASSERT_NE(rows.GetRow(3), nullptr);
    EXPECT_EQ(proxy.GetColor(), clRed);
    EXPECT_EQ(grid.Take(), "rowUP 3;");
    proxy.SetColor(grColorNotSet);
    EXPECT_EQ(rows.GetRow(3), nullptr);
    EXPECT_EQ(proxy.GetRowId(), 3);
}

TEST_F(RowFixture, RowSettersUseTheRowTwinsOfTheColumnRules) {
    TgrRow* r = rows.EnsureRow(2);
    grid.curRow = 2;
    r->SetIs3D(true);
    r->SetControlType(ctText);
    r->SetReadOnly(true);
    EXPECT_EQ(grid.Take(),
              "row 2;reset;repaintFocus;row 2;reset;invalidateFocus;dropValuesRow 2;row 2;moveToRow 2;");
}

TEST_F(RowFixture, HidingARowIsRefusedAtTheInsertRowAndOtherwiseMovesTheCurrentRow) {
    TgrRow* r = rows.EnsureRow(2);
    grid.insertRowPos = 2;
    r->SetVisible(false);
    EXPECT_TRUE(r->Visible());
    grid.insertRowPos = -1;
    grid.curRow = 2;
    grid.Take();
    r->SetVisible(false);
    EXPECT_EQ(grid.Take(),
              "rowHeight 2,0;lock;moveToRow 2;recheck;unlock;shrinkRow 2;scrollBars;reset;syncListBox;"
              "selectChanged;status;");
    EXPECT_EQ(grid.visibleRows.VisibleCount(), 4);
}

TEST_F(RowFixture, HeadingRowHeightIsRemembered) {
    rows.GetRow(0)->SetHeight(20);
    EXPECT_EQ(grid.Take(), "rowHeight 0,20;rowResized 0;headingHeight 20;reset;");
}

TEST_F(RowFixture, ResetAndDefaults) {
    TgrRow* r = rows.EnsureRow(4);
    EXPECT_TRUE(r->IsDefault());
    r->SetColor(clRed);
    r->SetMaskName("m");
    r->SetDropDownStyle(ddDropDownList);
    r->SetSpinIncrement(2);
    r->SetHeight(30);
    EXPECT_FALSE(r->IsDefault());
    r->ResetProperties(TgrPropIdSet::All());
    EXPECT_FALSE(r->IsDefault());  // the requested height stays 30
    r->SetHeight(14);
    EXPECT_TRUE(r->IsDefault());
}

TEST_F(RowFixture, DesignRowAssignCopiesOrResetsTheRowObject) {
    TgrDesignRow a(&grid, Variant(2)), b(&grid, Variant(3));
    a.SetIs3D(true);
    b.Assign(&a);
    ASSERT_NE(rows.GetRow(3), nullptr);
    EXPECT_TRUE(rows.GetRow(3)->Is3D());
    TgrDesignRow c(&grid, Variant(4));
    b.Assign(&c);  // the source row has no object: this one is reset and dropped
    EXPECT_EQ(rows.GetRow(3), nullptr);
    TgrDesignRow d(&grid, Variant(5));
    d.Assign(&c);  // neither has one: nothing happens
    EXPECT_EQ(rows.GetRow(5), nullptr);
}

// Spin settings and picture options of a cell, resolved over the cell, its
// row and column and the grid, without a canvas.

#include <gtest/gtest.h>

#include "grid/TSGrid.h"
#include "grid/tests/GridClassSupport.h"
#include "platform/gui/Forms.h"

namespace {

class GridButtonAttributes : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        form = new TForm(Application);
        grid = new TLogGrid(form);
        grid->SetParent(form);
        grid->SetBounds(0, 0, 400, 200);
        grid->SetCols(4);
        grid->SetRows(6);
    }
    void TearDown() override { Application->ResetForTesting(); }
    TForm* form = nullptr;
    TLogGrid* grid = nullptr;
};

TEST_F(GridButtonAttributes, SpinSettingsComeFromTheLevelWithASpinButton) {
    TgrCol* col = grid->Col(2);
    col->SetButtonType(btVertSpin);
    col->SetSpinIncrement(5);
    col->SetSpinOptions(SpinOptionBit(spoAutoRepeat));
    grid->GridRows()->EnsureRow(3)->SetButtonType(btCombo);
    grid->SetDrawOverlap(doDrawRowOnTop);
    // The row's combo wins the button, but the spin settings still come
    // from the column, the first level whose own button is a spin.
    TgrDropDownStyle style;
    EXPECT_EQ(grid->ResolveButtonType(2, 3, style), btCombo);
    EXPECT_EQ(grid->EffectiveSpinIncrement(2, 3), 5.0);
    EXPECT_EQ(grid->EffectiveSpinOptions(2, 3), SpinOptionBit(spoAutoRepeat));
    // A cell with a spin button of its own brings its own settings.
    grid->SetCellProp(2, 4, gpButtonType, pkNoPicture, Variant(Byte(btHorzSpin)));
    grid->SetCellProp(2, 4, gpSpinIncrement, pkNoPicture, Variant(2.5));
    EXPECT_EQ(grid->EffectiveSpinIncrement(2, 4), 2.5);
    EXPECT_EQ(grid->EffectiveSpinOptions(2, 4), grAllSpinOptions);
    struct Case {
        const char* name;
        Integer col, row;
    } none[] = {
        {"no level has a spin button", 1, 1},
        {"row bar", 0, 2},
        {"heading", 2, 0},
        {"beyond the last row", 2, 7},
        {"beyond the last column", 5, 2},
    };
    for (const Case& c : none) {
        EXPECT_EQ(grid->EffectiveSpinIncrement(c.col, c.row), 0.0) << c.name;
        EXPECT_EQ(grid->EffectiveSpinOptions(c.col, c.row), 0) << c.name;
    }
}

TEST_F(GridButtonAttributes, PictureOptionsResolveBeforeTheGridsSettings) {
    grid->Col(1)->SetPicture(pkStretchPicture, dopOff);
    grid->GridRows()->EnsureRow(2)->SetPicture(pkStretchPicture, dopOn);
    grid->GridRows()->EnsureRow(2)->SetPicture(pkKeepAspectRatio, dopOn);
    grid->SetCellProp(1, 3, gpPicture, pkCenterPicture, Variant(Byte(dopOff)));
    struct Case {
        const char* name;
        TgrDrawOverlap overlap;
        Integer col, row;
        TgrDrawOption stretch;
        bool stretchUsed, keepAspectUsed, centerUsed;
    } cases[] = {
        {"column on top", doDrawColOnTop, 1, 2, dopOff, false, true, true},
        {"row on top", doDrawRowOnTop, 1, 2, dopOn, true, true, true},
        {"no level: the grid's settings", doDrawColOnTop, 2, 1, dopDefault, true, false, true},
        {"the cell's own option", doDrawColOnTop, 1, 3, dopOff, false, false, false},
        {"heading", doDrawColOnTop, 1, 0, dopDefault, true, false, true},
    };
    for (const Case& c : cases) {
        grid->SetDrawOverlap(c.overlap);
        EXPECT_EQ(grid->EffectiveStretchPicture(c.col, c.row), c.stretch) << c.name;
        TgrPictureOptions o = grid->EffectivePictureOptions(c.col, c.row);
        EXPECT_EQ(o.Stretch, c.stretchUsed) << c.name;
        EXPECT_EQ(o.KeepAspectRatio, c.keepAspectUsed) << c.name;
        EXPECT_EQ(o.Center, c.centerUsed) << c.name;
    }
    // The grid's own Booleans apply where no level decides.
    grid->SetStretchPicture(false);
    EXPECT_FALSE(grid->EffectivePictureOptions(2, 1).Stretch);
}

}  // namespace

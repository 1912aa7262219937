// Scaling the grid class: what ChangeScale does to the grid's own sizes and
// fonts under AutoScale, HeadingParentFont and design mode, and a grid on a
// form read from a file stored at another PixelsPerInch.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "grid/GridForm.h"
#include "grid/tests/GridClassSupport.h"
#include "grid/tests/GridTestSupport.h"
#include "platform/core/Filer.h"
#include "platform/core/Streams.h"
#include "platform/gui/FormFile.h"
#include "platform/gui/Forms.h"

namespace {

// A grid of 4 columns and 3 rows with something of each kind to scale:
// column 1 of width 80, column 2 with an own font of 10 points, column 3
// with a combo, column 4 hidden; row 2 of height 20, row 3 with an own font
// of 8 points; cell (1, 1) with a font of 12 points; a heading font of its
// own (8 points) unless headingParentFont.
std::unique_ptr<TLogGrid> ScaledGridFixture(bool autoScale, bool headingParentFont, bool designing) {
    auto grid = std::make_unique<TLogGrid>(nullptr);
    grid->SetBounds(0, 0, 200, 100);
    grid->SetCols(4);
    grid->SetRows(3);
    grid->SetAutoScale(autoScale);
    grid->Col(1)->SetWidth(80);
    TFont f;
    f.SetSize(10);
    grid->Col(2)->SetFont(&f);
    grid->Col(3)->SetButtonType(btCombo);
    grid->Col(3)->CreateCombo();
    grid->Col(4)->SetVisible(false);
    grid->SetRowHeight(2, 20);
    f.SetSize(8);
    grid->SetRowFont(3, &f);
    f.SetSize(12);
    grid->SetCellFont(1, 1, &f);
    f.SetSize(8);
    if (!headingParentFont) grid->SetHeadingFont(f);
    grid->SetHeadingParentFont(headingParentFont);
    grid->SetDesignFlag(designing);
    return grid;
}

std::map<std::string, int> Measure(TLogGrid& g) {
    return {
        {"grid width", g.Width()},
        {"DefaultColWidth", g.DefaultColWidth()},
        {"col 1 width", g.Col(1)->Width()},
        {"col 1 shown width", g.DisplayColWidth(g.Col(1)->DisplayCol())},
        {"col 2 shown width", g.DisplayColWidth(g.Col(2)->DisplayCol())},
        {"col 4 width", g.Col(4)->Width()},
        {"col 4 shown width", g.DisplayColWidth(g.Col(4)->DisplayCol())},
        {"DefaultRowHeight", g.DefaultRowHeight()},
        {"row 1 shown height", g.DisplayRowHeight(1)},
        {"row 2 height", g.GridRows()->GetRow(2)->Height()},
        {"row 2 shown height", g.DisplayRowHeight(2)},
        {"HeadingHeight", g.HeadingHeight()},
        {"RowBarWidth", g.RowBarWidth()},
        {"heading font", g.HeadingFont()->Size()},
        {"col 2 font", g.Col(2)->OwnFont()->Size()},
        {"row 3 font", g.GetRowFont(3)->Size()},
        {"cell 1,1 font", g.GetCellFont(1, 1)->Size()},
        {"col 3 combo list row height", g.Col(3)->Combo()->ComboGrid()->DefaultRowHeight()},
        {"ComboRowHeight", g.ComboRowHeight()},
    };
}

TEST(GridScale, ChangeScaleFollowsAutoScaleHeadingParentFontAndDesignMode) {
    EnsureGuiApplication();
    // Each size before and after ChangeScale(120, 96), and what it follows:
    // 'b' the platform's scaling of the control (always), 'g' the grid's
    // own scaling (AutoScale), 'h' the own heading font (AutoScale without
    // HeadingParentFont), 'c' the combo row height (AutoScale, not designing).
    struct Size {
        std::string name;
        int before, after;
        char follows;
    };
    const Size sizes[] = {
        {"grid width", 200, 250, 'b'},
        {"DefaultColWidth", 64, 80, 'g'},
        {"col 1 width", 80, 100, 'g'},
        {"col 1 shown width", 80, 100, 'g'},
        {"col 2 shown width", 64, 80, 'g'},
        {"col 4 width", 64, 80, 'g'},
        {"col 4 shown width", 0, 0, 'g'},
        {"DefaultRowHeight", 14, 18, 'g'},  // 17.5 rounds away from zero
        {"row 1 shown height", 14, 18, 'g'},
        {"row 2 height", 20, 25, 'g'},
        {"row 2 shown height", 20, 25, 'g'},
        {"HeadingHeight", 15, 19, 'g'},
        {"RowBarWidth", 14, 18, 'g'},
        {"col 2 font", 10, 13, 'g'},
        {"row 3 font", 8, 10, 'g'},
        {"cell 1,1 font", 12, 15, 'g'},
        {"col 3 combo list row height", 14, 18, 'g'},
        {"heading font", 8, 10, 'h'},
        {"ComboRowHeight", 14, 18, 'c'},
    };
    struct Case {
        std::string name;
        int m, d;
        bool autoScale, headingParentFont, designing;
        std::string scaled;  // which of b, g, h, c change
    };
    const Case cases[] = {
        {"AutoScale", 120, 96, true, false, false, "bghc"},
        {"AutoScale off", 120, 96, false, false, false, "b"},
        {"heading follows the grid font", 120, 96, true, true, false, "bgc"},
        {"designing", 120, 96, true, false, true, "bgh"},
        {"M = D", 96, 96, true, false, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto grid = ScaledGridFixture(c.autoScale, c.headingParentFont, c.designing);
        auto before = Measure(*grid);
        grid->ChangeScale(c.m, c.d);
        auto after = Measure(*grid);
        for (const Size& s : sizes) {
            EXPECT_EQ(before[s.name], s.before) << s.name;
            bool scaled = c.scaled.find(s.follows) != std::string::npos;
            EXPECT_EQ(after[s.name], scaled ? s.after : s.before) << s.name;
        }
    }
}

TEST(GridScale, AWorkingComboMadeAfterScalingTakesTheScaledRowHeightOutsideDesignMode) {
    EnsureGuiApplication();
    for (bool designing : {false, true}) {
        SCOPED_TRACE(designing ? "designing" : "running");
        TLogGrid grid(nullptr);
        grid.SetAutoScale(true);
        grid.SetDesignFlag(designing);
        grid.ChangeScale(120, 96);
        ASSERT_NE(grid.GetCombo(), nullptr);
        EXPECT_EQ(grid.GetCombo()->ComboGrid()->DefaultRowHeight(), designing ? 14 : 18);
    }
}

// A form class with a grid named Grid1, as a form's constructor makes it.
class TGridForm : public TForm {
public:
    explicit TGridForm(TComponent* owner) : TForm(owner) {
        Grid = new TLogGrid(this);
        Grid->SetName("Grid1");
        Grid->SetParent(this);
    }
    TLogGrid* Grid;
};

// The stored form: its properties, then the grid (columns of 80 and 40
// with AutoScale) under the name given.
void WriteForm(TStream& s, int pixelsPerInch, bool scaled, const std::string& gridName) {
    TLogGrid source(nullptr);
    source.SetName(gridName);
    source.SetCols(2);
    source.SetAutoScale(true);
    source.Col(1)->SetWidth(80);
    source.Col(2)->SetWidth(40);
    TWriter w(s);
    w.WriteString("TGridForm");
    w.WriteString("GridForm");
    w.WriteString("ClientWidth");
    w.WriteInteger(400);
    w.WriteString("PixelsPerInch");
    w.WriteInteger(pixelsPerInch);
    w.WriteString("Scaled");
    w.WriteBoolean(scaled);
    w.WriteListEnd();
    WriteGridComponent(w, source);
    w.WriteListEnd();
    s.SetPosition(0);
}

TEST(GridScale, AGridOnAFormStoredAtAnotherPixelsPerInchIsScaledWhenTheFormIsScaled) {
    Application->Initialize();
    struct Case {
        int pixelsPerInch;
        bool scaled;
        int col1, col2, clientWidth;
    };
    const Case cases[] = {
        {120, true, 64, 32, 320},
        {120, false, 80, 40, 400},
        {96, true, 80, 40, 400},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.pixelsPerInch) + (c.scaled ? " scaled" : ""));
        TMemoryStream s;
        WriteForm(s, c.pixelsPerInch, c.scaled, "Grid1");
        auto form = std::make_unique<TGridForm>(nullptr);
        ReadFormFromStream(*form, s);
        EXPECT_EQ(form->Grid->Col(1)->Width(), c.col1);
        EXPECT_EQ(form->Grid->Col(2)->Width(), c.col2);
        EXPECT_EQ(form->Grid->DisplayColWidth(form->Grid->Col(1)->DisplayCol()), c.col1);
        EXPECT_EQ(form->ClientWidth(), c.clientWidth);
        EXPECT_EQ(form->PixelsPerInch(), 96);
    }
    TMemoryStream s;
    WriteForm(s, 120, true, "Grid2");
    auto form = std::make_unique<TGridForm>(nullptr);
    EXPECT_THROW(ReadFormFromStream(*form, s), EReadError);
}

}  // namespace

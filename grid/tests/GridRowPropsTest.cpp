// Row attributes by data row on the real grid class: through the row proxy
// of form files and the grid's own setters every attribute lands on the
// row object, reaches what the row's cells are painted from, and a row
// given back its defaults loses its object.

#include <gtest/gtest.h>

#include "grid/GridColRow.h"
#include "grid/TSGrid.h"
#include "grid/tests/GridClassSupport.h"

namespace {

class GridRowProps : public ::testing::Test {
protected:
    GridRowProps() {
        EnsureGuiApplication();
        grid = std::make_unique<TLogGrid>(nullptr);
        grid->SetCols(3);
        grid->SetRows(6);
    }
    bool HasObject(Integer dataRow) { return grid->GridRows()->GetRow(dataRow) != nullptr; }
    std::unique_ptr<TLogGrid> grid;
};

TEST_F(GridRowProps, EveryProxyAttributeLandsAndItsDefaultReleasesTheRow) {
    struct Case {
        const char* name;
        std::function<void(TgrDesignRow&)> set, reset;
        std::function<bool(TgrDesignRow&)> changed;
    };
    const Case cases[] = {
        {"Color", [](TgrDesignRow& p) { p.SetColor(clRed); }, [](TgrDesignRow& p) { p.SetColor(grColorNotSet); },
         [](TgrDesignRow& p) { return p.GetColor() == clRed; }},
        {"HorzAlignment", [](TgrDesignRow& p) { p.SetHorzAlignment(htaRight); },
         [](TgrDesignRow& p) { p.SetHorzAlignment(htaDefault); },
         [](TgrDesignRow& p) { return p.GetHorzAlignment() == htaRight; }},
        {"VertAlignment", [](TgrDesignRow& p) { p.SetVertAlignment(vtaBottom); },
         [](TgrDesignRow& p) { p.SetVertAlignment(vtaDefault); },
         [](TgrDesignRow& p) { return p.GetVertAlignment() == vtaBottom; }},
        {"WordWrap", [](TgrDesignRow& p) { p.SetWordWrap(wwOn); }, [](TgrDesignRow& p) { p.SetWordWrap(wwDefault); },
         [](TgrDesignRow& p) { return p.GetWordWrap() == wwOn; }},
        {"ReadOnly", [](TgrDesignRow& p) { p.SetReadOnly(true); }, [](TgrDesignRow& p) { p.SetReadOnly(false); },
         [](TgrDesignRow& p) { return p.GetReadOnly(); }},
        {"Is3D", [](TgrDesignRow& p) { p.SetIs3D(true); }, [](TgrDesignRow& p) { p.SetIs3D(false); },
         [](TgrDesignRow& p) { return p.GetIs3D(); }},
        {"ButtonType", [](TgrDesignRow& p) { p.SetButtonType(btNormal); },
         [](TgrDesignRow& p) { p.SetButtonType(btDefault); },
         [](TgrDesignRow& p) { return p.GetButtonType() == btNormal; }},
        {"ControlType", [](TgrDesignRow& p) { p.SetControlType(ctCheck); },
         [](TgrDesignRow& p) { p.SetControlType(ctDefault); },
         [](TgrDesignRow& p) { return p.GetControlType() == ctCheck; }},
        {"MaskName", [](TgrDesignRow& p) { p.SetMaskName("Digits"); }, [](TgrDesignRow& p) { p.SetMaskName(""); },
         [](TgrDesignRow& p) { return p.GetMaskName() == "Digits"; }},
        {"SpinOptions", [](TgrDesignRow& p) { p.SetSpinOptions(SpinOptionBit(spoKeyEdit)); },
         [](TgrDesignRow& p) { p.SetSpinOptions(grAllSpinOptions); },
         [](TgrDesignRow& p) { return p.GetSpinOptions() == SpinOptionBit(spoKeyEdit); }},
        {"SpinIncrement", [](TgrDesignRow& p) { p.SetSpinIncrement(2.5); },
         [](TgrDesignRow& p) { p.SetSpinIncrement(1.0); },
         [](TgrDesignRow& p) { return p.GetSpinIncrement() == 2.5; }},
        {"StretchPicture", [](TgrDesignRow& p) { p.SetStretchPicture(dopOff); },
         [](TgrDesignRow& p) { p.SetStretchPicture(dopDefault); },
         [](TgrDesignRow& p) { return p.GetStretchPicture() == dopOff && p.GetShrinkPicture() == dopDefault; }},
        {"KeepAspectRatio", [](TgrDesignRow& p) { p.SetKeepAspectRatio(dopOn); },
         [](TgrDesignRow& p) { p.SetKeepAspectRatio(dopDefault); },
         [](TgrDesignRow& p) { return p.GetKeepAspectRatio() == dopOn; }},
        {"ParentFont", [](TgrDesignRow& p) { p.SetParentFont(false); }, [](TgrDesignRow& p) { p.SetParentFont(true); },
         [](TgrDesignRow& p) { return !p.GetParentFont(); }},
        {"Visible", [](TgrDesignRow& p) { p.SetVisible(false); }, [](TgrDesignRow& p) { p.SetVisible(true); },
         [](TgrDesignRow& p) { return !p.GetVisible(); }},
        {"Height", [](TgrDesignRow& p) { p.SetHeight(31); }, [](TgrDesignRow& p) { p.SetHeight(14); },
         [](TgrDesignRow& p) { return p.GetHeight() == 31; }},
    };
    for (const Case& c : cases) {
        TgrDesignRow proxy(grid.get(), Variant(Integer(4)));
        EXPECT_FALSE(c.changed(proxy)) << c.name;
        c.reset(proxy);
        EXPECT_FALSE(HasObject(4)) << c.name << ": a default on a plain row makes no object";
        c.set(proxy);
        EXPECT_TRUE(c.changed(proxy)) << c.name;
        EXPECT_TRUE(HasObject(4)) << c.name;
        c.reset(proxy);
        EXPECT_FALSE(c.changed(proxy)) << c.name;
        EXPECT_FALSE(HasObject(4)) << c.name << ": the row back at its defaults is let go";
    }
}

TEST_F(GridRowProps, RowAttributesReachThePaintedCellsAndTheGeometry) {
    grid->SetRowHorzAlignment(2, htaRight);
    grid->SetRowColor(2, TColor(0x00FF00));
    grid->SetRowWordWrap(2, wwOn);
    grid->SetRowHeight(3, 40);
    TgrCellPaintInfo info;
    grid->FillDrawInfo(1, grid->DisplayRowOfData(2), info);
    EXPECT_EQ(info.HorzAlignment, htaRight);
    EXPECT_EQ(info.Color, TColor(0x00FF00));
    EXPECT_EQ(info.WordWrap, wwOn);
    EXPECT_EQ(grid->GetRowHeightAt(grid->DisplayRowOfData(3)), 40);
    EXPECT_EQ(grid->GetRowHeight(3), 40);
    EXPECT_EQ(grid->GetRowHeight(5), grid->DefaultRowHeight());
    EXPECT_FALSE(HasObject(5)) << "reading makes no object";

    grid->SetRowVisible(4, false);
    EXPECT_FALSE(grid->GetRowVisible(4));
    Integer next = 0;
    EXPECT_TRUE(grid->FindNextEnterableRow(3, false, next, false));
    EXPECT_EQ(next, 5) << "navigation skips the hidden row";
    grid->SetRowReadOnly(5, true);
    EXPECT_TRUE(grid->IsRowReadOnly(5));
    EXPECT_TRUE(grid->GetRowReadOnly(5));
}

TEST_F(GridRowProps, SelectionAndChangedFlagsByDataRow) {
    grid->SetRowSelected(3, true);
    EXPECT_TRUE(grid->GetRowSelected(3));
    EXPECT_TRUE(grid->IsRowSelected(3));
    grid->SetRowSelected(3, false);
    EXPECT_FALSE(grid->GetRowSelected(3));
    grid->SetRowChanged(2, true);
    EXPECT_TRUE(grid->GetRowChanged(2));
    EXPECT_FALSE(grid->GetRowChanged(3));
}

TEST_F(GridRowProps, IndexesOutsideTheRowsAreRefused) {
    auto message = [](const std::function<void()>& f) {
        try {
            f();
        } catch (const Exception& e) {
            return e.Message;
        }
        return std::string();
    };
    EXPECT_NE(message([&] { grid->SetRowColor(7 + 1, clRed); }), "");
    EXPECT_NE(message([&] { grid->GetRowVisible(7); }), "") << "visibility is asked of data rows only";
    EXPECT_NE(message([&] { grid->SetRowSelected(0, true); }), "");
    EXPECT_FALSE(grid->IsRowVisible(-1)) << "the question form never raises";
}


TEST_F(GridRowProps, CellAttributesByDataColumnAndRowReachThePaintedCell) {
    grid->SetCellHorzAlignment(2, 3, htaCenter);
    grid->SetCellColor(2, 3, TColor(0x0000FF));
    grid->SetCellTag(2, 3, 42);
    grid->SetCellReadOnly(2, 3, roOn);
    TgrCellPaintInfo info;
    grid->FillDrawInfo(grid->DisplayColOfData(2), grid->DisplayRowOfData(3), info);
    EXPECT_EQ(info.HorzAlignment, htaCenter);
    EXPECT_EQ(info.Color, TColor(0x0000FF));
    EXPECT_EQ(grid->GetCellTag(2, 3), 42);
    EXPECT_EQ(grid->GetCellReadOnly(2, 3), roOn);
    EXPECT_EQ(grid->GetCellReadOnly(1, 3), roDefault);
}

}  // namespace

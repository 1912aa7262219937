// Row and cell properties kept by record: the sparse stores, the accessors
// by record, and the attributes reaching the painted cells of the record
// wherever the window shows it.
#include "dbgrid/tests/DBGridTestSupport.h"

#include <QImage>

#include "dbgrid/DBGridRecordFacades.h"
#include "grid/GridCombo.h"
#include "grid/TSDateTimeDef.h"
#include "platform/core/Exception.h"
#include "platform/data/DataSet.h"

namespace {

constexpr TColor kRed = 0x0000FF, kLime = 0x00FF00, kBlue = 0xFF0000;

class DBGridRecordProps : public DBGridFixture {
protected:
    static QRgb Rgb(TColor c) { return qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
    TRect Cell(Integer dataCol, Integer row) {
        return grid->CellPixels(grid->DisplayColOfData(dataCol), grid->DisplayRowOfData(row));
    }
    // The colour near a cell's bottom right corner, clear of its text.
    QRgb Background(Integer dataCol, Integer row) {
        TRect r = Cell(dataCol, row);
        return grid->Surface().pixel(r.Right - 3, r.Bottom - 3);
    }
    // The pixels of a cell that are not its background: how many have
    // colour ink, and their mean x from the cell's left edge.
    struct Ink {
        int Count = 0, Coloured = 0;
        double MeanX = 0;
    };
    Ink InkOf(Integer dataCol, Integer row, QRgb coloured) {
        TRect r = Cell(dataCol, row);
        QRgb back = Background(dataCol, row);
        Ink ink;
        double sum = 0;
        for (int y = r.Top + 1; y < r.Bottom - 2; ++y)
            for (int x = r.Left + 1; x < r.Right - 2; ++x) {
                QRgb p = grid->Surface().pixel(x, y);
                if (p == back) continue;
                ++ink.Count;
                sum += x - r.Left;
                if (p == coloured) ++ink.Coloured;
            }
        ink.MeanX = ink.Count ? sum / ink.Count : 0;
        return ink;
    }
};

TEST_F(DBGridRecordProps, StoresHoldOnlyRecordsWithAPropertyInColumnThenRecordOrder) {
    Fill(3);
    Bind();
    Variant r2(BookmarkOf(2));
    TgrDBCellPropSet& cells = grid->RecordCellProps();
    // The not-set colour into a record that has no cell record changes nothing.
    TgrCustomPropElement* none = nullptr;
    EXPECT_FALSE(cells.SetPropValue(DBCellKey(2, r2), true, pkNoPicture, gpColor, Variant(Integer(grColorNotSet)),
                                    none));
    EXPECT_EQ(cells.Count(), 0);
    grid->SetCellColor(2, r2, kRed);
    grid->SetCellColor(1, r2, kBlue);
    ASSERT_EQ(cells.Count(), 2);
    EXPECT_EQ(cells.Records()[0]->DataCol, 1);
    EXPECT_EQ(cells.Records()[1]->DataCol, 2);
    EXPECT_EQ(grid->GetCellColor(2, r2), kRed);
    grid->SetCellColor(1, r2, grColorNotSet);
    EXPECT_EQ(cells.Count(), 1);
    // A record that only has a colour answers every other attribute unset.
    grid->SetRowColor(r2, kRed);
    EXPECT_EQ(grid->RecordRowProps().Count(), 1);
    EXPECT_EQ(grid->GetRowHorzAlignment(r2), htaDefault);
    EXPECT_TRUE(grid->GetRowParentFont(r2));
    EXPECT_TRUE(grid->GetCellParentCombo(2, r2));
    EXPECT_EQ(grid->GetCellSpinIncrement(2, r2), 1.0);
    // Keys outside the grid: setters refuse, getters answer unset.
    try {
        grid->SetCellColor(0, r2, kRed);
        ADD_FAILURE() << "column 0 was taken";
    } catch (const EInvalidGridOperation& e) {
        EXPECT_NE(std::string(e.what()).find("Column index 0 out of range"), std::string::npos) << e.what();
    }
    EXPECT_EQ(grid->GetCellColor(0, r2), grColorNotSet);
    try {
        grid->SetRowColor(Variant(Integer(12)), kRed);
        ADD_FAILURE() << "an integer DataRow was taken";
    } catch (const EInvalidGridOperation& e) {
        EXPECT_NE(std::string(e.what()).find("Invalid bookmark value"), std::string::npos) << e.what();
    }
    // A record row is as high as every row, visible and in its window place.
    EXPECT_EQ(grid->GetRowHeight(r2), grid->DefaultRowHeight());
    grid->SetRowHeight(r2, 40);
    EXPECT_EQ(grid->GetRowHeight(r2), grid->DefaultRowHeight());
    EXPECT_TRUE(grid->GetRowVisible(r2));
    EXPECT_EQ(grid->GetDisplayRow(r2), grid->WindowPositionOfDataRow(r2));
    EXPECT_EQ(grid->GetRowId(r2), -1);
    // Unbound, the accessors are the grid class's by row number.
    grid->SetDataSource(nullptr);
    grid->SetRowColor(Variant(Integer(2)), kLime);
    EXPECT_EQ(grid->GetRowColor(Integer(2)), kLime);
}

TEST_F(DBGridRecordProps, PaintedCellsShowTheirRecordsColoursFontsAndAlignment) {
    Fill(20);
    Bind();
    Variant r3(BookmarkOf(3));
    grid->SetRowColor(r3, kLime);
    grid->SetCellColor(3, r3, kRed);
    TFont blue;
    blue.Assign(*grid->Font());
    blue.SetColor(kBlue);
    grid->SetRowFont(r3, &blue);
    grid->SetCellHorzAlignment(2, r3, htaRight);
    struct Look {
        Integer row;
        QRgb idBack, scoreBack;
        bool blueText, nameRight;
    };
    auto check = [&](const Look& l, const char* when) {
        grid->Repaint();
        EXPECT_EQ(Background(1, l.row), l.idBack) << when << " row " << l.row;
        EXPECT_EQ(Background(3, l.row), l.scoreBack) << when << " row " << l.row;
        Ink name = InkOf(2, l.row, Rgb(kBlue));
        ASSERT_GT(name.Count, 0) << when;
        EXPECT_EQ(name.Coloured > 0, l.blueText) << when << " row " << l.row;
        double middle = (Cell(2, l.row).Right - Cell(2, l.row).Left) / 2.0;
        EXPECT_EQ(name.MeanX > middle, l.nameRight) << when << " row " << l.row;
    };
    QRgb plain = Rgb(clWhite);
    Integer row = grid->WindowPositionOfDataRow(r3);
    ASSERT_EQ(row, 3);
    check({row, Rgb(kLime), Rgb(kRed), true, true}, "shown");
    check({2, plain, plain, false, false}, "shown");
    // Scrolled, the record shows elsewhere and so do its attributes.
    table->Last();
    while (table->FieldByName("ID")->AsInteger() > 3) table->Prior();
    row = grid->WindowPositionOfDataRow(r3);
    ASSERT_GE(row, 1);
    ASSERT_NE(row, 3);
    check({row, Rgb(kLime), Rgb(kRed), true, true}, "scrolled");
    check({row == 1 ? 2 : 1, plain, plain, false, false}, "scrolled");
    // Without its row font the record's text takes the grid's again.
    grid->SetRowParentFont(r3, true);
    check({row, Rgb(kLime), Rgb(kRed), false, true}, "parent font");
}

TEST_F(DBGridRecordProps, ACellLoadedHandlerColoursTheCellInTheSamePaint) {
    Fill(4);
    Bind();
    Variant r2(BookmarkOf(2));
    int loads = 0;
    grid->OnCellLoaded = [&](TObject* sender, Integer col, const Variant& row, Variant&) {
        ++loads;
        if (col == 3) static_cast<TgrCustomDBGrid*>(sender)->SetCellColor(3, row, row == r2 ? kRed : clWindow);
    };
    grid->Repaint();
    EXPECT_GT(loads, 0);
    EXPECT_EQ(Background(3, 2), Rgb(kRed));
    EXPECT_EQ(Background(3, 1), Rgb(clWhite));
    // The window colour keeps the store to the one coloured cell.
    EXPECT_EQ(grid->RecordCellProps().Count(), 1);
}

TEST_F(DBGridRecordProps, EditingAttributesOfARecordApplyToItsWindowRow) {
    Fill(6);
    Bind();
    Variant r2(BookmarkOf(2));
    Integer row = grid->WindowPositionOfDataRow(r2);
    ASSERT_EQ(row, 2);
    grid->SetRowButtonType(r2, btVertSpin);
    grid->SetRowSpinIncrement(r2, 5);
    grid->SetCellMaskName(2, r2, "Digits");
    grid->SetCellStretchPicture(1, r2, dopOn);
    grid->SetRowWordWrap(r2, wwOn);
    grid->SetCellControlType(3, r2, ctCheck);
    auto* def = new TgrDateTimeDefComponent(nullptr);
    grid->SetRowDateTimeDef(r2, def);
    TgrDropDownStyle style;
    struct Case {
        const char* what;
        bool onRecord, elsewhere;
    } cases[] = {
        {"spin button", grid->ResolveButtonType(1, row, style) == btVertSpin,
         grid->ResolveButtonType(1, 1, style) == btNone},
        {"spin increment", grid->EffectiveSpinIncrement(1, row) == 5, grid->EffectiveSpinIncrement(1, 1) == 0},
        {"mask", grid->EffectiveMaskName(2, row) == "Digits", grid->EffectiveMaskName(2, 1).empty()},
        {"picture", grid->EffectiveStretchPicture(1, row) == dopOn, grid->EffectiveStretchPicture(1, 1) == dopDefault},
        {"word wrap", grid->EffectiveWordWrap(1, row) == wwOn, grid->EffectiveWordWrap(1, 1) != wwOn},
        {"control type", grid->EffectiveControlType(3, row) == ctCheck, grid->EffectiveControlType(3, 1) == ctText},
        {"date-time", grid->EffectiveDateTimeDef(1, row) == def, grid->EffectiveDateTimeDef(1, 1) != def},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(c.onRecord) << c.what;
        EXPECT_TRUE(c.elsewhere) << c.what;
    }
    // A definition going away leaves the record row without it.
    delete def;
    EXPECT_EQ(grid->GetRowDateTimeDef(r2), nullptr);
    // A combo of the record's own cell governs it where it is shown.
    grid->SetCellButtonType(2, r2, btCombo);
    TgrCombo* combo = grid->CreateCellCombo(2, r2);
    ASSERT_NE(combo, nullptr);
    EXPECT_FALSE(grid->GetCellParentCombo(2, r2));
    EXPECT_EQ(grid->EffectiveCombo(2, row), combo);
    EXPECT_NE(grid->EffectiveCombo(2, 1), combo);
    EXPECT_EQ(combo->ComboGrid()->DefaultColWidth(), grid->Col(2)->Width() + 10);
}

TEST_F(DBGridRecordProps, ResetsDeselectEveryRecordAndDropCellsOnlyColoured) {
    Fill(12);
    Bind();
    Variant r2(BookmarkOf(2)), r11(BookmarkOf(11));
    grid->SelectRows(Variant(BookmarkOf(1)), r11, true);
    grid->SetRowColor(r2, kRed);
    grid->SetCellColor(2, r11, kRed);
    grid->SetCellColor(3, r11, kRed);
    grid->SetCellMaskName(3, r11, "Digits");
    grid->ResetRowProperties({gpSelected});
    EXPECT_EQ(SelectedRuns(12), "");
    EXPECT_EQ(grid->GetRowColor(r2), kRed);
    grid->ResetCellProperties({gpColor});
    ASSERT_EQ(grid->RecordCellProps().Count(), 1);
    EXPECT_EQ(grid->GetCellMaskName(3, r11), "Digits");
    grid->ResetRowProperties({gpColor});
    EXPECT_EQ(grid->RecordRowProps().Count(), 0);
}

TEST_F(DBGridRecordProps, ScalingChangesTheRowHeightAndTheRecordsOwnFonts) {
    Fill(3);
    Bind();
    grid->SetDefaultRowHeight(17);
    Variant r1(BookmarkOf(1));
    TFont f;
    f.SetSize(8);
    grid->SetRowFont(r1, &f);
    grid->SetCellFont(2, r1, &f);
    grid->ScaleRows(96, 96, sfHeight | sfFont);
    EXPECT_EQ(grid->DefaultRowHeight(), 17);
    grid->ScaleRows(120, 96, sfHeight | sfFont);
    EXPECT_EQ(grid->DefaultRowHeight(), 21);
    EXPECT_EQ(grid->GetRowFont(r1)->Size(), 10);
    EXPECT_EQ(grid->GetCellFont(2, r1)->Size(), 8);
    grid->ScaleCells(120, 96, sfFont);
    EXPECT_EQ(grid->GetCellFont(2, r1)->Size(), 10);
}

TEST_F(DBGridRecordProps, FacadesReadAndWriteTheirRecordsProperties) {
    Fill(4);
    Bind();
    Variant r1(BookmarkOf(1)), r3(BookmarkOf(3));
    TgrDBRow row(grid, r1);
    row.SetColor(kRed);
    row.SetWordWrap(wwOn);
    row.SetStretchPicture(dopOn);
    row.SetSelected(true);
    EXPECT_EQ(grid->GetRowColor(r1), kRed);
    EXPECT_TRUE(grid->IsRecordSelected(r1));
    // Geometry stays the grid's.
    row.SetHeight(60);
    EXPECT_EQ(row.GetHeight(), grid->DefaultRowHeight());
    EXPECT_TRUE(row.GetVisible());
    // Another record's row takes every property but the geometry.
    TgrDBRow other(grid, r3);
    other.Assign(&row);
    EXPECT_EQ(grid->GetRowColor(r3), kRed);
    EXPECT_EQ(grid->GetRowWordWrap(r3), wwOn);
    EXPECT_EQ(grid->GetRowStretchPicture(r3), dopOn);
    EXPECT_TRUE(grid->IsRecordSelected(r3));
    TgrDBCell cell(grid, r3, 2);
    cell.SetColor(kBlue);
    cell.SetParentFont(false);
    EXPECT_EQ(grid->GetCellColor(2, r3), kBlue);
    ASSERT_NE(grid->GetCellFont(2, r3), nullptr);
    EXPECT_EQ(grid->GetCellFont(2, r3)->Name(), grid->Font()->Name());
    cell.SetKeepFontObject(true);
    EXPECT_TRUE(cell.GetKeepFontObject());
    cell.SetParentFont(true);
    EXPECT_EQ(grid->GetCellFont(2, r3), nullptr);
}

TEST_F(DBGridRecordProps, RecordTextIsMeasuredInTheRecordsFontAndWrap) {
    Fill(30);
    Bind();
    table->Locate("ID", Variant(25), {});
    table->Edit();
    table->FieldByName("Name")->SetAsString("a long name that wraps");
    table->Post();
    table->First();
    Variant r25(BookmarkOf(25));
    ASSERT_EQ(grid->WindowPositionOfDataRow(r25), 0);
    grid->Col(2)->SetWidth(60);
    grid->SetRowWordWrap(r25, wwOff);
    EXPECT_EQ(grid->GetRecordCellTextLines(2, r25), 1);
    grid->SetRowWordWrap(r25, wwOn);
    Integer lines = grid->GetRecordCellTextLines(2, r25);
    EXPECT_GT(lines, 1);
    Integer height = grid->GetRecordCellTextHeight(2, r25);
    TFont big;
    big.Assign(*grid->Font());
    big.SetSize(grid->Font()->Size() * 2);
    grid->SetCellFont(2, r25, &big);
    EXPECT_GT(grid->GetRecordCellTextHeight(2, r25), height);
    // A check-box cell has no text to measure.
    grid->SetCellControlType(2, r25, ctCheck);
    EXPECT_EQ(grid->GetRecordCellTextLines(2, r25), 0);
}

}  // namespace

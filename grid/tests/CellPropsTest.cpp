// Sparse cell attributes: ids and their defaults, records that exist only
// while they differ from the defaults, resets, repaint notifications and
// the cell facade.

#include <gtest/gtest.h>

#include <memory>

#include "grid/GRGLib.h"
#include "grid/GridCellProps.h"
#include "grid/tests/PropGridRecorder.h"

namespace {

struct CellFixture : ::testing::Test {
    PropGridRecorder grid;
    TgrCellPropSet& cells = grid.Cells();

    bool Set(Integer c, Integer r, TgrPropId id, const Variant& v, bool repaint = true,
             TgrPictureKind kind = pkNoPicture) {
        TgrCustomPropElement* e = cells.FindCell(c, r);
        return cells.SetPropValue(CellKey(c, r), repaint, kind, id, v, e);
    }
    Variant Get(Integer c, Integer r, TgrPropId id, TgrPictureKind kind = pkNoPicture) {
        return grid.GetCellProp(c, r, id, kind);
    }
};

}  // namespace

TEST(PropIdsTest, DefaultsByIdHaveTheirKindsAndValues) {
    struct Case {
        TgrPropId id;
        TVarType type;
        Int64 value;
    } cases[] = {
        {0, varInteger, 0x1FFFFFFF}, {5, varBoolean, 0}, {6, varBoolean, 0},  {7, varByte, 0},
        {8, varBoolean, 0},          {9, varBoolean, 0}, {15, varByte, 2},    {16, varByte, 3},
        {17, varByte, 0},            {18, varByte, 2},   {20, varBoolean, -1}, {23, varBoolean, -1},  // True reads -1
        {24, varByte, 2},            {25, varByte, 4},   {26, varByte, 7},    {27, varByte, 1},
        {28, varByte, 3},            {29, varByte, 3},   {31, varByte, 0},
    };
    for (const Case& c : cases) {
        Variant v = DefaultPropValue(c.id);
        EXPECT_EQ(v.Type(), c.type) << "id " << c.id;
        EXPECT_EQ(v.AsInt64(), c.value) << "id " << c.id;
    }
    for (TgrPropId id : {1, 22, 30, 32}) EXPECT_EQ(VariantToObject(DefaultPropValue(id)), nullptr) << id;
    EXPECT_TRUE(DefaultPropValue(21).IsString());
    EXPECT_EQ(DefaultPropValue(21).AsString(), "");
    for (TgrPropId id : {2, 3, 4, 10, 11, 12, 13, 14, 19, 33, -1}) EXPECT_TRUE(DefaultPropValue(id).IsEmpty()) << id;
}

TEST(PropIdsTest, IdSetIsFiveBytesWithBitNOfByteNDiv8) {
    TgrPropIdSet s{0, 9, 17, 32};
    EXPECT_EQ(s.Bytes[0], 0x01);
    EXPECT_EQ(s.Bytes[1], 0x02);
    EXPECT_EQ(s.Bytes[2], 0x02);
    EXPECT_EQ(s.Bytes[3], 0x00);
    EXPECT_EQ(s.Bytes[4], 0x01);
    EXPECT_TRUE(s.Contains(32));
    EXPECT_FALSE(s.Contains(31));
    EXPECT_FALSE(s.Contains(33));
    s.Include(40);  // out of range: ignored
    s.Exclude(9);
    EXPECT_EQ(s.Bytes[1], 0x00);
    TgrPropIdSet all = TgrPropIdSet::All();
    EXPECT_EQ(all.Bytes[0], 0xFF);
    EXPECT_EQ(all.Bytes[3], 0xFF);
    EXPECT_EQ(all.Bytes[4], 0x01);
    EXPECT_TRUE(TgrPropIdSet().Empty());
}

TEST(PropIdsTest, EqualityKeepsEmptyApartAndMatchesNumbersAcrossKinds) {
    EXPECT_FALSE(PropValuesEqual(Variant(), Variant(false)));
    EXPECT_FALSE(PropValuesEqual(Variant(), Variant(0)));
    EXPECT_FALSE(PropValuesEqual(Variant(), Variant(std::string())));
    EXPECT_TRUE(PropValuesEqual(Variant(Byte(3)), Variant(3)));
    EXPECT_TRUE(PropValuesEqual(Variant(Byte(1)), Variant(1.0)));
    EXPECT_FALSE(PropValuesEqual(Variant(Byte(1)), Variant(1.5)));
}

TEST_F(CellFixture, SettingTheDefaultOnACellWithoutRecordChangesNothing) {
    EXPECT_FALSE(Set(2, 3, gpColor, Variant(Integer(grColorNotSet))));
    EXPECT_EQ(cells.Count(), 0);
    EXPECT_EQ(grid.Take(), "");
}

TEST_F(CellFixture, EveryKeptAttributeMakesARecordAndItsDefaultDropsIt) {
    struct Case {
        TgrPropId id;
        TgrPictureKind kind;
        Variant value;
    } cases[] = {
        {gpColor, pkNoPicture, Variant(Integer(clRed))},
        {gpReadOnlyFlag, pkNoPicture, Variant(true)},
        {gpIs3D, pkNoPicture, Variant(true)},
        {gpWordWrap, pkNoPicture, Variant(Byte(wwOn))},
        {gpButtonType, pkNoPicture, Variant(Byte(btNormal))},
        {gpDropDownStyle, pkNoPicture, Variant(Byte(ddDropDownList))},
        {gpReadOnly, pkNoPicture, Variant(Byte(roOn))},
        {gpMaskName, pkNoPicture, Variant(std::string("phone"))},
        {gpParentCombo, pkNoPicture, Variant(false)},
        {gpPicture, pkStretchPicture, Variant(Byte(dopOn))},
        {gpPicture, pkKeepAspectRatio, Variant(Byte(dopOff))},
        {gpControlType, pkNoPicture, Variant(Byte(ctCheck))},
        {gpSpinOptions, pkNoPicture, Variant(Byte(1))},
        {gpSpinIncrement, pkNoPicture, Variant(2.5)},
        {gpHorzAlignment, pkNoPicture, Variant(Byte(htaRight))},
        {gpVertAlignment, pkNoPicture, Variant(Byte(vtaCenter))},
        {gpTag, pkNoPicture, Variant(7)},
        {gpAlignment, pkNoPicture, Variant(Byte(taCenter))},
        {gpAlign, pkNoPicture, Variant(true)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_TRUE(Set(1, 2, c.id, c.value, true, c.kind));
        ASSERT_EQ(cells.Count(), 1);
        EXPECT_TRUE(PropValuesEqual(Get(1, 2, c.id, c.kind), c.value));
        EXPECT_EQ(grid.cellsByCol.count(1), 1u);
        EXPECT_FALSE(Set(1, 2, c.id, c.value, true, c.kind));  // unchanged
        EXPECT_TRUE(Set(1, 2, c.id, DefaultPropValue(c.id), true, c.kind));
        EXPECT_EQ(cells.Count(), 0);
        EXPECT_TRUE(grid.cellsByCol.empty());
        EXPECT_TRUE(grid.cellsByRow.empty());
    }
}

TEST_F(CellFixture, RecordsSortByRowThenColumn) {
    Set(3, 1, gpColor, Variant(1));
    Set(1, 2, gpColor, Variant(2));
    Set(2, 1, gpColor, Variant(3));
    std::unique_ptr<TgrSetList> list(cells.CreateOrderedList());
    std::string order;
    for (int i = 1; i <= list->Count(); ++i) {
        auto* e = static_cast<TgrCellElement*>(static_cast<TgrSetElement*>(list->GetItem(i)));
        order += PropGridRecorder::N2(e->DataCol, e->DataRow) + " ";
    }
    EXPECT_EQ(order, "2,1 3,1 1,2 ");
}

TEST_F(CellFixture, RepaintFollowsTheKindOfAttribute) {
    Set(2, 3, gpColor, Variant(5));  // drawing only
    EXPECT_EQ(grid.Take(), "index 2,3;cellUP 2,3;");
    Set(2, 3, gpControlType, Variant(Byte(ctText)));  // not drawing only
    EXPECT_EQ(grid.Take(), "cell 2,3;");
    Set(2, 3, gpIs3D, Variant(true), false);  // no repaint asked
    EXPECT_EQ(grid.Take(), "");
    grid.curCol = 2;
    grid.curRow = 3;
    Set(2, 3, gpColor, Variant(6));
    EXPECT_EQ(grid.Take(), "cellUP 2,3;reset;frame 2,3;");
    grid.painting = true;  // nothing invalidated, so no reset either
    Set(2, 3, gpColor, Variant(7));
    EXPECT_EQ(grid.Take(), "");
}

TEST_F(CellFixture, RepaintUsesDisplayPositionsAndSkipsOutOfRangeAndSuspended) {
    grid.colDisplayOfData[2] = 4;
    grid.rowDisplayOfData[3] = 1;
    cells.RepaintCell(2, 3, false);
    EXPECT_EQ(grid.Take(), "cell 4,1;");
    cells.RepaintCell(6, 1, false);
    cells.RepaintCell(1, -1, false);
    grid.suspended = true;
    cells.RepaintCell(2, 3, false);
    EXPECT_EQ(grid.Take(), "");
}

TEST_F(CellFixture, MaskNameAlwaysNotifiesAndNeverRepaints) {
    Set(1, 1, gpMaskName, Variant(std::string("zip")), false);
    EXPECT_EQ(grid.Take(), "index 1,1;mask 1,1;");
    Set(1, 1, gpMaskName, Variant(std::string("")), true);
    EXPECT_EQ(grid.Take(), "unindex 1,1;mask 1,1;");
}

TEST_F(CellFixture, PictureKindOutsideOneToFourReadsEmptyAndWritesNothing) {
    Set(1, 1, gpPicture, Variant(Byte(dopOn)), true, pkStretchPicture);
    TgrCellElement* e = cells.FindCell(1, 1);
    for (int kind : {0, 5}) {
        EXPECT_TRUE(e->GetValue(gpPicture, TgrPictureKind(kind)).IsEmpty());
        EXPECT_FALSE(Set(1, 1, gpPicture, Variant(Byte(dopOff)), true, TgrPictureKind(kind)));
    }
    EXPECT_EQ(e->StretchPicture, Byte(dopOn));
    EXPECT_EQ(e->ShrinkPicture, Byte(dopDefault));
}

TEST_F(CellFixture, HorzAlignmentAndTheLegacyPairAgree) {
    struct Case {
        TgrHorzAlignment h;
        TAlignment a;
        bool align;
    } cases[] = {{htaCenter, taCenter, true}, {htaRight, taRightJustify, true}, {htaLeft, taLeftJustify, true},
                 {htaDefault, taLeftJustify, false}};
    Set(1, 1, gpTag, Variant(1));  // keeps the record alive throughout
    TgrCellElement* e = cells.FindCell(1, 1);
    for (const Case& c : cases) {
        e->SetHorzAlignment(c.h);
        EXPECT_EQ(e->Alignment, Byte(c.a)) << c.h;
        EXPECT_EQ(e->Align, c.align) << c.h;
    }
    e->SetHorzAlignment(htaCenter);
    e->SetAlign(false);
    EXPECT_EQ(e->HorzAlignment, Byte(htaDefault));
    e->SetAlign(true);
    EXPECT_EQ(e->HorzAlignment, Byte(htaCenter));
    e->SetAlignment(taRightJustify);
    EXPECT_EQ(e->HorzAlignment, Byte(htaRight));
}

TEST_F(CellFixture, ResetRepaintsOnceAndDropsTheRecordWhenAllDefault) {
    TFont f;
    f.SetName("Arial");
    Set(2, 2, gpColor, Variant(9), false);
    Set(2, 2, gpFont, ObjectToVariant(&f), false);
    grid.Take();
    TgrCustomPropElement* e = cells.FindCell(2, 2);
    cells.ResetElementProperties(e, TgrPropIdSet{gpColor, gpFont, gpParentFont}, true);
    EXPECT_EQ(e, nullptr);
    EXPECT_EQ(cells.Count(), 0);
    EXPECT_EQ(grid.Take(), "cellUP 2,2;unindex 2,2;");
}

TEST_F(CellFixture, ResetOfIdsCellsDoNotKeepLeavesEverything) {
    Set(2, 2, gpColor, Variant(9));
    Set(3, 3, gpIs3D, Variant(true));
    grid.Take();
    cells.ResetProperties(TgrPropIdSet{2, 3, 4, 9, 10, 11, 12, 13, 14, 19}, true);
    EXPECT_EQ(cells.Count(), 2);
    EXPECT_EQ(cells.FindCell(2, 2)->Color, 9);
    EXPECT_EQ(grid.Take(), "");  // the selected flag (9) is no cell attribute
    cells.ResetProperties(TgrPropIdSet::All(), true);
    EXPECT_EQ(cells.Count(), 0);
}

TEST_F(CellFixture, CopyingARecordLeavesTagAndObjectBehind) {
    Set(1, 1, gpColor, Variant(4));
    Set(1, 1, gpTag, Variant(77));
    Set(1, 1, gpObject, ObjectToVariant(&grid));
    Set(2, 1, gpIs3D, Variant(true));
    TgrCellElement* src = cells.FindCell(1, 1);
    TgrCellElement* dst = cells.FindCell(2, 1);
    dst->CopyProperties(*src);
    EXPECT_EQ(dst->Color, 4);
    EXPECT_FALSE(dst->Is3D);
    EXPECT_EQ(dst->Tag, 0);
    EXPECT_EQ(dst->Object, nullptr);
}

TEST_F(CellFixture, CopyingASetMakesRecordsOfThisGrid) {
    Set(1, 1, gpColor, Variant(4));
    Set(2, 3, gpMaskName, Variant(std::string("m")));
    PropGridRecorder other;
    other.Cells().CopyFrom(cells);
    ASSERT_EQ(other.Cells().Count(), 2);
    TgrCellElement* e = other.Cells().FindCell(2, 3);
    ASSERT_NE(e, nullptr);
    EXPECT_NE(e, cells.FindCell(2, 3));
    EXPECT_EQ(e->Grid, &other);
    EXPECT_EQ(e->MaskName, "m");
}

TEST_F(CellFixture, OwnFontCopiesAndItsChangesMakeParentFontFalseAndRepaint) {
    TFont f;
    f.SetName("Courier New");
    Set(1, 2, gpFont, ObjectToVariant(&f), false);
    TgrCellElement* e = cells.FindCell(1, 2);
    ASSERT_NE(e->Font, nullptr);
    EXPECT_NE(e->Font, &f);
    EXPECT_EQ(e->Font->Name(), "Courier New");
    EXPECT_FALSE(e->ParentFont);
    grid.Take();
    e->Font->SetSize(14);
    EXPECT_EQ(grid.Take(), "cellUP 1,2;");
    // ParentFont back to True drops the copy and the record.
    EXPECT_TRUE(Set(1, 2, gpParentFont, Variant(true)));
    EXPECT_EQ(cells.Count(), 0);
}

TEST_F(CellFixture, ParentFontFalseTakesAQuietCopyOfTheGridFont) {
    grid.font.SetName("Arial");
    Set(1, 1, gpParentFont, Variant(false), false);
    TgrCellElement* e = cells.FindCell(1, 1);
    ASSERT_NE(e->Font, nullptr);
    EXPECT_EQ(e->Font->Name(), "Arial");
    EXPECT_EQ(grid.Take(), "index 1,1;");
}

TEST_F(CellFixture, KeptFontCellsAreListedOnceAndDroppedWhenCleared) {
    TgrCell cell(&grid, 2, Variant(3));
    cell.SetKeepFontObject(true);
    cell.SetKeepFontObject(true);
    EXPECT_TRUE(cell.GetKeepFontObject());
    ASSERT_EQ(grid.keptFontCells.Count(), 2);
    EXPECT_EQ(grid.keptFontCells[0], 2);
    EXPECT_EQ(grid.keptFontCells[1], 3);
    cell.SetKeepFontObject(false);
    EXPECT_EQ(grid.keptFontCells.Count(), 0);
    EXPECT_EQ(cells.Count(), 0);
    EXPECT_FALSE(cell.GetKeepFontObject());
}

TEST(CellPairsTest, PairListRoutines) {
    TgrCoordList list;
    list.AddPair(1, 2);
    list.AddPair(3, 4);
    list.AddPair(1, 2);
    list.RemovePair(1, 2);
    list.SetPair(2, 5, 6);
    list.SetPair(3, 9, 9);  // no pair starts there whole
    Integer i = 0, c = 0, r = 0;
    std::string s;
    while (list.NextPair(i, c, r)) s += PropGridRecorder::N2(c, r) + " ";
    EXPECT_EQ(s, "3,4 5,6 ");
    EXPECT_EQ(i, 4);
}

TEST(CellPairsTest, LegacyAlignmentIdentifiers) {
    struct Case {
        const char* text;
        Byte value;
    } cases[] = {{"taLeftJustify", 0}, {"TARIGHTJUSTIFY", 1}, {"tacenter", 2}, {"TaCenter", 2}, {"alClient", 0}, {"", 0}};
    for (const Case& c : cases) EXPECT_EQ(AlignmentIdentValue(c.text), c.value) << c.text;
}

TEST_F(CellFixture, ComboOfACellTakesItsStyleAndColumnWidth) {
    grid.dataColWidths[2] = 90;
    Set(2, 1, gpDropDownStyle, Variant(Byte(ddDropDownList)), false);
    grid.Take();
    TgrCell cell(&grid, 2, Variant(1));
    TgrCombo* combo = cell.CreateCombo();
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(grid.Take(), "createCombo;comboWidth 90;");
    EXPECT_EQ(PropGridRecorder::Fake(combo)->Style, ddDropDownList);
    EXPECT_FALSE(cell.GetParentCombo());
    EXPECT_FALSE(cell.IsComboStored());  // ButtonType is not btCombo
    cell.SetButtonType(btCombo);
    EXPECT_TRUE(cell.IsComboStored());
    // Style reads through the combo; ParentCombo True frees it.
    PropGridRecorder::Fake(combo)->Style = ddDropDown;
    EXPECT_EQ(cell.GetDropDownStyle(), ddDropDown);
    cell.SetParentCombo(true);
    EXPECT_EQ(cell.GetCombo(), nullptr);
    EXPECT_TRUE(grid.liveCombos.empty());
}

TEST_F(CellFixture, DateTimeDefinitionIsReleasedAndUsed) {
    TgrCell cell(&grid, 1, Variant(1));
    auto* def = reinterpret_cast<TgrDateTimeDefComponent*>(&grid);  // opaque here
    cell.SetDateTimeDef(def);
    EXPECT_EQ(grid.Take(), "forgetDtd;useDtd;index 1,1;cell 1,1;");
    cell.SetDateTimeDef(nullptr);
    EXPECT_EQ(grid.Take(), "forgetDtd;releaseDtd;unindex 1,1;cell 1,1;");
    EXPECT_EQ(cells.Count(), 0);
}

TEST_F(CellFixture, CellFacadeReadsAndWritesThroughTheGrid) {
    TgrCell cell(&grid, 3, Variant(2));
    EXPECT_EQ(cell.GetColor(), grColorNotSet);
    EXPECT_EQ(cell.GetSpinIncrement(), 1.0);
    EXPECT_FALSE(cell.IsSpinIncrementStored());
    EXPECT_EQ(cells.Count(), 0);  // reading creates nothing
    cell.SetColor(clBlue);
    cell.SetSpinIncrement(0.5);
    cell.SetWordWrap(wwOff);
    cell.SetKeepAspectRatio(dopOn);
    EXPECT_TRUE(cell.IsSpinIncrementStored());
    TgrCellElement* e = cells.FindCell(3, 2);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->Color, clBlue);
    EXPECT_EQ(e->KeepAspectRatio, Byte(dopOn));

    TgrCell other(&grid, 1, Variant(5));
    other.Assign(&cell);
    EXPECT_EQ(other.GetColor(), clBlue);
    EXPECT_EQ(other.GetSpinIncrement(), 0.5);
    EXPECT_EQ(other.GetWordWrap(), wwOff);
    EXPECT_EQ(other.GetKeepAspectRatio(), dopOn);
    EXPECT_TRUE(other.GetParentFont());
    EXPECT_EQ(cells.Count(), 2);
}

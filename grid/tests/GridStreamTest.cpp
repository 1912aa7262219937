// Layout streams through the layout stream component: which properties a
// layout carries for each choice of kinds and ids, partial layouts carrying
// defaults for the ids not chosen, a full round trip of columns, rows,
// cells and values, columns matched by field name (unnamed ones by data
// column), older tagged layouts, and damaged streams refused with
// the grid left usable.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "grid/GridCellProps.h"
#include "grid/GridStream.h"
#include "grid/tests/GridClassSupport.h"
#include "grid/tests/LayoutStreamWalk.h"
#include "platform/core/Exception.h"
#include "platform/core/Filer.h"
#include "platform/core/Streams.h"

namespace {

const TgrPropKinds kAll = PropKindBit(pkGrid) | PropKindBit(pkCols) | PropKindBit(pkRows) | PropKindBit(pkCells);

std::string Bytes(TMemoryStream& s) {
    std::string b(std::size_t(s.Size()), '\0');
    s.Seek(0, soBeginning);
    if (!b.empty()) s.ReadBuffer(b.data(), Integer(b.size()));
    return b;
}

std::unique_ptr<TLogGrid> NewGrid(Integer cols, Integer rows) {
    auto g = std::make_unique<TLogGrid>(nullptr);
    g->SetCols(cols);
    g->SetRows(rows);
    return g;
}

class GridStream : public ::testing::Test {
protected:
    GridStream() {
        EnsureGuiApplication();
        grid = NewGrid(4, 6);
    }
    std::string Saved(TgrPropKinds kinds, bool saveData, const TgrPropIdSet& ids) {
        TMemoryStream s;
        grid->SaveLayoutToStream(s, kinds, saveData, ids);
        return Bytes(s);
    }
    static void Load(TgrBaseGrid& target, const std::string& bytes, bool byDataCol = true) {
        TStringStream s(bytes);
        target.LoadLayoutFromStream(s, byDataCol);
    }
    std::unique_ptr<TLogGrid> grid;
};

TEST_F(GridStream, WrittenPropertiesFollowKindsIdsAndData) {
    grid->SetStoreData(true);
    grid->PutCellValue(1, 1, Variant(std::string("x")));
    const std::set<std::string> always = {"SavePropKinds", "SaveData", "Properties", "AllProperties", "ResetProps"};
    struct Case {
        const char* name;
        TgrPropKinds kinds;
        TgrPropIdSet ids;
        bool saveData;
        std::set<std::string> extra;
    } cases[] = {
        {"everything", kAll, TgrPropIdSet::All(), false,
         {"Grid", "Cols", "ColProperties", "RowProperties", "CellProperties"}},
        {"everything with data", kAll, TgrPropIdSet::All(), true,
         {"Grid", "Cols", "ColProperties", "RowProperties", "CellProperties", "Data"}},
        {"columns and rows by width and height", PropKindBit(pkCols) | PropKindBit(pkRows),
         TgrPropIdSet{gpWidth, gpHeight}, false,
         {"Cols", "Rows", "DefaultColWidth", "DefaultRowHeight", "ColProperties", "RowProperties"}},
        {"columns without the width id", PropKindBit(pkCols), TgrPropIdSet{gpColor}, false, {"Cols", "ColProperties"}},
        {"cells only", PropKindBit(pkCells), TgrPropIdSet::All(), false, {"CellProperties"}},
    };
    for (const Case& c : cases) {
        TLayoutWalk w = WalkLayout(Saved(c.kinds, c.saveData, c.ids));
        std::set<std::string> expected = always;
        expected.insert(c.extra.begin(), c.extra.end());
        EXPECT_EQ(std::set<std::string>(w.Names.begin(), w.Names.end()), expected) << c.name;
        EXPECT_EQ(w.Names.size(), expected.size()) << c.name;
        EXPECT_EQ(w.ClassName, "TgrGridStreamComponent") << c.name;
    }
    // The id set is its five raw bytes; the alignment ids travel together.
    EXPECT_EQ(WalkLayout(Saved(kAll, false, TgrPropIdSet::All())).Strings["Properties"],
              std::string("\xFF\xFF\xFF\xFF\x01", 5));
    EXPECT_EQ(WalkLayout(Saved(PropKindBit(pkCols), false, TgrPropIdSet{gpAlign})).Strings["Properties"],
              std::string("\xC0\x00\x00\x10\x00", 5));
}

TEST_F(GridStream, PartialLayoutCarriesDefaultsForTheOtherIdsAndLeavesTheGridAlone) {
    grid->Col(1)->SetWidth(120);
    grid->Col(1)->SetColor(TColor(0x0000FF));
    grid->GridRows()->EnsureRow(2)->SetColor(TColor(0x00FF00));
    std::string bytes = Saved(PropKindBit(pkCols) | PropKindBit(pkRows), false, TgrPropIdSet{gpWidth});
    // Written from a copy: the grid itself keeps its colours.
    EXPECT_EQ(grid->Col(1)->Color(), TColor(0x0000FF));
    EXPECT_EQ(grid->GridRows()->GetRow(2)->Color(), TColor(0x00FF00));
    EXPECT_FALSE(grid->IsWriting());

    auto target = NewGrid(4, 6);
    target->Col(1)->SetColor(TColor(0xFF0000));
    Load(*target, bytes);
    EXPECT_EQ(target->Col(1)->Width(), 120);
    EXPECT_EQ(target->Col(1)->Color(), grColorNotSet);          // the default the layout carries
}

TEST_F(GridStream, RoundTripKeepsColumnsRowsCellsAndValues) {
    grid->SetGridLines(glHorizontal);
    grid->Col(1)->SetHeading("Name");
    grid->Col(2)->SetWidth(91);
    grid->Col(3)->SetVisible(false);
    grid->Col(4)->SetDisplayCol(1);
    grid->GridRows()->EnsureRow(3)->SetColor(TColor(0x123456));
    TgrCell(grid.get(), 2, Variant(5)).SetColor(TColor(0x654321));
    grid->SetStoreData(true);
    grid->PutCellValue(2, 4, Variant(std::string("kept")));
    TMemoryStream s;
    grid->SaveLayoutToStreamAll(s, true);

    auto target = NewGrid(2, 2);
    TgrCell(target.get(), 1, Variant(1)).SetColor(TColor(0x777777));  // reset by the layout
    s.Seek(0, soBeginning);
    target->LoadLayoutFromStream(s, true);
    EXPECT_EQ(target->Cols(), 4);
    EXPECT_EQ(target->Rows(), 6);
    EXPECT_EQ(target->GridLines(), glHorizontal);
    EXPECT_EQ(target->Col(1)->GetHeading(), "Name");
    EXPECT_EQ(target->Col(2)->Width(), 91);
    EXPECT_FALSE(target->Col(3)->Visible());
    EXPECT_EQ(target->DataColOfDisplay(1), 4);
    ASSERT_NE(target->GridRows()->GetRow(3), nullptr);
    EXPECT_EQ(target->GridRows()->GetRow(3)->Color(), TColor(0x123456));
    EXPECT_EQ(TgrCell(target.get(), 2, Variant(5)).GetColor(), TColor(0x654321));
    EXPECT_EQ(TgrCell(target.get(), 1, Variant(1)).GetColor(), grColorNotSet);
    EXPECT_EQ(target->GetCellValue(2, 4).AsString(), "kept");
    EXPECT_FALSE(target->IsReading());
    EXPECT_FALSE(target->IsLayoutSuspended());
}

TEST_F(GridStream, ColumnsMatchedByFieldNameTakeTheirOwnAttributes) {
    grid->Col(1)->SetFieldName("Name");
    grid->Col(2)->SetFieldName("Age");
    grid->Col(1)->SetWidth(111);
    grid->Col(2)->SetWidth(44);
    std::string bytes = Saved(PropKindBit(pkCols), false, TgrPropIdSet{gpWidth});

    auto target = NewGrid(3, 2);
    target->Col(1)->SetFieldName("Age");
    target->Col(2)->SetFieldName("Other");
    target->Col(3)->SetFieldName("Name");
    Load(*target, bytes, false);
    EXPECT_EQ(target->Cols(), 3);  // by field name the count stays
    EXPECT_EQ(target->Col(1)->Width(), 44);
    EXPECT_EQ(target->Col(3)->Width(), 111);
}

TEST_F(GridStream, ColumnsWithoutFieldNamesKeepTheirAttributesByFieldName) {
    // Read by field name, an unnamed item lands on the unnamed column of its
    // data column (not on a named one), so saving again gives the same bytes.
    grid->Col(1)->SetFieldName("Name");
    grid->Col(3)->SetHeadingColor(TColor(0x27FFFFFF));
    grid->Col(4)->SetWidth(77);
    const std::string bytes = Saved(kAll, false, TgrPropIdSet::All());

    auto target = NewGrid(4, 6);
    target->Col(4)->SetFieldName("Other");
    Load(*target, bytes, false);
    EXPECT_EQ(target->Col(3)->HeadingColor(), TColor(0x27FFFFFF));
    EXPECT_EQ(target->Col(4)->Width(), target->DefaultColWidth());

    auto back = NewGrid(4, 6);
    back->Col(1)->SetFieldName("Name");
    Load(*back, bytes, false);
    TMemoryStream again;
    back->SaveLayoutToStream(again, kAll, false, TgrPropIdSet::All());
    EXPECT_EQ(Bytes(again), bytes);
}

TEST_F(GridStream, OlderTaggedLayoutsAreStillRead) {
    TMemoryStream s;
    TWriter w(s);
    w.WriteIdent("TgrGridLayout");
    w.WriteInteger(1);
    w.WriteInteger(PropKindBit(pkCols));
    w.WriteInteger(2);
    w.WriteListBegin();
    w.WriteListBegin();
    w.WriteString("Width");
    w.WriteInteger(77);
    w.WriteListEnd();
    w.WriteListEnd();
    w.WriteBoolean(false);
    auto target = NewGrid(5, 3);
    Load(*target, Bytes(s));
    EXPECT_EQ(target->Cols(), 2);
    EXPECT_EQ(target->Col(1)->Width(), 77);
}

TEST_F(GridStream, DamagedStreamsAreRefusedAndTheGridStaysUsable) {
    grid->Col(1)->SetHeading("Name");
    TgrCell(grid.get(), 2, Variant(3)).SetColor(TColor(255));
    std::string good = Saved(kAll, false, TgrPropIdSet::All());
    auto replaced = [&](const std::string& what, const std::string& with) {
        std::string b = good;
        std::size_t at = b.find(what);
        EXPECT_NE(at, std::string::npos) << what;
        if (at != std::string::npos) b.replace(at, what.size(), with);
        return b;
    };
    // A hand-written component naming a column count far out of range.
    TMemoryStream huge;
    {
        TWriter w(huge);
        w.WriteString("TgrGridStreamComponent");
        w.WriteString("");
        w.WriteString("Cols");
        w.WriteInteger(2000000000);
        w.WriteListEnd();
    }
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"cut short", good.substr(0, good.size() / 2)},
        {"cut before the end marker", good.substr(0, good.size() - 1)},
        {"unknown property", replaced("ResetProps", "ResetPropX")},
        {"unknown property kind", replaced("pkCols", "pkColX")},
        {"huge column count", Bytes(huge)},
    };
    for (const Case& c : cases) {
        auto target = NewGrid(3, 3);
        EXPECT_THROW(Load(*target, c.bytes), EReadError) << c.name;
        EXPECT_FALSE(target->IsReading()) << c.name;
        EXPECT_FALSE(target->IsLayoutSuspended()) << c.name;
        // Still usable: a good layout loads afterwards.
        Load(*target, good);
        EXPECT_EQ(target->Col(1)->GetHeading(), "Name") << c.name;
        EXPECT_EQ(TgrCell(target.get(), 2, Variant(3)).GetColor(), TColor(255)) << c.name;
    }
}

}  // namespace

// The grid in a form file: what is written (and what is not), legacy
// properties of older files, refusal of damaged files, and layout copying
// at design time.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "grid/GridCellProps.h"
#include "grid/GridForm.h"
#include "grid/tests/GridClassSupport.h"
#include "platform/core/Filer.h"
#include "platform/core/Streams.h"

namespace {

std::string Bytes(TMemoryStream& s) {
    std::string b(std::size_t(s.Size()), '\0');
    s.Seek(0, soBeginning);
    if (!b.empty()) s.ReadBuffer(b.data(), Integer(b.size()));
    return b;
}

// Whether a form file names a property (names are written as short strings).
bool Names(const std::string& form, const std::string& name) {
    return form.find(std::string(1, char(vaString)) + char(name.size()) + name) != std::string::npos;
}

class GridForm : public ::testing::Test {
protected:
    GridForm() {
        EnsureGuiApplication();
        grid = std::make_unique<TLogGrid>(nullptr);
        grid->SetCols(4);
        grid->SetRows(5);
    }
    std::string Written(TgrBaseGrid* ancestor = nullptr) {
        TMemoryStream s;
        SaveGridToFormStream(*grid, s, ancestor);
        return Bytes(s);
    }
    // A form file written by hand: class, name, then the properties.
    void Load(TLogGrid& target, const std::function<void(TWriter&)>& props) {
        TMemoryStream s;
        TWriter w(s);
        w.WriteString("TLogGrid");
        w.WriteString("");
        props(w);
        w.WriteListEnd();
        s.Seek(0, soBeginning);
        LoadGridFromFormStream(target, s);
    }
    std::unique_ptr<TLogGrid> grid;
};

TEST_F(GridForm, OnlyChangedAttributesAreWrittenAndNeverTheSizeLists) {
    std::string plain = Written();
    EXPECT_FALSE(grid->ColWidthsStored(nullptr));
    for (const char* absent : {"ColProperties", "RowProperties", "CellProperties", "ColWidths", "RowHeights", "Data"})
        EXPECT_FALSE(Names(plain, absent)) << absent;

    grid->Col(2)->SetWidth(99);
    TLogGrid ancestor(nullptr);
    ancestor.SetCols(4);
    ancestor.SetRows(5);
    ancestor.Col(2)->SetWidth(99);
    std::string inherited = Written(&ancestor);
    EXPECT_FALSE(Names(inherited, "ColProperties"));  // equal to the ancestor's
    EXPECT_FALSE(Names(inherited, "DefaultColWidth"));
    EXPECT_TRUE(Names(Written(), "ColProperties"));
}

TEST_F(GridForm, OlderFilesLegacyPropertiesAreRead) {
    TLogGrid target(nullptr);
    Load(target, [](TWriter& w) {
        w.WriteString("Cols");
        w.WriteInteger(2);
        w.WriteString("ColWidths");  // more entries than columns: the extra is ignored
        w.WriteListBegin();
        for (int width : {20, 40, 50, 60, 70}) w.WriteInteger(width);
        w.WriteListEnd();
        w.WriteString("EditMode");
        w.WriteIdent("emBrowse");
        w.WriteString("HeadingAlignment");
        w.WriteIdent("taCenter");
        w.WriteString("ColProperties");
        w.WriteValue(vaCollection);
        w.WriteListBegin();
        w.WriteString("DataCol");
        w.WriteInteger(2);
        w.WriteString("Col.Alignment");
        w.WriteIdent("taRightJustify");
        w.WriteString("Col.Align");
        w.WriteBoolean(true);
        w.WriteListEnd();
        w.WriteListEnd();
    });
    EXPECT_EQ(target.Cols(), 2);
    EXPECT_EQ(target.GetColWidthAt(1), 40);
    EXPECT_EQ(target.GetColWidthAt(2), 50);
    EXPECT_EQ(target.GridMode(), gmBrowse);
    EXPECT_EQ(target.HeadingHorzAlignment(), htaCenter);
    EXPECT_EQ(target.Col(2)->GetHorzAlignment(), htaRight);
    EXPECT_FALSE(target.ComponentState().Contains(csLoading));
}

TEST_F(GridForm, DamagedFilesAreRefused) {
    grid->Col(1)->SetHeading("Name");
    TgrCell(grid.get(), 2, Variant(3)).SetColor(TColor(255));
    std::string good = Written();
    auto collection = [](const char* name, const char* numberName, Integer number) {
        return [=](TWriter& w) {
            w.WriteString(name);
            w.WriteValue(vaCollection);
            w.WriteListBegin();
            w.WriteString(numberName);
            w.WriteInteger(number);
            w.WriteListEnd();
            w.WriteListEnd();
        };
    };
    struct Case {
        const char* name;
        std::function<void(TWriter&)> props;
    } cases[] = {
        {"unknown property", [](TWriter& w) { w.WriteString("Bogus"); w.WriteInteger(1); }},
        {"huge row count", [](TWriter& w) { w.WriteString("Rows"); w.WriteInteger(2000000000); }},
        {"wrong value type", [](TWriter& w) { w.WriteString("HeadingOn"); w.WriteString("yes"); }},
        {"unknown enumeration", [](TWriter& w) { w.WriteString("GridMode"); w.WriteIdent("gmFancy"); }},
        {"column out of range", collection("ColProperties", "DataCol", 9)},
        {"row out of range", collection("RowProperties", "DataRow", 50)},
        {"cell column out of range", [](TWriter& w) {
             w.WriteString("CellProperties");
             w.WriteValue(vaCollection);
             w.WriteListBegin();
             w.WriteString("DataCol");
             w.WriteInteger(-3);
             w.WriteString("DataRow");
             w.WriteInteger(1);
             w.WriteString("Cell.Color");
             w.WriteInteger(5);
             w.WriteListEnd();
             w.WriteListEnd();
         }},
    };
    for (const Case& c : cases) {
        TLogGrid target(nullptr);
        EXPECT_ANY_THROW(Load(target, c.props)) << c.name;
        EXPECT_FALSE(target.ComponentState().Contains(csLoading)) << c.name;
    }
    for (std::size_t cut : {std::size_t(0), good.size() / 3, good.size() - 1}) {
        TLogGrid target(nullptr);
        TMemoryStream s;
        if (cut) s.WriteBuffer(good.data(), Integer(cut));
        s.Seek(0, soBeginning);
        EXPECT_THROW(LoadGridFromFormStream(target, s), EReadError) << cut;
    }
}

TEST_F(GridForm, DesignTimeCopiesPlaceCellsByDisplayPosition) {
    grid->Col(1)->SetDisplayCol(3);  // data column 1 shows third
    TgrCell(grid.get(), 1, Variant(2)).SetColor(TColor(0x123456));
    TLogGrid target(nullptr);
    target.SetDesignFlag(true);
    target.AssignGridLayout(grid.get(), PropKindBit(pkCells), false);
    EXPECT_EQ(TgrCell(&target, 3, Variant(2)).GetColor(), TColor(0x123456));
    EXPECT_EQ(TgrCell(&target, 1, Variant(2)).GetColor(), grColorNotSet);

    TLogGrid runTime(nullptr);
    runTime.AssignGridLayout(grid.get(), PropKindBit(pkCells), false);
    EXPECT_EQ(TgrCell(&runTime, 1, Variant(2)).GetColor(), TColor(0x123456));
}

TEST_F(GridForm, PropertyStoringSwitchesOffCollectionsAndNests) {
    grid->Col(2)->SetWidth(99);
    grid->EnablePropertyStoring(false);
    grid->EnablePropertyStoring(false);
    grid->EnablePropertyStoring(true);
    EXPECT_FALSE(Names(Written(), "ColProperties"));
    grid->EnablePropertyStoring(true);
    grid->EnablePropertyStoring(true);  // never below 0
    EXPECT_TRUE(grid->CanStoreProperties());
    EXPECT_TRUE(Names(Written(), "ColProperties"));
}

TEST_F(GridForm, ColumnsReadByFieldNameLandOnTheNamedColumn) {
    grid->Col(3)->SetFieldName("Score");
    TMemoryStream s;
    TWriter w(s);
    w.WriteValue(vaCollection);
    w.WriteListBegin();
    w.WriteString("DataCol");
    w.WriteInteger(1);  // the column's number where the layout was written
    w.WriteString("FieldName");
    w.WriteString("score");
    w.WriteString("Col.Width");
    w.WriteInteger(123);
    w.WriteListEnd();
    w.WriteListEnd();
    s.Seek(0, soBeginning);
    TReader r(s);
    grid->ReadColPropertiesBy(r, false);
    EXPECT_EQ(grid->Col(3)->Width(), 123);
    EXPECT_EQ(grid->Col(1)->Width(), 64);
}

}  // namespace

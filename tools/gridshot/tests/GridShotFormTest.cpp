// Form files round-trip: a grid arranged by scenario, input and calls is
// written as a form-file component, read into a new grid, and both grids'
// states, attributes and pictures match.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <QImage>

#include "grid/GridCellProps.h"
#include "grid/GridCombo.h"
#include "grid/GridForm.h"
#include "platform/core/Filer.h"
#include "platform/core/Streams.h"
#include "tools/gridshot/GridShot.h"

namespace {

const char* kArranged = R"({"width":400,"height":200,
  "grid":{"Cols":5,"Rows":8,"ColSelectMode":"csNone","GridLines":"glHorizontal","FocusBorder":"fbDouble","HeadingColor":"#ffe0c0"},
  "columns":[{"Heading":"Name","Width":90,"HorzAlignment":"htaCenter"},{"Heading":"Done","ControlType":"ctCheck"},
             {"Heading":"Pick","ComboItems":["one","two"],"Color":"#c0ffc0"},{"Heading":"Hidden","Visible":false},
             {"Heading":"Notes","WordWrap":"wwOn"}],
  "rows":[["a",1,"x","h","n1"],["b",0,"y","i","n2"],["c",1,"z","j","n3"]],
  "script":[{"drag":[[150,8],[250,8]]},{"call":"SelectRows","args":[3,3]}]})";

TEST(GridShotForm, AFormFileLoadsIntoANewGridWithTheSameStateAndPicture) {
    TGridShot first;
    first.Run(kArranged);
    TgrShotGrid* g = first.Grid();
    ASSERT_EQ(g->DataColOfDisplay(5), 2);  // the drag moved "Done" to the end
    // Attributes the scenario cannot set: a cell, a row, fonts, a moved row.
    TgrCell cell(g, 1, Variant(2));
    cell.SetColor(TColor(0x0000FF));
    cell.SetHorzAlignment(htaRight);
    g->GridRows()->EnsureRow(2)->SetColor(TColor(0x00FFFF));
    g->GridRows()->SetHeight(3, 30);
    g->SetDisplayRow(1, 4);
    TFont bold;
    bold.Assign(*g->Font());
    bold.SetStyle(fsBold);
    g->Col(5)->SetFont(&bold);
    g->Col(1)->SetHeadingHorzAlignment(htaRight);
    TgrCombo* combo = g->Col(3)->Combo();
    combo->SetDropDownRows(3);
    combo->SetValueColSorted(true);
    combo->SetCompareType(ctCaseSensitive);
    combo->SetAutoFill(true);
    combo->SetAutoSearch(asBottom);
    combo->SetAutoFillConvertCase(afcOnExit);
    combo->SetAutoLookup(false);
    g->ImageNames().SetCommaText("pic1,pic2");

    TMemoryStream form;
    SaveGridToFormStream(*g, form);
    std::string expected = first.StateJson();

    TGridShot second;
    second.Run(R"({"width":400,"height":200})");
    form.Seek(0, soBeginning);
    LoadGridFromFormStream(*second.Grid(), form);
    TgrShotGrid* h = second.Grid();

    EXPECT_EQ(second.StateJson(), expected);
    EXPECT_EQ(h->GridLines(), glHorizontal);
    EXPECT_EQ(h->Col(1)->GetHorzAlignment(), htaCenter);
    EXPECT_EQ(h->Col(1)->HeadingHorzAlignment(), htaRight);
    EXPECT_FALSE(h->Col(4)->Visible());
    EXPECT_TRUE(h->Col(5)->GetFont() && (h->Col(5)->GetFont()->Style() & fsBold));
    EXPECT_FALSE(h->Col(5)->ParentFont());
    EXPECT_TRUE(h->Col(1)->ParentFont());
    TgrCell read(h, 1, Variant(2));
    EXPECT_EQ(read.GetColor(), TColor(0x0000FF));
    EXPECT_EQ(read.GetHorzAlignment(), htaRight);
    EXPECT_EQ(h->GetRowProp(2, gpColor, pkNoPicture).AsInteger(), 0x00FFFF);
    EXPECT_EQ(h->GridRows()->GetHeight(3), 30);
    EXPECT_EQ(h->DisplayRowOfData(1), 4);
    ASSERT_TRUE(h->Col(3)->Combo() && h->Col(3)->Combo()->ComboGrid());
    TgrCombo* readCombo = h->Col(3)->Combo();
    EXPECT_EQ(readCombo->GetDropDownRows(), 3);
    EXPECT_TRUE(readCombo->GetValueColSorted());
    EXPECT_EQ(readCombo->GetCompareType(), ctCaseSensitive);
    EXPECT_TRUE(readCombo->GetAutoFill());
    EXPECT_EQ(readCombo->GetAutoSearch(), asBottom);
    EXPECT_EQ(readCombo->GetAutoFillConvertCase(), afcOnExit);
    EXPECT_FALSE(readCombo->GetAutoLookup());
    EXPECT_EQ(h->Col(3)->Combo()->ComboGrid()->GetCellValue(1, 2).AsString(), "two");
    EXPECT_EQ(h->ImageNames().CommaText(), "pic1,pic2");
    EXPECT_TRUE(first.Picture() == second.Picture());
}

TEST(GridShotForm, AssignCopiesTheWholeLayoutIntoAnotherGrid) {
    TGridShot first;
    first.Run(kArranged);
    TgrCell(first.Grid(), 2, Variant(3)).SetColor(TColor(0x00FF00));
    TGridShot second;
    second.Run(R"({"width":400,"height":200})");
    std::vector<Integer> moved;
    second.Grid()->OnColMoved = [&](TObject*, Integer to, Integer count, bool byUser) {
        EXPECT_EQ(count, 1);
        EXPECT_FALSE(byUser);
        moved.push_back(to);
    };
    second.Grid()->SetCols(5);  // same count: the column order is copied
    second.Grid()->Assign(first.Grid());
    // The copied row selection gives the grid its status.
    EXPECT_EQ(second.Grid()->GridStatus(), gsRowsSelected);
    second.Grid()->SetGridStatus(first.Grid()->GridStatus());
    EXPECT_EQ(second.StateJson(), first.StateJson());
    EXPECT_EQ(TgrCell(second.Grid(), 2, Variant(3)).GetColor(), TColor(0x00FF00));
    // "Done" (data 2) went to the end, the three after it moved up: one
    // event for each moved column, at its new display position.
    EXPECT_EQ(moved, (std::vector<Integer>{5, 2, 3, 4}));
    EXPECT_TRUE(first.Picture() == second.Picture());
}

// A grid component whose column 1 holds a combo whose list grid holds the
// next level, depth levels deep.
std::vector<Byte> NestedCombos(int depth) {
    TMemoryStream s;
    TWriter w(s);
    w.WriteString("TgrShotGrid");
    w.WriteString("");
    w.WriteString("Cols");
    w.WriteInteger(1);
    if (depth > 0) {
        w.WriteString("ColProperties");
        w.WriteValue(vaCollection);
        w.WriteListBegin();
        w.WriteString("DataCol");
        w.WriteInteger(1);
        w.WriteString("Col.Combo");
        TMemoryStream c;
        TWriter cw(c);
        cw.WriteListBegin();
        for (int v : {8, 0, 1, 0, 0}) cw.WriteInteger(v);
        cw.WriteBoolean(true);
        std::vector<Byte> inner = NestedCombos(depth - 1);
        c.WriteBuffer(inner.data(), Integer(inner.size()));
        cw.WriteListEnd();
        std::vector<Byte> bytes(std::size_t(c.Size()));
        c.Seek(0, soBeginning);
        c.ReadBuffer(bytes.data(), Integer(bytes.size()));
        w.WriteBinary(bytes);
        w.WriteListEnd();
        w.WriteListEnd();
    }
    w.WriteListEnd();
    std::vector<Byte> bytes(std::size_t(s.Size()));
    s.Seek(0, soBeginning);
    s.ReadBuffer(bytes.data(), Integer(bytes.size()));
    return bytes;
}

TEST(GridShotForm, CombosNestedBeyondAnyFormAreRefused) {
    auto load = [](int depth) {
        TGridShot shot;
        shot.Run(R"({"width":200,"height":100})");
        std::vector<Byte> bytes = NestedCombos(depth);
        TMemoryStream s;
        s.WriteBuffer(bytes.data(), Integer(bytes.size()));
        s.Seek(0, soBeginning);
        LoadGridFromFormStream(*shot.Grid(), s);
        return shot.Grid()->Col(1)->Combo() != nullptr;
    };
    EXPECT_TRUE(load(2));
    EXPECT_THROW(load(40), EReadError);
}


TEST(GridShotForm, AComboReadOverAnExistingOneKeepsNothingOfItsOldList) {
    const char* scenario = R"({"width":300,"height":120,"columns":[{"Heading":"Pick","ComboItems":["one","two"]}]})";
    TGridShot first;
    first.Run(scenario);
    TMemoryStream form;
    SaveGridToFormStream(*first.Grid(), form);

    TGridShot second;
    second.Run(scenario);
    TgrBaseGrid* list = second.Grid()->Col(1)->Combo()->ComboGrid();
    list->SetHeadingOn(false);
    list->Col(1)->SetColor(TColor(0x00FF00));
    TgrCell(list, 1, Variant(1)).SetHorzAlignment(htaRight);
    form.Seek(0, soBeginning);
    LoadGridFromFormStream(*second.Grid(), form);
    list = second.Grid()->Col(1)->Combo()->ComboGrid();
    TgrBaseGrid* written = first.Grid()->Col(1)->Combo()->ComboGrid();
    EXPECT_EQ(list->HeadingOn(), written->HeadingOn()) << "left at its default in the file";
    EXPECT_EQ(list->Col(1)->Color(), grColorNotSet) << "a column attribute the file does not carry";
    EXPECT_EQ(TgrCell(list, 1, Variant(1)).GetHorzAlignment(), htaDefault) << "nor a cell attribute";
    EXPECT_EQ(list->GetCellValue(1, 2).AsString(), "two");
}

}  // namespace

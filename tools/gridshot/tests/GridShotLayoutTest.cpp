// Layout files round-trip: a grid arranged by scenario and input is saved,
// loaded into a new grid, and both grids' states match.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/core/Exception.h"
#include "platform/core/Filer.h"
#include "platform/core/Streams.h"
#include "tools/gridshot/GridShot.h"

namespace {

const char* kArranged = R"({"width":400,"height":200,
  "grid":{"Cols":4,"Rows":6,"ColSelectMode":"csNone","GridLines":"glHorizontal","FocusBorder":"fbDouble","HeadingColor":"#ffe0c0"},
  "columns":[{"Heading":"Name","Width":90,"HorzAlignment":"htaCenter"},{"Heading":"Done","ControlType":"ctCheck"},
             {"Heading":"Pick","ButtonType":"btCombo","Color":"#c0ffc0"},{"Heading":"Hidden","Visible":false}],
  "rows":[["a",1,"x","h"],["b",0,"y","i"]],
  "script":[{"drag":[[150,8],[250,8]]}]})";

std::string TempPath() { return testing::TempDir() + "grid-layout-test.lay"; }

TEST(GridShotLayout, SavedLayoutLoadsIntoANewGridWithTheSameState) {
    TGridShot first;
    first.Run(kArranged);
    ASSERT_EQ(first.Grid()->DataColOfDisplay(3), 2);  // the drag moved "Done"
    first.Grid()->SaveLayoutToFile(TempPath(), PropKindBit(pkGrid) | PropKindBit(pkCols) | PropKindBit(pkRows), true,
                                   TgrPropIdSet::All());
    std::string expected = first.StateJson();

    TGridShot second;
    second.Run(R"({"width":400,"height":200})");
    second.Grid()->LoadLayoutFromFile(TempPath(), true);
    EXPECT_EQ(second.StateJson(), expected);
    TgrShotGrid* g = second.Grid();
    EXPECT_EQ(g->GridLines(), glHorizontal);
    EXPECT_EQ(g->FocusBorder(), fbDouble);
    EXPECT_EQ(g->Col(1)->GetHeading(), "Name");
    EXPECT_EQ(g->Col(1)->GetHorzAlignment(), htaCenter);
    EXPECT_EQ(g->Col(3)->ButtonType(), btCombo);
    EXPECT_FALSE(g->Col(4)->Visible());
    std::remove(TempPath().c_str());
}

TEST(GridShotLayout, OnlyChosenAttributesAreWritten) {
    TGridShot first;
    first.Run(kArranged);
    TMemoryStream stream;
    TgrPropIdSet widthsOnly{gpWidth};
    first.Grid()->SaveLayoutToStream(stream, PropKindBit(pkCols), false, widthsOnly);
    TGridShot second;
    second.Run(R"({"width":400,"height":200,"grid":{"Cols":4}})");
    stream.Seek(0, soBeginning);
    second.Grid()->LoadLayoutFromStream(stream, true);
    EXPECT_EQ(second.Grid()->Col(1)->Width(), 90);
    EXPECT_EQ(second.Grid()->Col(3)->ButtonType(), btDefault);  // not chosen, not written
    EXPECT_EQ(second.Grid()->Col(1)->GetHeading(), "Name");  // headings always travel
}

TEST(GridShotLayout, BrokenLayoutsAreRefused) {
    TGridShot source;
    source.Run(kArranged);
    TMemoryStream good;
    source.Grid()->SaveLayoutToStreamAll(good, true);
    std::string bytes(std::size_t(good.Size()), '\0');
    good.Seek(0, soBeginning);
    good.ReadBuffer(bytes.data(), Integer(bytes.size()));

    auto load = [](const std::string& b) {
        TGridShot target;
        target.Run(R"({"width":200,"height":100})");
        TMemoryStream s;
        if (!b.empty()) s.WriteBuffer(b.data(), Integer(b.size()));
        s.Seek(0, soBeginning);
        target.Grid()->LoadLayoutFromStream(s, true);
    };
    std::string renamed = bytes;
    renamed.replace(renamed.find("DefaultColWidth"), 15, "DefaultColWidtX");
    std::string cut = bytes.substr(0, bytes.size() / 2);
    // Cols is written right after the grid section; make it huge.
    std::string huge;
    {
        TMemoryStream s;
        TWriter w(s);
        w.WriteIdent("TgrGridLayout");
        w.WriteInteger(1);
        w.WriteInteger(PropKindBit(pkCols));
        w.WriteInteger(2000000000);
        huge.resize(std::size_t(s.Size()));
        s.Seek(0, soBeginning);
        s.ReadBuffer(huge.data(), Integer(huge.size()));
    }
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {{"empty", ""}, {"not a layout", "hello world"}, {"unknown name", renamed}, {"cut short", cut},
                 {"huge column count", huge}};
    for (const Case& c : cases) EXPECT_THROW(load(c.bytes), EReadError) << c.name;
}

}  // namespace

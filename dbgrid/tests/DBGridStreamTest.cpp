// Layouts of the data-aware grid: they say whether the grid was bound,
// carry the properties kept by record to the same records of another
// grid, and a damaged layout leaves the grid bound and nothing waiting.

#include "dbgrid/tests/DBGridTestSupport.h"

#include "dbgrid/DBGridStream.h"
#include "grid/tests/LayoutStreamWalk.h"
#include "platform/core/Exception.h"
#include "platform/core/Filer.h"
#include "platform/core/Streams.h"

namespace {

class DBGridStream : public DBGridFixture {
protected:
    void SetUp() override {
        DBGridFixture::SetUp();
        Fill(4);
        Bind();
        other = new TLogDBGrid(form);
        other->SetParent(form);
        other->SetBounds(0, 150, 400, HeightForRows(5));
    }
    static std::string Saved(TgrBaseGrid& g) {
        TStringStream s;
        g.SaveLayoutToStreamAll(s, false);
        return s.DataString();
    }
    static void Load(TgrBaseGrid& g, const std::string& bytes) {
        TStringStream s(bytes);
        g.LoadLayoutFromStream(s, true);
    }
    TLogDBGrid* other = nullptr;
};

TEST_F(DBGridStream, LayoutSaysWhetherTheGridWasBound) {
    TLayoutWalk bound = WalkLayout(Saved(*grid));
    EXPECT_EQ(bound.ClassName, "TgrDBGridStreamComponent");
    ASSERT_TRUE(bound.Booleans.count("DataBound"));
    EXPECT_TRUE(bound.Booleans["DataBound"]);
    TLayoutWalk unbound = WalkLayout(Saved(*other));
    ASSERT_TRUE(unbound.Booleans.count("DataBound"));
    EXPECT_FALSE(unbound.Booleans["DataBound"]);
}

TEST_F(DBGridStream, RecordPropertiesGoToTheSameRecords) {
    std::string second = BookmarkOf(2), third = BookmarkOf(3);
    grid->SetCellColor(2, Variant(second), clRed);
    grid->SetRowColor(Variant(third), clBlue);
    grid->Col(1)->SetWidth(77);
    std::string layout = Saved(*grid);

    other->SetDataSource(source);
    other->SetCellColor(1, Variant(BookmarkOf(1)), clGreen);  // not in the layout: reset
    Load(*other, layout);
    EXPECT_TRUE(other->DataBound());
    EXPECT_FALSE(other->StreamedDataBound());
    EXPECT_EQ(other->GetCellColor(2, Variant(second)), clRed);
    EXPECT_EQ(other->GetRowColor(Variant(third)), clBlue);
    EXPECT_EQ(other->GetCellColor(2, Variant(third)), grColorNotSet);
    EXPECT_EQ(other->GetCellColor(1, Variant(BookmarkOf(1))), grColorNotSet);
    EXPECT_EQ(other->Col(1)->Width(), 77);

    // Read into an unbound grid, they wait for its dataset.
    auto* waiting = new TLogDBGrid(form);
    waiting->SetParent(form);
    Load(*waiting, layout);
    EXPECT_FALSE(waiting->DataBound());
    waiting->SetDataSource(source);
    ASSERT_TRUE(waiting->DataActive());
    EXPECT_EQ(waiting->GetCellColor(2, Variant(second)), clRed);
    EXPECT_EQ(waiting->GetRowColor(Variant(third)), clBlue);
}

TEST_F(DBGridStream, PartialLayoutOfABoundGridKeepsItsRecords) {
    std::string second = BookmarkOf(2);
    grid->SetCellColor(2, Variant(second), clRed);
    TStringStream s;
    grid->SaveLayoutToStream(s, PropKindBit(pkCols) | PropKindBit(pkCells), false, TgrPropIdSet{gpColor});
    EXPECT_TRUE(grid->DataBound());
    EXPECT_EQ(grid->GetCellColor(2, Variant(second)), clRed);

    other->SetDataSource(source);
    Load(*other, s.DataString());
    EXPECT_TRUE(other->DataBound());
    EXPECT_EQ(other->GetCellColor(2, Variant(second)), clRed);
}

TEST_F(DBGridStream, DamagedLayoutLeavesTheGridBoundAndNothingWaiting) {
    std::string second = BookmarkOf(2);
    grid->SetCellColor(2, Variant(second), clRed);
    std::string layout = Saved(*grid);
    other->SetDataSource(source);
    for (std::size_t cut : {layout.size() / 3, layout.size() - 1}) {
        EXPECT_THROW(Load(*other, layout.substr(0, cut)), EReadError) << cut;
        EXPECT_TRUE(other->DataBound()) << cut;
        EXPECT_FALSE(other->StreamedDataBound()) << cut;
        EXPECT_TRUE(other->StreamedRecordRows().empty()) << cut;
        EXPECT_TRUE(other->StreamedRecordCells().empty()) << cut;
        EXPECT_FALSE(other->IsReading()) << cut;
    }
    Load(*other, layout);
    EXPECT_EQ(other->GetCellColor(2, Variant(second)), clRed);
}

}  // namespace

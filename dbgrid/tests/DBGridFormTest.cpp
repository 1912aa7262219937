#include "dbgrid/tests/DBGridTestSupport.h"

#include "dbgrid/DBGridCols.h"
#include "grid/GridForm.h"
#include "platform/core/Streams.h"
#include "platform/data/DataSet.h"

namespace {

class DBGridForm : public DBGridFixture {
protected:
    void SetUp() override {
        DBGridFixture::SetUp();
        Fill(3);
        Bind();
        other = new TLogDBGrid(form);
        other->SetParent(form);
        other->SetBounds(0, 150, 400, HeightForRows(5));
    }
    std::string Saved(TgrBaseGrid& g, TgrBaseGrid* ancestor = nullptr) {
        TMemoryStream s;
        SaveGridToFormStream(g, s, ancestor);
        std::string bytes(std::size_t(s.Size()), '\0');
        s.Seek(0, soBeginning);
        if (!bytes.empty()) s.ReadBuffer(bytes.data(), Integer(bytes.size()));
        return bytes;
    }
    void Load(TgrBaseGrid& g, const std::string& bytes) {
        TMemoryStream s;
        if (!bytes.empty()) s.WriteBuffer(bytes.data(), Integer(bytes.size()));
        s.Seek(0, soBeginning);
        LoadGridFromFormStream(g, s);
    }
    TLogDBGrid* other = nullptr;
};

TEST_F(DBGridForm, RecordPropertiesTravelByBookmarkAndWaitForTheDataset) {
    std::string second = BookmarkOf(2), third = BookmarkOf(3);
    grid->SetCellColor(2, Variant(second), clRed);
    grid->SetRowColor(Variant(third), clBlue);
    std::string file = Saved(*grid);
    // Read into an unbound grid: the properties wait for the dataset.
    Load(*other, file);
    EXPECT_FALSE(other->DataBound());
    other->SetDataSource(source);
    ASSERT_TRUE(other->DataActive());
    EXPECT_EQ(other->GetCellColor(2, Variant(second)), clRed);
    EXPECT_EQ(other->GetRowColor(Variant(third)), clBlue);
    EXPECT_EQ(other->GetCellColor(2, Variant(third)), grColorNotSet);
}

TEST_F(DBGridForm, FileOfAnUnboundGridUnbindsAndCountsAreWrittenOnlyAgainstAnAncestor) {
    std::string unbound = Saved(*other);
    Load(*grid, unbound);
    EXPECT_FALSE(grid->DataBound());

    Bind();
    grid->SetFieldState(fsCustomized);
    EXPECT_EQ(Saved(*grid).find("ColPropCount"), std::string::npos);
    EXPECT_NE(Saved(*grid, other).find("ColPropCount"), std::string::npos);
}

TEST_F(DBGridForm, BoundGridsKeepTheirCountsOutAndWriteTheirOwnProperties) {
    grid->SetExactRowCount(false);
    grid->SetAutoInsert(false);
    std::string bound = Saved(*grid);
    EXPECT_EQ(bound.find("\x04" "Rows"), std::string::npos);
    EXPECT_EQ(bound.find("\x04" "Cols"), std::string::npos);
    EXPECT_NE(bound.find("ExactRowCount"), std::string::npos);
    Load(*other, bound);
    EXPECT_FALSE(other->ExactRowCount());
    EXPECT_FALSE(other->AutoInsert());
    EXPECT_EQ(other->DatasetType(), grid->DatasetType());
    // Customised columns are stored; an unbound grid stores both counts.
    grid->SetFieldState(fsCustomized);
    EXPECT_NE(Saved(*grid).find("\x04" "Cols"), std::string::npos);
    std::string unbound = Saved(*other);
    EXPECT_NE(unbound.find("\x04" "Rows"), std::string::npos);
    EXPECT_NE(unbound.find("\x04" "Cols"), std::string::npos);
}

TEST_F(DBGridForm, ColumnsKeepWhichAttributesWereSetOnThem) {
    grid->SetFieldState(fsCustomized);
    auto* name = dynamic_cast<TgrDBCol*>(grid->GetCol(Variant("Name")));
    ASSERT_TRUE(name);
    name->SetWidth(150);
    std::string bytes = Saved(*grid);
    EXPECT_NE(bytes.find("AssignedValues"), std::string::npos);
    other->SetDataSource(source);
    Load(*other, bytes);
    auto* loadedName = dynamic_cast<TgrDBCol*>(other->GetCol(Variant("Name")));
    auto* loadedScore = dynamic_cast<TgrDBCol*>(other->GetCol(Variant("Score")));
    ASSERT_TRUE(loadedName && loadedScore);
    EXPECT_EQ(loadedName->Width(), 150);
    EXPECT_EQ(loadedName->AssignedValues(), TgrDBCol::avWidth);
    // The alignment written for Score was its field's: it still follows it.
    EXPECT_EQ(loadedScore->AssignedValues(), 0);
    table->FieldByName("Score")->SetAlignment(taCenter);
    EXPECT_EQ(loadedScore->GetHorzAlignment(), htaCenter);
}

TEST_F(DBGridForm, CopyingTakesTheDataSourceUnlessExcluded) {
    auto* second = new TDataSource(form);
    other->SetDataSource(second);
    other->CopyGridProperties(grid, "DataSource;");
    EXPECT_EQ(other->DataSource(), second);
    other->CopyGridProperties(grid, "Datasource");
    EXPECT_EQ(other->DataSource(), second);
    other->CopyGridProperties(grid, "");
    EXPECT_EQ(other->DataSource(), source);
}

TEST_F(DBGridForm, AssignCopiesRecordPropertiesAndRefusesOtherSources) {
    std::string first = BookmarkOf(1);
    grid->SetCellColor(1, Variant(first), clLime);
    other->SetDataSource(source);
    other->Assign(grid);
    EXPECT_EQ(other->GetCellColor(1, Variant(first)), clLime);
    grid->SetName("dbgData");
    try {
        grid->Assign(table);
        FAIL() << "no error";
    } catch (const EInvalidGridOperation& e) {
        EXPECT_EQ(std::string(e.what()), "dbgData: Cannot assign TqmtMemTable to TLogDBGrid");
    }
}

}  // namespace

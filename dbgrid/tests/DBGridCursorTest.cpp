// The engine-cursor window over a test-only cursor: a memory table whose
// clone cursor walks a copy of its records.
#include "dbgrid/tests/DBGridTestSupport.h"

#include "dbgrid/DBGridCursor.h"
#include "platform/data/DataSet.h"

namespace {

// A cursor over a copy of the records; it counts its steps.
class TTestCursor : public TgrEngineCursor {
public:
    struct Row {
        std::string Bookmark;
        std::vector<Variant> Values;
    };
    TTestCursor(std::vector<Row> rows, int* steps) : rows_(std::move(rows)), steps_(steps) {}
    void SetToBegin() override { pos_ = -1; }
    void SetToEnd() override { pos_ = int(rows_.size()); }
    int Next(std::vector<Variant>* record) override {
        ++*steps_;
        if (pos_ + 1 >= int(rows_.size())) {
            pos_ = int(rows_.size());
            return kEngineAtEnd;
        }
        ++pos_;
        return Current(record);
    }
    int Prior(std::vector<Variant>* record) override {
        ++*steps_;
        if (pos_ - 1 < 0) {
            pos_ = -1;
            return kEngineAtStart;
        }
        --pos_;
        return Current(record);
    }
    int Current(std::vector<Variant>* record) override {
        if (pos_ < 0 || pos_ >= int(rows_.size())) return kEngineNoCurrent;
        if (record) *record = rows_[std::size_t(pos_)].Values;
        return kEngineOk;
    }
    std::string GetBookmark() override { return pos_ >= 0 && pos_ < int(rows_.size()) ? rows_[std::size_t(pos_)].Bookmark : ""; }
    int GotoBookmark(const std::string& bookmark) override {
        for (std::size_t i = 0; i < rows_.size(); ++i)
            if (rows_[i].Bookmark == bookmark) {
                pos_ = int(i);
                return kEngineOk;
            }
        return kEngineNoCurrent;
    }

private:
    std::vector<Row> rows_;
    int* steps_;
    int pos_ = -1;
};

class TCursorTable : public TqmtMemTable, public TgrCursorDataSet {
public:
    using TqmtMemTable::TqmtMemTable;
    int Steps = 0;
    std::unique_ptr<TgrEngineCursor> CloneCursor() override {
        std::vector<TTestCursor::Row> rows;
        std::string back = IsEmpty() ? std::string() : GetBookmark();
        DisableControls();
        for (First(); !Eof(); Next()) {
            TTestCursor::Row r{GetBookmark(), {}};
            for (int i = 0; i < FieldCount(); ++i) r.Values.push_back(Fields()[i]->AsVariant());
            rows.push_back(std::move(r));
        }
        if (!back.empty()) GotoBookmark(back);
        EnableControls();
        return std::make_unique<TTestCursor>(std::move(rows), &Steps);
    }
};

class DBGridCursor : public DBGridFixture {
protected:
    void SetUp() override {
        DBGridFixture::SetUp();
        cursorTable = new TCursorTable(form);
        cursorTable->FieldDefs().Add("ID", ftInteger);
        cursorTable->FieldDefs().Add("Name", ftString, 20);
        cursorTable->Open();
        cursorTable->DisableControls();
        for (int i = 1; i <= 50; ++i) cursorTable->AppendRecord({Variant(i), Variant("R" + std::to_string(i))});
        cursorTable->First();
        cursorTable->EnableControls();
        source->SetDataSet(cursorTable);
        Bind();
        v = grid->VisibleRecordCount();
    }
    TCursorTable* cursorTable = nullptr;
    Integer v = 0;
};

TEST_F(DBGridCursor, TheWindowReadsItsOwnCopiesAndEstimatesTheCount) {
    ASSERT_EQ(grid->DatasetType(), dstBDE);
    auto* window = dynamic_cast<TgrScrollDataset*>(grid->RecordWindow());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(grid->Rows(), v);
    EXPECT_EQ(grid->GetCellValue(2, 1).AsString(), "R1");
    EXPECT_EQ(grid->GetCellValue(1, v).AsString(), std::to_string(v));
    // Only a window's worth of records has been read; the count is a guess.
    EXPECT_LE(cursorTable->Steps, v + 1);
    EXPECT_EQ(window->GetRecordCount(), v + std::max<Integer>(v / 10, v));
    // Walking to the end learns the count.
    for (int guard = 0; guard < 100 && !window->GetEof(); ++guard) grid->VertScroll(scPageDown);
    EXPECT_EQ(window->GetRecordCount(), 50);
    EXPECT_EQ(window->Bottom(), 50);
    EXPECT_EQ(grid->GetCellValue(2, grid->Rows()).AsString(), "R50");
    grid->VertScroll(scBottom);
    EXPECT_EQ(grid->GetCellValue(2, grid->Rows()).AsString(), "R50");
    EXPECT_EQ(window->Top(), 50 - grid->Rows() + 1);
}

TEST_F(DBGridCursor, ScrollingMovesTheWindowNotTheDataset) {
    grid->VertScroll(scLineDown);
    grid->VertScroll(scPageDown);
    EXPECT_EQ(cursorTable->RecNo(), 1);
    EXPECT_EQ(grid->GetCellValue(2, 1).AsString(), "R" + std::to_string(2 + v));
    EXPECT_EQ(grid->VertScrollPos(), 2 + v);
    grid->VertScroll(scTop);
    EXPECT_EQ(grid->GetCellValue(2, 1).AsString(), "R1");
}

TEST_F(DBGridCursor, TheWindowFollowsTheDatasetAndClicksMoveIt) {
    cursorTable->Last();
    Integer row = grid->RecordWindow()->GetCurrentRecordRow();
    ASSERT_GE(row, 1);
    EXPECT_EQ(grid->GetCellValue(2, row).AsString(), "R50");
    EXPECT_EQ(grid->GetCurrentDataRow(), Variant(cursorTable->GetBookmark()));
    ASSERT_TRUE(grid->CanSelectCell(1, row - 1));
    EXPECT_EQ(cursorTable->FieldByName("ID")->AsInteger(), 49);
    // A changed record is read again.
    cursorTable->Edit();
    cursorTable->FieldByName("Name")->SetAsString("Changed");
    cursorTable->Post();
    EXPECT_EQ(grid->GetCellValue(2, Variant(cursorTable->GetBookmark())).AsString(), "Changed");
}

}  // namespace

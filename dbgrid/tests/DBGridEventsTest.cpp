#include "dbgrid/tests/DBGridTestSupport.h"

#include "platform/data/DataSet.h"

namespace {

// Records every edit event of a grid; a record is named "record" when it is
// the expected bookmark, rows of an unbound grid by their number.
struct EditEventLog {
    std::vector<std::string> Events;
    Variant Record;
    std::string Name(const Variant& row) const {
        if (row.IsString()) return row == Record ? "record" : "other";
        return "row" + std::to_string(row.AsInteger());
    }
    void Attach(TgrCustomDBGrid* grid) {
        grid->OnStartCellEdit = [this](TObject*, Integer col, const Variant& row, bool& cancel) {
            Events.push_back("start-cell " + std::to_string(col) + " " + Name(row) + (cancel ? " !" : ""));
        };
        grid->OnStartRowEdit = [this](TObject*, const Variant& row, bool& cancel) {
            Events.push_back("start-row " + Name(row) + (cancel ? " !" : ""));
        };
        grid->OnCellEdit = [this](TObject*, Integer col, const Variant& row, bool) {
            Events.push_back("edit " + std::to_string(col) + " " + Name(row));
        };
        grid->OnEndCellEdit = [this](TObject*, Integer col, const Variant& row, bool& cancel) {
            Events.push_back("end-cell " + std::to_string(col) + " " + Name(row) + (cancel ? " !" : ""));
        };
        grid->OnEndRowEdit = [this](TObject*, const Variant& row, bool& cancel) {
            Events.push_back("end-row " + Name(row) + (cancel ? " !" : ""));
        };
        grid->OnUndoCellEdit = [this](TObject*, Integer col, const Variant& row, bool, bool&) {
            Events.push_back("undo-cell " + std::to_string(col) + " " + Name(row));
        };
        grid->OnUndoRowEdit = [this](TObject*, const Variant& row, bool, bool&) {
            Events.push_back("undo-row " + Name(row));
        };
    }
    // Only the kinds of event, for counting repeats.
    std::vector<std::string> Kinds() const {
        std::vector<std::string> k;
        for (const std::string& e : Events) k.push_back(e.substr(0, e.find(' ')));
        return k;
    }
};

class DBGridEvents : public DBGridFixture {
protected:
    void SetUp() override {
        DBGridFixture::SetUp();
        Fill(3);
    }
    void MakeCurrent(Integer displayCol, Integer displayRow) {
        ASSERT_TRUE(grid->CanSelectCell(displayCol, displayRow));
        grid->MoveCurrentCell(displayCol, displayRow, false, true);
        grid->ChangeCurrentCell(displayCol, displayRow);
    }
    void Type(const std::string& text) {
        for (char c : text) {
            char key = c;
            grid->DoKeyPress(key);
        }
    }
};

TEST_F(DBGridEvents, TypingIntoABoundCellFiresEachEditEventOnceWithTheRecord) {
    Bind();
    MakeCurrent(2, 1);
    EditEventLog log;
    log.Record = Variant(BookmarkOf(1));
    log.Attach(grid);
    Type("Zed");
    ASSERT_FALSE(log.Events.empty());
    EXPECT_EQ(log.Events[0], "start-cell 2 record");
    EXPECT_EQ(log.Events[1], "start-row record");
    EXPECT_EQ(table->State(), dsEdit);
    // Leaving the row ends the cell and the row edit once each.
    Word16 down = VK_DOWN;
    grid->GridKeyDown(down, TShiftState());
    std::vector<std::string> kinds = log.Kinds();
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), "start-cell"), 1);
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), "start-row"), 1);
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), "end-cell"), 1);
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), "end-row"), 1);
    EXPECT_GE(std::count(kinds.begin(), kinds.end(), "edit"), 1);
    EXPECT_EQ(log.Events.back(), "end-row record");
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 2);
    table->Prior();
    EXPECT_EQ(table->FieldByName("Name")->AsString(), "Zed");
}

TEST_F(DBGridEvents, EndCellEditCancelKeepsTheValueOutOfTheField) {
    Bind();
    MakeCurrent(2, 1);
    bool refuse = true;
    grid->OnEndCellEdit = [&](TObject*, Integer, const Variant&, bool& cancel) {
        // Cancel starts False.
        EXPECT_FALSE(cancel);
        cancel = refuse;
    };
    ASSERT_TRUE(grid->EditCurrentCell("Kim"));
    EXPECT_FALSE(grid->CanSelectCell(2, 2));
    EXPECT_EQ(table->FieldByName("Name")->AsString(), "N1");
    refuse = false;
    EXPECT_TRUE(grid->CanSelectCell(2, 2));
    EXPECT_EQ(table->FieldByName("Name")->AsString(), "N2");
}

TEST_F(DBGridEvents, UnboundGridNamesRowsByNumber) {
    grid->SetCols(2);
    grid->SetRows(3);
    grid->SetStoreData(true);
    MakeCurrent(1, 2);
    EditEventLog log;
    log.Attach(grid);
    Type("q");
    ASSERT_GE(log.Events.size(), 3u);
    EXPECT_EQ(log.Events[0], "start-cell 1 row2");
    EXPECT_EQ(log.Events[1], "start-row row2");
    EXPECT_EQ(log.Events[2], "edit 1 row2");
    Word16 esc = VK_ESCAPE;
    grid->GridKeyDown(esc, TShiftState());
    EXPECT_EQ(log.Events.back().substr(0, 4), "undo");
}

}  // namespace

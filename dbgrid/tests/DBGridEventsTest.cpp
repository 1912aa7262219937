#include "dbgrid/tests/DBGridTestSupport.h"
#include "grid/tests/GridDateTimeSupport.h"

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
    grid->ProcessKeyDown(down, TShiftState());
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
    grid->ProcessKeyDown(esc, TShiftState());
    EXPECT_EQ(log.Events.back().substr(0, 4), "undo");
}

TEST_F(DBGridEvents, ClicksNameTheRecordsUnderTheMouseAndWhereTheyLanded) {
    Bind();
    std::vector<std::string> clicks;
    auto name = [&](const Variant& row) {
        if (row.IsString()) return "id" + std::to_string(row == Variant(BookmarkOf(2)) ? 2 : row == Variant(BookmarkOf(3)) ? 3 : 0);
        return "int" + std::to_string(row.AsInteger());
    };
    grid->OnClickCell = [&](TObject*, Integer colDown, const Variant& rowDown, Integer colUp, const Variant& rowUp,
                            TgrClickPosition downPos, TgrClickPosition upPos) {
        clicks.push_back("click " + std::to_string(colDown) + name(rowDown) + " " + std::to_string(colUp) + name(rowUp) +
                         " " + std::to_string(int(downPos)) + std::to_string(int(upPos)));
    };
    grid->OnDblClickCell = [&](TObject*, Integer col, const Variant& row, TgrClickPosition pos) {
        clicks.push_back("dbl " + std::to_string(col) + name(row) + " " + std::to_string(int(pos)));
    };
    auto click = [&](Integer col, Integer row, TShiftState shift) {
        TRect r = grid->CellPixels(col, row);
        grid->MouseDown(mbLeft, shift, r.Left + 3, r.Top + 3);
        grid->MouseUp(mbLeft, TShiftState(), r.Left + 3, r.Top + 3);
    };
    click(2, 2, TShiftState({ssLeft}));
    click(2, 3, TShiftState({ssLeft, ssDouble}));
    // The heading names no record: its row number stands in.
    click(1, 0, TShiftState({ssLeft}));
    // A double-click off the current cell is used up: its release is no
    // click.
    EXPECT_EQ(clicks, (std::vector<std::string>{"click 2id2 2id2 33", "dbl 2id3 3", "click 1int0 1int0 00"}));
    // Both clicks of a double-click on a cell: the second press is a fresh
    // press of the cell the first made current, so its release clicks.
    clicks.clear();
    click(2, 3, TShiftState({ssLeft}));
    click(2, 3, TShiftState({ssLeft, ssDouble}));
    EXPECT_EQ(clicks, (std::vector<std::string>{"click 2id3 2id3 33", "dbl 2id3 3", "click 2id3 2id3 33"}));
    // Without an open dataset no click event fires.
    clicks.clear();
    table->Close();
    click(1, 1, TShiftState({ssLeft, ssDouble}));
    EXPECT_TRUE(clicks.empty());
}

TEST_F(DBGridEvents, NormalButtonPressFiresDownUpAndClickForTheRecord) {
    Bind();
    grid->Col(2)->SetButtonType(btNormal);
    MakeCurrent(2, 2);
    std::vector<std::string> events;
    Variant second(BookmarkOf(2));
    auto note = [&](const char* what) {
        return [&events, &second, what](TObject*, Integer col, const Variant& row) {
            events.push_back(std::string(what) + " " + std::to_string(col) + (row == second ? " second" : " other"));
        };
    };
    grid->OnButtonDown = note("down");
    grid->OnButtonUp = note("up");
    grid->OnButtonClick = note("click");
    TgrCellPaintInfo info;
    ASSERT_TRUE(grid->FillDrawInfo(2, 2, info));
    ASSERT_EQ(info.ButtonType, btNormal);
    int x = info.ButtonRect.Left + 2, y = info.ButtonRect.Top + 2;
    grid->MouseDown(mbLeft, TShiftState({ssLeft}), x, y);
    grid->MouseUp(mbLeft, TShiftState(), x, y);
    EXPECT_EQ(events, (std::vector<std::string>{"down 2 second", "click 2 second", "up 2 second"}));
    // Released away from the cell: neither click nor up.
    events.clear();
    grid->MouseDown(mbLeft, TShiftState({ssLeft}), x, y);
    grid->MouseUp(mbLeft, TShiftState(), 2, 2);
    EXPECT_EQ(events, (std::vector<std::string>{"down 2 second"}));
    EXPECT_EQ(table->State(), dsBrowse);
}

TEST_F(DBGridEvents, ShowEditorCanKeepTheEditorClosed) {
    Bind();
    // Edit mode starts by call only where the editor is not always shown.
    grid->SetAlwaysShowEditor(false);
    MakeCurrent(2, 1);
    Variant seen;
    grid->OnShowEditor = [&](TObject*, Integer, const Variant& row, bool& cancel) {
        seen = row;
        cancel = true;
    };
    EXPECT_FALSE(grid->StartEditing(0, false));
    EXPECT_EQ(seen, Variant(BookmarkOf(1)));
    grid->OnShowEditor = nullptr;
    EXPECT_TRUE(grid->StartEditing(0, false));
    // In edit mode already: no second start.
    EXPECT_FALSE(grid->StartEditing(0, false));
}

TEST_F(DBGridEvents, PickedDateTimeValueMayBeChangedBeforeItReachesTheRecord) {
    Bind();
    MakeCurrent(2, 1);
    std::vector<std::string> events;
    grid->OnDateTimeGetValue = [&](TObject*, TgrDateTimeDefComponent*, Integer col, const Variant&, Variant& value) {
        events.push_back("get " + std::to_string(col) + " " + value.AsString());
        value = Variant(std::string("Picked"));
    };
    grid->OnDateTimeRollUp = [&](TObject*, TgrDateTimeDefComponent*, Integer col, const Variant& row) {
        events.push_back("rollup " + std::to_string(col) + (row == Variant(BookmarkOf(1)) ? " first" : " other"));
    };
    // The registered editor answers at once: accepted, then cancelled.
    grid->Col(2)->SetButtonType(btDateTimeDropDown);
    grid->SetDateTimeDef(new TgrDateTimeDefComponent(form));
    bool accept = true;
    TTestDateTimeEditors editors;
    editors.Answer = [&](TgrDateTimeEditor& e) {
        e.Value = Variant(std::string("raw"));
        if (accept) e.OnAccept();
        else e.OnCancel();
    };
    editors.Register();
    ASSERT_TRUE(grid->DropDownDateTime());
    ASSERT_TRUE(grid->PostEdit());
    EXPECT_EQ(table->FieldByName("Name")->AsString(), "Picked");
    // Cancelled, only the roll-up fires and nothing changes.
    accept = false;
    ASSERT_TRUE(grid->DropDownDateTime());
    EXPECT_EQ(events, (std::vector<std::string>{"get 2 raw", "rollup 2 first", "rollup 2 first"}));
    EXPECT_EQ(table->FieldByName("Name")->AsString(), "Picked");
}

TEST_F(DBGridEvents, SpinPressesAndMaskRefusalsNameTheCurrentRecord) {
    Bind();
    grid->Col(3)->SetButtonType(btVertSpin);
    MakeCurrent(3, 2);
    Variant second(BookmarkOf(2));
    std::vector<std::string> events;
    auto name = [&](const Variant& row) { return row == second ? std::string("second") : std::string("other"); };
    grid->OnSpinButtonDown = [&](TObject*, Integer col, const Variant& row, TgrSpinButton b) {
        events.push_back("down " + std::to_string(col) + " " + name(row) + (b == spbUp ? " up" : " down"));
    };
    grid->OnSpinRepeat = [&](TObject*, Integer col, const Variant& row, Integer count, TgrSpinButton) {
        events.push_back("repeat " + std::to_string(col) + " " + name(row) + " " + std::to_string(count));
    };
    grid->OnSpinButtonUp = [&](TObject*, Integer col, const Variant& row, TgrSpinButton) {
        events.push_back("up " + std::to_string(col) + " " + name(row));
    };
    grid->OnSpinButtonClick = [&](TObject*, Integer col, const Variant& row, TgrSpinButton) {
        events.push_back("click " + std::to_string(col) + " " + name(row));
    };
    TgrCellPaintInfo info;
    ASSERT_TRUE(grid->FillDrawInfo(3, 2, info));
    ASSERT_EQ(info.ButtonType, btVertSpin);
    int x = (info.ButtonRect.Left + info.ButtonRect.Right) / 2, y = info.ButtonRect.Top + 2;
    grid->MouseDown(mbLeft, TShiftState({ssLeft}), x, y);
    grid->MouseUp(mbLeft, TShiftState(), x, y);
    EXPECT_EQ(events, (std::vector<std::string>{"down 3 second up", "repeat 3 second 1", "click 3 second",
                                                 "up 3 second"}));

    // Keys a mask refuses, and a value it does not accept: Accept starts
    // False, the handler may let them through.
    std::vector<std::string> masks;
    grid->OnInvalidMaskEdit = [&](TObject*, const std::string& keys, Integer col, const Variant& row, bool& accept) {
        masks.push_back(keys + " " + std::to_string(col) + " " + name(row) + (accept ? " accepted" : ""));
        accept = keys == "ok";
    };
    grid->OnInvalidMaskValue = [&](TObject*, Integer col, const Variant& row, bool& accept) {
        masks.push_back("value " + std::to_string(col) + " " + name(row) + (accept ? " accepted" : ""));
    };
    bool accept = true;
    grid->FireInvalidMaskEdit("x", accept);
    EXPECT_FALSE(accept);
    grid->FireInvalidMaskEdit("ok", accept);
    EXPECT_TRUE(accept);
    accept = true;
    grid->FireInvalidMaskValue(accept);
    EXPECT_FALSE(accept);
    EXPECT_EQ(masks, (std::vector<std::string>{"x 3 second", "ok 3 second", "value 3 second"}));
}

}  // namespace

#include "dbgrid/tests/DBGridTestSupport.h"

#include <QMouseEvent>
#include <QTimer>

#include "dbgrid/DBComboGrid.h"
#include "dbgrid/DBGridCols.h"
#include "platform/core/Clock.h"
#include "platform/data/DataSet.h"

namespace {

using DBComboGrid = DBGridFixture;

TEST_F(DBComboGrid, TheGridMakesADataAwareListThatNamesItsOwnerInErrors) {
    grid->SetName("dbgData");
    std::unique_ptr<TgrBaseGrid> list(grid->CreateComboGrid());
    auto* combo = dynamic_cast<TgrDBComboGrid*>(list.get());
    ASSERT_NE(combo, nullptr);
    EXPECT_TRUE(combo->IsComboGrid());
    EXPECT_EQ(combo->GetDropDownRows(), 4);
    EXPECT_EQ(combo->GetValueCol(), 1);
    EXPECT_EQ(combo->GetAutoSearch(), asNone);
    combo->SetAutoFill(true);
    EXPECT_EQ(combo->GetAutoSearch(), asTop);
    try {
        combo->GetCol(Variant("Nope"));
        FAIL() << "no error";
    } catch (const EInvalidGridOperation& e) {
        EXPECT_EQ(std::string(e.what()).rfind("dbgData.Combo: ", 0), 0u) << e.what();
    }
}

TEST_F(DBComboGrid, SearchFindsTheLongestMatchingPrefixAndStopsAtAWholeMatch) {
    struct Case {
        std::vector<std::string> values;
        bool wholeLength;
        std::string expected;  // the value of the record found, "" for none
        bool found;
    } cases[] = {
        {{"a", "abc", "ab"}, false, "abc", true},
        {{"a", "abc", "ab"}, true, "abc", true},
        {{"a", "b"}, false, "a", true},
        {{"a", "b"}, true, "", false},
        {{"AB", "x"}, true, "AB", true},  // case-insensitive by default
    };
    for (const Case& c : cases) {
        TqmtMemTable list(form);
        list.FieldDefs().Add("V", ftString, 10);
        list.Open();
        for (const std::string& v : c.values) list.AppendRecord({Variant(v)});
        list.First();
        TDataSource listSource(form);
        listSource.SetDataSet(&list);
        TgrDBComboGrid combo(form, grid);
        combo.SetDataSource(&listSource);
        bool found = false;
        std::string bookmark = combo.LocateValue("ab", c.wholeLength, found);
        EXPECT_EQ(found, c.found) << c.values[1] << " whole " << c.wholeLength;
        std::string value;
        if (!bookmark.empty()) {
            list.GotoBookmark(bookmark);
            value = list.FieldByName("V")->AsString();
        }
        EXPECT_EQ(value, c.expected) << c.values[1] << " whole " << c.wholeLength;
        combo.SetDataSource(nullptr);
    }
}

TEST_F(DBComboGrid, ANewListLooksUpAutomaticallyWithTheGridsRecordSettings) {
    Fill(2);
    Bind();
    // Bound to a table without an engine cursor, the grid took the standard
    // window; a list made on its own would start with the engine cursor.
    ASSERT_EQ(grid->DatasetType(), dstStandard);
    grid->SetBookmarkCompareType(bctAsString);
    grid->SetRecordSelection(rseBookmarkSet);
    grid->Col(2)->SetButtonType(btCombo);
    grid->Col(2)->CreateCombo();
    auto* combo = dynamic_cast<TgrDBCombo*>(grid->Col(2)->Combo());
    ASSERT_NE(combo, nullptr);
    TgrDBComboGrid* list = combo->DBComboGrid();
    auto expectFresh = [&](const char* when) {
        EXPECT_EQ(list->DataSource(), nullptr) << when;
        EXPECT_TRUE(list->GetAutoLookup()) << when;
        EXPECT_EQ(list->DatasetType(), dstStandard) << when;
        EXPECT_EQ(list->BookmarkType(), bmtDefault) << when;
        EXPECT_EQ(list->BookmarkCompareType(), bctAsString) << when;
        EXPECT_EQ(list->GetRecordSelection(), rseBookmarkSet) << when;
        EXPECT_EQ(list->Rows(), 0) << when;
        EXPECT_EQ(list->Cols(), 1) << when;
    };
    expectFresh("new");

    // Started again (as the working combo is for each cell), a list that
    // showed a dataset of its own without lookups lets go of both.
    TqmtMemTable other(form);
    other.FieldDefs().Add("Code", ftString, 5);
    other.Open();
    other.AppendRecord({Variant(std::string("A"))});
    TDataSource otherSource(form);
    otherSource.SetDataSet(&other);
    // The column reaches its list's data source.
    auto* col = dynamic_cast<TgrDBCol*>(grid->Col(2));
    ASSERT_NE(col, nullptr);
    EXPECT_EQ(col->GetComboDatasource(), nullptr);
    col->SetComboDatasource(&otherSource);
    EXPECT_EQ(list->DataSource(), &otherSource);
    EXPECT_EQ(col->GetComboDatasource(), &otherSource);
    EXPECT_EQ(dynamic_cast<TgrDBCol*>(grid->Col(1))->GetComboDatasource(), nullptr);
    // Published, ComboDatasource names that source; set by name, the name
    // is looked up among the form's components.
    otherSource.SetName("dsOther");
    EXPECT_EQ(GetStrProp(*col, "ComboDatasource"), "dsOther");
    EXPECT_FALSE(IsStoredProp(*grid->Col(1), "ComboDatasource"));
    SetStrProp(*col, "ComboDatasource", "");
    EXPECT_EQ(list->DataSource(), nullptr);
    SetStrProp(*col, "ComboDatasource", "dsOther");
    EXPECT_EQ(list->DataSource(), &otherSource);
    SetStrProp(*col, "ComboDatasource", "dsNone");
    EXPECT_EQ(list->DataSource(), &otherSource);
    list->SetDataSource(&otherSource);
    list->SetAutoLookup(false);
    list->SetRecordSelection(rseBookmarkRange);
    ASSERT_EQ(list->DataSource(), &otherSource);
    grid->InitComboGrid(combo);
    expectFresh("again");
}

// The Name column of the students carries a combo listing a table of
// grades A..F; the grid stands on the first student's Name.
class DBCombo : public DBGridFixture {
protected:
    void SetUp() override {
        DBGridFixture::SetUp();
        Fill(3);
        grades = new TqmtMemTable(form);
        grades->FieldDefs().Add("Code", ftString, 5);
        grades->Open();
        for (const char* code : {"A", "B", "C", "D", "E", "F"}) grades->AppendRecord({Variant(std::string(code))});
        grades->First();
        gradeSource = new TDataSource(form);
        gradeSource->SetDataSet(grades);
        Bind();
        grid->Col(2)->SetButtonType(btCombo);
        grid->Col(2)->CreateCombo();
        combo = dynamic_cast<TgrDBCombo*>(grid->Col(2)->Combo());
        ASSERT_NE(combo, nullptr);
        combo->DBComboGrid()->SetDataSource(gradeSource);
        combo->SetDropDownRows(3);
        ASSERT_TRUE(grid->CanSelectCell(2, 1));
        grid->MoveCurrentCell(2, 1, false, true);
        grid->ChangeCurrentCell(2, 1);
    }
    void Key(Word16 key, TShiftState shift = {}) { grid->ProcessKeyDown(key, shift); }
    // The combo that drops down: the grid's working combo, loaded from the
    // column's combo, and its list.
    TgrDBCombo* Work() { return grid->GetWorkCombo(); }
    TgrDBComboGrid* Shown() { return Work()->DBComboGrid(); }
    std::string NameOf(int id) {
        std::string back = table->GetBookmark();
        table->Locate("ID", Variant(id), {});
        std::string name = table->FieldByName("Name")->AsString();
        table->GotoBookmark(back);
        return name;
    }
    // A left click on a row of the dropped-down list.
    void ClickList(Integer listRow) {
        TgrDBComboGrid* list = Shown();
        TRect r = list->CellPixels(list->DisplayColOfData(1), list->DisplayRowOfData(listRow));
        QPointF at(r.Left + 3, r.Top + 3);
        QMouseEvent press(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, at, at, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        list->WidgetEvent(&press);
        list->WidgetEvent(&release);
    }

    // A mouse message with the left button held (released by the release).
    static void send(TgrBaseGrid* to, QEvent::Type type, const TPoint& p) {
        QPointF at(p.X, p.Y);
        QMouseEvent e(type, at, at, Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        to->WidgetEvent(&e);
    }
    // A point inside a row of the dropped-down list.
    TPoint listPoint(Integer row) {
        TgrDBComboGrid* list = Shown();
        TRect r = list->CellPixels(list->DisplayColOfData(1), list->DisplayRowOfData(row));
        return TPoint(r.Left + 3, r.Top + 3);
    }

    TqmtMemTable* grades = nullptr;
    TDataSource* gradeSource = nullptr;
    TgrDBCombo* combo = nullptr;
};

TEST_F(DBCombo, SettingsLiveInTheListAndReachTheGridControl) {
    TgrDBComboGrid* list = combo->DBComboGrid();
    EXPECT_EQ(list->GetDropDownRows(), 3);
    EXPECT_EQ(combo->GetDropDownRows(), 3);
    combo->SetValueCol(2);
    combo->SetAutoSearch(asCenter);
    combo->SetAutoFillConvertCase(afcOnExit);
    EXPECT_EQ(list->GetValueCol(), 2);
    EXPECT_EQ(combo->GetValueCol(), 2);
    EXPECT_EQ(list->GetAutoSearch(), asCenter);
    EXPECT_EQ(list->GetAutoFillConvertCase(), afcOnExit);
    // The combo's further integer is a setting of its own: it changes no
    // neighbour.
    combo->SetDropDownWidth(1);
    EXPECT_EQ(combo->GetDropDownWidth(), 1);
    EXPECT_EQ(list->GetValueCol(), 2);
    EXPECT_EQ(list->GetDropDownRows(), 3);
    EXPECT_EQ(list->GetAutoFillConvertCase(), afcOnExit);
    EXPECT_TRUE(list->GetAutoLookup());
    grid->Col(2)->SetDropDownStyle(ddDropDownList);
    EXPECT_EQ(list->GetDropDownStyle(), ddDropDownList);
    EXPECT_EQ(grid->Col(2)->GetDropDownStyle(), ddDropDownList);

    // A column given this combo gets its own combo with every setting.
    grid->Col(3)->SetCombo(combo);
    auto* copy = dynamic_cast<TgrDBCombo*>(grid->Col(3)->Combo());
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, combo);
    EXPECT_EQ(copy->GetDropDownRows(), 3);
    EXPECT_EQ(copy->GetValueCol(), 2);
    EXPECT_EQ(copy->GetAutoSearch(), asCenter);
    EXPECT_EQ(copy->GetAutoFillConvertCase(), afcOnExit);
    EXPECT_EQ(copy->GetDropDownStyle(), ddDropDownList);
}

TEST_F(DBCombo, KeysDropTheListDownMoveInItAndWriteTheChosenValue) {
    Key(VK_F4);
    ASSERT_EQ(grid->DroppedCombo(), Work());
    // The list opens on its first record and shows the rows asked for.
    EXPECT_EQ(grades->FieldByName("Code")->AsString(), "A");
    EXPECT_EQ(Shown()->Rows(), 3);
    Key(VK_DOWN);
    Key(VK_DOWN);
    // Moves go to the list, not to the students.
    EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 1);
    Key(VK_RETURN);
    EXPECT_EQ(grid->DroppedCombo(), nullptr);
    EXPECT_EQ(table->FieldByName("Name")->AsString(), "C");
    EXPECT_EQ(table->State(), dsEdit);
    // Leaving the row posts the chosen value.
    ASSERT_TRUE(grid->CanSelectCell(2, 2));
    EXPECT_EQ(NameOf(1), "C");
    EXPECT_EQ(grades->RecordCount(), 6);

    // Alt+Down drops down too; moving past the list's end appends nothing;
    // Esc closes it without a value.
    grid->MoveCurrentCell(2, 2, false, true);
    grid->ChangeCurrentCell(2, 2);
    Key(VK_DOWN, TShiftState{ssAlt});
    ASSERT_EQ(grid->DroppedCombo(), Work());
    for (int i = 0; i < 8; ++i) Key(VK_DOWN);
    EXPECT_EQ(grades->RecordCount(), 6);
    Key(VK_ESCAPE);
    EXPECT_EQ(grid->DroppedCombo(), nullptr);
    EXPECT_EQ(NameOf(2), "N2");
    EXPECT_EQ(table->State(), dsBrowse);
}

TEST_F(DBCombo, TheListShowsTheRowsAskedForAndGivesItsValueColumn) {
    auto* labels = new TqmtMemTable(form);
    labels->FieldDefs().Add("Code", ftString, 5);
    labels->FieldDefs().Add("Label", ftString, 20);
    labels->Open();
    for (const char* code : {"A", "B", "C", "D"})
        labels->AppendRecord({Variant(std::string(code)), Variant(std::string("Label ") + code)});
    labels->First();
    auto* labelSource = new TDataSource(form);
    labelSource->SetDataSet(labels);
    combo->DBComboGrid()->SetDataSource(labelSource);
    combo->SetValueCol(2);
    combo->SetDropDownRows(2);
    Key(VK_F4);
    ASSERT_EQ(grid->DroppedCombo(), Work());
    TgrDBComboGrid* list = Shown();
    EXPECT_EQ(list->DataSource(), labelSource);
    EXPECT_EQ(list->Rows(), 2);
    Integer width = 0, height = 0;
    list->CalcDropDownSize(combo->GetDropDownCols(), 2, width, height);
    EXPECT_EQ(list->Height(), height);
    EXPECT_EQ(grid->DropDownForm()->Height(), height);
    Key(VK_DOWN);
    Key(VK_RETURN);
    EXPECT_EQ(table->FieldByName("Name")->AsString(), "Label B");
}

TEST_F(DBCombo, ComboEventsNameTheListAndTheRecordInOrder) {
    std::vector<std::string> events;
    Variant first(BookmarkOf(1));
    auto log = [&](const char* name) {
        return [&, name](TObject* sender, TgrDBComboGrid* list, Integer col, const Variant& row) {
            events.push_back(std::string(name) + " " + std::to_string(col) + (row == first ? " first" : " other") +
                             (list == Shown() ? "" : " wrong list") + (sender == grid ? "" : " wrong sender"));
        };
    };
    grid->OnComboInit = log("init");
    grid->OnComboDropDown = log("dropdown");
    grid->OnComboRollUp = log("rollup");
    grid->OnCellEdit = [&](TObject*, Integer, const Variant&, bool) { events.push_back("edit"); };
    Key(VK_F4);
    Key(VK_RETURN);
    EXPECT_EQ(events, (std::vector<std::string>{"init 2 first", "dropdown 2 first", "edit", "rollup 2 first"}));
}

TEST_F(DBCombo, AClickInTheListChoosesItsRecord) {
    Key(VK_F4);
    ASSERT_EQ(grid->DroppedCombo(), Work());
    ClickList(2);
    EXPECT_EQ(grid->DroppedCombo(), nullptr);
    EXPECT_EQ(table->FieldByName("Name")->AsString(), "B");
}

TEST_F(DBCombo, AButtonHeldOntoTheListChoosesTheRecordReleasedOn) {
    TgrCellPaintInfo info;
    ASSERT_TRUE(grid->FillDrawInfo(grid->DisplayColOfData(2), grid->CurrentDisplayRow(), info));
    TgrDBComboGrid* list = Shown();
    send(grid, QEvent::MouseButtonPress, TPoint(info.ButtonRect.Left + 3, info.ButtonRect.Top + 3));
    ASSERT_EQ(grid->DroppedCombo(), Work());
    send(grid, QEvent::MouseMove, grid->ScreenToClient(list->ClientToScreen(listPoint(1))));
    ASSERT_TRUE(list->MouseCapture());
    send(list, QEvent::MouseMove, listPoint(3));
    EXPECT_EQ(grades->FieldByName("Code")->AsString(), "C");
    send(list, QEvent::MouseButtonRelease, listPoint(3));
    EXPECT_EQ(grid->DroppedCombo(), nullptr);
    EXPECT_EQ(table->FieldByName("Name")->AsString(), "C");
}

TEST_F(DBCombo, AListHeldPastItsRowsWaitsRightAfterDroppingDownAndSelectsOnlyUnderThePointer) {
    ManualClock clock{1000};
    SetCurrentClock(&clock);
    struct ClockBack {
        ~ClockBack() { SetCurrentClock(nullptr); }
    } clockBack;
    TgrCellPaintInfo info;
    ASSERT_TRUE(grid->FillDrawInfo(grid->DisplayColOfData(2), grid->CurrentDisplayRow(), info));
    TgrDBComboGrid* list = Shown();
    combo->DBComboGrid()->SetScrollSpeed(spLow);
    // One step every 200 ms. While the list's auto-scroll loop waits, each
    // pass of the event loop takes 60 ms on the clock, for the given number
    // of passes; then the clock stands still and the loop ends.
    list->SetScrollSpeed(spLow);
    constexpr int kPassesPerStep = 4;
    TPoint below(listPoint(1).X, list->ClientHeight() + 10);
    auto holdBelow = [&](int steps) {
        int passes = steps * kPassesPerStep;
        QTimer ticker;
        ticker.setInterval(0);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            if (passes-- > 0) clock.Advance(60);
            else ticker.stop();
        });
        ticker.start();
        send(list, QEvent::MouseMove, below);
        ticker.stop();
    };
    auto topCode = [&] { return list->GetCellValue(1, 1).AsString(); };
    auto code = [&] { return grades->FieldByName("Code")->AsString(); };
    send(grid, QEvent::MouseButtonPress, TPoint(info.ButtonRect.Left + 3, info.ButtonRect.Top + 3));
    ASSERT_EQ(grid->DroppedCombo(), Work());
    send(grid, QEvent::MouseMove, grid->ScreenToClient(list->ClientToScreen(listPoint(1))));
    ASSERT_TRUE(list->MouseCapture());
    // Held below the list before the pointer has been on its rows: the
    // list neither scrolls nor changes its record.
    holdBelow(5);
    EXPECT_EQ(topCode(), "A");
    EXPECT_EQ(code(), "A");
    EXPECT_TRUE(list->AnyRowSelected());
    // On the rows the record under the pointer is selected; held below
    // again, the list walks on and selects nothing while the pointer is
    // off its rows.
    send(list, QEvent::MouseMove, listPoint(2));
    EXPECT_EQ(code(), "B");
    EXPECT_TRUE(list->IsDataRowSelected(list->DataRowOfRow(2)));
    holdBelow(0);
    EXPECT_EQ(code(), "C");
    EXPECT_FALSE(list->AnyRowSelected());
    holdBelow(2);
    EXPECT_EQ(topCode(), "C");
    EXPECT_EQ(code(), "E");
    EXPECT_FALSE(list->AnyRowSelected());
    send(list, QEvent::MouseMove, listPoint(3));
    EXPECT_TRUE(list->IsDataRowSelected(list->DataRowOfRow(3)));
    // Beside the rows, the row's record stays current, unselected.
    send(list, QEvent::MouseMove, TPoint(list->ClientWidth() + 5, listPoint(1).Y));
    EXPECT_EQ(code(), "C");
    EXPECT_FALSE(list->AnyRowSelected());
    send(list, QEvent::MouseMove, listPoint(1));
    EXPECT_TRUE(list->IsDataRowSelected(list->DataRowOfRow(1)));
    send(list, QEvent::MouseButtonRelease, listPoint(1));
    EXPECT_EQ(grid->DroppedCombo(), nullptr);
    EXPECT_EQ(table->FieldByName("Name")->AsString(), "C");
}

TEST_F(DBCombo, ASearchingComboOpensOnTheCellsValue) {
    combo->SetAutoSearch(asTop);
    ASSERT_TRUE(grid->EditCurrentCell("E"));
    ASSERT_TRUE(grid->EndCellEdit());
    Key(VK_F4);
    ASSERT_EQ(grid->DroppedCombo(), Work());
    EXPECT_EQ(grades->FieldByName("Code")->AsString(), "E");
    Key(VK_UP);
    Key(VK_RETURN);
    EXPECT_EQ(table->FieldByName("Name")->AsString(), "D");
}

TEST_F(DBCombo, AListOverTheGridsOwnRecordsNeverDropsDown) {
    combo->DBComboGrid()->SetDataSource(source);
    Key(VK_F4);
    EXPECT_EQ(grid->DroppedCombo(), nullptr);
    Key(VK_DOWN, TShiftState{ssAlt});
    EXPECT_EQ(grid->DroppedCombo(), nullptr);
    // Nor does Alt+Down move the record.
    EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 1);
}

}  // namespace

#include "dbgrid/tests/DBGridTestSupport.h"

#include "dbgrid/DBGridCols.h"
#include "dbgrid/DBGridCurrentCell.h"
#include "grid/GridColRow.h"
#include "platform/data/DataSet.h"

namespace {

using DBGridRecordQueries = DBGridFixture;

// Makes the record of an id the dataset's, and so the grid's, current one.
void GoTo(TqmtMemTable* table, int id) { table->Locate("ID", Variant(id), {}); }

TEST_F(DBGridRecordQueries, CurrentCellQueriesAnswerForTheCurrentRecord) {
    Fill(12);
    Bind();
    Variant r3(BookmarkOf(3)), r10(BookmarkOf(10));
    grid->SetRowReadOnly(r3, true);
    grid->SetCellMaskName(2, r3, "Digits");
    grid->SetCellControlType(3, r10, ctCheck);
    // Value texts serve a text column; a number column takes the grid's.
    grid->Col(2)->SetCheckBoxValues("Yes|No");
    grid->Col(3)->SetCheckBoxValues("1|0");
    grid->SetCheckBoxValues("On|Off");
    grid->SelectRows(r3, r3, true);

    struct Case {
        int id;
        Integer col;
        bool readOnly, rowSelected;
        const char* mask;
        TgrControlType type;
        const char* checkValues;
    } cases[] = {
        {3, 2, true, true, "Digits", ctText, "Yes|No"},
        {3, 3, true, true, "", ctText, "On|Off"},
        // Far down: the window scrolled away from record 3.
        {10, 3, false, false, "", ctCheck, "On|Off"},
        {10, 2, false, false, "", ctText, "Yes|No"},
        // Back again: record 3 kept its attributes and its selection.
        {3, 2, true, true, "Digits", ctText, "Yes|No"},
    };
    for (const Case& c : cases) {
        GoTo(table, c.id);
        grid->MoveToDataCell(c.col, grid->CurrentDataRow());
        SCOPED_TRACE("record " + std::to_string(c.id) + " column " + std::to_string(c.col));
        ASSERT_EQ(grid->GetCurrentDataRow(), Variant(BookmarkOf(c.id)));
        EXPECT_EQ(grid->IsCurrentCellReadOnly(), c.readOnly);
        EXPECT_EQ(grid->IsCurrentRowSelected(), c.rowSelected);
        EXPECT_EQ(grid->IsCurrentCellSelected(), c.rowSelected);
        EXPECT_EQ(grid->GetCurrentMaskName(), c.mask);
        EXPECT_EQ(grid->GetCurrentControlType(), c.type);
        EXPECT_EQ(grid->GetCurrentCheckBoxValues(), c.checkValues);
    }
}

TEST_F(DBGridRecordQueries, SelectingTheCurrentRowSelectsItsRecord) {
    Fill(12);
    grid->SetRowSelectMode(rsMulti);
    Bind();
    GoTo(table, 2);
    EXPECT_FALSE(grid->IsCurrentRowSelected());
    grid->SelectCurrentRow();
    EXPECT_TRUE(grid->IsCurrentRowSelected());
    GoTo(table, 11);
    EXPECT_FALSE(grid->IsCurrentRowSelected());
    grid->SelectCurrentRow();
    EXPECT_EQ(SelectedRuns(12), "2,11");
    // A second call leaves the selection as it is.
    grid->SelectCurrentRow();
    EXPECT_EQ(SelectedRuns(12), "2,11");
    // A selected column selects the current cell of every record.
    GoTo(table, 5);
    EXPECT_FALSE(grid->IsCurrentCellSelected());
    grid->Col(grid->CurrentDataCol())->SetSelected(true);
    EXPECT_TRUE(grid->IsCurrentCellSelected());
    EXPECT_FALSE(grid->IsCurrentRowSelected());
}

TEST_F(DBGridRecordQueries, EffectiveControlTypeAndComboOfAnyRecord) {
    Fill(12);
    Bind();
    // Record 10 lies outside the window of five rows.
    Variant r10(BookmarkOf(10)), r2(BookmarkOf(2));
    ASSERT_EQ(grid->WindowPositionOfDataRow(r10), 0);
    grid->SetCellControlType(1, r10, ctCheck);
    grid->SetRowControlType(r2, ctCheck);
    grid->SetCellButtonType(2, r10, btCombo);
    TgrCombo* own = grid->CreateCellCombo(2, r10);
    ASSERT_NE(own, nullptr);
    grid->SetCellParentCombo(2, r10, false);
    grid->SetDrawOverlap(doDrawRowOnTop);

    EXPECT_EQ(grid->GetCellEffectiveControlType(1, r10), ctCheck);
    EXPECT_EQ(grid->GetCellEffectiveControlType(2, r10), ctText);
    EXPECT_EQ(grid->GetCellEffectiveControlType(3, r2), ctCheck);
    EXPECT_EQ(grid->GetCellEffectiveCombo(2, r10), own);
    EXPECT_EQ(grid->GetCellEffectiveCombo(2, r2), nullptr);
    // A column with a combo of its own serves the records without one.
    grid->Col(3)->SetButtonType(btCombo);
    grid->Col(3)->SetParentCombo(false);
    grid->Col(3)->CreateCombo();
    ASSERT_NE(grid->Col(3)->Combo(), nullptr);
    EXPECT_EQ(grid->GetCellEffectiveCombo(3, r2), grid->Col(3)->Combo());
    // Keys the grid cannot take are refused.
    EXPECT_THROW(grid->GetCellEffectiveControlType(0, r10), EInvalidGridOperation);
    EXPECT_THROW(grid->GetCellEffectiveControlType(4, r10), EInvalidGridOperation);
    EXPECT_THROW(grid->GetCellEffectiveControlType(1, Variant(3)), EInvalidGridOperation);
    EXPECT_THROW(grid->GetCellEffectiveCombo(2, Variant(3)), EInvalidGridOperation);
}

TEST_F(DBGridRecordQueries, AlignmentOfARecordCellByDrawOverlap) {
    Fill(3);
    Bind();
    Variant r1(BookmarkOf(1));
    grid->SetRowHorzAlignment(r1, htaCenter);
    TgrCol* col = grid->Col(2);
    col->SetHorzAlignment(htaRight);
    struct Case {
        TgrDrawOverlap overlap;
        bool colAlign;
        TgrHorzAlignment cell, expected;
    } cases[] = {
        {doDrawRowOnTop, false, htaDefault, htaCenter},
        {doDrawRowOnTop, true, htaDefault, htaCenter},
        {doDrawColOnTop, false, htaDefault, htaCenter},
        {doDrawColOnTop, true, htaDefault, htaRight},
        {doDrawColOnTop, true, htaLeft, htaLeft},
    };
    for (const Case& c : cases) {
        grid->SetDrawOverlap(c.overlap);
        col->SetAlign(c.colAlign);
        grid->SetCellHorzAlignment(2, r1, c.cell);
        EXPECT_EQ(grid->ResolveCellAlignment(grid->DisplayColOfData(2), r1), c.expected)
            << int(c.overlap) << " " << c.colAlign << " " << int(c.cell);
    }
    // A record without a row alignment takes the column's.
    EXPECT_EQ(grid->ResolveCellAlignment(grid->DisplayColOfData(2), Variant(BookmarkOf(2))), htaRight);
}

TEST_F(DBGridRecordQueries, CellLoadedNotificationBoundAndUnbound) {
    Fill(3);
    std::vector<std::string> loaded;
    grid->OnCellLoaded = [&](TObject*, Integer dataCol, const Variant& dataRow, Variant& value) {
        loaded.push_back(std::to_string(dataCol) + "@" + (dataRow.IsString() ? "record" : dataRow.AsString()));
        if (dataCol == 3) value = Variant(Integer(7));
    };
    // Unbound, the row number names the row and the handler's value shows.
    grid->SetCols(3);
    grid->SetRows(2);
    EXPECT_EQ(grid->GetCellValue(3, 2).AsInteger(), 7);
    EXPECT_EQ(loaded, (std::vector<std::string>{"3@2"}));
    loaded.clear();
    Bind();
    // A number put into a text cell is shown as text.
    Variant value = grid->GetCellValue(3, Variant(BookmarkOf(2)));
    EXPECT_TRUE(value.IsString());
    EXPECT_EQ(value.AsString(), "7");
    EXPECT_EQ(loaded, (std::vector<std::string>{"3@record"}));
}

TEST_F(DBGridRecordQueries, RecordCellReadWithItsDataRow) {
    Fill(12);
    Bind();
    Variant record;
    // In the window: the window row's DataRow.
    Variant value = grid->ReadRecordCellValueAndDataRow(2, Variant(BookmarkOf(2)), record);
    EXPECT_EQ(value.AsString(), "N2");
    EXPECT_EQ(record, Variant(BookmarkOf(2)));
    // Outside it: read by bookmark, the window and the dataset left alone.
    std::string before = Bookmark();
    value = grid->ReadRecordCellValueAndDataRow(2, Variant(BookmarkOf(11)), record);
    EXPECT_EQ(value.AsString(), "N11");
    EXPECT_EQ(record, Variant(BookmarkOf(11)));
    EXPECT_EQ(Bookmark(), before);
    EXPECT_EQ(grid->GetGridCols()->Count(), grid->Cols() + 1);
    EXPECT_EQ(grid->GetCurrentCellObject(), grid->CurrentCell());
}

TEST_F(DBGridRecordQueries, OwnLookupSourceIsFreedWhenTheGridLeavesIt) {
    Fill(3);
    grid->SetAutoLookupDataSet(table);
    TDataSource* own = grid->AutoLookupSource();
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own->Name(), "AutoLookup");
    EXPECT_EQ(grid->DataSource(), own);
    EXPECT_EQ(grid->GetAutoLookupDataSet(), table);
    EXPECT_EQ(NameAt(1), "N1");
    // The same dataset again keeps the source.
    grid->SetAutoLookupDataSet(table);
    EXPECT_EQ(grid->AutoLookupSource(), own);
    // Another source: the own one goes.
    Integer owned = grid->ComponentCount();
    Bind();
    EXPECT_EQ(grid->AutoLookupSource(), nullptr);
    EXPECT_EQ(grid->GetAutoLookupDataSet(), nullptr);
    EXPECT_EQ(grid->ComponentCount(), owned - 1);
    EXPECT_EQ(NameAt(1), "N1");
}

TEST_F(DBGridRecordQueries, FieldColumnsInsertedByName) {
    Fill(3);
    grid->SetFieldState(fsCustomized);
    Bind();
    grid->SetCols(0);
    std::vector<Integer> inserted;
    grid->OnInsertCol = [&](TObject*, Integer dataCol, bool byUser) {
        EXPECT_FALSE(byUser);
        inserted.push_back(dataCol);
    };
    grid->InsertFieldColumn(1, "Score");
    grid->InsertFieldColumn(1, "Name");
    grid->InsertFieldColumn(3, "");
    // Outside 1..Cols + 1 nothing is inserted.
    grid->InsertFieldColumn(5, "ID");
    grid->InsertFieldColumn(0, "ID");
    ASSERT_EQ(grid->Cols(), 3);
    EXPECT_EQ(inserted, (std::vector<Integer>{1, 2, 3}));
    EXPECT_EQ(grid->Col(1)->FieldName(), "Score");
    EXPECT_EQ(grid->Col(2)->FieldName(), "Name");
    EXPECT_EQ(grid->DisplayColOfData(2), 1);
    EXPECT_EQ(grid->FieldOfCol(2), table->FieldByName("Name"));
    EXPECT_EQ(grid->FieldOfCol(3), nullptr);
    EXPECT_EQ(grid->GetCellValue(1, Variant(BookmarkOf(2))).AsString(), "98");
}

TEST_F(DBGridRecordQueries, KeySearchOnlyOverAnIndexedTable) {
    Fill(5);
    table->DefineIndex("ByName", "Name", 0);
    Bind();
    auto* window = dynamic_cast<TgrStandardDataset*>(grid->RecordWindow());
    ASSERT_NE(window, nullptr);
    auto startsWith = [](const std::string& value, const std::string& text) { return value.rfind(text, 0) == 0; };
    std::string bookmark;
    EXPECT_FALSE(window->IsTable());
    EXPECT_FALSE(window->FindKey("N4", 2, startsWith, bookmark));
    table->SetIndexName("ByName");
    EXPECT_TRUE(window->IsTable());
    EXPECT_TRUE(window->FindKey("N4", 2, startsWith, bookmark));
    EXPECT_EQ(bookmark, BookmarkOf(4));
    // Both ways the search finds the same record.
    bool found = false;
    EXPECT_EQ(window->LocateValue("N3", 2, false, startsWith, found), BookmarkOf(3));
    EXPECT_TRUE(found);
    table->SetIndexName("");
    EXPECT_EQ(window->LocateValue("N3", 2, false, startsWith, found), BookmarkOf(3));
    EXPECT_TRUE(found);
}

TEST_F(DBGridRecordQueries, ScrollBarMapsRecordsOnlyOverNumberedRecords) {
    Fill(5);
    Bind();
    EXPECT_EQ(grid->CanMapScrollToRecords(), table->IsSequenced());
    EXPECT_TRUE(grid->CanMapScrollToRecords());
}

}  // namespace

#include "dbgrid/tests/DBGridTestSupport.h"

#include "grid/GRGLib.h"
#include "grid/TSDateTimeDef.h"
#include "platform/core/Exception.h"
#include "platform/data/DataSet.h"

namespace {

using DBGridDataMode = DBGridFixture;

TEST_F(DBGridDataMode, BindingHoldsTheRowPropertiesAtTheirDataModeValues) {
    Fill(5);
    grid->SetFixedRowCount(2);
    grid->SetResizeRows(rrSingle);
    grid->SetRowMoving(true);
    grid->SetCellSelectMode(cmRange);
    grid->SetRowChangedIndicator(riOn);
    Bind();
    EXPECT_EQ(grid->FixedRowCount(), 0);
    EXPECT_EQ(grid->ResizeRows(), rrAll);
    EXPECT_FALSE(grid->RowMoving());
    EXPECT_EQ(grid->CellSelectMode(), cmNone);
    EXPECT_EQ(grid->RowChangedIndicator(), riAutoReset);
    // While bound the row values are refused, the data-mode ones taken.
    grid->SetFixedRowCount(1);
    grid->SetResizeRows(rrSingle);
    grid->SetRowMoving(true);
    grid->SetCellSelectMode(cmRange);
    grid->SetRowChangedIndicator(riOn);
    EXPECT_EQ(grid->FixedRowCount(), 0);
    EXPECT_EQ(grid->ResizeRows(), rrAll);
    EXPECT_FALSE(grid->RowMoving());
    EXPECT_EQ(grid->CellSelectMode(), cmNone);
    EXPECT_EQ(grid->RowChangedIndicator(), riAutoReset);
    grid->SetResizeRows(rrNone);
    EXPECT_EQ(grid->ResizeRows(), rrNone);
    // Unbound, the grid class's values are taken again.
    grid->SetDataSource(nullptr);
    grid->SetRowMoving(true);
    grid->SetCellSelectMode(cmRange);
    EXPECT_TRUE(grid->RowMoving());
    EXPECT_EQ(grid->CellSelectMode(), cmRange);
}

TEST_F(DBGridDataMode, RowsAreRecordsNotNumbers) {
    Fill(5);
    Bind();
    ASSERT_EQ(grid->Rows(), 5);
    grid->SetRows(2);
    EXPECT_EQ(grid->Rows(), 5);
    grid->DeleteRows(1, 3);
    EXPECT_EQ(table->RecordCount(), 5);
    EXPECT_EQ(Names(), "N1,N2,N3,N4,N5");
    // Deleting the selected rows deletes their records without asking.
    grid->SelectRows(Variant(BookmarkOf(2)), Variant(BookmarkOf(3)), true);
    grid->DeleteSelectedRows();
    EXPECT_EQ(prompts->Transcript().size(), 0u);
    EXPECT_EQ(Names(), "N1,N4,N5");
    EXPECT_TRUE(grid->RecordSelectionSet().Empty());
}

TEST_F(DBGridDataMode, FieldAdaptersAreFoundByNumberOrName) {
    Bind();
    struct Case {
        Variant key;
        const char* field;
    } cases[] = {{Variant(1), "ID"},         {Variant(3), "Score"}, {Variant(std::string("NAME")), "Name"},
                 {Variant(0), nullptr},       {Variant(4), nullptr}, {Variant(std::string("Age")), nullptr},
                 {Variant(true), nullptr},    {Variant(2.0), nullptr}};
    for (const Case& c : cases) {
        TgrDBField* f = grid->FindFieldAdapter(c.key);
        if (!c.field) EXPECT_EQ(f, nullptr) << c.key.AsString();
        else ASSERT_NE(f, nullptr) << c.field;
        if (f && c.field) EXPECT_EQ(f->GetFieldName(), c.field);
    }
}

TEST_F(DBGridDataMode, ReadOnlyAndControlTypeFollowTheRecord) {
    Fill(12);
    Bind();
    Variant second(BookmarkOf(2)), third(BookmarkOf(3));
    grid->SetCellReadOnly(2, second, roOn);
    grid->SetRowReadOnly(third, true);
    grid->SetCellControlType(3, second, ctCheck);
    EXPECT_TRUE(grid->IsCellReadOnly(2, 2));
    EXPECT_FALSE(grid->IsCellReadOnly(3, 2));
    EXPECT_TRUE(grid->IsCellReadOnly(1, 3));
    EXPECT_TRUE(grid->IsRowReadOnly(3));
    EXPECT_EQ(grid->EffectiveControlType(3, 2), ctCheck);
    EXPECT_EQ(grid->EffectiveControlType(3, 3), ctText);
    auto editAt = [&](Integer col, int id) {
        table->Locate("ID", Variant(id), {});
        grid->MoveCurrentCell(col, grid->WindowPositionOfDataRow(Variant(Bookmark())), false, true);
        bool edited = grid->EditCurrentCell("9");
        grid->UndoEdit();
        grid->UndoEdit();
        return edited;
    };
    EXPECT_FALSE(editAt(2, 2));
    EXPECT_TRUE(editAt(3, 2));
    EXPECT_FALSE(editAt(3, 3));
    EXPECT_TRUE(editAt(2, 4));
    // The cell's own roOff opens a read-only column for that record only.
    grid->Col(1)->SetReadOnly(true);
    grid->SetCellReadOnly(1, Variant(BookmarkOf(4)), roOff);
    EXPECT_TRUE(editAt(1, 4));
    EXPECT_FALSE(editAt(1, 5));
    // Scrolled down, the settings stay with the records.
    table->Last();
    Integer row2 = grid->WindowPositionOfDataRow(second);
    EXPECT_EQ(row2, 0);
    for (Integer r = 1; r <= grid->Rows(); ++r) {
        EXPECT_EQ(grid->EffectiveControlType(3, r), ctText);
        EXPECT_FALSE(grid->IsRowReadOnly(r));
    }
    table->First();
    EXPECT_EQ(grid->EffectiveControlType(3, grid->WindowPositionOfDataRow(second)), ctCheck);
    EXPECT_TRUE(grid->IsRecordCellEditable(3, second));
    EXPECT_FALSE(grid->IsRecordCellEditable(2, second));
    EXPECT_FALSE(grid->IsRecordCellEditable(4, second));
    EXPECT_THROW(grid->SetCellReadOnly(0, second, roOn), EInvalidGridOperation);
}

TEST_F(DBGridDataMode, ColoursAskedByWindowRowAnswerForTheRecordShown) {
    Fill(12);
    Bind();
    Variant second(BookmarkOf(2));
    grid->SetCellColor(3, second, clRed);
    grid->SetRowColor(second, clLime);
    EXPECT_EQ(grid->GetCellColor(3, 2), clRed);
    EXPECT_EQ(grid->GetRowColor(2), clLime);
    EXPECT_EQ(grid->GetCellColor(3, 1), grColorNotSet);
    // Scrolled away and sorted the other way, the colours stay with the record.
    table->Last();
    for (Integer r = 1; r <= grid->Rows(); ++r) EXPECT_EQ(grid->GetRowColor(r), grColorNotSet) << r;
    table->SetSortFields("Score");
    table->Sort();
    table->Last();
    Integer row = grid->WindowPositionOfDataRow(second);
    ASSERT_GE(row, 1);
    EXPECT_EQ(grid->GetCellColor(3, row), clRed);
    EXPECT_EQ(grid->GetRowColor(row), clLime);
}

TEST_F(DBGridDataMode, AFreedDateTimeDefinitionLeavesNoRecordCellPointingAtIt) {
    Fill(3);
    Bind();
    auto* def = new TgrDateTimeDefComponent(nullptr);
    grid->SetCellDateTimeDef(2, Variant(BookmarkOf(2)), def);
    grid->SetCellColor(3, Variant(BookmarkOf(2)), clRed);
    ASSERT_EQ(grid->RecordCellProps().Count(), 2);
    delete def;
    EXPECT_EQ(grid->RecordCellProps().Count(), 1);
    EXPECT_EQ(grid->GetCellDateTimeDef(2, Variant(BookmarkOf(2))), nullptr);
}

TEST_F(DBGridDataMode, AnotherDataSourceStartsWithoutTheOldRecordsProperties) {
    Fill(3);
    Bind();
    // The old records' properties and selection do not carry over to
    // another dataset's records.
    auto* other = new TqmtMemTable(form);
    other->FieldDefs().Add("ID", ftInteger);
    other->Open();
    for (int i = 1; i <= 3; ++i) {
        other->Append();
        other->FieldByName("ID")->SetAsInteger(i * 10);
        other->Post();
    }
    other->First();
    Variant second(BookmarkOf(2));
    grid->SetCellColor(1, second, clRed);
    grid->SetRowColor(second, clLime);
    grid->SelectRows(second, second, true);
    auto* otherSource = new TDataSource(form);
    otherSource->SetDataSet(other);
    grid->SetDataSource(otherSource);
    ASSERT_EQ(grid->Rows(), 3);
    EXPECT_EQ(grid->RecordCellProps().Count(), 0);
    EXPECT_EQ(grid->RecordRowProps().Count(), 0);
    EXPECT_TRUE(grid->RecordSelectionSet().Empty());
    for (Integer r = 1; r <= 3; ++r) EXPECT_EQ(grid->GetCellColor(1, r), grColorNotSet) << r;
}

TEST_F(DBGridDataMode, CellValuesFollowTheCellsControlType) {
    Fill(3);
    Bind();
    Variant first(BookmarkOf(1)), second(BookmarkOf(2));
    // A number put into a text cell by the handler comes back as text.
    grid->OnCellLoaded = [](TObject*, Integer col, const Variant&, Variant& value) {
        if (col == 1) value = Variant(value.AsInteger() * 10);
    };
    Variant v = grid->GetCellValue(1, first);
    EXPECT_TRUE(v.IsString());
    EXPECT_EQ(v.AsString(), "10");
    // A cell without a control has no value; a check box over an integer
    // field shows the field's own value.
    grid->SetCellControlType(3, first, ctNone);
    grid->SetCellControlType(3, second, ctCheck);
    EXPECT_TRUE(grid->GetCellValue(3, first).IsEmpty());
    v = grid->GetCellValue(3, second);
    EXPECT_FALSE(v.IsString());
    EXPECT_EQ(v.AsInteger(), 98);
    EXPECT_TRUE(grid->GetCellValue(4, first).IsEmpty());
    // Reading a cell from inside the cell-loaded handler is refused.
    std::string error;
    grid->OnCellLoaded = [&](TObject*, Integer col, const Variant& row, Variant&) {
        if (col != 2) return;
        try {
            grid->GetCellValue(1, row);
        } catch (const Exception& e) {
            error = e.Message;
        }
    };
    EXPECT_EQ(grid->GetCellValue(2, second).AsString(), "N2");
    EXPECT_NE(error.find("Cannot get Cell property value while in OnCellLoaded event"), std::string::npos) << error;
}

}  // namespace

namespace {

using DBGridLoading = DBGridFixture;

TEST_F(DBGridLoading, RecordEventsStaySilentWhileTheGridIsLoaded) {
    Fill(20);
    // Narrow enough for the columns to scroll sideways.
    grid->SetBounds(0, 0, 120, HeightForRows(5));
    Bind();
    std::vector<std::string> heard;
    grid->OnTopLeftChanged = [&](TObject*, Integer, const Variant&, Integer, const Variant&, bool) {
        heard.push_back("top-left");
    };
    grid->OnPrintRow = [&](TObject*, const Variant&, bool&) { heard.push_back("print-row"); };
    grid->OnPrintCell = [&](TObject*, Integer, const Variant&, bool&) { heard.push_back("print-cell"); };
    grid->OnFieldLayoutChange = [&](TObject*) { heard.push_back("layout"); };
    bool loadedHeard = false;
    grid->OnCellLoaded = [&](TObject*, Integer, const Variant&, Variant&) { loadedHeard = true; };
    bool cancel = true;
    grid->BeginLoading();
    grid->SetLeftCol(2);
    grid->DoPrintRow(Variant(Bookmark()), cancel);
    EXPECT_FALSE(cancel);
    cancel = true;
    grid->DoPrintCell(1, Variant(Bookmark()), cancel);
    EXPECT_FALSE(cancel);
    grid->DoFieldLayoutChange();
    grid->GetCellValue(2, Variant(Bookmark()));
    EXPECT_TRUE(heard.empty());
    EXPECT_TRUE(loadedHeard);
    EXPECT_EQ(grid->TopLeftCell().Col, 2);
    grid->EndLoading();
    heard.clear();
    // Loaded, the moves are reported again.
    grid->SetLeftCol(2);
    grid->SetLeftCol(1);
    ASSERT_FALSE(heard.empty());
    heard.erase(heard.begin(), heard.end() - 1);
    grid->DoPrintRow(Variant(Bookmark()), cancel);
    EXPECT_EQ(heard, (std::vector<std::string>{"top-left", "print-row"}));
    grid->OnFieldLayoutChange = nullptr;
    grid->OnTopLeftChanged = nullptr;
}

}  // namespace

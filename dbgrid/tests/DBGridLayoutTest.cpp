// Columns made from the dataset's fields: field layouts noticing changes
// made at run time, the column rebuild in both field states, and field
// adapters that start the record's edit before they write.
#include "dbgrid/tests/DBGridTestSupport.h"

#include <functional>

#include "dbgrid/DBGridCols.h"
#include "platform/data/DataSet.h"
#include "platform/data/StdFields.h"
#include "platform/gui/Canvas.h"
#include "platform/gui/Graphics.h"

namespace {

using DBGridLayout = DBGridFixture;

TEST_F(DBGridLayout, AFieldLayoutMatchesOnlyTheFieldAsCaptured) {
    TBooleanField flag;
    flag.SetFieldName("Passed");
    TStringField name;
    name.SetFieldName("Name");
    struct Case {
        const char* change;
        TField* field;
        std::function<void()> apply;
    } cases[] = {
        {"label", &name, [&] { name.SetDisplayLabel("Student"); }},
        {"label case", &name, [&] { name.SetDisplayLabel("student"); }},
        {"name case", &name, [&] { name.SetFieldName("NAME"); }},
        {"width", &name, [&] { name.SetDisplayWidth(33); }},
        {"read-only", &name, [&] { name.SetReadOnly(true); }},
        {"visible", &name, [&] { name.SetVisible(false); }},
        {"Boolean texts", &flag, [&] { flag.SetDisplayValues("Yes;No"); }},
    };
    for (const Case& c : cases) {
        TgrFieldLayout layout;
        layout.Capture(c.field);
        EXPECT_TRUE(layout.Matches(c.field)) << c.change;
        c.apply();
        EXPECT_FALSE(layout.Matches(c.field)) << c.change;
        layout.Capture(c.field);
        EXPECT_TRUE(layout.Matches(c.field)) << c.change;
    }
}

TEST_F(DBGridLayout, FieldsChangedAtRunTimeAreNoticedAndTheColumnsFollow) {
    Fill(3);
    Bind();
    grid->Take();
    int layoutChanges = 0;
    grid->OnFieldLayoutChange = [&](TObject*) { ++layoutChanges; };
    TgrGridData* window = grid->RecordWindow();
    EXPECT_EQ(window->FieldLayoutCount(), 3);
    EXPECT_FALSE(window->FieldLayoutsChanged());
    TField* name = table->FieldByName("Name");
    TgrCol* col = grid->GetCol(Variant("Name"));
    Integer width = col->Width();

    name->SetDisplayLabel("Student");
    EXPECT_EQ(grid->Take(), "layout");
    EXPECT_EQ(col->GetHeading(), "Student");
    EXPECT_EQ(layoutChanges, 1);
    EXPECT_FALSE(window->FieldLayoutsChanged()) << "the layouts were taken again";

    name->SetDisplayWidth(40);
    EXPECT_GT(col->Width(), width);
    name->SetVisible(false);
    EXPECT_FALSE(col->Visible());
    EXPECT_EQ(grid->Cols(), 3) << "a hidden field keeps its column";
    name->SetVisible(true);
    EXPECT_TRUE(col->Visible());
    EXPECT_EQ(layoutChanges, 4);
    // What was set on the column itself stays.
    col->SetWidth(90);
    col->SetHeading("Who");
    name->SetDisplayWidth(5);
    name->SetDisplayLabel("Pupil");
    EXPECT_EQ(col->Width(), 90);
    EXPECT_EQ(col->GetHeading(), "Who");
    EXPECT_EQ(grid->GetCellValue(2, 1).AsString(), "N1");
    // A new font rebuilds the columns that follow their fields and is
    // reported as a layout change; what was set on a column stays.
    grid->Font()->SetSize(14);
    EXPECT_EQ(layoutChanges, 7);
    EXPECT_EQ(col->Width(), 90);
    EXPECT_EQ(grid->FieldOfCol(2), name);
}

TEST_F(DBGridLayout, ALayoutChangeKeepsTheViewAndTheCurrentRecord) {
    Fill(20);
    // Narrow enough for the columns to scroll sideways.
    grid->SetBounds(0, 0, 120, HeightForRows(5));
    Bind();
    std::string events;
    grid->OnTopLeftChanged = [&](TObject*, Integer, const Variant&, Integer, const Variant&, bool byUser) {
        events += byUser ? "user;" : "program;";
    };
    table->Locate("ID", Variant(12), {});
    grid->SetLeftCol(2);
    ASSERT_EQ(grid->TopLeftCell().Col, 2);
    std::string names = Names(), current = Bookmark();
    events.clear();
    TField* name = table->FieldByName("Name");
    struct Case {
        const char* change;
        std::function<void()> apply;
    } cases[] = {
        {"label", [&] { name->SetDisplayLabel("Student"); }},
        {"width", [&] { name->SetDisplayWidth(30); }},
        {"read-only", [&] { table->FieldByName("Score")->SetReadOnly(true); }},
    };
    for (const Case& c : cases) {
        c.apply();
        EXPECT_EQ(grid->TopLeftCell().Col, 2) << c.change;
        EXPECT_EQ(Names(), names) << c.change;
        EXPECT_EQ(grid->CurrentBookmark(), current) << c.change;
        Integer row = grid->RecordWindow()->GetCurrentRecordRow();
        EXPECT_EQ(grid->CurrentDataRow(), row) << c.change;
        EXPECT_EQ(grid->GetCellValue(2, row).AsString(), "N12") << c.change;
    }
    // The move to column 2 was reported when it happened; the unchanged
    // view after each layout change is not.
    EXPECT_EQ(events, "");
    EXPECT_EQ(grid->GetCol(Variant(2))->GetHeading(), "Student");
}

TEST_F(DBGridLayout, ColumnsAreRebuiltUnderTheCallersUpdateLock) {
    Fill(3);
    grid->LockUpdate();
    Bind();
    EXPECT_EQ(grid->Cols(), 3);
    grid->RebuildColumns(true, true, true);
    EXPECT_EQ(grid->Cols(), 3);
    EXPECT_EQ(grid->FieldOfCol(3), table->FieldByName("Score"));
    grid->UnlockUpdate();
    EXPECT_EQ(grid->GetCellValue(2, 1).AsString(), "N1");
}

TEST_F(DBGridLayout, DefaultWidthsAreMeasuredInTheColumnsFont) {
    Fill(2);
    Bind();
    auto zeroIn = [](TFont* font) {
        TCanvas c;
        c.Font()->Assign(*font);
        return Integer(c.TextWidth("0"));
    };
    auto headingIn = [](TFont* font, const std::string& text) {
        TCanvas c;
        c.Font()->Assign(*font);
        return Integer(c.TextWidth(text));
    };
    TField* name = table->FieldByName("Name");
    TField* score = table->FieldByName("Score");
    TgrCol* nameCol = grid->GetCol(Variant("Name"));
    TgrCol* scoreCol = grid->GetCol(Variant("Score"));
    Integer zero = zeroIn(grid->Font());
    ASSERT_GT(zero, 0);
    EXPECT_EQ(nameCol->Width(), zero * name->DisplayWidth() + 6);
    // A narrow field's column is as wide as its heading and the margin.
    score->SetDisplayWidth(1);
    score->SetDisplayLabel("Points scored");
    EXPECT_EQ(scoreCol->Width(), headingIn(grid->Font(), "Points scored") + 6);
    grid->SetHeadingOn(false);
    grid->RebuildColumns(true, false, false);
    EXPECT_EQ(scoreCol->Width(), zero + 6);
    grid->SetHeadingOn(true);
    // A column with a font of its own measures in it.
    auto big = std::make_unique<TFont>();
    big->Assign(*grid->Font());
    big->SetSize(20);
    nameCol->SetFont(big.get());
    ASSERT_FALSE(nameCol->ParentFont());
    grid->RebuildColumns(true, false, false);
    EXPECT_EQ(nameCol->Width(), zeroIn(big.get()) * name->DisplayWidth() + 6);
    EXPECT_GT(zeroIn(big.get()), zero);
    // A new grid font widens the columns that follow their field, not one
    // whose width was set.
    TgrCol* idCol = grid->GetCol(Variant("ID"));
    idCol->SetWidth(33);
    grid->Font()->SetSize(16);
    Integer zero16 = zeroIn(grid->Font());
    EXPECT_GT(zero16, zero);
    EXPECT_EQ(scoreCol->Width(), headingIn(grid->Font(), "Points scored") + 6);
    EXPECT_EQ(idCol->Width(), 33);
    EXPECT_EQ(nameCol->Width(), zeroIn(big.get()) * name->DisplayWidth() + 6);
}

TEST_F(DBGridLayout, AHiddenFieldsColumnIsNeverTheCurrentOne) {
    Fill(3);
    table->FieldByName("ID")->SetVisible(false);
    Bind();
    EXPECT_EQ(grid->Cols(), 3);
    EXPECT_FALSE(grid->GetCol(Variant(1))->Visible());
    EXPECT_EQ(grid->CurrentDataCol(), 2);
    table->Next();
    EXPECT_EQ(grid->CurrentDataCol(), 2);
    table->FieldByName("Name")->SetVisible(false);
    EXPECT_EQ(grid->CurrentDataCol(), 3);
}

TEST_F(DBGridLayout, RebuildingColumnsBindsByNameAndDropsOrKeepsUnknownNames) {
    Fill(2);
    // fsCustomized: a designer column naming a field the dataset lacks
    // stays, unbound, with its name.
    grid->SetFieldState(fsCustomized);
    grid->SetCols(3);
    const char* names[] = {"Score", "Missing", ""};
    for (Integer c = 1; c <= 3; ++c) grid->GetCol(Variant(c))->SetFieldName(names[c - 1]);
    Bind();
    ASSERT_EQ(grid->Cols(), 3);
    EXPECT_EQ(grid->FieldOfCol(1), table->FieldByName("Score"));
    EXPECT_EQ(grid->FieldOfCol(2), nullptr);
    EXPECT_EQ(grid->FieldOfCol(3), nullptr);
    EXPECT_EQ(grid->GetCol(Variant(2))->FieldName(), "Missing");
    Variant unbound = grid->GetCellValue(2, 1);
    EXPECT_TRUE(unbound.IsEmpty() || unbound.IsNull());
    EXPECT_EQ(grid->DataLink()->FieldMapCount(), 3);
    EXPECT_EQ(grid->DataLink()->GetMappedField(0), table->FieldByName("Score"));
    EXPECT_EQ(grid->DataLink()->GetMappedField(1), nullptr);
    // Renamed at run time, the column finds its field at the next rebuild.
    grid->GetCol(Variant(2))->SetFieldName("Name");
    grid->RebuildColumns(true, false, true);
    EXPECT_EQ(grid->FieldOfCol(2), table->FieldByName("Name"));
    // Without an active link the columns let go of their fields and keep
    // their names.
    grid->RebuildColumns(false, false, false);
    EXPECT_EQ(grid->FieldOfCol(1), nullptr);
    EXPECT_EQ(grid->GetCol(Variant(1))->FieldName(), "Score");

    // fsDefault: a column whose field is unknown goes, and the field left
    // without a column gets one at its place.
    grid->SetFieldState(fsDefault);
    grid->RebuildColumns(true, true, true);
    ASSERT_EQ(grid->Cols(), 3);
    grid->GetCol(Variant(2))->SetFieldName("Missing");
    grid->RebuildColumns(true, false, true);
    ASSERT_EQ(grid->Cols(), 3);
    for (Integer display = 1; display <= 3; ++display)
        EXPECT_EQ(grid->FieldOfCol(grid->DataColOfDisplay(display)), table->Fields()[int(display - 1)]) << display;
    // Without the link one default column is left; unbound, nothing runs.
    grid->RebuildColumns(false, true, true);
    EXPECT_EQ(grid->Cols(), 1);
    EXPECT_EQ(grid->FieldOfCol(1), nullptr);
    grid->SetDataSource(nullptr);
    grid->RebuildColumns(true, true, true);
    EXPECT_EQ(grid->FieldOfCol(1), nullptr);
}

TEST_F(DBGridLayout, AFreedFieldUnbindsItsColumnAndAFreedSourceTheGrid) {
    // A closed table with fields of its own: designer columns bind to them.
    auto* people = new TqmtMemTable(form);
    auto* a = new TIntegerField(nullptr);
    a->SetFieldName("A");
    a->SetDataSet(people);
    auto* b = new TStringField(nullptr);
    b->SetFieldName("B");
    b->SetSize(10);
    b->SetDataSet(people);
    auto* peopleSource = new TDataSource(form);
    peopleSource->SetDataSet(people);
    grid->SetFieldState(fsCustomized);
    grid->SetCols(2);
    grid->GetCol(Variant(1))->SetFieldName("A");
    grid->GetCol(Variant(2))->SetFieldName("B");
    grid->SetDataSource(peopleSource);
    EXPECT_EQ(grid->FieldOfCol(1), a);
    EXPECT_EQ(grid->FieldOfCol(2), b);
    int layoutChanges = 0;
    grid->OnFieldLayoutChange = [&](TObject*) { ++layoutChanges; };
    delete b;
    EXPECT_EQ(grid->FieldOfCol(2), nullptr);
    EXPECT_EQ(grid->GetCol(Variant(2))->FieldName(), "B");
    EXPECT_EQ(grid->FieldOfCol(1), a);
    EXPECT_EQ(layoutChanges, 1);
    // The data source freed: the grid is unbound and can be bound again.
    delete peopleSource;
    EXPECT_FALSE(grid->DataBound());
    EXPECT_EQ(grid->DataSource(), nullptr);
    EXPECT_EQ(grid->FieldOfCol(1), nullptr);
    Fill(1);
    grid->SetFieldState(fsDefault);
    Bind();
    EXPECT_EQ(grid->Cols(), 3);
    EXPECT_EQ(grid->GetCellValue(2, 1).AsString(), "N1");
}

TEST_F(DBGridLayout, AdapterSettersStartTheRecordEditFirst) {
    Fill(2);
    Bind();
    std::string events;
    bool refuseRow = false;
    grid->OnStartCellEdit = [&](TObject*, Integer col, const Variant&, bool&) { events += "cell" + std::to_string(col) + " "; };
    grid->OnStartRowEdit = [&](TObject*, const Variant&, bool& cancel) {
        events += "row ";
        cancel = refuseRow;
    };
    grid->ChangeCurrentCell(grid->GetDisplayCol(1), grid->GetDisplayRow(1));
    TgrDBField* name = grid->FieldAdapter(2);
    TgrDBField* id = grid->FieldAdapter(1);

    // Refused by the row's start event: nothing is written.
    refuseRow = true;
    name->SetAsString("X");
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(table->FieldByName("Name")->AsString(), "N1");
    EXPECT_EQ(events, "row ");
    events.clear();

    refuseRow = false;
    name->SetAsString("Ann");
    EXPECT_EQ(table->State(), dsEdit);
    EXPECT_EQ(table->FieldByName("Name")->AsString(), "Ann");
    EXPECT_EQ(events, "row ") << "Name is not the current cell's column";
    EXPECT_FALSE(grid->IsCellEditPending()) << "the adapter wrote the field itself";
    table->Post();
    EXPECT_EQ(table->FieldByName("Name")->AsString(), "Ann");
    events.clear();
    id->SetAsInteger(7);
    EXPECT_EQ(events, "cell1 row ");
    table->Cancel();

    // A read-only field or dataset takes nothing and asks nobody.
    events.clear();
    table->FieldByName("Score")->SetReadOnly(true);
    grid->FieldAdapter(3)->SetAsInteger(1);
    EXPECT_EQ(events, "");
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(table->FieldByName("Score")->AsInteger(), 99);
}

}  // namespace

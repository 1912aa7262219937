#include "dbgrid/tests/DBGridTestSupport.h"

#include "dbgrid/DBGridCols.h"
#include "platform/core/DateTime.h"
#include "platform/data/DataSet.h"
#include "platform/data/StdFields.h"

#include <typeinfo>

namespace {

using DBGridFields = DBGridFixture;

TEST_F(DBGridFields, AdaptersReadAndWriteByFieldKind) {
    TqmtMemTable t(form);
    t.FieldDefs().Add("Paid", ftBoolean);
    t.FieldDefs().Add("When", ftDateTime);
    t.FieldDefs().Add("Cost", ftCurrency);
    t.FieldDefs().Add("Note", ftMemo);
    t.Open();
    t.Append();
    TDateTime when = EncodeDate(2024, 3, 5) + EncodeTime(6, 0, 0, 0);
    t.FieldByName("When")->SetAsDateTime(when);
    t.FieldByName("Cost")->SetAsFloat(12.5);
    TgrFieldList& list = grid->FieldList();
    auto paid = list.CreateAdapter(t.FieldByName("Paid"));
    auto at = list.CreateAdapter(t.FieldByName("When"));
    auto note = list.CreateAdapter(t.FieldByName("Note"));
    EXPECT_EQ(paid->DefaultControlType(), ctCheck);
    EXPECT_TRUE(note->IsMemo());
    // The date-time value, not another field's or the currency value.
    EXPECT_DOUBLE_EQ(at->GetAsDateTime(), when);
    // Check-box states: 2 (grayed) is no value.
    struct Case {
        Variant written;
        int read;
        bool null;
    } cases[] = {{Variant(1), 1, false}, {Variant(0), 0, false}, {Variant(2), 2, true}, {Variant::NullValue(), 2, true}};
    for (const Case& c : cases) {
        paid->SetAsVariant(c.written);
        EXPECT_EQ(t.FieldByName("Paid")->IsNull(), c.null) << c.read;
        EXPECT_EQ(paid->GetAsVariant().AsInteger(), c.read);
    }
    note->SetEditText("line one\r\nline two");
    EXPECT_EQ(note->GetEditText(), "line one\r\nline two");
    t.Cancel();
}

TEST_F(DBGridFields, EachFieldClassGetsItsAdapterClass) {
    struct Case {
        TFieldType type;
        const std::type_info& adapter;
    } cases[] = {
        {ftString, typeid(TgrDBStringField)},   {ftInteger, typeid(TgrDBIntegerField)},
        // Derived field classes take their ancestor's adapter.
        {ftSmallint, typeid(TgrDBIntegerField)}, {ftWord, typeid(TgrDBIntegerField)},
        {ftAutoInc, typeid(TgrDBIntegerField)},  {ftFloat, typeid(TgrDBFloatField)},
        {ftCurrency, typeid(TgrDBFloatField)},   {ftBCD, typeid(TgrDBBCDField)},
        {ftBoolean, typeid(TgrDBBooleanField)},  {ftDateTime, typeid(TgrDBDateTimeField)},
        {ftDate, typeid(TgrDBDateTimeField)},    {ftTime, typeid(TgrDBDateTimeField)},
        {ftBytes, typeid(TgrDBBinaryField)},     {ftVarBytes, typeid(TgrDBBinaryField)},
        {ftMemo, typeid(TgrDBMemoField)},        {ftFmtMemo, typeid(TgrDBMemoField)},
        {ftGraphic, typeid(TgrDBGraphicField)},  {ftBlob, typeid(TgrDBBlobField)},
        {ftLargeint, typeid(TgrDBField)},
    };
    for (const Case& c : cases) {
        std::unique_ptr<TField> field(CreateFieldOfType(c.type, nullptr));
        ASSERT_TRUE(field) << FieldTypeName(c.type);
        auto adapter = grid->FieldList().CreateAdapter(field.get());
        EXPECT_EQ(typeid(*adapter), c.adapter) << FieldTypeName(c.type);
    }
}

TEST_F(DBGridFields, TheFieldListHoldsOneAdapterPerFieldAndColumnsPointAtThem) {
    table->Close();
    table->FieldDefs().Add("IDNo", ftInteger);
    table->Open();
    Fill(2);
    table->FieldByName("Score")->SetVisible(false);
    Bind();
    TgrFieldList& list = grid->FieldList();
    ASSERT_EQ(list.Count(), table->FieldCount());
    EXPECT_EQ(list.FindByName("IDNO"), list.Items(3));
    EXPECT_EQ(list.FindByName("Missing"), nullptr);
    EXPECT_EQ(list.IndexOfField(table->FieldByName("Name")), 1);
    // A field that is not visible gets a hidden column in its place.
    EXPECT_EQ(grid->Cols(), 4);
    ASSERT_NE(list.Items(2)->Col(), nullptr);
    EXPECT_EQ(list.Items(2)->Col()->GetDataCol(), 3);
    EXPECT_FALSE(list.Items(2)->Col()->Visible());
    auto* name = dynamic_cast<TgrDBCol*>(grid->GetCol(Variant("Name")));
    EXPECT_EQ(list.Items(1)->Col(), name);
    EXPECT_EQ(grid->FieldAdapter(2), list.Items(1));
    // Check boxes over integer and Boolean fields keep the field's values.
    EXPECT_FALSE(dynamic_cast<TgrDBCol*>(grid->GetCol(Variant("ID")))->UsesCheckBoxValues());
    EXPECT_TRUE(name->UsesCheckBoxValues());
    // A read-only field refuses writes from the grid.
    EXPECT_TRUE(list.Items(1)->CanModify());
    table->FieldByName("Name")->SetReadOnly(true);
    EXPECT_FALSE(list.Items(1)->CanModify());

    // Two columns may show one field; unbound, both let go of its adapter
    // before it is freed.
    grid->SetFieldState(fsCustomized);
    auto* third = dynamic_cast<TgrDBCol*>(grid->GetCol(Variant(3)));
    third->SetFieldName("Name");
    table->Close();
    table->Open();
    name = dynamic_cast<TgrDBCol*>(grid->GetCol(Variant(2)));
    ASSERT_NE(name->Adapter(), nullptr);
    EXPECT_EQ(third->Adapter(), name->Adapter());
    grid->SetDataSource(nullptr);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(name->Adapter(), nullptr);
    EXPECT_EQ(third->Adapter(), nullptr);
    // A closed dataset with only its own fields gets no adapters.
    table->Close();
    Bind();
    list.Rebuild();
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(DBGridFields, AMemoCellShowsTheFieldsOwnTextHandler) {
    table->Close();
    table->FieldDefs().Add("Note", ftMemo);
    table->Open();
    Fill(1);
    table->Edit();
    table->FieldByName("Note")->SetAsString("first line");
    table->Post();
    table->FieldByName("Note")->OnGetText = [](TField* f, std::string& text, bool display) {
        text = (display ? "shown: " : "edit: ") + f->AsString();
    };
    Bind();
    EXPECT_EQ(grid->GetCellValue(4, 1).AsString(), "shown: first line");
    EXPECT_EQ(grid->FieldAdapter(4)->GetEditText(), "edit: first line");
    table->FieldByName("Note")->OnGetText = nullptr;
    EXPECT_EQ(grid->FieldAdapter(4)->GetDisplayText(), "first line");
}

TEST_F(DBGridFields, ColumnsShowTheirFieldsAttributesUntilTheyAreSetOnTheColumn) {
    table->Close();
    table->FieldDefs().Add("Paid", ftBoolean);
    table->Open();
    Fill(2);
    table->FieldByName("ID")->SetReadOnly(true);
    table->FieldByName("Paid")->SetRequired(true);
    Bind();
    auto* id = dynamic_cast<TgrDBCol*>(grid->GetCol(Variant("ID")));
    auto* name = dynamic_cast<TgrDBCol*>(grid->GetCol(Variant("Name")));
    auto* score = dynamic_cast<TgrDBCol*>(grid->GetCol(Variant("Score")));
    auto* paid = dynamic_cast<TgrDBCol*>(grid->GetCol(Variant("Paid")));
    ASSERT_TRUE(id && name && score && paid);
    EXPECT_TRUE(id->GetReadOnly());
    EXPECT_FALSE(name->GetReadOnly());
    EXPECT_EQ(score->GetHorzAlignment(), htaRight);
    EXPECT_EQ(name->GetHorzAlignment(), htaLeft);
    EXPECT_EQ(name->MaxLength(), 20);
    EXPECT_EQ(score->MaxLength(), 0);
    EXPECT_EQ(paid->ControlType(), ctCheck);
    EXPECT_FALSE(paid->GetAllowGrayed());
    EXPECT_EQ(name->Width(), name->DefaultWidth());

    // What the program or the user set stays when the (customised) columns
    // are bound again; the rest follows the field.
    grid->SetFieldState(fsCustomized);
    name->SetWidth(150);
    score->SetHorzAlignment(htaCenter);
    name->SetMaxLength(5);
    table->Close();
    table->Open();
    name = dynamic_cast<TgrDBCol*>(grid->GetCol(Variant("Name")));
    score = dynamic_cast<TgrDBCol*>(grid->GetCol(Variant("Score")));
    EXPECT_EQ(name->Width(), 150);
    EXPECT_EQ(name->MaxLength(), 5);
    EXPECT_EQ(score->GetHorzAlignment(), htaCenter);
    EXPECT_EQ(name->AssignedValues(), TgrDBCol::avWidth | TgrDBCol::avMaxLength);
    EXPECT_EQ(score->AssignedValues(), TgrDBCol::avAlignment);
    EXPECT_FALSE(name->IsDefault());

    // Resetting an attribute lets the field speak for it again.
    paid = dynamic_cast<TgrDBCol*>(grid->GetCol(Variant("Paid")));
    table->FieldByName("Paid")->SetRequired(true);
    paid->SetAllowGrayed(true);
    name->SetVisible(false);
    grid->ResetColProperties({gpWidth, gpMaxLength, gpVisible, gpAlignment, gpUnused});
    EXPECT_EQ(name->Width(), name->DefaultWidth());
    EXPECT_EQ(name->MaxLength(), 20);
    EXPECT_TRUE(name->Visible());
    EXPECT_EQ(score->GetHorzAlignment(), htaRight);
    EXPECT_FALSE(paid->GetAllowGrayed());
    EXPECT_EQ(name->AssignedValues() | score->AssignedValues() | paid->AssignedValues(), 0);
}

TEST_F(DBGridFields, DialogGridColoursItsHeadingWhileFocused) {
    TodcDBGrid odc(form);
    EXPECT_EQ(odc.HeadingColor(), clBtnFace);
    odc.DoEnter();
    EXPECT_EQ(odc.HeadingColor(), TodcDBGrid::FocusedHeadingColor);
    odc.DoExit();
    EXPECT_EQ(odc.HeadingColor(), clBtnFace);
}

TEST_F(DBGridFields, AValueGivenToTheCurrentCellIsPostedWhenTheRowIsLeft) {
    Fill(2);
    Bind();
    grid->MoveCurrentCell(2, 1, false, true);
    grid->ChangeCurrentCell(2, 1);
    ASSERT_TRUE(grid->CurrentCell()->SetValue(Variant("Zed"), true, false));
    EXPECT_EQ(table->State(), dsEdit);
    EXPECT_TRUE(grid->IsCellEditPending());
    ASSERT_TRUE(grid->CanSelectCell(2, 2));
    table->First();
    EXPECT_EQ(table->FieldByName("Name")->AsString(), "Zed");
}

}  // namespace

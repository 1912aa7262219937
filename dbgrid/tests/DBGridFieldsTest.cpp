#include "dbgrid/tests/DBGridTestSupport.h"

#include "dbgrid/DBGridCols.h"
#include "platform/core/DateTime.h"
#include "platform/data/DataSet.h"

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
    auto paid = TgrDBField::Create(t.FieldByName("Paid"));
    auto at = TgrDBField::Create(t.FieldByName("When"));
    auto note = TgrDBField::Create(t.FieldByName("Note"));
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

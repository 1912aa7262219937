// The data-aware edit keeps its bound field between look-ups; a dataset
// that closes and opens with other fields must never leave it holding a
// field that is gone.

#include <gtest/gtest.h>

#include "app/DBEdit.h"
#include "memtable/MemTable.h"
#include "platform/data/DataSource.h"
#include "platform/gui/Forms.h"

TEST(DBEdit, FollowsItsFieldAcrossCloseAndReopenWithOtherFields) {
    Application->Initialize();
    TqmtMemTable table;
    table.FieldDefs().Add("P1", ftString, 10);
    table.Open();
    TDataSource source;
    source.SetDataSet(&table);
    TDBEdit edit(nullptr);
    edit.SetDataSource(&source);
    edit.SetDataField("P1");
    table.AppendRecord({Variant("2")});
    EXPECT_EQ(edit.Text(), "2");
    ASSERT_NE(edit.Field(), nullptr);

    // Reopened with a field in front: the old field objects are gone.
    table.Close();
    table.FieldDefs().Clear();
    table.FieldDefs().Add("P0", ftString, 10);
    table.FieldDefs().Add("P1", ftString, 10);
    table.Open();
    table.AppendRecord({Variant("x"), Variant("7")});
    ASSERT_NE(edit.Field(), nullptr);
    EXPECT_EQ(edit.Field()->FieldName(), "P1");
    EXPECT_EQ(edit.Text(), "7");

    edit.SetText("9");
    table.Post();
    EXPECT_EQ(table.FieldByName("P1")->AsString(), "9");
    EXPECT_EQ(table.FieldByName("P0")->AsString(), "x");
    edit.SetDataSource(nullptr);
    Application->ResetForTesting();
}

#include <gtest/gtest.h>

#include "memtable/MemTable.h"
#include "platform/data/StdFields.h"

namespace {

// ID integer, Name text, Score integer.
void Define(TqmtMemTable& t) {
    t.FieldDefs().Add("ID", ftInteger);
    t.FieldDefs().Add("Name", ftString, 10);
    t.FieldDefs().Add("Score", ftInteger);
}

std::string Names(TqmtMemTable& t) {
    std::string out;
    t.First();
    while (!t.Eof()) {
        if (!out.empty()) out += ' ';
        out += t.FieldByName("Name")->AsString();
        t.Next();
    }
    return out;
}

}  // namespace

TEST(AttachedTables, ShareRowsBothWays) {
    TComponent owner(nullptr);
    auto* master = new TqmtMemTable(&owner);
    auto* view = new TqmtMemTable(&owner);
    Define(*master);
    view->SetAttachedTo(master);
    view->Open();  // opens the owner first
    EXPECT_TRUE(master->Active());
    master->AppendRecord({Variant(1), Variant("ann"), Variant(5)});
    view->AppendRecord({Variant(2), Variant("bob"), Variant(7)});
    EXPECT_EQ(Names(*master), "ann bob");
    EXPECT_EQ(Names(*view), "ann bob");

    // An edit through one is seen by the other; each keeps its own index.
    view->DefineIndex("ByScore", "Score", ixDescending);
    view->SetIndexName("ByScore");
    ASSERT_TRUE(master->Locate("ID", Variant(1), {}));
    master->Edit();
    master->FieldByName("Score")->SetAsInteger(9);
    master->Post();
    EXPECT_EQ(Names(*view), "ann bob");
    EXPECT_EQ(Names(*master), "ann bob");
    ASSERT_TRUE(view->Locate("ID", Variant(1), {}));
    view->Delete();
    EXPECT_EQ(Names(*master), "bob");

    // The browsing view whose row another table deletes starts from the top.
    view->First();
    master->First();
    master->Delete();
    EXPECT_TRUE(view->IsEmpty());

    // Closing the owner closes and empties every table on the store.
    master->AppendRecord({Variant(3), Variant("cy"), Variant(1)});
    master->Close();
    EXPECT_FALSE(view->Active());
    view->Open();
    EXPECT_EQ(view->RecordCount(), 0);
}

TEST(AttachedTables, MissingFieldsAreAddedHidden) {
    TComponent owner(nullptr);
    auto* master = new TqmtMemTable(&owner);
    Define(*master);
    master->Open();
    // Every bookmark entry is taken and a table on the store is open.
    TqmtMemTable refused;
    try {
        refused.SetAttachedTo(master);
        ADD_FAILURE();
    } catch (const EMemTableError& e) {
        EXPECT_EQ(e.Message, "Table must be closed for this operation.");
    }
    EXPECT_EQ(refused.AttachedTo(), nullptr);
    EXPECT_NE(&refused.Store(), &master->Store());
    master->Close();
    master->SetAttachMaxCount(2);
    master->Open();
    auto* view = new TqmtMemTable(&owner);
    auto* name = new TStringField(&owner);
    name->SetFieldName("Name");
    name->SetSize(10);
    name->SetDataSet(view);
    view->SetAttachedTo(master);
    ASSERT_EQ(view->FieldCount(), 3);
    int visible = 0;
    for (TField* f : view->Fields().List()) visible += f->Visible();
    EXPECT_EQ(visible, 1);
    EXPECT_TRUE(view->FieldByName("Name")->Visible());
    master->AppendRecord({Variant(1), Variant("ann"), Variant(5)});
    view->Open();
    EXPECT_EQ(view->FieldByName("Name")->AsString(), "ann");
    EXPECT_EQ(view->FieldByName("Score")->AsInteger(), 5);
}

TEST(AttachedTables, RefusedCombinationsAndDetaching) {
    TqmtMemTable a, b, c;
    Define(a);
    try {
        a.SetAttachedTo(&a);
        ADD_FAILURE();
    } catch (const EMemTableError& e) {
        EXPECT_EQ(e.Message, "Cant attach memorytable to it self.");
    }
    b.SetAttachedTo(&a);
    try {
        c.SetAttachedTo(&b);
        ADD_FAILURE();
    } catch (const EMemTableError& e) {
        EXPECT_EQ(e.Message, "Cant attach to another table which itself is an attachment.");
    }
    try {
        b.SetStandalone(true);
        ADD_FAILURE();
    } catch (const EMemTableError& e) {
        EXPECT_EQ(e.Message, "Table is attached to another table.");
    }
    try {
        a.SetStandalone(true);
        ADD_FAILURE();
    } catch (const EMemTableError& e) {
        EXPECT_EQ(e.Message, "Children are attached to this table.");
    }
    a.Open();
    b.Open();
    a.AppendRecord({Variant(1), Variant("ann"), Variant(5)});
    EXPECT_EQ(b.RecordCount(), 1);
    // Detached, b has a store of its own again.
    b.SetAttachedTo(nullptr);
    EXPECT_FALSE(b.Active());
    EXPECT_EQ(b.AttachedTo(), nullptr);
    EXPECT_NE(&b.Store(), &a.Store());
    b.Open();
    EXPECT_EQ(b.RecordCount(), 0);
    EXPECT_EQ(a.RecordCount(), 1);
}

TEST(AttachedTables, DestroyingTheOwnerFreesItsAttachments) {
    TqmtMemTable view;
    {
        TqmtMemTable master;
        Define(master);
        view.SetAttachedTo(&master);
        view.Open();
        master.AppendRecord({Variant(1), Variant("ann"), Variant(5)});
        EXPECT_EQ(view.RecordCount(), 1);
    }
    EXPECT_EQ(view.AttachedTo(), nullptr);
    EXPECT_FALSE(view.Active());
}

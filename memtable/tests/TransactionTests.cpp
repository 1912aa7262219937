#include <gtest/gtest.h>

#include "memtable/MemTable.h"

namespace {

// ID integer, Name text; versioned with every post kept.
std::unique_ptr<TqmtMemTable> Versioned() {
    auto t = std::make_unique<TqmtMemTable>();
    t->FieldDefs().Add("ID", ftInteger);
    t->FieldDefs().Add("Name", ftString, 10);
    t->SetEnableVersioning(true);
    t->SetVersioningMode(mtvmAllSinceCheckPoint);
    t->Open();
    t->AppendRecord({Variant(1), Variant("one")});
    t->AppendRecord({Variant(2), Variant("two")});
    return t;
}

std::string Rows(TqmtMemTable& t) {
    std::string out;
    t.First();
    while (!t.Eof()) {
        if (!out.empty()) out += ' ';
        out += t.FieldByName("ID")->AsString() + "=" + t.FieldByName("Name")->AsString();
        t.Next();
    }
    return out;
}

void Rename(TqmtMemTable& t, int id, const char* name) {
    ASSERT_TRUE(t.Locate("ID", Variant(id), {}));
    t.Edit();
    t.FieldByName("Name")->SetAsString(name);
    t.Post();
}

// Names along the stored row's version chain, newest first.
std::string Versions(TqmtMemTable& t, int id) {
    EXPECT_TRUE(t.Locate("ID", Variant(id), {}));
    TqmtCommon& s = t.Store();
    TqmtRecord* r = t.CurrentRow();
    std::string out;
    TField* name = t.FieldByName("Name");
    for (TqmtRecord* v = s.SlotRow(r->Slot); v; v = v->Previous) {
        std::string value;
        if (s.IsOutOfLine(name->FieldNo()))
            s.ReadOutOfLine(v, name->FieldNo(), value);
        else
            value = reinterpret_cast<const char*>(s.FieldValuePointer(v, name->FieldNo()) + 1);
        if (!out.empty()) out += ' ';
        out += value.c_str();
    }
    return out;
}

}  // namespace

TEST(Transactions, NeedMultiVersionVersioningAndAnOpenTable) {
    TqmtMemTable t;
    t.FieldDefs().Add("ID", ftInteger);
    t.StartTransaction();  // closed: nothing
    t.Open();
    for (auto setup : {std::make_pair(false, mtvmAllSinceCheckPoint), std::make_pair(true, mtvm1SinceCheckPoint)}) {
        t.SetEnableVersioning(setup.first);
        t.SetVersioningMode(setup.second);
        try {
            t.StartTransaction();
            ADD_FAILURE();
        } catch (const EMemTableError& e) {
            EXPECT_EQ(e.Message, "Transactioning requires multiversion versioning.");
        }
    }
    EXPECT_EQ(t.TransactionLevel(), 0);
    t.Commit();  // level 0: nothing
    t.Rollback();
}

TEST(Transactions, RollbackUndoesInsertsEditsAndDeletes) {
    auto t = Versioned();
    t->StartTransaction();
    t->AppendRecord({Variant(3), Variant("three")});
    Rename(*t, 1, "uno");
    Rename(*t, 1, "eins");
    ASSERT_TRUE(t->Locate("ID", Variant(2), {}));
    t->Delete();
    EXPECT_EQ(Rows(*t), "1=eins 3=three");
    t->Rollback();
    EXPECT_EQ(t->TransactionLevel(), 0);
    EXPECT_EQ(Rows(*t), "1=one 2=two");
    EXPECT_EQ(t->RecordCount(), 2);
}

TEST(Transactions, CommitKeepsTheLastValuesAndTheVersionFromBeforeTheStart) {
    auto t = Versioned();
    t->StartTransaction();
    Rename(*t, 1, "uno");
    Rename(*t, 1, "eins");
    t->Commit();
    EXPECT_EQ(t->TransactionLevel(), 0);
    EXPECT_EQ(Rows(*t), "1=eins 2=two");
    EXPECT_EQ(Versions(*t, 1), "eins one");
}

TEST(Transactions, NestedLevelsUndoOnlyTheInnerChanges) {
    auto t = Versioned();
    t->StartTransaction();
    Rename(*t, 1, "outer");
    t->AppendRecord({Variant(3), Variant("three")});
    t->StartTransaction();
    EXPECT_EQ(t->TransactionLevel(), 2);
    Rename(*t, 1, "inner");
    Rename(*t, 2, "inner");
    t->AppendRecord({Variant(4), Variant("four")});
    t->Rollback();
    EXPECT_EQ(Rows(*t), "1=outer 2=two 3=three");
    t->StartTransaction();
    Rename(*t, 3, "drei");
    t->Commit();
    EXPECT_EQ(t->TransactionLevel(), 1);
    EXPECT_EQ(Rows(*t), "1=outer 2=two 3=drei");
    t->Rollback();
    EXPECT_EQ(Rows(*t), "1=one 2=two");
}

TEST(Transactions, RollbackKeepsSecondaryIndexesInStep) {
    auto t = Versioned();
    t->DefineIndex("ByName", "Name", {});
    t->SetIndexName("ByName");
    t->StartTransaction();
    Rename(*t, 1, "zzz");
    t->AppendRecord({Variant(3), Variant("aaa")});
    EXPECT_EQ(Rows(*t), "3=aaa 2=two 1=zzz");
    t->Rollback();
    EXPECT_EQ(Rows(*t), "1=one 2=two");
    EXPECT_TRUE(t->Locate("Name", Variant("two"), {}));
}

// The active index, index definitions, scopes, ranges and master-detail
// links of the database datasets.

#include <memory>

#include "dbclient/tests/DbTestSupport.h"
#include "platform/data/DataSource.h"

namespace {

class LdbIndexTest : public DbFixture {
protected:
    void SetUp() override {
        DbFixture::SetUp();
        Exec("create table Staff (ID integer, Dept integer, Last char(12))");
        Exec("create index ByLast on Staff (Last)");
        Exec("create unique index ByDept on Staff (Dept, Last)");
        for (const char* r : {"1, 20, 'Moss'", "2, 10, 'Baker'", "3, 20, 'Abbot'", "4, 10, 'Young'", "5, 30, 'Moore'"})
            Exec(std::string("insert into Staff values (") + r + ")");
        Exec("create table Depts (Dept integer, Name char(10))");
        for (const char* r : {"10, 'Sales'", "20, 'Stores'", "40, 'Empty'"})
            Exec(std::string("insert into Depts values (") + r + ")");
        q.reset(NewQuery("select * from Staff", true));
        q->Open();
    }
    void TearDown() override {
        q.reset();
        DbFixture::TearDown();
    }
    static std::string Ids(TDataSet& ds) {
        std::string out;
        for (ds.First(); !ds.Eof(); ds.Next()) out += (out.empty() ? "" : " ") + ds.FieldByName("ID")->AsString();
        return out;
    }
    std::unique_ptr<TLdbQuery> q;
};

TEST_F(LdbIndexTest, IndexNameAndIndexFieldNamesChooseTheOrder) {
    EXPECT_EQ(Ids(*q), "1 2 3 4 5");
    q->IndexDefs().Update();
    ASSERT_EQ(q->IndexDefs().Count(), 2);
    EXPECT_EQ(q->IndexDefs()[1]->Name(), "ByDept");
    EXPECT_EQ(q->IndexDefs()[1]->Fields(), "DEPT;LAST");
    EXPECT_TRUE(q->IndexDefs()[1]->Options() & ixUnique);
    q->SetIndexName("ByLast");
    EXPECT_EQ(Ids(*q), "3 2 5 1 4");
    q->SetIndexFieldNames(" Dept;Last ");
    EXPECT_EQ(q->IndexName(), "");
    EXPECT_EQ(Ids(*q), "2 4 3 1 5");
    try {
        q->SetIndexFieldNames("Last;Dept");
        FAIL() << "no error";
    } catch (const ELdbDatabaseError& e) {
        EXPECT_NE(e.Message.find("Not a valid index field name:Last;Dept"), std::string::npos);
    }
    EXPECT_EQ(q->IndexFieldNames(), "Dept;Last") << "a failed choice keeps the index before it";
    EXPECT_EQ(Ids(*q), "2 4 3 1 5");
    EXPECT_THROW(q->SetIndexName("Nowhere"), ELdbDatabaseError);
    EXPECT_EQ(Ids(*q), "2 4 3 1 5");
    // Record numbers along the index, and moving by them.
    q->Sequenced = true;
    q->SequencedLevel = slExact;
    q->SetIndexName("ByLast");
    q->Last();
    EXPECT_EQ(q->RecNo(), 5);
    q->SetRecNo(2);
    EXPECT_EQ(q->FieldByName("ID")->AsInteger(), 2);
    q->SequencedLevel = slStandard;
    q->Close();
    q->Open();
    q->Next();
    EXPECT_EQ(q->RecNo(), 2);
    q->SetIndexName("");
    EXPECT_EQ(Ids(*q), "1 2 3 4 5");
}

TEST_F(LdbIndexTest, ScopesLimitTheRecordsAlongTheActiveIndex) {
    EXPECT_THROW(q->SetScoped(true), ELdbDatabaseError) << "no active index";
    q->SetIndexName("ByLast");
    q->SetScoped(true);
    EXPECT_EQ(Ids(*q), "3 2 5 1 4") << "no scope texts: every record";
    q->SetScoped(false);
    q->SetScopeBegin("B");
    q->SetScopeEnd("Mop");
    q->SetScoped(true);
    EXPECT_EQ(Ids(*q), "2 5");
    EXPECT_THROW(q->SetRange({Variant("A")}, {Variant("Z")}), ELdbDatabaseError);
    q->SetScoped(false);
    EXPECT_EQ(Ids(*q), "3 2 5 1 4");
    EXPECT_NO_THROW(q->SetScopeBegin(std::string(257, 'a')));
    EXPECT_THROW(q->SetScopeBegin(std::string(258, 'a')), ELdbDatabaseError);
    q->SetScopeBegin("");
    q->SetRange({Variant("M")}, {Variant("M")});
    EXPECT_EQ(Ids(*q), "5 1");
    EXPECT_THROW(q->SetScoped(true), ELdbDatabaseError) << "a range is set";
    q->CancelRange();
    EXPECT_EQ(Ids(*q), "3 2 5 1 4");
}

TEST_F(LdbIndexTest, RangesAreSetFieldByFieldInTheSetKeyState) {
    q->SetIndexName("ByDept");
    q->SetRangeStart();
    EXPECT_EQ(q->State(), dsSetKey);
    q->FieldByName("Dept")->SetAsInteger(10);
    q->Post();
    q->SetRangeEnd();
    q->FieldByName("Dept")->SetAsInteger(20);
    q->Post();
    q->ApplyRange();
    // A segment not set is an empty value: the end stops before every Last
    // of department 20.
    EXPECT_EQ(Ids(*q), "2 4");
    q->CancelRange();
    // Counting the key fields from those set leaves the rest out of the key.
    q->LdbTableOptions().LdbAutoKeyFieldCount = true;
    q->SetRange({Variant(10)}, {Variant(20)});
    EXPECT_EQ(Ids(*q), "2 4 3 1");
    q->CancelRange();
    EXPECT_EQ(Ids(*q), "2 4 3 1 5");
}

TEST_F(LdbIndexTest, ADetailFollowsItsMasterRecordByRecord) {
    std::unique_ptr<TLdbQuery> master(NewQuery("select * from Depts order by Dept"));
    master->Open();
    TDataSource source(nullptr);
    source.SetDataSet(master.get());
    q->SetIndexName("ByDept");
    q->SetMasterSource(&source);
    q->SetMasterFields("Dept");
    EXPECT_EQ(Ids(*q), "2 4");
    master->Next();
    EXPECT_EQ(Ids(*q), "3 1");
    master->Next();
    EXPECT_TRUE(q->IsEmpty());
    // A new detail record belongs to the master's record.
    q->Append();
    q->FieldByName("ID")->SetAsInteger(6);
    q->FieldByName("Last")->SetAsString("Neil");
    q->Post();
    EXPECT_EQ(Ids(*q), "6");
    EXPECT_EQ(Scalar("select Dept from Staff where ID = 6"), "40");
    q->SetMasterSource(nullptr);
    EXPECT_EQ(q->MasterFields(), "");
}

// Locate seeks on an index whose leading segments are the key fields (the
// first match in that index's order); otherwise, and for a case-insensitive
// search, it filters (the first match in the dataset's order).
TEST_F(LdbIndexTest, LocateSeeksWhereAnIndexFitsTheKey) {
    struct Case {
        const char* fields;
        Variant values;
        TLocateOptions options;
        int id;
    } cases[] = {
        {"Last", Variant("Mo"), loPartialKey, 5},
        {"Last", Variant("Mo"), 0, 0},
        {"Last", Variant("mo"), loPartialKey | loCaseInsensitive, 1},
        {"Dept", Variant(20), 0, 3},
        {"Last;Dept", VarArrayOf({Variant("Moss"), Variant(20)}), 0, 1},
        {"ID", Variant(4), 0, 4},
    };
    for (const auto& c : cases) {
        q->First();
        q->Next();
        EXPECT_EQ(q->Locate(c.fields, c.values, c.options), c.id != 0) << c.fields;
        EXPECT_EQ(q->FieldByName("ID")->AsInteger(), c.id ? c.id : 2) << c.fields;
    }
    EXPECT_EQ(Ids(*q), "1 2 3 4 5") << "the dataset keeps its order";
    EXPECT_EQ(q->Lookup("Dept", Variant(10), "Last").AsString(), "Baker");
}

// This engine keeps its indexes in the database: extra index files are
// refused whenever they would be opened, and the dataset stays usable.
TEST_F(LdbIndexTest, IndexFilesAreRefusedByTheEngine) {
    EXPECT_THROW(TLdbIndexFiles(nullptr), ELdbDatabaseError);
    EXPECT_EQ(q->IndexFiles().PathOf("/data/Staff.adi"), "/data/Staff.adi");
    EXPECT_THROW(q->IndexFiles().Add("Staff.adi"), ELdbDatabaseError);
    EXPECT_EQ(q->IndexFiles().Count(), 0);
    q->Close();
    q->IndexFiles().Add("Staff.adi");
    q->IndexFiles().Add("Staff.adi");
    EXPECT_EQ(q->IndexFiles().Count(), 1) << "duplicates are ignored";
    EXPECT_THROW(q->Open(), ELdbDatabaseError);
    EXPECT_FALSE(q->Active());
    q->IndexFiles().Clear();
    q->Open();
    EXPECT_EQ(Ids(*q), "1 2 3 4 5");
}

}  // namespace

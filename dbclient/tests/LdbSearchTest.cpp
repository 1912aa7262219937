// Filters handed to the engine, FindFirst/FindNext, Locate and Lookup.

#include <memory>

#include "dbclient/tests/DbTestSupport.h"
#include "platform/core/DateTime.h"
#include "platform/core/Variant.h"

namespace {

TEST(LdbFilterRewrite, TrailingWildcardsBecomePrefixMatches) {
    struct Case {
        const char* filter;
        const char* text;
        bool exact;
    } cases[] = {
        {"LastName = 'Smi*'", "LastName = 'Smi'", false},
        {"LastName = '*'", "LastName = '*'", true},
        {"LastName = \"**\"", "LastName = \"**\"", true},
        {"CONTAINS(Notes, 'a*')", "CONTAINS(Notes, 'a*')", true},
        {"contains (Notes, \"(x*\") and A = 'b*'", "contains (Notes, \"(x*\") and A = 'b'", false},
        {"A = 'it''s*'", "A = 'it''s'", false},
        {"A = 'x*y'", "A = 'x*y'", true},
        {"CONTAINS(Notes, 'open", "CONTAINS(Notes, 'open", true},
    };
    for (const auto& c : cases) {
        bool exact = !c.exact;
        EXPECT_EQ(LdbRewriteFilter(c.filter, exact), c.text) << c.filter;
        EXPECT_EQ(exact, c.exact) << c.filter;
    }
}

class LdbSearchTest : public DbFixture {
protected:
    void SetUp() override {
        DbFixture::SetUp();
        Exec("create table People (ID integer, Last char(20), Age integer, Born date)");
        Exec("insert into People values (1, 'Smith', 30, '1994-05-01')");
        Exec("insert into People values (2, 'Smithers', 41, '1983-02-11')");
        Exec("insert into People values (3, 'Jones', 25, '1999-12-31')");
        Exec("insert into People values (4, 'Say \"Hi\"', null, null)");
        q.reset(NewQuery("select * from People order by ID"));
        q->Open();
    }
    void TearDown() override {
        q.reset();
        DbFixture::TearDown();
    }
    std::string Ids() {
        std::string out;
        for (q->First(); !q->Eof(); q->Next()) out += (out.empty() ? "" : " ") + q->FieldByName("ID")->AsString();
        return out;
    }
    std::unique_ptr<TLdbQuery> q;
};

TEST_F(LdbSearchTest, FilterShowsOnlyMatchingRecordsWhileFiltered) {
    q->SetFilter("Last = 'Smi*'");
    EXPECT_EQ(Ids(), "1 2 3 4") << "not filtered yet";
    q->SetFiltered(true);
    EXPECT_EQ(Ids(), "1 2");
    EXPECT_EQ(q->RecordCount(), 4) << "the default count ignores filters";
    q->SetFilter("Age < 35");
    EXPECT_EQ(q->FieldByName("ID")->AsInteger(), 1);
    EXPECT_EQ(Ids(), "1 3");
    q->Close();
    q->Open();
    EXPECT_EQ(Ids(), "1 3") << "a filtered dataset opens filtered";
    q->SetFiltered(false);
    EXPECT_EQ(Ids(), "1 2 3 4");
    q->LdbTableOptions().SetLdbOptimizedFilters(false);
    q->SetFiltered(true);
    EXPECT_EQ(Ids(), "1 3");
    // Switching the filter kind while filtered moves the filter over.
    q->LdbTableOptions().SetLdbOptimizedFilters(true);
    EXPECT_EQ(Ids(), "1 3");
    q->SetFiltered(false);
    EXPECT_EQ(Ids(), "1 2 3 4");
    q->SetFilter("Nowhere = 1");
    EXPECT_THROW(q->SetFiltered(true), ELdbDatabaseError);
}

TEST_F(LdbSearchTest, FindMovesThroughMatchingRecordsWithoutFiltering) {
    q->SetFilter("Age > 26");
    EXPECT_TRUE(q->FindFirst());
    EXPECT_EQ(q->FieldByName("ID")->AsInteger(), 1);
    EXPECT_TRUE(q->FindNext());
    EXPECT_EQ(q->FieldByName("ID")->AsInteger(), 2);
    EXPECT_FALSE(q->FindNext());
    EXPECT_FALSE(q->Found());
    EXPECT_TRUE(q->FindLast());
    EXPECT_EQ(q->FieldByName("ID")->AsInteger(), 2);
    EXPECT_TRUE(q->FindPrior());
    EXPECT_EQ(q->FieldByName("ID")->AsInteger(), 1);
    EXPECT_EQ(Ids(), "1 2 3 4") << "the filter is off again afterwards";
}

TEST_F(LdbSearchTest, LocateFindsByKeyValuesAndStaysPutWhenNothingMatches) {
    struct Case {
        const char* fields;
        Variant values;
        TLocateOptions options;
        int id;  // 0: not found
    } cases[] = {
        {"Last", Variant("Jones"), 0, 3},
        {"Last", Variant("jones"), 0, 0},
        {"Last", Variant("jones"), loCaseInsensitive, 3},
        {"Last", Variant("Smith"), 0, 1},
        {"Last", Variant("Smithe"), loPartialKey, 2},
        {"Last", Variant("Say \"Hi\""), 0, 4},
        {"Last;Age", VarArrayOf({Variant("Smithers"), Variant(41)}), 0, 2},
        {"Last;Age", VarArrayOf({Variant("Smithers"), Variant(40)}), 0, 0},
        {"Age", Null(), 0, 4},
        {"Born", Variant(EncodeDate(1999, 12, 31)), 0, 3},
    };
    for (const auto& c : cases) {
        q->First();
        q->Next();  // on record 2
        bool found = q->Locate(c.fields, c.values, c.options);
        EXPECT_EQ(found, c.id != 0) << c.fields << " " << c.values.AsString();
        EXPECT_EQ(q->FieldByName("ID")->AsInteger(), c.id ? c.id : 2) << c.fields << " " << c.values.AsString();
    }
    EXPECT_EQ(Ids(), "1 2 3 4") << "no filter is left behind";
}

TEST_F(LdbSearchTest, LookupAnswersWithoutMoving) {
    q->First();
    EXPECT_EQ(q->Lookup("Last", Variant("Jones"), "Age").AsInteger(), 25);
    EXPECT_EQ(q->FieldByName("ID")->AsInteger(), 1);
    Variant both = q->Lookup("ID", Variant(2), "Last;Age");
    ASSERT_TRUE(both.IsArray());
    EXPECT_EQ(both[both.LowBound()].AsString(), "Smithers");
    EXPECT_TRUE(VarIsNull(q->Lookup("Last", Variant("Nobody"), "Age")));
    EXPECT_TRUE(VarIsNull(q->Lookup("Last", Null(), "Age")));
    q->Next();
    EXPECT_EQ(q->FieldByName("ID")->AsInteger(), 2);
    // With a filter in force, a key search looks only at the records shown.
    q->SetFilter("Age < 35");
    q->SetFiltered(true);
    EXPECT_FALSE(q->Locate("Last", Variant("Smithers"), 0));
    EXPECT_TRUE(q->Locate("Last", Variant("Jones"), 0));
    EXPECT_EQ(Ids(), "1 3");
}

}  // namespace

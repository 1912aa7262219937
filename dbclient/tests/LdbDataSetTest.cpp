// TLdbDataSet through TLdbQuery: navigation, counts, bookmarks, record
// filter and calculated fields, editing and posting, and the shared
// data-link suite.

#include <atomic>

#include "dbclient/tests/DbTestSupport.h"
#include "platform/data/StdFields.h"
#include "platform/data/testing/DataLinkConformance.h"

namespace {

class LdbDataSetTest : public DbFixture {
protected:
    void SetUp() override {
        DbFixture::SetUp();
        Exec("create table Groups (PGProfile integer, PGGroupNo integer, PGDesc char(30))");
        for (int i = 1; i <= 5; ++i)
            Exec("insert into Groups values (1, " + std::to_string(i) + ", 'Group " + std::to_string(i) + "')");
    }
    std::string Walk(TDataSet* ds) {
        std::string out;
        for (ds->First(); !ds->Eof(); ds->Next())
            out += (out.empty() ? "" : " ") + ds->FieldByName("PGGroupNo")->AsString();
        return out;
    }
};

TEST_F(LdbDataSetTest, NavigatesBothWaysWithRecordNumbersAndCount) {
    TLdbQuery* q = NewQuery("select * from Groups order by PGGroupNo desc");
    q->Open();
    EXPECT_EQ(q->FieldCount(), 3);
    EXPECT_TRUE(q->Bof());
    EXPECT_EQ(q->FieldByName("PGGroupNo")->AsInteger(), 5);
    EXPECT_EQ(q->RecNo(), 1);
    q->Last();
    EXPECT_TRUE(q->Eof());
    EXPECT_EQ(q->FieldByName("PGGroupNo")->AsInteger(), 1);
    EXPECT_EQ(q->RecNo(), 5);
    q->Prior();
    q->Prior();
    EXPECT_EQ(q->FieldByName("PGDesc")->AsString(), "Group 3");
    EXPECT_EQ(q->RecordCount(), 5);
    q->SetRecNo(2);
    EXPECT_EQ(q->FieldByName("PGGroupNo")->AsInteger(), 4);
    EXPECT_EQ(q->MoveBy(10), 3);
    EXPECT_TRUE(q->Eof());
    EXPECT_TRUE(q->Locate("PGDesc", Variant(std::string("group 2")), loCaseInsensitive));
    EXPECT_EQ(q->RecNo(), 4);
    EXPECT_FALSE(q->CanModify());
    EXPECT_EQ(q->Version(), "7.0 (LCE 1.00)");
}

TEST_F(LdbDataSetTest, BookmarksReturnAndCompare) {
    TLdbQuery* q = NewQuery("select * from Groups");
    q->Open();
    q->MoveBy(3);
    TBookmark b = q->GetBookmark();
    ASSERT_EQ(b.size(), 8u);
    EXPECT_TRUE(q->BookmarkValid(b));
    q->First();
    EXPECT_LT(q->CompareBookmarks(q->GetBookmark(), b), 0);
    EXPECT_EQ(q->CompareBookmarks(TBookmark(), b), 1);
    EXPECT_EQ(q->CompareBookmarks(b, TBookmark()), -1);
    EXPECT_EQ(q->CompareBookmarks(TBookmark(), TBookmark()), 0);
    q->GotoBookmark(b);
    EXPECT_EQ(q->FieldByName("PGGroupNo")->AsInteger(), 4);
    q->Close();
    EXPECT_FALSE(q->BookmarkValid(b));
}

TEST_F(LdbDataSetTest, TheRecordFilterSkipsRejectedRecordsOnlyWhileFiltered) {
    TLdbQuery* q = NewQuery("select * from Groups");
    int calls = 0;
    q->OnFilterRecord = [&](TDataSet* ds, bool& accept) {
        ++calls;
        accept = ds->FieldByName("PGGroupNo")->AsInteger() % 2 == 0;
    };
    q->Open();
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(Walk(q), "1 2 3 4 5");
    q->Close();
    q->SetFiltered(true);
    q->Open();
    EXPECT_EQ(Walk(q), "2 4");
    q->Last();
    q->Prior();
    EXPECT_EQ(q->FieldByName("PGGroupNo")->AsInteger(), 2);
    // Counting ignores the filter unless told otherwise.
    EXPECT_EQ(q->RecordCount(), 5);
    q->Close();
    q->OnFilterRecord = [](TDataSet*, bool& accept) { accept = false; };
    q->Open();
    EXPECT_TRUE(q->IsEmpty());
    EXPECT_TRUE(q->Eof());
}

TEST_F(LdbDataSetTest, CalculatedFieldsSeeTheRecordNumberOfTheirRecord) {
    TLdbQuery* q = NewQuery("select PGGroupNo from Groups order by PGGroupNo desc");
    auto* no = new TIntegerField(q);
    no->SetFieldName("PGGroupNo");
    no->SetDataSet(q);
    auto* calc = new TIntegerField(q);
    calc->SetFieldName("Twice");
    calc->SetFieldKind(fkCalculated);
    calc->SetDataSet(q);
    std::vector<int> recNos;
    q->OnCalcFields = [&](TDataSet* ds) {
        recNos.push_back(ds->RecNo());
        ds->FieldByName("Twice")->SetAsInteger(ds->FieldByName("PGGroupNo")->AsInteger() * 2);
    };
    q->Open();
    EXPECT_EQ(calc->AsInteger(), 10);
    q->Next();
    EXPECT_EQ(calc->AsInteger(), 8);
    ASSERT_GE(recNos.size(), 2u);
    EXPECT_EQ(recNos[0], 1);
    EXPECT_EQ(recNos[1], 2);
}

TEST_F(LdbDataSetTest, LiveQueriesEditInsertAndDeleteThroughTheEngine) {
    TLdbQuery* q = NewQuery("select * from Groups where PGProfile = 1 order by PGGroupNo", true);
    q->Open();
    EXPECT_TRUE(q->CanModify());
    q->Next();
    q->Edit();
    q->FieldByName("PGDesc")->SetAsString("Renamed");
    q->Post();
    EXPECT_EQ(Scalar("select PGDesc from Groups where PGGroupNo = 2"), "Renamed");

    q->Insert();
    q->FieldByName("PGProfile")->SetAsInteger(1);
    q->FieldByName("PGGroupNo")->SetAsInteger(10);
    q->Post();
    EXPECT_EQ(Walk(q), "1 10 2 3 4 5");
    EXPECT_EQ(Scalar("select count(*) from Groups where PGGroupNo = 10 and PGDesc is null"), "1");

    q->Last();
    q->Delete();
    EXPECT_EQ(q->FieldByName("PGGroupNo")->AsInteger(), 4);
    EXPECT_EQ(Scalar("select count(*) from Groups"), "5");

    q->Append();
    q->FieldByName("PGGroupNo")->SetAsInteger(99);
    q->Cancel();
    EXPECT_EQ(Scalar("select count(*) from Groups"), "5");
    EXPECT_EQ(q->FieldByName("PGGroupNo")->AsInteger(), 4);

    // Reopened, the table's own order returns.
    q->Close();
    q->Open();
    EXPECT_EQ(Walk(q), "1 2 3 4 10");
}

TEST_F(LdbDataSetTest, PostingAnEditWritesOnlyTheFieldsSetSinceEdit) {
    TLdbQuery* q = NewQuery("select * from Groups where PGGroupNo = 1", true);
    q->Open();
    q->Edit();
    q->FieldByName("PGDesc")->SetAsString("Mine");
    Exec("update Groups set PGProfile = 42 where PGGroupNo = 1");
    q->Post();
    EXPECT_EQ(Scalar("select PGProfile || '/' || PGDesc from Groups where PGGroupNo = 1"), "42/Mine");
    EXPECT_EQ(q->FieldByName("PGProfile")->AsInteger(), 42) << "the posted record is read again";
}

TEST_F(LdbDataSetTest, AFailedPostCanBeCorrectedOrCancelled) {
    Exec("create table Strict (ID integer not null, Name char(10))");
    Exec("insert into Strict values (1, 'one')");
    TLdbQuery* q = NewQuery("select * from Strict", true);
    q->Open();
    q->Append();
    q->FieldByName("Name")->SetAsString("no id");
    try {
        q->Post();
        FAIL() << "no exception";
    } catch (const ELdbDatabaseError& e) {
        EXPECT_EQ(e.EngineErrorCode, 7200);
        EXPECT_NE(e.Message.find("NOT NULL constraint failed"), std::string::npos) << e.Message;
    }
    EXPECT_EQ(q->State(), dsInsert);
    q->FieldByName("ID")->SetAsInteger(2);
    q->Post();
    EXPECT_EQ(Scalar("select count(*) from Strict"), "2");

    q->Append();
    q->FieldByName("Name")->SetAsString("again");
    EXPECT_THROW(q->Post(), ELdbDatabaseError);
    q->Cancel();
    EXPECT_EQ(q->State(), dsBrowse);
    EXPECT_EQ(Scalar("select count(*) from Strict"), "2");
    EXPECT_EQ(q->RecordCount(), 2);
    q->First();
    EXPECT_EQ(q->FieldByName("ID")->AsInteger(), 1);

    // A refused edit, corrected: the corrected values are written.
    q->Edit();
    q->FieldByName("ID")->Clear();
    EXPECT_THROW(q->Post(), ELdbDatabaseError);
    EXPECT_EQ(q->State(), dsEdit);
    q->FieldByName("ID")->SetAsInteger(7);
    q->Post();
    EXPECT_EQ(Scalar("select group_concat(ID) from (select ID from Strict order by ID)"), "2,7");
}

TEST_F(LdbDataSetTest, StaticQueriesRefuseChanges) {
    TLdbQuery* q = NewQuery("select * from Groups");
    q->Open();
    EXPECT_THROW(q->Edit(), EDatabaseError);
    EXPECT_THROW(q->Append(), EDatabaseError);
    // Writing outside edit mode is the dataset's own error.
    try {
        q->FieldByName("PGDesc")->SetAsString("x");
        FAIL() << "no exception";
    } catch (const ELdbDatabaseError& e) {
        EXPECT_EQ(e.Message, "Dataset not in edit mode");
        EXPECT_EQ(e.EngineErrorCode, 5121);
    }
    EXPECT_THROW(q->BatchMove(), ELdbDatabaseError);
    EXPECT_THROW(q->RenameTable(), ELdbDatabaseError);
    EXPECT_THROW(q->UpdateStatus(), ELdbDatabaseError);
}

TEST_F(LdbDataSetTest, ARecordDeletedElsewhereDisappearsOnRefresh) {
    TLdbQuery* q = NewQuery("select * from Groups order by PGGroupNo", true);
    q->Open();
    q->Next();
    Exec("update Groups set PGDesc = 'Fresh' where PGGroupNo = 2");
    q->Refresh();
    EXPECT_EQ(q->FieldByName("PGDesc")->AsString(), "Fresh");
    Exec("delete from Groups where PGGroupNo = 2");
    q->Refresh();
    EXPECT_NE(q->FieldByName("PGGroupNo")->AsInteger(), 2);
    EXPECT_EQ(Walk(q), "1 3 4 5");
}

// ---------------------------------------------------------------- the shared suite

DbTempFolder& SuiteFolder() {
    static DbTempFolder folder;
    return folder;
}

std::unique_ptr<TDataSet> MakeLiveQuery() {
    static std::atomic<int> counter{0};
    int n = ++counter;
    auto q = std::make_unique<TLdbQuery>();
    auto* conn = new TLdbConnection(q.get());
    conn->SetName("SuiteConnection" + std::to_string(n));
    conn->LoginPrompt = false;
    conn->SetConnectPath(SuiteFolder().NewDatabase("Suite" + std::to_string(n) + ".ldd"));
    TLdbQuery create(nullptr);
    create.SetDatabaseName(conn->Name());
    create.SQL().SetText("create table People (ID integer, Name char(20))");
    create.ExecSQL();
    q->SetDatabaseName(conn->Name());
    q->RequestLive = true;
    q->SQL().SetText("select * from People");
    return q;
}

INSTANTIATE_TEST_SUITE_P(LdbQuery, DataLinkConformance, ::testing::Values(DataSetFactory{"LdbQuery", MakeLiveQuery}),
                         [](const auto& info) { return info.param.Name; });

}  // namespace

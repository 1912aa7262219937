// Memo and binary values: read on demand through the record buffer's cache,
// edited through blob streams and written when the record is posted.

#include <memory>

#include "dbclient/LdbBlob.h"
#include "dbclient/tests/DbTestSupport.h"
#include "platform/data/StdFields.h"

namespace {

class LdbBlobTest : public DbFixture {
protected:
    void SetUp() override {
        DbFixture::SetUp();
        Exec("create table Notes (ID integer, Title char(10), Body memo, Pic blob)");
        Exec("insert into Notes (ID, Title, Body, Pic) values (1, 'one', 'first note', x'00FF10')");
        Exec("insert into Notes (ID, Title) values (2, 'two')");
    }
    std::unique_ptr<TLdbQuery> Live() {
        std::unique_ptr<TLdbQuery> q(NewQuery("select * from Notes order by ID", true));
        q->Open();
        return q;
    }
    std::string Stored(int id, const char* column = "Body") {
        return Scalar("select " + std::string(column) + " from Notes where ID = " + std::to_string(id));
    }
};

TEST_F(LdbBlobTest, MemoAndBinaryValuesReadThroughTheirFields) {
    auto q = Live();
    EXPECT_EQ(q->FieldByName("Body")->DataType(), ftMemo);
    EXPECT_EQ(q->FieldByName("Pic")->DataType(), ftBlob);
    EXPECT_EQ(q->FieldByName("Body")->AsString(), "first note");
    EXPECT_EQ(q->FieldByName("Pic")->AsString(), std::string("\x00\xFF\x10", 3));
    EXPECT_EQ(static_cast<TBlobField*>(q->FieldByName("Body"))->BlobSize(), 10);
    q->Next();
    EXPECT_TRUE(q->FieldByName("Body")->IsNull());
    EXPECT_EQ(q->FieldByName("Body")->AsString(), "");
    // Back on the first record the value is that record's again.
    q->First();
    EXPECT_EQ(q->FieldByName("Body")->AsString(), "first note");
}

TEST_F(LdbBlobTest, EditedAndInsertedValuesArePostedAndEmptyOnesBecomeNull) {
    auto q = Live();
    q->Edit();
    q->FieldByName("Body")->SetAsString("changed");
    EXPECT_EQ(q->FieldByName("Body")->AsString(), "changed");
    q->FieldByName("Pic")->SetAsString("");
    EXPECT_TRUE(q->FieldByName("Pic")->IsNull()) << "an emptied value is null before posting";
    q->Post();
    EXPECT_EQ(q->FieldByName("Body")->AsString(), "changed");
    EXPECT_TRUE(q->FieldByName("Pic")->IsNull());
    q->Append();
    q->FieldByName("ID")->SetAsInteger(3);
    q->FieldByName("Body")->SetAsString(std::string(5000, 'x'));
    q->Post();
    q->Close();
    EXPECT_EQ(Stored(1), "changed");
    EXPECT_EQ(Stored(1, "Pic"), "<null>");
    EXPECT_EQ(Stored(3), std::string(5000, 'x'));
    EXPECT_EQ(Stored(2), "<null>") << "a record whose blobs were not touched keeps them";
}

TEST_F(LdbBlobTest, CancelledEditsLeaveTheValueAsItWas) {
    auto q = Live();
    q->Edit();
    q->FieldByName("Body")->SetAsString("dropped");
    q->Cancel();
    EXPECT_EQ(q->FieldByName("Body")->AsString(), "first note");
    q->Close();
    EXPECT_EQ(Stored(1), "first note");
}

TEST_F(LdbBlobTest, StreamModesFollowTheDatasetState) {
    auto q = Live();
    TField* body = q->FieldByName("Body");
    try {
        delete q->CreateBlobStream(body, bmReadWrite);
        FAIL() << "no error";
    } catch (const ELdbDatabaseError& e) {
        EXPECT_EQ(e.Message, "Table must be in Edit or Insert state to open blob stream in Write Mode.");
        EXPECT_EQ(e.EngineErrorCode, 5121);
    }
    std::unique_ptr<TStream> reader(q->CreateBlobStream(body, bmRead));
    EXPECT_THROW(reader->Write("x", 1), ELdbDatabaseError);
    try {
        delete q->CreateBlobStream(q->FieldByName("Title"), bmRead);
        FAIL() << "no error";
    } catch (const ELdbDatabaseError& e) {
        EXPECT_NE(e.Message.find("Invalid blob open on non-blob field."), std::string::npos);
    }
    q->Edit();
    std::unique_ptr<TStream> writer(q->CreateBlobStream(body, bmWrite));
    EXPECT_EQ(writer->Size(), 0) << "a write stream starts empty";
    std::unique_ptr<TStream> both(q->CreateBlobStream(q->FieldByName("Pic"), bmReadWrite));
    EXPECT_EQ(both->Size(), 3) << "a read-write stream starts with the value";
    both->Seek(0, soEnd);
    both->Write("!", 1);
    writer.reset();
    both.reset();
    EXPECT_TRUE(q->Modified());
    q->Post();
    q->Close();
    EXPECT_EQ(Stored(1), "<null>");
    EXPECT_EQ(Stored(1, "Pic"), std::string("\x00\xFF\x10!", 4));
}

TEST_F(LdbBlobTest, CacheLoadsTextToTheLengthTheEngineGives) {
    LdbHandle st = 0, cur = 0;
    ASSERT_EQ(LdbCreateSQLStatement(conn->ConnectionHandle(), &st), 0u);
    ASSERT_EQ(LdbPrepareSQL(st, "select Body from Notes order by ID"), 0u);
    ASSERT_EQ(LdbExecuteSQL(st, &cur), 0u);
    TLdbBlobCache cache;
    cache.Load(cur, 1, false, 1);
    EXPECT_EQ(cache.Size(), 10);
    EXPECT_EQ(std::string(cache.Memory(), 10), "first note");
    EXPECT_FALSE(cache.Modified());
    // The same record and field again only rewinds.
    cache.Seek(4, soBeginning);
    cache.Load(cur, 1, false, 1);
    EXPECT_EQ(cache.Position(), 0);
    // A record that is not there gives an empty value.
    cache.Load(cur, 1, false, 99);
    EXPECT_EQ(cache.Size(), 0);
    EXPECT_EQ(cache.RecordNumber(), 0);
    LdbCloseSQLStatement(st);
}

}  // namespace

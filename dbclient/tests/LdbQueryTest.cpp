// TLdbQuery: SQL text and parameters, cursors and statements without
// result, statement reuse, master data sources.

#include "dbclient/tests/DbTestSupport.h"
#include "platform/core/DateTime.h"

namespace {

class LdbQueryTest : public DbFixture {
protected:
    void SetUp() override {
        DbFixture::SetUp();
        Exec("create table DataDetail (DDID integer, DSID integer, DDValue Char(10), DDPoints Char(6))");
    }
};

TEST_F(LdbQueryTest, ParametersByNameAsStatementAndAsCursor) {
    TLdbQuery* ins = NewQuery("insert into DataDetail (DDID, DSID, DDValue)\nvalues(:pDDID, :pDSID, :pDDVal)");
    ASSERT_EQ(ins->Params().Count(), 3);
    for (int i = 1; i <= 3; ++i) {
        ins->ParamByName("pDDID")->SetAsInteger(i);
        ins->ParamByName("pdsid")->SetAsInteger(7);
        ins->ParamByName("pDDVal")->SetAsString(i == 2 ? "B" : "A");
        ins->ExecSQL();
        EXPECT_EQ(ins->RowsAffected(), 1);
    }
    EXPECT_THROW(ins->ParamByName("pMissing"), EDatabaseError);

    TLdbQuery* sel = NewQuery("select * from DataDetail where DSID = :pDSID and DDValue = :v order by DDID desc");
    sel->ParamByName("pDSID")->SetAsInteger(7);
    sel->ParamByName("v")->SetAsString("A");
    sel->Open();
    EXPECT_EQ(sel->RecordCount(), 2);
    EXPECT_EQ(sel->FieldByName("DDID")->AsInteger(), 3);
    sel->Next();
    EXPECT_EQ(sel->FieldByName("DDID")->AsInteger(), 1);
    EXPECT_EQ(sel->RowsAffected(), -1);

    TLdbQuery* del = NewQuery("delete from DataDetail where DSID = :pDSID");
    del->ParamByName("pDSID")->SetAsInteger(7);
    del->ExecSQL();
    EXPECT_EQ(del->RowsAffected(), 3);
}

TEST_F(LdbQueryTest, OpenNeedsACursorAndExecSqlTakesAnyStatement) {
    TLdbQuery* max = NewQuery("select max(DDID) as MaxID from DataDetail");
    max->Open();
    EXPECT_EQ(max->RecordCount(), 1);
    EXPECT_TRUE(max->FieldByName("MaxID")->IsNull());
    EXPECT_EQ(max->FieldByName("MaxID")->AsInteger() + 1, 1);

    TLdbQuery* ins = NewQuery("insert into DataDetail (DDID) values (1)");
    EXPECT_THROW(ins->Open(), ELdbDatabaseError);
    EXPECT_FALSE(ins->Active());
    ins->SQL().SetText("insert into DataDetail (DDID) values (2)");
    EXPECT_NO_THROW(ins->ExecSQL());
    // A SELECT passed to ExecSQL runs and its cursor is closed.
    TLdbQuery* sel = NewQuery("select * from DataDetail");
    EXPECT_NO_THROW(sel->ExecSQL());
    EXPECT_FALSE(sel->Active());
    max->Close();
    max->Open();
    EXPECT_EQ(max->FieldByName("MaxID")->AsInteger(), 2);
}

TEST_F(LdbQueryTest, TheSameTextKeepsAnOpenQueryOpenAndTheStatementIsReused) {
    Exec("insert into DataDetail (DDID, DSID) values (1, 5)");
    Exec("insert into DataDetail (DDID, DSID) values (2, 6)");
    TLdbQuery* q = NewQuery("select * from DataDetail where DSID = :pDSID");
    q->ParamByName("pDSID")->SetAsInteger(5);
    q->Open();
    LdbHandle statement = q->StatementHandle();
    q->SetSQLText("select * from DataDetail where DSID = :pDSID");
    EXPECT_TRUE(q->Active());
    q->Close();
    q->ParamByName("pDSID")->SetAsInteger(6);
    q->Open();
    EXPECT_EQ(q->StatementHandle(), statement);
    EXPECT_EQ(q->FieldByName("DDID")->AsInteger(), 2) << "prepared again with the new value";
    // A new text closes the query and keeps the values of parameters of the
    // same name.
    q->SetSQLText("select * from DataDetail where DSID = :pDSID order by DDID");
    EXPECT_FALSE(q->Active());
    EXPECT_EQ(q->ParamByName("pDSID")->AsInteger(), 6);
    q->ParamCheck = false;
    q->SQL().SetText("select * from DataDetail where DDID = :other");
    EXPECT_EQ(q->Params().Count(), 1);
    EXPECT_EQ(q->Params()[0]->Name(), "pDSID");
}

TEST_F(LdbQueryTest, ParameterKindsReachTheDatabaseAsTheirValues) {
    Exec("create table K (B logical, F double, C curdouble, D date, T time, Ts timestamp, L double, S char(10), "
         "N integer)");
    TLdbQuery* q = NewQuery("insert into K values (:b, :f, :c, :d, :t, :ts, :l, :s, :n)");
    q->ParamByName("b")->SetAsBoolean(true);
    q->ParamByName("f")->SetAsFloat(2.25);
    q->ParamByName("c")->SetAsCurrency(::Currency(12.5));
    q->ParamByName("d")->SetAsDate(EncodeDate(2000, 1, 1));
    q->ParamByName("t")->SetAsTime(0.5);
    q->ParamByName("ts")->SetAsDateTime(EncodeDate(2024, 3, 5) + 0.5);
    q->ParamByName("l")->SetAsLargeInt(5000000000LL);
    q->ParamByName("s")->SetAsString("text");
    q->ParamByName("n")->Clear();
    q->ExecSQL();
    EXPECT_EQ(Scalar("select count(*) from K where D = '2000-01-01' and T = '12:00:00.000' and "
                     "Ts = '2024-03-05 12:00:00.000' and B = 1 and F = 2.25 and C = 12.5 and L = 5000000000 "
                     "and S = 'text' and N is null"),
              "1");

    TLdbQuery* bad = NewQuery("select * from K where S = :s");
    bad->ParamByName("s")->SetDataType(ftUnknown);
    bad->ParamByName("s")->SetValue(Variant(std::string("x")));
    bad->ParamByName("s")->SetDataType(ftUnknown);
    try {
        bad->Open();
        FAIL() << "no exception";
    } catch (const ELdbDatabaseError& e) {
        EXPECT_EQ(e.Message, "The field named: 's' has the DataType of ftUnknown, which is invalid.");
    }
    bad->ParamByName("s")->SetDataType(ftWideString);
    try {
        bad->Open();
        FAIL() << "no exception";
    } catch (const ELdbDatabaseError& e) {
        EXPECT_EQ(e.Message, "The field named: 's' has a DataType that is not supported.");
    }
}

// A date-time or time of day that rounds up to 24:00 is midnight of the
// next day, through parameters and through fields alike.
TEST_F(LdbQueryTest, InstantsAtTheEndOfADayRoundIntoTheNextDay) {
    Exec("create table E (N integer, T time, Ts timestamp)");
    const double lastTick = EncodeTime(23, 59, 59, 999);
    struct Case {
        double dayFraction;  // of 31 December 1999
        const char* time;
        const char* stamp;
    };
    const Case cases[] = {
        {lastTick, "23:59:59.999", "1999-12-31 23:59:59.999"},
        {lastTick + 0.4 / 86400000.0, "23:59:59.999", "1999-12-31 23:59:59.999"},
        {lastTick + 0.5 / 86400000.0, "00:00:00.000", "2000-01-01 00:00:00.000"},
        {lastTick + 0.9 / 86400000.0, "00:00:00.000", "2000-01-01 00:00:00.000"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stamp);
        const TDateTime when = EncodeDate(1999, 12, 31) + c.dayFraction;
        TLdbQuery* q = NewQuery("insert into E values (:n, :t, :ts)");
        q->ParamByName("n")->SetAsInteger(++n);
        q->ParamByName("t")->SetAsTime(when);
        q->ParamByName("ts")->SetAsDateTime(when);
        q->ExecSQL();
        const std::string row = "select count(*) from E where N = " + std::to_string(n);
        EXPECT_EQ(Scalar(row + " and T = '" + c.time + "' and Ts = '" + c.stamp + "'"), "1");

        TLdbQuery* live = NewQuery("select * from E where N = " + std::to_string(n), true);
        live->Open();
        live->Edit();
        live->FieldByName("Ts")->SetAsDateTime(when);
        live->Post();
        EXPECT_EQ(Scalar(row + " and Ts = '" + c.stamp + "'"), "1");
    }
}

TEST_F(LdbQueryTest, NamesPathsAndTableTypesAreChecked) {
    auto* q = new TLdbQuery(form.get());
    q->SQL().SetText("select * from DataDetail");
    try {
        q->Open();
        FAIL() << "no exception";
    } catch (const ELdbDatabaseError& e) {
        EXPECT_EQ(e.Message, "The DatabaseName property has not been assigned a value.");
    }
    // A folder as DatabaseName: the query connects to that folder itself.
    q->SetDatabaseName(folder.path);
    EXPECT_EQ(q->Connection(), nullptr);
    q->SQL().SetText("create table Free (A integer)");
    q->ExecSQL();
    auto* other = new TLdbQuery(form.get());
    other->SetDatabaseName(folder.path + "/");
    other->SQL().SetText("select * from Free");
    EXPECT_NO_THROW(other->Open());
    try {
        q->SetSourceTableType(ttAdsNTX);
        FAIL() << "no exception";
    } catch (const ELdbDatabaseError& e) {
        EXPECT_EQ(e.Message, "The TLdbQuery component does not support the NTX table type");
    }
    // Switching to the connection gives a statement on the connection.
    q->SetDatabaseName("LdbConnection1");
    q->SQL().SetText("select * from DataDetail");
    EXPECT_NO_THROW(q->Open());
    EXPECT_THROW(q->SetDatabaseName(folder.path), ELdbDatabaseError);
}

TEST_F(LdbQueryTest, ADetailQueryFollowsItsMaster) {
    Exec("insert into DataDetail (DDID, DSID) values (1, 5)");
    Exec("insert into DataDetail (DDID, DSID) values (2, 5)");
    Exec("insert into DataDetail (DDID, DSID) values (3, 6)");
    Exec("create table DataSets (DSID integer)");
    Exec("insert into DataSets values (5)");
    Exec("insert into DataSets values (6)");
    TLdbQuery* master = NewQuery("select DSID from DataSets order by DSID");
    TDataSource source;
    source.SetDataSet(master);
    TLdbQuery* detail = NewQuery("select * from DataDetail where DSID = :DSID");
    detail->SetDataSource(&source);
    master->Open();
    detail->Open();
    EXPECT_EQ(detail->RecordCount(), 2);
    master->Next();
    EXPECT_EQ(detail->RecordCount(), 1);
    EXPECT_EQ(detail->FieldByName("DDID")->AsInteger(), 3);
    TDataSource own;
    own.SetDataSet(detail);
    EXPECT_THROW(detail->SetDataSource(&own), ELdbDatabaseError);
    detail->SetDataSource(nullptr);
    source.SetDataSet(nullptr);
}

}  // namespace

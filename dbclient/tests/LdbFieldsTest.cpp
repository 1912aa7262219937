// Engine fields as framework fields: type mapping, values in both
// directions, nulls, numeric text, default values.

#include <cmath>

#include "dbclient/tests/DbTestSupport.h"
#include "platform/core/DateTime.h"
#include "platform/data/StdFields.h"

namespace {

TEST(LdbFieldMapping, EngineTypesGiveFrameworkTypesAndSizes) {
    struct Case {
        std::uint16_t engine;
        std::uint32_t length;
        std::uint16_t decimals;
        TFieldType type;
        int size;
    } cases[] = {
        {1, 1, 0, ftBoolean, 0},   {2, 4, 0, ftSmallint, 0},  {2, 5, 0, ftFloat, 0},    {2, 4, 1, ftFloat, 0},
        {3, 4, 0, ftDate, 0},      {9, 3, 0, ftDate, 0},      {4, 30, 0, ftString, 30}, {5, 9, 0, ftMemo, 1},
        {8, 9, 0, ftMemo, 1},      {6, 9, 0, ftBlob, 1},      {7, 9, 0, ftBlob, 1},     {10, 8, 0, ftFloat, 0},
        {11, 4, 0, ftInteger, 0},  {12, 2, 0, ftSmallint, 0}, {13, 4, 0, ftTime, 0},    {14, 8, 0, ftDateTime, 0},
        {15, 4, 0, ftAutoInc, 0},  {16, 3, 0, ftBytes, 3},    {17, 8, 0, ftCurrency, 0}, {18, 8, 0, ftBCD, 4},
        {19, 8, 0, ftUnknown, 0},  {20, 8, 0, ftLargeint, 0},
    };
    for (const auto& c : cases) {
        int size = -1;
        EXPECT_EQ(LdbFieldType(c.engine, c.length, c.decimals, size), c.type) << c.engine;
        EXPECT_EQ(size, c.size) << c.engine;
    }
}

class LdbFieldsTest : public DbFixture {
protected:
    void SetUp() override {
        DbFixture::SetUp();
        Exec("create table V (I integer, S char(10), M memo, D date, T time, Ts timestamp, B logical, F double, "
             "C curdouble, Mo money, Sh short, N4 numeric(4,0), N5 numeric(5,0), N41 numeric(4,1), N72 numeric(7,2))");
    }
    TLdbQuery* Live() {
        TLdbQuery* q = NewQuery("select * from V", true);
        q->Open();
        return q;
    }
};

TEST_F(LdbFieldsTest, ColumnsBecomeFieldsOfTheirTypes) {
    TLdbQuery* q = Live();
    struct Case {
        const char* name;
        TFieldType type;
    } cases[] = {
        {"I", ftInteger},  {"S", ftString},   {"M", ftMemo},     {"D", ftDate},      {"T", ftTime},
        {"Ts", ftDateTime}, {"B", ftBoolean}, {"F", ftFloat},    {"C", ftCurrency},  {"Mo", ftBCD},
        {"Sh", ftSmallint}, {"N4", ftSmallint}, {"N5", ftFloat}, {"N41", ftFloat},   {"N72", ftFloat},
    };
    ASSERT_EQ(q->FieldCount(), static_cast<int>(std::size(cases)));
    for (const auto& c : cases) EXPECT_EQ(q->FieldByName(c.name)->DataType(), c.type) << c.name;
    EXPECT_EQ(q->FieldByName("S")->Size(), 10);
    EXPECT_TRUE(dynamic_cast<TBCDField*>(q->FieldByName("Mo"))->Currency());
}

TEST_F(LdbFieldsTest, ValuesWrittenThroughFieldsReadBackTheSame) {
    TLdbQuery* q = Live();
    const TDateTime when = EncodeDate(2024, 3, 5) + EncodeTime(13, 45, 30, 250);
    q->Append();
    q->FieldByName("I")->SetAsInteger(-123456);
    q->FieldByName("S")->SetAsString("Twelve chars");
    q->FieldByName("D")->SetAsDateTime(EncodeDate(1999, 12, 31));
    q->FieldByName("T")->SetAsDateTime(EncodeTime(23, 59, 58, 0));
    q->FieldByName("Ts")->SetAsDateTime(when);
    q->FieldByName("B")->SetAsBoolean(true);
    q->FieldByName("F")->SetAsFloat(0.1);
    q->FieldByName("C")->SetAsCurrency(::Currency(19.99));
    q->FieldByName("Mo")->SetAsCurrency(::Currency::FromRaw(123456789));
    q->FieldByName("Sh")->SetAsInteger(-32000);
    q->FieldByName("N4")->SetAsInteger(1234);
    q->FieldByName("N5")->SetAsFloat(12345);
    q->FieldByName("N41")->SetAsFloat(12.25);
    q->FieldByName("N72")->SetAsFloat(123.456);
    q->Post();

    TLdbQuery* r = NewQuery("select * from V");
    r->Open();
    EXPECT_EQ(r->FieldByName("I")->AsInteger(), -123456);
    EXPECT_EQ(r->FieldByName("S")->AsString(), "Twelve cha");
    EXPECT_EQ(r->FieldByName("D")->AsDateTime(), EncodeDate(1999, 12, 31));
    EXPECT_NEAR(r->FieldByName("T")->AsDateTime(), EncodeTime(23, 59, 58, 0), 1e-9);
    EXPECT_NEAR(r->FieldByName("Ts")->AsDateTime(), when, 1e-9);
    EXPECT_TRUE(r->FieldByName("B")->AsBoolean());
    EXPECT_EQ(r->FieldByName("F")->AsFloat(), 0.1);
    EXPECT_EQ(r->FieldByName("C")->AsCurrency(), ::Currency(19.99));
    EXPECT_EQ(r->FieldByName("Mo")->AsCurrency().Raw(), 123456789);
    EXPECT_EQ(r->FieldByName("Sh")->AsInteger(), -32000);
    EXPECT_EQ(r->FieldByName("N4")->AsInteger(), 1234);
    EXPECT_EQ(r->FieldByName("N5")->AsFloat(), 12345);
    EXPECT_EQ(r->FieldByName("N41")->AsFloat(), 12.3) << "rounded to the field's one decimal";
    EXPECT_EQ(r->FieldByName("N72")->AsFloat(), 123.46);
    EXPECT_EQ(Scalar("select '[' || N72 || ']' from V"), "[123.46]");
    EXPECT_TRUE(r->FieldByName("M")->IsNull());
}

TEST_F(LdbFieldsTest, NullsAndEmptyTextFollowTheEnginesConventions) {
    Exec("insert into V (I, S, B) values (NULL, '', 'y')");
    TLdbQuery* q = Live();
    for (int i = 0; i < q->FieldCount(); ++i) {
        if (q->Fields()[i]->FieldName() != "B") {
            EXPECT_TRUE(q->Fields()[i]->IsNull()) << q->Fields()[i]->FieldName();
        }
    }
    EXPECT_TRUE(q->FieldByName("B")->AsBoolean());
    q->Edit();
    q->FieldByName("S")->SetAsString("");
    q->FieldByName("B")->Clear();
    q->FieldByName("I")->SetAsInteger(0);
    q->Post();
    EXPECT_TRUE(q->FieldByName("S")->IsNull());
    EXPECT_TRUE(q->FieldByName("B")->IsNull());
    EXPECT_FALSE(q->FieldByName("I")->IsNull());
    EXPECT_EQ(Scalar("select (S is null) || (B is null) || I from V"), "110");
}

TEST_F(LdbFieldsTest, NumbersThatDoNotFitTheirNumericFieldAreRefused) {
    TLdbQuery* q = Live();
    q->Append();
    for (const char* name : {"N72", "N5"}) {
        try {
            q->FieldByName(name)->SetAsFloat(1e20);
            FAIL() << "no exception for " << name;
        } catch (const ELdbDatabaseError& e) {
            EXPECT_EQ(e.Message, "Numeric out of range.");
            EXPECT_EQ(e.EngineErrorCode, 5121);
        }
    }
    q->FieldByName("N72")->SetAsFloat(-123.5);
    EXPECT_EQ(q->FieldByName("N72")->AsFloat(), -123.5);
    q->Cancel();
}

TEST_F(LdbFieldsTest, DefaultExpressionsFillNewRecords) {
    TLdbQuery* q = Live();
    q->FieldByName("S")->SetDefaultExpression("'abc'");
    q->FieldByName("B")->SetDefaultExpression(" T ");
    q->FieldByName("I")->SetDefaultExpression("42");
    q->FieldByName("F")->SetDefaultExpression("2.5");
    q->Append();
    EXPECT_EQ(q->FieldByName("S")->AsString(), "abc");
    EXPECT_TRUE(q->FieldByName("B")->AsBoolean());
    EXPECT_EQ(q->FieldByName("I")->AsInteger(), 42);
    EXPECT_EQ(q->FieldByName("F")->AsFloat(), 2.5);
    q->Post();
    EXPECT_EQ(Scalar("select S || B || I from V"), "abc142");

    q->FieldByName("S")->SetDefaultExpression("abc");
    q->Append();
    EXPECT_TRUE(q->FieldByName("S")->IsNull()) << "text without quotes is no default";
    q->Cancel();

    q->FieldByName("Sh")->SetDefaultExpression("70000");
    try {
        q->Append();
        FAIL() << "no exception";
    } catch (const ELdbDatabaseError& e) {
        EXPECT_EQ(e.Message, "Numeric out of range:70000");
        EXPECT_EQ(e.EngineErrorCode, 0);
    }
    q->FieldByName("Sh")->SetDefaultExpression("");
    q->FieldByName("D")->SetDefaultExpression("not a date");
    try {
        q->Append();
        FAIL() << "no exception";
    } catch (const ELdbDatabaseError& e) {
        EXPECT_EQ(e.Message.rfind("Error setting default field value. (D)\r\n", 0), 0u) << e.Message;
        EXPECT_EQ(e.EngineErrorCode, 0);
    }
    EXPECT_EQ(q->State(), dsBrowse);
}

// Student IDs are 64-bit: they survive every road into and out of the
// database exactly, whether the column is declared 64-bit or not.
TEST_F(LdbFieldsTest, SixtyFourBitIdsRoundTripExactly) {
    Exec("create table Ids (Kind char(10), Id longlong, Old integer)");
    const Int64 big = 123456789012345LL;
    {
        std::unique_ptr<TLdbQuery> q(NewQuery("insert into Ids values ('param', :pId, :pOld)"));
        q->ParamByName("pId")->SetAsLargeInt(big);
        q->ParamByName("pOld")->SetAsLargeInt(big + 1);
        q->ExecSQL();
    }
    {
        std::unique_ptr<TLdbQuery> q(NewQuery("select * from Ids", true));
        q->Open();
        EXPECT_EQ(q->FieldByName("Id")->DataType(), ftLargeint);
        // The integer column holds a value beyond 32 bits: it reads as 64-bit.
        EXPECT_EQ(q->FieldByName("Old")->DataType(), ftLargeint);
        EXPECT_EQ(q->FieldByName("Old")->AsLargeInt(), big + 1);
        q->Append();
        q->FieldByName("Kind")->SetAsString("field");
        q->FieldByName("Id")->SetAsLargeInt(-big);
        q->Post();
    }
    EXPECT_EQ(Scalar("select Id from Ids where Kind = 'param'"), "123456789012345");
    EXPECT_EQ(Scalar("select Id from Ids where Kind = 'field'"), "-123456789012345");
    EXPECT_EQ(Scalar("select Old from Ids where Kind = 'param'"), "123456789012346");
    EXPECT_EQ(Scalar("select Id from Ids where Kind = 'none'"), "<none>");
    std::unique_ptr<TLdbQuery> q(NewQuery("select Old from Ids where Kind = 'field'"));
    q->Open();
    EXPECT_TRUE(q->Fields()[0]->IsNull());
}

}  // namespace

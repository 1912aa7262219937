#include <gtest/gtest.h>

#include "platform/data/Params.h"
#include "platform/data/DBError.h"

TEST(Params, ParamByNameFindsCaseInsensitivelyAndRaisesForUnknown) {
    TParams params;
    params.CreateParam(ftInteger, "pID", ptInput);
    params.CreateParam(ftString, "pName", ptInput);
    params.ParamByName("PID")->SetAsInteger(5);
    EXPECT_EQ(params.ParamByName("pid")->AsInteger(), 5);
    EXPECT_EQ(params.ParamByName("pID")->Index(), 0);
    EXPECT_EQ(params.FindParam("none"), nullptr);
    try {
        params.ParamByName("pX");
        ADD_FAILURE();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message, "Parameter 'pX' not found");
    }
}

TEST(Params, TypedSettersSetTheTypeAndNullsReadAsEmpty) {
    TParam p;
    EXPECT_TRUE(p.IsNull());
    EXPECT_EQ(p.AsInteger(), 0);
    EXPECT_EQ(p.AsString(), "");
    p.SetAsFloat(1.25);
    EXPECT_EQ(p.DataType(), ftFloat);
    EXPECT_EQ(p.AsString(), "1.25");
    p.SetAsLargeInt(1234567890123LL);
    EXPECT_EQ(p.DataType(), ftLargeint);
    EXPECT_EQ(p.AsString(), "1234567890123");
    p.SetAsString("42");
    EXPECT_EQ(p.AsInteger(), 42);
    p.Clear();
    EXPECT_TRUE(p.IsNull());
    EXPECT_FALSE(p.Bound());
    TParam q;
    q.SetValue(Variant(true));
    EXPECT_EQ(q.DataType(), ftBoolean);
}

TEST(Params, ParseSqlReplacesParametersOutsideQuotes) {
    TParams params;
    std::string sql = params.ParseSQL(
        "SELECT * FROM T WHERE ID = :pID AND Name = ':notParam' AND T2 = '12:30' AND X = :pID "
        "AND Y = :\"p Z\" AND Z::INT = 1",
        true);
    EXPECT_EQ(sql, "SELECT * FROM T WHERE ID = ? AND Name = ':notParam' AND T2 = '12:30' AND X = ? "
                   "AND Y = ? AND Z:INT = 1");
    ASSERT_EQ(params.Count(), 2);
    EXPECT_EQ(params[0]->Name(), "pID");
    EXPECT_EQ(params[1]->Name(), "p Z");
}

TEST(Params, AssignValuesCopiesByName) {
    TParams a, b;
    a.CreateParam(ftUnknown, "x", ptInput)->SetAsInteger(1);
    a.CreateParam(ftUnknown, "y", ptInput)->SetAsString("s");
    b.CreateParam(ftUnknown, "Y", ptInput);
    b.AssignValues(a);
    EXPECT_EQ(b[0]->AsString(), "s");
    EXPECT_EQ(b[0]->Name(), "Y");
    Variant v = a.ParamValues("x;y");
    EXPECT_EQ(v[1].AsString(), "s");
}

#include "platform/core/Variant.h"

#include "platform/core/DateTime.h"
#include "platform/core/FormatSettings.h"

#include <gtest/gtest.h>

namespace {

template <class F>
std::string CastMessage(F f) {
    try {
        f();
    } catch (const EVariantTypeCastError& e) {
        return e.Message;
    }
    return "(no EVariantTypeCastError)";
}

TEST(VariantTest, UnassignedNullAndEmptyStringAreDistinct) {
    const Variant unassigned;
    const Variant null = Null();
    const Variant empty("");

    EXPECT_EQ(VarType(unassigned), varEmpty);
    EXPECT_EQ(VarType(null), varNull);
    EXPECT_EQ(VarType(empty), varString);
    EXPECT_TRUE(VarIsEmpty(unassigned) && VarIsClear(unassigned) && !VarIsNull(unassigned));
    EXPECT_TRUE(VarIsNull(null) && !VarIsEmpty(null));
    EXPECT_TRUE(!VarIsNull(empty) && !VarIsEmpty(empty) && VarIsStr(empty));
    EXPECT_EQ(VarType(Unassigned()), varEmpty);

    // Null equals only Null.
    EXPECT_FALSE(null == unassigned);
    EXPECT_FALSE(null == empty);
    EXPECT_TRUE(null == Null());
    // Unassigned is not Null, but stands for "" and 0 in comparisons.
    EXPECT_TRUE(unassigned == empty);
    EXPECT_TRUE(unassigned == Variant(0));
    EXPECT_EQ(VarCompareValue(unassigned, empty), vrNotEqual);
    EXPECT_EQ(VarCompareValue(null, Null()), vrEqual);

    // Conversions: Unassigned gives zero values, Null gives none.
    EXPECT_EQ(unassigned.AsInteger(), 0);
    EXPECT_EQ(unassigned.AsString(), "");
    EXPECT_FALSE(unassigned.AsBoolean());
    EXPECT_EQ(VarToStr(null), "");
    EXPECT_EQ(VarToStrDef(null, "n/a"), "n/a");
    EXPECT_EQ(VarToStrDef(unassigned, "n/a"), "");
    EXPECT_EQ(CastMessage([&] { null.AsInteger(); }), "Could not convert variant of type (Null) into type (Integer)");
    EXPECT_EQ(CastMessage([&] { null.AsString(); }), "Could not convert variant of type (Null) into type (String)");
    EXPECT_EQ(CastMessage([&] { null.AsDouble(); }), "Could not convert variant of type (Null) into type (Double)");
    EXPECT_EQ(CastMessage([&] { null.AsDateTime(); }), "Could not convert variant of type (Null) into type (Date)");
    EXPECT_EQ(CastMessage([&] { empty.AsInteger(); }), "Could not convert variant of type (String) into type (Integer)");
}

TEST(VariantTest, KindsOfConstructedValues) {
    struct Case {
        Variant v;
        TVarType type;
        const char* text;
    } cases[] = {
        {Variant(SmallInt(-3)), varSmallint, "-3"},
        {Variant(42), varInteger, "42"},
        {Variant(Int64(9000000000)), varInt64, "9000000000"},
        {Variant(Byte(7)), varByte, "7"},
        {Variant(0.1f), varSingle, "0.1"},
        {Variant(1.0 / 3), varDouble, "0.333333333333333"},
        {Variant(Currency(12.5)), varCurrency, "12.5"},
        {VarFromDateTime(EncodeDate(2024, 3, 5)), varDate, "3/5/2024"},
        {VarFromDateTime(EncodeDate(2024, 3, 5) + 0.75), varDate, "3/5/2024 6:00:00 PM"},
        {Variant(true), varBoolean, "True"},
        {Variant(false), varBoolean, "False"},
        {Variant("abc"), varString, "abc"},
        {Variant(std::string("x")), varString, "x"},
        {Variant::FromOleStr("ole"), varOleStr, "ole"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(VarType(c.v), c.type) << c.text;
        EXPECT_EQ(c.v.AsString(), c.text);
    }
}

TEST(VariantTest, NumericConversions) {
    struct Case {
        Variant v;
        Integer asInteger;
        double asDouble;
    } cases[] = {
        {Variant(2.5), 2, 2.5},          // half to even
        {Variant(3.5), 4, 3.5},
        {Variant(-2.5), -2, -2.5},
        {Variant(true), -1, -1},
        {Variant(false), 0, 0},
        {Variant("42"), 42, 42},
        {Variant(" 7 "), 7, 7},
        {Variant("2.5"), 2, 2.5},
        {Variant("-1e3"), -1000, -1000},
        {Variant(Currency(1.5)), 2, 1.5},
        {Variant(Byte(200)), 200, 200},
        {VarFromDateTime(2.75), 3, 2.75},
        {Variant(), 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.v.AsInteger(), c.asInteger) << c.v.AsString();
        EXPECT_DOUBLE_EQ(c.v.AsDouble(), c.asDouble) << c.v.AsString();
    }
    EXPECT_EQ(Variant("9000000000").AsInt64(), 9000000000);
    EXPECT_EQ(Variant("12.34567").AsCurrency().Raw(), 123457);
    EXPECT_EQ(Variant(0.1f).AsSingle(), 0.1f);

    EXPECT_THROW(Variant(100000).AsSmallInt(), EVariantOverflowError);
    EXPECT_THROW(Variant(300).AsByte(), EVariantOverflowError);
    EXPECT_THROW(Variant(-1).AsByte(), EVariantOverflowError);
    EXPECT_THROW(Variant(1e10).AsInteger(), EVariantOverflowError);
    EXPECT_THROW(Variant("99999999999").AsInteger(), EVariantOverflowError);
    EXPECT_EQ(CastMessage([] { Variant("abc").AsDouble(); }),
              "Could not convert variant of type (String) into type (Double)");
}

TEST(VariantTest, TextConversionsFollowTheProcessSettings) {
    TFormatSettings saved = DefaultFormatSettings();
    DefaultFormatSettings().DecimalSeparator = ',';
    DefaultFormatSettings().ShortDateFormat = "d/m/yyyy";
    const double parsed = Variant("1,5").AsDouble();
    const std::string shown = Variant(2.25).AsString();
    const TDateTime date = Variant("5/3/2024").AsDateTime();
    DefaultFormatSettings() = saved;
    EXPECT_DOUBLE_EQ(parsed, 1.5);
    EXPECT_EQ(shown, "2,25");
    EXPECT_DOUBLE_EQ(date, EncodeDate(2024, 3, 5));
}

TEST(VariantTest, BooleanAndDateConversions) {
    EXPECT_TRUE(Variant("true").AsBoolean());
    EXPECT_FALSE(Variant("FALSE").AsBoolean());
    EXPECT_FALSE(Variant("0").AsBoolean());
    EXPECT_TRUE(Variant(5).AsBoolean());
    EXPECT_TRUE(Variant(-0.5).AsBoolean());
    EXPECT_THROW(Variant("yes").AsBoolean(), EVariantTypeCastError);

    EXPECT_DOUBLE_EQ(Variant("3/5/2024").AsDateTime(), EncodeDate(2024, 3, 5));
    EXPECT_DOUBLE_EQ(Variant(45000).AsDateTime(), 45000);
    EXPECT_DOUBLE_EQ(VarToDateTime(Variant("45000.5")), 45000.5);
    EXPECT_THROW(Variant("not a date").AsDateTime(), EVariantTypeCastError);

    EXPECT_EQ(VarType(VarAsType(Variant("12"), varInteger)), varInteger);
    EXPECT_EQ(VarAsType(Variant("12"), varInteger).AsInteger(), 12);
    EXPECT_EQ(VarType(VarAsType(Variant(12), varString)), varString);
    EXPECT_TRUE(VarIsNull(VarAsType(Variant(1), varNull)));
    EXPECT_THROW(VarAsType(Null(), varString), EVariantTypeCastError);
}

TEST(VariantTest, Comparisons) {
    // expected: -1 less, 0 equal, 1 greater
    struct Case {
        Variant a, b;
        int expected;
    } cases[] = {
        {Variant(1), Variant(1.0), 0},
        {Variant(Byte(3)), Variant(3), 0},
        {Variant(Currency(1.5)), Variant(1.5), 0},
        {Variant(Int64(9000000000)), Variant(Int64(9000000001)), -1},
        {Variant(2), Variant(1.5), 1},
        {Variant("abc"), Variant("abd"), -1},
        {Variant("B"), Variant("a"), -1},  // case-sensitive, byte order
        {Variant("abc"), Variant("abc"), 0},
        {Variant("10"), Variant(9), 1},    // text read as a number, not compared as text
        {Variant(false), Variant(true), -1},
        {Variant(true), Variant(-1), 0},
        {Variant("true"), Variant(true), 0},
        {VarFromDateTime(EncodeDate(2024, 3, 5)), Variant("3/5/2024"), 0},
        {VarFromDateTime(1.5), Variant(1.5), 0},
        {Variant(), Variant(), 0},
        {Variant(), Variant(0), 0},
        {Variant(), Variant(""), 0},
        {Variant(), Variant(false), 0},
        {Variant(), Variant(1), -1},
        {Variant(), Variant(-1), 1},
        {Variant(), Variant("x"), -1},
        {Null(), Null(), 0},
        {Null(), Variant(), -1},  // Null orders before everything else
        {Null(), Variant(-100), -1},
        {Null(), Variant(""), -1},
        {Variant(""), Null(), 1},
    };
    for (const auto& c : cases) {
        const std::string label = VarToStr(c.a) + " vs " + VarToStr(c.b);
        EXPECT_EQ(c.a == c.b, c.expected == 0) << label;
        EXPECT_EQ(c.a != c.b, c.expected != 0) << label;
        EXPECT_EQ(c.a < c.b, c.expected < 0) << label;
        EXPECT_EQ(c.a > c.b, c.expected > 0) << label;
        EXPECT_EQ(c.a <= c.b, c.expected <= 0) << label;
        EXPECT_EQ(c.a >= c.b, c.expected >= 0) << label;
    }
    EXPECT_THROW((void)(Variant("abc") == Variant(1)), EVariantTypeCastError);
    EXPECT_EQ(VarCompareValue(Variant(1), Variant(2)), vrLessThan);
    EXPECT_EQ(VarCompareValue(Variant("b"), Variant("a")), vrGreaterThan);
    EXPECT_EQ(VarCompareValue(Variant(), Variant(0)), vrNotEqual);
    EXPECT_EQ(VarCompareValue(Null(), Variant(0)), vrNotEqual);
    EXPECT_TRUE(VarSameValue(Variant(2), Variant(2.0)));
}

TEST(VariantTest, KindPredicatesAndNames) {
    EXPECT_TRUE(VarIsNumeric(Variant(1)) && VarIsNumeric(Variant(Currency(1))) && VarIsNumeric(Variant(Byte(1))));
    EXPECT_FALSE(VarIsNumeric(Variant(true)) || VarIsNumeric(Variant("1")) || VarIsNumeric(VarFromDateTime(1)));
    EXPECT_TRUE(VarIsOrdinal(Variant(true)) && !VarIsOrdinal(Variant(1.0)));
    EXPECT_TRUE(VarIsFloat(Variant(1.0)) && VarIsFloat(Variant(1.0f)) && !VarIsFloat(Variant(1)));
    EXPECT_EQ(VarTypeAsText(varSmallint), "Smallint");
    EXPECT_EQ(VarTypeAsText(varString), "String");
    EXPECT_EQ(VarTypeAsText(varArray | varVariant), "Array Variant");
}

TEST(VariantTest, Arrays) {
    Variant a = VarArrayOf({1, "two", Null()});
    EXPECT_TRUE(VarIsArray(a));
    EXPECT_EQ(VarArrayDimCount(a), 1);
    EXPECT_EQ(VarArrayLowBound(a), 0);
    EXPECT_EQ(VarArrayHighBound(a), 2);
    EXPECT_EQ(a[1].AsString(), "two");
    EXPECT_TRUE(VarIsNull(a[2]));
    a[0] = 5;
    EXPECT_EQ(a[0].AsInteger(), 5);
    EXPECT_THROW(a[3], EVariantError);
    EXPECT_THROW(Variant(1)[0], EVariantError);
    EXPECT_THROW(a.AsString(), EVariantTypeCastError);

    const Variant b = VarArrayCreate(1, 3, varInteger);
    EXPECT_EQ(VarArrayLowBound(b), 1);
    EXPECT_EQ(VarType(b[1]), varInteger);
    EXPECT_EQ(b[3].AsInteger(), 0);

    Variant copy = a;  // arrays copy by value
    copy[1] = "changed";
    EXPECT_EQ(a[1].AsString(), "two");
    EXPECT_TRUE(VarArrayOf({1, "x"}) == VarArrayOf({1.0, "x"}));
    EXPECT_TRUE(VarArrayOf({1, "x"}) < VarArrayOf({1, "y"}));
    EXPECT_TRUE(VarArrayOf({1}) < VarArrayOf({1, 0}));
}

}  // namespace

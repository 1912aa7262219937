#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/core/Filer.h"

namespace {

std::string Hex(const std::string& bytes) {
    static const char* d = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty()) out += ' ';
        out += d[c >> 4];
        out += d[c & 15];
    }
    return out;
}

}  // namespace

TEST(FilerTest, WritesTheFormFileValueEncoding) {
    TStringStream s;
    TWriter w(s);
    w.WriteInteger(5);
    w.WriteInteger(-300);
    w.WriteInteger(70000);
    w.WriteFloat(1.0);
    w.WriteString("ab");
    w.WriteIdent("Empty");
    w.WriteIdent("Null");
    w.WriteBoolean(true);
    w.WriteListBegin();
    w.WriteListEnd();
    EXPECT_EQ(Hex(s.DataString()),
              "02 05 "
              "03 D4 FE "
              "04 70 11 01 00 "
              "05 00 00 00 00 00 00 00 80 FF 3F "
              "06 02 61 62 "
              "07 05 45 6D 70 74 79 "
              "00 "
              "09 "
              "01 00");
}

TEST(FilerTest, ValuesReadBackAndTypeMismatchesAreRefused) {
    TStringStream s;
    TWriter w(s);
    const double floats[] = {0.1, -2.5e-300, 1e300, 123456789.125, -0.0};
    for (double f : floats) w.WriteFloat(f);
    w.WriteInteger(-5000000000LL);
    w.WriteString(std::string(300, 'x'));
    w.WriteIdent("clRed");
    w.WriteBinary({1, 2, 3});
    w.WriteListBegin();
    w.WriteInteger(1);
    w.WriteString("skip me");
    w.WriteListEnd();
    w.WriteInteger(42);

    s.SetPosition(0);
    TReader r(s);
    for (double f : floats) {
        double back = r.ReadFloat();
        EXPECT_EQ(back, f);
        EXPECT_EQ(std::signbit(back), std::signbit(f));
    }
    EXPECT_THROW(r.ReadInteger(), EReadError);  // a 64-bit value is not an Integer
    EXPECT_EQ(r.ReadInt64(), -5000000000LL);
    EXPECT_EQ(r.ReadString(), std::string(300, 'x'));
    EXPECT_THROW(r.ReadString(), EReadError);
    EXPECT_EQ(r.ReadIdent(), "clRed");
    EXPECT_EQ(r.ReadBinary(), (std::vector<Byte>{1, 2, 3}));
    r.SkipValue();
    EXPECT_EQ(r.ReadInteger(), 42);
    EXPECT_THROW(r.NextValue(), EReadError);
}

TEST(FilerTest, ExtendedFormKeepsInfinities) {
    Byte b[10];
    DoubleToExtended(std::numeric_limits<double>::infinity(), b);
    EXPECT_TRUE(std::isinf(ExtendedToDouble(b)));
    DoubleToExtended(std::numeric_limits<double>::quiet_NaN(), b);
    EXPECT_TRUE(std::isnan(ExtendedToDouble(b)));
}

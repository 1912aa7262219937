// The system functions as compiled code reaches them: argument cells built
// by the native-call instructions, results stored by kind, var parameters
// written through their addresses.

#include <gtest/gtest.h>

#include <cstring>
#include <variant>

#include "platform/core/Exception.h"
#include "reportproject/VzLEModule.h"
#include "reportproject/VzLERun.h"
#include "reportproject/VzLEString.h"
#include "reportproject/VzLESystem.h"
#include "reportproject/tests/ScriptAssembler.h"

using namespace script_test;

namespace {

struct Var { std::uint32_t Offset; };  // a var parameter: the address of data at Offset
using ArgValue = std::variant<std::int32_t, std::string, double, long double, Var>;

constexpr std::uint32_t kResult = 200;

// Calls name in a module called moduleName with the arguments laid out in
// data (16 bytes each) and the result stored at kResult by kind (-1: none).
std::unique_ptr<TRCPUModule> CallSys(const std::string& name, int kind, const std::vector<ArgValue>& args,
                                     const std::string& moduleName = "SYSFUNC") {
    static bool registered = (RegisterSystemFunctions(), true);
    (void)registered;
    Asm a;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::uint32_t off = std::uint32_t(16 * i);
        if (std::holds_alternative<double>(args[i])) a.PushAddr(D(off)).ArgValue(T(0), 8).Pop(4);
        else if (std::holds_alternative<long double>(args[i])) a.PushAddr(D(off)).ArgValue(T(0), 10).Pop(4);
        else if (auto* v = std::get_if<Var>(&args[i])) a.PushAddr(D(v->Offset)).Arg(T(0)).Pop(4);
        else a.Arg(D(off));
    }
    if (kind < 0) a.NativeProc(name);
    else a.PushAddr(D(kResult)).Native(std::uint8_t(kind), T(0), name).Pop(4);
    a.Halt();
    auto m = MakeModule(a, 256, moduleName);
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::uint8_t* p = m->DataBlock() + 16 * i;
        if (auto* n = std::get_if<std::int32_t>(&args[i])) std::memcpy(p, n, 4);
        if (auto* s = std::get_if<std::string>(&args[i])) {
            const TScriptString h = ScriptStrings::Make(*s);
            std::memcpy(p, &h, 4);
        }
        if (auto* d = std::get_if<double>(&args[i])) std::memcpy(p, d, 8);
        if (auto* e = std::get_if<long double>(&args[i])) std::memcpy(p, e, 10);
    }
    BindModule(*m);
    m->Execute(0);
    return m;
}

std::string Text(TRCPUModule& m, std::uint32_t off) {
    TScriptString h;
    std::memcpy(&h, m.DataBlock() + off, 4);
    return ScriptStrings::Text(h);
}
std::int32_t Int(TRCPUModule& m, std::uint32_t off = kResult) {
    std::int32_t v;
    std::memcpy(&v, m.DataBlock() + off, 4);
    return v;
}
long double Ext(TRCPUModule& m) {
    long double v = 0;
    std::memcpy(&v, m.DataBlock() + kResult, 10);
    return v;
}
std::uint16_t Word16(TRCPUModule& m, std::uint32_t off) {
    std::uint16_t v;
    std::memcpy(&v, m.DataBlock() + off, 2);
    return v;
}

}  // namespace

TEST(ScriptSystem, TextFunctions) {
    struct Case { const char* Name; std::vector<ArgValue> Args; const char* Want; } cases[] = {
        {"COPY", {std::string("ABCDE"), 2, 3}, "BCD"},
        {"COPY", {std::string("äöü"), 2, 5}, "öü"},
        {"MAKESTR", {std::int32_t('-'), 3}, "---"},
        {"QUOTEDSTR", {std::string("it's"), std::int32_t('\'')}, "'it''s'"},
        {"UPPERCASE", {std::string("abc1")}, "ABC1"},
        {"TRIM", {std::string(" \tx \n")}, "x"},
        {"INTTOSTR", {-42}, "-42"},
        {"FORMATFLOAT", {std::string("0.00"), 2.5L}, "2.50"},
    };
    for (const auto& c : cases) EXPECT_EQ(Text(*CallSys(c.Name, 11, c.Args), kResult), c.Want) << c.Name;

    struct IntCase { const char* Name; std::vector<ArgValue> Args; std::int32_t Want; } ints[] = {
        {"POS", {std::string("C"), std::string("ABCDE")}, 3},
        {"POS", {std::string("Z"), std::string("ABCDE")}, 0},
        {"LENGTH", {std::string("äb")}, 2},
        {"STRTOINTDEF", {std::string("x"), 9}, 9},
        {"COMPARE", {std::string("abc"), std::string("ABC")}, 0},
        {"ROUND", {2.5L}, 2},
        {"ABS", {-7}, 7},
    };
    for (const auto& c : ints) EXPECT_EQ(Int(*CallSys(c.Name, 5, c.Args)), c.Want) << c.Name;

    // The var text lies in the fourth data slot; its extra cell is ignored.
    auto del = CallSys("DELETE", -1, {Var{48}, 2, 2, std::string("ABCDE")}, "sysfunc");  // lower case binds too
    EXPECT_EQ(Text(*del, 48), "ADE");
    auto ins = CallSys("INSERT", -1, {std::string("xy"), Var{48}, 2, std::string("AB")});
    EXPECT_EQ(Text(*ins, 48), "AxyB");
    EXPECT_THROW(CallSys("STRTOINT", 5, {std::string("12a")}), Exception);
}

TEST(ScriptSystem, DatesAndMathematics) {
    EXPECT_EQ(Ext(*CallSys("CREATEDATE", 8, {1899, 12, 30})), 0.0L);
    EXPECT_EQ(Int(*CallSys("DAYOFWEEK", 5, {0.0})), 7);
    auto t = CallSys("BREAKUPTIME", -1, {0.5, Var{100}, Var{102}, Var{104}, Var{106}});
    EXPECT_EQ(Word16(*t, 100), 12);
    EXPECT_EQ(Word16(*t, 102), 0);
    EXPECT_EQ(Word16(*t, 106), 0);
    auto d = CallSys("BREAKUPDATE", -1, {45000.0, Var{100}, Var{102}, Var{104}});
    EXPECT_EQ(Word16(*d, 100), 2023);
    EXPECT_EQ(Word16(*d, 102), 3);
    EXPECT_EQ(Word16(*d, 104), 15);
    EXPECT_NEAR(double(Ext(*CallSys("SQRT", 8, {2.25L}))), 1.5, 1e-15);
    EXPECT_EQ(Ext(*CallSys("PI", 8, {})), 3.1415926535897932385L);
    EXPECT_THROW(CallSys("LN", 8, {-1.0L}), Exception);
}

TEST(ScriptSystem, BindingLeavesUnknownSlotsAlone) {
    Asm a;
    a.Halt();
    auto m = MakeModule(a, 0, "SysFunc");
    m->Code.assign(12, 0xEE);
    m->AddNativeSlot("COPY", 0);
    m->AddNativeSlot("NOSUCHFUNCTION", 4);
    RegisterSystemFunctions();
    BindModule(*m);
    EXPECT_NE(std::vector<std::uint8_t>(m->Code.begin(), m->Code.begin() + 4), std::vector<std::uint8_t>(4, 0xEE));
    EXPECT_EQ(std::vector<std::uint8_t>(m->Code.begin() + 4, m->Code.begin() + 8), std::vector<std::uint8_t>(4, 0xEE));
    EXPECT_EQ(SystemFunctions().size(), 54u);
}

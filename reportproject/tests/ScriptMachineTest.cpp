// The byte-code machine: every instruction group on assembled code, with
// the results read back from module data, and bad code stopping with a
// clear error.

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "report/ReportDefs.h"
#include "reportproject/VzLEModule.h"
#include "reportproject/VzLERun.h"
#include "reportproject/VzLEString.h"
#include "reportproject/tests/ScriptAssembler.h"

using namespace script_test;

namespace {

template <class T> T DataAt(TRCPUModule& m, std::uint32_t off) {
    T v;
    std::memcpy(&v, m.DataBlock() + off, sizeof v);
    return v;
}
long double ExtAt(TRCPUModule& m, std::uint32_t off) {
    long double v = 0;
    std::memcpy(&v, m.DataBlock() + off, 10);
    return v;
}
std::string StrAt(TRCPUModule& m, std::uint32_t off) { return ScriptStrings::Text(DataAt<TScriptString>(m, off)); }

std::unique_ptr<TRCPUModule> RunAsm(Asm& a, std::uint32_t dataSize = 64) {
    auto m = MakeModule(a, dataSize);
    m->Execute(0);
    return m;
}

// L op B into D(0), as the compiler emits a binary operator.
Asm BinaryInt(std::uint8_t op, std::int32_t l, std::int32_t b) {
    Asm a;
    a.PushInt(l).PushInt(b).Calc(op, D(0)).Pop(4).Halt();
    return a;
}

std::string ErrorOf(TRCPUModule& m) {
    try {
        m.Execute(0);
    } catch (const EReportPrinter& e) {
        return e.Message;
    }
    return "no error";
}

}  // namespace

TEST(ScriptMachine, IntegerArithmeticAndLogic) {
    struct Case { std::uint8_t Op; std::int32_t L, B, Want; } cases[] = {
        {72, 40, 2, 42}, {73, 40, 2, 38}, {74, -6, 7, -42}, {75, -7, 2, -3}, {76, -7, 2, -1},
        {77, 0x0F, 0xF0, 0xFF}, {78, 0xFF, 0x0F, 0xF0}, {79, 0xFF, 0x0F, 0x0F},
        {80, 1, 33, 2}, {81, -1, 28, 0xF}, {75, INT_MIN, -1, INT_MIN}, {76, INT_MIN, -1, 0},
    };
    for (const auto& c : cases) {
        Asm a = BinaryInt(c.Op, c.L, c.B);
        auto m = RunAsm(a);
        EXPECT_EQ(DataAt<std::int32_t>(*m, 0), c.Want) << "op " << int(c.Op);
    }
}

TEST(ScriptMachine, ComparisonsOfEveryKind) {
    // Each row: op, left bytes, right bytes, expected boolean.
    auto cmp = [](std::uint8_t op, const void* l, const void* b, std::uint32_t n) {
        Asm a;
        a.PushConst(l, n).PushConst(b, n).Calc(op, D(0)).Pop(4).Halt();
        return DataAt<std::uint8_t>(*RunAsm(a), 0);
    };
    const std::uint8_t b1 = 200, b2 = 100;
    EXPECT_EQ(cmp(35, &b2, &b1, 1), 1);  // unsigned byte less
    const std::int32_t i1 = -5, i2 = 3;
    EXPECT_EQ(cmp(41, &i1, &i2, 4), 1);  // signed less
    EXPECT_EQ(cmp(42, &i1, &i2, 4), 0);  // greater
    long double e1 = 2.5, e2 = 2.5;
    std::uint8_t x1[10], x2[10];
    std::memcpy(x1, &e1, 10);
    std::memcpy(x2, &e2, 10);
    EXPECT_EQ(cmp(49, x1, x2, 10), 1);  // less or equal
    const std::int64_t c1 = -10000, c2 = 5;
    EXPECT_EQ(cmp(53, &c1, &c2, 8), 1);  // currency less
    const char ch1 = 'a', ch2 = 'b';
    EXPECT_EQ(cmp(62, &ch2, &ch1, 1), 1);  // char greater or equal

    Asm a;
    a.LoadStr(D(0), "AB").LoadStr(D(4), "ABC").Calc(65, D(8)).Pop(4);
    a.LoadStr(D(12), "ABC").LoadStr(D(16), "AB").Calc(65, D(9)).Pop(4);
    a.PushAddr(D(4)).PushAddr(D(12)).Calc(63, D(10)).Pop(4).Halt();
    auto m = RunAsm(a);
    EXPECT_EQ(DataAt<std::uint8_t>(*m, 8), 1);   // a proper prefix is smaller
    EXPECT_EQ(DataAt<std::uint8_t>(*m, 9), 0);
    EXPECT_EQ(DataAt<std::uint8_t>(*m, 10), 1);  // equal texts in distinct strings
}

TEST(ScriptMachine, ExtendedAndCurrencyArithmetic) {
    Asm a;
    a.PushExt(1.5L).PushExt(0.25L).Calc(82, D(0)).Pop(4);
    a.PushExt(1.0L).PushExt(3.0L).Calc(85, D(10)).Pop(4);
    a.PushCurr(15000).PushCurr(25000).Calc(88, D(20)).Pop(4);   // 1.5 * 2.5
    a.PushCurr(10000).PushCurr(30000).Calc(89, D(28)).Pop(4);   // 1 / 3
    a.PushCurr(5).PushCurr(5000).Calc(88, D(36)).Pop(4);        // 2.5 units: tie to even
    a.PushExt(2.0L).Calc(93, D(44)).Pop(4).Halt();
    auto m = RunAsm(a);
    EXPECT_EQ(ExtAt(*m, 0), 1.75L);
    EXPECT_EQ(ExtAt(*m, 10), 1.0L / 3.0L);
    EXPECT_EQ(DataAt<std::int64_t>(*m, 20), 37500);
    EXPECT_EQ(DataAt<std::int64_t>(*m, 28), 3333);
    EXPECT_EQ(DataAt<std::int64_t>(*m, 36), 2);
    EXPECT_EQ(ExtAt(*m, 44), -2.0L);
}

TEST(ScriptMachine, ConversionsAndCompoundAssignment) {
    const std::int8_t s8 = -3;
    const std::uint16_t u16 = 65535;
    Asm a;
    a.PushConst(&s8, 1).Calc(95, D(0)).Pop(4);        // -3 as 32-bit
    a.PushConst(&u16, 2).Calc(110, D(4)).Pop(4);      // 65535 as extended
    a.PushCurr(12345).Calc(113, D(14)).Pop(4);        // 1.2345
    a.PushExt(2.00005L).Calc(116, D(24)).Pop(4);      // 20000.5 rounds to even
    a.PushConst(&s8, 1).Op(118).Byte(95).Byte(104).Addr(D(32)).Pop(4);  // signed 8 to double
    a.PushAddr(D(0)).PushInt(10).Op(125);             // D(0) += 10
    a.PushAddr(D(24)).PushCurr(20000).Op(134).Halt(); // currency *= 2
    auto m = RunAsm(a);
    EXPECT_EQ(DataAt<std::int32_t>(*m, 0), 7);
    EXPECT_EQ(ExtAt(*m, 4), 65535.0L);
    EXPECT_EQ(ExtAt(*m, 14), 12345.0L / 10000);
    EXPECT_EQ(DataAt<std::int64_t>(*m, 24), 40000);
    EXPECT_EQ(DataAt<double>(*m, 32), -3.0);
}

TEST(ScriptMachine, ConditionalJumpsFollowTheTestedBoolean) {
    struct Case { std::uint8_t Op; std::uint8_t Value; bool Goes; } cases[] = {
        {25, 1, true}, {25, 0, false}, {26, 1, false}, {26, 0, true},
        {30, 0, true}, {30, 1, true}, {27, 0, false}, {27, 1, false}, {31, 0, true},
    };
    for (const auto& c : cases) {
        Asm a;
        a.PushAddr(D(0)).Test().Jump(c.Op, "yes").Halt();
        a.Label("yes").PushAddr(D(4)).PushInt(7).Op(119).Index(4).Halt();
        auto m = MakeModule(a, 8);
        m->DataBlock()[0] = c.Value;
        m->Execute(0);
        EXPECT_EQ(DataAt<std::int32_t>(*m, 4), c.Goes ? 7 : 0) << "op " << int(c.Op) << " value " << int(c.Value);
    }
}

TEST(ScriptMachine, JumpOfZeroLandsOnItsOwnDisplacement) {
    Asm a;
    a.Op(31).Byte(0);  // displacement 0 is the byte 00, which is no instruction
    auto m = MakeModule(a, 0);
    EXPECT_EQ(ErrorOf(*m), "Cannot execute command (00)");
}

TEST(ScriptMachine, NearAndFarCallsPassArgumentsAndReturn) {
    Asm callee;  // module B: doubles its argument into its own data, then returns
    callee.Label("dbl").Enter(4);
    callee.PushCell(F(12)).PushCell(F(12)).Calc(72, D(0)).Pop(4);
    callee.Ret(4);
    auto b = MakeModule(callee, 4, "B");

    Asm a;
    a.PushInt(20).PushInt(22).Call("add");
    a.PushInt(21).FarCall(1, 0);
    a.PushAddr(D(4)).PushInt(1).Op(119).Index(4).Halt();
    a.Label("add").Enter(0).PushCell(F(16)).PushCell(F(12)).Calc(72, D(0)).Pop(4).Ret(8);
    auto m = MakeModule(a, 8, "A");
    m->Imports.push_back(b.get());
    m->Execute(0);
    EXPECT_EQ(DataAt<std::int32_t>(*m, 0), 42);
    EXPECT_EQ(DataAt<std::int32_t>(*b, 0), 42);
    EXPECT_EQ(DataAt<std::int32_t>(*m, 4), 1);  // the caller went on after both returns
}

TEST(ScriptMachine, ParametersAndTheOutermostReturn) {
    Asm a;
    a.Enter(0).Ret(0);  // 10 0 19 0
    auto m = MakeModule(a, 0);
    EXPECT_EQ(m->Code, (std::vector<std::uint8_t>{10, 0, 19, 0}));
    m->Execute(0);  // no parameters: the return empties the stack
    m->PushParam(5);
    m->Execute(0);  // return offset -1 ends the run
    EXPECT_TRUE(m->Parameters.empty());

    Asm p;  // copies the first parameter into D(0), the second into D(4)
    p.Enter(0).PushAddr(D(0)).PushAddr(F(16)).Op(119).Index(4);
    p.PushAddr(D(4)).PushAddr(F(12)).Op(119).Index(4).Ret(8);
    auto q = MakeModule(p, 8);
    q->PushParam(11);
    q->PushParam(22);
    q->Execute(0);
    EXPECT_EQ(DataAt<std::int32_t>(*q, 0), 11);
    EXPECT_EQ(DataAt<std::int32_t>(*q, 4), 22);
}

TEST(ScriptMachine, StringsAreCountedAndReleased) {
    const std::size_t before = ScriptStrings::LiveCount();
    Asm a;
    a.LoadStr(D(0), "AB").LoadStr(D(4), "CD").Calc(138, D(8)).Pop(4);  // "ABCD"
    a.PushAddr(D(12)).PushAddr(D(8)).Op(122);                              // D(12) := D(8)
    a.PushAddr(D(16)).PushAddr(D(16)).Op(122);                             // self-assignment of empty
    a.LoadStr(D(20), "x").PushAddr(D(20)).Calc(138, D(20)).Pop(4);          // R is both operands
    a.Op(15).Addr(D(0)).Op(15).Addr(D(4)).Halt();
    auto m = RunAsm(a, 32);
    EXPECT_EQ(StrAt(*m, 0), "");
    EXPECT_EQ(StrAt(*m, 8), "ABCD");
    EXPECT_EQ(DataAt<TScriptString>(*m, 8), DataAt<TScriptString>(*m, 12));  // shared, not copied
    EXPECT_EQ(StrAt(*m, 20), "xx");
    for (std::uint32_t off : {8u, 12u, 20u}) {
        TScriptString s = DataAt<TScriptString>(*m, off);
        ScriptStrings::Release(s);
    }
    EXPECT_EQ(ScriptStrings::LiveCount(), before);  // D(12) shared D(8)'s reference
}

TEST(ScriptMachine, FinalizeByTypeEmptiesOnlyStrings) {
    auto rec = std::make_unique<TRecordType>(vkSized);
    auto str = std::make_unique<TSimpleType>(vkString);
    auto num = std::make_unique<TSimpleType>(vkInteger);
    rec->Members.push_back({"S", str.get()});
    rec->Members.push_back({"N", num.get()});
    Asm a;
    a.LoadStr(D(0), "text").Pop(4).Op(16).Addr(D(0)).Index(0).Index(1).Halt();
    auto m = MakeModule(a, 8);
    m->Scope->Types.Add(std::move(rec));
    m->Scope->Types.Add(std::move(str));
    m->Scope->Types.Add(std::move(num));
    const std::size_t before = ScriptStrings::LiveCount();
    std::memcpy(m->DataBlock() + 4, "\x2A\0\0\0", 4);
    m->Execute(0);
    EXPECT_EQ(DataAt<TScriptString>(*m, 0), 0u);
    EXPECT_EQ(DataAt<std::int32_t>(*m, 4), 42);
    EXPECT_EQ(ScriptStrings::LiveCount(), before);
}

namespace {
int gCells = 0;
bool gInOrder = false;
void CountCells(TNativeCall& c) {
    gCells = c.Count;
    gInOrder = true;
    for (int i = 0; i < c.Count; ++i) gInOrder = gInOrder && c.Cell(i) == std::uint32_t(i);
}
void Upper(TNativeCall& c) {
    std::string s = c.Str(0);
    for (auto& ch : s) ch = char(std::toupper(static_cast<unsigned char>(ch)));
    c.SetStringResult(s + std::to_string(c.Int(1)));
}
void Half(TNativeCall& c) { c.FloatResult = c.Extended(0) / 2 + c.Double(3); }
}  // namespace

TEST(ScriptMachine, NativeCallsPassCellsAndStoreResults) {
    RegisterNative(&CountCells, "CountCells", "NATIVES");
    RegisterNative(&Upper, "Upper", "NATIVES");
    RegisterNative(&Half, "Half", "natives");

    Asm a;
    for (std::uint32_t i = 0; i < 256; ++i) a.Arg(D(4 * i));
    a.NativeProc("COUNTCELLS");
    a.LoadStr(D(1024), "abc").Pop(4).Arg(D(1024)).Arg(D(0 + 4 * 7));
    a.PushAddr(D(1028)).Native(11, T(0), "UPPER").Pop(4);
    a.PushAddr(D(1032)).Op(18).Addr(T(0)).Index(10);  // extended at D(1032), three cells
    a.PushAddr(D(1042)).Op(18).Addr(T(0)).Index(8).Pop(4);  // double at D(1042), two cells
    a.Native(8, T(0), "HALF").Pop(4).Halt();
    auto m = MakeModule(a, 1080, "NATIVES");
    for (std::uint32_t i = 0; i < 256; ++i) std::memcpy(m->DataBlock() + 4 * i, &i, 4);
    const long double e = 9.0L;
    const double d = 0.25;
    std::memcpy(m->DataBlock() + 1032, &e, 10);
    std::memcpy(m->DataBlock() + 1042, &d, 8);
    BindModule(*m);
    m->Execute(0);
    EXPECT_EQ(gCells, 256);
    EXPECT_TRUE(gInOrder);
    EXPECT_EQ(StrAt(*m, 1028), "ABC7");
    EXPECT_EQ(ExtAt(*m, 1032), 4.75L);  // the result went where the cell on top pointed

    Asm over;
    for (int i = 0; i < 257; ++i) over.Arg(D(0));
    auto o = MakeModule(over, 4);
    EXPECT_EQ(ErrorOf(*o), "Too many arguments for a native call");
    UnregisterNative("Upper", "natives");
    auto unbound = MakeModule(a, 1080, "NATIVES");
    BindModule(*unbound);
    EXPECT_EQ(ErrorOf(*unbound), "Native function is not bound");
}

TEST(ScriptMachine, SuspendInsideACallResumesInTheCallee) {
    Asm a;
    a.PushInt(99).Call("f").Halt();
    a.Label("f").Enter(4).Suspend();
    a.PushAddr(D(0)).PushCell(F(12)).Op(119).Index(4).Ret(4);
    auto m = MakeModule(a, 4);
    std::unique_ptr<TRCPUSuspendState> state;
    m->Execute(0, &state);
    ASSERT_TRUE(state);
    EXPECT_EQ(DataAt<std::int32_t>(*m, 0), 0);
    TRCPURunner runner;
    runner.Run(*m, nullptr, state);
    EXPECT_FALSE(state);
    EXPECT_EQ(DataAt<std::int32_t>(*m, 0), 99);

    // A state whose module is freed before it resumes is refused.
    m->Execute(0, &state);
    ASSERT_TRUE(state);
    m.reset();
    TRCPUModule other;
    try {
        TRCPURunner late;
        late.Run(other, nullptr, state);
        FAIL() << "resumed in a freed module";
    } catch (const EReportPrinter& e) {
        EXPECT_EQ(e.Message, "The suspended script's module is gone");
    }
    EXPECT_FALSE(state);
}

TEST(ScriptMachine, BadCodeStopsWithAClearError) {
    struct Case { const char* Name; std::vector<std::uint8_t> Code; const char* Message; } cases[] = {
        {"opcode 0", {0}, "Cannot execute command (00)"},
        {"opcode 255", {255}, "Cannot execute command (FF)"},
        {"opcode 142", {142}, "Cannot execute command (8E)"},
        {"past the code", {8}, "Code offset out of range"},
        {"cut operand", {3}, "Code offset out of range"},
        {"data past block", {3, 0x80 | 20}, "Invalid address"},
        {"cell across the end", {3, 0x80 | 14}, "Invalid address (0200000E)"},
        {"frame below the stack", {3, 0x00 | 62}, "Invalid address"},
        {"underflow", {9, 4}, "Stack Underflow"},
        {"push too much", {10, 0xC1, 0, 0}, "Stack Overflow"},
        {"no such module", {24, 3, 0}, "Module number 3 is not imported"},
        {"near call off code", {21, 0x7F}, "Code offset out of range"},
    };
    for (const auto& c : cases) {
        Asm a;
        a.Code = c.Code;
        auto m = MakeModule(a, 16, "BAD", 256);
        EXPECT_EQ(ErrorOf(*m), c.Message) << c.Name;
    }
    Asm rec;
    rec.Label("f").Call("f");
    auto r = MakeModule(rec, 0, "REC", 256);
    EXPECT_EQ(ErrorOf(*r), "Stack Overflow");
    Asm divide = BinaryInt(75, 1, 0);
    auto div = MakeModule(divide, 4);
    EXPECT_EQ(ErrorOf(*div), "Division by zero");
    Asm fdiv;
    fdiv.PushExt(1).PushExt(0).Calc(85, D(0)).Halt();
    auto f = MakeModule(fdiv, 10);
    EXPECT_EQ(ErrorOf(*f), "Floating point division by zero");
    // Blocks the 24-bit offsets cannot cover are refused before the run.
    Asm halt;
    halt.Halt();
    auto big = MakeModule(halt, 0, "BIG", 0x1000000);
    EXPECT_EQ(ErrorOf(*big), "Module stack is too large");
    big->StackBytes = 256;
    big->DataSize = 0x1000000;
    EXPECT_EQ(ErrorOf(*big), "Module code or data block is too large");
    // A failed run leaves the module usable.
    Asm good = BinaryInt(72, 1, 2);
    f->Code = good.Finish();
    f->Execute(0);
    EXPECT_EQ(DataAt<std::int32_t>(*f, 0), 3);
}

namespace {
template <class T> std::vector<std::uint8_t> B(T v, std::size_t n = sizeof(T)) {
    std::vector<std::uint8_t> b(n);
    std::memcpy(b.data(), &v, n);
    return b;
}
std::vector<std::uint8_t> BExt(long double v) { return B(v, 10); }
std::vector<std::uint8_t> Bytes(TRCPUModule& m, std::uint32_t off, std::size_t n) {
    return std::vector<std::uint8_t>(m.DataBlock() + off, m.DataBlock() + off + n);
}
}  // namespace

TEST(ScriptMachine, UnaryOperatorsAndConversionsWriteTheirResult) {
    struct Case { std::uint8_t Op; std::vector<std::uint8_t> In, Want; } cases[] = {
        {90, {1}, {0}}, {90, {0}, {1}},
        {91, B<std::int32_t>(0), B<std::int32_t>(-1)},
        {92, B<std::int32_t>(5), B<std::int32_t>(-5)},
        {94, B<std::int64_t>(15000), B<std::int64_t>(-15000)},
        {96, {200}, B<std::int32_t>(200)},
        {97, B<std::int16_t>(-300), B<std::int32_t>(-300)},
        {98, B<std::uint16_t>(60000), B<std::int32_t>(60000)},
        {99, B<std::int32_t>(0x1234), {0x34}}, {100, B<std::int32_t>(-1), {0xFF}},
        {101, B<std::int32_t>(0x12345), B<std::uint16_t>(0x2345)}, {102, B<std::int32_t>(-2), B<std::int16_t>(-2)},
        {103, B<std::int32_t>(-7), B<float>(-7.0f)},
        {104, B<std::int32_t>(1 << 30), B<double>(1073741824.0)},
        {105, B<std::int32_t>(-9), BExt(-9.0L)},
        {106, B<std::int32_t>(-3), B<std::int64_t>(-30000)},
        {107, B<std::int8_t>(-128), BExt(-128.0L)},
        {108, {255}, BExt(255.0L)},
        {109, B<std::int16_t>(-2), BExt(-2.0L)},
        {111, B<float>(0.5f), BExt(0.5L)},
        {112, B<double>(-0.25), BExt(-0.25L)},
        {114, BExt(1.5L), B<float>(1.5f)},
        {115, BExt(1.0L / 3), B<double>(1.0 / 3)},
    };
    for (const auto& c : cases) {
        Asm a;
        a.PushConst(c.In.data(), std::uint32_t(c.In.size())).Calc(c.Op, D(0)).Pop(4).Halt();
        auto m = RunAsm(a, 16);
        EXPECT_EQ(Bytes(*m, 0, c.Want.size()), c.Want) << "op " << int(c.Op);
    }
    // The two-step conversion: unsigned 16 to 32-bit, then its low byte;
    // a second step it does not know writes nothing.
    Asm two;
    two.PushConst("\x34\x12", 2).Op(118).Byte(98).Byte(99).Addr(D(0)).Pop(4);
    two.PushConst("\x34\x12", 2).Op(118).Byte(98).Byte(7).Addr(D(4)).Pop(4).Halt();
    auto t = MakeModule(two, 8);
    t->DataBlock()[4] = 0xAA;
    t->Execute(0);
    EXPECT_EQ(DataAt<std::uint8_t>(*t, 0), 0x34);
    EXPECT_EQ(DataAt<std::uint8_t>(*t, 4), 0xAA);
}

TEST(ScriptMachine, CompoundAssignmentOfEachKind) {
    struct Case { std::uint8_t Op; std::vector<std::uint8_t> Dest, Src, Want; } cases[] = {
        {126, B<std::int32_t>(10), B<std::int32_t>(4), B<std::int32_t>(6)},
        {127, B<std::int32_t>(-3), B<std::int32_t>(4), B<std::int32_t>(-12)},
        {128, BExt(1.5L), BExt(2.0L), BExt(3.5L)},
        {129, BExt(1.5L), BExt(2.0L), BExt(-0.5L)},
        {130, BExt(1.5L), BExt(2.0L), BExt(3.0L)},
        {131, BExt(1.5L), BExt(2.0L), BExt(0.75L)},
        {132, B<std::int64_t>(15000), B<std::int64_t>(5000), B<std::int64_t>(20000)},
        {133, B<std::int64_t>(15000), B<std::int64_t>(5000), B<std::int64_t>(10000)},
        {135, B<std::int64_t>(10000), B<std::int64_t>(40000), B<std::int64_t>(2500)},  // 1 / 4
    };
    for (const auto& c : cases) {
        Asm a;
        a.PushAddr(D(0)).PushConst(c.Src.data(), std::uint32_t(c.Src.size())).Op(c.Op).Halt();
        auto m = MakeModule(a, 16);
        std::memcpy(m->DataBlock(), c.Dest.data(), c.Dest.size());
        m->Execute(0);
        EXPECT_EQ(Bytes(*m, 0, c.Want.size()), c.Want) << "op " << int(c.Op);
    }
}

TEST(ScriptMachine, StackDataAndStringInstructions) {
    Asm a;
    a.Jump(31, "start");
    const std::uint32_t kConst = std::uint32_t(a.Here());  // 5: four bytes, then default text
    a.Bytes("\x0D\xF0\xAD\x0B", 4).Bytes("dflt", 5);
    a.Label("start");
    a.Op(8).PushAddr(D(0)).PushAddr(T(4)).Op(119).Index(4).Pop(4);        // the cell 0 pushed by 8
    a.PushInt(5).Op(2).Addr(D(4)).Op(119).Index(4);                       // 2 slips an address under
    a.Op(4).Index(4).Addr(D(8)).PushAddr(D(12)).PushAddr(T(4)).Op(119).Index(4).Pop(4);  // 4 copies bytes up
    a.PushAddr(D(20)).Op(7).Index(3).Addr(D(16)).Bytes("hi", 3);           // 7 keeps the cell on top
    a.Op(124).Pop(4);                                                      // D(20) := D(16), D popped first
    a.PushAddr(D(16)).Op(12).Addr(T(0)).Addr(D(24)).Pop(4);                // string through a held address
    a.PushAddr(D(8)).Op(11).Index(4).Addr(T(0)).Addr(D(28)).Pop(4);        // bytes through a held address
    a.Op(8).Op(13).Index(4).Addr(T(0)).Addr(D(32)).Index(kConst).Pop(4);   // none held: from the code
    a.PushAddr(D(8)).Op(13).Index(4).Addr(T(0)).Addr(D(36)).Index(kConst).Pop(4);
    a.Op(8).Op(14).Addr(T(0)).Addr(D(40)).Addr(D(44)).Pop(8);              // default text from the code
    a.PushConst("Q", 1).Op(117).Addr(T(0)).Addr(D(48)).Pop(4);             // one character
    a.PushAddr(D(52)).PushAddr(D(8)).Op(120).Index(4).Pop(4);              // 120 pushes the destination
    a.PushAddr(D(8)).PushAddr(D(56)).Op(121).Index(4).Pop(4);              // 121 pops the destination first
    a.PushAddr(D(60)).PushAddr(D(16)).Op(123).Pop(4);                      // 123 pushes the destination
    a.Op(136).Op(141).Halt();
    auto m = MakeModule(a, 64);
    const std::uint32_t marker = 0x11223344, offset = kConst + 4;
    std::memcpy(m->DataBlock(), &marker, 4);
    std::memcpy(m->DataBlock() + 8, &marker, 4);
    std::memcpy(m->DataBlock() + 44, &offset, 4);
    m->Execute(0);
    EXPECT_EQ(DataAt<std::uint32_t>(*m, 0), 0u);
    EXPECT_EQ(DataAt<std::int32_t>(*m, 4), 5);
    EXPECT_EQ(DataAt<std::uint32_t>(*m, 12), marker);
    EXPECT_EQ(StrAt(*m, 16), "hi");
    EXPECT_EQ(StrAt(*m, 20), "hi");
    EXPECT_EQ(StrAt(*m, 24), "hi");
    EXPECT_EQ(DataAt<std::uint32_t>(*m, 28), marker);
    EXPECT_EQ(DataAt<std::uint32_t>(*m, 32), 0x0BADF00Du);
    EXPECT_EQ(DataAt<std::uint32_t>(*m, 36), marker);
    EXPECT_EQ(StrAt(*m, 40), "dflt");
    EXPECT_EQ(StrAt(*m, 48), "Q");
    EXPECT_EQ(DataAt<std::uint32_t>(*m, 52), marker);
    EXPECT_EQ(DataAt<std::uint32_t>(*m, 56), marker);
    EXPECT_EQ(StrAt(*m, 60), "hi");
}

TEST(ScriptMachine, FarJumpAndPlainReturnSwitchModules) {
    Asm callee;  // B: writes 9 into its data and returns with 20, taking 4 bytes of parameters
    callee.Enter(0).PushAddr(D(0)).PushInt(9).Op(119).Index(4).Op(20).Index(4);
    callee.Label("tail").PushAddr(D(4)).PushInt(8).Op(119).Index(4).Halt();
    auto b = MakeModule(callee, 8, "B");
    Asm a;
    a.PushInt(0).FarCall(1, 0).PushAddr(D(0)).PushInt(7).Op(119).Index(4);
    a.Op(32).Index(1).Index(std::uint32_t(callee.LabelAt("tail")));
    auto m = MakeModule(a, 4, "A");
    m->Imports.push_back(b.get());
    m->Execute(0);
    EXPECT_EQ(DataAt<std::int32_t>(*b, 0), 9);
    EXPECT_EQ(DataAt<std::int32_t>(*m, 0), 7);  // back in A after the plain return
    EXPECT_EQ(DataAt<std::int32_t>(*b, 4), 8);  // the far jump ended in B
}

namespace {
std::vector<std::uint32_t> gCaptured;
void Capture(TNativeCall& c) { gCaptured.assign(c.Cells, c.Cells + c.Count); }
}  // namespace

TEST(ScriptMachine, ValuesOfOddSizesBecomeArgumentCells) {
    RegisterNative(&Capture, "CAPTURE", "CELLS");
    Asm a;
    a.PushConst("\xFF", 1).ArgValue(T(0), 1).Pop(4);
    a.PushConst("\x01\x02\x03", 3).ArgValue(T(0), 3).Pop(4);
    a.PushConst("\x01\x02\x03\x04\x05\x06\x07", 7).ArgValue(T(0), 7).Pop(4);
    a.NativeProc("CAPTURE").Halt();
    auto m = MakeModule(a, 0, "CELLS");
    BindModule(*m);
    m->Execute(0);
    // The trailing bytes first, zero-extended; then whole words last to first.
    EXPECT_EQ(gCaptured, (std::vector<std::uint32_t>{0xFF, 0x030201, 0x070605, 0x04030201}));
}

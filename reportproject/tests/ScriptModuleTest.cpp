// Compiled modules: the module file format (hand-written fixtures, every
// truncation refused), the type and identifier tables, identifier lookup
// through imports, variables by name and compiling on demand.

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/core/Streams.h"
#include "report/ReportDefs.h"
#include "reportproject/VizeException.h"
#include "reportproject/VzClass.h"
#include "reportproject/VzLEModule.h"
#include "reportproject/VzLERun.h"
#include "reportproject/VzLEString.h"
#include "reportproject/tests/ScriptAssembler.h"

using namespace script_test;

namespace {

std::vector<std::uint8_t> Fixture(const std::string& name) {
    std::ifstream in(std::string(OMR_TEST_DATA) + "/" + name);
    std::stringstream s;
    s << in.rdbuf();
    return FromHex(s.str());
}

std::unique_ptr<TRCPUModule> Load(const std::vector<std::uint8_t>& b) { return TRCPUModule::CreateFromBytes(b.data(), b.size()); }

std::unique_ptr<TRCPUModule> RoundTrip(const TRCPUModule& m) { return Load(m.SaveToBytes()); }

// A hook that finds modules of a small list by name.
struct ModuleDirectory {
    std::vector<TRCPUModule*> Known;
    ModuleDirectory() {
        ModuleByNameHook() = [this](const std::string& name) -> TRCPUModule* {
            for (auto* m : Known)
                if (strcasecmp(m->ModuleName.c_str(), name.c_str()) == 0) return m;
            return nullptr;
        };
    }
    ~ModuleDirectory() { ModuleByNameHook() = nullptr; }
};

void Twice(TNativeCall& c) { c.IntResult = 2 * std::int64_t(c.Int(0)); }

}  // namespace

TEST(ScriptModule, HandWrittenFixturesLoadAndRun) {
    TRCPUModule page;
    page.ModuleName = "PAGE1";
    ModuleDirectory dir;
    dir.Known.push_back(&page);

    auto adder = Load(Fixture("adder-module.hex"));
    EXPECT_EQ(adder->ModuleName, "Adder");
    ASSERT_EQ(adder->Imports.size(), 2u);
    EXPECT_EQ(adder->Imports[0], nullptr);
    adder->ResolveReferences();
    EXPECT_EQ(adder->Imports[0], &page);
    EXPECT_EQ(adder->Imports[1], nullptr);
    EXPECT_EQ(adder->Reserved1, 7u);
    auto* main = dynamic_cast<TFuncID*>(adder->FindIdentifier("main"));
    ASSERT_NE(main, nullptr);
    adder->Execute(main->Entry);
    std::int32_t total;
    auto* v = dynamic_cast<TVarID*>(adder->FindIdentifier("TOTAL"));
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->Type, adder->TypeByNumber(1));
    std::memcpy(&total, adder->DataBlock() + v->Offset, 4);
    EXPECT_EQ(total, 5);

    const auto bytes = Fixture("native-module.hex");
    auto caller = Load(bytes);
    EXPECT_EQ(caller->SaveToBytes(), bytes);  // every field written back as read
    RegisterNative(&Twice, "twice", "Caller");
    BindModule(*caller);
    const std::int32_t in = 21;
    std::memcpy(caller->DataBlock(), &in, 4);
    caller->Execute(0);
    std::int32_t out;
    std::memcpy(&out, caller->DataBlock() + 4, 4);
    EXPECT_EQ(out, 42);
    // The bound function number stays out of the saved file.
    EXPECT_EQ(caller->SaveToBytes(), bytes);
}

TEST(ScriptModule, CutOrForgedFilesAreRefused) {
    const auto good = Fixture("adder-module.hex");
    for (std::size_t n = 0; n < good.size(); ++n) {
        std::vector<std::uint8_t> cut(good.begin(), good.begin() + std::ptrdiff_t(n));
        EXPECT_THROW(Load(cut), EVizeException) << "cut at " << n;
    }
    // 0x7F as the code size names code past the end of the file.
    auto forged = good;
    const std::size_t codeSize = good.size() - 17 - 6;
    ASSERT_EQ(forged[codeSize], 0x11);
    forged[codeSize] = 0x7F;
    EXPECT_THROW(Load(forged), EVizeException);
    auto manyTypes = good;  // a type count larger than the file can hold
    manyTypes[28] = 0xDF;
    EXPECT_THROW(Load(manyTypes), EVizeException);
    auto badCode = good;  // structure code 9 selects no type class
    badCode[29] = 9;
    EXPECT_THROW(Load(badCode), EVizeException);
    auto badSlot = Fixture("native-module.hex");
    badSlot.back() = 0x0B;  // slot would end past the 14 code bytes
    EXPECT_THROW(Load(badSlot), EVizeException);
}

TEST(ScriptModule, NewModuleDefaultsSurviveSaving) {
    TRCPUModule m;
    auto r = RoundTrip(m);
    EXPECT_EQ(r->ModuleName, "Module1");
    EXPECT_EQ(r->VersionMajor, 600);
    EXPECT_EQ(r->VersionMinor, 3);
    EXPECT_EQ(r->StackBytes, 0x4000u);
    EXPECT_EQ(r->EntryOffset, 0u);
    EXPECT_TRUE(r->Imports.empty());
    EXPECT_EQ(r->Scope->Types.Count(), 0u);
    EXPECT_EQ(r->Scope->IDs.Count(), 0u);
    EXPECT_TRUE(r->NativeSlots.empty());

    m.Code.assign(16, 0xAB);
    m.AddNativeSlot("IntToStr", 8);
    const auto bytes = m.SaveToBytes();
    auto s = Load(bytes);
    EXPECT_EQ(std::vector<std::uint8_t>(s->Code.begin() + 8, s->Code.begin() + 12), std::vector<std::uint8_t>(4, 0));
    EXPECT_EQ(s->Code[7], 0xAB);
    std::uint32_t off = 0;
    EXPECT_TRUE(s->FindNativeSlot("INTTOSTR", off));
    EXPECT_EQ(s->NativeSlots.begin()->first, "INTTOSTR");

    TScopeManager parent(&m);
    m.Scope->Parent = &parent;
    EXPECT_THROW(m.SaveToBytes(), EVizeCompiler);
    m.Scope->Parent = nullptr;
}

TEST(ScriptModule, TypeTableSizesMembersAndRoundTrip) {
    TRCPUModule m;
    auto& types = m.Scope->Types;
    auto* ext = types.Add(std::make_unique<TSimpleType>(vkExtended));
    auto* integer = types.Add(std::make_unique<TSimpleType>(vkInteger));
    auto* str = types.Add(std::make_unique<TSimpleType>(vkString));
    auto arr = std::make_unique<TArrayType>(vkSized);
    arr->Dimensions = {{1, 3, integer}, {0, 4, integer}};
    arr->Element = integer;
    auto* array = static_cast<TArrayType*>(types.Add(std::move(arr)));
    auto rec = std::make_unique<TRecordType>(vkSized);
    rec->Members = {{"S", str}, {"N", integer}};
    auto* record = static_cast<TRecordType*>(types.Add(std::move(rec)));
    auto base = std::make_unique<TClassType>(vkReference);
    base->ClassName = "TBase";
    base->Members = {{"Left", integer, mcProperty}, {"Top", integer, mcProperty}};
    auto* baseClass = static_cast<TClassType*>(types.Add(std::move(base)));
    auto derived = std::make_unique<TClassType>(vkReference);
    derived->ClassName = "TDerived";
    derived->ParentType = baseClass;
    auto* derivedClass = static_cast<TClassType*>(types.Add(std::move(derived)));
    auto fn = std::make_unique<TFuncType>(vkInteger);
    fn->AddParam("Value", 1);
    fn->Result = integer;
    types.Add(std::move(fn));

    EXPECT_EQ(ext->ValueSize(), 10);
    EXPECT_EQ(ext->Size, 10);  // stored once computed
    EXPECT_EQ(array->ValueSize(), 60);
    EXPECT_EQ(array->Length(1), 5);
    EXPECT_EQ(array->LowBound(5), 0);
    EXPECT_TRUE(record->NeedsFinalization());
    EXPECT_FALSE(array->NeedsFinalization());
    auto f = record->FindMember("n");
    EXPECT_EQ(f.Position, 2);
    EXPECT_EQ(f.Offset, 4);
    auto inherited = derivedClass->FindMember("TOP");
    ASSERT_TRUE(inherited.Found);
    EXPECT_EQ(inherited.Member, &baseClass->Members[1]);
    EXPECT_FALSE(derivedClass->FindMember("Width").Found);
    EXPECT_EQ(derivedClass->InstanceSize(), 8);

    auto r = RoundTrip(m);
    ASSERT_EQ(r->Scope->Types.Count(), 8u);
    auto* a2 = dynamic_cast<TArrayType*>(r->TypeByNumber(4));
    ASSERT_NE(a2, nullptr);
    EXPECT_EQ(a2->Element, r->TypeByNumber(2));
    EXPECT_EQ(a2->ValueSize(), 60);
    auto* d2 = dynamic_cast<TClassType*>(r->TypeByNumber(7));
    ASSERT_NE(d2, nullptr);
    EXPECT_EQ(d2->Parent(), r->TypeByNumber(6));
    EXPECT_EQ(d2->ClassName, "TDerived");
    auto* f2 = dynamic_cast<TFuncType*>(r->TypeByNumber(8));
    ASSERT_NE(f2, nullptr);
    EXPECT_EQ(f2->Param(0)->Name, "Value");
    EXPECT_EQ(f2->Result, r->TypeByNumber(2));
    EXPECT_EQ(r->SaveToBytes(), m.SaveToBytes());
}

TEST(ScriptModule, TypesThatReferToEachOtherStopWithAnError) {
    TRCPUModule m;
    auto* a = static_cast<TArrayType*>(m.Scope->Types.Add(std::make_unique<TArrayType>(vkSized)));
    auto* b = static_cast<TArrayType*>(m.Scope->Types.Add(std::make_unique<TArrayType>(vkSized)));
    a->Element = b;
    b->Element = a;
    a->Dimensions = b->Dimensions = {{0, 1, nullptr}};
    EXPECT_THROW(a->NeedsFinalization(), EVizeException);
    EXPECT_THROW(a->ValueSize(), EVizeException);
}

TEST(ScriptModule, IdentifiersAreSortedAndFoundThroughImports) {
    TRCPUModule m;
    for (const char* n : {"beta", "Alpha", "gamma"}) m.Scope->IDs.Add(std::make_unique<TVarID>(n));
    EXPECT_FALSE(m.Scope->IDs.Add(std::make_unique<TVarID>("ALPHA")));
    EXPECT_EQ(m.Scope->IDs.At(0)->Name, "Alpha");
    EXPECT_EQ(m.Scope->IDs.At(1)->Name, "beta");
    EXPECT_EQ(m.Scope->IDs.At(2)->Name, "gamma");
    EXPECT_EQ(m.FindIdentifier("BETA")->Name, "beta");
    EXPECT_EQ(RoundTrip(m)->Scope->IDs.At(0)->Name, "Alpha");

    // A imports B, B imports C and A (a cycle); C holds "deep" and "x.y".
    TRCPUModule a, b, c;
    a.ModuleName = "A";
    b.ModuleName = "B";
    c.ModuleName = "C";
    a.Imports = {&b};
    b.Imports = {&c, &a};
    c.Scope->IDs.Add(std::make_unique<TVarID>("deep"));
    c.Scope->IDs.Add(std::make_unique<TVarID>("x.y"));
    b.Scope->IDs.Add(std::make_unique<TVarID>("near"));
    EXPECT_EQ(a.FindIdentifier("near")->ModuleNumber, 1u);
    EXPECT_EQ(a.FindIdentifier("deep"), nullptr);  // no dot: direct imports only
    EXPECT_EQ(a.FindIdentifier("q.r"), nullptr);   // the cycle ends
    TRCPUModule* owner = nullptr;
    auto* xy = a.FindIdentifier("x.y", &owner);
    ASSERT_NE(xy, nullptr);
    EXPECT_EQ(owner, &c);
    EXPECT_EQ(xy->ModuleNumber, 2u);  // C appended to A's imports
    EXPECT_EQ(a.Imports.size(), 2u);
}

TEST(ScriptModule, VariablesByName) {
    TRCPUModule m;
    m.DataSize = 32;
    auto* str = m.Scope->Types.Add(std::make_unique<TSimpleType>(vkString));
    auto s = std::make_unique<TVarID>("Caption");
    s->Type = str;
    s->Offset = 0;
    m.Scope->IDs.Add(std::move(s));
    auto f = std::make_unique<TVarID>("Sum");
    f->Offset = 4;
    m.Scope->IDs.Add(std::move(f));
    auto o = std::make_unique<TVarID>("Page");
    o->Offset = 28;
    m.Scope->IDs.Add(std::move(o));
    auto edge = std::make_unique<TVarID>("Edge");
    edge->Offset = 30;  // a float would run past the block
    m.Scope->IDs.Add(std::move(edge));

    const std::size_t before = ScriptStrings::LiveCount();
    m.SetStringVar("caption", "Total");
    m.SetStringVar("caption", "Sum");
    EXPECT_EQ(m.GetStringVar("CAPTION"), "Sum");
    EXPECT_EQ(ScriptStrings::LiveCount(), before + 1);
    m.SetFloatVar("sum", 2.5L);
    EXPECT_EQ(m.GetFloatVar("SUM"), 2.5L);
    m.SetObjectVar("page", 77);
    EXPECT_EQ(m.GetObjectVar("Page"), 77u);
    m.SetFloatVar("edge", 1);
    EXPECT_EQ(m.GetFloatVar("edge"), 0);
    EXPECT_EQ(m.GetFloatVar("missing"), 0);
    EXPECT_EQ(m.GetStringVar("missing"), "");
    m.SetStringVar("missing", "x");
}

namespace {
// Stands in for a compiler: "emit N" makes code that stores N in data.
class FakeCompiler : public TScriptCompiler {
public:
    static inline int Passes = 0;
    void Compile(const std::string& source, const std::string&, bool firstPass, TRCPUModule& m) override {
        ++Passes;
        if (firstPass) return;
        const std::int32_t n = std::stoi(source.substr(source.find(' ') + 1));
        Asm a;
        a.PushAddr(D(0)).PushInt(n).Op(119).Index(4).Halt();
        m.Code = a.Finish();
        m.DataSize = 4;
    }
};
}  // namespace

TEST(ScriptModule, CompileOnDemandUsesTheRegisteredCompiler) {
    TRCPUModule m;
    m.Source = "emit 1234";
    ASSERT_TRUE(ScriptCompilers().empty());
    EXPECT_THROW(m.Compile("Pascal", true), EVizeException);
    ScriptCompilers().push_back({"Pascal", [] { return std::make_unique<FakeCompiler>(); }});
    std::vector<std::string> names{"stale"};
    ScriptCompilerLanguages(names);
    EXPECT_EQ(names, std::vector<std::string>{"Pascal"});
    EXPECT_THROW(m.Compile("Basic", true), EVizeException);
    m.Compile("pascal", true);
    m.Compile("pascal", false);
    EXPECT_EQ(FakeCompiler::Passes, 2);
    EXPECT_FALSE(m.Compiler);
    m.Execute(0);
    std::int32_t v;
    std::memcpy(&v, m.DataBlock(), 4);
    EXPECT_EQ(v, 1234);
    ScriptCompilers().clear();
}

TEST(ScriptModule, ProjectEngineLoadsBindsAndRunsModules) {
    InitializeScriptEngine();
    for (const auto& r : RegistrationList())
        if (r.Group == "VZCL") r.Procedure();
    ASSERT_TRUE(VizeHooks().ModuleLoader);

    // A project stream holding the module followed by other data.
    auto bytes = Fixture("native-module.hex");
    bytes[1] = 'S';  // "Saller": a module no group binds, so its slot stays empty
    TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), Integer(bytes.size()));
    stream.WriteBuffer("tail", 4);
    stream.SetPosition(0);
    std::unique_ptr<TVizeModule> loaded(VizeHooks().ModuleLoader(stream, nullptr, nullptr));
    EXPECT_EQ(stream.Position(), Int64(bytes.size()));  // the stream stops right after the module
    auto* m = dynamic_cast<TRCPUModule*>(loaded.get());
    ASSERT_NE(m, nullptr);
    VizeHooks().ModuleLoaded(m);
    // Nothing stored: a new module with the defaults.
    TMemoryStream empty;
    std::unique_ptr<TVizeModule> fresh(VizeHooks().ModuleLoader(empty, nullptr, nullptr));
    auto* f = dynamic_cast<TRCPUModule*>(fresh.get());
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->ModuleName, "Module1");
    EXPECT_EQ(f->StackBytes, 0x4000u);

    void* suspension = nullptr;
    EXPECT_THROW(m->Execute(0, suspension), EReportPrinter);  // its slot names no SYSFUNC routine
    EXPECT_EQ(suspension, nullptr);

    // The event interface: Execute(position, suspension) with object parameters.
    Asm a;
    a.Enter(0).Suspend().PushAddr(D(0)).PushAddr(F(12)).Op(119).Index(4).Ret(4);
    auto e = MakeModule(a, 4);
    int sender = 0;
    TVizeModule& asEngine = *e;
    asEngine.PushParam(&sender);
    asEngine.Execute(0, suspension);
    ASSERT_NE(suspension, nullptr);
    asEngine.Execute(0, suspension);
    EXPECT_EQ(suspension, nullptr);
    std::uint32_t handle;
    std::memcpy(&handle, e->DataBlock(), 4);
    EXPECT_EQ(ScriptObjectByHandle(handle), &sender);
}

// Modules among the items of a project: the source written for a compiler
// from the owner's event handlers, events bound to compiled handlers and run
// on their sender, the owner's component variables, imports found among the
// project's items before its module manager.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "reportproject/VizeException.h"
#include "reportproject/VzCsDraw.h"
#include "reportproject/VzControl.h"
#include "reportproject/VzLEModule.h"
#include "reportproject/VzProj.h"
#include "reportproject/tests/ScriptAssembler.h"
#include "reportproject/tests/ScriptStubs.h"
#include "report/VSFWriter.h"
#include "reportproject/VzLESystem.h"
#include "reportproject/VzLEString.h"

using namespace script_test;

namespace {

// Compiles nothing; its presence lets source be generated. It notes the
// owner name it was handed.
class NullCompiler : public TScriptCompiler {
public:
    static inline std::string LastOwner;
    void Compile(const std::string&, const std::string& owner, bool, TRCPUModule&) override { LastOwner = owner; }
};

// A project "Project1" with report "Report1" holding page "Page1" with a
// rectangle "Box" (whose OnBeforePrint has a handler) and a line "Rule".
struct ProjectFixture {
    ProjectFixture() {
        // Other tests clear the registrations: make those needed here again.
        InitializeVzClass();
        InitializeVzControl();
        InitializeVzCsDraw();
        InitializeVzProj();
        InitializeScriptEngine();
        for (const TVizeRegistration& r : RegistrationList()) r.Procedure();
        ScriptCompilers().push_back({"Pascal", [] { return std::make_unique<NullCompiler>(); }});
        project.SetName("Project1");
        report = project.NewReport();
        page = report->FirstPage();
        box = new TVizeRectangle(page);
        box->SetName("Box");
        box->SetParent(page);
        auto* event = new TVizeSimpleEvent;
        event->SetHeader("var n: integer;");
        event->SetBody("n := 1;");
        box->SetOnBeforePrint(event);
        rule = new TVizeLine(page);
        rule->SetName("Rule");
        rule->SetParent(page);
        module = new TRCPUModule;
        page->SetModule(module);
    }
    ~ProjectFixture() { ScriptCompilers().clear(); }
    // A module named name, owned by item or, without one, by the module manager.
    TRCPUModule* AddModule(const std::string& name, TVizeProjectItem* item = nullptr) {
        auto* m = new TRCPUModule;
        m->ModuleName = name;
        if (item) item->SetModule(m);
        else project.ModuleManager().AddModule(name, m);
        return m;
    }

    TVizeProjectManager project{nullptr};
    TVizeReport* report;
    TVizePage* page;
    TVizeRectangle* box;
    TVizeLine* rule;
    TRCPUModule* module;
};

}  // namespace

TEST(ScriptProject, SourceDeclaresTheOwnersComponentsAndItsHandlers) {
    ProjectFixture f;
    ASSERT_EQ(f.report->Name(), "Report1");
    ASSERT_EQ(f.page->Name(), "Page1");
    f.module->GenerateSource();
    f.module->Compile("Pascal", true);
    EXPECT_EQ(NullCompiler::LastOwner, "Report1_Page1");
    const std::string expected =
        "module Report1_Page1;\r\n"
        "\r\n"
        "definition\r\n"
        "\r\n"
        "import\r\n"
        "  SYSFUNC,\r\n"
        "  VZBASE,\r\n"
        "  VZCLASS,\r\n"
        "  VZCSDRAW,\r\n"
        "  VZDATA;\r\n"
        "\r\n"
        "var\r\n"
        "  Box: TVizeRectangle;\r\n"
        "  Rule: TVizeLine;\r\n"
        "\r\n"
        "implementation\r\n"
        "\r\n"
        "import\r\n"
        "  Project1,\r\n"
        "  Report1;\r\n"
        "\r\n"
        "\r\n{ Event for Box.OnBeforePrint }\r\n\r\nfunction Box_OnBeforePrint(Self: TVizeRectangle);\r\n"
        "var n: integer;\r\n"
        "begin\r\n"
        "n := 1;\r\n"
        "end Box_OnBeforePrint;\r\n"
        "\r\n"
        "end Report1_Page1;\r\n";
    EXPECT_EQ(f.module->Source, expected);
    EXPECT_EQ(f.module->ModuleName, "");
    ASSERT_EQ(f.module->EventNames.size(), 1u);
    EXPECT_EQ(f.module->EventNames[0].first, "Box_OnBeforePrint");
    TVizeEvent* event = f.box->OnBeforePrint();
    EXPECT_EQ(f.module->EventNames[0].second, event);
    EXPECT_EQ(event->Name(), "OnBeforePrint");
    // The header's line breaks count as lines: the handler's header text
    // is line 26, its body line 28.
    EXPECT_EQ(event->DeclarationLine(), 26);
    EXPECT_EQ(event->BodyLine(), 28);
}

TEST(ScriptProject, SourceNeedsARegisteredCompiler) {
    ProjectFixture f;
    ScriptCompilers().clear();
    try {
        f.module->GenerateSource();
        FAIL() << "source written without a compiler";
    } catch (const EVizeException& e) {
        EXPECT_STREQ(e.what(), "Compiler not found.  Include VzLDCompiler in the uses.");
    }
}

TEST(ScriptProject, BoundEventsRunTheirHandlerWithTheSenderAsSelf) {
    ProjectFixture f;
    f.module->GenerateSource();
    // What a compiler would make of it: the handler stores Self at data 0;
    // the variable "Box" lives at data 4.
    Asm a;
    a.Halt().Label("handler").Enter(0).PushAddr(D(0)).PushAddr(F(12)).Op(119).Index(4).Ret(4);
    f.module->Code = a.Finish();
    f.module->DataSize = 8;
    auto handler = std::make_unique<TFuncID>(idFunc, "Box_OnBeforePrint");
    handler->Entry = std::uint32_t(a.LabelAt("handler"));
    f.module->Scope->IDs.Add(std::move(handler));
    auto var = std::make_unique<TVarID>("Box");
    var->Offset = 4;
    f.module->Scope->IDs.Add(std::move(var));
    f.module->BindEvents();

    TVizeEvent* event = f.box->OnBeforePrint();
    EXPECT_EQ(event->Position(), Integer(a.LabelAt("handler")));
    EXPECT_EQ(event->ModuleOwner(), f.page);
    event->Execute();
    std::uint32_t self;
    std::memcpy(&self, f.module->DataBlock(), 4);
    EXPECT_EQ(ScriptObjectOf(self), f.box);

    f.page->PrepareItem(0, 0);
    EXPECT_EQ(ScriptObjectOf(f.module->GetObjectVar("Box")), f.box);
    std::memcpy(&self, f.module->DataBlock(), 4);
    EXPECT_EQ(self, 0u);  // the data block starts over

    // A freed component's handle no longer leads to it.
    const std::uint32_t handle = f.module->GetObjectVar("Box");
    delete f.box;
    EXPECT_EQ(ScriptObjectOf(handle), nullptr);
}

TEST(ScriptProject, ImportsAreFoundAmongProjectItemsThenTheModuleManager) {
    ProjectFixture f;
    TRCPUModule* helpers = f.AddModule("Helpers", f.report->NewPage());
    TRCPUModule* projectModule = f.AddModule("Globals", &f.project);
    TRCPUModule* sysfunc = f.AddModule("SYSFUNC");

    f.module->AddImportByName("helpers");
    f.module->AddImportByName("GLOBALS");
    f.module->AddImportByName("SysFunc");
    f.module->AddImportByName("");
    const std::vector<TRCPUModule*> expected{helpers, projectModule, sysfunc, nullptr};
    EXPECT_EQ(f.module->Imports, expected);
    try {
        f.module->AddImportByName("Nowhere");
        FAIL() << "an unknown module was imported";
    } catch (const EVizeException& e) {
        EXPECT_STREQ(e.what(), "Could not load module [Nowhere]");
    }

    // Pending imports resolve among project items only.
    f.module->Imports.assign(2, nullptr);
    f.module->PendingImports = {{"Helpers", 0}, {"SYSFUNC", 1}};
    f.module->ResolveReferences();
    EXPECT_EQ(f.module->Imports[0], helpers);
    EXPECT_EQ(f.module->Imports[1], nullptr);
    EXPECT_TRUE(f.module->PendingImports.empty());
}

TEST(ScriptProject, AnImportOfAnotherItemsModuleSurvivesTheProjectFile) {
    ProjectFixture f;
    f.AddModule("Helpers", f.report->NewPage());
    f.AddModule("SYSFUNC");
    f.module->ModuleName = "Main";
    f.module->AddImportByName("Helpers");
    f.module->AddImportByName("SYSFUNC");
    // An item's module is written with "+", a module of the manager by name.
    const auto bytes = f.module->SaveToBytes();
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(text.find("\x08+Helpers\x07SYSFUNC"), std::string::npos);

    TMemoryStream stream;
    f.project.SaveToStream(stream);
    stream.SetPosition(0);
    TVizeProjectManager loaded(nullptr);
    loaded.LoadFromStream(stream);
    const std::vector<TVizePage*> pages = loaded.ActiveReport()->Pages();
    ASSERT_EQ(pages.size(), 2u);
    auto* main = dynamic_cast<TRCPUModule*>(pages[0]->Module());
    auto* helpers2 = dynamic_cast<TRCPUModule*>(pages[1]->Module());
    ASSERT_NE(main, nullptr);
    ASSERT_NE(helpers2, nullptr);
    ASSERT_EQ(main->Imports.size(), 2u);
    EXPECT_EQ(main->Imports[0], helpers2);  // the loaded page's module, not a file
    EXPECT_EQ(main->Imports[1], loaded.ModuleManager().FindModule("SYSFUNC"));
    EXPECT_TRUE(main->PendingImports.empty());
}

TEST(ScriptProject, AHandlerCallsSystemFunctionsThroughImportedGroupModules) {
    ProjectFixture f;
    RegisterSystemFunctions();
    StubModule vzclass = MakeStubModule("VZCLASS", {{"TVIZECOMPONENT.GETNAME", 1, 11}, {"TVIZECOMPONENT.SETTAG", 2}});
    StubModule sysfunc = MakeStubModule("SYSFUNC", {{"LENGTH", 1, 5}});
    auto& classEntry = vzclass.Entry;
    auto& sysEntry = sysfunc.Entry;
    f.project.ModuleManager().AddModule("VZCLASS", vzclass.Module.release());
    f.project.ModuleManager().AddModule("SYSFUNC", sysfunc.Module.release());

    // Box_OnBeforePrint: Self.Tag := Length(Self.Name)
    Asm a;
    a.Halt().Label("handler").Enter(0);
    a.PushCell(F(12)).PushAddr(D(0)).FarCall(1, classEntry["TVIZECOMPONENT.GETNAME"]);
    a.PushCell(D(0)).PushAddr(D(4)).FarCall(2, sysEntry["LENGTH"]);
    a.PushCell(F(12)).PushCell(D(4)).FarCall(1, classEntry["TVIZECOMPONENT.SETTAG"]);
    a.Ret(4);
    f.module->Code = a.Finish();
    f.module->DataSize = 8;
    f.module->AddImportByName("VZCLASS");
    f.module->AddImportByName("sysfunc");
    f.module->GenerateSource();
    auto handler = std::make_unique<TFuncID>(idFunc, "Box_OnBeforePrint");
    handler->Entry = std::uint32_t(a.LabelAt("handler"));
    f.module->Scope->IDs.Add(std::move(handler));
    f.module->BindEvents();

    f.box->SetName("Boxes");
    f.box->BeforePrint();
    EXPECT_EQ(f.box->Tag(), 5);
    f.box->AfterPrint();
}

TEST(ScriptProject, HandlersChangeTheValueOfStringAndFloatEvents) {
    ProjectFixture f;
    RegisterSystemFunctions();
    StubModule sysfunc = MakeStubModule("SYSFUNC", {{"INSERT", 3}});
    const std::uint32_t insert = sysfunc.Entry.at("INSERT");
    f.project.ModuleManager().AddModule("SYSFUNC", sysfunc.Module.release());
    f.module->AddImportByName("SYSFUNC");

    // text(Self, var Value: string): Insert('Hi ', Value, 1)
    // number(Self, var Value: extended): Value := 2.5
    Asm a;
    a.Halt().Label("text").Enter(0);
    a.PushAddr(D(4)).PushInt(1).Op(119).Index(4);
    a.LoadStr(D(0), "Hi ").PushCell(D(0)).PushCell(F(12)).PushCell(D(4)).FarCall(1, insert);
    a.Ret(8);
    a.Label("number").Enter(0).PushCell(F(12)).PushExt(2.5L).Op(119).Index(10).Ret(8);
    a.Label("suspends").Enter(0).Suspend().Ret(8);
    f.module->Code = a.Finish();
    f.module->DataSize = 8;

    TVizeStringEvent text;
    text.SetSender(f.box);
    text.SetModuleOwner(f.page);
    text.SetPosition(Integer(a.LabelAt("text")));
    text.Value = "there";
    const std::size_t strings = ScriptStrings::LiveCount();
    text.Execute();
    EXPECT_EQ(text.Value, "Hi there");
    text.Execute();
    EXPECT_EQ(text.Value, "Hi Hi there");

    TVizeFloatEvent number;
    number.SetSender(f.box);
    number.SetModuleOwner(f.page);
    number.SetPosition(Integer(a.LabelAt("number")));
    number.Value = -1;
    number.Execute();
    EXPECT_EQ(number.Value, 2.5);
    // A handler holding a var value cannot leave a suspension behind.
    number.SetPosition(Integer(a.LabelAt("suspends")));
    EXPECT_THROW(number.Execute(), EVizeException);
    EXPECT_FALSE(number.IsSuspended());
    // Only the module's own literal is still held.
    EXPECT_LE(ScriptStrings::LiveCount(), strings + 1);
}

TEST(ScriptProject, AFreedModuleLeavesAnEmptySlotInItsImporters) {
    ProjectFixture f;
    TVizePage* other = f.report->NewPage();
    f.AddModule("Helpers", other);
    TRCPUModule* sysfunc = f.AddModule("SYSFUNC");
    f.module->AddImportByName("Helpers");
    f.module->AddImportByName("SYSFUNC");
    Asm a;
    a.FarCall(1, 0);
    f.module->Code = a.Finish();

    delete other;  // the page and its module go
    const std::vector<TRCPUModule*> expected{nullptr, sysfunc};
    EXPECT_EQ(f.module->Imports, expected);  // SYSFUNC keeps its number
    try {
        f.module->Execute(0);
        FAIL() << "called into a freed module";
    } catch (const EReportPrinter& e) {
        EXPECT_EQ(e.Message, "Module number 1 is not imported");
    }
    // Replacing an item's module also unlinks the old one.
    f.AddModule("Globals", &f.project);
    f.module->AddImportByName("Globals");
    f.project.SetModule(new TRCPUModule);
    EXPECT_EQ(f.module->Imports.size(), 3u);
    EXPECT_EQ(f.module->Imports[2], nullptr);
}

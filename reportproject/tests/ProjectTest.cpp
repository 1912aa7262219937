// The project file: a project with data objects, a global page and two
// reports saved and loaded back; refused and damaged streams; script
// modules stored in the stream and found as files next to the project.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include <gtest/gtest.h>

#include "platform/core/Exception.h"
#include "platform/core/Streams.h"
#include "reportproject/VzControl.h"
#include "reportproject/VzCsDraw.h"
#include "reportproject/VzSecurity.h"
#include "reportproject/VzEvents.h"
#include "reportproject/VzFiler.h"
#include "reportproject/VzInit.h"
#include "reportproject/VzProj.h"

namespace {

std::string Bytes(TMemoryStream& m) {
    std::string s(size_t(m.Size()), '\0');
    m.SetPosition(0);
    if (!s.empty()) m.ReadBuffer(s.data(), Integer(s.size()));
    return s;
}

// The engine's start-up registers every class a project stream names.
void RegisterAll() {
    InitializeReportProject();
    RegisterVizeClass(TVizeDataObject::StaticClass());
}

TVizeContainerControl* Box(TVizePage* page, const char* name, double top) {
    auto* c = new TVizeContainerControl(page);
    c->SetName(name);
    c->SetParent(page);
    c->SetBoundsRect({1, top, 3, top + 1});
    return c;
}

// A module that stores its text.
class TTextModule : public TVizeModule {
public:
    explicit TTextModule(std::string text) : text(std::move(text)) {}
    void ResolveReferences() override {}
    void SaveToStream(TStream& s) override { s.WriteBuffer(text.data(), Integer(text.size())); }
    void Execute(Integer, void*&) override {}
    void PushParam(void*) override {}
    void ForgetReference(TVizeModule*, TVizeModule*) override {}
    std::string text;
};
TVizeModule* LoadTextModule(TStream& s, TVizeProjectItem*, TVizeProjectItem*) {
    std::string text(size_t(s.Size() - s.Position()), '\0');
    if (!text.empty()) s.ReadBuffer(text.data(), Integer(text.size()));
    return new TTextModule(text);
}

// Builds the project the round trip and the damage cases share.
void BuildProject(TVizeProjectManager& p) {
    p.SetName("Project");
    p.SetUnitsFactor(25.40005);
    auto* data = new TVizeDataObject(&p);
    data->SetName("Clients");
    data->SetParent(&p);
    data->SetDescription("customer rows");
    auto* global = new TVizePage(&p);
    global->SetName("Letterhead");
    global->SetParent(&p);
    Box(global, "Logo", 0.5);
    auto* rule = new TVizeHLine(global);
    rule->SetName("Rule");
    rule->SetParent(global);
    rule->SetLineWidth(2);
    auto* guard = new TVizeSimpleSecurity(&p);
    guard->SetName("Guard");
    guard->SetParent(&p);
    guard->UserList().Add("ann=pw");

    TVizeReport* r1 = p.NewReport();
    TVizePage* page1 = r1->FirstPage();
    Box(page1, "Heading", 1);
    TVizePage* page2 = r1->NewPage();
    auto* copy = Box(page2, "Copy", 2);
    copy->SetMirror(dynamic_cast<TVizeControl*>(page1->FindComponent("Heading")));
    r1->SetFirstPage(page2);
    TVizeComponentList order;
    order.Add(page2);
    order.Add(page1);
    r1->SetPageList(&order);
    r1->LoadPage(global);
    r1->SetCopies(2);
    TVizeReport* r2 = p.NewReport();
    r2->SetCategory("summary");
}

}  // namespace

TEST(Project, SavesAndLoadsEveryItem) {
    RegisterAll();
    TVizeProjectManager saved(nullptr);
    BuildProject(saved);
    EXPECT_EQ(saved.Units(), unMM);
    saved.SetUnitsFactor(0);  // ignored
    EXPECT_NEAR(saved.UnitsFactor(), 25.40005, 1e-9);
    TMemoryStream m;
    saved.SaveToStream(m);
    EXPECT_FALSE(saved.IsChanged());
    // Header written by hand: signature, version 40005, header code, no
    // modules, the active report's name.
    std::string head("DUD\x1A\x45\x9C\x00\x00\x00\x00\x07Report2", 17);
    EXPECT_EQ(Bytes(m).substr(0, head.size()), head);

    TVizeProjectManager loaded(nullptr);
    m.SetPosition(0);
    loaded.LoadFromStream(m);
    EXPECT_EQ(loaded.Name(), "Project");
    EXPECT_EQ(loaded.Units(), unMM);
    ASSERT_EQ(loaded.DataObjects().size(), 2u);
    EXPECT_EQ(loaded.DataObjects()[0]->Description(), "customer rows");
    auto* guard = dynamic_cast<TVizeSimpleSecurity*>(loaded.DataObjects()[1]);
    ASSERT_NE(guard, nullptr);
    EXPECT_TRUE(guard->IsValidUser("Ann", "pw"));
    ASSERT_EQ(loaded.GlobalPages().size(), 1u);
    TVizePage* global = loaded.GlobalPages()[0];
    EXPECT_TRUE(global->IsGlobal());
    EXPECT_NE(global->FindComponent("Logo"), nullptr);
    auto* rule = dynamic_cast<TVizeHLine*>(global->FindComponent("Rule"));
    ASSERT_NE(rule, nullptr);
    EXPECT_EQ(rule->GetLineWidth(), 2);
    ASSERT_EQ(loaded.Reports().size(), 2u);
    TVizeReport* r1 = loaded.Reports()[0];
    TVizeReport* r2 = loaded.Reports()[1];
    EXPECT_EQ(loaded.ActiveReport(), r2);
    EXPECT_EQ(r2->Category(), "summary");
    ASSERT_EQ(r1->Pages().size(), 2u);
    TVizePage* page1 = r1->Pages()[0];
    TVizePage* page2 = r1->Pages()[1];
    EXPECT_EQ(r1->Copies(), 2);
    EXPECT_EQ(r1->FirstPage(), page2);
    ASSERT_NE(r1->PageList(), nullptr);
    ASSERT_EQ(r1->PageList()->Count(), 2);
    EXPECT_EQ(r1->PageList()->Items(0), page2);
    EXPECT_EQ(r1->PageList()->Items(1), page1);
    auto loadedPages = r1->LoadedPages();
    EXPECT_NE(std::find(loadedPages.begin(), loadedPages.end(), global), loadedPages.end());
    // A reference from one page of the report to a control on another.
    auto* copy = dynamic_cast<TVizeControl*>(page2->FindComponent("Copy"));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->Mirror(), page1->FindComponent("Heading"));

    // Saved again, the stream is the same.
    TMemoryStream again;
    loaded.SaveToStream(again);
    EXPECT_EQ(Bytes(again), Bytes(m));
}

TEST(Project, RefusesDamagedStreams) {
    RegisterAll();
    TVizeProjectManager p(nullptr);
    BuildProject(p);
    TMemoryStream m;
    p.SaveToStream(m);
    const std::string good = Bytes(m);
    std::string noClass = good;
    size_t at = noClass.find("TVizeDataObject");
    ASSERT_NE(at, std::string::npos);
    noClass[at + 1] = 'X';  // "TXizeDataObject", not registered
    std::string manyPages = good;
    // The first report's page count, just after its empty last-page name.
    size_t report = manyPages.find("\x04\x07Report1");
    ASSERT_NE(report, std::string::npos);
    size_t count = report + 9 + 1 + 4 + 1;  // type, name, method, size, last page
    ASSERT_EQ(manyPages[count], '\x02');
    manyPages.replace(count, 1, "\xDF\xFF\xFF", 3);  // 2 million pages

    struct Case {
        const char* what;
        std::string bytes;
        const char* message;  // null: a read error
    };
    const Case cases[] = {
        {"signature", "DUX\x1A" + good.substr(4), "Invalid Project Format"},
        {"header code", good.substr(0, 8) + '\x01' + good.substr(9), "Invalid Project Header Code"},
        {"cut short", good.substr(0, good.size() - 7), nullptr},
        {"page count", manyPages, nullptr},
        {"data object class", noClass, "Class TXizeDataObject not found"},
    };
    for (const Case& c : cases) {
        TMemoryStream in;
        in.WriteBuffer(c.bytes.data(), Integer(c.bytes.size()));
        in.SetPosition(0);
        TVizeProjectManager target(nullptr);
        try {
            target.LoadFromStream(in);
            ADD_FAILURE() << c.what << ": loaded";
        } catch (const EReadError&) {
            EXPECT_EQ(c.message, nullptr) << c.what;
        } catch (const Exception& e) {
            ASSERT_NE(c.message, nullptr) << c.what << ": " << e.Message;
            EXPECT_EQ(e.Message, c.message) << c.what;
        }
    }
}

TEST(Project, ModulesInTheStreamAndAsFiles) {
    RegisterAll();
    auto savedLoader = VizeHooks().ModuleLoader;
    VizeHooks().ModuleLoader = LoadTextModule;
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / "rproj-modules";
    fs::remove_all(dir);
    fs::create_directories(dir);

    TVizeProjectManager p(nullptr);
    p.NewReport();
    p.ModuleManager().AddModule("Totals", new TTextModule("stored totals"));
    p.ModuleManager().AddModule("Shared", new TTextModule("stored shared"));
    TMemoryStream m;
    p.SaveToStream(m);

    // "Shared" also exists as a file next to the project, with the
    // extension in capitals: the file wins over the stored copy.
    std::ofstream(dir / "Shared.VZC", std::ios::binary) << "file shared";
    TVizeProjectManager back(nullptr);
    back.SetFileName((dir / "project.vzp").string());
    m.SetPosition(0);
    back.LoadFromStream(m);
    TVizeModuleManager& mm = back.ModuleManager();
    ASSERT_EQ(mm.Count(), 2);
    EXPECT_EQ(dynamic_cast<TTextModule*>(mm.FindModule("totals"))->text, "stored totals");
    EXPECT_EQ(dynamic_cast<TTextModule*>(mm.FindModule("SHARED"))->text, "file shared");
    // A name with a folder in either separator style finds the same file.
    EXPECT_EQ(mm.ModuleFilePath("sub\\Shared"), (dir / "Shared.VZC").string());
    EXPECT_EQ(mm.ModuleFilePath("sub/shared"), (dir / "Shared.VZC").string());
    EXPECT_EQ(mm.ModuleFilePath("Missing"), "");
    EXPECT_THROW(mm.ModuleByName("Missing"), EFOpenError);

    // A project file named in other letter case and with "\\" loads.
    p.SaveToFile((dir / "Scores.VZP").string());
    TVizeProjectManager again(nullptr);
    again.LoadFromFile(dir.string() + "\\scores.vzp");
    EXPECT_EQ(again.FileName(), (dir / "Scores.VZP").string());
    EXPECT_EQ(again.Reports().size(), 1u);
    VizeHooks().ModuleLoader = savedLoader;
    fs::remove_all(dir);
}

TEST(Project, DeletingItemsKeepsAReportAndAPage) {
    RegisterAll();
    TVizeProjectManager p(nullptr);
    TVizeReport* first = p.NewReport();
    TVizeReport* second = p.NewReport();
    p.ActivateReport(first);
    p.DeleteItem(first);  // the active first report: the second takes over
    EXPECT_EQ(p.ActiveReport(), second);
    ASSERT_EQ(p.Reports().size(), 1u);
    p.DeleteItem(second);  // the only report: a new one with one page
    ASSERT_EQ(p.Reports().size(), 1u);
    TVizeReport* fresh = p.Reports()[0];
    EXPECT_EQ(p.ActiveReport(), fresh);
    ASSERT_EQ(fresh->Pages().size(), 1u);
    // The last page of the active report is replaced by a new one.
    p.DeleteItem(fresh->Pages()[0]);
    ASSERT_EQ(fresh->Pages().size(), 1u);
    EXPECT_EQ(fresh->FirstPage(), fresh->Pages()[0]);
    EXPECT_EQ(fresh->LoadedPages().size(), 1u);
}

// The start-up registration knows every class a project stream names: each
// is built by its stored name, saved in a project and read back as itself.
TEST(Project, EveryClassTheEngineRegistersLoadsByName) {
    RegisterAll();
    const char* printable[] = {
        "TVizeText", "TVizeMemo", "TVizeSection", "TVizeBitmap", "TVizeMetaFile", "TVizeFontMaster",
        "TVizePageNumInit", "TVizeBand", "TVizeDataBand", "TVizeDataCycle", "TVizeCalcText", "TVizeCalcTotal",
        "TVizeCalcOp", "TVizeCalcController", "TVizeDataText", "TVizeDataMemo", "TVizeDataMirrorSection",
        "TVizeCode128BarCode", "TVizeCode39BarCode", "TVizeEANBarCode", "TVizeI2of5BarCode", "TVizeUPCBarCode",
        "TVizePostNetBarCode", "TVizeLine", "TVizeHLine", "TVizeVLine", "TVizeRectangle", "TVizeSquare",
        "TVizeEllipse", "TVizeCircle"};
    const char* dataObjects[] = {"TVizeDataView", "TVizeDriverDataView", "TVizeDatabase", "TVizeSimpleSecurity",
                                 "TVizeLookupSecurity"};
    const char* fields[] = {"TVizeStringField", "TVizeIntegerField", "TVizeInt64Field", "TVizeFloatField",
                            "TVizeCurrencyField", "TVizeBCDField", "TVizeBooleanField", "TVizeDateField",
                            "TVizeTimeField", "TVizeDateTimeField", "TVizeMemoField", "TVizeBlobField",
                            "TVizeGraphicField"};
    auto make = [](const char* name, TComponent* owner, TVizeComponent* parent) {
        TVizeClassRef cls = FindVizeClass(name);
        EXPECT_NE(cls, nullptr) << name << " is not registered";
        auto* c = cls ? dynamic_cast<TVizeComponent*>(cls->Construct(owner)) : nullptr;
        EXPECT_NE(c, nullptr) << name << " is not built by its name";
        if (!c) return c;
        c->SetName(std::string("The") + (name + 5));
        c->SetParent(parent);
        return c;
    };

    TMemoryStream m;
    {
        TVizeProjectManager p(nullptr);
        TVizePage* page = p.NewReport()->FirstPage();
        auto* region = make("TVizeRegion", page, page);
        ASSERT_NE(region, nullptr);
        for (const char* name : printable) {
            TVizeClassRef cls = FindVizeClass(name);
            bool onPage = !cls || !cls->InheritsFrom(FindVizeClass("TVizeBand"));
            make(name, page, onPage ? static_cast<TVizeComponent*>(page) : region);
        }
        for (const char* name : dataObjects) make(name, &p, &p);
        auto* view = p.FindComponent("TheDataView");
        ASSERT_NE(view, nullptr);
        for (const char* name : fields) make(name, &p, static_cast<TVizeComponent*>(view));
        p.SaveToStream(m);
    }

    TVizeProjectManager loaded(nullptr);
    m.SetPosition(0);
    loaded.LoadFromStream(m);
    ASSERT_NE(loaded.ActiveReport(), nullptr);
    TVizePage* page = loaded.ActiveReport()->FirstPage();
    ASSERT_NE(page, nullptr);
    auto check = [](TComponent* owner, const char* name) {
        TComponent* c = owner->FindComponent(std::string("The") + (name + 5));
        ASSERT_NE(c, nullptr) << name << " did not load";
        EXPECT_EQ(VizeClassOf(c)->Name(), name);
    };
    check(page, "TVizeRegion");
    for (const char* name : printable) check(page, name);
    for (const char* name : dataObjects) check(&loaded, name);
    // A data object's children belong to it once read back.
    TComponent* view = loaded.FindComponent("TheDataView");
    ASSERT_NE(view, nullptr);
    for (const char* name : fields) check(view, name);
}

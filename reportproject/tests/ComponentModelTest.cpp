// The project component family: owner references, the layout tree,
// reordering, naming, unique names, dotted lookup, the registration lists
// and print nesting.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "reportproject/VzClass.h"
#include "reportproject/VzEvents.h"
#include "reportproject/VzProj.h"

namespace {

// A leaf component that records its destruction.
class TLeaf : public TVizeComponent {
    VIZE_CLASS(TLeaf)
public:
    explicit TLeaf(TComponent* owner, std::vector<std::string>* log = nullptr) : TVizeComponent(owner), log_(log) {}
    ~TLeaf() override {
        if (log_) log_->push_back(Name());
    }
    void PrintSelf(TBaseReport*) override {
        ++printed;
        if (fail) throw EVizeException("print failed");
    }
    int printed = 0;
    bool fail = false;

private:
    std::vector<std::string>* log_;
};

TVizeClassRef TLeaf::StaticClass() {
    static const TVizeClass cls("TLeaf", TVizeComponent::StaticClass(),
                                [](TComponent* owner) { return new TLeaf(owner); }, true);
    return &cls;
}

std::vector<std::string> ChildNames(const TVizeComponent& parent) {
    std::vector<std::string> names;
    for (int i = 0; i < parent.ChildCount(); ++i) names.push_back(parent.GetChild(i)->Name());
    return names;
}

TLeaf* Leaf(TComponent* owner, TVizeComponent* parent, const std::string& name,
            std::vector<std::string>* log = nullptr) {
    auto* leaf = new TLeaf(owner, log);
    leaf->SetName(name);
    if (parent) leaf->SetParent(parent);
    return leaf;
}

}  // namespace

TEST(ComponentModel, OwnerReferencesFollowTheOwnerChain) {
    TVizeProjectManager project(nullptr);
    EXPECT_EQ(project.Project(), &project);
    EXPECT_EQ(project.Report(), nullptr);

    auto* report = new TVizeReport(&project);
    auto* page = new TVizePage(report);
    auto* text = new TLeaf(page);
    EXPECT_EQ(report->Project(), &project);
    EXPECT_EQ(report->Report(), report);
    EXPECT_EQ(page->Page(), page);
    EXPECT_EQ(page->Report(), report);
    EXPECT_EQ(text->Page(), page);
    EXPECT_EQ(text->Report(), report);
    EXPECT_EQ(text->Project(), &project);
    EXPECT_TRUE(text->Visible());

    TVizeContainerComponent loose(nullptr);
    auto* inLoose = new TLeaf(&loose);
    EXPECT_EQ(inLoose->Project(), nullptr);
    EXPECT_EQ(inLoose->Report(), nullptr);
    EXPECT_EQ(inLoose->Page(), nullptr);
}

TEST(ComponentModel, LayoutTreeAndChildRules) {
    TVizeContainerComponent root(nullptr);
    auto* a = Leaf(&root, &root, "A");
    EXPECT_EQ(a->Parent(), &root);
    EXPECT_EQ(root.ChildCount(), 1);
    EXPECT_EQ(root.GetChild(5), nullptr);
    EXPECT_EQ(root.GetChild(-1), nullptr);
    EXPECT_TRUE(root.AcceptChild(TLeaf::StaticClass()));
    EXPECT_FALSE(a->AcceptChild(TLeaf::StaticClass()));

    auto* b = new TLeaf(&root);
    try {
        b->SetParent(a);
        FAIL() << "a leaf accepted a child";
    } catch (const EVizeClass& e) {
        EXPECT_EQ(e.Message, "Class cannot accept children classes: \"TLeaf\"");
    }
    EXPECT_EQ(b->Parent(), nullptr);  // the refusing parent is not remembered

    TVizeContainerComponent other(nullptr);
    a->SetParent(&other);
    EXPECT_EQ(root.ChildCount(), 0);
    EXPECT_EQ(other.ChildCount(), 1);
    EXPECT_EQ(a->IndexInParent(), 0);
    a->SetParentComponent(&root);
    EXPECT_EQ(a->Parent(), &root);
    delete a;
    EXPECT_EQ(root.ChildCount(), 0);
}

TEST(ComponentModel, MoveChild) {
    const struct {
        const char* name;
        int moved;  // index of the child that moves
        int kind;
        std::vector<std::string> order;
    } cases[] = {
        {"send to back", 2, mkSendToBack, {"C", "A", "B", "D"}},
        {"move behind", 2, mkMoveBehind, {"A", "C", "B", "D"}},
        {"move forward", 1, mkMoveForward, {"A", "C", "B", "D"}},
        {"bring to front", 0, mkBringToFront, {"B", "C", "D", "A"}},
        {"first behind: nothing", 0, mkMoveBehind, {"A", "B", "C", "D"}},
        {"last to front: nothing", 3, mkBringToFront, {"A", "B", "C", "D"}},
        {"last forward: nothing", 3, mkMoveForward, {"A", "B", "C", "D"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TVizeContainerComponent root(nullptr);
        for (const char* n : {"A", "B", "C", "D"}) Leaf(&root, &root, n);
        root.MoveChild(root.GetChild(c.moved), c.kind);
        EXPECT_EQ(ChildNames(root), c.order);
    }

    TVizeContainerComponent root(nullptr);
    auto* a = Leaf(&root, &root, "A");
    auto* b = Leaf(&root, &root, "B");
    b->SendToBack();
    EXPECT_EQ(ChildNames(root), (std::vector<std::string>{"B", "A"}));
    a->MoveBehind();
    EXPECT_EQ(ChildNames(root), (std::vector<std::string>{"A", "B"}));
    TLeaf orphan(nullptr);
    orphan.BringToFront();  // no parent: nothing happens
}

TEST(ComponentModel, DestroyingAContainerFreesChildrenLastFirst) {
    std::vector<std::string> log;
    {
        TVizeContainerComponent owner(nullptr);
        auto* box = new TVizeContainerComponent(&owner);
        box->SetName("Box");
        Leaf(&owner, box, "First", &log);
        Leaf(&owner, box, "Second", &log);
        Leaf(&owner, box, "Third", &log);
        delete box;
        EXPECT_EQ(log, (std::vector<std::string>{"Third", "Second", "First"}));
        EXPECT_EQ(owner.ComponentCount(), 0);  // each left its owner as well
    }
}

TEST(ComponentModel, ReservedNamesAreIgnored) {
    TVizeContainerComponent owner(nullptr);
    TLeaf* leaf = Leaf(&owner, nullptr, "Text1");
    for (const char* word : {"import", "Const", "TYPE", "var", "Function", "implementation", "end", "Creation",
                             "destruction"}) {
        EXPECT_NO_THROW(leaf->SetName(word));
        EXPECT_EQ(leaf->Name(), "Text1") << word;
    }
    leaf->SetName("Ending");  // whole words only
    EXPECT_EQ(leaf->Name(), "Ending");

    int renamed = 0;
    VizeHooks().NameChanged = [&](TVizeComponent*, const std::string&) { ++renamed; };
    leaf->SetName("Other");
    leaf->SetName("End");
    VizeHooks().NameChanged = nullptr;
    EXPECT_EQ(renamed, 1);
}

TEST(ComponentModel, FullNameFollowsTheName) {
    TVizeProjectManager project(nullptr);
    auto* item = new TVizeDataObject(&project);
    item->SetName("View1");
    EXPECT_EQ(item->FullName(), "View1");
    item->SetName("Customers");
    EXPECT_EQ(item->FullName(), "Customers");
    item->SetName("Type");  // ignored, and FullName stays with the name
    EXPECT_EQ(item->Name(), "Customers");
    EXPECT_EQ(item->FullName(), "Customers");
    item->SetFullName("Customer list");
    item->SetName("Clients");
    EXPECT_EQ(item->FullName(), "Customer list");
}

TEST(ComponentModel, ProjectItems) {
    TVizeProjectManager project(nullptr);
    auto* report = new TVizeReport(&project);
    report->SetName("Report1");
    report->SetParent(&project);
    auto* page = new TVizePage(report);
    page->SetName("Page1");
    page->SetParent(report);

    TStringList lines;
    lines.Add("<a>=1");
    lines.Add("b=<2>");
    report->SetParameters(lines);
    EXPECT_EQ(report->Parameters().Text(), "_a_=1\r\nb=_2_\r\n");

    page->SetCompileNeeded(true);
    EXPECT_TRUE(project.CompileNeeded());
    EXPECT_EQ(page->QualifiedName(), "Report1_Page1");
    EXPECT_EQ(report->QualifiedName(), "Report1");

    std::vector<std::string> calls;
    VizeHooks().ItemActivation = [&](TVizeProjectItem* item, bool active, Integer) {
        calls.push_back(item->Name() + (active ? "+" : "-"));
    };
    VizeHooks().ItemPrepare = [&](TVizeProjectItem* item, Integer a, Integer b) {
        calls.push_back(item->Name() + " prepare " + std::to_string(a) + "," + std::to_string(b));
    };
    report->SetActive(true);
    report->Activate();  // already active: no second call
    report->SetActive(false);
    project.PrepareItem(1, 2);
    VizeHooks().ItemActivation = nullptr;
    VizeHooks().ItemPrepare = nullptr;
    // A report activates its pages with it; it deactivates only the pages
    // it has loaded (none here).
    EXPECT_EQ(calls, (std::vector<std::string>{"Report1+", "Page1+", "Report1-", " prepare 1,2",
                                               "Report1 prepare 1,2", "Page1 prepare 1,2"}));
}

TEST(ComponentModel, UnitConversions) {
    TVizeProjectManager project(nullptr);
    auto* leaf = new TLeaf(&project);
    EXPECT_DOUBLE_EQ(leaf->XU2I(2.0), 2.0);
    project.SetUnitsFactor(25.4);
    EXPECT_DOUBLE_EQ(leaf->XU2I(25.4), 1.0);
    EXPECT_DOUBLE_EQ(leaf->YI2U(2.0), 50.8);
    project.SetUnitsFactor(0);  // ignored
    EXPECT_DOUBLE_EQ(project.UnitsFactor(), 25.4);
}

TEST(ComponentModel, MakeUniqueName) {
    TVizeContainerComponent owner(nullptr);
    EXPECT_EQ(MakeUniqueName("Page", &owner, false), "Page1");
    Leaf(&owner, nullptr, "Page1");
    Leaf(&owner, nullptr, "Page2");
    EXPECT_EQ(MakeUniqueName("Page", &owner, false), "Page3");
    EXPECT_EQ(MakeUniqueName("Total | Calc", &owner, true), "Total");
    Leaf(&owner, nullptr, "Total");
    EXPECT_EQ(MakeUniqueName("Total | Calc", &owner, true), "Calc1");
    EXPECT_EQ(MakeUniqueName("Total", &owner, true), "1");
    EXPECT_EQ(MakeUniqueName("X", nullptr, false), "X1");
}

TEST(ComponentModel, FindVizeComponentByDottedName) {
    TVizeProjectManager project(nullptr);
    project.SetName("Project");
    auto* report = new TVizeReport(&project);
    report->SetName("Report1");
    report->SetParent(&project);
    project.SetActiveReport(report);
    auto* page1 = new TVizePage(report);
    page1->SetName("Page1");
    page1->SetParent(report);
    auto* page2 = new TVizePage(report);
    page2->SetName("Page2");
    page2->SetParent(report);
    TLeaf* text1 = Leaf(page1, page1, "Text1");
    TLeaf* text2 = Leaf(page2, page2, "Text1");
    auto* view = new TVizeDataObject(&project);
    view->SetName("View1");
    view->SetParent(&project);

    const struct {
        std::string name;
        TComponent* defaultOwner;
        TVizeComponent* expected;
    } cases[] = {
        {"Page1.Text1", nullptr, text1},
        {"page2.text1", nullptr, text2},
        {".Text1", page1, text1},
        {"Text1", page2, text2},
        {"Text1", nullptr, nullptr},
        {"View1", nullptr, view},
        {"Report1.Page1", nullptr, page1},
        {"Project.View1", nullptr, view},
        {"Project", nullptr, &project},
        {"Page3.Text1", nullptr, nullptr},
        {"Page1.Missing", nullptr, nullptr},
        {"", nullptr, nullptr},
    };
    for (const auto& c : cases) EXPECT_EQ(project.FindVizeComponent(c.name, c.defaultOwner), c.expected) << c.name;

    delete report;
    EXPECT_EQ(project.ActiveReport(), nullptr);
}

TEST(ComponentModel, RegistrationLists) {
    FinalizeVizeRegistration();
    InitializeVzClass();
    ASSERT_EQ(RegistrationList().size(), 1u);
    EXPECT_EQ(RegistrationList()[0].Group, "VZCL");
    RegistrationList()[0].Procedure();
    EXPECT_EQ(FindVizeClass("tvizepage"), TVizePage::StaticClass());
    EXPECT_EQ(ModuleOfClass("TVizeProjectItem"), "VzClass");

    RegisterModuleClasses("Other", {TVizePage::StaticClass(), TLeaf::StaticClass()}, 5);  // index clamped
    EXPECT_EQ(ModuleOfClass("TVizePage"), "VzClass");  // the first registration wins
    EXPECT_EQ(ModuleOfClass("TLeaf"), "Other");
    EXPECT_EQ(RegisteredClassName(TVizeReport::StaticClass()), "TVizeProjectItem");
    EXPECT_EQ(RegisteredClassName(TLeaf::StaticClass()), "TLeaf");

    std::vector<std::string> seen;
    VizeHooks().Palette = [&](const std::string& g, const std::string& c, const std::string& m) {
        seen.push_back(g + "/" + c + "/" + m);
    };
    VizeHooks().ClassRegistration = [&](const std::string& g, const std::vector<TVizeClassRef>&, int last) {
        seen.push_back(g + " " + std::to_string(last));
    };
    RegisterComponentGroup("Graphics", "Drawing", "VzCsDraw", {TLeaf::StaticClass()}, 0);
    VizeHooks().Palette = nullptr;
    VizeHooks().ClassRegistration = nullptr;
    EXPECT_EQ(seen, (std::vector<std::string>{"Graphics/Drawing/VzCsDraw", "Graphics 0"}));

    FinalizeVizeRegistration();
    EXPECT_TRUE(RegistrationList().empty());
    EXPECT_EQ(ModuleOfClass("TLeaf"), "");
}

TEST(ComponentModel, PersistentListCreatesRegisteredClasses) {
    RegisterVizeClass(TLeaf::StaticClass());
    RegisterVizeClass(TVizeSimpleEvent::StaticClass());
    TVizeContainerComponent owner(nullptr);
    {
        TVizePersistentList list;
        TPersistent* leaf = list.CreateItem("TLeaf", &owner);
        ASSERT_NE(leaf, nullptr);
        EXPECT_EQ(static_cast<TLeaf*>(leaf)->Owner(), &owner);
        TPersistent* event = list.CreateItem("TVizeSimpleEvent", &owner);
        ASSERT_NE(dynamic_cast<TVizeSimpleEvent*>(event), nullptr);
        EXPECT_EQ(list.CreateItem("TNoSuchClass", &owner), nullptr);
        list.Add(leaf);
        list.Add(event);
        EXPECT_EQ(owner.ComponentCount(), 1);
    }
    EXPECT_EQ(owner.ComponentCount(), 0);  // the list freed its items
    UnregisterVizeClass(TLeaf::StaticClass());
}

TEST(ComponentModel, MethodList) {
    static std::vector<std::string> calls;
    calls.clear();
    struct Listener : TObject {
        std::string name;
        static void Hear(TObject* self, TObject*, void* arg) {
            calls.push_back(static_cast<Listener*>(self)->name + ":" + *static_cast<std::string*>(arg));
        }
        static void Other(TObject* self, TObject*, void*) { calls.push_back("other"); }
    };
    Listener a, b, c;
    a.name = "a";
    b.name = "b";
    c.name = "c";
    TVizeMethodList list;
    list.Add({&Listener::Hear, &a});
    list.Add({&Listener::Hear, &b});
    list.Add({&Listener::Other, &a});
    list.Add({&Listener::Hear, &a});
    list.Remove({&Listener::Hear, &a});  // only the last equal record
    EXPECT_EQ(list.Count(), 3);
    list.Retarget(&b, &c);
    std::string arg = "x";
    list.Notify(nullptr, &arg);
    EXPECT_EQ(calls, (std::vector<std::string>{"a:x", "c:x", "other"}));
    list.RemoveObject(&a);
    EXPECT_EQ(list.Count(), 1);
}

TEST(ComponentModel, PrintRunsEventsOnceAndBalancesOnError) {
    TVizeContainerComponent root(nullptr);
    TLeaf* a = Leaf(&root, &root, "A");
    TLeaf* hidden = Leaf(&root, &root, "Hidden");
    hidden->SetVisible(false);
    root.Print(nullptr);
    EXPECT_EQ(a->printed, 1);
    EXPECT_EQ(hidden->printed, 0);
    EXPECT_EQ(root.PrintNesting(), 0);

    a->fail = true;
    EXPECT_THROW(root.Print(nullptr), EVizeException);
    EXPECT_EQ(root.PrintNesting(), 0);
    EXPECT_EQ(a->PrintNesting(), 0);
}

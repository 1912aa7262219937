// Project items across a load: references between items resolved at the
// end, "*" references into a master project, importing another project's
// items under new names, export lists, stored parameters and categories,
// the security controller, reordering items, the read-only warning, and
// direct data views in both item record types.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "platform/core/Streams.h"
#include "platform/gui/Prompts.h"
#include "reportproject/VzControl.h"
#include "reportproject/VzDataView.h"
#include "reportproject/VzFiler.h"
#include "reportproject/VzInit.h"
#include "reportproject/VzProj.h"
#include "reportproject/VzSecurity.h"

namespace {

// A validator that lives in a master project: references to it are
// written with a leading "*".
class TSharedGuard : public TVizeSimpleSecurity {
    VIZE_CLASS(TSharedGuard)
public:
    using TVizeSimpleSecurity::TVizeSimpleSecurity;
    bool IsMasterItem() const override { return true; }
};

TVizeClassRef TSharedGuard::StaticClass() {
    static const TVizeClass cls("TSharedGuard", TVizeSimpleSecurity::StaticClass(),
                                [](TComponent* owner) { return new TSharedGuard(owner); }, true);
    return &cls;
}

template <class T>
T* AddItem(TVizeProjectManager& p, const std::string& name) {
    auto* item = new T(&p);
    item->SetName(name);
    item->SetParent(&p);
    return item;
}

TVizeContainerControl* AddBox(TVizePage* page, const std::string& name) {
    auto* c = new TVizeContainerControl(page);
    c->SetName(name);
    c->SetParent(page);
    return c;
}

// A report whose security controller is guard, with a control on its
// second page mirroring one on its first.
TVizeReport* AddReport(TVizeProjectManager& p, TVizeBaseSecurity* guard) {
    TVizeReport* report = p.NewReport();
    report->SetSecurityControl(guard);
    AddBox(report->FirstPage(), "Heading");
    TVizePage* second = report->NewPage();
    AddBox(second, "Copy")->SetMirror(dynamic_cast<TVizeControl*>(report->FirstPage()->FindComponent("Heading")));
    return report;
}

void RoundTrip(TVizeProjectManager& from, TVizeProjectManager& to) {
    TMemoryStream m;
    from.SaveToStream(m);
    m.SetPosition(0);
    to.LoadFromStream(m);
}

TVizeControl* Mirror(TVizeReport* report) {
    auto* copy = dynamic_cast<TVizeControl*>(report->Pages().at(1)->FindComponent("Copy"));
    return copy ? copy->Mirror() : nullptr;
}

class ProjectItemsTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitializeReportProject();
        RegisterVizeClass(TSharedGuard::StaticClass());
    }
};

}  // namespace

TEST_F(ProjectItemsTest, ReferencesToItemsReadLaterAreAssignedAtTheEndOfTheLoad) {
    TVizeProjectManager saved(nullptr);
    saved.SetName("Project");
    // The project's own record and the lookup validator come before the
    // items they name.
    auto* lookup = AddItem<TVizeLookupSecurity>(saved, "Lookup");
    auto* view = AddItem<TVizeSimpleSecurity>(saved, "Later");
    saved.SetSecurityControl(lookup);
    AddReport(saved, view);
    TVizeProjectManager loaded(nullptr);
    RoundTrip(saved, loaded);
    ASSERT_NE(loaded.SecurityControl(), nullptr);
    EXPECT_EQ(loaded.SecurityControl()->Name(), "Lookup");
    TVizeReport* report = loaded.Reports().at(0);
    ASSERT_NE(report->SecurityControl(), nullptr);
    EXPECT_EQ(report->SecurityControl()->Name(), "Later");
    EXPECT_EQ(Mirror(report), report->FirstPage()->FindComponent("Heading"));
    EXPECT_EQ(loaded.LoadFixups(), nullptr);  // the load's lists are gone

    // Freeing the controller clears both references.
    loaded.DeleteItem(dynamic_cast<TVizeProjectItem*>(loaded.FindComponent("Later")));
    EXPECT_EQ(report->SecurityControl(), nullptr);
    loaded.DeleteItem(dynamic_cast<TVizeProjectItem*>(loaded.FindComponent("Lookup")));
    EXPECT_EQ(loaded.SecurityControl(), nullptr);
}

TEST_F(ProjectItemsTest, StarReferencesResolveInTheMasterProject) {
    TVizeProjectManager master(nullptr);
    master.SetName("Master");
    auto* shared = AddItem<TSharedGuard>(master, "Shared");
    AddItem<TVizeSimpleSecurity>(master, "Other");

    TVizeProjectManager saved(nullptr);
    saved.SetName("Project");
    AddItem<TVizeSimpleSecurity>(saved, "Shared");  // same name, not the master's
    TVizeReport* report = saved.NewReport();
    report->SetSecurityControl(shared);

    for (bool withMaster : {true, false}) {
        SCOPED_TRACE(withMaster ? "with master" : "without master");
        TVizeProjectManager loaded(nullptr);
        if (withMaster) loaded.MasterProject = &master;
        RoundTrip(saved, loaded);
        TVizeBaseSecurity* guard = loaded.Reports().at(0)->SecurityControl();
        // The name is the master's ("*Master.Shared"): never this project's
        // own "Shared".
        EXPECT_EQ(guard, withMaster ? shared : nullptr);
    }
}

TEST_F(ProjectItemsTest, ImportedItemsAreRenamedAndKeepTheirOwnReferences) {
    TVizeProjectManager source(nullptr);
    source.SetName("Source");
    auto* guard = AddItem<TVizeSimpleSecurity>(source, "Guard");
    guard->UserList().Add("eve=secret");
    AddReport(source, guard);
    TMemoryStream stream;
    source.SaveToStream(stream);

    TVizeProjectManager target(nullptr);
    target.SetName("Target");
    auto* own = AddItem<TVizeSimpleSecurity>(target, "Guard");
    TVizeReport* ownReport = AddReport(target, own);
    target.ClearChanged();

    stream.SetPosition(0);
    target.ImportFromStream(stream);
    EXPECT_FALSE(target.Importing());
    EXPECT_TRUE(target.IsChanged());
    ASSERT_EQ(target.DataObjects().size(), 2u);
    auto* imported = dynamic_cast<TVizeSimpleSecurity*>(target.DataObjects()[1]);
    ASSERT_NE(imported, nullptr);
    EXPECT_EQ(imported->Name(), "Guard1");
    EXPECT_TRUE(imported->IsValidUser("eve", "secret"));
    ASSERT_EQ(target.Reports().size(), 2u);
    TVizeReport* importedReport = target.Reports()[1];
    EXPECT_NE(importedReport->Name(), ownReport->Name());
    // The imported report's references lead to the imported items, the
    // existing report's to its own.
    EXPECT_EQ(importedReport->SecurityControl(), imported);
    EXPECT_EQ(importedReport->FirstPage(), importedReport->Pages().at(0));
    EXPECT_EQ(Mirror(importedReport), importedReport->FirstPage()->FindComponent("Heading"));
    EXPECT_EQ(ownReport->SecurityControl(), own);
    EXPECT_EQ(Mirror(ownReport), ownReport->FirstPage()->FindComponent("Heading"));

    // With replace the existing item goes; a conflict handler may rename.
    stream.SetPosition(0);
    const std::string ownReportName = ownReport->Name();
    std::vector<std::string> conflicts;
    target.OnImportConflict = [&](TVizeProjectItem* existing, std::string& name) {
        conflicts.push_back(existing->Name());
        if (name == "Guard") name = "Guard7";
    };
    target.ImportFromStream(stream);
    EXPECT_EQ(conflicts, (std::vector<std::string>{"Guard", ownReportName}));
    EXPECT_NE(target.FindComponent("Guard7"), nullptr);
    // The report kept its name: the existing one was replaced.
    EXPECT_EQ(target.Reports().size(), 2u);
    EXPECT_EQ(target.Reports().back()->SecurityControl(), target.FindComponent("Guard7"));
}

TEST_F(ProjectItemsTest, AnExportListSavesOnlyItsItemsAndKeepsTheChangedState) {
    TVizeProjectManager saved(nullptr);
    saved.SetName("Project");
    auto* guard = AddItem<TVizeSimpleSecurity>(saved, "Guard");
    AddItem<TVizeSimpleSecurity>(saved, "Other");
    saved.NewReport();
    EXPECT_TRUE(saved.IsChanged());
    saved.SetExportList({guard});
    TVizeProjectManager loaded(nullptr);
    RoundTrip(saved, loaded);
    EXPECT_TRUE(saved.IsChanged());
    EXPECT_FALSE(saved.Saved());
    ASSERT_EQ(loaded.DataObjects().size(), 1u);
    EXPECT_EQ(loaded.DataObjects()[0]->Name(), "Guard");
    EXPECT_TRUE(loaded.Reports().empty());

    // An item freed while listed leaves the list.
    delete guard;
    ASSERT_NE(saved.ExportList(), nullptr);
    EXPECT_TRUE(saved.ExportList()->empty());
}

TEST_F(ProjectItemsTest, ParametersAndCategoriesSurviveASave) {
    struct Case {
        const char* name;
        bool streamValues;
        const char* expected;
    } cases[] = {{"values stored", true, "A \"quoted\", one;"}, {"values not stored", false, ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TVizeProjectManager saved(nullptr);
        saved.SetName("Project");
        saved.StreamParamValues = c.streamValues;
        saved.SetParam("Title", "A \"quoted\", one;");
        saved.SetParam("Empty", "");
        saved.SetParam("Long", std::string(300, 'x'));
        saved.Categories().Add("Sales");
        saved.Categories().Add(std::string(400, 'c'));
        saved.NewReport();
        TVizeProjectManager loaded(nullptr);
        RoundTrip(saved, loaded);
        EXPECT_EQ(loaded.GetParam("Title"), c.expected);
        EXPECT_EQ(loaded.GetParam("Long").size(), c.streamValues ? 300u : 0u);
        ASSERT_EQ(loaded.Categories().Count(), 2);
        EXPECT_EQ(loaded.Categories()[0], "Sales");
        EXPECT_EQ(loaded.Categories()[1], std::string(400, 'c'));
    }
}

TEST_F(ProjectItemsTest, MoveChildReordersOnlyItemsOfTheSameKind) {
    TVizeProjectManager p(nullptr);
    TVizeReport* r1 = p.NewReport();
    auto* data = AddItem<TVizeSimpleSecurity>(p, "Data");
    TVizeReport* r2 = p.NewReport();
    TVizeReport* r3 = p.NewReport();
    p.MoveChild(r3, mkSendToBack);
    EXPECT_EQ(p.Reports(), (std::vector<TVizeReport*>{r3, r1, r2}));
    p.MoveChild(r3, mkMoveForward);
    EXPECT_EQ(p.Reports(), (std::vector<TVizeReport*>{r1, r3, r2}));
    EXPECT_EQ(p.GetChild(1), data);  // the data object kept its place
    p.MoveChild(data, mkBringToFront);
    EXPECT_EQ(p.GetChild(1), data);
}

TEST_F(ProjectItemsTest, ChangingAReadOnlyProjectFileWarnsOnce) {
    auto dir = std::filesystem::temp_directory_path() / ("rviews-readonly-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::string file = (dir / "Report.VZP").string();
    {
        TVizeProjectManager p(nullptr);
        p.NewReport();
        p.SaveToFile(file);
    }
    ::chmod(file.c_str(), 0444);
    TVizeProjectManager p(nullptr);
    p.LoadFromFile((dir / "report.vzp").string());  // found ignoring case
    TScriptedPrompts prompts;
    prompts.Answer(mrOk,
                   "The report project file you are modifying is marked read only.  You will be prompted for another "
                   "file name when saving.");
    p.SetChanged(true);
    p.SetChanged(true);
    EXPECT_EQ(prompts.Transcript().size(), 1u);
    EXPECT_TRUE(prompts.Failures().empty());
    std::filesystem::remove_all(dir);
}

// Older files store a direct data view as item type 2 without a class name;
// saved again it is a data object of the named class.
TEST_F(ProjectItemsTest, DirectDataViewsLoadFromBothItemRecordTypes) {
    TVizeProjectManager source(nullptr);
    source.SetName("Project");
    auto* view = AddItem<TVizeDataView>(source, "Orders");
    view->SetConnectionName("OrderRows");
    auto* field = new TVizeStringField(&source);
    field->SetName("OrdersCustomer");
    field->SetFieldName("Customer");
    field->SetParent(view);

    TMemoryStream old;
    {
        TStreamHelper h(old);
        h.WriteBuf("DUD\x1A", 4);
        h.WriteInteger(40005);
        h.WriteByte(0);
        h.WriteIndex(0);  // no modules
        h.WriteString("");
        TVizeWriter(h).WriteComponent(&source, false);
        h.WriteByte(2);
        h.WriteString("Orders");
        h.BeginWriteBlock();
        view->SaveToStream(h.Stream());
        h.EndWriteBlock();
    }
    for (bool oldRecord : {true, false}) {
        SCOPED_TRACE(oldRecord ? "item type 2" : "item type 6");
        TVizeProjectManager loaded(nullptr);
        if (oldRecord) {
            old.SetPosition(0);
            loaded.LoadFromStream(old);
        } else {
            RoundTrip(source, loaded);
        }
        auto* back = dynamic_cast<TVizeDataView*>(loaded.FindComponent("Orders"));
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(back->ConnectionName(), "OrderRows");
        ASSERT_EQ(back->ChildCount(), 1);
        auto* f = dynamic_cast<TVizeStringField*>(back->GetChild(0));
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->Name(), "OrdersCustomer");
        EXPECT_EQ(f->FieldName(), "Customer");
    }
}

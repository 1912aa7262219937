// Component events: the handler declaration text, running through the
// owner's module, suspension rules and ownership by the component.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reportproject/VzClass.h"
#include "reportproject/VzEvents.h"
#include "reportproject/VzProj.h"

namespace {

// Records what an event asks of its module.
class TFakeModule : public TVizeModule {
public:
    void ResolveReferences() override { log.push_back("resolve"); }
    void SaveToStream(TStream&) override {}
    void Execute(Integer position, void*& suspension) override {
        log.push_back("execute " + std::to_string(position) + (suspension ? " resumed" : ""));
        suspension = suspend ? this : nullptr;
    }
    void PushParam(void*) override { log.push_back("push"); }
    void ForgetReference(TVizeModule*, TVizeModule*) override {}

    std::vector<std::string> log;
    bool suspend = false;
};

class TSuspendableEvent : public TVizeSimpleEvent {
public:
    bool SuspendAllowed() const override { return true; }
};

class TEventsTest : public ::testing::Test {
protected:
    void SetUp() override {
        FinalizeVizeRegistration();
        RegisterModuleClasses("VzClass", {TVizeComponent::StaticClass(), TVizeProjectItem::StaticClass()}, 1);
        item = new TVizeProjectItem(&project);
        item->SetName("Section1");
    }
    void TearDown() override { FinalizeVizeRegistration(); }

    TVizeProjectManager project{nullptr};
    TVizeProjectItem* item = nullptr;
};

}  // namespace

TEST_F(TEventsTest, DeclarationText) {
    const struct {
        TVizeEvent* event;
        std::string lastLine;
    } cases[] = {
        {new TVizeSimpleEvent, "function Section1_OnBeforePrint(Self: TVizeProjectItem);"},
        {new TVizeStringEvent, "function Section1_OnBeforePrint(Self: TVizeProjectItem; var Value: string);"},
        {new TVizeFloatEvent, "function Section1_OnBeforePrint(Self: TVizeProjectItem; var Value: extended);"},
    };
    for (const auto& c : cases) {
        c.event->SetSender(item);
        c.event->SetName("OnBeforePrint");
        EXPECT_EQ(c.event->DeclarationHeader(),
                  "\r\n{ Event for Section1.OnBeforePrint }\r\n\r\n" + c.lastLine);
        EXPECT_EQ(c.event->DeclarationFooter(), "end Section1_OnBeforePrint;");
        delete c.event;
    }
}

TEST_F(TEventsTest, ExecuteRunsTheOwnersModule) {
    auto* event = new TVizeSimpleEvent;
    event->SetSender(item);
    event->SetPosition(42);
    item->SetOnBeforePrint(event);
    EXPECT_NO_THROW(event->Execute());  // no module owner: nothing happens
    event->SetModuleOwner(item);
    EXPECT_NO_THROW(event->Execute());  // owner without module: nothing happens

    auto* module = new TFakeModule;
    item->SetModule(module);
    item->Print(nullptr);
    item->Print(nullptr);
    EXPECT_EQ(module->log, (std::vector<std::string>{"push", "execute 42", "push", "execute 42"}));

    module->suspend = true;
    try {
        event->Execute();
        FAIL() << "suspension accepted";
    } catch (const EVizeException& e) {
        EXPECT_EQ(e.Message, "Suspend call not valid in this event.");
    }
    EXPECT_FALSE(event->IsSuspended());  // the next run starts afresh
    item->ProjectLoaded();
    EXPECT_EQ(module->log.back(), "resolve");
}

TEST_F(TEventsTest, SuspendedEventsResumeWithoutArguments) {
    TSuspendableEvent event;
    event.SetModuleOwner(item);
    auto* module = new TFakeModule;
    item->SetModule(module);
    module->suspend = true;
    event.Execute();
    EXPECT_TRUE(event.IsSuspended());
    module->suspend = false;
    event.Execute();
    EXPECT_FALSE(event.IsSuspended());
    EXPECT_EQ(module->log, (std::vector<std::string>{"push", "execute 0", "execute 0 resumed"}));
}

TEST_F(TEventsTest, AssignCopiesTextAndPosition) {
    TVizeSimpleEvent a, b;
    a.SetHeader("h");
    a.SetBody("b");
    a.SetPosition(7);
    a.SetName("OnAfterPrint");
    b.Assign(&a);
    EXPECT_EQ(b.Header(), "h");
    EXPECT_EQ(b.Body(), "b");
    EXPECT_EQ(b.Position(), 7);
    EXPECT_EQ(b.Name(), "");
}

TEST_F(TEventsTest, ComponentsFreeTheirEvents) {
    // Replaced events and those left at destruction are freed.
    static int alive = 0;
    struct TCounted : TVizeSimpleEvent {
        TCounted() { ++alive; }
        ~TCounted() override { --alive; }
    };
    auto* leaf = new TVizeContainerComponent(&project);
    leaf->SetOnBeforeReport(new TCounted);
    leaf->SetOnAfterPrint(new TCounted);
    leaf->SetOnAfterPrint(new TCounted);  // the old one is freed
    EXPECT_EQ(alive, 2);
    delete leaf;
    EXPECT_EQ(alive, 0);
}

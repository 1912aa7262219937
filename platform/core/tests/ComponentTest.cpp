#include "platform/core/Component.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records what happens to it in a shared log.
class TTracked : public TComponent {
public:
    TTracked(TComponent* owner, std::string label, std::vector<std::string>* log)
        : TComponent(owner), label_(std::move(label)), log_(log) {}
    ~TTracked() override {
        log_->push_back("free " + label_ +
                        (ComponentState().Contains(csDestroying) ? " destroying" : ""));
    }

    // A reference to another component that must be cleared when it goes.
    TComponent* Peer = nullptr;
    int RemoveCount = 0;
    int InsertCount = 0;
    bool LoadedCalled = false;

protected:
    void Notification(TComponent* component, TOperation operation) override {
        TComponent::Notification(component, operation);
        if (component == this) return;
        if (operation == opInsert) ++InsertCount;
        if (operation == opRemove) {
            ++RemoveCount;
            if (component == Peer) Peer = nullptr;
            log_->push_back(label_ + " hears removal");
        }
    }
    void Loaded() override {
        TComponent::Loaded();
        LoadedCalled = true;
    }

private:
    std::string label_;
    std::vector<std::string>* log_;
};

TEST(ComponentTest, OwnerFreesItsComponentsLastFirstAfterMarkingThemDestroying) {
    std::vector<std::string> log;
    auto* owner = new TComponent(nullptr);
    auto* a = new TTracked(owner, "a", &log);
    auto* b = new TTracked(owner, "b", &log);
    auto* grandchild = new TTracked(a, "a1", &log);
    (void)grandchild;
    a->Peer = b;
    b->Peer = a;
    ASSERT_EQ(owner->ComponentCount(), 2);
    EXPECT_EQ(owner->Components(0), a);
    EXPECT_EQ(b->ComponentIndex(), 1);

    delete owner;
    // b goes first; a (and, through a, what a owns) hears of it before b is
    // freed, so a forgets its pointer. Then a is removed and freed; a's own
    // destructor runs before the TComponent part frees a1.
    EXPECT_EQ(log, (std::vector<std::string>{"a1 hears removal", "a hears removal",
                                             "free b destroying", "a1 hears removal",
                                             "free a destroying", "free a1 destroying"}));
}

TEST(ComponentTest, ComponentFreedByItselfLeavesOwnerAndSiblingsAreToldOnce) {
    std::vector<std::string> log;
    TComponent owner(nullptr);
    auto* a = new TTracked(&owner, "a", &log);
    auto* b = new TTracked(&owner, "b", &log);
    a->FreeNotification(b);  // same owner: must still be told only once
    a->Peer = b;
    EXPECT_EQ(a->InsertCount, 1);  // told of b's insertion

    delete b;
    EXPECT_EQ(owner.ComponentCount(), 1);
    EXPECT_EQ(owner.Components(0), a);
    EXPECT_EQ(a->RemoveCount, 1);
    EXPECT_EQ(a->Peer, nullptr);
    EXPECT_THROW(owner.Components(1), EListError);
}

TEST(ComponentTest, FreeNotificationWorksBothWaysAcrossOwnersAndCanBeWithdrawn) {
    std::vector<std::string> log;
    TComponent form1(nullptr), form2(nullptr);
    auto* a = new TTracked(&form1, "a", &log);
    auto* b = new TTracked(&form2, "b", &log);
    auto* c = new TTracked(&form2, "c", &log);
    a->FreeNotification(b);
    a->FreeNotification(c);
    a->RemoveFreeNotification(c);

    delete b;
    EXPECT_EQ(a->RemoveCount, 1);
    delete c;  // link withdrawn: a is not told
    EXPECT_EQ(a->RemoveCount, 1);

    auto* d = new TTracked(&form2, "d", &log);
    d->FreeNotification(a);
    delete a;  // the other direction
    EXPECT_EQ(d->RemoveCount, 1);
    log.clear();
    delete d;  // a is gone: d must not call into it
    EXPECT_EQ(log, (std::vector<std::string>{"free d"}));
}

TEST(ComponentTest, LinksMadeByOwnedComponentsDuringTeardownDoNotDangle) {
    std::vector<std::string> log;
    auto* outsider = new TTracked(nullptr, "out", &log);
    {
        TComponent form(nullptr);
        auto* a = new TTracked(&form, "a", &log);
        a->FreeNotification(outsider);
    }
    EXPECT_EQ(outsider->RemoveCount, 1);
    delete outsider;
}

TEST(ComponentTest, NamesMustBeIdentifiersUniqueWithinTheOwner) {
    struct Case {
        const char* name;
        bool valid;
    };
    const Case cases[] = {{"", true},          {"Button1", true}, {"_x", true},   {"a_1", true},
                          {"1Button", false},  {"my button", false}, {"é", false}, {"a-b", false}};
    for (const Case& c : cases) {
        TComponent comp(nullptr);
        if (c.valid) {
            EXPECT_NO_THROW(comp.SetName(c.name)) << c.name;
            EXPECT_EQ(comp.Name(), c.name);
        } else {
            try {
                comp.SetName(c.name);
                ADD_FAILURE() << c.name;
            } catch (const EComponentError& e) {
                EXPECT_EQ(e.Message, std::string("'") + c.name + "' is not a valid component name");
            }
            EXPECT_EQ(comp.Name(), "");
        }
    }

    TComponent owner(nullptr);
    auto* a = new TComponent(&owner);
    auto* b = new TComponent(&owner);
    auto* unnamed = new TComponent(&owner);  // several empty names are fine
    (void)unnamed;
    a->SetName("Edit1");
    try {
        b->SetName("EDIT1");
        ADD_FAILURE();
    } catch (const EComponentError& e) {
        EXPECT_EQ(e.Message, "A component named EDIT1 already exists");
    }
    EXPECT_EQ(b->Name(), "");
    a->SetName("EDIT1");  // changing only the case of its own name
    EXPECT_EQ(owner.FindComponent("edit1"), a);
    EXPECT_EQ(owner.FindComponent(""), nullptr);
    EXPECT_EQ(owner.FindComponent("nothing"), nullptr);

    // An owner that already has the name refuses the newcomer and leaves it
    // where it was.
    TComponent other(nullptr);
    auto* c = new TComponent(&other);
    c->SetName("Edit1");
    EXPECT_THROW(owner.InsertComponent(c), EComponentError);
    EXPECT_EQ(c->Owner(), &other);
}

TEST(ComponentTest, InsertComponentMovesOwnershipAndRefusesCycles) {
    std::vector<std::string> log;
    TComponent first(nullptr), second(nullptr);
    auto* a = new TTracked(&first, "a", &log);
    second.InsertComponent(a);
    EXPECT_EQ(a->Owner(), &second);
    EXPECT_EQ(first.ComponentCount(), 0);
    EXPECT_EQ(second.ComponentCount(), 1);

    auto* child = new TComponent(a);
    EXPECT_THROW(child->InsertComponent(a), EComponentError);
    EXPECT_THROW(a->InsertComponent(a), EComponentError);
    EXPECT_EQ(a->Owner(), &second);

    second.RemoveComponent(a);  // given up, not freed
    EXPECT_EQ(a->Owner(), nullptr);
    EXPECT_TRUE(log.empty());
    delete a;
}

TEST(ComponentTest, DesigningAndLoadingStates) {
    std::vector<std::string> log;
    TComponent form(nullptr);
    auto* a = new TTracked(&form, "a", &log);
    form.SetDesigning(true);
    EXPECT_TRUE(a->ComponentState().Contains(csDesigning));
    auto* late = new TComponent(&form);
    EXPECT_TRUE(late->ComponentState().Contains(csDesigning));
    form.SetDesigning(false);
    EXPECT_TRUE(a->ComponentState().Empty());

    a->BeginLoading();
    EXPECT_EQ(a->ComponentState(), (TComponentState{csLoading, csReading}));
    a->EndLoading();
    EXPECT_TRUE(a->LoadedCalled);
    EXPECT_TRUE(a->ComponentState().Empty());
}

TEST(ObjectTest, ClassNameAndAssignError) {
    TComponent c(nullptr);
    EXPECT_EQ(c.ClassName(), "TComponent");
    TComponent d(nullptr);
    try {
        d.Assign(&c);
        ADD_FAILURE();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message, "Cannot assign a TComponent to a TComponent");
    }
    EXPECT_THROW(d.Assign(nullptr), EConvertError);
}

// --- published properties -------------------------------------------------

enum TAlign { alNone, alTop, alClient };

class TPanelLike : public TComponent {
public:
    using TComponent::TComponent;
    std::string Caption() const { return caption_; }
    void SetCaption(const std::string& v) { caption_ = v; }
    int Width() const { return width_; }
    void SetWidth(int v) { width_ = v; }
    bool Visible() const { return visible_; }
    void SetVisible(bool v) { visible_ = v; }
    double Ratio() const { return ratio_; }
    void SetRatio(double v) { ratio_ = v; }
    TAlign Align() const { return align_; }
    void SetAlign(TAlign v) { align_ = v; }
    int Version() const { return 7; }

private:
    std::string caption_;
    int width_ = 0;
    bool visible_ = true;
    double ratio_ = 0;
    TAlign align_ = alNone;
};

class TSpecialPanel : public TPanelLike {  // not registered itself
public:
    using TPanelLike::TPanelLike;
};

const bool g_panelPublished = [] {
    TPublished<TPanelLike, TComponent>()
        .String("Caption", &TPanelLike::Caption, &TPanelLike::SetCaption)
        .Integer("Width", &TPanelLike::Width, &TPanelLike::SetWidth)
        .Boolean("Visible", &TPanelLike::Visible, &TPanelLike::SetVisible)
        .Float("Ratio", &TPanelLike::Ratio, &TPanelLike::SetRatio)
        .Enumeration("Align", {"alNone", "alTop", "alClient"}, &TPanelLike::Align,
                     &TPanelLike::SetAlign)
        .Integer("Version", &TPanelLike::Version);
    return true;
}();

std::vector<std::string> Names(const TObject& obj) {
    std::vector<std::string> names;
    for (const TPropInfo* p : GetPropList(obj)) names.push_back(p->Name);
    return names;
}

TEST(PublishedTest, ListsBasePropertiesFirstAndResolvesUnregisteredSubclasses) {
    TPanelLike panel(nullptr);
    const std::vector<std::string> expected{"Name",  "Tag",   "Caption", "Width",
                                            "Visible", "Ratio", "Align",   "Version"};
    EXPECT_EQ(Names(panel), expected);
    TSpecialPanel special(nullptr);
    EXPECT_EQ(Names(special), expected);
    EXPECT_EQ(Names(TComponent(nullptr)), (std::vector<std::string>{"Name", "Tag"}));
    EXPECT_TRUE(IsPublishedProp(panel, "caption"));
    EXPECT_FALSE(IsPublishedProp(panel, "Height"));
}

TEST(PublishedTest, TextRoundTripsEveryKind) {
    TPanelLike panel(nullptr);
    struct Case {
        const char* prop;
        const char* text;
    };
    const Case cases[] = {{"Name", "Panel1"}, {"Tag", "-12"},      {"Caption", "Total: 3 €"},
                          {"Width", "640"},   {"Visible", "False"}, {"Ratio", "0.1"},
                          {"Ratio", "1e+300"}, {"Align", "alClient"}};
    for (const Case& c : cases) {
        SetPropText(panel, c.prop, c.text);
        EXPECT_EQ(GetPropText(panel, c.prop), c.text) << c.prop;
    }
    EXPECT_EQ(panel.Align(), alClient);
    EXPECT_EQ(panel.Name(), "Panel1");

    SetPropText(panel, "visible", "TRUE");  // names and booleans ignore case
    EXPECT_TRUE(panel.Visible());
    SetPropText(panel, "Align", "altop");
    EXPECT_EQ(GetEnumProp(panel, "Align"), "alTop");
    EXPECT_EQ(GetOrdProp(panel, "Align"), 1);
    SetOrdProp(panel, "Width", 12);
    EXPECT_EQ(GetOrdProp(panel, "Width"), 12);
    SetFloatProp(panel, "Ratio", 2.5);
    EXPECT_DOUBLE_EQ(GetFloatProp(panel, "Ratio"), 2.5);
}

TEST(PublishedTest, RejectsUnknownReadOnlyMistypedAndUnreadableValues) {
    TPanelLike panel(nullptr);
    panel.SetWidth(5);
    auto message = [&](auto fn) {
        try {
            fn();
        } catch (const EPropertyError& e) {
            return e.Message;
        }
        return std::string("no error");
    };
    EXPECT_EQ(message([&] { GetPropText(panel, "Height"); }), "Property Height does not exist");
    EXPECT_EQ(message([&] { SetPropText(panel, "Version", "8"); }), "Property Version is read-only");
    EXPECT_EQ(message([&] { SetPropText(panel, "Width", "12px"); }),
              "Invalid property value '12px' for Width");
    EXPECT_EQ(message([&] { SetPropText(panel, "Align", "alBottom"); }),
              "Invalid property value 'alBottom' for Align");
    for (const char* bad : {"", "yes", "1"})
        EXPECT_THROW(SetPropText(panel, "Visible", bad), EPropertyError) << bad;
    EXPECT_THROW(SetPropText(panel, "Ratio", "1,5"), EPropertyError);
    EXPECT_THROW(GetStrProp(panel, "Width"), EPropertyError);
    EXPECT_THROW(SetOrdProp(panel, "Align", 3), EPropertyError);
    EXPECT_EQ(panel.Width(), 5);
    EXPECT_EQ(panel.Align(), alNone);

    // Writing Name by name still validates it.
    EXPECT_THROW(SetStrProp(panel, "Name", "not valid"), EComponentError);
}

// A component with stored bytes, written only while it keeps data.
class TBlobHolder : public TComponent {
public:
    using TComponent::TComponent;
    std::string Data() const { return data_; }
    void SetData(const std::string& v) { data_ = v; }
    bool KeepData() const { return keep_; }
    void SetKeepData(bool v) { keep_ = v; }

private:
    std::string data_;
    bool keep_ = false;
};

const bool g_blobPublished = [] {
    TPublished<TBlobHolder, TComponent>()
        .Boolean("KeepData", &TBlobHolder::KeepData, &TBlobHolder::SetKeepData)
        .Binary("Data", &TBlobHolder::Data, &TBlobHolder::SetData, &TBlobHolder::KeepData);
    return true;
}();

TEST(PublishedTest, BinaryPropertiesTravelAsHexAndAreStoredOnlyWhenAsked) {
    TBlobHolder holder(nullptr);
    EXPECT_FALSE(IsStoredProp(holder, "Data"));
    EXPECT_TRUE(IsStoredProp(holder, "KeepData"));
    holder.SetKeepData(true);
    EXPECT_TRUE(IsStoredProp(holder, "data"));

    const std::string bytes("\x00\x01\xAB\xff\n", 5);
    SetBinaryProp(holder, "Data", bytes);
    EXPECT_EQ(holder.Data(), bytes);
    EXPECT_EQ(GetPropText(holder, "Data"), "0001ABFF0A");
    SetPropText(holder, "Data", "0a ff\r\n00");
    EXPECT_EQ(GetBinaryProp(holder, "Data"), std::string("\x0a\xff\x00", 3));
    SetPropText(holder, "Data", "");
    EXPECT_EQ(holder.Data(), "");

    for (const char* bad : {"0", "0G", "ABC", "0x00"})
        EXPECT_THROW(SetPropText(holder, "Data", bad), EPropertyError) << bad;
    EXPECT_EQ(holder.Data(), "");
    // Bytes and text are different kinds.
    EXPECT_THROW(GetStrProp(holder, "Data"), EPropertyError);
    EXPECT_THROW(GetBinaryProp(holder, "Name"), EPropertyError);
    EXPECT_THROW(SetPropValue(holder, "Data", Int64(1)), EPropertyError);
}

}  // namespace

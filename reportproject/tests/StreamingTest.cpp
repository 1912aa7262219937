// Project streams: primitives, blocks, and component records written and
// read back against a byte-exact golden record.
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>

#include <gtest/gtest.h>

#include "reportproject/VzCmHuff.h"
#include "reportproject/VzFiler.h"

namespace {

std::string Bytes(TMemoryStream& m) {
    std::string s(size_t(m.Size()), '\0');
    m.SetPosition(0);
    if (!s.empty()) m.ReadBuffer(s.data(), Integer(s.size()));
    return s;
}

// A small component with one property of each kind the records carry.
class TTestBox : public TVizeContainerComponent {
public:
    explicit TTestBox(TComponent* owner) : TVizeContainerComponent(owner) {}
    static TVizeClassRef StaticClass() {
        static TVizeClass* cls = [] {
            auto* c = new TVizeClass("TTestBox", TVizeContainerComponent::StaticClass(),
                                     [](TComponent* o) { return new TTestBox(o); }, true);
            TVizeProps<TTestBox>(*c)
                .Integer("Width", &TTestBox::GetWidth, &TTestBox::SetWidth)
                .Float("Left", &TTestBox::GetLeft, &TTestBox::SetLeft)
                .String("Caption", &TTestBox::GetCaption, &TTestBox::SetCaption)
                .Enumeration("Align", {"alNone", "alTop", "alClient"}, &TTestBox::GetAlign, &TTestBox::SetAlign)
                .Set("Borders", {"bdLeft", "bdTop", "bdRight", "bdBottom"}, &TTestBox::GetBorders,
                     &TTestBox::SetBorders)
                .Char("Mark", &TTestBox::GetMark, &TTestBox::SetMark)
                .Object<TVizeComponent>("Link", &TTestBox::GetLink, &TTestBox::SetLink);
            RegisterVizeClass(c);
            return c;
        }();
        return cls;
    }
    TVizeClassRef VizeClass() const override { return StaticClass(); }

    Integer GetWidth() const { return width; }
    void SetWidth(Int64 v) { width = Integer(v); }
    double GetLeft() const { return left; }
    void SetLeft(double v) { left = v; }
    std::string GetCaption() const { return caption; }
    void SetCaption(const std::string& v) { caption = v; }
    Int64 GetAlign() const { return align; }
    void SetAlign(Int64 v) { align = int(v); }
    Int64 GetBorders() const { return borders; }
    void SetBorders(Int64 v) { borders = int(v); }
    Int64 GetMark() const { return mark; }
    void SetMark(Int64 v) { mark = char(v); }
    TVizeComponent* GetLink() const { return link; }
    void SetLink(TVizeComponent* v) { link = v; }

    Integer width = 0;
    double left = 0;
    std::string caption;
    int align = 0, borders = 0;
    char mark = 0;
    TVizeComponent* link = nullptr;

    // Layout children (the container keeps its own list).
};

// Box1 with children Box2 (linked forward to Box3) and Box3 (linked back
// to Box1), all owned by Box1 as a page owns its controls.
struct Tree {
    TVizeContainerComponent owner{nullptr};
    TTestBox* box1;
    TTestBox* box2;
    TTestBox* box3;
    Tree() {
        owner.SetName("Report1");
        box1 = new TTestBox(&owner);
        box1->SetName("Box1");
        box2 = new TTestBox(box1);
        box2->SetName("Box2");
        box2->SetParent(box1);
        box3 = new TTestBox(box1);
        box3->SetName("Box3");
        box3->SetParent(box1);
        box1->width = -5;
        box1->left = 1.5;
        box1->caption = "Scores";
        box1->borders = 1 | 8;
        box2->width = 0x10000000;
        box2->align = 2;
        box2->mark = 'x';
        box2->link = box3;
        box3->width = 300;
        box3->link = box1;
    }
};

std::string GoldenPath() { return std::string(OMR_TEST_DATA) + "/component-record.bin"; }

}  // namespace

TEST(StreamHelper, IndexEncoding) {
    struct Case {
        Integer value;
        std::string bytes;
    };
    std::vector<Case> cases = {{0, std::string(1, '\0')},
                               {127, "\x7F"},
                               {128, "\x80\x80"},
                               {0x3FFF, "\xBF\xFF"},
                               {0x4000, std::string("\xC0\x40\x00", 3)},
                               {0x1FFFFF, "\xDF\xFF\xFF"},
                               {0x200000, std::string("\xE0\x20\x00\x00", 4)},
                               {0x1FFFFFFF, "\xFF\xFF\xFF\xFF"}};
    for (const Case& c : cases) {
        TMemoryStream m;
        TStreamHelper h(m);
        h.WriteIndex(c.value);
        EXPECT_EQ(Bytes(m), c.bytes) << c.value;
        m.SetPosition(0);
        EXPECT_EQ(h.ReadIndex(), c.value);
    }
}

TEST(StreamHelper, PrimitivesBlocksAndShortStreams) {
    for (Byte method : {cmStored, cmCompressed}) {
        TMemoryStream m;
        {
            TStreamHelper h(m);
            h.CompressionMethod = method;
            h.WriteString("head");
            h.BeginWriteBlock();
            h.WriteSmallInt(-2);
            h.WriteInt64(-3);
            h.WriteFloat(0.1);
            h.WriteString(std::string(300, 'a'));
            h.BeginWriteBlock();  // an empty nested block
            h.EndWriteBlock();
            h.EndWriteBlock();
            h.WriteString("");
            h.WriteString("tail");
        }
        TStreamHelper h(m);
        m.SetPosition(0);
        EXPECT_EQ(h.ReadString(), "head");
        h.BeginReadBlock();
        EXPECT_EQ(h.ReadSmallInt(), -2);
        EXPECT_EQ(h.ReadInt64(), -3);
        EXPECT_EQ(h.ReadFloat(), 0.1);
        EXPECT_EQ(h.ReadString(), std::string(300, 'a'));
        h.BeginReadBlock();
        EXPECT_TRUE(h.AtEnd());
        h.EndReadBlock();
        EXPECT_TRUE(h.AtEnd());
        h.EndReadBlock();
        EXPECT_EQ(h.ReadString(), "");
        EXPECT_EQ(h.ReadString(), "tail");
        EXPECT_THROW(h.ReadByte(), EReadError);
        // Skipping the block lands on what follows it.
        m.SetPosition(5);
        h.SkipBlock();
        EXPECT_EQ(h.ReadString(), "");
        EXPECT_EQ(h.ReadString(), "tail");
    }
    // A block size or string length beyond the stream is a read error.
    TMemoryStream bad;
    bad.WriteBuffer("\x00\xFF\xFF\x00\x00x", 6);
    TStreamHelper h(bad);
    bad.SetPosition(0);
    EXPECT_THROW(h.BeginReadBlock(), EReadError);
    bad.SetPosition(1);
    EXPECT_THROW(h.ReadString(), EReadError);
    // An unknown compression method is refused.
    TMemoryStream odd;
    odd.WriteBuffer("\x05\x01\x00\x00\x00z", 6);
    TStreamHelper o(odd);
    odd.SetPosition(0);
    EXPECT_THROW(o.BeginReadBlock(), EVizeException);
    // Skipping takes the method as one byte, whatever its value.
    TMemoryStream high;
    high.WriteBuffer("\x90\x01\x00\x00\x00z\x04tail", 11);
    TStreamHelper hs(high);
    high.SetPosition(0);
    hs.SkipBlock();
    EXPECT_EQ(hs.ReadString(), "tail");
}

// A set bit without a member name is left out; the properties after the
// set still read back.
TEST(ComponentRecord, SetMembersWithoutANameAreSkipped) {
    TTestBox::StaticClass();
    TVizeContainerComponent owner(nullptr);
    owner.SetName("Report1");
    auto* box = new TTestBox(&owner);
    box->SetName("Box1");
    box->borders = 1 | 4 | 64;
    box->mark = 'q';
    TMemoryStream m;
    {
        TStreamHelper h(m);
        TVizeWriter w(h);
        w.WriteComponent(box, true);
    }
    TVizeContainerComponent owner2(nullptr);
    owner2.SetName("Report1");
    auto* item = new TTestBox(&owner2);
    m.SetPosition(0);
    TStreamHelper h(m);
    TVizeReader r(h);
    ASSERT_TRUE(r.ReadRootItem(item));
    EXPECT_EQ(item->borders, 1 | 4);
    EXPECT_EQ(item->mark, 'q');
    EXPECT_TRUE(h.AtEnd());
}

TEST(ComponentRecord, WritesTheGoldenRecordAndReadsItBack) {
    TTestBox::StaticClass();
    Tree t;
    TMemoryStream m;
    {
        TStreamHelper h(m);
        TVizeWriter w(h);
        w.WriteComponent(t.box1, true);
    }
    std::string bytes = Bytes(m);
    if (std::getenv("OMR_UPDATE_GOLDEN")) {
        std::ofstream(GoldenPath(), std::ios::binary) << bytes;
    }
    std::ifstream in(GoldenPath(), std::ios::binary);
    std::string golden((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, golden);

    // Read into a fresh item of the same class under an owner of the same
    // name.
    TVizeContainerComponent owner(nullptr);
    owner.SetName("Report1");
    auto* item = new TTestBox(&owner);
    TStreamHelper h(m);
    m.SetPosition(0);
    TVizeReader r(h);
    ASSERT_TRUE(r.ReadRootItem(item));
    EXPECT_EQ(item->Name(), "Box1");
    EXPECT_EQ(item->width, -5);
    EXPECT_EQ(item->left, 1.5);
    EXPECT_EQ(item->caption, "Scores");
    EXPECT_EQ(item->borders, 9);
    ASSERT_EQ(item->ChildCount(), 2);
    auto* b2 = dynamic_cast<TTestBox*>(item->GetChild(0));
    auto* b3 = dynamic_cast<TTestBox*>(item->GetChild(1));
    ASSERT_TRUE(b2 && b3);
    EXPECT_EQ(b2->Name(), "Box2");
    EXPECT_EQ(b2->width, 0x10000000);
    EXPECT_EQ(b2->align, 2);
    EXPECT_EQ(b2->mark, 'x');
    EXPECT_EQ(b2->link, b3);  // read before Box3 existed
    EXPECT_EQ(b3->link, item);
    EXPECT_EQ(r.PendingReferences(), 0);
    EXPECT_TRUE(h.AtEnd());
}

TEST(ComponentRecord, UnknownClassesAndPropertiesAreSkipped) {
    TTestBox::StaticClass();
    // Box1 holding an unknown record (with a known child) and then Box9;
    // Box9 has an unknown property and a link that never resolves.
    TMemoryStream m;
    {
        TStreamHelper h(m);
        h.WriteByte(0);
        h.WriteString("TTestBox");
        h.WriteString("Box1");
        h.WriteByte(8);
        h.WriteString("");
        h.WriteIndex(2);
        h.WriteByte(0);
        h.WriteString("TGadget");
        h.WriteString("G1");
        h.WriteByte(8);
        h.WriteString("Speed");
        h.WriteByte(5);
        h.WriteFloat(2);
        h.WriteString("");
        h.WriteIndex(1);
        h.WriteByte(0);
        h.WriteString("TTestBox");
        h.WriteString("Inner");
        h.WriteByte(8);
        h.WriteString("");
        h.WriteIndex(0);
        h.WriteByte(0);
        h.WriteString("TTestBox");
        h.WriteString("Box9");
        h.WriteByte(8);
        h.WriteString("Colour");
        h.WriteByte(7);
        h.WriteString("red");
        h.WriteString("");
        h.WriteString("Link");
        h.WriteByte(0);
        h.WriteString("*Nowhere");
        h.WriteString("Width");
        h.WriteByte(2);
        h.WriteIndex(7);
        h.WriteString("");
        h.WriteIndex(0);
    }
    std::vector<std::string> messages;
    auto shown = VizeUnknownClassMessage();
    VizeUnknownClassMessage() = [&](const std::string& msg) { messages.push_back(msg); };
    TVizeContainerComponent owner(nullptr);
    owner.SetName("Report1");
    auto* item = new TTestBox(&owner);
    TStreamHelper h(m);
    m.SetPosition(0);
    TVizeReader r(h);
    ASSERT_TRUE(r.ReadRootItem(item));
    VizeUnknownClassMessage() = shown;
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0],
              "Unknown class \"TGadget\" found.  You will need to include the unit containing this component to "
              "your uses clause.");
    ASSERT_EQ(item->ChildCount(), 1);
    auto* b9 = dynamic_cast<TTestBox*>(item->GetChild(0));
    ASSERT_NE(b9, nullptr);
    EXPECT_EQ(b9->width, -7);
    EXPECT_EQ(item->FindComponent("Inner"), nullptr);
    EXPECT_EQ(r.PendingReferences(), 1);
    r.ApplyFixups();
    EXPECT_EQ(b9->link, nullptr);
    EXPECT_TRUE(h.AtEnd());
}

namespace {

// A component that keeps raw bytes as a defined property.
class TTestNote : public TVizeComponent, public IVizeDefinesProperties {
public:
    explicit TTestNote(TComponent* owner) : TVizeComponent(owner) {}
    static TVizeClassRef StaticClass() {
        static TVizeClass* cls = [] {
            auto* c = new TVizeClass("TTestNote", TVizeComponent::StaticClass(),
                                     [](TComponent* o) { return new TTestNote(o); }, true);
            RegisterVizeClass(c);
            return c;
        }();
        return cls;
    }
    TVizeClassRef VizeClass() const override { return StaticClass(); }
    void DefineProperties(TVizeFiler& filer) override {
        filer.DefineBinaryProperty(
            "Data",
            [this](TStream& s) {
                data.assign(size_t(s.Size()), '\0');
                if (!data.empty()) s.ReadBuffer(data.data(), Integer(data.size()));
                read = true;
            },
            [this](TStream& s) {
                if (!data.empty()) s.WriteBuffer(data.data(), Integer(data.size()));
            },
            hasData);
    }
    std::string data;
    bool hasData = true;
    bool read = false;
};

}  // namespace

TEST(ComponentRecord, DefinedPropertiesCarryTheirBytes) {
    TTestNote::StaticClass();
    for (std::string payload : {std::string("raw\0bytes", 9), std::string()}) {
        TVizeContainerComponent owner(nullptr);
        owner.SetName("P");
        auto* n = new TTestNote(&owner);
        n->SetName("Note1");
        n->data = payload;
        TMemoryStream m;
        {
            TStreamHelper h(m);
            TVizeWriter w(h);
            w.WriteComponent(n, false);
            h.WriteString("after");
        }
        std::string expect = std::string("\0\x09TTestNote\x05Note1\x08\x04" "Data", 23) + char(payload.size()) +
                             payload + std::string("\0\0\x05" "after", 8);
        EXPECT_EQ(Bytes(m), expect);
        TVizeContainerComponent owner2(nullptr);
        owner2.SetName("P");
        auto* back = new TTestNote(&owner2);
        TStreamHelper h(m);
        m.SetPosition(0);
        TVizeReader r(h);
        ASSERT_TRUE(r.ReadRootItem(back));
        EXPECT_TRUE(back->read);
        EXPECT_EQ(back->data, payload);
        EXPECT_EQ(h.ReadString(), "after");  // nothing beyond the count consumed
    }
    // Without data nothing is written for the property.
    TTestNote quiet(nullptr);
    quiet.hasData = false;
    TMemoryStream m;
    TStreamHelper h(m);
    TVizeWriter w(h);
    w.WriteProperties(quiet);
    EXPECT_EQ(Bytes(m), std::string("\x08\x00", 2));
}

TEST(ComponentReferences, OwnerPrefixAndMasterMark) {
    TVizeContainerComponent project(nullptr);
    project.SetName("Project");
    TVizeContainerComponent page1(&project), page2(&project);
    page1.SetName("Page1");
    page2.SetName("Page2");
    struct TMaster : TVizeComponent {
        using TVizeComponent::TVizeComponent;
        bool IsMasterItem() const override { return true; }
    };
    auto* local = new TVizeComponent(&page1);
    local->SetName("Local");
    auto* other = new TVizeComponent(&page2);
    other->SetName("Other");
    auto* master = new TMaster(&page2);
    master->SetName("Master");
    EXPECT_EQ(VizeReferenceName(local, &page1), "Local");
    EXPECT_EQ(VizeReferenceName(other, &page1), "Page2.Other");
    EXPECT_EQ(VizeReferenceName(master, &page1), "*Page2.Master");
    EXPECT_EQ(VizeReferenceName(&page2, &page1), "Page2");  // owned by the project
}

// A record cut short inside Box3's properties: the reader's error path
// frees Box3, which Box2 already links to and which itself waits for Box4.
TEST(ComponentReferences, AFreedComponentLeavesNoLinkOrPendingReference) {
    TTestBox::StaticClass();
    Tree t;
    auto* box4 = new TTestBox(t.box1);
    box4->SetName("Box4");
    box4->SetParent(t.box1);
    t.box3->link = box4;
    TMemoryStream m;
    {
        TStreamHelper h(m);
        TVizeWriter w(h);
        w.WriteComponent(t.box1, true);
    }
    std::string bytes = Bytes(m);
    size_t box3 = bytes.rfind("\x04" "Box3");
    size_t link = bytes.find("\x04" "Link", box3);
    ASSERT_NE(link, std::string::npos);
    bytes.resize(link + 5 + 1 + 5);  // up to the end of the reference to Box4
    TMemoryStream cut;
    cut.WriteBuffer(bytes.data(), Integer(bytes.size()));
    cut.SetPosition(0);

    TVizeContainerComponent owner(nullptr);
    owner.SetName("Report1");
    auto* item = new TTestBox(&owner);
    TStreamHelper h(cut);
    TVizeReader r(h);
    EXPECT_ANY_THROW(r.ReadRootItem(item));
    ASSERT_EQ(item->ChildCount(), 1);
    auto* b2 = dynamic_cast<TTestBox*>(item->GetChild(0));
    ASSERT_NE(b2, nullptr);
    EXPECT_EQ(b2->link, nullptr);
    EXPECT_EQ(r.PendingReferences(), 0);
    r.ApplyFixups();

    // Freed later, by anyone: the link read from the stream is cleared too.
    TVizeContainerComponent owner2(nullptr);
    owner2.SetName("Report1");
    auto* b1 = new TTestBox(&owner2);
    TMemoryStream whole;
    {
        TStreamHelper wh(whole);
        TVizeWriter w(wh);
        w.WriteComponent(t.box1, true);
    }
    whole.SetPosition(0);
    TStreamHelper h2(whole);
    TVizeReader r2(h2);
    ASSERT_TRUE(r2.ReadRootItem(b1));
    auto* c2 = dynamic_cast<TTestBox*>(b1->GetChild(0));
    ASSERT_TRUE(c2 && c2->link);
    delete c2->link;
    EXPECT_EQ(c2->link, nullptr);
}

namespace {
// A list item with one property; TGhostItem is never registered, so a
// reader meets it as an unknown class.
class TTestItem : public TVizePersistent {
public:
    static TVizeClassRef StaticClass() {
        static TVizeClass* cls = [] {
            auto* c = new TVizeClass("TTestItem", TVizePersistent::StaticClass(),
                                     [](TComponent*) { return new TTestItem; }, false);
            TVizeProps<TTestItem>(*c).String("Text", &TTestItem::GetText, &TTestItem::SetText);
            RegisterVizeClass(c);
            return c;
        }();
        return cls;
    }
    TVizeClassRef VizeClass() const override { return StaticClass(); }
    std::string GetText() const { return text; }
    void SetText(const std::string& v) { text = v; }
    std::string text;
};
class TGhostItem : public TTestItem {
public:
    static TVizeClassRef StaticClass() {
        static const TVizeClass cls("TGhostItem", TTestItem::StaticClass(), nullptr, false);
        return &cls;
    }
    TVizeClassRef VizeClass() const override { return StaticClass(); }
};

class TListBox : public TVizeContainerComponent {
public:
    explicit TListBox(TComponent* owner) : TVizeContainerComponent(owner) {}
    static TVizeClassRef StaticClass() {
        static TVizeClass* cls = [] {
            auto* c = new TVizeClass("TListBox", TVizeContainerComponent::StaticClass(),
                                     [](TComponent* o) { return new TListBox(o); }, true);
            TVizeProps<TListBox>(*c)
                .Object<TVizeComponentList>("Targets", &TListBox::GetTargets, &TListBox::SetTargets)
                .Object<TVizePersistentList>("Items", &TListBox::GetItems, &TListBox::SetItems);
            RegisterVizeClass(c);
            return c;
        }();
        return cls;
    }
    TVizeClassRef VizeClass() const override { return StaticClass(); }
    TVizeComponentList* GetTargets() { return &targets; }
    void SetTargets(TVizeComponentList* v) {
        if (v) targets.Assign(*v); else targets.Clear();
    }
    TVizePersistentList* GetItems() { return &items; }
    void SetItems(TVizePersistentList*) {}
    TVizeComponentList targets;
    TVizePersistentList items;
};
}  // namespace

// A component list naming one component read later and one read before,
// and a persistent list whose middle item is of an unknown class.
TEST(ComponentRecord, ComponentAndPersistentListsRoundTrip) {
    TListBox::StaticClass();
    TTestItem::StaticClass();
    TVizeContainerComponent owner(nullptr);
    owner.SetName("Report1");
    auto* root = new TListBox(&owner);
    root->SetName("Root");
    auto* first = new TListBox(root);
    first->SetName("First");
    first->SetParent(root);
    auto* later = new TListBox(root);
    later->SetName("Later");
    later->SetParent(root);
    first->targets.Add(later);
    first->targets.Add(root);
    for (const char* t : {"one", "ghost", "three"}) {
        TTestItem* item = std::string(t) == "ghost" ? new TGhostItem : new TTestItem;
        item->text = t;
        first->items.Add(item);
    }
    TMemoryStream m;
    {
        TStreamHelper h(m);
        TVizeWriter w(h);
        w.WriteComponent(root, true);
    }
    TVizeContainerComponent owner2(nullptr);
    owner2.SetName("Report1");
    auto* back = new TListBox(&owner2);
    m.SetPosition(0);
    TStreamHelper h(m);
    TVizeReader r(h);
    ASSERT_TRUE(r.ReadRootItem(back));
    EXPECT_TRUE(h.AtEnd());
    ASSERT_EQ(back->ChildCount(), 2);
    auto* first2 = dynamic_cast<TListBox*>(back->GetChild(0));
    auto* later2 = dynamic_cast<TListBox*>(back->GetChild(1));
    ASSERT_TRUE(first2 && later2);
    ASSERT_EQ(first2->targets.Count(), 2);
    EXPECT_EQ(first2->targets.Items(0), later2);  // resolved when Later was read
    EXPECT_EQ(first2->targets.Items(1), back);
    ASSERT_EQ(first2->items.Count(), 2);
    EXPECT_EQ(dynamic_cast<TTestItem*>(first2->items.Items(0))->text, "one");
    EXPECT_EQ(dynamic_cast<TTestItem*>(first2->items.Items(1))->text, "three");
    // A listed component that is freed leaves the list.
    delete later2;
    ASSERT_EQ(first2->targets.Count(), 1);
    EXPECT_EQ(first2->targets.Items(0), back);
}

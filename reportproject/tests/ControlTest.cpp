// Report controls and pages: anchored resizing, page size and paper,
// the print pass (output kinds, nesting, page fit, mirrors) and a page's
// own stream.
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "report/VSFWriter.h"
#include "reportproject/VzControl.h"
#include "reportproject/VzFiler.h"

namespace {

// A control that records where it printed and with which output kinds.
class TMark : public TVizeContainerControl {
public:
    explicit TMark(TComponent* owner) : TVizeContainerControl(owner) {}
    static TVizeClassRef StaticClass() {
        static TVizeClass* cls = [] {
            auto* c = new TVizeClass("TMark", TVizeContainerControl::StaticClass(),
                                     [](TComponent* o) { return new TMark(o); }, true);
            TVizeProps<TMark>(*c).String("Caption", &TMark::GetCaption, &TMark::SetCaption);
            RegisterVizeClass(c);
            return c;
        }();
        return cls;
    }
    TVizeClassRef VizeClass() const override { return StaticClass(); }
    std::string GetCaption() const { return caption; }
    void SetCaption(const std::string& v) { caption = v; }
    void PrintSelf(TBaseReport*) override { printed.push_back({PageLeft(), PageTop()}); }

    std::string caption;
    std::vector<std::pair<double, double>> printed;
};

// A control of another class line than TMark.
class TOther : public TVizeControl {
public:
    using TVizeControl::TVizeControl;
    static TVizeClassRef StaticClass() {
        static const TVizeClass cls("TOther", TVizeControl::StaticClass(), nullptr, true);
        return &cls;
    }
    TVizeClassRef VizeClass() const override { return StaticClass(); }
};

TMark* Mark(TVizeComponent* parent, TComponent* owner, const char* name, TVizeRect r) {
    auto* m = new TMark(owner);
    m->SetName(name);
    m->SetParent(parent);
    m->SetBoundsRect(r);
    return m;
}

}  // namespace

TEST(Controls, AnchorsFollowTheParentsResize) {
    struct Case {
        int anchor;
        double newWidth;
        double left, width;  // expected
    };
    // Parent 4 wide; child at 1, 1 wide.
    const Case cases[] = {
        {anStay, 6, 1, 1},          {anFarEdge, 6, 3, 1}, {anCentre, 6, 2, 1},
        {anStretch, 6, 1, 3},       {anScale, 8, 2, 2},   {anSpread, 7, 2, 1},  // free space 3 -> 6
        {anFarEdge, 4.00005, 1, 1},  // within the length tolerance: nothing changes
    };
    for (const Case& c : cases) {
        TVizePage page(nullptr);
        auto* parent = Mark(&page, &page, "Parent", {0, 0, 4, 4});
        auto* child = Mark(parent, &page, "Child", {1, 1, 2, 2});
        child->SetAnchor(c.anchor);
        parent->SetWidth(c.newWidth);
        EXPECT_NEAR(child->GetLeft(), c.left, 1e-9) << c.anchor;
        EXPECT_NEAR(child->GetWidth(), c.width, 1e-9) << c.anchor;
        // The vertical anchor acts on top and height alike.
        child->SetAnchor(c.anchor << 4);
        double top = child->GetTop(), height = child->GetHeight();
        parent->SetHeight(c.newWidth);
        EXPECT_NEAR(child->GetTop(), top + (c.left - 1), 1e-9) << c.anchor;
        EXPECT_NEAR(child->GetHeight(), height + (c.width - 1), 1e-9) << c.anchor;
    }
    // Scaling from a parent of width 0 changes nothing.
    TVizePage page(nullptr);
    auto* flat = Mark(&page, &page, "Flat", {0, 0, 0, 1});
    auto* inner = Mark(flat, &page, "Inner", {0.5, 0, 1, 1});
    inner->SetAnchor(anScale);
    flat->SetWidth(2);
    EXPECT_EQ(inner->GetLeft(), 0.5);
    EXPECT_EQ(inner->GetWidth(), 0.5);
}

TEST(Pages, SizePaperAndOrientation) {
    TVizePage page(nullptr);
    page.SetOrientation(poPortrait);
    EXPECT_EQ(page.PageWidth(), 8.5);  // default to portrait swaps nothing
    page.SetOrientation(poLandScape);
    EXPECT_EQ(page.PageWidth(), 11.0);
    EXPECT_EQ(page.PageHeight(), 8.5);
    page.SetOrientation(poPortrait);
    page.SetPaperSize(9);  // A4
    EXPECT_NEAR(page.PageWidth(), 8.2677, 1e-3);
    EXPECT_NEAR(page.PageHeight(), 11.6929, 1e-3);
    page.SetPaperSize(9999);
    EXPECT_EQ(page.PaperSize(), 9999);
    EXPECT_NEAR(page.PageWidth(), 8.2677, 1e-3);
    page.SetPageWidth(0);
    EXPECT_NEAR(page.PageWidth(), 8.2677, 1e-3);
    EXPECT_EQ(page.PaperSize(), 9999);
    page.SetPageWidth(5);
    EXPECT_EQ(page.PageWidth(), 5);
    EXPECT_EQ(page.PaperSize(), 256);
}

TEST(Printing, OutputKindsNestingAndPageFit) {
    TVzVSFWriter report(nullptr);
    TVizePage page(nullptr);
    page.SetWasteFit(true);
    auto* section = Mark(&page, &page, "Section", {1, 1, 3, 3});
    section->SetDisplayOn(doPreviewOnly);
    auto* inner = Mark(section, &page, "Inner", {0, 0, 1, 1});
    auto* hidden = Mark(section, &page, "Hidden", {0, 0, 1, 1});
    hidden->SetVisible(false);
    double pageWidth = report.UnitsToInchesX(report.GetPageWidth());
    auto* wide = Mark(&page, &page, "Wide", {1, 1, pageWidth + 2, 2});
    page.SaveDesignState();

    page.Print(&report);
    EXPECT_EQ(inner->DisplayOn(), doPreviewOnly);  // resolved from its parent and kept
    EXPECT_EQ(wide->DisplayOn(), doAll);
    EXPECT_EQ(inner->printed.size(), 1u);
    EXPECT_TRUE(hidden->printed.empty());
    // An invisible control that skips its after-print step still leaves
    // the nesting where it found it.
    EXPECT_EQ(hidden->PrintNesting(), 0);
    EXPECT_EQ(section->PrintNesting(), 0);
    double right = pageWidth - (report.UnitsToInchesX(report.GetRightWaste()) + 0.01);
    EXPECT_NEAR(wide->GetRight(), right, 1e-9);
    // The next pass starts again from the design geometry.
    page.Print(&report);
    EXPECT_NEAR(wide->GetRight(), right, 1e-9);
    EXPECT_EQ(hidden->PrintNesting(), 0);
}

TEST(Mirrors, CopyPropertiesAndPrintTheMastersChildrenInPlace) {
    TVzVSFWriter report(nullptr);
    TVizePage page(nullptr);
    auto* master = Mark(&page, &page, "Master", {1, 1, 3, 2});
    master->caption = "total";
    auto* label = Mark(master, &page, "Label", {0.5, 0.25, 1, 0.5});
    auto* copy = Mark(&page, &page, "Copy", {1, 5, 2, 6});
    copy->SetMirror(master);
    page.SaveDesignState();
    EXPECT_EQ(copy->caption, "total");  // copied
    EXPECT_EQ(copy->GetTop(), 5);       // but the place stays its own
    master->SetCaption("sum");
    master->Reflect();
    EXPECT_EQ(copy->caption, "sum");

    page.Print(&report);
    ASSERT_EQ(label->printed.size(), 2u);
    EXPECT_NEAR(label->printed[0].second, 1.25, 1e-9);  // under the master
    EXPECT_NEAR(label->printed[1].second, 5.25, 1e-9);  // at the mirror's place
    EXPECT_NEAR(label->PageTop(), 1.25, 1e-9);          // offset back to 0

    // A master of an unrelated class is refused.
    auto* other = new TOther(&page);
    copy->SetMirror(other);
    EXPECT_EQ(copy->Mirror(), master);
    // A chain that comes back is refused, and so is a mirror inside its
    // own master (either way every walk up the chain would never end).
    master->SetMirror(copy);
    EXPECT_EQ(master->Mirror(), nullptr);
    EXPECT_THROW(copy->SetParent(label), EVizeClass);
    EXPECT_EQ(copy->Parent(), &page);
    auto* inside = Mark(label, &page, "Inside", {0, 0, 1, 1});
    inside->SetMirror(master);
    EXPECT_EQ(inside->Mirror(), nullptr);
    // Freeing the master clears the mirror.
    delete master;
    EXPECT_EQ(copy->Mirror(), nullptr);
}

TEST(Pages, APageStreamRoundTrips) {
    TMark::StaticClass();
    InitializeVzClass();
    InitializeVzControl();
    for (const TVizeRegistration& r : RegistrationList()) r.Procedure();
    TVizeContainerComponent report(nullptr);
    report.SetName("Report1");
    auto* page = new TVizePage(&report);
    page->SetName("Page1");
    page->SetOrientation(poLandScape);
    page->SetPageWidth(12);
    auto* master = Mark(page, page, "Master", {1, 1, 3, 2});
    Mark(master, page, "Label", {0.5, 0.25, 1, 0.5});
    auto* copy = Mark(page, page, "Copy", {1, 5, 2, 6});
    master->SetAnchor((anStretch << 4) | anCentre);
    // The mirror is written before its master's record: read forward.
    copy->SetMirror(master);
    page->MoveChild(copy, mkSendToBack);
    TMemoryStream m;
    page->SaveToStream(m);

    TVizeContainerComponent report2(nullptr);
    report2.SetName("Report1");
    auto* back = new TVizePage(&report2);
    m.SetPosition(0);
    back->LoadFromStream(m);
    EXPECT_EQ(back->Name(), "Page1");
    EXPECT_EQ(back->PageWidth(), 12);
    EXPECT_EQ(back->PageHeight(), 8.5);
    EXPECT_EQ(back->Orientation(), poLandScape);
    ASSERT_EQ(back->ChildCount(), 2);
    auto* copy2 = dynamic_cast<TMark*>(back->GetChild(0));
    auto* master2 = dynamic_cast<TMark*>(back->GetChild(1));
    ASSERT_TRUE(copy2 && master2);
    EXPECT_EQ(copy2->Name(), "Copy");
    EXPECT_EQ(copy2->Mirror(), master2);
    // The mirror takes the master's size and anchor, keeps its place.
    EXPECT_EQ(master2->Anchor(), (anStretch << 4) | anCentre);
    EXPECT_EQ(copy2->Anchor(), master2->Anchor());
    EXPECT_EQ(copy2->GetLeft(), 1);
    EXPECT_EQ(copy2->GetTop(), 5);
    EXPECT_EQ(copy2->GetWidth(), 2);
    EXPECT_EQ(master2->ChildCount(), 1);
}

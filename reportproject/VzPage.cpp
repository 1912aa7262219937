// Pages: size, paper, orientation, the page print pass and the page's own
// stream.
#include <algorithm>
#include <cmath>

#include "platform/core/Streams.h"
#include "report/BaseReport.h"
#include "report/ReportDefs.h"
#include "reportproject/VzControl.h"
#include "reportproject/VzFiler.h"
#include "reportproject/VzProj.h"

namespace {
constexpr double Tolerance = 0.0001;
constexpr Integer CustomPaper = 256;
// The printable area keeps this far inside the device's margins.
constexpr double WasteGap = 0.01;
void ReflectAll(TVizeComponent* c) {
    for (int i = 0; i < c->ChildCount(); ++i) {
        TVizeComponent* child = c->GetChild(i);
        if (auto* control = dynamic_cast<TVizeControl*>(child); control && control->MirrorCount() > 0)
            control->Reflect();
        ReflectAll(child);
    }
}
}  // namespace

TVizeClassRef TVizePage::StaticClass() {
    static TVizeClass* cls = [] {
        auto* c = new TVizeClass("TVizePage", TVizeProjectItem::StaticClass(),
                                 [](TComponent* owner) { return new TVizePage(owner); }, true);
        TVizeProps<TVizePage>(*c)
            // Orientation first: reading it back swaps the default size,
            // and the stored size that follows is then already turned.
            .Enumeration("Orientation", {"poPortrait", "poLandScape", "poDefault"}, &TVizePage::Orientation,
                         &TVizePage::SetOrientation, NoDefault)
            .Float("PageWidth", &TVizePage::PageWidth, &TVizePage::SetPageWidth)
            .Float("PageHeight", &TVizePage::PageHeight, &TVizePage::SetPageHeight)
            .StoredIf([](TVizePage& p) { return p.PaperSize() == CustomPaper || p.PaperSize() == -1; })
            .Integer("PaperSize", &TVizePage::PaperSize, &TVizePage::SetPaperSize, NoDefault)
            .Integer("Bin", &TVizePage::Bin, &TVizePage::SetBin, NoDefault)
            .String("BinCustom", &TVizePage::BinCustom, &TVizePage::SetBinCustom)
            .Enumeration("GotoMode", {"gmGotoDone", "gmGotoNotDone", "gmCallEach"}, &TVizePage::GotoMode,
                         &TVizePage::SetGotoMode)
            .Object<TVizePage>("GotoPage", &TVizePage::GotoPage, &TVizePage::SetGotoPage)
            .Integer("GridLines", &TVizePage::GridLines, &TVizePage::SetGridLines, NoDefault)
            .Float("GridSpacing", &TVizePage::GridSpacing, &TVizePage::SetGridSpacing)
            .Boolean("WasteFit", &TVizePage::WasteFit, &TVizePage::SetWasteFit);
        return c;
    }();
    return cls;
}

TVizePage::TVizePage(TComponent* owner) : TVizeProjectItem(owner) {
    SetPageRef(this);
    global_ = dynamic_cast<TVizeProjectManager*>(owner) != nullptr;
    if (Project()) gridSpacing_ = 0.1 / Project()->UnitsFactor();
}

void TVizePage::PrepareItem(Integer a, Integer b) {
    if (VizeHooks().ItemPrepare) VizeHooks().ItemPrepare(this, a, b);
}

void TVizePage::ResizeControls(bool widthChanged, bool heightChanged, double newH, double oldH, double newW,
                               double oldW) {
    for (int i = 0; i < ChildCount(); ++i)
        if (auto* c = dynamic_cast<TVizeControl*>(GetChild(i)))
            c->AnchorResize(widthChanged, heightChanged, newH, oldH, newW, oldW);
}

void TVizePage::SetPageWidth(double x) {
    if (x <= Tolerance) return;
    double old = pageWidth_;
    pageWidth_ = x;
    paperSize_ = CustomPaper;
    Refresh();
    ResizeControls(true, false, pageHeight_, pageHeight_, x, old);
}

void TVizePage::SetPageHeight(double x) {
    if (x <= Tolerance) return;
    double old = pageHeight_;
    pageHeight_ = x;
    paperSize_ = CustomPaper;
    Refresh();
    ResizeControls(false, true, x, old, pageWidth_, pageWidth_);
}

void TVizePage::SetOrientation(Int64 o) {
    if (o == orientation_) return;
    if (o == poLandScape || orientation_ == poLandScape) {
        double oldW = pageWidth_, oldH = pageHeight_;
        std::swap(pageWidth_, pageHeight_);
        ResizeControls(true, true, pageHeight_, oldH, pageWidth_, oldW);
        Refresh();
    }
    orientation_ = int(o);
}

void TVizePage::SetPaperSize(Int64 code) {
    if (code == paperSize_) return;
    double oldW = pageWidth_, oldH = pageHeight_;
    if (const TPaperSizeRow* row = FindPaperSize(int(code))) {
        bool landscape = orientation_ == poLandScape;
        if (row->Width != 0) (landscape ? pageHeight_ : pageWidth_) = row->Width;
        if (row->Height != 0) (landscape ? pageWidth_ : pageHeight_) = row->Height;
    }
    paperSize_ = Integer(code);
    ResizeControls(true, true, pageHeight_, oldH, pageWidth_, oldW);
    Refresh();
}

void TVizePage::SetGridLines(Int64 v) {
    if (v == gridLines_) return;
    gridLines_ = Integer(v);
    Refresh();
}

void TVizePage::SetGridSpacing(double v) {
    if (std::fabs(v - gridSpacing_) <= Tolerance) return;
    gridSpacing_ = v;
    Refresh();
}

void TVizePage::Print(TBaseReport* report) {
    BeforePrint();
    try {
        if (!IsVisible()) {
            LeavePrint();
            return;
        }
        RestoreDesignState();
        if (wasteFit_) {
            double l = report->UnitsToInchesX(report->GetLeftWaste()) + WasteGap;
            double t = report->UnitsToInchesY(report->GetTopWaste()) + WasteGap;
            double r = report->UnitsToInchesX(report->GetPageWidth()) -
                       (report->UnitsToInchesX(report->GetRightWaste()) + WasteGap);
            double b = report->UnitsToInchesY(report->GetPageHeight()) -
                       (report->UnitsToInchesY(report->GetBottomWaste()) + WasteGap);
            for (int i = 0; i < ChildCount(); ++i) {
                auto* c = dynamic_cast<TVizeControl*>(GetChild(i));
                if (!c) continue;
                TVizeRect box = c->GetBoundsRect();
                TVizeRect fit{std::max(box.Left, l), std::max(box.Top, t), std::min(box.Right, r),
                              std::min(box.Bottom, b)};
                if (fit.Left != box.Left || fit.Top != box.Top || fit.Right != box.Right ||
                    fit.Bottom != box.Bottom)
                    c->SetBoundsRect(fit);
            }
        }
        SaveAdjustedState();
        for (int i = 0; i < ChildCount(); ++i) {
            report->AllowAll();
            GetChild(i)->Print(report);
        }
    } catch (...) {
        AfterPrint();
        throw;
    }
    AfterPrint();
}

void TVizePage::ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) {
    TVizeProjectItem::ReplaceReference(oldRef, newRef);
    if (oldRef && oldRef == gotoPage_) gotoPage_ = dynamic_cast<TVizePage*>(newRef);
}

void TVizePage::SaveToStream(TStream& stream) {
    TStreamHelper helper(stream);
    TVizeWriter writer(helper);
    writer.WriteComponent(this, true);
}

void TVizePage::LoadFromStream(TStream& stream) {
    TStreamHelper helper(stream);
    TVizeReader reader(helper);
    reader.UseProject(Project());
    reader.AddComponents = global_;
    reader.ReadRootItem(this);
    // References left waiting resolve against the whole page now.
    reader.ApplyFixups();
    // A mirror linked while its master was being read copied the master
    // before the master's own values arrived: copy again now.
    ReflectAll(this);
}

void TVizePage::AssignTo(TPersistent* dest) const {
    auto* page = dynamic_cast<TVizePage*>(dest);
    if (!page) {
        TVizeProjectItem::AssignTo(dest);
        return;
    }
    std::string name = Name();
    const_cast<TVizePage*>(this)->DoSetName("");
    page->DoSetName(name);
    page->SetTag(Tag());
    page->pageWidth_ = pageWidth_;
    page->pageHeight_ = pageHeight_;
}

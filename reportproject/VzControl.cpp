#include "reportproject/VzControl.h"

#include <algorithm>
#include <cmath>

#include "platform/gui/Canvas.h"
#include "report/BaseReport.h"
#include "report/ReportDefs.h"
#include "reportproject/VzEvents.h"
#include "reportproject/VzUtil.h"

const TVizeBinName VizeBinNames[VizeBinCount] = {
    {"Default", -1},      {"Upper/Primary Tray", 1}, {"Lower Tray", 2},      {"Middle Tray", 3},
    {"Manual Feed", 4},   {"Envelope", 5},           {"Envelope Manual Feed", 6},
    {"Auto Select", 7},   {"Tractor Feed", 8},       {"SmallFmt", 9},        {"LargeFmt", 10},
    {"Large Capacity", 11}, {"Cassette", 14},        {"Form Source", 15}};

namespace {
constexpr double Tolerance = 0.0001;
bool Differs(double a, double b) { return std::fabs(a - b) > Tolerance; }
}  // namespace

namespace {
// True when c is outer or lies inside it.
bool IsWithin(const TVizeComponent* c, const TVizeComponent* outer) {
    for (; c; c = c->Parent())
        if (c == outer) return true;
    return false;
}
}  // namespace

TVizeComponent*& VizeCurrentPrintBand() {
    static TVizeComponent* band = nullptr;
    return band;
}

TVizeClassRef TVizeControl::StaticClass() {
    static TVizeClass* cls = [] {
        auto* c = new TVizeClass("TVizeControl", TVizeComponent::StaticClass(),
                                 [](TComponent* owner) { return new TVizeControl(owner); }, true);
        // Geometry before the anchor: a far-edge anchor must not move a
        // control while its stored geometry is read back.
        TVizeProps<TVizeControl>(*c)
            .Object<TVizeControl>("Mirror", &TVizeControl::Mirror, &TVizeControl::SetMirror)
            .Float("Left", &TVizeControl::GetLeft, &TVizeControl::SetLeft)
            .Float("Top", &TVizeControl::GetTop, &TVizeControl::SetTop)
            .Float("Width", &TVizeControl::GetWidth, &TVizeControl::SetWidth)
            .Float("Height", &TVizeControl::GetHeight, &TVizeControl::SetHeight)
            .Enumeration("DisplayOn", {"doParent", "doAll", "doPreviewOnly", "doPrinterOnly"},
                         &TVizeControl::DisplayOn, &TVizeControl::SetDisplayOn)
            .Integer("Anchor", &TVizeControl::Anchor, &TVizeControl::SetAnchor);
        return c;
    }();
    return cls;
}

TVizeClassRef TVizeContainerControl::StaticClass() {
    static const TVizeClass cls("TVizeContainerControl", TVizeControl::StaticClass(),
                                [](TComponent* owner) { return new TVizeContainerControl(owner); }, true);
    return &cls;
}

TVizeControl::TVizeControl(TComponent* owner) : TVizeComponent(owner) {}

TVizeControl::~TVizeControl() {
    Destroying();
    // Mirrors and master forget this control now, while it is whole.
    for (TVizeControl* m : mirrors_) m->mirror_ = nullptr;
    mirrors_.clear();
    if (mirror_) mirror_->RemoveMirror(this);
    mirror_ = nullptr;
}

// ------------------------------------------------------------ mirrors

void TVizeControl::SetParent(TVizeComponent* newParent) {
    // Inside one of its own masters a control would print, restore and
    // measure itself through its master for ever.
    for (const TVizeControl* m = mirror_; m; m = m->mirror_)
        if (IsWithin(newParent, m))
            throw EVizeClass(Trans("A control cannot be placed inside the control it mirrors."));
    TVizeComponent::SetParent(newParent);
}

void TVizeControl::SetMirror(TVizeControl* master) {
    if (master == mirror_) return;
    if (master) {
        if (master == this) return;
        TVizeClassRef mine = VizeClass();
        TVizeClassRef theirs = master->VizeClass();
        if (!mine->InheritsFrom(theirs) && !theirs->InheritsFrom(mine)) return;
        // A chain of masters that comes back here is refused too: every
        // walk up the chain (geometry, printing) would never end.
        for (const TVizeControl* m = master; m; m = m->mirror_)
            if (m->mirror_ == this || IsWithin(this, m)) return;
    }
    if (mirror_) mirror_->RemoveMirror(this);
    mirror_ = master;
    if (mirror_) mirror_->AddMirror(this);
}

void TVizeControl::AddMirror(TVizeControl* control) {
    mirrors_.push_back(control);
    control->SetMirrorUpdate(true);
    try {
        AssignTo(control);
    } catch (...) {
        control->SetMirrorUpdate(false);
        throw;
    }
    control->SetMirrorUpdate(false);
}

void TVizeControl::RemoveMirror(TVizeControl* control) {
    auto it = std::find(mirrors_.begin(), mirrors_.end(), control);
    if (it != mirrors_.end()) mirrors_.erase(it);
}

void TVizeControl::Reflect() {
    for (TVizeControl* m : std::vector<TVizeControl*>(mirrors_)) {
        if (m->IsMirrorUpdate()) continue;  // a mirror of a mirror of this one
        m->SetMirrorUpdate(true);
        try {
            AssignTo(m);
        } catch (...) {
            m->SetMirrorUpdate(false);
            throw;
        }
        m->Refresh();
        m->SetMirrorUpdate(false);
    }
}

void TVizeControl::AssignTo(TPersistent* dest) const {
    auto* to = dynamic_cast<TVizeControl*>(dest);
    TVizeClassRef mine = VizeClass();
    if (!to || (!to->VizeClass()->InheritsFrom(mine) && !mine->InheritsFrom(to->VizeClass()))) {
        TVizeComponent::AssignTo(dest);
        return;
    }
    static const char* const skipped[] = {"Name", "DevLocked", "Locked", "Mirror", "Top", "Left"};
    TObject& src = const_cast<TVizeControl&>(*this);
    for (const TVizePropInfo* p : mine->PropList()) {
        if (std::any_of(std::begin(skipped), std::end(skipped), [&](const char* s) { return p->Name == s; }))
            continue;
        const TVizePropInfo* q = to->VizeClass()->FindProp(p->Name);
        if (!q || q->Kind != p->Kind) continue;
        switch (p->Kind) {
            case tkInteger: case tkChar: case tkEnumeration: case tkSet: case tkWChar:
                if (p->GetOrd && q->SetOrd) q->SetOrd(*to, p->GetOrd(src));
                break;
            case tkFloat:
                if (p->GetFloat && q->SetFloat) q->SetFloat(*to, p->GetFloat(src));
                break;
            case tkString: case tkLString:
                if (p->GetStr && q->SetStr) q->SetStr(*to, p->GetStr(src));
                break;
            case tkClass:
                if (p->PropClass() && p->PropClass()->InheritsFrom(TVizeEvent::StaticClass())) break;
                if (p->GetObj && q->SetObj) q->SetObj(*to, p->GetObj(src));
                break;
            default:
                break;
        }
    }
}

// ----------------------------------------------------------- geometry

void TVizeControl::AnchorResize(bool widthChanged, bool heightChanged, double newHeight, double oldHeight,
                                double newWidth, double oldWidth) {
    if (mirror_) {
        mirror_->AnchorResize(widthChanged, heightChanged, newHeight, oldHeight, newWidth, oldWidth);
        return;
    }
    auto apply = [this](int anchor, double nw, double ow, double pos, double size, auto setPos, auto setSize) {
        double d = nw - ow;
        switch (anchor) {
            case anFarEdge: (this->*setPos)(pos + d); break;
            case anCentre: (this->*setPos)(pos + d / 2); break;
            case anStretch: (this->*setSize)(size + d); break;
            case anScale:
                if (ow != 0) {
                    (this->*setPos)(pos * nw / ow);
                    (this->*setSize)(size * nw / ow);
                }
                break;
            case anSpread:
                if (Differs(size, ow)) (this->*setPos)((nw - size) * pos / (ow - size));
                break;
            default: break;
        }
    };
    if (widthChanged)
        apply(HAnchor(), newWidth, oldWidth, left_, width_, &TVizeControl::SetLeft, &TVizeControl::SetWidth);
    if (heightChanged)
        apply(VAnchor(), newHeight, oldHeight, top_, height_, &TVizeControl::SetTop, &TVizeControl::SetHeight);
}

void TVizeControl::ResizeChildren(bool widthChanged, bool heightChanged, double newHeight, double oldHeight,
                                  double newWidth, double oldWidth) {
    if (suspended_) return;
    for (int i = 0; i < ChildCount(); ++i)
        if (auto* c = dynamic_cast<TVizeControl*>(GetChild(i)))
            c->AnchorResize(widthChanged, heightChanged, newHeight, oldHeight, newWidth, oldWidth);
}

void TVizeControl::SetLeft(double x) {
    if (!Differs(x, left_)) return;
    left_ = x;
    Changed();
}

void TVizeControl::SetTop(double x) {
    if (!Differs(x, top_)) return;
    top_ = x;
    Changed();
}

void TVizeControl::SetWidth(double x) {
    if (!Differs(x, width_)) return;
    ResizeChildren(true, false, height_, height_, x, width_);
    if (HAnchor() == anFarEdge && !IsBeingRead()) left_ += width_ - x;
    width_ = x;
    Changed();
}

void TVizeControl::SetHeight(double x) {
    if (!Differs(x, height_)) return;
    ResizeChildren(false, true, x, height_, width_, width_);
    // The stored top of a control being read is already where it belongs.
    if (VAnchor() == anFarEdge && !IsBeingRead()) top_ += height_ - x;
    height_ = x;
    Changed();
}

void TVizeControl::SetRight(double x) {
    if (!Differs(x - width_, left_)) return;
    left_ = x - width_;
    Changed();
}

void TVizeControl::SetBottom(double x) {
    if (!Differs(x - height_, top_)) return;
    top_ = x - height_;
    Changed();
}

void TVizeControl::SetBoundsRect(const TVizeRect& r) {
    double oldW = width_, oldH = height_;
    double newW = r.Right - r.Left, newH = r.Bottom - r.Top;
    suspended_ = true;
    left_ = r.Left;
    top_ = r.Top;
    width_ = newW;
    height_ = newH;
    suspended_ = false;
    bool wc = Differs(newW, oldW), hc = Differs(newH, oldH);
    if (wc || hc) ResizeChildren(wc, hc, newH, oldH, newW, oldW);
    Changed();
}

void TVizeControl::SetBoundsFromPoints(TVizePoint first, TVizePoint second) {
    ConstrainPoints(first, second);
    SetBoundsRect({std::min(first.X, second.X), std::min(first.Y, second.Y), std::max(first.X, second.X),
                   std::max(first.Y, second.Y)});
}

double TVizeControl::PageLeft() const {
    return left_ + mirrorX_ + (Parent() ? Parent()->PageLeft() : 0.0);
}

double TVizeControl::PageTop() const {
    return top_ + mirrorY_ + (Parent() ? Parent()->PageTop() : 0.0);
}

TVizePoint TVizeControl::ToParent(const TVizePoint& point) const {
    if (!Parent()) return point;
    return {point.X - Parent()->PageLeft(), point.Y - Parent()->PageTop()};
}

TVizeRect TVizeControl::ToParent(const TVizeRect& rect) const {
    TVizePoint topLeft = ToParent(TVizePoint{rect.Left, rect.Top});
    TVizePoint bottomRight = ToParent(TVizePoint{rect.Right, rect.Bottom});
    return {topLeft.X, topLeft.Y, bottomRight.X, bottomRight.Y};
}

bool TVizeControl::ContainsPoint(const TVizePoint& point) const {
    return IsVisible() && PointInRect(GetBoundsRect(), ToParent(point)) && ShownByParent();
}

bool TVizeControl::IntersectsRect(const TVizeRect& rect) const {
    TVizeRect overlap;
    return IntersectRect(overlap, ToParent(rect), GetBoundsRect()) && ShownByParent();
}

// ------------------------------------------------------- design tools

namespace {
// The handle a drag continues with after the control turned over
// horizontally or vertically.
constexpr int HandleAcross[8] = {2, 1, 0, 4, 3, 7, 6, 5};
constexpr int HandleUpsideDown[8] = {5, 6, 7, 3, 4, 0, 1, 2};
}  // namespace

TVizePageDesigner* TVizeControl::Designer() const { return Page() ? Page()->Designer() : nullptr; }

const TVizePageDesigner& TVizeControl::DesignScale() const {
    static const TVizePageDesigner fallback;
    if (TVizePageDesigner* d = Designer()) return *d;
    if (TVizePageDesigner* d = VizeDesigner().CurrentPageDesigner) return *d;
    return fallback;
}

TRect TVizeControl::DesignRect() const {
    const TVizePageDesigner& d = DesignScale();
    return {d.XI2D(PageLeft()), d.YI2D(PageTop()), d.XI2D(PageRight()) + 1, d.YI2D(PageBottom()) + 1};
}

void TVizeControl::Paint(TCanvas* canvas) {
    if (!canvas || !IsVisible()) return;
    PaintSelf(canvas);
    PaintMasterChildren(canvas);
    if (ChildCount() == 0) return;
    TClipScope clip(canvas, DesignRect());
    for (int i = 0; i < ChildCount(); ++i)
        if (auto* c = dynamic_cast<TVizeControl*>(GetChild(i))) c->Paint(canvas);
}

void TVizeControl::PaintMasterChildren(TCanvas* canvas) {
    if (!VizeDesigner().CurrentPageDesigner) return;
    WithMasterHere([canvas](TVizeControl& master) {
        TClipScope clip(canvas, master.DesignRect());
        for (int i = 0; i < master.ChildCount(); ++i)
            if (auto* c = dynamic_cast<TVizeControl*>(master.GetChild(i))) c->Paint(canvas);
    });
}

std::vector<TVizeHandle> TVizeControl::SizingHandles() const {
    double l = PageLeft(), t = PageTop(), r = PageRight(), b = PageBottom();
    double cx = (l + r) / 2, cy = (t + b) / 2;
    return {{0, {l, t}, crSizeNWSE},  {1, {cx, t}, crSizeNS}, {2, {r, t}, crSizeNESW},
            {3, {l, cy}, crSizeWE},   {4, {r, cy}, crSizeWE}, {5, {l, b}, crSizeNESW},
            {6, {cx, b}, crSizeNS},   {7, {r, b}, crSizeNWSE}};
}

void TVizeControl::TellHandles(const std::vector<TVizeHandle>& handles) {
    if (TVizePageDesigner* d = Designer()) d->ShowHandles(this, handles);
}

void TVizeControl::TellDragContinues(int handle) {
    if (TVizePageDesigner* d = Designer()) d->DragContinues(this, handle);
}

void TVizeControl::ShowHandles() { TellHandles(SizingHandles()); }

void TVizeControl::HideHandles() {
    if (TVizePageDesigner* d = Designer()) d->HideHandles(this);
}

void TVizeControl::DragHandle(TVizeDragRecord& drag, double dx, double dy) {
    if (drag.Handle < 0 || drag.Handle > 7) return;
    const int h = drag.Handle;
    const bool movesLeft = h == 0 || h == 3 || h == 5, movesRight = h == 2 || h == 4 || h == 7;
    const bool movesTop = h <= 2, movesBottom = h >= 5;
    TVizeRect& start = drag.Start;
    double l = start.Left + (movesLeft ? dx : 0), r = start.Right + (movesRight ? dx : 0);
    double t = start.Top + (movesTop ? dy : 0), b = start.Bottom + (movesBottom ? dy : 0);
    // The dragged corner against the one opposite.
    TVizePoint fixed{movesLeft ? r : l, movesTop ? b : t};
    TVizePoint moving{movesLeft ? l : r, movesTop ? t : b};
    ConstrainPoints(fixed, moving);
    (movesLeft ? l : r) = moving.X;
    (movesTop ? t : b) = moving.Y;
    int handle = h;
    if (l > r) {
        std::swap(l, r);
        std::swap(start.Left, start.Right);
        handle = HandleAcross[handle];
    }
    if (t > b) {
        std::swap(t, b);
        std::swap(start.Top, start.Bottom);
        handle = HandleUpsideDown[handle];
    }
    if (handle != h) {
        drag.Handle = handle;
        TellDragContinues(handle);
    }
    SetBoundsRect({l, t, r, b});
}

double TVizeControl::RequiredHeight() const {
    if (mirror_) return mirror_->RequiredHeight();
    double h = height_;
    for (int i = 0; i < ChildCount(); ++i)
        if (auto* c = dynamic_cast<TVizeControl*>(GetChild(i)))
            h = std::max(h, c->RequiredHeight() + (adjHeight_ - c->adjHeight_));
    return h;
}

// ----------------------------------------------------- states, printing

void TVizeControl::SaveDesignState() {
    TVizeComponent::SaveDesignState();
    desLeft_ = left_;
    desTop_ = top_;
    desWidth_ = width_;
    desHeight_ = height_;
}

void TVizeControl::RestoreDesignState() {
    left_ = desLeft_;
    top_ = desTop_;
    if (mirror_) {
        mirror_->RestoreDesignState();
    } else {
        width_ = desWidth_;
        height_ = desHeight_;
    }
    TVizeComponent::RestoreDesignState();
}

void TVizeControl::SaveAdjustedState() {
    TVizeComponent::SaveAdjustedState();
    if (mirror_) mirror_->SaveAdjustedState();
    adjLeft_ = left_;
    adjTop_ = top_;
    adjWidth_ = width_;
    adjHeight_ = height_;
}

void TVizeControl::RestoreAdjustedState() {
    left_ = adjLeft_;
    top_ = adjTop_;
    if (mirror_) {
        mirror_->RestoreAdjustedState();
    } else {
        width_ = adjWidth_;
        height_ = adjHeight_;
    }
    TVizeComponent::RestoreAdjustedState();
}

bool TVizeControl::IsPrintComplete() {
    bool done = TVizeComponent::IsPrintComplete();
    return mirror_ ? done && mirror_->IsPrintComplete() : done;
}

void TVizeControl::PrepareContent() {
    TVizeComponent::PrepareContent();
    if (mirror_)
        for (int i = 0; i < mirror_->ChildCount(); ++i) mirror_->GetChild(i)->PrepareContent();
}

void TVizeControl::ReleaseContent() {
    TVizeComponent::ReleaseContent();
    if (mirror_)
        for (int i = 0; i < mirror_->ChildCount(); ++i) mirror_->GetChild(i)->ReleaseContent();
}

bool TVizeControl::IsVisible() const {
    if (!Visible()) return false;
    TVizeComponent* band = VizeCurrentPrintBand();
    if (band && Parent() == band) return VAnchor() == anStretch;
    return true;
}

void TVizeControl::Print(TBaseReport* report) {
    BeforePrint();
    try {
        PrepareContent();
        if (!IsVisible()) {
            // Skipping the after-print step must still bring the nesting
            // count back, or the next pass never fires its events again.
            LeavePrint();
            return;
        }
        if (displayOn_ == doParent) {
            auto* parentControl = dynamic_cast<TVizeControl*>(Parent());
            displayOn_ = parentControl ? parentControl->displayOn_ : doAll;
            if (displayOn_ == doParent) displayOn_ = doAll;
        }
        switch (displayOn_) {
            case doPreviewOnly: report->AllowPreviewOnly(); break;
            case doPrinterOnly: report->AllowPrinterOnly(); break;
            default: report->AllowAll(); break;
        }
        PrintSelf(report);
        // The children of the last master up the chain print at this
        // control's place.
        WithMasterHere([report](TVizeControl& master) {
            for (int i = 0; i < master.ChildCount(); ++i) master.GetChild(i)->Print(report);
        });
        for (int i = 0; i < ChildCount(); ++i) GetChild(i)->Print(report);
    } catch (...) {
        AfterPrint();
        throw;
    }
    AfterPrint();
}

void TVizeControl::ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) {
    TVizeComponent::ReplaceReference(oldRef, newRef);
    if (oldRef && oldRef == mirror_) SetMirror(dynamic_cast<TVizeControl*>(newRef));
    auto* oldControl = dynamic_cast<TVizeControl*>(oldRef);
    if (oldControl && oldControl->mirror_ == this && !newRef) {
        RemoveMirror(oldControl);
        oldControl->mirror_ = nullptr;
    }
}

void TVizeControl::Changed() {
    if (suspended_) return;
    DesignerChanged();
    for (int i = 0; i < ChildCount(); ++i)
        if (auto* c = dynamic_cast<TVizeControl*>(GetChild(i))) c->Changed();
    Reflect();
}

void TVizeControl::WithMasterHere(const std::function<void(TVizeControl& master)>& action) {
    if (!mirror_) return;
    // A chain that comes back, or a master whose children reach this pass
    // again, is an error, not an endless loop.
    TVizeControl* master = mirror_;
    std::vector<const TVizeControl*> seen{this};
    while (master->mirror_) {
        seen.push_back(master);
        if (std::find(seen.begin(), seen.end(), master->mirror_) != seen.end())
            throw EVizeException(Trans("Mirror of \"") + Name() + Trans("\" refers back to itself."));
        master = master->mirror_;
    }
    if (master->ChildCount() == 0) return;
    if (master->mirrorPrinting_)
        throw EVizeException(Trans("Mirror of \"") + Name() + Trans("\" refers back to itself."));
    master->mirrorPrinting_ = true;
    master->mirrorX_ = PageLeft() - (master->PageLeft() - master->mirrorX_);
    master->mirrorY_ = PageTop() - (master->PageTop() - master->mirrorY_);
    struct Reset {
        TVizeControl* m;
        ~Reset() {
            m->mirrorX_ = m->mirrorY_ = 0;
            m->mirrorPrinting_ = false;
        }
    } reset{master};
    action(*master);
}

void TVizeControl::DesignerChanged() {
    if (!VizeDesigner().DesignMode) return;
    TVizePageDesigner* designer = Designer();
    if (designer && designer->Updating()) return;
    Refresh();
    HideHandles();
}

// ---------------------------------------------------------- container

TVizeContainerControl::TVizeContainerControl(TComponent* owner) : TVizeControl(owner) { SetContainer(); }

TVizeContainerControl::~TVizeContainerControl() {
    Destroying();
    DestroyChildren();
}

void TVizeContainerControl::DestroyChildren() { TVizeComponent::DestroyChildren(); }

void TVizeContainerControl::AddChild(TVizeComponent* child) { children_.push_back(child); }

void TVizeContainerControl::RemoveChild(TVizeComponent* child) {
    auto it = std::find(children_.begin(), children_.end(), child);
    if (it != children_.end()) children_.erase(it);
}

TVizeComponent* TVizeContainerControl::GetChild(int index) const {
    return index >= 0 && index < int(children_.size()) ? children_[size_t(index)] : nullptr;
}

int TVizeContainerControl::ChildCount() const { return int(children_.size()); }

void TVizeContainerControl::MoveChild(TVizeComponent* child, int kind) {
    if (MoveInList(children_, child, kind)) Refresh();
}

namespace {
void RegisterVzControlClasses() {
    RegisterClasses("VZCL", {TVizeControl::StaticClass(), TVizeContainerControl::StaticClass()}, 1);
    RegisterModuleClasses("VzControl", {TVizeControl::StaticClass(), TVizeContainerControl::StaticClass()}, 1);
}
}  // namespace

void InitializeVzControl() { RegisterProc("VZCL", RegisterVzControlClasses); }

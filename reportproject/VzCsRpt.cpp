#include "reportproject/VzCsRpt.h"

#include <algorithm>

#include "platform/core/Strings.h"
#include "report/BaseReport.h"
#include "report/ReportDefs.h"
#include "reportproject/VzData.h"
#include "reportproject/VzProj.h"
#include "reportproject/VzUtil.h"

namespace {
const std::vector<std::string> LocNames = {"plBodyHeader", "plGroupHeader", "plRowHeader", "plMaster",
                                           "plDetail",     "plRowFooter",   "plGroupFooter", "plBodyFooter"};
const std::vector<std::string> OccNames = {"poFirst", "poNewPage", "poNewColumn"};
const std::vector<std::string> PositionModes = {"pmOffset", "pmOverlay", "pmAbsolute"};
// The group text of a view at its end; it never equals a key's text.
const std::string EofGroupText = std::string("|\x1A") + "EOF\x1A";
const std::string ListenerNewData = "CalcNewData";
// A region that requests a break on this many pages in a row without
// printing anything would do so for ever.
constexpr int EmptyPagesLimit = 2;

template <class T>
TVizeClass* NewClass(const char* name, TVizeClassRef parent) {
    return new TVizeClass(name, parent, [](TComponent* owner) { return new T(owner); }, true);
}

// The position of the first "." outside "<...>", or npos.
size_t DotOutsideBrackets(const std::string& s) {
    bool inside = false;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '<') inside = true;
        else if (s[i] == '>') inside = false;
        else if (s[i] == '.' && !inside) return i;
    }
    return std::string::npos;
}

void LinkTo(TComponent* self, TComponent* other) {
    if (self && other) self->FreeNotification(other);
}
}  // namespace

// ------------------------------------------------------------- classes

TVizeClassRef TVizeBandStyle::StaticClass() {
    static TVizeClass* cls = [] {
        auto* c = new TVizeClass("TVizeBandStyle", TVizePersistent::StaticClass(),
                                 [](TComponent*) { return new TVizeBandStyle; }, false);
        TVizeProps<TVizeBandStyle>(*c)
            .Set("PrintLoc", LocNames, &TVizeBandStyle::PrintLocOrd, &TVizeBandStyle::SetPrintLocOrd)
            .Set("PrintOcc", OccNames, &TVizeBandStyle::PrintOccOrd, &TVizeBandStyle::SetPrintOccOrd,
                 OccBit(poFirst));
        return c;
    }();
    return cls;
}

void TVizeBandStyle::Assign(const TPersistent* source) {
    if (auto* s = dynamic_cast<const TVizeBandStyle*>(source)) {
        PrintLoc = s->PrintLoc;
        PrintOcc = s->PrintOcc;
        return;
    }
    TVizePersistent::Assign(source);
}

TVizeClassRef TVizeRegion::StaticClass() {
    static TVizeClass* cls = [] {
        TVizeClass* c = NewClass<TVizeRegion>("TVizeRegion", TVizeContainerControl::StaticClass());
        TVizeProps<TVizeRegion>(*c)
            .Integer("Columns", &TVizeRegion::Columns, &TVizeRegion::SetColumns, 1)
            .Float("ColumnSpacing", &TVizeRegion::ColumnSpacing, &TVizeRegion::SetColumnSpacing);
        return c;
    }();
    return cls;
}

TVizeClassRef TVizeBand::StaticClass() {
    static TVizeClass* cls = [] {
        TVizeClass* c = NewClass<TVizeBand>("TVizeBand", TVizeContainerControl::StaticClass());
        using B = TVizeBand;
        TVizeProps<B>(*c)
            .Boolean("AllowSplit", &B::AllowSplit, &B::SetAllowSplit)
            .Object<TVizeBandStyle>("BandStyle", &B::BandStyle, &B::SetBandStyle)
            .Object<TVizeIterateBand>("ControllerBand", &B::ControllerBand, &B::SetControllerBand)
            .Boolean("DesignerHide", &B::DesignerHide, &B::SetDesignerHide)
            .Boolean("FinishNewPage", &B::FinishNewPage, &B::SetFinishNewPage)
            .Object<TVizeBaseDataView>("GroupDataView", &B::GroupDataView, &B::SetGroupDataView)
            .String("GroupKey", &B::GroupKey, &B::SetGroupKey)
            .Float("MinHeightLeft", &B::MinHeightLeft, &B::SetMinHeightLeft)
            .Enumeration("PositionMode", PositionModes, &B::PositionMode, &B::SetPositionMode)
            .Float("PositionValue", &B::PositionValue, &B::SetPositionValue)
            .Set("ReprintLocs", LocNames, &B::ReprintLocs, &B::SetReprintLocs, AllPrintLocs)
            .Boolean("StartNewPage", &B::StartNewPage, &B::SetStartNewPage)
            .Object<TVizeStringEvent>("OnGetGroup", &B::OnGetGroup, &B::SetOnGetGroup);
        return c;
    }();
    return cls;
}

TVizeClassRef TVizeIterateBand::StaticClass() {
    static TVizeClass* cls = [] {
        auto* c = new TVizeClass("TVizeIterateBand", TVizeBand::StaticClass(), nullptr, true);
        using B = TVizeIterateBand;
        TVizeProps<B>(*c)
            .Integer("Columns", &B::Columns, &B::SetColumns, 1)
            .Float("ColumnSpacing", &B::ColumnSpacing, &B::SetColumnSpacing)
            .String("DetailKey", &B::DetailKey, &B::SetDetailKey)
            .Boolean("KeepBodyTogether", &B::KeepBodyTogether, &B::SetKeepBodyTogether)
            .Boolean("KeepRowTogether", &B::KeepRowTogether, &B::SetKeepRowTogether)
            .Integer("MaxRows", &B::MaxRows, &B::SetMaxRows)
            .Boolean("InitToFirst", &B::InitToFirst, &B::SetInitToFirst, true)
            .Integer("OrphanRows", &B::OrphanRows, &B::SetOrphanRows)
            .Integer("WidowRows", &B::WidowRows, &B::SetWidowRows);
        return c;
    }();
    return cls;
}

TVizeClassRef TVizeDataBand::StaticClass() {
    static TVizeClass* cls = [] {
        TVizeClass* c = NewClass<TVizeDataBand>("TVizeDataBand", TVizeIterateBand::StaticClass());
        using B = TVizeDataBand;
        TVizeProps<B>(*c)
            .Object<TVizeBaseDataView>("DataView", &B::DataView, &B::SetDataView)
            .Object<TVizeBaseDataView>("MasterDataView", &B::MasterDataView, &B::SetMasterDataView)
            .String("MasterKey", &B::MasterKey, &B::SetMasterKey)
            .String("SortKey", &B::SortKey, &B::SetSortKey);
        return c;
    }();
    return cls;
}

TVizeClassRef TVizeDataCycle::StaticClass() {
    static TVizeClass* cls = [] {
        TVizeClass* c = NewClass<TVizeDataCycle>("TVizeDataCycle", TVizeComponent::StaticClass());
        using D = TVizeDataCycle;
        TVizeProps<D>(*c)
            .Object<TVizeBaseDataView>("DataView", &D::DataView, &D::SetDataView)
            .String("DetailKey", &D::DetailKey, &D::SetDetailKey)
            .Boolean("InitToFirst", &D::InitToFirst, &D::SetInitToFirst, true)
            .Object<TVizeBaseDataView>("MasterDataView", &D::MasterDataView, &D::SetMasterDataView)
            .String("MasterKey", &D::MasterKey, &D::SetMasterKey)
            .Integer("MaxRows", &D::MaxRows, &D::SetMaxRows)
            .String("SortKey", &D::SortKey, &D::SetSortKey);
        return c;
    }();
    return cls;
}

std::vector<TVizeClassRef> VzCsRptClasses() {
    return {TVizeRegion::StaticClass(), TVizeBand::StaticClass(), TVizeDataBand::StaticClass(),
            TVizeDataCycle::StaticClass()};
}

// --------------------------------------------------------------- region

TVizeRegion::TVizeRegion(TComponent* owner) : TVizeContainerControl(owner) {
    SetWidth(3.0);
    SetHeight(3.0);
}

void TVizeRegion::SetColumns(Int64 n) {
    if (n <= 0 || n == columns_) return;
    columns_ = Integer(n);
    Changed();
}

void TVizeRegion::SetColumnSpacing(double s) {
    if (SameFloat(s, columnSpacing_)) return;
    columnSpacing_ = s;
    Changed();
}

double TVizeRegion::ColumnWidth() const { return (GetWidth() - (columns_ - 1) * columnSpacing_) / columns_; }

double TVizeRegion::ColumnLeft() const { return (ColumnWidth() + columnSpacing_) * (currentColumn_ - 1); }

bool TVizeRegion::AcceptChild(TVizeClassRef childClass) const {
    return childClass && childClass->InheritsFrom(TVizeBand::StaticClass());
}

// A band that has more to print always asks for a break and becomes the
// resume band. A child that stays unfinished without one (a memo that
// does not grow with its band) would only make the whole region print its
// bands again on every page, so it does not count here.
bool TVizeRegion::IsPrintComplete() { return !resumeBand_; }

void TVizeRegion::BeforeReport() {
    currentOcc_ = poFirst;
    resumeBand_ = nullptr;
    finishPage_ = false;
    breakRequested_ = false;
    currentColumn_ = 1;
    emptyPages_ = 0;
    TVizeContainerControl::BeforeReport();
}

void TVizeRegion::RequestBreak(TVizeBand* band) {
    resumeBand_ = band;
    breakRequested_ = true;
    finishPage_ = false;
}

void TVizeRegion::FinishPage() {
    resumeBand_ = nullptr;
    breakRequested_ = false;
    finishPage_ = true;
}

void TVizeRegion::Print(TBaseReport* report) {
    BeforePrint();
    struct After {
        TVizeRegion* r;
        ~After() { r->AfterPrint(); }
    } after{this};
    if (!IsVisible()) return;
    atTop_ = true;
    printedOnPage_ = 0;
    for (int i = 0; i < ChildCount(); ++i) {
        if (auto* b = dynamic_cast<TVizeBand*>(GetChild(i))) b->printedOnPage_ = false;
        if (auto* b = dynamic_cast<TVizeIterateBand*>(GetChild(i))) b->savedLastBottom_ = 0;
    }
    for (int column = 1; column <= columns_; ++column) {
        currentColumn_ = column;
        breakRequested_ = false;
        currentPos_ = 0;
        PrintLocation(report, nullptr, plDetail);
        if (!breakRequested_) break;
        if (column == columns_) {
            currentOcc_ = poNewPage;
            break;
        }
        currentOcc_ = poNewColumn;
    }
    currentColumn_ = 1;
    // A band that cannot fit even on an empty page breaks to the next page
    // for ever: stop with an error instead.
    if (breakRequested_ && printedOnPage_ == 0) {
        if (++emptyPages_ >= EmptyPagesLimit)
            throw EVizeException(Trans("Band \"") + (resumeBand_ ? resumeBand_->Name() : std::string()) +
                                 Trans("\" does not fit on an empty page of region \"") + Name() + "\".");
    } else {
        emptyPages_ = 0;
    }
}

void TVizeRegion::PrintLocation(TBaseReport* report, TVizeBand* controller, TBandPrintLoc location) {
    currentLoc_ = location;
    // The search runs on its own index here: a nested iterate band's
    // search cannot disturb this one.
    for (int i = 0; i < ChildCount(); ++i) {
        auto* band = dynamic_cast<TVizeBand*>(GetChild(i));
        if (!band || band->controllerBand_ != controller) continue;
        if (controller && !(band->style_->PrintLoc & LocBit(location))) continue;
        // A nested body leaves its own location behind: every band starts
        // from the one it is printed at.
        currentLoc_ = controller ? location : plDetail;
        band->Print(report);
        // Only a band that took space ends the top of the region.
        if (band->printedOnPage_) atTop_ = false;
        if (breakRequested_) break;
    }
}

// ----------------------------------------------------------------- band

TVizeBand::TVizeBand(TComponent* owner) : TVizeContainerControl(owner), style_(std::make_unique<TVizeBandStyle>()) {
    SetAnchor(anStretch);
    SetHeight(0.2);
}

TVizeBand::~TVizeBand() {
    Destroying();
    SetOnGetGroup(nullptr);
}

TVizeRegion* TVizeBand::Region() const { return dynamic_cast<TVizeRegion*>(Parent()); }

void TVizeBand::SetControllerBand(TVizeIterateBand* b) {
    if (b && b->Region() && Region() && b->Region() != Region()) return;
    if (b == this) return;
    controllerBand_ = b;
    LinkTo(this, b);
}

void TVizeBand::SetBandStyle(TVizeBandStyle* s) {
    if (s && s != style_.get()) style_->Assign(s);
}

void TVizeBand::SetGroupDataView(TVizeBaseDataView* v) {
    groupDataView_ = v;
    LinkTo(this, v);
}

void TVizeBand::SetOnGetGroup(TVizeStringEvent* e) {
    if (e == onGetGroup_) return;
    TVizeStringEvent* old = onGetGroup_;
    onGetGroup_ = e;
    if (e) e->SetSender(this);
    delete old;
}

bool TVizeBand::AcceptParent(TVizeClassRef parentClass) const {
    return parentClass && parentClass->InheritsFrom(TVizeRegion::StaticClass());
}

double TVizeBand::GetLeft() const { return Region() ? Region()->ColumnLeft() : 0.0; }

double TVizeBand::GetWidth() const { return Region() ? Region()->ColumnWidth() : 0.0; }

double TVizeBand::PageLeft() const { return GetLeft() + (Parent() ? Parent()->PageLeft() : 0.0); }

double TVizeBand::PageRight() const { return PageLeft() + GetWidth(); }

void TVizeBand::DesignerChanged() {
    TVizeContainerControl::DesignerChanged();
    if (!SameFloat(TVizeContainerControl::GetLeft(), 0)) {
        TVizeContainerControl::SetLeft(0);
        Refresh();
    }
}

void TVizeBand::BeforeReport() {
    lastGroupValue_.clear();
    split_ = false;
    TVizeContainerControl::BeforeReport();
}

bool TVizeBand::ChildShownInDesigner(const TVizeComponent* child) const {
    if (designerHide_) return false;
    return Region() ? Region()->ChildShownInDesigner(this) : true;
}

void TVizeBand::ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) {
    TVizeContainerControl::ReplaceReference(oldRef, newRef);
    if (!oldRef) return;
    if (oldRef == controllerBand_) SetControllerBand(dynamic_cast<TVizeIterateBand*>(newRef));
    if (oldRef == groupDataView_) SetGroupDataView(dynamic_cast<TVizeBaseDataView*>(newRef));
}

void TVizeBand::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove) {
        if (component == controllerBand_) controllerBand_ = nullptr;
        if (component == groupDataView_) groupDataView_ = nullptr;
    }
    TVizeContainerControl::Notification(component, operation);
}

void TVizeBand::SaveState() {
    if (IsSaving()) throw EVizeException(Trans("SaveState called while already saving."));
    saving_ = true;
}

void TVizeBand::RestoreState() {
    if (!IsSaving()) throw EVizeException(Trans("RestoreState called while not saving."));
    saving_ = false;
}

bool TVizeBand::IsSaving() const {
    if (saving_) return true;
    return controllerBand_ ? controllerBand_->IsSaving() : false;
}

void TVizeBand::PositionBand() {
    if (positionMode_ == pmAbsolute)
        SetTop(positionValue_);
    else
        SetTop((Region() ? Region()->currentPos_ : 0.0) + positionValue_);
}

std::string TVizeBand::GroupValue() {
    std::string text;
    if (!groupKey_.empty()) {
        std::string rest = groupKey_;
        char delim = 0;
        while (!rest.empty()) {
            std::string part = NextToken(rest, delim, "+");
            if (part.empty()) continue;
            TVizeBaseDataView* view = groupDataView_;
            std::string field = part;
            size_t dot = DotOutsideBrackets(part);
            if (dot != std::string::npos) {
                TVizeComponent* found = Project() ? Project()->FindVizeComponent(part.substr(0, dot), Owner()) : nullptr;
                view = dynamic_cast<TVizeBaseDataView*>(found);
                field = part.substr(dot + 1);
            }
            if (!view) continue;
            if (view->Eof()) {
                text += EofGroupText;
            } else {
                TVizeDataField* f = view->FieldByName(field);
                text += f ? "|" + f->AsString() : std::string("|(invalid)");
            }
        }
        text += "|";
    }
    if (onGetGroup_) {
        onGetGroup_->Value = text.size() >= 2 ? text.substr(1, text.size() - 2) : std::string();
        onGetGroup_->Execute();
        text = onGetGroup_->Value == "\xFF" ? std::string() : "|" + onGetGroup_->Value + "|";
    }
    return text;
}

std::string TVizeBand::PeekGroupValue() {
    if (!groupDataView_) return GroupValue();
    groupDataView_->Peek(1);
    std::string value;
    try {
        value = GroupValue();
    } catch (...) {
        groupDataView_->Unpeek();
        throw;
    }
    groupDataView_->Unpeek();
    return value;
}

void TVizeBand::Print(TBaseReport* report) { PrintBand(report); }

void TVizeBand::PrintBand(TBaseReport* report) {
    TVizeRegion* r = Region();
    if (!r) {
        TVizeContainerControl::Print(report);
        return;
    }
    BeforePrint();
    struct After {
        TVizeBand* b;
        ~After() {
            VizeCurrentPrintBand() = nullptr;
            b->AfterPrint();
        }
    } after{this};
    if (!IsVisible()) return;
    TBandPrintLoc location = r->currentLoc_;
    // Step 2: the band at which printing stopped takes up its place again.
    if (!r->resumeBand_) {
        r->resumeLoc_ = location;
    } else if (r->resumeBand_ == this && r->resumeLoc_ == location) {
        r->currentOcc_ = poFirst;
        r->resumeBand_ = nullptr;
        r->breakRequested_ = false;
    }
    TBandPrintOcc occurrence = r->currentOcc_;
    // Group headers and footers print only when the key changes.
    std::string value;
    bool group = location == plGroupHeader || location == plGroupFooter;
    if (group && occurrence == poFirst) {
        if (location == plGroupHeader) {
            value = GroupValue();
        } else {
            if (lastGroupValue_.empty()) lastGroupValue_ = GroupValue();
            value = PeekGroupValue();
        }
        if (value == lastGroupValue_) return;
        if (lastGroupValue_.empty() && location == plGroupFooter) {
            lastGroupValue_ = value;
            return;
        }
    }
    if (!(style_->PrintOcc & OccBit(occurrence))) return;
    // Before the point where printing stopped, only what is reprinted.
    if (r->resumeBand_) {
        bool reprint;
        if (auto* self = dynamic_cast<TVizeIterateBand*>(this))
            reprint = reprintLocs_ & LocBit(self->restartLoc_);
        else
            reprint = controllerBand_ && (reprintLocs_ & LocBit(controllerBand_->restartLoc_));
        if (!reprint) return;
    }
    if (r->finishPage_ || (startNewPage_ && printedOnPage_)) {
        r->RequestBreak(this);
        return;
    }
    RestoreAdjustedState();
    if (!split_) PrepareContent();
    double h = RequiredHeight();
    PositionBand();
    bool fits = positionMode_ == pmAbsolute || FloatNotLess(r->RemainingHeight(), h + positionValue_);
    if (FloatLess(r->RemainingHeight(), minHeightLeft_)) {
        r->RequestBreak(this);
        return;
    }
    VizeCurrentPrintBand() = split_ ? this : nullptr;
    split_ = false;
    if (!fits) {
        if ((allowSplit_ || !printedOnPage_) && FloatNotLess(r->RemainingHeight(), AdjHeight())) {
            split_ = true;
            h = r->RemainingHeight();
        } else {
            r->RequestBreak(this);
            return;
        }
    }
    SetHeight(h);
    printedOnPage_ = true;
    if (!IsSaving()) {
        NotifyRowStart();
        TVizeContainerControl::Print(report);
        if (GetHeight() > 0) report->NewLine();
        VizeCurrentPrintBand() = nullptr;
        ++r->printedOnPage_;
    }
    if (positionMode_ == pmOffset) r->currentPos_ = GetTop() + h;
    if (group && !value.empty()) lastGroupValue_ = value;
    if (!split_ || IsPrintComplete()) {
        split_ = false;
        ReleaseContent();
        if (finishNewPage_) r->FinishPage();
    } else {
        r->RequestBreak(this);
    }
}

// --------------------------------------------------------- iterate band

TVizeIterateBand::TVizeIterateBand(TComponent* owner) : TVizeBand(owner) {}

void TVizeIterateBand::SetColumns(Int64 n) {
    if (n <= 0 || n == columns_) return;
    columns_ = Integer(n);
    Changed();
}

void TVizeIterateBand::SetColumnSpacing(double s) {
    if (SameFloat(s, columnSpacing_)) return;
    columnSpacing_ = s;
    Changed();
}

double TVizeIterateBand::ColumnWidthOwn() const {
    double regionWidth = Region() ? Region()->ColumnWidth() : 0.0;
    return (regionWidth - (columns_ - 1) * columnSpacing_) / columns_;
}

double TVizeIterateBand::GetWidth() const { return ColumnWidthOwn(); }

double TVizeIterateBand::GetLeft() const {
    double left = TVizeBand::GetLeft();
    if (ProjectPrinting() && columns_ >= 2 && currentColumn_ > 1)
        left += (ColumnWidthOwn() + columnSpacing_) * (currentColumn_ - 1);
    return left;
}

bool TVizeIterateBand::ProjectPrinting() const { return Project() && Project()->Printing(); }

std::vector<TVizeBand*> TVizeIterateBand::ControlledBands() const {
    std::vector<TVizeBand*> list;
    if (TVizeRegion* r = Region())
        for (int i = 0; i < r->ChildCount(); ++i)
            if (auto* b = dynamic_cast<TVizeBand*>(r->GetChild(i)); b && b->ControllerBand() == this)
                list.push_back(b);
    return list;
}

void TVizeIterateBand::NotifyRowStart() {
    if (!newData_) return;
    newData_ = false;
    newDataListeners_.Notify(this, nullptr);
}

void TVizeIterateBand::AddListener(const std::string& eventName, const TVizeMethod& method) {
    if (!SameText(eventName, ListenerNewData)) {
        TVizeBand::AddListener(eventName, method);
        return;
    }
    newDataListeners_.Add(method);
    LinkTo(this, dynamic_cast<TComponent*>(method.Object));
}

void TVizeIterateBand::RemoveListener(const std::string& eventName, const TVizeMethod& method) {
    if (SameText(eventName, ListenerNewData))
        newDataListeners_.Remove(method);
    else
        TVizeBand::RemoveListener(eventName, method);
}

bool TVizeIterateBand::HasListenerEvent(const std::string& eventName) const {
    return SameText(eventName, ListenerNewData) || TVizeBand::HasListenerEvent(eventName);
}

void TVizeIterateBand::ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) {
    TVizeBand::ReplaceReference(oldRef, newRef);
    if (!oldRef) return;
    if (newRef)
        newDataListeners_.Retarget(oldRef, newRef);
    else
        newDataListeners_.RemoveObject(oldRef);
}

void TVizeIterateBand::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove) newDataListeners_.RemoveObject(component);
    TVizeBand::Notification(component, operation);
}

void TVizeIterateBand::PositionBand() {
    TVizeBand::PositionBand();
    TVizeRegion* r = Region();
    if (columns_ > 1 && r) {
        currentColumn_ = currentColumn_ % columns_ + 1;
        if (currentColumn_ != 1 && r->currentColumn_ == savedRegionColumn_ &&
            FloatNotGreater(r->currentPos_, savedPriorTop_)) {
            // Nothing else printed since the previous row: this row stands
            // beside it.
            if (FloatGreater(r->currentPos_, savedLastBottom_)) savedLastBottom_ = r->currentPos_;
            r->currentPos_ = savedLastTop_;
            SetTop(savedLastTop_);
            return;
        }
        currentColumn_ = 1;
        savedLastTop_ = r->currentPos_;
        savedRegionColumn_ = r->currentColumn_;
    }
    savedLastBottom_ = 0;
}

void TVizeIterateBand::Print(TBaseReport* report) {
    TVizeRegion* r = Region();
    if (!r || !IsVisible() || (r->resumeBand_ && !active_)) return;
    active_ = true;
    PrintBody(report);
    if (!r->breakRequested_) active_ = false;
}

// The layout state a trial pass may change; the trial puts it back so
// that the real pass starts where the trial did (group values included:
// a group header seen in a trial still prints for real).
struct TVizeIterateBand::TTrialState {
    struct BandState {
        TVizeBand* Band;
        std::string LastGroup;
        bool Printed, Split;
    };
    std::vector<BandState> Bands;
    TVizeBand* ResumeBand;
    TBandPrintLoc ResumeLoc, CurrentLoc, RestartLoc;
    TBandPrintOcc CurrentOcc;
    bool Break, Finish, AtTop, NewData;
    int Column;
    double LastTop, PriorTop, LastBottom;
    int RegionColumn;
};

template <class F>
bool TVizeIterateBand::Trial(F body) {
    TVizeRegion* r = Region();
    TTrialState s{{}, r->resumeBand_, r->resumeLoc_, r->currentLoc_, restartLoc_, r->currentOcc_,
                  r->breakRequested_, r->finishPage_, r->atTop_, newData_, currentColumn_, savedLastTop_,
                  savedPriorTop_, savedLastBottom_, savedRegionColumn_};
    for (int i = 0; i < r->ChildCount(); ++i)
        if (auto* b = dynamic_cast<TVizeBand*>(r->GetChild(i)))
            s.Bands.push_back({b, b->lastGroupValue_, b->printedOnPage_, b->split_});
    r->SavePosition();
    SaveState();
    auto restore = [&] {
        RestoreState();
        r->RestorePosition();
        for (const auto& b : s.Bands) {
            b.Band->lastGroupValue_ = b.LastGroup;
            b.Band->printedOnPage_ = b.Printed;
            b.Band->split_ = b.Split;
        }
        r->resumeBand_ = s.ResumeBand;
        r->resumeLoc_ = s.ResumeLoc;
        r->currentLoc_ = s.CurrentLoc;
        r->currentOcc_ = s.CurrentOcc;
        r->breakRequested_ = s.Break;
        r->finishPage_ = s.Finish;
        r->atTop_ = s.AtTop;
        restartLoc_ = s.RestartLoc;
        newData_ = s.NewData;
        currentColumn_ = s.Column;
        savedLastTop_ = s.LastTop;
        savedPriorTop_ = s.PriorTop;
        savedLastBottom_ = s.LastBottom;
        savedRegionColumn_ = s.RegionColumn;
    };
    bool ok;
    try {
        ok = body();
    } catch (...) {
        restore();
        throw;
    }
    restore();
    return ok;
}

void TVizeIterateBand::PrintBody(TBaseReport* report) {
    TVizeRegion* r = Region();
    if (keepBody_ && !IsSaving() && !r->atTop_) {
        if (!BodyPass(report, 0, true)) r->FinishPage();
    } else if (orphanRows_ > 0 && !IsSaving() && !r->atTop_) {
        if (!BodyPass(report, orphanRows_, true)) r->FinishPage();
    }
    BodyPass(report, 0, false);
}

bool TVizeIterateBand::BodyPass(TBaseReport* report, int rowLimit, bool trial) {
    TVizeRegion* r = Region();
    if (r->currentOcc_ == poNewPage) currentColumn_ = 0;
    if (r->currentOcc_ == poFirst) {
        currentColumn_ = 0;
        for (TVizeBand* b : ControlledBands()) b->ClearGroupValue();
        if (initToFirst_)
            FirstRow();
        else
            CurrentRow();
        if (!AtEnd()) newData_ = true;
    }
    auto pass = [&]() -> bool {
        int rows = 0, counted = 0;
        // An empty view prints nothing, not even body headers and footers.
        if (AtEnd() && !r->resumeBand_) return true;
        if (!PrintAt(report, plBodyHeader)) return false;
        bool maxEnded = false;
        while (!AtEnd()) {
            if (!PrintAt(report, plGroupHeader)) return false;
            if (!PrintKeptRow(report)) return false;
            if (rowLimit > 0 && ++rows >= rowLimit) return true;
            if (!PrintAt(report, plGroupFooter)) return false;
            if (maxRows_ > 0 && ++counted >= maxRows_) {
                maxEnded = true;
                break;
            }
            NextRow();
            if (!AtEnd()) newData_ = true;
        }
        return PrintAt(report, plBodyFooter) || maxEnded;
    };
    return trial ? Trial(pass) : pass();
}

bool TVizeIterateBand::PrintAt(TBaseReport* report, TBandPrintLoc location) {
    TVizeRegion* r = Region();
    if (location == plMaster) {
        r->currentLoc_ = plMaster;
        PrintBand(report);
        savedPriorTop_ = r->currentPos_;
        if (FloatLess(r->currentPos_, savedLastBottom_)) r->currentPos_ = savedLastBottom_;
    } else {
        r->PrintLocation(report, this, location);
    }
    if (r->breakRequested_) restartLoc_ = location;
    return !r->breakRequested_;
}

bool TVizeIterateBand::PrintRow(TBaseReport* report) {
    for (TBandPrintLoc l : {plRowHeader, plMaster, plDetail, plRowFooter})
        if (!PrintAt(report, l)) return false;
    return true;
}

bool TVizeIterateBand::PrintKeptRow(TBaseReport* report) {
    TVizeRegion* r = Region();
    if (keepRow_ && !IsSaving() && !r->atTop_) {
        if (!Trial([&] { return PrintRow(report); })) r->FinishPage();
    }
    return PrintRow(report);
}

// ------------------------------------------------------------ data band

TVizeDataBand::TVizeDataBand(TComponent* owner) : TVizeIterateBand(owner) {}

void TVizeDataBand::SetDataView(TVizeBaseDataView* v) {
    dataView_ = v;
    LinkTo(this, v);
}

void TVizeDataBand::SetMasterDataView(TVizeBaseDataView* v) {
    masterDataView_ = v;
    LinkTo(this, v);
}

void TVizeDataBand::FirstRow() {
    if (dataView_) dataView_->ApplyMasterDetail(DetailKey(), masterDataView_, masterKey_, sortKey_);
}

void TVizeDataBand::NextRow() {
    if (dataView_) dataView_->Next();
}

void TVizeDataBand::CurrentRow() {
    if (dataView_) dataView_->GetCurrentRow();
}

bool TVizeDataBand::AtEnd() { return !dataView_ || dataView_->Eof(); }

bool TVizeDataBand::RowsLeft(int count) { return !dataView_ || dataView_->CheckRowsLeft(count); }

void TVizeDataBand::SaveState() {
    TVizeIterateBand::SaveState();
    if (dataView_) dataView_->SaveState();
}

void TVizeDataBand::RestoreState() {
    TVizeIterateBand::RestoreState();
    if (dataView_) dataView_->RestoreState();
}

bool TVizeDataBand::IsSaving() const {
    return TVizeIterateBand::IsSaving() || (dataView_ && dataView_->Saving());
}

void TVizeDataBand::ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) {
    TVizeIterateBand::ReplaceReference(oldRef, newRef);
    if (!oldRef) return;
    if (oldRef == dataView_) SetDataView(dynamic_cast<TVizeBaseDataView*>(newRef));
    if (oldRef == masterDataView_) SetMasterDataView(dynamic_cast<TVizeBaseDataView*>(newRef));
}

void TVizeDataBand::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove) {
        if (component == dataView_) dataView_ = nullptr;
        if (component == masterDataView_) masterDataView_ = nullptr;
    }
    TVizeIterateBand::Notification(component, operation);
}

// ------------------------------------------------------------ data cycle

TVizeDataCycle::TVizeDataCycle(TComponent* owner) : TVizeComponent(owner) {}

TVizeDataCycle::~TVizeDataCycle() { Destroying(); }

void TVizeDataCycle::SetDataView(TVizeBaseDataView* v) {
    dataView_ = v;
    LinkTo(this, v);
}

void TVizeDataCycle::SetMasterDataView(TVizeBaseDataView* v) {
    masterDataView_ = v;
    LinkTo(this, v);
}

void TVizeDataCycle::BeforeReport() {
    rowCount_ = 0;
    active_ = dataView_ != nullptr;
    TVizeComponent::BeforeReport();
}

void TVizeDataCycle::PrintSelf(TBaseReport* report) {
    if (!IsVisible() || !active_ || !dataView_) return;
    if (rowCount_ == 0) {
        if (initToFirst_)
            dataView_->ApplyMasterDetail(detailKey_, masterDataView_, masterKey_, sortKey_);
        else
            dataView_->GetCurrentRow();
    } else {
        dataView_->Next();
    }
    if (Page()) Page()->PrepareContent();
    ++rowCount_;
    active_ = dataView_->HasNextRow() && !(maxRows_ > 0 && rowCount_ >= maxRows_);
}

bool TVizeDataCycle::IsPrintComplete() { return !(active_ && dataView_ && !dataView_->Eof()); }

void TVizeDataCycle::ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) {
    TVizeComponent::ReplaceReference(oldRef, newRef);
    if (!oldRef) return;
    if (oldRef == dataView_) SetDataView(dynamic_cast<TVizeBaseDataView*>(newRef));
    if (oldRef == masterDataView_) SetMasterDataView(dynamic_cast<TVizeBaseDataView*>(newRef));
}

void TVizeDataCycle::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove) {
        if (component == dataView_) dataView_ = nullptr;
        if (component == masterDataView_) masterDataView_ = nullptr;
    }
    TVizeComponent::Notification(component, operation);
}

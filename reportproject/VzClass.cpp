#include "reportproject/VzClass.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "platform/core/Streams.h"
#include "platform/core/Strings.h"
#include "reportproject/VzEvents.h"
#include "reportproject/VzFiler.h"
#include "reportproject/VzProj.h"
#include "reportproject/VzUtil.h"
#include "report/ReportDefs.h"

// ------------------------------------------------------------ class info

TVizeClassRef VizeClassOf(const TObject* obj) {
    if (auto* c = dynamic_cast<const TVizeComponent*>(obj)) return c->VizeClass();
    if (auto* p = dynamic_cast<const TVizePersistent*>(obj)) return p->VizeClass();
    return nullptr;
}

TVizeClassRef TVizeComponent::StaticClass() {
    static TVizeClass* cls = [] {
        auto* c = new TVizeClass("TVizeComponent", nullptr, nullptr, true);
        auto name = [](TVizeComponent& o) { return o.Name(); };
        auto setName = [](TVizeComponent& o, const std::string& v) { o.SetName(v); };
        TVizeProps<TVizeComponent>(*c)
            .String("Name", name, setName)
            .Other("Tag", tkVariant)
            .Boolean("DevLocked", &TVizeComponent::DevLocked, &TVizeComponent::SetDevLocked)
            .Boolean("Visible", &TVizeComponent::Visible, &TVizeComponent::SetVisible, true)
            .Boolean("Locked", &TVizeComponent::Locked, &TVizeComponent::SetLocked)
            .Object<TVizeSimpleEvent>("OnBeforeReport", &TVizeComponent::OnBeforeReport,
                                      &TVizeComponent::SetOnBeforeReport)
            .Object<TVizeSimpleEvent>("OnAfterReport", &TVizeComponent::OnAfterReport,
                                      &TVizeComponent::SetOnAfterReport)
            .Object<TVizeSimpleEvent>("OnBeforePrint", &TVizeComponent::OnBeforePrint,
                                      &TVizeComponent::SetOnBeforePrint)
            .Object<TVizeSimpleEvent>("OnAfterPrint", &TVizeComponent::OnAfterPrint,
                                      &TVizeComponent::SetOnAfterPrint);
        return c;
    }();
    return cls;
}

TVizeClassRef TVizeContainerComponent::StaticClass() {
    static const TVizeClass cls("TVizeContainerComponent", TVizeComponent::StaticClass(),
                                [](TComponent* owner) { return new TVizeContainerComponent(owner); }, true);
    return &cls;
}

TVizeClassRef TVizeProjectItem::StaticClass() {
    static TVizeClass* cls = [] {
        auto* c = new TVizeClass("TVizeProjectItem", TVizeContainerComponent::StaticClass(),
                                 [](TComponent* owner) { return new TVizeProjectItem(owner); }, true);
        TVizeProps<TVizeProjectItem>(*c)
            .String("Description", &TVizeProjectItem::Description, &TVizeProjectItem::SetDescription)
            .String("FullName", &TVizeProjectItem::FullName, &TVizeProjectItem::SetFullName)
            .Boolean("CompileNeeded", &TVizeProjectItem::CompileNeeded, &TVizeProjectItem::SetCompileNeeded);
        return c;
    }();
    return cls;
}

TVizeClassRef TVizeDataObject::StaticClass() {
    static const TVizeClass cls("TVizeDataObject", TVizeProjectItem::StaticClass(),
                                [](TComponent* owner) { return new TVizeDataObject(owner); }, true);
    return &cls;
}

// ------------------------------------------------------------ component

namespace {

template <class T>
T* NearestOwner(TComponent* start) {
    for (TComponent* c = start; c; c = c->Owner())
        if (auto* t = dynamic_cast<T*>(c)) return t;
    return nullptr;
}

}  // namespace

TVizeComponent::TVizeComponent(TComponent* owner) : TComponent(owner) {
    // Constructors of the project manager, reports and pages adjust their
    // own references afterwards.
    page_ = dynamic_cast<TVizePage*>(owner);
    if (owner) {
        project_ = NearestOwner<TVizeProjectManager>(owner);
        report_ = NearestOwner<TVizeReport>(owner);
    }
    visible_ = true;
    if (VizeDesigner().DesignMode && VizeDesigner().NotifyDesigner) VizeDesigner().NotifyDesigner(nullptr, this);
}

TVizeComponent::~TVizeComponent() {
    Destroying();
    FreeEvents();
    if (VizeDesigner().DesignMode && VizeDesigner().NotifyDesigner) VizeDesigner().NotifyDesigner(this, nullptr);
    CallComponentDeleted(this);
    DestroyChildren();
    SetParent(nullptr);
}

namespace {
// Clears the component references of obj that hold target; nested objects
// are followed to the given depth.
void ClearReferences(TObject& obj, const TComponent* target, int depth) {
    TVizeClassRef cls = VizeClassOf(&obj);
    if (!cls) return;
    for (const TVizePropInfo* prop : cls->PropList()) {
        if (prop->Kind != tkClass || !prop->GetObj) continue;
        TObject* value = prop->GetObj(obj);
        if (!value) continue;
        if (value == target) {
            if (prop->SetObj) prop->SetObj(obj, nullptr);
        } else if (auto* list = dynamic_cast<TVizeComponentList*>(value)) {
            // target is past its own destructor: compare addresses only.
            std::vector<TVizeComponent*> keep;
            for (TVizeComponent* c : list->Items())
                if (static_cast<const TComponent*>(c) != target) keep.push_back(c);
            if (int(keep.size()) != list->Count()) {
                list->Clear();
                for (TVizeComponent* c : keep) list->Add(c);
            }
        } else if (depth > 0 && !dynamic_cast<TComponent*>(value)) {
            ClearReferences(*value, target, depth - 1);
        }
    }
}
}  // namespace

void TVizeComponent::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation != opRemove || component == this || ComponentState().Contains(csDestroying)) return;
    // Only a component being freed: one that merely changes owner stays
    // a valid target.
    if (!component->ComponentState().Contains(csDestroying)) return;
    ClearReferences(*this, component, 1);
}

void TVizeComponent::FreeEvents() {
    TVizeClassRef cls = VizeClass();
    for (const TVizePropInfo* prop : cls->PropList()) {
        if (prop->Kind != tkClass || !prop->PropClass() || !prop->GetObj) continue;
        if (!prop->PropClass()->InheritsFrom(TVizeEvent::StaticClass())) continue;
        TObject* event = prop->GetObj(*this);
        if (!event) continue;
        if (prop->SetObj)
            prop->SetObj(*this, nullptr);  // the setter frees the old event
        else
            delete event;
    }
}

void TVizeComponent::ReplaceEvent(TVizeSimpleEvent*& slot, TVizeSimpleEvent* event) {
    if (slot == event) return;
    TVizeSimpleEvent* old = slot;
    slot = event;
    delete old;
}

void TVizeComponent::SetOnBeforeReport(TVizeSimpleEvent* event) { ReplaceEvent(onBeforeReport_, event); }
void TVizeComponent::SetOnAfterReport(TVizeSimpleEvent* event) { ReplaceEvent(onAfterReport_, event); }
void TVizeComponent::SetOnBeforePrint(TVizeSimpleEvent* event) { ReplaceEvent(onBeforePrint_, event); }
void TVizeComponent::SetOnAfterPrint(TVizeSimpleEvent* event) { ReplaceEvent(onAfterPrint_, event); }

void TVizeComponent::SetDevLocked(bool value) {
    if (value != devLocked_) devLocked_ = value;
}

void TVizeComponent::SetLocked(bool value) {
    if (value != locked_) locked_ = value;
}

void TVizeComponent::SetVisible(bool value) {
    if (value == visible_) return;
    if (value)
        Show();
    else
        Hide();
}

bool IsReservedName(const std::string& name) {
    static const char* const words[] = {"IMPORT", "CONST", "TYPE", "VAR", "FUNCTION",
                                        "IMPLEMENTATION", "END", "CREATION", "DESTRUCTION"};
    const std::string upper = UpperCase(name);
    return std::any_of(std::begin(words), std::end(words), [&](const char* w) { return upper == w; });
}

void TVizeComponent::SetName(const std::string& newName) {
    if (VizeDesigner().DesignMode && newName.empty()) return;
    if (IsReservedName(newName)) return;
    DoSetName(newName);
}

void TVizeComponent::DoSetName(const std::string& newName) {
    TComponent::SetName(newName);
    if (VizeHooks().NameChanged) VizeHooks().NameChanged(this, newName);
    Refresh();
}

void TVizeComponent::Refresh() {
    TVizeDesignerLink& designer = VizeDesigner();
    if (!designer.CurrentPageDesigner || !designer.RepaintDesigner) return;
    if (page_ && page_->Designer() == designer.CurrentPageDesigner) designer.RepaintDesigner();
}

void TVizeComponent::DestroyChildren() {
    while (ChildCount() > 0) delete GetChild(ChildCount() - 1);
}

void TVizeComponent::ProjectLoaded() {
    for (int i = 0; i < ChildCount(); ++i) GetChild(i)->ProjectLoaded();
}

void TVizeComponent::SetParent(TVizeComponent* newParent) {
    if (parent_) parent_->RemoveChild(this);
    parent_ = newParent;
    if (!parent_) return;
    try {
        parent_->AddChild(this);
    } catch (...) {
        // A parent that refuses the child must not stay recorded as its
        // parent: it does not list the child and may be freed first.
        parent_ = nullptr;
        throw;
    }
}

void TVizeComponent::AddChild(TVizeComponent* child) {
    throw EVizeClass(VizeMessage("Class cannot accept children classes: \"%s\"", VizeClass()->Name()));
}

int TVizeComponent::IndexInParent() const {
    if (!parent_) return 0;
    for (int i = 0; i < parent_->ChildCount(); ++i)
        if (parent_->GetChild(i) == this) return i;
    return 0;
}

bool TVizeComponent::IsPrintComplete() {
    for (int i = 0; i < ChildCount(); ++i)
        if (!GetChild(i)->IsPrintComplete()) return false;
    return true;
}

void TVizeComponent::BeforeReport() {
    if (onBeforeReport_) onBeforeReport_->Execute();
    for (int i = 0; i < ChildCount(); ++i) GetChild(i)->BeforeReport();
}

void TVizeComponent::AfterReport() {
    for (int i = 0; i < ChildCount(); ++i) GetChild(i)->AfterReport();
    if (onAfterReport_) onAfterReport_->Execute();
}

void TVizeComponent::BeforePrint() {
    ++printNesting_;
    if (printNesting_ > 1 || !onBeforePrint_) return;
    try {
        onBeforePrint_->Execute();
    } catch (...) {
        // A failed handler leaves the count as it found it: callers pair
        // AfterPrint only with a BeforePrint that returned, and the next
        // run must fire the handler again.
        --printNesting_;
        throw;
    }
}

void TVizeComponent::Print(TBaseReport* report) {
    BeforePrint();
    try {
        if (IsVisible()) {
            PrintSelf(report);
            for (int i = 0; i < ChildCount(); ++i) GetChild(i)->Print(report);
        }
    } catch (...) {
        AfterPrint();
        throw;
    }
    AfterPrint();
}

void TVizeComponent::AfterPrint() {
    --printNesting_;
    if (printNesting_ == 0 && onAfterPrint_) onAfterPrint_->Execute();
}

void TVizeComponent::PrepareContent() {
    for (int i = 0; i < ChildCount(); ++i) GetChild(i)->PrepareContent();
}

void TVizeComponent::ReleaseContent() {
    for (int i = 0; i < ChildCount(); ++i) GetChild(i)->ReleaseContent();
}

void TVizeComponent::ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) {
    for (int i = 0; i < ChildCount(); ++i) GetChild(i)->ReplaceReference(oldRef, newRef);
}

void TVizeComponent::SaveDesignState() {
    for (int i = 0; i < ChildCount(); ++i) GetChild(i)->SaveDesignState();
}

void TVizeComponent::RestoreDesignState() {
    for (int i = 0; i < ChildCount(); ++i) GetChild(i)->RestoreDesignState();
}

void TVizeComponent::SaveAdjustedState() {
    for (int i = 0; i < ChildCount(); ++i) GetChild(i)->SaveAdjustedState();
}

void TVizeComponent::RestoreAdjustedState() {
    for (int i = 0; i < ChildCount(); ++i) GetChild(i)->RestoreAdjustedState();
}

bool TVizeComponent::ChildShownInDesigner(const TVizeComponent* child) const {
    return parent_ ? parent_->ChildShownInDesigner(this) : true;
}

void TVizeComponent::SetParentComponent(TComponent* value) {
    if (auto* c = dynamic_cast<TVizeComponent*>(value)) SetParent(c);
}

void TVizeComponent::AskParentToMove(int kind) {
    if (parent_) parent_->MoveChild(this, kind);
}

double TVizeComponent::UnitsFactor() const { return project_ ? project_->UnitsFactor() : 1.0; }
double TVizeComponent::XU2I(double x) const { return x / UnitsFactor(); }
double TVizeComponent::YU2I(double y) const { return y / UnitsFactor(); }
double TVizeComponent::XI2U(double x) const { return x * UnitsFactor(); }
double TVizeComponent::YI2U(double y) const { return y * UnitsFactor(); }

bool MoveInList(std::vector<TVizeComponent*>& list, TVizeComponent* child, int kind) {
    const auto it = std::find(list.begin(), list.end(), child);
    if (it == list.end()) return false;
    const int i = static_cast<int>(it - list.begin());
    const int n = static_cast<int>(list.size());
    int target;
    switch (kind) {
        case mkSendToBack: target = 0; break;
        case mkMoveBehind: target = i - 1; break;
        case mkMoveForward: target = i + 1; break;
        default: target = n - 1; break;
    }
    if (target < 0 || target >= n || target == i) return false;
    list.erase(it);
    list.insert(list.begin() + target, child);
    return true;
}

// ------------------------------------------------------------ containers

TVizeContainerComponent::TVizeContainerComponent(TComponent* owner) : TVizeComponent(owner) { SetContainer(); }

TVizeContainerComponent::~TVizeContainerComponent() {
    // Children freed now must not find this half-destroyed component whole.
    Destroying();
    DestroyChildren();
}

void TVizeContainerComponent::DestroyChildren() {
    TVizeComponent::DestroyChildren();
    children_.reset();
}

void TVizeContainerComponent::AddChild(TVizeComponent* child) {
    if (!children_) children_ = std::make_unique<std::vector<TVizeComponent*>>();
    children_->push_back(child);
}

void TVizeContainerComponent::RemoveChild(TVizeComponent* child) {
    if (!children_) return;
    const auto it = std::find(children_->begin(), children_->end(), child);
    if (it != children_->end()) children_->erase(it);
}

TVizeComponent* TVizeContainerComponent::GetChild(int index) const {
    if (!children_ || index < 0 || index >= static_cast<int>(children_->size())) return nullptr;
    return (*children_)[static_cast<std::size_t>(index)];
}

int TVizeContainerComponent::ChildCount() const {
    return children_ ? static_cast<int>(children_->size()) : 0;
}

void TVizeContainerComponent::MoveChild(TVizeComponent* child, int kind) {
    if (children_) MoveInList(*children_, child, kind);
}

// ------------------------------------------------------------ project items

TVizeProjectItem::TVizeProjectItem(TComponent* owner) : TVizeContainerComponent(owner) {}

TVizeProjectItem::~TVizeProjectItem() {
    DestroyChildren();
    FreeModule();
}

void TVizeProjectItem::FreeModule() {
    if (!module_) return;
    // Modules that import this one must not keep reaching it once freed;
    // when the whole project goes, they all go with it.
    TVizeProjectManager* project = dynamic_cast<TVizeProjectManager*>(this);
    if (!project) project = Project();
    if (project && !project->ComponentState().Contains(csDestroying))
        project->ModuleManager().UnlinkModule(module_);
    delete module_;
    module_ = nullptr;
}

void TVizeProjectItem::SetActive(bool value) {
    if (value == active_) return;
    if (value)
        Activate();
    else
        Deactivate();
}

void TVizeProjectItem::SaveToStream(TStream& stream) {
    TStreamHelper helper(stream);
    TVizeWriter(helper).WriteComponent(this, true);
}

void TVizeProjectItem::LoadFromStream(TStream& stream) {
    TStreamHelper helper(stream);
    TVizeReader reader(helper);
    reader.UseProject(Project());
    reader.ReadRootItem(this);
    reader.ApplyFixups();
}

void TVizeProjectItem::Activate() {
    if (active_) return;
    active_ = true;
    if (VizeHooks().ItemActivation) VizeHooks().ItemActivation(this, true, 0);
}

void TVizeProjectItem::Deactivate() {
    if (!active_) return;
    active_ = false;
    if (VizeHooks().ItemActivation) VizeHooks().ItemActivation(this, false, 0);
}

void TVizeProjectItem::PrepareItem(Integer a, Integer b) {
    if (VizeHooks().ItemPrepare) VizeHooks().ItemPrepare(this, a, b);
    for (int i = 0; i < ChildCount(); ++i)
        if (auto* item = dynamic_cast<TVizeProjectItem*>(GetChild(i))) item->PrepareItem(a, b);
}

void TVizeProjectItem::SetParameters(const TStrings& lines) {
    parameters_.Clear();
    for (Integer i = 0; i < lines.Count(); ++i) {
        std::string line = lines[i];
        std::replace(line.begin(), line.end(), '<', '_');
        std::replace(line.begin(), line.end(), '>', '_');
        parameters_.Add(line);
    }
}

void TVizeProjectItem::SetCompileNeeded(bool value) {
    compileNeeded_ = value;
    if (value && Project() && Project() != this) Project()->SetCompileNeeded(true);
}

void TVizeProjectItem::SetModule(TVizeModule* module) {
    if (module == module_) return;
    FreeModule();
    module_ = module;
    if (module_) module_->SetOwnerItem(this);
}

void TVizeProjectItem::SetName(const std::string& newName) {
    // FullName follows the name only when the rename takes place.
    const std::string oldName = Name();
    const bool follows = fullName_ == oldName;
    TVizeComponent::SetName(newName);
    if (follows && Name() != oldName) fullName_ = Name();
}

void TVizeProjectItem::ProjectLoaded() {
    if (module_) module_->ResolveReferences();
    TVizeContainerComponent::ProjectLoaded();
}

void TVizeProjectItem::ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) {
    TVizeContainerComponent::ReplaceReference(oldRef, newRef);
    auto* oldItem = dynamic_cast<TVizeProjectItem*>(oldRef);
    if (module_ && oldItem && newRef) {
        auto* newItem = dynamic_cast<TVizeProjectItem*>(newRef);
        module_->ForgetReference(oldItem->Module(), newItem ? newItem->Module() : nullptr);
    }
}

void TVizeProjectItem::WriteModuleData(TStream& stream) {
    if (!module_) return;
    TMemoryStream data;
    module_->SaveToStream(data);
    const auto size = static_cast<std::uint32_t>(data.Size());
    const Byte count[4] = {Byte(size), Byte(size >> 8), Byte(size >> 16), Byte(size >> 24)};
    stream.WriteBuffer(count, 4);
    data.SetPosition(0);
    if (size > 0) stream.CopyFrom(data, size);
}

void TVizeProjectItem::ReadModuleData(TStream& stream) {
    SetModule(nullptr);
    try {
        Byte count[4];
        stream.ReadBuffer(count, 4);
        const std::uint32_t size = count[0] | (count[1] << 8) | (count[2] << 16) | (std::uint32_t(count[3]) << 24);
        // Never trust the count beyond what the stream holds.
        if (static_cast<Int64>(size) > stream.Size() - stream.Position()) throw EReadError("Stream read error");
        TMemoryStream data;
        if (size > 0) data.CopyFrom(stream, size);
        data.SetPosition(0);
        if (VizeHooks().ModuleLoader)
            SetModule(VizeHooks().ModuleLoader(data, this, dynamic_cast<TVizeProjectItem*>(Owner())));
    } catch (...) {
        SetCompileNeeded(true);
    }
}

void TVizeProjectItem::DefineModuleProperty(TVizeFiler& filer) {
    filer.DefineBinaryProperty(
        "Module", [this](TStream& s) { ReadModuleData(s); }, [this](TStream& s) { WriteModuleData(s); },
        HasModuleData());
}

std::string TVizeProjectItem::QualifiedName() const {
    auto* ownerItem = dynamic_cast<TVizeProjectItem*>(Owner());
    if (!ownerItem || dynamic_cast<TVizeProjectManager*>(ownerItem)) return Name();
    return ownerItem->Name() + "_" + Name();
}

// ------------------------------------------------------------ lists

TVizeClassRef TVizePersistentList::StaticClass() {
    static const TVizeClass cls("TVizePersistentList", nullptr, nullptr, false);
    return &cls;
}

TVizeClassRef TVizeComponentList::StaticClass() {
    static const TVizeClass cls("TVizeComponentList", nullptr, nullptr, false);
    return &cls;
}

TPersistent* TVizePersistentList::CreateItem(const std::string& className, TComponent* owner) {
    TVizeClassRef cls = FindVizeClass(className);
    if (!cls || !cls->CanConstruct()) return nullptr;
    return cls->Construct(cls->IsComponent() ? owner : nullptr);
}

void TVizePersistentList::Clear() {
    std::vector<TPersistent*> items;
    items.swap(items_);
    for (TPersistent* item : items) delete item;
}

void TVizeComponentList::Remove(TVizeComponent* c) {
    const auto it = std::find(items_.begin(), items_.end(), c);
    if (it != items_.end()) items_.erase(it);
}

void CopyComponentList(const TVizeComponentList& source, TVizeComponentList& dest) { dest.Assign(source); }

void TVizeMethodList::Remove(const TVizeMethod& method) {
    for (auto it = items_.rbegin(); it != items_.rend(); ++it) {
        if (*it == method) {
            items_.erase(std::next(it).base());
            return;
        }
    }
}

void TVizeMethodList::RemoveObject(const TObject* object) {
    items_.erase(std::remove_if(items_.begin(), items_.end(),
                                [object](const TVizeMethod& m) { return m.Object == object; }),
                 items_.end());
}

void TVizeMethodList::Retarget(const TObject* oldObject, TObject* newObject) {
    for (auto& m : items_)
        if (m.Object == oldObject) m.Object = newObject;
}

void TVizeMethodList::Notify(TObject* sender, void* argument) const {
    const std::vector<TVizeMethod> copy = items_;  // a listener may change the list
    for (const auto& m : copy)
        if (m.Code) m.Code(m.Object, sender, argument);
}

void SaveAdjusted(TVizeComponent* control) {
    if (control) control->SaveAdjustedState();
}

void RestoreAdjusted(TVizeComponent* control) {
    if (control) control->RestoreAdjustedState();
}

// ------------------------------------------------------------ registration

namespace {

struct RegistrationState {
    std::vector<TVizeRegistration> procs;
    std::map<std::string, std::pair<std::string, std::string>> moduleOfClass;  // upper name -> (name, module)
};

std::unique_ptr<RegistrationState>& RegistrationStorage() {
    static std::unique_ptr<RegistrationState> state;
    return state;
}

RegistrationState& Registration() {
    auto& state = RegistrationStorage();
    if (!state) state = std::make_unique<RegistrationState>();
    return *state;
}

int LastValidIndex(const std::vector<TVizeClassRef>& classes, int lastIndex) {
    return std::min(lastIndex, static_cast<int>(classes.size()) - 1);
}

}  // namespace

void RegisterProc(const std::string& groupName, TVizeRegisterProc procedure) {
    Registration().procs.push_back({groupName, procedure});
}

const std::vector<TVizeRegistration>& RegistrationList() { return Registration().procs; }

void RegisterClasses(const std::string& groupName, const std::vector<TVizeClassRef>& classes, int lastIndex) {
    if (VizeHooks().ClassRegistration) {
        VizeHooks().ClassRegistration(groupName, classes, lastIndex);
        return;
    }
    for (int i = 0; i <= LastValidIndex(classes, lastIndex); ++i) RegisterVizeClass(classes[i]);
}

void RegisterModuleClasses(const std::string& moduleName, const std::vector<TVizeClassRef>& classes,
                           int lastIndex) {
    auto& map = Registration().moduleOfClass;
    for (int i = 0; i <= LastValidIndex(classes, lastIndex); ++i) {
        if (!classes[i]) continue;
        map.emplace(UpperCase(classes[i]->Name()), std::make_pair(classes[i]->Name(), moduleName));
    }
}

void RegisterComponentGroup(const std::string& groupName, const std::string& caption,
                            const std::string& moduleName, const std::vector<TVizeClassRef>& classes,
                            int lastIndex) {
    if (VizeHooks().Palette) VizeHooks().Palette(groupName, caption, moduleName);
    RegisterClasses(groupName, classes, lastIndex);
    RegisterModuleClasses(moduleName, classes, lastIndex);
}

std::string ModuleOfClass(const std::string& className) {
    const auto& map = Registration().moduleOfClass;
    const auto it = map.find(UpperCase(className));
    return it == map.end() ? std::string() : it->second.second;
}

std::string RegisteredClassName(TVizeClassRef cls) {
    const auto& map = Registration().moduleOfClass;
    for (TVizeClassRef c = cls; c; c = c->Parent()) {
        const auto it = map.find(UpperCase(c->Name()));
        if (it != map.end()) return it->second.first;
    }
    return {};
}

void RegisterDisplayName(const std::string& caption, TVizeClassRef cls) {
    if (VizeHooks().DisplayName) VizeHooks().DisplayName(Trans(caption), cls);
}

void RegisterFunction(void* routine, const std::string& name, const std::string& moduleName) {
    if (VizeHooks().FunctionRegistration) VizeHooks().FunctionRegistration(routine, name, moduleName);
}

void FinalizeVizeRegistration() { RegistrationStorage().reset(); }

TVizeHooks& VizeHooks() {
    static TVizeHooks hooks;
    return hooks;
}

bool VizeHookReentry = false;

void CallComponentAdded(TVizeComponent* component) {
    if (VizeHooks().ComponentAdded && !VizeHookReentry) VizeHooks().ComponentAdded(component, VizeHookReentry);
}

void CallComponentDeleted(TVizeComponent* component) {
    if (VizeHooks().ComponentDeleted && !VizeHookReentry) VizeHooks().ComponentDeleted(component, VizeHookReentry);
}

TVizeDesignerLink& VizeDesigner() {
    static TVizeDesignerLink link;
    return link;
}

std::string MakeUniqueName(const std::string& baseName, const TComponent* owner, bool firstTryPlain) {
    auto taken = [owner](const std::string& name) { return owner && owner->FindComponent(name) != nullptr; };
    std::string base = baseName;
    if (firstTryPlain) {
        std::string rest = baseName;
        char delimiter = 0;
        const std::string plain = NextToken(rest, delimiter, "|");
        if (!taken(plain)) return plain;
        base = delimiter == '|' ? rest : std::string();
    }
    for (int i = 1; i <= 9999; ++i) {
        const std::string name = base + std::to_string(i);
        if (!taken(name)) return name;
    }
    return base + "9999";
}

// ------------------------------------------------------------ module start-up

namespace {

void RegisterVzClassClasses() {
    RegisterClasses("VZCL", {TVizePage::StaticClass()}, 0);
    RegisterModuleClasses("VzClass",
                          {TVizeComponent::StaticClass(), TVizeContainerComponent::StaticClass(),
                           TVizeProjectItem::StaticClass(), TVizePage::StaticClass()},
                          3);
}

}  // namespace

void InitializeVzClass() { RegisterProc("VZCL", RegisterVzClassClasses); }

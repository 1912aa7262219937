#pragma once
// The project component family: the root TVizeComponent with its layout
// tree of parent and children (separate from ownership), the container
// variant, project items, the three list classes, the global registration
// lists and replaceable hooks through which a host hears about components,
// the naming rule and the generation of unique names.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Component.h"
#include "platform/core/StringList.h"
#include "platform/core/Types.h"
#include "reportproject/VizeException.h"
#include "reportproject/VzTypeInfo.h"

class TBaseReport;
class TStream;
class TVizeEvent;
class TVizeSimpleEvent;
class TVizeModule;
class TVizePage;
class TVizePageDesigner;
class TVizeReport;
class TVizeProjectManager;
class TVizeProjectItem;

// A listener: a routine and the object it belongs to. The routine receives
// the object, the notifying component and one argument.
using TVizeMethodCode = void (*)(TObject* object, TObject* sender, void* argument);
struct TVizeMethod {
    TVizeMethodCode Code = nullptr;
    TObject* Object = nullptr;
    bool operator==(const TVizeMethod&) const = default;
};

// Kinds of MoveChild.
enum TVizeMoveKind { mkSendToBack = 1, mkMoveBehind = 2, mkMoveForward = 3, mkBringToFront = 4 };

class TVizeComponent : public TComponent {
public:
    explicit TVizeComponent(TComponent* owner);
    ~TVizeComponent() override;

    static TVizeClassRef StaticClass();
    virtual TVizeClassRef VizeClass() const { return StaticClass(); }

    // State flags.
    static constexpr Byte sfContainer = 0x01;
    static constexpr Byte sfReading = 0x04;
    static constexpr Byte sfMirrorUpdate = 0x08;
    Byte StateFlags() const { return stateFlags_; }
    bool IsContainer() const { return (stateFlags_ & sfContainer) != 0; }
    bool IsBeingRead() const { return (stateFlags_ & sfReading) != 0; }
    void SetBeingRead(bool value) { SetFlag(sfReading, value); }
    bool IsMirrorUpdate() const { return (stateFlags_ & sfMirrorUpdate) != 0; }
    void SetMirrorUpdate(bool value) { SetFlag(sfMirrorUpdate, value); }
    Byte PrintNesting() const { return printNesting_; }

    bool DevLocked() const { return devLocked_; }
    void SetDevLocked(bool value);
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    bool Locked() const { return locked_; }
    void SetLocked(bool value);

    TVizeComponent* Parent() const { return parent_; }
    TVizePage* Page() const { return page_; }
    TVizeReport* Report() const { return report_; }
    TVizeProjectManager* Project() const { return project_; }

    // Script events; the component owns them (setting one frees the old).
    TVizeSimpleEvent* OnBeforeReport() const { return onBeforeReport_; }
    TVizeSimpleEvent* OnAfterReport() const { return onAfterReport_; }
    TVizeSimpleEvent* OnBeforePrint() const { return onBeforePrint_; }
    TVizeSimpleEvent* OnAfterPrint() const { return onAfterPrint_; }
    void SetOnBeforeReport(TVizeSimpleEvent* event);
    void SetOnAfterReport(TVizeSimpleEvent* event);
    void SetOnBeforePrint(TVizeSimpleEvent* event);
    void SetOnAfterPrint(TVizeSimpleEvent* event);

    // Renames, except that reserved words of the report language are
    // ignored silently, and an empty name is ignored in design mode.
    virtual void SetName(const std::string& newName);

    // ---- virtual operations
    virtual bool IsMasterItem() const { return false; }
    virtual bool AcceptParent(TVizeClassRef parentClass) const { return true; }
    virtual bool AcceptChild(TVizeClassRef childClass) const { return IsContainer(); }
    virtual void DestroyChildren();
    virtual void ProjectLoaded();
    virtual void SetParent(TVizeComponent* newParent);
    // Raises EVizeClass for components that cannot take children.
    virtual void AddChild(TVizeComponent* child);
    virtual void RemoveChild(TVizeComponent* child) {}
    virtual TVizeComponent* GetChild(int index) const { return nullptr; }
    virtual int ChildCount() const { return 0; }
    virtual int IndexInParent() const;
    virtual double PageLeft() const { return 0.0; }
    virtual double PageTop() const { return 0.0; }
    virtual double PageRight() const { return 0.0; }
    virtual double PageBottom() const { return 0.0; }
    // Descendants register property overrides with the filer here.
    virtual void DefinePropertyOverrides(class TVizeFiler& filer) {}
    virtual bool IsPrintComplete();
    virtual void BeforeReport();
    virtual void AfterReport();
    virtual void BeforePrint();
    virtual void PrintSelf(TBaseReport* report) {}
    virtual void Print(TBaseReport* report);
    virtual void AfterPrint();
    virtual void PrepareContent();
    virtual void ReleaseContent();
    virtual void MoveChild(TVizeComponent* child, int kind) {}
    virtual void ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef);
    virtual void SaveDesignState();
    virtual void RestoreDesignState();
    virtual void SaveAdjustedState();
    virtual void RestoreAdjustedState();
    virtual void Hide() { visible_ = false; }
    virtual void Show() { visible_ = true; }
    virtual bool IsVisible() const { return visible_; }
    virtual bool ChildShownInDesigner(const TVizeComponent* child) const;
    virtual void AddListener(const std::string& eventName, const TVizeMethod& method) {}
    virtual void RemoveListener(const std::string& eventName, const TVizeMethod& method) {}
    virtual bool HasListenerEvent(const std::string& eventName) const { return false; }

    // Framework integration.
    TVizeComponent* GetParentComponent() const { return parent_; }
    void SetParentComponent(TComponent* value);

    // Script-visible operations.
    void SendToBack() { AskParentToMove(mkSendToBack); }
    void MoveBehind() { AskParentToMove(mkMoveBehind); }
    void MoveForward() { AskParentToMove(mkMoveForward); }
    void BringToFront() { AskParentToMove(mkBringToFront); }
    // Project units to inches and back (the project's UnitsFactor; 1 when
    // the component is in no project).
    double XU2I(double x) const;
    double YU2I(double y) const;
    double XI2U(double x) const;
    double YI2U(double y) const;

    // Asks the current designer to repaint when it shows this component's
    // page.
    void Refresh();

protected:
    // A freed component is cleared from every published reference that
    // holds it, here and in the objects (events) this component holds.
    void Notification(TComponent* component, TOperation operation) override;
    // For the container variants.
    void SetContainer() { SetFlag(sfContainer, true); }
    void SetPageRef(TVizePage* page) { page_ = page; }
    void SetReportRef(TVizeReport* report) { report_ = report; }
    void SetProjectRef(TVizeProjectManager* project) { project_ = project; }
    // Frees the events held in published properties (descendants that
    // publish further events call it from their own destructor).
    void FreeEvents();
    // The free-notification links of the framework also cover events.
    void ReplaceEvent(TVizeSimpleEvent*& slot, TVizeSimpleEvent* event);
    // Base renaming without the reserved-word rule.
    void DoSetName(const std::string& newName);
    // Leaves the print nesting without the after-print step (a pass that
    // ends early for an invisible component).
    void LeavePrint() {
        if (printNesting_ > 0) --printNesting_;
    }

private:
    void SetFlag(Byte flag, bool value) { stateFlags_ = value ? (stateFlags_ | flag) : (stateFlags_ & ~flag); }
    void AskParentToMove(int kind);
    double UnitsFactor() const;

    Byte printNesting_ = 0;
    Byte stateFlags_ = 0;
    bool devLocked_ = false;
    TVizeComponent* parent_ = nullptr;
    bool visible_ = true;
    bool locked_ = false;
    TVizePage* page_ = nullptr;
    TVizeReport* report_ = nullptr;
    TVizeProjectManager* project_ = nullptr;
    TVizeSimpleEvent* onBeforeReport_ = nullptr;
    TVizeSimpleEvent* onAfterReport_ = nullptr;
    TVizeSimpleEvent* onBeforePrint_ = nullptr;
    TVizeSimpleEvent* onAfterPrint_ = nullptr;
};

// Reorders list by the rule of MoveChild; true when the child moved.
bool MoveInList(std::vector<TVizeComponent*>& list, TVizeComponent* child, int kind);

class TVizeContainerComponent : public TVizeComponent {
    VIZE_CLASS(TVizeContainerComponent)
public:
    explicit TVizeContainerComponent(TComponent* owner);
    ~TVizeContainerComponent() override;

    void DestroyChildren() override;
    void AddChild(TVizeComponent* child) override;
    void RemoveChild(TVizeComponent* child) override;
    TVizeComponent* GetChild(int index) const override;
    int ChildCount() const override;
    void MoveChild(TVizeComponent* child, int kind) override;
    bool HasChildList() const { return children_ != nullptr; }

protected:
    // The children in order (null before the first child).
    std::vector<TVizeComponent*>* ChildList() { return children_.get(); }

private:
    std::unique_ptr<std::vector<TVizeComponent*>> children_;
};

class TVizeProjectItem : public TVizeContainerComponent {
    VIZE_CLASS(TVizeProjectItem)
public:
    explicit TVizeProjectItem(TComponent* owner);
    ~TVizeProjectItem() override;

    bool Active() const { return active_; }
    void SetActive(bool value);
    const std::string& Description() const { return description_; }
    void SetDescription(const std::string& value) { description_ = value; }
    const std::string& FullName() const { return fullName_; }
    void SetFullName(const std::string& value) { fullName_ = value; }
    TStringList& Parameters() { return parameters_; }
    // Copies the lines, with every "<" and ">" replaced by "_".
    void SetParameters(const TStrings& lines);
    TStringList& PIVars() { return piVars_; }
    void SetPIVars(const TStrings& lines) { piVars_.Assign(lines); }
    bool CompileNeeded() const { return compileNeeded_; }
    // Setting it also sets the project's.
    void SetCompileNeeded(bool value);
    TVizeModule* Module() const { return module_; }
    // Takes ownership (the old module is freed).
    void SetModule(TVizeModule* module);

    void SetName(const std::string& newName) override;
    void ProjectLoaded() override;
    void ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) override;

    // The item's own stream: its component record with children.
    virtual void SaveToStream(TStream& stream);
    virtual void LoadFromStream(TStream& stream);
    virtual void Activate();
    virtual void Deactivate();
    virtual void PrepareItem(Integer a, Integer b);

    // The "Module" stream property: a 4-byte little-endian count and the
    // module's own stream. Reading asks the module-loader hook for the
    // module; any failure only marks the item for compilation.
    void WriteModuleData(TStream& stream);
    void ReadModuleData(TStream& stream);
    bool HasModuleData() const { return module_ != nullptr; }
    // Files the module as the defined property "Module" (written only when
    // there is a module); every filer of a project item calls it.
    void DefineModuleProperty(class TVizeFiler& filer);

    // The name used in script declarations: the owner's name, "_" and this
    // name when the owner is a project item other than the project.
    std::string QualifiedName() const;

private:
    // Frees the module after the project's other modules forget it.
    void FreeModule();
    bool active_ = false;
    std::string description_;
    std::string fullName_;
    TStringList parameters_;
    TStringList piVars_;
    TVizeModule* module_ = nullptr;
    bool compileNeeded_ = false;
};

// Project items kept in the project's data-object list.
class TVizeDataObject : public TVizeProjectItem {
    VIZE_CLASS(TVizeDataObject)
public:
    using TVizeProjectItem::TVizeProjectItem;
};

// A page of a report, or a global page owned by the project and shared by
// reports. Its size is in inches; children are the page's controls.
class TVizePage : public TVizeProjectItem {
    VIZE_CLASS(TVizePage)
public:
    explicit TVizePage(TComponent* owner);
    // The designer showing this page (not owned).
    TVizePageDesigner* Designer() const { return designer_; }
    void SetDesigner(TVizePageDesigner* designer) { designer_ = designer; }
    void PrepareItem(Integer a, Integer b) override;

    double PageWidth() const { return pageWidth_; }
    double PageHeight() const { return pageHeight_; }
    // Only positive sizes are taken; the paper becomes custom (256).
    void SetPageWidth(double x);
    void SetPageHeight(double x);
    Integer PaperSize() const { return paperSize_; }
    // Known codes size the page (by orientation); unknown ones are only
    // stored.
    void SetPaperSize(Int64 code);
    // 0 portrait, 1 landscape, 2 default (TOrientation).
    int Orientation() const { return orientation_; }
    void SetOrientation(Int64 o);
    Integer Bin() const { return bin_; }
    void SetBin(Int64 v) { bin_ = Integer(v); }
    const std::string& BinCustom() const { return binCustom_; }
    void SetBinCustom(const std::string& v) { binCustom_ = v; }
    int GotoMode() const { return gotoMode_; }
    void SetGotoMode(Int64 v) { gotoMode_ = int(v); }
    TVizePage* GotoPage() const { return gotoPage_; }
    void SetGotoPage(TVizePage* page) { gotoPage_ = page; }
    Integer GridLines() const { return gridLines_; }
    void SetGridLines(Int64 v);
    double GridSpacing() const { return gridSpacing_; }
    void SetGridSpacing(double v);
    bool WasteFit() const { return wasteFit_; }
    void SetWasteFit(bool v) { wasteFit_ = v; }
    // True for a page owned by the project rather than by a report.
    bool IsGlobal() const { return global_; }

    void Print(TBaseReport* report) override;
    void ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) override;
    void SaveToStream(TStream& stream) override;
    void LoadFromStream(TStream& stream) override;

protected:
    void AssignTo(TPersistent* dest) const override;

private:
    void ResizeControls(bool widthChanged, bool heightChanged, double newH, double oldH, double newW, double oldW);

    TVizePageDesigner* designer_ = nullptr;
    double pageWidth_ = 8.5;
    double pageHeight_ = 11.0;
    Integer paperSize_ = -1;
    int orientation_ = 2;
    Integer bin_ = -1;
    std::string binCustom_;
    int gotoMode_ = 0;
    TVizePage* gotoPage_ = nullptr;
    Integer gridLines_ = 5;
    double gridSpacing_ = 0.1;
    bool wasteFit_ = false;
    bool global_ = false;
};

// A list of owned persistent objects (a property value of its own kind in
// project streams).
class TVizePersistentList : public TPersistent {
public:
    static TVizeClassRef StaticClass();
    ~TVizePersistentList() override { Clear(); }
    // A new instance of a registered class: components with owner, other
    // persistent classes plainly; null for unknown or non-persistent names.
    virtual TPersistent* CreateItem(const std::string& className, TComponent* owner);
    int Count() const { return static_cast<int>(items_.size()); }
    TPersistent* Items(int index) const { return items_.at(static_cast<std::size_t>(index)); }
    void Add(TPersistent* item) { items_.push_back(item); }
    void Clear();

private:
    std::vector<TPersistent*> items_;
};

// A list of component references, not owned (a property value of its own
// kind in project streams).
class TVizeComponentList : public TPersistent {
public:
    static TVizeClassRef StaticClass();
    int Count() const { return static_cast<int>(items_.size()); }
    TVizeComponent* Items(int index) const { return items_.at(static_cast<std::size_t>(index)); }
    void SetItem(int index, TVizeComponent* c) { items_.at(static_cast<std::size_t>(index)) = c; }
    void Add(TVizeComponent* c) { items_.push_back(c); }
    void Remove(TVizeComponent* c);
    void Clear() { items_.clear(); }
    // Same count and entries.
    void Assign(const TVizeComponentList& source) { items_ = source.items_; }
    const std::vector<TVizeComponent*>& Items() const { return items_; }

private:
    std::vector<TVizeComponent*> items_;
};
void CopyComponentList(const TVizeComponentList& source, TVizeComponentList& dest);

// A list of listeners.
class TVizeMethodList {
public:
    void Add(const TVizeMethod& method) { items_.push_back(method); }
    // Removes the last record equal in code and object (only that one).
    void Remove(const TVizeMethod& method);
    void RemoveObject(const TObject* object);
    void Retarget(const TObject* oldObject, TObject* newObject);
    int Count() const { return static_cast<int>(items_.size()); }
    const TVizeMethod& Items(int index) const { return items_.at(static_cast<std::size_t>(index)); }
    // Calls every listener in order with sender and argument.
    void Notify(TObject* sender, void* argument) const;

private:
    std::vector<TVizeMethod> items_;
};

void SaveAdjusted(TVizeComponent* control);
void RestoreAdjusted(TVizeComponent* control);

// ---- registration lists

using TVizeRegisterProc = void (*)();
// Appends (groupName, procedure) to the registration list.
void RegisterProc(const std::string& groupName, TVizeRegisterProc procedure);
struct TVizeRegistration {
    std::string Group;
    TVizeRegisterProc Procedure;
};
const std::vector<TVizeRegistration>& RegistrationList();

void RegisterClasses(const std::string& groupName, const std::vector<TVizeClassRef>& classes, int lastIndex);
// The first registration of a class name wins.
void RegisterModuleClasses(const std::string& moduleName, const std::vector<TVizeClassRef>& classes,
                           int lastIndex);
void RegisterComponentGroup(const std::string& groupName, const std::string& caption,
                            const std::string& moduleName, const std::vector<TVizeClassRef>& classes,
                            int lastIndex);
std::string ModuleOfClass(const std::string& className);
// The nearest class, from cls up its ancestors, that a module declares.
std::string RegisteredClassName(TVizeClassRef cls);
void RegisterDisplayName(const std::string& caption, TVizeClassRef cls);
void RegisterFunction(void* routine, const std::string& name, const std::string& moduleName);

// ---- hooks (empty until a module installs them)
struct TVizeHooks {
    std::function<void(const std::string& group, const std::string& caption, const std::string& module)> Palette;
    std::function<void(const std::string& group, const std::vector<TVizeClassRef>& classes, int lastIndex)>
        ClassRegistration;
    std::function<void(void* routine, const std::string& name, const std::string& module)> FunctionRegistration;
    std::function<void(TVizeComponent* component, const std::string& newName)> NameChanged;
    std::function<void(TVizeComponent* component, bool reentry)> ComponentAdded;
    std::function<void(TVizeComponent* component, bool reentry)> ComponentDeleted;
    std::function<void(TVizeProjectItem* item, bool active, Integer argument)> ItemActivation;
    std::function<void(TVizeProjectItem* item, Integer a, Integer b)> ItemPrepare;
    std::function<TVizeModule*(TStream& stream, TVizeProjectItem* item, TVizeProjectItem* ownerItem)> ModuleLoader;
    std::function<void(TVizeModule* module)> ModuleLoaded;
    std::function<void(const std::string& caption, TVizeClassRef cls)> DisplayName;
};
TVizeHooks& VizeHooks();
// While set, the component-added and component-deleted hooks are skipped.
extern bool VizeHookReentry;
void CallComponentAdded(TVizeComponent* component);
void CallComponentDeleted(TVizeComponent* component);

// ---- designer link (no designer window exists in this system)
struct TVizeDesignerLink {
    TVizePageDesigner* CurrentPageDesigner = nullptr;
    std::function<void(TVizeComponent* oldComponent, TVizeComponent* newComponent)> NotifyDesigner;
    std::function<void()> RepaintDesigner;
    bool DesignMode = false;
};
TVizeDesignerLink& VizeDesigner();

// ---- names
// True for the report language's reserved words, in any letter case.
bool IsReservedName(const std::string& name);
// A name owner does not own yet; see the source for the "plain|base" form.
std::string MakeUniqueName(const std::string& baseName, const TComponent* owner, bool firstTryPlain);

// Frees the registration list and the module-class map.
void FinalizeVizeRegistration();

// Start-up of the component model: appends its registration procedure to
// the registration list.
void InitializeVzClass();

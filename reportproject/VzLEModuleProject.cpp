// A module among the items of its project: finding imported modules by
// name, writing the source of the owner's event handlers for a compiler,
// binding those events to compiled code, and the owner's variables.
#include <algorithm>
#include <set>

#include "platform/core/Strings.h"
#include "report/ReportDefs.h"
#include "reportproject/VizeException.h"
#include "reportproject/VzClass.h"
#include "reportproject/VzLEModule.h"
#include "reportproject/VzProj.h"

namespace {

// Import lists are sorted ignoring letter case.
struct NoCaseLess {
    bool operator()(const std::string& a, const std::string& b) const { return UpperCase(a) < UpperCase(b); }
};
using NameSet = std::set<std::string, NoCaseLess>;

bool NameIs(const TVizeModule* module, const std::string& name) {
    const auto* m = dynamic_cast<const TRCPUModule*>(module);
    return m && SameText(m->ModuleName, name);
}

bool IsProjectOrReport(const TComponent* c) {
    return dynamic_cast<const TVizeProjectManager*>(c) || dynamic_cast<const TVizeReport*>(c);
}

// The name used in the generated source: QualifiedName for project items,
// the same rule for other components.
std::string FullNameOf(const TComponent* c) {
    if (const auto* item = dynamic_cast<const TVizeProjectItem*>(c)) return item->QualifiedName();
    return c->Name();
}

// Writes the source one line at a time, counting lines; a line holding CR
// characters spans one more line per CR.
class SourceWriter {
public:
    explicit SourceWriter(std::string& out) : out_(out) { out_.clear(); }
    void Line(const std::string& text) {
        out_ += text;
        out_ += "\r\n";
        lines_ += 1 + Integer(std::count(text.begin(), text.end(), '\r'));
    }
    // The number of the line written next, counting from 1.
    Integer NextLine() const { return lines_ + 1; }
    void ImportList(const NameSet& names) {
        if (names.empty()) return;
        Line("");
        Line("import");
        std::size_t i = 0;
        for (const std::string& n : names) Line("  " + n + (++i == names.size() ? ";" : ","));
    }

private:
    std::string& out_;
    Integer lines_ = 0;
};

}  // namespace

std::string TRCPUModule::OwnerFullName() const { return Owner ? FullNameOf(Owner) : std::string(); }

void TRCPUModule::SetOwnerItem(TVizeProjectItem* item) {
    Owner = item;
    if (!item) return;
    Project = dynamic_cast<TVizeProjectManager*>(item);
    if (!Project) Project = item->Project();
}

TRCPUModule* TRCPUModule::FindItemModule(const std::string& name) const {
    if (!Owner || name.empty()) return nullptr;
    TComponent* level = IsProjectOrReport(Owner) ? Owner : Owner->Owner();
    while (level) {
        for (int i = 0; i < level->ComponentCount(); ++i) {
            auto* item = dynamic_cast<TVizeProjectItem*>(level->Components(i));
            if (item && NameIs(item->Module(), name)) return static_cast<TRCPUModule*>(item->Module());
        }
        if (dynamic_cast<TVizeProjectItem*>(level->Owner())) {
            level = level->Owner();
            continue;
        }
        auto* top = dynamic_cast<TVizeProjectItem*>(level);
        return top && NameIs(top->Module(), name) ? static_cast<TRCPUModule*>(top->Module()) : nullptr;
    }
    return nullptr;
}

void TRCPUModule::AddImportByName(const std::string& name) {
    TRCPUModule* found = FindItemModule(name);
    if (!found && !name.empty()) {
        if (Project) {
            try {
                found = dynamic_cast<TRCPUModule*>(Project->ModuleManager().ModuleByName(name));
            } catch (const Exception&) {
                found = nullptr;
            }
        } else if (ModuleByNameHook()) {
            found = ModuleByNameHook()(name);
        }
        if (!found) RaiseVizeErrorFmt("Could not load module [%s]", name);
    }
    Imports.push_back(found);
}

void TRCPUModule::ResolveReferences() {
    for (const auto& [name, slot] : PendingImports) {
        TRCPUModule* m = Owner ? FindItemModule(name) : nullptr;
        if (!Owner && ModuleByNameHook()) m = ModuleByNameHook()(name);
        if (slot < Imports.size()) Imports[slot] = m;
    }
    PendingImports.clear();
}

void TRCPUModule::GenerateSource() {
    if (ScriptCompilers().empty()) RaiseVizeError("Compiler not found.  Include VzLDCompiler in the uses.");
    EventNames.clear();
    Events.clear();
    SourceWriter w(Source);
    if (!Owner) RaiseVizeError("A module without an owning project item has no event source.");
    const std::string fullName = FullNameOf(Owner);
    w.Line("module " + fullName + ";");
    w.Line("");
    w.Line("definition");

    std::vector<TVizeComponent*> components;
    for (int i = 0; i < Owner->ComponentCount(); ++i)
        if (auto* c = dynamic_cast<TVizeComponent*>(Owner->Components(i))) components.push_back(c);

    NameSet imports = {"SYSFUNC", "VZCLASS", "VZDATA", "VZBASE"};
    for (TVizeComponent* c : components) {
        const std::string module = UpperCase(ModuleOfClass(RegisteredClassName(c->VizeClass())));
        if (!module.empty()) imports.insert(module);
    }
    w.ImportList(imports);

    std::vector<TVizeComponent*> declared;
    for (TVizeComponent* c : components)
        if (!c->Name().empty()) declared.push_back(c);
    if (dynamic_cast<TVizeProjectManager*>(Owner)) declared.push_back(Owner);
    for (std::size_t i = 0; i < declared.size(); ++i) {
        if (i == 0) {
            w.Line("");
            w.Line("var");
        }
        w.Line("  " + declared[i]->Name() + ": " + RegisteredClassName(declared[i]->VizeClass()) + ";");
    }

    w.Line("");
    w.Line("implementation");
    ModuleName.clear();

    NameSet items;
    TComponent* level = IsProjectOrReport(Owner) ? Owner : Owner->Owner();
    while (level) {
        for (int i = 0; i < level->ComponentCount(); ++i) {
            auto* item = dynamic_cast<TVizeProjectItem*>(level->Components(i));
            if (item && item != Owner) items.insert(FullNameOf(item));
        }
        if (dynamic_cast<TVizeProjectItem*>(level->Owner())) {
            level = level->Owner();
            continue;
        }
        if (dynamic_cast<TVizeProjectItem*>(level) && level != Owner) items.insert(FullNameOf(level));
        break;
    }
    w.ImportList(items);

    for (TVizeComponent* c : components) {
        if (c->Name().empty()) continue;
        for (const TVizePropInfo* prop : c->VizeClass()->PropList()) {
            if (prop->Kind != tkClass || !prop->GetObj) continue;
            auto* event = dynamic_cast<TVizeEvent*>(prop->GetObj(*c));
            if (!event || (event->Header().empty() && event->Body().empty())) continue;
            if (!event->Sender()) event->SetSender(c);
            event->SetName(prop->Name);
            Events.push_back(event);
            w.Line("");
            const std::string handler = c->Name() + "_" + prop->Name;
            EventNames.emplace_back(handler, event);
            w.Line(event->DeclarationHeader());
            const Integer declarationLine = w.NextLine();
            w.Line(event->Header());
            w.Line("begin");
            const Integer bodyLine = w.NextLine();
            w.Line(event->Body());
            w.Line(event->DeclarationFooter());
            event->SetSourceLines(declarationLine, bodyLine);
        }
    }
    w.Line("");
    w.Line("end " + fullName + ";");
}

void TRCPUModule::BindEvents() {
    for (const auto& [handler, event] : EventNames) {
        auto* function = dynamic_cast<TFuncID*>(FindIdentifier(handler));
        if (!function) continue;
        if (function->Entry > Code.size())
            RaiseVizeErrorFmt("The handler %s starts outside the module code", handler);
        event->SetPosition(Integer(function->Entry));
        event->SetModuleOwner(Owner);
    }
}

void TRCPUModule::PrepareVariables() {
    std::uint8_t* data = DataBlock();
    if (DataSize) std::fill(data, data + DataSize, std::uint8_t(0));
    if (!Owner) return;
    if (dynamic_cast<TVizeProjectManager*>(Owner)) SetObjectVar(Owner->Name(), ScriptObjectHandle(static_cast<TObject*>(Owner)));
    for (int i = 0; i < Owner->ComponentCount(); ++i) {
        TComponent* c = Owner->Components(i);
        if (!c->Name().empty() && FindIdentifier(c->Name()))
            SetObjectVar(c->Name(), ScriptObjectHandle(static_cast<TObject*>(c)));
    }
}

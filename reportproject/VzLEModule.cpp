#include "reportproject/VzLEModule.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>

#include "platform/core/DateTime.h"
#include "report/ReportDefs.h"
#include "reportproject/VizeException.h"
#include "reportproject/VzLEBytes.h"
#include "reportproject/VzClass.h"
#include "reportproject/VzProj.h"
#include "reportproject/VzLERun.h"
#include "reportproject/VzLESystem.h"
#include "reportproject/VzLEString.h"

namespace {

constexpr std::uint8_t kMarker = 0x1A;

std::vector<TRCPUModule*>& Handles() {
    static std::vector<TRCPUModule*> h{nullptr};  // handle 0 is "no module"
    return h;
}

std::string Upper(std::string s) {
    for (auto& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool SameName(const std::string& a, const std::string& b) { return Upper(a) == Upper(b); }

}  // namespace

std::vector<TScriptCompilerClass>& ScriptCompilers() {
    static std::vector<TScriptCompilerClass> list;
    return list;
}

void ScriptCompilerLanguages(std::vector<std::string>& list) {
    list.clear();
    for (const auto& c : ScriptCompilers()) list.push_back(c.Language);
}

TModuleByNameHook& ModuleByNameHook() {
    static TModuleByNameHook hook;
    return hook;
}

// TModuleTypeHelper ---------------------------------------------------------

TBaseType* TModuleTypeHelper::ResolveType(std::uint32_t module, std::uint32_t number) {
    TRCPUModule* m = Module->ModuleByNumber(module);
    return m ? m->TypeByNumber(number) : nullptr;
}

void TModuleTypeHelper::TypeReference(const TBaseType* type, std::uint32_t& module, std::uint32_t& number) {
    module = type->Owner ? Module->NumberOfModule(type->Owner) : 0;
    number = type->Number;
}

// TRCPUModule ---------------------------------------------------------------

TRCPUModule::TRCPUModule() : Created(Now()), Scope(std::make_unique<TScopeManager>(this)) {
    auto& h = Handles();
    const auto free = std::find(h.begin() + 1, h.end(), nullptr);
    if (free != h.end()) {
        *free = this;
        handle_ = std::uint32_t(free - h.begin());
    } else {
        handle_ = std::uint32_t(h.size());
        h.push_back(this);
    }
}

TRCPUModule::~TRCPUModule() {
    Handles()[handle_] = nullptr;
    // Release strings the data block still holds, through the variable types.
    if (!data_.empty()) try {
        for (std::size_t i = 0; i < Scope->IDs.Count(); ++i) {
            auto* v = dynamic_cast<TVarID*>(Scope->IDs.At(i));
            if (!v || !v->Type || !v->Type->NeedsFinalization()) continue;
            const std::int32_t sz = v->Type->ValueSize();
            if (std::uint64_t(v->Offset) + std::uint64_t(sz) <= data_.size()) v->Type->Finalize(&data_[v->Offset]);
        }
    } catch (const Exception&) {
        // A forged type table; the strings stay in the pool.
    }
}

TRCPUModule* TRCPUModule::ByHandle(std::uint32_t handle) {
    auto& h = Handles();
    return handle < h.size() ? h[handle] : nullptr;
}

std::unique_ptr<TRCPUModule> TRCPUModule::CreateFromBytes(const std::uint8_t* data, std::size_t size,
                                                          std::size_t* consumed, TVizeProjectManager* project) {
    auto m = std::make_unique<TRCPUModule>();
    m->Project = project;
    TModuleReader r(data, size);
    m->ModuleName = r.String();
    r.Byte();
    m->VersionMajor = std::uint16_t(r.LE(2));
    m->VersionMinor = std::uint16_t(r.LE(2));
    m->Created = r.Double();
    const std::uint32_t imports = r.Count("imports");
    for (std::uint32_t i = 0; i < imports; ++i) {
        const std::string name = r.String();
        if (name.empty()) {
            m->Imports.push_back(nullptr);
        } else if (name[0] == '+') {
            m->PendingImports.emplace_back(name.substr(1), m->Imports.size());
            m->Imports.push_back(nullptr);
        } else {
            m->AddImportByName(name);
        }
    }
    m->Scope->Types.Read(r, m->TypeHelper);
    m->Scope->IDs.Read(r, m->TypeHelper);
    m->DataSize = r.Index();
    const std::uint32_t codeSize = r.Index();
    if (m->DataSize > kMaxBlock || codeSize > kMaxBlock) RaiseVizeError("Module code or data block is too large");
    r.Bytes(m->Code, codeSize);
    m->StackBytes = r.Index();
    if (m->StackBytes > kMaxBlock) RaiseVizeError("Module stack is too large");
    m->EntryOffset = r.Index();
    m->Reserved1 = r.Index();
    m->Reserved2 = r.Index();
    const std::uint32_t slotCount = r.Count("native slots", 2);
    for (std::uint32_t i = 0; i < slotCount; ++i) {
        const std::string name = r.String();
        const std::uint32_t offset = r.Index();
        if (std::uint64_t(offset) + 4 > codeSize)
            RaiseVizeErrorFmt("Native slot %s lies outside the module code", name);
        m->AddNativeSlot(name, offset);
    }
    if (consumed) *consumed = r.Position();
    return m;
}

std::unique_ptr<TRCPUModule> TRCPUModule::CreateFromStream(TStream& stream, TVizeProjectManager* project) {
    const Int64 start = stream.Position();
    const Int64 left = stream.Size() - start;
    if (left < 0 || left > Int64(0x7FFFFFFF)) RaiseVizeError("Module file is cut short");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(left));
    stream.ReadBuffer(bytes.data(), Integer(left));
    std::size_t used = 0;
    auto m = CreateFromBytes(bytes.data(), bytes.size(), &used, project);
    stream.SetPosition(start + Int64(used));
    return m;
}

std::unique_ptr<TRCPUModule> TRCPUModule::CreateFromFile(const std::string& name) {
    std::ifstream in(name + ".vzc", std::ios::binary);
    if (!in) RaiseVizeErrorFmt("Could not load module [%s]", name);
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return CreateFromBytes(bytes.data(), bytes.size());
}

std::vector<std::uint8_t> TRCPUModule::SaveToBytes() const {
    if (Scope->Parent) throw EVizeCompiler(Trans("Cannot save a nested module state."));
    TModuleWriter w;
    w.String(ModuleName);
    w.Byte(kMarker);
    w.LE(VersionMajor, 2);
    w.LE(VersionMinor, 2);
    w.Double(Created);
    w.Index(std::uint32_t(Imports.size()));
    // A module of a project item is found again among the items when the
    // project loads ("+" name); a slot still waiting for that keeps its name.
    for (std::size_t i = 0; i < Imports.size(); ++i) {
        const TRCPUModule* im = Imports[i];
        std::string name;
        if (im) {
            name = im->Owner ? "+" + im->ModuleName : im->ModuleName;
        } else {
            for (const auto& [pending, slot] : PendingImports)
                if (slot == i) name = "+" + pending;
        }
        w.String(name);
    }
    auto& helper = const_cast<TModuleTypeHelper&>(TypeHelper);
    Scope->Types.Write(w, helper);
    Scope->IDs.Write(w, helper);
    w.Index(DataSize);
    w.Index(std::uint32_t(Code.size()));
    std::vector<std::uint8_t> code = Code;
    for (const auto& [name, offset] : NativeSlots)
        if (std::uint64_t(offset) + 4 <= code.size()) std::memset(&code[offset], 0, 4);
    w.Bytes(code);
    w.Index(StackBytes);
    w.Index(EntryOffset);
    w.Index(Reserved1);
    w.Index(Reserved2);
    w.Index(std::uint32_t(NativeSlots.size()));
    for (const auto& [name, offset] : NativeSlots) {
        w.String(name);
        w.Index(offset);
    }
    return std::move(w.Out);
}

TRCPUModule* TRCPUModule::ModuleByNumber(std::uint32_t number) const {
    if (number == 0) return const_cast<TRCPUModule*>(this);
    return number <= Imports.size() ? Imports[number - 1] : nullptr;
}

std::uint32_t TRCPUModule::NumberOfModule(const TRCPUModule* m) const {
    if (m == this) return 0;
    const auto it = std::find(Imports.begin(), Imports.end(), m);
    return it == Imports.end() ? 0 : std::uint32_t(it - Imports.begin()) + 1;
}

TBaseID* TRCPUModule::FindIdentifier(const std::string& name, TRCPUModule** moduleOut) {
    const bool deep = name.find('.') != std::string::npos;
    std::set<std::string> visited;
    if (deep) visited.insert(Upper(ModuleName));

    auto searchScope = [&](TRCPUModule* m) -> TBaseID* {
        for (TScopeManager* s = m->Scope.get(); s; s = s->Parent)
            if (TBaseID* id = s->IDs.Find(name)) return id;
        return nullptr;
    };
    TRCPUModule* owner = nullptr;
    TBaseID* found = searchScope(this);
    if (found) owner = this;
    // Breadth by import order; deeper levels only for dotted names.
    std::vector<TRCPUModule*> level{this};
    while (!found && !level.empty()) {
        std::vector<TRCPUModule*> next;
        for (TRCPUModule* m : level) {
            for (TRCPUModule* im : m->Imports) {
                if (!im) continue;
                if (deep && !visited.insert(Upper(im->ModuleName)).second) continue;
                if ((found = searchScope(im))) {
                    owner = im;
                    break;
                }
                next.push_back(im);
            }
            if (found) break;
        }
        if (!deep) break;
        level = std::move(next);
    }
    if (!found) return nullptr;
    std::uint32_t number = NumberOfModule(owner);
    if (owner != this && number == 0) {
        Imports.push_back(owner);
        number = std::uint32_t(Imports.size());
    }
    found->ModuleNumber = number;
    if (moduleOut) *moduleOut = owner;
    return found;
}

void TRCPUModule::AddNativeSlot(const std::string& name, std::uint32_t offset) { NativeSlots[Upper(name)] = offset; }

bool TRCPUModule::FindNativeSlot(const std::string& name, std::uint32_t& offset) const {
    const auto it = NativeSlots.find(Upper(name));
    if (it == NativeSlots.end()) return false;
    offset = it->second;
    return true;
}

std::uint8_t* TRCPUModule::DataBlock() {
    if (data_.size() != DataSize) data_.assign(DataSize, 0);
    return data_.data();
}

TVarID* TRCPUModule::VarAt(const std::string& name, std::uint32_t size, std::uint8_t** where) {
    TRCPUModule* owner = nullptr;
    auto* v = dynamic_cast<TVarID*>(FindIdentifier(name, &owner));
    if (!v || !owner) return nullptr;
    std::uint8_t* data = owner->DataBlock();
    if (std::uint64_t(v->Offset) + size > owner->DataSize) return nullptr;
    *where = data + v->Offset;
    return v;
}

void TRCPUModule::SetStringVar(const std::string& name, const std::string& value) {
    std::uint8_t* p;
    if (!VarAt(name, 4, &p)) return;
    TScriptString slot;
    std::memcpy(&slot, p, 4);
    const TScriptString s = ScriptStrings::Make(value);
    ScriptStrings::Assign(slot, s);
    ScriptStrings::Release(s);
    std::memcpy(p, &slot, 4);
}

std::string TRCPUModule::GetStringVar(const std::string& name) {
    std::uint8_t* p;
    if (!VarAt(name, 4, &p)) return {};
    TScriptString s;
    std::memcpy(&s, p, 4);
    try {
        return ScriptStrings::Text(s);
    } catch (const Exception&) {
        return {};
    }
}

void TRCPUModule::SetObjectVar(const std::string& name, std::uint32_t ref) {
    std::uint8_t* p;
    if (VarAt(name, 4, &p)) std::memcpy(p, &ref, 4);
}

std::uint32_t TRCPUModule::GetObjectVar(const std::string& name) {
    std::uint8_t* p;
    std::uint32_t v = 0;
    if (VarAt(name, 4, &p)) std::memcpy(&v, p, 4);
    return v;
}

void TRCPUModule::SetFloatVar(const std::string& name, long double value) {
    std::uint8_t* p;
    if (VarAt(name, 10, &p)) std::memcpy(p, &value, 10);
}

long double TRCPUModule::GetFloatVar(const std::string& name) {
    std::uint8_t* p;
    long double v = 0;
    if (VarAt(name, 10, &p)) std::memcpy(&v, p, 10);
    return v;
}

void TRCPUModule::PushVarString(std::string* value) {
    hostVars_.push_back({Parameters.size(), value, nullptr});
    Parameters.push_back(0);
}

void TRCPUModule::PushVarFloat(double* value) {
    hostVars_.push_back({Parameters.size(), nullptr, value});
    Parameters.push_back(0);
}

void TRCPUModule::Execute(std::uint32_t entry, std::unique_ptr<TRCPUSuspendState>* suspend) {
    EntryOffset = entry;
    std::unique_ptr<TRCPUSuspendState> none;
    std::vector<std::uint32_t> params;
    params.swap(Parameters);
    std::vector<HostVar> vars;
    vars.swap(hostVars_);
    TRCPURunner runner;
    // Var arguments live in a block of their own for the run: a string
    // cell (a handle) or a 10-byte extended each, read back afterwards.
    constexpr std::uint32_t kSlot = 12;
    std::vector<std::uint8_t> block(vars.size() * kSlot, 0);
    for (std::size_t i = 0; i < vars.size(); ++i) {
        std::uint8_t* slot = &block[i * kSlot];
        if (vars[i].Text) {
            const TScriptString h = ScriptStrings::Make(*vars[i].Text);
            std::memcpy(slot, &h, 4);
        } else {
            const long double v = *vars[i].Number;
            std::memcpy(slot, &v, 10);
        }
    }
    struct ReadBack {
        std::vector<HostVar>& Vars;
        std::vector<std::uint8_t>& Block;
        ~ReadBack() {
            for (std::size_t i = 0; i < Vars.size(); ++i) {
                std::uint8_t* slot = &Block[i * kSlot];
                if (Vars[i].Text) {
                    TScriptString h;
                    std::memcpy(&h, slot, 4);
                    try {
                        *Vars[i].Text = ScriptStrings::Text(h);
                    } catch (const Exception&) {
                        // A forged handle: the value stays as it was.
                    }
                    ScriptStrings::Release(h);
                } else {
                    long double v = 0;
                    std::memcpy(&v, slot, 10);
                    *Vars[i].Number = double(v);
                }
            }
        }
    } readBack{vars, block};
    if (!vars.empty()) {
        const std::uint32_t base = runner.AddHostBlock(block.data(), std::uint32_t(block.size()));
        for (std::size_t i = 0; i < vars.size(); ++i)
            if (vars[i].Parameter < params.size()) params[vars[i].Parameter] = base + std::uint32_t(i * kSlot);
    }
    std::unique_ptr<TRCPUSuspendState>& state = suspend ? *suspend : none;
    runner.Run(*this, params.empty() ? nullptr : &params, state);
    // The values live only as long as this run: a later resumption could
    // not reach them.
    if (state && !vars.empty()) {
        state.reset();
        RaiseVizeError("A handler with a var value cannot suspend.");
    }
}

void TRCPUModule::ForgetReference(TRCPUModule* module, bool flag) {
    if (!module && !flag) return;
    const auto it = std::find(Imports.begin(), Imports.end(), module);
    if (it == Imports.end()) return;
    // A forgotten module leaves its slot empty: code numbers the imports,
    // and a call through the slot must stop with an error rather than land
    // in the module after it. Only an empty slot asked for goes.
    if (module) *it = nullptr;
    else Imports.erase(it);
}

void TRCPUModule::Compile(const std::string& language, bool firstPass) {
    if (firstPass) {
        Compiler.reset();
        for (const auto& c : ScriptCompilers())
            if (SameName(c.Language, language)) {
                Compiler = c.Create();
                break;
            }
    }
    if (!Compiler) {
        if (ScriptCompilers().empty()) RaiseVizeError("Compiler not found.  Include VzLDCompiler in the uses.");
        RaiseVizeErrorFmt("No compiler for the script language %s", language);
    }
    Compiler->Compile(Source, OwnerFullName(), firstPass, *this);
    if (!firstPass) Compiler.reset();
}

namespace {
struct ScriptObjectEntry {
    void* Address;
    bool IsObject;
    const std::type_info* Type;  // values outside the framework only
};
std::vector<ScriptObjectEntry>& ScriptObjects() {
    static std::vector<ScriptObjectEntry> list;
    return list;
}
std::map<const void*, std::uint32_t>& ScriptObjectHandles() {
    static std::map<const void*, std::uint32_t> handles;
    return handles;
}
std::uint32_t HandleOf(void* address, bool isObject, const std::type_info* type = nullptr) {
    if (!address) return 0;
    auto& handles = ScriptObjectHandles();
    auto& list = ScriptObjects();
    const auto it = handles.find(address);
    if (it != handles.end()) {
        ScriptObjectEntry& e = list[it->second - 1];
        e.IsObject = e.IsObject || isObject;
        if (type) e.Type = type;
        return it->second;
    }
    list.push_back({address, isObject, type});
    return handles[address] = std::uint32_t(list.size());
}
}  // namespace

std::uint32_t ScriptObjectHandle(void* address) { return HandleOf(address, false); }
namespace {
// Hears of every component whose handle byte code may hold, and forgets the
// handle when the component is freed. It lives as long as the process, so
// components freed at any time can still tell it.
class TScriptHandleWatcher : public TComponent {
public:
    TScriptHandleWatcher() : TComponent(nullptr) {}

protected:
    void Notification(TComponent* component, TOperation operation) override {
        TComponent::Notification(component, operation);
        if (operation == opRemove) ForgetScriptObject(static_cast<TObject*>(component));
    }
};
TScriptHandleWatcher& Watcher() {
    static auto* watcher = new TScriptHandleWatcher;
    return *watcher;
}
}  // namespace

std::uint32_t ScriptObjectHandle(TObject* object) {
    if (auto* component = dynamic_cast<TComponent*>(object)) Watcher().FreeNotification(component);
    return HandleOf(object, true);
}

void* ScriptObjectByHandle(std::uint32_t handle) {
    const auto& list = ScriptObjects();
    return handle >= 1 && handle <= list.size() ? list[handle - 1].Address : nullptr;
}

TObject* ScriptObjectOf(std::uint32_t handle) {
    const auto& list = ScriptObjects();
    if (handle < 1 || handle > list.size() || !list[handle - 1].IsObject) return nullptr;
    return static_cast<TObject*>(list[handle - 1].Address);
}

static std::multimap<const void*, const void*>& HeldValues() {
    static std::multimap<const void*, const void*> held;
    return held;
}

std::uint32_t ScriptObjectHandle(TObject* object, TObject* holder) {
    const std::uint32_t handle = ScriptObjectHandle(object);
    if (handle && holder && holder != object && !dynamic_cast<TComponent*>(object))
        HeldValues().emplace(static_cast<const void*>(holder), static_cast<const void*>(object));
    return handle;
}

std::uint32_t ScriptValueHandle(void* address, const std::type_info& type, TObject* holder) {
    const std::uint32_t handle = HandleOf(address, false, &type);
    if (handle && holder) HeldValues().emplace(static_cast<const void*>(holder), address);
    return handle;
}

void* ScriptValueOf(std::uint32_t handle, const std::type_info& type) {
    const auto& list = ScriptObjects();
    if (handle < 1 || handle > list.size()) return nullptr;
    const ScriptObjectEntry& e = list[handle - 1];
    return e.Type && *e.Type == type ? e.Address : nullptr;
}

void ForgetScriptObject(const void* address) {
    auto& held = HeldValues();
    const auto [from, to] = held.equal_range(address);
    std::vector<const void*> values;
    for (auto i = from; i != to; ++i) values.push_back(i->second);
    held.erase(from, to);
    for (const void* v : values) ForgetScriptObject(v);
    auto& handles = ScriptObjectHandles();
    const auto it = handles.find(address);
    if (it == handles.end()) return;
    // The handle stays taken (code may still hold it) but leads nowhere.
    ScriptObjects()[it->second - 1] = {nullptr, false, nullptr};
    handles.erase(it);
}

void TRCPUModule::SaveToStream(TStream& stream) {
    const auto bytes = SaveToBytes();
    stream.WriteBuffer(bytes.data(), Integer(bytes.size()));
}

void TRCPUModule::Execute(Integer position, void*& suspension) {
    std::unique_ptr<TRCPUSuspendState> state(static_cast<TRCPUSuspendState*>(suspension));
    suspension = nullptr;
    Execute(std::uint32_t(position), &state);
    suspension = state.release();
}

void TRCPUModule::DiscardSuspension(void*& suspension) {
    delete static_cast<TRCPUSuspendState*>(suspension);
    suspension = nullptr;
}

void TRCPUModule::ForgetReference(TVizeModule* module, TVizeModule* replacement) {
    auto* target = dynamic_cast<TRCPUModule*>(module);
    if (!target) return;
    const auto it = std::find(Imports.begin(), Imports.end(), target);
    if (it == Imports.end()) return;
    *it = dynamic_cast<TRCPUModule*>(replacement);  // none leaves the slot empty, numbers unchanged
}

void InitializeScriptEngine() {
    TVizeHooks& hooks = VizeHooks();
    if (!hooks.FunctionRegistration)
        hooks.FunctionRegistration = [](void* routine, const std::string& name, const std::string& module) {
            RegisterNative(reinterpret_cast<TNativeEntry>(routine), name, module);
        };
    hooks.ModuleLoaded = [](TVizeModule* module) {
        if (auto* m = dynamic_cast<TRCPUModule*>(module)) BindModule(*m);
    };
    hooks.ModuleLoader = [](TStream& stream, TVizeProjectItem* item, TVizeProjectItem*) -> TVizeModule* {
        TVizeProjectManager* project = dynamic_cast<TVizeProjectManager*>(item);
        if (!project && item) project = item->Project();
        if (stream.Position() >= stream.Size()) {
            // No stored module: a new, empty one for the item.
            auto* m = new TRCPUModule;
            m->Project = project;
            return m;
        }
        return TRCPUModule::CreateFromStream(stream, project).release();
    };
    hooks.ItemPrepare = [](TVizeProjectItem* item, Integer, Integer) {
        if (auto* m = dynamic_cast<TRCPUModule*>(item->Module())) m->PrepareVariables();
    };
    RegisterProc("VZCL", [] {
        for (const auto& item : SystemFunctions())
            RegisterFunction(reinterpret_cast<void*>(item.Entry), item.Name, item.Module);
    });
}

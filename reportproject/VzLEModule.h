#pragma once
// A compiled script module: byte code, data block, type and identifier
// tables, imports and native slots, with the module file format that
// project streams and module files share.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "reportproject/VzEvents.h"
#include "reportproject/VzLEType.h"

class TRCPUModule;
class TRCPUSuspendState;
class TVizeProjectManager;

// The module scope: type table, identifier table and an optional parent.
class TScopeManager {
public:
    explicit TScopeManager(TRCPUModule* module, TScopeManager* parent = nullptr)
        : Module(module), Parent(parent), Types(module) {}
    int Counter = 0;
    TRCPUModule* Module;
    TScopeManager* Parent;
    TTypeManager Types;
    TIDManager IDs;
};

class TModuleTypeHelper : public TTypeHelper {
public:
    explicit TModuleTypeHelper(TRCPUModule* m) : Module(m) {}
    TBaseType* ResolveType(std::uint32_t module, std::uint32_t number) override;
    void TypeReference(const TBaseType* type, std::uint32_t& module, std::uint32_t& number) override;
    TRCPUModule* Module;
};

// A compiler of the report language; none is part of this system.
class TScriptCompiler {
public:
    virtual ~TScriptCompiler() = default;
    // Fills the module's tables, code and sizes from the source.
    virtual void Compile(const std::string& source, const std::string& ownerName, bool firstPass,
                         TRCPUModule& module) = 0;
};

struct TScriptCompilerClass {
    std::string Language;
    std::function<std::unique_ptr<TScriptCompiler>()> Create;
};

// Ordered registry of compiler classes; empty unless a compiler registers.
std::vector<TScriptCompilerClass>& ScriptCompilers();
// Fills list with the language names of the registered compilers.
void ScriptCompilerLanguages(std::vector<std::string>& list);

// Module lookup by name for imports; the project's module manager installs
// it. Answers nullptr when no module of that name can be had.
using TModuleByNameHook = std::function<TRCPUModule*(const std::string& name)>;
TModuleByNameHook& ModuleByNameHook();

// Host objects handed to byte code (event senders, event values) are known
// to it by 32-bit handles; 0 is none. Natives turn handles back into objects.
// An object of the framework keeps its kind, so natives can check its class;
// a freed component's handle leads nowhere.
std::uint32_t ScriptObjectHandle(void* address);
std::uint32_t ScriptObjectHandle(TObject* object);
// An object that is no component lives as long as holder (a persistent
// part of it): its handle is forgotten with holder.
std::uint32_t ScriptObjectHandle(TObject* object, TObject* holder);
void* ScriptObjectByHandle(std::uint32_t handle);
// The object a handle stands for; null for none, a freed one or a plain
// address.
TObject* ScriptObjectOf(std::uint32_t handle);
void ForgetScriptObject(const void* address);
// Values of a class outside the framework (a font) that an object holds:
// the handle keeps the exact type, reading it back as another type gives
// null, and it is forgotten with its holder.
std::uint32_t ScriptValueHandle(void* address, const std::type_info& type, TObject* holder);
void* ScriptValueOf(std::uint32_t handle, const std::type_info& type);
template <class T>
std::uint32_t ScriptValueHandle(T* value, TObject* holder) { return ScriptValueHandle(value, typeid(T), holder); }
template <class T>
T* ScriptValueOf(std::uint32_t handle) { return static_cast<T*>(ScriptValueOf(handle, typeid(T))); }

// Start-up of the script engine: installs the module-loader, module-loaded
// and function-registration hooks of the project engine and appends the
// system functions to the registration list.
void InitializeScriptEngine();

class TRCPUModule : public TVizeModule {
public:
    // A new, empty module.
    TRCPUModule();
    ~TRCPUModule() override;
    TRCPUModule(const TRCPUModule&) = delete;
    TRCPUModule& operator=(const TRCPUModule&) = delete;

    // Loads the module file format; a cut or malformed file raises
    // EVizeException and nothing is kept.
    // Imports by name go to project's module manager.
    static std::unique_ptr<TRCPUModule> CreateFromBytes(const std::uint8_t* data, std::size_t size,
                                                        std::size_t* consumed = nullptr,
                                                        TVizeProjectManager* project = nullptr);
    // Loads the file name + ".vzc".
    static std::unique_ptr<TRCPUModule> CreateFromFile(const std::string& name);
    // Reads one module from the stream's position and leaves the stream
    // just after it.
    static std::unique_ptr<TRCPUModule> CreateFromStream(TStream& stream, TVizeProjectManager* project = nullptr);
    std::vector<std::uint8_t> SaveToBytes() const;

    // Process-wide handle of this module, as code and stack cells hold it.
    std::uint32_t Handle() const { return handle_; }
    static TRCPUModule* ByHandle(std::uint32_t handle);

    TRCPUModule* ModuleByNumber(std::uint32_t number) const;
    std::uint32_t NumberOfModule(const TRCPUModule* m) const;
    TBaseType* TypeByNumber(std::uint32_t number) const { return number ? Scope->Types.Type(number - 1) : nullptr; }

    void AddImportByName(const std::string& name);
    void ResolveReferences() override;
    // The identifier and, through moduleOut, the module that holds it.
    TBaseID* FindIdentifier(const std::string& name, TRCPUModule** moduleOut = nullptr);

    void AddNativeSlot(const std::string& name, std::uint32_t offset);
    bool FindNativeSlot(const std::string& name, std::uint32_t& offset) const;

    std::uint8_t* DataBlock();

    void SetStringVar(const std::string& name, const std::string& value);
    std::string GetStringVar(const std::string& name);
    void SetObjectVar(const std::string& name, std::uint32_t ref);
    std::uint32_t GetObjectVar(const std::string& name);
    void SetFloatVar(const std::string& name, long double value);
    long double GetFloatVar(const std::string& name);

    void PushParam(std::uint32_t value) { Parameters.push_back(value); }
    // Runs from entry with Parameters; suspend is in/out (see TRCPURunner::Run).
    void Execute(std::uint32_t entry, std::unique_ptr<TRCPUSuspendState>* suspend = nullptr);
    void ForgetReference(TRCPUModule* module, bool flag);

    // The project engine's view of a module.
    void SaveToStream(TStream& stream) override;
    void Execute(Integer position, void*& suspension) override;
    void PushParam(void* address) override { PushParam(ScriptObjectHandle(address)); }
    void PushObject(TObject* object) override { PushParam(ScriptObjectHandle(object)); }
    void PushVarString(std::string* value) override;
    void PushVarFloat(double* value) override;
    void ForgetReference(TVizeModule* module, TVizeModule* replacement) override;
    void SetOwnerItem(TVizeProjectItem* item) override;
    void DiscardSuspension(void*& suspension) override;

    // The source text of the owner's event handlers for a compiler; raises
    // EVizeException when no compiler is registered.
    void GenerateSource();
    // Points every generated event at its compiled handler in this module.
    void BindEvents();
    // Sets the variable named like the owner's project (for the project
    // itself) and like each of its components to that object; the data
    // block starts zeroed.
    void PrepareVariables();

    // Hands source to the registered compiler for the language.
    void Compile(const std::string& language, bool firstPass);
    // The owner's name in generated source: its item name, "_" and its own
    // name under a project item other than the project; empty without one.
    std::string OwnerFullName() const;

    std::string ModuleName = "Module1";
    std::vector<TRCPUModule*> Imports;
    std::map<std::string, std::uint32_t> NativeSlots;  // upper-case name -> code offset
    std::vector<std::pair<std::string, std::size_t>> PendingImports;
    std::vector<std::uint32_t> Parameters;
    std::uint16_t VersionMajor = 600;
    std::uint16_t VersionMinor = 3;
    double Created = 0;
    std::unique_ptr<TScopeManager> Scope;
    TModuleTypeHelper TypeHelper{this};
    std::vector<std::uint8_t> Code;
    std::uint32_t DataSize = 0;
    std::uint32_t EntryOffset = 0;
    std::uint32_t Reserved1 = 0, Reserved2 = 0;
    std::uint32_t StackBytes = 0x4000;
    std::string Source;
    std::unique_ptr<TScriptCompiler> Compiler;
    // The project item whose module this is (none for a module file), and
    // the project whose module manager finds imports by name.
    TVizeProjectItem* Owner = nullptr;
    TVizeProjectManager* Project = nullptr;
    // Events found by GenerateSource: handler name and event, and the
    // events in generation order.
    std::vector<std::pair<std::string, TVizeEvent*>> EventNames;
    std::vector<TVizeEvent*> Events;

    // Largest code, data or stack block a module may name: the machine
    // addresses each block with 24-bit offsets.
    static constexpr std::uint32_t kMaxBlock = 0x1000000;

private:
    // Var arguments of the next execution: the parameter that receives the
    // value's machine address, and the host value.
    struct HostVar {
        std::size_t Parameter;
        std::string* Text;
        double* Number;
    };
    std::vector<HostVar> hostVars_;
    // The module of a project item around the owner with that name.
    TRCPUModule* FindItemModule(const std::string& name) const;
    TVarID* VarAt(const std::string& name, std::uint32_t size, std::uint8_t** where);
    std::vector<std::uint8_t> data_;
    std::uint32_t handle_;
};

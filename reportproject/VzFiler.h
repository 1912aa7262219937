#pragma once
// Component records of project streams: TVizeWriter writes a component,
// its published properties and its children; TVizeReader reads them back,
// creating components by class name, resolving references by name and
// keeping references to components not read yet until they appear.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "reportproject/VzClass.h"
#include "reportproject/VzStream.h"

class TVizeFiler;
class TVizeProjectManager;

using TVizeFilerProc = std::function<void(TVizeFiler& filer)>;
using TVizeStreamProc = std::function<void(TStream& stream)>;

// Objects that store data outside their published properties implement
// this; the filer calls it while filing their properties.
class IVizeDefinesProperties {
public:
    virtual ~IVizeDefinesProperties() = default;
    virtual void DefineProperties(TVizeFiler& filer) = 0;
};

struct TPropertyOverride {
    std::string Name;
    TVizeFilerProc ReadProc;
    TVizeFilerProc WriteProc;
};

class TVizeFiler {
public:
    TVizeFiler(TStreamHelper& helper, bool reader) : helper_(helper), reader_(reader) {}
    virtual ~TVizeFiler() = default;
    TStreamHelper& Helper() { return helper_; }
    bool IsReader() const { return reader_; }
    // Called by DefinePropertyOverrides: a reader keeps readProc, a writer
    // writeProc; the other is ignored.
    void OverrideProperty(const std::string& name, TVizeFilerProc readProc, TVizeFilerProc writeProc);
    // The object whose properties are being filed.
    TObject* Current() const { return current_; }
    // A property stored as a byte count and bytes: a writer writes it when
    // hasData and writeProc are given; a reader reads it when it is the
    // property being read and readProc is given.
    virtual void DefineBinaryProperty(const std::string& name, TVizeStreamProc readProc, TVizeStreamProc writeProc,
                                      bool hasData) = 0;

protected:
    const TPropertyOverride* FindOverride(const std::string& name) const;
    TStreamHelper& helper_;
    bool reader_;
    std::vector<TPropertyOverride> overrides_;
    TObject* current_ = nullptr;
};

// The name a record stores for a reference to c from a tree owned by root.
std::string VizeReferenceName(const TVizeComponent* c, const TComponent* rootOwner);

class TVizeWriter : public TVizeFiler {
public:
    explicit TVizeWriter(TStreamHelper& helper) : TVizeFiler(helper, false) {}
    void WriteComponent(TVizeComponent* comp, bool withChildren);
    void DefineBinaryProperty(const std::string& name, TVizeStreamProc readProc, TVizeStreamProc writeProc,
                              bool hasData) override;
    void WriteProperties(TObject& obj);
    void WriteProperty(TObject& obj, const TVizePropInfo& prop);
    // Writes an integer value with the smallest fitting value type.
    void WriteIntegerValue(Int64 v);

private:
    TComponent* rootOwner_ = nullptr;
};

// References read before the component they name, waiting for it, and the
// components an import renamed (old "owner.name" to the component). The
// reader of one item keeps its own; a project load keeps one across all its
// items so that a reference to an item read later is assigned at the end.
// A waiting entry is dropped, never followed, when its holder, list or
// target is freed.
class TVizeFixups {
public:
    TVizeFixups();
    ~TVizeFixups();
    TVizeFixups(const TVizeFixups&) = delete;
    TVizeFixups& operator=(const TVizeFixups&) = delete;

    // key: "owner.name" in lower case. prop null: instance is a component
    // list and index its entry.
    void AddWaiting(const std::string& key, TObject* instance, const TVizePropInfo* prop, TComponent* holder,
                    int index);
    // Assigns c to every reference waiting for "owner.name" of c.
    void Resolve(TVizeComponent* c);
    // Records that the component stored as key is now c.
    void AddRename(const std::string& key, TVizeComponent* c);
    TVizeComponent* Renamed(const std::string& key) const;
    // Assigns what lookup finds for each waiting reference (the rename map
    // first). References not found are dropped (they stay null) when
    // dropUnresolved, else they keep waiting.
    void Apply(const std::function<TVizeComponent*(const std::string& key)>& lookup, bool dropUnresolved);
    int Count() const { return int(forward_.size()); }

    // Sets the property and keeps the holder told when target is freed.
    void Assign(TObject* instance, const TVizePropInfo* prop, TComponent* holder, TVizeComponent* target);
    // Keeps holder told about the entries of a list it holds.
    void Link(TComponent* holder, TVizeComponent* target);

private:
    struct ForwardRef {
        std::string Key;
        TObject* Instance;
        const TVizePropInfo* Prop;
        TComponent* Holder;
        int Index;
    };
    class TWatcher;
    void Assign(const ForwardRef& f, TVizeComponent* target);
    void Watch(TComponent* c);
    void Forget(TComponent* c);

    std::vector<ForwardRef> forward_;
    std::vector<std::pair<std::string, TVizeComponent*>> renames_;
    std::unique_ptr<TWatcher> watcher_;
};

// Shows the message about an unknown class (a plain message through the
// prompt service); replaceable.
std::function<void(const std::string& message)>& VizeUnknownClassMessage();

class TVizeReader : public TVizeFiler {
public:
    explicit TVizeReader(TStreamHelper& helper);
    ~TVizeReader() override;

    // The project whose components references are looked up in (may be
    // null: references then resolve among the root owner's components).
    TVizeProjectManager* Project = nullptr;
    // Tell the component-added hook about every component read.
    bool AddComponents = false;
    // Import mode: components get names unique in their owner (the rename
    // is recorded) and every reference waits for the end of the load.
    bool CheckNames = false;
    // References stored with a leading "*" are looked up here (may be null:
    // then in Project).
    TVizeProjectManager* MasterProject = nullptr;
    // Waiting references go here instead of the reader's own list; the
    // owner of the list applies them (a project at the end of its load).
    TVizeFixups* SharedFixups = nullptr;

    // Reads a component record into item (class must match exactly).
    bool ReadRootItem(TVizeComponent* item);
    void DefineBinaryProperty(const std::string& name, TVizeStreamProc readProc, TVizeStreamProc writeProc,
                              bool hasData) override;
    // A new component of the stored class owned by root, or null.
    TVizeComponent* ReadComponent(TComponent* root, TVizeComponent* parent);
    void ReadProperties(TObject& obj);
    void ReadProperty(TObject* obj, const TVizePropInfo* prop, TVizeTypeKind unknownKind);
    // Assigns the references still waiting to the components now known by
    // name; references that stay unknown remain null.
    // Assigns the waiting references that can be found now. With shared
    // fix-ups the others keep waiting for their owner's final fix-up (and
    // in import mode all wait), else they stay null.
    void ApplyFixups();
    // Reads for project: its lookups, master project, import mode and, while
    // it loads, its shared fix-ups.
    void UseProject(TVizeProjectManager* project);
    int PendingReferences() const { return Fixups().Count(); }

private:
    TVizeFixups& Fixups() const { return SharedFixups ? *SharedFixups : const_cast<TVizeFixups&>(ownFixups_); }
    // A stored reference name: null when it must wait.
    TVizeComponent* Find(const std::string& stored) const;
    TVizeComponent* Lookup(const std::string& name) const;
    void ResolveForwardRefs(TVizeComponent* c);
    std::string KeyFor(const std::string& name) const;

    TComponent* rootOwner_ = nullptr;
    // The owner of the components being read below the root item.
    TComponent* readRoot_ = nullptr;
    int absorb_ = 0;
    TVizeFixups ownFixups_;
    TComponent* holder_ = nullptr;
    std::string probeName_;  // the property being read
    bool handled_ = false;
};

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
    void ApplyFixups();
    int PendingReferences() const { return int(forward_.size()); }

private:
    struct ForwardRef {
        std::string Key;  // "owner.name" as stored, lower case
        TObject* Instance;
        const TVizePropInfo* Prop;  // null: Instance is a component list
        TComponent* Holder;         // the component whose properties hold Instance
        int Index;                  // the entry of a component list
    };
    // A reference assigned while reading.
    struct Link {
        TComponent* Holder;
        TComponent* Target;
    };
    // Told when a component the reader created or linked is freed (by the
    // reader's own error path or by anyone later), so no pending reference
    // or link is ever used with a freed component.
    class TWatcher;
    void Assign(TObject* instance, const TVizePropInfo* prop, TVizeComponent* target);
    void Assign(const ForwardRef& f, TVizeComponent* target);
    void Watch(TComponent* c);
    void Forget(TComponent* c);
    TVizeComponent* Lookup(const std::string& name) const;
    void ResolveForwardRefs(TVizeComponent* c);
    std::string KeyFor(const std::string& name) const;

    TComponent* rootOwner_ = nullptr;
    // The owner of the components being read below the root item.
    TComponent* readRoot_ = nullptr;
    int absorb_ = 0;
    std::vector<ForwardRef> forward_;
    std::vector<Link> links_;
    std::unique_ptr<TWatcher> watcher_;
    TComponent* holder_ = nullptr;
    std::string probeName_;  // the property being read
    bool handled_ = false;
};

#include "reportproject/VzFiler.h"

#include <memory>

#include "platform/core/Strings.h"
#include "platform/gui/Prompts.h"
#include "report/ReportDefs.h"
#include "reportproject/VzEvents.h"
#include "reportproject/VzProj.h"

// Value types of property values.
namespace {
enum : Byte {
    vtIdent = 0, vtIndex = 1, vtNegIndex = 2, vtInteger = 3, vtChar = 4, vtFloat = 5, vtString = 6, vtSet = 7,
    vtObject = 8, vtList = 9, vtPersistentList = 10
};
constexpr Int64 MaxIndexValue = 0x0FFFFFFF;
}  // namespace

// ============================================================== filer

void TVizeFiler::OverrideProperty(const std::string& name, TVizeFilerProc readProc, TVizeFilerProc writeProc) {
    if (reader_ ? !readProc : !writeProc) return;
    overrides_.push_back({name, std::move(readProc), std::move(writeProc)});
}

const TPropertyOverride* TVizeFiler::FindOverride(const std::string& name) const {
    for (const auto& o : overrides_)
        if (SameText(o.Name, name)) return &o;
    return nullptr;
}

std::string VizeReferenceName(const TVizeComponent* c, const TComponent* rootOwner) {
    std::string name = c->Name();
    const TComponent* owner = c->Owner();
    const TComponent* project = rootOwner ? rootOwner->Owner() : nullptr;
    if (owner && owner != rootOwner && owner != project) name = owner->Name() + "." + name;
    if (c->IsMasterItem()) name = "*" + name;
    return name;
}

// ============================================================= writer

void TVizeWriter::WriteIntegerValue(Int64 v) {
    if (v >= 0 && v <= MaxIndexValue) {
        helper_.WriteByte(vtIndex);
        helper_.WriteIndex(Integer(v));
    } else if (v < 0 && v >= -MaxIndexValue) {
        helper_.WriteByte(vtNegIndex);
        helper_.WriteIndex(Integer(-v));
    } else {
        helper_.WriteByte(vtInteger);
        helper_.WriteInteger(Integer(v));
    }
}

void TVizeWriter::WriteComponent(TVizeComponent* comp, bool withChildren) {
    rootOwner_ = comp->Owner();
    helper_.WriteByte(0);
    helper_.WriteString(comp->VizeClass()->Name());
    helper_.WriteString(comp->Name());
    WriteProperties(*comp);
    if (!withChildren) {
        helper_.WriteIndex(0);
        return;
    }
    int n = comp->ChildCount();
    helper_.WriteIndex(n);
    for (int i = 0; i < n; ++i) {
        TComponent* keep = rootOwner_;
        WriteComponent(comp->GetChild(i), true);
        rootOwner_ = keep;
    }
}

void TVizeWriter::WriteProperties(TObject& obj) {
    helper_.WriteByte(vtObject);
    std::vector<TPropertyOverride> saved;
    saved.swap(overrides_);
    TObject* savedCurrent = current_;
    current_ = &obj;
    auto* comp = dynamic_cast<TVizeComponent*>(&obj);
    if (comp) comp->DefinePropertyOverrides(*this);
    if (auto* item = dynamic_cast<TVizeProjectItem*>(&obj)) item->DefineModuleProperty(*this);
    if (auto* d = dynamic_cast<IVizeDefinesProperties*>(&obj)) d->DefineProperties(*this);
    TVizeClassRef cls = VizeClassOf(&obj);
    if (cls) {
        for (const TVizePropInfo* p : cls->PropList()) {
            if (comp && p->Name == "Name") continue;
            if (const TPropertyOverride* o = FindOverride(p->Name)) {
                o->WriteProc(*this);
                continue;
            }
            if (p->IsStored(obj)) WriteProperty(obj, *p);
        }
    }
    helper_.WriteString("");
    overrides_.swap(saved);
    current_ = savedCurrent;
}

void TVizeWriter::DefineBinaryProperty(const std::string& name, TVizeStreamProc, TVizeStreamProc writeProc,
                                       bool hasData) {
    if (!hasData || !writeProc) return;
    TMemoryStream data;
    writeProc(data);
    helper_.WriteString(name);
    helper_.WriteIndex(Integer(data.Size()));
    data.SetPosition(0);
    if (data.Size() > 0) helper_.Stream().CopyFrom(data, data.Size());
}

void TVizeWriter::WriteProperty(TObject& obj, const TVizePropInfo& p) {
    if (!p.HasSetter()) return;
    switch (p.Kind) {
        case tkInteger: {
            Int64 v = p.GetOrd(obj);
            if (v == p.Default) return;
            helper_.WriteString(p.Name);
            WriteIntegerValue(v);
            return;
        }
        case tkChar: {
            Int64 v = p.GetOrd(obj);
            if (v == p.Default) return;
            helper_.WriteString(p.Name);
            helper_.WriteByte(vtChar);
            helper_.WriteByte(Byte(v));
            return;
        }
        case tkEnumeration: {
            Int64 v = p.GetOrd(obj);
            if (v == p.Default) return;
            helper_.WriteString(p.Name);
            helper_.WriteByte(vtIdent);
            helper_.WriteString(v >= 0 && v < Int64(p.Names.size()) ? p.Names[size_t(v)] : std::string());
            return;
        }
        case tkFloat:
            helper_.WriteString(p.Name);
            helper_.WriteByte(vtFloat);
            helper_.WriteFloat(p.GetFloat(obj));
            return;
        case tkString: case tkLString: {
            std::string s = p.GetStr(obj);
            if (s.empty()) return;
            helper_.WriteString(p.Name);
            helper_.WriteByte(vtString);
            helper_.WriteString(s);
            return;
        }
        case tkSet: {
            Int64 v = p.GetOrd(obj);
            if (v == p.Default) return;
            helper_.WriteString(p.Name);
            helper_.WriteByte(vtSet);
            // A member without a name is skipped: an empty name would end
            // the set early and leave the rest of the stream out of step.
            for (int bit = 0; bit < 32; ++bit)
                if (((v >> bit) & 1) && size_t(bit) < p.Names.size() && !p.Names[size_t(bit)].empty())
                    helper_.WriteString(p.Names[size_t(bit)]);
            helper_.WriteString("");
            return;
        }
        case tkClass: {
            TObject* o = p.GetObj(obj);
            if (!o) {
                if (p.Default != 0 && p.Default != NoDefault) {
                    helper_.WriteString(p.Name);
                    WriteIntegerValue(0);
                }
                return;
            }
            if (auto* list = dynamic_cast<TVizeComponentList*>(o)) {
                helper_.WriteString(p.Name);
                helper_.WriteByte(vtList);
                for (TVizeComponent* c : list->Items())
                    if (c) helper_.WriteString(VizeReferenceName(c, rootOwner_));
                helper_.WriteString("");
                return;
            }
            if (auto* list = dynamic_cast<TVizePersistentList*>(o)) {
                helper_.WriteString(p.Name);
                helper_.WriteByte(vtPersistentList);
                for (int i = 0; i < list->Count(); ++i) {
                    TPersistent* item = list->Items(i);
                    TVizeClassRef cls = item ? VizeClassOf(item) : nullptr;
                    if (!cls) continue;
                    helper_.WriteString(cls->Name());
                    WriteProperties(*item);
                }
                helper_.WriteString("");
                return;
            }
            if (auto* c = dynamic_cast<TVizeComponent*>(o)) {
                helper_.WriteString(p.Name);
                helper_.WriteByte(vtIdent);
                helper_.WriteString(VizeReferenceName(c, rootOwner_));
                return;
            }
            if (dynamic_cast<TPersistent*>(o) && VizeClassOf(o)) {
                helper_.WriteString(p.Name);
                WriteProperties(*o);
                return;
            }
            throw EVizeException(Trans("Attempt to write invalid class type."));
        }
        case tkVariant:
            if (p.Name == "Tag") return;
            [[fallthrough]];
        default:
            throw EVizeException(Trans("Attempt to write invalid property type.  TTypeKind = ") +
                                 std::to_string(int(p.Kind)));
    }
}

// ============================================================= reader

std::function<void(const std::string&)>& VizeUnknownClassMessage() {
    static std::function<void(const std::string&)> show = [](const std::string& msg) { ShowMessage(msg); };
    return show;
}

class TVizeFixups::TWatcher : public TComponent {
public:
    explicit TWatcher(TVizeFixups& fixups) : TComponent(nullptr), fixups_(fixups) {}

protected:
    void Notification(TComponent* component, TOperation operation) override {
        TComponent::Notification(component, operation);
        if (operation == opRemove) fixups_.Forget(component);
    }

private:
    TVizeFixups& fixups_;
};

TVizeFixups::TVizeFixups() = default;
TVizeFixups::~TVizeFixups() = default;

void TVizeFixups::Watch(TComponent* c) {
    if (!c) return;
    if (!watcher_) watcher_ = std::make_unique<TWatcher>(*this);
    watcher_->FreeNotification(c);
}

void TVizeFixups::Forget(TComponent* c) {
    // Entries are dropped, never followed: the holder may be half torn
    // down. The holder clears its own property (TVizeComponent's free
    // notification) while it is whole.
    std::erase_if(forward_, [c](const ForwardRef& f) { return f.Holder == c || f.Instance == c; });
    std::erase_if(renames_, [c](const auto& r) { return r.second == c; });
}

void TVizeFixups::AddWaiting(const std::string& key, TObject* instance, const TVizePropInfo* prop,
                             TComponent* holder, int index) {
    Watch(holder);
    forward_.push_back({key, instance, prop, holder, index});
}

void TVizeFixups::Link(TComponent* holder, TVizeComponent* target) {
    if (!holder || !target || holder == target) return;
    Watch(target);
    Watch(holder);
    holder->FreeNotification(target);
}

void TVizeFixups::Assign(TObject* instance, const TVizePropInfo* prop, TComponent* holder, TVizeComponent* target) {
    prop->SetObj(*instance, target);
    if (target) Link(holder ? holder : dynamic_cast<TComponent*>(instance), target);
}

void TVizeFixups::Assign(const ForwardRef& f, TVizeComponent* target) {
    if (f.Prop) {
        Assign(f.Instance, f.Prop, f.Holder, target);
        return;
    }
    // An entry of a component list.
    auto* list = static_cast<TVizeComponentList*>(f.Instance);
    if (f.Index < 0 || f.Index >= list->Count()) return;
    list->SetItem(f.Index, target);
    Link(f.Holder, target);
}

void TVizeFixups::Resolve(TVizeComponent* c) {
    if (forward_.empty() || !c->Owner()) return;
    std::string key = LowerCase(c->Owner()->Name() + "." + c->Name());
    for (size_t i = 0; i < forward_.size();) {
        if (forward_[i].Key == key) {
            ForwardRef f = forward_[i];
            forward_.erase(forward_.begin() + std::ptrdiff_t(i));
            Assign(f, c);
        } else {
            ++i;
        }
    }
}

void TVizeFixups::AddRename(const std::string& key, TVizeComponent* c) {
    std::string k = LowerCase(key);
    if (Renamed(k)) return;  // the first rename of a name holds
    Watch(c);
    renames_.push_back({k, c});
}

TVizeComponent* TVizeFixups::Renamed(const std::string& key) const {
    std::string k = LowerCase(key);
    for (const auto& [name, c] : renames_)
        if (name == k) return c;
    return nullptr;
}

void TVizeFixups::Apply(const std::function<TVizeComponent*(const std::string& key)>& lookup, bool dropUnresolved) {
    std::vector<ForwardRef> waiting;
    waiting.swap(forward_);
    for (const ForwardRef& f : waiting) {
        TVizeComponent* c = Renamed(f.Key);
        if (!c) c = lookup(f.Key);
        if (c)
            Assign(f, c);
        else if (!dropUnresolved)
            forward_.push_back(f);
    }
    if (dropUnresolved) renames_.clear();
}

TVizeReader::TVizeReader(TStreamHelper& helper) : TVizeFiler(helper, true) {}

TVizeReader::~TVizeReader() = default;

std::string TVizeReader::KeyFor(const std::string& name) const {
    std::string key = name;
    const TComponent* base = readRoot_ ? readRoot_ : rootOwner_;
    if (key.find('.') == std::string::npos && base) key = base->Name() + "." + key;
    return LowerCase(key);
}

TVizeComponent* TVizeReader::Find(const std::string& stored) const {
    // In import mode every reference waits: names may change on the way in.
    if (CheckNames || stored.empty()) return nullptr;
    if (stored[0] == '*' && MasterProject)
        return MasterProject->FindVizeComponent(stored.substr(1), rootOwner_);
    return Lookup(stored[0] == '*' ? stored.substr(1) : stored);
}

TVizeComponent* TVizeReader::Lookup(const std::string& name) const {
    // A plain name written inside a tree is owned by that tree's root: the
    // records name siblings without their owner.
    if (readRoot_ && name.find('.') == std::string::npos)
        if (auto* c = dynamic_cast<TVizeComponent*>(readRoot_->FindComponent(name))) return c;
    if (Project) return Project->FindVizeComponent(name, rootOwner_);
    if (!rootOwner_) return nullptr;
    // "Owner.Name": the owner is the root owner or one of its components.
    const TComponent* owner = rootOwner_;
    std::string shortName = name;
    size_t dot = name.find('.');
    if (dot != std::string::npos) {
        std::string ownerName = name.substr(0, dot);
        shortName = name.substr(dot + 1);
        if (!SameText(ownerName, rootOwner_->Name())) owner = rootOwner_->FindComponent(ownerName);
    }
    return owner ? dynamic_cast<TVizeComponent*>(owner->FindComponent(shortName)) : nullptr;
}

void TVizeReader::ResolveForwardRefs(TVizeComponent* c) { Fixups().Resolve(c); }

void TVizeReader::ApplyFixups() {
    if (SharedFixups && CheckNames) return;
    Fixups().Apply([this](const std::string& key) { return Lookup(key); }, !SharedFixups);
}

void TVizeReader::UseProject(TVizeProjectManager* project) {
    Project = project;
    if (!project) return;
    MasterProject = project->MasterProject;
    SharedFixups = project->LoadFixups();
    CheckNames = SharedFixups && project->Importing();
}

void TVizeReader::DefineBinaryProperty(const std::string& name, TVizeStreamProc readProc, TVizeStreamProc,
                                       bool) {
    if (handled_ || !readProc || probeName_.empty() || !SameText(name, probeName_)) return;
    handled_ = true;
    Integer count = helper_.ReadIndex();
    TStream& s = helper_.Stream();
    if (count > s.Size() - s.Position()) throw EReadError("Stream read error");
    TMemoryStream data;
    if (count > 0) data.CopyFrom(s, count);
    data.SetPosition(0);
    if (absorb_ == 0) readProc(data);
}

bool TVizeReader::ReadRootItem(TVizeComponent* item) {
    absorb_ = 0;
    item->SetBeingRead(true);
    struct Clear {
        TVizeComponent* c;
        ~Clear() { c->SetBeingRead(false); }
    } clear{item};
    rootOwner_ = item->Owner();
    helper_.ReadByte();
    std::string className = helper_.ReadString();
    std::string name = helper_.ReadString();
    if (FindVizeClass(className) != item->VizeClass()) return false;
    // An imported item keeps the name the import gave it.
    if (!CheckNames) item->SetName(name);
    ResolveForwardRefs(item);
    helper_.ReadByte();
    readRoot_ = nullptr;
    ReadProperties(*item);
    readRoot_ = item;
    int n = helper_.ReadIndex();
    for (int i = 0; i < n; ++i) ReadComponent(item, item);
    readRoot_ = nullptr;
    return true;
}

TVizeComponent* TVizeReader::ReadComponent(TComponent* root, TVizeComponent* parent) {
    helper_.ReadByte();
    std::string className = helper_.ReadString();
    std::string name = helper_.ReadString();
    if (absorb_ > 0) {
        // Inside a dropped record: everything under it is read and dropped,
        // whatever its class.
        helper_.ReadByte();
        TVizePersistent dummy;
        ReadProperties(dummy);
        int n = helper_.ReadIndex();
        for (int i = 0; i < n; ++i) ReadComponent(root, parent);
        return nullptr;
    }
    TVizeClassRef cls = FindVizeClass(className);
    TVizeComponent* comp = nullptr;
    if (cls && cls->IsComponent() && cls->CanConstruct())
        comp = dynamic_cast<TVizeComponent*>(cls->Construct(root));
    if (!comp) {
        std::string fmt = VizeDesigner().DesignMode
                              ? "Unknown component \"%s\" found.  You will need to add the package containing "
                                "this component before you can load this report project."
                              : "Unknown class \"%s\" found.  You will need to include the unit containing "
                                "this component to your uses clause.";
        std::string msg = Trans(fmt);
        size_t at = msg.find("%s");
        if (at != std::string::npos) msg.replace(at, 2, className);
        if (VizeUnknownClassMessage()) VizeUnknownClassMessage()(msg);
        // The record and everything under it are read and dropped.
        ++absorb_;
        helper_.ReadByte();
        TVizePersistent dummy;
        ReadProperties(dummy);
        int n = helper_.ReadIndex();
        for (int i = 0; i < n; ++i) ReadComponent(root, parent);
        --absorb_;
        return nullptr;
    }
    std::unique_ptr<TVizeComponent> guard(comp);
    comp->SetBeingRead(true);
    bool accepted = parent && comp->AcceptParent(parent->VizeClass()) && parent->AcceptChild(cls);
    if (accepted) {
        comp->SetParent(parent);
        if (CheckNames) {
            std::string shortClass = className;
            if (!shortClass.empty() && (shortClass[0] == 'T' || shortClass[0] == 't')) shortClass.erase(0, 1);
            if (shortClass.size() >= 4 && SameText(shortClass.substr(0, 4), "VIZE")) shortClass.erase(0, 4);
            std::string unique = MakeUniqueName(name + "|" + shortClass, root, true);
            comp->SetName(unique);
            if (comp->Name() != name && root)
                Fixups().AddRename(root->Name() + "." + name, comp);
            else
                ResolveForwardRefs(comp);
        } else {
            comp->SetName(name);
            ResolveForwardRefs(comp);
        }
        if (AddComponents) CallComponentAdded(comp);
    } else {
        ++absorb_;
    }
    helper_.ReadByte();
    ReadProperties(*comp);
    int n = helper_.ReadIndex();
    for (int i = 0; i < n; ++i) ReadComponent(root, comp);
    comp->SetBeingRead(false);
    if (!accepted) {
        --absorb_;
        return nullptr;  // freed with what was created under it
    }
    return guard.release();
}

void TVizeReader::ReadProperties(TObject& obj) {
    std::vector<TPropertyOverride> saved;
    saved.swap(overrides_);
    TObject* savedCurrent = current_;
    TComponent* savedHolder = holder_;
    current_ = &obj;
    if (auto* comp = dynamic_cast<TVizeComponent*>(&obj)) {
        holder_ = comp;
        comp->DefinePropertyOverrides(*this);
    }
    TVizeClassRef cls = VizeClassOf(&obj);
    std::vector<const TVizePropInfo*> props;
    if (cls) props = cls->PropList();
    for (;;) {
        std::string name = helper_.ReadString();
        if (name.empty()) break;
        handled_ = false;
        if (!SameText(name, "Left") && !SameText(name, "Top")) {
            probeName_ = name;
            if (auto* item = dynamic_cast<TVizeProjectItem*>(&obj)) item->DefineModuleProperty(*this);
            if (auto* d = dynamic_cast<IVizeDefinesProperties*>(&obj)) d->DefineProperties(*this);
            probeName_.clear();
        }
        if (handled_) continue;
        if (const TPropertyOverride* o = FindOverride(name)) {
            o->ReadProc(*this);
            continue;
        }
        const TVizePropInfo* prop = nullptr;
        for (const TVizePropInfo* p : props)
            if (SameText(p->Name, name)) prop = p;
        if (!prop) {
            ++absorb_;
            ReadProperty(&obj, nullptr, tkUnknown);
            --absorb_;
        } else {
            ReadProperty(&obj, prop, prop->Kind);
        }
    }
    overrides_.swap(saved);
    current_ = savedCurrent;
    holder_ = savedHolder;
}

void TVizeReader::ReadProperty(TObject* obj, const TVizePropInfo* prop, TVizeTypeKind) {
    if (prop && prop->Kind == tkVariant && prop->Name == "Tag") return;
    Byte type = helper_.ReadByte();
    TVizeTypeKind kind = prop ? prop->Kind : tkUnknown;
    if (!prop) {
        static const TVizeTypeKind implied[] = {tkEnumeration, tkInteger, tkInteger, tkInteger, tkChar, tkFloat,
                                                tkString,      tkSet,     tkClass,   tkClass,   tkClass};
        if (type > vtPersistentList)
            throw EVizeException(Trans("Attempt to read invalid property type.  TTypeKind = ") + "0");
        kind = implied[type];
    }
    bool apply = absorb_ == 0 && prop && prop->HasSetter() && obj;
    switch (kind) {
        case tkInteger: {
            Int64 v = 0;
            if (type == vtIndex) v = helper_.ReadIndex();
            else if (type == vtNegIndex) v = -Int64(helper_.ReadIndex());
            else if (type == vtInteger) v = helper_.ReadInteger();
            if (apply) prop->SetOrd(*obj, v);
            return;
        }
        case tkChar: {
            Byte b = helper_.ReadByte();
            if (apply) prop->SetOrd(*obj, b);
            return;
        }
        case tkEnumeration: {
            std::string s = helper_.ReadString();
            if (!apply) return;
            for (size_t i = 0; i < prop->Names.size(); ++i)
                if (SameText(prop->Names[i], s)) prop->SetOrd(*obj, Int64(i));
            return;
        }
        case tkFloat: {
            double v = helper_.ReadFloat();
            if (apply) prop->SetFloat(*obj, v);
            return;
        }
        case tkString: case tkLString: {
            std::string s = helper_.ReadString();
            if (apply) prop->SetStr(*obj, s);
            return;
        }
        case tkSet: {
            Int64 bits = 0;
            for (;;) {
                std::string s = helper_.ReadString();
                if (s.empty()) break;
                if (!prop) continue;
                for (size_t i = 0; i < prop->Names.size() && i < 32; ++i)
                    if (SameText(prop->Names[i], s)) bits |= Int64(1) << i;
            }
            if (apply) prop->SetOrd(*obj, bits);
            return;
        }
        case tkClass:
            break;
        default:
            throw EVizeException(Trans("Attempt to read invalid property type.  TTypeKind = ") +
                                 std::to_string(int(kind)));
    }
    // Class kinds, by the value type.
    switch (type) {
        case vtIdent: {
            std::string name = helper_.ReadString();
            if (!apply) return;
            std::string plain = !name.empty() && name[0] == '*' ? name.substr(1) : name;
            TComponent* holder = holder_ ? holder_ : dynamic_cast<TComponent*>(obj);
            if (TVizeComponent* c = Find(name))
                Fixups().Assign(obj, prop, holder, c);
            else
                Fixups().AddWaiting(KeyFor(plain), obj, prop, holder, 0);
            return;
        }
        case vtIndex: {
            Integer v = helper_.ReadIndex();
            if (apply && v == 0) prop->SetObj(*obj, nullptr);
            return;
        }
        case vtObject: {
            TObject* target = nullptr;
            if (prop && obj) {
                target = prop->GetObj(*obj);
                if (!target && apply && prop->PropClass() && prop->PropClass()->CanConstruct()) {
                    target = dynamic_cast<TObject*>(prop->PropClass()->Construct(nullptr));
                    if (auto* ev = dynamic_cast<TVizeEvent*>(target))
                        ev->SetSender(dynamic_cast<TVizeComponent*>(obj));
                    prop->SetObj(*obj, target);
                }
            }
            // Without a target the pairs are read and dropped.
            if (!target || !apply) {
                ++absorb_;
                TVizePersistent dummy;
                ReadProperties(target ? *target : dummy);
                --absorb_;
            } else {
                ReadProperties(*target);
            }
            return;
        }
        case vtList: {
            // The names resolve into a temporary list that the property's
            // setter copies; names not known yet wait on the copy the
            // property holds, never on the temporary list.
            TVizeComponentList temp;
            std::vector<std::pair<int, std::string>> waiting;
            for (;;) {
                std::string name = helper_.ReadString();
                if (name.empty()) break;
                if (!apply) continue;
                std::string plain = name[0] == '*' ? name.substr(1) : name;
                TVizeComponent* c = Find(name);
                if (!c) waiting.push_back({temp.Count(), plain});
                temp.Add(c);
            }
            if (!apply) return;
            prop->SetObj(*obj, &temp);
            auto* held = prop->GetObj ? dynamic_cast<TVizeComponentList*>(prop->GetObj(*obj)) : nullptr;
            if (!held) return;
            TComponent* holder = holder_ ? holder_ : dynamic_cast<TComponent*>(obj);
            for (TVizeComponent* c : held->Items()) Fixups().Link(holder, c);
            for (const auto& [index, name] : waiting) Fixups().AddWaiting(KeyFor(name), held, nullptr, holder, index);
            return;
        }
        case vtPersistentList: {
            auto* list = apply && prop->GetObj ? dynamic_cast<TVizePersistentList*>(prop->GetObj(*obj)) : nullptr;
            if (list) list->Clear();
            for (;;) {
                std::string className = helper_.ReadString();
                if (className.empty()) break;
                helper_.ReadByte();
                TPersistent* item = list ? list->CreateItem(className, rootOwner_) : nullptr;
                if (item) {
                    list->Add(item);
                    ReadProperties(*item);
                } else {
                    // An item of an unknown class is read and dropped.
                    ++absorb_;
                    TVizePersistent dummy;
                    ReadProperties(dummy);
                    --absorb_;
                }
            }
            return;
        }
        default:
            throw EVizeException(Trans("Attempt to read invalid property type.  TTypeKind = ") +
                                 std::to_string(int(kind)));
    }
}

#include "reportproject/VzLEType.h"

#include <algorithm>
#include <cctype>

#include "reportproject/VizeException.h"
#include "reportproject/VzLEBytes.h"
#include "reportproject/VzLEString.h"

namespace {

constexpr std::int32_t kKindSize[] = {1, 1, 1, 2, 2, 4, 4, 8, 10, 8, 1, 4, 4, 0};
static_assert(sizeof(kKindSize) / sizeof(kKindSize[0]) == vkLastKind + 1);

// Sizes computed from a file are capped so a forged table cannot overflow.
constexpr std::int64_t kMaxValueSize = 0x1000000;

struct PendingRef {
    TBaseType** Slot;
    std::uint32_t Module, Number;
};
// Type references read while a table is being read are resolved after the
// whole table is in, so a type may name one that follows it.
thread_local std::vector<PendingRef>* tPending = nullptr;

void ReadRef(TModuleReader& r, TTypeHelper& h, TBaseType*& slot) {
    const std::uint32_t m = r.Index();
    const std::uint32_t t = r.Index();
    slot = nullptr;
    if (m == 0 && t == 0) return;
    if (tPending)
        tPending->push_back({&slot, m, t});
    else
        slot = h.ResolveType(m, t);
}

void WriteRef(TModuleWriter& w, TTypeHelper& h, const TBaseType* type) {
    std::uint32_t m = 0, t = 0;
    if (type) h.TypeReference(type, m, t);
    w.Index(m);
    w.Index(t);
}

int CompareNoCase(const std::string& a, const std::string& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int x = std::tolower(static_cast<unsigned char>(a[i]));
        const int y = std::tolower(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// Types read from a file may refer to each other in a ring; walking such a
// ring stops with an error instead of exhausting the native stack.
thread_local int tDepth = 0;
struct DepthGuard {
    DepthGuard() {
        if (++tDepth > 64) {
            tDepth = 0;
            RaiseVizeError("Script type refers to itself");
        }
    }
    ~DepthGuard() {
        if (tDepth > 0) --tDepth;
    }
};

std::int32_t CheckedSize(std::int64_t v) {
    if (v < 0 || v > kMaxValueSize) RaiseVizeError("Script type is too large");
    return std::int32_t(v);
}

}  // namespace

// TBaseType -----------------------------------------------------------------

std::unique_ptr<TBaseType> TBaseType::Read(TModuleReader& r, TTypeHelper& h) {
    const std::uint8_t code = r.Byte();
    const std::int32_t size = std::int32_t(r.LE(4));
    const std::uint8_t kind = r.Byte();
    if (kind > vkLastKind) RaiseVizeErrorFmt("Unknown value kind in type table (%s)", std::to_string(kind));
    std::unique_ptr<TBaseType> t;
    switch (code) {
    case scSimple: t = std::make_unique<TSimpleType>(kind); break;
    case scEnumerated: t = std::make_unique<TEnumeratedType>(kind); break;
    case scArray: t = std::make_unique<TArrayType>(kind); break;
    case scRecord: t = std::make_unique<TRecordType>(kind); break;
    case scFunc: t = std::make_unique<TFuncType>(kind); break;
    case scClass: t = std::make_unique<TClassType>(kind); break;
    default: RaiseVizeErrorFmt("Unknown type structure code (%s)", std::to_string(code));
    }
    if (size < 0 || size > kMaxValueSize) RaiseVizeError("Script type is too large");
    t->Size = size;
    t->ReadBody(r, h);
    return t;
}

void TBaseType::Write(TModuleWriter& w, TTypeHelper& h) {
    w.Byte(Code);
    w.LE(std::uint32_t(Size), 4);
    w.Byte(Kind);
    WriteBody(w, h);
}

std::int32_t TBaseType::ValueSize() {
    if (Size == 0) Size = kKindSize[Kind];
    return Size;
}

bool TBaseType::NeedsFinalization() { return Kind == vkString; }

void TBaseType::Finalize(std::uint8_t* p) {
    if (Kind != vkString) return;
    TScriptString s;
    std::memcpy(&s, p, 4);
    std::memset(p, 0, 4);
    ScriptStrings::Release(s);
}

void TSimpleType::ReadBody(TModuleReader& r, TTypeHelper&) {
    LowBound = std::int32_t(r.LE(4));
    HighBound = std::int32_t(r.LE(4));
}
void TSimpleType::WriteBody(TModuleWriter& w, TTypeHelper&) {
    w.LE(std::uint32_t(LowBound), 4);
    w.LE(std::uint32_t(HighBound), 4);
}

void TEnumeratedType::ReadBody(TModuleReader& r, TTypeHelper&) { HighOrdinal = r.Byte(); }
void TEnumeratedType::WriteBody(TModuleWriter& w, TTypeHelper&) { w.Byte(HighOrdinal); }

// TArrayType ----------------------------------------------------------------

std::int64_t TArrayType::LowBound(int d) const {
    return d >= 0 && d < DimensionCount() ? Dimensions[std::size_t(d)].Low : 0;
}
std::int64_t TArrayType::HighBound(int d) const {
    return d >= 0 && d < DimensionCount() ? Dimensions[std::size_t(d)].High : 0;
}
std::int64_t TArrayType::Length(int d) const { return HighBound(d) - LowBound(d) + 1; }

std::int32_t TArrayType::ValueSize() {
    if (Size != 0) return Size;
    DepthGuard guard;
    std::int64_t n = Element ? Element->ValueSize() : 0;
    for (int d = 0; d < DimensionCount(); ++d) {
        const std::int64_t len = std::max<std::int64_t>(Length(d), 0);
        n *= len;
        if (n > kMaxValueSize) break;
    }
    Size = CheckedSize(n);
    return Size;
}

bool TArrayType::NeedsFinalization() {
    DepthGuard guard;
    return Element && Element != this && Element->NeedsFinalization();
}

void TArrayType::Finalize(std::uint8_t* p) {
    DepthGuard guard;
    if (!NeedsFinalization()) return;
    const std::int32_t step = Element->ValueSize();
    if (step <= 0) return;
    const std::int32_t total = ValueSize();
    for (std::int32_t off = 0; off + step <= total; off += step) Element->Finalize(p + off);
}

void TArrayType::ReadBody(TModuleReader& r, TTypeHelper& h) {
    const std::uint32_t n = r.Count("array dimensions", 4);
    Dimensions.resize(n);
    for (auto& d : Dimensions) {
        d.Low = r.Index();
        d.High = r.Index();
        ReadRef(r, h, d.IndexType);
    }
    ReadRef(r, h, Element);
}

void TArrayType::WriteBody(TModuleWriter& w, TTypeHelper& h) {
    w.Index(std::uint32_t(Dimensions.size()));
    for (const auto& d : Dimensions) {
        w.Index(d.Low);
        w.Index(d.High);
        WriteRef(w, h, d.IndexType);
    }
    WriteRef(w, h, Element);
}

// Structures ----------------------------------------------------------------

TStructureType::TFound TStructureType::FindMember(const std::string& name) {
    DepthGuard guard;
    TFound f;
    std::int64_t off = BaseOffset;
    for (std::size_t i = 0; i < Members.size(); ++i) {
        if (CompareNoCase(Members[i].Name, name) == 0) {
            f.Found = true;
            f.Position = int(i) + 1;
            f.Member = &Members[i];
            f.Offset = std::int32_t(off);
            return f;
        }
        const auto* t = Members[i].Type;
        off += t && t != this ? Members[i].Type->ValueSize() : 0;
    }
    return f;
}

bool TStructureType::NeedsFinalization() {
    DepthGuard guard;
    for (const auto& m : Members)
        if (m.Type && m.Type != this && m.Type->NeedsFinalization()) return true;
    return false;
}

void TStructureType::Finalize(std::uint8_t* p) {
    DepthGuard guard;
    if (Code == scClass) return;  // a class value is a reference; instances are not ours
    std::int64_t off = 0;
    const std::int32_t total = ValueSize();
    for (const auto& m : Members) {
        if (!m.Type || m.Type == this) continue;
        const std::int32_t sz = m.Type->ValueSize();
        if (off + sz > total) break;
        if (m.Type->NeedsFinalization()) m.Type->Finalize(p + off);
        off += sz;
    }
}

void TStructureType::ReadMembers(TModuleReader& r, TTypeHelper& h) {
    const std::uint32_t n = r.Count("members", 4);
    Members.resize(n);
    for (auto& m : Members) {
        m.Name = r.String();
        m.Code = r.Byte();
        if (m.Code > mcLastCode) RaiseVizeErrorFmt("Unknown member code (%s)", std::to_string(m.Code));
        m.Structure = this;
        ReadRef(r, h, m.Type);
        if (m.Code >= mcClass) m.Visibility = r.Byte();
        if (m.Code == mcMethod) r.Byte();
        if (m.Code == mcProperty) {
            m.ReadIndex = r.Index();
            m.WriteIndex = r.Index();
        }
    }
}

void TStructureType::WriteMembers(TModuleWriter& w, TTypeHelper& h) {
    w.Index(std::uint32_t(Members.size()));
    for (const auto& m : Members) {
        w.String(m.Name);
        w.Byte(m.Code);
        WriteRef(w, h, m.Type);
        if (m.Code >= mcClass) w.Byte(m.Visibility);
        if (m.Code == mcMethod) w.Byte(0);
        if (m.Code == mcProperty) {
            w.Index(m.ReadIndex);
            w.Index(m.WriteIndex);
        }
    }
}

std::int32_t TRecordType::ValueSize() {
    if (Size != 0) return Size;
    DepthGuard guard;
    std::int64_t n = 0;
    for (const auto& m : Members)
        if (m.Type && m.Type != this) n += m.Type->ValueSize();
    Size = CheckedSize(n);
    return Size;
}

void TFuncType::ReadBody(TModuleReader& r, TTypeHelper& h) {
    const std::uint32_t n = r.Count("parameters", 5);
    Params.resize(n);
    for (auto& p : Params) {
        p.Name = r.String();
        p.Kind = r.Byte();
        ReadRef(r, h, p.Type);
        p.Value1 = r.Index();
        p.Value2 = r.Index();
    }
    ReadRef(r, h, Result);
}

void TFuncType::WriteBody(TModuleWriter& w, TTypeHelper& h) {
    w.Index(std::uint32_t(Params.size()));
    for (const auto& p : Params) {
        w.String(p.Name);
        w.Byte(p.Kind);
        WriteRef(w, h, p.Type);
        w.Index(p.Value1);
        w.Index(p.Value2);
    }
    WriteRef(w, h, Result);
}

std::int32_t TClassType::InstanceSize() {
    if (Instance != -1) return Instance;
    DepthGuard guard;
    std::int64_t n = 0;
    // A forged chain of parents could loop; a class chain is never this deep.
    int depth = 0;
    for (TClassType* p = Parent(); p && depth < 1000; p = p->Parent(), ++depth) {
        if (p == this) break;
        if (p->Instance != -1) {
            n += p->Instance;
            break;
        }
        for (const auto& m : p->Members)
            if (m.Type && m.Type != p) n += m.Type->ValueSize();
    }
    for (const auto& m : Members)
        if (m.Type && m.Type != this) n += m.Type->ValueSize();
    Instance = CheckedSize(n);
    return Instance;
}

TStructureType::TFound TClassType::FindMember(const std::string& name) {
    int depth = 0;
    for (TClassType* c = this; c && depth < 1000; c = c->Parent(), ++depth) {
        TFound f = c->TStructureType::FindMember(name);
        if (f.Found) return f;
        if (c->Parent() == this) break;
    }
    return {};
}

void TClassType::ReadBody(TModuleReader& r, TTypeHelper& h) {
    ReadMembers(r, h);
    ReadRef(r, h, ParentType);
    ClassName = r.String();
    Instance = std::int32_t(r.Index());
}

void TClassType::WriteBody(TModuleWriter& w, TTypeHelper& h) {
    WriteMembers(w, h);
    WriteRef(w, h, ParentType);
    w.String(ClassName);
    w.Index(std::uint32_t(InstanceSize()));
}

// TTypeManager --------------------------------------------------------------

void TTypeManager::Read(TModuleReader& r, TTypeHelper& h) {
    Clear();
    const std::uint32_t n = r.Count("types", 6);
    std::vector<PendingRef> pending;
    tPending = &pending;
    try {
        for (std::uint32_t i = 0; i < n; ++i) Add(TBaseType::Read(r, h));
    } catch (...) {
        tPending = nullptr;
        throw;
    }
    tPending = nullptr;
    for (const auto& p : pending) *p.Slot = h.ResolveType(p.Module, p.Number);
}

void TTypeManager::Write(TModuleWriter& w, TTypeHelper& h) {
    w.Index(std::uint32_t(types_.size()));
    for (const auto& t : types_) t->Write(w, h);
}

TBaseType* TTypeManager::Add(std::unique_ptr<TBaseType> type) {
    if (!type->Owner) type->Owner = Owner;
    type->Number = std::uint32_t(types_.size() + 1);
    types_.push_back(std::move(type));
    return types_.back().get();
}

void TTypeManager::Clear() {
    while (!types_.empty()) types_.pop_back();
}

// TIDManager ----------------------------------------------------------------

bool TIDManager::Search(const std::string& name, std::size_t& pos) const {
    std::ptrdiff_t low = 0, high = std::ptrdiff_t(ids_.size()) - 1;
    pos = 0;
    while (low <= high) {
        const std::ptrdiff_t probe = (low + high) / 2;
        const int c = CompareNoCase(name, ids_[std::size_t(probe)]->Name);
        if (c == 0) {
            pos = std::size_t(probe);
            return true;
        }
        if (c < 0) {
            high = probe - 1;
            pos = std::size_t(probe);
        } else {
            low = probe + 1;
            pos = std::size_t(probe + 1);
        }
    }
    return false;
}

bool TIDManager::Add(std::unique_ptr<TBaseID> id) {
    std::size_t pos;
    if (Search(id->Name, pos)) return false;
    ids_.insert(ids_.begin() + std::ptrdiff_t(pos), std::move(id));
    return true;
}

TBaseID* TIDManager::Find(const std::string& name) {
    std::size_t pos;
    return Search(name, pos) ? ids_[pos].get() : nullptr;
}

void TIDManager::Clear() {
    while (!ids_.empty()) ids_.pop_back();
}

void TIDManager::Read(TModuleReader& r, TTypeHelper& h) {
    Clear();
    const std::uint32_t n = r.Count("identifiers", 4);
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::uint8_t code = r.Byte();
        std::string name = r.String();
        std::unique_ptr<TBaseID> id;
        switch (code) {
        case idVar: id = std::make_unique<TVarID>(name); break;
        case idType: id = std::make_unique<TBaseID>(idType, name); break;
        case idConst: id = std::make_unique<TConstID>(name); break;
        case idFunc:
        case idMethod: id = std::make_unique<TFuncID>(code, name); break;
        case idOp: id = std::make_unique<TOpID>(name); break;
        default: RaiseVizeErrorFmt("Unknown identifier code (%s)", std::to_string(code));
        }
        ReadRef(r, h, id->Type);
        switch (code) {
        case idVar: {
            auto* v = static_cast<TVarID*>(id.get());
            v->Offset = r.Index();
            v->Location = r.Byte();
            break;
        }
        case idConst: {
            auto* c = static_cast<TConstID*>(id.get());
            r.Bytes(c->Data, r.Index());
            break;
        }
        case idFunc:
        case idMethod: {
            auto* f = static_cast<TFuncID*>(id.get());
            f->Entry = r.Index();
            f->Second = r.Index();
            break;
        }
        case idOp: static_cast<TOpID*>(id.get())->OpKind = r.Byte(); break;
        default: break;
        }
        Add(std::move(id));
    }
}

void TIDManager::Write(TModuleWriter& w, TTypeHelper& h) {
    w.Index(std::uint32_t(ids_.size()));
    for (const auto& id : ids_) {
        w.Byte(id->Code);
        w.String(id->Name);
        WriteRef(w, h, id->Type);
        switch (id->Code) {
        case idVar: {
            auto* v = static_cast<TVarID*>(id.get());
            w.Index(v->Offset);
            w.Byte(v->Location);
            break;
        }
        case idConst: {
            auto* c = static_cast<TConstID*>(id.get());
            w.Index(std::uint32_t(c->Data.size()));
            w.Bytes(c->Data);
            break;
        }
        case idFunc:
        case idMethod: {
            auto* f = static_cast<TFuncID*>(id.get());
            w.Index(f->Entry);
            w.Index(f->Second);
            break;
        }
        case idOp: w.Byte(static_cast<TOpID*>(id.get())->OpKind); break;
        default: break;
        }
    }
}

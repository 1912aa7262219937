#include "platform/core/Object.h"

#include <cxxabi.h>

#include <charconv>
#include <cstdlib>
#include <map>
#include <mutex>
#include <unordered_map>

namespace {

bool SameAscii(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

std::string Demangle(const char* mangled) {
    int status = 0;
    char* raw = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    std::string name = (status == 0 && raw) ? raw : mangled;
    std::free(raw);
    return name;
}

}  // namespace

std::string TObject::ClassName() const { return Demangle(typeid(*this).name()); }

void TPersistent::Assign(const TPersistent* source) {
    if (source) {
        source->AssignTo(this);
        return;
    }
    AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* dest) const { dest->AssignError(this); }

void TPersistent::AssignError(const TPersistent* source) const {
    std::string sourceName = source ? source->ClassName() : "nil";
    throw EConvertError("Cannot assign a " + sourceName + " to a " + ClassName());
}

// ---------------------------------------------------------------------------
// Registry
// ---------------------------------------------------------------------------

namespace {

struct ClassEntry {
    std::type_index Parent = typeid(void);
    bool HasParent = false;
    std::function<bool(const TObject&)> IsInstance;
    // unique_ptr keeps TPropInfo addresses stable for callers.
    std::vector<std::unique_ptr<TPropInfo>> Props;
};

struct Registry {
    std::mutex Lock;
    std::unordered_map<std::type_index, ClassEntry> Classes;
    // Resolved property lists per dynamic type; cleared on registration.
    std::unordered_map<std::type_index, std::vector<const TPropInfo*>> Cache;
};

Registry& TheRegistry() {
    static Registry r;
    return r;
}

// Caller holds the lock.
std::vector<const TPropInfo*> ChainOf(Registry& r, std::type_index cls) {
    std::vector<std::type_index> chain;
    std::type_index cur = cls;
    for (;;) {
        auto it = r.Classes.find(cur);
        if (it == r.Classes.end()) break;
        chain.push_back(cur);
        if (!it->second.HasParent || chain.size() > 256) break;
        cur = it->second.Parent;
    }
    std::vector<const TPropInfo*> list;
    for (auto c = chain.rbegin(); c != chain.rend(); ++c) {
        for (const auto& p : r.Classes.at(*c).Props) {
            // A derived class may redeclare a base property; keep the
            // base's position and use the derived accessors.
            bool replaced = false;
            for (auto& existing : list) {
                if (SameAscii(existing->Name, p->Name)) {
                    existing = p.get();
                    replaced = true;
                    break;
                }
            }
            if (!replaced) list.push_back(p.get());
        }
    }
    return list;
}

std::size_t Depth(Registry& r, std::type_index cls) {
    std::size_t depth = 0;
    for (;;) {
        auto it = r.Classes.find(cls);
        if (it == r.Classes.end() || depth > 256) return depth;
        ++depth;
        if (!it->second.HasParent) return depth;
        cls = it->second.Parent;
    }
}

const std::vector<const TPropInfo*>& ListFor(const TObject& obj) {
    Registry& r = TheRegistry();
    std::type_index dyn = typeid(obj);
    auto cached = r.Cache.find(dyn);
    if (cached != r.Cache.end()) return cached->second;
    std::type_index best = typeid(void);
    if (r.Classes.count(dyn)) {
        best = dyn;
    } else {
        // Unregistered subclass: the deepest registered ancestor.
        std::size_t bestDepth = 0;
        for (const auto& [cls, entry] : r.Classes) {
            if (!entry.IsInstance || !entry.IsInstance(obj)) continue;
            std::size_t d = Depth(r, cls);
            if (d > bestDepth) {
                bestDepth = d;
                best = cls;
            }
        }
    }
    return r.Cache.emplace(dyn, ChainOf(r, best)).first->second;
}

const TPropInfo& Require(const TObject& obj, const std::string& name) {
    const TPropInfo* info = GetPropInfo(obj, name);
    if (!info) throw EPropertyError("Property " + name + " does not exist");
    return *info;
}

const char* KindName(TPropKind kind) {
    switch (kind) {
        case pkString: return "string";
        case pkInteger: return "integer";
        case pkBoolean: return "boolean";
        case pkFloat: return "floating-point";
        case pkEnumeration: return "enumeration";
        case pkBinary: return "binary";
    }
    return "unknown";
}

void KindError(const TPropInfo& info, const char* wanted) {
    throw EPropertyError("Property " + info.Name + " is a " + KindName(info.Kind) +
                         " property, not " + wanted);
}

void InvalidValue(const TPropInfo& info, const std::string& text) {
    throw EPropertyError("Invalid property value '" + text + "' for " + info.Name);
}

void CheckEnumOrdinal(const TPropInfo& info, Int64 ordinal) {
    if (ordinal < 0 || ordinal >= static_cast<Int64>(info.EnumNames.size()))
        InvalidValue(info, std::to_string(ordinal));
}

}  // namespace

namespace published_detail {

void DeclareClass(std::type_index cls, std::type_index parent, bool hasParent,
                  std::function<bool(const TObject&)> isInstance) {
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.Lock);
    ClassEntry& e = r.Classes[cls];
    e.Parent = parent;
    e.HasParent = hasParent;
    e.IsInstance = std::move(isInstance);
    r.Cache.clear();
}

void AddProperty(std::type_index cls, TPropInfo info) {
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.Lock);
    auto& props = r.Classes[cls].Props;
    for (auto& p : props) {
        if (SameAscii(p->Name, info.Name)) {
            *p = std::move(info);
            r.Cache.clear();
            return;
        }
    }
    props.push_back(std::make_unique<TPropInfo>(std::move(info)));
    r.Cache.clear();
}

}  // namespace published_detail

std::vector<const TPropInfo*> GetPropList(const TObject& obj) {
    std::lock_guard<std::mutex> lock(TheRegistry().Lock);
    return ListFor(obj);
}

const TPropInfo* GetPropInfo(const TObject& obj, const std::string& name) {
    std::lock_guard<std::mutex> lock(TheRegistry().Lock);
    for (const TPropInfo* p : ListFor(obj))
        if (SameAscii(p->Name, name)) return p;
    return nullptr;
}

bool IsPublishedProp(const TObject& obj, const std::string& name) {
    return GetPropInfo(obj, name) != nullptr;
}

bool IsStoredProp(TObject& obj, const std::string& name) { return Require(obj, name).IsStored(obj); }

TPropValue GetPropValue(TObject& obj, const std::string& name) {
    return Require(obj, name).Get(obj);
}

void SetPropValue(TObject& obj, const std::string& name, const TPropValue& value) {
    const TPropInfo& info = Require(obj, name);
    if (info.ReadOnly()) throw EPropertyError("Property " + info.Name + " is read-only");
    bool fits = false;
    switch (info.Kind) {
        case pkString:
        case pkBinary: fits = std::holds_alternative<std::string>(value); break;
        case pkInteger: fits = std::holds_alternative<Int64>(value); break;
        case pkEnumeration:
            fits = std::holds_alternative<Int64>(value);
            if (fits) CheckEnumOrdinal(info, std::get<Int64>(value));
            break;
        case pkBoolean: fits = std::holds_alternative<bool>(value); break;
        case pkFloat: fits = std::holds_alternative<double>(value); break;
    }
    if (!fits) throw EPropertyError("Value of the wrong type for property " + info.Name);
    info.Set(obj, value);
}

std::string GetStrProp(TObject& obj, const std::string& name) {
    const TPropInfo& info = Require(obj, name);
    if (info.Kind != pkString) KindError(info, "string");
    return std::get<std::string>(info.Get(obj));
}

void SetStrProp(TObject& obj, const std::string& name, const std::string& value) {
    const TPropInfo& info = Require(obj, name);
    if (info.Kind != pkString) KindError(info, "string");
    SetPropValue(obj, name, value);
}

Int64 GetOrdProp(TObject& obj, const std::string& name) {
    const TPropInfo& info = Require(obj, name);
    TPropValue v = info.Get(obj);
    if (info.Kind == pkInteger || info.Kind == pkEnumeration) return std::get<Int64>(v);
    if (info.Kind == pkBoolean) return std::get<bool>(v) ? 1 : 0;
    KindError(info, "ordinal");
    return 0;
}

void SetOrdProp(TObject& obj, const std::string& name, Int64 value) {
    const TPropInfo& info = Require(obj, name);
    if (info.Kind == pkInteger || info.Kind == pkEnumeration)
        SetPropValue(obj, name, value);
    else if (info.Kind == pkBoolean)
        SetPropValue(obj, name, value != 0);
    else
        KindError(info, "ordinal");
}

bool GetBoolProp(TObject& obj, const std::string& name) {
    const TPropInfo& info = Require(obj, name);
    if (info.Kind != pkBoolean) KindError(info, "boolean");
    return std::get<bool>(info.Get(obj));
}

void SetBoolProp(TObject& obj, const std::string& name, bool value) {
    const TPropInfo& info = Require(obj, name);
    if (info.Kind != pkBoolean) KindError(info, "boolean");
    SetPropValue(obj, name, value);
}

double GetFloatProp(TObject& obj, const std::string& name) {
    const TPropInfo& info = Require(obj, name);
    if (info.Kind != pkFloat) KindError(info, "floating-point");
    return std::get<double>(info.Get(obj));
}

void SetFloatProp(TObject& obj, const std::string& name, double value) {
    const TPropInfo& info = Require(obj, name);
    if (info.Kind != pkFloat) KindError(info, "floating-point");
    SetPropValue(obj, name, value);
}

std::string GetEnumProp(TObject& obj, const std::string& name) {
    const TPropInfo& info = Require(obj, name);
    if (info.Kind != pkEnumeration) KindError(info, "enumeration");
    Int64 ordinal = std::get<Int64>(info.Get(obj));
    if (ordinal < 0 || ordinal >= static_cast<Int64>(info.EnumNames.size()))
        return std::to_string(ordinal);
    return info.EnumNames[static_cast<std::size_t>(ordinal)];
}

void SetEnumProp(TObject& obj, const std::string& name, const std::string& value) {
    const TPropInfo& info = Require(obj, name);
    if (info.Kind != pkEnumeration) KindError(info, "enumeration");
    for (std::size_t i = 0; i < info.EnumNames.size(); ++i) {
        if (SameAscii(info.EnumNames[i], value)) {
            SetPropValue(obj, name, static_cast<Int64>(i));
            return;
        }
    }
    InvalidValue(info, value);
}

std::string GetBinaryProp(TObject& obj, const std::string& name) {
    const TPropInfo& info = Require(obj, name);
    if (info.Kind != pkBinary) KindError(info, "binary");
    return std::get<std::string>(info.Get(obj));
}

void SetBinaryProp(TObject& obj, const std::string& name, const std::string& bytes) {
    const TPropInfo& info = Require(obj, name);
    if (info.Kind != pkBinary) KindError(info, "binary");
    SetPropValue(obj, name, bytes);
}

std::string GetPropText(TObject& obj, const std::string& name) {
    const TPropInfo& info = Require(obj, name);
    switch (info.Kind) {
        case pkString: return GetStrProp(obj, name);
        case pkInteger: return std::to_string(GetOrdProp(obj, name));
        case pkBoolean: return GetBoolProp(obj, name) ? "True" : "False";
        case pkEnumeration: return GetEnumProp(obj, name);
        case pkBinary: {
            static const char digits[] = "0123456789ABCDEF";
            const std::string bytes = GetBinaryProp(obj, name);
            std::string text;
            text.reserve(bytes.size() * 2);
            for (unsigned char b : bytes) {
                text += digits[b >> 4];
                text += digits[b & 15];
            }
            return text;
        }
        case pkFloat: {
            char buf[64];
            auto res = std::to_chars(buf, buf + sizeof buf, GetFloatProp(obj, name));
            return std::string(buf, res.ptr);
        }
    }
    return {};
}

void SetPropText(TObject& obj, const std::string& name, const std::string& text) {
    const TPropInfo& info = Require(obj, name);
    const char* first = text.data();
    const char* last = text.data() + text.size();
    switch (info.Kind) {
        case pkString: SetStrProp(obj, name, text); return;
        case pkEnumeration: SetEnumProp(obj, name, text); return;
        case pkBinary: {
            auto nibble = [](char c) {
                if (c >= '0' && c <= '9') return c - '0';
                if (c >= 'A' && c <= 'F') return c - 'A' + 10;
                if (c >= 'a' && c <= 'f') return c - 'a' + 10;
                return -1;
            };
            std::string bytes;
            int high = -1;
            for (char c : text) {
                if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
                const int n = nibble(c);
                if (n < 0) InvalidValue(info, text);
                if (high < 0) {
                    high = n;
                } else {
                    bytes += static_cast<char>(high << 4 | n);
                    high = -1;
                }
            }
            if (high >= 0) InvalidValue(info, text);
            SetBinaryProp(obj, name, bytes);
            return;
        }
        case pkBoolean:
            if (SameAscii(text, "True"))
                SetBoolProp(obj, name, true);
            else if (SameAscii(text, "False"))
                SetBoolProp(obj, name, false);
            else
                InvalidValue(info, text);
            return;
        case pkInteger: {
            Int64 v = 0;
            auto res = std::from_chars(first, last, v);
            if (text.empty() || res.ec != std::errc() || res.ptr != last) InvalidValue(info, text);
            SetOrdProp(obj, name, v);
            return;
        }
        case pkFloat: {
            double v = 0;
            auto res = std::from_chars(first, last, v);
            if (text.empty() || res.ec != std::errc() || res.ptr != last) InvalidValue(info, text);
            SetFloatProp(obj, name, v);
            return;
        }
    }
}

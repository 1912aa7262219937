#include "grid/GRGLib.h"

#include <algorithm>
#include <cstdint>
#include <map>

#include "platform/core/Format.h"
#include "platform/core/Strings.h"

// ---------------------------------------------------------------- variants

void ObjectToVariant(const void* object, Variant& value) {
    value = Variant(static_cast<long long>(reinterpret_cast<std::intptr_t>(object)));
}

Variant ObjectToVariant(const void* object) {
    Variant v;
    ObjectToVariant(object, v);
    return v;
}

void* VariantToObject(const Variant& value) {
    switch (value.Type()) {
        case varInteger:
        case varInt64: return reinterpret_cast<void*>(static_cast<std::intptr_t>(value.AsInt64()));
        default: return nullptr;
    }
}

void WriteVariantValue(TWriter& writer, const Variant& value) {
    switch (value.Type()) {
        case varEmpty: writer.WriteIdent("Empty"); break;
        case varNull: writer.WriteIdent("Null"); break;
        case varSmallint:
        case varInteger: writer.WriteInteger(value.AsInteger()); break;
        case varSingle:
        case varDouble:
        case varDate: writer.WriteFloat(value.AsDouble()); break;
        case varOleStr:
        case varString: writer.WriteString(value.AsString()); break;
        case varBoolean: writer.WriteBoolean(value.AsBoolean()); break;
        default: writer.WriteString(""); break;
    }
}

void ReadVariantValue(TReader& reader, Variant& value) {
    value = Variant();
    switch (reader.NextValue()) {
        case vaInt8:
        case vaInt16:
        case vaInt32: value = Variant(reader.ReadInteger()); break;
        case vaExtended:
        case vaDouble:
        case vaSingle: value = Variant(reader.ReadFloat()); break;
        case vaString:
        case vaLString:
        case vaWString:
        case vaUTF8String: value = Variant(reader.ReadString()); break;
        case vaIdent:
        case vaNull:
        case vaNil: {
            std::string ident = reader.ReadIdent();
            if (SameText(ident, "Null")) value = Variant::NullValue();
            break;
        }
        case vaFalse:
        case vaTrue: value = Variant(reader.ReadBoolean()); break;
        default: break;
    }
}

int CompareVariants(const Variant& a, const Variant& b) {
    if (a.IsEmpty()) return b.IsEmpty() ? 0 : -1;
    if (b.IsEmpty()) return 1;
    if (a.IsNull()) return b.IsNull() ? 0 : -1;
    if (b.IsNull()) return 1;
    bool aa = a.IsArray(), ba = b.IsArray();
    if (!aa && !ba) {
        switch (VarCompareValue(a, b)) {
            case vrLessThan: return -1;
            case vrGreaterThan: return 1;
            default: return 0;
        }
    }
    if (aa != ba) return aa ? 1 : -1;
    int na = a.HighBound() - a.LowBound() + 1;
    int nb = b.HighBound() - b.LowBound() + 1;
    for (int i = 0; i < std::min(na, nb); ++i) {
        int c = CompareVariants(a[a.LowBound() + i], b[b.LowBound() + i]);
        if (c != 0) return c;
    }
    return na < nb ? -1 : (na > nb ? 1 : 0);
}

bool IsNumericVariant(const Variant& v) {
    switch (v.Type()) {
        case varSmallint:
        case varInteger:
        case varInt64:
        case varSingle:
        case varDouble:
        case varCurrency:
        case varByte: return true;
        default: return false;
    }
}

bool VariantsEqual(const Variant& a, const Variant& b) {
    if (a.IsEmpty() || b.IsEmpty()) return a.IsEmpty() && b.IsEmpty();
    if (a.Type() != b.Type()) return false;
    if (a.IsNull()) return true;
    return a == b;
}

bool VariantsMatch(const Variant& a, const Variant& b) {
    if (VariantsEqual(a, b)) return true;
    return a.Type() != b.Type() && IsNumericVariant(a) && IsNumericVariant(b) && VarCompareValue(a, b) == vrEqual;
}

namespace {
std::map<Integer, std::string>& ResourceStrings() {
    static std::map<Integer, std::string> strings;
    return strings;
}
}  // namespace

void RegisterResourceString(Integer id, const std::string& text) { ResourceStrings()[id] = text; }

std::string LoadResString(Integer id) {
    auto it = ResourceStrings().find(id);
    return it == ResourceStrings().end() ? std::string() : it->second;
}

std::string VariantToText(const Variant& value) {
    if (value.Type() == varInteger) return LoadResString(value.AsInteger());
    return VarToStr(value);
}

// -------------------------------------------------------------- properties

std::vector<const TPropInfo*> PropertyList(const TObject& object, TgrTypeKinds kinds) {
    std::vector<const TPropInfo*> list;
    for (const TPropInfo* p : GetPropList(object))
        if (kinds & TypeKindBit(p->Kind)) list.push_back(p);
    std::stable_sort(list.begin(), list.end(),
                     [](const TPropInfo* a, const TPropInfo* b) { return CompareText(a->Name, b->Name) < 0; });
    return list;
}

void CopyPropertyValue(const TPropInfo& p, TObject& destination, TObject& source) {
    const TPropInfo* target = GetPropInfo(destination, p.Name);
    if (!target || target->ReadOnly() || target->Kind != p.Kind || !p.Get) return;
    target->Set(destination, p.Get(source));
}

void CopyPublishedProperty(const std::string& name, TObject& destination, TObject& source) {
    if (const TPropInfo* p = GetPropInfo(source, name)) CopyPropertyValue(*p, destination, source);
}

std::vector<std::string> SplitSemicolonList(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(';', start);
        if (end == std::string::npos) end = text.size();
        std::string part = Trim(text.substr(start, end - start));
        if (!part.empty()) parts.push_back(part);
        start = end + 1;
    }
    return parts;
}

bool NameInList(const std::string& name, std::vector<std::string>& list) {
    auto less = [](const std::string& a, const std::string& b) { return CompareText(a, b) < 0; };
    if (!std::is_sorted(list.begin(), list.end(), less)) std::sort(list.begin(), list.end(), less);
    for (const auto& entry : list) {
        int c = CompareText(entry, name);
        if (c == 0) return true;
        if (c > 0) break;
    }
    return false;
}

void CopyPublishedProperties(TObject& destination, TObject& source, const std::string& exclusions) {
    std::vector<std::string> excluded = SplitSemicolonList(exclusions);
    for (const TPropInfo* p : PropertyList(source, tkAnyProperty)) {
        if (NameInList(p->Name, excluded)) continue;
        CopyPropertyValue(*p, destination, source);
    }
}

// ---------------------------------------------------------------- registry

bool ParseRegistryPath(const std::string& path, HKEY& root, std::string& rootName, std::string& subKey) {
    root = 0;
    rootName.clear();
    if (path.size() < 2 || path[0] != '\\' || path[1] != '\\') {
        subKey = path;
        return true;
    }
    std::size_t slash = path.find('\\', 2);
    if (slash == std::string::npos) {
        rootName = UpperCase(path.substr(2));
        subKey.clear();
    } else {
        rootName = UpperCase(path.substr(2, slash - 2));
        subKey = path.substr(slash);
    }
    for (HKEY k : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS}) {
        if (TRegistry::RootKeyName(k) == rootName) {
            root = k;
            return true;
        }
    }
    return false;
}

std::unique_ptr<TRegistry> OpenRegistryPath(const std::string& path, bool create) {
    HKEY root;
    std::string rootName, subKey;
    if (!ParseRegistryPath(path, root, rootName, subKey))
        throw ERegistryException(Format("Unknown registry key %s", {rootName}));
    auto reg = std::make_unique<TRegistry>();
    if (root != 0) reg->SetRootKey(root);
    if (subKey.empty()) subKey.assign(1, '\\');
    if (create && !reg->KeyExists(subKey)) {
        reg->SetLazyWrite(false);
        reg->CreateKey(subKey);
        reg->CloseKey();
        reg->SetLazyWrite(true);
    }
    if (!reg->OpenKey(subKey, false)) return nullptr;
    return reg;
}

// --------------------------------------------------------------- alignment

TgrHorzAlignment AlignmentToHorzAlignment(TAlignment alignment, bool alignFlag) {
    if (!alignFlag) return htaDefault;
    switch (alignment) {
        case taLeftJustify: return htaLeft;
        case taRightJustify: return htaRight;
        case taCenter: return htaCenter;
        default: return htaDefault;
    }
}

TAlignment HorzAlignmentToAlignment(TgrHorzAlignment value) {
    switch (value) {
        case htaRight: return taRightJustify;
        case htaCenter: return taCenter;
        default: return taLeftJustify;
    }
}

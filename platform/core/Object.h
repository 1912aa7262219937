#pragma once
// Root of the object model: TObject (run-time class name), TPersistent
// (assignable objects) and the published-property registry through which
// streaming code reads and writes properties by name.

#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <typeindex>
#include <typeinfo>
#include <utility>
#include <variant>
#include <vector>

#include "platform/core/Exception.h"
#include "platform/core/Types.h"

class TObject {
public:
    virtual ~TObject() = default;
    // The dynamic class name without namespace or template decoration
    // beyond what the compiler reports, e.g. "TComponent".
    std::string ClassName() const;
};

// Events are std::function members named On... whose first argument is the
// sender.
using TNotifyEvent = std::function<void(TObject* sender)>;

class TPersistent : public TObject {
public:
    // Copies the state of source into this object. The default asks source
    // to AssignTo this object; when neither side knows the other, raises
    // EConvertError "Cannot assign a X to a Y".
    virtual void Assign(const TPersistent* source);

protected:
    virtual void AssignTo(TPersistent* dest) const;
    void AssignError(const TPersistent* source) const;
};

// ---------------------------------------------------------------------------
// Published properties
//
// Each class registers an ordered list of properties with typed accessors.
// A class's list is the list of its registered base followed by its own.
// Objects of an unregistered subclass use the list of their nearest
// registered ancestor.
//
//   TPublished<TMyControl, TComponent>()
//       .String("Caption", &TMyControl::Caption, &TMyControl::SetCaption)
//       .Integer("Width", &TMyControl::Width, &TMyControl::SetWidth)
//       .Enumeration("Align", {"alNone", "alTop", "alClient"},
//                    &TMyControl::Align, &TMyControl::SetAlign)
//       .Binary("Data", &TMyControl::WriteData, &TMyControl::ReadData,
//               &TMyControl::HasData);
//
// Getters are called with the object (member functions or callables taking
// T&); setters with the object and the value; a property without a setter
// is read-only. A property may say whether it is stored at all (a binary
// property such as a table's rows is written only when the object asks for
// it); streaming code asks IsStoredProp before writing one. Registration
// normally happens once at start-up from the class's own source file.
// ---------------------------------------------------------------------------

class EPropertyError : public Exception { using Exception::Exception; };

enum TPropKind { pkString, pkInteger, pkBoolean, pkFloat, pkEnumeration, pkBinary };

// Enumerations travel as their ordinal (Int64), binary data as its bytes in a
// std::string.
using TPropValue = std::variant<std::string, Int64, bool, double>;

struct TPropInfo {
    std::string Name;
    TPropKind Kind = pkString;
    std::vector<std::string> EnumNames;  // pkEnumeration: names by ordinal
    std::function<TPropValue(TObject&)> Get;
    std::function<void(TObject&, const TPropValue&)> Set;  // empty: read-only
    std::function<bool(TObject&)> Stored;                  // empty: always stored

    bool ReadOnly() const { return !Set; }
    bool IsStored(TObject& obj) const { return !Stored || Stored(obj); }
};

namespace published_detail {
// Registers (or finds) the entry of a class; returns nothing, later calls
// add properties to it.
void DeclareClass(std::type_index cls, std::type_index parent, bool hasParent,
                  std::function<bool(const TObject&)> isInstance);
// Adds a property to a class, replacing one of the same name.
void AddProperty(std::type_index cls, TPropInfo info);
}  // namespace published_detail

template <class T, class Base = void>
class TPublished {
    static_assert(std::is_base_of_v<TObject, T>, "published classes derive from TObject");

public:
    TPublished() {
        published_detail::DeclareClass(
            typeid(T), Parent(), !std::is_void_v<Base>,
            [](const TObject& o) { return dynamic_cast<const T*>(&o) != nullptr; });
    }

    // stored (callable with T&), when given, says whether the property is
    // written at all.
    template <class G, class S = std::nullptr_t, class P = std::nullptr_t>
    TPublished& String(std::string name, G get, S set = nullptr, P stored = nullptr) {
        return Add<std::string>(std::move(name), pkString, {}, get, set, stored);
    }
    template <class G, class S = std::nullptr_t>
    TPublished& Integer(std::string name, G get, S set = nullptr) {
        return Add<Int64>(std::move(name), pkInteger, {}, get, set);
    }
    template <class G, class S = std::nullptr_t>
    TPublished& Boolean(std::string name, G get, S set = nullptr) {
        return Add<bool>(std::move(name), pkBoolean, {}, get, set);
    }
    template <class G, class S = std::nullptr_t>
    TPublished& Float(std::string name, G get, S set = nullptr) {
        return Add<double>(std::move(name), pkFloat, {}, get, set);
    }
    // names[i] is the text of ordinal i.
    template <class G, class S = std::nullptr_t>
    TPublished& Enumeration(std::string name, std::vector<std::string> names, G get,
                            S set = nullptr) {
        return Add<Int64>(std::move(name), pkEnumeration, std::move(names), get, set);
    }
    // Bytes: get returns them in a std::string, set receives them; stored
    // (callable with T&) says whether the property is written at all.
    template <class G, class S = std::nullptr_t, class P = std::nullptr_t>
    TPublished& Binary(std::string name, G get, S set = nullptr, P stored = nullptr) {
        return Add<std::string>(std::move(name), pkBinary, {}, get, set, stored);
    }

private:
    static std::type_index Parent() {
        if constexpr (std::is_void_v<Base>)
            return typeid(void);
        else
            return typeid(Base);
    }

    static T& Self(TObject& o) { return dynamic_cast<T&>(o); }

    // Values are stored as V; the setter receives the getter's own type
    // (an enum, a narrower integer, ...) so accessors keep their natural
    // signatures.
    template <class V, class G, class S, class P = std::nullptr_t>
    TPublished& Add(std::string name, TPropKind kind, std::vector<std::string> names, G get,
                    S set, P stored = nullptr) {
        using R = std::decay_t<std::invoke_result_t<G, T&>>;
        TPropInfo info;
        info.Name = std::move(name);
        info.Kind = kind;
        info.EnumNames = std::move(names);
        info.Get = [get](TObject& o) -> TPropValue {
            return static_cast<V>(std::invoke(get, Self(o)));
        };
        if constexpr (!std::is_same_v<S, std::nullptr_t>) {
            info.Set = [set](TObject& o, const TPropValue& v) {
                std::invoke(set, Self(o), static_cast<R>(std::get<V>(v)));
            };
        }
        if constexpr (!std::is_same_v<P, std::nullptr_t>) {
            info.Stored = [stored](TObject& o) -> bool { return std::invoke(stored, Self(o)); };
        }
        published_detail::AddProperty(typeid(T), std::move(info));
        return *this;
    }
};

// The properties of obj's class in order, base-class properties first.
std::vector<const TPropInfo*> GetPropList(const TObject& obj);
// The property by name (case-insensitive), or nullptr.
const TPropInfo* GetPropInfo(const TObject& obj, const std::string& name);
bool IsPublishedProp(const TObject& obj, const std::string& name);
// Whether the property is to be written when the object is streamed.
bool IsStoredProp(TObject& obj, const std::string& name);

// Typed access by name. Unknown names raise EPropertyError "Property X does
// not exist"; writing a read-only property raises "Property X is
// read-only"; a kind mismatch raises EPropertyError as well.
TPropValue GetPropValue(TObject& obj, const std::string& name);
void SetPropValue(TObject& obj, const std::string& name, const TPropValue& value);
std::string GetStrProp(TObject& obj, const std::string& name);
void SetStrProp(TObject& obj, const std::string& name, const std::string& value);
// Integer, boolean (0/1) and enumeration (ordinal) properties.
Int64 GetOrdProp(TObject& obj, const std::string& name);
void SetOrdProp(TObject& obj, const std::string& name, Int64 value);
bool GetBoolProp(TObject& obj, const std::string& name);
void SetBoolProp(TObject& obj, const std::string& name, bool value);
double GetFloatProp(TObject& obj, const std::string& name);
void SetFloatProp(TObject& obj, const std::string& name, double value);
// Enumeration properties as the text of their value.
std::string GetEnumProp(TObject& obj, const std::string& name);
void SetEnumProp(TObject& obj, const std::string& name, const std::string& value);
// Binary properties as their bytes.
std::string GetBinaryProp(TObject& obj, const std::string& name);
void SetBinaryProp(TObject& obj, const std::string& name, const std::string& bytes);

// Any property as text, for streaming: strings as they are, integers in
// decimal, booleans "True"/"False", floats in the shortest form that reads
// back exactly (with '.'), enumerations by name, binary data as upper-case
// hexadecimal digits, two per byte. SetPropText parses the same forms
// (booleans, enumeration names and hexadecimal digits case-insensitively;
// blanks and line breaks between hexadecimal digits are skipped) and raises
// EPropertyError "Invalid property value ..." on text it cannot read.
std::string GetPropText(TObject& obj, const std::string& name);
void SetPropText(TObject& obj, const std::string& name, const std::string& text);

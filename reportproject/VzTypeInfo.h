#pragma once
// Run-time class information of the project component family: class
// references that can construct instances and know their ancestor, a class
// registry by name, and the published property list of each class with
// typed accessors and declared defaults, as the project reader and writer
// need them.
//
// Every class of the family declares itself with VIZE_CLASS(T) in its body
// and defines T::StaticClass() in its source file (see VzClass.cpp).

#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/core/Object.h"
#include "platform/core/Types.h"

class TComponent;
class TVizeClass;

using TVizeClassRef = const TVizeClass*;

// Kinds of published properties, numbered as the framework numbers them.
enum TVizeTypeKind {
    tkUnknown = 0, tkInteger = 1, tkChar = 2, tkEnumeration = 3, tkFloat = 4, tkString = 5, tkSet = 6,
    tkClass = 7, tkMethod = 8, tkWChar = 9, tkLString = 10, tkWString = 11, tkVariant = 12, tkArray = 13,
    tkRecord = 14, tkInterface = 15, tkInt64 = 16, tkDynArray = 17
};

// The declared default of a property that has none.
inline constexpr Int64 NoDefault = static_cast<Int64>(0x80000000u);

struct TVizePropInfo {
    std::string Name;
    TVizeTypeKind Kind = tkUnknown;
    std::vector<std::string> Names;   // enumeration and set member names by ordinal
    Int64 Default = NoDefault;        // ordinal kinds; class kinds: 0 or NoDefault
    // Class kind: the declared class (looked up when asked, so classes may
    // refer to each other).
    TVizeClassRef (*PropClassOf)() = nullptr;
    TVizeClassRef PropClass() const { return PropClassOf ? PropClassOf() : nullptr; }

    // Ordinal kinds (integer, char, enumeration incl. Boolean, set bits).
    std::function<Int64(TObject&)> GetOrd;
    std::function<void(TObject&, Int64)> SetOrd;
    std::function<double(TObject&)> GetFloat;
    std::function<void(TObject&, double)> SetFloat;
    std::function<std::string(TObject&)> GetStr;
    std::function<void(TObject&, const std::string&)> SetStr;
    std::function<TObject*(TObject&)> GetObj;
    std::function<void(TObject&, TObject*)> SetObj;
    std::function<bool(TObject&)> Stored;  // empty: always stored

    bool HasSetter() const { return SetOrd || SetFloat || SetStr || SetObj; }
    bool IsStored(TObject& obj) const { return !Stored || Stored(obj); }
};

class TVizeClass {
public:
    // construct: builds an instance (components with their owner; other
    // persistent classes ignore it); empty for classes that cannot be
    // built by name.
    TVizeClass(std::string name, TVizeClassRef parent, std::function<TPersistent*(TComponent*)> construct,
               bool isComponent);

    const std::string& Name() const { return name_; }
    TVizeClassRef Parent() const { return parent_; }
    bool IsComponent() const { return isComponent_; }
    bool CanConstruct() const { return static_cast<bool>(construct_); }
    // A new instance, or null when the class cannot be built by name.
    TPersistent* Construct(TComponent* owner) const { return construct_ ? construct_(owner) : nullptr; }
    bool InheritsFrom(TVizeClassRef other) const;

    // Published properties: the ancestors' first, then this class's own.
    std::vector<const TVizePropInfo*> PropList() const;
    // By name, ignoring case; null when there is none.
    const TVizePropInfo* FindProp(const std::string& name) const;
    // Adds (or replaces) one of this class's own properties.
    void AddProp(TVizePropInfo info);

private:
    std::string name_;
    TVizeClassRef parent_;
    std::function<TPersistent*(TComponent*)> construct_;
    bool isComponent_;
    std::vector<TVizePropInfo> props_;
};

// The class information of an object of the family (components and
// persistent objects declared with VIZE_CLASS); null for other objects.
TVizeClassRef VizeClassOf(const TObject* obj);

// The framework's class registry, by name (ignoring case).
void RegisterVizeClass(TVizeClassRef cls);
TVizeClassRef FindVizeClass(const std::string& name);
// A further name under which cls is found (older class names in streams).
void RegisterVizeClassAlias(const std::string& alias, TVizeClassRef cls);
void UnregisterVizeClass(TVizeClassRef cls);

// Persistent objects of the family that are not components (events, list
// items) derive from this.
class TVizePersistent : public TPersistent {
public:
    static TVizeClassRef StaticClass();
    virtual TVizeClassRef VizeClass() const { return StaticClass(); }
};

#define VIZE_CLASS(T)                                                   \
public:                                                                 \
    static TVizeClassRef StaticClass();                                 \
    TVizeClassRef VizeClass() const override { return StaticClass(); }

// Helpers to describe the properties of class T.
template <class T>
class TVizeProps {
public:
    explicit TVizeProps(TVizeClass& cls) : cls_(cls) {}

    template <class G, class S>
    TVizeProps& Integer(const std::string& name, G get, S set, Int64 def = 0) {
        return Ord(name, tkInteger, {}, def, get, set);
    }
    template <class G, class S>
    TVizeProps& Char(const std::string& name, G get, S set, Int64 def = 0) {
        return Ord(name, tkChar, {}, def, get, set);
    }
    template <class G, class S>
    TVizeProps& Boolean(const std::string& name, G get, S set, bool def = false) {
        return Ord(name, tkEnumeration, {"False", "True"}, def ? 1 : 0, get, set);
    }
    template <class G, class S>
    TVizeProps& Enumeration(const std::string& name, std::vector<std::string> names, G get, S set,
                            Int64 def = 0) {
        return Ord(name, tkEnumeration, std::move(names), def, get, set);
    }
    // The value is a bit set of the member ordinals.
    template <class G, class S>
    TVizeProps& Set(const std::string& name, std::vector<std::string> names, G get, S set, Int64 def = 0) {
        return Ord(name, tkSet, std::move(names), def, get, set);
    }
    template <class G, class S>
    TVizeProps& Float(const std::string& name, G get, S set) {
        TVizePropInfo p = Base(name, tkFloat);
        p.GetFloat = [get](TObject& o) { return static_cast<double>(std::invoke(get, Self(o))); };
        if constexpr (!std::is_same_v<S, std::nullptr_t>)
            p.SetFloat = [set](TObject& o, double v) { std::invoke(set, Self(o), v); };
        cls_.AddProp(std::move(p));
        return *this;
    }
    template <class G, class S>
    TVizeProps& String(const std::string& name, G get, S set) {
        TVizePropInfo p = Base(name, tkLString);
        p.GetStr = [get](TObject& o) { return std::string(std::invoke(get, Self(o))); };
        if constexpr (!std::is_same_v<S, std::nullptr_t>)
            p.SetStr = [set](TObject& o, const std::string& v) { std::invoke(set, Self(o), v); };
        cls_.AddProp(std::move(p));
        return *this;
    }
    // get returns a pointer to the object; set receives one of the
    // declared class (or null).
    template <class C, class G, class S>
    TVizeProps& Object(const std::string& name, G get, S set, Int64 def = NoDefault) {
        TVizePropInfo p = Base(name, tkClass);
        p.PropClassOf = &C::StaticClass;
        p.Default = def;
        p.GetObj = [get](TObject& o) -> TObject* { return std::invoke(get, Self(o)); };
        if constexpr (!std::is_same_v<S, std::nullptr_t>)
            p.SetObj = [set](TObject& o, TObject* v) { std::invoke(set, Self(o), dynamic_cast<C*>(v)); };
        cls_.AddProp(std::move(p));
        return *this;
    }
    // A property of a kind the streams do not carry (variant, method...).
    TVizeProps& Other(const std::string& name, TVizeTypeKind kind) {
        cls_.AddProp(Base(name, kind));
        return *this;
    }
    template <class P>
    TVizeProps& StoredIf(P stored) {
        // Applies to the property added last.
        lastStored_ = [stored](TObject& o) { return std::invoke(stored, Self(o)); };
        cls_.AddProp(WithStored());
        return *this;
    }

private:
    static T& Self(TObject& o) { return dynamic_cast<T&>(o); }
    TVizePropInfo Base(const std::string& name, TVizeTypeKind kind) {
        TVizePropInfo p;
        p.Name = name;
        p.Kind = kind;
        last_ = name;
        return p;
    }
    template <class G, class S>
    TVizeProps& Ord(const std::string& name, TVizeTypeKind kind, std::vector<std::string> names, Int64 def,
                    G get, S set) {
        TVizePropInfo p = Base(name, kind);
        p.Names = std::move(names);
        p.Default = def;
        p.GetOrd = [get](TObject& o) { return static_cast<Int64>(std::invoke(get, Self(o))); };
        if constexpr (!std::is_same_v<S, std::nullptr_t>) {
            p.SetOrd = [set](TObject& o, Int64 v) {
                using R = std::decay_t<std::invoke_result_t<G, T&>>;
                std::invoke(set, Self(o), static_cast<R>(v));
            };
        }
        cls_.AddProp(std::move(p));
        return *this;
    }
    TVizePropInfo WithStored() {
        const TVizePropInfo* existing = cls_.FindProp(last_);
        TVizePropInfo p = existing ? *existing : TVizePropInfo{};
        p.Stored = lastStored_;
        return p;
    }

    TVizeClass& cls_;
    std::string last_;
    std::function<bool(TObject&)> lastStored_;
};

#pragma once
// Private to the system-function units: adapters that turn a member of a
// host class into a native entry routine. The object comes first (one cell,
// a handle whose class is checked), then the parameters in order: one cell
// for integers, booleans, characters, colours, enumerations, strings and
// objects, two for a double. Results go back by their kind.

#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "platform/core/Object.h"
#include "platform/gui/Graphics.h"
#include "platform/print/Printers.h"
#include "report/ReportDefs.h"
#include "reportproject/VpBars.h"
#include "reportproject/VzControl.h"
#include "reportproject/VzCsData.h"
#include "reportproject/VzLEModule.h"
#include "reportproject/VzLESystem.h"

namespace vzsys {

// The last member of each enumeration a script may pass (members run from
// zero without gaps); an enumeration read from a cell must be named here.
// A value outside the members stops the script instead of reaching code
// that indexes or switches by it.
template <class E>
struct EnumLast;
#define VZSYS_ENUM_LAST(E, last) \
    template <> \
    struct EnumLast<E> { \
        static constexpr E value = last; \
    };
VZSYS_ENUM_LAST(TBKMode, bkOpaque)
VZSYS_ENUM_LAST(TBrushStyle, bsDiagCross)
VZSYS_ENUM_LAST(TCodePage128, cpCodeC)
VZSYS_ENUM_LAST(TFontPitch, fpFixed)
VZSYS_ENUM_LAST(TLineHeightMethod, lhmUser)
VZSYS_ENUM_LAST(TLineWidthType, wtPixels)
VZSYS_ENUM_LAST(TPenMode, pmNotXor)
VZSYS_ENUM_LAST(TPenStyle, psInsideFrame)
VZSYS_ENUM_LAST(TPrintJustify, pjBlock)
VZSYS_ENUM_LAST(TPrintUnits, unUser)
VZSYS_ENUM_LAST(TPrinterOrientation, poDefault)
VZSYS_ENUM_LAST(TVizeCalcFunction, cfPercent)
VZSYS_ENUM_LAST(TVizeCalcType, ctAverage)
VZSYS_ENUM_LAST(TVizeFillStyle, fsNone)
#undef VZSYS_ENUM_LAST

// Reads the argument cells from the first on.
class Args {
public:
    explicit Args(TNativeCall& c) : c_(c) {}

    // The object a handle cell names, of class T; a call on no object or
    // on one of another class stops the script.
    template <class T>
    T* Obj() {
        const std::uint32_t handle = c_.Cell(next_++);
        auto* o = dynamic_cast<T*>(ScriptObjectOf(handle));
        if (!o) throw EReportPrinter(Trans(handle ? "Script call on an object of the wrong class" : "Script call on no object"));
        return o;
    }
    // An object argument that may be none.
    template <class T>
    T* OptionalObj() {
        const std::uint32_t handle = c_.Cell(next_++);
        if (!handle) return nullptr;
        auto* o = dynamic_cast<T*>(ScriptObjectOf(handle));
        if (!o) throw EReportPrinter(Trans("Script call with an object of the wrong class"));
        return o;
    }

    template <class T>
    T Read() {
        using U = std::decay_t<T>;
        if constexpr (std::is_same_v<U, std::string>) {
            return c_.Str(next_++);
        } else if constexpr (std::is_floating_point_v<U>) {
            const double v = c_.Double(next_);
            next_ += 2;
            return U(v);
        } else if constexpr (std::is_same_v<U, bool>) {
            return (c_.Cell(next_++) & 0xFF) != 0;
        } else if constexpr (std::is_enum_v<U>) {
            // Checked before the conversion: a value outside the members is
            // no value of the type at all.
            const std::int32_t v = std::int32_t(c_.Cell(next_++));
            if (v < 0 || v > static_cast<std::int32_t>(EnumLast<U>::value))
                throw EReportPrinter(Trans("Script value out of range"));
            return static_cast<U>(v);
        } else if constexpr (std::is_integral_v<U>) {
            return static_cast<U>(std::int32_t(c_.Cell(next_++)));
        } else if constexpr (std::is_pointer_v<U>) {
            return OptionalObj<std::remove_pointer_t<U>>();
        } else {
            static_assert(sizeof(U) == 0, "no cell form for this parameter type");
        }
    }

private:
    TNativeCall& c_;
    int next_ = 0;
};

// holder: the object the call was made on; an object result that is no
// component is taken to be part of it.
template <class R>
void Result(TNativeCall& c, R&& value, TObject* holder = nullptr) {
    using U = std::decay_t<R>;
    if constexpr (std::is_same_v<U, std::string>) c.SetStringResult(value);
    else if constexpr (std::is_floating_point_v<U>) c.FloatResult = value;
    else if constexpr (std::is_same_v<U, bool>) c.IntResult = value ? 1 : 0;
    else if constexpr (std::is_enum_v<U> || std::is_integral_v<U>) c.IntResult = std::int64_t(value);
    else if constexpr (std::is_pointer_v<U>)
        c.IntResult = value ? ScriptObjectHandle(static_cast<TObject*>(value), holder) : 0;
    else static_assert(sizeof(U) == 0, "no result form for this type");
}

template <class T>
TObject* Holder(T* object) {
    if constexpr (std::is_base_of_v<TObject, T>) return object;
    else return nullptr;
}

// Parameters are read left to right: a braced list fixes the order.
template <class T, class R, class... P, class M>
void Invoke(TNativeCall& c, M member) {
    Args a(c);
    T* object = a.Obj<T>();
    std::tuple<std::decay_t<P>...> values{a.Read<std::decay_t<P>>()...};
    if constexpr (std::is_void_v<R>)
        std::apply([&](auto&&... v) { (object->*member)(v...); }, values);
    else
        Result(c, std::apply([&](auto&&... v) -> R { return (object->*member)(v...); }, values), Holder(object));
}

template <auto M>
struct MethodOf;
template <class T, class R, class... P, R (T::*M)(P...)>
struct MethodOf<M> {
    static void Entry(TNativeCall& c) { Invoke<T, R, P...>(c, M); }
};
template <class T, class R, class... P, R (T::*M)(P...) const>
struct MethodOf<M> {
    static void Entry(TNativeCall& c) { Invoke<T, R, P...>(c, M); }
};

// A member of a base class called on an object checked against Cls.
template <class Cls, class T, class R, class... P>
void InvokeAs(TNativeCall& c, R (T::*m)(P...)) { Invoke<Cls, R, P...>(c, m); }
template <class Cls, class T, class R, class... P>
void InvokeAs(TNativeCall& c, R (T::*m)(P...) const) { Invoke<Cls, R, P...>(c, m); }
template <class Cls, auto M>
struct MethodAs {
    static void Entry(TNativeCall& c) { InvokeAs<Cls>(c, M); }
};

// A public data member read or written.
template <auto F>
struct FieldOf;
template <class T, class V, V T::*F>
struct FieldOf<F> {
    static void Get(TNativeCall& c) {
        Args a(c);
        T* object = a.Obj<T>();
        Result(c, object->*F, Holder(object));
    }
    static void Set(TNativeCall& c) {
        Args a(c);
        T* object = a.Obj<T>();
        object->*F = a.Read<V>();
    }
};

// A public data member of a base class, on an object checked against Cls.
template <class Cls, auto F>
struct FieldAs;
template <class Cls, class T, class V, V T::*F>
struct FieldAs<Cls, F> {
    static void Get(TNativeCall& c) {
        Args a(c);
        Cls* object = a.Obj<Cls>();
        Result(c, object->*F, Holder(object));
    }
};

// Group tables, in registration order.
void AppendBaseReportFunctions(std::vector<TVizeFuncItem>& table);
void AppendComponentFunctions(std::vector<TVizeFuncItem>& table);
// The groups of the printable components.
std::vector<TVizeFuncItem> CsDataFunctions();
std::vector<TVizeFuncItem> CsRptFunctions();
std::vector<TVizeFuncItem> CsStdFunctions();

}  // namespace vzsys

// A member function as an entry routine: VZ_METHOD(&TBaseReport::CR).
#define VZ_METHOD(m) (&::vzsys::MethodOf<m>::Entry)
#define VZ_GETFIELD(f) (&::vzsys::FieldOf<f>::Get)
#define VZ_SETFIELD(f) (&::vzsys::FieldOf<f>::Set)
#define VZ_METHOD_AS(cls, m) (&::vzsys::MethodAs<cls, m>::Entry)
#define VZ_GETFIELD_AS(cls, f) (&::vzsys::FieldAs<cls, f>::Get)

#include "platform/core/Variant.h"

#include "platform/core/Format.h"
#include "platform/core/MathUtils.h"

#include <cctype>
#include <cmath>
#include <limits>

// Private access to the stored representation for the conversion helpers.
class VariantAccess {
public:
    static Int64 I(const Variant& v) { return v.i_; }
    static double D(const Variant& v) { return v.d_; }
    static const std::string& S(const Variant& v) { return v.s_; }
    static const std::vector<Variant>& Items(const Variant& v) { return v.items_; }
    static std::vector<Variant>& Items(Variant& v) { return v.items_; }
    static void SetArray(Variant& v, int low, std::vector<Variant> items) {
        v.type_ = varArray | varVariant;
        v.low_ = low;
        v.items_ = std::move(items);
    }
};

namespace {

using A = VariantAccess;

[[noreturn]] void CastError(TVarType from, TVarType to) {
    throw EVariantTypeCastError("Could not convert variant of type (" + VarTypeAsText(from) + ") into type (" +
                                VarTypeAsText(to) + ")");
}

[[noreturn]] void OverflowError(TVarType from, TVarType to) {
    throw EVariantOverflowError("Overflow while converting variant of type (" + VarTypeAsText(from) +
                                ") into type (" + VarTypeAsText(to) + ")");
}

bool IsIntegerKind(TVarType t) { return t == varSmallint || t == varInteger || t == varByte || t == varInt64; }
bool IsFloatKind(TVarType t) { return t == varSingle || t == varDouble || t == varCurrency; }
bool IsStringKind(TVarType t) { return t == varString || t == varOleStr; }

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

// Decimal integer text with optional sign and surrounding blanks.
bool ParseInt64(std::string_view s, Int64& out) {
    s = Trimmed(s);
    bool neg = false;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        neg = s[0] == '-';
        s.remove_prefix(1);
    }
    if (s.empty()) return false;
    UInt64 v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        if (v > (UInt64{1} << 63) / 10) return false;
        v = v * 10 + static_cast<unsigned>(c - '0');
    }
    if (v > (UInt64{1} << 63) - (neg ? 0 : 1)) return false;
    out = neg ? static_cast<Int64>(UInt64{0} - v) : static_cast<Int64>(v);
    return true;
}

bool SameTextAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The value of a scalar as a double, for conversions to `target`.
double ToDoubleFor(const Variant& v, TVarType target) {
    const TVarType t = v.Type();
    switch (t) {
        case varEmpty: return 0;
        case varSmallint:
        case varInteger:
        case varByte:
        case varInt64: return static_cast<double>(A::I(v));
        case varBoolean: return A::I(v) ? -1 : 0;
        case varSingle:
        case varDouble:
        case varDate: return A::D(v);
        case varCurrency: return Currency::FromRaw(A::I(v)).ToDouble();
        case varString:
        case varOleStr: {
            Int64 i;
            if (ParseInt64(A::S(v), i)) return static_cast<double>(i);
            double d;
            if (TryStrToFloat(A::S(v), d)) return d;
            CastError(t, target);
        }
        default: CastError(t, target);
    }
}

// Integer conversion with range check: integer kinds exactly, the others
// rounded half to even.
Int64 ToIntegerFor(const Variant& v, TVarType target, Int64 lo, Int64 hi) {
    const TVarType t = v.Type();
    Int64 r;
    if (IsIntegerKind(t)) {
        r = A::I(v);
    } else if (t == varEmpty) {
        r = 0;
    } else if (t == varBoolean) {
        r = A::I(v) ? -1 : 0;
    } else if (IsStringKind(t) && ParseInt64(A::S(v), r)) {
        // whole number text
    } else {
        const double d = RoundHalfEven(ToDoubleFor(v, target));
        if (!(d >= -9223372036854775808.0 && d < 9223372036854775808.0)) OverflowError(t, target);
        r = static_cast<Int64>(d);
    }
    if (r < lo || r > hi) OverflowError(t, target);
    return r;
}

// Three-way comparison of two non-Null values; both may be Unassigned.
int Compare(const Variant& a, const Variant& b);

int Sign(double x) { return x < 0 ? -1 : (x > 0 ? 1 : 0); }

int CompareArrays(const Variant& a, const Variant& b) {
    const auto& x = A::Items(a);
    const auto& y = A::Items(b);
    for (size_t i = 0; i < x.size() && i < y.size(); ++i) {
        if (x[i].IsNull() || y[i].IsNull()) {
            if (x[i].IsNull() != y[i].IsNull()) return x[i].IsNull() ? -1 : 1;
            continue;
        }
        const int c = Compare(x[i], y[i]);
        if (c != 0) return c;
    }
    return x.size() < y.size() ? -1 : (x.size() > y.size() ? 1 : 0);
}

int Compare(const Variant& a, const Variant& b) {
    const TVarType ta = a.Type(), tb = b.Type();
    if (a.IsArray() || b.IsArray()) {
        if (a.IsArray() && b.IsArray()) return CompareArrays(a, b);
        throw EVariantError("Invalid variant operation");
    }
    if (ta == varEmpty && tb == varEmpty) return 0;
    // Unassigned stands for the zero value of the other side's kind.
    if (ta == varEmpty) return -Compare(b, VarAsType(a, tb));
    if (tb == varEmpty) return Compare(a, VarAsType(b, ta));

    if (IsStringKind(ta) && IsStringKind(tb)) {
        const int c = A::S(a).compare(A::S(b));
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    if (ta == varBoolean && tb == varBoolean) return static_cast<int>(A::I(a)) - static_cast<int>(A::I(b));
    // Text against another kind is read as that kind.
    if (IsStringKind(ta)) return Compare(VarAsType(a, tb), b);
    if (IsStringKind(tb)) return Compare(a, VarAsType(b, ta));
    if ((IsIntegerKind(ta) || ta == varBoolean) && (IsIntegerKind(tb) || tb == varBoolean)) {
        const Int64 x = ta == varBoolean ? (A::I(a) ? -1 : 0) : A::I(a);
        const Int64 y = tb == varBoolean ? (A::I(b) ? -1 : 0) : A::I(b);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (ta == varCurrency && tb == varCurrency) return A::I(a) < A::I(b) ? -1 : (A::I(a) > A::I(b) ? 1 : 0);
    return Sign(ToDoubleFor(a, varDouble) - ToDoubleFor(b, varDouble));
}

const char* const kTypeNames[] = {"Empty",   "Null",     "Smallint", "Integer", "Single",  "Double",
                                  "Currency", "Date",    "OleStr",   "Dispatch", "Error",  "Boolean",
                                  "Variant", "Unknown",  "Decimal",  "???",     "ShortInt", "Byte",
                                  "Word",    "LongWord", "Int64"};

}  // namespace

// ---------------------------------------------------------------- Variant

Variant Variant::CreateArray(int lowBound, int highBound, TVarType elementType) {
    if (highBound < lowBound - 1) throw EVariantError("Invalid argument");
    const Variant element = elementType == varVariant ? Variant() : VarAsType(Variant(), elementType);
    Variant v;
    A::SetArray(v, lowBound, std::vector<Variant>(static_cast<size_t>(highBound - lowBound + 1), element));
    return v;
}

SmallInt Variant::AsSmallInt() const {
    return static_cast<SmallInt>(ToIntegerFor(*this, varSmallint, INT16_MIN, INT16_MAX));
}
Integer Variant::AsInteger() const {
    return static_cast<Integer>(ToIntegerFor(*this, varInteger, INT32_MIN, INT32_MAX));
}
Int64 Variant::AsInt64() const { return ToIntegerFor(*this, varInt64, INT64_MIN, INT64_MAX); }
Byte Variant::AsByte() const { return static_cast<Byte>(ToIntegerFor(*this, varByte, 0, 255)); }

float Variant::AsSingle() const {
    const double d = ToDoubleFor(*this, varSingle);
    if (std::isfinite(d) && std::fabs(d) > std::numeric_limits<float>::max()) OverflowError(type_, varSingle);
    return static_cast<float>(d);
}

double Variant::AsDouble() const { return ToDoubleFor(*this, varDouble); }

Currency Variant::AsCurrency() const {
    if (type_ == varCurrency) return Currency::FromRaw(i_);
    if (IsStringKind(type_)) {
        Currency c;
        if (TryStrToCurr(s_, c)) return c;
    }
    const double d = ToDoubleFor(*this, varCurrency);
    if (!(std::fabs(d) < 922337203685477.0)) OverflowError(type_, varCurrency);
    return Currency(d);
}

TDateTime Variant::AsDateTime() const {
    if (IsStringKind(type_)) {
        TDateTime dt;
        if (TryStrToDateTime(s_, dt)) return dt;
        double d;
        if (TryStrToFloat(s_, d)) return d;
        CastError(type_, varDate);
    }
    return ToDoubleFor(*this, varDate);
}

bool Variant::AsBoolean() const {
    switch (type_) {
        case varEmpty: return false;
        case varBoolean: return i_ != 0;
        case varString:
        case varOleStr: {
            if (SameTextAscii(Trimmed(s_), "True")) return true;
            if (SameTextAscii(Trimmed(s_), "False")) return false;
            return ToDoubleFor(*this, varBoolean) != 0;
        }
        default: return ToDoubleFor(*this, varBoolean) != 0;
    }
}

std::string Variant::AsString() const {
    switch (type_) {
        case varEmpty: return "";
        case varSmallint:
        case varInteger:
        case varByte:
        case varInt64: return std::to_string(i_);
        case varSingle: return FloatToStrF(d_, ffGeneral, 7, 0);
        case varDouble: return FloatToStr(d_);
        case varCurrency: return CurrToStr(Currency::FromRaw(i_));
        case varDate: return DateTimeToStr(d_);
        case varBoolean: return i_ ? "True" : "False";
        case varString:
        case varOleStr: return s_;
        default: CastError(type_, varString);
    }
}

int Variant::LowBound() const {
    if (!IsArray()) throw EVariantError("Variant is not an array");
    return low_;
}

int Variant::HighBound() const { return LowBound() + static_cast<int>(items_.size()) - 1; }

Variant& Variant::operator[](int index) {
    if (index < LowBound() || index > HighBound())
        throw EVariantError("Variant or safe array index out of bounds");
    return items_[static_cast<size_t>(index - low_)];
}

const Variant& Variant::operator[](int index) const {
    if (index < LowBound() || index > HighBound())
        throw EVariantError("Variant or safe array index out of bounds");
    return items_[static_cast<size_t>(index - low_)];
}

bool operator==(const Variant& a, const Variant& b) {
    if (a.IsNull() || b.IsNull()) return a.IsNull() && b.IsNull();
    return Compare(a, b) == 0;
}

bool operator<(const Variant& a, const Variant& b) {
    if (a.IsNull() || b.IsNull()) return a.IsNull() && !b.IsNull();
    return Compare(a, b) < 0;
}

// ---------------------------------------------------------------- free functions

Variant Null() { return Variant::NullValue(); }
Variant Unassigned() { return Variant(); }
TVarType VarType(const Variant& v) { return v.Type(); }
bool VarIsNull(const Variant& v) { return v.IsNull(); }
bool VarIsEmpty(const Variant& v) { return v.IsEmpty(); }
bool VarIsClear(const Variant& v) { return v.IsEmpty(); }
bool VarIsArray(const Variant& v) { return v.IsArray(); }
bool VarIsStr(const Variant& v) { return IsStringKind(v.Type()); }
bool VarIsNumeric(const Variant& v) { return IsIntegerKind(v.Type()) || IsFloatKind(v.Type()); }
bool VarIsOrdinal(const Variant& v) { return IsIntegerKind(v.Type()) || v.Type() == varBoolean; }
bool VarIsFloat(const Variant& v) { return IsFloatKind(v.Type()); }

std::string VarToStr(const Variant& v) { return v.IsNull() ? std::string() : v.AsString(); }
std::string VarToStrDef(const Variant& v, const std::string& def) { return v.IsNull() ? def : v.AsString(); }
TDateTime VarToDateTime(const Variant& v) { return v.AsDateTime(); }
Variant VarFromDateTime(TDateTime dt) { return Variant::FromDate(dt); }

Variant VarAsType(const Variant& v, TVarType type) {
    if (v.Type() == type) return v;
    switch (type) {
        case varEmpty: return Variant();
        case varNull: return Null();
        case varSmallint: return Variant(v.AsSmallInt());
        case varInteger: return Variant(v.AsInteger());
        case varByte: return Variant(v.AsByte());
        case varInt64: return Variant(static_cast<long long>(v.AsInt64()));
        case varSingle: return Variant(v.AsSingle());
        case varDouble: return Variant(v.AsDouble());
        case varCurrency: return Variant(v.AsCurrency());
        case varDate: return Variant::FromDate(v.AsDateTime());
        case varBoolean: return Variant(v.AsBoolean());
        case varString: return Variant(v.AsString());
        case varOleStr: return Variant::FromOleStr(v.AsString());
        case varVariant: return v;
        default: CastError(v.Type(), type);
    }
}

std::string VarTypeAsText(TVarType type) {
    std::string prefix;
    if (type & varArray) prefix = "Array ";
    const TVarType base = type & varTypeMask;
    if (base < std::size(kTypeNames)) return prefix + kTypeNames[base];
    if (base == varString) return prefix + "String";
    return prefix + "Unknown";
}

TVariantRelationship VarCompareValue(const Variant& a, const Variant& b) {
    const bool aNone = a.IsNull() || a.IsEmpty();
    const bool bNone = b.IsNull() || b.IsEmpty();
    if (aNone || bNone) return (a.Type() == b.Type()) ? vrEqual : vrNotEqual;
    const int c = Compare(a, b);
    return c < 0 ? vrLessThan : (c > 0 ? vrGreaterThan : vrEqual);
}

bool VarSameValue(const Variant& a, const Variant& b) { return VarCompareValue(a, b) == vrEqual; }

Variant VarArrayOf(std::initializer_list<Variant> items) { return VarArrayOf(std::vector<Variant>(items)); }

Variant VarArrayOf(const std::vector<Variant>& items) {
    Variant v;
    A::SetArray(v, 0, items);
    return v;
}

Variant VarArrayCreate(int lowBound, int highBound, TVarType elementType) {
    return Variant::CreateArray(lowBound, highBound, elementType);
}

int VarArrayDimCount(const Variant& v) { return v.IsArray() ? 1 : 0; }

int VarArrayLowBound(const Variant& v, int dim) {
    if (dim != 1) throw EVariantError("Variant or safe array index out of bounds");
    return v.LowBound();
}

int VarArrayHighBound(const Variant& v, int dim) {
    if (dim != 1) throw EVariantError("Variant or safe array index out of bounds");
    return v.HighBound();
}

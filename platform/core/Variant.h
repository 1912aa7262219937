#pragma once
// Variant: a value of one of the platform's kinds, told apart at run time.
//
// Unassigned (varEmpty), Null and the empty string are three different
// values. Conversions and comparisons follow the platform's rules:
// - Unassigned converts to 0, 0.0, False, "" and date 0;
// - Null converts to nothing: asking a Null for a number, date, Boolean or
//   string raises EVariantTypeCastError "Could not convert variant of type
//   (Null) into type (Integer)" (VarToStr gives "" for Null instead);
// - Boolean is -1 (True) or 0 as a number and "True"/"False" as text;
// - text converts to numbers and dates through the process format settings;
// - floating-point values become integers by RoundHalfEven;
// - out-of-range integer conversions raise EVariantOverflowError.
// Comparisons: Null equals only Null and orders before everything else;
// Unassigned equals only Unassigned, 0, False and "" and orders as those;
// numbers of any kind compare by value; text compares byte-wise (case
// sensitive); text against a number, date or Boolean is converted to that
// kind first (raising EVariantTypeCastError when it cannot be).

#include "platform/core/Currency.h"
#include "platform/core/Exception.h"
#include "platform/core/Types.h"

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

using TVarType = Word;

constexpr TVarType varEmpty = 0x0000;
constexpr TVarType varNull = 0x0001;
constexpr TVarType varSmallint = 0x0002;
constexpr TVarType varInteger = 0x0003;
constexpr TVarType varSingle = 0x0004;
constexpr TVarType varDouble = 0x0005;
constexpr TVarType varCurrency = 0x0006;
constexpr TVarType varDate = 0x0007;
constexpr TVarType varOleStr = 0x0008;
constexpr TVarType varBoolean = 0x000B;
constexpr TVarType varVariant = 0x000C;
constexpr TVarType varByte = 0x0011;
constexpr TVarType varInt64 = 0x0014;
constexpr TVarType varString = 0x0100;
constexpr TVarType varTypeMask = 0x0FFF;
constexpr TVarType varArray = 0x2000;

// A conversion whose result does not fit the target kind.
class EVariantOverflowError : public EVariantError { using EVariantError::EVariantError; };

enum TVariantRelationship { vrEqual, vrLessThan, vrGreaterThan, vrNotEqual };

class Variant {
public:
    Variant() = default;  // Unassigned
    Variant(SmallInt v) : type_(varSmallint), i_(v) {}
    Variant(int v) : type_(varInteger), i_(v) {}
    Variant(unsigned v) : type_(varInt64), i_(v) {}
    Variant(long v) : type_(varInt64), i_(v) {}
    Variant(long long v) : type_(varInt64), i_(static_cast<Int64>(v)) {}
    Variant(Byte v) : type_(varByte), i_(v) {}
    Variant(float v) : type_(varSingle), d_(v) {}
    Variant(double v) : type_(varDouble), d_(v) {}
    Variant(Currency v) : type_(varCurrency), i_(v.Raw()) {}
    Variant(bool v) : type_(varBoolean), i_(v ? 1 : 0) {}
    Variant(const char* v) : type_(varString), s_(v ? v : "") {}
    Variant(std::string v) : type_(varString), s_(std::move(v)) {}
    Variant(std::string_view v) : type_(varString), s_(v) {}
    // A character is not a number here; make the intent explicit.
    Variant(char) = delete;

    static Variant NullValue() { Variant v; v.type_ = varNull; return v; }
    static Variant FromDate(TDateTime dt) { Variant v; v.type_ = varDate; v.d_ = dt; return v; }
    static Variant FromOleStr(std::string s) { Variant v(std::move(s)); v.type_ = varOleStr; return v; }
    // A one-dimensional array of Variants indexed lowBound..highBound, each
    // element the zero value of elementType (Unassigned for varVariant).
    static Variant CreateArray(int lowBound, int highBound, TVarType elementType = varVariant);

    TVarType Type() const { return type_; }
    bool IsNull() const { return type_ == varNull; }
    bool IsEmpty() const { return type_ == varEmpty; }
    bool IsArray() const { return type_ & varArray; }
    bool IsString() const { return type_ == varString || type_ == varOleStr; }

    SmallInt AsSmallInt() const;
    Integer AsInteger() const;
    Int64 AsInt64() const;
    Byte AsByte() const;
    float AsSingle() const;
    double AsDouble() const;
    Currency AsCurrency() const;
    TDateTime AsDateTime() const;
    bool AsBoolean() const;
    std::string AsString() const;

    // Array access; raise EVariantError when this is not an array or the
    // index is outside the bounds.
    int LowBound() const;
    int HighBound() const;
    Variant& operator[](int index);
    const Variant& operator[](int index) const;

    friend bool operator==(const Variant& a, const Variant& b);
    friend bool operator<(const Variant& a, const Variant& b);
    friend bool operator!=(const Variant& a, const Variant& b) { return !(a == b); }
    friend bool operator>(const Variant& a, const Variant& b) { return b < a; }
    friend bool operator<=(const Variant& a, const Variant& b) { return a < b || a == b; }
    friend bool operator>=(const Variant& a, const Variant& b) { return b < a || a == b; }

private:
    friend class VariantAccess;
    TVarType type_ = varEmpty;
    Int64 i_ = 0;   // integer kinds, Boolean (1/0), Currency (raw)
    double d_ = 0;  // Single, Double, Date
    std::string s_;
    std::vector<Variant> items_;
    int low_ = 0;
};

// The platform's free functions.
Variant Null();
Variant Unassigned();
TVarType VarType(const Variant& v);
bool VarIsNull(const Variant& v);
bool VarIsEmpty(const Variant& v);
bool VarIsClear(const Variant& v);
bool VarIsArray(const Variant& v);
bool VarIsStr(const Variant& v);
bool VarIsNumeric(const Variant& v);  // integer kinds, Byte, Single, Double, Currency
bool VarIsOrdinal(const Variant& v);  // integer kinds, Byte, Boolean
bool VarIsFloat(const Variant& v);    // Single, Double, Currency
// Text of a value; Null gives "" (and VarToStrDef gives def).
std::string VarToStr(const Variant& v);
std::string VarToStrDef(const Variant& v, const std::string& def);
TDateTime VarToDateTime(const Variant& v);
Variant VarFromDateTime(TDateTime dt);
// Converts to another kind (varEmpty, varNull, a scalar kind or varString).
Variant VarAsType(const Variant& v, TVarType type);
// "Integer", "String", "Null"...; arrays as "Array Variant".
std::string VarTypeAsText(TVarType type);
// vrEqual, vrLessThan or vrGreaterThan; vrNotEqual when exactly one side is
// Null or Unassigned.
TVariantRelationship VarCompareValue(const Variant& a, const Variant& b);
bool VarSameValue(const Variant& a, const Variant& b);

Variant VarArrayOf(std::initializer_list<Variant> items);
Variant VarArrayOf(const std::vector<Variant>& items);
Variant VarArrayCreate(int lowBound, int highBound, TVarType elementType);
int VarArrayDimCount(const Variant& v);
int VarArrayLowBound(const Variant& v, int dim = 1);
int VarArrayHighBound(const Variant& v, int dim = 1);

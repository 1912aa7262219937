#pragma once
// Parameters of SQL statements and stored procedures: TParam holds a typed
// value, TParams the ordered collection with ParamByName and the parser
// that finds ":name" parameters in SQL text.

#include <memory>
#include <string>
#include <vector>

#include "platform/core/Currency.h"
#include "platform/core/Types.h"
#include "platform/core/Variant.h"
#include "platform/data/DataTypes.h"

class TField;
class TParams;

class TParam {
public:
    explicit TParam(TParams* collection = nullptr, const std::string& name = {}, TParamType paramType = ptUnknown);

    TParams* Collection() const { return collection_; }
    const std::string& Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }
    TFieldType DataType() const { return dataType_; }
    void SetDataType(TFieldType type);
    TParamType ParamType() const { return paramType_; }
    void SetParamType(TParamType type) { paramType_ = type; }
    int Size() const { return size_; }
    void SetSize(int size) { size_ = size; }
    int Precision() const { return precision_; }
    void SetPrecision(int v) { precision_ = v; }
    int NumericScale() const { return numericScale_; }
    void SetNumericScale(int v) { numericScale_ = v; }
    // Set by every value assignment; cleared by Clear.
    bool Bound() const { return bound_; }
    void SetBound(bool v) { bound_ = v; }
    int Index() const;

    // The value; a parameter of unknown type takes the type of the first
    // value assigned to it.
    const Variant& Value() const { return value_; }
    void SetValue(const Variant& value);
    bool IsNull() const { return value_.IsNull() || value_.IsEmpty(); }
    void Clear();

    // Typed access: each setter also sets DataType. Reading a null
    // parameter gives 0, "" or False.
    std::string AsString() const;
    void SetAsString(const std::string& v) { Assign(ftString, Variant(v)); }
    std::string AsMemo() const { return AsString(); }
    void SetAsMemo(const std::string& v) { Assign(ftMemo, Variant(v)); }
    std::string AsBlob() const { return AsString(); }
    void SetAsBlob(const std::string& v) { Assign(ftBlob, Variant(v)); }
    Integer AsInteger() const;
    void SetAsInteger(Integer v) { Assign(ftInteger, Variant(static_cast<int>(v))); }
    SmallInt AsSmallInt() const;
    void SetAsSmallInt(SmallInt v) { Assign(ftSmallint, Variant(v)); }
    Word AsWord() const;
    void SetAsWord(Word v) { Assign(ftWord, Variant(static_cast<int>(v))); }
    Int64 AsLargeInt() const;
    void SetAsLargeInt(Int64 v) { Assign(ftLargeint, Variant(static_cast<long long>(v))); }
    double AsFloat() const;
    void SetAsFloat(double v) { Assign(ftFloat, Variant(v)); }
    ::Currency AsCurrency() const;
    void SetAsCurrency(::Currency v) { Assign(ftCurrency, Variant(v)); }
    void SetAsBCD(::Currency v) { Assign(ftBCD, Variant(v)); }
    bool AsBoolean() const;
    void SetAsBoolean(bool v) { Assign(ftBoolean, Variant(v)); }
    TDateTime AsDateTime() const;
    void SetAsDateTime(TDateTime v) { Assign(ftDateTime, Variant::FromDate(v)); }
    void SetAsDate(TDateTime v) { Assign(ftDate, Variant::FromDate(v)); }
    void SetAsTime(TDateTime v) { Assign(ftTime, Variant::FromDate(v)); }
    std::string Text() const { return AsString(); }
    void SetText(const std::string& v) { SetAsString(v); }

    // Copies name, types, sizes and value.
    void Assign(const TParam& source);
    // Takes the field's type, size and value (name too with AssignField).
    void AssignField(TField* field);
    void AssignFieldValue(TField* field, const Variant& value);

private:
    friend class TParams;
    void Assign(TFieldType type, const Variant& v);

    TParams* collection_;
    std::string name_;
    TFieldType dataType_ = ftUnknown;
    TParamType paramType_;
    int size_ = 0;
    int precision_ = 0;
    int numericScale_ = 0;
    bool bound_ = false;
    Variant value_ = Null();
};

class TParams {
public:
    TParams() = default;
    TParams(const TParams&) = delete;
    TParams& operator=(const TParams&) = delete;

    int Count() const { return static_cast<int>(items_.size()); }
    TParam* operator[](int index) const { return Items(index); }
    // Raises EListError for a bad index.
    TParam* Items(int index) const;
    TParam* CreateParam(TFieldType type, const std::string& name, TParamType paramType);
    TParam* AddParam(std::unique_ptr<TParam> param);
    void RemoveParam(TParam* param);
    void Clear() { items_.clear(); }
    // Case-insensitive; FindParam gives nullptr, ParamByName raises
    // EDatabaseError "Parameter 'X' not found".
    TParam* FindParam(const std::string& name) const;
    TParam* ParamByName(const std::string& name) const;
    // Values of the named parameters (";"-separated); an array for several.
    Variant ParamValues(const std::string& names) const;
    void SetParamValues(const std::string& names, const Variant& values);
    // Copies every parameter of source.
    void Assign(const TParams& source);
    // Copies values (and types) of source's parameters into parameters of
    // the same name here.
    void AssignValues(const TParams& source);
    void GetParamList(std::vector<TParam*>& list, const std::string& names) const;

    // Finds the ":name" parameters of an SQL text (not inside quotes; "::"
    // is a literal colon; a name may be written in double quotes), creates
    // them when doCreate (once per name, in order of appearance) and answers
    // the text with each parameter replaced by "?".
    std::string ParseSQL(const std::string& sql, bool doCreate);

private:
    std::vector<std::unique_ptr<TParam>> items_;
};

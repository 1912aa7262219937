#include "platform/data/Params.h"

#include <cctype>

#include "platform/core/Exception.h"
#include "platform/core/Strings.h"
#include "platform/data/DBConsts.h"
#include "platform/data/DBError.h"
#include "platform/data/FieldDefs.h"
#include "platform/data/StdFields.h"

// ================================================================ TParam

TParam::TParam(TParams* collection, const std::string& name, TParamType paramType)
    : collection_(collection), name_(name), paramType_(paramType) {}

int TParam::Index() const {
    if (!collection_) return -1;
    for (int i = 0; i < collection_->Count(); ++i)
        if (collection_->Items(i) == this) return i;
    return -1;
}

void TParam::SetDataType(TFieldType type) {
    if (type == dataType_) return;
    dataType_ = type;
    // Keep the value only when it still converts to the new type.
    if (IsNull()) return;
    try {
        switch (type) {
        case ftString: case ftFixedChar: case ftWideString: case ftMemo: case ftFmtMemo: case ftBlob:
            value_ = Variant(value_.AsString());
            break;
        case ftSmallint: case ftInteger: case ftWord: case ftAutoInc:
            value_ = Variant(static_cast<int>(value_.AsInteger()));
            break;
        case ftLargeint:
            value_ = Variant(static_cast<long long>(value_.AsInt64()));
            break;
        case ftFloat:
            value_ = Variant(value_.AsDouble());
            break;
        case ftCurrency: case ftBCD: case ftFMTBcd:
            value_ = Variant(value_.AsCurrency());
            break;
        case ftBoolean:
            value_ = Variant(value_.AsBoolean());
            break;
        case ftDate: case ftTime: case ftDateTime:
            value_ = Variant::FromDate(VarToDateTime(value_));
            break;
        default:
            break;
        }
    } catch (const Exception&) {
        value_ = Null();
    }
}

void TParam::SetValue(const Variant& value) {
    value_ = value;
    bound_ = true;
    if (dataType_ != ftUnknown || IsNull()) return;
    switch (value.Type()) {
    case varSmallint: dataType_ = ftSmallint; break;
    case varInteger: case varByte: dataType_ = ftInteger; break;
    case varInt64: dataType_ = ftLargeint; break;
    case varSingle: case varDouble: dataType_ = ftFloat; break;
    case varCurrency: dataType_ = ftCurrency; break;
    case varDate: dataType_ = ftDateTime; break;
    case varBoolean: dataType_ = ftBoolean; break;
    case varString: case varOleStr: dataType_ = ftString; break;
    default: break;
    }
}

void TParam::Clear() {
    value_ = Null();
    bound_ = false;
}

void TParam::Assign(TFieldType type, const Variant& v) {
    dataType_ = type;
    value_ = v;
    bound_ = true;
}

std::string TParam::AsString() const { return IsNull() ? std::string() : VarToStr(value_); }
Integer TParam::AsInteger() const { return IsNull() ? 0 : value_.AsInteger(); }
SmallInt TParam::AsSmallInt() const { return IsNull() ? SmallInt(0) : value_.AsSmallInt(); }
Word TParam::AsWord() const { return IsNull() ? Word(0) : static_cast<Word>(value_.AsInteger()); }
Int64 TParam::AsLargeInt() const { return IsNull() ? 0 : value_.AsInt64(); }
double TParam::AsFloat() const { return IsNull() ? 0.0 : value_.AsDouble(); }
Currency TParam::AsCurrency() const { return IsNull() ? Currency() : value_.AsCurrency(); }
bool TParam::AsBoolean() const { return IsNull() ? false : value_.AsBoolean(); }
TDateTime TParam::AsDateTime() const { return IsNull() ? 0.0 : VarToDateTime(value_); }

void TParam::Assign(const TParam& source) {
    if (&source == this) return;
    name_ = source.name_;
    dataType_ = source.dataType_;
    paramType_ = source.paramType_;
    size_ = source.size_;
    precision_ = source.precision_;
    numericScale_ = source.numericScale_;
    bound_ = source.bound_;
    value_ = source.value_;
}

void TParam::AssignFieldValue(TField* field, const Variant& value) {
    dataType_ = field->DataType() == ftAutoInc ? ftInteger : field->DataType();
    size_ = field->Size();
    if (auto* f = dynamic_cast<TBCDField*>(field)) precision_ = f->Precision();
    value_ = value.IsEmpty() ? Null() : value;
    bound_ = true;
}

void TParam::AssignField(TField* field) {
    name_ = field->FieldName();
    AssignFieldValue(field, field->AsVariant());
}

// ================================================================ TParams

TParam* TParams::Items(int index) const {
    if (index < 0 || index >= Count())
        throw EListError("List index out of bounds (" + IntToStr(index) + ")");
    return items_[static_cast<std::size_t>(index)].get();
}

TParam* TParams::CreateParam(TFieldType type, const std::string& name, TParamType paramType) {
    auto p = std::make_unique<TParam>(this, name, paramType);
    p->SetDataType(type);
    return AddParam(std::move(p));
}

TParam* TParams::AddParam(std::unique_ptr<TParam> param) {
    items_.push_back(std::move(param));
    TParam* p = items_.back().get();
    p->collection_ = this;
    return p;
}

void TParams::RemoveParam(TParam* param) {
    for (auto it = items_.begin(); it != items_.end(); ++it)
        if (it->get() == param) {
            items_.erase(it);
            return;
        }
}

TParam* TParams::FindParam(const std::string& name) const {
    for (const auto& p : items_)
        if (SameText(p->Name(), name)) return p.get();
    return nullptr;
}

TParam* TParams::ParamByName(const std::string& name) const {
    TParam* p = FindParam(name);
    if (!p) DatabaseErrorFmt(DBConsts::SParameterNotFound, {name});
    return p;
}

void TParams::GetParamList(std::vector<TParam*>& list, const std::string& names) const {
    for (const std::string& n : SplitFieldNames(names)) list.push_back(ParamByName(n));
}

Variant TParams::ParamValues(const std::string& names) const {
    std::vector<TParam*> list;
    GetParamList(list, names);
    if (list.size() == 1) return list[0]->Value();
    std::vector<Variant> values;
    for (TParam* p : list) values.push_back(p->Value());
    return VarArrayOf(values);
}

void TParams::SetParamValues(const std::string& names, const Variant& values) {
    std::vector<TParam*> list;
    GetParamList(list, names);
    if (list.size() == 1 && !values.IsArray()) {
        list[0]->SetValue(values);
        return;
    }
    for (std::size_t i = 0; i < list.size(); ++i) list[i]->SetValue(values[values.LowBound() + static_cast<int>(i)]);
}

void TParams::Assign(const TParams& source) {
    if (&source == this) return;
    items_.clear();
    for (const auto& p : source.items_) {
        auto copy = std::make_unique<TParam>(this);
        copy->Assign(*p);
        items_.push_back(std::move(copy));
    }
}

void TParams::AssignValues(const TParams& source) {
    for (const auto& p : source.items_) {
        TParam* mine = FindParam(p->Name());
        if (!mine) continue;
        std::string name = mine->Name();
        TParamType pt = mine->ParamType();
        mine->Assign(*p);
        mine->SetName(name);
        mine->SetParamType(pt);
    }
}

std::string TParams::ParseSQL(const std::string& sql, bool doCreate) {
    auto isNameChar = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || (static_cast<unsigned char>(c) >= 0x80);
    };
    std::string out;
    char quote = 0;
    std::size_t i = 0;
    while (i < sql.size()) {
        char c = sql[i];
        if (quote) {
            out += c;
            if (c == quote) quote = 0;
            ++i;
            continue;
        }
        if (c == '\'' || c == '"') {
            quote = c;
            out += c;
            ++i;
            continue;
        }
        if (c == ':' && i + 1 < sql.size() && sql[i + 1] == ':') {
            out += ':';
            i += 2;
            continue;
        }
        if (c == ':' && i + 1 < sql.size() && (isNameChar(sql[i + 1]) || sql[i + 1] == '"')) {
            std::string name;
            std::size_t j = i + 1;
            if (sql[j] == '"') {
                std::size_t end = sql.find('"', j + 1);
                if (end == std::string::npos) end = sql.size();
                name = sql.substr(j + 1, end - j - 1);
                j = end < sql.size() ? end + 1 : end;
            } else {
                while (j < sql.size() && isNameChar(sql[j])) name += sql[j++];
            }
            if (doCreate && !FindParam(name)) CreateParam(ftUnknown, name, ptInput);
            out += '?';
            i = j;
            continue;
        }
        out += c;
        ++i;
    }
    return out;
}

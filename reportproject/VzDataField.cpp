#include "reportproject/VzDataField.h"

#include <cmath>
#include <cstring>

#include "platform/core/Filer.h"
#include "platform/core/Format.h"
#include "platform/core/Strings.h"
#include "reportproject/VzUtil.h"

// ================================================================ row

namespace {

Integer ReadLE32(const Byte* p) {
    std::uint32_t v = std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
                      std::uint32_t(p[3]) << 24;
    return Integer(v);
}

Int64 ReadLE64(const Byte* p) {
    std::uint64_t v = 0;
    for (int k = 7; k >= 0; --k) v = (v << 8) | p[k];
    return Int64(v);
}

double ReadDouble(const Byte* p) {
    std::uint64_t bits = std::uint64_t(ReadLE64(p));
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

}  // namespace

void TVizeDataRow::SetSize(int n) {
    Clear();
    if (n > 0) data_.assign(size_t(n), 0);
}

void TVizeDataRow::MoveTo(TVizeDataRow& row) {
    if (&row == this) return;
    row.data_ = data_;
    Clear();
}

bool TVizeDataRow::ReadInt(int offset, Integer& v) const {
    if (offset < 0 || size_t(offset) + 4 > data_.size()) return false;
    v = ReadLE32(data_.data() + offset);
    return true;
}

const Byte* TVizeDataRow::ValuePtr(int i) const {
    Integer off;
    if (data_.empty() || i < 0 || !ReadInt(8 * i, off)) return nullptr;
    if (off < 0 || size_t(off) >= data_.size()) return nullptr;
    return data_.data() + off;
}

const Byte* TVizeDataRow::TextPtr(int i) const {
    Integer off;
    if (data_.empty() || i < 0 || !ReadInt(8 * i + 4, off)) return nullptr;
    if (off <= 0 || size_t(off) >= data_.size()) return nullptr;
    return data_.data() + off;
}

int TVizeDataRow::Available(const Byte* p) const {
    if (!p || data_.empty() || p < data_.data() || p >= data_.data() + data_.size()) return 0;
    return int(data_.data() + data_.size() - p);
}

std::string TVizeDataRow::ReadText(const Byte* p) const {
    std::string text;
    int left = Available(p);
    while (left >= 8) {
        Integer kind = ReadLE32(p), len = ReadLE32(p + 4);
        if (kind <= 0) break;
        p += 8;
        left -= 8;
        // A chunk running past the buffer ends the text.
        if (len < 0 || len > left) break;
        if (kind == 1) text.assign(reinterpret_cast<const char*>(p), size_t(len));
        p += len;
        left -= len;
    }
    return text;
}

const Byte* TVizeDataRow::BlobData(int i, Integer& count) const {
    count = 0;
    const Byte* p = ValuePtr(i);
    int left = Available(p);
    if (left < 4) return nullptr;
    Integer n = ReadLE32(p);
    // A count beyond the buffer is cut to the bytes that are there.
    if (n < 0) n = 0;
    if (n > left - 4) n = left - 4;
    count = n;
    return p + 4;
}

// ============================================================== fields

TVizeDataRow* TVizeDataField::Row() {
    auto* source = dynamic_cast<IVizeRowSource*>(Parent());
    return source ? source->PresentedRow() : nullptr;
}

bool TVizeDataField::IsNull() {
    auto* source = dynamic_cast<IVizeRowSource*>(Parent());
    if (!source || source->IsEmptyView()) return true;
    TVizeDataRow* row = source->PresentedRow();
    return !row || !row->ValuePtr(dataIndex_);
}

const Byte* TVizeDataField::Value(int n) {
    if (IsNull()) return nullptr;
    TVizeDataRow* row = Row();
    const Byte* p = row->ValuePtr(dataIndex_);
    return row->Available(p) >= n ? p : nullptr;
}

std::string TVizeDataField::RowText() {
    TVizeDataRow* row = Row();
    return row ? row->ReadText(row->TextPtr(dataIndex_)) : std::string();
}

int TVizeDataField::DataSize() {
    switch (DataType()) {
        case dtInteger: return 4;
        case dtBoolean: return 1;
        case dtFloat: return 10;
        case dtCurrency: case dtBCD: case dtDate: case dtTime: case dtDateTime: case dtInt64: return 8;
        default: {
            const Byte* p = Value(4);
            return p ? ReadLE32(p) : 0;
        }
    }
}

const Byte* TVizeDataField::AsBlob() {
    const Byte* p = Value(0);
    if (!p) return nullptr;
    switch (DataType()) {
        case dtString: case dtBlob: case dtMemo: case dtGraphic:
            return Row()->Available(p) >= 4 ? p + 4 : nullptr;
        default: return p;
    }
}

std::string TVizeDataField::AsString() { return RowText(); }
bool TVizeDataField::AsBoolean() { return AsInteger() != 0; }
Integer TVizeDataField::AsInteger() { return StrToIntDef(Trim(AsString()), 0); }
Int64 TVizeDataField::AsInt64() { return StrToInt64Def(Trim(AsString()), 0); }
double TVizeDataField::AsFloat() { return StrToFloatDef(AsString(), 0); }

Currency TVizeDataField::AsCurrency() {
    Currency c;
    return TryStrToCurr(AsString(), c) ? c : Currency();
}

TDateTime TVizeDataField::AsDateTime() {
    TDateTime d;
    return TryStrToDateTime(AsString(), d) ? d : 0;
}

TDateTime TVizeDataField::AsDate() {
    TDateTime d;
    return TryStrToDate(AsString(), d) ? d : 0;
}

TDateTime TVizeDataField::AsTime() {
    TDateTime d;
    return TryStrToTime(AsString(), d) ? d : 0;
}

void TVizeDataField::SetFieldName(const std::string& name) {
    if (name == fieldName_) return;
    if (fullName_ == RemoveBrackets(fieldName_)) fullName_ = RemoveBrackets(name);
    fieldName_ = QuoteFieldName(name);
}

// ---------------------------------------------------------- per class

std::string TVizeStringField::AsString() {
    if (IsNull()) return NullText();
    std::string t = RowText();
    if (t.empty()) t = Row()->ReadText(Value(0));
    return t;
}

bool TVizeBooleanField::AsBoolean() {
    if (IsNull()) return NullText() == textTrue_;
    const Byte* p = Value(1);
    return p && *p != 0;
}

std::string TVizeBooleanField::AsString() {
    if (IsNull()) return NullText();
    std::string t = RowText();
    bool b = AsBoolean();
    const std::string& chosen = b ? textTrue_ : textFalse_;
    if (!chosen.empty()) return chosen;
    if (!t.empty()) return t;
    return b ? "True" : "False";
}

Integer TVizeIntegerField::AsInteger() {
    if (IsNull()) return StrToIntDef(Trim(NullText()), 0);
    const Byte* p = Value(4);
    return p ? ReadLE32(p) : 0;
}

std::string TVizeIntegerField::AsString() {
    if (IsNull()) return NullText();
    if (!DisplayFormat().empty()) return FormatFloat(DisplayFormat(), AsInteger());
    std::string t = RowText();
    return t.empty() ? std::to_string(AsInteger()) : t;
}

Int64 TVizeInt64Field::AsInt64() {
    if (IsNull()) return StrToInt64Def(Trim(NullText()), 0);
    const Byte* p = Value(8);
    return p ? ReadLE64(p) : 0;
}

std::string TVizeInt64Field::AsString() {
    if (IsNull()) return NullText();
    if (!DisplayFormat().empty()) return FormatFloat(DisplayFormat(), double(AsInt64()));
    std::string t = RowText();
    return t.empty() ? std::to_string(AsInt64()) : t;
}

namespace {

// Truncation toward zero that stays defined for values out of range.
Int64 TruncInt64(double v) {
    if (!std::isfinite(v)) return 0;
    double t = std::trunc(v);
    if (t >= 9.2233720368547758e18) return INT64_MAX;
    if (t <= -9.2233720368547758e18) return INT64_MIN;
    return Int64(t);
}

}  // namespace

double TVizeFloatField::AsFloat() {
    if (IsNull()) return StrToFloatDef(NullText(), 0);
    const Byte* p = Value(10);
    return p ? ExtendedToDouble(p) : 0;
}

Integer TVizeFloatField::AsInteger() { return Integer(std::uint32_t(std::uint64_t(TruncInt64(AsFloat())))); }
Int64 TVizeFloatField::AsInt64() { return TruncInt64(AsFloat()); }

Currency TVizeFloatField::AsCurrency() {
    double v = AsFloat();
    return std::isfinite(v) ? Currency(v) : Currency();
}

std::string TVizeFloatField::AsString() {
    if (IsNull()) return NullText();
    if (!DisplayFormat().empty()) return FormatFloat(DisplayFormat(), AsFloat());
    std::string t = RowText();
    return t.empty() ? FloatToStrF(AsFloat(), ffGeneral, 15, 0) : t;
}

Currency TVizeCurrencyField::AsCurrency() {
    if (IsNull()) {
        Currency c;
        return TryStrToCurr(NullText(), c) ? c : Currency();
    }
    const Byte* p = Value(8);
    return p ? Currency::FromRaw(ReadLE64(p)) : Currency();
}

std::string TVizeCurrencyField::AsString() {
    if (IsNull()) return NullText();
    if (!DisplayFormat().empty()) return FormatCurr(DisplayFormat(), AsCurrency());
    std::string t = RowText();
    return t.empty() ? CurrToStr(AsCurrency()) : t;
}

TDateTime TVizeDateTimeField::StoredOrNull() {
    if (IsNull()) {
        TDateTime d;
        return TryStrToDateTime(NullText(), d) ? d : 0;
    }
    const Byte* p = Value(8);
    double d = p ? ReadDouble(p) : 0;
    return std::isfinite(d) ? d : 0;
}

TDateTime TVizeDateTimeField::AsDateTime() { return StoredOrNull(); }
TDateTime TVizeDateTimeField::AsDate() { return std::trunc(AsDateTime()); }
TDateTime TVizeDateTimeField::AsTime() {
    double v = AsDateTime();
    return std::fabs(v - std::trunc(v));
}

std::string TVizeDateTimeField::AsString() {
    if (IsNull()) return NullText();
    if (!DisplayFormat().empty()) return FormatDateTime(DisplayFormat(), AsDateTime());
    std::string t = RowText();
    return t.empty() ? FormatDateTime("c", AsDateTime()) : t;
}

TDateTime TVizeDateField::AsDate() {
    double v = StoredOrNull();
    return IsNull() ? std::trunc(v) : v;
}

std::string TVizeDateField::AsString() {
    if (!IsNull() && !DisplayFormat().empty()) return FormatDateTime(DisplayFormat(), AsDate());
    if (IsNull()) return NullText();
    std::string t = RowText();
    return t.empty() ? FormatDateTime("c", AsDateTime()) : t;
}

TDateTime TVizeTimeField::AsTime() {
    double v = StoredOrNull();
    return IsNull() ? std::fabs(v - std::trunc(v)) : v;
}

std::string TVizeTimeField::AsString() {
    if (!IsNull() && !DisplayFormat().empty()) return FormatDateTime(DisplayFormat(), AsTime());
    if (IsNull()) return NullText();
    std::string t = RowText();
    return t.empty() ? FormatDateTime("c", AsDateTime()) : t;
}

std::string TVizeBlobField::Bytes() {
    TVizeDataRow* row = Row();
    if (IsNull() || !row) return {};
    Integer n;
    const Byte* p = row->BlobData(DataIndex(), n);
    return p ? std::string(reinterpret_cast<const char*>(p), size_t(n)) : std::string();
}

std::string TVizeBlobField::AsString() {
    if (IsNull()) return NullText();
    return Bytes();
}

std::string TVizeGraphicField::AsString() {
    if (IsNull()) return NullText();
    std::string b = Bytes();
    return b.empty() ? "(Graphic)" : b;
}

// ============================================================ classes

TVizeClassRef TVizeDataField::StaticClass() {
    static TVizeClass* cls = [] {
        auto* c = new TVizeClass("TVizeDataField", TVizeComponent::StaticClass(), nullptr, true);
        TVizeProps<TVizeDataField>(*c)
            .String("FieldName", &TVizeDataField::FieldName, &TVizeDataField::SetFieldName)
            .Integer("Size", &TVizeDataField::Size, &TVizeDataField::SetSize, 10)
            .String("FullName", &TVizeDataField::FullName, &TVizeDataField::SetFullName)
            .String("Description", &TVizeDataField::Description, &TVizeDataField::SetDescription)
            .String("NullText", &TVizeDataField::NullText, &TVizeDataField::SetNullText)
            .Boolean("Calculated", &TVizeDataField::Calculated, &TVizeDataField::SetCalculated);
        return c;
    }();
    return cls;
}

TVizeClassRef TVizeFormattedField::StaticClass() {
    static TVizeClass* cls = [] {
        auto* c = new TVizeClass("TVizeFormattedField", TVizeDataField::StaticClass(), nullptr, true);
        TVizeProps<TVizeFormattedField>(*c).String("DisplayFormat", &TVizeFormattedField::DisplayFormat,
                                                   &TVizeFormattedField::SetDisplayFormat);
        return c;
    }();
    return cls;
}

TVizeClassRef TVizeBooleanField::StaticClass() {
    static TVizeClass* cls = [] {
        auto* c = new TVizeClass("TVizeBooleanField", TVizeDataField::StaticClass(),
                                 [](TComponent* o) { return new TVizeBooleanField(o); }, true);
        TVizeProps<TVizeBooleanField>(*c)
            .String("TextTrue", &TVizeBooleanField::TextTrue, &TVizeBooleanField::SetTextTrue)
            .String("TextFalse", &TVizeBooleanField::TextFalse, &TVizeBooleanField::SetTextFalse);
        return c;
    }();
    return cls;
}

#define VIZE_FIELD_CLASS(T, Base)                                                                       \
    TVizeClassRef T::StaticClass() {                                                                    \
        static const TVizeClass cls(#T, Base::StaticClass(), [](TComponent* o) { return new T(o); }, true); \
        return &cls;                                                                                    \
    }

VIZE_FIELD_CLASS(TVizeStringField, TVizeDataField)
VIZE_FIELD_CLASS(TVizeIntegerField, TVizeFormattedField)
VIZE_FIELD_CLASS(TVizeInt64Field, TVizeFormattedField)
VIZE_FIELD_CLASS(TVizeFloatField, TVizeFormattedField)
VIZE_FIELD_CLASS(TVizeCurrencyField, TVizeFormattedField)
VIZE_FIELD_CLASS(TVizeBCDField, TVizeCurrencyField)
VIZE_FIELD_CLASS(TVizeDateTimeField, TVizeFormattedField)
VIZE_FIELD_CLASS(TVizeDateField, TVizeDateTimeField)
VIZE_FIELD_CLASS(TVizeTimeField, TVizeDateTimeField)
VIZE_FIELD_CLASS(TVizeBlobField, TVizeDataField)
VIZE_FIELD_CLASS(TVizeMemoField, TVizeBlobField)
VIZE_FIELD_CLASS(TVizeGraphicField, TVizeBlobField)

namespace {

void RegisterVzDataFieldClasses() {
    const std::vector<TVizeClassRef> classes = {
        TVizeStringField::StaticClass(),   TVizeBooleanField::StaticClass(), TVizeIntegerField::StaticClass(),
        TVizeInt64Field::StaticClass(),    TVizeFloatField::StaticClass(),   TVizeCurrencyField::StaticClass(),
        TVizeBCDField::StaticClass(),      TVizeDateTimeField::StaticClass(), TVizeDateField::StaticClass(),
        TVizeTimeField::StaticClass(),     TVizeBlobField::StaticClass(),    TVizeMemoField::StaticClass(),
        TVizeGraphicField::StaticClass()};
    // Registered by name too: project streams name the fields of their
    // data views.
    RegisterClasses("VZCL", classes, 12);
    RegisterModuleClasses("VzData", classes, 12);
}

}  // namespace

void InitializeVzDataField() { RegisterProc("VZCL", RegisterVzDataFieldClasses); }

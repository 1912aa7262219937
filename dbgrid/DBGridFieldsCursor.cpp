// Field adapters over the engine-cursor window: the window keeps its own
// copies of engine records, so the dataset's fields do not stand on the
// record a row shows. The adapters then read each field's native value out
// of the window's current record through the engine, keep lookup values
// with the window's records, convert native values to text, numbers, dates
// and Variants by the rules of the field classes, read blobs through a
// stream of their own and turn typed texts into keys for the window's key
// search. Writing always goes through the dataset's fields.
#include <cmath>
#include <cstring>

#include "dbgrid/DBGrid.h"
#include "dbgrid/DBGridCursor.h"
#include "dbgrid/DBGridFields.h"
#include "platform/core/CodePage.h"
#include "platform/core/DateTime.h"
#include "platform/core/Format.h"
#include "platform/core/MaskText.h"
#include "platform/core/MathUtils.h"
#include "platform/core/StringList.h"
#include "platform/core/Strings.h"
#include "platform/data/DataSet.h"
#include "platform/data/StdFields.h"
#include "platform/gui/Bitmap.h"

namespace {

// Day 1 is 1 January of year 1; TDateTime 0 (30 December 1899) is this day.
constexpr Int64 kDayOfDateTimeZero = 693594;
constexpr double kMSecsPerDay = 86400000.0;

// The native forms of dates and times (see TgrEngineRecord).
Integer DateToDayNumber(TDateTime dt) { return Integer(std::floor(dt)) + Integer(kDayOfDateTimeZero); }
Integer TimeToMSecs(TDateTime dt) {
    double frac = std::fabs(dt - std::trunc(dt));
    return Integer(std::llround(frac * kMSecsPerDay)) % Integer(kMSecsPerDay);
}
double DateTimeToMSecs(TDateTime dt) {
    // A negative date-time counts its day backwards but its time forwards.
    double day = std::trunc(dt);
    double frac = std::fabs(dt - day);
    return (day + double(kDayOfDateTimeZero)) * kMSecsPerDay + std::round(frac * kMSecsPerDay);
}
TDateTime MSecsToDateTime(double msecs) {
    double ms = std::round(msecs);
    double days = std::floor(ms / kMSecsPerDay);
    double frac = (ms - days * kMSecsPerDay) / kMSecsPerDay;
    double day = days - double(kDayOfDateTimeZero);
    return day >= 0 ? day + frac : day - frac;
}

bool IsBlank(const Variant& v) { return v.IsEmpty() || v.IsNull(); }

}  // namespace

std::string CurrToBCD(Currency value) {
    TBcd bcd = CurrencyRawToBcd(value.Raw(), 32);
    return std::string(reinterpret_cast<const char*>(&bcd), sizeof bcd);
}

bool BCDToCurr(const std::string& bytes, Currency& value) {
    // Bytes of another size are no BCD of this engine.
    if (bytes.size() != sizeof(TBcd)) return false;
    TBcd bcd;
    std::memcpy(&bcd, bytes.data(), sizeof bcd);
    Int64 raw = 0;
    if (!BcdToCurrencyRaw(bcd, raw)) return false;
    value = Currency::FromRaw(raw);
    return true;
}

bool TextToFloat(const std::string& text, double& value) { return TryStrToFloat(text, value); }

bool TextToFloat(const std::string& text, Currency& value) { return TryStrToCurr(text, value); }

Variant ToEngineValue(const TField* field, const Variant& value) {
    if (IsBlank(value)) return Variant();
    switch (field->DataType()) {
        case ftSmallint:
        case ftWord:
        case ftInteger:
        case ftAutoInc: return Variant(value.AsInteger());
        case ftLargeint: return Variant(value.AsInt64());
        case ftFloat:
        case ftCurrency: return Variant(value.AsDouble());
        case ftBCD: return Variant(CurrToBCD(value.AsCurrency()));
        case ftBoolean: return Variant(value.AsBoolean() ? -1 : 0);
        case ftDate: return Variant(DateToDayNumber(value.AsDateTime()));
        case ftTime: return Variant(TimeToMSecs(value.AsDateTime()));
        case ftDateTime: return Variant(DateTimeToMSecs(value.AsDateTime()));
        default: return Variant(value.AsString());
    }
}

// ------------------------------------------------------------ engine calls

std::string TgrEngineCursor::StatusMessage(int status) const { return Format("Engine error $%.4x", {status}); }

int TgrEngineCursor::GetField(const TgrEngineRecord& record, int fieldNo, Variant* value, bool& blank) {
    if (fieldNo < 1 || fieldNo > int(record.size())) return kEngineBadField;
    const Variant& v = record[std::size_t(fieldNo - 1)];
    blank = IsBlank(v);
    if (value) *value = blank ? Variant() : v;
    return kEngineOk;
}

int TgrEngineCursor::PutField(TgrEngineRecord& record, int fieldNo, const Variant& value) {
    if (fieldNo < 1) return kEngineBadField;
    if (int(record.size()) < fieldNo) record.resize(std::size_t(fieldNo));
    record[std::size_t(fieldNo - 1)] = value;
    return kEngineOk;
}

int TgrEngineCursor::OpenBlob(const TgrEngineRecord& record, int fieldNo) {
    return fieldNo < 1 || fieldNo > int(record.size()) ? kEngineBadField : kEngineOk;
}

int TgrEngineCursor::ReadBlob(const TgrEngineRecord& record, int fieldNo, Int64 pos, Integer count, void* buffer,
                              Integer& read) {
    read = 0;
    if (fieldNo < 1 || fieldNo > int(record.size())) return kEngineBadField;
    const Variant& v = record[std::size_t(fieldNo - 1)];
    std::string bytes = IsBlank(v) ? std::string() : v.AsString();
    if (pos < 0 || pos > Int64(bytes.size())) return kEngineBadBlobOffset;
    Int64 left = Int64(bytes.size()) - pos;
    read = Integer(std::min<Int64>(std::max<Integer>(count, 0), left));
    if (read > 0) std::memcpy(buffer, bytes.data() + pos, std::size_t(read));
    return read < count ? kEngineBlobEnd : kEngineOk;
}

int TgrEngineCursor::GetBlobSize(const TgrEngineRecord& record, int fieldNo, Int64& size) {
    size = 0;
    if (fieldNo < 1 || fieldNo > int(record.size())) return kEngineBadField;
    const Variant& v = record[std::size_t(fieldNo - 1)];
    size = IsBlank(v) ? 0 : Int64(v.AsString().size());
    return kEngineOk;
}

// ------------------------------------------------------------ the window's side

void TgrScrollDataset::LayoutLookupFields() {
    lookupCount_ = 0;
    TgrFieldList& list = grid_->FieldList();
    for (Integer i = 0; i < list.Count(); ++i)
        if (TgrDBField* a = list.Items(i); a && a->IsLookup()) a->FLookupOffset = lookupCount_++;
}

void TgrScrollDataset::ResolveLookups() {
    // The field list may have been made anew since the last record.
    LayoutLookupFields();
    if (lookupCount_ == 0) return;
    TgrFieldList& list = grid_->FieldList();
    for (Integer i = 0; i < list.Count(); ++i)
        if (TgrDBField* a = list.Items(i); a && a->IsLookup()) a->ResolveLookup();
}

const TgrEngineRecord* TgrScrollDataset::CurrentRecordBuffer() const {
    if (!active_ || activeRow_ < 1 || activeRow_ > Integer(slots_.size())) return nullptr;
    const Slot& s = slots_[std::size_t(activeRow_ - 1)];
    // The placeholder of a new record has no engine record.
    return s.Kind == kRecordSlot && !s.Bookmark.empty() ? &s.Values : nullptr;
}

std::vector<Variant>* TgrScrollDataset::CurrentLookupArea() {
    if (!active_ || activeRow_ < 1 || activeRow_ > Integer(slots_.size())) return nullptr;
    Slot& s = slots_[std::size_t(activeRow_ - 1)];
    if (s.Kind != kRecordSlot || s.Bookmark.empty()) return nullptr;
    if (Integer(s.Lookups.size()) < lookupCount_) s.Lookups.resize(std::size_t(lookupCount_));
    return &s.Lookups;
}

TgrEngineRecord& TgrScrollDataset::ScratchRecord() {
    std::size_t n = dataSet_ ? std::size_t(std::max(dataSet_->FieldDefs().Count(), dataSet_->FieldCount())) : 0;
    scratchSlot_.Values.assign(n, Variant());
    return scratchSlot_.Values;
}

bool TgrScrollDataset::ActiveIsDatasetRecord() {
    if (!active_ || !dataSet_) return false;
    std::string current = GetCurrentBookmark();
    return activeBookmark_ == current && (!current.empty() || inserting_);
}

Variant TgrScrollDataset::GetKeyValues(const std::string& keyFields) {
    auto valueOf = [this](const std::string& name) {
        TgrDBField* a = grid_->FieldList().FindByName(name);
        return a ? a->GetAsVariant() : Variant();
    };
    if (keyFields.find(';') == std::string::npos) return valueOf(Trim(keyFields));
    std::vector<Variant> values;
    for (std::size_t pos = 0; pos <= keyFields.size();)
        if (std::string name = ExtractFieldName(keyFields, pos); grid_->FieldList().FindByName(name))
            values.push_back(valueOf(name));
    return VarArrayOf(values);
}

// ------------------------------------------------------------ base adapter

TgrScrollDataset* TgrDBField::CursorWindow() const {
    if (!grid_ || grid_->DatasetType() != dstBDE) return nullptr;
    auto* w = dynamic_cast<TgrScrollDataset*>(grid_->RecordWindow());
    return w && w->IsActive() ? w : nullptr;
}

bool TgrDBField::GetData(Variant* value) const {
    if (field_->Calculated()) return false;
    TgrScrollDataset* w = CursorWindow();
    // The record the dataset edits is read from the dataset, which holds
    // what was typed.
    if (!w || (grid_->DataLink()->Editing() && w->ActiveIsDatasetRecord())) {
        if (field_->IsNull()) return false;
        if (value) *value = ToEngineValue(field_, field_->AsVariant());
        return true;
    }
    if (IsLookup()) return ReadLookupValue(value);
    const TgrEngineRecord* record = w->CurrentRecordBuffer();
    if (!record) return false;
    bool blank = true;
    w->CheckStatus(w->Cursor()->GetField(*record, field_->FieldNo(), value, blank));
    return !blank;
}

bool TgrDBField::IsNull() const { return CursorWindow() ? !GetData(nullptr) : field_->IsNull(); }

bool TgrDBField::GetNativeString(std::string& text) const {
    text.clear();
    Variant v;
    if (!GetData(&v)) return false;
    text = v.AsString();
    TgrScrollDataset* w = CursorWindow();
    if (GetTransliterate() && w && w->Cursor()->CharSet() == ccsWindows1252) text = Cp1252ToUtf8(text);
    return true;
}

std::string TgrDBField::GetDisplayText() const { return CursorWindow() ? GetText(true) : field_->DisplayText(); }
std::string TgrDBField::GetEditText() const { return CursorWindow() ? GetText(false) : field_->Text(); }
Variant TgrDBField::GetAsVariant() const { return CursorWindow() ? Variant(GetEditText()) : field_->AsVariant(); }
std::string TgrDBField::GetAsString() const { return field_->AsString(); }
bool TgrDBField::GetAsBoolean() const { return field_->AsBoolean(); }
Integer TgrDBField::GetAsInteger() const { return field_->AsInteger(); }
double TgrDBField::GetAsFloat() const { return field_->AsFloat(); }
TDateTime TgrDBField::GetAsDateTime() const { return field_->AsDateTime(); }

Currency TgrDBField::GetAsCurrency() const {
    if (!CursorWindow()) return field_->AsCurrency();
    return Currency::FromRaw(Int64(RoundHalfEven(GetAsFloat() * 10000.0)));
}

std::string TgrDBField::TextFormat(bool displayText) const {
    std::string edit = GetEditFormat();
    return !displayText && !edit.empty() ? edit : GetDisplayFormat();
}

bool TgrDBField::PutKeyText(TgrEngineRecord&, const std::string&) { return false; }

// ------------------------------------------------------------ lookups

void TgrDBField::ResolveLookup() {
    TDataSet* lookup = field_->LookupDataSet();
    TgrScrollDataset* w = CursorWindow();
    if (!lookup || !lookup->Active() || !w) {
        SetLookupValue(Variant::NullValue());
        return;
    }
    Variant keys = w->GetKeyValues(field_->KeyFields());
    SetLookupValue(lookup->Lookup(field_->LookupKeyFields(), keys, field_->LookupResultField()));
}

void TgrDBField::SetLookupValue(const Variant& value) {
    if (IsBlank(value)) ClearLookupValue();
    else StoreLookupValue(value);
}

void TgrDBField::WriteLookupValue(const Variant& native) {
    TgrScrollDataset* w = CursorWindow();
    std::vector<Variant>* area = w ? w->CurrentLookupArea() : nullptr;
    if (!area || FLookupOffset < 0 || FLookupOffset >= Integer(area->size())) return;
    (*area)[std::size_t(FLookupOffset)] = native;
}

bool TgrDBField::ReadLookupValue(Variant* native) const {
    TgrScrollDataset* w = CursorWindow();
    std::vector<Variant>* area = w ? w->CurrentLookupArea() : nullptr;
    if (!area || FLookupOffset < 0 || FLookupOffset >= Integer(area->size())) return false;
    const Variant& v = (*area)[std::size_t(FLookupOffset)];
    if (IsBlank(v)) return false;
    if (native) *native = v;
    return true;
}

void TgrDBField::ClearLookupValue() {
    if (IsLookup()) WriteLookupValue(Variant());
}

// ------------------------------------------------------------ string adapter

std::string TgrDBStringField::GetAsString() const {
    if (!CursorWindow()) return TgrDBField::GetAsString();
    std::string text;
    GetNativeString(text);
    return text;
}

Variant TgrDBStringField::GetAsVariant() const {
    if (!CursorWindow()) return TgrDBField::GetAsVariant();
    std::string text;
    return GetNativeString(text) ? Variant(text) : Variant::NullValue();
}

std::string TgrDBStringField::GetText(bool displayText) const {
    std::string text = GetAsString();
    const std::string& mask = GetEditMask();
    return displayText && !mask.empty() ? FormatMaskText(mask, text) : text;
}

bool TgrDBStringField::GetAsBoolean() const {
    if (!CursorWindow()) return TgrDBField::GetAsBoolean();
    std::string text = GetAsString();
    return !text.empty() && std::strchr("TYty", text[0]) != nullptr;
}

TDateTime TgrDBStringField::GetAsDateTime() const {
    return CursorWindow() ? StrToDateTime(GetAsString()) : TgrDBField::GetAsDateTime();
}
double TgrDBStringField::GetAsFloat() const {
    return CursorWindow() ? StrToFloat(GetAsString()) : TgrDBField::GetAsFloat();
}
Integer TgrDBStringField::GetAsInteger() const {
    return CursorWindow() ? StrToInt(GetAsString()) : TgrDBField::GetAsInteger();
}

bool TgrDBStringField::GetTransliterate() const {
    auto* f = dynamic_cast<const TStringField*>(Field());
    return f && f->Transliterate();
}

void TgrDBStringField::SetTransliterate(bool value) {
    if (auto* f = dynamic_cast<TStringField*>(Field())) f->SetTransliterate(value);
}

namespace {

// Puts a key value into a record buffer through the engine.
bool PutKey(const TgrDBField* adapter, TgrEngineRecord& record, const Variant& native) {
    TgrScrollDataset* w = adapter->CursorWindow();
    if (!w) return false;
    w->CheckStatus(w->Cursor()->PutField(record, int(adapter->GetFieldNo()), native));
    return true;
}

}  // namespace

bool TgrDBStringField::PutKeyText(TgrEngineRecord& record, const std::string& text) {
    if (text.empty()) return PutKey(this, record, Variant());
    std::string key = Utf8Copy(text, 1, std::min<Integer>(Utf8Length(text), std::max(GetSize(), 0)));
    TgrScrollDataset* w = CursorWindow();
    if (GetTransliterate() && w && w->Cursor()->CharSet() == ccsWindows1252) key = Utf8ToCp1252(key);
    return PutKey(this, record, Variant(key));
}

// ------------------------------------------------------------ integer adapter

bool TgrDBNumericField::ReadInteger(Integer& value) const {
    Variant v;
    if (!CursorWindow() || !GetData(&v)) return false;
    Int64 n = v.AsInt64();
    if (GetDataType() == ftSmallint) n = std::int16_t(n);
    else if (GetDataType() == ftWord) n = std::uint16_t(n);
    else n = std::int32_t(n);
    value = Integer(n);
    return true;
}

Integer TgrDBIntegerField::GetAsInteger() const {
    if (!CursorWindow()) return TgrDBField::GetAsInteger();
    Integer v = 0;
    return ReadInteger(v) ? v : 0;
}

double TgrDBIntegerField::GetAsFloat() const {
    return CursorWindow() ? double(GetAsInteger()) : TgrDBField::GetAsFloat();
}

std::string TgrDBIntegerField::GetAsString() const {
    if (!CursorWindow()) return TgrDBField::GetAsString();
    Integer v = 0;
    return ReadInteger(v) ? IntToStr(v) : std::string();
}

Variant TgrDBIntegerField::GetAsVariant() const {
    if (!CursorWindow()) return TgrDBField::GetAsVariant();
    Integer v = 0;
    return ReadInteger(v) ? Variant(v) : Variant::NullValue();
}

std::string TgrDBIntegerField::GetText(bool displayText) const {
    Integer v = 0;
    if (!ReadInteger(v)) return std::string();
    std::string format = TextFormat(displayText);
    return format.empty() ? IntToStr(v) : FormatFloat(format, double(v));
}

void TgrDBIntegerField::StoreLookupValue(const Variant& value) { WriteLookupValue(Variant(value.AsInteger())); }

bool TgrDBIntegerField::PutKeyText(TgrEngineRecord& record, const std::string& text) {
    if (text.empty()) return PutKey(this, record, Variant());
    Integer v = 0;
    if (!TryStrToInt(text, v)) return false;
    return PutKey(this, record, Variant(v));
}

// ------------------------------------------------------------ float adapter

bool TgrDBFloatField::ReadFloat(double& value) const {
    Variant v;
    if (!CursorWindow() || !GetData(&v)) return false;
    value = v.AsDouble();
    return true;
}

double TgrDBFloatField::GetAsFloat() const {
    if (!CursorWindow()) return TgrDBField::GetAsFloat();
    double v = 0;
    return ReadFloat(v) ? v : 0;
}

Integer TgrDBFloatField::GetAsInteger() const {
    return CursorWindow() ? Integer(RoundHalfEven(GetAsFloat())) : TgrDBField::GetAsInteger();
}

std::string TgrDBFloatField::GetAsString() const {
    if (!CursorWindow()) return TgrDBField::GetAsString();
    double v = 0;
    return ReadFloat(v) ? FloatToStr(v) : std::string();
}

Variant TgrDBFloatField::GetAsVariant() const {
    if (!CursorWindow()) return TgrDBField::GetAsVariant();
    double v = 0;
    return ReadFloat(v) ? Variant(v) : Variant::NullValue();
}

std::string TgrDBFloatField::GetText(bool displayText) const {
    double v = 0;
    if (!ReadFloat(v)) return std::string();
    std::string format = TextFormat(displayText);
    if (!format.empty()) return FormatFloat(format, v);
    auto* f = dynamic_cast<const TFloatField*>(Field());
    int precision = f && f->Precision() > 0 ? f->Precision() : 15;
    if (f && f->Currency())
        return FloatToStrF(v, displayText ? ffCurrency : ffFixed, precision,
                           DefaultFormatSettings().CurrencyDecimals);
    return FloatToStrF(v, ffGeneral, precision, 0);
}

void TgrDBFloatField::StoreLookupValue(const Variant& value) { WriteLookupValue(Variant(value.AsDouble())); }

bool TgrDBFloatField::PutKeyText(TgrEngineRecord& record, const std::string& text) {
    if (text.empty()) return PutKey(this, record, Variant());
    double v = 0;
    if (!TextToFloat(text, v)) return false;
    return PutKey(this, record, Variant(v));
}

// ------------------------------------------------------------ BCD adapter

bool TgrDBBCDField::ReadCurrency(Currency& value, bool* overflow) const {
    if (overflow) *overflow = false;
    Variant v;
    if (!CursorWindow() || !GetData(&v)) return false;
    if (BCDToCurr(v.AsString(), value)) return true;
    if (overflow) {
        *overflow = true;
        return true;
    }
    throw EDatabaseError(Format("Value of field '%s' is out of range", {GetDisplayName()}));
}

Currency TgrDBBCDField::GetAsCurrency() const {
    if (!CursorWindow()) return TgrDBField::GetAsCurrency();
    Currency v;
    return ReadCurrency(v) ? v : Currency();
}

double TgrDBBCDField::GetAsFloat() const {
    return CursorWindow() ? GetAsCurrency().ToDouble() : TgrDBField::GetAsFloat();
}

Integer TgrDBBCDField::GetAsInteger() const {
    return CursorWindow() ? Integer(RoundHalfEven(GetAsCurrency().ToDouble())) : TgrDBField::GetAsInteger();
}

std::string TgrDBBCDField::GetAsString() const {
    if (!CursorWindow()) return TgrDBField::GetAsString();
    Currency v;
    return ReadCurrency(v) ? CurrToStr(v) : std::string();
}

Variant TgrDBBCDField::GetAsVariant() const {
    if (!CursorWindow()) return TgrDBField::GetAsVariant();
    Currency v;
    return ReadCurrency(v) ? Variant(v) : Variant::NullValue();
}

std::string TgrDBBCDField::GetText(bool displayText) const {
    Currency v;
    bool overflow = false;
    if (!ReadCurrency(v, &overflow)) return std::string();
    if (overflow) return "BCD overflow";
    std::string format = TextFormat(displayText);
    if (!format.empty()) return FormatFloat(format, v.ToDouble());
    auto* f = dynamic_cast<const TBCDField*>(Field());
    if (f && f->Currency())
        return CurrToStrF(v, displayText ? ffCurrency : ffFixed, DefaultFormatSettings().CurrencyDecimals);
    return CurrToStrF(v, ffGeneral, 0);
}

void TgrDBBCDField::StoreLookupValue(const Variant& value) {
    WriteLookupValue(Variant(CurrToBCD(value.AsCurrency())));
}

bool TgrDBBCDField::PutKeyText(TgrEngineRecord& record, const std::string& text) {
    if (text.empty()) return PutKey(this, record, Variant());
    Currency v;
    if (!TextToFloat(text, v)) return false;
    return PutKey(this, record, Variant(CurrToBCD(v)));
}

// ------------------------------------------------------------ Boolean adapter

TgrDBBooleanField::TgrDBBooleanField(TgrCustomDBGrid* grid, TField* field)
    : TgrDBField(grid, field), trueText_("True"), falseText_("False") {
    UpdateDisplayValues();
}

void TgrDBBooleanField::UpdateDisplayValues() const {
    auto* b = dynamic_cast<const TBooleanField*>(Field());
    std::string values = b ? b->DisplayValues() : std::string();
    if (values == splitValues_) return;
    splitValues_ = values;
    if (values.empty()) {
        trueText_ = "True";
        falseText_ = "False";
        return;
    }
    // "Yes;No": the text before the first ";" is the True text; without one
    // the whole text is.
    std::size_t semi = values.find(';');
    trueText_ = values.substr(0, std::min<std::size_t>(semi, 255));
    falseText_ = semi == std::string::npos ? std::string() : values.substr(semi + 1, 255);
}

bool TgrDBBooleanField::GetAsBoolean() const {
    if (!CursorWindow()) return TgrDBField::GetAsBoolean();
    Variant v;
    return GetData(&v) && v.AsInteger() != 0;
}

std::string TgrDBBooleanField::GetAsString() const {
    if (!CursorWindow()) return TgrDBField::GetAsString();
    UpdateDisplayValues();
    Variant v;
    if (!GetData(&v)) return std::string();
    return v.AsInteger() != 0 ? trueText_ : falseText_;
}

void TgrDBBooleanField::StoreLookupValue(const Variant& value) {
    WriteLookupValue(Variant(value.AsBoolean() ? -1 : 0));
}

bool TgrDBBooleanField::PutKeyText(TgrEngineRecord& record, const std::string& text) {
    if (text.empty()) {
        if (falseText_.empty()) return PutKey(this, record, Variant(0));
        if (!trueText_.empty()) return PutKey(this, record, Variant());
        return PutKey(this, record, Variant(-1));
    }
    auto starts = [&](const std::string& whole) {
        return Utf8Length(whole) >= Utf8Length(text) && CompareText(Utf8Copy(whole, 1, Utf8Length(text)), text) == 0;
    };
    if (starts(falseText_)) return PutKey(this, record, Variant(0));
    if (starts(trueText_)) return PutKey(this, record, Variant(-1));
    return false;
}

// ------------------------------------------------------------ date-time adapter

bool TgrDBDateTimeField::ReadDateTime(TDateTime& value) const {
    Variant v;
    if (!CursorWindow() || !GetData(&v)) return false;
    switch (GetDataType()) {
        case ftDate: value = double(v.AsInteger() - kDayOfDateTimeZero); break;
        case ftTime: value = double(v.AsInteger()) / kMSecsPerDay; break;
        default: value = MSecsToDateTime(v.AsDouble()); break;
    }
    return true;
}

TDateTime TgrDBDateTimeField::GetAsDateTime() const {
    if (!CursorWindow()) return TgrDBField::GetAsDateTime();
    TDateTime v = 0;
    return ReadDateTime(v) ? v : 0;
}

double TgrDBDateTimeField::GetAsFloat() const {
    return CursorWindow() ? double(GetAsDateTime()) : TgrDBField::GetAsFloat();
}

std::string TgrDBDateTimeField::GetAsString() const {
    return CursorWindow() ? GetText(false) : TgrDBField::GetAsString();
}

Variant TgrDBDateTimeField::GetAsVariant() const {
    if (!CursorWindow()) return TgrDBField::GetAsVariant();
    TDateTime v = 0;
    return ReadDateTime(v) ? Variant::FromDate(v) : Variant::NullValue();
}

std::string TgrDBDateTimeField::GetDisplayFormat() const {
    auto* f = dynamic_cast<const TDateTimeField*>(Field());
    return f ? f->DisplayFormat() : std::string();
}

std::string TgrDBDateTimeField::GetText(bool displayText) const {
    TDateTime v = 0;
    if (!ReadDateTime(v)) return std::string();
    std::string format = GetDisplayFormat();
    if (!displayText || format.empty()) {
        const TFormatSettings& fs = DefaultFormatSettings();
        format = GetDataType() == ftDate ? fs.ShortDateFormat
                 : GetDataType() == ftTime ? fs.LongTimeFormat
                                           : std::string();
    }
    return FormatDateTime(format, v);
}

void TgrDBDateTimeField::StoreLookupValue(const Variant& value) {
    WriteLookupValue(ToEngineValue(Field(), Variant::FromDate(value.AsDateTime())));
}

bool TgrDBDateTimeField::PutKeyText(TgrEngineRecord& record, const std::string& text) {
    if (text.empty()) return PutKey(this, record, Variant());
    // A text that is no date raises the conversion error.
    TDateTime v = GetDataType() == ftDate ? StrToDate(text) : GetDataType() == ftTime ? StrToTime(text) : StrToDateTime(text);
    return PutKey(this, record, ToEngineValue(Field(), Variant::FromDate(v)));
}

// ------------------------------------------------------------ binary adapter

std::string TgrDBBinaryField::GetAsString() const {
    if (!CursorWindow()) return TgrDBField::GetAsString();
    Variant v;
    std::string bytes(std::size_t(std::max(GetDataSize(), 0)), '\0');
    if (GetData(&v)) {
        std::string data = v.AsString();
        std::memcpy(bytes.data(), data.data(), std::min(bytes.size(), data.size()));
    }
    return bytes;
}

Variant TgrDBBinaryField::GetAsVariant() const {
    if (!CursorWindow()) return TgrDBField::GetAsVariant();
    std::string bytes = GetAsString();
    Variant array = VarArrayCreate(0, int(bytes.size()) - 1, varByte);
    for (std::size_t i = 0; i < bytes.size(); ++i) array[int(i)] = Variant(Byte(bytes[i]));
    return array;
}

// ------------------------------------------------------------ blob adapters

std::string TgrDBBlobField::GetAsString() const {
    if (!CursorWindow()) return TgrDBField::GetAsString();
    TgrDBBlobStream stream(this, false);
    std::string bytes;
    char chunk[4096];
    for (Integer read; (read = stream.Read(chunk, Integer(sizeof chunk))) > 0;) bytes.append(chunk, std::size_t(read));
    return bytes;
}

Variant TgrDBBlobField::GetAsVariant() const {
    return CursorWindow() ? Variant(GetAsString()) : TgrDBField::GetAsVariant();
}

void TgrDBBlobField::LoadBitmap(TStream& stream, TBitmap& bitmap, const std::string& fieldName) {
    Int64 size = stream.Size();
    if (size > 7) {
        // A graphic header: 16-bit count, 16-bit type, 32-bit size; skipped
        // only when it describes exactly the rest of the blob.
        unsigned char h[8];
        stream.ReadBuffer(h, 8);
        std::uint32_t count = h[0] | h[1] << 8, type = h[2] | h[3] << 8;
        std::uint64_t rest = std::uint64_t(h[4]) | std::uint64_t(h[5]) << 8 | std::uint64_t(h[6]) << 16 |
                             std::uint64_t(h[7]) << 24;
        if (!(count == 1 && type == 0x0100 && Int64(rest) + 8 == size)) stream.SetPosition(0);
    }
    std::vector<std::uint8_t> data(std::size_t(std::max<Int64>(size - stream.Position(), 0)));
    if (!data.empty()) data.resize(std::size_t(std::max<Integer>(stream.Read(data.data(), Integer(data.size())), 0)));
    if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M') bitmap.LoadFromBytes(data);
    else if (data.size() >= 2 && data[0] == 0xFF && data[1] == 0xD8) bitmap.SetImage(DecodeJpeg(data));
    else throw EInvalidGraphic("The picture of field \"" + fieldName + "\" is neither a bitmap nor a JPEG image");
}

void TgrDBBlobField::AssignTo(TBitmap& bitmap) const {
    bitmap.SetSize(0, 0);
    if (IsNull()) return;
    TMemoryStream copy;
    std::string bytes = GetAsString();
    copy.WriteBuffer(bytes.data(), Integer(bytes.size()));
    copy.SetPosition(0);
    LoadBitmap(copy, bitmap, GetFieldName());
}

void TgrDBBlobField::AssignTo(TStrings& strings) const { LoadStrings(strings); }

void TgrDBBlobField::LoadStrings(TStrings& strings) const {
    // The blob is read to its end (GetAsString), not by its size: its text
    // converted from the cursor's character set may be longer.
    TStringStream text(GetAsString());
    strings.LoadFromStream(text);
}

void TgrDBBlobField::Assign(const TgrDBBlobField& source) {
    if (!StartEdit()) return;
    CopyBlob(source);
}

void TgrDBBlobField::CopyBlob(const TgrDBBlobField& source) {
    TgrDBBlobStream target(this, true);
    if (!source.CursorWindow()) {
        auto* field = dynamic_cast<TBlobField*>(source.Field());
        if (field) field->SaveToStream(target);
        else {
            std::string bytes = source.Field()->AsString();
            target.WriteBuffer(bytes.data(), Integer(bytes.size()));
        }
        return;
    }
    TgrDBBlobStream from(&source, false);
    target.CopyFrom(from, 0);
}

bool TgrDBMemoField::GetTransliterate() const {
    auto* f = dynamic_cast<const TBlobField*>(Field());
    return f && f->Transliterate();
}

void TgrDBMemoField::SetTransliterate(bool value) {
    if (auto* f = dynamic_cast<TBlobField*>(Field())) f->SetTransliterate(value);
}

std::string TgrDBMemoField::GetDisplayText() const {
    return CursorWindow() ? TgrDBField::GetDisplayText() : MemoText(true);
}

std::string TgrDBMemoField::GetEditText() const {
    return CursorWindow() ? TgrDBField::GetEditText() : MemoText(false);
}

// ------------------------------------------------------------ blob stream

TgrDBBlobStream::TgrDBBlobStream(const TgrDBBlobField* adapter, bool writeMode)
    : adapter_(adapter), window_(adapter->CursorWindow()) {
    opened_ = true;
    TDataSet* ds = adapter->Field()->DataSet();
    auto datasetStream = [&](TBlobStreamMode mode) {
        TStream* s = ds ? ds->CreateBlobStream(adapter->Field(), mode) : nullptr;
        if (!s) throw EDatabaseError("Field '" + adapter->GetFieldName() + "' has no blob stream");
        inner_.reset(s);
    };
    if (writeMode) {
        datasetStream(bmWrite);
        return;
    }
    TgrCustomDBGrid* grid = adapter->Grid();
    if (!window_ || (grid && grid->DataLink()->Editing() && window_->ActiveIsDatasetRecord())) {
        datasetStream(bmRead);
        return;
    }
    const TgrEngineRecord* record = window_->CurrentRecordBuffer();
    if (!record) {
        opened_ = false;
        window_->CheckStatus(kEngineNoCurrent);
    }
    record_ = *record;
    if (!window_->CheckStatus(window_->Cursor()->OpenBlob(record_, int(adapter->GetFieldNo())))) opened_ = false;
}

TgrDBBlobStream::~TgrDBBlobStream() {
    if (opened_ && !inner_ && window_ && window_->Cursor())
        window_->Cursor()->FreeBlob(record_, int(adapter_->GetFieldNo()));
}

Integer TgrDBBlobStream::Read(void* buffer, Integer count) {
    if (inner_) return inner_->Read(buffer, count);
    if (!opened_ || count <= 0) return 0;
    bool convert = adapter_->GetTransliterate() && window_->Cursor()->CharSet() == ccsWindows1252;
    if (convert && pending_.size() < std::size_t(count)) {
        // A character of the cursor's set may take more bytes here: what
        // the converted text holds beyond count waits for the next read.
        std::string native(std::size_t(count), '\0');
        Integer read = ReadEngine(native.data(), count);
        pending_ += Cp1252ToUtf8(std::string_view(native.data(), std::size_t(read)));
    }
    if (!convert) return ReadEngine(buffer, count);
    std::size_t n = std::min<std::size_t>(pending_.size(), std::size_t(count));
    std::memcpy(buffer, pending_.data(), n);
    pending_.erase(0, n);
    return Integer(n);
}

Integer TgrDBBlobStream::ReadEngine(void* buffer, Integer count) {
    Integer read = 0;
    int status = window_->Cursor()->ReadBlob(record_, int(adapter_->GetFieldNo()), position_, count, buffer, read);
    if (status == kEngineBadBlobOffset) return read;
    if (status != kEngineOk && status != kEngineBlobEnd) window_->CheckStatus(status);
    position_ += read;
    return read;
}

Integer TgrDBBlobStream::Write(const void* buffer, Integer count) { return inner_ ? inner_->Write(buffer, count) : 0; }

Int64 TgrDBBlobStream::Seek(Int64 offset, TSeekOrigin origin) {
    if (inner_) return inner_->Seek(offset, origin);
    pending_.clear();
    switch (origin) {
        case soBeginning: position_ = offset; break;
        case soCurrent: position_ += offset; break;
        case soEnd: position_ = offset + GetBlobSize(); break;
    }
    return position_;
}

Int64 TgrDBBlobStream::GetBlobSize() {
    if (inner_ || !opened_) return 0;
    Int64 size = 0;
    window_->CheckStatus(window_->Cursor()->GetBlobSize(record_, int(adapter_->GetFieldNo()), size));
    return size;
}

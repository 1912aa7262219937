#include "platform/data/StdFields.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "platform/core/Exception.h"
#include "platform/core/Streams.h"
#include "platform/data/DBConsts.h"
#include "platform/data/DBError.h"
#include "platform/data/DataSet.h"
#include "platform/data/FieldText.h"

using namespace DBConsts;

namespace {
bool StartsWithNoCase(const std::string& whole, const std::string& prefix) {
    if (prefix.size() > whole.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        unsigned char a = static_cast<unsigned char>(whole[i]), b = static_cast<unsigned char>(prefix[i]);
        if (std::toupper(a) != std::toupper(b)) return false;
    }
    return true;
}

// Rounds half to even and checks the 64-bit range.
bool RoundToInt64(double v, Int64& out) {
    if (!std::isfinite(v)) return false;
    double r = std::nearbyint(v);
    if (r < -9223372036854775808.0 || r >= 9223372036854775808.0) return false;
    out = static_cast<Int64>(r);
    return true;
}

[[noreturn]] void ConvertError(const char* fmt, const std::string& text) {
    throw EConvertError(FormatMessageArgs(fmt, {text}));
}
}  // namespace

// ================================================================ TStringField

TStringField::TStringField(TComponent* owner) : TField(owner) {
    SetDataType(ftString);
    SetSize(20);
}

void TStringField::CheckTypeSize(int size) const {
    if (size < 0) DatabaseError(SInvalidFieldSize);
}

void TStringField::SetFieldType(TFieldType type) {
    if (type == ftString || type == ftFixedChar || type == ftWideString) SetDataType(type);
}

bool TStringField::GetValue(std::string& value) const {
    std::vector<char> buf(static_cast<std::size_t>(DataSize()) + 1, '\0');
    if (!GetData(buf.data())) return false;
    value.assign(buf.data(), strnlen(buf.data(), static_cast<std::size_t>(DataSize())));
    if (FixedChar()) {
        auto e = value.find_last_not_of(' ');
        value.erase(e == std::string::npos ? 0 : e + 1);
    }
    return true;
}

std::string TStringField::GetAsString() const {
    std::string s;
    if (!GetValue(s)) return {};
    return s;
}

void TStringField::SetAsStringValue(const std::string& value) {
    // Short fields (the common case) use a buffer on the stack: this runs
    // once per value written, so it avoids an allocation each time.
    const std::size_t size = static_cast<std::size_t>(DataSize());
    char small[256];
    std::vector<char> large;
    char* buf = small;
    if (size > sizeof small) {
        large.assign(size, '\0');
        buf = large.data();
    } else {
        std::memset(buf, 0, size);
    }
    std::size_t n = std::min(value.size(), static_cast<std::size_t>(Size()));
    // Never cut a UTF-8 character: back up to the start of the one cut.
    if (n < value.size())
        while (n > 0 && (static_cast<unsigned char>(value[n]) & 0xC0) == 0x80) --n;
    // A NUL inside the text would end it early; keep what precedes it.
    for (std::size_t i = 0; i < n; ++i)
        if (value[i] == '\0') {
            n = i;
            break;
        }
    std::memcpy(buf, value.data(), n);
    SetData(buf);
}

Integer TStringField::GetAsInteger() const {
    Int64 v = GetAsLargeInt();
    if (v < INT_MIN || v > INT_MAX) ConvertError(SInvalidInteger, GetAsString());
    return static_cast<Integer>(v);
}

void TStringField::SetAsIntegerValue(Integer value) { SetAsString(FieldText::IntToStr(value)); }

Int64 TStringField::GetAsLargeInt() const {
    std::string s = GetAsString();
    Int64 v;
    if (!FieldText::TryStrToInt64(s, v)) ConvertError(SInvalidInteger, s);
    return v;
}

void TStringField::SetAsLargeIntValue(Int64 value) { SetAsString(FieldText::IntToStr(value)); }

double TStringField::GetAsFloat() const {
    std::string s = GetAsString();
    double v;
    if (!FieldText::TryStrToFloat(s, v)) ConvertError(SInvalidFloat, s);
    return v;
}

void TStringField::SetAsFloatValue(double value) { SetAsString(FieldText::FloatToStr(value)); }

bool TStringField::GetAsBoolean() const {
    std::string s = GetAsString();
    return !s.empty() && (s[0] == 'T' || s[0] == 't' || s[0] == 'Y' || s[0] == 'y');
}

void TStringField::SetAsBooleanValue(bool value) { SetAsString(value ? "T" : "F"); }

TDateTime TStringField::GetAsDateTime() const {
    std::string s = GetAsString();
    TDateTime v;
    if (!FieldText::TryTextToDateTime(s, 'c', v)) ConvertError(SInvalidDateTime, s);
    return v;
}

void TStringField::SetAsDateTimeValue(TDateTime value) { SetAsString(FieldText::DateTimeToText(value, 'c')); }

// ================================================================ TNumericField

TNumericField::TNumericField(TComponent* owner) : TField(owner) { SetAlignment(taRightJustify); }

void TNumericField::SetDisplayFormat(const std::string& v) {
    if (v == displayFormat_) return;
    displayFormat_ = v;
    PropertyChanged(false);
}

void TNumericField::SetEditFormat(const std::string& v) {
    if (v == editFormat_) return;
    editFormat_ = v;
    PropertyChanged(false);
}

// ================================================================ TIntegerField

TIntegerField::TIntegerField(TComponent* owner) : TIntegerField(owner, ftInteger, INT_MIN, INT_MAX) {}

TIntegerField::TIntegerField(TComponent* owner, TFieldType type, Int64 minRange, Int64 maxRange)
    : TNumericField(owner), minRange_(minRange), maxRange_(maxRange) {
    SetDataType(type);
}

bool TIntegerField::GetValue(Integer& value) const {
    char buf[8] = {};
    if (!GetData(buf)) return false;
    switch (DataType()) {
    case ftSmallint: {
        std::int16_t v;
        std::memcpy(&v, buf, 2);
        value = v;
        break;
    }
    case ftWord: {
        std::uint16_t v;
        std::memcpy(&v, buf, 2);
        value = v;
        break;
    }
    default:
        std::memcpy(&value, buf, 4);
        break;
    }
    return true;
}

void TIntegerField::CheckRange(Int64 value) const {
    Int64 lo = minRange_, hi = maxRange_;
    if (minValue_ != 0 || maxValue_ != 0) {
        lo = std::max<Int64>(lo, minValue_);
        hi = std::min<Int64>(hi, maxValue_);
    }
    if (value < lo || value > hi)
        DatabaseErrorFmt(SFieldRangeError, {FieldText::IntToStr(value), DisplayName(), FieldText::IntToStr(lo),
                                            FieldText::IntToStr(hi)});
}

Integer TIntegerField::GetAsInteger() const {
    Integer v = 0;
    return GetValue(v) ? v : 0;
}

void TIntegerField::SetAsIntegerValue(Integer value) {
    CheckRange(value);
    char buf[4] = {};
    if (DataType() == ftSmallint) {
        auto v = static_cast<std::int16_t>(value);
        std::memcpy(buf, &v, 2);
    } else if (DataType() == ftWord) {
        auto v = static_cast<std::uint16_t>(value);
        std::memcpy(buf, &v, 2);
    } else {
        std::memcpy(buf, &value, 4);
    }
    SetData(buf);
}

double TIntegerField::GetAsFloat() const { return GetAsInteger(); }

void TIntegerField::SetAsFloatValue(double value) {
    Int64 v;
    if (!RoundToInt64(value, v))
        DatabaseErrorFmt(SFieldRangeError, {FieldText::FloatToStr(value), DisplayName(),
                                            FieldText::IntToStr(minRange_), FieldText::IntToStr(maxRange_)});
    CheckRange(v);
    SetAsIntegerValue(static_cast<Integer>(v));
}

std::string TIntegerField::GetAsString() const {
    Integer v;
    return GetValue(v) ? FieldText::IntToStr(v) : std::string();
}

void TIntegerField::SetAsStringValue(const std::string& value) {
    if (value.empty()) {
        Clear();
        return;
    }
    Int64 v;
    if (!FieldText::TryStrToInt64(value, v)) DatabaseErrorFmt(SInvalidIntegerValue, {value, DisplayName()});
    CheckRange(v);
    SetAsIntegerValue(static_cast<Integer>(v));
}

void TIntegerField::GetText(std::string& text, bool displayText) const {
    Integer v;
    if (!GetValue(v)) {
        text.clear();
        return;
    }
    const std::string& mask = displayText || EditFormat().empty() ? DisplayFormat() : EditFormat();
    text = mask.empty() ? FieldText::IntToStr(v) : FieldText::FormatFloat(mask, v);
}

TSmallintField::TSmallintField(TComponent* owner) : TIntegerField(owner, ftSmallint, -32768, 32767) {}
TWordField::TWordField(TComponent* owner) : TIntegerField(owner, ftWord, 0, 65535) {}
TAutoIncField::TAutoIncField(TComponent* owner) : TIntegerField(owner, ftAutoInc, INT_MIN, INT_MAX) {}

// ================================================================ TLargeintField

TLargeintField::TLargeintField(TComponent* owner) : TNumericField(owner) { SetDataType(ftLargeint); }

bool TLargeintField::GetValue(Int64& value) const {
    char buf[8] = {};
    if (!GetData(buf)) return false;
    std::memcpy(&value, buf, 8);
    return true;
}

void TLargeintField::CheckRange(Int64 value) const {
    if ((minValue_ != 0 || maxValue_ != 0) && (value < minValue_ || value > maxValue_))
        DatabaseErrorFmt(SFieldRangeError, {FieldText::IntToStr(value), DisplayName(),
                                            FieldText::IntToStr(minValue_), FieldText::IntToStr(maxValue_)});
}

Int64 TLargeintField::GetAsLargeInt() const {
    Int64 v = 0;
    return GetValue(v) ? v : 0;
}

void TLargeintField::SetAsLargeIntValue(Int64 value) {
    CheckRange(value);
    SetData(&value);
}

Integer TLargeintField::GetAsInteger() const {
    Int64 v = GetAsLargeInt();
    if (v < INT_MIN || v > INT_MAX)
        DatabaseErrorFmt(SFieldRangeError, {FieldText::IntToStr(v), DisplayName(), FieldText::IntToStr(INT_MIN),
                                            FieldText::IntToStr(INT_MAX)});
    return static_cast<Integer>(v);
}

void TLargeintField::SetAsIntegerValue(Integer value) { SetAsLargeIntValue(value); }

double TLargeintField::GetAsFloat() const { return static_cast<double>(GetAsLargeInt()); }

void TLargeintField::SetAsFloatValue(double value) {
    Int64 v;
    if (!RoundToInt64(value, v)) DatabaseErrorFmt(SFieldValueError, {DisplayName()});
    SetAsLargeIntValue(v);
}

std::string TLargeintField::GetAsString() const {
    Int64 v;
    return GetValue(v) ? FieldText::IntToStr(v) : std::string();
}

void TLargeintField::SetAsStringValue(const std::string& value) {
    if (value.empty()) {
        Clear();
        return;
    }
    Int64 v;
    if (!FieldText::TryStrToInt64(value, v)) DatabaseErrorFmt(SInvalidIntegerValue, {value, DisplayName()});
    SetAsLargeIntValue(v);
}

void TLargeintField::GetText(std::string& text, bool displayText) const {
    Int64 v;
    if (!GetValue(v)) {
        text.clear();
        return;
    }
    const std::string& mask = displayText || EditFormat().empty() ? DisplayFormat() : EditFormat();
    text = mask.empty() ? FieldText::IntToStr(v) : FieldText::FormatFloat(mask, static_cast<double>(v));
}

// ================================================================ TFloatField

TFloatField::TFloatField(TComponent* owner) : TNumericField(owner) { SetDataType(ftFloat); }

void TFloatField::SetPrecision(int v) {
    v = std::clamp(v, 2, 15);
    if (v == precision_) return;
    precision_ = v;
    PropertyChanged(false);
}

void TFloatField::SetCurrency(bool v) {
    if (v == currency_) return;
    currency_ = v;
    PropertyChanged(false);
}

bool TFloatField::GetValue(double& value) const {
    char buf[8] = {};
    if (!GetData(buf)) return false;
    std::memcpy(&value, buf, 8);
    return true;
}

double TFloatField::GetAsFloat() const {
    double v = 0;
    return GetValue(v) ? v : 0;
}

void TFloatField::SetAsFloatValue(double value) {
    if ((minValue_ != 0 || maxValue_ != 0) && (value < minValue_ || value > maxValue_))
        DatabaseErrorFmt(SFieldRangeError, {FieldText::FloatToStr(value), DisplayName(),
                                            FieldText::FloatToStr(minValue_), FieldText::FloatToStr(maxValue_)});
    SetData(&value);
}

Integer TFloatField::GetAsInteger() const {
    Int64 v;
    double f = GetAsFloat();
    if (!RoundToInt64(f, v) || v < INT_MIN || v > INT_MAX)
        DatabaseErrorFmt(SFieldRangeError, {FieldText::FloatToStr(f), DisplayName(), FieldText::IntToStr(INT_MIN),
                                            FieldText::IntToStr(INT_MAX)});
    return static_cast<Integer>(v);
}

void TFloatField::SetAsIntegerValue(Integer value) { SetAsFloatValue(value); }

Int64 TFloatField::GetAsLargeInt() const {
    Int64 v;
    double f = GetAsFloat();
    if (!RoundToInt64(f, v)) DatabaseErrorFmt(SFieldValueError, {DisplayName()});
    return v;
}

void TFloatField::SetAsLargeIntValue(Int64 value) { SetAsFloatValue(static_cast<double>(value)); }

std::string TFloatField::GetAsString() const {
    double v;
    return GetValue(v) ? FieldText::FloatToStr(v, precision_) : std::string();
}

void TFloatField::SetAsStringValue(const std::string& value) {
    if (value.empty()) {
        Clear();
        return;
    }
    double v;
    if (!FieldText::TryStrToFloat(value, v)) DatabaseErrorFmt(SInvalidFloatValue, {value, DisplayName()});
    SetAsFloatValue(v);
}

void TFloatField::GetText(std::string& text, bool displayText) const {
    double v;
    if (!GetValue(v)) {
        text.clear();
        return;
    }
    const std::string& mask = displayText || EditFormat().empty() ? DisplayFormat() : EditFormat();
    if (!mask.empty())
        text = FieldText::FormatFloat(mask, v);
    else if (currency_ && displayText)
        text = FieldText::CurrencyText(v);
    else
        text = FieldText::FloatToStr(v, precision_);
}

TCurrencyField::TCurrencyField(TComponent* owner) : TFloatField(owner) {
    SetDataType(ftCurrency);
    SetCurrency(true);
}

// ================================================================ TBcd

TBcd CurrencyRawToBcd(Int64 raw, int precision) {
    TBcd bcd;
    bool neg = raw < 0;
    UInt64 mag = neg ? 0 - static_cast<UInt64>(raw) : static_cast<UInt64>(raw);
    std::string digits = std::to_string(mag);
    if (digits.size() < 5) digits.insert(0, 5 - digits.size(), '0');
    precision = std::clamp(precision, static_cast<int>(digits.size()), 64);
    digits.insert(0, static_cast<std::size_t>(precision) - digits.size(), '0');
    bcd.Precision = static_cast<std::uint8_t>(precision);
    bcd.SignSpecialPlaces = static_cast<std::uint8_t>(4 | (neg && mag != 0 ? 0x80 : 0));
    for (int i = 0; i < precision; ++i) {
        auto d = static_cast<std::uint8_t>(digits[static_cast<std::size_t>(i)] - '0');
        if (i % 2 == 0)
            bcd.Fraction[i / 2] = static_cast<std::uint8_t>(d << 4);
        else
            bcd.Fraction[i / 2] |= d;
    }
    return bcd;
}

namespace {
// Digits of a TBcd as text and the number of decimals.
std::string BcdDigits(const TBcd& bcd, int& places) {
    std::string digits;
    int precision = std::min<int>(bcd.Precision, 64);
    for (int i = 0; i < precision; ++i) {
        std::uint8_t b = bcd.Fraction[i / 2];
        int d = i % 2 == 0 ? b >> 4 : b & 0x0F;
        digits += static_cast<char>('0' + (d > 9 ? 0 : d));
    }
    places = std::min<int>(bcd.SignSpecialPlaces & 0x3F, precision);
    return digits;
}
}  // namespace

bool BcdToCurrencyRaw(const TBcd& bcd, Int64& raw) {
    int places;
    std::string digits = BcdDigits(bcd, places);
    // Scale to four decimals: drop extra decimals (rounding half to even)
    // or append zeros.
    std::string whole = digits.substr(0, digits.size() - static_cast<std::size_t>(places));
    std::string frac = digits.substr(digits.size() - static_cast<std::size_t>(places));
    std::string rest;
    if (frac.size() > 4) {
        rest = frac.substr(4);
        frac = frac.substr(0, 4);
    }
    while (frac.size() < 4) frac += '0';
    UInt64 v = 0;
    for (char c : whole + frac) {
        if (v > (static_cast<UInt64>(std::numeric_limits<Int64>::max()) - 9) / 10) return false;
        v = v * 10 + static_cast<UInt64>(c - '0');
    }
    if (!rest.empty()) {
        bool above = rest[0] > '5' || (rest[0] == '5' && rest.find_first_not_of('0', 1) != std::string::npos);
        bool half = rest[0] == '5' && rest.find_first_not_of('0', 1) == std::string::npos;
        if (above || (half && (v % 2) == 1)) ++v;
    }
    raw = (bcd.SignSpecialPlaces & 0x80) ? -static_cast<Int64>(v) : static_cast<Int64>(v);
    return true;
}

std::string BcdToStr(const TBcd& bcd) {
    int places;
    std::string digits = BcdDigits(bcd, places);
    std::string whole = digits.substr(0, digits.size() - static_cast<std::size_t>(places));
    std::string frac = digits.substr(digits.size() - static_cast<std::size_t>(places));
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
    if (whole.empty()) whole = "0";
    auto e = frac.find_last_not_of('0');
    frac.erase(e == std::string::npos ? 0 : e + 1);
    std::string s = whole + (frac.empty() ? "" : "." + frac);
    if ((bcd.SignSpecialPlaces & 0x80) && s != "0") s.insert(0, "-");
    return s;
}

// ================================================================ TBCDField

TBCDField::TBCDField(TComponent* owner) : TNumericField(owner) {
    SetDataType(ftBCD);
    SetSize(4);
}

void TBCDField::CheckTypeSize(int size) const {
    if (size < 0 || size > 32) DatabaseError(SInvalidFieldSize);
}

void TBCDField::SetFieldType(TFieldType type) {
    if (type == ftBCD || type == ftFMTBcd) SetDataType(type);
}

void TBCDField::SetCurrency(bool v) {
    if (v == currency_) return;
    currency_ = v;
    PropertyChanged(false);
}

bool TBCDField::GetValue(Int64& raw) const { return GetData(&raw, false); }

double TBCDField::GetAsFloat() const {
    Int64 raw = 0;
    return GetValue(raw) ? static_cast<double>(raw) / 10000.0 : 0;
}

void TBCDField::SetAsFloatValue(double value) {
    double scaled = value * 10000.0;
    Int64 raw;
    if (!RoundToInt64(scaled, raw)) DatabaseErrorFmt(SFieldValueError, {DisplayName()});
    SetData(&raw, false);
}

Integer TBCDField::GetAsInteger() const {
    Int64 raw = 0;
    if (!GetValue(raw)) return 0;
    Int64 v = 0;
    RoundToInt64(static_cast<double>(raw) / 10000.0, v);
    if (v < INT_MIN || v > INT_MAX) DatabaseErrorFmt(SFieldValueError, {DisplayName()});
    return static_cast<Integer>(v);
}

void TBCDField::SetAsIntegerValue(Integer value) {
    Int64 raw = static_cast<Int64>(value) * 10000;
    SetData(&raw, false);
}

std::string TBCDField::GetAsString() const {
    Int64 raw = 0;
    if (!GetValue(raw)) return {};
    return BcdToStr(CurrencyRawToBcd(raw, 20));
}

void TBCDField::SetAsStringValue(const std::string& value) {
    if (value.empty()) {
        Clear();
        return;
    }
    double v;
    if (!FieldText::TryStrToFloat(value, v)) DatabaseErrorFmt(SInvalidFloatValue, {value, DisplayName()});
    SetAsFloatValue(v);
}

void TBCDField::GetText(std::string& text, bool displayText) const {
    Int64 raw = 0;
    if (!GetValue(raw)) {
        text.clear();
        return;
    }
    const std::string& mask = displayText || EditFormat().empty() ? DisplayFormat() : EditFormat();
    double v = static_cast<double>(raw) / 10000.0;
    if (!mask.empty())
        text = FieldText::FormatFloat(mask, v);
    else if (currency_ && displayText)
        text = FieldText::CurrencyText(v);
    else
        text = BcdToStr(CurrencyRawToBcd(raw, 20));
}

// ================================================================ TBooleanField

TBooleanField::TBooleanField(TComponent* owner) : TField(owner) {
    SetDataType(ftBoolean);
    SetDisplayValues(std::string(STextTrue) + ";" + STextFalse);
}

void TBooleanField::SetDisplayValues(const std::string& v) {
    displayValues_ = v;
    auto semi = v.find(';');
    if (semi == std::string::npos) {
        trueText_ = v;
        falseText_.clear();
    } else {
        trueText_ = v.substr(0, semi);
        falseText_ = v.substr(semi + 1);
    }
    PropertyChanged(true);
}

int TBooleanField::GetDefaultWidth() const {
    return static_cast<int>(std::max(trueText_.size(), falseText_.size()));
}

bool TBooleanField::GetValue(bool& value) const {
    std::int16_t v = 0;
    if (!GetData(&v)) return false;
    value = v != 0;
    return true;
}

bool TBooleanField::GetAsBoolean() const {
    bool v = false;
    return GetValue(v) && v;
}

void TBooleanField::SetAsBooleanValue(bool value) {
    std::int16_t v = value ? -1 : 0;
    SetData(&v);
}

std::string TBooleanField::GetAsString() const {
    bool v;
    if (!GetValue(v)) return {};
    return v ? trueText_ : falseText_;
}

void TBooleanField::SetAsStringValue(const std::string& value) {
    if (value.empty()) {
        Clear();
        return;
    }
    // A leading part of either display text is accepted.
    if (StartsWithNoCase(falseText_, value))
        SetAsBooleanValue(false);
    else if (StartsWithNoCase(trueText_, value))
        SetAsBooleanValue(true);
    else
        DatabaseErrorFmt(SInvalidBoolValue, {value, DisplayName()});
}

// ================================================================ TDateTimeField

TDateTimeField::TDateTimeField(TComponent* owner) : TDateTimeField(owner, ftDateTime) {}

TDateTimeField::TDateTimeField(TComponent* owner, TFieldType type) : TField(owner) { SetDataType(type); }

void TDateTimeField::SetDisplayFormat(const std::string& v) {
    if (v == displayFormat_) return;
    displayFormat_ = v;
    PropertyChanged(false);
}

char TDateTimeField::Kind() const {
    switch (DataType()) {
    case ftDate: return 'd';
    case ftTime: return 't';
    default: return 'c';
    }
}

bool TDateTimeField::GetValue(TDateTime& value) const { return GetData(&value, false); }

TDateTime TDateTimeField::GetAsDateTime() const {
    TDateTime v = 0;
    return GetValue(v) ? v : 0;
}

void TDateTimeField::SetAsDateTimeValue(TDateTime value) { SetData(&value, false); }

double TDateTimeField::GetAsFloat() const { return GetAsDateTime(); }

void TDateTimeField::SetAsFloatValue(double value) { SetAsDateTimeValue(value); }

std::string TDateTimeField::GetAsString() const {
    std::string s;
    GetText(s, false);
    return s;
}

void TDateTimeField::SetAsStringValue(const std::string& value) {
    if (value.empty()) {
        Clear();
        return;
    }
    TDateTime v;
    if (!FieldText::TryTextToDateTime(value, Kind(), v))
        DatabaseErrorFmt(SInvalidDateTimeValue, {value, DisplayName()});
    SetAsDateTimeValue(v);
}

void TDateTimeField::GetText(std::string& text, bool displayText) const {
    TDateTime v;
    if (!GetValue(v)) {
        text.clear();
        return;
    }
    text = FieldText::DateTimeToText(v, Kind(), displayText ? displayFormat_ : std::string());
}

TDateField::TDateField(TComponent* owner) : TDateTimeField(owner, ftDate) {}
TTimeField::TTimeField(TComponent* owner) : TDateTimeField(owner, ftTime) {}

// ================================================================ binary fields

TBinaryField::TBinaryField(TComponent* owner) : TField(owner) {}

void TBinaryField::CheckTypeSize(int size) const {
    if (size < 0) DatabaseError(SInvalidFieldSize);
}

std::string TBinaryField::GetAsString() const {
    std::vector<char> buf(static_cast<std::size_t>(DataSize()) + 2, '\0');
    if (!GetData(buf.data())) return {};
    return Unpack(buf.data());
}

void TBinaryField::SetAsStringValue(const std::string& value) {
    std::vector<char> buf(static_cast<std::size_t>(DataSize()) + 2, '\0');
    Pack(value, buf.data());
    SetData(buf.data());
}

void TBinaryField::GetText(std::string& text, bool displayText) const {
    text = IsNull() ? std::string() : "(" + std::string(FieldTypeName(DataType())) + ")";
}

TBytesField::TBytesField(TComponent* owner) : TBinaryField(owner) {
    SetDataType(ftBytes);
    SetSize(16);
}

std::string TBytesField::Unpack(const char* native) const {
    return std::string(native, static_cast<std::size_t>(Size()));
}

void TBytesField::Pack(const std::string& value, char* native) const {
    std::memcpy(native, value.data(), std::min(value.size(), static_cast<std::size_t>(Size())));
}

TVarBytesField::TVarBytesField(TComponent* owner) : TBinaryField(owner) {
    SetDataType(ftVarBytes);
    SetSize(16);
}

std::string TVarBytesField::Unpack(const char* native) const {
    std::uint16_t len;
    std::memcpy(&len, native, 2);
    len = std::min<std::uint16_t>(len, static_cast<std::uint16_t>(Size()));
    return std::string(native + 2, len);
}

void TVarBytesField::Pack(const std::string& value, char* native) const {
    auto len = static_cast<std::uint16_t>(std::min(value.size(), static_cast<std::size_t>(Size())));
    std::memcpy(native, &len, 2);
    std::memcpy(native + 2, value.data(), len);
}

// ================================================================ blob fields

TBlobField::TBlobField(TComponent* owner) : TBlobField(owner, ftBlob) {}

TBlobField::TBlobField(TComponent* owner, TFieldType type) : TField(owner) { SetDataType(type); }

void TBlobField::CheckTypeSize(int size) const {
    if (size < 0) DatabaseError(SInvalidFieldSize);
}

void TBlobField::SetFieldType(TFieldType type) {
    switch (type) {
    case ftBlob: case ftMemo: case ftGraphic: case ftFmtMemo: case ftParadoxOle: case ftDBaseOle:
    case ftTypedBinary: case ftOraBlob: case ftOraClob:
        SetDataType(type);
        break;
    default:
        break;
    }
}

void TBlobField::GetText(std::string& text, bool displayText) const {
    std::string desc = ClassDesc();
    if (IsNull())
        for (char& c : desc) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    text = "(" + desc + ")";
}

TMemoField::TMemoField(TComponent* owner) : TBlobField(owner, ftMemo) {}
TGraphicField::TGraphicField(TComponent* owner) : TBlobField(owner, ftGraphic) {}

// ================================================================ factory

namespace {
TField* NewFieldOfType(TFieldType type, TComponent* owner) {
    switch (type) {
    case ftString: case ftFixedChar: case ftWideString: return new TStringField(owner);
    case ftSmallint: return new TSmallintField(owner);
    case ftInteger: return new TIntegerField(owner);
    case ftWord: return new TWordField(owner);
    case ftAutoInc: return new TAutoIncField(owner);
    case ftLargeint: return new TLargeintField(owner);
    case ftBoolean: return new TBooleanField(owner);
    case ftFloat: return new TFloatField(owner);
    case ftCurrency: return new TCurrencyField(owner);
    case ftBCD: case ftFMTBcd: return new TBCDField(owner);
    case ftDate: return new TDateField(owner);
    case ftTime: return new TTimeField(owner);
    case ftDateTime: return new TDateTimeField(owner);
    case ftBytes: return new TBytesField(owner);
    case ftVarBytes: return new TVarBytesField(owner);
    case ftMemo: case ftFmtMemo: case ftOraClob: return new TMemoField(owner);
    case ftGraphic: return new TGraphicField(owner);
    case ftBlob: case ftParadoxOle: case ftDBaseOle: case ftTypedBinary: case ftOraBlob: return new TBlobField(owner);
    default: return nullptr;
    }
}
}  // namespace

TField* CreateFieldOfType(TFieldType type, TComponent* owner) {
    TField* f = NewFieldOfType(type, owner);
    if (f) f->SetFieldType(type);
    return f;
}

// ================================================================ variants

Variant TStringField::GetAsVariant() const {
    std::string s;
    return GetValue(s) ? Variant(s) : Null();
}
void TStringField::SetVarValue(const Variant& value) { SetAsString(VarToStr(value)); }

Variant TIntegerField::GetAsVariant() const {
    Integer v;
    return GetValue(v) ? Variant(static_cast<int>(v)) : Null();
}
void TIntegerField::SetVarValue(const Variant& value) {
    if (value.IsString()) {
        SetAsString(value.AsString());
        return;
    }
    Int64 v = value.AsInt64();
    CheckRange(v);
    SetAsInteger(static_cast<Integer>(v));
}

Variant TLargeintField::GetAsVariant() const {
    Int64 v;
    return GetValue(v) ? Variant(static_cast<long long>(v)) : Null();
}
void TLargeintField::SetVarValue(const Variant& value) {
    if (value.IsString())
        SetAsString(value.AsString());
    else
        SetAsLargeInt(value.AsInt64());
}

Variant TFloatField::GetAsVariant() const {
    double v;
    return GetValue(v) ? Variant(v) : Null();
}
void TFloatField::SetVarValue(const Variant& value) {
    if (value.IsString())
        SetAsString(value.AsString());
    else
        SetAsFloat(value.AsDouble());
}

Variant TBCDField::GetAsVariant() const {
    Int64 raw;
    return GetValue(raw) ? Variant(::Currency::FromRaw(raw)) : Null();
}
void TBCDField::SetVarValue(const Variant& value) {
    if (value.IsString())
        SetAsString(value.AsString());
    else
        SetAsCurrency(value.AsCurrency());
}
::Currency TBCDField::GetAsCurrency() const {
    Int64 raw = 0;
    return GetValue(raw) ? ::Currency::FromRaw(raw) : ::Currency();
}
void TBCDField::SetAsCurrencyValue(::Currency value) {
    Int64 raw = value.Raw();
    SetData(&raw, false);
}

Variant TBooleanField::GetAsVariant() const {
    bool v;
    return GetValue(v) ? Variant(v) : Null();
}
void TBooleanField::SetVarValue(const Variant& value) {
    if (value.IsString())
        SetAsString(value.AsString());
    else
        SetAsBoolean(value.AsBoolean());
}

Variant TDateTimeField::GetAsVariant() const {
    TDateTime v;
    return GetValue(v) ? Variant::FromDate(v) : Null();
}
void TDateTimeField::SetVarValue(const Variant& value) {
    if (value.IsString())
        SetAsString(value.AsString());
    else
        SetAsDateTime(VarToDateTime(value));
}

Variant TBinaryField::GetAsVariant() const {
    if (IsNull()) return Null();
    return Variant(GetAsString());
}
void TBinaryField::SetVarValue(const Variant& value) { SetAsString(value.AsString()); }

// ================================================================ blob values

namespace {
std::unique_ptr<TStream> OpenBlob(const TField* field, TBlobStreamMode mode) {
    if (!field->DataSet()) DatabaseErrorFmt(SDataSetMissing, {field->DisplayName()});
    TStream* s = field->DataSet()->CreateBlobStream(const_cast<TField*>(field), mode);
    if (!s) DatabaseError(SBlobNotSupported, field->DataSet()->Name());
    return std::unique_ptr<TStream>(s);
}
}  // namespace

std::string TBlobField::GetAsString() const {
    if (IsNull()) return {};
    auto s = OpenBlob(this, bmRead);
    std::string out(static_cast<std::size_t>(s->Size()), '\0');
    s->SetPosition(0);
    if (!out.empty()) s->ReadBuffer(out.data(), static_cast<Integer>(out.size()));
    return out;
}

void TBlobField::SetAsStringValue(const std::string& value) {
    auto s = OpenBlob(this, bmWrite);
    if (!value.empty()) s->WriteBuffer(value.data(), static_cast<Integer>(value.size()));
}

Variant TBlobField::GetAsVariant() const {
    if (IsNull()) return Null();
    return Variant(GetAsString());
}

void TBlobField::SetVarValue(const Variant& value) { SetAsString(VarToStr(value)); }

void TBlobField::LoadFromStream(TStream& stream) {
    auto s = OpenBlob(this, bmWrite);
    stream.SetPosition(0);
    s->CopyFrom(stream, 0);
}

void TBlobField::SaveToStream(TStream& stream) const {
    std::string v = GetAsString();
    if (!v.empty()) stream.WriteBuffer(v.data(), static_cast<Integer>(v.size()));
}

void TBlobField::LoadFromFile(const std::string& fileName) {
    TFileStream f(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(f);
}

void TBlobField::SaveToFile(const std::string& fileName) const {
    TFileStream f(fileName, fmCreate);
    SaveToStream(f);
}

Int64 TBlobField::BlobSize() const {
    if (IsNull()) return 0;
    return OpenBlob(this, bmRead)->Size();
}

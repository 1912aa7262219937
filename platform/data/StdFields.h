#pragma once
// The field classes. Is-a relations that code relies on:
//   TStringField
//   TNumericField > TIntegerField > TSmallintField, TWordField, TAutoIncField
//   TNumericField > TLargeintField
//   TNumericField > TFloatField > TCurrencyField
//   TNumericField > TBCDField
//   TBooleanField
//   TDateTimeField > TDateField, TTimeField
//   TBinaryField > TBytesField, TVarBytesField
//   TBlobField > TMemoField, TGraphicField

#include <cstdint>
#include <string>

#include "platform/data/Field.h"

class TStream;

class TStringField : public TField {
public:
    explicit TStringField(TComponent* owner = nullptr);
    int DataSize() const override { return Size() + 1; }
    // ftFixedChar: trailing blanks are not part of the value.
    bool FixedChar() const { return DataType() == ftFixedChar; }
    // Reads the value; false when null.
    bool GetValue(std::string& value) const;
    // Whether the text is converted between the database's character set
    // and the program's.
    bool Transliterate() const { return transliterate_; }
    void SetTransliterate(bool value) { transliterate_ = value; }

protected:
    Variant GetAsVariant() const override;
    void SetVarValue(const Variant& value) override;
    std::string GetAsString() const override;
    // Text longer than Size bytes is cut at Size, never inside a UTF-8
    // character.
    void SetAsStringValue(const std::string& value) override;
    Integer GetAsInteger() const override;
    void SetAsIntegerValue(Integer value) override;
    Int64 GetAsLargeInt() const override;
    void SetAsLargeIntValue(Int64 value) override;
    double GetAsFloat() const override;
    void SetAsFloatValue(double value) override;
    bool GetAsBoolean() const override;
    void SetAsBooleanValue(bool value) override;
    TDateTime GetAsDateTime() const override;
    void SetAsDateTimeValue(TDateTime value) override;
    int GetDefaultWidth() const override { return Size(); }
    void CheckTypeSize(int size) const override;
    void SetFieldType(TFieldType type) override;

private:
    bool transliterate_ = true;
};

class TNumericField : public TField {
public:
    explicit TNumericField(TComponent* owner = nullptr);
    // Masks for display and for editing (FormatFloat masks).
    const std::string& DisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(const std::string& v);
    const std::string& EditFormat() const { return editFormat_; }
    void SetEditFormat(const std::string& v);

private:
    std::string displayFormat_;
    std::string editFormat_;
};

class TIntegerField : public TNumericField {
public:
    explicit TIntegerField(TComponent* owner = nullptr);
    int DataSize() const override { return 4; }
    // A range of 0..0 means the type's own range.
    Integer MinValue() const { return minValue_; }
    void SetMinValue(Integer v) { minValue_ = v; }
    Integer MaxValue() const { return maxValue_; }
    void SetMaxValue(Integer v) { maxValue_ = v; }
    bool GetValue(Integer& value) const;

protected:
    Variant GetAsVariant() const override;
    void SetVarValue(const Variant& value) override;
    TIntegerField(TComponent* owner, TFieldType type, Int64 minRange, Int64 maxRange);
    std::string GetAsString() const override;
    void SetAsStringValue(const std::string& value) override;
    Integer GetAsInteger() const override;
    void SetAsIntegerValue(Integer value) override;
    double GetAsFloat() const override;
    void SetAsFloatValue(double value) override;
    void GetText(std::string& text, bool displayText) const override;
    int GetDefaultWidth() const override { return 11; }
    // Raises the range error unless value is in the field's range.
    void CheckRange(Int64 value) const;

private:
    Int64 minRange_;
    Int64 maxRange_;
    Integer minValue_ = 0;
    Integer maxValue_ = 0;
};

class TSmallintField : public TIntegerField {
public:
    explicit TSmallintField(TComponent* owner = nullptr);
    int DataSize() const override { return 2; }

protected:
    int GetDefaultWidth() const override { return 6; }
};

class TWordField : public TIntegerField {
public:
    explicit TWordField(TComponent* owner = nullptr);
    int DataSize() const override { return 2; }

protected:
    int GetDefaultWidth() const override { return 5; }
};

class TAutoIncField : public TIntegerField {
public:
    explicit TAutoIncField(TComponent* owner = nullptr);
};

class TLargeintField : public TNumericField {
public:
    explicit TLargeintField(TComponent* owner = nullptr);
    int DataSize() const override { return 8; }
    Int64 MinValue() const { return minValue_; }
    void SetMinValue(Int64 v) { minValue_ = v; }
    Int64 MaxValue() const { return maxValue_; }
    void SetMaxValue(Int64 v) { maxValue_ = v; }
    bool GetValue(Int64& value) const;

protected:
    Variant GetAsVariant() const override;
    void SetVarValue(const Variant& value) override;
    std::string GetAsString() const override;
    void SetAsStringValue(const std::string& value) override;
    Integer GetAsInteger() const override;
    void SetAsIntegerValue(Integer value) override;
    Int64 GetAsLargeInt() const override;
    void SetAsLargeIntValue(Int64 value) override;
    double GetAsFloat() const override;
    void SetAsFloatValue(double value) override;
    void GetText(std::string& text, bool displayText) const override;
    int GetDefaultWidth() const override { return 15; }

private:
    void CheckRange(Int64 value) const;
    Int64 minValue_ = 0;
    Int64 maxValue_ = 0;
};

class TFloatField : public TNumericField {
public:
    explicit TFloatField(TComponent* owner = nullptr);
    int DataSize() const override { return 8; }
    // Significant digits of the general display format (2..15).
    int Precision() const { return precision_; }
    void SetPrecision(int v);
    // Shown in the currency format.
    bool Currency() const { return currency_; }
    void SetCurrency(bool v);
    // A range of 0..0 means no range check.
    double MinValue() const { return minValue_; }
    void SetMinValue(double v) { minValue_ = v; }
    double MaxValue() const { return maxValue_; }
    void SetMaxValue(double v) { maxValue_ = v; }
    bool GetValue(double& value) const;

protected:
    Variant GetAsVariant() const override;
    void SetVarValue(const Variant& value) override;
    std::string GetAsString() const override;
    void SetAsStringValue(const std::string& value) override;
    Integer GetAsInteger() const override;
    void SetAsIntegerValue(Integer value) override;
    Int64 GetAsLargeInt() const override;
    void SetAsLargeIntValue(Int64 value) override;
    double GetAsFloat() const override;
    void SetAsFloatValue(double value) override;
    void GetText(std::string& text, bool displayText) const override;
    int GetDefaultWidth() const override { return precision_ + 1; }

private:
    int precision_ = 15;
    bool currency_ = false;
    double minValue_ = 0;
    double maxValue_ = 0;
};

class TCurrencyField : public TFloatField {
public:
    explicit TCurrencyField(TComponent* owner = nullptr);
};

// Packed decimal: Precision digits, of which the low 6 bits of
// SignSpecialPlaces are decimals and bit 7 the sign; Fraction holds the
// digits two per byte, high nibble first.
struct TBcd {
    std::uint8_t Precision = 0;
    std::uint8_t SignSpecialPlaces = 0;
    std::uint8_t Fraction[32] = {};
};
static_assert(sizeof(TBcd) == 34, "TBcd is 34 bytes");

// A value in ten-thousandths (the platform's currency scale) to a TBcd of
// the given precision with 4 decimals, and back.
TBcd CurrencyRawToBcd(Int64 raw, int precision = 20);
// False when the value does not fit the currency range.
bool BcdToCurrencyRaw(const TBcd& bcd, Int64& raw);
std::string BcdToStr(const TBcd& bcd);

// Decimal field: the value travels as TBcd natively and as a currency value
// (ten-thousandths, 64-bit) otherwise.
class TBCDField : public TNumericField {
public:
    explicit TBCDField(TComponent* owner = nullptr);
    int DataSize() const override { return static_cast<int>(sizeof(TBcd)); }
    int Precision() const { return precision_; }
    void SetPrecision(int v) { precision_ = v; }
    bool Currency() const { return currency_; }
    void SetCurrency(bool v);
    // The value in ten-thousandths; false when null.
    bool GetValue(Int64& raw) const;

protected:
    Variant GetAsVariant() const override;
    void SetVarValue(const Variant& value) override;
    ::Currency GetAsCurrency() const override;
    void SetAsCurrencyValue(::Currency value) override;
    std::string GetAsString() const override;
    void SetAsStringValue(const std::string& value) override;
    Integer GetAsInteger() const override;
    void SetAsIntegerValue(Integer value) override;
    double GetAsFloat() const override;
    void SetAsFloatValue(double value) override;
    void GetText(std::string& text, bool displayText) const override;
    void CheckTypeSize(int size) const override;
    void SetFieldType(TFieldType type) override;
    int GetDefaultWidth() const override { return precision_ > 0 ? precision_ + 2 : 10; }

private:
    int precision_ = 0;
    bool currency_ = false;
};

class TBooleanField : public TField {
public:
    explicit TBooleanField(TComponent* owner = nullptr);
    int DataSize() const override { return 2; }
    // "TrueText;FalseText", used for text in both directions.
    const std::string& DisplayValues() const { return displayValues_; }
    void SetDisplayValues(const std::string& v);
    bool GetValue(bool& value) const;

protected:
    Variant GetAsVariant() const override;
    void SetVarValue(const Variant& value) override;
    std::string GetAsString() const override;
    void SetAsStringValue(const std::string& value) override;
    bool GetAsBoolean() const override;
    void SetAsBooleanValue(bool value) override;
    int GetDefaultWidth() const override;

private:
    std::string displayValues_;
    std::string trueText_;
    std::string falseText_;
};

class TDateTimeField : public TField {
public:
    explicit TDateTimeField(TComponent* owner = nullptr);
    int DataSize() const override { return 8; }
    // FormatDateTime mask; empty: the short date and long time formats.
    const std::string& DisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(const std::string& v);
    bool GetValue(TDateTime& value) const;

protected:
    Variant GetAsVariant() const override;
    void SetVarValue(const Variant& value) override;
    TDateTimeField(TComponent* owner, TFieldType type);
    std::string GetAsString() const override;
    void SetAsStringValue(const std::string& value) override;
    double GetAsFloat() const override;
    void SetAsFloatValue(double value) override;
    TDateTime GetAsDateTime() const override;
    void SetAsDateTimeValue(TDateTime value) override;
    void GetText(std::string& text, bool displayText) const override;
    int GetDefaultWidth() const override { return 18; }
    char Kind() const;

private:
    std::string displayFormat_;
};

class TDateField : public TDateTimeField {
public:
    explicit TDateField(TComponent* owner = nullptr);
    int DataSize() const override { return 4; }

protected:
    int GetDefaultWidth() const override { return 10; }
};

class TTimeField : public TDateTimeField {
public:
    explicit TTimeField(TComponent* owner = nullptr);
    int DataSize() const override { return 4; }

protected:
    int GetDefaultWidth() const override { return 10; }
};

// Fixed-size binary data; AsString is the raw bytes.
class TBinaryField : public TField {
public:
    explicit TBinaryField(TComponent* owner = nullptr);

protected:
    Variant GetAsVariant() const override;
    void SetVarValue(const Variant& value) override;
    std::string GetAsString() const override;
    void SetAsStringValue(const std::string& value) override;
    void GetText(std::string& text, bool displayText) const override;
    void CheckTypeSize(int size) const override;
    // Bytes of the value inside a native buffer.
    virtual std::string Unpack(const char* native) const = 0;
    virtual void Pack(const std::string& value, char* native) const = 0;
};

class TBytesField : public TBinaryField {
public:
    explicit TBytesField(TComponent* owner = nullptr);
    int DataSize() const override { return Size(); }

protected:
    std::string Unpack(const char* native) const override;
    // Shorter values are padded with zero bytes.
    void Pack(const std::string& value, char* native) const override;
};

class TVarBytesField : public TBinaryField {
public:
    explicit TVarBytesField(TComponent* owner = nullptr);
    int DataSize() const override { return Size() + 2; }

protected:
    std::string Unpack(const char* native) const override;
    void Pack(const std::string& value, char* native) const override;
};

class TBlobField : public TField {
public:
    explicit TBlobField(TComponent* owner = nullptr);
    bool IsBlob() const override { return true; }
    // The exact blob type (ftBlob, ftMemo, ftGraphic, ftFmtMemo, ...).
    TFieldType BlobType() const { return DataType(); }
    void SetBlobType(TFieldType type) { SetFieldType(type); }
    // The value through the dataset's blob stream (CreateBlobStream);
    // raises when the dataset offers none.
    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream) const;
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName) const;
    Int64 BlobSize() const;
    // Whether a memo's text is converted between the database's character
    // set and the program's.
    bool Transliterate() const { return transliterate_; }
    void SetTransliterate(bool value) { transliterate_ = value; }

protected:
    std::string GetAsString() const override;
    void SetAsStringValue(const std::string& value) override;
    Variant GetAsVariant() const override;
    void SetVarValue(const Variant& value) override;
    TBlobField(TComponent* owner, TFieldType type);
    void GetText(std::string& text, bool displayText) const override;
    void CheckTypeSize(int size) const override;
    void SetFieldType(TFieldType type) override;
    // "(BLOB)" for a value, "(blob)" for none.
    virtual const char* ClassDesc() const { return "BLOB"; }

private:
    bool transliterate_ = true;
};

class TMemoField : public TBlobField {
public:
    explicit TMemoField(TComponent* owner = nullptr);

protected:
    const char* ClassDesc() const override { return "MEMO"; }
};

class TGraphicField : public TBlobField {
public:
    explicit TGraphicField(TComponent* owner = nullptr);

protected:
    const char* ClassDesc() const override { return "GRAPHIC"; }
};

// A new field of the class that serves type (string, memo, blob families
// adopt the exact type), or nullptr for a type without a field class.
TField* CreateFieldOfType(TFieldType type, TComponent* owner);

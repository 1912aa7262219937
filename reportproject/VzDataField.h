#pragma once
// Data rows and data fields. A row is the byte buffer of one record as the
// data connection sends it: an offset table (value offset, text offset per
// column, 32-bit little-endian) followed by values and chunked texts. Every
// read is checked against the buffer's size, so a damaged row reads as
// null values and empty texts instead of memory beyond it.

#include <string>
#include <vector>

#include "platform/core/Currency.h"
#include "platform/core/Types.h"
#include "report/ReportDefs.h"
#include "reportproject/VzClass.h"

class TVizeDataRow {
public:
    TVizeDataRow() = default;
    ~TVizeDataRow() { Clear(); }
    TVizeDataRow(const TVizeDataRow&) = delete;
    TVizeDataRow& operator=(const TVizeDataRow&) = delete;

    TVizeDataRow* NextRow = nullptr;  // the view's look-ahead list
    int RowKind = 0;                  // 0 first, 1 middle, 2 last

    void Clear() { data_.clear(); data_.shrink_to_fit(); }
    void SetSize(int n);
    // row receives a copy of the buffer; this row is cleared.
    void MoveTo(TVizeDataRow& row);
    Byte* Data() { return data_.empty() ? nullptr : data_.data(); }
    const Byte* Data() const { return data_.empty() ? nullptr : data_.data(); }
    int Size() const { return int(data_.size()); }

    // Null when there is no buffer, the value offset is negative, or the
    // offset lies outside the buffer.
    const Byte* ValuePtr(int i) const;
    // Null when the text offset is 0 (or outside the buffer).
    const Byte* TextPtr(int i) const;
    // The chunked text at p: the bytes of the last chunk of kind 1.
    std::string ReadText(const Byte* p) const;
    // The bytes of a counted value (blob, memo, graphic); count 0 when null.
    const Byte* BlobData(int i, Integer& count) const;
    // Bytes of the buffer from p to its end (0 for null or outside).
    int Available(const Byte* p) const;

private:
    bool ReadInt(int offset, Integer& v) const;
    std::vector<Byte> data_;
};

// What a data view offers the fields that are its children: the row it
// presents now (peeked, saved or current) and whether it is empty.
class IVizeRowSource {
public:
    virtual ~IVizeRowSource() = default;
    virtual TVizeDataRow* PresentedRow() = 0;
    virtual bool IsEmptyView() = 0;
};

class TVizeDataField : public TVizeComponent {
    VIZE_CLASS(TVizeDataField)
public:
    explicit TVizeDataField(TComponent* owner) : TVizeComponent(owner) {}

    virtual TVPDataType DataType() const = 0;
    virtual std::string AsString();
    virtual bool AsBoolean();
    virtual Integer AsInteger();
    virtual Int64 AsInt64();
    virtual double AsFloat();
    virtual Currency AsCurrency();
    virtual TDateTime AsDateTime();
    virtual TDateTime AsDate();
    virtual TDateTime AsTime();
    virtual const Byte* AsBlob();

    bool IsNull();
    int DataSize();

    const std::string& FieldName() const { return fieldName_; }
    void SetFieldName(const std::string& name);
    int Size() const { return size_; }
    void SetSize(int v) { size_ = v; }
    const std::string& FullName() const { return fullName_; }
    void SetFullName(const std::string& v) { fullName_ = v; }
    const std::string& Description() const { return description_; }
    void SetDescription(const std::string& v) { description_ = v; }
    const std::string& NullText() const { return nullText_; }
    void SetNullText(const std::string& v) { nullText_ = v; }
    bool Calculated() const { return calculated_; }
    void SetCalculated(bool v) { calculated_ = v; }
    // The column's position in the row, set when the view opens.
    int DataIndex() const { return dataIndex_; }
    void SetDataIndex(int i) { dataIndex_ = i; }

protected:
    // The row the view presents; null without a view or row.
    TVizeDataRow* Row();
    // The value pointer with at least n bytes behind it, or null.
    const Byte* Value(int n);
    // The row's text of the field; empty when none.
    std::string RowText();

private:
    std::string fieldName_;
    int size_ = 10;
    std::string fullName_;
    std::string description_;
    std::string nullText_;
    bool calculated_ = false;
    int dataIndex_ = 0;
};

class TVizeFormattedField : public TVizeDataField {
    VIZE_CLASS(TVizeFormattedField)
public:
    using TVizeDataField::TVizeDataField;
    const std::string& DisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(const std::string& v) { displayFormat_ = v; }

private:
    std::string displayFormat_;
};

class TVizeStringField : public TVizeDataField {
    VIZE_CLASS(TVizeStringField)
public:
    using TVizeDataField::TVizeDataField;
    TVPDataType DataType() const override { return dtString; }
    std::string AsString() override;
};

class TVizeBooleanField : public TVizeDataField {
    VIZE_CLASS(TVizeBooleanField)
public:
    using TVizeDataField::TVizeDataField;
    TVPDataType DataType() const override { return dtBoolean; }
    std::string AsString() override;
    bool AsBoolean() override;
    const std::string& TextTrue() const { return textTrue_; }
    void SetTextTrue(const std::string& v) { textTrue_ = v; }
    const std::string& TextFalse() const { return textFalse_; }
    void SetTextFalse(const std::string& v) { textFalse_ = v; }

private:
    std::string textTrue_, textFalse_;
};

class TVizeIntegerField : public TVizeFormattedField {
    VIZE_CLASS(TVizeIntegerField)
public:
    using TVizeFormattedField::TVizeFormattedField;
    TVPDataType DataType() const override { return dtInteger; }
    std::string AsString() override;
    Integer AsInteger() override;
    Int64 AsInt64() override { return AsInteger(); }
    double AsFloat() override { return AsInteger(); }
    Currency AsCurrency() override { return Currency(AsInteger()); }
};

class TVizeInt64Field : public TVizeFormattedField {
    VIZE_CLASS(TVizeInt64Field)
public:
    using TVizeFormattedField::TVizeFormattedField;
    TVPDataType DataType() const override { return dtInt64; }
    std::string AsString() override;
    Int64 AsInt64() override;
    Integer AsInteger() override { return Integer(std::uint32_t(std::uint64_t(AsInt64()))); }
    double AsFloat() override { return double(AsInt64()); }
    Currency AsCurrency() override { return Currency(AsInt64()); }
};

class TVizeFloatField : public TVizeFormattedField {
    VIZE_CLASS(TVizeFloatField)
public:
    using TVizeFormattedField::TVizeFormattedField;
    TVPDataType DataType() const override { return dtFloat; }
    std::string AsString() override;
    double AsFloat() override;
    Integer AsInteger() override;
    Int64 AsInt64() override;
    Currency AsCurrency() override;
};

class TVizeCurrencyField : public TVizeFormattedField {
    VIZE_CLASS(TVizeCurrencyField)
public:
    using TVizeFormattedField::TVizeFormattedField;
    TVPDataType DataType() const override { return dtCurrency; }
    std::string AsString() override;
    Currency AsCurrency() override;
    double AsFloat() override { return AsCurrency().ToDouble(); }
    Integer AsInteger() override { return Integer(AsCurrency().Raw() / Currency::Scale); }
    Int64 AsInt64() override { return AsCurrency().Raw() / Currency::Scale; }
};

class TVizeBCDField : public TVizeCurrencyField {
    VIZE_CLASS(TVizeBCDField)
public:
    using TVizeCurrencyField::TVizeCurrencyField;
    TVPDataType DataType() const override { return dtBCD; }
};

class TVizeDateTimeField : public TVizeFormattedField {
    VIZE_CLASS(TVizeDateTimeField)
public:
    using TVizeFormattedField::TVizeFormattedField;
    TVPDataType DataType() const override { return dtDateTime; }
    std::string AsString() override;
    TDateTime AsDateTime() override;
    TDateTime AsDate() override;
    TDateTime AsTime() override;
    double AsFloat() override { return AsDateTime(); }

protected:
    // The stored double, or the NullText converted (0 when it does not).
    TDateTime StoredOrNull();
};

class TVizeDateField : public TVizeDateTimeField {
    VIZE_CLASS(TVizeDateField)
public:
    using TVizeDateTimeField::TVizeDateTimeField;
    TVPDataType DataType() const override { return dtDate; }
    std::string AsString() override;
    TDateTime AsDate() override;
    TDateTime AsDateTime() override { return AsDate(); }
    TDateTime AsTime() override { return 0; }
};

class TVizeTimeField : public TVizeDateTimeField {
    VIZE_CLASS(TVizeTimeField)
public:
    using TVizeDateTimeField::TVizeDateTimeField;
    TVPDataType DataType() const override { return dtTime; }
    std::string AsString() override;
    TDateTime AsTime() override;
    TDateTime AsDateTime() override { return AsTime(); }
    TDateTime AsDate() override { return 0; }
};

class TVizeBlobField : public TVizeDataField {
    VIZE_CLASS(TVizeBlobField)
public:
    using TVizeDataField::TVizeDataField;
    TVPDataType DataType() const override { return dtBlob; }
    std::string AsString() override;

protected:
    std::string Bytes();
};

class TVizeMemoField : public TVizeBlobField {
    VIZE_CLASS(TVizeMemoField)
public:
    using TVizeBlobField::TVizeBlobField;
    TVPDataType DataType() const override { return dtMemo; }
};

class TVizeGraphicField : public TVizeBlobField {
    VIZE_CLASS(TVizeGraphicField)
public:
    using TVizeBlobField::TVizeBlobField;
    TVPDataType DataType() const override { return dtGraphic; }
    std::string AsString() override;
};

// Appends the field classes' registration to the registration list.
void InitializeVzDataField();

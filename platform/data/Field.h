#pragma once
// TField: one column of a dataset. A field reads and writes its value
// through the dataset's record buffers (TDataSet::GetFieldData and
// SetFieldData) in the field type's native binary form; the descendants in
// StdFields.h turn that form into text, numbers, dates and variants.
//
// Native forms (what GetFieldData/SetFieldData exchange):
//   ftString, ftFixedChar, ftWideString  Size + 1 bytes, UTF-8, NUL-terminated
//   ftSmallint 16-bit signed; ftWord 16-bit unsigned; ftBoolean 16-bit (0 false)
//   ftInteger, ftAutoInc 32-bit signed; ftLargeint 64-bit signed
//   ftFloat, ftCurrency 64-bit double
//   ftDate 32-bit day number (1 = 1 January of year 1)
//   ftTime 32-bit milliseconds since midnight
//   ftDateTime 64-bit double of milliseconds (day number x 86400000 + ms)
//   ftBCD, ftFMTBcd TBcd (34 bytes)
//   ftBytes Size bytes; ftVarBytes 16-bit length then Size bytes
//   blobs: no buffer; presence only, data through CreateBlobStream
// Fields of kind calculated or lookup are laid out by the framework in the
// calculated area of each record buffer: at Offset() a presence byte, then
// DataSize() bytes (see TDataSet::CalcFieldsSize()).

#include <functional>
#include <string>
#include <vector>

#include "platform/core/Component.h"
#include "platform/core/Currency.h"
#include "platform/core/Types.h"
#include "platform/core/Variant.h"
#include "platform/data/DataTypes.h"

class TDataSet;
class TField;

using TFieldNotifyEvent = std::function<void(TField* sender)>;
using TFieldGetTextEvent = std::function<void(TField* sender, std::string& text, bool displayText)>;
using TFieldSetTextEvent = std::function<void(TField* sender, const std::string& text)>;



class TField : public TComponent {
public:
    // owner: the component that frees the field. A field without owner is
    // freed by the dataset it belongs to.
    explicit TField(TComponent* owner = nullptr);
    ~TField() override;

    // The dataset the field belongs to. Both the old and the new dataset
    // must be closed; the name must be unique in the new one.
    TDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TDataSet* dataSet);

    const std::string& FieldName() const { return fieldName_; }
    void SetFieldName(const std::string& name);
    // DisplayLabel falls back to FieldName; DisplayName is the label shown
    // in messages.
    std::string DisplayLabel() const { return displayLabel_.empty() ? fieldName_ : displayLabel_; }
    void SetDisplayLabel(const std::string& label);
    std::string DisplayName() const { return DisplayLabel(); }
    // Characters shown in a grid column; defaults by type.
    int DisplayWidth() const { return displayWidth_ > 0 ? displayWidth_ : GetDefaultWidth(); }
    void SetDisplayWidth(int width);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);

    TFieldType DataType() const { return dataType_; }
    TFieldKind FieldKind() const { return fieldKind_; }
    void SetFieldKind(TFieldKind kind);
    bool Calculated() const { return fieldKind_ == fkCalculated; }
    void SetCalculated(bool value) { SetFieldKind(value ? fkCalculated : fkData); }
    bool Lookup() const { return fieldKind_ == fkLookup; }
    void SetLookup(bool value) { SetFieldKind(value ? fkLookup : fkData); }

    int Size() const { return size_; }
    void SetSize(int size);
    // Bytes of the native value (see above).
    virtual int DataSize() const { return 0; }
    // 1-based number of the field definition the field is bound to; -1 for
    // calculated and lookup fields, 0 while unbound.
    int FieldNo() const { return fieldNo_; }
    // Position in the dataset's field list; setting it moves the field.
    int Index() const;
    void SetIndex(int index);
    // Position of the presence byte inside the calculated area.
    int Offset() const { return offset_; }

    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value) { readOnly_ = value; }
    // The input mask of the field's text ("" for none): the mask text,
    // whether literals are kept in the value, the blank character.
    const std::string& EditMask() const { return editMask_; }
    void SetEditMask(const std::string& value) { editMask_ = value; }
    bool Required() const { return required_; }
    void SetRequired(bool value) { required_ = value; }
    const std::string& DefaultExpression() const { return defaultExpression_; }
    void SetDefaultExpression(const std::string& value) { defaultExpression_ = value; }
    // Whether the value can be written now: not read-only, a data field of a
    // dataset that can be modified.
    bool CanModify() const;
    virtual bool IsBlob() const { return false; }

    // Lookup settings (FieldKind fkLookup): KeyFields of this dataset are
    // matched with LookupKeyFields of LookupDataSet; the value is that of
    // LookupResultField.
    TDataSet* LookupDataSet() const { return lookupDataSet_; }
    void SetLookupDataSet(TDataSet* ds);
    const std::string& KeyFields() const { return keyFields_; }
    void SetKeyFields(const std::string& v) { keyFields_ = v; }
    const std::string& LookupKeyFields() const { return lookupKeyFields_; }
    void SetLookupKeyFields(const std::string& v) { lookupKeyFields_ = v; }
    const std::string& LookupResultField() const { return lookupResultField_; }
    void SetLookupResultField(const std::string& v) { lookupResultField_ = v; }

    // Values. Reading a null value gives the type's empty value (0, "",
    // False); AsXxx for a type the field cannot convert to raises
    // EDatabaseError "Cannot access field 'X' as type T".
    bool IsNull() const;
    void Clear() { SetData(nullptr); }
    std::string AsString() const { return GetAsString(); }
    void SetAsString(const std::string& value) { SetAsStringValue(value); }
    Integer AsInteger() const { return GetAsInteger(); }
    void SetAsInteger(Integer value) { SetAsIntegerValue(value); }
    Int64 AsLargeInt() const { return GetAsLargeInt(); }
    void SetAsLargeInt(Int64 value) { SetAsLargeIntValue(value); }
    double AsFloat() const { return GetAsFloat(); }
    void SetAsFloat(double value) { SetAsFloatValue(value); }
    bool AsBoolean() const { return GetAsBoolean(); }
    void SetAsBoolean(bool value) { SetAsBooleanValue(value); }
    TDateTime AsDateTime() const { return GetAsDateTime(); }
    void SetAsDateTime(TDateTime value) { SetAsDateTimeValue(value); }
    ::Currency AsCurrency() const { return GetAsCurrency(); }
    void SetAsCurrency(::Currency value) { SetAsCurrencyValue(value); }
    // Null for a null value; Null or Unassigned clears the field.
    Variant AsVariant() const { return GetAsVariant(); }
    void SetAsVariant(const Variant& value);
    Variant Value() const { return GetAsVariant(); }
    void SetValue(const Variant& value) { SetAsVariant(value); }
    // The value before editing began, the value being written, and the
    // value currently stored (as far as the dataset keeps them).
    Variant OldValue() const;
    Variant NewValue() const;
    Variant CurValue() const;

    // Text for editing (OnGetText with displayText false) and for display.
    std::string Text() const;
    void SetText(const std::string& text);
    std::string DisplayText() const;

    // Raw access to the native value; buffer may be null to test presence.
    // nativeFormat false exchanges TDateTime (dates and times) and Currency
    // (BCD) instead of the native forms.
    bool GetData(void* buffer, bool nativeFormat = true) const;
    void SetData(const void* buffer, bool nativeFormat = true);
    // Runs OnValidate for a value about to be written (datasets call this
    // from SetFieldData); while it runs, the field reads that value.
    void Validate(const void* buffer);
    // Asks the controls showing this field to take the focus.
    void FocusControl();

    TFieldNotifyEvent OnChange;
    TFieldNotifyEvent OnValidate;
    TFieldGetTextEvent OnGetText;
    TFieldSetTextEvent OnSetText;

protected:
    [[noreturn]] void AccessError(const char* typeName) const;
    void CheckInactive() const;
    // Tells the dataset that a property changed: layout changes reach the
    // data links as LayoutChanged, others as DataSetChanged.
    void PropertyChanged(bool layoutAffected);
    void SetDataType(TFieldType type) { dataType_ = type; }

    virtual std::string GetAsString() const;
    virtual void SetAsStringValue(const std::string& value);
    virtual Integer GetAsInteger() const;
    virtual void SetAsIntegerValue(Integer value);
    virtual Int64 GetAsLargeInt() const;
    virtual void SetAsLargeIntValue(Int64 value);
    virtual double GetAsFloat() const;
    virtual void SetAsFloatValue(double value);
    virtual bool GetAsBoolean() const;
    virtual void SetAsBooleanValue(bool value);
    virtual TDateTime GetAsDateTime() const;
    virtual void SetAsDateTimeValue(TDateTime value);
    virtual ::Currency GetAsCurrency() const;
    virtual void SetAsCurrencyValue(::Currency value);
    virtual Variant GetAsVariant() const;
    // Writes a value that is neither Null nor Unassigned.
    virtual void SetVarValue(const Variant& value);
    virtual void GetText(std::string& text, bool displayText) const;
    virtual void SetTextValue(const std::string& text);
    virtual int GetDefaultWidth() const { return 10; }
    // Raises "Invalid field size" when the type does not take this size.
    virtual void CheckTypeSize(int size) const;
    // Lets a class that stands for several types (string, memo, ...) adopt
    // the type of a field definition.
    virtual void SetFieldType(TFieldType type);
    // Called when the dataset binds (opens) or unbinds its fields.
    virtual void Bind(bool binding);
    virtual void Change();
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TDataSet;
    friend class TFields;
    friend class TFieldDef;
    friend TField* CreateFieldOfType(TFieldType type, TComponent* owner);

    TDataSet* dataSet_ = nullptr;
    // Made by the dataset from its field definitions (DestroyFields frees it).
    bool createdByDataSet_ = false;
    std::string fieldName_;
    std::string displayLabel_;
    int displayWidth_ = 0;
    bool visible_ = true;
    TAlignment alignment_ = taLeftJustify;
    TFieldType dataType_ = ftUnknown;
    TFieldKind fieldKind_ = fkData;
    int size_ = 0;
    int fieldNo_ = 0;
    int offset_ = 0;
    bool readOnly_ = false;
    bool required_ = false;
    std::string defaultExpression_;
    TDataSet* lookupDataSet_ = nullptr;
    std::string keyFields_;
    std::string lookupKeyFields_;
    std::string editMask_;
    std::string lookupResultField_;
    // While OnValidate runs: the value being validated.
    const void* validateBuffer_ = nullptr;
    bool validating_ = false;
};

// The ordered field list of a dataset (not owning).
class TFields {
public:
    explicit TFields(TDataSet* dataSet) : dataSet_(dataSet) {}
    int Count() const { return static_cast<int>(list_.size()); }
    TField* operator[](int index) const { return Fields(index); }
    // Raises EDatabaseError "Field index out of range".
    TField* Fields(int index) const;
    // Case-insensitive; nullptr when absent.
    TField* FindField(const std::string& fieldName) const;
    // Raises EDatabaseError "Field 'X' not found" (prefixed with the
    // dataset's name).
    TField* FieldByName(const std::string& fieldName) const;
    TField* FieldByNumber(int fieldNo) const;
    int IndexOf(const TField* field) const;
    void GetFieldNames(std::vector<std::string>& names) const;
    TDataSet* DataSet() const { return dataSet_; }
    const std::vector<TField*>& List() const { return list_; }

private:
    friend class TField;
    friend class TDataSet;
    void Add(TField* field);
    void Remove(TField* field);
    void SetFieldIndex(TField* field, int index);

    TDataSet* dataSet_;
    std::vector<TField*> list_;
};

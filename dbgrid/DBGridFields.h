#pragma once
// Field adapters: how the grid reads and writes one dataset field. The
// grid's field list (TgrFieldList) holds one adapter per field of the
// dataset, in field order; a data column bound to a field points at that
// field's adapter, and the adapter back at the column. The class of the
// field chooses the adapter class, and with it the control type the column
// is edited with (check box, picture), the maximum length of its text and
// how check boxes map to the field's values.
//
// Every setter first obtains the right to edit (StartEdit: the grid's start
// events and the dataset's edit mode) and writes nothing when refused, so
// a program writing through an adapter edits the record as the grid does.

#include <memory>
#include <string>
#include <vector>

#include "grid/GridPropTypes.h"
#include "platform/core/Currency.h"
#include "platform/core/Variant.h"
#include "platform/data/Field.h"

class TBitmap;
class TBooleanField;
class TgrCustomDBGrid;
class TgrDBCol;

class TgrDBField {
public:
    TgrDBField(TgrCustomDBGrid* grid, TField* field) : grid_(grid), field_(field) {}
    virtual ~TgrDBField() = default;
    TgrDBField(const TgrDBField&) = delete;
    TgrDBField& operator=(const TgrDBField&) = delete;

    TgrCustomDBGrid* Grid() const { return grid_; }
    TField* Field() const { return field_; }
    // The data column bound to this field, or nullptr.
    TgrDBCol* Col() const { return col_; }
    void SetCol(TgrDBCol* col) { col_ = col; }

    // ---- reading
    virtual std::string GetDisplayText() const { return field_->DisplayText(); }
    virtual std::string GetEditText() const { return field_->Text(); }
    virtual Variant GetAsVariant() const { return field_->AsVariant(); }
    virtual std::string GetAsString() const { return field_->AsString(); }
    virtual bool GetAsBoolean() const { return field_->AsBoolean(); }
    virtual Integer GetAsInteger() const { return field_->AsInteger(); }
    virtual double GetAsFloat() const { return field_->AsFloat(); }
    virtual Currency GetAsCurrency() const { return field_->AsCurrency(); }
    // The date-time value of the field (not its currency value).
    virtual TDateTime GetAsDateTime() const { return field_->AsDateTime(); }
    // Masks of numeric fields; empty for the others.
    virtual std::string GetDisplayFormat() const { return std::string(); }
    virtual std::string GetEditFormat() const { return std::string(); }

    // ---- writing (each runs StartEdit first and writes nothing when it
    // answers False)
    virtual void SetEditText(const std::string& text) {
        if (StartEdit()) field_->SetText(text);
    }
    virtual void SetAsVariant(const Variant& value) {
        if (StartEdit()) field_->SetAsVariant(value);
    }
    void SetAsString(const std::string& value) {
        if (StartEdit()) field_->SetAsString(value);
    }
    void SetAsBoolean(bool value) {
        if (StartEdit()) field_->SetAsBoolean(value);
    }
    void SetAsInteger(Integer value) {
        if (StartEdit()) field_->SetAsInteger(value);
    }
    void SetAsFloat(double value) {
        if (StartEdit()) field_->SetAsFloat(value);
    }
    void SetAsCurrency(Currency value) {
        if (StartEdit()) field_->SetAsCurrency(value);
    }
    void SetAsDateTime(TDateTime value) {
        if (StartEdit()) field_->SetAsDateTime(value);
    }
    // The right to edit the field: False when it cannot be modified.
    // Bound to a column, the cell's start event (its column is the current
    // cell's) and the row's must agree and the grid puts the record into
    // edit; without a column the row's start event must agree and the
    // data link edits the record.
    bool StartEdit();

    // ---- what the column takes from the field
    virtual TgrControlType DefaultControlType() const { return ctText; }
    // The longest text a cell may take; 0 for no limit.
    virtual Integer GetMaxLength() const { return 0; }
    // Check boxes over these fields map to the field's own values, never to
    // the column's check-box texts.
    virtual bool IsBooleanField() const { return false; }
    virtual bool IsIntegerField() const { return false; }

    // False when the grid's dataset is read-only, or the field is
    // read-only, calculated or a lookup field.
    bool CanModify() const;
    bool IsNull() const { return field_->IsNull(); }
    bool IsLookup() const { return field_->Lookup(); }
    bool IsMemo() const { return field_->DataType() == ftMemo || field_->DataType() == ftFmtMemo; }
    const std::string& GetFieldName() const { return field_->FieldName(); }
    std::string GetDisplayLabel() const { return field_->DisplayLabel(); }
    bool GetReadOnly() const { return field_->ReadOnly(); }
    bool GetVisible() const { return field_->Visible(); }
    TAlignment GetAlignment() const { return field_->Alignment(); }
    Integer GetDisplayWidth() const { return field_->DisplayWidth(); }
    Integer GetSize() const { return field_->Size(); }
    TFieldType GetDataType() const { return field_->DataType(); }

private:
    TgrCustomDBGrid* grid_;
    TField* field_;
    TgrDBCol* col_ = nullptr;
};

// String fields: a cell takes at most Size characters.
class TgrDBStringField : public TgrDBField {
public:
    using TgrDBField::TgrDBField;
    Integer GetMaxLength() const override { return Field()->Size(); }
};

// Numeric fields show and edit through their masks.
class TgrDBNumericField : public TgrDBField {
public:
    using TgrDBField::TgrDBField;
    std::string GetDisplayFormat() const override;
    std::string GetEditFormat() const override;
};

class TgrDBIntegerField : public TgrDBNumericField {
public:
    using TgrDBNumericField::TgrDBNumericField;
    bool IsIntegerField() const override { return true; }
};
class TgrDBSmallintField : public TgrDBIntegerField {
public:
    using TgrDBIntegerField::TgrDBIntegerField;
};
class TgrDBWordField : public TgrDBIntegerField {
public:
    using TgrDBIntegerField::TgrDBIntegerField;
};
class TgrDBAutoIncField : public TgrDBIntegerField {
public:
    using TgrDBIntegerField::TgrDBIntegerField;
};
class TgrDBFloatField : public TgrDBNumericField {
public:
    using TgrDBNumericField::TgrDBNumericField;
};
class TgrDBCurrencyField : public TgrDBFloatField {
public:
    using TgrDBFloatField::TgrDBFloatField;
};
class TgrDBBCDField : public TgrDBNumericField {
public:
    using TgrDBNumericField::TgrDBNumericField;
};

// A Boolean field shown as a check box: 1 checked, 0 unchecked, 2 grayed
// (Null). The True and False texts are the field's DisplayValues.
class TgrDBBooleanField : public TgrDBField {
public:
    TgrDBBooleanField(TgrCustomDBGrid* grid, TField* field);
    TgrControlType DefaultControlType() const override { return ctCheck; }
    bool IsBooleanField() const override { return true; }
    Variant GetAsVariant() const override;
    void SetAsVariant(const Variant& value) override;
    const std::string& TrueText() const { return trueText_; }
    const std::string& FalseText() const { return falseText_; }

private:
    std::string trueText_, falseText_;
};

class TgrDBDateTimeField : public TgrDBField {
public:
    using TgrDBField::TgrDBField;
};
class TgrDBDateField : public TgrDBDateTimeField {
public:
    using TgrDBDateTimeField::TgrDBDateTimeField;
};
class TgrDBTimeField : public TgrDBDateTimeField {
public:
    using TgrDBDateTimeField::TgrDBDateTimeField;
};

class TgrDBBinaryField : public TgrDBField {
public:
    using TgrDBField::TgrDBField;
};
class TgrDBBytesField : public TgrDBBinaryField {
public:
    using TgrDBBinaryField::TgrDBBinaryField;
};
class TgrDBVarBytesField : public TgrDBBytesField {
public:
    using TgrDBBytesField::TgrDBBytesField;
};

// BLOB fields: the value goes in and out as a whole; the cell shows the
// field's own text ("(BLOB)").
class TgrDBBlobField : public TgrDBField {
public:
    using TgrDBField::TgrDBField;
};

// Memo fields: the cell shows and edits the whole text, through the
// field's OnGetText when it has one.
class TgrDBMemoField : public TgrDBBlobField {
public:
    using TgrDBBlobField::TgrDBBlobField;
    std::string GetDisplayText() const override { return MemoText(true); }
    std::string GetEditText() const override { return MemoText(false); }
    void SetEditText(const std::string& text) override {
        if (StartEdit()) Field()->SetAsString(text);
    }

private:
    std::string MemoText(bool displayText) const;
};

// Graphic fields: shown as pictures. The blob holds a BMP or JPEG file,
// possibly behind the 8-byte graphic header (count 1, type 0x0100, size).
class TgrDBGraphicField : public TgrDBBlobField {
public:
    using TgrDBBlobField::TgrDBBlobField;
    TgrControlType DefaultControlType() const override { return ctPicture; }
    // Loads the picture into bitmap (emptied for a null field); raises
    // EInvalidGraphic when the data is neither a BMP nor a JPEG file.
    void AssignTo(TBitmap& bitmap) const;
    // Stores the bitmap as a BMP file (an empty one stores Null).
    void Assign(TBitmap& bitmap);
};

// A field's layout attributes as the record window last saw them: the
// window compares the fields with their layouts when the dataset reports
// that its layout changed, to tell whether the columns must follow.
class TgrFieldLayout {
public:
    void Capture(const TField* field);
    // Name and label compare exactly (case counts).
    bool Matches(const TField* field) const;
    const std::string& FieldName() const { return fieldName_; }

private:
    std::string fieldName_, displayLabel_;
    Integer displayWidth_ = 0;
    bool readOnly_ = false, visible_ = false;
    // A Boolean field's texts; empty for the others.
    std::string displayValues_;
};

// The grid's adapters, one per field of its dataset in field order (index
// i is field i), owned by the list.
class TgrFieldList {
public:
    explicit TgrFieldList(TgrCustomDBGrid* grid) : grid_(grid) {}
    ~TgrFieldList() { ClearAdapters(); }
    TgrFieldList(const TgrFieldList&) = delete;
    TgrFieldList& operator=(const TgrFieldList&) = delete;

    Integer Count() const { return Integer(adapters_.size()); }
    TgrDBField* Items(Integer index) const;
    // Unbinds the columns bound to the adapters, then frees them.
    void ClearAdapters();
    // One adapter per field of the grid's dataset; none when there is no
    // dataset, or when it is closed and has only the fields it makes
    // itself (a closed dataset with persistent fields keeps its adapters).
    void Rebuild();
    // The adapter class of a field: the first match, in order, of string,
    // integer, float, BCD, Boolean, date-time, binary, memo, graphic and
    // BLOB fields (derived field classes get their ancestor's adapter);
    // any other field gets the base adapter.
    std::unique_ptr<TgrDBField> CreateAdapter(TField* field) const;
    // The first adapter whose field name matches regardless of case.
    TgrDBField* FindByName(const std::string& name) const;
    // The index of the adapter of exactly this field, -1 when none.
    Integer IndexOfField(const TField* field) const;

private:
    TgrCustomDBGrid* grid_;
    std::vector<std::unique_ptr<TgrDBField>> adapters_;
};

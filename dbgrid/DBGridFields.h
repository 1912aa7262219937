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

#include "dbgrid/DBGridCursor.h"
#include "grid/GridPropTypes.h"
#include "platform/core/Currency.h"
#include "platform/core/Streams.h"
#include "platform/core/Variant.h"
#include "platform/data/Field.h"

class TBitmap;
class TBooleanField;
class TgrCustomDBGrid;
class TgrDBCol;
class TgrScrollDataset;
class TStrings;
class TStream;

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

    // ---- reading. Over the standard window each getter is the field's own
    // accessor; over the engine-cursor window (CursorWindow) the adapter
    // reads the field's native value out of the window's record and
    // converts it itself, by the rules of the field's class
    // (DBGridFieldsCursor.cpp).
    virtual std::string GetDisplayText() const;
    virtual std::string GetEditText() const;
    // The text of the native value: display or edit text (cursor window).
    virtual std::string GetText(bool displayText) const { return GetAsString(); }
    virtual Variant GetAsVariant() const;
    virtual std::string GetAsString() const;
    virtual bool GetAsBoolean() const;
    virtual Integer GetAsInteger() const;
    virtual double GetAsFloat() const;
    virtual Currency GetAsCurrency() const;
    // The date-time value of the field (not its currency value).
    virtual TDateTime GetAsDateTime() const;
    // Masks of numeric and date-time fields; empty for the others.
    virtual std::string GetDisplayFormat() const { return std::string(); }
    virtual std::string GetEditFormat() const { return std::string(); }
    // Texts of string and memo fields are converted between the engine
    // cursor's character set and the program's.
    virtual bool GetTransliterate() const { return false; }
    virtual void SetTransliterate(bool) {}

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

    // ---- the engine-cursor window (DBGridFieldsCursor.cpp)
    // The grid's engine-cursor window while the grid reads through it;
    // nullptr over the standard window.
    TgrScrollDataset* CursorWindow() const;
    // The native value of the window's current record (the dataset's own
    // record while it is being edited there; a lookup field's value kept
    // with the window's record); False when the field has none. value may
    // be nullptr to test for one.
    bool GetData(Variant* value) const;
    // The text value in the program's character set; False without one.
    bool GetNativeString(std::string& text) const;
    // A typed text as the field's native value in a record buffer, for the
    // window's key search; False when the text does not fit the field (an
    // empty text puts a blank).
    virtual bool PutKeyText(TgrEngineRecord& record, const std::string& text);
    // Lookup fields: the window keeps the looked-up value with each record
    // it reads, at FLookupOffset among the record's lookup values (the
    // window lays them out when it sizes its slots; -1 until then and for
    // other fields).
    Integer FLookupOffset = -1;
    // Looks the value up in the lookup dataset (Null when it is closed)
    // and keeps it with the window's current record.
    void ResolveLookup();
    void SetLookupValue(const Variant& value);
    virtual void StoreLookupValue(const Variant& value) { WriteLookupValue(ToEngineValue(field_, value)); }
    void WriteLookupValue(const Variant& native);
    bool ReadLookupValue(Variant* native) const;
    void ClearLookupValue();

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
    bool IsNull() const;
    bool IsLookup() const { return field_->Lookup(); }
    bool IsMemo() const { return field_->DataType() == ftMemo || field_->DataType() == ftFmtMemo; }
    const std::string& GetFieldName() const { return field_->FieldName(); }
    std::string GetDisplayLabel() const { return field_->DisplayLabel(); }
    std::string GetDisplayName() const { return field_->DisplayName(); }
    const std::string& GetEditMask() const { return field_->EditMask(); }
    Integer GetFieldNo() const { return field_->FieldNo(); }
    Integer GetDataSize() const { return field_->DataSize(); }
    bool GetReadOnly() const { return field_->ReadOnly(); }
    bool GetVisible() const { return field_->Visible(); }
    TAlignment GetAlignment() const { return field_->Alignment(); }
    Integer GetDisplayWidth() const { return field_->DisplayWidth(); }
    Integer GetSize() const { return field_->Size(); }
    TFieldType GetDataType() const { return field_->DataType(); }

protected:
    // Edit text asks for the edit format when there is one, display text
    // and edit text without one for the display format.
    std::string TextFormat(bool displayText) const;

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
    // Over the engine-cursor window: the text itself (display text through
    // the field's EditMask), converted by strict rules.
    std::string GetText(bool displayText) const override;
    bool GetAsBoolean() const override;
    TDateTime GetAsDateTime() const override;
    double GetAsFloat() const override;
    Integer GetAsInteger() const override;
    std::string GetAsString() const override;
    Variant GetAsVariant() const override;
    bool PutKeyText(TgrEngineRecord& record, const std::string& text) override;
    bool GetTransliterate() const override;
    void SetTransliterate(bool value) override;
};

// Numeric fields show and edit through their masks.
class TgrDBNumericField : public TgrDBField {
public:
    using TgrDBField::TgrDBField;
    std::string GetDisplayFormat() const override;
    std::string GetEditFormat() const override;

protected:
    // The native integer (16-bit kinds widened); False without a value.
    bool ReadInteger(Integer& value) const;
};

class TgrDBIntegerField : public TgrDBNumericField {
public:
    using TgrDBNumericField::TgrDBNumericField;
    bool IsIntegerField() const override { return true; }
    std::string GetText(bool displayText) const override;
    double GetAsFloat() const override;
    Integer GetAsInteger() const override;
    std::string GetAsString() const override;
    Variant GetAsVariant() const override;
    void StoreLookupValue(const Variant& value) override;
    bool PutKeyText(TgrEngineRecord& record, const std::string& text) override;
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
    std::string GetText(bool displayText) const override;
    double GetAsFloat() const override;
    Integer GetAsInteger() const override;
    std::string GetAsString() const override;
    Variant GetAsVariant() const override;
    void StoreLookupValue(const Variant& value) override;
    bool PutKeyText(TgrEngineRecord& record, const std::string& text) override;

protected:
    bool ReadFloat(double& value) const;
};
class TgrDBCurrencyField : public TgrDBFloatField {
public:
    using TgrDBFloatField::TgrDBFloatField;
};
class TgrDBBCDField : public TgrDBNumericField {
public:
    using TgrDBNumericField::TgrDBNumericField;
    std::string GetText(bool displayText) const override;
    Currency GetAsCurrency() const override;
    double GetAsFloat() const override;
    Integer GetAsInteger() const override;
    std::string GetAsString() const override;
    Variant GetAsVariant() const override;
    void StoreLookupValue(const Variant& value) override;
    bool PutKeyText(TgrEngineRecord& record, const std::string& text) override;

protected:
    // The native BCD as a currency; False without a value. A value out of
    // the currency range raises "Value of field '<name>' is out of range",
    // or sets overflow when asked for.
    bool ReadCurrency(Currency& value, bool* overflow = nullptr) const;
};

// A Boolean field shown as a check box: 1 checked, 0 unchecked, 2 grayed
// (Null). Over the engine-cursor window its texts are the field's
// DisplayValues ("True" and "False" without them).
class TgrDBBooleanField : public TgrDBField {
public:
    TgrDBBooleanField(TgrCustomDBGrid* grid, TField* field);
    TgrControlType DefaultControlType() const override { return ctCheck; }
    bool IsBooleanField() const override { return true; }
    bool GetAsBoolean() const override;
    std::string GetAsString() const override;
    Variant GetAsVariant() const override;
    void SetAsVariant(const Variant& value) override;
    void StoreLookupValue(const Variant& value) override;
    // Typed text matching the start of the False or True text (any case).
    bool PutKeyText(TgrEngineRecord& record, const std::string& text) override;
    const std::string& TrueText() const { return trueText_; }
    const std::string& FalseText() const { return falseText_; }

private:
    // Splits the field's DisplayValues when they changed since last time.
    void UpdateDisplayValues() const;
    mutable std::string splitValues_, trueText_, falseText_;
};

class TgrDBDateTimeField : public TgrDBField {
public:
    using TgrDBField::TgrDBField;
    std::string GetText(bool displayText) const override;
    TDateTime GetAsDateTime() const override;
    double GetAsFloat() const override;
    std::string GetAsString() const override;
    Variant GetAsVariant() const override;
    std::string GetDisplayFormat() const override;
    void StoreLookupValue(const Variant& value) override;
    bool PutKeyText(TgrEngineRecord& record, const std::string& text) override;

protected:
    bool ReadDateTime(TDateTime& value) const;
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
    std::string GetAsString() const override;
    Variant GetAsVariant() const override;
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
// field's own text ("(BLOB)"). Over the engine-cursor window the value is
// read through a TgrDBBlobStream.
class TgrDBBlobField : public TgrDBField {
public:
    using TgrDBField::TgrDBField;
    std::string GetAsString() const override;
    Variant GetAsVariant() const override;
    // Loads the picture into bitmap (emptied for a null field), after the
    // 8-byte graphic header when the blob starts with one (count 1, type
    // 0x0100, the size of the rest); raises EInvalidGraphic when the data
    // is neither a BMP nor a JPEG file.
    void AssignTo(TBitmap& bitmap) const;
    // Loads the text as lines (LoadStrings).
    void AssignTo(TStrings& strings) const;
    // The whole value as lines; over the engine-cursor window read through
    // a blob stream over the window's current record.
    void LoadStrings(TStrings& strings) const;
    // Copies another blob adapter's value into the field (CopyBlob).
    void Assign(const TgrDBBlobField& source);
    // Reads a blob's picture from a stream at its start.
    static void LoadBitmap(TStream& stream, TBitmap& bitmap, const std::string& fieldName);
    void CopyBlob(const TgrDBBlobField& source);
};

// Memo fields: the cell shows and edits the whole text, through the
// field's OnGetText when it has one.
class TgrDBMemoField : public TgrDBBlobField {
public:
    using TgrDBBlobField::TgrDBBlobField;
    std::string GetDisplayText() const override;
    std::string GetEditText() const override;
    void SetEditText(const std::string& text) override {
        if (StartEdit()) Field()->SetAsString(text);
    }
    bool GetTransliterate() const override;
    void SetTransliterate(bool value) override;

private:
    std::string MemoText(bool displayText) const;
};

// Graphic fields: shown as pictures. The blob holds a BMP or JPEG file,
// possibly behind the 8-byte graphic header (count 1, type 0x0100, size).
class TgrDBGraphicField : public TgrDBBlobField {
public:
    using TgrDBBlobField::TgrDBBlobField;
    using TgrDBBlobField::Assign;
    TgrControlType DefaultControlType() const override { return ctPicture; }
    // Stores the bitmap as a BMP file (an empty one stores Null).
    void Assign(TBitmap& bitmap);
};

// A stream over a blob field's value. Over the engine-cursor window it
// reads the window's current record through the engine (unless the record
// is the one the dataset edits); otherwise, and for writing, it is the
// dataset's own blob stream.
class TgrDBBlobStream : public TStream {
public:
    TgrDBBlobStream(const TgrDBBlobField* adapter, bool writeMode);
    ~TgrDBBlobStream() override;
    Integer Read(void* buffer, Integer count) override;
    Integer Write(const void* buffer, Integer count) override;
    Int64 Seek(Int64 offset, TSeekOrigin origin) override;
    Int64 Size() override { return inner_ ? inner_->Size() : GetBlobSize(); }
    Int64 GetBlobSize();

private:
    Integer ReadEngine(void* buffer, Integer count);
    const TgrDBBlobField* adapter_;
    TgrScrollDataset* window_ = nullptr;
    // The window's record the blob is read from.
    TgrEngineRecord record_;
    bool opened_ = false;
    Int64 position_ = 0;
    // Converted text not read yet.
    std::string pending_;
    std::unique_ptr<TStream> inner_;
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

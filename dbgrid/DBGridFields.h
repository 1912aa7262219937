#pragma once
// Field adapters: how the grid reads and writes one dataset field. Each
// column bound to a field holds one adapter; the kind of field chooses the
// adapter class and the control type the column is edited with.

#include <memory>
#include <string>

#include "grid/GridPropTypes.h"
#include "platform/core/Variant.h"
#include "platform/data/Field.h"

class TBitmap;

class TgrDBField {
public:
    explicit TgrDBField(TField* field) : field_(field) {}
    virtual ~TgrDBField() = default;
    static std::unique_ptr<TgrDBField> Create(TField* field);

    TField* Field() const { return field_; }
    virtual TgrControlType DefaultControlType() const { return ctText; }
    virtual std::string GetDisplayText() const { return field_->DisplayText(); }
    virtual std::string GetEditText() const { return field_->Text(); }
    virtual void SetEditText(const std::string& text) { field_->SetText(text); }
    virtual Variant GetAsVariant() const { return field_->AsVariant(); }
    virtual void SetAsVariant(const Variant& value) { field_->SetAsVariant(value); }
    // The date-time value of the field (not its currency value).
    virtual TDateTime GetAsDateTime() const { return field_->AsDateTime(); }
    bool IsNull() const { return field_->IsNull(); }
    bool IsMemo() const;

private:
    TField* field_;
};

// A Boolean field shown as a check box: 1 checked, 0 unchecked, 2 grayed
// (Null).
class TgrDBBooleanField : public TgrDBField {
public:
    using TgrDBField::TgrDBField;
    TgrControlType DefaultControlType() const override { return ctCheck; }
    Variant GetAsVariant() const override;
    void SetAsVariant(const Variant& value) override;
};

// Memo and BLOB fields: the text goes in and out as a whole.
class TgrDBBlobField : public TgrDBField {
public:
    using TgrDBField::TgrDBField;
    std::string GetDisplayText() const override { return Field()->AsString(); }
    std::string GetEditText() const override { return Field()->AsString(); }
    void SetEditText(const std::string& text) override { Field()->SetAsString(text); }
};

// Graphic fields: shown as pictures. The blob holds a BMP or JPEG file,
// possibly behind the 8-byte graphic header (count 1, type 0x0100, size).
class TgrDBGraphicField : public TgrDBBlobField {
public:
    using TgrDBBlobField::TgrDBBlobField;
    TgrControlType DefaultControlType() const override { return ctPicture; }
    // The field's own texts ("(GRAPHIC)"), never the raw bytes.
    std::string GetDisplayText() const override { return Field()->DisplayText(); }
    std::string GetEditText() const override { return Field()->Text(); }
    // Loads the picture into bitmap (emptied for a null field); raises
    // EInvalidGraphic when the data is neither a BMP nor a JPEG file.
    void AssignTo(TBitmap& bitmap) const;
    // Stores the bitmap as a BMP file (an empty one stores Null).
    void Assign(TBitmap& bitmap);
};

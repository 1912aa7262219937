#pragma once
// The columns of the data-aware grid. A column bound to a field shows the
// field's own attributes (alignment, read-only state, width from its
// DisplayWidth, visibility, control type, maximum edit length, whether a
// check box may be grayed) until the program or the user sets one on the
// column itself; AssignedValues records which were set, so a rebinding
// keeps them.

#include "grid/GridCollections.h"

class TgrDBField;
class TDataSource;

class TgrDBCol : public TgrCol {
public:
    // Bits of AssignedValues.
    enum : Byte {
        avAlignment = 1, avWidth = 2, avVisible = 4, avMaxLength = 8, avControlType = 16, avAllowGrayed = 32
    };

    explicit TgrDBCol(TgrPropGrid* grid) : TgrCol(grid) {}
    ~TgrDBCol() override { UnbindField(); }

    TgrDBField* Adapter() const { return adapter_; }
    // Binds the column to a field's adapter (the adapter's column becomes
    // this one) and applies the field's attributes the column has not set
    // itself.
    void BindField(TgrDBField* adapter);
    void UnbindField();
    // Check boxes over integer and Boolean fields map to the field's own
    // values, not to the column's check-box texts.
    bool UsesCheckBoxValues() const override;
    Byte AssignedValues() const { return assigned_; }
    void SetAssignedValues(Byte value) { assigned_ = value; }
    // The user resized the column: its width no longer follows the field.
    void MarkWidthAssigned() { assigned_ |= avWidth; }

    TAlignment GetAlignment() const override;
    TgrHorzAlignment GetHorzAlignment() const override;
    bool GetReadOnly() const override;
    void SetAlignment(TAlignment value) override;
    void SetHorzAlignment(TgrHorzAlignment value) override;
    void SetWidth(Integer value) override;
    void SetVisible(bool value) override;
    void SetMaxLength(Integer value) override;
    void SetControlType(TgrControlType value) override;
    void SetAllowGrayed(bool value) override;

    // Form files carry "AssignedValues": one character whose code is the
    // flag byte. Read, it replaces the flags the other properties set and
    // the field speaks again for the rest.
    void WriteOwnProperties(TWriter& writer) override;
    bool ReadOwnProperty(const std::string& name, TReader& reader) override;

    // The width a bound column takes from its field: DisplayWidth times the
    // width of "0" in the column's font (the grid's while ParentFont) and 6
    // pixels, with headings shown at least the heading's width and 6. An
    // unbound column: the grid's DefaultColWidth.
    Integer DefaultWidth() const;
    // The column's own heading, else (bound) the field's label.
    std::string GetHeading() const override;
    // A bound column takes what its field says of each attribute it has
    // not set itself (width, visibility, control type, maximum length,
    // AllowGrayed), in that order; each single default below is skipped
    // while its flag is set.
    void ApplyFieldDefaults();
    void ApplyDefaultWidth();
    void ApplyDefaultVisible();
    // The adapter's control type: text, check for Boolean fields, picture
    // for graphic fields.
    void ApplyDefaultControlType();
    // The adapter's maximum length: a string field's Size, else 0.
    void ApplyDefaultMaxLength();
    // A Boolean field that is not required may show the null state.
    void ApplyDefaultAllowGrayed();
    // The defined property "AssignedValues": a one-character string whose
    // code is the flag byte; read, the flags are replaced and the field
    // speaks again for the rest.
    void WriteAssignedValues(TWriter& writer);
    void ReadAssignedValues(TReader& reader);
    // True when the column is bound to a lookup field.
    static bool IsLookupColumn(const TgrCol* col);
    // Resetting width, visibility, alignment, maximum length or AllowGrayed
    // lets the field speak for that attribute again.
    void ResetProperties(const TgrPropIdSet& ids) override;
    // Default only with nothing set on the column itself.
    bool IsDefault() const override;
    // A copied data column takes the source's AssignedValues too.
    void CopyProperties(const TgrCol& source) override;
    // The resets of the attributes a column ties to its field: each clears
    // its flag, when it was set, and lets the field speak again.
    void ResetWidthDefault();
    void ResetVisibleDefault();
    void ResetAlignmentDefault();
    void ResetMaxLengthDefault();
    void ResetAllowGrayedDefault();
    // The data source of the list of the column's combo (nullptr without a
    // data-aware combo); set, nothing happens without one.
    TDataSource* GetComboDatasource() const;
    void SetComboDatasource(TDataSource* source);
    // The published "ComboDatasource": the name of that data source, found
    // among the components of the grid's owner when set ('' for none; a
    // name nothing answers to changes nothing); stored only when named.
    static void RegisterPublished();

private:

    TgrDBField* adapter_ = nullptr;
    Byte assigned_ = 0;
};

// The data-aware grid's column list: its columns are TgrDBCol.
class TgrDBGridCols : public TgrGridCols {
public:
    // The list starts empty (its base would make plain columns) and then
    // takes the grid's column count through this class's factory.
    explicit TgrDBGridCols(TgrPropGrid* grid) : TgrGridCols(0, grid), grid_(grid) { SetCount(0); }

protected:
    TgrCol* CreateCol() override { return new TgrDBCol(grid_); }

private:
    TgrPropGrid* grid_;
};

#pragma once
// Sparse per-cell attributes. A cell that overrides at least one attribute
// has one property record, kept in an ordered set keyed by (data column,
// data row); a record whose attributes are all back at their defaults is
// dropped at once. TgrCell is a facade that reads and writes one cell's
// attributes through the grid and stores nothing itself.

#include <string>
#include <vector>

#include "grid/GridPropOwner.h"
#include "grid/GridPropTypes.h"
#include "grid/TSSetLib.h"
#include "platform/core/Filer.h"
#include "platform/core/Object.h"
#include "platform/gui/Bitmap.h"
#include "platform/gui/Graphics.h"

// ---------------------------------------------------------------- elements

class TgrCustomElement : public TgrSetElement {
public:
    explicit TgrCustomElement(TgrPropGrid* grid) : Grid(grid) {}
    TgrPropGrid* Grid;

protected:
    ~TgrCustomElement() override = default;
};

class TgrCustomPropElement : public TgrCustomElement {
public:
    explicit TgrCustomPropElement(TgrPropGrid* grid);

    // One attribute as a Variant; Empty for ids the record does not hold
    // and for id 24 with a kind outside 1..4.
    virtual Variant GetValue(TgrPropId id, TgrPictureKind kind) const;
    // Stores one attribute through its setter where it has one; ids the
    // record does not hold are ignored.
    virtual void SetValue(const Variant& value, TgrPropId id, TgrPictureKind kind);
    // Copies the attributes (not tag, object or KeepFontObject).
    virtual void CopyProperties(const TgrCustomPropElement& source);
    virtual void Assign(const TgrCustomPropElement& source);
    // Every attribute at its construction value and nothing owned.
    virtual bool IsDefault() const;
    virtual void FontChanged();
    virtual void SetFont(TFont* font);
    virtual void SetParentFont(bool value);
    // The grid's font changed: refresh a kept copy while ParentFont.
    virtual void GridFontChanged();
    virtual void CreateCombo();

    void SetAlignment(TAlignment value);
    void SetAlign(bool value);
    void SetHorzAlignment(TgrHorzAlignment value);
    void SetButtonType(TgrButtonType value);
    TgrDropDownStyle GetDropDownStyle() const;
    void SetDropDownStyle(TgrDropDownStyle value);
    void SetCombo(const TgrCombo* source);
    void SetParentCombo(bool value);
    void SetDateTimeDef(TgrDateTimeDefComponent* def);
    void FreeCombo();

    void SetFontObject(const TFont* font);
    void SetFontObjectLocked(const TFont* font);
    void LockFontUpdate(bool unlock);
    bool IsFontUnlocked() const { return FontUpdateCount == 0; }
    // Drops the own font while ParentFont (locked).
    void DropParentFontCopy();

    TColor Color = grColorNotSet;
    TFont* Font = nullptr;
    bool ParentFont = true;
    Byte Alignment = Byte(taLeftJustify);
    bool Align = false;
    Byte HorzAlignment = Byte(htaDefault);
    Byte VertAlignment = Byte(vtaDefault);
    bool Is3D = false;
    bool ReadOnlyFlag = false;
    Byte WordWrap = Byte(wwDefault);
    Byte ButtonType = Byte(btDefault);
    Byte DropDownStyle = Byte(ddDropDown);
    Byte ReadOnly = Byte(roDefault);
    std::string MaskName;
    Integer FontUpdateCount = 0;
    bool KeepFontObject = false;
    TgrCombo* Combo = nullptr;
    bool ParentCombo = true;
    Byte StretchPicture = Byte(dopDefault);
    Byte ShrinkPicture = Byte(dopDefault);
    Byte CenterPicture = Byte(dopDefault);
    Byte KeepAspectRatio = Byte(dopDefault);
    Byte ControlType = Byte(ctDefault);
    TgrSpinOptions SpinOptions = grAllSpinOptions;
    double SpinIncrement = 1.0;
    TgrDateTimeDefComponent* DateTimeDef = nullptr;
    Integer Tag = 0;
    void* Object = nullptr;

protected:
    ~TgrCustomPropElement() override;
    Byte* PictureField(TgrPictureKind kind);
    const Byte* PictureField(TgrPictureKind kind) const;
    void HookFont();
};

class TgrCellElement : public TgrCustomPropElement {
public:
    TgrCellElement(TgrPropGrid* grid, Integer dataCol, Integer dataRow);

    int CompareElement(TgrCustomSet* set, const TgrSetElement* other) const override;
    // key: (data column, data row).
    int CompareKey(TgrCustomSet* set, const TgrKeyValues& key, Integer limit) const override;
    std::string KeyText() const override;
    void Assign(const TgrCustomPropElement& source) override;
    void FontChanged() override;
    void SetParentFont(bool value) override;
    void GridFontChanged() override;
    void CreateCombo() override;

    Integer DataCol;
    Integer DataRow;

protected:
    ~TgrCellElement() override;
    void RepaintForFont();
};

// The key of a cell record.
TgrKeyValues CellKey(Integer dataCol, Integer dataRow);

// -------------------------------------------------------------------- sets

class TgrCustomPropSet : public TgrObjectSet {
public:
    explicit TgrCustomPropSet(TgrPropGrid* grid) : Grid(grid) {}

    virtual TgrCustomPropElement* CreateElement(const TgrKeyValues& key) = 0;
    virtual void AddElement(TgrCustomPropElement* element);
    virtual void RemoveElement(TgrCustomPropElement* element) = 0;
    // Removes the record when it is all default; answers IsDefault.
    virtual bool RemoveIfDefault(TgrCustomPropElement* element) = 0;
    // Sets one attribute for key; element is the record already found for
    // the key (or none) and becomes none when the record is dropped.
    // Answers whether anything changed.
    virtual bool SetPropValue(const TgrKeyValues& key, bool repaint, TgrPictureKind kind, TgrPropId id,
                              const Variant& value, TgrCustomPropElement*& element);
    virtual void SetKeepFontObject(const TgrKeyValues& key, bool flag, TgrCustomPropElement*& element);

    // Gives the ids of the set their defaults in one record (repainting it
    // at most once) or in every record.
    void ResetElementProperties(TgrCustomPropElement*& element, const TgrPropIdSet& ids, bool repaint);
    void ResetProperties(const TgrPropIdSet& ids, bool repaint);

    TgrPropGrid* Grid;

protected:
    // While copying another set, each record is replaced by a new record of
    // the same kind bound to this set's grid.
    TgrSetNode* NewNode(const void* key) override;
    virtual TgrCustomPropElement* CloneElement(const TgrCustomPropElement& source) = 0;
    bool SetPropValueCore(const TgrKeyValues& key, TgrPictureKind kind, TgrPropId id, const Variant& value,
                          TgrCustomPropElement*& element);
};

class TgrCellPropSet : public TgrCustomPropSet {
public:
    using TgrCustomPropSet::TgrCustomPropSet;
    ~TgrCellPropSet() override;

    TgrCustomPropElement* CreateElement(const TgrKeyValues& key) override;
    void AddElement(TgrCustomPropElement* element) override;
    void RemoveElement(TgrCustomPropElement* element) override;
    bool RemoveIfDefault(TgrCustomPropElement* element) override;
    bool SetPropValue(const TgrKeyValues& key, bool repaint, TgrPictureKind kind, TgrPropId id,
                      const Variant& value, TgrCustomPropElement*& element) override;
    void SetKeepFontObject(const TgrKeyValues& key, bool flag, TgrCustomPropElement*& element) override;

    TgrCellElement* FindCell(Integer dataCol, Integer dataRow);
    void RepaintCell(Integer dataCol, Integer dataRow, bool drawingOnly);

protected:
    TgrCustomPropElement* CloneElement(const TgrCustomPropElement& source) override;
};

// The cell records of the set in key order.
std::vector<TgrCellElement*> CellRecords(TgrCellPropSet* set);

// ------------------------------------------------------------ small helpers

Variant BitmapToVariant(const TBitmap* bitmap);
TBitmap* VariantToBitmap(const Variant& value);
struct TgrCellRange {
    Integer Left = 0;
    Integer Top = 0;
    Integer Right = 0;
    Integer Bottom = 0;
    bool operator==(const TgrCellRange&) const = default;
};
TgrCellRange MakeCellRange(Integer left, Integer top, Integer right, Integer bottom);
// A legacy alignment identifier: 0 taLeftJustify, 1 taRightJustify,
// 2 taCenter, in any letter case; 0 for anything else.
Byte AlignmentIdentValue(const std::string& ident);
Byte ReadAlignmentIdent(TReader& reader);

// ------------------------------------------------------------- cell facade

class TgrCell : public TPersistent {
public:
    TgrCell(TgrPropGrid* grid, Integer dataCol, const Variant& dataRow);

    virtual TColor GetColor() const;
    virtual void SetColor(TColor value);
    virtual TgrControlType GetControlType() const;
    virtual void SetControlType(TgrControlType value);
    virtual TgrSpinOptions GetSpinOptions() const;
    virtual void SetSpinOptions(TgrSpinOptions value);
    virtual double GetSpinIncrement() const;
    virtual void SetSpinIncrement(double value);
    virtual TFont* GetFont() const;
    virtual void SetFont(TFont* value);
    virtual bool GetParentFont() const;
    virtual void SetParentFont(bool value);
    virtual TAlignment GetAlignment() const;
    virtual void SetAlignment(TAlignment value);
    virtual bool GetAlign() const;
    virtual void SetAlign(bool value);
    virtual TgrHorzAlignment GetHorzAlignment() const;
    virtual void SetHorzAlignment(TgrHorzAlignment value);
    virtual TgrVertAlignment GetVertAlignment() const;
    virtual void SetVertAlignment(TgrVertAlignment value);
    virtual bool GetIs3D() const;
    virtual void SetIs3D(bool value);
    virtual TgrWordWrap GetWordWrap() const;
    virtual void SetWordWrap(TgrWordWrap value);
    virtual TgrButtonType GetButtonType() const;
    virtual void SetButtonType(TgrButtonType value);
    virtual TgrDropDownStyle GetDropDownStyle() const;
    virtual void SetDropDownStyle(TgrDropDownStyle value);
    virtual TgrReadOnly GetReadOnly() const;
    virtual void SetReadOnly(TgrReadOnly value);
    virtual std::string GetMaskName() const;
    virtual void SetMaskName(const std::string& value);
    virtual bool GetKeepFontObject() const;
    virtual void SetKeepFontObject(bool value);
    virtual TgrCombo* GetCombo() const;
    virtual void SetCombo(TgrCombo* value);
    virtual TgrCombo* CreateCombo();
    virtual bool GetParentCombo() const;
    virtual void SetParentCombo(bool value);
    virtual TgrDrawOption GetStretchPicture() const;
    virtual void SetStretchPicture(TgrDrawOption value);
    virtual TgrDrawOption GetShrinkPicture() const;
    virtual void SetShrinkPicture(TgrDrawOption value);
    virtual TgrDrawOption GetCenterPicture() const;
    virtual void SetCenterPicture(TgrDrawOption value);
    virtual TgrDrawOption GetKeepAspectRatio() const;
    virtual void SetKeepAspectRatio(TgrDrawOption value);
    virtual TgrDateTimeDefComponent* GetDateTimeDef() const;
    virtual void SetDateTimeDef(TgrDateTimeDefComponent* value);

    void Assign(const TPersistent* source) override;
    // Whether the form-file property "Combo" is written: the cell has a
    // combo and its ButtonType is btCombo.
    bool IsComboStored() const;
    bool IsSpinIncrementStored() const { return GetSpinIncrement() != 1.0; }

    TgrPropGrid* Grid;
    Integer DataCol;
    Variant DataRow;

protected:
    Integer Row() const;
    // Every attribute goes through these two; a facade that names its cell
    // otherwise (by record) supplies its own.
    virtual Variant Get(TgrPropId id, TgrPictureKind kind = pkNoPicture) const;
    virtual void Set(TgrPropId id, const Variant& value, TgrPictureKind kind = pkNoPicture);
};

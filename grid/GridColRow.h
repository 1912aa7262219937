#pragma once
// Column and row attribute objects. Every data column has a TgrCol; a data
// row has a TgrRow only while it differs from the defaults (the heading row
// always has one). Setters do nothing for an unchanged value and repaint
// only what the attribute affects: drawing attributes invalidate the
// column (row) unless the grid is painting, attributes that change editing
// invalidate it always and refresh the in-cell control at the current
// cell, heading attributes repaint only the heading cell.
//
// TgrDesignRow is the published face of one row: it holds nothing and
// forwards every property to the grid's row accessors.

#include <functional>
#include <memory>
#include <string>

#include "grid/GridPropOwner.h"
#include "grid/GridPropTypes.h"
#include "platform/core/Object.h"
#include "platform/gui/Graphics.h"

class TReader;
class TWriter;

// A font object owned by a column or row, with an update counter so that
// the object's own assignments are not taken for user changes.
class TgrOwnFont {
public:
    TgrOwnFont() = default;
    ~TgrOwnFont() { delete font_; }
    TgrOwnFont(const TgrOwnFont&) = delete;
    TgrOwnFont& operator=(const TgrOwnFont&) = delete;

    TFont* Get() const { return font_; }
    // Nothing for the font already held; none frees the own font; another
    // font is copied into the own one (made on demand).
    void SetObject(const TFont* font);
    // The same inside an update: the change notification is not run.
    void SetObjectLocked(const TFont* font);
    bool Unlocked() const { return counter_ == 0; }
    Integer Counter() const { return counter_; }

    // Runs when the own font changes outside an update.
    std::function<void()> OnUserChange;

private:
    TFont* font_ = nullptr;
    Integer counter_ = 0;
};

// ------------------------------------------------------------- col and row

// What a column and a row have in common: the drawing and editing
// attributes and their setters. The owner says where it lies in the grid
// through the hooks below.
class TgrColRowBase : public TPersistent {
public:
    explicit TgrColRowBase(TgrPropGrid* grid);

    TgrPropGrid* Grid() const { return grid_; }
    // Whether the grid's current cell lies in this column (row).
    virtual bool HoldsCurrentCell() const = 0;

    // ---- drawing attributes
    TColor Color() const { return color_; }
    void SetColor(TColor value);
    // The own font by the streaming rules (may take or drop a copy).
    TFont* GetFont();
    TFont* OwnFont() const { return font_.Get(); }
    void SetFont(const TFont* value);
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool value);
    // The grid font changed: a copy kept while ParentFont takes it anew,
    // without counting as the user's change.
    void FollowGridFont();
    virtual void SetAlignment(TAlignment value);
    void SetAlign(bool value);
    virtual void SetHorzAlignment(TgrHorzAlignment value);
    TgrVertAlignment VertAlignment() const { return vertAlignment_; }
    void SetVertAlignment(TgrVertAlignment value);
    TgrWordWrap WordWrap() const { return wordWrap_; }
    void SetWordWrap(TgrWordWrap value);
    TgrDrawOption GetPicture(TgrPictureKind kind) const;
    void SetPicture(TgrPictureKind kind, TgrDrawOption value);

    // ---- editing attributes
    bool Is3D() const { return is3D_; }
    void SetIs3D(bool value);
    TgrControlType ControlType() const { return controlType_; }
    TgrButtonType ButtonType() const { return buttonType_; }
    void SetButtonType(TgrButtonType value);
    TgrDropDownStyle GetDropDownStyle() const;
    void SetDropDownStyle(TgrDropDownStyle value);
    const std::string& MaskName() const { return maskName_; }
    virtual void SetMaskName(const std::string& value);
    TgrSpinOptions SpinOptions() const { return spinOptions_; }
    void SetSpinOptions(TgrSpinOptions value) { spinOptions_ = value; }
    double SpinIncrement() const { return spinIncrement_; }
    void SetSpinIncrement(double value) { spinIncrement_ = value; }
    TgrDateTimeDefComponent* DateTimeDef() const { return dateTimeDef_; }
    void SetDateTimeDef(TgrDateTimeDefComponent* value);

    // ---- combo
    TgrCombo* Combo() const { return combo_; }
    virtual void CreateCombo() = 0;
    virtual void FreeCombo() = 0;
    void SetCombo(const TgrCombo* source);
    bool ParentCombo() const { return parentCombo_; }
    void SetParentCombo(bool value);
    // The form-file property "Combo" is written only with a combo and
    // ButtonType btCombo.
    bool IsComboStored() const { return combo_ && buttonType_ == btCombo; }

    bool Visible() const { return visible_; }
    bool KeepFontObject() const { return keepFontObject_; }
    bool IsSpinIncrementStored() const { return spinIncrement_ != 1.0; }

protected:
    // Invalidates the column (row) unless the grid is painting; false when
    // nothing was invalidated.
    virtual bool InvalidateUnlessPainting() = 0;
    // Invalidates the column (row).
    virtual void InvalidateItem() = 0;
    // Whether the current cell's data column (row) is this one.
    virtual bool IsCurrentDataItem() const = 0;
    // Runs after SetCombo copied a combo's settings into the own combo.
    virtual void ComboAssigned() {}

    // A drawing attribute changed: invalidate unless painting; refresh the
    // in-cell control at the current cell when asked.
    void DrawingChanged(bool refreshControl);
    // An editing attribute changed.
    void EditingChanged();
    void OwnFontChanged();

    // The font the own font copies: the grid's, or its heading font.
    TFont* ParentFontObject(bool heading) const { return heading ? grid_->HeadingFont() : grid_->GridFont(); }
    // The streaming rules for one own font.
    TFont* StreamedFont(TgrOwnFont& own, bool parent, bool heading);
    // False for the font already held.
    static bool ReplaceOwnFont(TgrOwnFont& own, bool& parent, const TFont* value);
    // Follows or leaves the parent font; true when the owner must repaint.
    bool ChangeParentFont(TgrOwnFont& own, bool& parent, bool value, bool heading);
    void CopyOwnFont(TgrOwnFont& own, bool& parent, const TgrOwnFont& source, bool sourceParent, bool heading);

    // Lets go of the combo and the date-time definition (from destructors).
    void ReleaseComboAndDateTimeDef();
    // The attributes shared by columns and rows.
    bool IsCommonDefault() const;
    void CopyCommonProperties(const TgrColRowBase& source);
    // Gives one shared attribute its default; false for any other id.
    bool ResetCommonProperty(TgrPropId id);

    TgrPropGrid* grid_;
    TColor color_ = grColorNotSet;
    TgrOwnFont font_;
    bool parentFont_ = true;
    TAlignment alignment_ = taLeftJustify;
    bool align_ = false;
    TgrHorzAlignment horzAlignment_ = htaDefault;
    TgrVertAlignment vertAlignment_ = vtaDefault;
    TgrWordWrap wordWrap_ = wwDefault;
    bool visible_ = true;
    bool readOnly_ = false;
    bool is3D_ = false;
    std::string maskName_;
    bool keepFontObject_ = false;
    TgrButtonType buttonType_ = btDefault;
    TgrDropDownStyle dropDownStyle_ = ddDropDown;
    TgrCombo* combo_ = nullptr;
    bool parentCombo_ = true;
    TgrDrawOption pictures_[4] = {dopDefault, dopDefault, dopDefault, dopDefault};
    TgrControlType controlType_ = ctDefault;
    TgrSpinOptions spinOptions_ = grAllSpinOptions;
    double spinIncrement_ = 1.0;
    TgrDateTimeDefComponent* dateTimeDef_ = nullptr;
};

// ---------------------------------------------------------------------- col

class TBitmap;
class TgrNormalButton;

class TgrCol : public TgrColRowBase {
public:
    explicit TgrCol(TgrPropGrid* grid);
    ~TgrCol() override;

    Integer DisplayCol() const { return displayCol_; }
    Integer ColId() const { return colId_; }
    Integer RequestedWidth() const { return requestedWidth_; }
    // Set by the column collection when it makes the column.
    void InitSlot(Integer displayCol, Integer width, Integer colId);
    // Set by the grid when other columns move (no repaint, no notification).
    void RenumberDisplayCol(Integer displayCol) { displayCol_ = displayCol; }

    Integer GetDataCol() const;
    bool HoldsCurrentCell() const override;

    // ---- drawing attributes
    virtual TAlignment GetAlignment() const { return alignment_; }
    bool GetAlign() const { return align_; }
    virtual TgrHorzAlignment GetHorzAlignment() const { return horzAlignment_; }

    // ---- editing attributes
    virtual bool GetAllowGrayed() const { return allowGrayed_; }
    virtual void SetAllowGrayed(bool value);
    virtual bool GetReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value);
    virtual void SetControlType(TgrControlType value);
    Integer MaxLength() const { return maxLength_; }
    virtual void SetMaxLength(Integer value);
    const std::string& CheckBoxValues() const { return checkBoxValues_; }
    void SetCheckBoxValues(const std::string& value);
    virtual bool UsesCheckBoxValues() const { return true; }

    // ---- form files: properties a descendant column writes after the
    // published ones ("Col." and the name), and reads back (False: not one
    // of its own).
    virtual void WriteOwnProperties(TWriter&) {}
    virtual bool ReadOwnProperty(const std::string&, TReader&) { return false; }

    // ---- combo
    void CreateCombo() override;
    void FreeCombo() override;

    // ---- the column's own detail button (cells of type btNormal)
    // Replaces the button: for a glyph a new one of (height, width,
    // transparent colour) keeping a copy of the glyph; without one none.
    void SetButton(const TBitmap* glyph, Integer height, Integer width, TColor color);
    void FreeButton();
    // Takes another button's glyph and settings; none frees the own button.
    void CopyButton(const TgrNormalButton* button);
    TgrNormalButton* NormalButton() const { return normalButton_.get(); }

    // ---- size, visibility, position, selection
    Integer Width() const { return width_; }
    virtual void SetWidth(Integer value);
    // The width shown, the set width (RequestedWidth) kept: a border drag.
    void ApplyWidth(Integer value) { SetWidthInternal(value); }
    void WidthChanged(Integer oldWidth);
    virtual void SetVisible(bool value);
    void SetDisplayCol(Integer value);
    bool GetSelected() const;
    void SetSelected(bool value);

    // ---- heading
    virtual std::string GetHeading() const;
    const std::string& HeadingText() const { return heading_; }
    void SetHeading(const std::string& value);
    // The 1-based position of the heading's accelerator '&', 0 for none.
    Integer AcceleratorPos() const { return accelPos_; }
    TgrColHeadingButton HeadingButton() const { return headingButton_; }
    void SetHeadingButton(TgrColHeadingButton value);
    TAlignment HeadingAlignment() const { return headingAlignment_; }
    void SetHeadingAlignment(TAlignment value);
    bool HeadingAlign() const { return headingAlign_; }
    void SetHeadingAlign(bool value);
    TgrHorzAlignment HeadingHorzAlignment() const { return headingHorzAlignment_; }
    void SetHeadingHorzAlignment(TgrHorzAlignment value);
    TgrVertAlignment HeadingVertAlignment() const { return headingVertAlignment_; }
    void SetHeadingVertAlignment(TgrVertAlignment value);
    TgrWordWrap HeadingWordWrap() const { return headingWordWrap_; }
    void SetHeadingWordWrap(TgrWordWrap value);
    TColor HeadingColor() const { return headingColor_; }
    void SetHeadingColor(TColor value);
    TFont* GetHeadingFont();
    TFont* OwnHeadingFont() const { return headingFont_.Get(); }
    void SetHeadingFont(const TFont* value);
    bool HeadingParentFont() const { return headingParentFont_; }
    void SetHeadingParentFont(bool value);
    // The grid's heading font changed: the heading copy kept while
    // HeadingParentFont takes it anew.
    void FollowGridHeadingFont();
    TgrSortPicture SortPicture() const { return sortPicture_; }
    void SetSortPicture(TgrSortPicture value);

    // ---- other
    const std::string& FieldName() const { return fieldName_; }
    virtual void SetFieldName(const std::string& value) { fieldName_ = value; }
    virtual void SetKeepFontObject(bool value);
    Integer Tag() const { return tag_; }
    void SetTag(Integer value) { tag_ = value; }
    void* Object() const { return object_; }
    void SetObject(void* value) { object_ = value; }
    bool PrintTotals() const { return printTotals_; }
    void SetPrintTotals(bool value) { printTotals_ = value; }

    virtual bool IsDefault() const;
    virtual bool IsHeadingStored() const { return !heading_.empty(); }
    virtual bool IsDisplayColStored() const { return displayCol_ != GetDataCol(); }
    virtual void CopyProperties(const TgrCol& source);
    virtual void CopyFrom(const TgrCol& source);
    void Assign(const TPersistent* source) override;
    // Gives the named attributes their defaults, each through its setter.
    virtual void ResetProperties(const TgrPropIdSet& ids);
    // FieldName, or the heading, with blanks replaced by "_".
    virtual void GetExportName(std::string& text) const;

protected:
    bool InvalidateUnlessPainting() override;
    void InvalidateItem() override;
    bool IsCurrentDataItem() const override;
    void ComboAssigned() override;

    void SetWidthInternal(Integer value);
    void HeadingChanged();
    void OwnHeadingFontChanged();

    Integer displayCol_ = 0;
    std::string heading_;
    Integer width_ = 64;
    Integer requestedWidth_ = 64;
    bool allowGrayed_ = false;
    TgrColHeadingButton headingButton_ = cbGrid;
    TAlignment headingAlignment_ = taLeftJustify;
    bool headingAlign_ = false;
    TgrHorzAlignment headingHorzAlignment_ = htaDefault;
    TgrVertAlignment headingVertAlignment_ = vtaDefault;
    TgrWordWrap headingWordWrap_ = wwDefault;
    TgrOwnFont headingFont_;
    bool headingParentFont_ = true;
    TColor headingColor_ = grColorNotSet;
    TgrSortPicture sortPicture_ = spNone;
    Integer maxLength_ = 0;
    std::string fieldName_;
    Integer accelPos_ = 0;
    Integer colId_ = 0;
    std::string checkBoxValues_;
    void* object_ = nullptr;
    Integer tag_ = 0;
    bool printTotals_ = false;
    std::unique_ptr<TgrNormalButton> normalButton_;
    void DropNormalButton();
};

// ---------------------------------------------------------------------- row

class TgrRow : public TgrColRowBase {
public:
    explicit TgrRow(TgrPropGrid* grid);
    ~TgrRow() override;

    Integer DataRow() const { return dataRow_; }
    Integer RequestedHeight() const { return requestedHeight_; }
    // Set by the row collection when it makes the row.
    void InitSlot(Integer dataRow, Integer height, Integer requestedHeight);
    // Height and requested height without side effects.
    void SetHeightValue(Integer value) { height_ = value; }
    void SetRequestedHeightValue(Integer value) { requestedHeight_ = value; }

    Integer GetDisplayRow() const;
    void SetDisplayRow(Integer value);
    bool HoldsCurrentCell() const override;
    void SetChanged(bool value);

    TAlignment Alignment() const { return alignment_; }
    bool Align() const { return align_; }
    TgrHorzAlignment HorzAlignment() const { return horzAlignment_; }

    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value);
    void SetControlType(TgrControlType value);

    void CreateCombo() override;
    void FreeCombo() override;

    Integer Height() const { return height_; }
    // Height and requested height.
    void SetHeight(Integer value);
    // Height only, with the size pushed to the grid and the in-cell control
    // refreshed.
    void ApplyHeight(Integer value);
    void HeightChanged(Integer oldHeight);
    void SetVisible(bool value);

    virtual void SetKeepFontObject(bool value);

    virtual bool IsDefault() const;
    virtual bool CanRelease() const { return IsDefault(); }
    virtual void CopyProperties(const TgrRow& source);
    virtual void CopyFrom(const TgrRow& source);
    void Assign(const TPersistent* source) override;
    virtual void ResetProperties(const TgrPropIdSet& ids);

protected:
    bool InvalidateUnlessPainting() override;
    void InvalidateItem() override;
    bool IsCurrentDataItem() const override;

    Integer dataRow_ = 0;
    Integer height_ = 14;
    Integer requestedHeight_ = 14;
};

// --------------------------------------------------------------- design row

class TgrDesignRow : public TPersistent {
public:
    TgrDesignRow(TgrPropGrid* grid, const Variant& dataRow);

    Integer Row() const;
    // Every attribute goes through these two; a proxy that names its row
    // otherwise (by record) supplies its own.
    virtual Variant Get(TgrPropId id, TgrPictureKind kind = pkNoPicture) const;
    virtual void Set(TgrPropId id, const Variant& value, TgrPictureKind kind = pkNoPicture);

    TColor GetColor() const { return TColor(Get(gpColor).AsInteger()); }
    void SetColor(TColor v) { Set(gpColor, Variant(Integer(v))); }
    Integer GetDisplayRow() const { return Get(gpDisplayPos).AsInteger(); }
    void SetDisplayRow(Integer v) { Set(gpDisplayPos, Variant(v)); }
    Integer GetHeight() const { return Get(gpHeight).AsInteger(); }
    void SetHeight(Integer v) { Set(gpHeight, Variant(v)); }
    bool GetVisible() const { return Get(gpVisible).AsBoolean(); }
    void SetVisible(bool v) { Set(gpVisible, Variant(v)); }
    bool GetSelected() const { return Get(gpSelected).AsBoolean(); }
    void SetSelected(bool v) { Set(gpSelected, Variant(v)); }
    bool GetChanged() const { return Get(gpChanged).AsBoolean(); }
    void SetChanged(bool v) { Set(gpChanged, Variant(v)); }
    bool GetIs3D() const { return Get(gpIs3D).AsBoolean(); }
    void SetIs3D(bool v) { Set(gpIs3D, Variant(v)); }
    bool GetReadOnly() const { return Get(gpReadOnlyFlag).AsBoolean(); }
    void SetReadOnly(bool v) { Set(gpReadOnlyFlag, Variant(v)); }
    bool GetParentFont() const { return Get(gpParentFont).AsBoolean(); }
    void SetParentFont(bool v) { Set(gpParentFont, Variant(v)); }
    bool GetParentCombo() const { return Get(gpParentCombo).AsBoolean(); }
    void SetParentCombo(bool v) { Set(gpParentCombo, Variant(v)); }
    std::string GetMaskName() const { return Get(gpMaskName).AsString(); }
    void SetMaskName(const std::string& v) { Set(gpMaskName, Variant(v)); }
    TgrButtonType GetButtonType() const { return TgrButtonType(Get(gpButtonType).AsByte()); }
    void SetButtonType(TgrButtonType v) { Set(gpButtonType, Variant(Byte(v))); }
    TgrControlType GetControlType() const { return TgrControlType(Get(gpControlType).AsByte()); }
    void SetControlType(TgrControlType v) { Set(gpControlType, Variant(Byte(v))); }
    TgrDropDownStyle GetDropDownStyle() const { return TgrDropDownStyle(Get(gpDropDownStyle).AsByte()); }
    void SetDropDownStyle(TgrDropDownStyle v) { Set(gpDropDownStyle, Variant(Byte(v))); }
    TgrHorzAlignment GetHorzAlignment() const { return TgrHorzAlignment(Get(gpHorzAlignment).AsByte()); }
    void SetHorzAlignment(TgrHorzAlignment v) { Set(gpHorzAlignment, Variant(Byte(v))); }
    TgrVertAlignment GetVertAlignment() const { return TgrVertAlignment(Get(gpVertAlignment).AsByte()); }
    void SetVertAlignment(TgrVertAlignment v) { Set(gpVertAlignment, Variant(Byte(v))); }
    TgrWordWrap GetWordWrap() const { return TgrWordWrap(Get(gpWordWrap).AsByte()); }
    void SetWordWrap(TgrWordWrap v) { Set(gpWordWrap, Variant(Byte(v))); }
    TgrSpinOptions GetSpinOptions() const { return Get(gpSpinOptions).AsByte(); }
    void SetSpinOptions(TgrSpinOptions v) { Set(gpSpinOptions, Variant(Byte(v))); }
    double GetSpinIncrement() const { return Get(gpSpinIncrement).AsDouble(); }
    void SetSpinIncrement(double v) { Set(gpSpinIncrement, Variant(v)); }
    TgrDrawOption GetStretchPicture() const { return TgrDrawOption(Get(gpPicture, pkStretchPicture).AsByte()); }
    void SetStretchPicture(TgrDrawOption v) { Set(gpPicture, Variant(Byte(v)), pkStretchPicture); }
    TgrDrawOption GetShrinkPicture() const { return TgrDrawOption(Get(gpPicture, pkShrinkPicture).AsByte()); }
    void SetShrinkPicture(TgrDrawOption v) { Set(gpPicture, Variant(Byte(v)), pkShrinkPicture); }
    TgrDrawOption GetCenterPicture() const { return TgrDrawOption(Get(gpPicture, pkCenterPicture).AsByte()); }
    void SetCenterPicture(TgrDrawOption v) { Set(gpPicture, Variant(Byte(v)), pkCenterPicture); }
    TgrDrawOption GetKeepAspectRatio() const { return TgrDrawOption(Get(gpPicture, pkKeepAspectRatio).AsByte()); }
    void SetKeepAspectRatio(TgrDrawOption v) { Set(gpPicture, Variant(Byte(v)), pkKeepAspectRatio); }
    Integer GetRowId() const { return grid_->GetRowId(Row()); }

    bool IsDisplayRowStored() const { return true; }
    bool IsHeightStored() const { return true; }
    bool IsSpinIncrementStored() const { return GetSpinIncrement() != 1.0; }

    // Only between proxies; copies the row object, or resets this row's
    // object when the source row has none.
    void Assign(const TPersistent* source) override;

    TgrPropGrid* Grid() const { return grid_; }
    Variant DataRow;

private:
    TgrPropGrid* grid_;
};

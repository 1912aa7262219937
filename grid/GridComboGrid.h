#pragma once
// The settings a combo's list grid keeps. A plain grid answers 0 to the
// combo-grid accessors and ignores writes; a grid class that serves as a
// combo's list derives through TgrComboGridOf, which keeps the values, so
// that a combo (TgrCombo) reads and writes them in its list.

#include "grid/GridCombo.h"
#include "grid/TSGrid.h"

// The values themselves, with the defaults of a new list.
struct TgrComboSettings {
    Integer DropDownRows = 4;
    Integer DropDownCols = 1;
    // The list column whose value the cell takes (data column, from 1).
    Integer ValueCol = 1;
    // The width the owner column gives its combo; a drop-down without
    // DropDownCols takes it (0: the cell's width).
    Integer DropDownWidth = 0;
    bool ValueColSorted = false;
    TgrComboCompareType CompareType = ctCaseInsensitive;
    TgrComboAutoSearchType AutoSearch = asNone;
    bool AutoFill = false;
    TgrConvertCase AutoFillConvertCase = afcOnEdit;
    bool AutoLookup = true;
    TgrDropDownStyle DropDownStyle = ddDropDown;
};

// What a combo finds in a list grid that keeps settings (reached by a cast
// from the list grid, since the grid class has no accessor for the width
// and the case conversion).
class TgrComboGridStore {
public:
    virtual ~TgrComboGridStore() = default;
    TgrComboSettings ComboSettings;
};

// A grid class that keeps the combo settings. DropDownCols refits an open
// drop-down at once; DropDownRows does so at design time (at run time an
// open drop-down takes the new rows when its combo is refreshed).
template <class Base>
class TgrComboGridOf : public Base, public TgrComboGridStore {
public:
    using Base::Base;

    Integer GetDropDownRows() const override { return ComboSettings.DropDownRows; }
    void SetDropDownRows(Integer value) override {
        ComboSettings.DropDownRows = value;
        if (this->IsDesigning()) this->UpdateDropDownSize(ComboSettings.DropDownCols, value);
    }
    Integer GetDropDownCols() const override { return ComboSettings.DropDownCols; }
    void SetDropDownCols(Integer value) override {
        ComboSettings.DropDownCols = value;
        this->UpdateDropDownSize(value, ComboSettings.DropDownRows);
    }
    Integer GetValueCol() const override { return ComboSettings.ValueCol; }
    void SetValueCol(Integer value) override { ComboSettings.ValueCol = value; }
    bool GetValueColSorted() const override { return ComboSettings.ValueColSorted; }
    void SetValueColSorted(bool value) override { ComboSettings.ValueColSorted = value; }
    TgrComboCompareType GetCompareType() const override { return ComboSettings.CompareType; }
    void SetCompareType(TgrComboCompareType value) override { ComboSettings.CompareType = value; }
    TgrComboAutoSearchType GetAutoSearch() const override { return ComboSettings.AutoSearch; }
    void SetAutoSearch(TgrComboAutoSearchType value) override { ComboSettings.AutoSearch = value; }
    bool GetAutoFill() const override { return ComboSettings.AutoFill; }
    void SetAutoFill(bool value) override { ComboSettings.AutoFill = value; }
    TgrConvertCase GetAutoFillConvertCase() const override { return ComboSettings.AutoFillConvertCase; }
    bool GetAutoLookup() const override { return ComboSettings.AutoLookup; }
    void SetAutoLookup(bool value) override { ComboSettings.AutoLookup = value; }
    TgrDropDownStyle GetDropDownStyle() const override { return ComboSettings.DropDownStyle; }
    void SetDropDownStyle(TgrDropDownStyle value) override { ComboSettings.DropDownStyle = value; }
    TgrCombo* GetOwnerCombo() const override { return ownerCombo_; }
    void SetOwnerCombo(TgrCombo* combo) override { ownerCombo_ = combo; }

    // A new list's settings come back with its properties.
    void ResetToDefaults() override {
        ComboSettings = TgrComboSettings();
        Base::ResetToDefaults();
    }

    // Another list's settings come along with its layout.
    void Assign(const TPersistent* source) override {
        Base::Assign(source);
        if (const auto* from = dynamic_cast<const TgrComboGridStore*>(source); from && from != this)
            ComboSettings = from->ComboSettings;
    }

private:
    TgrCombo* ownerCombo_ = nullptr;
};

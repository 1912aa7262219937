#pragma once
// The drop-down list of a data-aware grid's combo: itself a data-aware
// grid, so a combo lists the records of a dataset. It keeps the combo
// settings the combo reads and writes, and searches its records for the
// text typed into the owner grid's cell. TgrDBCombo is the combo of a
// data-aware grid: its settings live in its list.

#include <string>

#include "dbgrid/DBGrid.h"
#include "grid/GridCombo.h"


class TgrDBComboGrid : public TgrCustomDBGrid {
public:
    // ownerGrid: the grid whose combo this list is; its name prefixes the
    // list's errors (".Combo").
    TgrDBComboGrid(TComponent* owner, TgrBaseGrid* ownerGrid);

    Integer GetDropDownRows() const override { return dropDownRows_; }
    void SetDropDownRows(Integer value) override { dropDownRows_ = value; }
    Integer GetDropDownCols() const override { return dropDownCols_; }
    void SetDropDownCols(Integer value) override { dropDownCols_ = value; }
    Integer GetValueCol() const override { return valueCol_; }
    void SetValueCol(Integer value) override { valueCol_ = value; }
    bool GetValueColSorted() const override { return valueColSorted_; }
    TgrComboCompareType GetCompareType() const override { return compareType_; }
    TgrComboAutoSearchType GetAutoSearch() const override { return autoSearch_; }
    bool GetAutoFill() const override { return autoFill_; }
    TgrConvertCase GetAutoFillConvertCase() const override { return autoFillConvertCase_; }
    bool ValueColSorted() const { return valueColSorted_; }
    void SetValueColSorted(bool value) { valueColSorted_ = value; }
    TgrComboCompareType CompareType() const { return compareType_; }
    void SetCompareType(TgrComboCompareType value) { compareType_ = value; }
    TgrComboAutoSearchType AutoSearch() const { return autoSearch_; }
    void SetAutoSearch(TgrComboAutoSearchType value) { autoSearch_ = value; }
    bool AutoFill() const { return autoFill_; }
    // Switching AutoFill on without a search kind searches from the top.
    void SetAutoFill(bool value);
    TgrConvertCase AutoFillConvertCase() const { return autoFillConvertCase_; }
    void SetAutoFillConvertCase(TgrConvertCase value) { autoFillConvertCase_ = value; }
    bool AutoLookup() const { return autoLookup_; }
    // On: the list shows the lookup dataset of the owner's field, so it
    // keeps no values and no data source of its own.
    void SetAutoLookup(bool value);
    TgrDropDownStyle DropDownStyle() const { return dropDownStyle_; }
    void SetDropDownStyle(TgrDropDownStyle value);

    // The height of a drop-down of rows records; a short dataset shrinks it
    // to its records, keeping room for one row.
    Integer CalcDropDownHeight(Integer rows);
    // The record whose value column best matches text: the longest
    // matching prefix, the first of equals; a complete match ends the
    // search. wholeLength asks the whole text to match. Empty when none.
    std::string LocateValue(const std::string& text, bool wholeLength, bool& found);

private:
    Integer dropDownRows_ = 4, dropDownCols_ = 1, valueCol_ = 1;
    bool valueColSorted_ = false;
    TgrComboCompareType compareType_ = ctCaseInsensitive;
    TgrComboAutoSearchType autoSearch_ = asNone;
    bool autoFill_ = false;
    TgrConvertCase autoFillConvertCase_ = afcOnEdit;
    TgrDropDownStyle dropDownStyle_ = ddDropDown;
    bool autoLookup_ = true;
};

// The combo of a data-aware grid. Every setting is read from and written to
// its list (a TgrDBComboGrid); the settings the grid control reads itself
// (rows, columns, value column, style) are kept equal in the base fields.
class TgrDBCombo : public TgrCombo {
public:
    // Makes its list through the grid's CreateComboGrid.
    explicit TgrDBCombo(TgrCustomDBGrid* owner);

    TgrDBComboGrid* DBComboGrid() const { return static_cast<TgrDBComboGrid*>(ComboGrid()); }

    Integer GetDropDownRows() const { return DBComboGrid()->GetDropDownRows(); }
    Integer GetDropDownCols() const { return DBComboGrid()->GetDropDownCols(); }
    Integer GetValueCol() const { return DBComboGrid()->GetValueCol(); }
    bool GetValueColSorted() const { return DBComboGrid()->ValueColSorted(); }
    TgrComboCompareType GetCompareType() const { return DBComboGrid()->CompareType(); }
    TgrComboAutoSearchType GetAutoSearch() const { return DBComboGrid()->AutoSearch(); }
    bool GetAutoFill() const { return DBComboGrid()->AutoFill(); }
    TgrConvertCase GetAutoFillConvertCase() const { return DBComboGrid()->AutoFillConvertCase(); }
    bool GetAutoLookup() const { return DBComboGrid()->AutoLookup(); }
    TgrDropDownStyle GetDropDownStyle() const { return DBComboGrid()->DropDownStyle(); }

    // Each setter leaves an unchanged value alone.
    void SetDropDownRows(Integer value);
    void SetDropDownCols(Integer value);
    void SetValueCol(Integer value);
    void SetValueColSorted(bool value);
    void SetCompareType(TgrComboCompareType value);
    void SetAutoSearch(TgrComboAutoSearchType value);
    void SetAutoFill(bool value);
    void SetAutoFillConvertCase(TgrConvertCase value);
    void SetAutoLookup(bool value);
    void SetDropDownStyle(TgrDropDownStyle value);

    // Copies the settings of another combo (not its list or data source).
    void AssignDBSettings(const TgrCombo& source);
};

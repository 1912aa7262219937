#pragma once
// The drop-down list of a data-aware grid's combo: itself a data-aware
// grid, so a combo lists the records of a dataset. It keeps the combo
// settings the combo reads and writes, and searches its records for the
// text typed into the owner grid's cell.

#include <string>

#include "dbgrid/DBGrid.h"

enum TgrComboCompareType { ctCaseSensitive, ctCaseInsensitive, ctOwnCompare };
enum TgrComboAutoSearchType { asNone, asTop, asCenter, asBottom };
enum TgrConvertCase { afcOnEdit, afcUpperCase, afcLowerCase, afcNone };

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

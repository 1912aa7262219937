#pragma once
// The drop-down list of a data-aware grid's combo: itself a data-aware
// grid, so a combo lists the records of a dataset. It keeps the combo
// settings the combo reads and writes, and searches its records for the
// text typed into the owner grid's cell. TgrDBCombo is the combo of a
// data-aware grid: its settings live in its list.

#include <cstdint>
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
    Integer CalcDropDownHeight(Integer rows) override;
    // The record whose value column best matches text: the longest
    // matching prefix, the first of equals; a complete match ends the
    // search. wholeLength asks the whole text to match. Empty when none.
    std::string LocateValue(const std::string& text, bool wholeLength, bool& found);
    // The same search over part of the records, through the record window:
    // from the record start (the first record when empty) to the end, or
    // through the record stop.
    std::string ScanForValue(const std::string& text, bool wholeLength, const std::string& start,
                             const std::string& stop, bool& found);
    // The value column's text of a record ("" for none or Null).
    std::string ValueText(const std::string& bookmark);
    // Text starts with prefix under the list's CompareType.
    bool StartsWith(const std::string& text, const std::string& prefix);
    // StartsWith as the record window's searches take it.
    TgrValueMatch ValueMatch();
    // Makes a found record the list's current and only selected record,
    // placed by AutoSearch: asTop on the first visible row, asCenter in the
    // middle, asBottom on the last, as far as the records before it allow.
    void ShowComboRecord(const std::string& bookmark);

    // Incremental search of a sorted list: the characters typed within
    // this many milliseconds of each other make up one search text.
    static constexpr std::uint64_t SearchTextExpiry = 2000;
    const std::string& SearchText() const { return searchText_; }
    void SetSearchText(const std::string& text) { searchText_ = text; }
    // Forgets the search text when the last key is too long ago; notes the
    // time of this key.
    void ExpireSearchText();

    // The owner grid hears of every cell the list loads.
    void DoCellLoaded(Integer dataCol, const Variant& dataRow, Variant& value) override;

    // The data source the list made itself to show a lookup field's
    // dataset (nullptr without one).
    TDataSource* AutoLookupSource() const { return lookupSource_; }
    // Shows a dataset through the list's own lookup data source.
    void SetAutoLookupDataSet(TDataSet* dataSet);
    bool ShowsAutoLookup() const { return lookupSource_ && DataSource() == lookupSource_; }

private:
    Integer dropDownRows_ = 4, dropDownCols_ = 1, valueCol_ = 1;
    bool valueColSorted_ = false;
    TgrComboCompareType compareType_ = ctCaseInsensitive;
    TgrComboAutoSearchType autoSearch_ = asNone;
    bool autoFill_ = false;
    TgrConvertCase autoFillConvertCase_ = afcOnEdit;
    TgrDropDownStyle dropDownStyle_ = ddDropDown;
    bool autoLookup_ = true;
    std::string searchText_;
    std::uint64_t lastKeyTick_ = 0;
    TDataSource* lookupSource_ = nullptr;
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

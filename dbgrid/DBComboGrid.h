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
#include "grid/GridComboGrid.h"


class TgrDBComboGrid : public TgrComboGridOf<TgrCustomDBGrid> {
public:
    // ownerGrid: the grid whose combo this list is; its name prefixes the
    // list's errors (".Combo").
    TgrDBComboGrid(TComponent* owner, TgrBaseGrid* ownerGrid);

    // Switching AutoFill on without a search kind searches from the top.
    void SetAutoFill(bool value) override;
    // On: the list shows the lookup dataset of the owner's field, so it
    // keeps no values and no data source of its own.
    void SetAutoLookup(bool value) override;
    // The owner grid shows its in-cell control again for the new style.
    void SetDropDownStyle(TgrDropDownStyle value) override;

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

private:
    std::string searchText_;
    std::uint64_t lastKeyTick_ = 0;
};

// The combo of a data-aware grid: its list is a TgrDBComboGrid, made by
// the grid's CreateComboGrid; the settings are read and written there.
class TgrDBCombo : public TgrCombo {
public:
    explicit TgrDBCombo(TgrCustomDBGrid* owner) : TgrCombo(owner) {}

    TgrDBComboGrid* DBComboGrid() const { return static_cast<TgrDBComboGrid*>(ComboGrid()); }
};

#pragma once
// Combo settings of a column, row or cell: the list grid that drops down
// below the cell, how many rows and columns it shows, which of its columns
// gives the value, and the drop-down style. The grid owns one drop-down
// window (a frameless tool window) that shows the list grid of the combo
// governing the current cell.

#include "platform/core/Object.h"
#include "platform/core/Types.h"
#include "grid/GridPropTypes.h"

class TgrBaseGrid;

// How a combo compares typed text with its list, where a found row is
// scrolled to, and how auto-fill treats the case of typed text.
enum TgrComboCompareType { ctCaseSensitive, ctCaseInsensitive, ctOwn };
enum TgrComboAutoSearchType { asNone, asTop, asCenter, asBottom };
enum TgrConvertCase { afcOnEdit, afcUpperCase, afcLowerCase, afcNone, afcOnExit };

// The combo settings of a column, row or cell. The settings live in the
// combo's list grid (the grid of a list grid class keeps them, a plain grid
// answers 0); the combo reads and writes them there, and a setter leaves an
// unchanged value alone.
class TgrCombo : public TPersistent {
public:
    // Makes the list grid through the grid's CreateComboGrid (which raises
    // in a grid class that has none), hidden until it drops down.
    explicit TgrCombo(TgrBaseGrid* owner);
    ~TgrCombo() override;
    TgrCombo(const TgrCombo&) = delete;
    TgrCombo& operator=(const TgrCombo&) = delete;

    TgrBaseGrid* Owner() const { return owner_; }
    TgrBaseGrid* ComboGrid() const { return comboGrid_; }
    TgrBaseGrid* GetComboGrid() const { return comboGrid_; }

    virtual Integer GetDropDownRows() const;
    virtual Integer GetDropDownCols() const;
    // The list column whose value the cell takes (data column, from 1).
    virtual Integer GetValueCol() const;
    // The width the owner column gives the combo; a drop-down without
    // DropDownCols takes it (0: the cell's width).
    virtual Integer GetDropDownWidth() const;
    virtual bool GetValueColSorted() const;
    virtual TgrComboCompareType GetCompareType() const;
    virtual TgrComboAutoSearchType GetAutoSearch() const;
    virtual bool GetAutoFill() const;
    virtual TgrConvertCase GetAutoFillConvertCase() const;
    virtual bool GetAutoLookup() const;
    virtual TgrDropDownStyle GetDropDownStyle() const;
    virtual void SetDropDownRows(Integer value);
    virtual void SetDropDownCols(Integer value);
    virtual void SetValueCol(Integer value);
    virtual void SetDropDownWidth(Integer value);
    virtual void SetValueColSorted(bool value);
    virtual void SetCompareType(TgrComboCompareType value);
    virtual void SetAutoSearch(TgrComboAutoSearchType value);
    virtual void SetAutoFill(bool value);
    virtual void SetAutoFillConvertCase(TgrConvertCase value);
    virtual void SetAutoLookup(bool value);
    virtual void SetDropDownStyle(TgrDropDownStyle value);
    // After the list's contents changed: an open drop-down of this combo
    // closes, the list repaints, and (when one is open) the drop-down is
    // fitted to DropDownCols and DropDownRows again. The list's update and
    // drop-down size locks are held meanwhile and released also on error.
    virtual void Refresh();
    // Back to the defaults of a new combo: an open drop-down of this combo
    // closes, the list takes a new list's properties and the combo
    // defaults. The list's update and drop-down size locks are held
    // meanwhile and released also on error.
    void Reset();

    // From another combo the list grids are assigned (layout, values and
    // settings); anything else as a persistent object.
    void Assign(const TPersistent* source) override;

private:
    TgrBaseGrid* owner_;
    TgrBaseGrid* comboGrid_ = nullptr;
};

// Where a drop-down of width x height goes for a cell at cellScreen (screen
// pixels) on a screen whose work area is workArea: below the cell, else
// above it when it does not fit below; its left edge at the cell's, moved
// left to stay inside the work area but never left of the work area's own
// left edge (a second screen's work area does not start at 0).
TRect PlaceDropDown(const TRect& cellScreen, int width, int height, const TRect& workArea);

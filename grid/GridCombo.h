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
enum TgrComboCompareType { ctCaseSensitive, ctCaseInsensitive, ctOwnCompare };
enum TgrComboAutoSearchType { asNone, asTop, asCenter, asBottom };
enum TgrConvertCase { afcOnEdit, afcUpperCase, afcLowerCase, afcNone, afcOnExit };

class TgrCombo : public TObject {
public:
    // The combo of a grid; the list grid is made by the grid's
    // CreateComboGrid and owned by the combo.
    explicit TgrCombo(TgrBaseGrid* owner);
    ~TgrCombo() override;
    TgrCombo(const TgrCombo&) = delete;
    TgrCombo& operator=(const TgrCombo&) = delete;

    TgrBaseGrid* Owner() const { return owner_; }
    TgrBaseGrid* ComboGrid() const { return comboGrid_; }
    void SetComboGrid(TgrBaseGrid* grid);
    // Copies the settings (not the list grid).
    void AssignSettings(const TgrCombo& source);

    Integer DropDownRows = 8;
    Integer DropDownCols = 0;
    // The list column whose value the cell takes (data column, from 1).
    Integer ValueCol = 1;
    // 0: the width of the cell.
    Integer DropDownWidth = 0;
    TgrDropDownStyle DropDownStyle = ddDropDown;

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

#pragma once
// The grid class's property enumerations and the event types it fires.

#include <functional>
#include <string>

#include "grid/GridTypes.h"
#include "platform/core/Object.h"
#include "platform/core/Types.h"
#include "platform/core/Variant.h"

// ------------------------------------------------------ property types

enum TgrGridMode { gmListBox, gmEdit, gmEditInsert, gmBrowse };
enum TgrRowSelectMode { rsNone, rsSingle, rsMulti };
enum TgrColSelectMode { csNone, csSingle, csMulti };
enum TgrCellSelectMode { cmNone, cmRange };
enum TgrSelectionType { sltDefault, sltColor };
enum TgrResizeCols { rcNone, rcSingle, rcAll };
enum TgrResizeRows { rrNone, rrSingle, rrAll };
enum TgrGridLines { glNone, glHorizontal, glVertical, glBoth };
enum TgrHeadingButton { hbNone, hbCell, hbButton };
enum TgrRowChangedIndicator { riOff, riOn, riAutoReset };
enum TgrFocusBorder { fbNone, fbDot, fbSingle, fbDouble };
enum TgrScrollSpeed { spLow, spHigh, spVariable };
// The requests of a scroll bar (line, page, thumb, ends), in the window
// system's numbering.
enum TgrScrollCode {
    scLineUp, scLineDown, scPageUp, scPageDown, scThumbPosition, scThumbTrack, scTop, scBottom, scEndScroll
};
// Which pixels a move of the view keeps: all (smPlain), or none of the
// previous current cell (smKeepCell) or row (smKeepRow), which is
// repainted anyway.
enum TgrScrollMode { smPlain, smKeepCell, smKeepRow };
enum TgrInactiveButtonState { ibsNone, ibsBackGround, ibsPicture };
enum TgrPrintMode { pmPortrait, pmLandscape };
// 0 normal, 1 columns selected, 2 rows selected, 3 a cell range selected.
enum TgrGridStatus { gsNormal, gsColsSelected, gsRowsSelected, gsCellsSelected };
// A set of grid statuses (bit 1 << status); the empty set stands for any.
using TgrGridStatusSet = unsigned;
constexpr TgrGridStatusSet GridStatusBit(TgrGridStatus status) { return 1u << unsigned(status); }
// What the mouse is doing, from the press that starts it to the release
// or Esc that ends it. 1 to 4 are the selecting states (they repaint the
// current cell while editing); 5 to 8 are also the answers of the border
// hit test.
enum TgrMouseStatus {
    msNone, msRowSelect, msColSelect, msCellSelect, msSelectAll, msRowResize, msColResize, msHeadingResize,
    msRowBarResize, msRowMove, msColMove, msButtonDown, msHeadingButtonDown
};
// The kind an OnSelectChanged reports (its SelectType).
enum TgrSelectType { stpRows, stpCols, stpCells };

// Misuse of a grid is reported as EInvalidGridOperation (Grids_ts.h), mask
// problems as EtsMaskError (TSMask.h); the text starts with the grid's name.

using TgrColChangedEvent = std::function<void(TObject*, Integer oldCol, Integer newCol)>;
using TgrCountChangedEvent = std::function<void(TObject*, Integer oldCount, Integer newCount)>;
using TgrMovedEvent = std::function<void(TObject*, Integer toDisplay, Integer count, bool byUser)>;
using TgrResizedEvent = std::function<void(TObject*, Integer rowColnr)>;
using TgrComboCompareEvent =
    std::function<void(TObject*, const std::string& comboString, const std::string& cellString, Integer& result)>;
using TgrComboLCompareEvent = std::function<void(TObject*, const std::string& comboString,
                                                 const std::string& cellString, Integer len, Integer& result)>;
using TgrColEvent = std::function<void(TObject*, Integer dataCol, bool byUser)>;
using TgrGridStatusEvent = std::function<void(TObject*, TgrGridStatus oldStatus, TgrGridStatus newStatus)>;
using TgrMouseStatusEvent = std::function<void(TObject*, TgrMouseStatus oldStatus, TgrMouseStatus newStatus)>;
using TgrHeadingEvent = std::function<void(TObject*, Integer dataCol)>;
using TgrSelectChangedEvent = std::function<void(TObject*, TgrSelectType selectType, bool byUser)>;
using TgrEditTextResizedEvent = std::function<void(TObject*, bool byUser)>;
// Edit life cycle events of a plain grid (data rows are row numbers).
using TgrCellEditingEvent = std::function<void(TObject*, Integer dataCol, Integer dataRow, bool& cancel)>;
using TgrRowEditingEvent = std::function<void(TObject*, Integer dataRow, bool& cancel)>;
using TgrCellEditEvent = std::function<void(TObject*, Integer dataCol, Integer dataRow, bool byUser)>;
using TgrUndoCellEditEvent =
    std::function<void(TObject*, Integer dataCol, Integer dataRow, bool byUser, bool& cancel)>;
using TgrUndoRowEditEvent = std::function<void(TObject*, Integer dataRow, bool byUser, bool& cancel)>;
// The half of a spin button: the upper (vertical) or right (horizontal)
// half steps up, the other down.
enum TgrSpinButton { spbNone, spbUp, spbDown };
using TgrSpinButtonEvent = std::function<void(TObject*, Integer dataCol, Integer dataRow, TgrSpinButton button)>;
using TgrSpinRepeatEvent =
    std::function<void(TObject*, Integer dataCol, Integer dataRow, Integer count, TgrSpinButton button)>;
// The handler may change the stepped value (and the changed part, pos and
// len) or refuse it (accept False).
using TgrSpinIncrementEvent = std::function<void(TObject*, Integer dataCol, Integer dataRow, bool& accept,
                                                 Integer& pos, Integer& len, Variant& value, bool up)>;
using TgrPrintGridEvent = std::function<void(TObject*, bool& cancel, std::string& title, std::string& endText,
                                             TgrPrintMode& orientation)>;

// Where a click landed: the heading row, the row bar, the corner above the
// row bar, a data cell, or outside the cells.
enum TgrClickPosition { cpHeading, cpRowBar, cpCorner, cpCell, cpOutside };

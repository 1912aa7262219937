#pragma once
// What one cell of the grid class is painted from: its kind, geometry,
// resolved attributes, value and state, worked out before any pixel is
// drawn; and the draw information an owner may change for a data cell.

#include "grid/GridPropTypes.h"
#include "grid/GridTypes.h"
#include "platform/core/Variant.h"
#include "platform/gui/Canvas.h"
#include "platform/gui/StdCtrls.h"

// What a painted cell is: the corner above the row bar, a heading, a
// row-bar cell or a data cell.
enum TgrCellKind { tckCorner, tckHeading, tckRowBar, tckData };
// The picture in a row-bar cell.
enum TgrRowIndicator { triNone, triCurrent, triChanged, triInsert };

// Transparent colour of the owner's draw information that means "not set".
inline constexpr TColor grDrawInfoColorNotSet = TColor(0x20000000);

// Everything one cell is painted from, worked out before any pixel is
// drawn (FillDrawInfo); the painting steps only read it.
struct TgrCellPaintInfo {
    TgrCellKind Kind = tckData;
    Integer DisplayCol = 0, DisplayRow = 0, DataCol = 0, DataRow = 0;
    TgrControlType ControlType = ctNone;
    // The cell less its grid lines; the clip adds the lines.
    TRect CellRect, ClipRect;
    // Where text, check box or picture go, and the button area.
    TRect ContentRect, ButtonRect;
    bool HasButton = false;
    TFont* Font = nullptr;
    bool Is3D = false;
    TgrHorzAlignment HorzAlignment = htaLeft;
    TgrVertAlignment VertAlignment = vtaTop;
    // Background and text colour after selection and focus colours.
    TColor Color = clWindow;
    TColor FontColor = clWindowText;
    bool ControlShown = false;
    TgrWordWrap WordWrap = wwDefault;
    TgrButtonType ButtonType = btNone;
    TgrDropDownStyle DropDownStyle = ddDropDown;
    TColor TransparentColor = grDrawInfoColorNotSet;
    // The cell's state.
    bool Selected = false;
    // Selected and shown in the selection colours (else inverted).
    bool SelectionColored = false;
    bool Current = false;
    bool ShowsFocus = false;
    // A heading held down with the mouse while the pointer is over it.
    bool Pressed = false;
    TgrRowIndicator Indicator = triNone;
    // A picture cell keeps its plain colour under the picture; the
    // selection or focus colour is blended over it (grColorNotSet: none).
    TColor BlendColor = grColorNotSet;
    // The value shown: its text for text cells and headings, its check
    // state for check cells.
    Variant Value;
    std::string Text;
    TCheckBoxState CheckState = cbUnchecked;
};

// The draw information the owner may change before a data cell is painted.
struct TgrCellDrawInfo {
    TFont* Font = nullptr;
    TColor Color = clWindow;
    TgrWordWrap WordWrap = wwDefault;
    TColor TransparentColor = grDrawInfoColorNotSet;
    TgrVertAlignment VertAlignment = vtaTop;
    TgrHorzAlignment HorzAlignment = htaLeft;
};

// How a picture is fitted into its cell (the four picture options after
// the levels and the grid's own settings have been asked).
struct TgrPictureOptions {
    bool Stretch = true;
    bool Shrink = true;
    bool Center = true;
    bool KeepAspectRatio = false;
};


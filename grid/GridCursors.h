#pragma once
// The grid's three picture cursors: the arrow of a cell range's left edge,
// the row bar's right arrow and the heading's down arrow. They are the
// cursor resources "GRARROWREV", "GRHORARROWRIGHT" and "GRVERTARROWDOWN",
// registered from the pictures drawn here and loaded by name when the grid
// unit starts.

#include "platform/gui/GuiTypes.h"

struct TgrGridCursors {
    TCursor ArrowRev = 0;       // up and to the right, hot spot (13, 4)
    TCursor HorArrowRight = 0;  // thick, right, hot spot (26, 16) at the tip
    TCursor VertArrowDown = 0;  // thick, down, hot spot (13, 26) at the tip
};

const TgrGridCursors& GridCursors();

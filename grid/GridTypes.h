#pragma once
// Small types shared by the grid's units.

#include "platform/gui/Graphics.h"

// Horizontal alignment of grid text; htaDefault inherits from the next level
// (cell, then column or row, then grid).
enum TgrHorzAlignment { htaLeft, htaRight, htaCenter, htaDefault };
// Vertical alignment of grid text; vtaDefault inherits likewise.
enum TgrVertAlignment { vtaTop, vtaBottom, vtaCenter, vtaDefault };

// The colour value that means "not set" for every colour of the grid, its
// columns, rows and cells.
inline constexpr TColor grColorNotSet = clNone;

// Word wrap of grid text; wwDefault inherits from the next level.
enum TgrWordWrap { wwOn, wwOff, wwDefault };
// The look of the grid's check boxes.
enum TgrCheckBoxStyle { stCross, stCheck, stFlat };

// Raises a flag for as long as it lives; the old value comes back, also
// when an error leaves the scope.
struct TgrFlagRaised {
    explicit TgrFlagRaised(bool& f) : flag(f), old(f) { flag = true; }
    ~TgrFlagRaised() { flag = old; }
    TgrFlagRaised(const TgrFlagRaised&) = delete;
    TgrFlagRaised& operator=(const TgrFlagRaised&) = delete;
    bool& flag;
    bool old;
};

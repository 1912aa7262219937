// How long the pointer must stay past an edge between two auto-scroll steps
// of a drag (selecting, moving columns or rows), by scroll speed.
#pragma once

#include "platform/core/Types.h"

inline constexpr Integer kLowSpeedDelay = 200;  // ms
inline constexpr Integer kHighSpeedDelay = 0;

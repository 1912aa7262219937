#pragma once
// A pause that blocks the user-interface thread: the windows are painted
// first, then nothing is handled while it lasts (data arriving meanwhile is
// delivered afterwards). It waits on
// the process clock; tests replace it so they can move a manual clock on.

#include <functional>

#include "platform/core/Types.h"

void BlockingPause(Cardinal ms);

// Tests: runs instead of the wait; empty restores it.
void SetBlockingPauseHandler(std::function<void(Cardinal ms)> handler);

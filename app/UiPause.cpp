#include "app/UiPause.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/core/Clock.h"
#include "platform/gui/Forms.h"

namespace {
std::function<void(Cardinal)> g_handler;
}

void BlockingPause(Cardinal ms) {
    // What was set just before the pause is on screen while it lasts.
    PaintShownForms();
    if (g_handler) {
        g_handler(ms);
        return;
    }
    const std::uint64_t until = CurrentClock().TickMs() + ms;
    for (std::uint64_t now = CurrentClock().TickMs(); now < until; now = CurrentClock().TickMs())
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min<std::uint64_t>(until - now, 20)));
}

void SetBlockingPauseHandler(std::function<void(Cardinal ms)> handler) { g_handler = std::move(handler); }

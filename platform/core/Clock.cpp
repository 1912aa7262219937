#include "platform/core/Clock.h"

#include <atomic>

namespace {
SystemClock g_systemClock;
std::atomic<Clock*> g_clock{&g_systemClock};
}  // namespace

Clock& CurrentClock() { return *g_clock.load(std::memory_order_acquire); }

void SetCurrentClock(Clock* clock) {
    g_clock.store(clock ? clock : &g_systemClock, std::memory_order_release);
}

#include "serial/SioUtils.h"

#include <sys/stat.h>

#include "platform/core/Clock.h"
#include "platform/core/UiQueue.h"

Cardinal SioTimeMs() { return static_cast<Cardinal>(CurrentClock().TickMs()); }

namespace {
// Number of distinct tick values of the 32-bit clock: 0 .. (2^32 - 1) div 55.
constexpr std::int64_t kTickRange = (0xFFFFFFFFll / kSioMsPerTick) + 1;

Integer NowTick() { return static_cast<Integer>(SioTimeMs() / kSioMsPerTick); }

std::int64_t TicksBetween(Integer from, Integer to) {
    return ((static_cast<std::int64_t>(to) - from) % kTickRange + kTickRange) % kTickRange;
}
}  // namespace

void StartTicks(TSioTickTimer& timer, Integer ticks) {
    if (ticks > kSioMaxTicks) ticks = kSioMaxTicks;
    if (ticks < 0) ticks = 0;
    timer.StartTick = NowTick();
    timer.ExpiryTick = timer.StartTick + ticks;
}

bool TicksExpired(const TSioTickTimer& timer) {
    // Measured as ticks elapsed since the start, modulo the clock's range,
    // so a timer started shortly before the tick count wraps still expires
    // after its length.
    std::int64_t length = static_cast<std::int64_t>(timer.ExpiryTick) - timer.StartTick;
    return TicksBetween(timer.StartTick, NowTick()) > length;
}

bool PumpOneMessage() {
    if (!UiQueue::IsUiThread() || !UiQueue::HasPending()) return false;
    UiQueue::ProcessPending();
    return true;
}

bool FileExistsText(const std::string& name) {
    struct stat st {};
    return stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string FormatDeviceName(Integer n) { return "\\\\.\\COM" + std::to_string(n); }

Integer PortNumberOfDeviceName(const std::string& name) {
    const std::string prefix = "\\\\.\\COM";
    if (name.compare(0, prefix.size(), prefix) != 0 || name.size() == prefix.size()) return 0;
    Integer n = 0;
    for (std::size_t i = prefix.size(); i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9' || n > 100000000) return 0;
        n = n * 10 + (name[i] - '0');
    }
    return n;
}

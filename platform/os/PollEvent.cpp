#include "platform/os/PollEvent.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <vector>

PollEvent::PollEvent(bool manualReset, bool initiallySet)
    : fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)), manual_(manualReset) {
    if (fd_ < 0) throw std::runtime_error("eventfd failed");
    if (initiallySet) Set();
}

PollEvent::~PollEvent() {
    if (fd_ >= 0) close(fd_);
}

void PollEvent::Set() {
    std::uint64_t one = 1;
    // The counter only grows; an event that is set stays set once.
    while (write(fd_, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void PollEvent::Reset() {
    std::uint64_t value;
    while (read(fd_, &value, sizeof value) < 0 && errno == EINTR) {
    }
}

bool PollEvent::IsSet() const {
    pollfd p{fd_, POLLIN, 0};
    return poll(&p, 1, 0) > 0 && (p.revents & POLLIN);
}

bool PollEvent::Claim() {
    if (manual_) return IsSet();
    std::uint64_t value;
    for (;;) {
        if (read(fd_, &value, sizeof value) == sizeof value) return true;
        if (errno != EINTR) return false;
    }
}

bool PollEvent::WaitFor(int timeoutMs) {
    return WaitForEvents({this}, timeoutMs) == 0;
}

namespace {
using SteadyClock = std::chrono::steady_clock;

int Remaining(SteadyClock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}
}  // namespace

int WaitForEvents(std::initializer_list<PollEvent*> events, int timeoutMs, int deviceFd, short deviceEvents) {
    std::vector<pollfd> fds;
    fds.reserve(events.size() + 1);
    for (PollEvent* e : events) fds.push_back({e->Fd(), POLLIN, 0});
    if (deviceFd >= 0) fds.push_back({deviceFd, deviceEvents, 0});
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);

    for (;;) {
        int wait = timeoutMs < 0 ? -1 : Remaining(deadline);
        int n = poll(fds.data(), fds.size(), wait);
        if (n < 0) {
            if (errno == EINTR) continue;
            return kWaitDeviceFailed;
        }
        if (n == 0) return kWaitTimeout;
        std::size_t i = 0;
        for (PollEvent* e : events) {
            if ((fds[i].revents & POLLIN) && e->Claim()) return static_cast<int>(i);
            ++i;
        }
        if (deviceFd >= 0) {
            short r = fds.back().revents;
            if (r & (POLLHUP | POLLERR | POLLNVAL)) return kWaitDeviceFailed;
            if (r & deviceEvents) return kWaitDeviceReady;
        }
        // Another waiter took an auto-reset event first: wait again.
        if (timeoutMs >= 0 && Remaining(deadline) == 0) return kWaitTimeout;
    }
}

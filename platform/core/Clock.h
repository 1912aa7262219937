#pragma once
// The one clock that timers, tick counts, repeat delays and "now" read.
// Production uses the system clock; tests install a ManualClock and advance
// it instead of sleeping.

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>

class Clock {
public:
    virtual ~Clock() = default;
    // Monotonic milliseconds since an arbitrary start.
    virtual std::uint64_t TickMs() = 0;
    // Wall-clock time.
    virtual std::chrono::system_clock::time_point WallTime() = 0;
};

class SystemClock final : public Clock {
public:
    std::uint64_t TickMs() override {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
    std::chrono::system_clock::time_point WallTime() override { return std::chrono::system_clock::now(); }
};

// A clock that moves only when told to. Thread-safe.
class ManualClock final : public Clock {
public:
    explicit ManualClock(std::uint64_t startTickMs = 0,
                         std::chrono::system_clock::time_point wall = {})
        : tick_(startTickMs), wall_(wall) {}
    std::uint64_t TickMs() override { std::lock_guard<std::mutex> l(m_); return tick_; }
    std::chrono::system_clock::time_point WallTime() override { std::lock_guard<std::mutex> l(m_); return wall_; }
    void Advance(std::uint64_t ms) {
        std::lock_guard<std::mutex> l(m_);
        tick_ += ms;
        wall_ += std::chrono::milliseconds(ms);
    }
    void SetWallTime(std::chrono::system_clock::time_point t) { std::lock_guard<std::mutex> l(m_); wall_ = t; }

private:
    std::mutex m_;
    std::uint64_t tick_;
    std::chrono::system_clock::time_point wall_;
};

// The process clock. Never null; defaults to the system clock.
Clock& CurrentClock();
// Installs a clock (tests); nullptr restores the system clock. The caller
// keeps ownership and must keep it alive while installed.
void SetCurrentClock(Clock* clock);

#pragma once
// Events that worker threads wait on together with a serial device: each is
// an eventfd, so one poll() covers several events and the device at once.
// An auto-reset event wakes one wait and clears itself; a manual-reset event
// stays set until Reset. Setting an event that is already set changes nothing.

#include <initializer_list>

class PollEvent {
public:
    explicit PollEvent(bool manualReset, bool initiallySet = false);
    ~PollEvent();
    PollEvent(const PollEvent&) = delete;
    PollEvent& operator=(const PollEvent&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;
    bool ManualReset() const { return manual_; }
    int Fd() const { return fd_; }

    // Waits until the event is set (consuming it when auto-reset); false on
    // time-out. A negative timeout waits without limit.
    bool WaitFor(int timeoutMs);

    // Called after poll() reported the eventfd readable: true when this wait
    // may count the event as signalled (an auto-reset event is consumed, and
    // false means another waiter took it first).
    bool Claim();

private:
    int fd_;
    bool manual_;
};

// Result of WaitForEvents: the index of the signalled event, or one of these.
constexpr int kWaitTimeout = -1;
constexpr int kWaitDeviceReady = -2;   // the device is ready for what was asked
constexpr int kWaitDeviceFailed = -3;  // the device hung up or reported an error

// Waits for the first of `events` (earlier entries win when several are set)
// or, when deviceFd >= 0, for the device to become ready for deviceEvents
// (POLLIN/POLLOUT). A hang-up or error of the device ends the wait with
// kWaitDeviceFailed even when deviceEvents is 0. A negative timeout waits
// without limit.
int WaitForEvents(std::initializer_list<PollEvent*> events, int timeoutMs,
                  int deviceFd = -1, short deviceEvents = 0);

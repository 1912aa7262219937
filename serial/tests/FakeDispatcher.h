#pragma once
// A dispatcher over a scripted device, for testing the rings, line settings,
// notification and dumps without threads: bytes "arrive" in Incoming, bytes
// written collect in Written, and the test calls the dispatcher's steps.

#include <string>

#include "serial/SioBaseDispatcher.h"

class TFakeDispatcher : public TSioBaseDispatcher {
public:
    explicit TFakeDispatcher(TComponent* owner = nullptr) : TSioBaseDispatcher(owner) {}
    ~TFakeDispatcher() override {
        releaseAtThreadEnd_ = false;
        ReleasePort();
    }

    // Rings and sizes as a successful open makes them, but no device and
    // no threads.
    void Prepare(Cardinal inSize, Cardinal outSize) {
        for (int i = 0; i < 6; ++i) events_[i] = std::make_unique<PollEvent>(i == 4);
        inRing_.assign(kSioRingSize, 0);
        outRing_.assign(outSize, 0);
        inQueueSize_ = inSize;
        outSize_ = outSize;
        valid = true;
        GetDeviceState(dcb_);
        logClockBase_ = SioTimeMs();
    }

    using TSioBaseDispatcher::DataAvailableCheck;
    using TSioBaseDispatcher::DrainOutput;
    using TSioBaseDispatcher::WaitOutputDrained;

    std::string Incoming;      // bytes the device holds for reading
    std::string Written;       // bytes the device took
    Cardinal WriteLimit = 1u << 30;  // most bytes one write takes
    int WritesLeft = -1;             // writes the device still takes (-1: any number)
    SerialDeviceState State;
    int SetStateCalls = 0;
    bool valid = false;
    Cardinal ModemLines = 0;
    Cardinal PendingErrors = 0;

    Integer EscapeFunction(Integer) override { return 0; }
    Integer PurgeQueue(bool input) override {
        if (input) Incoming.clear();
        else {
            TCriticalSectionGuard go(outLock_);
            outHead_ = outCount_ = 0;
        }
        return 0;
    }
    Cardinal ReadErrorsAndStatus(SerialStatus& status) override {
        status.cbInQue = static_cast<std::uint32_t>(Incoming.size());
        TCriticalSectionGuard go(outLock_);
        status.cbOutQue = outCount_;
        Cardinal e = PendingErrors;
        PendingErrors = 0;
        return e;
    }
    Integer GetDeviceState(SerialDeviceState& state) override {
        state = State;
        return 0;
    }
    Integer ReadDevice(Byte* buffer, Cardinal count) override {
        Cardinal n = std::min<Cardinal>(count, static_cast<Cardinal>(Incoming.size()));
        Incoming.copy(reinterpret_cast<char*>(buffer), n);
        Incoming.erase(0, n);
        return static_cast<Integer>(n);
    }
    Integer SetDeviceState(const SerialDeviceState& state) override {
        ++SetStateCalls;
        State = state;
        return 0;
    }
    bool SetupQueues(Cardinal, Cardinal) override { return true; }
    Integer OpenHandle(const std::string&) override { return 0; }
    Integer CloseDevice() override {
        valid = false;
        return 0;
    }
    bool DeviceValid() const override { return valid; }
    bool DeviceVanished() const override { return false; }
    void SetDeviceEventMask(Cardinal) override {}
    void WakeDeviceWaiter() override { ++Wakes; }
    bool WaitDeviceEvent(Cardinal& mask, bool) override {
        mask = 0;
        return false;
    }
    Integer WriteDevice(const Byte* data, Cardinal count) override {
        if (WritesLeft == 0) return 0;
        if (WritesLeft > 0) --WritesLeft;
        Cardinal n = std::min(count, WriteLimit);
        Written.append(reinterpret_cast<const char*>(data), n);
        return static_cast<Integer>(n);
    }
    // A device that takes nothing more makes the drain step out as a flush would.
    Integer WaitDeviceWritable(PollEvent&) override { return WritesLeft == 0 ? 0 : kWaitDeviceReady; }
    bool ReadModemLines(Cardinal& lines) override {
        lines = ModemLines;
        return true;
    }
    int Wakes = 0;
};

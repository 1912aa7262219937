#pragma once
// The dispatcher over the platform's serial devices (termios through
// platform/os), and the variant that adopts a device opened elsewhere.

#include <mutex>

#include "serial/SioBaseDispatcher.h"

class TSioWin32Dispatcher : public TSioBaseDispatcher {
public:
    explicit TSioWin32Dispatcher(TComponent* owner);
    ~TSioWin32Dispatcher() override;

    Integer EscapeFunction(Integer function) override;
    Integer PurgeQueue(bool input) override;
    Cardinal ReadErrorsAndStatus(SerialStatus& status) override;
    Integer GetDeviceState(SerialDeviceState& state) override;
    Integer ReadDevice(Byte* buffer, Cardinal count) override;
    Integer SetDeviceState(const SerialDeviceState& state) override;
    bool SetupQueues(Cardinal inSize, Cardinal outSize) override;
    void ReleasePort() override;
    // Opens "\\.\COM<n>" as port n (see SerialPortDevicePath), any other
    // name as a device path. Returns 0 or a negative code.
    Integer OpenHandle(const std::string& name) override;
    Integer CloseDevice() override;

    bool DeviceValid() const override { return handleValid_; }
    bool DeviceVanished() const override { return device_.Vanished(); }
    void SetDeviceEventMask(Cardinal mask) override;
    void WakeDeviceWaiter() override;
    bool WaitDeviceEvent(Cardinal& mask, bool watchInput) override;
    Integer WriteDevice(const Byte* data, Cardinal count) override;
    Integer WaitDeviceWritable(PollEvent& cancel) override;
    bool ReadModemLines(Cardinal& lines) override;

    SerialDevice& Device() { return device_; }

protected:
    // The shut-down steps of destruction; derived classes call it first.
    void Destroy();
    // Closes the descriptor once no worker thread can still use it.
    void CloseDescriptor();

    SerialDevice device_;
    std::atomic<bool> handleValid_{false};
    std::mutex closeLock_;
    bool destroyed_ = false;
};

// A dispatcher over a device handle obtained elsewhere (a telephony line's
// serial device). Nothing in the program creates one.
class TSioTAPI32Dispatcher : public TSioWin32Dispatcher {
public:
    TSioTAPI32Dispatcher(TComponent* owner, Integer handle);
    Integer OpenHandle(const std::string& name) override;

private:
    Integer adoptedHandle_;
};

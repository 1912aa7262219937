#include "serial/SioWin32Dispatcher.h"

#include "platform/os/SerialPorts.h"

TSioWin32Dispatcher::TSioWin32Dispatcher(TComponent* owner) : TSioBaseDispatcher(owner) {}

TSioWin32Dispatcher::~TSioWin32Dispatcher() { Destroy(); }

void TSioWin32Dispatcher::Destroy() {
    if (destroyed_) return;
    destroyed_ = true;
    if (closePending_) {
        // The dispatch thread releases the port as it ends; let it.
        WaitForThread(dispThread_.get());
        ReleasePort();
    } else {
        ShutDownPort();
    }
    WaitForThread(outThread_.get());
    WaitForThread(comThread_.get());
    WaitForThread(dispThread_.get());
    CloseDescriptor();
}

Integer TSioWin32Dispatcher::EscapeFunction(Integer function) {
    device_.Escape(function);
    return 0;
}

Integer TSioWin32Dispatcher::PurgeQueue(bool input) {
    if (input) return device_.Purge(true);
    if (liveOut_ && events_[5]) {
        // Let the output thread step out of its write first.
        events_[5]->Set();
        events_[2]->WaitFor(5000);
        {
            TCriticalSectionGuard go(outLock_);
            outHead_ = outCount_ = 0;
        }
    }
    return device_.Purge(false);
}

Cardinal TSioWin32Dispatcher::ReadErrorsAndStatus(SerialStatus& status) {
    Cardinal flags = device_.ClearErrors(&status);
    TCriticalSectionGuard go(outLock_);
    status.cbOutQue = outCount_;
    deviceStatus_ = status;
    return flags;
}

Integer TSioWin32Dispatcher::GetDeviceState(SerialDeviceState& state) {
    return device_.GetState(state) == 0 ? 0 : -1;
}

Integer TSioWin32Dispatcher::ReadDevice(Byte* buffer, Cardinal count) {
    Integer n = device_.Read(buffer, count);
    if (n < 0) {
        ReadFailed(n);
        return 0;
    }
    return n;
}

Integer TSioWin32Dispatcher::SetDeviceState(const SerialDeviceState& state) {
    SerialDeviceState s = state;
    s.BaudRate = ResolveBaudCode(s.BaudRate);
    Integer r = device_.SetState(s);
    if (r < 0) lastError_ = -r;
    return r;
}

bool TSioWin32Dispatcher::SetupQueues(Cardinal inSize, Cardinal outSize) {
    Integer r = device_.SetupQueues(inSize, outSize);
    if (r < 0) lastError_ = -r;
    return r == 0;
}

Integer TSioWin32Dispatcher::OpenHandle(const std::string& name) {
    Integer port = PortNumberOfDeviceName(name);
    std::string path = port > 0 ? SerialPortDevicePath(port) : name;
    Integer r = device_.Open(path);
    if (r < 0) {
        lastError_ = -r;
        return r;
    }
    handleValid_ = true;
    return 0;
}

Integer TSioWin32Dispatcher::CloseDevice() {
    if (!handleValid_) return 0;
    if (threadsStarted_ || runningThreads_ > 0) {
        killThreads_ = true;
        device_.Shutdown();  // ends the event thread's wait and any write wait
        if (events_[1]) events_[1]->Set();
    }
    handleValid_ = false;
    // The descriptor itself stays until the threads that may use it have
    // ended (ReleasePort), so its number cannot be reused under them.
    if (runningThreads_ == 0) CloseDescriptor();
    return 0;
}

void TSioWin32Dispatcher::ReleasePort() {
    TSioBaseDispatcher::ReleasePort();
    if (!handleValid_) CloseDescriptor();
}

void TSioWin32Dispatcher::CloseDescriptor() {
    // Callers have made sure no other thread still uses the descriptor.
    std::lock_guard<std::mutex> l(closeLock_);
    device_.Close();
}

void TSioWin32Dispatcher::SetDeviceEventMask(Cardinal mask) { device_.SetEventMask(mask); }

void TSioWin32Dispatcher::WakeDeviceWaiter() { device_.WakeWaiter(); }

bool TSioWin32Dispatcher::WaitDeviceEvent(Cardinal& mask, bool watchInput) {
    std::uint32_t events = 0;
    bool ok = device_.WaitEvent(events, watchInput);
    mask = events;
    return ok;
}

Integer TSioWin32Dispatcher::WriteDevice(const Byte* data, Cardinal count) { return device_.Write(data, count); }

Integer TSioWin32Dispatcher::WaitDeviceWritable(PollEvent& cancel) { return device_.WaitWritable(cancel); }

bool TSioWin32Dispatcher::ReadModemLines(Cardinal& lines) {
    std::uint32_t l = 0;
    bool ok = device_.ModemStatus(l);
    lines = l;
    return ok;
}

TSioTAPI32Dispatcher::TSioTAPI32Dispatcher(TComponent* owner, Integer handle)
    : TSioWin32Dispatcher(owner), adoptedHandle_(handle) {}

Integer TSioTAPI32Dispatcher::OpenHandle(const std::string&) {
    // This platform cannot adopt a telephony line's device: without a
    // handle the open fails as the platform reports it.
    if (adoptedHandle_ == 0) {
        lastError_ = 2007;
        return -2007;
    }
    lastError_ = kOsErrorInvalidHandle;
    return -kOsErrorInvalidHandle;
}

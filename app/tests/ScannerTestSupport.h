#pragma once
// A temporary port folder (OMR_PORTS) in which every port from 1 to 24 is
// a link to a missing device, so no port of the machine takes part; a
// simulated scanner replaces one of them. And a driver that runs a test's
// steps from the application's idle handler while windows are shown
// modally, with a wall-clock limit so that a fault fails instead of hanging.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>

#include "platform/core/tests/TextTestSupport.h"
#include "platform/gui/Forms.h"
#include "platform/os/SerialPorts.h"
#include "tools/scansim/ScannerSimulator.h"

class TestPorts {
public:
    static constexpr const char* kMissingDevice = "/nonexistent/omr-no-device";

    TestPorts() {
        setenv("OMR_PORTS", folder_.Path().c_str(), 1);
        for (int n = 1; n <= 24; ++n) Unlink(n, true);
    }
    ~TestPorts() { unsetenv("OMR_PORTS"); }
    const std::string& Folder() const { return folder_.Path(); }

    void Plug(TScannerSimulator& sim, int n) { sim.Plug(folder_.Path(), n); }
    // Unplugs the simulator: its link goes. On a machine where the port's
    // default device has hardware behind it, a link to a missing device
    // stands in for the removed one.
    void Unplug(TScannerSimulator& sim, int n) {
        sim.Unplug();
        if (SerialPortPresent(n)) Unlink(n, true);
    }
    // A link named COM<n> to the device at `target`.
    void Link(int n, const std::string& target) {
        std::string link = folder_ / ("COM" + std::to_string(n));
        ::unlink(link.c_str());
        EXPECT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    }

private:
    void Unlink(int n, bool toMissing) {
        std::string link = folder_ / ("COM" + std::to_string(n));
        ::unlink(link.c_str());
        if (toMissing) EXPECT_EQ(::symlink(kMissingDevice, link.c_str()), 0);
    }
    TempFolder folder_;
};

// Runs `step` whenever the application is idle (also inside modal loops)
// until `done` holds. After `limitMs` of real time it records a failure and
// terminates the application, which ends every modal loop.
class IdleDriver {
public:
    IdleDriver(std::function<void()> step, int limitMs = 20000)
        : step_(std::move(step)),
          deadline_(std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs)) {
        Application->OnIdle = [this](TObject*, bool&) {
            if (expired_) return;
            if (std::chrono::steady_clock::now() > deadline_) {
                expired_ = true;
                ADD_FAILURE() << "the windows did not reach the expected state in time";
                Application->Terminate();
                return;
            }
            step_();
        };
    }
    ~IdleDriver() { Application->OnIdle = nullptr; }
    bool Expired() const { return expired_; }

private:
    std::function<void()> step_;
    std::chrono::steady_clock::time_point deadline_;
    bool expired_ = false;
};

// The active window as a given class, or null.
template <class T>
T* ActiveAs() {
    return dynamic_cast<T*>(Screen->ActiveForm());
}

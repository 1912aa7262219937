#pragma once
// Shared pieces of the serial tests: a port folder with pseudo-terminals
// linked as ports, and pumping the UI call queue until something happened.

#include <stdlib.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "platform/core/UiQueue.h"
#include "platform/os/PseudoTerminal.h"

// A temporary port folder named by OMR_PORTS for the test's lifetime.
class TTestPortFolder {
public:
    TTestPortFolder() {
        char tmpl[] = "/tmp/omr-serial-XXXXXX";
        path_ = mkdtemp(tmpl);
        setenv("OMR_PORTS", path_.c_str(), 1);
    }
    ~TTestPortFolder() {
        unsetenv("OMR_PORTS");
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    // Links a new pseudo-terminal as COM<n>.
    std::unique_ptr<PseudoTerminal> Plug(int n) {
        auto pty = std::make_unique<PseudoTerminal>();
        Unlink(n);
        std::filesystem::create_symlink(pty->SlavePath(), File("COM" + std::to_string(n)));
        return pty;
    }
    // Links ports 1-24 that have no link yet to nothing, so that listing
    // and probing ports never reach the machine's own serial devices.
    void HideDefaultPorts() {
        for (int n = 1; n <= 24; ++n) {
            std::string link = File("COM" + std::to_string(n));
            std::error_code ec;
            if (!std::filesystem::is_symlink(std::filesystem::symlink_status(link, ec)))
                std::filesystem::create_symlink(File("none"), link, ec);
        }
    }
    void Unlink(int n) {
        std::error_code ec;
        std::filesystem::remove(File("COM" + std::to_string(n)), ec);
    }

private:
    std::string path_;
};

// Runs the UI call queue until done() holds, at most timeoutMs (a generous
// bound, not a timing assumption). done() reads state only.
inline bool PumpUntil(const std::function<bool()>& done, Cardinal timeoutMs = 20000) {
    return UiQueue::ProcessUntil(done, timeoutMs);
}

#include <chrono>
#include <thread>

// Runs the UI call queue and looks at pred() every few milliseconds until
// it holds, at most timeoutMs: for conditions no queued call announces.
inline bool PollUntil(const std::function<bool()>& pred, int timeoutMs = 20000) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        UiQueue::ProcessPending();
        if (pred()) return true;
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

// Reads a whole file as bytes; empty when it cannot be read.
inline std::string ReadFileBytes(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return {};
    std::string s;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
    std::fclose(f);
    return s;
}

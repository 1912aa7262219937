// Serial port benchmark: pushes 10 MB through a pseudo-terminal into a
// data-available handler that reads one byte at a time with ReadChar (as
// the program does), then measures the delay from the peer's write to the
// handler, and the CPU the worker threads use while no bytes arrive.
//
//   serial_bench [megabytes]

#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/core/UiQueue.h"
#include "platform/os/PseudoTerminal.h"
#include "serial/SioComPort.h"

namespace {
using SteadyClock = std::chrono::steady_clock;

double Seconds(SteadyClock::duration d) { return std::chrono::duration<double>(d).count(); }

double ProcessCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}
}  // namespace

int main(int argc, char** argv) {
    const std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 10;
    const std::size_t total = megabytes * 1024 * 1024;

    char tmpl[] = "/tmp/omr-bench-XXXXXX";
    std::string folder = mkdtemp(tmpl);
    setenv("OMR_PORTS", folder.c_str(), 1);
    UiQueue::Reset();

    PseudoTerminal pty;
    std::filesystem::create_symlink(pty.SlavePath(), folder + "/COM1");

    TSioComPort port(nullptr);
    port.SetComNumber(1);
    std::atomic<std::size_t> received{0};
    std::size_t bad = 0;
    std::vector<SteadyClock::time_point> arrivals;
    bool recordArrivals = false;
    port.SetOnTriggerAvail([&](TObject*, Word count) {
        for (Word i = 0; i < count; ++i) {
            char c = port.ReadChar();
            std::size_t n = received.load(std::memory_order_relaxed);
            if (static_cast<unsigned char>(c) != static_cast<unsigned char>(n * 7)) ++bad;
            if (recordArrivals) arrivals.push_back(SteadyClock::now());
            received.store(n + 1, std::memory_order_relaxed);
        }
    });
    port.SetOpen(true);

    // ---- Throughput --------------------------------------------------------
    std::string data(total, '\0');
    for (std::size_t i = 0; i < total; ++i) data[i] = static_cast<char>(i * 7);
    const double cpuBefore = ProcessCpuSeconds();
    const auto start = SteadyClock::now();
    std::thread peer([&] {
        const std::size_t chunk = 4096;
        for (std::size_t at = 0; at < total; at += chunk) pty.Write(data.substr(at, std::min(chunk, total - at)));
    });
    UiQueue::ProcessUntil([&] { return received.load() >= total; }, 600000);
    const auto end = SteadyClock::now();
    peer.join();
    const double cpuUsed = ProcessCpuSeconds() - cpuBefore;
    const double elapsed = Seconds(end - start);
    std::printf("throughput: %zu bytes in %.3f s = %.2f MB/s (%.0f bytes/s), %zu wrong bytes, CPU %.3f s\n",
                received.load(), elapsed, total / elapsed / (1024.0 * 1024.0), total / elapsed, bad, cpuUsed);

    // ---- Delay from the peer's write to the handler --------------------------
    const int samples = 1000;
    std::vector<SteadyClock::time_point> writes;
    writes.reserve(samples);
    arrivals.clear();
    arrivals.reserve(samples);
    recordArrivals = true;
    const std::size_t base = received.load();
    std::atomic<bool> peerDone{false};
    std::thread pacer([&] {
        for (int i = 0; i < samples; ++i) {
            std::size_t n = base + static_cast<std::size_t>(i);
            writes.push_back(SteadyClock::now());
            pty.Write(std::string(1, static_cast<char>(n * 7)));
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        peerDone = true;
    });
    UiQueue::ProcessUntil([&] { return received.load() >= base + samples; }, 600000);
    pacer.join();
    std::vector<double> delays;
    for (int i = 0; i < samples && i < static_cast<int>(arrivals.size()); ++i)
        delays.push_back(std::chrono::duration<double, std::micro>(arrivals[i] - writes[i]).count());
    std::sort(delays.begin(), delays.end());
    if (!delays.empty())
        std::printf("delay write -> handler over %zu single bytes: median %.0f us, 90th percentile %.0f us, max %.0f us\n",
                    delays.size(), delays[delays.size() / 2], delays[delays.size() * 9 / 10], delays.back());

    // ---- CPU while idle ----------------------------------------------------------
    const double idleSeconds = 2.0;
    const double idleBefore = ProcessCpuSeconds();
    std::this_thread::sleep_for(std::chrono::duration<double>(idleSeconds));
    const double idleCpu = ProcessCpuSeconds() - idleBefore;
    std::printf("idle: %.2f ms CPU in %.1f s with the port open and no bytes arriving (%.3f%% of one core)\n",
                idleCpu * 1000, idleSeconds, idleCpu / idleSeconds * 100);
    std::printf("(the scanner's line at 19200 baud carries about 1.9 KB/s)\n");

    port.SetOpen(false);
    std::filesystem::remove_all(folder);
    return bad == 0 && received.load() == total + samples ? 0 : 1;
}

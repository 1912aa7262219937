// scansim: plays the optical mark scanner on a pseudo-terminal linked as
// COM<n> in a port folder, until it is interrupted.
//
//   scansim --com N [--ports DIR] [--script FILE] [--log FILE] [--feed MS|manual]
//           [--silent]
//
// The port folder defaults to OMR_PORTS, else "ports" in the current folder.
// With a manual feed, each line read from standard input feeds one sheet or
// calibration prompt; "unplug" on standard input unplugs the scanner.

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <thread>

#include "tools/scansim/ScannerSimulator.h"

namespace {
int Usage() {
    std::cerr << "usage: scansim --com N [--ports DIR] [--script FILE] [--log FILE] [--feed MS|manual] [--silent]\n";
    return 2;
}
}  // namespace

int main(int argc, char** argv) {
    int com = 0;
    std::string ports = std::getenv("OMR_PORTS") ? std::getenv("OMR_PORTS") : "ports";
    std::string scriptPath, logPath, feed;
    bool silent = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
        if (a == "--com") com = std::atoi(value().c_str());
        else if (a == "--ports") ports = value();
        else if (a == "--script") scriptPath = value();
        else if (a == "--log") logPath = value();
        else if (a == "--feed") feed = value();
        else if (a == "--silent") silent = true;
        else return Usage();
    }
    if (com <= 0) return Usage();

    TSimScript script;
    if (!scriptPath.empty()) {
        std::string error;
        if (!LoadSimScript(scriptPath, script, error)) {
            std::cerr << "scansim: " << scriptPath << ": " << error << "\n";
            return 1;
        }
    }
    if (feed == "manual") script.FeedMs = -1;
    else if (!feed.empty()) script.FeedMs = std::atoi(feed.c_str());
    else if (scriptPath.empty()) script.FeedMs = 1000;
    if (silent) script.Silent = true;

    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    TScannerSimulator sim(script);
    if (!logPath.empty()) sim.SetLogFile(logPath);
    try {
        sim.Plug(ports, com);
    } catch (const std::exception& e) {
        std::cerr << "scansim: " << e.what() << "\n";
        return 1;
    }
    std::cout << "scansim: COM" << com << " -> " << sim.SlavePath() << " (" << sim.LinkPath() << ")" << std::endl;

    std::thread input([&sim] {
        std::string line;
        while (std::getline(std::cin, line)) {
            if (line == "unplug") {
                sim.Unplug();
                std::cout << "scansim: unplugged" << std::endl;
                kill(getpid(), SIGTERM);
                return;
            }
            if (!sim.FeedSheet()) std::cout << "scansim: nothing to feed" << std::endl;
        }
    });
    input.detach();

    int sig = 0;
    sigwait(&signals, &sig);
    sim.Unplug();
    std::cout << "scansim: " << sim.Received().size() << " bytes received" << std::endl;
    return 0;
}

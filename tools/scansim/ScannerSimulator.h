#pragma once
// A simulated scanner on a pseudo-terminal, linked as "<port folder>/COM<n>"
// so that the program finds it as port n. It answers the scanner commands
// from its script, sends sheet frames after "g" or "m", logs every byte it
// receives with a time stamp, and can split frames, add noise, go silent or
// be unplugged (the link is removed and the pty hangs up).

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/os/PollEvent.h"
#include "platform/os/PseudoTerminal.h"
#include "tools/scansim/SimScript.h"

struct TSimLogEntry {
    double Ms;          // milliseconds since the simulator was plugged in
    unsigned char Byte;
};

class TScannerSimulator {
public:
    explicit TScannerSimulator(TSimScript script = {});
    ~TScannerSimulator();
    TScannerSimulator(const TScannerSimulator&) = delete;
    TScannerSimulator& operator=(const TScannerSimulator&) = delete;

    // Creates the pty, links it as <portFolder>/COM<comNumber> (replacing a
    // link of that name) and starts answering.
    void Plug(const std::string& portFolder, int comNumber);
    // Removes the link (when it still names this simulator's pty; another
    // may have been plugged in under the same name) and hangs the pty up.
    // While plugged in, the simulator also releases an exclusive mode that a
    // program ended without closing the port left on the pty.
    void Unplug();
    bool Plugged() const;
    std::string SlavePath() const;
    std::string LinkPath() const { return linkPath_; }

    void SetScript(const TSimScript& script);
    void SetSilent(bool silent);
    // Appends each received byte to this file as it arrives.
    void SetLogFile(const std::string& path);

    // Sends the next calibration prompt or sheet frame; false when nothing
    // is waiting to be fed (no calibration or scan running, or no sheets left).
    bool FeedSheet();
    // Writes bytes as they are, in one write.
    void SendRaw(const std::string& bytes);

    std::vector<TSimLogEntry> Received() const;
    std::string ReceivedText() const;
    // Waits until `count` bytes were received in total; false on time-out.
    bool WaitForReceived(std::size_t count, int timeoutMs) const;
    int SheetsSent() const;
    bool WaitForSheetsSent(int count, int timeoutMs) const;
    bool RawMode() const;

    // Formats the byte log: milliseconds, hexadecimal byte, printable character.
    static std::string FormatLogLine(const TSimLogEntry& e);

private:
    void Run();
    void HandleByte(unsigned char b);
    bool FeedLocked();
    void SendSheetLocked(const TSimSheet& sheet);
    void WriteLocked(const std::string& bytes);
    void UnplugLocked();
    double NowMs() const;

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    TSimScript script_;
    std::unique_ptr<PseudoTerminal> pty_;
    std::string linkPath_;
    std::thread thread_;
    PollEvent stop_{true};
    bool running_ = false;
    std::chrono::steady_clock::time_point start_;
    std::vector<TSimLogEntry> log_;
    std::string logFile_;

    enum Mode { Idle, Calibrating, CalibrationDone, Scanning };
    Mode mode_ = Idle;
    std::vector<std::string> calLetters_;
    std::size_t calIndex_ = 0;
    bool raw_ = false;
    std::size_t sheetIndex_ = 0;
    int sheetsSent_ = 0;
    std::chrono::steady_clock::time_point nextFeed_;
    bool autoFeedDue_ = false;
};

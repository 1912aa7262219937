#include "tools/scansim/ScannerSimulator.h"

#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using SteadyClock = std::chrono::steady_clock;

namespace {
constexpr int kStaleCheckMs = 200;
}

TScannerSimulator::TScannerSimulator(TSimScript script) : script_(std::move(script)) {}

TScannerSimulator::~TScannerSimulator() { Unplug(); }

double TScannerSimulator::NowMs() const {
    return std::chrono::duration<double, std::milli>(SteadyClock::now() - start_).count();
}

void TScannerSimulator::Plug(const std::string& portFolder, int comNumber) {
    Unplug();
    std::lock_guard<std::mutex> l(mutex_);
    pty_ = std::make_unique<PseudoTerminal>();
    fs::create_directories(portFolder);
    linkPath_ = (fs::path(portFolder) / ("COM" + std::to_string(comNumber))).string();
    std::error_code ec;
    fs::remove(linkPath_, ec);
    fs::create_symlink(pty_->SlavePath(), linkPath_);
    start_ = SteadyClock::now();
    mode_ = Idle;
    sheetIndex_ = 0;
    sheetsSent_ = 0;
    autoFeedDue_ = false;
    stop_.Reset();
    running_ = true;
    thread_ = std::thread([this] { Run(); });
}

void TScannerSimulator::UnplugLocked() {
    // The link goes only while it is still this simulator's: another
    // simulator may have been plugged in as the same port since.
    if (!linkPath_.empty() && pty_) {
        std::error_code ec;
        if (fs::read_symlink(linkPath_, ec) == fs::path(pty_->SlavePath())) fs::remove(linkPath_, ec);
    }
    if (pty_) pty_->Close();
    running_ = false;
    stop_.Set();
    changed_.notify_all();
}

void TScannerSimulator::Unplug() {
    std::thread t;
    {
        std::lock_guard<std::mutex> l(mutex_);
        UnplugLocked();
        t = std::move(thread_);
    }
    if (t.joinable()) t.join();
    std::lock_guard<std::mutex> l(mutex_);
    pty_.reset();
}

bool TScannerSimulator::Plugged() const {
    std::lock_guard<std::mutex> l(mutex_);
    return running_;
}

std::string TScannerSimulator::SlavePath() const {
    std::lock_guard<std::mutex> l(mutex_);
    return pty_ ? pty_->SlavePath() : std::string();
}

void TScannerSimulator::SetScript(const TSimScript& script) {
    std::lock_guard<std::mutex> l(mutex_);
    script_ = script;
}

void TScannerSimulator::SetSilent(bool silent) {
    std::lock_guard<std::mutex> l(mutex_);
    script_.Silent = silent;
}

void TScannerSimulator::SetLogFile(const std::string& path) {
    std::lock_guard<std::mutex> l(mutex_);
    logFile_ = path;
}

void TScannerSimulator::WriteLocked(const std::string& bytes) {
    if (pty_ && pty_->IsOpen() && !bytes.empty()) pty_->Write(bytes);
}

void TScannerSimulator::SendRaw(const std::string& bytes) {
    std::lock_guard<std::mutex> l(mutex_);
    WriteLocked(bytes);
}

void TScannerSimulator::SendSheetLocked(const TSimSheet& sheet) {
    if (!sheet.Noise.empty()) {
        WriteLocked(sheet.Noise);
        std::this_thread::sleep_for(std::chrono::milliseconds(script_.SplitPauseMs));
    }
    std::string frame = EncodeSimFrame(script_, sheet, raw_);
    std::size_t first = sheet.Split > 0 ? std::min<std::size_t>(sheet.Split, frame.size()) : frame.size();
    if (sheet.Unplug && sheet.Split == 0) first = frame.size() / 2;
    WriteLocked(frame.substr(0, first));
    if (sheet.Unplug) {
        UnplugLocked();
        return;
    }
    if (first < frame.size()) {
        // Let the first part arrive on its own before the rest.
        std::this_thread::sleep_for(std::chrono::milliseconds(script_.SplitPauseMs));
        WriteLocked(frame.substr(first));
    }
    ++sheetsSent_;
    changed_.notify_all();
}

bool TScannerSimulator::FeedLocked() {
    if (!running_) return false;
    if (mode_ == Calibrating) {
        if (calIndex_ >= calLetters_.size()) return false;
        WriteLocked(calLetters_[calIndex_++]);
        if (calIndex_ >= calLetters_.size()) mode_ = CalibrationDone;
        return true;
    }
    if (mode_ == Scanning) {
        if (sheetIndex_ >= script_.Sheets.size()) return false;
        SendSheetLocked(script_.Sheets[sheetIndex_++]);
        return true;
    }
    return false;
}

bool TScannerSimulator::FeedSheet() {
    std::lock_guard<std::mutex> l(mutex_);
    return FeedLocked();
}

void TScannerSimulator::HandleByte(unsigned char b) {
    log_.push_back({NowMs(), b});
    if (!logFile_.empty()) {
        std::ofstream out(logFile_, std::ios::app | std::ios::binary);
        out << FormatLogLine(log_.back()) << '\n';
    }
    changed_.notify_all();
    if (script_.Silent) return;
    auto scheduleFeed = [this] {
        if (script_.FeedMs >= 0) {
            autoFeedDue_ = true;
            nextFeed_ = SteadyClock::now() + std::chrono::milliseconds(script_.FeedMs);
        }
    };
    switch (b) {
    case '@':
        WriteLocked(mode_ == Calibrating ? "S" : "K");
        break;
    case 'v':
        WriteLocked(script_.Version);
        break;
    case 'c':
        if (script_.CalibrationEnding == ceTimeout) {
            WriteLocked("T");
            mode_ = Idle;
            break;
        }
        calLetters_ = SimCalibrationLetters(script_.CalibrationSheets);
        calIndex_ = 0;
        mode_ = Calibrating;
        WriteLocked(calLetters_[calIndex_++]);  // the first prompt comes at once
        scheduleFeed();
        break;
    case 's':
        WriteLocked(script_.CalibrationEnding == ceFailed ? "F" : "G");
        mode_ = Idle;
        break;
    case 'g':
    case 'm':
        raw_ = b == 'm';
        mode_ = Scanning;
        sheetIndex_ = 0;
        scheduleFeed();
        break;
    default:
        break;
    }
}

void TScannerSimulator::Run() {
    for (;;) {
        int timeout = -1;
        int masterFd;
        {
            std::lock_guard<std::mutex> l(mutex_);
            if (!running_ || !pty_ || !pty_->IsOpen()) return;
            masterFd = pty_->MasterFd();
            if (autoFeedDue_) {
                auto left = std::chrono::duration_cast<std::chrono::milliseconds>(nextFeed_ - SteadyClock::now()).count();
                timeout = left < 0 ? 0 : static_cast<int>(left);
            }
            // A program that ended with the port open leaves the pty in
            // exclusive mode; look for that regularly and release it.
            pty_->ReleaseStaleExclusive();
            if (timeout < 0 || timeout > kStaleCheckMs) timeout = kStaleCheckMs;
        }
        int r = WaitForEvents({&stop_}, timeout, masterFd, POLLIN);
        std::lock_guard<std::mutex> l(mutex_);
        if (!running_ || r == 0) return;
        if (r == kWaitDeviceReady) {
            unsigned char buf[512];
            ssize_t n = read(masterFd, buf, sizeof buf);
            for (ssize_t i = 0; i < n && running_; ++i) HandleByte(buf[i]);
        } else if (r == kWaitDeviceFailed) {
            // No program has the port open right now; look again shortly.
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        if (autoFeedDue_ && SteadyClock::now() >= nextFeed_) {
            autoFeedDue_ = false;
            if (FeedLocked() && running_) {
                autoFeedDue_ = true;
                nextFeed_ = SteadyClock::now() + std::chrono::milliseconds(script_.FeedMs);
            }
        }
    }
}

std::vector<TSimLogEntry> TScannerSimulator::Received() const {
    std::lock_guard<std::mutex> l(mutex_);
    return log_;
}

std::string TScannerSimulator::ReceivedText() const {
    std::lock_guard<std::mutex> l(mutex_);
    std::string s;
    for (const auto& e : log_) s += static_cast<char>(e.Byte);
    return s;
}

bool TScannerSimulator::WaitForReceived(std::size_t count, int timeoutMs) const {
    std::unique_lock<std::mutex> l(mutex_);
    return changed_.wait_for(l, std::chrono::milliseconds(timeoutMs), [&] { return log_.size() >= count; });
}

int TScannerSimulator::SheetsSent() const {
    std::lock_guard<std::mutex> l(mutex_);
    return sheetsSent_;
}

bool TScannerSimulator::WaitForSheetsSent(int count, int timeoutMs) const {
    std::unique_lock<std::mutex> l(mutex_);
    return changed_.wait_for(l, std::chrono::milliseconds(timeoutMs), [&] { return sheetsSent_ >= count; });
}

bool TScannerSimulator::RawMode() const {
    std::lock_guard<std::mutex> l(mutex_);
    return raw_;
}

std::string TScannerSimulator::FormatLogLine(const TSimLogEntry& e) {
    char line[64];
    unsigned char c = e.Byte;
    std::snprintf(line, sizeof line, "%10.3f  %02X  %c", e.Ms, c, c >= 0x20 && c < 0x7F ? c : '.');
    return line;
}

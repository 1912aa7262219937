#include "platform/os/Sound.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <thread>

// ---------------------------------------------------------------------------
// Wave files
// ---------------------------------------------------------------------------

namespace {

std::uint32_t Le32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

unsigned Le16(const std::uint8_t* p) { return unsigned(p[0]) | unsigned(p[1]) << 8; }

bool IsTag(const std::uint8_t* p, const char* tag) { return std::equal(p, p + 4, tag); }

constexpr unsigned kWaveFormatPcm = 1;
constexpr unsigned kWaveFormatExtensible = 0xFFFE;

}  // namespace

bool ParseWave(const std::vector<std::uint8_t>& bytes, TWaveData& wave) {
    const std::size_t size = bytes.size();
    if (size < 12 || !IsTag(&bytes[0], "RIFF") || !IsTag(&bytes[8], "WAVE")) return false;

    bool haveFormat = false;
    TWaveFormat format;
    std::size_t pos = 12;
    while (pos + 8 <= size) {
        const std::uint8_t* chunk = &bytes[pos];
        const std::size_t declared = Le32(chunk + 4);
        const std::size_t body = pos + 8;
        const std::size_t available = std::min(declared, size - body);
        if (IsTag(chunk, "fmt ")) {
            if (available < 16) return false;
            unsigned tag = Le16(chunk + 8);
            format.Channels = Le16(chunk + 10);
            format.SamplesPerSec = Le32(chunk + 12);
            format.BitsPerSample = Le16(chunk + 22);
            // The extensible header names its real format in a sub-format
            // GUID whose first two bytes are the plain format tag.
            if (tag == kWaveFormatExtensible && available >= 26) tag = Le16(chunk + 8 + 24);
            if (tag != kWaveFormatPcm) return false;
            if (format.Channels < 1 || format.Channels > 2) return false;
            if (format.BitsPerSample != 8 && format.BitsPerSample != 16) return false;
            if (format.SamplesPerSec == 0) return false;
            haveFormat = true;
        } else if (IsTag(chunk, "data")) {
            if (!haveFormat) return false;
            const std::size_t frames = available / format.BlockAlign();
            wave.Format = format;
            wave.Samples.assign(bytes.begin() + body,
                                bytes.begin() + body + frames * format.BlockAlign());
            return true;
        }
        if (declared > size - body) break;
        // Chunks start on even offsets.
        pos = body + declared + (declared & 1);
    }
    return false;
}

bool LoadWaveFile(const std::string& path, TWaveData& wave) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    std::vector<std::uint8_t> bytes;
    std::uint8_t buffer[16384];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    // A read error (a folder, for one) leaves nothing to play.
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    return !failed && ParseWave(bytes, wave);
}

// ---------------------------------------------------------------------------
// ALSA device
// ---------------------------------------------------------------------------

namespace {

// ALSA reports missing cards and configuration trouble on stderr; without a
// device the program is simply silent.
void QuietAlsaErrors(const char*, int, const char*, int, const char*, ...) {}

class TAlsaSoundDevice : public TSoundDevice {
public:
    explicit TAlsaSoundDevice(std::string pcmName) : pcmName_(std::move(pcmName)) {}
    ~TAlsaSoundDevice() override { Close(); }

    bool Open(const TWaveFormat& format) override {
        static std::once_flag quiet;
        std::call_once(quiet, [] { snd_lib_error_set_handler(QuietAlsaErrors); });
        if (interrupted_) return false;
        // Non-blocking, so that neither a busy device nor a full buffer can
        // keep a stop waiting.
        if (snd_pcm_open(&pcm_, pcmName_.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0) {
            pcm_ = nullptr;
            return false;
        }
        const snd_pcm_format_t sampleFormat =
            format.BitsPerSample == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE;
        if (snd_pcm_set_params(pcm_, sampleFormat, SND_PCM_ACCESS_RW_INTERLEAVED, format.Channels,
                               format.SamplesPerSec, 1, kLatencyUs) < 0) {
            Close();
            return false;
        }
        frameBytes_ = format.BlockAlign();
        return true;
    }

    bool Write(const std::uint8_t* data, std::size_t frames) override {
        if (!pcm_) return false;
        while (frames > 0) {
            if (interrupted_) return false;
            snd_pcm_sframes_t n = snd_pcm_writei(pcm_, data, frames);
            if (n == -EAGAIN) {
                snd_pcm_wait(pcm_, kPollMs);
                continue;
            }
            if (n < 0) {
                // Under-runs and suspends can be recovered from; anything
                // else ends the playback.
                if (snd_pcm_recover(pcm_, static_cast<int>(n), 1) < 0) return false;
                continue;
            }
            data += static_cast<std::size_t>(n) * frameBytes_;
            frames -= static_cast<std::size_t>(n);
        }
        return true;
    }

    void Drain() override {
        if (!pcm_ || interrupted_) return;
        // In non-blocking mode drain only starts draining; wait for the
        // state to change, checking for a stop in between. The bound keeps
        // a device that never finishes from holding the player.
        if (snd_pcm_drain(pcm_) != -EAGAIN) return;
        std::unique_lock<std::mutex> lock(waitLock_);
        for (int i = 0; i < kMaxDrainPolls && !interrupted_; ++i) {
            if (snd_pcm_state(pcm_) != SND_PCM_STATE_DRAINING) return;
            wake_.wait_for(lock, std::chrono::milliseconds(kPollMs));
        }
    }

    void Close() override {
        if (!pcm_) return;
        snd_pcm_drop(pcm_);
        snd_pcm_close(pcm_);
        pcm_ = nullptr;
    }

    void Interrupt() override {
        {
            std::lock_guard<std::mutex> lock(waitLock_);
            interrupted_ = true;
        }
        wake_.notify_all();
    }

private:
    static constexpr unsigned kLatencyUs = 100000;
    static constexpr int kPollMs = 20;
    static constexpr int kMaxDrainPolls = 200;

    std::string pcmName_;
    snd_pcm_t* pcm_ = nullptr;
    std::size_t frameBytes_ = 1;
    std::atomic<bool> interrupted_{false};
    std::mutex waitLock_;
    std::condition_variable wake_;
};

}  // namespace

std::unique_ptr<TSoundDevice> NewAlsaSoundDevice(const std::string& pcmName) {
    return std::make_unique<TAlsaSoundDevice>(pcmName);
}

// ---------------------------------------------------------------------------
// The process's player: at most one playback at a time
// ---------------------------------------------------------------------------

namespace {

class TPlayback {
public:
    TPlayback(std::unique_ptr<TSoundDevice> device, TWaveData wave, bool loop)
        : device_(std::move(device)), wave_(std::move(wave)), loop_(loop) {
        thread_ = std::thread([this] { Run(); });
    }
    ~TPlayback() { Stop(); }

    // Stops the sound and waits for the worker to let go of the device.
    void Stop() {
        stop_ = true;
        device_->Interrupt();
        std::lock_guard<std::mutex> guard(joinLock_);
        if (thread_.joinable()) thread_.join();
    }

    // Waits until the sound has ended or was stopped.
    void WaitForEnd() {
        std::unique_lock<std::mutex> lock(endLock_);
        endChanged_.wait(lock, [this] { return ended_; });
    }

private:
    void Run() {
        Play();
        std::lock_guard<std::mutex> lock(endLock_);
        ended_ = true;
        endChanged_.notify_all();
    }

    void Play() {
        if (stop_ || !device_->Open(wave_.Format)) {
            device_->Close();
            return;
        }
        const std::size_t frameBytes = wave_.Format.BlockAlign();
        const std::size_t totalFrames = wave_.Samples.size() / frameBytes;
        bool ok = true;
        do {
            for (std::size_t frame = 0; ok && frame < totalFrames; frame += kChunkFrames) {
                if (stop_) {
                    ok = false;
                    break;
                }
                const std::size_t n = std::min(kChunkFrames, totalFrames - frame);
                ok = device_->Write(wave_.Samples.data() + frame * frameBytes, n);
            }
        } while (ok && loop_ && !stop_);
        if (ok && !stop_) device_->Drain();
        device_->Close();
    }

    static constexpr std::size_t kChunkFrames = 1024;

    std::unique_ptr<TSoundDevice> device_;
    TWaveData wave_;
    bool loop_;
    std::atomic<bool> stop_{false};
    std::mutex joinLock_;
    std::mutex endLock_;
    std::condition_variable endChanged_;
    bool ended_ = false;
    std::thread thread_;
};

class TSoundPlayer {
public:
    ~TSoundPlayer() { Stop(); }

    bool Play(const std::string& path, unsigned flags) {
        std::shared_ptr<TPlayback> playback;
        {
            std::lock_guard<std::mutex> guard(lock_);
            StopCurrent();
            if (path.empty()) return true;
            TWaveData wave;
            if (!LoadWaveFile(path, wave)) return false;
            const bool loop = (flags & SND_LOOP) != 0;
            if (loop && (flags & SND_ASYNC) == 0) return false;
            // A file without samples has nothing to play (and must not
            // loop over nothing).
            if (wave.Samples.empty()) return true;
            std::unique_ptr<TSoundDevice> device = factory_ ? factory_() : NewAlsaSoundDevice();
            if (!device) return true;
            current_ = std::make_shared<TPlayback>(std::move(device), std::move(wave), loop);
            if (flags & SND_ASYNC) return true;
            playback = current_;
        }
        // Waiting without the lock lets another thread stop this sound.
        playback->WaitForEnd();
        return true;
    }

    void Stop() {
        std::lock_guard<std::mutex> guard(lock_);
        StopCurrent();
    }

    void SetFactory(TSoundDeviceFactory factory) {
        std::lock_guard<std::mutex> guard(lock_);
        StopCurrent();
        factory_ = std::move(factory);
    }

private:
    void StopCurrent() {
        if (current_) current_->Stop();
        current_.reset();
    }

    std::mutex lock_;
    TSoundDeviceFactory factory_;
    std::shared_ptr<TPlayback> current_;
};

TSoundPlayer& Player() {
    static TSoundPlayer player;
    return player;
}

}  // namespace

bool PlaySoundFile(const std::string& path, unsigned flags) {
    try {
        return Player().Play(path, flags);
    } catch (...) {
        // Out of memory reading a huge file, or no thread to play it on.
        return false;
    }
}

void StopSound() { Player().Stop(); }

void SetSoundDeviceFactory(TSoundDeviceFactory factory) { Player().SetFactory(std::move(factory)); }

// ---------------------------------------------------------------------------
// TSoundRecorder
// ---------------------------------------------------------------------------

class TSoundRecorder::Device : public TSoundDevice {
public:
    explicit Device(TSoundRecorder& recorder) : r_(recorder) {}

    bool Open(const TWaveFormat& format) override {
        std::lock_guard<std::mutex> lock(r_.mutex_);
        if (r_.noDevice_) return false;
        index_ = r_.takes_.size();
        r_.takes_.push_back(TTake{format, {}, false, false, false});
        r_.held_.push_back(false);
        r_.log_.push_back("open " + std::to_string(index_ + 1));
        r_.changed_.notify_all();
        return true;
    }

    bool Write(const std::uint8_t* data, std::size_t frames) override {
        std::unique_lock<std::mutex> lock(r_.mutex_);
        if (interrupted_ || index_ == kNone) return false;
        TTake& take = r_.takes_[index_];
        if (HoldIfDue(lock)) return false;
        take.Bytes.insert(take.Bytes.end(), data, data + frames * take.Format.BlockAlign());
        r_.changed_.notify_all();
        return true;
    }

    void Drain() override {
        std::unique_lock<std::mutex> lock(r_.mutex_);
        if (index_ == kNone || interrupted_ || HoldIfDue(lock)) return;
        r_.takes_[index_].Drained = true;
        r_.changed_.notify_all();
    }

    void Close() override {
        std::lock_guard<std::mutex> lock(r_.mutex_);
        if (index_ == kNone || r_.takes_[index_].Closed) return;
        r_.takes_[index_].Closed = true;
        r_.takes_[index_].Interrupted = interrupted_;
        r_.log_.push_back("close " + std::to_string(index_ + 1));
        r_.changed_.notify_all();
    }

    void Interrupt() override {
        std::lock_guard<std::mutex> lock(r_.mutex_);
        interrupted_ = true;
        r_.changed_.notify_all();
    }

private:
    // Once the take has reached the hold point, waits until interrupted and
    // returns true.
    bool HoldIfDue(std::unique_lock<std::mutex>& lock) {
        if (r_.holdAfter_ == 0 || r_.takes_[index_].Bytes.size() < r_.holdAfter_) return false;
        r_.held_[index_] = true;
        r_.changed_.notify_all();
        r_.changed_.wait(lock, [this] { return interrupted_; });
        return true;
    }

    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    TSoundRecorder& r_;
    std::size_t index_ = kNone;
    bool interrupted_ = false;  // guarded by the recorder's mutex
};

TSoundDeviceFactory TSoundRecorder::Factory() {
    return [this]() -> std::unique_ptr<TSoundDevice> { return std::make_unique<Device>(*this); };
}

void TSoundRecorder::SetNoDevice(bool value) {
    std::lock_guard<std::mutex> lock(mutex_);
    noDevice_ = value;
}

void TSoundRecorder::SetHoldAfter(std::size_t bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    holdAfter_ = bytes;
}

std::vector<TSoundRecorder::TTake> TSoundRecorder::Takes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return takes_;
}

std::size_t TSoundRecorder::TakeCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return takes_.size();
}

std::vector<std::string> TSoundRecorder::Log() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return log_;
}

bool TSoundRecorder::WaitFor(const std::function<bool()>& ready) {
    // Real time only bounds a wait for a worker that went wrong.
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(20), ready);
}

bool TSoundRecorder::WaitClosed(std::size_t index) {
    return WaitFor([&] { return index < takes_.size() && takes_[index].Closed; });
}

bool TSoundRecorder::WaitHeld(std::size_t index) {
    return WaitFor([&] { return index < held_.size() && held_[index]; });
}

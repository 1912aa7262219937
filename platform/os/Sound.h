#pragma once
// Background playback of wave files.
//
// PlaySoundFile plays one wave file for the whole process: starting a sound
// first stops the one playing, and a call without a file only stops. The
// sound is played on a worker thread by an output device; the device is
// ALSA's "default" PCM unless another device factory is installed (tests
// install a TSoundRecorder). Without a usable device nothing is heard and
// nothing is reported.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// Flags of PlaySoundFile.
constexpr unsigned SND_SYNC = 0x0000;       // return when the sound has ended
constexpr unsigned SND_ASYNC = 0x0001;      // return at once, play in the background
constexpr unsigned SND_NODEFAULT = 0x0002;  // no default sound for a file that cannot be played
constexpr unsigned SND_LOOP = 0x0008;       // repeat until stopped (needs SND_ASYNC)

// Plays the wave file at path as flags say, after stopping the sound being
// played. An empty path only stops. Returns false when the file cannot be
// read or is not a supported wave file (nothing plays then; there is no
// default sound on this platform, with or without SND_NODEFAULT) and for
// SND_LOOP without SND_ASYNC, which could never return. Returns true
// otherwise, also when no output device is present. Never throws.
bool PlaySoundFile(const std::string& path, unsigned flags);

// Stops whatever the process is playing and waits until the output device
// has been let go. Same as PlaySoundFile("", ...).
void StopSound();

// ---------------------------------------------------------------------------
// Wave files: RIFF "WAVE" with PCM samples, 8 bit (unsigned) or 16 bit
// (signed little-endian), one or two channels.
// ---------------------------------------------------------------------------

struct TWaveFormat {
    unsigned Channels = 0;
    unsigned SamplesPerSec = 0;
    unsigned BitsPerSample = 0;

    std::size_t BlockAlign() const { return Channels * (BitsPerSample / 8); }
    bool operator==(const TWaveFormat&) const = default;
};

struct TWaveData {
    TWaveFormat Format;
    // Interleaved samples, whole frames only.
    std::vector<std::uint8_t> Samples;
};

// Reads a wave file from memory; false for anything else or an unsupported
// sample format. A data chunk cut short by the end of the file keeps the
// whole frames that are there.
bool ParseWave(const std::vector<std::uint8_t>& bytes, TWaveData& wave);
// Reads and parses the file; false when it cannot be read or parsed.
bool LoadWaveFile(const std::string& path, TWaveData& wave);

// ---------------------------------------------------------------------------
// Output devices
// ---------------------------------------------------------------------------

// One playback on an output device. All calls but Interrupt come from the
// playing worker thread, in the order Open, Write..., [Drain], Close.
class TSoundDevice {
public:
    virtual ~TSoundDevice() = default;
    // Prepares the device for format; false when there is no device or it
    // cannot play the format (nothing more is called but Close).
    virtual bool Open(const TWaveFormat& format) = 0;
    // Queues frames (interleaved, whole frames) for playing, waiting while
    // the device is full. False when the device failed or was interrupted.
    virtual bool Write(const std::uint8_t* data, std::size_t frames) = 0;
    // Waits until everything written has been heard, or until interrupted.
    virtual void Drain() = 0;
    // Ends the playback at once, dropping whatever has not been heard, and
    // releases the device.
    virtual void Close() = 0;
    // From any thread, at any time: makes a waiting Write or Drain return
    // soon, and later ones at once.
    virtual void Interrupt() = 0;
};

using TSoundDeviceFactory = std::function<std::unique_ptr<TSoundDevice>()>;

// The ALSA playback device of the given PCM name.
std::unique_ptr<TSoundDevice> NewAlsaSoundDevice(const std::string& pcmName = "default");

// Makes later playbacks use factory; an empty factory restores ALSA's
// "default" device. Stops the sound being played first.
void SetSoundDeviceFactory(TSoundDeviceFactory factory);

// ---------------------------------------------------------------------------
// TSoundRecorder: an output device for tests. Every playback becomes a take
// that records its format and the bytes written; waits use real time only as
// a safety bound (they return false rather than hang a failing test).
// ---------------------------------------------------------------------------

class TSoundRecorder {
public:
    struct TTake {
        TWaveFormat Format;
        std::vector<std::uint8_t> Bytes;
        bool Drained = false;      // played to its end
        bool Interrupted = false;  // stopped (by Stop or a new sound)
        bool Closed = false;
    };

    TSoundRecorder() = default;
    TSoundRecorder(const TSoundRecorder&) = delete;
    TSoundRecorder& operator=(const TSoundRecorder&) = delete;

    // A factory to hand to SetSoundDeviceFactory. The recorder must outlive
    // every device it made.
    TSoundDeviceFactory Factory();

    // When set, Open fails as if no device were present.
    void SetNoDevice(bool value);
    // A take that has written this many bytes keeps playing: its next Write
    // or Drain waits until the take is interrupted. 0 (the default): never.
    void SetHoldAfter(std::size_t bytes);

    // Snapshots.
    std::vector<TTake> Takes() const;
    std::size_t TakeCount() const;
    // "open N", "close N" in the order they happened (N counts takes from 1).
    std::vector<std::string> Log() const;

    // Wait until take `index` (0-based) exists and is closed / is held.
    bool WaitClosed(std::size_t index);
    bool WaitHeld(std::size_t index);

private:
    class Device;
    friend class Device;
    bool WaitFor(const std::function<bool()>& ready);

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<TTake> takes_;
    std::vector<bool> held_;
    std::vector<std::string> log_;
    bool noDevice_ = false;
    std::size_t holdAfter_ = 0;
};

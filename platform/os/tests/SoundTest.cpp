#include "platform/os/Sound.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

void Put16(Bytes& b, unsigned v) {
    b.push_back(std::uint8_t(v));
    b.push_back(std::uint8_t(v >> 8));
}
void Put32(Bytes& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
void PutTag(Bytes& b, const char* tag) {
    for (int i = 0; i < 4; ++i) b.push_back(std::uint8_t(tag[i]));
}

struct WaveSpec {
    unsigned tag = 1;
    unsigned channels = 1;
    unsigned rate = 8000;
    unsigned bits = 16;
};

// A RIFF wave with a "fmt " chunk of fmtSize bytes and a data chunk holding
// samples; dataSize overrides the declared size of the data chunk.
Bytes MakeWave(const WaveSpec& s, const Bytes& samples, std::uint32_t fmtSize = 16,
               long dataSize = -1) {
    Bytes fmt;
    Put16(fmt, s.tag);
    Put16(fmt, s.channels);
    Put32(fmt, s.rate);
    Put32(fmt, s.rate * s.channels * s.bits / 8);
    Put16(fmt, s.channels * s.bits / 8);
    Put16(fmt, s.bits);
    fmt.resize(fmtSize, 0);
    Bytes b;
    PutTag(b, "RIFF");
    Put32(b, 0);  // readers do not rely on the RIFF size
    PutTag(b, "WAVE");
    PutTag(b, "fmt ");
    Put32(b, fmtSize);
    b.insert(b.end(), fmt.begin(), fmt.end());
    PutTag(b, "data");
    Put32(b, dataSize < 0 ? std::uint32_t(samples.size()) : std::uint32_t(dataSize));
    b.insert(b.end(), samples.begin(), samples.end());
    return b;
}

Bytes Ramp(std::size_t n, std::uint8_t start = 0) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = std::uint8_t(start + i * 7);
    return b;
}

}  // namespace

// ---------------------------------------------------------------------------
// Wave parsing
// ---------------------------------------------------------------------------

TEST(WaveParse, AcceptsPcmAndRejectsEverythingElse) {
    const Bytes s8 = Ramp(10);
    const Bytes s16 = Ramp(16);

    // An extensible header naming PCM in its sub-format.
    Bytes ext = MakeWave({0xFFFE, 2, 22050, 16}, s16, 40);
    ext[20 + 24] = 1;  // sub-format GUID starts with the PCM tag

    // An odd-sized chunk before the data is followed by a pad byte.
    Bytes padded = MakeWave({1, 1, 8000, 8}, s8);
    {
        Bytes list;
        PutTag(list, "LIST");
        Put32(list, 3);
        list.insert(list.end(), {'a', 'b', 'c', 0});
        padded.insert(padded.begin() + 36, list.begin(), list.end());
    }

    struct Case {
        const char* name;
        Bytes file;
        bool ok;
        TWaveFormat format;
        Bytes samples;
    };
    const std::vector<Case> cases = {
        {"8-bit mono", MakeWave({1, 1, 11025, 8}, s8), true, {1, 11025, 8}, s8},
        {"16-bit stereo", MakeWave({1, 2, 44100, 16}, s16), true, {2, 44100, 16}, s16},
        {"extensible PCM", ext, true, {2, 22050, 16}, s16},
        {"chunk padding", padded, true, {1, 8000, 8}, s8},
        {"data cut short keeps whole frames", MakeWave({1, 2, 8000, 16}, Ramp(10), 16, 400), true,
         {2, 8000, 16}, Ramp(8)},
        {"no samples", MakeWave({1, 1, 8000, 16}, {}), true, {1, 8000, 16}, {}},
        {"24-bit", MakeWave({1, 1, 8000, 24}, Ramp(12)), false, {}, {}},
        {"float samples", MakeWave({3, 1, 8000, 16}, s16), false, {}, {}},
        {"three channels", MakeWave({1, 3, 8000, 16}, Ramp(12)), false, {}, {}},
        {"zero rate", MakeWave({1, 1, 0, 16}, s16), false, {}, {}},
        {"short fmt chunk", MakeWave({1, 1, 8000, 16}, s16, 12), false, {}, {}},
        {"not RIFF", Bytes{'R', 'I', 'F', 'X', 0, 0, 0, 0, 'W', 'A', 'V', 'E'}, false, {}, {}},
        {"text file", Bytes{'h', 'e', 'l', 'l', 'o'}, false, {}, {}},
        {"empty", Bytes{}, false, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TWaveData wave;
        ASSERT_EQ(ParseWave(c.file, wave), c.ok);
        if (!c.ok) continue;
        EXPECT_EQ(wave.Format, c.format);
        EXPECT_EQ(wave.Samples, c.samples);
    }

    // A data chunk before any format cannot be read.
    Bytes dataFirst;
    PutTag(dataFirst, "RIFF");
    Put32(dataFirst, 0);
    PutTag(dataFirst, "WAVE");
    PutTag(dataFirst, "data");
    Put32(dataFirst, 2);
    dataFirst.insert(dataFirst.end(), {1, 2});
    TWaveData wave;
    EXPECT_FALSE(ParseWave(dataFirst, wave));
}

// ---------------------------------------------------------------------------
// Playback through a recording device
// ---------------------------------------------------------------------------

class SoundPlayback : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("sound-test-" + std::to_string(getpid()));
        fs::create_directories(dir_);
        SetSoundDeviceFactory(recorder_.Factory());
    }
    void TearDown() override {
        // Stops the sound before the recorder goes away.
        SetSoundDeviceFactory({});
        fs::remove_all(dir_);
    }

    std::string Write(const std::string& name, const Bytes& content) {
        std::string path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(content.data()), std::streamsize(content.size()));
        return path;
    }
    std::string WriteWave(const std::string& name, const Bytes& samples,
                          const WaveSpec& spec = {1, 1, 8000, 16}) {
        return Write(name, MakeWave(spec, samples));
    }

    static constexpr unsigned kAsync = SND_ASYNC | SND_NODEFAULT;

    fs::path dir_;
    TSoundRecorder recorder_;
};

TEST_F(SoundPlayback, AsyncPlaysTheFileSamplesToTheEnd) {
    // More than one write's worth, in stereo 8-bit.
    const Bytes samples = Ramp(5000);
    const std::string path = WriteWave("a.wav", samples, {1, 2, 22050, 8});

    ASSERT_TRUE(PlaySoundFile(path, kAsync));
    ASSERT_TRUE(recorder_.WaitClosed(0));
    const auto takes = recorder_.Takes();
    ASSERT_EQ(takes.size(), 1u);
    EXPECT_EQ(takes[0].Format, (TWaveFormat{2, 22050, 8}));
    EXPECT_EQ(takes[0].Bytes, samples);
    EXPECT_TRUE(takes[0].Drained);
    EXPECT_FALSE(takes[0].Interrupted);
}

TEST_F(SoundPlayback, AsyncReturnsWhileThePlaybackStillRuns) {
    const std::string path = WriteWave("a.wav", Ramp(8192));
    recorder_.SetHoldAfter(2048);

    ASSERT_TRUE(PlaySoundFile(path, kAsync));
    ASSERT_TRUE(recorder_.WaitHeld(0));
    EXPECT_FALSE(recorder_.Takes()[0].Closed);

    StopSound();
    const auto take = recorder_.Takes()[0];
    EXPECT_TRUE(take.Closed);
    EXPECT_TRUE(take.Interrupted);
    EXPECT_FALSE(take.Drained);
}

TEST_F(SoundPlayback, SyncReturnsAfterTheSoundEnded) {
    const Bytes samples = Ramp(3000);
    const std::string path = WriteWave("a.wav", samples);

    ASSERT_TRUE(PlaySoundFile(path, SND_SYNC | SND_NODEFAULT));
    const auto takes = recorder_.Takes();
    ASSERT_EQ(takes.size(), 1u);
    EXPECT_TRUE(takes[0].Closed);
    EXPECT_TRUE(takes[0].Drained);
    EXPECT_EQ(takes[0].Bytes, samples);
}

TEST_F(SoundPlayback, LoopRepeatsTheSamplesUntilStopped) {
    const Bytes samples = Ramp(200);
    const std::string path = WriteWave("loop.wav", samples);
    recorder_.SetHoldAfter(1000);

    ASSERT_TRUE(PlaySoundFile(path, kAsync | SND_LOOP));
    ASSERT_TRUE(recorder_.WaitHeld(0));
    auto take = recorder_.Takes()[0];
    EXPECT_FALSE(take.Closed);
    ASSERT_GE(take.Bytes.size(), 1000u);
    for (std::size_t i = 0; i < take.Bytes.size(); ++i)
        ASSERT_EQ(take.Bytes[i], samples[i % samples.size()]) << "byte " << i;

    // No file: stop.
    EXPECT_TRUE(PlaySoundFile("", kAsync));
    take = recorder_.Takes()[0];
    EXPECT_TRUE(take.Closed);
    EXPECT_TRUE(take.Interrupted);
    EXPECT_EQ(recorder_.TakeCount(), 1u);
}

TEST_F(SoundPlayback, ANewSoundStopsThePreviousOneFirst) {
    const Bytes first = Ramp(4000, 1);
    const Bytes second = Ramp(300, 99);
    const std::string firstPath = WriteWave("first.wav", first);
    const std::string secondPath = WriteWave("second.wav", second);
    recorder_.SetHoldAfter(1000);

    ASSERT_TRUE(PlaySoundFile(firstPath, kAsync | SND_LOOP));
    ASSERT_TRUE(recorder_.WaitHeld(0));
    recorder_.SetHoldAfter(0);

    ASSERT_TRUE(PlaySoundFile(secondPath, kAsync));
    EXPECT_TRUE(recorder_.Takes()[0].Interrupted);
    ASSERT_TRUE(recorder_.WaitClosed(1));
    EXPECT_EQ(recorder_.Takes()[1].Bytes, second);
    EXPECT_EQ(recorder_.Log(), (std::vector<std::string>{"open 1", "close 1", "open 2", "close 2"}));
}

TEST_F(SoundPlayback, FilesThatCannotBePlayedPlayNothingButStillStop) {
    const std::string playing = WriteWave("playing.wav", Ramp(4000));
    const std::string text = Write("notes.wav", {'n', 'o', 't', 'e', 's'});
    const std::string wide = WriteWave("wide.wav", Ramp(300), {1, 1, 8000, 24});
    const std::string good = WriteWave("good.wav", Ramp(100));

    struct Case {
        const char* name;
        std::string path;
        unsigned flags;
    };
    const std::vector<Case> cases = {
        {"missing file", (dir_ / "absent.wav").string(), kAsync},
        {"not a wave file", text, kAsync},
        {"unsupported samples", wide, kAsync},
        {"a folder", dir_.string(), kAsync},
        {"loop without async could never return", good, SND_SYNC | SND_NODEFAULT | SND_LOOP},
    };
    recorder_.SetHoldAfter(1000);
    std::size_t takes = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(PlaySoundFile(playing, kAsync));
        ASSERT_TRUE(recorder_.WaitHeld(takes));
        ++takes;
        EXPECT_FALSE(PlaySoundFile(c.path, c.flags));
        EXPECT_EQ(recorder_.TakeCount(), takes);
        EXPECT_TRUE(recorder_.Takes()[takes - 1].Interrupted);
    }
}

TEST_F(SoundPlayback, WithoutADeviceNothingIsHeardAndNothingFails) {
    recorder_.SetNoDevice(true);
    const std::string path = WriteWave("a.wav", Ramp(400));

    EXPECT_TRUE(PlaySoundFile(path, kAsync | SND_LOOP));
    EXPECT_TRUE(PlaySoundFile(path, SND_SYNC | SND_NODEFAULT));
    StopSound();
    EXPECT_EQ(recorder_.TakeCount(), 0u);

    // A file without samples does not even ask for a device, loop or not.
    recorder_.SetNoDevice(false);
    EXPECT_TRUE(PlaySoundFile(WriteWave("empty.wav", {}), kAsync | SND_LOOP));
    StopSound();
    EXPECT_EQ(recorder_.TakeCount(), 0u);
}

// ---------------------------------------------------------------------------
// ALSA
// ---------------------------------------------------------------------------

// Whatever the machine has (often no sound card at all), playing and
// stopping through ALSA returns and does not fail. ALSA's "null" device
// takes the samples and plays them nowhere, so the whole path runs even on
// machines without a card.
TEST_F(SoundPlayback, AlsaPlaysOrStaysSilentWithoutHanging) {
    // Half a second of silence at a low rate, so a real card hears nothing.
    const std::string path = WriteWave("silence.wav", Bytes(8000, 0));

    for (const char* pcm : {"null", "default", "no-such-device"}) {
        SCOPED_TRACE(pcm);
        std::string name = pcm;
        SetSoundDeviceFactory([name] { return NewAlsaSoundDevice(name); });
        EXPECT_TRUE(PlaySoundFile(path, kAsync | SND_LOOP));
        StopSound();
        EXPECT_TRUE(PlaySoundFile(path, kAsync));
        EXPECT_TRUE(PlaySoundFile(path, kAsync));
        StopSound();
    }
    SetSoundDeviceFactory([] { return NewAlsaSoundDevice("null"); });
    EXPECT_TRUE(PlaySoundFile(WriteWave("short.wav", Bytes(200, 0)), SND_SYNC | SND_NODEFAULT));
}

#include "app/DropSounds.h"

#include <cstdlib>

#include "app/tests/SoundTestSupport.h"
#include "platform/core/Program.h"

namespace {

// Points the program folder at the scratch folder, which holds both sounds.
class DropSoundsTest : public SoundFixture {
protected:
    void SetUp() override {
        SoundFixture::SetUp();
        const char* home = std::getenv("OMR_HOME");
        hadHome_ = home != nullptr;
        if (home) savedHome_ = home;
        setenv("OMR_HOME", dir_.c_str(), 1);
        WriteWave("GoodScan.wav", good_);
        WriteWave("BadScan.wav", bad_);
    }
    void TearDown() override {
        if (hadHome_)
            setenv("OMR_HOME", savedHome_.c_str(), 1);
        else
            unsetenv("OMR_HOME");
        SoundFixture::TearDown();
    }

    const Bytes good_ = Samples(600, 11);
    const Bytes bad_ = Samples(900, 200);
    bool hadHome_ = false;
    std::string savedHome_;
};

}  // namespace

TEST_F(DropSoundsTest, PlaysTheGoodOrTheBadScanSound) {
    TDropSounds sounds;
    EXPECT_EQ(sounds.GoodScanFile(), (dir_ / "GoodScan.wav").string());
    EXPECT_EQ(sounds.BadScanFile(), (dir_ / "BadScan.wav").string());
    ASSERT_TRUE(sounds.Configure(true));

    sounds.PlayDropSound(true);
    ASSERT_TRUE(recorder_.WaitClosed(0));
    sounds.PlayDropSound(false);
    ASSERT_TRUE(recorder_.WaitClosed(1));

    const auto takes = recorder_.Takes();
    EXPECT_EQ(takes[0].Bytes, good_);
    EXPECT_EQ(takes[1].Bytes, bad_);
}

TEST_F(DropSoundsTest, ANewDropSoundCutsOffThePreviousOne) {
    TDropSounds sounds;
    sounds.SetEnabled(true);
    recorder_.SetHoldAfter(300);
    sounds.PlayDropSound(true);
    // Returned at once; the good sound is still playing.
    ASSERT_TRUE(recorder_.WaitHeld(0));

    recorder_.SetHoldAfter(0);
    sounds.PlayDropSound(false);
    EXPECT_TRUE(recorder_.Takes()[0].Interrupted);
    ASSERT_TRUE(recorder_.WaitClosed(1));
    EXPECT_EQ(recorder_.Takes()[1].Bytes, bad_);
}

TEST_F(DropSoundsTest, WithTheFlagOffNothingIsPlayedOrStopped) {
    TDropSounds sounds;
    // A sound already playing is left alone.
    recorder_.SetHoldAfter(300);
    PlaySoundFile(sounds.GoodScanFile(), SND_ASYNC | SND_NODEFAULT);
    ASSERT_TRUE(recorder_.WaitHeld(0));

    ASSERT_FALSE(sounds.Enabled());
    sounds.PlayDropSound(true);
    sounds.PlayDropSound(false);
    EXPECT_FALSE(sounds.Configure(false));
    sounds.PlayDropSound(false);

    EXPECT_EQ(recorder_.TakeCount(), 1u);
    EXPECT_FALSE(recorder_.Takes()[0].Closed);
}

TEST_F(DropSoundsTest, AMissingFileSwitchesTheSoundsOff) {
    std::filesystem::remove(dir_ / "BadScan.wav");
    TDropSounds sounds;
    EXPECT_FALSE(sounds.Configure(true));
    sounds.PlayDropSound(true);
    sounds.PlayDropSound(false);
    EXPECT_EQ(recorder_.TakeCount(), 0u);

    // A file that vanishes after the set-up plays nothing, without a fuss.
    sounds.SetEnabled(true);
    EXPECT_NO_THROW(sounds.PlayDropSound(false));
    EXPECT_EQ(recorder_.TakeCount(), 0u);
}

TEST(ShippedDropSounds, AreShortPlayableWaveFiles) {
    for (const char* name : {"GoodScan.wav", "BadScan.wav"}) {
        SCOPED_TRACE(name);
        TWaveData wave;
        const auto path =
            std::filesystem::path(OMR_TEST_DATA).parent_path().parent_path() / "sounds" / name;
        ASSERT_TRUE(LoadWaveFile(path.string(), wave));
        const double seconds = double(wave.Samples.size()) /
                               double(wave.Format.BlockAlign() * wave.Format.SamplesPerSec);
        EXPECT_GT(seconds, 0.05);
        EXPECT_LT(seconds, 1.0);
    }
}

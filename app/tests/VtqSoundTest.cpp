#include "app/VtqSound.h"

#include "app/tests/SoundTestSupport.h"

namespace {

class VtqSoundTest : public SoundFixture {
protected:
    // Records the component's events in order.
    void Watch(TVtqSound& sound) {
        sound.OnPlay = [this, &sound](TObject* sender) {
            EXPECT_EQ(sender, &sound);
            events_.push_back("play");
        };
        sound.OnStop = [this, &sound](TObject* sender) {
            EXPECT_EQ(sender, &sound);
            events_.push_back("stop");
        };
    }
    std::vector<std::string> events_;
};

}  // namespace

TEST_F(VtqSoundTest, PlayStartsTheFileInTheBackgroundAndReturns) {
    const Bytes samples = Samples(6000, 1);
    TVtqSound sound(nullptr);
    sound.SetSoundFile(WriteWave("a.wav", samples));
    recorder_.SetHoldAfter(2048);

    sound.Play();
    // Play has returned while the device still holds the sound.
    ASSERT_TRUE(recorder_.WaitHeld(0));
    auto take = recorder_.Takes()[0];
    EXPECT_FALSE(take.Closed);
    EXPECT_EQ(take.Format, (TWaveFormat{1, 8000, 16}));
    ASSERT_GE(take.Bytes.size(), 2048u);
    EXPECT_TRUE(std::equal(take.Bytes.begin(), take.Bytes.end(), samples.begin()));

    recorder_.SetHoldAfter(0);
    sound.Stop();
    take = recorder_.Takes()[0];
    EXPECT_TRUE(take.Closed);
    EXPECT_TRUE(take.Interrupted);
}

TEST_F(VtqSoundTest, PlayWithoutLoopPlaysTheSamplesOnce) {
    const Bytes samples = Samples(500, 7);
    TVtqSound sound(nullptr);
    sound.SetSoundFile(WriteWave("once.wav", samples));

    sound.Play();
    ASSERT_TRUE(recorder_.WaitClosed(0));
    EXPECT_EQ(recorder_.Takes()[0].Bytes, samples);
    EXPECT_TRUE(recorder_.Takes()[0].Drained);
}

TEST_F(VtqSoundTest, LoopSoundRepeatsUntilStop) {
    const Bytes samples = Samples(300, 3);
    TVtqSound sound(nullptr);
    sound.SetSoundFile(WriteWave("loop.wav", samples));
    sound.SetLoopSound(true);
    recorder_.SetHoldAfter(1500);

    sound.Play();
    ASSERT_TRUE(recorder_.WaitHeld(0));
    const Bytes heard = recorder_.Takes()[0].Bytes;
    ASSERT_GE(heard.size(), 1500u);
    for (std::size_t i = 0; i < heard.size(); ++i)
        ASSERT_EQ(heard[i], samples[i % samples.size()]) << "byte " << i;
    EXPECT_FALSE(recorder_.Takes()[0].Closed);

    sound.Stop();
    EXPECT_TRUE(recorder_.Takes()[0].Closed);
    EXPECT_EQ(recorder_.TakeCount(), 1u);
}

TEST_F(VtqSoundTest, OnStopFiresOnlyAfterOnPlayHasFired) {
    const std::string path = WriteWave("a.wav", Samples(100, 1));

    // Stop before any play, and after a play without an OnPlay handler:
    // the played flag is not set, so OnStop stays quiet.
    TVtqSound silent(nullptr);
    silent.SetSoundFile(path);
    silent.OnStop = [this](TObject*) { events_.push_back("stop"); };
    silent.Stop();
    silent.Play();
    silent.Stop();
    EXPECT_TRUE(events_.empty());

    TVtqSound sound(nullptr);
    Watch(sound);
    sound.Stop();
    sound.SetSoundFile(path);
    sound.Play();
    sound.Stop();
    sound.Stop();
    EXPECT_EQ(events_, (std::vector<std::string>{"play", "stop", "stop"}));
}

TEST_F(VtqSoundTest, ASecondPlayCutsOffTheFirst) {
    const Bytes second = Samples(400, 77);
    TVtqSound first(nullptr);
    first.SetSoundFile(WriteWave("first.wav", Samples(5000, 1)));
    first.SetLoopSound(true);
    TVtqSound next(nullptr);
    next.SetSoundFile(WriteWave("second.wav", second));
    recorder_.SetHoldAfter(1000);

    first.Play();
    ASSERT_TRUE(recorder_.WaitHeld(0));
    recorder_.SetHoldAfter(0);
    next.Play();

    EXPECT_TRUE(recorder_.Takes()[0].Interrupted);
    ASSERT_TRUE(recorder_.WaitClosed(1));
    EXPECT_EQ(recorder_.Takes()[1].Bytes, second);
    EXPECT_EQ(recorder_.Log(), (std::vector<std::string>{"open 1", "close 1", "open 2", "close 2"}));
}

TEST_F(VtqSoundTest, FreeingTheComponentLeavesTheSoundPlaying) {
    recorder_.SetHoldAfter(1000);
    auto* sound = new TVtqSound(nullptr);
    sound->SetSoundFile(WriteWave("a.wav", Samples(4000, 1)));
    sound->Play();
    ASSERT_TRUE(recorder_.WaitHeld(0));

    delete sound;
    EXPECT_FALSE(recorder_.Takes()[0].Closed);
    StopSound();
    EXPECT_TRUE(recorder_.Takes()[0].Closed);
}

TEST_F(VtqSoundTest, AFileThatCannotBePlayedPlaysNothingAndRaisesNothing) {
    TVtqSound sound(nullptr);
    Watch(sound);
    for (const std::string& path :
         {(dir_ / "absent.wav").string(), std::string(), WriteWave("empty.wav", {})}) {
        SCOPED_TRACE(path);
        sound.SetSoundFile(path);
        EXPECT_NO_THROW(sound.Play());
    }
    EXPECT_EQ(recorder_.TakeCount(), 0u);
    // The play was still asked for.
    EXPECT_EQ(events_, (std::vector<std::string>{"play", "play", "play"}));
}

TEST_F(VtqSoundTest, PublishedPropertiesAndTheFixedVersion) {
    TVtqSound sound(nullptr);
    const std::string version = sound.Version();
    EXPECT_FALSE(version.empty());
    EXPECT_EQ(GetStrProp(sound, "SoundFile"), "");
    EXPECT_FALSE(GetBoolProp(sound, "LoopSound"));

    SetPropText(sound, "SoundFile", "/x/GoodScan.wav");
    SetPropText(sound, "LoopSound", "True");
    EXPECT_EQ(sound.SoundFile(), "/x/GoodScan.wav");
    EXPECT_TRUE(sound.LoopSound());

    // Writing the version, directly or by streaming, leaves it as it was.
    sound.SetVersion("9.9");
    EXPECT_NO_THROW(SetPropText(sound, "Version", "9.9"));
    EXPECT_EQ(sound.Version(), version);
    EXPECT_EQ(GetPropText(sound, "Version"), version);
}

#include "app/DropSounds.h"

#include "app/VtqSound.h"
#include "platform/core/FileUtils.h"
#include "platform/core/Program.h"

TDropSounds::TDropSounds()
    : goodScanFile_(ProgramFolder() + "GoodScan.wav"), badScanFile_(ProgramFolder() + "BadScan.wav") {}

bool TDropSounds::Configure(bool soundOn) {
    enabled_ = soundOn && FileExists(goodScanFile_) && FileExists(badScanFile_);
    return enabled_;
}

void TDropSounds::PlayDropSound(bool good) const {
    if (!enabled_) return;
    // The components only start the sound; it plays on after they are gone.
    TVtqSound goodSound(nullptr);
    TVtqSound badSound(nullptr);
    goodSound.Stop();
    badSound.Stop();
    try {
        if (good) {
            goodSound.SetSoundFile(goodScanFile_);
            goodSound.Play();
        } else {
            badSound.SetSoundFile(badScanFile_);
            badSound.Play();
        }
    } catch (...) {
        // A drop sound is a courtesy: failing to play it must not disturb
        // the scanning.
    }
}

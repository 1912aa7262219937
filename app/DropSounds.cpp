#include "app/DropSounds.h"

#include "app/VtqSound.h"
#include "platform/core/FileUtils.h"
#include "platform/core/Program.h"

namespace {
// A sound in the program folder; when that is the user's data folder and
// holds none, the one installed beside the executable.
std::string SoundFile(const std::string& name) {
    std::string file = ProgramFolder() + name;
    if (FileExists(file) || ProgramFolder() == ExecutableFolder()) return file;
    return ExecutableFolder() + name;
}
}  // namespace

TDropSounds::TDropSounds() : goodScanFile_(SoundFile("GoodScan.wav")), badScanFile_(SoundFile("BadScan.wav")) {}

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

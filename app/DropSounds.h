#pragma once
// The scoring wizard's drop sounds: a short sound after each scanned sheet,
// "GoodScan.wav" for a clean sheet and "BadScan.wav" for one with blank or
// multiple marks, or a rejected one. Both files live in the program folder.

#include <string>

class TDropSounds {
public:
    // Takes the two file paths from the program folder; sounds start off.
    TDropSounds();

    const std::string& GoodScanFile() const { return goodScanFile_; }
    const std::string& BadScanFile() const { return badScanFile_; }

    // The drop-sounds flag.
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value) { enabled_ = value; }
    // Sets the flag from the user's choice, off when either file is missing.
    // Returns the flag.
    bool Configure(bool soundOn);

    // Nothing when the flag is off. Otherwise stops the sound being played
    // and starts the good-scan or the bad-scan sound in the background; a
    // sound that cannot be played is silently left out.
    void PlayDropSound(bool good) const;

private:
    std::string goodScanFile_;
    std::string badScanFile_;
    bool enabled_ = false;
};

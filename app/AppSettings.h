#pragma once
// The brand's settings file in the program folder, section "Main". The file
// is opened for one read or write burst and closed right after; nothing is
// cached, so a value written by one window is seen by the next read.

#include <string>

// Full path of the settings file of the running program's brand.
std::string SettingsFilePath();

// Port number of the scanner; 0 when not set up. Owned by the welcome window.
int ReadPortNo(const std::string& settingsPath);
void WritePortNo(const std::string& settingsPath, int portNo);

// The keys the scoring wizard reads when shown and writes when closed.
struct TWizardSettings {
    std::string OddLbls = "ABCDEF";
    std::string EvenLbls = "ABCDEF";
    std::string LastForm;
    bool SoundOn = true;
    std::string LastDir;
    bool PrintScan = false;
    std::string PrintScanTo;
    bool SumOverall = true;
    bool StdOverall = true;
    bool StdCorrect = true;
    std::string ImageFile;
    std::string NameFile;
    bool UseNames = false;
};

// Reads every wizard key; a missing file or key gives its default.
TWizardSettings ReadWizardSettings(const std::string& settingsPath);
// Writes the wizard keys in the wizard's closing order. A value that cannot
// be written raises EIniFileException "Unable to write to <file>".
void WriteWizardSettings(const std::string& settingsPath, const TWizardSettings& s);
// The last save folder, written again after each export.
void WriteLastDir(const std::string& settingsPath, const std::string& dir);

// The settings file: every key the program reads, then the values written
// back to a fresh file read back unchanged.
#include "fuzz/FuzzTargets.h"

#include "app/AppSettings.h"
#include "platform/core/Exception.h"

namespace {
constexpr const char* kTarget = "settings";

bool Same(const TWizardSettings& a, const TWizardSettings& b) {
    return a.OddLbls == b.OddLbls && a.EvenLbls == b.EvenLbls && a.LastForm == b.LastForm &&
           a.SoundOn == b.SoundOn && a.LastDir == b.LastDir && a.PrintScan == b.PrintScan &&
           a.PrintScanTo == b.PrintScanTo && a.SumOverall == b.SumOverall && a.StdOverall == b.StdOverall &&
           a.StdCorrect == b.StdCorrect && a.ImageFile == b.ImageFile && a.NameFile == b.NameFile &&
           a.UseNames == b.UseNames;
}
}  // namespace

void FuzzSettings(const std::string& input) {
    const std::string path = FuzzScratchFile("settings.ini", input);
    int port = 0;
    TWizardSettings wizard;
    try {
        port = ReadPortNo(path);
        wizard = ReadWizardSettings(path);
    } catch (const Exception&) {
        return;
    }
    const std::string copy = FuzzScratchFile("settings-copy.ini", "");
    WritePortNo(copy, port);
    WriteWizardSettings(copy, wizard);
    FUZZ_CHECK(kTarget, ReadPortNo(copy) == port);
    FUZZ_CHECK(kTarget, Same(ReadWizardSettings(copy), wizard));
}
